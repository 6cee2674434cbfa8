// practice_window_shot OUTDIR [800|1024] [DATABASE]: opens the chapter practice window on a copy of
// the fixture database (or the one named) in a few typical states and writes each as a PNG, for
// looking at the layout. Run with QT_QPA_PLATFORM=offscreen (or under xvfb-run).
#include "data/AppGlobals.h"
#include "data/StudyData.h"
#include "practice/PracticeSets.h"
#include "practice/PracticeWindow.h"
#include "practice/QuestionCore.h"
#include "support/TestSupport.h"
#include "ui/Fonts.h"
#include "ui/KeyboardAccess.h"
#include "ui/PromptHook.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QTest>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

using testsupport::savePicture;

void click(QWidget *w, const QString &name)
{
    testsupport::clickIfUsable(w, name);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Fonts::applyApplicationFont();
    KeyboardAccess::install(&app);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: practice_window_shot OUTDIR [800|1024] [DATABASE]\n");
        return 2;
    }
    const QString out = args.at(1);
    QDir().mkpath(out);
    App::displayMode = args.size() > 2 ? args.at(2) : u"1024"_s;

    testsupport::TempProgramFolder folder(args.size() > 3 ? args.at(3) : testsupport::fixtureDb());
    StudyData study;
    if (!folder.isValid() || !study.openInProgramFolder(folder.path())) {
        std::fprintf(stderr, "cannot open the database\n");
        return 1;
    }
    studyData = &study;
    PromptHook::set([](const PromptCall &) { return 1; });
    App::loadAnswerTimeTable(study.connection(), 1, App::answerTimeTable);
    App::currentChapterKey = u"法律知识 第一章 第一节"_s;
    const QString mode = App::displayMode;

    {
        App::practiceQuery = PracticeSets::practiceQuery(PracticeSets::Set::New, u"010101"_s);
        PracticeWindow underTest;
        underTest.setWindowTitle(u"练习新题"_s);
        if (!underTest.preparePracticeRun())
            return 1;
        underTest.show();
        QTest::qWait(300);
        savePicture(&underTest, out, u"practice_window_"_s + mode + u"_start"_s);
        click(&underTest, u"singleOptionC"_s);
        click(&underTest, u"finishButton"_s);
        click(&underTest, u"numberButton2"_s);
        click(&underTest, u"singleOptionA"_s);
        click(&underTest, u"finishButton"_s);
        click(&underTest, u"numberButton4"_s);
        click(&underTest, u"multipleOptionA"_s);
        click(&underTest, u"multipleOptionD"_s);
        QTest::qWait(1200);
        savePicture(&underTest, out, u"practice_window_"_s + mode + u"_multiple"_s);
        click(&underTest, u"numberButton1"_s);
        click(&underTest, u"voidButton"_s);
        click(&underTest, u"answerButton"_s);
        QTest::qWait(800);
        savePicture(&underTest, out, u"practice_window_"_s + mode + u"_panel"_s);
        underTest.close();
    }
    {
        App::practiceQuery = PracticeSets::practiceQuery(PracticeSets::Set::New, u"040101"_s);
        PracticeWindow underTest;
        underTest.setWindowTitle(u"练习新题"_s);
        if (!underTest.preparePracticeRun())
            return 1;
        underTest.show();
        QTest::qWait(300);
        click(&underTest, u"kindButton31"_s);
        if (auto *combo = underTest.findChild<QComboBox *>(u"subjectiveChoice"_s))
            combo->setCurrentIndex(1);
        // The keyboard on 完成: the focus ring.
        underTest.activateWindow();
        if (auto *done = underTest.findChild<QAbstractButton *>(u"finishButton"_s))
            done->setFocus(Qt::TabFocusReason);
        QTest::qWait(2500);
        savePicture(&underTest, out, u"practice_window_"_s + mode + u"_compound"_s);
        underTest.close();
    }
    studyData = nullptr;
    PromptHook::clear();
    return 0;
}
