// The data module: opening, the progress counters, the study-time log and the paper helpers,
// each on a temporary copy of the fixture database.
#include "data/AnswerRecord.h"
#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/Schema.h"
#include "data/StudyData.h"
#include "support/TestSupport.h"

#include <QDate>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using testsupport::FixedToday;
using testsupport::TempProgramFolder;

namespace {

const QDate kToday(2026, 12, 10);

class DataModule : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(study.openInProgramFolder(folder.path())) << study.lastError().toStdString();
    }

    QSqlDatabase db() const { return study.connection(); }
    QVariant value(const QString &sql, const QVariantList &binds = {}) const
    {
        return Db::scalar(db(), sql, binds);
    }
    // C4/D1/D2 of a chapter as "c4/d1/d2".
    std::string chapter(const QString &code) const
    {
        QSqlQuery q = Db::query(db(), u"select C4,D1,D2 from tab_kmmc where C1=?"_s, {code});
        if (!q.next())
            return "none";
        return QStringLiteral("%1/%2/%3")
            .arg(q.value(0).toInt())
            .arg(q.value(1).toInt())
            .arg(q.value(2).toInt())
            .toStdString();
    }
    // A2/A3/B1/B2 of today's log row, or "none".
    std::string day() const
    {
        QSqlQuery q = Db::query(db(), u"select A2,A3,B1,B2 from tab_rz where A1=?"_s,
                                {StudyData::dateText(Clock::today())});
        if (!q.next())
            return "none";
        return QStringLiteral("%1/%2/%3/%4")
            .arg(q.value(0).toInt())
            .arg(q.value(1).toInt())
            .arg(q.value(2).toInt())
            .arg(q.value(3).toInt())
            .toStdString();
    }
    std::string counters(const QString &table, const QString &key, const QString &id) const
    {
        QSqlQuery q = Db::query(
            db(), u"select q,q1,q2,q4 from "_s + table + u" where "_s + key + u"=?"_s, {id});
        if (!q.next())
            return "none";
        return QStringLiteral("%1/%2/%3/%4")
            .arg(q.value(0).toInt())
            .arg(q.value(1).toInt())
            .arg(q.value(2).toInt())
            .arg(q.value(3).toInt())
            .toStdString();
    }
    QuestionProgress question(const QString &id) const
    {
        QSqlQuery q = Db::query(db(), u"select * from tab_answ where A1=?"_s, {id});
        EXPECT_TRUE(q.next()) << id.toStdString();
        return QuestionProgress::fromRecord(q.record());
    }

    FixedToday today{kToday};
    TempProgramFolder folder;
    StudyData study;
};

} // namespace

namespace {

// Runs SQL on a database file outside the data module.
void alter(const QString &path, const QStringList &statements)
{
    ASSERT_TRUE(Db::open(u"alter"_s, path, {}));
    for (const QString &sql : statements)
        Db::exec(QSqlDatabase::database(u"alter"_s), sql);
    Db::close(u"alter"_s);
}

// Overwrites every page after the first (the schema) with a byte pattern: the tables are still
// listed, but their contents are unreadable.
void damagePages(const QString &path)
{
    alter(path, {u"PRAGMA journal_mode=DELETE"_s});
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const qint64 pageSize = 4096;
    for (qint64 at = pageSize; at + pageSize <= file.size(); at += pageSize) {
        file.seek(at);
        file.write(QByteArray(int(pageSize), '\x5a'));
    }
}

// Permission bits of a file, as in chmod.
unsigned modeOf(const QString &path)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return 01000; // no such file: no mode matches
    return st.st_mode & 07777;
}

} // namespace

