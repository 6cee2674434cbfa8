// The answer time allowed per question kind: stored in the question-kind table, copied into the
// answer time table that the practice gauges read.
#pragma once

#include "data/AppGlobals.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

namespace AnswerTimes {

struct Kind
{
    int kind = 0;       // A1
    QString name;       // B1, trimmed
    double minutes = 0; // time
};

inline constexpr double kMinimumMinutes = 0.1;
inline constexpr double kMaximumMinutes = 30.0;

// The rows of "tab_tx" + paperKind in table order. Throws Db::DbError.
QList<Kind> read(const QSqlDatabase &db, int paperKind);

// Stores each kind's time (rounded to one decimal) in "tab_tx" + paperKind, all in one
// transaction, and returns the answer time table of the kinds found there. Throws Db::DbError
// when the table cannot be written; nothing is stored then.
App::AnswerTimeTable save(const QSqlDatabase &db, int paperKind, const QList<Kind> &kinds);

} // namespace AnswerTimes
