#include "data/UserData.h"

#include "data/Clock.h"
#include "data/Database.h"
#include "data/Schema.h"
#include "data/StudyData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <cstdio>

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
    return QRegularExpression(u"^"_s + QRegularExpression::escape(db.completeBaseName()) +
                              u"-(\\d{8}-\\d{6})(?:-\\d+)?\\."_s +
                              QRegularExpression::escape(db.suffix()) + u"$"_s);
}

QString stamp()
{
    return Clock::today().toString(u"yyyyMMdd"_s) + u'-' +
           QTime::currentTime().toString(u"HHmmss"_s);
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

// Byte copies of the database and its -wal (when there is one) into backups/ under the tag;
// returns the database copy's path, or empty when the copies could not be made (none is left).
QString copyAside(const QString &databasePath, const QString &tag, QString *error)
{
    if (!makeUserFolder(backupFolder(databasePath), error))
        return {};
    const QString target = freeName(databasePath, tag, QString());
    const QString targetWal = target + u"-wal"_s;
    const QFileInfo wal(databasePath + u"-wal"_s);
    const bool withWal = wal.isFile() && wal.size() > 0;
    if (!QFile::copy(databasePath, target) ||
        (withWal && !QFile::copy(wal.absoluteFilePath(), targetWal))) {
        QFile::remove(target);
        QFile::remove(targetWal);
        if (error)
            *error = u"cannot copy "_s + databasePath + u" to "_s + backupFolder(databasePath);
        return {};
    }
    QFile::setPermissions(target, kUserFile);
    if (withWal)
        QFile::setPermissions(targetWal, kUserFile);
    return target;
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

Prepared prepareDatabase(const QString &templatePath, const QString &databasePath, QString *error)
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
    if (!QFile::copy(templatePath, part) || !QFile::setPermissions(part, kUserFile) ||
        !QFile::rename(part, databasePath)) {
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
    // A connection of its own reads a consistent snapshot even while the program's connection
    // writes; the copy is user-only from its first page and appears under its name complete.
    const QString target = freeName(databasePath, u"-"_s, QString());
    const QString connection = u"userdata-backup"_s;
    QString why;
    bool copied = false;
    if (Db::openReadOnly(connection, databasePath, {}, &why)) {
        try {
            Db::backupTo(QSqlDatabase::database(connection, false), target);
            copied = true;
        } catch (const Db::DbError &e) {
            why = e.message();
        }
    }
    Db::close(connection);
    if (!copied) {
        if (error)
            *error = u"backup of "_s + databasePath + u" failed: "_s + why;
        return {};
    }
    return target;
}

bool dailyBackup(const QString &databasePath, QString *error)
{
    const QDate today = Clock::today();
    const QList<BackupEntry> list = backups(databasePath);
    const bool takenToday = std::any_of(
        list.begin(), list.end(), [&](const BackupEntry &e) { return e.taken.date() == today; });
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
    // Copies set aside after a crash (a left-over -wal) or before a restore: the newest of each
    // kind stays; older ones go with their -wal once they are four weeks old, so repeated
    // crashes do not fill the disk with full copies.
    const QFileInfo db(databasePath);
    const QDir dir(backupFolder(databasePath));
    for (const QString &tag : {u"-leftover-wal-"_s, u"-replaced-"_s}) {
        const QRegularExpression pattern(
            u"^"_s + QRegularExpression::escape(db.completeBaseName() + tag) +
            u"(\\d{8}-\\d{6})(?:-\\d+)?\\."_s + QRegularExpression::escape(db.suffix()) + u"$"_s);
        QList<BackupEntry> copies;
        for (const QString &name : dir.entryList(QDir::Files)) {
            const QRegularExpressionMatch m = pattern.match(name);
            const QDateTime taken = m.hasMatch()
                                        ? QDateTime::fromString(m.captured(1), u"yyyyMMdd-HHmmss"_s)
                                        : QDateTime();
            if (taken.isValid())
                copies.append({dir.absoluteFilePath(name), taken});
        }
        std::sort(copies.begin(), copies.end(), [](const BackupEntry &a, const BackupEntry &b) {
            return a.taken != b.taken ? a.taken > b.taken : a.path > b.path;
        });
        for (qsizetype i = 1; i < copies.size(); ++i) {
            if (copies.at(i).taken.date().daysTo(today) < 28)
                continue;
            if (QFile::remove(copies.at(i).path)) {
                QFile::remove(copies.at(i).path + u"-wal"_s);
                removed.append(copies.at(i).path);
            }
        }
    }
    return removed;
}

bool setAsideLeftoverWal(const QString &databasePath, QString *error)
{
    const QFileInfo wal(databasePath + u"-wal"_s);
    if (!wal.isFile() || wal.size() == 0 || !QFileInfo(databasePath).isFile())
        return true;
    // Plain byte copies: opening the database here would replay the -wal into it.
    return !copyAside(databasePath, u"-leftover-wal-"_s, error).isEmpty();
}

Inspection inspect(const QString &path, bool quickCheck)
{
    const QString connection = u"userdata-inspect"_s;
    Inspection result;
    Db::OpenRequirements requirements;
    requirements.tables = Schema::requiredColumns();
    requirements.quickCheck = quickCheck;
    requirements.readOnly = true;
    if (Db::open(connection, path, requirements, &result.why)) {
        try {
            result.answers = Db::scalar(QSqlDatabase::database(connection, false),
                                        u"SELECT coalesce(sum(A2),0) FROM tab_rz"_s)
                                 .toLongLong();
            result.good = true;
        } catch (const Db::DbError &e) {
            result.why = e.message();
        }
    }
    Db::close(connection);
    return result;
}

BackupEntry newestGoodBackup(const QString &databasePath)
{
    for (const BackupEntry &e : backups(databasePath)) {
        if (inspect(e.path).good)
            return e;
    }
    return {};
}

Restored restore(const QString &databasePath, const QString &backupPath, StudyData *module)
{
    Restored r;
    // The copy that will become the database is made and checked first, beside the database, so
    // that the final step is one rename on the same file system.
    const QString staged = databasePath + u".restore"_s;
    const auto dropStaged = [&] {
        for (const QString &suffix : {u""_s, u"-wal"_s, u"-shm"_s, u"-journal"_s})
            QFile::remove(staged + suffix);
    };
    dropStaged();
    if (!QFile::copy(backupPath, staged) || !QFile::setPermissions(staged, kUserFile)) {
        dropStaged();
        r.outcome = QFileInfo(backupPath).isFile() ? Restored::Failed : Restored::BadBackup;
        r.why = u"cannot copy "_s + backupPath + u" to "_s + staged;
        return r;
    }
    const Inspection check = inspect(staged);
    if (!check.good) {
        dropStaged();
        r.outcome = Restored::BadBackup;
        r.why = check.why;
        return r;
    }

    // The current database is kept before it is replaced: an online copy of an open database,
    // else the file as it lies, with its -wal.
    const bool wasOpen = module && module->connected();
    if (QFileInfo(databasePath).isFile()) {
        r.kept = wasOpen ? backupNow(databasePath, &r.why)
                         : copyAside(databasePath, u"-replaced-"_s, &r.why);
        if (r.kept.isEmpty()) {
            dropStaged();
            r.outcome = Restored::NotKept;
            return r;
        }
    }

    const auto reopen = [&] { return !wasOpen || module->openDatabase(databasePath); };
    if (wasOpen)
        module->close();
    // A -wal left after the last connection closed belongs to another program still using the
    // file, or to the damaged file kept above; replayed into the restored file it would ruin it.
    const QFileInfo wal(databasePath + u"-wal"_s);
    if (wasOpen && wal.exists() && wal.size() > 0) {
        dropStaged();
        reopen();
        r.outcome = Restored::Failed;
        r.why = u"the database is still in use: "_s + wal.absoluteFilePath();
        return r;
    }
    QFile::remove(databasePath + u"-wal"_s);
    QFile::remove(databasePath + u"-shm"_s);
    if (std::rename(QFile::encodeName(staged).constData(),
                    QFile::encodeName(databasePath).constData()) != 0) {
        dropStaged();
        reopen();
        r.outcome = Restored::Failed;
        r.why = u"cannot replace "_s + databasePath;
        return r;
    }
    if (reopen()) {
        r.outcome = Restored::Done;
        return r;
    }
    // The restored file passed its checks but does not open as the study database: the kept
    // one goes back.
    r.why = module->lastError();
    const QString back = databasePath + u".part"_s;
    QFile::remove(back);
    if (QFile::copy(r.kept, back) && QFile::setPermissions(back, kUserFile))
        std::rename(QFile::encodeName(back).constData(),
                    QFile::encodeName(databasePath).constData());
    QFile::remove(back);
    module->openDatabase(databasePath);
    r.outcome = Restored::Failed;
    return r;
}

} // namespace UserData
