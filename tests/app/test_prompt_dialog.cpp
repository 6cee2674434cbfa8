// The prompt dialog: button layouts, variants, pictures, results, and its place on the screen.
#include "support/TestSupport.h"
#include "ui/PromptDialog.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// What the dialog looked like when it would have been shown.
struct Seen
{
    int width = 0;
    QString title;
    QString label;
    QString message;
    int page = -1;
    QString left, centre, right; // caption, or "-" when hidden
    QPoint centrePoint;
};

QString state(const QPushButton *b)
{
    return b->isHidden() ? u"-"_s : b->text();
}

Seen look()
{
    Seen s;
    s.width = sharedPromptDialog->width();
    s.title = sharedPromptDialog->windowTitle();
    s.label = sharedPromptDialog->findChild<QLabel *>(u"captionLabel"_s)->text();
    s.message = sharedPromptDialog->findChild<QLabel *>(u"messageLabel"_s)->text();
    s.page = sharedPromptDialog->findChild<QStackedWidget *>(u"iconPages"_s)->currentIndex();
    s.left = state(sharedPromptDialog->findChild<QPushButton *>(u"leftButton"_s));
    s.centre = state(sharedPromptDialog->findChild<QPushButton *>(u"centreButton"_s));
    s.right = state(sharedPromptDialog->findChild<QPushButton *>(u"rightButton"_s));
    s.centrePoint = sharedPromptDialog->geometry().center();
    return s;
}

// Calls showPrompt with the hook active and returns the dialog's state at that moment.
Seen prompt(const QString &caption, const QString &message, int buttons, int icon,
            const QString &variant)
{
    Seen seen;
    PromptHook::set([&seen](const PromptCall &) {
        seen = look();
        return 1;
    });
    showPrompt(caption, message, buttons, icon, variant);
    PromptHook::clear();
    return seen;
}

// Shows the real dialog and presses a button (by objectName) or a key once it is up; `ignored`
// tells whether the dialog was still up afterwards (the test then ends it another way).
int pressWhenShown(int buttons, const QString &variant, const QString &button, int key,
                   bool *ignored)
{
    *ignored = false;
    QTimer::singleShot(0, [button, key, ignored] {
        QVERIFY(sharedPromptDialog->isVisible());
        if (key)
            QTest::keyClick(sharedPromptDialog, Qt::Key(key));
        else
            QTest::mouseClick(sharedPromptDialog->findChild<QPushButton *>(button), Qt::LeftButton);
        *ignored = sharedPromptDialog->isVisible();
        if (*ignored)
            sharedPromptDialog->done(-1);
    });
    return showPrompt(u"提示"_s, u"要继续吗？"_s, buttons, 0, variant);
}

// The visible prompt dialogs (the shared one and any of a call's own).
QList<PromptDialog *> visiblePrompts()
{
    QList<PromptDialog *> list;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *d = qobject_cast<PromptDialog *>(w); d && d->isVisible())
            list.append(d);
    }
    return list;
}

} // namespace

class TestPrompt : public QObject
{
    Q_OBJECT

private slots:
    void cleanupTestCase()
    {
        delete sharedPromptDialog;
        sharedPromptDialog = nullptr;
    }

