#include "app/singleinstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kActivate = "activate\n";

QString userName()
{
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty())
        name = qEnvironmentVariable("LOGNAME");
    return name;
}

} // namespace

SingleInstance::SingleInstance(const QString &programFolder, QObject *parent) : QObject(parent)
{
    const QFileInfo info(programFolder);
    const QString folder = info.canonicalFilePath().isEmpty() ? info.absoluteFilePath()
                                                              : info.canonicalFilePath();
    const QByteArray hash = QCryptographicHash::hash((userName() + u'|' + folder).toUtf8(),
                                                     QCryptographicHash::Sha1)
                                .toHex()
                                .left(16);
    m_serverName = u"studyaid-"_s + QString::fromLatin1(hash);
    m_lockPath = QDir::temp().filePath(m_serverName + u".lock"_s);
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
}

bool SingleInstance::acquire()
{
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // A lock left by a crashed copy is recognised by its process id, never by its age.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        m_ownerPid = -1;
        m_lock->getLockInfo(&m_ownerPid, nullptr, nullptr);
        m_lock.reset();
        return false;
    }
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(m_serverName); // a socket file left by a crashed copy
    m_server->listen(m_serverName);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->canReadLine() && socket->readLine() == kActivate) {
                    socket->write("ok\n");
                    socket->flush();
                    emit activationRequested();
                }
            });
        }
    });
    return true;
}

SingleInstance::Activation SingleInstance::requestActivation(int timeoutMs)
{
    // The first copy may hold the lock a moment before it listens: try again until the deadline.
    // A busy copy still accepts the connection (the system queues it), so a copy that runs is
    // never taken for a left-over lock.
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(m_serverName);
        if (socket.waitForConnected(int(std::max<qint64>(1, deadline.remainingTime())))) {
            socket.write(kActivate);
            socket.waitForBytesWritten(int(std::max<qint64>(1, deadline.remainingTime())));
            const bool answered =
                socket.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
            socket.disconnectFromServer();
            return answered ? Activation::Answered : Activation::NoAnswer;
        }
        QThread::msleep(50);
    }
    return Activation::NotRunning;
}

bool SingleInstance::takeOver()
{
    QLockFile lock(m_lockPath);
    if (QFileInfo::exists(m_lockPath)) {
        qint64 pid = -1;
        lock.getLockInfo(&pid, nullptr, nullptr);
        if (pid != m_ownerPid)
            return false; // another start took it meanwhile
        lock.removeStaleLockFile();
    }
    return acquire();
}
