// The chapter browser's data on a temporary fixture copy: which questions each practice set
// holds and in what order, the exact statements, and the totals over the syllabus.
#include "data/AnswerRecord.h"
#include "data/Database.h"
#include "data/Schema.h"
#include "data/StudyData.h"
#include "practice/ChapterGridModel.h"
#include "practice/PracticeSets.h"
#include "practice/QuestionSet.h"
#include "support/TestSupport.h"

#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <gtest/gtest.h>
#include <ostream>

// Readable failure messages for texts and lists of texts.
void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}
void PrintTo(const QStringList &list, std::ostream *os)
{
    *os << '[' << list.join(QStringLiteral(", ")).toStdString() << ']';
}

using namespace Qt::StringLiterals;
using PracticeSets::Set;

namespace {

class PracticeSetsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(study.openInProgramFolder(folder.path())) << study.lastError().toStdString();
    }
    QSqlDatabase db() const { return study.connection(); }
    void exec(const QString &sql, const QVariantList &values = {}) { Db::exec(db(), sql, values); }
    // The ids the practice query of a set returns, in its order.
    QStringList ids(Set set, const QString &chapter, bool doubleClicked = false)
    {
        QSqlQuery q = Db::query(db(), PracticeSets::practiceQuery(set, chapter, doubleClicked));
        QStringList list;
        while (q.next())
            list.append(q.value(u"a1"_s).toString());
        return list;
    }
    // Sets the last answer (E2), the wrong level (E4) and the status (F1) of a question (a null
    // QVariant stores NULL).
    void progress(const QString &id, const QVariant &lastAnswer, int wrongLevel,
                  const QVariant &status)
    {
        exec(u"update tab_answ set E2=?,E4=?,F1=? where A1=?"_s,
             {lastAnswer, wrongLevel, status, id});
    }

    testsupport::TempProgramFolder folder;
    StudyData study;
};

const QVariant kNull = QVariant(QMetaType(QMetaType::QString));
const QVariant kIntNull = QVariant(QMetaType(QMetaType::Int));

TEST_F(PracticeSetsTest, MembershipAndOrderOfTheThreeSets)
{
    // Chapter 010101: 001..003 kind 11, 004..005 kind 21, 006 kind 72 (fixture order xx 1..6).
    progress(u"010101000001"_s, kNull, 0, 0);         // never answered (NULL): new
    progress(u"010101000002"_s, u""_s, 0, 0);         // never answered (''): new
    progress(u"010101000003"_s, u"zero"_s, -2, 1);    // voided: done only
    progress(u"010101000004"_s, u"A"_s, -1, 0);       // answered wrongly: wrong and done
    progress(u"010101000005"_s, kNull, -1, kIntNull); // f1 NULL: in no set
    progress(u"010101000006"_s, u"1"_s, 0, 0);        // answered right: done
    progress(u"010102000001"_s, kNull, 0, 0);         // the sibling section
    progress(u"010102000002"_s, u"C"_s, -3, 0);
    // The wrong and done sets order by kind, answer count, wrong level: 010102000002 (level -3)
    // comes before 010101000004 (level -1) of the same kind.
    exec(u"update tab_answ set E3=2 where A1='010101000006'"_s);

    struct Case
    {
        Set set;
        QString chapter;
        QStringList expected;
    };
    const QList<Case> cases{
        {Set::New, u"010101"_s, {u"010101000001"_s, u"010101000002"_s}},
        {Set::Wrong, u"010101"_s, {u"010101000004"_s}},
        {Set::Done, u"010101"_s, {u"010101000003"_s, u"010101000004"_s, u"010101000006"_s}},
        // A 4-character chapter takes the questions of its sections, never those of 0102.
        {Set::New, u"0101"_s, {u"010101000001"_s, u"010101000002"_s, u"010102000001"_s}},
        {Set::Wrong, u"0101"_s, {u"010102000002"_s, u"010101000004"_s}},
        {Set::Done,
         u"0101"_s,
         {u"010101000003"_s, u"010102000002"_s, u"010101000004"_s, u"010101000006"_s}},
        // Codes compare without case, and a quote in a code is only text.
        {Set::New, u"01'01"_s, {}},
        {Set::Done, u"010102"_s, {u"010102000002"_s}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ids(c.set, c.chapter), c.expected)
            << "set " << int(c.set) << " chapter " << c.chapter.toStdString();
    }
}

