// The candidate's own answer on the subjective page of chapter practice: kept per question when
// the question is left, rated, its explanation opened or the window closed; shown again with the
// question and beside the model answer; a failed write keeps the text; a paper has no box.
#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "practice/AnswerString.h"
#include "practice/PracticeSets.h"
#include "practice/PracticeWindow.h"
#include "practice/QuestionCore.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBrowser>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString kSubjective = u"010101000006"_s; // the 6th question of chapter 010101

using testsupport::button;
using testsupport::child;

} // namespace

class OwnAnswerTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<testsupport::TestDatabase> data;
    std::unique_ptr<testsupport::FixedToday> today;
    std::unique_ptr<testsupport::PromptCatcher> prompts;

    QSqlDatabase db() const { return data->study.connection(); }
    void exec(const QString &sql) { Db::exec(db(), sql); }
    QVariant value(const QString &sql) { return Db::scalar(db(), sql); }
    QString stored()
    {
        return value(u"select answer from tab_own_answer where A1='"_s + kSubjective + u"'"_s)
            .toString();
    }
    int storedRows() { return value(u"select count(*) from tab_own_answer"_s).toInt(); }

    // The new questions of chapter 010101, or the subjective question alone.
    std::unique_ptr<PracticeWindow> open(bool subjectiveAlone = false)
    {
        App::practiceQuery =
            subjectiveAlone
                ? u"select a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,"
                  u"e4,f1,xx,csbs,ecount from tab_answ where a1='"_s +
                      kSubjective + u"'"_s
                : PracticeSets::practiceQuery(PracticeSets::Set::New, u"010101"_s);
        auto underTest = std::make_unique<PracticeWindow>();
        underTest->setWindowTitle(u"练习新题"_s);
        if (!underTest->preparePracticeRun())
            return nullptr;
        underTest->show();
        return underTest;
    }

    void go(PracticeWindow *w, int n)
    {
        child<NumberButton>(w, u"numberButton"_s + QString::number(n))->click();
    }

    QPlainTextEdit *box(PracticeWindow *w) { return child<QPlainTextEdit>(w, u"ownAnswerEdit"_s); }

