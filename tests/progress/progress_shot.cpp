// progress_shot OUTDIR 800|1024 [DATABASE]: answers questions of several chapters in the chapter
// practice window on four days running (a copy of the shipped bank, or the database named), then
// saves pictures of the study log, the three charts, the plan and the settings windows, a printed
// chart as PDF, and the answered database (OUTDIR/answered.mdb), for looking at the layouts.
// Run with QT_QPA_PLATFORM=offscreen (or under xvfb-run).
#include "data/AppGlobals.h"
#include "data/Clock.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "practice/PracticeSets.h"
#include "practice/PracticeWindow.h"
#include "progress/ChartWindow.h"
#include "progress/PlanWindow.h"
#include "progress/SoundAndTimeSettingsWindow.h"
#include "progress/StudyLogWindow.h"
#include "support/TestSupport.h"
#include "ui/BackgroundMusic.h"
#include "ui/ChartWidget.h"
#include "ui/Fonts.h"
#include "ui/PromptHook.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTest>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

using testsupport::savePicture;
bool click(QWidget *w, const QString &name)
{
    return testsupport::clickIfUsable(w, name);
}

// Answers up to count new questions of a chapter: a choice picked by turn, "会" or "不会" for a
// subjective question; every fourth answer is meant to be a guess.
void practise(PracticeSets::Set set, const QString &chapter, int count, int seed)
{
    App::practiceQuery = PracticeSets::practiceQuery(set, chapter);
    PracticeWindow underTest;
    underTest.setWindowTitle(u"练习新题"_s);
    if (!underTest.preparePracticeRun())
        return;
    underTest.show();
    QApplication::processEvents();
    const QString letters = u"ABCD"_s;
    for (int i = 0; i < count; ++i) {
        if (!click(&underTest, u"numberButton"_s + QString::number(i + 1)))
            break;
        const QString letter = letters.at((i * 7 + seed) % 4);
        if (!click(&underTest, u"singleOption"_s + letter)) {
            if (click(&underTest, u"multipleOptionA"_s))
                click(&underTest, u"multipleOption"_s + letter);
            else if (!click(&underTest, i % 2 ? u"rightOption"_s : u"wrongOption"_s)) {
                if (auto *combo = underTest.findChild<QComboBox *>(u"subjectiveChoice"_s))
                    combo->setCurrentIndex((i + seed) % 3 ? 1 : 0);
            }
        }
        click(&underTest, u"finishButton"_s);
        QTest::qWait(40);
    }
    underTest.close();
}

void chooseChart(ChartWindow &window, int item)
{
    if (auto *r =
            window.findChild<QRadioButton *>(u"chartTypeGroupItem"_s + QString::number(item))) {
        QTest::mouseClick(r, Qt::LeftButton, {}, QPoint(8, r->height() / 2));
        QTest::qWait(50);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Fonts::applyApplicationFont();
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: progress_shot OUTDIR 800|1024 [DATABASE]\n");
        return 2;
    }
    const QString out = args.at(1);
    QDir().mkpath(out);
    App::displayMode = args.at(2);
    testsupport::TempProgramFolder folder(args.size() > 3 ? args.at(3) : testsupport::shippedDb());
    StudyData study;
    if (!folder.isValid() || !study.openInProgramFolder(folder.path())) {
        std::fprintf(stderr, "cannot open the database\n");
        return 1;
    }
    studyData = &study;
    App::programFolder = folder.path();
    PromptHook::set([](const PromptCall &) { return 1; });
    App::loadAnswerTimeTable(study.connection(), 1, App::answerTimeTable);
    BackgroundMusic::setSwitch([](const QString &, bool) {});

    const QDate today = QDate::currentDate();
    // Each day new questions of six chapters, and the wrong ones of the day before again.
    QStringList chapters;
    QSqlQuery q =
        Db::query(study.connection(), u"select C1 from tab_kmmc where length(C1)=6 order by bh"_s);
    while (q.next())
        chapters.append(q.value(0).toString());
    for (int day = 0; day < 4; ++day) {
        Clock::setToday(today.addDays(day - 3));
        for (int c = day * 6; c < day * 6 + 6 && c < chapters.size(); ++c)
            practise(PracticeSets::Set::New, chapters.at(c), 3 + (day + c) % 4, day + c);
        for (int c = (day - 1) * 6; day > 0 && c < day * 6 && c < chapters.size(); ++c)
            practise(PracticeSets::Set::Wrong, chapters.at(c), 3, day + c + 1);
    }
    Clock::setToday(today);

    const QString mode = App::displayMode;
    {
        StudyLogWindow window;
        window.show();
        QTest::qWait(100);
        savePicture(&window, out, u"log_"_s + mode);
    }
    {
        ChartWindow window;
        window.show();
        QTest::qWait(100);
        savePicture(&window, out, u"chart_frequency_"_s + mode);
        chooseChart(window, 0);
        savePicture(&window, out, u"chart_distribution_"_s + mode);
        if (auto *r = window.findChild<QRadioButton *>(u"legendPositionGroupItem1"_s)) {
            QTest::mouseClick(r, Qt::LeftButton, {}, QPoint(8, r->height() / 2));
            savePicture(&window, out, u"chart_distribution_bottom_"_s + mode);
        }
        chooseChart(window, 2);
        savePicture(&window, out, u"chart_progress_"_s + mode);
        if (auto *flat = window.findChild<QAbstractButton *>(u"view3DCheck"_s))
            flat->click();
        savePicture(&window, out, u"chart_progress_flat_"_s + mode);
        chooseChart(window, 0);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QDir(out).filePath(u"chart_printed_"_s + mode + u".pdf"_s));
        window.printChart(printer);
    }
    {
        PlanWindow window;
        window.show();
        QTest::qWait(50);
        savePicture(&window, out, u"plan_"_s + mode);
        click(&window, u"setButton"_s);
        savePicture(&window, out, u"plan_editing_"_s + mode);
    }
    for (int variant : {0, 1}) {
        App::settingsVariant = variant;
        SoundAndTimeSettingsWindow window;
        window.show();
        QTest::qWait(50);
        savePicture(&window, out, u"config_"_s + QString::number(variant) + u'_' + mode);
    }
    studyData = nullptr;
    study.close();
    QFile::remove(QDir(out).filePath(u"answered.mdb"_s));
    QFile::copy(folder.databasePath(), QDir(out).filePath(u"answered.mdb"_s));
    PromptHook::clear();
    return 0;
}
