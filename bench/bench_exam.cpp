// A mock-exam paper on the 100,000-question bank: drawing a full paper of paper kind 1 (history
// row, paper table, 70 + 15 questions, opening it for the exam window) and grading it, each
// against the floor: the same statements through the SQLite C API on a copy of the same bank.
#include "BenchSupport.h"
#include "data/AppGlobals.h"
#include "data/Clock.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "exam/Paper.h"
#include "practice/QuestionSet.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const QDate kDay(2026, 3, 10);

void BM_DrawPaper_Program(benchmark::State &state)
{
    const QString path = benchsupport::workingCopy(benchsupport::syntheticBank(), u"draw.mdb"_s);
    StudyData study;
    if (!study.openDatabase(path)) {
        state.SkipWithError("cannot open the bank");
        return;
    }
    studyData = &study;
    App::currentPaperKind = 1;
    study.useKindTable(1);
    QRandomGenerator random(5);
    QuestionSet paper;
    for (auto _ : state) {
        const Paper::NewPaper p = Paper::createPaper(study, 1, kDay, random);
        Paper::clearAnswers(study.connection(), p.table);
        paper.open(study.connection(), Paper::paperQuery(p.table));
        if (paper.totalCount() != 85)
            state.SkipWithError("the paper is not full");
        state.PauseTiming();
        Paper::deletePaper(study, p.table);
        state.ResumeTiming();
    }
    studyData = nullptr;
}

struct Stmt
{
    sqlite3_stmt *s = nullptr;
    Stmt(sqlite3 *db, const QByteArray &sql)
    {
        sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr);
    }
    ~Stmt() { sqlite3_finalize(s); }
    Stmt(const Stmt &) = delete;
    Stmt &operator=(const Stmt &) = delete;
};

void exec(sqlite3 *db, const QByteArray &sql)
{
    sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
}