TEST_F(PracticeSetsTest, NewSetOrdersByKindChapterAndPosition)
{
    // Kind first, then section: the single choices of both sections of 0101 come before any
    // multiple choice of its first section.
    const QStringList order = ids(Set::New, u"0101"_s);
    EXPECT_EQ(order, (QStringList{u"010101000001"_s, u"010101000002"_s, u"010101000003"_s,
                                  u"010102000001"_s, u"010101000004"_s, u"010101000005"_s,
                                  u"010102000002"_s, u"010101000006"_s}));
    // "zero" is an answer given (the void mark): such a question is not new.
    progress(u"010101000002"_s, u"zero"_s, 0, 0);
    EXPECT_FALSE(ids(Set::New, u"010101"_s).contains(u"010101000002"_s));
    // The grid's double-click orders without the id: the same rows.
    EXPECT_EQ(ids(Set::New, u"010101"_s, true).size(), ids(Set::New, u"010101"_s).size());
}

// The chapter test selects a chapter's questions by code prefix without regard to letter case,
// and a '%', '_' or backslash in a code is a plain character: the rows are exactly those whose A10
// starts with the code as substr(A10,1,n) = code COLLATE NOCASE finds them.
TEST_F(PracticeSetsTest, ChapterPrefixIsLiteralAndCaseless)
{
    const QStringList chapters{u"01%101"_s, u"01_101"_s,  u"01a101"_s, u"01A102"_s,
                               u"01x101"_s, u"01\\101"_s, u"01b%01"_s, u"01"_s};
    int n = 0;
    for (const QString &a10 : chapters)
        exec(u"insert into tab_answ(A1,A10,A13,xx) values(?,?,1,1)"_s,
             {QString(u"Z"_s + QString::number(++n)), a10});
    const QStringList codes{u"01%1"_s, u"01_1"_s, u"01A1"_s, u"01a10"_s, u"01\\1"_s,
                            u"01B%"_s, u"01%"_s,  u"%"_s,    u"_"_s,     u"010101"_s};
    for (const QString &code : codes) {
        QSqlQuery q =
            Db::query(db(),
                      u"select a1 from tab_answ where substr(A10,1,?) = ? COLLATE NOCASE"
                      u" and (E2 = '' or E2 is null) and (f1<>1) order by a13,a10,xx,a1"_s,
                      {QVariant(code.size()), code});
        QStringList expected;
        while (q.next())
            expected.append(q.value(0).toString());
        EXPECT_EQ(ids(Set::New, code), expected) << code.toStdString();
        EXPECT_EQ(ids(Set::New, code).isEmpty(), code == u"%"_s || code == u"_"_s)
            << code.toStdString();
    }
}

