// The subject and chapter browser driven by objectName on a temporary fixture copy: layout of
// both display modes, the totals, the messages for subjects and empty sets, and the round trip
// through the real practice window back to the same chapter with fresh totals.
#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "practice/ChapterBrowser.h"
#include "practice/PracticeSets.h"
#include "practice/PracticeWindow.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QBackingStore>
#include <QDialog>
#include <QHeaderView>
#include <QImage>
#include <QLCDNumber>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSqlQueryModel>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;
using PracticeSets::Set;

namespace {

QTableView *grid(QWidget *w)
{
    return w->findChild<QTableView *>(u"chapterGrid"_s);
}

int rowOf(QWidget *w, const QString &code)
{
    const QAbstractItemModel *m = grid(w)->model();
    for (int r = 0; r < m->rowCount(); ++r) {
        if (m->index(r, 0).data().toString() == code)
            return r;
    }
    return -1;
}

// Clicks the chapter's name cell, as the candidate does.
bool clickChapter(QWidget *w, const QString &code, bool doubleClicked = false)
{
    QTableView *view = grid(w);
    const int row = rowOf(w, code);
    if (row < 0)
        return false;
    const QModelIndex index = view->model()->index(row, 2);
    view->scrollTo(index);
    const QPoint at = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    if (doubleClicked)
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    return view->currentIndex().row() == row;
}

QString currentCode(QWidget *w)
{
    const QModelIndex current = grid(w)->currentIndex();
    return current.siblingAtColumn(0).data().toString();
}

QPushButton *button(QWidget *w, const QString &name)
{
    return w->findChild<QPushButton *>(name);
}

int number(QWidget *w, const QString &name)
{
    return w->findChild<QLCDNumber *>(name)->intValue();
}

} // namespace

class ChapterBrowserTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        data = std::make_unique<testsupport::TestDatabase>();
        QVERIFY(data->isValid());
        study = &data->study;
        App::practiceQuery = u"untouched"_s;
        App::currentChapterKey.clear();
    }
    void cleanup()
    {
        study = nullptr;
        data.reset();
    }

    void layoutOfTheDisplayMode()
    {
        ChapterBrowser underTest;
        underTest.show();
        QVERIFY(QTest::qWaitForWindowExposed(&underTest));
        QCOMPARE(underTest.windowTitle(), u"科目名称"_s);
        const bool compact = App::displayMode == u"800"_s;
        QCOMPARE(underTest.size(), compact ? QSize(761, 480) : QSize(935, 611));
        QTableView *view = grid(&underTest);
        const bool narrow = underTest.screen()->geometry().width() == 800;
        QCOMPARE(view->columnWidth(2), narrow ? 308 : 370);
        for (int c = 3; c <= 7; ++c)
            QCOMPARE(view->columnWidth(c), narrow ? 50 : 65);
        QVERIFY(view->isColumnHidden(0));
        QVERIFY(view->isColumnHidden(1));
        QStringList headers;
        for (int c = 2; c <= 7; ++c)
            headers.append(view->model()->headerData(c, Qt::Horizontal).toString());
        QCOMPARE(headers, (QStringList{u"章节名称"_s, u"习题数目"_s, u"已做题数"_s, u"已做道次"_s,
                                       u"做错道次"_s, u"综合成绩"_s}));
        const QFontMetrics headerMetrics = view->horizontalHeader()->fontMetrics();
        for (int c = 2; c <= 7; ++c) {
            QVERIFY2(headerMetrics.horizontalAdvance(headers[c - 2]) + 4 <= view->columnWidth(c),
                     qPrintable(headers[c - 2]));
        }
        // Every chapter in display order but the reserved row.
        QStringList codes;
        for (int r = 0; r < view->model()->rowCount(); ++r)
            codes.append(view->model()->index(r, 0).data().toString());
        QSqlQuery q = Db::query(study->connection(), u"select C1 from tab_kmmc order by bh"_s);
        QStringList expected;
        while (q.next())
            expected.append(q.value(0).toString());
        expected.removeAll(u"xx"_s);
        QCOMPARE(codes, expected);
        // The grid's columns fit it, so no horizontal scrolling on the screen of the mode.
        QVERIFY(view->horizontalHeader()->length() <= view->viewport()->width());

        // Nothing clipped: every control inside the window, every caption inside its control.
        for (QWidget *child : underTest.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (!child->isVisible())
                continue;
            QVERIFY2(underTest.rect().contains(child->geometry()), qPrintable(child->objectName()));
        }
        for (QPushButton *b : underTest.findChildren<QPushButton *>()) {
            QVERIFY2(b->fontMetrics().horizontalAdvance(b->text()) + 10 <= b->width(),
                     qPrintable(b->text()));
        }
        for (QLabel *l : underTest.findChildren<QLabel *>()) {
            if (!l->wordWrap())
                QVERIFY2(l->fontMetrics().horizontalAdvance(l->text()) <= l->contentsRect().width(),
                         qPrintable(l->text()));
        }
        const QList<QPair<QString, QString>> captions{
            {u"newQuestionsButton"_s, u"练习新题"_s},  {u"wrongQuestionsButton"_s, u"错题重做"_s},
            {u"doneQuestionsButton"_s, u"习题重温"_s}, {u"settingsButton"_s, u"设置"_s},
            {u"entryButton"_s, u"试题录入"_s},         {u"closeButton"_s, u"关闭"_s}};
        for (const auto &[name, caption] : captions)
            QCOMPARE(button(&underTest, name)->text(), caption);
        testsupport::saveShot(&underTest, u"chapter_browser"_s);
    }

    void totals()
    {
        {
            ChapterBrowser underTest;
            underTest.show();
            QVERIFY(QTest::qWaitForWindowExposed(&underTest));
            QCOMPARE(number(&underTest, u"questionTotal"_s),
                     Db::scalar(study->connection(), u"select count(*) from tab_answ"_s).toInt());
            QCOMPARE(number(&underTest, u"answerTotal"_s), 0);
            QCOMPARE(number(&underTest, u"wrongTotal"_s), 0);
            QCOMPARE(underTest.findChild<QLabel *>(u"scoreLabel"_s)->text(), u"分数"_s);
        }
        // Higher chapters repeat their sections' figures and are not added again.
        Db::exec(study->connection(), u"update tab_kmmc set C3=0,D1=0,D2=0"_s);
        Db::exec(study->connection(),
                 u"update tab_kmmc set C3=12000,D1=7,D2=1 where C1='010101'"_s);
        Db::exec(study->connection(), u"update tab_kmmc set C3=345,D1=1,D2=1 where C1='020101'"_s);
        Db::exec(study->connection(),
                 u"update tab_kmmc set C3=500,D1=50,D2=50 where length(C1)<6"_s);
        ChapterBrowser underTest;
        underTest.show();
        QVERIFY(QTest::qWaitForWindowExposed(&underTest));
        QCOMPARE(number(&underTest, u"questionTotal"_s), 10000);
        QCOMPARE(number(&underTest, u"answerTotal"_s), 8);
        QCOMPARE(number(&underTest, u"wrongTotal"_s), 2);
        QCOMPARE(underTest.findChild<QLabel *>(u"scoreLabel"_s)->text(), u"75.00"_s);
        testsupport::saveShot(&underTest, u"chapter_browser_totals"_s);
    }

    void rowChangeSetsTheChapterKey()
    {
        ChapterBrowser underTest;
        underTest.show();
        QVERIFY(QTest::qWaitForWindowExposed(&underTest));
        QCOMPARE(currentCode(&underTest), u"0"_s); // the first row
        QVERIFY(clickChapter(&underTest, u"010102"_s));
        QCOMPARE(App::currentChapterKey, u"法律知识 第一章 第二节"_s);
        QTest::keyClick(grid(&underTest), Qt::Key_Down);
        QCOMPARE(currentCode(&underTest), u"0102"_s);
        QCOMPARE(App::currentChapterKey, u"法律知识 第二章"_s);
    }

    void aSyllabusThatCannotBeReadIsReported()
    {
        Db::exec(study->connection(), u"alter table tab_kmmc rename to tab_kmmc_gone"_s);
        testsupport::PromptCatcher prompts;
        ChapterBrowser underTest;
        underTest.show();
        QVERIFY(QTest::qWaitForWindowExposed(&underTest));
        QCOMPARE(prompts.calls().size(), 1);
        QCOMPARE(prompts.calls().first().caption, u"错误"_s);
        QCOMPARE(prompts.calls().first().message, u"发生错误！"_s);
        QVERIFY(underTest.isVisible());
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void subjectsCannotBePractised_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("control"); // a button, or "dblclick" on the grid
        for (const QString &code : {u"0"_s, u"02"_s}) {
            // 错题重做 and 习题重温 run on subjects (wrongNotebookRunsOnSubjects).
            for (const QString &control :
                 {u"newQuestionsButton"_s, u"entryButton"_s, u"dblclick"_s}) {
                QTest::addRow("%s %s", qPrintable(code), qPrintable(control)) << code << control;
            }
        }
    }
    void subjectsCannotBePractised()
    {
        QFETCH(QString, code);
        QFETCH(QString, control);
        ChapterBrowser underTest;
        underTest.show();
        QVERIFY(QTest::qWaitForWindowExposed(&underTest));
        testsupport::PromptCatcher prompts;
        if (control == u"dblclick"_s)
            QVERIFY(clickChapter(&underTest, code, true));
        else {
            QVERIFY(clickChapter(&underTest, code));
            button(&underTest, control)->click();
        }
        QCOMPARE(prompts.calls().size(), 1);
        const PromptCall &call = prompts.calls().first();
        QCOMPARE(call.kind, PromptCall::MessageBox);
        QCOMPARE(call.caption, u"提示"_s);
        QCOMPARE(call.message, u"请选择具体章节目录！"_s);
        QCOMPARE(call.icon, int(QMessageBox::Information));
        QCOMPARE(App::practiceQuery, u"untouched"_s);
        QVERIFY(underTest.isVisible());
        QCOMPARE(currentCode(&underTest), code);
    }

    // The wrong-question notebook: 错题重做 and 习题重温 on a subject and on 全部科目, by mouse
    // and by keyboard, with the sizes of both sets shown on the row before starting.
    void wrongNotebookRunsOnSubjects_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("set");
        QTest::addColumn<bool>("keyboard");
        QTest::addColumn<int>("wrong");
        QTest::addColumn<int>("done");
        QTest::newRow("all subjects, wrong, mouse") << u"0"_s << int(Set::Wrong) << false << 3 << 4;
        QTest::newRow("all subjects, done, keyboard") << u"0"_s << int(Set::Done) << true << 3 << 4;
        QTest::newRow("subject, wrong, keyboard") << u"02"_s << int(Set::Wrong) << true << 1 << 1;
        QTest::newRow("subject, done, mouse") << u"01"_s << int(Set::Done) << false << 2 << 3;
    }
    void wrongNotebookRunsOnSubjects()
    {
        QFETCH(QString, code);
        QFETCH(int, set);
        QFETCH(bool, keyboard);
        QFETCH(int, wrong);
        QFETCH(int, done);
        Db::exec(study->connection(), u"update tab_answ set E2='A',E4=-1 where A1 in "
                                      u"('010101000004','010201000001','020101000001')"_s);
        Db::exec(study->connection(), u"update tab_answ set E2='B',E4=0 where A1='010101000001'"_s);
        ChapterBrowser underTest;
        underTest.show();
        QVERIFY(QTest::qWaitForWindowExposed(&underTest));
        QVERIFY(clickChapter(&underTest, code));
        QCOMPARE(underTest.findChild<QLabel *>(u"setCountLabel"_s)->text(),
                 u"错题 %1 道\n做过 %2 道"_s.arg(wrong).arg(done));
        testsupport::PromptCatcher prompts;
        QString title;
        int shown = -1;
        testsupport::whenModalShows<PracticeWindow>([&](PracticeWindow *practice) {
            title = practice->windowTitle();
            shown = practice->findChild<QLabel *>(u"questionCountLabel"_s)->text().toInt();
            practice->close();
        });
        QPushButton *start = button(&underTest, set == int(Set::Wrong) ? u"wrongQuestionsButton"_s
                                                                       : u"doneQuestionsButton"_s);
        if (keyboard) {
            // Tab from the grid to the button, then Space.
            grid(&underTest)->setFocus();
            for (int i = 0; i < 4 && !start->hasFocus(); ++i)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QVERIFY(start->hasFocus());
            QTest::keyClick(start, Qt::Key_Space);
        } else {
            start->click();
        }
        QVERIFY(prompts.calls().isEmpty());
        QCOMPARE(App::practiceQuery, PracticeSets::practiceQuery(static_cast<Set>(set), code));
        QCOMPARE(title, start->text());
        QCOMPARE(shown, set == int(Set::Wrong) ? wrong : done);
        QVERIFY(underTest.isVisible());
        QCOMPARE(currentCode(&underTest), code);
        testsupport::saveShot(&underTest, u"chapter_browser_notebook"_s);
    }

    void emptySetsAreReported_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("set");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("icon");
        const QString allDone = u"update tab_answ set E2='A',E4=0 where A10 like '0101%'"_s;
        QTest::newRow("new") << u"newQuestionsButton"_s << allDone << int(Set::New)
                             << u"恭喜，习题已做完！"_s << 0;
        QTest::newRow("new by double-click")
            << u"dblclick"_s << allDone << int(Set::New) << u"恭喜，习题已做完！"_s << 0;
        // Enter on the row does what a double-click does.
        QTest::newRow("new by Enter on the row")
            << u"enter"_s << allDone << int(Set::New) << u"恭喜，习题已做完！"_s << 0;
        // Only a voided question is wrong: voided ones are never in the wrong set.
        QTest::newRow("wrong") << u"wrongQuestionsButton"_s
                               << u"update tab_answ set E2='zero',E4=-1,F1=1 where "
                                  u"A1='010101000001'"_s
                               << int(Set::Wrong) << u"本章节下没有错题！"_s << 1;
        QTest::newRow("done") << u"doneQuestionsButton"_s << QString() << int(Set::Done)
                              << u"本章节习题还未曾做过！"_s << 1;
    }
    void emptySetsAreReported()
    {
        QFETCH(QString, control);
        QFETCH(QString, setup);
        QFETCH(int, set);
        QFETCH(QString, message);
        QFETCH(int, icon);
        if (!setup.isEmpty())
            Db::exec(study->connection(), setup);
        ChapterBrowser underTest;
        underTest.show();
        QVERIFY(QTest::qWaitForWindowExposed(&underTest));
        testsupport::PromptCatcher prompts;
        const bool doubleClicked = control == u"dblclick"_s || control == u"enter"_s;
        if (control == u"dblclick"_s) {
            QVERIFY(clickChapter(&underTest, u"0101"_s, true));
        } else if (control == u"enter"_s) {
            QVERIFY(clickChapter(&underTest, u"0101"_s));
            QTest::keyClick(grid(&underTest), Qt::Key_Return);
        } else {
            QVERIFY(clickChapter(&underTest, u"0101"_s));
            button(&underTest, control)->click();
        }
        QCOMPARE(App::practiceQuery,
                 PracticeSets::practiceQuery(static_cast<Set>(set), u"0101"_s, doubleClicked));
        QCOMPARE(prompts.calls().size(), 1);
        const PromptCall &call = prompts.calls().first();
        QCOMPARE(call.kind, PromptCall::Prompt);
        QCOMPARE(call.caption, u"提示"_s);
        QCOMPARE(call.message, message);
        QCOMPARE(call.buttons, 1);
        QCOMPARE(call.icon, icon);
        QVERIFY(underTest.isVisible());
        QCOMPARE(currentCode(&underTest), u"0101"_s);
        QVERIFY(underTest.findChildren<PracticeWindow *>().isEmpty()); // discarded
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void practiceReturnsToTheSameRowWithFreshTotals()
    {
        // Run as the dispatcher runs it: modally. Hiding for the practice window must not end
        // the browser's own modal loop.
        ChapterBrowser underTest;
        testsupport::ModalSafetyNet safety;

        bool browserHidden = false;
        QString title;
        QString practiceQuery;
        bool visibleAfter = false;
        QString codeAfter;
        int answersAfter = -1;
        QString scoreAfter;
        QString gridFigureAfter;
        bool closedByButton = false;
        bool paintedBefore = false;
        QSize storeWhileHidden;
        QImage onScreen;
        QImage drawn;
        QTimer::singleShot(0, &underTest, [&] {
            paintedBefore = QTest::qWaitFor(
                [&] { return underTest.backingStore()->size() == underTest.size(); }, 5000);
            if (!clickChapter(&underTest, u"010101"_s)) {
                underTest.close();
                return;
            }
            // Showing again reads the grid anew from its first row: the browser must come
            // back to the chapter that was practised.
            testsupport::whenModalShows<PracticeWindow>([&](PracticeWindow *practice) {
                browserHidden = !underTest.isVisible();
                storeWhileHidden = underTest.backingStore()->size();
                title = practice->windowTitle();
                practiceQuery = App::practiceQuery;
                // Answers given meanwhile, as the counters record them.
                Db::exec(study->connection(),
                         u"update tab_kmmc set D1=coalesce(D1,0)+4,D2=coalesce(D2,0)+1 "
                         u"where C1 in ('010101','0101','01','0')"_s);
                practice->close();
            });
            button(&underTest, u"newQuestionsButton"_s)->click();
            visibleAfter = underTest.isVisible();
            codeAfter = currentCode(&underTest);
            answersAfter = number(&underTest, u"answerTotal"_s);
            scoreAfter = underTest.findChild<QLabel *>(u"scoreLabel"_s)->text();
            const QModelIndex current = grid(&underTest)->currentIndex();
            gridFigureAfter = current.siblingAtColumn(5).data().toString();
            // The browser's own modal loop still runs: a later event reaches it.
            QTimer::singleShot(50, &underTest, [&] {
                closedByButton = underTest.isVisible();
                // What the screen shows of the browser is all of it, drawn afresh.
                onScreen = underTest.screen()
                               ->grabWindow(underTest.winId())
                               .toImage()
                               .convertToFormat(QImage::Format_RGB32);
                drawn = underTest.grab().toImage().convertToFormat(QImage::Format_RGB32);
                button(&underTest, u"closeButton"_s)->click();
            });
        });
        testsupport::PromptCatcher prompts;
        underTest.exec();

        QVERIFY(prompts.calls().isEmpty());
        QVERIFY(closedByButton);
        QVERIFY(browserHidden);
        QVERIFY(paintedBefore);
        // Hidden behind the practice window, the browser held no pixels of its own.
        QVERIFY2(
            storeWhileHidden.width() * storeWhileHidden.height() <= 1,
            qPrintable(u"%1x%2"_s.arg(storeWhileHidden.width()).arg(storeWhileHidden.height())));
        QCOMPARE(onScreen.size(), underTest.size());
        QVERIFY(onScreen == drawn);
        QCOMPARE(title, u"练习新题"_s);
        QCOMPARE(practiceQuery, PracticeSets::practiceQuery(Set::New, u"010101"_s));
        QVERIFY(visibleAfter);
        QCOMPARE(codeAfter, u"010101"_s);
        QCOMPARE(answersAfter, 4);
        QCOMPARE(scoreAfter, u"75.00"_s);
        QCOMPARE(gridFigureAfter, u"4"_s); // the grid was read again
        QVERIFY(underTest.findChildren<PracticeWindow *>().isEmpty());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void entryAndSettingsOpen()
    {
        ChapterBrowser underTest;
        underTest.show();
        QVERIFY(QTest::qWaitForWindowExposed(&underTest));
        testsupport::PromptCatcher prompts;
        QVERIFY(clickChapter(&underTest, u"010101"_s));
        QString entryCaption;
        QTimer::singleShot(50, [&entryCaption] {
            if (auto *entry = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                if (auto *caption = entry->findChild<QLabel *>(u"captionLabel"_s))
                    entryCaption = caption->text();
                entry->reject();
            }
        });
        button(&underTest, u"entryButton"_s)->click();
        QCOMPARE(entryCaption, u"试题录入 [第一节]"_s);
        QCOMPARE(currentCode(&underTest), u"010101"_s);
        App::settingsVariant = 1;
        QString opened;
        QObject *owner = nullptr;
        testsupport::handleNextModal([&](QDialog *d) {
            opened = QString::fromLatin1(d->metaObject()->className());
            owner = d->parent();
        });
        button(&underTest, u"settingsButton"_s)->click();
        QCOMPARE(App::settingsVariant, 0);
        QCOMPARE(opened, u"SoundAndTimeSettingsWindow"_s);
        QCOMPARE(owner, &underTest);
        QVERIFY(prompts.messages().isEmpty());
        QVERIFY(underTest.isVisible());
        button(&underTest, u"closeButton"_s)->click();
        QVERIFY(!underTest.isVisible());
    }

private:
    std::unique_ptr<testsupport::TestDatabase> data;
    StudyData *study = nullptr;
};

STUDYAID_QTEST_MAIN(ChapterBrowserTest)
#include "test_chapter_browser.moc"
