// The upgrade window driven by objectName on a temporary copy of the fixture bank: its layout,
// the message of every outcome by mouse and keyboard, the file dialog of the folder button,
// the upgrade file released on closing, and the shipped sample applied from the menu word "sj"
// with its questions counted in the chapter browser.
#include "UpgradeFiles.h"
#include "app/StartWindow.h"
#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "practice/ChapterBrowser.h"
#include "support/TestSupport.h"
#include "ui/ProgressWindow.h"
#include "upgrade/UpgradeWindow.h"

#include <QApplication>
#include <QFileDialog>
#include <QGroupBox>
#include <QLCDNumber>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;
using testsupport::child;
using testsupport::PromptCatcher;

namespace {

QString promptText(const PromptCall &c)
{
    return c.caption + u'|' + c.message + u'|' + QString::number(c.buttons) + u'|' +
           QString::number(c.icon);
}

// Calls `act` once with the first modal window of type T that comes up.
template <typename T> void whenModal(std::function<void(T *)> act)
{
    auto *timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto *w = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(w);
        }
    });
    timer->start();
}

// Questions of the chapter browser: the C3 shown for a chapter code, and the total.
struct BrowserFigures
{
    QHash<QString, int> questions;
    QStringList order;
    int total = 0;
};

BrowserFigures browserFigures()
{
    ChapterBrowser browser;
    browser.show();
    BrowserFigures f;
    if (!QTest::qWaitForWindowExposed(&browser))
        return f;
    const QAbstractItemModel *m = child<QTableView>(&browser, u"chapterGrid"_s)->model();
    for (int r = 0; r < m->rowCount(); ++r) {
        const QString code = m->index(r, 0).data().toString();
        f.order.append(code);
        f.questions.insert(code, m->index(r, 3).data().toInt());
    }
    f.total = child<QLCDNumber>(&browser, u"questionTotal"_s)->intValue();
    return f;
}

// Overwrites the first page of a table's or index's b-tree with zeros: the file still opens and
// its tables read, but SQLite's integrity check fails.
bool clearPageOf(const QString &path, const QString &name)
{
    int page = 0, pageSize = 0;
    {
        if (!Db::openReadOnly(u"damage"_s, path, {}))
            return false;
        const QSqlDatabase db = QSqlDatabase::database(u"damage"_s, false);
        page = Db::scalar(db, u"select rootpage from sqlite_master where name=?"_s, {name}).toInt();
        pageSize = Db::scalar(db, u"PRAGMA page_size"_s).toInt();
    }
    Db::close(u"damage"_s);
    QFile file(path);
    if (page <= 1 || pageSize <= 0 || !file.open(QIODevice::ReadWrite) ||
        !file.seek(qint64(page - 1) * pageSize))
        return false;
    return file.write(QByteArray(pageSize, '\0')) == pageSize;
}

} // namespace

class UpgradeWindowTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<testsupport::TestDatabase> data;
    QTemporaryDir files;

    // Types the path and starts the upgrade by mouse or by the Enter key; returns the prompts.
    QStringList attempt(UpgradeWindow &window, const QString &typed, bool byKeyboard)
    {
        PromptCatcher catcher;
        auto *edit = child<QLineEdit>(&window, u"pathEdit"_s);
        edit->clear();
        // Typed as the input method commits it (key events carry Latin-1 text only).
        edit->insert(typed);
        if (byKeyboard) {
            edit->setFocus();
            QTest::keyClick(edit, Qt::Key_Return);
        } else {
            QTest::mouseClick(child<QPushButton>(&window, u"startButton"_s), Qt::LeftButton);
        }
        QStringList seen;
        for (const PromptCall &c : catcher.calls())
            seen.append(promptText(c));
        return seen;
    }