// Every file that is not a sound study database is refused at start, and the reason tells a
// damaged file from a missing one.
TEST(DatabaseOpen, RefusesWhatIsNotAStudyDatabase)
{
    struct Case
    {
        const char *name;
        std::function<void(const QString &path)> spoil;
        Db::OpenFailure failure;
        const char *why;
    };
    const Case cases[] = {
        {"missing file", [](const QString &path) { QFile::remove(path); }, Db::OpenFailure::Missing,
         "no such file"},
        {"not a database",
         [](const QString &path) {
             QFile junk(path);
             ASSERT_TRUE(junk.open(QIODevice::WriteOnly | QIODevice::Truncate));
             junk.write("this is not a database, just some text that SQLite cannot read");
         },
         Db::OpenFailure::Damaged, "not a database"},
        {"study tables missing",
         [](const QString &path) {
             QFile::remove(path);
             QFile(path).open(QIODevice::WriteOnly);
             alter(path, {u"create table tab_answ (A1 text)"_s});
         },
         Db::OpenFailure::Damaged, "missing"},
        {"a table recreated without a column",
         [](const QString &path) { alter(path, {u"alter table tab_answ drop column csbs"_s}); },
         Db::OpenFailure::Damaged, "missing column: tab_answ.csbs"},
        {"a kind table without its time column",
         [](const QString &path) { alter(path, {u"alter table tab_tx3 drop column time"_s}); },
         Db::OpenFailure::Damaged, "missing column: tab_tx3.time"},
        {"damaged pages", damagePages, Db::OpenFailure::Damaged, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempProgramFolder folder;
        ASSERT_TRUE(folder.isValid());
        c.spoil(folder.databasePath());
        StudyData study;
        EXPECT_FALSE(study.openInProgramFolder(folder.path()));
        EXPECT_FALSE(study.connected());
        EXPECT_EQ(study.openFailure(), c.failure) << study.lastError().toStdString();
        EXPECT_TRUE(study.lastError().contains(QString::fromUtf8(c.why)))
            << study.lastError().toStdString();
        if (c.failure == Db::OpenFailure::Missing) { // nothing is created in its place
            EXPECT_FALSE(QFile::exists(folder.databasePath()));
        }
    }
    // The damaged pages are caught by the quick check, not by a first read that happens to
    // touch them: the tables and columns are all there.
    TempProgramFolder damaged;
    damagePages(damaged.databasePath());
    ASSERT_TRUE(Db::open(u"probe"_s, damaged.databasePath(), Schema::requiredTables()));
    EXPECT_NE(Db::scalar(QSqlDatabase::database(u"probe"_s), u"PRAGMA quick_check(1)"_s), u"ok"_s);
    Db::close(u"probe"_s);

    // The fixture itself passes every check.
    TempProgramFolder sound;
    StudyData study;
    EXPECT_TRUE(study.openInProgramFolder(sound.path())) << study.lastError().toStdString();
    EXPECT_EQ(study.openFailure(), Db::OpenFailure::None);
}

// The study database, its WAL files and its folder are the user's alone, whatever the umask and
// the modes they had; and every commit is flushed to the disk before it returns.
TEST(DatabaseOpen, StudyFilesAreUserOnlyAndCommitsAreDurable)
{
    TempProgramFolder folder;
    const QString path = folder.databasePath();
    const mode_t oldMask = ::umask(022);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                    QFile::ReadOther);
    QFile::setPermissions(folder.path() + u"data"_s, QFile::ReadOwner | QFile::WriteOwner |
                                                         QFile::ExeOwner | QFile::ReadGroup |
                                                         QFile::ExeGroup | QFile::ReadOther |
                                                         QFile::ExeOther);
    {
        StudyData study;
        ASSERT_TRUE(study.openInProgramFolder(folder.path())) << study.lastError().toStdString();
        FixedToday today(kToday);
        study.recordDailyAnswer(2, 1, 0); // a write: the WAL and its index now exist
        EXPECT_EQ(Db::scalar(study.connection(), u"PRAGMA synchronous"_s).toInt(), 2); // FULL
        EXPECT_EQ(Db::scalar(study.connection(), u"PRAGMA journal_mode"_s).toString(), u"wal"_s);
        for (const QString &file : QStringList{path, path + u"-wal"_s, path + u"-shm"_s}) {
            ASSERT_TRUE(QFile::exists(file)) << file.toStdString();
            EXPECT_EQ(modeOf(file), 0600) << file.toStdString();
        }
        EXPECT_EQ(modeOf(folder.path() + u"data"_s), 0700);
    }
    ::umask(oldMask);
}

// A program that ends through std::exit with its study database open (a missing picture, a
// paper that cannot be made) still closes the connection: SQLite moves the WAL into the file and
// removes it, and the answer written before is there. The child is forked so that it works on
// this test's folder.
TEST(DatabaseOpen, EndingThroughExitClosesTheOpenDatabase)
{
    GTEST_FLAG_SET(death_test_style, "fast");
    TempProgramFolder folder;
    const QString path = folder.databasePath();
    const auto answerAndExit = [&] {
        StudyData dm;
        if (!dm.openInProgramFolder(folder.path()))
            std::exit(3);
        FixedToday today(kToday);
        dm.recordDailyAnswer(2, 1, 0); // a kept write statement, and the WAL beside the file
        std::exit(QFile::exists(path + u"-wal"_s) ? 0 : 4);
    };
    EXPECT_EXIT(answerAndExit(), testing::ExitedWithCode(0), "");
    EXPECT_FALSE(QFile::exists(path + u"-wal"_s));
    StudyData dm;
    ASSERT_TRUE(dm.openInProgramFolder(folder.path())) << dm.lastError().toStdString();
    EXPECT_EQ(Db::scalar(dm.connection(), u"select A2 from tab_rz where A1=?"_s,
                         {StudyData::dateText(kToday)})
                  .toInt(),
              1);
}

TEST(DatabaseOpen, OpensAFolderWhosePathNeedsEscaping)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + u"/学习 #1?x/"_s;
    QDir().mkpath(folder + u"data"_s);
    ASSERT_TRUE(QFile::copy(testsupport::fixtureDb(), folder + u"data/WTXVEB710448.mdb"_s));
    StudyData study;
    EXPECT_TRUE(study.openInProgramFolder(folder)) << study.lastError().toStdString();
    EXPECT_EQ(App::programFolder, folder);
    EXPECT_EQ(Db::scalar(study.connection(), u"select count(*) from tab_sj"_s).toInt(), 1);
}

TEST_F(DataModule, SecondConnectionOpensAnotherFileOnly)
{
    QString error;
    EXPECT_FALSE(study.openSecondConnection(folder.path() + u"missing.mdb"_s, &error));
    EXPECT_FALSE(QFile::exists(folder.path() + u"missing.mdb"_s));
    ASSERT_TRUE(study.openSecondConnection(testsupport::fixtureDb(), &error));
    EXPECT_EQ(Db::scalar(study.upgradeConnection(), u"select cpbs from tab_sj"_s).toString(),
              u"FIXTURE"_s);
    study.closeSecondConnection();
    EXPECT_FALSE(study.upgradeConnection().isOpen());
}

