// The logic behind the progress windows: the countdown, the plan row, the log totals, the chart
// figures and the answer times, on a copy of the fixture database.
#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "progress/AnswerTimes.h"
#include "progress/ChartData.h"
#include "progress/StudyLog.h"
#include "progress/StudyPlan.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

const QDate kToday(2026, 12, 10);

class ProgressData : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(data.isValid()) << data.study.lastError().toStdString(); }
    QSqlDatabase db() const { return data.study.connection(); }
    void exec(const QString &sql, const QVariantList &values = {}) { Db::exec(db(), sql, values); }

    testsupport::TestDatabase data;
};

} // namespace

TEST(Countdown, ReadsTheDaysToTheExamination)
{
    struct Case
    {
        int days;
        const char *lead;
        bool number;
        const char *text;
        unsigned int colour;
    };
    const Case cases[] = {
        {-1, "考试已结束！", false, "", 0},
        {-400, "考试已结束！", false, "", 0},
        {0, "祝考试成功！", false, "", 0},
        {1, "距离考试还有", true, "1", StudyPlan::kCountdownRed},
        {5, "距离考试还有", true, "5", StudyPlan::kCountdownRed},
        {7, "距离考试还有", true, "7", StudyPlan::kCountdownRed},
        {8, "距离考试还有", true, "8", StudyPlan::kCountdownGreen},
        {999, "距离考试还有", true, "999", StudyPlan::kCountdownGreen},
        {1000, "距离考试还有", true, "999", StudyPlan::kCountdownGreen},
        {1200, "距离考试还有", true, "999", StudyPlan::kCountdownGreen},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.days);
        const auto cd = StudyPlan::countdown(kToday.addDays(c.days), kToday);
        EXPECT_EQ(cd.lead, QString::fromUtf8(c.lead));
        EXPECT_EQ(cd.showNumber, c.number);
        EXPECT_EQ(cd.number, QString::fromUtf8(c.text));
        EXPECT_EQ(cd.colour, c.colour);
    }
    // The green of the countdown is a green, the red pure red.
    EXPECT_EQ(StudyPlan::kCountdownGreen, 0x25CB64u);
    const auto none = StudyPlan::countdown(QDate(), kToday);
    EXPECT_FALSE(none.showNumber);
    EXPECT_FALSE(none.lead.isEmpty());
}

TEST_F(ProgressData, PlanIsWrittenIntoTheFirstRowOnly)
{
    // A second row is never read or written.
    exec(u"insert into tab_plan (PlanMark, PlanAmount, PlanTime, ExamDate) "
         u"values (1, 5, 5, '2030-01-01')"_s);
    StudyPlan::Plan plan = StudyPlan::read(db());
    EXPECT_EQ(plan.mark, 0);
    EXPECT_EQ(plan.amount, 50);
    EXPECT_EQ(plan.minutes, 60);
    EXPECT_EQ(plan.examDate, QDate(2027, 10, 23));

    plan = {1, 120, 90, QDate(2027, 9, 1)};
    StudyPlan::write(db(), plan);
    const StudyPlan::Plan back = StudyPlan::read(db());
    EXPECT_EQ(back.mark, 1);
    EXPECT_EQ(back.amount, 120);
    EXPECT_EQ(back.minutes, 90);
    EXPECT_EQ(back.examDate, QDate(2027, 9, 1));
    EXPECT_EQ(
        Db::scalar(db(), u"select ExamDate from tab_plan order by rowid limit 1"_s).toString(),
        u"2027-09-01"_s);
    EXPECT_EQ(
        Db::scalar(db(), u"select PlanAmount from tab_plan order by rowid desc limit 1"_s).toInt(),
        5);
    // Other settings of the row stay.
    EXPECT_EQ(Db::scalar(db(), u"select LeastMark from tab_plan order by rowid limit 1"_s).toInt(),
              60);
}

TEST_F(ProgressData, PlanWithoutARowOrWithAnUnknownMark)
{
    exec(u"update tab_plan set PlanMark=7"_s);
    EXPECT_EQ(StudyPlan::read(db()).mark, 7);
    // Only 0 or 1 is ever written; the row is unchanged by a refused write.
    for (int mark : {-1, 2, 7}) {
        EXPECT_THROW(StudyPlan::write(db(), {mark, 1, 1, kToday}), std::invalid_argument);
    }
    EXPECT_EQ(StudyPlan::read(db()).amount, 50);

    exec(u"delete from tab_plan"_s);
    EXPECT_EQ(StudyPlan::read(db()).mark, -1);
    StudyPlan::write(db(), {0, 30, 45, kToday});
    EXPECT_EQ(Db::scalar(db(), u"select count(*) from tab_plan"_s).toInt(), 1);
    EXPECT_EQ(StudyPlan::read(db()).amount, 30);
}

TEST_F(ProgressData, FailedPlanWriteLeavesTheRow)
{
    // A trigger makes the write fail half way: nothing of it stays.
    exec(u"create trigger refuse before update of PlanMark on tab_plan "
         u"begin select raise(abort, 'refused'); end"_s);
    EXPECT_THROW(StudyPlan::write(db(), {1, 99, 99, kToday}), Db::DbError);
    const StudyPlan::Plan plan = StudyPlan::read(db());
    EXPECT_EQ(plan.amount, 50);
    EXPECT_EQ(plan.mark, 0);
}