    void createsItsDialogOnFirstUse()
    {
        QVERIFY(!sharedPromptDialog);
        prompt(u"提示"_s, u"x"_s, 1, 0, u"NO"_s);
        QVERIFY(sharedPromptDialog);
        QCOMPARE(sharedPromptDialog->objectName(), u"PromptDialog"_s);
        QVERIFY(sharedPromptDialog->windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(sharedPromptDialog->height(), 110);
        // Stored colour 13743256 is blue D1, green B4, red 98.
        QCOMPARE(sharedPromptDialog->palette().color(QPalette::Window), QColor(0x98, 0xb4, 0xd1));
        const QLabel *title = sharedPromptDialog->findChild<QLabel *>(u"captionLabel"_s);
        QVERIFY(title->font().italic());
        QCOMPARE(title->palette().color(QPalette::WindowText), QColor(Qt::white));
        QCOMPARE(sharedPromptDialog->findChild<QStackedWidget *>(u"iconPages"_s)->count(), 3);
    }

    void layouts_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<QString>("variant");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("centre");
        QTest::addColumn<QString>("right");
        QTest::addColumn<int>("width");
        QTest::newRow("0 left+right") << 0 << u"NO"_s << u"确定"_s << u"-"_s << u"取消"_s << 399;
        QTest::newRow("1 centre") << 1 << u"NO"_s << u"-"_s << u"确定"_s << u"-"_s << 399;
        QTest::newRow("2 all") << 2 << u"No"_s << u"确定"_s << u"确定"_s << u"取消"_s << 399;
        QTest::newRow("3 left narrow") << 3 << u""_s << u"确定"_s << u"-"_s << u"-"_s << 200;
        QTest::newRow("2 Exam") << 2 << u"Exam"_s << u"确定"_s << u"取消"_s << u"作废"_s << 399;
        QTest::newRow("0 Exam") << 0 << u"Exam"_s << u"确定"_s << u"-"_s << u"作废"_s << 399;
        QTest::newRow("2 exam lower case")
            << 2 << u"exam"_s << u"确定"_s << u"确定"_s << u"取消"_s << 399;
        QTest::newRow("2 EXAM") << 2 << u"EXAM"_s << u"确定"_s << u"确定"_s << u"取消"_s << 399;
    }
    void layouts()
    {
        QFETCH(int, buttons);
        QFETCH(QString, variant);
        QFETCH(QString, left);
        QFETCH(QString, centre);
        QFETCH(QString, right);
        QFETCH(int, width);
        const Seen s = prompt(u"错误"_s, u"无法打开试题！"_s, buttons, 2, variant);
        QCOMPARE(s.left, left);
        QCOMPARE(s.centre, centre);
        QCOMPARE(s.right, right);
        QCOMPARE(s.width, width);
        QCOMPARE(s.title, u"错误"_s);
        QCOMPARE(s.label, u"错误"_s);
        QCOMPARE(s.message, u"无法打开试题！"_s);
        QCOMPARE(s.page, 2);
        // Centred on the screen, also when narrowed.
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(
            (s.centrePoint - screen.center()).manhattanLength() <= 2,
            qPrintable(u"dialog centre %1,%2"_s.arg(s.centrePoint.x()).arg(s.centrePoint.y())));
    }

    void narrowDialogIsRestoredByTheNextCall()
    {
        QCOMPARE(prompt(u"提示"_s, u"请选择具体章节!"_s, 3, 1, u"NO"_s).width, 200);
        const Seen next = prompt(u"提示"_s, u"请先做出答案！"_s, 1, 1, u"NO"_s);
        QCOMPARE(next.width, 399);
        QCOMPARE(next.centre, u"确定"_s);
        QCOMPARE(next.left, u"-"_s);
        // The narrow layout's button stays inside the narrow dialog.
        prompt(u"提示"_s, u"请选择具体章节!"_s, 3, 1, u"NO"_s);
        const QRect button =
            sharedPromptDialog->findChild<QPushButton *>(u"leftButton"_s)->geometry();
        QVERIFY(sharedPromptDialog->rect().contains(button));
    }

    void pictures_data()
    {
        QTest::addColumn<int>("icon");
        QTest::newRow("information") << 0;
        QTest::newRow("warning") << 1;
        QTest::newRow("error") << 2;
    }
    void pictures()
    {
        QFETCH(int, icon);
        QCOMPARE(prompt(u"提示"_s, u"x"_s, 1, icon, u"NO"_s).page, icon);
        const QStackedWidget *book =
            sharedPromptDialog->findChild<QStackedWidget *>(u"iconPages"_s);
        const auto *page = qobject_cast<const QLabel *>(book->currentWidget());
        QVERIFY(page);
        QVERIFY(!page->pixmap().isNull());
    }

    void hookReceivesTheCall()
    {
        testsupport::PromptCatcher catcher;
        catcher.queue(2);
        QCOMPARE(showPrompt(u"提示"_s, u"要交卷吗？"_s, 2, 1, u"Exam"_s), 2);
        QCOMPARE(catcher.calls().size(), 1);
        const PromptCall &c = catcher.calls().first();
        QCOMPARE(c.kind, PromptCall::Prompt);
        QCOMPARE(c.caption, u"提示"_s);
        QCOMPARE(c.message, u"要交卷吗？"_s);
        QCOMPARE(c.buttons, 2);
        QCOMPARE(c.icon, 1);
        QCOMPARE(c.variant, u"Exam"_s);
    }

