// The upgrade import on a temporary copy of the fixture bank: every outcome of an attempt, the
// study database untouched by any failure, counters that agree with a recount, paths of every
// shape, the backup, and the upgrade file left unwritten and released.
#include "UpgradeFiles.h"
#include "data/BankBuilder.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "support/TestSupport.h"
#include "upgrade/UpgradeImport.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using namespace Qt::StringLiterals;
using Outcome = UpgradeImport::Outcome;
using upgradefiles::makeUpgrade;
using upgradefiles::snapshot;

namespace {

// The fixture upgrade adds five questions, three chapter rows, two exam-point groups and two
// exam points.
constexpr int kFixtureQuestions = 5;

class UpgradeImportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        data = std::make_unique<testsupport::TestDatabase>();
        ASSERT_TRUE(data->isValid());
        ASSERT_TRUE(files.isValid());
    }
    QSqlDatabase study() const { return data->study.connection(); }
    QString path(const QString &name) const { return files.path() + u'/' + name; }
    UpgradeImport::Result run(const QString &typed)
    {
        UpgradeImport import(data->study);
        const UpgradeImport::Result r = import.run(typed);
        import.release();
        return r;
    }
    QVariant value(const QString &sql, const QVariantList &values = {}) const
    {
        return Db::scalar(study(), sql, values);
    }

    std::unique_ptr<testsupport::TestDatabase> data;
    QTemporaryDir files;
};

QByteArray fileHash(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// Statements that turn the file's tab_answ into a plain copy without constraints, so that a
// faulty file can be made from it.
QStringList looseQuestionTable()
{
    return {u"create table loose as select * from tab_answ"_s, u"drop table tab_answ"_s,
            u"alter table loose rename to tab_answ"_s};
}

// A copy of the fixture upgrade at folder/name, altered by the statements.
QString faulty(const QString &folder, const QString &name, const QStringList &statements)
{
    const QString path = folder + u'/' + name;
    if (!makeUpgrade(path, statements))
        ADD_FAILURE() << "cannot make " << name.toStdString();
    return path;
}

struct FailureCase
{
    const char *name;
    // Prepares the file (in the test's folder) and returns the text typed in the path box.
    std::function<QString(const QString &folder)> prepare;
    QList<Outcome> expected; // one outcome, or the outcomes that a damaged file may give
    QString reason;          // what the candidate is told of the cause (empty: nothing)
};

// A copy of the fixture upgrade with the statements run on it, for a table of cases.
std::function<QString(const QString &)> altered(const QString &name, const QStringList &statements)
{
    return [name, statements](const QString &f) { return faulty(f, name, statements); };
}

} // namespace

