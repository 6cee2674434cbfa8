// The exit check of the daily study plan: today's work against the plan's target.
#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QString>

namespace DailyTarget {

enum class Outcome
{
    NoTarget, // the plan names no known kind of target
    Below,    // ask before leaving
    Reached,  // congratulate, then leave
    Exceeded, // congratulate and advise rest, then leave
};

struct Result
{
    Outcome outcome = Outcome::NoTarget;
    int planMark = 0; // 0 = by number of answers, 1 = by minutes of study
    int target = 0;   // PlanAmount or PlanTime
    int done = 0;     // answers today, or whole minutes studied today
};

// Reads the first row of tab_plan and today's row of tab_rz (none: nothing done today) and
// compares the work with the target. Throws Db::DbError when a table cannot be read.
Result check(const QSqlDatabase &db, const QDate &today);

// How far today went, as the exit check says it: "今天已做 129 题，目标 200 题", or the minutes
// studied against the minutes planned.
QString progressLine(const Result &result);

} // namespace DailyTarget
