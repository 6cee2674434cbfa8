// The question set of a practice run: the rows of the practice query, held in query order with a
// kind filter, and the writes that a question window makes to them (each its own unit of work).
#pragma once

#include "data/AnswerRecord.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

class StudyData;

// One question of the set: the columns of the practice query.
struct QuestionRow
{
    QuestionProgress progress; // A1, A2, A10, E1, E2, E2_1, E3, E4, K3..K12
    int optionCount = 0;       // A2_1
    int kind = 0;              // A13
    QVariant note;             // A14 (null = none)
    int status = 0;            // F1: 1 voided, 2 entered by the candidate (null read as 0)
    QString timeOutMark;       // csbs: "Y" once the answer time ran out
    int editCount = 0;         // ecount: edits by the candidate (0 when the query lacks it)

    const QString &id() const { return progress.id; }
    bool answered() const { return !progress.runAnswer.isEmpty(); }
    bool hasPoints() const { return !progress.points.value(0).trimmed().isEmpty(); }
    bool hasNote() const { return !note.toString().trimmed().isEmpty(); }
    bool edited() const { return editCount != 0; }
};
// A set of thousands of rows grows by moving memory, not row by row.
Q_DECLARE_TYPEINFO(QuestionRow, Q_RELOCATABLE_TYPE);

class QuestionSet
{
public:
    // Runs the query and keeps its rows in order; no filter. Throws Db::DbError.
    void open(const QSqlDatabase &db, const QString &sql);
    void close();

    // Filter on the kind (A13); 0 shows every row. Returns false when it was already set.
    bool setKindFilter(int kind);
    int kindFilter() const { return m_kind; }
    // Rows of a kind in the whole set (0: all rows).
    int countOfKind(int kind) const;

    // Rows passing the filter, addressed by record number 1..count().
    int count() const { return static_cast<int>(m_view.size()); }
    bool isEmpty() const { return m_view.isEmpty(); }
    QuestionRow &row(int record) { return m_rows[m_view.at(record - 1)]; }
    const QuestionRow &row(int record) const { return m_rows[m_view.at(record - 1)]; }
    // Every row, unfiltered.
    int totalCount() const { return static_cast<int>(m_rows.size()); }
    const QuestionRow &rowAt(int index) const { return m_rows.at(index); }

private:
    void rebuildView();

    QList<QuestionRow> m_rows;
    QList<int> m_view;
    int m_kind = 0;
};

namespace QuestionWrites {

// Starts a run: every question's run answer becomes the empty string, then the set is opened
// with the practice query. Throws Db::DbError.
void startRun(StudyData &study, QuestionSet &set, const QString &practiceQuery);

// Records an answer read from the widgets: an empty one only empties the run answer, any other
// goes through recordJudgedAnswer (statistics when new in this run, then E2_1, E2, E1).
// The row changes only when the write succeeded. Throws Db::DbError.
RecordOutcome judge(StudyData &study, const QString &table, QuestionRow &row,
                    const QString &answer);

// The same for an answer given in a mock-exam paper (`table` is the paper table): the paper row
// keeps the answer, the bank's row and the counters follow (recordPaperAnswer).
RecordOutcome judgePaper(StudyData &study, const QString &table, QuestionRow &row,
                         const QString &answer);

// Voiding: f1 := 1 and E2 := "zero". Restoring: f1 := 0, E2 stays. Throws Db::DbError.
void voidQuestion(StudyData &study, const QString &table, QuestionRow &row);
void restoreQuestion(StudyData &study, const QString &table, QuestionRow &row);
// Voiding in a paper: f1 := 1 and E2 := "zero" in the paper row and in tab_answ. Restoring:
// f1 := 0 in both, the paper row's E2 := '' (tab_answ keeps "zero"). One transaction each.
// Throws Db::DbError.
void voidPaperQuestion(StudyData &study, const QString &table, QuestionRow &row);
void restorePaperQuestion(StudyData &study, const QString &table, QuestionRow &row);
// The answer time ran out: csbs := "Y". Throws Db::DbError.
void markTimedOut(StudyData &study, const QString &table, QuestionRow &row);
// Reads what the edit window may change again: answer, option count, kind, exam points and
// edit count. Throws Db::DbError.
void reloadEdited(StudyData &study, const QString &table, QuestionRow &row);
// Reads the row's note again (after the notes window wrote it). Throws Db::DbError.
void reloadNote(StudyData &study, const QString &table, QuestionRow &row);

} // namespace QuestionWrites
