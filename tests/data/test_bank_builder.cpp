// The bank builder: the shipped database holds the whole schema and consistent counters, and
// faulty sources are refused with a message naming the fault.
#include "data/BankBuilder.h"
#include "data/Database.h"
#include "data/Schema.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class BuiltBank : public ::testing::TestWithParam<const char *>
{
protected:
    void SetUp() override
    {
        const QString source = QString::fromUtf8(GetParam()) == u"shipped"_s
                                   ? testsupport::shippedDb()
                                   : testsupport::fixtureDb();
        ASSERT_TRUE(QFile::copy(source, dir.path() + u"/bank.mdb"_s));
        QFile(dir.path() + u"/bank.mdb"_s).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        ASSERT_TRUE(Db::open(u"bank"_s, dir.path() + u"/bank.mdb"_s, Schema::requiredTables()));
    }
    void TearDown() override { Db::close(u"bank"_s); }
    QSqlDatabase db() const { return QSqlDatabase::database(u"bank"_s); }
    int count(const QString &sql) const { return Db::scalar(db(), sql).toInt(); }

    QTemporaryDir dir;
};

} // namespace

TEST_P(BuiltBank, HoldsEveryTableAndColumn)
{
    const QStringList questionColumns = Schema::answerColumns();
    const std::pair<QString, QStringList> tables[] = {
        {u"tab_answ"_s, questionColumns},
        {u"tab_exer"_s, {u"A1"_s, u"A15"_s, u"jx"_s}},
        {u"tab_title"_s, {u"A1"_s, u"A15"_s}},
        {u"tab_kmmc"_s,
         {u"C1"_s, u"C1_1"_s, u"C2"_s, u"C3"_s, u"C4"_s, u"D1"_s, u"D2"_s, u"C6"_s, u"C7"_s,
          u"bh"_s, u"jx"_s}},
        {u"tab_fgmc"_s, {u"id"_s, u"n"_s, u"bh"_s, u"q"_s, u"q1"_s, u"q2"_s, u"q4"_s}},
        {u"tab_rule"_s, {u"id"_s, u"ftid"_s, u"sn"_s, u"n"_s, u"q"_s, u"q1"_s, u"q2"_s, u"q4"_s}},
        {u"tab_rz"_s, {u"A1"_s, u"A2"_s, u"A3"_s, u"B1"_s, u"B2"_s, u"A4"_s, u"D1"_s}},
        {u"tab_plan"_s,
         {u"PlanMark"_s, u"PlanAmount"_s, u"PlanTime"_s, u"ExamDate"_s, u"LeastMark"_s,
          u"ExamTime"_s}},
        {u"tab_cj"_s, {u"A1"_s, u"A3"_s, u"A3_1"_s, u"D1"_s, u"A6"_s, u"D2"_s}},
        {u"tab_sj"_s, {u"sjbs"_s, u"cpbs"_s}},
        {u"tab_tx1"_s, {u"A1"_s, u"B1"_s, u"B2"_s, u"B3"_s, u"time"_s}},
        {u"tab_tx5"_s, {u"A1"_s, u"B1"_s, u"B2"_s, u"B3"_s, u"time"_s}},
    };
    for (const auto &[table, columns] : tables) {
        const QSqlRecord record = db().record(table);
        QStringList names;
        for (int i = 0; i < record.count(); ++i)
            names.append(record.fieldName(i));
        EXPECT_EQ(names, columns) << table.toStdString();
    }
    EXPECT_EQ(count(u"select count(*) from tab_plan"_s), 1);
    EXPECT_GE(count(u"select count(*) from tab_sj where cpbs<>''"_s), 1);
}

