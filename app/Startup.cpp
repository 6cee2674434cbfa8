// Start-up of the program: title, single instance, menu file, data module, windows, event loop.
//
// Environment variables for testing and measuring the built program (none is needed to run it):
//   STUDYAID_TRACE=1             prints shell events on stderr ("activated", "menu-shown <ms>",
//                                "message: <caption>|<text>") and answers every prompt and
//                                message box at once with its first button instead of waiting
//   STUDYAID_QUIT_AFTER_MENU=1   ends the program (exit code 0) once the menu has been painted
//                                and the checks that follow its first paint are done;
//                                "paint" ends it at the first paint, before those checks
//   STUDYAID_COMMAND=<word>      sends the command word once the menu is up, as if chosen
//   STUDYAID_SNAPSHOT=<file.png> saves a picture of the screen once the menu has played (with
//                                STUDYAID_COMMAND: while the window or prompt it opened is up),
//                                then ends
//   STUDYAID_PRACTICE=<row>      once the menu is up, opens the chapter browser, starts 练习新题
//                                on that row of its list, and with the practice window up prints
//                                "practice-window <title> peak-rss <kB>" (with STUDYAID_SNAPSHOT
//                                the picture is taken then), then ends
//
// With STUDYAID_TRACE the start also prints "start-checked <ms>" once the checks that follow the
// menu's first paint are done.
#include "app/Startup.h"

#include "app/LinkedWindows.h"

#include "app/SingleInstance.h"
#include "app/StartWindow.h"
#include "data/AppGlobals.h"
#include "data/PrivateFiles.h"
#include "data/StudyData.h"
#include "data/UserData.h"
#include "ui/Fonts.h"
#include "ui/HeaderDrag.h"
#include "ui/KeyboardAccess.h"
#include "ui/MenuWidget.h"
#include "ui/MessageBox.h"
#include "ui/ProgressWindow.h"
#include "ui/PromptDialog.h"
#include "ui/PromptHook.h"
#include "ui/WindowParts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QTableView>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

#ifndef STUDYAID_VERSION
#define STUDYAID_VERSION "0.1"
#endif

namespace Startup {

namespace {

// Until the checks that follow the menu's first paint have run, the first input of the user
// (or a close from the desktop) runs them before it is handled.
class InputGate : public QObject
{
public:
    explicit InputGate(std::function<bool()> check) : m_check(std::move(check)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
        case QEvent::Close:
            // The input is dropped when the start ended over it.
            return !m_check();
        default:
            return QObject::eventFilter(watched, event);
        }
    }

private:
    std::function<bool()> m_check;
};

struct Session
{
    std::unique_ptr<SingleInstance> instance;
    std::unique_ptr<QTranslator> qtTexts; // removes itself from the application when freed
    bool traceHook = false;
    // What the checks after the menu's first paint need.
    QString folder;
    QString databasePath;
    QElapsedTimer clock;
    bool checked = false;
    QPointer<InputGate> gate;
};
std::unique_ptr<Session> session;

bool traceOn()
{
    return qEnvironmentVariableIntValue("STUDYAID_TRACE") != 0;
}

void trace(const QString &line)
{
    if (!traceOn())
        return;
    std::fprintf(stderr, "studyaid: %s\n", line.toUtf8().constData());
    std::fflush(stderr);
}

// Trace mode: every prompt is written out and answered with its first button.
void installTraceHook()
{
    if (!traceOn() || PromptHook::active())
        return;
    PromptHook::set([](const PromptCall &call) {
        trace(u"message: "_s + call.caption + u'|' + call.message);
        if (call.kind == PromptCall::Prompt)
            return call.buttons == 1 ? 3 : 1;
        return int(QMessageBox::Ok);
    });
    session->traceHook = true;
}

void saveScreen(const QString &fileName)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    const QPixmap shot = screen ? screen->grabWindow(0) : QPixmap();
    const bool ok = !shot.isNull() && shot.save(fileName, "PNG");
    trace(u"snapshot "_s + fileName + (ok ? u" saved"_s : u" failed"_s));
}