TEST_F(UpgradeImportTest, EveryFailureLeavesTheStudyDatabaseAsItWas)
{
    const QString fixture = upgradefiles::fixtureUpgrade();
    const QList<FailureCase> cases = {
        {"blank path", [](const QString &) { return u"  \t "_s; }, {Outcome::EmptyPath}},
        {"missing file",
         [](const QString &f) -> QString { return f + u"/无此文件.mdb"_s; },
         {Outcome::CannotOpen}},
        {"random bytes",
         [](const QString &f) {
             QFile file(f + u"/random.mdb"_s);
             file.open(QIODevice::WriteOnly);
             QByteArray noise;
             for (int i = 0; i < 20000; ++i)
                 noise.append(char((i * 7919 + 13) % 251));
             file.write(noise);
             return file.fileName();
         },
         {Outcome::CannotOpen}},
        {"truncated file",
         [&fixture](const QString &f) {
             QFile whole(fixture);
             whole.open(QIODevice::ReadOnly);
             QFile cut(f + u"/truncated.mdb"_s);
             cut.open(QIODevice::WriteOnly);
             cut.write(whole.readAll().left(int(whole.size() / 3)));
             return cut.fileName();
         },
         {Outcome::CannotOpen, Outcome::Unreadable}},
        {"no tab_sj", altered(u"nosj.mdb"_s, {u"drop table tab_sj"_s}), {Outcome::NoUpgradeTable}},
        {"another product",
         altered(u"foreign.mdb"_s, {u"update tab_sj set cpbs='OTHER'"_s}),
         {Outcome::ForeignProduct}},
        {"empty tab_sj",
         altered(u"emptysj.mdb"_s, {u"delete from tab_sj"_s}),
         {Outcome::ForeignProduct}},
        {"already applied identifier",
         // The bank's own product row has the empty identifier.
         altered(u"applied.mdb"_s, {u"update tab_sj set sjbs=''"_s}),
         {Outcome::AlreadyApplied}},
        {"no upgrade identifier",
         altered(u"nullsj.mdb"_s, {u"update tab_sj set sjbs=NULL"_s}),
         {Outcome::Invalid},
         u"升级文件的数据表 tab_sj 中升级标识（sjbs）为空。"_s},
        {"question table lacks a column",
         altered(u"nocolumn.mdb"_s, {u"alter table tab_answ drop column A2"_s}),
         {Outcome::Invalid},
         u"升级文件的数据表 tab_answ 缺少列 A2。"_s},
        {"no exam-point table",
         altered(u"norule.mdb"_s, {u"drop table tab_rule"_s}),
         {Outcome::Invalid},
         u"升级文件缺少数据表 tab_rule。"_s},
        {"question table is a view of a billion rows",
         altered(
             u"view.mdb"_s,
             {u"drop table tab_answ"_s,
              u"create view tab_answ as with recursive n(i) as (values(1) union all "
              u"select i+1 from n where i<1000000000) select printf('%012d',i) as A1 from n"_s}),
         {Outcome::Invalid},
         u"升级文件中的 tab_answ 不是数据表。"_s},
        {"text encoding UTF-16",
         [](const QString &f) {
             const QString file = f + u"/utf16.mdb"_s;
             if (!upgradefiles::makeUtf16Upgrade(file))
                 ADD_FAILURE() << "cannot make the UTF-16 file";
             return file;
         },
         {Outcome::Invalid},
         u"升级文件的文字编码是 UTF-16，本软件只能读取 UTF-8 编码的升级文件。"_s},
        {"question id twice in the file",
         altered(u"twice.mdb"_s, looseQuestionTable()
                                     << u"insert into tab_answ select * from tab_answ "
                                        u"where A1='010202000001'"_s),
         {Outcome::Invalid},
         u"升级文件的数据表 tab_answ 中试题编号（A1）“010202000001”出现了 2 次。"_s},
        {"question without an id",
         altered(u"noid.mdb"_s, looseQuestionTable() << u"update tab_answ set A1=NULL "
                                                        u"where A1='020101000003'"_s),
         {Outcome::Invalid},
         u"升级文件的数据表 tab_answ 中有试题编号（A1）为空的行。"_s},
        {"question with a blank id",
         altered(u"blankid.mdb"_s, {u"update tab_answ set A1='  ' where A1='020101000003'"_s}),
         {Outcome::Invalid},
         u"升级文件的数据表 tab_answ 中有试题编号（A1）为空的行。"_s},
        {"question without a chapter",
         altered(u"noa10.mdb"_s, {u"update tab_answ set A10=NULL where A1='020101000003'"_s}),
         {Outcome::Invalid},
         u"升级文件的数据表 tab_answ 中有章节编码（A10）为空的行。"_s},
        {"question text without an id",
         altered(u"noexerid.mdb"_s, {u"update tab_exer set A1='' where A1='020101000003'"_s}),
         {Outcome::Invalid},
         u"升级文件的数据表 tab_exer 中有试题编号（A1）为空的行。"_s},
        {"question text twice",
         altered(u"exertwice.mdb"_s, {u"insert into tab_exer select * from tab_exer "
                                      u"where A1='020101000003'"_s}),
         {Outcome::Invalid},
         u"升级文件的数据表 tab_exer 中试题编号（A1）“020101000003”出现了 2 次。"_s},
        {"chapter without a code",
         altered(u"nochapter.mdb"_s, {u"update tab_kmmc set C1=NULL where C1='0302'"_s}),
         {Outcome::Invalid},
         u"升级文件的数据表 tab_kmmc 中有章节编码（C1）为空的行。"_s},
        {"chapter twice",
         altered(u"chaptertwice.mdb"_s,
                 {u"insert into tab_kmmc select * from tab_kmmc where C1='010202'"_s}),
         {Outcome::Invalid},
         u"升级文件的数据表 tab_kmmc 中章节编码（C1）“010202”出现了 2 次。"_s},
        {"exam-point group twice",
         altered(u"grouptwice.mdb"_s,
                 {u"insert into tab_fgmc select * from tab_fgmc where id='030101'"_s}),
         {Outcome::Invalid},
         u"升级文件的数据表 tab_fgmc 中考点分组编号（id）“030101”出现了 2 次。"_s},
        {"exam point twice",
         altered(u"pointtwice.mdb"_s,
                 {u"drop index ix_rule_ftid"_s,
                  u"insert into tab_rule select * from tab_rule where ftid='030101001'"_s}),
         {Outcome::Invalid},
         u"升级文件的数据表 tab_rule 中考点编码（ftid）“030101001”出现了 2 次。"_s},
    };
    const QString before = snapshot(study());
    const QString backup = UpgradeImport::backupPath(data->folder.databasePath());
    for (const FailureCase &c : cases) {
        SCOPED_TRACE(c.name);
        const QString typed = c.prepare(files.path());
        const UpgradeImport::Result r = run(typed);
        EXPECT_TRUE(c.expected.contains(r.outcome)) << int(r.outcome);
        EXPECT_EQ(r.reason, c.reason);
        EXPECT_EQ(snapshot(study()), before);
        // Refused before anything was written, the backup included.
        EXPECT_FALSE(QFile::exists(backup));
    }
    // A missing upgrade file is never created by the attempt.
    EXPECT_FALSE(QFile::exists(files.path() + u"/无此文件.mdb"_s));
    // After all of that the good file still applies.
    EXPECT_EQ(run(upgradefiles::fixtureUpgrade()).outcome, Outcome::Succeeded);
}

