#include "progress/DailyTarget.h"

#include "data/Database.h"
#include "data/StudyData.h"

#include <QSqlQuery>
#include <QVariant>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace DailyTarget {

Result check(const QSqlDatabase &db, const QDate &today)
{
    Result r;
    // The plan is the table's first row; a missing row or NULL fields read as 0.
    QSqlQuery plan = Db::query(
        db, u"select PlanMark, PlanAmount, PlanTime from tab_plan order by rowid limit 1"_s);
    if (plan.next()) {
        r.planMark = plan.value(0).toInt();
        r.target = r.planMark == 1 ? plan.value(2).toInt() : plan.value(1).toInt();
    }
    plan.finish();

    int answers = 0;
    int minutes = 0;
    QSqlQuery day =
        Db::query(db, u"select A2, D1 from tab_rz where A1 = ?"_s, {StudyData::dateText(today)});
    if (day.next()) {
        answers = day.value(0).toInt();
        try {
            minutes = int(StudyData::timeTextToSeconds(day.value(1).toString()) / 60);
        } catch (const std::invalid_argument &) {
            minutes = 0; // an unreadable study time counts as none
        }
    }
    day.finish();

    if (r.planMark != 0 && r.planMark != 1) {
        r.outcome = Outcome::NoTarget;
        return r;
    }
    r.done = r.planMark == 0 ? answers : minutes;
    if (r.done < r.target)
        r.outcome = Outcome::Below;
    else if (r.done == r.target)
        r.outcome = Outcome::Reached;
    else
        r.outcome = Outcome::Exceeded;
    return r;
}

QString progressLine(const Result &result)
{
    return (result.planMark == 1 ? u"今天已学习 %1 分钟，目标 %2 分钟"_s
                                 : u"今天已做 %1 题，目标 %2 题"_s)
        .arg(result.done)
        .arg(result.target);
}

} // namespace DailyTarget
