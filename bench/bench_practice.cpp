// Preparing a chapter practice run on the 100,000-question bank: the new questions of the large
// section 010101 (about 10,900 questions) as the chapter browser asks for them. Measured: the
// run's database work as the program does it (run answers cleared, question set read, kind table
// read), the whole PreparePracticeRun of the window, and the floor: the same statements through
// the SQLite C API. Before each iteration about 50 questions carry a run answer, as a previous
// run leaves them.
#include "benchsupport.h"
#include "data/appglobals.h"
#include "data/database.h"
#include "data/dm.h"
#include "practice/Ulxxt.h"
#include "practice/practicesets.h"
#include "practice/questionset.h"

#include <QApplication>
#include <QSqlQuery>
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const char kLeftOver[] = "update tab_answ set E2_1='A' where rowid % 2000 = 1";

QString query()
{
    return PracticeSets::practiceQuery(PracticeSets::Set::New, u"010101"_s);
}

QString kindQuery()
{
    return u"select A1,B1 from "_s + App::kindTableName(1) + u" order by A1 ASC"_s;
}

// The program's work: QuestionWrites::startRun and the kind table with the count per kind.
void BM_PrepareRun_Program(benchmark::State &state)
{
    const QString path = benchsupport::workingCopy(benchsupport::syntheticBank(), u"qt.mdb"_s);
    TDM1 dm;
    if (!dm.openDatabase(path)) {
        state.SkipWithError("cannot open the bank");
        return;
    }
    QuestionSet set;
    int enabledKinds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Db::exec(dm.ADOCn1(), QString::fromLatin1(kLeftOver));
        state.ResumeTiming();
        QuestionWrites::startRun(dm, set, query());
        QSqlQuery kinds = Db::query(dm.ADOCn1(), kindQuery());
        enabledKinds = 1;
        while (kinds.next())
            enabledKinds += set.countOfKind(kinds.value(0).toInt()) > 0 ? 1 : 0;
    }
    state.counters["questions"] = set.totalCount();
    state.counters["kinds"] = enabledKinds;
}

// The window's PreparePracticeRun, kind buttons included (the window is created untimed).
void BM_PreparePracticeRun_Window(benchmark::State &state)
{
    const QString path = benchsupport::workingCopy(benchsupport::syntheticBank(), u"win.mdb"_s);
    TDM1 dm;
    if (!dm.openDatabase(path)) {
        state.SkipWithError("cannot open the bank");
        return;
    }
    DM1 = &dm;
    App::programFolder = QString::fromUtf8(STUDYAID_BIN_DIR) + u'/';
    App::practiceQuery = query();
    App::currentPaperKind = 1;
    for (auto _ : state) {
        state.PauseTiming();
        Db::exec(dm.ADOCn1(), QString::fromLatin1(kLeftOver));
        auto frm = std::make_unique<TFrmLxxt>();
        state.ResumeTiming();
        const bool ready = frm->PreparePracticeRun();
        benchmark::DoNotOptimize(ready);
        state.PauseTiming();
        frm.reset();
        state.ResumeTiming();
    }
    DM1 = nullptr;
}

struct Row
{
    std::string a1, a2, a10, e1, e2, e21, csbs;
    int a21 = 0, a13 = 0, e3 = 0, e4 = 0, f1 = 0, ecount = 0;
    std::string a14;
    std::string k[10];
};

std::string text(sqlite3_stmt *s, int col)
{
    const unsigned char *t = sqlite3_column_text(s, col);
    return t ? std::string(reinterpret_cast<const char *>(t),
                           static_cast<size_t>(sqlite3_column_bytes(s, col)))
             : std::string();
}

void run(sqlite3 *db, const char *sql)
{
    sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

// The floor: the same three statements through the C API, rows read into plain structs.
void BM_PrepareRun_SQLiteFloor(benchmark::State &state)
{
    const QString path = benchsupport::workingCopy(benchsupport::syntheticBank(), u"c.mdb"_s);
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        state.SkipWithError("cannot open the bank");
        return;
    }
    run(db, "PRAGMA journal_mode=WAL");
    run(db, "PRAGMA synchronous=FULL");
    const QByteArray select = query().toUtf8();
    const QByteArray kinds = kindQuery().toUtf8();
    std::vector<Row> rows;
    int enabledKinds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        run(db, kLeftOver);
        state.ResumeTiming();
        run(db, "SAVEPOINT unit");
        run(db, "update tab_answ set E2_1='' where E2_1<>'' or E2_1 is null");
        run(db, "RELEASE unit");
        rows.clear();
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db, select.constData(), -1, &s, nullptr);
        while (sqlite3_step(s) == SQLITE_ROW) {
            // Columns: a1,a2,a2_1,k3..k12,a10,a13,a14,e1,e2,e2_1,e3,e4,f1,xx,csbs,ecount
            Row r;
            r.a1 = text(s, 0);
            r.a2 = text(s, 1);
            r.a21 = sqlite3_column_int(s, 2);
            for (int k = 0; k < 10; ++k)
                r.k[k] = text(s, 3 + k);
            r.a10 = text(s, 13);
            r.a13 = sqlite3_column_int(s, 14);
            r.a14 = text(s, 15);
            r.e1 = text(s, 16);
            r.e2 = text(s, 17);
            r.e21 = text(s, 18);
            r.e3 = sqlite3_column_int(s, 19);
            r.e4 = sqlite3_column_int(s, 20);
            r.f1 = sqlite3_column_int(s, 21);
            r.csbs = text(s, 23);
            r.ecount = sqlite3_column_int(s, 24);
            rows.push_back(std::move(r));
        }
        sqlite3_finalize(s);
        sqlite3_prepare_v2(db, kinds.constData(), -1, &s, nullptr);
        enabledKinds = 1;
        while (sqlite3_step(s) == SQLITE_ROW) {
            const int kind = sqlite3_column_int(s, 0);
            int n = 0;
            for (const Row &r : rows)
                n += r.a13 == kind ? 1 : 0;
            enabledKinds += n > 0 ? 1 : 0;
        }
        sqlite3_finalize(s);
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
    const QString path = benchsupport::workingCopy(benchsupport::syntheticBank(),
                                                   everyRow ? u"clear1.mdb"_s : u"clear2.mdb"_s);
    TDM1 dm;
    if (!dm.openDatabase(path)) {
        state.SkipWithError("cannot open the bank");
        return;
    }
    const QString sql = everyRow ? u"Update tab_answ set E2_1= ''"_s
                                 : u"update tab_answ set E2_1='' where E2_1<>'' or E2_1 is null"_s;
    for (auto _ : state) {
        state.PauseTiming();
        Db::exec(dm.ADOCn1(), QString::fromLatin1(kLeftOver));
        state.ResumeTiming();
        Db::Transaction tx(dm.ADOCn1());
        Db::exec(dm.ADOCn1(), sql);
        tx.commit();
    }
    state.SetLabel(everyRow ? "every row" : "rows with a run answer");
}

BENCHMARK(BM_PrepareRun_Program)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PrepareRun_SQLiteFloor)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PreparePracticeRun_Window)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ClearRunAnswers)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