TEST_F(UpgradeImportTest, ADamagedFileIsRefusedBeforeAnyChange)
{
    // Single bits flipped in the used bytes all over a copy of the fixture upgrade (a flip in free
    // space harms nothing): every copy that fails SQLite's integrity check is refused as
    // damaged, before the study database or its backup is touched.
    QFile original(upgradefiles::fixtureUpgrade());
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray bytes = original.readAll();
    const QString backup = UpgradeImport::backupPath(data->folder.databasePath());
    const QString flipped = path(u"flipped.mdb"_s);
    int damaged = 0, used = 0;
    for (qsizetype at = 0; at < bytes.size(); ++at) {
        if (bytes.at(at) == 0 || used++ % 97 != 0)
            continue;
        SCOPED_TRACE(at);
        QByteArray copy = bytes;
        copy[at] = char(copy.at(at) ^ (1 << (at % 8)));
        QFile out(flipped);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(copy);
        out.close();
        if (upgradefiles::passesIntegrityCheck(flipped))
            continue;
        ++damaged;
        const QString before = snapshot(study());
        const QByteArray backupBefore = fileHash(backup);
        const UpgradeImport::Result r = run(flipped);
        EXPECT_TRUE(r.outcome == Outcome::Unreadable || r.outcome == Outcome::CannotOpen)
            << int(r.outcome);
        EXPECT_EQ(snapshot(study()), before);
        EXPECT_EQ(fileHash(backup), backupBefore);
    }
    // The flips reach headers, table and index pages alike: many of the copies are damaged.
    EXPECT_GE(damaged, 20);
}

TEST_F(UpgradeImportTest, TheStudyDatabaseAndItsBackupAreNoUpgrade)
{
    // A first upgrade leaves the backup beside the study database.
    ASSERT_EQ(run(upgradefiles::fixtureUpgrade()).outcome, Outcome::Succeeded);
    const QString database = data->folder.databasePath();
    const QString backup = UpgradeImport::backupPath(database);
    ASSERT_TRUE(QFile::exists(backup));
    const QString link = path(u"链接.mdb"_s);
    ASSERT_TRUE(QFile::link(database, link));
    const QString before = snapshot(study());
    const QByteArray backupBefore = fileHash(backup);
    for (const auto &[typed, expected] :
         {std::pair{database, Outcome::StudyDatabase},
          std::pair{QString(u" "_s + database), Outcome::StudyDatabase},
          std::pair{link, Outcome::StudyDatabase},
          std::pair{backup, Outcome::StudyDatabaseBackup}}) {
        SCOPED_TRACE(typed.toStdString());
        EXPECT_EQ(run(typed).outcome, expected);
        EXPECT_EQ(snapshot(study()), before);
        EXPECT_EQ(fileHash(backup), backupBefore);
    }
}

