#include "data/UserData.h"

#include "data/AppGlobals.h"
#include "data/Clock.h"
#include "data/Database.h"
#include "data/PrivateFiles.h"
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
    if (!PrivateFiles::makeFolder(folder)) {
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
// Each is written under a temporary name and renamed once on the disk, the -wal first, so that
// a copy listed under its name is whole.
QString copyAside(const QString &databasePath, const QString &tag, QString *error)
{
    if (!makeUserFolder(backupFolder(databasePath), error))
        return {};
    const QString target = freeName(databasePath, tag, QString());
    const QString targetWal = target + u"-wal"_s;
    const QFileInfo wal(databasePath + u"-wal"_s);
    const bool withWal = wal.isFile() && wal.size() > 0;
    const auto place = [](const QString &from, const QString &to) {
        const QString part = to + u".part"_s;
        QFile::remove(part);
        if (PrivateFiles::copyToNewFile(from, part) && PrivateFiles::renameInPlace(part, to))
            return true;
        QFile::remove(part);
        return false;
    };
    if ((withWal && !place(wal.absoluteFilePath(), targetWal)) || !place(databasePath, target)) {
        QFile::remove(target);
        QFile::remove(targetWal);
        if (error)
            *error = u"cannot copy "_s + databasePath + u" to "_s + backupFolder(databasePath);
        return {};
    }
    return target;
}

// The product mark of a study database: the cpbs of the first row of tab_sj, as shipped; empty
// when the file holds none or cannot be read.
QString productMarkOf(const QSqlDatabase &db)
{
    try {
        return Db::scalar(db, u"SELECT cpbs FROM tab_sj ORDER BY rowid LIMIT 1"_s).toString();
    } catch (const Db::DbError &) {
        return {};
    }
}

QString productMarkOfFile(const QString &path)
{
    const QString connection = u"userdata-product"_s;
    Db::OpenRequirements requirements({u"tab_sj"_s});
    requirements.readOnly = true;
    requirements.immutable = true;
    QString mark;
    if (Db::open(connection, path, requirements))
        mark = productMarkOf(QSqlDatabase::database(connection, false));
    Db::close(connection);
    return mark;
}

// The product the study database belongs to: its own mark, or, when it cannot be read (a
// damaged file), the mark of the database shipped in the program folder. Empty when neither
// can be read.
QString expectedProduct(const QString &databasePath, const StudyData *module)
{
    QString mark = module && module->connected() ? productMarkOf(module->connection())
                                                 : productMarkOfFile(databasePath);
    const QString shipped =
        withSlash(App::programFolder) + u"data/"_s + QLatin1StringView(kDatabaseName);
    if (mark.isEmpty() && !App::programFolder.isEmpty() &&
        QFileInfo(shipped).canonicalFilePath() != QFileInfo(databasePath).canonicalFilePath())
        mark = productMarkOfFile(shipped);
    return mark;
}

// Whether a backup belongs to the product: it holds the product's mark in tab_sj. Anything
// goes when the product is unknown.
bool ofProduct(const QSqlDatabase &backup, const QString &product)
{
    if (product.isEmpty())
        return true;
    try {
        return Db::scalar(backup, u"SELECT 1 FROM tab_sj WHERE cpbs=?"_s, {product}).isValid();
    } catch (const Db::DbError &) {
        return false;
    }
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
    // Whatever lies under the name (a link, too) is never replaced: opening it says what it is.
    if (PrivateFiles::kindOf(databasePath) != PrivateFiles::Kind::Missing)
        return Prepared::Ready;
    if (!QFileInfo(templatePath).isFile()) {
        if (error)
            *error = u"template database missing: "_s + templatePath;
        return Prepared::TemplateMissing;
    }
    const QString folder = QFileInfo(databasePath).absolutePath();
    if (!makeUserFolder(folder, error))
        return Prepared::Failed;
    // Copied under a temporary name, on the disk before it is renamed, so an interrupted copy
    // never looks like a database; the rename does not replace a file that appeared meanwhile.
    const QString part = databasePath + u".part"_s;
    QFile::remove(part);
    if (!PrivateFiles::copyToNewFile(templatePath, part) ||
        !PrivateFiles::renameInPlace(part, databasePath, false)) {
        QFile::remove(part);
        if (PrivateFiles::kindOf(databasePath) != PrivateFiles::Kind::Missing)
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
    // The file as it lies: what a restore copies from it.
    requirements.immutable = true;
    if (Db::open(connection, path, requirements, &result.why)) {
        const QSqlDatabase db = QSqlDatabase::database(connection, false);
        try {
            result.answers =
                Db::scalar(db, u"SELECT coalesce(sum(A2),0) FROM tab_rz"_s).toLongLong();
            result.product = productMarkOf(db);
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
    const QString product = expectedProduct(databasePath, nullptr);
    for (const BackupEntry &e : backups(databasePath)) {
        const Inspection seen = inspect(e.path);
        if (seen.good && (product.isEmpty() || seen.product == product))
            return e;
    }
    return {};
}

QStringList removeLeftovers(const QString &databasePath)
{
    QStringList removed;
    const auto remove = [&](const QString &path) {
        // Unlinked by name: a link is removed itself, never what it leads to.
        if (PrivateFiles::kindOf(path) != PrivateFiles::Kind::Folder && QFile::remove(path))
            removed.append(path);
    };
    // Beside the database: a restore's staged copy and the first copy of the shipped database.
    const QFileInfo db(databasePath);
    const QDir dataDir(db.absolutePath());
    for (const QString &tail : {u".restore"_s, u".restore.part"_s, u".part"_s}) {
        const QString stem = db.fileName() + tail;
        for (const QString &suffix : {u""_s, u"-wal"_s, u"-shm"_s, u"-journal"_s})
            remove(dataDir.filePath(stem + suffix));
    }
    // In backups/: backups and set-aside copies still under their temporary names.
    const QRegularExpression partial(
        u"^"_s + QRegularExpression::escape(db.completeBaseName()) +
        u"-(?:(?:leftover-wal|replaced)-)?\\d{8}-\\d{6}(?:-\\d+)?\\."_s +
        QRegularExpression::escape(db.suffix()) + u"(?:-wal)?\\.part(?:-wal|-shm|-journal)?$"_s);
    const QDir dir(backupFolder(databasePath));
    for (const QString &name : dir.entryList(QDir::Files | QDir::System | QDir::Hidden)) {
        if (partial.match(name).hasMatch())
            remove(dir.filePath(name));
    }
    return removed;
}

Restored restore(const QString &databasePath, const QString &backupPath, StudyData *module)
{
    Restored r;
    // The copy that will become the database is made and checked first, beside the database, so
    // that the final step is one rename on the same file system.
    const QString staged = databasePath + u".restore"_s;
    const auto dropStaged = [&] {
        for (const QString &name : {staged, QString(staged + u".part"_s)}) {
            for (const QString &suffix : {u""_s, u"-wal"_s, u"-shm"_s, u"-journal"_s})
                QFile::remove(name + suffix);
        }
    };
    dropStaged();
    // The backup as it lies (what the list showed of it), copied page by page through SQLite's
    // online backup: a -wal beside it is neither read nor changed.
    {
        const QString product = expectedProduct(databasePath, module);
        const QString source = u"userdata-restore"_s;
        Db::OpenRequirements requirements;
        requirements.tables = Schema::requiredColumns();
        requirements.readOnly = true;
        requirements.immutable = true;
        if (!Db::open(source, backupPath, requirements, &r.why)) {
            r.outcome = Restored::BadBackup;
        } else if (!ofProduct(QSqlDatabase::database(source, false), product)) {
            r.outcome = Restored::ForeignProduct;
            r.why = u"the backup is not of the product "_s + product + u": "_s + backupPath;
        } else {
            try {
                Db::backupTo(QSqlDatabase::database(source, false), staged);
                r.outcome = Restored::Done;
            } catch (const Db::DbError &e) {
                r.outcome = Restored::Failed;
                r.why = e.message();
            }
        }
        Db::close(source);
        if (r.outcome != Restored::Done) {
            dropStaged();
            return r;
        }
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
    if (!PrivateFiles::renameInPlace(staged, databasePath)) {
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
    if (!PrivateFiles::copyToNewFile(r.kept, back) ||
        !PrivateFiles::renameInPlace(back, databasePath))
        QFile::remove(back);
    module->openDatabase(databasePath);
    r.outcome = Restored::Failed;
    return r;
}

} // namespace UserData
