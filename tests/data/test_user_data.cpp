// The user's own study database, its daily backups and their thinning, the left-over -wal.
#include "data/Database.h"
#include "data/StudyData.h"
#include "data/UserData.h"
#include "support/StudyLogCheck.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

using namespace Qt::StringLiterals;
using testsupport::FixedToday;
using testsupport::TestDatabase;

namespace {

constexpr QFile::Permissions kPermMask = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                         QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                         QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;

QFile::Permissions modeOf(const QString &path)
{
    return QFileInfo(path).permissions() & kPermMask;
}

QByteArray contentOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The progress columns of every answered question, in a stable order.
QStringList answers(const QSqlDatabase &db)
{
    QStringList rows;
    QSqlQuery q = Db::query(db, u"SELECT A1,E1,E3,E4,F1,ecount FROM tab_answ "
                                u"WHERE E3<>0 OR E4<>0 OR ecount<>0 ORDER BY A1"_s);
    while (q.next()) {
        QStringList cols;
        for (int i = 0; i < 6; ++i)
            cols << q.value(i).toString();
        rows << cols.join(u'|');
    }
    return rows;
}

} // namespace

TEST(UserData, FirstStartCopiesTheTemplateUserOnlyAndNeverOverwrites)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.path() + u"/deep/studyaid/"_s;
    const QString db = folder + u"WTXVEB710448.mdb"_s;

    EXPECT_EQ(UserData::prepareDatabase(testsupport::fixtureDb(), db), UserData::Prepared::Ready);
    EXPECT_EQ(contentOf(db), contentOf(testsupport::fixtureDb()));
    EXPECT_EQ(modeOf(db), QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(modeOf(folder), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_FALSE(QFileInfo::exists(db + u".part"_s));

    // The candidate's database is kept, whatever the template holds now, and even when the
    // template has gone.
    {
        QFile f(db);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("progress");
    }
    EXPECT_EQ(UserData::prepareDatabase(testsupport::shippedDb(), db), UserData::Prepared::Ready);
    EXPECT_EQ(UserData::prepareDatabase(dir.path() + u"/none.mdb"_s, db),
              UserData::Prepared::Ready);
    EXPECT_EQ(contentOf(db), QByteArray("progress"));

    // No database and no template: reported, nothing made.
    const QString other = dir.path() + u"/other/WTXVEB710448.mdb"_s;
    EXPECT_EQ(UserData::prepareDatabase(dir.path() + u"/none.mdb"_s, other),
              UserData::Prepared::TemplateMissing);
    EXPECT_FALSE(QFileInfo::exists(other));
}

TEST(UserData, InstalledLayoutAndXdgDataHome)
{
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    ASSERT_TRUE(QDir().mkpath(prefix.path() + u"/bin"_s));
    const QString bin = prefix.path() + u"/bin"_s;
    // A bin folder without share/<program>/pic/main.json is a build folder.
    EXPECT_EQ(UserData::installedProgramFolder(bin), QString());
    EXPECT_EQ(UserData::installedProgramFolder(testsupport::binDir()), QString());
    ASSERT_TRUE(QDir().mkpath(prefix.path() + u"/share/studyaid/pic"_s));
    QFile menu(prefix.path() + u"/share/studyaid/pic/main.json"_s);
    ASSERT_TRUE(menu.open(QIODevice::WriteOnly));
    menu.close();
    EXPECT_EQ(UserData::installedProgramFolder(bin),
              QDir::cleanPath(prefix.path()) + u"/share/studyaid/"_s);

    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(prefix.path() + u"/xdg"_s));
    const QString folder = UserData::userDataFolder();
    if (saved.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", saved);
    EXPECT_TRUE(folder.startsWith(prefix.path() + u"/xdg/"_s)) << folder.toStdString();
    EXPECT_TRUE(folder.endsWith(u'/'));
}

TEST(UserData, BackupIsAConsistentCopyWithTheSameAnswers)
{
    TestDatabase data;
    ASSERT_TRUE(data.isValid());
    const QSqlDatabase db = data.study.connection();
    // Progress written on the open connection (still in the -wal) must be in the copy.
    Db::exec(db,
             u"UPDATE tab_answ SET E3=2,E4=1,ecount=3,E1=? WHERE rowid IN "
             u"(SELECT rowid FROM tab_answ ORDER BY A1 LIMIT 3)"_s,
             {u"2026-12-01"_s});
    const QStringList expected = answers(db);
    ASSERT_EQ(expected.size(), 3);

    QString why;
    const QString copy = UserData::backupNow(data.folder.databasePath(), &why);
    ASSERT_FALSE(copy.isEmpty()) << why.toStdString();
    EXPECT_TRUE(copy.startsWith(UserData::backupFolder(data.folder.databasePath())));
    EXPECT_EQ(modeOf(copy), QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(modeOf(UserData::backupFolder(data.folder.databasePath())),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QString error;
    ASSERT_TRUE(Db::open(u"backupcheck"_s, copy, {}, &error)) << error.toStdString();
    EXPECT_EQ(answers(QSqlDatabase::database(u"backupcheck"_s, false)), expected);
    EXPECT_EQ(Db::scalar(QSqlDatabase::database(u"backupcheck"_s, false), u"PRAGMA quick_check"_s)
                  .toString(),
              u"ok"_s);
    Db::close(u"backupcheck"_s);
    ASSERT_EQ(UserData::backups(data.folder.databasePath()).size(), 1);
    EXPECT_EQ(UserData::backups(data.folder.databasePath()).first().path, copy);
}

TEST(UserData, DailyBackupsOver60DaysKeepAWeekOfDaysAndFourWeeks)
{
    // Sixty days of starts from the first date; on the last day the backups kept are the last
    // 7 days and the newest older one of each of 4 calendar weeks (Monday to Sunday).
    struct Case
    {
        QDate first;
        QList<QDate> olderKept;
    };
    const Case cases[] = {
        // Ends on Sunday 2026-03-01: the older weeks end on Sundays.
        {QDate(2026, 1, 1),
         {QDate(2026, 2, 22), QDate(2026, 2, 15), QDate(2026, 2, 8), QDate(2026, 2, 1)}},
        // Ends on Wednesday 2026-03-04: the current week's Monday..Wednesday are recent days,
        // its older part keeps Wednesday 02-25.
        {QDate(2026, 1, 4),
         {QDate(2026, 2, 25), QDate(2026, 2, 22), QDate(2026, 2, 15), QDate(2026, 2, 8)}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.first.toString(Qt::ISODate).toStdString());
        TestDatabase data;
        ASSERT_TRUE(data.isValid());
        const QString path = data.folder.databasePath();
        FixedToday today(c.first);
        for (int day = 0; day < 60; ++day) {
            today.set(c.first.addDays(day));
            // Two starts a day: the second takes no backup.
            for (int run = 0; run < 2; ++run) {
                QString why;
                ASSERT_TRUE(UserData::dailyBackup(path, &why)) << why.toStdString();
            }
        }
        QList<QDate> kept;
        for (const auto &e : UserData::backups(path))
            kept.append(e.taken.date());
        const QDate last = c.first.addDays(59);
        QList<QDate> expected;
        for (int age = 0; age < 7; ++age)
            expected.append(last.addDays(-age));
        expected += c.olderKept;
        EXPECT_EQ(kept, expected);
    }
}

TEST(UserData, LeftoverWalIsCopiedAsideUntouched)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString db = dir.path() + u"/WTXVEB710448.mdb"_s;
    ASSERT_TRUE(QFile::copy(testsupport::fixtureDb(), db));
    // Nothing to do without a -wal, or with an empty one.
    EXPECT_TRUE(UserData::setAsideLeftoverWal(db));
    QFile wal(db + u"-wal"_s);
    ASSERT_TRUE(wal.open(QIODevice::WriteOnly));
    wal.close();
    EXPECT_TRUE(UserData::setAsideLeftoverWal(db));
    EXPECT_FALSE(QFileInfo::exists(UserData::backupFolder(db)));

    ASSERT_TRUE(wal.open(QIODevice::WriteOnly));
    wal.write(QByteArray(4096, 'w'));
    wal.close();
    ASSERT_TRUE(UserData::setAsideLeftoverWal(db));
    const QStringList copies = QDir(UserData::backupFolder(db)).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(copies.size(), 2);
    EXPECT_EQ(contentOf(UserData::backupFolder(db) + copies[0]), contentOf(db));
    EXPECT_TRUE(copies[1].endsWith(u"-wal"_s));
    EXPECT_EQ(contentOf(UserData::backupFolder(db) + copies[1]), QByteArray(4096, 'w'));
    // The originals stay where they were; these copies are not counted as daily backups.
    EXPECT_EQ(contentOf(db + u"-wal"_s), QByteArray(4096, 'w'));
    EXPECT_TRUE(UserData::backups(db).isEmpty());
}

TEST(UserData, SetAsideCopiesKeepTheNewestAndGoAfterFourWeeks)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString db = dir.path() + u"/WTXVEB710448.mdb"_s;
    ASSERT_TRUE(QFile::copy(testsupport::fixtureDb(), db));
    const QString folder = UserData::backupFolder(db);
    ASSERT_TRUE(QDir().mkpath(folder));
    const auto touch = [&](const QString &name) {
        QFile f(folder + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
    };
    // Crash copies 40 and 30 days old (with their -wal), one of 10 days, and the newest, 40
    // days old, of the copies kept before a restore; an unrelated file stays too.
    for (const char *name : {"WTXVEB710448-leftover-wal-20261031-080000.mdb",
                             "WTXVEB710448-leftover-wal-20261031-080000.mdb-wal",
                             "WTXVEB710448-leftover-wal-20261110-080000.mdb",
                             "WTXVEB710448-leftover-wal-20261130-080000.mdb",
                             "WTXVEB710448-replaced-20261031-080000.mdb", "notes.txt"})
        touch(QString::fromLatin1(name));
    const QStringList removed = UserData::thinBackups(db, QDate(2026, 12, 10));
    EXPECT_EQ(removed.size(), 2);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files, QDir::Name),
              (QStringList{u"WTXVEB710448-leftover-wal-20261130-080000.mdb"_s,
                           u"WTXVEB710448-replaced-20261031-080000.mdb"_s, u"notes.txt"_s}));
}