TEST_F(UpgradeImportTest, ChoiceKeysAreStoredInCapitals)
{
    // Lower-case keys as an upgrade may bring them: single and multiple choice keys are stored in
    // capitals, the answer of any other kind exactly as the file has it.
    const QString upgrade = path(u"lower.mdb"_s);
    ASSERT_TRUE(
        makeUpgrade(upgrade, {u"update tab_answ set A2=lower(A2)"_s,
                              u"update tab_answ set A13=31,A2='1a' where A1='020101000003'"_s,
                              u"update tab_answ set A13=99,A2='abc' where A1='030201000001'"_s}));
    ASSERT_EQ(run(upgrade).outcome, Outcome::Succeeded);
    QHash<QString, QString> keys;
    QSqlQuery q = Db::query(study(), u"select A1,A2 from tab_answ where A1 in ('010202000001',"
                                     u"'010202000002','010101000007','020101000003',"
                                     u"'030201000001')"_s);
    while (q.next())
        keys.insert(q.value(0).toString(), q.value(1).toString());
    const QHash<QString, QString> expected = {{u"010202000001"_s, u"C"_s},
                                              {u"010202000002"_s, u"AB"_s},
                                              {u"010101000007"_s, u"A"_s},
                                              {u"020101000003"_s, u"1a"_s},
                                              {u"030201000001"_s, u"abc"_s}};
    EXPECT_EQ(keys, expected);
}

TEST_F(UpgradeImportTest, AppliesOnceAndTheSecondAttemptChangesNothing)
{
    const int questionsBefore = value(u"select count(*) from tab_answ"_s).toInt();
    const UpgradeImport::Result first = run(upgradefiles::fixtureUpgrade());
    ASSERT_EQ(first.outcome, Outcome::Succeeded) << first.detail.toStdString();
    EXPECT_EQ(first.questionsAdded, kFixtureQuestions);
    EXPECT_EQ(first.questionsKept, 0);
    EXPECT_EQ(value(u"select count(*) from tab_answ"_s).toInt(),
              questionsBefore + kFixtureQuestions);
    EXPECT_EQ(
        value(u"select count(*) from tab_exer where A1 in "
              u"('010202000001','010202000002','010101000007','020101000003','030201000001')"_s)
            .toInt(),
        kFixtureQuestions);
    EXPECT_EQ(
        value(u"select count(*) from tab_sj where sjbs='FIXTURE-SJ1' and cpbs='FIXTURE'"_s).toInt(),
        1);
    // The new chapter sorts between the bank's rows it belongs with.
    QSqlQuery order = Db::query(study(), u"select C1 from tab_kmmc order by bh"_s);
    QStringList codes;
    while (order.next())
        codes.append(order.value(0).toString());
    EXPECT_EQ(codes.indexOf(u"010202"_s), codes.indexOf(u"010201"_s) + 1);
    EXPECT_EQ(codes.indexOf(u"0302"_s), codes.indexOf(u"030101"_s) + 1);

    const QString applied = snapshot(study());
    const UpgradeImport::Result second = run(upgradefiles::fixtureUpgrade());
    EXPECT_EQ(second.outcome, Outcome::AlreadyApplied);
    EXPECT_EQ(snapshot(study()), applied);
}

