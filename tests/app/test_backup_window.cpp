// The backup window on a temporary copy of the fixture bank: the list of backups with their
// answers, a backup taken on request, a restore confirmed and declined by mouse and keyboard,
// a damaged backup refused with nothing changed, and the layout of both display modes.
#include "app/BackupWindow.h"
#include "app/StartWindow.h"
#include "data/AppGlobals.h"
#include "data/Clock.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "data/UserData.h"
#include "support/StudyLogCheck.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>
#include <memory>

using namespace Qt::StringLiterals;
using testsupport::child;
using testsupport::FixedToday;
using testsupport::PromptCatcher;

namespace {

qint64 logged()
{
    return testsupport::loggedAnswers(studyData->connection());
}

void logAnswers(const QString &day, int count)
{
    testsupport::logAnswers(studyData->connection(), day, count);
}

QStringList rows(QTreeWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out << list->topLevelItem(i)->text(0) + u'|' + list->topLevelItem(i)->text(1);
    return out;
}

} // namespace

class BackupWindowTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<testsupport::TestDatabase> data;
    QString dbPath;

    // Two backups: 2026-12-07 with 2 answers, 2026-12-08 with 1,234 answers.
    void makeBackups()
    {
        FixedToday today(QDate(2026, 12, 7));
        logAnswers(u"2026-12-07"_s, 2);
        QVERIFY(!UserData::backupNow(dbPath).isEmpty());
        today.set(QDate(2026, 12, 8));
        logAnswers(u"2026-12-08"_s, 1232);
        QVERIFY(!UserData::backupNow(dbPath).isEmpty());
        logAnswers(u"2026-12-09"_s, 10);
    }