using testsupport::logAnswers;
using testsupport::loggedAnswers;

TEST(UserData, RestoreRoundTripKeepsTheReplacedDatabaseAndReopensTheModule)
{
    TestDatabase data;
    ASSERT_TRUE(data.isValid());
    const QString path = data.folder.databasePath();
    logAnswers(data.study.connection(), u"2026-12-01"_s, 5);
    Db::exec(data.study.connection(), u"UPDATE tab_answ SET E3=1,ecount=1 WHERE rowid IN "
                                      u"(SELECT rowid FROM tab_answ ORDER BY A1 LIMIT 2)"_s);
    const QStringList before = answers(data.study.connection());
    QString why;
    const QString backup = UserData::backupNow(path, &why);
    ASSERT_FALSE(backup.isEmpty()) << why.toStdString();
    const UserData::Inspection seen = UserData::inspect(backup);
    EXPECT_TRUE(seen.good) << seen.why.toStdString();
    EXPECT_EQ(seen.answers, 5);

    // Later progress, still in the open connection's -wal.
    logAnswers(data.study.connection(), u"2026-12-02"_s, 7);
    Db::exec(data.study.connection(), u"UPDATE tab_answ SET E3=2,ecount=4"_s);
    const QStringList later = answers(data.study.connection());
    ASSERT_NE(later, before);

    const UserData::Restored r = UserData::restore(path, backup, &data.study);
    ASSERT_EQ(r.outcome, UserData::Restored::Done) << r.why.toStdString();
    ASSERT_TRUE(data.study.connected());
    EXPECT_EQ(answers(data.study.connection()), before);
    EXPECT_EQ(loggedAnswers(data.study.connection()), 5);
    // The module writes to the restored file.
    logAnswers(data.study.connection(), u"2026-12-03"_s, 1);
    EXPECT_EQ(loggedAnswers(data.study.connection()), 6);

    // The replaced database is a backup of its own, listed, holding the later progress; the
    // restored file is user-only and no staging file is left.
    ASSERT_FALSE(r.kept.isEmpty());
    EXPECT_EQ(UserData::backups(path).size(), 2);
    EXPECT_EQ(UserData::inspect(r.kept).answers, 12);
    EXPECT_EQ(modeOf(path), QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_FALSE(QFileInfo::exists(path + u".restore"_s));

    // Restoring the kept copy brings the later progress back.
    const UserData::Restored back = UserData::restore(path, r.kept, &data.study);
    ASSERT_EQ(back.outcome, UserData::Restored::Done) << back.why.toStdString();
    EXPECT_EQ(answers(data.study.connection()), later);

    // Reading backups and restoring leave no -wal, -shm or staging files behind.
    EXPECT_EQ(QDir(UserData::backupFolder(path)).entryList({u"*-wal"_s, u"*-shm"_s}),
              QStringList());
    EXPECT_EQ(QDir(QFileInfo(path).absolutePath()).entryList({u"*.restore*"_s}), QStringList());
}

TEST(UserData, ARestoreThatCannotBeDoneChangesNothing)
{
    struct Case
    {
        const char *name;
        std::function<QString(const QString &folder, const QString &goodBackup)> makeBackup;
        UserData::Restored::Outcome outcome;
    };
    const auto writeFile = [](const QString &path, const QByteArray &bytes) {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        return path;
    };
    const std::vector<Case> cases = {
        {"not a database",
         [&](const QString &folder, const QString &) {
             return writeFile(folder + u"/garbage.mdb"_s, QByteArray(8192, 'x'));
         },
         UserData::Restored::BadBackup},
        {"a table missing",
         [](const QString &folder, const QString &good) {
             const QString copy = folder + u"/notable.mdb"_s;
             QFile::copy(good, copy);
             Db::open(u"spoil"_s, copy, {});
             Db::exec(QSqlDatabase::database(u"spoil"_s, false), u"DROP TABLE tab_plan"_s);
             Db::close(u"spoil"_s);
             return copy;
         },
         UserData::Restored::BadBackup},
        {"damaged pages",
         [&](const QString &folder, const QString &good) {
             const QString copy = folder + u"/damaged.mdb"_s;
             QFile::copy(good, copy);
             testsupport::damagePages(copy);
             return copy;
         },
         UserData::Restored::BadBackup},
        {"no such file",
         [](const QString &folder, const QString &) -> QString { return folder + u"/none.mdb"_s; },
         UserData::Restored::BadBackup},
        // A sound study database of another product: its tables are all there.
        {"another product",
         [](const QString &folder, const QString &good) {
             const QString copy = folder + u"/foreign.mdb"_s;
             QFile::copy(good, copy);
             Db::open(u"spoil"_s, copy, {});
             Db::exec(QSqlDatabase::database(u"spoil"_s, false),
                      u"UPDATE tab_sj SET cpbs='OTHER'"_s);
             Db::close(u"spoil"_s);
             return copy;
         },
         UserData::Restored::ForeignProduct},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TestDatabase data;
        ASSERT_TRUE(data.isValid());
        QTemporaryDir elsewhere;
        const QString path = data.folder.databasePath();
        const QString good = UserData::backupNow(path);
        ASSERT_FALSE(good.isEmpty());
        logAnswers(data.study.connection(), u"2026-12-02"_s, 3);
        const QStringList before = answers(data.study.connection());
        const QString bad = c.makeBackup(elsewhere.path(), good);

        const UserData::Restored r = UserData::restore(path, bad, &data.study);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_FALSE(r.why.isEmpty());
        EXPECT_TRUE(r.kept.isEmpty());
        ASSERT_TRUE(data.study.connected());
        EXPECT_EQ(answers(data.study.connection()), before);
        EXPECT_EQ(loggedAnswers(data.study.connection()), 3);
        EXPECT_EQ(UserData::backups(path).size(), 1);
        EXPECT_FALSE(QFileInfo::exists(path + u".restore"_s));
    }
}

TEST(UserData, RestoreRefusesWhileAnotherConnectionStillUsesTheDatabase)
{
    TestDatabase data;
    ASSERT_TRUE(data.isValid());
    const QString path = data.folder.databasePath();
    const QString backup = UserData::backupNow(path);
    ASSERT_FALSE(backup.isEmpty());
    // Another reader keeps the -wal alive after the module closes: its pages are not in the
    // main file yet, and would replay into the restored one.
    ASSERT_TRUE(Db::open(u"other"_s, path, {}));
    logAnswers(QSqlDatabase::database(u"other"_s, false), u"2026-12-02"_s, 4);

    const UserData::Restored r = UserData::restore(path, backup, &data.study);
    EXPECT_EQ(r.outcome, UserData::Restored::Failed);
    ASSERT_TRUE(data.study.connected());
    EXPECT_EQ(loggedAnswers(data.study.connection()), 4);
    Db::close(u"other"_s);
}

TEST(UserData, NewestGoodBackupSkipsDamagedAndForeignOnes)
{
    TestDatabase data;
    ASSERT_TRUE(data.isValid());
    const QString path = data.folder.databasePath();
    FixedToday today(QDate(2026, 12, 8));
    const QString older = UserData::backupNow(path);
    today.set(QDate(2026, 12, 9));
    const QString newer = UserData::backupNow(path);
    ASSERT_FALSE(older.isEmpty());
    ASSERT_FALSE(newer.isEmpty());
    EXPECT_EQ(UserData::newestGoodBackup(path).path, newer);
    // A sound database of another product is no backup to offer.
    ASSERT_TRUE(Db::open(u"spoil"_s, newer, {}));
    Db::exec(QSqlDatabase::database(u"spoil"_s, false), u"UPDATE tab_sj SET cpbs='OTHER'"_s);
    Db::close(u"spoil"_s);
    EXPECT_TRUE(UserData::inspect(newer).good);
    EXPECT_EQ(UserData::newestGoodBackup(path).path, older);
    testsupport::damagePages(newer);
    EXPECT_EQ(UserData::newestGoodBackup(path).path, older);
    QFile::remove(older);
    EXPECT_TRUE(UserData::newestGoodBackup(path).path.isEmpty());
}

// A backup with a -wal beside it (a file copied while another program wrote to it): listed and
// restored as the backup file itself holds it, without reading or changing the -wal, and the
// listing leaves no index file in backups/.
TEST(UserData, ABackupIsRestoredAsItIsListedWhateverLiesBesideIt)
{
    TestDatabase data;
    ASSERT_TRUE(data.isValid());
    const QString path = data.folder.databasePath();
    logAnswers(data.study.connection(), u"2026-12-01"_s, 3);
    const QString backup = UserData::backupFolder(path) + u"WTXVEB710448-20261201-080000.mdb"_s;
    {
        // The file and its -wal copied while a connection holds 8 answers in the -wal only.
        QTemporaryDir scratch;
        const QString source = scratch.filePath(u"source.mdb"_s);
        ASSERT_FALSE(UserData::backupNow(path).isEmpty());
        ASSERT_TRUE(QFile::copy(UserData::backups(path).first().path, source));
        ASSERT_TRUE(QFile::remove(UserData::backups(path).first().path));
        ASSERT_TRUE(Db::open(u"writer"_s, source, {}));
        const QSqlDatabase writer = QSqlDatabase::database(u"writer"_s, false);
        Db::exec(writer, u"PRAGMA wal_autocheckpoint=0"_s);
        logAnswers(writer, u"2026-12-02"_s, 8);
        ASSERT_TRUE(QFile::copy(source, backup));
        ASSERT_TRUE(QFile::copy(source + u"-wal"_s, backup + u"-wal"_s));
        Db::close(u"writer"_s);
    }
    const QByteArray walBefore = contentOf(backup + u"-wal"_s);
    ASSERT_FALSE(walBefore.isEmpty());

    const UserData::Inspection listed = UserData::inspect(backup, false);
    ASSERT_TRUE(listed.good) << listed.why.toStdString();
    EXPECT_TRUE(UserData::inspect(backup).good);
    EXPECT_FALSE(QFileInfo::exists(backup + u"-shm"_s));

    logAnswers(data.study.connection(), u"2026-12-03"_s, 20);
    const UserData::Restored r = UserData::restore(path, backup, &data.study);
    ASSERT_EQ(r.outcome, UserData::Restored::Done) << r.why.toStdString();
    EXPECT_EQ(loggedAnswers(data.study.connection()), listed.answers);
    EXPECT_EQ(listed.answers, 3);
    // The backup and its -wal lie as they were; nothing was left beside them.
    EXPECT_EQ(contentOf(backup + u"-wal"_s), walBefore);
    EXPECT_FALSE(QFileInfo::exists(backup + u"-shm"_s));
    EXPECT_EQ(QDir(QFileInfo(path).absolutePath()).entryList({u"*.restore*"_s, u"*.part"_s}),
              QStringList());
}