TEST_F(UpgradeImportTest, AFailingQuestionAppendUndoesTheChaptersAndTextsBeforeIt)
{
    // The third append fails on the file's last question (a trigger of this connection refuses
    // it); the questions before it in the same append, and the chapters and texts appended
    // before, go too, and the file applies once the cause is gone.
    Db::exec(study(), u"create temp trigger refuse before insert on main.tab_answ "
                      u"when new.A1='030201000001' begin select raise(abort,'refused'); end"_s);
    const QString before = snapshot(study());
    const UpgradeImport::Result r = run(upgradefiles::fixtureUpgrade());
    EXPECT_EQ(r.outcome, Outcome::Failed);
    EXPECT_FALSE(r.detail.isEmpty());
    EXPECT_EQ(r.reason, u"向学习数据库的数据表 tab_answ 追加数据时出错。"_s);
    EXPECT_EQ(snapshot(study()), before);
    EXPECT_EQ(value(u"select count(*) from tab_kmmc where C1='010202'"_s).toInt(), 0);
    EXPECT_EQ(value(u"select count(*) from tab_exer where A1='010202000001'"_s).toInt(), 0);
    EXPECT_EQ(value(u"select count(*) from tab_answ where A1='010202000001'"_s).toInt(), 0);
    EXPECT_EQ(value(u"select count(*) from tab_sj where sjbs='FIXTURE-SJ1'"_s).toInt(), 0);
    Db::exec(study(), u"drop trigger temp.refuse"_s);
    EXPECT_EQ(run(upgradefiles::fixtureUpgrade()).outcome, Outcome::Succeeded);
}

TEST_F(UpgradeImportTest, CountersAgreeWithARecountAndProgressIsKept)
{
    // Progress on the bank before the upgrade: answers recorded on chapters and exam points.
    data->study.recordChapterAnswer(u"010101"_s, 2, 2);
    data->study.recordChapterAnswer(u"020101"_s, 2, 1);
    data->study.recordExamPointAnswer(QStringList{u"010101001"_s, u"010102001"_s}, 2, 2);
    Db::exec(study(), u"update tab_answ set E2='A',E3=1,E4=-3 where A1='010101000001'"_s);
    // A file whose rows carry progress of their own: none of it may reach the candidate.
    const QString upgrade = path(u"progress.mdb"_s);
    ASSERT_TRUE(makeUpgrade(upgrade, {u"update tab_answ set E2='B',E3=4,E4=-5,F1=1,csbs='Y'"_s,
                                      u"update tab_kmmc set C3=99,C4=3,D1=7,D2=2,C6='71.43'"_s,
                                      u"update tab_rule set q=9,q1=2,q2=3,q4=1"_s,
                                      u"update tab_fgmc set q=9,q1=2,q2=3,q4=1"_s}));

    auto answerCounters = [this](const QString &sql) {
        QHash<QString, QVariantList> rows;
        QSqlQuery q = Db::query(study(), sql);
        while (q.next()) {
            QVariantList values;
            for (int i = 1; i < q.record().count(); ++i)
                values.append(q.value(i).toString());
            rows.insert(q.value(0).toString(), values);
        }
        return rows;
    };
    const QString chapterAnswers = u"select C1,C4,D1,D2,C6 from tab_kmmc"_s;
    const QString ruleAnswers = u"select ftid,q1,q2,q4 from tab_rule"_s;
    const QString fgmcAnswers = u"select id,q1,q2,q4 from tab_fgmc"_s;
    const auto chapterAnswersBefore = answerCounters(chapterAnswers);
    const auto ruleBefore = answerCounters(ruleAnswers);
    const auto fgmcBefore = answerCounters(fgmcAnswers);
    const QString progressBefore =
        snapshot(study()).section(u"## tab_answ\n"_s, 1).section(u"## "_s, 0, 0);

    ASSERT_EQ(run(upgrade).outcome, Outcome::Succeeded);

    // Answer counters: the bank's rows keep theirs, the added rows start at nothing.
    for (const auto &[sql, before] :
         {std::pair{chapterAnswers, chapterAnswersBefore}, std::pair{ruleAnswers, ruleBefore},
          std::pair{fgmcAnswers, fgmcBefore}}) {
        const auto after = answerCounters(sql);
        for (auto it = after.cbegin(); it != after.cend(); ++it) {
            SCOPED_TRACE(sql.toStdString() + " " + it.key().toStdString());
            if (before.contains(it.key())) {
                EXPECT_EQ(it.value(), before.value(it.key()));
            } else {
                for (const QVariant &v : it.value())
                    EXPECT_EQ(v.toString(), u"0"_s);
            }
        }
    }
    // The added questions are new to the candidate.
    EXPECT_EQ(value(u"select count(*) from tab_answ where A1 in ('010202000001','010202000002',"
                    u"'010101000007','020101000003','030201000001') and E2='' and E3=0 and E4=0 "
                    u"and F1=0 and csbs='' and E1 is null"_s)
                  .toInt(),
              kFixtureQuestions);
    // The bank's own question rows are exactly as before.
    EXPECT_EQ(snapshot(study())
                  .section(u"## tab_answ\n"_s, 1)
                  .section(u"## "_s, 0, 0)
                  .left(progressBefore.size()),
              progressBefore);

    // Question counts: the same as the bank builder's recount over all rows.
    QTemporaryDir recountDir;
    const QString copy = recountDir.path() + u"/recount.mdb"_s;
    Db::backupTo(study(), copy);
    ASSERT_TRUE(Db::open(u"recount"_s, copy, {}));
    BankBuilder::recomputeCounters(u"recount"_s);
    {
        const QSqlDatabase recount = QSqlDatabase::database(u"recount"_s, false);
        for (const auto &[sql, name] :
             {std::pair{u"select C1,C3 from tab_kmmc order by rowid"_s, "C3"},
              std::pair{u"select ftid,q from tab_rule order by rowid"_s, "tab_rule.q"},
              std::pair{u"select id,q from tab_fgmc order by rowid"_s, "tab_fgmc.q"}}) {
            QSqlQuery imported = Db::query(study(), sql);
            QSqlQuery expected = Db::query(recount, sql);
            int rows = 0;
            while (expected.next()) {
                ASSERT_TRUE(imported.next());
                SCOPED_TRACE(std::string(name) + " " + expected.value(0).toString().toStdString());
                EXPECT_EQ(imported.value(0).toString(), expected.value(0).toString());
                EXPECT_EQ(imported.value(1).toLongLong(), expected.value(1).toLongLong());
                ++rows;
            }
            EXPECT_FALSE(imported.next());
            EXPECT_GT(rows, 0);
        }
    }
    Db::close(u"recount"_s);
    // Spot checks of what the recount means: the root and a subject grew by the added questions.
    EXPECT_EQ(value(u"select C3 from tab_kmmc where C1='0'"_s).toInt(), 15 + kFixtureQuestions);
    EXPECT_EQ(value(u"select C3 from tab_kmmc where C1='03'"_s).toInt(), 2);
    EXPECT_EQ(value(u"select q from tab_fgmc where id='010101'"_s).toInt(), 5 + 3);
}

