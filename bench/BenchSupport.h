// Shared set-up of the benchmarks: the 100,000-question synthetic bank, built once on demand.
#pragma once

#include <QByteArray>
#include <QString>
#include <string>
#include <vector>

class QuestionSet;
class StudyData;
struct sqlite3;
struct sqlite3_stmt;

namespace benchsupport {

// Path of the synthetic bank with `questions` questions, built with mkbank when missing.
QString syntheticBank(int questions = 100000);
// Path of an upgrade of `questions` questions for the synthetic bank, written when missing.
QString syntheticUpgrade(int questions = 50000);
// A fresh working copy of a database in a temporary folder that lives until the process ends.
QString workingCopy(const QString &database, const QString &name);

// A practice run's database work as the program does it: QuestionWrites::startRun on the
// practice query, then the kind table read and its kinds with questions in the set counted,
// "任意" included.
int programPrepareRun(StudyData &data, QuestionSet &set, const QString &practiceQuery,
                      const QString &kindQuery);

// The floors: the program's statements through the SQLite C API.
// A column as UTF-8 text (empty for NULL).
std::string floorText(sqlite3_stmt *statement, int column);
// Runs a statement without reading rows.
void floorExec(sqlite3 *db, const char *sql);

// A question row of a practice set as the floor reads it (the columns of tab_answ).
struct FloorQuestion
{
    std::string id, correct, chapter, note;      // A1 A2 A10 A14
    std::string lastDate, lastAnswer, runAnswer; // E1 E2 E2_1
    std::string timedOut;                        // csbs
    int options = 0, kind = 0;                   // A2_1 A13
    int count = 0, wrongLevel = 0;               // E3 E4
    int flag = 0, editCount = 0;                 // F1 ecount
    std::string points[10];                      // K3 .. K12
};
// A practice run's preparation: the run answers cleared in one unit of work, the practice
// query's rows read (columns found by name; ecount where the query has it), then the kind table
// read and its kinds with questions in the set counted, "任意" included.
int floorPrepareRun(sqlite3 *db, const QByteArray &practiceQuery, const QByteArray &kindQuery,
                    std::vector<FloorQuestion> &rows);

// Runs the benchmarks chosen on the command line with the console report, then prints
// "ratio <work>: X.XX" (CPU time of BM_<work>_Program over BM_<work>_SQLiteFloor, per argument)
// for every pair measured in this run. With repetitions the medians are compared.
void runBenchmarks(int argc, char **argv);

} // namespace benchsupport
