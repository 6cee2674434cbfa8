// Merging a question-bank upgrade file into the study database: the checks of the whole file
// (its integrity, tables, rows and identifiers) before anything is written, a backup of the study
// database, and the appends with their counters in one transaction.
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

class StudyData;

class UpgradeImport
{
public:
    enum class Outcome
    {
        EmptyPath,           // nothing typed or chosen
        StudyDatabase,       // the path names the study database itself
        StudyDatabaseBackup, // the path names the study database's backup
        CannotOpen,          // missing, unreadable or not a database
        Unreadable,          // damaged: fails SQLite's integrity check, or cannot be read
        NoUpgradeTable,      // the file has no tab_sj
        ForeignProduct,      // its product identifier is not this study database's
        AlreadyApplied,      // its upgrade identifier was applied before
        Invalid,             // tables or rows an upgrade may not bring (reason says which)
        BackupFailed,        // the study database could not be copied first
        Failed,              // an append failed; everything was rolled back
        Succeeded,
    };

    struct Result
    {
        Outcome outcome = Outcome::EmptyPath;
        int questionsAdded = 0;
        // Questions of the file whose id the study database already had: left as they were.
        int questionsKept = 0;
        // Invalid and Failed: the cause in a Chinese sentence for the candidate, naming the table,
        // column or key concerned.
        QString reason;
        // The technical reason of a failure (driver text), for the error output only.
        QString detail;
    };

    // Works on the data module's connections: the study database on connection, the upgrade file
    // opened read-only on upgradeConnection.
    explicit UpgradeImport(StudyData &studyData) : m_studyData(studyData) {}

    // One attempt with the path as typed: leading and trailing blanks are dropped. The upgrade
    // file stays open on upgradeConnection afterwards, until the next attempt or release().
    Result run(const QString &typedPath);
    // Closes upgradeConnection, so the upgrade file is no longer held.
    void release();

    // The copy of the study database taken before each upgrade (one kept, replaced each time).
    static QString backupPath(const QString &databasePath);
    // The five appends from the attached upgrade file "upg", in their order (tab_kmmc,
    // tab_exer, tab_answ, tab_rule, tab_fgmc), with the column lists of the study database db.
    static QStringList appendStatements(const QSqlDatabase &db);

private:
    Result apply(const QString &path, const QString &upgradeId, const QString &productId);

    StudyData &m_studyData;
};