TEST_F(UpgradeImportTest, AQuestionTheBankHasIsLeftWithTheCandidatesProgress)
{
    Db::exec(study(), u"update tab_answ set E2='C',E3=2,E4=-2 where A1='010101000001'"_s);
    const QString bankRow = snapshot(study()).section(u"## tab_answ\n"_s, 1).section(u'\n', 0, 0);
    const QString upgrade = path(u"overlap.mdb"_s);
    ASSERT_TRUE(makeUpgrade(
        upgrade,
        {u"insert into tab_answ (A1,A2,A2_1,A10,A13,E2,E3,F1,xx) "
         u"values ('010101000001','D',4,'010101',11,'',0,0,1)"_s,
         u"insert into tab_exer (A1,A15) values ('010101000001',x'3c703ee9878de5a48d3c2f703e')"_s}));
    const int c3Before = value(u"select C3 from tab_kmmc where C1='010101'"_s).toInt();

    const UpgradeImport::Result r = run(upgrade);
    ASSERT_EQ(r.outcome, Outcome::Succeeded) << r.detail.toStdString();
    EXPECT_EQ(r.questionsAdded, kFixtureQuestions);
    EXPECT_EQ(r.questionsKept, 1);
    EXPECT_EQ(snapshot(study()).section(u"## tab_answ\n"_s, 1).section(u'\n', 0, 0), bankRow);
    EXPECT_EQ(value(u"select count(*) from tab_answ where A1='010101000001'"_s).toInt(), 1);
    EXPECT_EQ(value(u"select count(*) from tab_exer where A1='010101000001'"_s).toInt(), 1);
    // Only the one really added question of that chapter is counted.
    EXPECT_EQ(value(u"select C3 from tab_kmmc where C1='010101'"_s).toInt(), c3Before + 1);
}

