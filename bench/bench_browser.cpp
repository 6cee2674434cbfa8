// Opening the chapter browser's data on the 100,000-question bank: the chapter grid read into
// its model with the totals over the syllabus summed while reading, against the floor: the grid
// and the totals statements stepped through the SQLite C API. A third figure shows the whole
// window being shown.
#include "BenchSupport.h"
#include "data/AppGlobals.h"
#include "data/StudyData.h"
#include "practice/ChapterBrowser.h"
#include "practice/ChapterGridModel.h"
#include "practice/PracticeSets.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

void BM_BrowserData_Program(benchmark::State &state)
{
    StudyData study;
    if (!study.openDatabase(benchsupport::syntheticBank())) {
        state.SkipWithError("cannot open the bank");
        return;
    }
    ChapterGridModel model;
    qint64 rows = 0;
    for (auto _ : state) {
        // What the browser does on show: the grid model read, the totals summed meanwhile.
        model.reload(study.connection());
        rows = model.rowCount();
        benchmark::DoNotOptimize(model.totals().questions);
    }
    state.counters["grid_rows"] = double(rows);
}

void BM_BrowserData_SQLiteFloor(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(benchsupport::syntheticBank().toUtf8().constData(), &db,
                        SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        state.SkipWithError("cannot open the bank");
        return;
    }
    const QByteArray grid = PracticeSets::gridQuery().toUtf8();
    const QByteArray totals = PracticeSets::totalsQuery().toUtf8();
    qint64 rows = 0;
    for (auto _ : state) {
        // Prepared each time, as the program prepares each time it opens the browser.
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db, grid.constData(), -1, &s, nullptr);
        rows = 0;
        while (sqlite3_step(s) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(s); ++c)
                benchmark::DoNotOptimize(sqlite3_column_text(s, c));
            ++rows;
        }
        sqlite3_finalize(s);
        sqlite3_prepare_v2(db, totals.constData(), -1, &s, nullptr);
        if (sqlite3_step(s) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_int64(s, 0));
            benchmark::DoNotOptimize(sqlite3_column_int64(s, 1));
            benchmark::DoNotOptimize(sqlite3_column_int64(s, 2));
        }
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    state.counters["grid_rows"] = double(rows);
}

// The whole show of the window: layout, grid read, totals, drawing off screen.
void BM_BrowserShow_Window(benchmark::State &state)
{
    StudyData study;
    if (!study.openDatabase(benchsupport::syntheticBank())) {
        state.SkipWithError("cannot open the bank");
        return;
    }
    studyData = &study;
    App::displayMode = u"1024"_s;
    {
        ChapterBrowser underTest;
        for (auto _ : state) {
            underTest.show();
            QApplication::processEvents();
            underTest.hide();
        }
    }
    studyData = nullptr;
}

BENCHMARK(BM_BrowserData_Program)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_BrowserData_SQLiteFloor)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_BrowserShow_Window)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchsupport::runBenchmarks(argc, argv);
    return 0;
}
