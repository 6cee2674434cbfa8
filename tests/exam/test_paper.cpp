// Mock-exam papers without windows: naming after deletions, drawing (counts, distinctness, the
// eligible pool, small pools), a failed draw leaving nothing behind, grading and the history's
// figures, each on a temporary copy of the fixture database.
#include "data/AppGlobals.h"
#include "data/Clock.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "exam/Paper.h"
#include "support/TestSupport.h"

#include <QRandomGenerator>
#include <QSet>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QDate kToday(2026, 3, 7);

class PaperTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(data.isValid());
        App::currentPaperKind = 1;
        data.study.useKindTable(1);
    }

    QSqlDatabase db() const { return data.study.connection(); }
    QVariant value(const QString &sql, const QVariantList &values = {}) const
    {
        return Db::scalar(db(), sql, values);
    }
    int count(const QString &table, const QString &where = u"1=1"_s) const
    {
        return value(u"select count(*) from "_s + table + u" where "_s + where).toInt();
    }
    // `n` questions of a kind in a chapter, with their texts; ids chapter + kind + running number.
    void addQuestions(const QString &chapter, int kind, int n, const QString &answer = u"A"_s,
                      const QVariant &voidFlag = 0)
    {
        Db::Transaction tx(db());
        for (int i = 1; i <= n; ++i) {
            const QString id =
                chapter + QString::number(kind) + QString::number(i).rightJustified(4, u'0');
            Db::exec(db(),
                     u"insert into tab_answ (A1,A2,A2_1,A10,A13,F1,E2,E2_1,E3,E4) values "
                     u"(?,?,4,?,?,?,'B','B',0,0)"_s,
                     {id, answer, chapter, kind, voidFlag});
            Db::exec(db(), u"insert into tab_exer (A1,A15) values (?,?)"_s,
                     {id, QByteArray("<p>q</p>")});
        }
        tx.commit();
    }
    Paper::NewPaper create(int kind = 1, quint32 seed = 7)
    {
        App::currentPaperKind = kind;
        data.study.useKindTable(kind);
        QRandomGenerator random(seed);
        return Paper::createPaper(data.study, kind, kToday, random);
    }
    QStringList ids(const QString &table) const
    {
        QStringList list;
        QSqlQuery q = Db::query(db(), Paper::paperQuery(table));
        while (q.next())
            list.append(q.value(u"A1"_s).toString());
        return list;
    }

    testsupport::TestDatabase data;
};

TEST_F(PaperTest, FirstPaperAndTitle)
{
    const Paper::NewPaper p = create();
    EXPECT_EQ(p.table, u"tab_exam1"_s);
    EXPECT_EQ(p.sequence, 1);
    EXPECT_EQ(p.title, u"2026年03月07日注册安全工程师·安全生产法及相关法律知识[1]"_s);
    QSqlQuery row = Db::query(db(), u"select A1,A3,A3_1,D1,A6,D2 from tab_cj"_s);
    ASSERT_TRUE(row.next());
    EXPECT_EQ(row.value(0).toString(), p.table);
    EXPECT_EQ(row.value(1).toString(), p.title);
    EXPECT_EQ(row.value(2).toInt(), 1);
    EXPECT_EQ(row.value(3).toString(), u"2026-03-07"_s);
    EXPECT_TRUE(row.value(4).isNull());
    EXPECT_TRUE(row.value(5).isNull());
    EXPECT_FALSE(row.next());
    EXPECT_EQ(Paper::paperTitle(QDate(2005, 3, 7), u"造价工程师·案例分析"_s, 12),
              u"2005年03月07日造价工程师·案例分析[12]"_s);
}

