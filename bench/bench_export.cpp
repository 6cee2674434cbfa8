// Writing an 85-question paper (70 single and 15 multiple choice, with explanations and exam
// points) out as a .docx document from the 100,000-question bank: what a candidate waits for
// after pressing 生成文档. BM_ExportPaper_BuildDocument is the reading and document building
// alone, BM_ExportPaper_Program the whole export including the zipped file.
// STUDYAID_EXPORT_KEEP=DIR keeps one document in DIR (when it holds none yet), for looking at it.
#include "BenchSupport.h"
#include "data/Database.h"
#include "data/Schema.h"
#include "data/StudyData.h"
#include "export/PaperExport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextDocument>
#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

const QString kPaper = u"tab_exam1"_s;
const QString kTitle = u"2026年12月10日安全生产法及相关法律知识[1]"_s;

// A paper drawn as the mock exam draws it: 70 + 15 questions of subject 01 with their
// explanations copied in.
bool preparePaper(StudyData &study)
{
    const QSqlDatabase db = study.connection();
    try {
        Schema::createPaperTable(db, kPaper);
        const QString columns =
            u"A1, A2, A2_1, K3, K4, K5, K6, K7, K8, K9, K10, K11, K12, A10, A13,"
            u" A14, E1, E2, E2_1, E3, E4, csbs, F1"_s;
        for (const auto &[kind, count] : {std::pair{11, 70}, std::pair{21, 15}}) {
            Db::exec(db,
                     u"INSERT INTO "_s + kPaper + u" ("_s + columns + u", jx) SELECT "_s +
                         QString(u"a."_s + columns).replace(u", "_s, u", a."_s) +
                         u", e.jx FROM tab_answ a JOIN tab_exer e ON e.A1 = a.A1"
                         u" WHERE a.A13 = ? AND a.A10 LIKE '01%' LIMIT ?"_s,
                     {kind, count});
        }
        return Db::scalar(db, u"SELECT count(*) FROM "_s + kPaper).toInt() == 85;
    } catch (const Db::DbError &) {
        return false;
    }
}

void BM_ExportPaper_BuildDocument(benchmark::State &state)
{
    StudyData study;
    if (!study.openDatabase(
            benchsupport::workingCopy(benchsupport::syntheticBank(), u"build.mdb"_s)) ||
        !preparePaper(study)) {
        state.SkipWithError("cannot prepare the paper");
        return;
    }
    int blocks = 0;
    for (auto _ : state) {
        QTextDocument document;
        PaperExport::buildDocument(study.connection(), kPaper, kTitle, u"tab_tx1"_s, document);
        blocks = document.blockCount();
    }
    state.counters["paragraphs"] = blocks;
}

void BM_ExportPaper_Program(benchmark::State &state)
{
    StudyData study;
    if (!study.openDatabase(
            benchsupport::workingCopy(benchsupport::syntheticBank(), u"export.mdb"_s)) ||
        !preparePaper(study)) {
        state.SkipWithError("cannot prepare the paper");
        return;
    }
    QTemporaryDir folder;
    QString last;
    for (auto _ : state) {
        last = PaperExport::exportPaper(study.connection(), kPaper, kTitle, u"tab_tx1"_s,
                                        folder.path());
        state.PauseTiming();
        QFile::remove(last);
        state.ResumeTiming();
    }
    const QString keep = qEnvironmentVariable("STUDYAID_EXPORT_KEEP");
    if (!keep.isEmpty() && QDir(keep).entryList({u"*.docx"_s}).isEmpty()) {
        QDir().mkpath(keep);
        last = PaperExport::exportPaper(study.connection(), kPaper, kTitle, u"tab_tx1"_s, keep);
    }
}

} // namespace

BENCHMARK(BM_ExportPaper_BuildDocument)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ExportPaper_Program)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchsupport::runBenchmarks(argc, argv);
    return 0;
}
