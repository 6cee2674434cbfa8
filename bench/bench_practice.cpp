// Preparing a chapter practice run: the new questions of a chapter as the chapter browser asks
// for them. Measured: the run's database work as the program does it (run answers cleared,
// question set read, kind table read) on a chapter of 10,900 questions in the 100,000- and the
// 500,000-question bank (the argument), the floor (the same statements through the SQLite C API),
// and the whole preparePracticeRun of the window on section 010101 of the 100,000-question bank.
// Before each iteration 50 questions carry a run answer, as a previous run leaves them.
#include "BenchSupport.h"
#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "practice/PracticeSets.h"
#include "practice/PracticeWindow.h"
#include "practice/QuestionSet.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const char kLeftOver[] = "update tab_answ set E2_1='A' where rowid in (select rowid from tab_answ "
                         "where rowid % 2000 = 1 limit 50)";

QString query()
{
    return PracticeSets::practiceQuery(PracticeSets::Set::New, u"010101"_s);
}

// On the larger bank section 010101 grows with it; chapter 019901, made untimed from 10,900 of
// its questions, has the same size in either bank.
const char kFixedChapter[] = "update tab_answ set A10='019901' where rowid in "
                             "(select rowid from tab_answ where A10='010101' limit 10900)";

QString fixedChapterQuery()
{
    return PracticeSets::practiceQuery(PracticeSets::Set::New, u"019901"_s);
}

// The bank of a benchmark: range(0) questions, with the fixed chapter.
QString preparedBank(const benchmark::State &state, const QString &name)
{
    const QString path = benchsupport::workingCopy(
        benchsupport::syntheticBank(static_cast<int>(state.range(0))), name);
    // Opening once as the program does gives the bank the program's indexes.
    StudyData study;
    if (study.openDatabase(path))
        Db::exec(study.connection(), QString::fromLatin1(kFixedChapter));
    return path;
}

QString kindQuery()
{
    return u"select A1,B1 from "_s + App::kindTableName(1) + u" order by A1 ASC"_s;
}

// The program's work: QuestionWrites::startRun and the kind table with the count per kind.
void BM_PrepareRun_Program(benchmark::State &state)
{
    const QString path = preparedBank(state, u"qt.mdb"_s);
    StudyData study;
    if (!study.openDatabase(path)) {
        state.SkipWithError("cannot open the bank");
        return;
    }
    QuestionSet set;
    int enabledKinds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Db::exec(study.connection(), QString::fromLatin1(kLeftOver));
        state.ResumeTiming();
        enabledKinds =
            benchsupport::programPrepareRun(study, set, fixedChapterQuery(), kindQuery());
    }
    state.counters["questions"] = set.totalCount();
    state.counters["kinds"] = enabledKinds;
}

// The window's preparePracticeRun, kind buttons included (the window is created untimed).
void BM_PreparePracticeRun_Window(benchmark::State &state)
{
    const QString path = benchsupport::workingCopy(benchsupport::syntheticBank(), u"win.mdb"_s);
    StudyData study;
    if (!study.openDatabase(path)) {
        state.SkipWithError("cannot open the bank");
        return;
    }
    studyData = &study;
    App::programFolder = QString::fromUtf8(STUDYAID_BIN_DIR) + u'/';
    App::practiceQuery = query();
    App::currentPaperKind = 1;
    for (auto _ : state) {
        state.PauseTiming();
        Db::exec(study.connection(), QString::fromLatin1(kLeftOver));
        auto underTest = std::make_unique<PracticeWindow>();
        state.ResumeTiming();
        const bool ready = underTest->preparePracticeRun();
        benchmark::DoNotOptimize(ready);
        state.PauseTiming();
        underTest.reset();
        state.ResumeTiming();
    }
    studyData = nullptr;
}

// The floor: the same three statements through the C API, rows read into plain structs.
void BM_PrepareRun_SQLiteFloor(benchmark::State &state)
{
    const QString path = preparedBank(state, u"c.mdb"_s);
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        state.SkipWithError("cannot open the bank");
        return;
    }
    benchsupport::floorExec(db, "PRAGMA journal_mode=WAL");
    benchsupport::floorExec(db, "PRAGMA synchronous=FULL");
    const QByteArray select = fixedChapterQuery().toUtf8();
    const QByteArray kinds = kindQuery().toUtf8();
    std::vector<benchsupport::FloorQuestion> rows;
    int enabledKinds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        benchsupport::floorExec(db, kLeftOver);
        state.ResumeTiming();
        enabledKinds = benchsupport::floorPrepareRun(db, select, kinds, rows);
    }
    sqlite3_close(db);
    state.counters["questions"] = static_cast<double>(rows.size());
    state.counters["kinds"] = enabledKinds;
}

// Clearing the run answers: the statement as first written (every row rewritten) against the
// one the program runs (only rows holding a run answer).
void BM_ClearRunAnswers(benchmark::State &state)
{
    const bool everyRow = state.range(0) == 1;
    const QString path =
        benchsupport::workingCopy(benchsupport::syntheticBank(static_cast<int>(state.range(1))),
                                  everyRow ? u"clear1.mdb"_s : u"clear2.mdb"_s);
    StudyData study;
    if (!study.openDatabase(path)) {
        state.SkipWithError("cannot open the bank");
        return;
    }
    const QString sql = everyRow ? u"Update tab_answ set E2_1= ''"_s
                                 : u"update tab_answ set E2_1='' where E2_1<>'' or E2_1 is null"_s;
    for (auto _ : state) {
        state.PauseTiming();
        Db::exec(study.connection(), QString::fromLatin1(kLeftOver));
        state.ResumeTiming();
        Db::Transaction tx(study.connection());
        Db::exec(study.connection(), sql);
        tx.commit();
    }
    state.SetLabel(everyRow ? "every row" : "rows with a run answer");
}

BENCHMARK(BM_PrepareRun_Program)
    ->Arg(100000)
    ->Arg(500000)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK(BM_PrepareRun_SQLiteFloor)
    ->Arg(100000)
    ->Arg(500000)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK(BM_PreparePracticeRun_Window)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ClearRunAnswers)
    ->ArgsProduct({{1, 0}, {100000, 500000}})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchsupport::runBenchmarks(argc, argv);
    return 0;
}