TEST_F(PaperTest, NamingAfterDeletions)
{
    struct Case
    {
        int deleted;
        QString next;
        int sequence;
    };
    // Each case on a fresh copy (it takes over the connection of the fixture's copy).
    for (const Case &c : {Case{7, u"tab_exam7"_s, 7}, Case{3, u"tab_exam8"_s, 8}}) {
        testsupport::TestDatabase fresh;
        ASSERT_TRUE(fresh.isValid());
        QRandomGenerator random(1);
        for (int i = 1; i <= 7; ++i)
            Paper::createPaper(fresh.study, 1, kToday, random);
        Paper::deletePaper(fresh.study, u"tab_exam"_s + QString::number(c.deleted));
        EXPECT_FALSE(
            Db::hasTable(fresh.study.connection(), u"tab_exam"_s + QString::number(c.deleted)));
        const Paper::NewPaper p = Paper::createPaper(fresh.study, 1, kToday, random);
        EXPECT_EQ(p.table, c.next) << c.deleted;
        EXPECT_EQ(p.sequence, c.sequence) << c.deleted;
        EXPECT_TRUE(p.title.endsWith(u"["_s + QString::number(c.sequence) + u"]"_s));
    }
}

TEST_F(PaperTest, FullPaperDrawsDistinctQuestionsOfEachKind)
{
    addQuestions(u"010301"_s, 11, 120);
    addQuestions(u"010302"_s, 21, 40, u"AC"_s);
    addQuestions(u"020301"_s, 11, 80); // another subject: never drawn into paper kind 1
    const Paper::NewPaper p = create();
    const QStringList drawn = ids(p.table);
    ASSERT_EQ(drawn.size(), 85);
    EXPECT_EQ(QSet<QString>(drawn.begin(), drawn.end()).size(), 85);
    EXPECT_EQ(count(p.table, u"A13=11"_s), 70);
    EXPECT_EQ(count(p.table, u"A13=21"_s), 15);
    EXPECT_EQ(count(p.table, u"substr(A10,1,2)<>'01'"_s), 0);
    // Kinds stand together in ascending number, each in id order; answers start empty while E2
    // keeps the bank's last answer.
    QSqlQuery q = Db::query(db(), Paper::paperQuery(p.table));
    int lastKind = 0;
    QString lastId;
    while (q.next()) {
        const int kind = q.value(u"A13"_s).toInt();
        const QString id = q.value(u"A1"_s).toString();
        EXPECT_TRUE(kind > lastKind || (kind == lastKind && id > lastId));
        lastKind = kind;
        lastId = id;
    }
    // Drawn without the run answers the bank's rows hold, before the window opens it.
    EXPECT_EQ(Paper::unansweredCount(db(), p.table), 85);
    Paper::clearAnswers(db(), p.table);
    EXPECT_EQ(Paper::unansweredCount(db(), p.table), 85);
    EXPECT_EQ(count(p.table, u"E2='B'"_s), count(p.table, u"A1 like '0103%'"_s));

    // The same seed draws the same paper; another seed another one.
    QRandomGenerator same(7), other(8);
    auto drawIds = [](const QSqlDatabase &d, QRandomGenerator &r) {
        return Paper::drawQuestions(d, 11, 70, u"01"_s, r);
    };
    QStringList first = drawIds(db(), same);
    QRandomGenerator same2(7);
    EXPECT_EQ(first, drawIds(db(), same2));
    EXPECT_NE(first, drawIds(db(), other));
}