TEST_F(UpgradeImportTest, AnyPathWorksAsTypedOrChosen)
{
    const QStringList names = {
        u"plain.mdb"_s,
        u"考生's 升级 #1?/题库 升级包's.mdb"_s,
        u"a'b\"c; drop table tab_answ;--/x.mdb"_s,
        u"%41 and %2F/file:upgrade.mdb"_s,
    };
    for (const QString &name : names) {
        for (const QString &around : {QString(), u"  "_s}) {
            SCOPED_TRACE(QString(name + u" [" + around + u"]").toStdString());
            // One study database at a time: both would use the same connection names.
            data.reset();
            data = std::make_unique<testsupport::TestDatabase>();
            ASSERT_TRUE(data->isValid());
            const QString file = path(name);
            ASSERT_TRUE(makeUpgrade(file));
            const QByteArray hash = fileHash(file);
            const UpgradeImport::Result r = run(around + file + around + u"\t"_s);
            EXPECT_EQ(r.outcome, Outcome::Succeeded) << r.detail.toStdString();
            EXPECT_EQ(r.questionsAdded, kFixtureQuestions);
            // The upgrade file is only read.
            EXPECT_EQ(fileHash(file), hash);
            EXPECT_FALSE(QFile::exists(file + u"-wal"_s));
        }
    }
}

TEST_F(UpgradeImportTest, TheStudyDatabaseIsBackedUpBeforeEachUpgrade)
{
    const QString backup = UpgradeImport::backupPath(data->folder.databasePath());
    EXPECT_EQ(backup, data->folder.databasePath() + u".bak"_s);
    const QString before = snapshot(study());
    ASSERT_EQ(run(upgradefiles::fixtureUpgrade()).outcome, Outcome::Succeeded);
    ASSERT_TRUE(QFile::exists(backup));
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                      QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    EXPECT_EQ((QFile::permissions(backup) & others).toInt(), 0);
    {
        ASSERT_TRUE(Db::openReadOnly(u"backup"_s, backup, {}));
        EXPECT_EQ(snapshot(QSqlDatabase::database(u"backup"_s, false)), before);
    }
    Db::close(u"backup"_s);

    // The next upgrade replaces it with the state just before that upgrade.
    const QString afterFirst = snapshot(study());
    const QString second = path(u"second.mdb"_s);
    ASSERT_TRUE(
        makeUpgrade(second, {u"update tab_sj set sjbs='FIXTURE-SJ2'"_s, u"delete from tab_answ"_s,
                             u"delete from tab_exer"_s, u"delete from tab_kmmc"_s,
                             u"delete from tab_rule"_s, u"delete from tab_fgmc"_s}));
    ASSERT_EQ(run(second).outcome, Outcome::Succeeded);
    {
        ASSERT_TRUE(Db::openReadOnly(u"backup"_s, backup, {}));
        EXPECT_EQ(snapshot(QSqlDatabase::database(u"backup"_s, false)), afterFirst);
    }
    Db::close(u"backup"_s);
    EXPECT_FALSE(QFile::exists(backup + u".part"_s));
}

TEST_F(UpgradeImportTest, TheUpgradeFileIsHeldUntilReleased)
{
    UpgradeImport import(data->study);
    ASSERT_EQ(import.run(upgradefiles::fixtureUpgrade()).outcome, Outcome::Succeeded);
    // Attached only for the appends: the study database's connection lets go at once.
    EXPECT_FALSE(
        Db::scalar(study(), u"select 1 from pragma_database_list where name='upg'"_s).isValid());
    EXPECT_TRUE(data->study.upgradeConnection().isOpen());
    EXPECT_TRUE(upgradefiles::heldOpen(upgradefiles::fixtureUpgrade()));
    import.release();
    EXPECT_FALSE(data->study.upgradeConnection().isOpen());
    EXPECT_FALSE(upgradefiles::heldOpen(upgradefiles::fixtureUpgrade()));
}
