#include "progress/AnswerTimes.h"

#include "data/Database.h"

#include <QSqlQuery>
#include <QVariant>
#include <cmath>

using namespace Qt::StringLiterals;

namespace AnswerTimes {

QList<Kind> read(const QSqlDatabase &db, int paperKind)
{
    QList<Kind> kinds;
    QSqlQuery q = Db::query(db, u"select A1, B1, time from "_s + App::kindTableName(paperKind));
    while (q.next())
        kinds.append({q.value(0).toInt(), q.value(1).toString().trimmed(), q.value(2).toDouble()});
    return kinds;
}

App::AnswerTimeTable save(const QSqlDatabase &db, int paperKind, const QList<Kind> &kinds)
{
    const QString table = App::kindTableName(paperKind);
    App::AnswerTimeTable result;
    Db::Transaction tx(db);
    for (const Kind &k : kinds) {
        const double minutes = std::round(k.minutes * 10.0) / 10.0;
        if (!Db::scalar(db, u"select 1 from "_s + table + u" where A1=?"_s, {k.kind}).isValid())
            continue; // a kind no longer in the table keeps no time
        Db::exec(db, u"update "_s + table + u" set time=? where A1=?"_s, {minutes, k.kind});
        result.kinds.append(k.kind);
        result.intervals.append(App::answerInterval(minutes));
    }
    tx.commit();
    return result;
}

} // namespace AnswerTimes
