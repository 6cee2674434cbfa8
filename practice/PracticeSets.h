// The chapter browser's data: the three practice sets of a chapter as query texts, the grid
// query, and the totals over the whole syllabus.
#pragma once

#include <QSqlDatabase>
#include <QString>

namespace PracticeSets {

enum class Set
{
    New,   // never answered (E2 null or ''), not voided
    Wrong, // in the wrong-question list (E4 < 0), not voided
    Done,  // answered at least once, voided ones included
};

// Codes of 1 or 2 characters are the whole syllabus ("0", 全部科目) and the subjects.
bool isSubjectCode(const QString &chapterCode);
// Whether a set can be started on a code: new questions only chapter by chapter, the wrong and
// the done questions also on a subject or the whole syllabus (the wrong-question notebook).
bool canStart(Set set, const QString &chapterCode);

// The practice query of a set for a chapter: the chapter code is a prefix of the question's A10
// (the code of the whole syllabus is the prefix of every chapter). A set over a subject or the
// whole syllabus is ordered by chapter first. The grid's double-click starts the new set without
// the id as last sort key.
QString practiceQuery(Set set, const QString &chapterCode, bool doubleClicked = false);
// The number of questions practiceQuery() returns. Throws Db::DbError.
qint64 setSize(const QSqlDatabase &db, Set set, const QString &chapterCode);

// The message and showPrompt icon reporting an empty set.
QString emptySetMessage(Set set);
int emptySetIcon(Set set);

// The chapters shown by the browser, in display order; the reserved row "xx" is never listed.
QString gridQuery();
// Sums over the lowest (6-character) chapters, so that each question counts once.
QString totalsQuery();

struct Totals
{
    qint64 questions = 0; // sum of C3
    qint64 answers = 0;   // sum of D1
    qint64 wrong = 0;     // sum of D2

    // "总习题数" shows at most 10000.
    qint64 displayedQuestions() const;
    // The score text (answers - wrong) / answers * 100 as "%2.2f"; empty when nothing was
    // answered yet (the label then keeps its text).
    QString scoreText() const;
};

// Runs totalsQuery(); NULL sums (no 6-character chapter) read as 0. Throws Db::DbError.
Totals readTotals(const QSqlDatabase &db);

} // namespace PracticeSets
