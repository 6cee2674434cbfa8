// One running copy per program folder and user: a lock file says who runs, a Unix-domain socket
// lets a second start ask the running copy to come forward. Both live in the user's own runtime
// folder, or a private folder in the user's cache folder when there is no safe runtime folder
// (owner-only), and are themselves owner-only, so no other user can plant or read them.
#pragma once

#include <QObject>
#include <QString>

#include <map>
#include <memory>

class QLockFile;
class QSocketNotifier;

class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // The key names the installation: the real user id and the canonical program folder.
    explicit SingleInstance(const QString &programFolder, QObject *parent = nullptr);
    ~SingleInstance() override;

    // False when neither the user's runtime folder nor a folder of the program's own in the
    // user's cache folder is private (the user's own, owner-only): then there is no safe place
    // for the lock and the program runs without it.
    bool usable() const { return !m_lockPath.isEmpty(); }

    enum class Acquire
    {
        First,       // this process holds the lock and listens for later starts
        HeldByOther, // another process holds the lock
        Unavailable  // the lock cannot be made (not usable, or the folder refuses it)
    };
    Acquire acquire();

    enum class Activation
    {
        Answered,  // the running copy was asked to come forward
        NoAnswer,  // a copy listens but did not answer in time (busy): it runs
        NotRunning // nobody listens: the lock is left over from a copy that is gone
    };
    // For a later start: asks the running copy to raise its window.
    Activation requestActivation(int timeoutMs = 3000);
    // After NotRunning: removes the left-over lock, unless it changed hands meanwhile, and
    // acquires it. A crashed copy's lock normally goes by itself (its process id is gone), but
    // not when the id now belongs to another program or the lock file was left empty.
    bool takeOver();

    // The user's private runtime folder; when there is none that is safe (none given, or the
    // one under the temporary folder is another user's), studyaid-runtime in the user's cache
    // folder, made owner-only; empty when that is not safe either.
    static QString privateRuntimeFolder();

    QString serverName() const { return m_serverName; }
    QString lockPath() const { return m_lockPath; }

signals:
    // A later start asked this copy to come forward.
    void activationRequested();

private:
    // A later start that connected: what it sent so far, and the notifier that reads it.
    struct Caller
    {
        QSocketNotifier *notifier = nullptr;
        QByteArray received;
    };

    bool listen();
    void stopListening();
    void acceptCallers();
    void readCaller(int fd);
    void dropCaller(int fd);

    QString m_serverName; // full path of the socket
    QString m_lockPath;
    std::unique_ptr<QLockFile> m_lock;
    qint64 m_ownerPid = -1; // owner of the lock that acquire() found (-1: unreadable)
    int m_listenFd = -1;
    QSocketNotifier *m_listenNotifier = nullptr;
    std::map<int, Caller> m_callers;
};
