#include "data/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PrivateFiles {

namespace {

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

// A descriptor closed when it goes out of scope.
class Fd
{
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }

private:
    int m_fd;
};

int openNoFollow(const QString &path, int flags)
{
    int fd;
    do {
        // O_NONBLOCK: a pipe in the file's place must not hold the program up.
        fd = ::open(native(path).constData(), flags | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Sets the mode on an open descriptor when it is of the kind expected and the user's own.
bool restrictOpen(const Fd &fd, bool folder, mode_t mode)
{
    struct stat st
    {
    };
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0)
        return false;
    const bool kind = folder ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode);
    if (!kind || st.st_uid != ::geteuid())
        return false;
    return (st.st_mode & 07777) == mode || ::fchmod(fd.get(), mode) == 0;
}

bool syncFd(int fd)
{
    int rc;
    do {
        rc = ::fsync(fd);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

bool writeAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, std::size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

} // namespace

Kind kindOf(const QString &path)
{
    struct stat st
    {
    };
    if (::lstat(native(path).constData(), &st) != 0)
        return Kind::Missing;
    if (S_ISREG(st.st_mode))
        return Kind::File;
    if (S_ISDIR(st.st_mode))
        return Kind::Folder;
    return Kind::Other;
}

bool restrictFile(const QString &path)
{
    const Fd fd(openNoFollow(path, O_RDONLY | O_NOCTTY));
    return restrictOpen(fd, false, 0600);
}

bool restrictFolder(const QString &path)
{
    const Fd fd(openNoFollow(path, O_RDONLY | O_DIRECTORY));
    return restrictOpen(fd, true, 0700);
}

bool makeFolder(const QString &path)
{
    QString folder = QDir::cleanPath(path);
    if (kindOf(folder) == Kind::Missing && !QDir().mkpath(folder))
        return false;
    switch (kindOf(folder)) {
    case Kind::Folder:
        return restrictFolder(folder);
    case Kind::Other:
        // A link set up to a folder elsewhere: used, its mode left to whoever set it up.
        return QFileInfo(folder).isDir();
    case Kind::Missing:
    case Kind::File:
        break;
    }
    return false;
}

bool syncFile(const QString &path)
{
    const Fd fd(openNoFollow(path, O_RDONLY | O_NOCTTY));
    return fd.valid() && syncFd(fd.get());
}

bool syncFolder(const QString &path)
{
    // The folder may be reached through a link set up by the user: followed here, since only
    // its entries are flushed.
    const Fd fd(::open(native(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.valid() && syncFd(fd.get());
}

bool copyToNewFile(const QString &from, const QString &to)
{
    const Fd source(::open(native(from).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    struct stat st
    {
    };
    if (!source.valid() || ::fstat(source.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    bool done = false;
    {
        const Fd target(::open(native(to).constData(),
                               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!target.valid())
            return false;
        done = ::fchmod(target.get(), 0600) == 0;
        char buffer[64 * 1024];
        while (done) {
            const ssize_t n = ::read(source.get(), buffer, sizeof(buffer));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                done = n == 0;
                break;
            }
            done = writeAll(target.get(), buffer, n);
        }
        done = done && syncFd(target.get());
    }
    if (!done)
        ::unlink(native(to).constData());
    return done;
}

bool renameInPlace(const QString &from, const QString &to, bool replace)
{
    if (!syncFile(from))
        return false;
    const QByteArray source = native(from);
    const QByteArray target = native(to);
    bool renamed = false;
    if (replace) {
        renamed = std::rename(source.constData(), target.constData()) == 0;
    } else {
        renamed = ::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(),
                              RENAME_NOREPLACE) == 0;
        // A file system without that kind of rename: a second name, then the first one goes.
        if (!renamed && (errno == EINVAL || errno == ENOSYS))
            renamed = ::link(source.constData(), target.constData()) == 0 &&
                      ::unlink(source.constData()) == 0;
    }
    if (!renamed)
        return false;
    // Done: a folder that cannot be flushed now is flushed by the system soon after.
    syncFolder(QFileInfo(to).absolutePath());
    return true;
}

} // namespace PrivateFiles