// The wrong-question notebook: 错题重做 and 习题重温 run on a subject and on the whole
// syllabus, chapter by chapter, and take in the questions answered wrongly in a mock exam.
TEST_F(PracticeSetsTest, WrongNotebookSpansSubjectsAndTakesMockExamAnswers)
{
    // Practice answers: a wrong one in a later section of 01, one in another subject.
    progress(u"010102000001"_s, u"C"_s, -3, 0);
    progress(u"010101000004"_s, u"AB"_s, -1, 0);
    progress(u"020101000001"_s, u"D"_s, -2, 0);
    progress(u"010101000001"_s, u"B"_s, 0, 0); // right: done, not wrong
    // A mock exam answers 010201000001 wrongly and 030101000001 rightly through the paper path.
    Schema::createPaperTable(db(), u"tab_paper_t"_s);
    for (const QString &id : {u"010201000001"_s, u"030101000001"_s}) {
        exec(u"insert into tab_paper_t (A1,A2,A10,A13) select A1,A2,A10,A13 from tab_answ "
             u"where A1=?"_s,
             {id});
    }
    auto paperAnswer = [this](const QString &id, bool right) {
        QSqlQuery q = Db::query(db(), u"select * from tab_paper_t where A1=?"_s, {id});
        ASSERT_TRUE(q.next());
        QuestionProgress p = QuestionProgress::fromRecord(q.record());
        const QString answer = right ? p.correct : (p.correct == u"A"_s ? u"B"_s : u"A"_s);
        EXPECT_EQ(recordPaperAnswer(study, u"tab_paper_t"_s, p, answer).right, right);
    };
    paperAnswer(u"010201000001"_s, false);
    paperAnswer(u"030101000001"_s, true);

    // Ordered by chapter first; the exam's wrong answer joins; the right one does not.
    EXPECT_EQ(ids(Set::Wrong, u"01"_s),
              (QStringList{u"010101000004"_s, u"010102000001"_s, u"010201000001"_s}));
    EXPECT_EQ(ids(Set::Wrong, u"0"_s), (QStringList{u"010101000004"_s, u"010102000001"_s,
                                                    u"010201000001"_s, u"020101000001"_s}));
    EXPECT_EQ(ids(Set::Done, u"0"_s),
              (QStringList{u"010101000001"_s, u"010101000004"_s, u"010102000001"_s,
                           u"010201000001"_s, u"020101000001"_s, u"030101000001"_s}));
    // A chapter keeps its own order (kind first) and its own questions.
    EXPECT_EQ(ids(Set::Wrong, u"0101"_s), (QStringList{u"010102000001"_s, u"010101000004"_s}));
    // The counts shown before starting are the sizes of those sets.
    EXPECT_EQ(PracticeSets::setSize(db(), Set::Wrong, u"0"_s), 4);
    EXPECT_EQ(PracticeSets::setSize(db(), Set::Wrong, u"02"_s), 1);
    EXPECT_EQ(PracticeSets::setSize(db(), Set::Done, u"03"_s), 1);
    EXPECT_EQ(PracticeSets::setSize(db(), Set::Wrong, u"03"_s), 0);

    // New questions are still practised chapter by chapter.
    struct Case
    {
        Set set;
        QString code;
        bool startable;
    };
    for (const Case &c : QList<Case>{{Set::New, u"0"_s, false},
                                     {Set::New, u"01"_s, false},
                                     {Set::New, u"0101"_s, true},
                                     {Set::Wrong, u"0"_s, true},
                                     {Set::Wrong, u"01"_s, true},
                                     {Set::Done, u"0"_s, true},
                                     {Set::Done, u"010101"_s, true}}) {
        EXPECT_EQ(PracticeSets::canStart(c.set, c.code), c.startable)
            << int(c.set) << ' ' << c.code.toStdString();
    }
}

TEST(PracticeSetsText, StatementsKeepTheirWording)
{
    const QString head = u"a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,e4,"
                         u"f1,xx,csbs,ecount from tab_answ"_s;
    struct Case
    {
        Set set;
        bool doubleClicked;
        QString expected;
    };
    const QList<Case> cases{
        {Set::New, false,
         u"select a1 ,"_s + head +
             u" where (A10 LIKE 'O''Neil%' ESCAPE '\\') and (E2 = '' or E2 is null)"
             u"  and (f1<>1)  order by a13,a10,xx,a1"_s},
        {Set::New, true,
         u"select a1 ,"_s + head +
             u" where (A10 LIKE 'O''Neil%' ESCAPE '\\') and (E2 = '' or E2 is null)"
             u"  and (f1<>1)  order by a13,a10,xx"_s},
        {Set::Wrong, false,
         u"select a1,"_s + head +
             u"  where (A10 LIKE 'O''Neil%' ESCAPE '\\') and (E4 < 0)  and (f1<>1)"
             u" order by a13,e3,e4,e1,xx,a1"_s},
        {Set::Done, false,
         u"select a1,"_s + head +
             u" where (A10 LIKE 'O''Neil%' ESCAPE '\\') and (E2 <> '' and E2 is not "
             u"null) order by a13,e3,e4,e1,xx,a1"_s},
    };
    for (const Case &c : cases)
        EXPECT_EQ(PracticeSets::practiceQuery(c.set, u"O'Neil"_s, c.doubleClicked), c.expected);
}

TEST(PracticeSetsText, SubjectsAndEmptySetMessages)
{
    EXPECT_TRUE(PracticeSets::isSubjectCode(u"0"_s));
    EXPECT_TRUE(PracticeSets::isSubjectCode(u"01"_s));
    EXPECT_FALSE(PracticeSets::isSubjectCode(u"0101"_s));
    EXPECT_FALSE(PracticeSets::isSubjectCode(u"010101"_s));
    EXPECT_EQ(PracticeSets::emptySetMessage(Set::New), u"恭喜，习题已做完！"_s);
    EXPECT_EQ(PracticeSets::emptySetIcon(Set::New), 0);
    EXPECT_EQ(PracticeSets::emptySetMessage(Set::Wrong), u"本章节下没有错题！"_s);
    EXPECT_EQ(PracticeSets::emptySetIcon(Set::Wrong), 1);
    EXPECT_EQ(PracticeSets::emptySetMessage(Set::Done), u"本章节习题还未曾做过！"_s);
    EXPECT_EQ(PracticeSets::emptySetIcon(Set::Done), 1);
}

