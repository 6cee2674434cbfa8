#include "progress/StudyPlan.h"

#include "data/Database.h"
#include "data/StudyData.h"

#include <QSqlQuery>
#include <QVariant>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace StudyPlan {

Plan read(const QSqlDatabase &db)
{
    Plan plan;
    QSqlQuery q = Db::query(db, u"select PlanMark, PlanAmount, PlanTime, ExamDate from tab_plan "
                                u"order by rowid limit 1"_s);
    if (q.next()) {
        plan.mark = q.value(0).isNull() ? -1 : q.value(0).toInt();
        plan.amount = q.value(1).toInt();
        plan.minutes = q.value(2).toInt();
        plan.examDate = QDate::fromString(q.value(3).toString().left(10), Qt::ISODate);
    }
    return plan;
}

void write(const QSqlDatabase &db, const Plan &plan)
{
    if (plan.mark != 0 && plan.mark != 1)
        throw std::invalid_argument("plan mark must be 0 or 1");
    const QVariant date =
        plan.examDate.isValid() ? QVariant(StudyData::dateText(plan.examDate)) : QVariant();
    Db::Transaction tx(db);
    const QVariant first = Db::scalar(db, u"select rowid from tab_plan order by rowid limit 1"_s);
    if (first.isValid()) {
        Db::exec(db,
                 u"update tab_plan set PlanAmount=?, PlanTime=?, ExamDate=?, PlanMark=? "
                 u"where rowid=?"_s,
                 {plan.amount, plan.minutes, date, plan.mark, first});
    } else {
        Db::exec(db,
                 u"insert into tab_plan (PlanAmount, PlanTime, ExamDate, PlanMark) "
                 u"values (?, ?, ?, ?)"_s,
                 {plan.amount, plan.minutes, date, plan.mark});
    }
    tx.commit();
}

Countdown countdown(const QDate &examDate, const QDate &today)
{
    Countdown c;
    if (!examDate.isValid() || !today.isValid()) {
        c.lead = u"尚未设定考试日期"_s;
        return c;
    }
    const qint64 days = today.daysTo(examDate);
    if (days < 0) {
        c.lead = u"考试已结束！"_s;
    } else if (days == 0) {
        c.lead = u"祝考试成功！"_s;
    } else {
        c.lead = u"距离考试还有"_s;
        c.showNumber = true;
        c.number = days >= 1000 ? u"999"_s : QString::number(days);
        c.colour = days > 7 ? kCountdownGreen : kCountdownRed;
    }
    return c;
}

} // namespace StudyPlan