TEST_F(DataModule, OlderDatabaseGainsTheUniqueExamPointIndexWhenItsCodesAre)
{
    const QString uniqueness = u"SELECT \"unique\" FROM pragma_index_list('tab_rule') "
                               u"WHERE name='ix_rule_ftid'"_s;
    const QString path = folder.databasePath();
    // A plain index as older databases have it; codes unique: it becomes unique at open.
    Db::exec(db(), u"DROP INDEX ix_rule_ftid"_s);
    Db::exec(db(), u"CREATE INDEX ix_rule_ftid ON tab_rule(ftid)"_s);
    ASSERT_TRUE(study.openDatabase(path));
    EXPECT_EQ(value(uniqueness).toInt(), 1);
    // A doubled code keeps the plain index, and the database still opens.
    Db::exec(db(), u"DROP INDEX ix_rule_ftid"_s);
    Db::exec(db(), u"CREATE INDEX ix_rule_ftid ON tab_rule(ftid)"_s);
    Db::exec(db(), u"INSERT INTO tab_rule (ftid,id,sn) SELECT ftid,id,sn FROM tab_rule LIMIT 1"_s);
    ASSERT_TRUE(study.openDatabase(path));
    EXPECT_EQ(value(uniqueness).toInt(), 0);
    EXPECT_EQ(value(u"SELECT count(*) FROM sqlite_master WHERE name='ix_rule_id'"_s).toInt(), 1);
}

TEST_F(DataModule, TextComparesWithoutLetterCase)
{
    EXPECT_EQ(value(u"select count(*) from tab_kmmc where C1='XX'"_s).toInt(), 1);
    EXPECT_EQ(value(u"select count(*) from tab_rule where ftid in ('010101001')"_s).toInt(), 1);
    EXPECT_EQ(value(u"select count(*) from tab_answ where A2='acd'"_s).toInt(), 1);
}

TEST_F(DataModule, DailyAnswerRows)
{
    // First answer of the day, wrong: a new row 1/1/1/1.
    study.recordDailyAnswer(2, 2, 2);
    EXPECT_EQ(day(), "1/1/1/1");
    // Another question, first today, right.
    study.recordDailyAnswer(2, 1, 2);
    EXPECT_EQ(day(), "2/1/2/1");
    // A question answered right this morning and now wrong: B2 + 1, B1 unchanged.
    study.recordDailyAnswer(1, 2, 1);
    EXPECT_EQ(day(), "3/2/2/2");
    // Right again later: B2 - 1.
    study.recordDailyAnswer(1, 1, 2);
    EXPECT_EQ(day(), "4/2/2/1");
    // Right after right, or wrong after wrong, leaves B2.
    study.recordDailyAnswer(1, 1, 1);
    study.recordDailyAnswer(1, 2, 2);
    EXPECT_EQ(day(), "6/3/2/1");
    // The next day starts its own row.
    today.set(kToday.addDays(1));
    study.recordDailyAnswer(2, 1, 1);
    EXPECT_EQ(day(), "1/0/1/0");
    EXPECT_EQ(value(u"select count(*) from tab_rz"_s).toInt(), 2);
}

TEST_F(DataModule, ChapterAnswerReachesEveryExistingPrefix)
{
    study.recordChapterAnswer(u"010101"_s, 2, 2);
    for (const QString &code : {u"010101"_s, u"0101"_s, u"01"_s, u"0"_s})
        EXPECT_EQ(chapter(code), "1/1/1") << code.toStdString();
    // Siblings and other subjects are untouched.
    for (const QString &code : {u"010102"_s, u"0102"_s, u"02"_s, u"xx"_s})
        EXPECT_EQ(chapter(code), "0/0/0") << code.toStdString();
    // Answered before, right: only D1 moves.
    study.recordChapterAnswer(u"010101"_s, 1, 1);
    EXPECT_EQ(chapter(u"010101"_s), "1/2/1");
    EXPECT_EQ(chapter(u"0"_s), "1/2/1");
    // A code without its own row still reaches its ancestors.
    study.recordChapterAnswer(u"010109"_s, 2, 1);
    EXPECT_EQ(chapter(u"0101"_s), "2/3/1");
}

TEST_F(DataModule, ExamPointAnswerCountsAChapterOnce)
{
    const ExamPointLists lists = ExamPointLists::fromCodes(
        {u"010101001"_s, u"010101002"_s, u"010102001"_s, QString(), u"020101001"_s});
    EXPECT_EQ(lists.points, u"('010101001','010101002','010102001')"_s);
    EXPECT_EQ(lists.chapters, u"('010101','010101','010102')"_s);
    EXPECT_EQ(lists.groups, u"('01','01','01')"_s);

    study.recordExamPointAnswer(lists.points, lists.chapters, lists.groups, 2, 2);
    EXPECT_EQ(counters(u"tab_rule"_s, u"ftid"_s, u"010101001"_s), "4/1/1/1");
    EXPECT_EQ(counters(u"tab_fgmc"_s, u"id"_s, u"010101"_s), "5/1/1/1");
    EXPECT_EQ(counters(u"tab_fgmc"_s, u"id"_s, u"01"_s), "6/1/1/1");
    // The list stops at the first empty code.
    EXPECT_EQ(counters(u"tab_rule"_s, u"ftid"_s, u"020101001"_s), "2/0/0/0");

    study.recordExamPointAnswer(lists.points, lists.chapters, lists.groups, 1, 1);
    EXPECT_EQ(counters(u"tab_fgmc"_s, u"id"_s, u"01"_s), "6/1/2/1");
    EXPECT_TRUE(ExamPointLists::fromCodes({QString(), u"010101001"_s}).isEmpty());
    // Quotes inside a code are doubled, not spliced.
    EXPECT_EQ(ExamPointLists::fromCodes({u"a'b"_s}).points, u"('a''b')"_s);
}

