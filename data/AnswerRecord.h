// Recording one judged answer: the question's own progress columns and every counter it moves,
// written as one unit of work.
#pragma once

#include <QDate>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>

class StudyData;

// The last answer (E2) a voided question carries instead of the answer it had.
inline QString voidedAnswer()
{
    return QStringLiteral("zero");
}

// The one judging rule of the program, for practice, exam points and papers alike: a given answer
// is right when it equals the stored key with letter case ignored (a key brought in lower case,
// "abcd", is still answered by the capital option buttons). An empty answer is never right.
inline bool answerIsRight(const QString &answer, const QString &correct)
{
    return !answer.isEmpty() && answer.compare(correct, Qt::CaseInsensitive) == 0;
}

// The progress columns of a question row that judging reads and writes.
struct QuestionProgress
{
    QString id;         // A1
    QString correct;    // A2
    QString chapter;    // A10
    QVariant lastDate;  // E1 (null = never)
    QString lastAnswer; // E2
    QString runAnswer;  // E2_1
    int count = 0;      // E3
    int wrongLevel = 0; // E4
    QStringList points; // K3 .. K12 as stored (null read as empty)

    static QuestionProgress fromRecord(const QSqlRecord &row);
};
// Its members are all relocatable: lists of them grow by moving memory.
Q_DECLARE_TYPEINFO(QuestionProgress, Q_RELOCATABLE_TYPE);

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
    bool right = false;   // answerIsRight(answer, A2)
};

// Records a non-empty answer for the question: when it differs from the run answer the
// statistics move (E3, E4, the day, the chapters, the exam points); then E2_1, E2 and E1 are
// written to the row of `table` (tab_answ, or a paper table). One transaction; `q` is updated to
// the stored values only after the commit. Throws Db::DbError (nothing written) on failure.
RecordOutcome recordJudgedAnswer(StudyData &data, const QString &table, QuestionProgress &q,
                                 const QString &answer);

// Records an answer given in a mock-exam paper: when it differs from the paper's stored answer
// the counters move and the question's row in tab_answ follows (updateQuestionProgress); then
// E2_1, E2 and E1 of the paper row take the answer. One transaction; `q` (the paper row) changes
// only after the commit. Throws Db::DbError (nothing written) on failure.
RecordOutcome recordPaperAnswer(StudyData &data, const QString &paperTable, QuestionProgress &q,
                                const QString &answer);

// The question's own row in tab_answ after an answer given in a paper: E4 as a first or a later
// answer moves it (judged by answerIsRight), E3 + 1, and E2_1, E2, E1 take
// the answer. Nothing when the row is missing. Throws Db::DbError.
void updateQuestionProgress(StudyData &data, const QString &id, const QString &answer);

// The wrong-question level after an answer: a first answer sets 0 (right) or -3 (wrong); later a
// wrong answer lowers it by 1 and a right one raises a negative level by 1.
int nextWrongLevel(bool answeredBefore, int level, bool right);

// Empties the run answer of a question (an answer cleared on screen); statistics stay.
void clearRunAnswer(StudyData &data, const QString &table, QuestionProgress &q);
