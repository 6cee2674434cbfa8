// The exam-point catalogue's data: counters and headers as the grid shows them, the key-point
// threshold, the point list and statistics texts, find, and the reads on a temporary fixture
// copy (catalogue order, the points of a chapter with the key-point filter, the point found by
// its title without trailing blanks, the question set of a point).
#include "data/Database.h"
#include "data/StudyData.h"
#include "exampoints/PointCatalogue.h"
#include "support/TestSupport.h"

#include <QSqlQuery>
#include <gtest/gtest.h>
#include <ostream>

void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}
void PrintTo(const QStringList &list, std::ostream *os)
{
    *os << '[' << list.join(QStringLiteral(", ")).toStdString() << ']';
}

using namespace Qt::StringLiterals;
using namespace PointCatalogue;

namespace {

const QVariant kNull = QVariant(QMetaType(QMetaType::Int));

TEST(PointCatalogueTexts, CountersArePaddedToNineCharacters)
{
    EXPECT_EQ(counterText(0), u"        0"_s);
    EXPECT_EQ(counterText(1234), u"     1234"_s);
    EXPECT_EQ(counterText(kNull), u"        0"_s);
    EXPECT_EQ(counterText(123456789), u"123456789"_s);
    EXPECT_EQ(counterText(qint64(12345678901)), u"12345678901"_s);
}

TEST(PointCatalogueTexts, HeadersAndWidthsFollowTheDisplayMode)
{
    const QStringList compact = headerTexts(true);
    const QStringList normal = headerTexts(false);
    EXPECT_EQ(compact.at(0), QString(19, u' ') + u"考 点 名 称"_s);
    EXPECT_EQ(normal.at(0), QString(29, u' ') + u"考 点 名 称"_s);
    const QStringList counters{u"  题  数"_s, u" 已做题数"_s, u" 已做道次"_s, u" 做错道次"_s};
    EXPECT_EQ(compact.mid(1), counters);
    EXPECT_EQ(normal.mid(1), counters);
    EXPECT_EQ(columnWidths(true), (QList<int>{410, 80, 80, 80, 80}));
    EXPECT_EQ(columnWidths(false), (QList<int>{554, 80, 80, 80, 80}));
}

TEST(PointCatalogueTexts, KeyPointThreshold)
{
    struct Case
    {
        const char *cell;
        qint64 points;
        int threshold;
    } cases[] = {
        {"10", 4, 2},                                      // 10 div 4
        {"3", 4, 1},                                       // quotient 0 is raised to 1
        {"        10", 4, 2},                              // the cell as the grid pads it
        {"12", 3, 4},         {"abc", 4, 1},               // not an integer
        {"2.5", 1, 1},        {"", 4, 1},    {"10", 0, 1}, // a chapter without points
        {"-8", 4, 1},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(PointCatalogue::keyPointThreshold(QString::fromUtf8(c.cell), c.points),
                  c.threshold)
            << c.cell << " / " << c.points;
    }
}

TEST(PointCatalogueTexts, PointListEntriesAndStatisticsLine)
{
    const QString none = u"虽然针对该内容的习题没有，您仍要仔细阅读！"_s;
    struct Case
    {
        QString title;
        qint64 questions, questionsDone, timesAnswered, timesWrong;
        QString entry;
        QString line;
        bool practisable;
    } cases[] = {
        {u"主体责任  "_s, 4, 3, 7, 2, u"主体责任(4)"_s,
         u"相关题数：4题  已做题数：3题  已做道次：7次  做错道次：2次"_s, true},
        {u"主体责任  "_s, 0, 0, 0, 0, u"主体责任"_s, none, false},
        {u"工作时间"_s, -1, 0, 0, 0, u"工作时间"_s, none, false},
        // Only trailing blanks go; leading ones and inner ones stay.
        {u" 工作 时间 "_s, 12, 0, 0, 0, u" 工作 时间(12)"_s,
         u"相关题数：12题  已做题数：0题  已做道次：0次  做错道次：0次"_s, true},
    };
    for (const Case &c : cases) {
        Point p;
        p.title = c.title;
        p.questions = c.questions;
        p.questionsDone = c.questionsDone;
        p.timesAnswered = c.timesAnswered;
        p.timesWrong = c.timesWrong;
        const QString entry = listEntry(p);
        EXPECT_EQ(entry, c.entry);
        const Statistics s = statistics(entry, p);
        EXPECT_EQ(s.text, c.line) << c.title.toStdString();
        EXPECT_EQ(s.practisable, c.practisable) << c.title.toStdString();
    }
    // An entry without "(" reads as a point without questions, whatever the count says.
    Point p;
    p.questions = 3;
    EXPECT_EQ(statistics(u"工作时间"_s, p).text, none);
    EXPECT_FALSE(statistics(u"工作时间"_s, p).practisable);
}

TEST(PointCatalogueTexts, PointTitleIsTheTextBeforeTheFirstParenthesis)
{
    EXPECT_EQ(pointTitle(u"主体责任(4)"_s), u"主体责任"_s);
    EXPECT_EQ(pointTitle(u"主体责任"_s), u"主体责任"_s);
    EXPECT_EQ(pointTitle(u"劳动法(2018)(3)"_s), u"劳动法"_s);
    EXPECT_EQ(pointTitle(u"(3)"_s), QString());
}

TEST(PointCatalogueTexts, FindTakesTheFirstRowContainingTheTrimmedText)
{
    const QStringList names{u"法律"_s, u"安全生产法"_s, u"劳动法"_s, u"Safety Rules"_s,
                            u"安全管理"_s};
    struct Case
    {
        QString text;
        int row;
    } cases[] = {
        {u"安全"_s, 1},    // the first of two
        {u"  劳动 "_s, 2}, // outer blanks removed
        {u"法"_s, 0},         {u"管理"_s, 4}, {u"Rules"_s, 3}, {u"rules"_s, -1}, // case counts
        {u"安全 管理"_s, -1}, // inner blanks stay
        {u"税法"_s, -1},      {u""_s, -1},    {u"   "_s, -1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(findRow(names, c.text), c.row) << c.text.toStdString();
    EXPECT_EQ(findRow({}, u"法"_s), -1);
}

TEST(PointCatalogueTexts, FindHitsRowsAndThePointsOfTheirChaptersInCatalogueOrder)
{
    const QStringList ids{u"01"_s, u"010101"_s, u"010102  "_s, u"02"_s, u"020101"_s};
    const QStringList names{u"法律"_s, u"安全生产法"_s, u"劳动法"_s, u"管理"_s, u"安全管理"_s};
    // Ordered by code; a point of a chapter that is no catalogue row, one whose chapter id
    // carries blanks, and one filed under a group id are all in the table.
    const QList<PointTitle> points{
        {u"01"_s, u"01001"_s, u"安全总则"_s},
        {u"010101"_s, u"010101001"_s, u"生产经营单位的主体责任  "_s},
        {u"010101"_s, u"010101002"_s, u"安全生产的权利"_s},
        {u"010102"_s, u"010102001"_s, u"工作时间"_s},
        {u"020101 "_s, u"020101001"_s, u"安全检查"_s},
        {u"030101"_s, u"030101001"_s, u"安全培训"_s},
    };
    using Hits = QList<FindHit>;
    struct Case
    {
        QString text;
        Hits hits;
    } cases[] = {
        // The chapter's own row before its points; a group row holds no points.
        {u"安全"_s, {{1, {}}, {1, u"010101002"_s}, {4, {}}, {4, u"020101001"_s}}},
        {u"  权利 "_s, {{1, u"010101002"_s}}},  // a point only, outer blanks removed
        {u"工作"_s, {{2, u"010102001"_s}}},     // the row's id carries blanks
        {u"法"_s, {{0, {}}, {1, {}}, {2, {}}}}, // rows only
        {u"培训"_s, {}},                        // its chapter is no row
        {u"税法"_s, {}},
        {u""_s, {}},
        {u"  "_s, {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(findHits(ids, names, points, c.text), c.hits) << c.text.toStdString();
}

class PointCatalogueDataTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(study.openInProgramFolder(folder.path())) << study.lastError().toStdString();
    }
    QSqlDatabase db() const { return study.connection(); }
    void exec(const QString &sql, const QVariantList &values = {}) { Db::exec(db(), sql, values); }
    QStringList ids(const QString &sql)
    {
        QSqlQuery q = Db::query(db(), sql);
        QStringList list;
        while (q.next())
            list.append(q.value(u"a1"_s).toString());
        list.sort();
        return list;
    }

    testsupport::TempProgramFolder folder;
    StudyData study;
};

TEST_F(PointCatalogueDataTest, CatalogueRowsInCatalogueOrderWithTheirIds)
{
    // Catalogue order is bh, not id.
    exec(u"update tab_fgmc set bh=0, q=1234, q4=NULL where id='020101'"_s);
    CatalogueModel model;
    ASSERT_TRUE(model.load(db()));
    EXPECT_EQ(model.rowIds(),
              (QStringList{u"020101"_s, u"01"_s, u"010101"_s, u"010102"_s, u"02"_s}));
    ASSERT_EQ(model.rowCount(), 5);
    EXPECT_EQ(model.columnCount(), 5);
    EXPECT_EQ(model.index(0, 0).data().toString(), u"安全管理"_s);
    EXPECT_EQ(model.index(0, 1).data().toString(), u"     1234"_s);
    EXPECT_EQ(model.index(0, 4).data().toString(), u"        0"_s);
    EXPECT_EQ(model.index(2, 1).data().toString(), u"        5"_s);
    model.setCompact(true);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), headerTexts(true).at(0));
}

TEST_F(PointCatalogueDataTest, AnEmptyCatalogueLeavesTheGridAsItWas)
{
    CatalogueModel model;
    ASSERT_TRUE(model.load(db()));
    exec(u"delete from tab_fgmc"_s);
    EXPECT_FALSE(model.load(db()));
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(model.rowIds().size(), 5);
}

TEST_F(PointCatalogueDataTest, PointsOfAChapterWithTheKeyPointFilter)
{
    exec(u"insert into tab_rule (id,ftid,sn,n,q) values ('010101','010101000','总则',NULL,0)"_s);
    EXPECT_EQ(countPoints(db(), u"010101"_s), 3);
    EXPECT_EQ(countPoints(db(), u"01"_s), 0);
    EXPECT_EQ(countPoints(db(), u"x' or '1'='1"_s), 0);

    PointSet set;
    set.open(db(), u"010101"_s);
    ASSERT_EQ(set.count(), 3);
    QStringList order;
    for (int k = 0; k < set.count(); ++k)
        order.append(set.at(k).code);
    EXPECT_EQ(order, (QStringList{u"010101000"_s, u"010101001"_s, u"010101002"_s}));
    EXPECT_EQ(set.at(1).title, u"生产经营单位的主体责任  "_s);
    EXPECT_EQ(set.at(1).questions, 4);

    set.setMinimumQuestions(3);
    ASSERT_EQ(set.count(), 1);
    EXPECT_EQ(set.at(0).code, u"010101001"_s);
    set.setMinimumQuestions(5);
    EXPECT_EQ(set.count(), 0);
    set.clearFilter();
    EXPECT_EQ(set.count(), 3);
    EXPECT_EQ(set.totalCount(), 3);

    // Opening again clears the filter; a quote in the id is a value, never SQL.
    set.setMinimumQuestions(3);
    set.open(db(), u"010101' or '1'='1"_s);
    EXPECT_FALSE(set.filtered());
    EXPECT_EQ(set.count(), 0);
}

TEST_F(PointCatalogueDataTest, PointFoundByItsTitleWithoutTrailingBlanks)
{
    // The stored title ends in two blanks; the list shows it without them.
    EXPECT_EQ(findPointCode(db(), u"生产经营单位的主体责任"_s, u"010101"_s), u"010101001"_s);
    EXPECT_EQ(findPointCode(db(), u"从业人员的权利"_s, u"010101"_s), u"010101002"_s);
    // Titles compare without regard to case, as the column does.
    exec(u"update tab_rule set sn='Rule of Law ' where ftid='010102001'"_s);
    EXPECT_EQ(findPointCode(db(), u"rule of law"_s, u"010102"_s), u"010102001"_s);
    // The chapter must match; quotes are values.
    EXPECT_EQ(findPointCode(db(), u"从业人员的权利"_s, u"010102"_s), QString());
    EXPECT_EQ(findPointCode(db(), u"x' or '1'='1"_s, u"010101"_s), QString());
}

TEST_F(PointCatalogueDataTest, PracticeQueryTakesEveryQuestionLinkingThePoint)
{
    // Linked in k3 (two questions), k4 (one), and from now on in k7 of a question whose k3..k6
    // name other points; voided and candidate-entered questions belong to the set as well.
    exec(u"update tab_answ set K3='010102001',K4='020101001',K5='010101002',K6='010102001',"
         u"K7='010101001',F1=1 where A1='010102000001'"_s);
    exec(u"update tab_answ set F1=2 where A1='010101000006'"_s);
    EXPECT_EQ(ids(practiceQuery(u"010101001"_s)),
              (QStringList{u"010101000001"_s, u"010101000002"_s, u"010101000006"_s,
                           u"010102000001"_s, u"020101000002"_s}));
    EXPECT_EQ(practiceQuery(u"010101001"_s),
              u"select a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,e4,"
              u"f1, csbs from tab_answ where '010101001' in (k3,k4,k5,k6,k7,k8,k9,k10,k11,k12)"_s);
    // A quote in a code stays inside its literal.
    EXPECT_EQ(ids(practiceQuery(u"x') or ('1'='1"_s)), QStringList());
}

} // namespace