// The peak resident memory of this process in kB (VmHWM), or -1.
qint64 peakResidentKb()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// STUDYAID_PRACTICE: the chapter browser opened from the menu starts 练习新题 on a row of its
// list; with the practice window up a while, its title and the peak memory are printed and the
// program ends.
void openPracticeWindow(StartWindow *start, int row)
{
    QTimer::singleShot(600, qApp, [row] {
        QWidget *browser = QApplication::activeModalWidget();
        auto *list = browser ? browser->findChild<QTableView *>(u"chapterGrid"_s) : nullptr;
        auto *button =
            browser ? browser->findChild<QAbstractButton *>(u"newQuestionsButton"_s) : nullptr;
        if (!list || !button || !list->model() || row >= list->model()->rowCount()) {
            trace(u"practice: no chapter browser with that row"_s);
            QCoreApplication::exit(1);
            return;
        }
        list->setCurrentIndex(list->model()->index(row, 0));
        QTimer::singleShot(1500, qApp, [browser] {
            QWidget *practice = QApplication::activeModalWidget();
            if (!practice || practice == browser) {
                trace(u"practice: no practice window"_s);
                QCoreApplication::exit(1);
                return;
            }
            trace(u"practice-window "_s + practice->windowTitle() + u" peak-rss "_s +
                  QString::number(peakResidentKb()));
            const QString snapshot = qEnvironmentVariable("STUDYAID_SNAPSHOT");
            if (!snapshot.isEmpty())
                saveScreen(snapshot);
            QCoreApplication::exit(0);
        });
        button->click();
    });
    trace(u"command lx"_s);
    start->runMenuCommand(u"lx"_s, QString());
}

// The developer hooks that measure start-up, drive the menu and take pictures of the program.
void installDeveloperHooks(StartWindow *start, const QElapsedTimer &clock)
{
    // Ending after the checks that follow the first paint is left to run().
    const bool quitAtPaint = qEnvironmentVariable("STUDYAID_QUIT_AFTER_MENU") == u"paint"_s;
    const bool quitAfterChecks = qEnvironmentVariableIntValue("STUDYAID_QUIT_AFTER_MENU") != 0;
    const QString snapshot = qEnvironmentVariable("STUDYAID_SNAPSHOT");
    const QString command = qEnvironmentVariable("STUDYAID_COMMAND");
    bool practiceRowGiven = false;
    const int practiceRow = qEnvironmentVariableIntValue("STUDYAID_PRACTICE", &practiceRowGiven);
    QObject::connect(start, &StartWindow::menuShown, start, [=] {
        trace(u"menu-shown "_s + QString::number(clock.elapsed()));
        if (quitAtPaint) {
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
            return;
        }
        if (quitAfterChecks)
            return;
        if (practiceRowGiven) {
            QTimer::singleShot(0, start,
                               [start, practiceRow] { openPracticeWindow(start, practiceRow); });
            return;
        }
        if (snapshot.isEmpty() && command.isEmpty())
            return;
        // A picture waits for the opening animation, which lasts well under two seconds.
        QTimer::singleShot(snapshot.isEmpty() ? 0 : 2000, start, [=] {
            if (!snapshot.isEmpty()) {
                // Taken while the command's window or prompt is up, then the program ends.
                QTimer::singleShot(command.isEmpty() ? 0 : 900, qApp, [snapshot] {
                    saveScreen(snapshot);
                    QCoreApplication::exit(0);
                });
            }
            if (!command.isEmpty()) {
                trace(u"command "_s + command);
                start->runMenuCommand(command, QString());
            }
        });
    });
}

// The second line of "无法连接数据库！": what is wrong with the study database file, named
// where it lies (the build's data folder or the user's own); `error` is the opening's own.
QString databaseFailureText(Db::OpenFailure failure, const QString &databasePath,
                            const QString &error)
{
    const QString file = QDir::toNativeSeparators(databasePath);
    if (failure != Db::OpenFailure::Damaged && Db::pathTooLong(databasePath))
        return u"学习数据库的路径太长（%1 "
               u"个字符），无法打开：%2\n请把程序或数据文件夹移到路径较短的位置"
               u"后再运行，学习记录没有改动。"_s.arg(databasePath.size())
                   .arg(file);
    switch (failure) {
    case Db::OpenFailure::Damaged: {
        const QString missing = Db::missingPartText(error);
        return u"学习数据库文件已损坏"_s +
               (missing.isEmpty() ? QString() : u"（"_s + missing + u"）"_s) +
               u"，请用备份替换 "_s + file + u"。"_s;
    }
    case Db::OpenFailure::ReadOnly:
        return u"学习数据库文件是只读的（或属于其他用户），无法保存学习记录。"_s;
    case Db::OpenFailure::InUse:
        return u"学习数据库正被其他程序使用，请关闭该程序后再试。"_s;
    case Db::OpenFailure::Missing:
        return u"找不到学习数据库文件 "_s + file + u"。"_s;
    case Db::OpenFailure::NotAFile:
        return u"学习数据库 "_s + file +
               u" 不是普通文件（而是链接、文件夹或设备），程序没有使用也没有改动它。"_s;
    case Db::OpenFailure::None:
    case Db::OpenFailure::Other:
        break;
    }
    return {};
}