TEST_F(ProgressData, LogTotalsAndScore)
{
    exec(u"delete from tab_rz"_s);
    StudyLog::Totals t = StudyLog::readTotals(db());
    EXPECT_EQ(t.answers, 0);
    EXPECT_EQ(t.wrong, 0);
    EXPECT_EQ(t.score(), u"0"_s);

    exec(u"insert into tab_rz (A1, A2, A3) values ('2026-12-08', 100, 20)"_s);
    exec(u"insert into tab_rz (A1, A2, A3) values ('2026-12-09', 50, 10)"_s);
    t = StudyLog::readTotals(db());
    EXPECT_EQ(t.answers, 150);
    EXPECT_EQ(t.wrong, 30);
    EXPECT_EQ(t.score(), u"80.00"_s);

    // Newest day first.
    exec(u"insert into tab_rz (A1, A2, A3) values ('2026-11-30', 3, 1)"_s);
    QSqlQuery q = Db::query(db(), StudyLog::gridQuery());
    QStringList days;
    while (q.next())
        days.append(q.value(0).toString());
    EXPECT_EQ(days, (QStringList{u"2026-12-09"_s, u"2026-12-08"_s, u"2026-11-30"_s}));
}

TEST_F(ProgressData, ChartRowsAndFigures)
{
    // The fixture's chart rows are the five subjects, in stored order.
    exec(u"update tab_kmmc set C3=3, C4=2, D1=9, D2=4 where C1='01'"_s);
    exec(u"update tab_kmmc set C3=0, C4=0, D1=0, D2=0 where C1='02'"_s);
    const QList<ChartData::Row> rows = ChartData::readRows(db());
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows[0].name, u"法律知识"_s);
    EXPECT_EQ(rows[0].questions, 3);
    EXPECT_EQ(rows[0].answers, 9);
    EXPECT_EQ(rows[0].wrong, 4);
    EXPECT_EQ(rows[0].done, 2);
    EXPECT_EQ(ChartData::progressPercent(rows[0].done, rows[0].questions), 66); // not 67
    EXPECT_EQ(ChartData::progressPercent(rows[1].done, rows[1].questions), std::nullopt);
    EXPECT_EQ(ChartData::progressPercent(3, 3), 100);
    EXPECT_EQ(ChartData::progressPercent(0, 7), 0);

    qint64 sum = 0;
    for (const ChartData::Row &r : rows)
        sum += r.questions;
    EXPECT_EQ(ChartData::totalQuestions(db()), sum);

    EXPECT_EQ(ChartData::rowColour(0), 255u);
    EXPECT_EQ(ChartData::rowColour(1), 80255u);
    EXPECT_EQ(ChartData::rowColour(4), 320255u);

    exec(u"update tab_kmmc set C7='1'"_s);
    EXPECT_TRUE(ChartData::readRows(db()).isEmpty());
    EXPECT_EQ(ChartData::totalQuestions(db()), 0);
}

TEST_F(ProgressData, AnswerTimesAreStoredAndTurnedIntoIntervals)
{
    const QList<AnswerTimes::Kind> before = AnswerTimes::read(db(), 2);
    ASSERT_GE(before.size(), 3);
    EXPECT_EQ(before[0].kind, 11);
    EXPECT_EQ(before[0].name, u"单选"_s);

    struct Case
    {
        double minutes;
        int interval;
    };
    const Case cases[] = {{1.5, 900}, {0.1, 60}, {30.0, 18000}, {0.3, 180}, {2.25, 1380}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.minutes);
        const App::AnswerTimeTable table =
            AnswerTimes::save(db(), 2, {{before[1].kind, QString(), c.minutes}});
        ASSERT_EQ(table.kinds, QList<int>{before[1].kind});
        EXPECT_EQ(table.intervals, QList<int>{c.interval});
        // What is stored gives the same interval when loaded at start-up.
        App::AnswerTimeTable loaded;
        App::loadAnswerTimeTable(db(), 2, loaded);
        EXPECT_EQ(loaded.intervalFor(before[1].kind), c.interval);
    }
    // Only the table of the given paper kind changed.
    EXPECT_EQ(
        Db::scalar(db(), u"select time from tab_tx1 where A1=?"_s, {before[1].kind}).toDouble(),
        2.0);
    // A kind no longer in the table is left out.
    const App::AnswerTimeTable table = AnswerTimes::save(db(), 2, {{999, QString(), 4.0}});
    EXPECT_TRUE(table.kinds.isEmpty());
}

TEST_F(ProgressData, FailedAnswerTimeSaveStoresNothing)
{
    exec(u"create trigger refuse before update on tab_tx1 when new.A1=21 "
         u"begin select raise(abort, 'refused'); end"_s);
    EXPECT_THROW(AnswerTimes::save(db(), 1, {{11, QString(), 9.0}, {21, QString(), 9.0}}),
                 Db::DbError);
    EXPECT_EQ(Db::scalar(db(), u"select time from tab_tx1 where A1=11"_s).toDouble(), 1.0);
}
