// The exam-point catalogue on the 100,000-question bank: loading the catalogue grid, opening a
// chapter's points, and preparing the practice run of one point (run answers cleared, every
// question linking the point read, kind table read), each against its floor: the same
// statements stepped through the SQLite C API in the same run.
#include "BenchSupport.h"
#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "exampoints/PointCatalogue.h"
#include "practice/QuestionSet.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// A point of the large section: about 1,570 questions link it (in k3 or k4).
const QString kPoint = u"010101001"_s;
const QString kChapter = u"010101"_s;
const char kLeftOver[] = "update tab_answ set E2_1='A' where rowid % 2000 = 1";
const char kCatalogue[] = "select * from tab_fgmc order by bh";

QString kindQuery()
{
    return u"select A1,B1 from "_s + App::kindTableName(1) + u" order by A1 ASC"_s;
}

sqlite3 *openFloor(const QString &path, int flags)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    return db;
}

using benchsupport::floorExec;
using benchsupport::floorText;

void BM_CatalogueLoad_Program(benchmark::State &state)
{
    StudyData study;
    if (!study.openDatabase(benchsupport::syntheticBank())) {
        state.SkipWithError("cannot open the bank");
        return;
    }
    PointCatalogue::CatalogueModel model;
    for (auto _ : state) {
        // What the window does: the rows read into the grid's model with their padded counters.
        model.load(study.connection());
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.counters["rows"] = model.rowCount();
}

void BM_CatalogueLoad_SQLiteFloor(benchmark::State &state)
{
    sqlite3 *db = openFloor(benchsupport::syntheticBank(), SQLITE_OPEN_READONLY);
    if (!db) {
        state.SkipWithError("cannot open the bank");
        return;
    }
    std::vector<std::string> cells;
    int rows = 0;
    for (auto _ : state) {
        // Prepared each time, as the window reads the catalogue afresh each time.
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db, kCatalogue, -1, &s, nullptr);
        cells.clear();
        rows = 0;
        while (sqlite3_step(s) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(s); ++c)
                cells.push_back(floorText(s, c));
            ++rows;
        }
        sqlite3_finalize(s);
        benchmark::DoNotOptimize(cells.data());
    }
    sqlite3_close(db);
    state.counters["rows"] = rows;
}

void BM_ChapterPoints_Program(benchmark::State &state)
{
    StudyData study;
    if (!study.openDatabase(benchsupport::syntheticBank())) {
        state.SkipWithError("cannot open the bank");
        return;
    }
    PointCatalogue::PointSet set;
    for (auto _ : state) {
        // Opening a chapter: the count for the key-point threshold, then its points.
        const qint64 count = PointCatalogue::countPoints(study.connection(), kChapter);
        set.open(study.connection(), kChapter);
        benchmark::DoNotOptimize(count);
    }
    state.counters["points"] = set.count();
}

void BM_ChapterPoints_SQLiteFloor(benchmark::State &state)
{
    sqlite3 *db = openFloor(benchsupport::syntheticBank(), SQLITE_OPEN_READONLY);
    if (!db) {
        state.SkipWithError("cannot open the bank");
        return;
    }
    const QByteArray chapter = kChapter.toUtf8();
    std::vector<std::string> cells;
    int points = 0;
    for (auto _ : state) {
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db, "select count(*) as icou1 from tab_rule where (id = ?)", -1, &s,
                           nullptr);
        sqlite3_bind_text(s, 1, chapter.constData(), int(chapter.size()), SQLITE_STATIC);
        if (sqlite3_step(s) == SQLITE_ROW)
            benchmark::DoNotOptimize(sqlite3_column_int64(s, 0));
        sqlite3_finalize(s);
        sqlite3_prepare_v2(db, "select * from tab_rule where id=? order by ftid", -1, &s, nullptr);
        sqlite3_bind_text(s, 1, chapter.constData(), int(chapter.size()), SQLITE_STATIC);
        cells.clear();
        points = 0;
        while (sqlite3_step(s) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(s); ++c)
                cells.push_back(floorText(s, c));
            ++points;
        }
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    state.counters["points"] = points;
}

// The program's work: QuestionWrites::startRun on the point's practice query and the kind
// table with the count per kind, as preparePracticeRun does it.
void BM_PointPracticeRun_Program(benchmark::State &state)
{
    const QString path = benchsupport::workingCopy(benchsupport::syntheticBank(), u"pq.mdb"_s);
    StudyData study;
    if (!study.openDatabase(path)) {
        state.SkipWithError("cannot open the bank");
        return;
    }
    const QString query = PointCatalogue::practiceQuery(kPoint);
    QuestionSet set;
    int enabledKinds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Db::exec(study.connection(), QString::fromLatin1(kLeftOver));
        state.ResumeTiming();
        enabledKinds = benchsupport::programPrepareRun(study, set, query, kindQuery());
    }
    state.counters["questions"] = set.totalCount();
    state.counters["kinds"] = enabledKinds;
}

void BM_PointPracticeRun_SQLiteFloor(benchmark::State &state)
{
    const QString path = benchsupport::workingCopy(benchsupport::syntheticBank(), u"pc.mdb"_s);
    sqlite3 *db = openFloor(path, SQLITE_OPEN_READWRITE);
    if (!db) {
        state.SkipWithError("cannot open the bank");
        return;
    }
    floorExec(db, "PRAGMA journal_mode=WAL");
    floorExec(db, "PRAGMA synchronous=FULL"); // as the program opens the study database
    const QByteArray select = PointCatalogue::practiceQuery(kPoint).toUtf8();
    const QByteArray kinds = kindQuery().toUtf8();
    std::vector<benchsupport::FloorQuestion> rows;
    int enabledKinds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        floorExec(db, kLeftOver);
        state.ResumeTiming();
        enabledKinds = benchsupport::floorPrepareRun(db, select, kinds, rows);
    }
    sqlite3_close(db);
    state.counters["questions"] = static_cast<double>(rows.size());
    state.counters["kinds"] = enabledKinds;
}

BENCHMARK(BM_CatalogueLoad_Program)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_CatalogueLoad_SQLiteFloor)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_ChapterPoints_Program)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_ChapterPoints_SQLiteFloor)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_PointPracticeRun_Program)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PointPracticeRun_SQLiteFloor)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchsupport::runBenchmarks(argc, argv);
    return 0;
}
