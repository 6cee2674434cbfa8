// The start window: the command dispatcher, the menu (layout, animation, keyboard, assistive
// names), the exit check, the music switch, the progress and about windows, and start-up.
#include "app/AboutWindow.h"
#include "app/StartWindow.h"
#include "app/Startup.h"
#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "data/UserData.h"
#include "exam/Paper.h"
#include "practice/ChapterBrowser.h"
#include "support/StudyLogCheck.h"
#include "support/TestSupport.h"
#include "ui/HeaderDrag.h"
#include "ui/MenuWidget.h"
#include "ui/MidiPlayer.h"
#include "ui/PageViewer.h"
#include "ui/ProgressWindow.h"
#include "ui/PromptDialog.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <cmath>
#include <memory>
#include <sys/stat.h>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using testsupport::FixedToday;
using testsupport::PromptCatcher;
using testsupport::saveShot;
using testsupport::TempProgramFolder;

namespace {

const QDate kToday(2026, 12, 10);

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

QString promptText(const PromptCall &c)
{
    return c.caption + u'|' + c.message + u'|' + QString::number(c.buttons) + u'|' +
           QString::number(c.icon) + u'|' + c.variant;
}

} // namespace

class TestStartWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TempProgramFolder> folder;
    std::unique_ptr<StudyData> study;
    std::unique_ptr<StartWindow> start;
    // What the dispatcher did: windows run modally (class name, "+hourglass" when the wait
    // cursor was on while it ran) and pages opened (relative to the program folder).
    QStringList windows;
    QStringList pages;
    std::function<void(QDialog &)> onWindow;

    void openStudyDatabase()
    {
        folder = std::make_unique<TempProgramFolder>();
        QVERIFY(folder->isValid());
        study = std::make_unique<StudyData>();
        QVERIFY(study->openInProgramFolder(folder->path()));
        studyData = study.get();
    }

    void createStart()
    {
        openStudyDatabase();
        start = std::make_unique<StartWindow>();
        QVERIFY(!start->terminationRequested());
        start->setModalRunner([this](QDialog &d) {
            const QCursor *c = QApplication::overrideCursor();
            const bool hourglass = c && c->shape() == Qt::WaitCursor;
            windows.append(QString::fromLatin1(d.metaObject()->className()) +
                           (hourglass ? u"+hourglass"_s : QString()));
            if (onWindow)
                onWindow(d);
            return int(QDialog::Rejected);
        });
        start->setUrlOpener([this](const QUrl &url) {
            const QString path = url.toLocalFile();
            pages.append(path.startsWith(folder->path()) ? path.mid(folder->path().size()) : path);
            return true;
        });
    }

    void showStart()
    {
        createStart();
        start->show();
        QVERIFY(QTest::qWaitForWindowExposed(start.get()));
    }

    void setPlan(int mark, int amount, int time, int answers, const QString &spent)
    {
        const QSqlDatabase db = studyData->connection();
        Db::exec(db, u"update tab_plan set PlanMark=?, PlanAmount=?, PlanTime=?"_s,
                 {mark, amount, time});
        Db::exec(db, u"delete from tab_rz where A1=?"_s, {StudyData::dateText(kToday)});
        Db::exec(db, u"insert into tab_rz (A1, A2, D1) values (?, ?, ?)"_s,
                 {StudyData::dateText(kToday), answers, spent});
    }

