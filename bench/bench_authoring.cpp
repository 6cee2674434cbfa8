// Saving the candidate's own questions on the 100,000-question bank: a new question (running
// number, question and content rows, chapter and exam-point counters in one transaction) and an
// edit (content and question rows, q recounted over the bank for each linked point), against the
// floor: the same statements through the SQLite C API.
#include "BenchSupport.h"
#include "authoring/Authoring.h"
#include "data/Database.h"
#include "data/StudyData.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

// A chapter code and two exam-point codes that the bank holds.
struct Sample
{
    QString chapter;
    QStringList points;
    QString editedId;
};

Sample sampleOf(StudyData &study)
{
    Sample s;
    s.chapter =
        Db::scalar(study.connection(), u"select C1 from tab_kmmc where length(C1)=6 limit 1"_s)
            .toString();
    QSqlQuery q = Db::query(study.connection(), u"select ftid from tab_rule limit 2"_s);
    while (q.next())
        s.points.append(q.value(0).toString());
    q.finish();
    s.editedId = Db::scalar(study.connection(), u"select A1 from tab_answ where K3<>'' limit 1"_s)
                     .toString();
    return s;
}

const QByteArray kBody("<p><b>题目</b>正文</p>");

void BM_SaveNewQuestion_Program(benchmark::State &state)
{
    // One copy per process: the library calls each benchmark more than once, and a copy made
    // again over a file whose write-ahead log is still around would not be a clean database.
    static const QString path =
        benchsupport::workingCopy(benchsupport::syntheticBank(), u"new_qt.mdb"_s);
    StudyData study;
    if (!study.openDatabase(path)) {
        state.SkipWithError("cannot open the bank");
        return;
    }
    const Sample s = sampleOf(study);
    Authoring::NewQuestion q;
    q.chapterCode = s.chapter;
    q.kind = 11;
    q.options = 4;
    q.answer = u"A"_s;
    q.points = s.points;
    q.body = kBody;
    for (auto _ : state) {
        Db::Transaction tx(study.connection());
        const int n = Authoring::nextUserNumber(study.connection());
        if (n > Authoring::kMaxUserNumber) {
            // The window refuses the 10,000th question; start the numbers over, untimed.
            state.PauseTiming();
            Db::exec(study.connection(), u"delete from tab_answ where A1 like 'U%'"_s);
            tx.commit();
            state.ResumeTiming();
            continue;
        }
        Authoring::insertQuestion(study.connection(),
                                  Authoring::userQuestionId(q.chapterCode, 11, 4, n), q);
        tx.commit();
    }
    state.SetItemsProcessed(state.iterations());
}

int step(sqlite3 *db, const char *sql, const QList<QByteArray> &texts, int *value = nullptr)
{
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
    for (int i = 0; i < texts.size(); ++i)
        sqlite3_bind_text(s, i + 1, texts[i].constData(), int(texts[i].size()), SQLITE_TRANSIENT);
    const int rc = sqlite3_step(s);
    if (value && rc == SQLITE_ROW)
        *value = sqlite3_column_int(s, 0);
    sqlite3_finalize(s);
    return rc;
}

sqlite3 *openFloor(const QString &path)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    return db;
}

