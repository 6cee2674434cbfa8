// The start window: the full-screen main menu, its command dispatcher and the background music.
#include "app/StartWindow.h"

#include "app/AboutWindow.h"
#include "app/BackupWindow.h"
#include "app/Startup.h"
#include "data/AppGlobals.h"
#include "data/Clock.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "exam/ExamSettingsWindow.h"
#include "exam/ExamWindow.h"
#include "exam/Paper.h"
#include "exam/PaperHistoryWindow.h"
#include "exampoints/CatalogueWindow.h"
#include "practice/ChapterBrowser.h"
#include "progress/ChartWindow.h"
#include "progress/DailyTarget.h"
#include "progress/PlanWindow.h"
#include "progress/SoundAndTimeSettingsWindow.h"
#include "progress/StudyLogWindow.h"
#include "ui/BackgroundMusic.h"
#include "ui/MenuWidget.h"
#include "ui/MessageBox.h"
#include "ui/MidiPlayer.h"
#include "ui/PageViewer.h"
#include "ui/ProgressWindow.h"
#include "ui/PromptDialog.h"
#include "upgrade/UpgradeWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <exception>

using namespace Qt::StringLiterals;

StartWindow *startWindow = nullptr;

namespace {

// The hourglass over the whole application, restored by release() or at the end of the scope.
class HourglassCursor
{
public:
    void set()
    {
        if (!m_on) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            m_on = true;
        }
    }
    void release()
    {
        if (m_on) {
            QApplication::restoreOverrideCursor();
            m_on = false;
        }
    }
    ~HourglassCursor() { release(); }

private:
    bool m_on = false;
};

// The settings window opened for answer times only: the music controls are hidden and the
// answer-time part moves up.
void showAnswerTimesOnly(QDialog &settings)
{
    for (const char *name : {"musicCaption", "trackCaption", "musicSwitch", "trackList"}) {
        if (auto *w = settings.findChild<QWidget *>(QLatin1String(name)))
            w->hide();
    }
    if (auto *w = settings.findChild<QWidget *>(u"answerTimesCaption"_s))
        w->move(w->x(), 4);
    if (auto *w = settings.findChild<QWidget *>(u"answerTimesArea"_s))
        w->setGeometry(w->x(), 22, w->width(), 110);
    if (auto *w = settings.findChild<QWidget *>(u"closeButton"_s))
        w->move(280, 137);
}

// A failure the user can do nothing about: a short message in Chinese for the user, the
// technical detail (often the database engine's English text) on the error output.
void reportFailure(QWidget *parent, const std::exception &e)
{
    qWarning("studyaid: %s", e.what());
    showMessageBox(parent, u"错误"_s, Db::failureMessage(e, u"发生错误！"_s),
                   QMessageBox::Critical);
}

} // namespace

StartWindow::StartWindow(QWidget *parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(u"StartWindow"_s);
    setWindowTitle(Startup::applicationTitle());

    m_menu = new MenuWidget(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_menu);
    connect(m_menu, &MenuWidget::commandChosen, this, &StartWindow::runMenuCommand);
    connect(m_menu, &MenuWidget::firstPainted, this, &StartWindow::menuShown);

    m_musicPlayer = new MidiPlayer(this);
    m_musicPlayer->setObjectName(u"musicPlayer"_s);
    // The music player is the start window's; other windows switch it through the service.
    BackgroundMusic::setSwitch(
        [this](const QString &fileName, bool on) { playBackgroundMusic(fileName, on); });

    m_openUrl = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    m_runModal = [](QDialog &dialog) { return dialog.exec(); };
    buildCommandTable();
    chooseDisplayMode();
}

StartWindow::~StartWindow()
{
    BackgroundMusic::setSwitch({});
    if (startWindow == this)
        startWindow = nullptr;
}

void StartWindow::chooseDisplayMode()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen || qRound(screen->logicalDotsPerInchX()) != 96) {
        showMessageBox(nullptr, u"提示"_s, u"推荐您在小字体下使用本软件，请在设置后重新运行！"_s,
                       QMessageBox::Warning);
        m_terminate = true;
        return;
    }
    const QSize size = screen->size();
    App::displayMode = App::displayModeFor(size.width(), size.height());
    if (App::displayMode == u"800"_s)
        resize(800, 600);
    else
        resize(1024, 768);
}

void StartWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        loadMenu();
    }
}

void StartWindow::loadMenu()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(screen->geometry());
    if (App::currentPaperKind == 0)
        App::currentPaperKind = 1;
    if (studyData && studyData->connected()) {
        try {
            App::loadAnswerTimeTable(studyData->connection(), App::currentPaperKind,
                                     App::answerTimeTable);
        } catch (const Db::DbError &e) {
            reportFailure(this, e);
        }
    }
    m_menu->setBackgroundPicture(App::programFolder + u"pic/bg_start.bmp"_s);
    if (m_menuDescription) {
        m_menu->setDescription(*m_menuDescription);
        m_menu->play();
    } else if (m_menu->load(App::programFolder + u"pic/main.json"_s)) {
        m_menu->play();
    }
}

