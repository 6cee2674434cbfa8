// Where the study database lives, and its automatic backups.
//
// Run from the build folder, the study database is the program folder's data/WTXVEB710448.mdb.
// Installed under a prefix, the program folder (share/<program>) is read-only: the database is
// the user's own copy in QStandardPaths::AppDataLocation, made from the shipped template on first
// start. Backups are kept in backups/ beside the database. Everything written is user-only.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class StudyData;

namespace UserData {

inline constexpr auto kDatabaseName = "WTXVEB710448.mdb";

// The program folder of an installed program: <prefix>/share/<program>/ beside <prefix>/bin,
// holding the menu description. Empty when the executable runs from its build folder.
QString installedProgramFolder(const QString &executableFolder);

// The folder of the user's own study database (AppDataLocation), ending in "/".
QString userDataFolder();

enum class Prepared
{
    Ready,
    TemplateMissing,
    Failed
};
// Makes sure databasePath exists: when it does not, copies the template there (folder 0700, file
// 0600). An existing database is never touched.
Prepared prepareDatabase(const QString &templatePath, const QString &databasePath,
                         QString *error = nullptr);

// backups/ beside the database, ending in "/".
QString backupFolder(const QString &databasePath);

struct BackupEntry
{
    QString path;
    QDateTime taken;
};
// The backups of a database, newest first.
QList<BackupEntry> backups(const QString &databasePath);

// A consistent copy of the database through SQLite's online backup, written to backups/ under a
// name holding Clock::today() and the current time; returns its path, or empty with the reason.
QString backupNow(const QString &databasePath, QString *error = nullptr);

// At start: a backup unless one was taken today, then thinning. Returns false with the reason
// when a backup was due and could not be written.
bool dailyBackup(const QString &databasePath, QString *error = nullptr);

// Keeps every backup of the last 7 days and, of the older ones, the newest of each of the 4 most
// recent calendar weeks (Monday to Sunday); removes the others. Of the copies set aside after a
// crash or before a restore, the newest of each kind stays and older ones go after 28 days.
// Returns the removed paths.
QStringList thinBackups(const QString &databasePath, const QDate &today);

// A -wal left beside the database by an earlier run is copied, with the database, into backups/
// before anything opens the database (a -wal of another file would replay into it). Returns
// false with the reason when the copies could not be made; true when there was nothing to do.
bool setAsideLeftoverWal(const QString &databasePath, QString *error = nullptr);

// What a database file holds as a study database: good when it has every table and column the
// program needs and passes its quick check; answers is the number of answers in its study log;
// product the product mark it carries (the cpbs of its first tab_sj row).
struct Inspection
{
    bool good = false;
    qint64 answers = 0;
    QString product;
    QString why;
};
// Opens the file read-only on a connection of its own, checks it and closes it again; without
// quickCheck only the tables are checked (a list of backups reads fast). The file is read as it
// lies, as a restore copies it: a -wal beside it is neither read nor changed, and nothing is
// left beside it.
Inspection inspect(const QString &path, bool quickCheck = true);

// The newest backup of the database's product that passes the inspection, or an empty path
// when none does.
BackupEntry newestGoodBackup(const QString &databasePath);

// Removes what a copy cut short left under its temporary name: a restore's staged copy and the
// first copy of the shipped database beside the database, backups and set-aside copies in
// backups/. Only those names are touched. Returns the removed paths.
QStringList removeLeftovers(const QString &databasePath);

struct Restored
{
    enum Outcome
    {
        Done,           // the backup is the study database now
        BadBackup,      // the backup is not a usable study database: nothing changed
        ForeignProduct, // the backup is a study database of another product: nothing changed
        NotKept,        // the current database could not be kept first: nothing changed
        Failed,         // the files could not be replaced: nothing changed
    };
    Outcome outcome = Failed;
    QString kept; // where the database that was replaced is kept
    QString why;
};
// Makes the backup the study database. The backup, as it lies, must carry the product mark of
// the database it replaces (or of the shipped one when that cannot be read); it is copied
// through SQLite's online backup beside the database and that copy checked before anything
// else happens; the current database is then kept in backups/ (an
// online copy while `module` has it open, else a byte copy with its -wal, as a damaged file
// found at start is); `module`, when given, is closed around the replacement and opened again
// on the restored file. A restored file that does not open puts the kept one back.
Restored restore(const QString &databasePath, const QString &backupPath, StudyData *module);

} // namespace UserData