void BM_SaveNewQuestion_SQLiteFloor(benchmark::State &state)
{
    // One copy per process: the library calls each benchmark more than once, and a copy made
    // again over a file whose write-ahead log is still around would not be a clean database.
    static const QString path =
        benchsupport::workingCopy(benchsupport::syntheticBank(), u"new_c.mdb"_s);
    Sample s;
    {
        StudyData study;
        study.openDatabase(path);
        s = sampleOf(study);
    }
    sqlite3 *db = openFloor(path);
    const QByteArray c = s.chapter.toUtf8();
    const QByteArray p1 = s.points.value(0).toUtf8(), p2 = s.points.value(1).toUtf8();
    for (auto _ : state) {
        sqlite3_exec(db, "SAVEPOINT unit", nullptr, nullptr, nullptr);
        int n = 0;
        step(db, "select max(cast(substr(A1,-4) as integer)) from tab_answ where A1 like 'U%'", {},
             &n);
        if (n + 1 > Authoring::kMaxUserNumber) {
            state.PauseTiming();
            sqlite3_exec(db, "delete from tab_answ where A1 like 'U%'", nullptr, nullptr, nullptr);
            sqlite3_exec(db, "RELEASE unit", nullptr, nullptr, nullptr);
            state.ResumeTiming();
            continue;
        }
        const QByteArray id = Authoring::userQuestionId(s.chapter, 11, 4, n + 1).toUtf8();
        step(db, "insert into tab_answ (a1,a2,a2_1,a10,a13,k3,k4,f1) values (?,'A',4,?,11,?,?,2)",
             {id, c, p1, p2});
        step(db, "insert into tab_exer (a1,a15) values (?,?)", {id, kBody});
        step(db, "update tab_kmmc set C3=coalesce(C3,0)+1 where C1 in (?,?,?,?)",
             {c, c.left(4), c.left(2), c.left(1)});
        step(db, "update tab_rule set q=coalesce(q,0)+1 where ftid in (?,?)", {p1, p2});
        step(db, "update tab_fgmc set q=coalesce(q,0)+1 where id in (?,?)",
             {p1.left(6), p2.left(6)});
        step(db, "update tab_fgmc set q=coalesce(q,0)+1 where id in (?,?)",
             {p1.left(2), p2.left(2)});
        sqlite3_exec(db, "RELEASE unit", nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations());
}

void BM_SaveEdit_Program(benchmark::State &state)
{
    // One copy per process: the library calls each benchmark more than once, and a copy made
    // again over a file whose write-ahead log is still around would not be a clean database.
    static const QString path =
        benchsupport::workingCopy(benchsupport::syntheticBank(), u"edit_qt.mdb"_s);
    StudyData study;
    if (!study.openDatabase(path)) {
        state.SkipWithError("cannot open the bank");
        return;
    }
    const Sample s = sampleOf(study);
    Authoring::QuestionEdit edit;
    edit.id = s.editedId;
    edit.body = kBody;
    edit.kind = 11;
    edit.options = 4;
    edit.answer = u"B"_s;
    edit.points = s.points;
    for (auto _ : state)
        Authoring::saveEdit(study.connection(), edit);
    state.SetItemsProcessed(state.iterations());
}

void BM_SaveEdit_SQLiteFloor(benchmark::State &state)
{
    // One copy per process: the library calls each benchmark more than once, and a copy made
    // again over a file whose write-ahead log is still around would not be a clean database.
    static const QString path =
        benchsupport::workingCopy(benchsupport::syntheticBank(), u"edit_c.mdb"_s);
    Sample s;
    {
        StudyData study;
        study.openDatabase(path);
        s = sampleOf(study);
    }
    sqlite3 *db = openFloor(path);
    const QByteArray id = s.editedId.toUtf8();
    const QByteArray p1 = s.points.value(0).toUtf8(), p2 = s.points.value(1).toUtf8();
    for (auto _ : state) {
        sqlite3_exec(db, "SAVEPOINT unit", nullptr, nullptr, nullptr);
        step(db, "update tab_exer set A15=?,jx=null where A1=?", {kBody, id});
        step(db,
             "update tab_answ set A2='B',A2_1=4,A13=11,K3=?,K4=?,K5='',K6='',K7='',K8='',K9='',"
             "K10='',K11='',K12='',ecount=coalesce(ecount,0)+1 where A1=?",
             {p1, p2, id});
        for (const QByteArray &p : {p1, p2}) {
            step(db,
                 "update tab_rule set q=(select count(*) from tab_answ where ? COLLATE NOCASE "
                 "in (K3,K4,K5,K6,K7,K8,K9,K10,K11,K12)) where ftid=?",
                 {p, p});
        }
        sqlite3_exec(db, "RELEASE unit", nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(BM_SaveNewQuestion_Program)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_SaveNewQuestion_SQLiteFloor)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_SaveEdit_Program)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_SaveEdit_SQLiteFloor)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchsupport::runBenchmarks(argc, argv);
    return 0;
}
