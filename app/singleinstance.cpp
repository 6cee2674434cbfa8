#include "app/singleinstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kActivate = "activate\n";

} // namespace

QString SingleInstance::privateRuntimeFolder()
{
    // Qt checks the folder it names (XDG_RUNTIME_DIR, else one it makes under the temporary
    // folder) for ownership and mode; check again, since a planted folder must never be used.
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        return {};
    struct stat st {};
    if (::lstat(QFile::encodeName(dir).constData(), &st) != 0 || !S_ISDIR(st.st_mode) ||
        st.st_uid != ::getuid() || (st.st_mode & 0077) != 0)
        return {};
    return dir;
}

SingleInstance::SingleInstance(const QString &programFolder, QObject *parent) : QObject(parent)
{
    const QString runtime = privateRuntimeFolder();
    if (runtime.isEmpty())
        return;
    const QFileInfo info(programFolder);
    const QString folder = info.canonicalFilePath().isEmpty() ? info.absoluteFilePath()
                                                              : info.canonicalFilePath();
    const QByteArray hash =
        QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    const QString key =
        u"studyaid-"_s + QString::number(::getuid()) + u'-' + QString::fromLatin1(hash);
    m_serverName = runtime + u'/' + key + u".sock"_s;
    m_lockPath = runtime + u'/' + key + u".lock"_s;
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
}

SingleInstance::Acquire SingleInstance::acquire()
{
    if (!usable())
        return Acquire::Unavailable;
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // A lock left by a crashed copy is recognised by its process id, never by its age.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        const bool held = m_lock->error() == QLockFile::LockFailedError;
        m_ownerPid = -1;
        m_lock->getLockInfo(&m_ownerPid, nullptr, nullptr);
        m_lock.reset();
        return held ? Acquire::HeldByOther : Acquire::Unavailable;
    }
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(m_serverName); // a socket file left by a crashed copy
    if (!m_server->listen(m_serverName))
        qWarning("studyaid: later starts cannot reach this one: %s",
                 qPrintable(m_server->errorString()));
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
    return Acquire::First;
}

SingleInstance::Activation SingleInstance::requestActivation(int timeoutMs)
{
    if (!usable())
        return Activation::NotRunning;
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
    return acquire() == Acquire::First;
}