void StartWindow::closeEvent(QCloseEvent *event)
{
    // Closed by the desktop (Alt+F4, the window menu): the daily-target check of 退出 decides.
    if (!m_quitConfirmed && !confirmQuit()) {
        event->ignore();
        return;
    }
    // The database is released and failures doing so are ignored.
    m_musicPlayer->stop();
    if (studyData)
        studyData->close();
    event->accept();
}

void StartWindow::activateFromOutside()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
    // A modal window open over the menu comes forward too.
    if (QWidget *modal = QApplication::activeModalWidget()) {
        modal->setWindowState(modal->windowState() & ~Qt::WindowMinimized);
        modal->raise();
        modal->activateWindow();
    }
}

std::function<void()> StartWindow::windowCommand(const QString &feature, Hourglass hourglass,
                                                 WindowFactory factory)
{
    if (!factory) {
        return [feature] {
            showPrompt(u"提示"_s, feature + u"功能正在建设中，敬请期待！"_s, 1, 0, u"NO"_s);
        };
    }
    return [this, hourglass, factory = std::move(factory)] { openModal(factory, hourglass); };
}

void StartWindow::openModal(const WindowFactory &factory, Hourglass hourglass)
{
    // Hidden behind the window, the menu is not animated further: it is drawn once as it ends.
    if (m_menu)
        m_menu->finishPlaying();
    HourglassCursor cursor;
    if (hourglass != Hourglass::None)
        cursor.set();
    std::unique_ptr<QDialog> dialog = factory(this);
    if (hourglass == Hourglass::WhileCreating) {
        cursor.release();
    } else if (hourglass == Hourglass::WhileLoading) {
        // Once the modal loop runs the window has shown and loaded: the user gets the arrow.
        QTimer::singleShot(0, dialog.get(), [&cursor] { cursor.release(); });
    }
    m_runModal(*dialog);
}

void StartWindow::openPage(const QString &relativePath)
{
    // The desktop's program for web pages, or, when the desktop has none, a viewer of our own:
    // a chosen page always shows.
    const QUrl page = QUrl::fromLocalFile(App::programFolder + relativePath);
    if (m_openUrl(page))
        return;
    openModal([page](QWidget *parent) { return std::make_unique<PageViewer>(page, parent); },
              Hourglass::None);
}

void StartWindow::buildCommandTable()
{
    const auto loading = Hourglass::WhileLoading;
    // "lx" opens the chapter browser on its first row, "lx2" .. "lx5" on the second .. fifth
    // subject: the same window, reached per subject from the menu.
    const auto chapterBrowser = [this, loading](int subject) {
        return windowCommand(u"章节练习"_s, loading, [subject](QWidget *parent) {
            auto browser = std::make_unique<ChapterBrowser>(parent);
            browser->startOnSubject(subject);
            return browser;
        });
    };
    const auto examPoints = windowCommand(u"考点学习"_s, loading, [](QWidget *parent) {
        return std::make_unique<CatalogueWindow>(parent);
    });
    // The sound and answer-time settings window; "sztime" opens it with the answer times only.
    const WindowFactory settings = [](QWidget *parent) {
        return std::make_unique<SoundAndTimeSettingsWindow>(parent);
    };
    const WindowFactory answerTimes = [settings](QWidget *parent) {
        std::unique_ptr<QDialog> dialog = settings(parent);
        showAnswerTimesOnly(*dialog);
        return dialog;
    };

    m_commands = {
        {u"ksdg"_s, examPoints},
        {u"zsd"_s, examPoints},
        {u"lx"_s, chapterBrowser(0)},
        {u"lx2"_s, chapterBrowser(2)},
        {u"lx3"_s, chapterBrowser(3)},
        {u"lx4"_s, chapterBrowser(4)},
        {u"lx5"_s, chapterBrowser(5)},
        {u"szjh"_s,
         windowCommand(u"学习计划"_s, loading,
                       [](QWidget *parent) { return std::make_unique<PlanWindow>(parent); })},
        {u"szks"_s, windowCommand(u"考试设置"_s, loading,
                                  [](QWidget *parent) {
                                      return std::make_unique<ExamSettingsWindow>(parent);
                                  })},
        {u"rz"_s,
         windowCommand(u"学习日志"_s, Hourglass::WhileCreating,
                       [](QWidget *parent) { return std::make_unique<StudyLogWindow>(parent); })},
        {u"tj"_s,
         windowCommand(u"统计图表"_s, loading,
                       [](QWidget *parent) { return std::make_unique<ChartWindow>(parent); })},
        {u"sj"_s,
         windowCommand(u"题库升级"_s, Hourglass::None,
                       [](QWidget *parent) { return std::make_unique<UpgradeWindow>(parent); })},
        {u"bf"_s,
         windowCommand(u"数据备份"_s, Hourglass::WhileCreating,
                       [](QWidget *parent) { return std::make_unique<BackupWindow>(parent); })},
        {u"music"_s,
         [open = windowCommand(u"背景音乐"_s, Hourglass::None, settings)] {
             App::settingsVariant = 0;
             open();
         }},
        {u"sztime"_s,
         [open = windowCommand(u"答题时间"_s, Hourglass::None, answerTimes)] {
             App::settingsVariant = 1;
             open();
         }},
        {u"fg"_s, [this] { openPage(u"htm/法律法规.htm"_s); }},
        {u"help"_s, [this] { openPage(u"htm/help.html"_s); }},
        {u"lxfs"_s, [this] { openPage(u"htm/发行站及专业书店联系方式.htm"_s); }},
        {u"lnst"_s, [this] { openPage(u"htm/lnst.htm"_s); }},
        {u"about"_s,
         windowCommand(u"关于"_s, Hourglass::None,
                       [](QWidget *parent) { return std::make_unique<AboutWindow>(parent); })},
        {u"quit"_s, [this] { dailyTargetCheck(); }},
        {u"cj"_s, windowCommand(u"试卷历史"_s, loading,
                                [](QWidget *parent) {
                                    return std::make_unique<PaperHistoryWindow>(parent);
                                })},
    };
    for (int kind = 1; kind <= 5; ++kind) {
        const QString word = kind == 1 ? u"mnks"_s : u"mnks"_s + QString::number(kind);
        m_commands.insert(word, [this, kind] {
            // A timed paper starts only once the candidate has seen what it is.
            if (!ExamWindow::askToStart(kind))
                return;
            startMockExam(kind);
            App::currentPaperKind = kind;
        });
    }
}

