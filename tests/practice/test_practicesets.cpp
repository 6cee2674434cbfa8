// The chapter browser's data on a temporary fixture copy: which questions each practice set
// holds and in what order, the exact statements, and the totals over the syllabus.
#include "data/database.h"
#include "data/dm.h"
#include "practice/practicesets.h"
#include "support/testsupport.h"

#include <QSqlQuery>
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
        ASSERT_TRUE(dm.DataModuleCreate(folder.path())) << dm.lastError().toStdString();
    }
    QSqlDatabase db() const { return dm.ADOCn1(); }
    void exec(const QString &sql, const QVariantList &values = {}) { Db::exec(db(), sql, values); }
    // The ids the practice query of a set returns, in its order.
    QStringList ids(Set set, const QString &chapter, bool byDoubleClick = false)
    {
        QSqlQuery q = Db::query(db(), PracticeSets::practiceQuery(set, chapter, byDoubleClick));
        QStringList list;
        while (q.next())
            list.append(q.value(u"a1"_s).toString());
        return list;
    }
    // Sets E2, E4 and F1 of a question (a null QVariant stores NULL).
    void progress(const QString &id, const QVariant &e2, int e4, const QVariant &f1)
    {
        exec(u"update tab_answ set E2=?,E4=?,F1=? where A1=?"_s, {e2, e4, f1, id});
    }

    testsupport::TempProgramFolder folder;
    TDM1 dm;
};

const QVariant kNull = QVariant(QMetaType(QMetaType::QString));
const QVariant kIntNull = QVariant(QMetaType(QMetaType::Int));

TEST_F(PracticeSetsTest, MembershipAndOrderOfTheThreeSets)
{
    // Chapter 010101: 001..003 kind 11, 004..005 kind 21, 006 kind 72 (fixture order xx 1..6).
    progress(u"010101000001"_s, kNull, 0, 0);            // never answered (NULL): new
    progress(u"010101000002"_s, u""_s, 0, 0);            // never answered (''): new
    progress(u"010101000003"_s, u"zero"_s, -2, 1);       // voided: done only
    progress(u"010101000004"_s, u"A"_s, -1, 0);          // answered wrongly: wrong and done
    progress(u"010101000005"_s, kNull, -1, kIntNull);    // f1 NULL: in no set
    progress(u"010101000006"_s, u"1"_s, 0, 0);           // answered right: done
    progress(u"010102000001"_s, kNull, 0, 0);            // the sibling section
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
        {Set::New, u"0101"_s,
         {u"010101000001"_s, u"010101000002"_s, u"010102000001"_s}},
        {Set::Wrong, u"0101"_s, {u"010102000002"_s, u"010101000004"_s}},
        {Set::Done, u"0101"_s,
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
    EXPECT_EQ(order,
              (QStringList{u"010101000001"_s, u"010101000002"_s, u"010101000003"_s,
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
    const QStringList chapters{u"01%101"_s, u"01_101"_s, u"01a101"_s, u"01A102"_s, u"01x101"_s,
                               u"01\\101"_s, u"01b%01"_s, u"01"_s};
    int n = 0;
    for (const QString &a10 : chapters)
        exec(u"insert into tab_answ(A1,A10,A13,xx) values(?,?,1,1)"_s,
             {QString(u"Z"_s + QString::number(++n)), a10});
    const QStringList codes{u"01%1"_s, u"01_1"_s, u"01A1"_s, u"01a10"_s, u"01\\1"_s,
                            u"01B%"_s,  u"01%"_s,  u"%"_s,    u"_"_s,     u"010101"_s};
    for (const QString &code : codes) {
        QSqlQuery q = Db::query(db(),
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

TEST(PracticeSetsText, StatementsKeepTheirWording)
{
    const QString head = u"a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,e4,"
                         u"f1,xx,csbs,ecount from tab_answ"_s;
    struct Case
    {
        Set set;
        bool doubleClick;
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
        EXPECT_EQ(PracticeSets::practiceQuery(c.set, u"O'Neil"_s, c.doubleClick), c.expected);
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

} // namespace