// The study database failed its checks: the newest backup that passes them is offered in its
// place. Accepted, the damaged file is kept in backups/ as it lies and the data module opens the
// restored one; declined or failed, nothing is changed and the caller reports the damage.
void offerNewestBackup(const QString &databasePath, const QString &programFolder)
{
    const UserData::BackupEntry newest = UserData::newestGoodBackup(databasePath);
    if (newest.path.isEmpty())
        return;
    const UserData::Inspection seen = UserData::inspect(newest.path, false);
    const QString when = newest.taken.toString(u"yyyy-MM-dd HH:mm"_s);
    const QString question =
        u"学习数据库文件已损坏，无法使用。\n是否用最新的完整备份恢复？\n"
        u"备份时间：%1，作答 %2 次。\n损坏的文件会原样保留在 backups 文件夹中。"_s.arg(when)
            .arg(seen.answers);
    if (showMessageBox(nullptr, u"提示"_s, question, QMessageBox::Question,
                       QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    const UserData::Restored r = UserData::restore(databasePath, newest.path, nullptr);
    if (r.outcome != UserData::Restored::Done) {
        trace(u"restore at start failed: "_s + r.why);
        return;
    }
    trace(u"restored "_s + newest.path + u", damaged file kept as "_s + r.kept);
    studyData->openInProgramFolder(programFolder, databasePath);
}

QString folderWithSlash(const QString &folder)
{
    QString f = QDir::fromNativeSeparators(folder);
    if (!f.endsWith(u'/'))
        f += u'/';
    return f;
}

// Reports a study database that cannot be used, the way every failed start does.
void reportDatabaseFailure(const QString &reason)
{
    showMessageBox(nullptr, u"错误"_s,
                   u"无法连接数据库！"_s + (reason.isEmpty() ? QString() : u'\n' + reason),
                   QMessageBox::Critical);
}

// What follows the menu's first paint, before any input is handled: the quick check of the
// study database (the whole file is read), then its daily backup, and the window icon. A
// damaged database takes the menu away again: the newest good backup is offered, and without
// it the program ends as a start with a damaged database does. False when the program ends.
bool checkAfterFirstPaint()
{
    if (!session || session->checked)
        return session != nullptr;
    session->checked = true; // also while a prompt below runs its own event loop
    if (session->gate) {
        qApp->removeEventFilter(session->gate);
        session->gate->deleteLater();
    }
    const QString icon = session->folder + u"pic/app_icon.png"_s;
    if (QFileInfo(icon).isFile())
        QApplication::setWindowIcon(QIcon(icon));
    if (!studyData || !startWindow)
        return false;
    if (!studyData->checkDatabase()) {
        trace(studyData->lastError());
        const Db::OpenFailure failure = studyData->openFailure();
        startWindow->hide();
        studyData->close();
        if (failure == Db::OpenFailure::Damaged)
            offerNewestBackup(session->databasePath, session->folder);
        if (!studyData->connected()) {
            reportDatabaseFailure(
                databaseFailureText(failure, session->databasePath, studyData->lastError()));
            // Closed from the event loop: this may run inside an input event for the menu.
            QTimer::singleShot(0, qApp, [] { finish(); });
            QCoreApplication::exit(1);
            return false;
        }
        // The restored database: the menu comes back with its answer times.
        try {
            App::loadAnswerTimeTable(studyData->connection(), App::currentPaperKind,
                                     App::answerTimeTable);
        } catch (const Db::DbError &e) {
            trace(e.message());
        }
        startWindow->show();
        startWindow->activateWindow();
    }
    // The daily backup: of a database that passed its checks, before the session writes to it.
    QString why;
    if (!UserData::dailyBackup(session->databasePath, &why)) {
        trace(u"daily backup failed: "_s + why);
        // Told once, at the start it failed on: the session goes on without today's copy.
        showMessageBox(nullptr, u"提示"_s,
                       u"今天的自动备份没有完成（备份文件夹 "_s +
                           QDir::toNativeSeparators(UserData::backupFolder(session->databasePath)) +
                           u" 无法写入或磁盘已满）。\n学习记录没有受影响，可以照常学习；"
                           u"请检查该文件夹后重新启动本程序再做备份。"_s,
                       QMessageBox::Warning);
    }
    trace(u"start-checked "_s + QString::number(session->clock.elapsed()));
    return true;
}

} // namespace

QString applicationTitle()
{
    return u"注册安全工程师·造价工程师 考试学习系统"_s;
}

QString applicationVersion()
{
    return QStringLiteral(STUDYAID_VERSION);
}

int run(const Options &options)
{
    QElapsedTimer clock;
    clock.start();
    finish();
    session = std::make_unique<Session>();
    session->clock = clock;
    installTraceHook();
    const QString folder = folderWithSlash(options.programFolder);

    // 1. The application title: the start window's caption. It is not made the display name,
    // which the desktop would append to every window title ("错误 — ..."): a message box's
    // title is its caption alone.
    QCoreApplication::setApplicationVersion(applicationVersion());
    Fonts::applyApplicationFont();
    if (auto *app = qobject_cast<QApplication *>(QCoreApplication::instance()))
        KeyboardAccess::install(app);
    HeaderDrag::install(qApp);
    // Qt's own texts (the buttons of the system message box, the editors' context menus) in
    // Chinese, from Qt's translations when they are installed.
    session->qtTexts = std::make_unique<QTranslator>();
    if (session->qtTexts->load(u"qtbase_zh_CN"_s,
                               QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(session->qtTexts.get());
    else
        trace(u"Qt's Chinese translations are not installed"_s);
    // The window icon is set once the menu has been painted: reading it looks through Qt's image
    // plugins first.

    // 2. One running copy per program folder and user: a later start brings the first one
    // forward. A start that cannot reach a running copy never ends without saying why.
    session->instance = std::make_unique<SingleInstance>(folder);
    bool lockHeld = true;
    switch (session->instance->acquire()) {
    case SingleInstance::Acquire::First:
        break;
    case SingleInstance::Acquire::Unavailable:
        trace(u"no private runtime folder for the single-instance lock: starting without it"_s);
        lockHeld = false;
        break;
    case SingleInstance::Acquire::HeldByOther: {
        const SingleInstance::Activation answer = session->instance->requestActivation();
        if (answer == SingleInstance::Activation::Answered) {
            trace(u"already running: asked it to come forward"_s);
            finish();
            return 0;
        }
        if (answer == SingleInstance::Activation::NotRunning && session->instance->takeOver()) {
            trace(u"left-over lock of a copy that is gone: taken over"_s);
            break;
        }
        trace(u"already running: it did not answer"_s);
        showMessageBox(nullptr, u"提示"_s,
                       u"本程序已经在运行，但没有响应。请切换到正在运行的程序，或稍后再试。"_s,
                       QMessageBox::Information);
        finish();
        return 1;
    }
    }

    // 3. The menu description must be present and readable.
    QString why;
    const std::optional<MenuDescription> menu =
        MenuDescription::load(folder + u"pic/main.json"_s, &why);
    if (!menu) {
        trace(why);
        showMessageBox(nullptr, u"提示"_s,
                       u"本程序的菜单文件 pic/main.json 缺失或已损坏，程序无法启动。\n"
                       u"请重新安装本程序，学习记录不受影响。"_s,
                       QMessageBox::Warning);
        finish();
        return 1;
    }

    // 4. The data module and the study database. An installed program's database is the user's
    // own copy of the shipped one; a left-over -wal is copied aside before anything opens it.
    // Waiting for another program's lock on it shows the hourglass.
    WindowParts::BusyCursor::showWhileDatabaseWaits();
    const QString ownFolder = folder + u"data/"_s;
    const QString dataFolder =
        options.dataFolder.isEmpty() ? ownFolder : folderWithSlash(options.dataFolder);
    const QString databasePath = dataFolder + QLatin1StringView(UserData::kDatabaseName);
    QString dataWhy;
    bool dataReady = true;
    Db::OpenFailure dataFailure = Db::OpenFailure::Missing;
    // A link, a folder or a device under the database's name is refused before anything is
    // touched.
    const PrivateFiles::Kind kind = PrivateFiles::kindOf(databasePath);
    if (kind == PrivateFiles::Kind::Folder || kind == PrivateFiles::Kind::Other) {
        dataReady = false;
        dataFailure = Db::OpenFailure::NotAFile;
        dataWhy = u"not a regular file: "_s + databasePath;
    } else if (lockHeld) {
        // Copies cut short when an earlier run ended, which no other copy is writing now.
        for (const QString &path : UserData::removeLeftovers(databasePath))
            trace(u"removed the left-over "_s + path);
    }
    if (dataReady && dataFolder != ownFolder) {
        const auto prepared = UserData::prepareDatabase(
            ownFolder + QLatin1StringView(UserData::kDatabaseName), databasePath, &dataWhy);
        dataReady = prepared == UserData::Prepared::Ready;
        if (prepared == UserData::Prepared::Failed)
            dataFailure = Db::OpenFailure::Other;
    }
    if (dataReady && !UserData::setAsideLeftoverWal(databasePath, &dataWhy)) {
        dataReady = false;
        dataFailure = Db::OpenFailure::Other;
    }
    studyData = new StudyData;
    // The quick check, which reads the whole file, follows the menu's first paint.
    if (dataReady &&
        !studyData->openInProgramFolder(folder, databasePath, StudyData::QuickCheck::Later) &&
        studyData->openFailure() == Db::OpenFailure::Damaged)
        offerNewestBackup(databasePath, folder);
    if (!dataReady || !studyData->connected()) {
        trace(dataReady ? studyData->lastError() : dataWhy);
        QString reason =
            databaseFailureText(dataReady ? studyData->openFailure() : dataFailure, databasePath,
                                dataReady ? studyData->lastError() : dataWhy);
        if (!dataReady && dataFailure == Db::OpenFailure::Other && !Db::pathTooLong(databasePath))
            reason = u"无法在您的数据文件夹 "_s + QDir::toNativeSeparators(dataFolder) +
                     u" 中准备学习数据库（文件夹无法写入或磁盘已满），学习记录没有改动。"_s;
        delete studyData;
        studyData = nullptr;
        reportDatabaseFailure(reason);
        finish();
        return 1;
    }

    session->folder = folder;
    session->databasePath = databasePath;

    // 5. The start window, the progress window and the prompt dialog.
    App::linkWindows();
    startWindow = new StartWindow;
    if (startWindow->terminationRequested()) {
        finish();
        return 1;
    }
    startWindow->setMenuDescription(*menu);
    sharedProgressWindow = new ProgressWindow;
    if (!sharedPromptDialog)
        sharedPromptDialog = new PromptDialog;
    QObject::connect(session->instance.get(), &SingleInstance::activationRequested, startWindow,
                     [] {
                         trace(u"activated"_s);
                         startWindow->activateFromOutside();
                     });
    installDeveloperHooks(startWindow, clock);
    // The checks that follow the first paint run from the event loop, or at the first input. A
    // start measured to the menu's first paint ends there (STUDYAID_QUIT_AFTER_MENU=paint).
    session->gate = new InputGate([] { return checkAfterFirstPaint(); });
    qApp->installEventFilter(session->gate);
    if (qEnvironmentVariable("STUDYAID_QUIT_AFTER_MENU") != u"paint"_s) {
        const bool quit = qEnvironmentVariableIntValue("STUDYAID_QUIT_AFTER_MENU") != 0;
        QObject::connect(startWindow, &StartWindow::menuShown, startWindow, [quit] {
            QTimer::singleShot(0, qApp, [quit] {
                if (checkAfterFirstPaint() && quit)
                    QCoreApplication::exit(0);
            });
        });
    }
    startWindow->show();
    startWindow->activateWindow();

    if (!options.runEventLoop)
        return kStarted;
    const int code = QApplication::exec();
    finish();
    return code;
}

void finish()
{
    delete startWindow; // also when its close handler did not run
    startWindow = nullptr;
    delete sharedProgressWindow;
    sharedProgressWindow = nullptr;
    delete sharedPromptDialog;
    sharedPromptDialog = nullptr;
    if (studyData) {
        studyData->close();
        delete studyData;
        studyData = nullptr;
    }
    if (session) {
        if (session->traceHook)
            PromptHook::clear();
        if (session->gate) {
            qApp->removeEventFilter(session->gate);
            session->gate->deleteLater();
        }
        session.reset();
    }
}

} // namespace Startup