TEST_P(BuiltBank, CountersMatchTheRows)
{
    // C3: questions whose chapter code begins with the row's code (levels 1, 2, 4, 6).
    EXPECT_EQ(count(u"select count(*) from tab_kmmc k where length(C1) in (1,2,4,6) and C3 <> "
                    u"(select count(*) from tab_answ a where substr(a.A10,1,length(k.C1))=k.C1)"_s),
              0);
    // q of a point: the questions linking it.
    EXPECT_EQ(count(u"select count(*) from tab_rule r where q <> (select count(*) from tab_answ a "
                    u"where r.ftid in (a.K3,a.K4,a.K5,a.K6,a.K7,a.K8,a.K9,a.K10,a.K11,a.K12))"_s),
              0);
    // q of a group: the questions linking at least one of its points.
    EXPECT_EQ(
        count(u"select count(*) from tab_fgmc g where q <> (select count(*) from tab_answ a "
              u"where exists (select 1 from tab_rule r where substr(r.ftid,1,length(g.id))"
              u"=g.id and r.ftid in (a.K3,a.K4,a.K5,a.K6,a.K7,a.K8,a.K9,a.K10,a.K11,a.K12)))"_s),
        0);
    EXPECT_EQ(count(u"select count(*) from tab_kmmc where C4+D1+D2<>0 or C6<>'0'"_s), 0);
    EXPECT_EQ(count(u"select count(*) from tab_answ where F1 is null or E3<>0 or E4<>0"_s), 0);
    // Every question has its text; every compound question its stem.
    EXPECT_EQ(count(u"select count(*) from tab_answ a where not exists "
                    u"(select 1 from tab_exer e where e.A1=a.A1)"_s),
              0);
    EXPECT_EQ(count(u"select count(*) from tab_answ a where A1 like '%-%' and not exists "
                    u"(select 1 from tab_title t where t.A1=substr(a.A1,1,16))"_s),
              0);
    EXPECT_EQ(count(u"select count(*) from tab_answ where A1 not like '%-%' and length(A1)<>12"_s),
              0);
}

INSTANTIATE_TEST_SUITE_P(Databases, BuiltBank, ::testing::Values("fixture", "shipped"));

TEST(BankSources, ShippedBankServesEveryWindow)
{
    QTemporaryDir dir;
    const QString copy = dir.path() + u"/shipped.mdb"_s;
    ASSERT_TRUE(QFile::copy(testsupport::shippedDb(), copy));
    QFile(copy).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    ASSERT_TRUE(Db::open(u"shipped"_s, copy, Schema::requiredTables()));
    QSqlDatabase db = QSqlDatabase::database(u"shipped"_s);
    auto count = [&](const QString &sql) { return Db::scalar(db, sql).toInt(); };
    for (const QString &subject : {u"01"_s, u"02"_s, u"03"_s, u"04"_s, u"05"_s})
        EXPECT_GE(
            count(u"select count(*) from tab_answ where substr(A10,1,2)='"_s + subject + u"'"_s),
            25)
            << subject.toStdString();
    for (int kind : {11, 21, 31, 64, 72, 73, 74})
        EXPECT_GT(count(u"select count(*) from tab_answ where A13="_s + QString::number(kind)), 0)
            << kind;
    EXPECT_GE(count(u"select count(*) from tab_title"_s), 2);
    EXPECT_EQ(count(u"select count(*) from tab_answ where A1 like 'U%'"_s), 0);
    EXPECT_EQ(count(u"select count(distinct length(C1)) from tab_kmmc where C1<>'xx'"_s), 4);
    EXPECT_EQ(count(u"select count(*) from tab_kmmc where C1='xx'"_s), 1);
    EXPECT_EQ(count(u"select sum(C3) from tab_kmmc where C7='0'"_s),
              count(u"select count(*) from tab_answ"_s));
    db = QSqlDatabase();
    Db::close(u"shipped"_s);
}

// Two papers in a row can differ only when every kind a paper draws is held at least twice
// (the shipped build also passes mkbank --papers 2; this checks the database it wrote).
TEST(BankSources, ShippedPoolsHoldTwoPapersOfEveryDrawnKind)
{
    QTemporaryDir dir;
    const QString copy = dir.path() + u"/shipped.mdb"_s;
    ASSERT_TRUE(QFile::copy(testsupport::shippedDb(), copy));
    QFile(copy).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    ASSERT_TRUE(Db::open(u"pools"_s, copy, Schema::requiredTables()));
    {
        const QSqlDatabase db = QSqlDatabase::database(u"pools"_s);
        for (int paper : {1, 2, 3, 4, 5}) {
            const QString table = u"tab_tx"_s + QString::number(paper);
            QSqlQuery rows = Db::query(db, u"select A1,B2 from "_s + table + u" where B2>0"_s);
            int drawn = 0;
            while (rows.next()) {
                ++drawn;
                const int kind = rows.value(0).toInt();
                const int held =
                    Db::scalar(db,
                               u"select count(*) from tab_answ where substr(A10,1,2)=? and A13=? "
                               u"and F1<>1"_s,
                               {QVariant(u"0"_s + QString::number(paper)), QVariant(kind)})
                        .toInt();
                EXPECT_GE(held, 2 * rows.value(1).toInt())
                    << table.toStdString() << " kind " << kind;
            }
            EXPECT_GT(drawn, 0) << table.toStdString();
        }
    }
    Db::close(u"pools"_s);
}