TEST_F(PaperTest, PoolExcludesVoidedAndTakesUserQuestionsAndSmallPools)
{
    // Fixture subject 01: five single-choice and three multiple-choice questions.
    Db::exec(db(), u"update tab_answ set F1=1 where A1='010101000002'"_s);
    Db::exec(db(), u"update tab_answ set F1=NULL where A1='010101000003'"_s);
    Db::exec(db(), u"insert into tab_answ (A1,A2,A2_1,A10,A13,F1) values "
                   u"('US010101114000001','A',4,'010101',11,2)"_s);
    Db::exec(db(), u"insert into tab_exer (A1,A15) values ('US010101114000001',x'00')"_s);
    const Paper::NewPaper p = create();
    const QStringList drawn = ids(p.table);
    EXPECT_FALSE(drawn.contains(u"010101000002"_s));
    EXPECT_FALSE(drawn.contains(u"010101000003"_s));
    EXPECT_TRUE(drawn.contains(u"US010101114000001"_s));
    // The whole pool of each kind: 4 single choice (one voided, one NULL, one user's added) and 3
    // multiple choice; the subjective question is not drawn for this paper kind.
    EXPECT_EQ(count(p.table, u"A13=11"_s), 4);
    EXPECT_EQ(count(p.table, u"A13=21"_s), 3);
    EXPECT_EQ(count(p.table), 7);

    QRandomGenerator random(3);
    const QList<int> all = Paper::drawPositions(5, 70, random);
    EXPECT_EQ(all, (QList<int>{0, 1, 2, 3, 4}));
    const QList<int> some = Paper::drawPositions(100, 70, random);
    EXPECT_EQ(QSet<int>(some.begin(), some.end()).size(), 70);
    for (int p2 : some)
        EXPECT_TRUE(p2 >= 0 && p2 < 100);
    EXPECT_TRUE(Paper::drawPositions(0, 5, random).isEmpty());
}

TEST_F(PaperTest, DrawTableAndKindSwitches)
{
    EXPECT_EQ(Paper::drawCount(1, 11), 70);
    EXPECT_EQ(Paper::drawCount(3, 21), 20);
    EXPECT_EQ(Paper::drawCount(4, 31), 5);
    EXPECT_EQ(Paper::drawCount(5, 64), 6);
    EXPECT_EQ(Paper::drawCount(1, 31), 0);
    // A kind switched off in the question-kind table is not drawn.
    Db::exec(db(), u"update tab_tx1 set B2=0 where A1=21"_s);
    const Paper::NewPaper p = create();
    EXPECT_EQ(count(p.table, u"A13=21"_s), 0);
    EXPECT_EQ(count(p.table, u"A13=11"_s), 5);
}

TEST_F(PaperTest, FailuresLeaveNoHalfPaper)
{
    // Drawing fails after the history row and the table were made: nothing stays.
    Db::exec(db(), u"alter table tab_exer rename to tab_exer_gone"_s);
    try {
        create();
        FAIL() << "the draw should fail";
    } catch (const Paper::PaperError &e) {
        EXPECT_EQ(e.failure(), Paper::Failure::Draw);
        EXPECT_EQ(Paper::failureMessage(e.failure()), u"提取数据时发生错误！"_s);
    }
    EXPECT_EQ(count(u"tab_cj"_s), 0);
    EXPECT_FALSE(Db::hasTable(db(), u"tab_exam1"_s));
    Db::exec(db(), u"alter table tab_exer_gone rename to tab_exer"_s);

    // A table left without its history row (the program ended before opening it) is replaced
    // by the next paper.
    Db::exec(db(), u"create table tab_exam1 (A1 TEXT, junk TEXT)"_s);
    Db::exec(db(), u"insert into tab_exam1 values ('x','y')"_s);
    const Paper::NewPaper p = create();
    EXPECT_EQ(p.table, u"tab_exam1"_s);
    EXPECT_EQ(count(u"tab_exam1"_s, u"A1='x'"_s), 0);
    EXPECT_EQ(count(u"tab_exam1"_s), 8);
    EXPECT_EQ(count(u"tab_cj"_s), 1);

    // A paper kind without any eligible question.
    Db::exec(db(), u"update tab_answ set F1=1 where A10 like '03%'"_s);
    try {
        create(3);
        FAIL() << "the pool is empty";
    } catch (const Paper::PaperError &e) {
        EXPECT_EQ(e.failure(), Paper::Failure::EmptyPool);
        EXPECT_EQ(Paper::failureMessage(e.failure()), u"没有发现题目！"_s);
    }
    EXPECT_EQ(count(u"tab_cj"_s), 1);
    EXPECT_FALSE(Db::hasTable(db(), u"tab_exam2"_s));
}