TEST_F(DataModule, StudyTimeAddsToTodayAndRefreshesChapterScores)
{
    Db::exec(db(), u"update tab_kmmc set D1=3,D2=1 where C1='010101'"_s);
    Db::exec(db(), u"update tab_kmmc set D1=0,D2=0,C6='55.00' where C1='0101'"_s);

    // No log row today: tab_rz stays empty, the chapter scores are still refreshed.
    study.addStudyTime(u"0:45:30"_s);
    EXPECT_EQ(value(u"select count(*) from tab_rz"_s).toInt(), 0);
    EXPECT_EQ(value(u"select C6 from tab_kmmc where C1='010101'"_s).toString(), u"66.67"_s);
    EXPECT_EQ(value(u"select C6 from tab_kmmc where C1='0101'"_s).toString(), u"0"_s);

    // An empty D1 becomes the elapsed time; A4 is the day's score.
    study.recordDailyAnswer(2, 1, 2);
    study.recordDailyAnswer(2, 2, 2);
    study.recordDailyAnswer(2, 1, 2);
    study.addStudyTime(u"0:45:30"_s);
    EXPECT_EQ(value(u"select D1 from tab_rz"_s).toString(), u"00:45:30"_s);
    EXPECT_EQ(value(u"select A4 from tab_rz"_s).toString(), u"66.67"_s);

    Db::exec(db(), u"update tab_rz set D1='01:20:40'"_s);
    study.addStudyTime(u"0:45:30"_s);
    EXPECT_EQ(value(u"select D1 from tab_rz"_s).toString(), u"02:06:10"_s);

    // Hours run past 24.
    Db::exec(db(), u"update tab_rz set D1='23:59:59'"_s);
    study.addStudyTime(u"1:00:02"_s);
    EXPECT_EQ(value(u"select D1 from tab_rz"_s).toString(), u"25:00:01"_s);
}

TEST(DataModuleHelpers, timeTextToSeconds)
{
    const struct
    {
        const char16_t *text;
        qint64 seconds;
    } cases[] = {
        {u"", 0},
        {u"90", 0},
        {u"5:30", 5 * 3600},
        {u"01:20:40", 4840},
        {u"0:45:30", 2730},
        {u"100:00:00", 360000},
        {u"1:2:345", 3600 + 120 + 34},
    };
    for (const auto &c : cases)
        EXPECT_EQ(StudyData::timeTextToSeconds(QString::fromUtf16(c.text)), c.seconds)
            << QString::fromUtf16(c.text).toStdString();
    EXPECT_THROW(StudyData::timeTextToSeconds(u"a:00:00"_s), std::invalid_argument);
    EXPECT_THROW(StudyData::timeTextToSeconds(u"1:xx:00"_s), std::invalid_argument);
    EXPECT_EQ(StudyData::secondsToTimeText(4840), u"01:20:40"_s);
    EXPECT_EQ(StudyData::secondsToTimeText(0), u"00:00:00"_s);
}

TEST(DataModuleHelpers, ScoreTextAndKindPages)
{
    EXPECT_EQ(StudyData::scoreText(0, 0), u"0"_s);
    EXPECT_EQ(StudyData::scoreText(-1, 0), u"0"_s);
    EXPECT_EQ(StudyData::scoreText(3, 1), u"66.67"_s);
    EXPECT_EQ(StudyData::scoreText(4, 0), u"100.00"_s);
    EXPECT_EQ(StudyData::scoreText(3, 3), u"0.00"_s);
    const std::pair<int, int> pages[] = {{11, 0}, {21, 1},  {31, 4}, {72, 4}, {73, 4},
                                         {74, 4}, {64, 99}, {0, 99}, {12, 99}};
    for (const auto &[kind, page] : pages)
        EXPECT_EQ(StudyData::answerPageOfKind(kind), page) << kind;
}

TEST_F(DataModule, TotalPaperScoreFollowsTheKindTableInUse)
{
    Db::exec(db(), u"delete from tab_tx2"_s);
    Db::exec(db(), u"insert into tab_tx2 (A1,B1,B2,B3,time) values (11,'单选',10,1,1),"
                   u"(21,'多选',5,2,2),(31,'案例分析',0,20,15)"_s);
    study.useKindTable(2);
    EXPECT_EQ(study.totalPaperScore(), 20);
    study.useKindTable(4);
    EXPECT_EQ(study.totalPaperScore(), 100);
}