TEST(BankSources, FaultySourcesAreRefusedByName)
{
    QTemporaryDir dir;
    const QString src = dir.path() + u"/src"_s;
    QDir().mkpath(src);
    const QString fixtures = QString::fromUtf8(STUDYAID_SOURCE_DIR) + u"/tests/fixtures/bank/"_s;
    for (const QString &f : QDir(fixtures).entryList({u"*.json"_s}))
        QFile::copy(fixtures + f, src + u'/' + f);

    auto rewrite = [&](const QString &file, const QString &from, const QString &to) {
        QFile f(src + u'/' + file);
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(f.readAll());
        f.close();
        ASSERT_TRUE(text.contains(from));
        text.replace(from, to);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text.toUtf8());
    };
    const QString out = dir.path() + u"/out.mdb"_s;
    QString error;
    ASSERT_TRUE(BankBuilder::build(src, out, &error)) << error.toStdString();

    rewrite(u"questions_02.json"_s, u"\"020101000002\""_s, u"\"010101000001\""_s);
    EXPECT_FALSE(BankBuilder::build(src, out, &error));
    EXPECT_TRUE(error.contains(u"010101000001"_s)) << error.toStdString();
    EXPECT_FALSE(QFile::exists(out)); // no half-built database is left behind
    rewrite(u"questions_02.json"_s, u"\"010101000001\""_s, u"\"020101000002\""_s);

    // A key written in lower case is stored in capitals.
    rewrite(u"questions_02.json"_s, u"\"answer\": \"ABD\""_s, u"\"answer\": \"abd\""_s);
    ASSERT_TRUE(BankBuilder::build(src, out, &error)) << error.toStdString();
    ASSERT_TRUE(Db::openReadOnly(u"capitals"_s, out, {u"tab_answ"_s}));
    {
        const QSqlDatabase built = QSqlDatabase::database(u"capitals"_s);
        EXPECT_EQ(
            Db::scalar(built, u"select count(*) from tab_answ where A2 collate binary='abd'"_s)
                .toInt(),
            0);
        EXPECT_GT(
            Db::scalar(built, u"select count(*) from tab_answ where A2 collate binary='ABD'"_s)
                .toInt(),
            0);
    }
    Db::close(u"capitals"_s);
    rewrite(u"questions_02.json"_s, u"\"answer\": \"abd\""_s, u"\"answer\": \"DAB\""_s);
    EXPECT_FALSE(BankBuilder::build(src, out, &error));
    EXPECT_TRUE(error.contains(u"A-F order"_s)) << error.toStdString();
}

TEST(BankSources, RichTextOfPlainSource)
{
    const QString html = QString::fromUtf8(BankBuilder::richText(u"甲<乙\n第二行\n\n新段"_s));
    EXPECT_TRUE(html.contains(u"<p>甲&lt;乙<br />第二行</p><p>新段</p>"_s)) << html.toStdString();
    EXPECT_TRUE(QString::fromUtf8(BankBuilder::richText(u"<p><b>粗</b></p>"_s))
                    .contains(u"<body><p><b>粗</b></p></body>"_s));
}

TEST_P(BuiltBank, ExamPointCodeIsUniqueWithoutRegardToCase)
{
    const QString code = Db::scalar(db(), u"select ftid from tab_rule limit 1"_s).toString();
    ASSERT_FALSE(code.isEmpty());
    for (const QString &copy : QStringList{code, code.toLower(), code + u'x'}) {
        const bool taken = copy.compare(code, Qt::CaseInsensitive) == 0;
        bool refused = false;
        try {
            Db::exec(db(), u"insert into tab_rule (id,ftid,sn) values (?,?,'x')"_s,
                     {code.left(6), copy});
        } catch (const Db::DbError &) {
            refused = true;
        }
        EXPECT_EQ(refused, taken) << copy.toStdString();
    }
}