TEST_F(PracticeSetsTest, TotalsCountTheLowestChaptersOnly)
{
    // The fixture as built: every question counted once, nothing answered.
    PracticeSets::Totals t = PracticeSets::readTotals(db());
    EXPECT_EQ(t.questions, Db::scalar(db(), u"select count(*) from tab_answ"_s).toLongLong());
    EXPECT_EQ(t.answers, 0);
    EXPECT_EQ(t.scoreText(), QString()); // the label keeps its text

    // Figures on higher chapters repeat those of their sections and must not be added again.
    exec(u"update tab_kmmc set C3=12000,D1=6,D2=1 where C1='010101'"_s);
    exec(u"update tab_kmmc set C3=345,D1=2,D2=1 where C1='010102'"_s);
    exec(u"update tab_kmmc set C3=99999,D1=500,D2=400 where C1 in ('0','01','0101')"_s);
    t = PracticeSets::readTotals(db());
    const qint64 others =
        Db::scalar(db(), u"select sum(C3) from tab_kmmc where length(C1)=6 and C1 not like "
                         u"'0101%'"_s)
            .toLongLong();
    EXPECT_EQ(t.questions, 12345 + others);
    EXPECT_EQ(t.displayedQuestions(), 10000);
    EXPECT_EQ(t.answers, 8);
    EXPECT_EQ(t.wrong, 2);
    EXPECT_EQ(t.scoreText(), u"75.00"_s);

    exec(u"update tab_kmmc set C3=1,D1=0,D2=0"_s);
    exec(u"update tab_kmmc set C3=7,D1=3,D2=0 where C1='020101'"_s);
    t = PracticeSets::readTotals(db());
    EXPECT_EQ(t.displayedQuestions(), t.questions); // under the cap: shown as is
    EXPECT_EQ(t.scoreText(), u"100.00"_s);
}

TEST_F(PracticeSetsTest, TotalsOfAnEmptySyllabusAreZero)
{
    exec(u"delete from tab_kmmc where length(C1)=6"_s);
    const PracticeSets::Totals t = PracticeSets::readTotals(db());
    EXPECT_EQ(t.questions, 0);
    EXPECT_EQ(t.answers, 0);
    EXPECT_EQ(t.scoreText(), QString());
}

// The grid model shows what a query model of the grid statement shows, cell for cell.
TEST_F(PracticeSetsTest, ChapterGridShowsTheGridStatement)
{
    exec(u"update tab_kmmc set D1=NULL,C6='88.50' where C1='010101'"_s);
    exec(u"update tab_kmmc set C3=2.5,D2='x' where C1='0101'"_s);
    exec(u"insert into tab_kmmc (C1,C1_1,C2,C3,bh) values ('xx','x','reserved',5,0)"_s);
    ChapterGridModel model;
    model.reload(db());
    QSqlQueryModel expected;
    expected.setQuery(PracticeSets::gridQuery(), db());
    while (expected.canFetchMore())
        expected.fetchMore();
    ASSERT_GT(expected.rowCount(), 10);
    ASSERT_EQ(model.rowCount(), expected.rowCount());
    ASSERT_EQ(model.columnCount(), expected.columnCount());
    for (int r = 0; r < model.rowCount(); ++r) {
        EXPECT_EQ(model.code(r), expected.record(r).value(u"C1"_s).toString());
        EXPECT_EQ(model.key(r), expected.record(r).value(u"C1_1"_s).toString());
        EXPECT_EQ(model.rowOf(model.code(r)), r);
        for (int c = 0; c < model.columnCount(); ++c) {
            SCOPED_TRACE(QStringLiteral("row %1 column %2").arg(r).arg(c).toStdString());
            for (int role : {int(Qt::DisplayRole), int(Qt::EditRole)}) {
                const QVariant want = expected.index(r, c).data(role);
                const QVariant got = model.index(r, c).data(role);
                EXPECT_EQ(got.metaType(), want.metaType());
                EXPECT_EQ(got, want);
                EXPECT_EQ(got.toString(), want.toString());
            }
            // The name, whole, as its tool tip; nothing else has one.
            EXPECT_EQ(model.index(r, c).data(Qt::ToolTipRole),
                      c == ChapterGridModel::Name ? expected.index(r, c).data() : QVariant());
        }
    }
    EXPECT_EQ(model.rowOf(u"xx"_s), -1);
    EXPECT_EQ(model.rowOf(u"nope"_s), -1);
    QStringList headers;
    for (int c = 0; c < model.columnCount(); ++c)
        headers.append(model.headerData(c, Qt::Horizontal).toString());
    EXPECT_EQ(headers, (QStringList{u"C1"_s, u"C1_1"_s, u"章节名称"_s, u"习题数目"_s, u"已做题数"_s,
                                    u"已做道次"_s, u"做错道次"_s, u"综合成绩"_s}));
    EXPECT_EQ(model.headerData(ChapterGridModel::Name, Qt::Horizontal, Qt::EditRole), headers[2]);
    EXPECT_FALSE(model.headerData(ChapterGridModel::Code, Qt::Horizontal, Qt::EditRole).isValid());
    EXPECT_EQ(model.headerData(0, Qt::Vertical).toInt(), 1);

    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.totals().questions, 0);
}