private slots:
    void initTestCase() { testsupport::DiskFull::install(); }

    void init()
    {
        data = std::make_unique<testsupport::TestDatabase>();
        QVERIFY(data->isValid());
        App::currentPaperKind = 1;
        App::answerTimeTable = {};
        App::loadAnswerTimeTable(db(), 1, App::answerTimeTable);
        today = std::make_unique<testsupport::FixedToday>(QDate(2026, 3, 10));
        prompts = std::make_unique<testsupport::PromptCatcher>();
        // Every write into the table counts, so that a text kept twice shows.
        exec(u"create table own_writes (n)"_s);
        exec(u"create trigger own_insert after insert on tab_own_answer "
             u"begin insert into own_writes values (1); end"_s);
        exec(u"create trigger own_update after update on tab_own_answer "
             u"begin insert into own_writes values (1); end"_s);
    }

    void cleanup()
    {
        while (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
        prompts.reset();
        today.reset();
        data.reset();
    }

    // Keys typed in the box are text: 1, 0 and Enter neither rate nor move on. The text is kept
    // once on leaving, shown again on coming back, kept again when rated with a change, and on
    // closing.
    void typedTextIsKeptOnceAndComesBack()
    {
        auto underTest = open();
        QVERIFY(underTest);
        PracticeWindow *w = underTest.get();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        go(w, 1);
        QVERIFY(!box(w)->isVisible()); // a choice question: no box
        go(w, 6);
        QCOMPARE(underTest->core()->pages()->currentIndex(), int(Answer::Subjective));
        QVERIFY(box(w)->isVisible());
        QVERIFY(box(w)->toPlainText().isEmpty());

        // Reached by Tab from the 会/不会 choice.
        auto *choice = child<QComboBox>(w, u"subjectiveChoice"_s);
        choice->setFocus(Qt::TabFocusReason);
        QTest::keyClick(choice, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), box(w));
        QTest::keyClicks(box(w), u"p1 0"_s);
        QTest::keyClick(box(w), Qt::Key_Return);
        QTest::keyClicks(box(w), u"x"_s);
        QCOMPARE(box(w)->toPlainText(), u"p1 0\nx"_s);
        QCOMPARE(choice->currentIndex(), -1);
        QCOMPARE(underTest->core()->currentRecord(), 6);
        QVERIFY(value(u"select E2 from tab_answ where A1='"_s + kSubjective + u"'"_s)
                    .toString()
                    .isEmpty());
        QCOMPARE(storedRows(), 0); // typing alone writes nothing

        box(w)->setPlainText(u"安全生产责任制的五个要点"_s);
        go(w, 5);
        QCOMPARE(stored(), u"安全生产责任制的五个要点"_s);
        QCOMPARE(value(u"select saved from tab_own_answer"_s).toString(), u"2026-03-10"_s);
        QVERIFY(box(w)->toPlainText().isEmpty() || !box(w)->isVisible());
        go(w, 6);
        QCOMPARE(box(w)->toPlainText(), u"安全生产责任制的五个要点"_s);
        go(w, 5);
        go(w, 6);
        QCOMPARE(value(u"select count(*) from own_writes"_s).toInt(), 1);

        // Rated with a changed text: kept with the rating.
        box(w)->setPlainText(u"第二稿"_s);
        choice->setCurrentIndex(1);
        button(w, u"finishButton"_s)->click();
        QCOMPARE(stored(), u"第二稿"_s);
        QCOMPARE(value(u"select count(*) from own_writes"_s).toInt(), 2);

        // Closing keeps the text on screen; an emptied box removes the kept one.
        box(w)->setPlainText(u"第三稿"_s);
        underTest->close();
        QCOMPARE(stored(), u"第三稿"_s);
        underTest = open(true); // rated: no longer among the new questions
        QVERIFY(underTest);
        QCOMPARE(box(underTest.get())->toPlainText(), u"第三稿"_s);
        box(underTest.get())->clear();
        underTest->close();
        QCOMPARE(storedRows(), 0);
        QVERIFY(prompts->calls().isEmpty());
    }

    // A write that fails says the answer was not saved, keeps the text on screen (also after
    // leaving and coming back) and stores nothing; once writing works again it is kept.
    void failedWriteKeepsTheText()
    {
        exec(u"create trigger no_own before insert on tab_own_answer "
             u"begin select raise(abort, 'own answers locked'); end"_s);
        auto underTest = open();
        QVERIFY(underTest);
        PracticeWindow *w = underTest.get();
        go(w, 6);
        box(w)->setPlainText(u"我的思路"_s);
        go(w, 5);
        QCOMPARE(prompts->messages(), QStringList{u"发生错误，您的答案没有保存！"_s});
        QCOMPARE(prompts->calls().constLast().caption, u"错误"_s);
        QCOMPARE(storedRows(), 0);
        go(w, 6);
        QCOMPARE(box(w)->toPlainText(), u"我的思路"_s);
        button(w, u"finishButton"_s)->click(); // rating without a choice: the prompt to choose
        QCOMPARE(prompts->messages().size(), 3);
        QCOMPARE(prompts->messages().at(1), u"发生错误，您的答案没有保存！"_s);
        QCOMPARE(box(w)->toPlainText(), u"我的思路"_s);
        QCOMPARE(storedRows(), 0);

        exec(u"drop trigger no_own"_s);
        go(w, 5);
        QCOMPARE(stored(), u"我的思路"_s);
        QCOMPARE(prompts->messages().size(), 3);
        underTest->close();
    }

    // 解析 shows the own answer under "我的答案：" above the model answer, kept as it opens;
    // without an own answer it shows the model answer alone.
    void explanationShowsTheOwnAnswer()
    {
        exec(u"update tab_exer set jx=x'e58f82e88083e7ad94e6a188' where A1='"_s + kSubjective +
             u"'"_s); // 参考答案
        auto underTest = open();
        QVERIFY(underTest);
        PracticeWindow *w = underTest.get();
        go(w, 6);
        struct Seen
        {
            bool captionShown = false;
            QString own;
            QString model;
        } seen;
        auto look = [&seen](QDialog *window) {
            auto *caption = window->findChild<QLabel *>(u"ownAnswerCaption"_s);
            auto *own = window->findChild<QPlainTextEdit *>(u"ownAnswerView"_s);
            seen.captionShown =
                caption && caption->isVisible() && caption->text() == u"我的答案："_s;
            seen.own = own && own->isVisible() ? own->toPlainText() : QString();
            seen.model = window->findChild<QTextBrowser *>(u"explanationView"_s)->toPlainText();
            testsupport::saveShot(window, u"own_answer_explanation"_s);
            window->close();
        };
        testsupport::whenModalShows<QDialog>(look);
        button(w, u"explanationButton"_s)->click();
        QVERIFY(!seen.captionShown);
        QCOMPARE(seen.model, u"参考答案"_s);

        box(w)->setPlainText(u"我的答案正文"_s);
        testsupport::whenModalShows<QDialog>(look);
        button(w, u"explanationButton"_s)->click();
        QVERIFY(seen.captionShown);
        QCOMPARE(seen.own, u"我的答案正文"_s);
        QCOMPARE(seen.model, u"参考答案"_s);
        QCOMPARE(stored(), u"我的答案正文"_s);
        underTest->close();
    }

    // The box fits the window in both display modes; a paper's core has none.
    void boxFitsAndPapersHaveNone()
    {
        auto underTest = open();
        QVERIFY(underTest);
        PracticeWindow *w = underTest.get();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        go(w, 6);
        box(w)->setPlainText(u"第一行\n第二行"_s);
        QWidget *boxWidget = box(w);
        QVERIFY(boxWidget->isVisible());
        for (QWidget *c : {boxWidget, child<QWidget>(w, u"subjectiveChoice"_s),
                           child<QWidget>(w, u"subjectiveHint"_s),
                           static_cast<QWidget *>(underTest->core()->body())}) {
            const QRect r(c->mapTo(w, QPoint(0, 0)), c->size());
            QVERIFY2(w->rect().contains(r), qPrintable(c->objectName()));
        }
        // Two lines of text show without scrolling.
        QVERIFY(boxWidget->height() >= 2 * boxWidget->fontMetrics().lineSpacing());
        testsupport::saveShot(w, u"own_answer_page"_s);
        underTest->close();

        QWidget host;
        QuestionCoreOptions paper;
        paper.paper = true;
        QuestionCore core(&host, paper);
        QVERIFY(!core.pages()->ownAnswerShown());
        core.pages()->showPage(Answer::Subjective);
        host.show();
        QVERIFY(!core.pages()->findChild<QPlainTextEdit *>(u"ownAnswerEdit"_s)->isVisible());
    }
};

STUDYAID_QTEST_MAIN(OwnAnswerTest)
#include "test_own_answer.moc"