private slots:
    void init()
    {
        windows.clear();
        pages.clear();
        onWindow = nullptr;
        App::currentPaperKind = 0;
        App::settingsVariant = 0;
    }

    void cleanup()
    {
        start.reset();
        studyData = nullptr;
        study.reset();
        folder.reset();
        Startup::finish();
        QVERIFY(!QApplication::overrideCursor());
    }

    // ----- the dispatcher -----

    void dispatch_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QStringList>("prompts");
        QTest::addColumn<QStringList>("opened");
        QTest::addColumn<QStringList>("opensPages");
        QTest::addColumn<int>("paperKind");
        QTest::addColumn<int>("variant");

        const QStringList none;
        // Before each word: paper kind 2, settings variant 7.
        for (const QString &w : {u"ksdg"_s, u"zsd"_s}) {
            QTest::newRow(qPrintable(w))
                << w << none << QStringList{u"CatalogueWindow+hourglass"_s} << none << 2 << 7;
        }
        for (const QString &w : {u"lx"_s, u"lx2"_s, u"lx3"_s, u"lx4"_s, u"lx5"_s}) {
            QTest::newRow(qPrintable(w))
                << w << none << QStringList{u"ChapterBrowser+hourglass"_s} << none << 2 << 7;
        }
        QTest::newRow("szjh") << u"szjh"_s << none << QStringList{u"PlanWindow+hourglass"_s} << none
                              << 2 << 7;
        QTest::newRow("szks") << u"szks"_s << none << QStringList{u"ExamSettingsWindow+hourglass"_s}
                              << none << 2 << 7;
        // The log's hourglass lasts while it is created only.
        QTest::newRow("rz") << u"rz"_s << none << QStringList{u"StudyLogWindow"_s} << none << 2
                            << 7;
        QTest::newRow("tj") << u"tj"_s << none << QStringList{u"ChartWindow+hourglass"_s} << none
                            << 2 << 7;
        QTest::newRow("sj") << u"sj"_s << none << QStringList{u"UpgradeWindow"_s} << none << 2 << 7;
        QTest::newRow("bf") << u"bf"_s << none << QStringList{u"BackupWindow"_s} << none << 2 << 7;
        QTest::newRow("cj") << u"cj"_s << none << QStringList{u"PaperHistoryWindow+hourglass"_s}
                            << none << 2 << 7;
        QTest::newRow("music") << u"music"_s << none << QStringList{u"SoundAndTimeSettingsWindow"_s}
                               << none << 2 << 0;
        QTest::newRow("sztime") << u"sztime"_s << none
                                << QStringList{u"SoundAndTimeSettingsWindow"_s} << none << 2 << 1;
        QTest::newRow("fg") << u"fg"_s << none << none << QStringList{u"htm/法律法规.htm"_s} << 2
                            << 7;
        QTest::newRow("help") << u"help"_s << none << none << QStringList{u"htm/help.html"_s} << 2
                              << 7;
        QTest::newRow("lxfs") << u"lxfs"_s << none << none
                              << QStringList{u"htm/发行站及专业书店联系方式.htm"_s} << 2 << 7;
        QTest::newRow("lnst") << u"lnst"_s << none << none << QStringList{u"htm/lnst.htm"_s} << 2
                              << 7;
        QTest::newRow("about") << u"about"_s << none << QStringList{u"AboutWindow"_s} << none << 2
                               << 7;
        for (int kind = 1; kind <= 5; ++kind) {
            const QString w = kind == 1 ? u"mnks"_s : u"mnks"_s + QString::number(kind);
            // The paper is told first ("start": the outline of the kind's paper), then drawn.
            QTest::newRow(qPrintable(w)) << w << QStringList{u"start"_s}
                                         << QStringList{u"ExamWindow"_s} << none << kind << 7;
        }
        // Exact, case-sensitive words only.
        for (const QString &w : {u"LX"_s, u"Lx"_s, u"MNKS3"_s, u"About"_s, u"quit "_s, u""_s,
                                 u"xyz"_s, u"lx6"_s, u"mnks6"_s}) {
            QTest::newRow(qPrintable(u"ignored '"_s + w + u"'"_s))
                << w << none << none << none << 2 << 7;
        }
    }
    void dispatch()
    {
        QFETCH(QString, word);
        QFETCH(QStringList, prompts);
        QFETCH(QStringList, opened);
        QFETCH(QStringList, opensPages);
        QFETCH(int, paperKind);
        QFETCH(int, variant);
        createStart();
        App::currentPaperKind = 2;
        App::settingsVariant = 7;
        PromptCatcher catcher;
        if (prompts == QStringList{u"start"_s}) {
            prompts = QStringList{
                u"模拟考试|"_s +
                Paper::outlineText(Paper::paperOutline(studyData->connection(), paperKind)) +
                u"|0|0|Start"_s};
        }

        start->runMenuCommand(word, u"ignored args"_s);

        QStringList seen;
        for (const PromptCall &c : catcher.calls())
            seen.append(promptText(c));
        QCOMPARE(seen, prompts);
        QCOMPARE(windows, opened);
        QCOMPARE(pages, opensPages);
        QCOMPARE(App::currentPaperKind, paperKind);
        QCOMPARE(App::settingsVariant, variant);
        QVERIFY(!QApplication::overrideCursor());
        // The pages asked for are the ones shipped in htm/.
        for (const QString &page : std::as_const(pages))
            QVERIFY2(QFileInfo::exists(folder->path() + page), qPrintable(page));
        QVERIFY(start->isHidden()); // nothing closed or showed the start window
    }

    // Without a program of the desktop for web pages, every page opens in our own viewer.
    void pagesShowInOurOwnViewerWithoutADesktopHandler_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("shot");
        QTest::newRow("fg") << u"fg"_s << u"htm/法律法规.htm"_s << u"法律法规"_s
                            << u"pageviewer_laws"_s;
        QTest::newRow("help") << u"help"_s << u"htm/help.html"_s << u"使用帮助"_s
                              << u"pageviewer_help"_s;
        QTest::newRow("lxfs") << u"lxfs"_s << u"htm/发行站及专业书店联系方式.htm"_s << u"联系"_s
                              << u"pageviewer_contacts"_s;
        QTest::newRow("lnst") << u"lnst"_s << u"htm/lnst.htm"_s << u"学习方法"_s
                              << u"pageviewer_study_methods"_s;
    }
    void pagesShowInOurOwnViewerWithoutADesktopHandler()
    {
        QFETCH(QString, word);
        QFETCH(QString, page);
        QFETCH(QString, title);
        QFETCH(QString, shot);
        createStart();
        start->setUrlOpener([](const QUrl &) { return false; });
        QString source, text, windowTitle;
        onWindow = [&](QDialog &d) {
            auto *viewer = qobject_cast<PageViewer *>(&d);
            QVERIFY(viewer);
            source = viewer->browser()->source().toLocalFile();
            text = viewer->browser()->toPlainText();
            windowTitle = viewer->windowTitle();
            saveShot(viewer, shot);
        };
        start->runMenuCommand(word, {});
        QCOMPARE(windows, QStringList{u"PageViewer"_s});
        QCOMPARE(source, folder->path() + page);
        QVERIFY2(windowTitle.contains(title), qPrintable(windowTitle));
        QVERIFY(text.size() > 100);
        QVERIFY(!text.contains(u"找不到页面文件"_s));
    }

    // Closing the menu window from the desktop (Alt+F4) asks the same as 退出.
    void closingFromTheDesktopRunsTheQuitCheck_data()
    {
        QTest::addColumn<int>("answers");
        QTest::addColumn<int>("reply");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("closes");
        QTest::newRow("below, stay")
            << 49 << int(QMessageBox::Cancel)
            << u"还未完成今日学习计划，要退出吗？\n今天已做 49 题，目标 50 题"_s << false;
        QTest::newRow("below, leave")
            << 49 << int(QMessageBox::Ok)
            << u"还未完成今日学习计划，要退出吗？\n今天已做 49 题，目标 50 题"_s << true;
        QTest::newRow("reached") << 50 << int(QMessageBox::Ok) << u"恭喜完成今日学习计划！"_s
                                 << true;
    }
    void closingFromTheDesktopRunsTheQuitCheck()
    {
        QFETCH(int, answers);
        QFETCH(int, reply);
        QFETCH(QString, message);
        QFETCH(bool, closes);
        testsupport::FixedToday today(kToday);
        showStart();
        setPlan(0, 50, 60, answers, u"00:00:00"_s);
        PromptCatcher catcher;
        catcher.queue(reply);

        start->windowHandle()->close(); // what the window manager's close request does

        QCOMPARE(catcher.messages(), QStringList{message});
        QCOMPARE(start->isVisible(), !closes);
        QCOMPARE(studyData->connected(), !closes);
    }

    // A borderless window moves when dragged by its header; a press on its body, or on the
    // full-screen menu, moves nothing.
    void borderlessWindowsMoveByTheirHeader()
    {
        openStudyDatabase();
        HeaderDrag::install(qApp);
        ChapterBrowser browser;
        browser.show();
        QVERIFY(QTest::qWaitForWindowExposed(&browser));
        browser.move(40, 30);
        const QPoint before = browser.pos();

        const QPoint body(browser.width() / 2, browser.height() / 2);
        QTest::mousePress(&browser, Qt::LeftButton, {}, body);
        QTest::mouseMove(&browser, body + QPoint(30, 20));
        QTest::mouseRelease(&browser, Qt::LeftButton, {}, body + QPoint(30, 20));
        QCOMPARE(browser.pos(), before);

        const QPoint header(browser.width() / 2, 8);
        QTest::mousePress(&browser, Qt::LeftButton, {}, header);
        QTest::mouseMove(&browser, header + QPoint(30, 20));
        QTest::mouseRelease(&browser, Qt::LeftButton, {}, header + QPoint(30, 20));
        QCOMPARE(browser.pos(), before + QPoint(30, 20));
        browser.close();

        start = std::make_unique<StartWindow>();
        start->show();
        QVERIFY(QTest::qWaitForWindowExposed(start.get()));
        const QPoint menuBefore = start->pos();
        QTest::mousePress(start.get(), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseMove(start.get(), QPoint(60, 60));
        QTest::mouseRelease(start.get(), Qt::LeftButton, {}, QPoint(60, 60));
        QCOMPARE(start->pos(), menuBefore);
    }

    void aboutWindow()
    {
        openStudyDatabase();
        AboutWindow about;
        QCOMPARE(about.windowTitle(), u"关于"_s);
        QCOMPARE(about.size(), QSize(395, 266));
        QCOMPARE(about.palette().color(QPalette::Window), QColor(Qt::white));
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        // Every line of text fits its label.
        for (const QLabel *label : about.findChildren<QLabel *>()) {
            if (label->wordWrap())
                continue;
            const QFontMetrics fm(label->font());
            for (const QString &line : label->text().split(u'\n'))
                QVERIFY2(fm.horizontalAdvance(line) <= label->width(), qPrintable(line));
        }
        auto *close = about.findChild<QPushButton *>();
        QVERIFY(close);
        QCOMPARE(close->text(), u"关 闭"_s);
        QVERIFY(about.rect().contains(close->geometry()));
        QTest::mouseClick(close, Qt::LeftButton);
        QVERIFY(!about.isVisible());
    }

    void settingsWordsArrangeTheWindow()
    {
        // "music" shows the music controls only; "sztime" hides them and moves the answer
        // times up with the close button below them.
        createStart();
        struct Seen
        {
            QStringList visible;
            int captionTop = -1, scrollTop = -1, scrollHeight = -1;
            QPoint close;
        };
        QList<Seen> seen;
        onWindow = [&seen](QDialog &d) {
            d.show();
            Seen s;
            for (const char *name : {"musicCaption", "trackCaption", "musicSwitch", "trackList",
                                     "answerTimesCaption", "answerTimesArea", "closeButton"}) {
                auto *w = d.findChild<QWidget *>(QLatin1String(name));
                QVERIFY2(w, name);
                if (w->isVisible() && d.rect().contains(w->mapTo(&d, w->rect().bottomRight())))
                    s.visible.append(QLatin1String(name));
            }
            s.captionTop = d.findChild<QWidget *>(u"answerTimesCaption"_s)->y();
            s.scrollTop = d.findChild<QWidget *>(u"answerTimesArea"_s)->y();
            s.scrollHeight = d.findChild<QWidget *>(u"answerTimesArea"_s)->height();
            s.close = d.findChild<QWidget *>(u"closeButton"_s)->pos();
            seen.append(s);
            d.close();
        };
        start->runMenuCommand(u"music"_s, {});
        start->runMenuCommand(u"sztime"_s, {});
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen[0].visible,
                 (QStringList{u"musicCaption"_s, u"trackCaption"_s, u"musicSwitch"_s,
                              u"trackList"_s, u"closeButton"_s}));
        QCOMPARE(seen[1].visible,
                 (QStringList{u"answerTimesCaption"_s, u"answerTimesArea"_s, u"closeButton"_s}));
        QCOMPARE(seen[1].captionTop, 4);
        QCOMPARE(seen[1].scrollTop, 22);
        QCOMPARE(seen[1].scrollHeight, 110);
        QCOMPARE(seen[1].close, QPoint(280, 137));
    }

    // "lx" opens the chapter browser on its first row; "lx2" .. "lx5" on the second .. fifth
    // subject, so that each menu entry lands on its subject.
    void chapterPracticeEntriesOpenOnTheirSubject_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("row");
        QTest::newRow("lx") << u"lx"_s << u"0"_s;
        QTest::newRow("lx2") << u"lx2"_s << u"02"_s;
        QTest::newRow("lx3") << u"lx3"_s << u"03"_s;
        QTest::newRow("lx4") << u"lx4"_s << u"04"_s;
        QTest::newRow("lx5") << u"lx5"_s << u"05"_s;
    }
    void chapterPracticeEntriesOpenOnTheirSubject()
    {
        QFETCH(QString, word);
        QFETCH(QString, row);
        createStart();
        QString current;
        onWindow = [&current](QDialog &d) {
            d.show();
            auto *grid = d.findChild<QTableView *>(u"chapterGrid"_s);
            QVERIFY(grid);
            current = grid->currentIndex().siblingAtColumn(0).data().toString();
            d.hide();
        };
        start->runMenuCommand(word, {});
        QCOMPARE(windows, QStringList{u"ChapterBrowser+hourglass"_s});
        QCOMPARE(current, row);
    }

    void aWindowOverThePlayingMenuEndsItsAnimation()
    {
        // Hidden behind the window, the menu stands at its last frame instead of animating on.
        showStart();
        MenuWidget *menu = start->menu();
        QVERIFY(menu->isPlaying());
        bool playingUnderWindow = true;
        qreal header = 0;
        QList<qreal> reveals;
        onWindow = [&](QDialog &) {
            playingUnderWindow = menu->isPlaying();
            header = menu->headerReveal();
            for (const MenuItemButton *item : menu->items())
                reveals.append(item->reveal());
        };
        start->runMenuCommand(u"lx"_s, {});
        QCOMPARE(windows, QStringList{u"ChapterBrowser+hourglass"_s});
        QVERIFY(!playingUnderWindow);
        QCOMPARE(header, 1.0);
        QCOMPARE(reveals, QList<qreal>(menu->items().size(), 1.0));
    }

    void failingWindowLeavesMenuRunning()
    {
        createStart();
        PromptCatcher catcher;
        onWindow = [](QDialog &) { throw Db::DbError("disk I/O error"); };
        start->runMenuCommand(u"lx"_s, {});
        QCOMPARE(windows, QStringList{u"ChapterBrowser+hourglass"_s});
        QCOMPARE(catcher.calls().size(), 1);
        QCOMPARE(catcher.calls().first().kind, PromptCall::MessageBox);
        QCOMPARE(catcher.calls().first().caption, u"错误"_s);
        // The engine's English text is not for the user.
        QCOMPARE(catcher.calls().first().message, u"发生错误！"_s);
        QCOMPARE(catcher.calls().first().icon, int(QMessageBox::Critical));
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(studyData->connected());
    }

    void unreadableAnswerTimesReportedInChinese()
    {
        createStart();
        Db::exec(studyData->connection(), u"drop table tab_tx1"_s);
        PromptCatcher catcher;
        start->show();
        QVERIFY(QTest::qWaitForWindowExposed(start.get()));
        QCOMPARE(catcher.calls().size(), 1);
        QCOMPARE(catcher.calls().first().caption, u"错误"_s);
        QCOMPARE(catcher.calls().first().message, u"发生错误！"_s);
        // The menu plays all the same.
        QCOMPARE(start->menu()->items().size(), 27);
    }

    void hourglassEndsOnceTheWindowIsUp()
    {
        createStart();
        PromptCatcher catcher;
        bool waitCursorWhileUp = true;
        onWindow = [&waitCursorWhileUp](QDialog &d) {
            QTimer::singleShot(100, &d, [&d, &waitCursorWhileUp] {
                waitCursorWhileUp = QApplication::overrideCursor() != nullptr;
                d.reject();
            });
            d.exec();
        };
        start->runMenuCommand(u"lx3"_s, {});
        QCOMPARE(windows, QStringList{u"ChapterBrowser+hourglass"_s});
        QVERIFY(!waitCursorWhileUp);
        QVERIFY(!QApplication::overrideCursor());
    }

    // ----- showing the start window and the menu -----

    void createdForTheScreen()
    {
        createStart();
        const QSize screen = QGuiApplication::primaryScreen()->size();
        const QString mode = screen == QSize(800, 600) ? u"800"_s : u"1024"_s;
        QCOMPARE(App::displayMode, mode);
        QCOMPARE(start->size(), mode == u"800"_s ? QSize(800, 600) : QSize(1024, 768));
        QVERIFY(start->windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(start->findChild<MidiPlayer *>(u"musicPlayer"_s));
        QVERIFY(start->findChild<MenuWidget *>(u"menu"_s));
    }

    void showFillsTheScreenAndPlaysTheMenu()
    {
        App::answerTimeTable = {};
        createStart();
        QSignalSpy shown(start.get(), &StartWindow::menuShown);
        start->show();
        QVERIFY(QTest::qWaitForWindowExposed(start.get()));
        QCOMPARE(start->geometry(), QGuiApplication::primaryScreen()->geometry());
        QCOMPARE(App::currentPaperKind, 1);

        // The answer-time table of tab_tx1: Trunc(time * 600) per kind.
        QSqlQuery q = Db::query(studyData->connection(), u"select A1, time from tab_tx1"_s);
        QList<int> kinds, intervals;
        while (q.next()) {
            kinds.append(q.value(0).toInt());
            intervals.append(int(std::trunc(q.value(1).toDouble() * 600.0 + 1e-7)));
        }
        QVERIFY(!kinds.isEmpty());
        QCOMPARE(App::answerTimeTable.kinds, kinds);
        QCOMPARE(App::answerTimeTable.intervals, intervals);

        MenuWidget *menu = start->menu();
        QCOMPARE(menu->geometry(), start->rect());
        QCOMPARE(menu->items().size(), 27);
        QVERIFY(menu->isPlaying());
        QTRY_COMPARE(shown.count(), 1);
        // Tiles come in one after another and all arrive.
        QVERIFY(menu->items().last()->reveal() < 1.0);
        QTRY_VERIFY_WITH_TIMEOUT(!menu->isPlaying(), 5000);
        for (const MenuItemButton *item : menu->items())
            QCOMPARE(item->reveal(), 1.0);
    }

    void menuTilesFitTheScreen()
    {
        showStart();
        const QList<MenuItemButton *> items = start->menu()->items();
        const QRect area = start->menu()->rect();
        for (int i = 0; i < items.size(); ++i) {
            const QRect r = items.at(i)->geometry();
            QVERIFY2(area.contains(r), qPrintable(items.at(i)->text()));
            QVERIFY2(r.height() >= 34, qPrintable(items.at(i)->text()));
            for (int j = i + 1; j < items.size(); ++j)
                QVERIFY2(!r.intersects(items.at(j)->geometry()),
                         qPrintable(items.at(i)->text() + u" / "_s + items.at(j)->text()));
        }
        // No caption or hint is cut short on this screen.
        for (const MenuItemButton *item : items)
            QVERIFY2(!item->isElided(), qPrintable(item->text()));
    }

    void menuItemsAreAccessibleButtons()
    {
        showStart();
        for (MenuItemButton *item : start->menu()->items()) {
            QAccessibleInterface *ai = QAccessible::queryAccessibleInterface(item);
            QVERIFY(ai);
            QCOMPARE(ai->role(), QAccessible::Button);
            QCOMPARE(ai->text(QAccessible::Name), item->desc().caption);
            QVERIFY(item->focusPolicy() & Qt::TabFocus);
        }
        QCOMPARE(start->menu()->item(u"mnks4"_s)->accessibleName(),
                 u"注册安全工程师·安全生产事故案例分析"_s);
    }

    void menuKeyboard_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("to");
        const int none = Qt::NoModifier;
        // Columns: lx..lx5, szjh, rz, tj, bf | mnks..mnks5, cj, szks, ksdg, zsd |
        // lnst, fg, help, lxfs, about, sj, music, sztime, quit.
        QTest::newRow("down") << u"lx"_s << int(Qt::Key_Down) << none << u"lx2"_s;
        QTest::newRow("down into next group") << u"lx5"_s << int(Qt::Key_Down) << none << u"szjh"_s;
        QTest::newRow("up wraps") << u"lx"_s << int(Qt::Key_Up) << none << u"bf"_s;
        QTest::newRow("down wraps") << u"zsd"_s << int(Qt::Key_Down) << none << u"mnks"_s;
        QTest::newRow("right") << u"lx"_s << int(Qt::Key_Right) << none << u"mnks"_s;
        QTest::newRow("right keeps the row")
            << u"mnks3"_s << int(Qt::Key_Right) << none << u"help"_s;
        QTest::newRow("left wraps") << u"lx"_s << int(Qt::Key_Left) << none << u"lnst"_s;
        QTest::newRow("end") << u"lx2"_s << int(Qt::Key_End) << none << u"quit"_s;
        QTest::newRow("home") << u"quit"_s << int(Qt::Key_Home) << none << u"lx"_s;
        QTest::newRow("tab") << u"lx"_s << int(Qt::Key_Tab) << none << u"lx2"_s;
        QTest::newRow("tab wraps") << u"quit"_s << int(Qt::Key_Tab) << none << u"lx"_s;
        QTest::newRow("shift+tab")
            << u"lx2"_s << int(Qt::Key_Tab) << int(Qt::ShiftModifier) << u"lx"_s;
        QTest::newRow("shift+tab wraps")
            << u"lx"_s << int(Qt::Key_Tab) << int(Qt::ShiftModifier) << u"quit"_s;
    }
    void menuKeyboard()
    {
        QFETCH(QString, from);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, to);
        showStart();
        QTRY_VERIFY_WITH_TIMEOUT(!start->menu()->isPlaying(), 5000);
        MenuWidget *menu = start->menu();
        QCOMPARE(QApplication::focusWidget(), menu->item(u"lx"_s));
        menu->item(from)->setFocus();
        QTest::keyClick(menu->item(from), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(QApplication::focusWidget(), menu->item(to));
    }

    void menuActivation()
    {
        showStart();
        MenuWidget *menu = start->menu();
        QSignalSpy commands(menu, &MenuWidget::commandChosen);
        PromptCatcher catcher;
        // Enter on the focused tile, Space on another, a mouse click on a third.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE(commands.count(), 1);
        menu->item(u"sj"_s)->setFocus();
        QTest::keyClick(menu->item(u"sj"_s), Qt::Key_Space);
        QTRY_COMPARE(commands.count(), 2);
        QTest::mouseClick(menu->item(u"about"_s), Qt::LeftButton);
        QTRY_COMPARE(commands.count(), 3);
        QCOMPARE(commands.at(0).at(0).toString(), u"lx"_s);
        QCOMPARE(commands.at(1).at(0).toString(), u"sj"_s);
        QCOMPARE(commands.at(2).at(0).toString(), u"about"_s);
        // ... and each reached the dispatcher.
        QVERIFY(catcher.messages().isEmpty());
        QCOMPARE(windows, (QStringList{u"ChapterBrowser+hourglass"_s, u"UpgradeWindow"_s,
                                       u"AboutWindow"_s}));
    }

    void menuHoverHighlight()
    {
        showStart();
        QTRY_VERIFY_WITH_TIMEOUT(!start->menu()->isPlaying(), 5000);
        MenuItemButton *item = start->menu()->item(u"tj"_s);
        QCOMPARE(item->highlight(), 0.0);
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(item, &enter);
        QTRY_COMPARE(item->highlight(), 1.0);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(item, &leave);
        QTRY_COMPARE(item->highlight(), 0.0);
    }

    // ----- the exit check -----

    void quit_data()
    {
        QTest::addColumn<int>("planMark");
        QTest::addColumn<int>("amount");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("answers");
        QTest::addColumn<QString>("spent");
        QTest::addColumn<int>("reply");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<bool>("closes");
        const int ok = QMessageBox::Ok;
        const int okCancel = QMessageBox::Ok | QMessageBox::Cancel;
        // The question says how far the day went, in answers or in minutes.
        const QString ask = u"还未完成今日学习计划，要退出吗？\n今天已做 49 题，目标 50 题"_s;
        QTest::newRow("49 of 50, leave") << 0 << 50 << 60 << 49 << u"00:00:00"_s << ok << ask
                                         << int(QMessageBox::Question) << okCancel << true;
        QTest::newRow("49 of 50, stay")
            << 0 << 50 << 60 << 49 << u"00:00:00"_s << int(QMessageBox::Cancel) << ask
            << int(QMessageBox::Question) << okCancel << false;
        QTest::newRow("50 of 50") << 0 << 50 << 60 << 50 << u"00:00:00"_s << ok
                                  << u"恭喜完成今日学习计划！"_s << int(QMessageBox::Information)
                                  << ok << true;
        QTest::newRow("51 of 50") << 0 << 50 << 60 << 51 << u"00:00:00"_s << ok
                                  << u"超额完成学习计划，要注意休息呦！"_s
                                  << int(QMessageBox::Information) << ok << true;
        QTest::newRow("00:59:59 of 60 minutes, stay")
            << 1 << 50 << 60 << 80 << u"00:59:59"_s << int(QMessageBox::Cancel)
            << u"还未完成今日学习计划，要退出吗？\n今天已学习 59 分钟，目标 60 分钟"_s
            << int(QMessageBox::Question) << okCancel << false;
        QTest::newRow("01:00:59 of 60 minutes")
            << 1 << 50 << 60 << 0 << u"01:00:59"_s << ok << u"恭喜完成今日学习计划！"_s
            << int(QMessageBox::Information) << ok << true;
    }
    void quit()
    {
        QFETCH(int, planMark);
        QFETCH(int, amount);
        QFETCH(int, minutes);
        QFETCH(int, answers);
        QFETCH(QString, spent);
        QFETCH(int, reply);
        QFETCH(QString, message);
        QFETCH(int, icon);
        QFETCH(int, buttons);
        QFETCH(bool, closes);
        testsupport::FixedToday today(kToday);
        showStart();
        setPlan(planMark, amount, minutes, answers, spent);
        PromptCatcher catcher;
        catcher.queue(reply);

        start->runMenuCommand(u"quit"_s, {});

        QCOMPARE(catcher.calls().size(), 1);
        const PromptCall &c = catcher.calls().first();
        QCOMPARE(c.kind, PromptCall::MessageBox);
        QCOMPARE(c.caption, u"提示"_s);
        QCOMPARE(c.message, message);
        QCOMPARE(c.icon, icon);
        QCOMPARE(c.buttons, buttons);
        QCOMPARE(start->isVisible(), !closes);
        // Closing the start window releases the database.
        QCOMPARE(studyData->connected(), !closes);
    }

    void quitWithoutAKnownTargetStillEnds()
    {
        testsupport::FixedToday today(kToday);
        showStart();
        setPlan(7, 50, 60, 0, u"00:00:00"_s);
        PromptCatcher catcher;
        start->runMenuCommand(u"quit"_s, {});
        QVERIFY(catcher.calls().isEmpty());
        QVERIFY(!start->isVisible());
    }

    // ----- music, progress -----

    void musicWithoutSoundCard()
    {
        if (MidiPlayer::soundCardCount() > 0)
            QSKIP("this machine has a sound card");
        createStart();
        PromptCatcher catcher;
        start->playBackgroundMusic(folder->path() + u"sound/乐曲01.mid"_s, true);
        QCOMPARE(catcher.calls().size(), 1);
        QCOMPARE(promptText(catcher.calls().first()), u"提示|没发现声卡！|1|1|NO"_s);
        QVERIFY(!start->player()->isPlaying());
        start->playBackgroundMusic(QString(), false);
        QCOMPARE(catcher.calls().size(), 2);
        QCOMPARE(catcher.calls().last().message, u"没发现声卡！"_s);
    }

    void progressWindow()
    {
        ProgressWindow progress;
        QCOMPARE(progress.windowTitle(), u"进度条"_s);
        QCOMPARE(progress.size(), QSize(358, 63));
        // Stored colour 14930369 is blue E3, green D1, red C1.
        QCOMPARE(progress.palette().color(QPalette::Window), QColor(0xc1, 0xd1, 0xe3));
        QCOMPARE(progress.cursor().shape(), Qt::WaitCursor);
        auto *label = progress.findChild<QLabel *>(u"textLabel"_s);
        QVERIFY(label);
        QCOMPARE(label->text(), u"请等待..."_s);
        QVERIFY(label->font().bold());
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0x80, 0, 0));
        progress.showText(u"正在出卷..."_s);
        QVERIFY(progress.isVisible());
        QCOMPARE(label->text(), u"正在出卷..."_s);
        progress.close(); // the user cannot close it
        QVERIFY(progress.isVisible());
        QTest::keyClick(&progress, Qt::Key_Escape);
        QVERIFY(progress.isVisible());
        progress.finish();
        QVERIFY(!progress.isVisible());
    }

    void progressNoticeHidesAlsoOnFailure()
    {
        try {
            ProgressNotice notice(u"正在判卷..."_s);
            QVERIFY(sharedProgressWindow && sharedProgressWindow->isVisible());
            QCOMPARE(sharedProgressWindow->text(), u"正在判卷..."_s);
            throw Db::DbError("failed");
        } catch (const Db::DbError &) {
        }
        QVERIFY(!sharedProgressWindow->isVisible());
    }

    // ----- start-up in this process -----

    void startupFailures_data()
    {
        QTest::addColumn<QString>("database"); // "" none, "copy", or the file's text
        QTest::addColumn<QString>("menu");     // "" none, "copy", or the file's text
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("icon");
        const QString db = u"无法连接数据库！"_s;
        const QString flash = u"本程序的菜单文件 pic/main.json 缺失或已损坏，程序无法启动。\n"
                              u"请重新安装本程序，学习记录不受影响。"_s;
        QTest::newRow("no database file")
            << QString() << u"copy"_s << u"错误"_s << db + u"\n找不到学习数据库文件 {db}。"_s
            << int(QMessageBox::Critical);
        // A damaged file says so, and nothing starts.
        QTest::newRow("not a database")
            << u"Standard Jet DB\nnot really"_s << u"copy"_s << u"错误"_s
            << db + u"\n学习数据库文件已损坏，请用备份替换 {db}。"_s << int(QMessageBox::Critical);
        // A table without a column its windows read: the missing part is named.
        QTest::newRow("a column missing")
            << u"{drop tab_kmmc.C6}"_s << u"copy"_s << u"错误"_s
            << db + u"\n学习数据库文件已损坏（数据表 tab_kmmc 缺少列 C6），请用备份替换 {db}。"_s
            << int(QMessageBox::Critical);
        QTest::newRow("no menu file")
            << u"copy"_s << QString() << u"提示"_s << flash << int(QMessageBox::Warning);
        // A FIFO in the menu file's place would block the start for ever in open().
        QTest::newRow("menu file is a FIFO")
            << u"copy"_s << u"{fifo}"_s << u"提示"_s << flash << int(QMessageBox::Warning);
        // The menu is checked before the database.
        QTest::newRow("neither") << QString() << QString() << u"提示"_s << flash
                                 << int(QMessageBox::Warning);
        QTest::newRow("damaged menu file")
            << u"copy"_s << u"{\"groups\": ["_s << u"提示"_s << flash << int(QMessageBox::Warning);
    }
    void startupFailures()
    {
        QFETCH(QString, database);
        QFETCH(QString, menu);
        QFETCH(QString, caption);
        QFETCH(QString, message);
        QFETCH(int, icon);
        QTemporaryDir dir;
        QDir root(dir.path());
        root.mkpath(u"data"_s);
        root.mkpath(u"pic"_s);
        const QString dbPath = root.filePath(u"data/WTXVEB710448.mdb"_s);
        if (database == u"copy"_s || database == u"{drop tab_kmmc.C6}"_s) {
            QVERIFY(QFile::copy(testsupport::fixtureDb(), dbPath));
            QFile(dbPath).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
            if (database != u"copy"_s) {
                QVERIFY(Db::open(u"spoil"_s, dbPath, {}));
                Db::exec(QSqlDatabase::database(u"spoil"_s),
                         u"alter table tab_kmmc drop column C6"_s);
                Db::close(u"spoil"_s);
            }
        } else if (!database.isEmpty()) {
            QFile f(dbPath);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(database.toUtf8());
        }
        const QString menuPath = root.filePath(u"pic/main.json"_s);
        if (menu == u"copy"_s) {
            QVERIFY(QFile::copy(testsupport::binDir() + u"pic/main.json"_s, menuPath));
        } else if (menu == u"{fifo}"_s) {
            QVERIFY(::mkfifo(QFile::encodeName(menuPath).constData(), 0600) == 0);
        } else if (!menu.isEmpty()) {
            QFile f(menuPath);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(menu.toUtf8());
        }
        PromptCatcher catcher;

        const int code = Startup::run({dir.path(), false});

        QCOMPARE(code, 1);
        QCOMPARE(catcher.calls().size(), 1);
        QCOMPARE(catcher.calls().first().kind, PromptCall::MessageBox);
        QCOMPARE(catcher.calls().first().caption, caption);
        // The message names the database file where it lies.
        QCOMPARE(catcher.calls().first().message,
                 QString(message).replace(u"{db}"_s, QDir::toNativeSeparators(dbPath)));
        QCOMPARE(catcher.calls().first().icon, icon);
        QVERIFY(!studyData);
        QVERIFY(!startWindow);
        QVERIFY(!sharedProgressWindow);
        QVERIFY(!sharedPromptDialog);
        QVERIFY(QSqlDatabase::connectionNames().isEmpty());
        for (QWidget *w : QApplication::topLevelWidgets())
            QVERIFY2(!w->isVisible(), w->metaObject()->className());
        // A missing database is never created by trying to open it.
        if (database.isEmpty())
            QVERIFY(!QFile::exists(dbPath));
    }

    // A damaged study database at start: the newest backup that passes the checks is offered.
    void damagedDatabaseOffersTheNewestGoodBackup_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("accepted") << true;
        QTest::newRow("declined") << false;
    }
    void damagedDatabaseOffersTheNewestGoodBackup()
    {
        QFETCH(bool, accept);
        TempProgramFolder programFolder;
        const QString dbPath = programFolder.databasePath();
        // Answers logged in a database file, through a connection of its own.
        const auto addAnswers = [](const QString &path, const QString &day, int count) {
            Db::open(u"add"_s, path, {});
            testsupport::logAnswers(QSqlDatabase::database(u"add"_s, false), day, count);
            Db::close(u"add"_s);
        };
        {
            // Backups of three days: a good one, a newer good one, the newest damaged.
            FixedToday today(QDate(2026, 12, 7));
            addAnswers(dbPath, u"2026-12-07"_s, 2);
            QVERIFY(!UserData::backupNow(dbPath).isEmpty());
            today.set(QDate(2026, 12, 8));
            addAnswers(dbPath, u"2026-12-08"_s, 3);
            QVERIFY(!UserData::backupNow(dbPath).isEmpty());
            today.set(QDate(2026, 12, 9));
            const QString newest = UserData::backupNow(dbPath);
            QVERIFY(!newest.isEmpty());
            testsupport::damagePages(newest);
        }
        const QByteArray damaged("damaged: not a database any more");
        {
            QFile f(dbPath);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(damaged);
        }
        const UserData::BackupEntry offered = UserData::backups(dbPath).at(1);
        QCOMPARE(offered.taken.date(), QDate(2026, 12, 8));

        PromptCatcher catcher;
        catcher.queue(accept ? QMessageBox::Yes : QMessageBox::No);
        const int code = Startup::run({programFolder.path(), false});

        QVERIFY(!catcher.calls().isEmpty());
        const PromptCall question = catcher.calls().first();
        QCOMPARE(question.caption, u"提示"_s);
        QCOMPARE(question.icon, int(QMessageBox::Question));
        QVERIFY2(question.message.contains(offered.taken.toString(u"yyyy-MM-dd HH:mm"_s)) &&
                     question.message.contains(u"作答 5 次"_s),
                 qPrintable(question.message));
        QDir backups(UserData::backupFolder(dbPath));
        const QStringList replaced = backups.entryList({u"*-replaced-*"_s}, QDir::Files);
        if (accept) {
            QCOMPARE(code, Startup::kStarted);
            QCOMPARE(catcher.calls().size(), 1);
            QVERIFY(studyData && studyData->connected());
            QCOMPARE(testsupport::loggedAnswers(studyData->connection()), 5);
            // The damaged file is kept as it was.
            QCOMPARE(replaced.size(), 1);
            QFile kept(backups.filePath(replaced.first()));
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), damaged);
            Startup::finish();
            QVERIFY(Db::open(u"look"_s, dbPath, {}));
            QCOMPARE(testsupport::loggedAnswers(QSqlDatabase::database(u"look"_s, false)), 5);
            Db::close(u"look"_s);
        } else {
            QCOMPARE(code, 1);
            QCOMPARE(catcher.calls().size(), 2);
            QVERIFY(catcher.calls().at(1).message.startsWith(
                u"无法连接数据库！\n学习数据库文件已损坏"_s));
            QVERIFY(!studyData);
            QVERIFY(replaced.isEmpty());
            QFile f(dbPath);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), damaged);
        }
        QVERIFY(QSqlDatabase::connectionNames().isEmpty());
    }

    // Pages damaged past the tables' descriptions: the file opens, the menu is painted, and the
    // quick check that follows the first paint (or the first key pressed before it) finds the
    // damage. The menu goes away and the newest good backup is offered; declined, the start
    // ends as a start with a damaged database does.
    // A file not in WAL mode stays so until it has passed: the damaged file is kept, and left
    // when the offer is declined, byte for byte as it lay.
    void quickCheckFollowsTheFirstPaint_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<bool>("wal");
        QTest::newRow("after the first paint, accepted") << false << true << true;
        QTest::newRow("at the first key, declined") << true << false << true;
        QTest::newRow("not in WAL mode, accepted") << false << true << false;
        QTest::newRow("not in WAL mode, declined") << false << false << false;
    }
    void quickCheckFollowsTheFirstPaint()
    {
        QFETCH(bool, byKey);
        QFETCH(bool, accept);
        QFETCH(bool, wal);
        TempProgramFolder programFolder;
        const QString dbPath = programFolder.databasePath();
        {
            FixedToday today(QDate(2026, 12, 8));
            Db::open(u"add"_s, dbPath, {});
            testsupport::logAnswers(QSqlDatabase::database(u"add"_s, false), u"2026-12-08"_s, 3);
            if (!wal)
                Db::exec(QSqlDatabase::database(u"add"_s, false), u"PRAGMA journal_mode=DELETE"_s);
            Db::close(u"add"_s);
            QVERIFY(!UserData::backupNow(dbPath).isEmpty());
        }
        QByteArray damaged;
        {
            QFile f(dbPath);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.size() > 64 * 1024);
            QVERIFY(f.seek(f.size() - 16 * 1024));
            f.write(QByteArray(8192, char(0xA5)));
            QVERIFY(f.seek(0));
            damaged = f.readAll();
            // Header bytes 18 and 19: 2 in WAL mode, 1 in rollback-journal mode.
            QCOMPARE(damaged.at(18), char(wal ? 2 : 1));
        }

        PromptCatcher catcher;
        catcher.queue(accept ? QMessageBox::Yes : QMessageBox::No);
        QCOMPARE(Startup::run({programFolder.path(), false}), Startup::kStarted);
        QVERIFY2(catcher.calls().isEmpty(), qPrintable(catcher.messages().join(u'|')));
        QVERIFY(startWindow && startWindow->isVisible());
        if (byKey)
            QTest::keyClick(startWindow->menu()->items().first(), Qt::Key_Down);
        QTRY_VERIFY(!catcher.calls().isEmpty());
        const PromptCall question = catcher.calls().first();
        QCOMPARE(question.icon, int(QMessageBox::Question));
        QVERIFY2(question.message.contains(u"作答 3 次"_s), qPrintable(question.message));
        QDir backups(UserData::backupFolder(dbPath));
        const QStringList replaced = backups.entryList({u"*-replaced-*"_s}, QDir::Files);
        if (accept) {
            QCOMPARE(catcher.calls().size(), 1);
            QVERIFY(studyData && studyData->connected());
            QCOMPARE(testsupport::loggedAnswers(studyData->connection()), 3);
            QVERIFY(startWindow && startWindow->isVisible());
            QCOMPARE(replaced.size(), 1);
            QFile kept(backups.filePath(replaced.first()));
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), damaged);
            Startup::finish();
        } else {
            QCOMPARE(catcher.calls().size(), 2);
            QVERIFY(catcher.calls().at(1).message.startsWith(
                u"无法连接数据库！\n学习数据库文件已损坏"_s));
            QVERIFY(!startWindow || !startWindow->isVisible());
            QTRY_VERIFY(!startWindow);
            QVERIFY(!studyData && !sharedProgressWindow && !sharedPromptDialog);
            QVERIFY(replaced.isEmpty());
            QFile f(dbPath);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), damaged);
        }
        QVERIFY(QSqlDatabase::connectionNames().isEmpty());
    }

    void startupSucceeds()
    {
        TempProgramFolder programFolder;
        PromptCatcher catcher;
        QCOMPARE(Startup::run({programFolder.path(), false}), Startup::kStarted);
        QVERIFY(catcher.calls().isEmpty());
        QCOMPARE(App::programFolder, programFolder.path());
        QVERIFY(studyData && studyData->connected());
        QVERIFY(startWindow && startWindow->isVisible());
        QVERIFY(sharedProgressWindow && !sharedProgressWindow->isVisible());
        QVERIFY(sharedPromptDialog && !sharedPromptDialog->isVisible());
        QCOMPARE(startWindow->menu()->items().size(), 27);
        QVERIFY(startWindow->windowTitle().contains(u"考试学习系统"_s));
        // No display name of the application: the desktop would append it to every window
        // title, and a message box titled "错误" would read "错误 — ...".
        QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
        // The system message box speaks Chinese too (the exit question's buttons).
        const bool qtTranslations = QFile::exists(
            QLibraryInfo::path(QLibraryInfo::TranslationsPath) + u"/qtbase_zh_CN.qm"_s);
        auto buttonTexts = []() -> QString {
            QMessageBox box(QMessageBox::Question, u"提示"_s, u"x"_s,
                            QMessageBox::Ok | QMessageBox::Cancel);
            return box.button(QMessageBox::Ok)->text() + u'/' +
                   box.button(QMessageBox::Cancel)->text();
        };
        if (qtTranslations)
            QCOMPARE(buttonTexts(), u"确定/取消"_s);
        Startup::finish();
        QVERIFY(!studyData && !startWindow && !sharedProgressWindow && !sharedPromptDialog);
        QVERIFY(QSqlDatabase::connectionNames().isEmpty());
        if (!qtTranslations)
            QSKIP("Qt's translations (qt6-translations-l10n) are not installed");
    }

    // A copy cut short by the end of the program (a backup, a restore, the first copy of the
    // shipped database) is removed at the next start; files of other names stay.
    void startRemovesItsOwnLeftoversOnly()
    {
        TempProgramFolder programFolder;
        const QString dataFolder = QFileInfo(programFolder.databasePath()).absolutePath() + u'/';
        const QString backups = dataFolder + u"backups/"_s;
        QVERIFY(QDir().mkpath(backups));
        const QStringList leftovers{
            backups + u"WTXVEB710448-20261201-080000.mdb.part"_s,
            backups + u"WTXVEB710448-20261201-080000-2.mdb.part"_s,
            backups + u"WTXVEB710448-replaced-20261201-080000.mdb.part"_s,
            backups + u"WTXVEB710448-leftover-wal-20261201-080000.mdb-wal.part"_s,
            dataFolder + u"WTXVEB710448.mdb.restore"_s,
            dataFolder + u"WTXVEB710448.mdb.restore.part"_s,
            dataFolder + u"WTXVEB710448.mdb.part"_s,
        };
        const QStringList others{
            backups + u"notes.part"_s,
            backups + u"WTXVEB710448-20261201-080000.mdb.part.txt"_s,
            backups + u"other-20261201-080000.mdb.part"_s,
            dataFolder + u"other.mdb.restore"_s,
            dataFolder + u"WTXVEB710448.mdb.restore.bak"_s,
            dataFolder + u"WTXVEB710448.mdb.partial"_s,
        };
        for (const QString &path : leftovers + others) {
            QFile f(path);
            QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
            f.write("x");
        }
        FixedToday today(kToday);
        PromptCatcher catcher;
        QCOMPARE(Startup::run({programFolder.path(), false}), Startup::kStarted);
        for (const QString &path : leftovers)
            QVERIFY2(!QFileInfo::exists(path), qPrintable(path));
        for (const QString &path : others)
            QVERIFY2(QFileInfo::exists(path), qPrintable(path));
        QVERIFY(studyData && studyData->connected());
        Startup::finish();
    }

    // The study database's name leads to something that is not a file of its own (a link to a
    // file elsewhere, a named pipe): the start is refused with the reason and nothing is
    // touched, neither what the name leads to nor the data folder.
    void aDatabaseThatIsNoPlainFileIsRefusedUntouched_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("link to a database elsewhere") << u"link"_s;
        QTest::newRow("link to nothing") << u"dangling"_s;
        QTest::newRow("named pipe") << u"pipe"_s;
    }
    void aDatabaseThatIsNoPlainFileIsRefusedUntouched()
    {
        QFETCH(QString, kind);
        TempProgramFolder programFolder{QString()};
        QTemporaryDir elsewhere;
        const QString dbPath = programFolder.databasePath();
        const QString dataFolder = QFileInfo(dbPath).absolutePath();
        const QString target = elsewhere.filePath(u"study.mdb"_s);
        QVERIFY(QFile::copy(testsupport::fixtureDb(), target));
        QVERIFY(::chmod(QFile::encodeName(target).constData(), 0644) == 0);
        QVERIFY(::chmod(QFile::encodeName(dataFolder).constData(), 0755) == 0);
        if (kind == u"link"_s)
            QVERIFY(QFile::link(target, dbPath));
        else if (kind == u"dangling"_s)
            QVERIFY(QFile::link(elsewhere.filePath(u"none.mdb"_s), dbPath));
        else
            QVERIFY(::mkfifo(QFile::encodeName(dbPath).constData(), 0644) == 0);
        const QByteArray before = [&] {
            QFile f(target);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();

        PromptCatcher catcher;
        QCOMPARE(Startup::run({programFolder.path(), false}), 1);
        QCOMPARE(catcher.calls().size(), 1);
        const QString message = catcher.calls().first().message;
        QVERIFY2(message.startsWith(u"无法连接数据库！\n学习数据库 "_s) &&
                     message.contains(u"不是普通文件"_s),
                 qPrintable(message));
        QVERIFY(!studyData);
        struct stat st
        {
        };
        QCOMPARE(::lstat(QFile::encodeName(dbPath).constData(), &st), 0);
        QVERIFY(kind == u"pipe"_s ? S_ISFIFO(st.st_mode) : S_ISLNK(st.st_mode));
        if (kind == u"pipe"_s)
            QCOMPARE(st.st_mode & 07777, 0644u & ~currentUmask());
        QCOMPARE(::stat(QFile::encodeName(target).constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, 0644u);
        QFile f(target);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
        QCOMPARE(::stat(QFile::encodeName(dataFolder).constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, 0755u);
        QVERIFY(!QFileInfo::exists(dataFolder + u"/backups"_s));
        QCOMPARE(QDir(elsewhere.path()).entryList(QDir::Files), QStringList{u"study.mdb"_s});
    }
};

STUDYAID_QTEST_MAIN(TestStartWindow)
#include "test_start_window.moc"
