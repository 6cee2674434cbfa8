// The candidate's own questions: the running number and id of a new question, saving a new
// question with its counters, saving an edit, and reading what the authoring windows list.
#pragma once

#include <QByteArray>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace Authoring {

// The kind names whose questions are answered by "会" / "不会": one option, answer "1", both fixed.
bool isLockedKindName(const QString &kindName);

// The key as it is stored: the letters of a choice question in capitals (the option buttons
// give capitals); any other answer as given.
QString storedAnswer(int kind, const QString &answer);
// Why an answer (already trimmed) could never be judged right for a question of this kind and
// option count, as the message the authoring windows show; empty when it can. A single-choice key
// is one option letter, a multiple-choice key the option letters in A..F order without repeats
// (the page records pressed options in that order); letter case does not matter.
QString answerProblem(int kind, int options, const QString &answer);

// A row of a question-kind table.
struct Kind
{
    int number = 0; // A1
    QString name;   // B1
};
// The kinds of tab_tx<paperKind> by number. Throws Db::DbError.
QList<Kind> readKinds(const QSqlDatabase &db, int paperKind);

// The next running number of a user question: one more than the largest number in the last four
// characters of any id beginning with "U" (either case), 1 when there is none. Throws Db::DbError.
int nextUserNumber(const QSqlDatabase &db);
constexpr int kMaxUserNumber = 9999;
// "US" + chapter code + kind + option count + the number in four digits.
QString userQuestionId(const QString &chapterCode, int kind, int options, int number);

struct NewQuestion
{
    QString chapterCode;
    int kind = 0;
    int options = 0;
    QString answer;         // trimmed by the caller
    QStringList points;     // exam-point codes, in list order (at most 10)
    QByteArray body;        // rich text as stored
    QByteArray explanation; // empty: none
};

// Stores a new question with the given id (tab_answ with f1 = 2, tab_exer) and raises the counts
// of its chapters (C3 of the chapter and its prefixes of 4, 2 and 1 characters) and of its exam
// points (q of each point, of each point's chapter group and top group, once each). One
// transaction: on failure nothing is written and Db::DbError is thrown.
void insertQuestion(const QSqlDatabase &db, const QString &id, const NewQuestion &question);

struct QuestionEdit
{
    QString id;
    QByteArray body;
    QByteArray explanation; // empty: cleared
    bool hasStem = false;   // compound question: the stem row is written too
    QByteArray stem;
    int kind = 0;
    int options = 0;
    QString answer;
    QStringList points; // written to k3.. in order, the rest emptied
};

// Writes an edit: the content row, the question row (kind, options, answer, k3..k12, ecount + 1),
// the stem of a compound question, and q of every point still linked recounted over the whole
// bank (the q of removed points and of the groups stays). One transaction; throws Db::DbError.
void saveEdit(const QSqlDatabase &db, const QuestionEdit &edit);

// What the edit window shows of a question.
struct StoredQuestion
{
    QString id;
    QString answer;
    int options = 0;
    int kind = 0;
    QStringList points; // the non-empty codes of k3..k12, in column order
    QByteArray body;
    QByteArray explanation;
    bool hasStem = false;
    QByteArray stem;
};
// Reads a question; false when there is no such row. Throws Db::DbError.
bool readQuestion(const QSqlDatabase &db, const QString &id, StoredQuestion &out);

// An exam point as the lists show it.
struct PointInfo
{
    QString code;      // ftid
    QString title;     // sn
    QString groupId;   // tab_rule.id
    QString groupName; // n of that group (empty when there is none)
    bool found = false;
};
// One lookup per code, in the given order. Throws Db::DbError.
QList<PointInfo> readPoints(const QSqlDatabase &db, const QStringList &codes);

// The picker's lists: groups with ids of 2 or 6 characters in stored order, and a group's points.
struct Group
{
    QString id;
    QString name;
};
QList<Group> pickerGroups(const QSqlDatabase &db);
QList<PointInfo> groupPoints(const QSqlDatabase &db, const QString &groupId);

} // namespace Authoring