TEST_F(PaperTest, GradingScoresRightAnswersAndKeepsByLeastMark)
{
    const Paper::NewPaper p = create();
    Paper::clearAnswers(db(), p.table);
    // Single choice 1 point, multiple choice 2; letter case is ignored as the grading engine
    // always did; unanswered and wrong questions score nothing.
    Db::exec(db(), u"update "_s + p.table + u" set E2_1='b' where A1='010101000001'"_s);   // B
    Db::exec(db(), u"update "_s + p.table + u" set E2_1='A' where A1='010101000003'"_s);   // D
    Db::exec(db(), u"update "_s + p.table + u" set E2_1='ACD' where A1='010101000004'"_s); // ACD
    EXPECT_DOUBLE_EQ(Paper::paperScore(db(), 1, p.table), 3.0);
    EXPECT_EQ(Paper::unansweredCount(db(), p.table), 5);

    struct Case
    {
        int leastMark;
        bool discard;
    };
    for (const Case &c : {Case{3, false}, Case{4, true}, Case{0, false}}) {
        Paper::saveSettings(db(), c.leastMark, 9000);
        const Paper::Grade g = Paper::gradePaper(data.study, 1, p.table, u"0:12:34"_s);
        EXPECT_DOUBLE_EQ(g.score, 3.0);
        EXPECT_EQ(g.discardOnClose, c.discard) << c.leastMark;
    }
    EXPECT_DOUBLE_EQ(value(u"select A6 from tab_cj where A1='TAB_EXAM1'"_s).toDouble(), 3.0);
    EXPECT_EQ(value(u"select D2 from tab_cj"_s).toString(), u"0:12:34"_s);
    EXPECT_EQ(Paper::scoreText(72.5), u"72.5"_s);
    EXPECT_EQ(Paper::scoreText(85), u"85"_s);
}

// A new candidate's first papers stay in the history whatever their score: the shipped keep
// mark is 0, raised by the candidate in 考试设置.
TEST(ShippedPaperSettings, EveryGradedPaperIsKept)
{
    testsupport::TestDatabase shipped(testsupport::shippedDb());
    ASSERT_TRUE(shipped.isValid());
    EXPECT_EQ(Paper::readSettings(shipped.study.connection()).leastMark, 0);
}

// What the start question tells is what the drawing then makes: questions capped by the pool,
// the points of each kind, the time limit.
TEST_F(PaperTest, OutlineTellsThePaperThatIsDrawn)
{
    struct Case
    {
        const char *name;
        QString setUp;
    };
    for (const Case &c :
         {Case{"fixture as it is", {}},
          Case{"a smaller multiple-choice pool", u"update tab_answ set F1=1 where A13=21 and "
                                                 u"A1 in (select A1 from tab_answ where A13=21 "
                                                 u"and A10 like '01%' limit 2)"_s},
          Case{"multiple choice switched off", u"update tab_tx1 set B2=0 where A1=21"_s}}) {
        if (!c.setUp.isEmpty())
            Db::exec(db(), c.setUp);
        Paper::saveSettings(db(), 0, 5400);
        const Paper::Outline outline = Paper::paperOutline(db(), 1);
        const Paper::NewPaper p = create(1, 3);
        const int questions = count(p.table);
        const double full =
            value(u"select sum(t.B3) from "_s + p.table + u" e join tab_tx1 t on t.A1=e.A13"_s)
                .toDouble();
        EXPECT_GT(questions, 0) << c.name;
        EXPECT_EQ(outline.questions, questions) << c.name;
        EXPECT_DOUBLE_EQ(outline.fullMark, full) << c.name;
        EXPECT_EQ(Paper::outlineText(outline), u"注册安全工程师·安全生产法及相关法律知识\n共"_s +
                                                   QString::number(questions) + u"题，满分"_s +
                                                   Paper::scoreText(full) + u"分，限时90分钟"_s)
            << c.name;
        data.study.dropPaper(p.table);
    }
}

