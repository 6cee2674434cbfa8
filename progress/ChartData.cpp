#include "progress/ChartData.h"

#include "data/Database.h"

#include <QSqlQuery>
#include <QVariant>

using namespace Qt::StringLiterals;

namespace ChartData {

QList<Row> readRows(const QSqlDatabase &db)
{
    QList<Row> rows;
    QSqlQuery q = Db::query(db, u"select C2, C3, D1, D2, C4 from tab_kmmc where C7='0'"_s);
    while (q.next()) {
        rows.append({q.value(0).toString().trimmed(), q.value(1).toLongLong(),
                     q.value(2).toLongLong(), q.value(3).toLongLong(), q.value(4).toLongLong()});
    }
    return rows;
}

qint64 totalQuestions(const QSqlDatabase &db)
{
    const QVariant sum = Db::scalar(db, u"select sum(C3) as sumc3 from tab_kmmc where C7='0'"_s);
    return sum.isValid() ? sum.toLongLong() : 0;
}

unsigned int rowColour(int index)
{
    return 255u + 80000u * static_cast<unsigned int>(index);
}

std::optional<int> progressPercent(qint64 done, qint64 questions)
{
    if (questions == 0)
        return std::nullopt;
    return static_cast<int>(done * 100 / questions);
}

} // namespace ChartData