void bindText(sqlite3_stmt *s, int i, const QByteArray &text)
{
    sqlite3_bind_text(s, i, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

QByteArray marks(qsizetype n)
{
    QByteArray m = "?";
    for (qsizetype i = 1; i < n; ++i)
        m += ",?";
    return m;
}

// The program's score_text(total, wrong), as the data module registers it.
void scoreText(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    const qint64 total = sqlite3_value_int64(argv[0]);
    const qint64 wrong = sqlite3_value_int64(argv[1]);
    const QByteArray text = StudyData::scoreText(total, wrong).toUtf8();
    sqlite3_result_text(ctx, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

sqlite3 *openFloor(const QString &path)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    exec(db, "PRAGMA journal_mode=WAL");
    exec(db, "PRAGMA synchronous=FULL");
    sqlite3_create_function_v2(db, "score_text", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               scoreText, nullptr, nullptr, nullptr);
    return db;
}

// The paper table as the program creates it.
QByteArray createStatement(const QByteArray &table)
{
    return "CREATE TABLE " + table +
           " (A1 TEXT(20) COLLATE NOCASE NOT NULL PRIMARY KEY,A2 TEXT(100) COLLATE NOCASE,A2_1 "
           "SMALLINT,K3 TEXT(12) COLLATE NOCASE,K4 TEXT(12) COLLATE NOCASE,K5 TEXT(12) COLLATE "
           "NOCASE,K6 TEXT(12) COLLATE NOCASE,K7 TEXT(12) COLLATE NOCASE,K8 TEXT(12) COLLATE "
           "NOCASE,K9 TEXT(12) COLLATE NOCASE,K10 TEXT(12) COLLATE NOCASE,K11 TEXT(12) COLLATE "
           "NOCASE,K12 TEXT(12) COLLATE NOCASE,A10 TEXT(6) COLLATE NOCASE,A13 SMALLINT,A14 TEXT "
           "COLLATE NOCASE,E1 DATETIME,E2 TEXT(100) COLLATE NOCASE,E2_1 TEXT(100) COLLATE "
           "NOCASE,E3 SMALLINT,E4 SMALLINT,jx IMAGE,csbs TEXT(2) COLLATE NOCASE,F1 SMALLINT)";
}

// The floor of a paper: the same statements, in the same order, without the program's layers.
void drawFloorPaper(sqlite3 *db, QRandomGenerator &random, int &rows)
{
    QByteArray table = "tab_exam1";
    int sequence = 1;
    {
        Stmt newest(db, "select A1,A3_1 from tab_cj order by A3_1 desc limit 1");
        if (sqlite3_step(newest.s) == SQLITE_ROW) {
            sequence = sqlite3_column_int(newest.s, 1) + 1;
            table = "tab_exam" +
                    QByteArray::number(
                        QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(newest.s, 0)))
                            .mid(8)
                            .toInt() +
                        1);
        }
    }
    {
        Stmt pool(db, "select count(*) from tab_answ where A10 LIKE ? AND f1<>1");
        bindText(pool.s, 1, "01%");
        sqlite3_step(pool.s);
    }
    exec(db, "SAVEPOINT unit");
    {
        Stmt tables(db, "select name from sqlite_master where type='table' order by name");
        while (sqlite3_step(tables.s) == SQLITE_ROW) {
        }
        Stmt history(db, "insert into tab_cj (A1,A3,A3_1,D1) values (?,?,?,?)");
        bindText(history.s, 1, table);
        bindText(history.s, 2,
                 Paper::paperTitle(kDay, Paper::kindInfo(1).subject, sequence).toUtf8());
        sqlite3_bind_int(history.s, 3, sequence);
        bindText(history.s, 4, "2026-03-10");
        sqlite3_step(history.s);
    }
    exec(db, createStatement(table));
    std::vector<int> kinds;
    {
        Stmt tx(db, "select A1,B2 from \"tab_tx1\"");
        while (sqlite3_step(tx.s) == SQLITE_ROW) {
            if (sqlite3_column_double(tx.s, 1) > 0)
                kinds.push_back(sqlite3_column_int(tx.s, 0));
        }
    }
    for (int kind : kinds) {
        const int count = Paper::drawCount(1, kind);
        if (count <= 0)
            continue;
        Stmt pool(db, "select count(*) from tab_answ where A10 LIKE ? AND f1<>1 AND A13=?");
        bindText(pool.s, 1, "01%");
        sqlite3_bind_int(pool.s, 2, kind);
        sqlite3_step(pool.s);
        const QList<int> positions =
            Paper::drawPositions(sqlite3_column_int(pool.s, 0), count, random);
        Stmt pick(db, "select A1 from (select A1,row_number() over (order by E3,rowid)-1 as pos "
                      "from tab_answ where A13=? AND A10 LIKE ? AND f1<>1) where pos in (" +
                          marks(positions.size()) + ")");
        sqlite3_bind_int(pick.s, 1, kind);
        bindText(pick.s, 2, "01%");
        for (int i = 0; i < positions.size(); ++i)
            sqlite3_bind_int(pick.s, i + 3, positions.at(i));
        std::vector<QByteArray> ids;
        while (sqlite3_step(pick.s) == SQLITE_ROW)
            ids.emplace_back(reinterpret_cast<const char *>(sqlite3_column_text(pick.s, 0)));
        Stmt insert(db,
                    "insert into \"" + table +
                        "\"(a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,"
                        "e2_1,E3,E4,JX,CSBS,F1) select a.a1 as a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,"
                        "k10,k11,k12,a10,a13,a14,e1,e2,'' as e2_1,e3,e4,b.jx as jx,a.csbs as csbs,"
                        "a.f1 as f1 from tab_answ a,tab_exer b where a.a1=b.a1 and a.a1 in (" +
                        marks(qsizetype(ids.size())) + ")");
        for (size_t i = 0; i < ids.size(); ++i)
            bindText(insert.s, int(i + 1), ids[i]);
        sqlite3_step(insert.s);
    }
    exec(db, "RELEASE unit");
    exec(db, "update \"" + table + "\" set E2_1=''");
    Stmt open(db, "select * from \"" + table + "\" order by A13,A1");
    rows = 0;
    const int columns = sqlite3_column_count(open.s);
    while (sqlite3_step(open.s) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c)
            benchmark::DoNotOptimize(sqlite3_column_text(open.s, c));
        ++rows;
    }
}

void BM_DrawPaper_SQLiteFloor(benchmark::State &state)
{
    const QString path = benchsupport::workingCopy(benchsupport::syntheticBank(), u"drawc.mdb"_s);
    sqlite3 *db = openFloor(path);
    QRandomGenerator random(5);
    for (auto _ : state) {
        int rows = 0;
        drawFloorPaper(db, random, rows);
        if (rows != 85)
            state.SkipWithError("the paper is not full");
        state.PauseTiming();
        exec(db, "drop table tab_exam1");
        exec(db, "delete from tab_cj");
        state.ResumeTiming();
    }
    sqlite3_close(db);
}

