#include "BenchSupport.h"

#include "data/Database.h"
#include "data/StudyData.h"
#include "practice/QuestionSet.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sqlite3.h>
#include <string>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace benchsupport {

namespace {

// A file in the build's bench-data folder, written by mkbank with the given mode when missing.
QString builtWithMkbank(const QString &fileName, const QString &mode, int count)
{
    const QString dir = QString::fromUtf8(STUDYAID_BUILD_DIR) + u"/bench-data"_s;
    QDir().mkpath(dir);
    const QString path = dir + u'/' + fileName;
    if (!QFile::exists(path)) {
        const QString tool = QString::fromUtf8(STUDYAID_BUILD_DIR) + u"/toolbin/mkbank"_s;
        const int rc = QProcess::execute(tool, {mode, QString::number(count), u"--out"_s, path});
        if (rc != 0) {
            std::fprintf(stderr, "cannot build %s with %s\n", qPrintable(fileName),
                         qPrintable(tool));
            std::exit(1);
        }
    }
    return path;
}

} // namespace

QString syntheticBank(int questions)
{
    return builtWithMkbank(u"synthetic"_s + QString::number(questions) + u".mdb"_s,
                           u"--synthetic"_s, questions);
}

QString syntheticUpgrade(int questions)
{
    return builtWithMkbank(u"upgrade"_s + QString::number(questions) + u".mdb"_s,
                           u"--synthetic-upgrade"_s, questions);
}

QString workingCopy(const QString &database, const QString &name)
{
    static QTemporaryDir dir;
    const QString path = dir.path() + u'/' + name;
    QFile::remove(path);
    QFile::copy(database, path);
    QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

int programPrepareRun(StudyData &data, QuestionSet &set, const QString &practiceQuery,
                      const QString &kindQuery)
{
    QuestionWrites::startRun(data, set, practiceQuery);
    QSqlQuery kinds = Db::query(data.connection(), kindQuery);
    int enabledKinds = 1;
    while (kinds.next())
        enabledKinds += set.countOfKind(kinds.value(0).toInt()) > 0 ? 1 : 0;
    return enabledKinds;
}

std::string floorText(sqlite3_stmt *statement, int column)
{
    const unsigned char *t = sqlite3_column_text(statement, column);
    return t ? std::string(reinterpret_cast<const char *>(t),
                           static_cast<size_t>(sqlite3_column_bytes(statement, column)))
             : std::string();
}

void floorExec(sqlite3 *db, const char *sql)
{
    sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

int floorPrepareRun(sqlite3 *db, const QByteArray &practiceQuery, const QByteArray &kindQuery,
                    std::vector<FloorQuestion> &rows)
{
    floorExec(db, "SAVEPOINT unit");
    floorExec(db, "update tab_answ set E2_1='' where E2_1<>'' or E2_1 is null");
    floorExec(db, "RELEASE unit");
    rows.clear();
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db, practiceQuery.constData(), -1, &s, nullptr);
    const int count = sqlite3_column_count(s);
    auto column = [s, count](const char *name) {
        for (int c = 0; c < count; ++c) {
            if (sqlite3_stricmp(sqlite3_column_name(s, c), name) == 0)
                return c;
        }
        return -1;
    };
    // Each column's position in the query.
    const int id = column("a1"), correct = column("a2"), options = column("a2_1"),
              firstPoint = column("k3"), chapter = column("a10"), kind = column("a13"),
              note = column("a14"), lastDate = column("e1"), lastAnswer = column("e2"),
              runAnswer = column("e2_1"), answers = column("e3"), wrongLevel = column("e4"),
              flag = column("f1"), timedOut = column("csbs"), editCount = column("ecount");
    while (sqlite3_step(s) == SQLITE_ROW) {
        FloorQuestion r;
        r.id = floorText(s, id);
        r.correct = floorText(s, correct);
        r.options = sqlite3_column_int(s, options);
        for (int k = 0; k < 10; ++k)
            r.points[k] = floorText(s, firstPoint + k);
        r.chapter = floorText(s, chapter);
        r.kind = sqlite3_column_int(s, kind);
        r.note = floorText(s, note);
        r.lastDate = floorText(s, lastDate);
        r.lastAnswer = floorText(s, lastAnswer);
        r.runAnswer = floorText(s, runAnswer);
        r.count = sqlite3_column_int(s, answers);
        r.wrongLevel = sqlite3_column_int(s, wrongLevel);
        r.flag = sqlite3_column_int(s, flag);
        r.timedOut = floorText(s, timedOut);
        if (editCount >= 0)
            r.editCount = sqlite3_column_int(s, editCount);
        rows.push_back(std::move(r));
    }
    sqlite3_finalize(s);
    sqlite3_prepare_v2(db, kindQuery.constData(), -1, &s, nullptr);
    int enabledKinds = 1;
    while (sqlite3_step(s) == SQLITE_ROW) {
        const int kind = sqlite3_column_int(s, 0);
        int n = 0;
        for (const FloorQuestion &r : rows)
            n += r.kind == kind ? 1 : 0;
        enabledKinds += n > 0 ? 1 : 0;
    }
    sqlite3_finalize(s);
    return enabledKinds;
}

namespace {

// The console report, keeping each run's CPU time by name to pair programs with floors at the end.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &reports) override
    {
        ConsoleReporter::ReportRuns(reports);
        for (const Run &run : reports) {
            if (run.error_occurred)
                continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Iteration || median) {
                // Single runs first; a median, when repetitions give one, replaces them.
                std::string name = run.run_name.function_name;
                if (!run.run_name.args.empty())
                    name += '/' + run.run_name.args;
                if (median || !m_medians.count(name))
                    m_cpu[name] = run.GetAdjustedCPUTime();
                if (median)
                    m_medians[name] = true;
                m_order.push_back(std::move(name));
            }
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        static const std::string program = "_Program";
        static const std::string floor = "_SQLiteFloor";
        std::map<std::string, bool> printed;
        for (const std::string &name : m_order) {
            const size_t at = name.find(program);
            if (at == std::string::npos || printed[name])
                continue;
            printed[name] = true;
            std::string floorName = name;
            floorName.replace(at, program.size(), floor);
            const auto f = m_cpu.find(floorName);
            if (f == m_cpu.end() || f->second <= 0)
                continue;
            // "BM_PrepareRun_Program/100000" reads as "PrepareRun/100000".
            std::string work = name;
            work.erase(at, program.size());
            if (work.rfind("BM_", 0) == 0)
                work.erase(0, 3);
            std::printf("ratio %s: %.2f\n", work.c_str(), m_cpu.at(name) / f->second);
        }
        std::fflush(stdout);
    }

private:
    std::map<std::string, double> m_cpu;
    std::map<std::string, bool> m_medians;
    std::vector<std::string> m_order;
};

} // namespace

void runBenchmarks(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
}

} // namespace benchsupport
