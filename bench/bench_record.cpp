// Recording one judged answer on the 100,000-question bank (question row and every counter in
// one transaction), against the floor: the same statements through the SQLite C API.
#include "BenchSupport.h"
#include "data/AnswerRecord.h"
#include "data/Clock.h"
#include "data/Database.h"
#include "data/StudyData.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QSqlRecord>
#include <benchmark/benchmark.h>
#include <memory>
#include <sqlite3.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Questions with exam points, spread over the bank.
std::vector<QuestionProgress> loadQuestions(StudyData &study)
{
    std::vector<QuestionProgress> list;
    QSqlQuery q = Db::query(study.connection(), u"select * from tab_answ where rowid % 97 = 1"_s);
    while (q.next())
        list.push_back(QuestionProgress::fromRecord(q.record()));
    return list;
}

void BM_RecordAnswer_Program(benchmark::State &state)
{
    const QString path = benchsupport::workingCopy(benchsupport::syntheticBank(), u"qt.mdb"_s);
    StudyData study;
    if (!study.openDatabase(path)) {
        state.SkipWithError("cannot open the bank");
        return;
    }
    std::vector<QuestionProgress> questions = loadQuestions(study);
    size_t i = 0;
    for (auto _ : state) {
        QuestionProgress &q = questions[i++ % questions.size()];
        // Alternate the answer so that every call is a new answer and moves every counter.
        const QString answer = q.runAnswer == u"A"_s ? u"B"_s : u"A"_s;
        recordJudgedAnswer(study, u"tab_answ"_s, q, answer);
    }
    state.SetItemsProcessed(state.iterations());
}

struct Stmt
{
    sqlite3_stmt *s = nullptr;
    Stmt(sqlite3 *db, const QByteArray &sql)
    {
        sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr);
    }
    ~Stmt() { sqlite3_finalize(s); }
    void run()
    {
        sqlite3_step(s);
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
    }
};

void bindText(sqlite3_stmt *s, int i, const QByteArray &text)
{
    sqlite3_bind_text(s, i, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void exec(sqlite3 *db, const QByteArray &sql)
{
    sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
}

// The floor: the same statements, prepared once where their text is fixed, on a second copy.
void BM_RecordAnswer_SQLiteFloor(benchmark::State &state)
{
    const QString path = benchsupport::workingCopy(benchsupport::syntheticBank(), u"c.mdb"_s);
    std::vector<QuestionProgress> questions;
    {
        StudyData study;
        study.openDatabase(path);
        questions = loadQuestions(study);
    }
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    exec(db, "PRAGMA journal_mode=WAL");
    exec(db, "PRAGMA synchronous=FULL");
    {
        Stmt begin(db, "SAVEPOINT unit1");
        Stmt release(db, "RELEASE unit1");
        Stmt day(db, "INSERT INTO tab_rz (A1,A2,A3,B1,B2) VALUES (?,1,?,1,?) ON CONFLICT(A1) DO "
                     "UPDATE SET A2=coalesce(A2,0)+1,A3=coalesce(A3,0)+?,B1=coalesce(B1,0)+?,"
                     "B2=coalesce(B2,0)+?");
        Stmt chapter(db, "UPDATE tab_kmmc SET C4=coalesce(C4,0)+?,D1=coalesce(D1,0)+1,"
                         "D2=coalesce(D2,0)+? WHERE C1 IN (?,?,?,?,?,?)");
        Stmt row(db, "update \"tab_answ\" set E1=?,E2=?,E2_1=?,E3=?,E4=? where A1=?");
        const QByteArray today = StudyData::dateText(Clock::today()).toUtf8();
        // The exam-point statements, one per list length, as the program keeps them.
        std::unique_ptr<Stmt> points[11], chapters[11], groups[11];
        for (int n = 1; n <= 10; ++n) {
            QByteArray marks = "?";
            for (int k = 1; k < n; ++k)
                marks += ",?";
            const QByteArray set =
                " set q2=coalesce(q2,0)+1,q1=coalesce(q1,0)+?,q4=coalesce(q4,0)+?";
            const QByteArray rule = "update tab_rule" + set + " where ftid in (" + marks + ")";
            const QByteArray fgmc = "update tab_fgmc" + set + " where id in (" + marks + ")";
            points[n] = std::make_unique<Stmt>(db, rule);
            chapters[n] = std::make_unique<Stmt>(db, fgmc);
            groups[n] = std::make_unique<Stmt>(db, fgmc);
        }
        size_t i = 0;
        for (auto _ : state) {
            QuestionProgress &q = questions[i++ % questions.size()];
            const QString answer = q.runAnswer == u"A"_s ? u"B"_s : u"A"_s;
            const bool wrong = answer != q.correct;
            begin.run();
            bindText(day.s, 1, today);
            for (int b = 2; b <= 6; ++b)
                sqlite3_bind_int(day.s, b, b == 5 ? 0 : wrong);
            day.run();
            sqlite3_bind_int(chapter.s, 1, 0);
            sqlite3_bind_int(chapter.s, 2, wrong);
            for (int len = 6; len >= 1; --len)
                bindText(chapter.s, 3 + 6 - len, q.chapter.left(len).toUtf8());
            chapter.run();
            int n = 0;
            while (n < q.points.size() && !q.points.at(n).isEmpty())
                ++n;
            if (n > 0) {
                Stmt *const stmts[] = {points[n].get(), chapters[n].get(), groups[n].get()};
                for (int t = 0; t < 3; ++t) {
                    sqlite3_stmt *s = stmts[t]->s;
                    sqlite3_bind_int(s, 1, 0);
                    sqlite3_bind_int(s, 2, wrong);
                    for (int k = 0; k < n; ++k) {
                        const QString &code = q.points.at(k);
                        bindText(s, k + 3, (t == 0 ? code : code.left(t == 1 ? 6 : 2)).toUtf8());
                    }
                    stmts[t]->run();
                }
            }
            bindText(row.s, 1, today);
            bindText(row.s, 2, answer.toUtf8());
            bindText(row.s, 3, answer.toUtf8());
            sqlite3_bind_int(row.s, 4, q.count + 1);
            sqlite3_bind_int(row.s, 5, q.wrongLevel);
            bindText(row.s, 6, q.id.toUtf8());
            row.run();
            release.run();
            q.runAnswer = answer;
            q.count += 1;
        }
    }
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_RecordAnswer_Program)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_RecordAnswer_SQLiteFloor)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchsupport::runBenchmarks(argc, argv);
    return 0;
}