// A drawn paper with about two thirds of its questions answered, and a log row for today.
QString answeredPaper(StudyData &study)
{
    QRandomGenerator random(9);
    const Paper::NewPaper p = Paper::createPaper(study, 1, kDay, random);
    Paper::clearAnswers(study.connection(), p.table);
    Db::exec(study.connection(), u"update "_s + p.table + u" set E2_1=A2 where rowid % 3 <> 0"_s);
    Db::exec(study.connection(), u"insert or ignore into tab_rz (A1,A2,A3,B1,B2,D1) values "
                                 u"('2026-03-10',10,2,8,1,'00:10:00')"_s);
    return p.table;
}

void BM_GradePaper_Program(benchmark::State &state)
{
    const QString path = benchsupport::workingCopy(benchsupport::syntheticBank(), u"grade.mdb"_s);
    StudyData study;
    if (!study.openDatabase(path)) {
        state.SkipWithError("cannot open the bank");
        return;
    }
    studyData = &study;
    App::currentPaperKind = 1;
    study.useKindTable(1);
    Clock::setToday(kDay);
    const QString table = answeredPaper(study);
    for (auto _ : state) {
        const Paper::Grade g = Paper::gradePaper(study, 1, table, u"0:30:00"_s);
        benchmark::DoNotOptimize(g.score);
    }
    Clock::resetToday();
    studyData = nullptr;
}

void BM_GradePaper_SQLiteFloor(benchmark::State &state)
{
    const QString path = benchsupport::workingCopy(benchsupport::syntheticBank(), u"gradec.mdb"_s);
    {
        StudyData study;
        study.openDatabase(path);
        App::currentPaperKind = 1;
        answeredPaper(study);
    }
    sqlite3 *db = openFloor(path);
    for (auto _ : state) {
        exec(db, "SAVEPOINT unit");
        {
            Stmt score(db, "select sum(tab_tx1.B3) as ZFS from \"tab_exam1\",tab_tx1 where "
                           "\"tab_exam1\".A13 = tab_tx1.A1 and \"tab_exam1\".A2 = "
                           "\"tab_exam1\".E2_1 COLLATE NOCASE");
            sqlite3_step(score.s);
            const double total = sqlite3_column_double(score.s, 0);
            Stmt plan(db, "select LeastMark,ExamTime from tab_plan limit 1");
            sqlite3_step(plan.s);
            benchmark::DoNotOptimize(sqlite3_column_int(plan.s, 0) > total);
            Stmt history(db, "update tab_cj set A6=?,D2=? where rowid=(select rowid from tab_cj "
                             "where A1=? limit 1)");
            sqlite3_bind_double(history.s, 1, total);
            bindText(history.s, 2, "0:30:00");
            bindText(history.s, 3, "tab_exam1");
            sqlite3_step(history.s);
            Stmt day(db, "select A2,A3,D1 from tab_rz where A1=?");
            bindText(day.s, 1, "2026-03-10");
            if (sqlite3_step(day.s) == SQLITE_ROW) {
                const QByteArray a4 = StudyData::scoreText(sqlite3_column_int64(day.s, 0),
                                                           sqlite3_column_int64(day.s, 1))
                                          .toUtf8();
                const qint64 seconds =
                    StudyData::timeTextToSeconds(QString::fromUtf8(
                        reinterpret_cast<const char *>(sqlite3_column_text(day.s, 2)))) +
                    1800;
                Stmt log(db, "update tab_rz set A4=?,D1=? where A1=?");
                bindText(log.s, 1, a4);
                bindText(log.s, 2, StudyData::secondsToTimeText(seconds).toUtf8());
                bindText(log.s, 3, "2026-03-10");
                sqlite3_step(log.s);
            }
            exec(db, "update tab_kmmc set C6=score_text(coalesce(D1,0),coalesce(D2,0))");
        }
        exec(db, "RELEASE unit");
    }
    sqlite3_close(db);
}

BENCHMARK(BM_DrawPaper_Program)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_DrawPaper_SQLiteFloor)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_GradePaper_Program)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_GradePaper_SQLiteFloor)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchsupport::runBenchmarks(argc, argv);
    return 0;
}