    // The real modal dialog: each button closes it with its result.
    void results_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<QString>("variant");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("result");
        QTest::newRow("left") << 0 << u"NO"_s << u"leftButton"_s << 0 << 1;
        QTest::newRow("right") << 0 << u"NO"_s << u"rightButton"_s << 0 << 2;
        QTest::newRow("centre") << 1 << u"NO"_s << u"centreButton"_s << 0 << 3;
        QTest::newRow("Exam right 作废") << 2 << u"Exam"_s << u"rightButton"_s << 0 << 2;
        QTest::newRow("Exam centre 取消") << 2 << u"Exam"_s << u"centreButton"_s << 0 << 3;
        QTest::newRow("narrow left") << 3 << u"NO"_s << u"leftButton"_s << 0 << 1;
        // Escape means 取消; with a single button it means that button.
        QTest::newRow("escape ordinary") << 2 << u"NO"_s << QString() << int(Qt::Key_Escape) << 2;
        QTest::newRow("escape Exam") << 2 << u"Exam"_s << QString() << int(Qt::Key_Escape) << 3;
        QTest::newRow("escape single") << 1 << u"NO"_s << QString() << int(Qt::Key_Escape) << 3;
        QTest::newRow("escape narrow") << 3 << u"NO"_s << QString() << int(Qt::Key_Escape) << 1;
        // Escape without a 取消 does nothing; a dialog ended another way still gives a result
        // of a button it shows (here its first).
        QTest::newRow("escape Exam without 取消")
            << 0 << u"Exam"_s << QString() << int(Qt::Key_Escape) << 1;
        // Enter presses the first button shown.
        QTest::newRow("enter") << 0 << u"NO"_s << QString() << int(Qt::Key_Return) << 1;
    }
    void results()
    {
        QFETCH(int, buttons);
        QFETCH(QString, variant);
        QFETCH(QString, button);
        QFETCH(int, key);
        QFETCH(int, result);
        QVERIFY(!PromptHook::active());
        bool ignored = false;
        QCOMPARE(pressWhenShown(buttons, variant, button, key, &ignored), result);
        QCOMPARE(ignored, QByteArray(QTest::currentDataTag()).contains("without"));
        QVERIFY(!sharedPromptDialog->isVisible());
    }

    // A prompt asked for while another shows (from a timer) never replaces it: it waits until
    // the first is answered, then shows; each call returns the button pressed on its own prompt.
    void onePromptAtATime()
    {
        QVERIFY(!PromptHook::active());
        int second = 0;
        QStringList seen; // messages of the prompts showing, as each step saw them
        auto showing = [&seen] {
            QStringList now;
            for (PromptDialog *d : visiblePrompts())
                now.append(d->findChild<QLabel *>(u"messageLabel"_s)->text());
            seen.append(now.join(u'+'));
        };
        // A safety net: nothing may stay open if the order goes wrong.
        QTimer net;
        net.setSingleShot(true);
        connect(&net, &QTimer::timeout, [] {
            for (PromptDialog *d : visiblePrompts())
                d->done(-1);
        });
        net.start(5000);
        QTimer::singleShot(0, [&] {
            QTimer::singleShot(100, [&] {
                showing();
                QTest::mouseClick(sharedPromptDialog->findChild<QPushButton *>(u"rightButton"_s),
                                  Qt::LeftButton);
                QTimer::singleShot(100, [&] {
                    showing();
                    const QList<PromptDialog *> up = visiblePrompts();
                    if (up.size() == 1)
                        QTest::mouseClick(up.first()->findChild<QPushButton *>(u"centreButton"_s),
                                          Qt::LeftButton);
                });
            });
            second = showPrompt(u"提示"_s, u"到时间了"_s, 1, 1, u"NO"_s);
        });
        const int first = showPrompt(u"提示"_s, u"要交卷吗？"_s, 2, 1, u"Exam"_s);
        QCOMPARE(seen, QStringList({u"要交卷吗？"_s, u"到时间了"_s}));
        QCOMPARE(first, 2);
        QCOMPARE(second, 3);
        QVERIFY(visiblePrompts().isEmpty());
        // The shared dialog serves the next prompt as before.
        bool ignored = false;
        QCOMPARE(pressWhenShown(0, u"NO"_s, u"leftButton"_s, 0, &ignored), 1);
    }
};

STUDYAID_QTEST_MAIN(TestPrompt)
#include "test_prompt_dialog.moc"
