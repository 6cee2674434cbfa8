// Totals of the study log over all days.
#pragma once

#include <QSqlDatabase>
#include <QString>

namespace StudyLog {

struct Totals
{
    qint64 answers = 0; // sum of A2
    qint64 wrong = 0;   // sum of A3
    // "0" without answers, else the share of right answers formatted "%2.2f".
    QString score() const;
};

// Sums over tab_rz (an empty log gives 0 and 0). Throws Db::DbError.
Totals readTotals(const QSqlDatabase &db);

// The rows of the log, newest day first, in the grid's column order:
// A1, B1, B2, A2, A3, D1, A4.
QString gridQuery();

} // namespace StudyLog
