#include "data/userdata.h"

#include "data/clock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace UserData {

namespace {

constexpr QFile::Permissions kUserFile = QFile::ReadOwner | QFile::WriteOwner;
constexpr QFile::Permissions kUserFolder = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

QString withSlash(QString folder)
{
    folder = QDir::fromNativeSeparators(folder);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

// Creates the folder (and its parents) and makes it user-only.
bool makeUserFolder(const QString &folder, QString *error)
{
    if (!QDir().mkpath(folder) || !QFile::setPermissions(folder, kUserFolder)) {
        if (error)
            *error = u"cannot create the folder "_s + folder;
        return false;
    }
    return true;
}

// Backup files: <database base name>-yyyyMMdd-HHmmss[-n].mdb
QRegularExpression backupPattern(const QString &databasePath)
{
    const QFileInfo db(databasePath);
    return QRegularExpression(u"^"_s + QRegularExpression::escape(db.completeBaseName())
                              + u"-(\\d{8}-\\d{6})(?:-\\d+)?\\."_s
                              + QRegularExpression::escape(db.suffix()) + u"$"_s);
}

QString stamp()
{
    return Clock::today().toString(u"yyyyMMdd"_s) + u'-'
           + QTime::currentTime().toString(u"HHmmss"_s);
}

// A name in backups/ that is not taken yet: <base>-<stamp>[-n]<suffix>.
QString freeName(const QString &databasePath, const QString &tag, const QString &suffix)
{
    const QFileInfo db(databasePath);
    const QString stem = backupFolder(databasePath) + db.completeBaseName() + tag + stamp();
    QString name = stem + u'.' + db.suffix() + suffix;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo::exists(name + u".part"_s); ++n)
        name = stem + u'-' + QString::number(n) + u'.' + db.suffix() + suffix;
    return name;
}

QString sqliteText(sqlite3 *db, int rc)
{
    return QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
}

// Copies source into a new file target through the online backup: a consistent snapshot even
// while another connection writes.
bool onlineCopy(const QString &source, const QString &target, QString *error)
{
    sqlite3 *from = nullptr;
    sqlite3 *to = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(source).constData(), &from,
                             SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_open_v2(QFile::encodeName(target).constData(), &to,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    QString why;
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(from, 5000);
        sqlite3_backup *job = sqlite3_backup_init(to, "main", from, "main");
        if (!job) {
            rc = sqlite3_errcode(to);
            why = sqliteText(to, rc);
        } else {
            rc = sqlite3_backup_step(job, -1);
            sqlite3_backup_finish(job);
            if (rc == SQLITE_DONE)
                rc = SQLITE_OK;
            else
                why = QString::fromUtf8(sqlite3_errstr(rc));
        }
    } else {
        why = sqliteText(to ? to : from, rc);
    }
    sqlite3_close(from);
    sqlite3_close(to);
    if (rc != SQLITE_OK) {
        QFile::remove(target);
        if (error)
            *error = u"backup of "_s + source + u" failed: "_s + why;
        return false;
    }
    return true;
}

} // namespace

QString installedProgramFolder(const QString &executableFolder)
{
    const QString candidate =
        withSlash(QDir::cleanPath(withSlash(executableFolder) + u"../share/studyaid"_s));
    return QFileInfo::exists(candidate + u"pic/main.json"_s) ? candidate : QString();
}

