#include "app/SingleInstance.h"

#include "data/PrivateFiles.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kActivate = "activate\n";
const QByteArray kAnswer = "ok\n";
// Callers served at once; more are turned away (only the user can connect at all).
constexpr std::size_t kMaxCallers = 8;
// Longest request read from a caller before it is dropped.
constexpr qsizetype kMaxRequest = 64;

// The socket's address; false when the path does not fit into one.
bool socketAddress(const QString &path, sockaddr_un *address)
{
    const QByteArray name = QFile::encodeName(path);
    *address = {};
    address->sun_family = AF_UNIX;
    if (name.isEmpty() || std::size_t(name.size()) >= sizeof(address->sun_path))
        return false;
    std::memcpy(address->sun_path, name.constData(), std::size_t(name.size()));
    return true;
}

void closeFd(int fd)
{
    while (::close(fd) != 0 && errno == EINTR) {
    }
}

// Waits until fd is ready for `events` or the deadline passes.
bool waitFor(int fd, short events, const QDeadlineTimer &deadline)
{
    for (;;) {
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, int(std::max<qint64>(0, deadline.remainingTime())));
        if (r > 0)
            return true;
        if (r == 0 || errno != EINTR)
            return false;
    }
}

} // namespace

namespace {

// A folder of the user's own that nobody else may enter, not reached through a link.
bool privateFolder(const QString &dir)
{
    struct stat st
    {
    };
    return !dir.isEmpty() && ::lstat(QFile::encodeName(dir).constData(), &st) == 0 &&
           S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 0077) == 0;
}

} // namespace

QString SingleInstance::privateRuntimeFolder()
{
    // Qt checks the folder it names (XDG_RUNTIME_DIR, else one it makes under the temporary
    // folder) for ownership and mode; check again, since a planted folder must never be used.
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (privateFolder(dir))
        return dir;
    // No such folder, or the one under the temporary folder was taken first by another user: a
    // folder of the program's own in the user's cache folder, which only the user can write.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty())
        return {};
    const QString own = QDir::cleanPath(cache + u"/studyaid-runtime"_s);
    if (!PrivateFiles::makeFolder(own) || !privateFolder(own))
        return {};
    return own;
}

SingleInstance::SingleInstance(const QString &programFolder, QObject *parent) : QObject(parent)
{
    const QString runtime = privateRuntimeFolder();
    if (runtime.isEmpty())
        return;
    const QFileInfo info(programFolder);
    const QString folder =
        info.canonicalFilePath().isEmpty() ? info.absoluteFilePath() : info.canonicalFilePath();
    const QByteArray hash =
        QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    const QString key =
        u"studyaid-"_s + QString::number(::getuid()) + u'-' + QString::fromLatin1(hash);
    m_serverName = runtime + u'/' + key + u".sock"_s;
    m_lockPath = runtime + u'/' + key + u".lock"_s;
}

SingleInstance::~SingleInstance()
{
    // The socket goes before the lock: a start that then finds the lock free finds no socket.
    stopListening();
}

SingleInstance::Acquire SingleInstance::acquire()
{
    if (!usable())
        return Acquire::Unavailable;
    stopListening();
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
    // QLockFile writes its file with the process's umask: the lock is the user's alone (set on
    // the file itself, never through a link).
    PrivateFiles::restrictFile(m_lockPath);
    if (!listen())
        qWarning("studyaid: later starts cannot reach this one: %s", std::strerror(errno));
    return Acquire::First;
}

bool SingleInstance::listen()
{
    sockaddr_un address;
    if (!socketAddress(m_serverName, &address)) {
        errno = ENAMETOOLONG;
        return false;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    ::unlink(address.sun_path); // a socket file left by a crashed copy
    // The socket file is made owner-only from the start, and checked once made.
    const mode_t previous = ::umask(0077);
    const int bound = ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address));
    ::umask(previous);
    if (bound != 0 || ::chmod(address.sun_path, 0600) != 0 || ::listen(fd, 8) != 0) {
        const int error = errno;
        closeFd(fd);
        if (bound == 0)
            ::unlink(address.sun_path);
        errno = error;
        return false;
    }
    m_listenFd = fd;
    m_listenNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_listenNotifier, &QSocketNotifier::activated, this, [this] { acceptCallers(); });
    return true;
}

