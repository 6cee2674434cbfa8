// The figures of the statistics charts: one row per chapter summarised (tab_kmmc.C7 = '0').
#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <optional>

namespace ChartData {

struct Row
{
    QString name;     // C2, the label of every point
    qint64 questions; // C3
    qint64 answers;   // D1
    qint64 wrong;     // D2
    qint64 done;      // C4, questions answered at least once
};

// The chart rows in the order the query returns them. Throws Db::DbError.
QList<Row> readRows(const QSqlDatabase &db);
// Sum of C3 over the chart rows; 0 when there are none. Throws Db::DbError.
qint64 totalQuestions(const QSqlDatabase &db);

// Colour number (0x00BBGGRR) of row i: 255 + 80000 * i, so the first row is pure red.
unsigned int rowColour(int index);
// Progress in whole percent, truncated (2 of 3 is 66); none for a chapter without questions.
std::optional<int> progressPercent(qint64 done, qint64 questions);

} // namespace ChartData
