// Recording one judged answer: the question's own progress columns and every counter it moves,
// written as one unit of work.
#pragma once

#include <QDate>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>

class TDM1;

// The progress columns of a question row that judging reads and writes.
struct QuestionProgress
{
    QString id;          // A1
    QString correct;     // A2
    QString chapter;     // A10
    QVariant lastDate;   // E1 (null = never)
    QString lastAnswer;  // E2
    QString runAnswer;   // E2_1
    int count = 0;       // E3
    int wrongLevel = 0;  // E4
    QStringList points;  // K3 .. K12 as stored (null read as empty)

    static QuestionProgress fromRecord(const QSqlRecord &row);
};

// The three SQL lists for the exam-point counters: quoted codes, their first 6 and first 2
// characters, each "(...)". Codes are taken from K3 on up to the first empty one.
struct ExamPointLists
{
    QString points;
    QString chapters;
    QString groups;
    bool isEmpty() const { return points.isEmpty(); }

    static ExamPointLists fromCodes(const QStringList &codes);
};

// What one recording did.
struct RecordOutcome
{
    bool counted = false; // the statistics were recorded (a new answer in this run)
    bool right = false;   // the answer equals A2
};

// Records a non-empty answer for the question: when it differs from the run answer the
// statistics move (E3, E4, the day, the chapters, the exam points); then E2_1, E2 and E1 are
// written to the row of `table` (tab_answ, or a paper table). One transaction; `q` is updated to
// the stored values only after the commit. Throws Db::DbError (nothing written) on failure.
RecordOutcome recordJudgedAnswer(TDM1 &dm, const QString &table, QuestionProgress &q,
                                 const QString &answer);

// Empties the run answer of a question (an answer cleared on screen); statistics stay.
void clearRunAnswer(TDM1 &dm, const QString &table, QuestionProgress &q);