namespace {

// One faulty source: the fixture bank with the first `from` in `file` replaced by `to` (an
// empty `from` wraps the whole file in a list), and the fragments the refusal must name.
struct Fault
{
    const char *file;
    const char *from;
    const char *to;
    QStringList expected;
    BankBuilder::Options options = {};
};

} // namespace

TEST(BankSources, EachFaultIsRefusedNamingFileAndEntry)
{
    const QString firstQuestion = u"questions_01.json question 1 (010101000001): "_s;
    const BankBuilder::Options complete{true, 0};
    const Fault faults[] = {
        // Values of the wrong type or outside their range.
        {"questions_01.json",
         "\"kind\": 11,",
         "\"kind\": \"11\",",
         {firstQuestion, u"whole number"_s}},
        {"questions_01.json", "\"kind\": 11,", "\"kind\": 11.7,", {firstQuestion, u"not 11.7"_s}},
        {"questions_01.json",
         "\"kind\": 11,",
         "\"kind\": 0,",
         {firstQuestion, u"kind 0 is none of"_s}},
        {"questions_01.json",
         "\"kind\": 11,",
         "\"kind\": 99,",
         {firstQuestion, u"kind 99 is none of"_s}},
        {"questions_01.json",
         "\"points\": [\n    \"010101001\",\n    \"010101002\"\n   ]",
         "\"points\": \"010101001\"",
         {firstQuestion, u"\"points\" must be a list"_s}},
        {"questions_01.json",
         "\"id\": \"010101000001\",",
         "\"id\": \"   \",",
         {u"questions_01.json question 1: \"id\" is blank"_s}},
        {"syllabus.json",
         "\"code\": \"0101\",",
         "\"code\": \"010\",",
         {u"syllabus.json chapter 3 (010): "_s, u"1, 2, 4 or 6"_s}},
        {"syllabus.json",
         "\"code\": \"010102\",",
         "\"code\": \"01010201\",",
         {u"syllabus.json chapter 5 (01010201): "_s, u"1, 2, 4 or 6"_s}},
        {"kinds.json",
         "\"count\": 10,",
         "\"count\": -10,",
         {u"kinds.json tab_tx1 row 1: "_s, u"\"count\" must lie within"_s}},
        {"kinds.json",
         "\"score\": 1,",
         "\"score\": \"1\",",
         {u"kinds.json tab_tx1 row 1: "_s, u"\"score\" must be a number"_s}},
        {"settings.json",
         "\"2027-10-23\"",
         "\"2027-13-45\"",
         {u"settings.json plan: "_s, u"\"ExamDate\" must be a date"_s}},
        {"settings.json",
         "\"ExamTime\": 9000",
         "\"ExamTime\": \"9000\"",
         {u"settings.json plan: "_s, u"\"ExamTime\" must be a whole number"_s}},
        // Missing, unknown and repeated keys.
        {"questions_02.json",
         "\"questions\": [",
         "\"qusetions\": [",
         {u"questions_02.json: "_s, u"unknown key \"qusetions\""_s}},
        {"questions_01.json",
         "\"jx\": \"解析文字。\"\n  },",
         "\"jx\": \"解析文字。\", \"note\": \"\"\n  },",
         {firstQuestion, u"unknown key \"note\""_s}},
        {"syllabus.json",
         "\"title\": \"法律知识 第一章\",",
         "",
         {u"syllabus.json chapter 3 (0101): missing \"title\""_s}},
        {"questions_01.json",
         "\"id\": \"010101000002\",",
         "",
         {u"questions_01.json question 2: missing \"id\""_s}},
        {"questions_01.json", "\"options\": 4,", "", {firstQuestion, u"missing \"options\""_s}},
        {"questions_01.json",
         "\"answer\": \"B\",",
         "\"answer\": \"B\", \"answer\": \"C\",",
         {u"questions_01.json: line 8, column 19: key \"answer\" appears twice"_s}},
        {"questions_03.json", "", "", {u"questions_03.json: "_s, u"top level"_s}},
        {"questions_01.json",
         "\"kind\": 11,",
         "\"kind\": 11,,",
         {u"questions_01.json: not valid JSON at line 7"_s}},
        // Codes repeated or unknown: a repeat names both entries.
        {"points.json",
         "\"code\": \"010101002\",",
         "\"code\": \"010101001\",",
         {u"points.json point 2 (010101001): 010101001 repeats points.json point 1 (010101001)"_s}},
        {"points.json",
         "\"code\": \"010101002\",",
         "\"code\": \"010101A01\",",
         {firstQuestion, u"unknown exam point 010101002"_s}},
        {"questions_02.json",
         "\"020101000002\"",
         "\"010101000001\"",
         {u"questions_02.json question 2 (010101000001): 010101000001 repeats "
          u"questions_01.json question 1 (010101000001)"_s}},
        {"questions_01.json",
         "\"chapter\": \"010101\",",
         "\"chapter\": \"010109\",",
         {firstQuestion, u"chapter 010109 is not a 6-character code of the syllabus"_s}},
        {"questions_04.json",
         "\"stems\": [\n  {",
         "\"stems\": [\n  {\"id\": \"0401010000000009\", \"text\": \"无人使用\"},\n  {",
         {u"questions_04.json stem 1 (0401010000000009): no question uses this stem"_s}},
        // Answers and options that do not agree.
        {"questions_01.json",
         "\"answer\": \"B\",",
         "\"answer\": \"E\",",
         {firstQuestion, u"answer E is not among the 4 options"_s}},
        {"questions_01.json",
         "\"answer\": \"ACD\",",
         "\"answer\": \"C\",",
         {u"questions_01.json question 4 (010101000004): "_s, u"at least two letters"_s}},
        {"questions_01.json",
         "\"options\": 4,",
         "\"options\": 5,",
         {firstQuestion, u"the body lists the options \"ABCD\", \"options\" says 5"_s}},
        // Markup inside a plain-text field would show as text.
        {"questions_01.json",
         "\"jx\": \"解析文字。\"\n  },",
         "\"jx\": \"解析x<sub>1</sub>。\"\n  },",
         {firstQuestion, u"\"jx\" holds the tag <sub>"_s}},
        // Checks of a bank that ships.
        {"questions_01.json",
         "\"jx\": \"解析文字。\"\n  },",
         "\"jx\": \" \"\n  },",
         {firstQuestion, u"has no explanation"_s},
         complete},
        {"questions_01.json",
         "",
         "",
         {u"questions_01.json question 3 (010101000003): links no exam point"_s},
         complete},
        {"questions_01.json",
         "",
         "",
         {u"questions_01.json kind 11 holds 5 of the 20 needed (2 × 10)"_s,
          u"questions_05.json kind 64 holds 1 of the 12 needed (2 × 6)"_s},
         {false, 2}},
    };
    const QString fixtures = QString::fromUtf8(STUDYAID_SOURCE_DIR) + u"/tests/fixtures/bank/"_s;
    for (const Fault &fault : faults) {
        const QString file = QString::fromUtf8(fault.file);
        const QString from = QString::fromUtf8(fault.from);
        SCOPED_TRACE(file.toStdString() + " " + from.toStdString());
        QTemporaryDir dir;
        for (const QString &f : QDir(fixtures).entryList({u"*.json"_s})) {
            QFile in(fixtures + f);
            ASSERT_TRUE(in.open(QIODevice::ReadOnly));
            QString text = QString::fromUtf8(in.readAll());
            if (f == file && !from.isEmpty()) {
                ASSERT_TRUE(text.contains(from));
                text.replace(text.indexOf(from), from.size(), QString::fromUtf8(fault.to));
            } else if (f == file && fault.options.papers == 0 && !fault.options.complete) {
                text = u'[' + text + u']';
            }
            QFile out(dir.path() + u'/' + f);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(text.toUtf8());
        }
        const QString out = dir.path() + u"/out/bank.mdb"_s;
        QString error;
        EXPECT_FALSE(BankBuilder::build(dir.path(), out, &error, fault.options));
        for (const QString &expected : fault.expected)
            EXPECT_TRUE(error.contains(expected)) << error.toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }
}