void SingleInstance::stopListening()
{
    while (!m_callers.empty())
        dropCaller(m_callers.begin()->first);
    if (m_listenFd < 0)
        return;
    delete m_listenNotifier;
    m_listenNotifier = nullptr;
    closeFd(m_listenFd);
    m_listenFd = -1;
    ::unlink(QFile::encodeName(m_serverName).constData());
}

void SingleInstance::acceptCallers()
{
    for (;;) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return; // EAGAIN: none left; anything else: tried again on the next notification
        }
        if (m_callers.size() >= kMaxCallers) {
            closeFd(fd);
            continue;
        }
        auto *notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        m_callers[fd].notifier = notifier;
        connect(notifier, &QSocketNotifier::activated, this, [this, fd] { readCaller(fd); });
    }
}

void SingleInstance::readCaller(int fd)
{
    const auto it = m_callers.find(fd);
    if (it == m_callers.end())
        return;
    QByteArray &received = it->second.received;
    char buffer[kMaxRequest];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof(buffer));
        if (n > 0) {
            received.append(buffer, qsizetype(n));
            if (received.contains('\n') || received.size() > kMaxRequest)
                break;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;     // the rest of the line comes later
        dropCaller(fd); // the caller went away without a whole line
        return;
    }
    const bool activate = received.left(received.indexOf('\n') + 1) == kActivate;
    if (activate) {
        // A few bytes into an empty socket buffer: written at once, or the caller is gone.
        [[maybe_unused]] const ssize_t written =
            ::send(fd, kAnswer.constData(), std::size_t(kAnswer.size()), MSG_NOSIGNAL);
    }
    dropCaller(fd);
    if (activate)
        emit activationRequested();
}

void SingleInstance::dropCaller(int fd)
{
    const auto it = m_callers.find(fd);
    if (it == m_callers.end())
        return;
    // The notifier may be the one whose signal is running: it goes once that has returned.
    it->second.notifier->setEnabled(false);
    it->second.notifier->deleteLater();
    m_callers.erase(it);
    closeFd(fd);
}

SingleInstance::Activation SingleInstance::requestActivation(int timeoutMs)
{
    sockaddr_un address;
    if (!usable() || !socketAddress(m_serverName, &address))
        return Activation::NotRunning;
    // The first copy may hold the lock a moment before it listens: try again until the deadline.
    // A busy copy still accepts the connection (the system queues it), so a copy that runs is
    // never taken for a left-over lock; one whose queue is full is busy too.
    QDeadlineTimer deadline(timeoutMs);
    bool busy = false;
    while (!deadline.hasExpired()) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            break;
        if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) == 0) {
            bool answered = false;
            if (waitFor(fd, POLLOUT, deadline) &&
                ::send(fd, kActivate.constData(), std::size_t(kActivate.size()), MSG_NOSIGNAL) ==
                    ssize_t(kActivate.size())) {
                QByteArray reply;
                char buffer[16];
                while (!reply.contains('\n') && waitFor(fd, POLLIN, deadline)) {
                    const ssize_t n = ::read(fd, buffer, sizeof(buffer));
                    if (n > 0)
                        reply.append(buffer, qsizetype(n));
                    else if (n == 0 || (errno != EINTR && errno != EAGAIN))
                        break;
                }
                answered = reply == kAnswer;
            }
            closeFd(fd);
            return answered ? Activation::Answered : Activation::NoAnswer;
        }
        busy = busy || errno == EAGAIN;
        closeFd(fd);
        QThread::msleep(std::clamp<qint64>(deadline.remainingTime(), 0, 50));
    }
    return busy ? Activation::NoAnswer : Activation::NotRunning;
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
