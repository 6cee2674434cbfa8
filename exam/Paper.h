// Mock-exam papers without widgets: naming and recording a new paper, drawing its questions at
// random from the bank, opening, grading, the history's figures and the exam settings.
#pragma once

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <stdexcept>

class QRandomGenerator;
class StudyData;

namespace Paper {

// What a paper kind (1..5) draws from: the subject in the title, the chapter-code prefix.
struct KindInfo
{
    QString subject;
    QString prefix;
};
KindInfo kindInfo(int paperKind);

// Questions drawn of a question kind for a paper kind; 0 when the pair is not drawn at all.
int drawCount(int paperKind, int questionKind);

// A paper about to be created: its table, its title and its sequence number.
struct NewPaper
{
    QString table;
    QString title;
    int sequence = 1;
};

// "2005年03月07日" + subject + "[12]".
QString paperTitle(const QDate &date, const QString &subject, int sequence);
// Sequence number and table name follow the newest history row (largest A3_1); the first paper
// is tab_exam1 [1]. Throws Db::DbError.
NewPaper nextPaper(const QSqlDatabase &db, int paperKind, const QDate &today);

// The ways making a paper fails; each has its message for the candidate.
enum class Failure
{
    CreateTable,
    EmptyPool,
    Draw,
    Open
};
QString failureMessage(Failure failure);

class PaperError : public std::runtime_error
{
public:
    PaperError(Failure failure, const std::string &detail)
        : std::runtime_error(detail), m_failure(failure)
    {
    }
    Failure failure() const { return m_failure; }

private:
    Failure m_failure;
};

// Distinct positions 0..poolSize-1, `count` of them drawn at random; the whole pool when it
// holds no more than `count`.
QList<int> drawPositions(int poolSize, int count, QRandomGenerator &random);

// Number of eligible questions of a kind (every kind when questionKind is 0): chapter code
// beginning with the prefix, not voided (f1 <> 1). Throws Db::DbError.
int poolSize(const QSqlDatabase &db, int questionKind, const QString &prefix);
// Draws up to `count` distinct eligible questions of a kind and returns their ids (empty when
// the pool is empty). One positioned read of the pool (ordered by E3) per kind. Throws.
QStringList drawQuestions(const QSqlDatabase &db, int questionKind, int count,
                          const QString &prefix, QRandomGenerator &random);
// Copies the questions, each joined with its explanation, into the paper table by one
// INSERT ... SELECT; nothing when the list is empty. Throws Db::DbError.
void insertPaperQuestions(const QSqlDatabase &db, const QString &table, const QStringList &ids);
// Draws and inserts the questions of one kind when the draw table lists the pair; returns the
// number inserted. Throws Db::DbError.
int drawKind(const QSqlDatabase &db, int paperKind, const QString &table, int questionKind,
             QRandomGenerator &random);
// SQLite stores '' in any text column: nothing to set. Kept so that the creation reads as one
// sequence of steps.
void allowZeroLengthColumns(const QSqlDatabase &db, const QString &table);

// Makes a new paper of a paper kind in one transaction: a left-over table of the new name is
// dropped with its history row, the history row is appended, the paper table is created and
// every switched-on kind of the question-kind table is drawn into it. On any failure nothing is
// left behind and PaperError says which step failed.
NewPaper createPaper(StudyData &data, int paperKind, const QDate &today, QRandomGenerator &random);

// The exam data set of a paper: every row, ordered by kind, then id.
QString paperQuery(const QString &table);
// A new paper starts unanswered: every E2_1 becomes ''. Throws Db::DbError.
void clearAnswers(const QSqlDatabase &db, const QString &table);

// Questions of the paper without an answer (E2_1 '' or NULL). Throws Db::DbError.
int unansweredCount(const QSqlDatabase &db, const QString &table);
// The paper's score: the sum of B3 of the kind over the questions whose stored answer equals the
// correct one (letter case ignored). Throws Db::DbError.
double paperScore(const QSqlDatabase &db, int paperKind, const QString &table);

// The two exam settings of tab_plan's first row.
struct Settings
{
    int leastMark = 0;   // keep threshold, points
    qint64 examTime = 0; // time limit, seconds
};
Settings readSettings(const QSqlDatabase &db);
// Writes both settings to the first row of tab_plan; throws Db::DbError (nothing written).
void saveSettings(const QSqlDatabase &db, int leastMark, qint64 examTime);

// What a new paper of a paper kind will be, told before it is drawn: the subject, the questions
// each switched-on kind draws (no more than its pool holds), their points and the time limit.
struct Outline
{
    QString subject;
    int questions = 0;
    double fullMark = 0;
    qint64 examTime = 0; // seconds
};
Outline paperOutline(const QSqlDatabase &db, int paperKind);
// "注册安全工程师·安全生产技术\n共80题，满分100分，限时150分钟".
QString outlineText(const Outline &outline);

// Grading in one transaction: the score, the history row's A6 and D2, the study time.
struct Grade
{
    double score = 0;
    bool discardOnClose = false; // LeastMark > score
};
Grade gradePaper(StudyData &data, int paperKind, const QString &table, const QString &timeUsed);

// The score as the review shows it: the shortest general form (85, 72.5).
QString scoreText(double score);

// The history's figures.
struct HistoryFigures
{
    int papers = 0;
    int passed = 0;
    int average = 0;
};
// A paper passes at 60 % of the full mark, rounded down in two steps.
int passThreshold(int totalPaperScore);
HistoryFigures historyFigures(const QSqlDatabase &db, int passThreshold);
// Removes a kept paper: its table and history row, and the history row also when the table is
// already gone. One transaction. Throws Db::DbError.
void deletePaper(StudyData &data, const QString &table);

} // namespace Paper