TEST_F(DataModule, DropPaperRemovesTableAndHistoryRow)
{
    Schema::createPaperTable(db(), u"tab_exam3"_s);
    Db::exec(db(),
             u"insert into tab_cj (A1,A3,A3_1) values ('tab_exam3','t',3),('tab_exam9','u',9)"_s);
    // Not a table: nothing happens, the history row of that name stays.
    study.dropPaper(u"tab_exam9"_s);
    EXPECT_EQ(value(u"select count(*) from tab_cj"_s).toInt(), 2);
    study.dropPaper(u"TAB_EXAM3"_s);
    EXPECT_FALSE(Db::hasTable(db(), u"tab_exam3"_s));
    EXPECT_EQ(value(u"select count(*) from tab_cj where A1='tab_exam3'"_s).toInt(), 0);
    EXPECT_EQ(value(u"select count(*) from tab_cj"_s).toInt(), 1);
    // A name that would break the statement is a name like any other.
    EXPECT_NO_THROW(study.dropPaper(u"x\"; drop table tab_answ; --"_s));
    EXPECT_TRUE(Db::hasTable(db(), u"tab_answ"_s));
}

TEST_F(DataModule, PaperTableKeepsNotesAsTextAndComparesWithoutCase)
{
    Schema::createPaperTable(db(), u"tab_exam1"_s);
    Db::exec(db(),
             u"insert into tab_exam1 (A1,A2,A14,E1,jx) values ('q','AB','0012','2026-12-10',?)"_s,
             {QByteArray("\x00\x01rich", 6)});
    QSqlQuery q = Db::query(db(), u"select A14,E1,jx from tab_exam1 where A1='Q' and A2='ab'"_s);
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), u"0012"_s);
    EXPECT_EQ(q.value(1).toString(), u"2026-12-10"_s);
    EXPECT_EQ(q.value(2).toByteArray(), QByteArray("\x00\x01rich", 6));
    EXPECT_TRUE(
        Schema::toSqliteDdl(u"A TEXT(5) COLLATE BINARY"_s).contains(u"TEXT(5) COLLATE BINARY"_s));
}

TEST_F(DataModule, KeptWritesBindEveryTypeAndSurviveAFailure)
{
    const QString insert = u"insert into tab_rz (A1,A2,A3,D1) values (?,?,?,?)"_s;
    const QByteArray blob("\x00\xffrich", 6);
    Db::write(db(), insert, {u"2026-01-01"_s, 7, 2.5, blob});
    // The unique day makes the same row fail; the kept statement works again afterwards.
    EXPECT_THROW(Db::write(db(), insert, {u"2026-01-01"_s, 8, QVariant(), QVariant()}),
                 Db::DbError);
    Db::write(db(), insert, {u"2026-01-02"_s, 9, QVariant(), u"学习"_s});
    QSqlQuery q = Db::query(db(), u"select A2,typeof(A3),A3,D1 from tab_rz order by A1"_s);
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 7);
    EXPECT_EQ(q.value(1).toString(), u"real"_s);
    EXPECT_EQ(q.value(3).toByteArray(), blob);
    ASSERT_TRUE(q.next());
    EXPECT_TRUE(q.value(2).isNull());
    EXPECT_EQ(q.value(3).toString(), u"学习"_s);
    EXPECT_FALSE(q.next());
    EXPECT_THROW(Db::write(db(), u"update no_such_table set x=1"_s), Db::DbError);
}

TEST_F(DataModule, NestedTransactionsRollBackTogether)
{
    {
        Db::Transaction outer(db());
        Db::exec(db(), u"update tab_plan set PlanAmount=1"_s);
        {
            Db::Transaction inner(db());
            Db::exec(db(), u"update tab_plan set PlanTime=1"_s);
            inner.commit();
        }
        // outer is not committed: both changes go.
    }
    EXPECT_EQ(value(u"select PlanAmount from tab_plan"_s).toInt(), 50);
    EXPECT_EQ(value(u"select PlanTime from tab_plan"_s).toInt(), 60);

    // An inner unit abandoned (its error caught by a caller) dooms the outer commit.
    {
        Db::Transaction outer(db());
        Db::exec(db(), u"update tab_plan set PlanAmount=2"_s);
        {
            Db::Transaction inner(db());
            Db::exec(db(), u"update tab_plan set PlanTime=2"_s);
        }
        EXPECT_THROW(outer.commit(), Db::DbError);
    }
    EXPECT_EQ(value(u"select PlanAmount from tab_plan"_s).toInt(), 50);
    EXPECT_EQ(value(u"select PlanTime from tab_plan"_s).toInt(), 60);

    // A new unit after that starts clean.
    {
        Db::Transaction unit(db());
        Db::exec(db(), u"update tab_plan set PlanAmount=3"_s);
        unit.commit();
    }
    EXPECT_EQ(value(u"select PlanAmount from tab_plan"_s).toInt(), 3);
}

