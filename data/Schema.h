// Tables, columns and indexes of the study database, and the statement that creates a paper table.
//
// The names of tables and columns are fixed: upgrade files and paper tables carry them. What the
// short codes hold:
//
// tab_answ, one row per question, with the candidate's progress on it (a paper table
// tab_examN holds a copy of these columns for each drawn question, plus jx):
//   A1      question id (12 characters; a compound question's sub-question is its 16-character
//           stem id + "-" + a number; ids the candidate entered begin with "U")
//   A2      correct answer (for the subjective kinds "1", self-assessed "会")
//   A2_1    number of answer options shown
//   K3..K12 exam-point codes linked to the question (tab_rule.ftid), filled from K3; empty or
//           NULL is no link
//   A10     chapter code of the question's section (tab_kmmc.C1, 6 characters)
//   A13     question kind (tab_txN.A1): 11 single choice, 21 multiple choice, 31/72/73/74
//           subjective
//   A14     the candidate's note
//   E1      date of the last answer
//   E2      last answer ever recorded; empty or NULL: never answered (a "new" question);
//           "zero": voided by the candidate
//   E2_1    run answer: the answer given since the practice window opened (in a paper table:
//           the answer given in the paper); '' when none
//   E3      number of answers recorded
//   E4      wrong-question level: 0 after a right first answer, -3 after a wrong one, then -1 per
//           wrong and +1 per right answer while below 0; below 0 is a wrong question
//   F1      0 ordinary, 1 voided by the candidate, 2 entered by the candidate
//   xx      position within its chapter (a sort key)
//   csbs    "Y" once the answer time ran out on the question in practice
//   ecount  number of times the candidate edited the question
// tab_exer, one row per question: A1 question id, A15 question body, jx explanation (rich text).
// tab_title, stems of compound questions: A1 stem id, A15 stem text (rich text).
// tab_kmmc, the syllabus: C1 chapter code (its prefixes name the enclosing chapters; 2
//   characters "0N" is the subject of paper kind N), C1_1 title line of the chapter's practice
//   window, C2 chapter name, C3 questions, C4 questions answered at least once, D1 answers,
//   D2 wrong answers, C6 overall score ("%2.2f" of the share right, or "0"), C7 "0" on the rows
//   the statistics charts show, bh display order, jx guidance text.
// tab_fgmc, exam-point groups (2-character ids) and chapters (6-character ids): id, n name,
//   bh display order, q questions linked, q1 linked questions answered at least once, q2 answers,
//   q4 wrong answers.
// tab_rule, exam points: id the tab_fgmc chapter holding it, ftid its code (unique; its first 6
//   and 2 characters are its chapter and group), sn short title, n full text (rich text), q, q1,
//   q2, q4 as in tab_fgmc.
// tab_tx1..tab_tx5, question kinds of paper kind 1..5: A1 kind, B1 kind name, B2 questions of
//   the kind in a paper, B3 score of one, time answer time in minutes.
// tab_rz, the study log, one row per day: A1 date, A2 answers, A3 wrong answers, B1 questions
//   answered, B2 questions whose latest answer that day was wrong, A4 score of the day, D1 study
//   time (hh:mm:ss).
// tab_plan, one row: PlanMark (0 target by answers, 1 by minutes), PlanAmount, PlanTime,
//   ExamDate, LeastMark (lowest score a paper is kept with), ExamTime (length of a mock exam in
//   seconds).
// tab_cj, the papers drawn: A1 paper table name, A3 title, A3_1 sequence number, D1 date drawn,
//   A6 score (empty until graded), D2 time used (h:mm:ss).
// tab_sj, upgrades applied: sjbs upgrade identifier, cpbs product identifier.
#pragma once

#include <QMap>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace Schema {

// Tables a study database must hold to count as connected.
QStringList requiredTables();

// Each table of the study database with the columns it is created with: a file lacking one
// of them (a table recreated without a column) is damaged.
QMap<QString, QStringList> requiredColumns();

// Creates every table and index of an empty study database (throws Db::DbError).
void create(const QSqlDatabase &db);

// Indexes the program's queries rely on; safe to run on a database that has them. Opening a
// study database runs it too, so that databases made before an index existed gain it.
void createIndexes(const QSqlDatabase &db);

// Tables of the program's own added after the first release (tab_own_answer: A1 question, answer
// the candidate's own answer text of a subjective question, saved the day it was last saved);
// safe to run on a database that has them. Opening a study database runs it too.
void createOwnTables(const QSqlDatabase &db);

// The paper-table statement as the program writes it (Access column types).
QString paperTableStatement(const QString &tableName);

// Carries an Access CREATE TABLE statement over to SQLite with unchanged meaning: MEMO becomes
// TEXT (a MEMO column would get numeric affinity and turn a note like "0012" into 12), and text
// columns compare without regard to letter case, as they did there.
QString toSqliteDdl(const QString &accessDdl);

// Creates a paper table (throws Db::DbError).
void createPaperTable(const QSqlDatabase &db, const QString &tableName);

// The columns of tab_answ in table order, as upgrade files and paper tables name them.
QStringList answerColumns();

constexpr int kSchemaVersion = 1;

} // namespace Schema
