#include "UpgradeFiles.h"

#include "data/Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QSqlRecord>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace upgradefiles {

QString fixtureUpgrade()
{
    return QString::fromUtf8(STUDYAID_FIXTURE_UPGRADE);
}

QString sampleUpgrade()
{
    return QString::fromUtf8(STUDYAID_SAMPLE_UPGRADE);
}

bool makeUpgrade(const QString &path, const QStringList &statements)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(path);
    if (!QFile::copy(fixtureUpgrade(), path) ||
        !QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner))
        return false;
    sqlite3 *db = nullptr;
    bool ok = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE,
                              nullptr) == SQLITE_OK;
    for (const QString &sql : statements) {
        if (ok)
            ok = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    sqlite3_close(db);
    return ok;
}

QString snapshot(const QSqlDatabase &db)
{
    QString text;
    for (const QString &table : Db::tableNames(db)) {
        text += u"## "_s + table + u'\n';
        QSqlQuery q =
            Db::query(db, u"select * from "_s + Db::sqlIdentifier(table) + u" order by rowid"_s);
        while (q.next()) {
            const QSqlRecord r = q.record();
            for (int i = 0; i < r.count(); ++i) {
                const QVariant v = r.value(i);
                text += v.isNull() ? u"NULL"_s
                        : v.metaType().id() == QMetaType::QByteArray
                            ? QString::fromLatin1(v.toByteArray().toHex())
                            : v.toString();
                text += u'|';
            }
            text += u'\n';
        }
    }
    return text;
}

bool heldOpen(const QString &path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    const QDir fds(u"/proc/self/fd"_s);
    const QStringList entries =
        fds.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &fd : entries) {
        if (QFile::symLinkTarget(fds.filePath(fd)) == target)
            return true;
    }
    return false;
}

} // namespace upgradefiles