private slots:
    void init()
    {
        data = std::make_unique<testsupport::TestDatabase>();
        QVERIFY(data->isValid());
        QVERIFY(files.isValid());
    }
    void cleanup() { data.reset(); }

    void layoutOfTheWindow()
    {
        UpgradeWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), u"题库升级"_s);
        QCOMPARE(window.size(), QSize(305, 158));
        QVERIFY(!(window.windowFlags() & Qt::WindowCloseButtonHint));
        QCOMPARE(window.font().pixelSize(), 14);
        const QRect screen = window.screen()->availableGeometry();
        QVERIFY(qAbs(window.frameGeometry().center().x() - screen.center().x()) <= 2);

        QCOMPARE(child<QLabel>(&window, u"adviceLabel"_s)->text(),
                 u"建议先下载升级题库，然后选择本地升级！"_s);
        auto *group = child<QGroupBox>(&window, u"upgradeKindGroup"_s);
        QCOMPARE(group->title(), u"选择升级方式"_s);
        const QList<QRadioButton *> options = group->findChildren<QRadioButton *>();
        QCOMPARE(options.size(), 1);
        QCOMPARE(options.first()->text(), u"本地升级"_s);
        QVERIFY(options.first()->isChecked());
        QVERIFY(child<QLineEdit>(&window, u"pathEdit"_s)->hasFocus());
        QCOMPARE(child<QToolButton>(&window, u"browseButton"_s)->accessibleName(),
                 u"选择升级文件"_s);
        QCOMPARE(child<QPushButton>(&window, u"startButton"_s)->text(), u"开始升级"_s);
        QCOMPARE(child<QPushButton>(&window, u"closeButton"_s)->text(), u"关闭"_s);

        // Every control inside the window, and every caption fits its control.
        for (QWidget *w : window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            QVERIFY2(window.rect().contains(w->geometry()), qPrintable(w->objectName()));
        }
        for (QLabel *l : window.findChildren<QLabel *>()) {
            QVERIFY2(l->fontMetrics().horizontalAdvance(l->text()) <= l->contentsRect().width(),
                     qPrintable(l->text()));
        }
        for (QAbstractButton *b : window.findChildren<QAbstractButton *>()) {
            if (!b->icon().isNull())
                continue;
            QVERIFY2(b->fontMetrics().horizontalAdvance(b->text()) + 12 <= b->width(),
                     qPrintable(b->text()));
        }
        QVERIFY(group->fontMetrics().horizontalAdvance(group->title()) + 16 <= group->width());
        testsupport::saveShot(&window, u"upgrade_window"_s);
    }

    void everyOutcomeHasItsMessage_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<bool>("byKeyboard");
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<bool>("changes");

        const QStringList none;
        const QString unchanged = u"学习数据库没有任何改动。"_s;
        QTest::newRow("blank path")
            << QString() << none << false << u"提示|请点击文件夹按钮选择升级文件！|1|1"_s << false;
        QTest::newRow("missing file")
            << u"missing"_s << none << true << u"错误|无法打开升级文件！|1|2"_s << false;
        QTest::newRow("another product")
            << u"foreign.mdb"_s << QStringList{u"update tab_sj set cpbs='OTHER'"_s} << false
            << u"提示|升级文件不属于本软件！|1|1"_s << false;
        QTest::newRow("applied before")
            << u"applied.mdb"_s << QStringList{u"update tab_sj set sjbs=''"_s} << true
            << u"提示|您已升级过了！|1|1"_s << false;
        QTest::newRow("no tab_sj")
            << u"nosj.mdb"_s << QStringList{u"drop table tab_sj"_s} << false
            << u"错误|不是有效的升级文件（缺少升级标识）！\n"_s + unchanged + u"|1|2"_s << false;
        QTest::newRow("a table missing")
            << u"norule.mdb"_s << QStringList{u"drop table tab_rule"_s} << true
            << u"提示|升级失败！\n升级文件缺少数据表 tab_rule。\n"_s + unchanged + u"|1|2"_s
            << false;
        QTest::newRow("a chapter twice")
            << u"twice.mdb"_s
            << QStringList{u"insert into tab_kmmc select * from tab_kmmc where C1='010202'"_s}
            << false
            << u"提示|升级失败！\n升级文件的数据表 tab_kmmc 中章节编码（C1）“010202”出现了 2 次。\n"_s +
                   unchanged + u"|1|2"_s
            << false;
        QTest::newRow("a damaged file")
            << u"damaged.mdb"_s << none << false
            << u"错误|升级文件已损坏，无法读取！\n"_s + unchanged + u"|1|2"_s << false;
        QTest::newRow("the study database")
            << u"<study database>"_s << none << true
            << u"提示|这是学习数据库本身，不是升级文件！\n"_s + unchanged + u"|1|1"_s << false;
        QTest::newRow("success") << u"good.mdb"_s << none << false
                                 << u"提示|升级成功！\n新增试题 5 道。|1|0"_s << true;
        QTest::newRow("success, a question the bank has")
            << u"overlap.mdb"_s
            << QStringList{u"insert into tab_answ (A1,A2,A2_1,A10,A13,F1,xx) "
                           u"values ('010101000001','A',4,'010101',11,0,1)"_s}
            << false << u"提示|升级成功！\n新增试题 5 道，已有的 1 道保持原样。|1|0"_s << true;
        QTest::newRow("success by keyboard, blanks around the path")
            << u"  good.mdb  "_s << none << true << u"提示|升级成功！\n新增试题 5 道。|1|0"_s
            << true;
    }
    void everyOutcomeHasItsMessage()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, statements);
        QFETCH(bool, byKeyboard);
        QFETCH(QString, prompt);
        QFETCH(bool, changes);
        QString typed = u"   "_s;
        if (file == u"<study database>"_s) {
            typed = data->folder.databasePath();
        } else if (!file.isEmpty()) {
            const QString name = file.trimmed();
            const QString path = files.path() + u"/升级 文件/"_s + name;
            if (name != u"missing"_s)
                QVERIFY(upgradefiles::makeUpgrade(path, statements));
            if (name == u"damaged.mdb"_s)
                QVERIFY(clearPageOf(path, u"ix_answ_a10"_s));
            typed = QString(file).replace(name, path);
        }
        const QString before = upgradefiles::snapshot(data->study.connection());
        UpgradeWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(attempt(window, typed, byKeyboard), QStringList{prompt});
        QCOMPARE(upgradefiles::snapshot(data->study.connection()) != before, changes);
        // The window stays open for another attempt.
        QVERIFY(window.isVisible());
    }

    void theSecondAttemptSaysAlreadyApplied()
    {
        UpgradeWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QString file = upgradefiles::fixtureUpgrade();
        QCOMPARE(attempt(window, file, false),
                 QStringList{u"提示|升级成功！\n新增试题 5 道。|1|0"_s});
        const QString applied = upgradefiles::snapshot(data->study.connection());
        QCOMPARE(attempt(window, file, true), QStringList{u"提示|您已升级过了！|1|1"_s});
        QCOMPARE(upgradefiles::snapshot(data->study.connection()), applied);
        // The backup the upgrade left is no upgrade either.
        QCOMPARE(attempt(window, data->folder.databasePath() + u".bak"_s, false),
                 QStringList{
                     u"提示|这是学习数据库的备份，不是升级文件！\n学习数据库没有任何改动。|1|1"_s});
        QCOMPARE(upgradefiles::snapshot(data->study.connection()), applied);
    }

    void theProgressWindowShowsWhileImporting()
    {
        UpgradeWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        progressWindow()->showText(u"请等待..."_s);
        progressWindow()->finish();
        // The notice is gone before the outcome is told.
        QList<bool> shownAtPrompt;
        PromptHook::set([&](const PromptCall &) {
            shownAtPrompt.append(progressWindow()->isVisible());
            return 1;
        });
        auto *edit = child<QLineEdit>(&window, u"pathEdit"_s);
        edit->setText(upgradefiles::fixtureUpgrade());
        QTest::mouseClick(child<QPushButton>(&window, u"startButton"_s), Qt::LeftButton);
        PromptHook::clear();
        QCOMPARE(shownAtPrompt, QList<bool>{false});
        QCOMPARE(progressWindow()->text(), u"正在升级题库，请等待..."_s);
        QVERIFY(!progressWindow()->isVisible());
    }

    void folderButtonChoosesTheFile_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("file chosen") << true;
        QTest::newRow("dialog cancelled") << false;
    }
    void folderButtonChoosesTheFile()
    {
        QFETCH(bool, accept);
        const QString file = files.path() + u"/下载/升级's #1.mdb"_s;
        QVERIFY(upgradefiles::makeUpgrade(file));
        UpgradeWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *edit = child<QLineEdit>(&window, u"pathEdit"_s);
        edit->setText(u"typed before"_s);
        QStringList filters;
        QString startFolder;
        whenModal<QFileDialog>([&](QFileDialog *dialog) {
            filters = dialog->nameFilters();
            startFolder = dialog->directory().absolutePath() + u'/';
            if (accept) {
                // Typed into the name box as a user would: selectFile() leaves the box alone
                // while it has the focus, and the dialog would then stay open.
                if (auto *name = dialog->findChild<QLineEdit *>(u"fileNameEdit"_s))
                    name->setText(file);
                else
                    dialog->selectFile(file);
                QMetaObject::invokeMethod(dialog, "accept");
            } else {
                dialog->reject();
            }
        });
        // The folder button is reached by keyboard too.
        auto *folder = child<QToolButton>(&window, u"browseButton"_s);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), folder);
        QTest::keyClick(folder, Qt::Key_Space);
        QCOMPARE(filters, (QStringList{u"升级文件(*.mdb)"_s, u"所有文件(*.*)"_s}));
        QCOMPARE(QDir(startFolder).canonicalPath(), QDir(App::programFolder).canonicalPath());
        QCOMPARE(edit->text(), accept ? file : u"typed before"_s);
        if (accept) {
            PromptCatcher catcher;
            QTest::mouseClick(child<QPushButton>(&window, u"startButton"_s), Qt::LeftButton);
            QCOMPARE(catcher.messages(), QStringList{u"升级成功！\n新增试题 5 道。"_s});
        }
    }

    void closingReleasesTheUpgradeFile_data()
    {
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("关闭 button") << false;
        QTest::newRow("Escape key") << true;
    }
    void closingReleasesTheUpgradeFile()
    {
        QFETCH(bool, byEscape);
        const QString file = files.path() + u"/held.mdb"_s;
        // Attempts that end before and after the appends both leave the file open on
        // upgradeConnection.
        QVERIFY(upgradefiles::makeUpgrade(file, {u"update tab_sj set cpbs='OTHER'"_s}));
        UpgradeWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(attempt(window, file, false), QStringList{u"提示|升级文件不属于本软件！|1|1"_s});
        QVERIFY(data->study.upgradeConnection().isOpen());
        QVERIFY(upgradefiles::heldOpen(file));
        if (byEscape)
            QTest::keyClick(&window, Qt::Key_Escape);
        else
            QTest::mouseClick(child<QPushButton>(&window, u"closeButton"_s), Qt::LeftButton);
        QVERIFY(!window.isVisible());
        QVERIFY(!data->study.upgradeConnection().isOpen());
        QVERIFY(!upgradefiles::heldOpen(file));
    }

    void sampleUpgradeFromTheMenu()
    {
        // The shipped bank and the shipped sample, through the start window's dispatcher.
        data.reset();
        data = std::make_unique<testsupport::TestDatabase>(testsupport::shippedDb());
        QVERIFY(data->isValid());
        const BrowserFigures before = browserFigures();
        QVERIFY(before.total > 0);
        QVERIFY(!before.order.contains(u"010205"_s));

        StartWindow start;
        QStringList prompts;
        bool released = false;
        start.setModalRunner([&](QDialog &dialog) {
            dialog.show();
            if (!QTest::qWaitForWindowExposed(&dialog))
                return int(QDialog::Rejected);
            auto *window = qobject_cast<UpgradeWindow *>(&dialog);
            if (!window)
                return int(QDialog::Rejected);
            prompts += attempt(*window, upgradefiles::sampleUpgrade(), false);
            QTest::mouseClick(child<QPushButton>(window, u"closeButton"_s), Qt::LeftButton);
            released = !upgradefiles::heldOpen(upgradefiles::sampleUpgrade());
            return dialog.result();
        });
        start.runMenuCommand(u"sj"_s, {});
        QCOMPARE(prompts, QStringList{u"提示|升级成功！\n新增试题 31 道。|1|0"_s});
        QVERIFY(released);

        const BrowserFigures after = browserFigures();
        QCOMPARE(after.total, before.total + 31);
        // The new section sorts under its chapter, with its questions counted up the tree.
        QCOMPARE(after.order.indexOf(u"010205"_s), after.order.indexOf(u"010204"_s) + 1);
        QCOMPARE(after.questions.value(u"010205"_s), 10);
        QCOMPARE(after.questions.value(u"010402"_s), before.questions.value(u"010402"_s) + 2);
        QCOMPARE(after.questions.value(u"01"_s), before.questions.value(u"01"_s) + 12);
        QCOMPARE(after.questions.value(u"02"_s), before.questions.value(u"02"_s) + 7);
        QCOMPARE(after.questions.value(u"03"_s), before.questions.value(u"03"_s) + 7);
        QCOMPARE(after.questions.value(u"05"_s), before.questions.value(u"05"_s) + 5);
        QCOMPARE(after.questions.value(u"0"_s), before.questions.value(u"0"_s) + 31);

        prompts.clear();
        start.runMenuCommand(u"sj"_s, {});
        QCOMPARE(prompts, QStringList{u"提示|您已升级过了！|1|1"_s});
    }
};

STUDYAID_QTEST_MAIN(UpgradeWindowTest)
#include "test_upgrade_window.moc"
