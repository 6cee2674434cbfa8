// A practice window whose pictures are missing: the prompt, then the program ends.
#include "data/AppGlobals.h"
#include "data/StudyData.h"
#include "practice/PracticeSets.h"
#include "practice/PracticeWindow.h"
#include "support/TestSupport.h"
#include "ui/PromptHook.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A program folder with the fixture database and every built picture but one.
class FolderWithout
{
public:
    explicit FolderWithout(const QString &missing)
    {
        QDir root(m_dir.path());
        root.mkpath(u"data"_s);
        root.mkpath(u"pic"_s);
        QFile::copy(testsupport::fixtureDb(), root.filePath(u"data/WTXVEB710448.mdb"_s));
        QFile(root.filePath(u"data/WTXVEB710448.mdb"_s))
            .setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        const QDir pics(testsupport::binDir() + u"pic"_s);
        for (const QString &name : pics.entryList(QDir::Files)) {
            if (name != missing)
                QFile::copy(pics.filePath(name), root.filePath(u"pic/"_s + name));
        }
    }
    QString path() const { return m_dir.path() + u'/'; }

private:
    QTemporaryDir m_dir;
};

// Runs in the child of a death test: prompts are written to stderr, then the window is created
// and, when asked, prepared.
void openWindow(const QString &missing, bool prepare)
{
    // The child ends with std::exit, which skips the locals but still destroys statics: the
    // folder is one, so that it is removed however the child ends.
    static std::unique_ptr<FolderWithout> folder;
    folder = std::make_unique<FolderWithout>(missing);
    StudyData study;
    if (!study.openInProgramFolder(folder->path()))
        std::exit(3);
    studyData = &study;
    static bool prompted = false;
    PromptHook::set([](const PromptCall &call) {
        prompted = true;
        std::fprintf(stderr, "PROMPT %s|%s|%d\n", call.caption.toUtf8().constData(),
                     call.message.toUtf8().constData(), call.icon);
        return 1;
    });
    App::practiceQuery = PracticeSets::practiceQuery(PracticeSets::Set::New, u"010101"_s);
    PracticeWindow underTest;
    if (prepare)
        underTest.preparePracticeRun();
    std::exit(prompted ? 4 : 0); // reached only when nothing was missing
}

} // namespace

TEST(PracticeResourcesDeathTest, AMissingPictureEndsTheProgramAfterThePrompt)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const char *const statePictures[] = {"vornup.bmp", "vorndw.bmp",   "vornyes.bmp",
                                         "vornno.bmp", "vorndw_r.bmp", "vorndw_w.bmp"};
    for (const char *name : statePictures) {
        EXPECT_EXIT(openWindow(QString::fromLatin1(name), false), testing::ExitedWithCode(1),
                    "PROMPT 错误\\|无法提取资源文件！\\|2")
            << name;
    }
    // The kind-button pictures are loaded when the run is prepared.
    for (const char *name : {"vorntxup.bmp", "vorntxdw.bmp"}) {
        EXPECT_EXIT(openWindow(QString::fromLatin1(name), true), testing::ExitedWithCode(1),
                    "PROMPT 错误\\|无法提取资源文件！\\|2")
            << name;
    }
    // With every picture present the same steps end normally, without a prompt.
    EXPECT_EXIT(openWindow(u"none"_s, true), testing::ExitedWithCode(0), "");
}
