// The data module: owner of the study database connection and keeper of every progress counter.
#pragma once

#include "data/Database.h"

#include <QHash>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <memory>

class StudyData : public QObject
{
    Q_OBJECT
public:
    explicit StudyData(QObject *parent = nullptr);
    ~StudyData() override;

    // When the whole file is read for PRAGMA quick_check: while opening it, or later through
    // checkDatabase() (the program's start shows its menu first).
    enum class QuickCheck
    {
        AtOpen,
        Later
    };

    // Sets the program folder and opens "data/WTXVEB710448.mdb" under it on connection; sets the
    // connected flag. Shows nothing: the caller reports a failure.
    bool openInProgramFolder(const QString &programFolder);
    // The same with the study database elsewhere (the user's own copy of an installed program).
    bool openInProgramFolder(const QString &programFolder, const QString &databasePath,
                             QuickCheck check = QuickCheck::AtOpen);
    // Opens a given study database file on connection (tests, tools). The file is refused when it
    // is no regular file (a link, a device: NotAFile, nothing touched), lacks a table or column,
    // fails its quick check, or cannot be written. The file, its WAL files and its folder are
    // made user-only. With QuickCheck::Later nothing is written to the file (it is not switched
    // to WAL, no missing index is added) until checkDatabase() has passed.
    bool openDatabase(const QString &path, QuickCheck check = QuickCheck::AtOpen);
    // The quick check left for later by openDatabase(): true when it passes (or already ran);
    // false, with openFailure() Damaged (InUse when another program's lock outlasted the wait)
    // and the connection left open, when it does not.
    bool checkDatabase();
    bool connected() const { return m_connected; }
    QString lastError() const { return m_lastError; }
    // Why the last open failed.
    Db::OpenFailure openFailure() const { return m_openFailure; }
    // Closes both connections, ignoring failures.
    void close();

    // The study database connection.
    QSqlDatabase connection() const;
    // The second connection, for upgrade files: opens an existing database file read-only.
    bool openSecondConnection(const QString &path, QString *error = nullptr);
    QSqlDatabase upgradeConnection() const;
    void closeSecondConnection();

    // The chapter row of the browser changed: the current chapter key follows its C1_1.
    void setCurrentChapterKey(const QString &chapterKey);

    // The question-kind table in use ("tab_tx" + kind); totalPaperScore reads it.
    void useKindTable(int paperKind);
    QString kindTable() const { return m_kindTable; }

    // Progress counters. All throw Db::DbError on failure; each runs as one unit of work that
    // joins the caller's transaction when one is open.
    // dayState 2 = first answer of the question today, 1 = answered today before; result and
    // previousResult 1 = right, 2 = wrong (previousResult 2 also when absent, 0 when unknown:
    // then B2 stays on a question answered today before). The day's row keeps 0 <= B2 <= B1 <= A2
    // and 0 <= A3 <= A2.
    void recordDailyAnswer(int dayState, int result, int previousResult);
    void recordChapterAnswer(const QString &chapterCode, int firstTime, int result);
    void recordExamPointAnswer(const QString &pointList, const QString &chapterList,
                               const QString &groupList, int firstTime, int result);
    // The same counters for a list of exam-point codes (taken up to the first empty one), with
    // the codes bound as values instead of spliced lists.
    void recordExamPointAnswer(const QStringList &codes, int firstTime, int result);
    void addStudyTime(const QString &elapsed);

    // Seconds of an h:mm:ss text; throws std::invalid_argument when a part is not a number.
    static qint64 timeTextToSeconds(const QString &text);
    // hh:mm:ss with at least two digits a part; hours run past 24.
    static QString secondsToTimeText(qint64 seconds);
    // "%2.2f" of (total - wrong) / total * 100, or "0" when total <= 0.
    static QString scoreText(qint64 total, qint64 wrong);
    // Sum of B2 * B3 over the question-kind table in use.
    int totalPaperScore();
    // Answer page of a question kind: 0 single choice, 1 multiple choice, 4 subjective, 99 none.
    static int answerPageOfKind(int kind);
    // Removes a paper table and its history row; never reports a failure.
    void dropPaper(const QString &paperName);

    // The candidate's own answer text of a question ("" when none is kept). Throws Db::DbError.
    QString ownAnswer(const QString &questionId);
    // Keeps the own answer text of a question (an empty text removes it) in one transaction.
    // Throws Db::DbError; nothing is kept then.
    void saveOwnAnswer(const QString &questionId, const QString &text);

    // Today's study-log row as stored text "yyyy-MM-dd".
    static QString dateText(const QDate &date);

    // A statement prepared once on connection and kept for reuse (bind values, exec, finish).
    QSqlQuery &prepared(const QString &sql) { return Db::prepared(connection(), sql); }

private:
    void addMissingIndexes();

    bool m_connected = false;
    bool m_checkPending = false;
    QString m_lastError;
    Db::OpenFailure m_openFailure = Db::OpenFailure::None;
    QString m_kindTable;
};

// The single data module of the running program.
extern StudyData *studyData;
