// One running copy per program folder: a lock file says who runs, a local socket lets a second
// start ask the running copy to come forward.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // key names the installation (the canonical program folder and the user).
    explicit SingleInstance(const QString &programFolder, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the first: it holds the lock and listens for later starts.
    bool acquire();
    // For a later start: asks the running copy to raise its window. True when it answered.
    bool requestActivation(int timeoutMs = 3000);

    QString serverName() const { return m_serverName; }

signals:
    // A later start asked this copy to come forward.
    void activationRequested();

private:
    QString m_serverName;
    QString m_lockPath;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
};
