// Copies that survive a power cut: every file the program puts in place by renaming is on the
// disk before the rename, and the rename itself is on the disk (its folder synced) after it.
// fsync, fdatasync and rename are wrapped here to watch the order of what reaches the disk.
#include "data/Database.h"
#include "data/UserData.h"
#include "support/StudyLogCheck.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <functional>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;
using testsupport::TestDatabase;

namespace {

struct Event
{
    enum Kind
    {
        Sync,
        Rename
    };
    Kind kind;
    ino_t inode;    // the file or folder synced; the file renamed
    ino_t folder;   // the folder renamed into
    std::string to; // the name renamed to
};

std::mutex eventLock;
std::vector<Event> &events()
{
    static std::vector<Event> list;
    return list;
}

void recordSync(int fd)
{
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0)
        return;
    std::lock_guard guard(eventLock);
    events().push_back({Event::Sync, st.st_ino, 0, {}});
}

// Every rename of the test so far: what was synced before it and after it.
struct Check
{
    int renames = 0;
    std::vector<std::string> unsyncedBefore; // renamed without its contents synced first
    std::vector<std::string> unsyncedAfter;  // renamed without its folder synced afterwards
};

Check checkRenames()
{
    std::lock_guard guard(eventLock);
    Check c;
    const std::vector<Event> &list = events();
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].kind != Event::Rename)
            continue;
        ++c.renames;
        bool before = false;
        bool after = false;
        for (std::size_t j = 0; j < i; ++j)
            before = before || (list[j].kind == Event::Sync && list[j].inode == list[i].inode);
        for (std::size_t j = i + 1; j < list.size(); ++j)
            after = after || (list[j].kind == Event::Sync && list[j].inode == list[i].folder);
        if (!before)
            c.unsyncedBefore.push_back(list[i].to);
        if (!after)
            c.unsyncedAfter.push_back(list[i].to);
    }
    return c;
}

void clearEvents()
{
    std::lock_guard guard(eventLock);
    events().clear();
}

template <typename F> F real(const char *name)
{
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" int fsync(int fd)
{
    static const auto next = real<int (*)(int)>("fsync");
    const int rc = next(fd);
    if (rc == 0)
        recordSync(fd);
    return rc;
}

extern "C" int fdatasync(int fd)
{
    static const auto next = real<int (*)(int)>("fdatasync");
    const int rc = next(fd);
    if (rc == 0)
        recordSync(fd);
    return rc;
}

namespace {

// Runs a rename and records it when it succeeded.
template <typename Run> int recordRename(const char *from, const char *to, Run run)
{
    struct stat file
    {
    };
    const bool known = ::lstat(from, &file) == 0;
    const int rc = run();
    struct stat folder
    {
    };
    if (rc == 0 && known &&
        ::stat(QFile::encodeName(QFileInfo(QFile::decodeName(to)).absolutePath()).constData(),
               &folder) == 0) {
        std::lock_guard guard(eventLock);
        events().push_back({Event::Rename, file.st_ino, folder.st_ino, to});
    }
    return rc;
}

} // namespace

extern "C" int rename(const char *from, const char *to)
{
    static const auto next = real<int (*)(const char *, const char *)>("rename");
    return recordRename(from, to, [&] { return next(from, to); });
}

extern "C" int renameat2(int fromFd, const char *from, int toFd, const char *to, unsigned int flags)
{
    static const auto next =
        real<int (*)(int, const char *, int, const char *, unsigned int)>("renameat2");
    return recordRename(from, to, [&] { return next(fromFd, from, toFd, to, flags); });
}

namespace {

std::string names(const std::vector<std::string> &list)
{
    std::string out;
    for (const std::string &s : list)
        out += s + ' ';
    return out;
}

} // namespace

// The first copy of the shipped database, a backup, and a restore with the copy of the
// replaced database it keeps: each complete, and every rename of theirs synced around.
TEST(DurableCopies, EveryRenamedCopyIsOnTheDiskBeforeAndAfterItsRename)
{
    struct Case
    {
        const char *name;
        std::function<void(TestDatabase &data)> run;
        int renamesAtLeast;
    };
    const Case cases[] = {
        {"first copy of the shipped database",
         [](TestDatabase &) {
             QTemporaryDir dir;
             const QString db = dir.path() + u"/user/WTXVEB710448.mdb"_s;
             ASSERT_EQ(UserData::prepareDatabase(testsupport::fixtureDb(), db),
                       UserData::Prepared::Ready);
             QFile copy(db);
             ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
             QFile shipped(testsupport::fixtureDb());
             ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
             EXPECT_EQ(copy.readAll(), shipped.readAll());
         },
         1},
        {"backup",
         [](TestDatabase &data) {
             testsupport::logAnswers(data.study.connection(), u"2026-12-01"_s, 4);
             const QString made = UserData::backupNow(data.folder.databasePath());
             ASSERT_FALSE(made.isEmpty());
             EXPECT_EQ(UserData::inspect(made).answers, 4);
         },
         1},
        {"restore",
         [](TestDatabase &data) {
             const QString path = data.folder.databasePath();
             testsupport::logAnswers(data.study.connection(), u"2026-12-01"_s, 4);
             const QString made = UserData::backupNow(path);
             ASSERT_FALSE(made.isEmpty());
             testsupport::logAnswers(data.study.connection(), u"2026-12-02"_s, 6);
             clearEvents();
             const UserData::Restored r = UserData::restore(path, made, &data.study);
             ASSERT_EQ(r.outcome, UserData::Restored::Done) << r.why.toStdString();
             EXPECT_EQ(testsupport::loggedAnswers(data.study.connection()), 4);
             EXPECT_EQ(UserData::inspect(r.kept).answers, 10);
             // A restore with the module closed keeps a byte copy of the database.
             data.study.close();
             const UserData::Restored again = UserData::restore(path, r.kept, nullptr);
             ASSERT_EQ(again.outcome, UserData::Restored::Done) << again.why.toStdString();
             EXPECT_EQ(UserData::inspect(path).answers, 10);
             EXPECT_EQ(UserData::inspect(again.kept).answers, 4);
         },
         3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TestDatabase data;
        ASSERT_TRUE(data.isValid());
        clearEvents();
        c.run(data);
        const Check check = checkRenames();
        EXPECT_GE(check.renames, c.renamesAtLeast);
        EXPECT_TRUE(check.unsyncedBefore.empty()) << names(check.unsyncedBefore);
        EXPECT_TRUE(check.unsyncedAfter.empty()) << names(check.unsyncedAfter);
        // No partial copy stays behind.
        const QString dataFolder = QFileInfo(data.folder.databasePath()).absolutePath();
        EXPECT_EQ(QDir(dataFolder).entryList({u"*.part"_s, u"*.restore*"_s}), QStringList());
        EXPECT_EQ(QDir(dataFolder + u"/backups"_s).entryList({u"*.part"_s}), QStringList());
    }
}