// Judged answers: the question row and all counters move together.
TEST_F(DataModule, JudgedAnswerLevelsAndCounting)
{
    QuestionProgress q = question(u"010101000001"_s); // correct B, points 010101001, 010101002
    // First answer wrong: E4 -3, the day, chapter and points count it.
    RecordOutcome r = recordJudgedAnswer(study, u"tab_answ"_s, q, u"A"_s);
    EXPECT_TRUE(r.counted);
    EXPECT_FALSE(r.right);
    QuestionProgress stored = question(u"010101000001"_s);
    EXPECT_EQ(stored.wrongLevel, -3);
    EXPECT_EQ(stored.count, 1);
    EXPECT_EQ(stored.lastAnswer, u"A"_s);
    EXPECT_EQ(stored.runAnswer, u"A"_s);
    EXPECT_EQ(stored.lastDate.toString(), u"2026-12-10"_s);
    EXPECT_EQ(day(), "1/1/1/1");
    EXPECT_EQ(chapter(u"010101"_s), "1/1/1");
    EXPECT_EQ(counters(u"tab_fgmc"_s, u"id"_s, u"010101"_s), "5/1/1/1");

    // The same answer again in this run counts once.
    r = recordJudgedAnswer(study, u"tab_answ"_s, q, u"A"_s);
    EXPECT_FALSE(r.counted);
    EXPECT_EQ(question(u"010101000001"_s).count, 1);
    EXPECT_EQ(day(), "1/1/1/1");

    // A changed answer counts again: right, -2; then right, right in new runs: -1, 0, 0.
    const int levels[] = {-2, -1, 0, 0};
    for (int expected : levels) {
        q.runAnswer.clear(); // a new run
        recordJudgedAnswer(study, u"tab_answ"_s, q, u"B"_s);
        EXPECT_EQ(question(u"010101000001"_s).wrongLevel, expected);
    }
    EXPECT_EQ(question(u"010101000001"_s).count, 5);
    // Today: 5 answers, 1 wrong, 1 question, its latest answer right.
    EXPECT_EQ(day(), "5/1/1/0");
    EXPECT_EQ(chapter(u"0"_s), "1/5/1");
    EXPECT_EQ(counters(u"tab_rule"_s, u"ftid"_s, u"010101002"_s), "2/1/5/1");

    // First answer right, then wrong: 0, -1.
    QuestionProgress other = question(u"010101000002"_s);
    recordJudgedAnswer(study, u"tab_answ"_s, other, u"A"_s);
    EXPECT_EQ(question(u"010101000002"_s).wrongLevel, 0);
    recordJudgedAnswer(study, u"tab_answ"_s, other, u"C"_s);
    EXPECT_EQ(question(u"010101000002"_s).wrongLevel, -1);
}

TEST_F(DataModule, LowerCaseKeyIsAnsweredRightInPracticeAndLeavesTheWrongSet)
{
    // A key brought in lower case: the practice buttons give capitals, judged as the paper is.
    Db::exec(db(), u"update tab_answ set A2='b',E2='A',E4=-1,E1='2026-12-09' "
                   u"where A1='010101000001'"_s);
    QuestionProgress q = question(u"010101000001"_s);
    const RecordOutcome r = recordJudgedAnswer(study, u"tab_answ"_s, q, u"B"_s);
    EXPECT_TRUE(r.right);
    EXPECT_EQ(question(u"010101000001"_s).wrongLevel, 0); // out of the wrong-question set
    EXPECT_EQ(day(), "1/0/1/0");
}

TEST_F(DataModule, PaperAnswerCountsAsTheGradingJudgesIt)
{
    // A question of the candidate's own with a lower-case key: a paper is graded with letter case
    // ignored, so the counters and the wrong-question level take "B" as right too.
    Db::exec(db(), u"update tab_answ set A2='b' where A1='010101000001'"_s);
    Db::exec(db(), u"create table tab_exam9 as select * from tab_answ where A1='010101000001'"_s);
    QuestionProgress q = question(u"010101000001"_s);
    const RecordOutcome r = recordPaperAnswer(study, u"tab_exam9"_s, q, u"B"_s);
    EXPECT_TRUE(r.counted);
    EXPECT_TRUE(r.right);
    EXPECT_EQ(question(u"010101000001"_s).wrongLevel, 0);
    EXPECT_EQ(question(u"010101000001"_s).count, 1);
    EXPECT_EQ(day(), "1/0/1/0");
    EXPECT_EQ(value(u"select E2_1 from tab_exam9"_s).toString(), u"B"_s);
}

TEST_F(DataModule, JudgedAnswerOnAnEarlierDayAndAVoidedQuestion)
{
    Db::exec(db(),
             u"update tab_answ set E1='2026-12-09',E2='zero',F1=0,E3=2 where A1='010101000003'"_s);
    QuestionProgress q = question(u"010101000003"_s); // correct D, no points
    recordJudgedAnswer(study, u"tab_answ"_s, q, u"D"_s);
    // Answered before (E2 "zero"), on another day, previous result wrong.
    EXPECT_EQ(day(), "1/0/1/0");
    EXPECT_EQ(chapter(u"010101"_s), "0/1/0");
    EXPECT_EQ(question(u"010101000003"_s).count, 3);
    EXPECT_EQ(question(u"010101000003"_s).wrongLevel, 0);
}