private slots:
    void init()
    {
        data = std::make_unique<testsupport::TestDatabase>();
        QVERIFY(data->isValid());
        dbPath = data->folder.databasePath();
    }
    void cleanup() { data.reset(); }

    void layoutFitsTheDisplayMode()
    {
        makeBackups();
        BackupWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        testsupport::saveShot(&window, u"backup"_s);
        const bool compact = App::displayMode == u"800"_s;
        QCOMPARE(window.size(), compact ? QSize(520, 380) : QSize(640, 480));
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QVERIFY(screen.contains(window.frameGeometry()));
        QCOMPARE(window.windowTitle(), u"数据备份"_s);
        auto *list = child<QTreeWidget>(&window, u"backupList"_s);
        QVERIFY(list);
        QVERIFY(list->hasFocus());
        // Every control inside the window, none over another, the captions whole.
        QList<QWidget *> parts{child(&window, u"noticeLabel"_s), list};
        for (const QString &name : {u"backupNowButton"_s, u"restoreButton"_s, u"closeButton"_s}) {
            auto *b = child<QPushButton>(&window, name);
            QVERIFY(b && b->isVisible());
            QVERIFY2(b->width() >= b->fontMetrics().horizontalAdvance(b->text()) + 8,
                     qPrintable(name));
            parts << b;
        }
        for (int i = 0; i < parts.size(); ++i) {
            QVERIFY(window.rect().contains(parts[i]->geometry()));
            for (int j = i + 1; j < parts.size(); ++j)
                QVERIFY(!parts[i]->geometry().intersects(parts[j]->geometry()));
        }
        QVERIFY(list->header()->sectionSize(1) >=
                list->header()->fontMetrics().horizontalAdvance(u"作答次数"_s) + 8);
        QVERIFY(list->header()->sectionSize(1) >=
                list->fontMetrics().horizontalAdvance(u"1,234,567"_s) + 8);
        // The folder is named in full.
        QVERIFY(child<QLabel>(&window, u"noticeLabel"_s)
                    ->text()
                    .contains(QDir::toNativeSeparators(UserData::backupFolder(dbPath))));
    }

    void listsBackupsNewestFirstWithTheirAnswers()
    {
        makeBackups();
        // A file in backups/ that is no database is listed as unreadable, not hidden.
        {
            QFile f(UserData::backupFolder(dbPath) + u"WTXVEB710448-20261201-080000.mdb"_s);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("not a database");
        }
        BackupWindow window;
        auto *list = child<QTreeWidget>(&window, u"backupList"_s);
        const QStringList seen = rows(list);
        QCOMPARE(seen.size(), 3);
        QVERIFY(seen[0].startsWith(u"2026-12-08 "_s) && seen[0].endsWith(u"|1,234"_s));
        QVERIFY(seen[1].startsWith(u"2026-12-07 "_s) && seen[1].endsWith(u"|2"_s));
        QCOMPARE(seen[2], u"2026-12-01 08:00:00|无法读取"_s);
        QCOMPARE(list->currentItem(), list->topLevelItem(0));

        // Without backups there is nothing to restore.
        for (const UserData::BackupEntry &e : UserData::backups(dbPath))
            QFile::remove(e.path);
        window.refreshList();
        QCOMPARE(list->topLevelItemCount(), 0);
        QVERIFY(!child<QPushButton>(&window, u"restoreButton"_s)->isEnabled());
    }

    void backupNowAddsABackupToTheList()
    {
        BackupWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *list = child<QTreeWidget>(&window, u"backupList"_s);
        QCOMPARE(list->topLevelItemCount(), 0);
        logAnswers(u"2026-12-09"_s, 4);
        PromptCatcher catcher;
        QTest::mouseClick(child<QPushButton>(&window, u"backupNowButton"_s), Qt::LeftButton);
        QCOMPARE(catcher.messages(), QStringList{u"备份完成。"_s});
        QCOMPARE(UserData::backups(dbPath).size(), 1);
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(list->topLevelItem(0)->text(1), u"4"_s);
        QVERIFY(child<QPushButton>(&window, u"restoreButton"_s)->isEnabled());
    }

    void restoreAfterConfirmation_data()
    {
        QTest::addColumn<bool>("byKeyboard");
        QTest::addColumn<bool>("confirm");
        QTest::newRow("mouse, confirmed") << false << true;
        QTest::newRow("Enter on the row, confirmed") << true << true;
        QTest::newRow("mouse, declined") << false << false;
        QTest::newRow("Enter on the row, declined") << true << false;
    }
    void restoreAfterConfirmation()
    {
        QFETCH(bool, byKeyboard);
        QFETCH(bool, confirm);
        makeBackups();
        QCOMPARE(logged(), 1244);
        BackupWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *list = child<QTreeWidget>(&window, u"backupList"_s);
        list->setCurrentItem(list->topLevelItem(1)); // 2026-12-07, 2 answers
        const QString when = list->topLevelItem(1)->text(0);

        PromptCatcher catcher;
        catcher.queue(confirm ? 1 : 2);
        if (byKeyboard) {
            list->setFocus();
            QTest::keyClick(list, Qt::Key_Return);
        } else {
            QTest::mouseClick(child<QPushButton>(&window, u"restoreButton"_s), Qt::LeftButton);
        }
        QVERIFY(!catcher.calls().isEmpty());
        QCOMPARE(catcher.calls().first().message,
                 u"用 %1 的备份替换当前的学习数据库吗？\n当前的数据库会先备份保留。"_s.arg(when));
        QCOMPARE(catcher.calls().first().buttons, 0);
        if (!confirm) {
            QCOMPARE(catcher.calls().size(), 1);
            QCOMPARE(logged(), 1244);
            QCOMPARE(list->topLevelItemCount(), 2);
            return;
        }
        QCOMPARE(catcher.calls().size(), 2);
        QCOMPARE(catcher.calls().at(1).message,
                 u"已恢复 %1 的备份。\n原来的数据库已备份保留。"_s.arg(when));
        QVERIFY(studyData->connected());
        QCOMPARE(logged(), 2);
        // The replaced database heads the list now, with its answers.
        QCOMPARE(list->topLevelItemCount(), 3);
        QCOMPARE(list->topLevelItem(0)->text(1), u"1,244"_s);
    }

    // A damaged backup, and a sound database of another product in backups/: refused with the
    // reason, nothing changed.
    void aBackupThatIsNotOursIsRefusedAndNothingChanges_data()
    {
        QTest::addColumn<bool>("foreign");
        QTest::addColumn<QString>("message");
        QTest::newRow("damaged") << false
                                 << u"这个备份已损坏，不能恢复！\n学习数据库没有任何改动。"_s;
        QTest::newRow("another product")
            << true << u"这个备份不属于本软件，不能恢复！\n学习数据库没有任何改动。"_s;
    }
    void aBackupThatIsNotOursIsRefusedAndNothingChanges()
    {
        QFETCH(bool, foreign);
        QFETCH(QString, message);
        makeBackups();
        const QString newest = UserData::backups(dbPath).first().path;
        if (foreign) {
            QVERIFY(Db::open(u"spoil"_s, newest, {}));
            Db::exec(QSqlDatabase::database(u"spoil"_s, false),
                     u"UPDATE tab_sj SET cpbs='OTHER'"_s);
            Db::close(u"spoil"_s);
        } else {
            testsupport::damagePages(newest);
        }
        BackupWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        PromptCatcher catcher;
        catcher.queue(1);
        QTest::mouseClick(child<QPushButton>(&window, u"restoreButton"_s), Qt::LeftButton);
        QCOMPARE(catcher.calls().size(), 2);
        QCOMPARE(catcher.calls().at(1).caption, u"错误"_s);
        QCOMPARE(catcher.calls().at(1).message, message);
        QVERIFY(studyData->connected());
        QCOMPARE(logged(), 1244);
        QCOMPARE(UserData::backups(dbPath).size(), 2);
    }

    void keyboardOrderAndEscape()
    {
        makeBackups();
        BackupWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QApplication::setActiveWindow(&window);
        QStringList order;
        for (int i = 0; i < 4; ++i) {
            order << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(order, (QStringList{u"backupList"_s, u"backupNowButton"_s, u"restoreButton"_s,
                                     u"closeButton"_s}));
        QCOMPARE(QApplication::focusWidget()->objectName(), u"backupList"_s);
        // Enter on the focused 立即备份 takes a backup, not a restore.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        PromptCatcher catcher;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(catcher.messages(), QStringList{u"备份完成。"_s});
        QCOMPARE(UserData::backups(dbPath).size(), 3);
        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(!window.isVisible());
    }

    // The round trip as the candidate makes it: the menu word opens the window, a backup is
    // restored, and the study data read afterwards is the backup's.
    void restoreFromTheMenu()
    {
        makeBackups();
        StartWindow start;
        QStringList prompts;
        start.setModalRunner([&](QDialog &dialog) {
            dialog.show();
            auto *window = qobject_cast<BackupWindow *>(&dialog);
            if (!QTest::qWaitForWindowExposed(&dialog) || !window)
                return int(QDialog::Rejected);
            auto *list = child<QTreeWidget>(window, u"backupList"_s);
            list->setCurrentItem(list->topLevelItem(1));
            PromptCatcher catcher;
            catcher.queue(1);
            QTest::keyClick(list, Qt::Key_Return);
            prompts = catcher.messages();
            QTest::keyClick(window, Qt::Key_Escape);
            return dialog.result();
        });
        start.runMenuCommand(u"bf"_s, {});
        QCOMPARE(prompts.size(), 2);
        QVERIFY(prompts.at(1).startsWith(u"已恢复 2026-12-07 "_s));
        QCOMPARE(logged(), 2);
    }
};

STUDYAID_QTEST_MAIN(BackupWindowTest)
#include "test_backup_window.moc"