QString userDataFolder()
{
    return withSlash(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

Prepared prepareDatabase(const QString &templatePath, const QString &databasePath,
                         QString *error)
{
    if (QFileInfo::exists(databasePath))
        return Prepared::Ready;
    if (!QFileInfo(templatePath).isFile()) {
        if (error)
            *error = u"template database missing: "_s + templatePath;
        return Prepared::TemplateMissing;
    }
    const QString folder = QFileInfo(databasePath).absolutePath();
    if (!makeUserFolder(folder, error))
        return Prepared::Failed;
    // Copied under a temporary name and renamed, so an interrupted copy never looks like a
    // database; the rename does not replace a file that appeared meanwhile.
    const QString part = databasePath + u".part"_s;
    QFile::remove(part);
    if (!QFile::copy(templatePath, part) || !QFile::setPermissions(part, kUserFile)
        || !QFile::rename(part, databasePath)) {
        QFile::remove(part);
        if (QFileInfo::exists(databasePath))
            return Prepared::Ready;
        if (error)
            *error = u"cannot copy the template database to "_s + databasePath;
        return Prepared::Failed;
    }
    return Prepared::Ready;
}

QString backupFolder(const QString &databasePath)
{
    return withSlash(QFileInfo(databasePath).absolutePath()) + u"backups/"_s;
}

QList<BackupEntry> backups(const QString &databasePath)
{
    QList<BackupEntry> list;
    const QRegularExpression pattern = backupPattern(databasePath);
    const QDir dir(backupFolder(databasePath));
    for (const QString &name : dir.entryList(QDir::Files)) {
        const QRegularExpressionMatch m = pattern.match(name);
        if (!m.hasMatch())
            continue;
        const QDateTime taken = QDateTime::fromString(m.captured(1), u"yyyyMMdd-HHmmss"_s);
        if (taken.isValid())
            list.append({dir.absoluteFilePath(name), taken});
    }
    std::sort(list.begin(), list.end(), [](const BackupEntry &a, const BackupEntry &b) {
        return a.taken != b.taken ? a.taken > b.taken : a.path > b.path;
    });
    return list;
}

QString backupNow(const QString &databasePath, QString *error)
{
    if (!QFileInfo(databasePath).isFile()) {
        if (error)
            *error = u"no database to back up: "_s + databasePath;
        return {};
    }
    if (!makeUserFolder(backupFolder(databasePath), error))
        return {};
    const QString target = freeName(databasePath, u"-"_s, QString());
    const QString part = target + u".part"_s;
    // The file is made user-only before a single page is written into it.
    {
        QFile f(part);
        if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly) || !f.setPermissions(kUserFile)) {
            if (error)
                *error = u"cannot create "_s + part;
            return {};
        }
    }
    if (!onlineCopy(databasePath, part, error))
        return {};
    QFile::remove(part + u"-journal"_s);
    if (!QFile::rename(part, target)) {
        QFile::remove(part);
        if (error)
            *error = u"cannot rename "_s + part;
        return {};
    }
    return target;
}

bool dailyBackup(const QString &databasePath, QString *error)
{
    const QDate today = Clock::today();
    const QList<BackupEntry> list = backups(databasePath);
    const bool takenToday = std::any_of(list.begin(), list.end(), [&](const BackupEntry &e) {
        return e.taken.date() == today;
    });
    if (!takenToday && backupNow(databasePath, error).isEmpty())
        return false;
    thinBackups(databasePath, today);
    return true;
}

QStringList thinBackups(const QString &databasePath, const QDate &today)
{
    QStringList removed;
    QList<QDate> weeksKept; // the Monday of each calendar week that keeps a backup
    // Newest first: the first backup met in an older calendar week is the one that stays. Weeks
    // run Monday to Sunday on a fixed grid, so a backup kept once stays kept until it ages out.
    for (const BackupEntry &e : backups(databasePath)) {
        const QDate date = e.taken.date();
        if (date.daysTo(today) < 7)
            continue;
        const QDate monday = date.addDays(1 - date.dayOfWeek());
        if (weeksKept.size() < 4 && !weeksKept.contains(monday)) {
            weeksKept.append(monday);
            continue;
        }
        if (QFile::remove(e.path))
            removed.append(e.path);
    }
    return removed;
}

bool setAsideLeftoverWal(const QString &databasePath, QString *error)
{
    const QFileInfo wal(databasePath + u"-wal"_s);
    if (!wal.isFile() || wal.size() == 0 || !QFileInfo(databasePath).isFile())
        return true;
    if (!makeUserFolder(backupFolder(databasePath), error))
        return false;
    // Plain byte copies: opening the database here would replay the -wal into it.
    const QString target = freeName(databasePath, u"-leftover-wal-"_s, QString());
    const QString targetWal = target + u"-wal"_s;
    if (!QFile::copy(databasePath, target) || !QFile::copy(wal.absoluteFilePath(), targetWal)) {
        QFile::remove(target);
        QFile::remove(targetWal);
        if (error)
            *error = u"cannot copy the database and its left-over -wal to "_s
                     + backupFolder(databasePath);
        return false;
    }
    QFile::setPermissions(target, kUserFile);
    QFile::setPermissions(targetWal, kUserFile);
    return true;
}

} // namespace UserData
