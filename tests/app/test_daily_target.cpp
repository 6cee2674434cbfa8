// The exit check of the daily plan: today's answers or minutes against the plan's target.
#include "data/Database.h"
#include "data/StudyData.h"
#include "progress/DailyTarget.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using DailyTarget::Outcome;

namespace {

const QDate kToday(2026, 12, 10);

struct Case
{
    const char *name;
    int planMark;
    int planAmount;
    int planTime;
    bool logRow;       // a study-log row for today
    int answers;       // its A2
    const char *spent; // its D1
    Outcome expected;
    int done;
};

void PrintTo(const Case &c, std::ostream *os)
{
    *os << c.name;
}

class DailyTargetCheck : public ::testing::TestWithParam<Case>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(study.openInProgramFolder(folder.path())) << study.lastError().toStdString();
    }
    void setPlan(int mark, int amount, int time)
    {
        Db::exec(study.connection(), u"update tab_plan set PlanMark=?, PlanAmount=?, PlanTime=?"_s,
                 {mark, amount, time});
    }
    void addLog(const QDate &date, int answers, const QString &spent)
    {
        Db::exec(study.connection(), u"delete from tab_rz where A1=?"_s,
                 {StudyData::dateText(date)});
        Db::exec(study.connection(), u"insert into tab_rz (A1, A2, D1) values (?, ?, ?)"_s,
                 {StudyData::dateText(date), answers, spent});
    }

    testsupport::TempProgramFolder folder;
    StudyData study;
};

TEST_P(DailyTargetCheck, ComparesTodaysWorkWithTheTarget)
{
    const Case &c = GetParam();
    setPlan(c.planMark, c.planAmount, c.planTime);
    Db::exec(study.connection(), u"delete from tab_rz where A1=?"_s, {StudyData::dateText(kToday)});
    // Work of another day never counts.
    addLog(kToday.addDays(-1), 500, u"09:00:00"_s);
    if (c.logRow)
        addLog(kToday, c.answers, QString::fromUtf8(c.spent));

    const DailyTarget::Result r = DailyTarget::check(study.connection(), kToday);
    EXPECT_EQ(r.outcome, c.expected);
    EXPECT_EQ(r.done, c.done);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DailyTargetCheck,
    ::testing::Values(
        Case{"answers49of50", 0, 50, 60, true, 49, "02:00:00", Outcome::Below, 49},
        Case{"answers50of50", 0, 50, 60, true, 50, "00:00:00", Outcome::Reached, 50},
        Case{"answers51of50", 0, 50, 60, true, 51, "00:00:00", Outcome::Exceeded, 51},
        // 01:00:59 is 60 whole minutes.
        Case{"minutes60of60", 1, 500, 60, true, 900, "01:00:59", Outcome::Reached, 60},
        Case{"minutes59of60", 1, 0, 60, true, 0, "00:59:59", Outcome::Below, 59},
        Case{"minutes61of60", 1, 0, 60, true, 0, "01:01:00", Outcome::Exceeded, 61},
        Case{"noRowPositiveAnswers", 0, 50, 60, false, 0, "", Outcome::Below, 0},
        Case{"noRowPositiveMinutes", 1, 50, 60, false, 0, "", Outcome::Below, 0},
        Case{"noRowZeroAnswers", 0, 0, 60, false, 0, "", Outcome::Reached, 0},
        Case{"noRowZeroMinutes", 1, 50, 0, false, 0, "", Outcome::Reached, 0},
        Case{"unreadableTimeIsNone", 1, 50, 1, true, 0, "ab:cd:ef", Outcome::Below, 0},
        Case{"unknownPlanKind", 2, 50, 60, true, 10, "00:10:00", Outcome::NoTarget, 0}),
    [](const ::testing::TestParamInfo<Case> &info) { return std::string(info.param.name); });

TEST(DailyTargetCheckPlan, MissingPlanRowReadsAsZeroTarget)
{
    testsupport::TempProgramFolder folder;
    StudyData study;
    ASSERT_TRUE(study.openInProgramFolder(folder.path()));
    Db::exec(study.connection(), u"delete from tab_plan"_s);
    Db::exec(study.connection(), u"delete from tab_rz"_s);
    const DailyTarget::Result r = DailyTarget::check(study.connection(), kToday);
    EXPECT_EQ(r.outcome, Outcome::Reached);
    EXPECT_EQ(r.target, 0);
}

TEST(DailyTargetCheckPlan, FirstPlanRowDecides)
{
    testsupport::TempProgramFolder folder;
    StudyData study;
    ASSERT_TRUE(study.openInProgramFolder(folder.path()));
    Db::exec(study.connection(), u"update tab_plan set PlanMark=0, PlanAmount=5"_s);
    Db::exec(study.connection(),
             u"insert into tab_plan (PlanMark, PlanAmount, PlanTime) values (1, 0, 0)"_s);
    Db::exec(study.connection(), u"delete from tab_rz"_s);
    const DailyTarget::Result r = DailyTarget::check(study.connection(), kToday);
    EXPECT_EQ(r.planMark, 0);
    EXPECT_EQ(r.target, 5);
    EXPECT_EQ(r.outcome, Outcome::Below);
}

} // namespace