// The totals summed while the grid is read equal those of the totals statement, whatever the
// rows hold.
TEST_F(PracticeSetsTest, ChapterGridTotalsEqualTheTotalsStatement)
{
    const struct
    {
        const char *what;
        QStringList setup;
    } cases[] = {
        {"as built", {}},
        {"higher chapters not added, over the cap",
         {u"update tab_kmmc set C3=12000,D1=6,D2=1 where C1='010101'"_s,
          u"update tab_kmmc set C3=99999,D1=500,D2=400 where length(C1)<6"_s}},
        {"nulls",
         {u"update tab_kmmc set D1=NULL,D2=NULL"_s,
          u"update tab_kmmc set C3=NULL where C1='010102'"_s}},
        {"reals and texts",
         {u"update tab_kmmc set C3=2.6,D1='7',D2='two' where C1='010101'"_s,
          u"update tab_kmmc set C3=1.7 where C1='010102'"_s}},
        {"codes counted in characters",
         {u"insert into tab_kmmc (C1,C3,D1,D2,bh) values ('0101\U0001F600',1000,1,1,90)"_s,
          u"insert into tab_kmmc (C1,C3,D1,D2,bh) values ('010\U0001F600ab',300,3,0,91)"_s,
          u"insert into tab_kmmc (C1,C3,D1,D2,bh) values (NULL,50,5,5,92)"_s}},
        {"no lowest chapter", {u"delete from tab_kmmc where length(C1)=6"_s}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        for (const QString &sql : c.setup)
            exec(sql);
        const PracticeSets::Totals want = PracticeSets::readTotals(db());
        ChapterGridModel model;
        model.reload(db());
        EXPECT_EQ(model.totals().questions, want.questions);
        EXPECT_EQ(model.totals().answers, want.answers);
        EXPECT_EQ(model.totals().wrong, want.wrong);
        EXPECT_EQ(model.totals().displayedQuestions(), want.displayedQuestions());
        EXPECT_EQ(model.totals().scoreText(), want.scoreText());
    }
}

TEST_F(PracticeSetsTest, ChapterGridThatCannotBeReadIsEmptyAndThrows)
{
    ChapterGridModel model;
    model.reload(db());
    ASSERT_GT(model.rowCount(), 0);
    exec(u"alter table tab_kmmc rename to tab_kmmc_gone"_s);
    EXPECT_THROW(model.reload(db()), Db::DbError);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.totals().questions, 0);
}