TEST_F(PaperTest, HistoryFigures)
{
    EXPECT_EQ(Paper::passThreshold(20), 12);
    EXPECT_EQ(Paper::passThreshold(99), 57);
    Paper::HistoryFigures empty = Paper::historyFigures(db(), 12);
    EXPECT_EQ(empty.papers, 0);
    EXPECT_EQ(empty.passed, 0);
    EXPECT_EQ(empty.average, 0);
    struct Case
    {
        QVariantList scores;
        int passed;
        int average;
    };
    const QVariant none(QMetaType(QMetaType::Double));
    for (const Case &c : {Case{{12.0, 11.0, none}, 1, 12},    // the threshold passes; NULL left out
                          Case{{10.0, 11.0}, 0, 10},          // 10.5 rounds to the even 10
                          Case{{11.0, 12.0}, 1, 12},          // 11.5 rounds to the even 12
                          Case{{20.0, 12.5, 12.0}, 3, 15}}) { // 14.83
        Db::exec(db(), u"delete from tab_cj"_s);
        int n = 0;
        for (const QVariant &s : c.scores) {
            ++n;
            Db::exec(db(), u"insert into tab_cj (A1,A3_1,A6) values (?,?,?)"_s,
                     {QString(u"tab_exam"_s + QString::number(n)), n, s});
        }
        const Paper::HistoryFigures f = Paper::historyFigures(db(), 12);
        EXPECT_EQ(f.papers, c.scores.size());
        EXPECT_EQ(f.passed, c.passed);
        EXPECT_EQ(f.average, c.average);
    }
    // Deleting a paper whose table is already gone still removes its history row.
    Paper::deletePaper(data.study, u"tab_exam2"_s);
    EXPECT_EQ(count(u"tab_cj"_s, u"A1='tab_exam2'"_s), 0);
    EXPECT_EQ(count(u"tab_cj"_s), 2);
}

} // namespace

// On the shipped bank, five papers of each subject drawn in a row are each full (every kind a
// paper draws at its count, all from the paper's subject) and no two of them are the same paper.
TEST(ShippedPapers, FiveInARowAreFullAndDiffer)
{
    testsupport::TestDatabase data(testsupport::shippedDb());
    ASSERT_TRUE(data.isValid());
    const QSqlDatabase db = data.study.connection();
    QRandomGenerator random(20261210);
    for (int kind : {1, 2, 3, 4, 5}) {
        App::currentPaperKind = kind;
        data.study.useKindTable(kind);
        const QString prefix = Paper::kindInfo(kind).prefix;
        QList<QSet<QString>> papers;
        for (int n = 0; n < 5; ++n) {
            const Paper::NewPaper p = Paper::createPaper(data.study, kind, kToday, random);
            const QString table = Db::sqlIdentifier(p.table);
            int expected = 0;
            QSqlQuery kinds =
                Db::query(db, u"select A1 from "_s + App::kindTableName(kind) + u" where B2>0"_s);
            while (kinds.next()) {
                const int questionKind = kinds.value(0).toInt();
                const int drawn = Paper::drawCount(kind, questionKind);
                expected += drawn;
                EXPECT_EQ(Db::scalar(db, u"select count(*) from "_s + table + u" where A13=?"_s,
                                     {questionKind})
                              .toInt(),
                          drawn)
                    << "paper kind " << kind << " question kind " << questionKind;
            }
            EXPECT_GT(expected, 0) << "paper kind " << kind;
            QSet<QString> ids;
            QSqlQuery q = Db::query(db, u"select A1,A10 from "_s + table);
            while (q.next()) {
                ids.insert(q.value(0).toString());
                EXPECT_TRUE(q.value(1).toString().startsWith(prefix))
                    << q.value(0).toString().toStdString();
            }
            EXPECT_EQ(ids.size(), expected) << "paper kind " << kind;
            for (const QSet<QString> &earlier : papers)
                EXPECT_NE(ids, earlier) << "paper kind " << kind << " paper " << n + 1;
            papers.append(ids);
        }
    }
}
