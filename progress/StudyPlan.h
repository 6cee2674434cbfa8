// The study plan row (daily target and examination date) and the countdown to the examination.
#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QString>

namespace StudyPlan {

struct Plan
{
    int mark = -1;   // 0 = target by answers, 1 = by minutes; anything else: no plan chosen
    int amount = 0;  // PlanAmount, answers a day
    int minutes = 0; // PlanTime, minutes a day
    QDate examDate;  // invalid when none is stored
};

// The first row of tab_plan (all fields default when there is none). Throws Db::DbError.
Plan read(const QSqlDatabase &db);
// Writes the target and the date into the first row of tab_plan (appending it when the table is
// empty) in one transaction. The mark must be 0 or 1: throws std::invalid_argument otherwise,
// Db::DbError when the write fails (the stored row is then unchanged).
void write(const QSqlDatabase &db, const Plan &plan);

struct Countdown
{
    QString lead;            // "距离考试还有", "祝考试成功！" or "考试已结束！"
    bool showNumber = false; // the day count and "天" are shown
    QString number;          // the days, at most "999"
    unsigned int colour = 0; // stored colour number (0x00BBGGRR) of the day count
};

// Green for more than a week to go, red for the last week.
inline constexpr unsigned int kCountdownGreen = 2476900;
inline constexpr unsigned int kCountdownRed = 255;

// The countdown line for an examination date seen on a given day. An invalid date (none stored)
// reads "尚未设定考试日期" without a number.
Countdown countdown(const QDate &examDate, const QDate &today);

} // namespace StudyPlan