// The question set reads each column as the row record of Qt SQL gives it, absent columns as
// empty, and nothing when the query fails.
TEST_F(PracticeSetsTest, QuestionSetReadsEveryColumn)
{
    exec(u"update tab_answ set E1='2026-12-01',E2='A',E2_1='B',E3=3,E4=-2,K3='0101010001',"
         u"K12=7,A14='note',F1=2,csbs='Y',ecount=4,A13=2,A2_1=5 where A1='010101000001'"_s);
    exec(u"update tab_answ set E1=NULL,E3=NULL,E4=NULL,F1=NULL,ecount=NULL,A14=NULL,A2_1=NULL,"
         u"K3=NULL where A1='010101000002'"_s);
    exec(u"update tab_answ set E3='7',E4=1.5,A13='3' where A1='010101000003'"_s);
    const struct
    {
        const char *what;
        QString sql;
    } cases[] = {
        {"practice query", u"select * from tab_answ where A10 like '0101%' order by A1"_s},
        {"no ecount, no csbs", u"select A1,A2,A10,A13,E1,E2,E3,F1 from tab_answ order by A1"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QuestionSet set;
        set.open(db(), c.sql);
        QSqlQuery q = Db::query(db(), c.sql);
        int i = 0;
        for (; q.next(); ++i) {
            ASSERT_LT(i, set.totalCount());
            const QSqlRecord rec = q.record();
            const QuestionProgress want = QuestionProgress::fromRecord(rec);
            const QuestionRow &row = set.rowAt(i);
            EXPECT_EQ(row.progress.id, want.id);
            EXPECT_EQ(row.progress.correct, want.correct);
            EXPECT_EQ(row.progress.chapter, want.chapter);
            EXPECT_EQ(row.progress.lastDate.metaType(), want.lastDate.metaType());
            EXPECT_EQ(row.progress.lastDate, want.lastDate);
            EXPECT_EQ(row.progress.lastAnswer, want.lastAnswer);
            EXPECT_EQ(row.progress.runAnswer, want.runAnswer);
            EXPECT_EQ(row.progress.count, want.count);
            EXPECT_EQ(row.progress.wrongLevel, want.wrongLevel);
            EXPECT_EQ(row.progress.points, want.points);
            EXPECT_EQ(row.optionCount, rec.value(u"A2_1"_s).toInt());
            EXPECT_EQ(row.kind, rec.value(u"A13"_s).toInt());
            EXPECT_EQ(row.note.metaType(), rec.value(u"A14"_s).metaType());
            EXPECT_EQ(row.note, rec.value(u"A14"_s));
            EXPECT_EQ(row.status, rec.value(u"F1"_s).toInt());
            EXPECT_EQ(row.timeOutMark, rec.value(u"csbs"_s).toString());
            EXPECT_EQ(row.editCount, rec.value(u"ecount"_s).toInt());
        }
        EXPECT_EQ(set.totalCount(), i);
        EXPECT_GT(i, 3);
    }
    QuestionSet set;
    set.open(db(), u"select * from tab_answ where A10 like '0101%' order by A1"_s);
    EXPECT_EQ(set.row(1).progress.points.value(9), u"7"_s);
    EXPECT_EQ(set.countOfKind(2),
              Db::scalar(db(), u"select count(*) from tab_answ where A10 like '0101%' and A13=2"_s)
                  .toInt());
    EXPECT_THROW(set.open(db(), u"select * from no_such_table"_s), Db::DbError);
    EXPECT_EQ(set.totalCount(), 0);
    EXPECT_TRUE(set.isEmpty());
}

// Values repeated across a set are held once; a row read again after an edit gets its own
// copies and leaves the rows that shared them as they were.
TEST_F(PracticeSetsTest, QuestionSetSharesRepeatedValuesAndKeepsRowsApart)
{
    exec(u"update tab_answ set A2='AB',K3='0101010001',K4='0101010002',E1='2026-12-01',E2='B' "
         u"where A1 in ('010101000001','010101000002')"_s);
    QuestionSet set;
    set.open(db(), u"select * from tab_answ where A1 in ('010101000001','010101000002') "
                   u"order by A1"_s);
    ASSERT_EQ(set.totalCount(), 2);
    QuestionRow &first = set.row(1);
    const QuestionRow &second = set.row(2);
    EXPECT_EQ(first.progress.chapter.constData(), second.progress.chapter.constData());
    EXPECT_EQ(first.progress.correct.constData(), second.progress.correct.constData());
    EXPECT_EQ(first.progress.points.constData(), second.progress.points.constData());
    EXPECT_EQ(first.progress.lastAnswer.constData(), second.progress.lastAnswer.constData());
    EXPECT_EQ(first.progress.lastDate.typeId(), QMetaType::QString);
    EXPECT_EQ(first.progress.lastDate.toString().constData(),
              second.progress.lastDate.toString().constData());
    EXPECT_NE(first.progress.id.constData(), second.progress.id.constData());

    exec(u"update tab_answ set A2='C',K3='0101010009',K4=NULL where A1='010101000001'"_s);
    QuestionWrites::reloadEdited(study, u"tab_answ"_s, first);
    EXPECT_EQ(first.progress.correct, u"C"_s);
    EXPECT_EQ(first.progress.points.mid(0, 2), (QStringList{u"0101010009"_s, QString()}));
    EXPECT_EQ(second.progress.correct, u"AB"_s);
    EXPECT_EQ(second.progress.points.mid(0, 2), (QStringList{u"0101010001"_s, u"0101010002"_s}));
    EXPECT_EQ(second.progress.points.size(), 10);
}

} // namespace
