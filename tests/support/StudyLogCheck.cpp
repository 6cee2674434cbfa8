#include "support/StudyLogCheck.h"

#include "data/Database.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace testsupport {

void logAnswers(const QSqlDatabase &db, const QString &day, int count)
{
    Db::exec(db, u"INSERT INTO tab_rz (A1,A2,A3,B1,B2) VALUES (?,?,0,?,0)"_s, {day, count, count});
}

qint64 loggedAnswers(const QSqlDatabase &db)
{
    return Db::scalar(db, u"SELECT coalesce(sum(A2),0) FROM tab_rz"_s).toLongLong();
}

void damagePages(const QString &path)
{
    QFile f(path);
    if (f.open(QIODevice::ReadWrite) && f.seek(4096))
        f.write(QByteArray(8192, char(0xA5)));
}

} // namespace testsupport