TEST_F(DataModule, DayCountersStayInOrderAcrossVoidAndRestore)
{
    // One question (correct B) answered today, voided and restored, answered again in a new run.
    // The void mark hides the earlier answer: it was right when E4 is 0; after a wrong one it is
    // unknown, and the day's B2 keeps what it had.
    const struct
    {
        const char16_t *first, *second;
        const char *day; // A2/A3/B1/B2
    } cases[] = {{u"B", u"B", "2/0/1/0"},
                 {u"B", u"A", "2/1/1/1"},
                 {u"A", u"B", "2/1/1/1"},
                 {u"A", u"C", "2/2/1/1"}};
    for (const auto &c : cases) {
        Db::exec(db(), u"delete from tab_rz"_s);
        Db::exec(db(), u"update tab_answ set E1=NULL,E2=NULL,E2_1='',E3=0,E4=0,F1=0 "
                       u"where A1='010101000001'"_s);
        QuestionProgress q = question(u"010101000001"_s);
        recordJudgedAnswer(study, u"tab_answ"_s, q, QString::fromUtf16(c.first));
        Db::exec(db(), u"update tab_answ set F1=1,E2=? where A1='010101000001'"_s,
                 {voidedAnswer()});
        Db::exec(db(), u"update tab_answ set F1=0 where A1='010101000001'"_s);
        q = question(u"010101000001"_s);
        q.runAnswer.clear(); // a new run
        recordJudgedAnswer(study, u"tab_answ"_s, q, QString::fromUtf16(c.second));
        EXPECT_EQ(day(), c.day) << QString::fromUtf16(c.first).toStdString() << " then "
                                << QString::fromUtf16(c.second).toStdString();
    }

    // A row already out of order is brought back between 0 and B1.
    Db::exec(db(), u"update tab_rz set B1=1,B2=0"_s);
    study.recordDailyAnswer(1, 1, 2);
    EXPECT_EQ(day(), "3/2/1/0");
    Db::exec(db(), u"update tab_rz set B2=5"_s);
    study.recordDailyAnswer(1, 2, 1);
    EXPECT_EQ(day(), "4/3/1/1");
}

TEST_F(DataModule, JudgedAnswerIsAllOrNothing)
{
    // Make the last counter update fail: the question row, the day and the chapters stay.
    Db::exec(db(), u"alter table tab_fgmc rename to tab_fgmc_gone"_s);
    QuestionProgress q = question(u"010101000001"_s);
    const QuestionProgress before = q;
    EXPECT_THROW(recordJudgedAnswer(study, u"tab_answ"_s, q, u"A"_s), Db::DbError);
    EXPECT_EQ(q.runAnswer, before.runAnswer);
    const QuestionProgress stored = question(u"010101000001"_s);
    EXPECT_TRUE(stored.lastAnswer.isEmpty());
    EXPECT_EQ(stored.count, 0);
    EXPECT_EQ(day(), "none");
    EXPECT_EQ(chapter(u"010101"_s), "0/0/0");
    EXPECT_EQ(counters(u"tab_rule"_s, u"ftid"_s, u"010101001"_s), "4/0/0/0");
}

TEST_F(DataModule, JudgedAnswerWithoutFirstPointRecordsNoPoints)
{
    Db::exec(db(), u"update tab_answ set K3=NULL,K4='010101001' where A1='010101000002'"_s);
    QuestionProgress q = question(u"010101000002"_s);
    recordJudgedAnswer(study, u"tab_answ"_s, q, u"A"_s);
    EXPECT_EQ(counters(u"tab_rule"_s, u"ftid"_s, u"010101001"_s), "4/0/0/0");
    EXPECT_EQ(chapter(u"010101"_s), "1/1/0");
    clearRunAnswer(study, u"tab_answ"_s, q);
    EXPECT_TRUE(question(u"010101000002"_s).runAnswer.isEmpty());
    EXPECT_EQ(question(u"010101000002"_s).lastAnswer, u"A"_s);
}

TEST_F(DataModule, AnswerTimeTable)
{
    Db::exec(db(), u"update tab_tx1 set time=0.3 where A1=72"_s);
    App::AnswerTimeTable table;
    App::loadAnswerTimeTable(db(), 1, table);
    EXPECT_EQ(table.intervalFor(11), 600);
    EXPECT_EQ(table.intervalFor(21), 1200);
    EXPECT_EQ(table.intervalFor(72), 180);
    EXPECT_EQ(table.intervalFor(99), 600); // not in the table
    // An empty kind table leaves the loaded values.
    Db::exec(db(), u"delete from tab_tx3"_s);
    App::loadAnswerTimeTable(db(), 3, table);
    EXPECT_EQ(table.intervalFor(21), 1200);
}

TEST_F(DataModule, AnswerTimeThatIsNotPositiveCountsAsMissing)
{
    // Each kind's time as stored (SQLite keeps whatever affinity gives) and the gauge interval.
    const struct
    {
        int kind;
        QVariant time;
        int interval;
    } cases[] = {{11, 0, 600},
                 {21, QVariant(), 600},
                 {31, u"abc"_s, 600},
                 {72, -2, 600},
                 {73, 0.0001, 600},
                 {74, u"1.5"_s, 900},
                 {64, 1e12, 24 * 60 * 60 * 1000}};
    Db::exec(db(), u"delete from tab_tx1"_s);
    for (const auto &c : cases)
        Db::exec(db(), u"insert into tab_tx1 (A1,B1,B2,B3,time) values (?,'x',1,1,?)"_s,
                 {c.kind, c.time});
    App::AnswerTimeTable table;
    App::loadAnswerTimeTable(db(), 1, table);
    for (const auto &c : cases)
        EXPECT_EQ(table.intervalFor(c.kind), c.interval) << c.kind;
}

TEST(DisplayMode, OnlyExactly800WideOr600High)
{
    const struct
    {
        int w, h;
        const char16_t *mode;
    } cases[] = {{800, 600, u"800"},   {800, 480, u"800"},    {1280, 600, u"800"},
                 {1024, 768, u"1024"}, {1280, 1024, u"1024"}, {640, 480, u"1024"}};
    for (const auto &c : cases)
        EXPECT_EQ(App::displayModeFor(c.w, c.h), QString::fromUtf16(c.mode)) << c.w << "x" << c.h;
}

