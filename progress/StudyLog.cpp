#include "progress/StudyLog.h"

#include "data/Database.h"
#include "data/StudyData.h"

#include <QSqlQuery>
#include <QVariant>

using namespace Qt::StringLiterals;

namespace StudyLog {

QString Totals::score() const
{
    return StudyData::scoreText(answers, wrong);
}

Totals readTotals(const QSqlDatabase &db)
{
    Totals t;
    QSqlQuery q = Db::query(db, u"select sum(A2) as count_d1,sum(A3) as count_d2 from tab_rz "_s);
    if (q.next()) {
        t.answers = q.value(0).toLongLong(); // NULL (no rows) reads as 0
        t.wrong = q.value(1).toLongLong();
    }
    return t;
}

QString gridQuery()
{
    return u"select A1, B1, B2, A2, A3, D1, A4 from tab_rz order by A1 desc"_s;
}

} // namespace StudyLog
