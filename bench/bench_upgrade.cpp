// Importing a 50,000-question upgrade into the 100,000-question bank as the upgrade window does
// it (checks, backup, appends, counters, one transaction), against the floor: ATTACH and the
// same INSERT ... SELECT statements through the SQLite C API. Each iteration starts from a
// fresh copy of the bank, made outside the timing.
#include "BenchSupport.h"
#include "data/StudyData.h"
#include "upgrade/UpgradeImport.h"

#include <QCoreApplication>
#include <QFile>
#include <QUrl>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

void BM_ImportUpgrade_Program(benchmark::State &state)
{
    const QString bank = benchsupport::syntheticBank();
    const QString upgrade = benchsupport::syntheticUpgrade();
    for (auto _ : state) {
        state.PauseTiming();
        const QString path = benchsupport::workingCopy(bank, u"qt.mdb"_s);
        QFile::remove(UpgradeImport::backupPath(path));
        StudyData study;
        if (!study.openDatabase(path)) {
            state.SkipWithError("cannot open the bank");
            return;
        }
        state.ResumeTiming();
        UpgradeImport import(study);
        const UpgradeImport::Result r = import.run(upgrade);
        import.release();
        if (r.outcome != UpgradeImport::Outcome::Succeeded || r.questionsAdded != 50000) {
            state.SkipWithError(qPrintable(u"import failed: "_s + r.detail));
            return;
        }
        state.PauseTiming();
        study.close();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 50000);
}

void exec(sqlite3 *db, const QByteArray &sql, benchmark::State &state)
{
    char *message = nullptr;
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        state.SkipWithError(message ? message : "sqlite3_exec failed");
        sqlite3_free(message);
    }
}

void BM_ImportUpgrade_SQLiteFloor(benchmark::State &state)
{
    const QString bank = benchsupport::syntheticBank();
    const QString upgrade = benchsupport::syntheticUpgrade();
    // The program's own statements, taken once from a copy of the bank.
    QStringList appends;
    {
        StudyData study;
        study.openDatabase(benchsupport::workingCopy(bank, u"statements.mdb"_s));
        appends = UpgradeImport::appendStatements(study.connection());
    }
    const QByteArray uri = u"file:"_s.toUtf8() + QUrl::toPercentEncoding(upgrade, "/") + "?mode=ro";
    for (auto _ : state) {
        state.PauseTiming();
        const QString path = benchsupport::workingCopy(bank, u"c.mdb"_s);
        sqlite3 *db = nullptr;
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI,
                        nullptr);
        exec(db, "PRAGMA journal_mode=WAL", state);
        // The study database's own durability: every commit flushed, as the program opens it.
        exec(db, "PRAGMA synchronous=FULL", state);
        state.ResumeTiming();
        sqlite3_stmt *attach = nullptr;
        sqlite3_prepare_v2(db, "ATTACH DATABASE ? AS upg", -1, &attach, nullptr);
        sqlite3_bind_text(attach, 1, uri.constData(), int(uri.size()), SQLITE_TRANSIENT);
        sqlite3_step(attach);
        sqlite3_finalize(attach);
        exec(db, "BEGIN", state);
        for (const QString &sql : std::as_const(appends))
            exec(db, sql.toUtf8(), state);
        exec(db, "insert into tab_sj(sjbs,cpbs) select sjbs,cpbs from upg.tab_sj limit 1", state);
        exec(db, "COMMIT", state);
        exec(db, "DETACH DATABASE upg", state);
        state.PauseTiming();
        sqlite3_stmt *count = nullptr;
        sqlite3_prepare_v2(db, "select count(*) from tab_answ", -1, &count, nullptr);
        const bool added =
            sqlite3_step(count) == SQLITE_ROW && sqlite3_column_int(count, 0) == 150000;
        sqlite3_finalize(count);
        if (sqlite3_close(db) != SQLITE_OK || !added)
            state.SkipWithError("the floor did not add the questions");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 50000);
}

BENCHMARK(BM_ImportUpgrade_Program)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ImportUpgrade_SQLiteFloor)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchsupport::runBenchmarks(argc, argv);
    return 0;
}