void StartWindow::runMenuCommand(const QString &command, const QString &args)
{
    Q_UNUSED(args);
    const auto it = m_commands.constFind(command);
    if (it == m_commands.constEnd())
        return;
    try {
        (*it)();
    } catch (const std::exception &e) {
        // A window that fails while opening leaves the menu running.
        reportFailure(this, e);
    }
}

void StartWindow::startMockExam(int paperKind)
{
    progressWindow()->showText(u"正在初始化数据..."_s);
    App::currentPaperKind = paperKind;
    studyData->useKindTable(paperKind);
    // The history row, the paper table and the drawn questions land together or not at all.
    progressWindow()->showText(u"正在建立数据表..."_s);
    Paper::NewPaper paper;
    try {
        paper = Paper::createPaper(*studyData, paperKind, Clock::today(), Clock::random());
    } catch (const Paper::PaperError &e) {
        qWarning("studyaid: %s", e.what());
        stopForPaper(e.failure());
        return;
    }
    progressWindow()->showText(u"正在整理数据..."_s);
    auto exam = std::make_unique<ExamWindow>(this);
    exam->preparePaper(paper.table, paper.title, u"new"_s, 0, u"0:00:00"_s);
    if (exam->openPaper() != 1) {
        // An empty paper is not kept.
        studyData->dropPaper(paper.table);
        stopForPaper(Paper::Failure::Open);
        return;
    }
    progressWindow()->finish();
    m_runModal(*exam);
    exam.reset();
    progressWindow()->finish();
}

void StartWindow::playBackgroundMusic(const QString &fileName, bool on)
{
    if (MidiPlayer::soundCardCount() <= 0) {
        showPrompt(u"提示"_s, u"没发现声卡！"_s, 1, 1, u"NO"_s);
        return;
    }
    bool ok = true;
    if (on) {
        m_musicPlayer->stop();
        ok = m_musicPlayer->play(fileName);
    } else {
        m_musicPlayer->stop();
    }
    if (!ok)
        showPrompt(u"提示"_s, u"无法播放背景音乐！"_s, 1, 1, u"NO"_s);
}

void StartWindow::dailyTargetCheck()
{
    if (!confirmQuit())
        return;
    m_quitConfirmed = true;
    close();
}

bool StartWindow::confirmQuit()
{
    DailyTarget::Result result;
    if (studyData && studyData->connected()) {
        try {
            result = DailyTarget::check(studyData->connection(), Clock::today());
        } catch (const Db::DbError &) {
            // An unreadable plan must not keep the candidate from leaving.
            result.outcome = DailyTarget::Outcome::NoTarget;
        }
    }
    switch (result.outcome) {
    case DailyTarget::Outcome::Below:
        return showMessageBox(
                   this, u"提示"_s,
                   u"还未完成今日学习计划，要退出吗？\n"_s + DailyTarget::progressLine(result),
                   QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
    case DailyTarget::Outcome::Reached:
        showMessageBox(this, u"提示"_s, u"恭喜完成今日学习计划！"_s, QMessageBox::Information);
        break;
    case DailyTarget::Outcome::Exceeded:
        showMessageBox(this, u"提示"_s, u"超额完成学习计划，要注意休息呦！"_s,
                       QMessageBox::Information);
        break;
    case DailyTarget::Outcome::NoTarget:
        break;
    }
    return true;
}