// The native row reader reads what Qt SQL reads, value for value and type for type, with the
// values bound in order.
TEST_F(DataModule, NativeRowsReadAsQtSqlReads)
{
    Db::exec(db(), u"create table t (k INTEGER, a, b TEXT, c REAL, d BLOB)"_s);
    const QByteArray blob("\x00\xffrich", 6);
    const QVariantList inserted[] = {
        {1, 42, u"学习"_s, 2.5, blob},
        {2, QVariant(), QVariant(), QVariant(), QVariant()},
        {3, u"12"_s, 7, 3, u"文本"_s}, // stored as their declared affinity turns them
        {4, 1.75, u"0012"_s, 1e300, QByteArray()},
        {5, QDate(2026, 12, 10), u""_s, -0.5, u"x'41'"_s},
        {6, 9007199254740993LL, u"A'\"%_"_s, 1e-7, 0},
    };
    for (const QVariantList &row : inserted)
        Db::write(db(), u"insert into t values (?,?,?,?,?)"_s, row);

    const QString sql = u"select k, a, b, c, d, a || 'x' as Joined from t where k >= ? and b is "
                        u"not ? order by k"_s;
    const QVariantList binds{2, u"none"_s};
    QSqlQuery qt = Db::query(db(), sql, binds);
    Db::Rows rows(db(), sql, binds);
    ASSERT_EQ(rows.columnCount(), 6);
    EXPECT_EQ(rows.indexOf(u"joined"), 5);
    EXPECT_EQ(rows.indexOf(u"B"), 2);
    EXPECT_EQ(rows.indexOf(u"missing"), -1);
    EXPECT_EQ(rows.columnName(5), u"Joined"_s);
    int seen = 0;
    while (qt.next()) {
        ASSERT_TRUE(rows.next()) << seen;
        for (int c = 0; c < 6; ++c) {
            const QVariant expected = qt.value(c);
            const QVariant got = rows.value(c);
            SCOPED_TRACE(QStringLiteral("row %1 column %2").arg(seen).arg(c).toStdString());
            EXPECT_EQ(got.metaType(), expected.metaType());
            EXPECT_EQ(got.isNull(), expected.isNull());
            EXPECT_EQ(rows.isNull(c), expected.isNull());
            EXPECT_EQ(got, expected);
            EXPECT_EQ(rows.toString(c), expected.toString());
            EXPECT_EQ(rows.toString(c).isNull(), expected.toString().isNull());
            EXPECT_EQ(rows.toInt(c), expected.toInt());
            EXPECT_EQ(rows.toLongLong(c), expected.toLongLong());
        }
        // An absent column reads as NULL.
        EXPECT_TRUE(rows.isNull(-1));
        EXPECT_EQ(rows.toInt(-1), 0);
        EXPECT_TRUE(rows.toString(-1).isEmpty());
        ++seen;
    }
    EXPECT_EQ(seen, 5);
    EXPECT_FALSE(rows.next());
}

// Every failure is a DbError whose driver text stays out of what the candidate is told; a lock
// held by another program is told as such.
TEST_F(DataModule, NativeRowsFailAsDbErrors)
{
    const QString fallback = u"发生错误！"_s;
    const struct
    {
        const char *what;
        QString sql;
        QVariantList values;
        bool throwsOnStep;
    } cases[] = {
        {"syntax", u"selec A1 from tab_answ"_s, {}, false},
        {"no such table", u"select * from no_such_table"_s, {}, false},
        {"two statements", u"select 1; select 2"_s, {}, false},
        {"no statement", u"  -- nothing"_s, {}, false},
        {"too few values", u"select ? + ?"_s, {1}, false},
        {"too many values", u"select ?"_s, {1, 2}, false},
        {"failing while stepping", u"select abs(-9223372036854775807 - 1)"_s, {}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        try {
            Db::Rows rows(db(), c.sql, c.values);
            EXPECT_TRUE(c.throwsOnStep);
            rows.next();
            ADD_FAILURE() << "no error";
        } catch (const Db::DbError &e) {
            EXPECT_EQ(e.failure(), Db::Failure::Other);
            EXPECT_FALSE(e.message().isEmpty());
            EXPECT_EQ(Db::failureMessage(e, fallback), fallback);
        }
    }
    // The connection reads on after the failures.
    Db::Rows after(db(), u"select count(*) from tab_answ where A1 like ?"_s, {u"0101%"_s});
    ASSERT_TRUE(after.next());
    EXPECT_GT(after.toInt(0), 0);

    // Not open.
    EXPECT_THROW(Db::Rows(QSqlDatabase(), u"select 1"_s), Db::DbError);

    // Another program holding the write lock: told as a lock after the busy timeout (a
    // statement that writes, as only writers wait for one another).
    testsupport::LockedByAnotherProgram lock(Db::mainFilePath(db()));
    ASSERT_TRUE(lock.isLocked());
    Db::setBusyTimeout(50);
    try {
        Db::Rows rows(db(), u"update tab_plan set PlanAmount=? returning PlanAmount"_s, {7});
        rows.next();
        ADD_FAILURE() << "wrote through another program's lock";
    } catch (const Db::DbError &e) {
        EXPECT_EQ(e.failure(), Db::Failure::Busy);
        EXPECT_EQ(Db::failureMessage(e, fallback),
                  u"学习数据正被其他程序使用，本次没有记录任何内容！请关闭该程序后再试。"_s);
    }
    Db::setBusyTimeout(5000);
}
