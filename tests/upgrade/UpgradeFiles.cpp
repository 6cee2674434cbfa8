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

bool makeUtf16Upgrade(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(path);
    sqlite3 *from = nullptr, *to = nullptr;
    bool ok = sqlite3_open_v2(QFile::encodeName(fixtureUpgrade()).constData(), &from,
                              SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
              sqlite3_open_v2(QFile::encodeName(path).constData(), &to,
                              SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) == SQLITE_OK &&
              sqlite3_exec(to, "PRAGMA encoding='UTF-16le'; BEGIN", nullptr, nullptr, nullptr) ==
                  SQLITE_OK;
    // The schema first, then the rows value by value.
    QList<QByteArray> tables, indexes;
    sqlite3_stmt *schema = nullptr;
    if (ok && sqlite3_prepare_v2(from,
                                 "select type,name,sql from sqlite_master where sql is not null "
                                 "order by type desc",
                                 -1, &schema, nullptr) == SQLITE_OK) {
        while (ok && sqlite3_step(schema) == SQLITE_ROW) {
            const QByteArray type = reinterpret_cast<const char *>(sqlite3_column_text(schema, 0));
            const QByteArray name = reinterpret_cast<const char *>(sqlite3_column_text(schema, 1));
            ok = sqlite3_exec(to, reinterpret_cast<const char *>(sqlite3_column_text(schema, 2)),
                              nullptr, nullptr, nullptr) == SQLITE_OK;
            if (type == "table")
                tables.append(name);
        }
    } else {
        ok = false;
    }
    sqlite3_finalize(schema);
    for (const QByteArray &table : std::as_const(tables)) {
        sqlite3_stmt *read = nullptr, *write = nullptr;
        const QByteArray select = "select * from " + table;
        ok = ok && sqlite3_prepare_v2(from, select.constData(), -1, &read, nullptr) == SQLITE_OK;
        const int columns = ok ? sqlite3_column_count(read) : 0;
        QByteArray insert = "insert into " + table + " values (?";
        for (int i = 1; i < columns; ++i)
            insert += ",?";
        insert += ')';
        ok = ok && sqlite3_prepare_v2(to, insert.constData(), -1, &write, nullptr) == SQLITE_OK;
        while (ok && sqlite3_step(read) == SQLITE_ROW) {
            for (int i = 0; i < columns; ++i)
                sqlite3_bind_value(write, i + 1, sqlite3_column_value(read, i));
            ok = sqlite3_step(write) == SQLITE_DONE && sqlite3_reset(write) == SQLITE_OK;
        }
        sqlite3_finalize(read);
        sqlite3_finalize(write);
    }
    ok = ok && sqlite3_exec(to, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(from);
    sqlite3_close(to);
    return ok;
}

bool passesIntegrityCheck(const QString &path)
{
    sqlite3 *db = nullptr;
    sqlite3_stmt *check = nullptr;
    bool ok =
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
            SQLITE_OK &&
        sqlite3_prepare_v2(db, "PRAGMA integrity_check(1)", -1, &check, nullptr) == SQLITE_OK &&
        sqlite3_step(check) == SQLITE_ROW &&
        qstrcmp(reinterpret_cast<const char *>(sqlite3_column_text(check, 0)), "ok") == 0;
    sqlite3_finalize(check);
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
