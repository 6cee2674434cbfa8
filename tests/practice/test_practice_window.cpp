// The chapter practice window driven by objectName on a temporary fixture copy: judging and
// recording, groups and navigation, the kind filter, the answer-time gauge, voiding, the answer
// panel, keys, closing, and the layout on both screen sizes. The database is read afterwards.
#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "practice/AnswerString.h"
#include "practice/ExplanationWindow.h"
#include "practice/PracticeSets.h"
#include "practice/PracticeWindow.h"
#include "practice/QuestionCore.h"
#include "support/TestSupport.h"
#include "ui/KeyboardAccess.h"
#include "ui/Picture.h"
#include "ui/WindowParts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QDate kToday(2026, 3, 10);

QString newSet(const QString &chapter)
{
    return PracticeSets::practiceQuery(PracticeSets::Set::New, chapter);
}

QString oneQuestion(const QString &id)
{
    return u"select a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,e4,f1,"
           u"xx,csbs,ecount from tab_answ where a1="_s +
           Db::sqlQuote(id);
}

using testsupport::button;
using testsupport::child;
using testsupport::labelText;

} // namespace

class PracticeWindowTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<testsupport::TestDatabase> data;
    StudyData *study = nullptr;
    std::unique_ptr<testsupport::FixedToday> today;
    std::unique_ptr<testsupport::PromptCatcher> prompts;

    QSqlDatabase db() const { return study->connection(); }

    void exec(const QString &sql, const QVariantList &values = {}) { Db::exec(db(), sql, values); }

    QVariant value(const QString &sql, const QVariantList &values = {})
    {
        return Db::scalar(db(), sql, values);
    }

    QSqlRecord answerRow(const QString &id)
    {
        QSqlQuery q = Db::query(db(), u"select * from tab_answ where A1=?"_s, {id});
        return q.next() ? q.record() : QSqlRecord();
    }

    // A window prepared on a query and shown; null when the set is empty.
    std::unique_ptr<PracticeWindow> open(const QString &query)
    {
        App::practiceQuery = query;
        auto underTest = std::make_unique<PracticeWindow>();
        underTest->setWindowTitle(u"练习新题"_s);
        if (!underTest->preparePracticeRun())
            return nullptr;
        underTest->show();
        return underTest;
    }

    // Presses an option of the page on screen.
    void pick(PracticeWindow *underTest, const QString &letter)
    {
        const int page = underTest->core()->pages()->currentIndex();
        const QString row = page == 0   ? u"singleOption"_s
                            : page == 1 ? u"multipleOption"_s
                                        : u"matchingOption"_s;
        QAbstractButton *b = button(underTest, row + letter);
        QVERIFY(b);
        QVERIFY(!b->isHidden());
        b->click();
    }

    void check(PracticeWindow *underTest) { button(underTest, u"finishButton"_s)->click(); }

    NumberButton *number(PracticeWindow *underTest, int n)
    {
        return child<NumberButton>(underTest, u"numberButton"_s + QString::number(n));
    }

    // Answers the only question of a one-question run with `answer` and closes the window.
    void answerInOwnRun(const QString &id, const QString &answer)
    {
        auto underTest = open(oneQuestion(id));
        QVERIFY(underTest);
        for (const QChar c : answer)
            pick(underTest.get(), QString(c));
        check(underTest.get());
        underTest->close();
    }

    // One question of chapter 010101 with its text, after the fixture's own (ordering key xx).
    void addQuestion(const QString &id, const QString &correct, int options, int kind, int xx)
    {
        exec(u"insert into tab_answ (A1,A2,A2_1,A10,A13,F1,xx) values (?,?,?,'010101',?,0,?)"_s,
             {id, correct, options, kind, xx});
        exec(u"insert into tab_exer (A1,A15) values (?,?)"_s, {id, id.toUtf8()});
    }

    void insertQuestions(const QString &chapter, int count, int kind = 11)
    {
        Db::Transaction tx(db());
        for (int i = 1; i <= count; ++i) {
            const QString id = chapter + QString::number(i).rightJustified(6, u'0');
            exec(
                u"insert into tab_answ (A1,A2,A2_1,A10,A13,F1,xx,E3,E4) values (?,?,4,?,?,0,?,0,0)"_s,
                {id, u"A"_s, chapter, kind, i});
            exec(u"insert into tab_exer (A1,A15) values (?,?)"_s,
                 {id, QString(u"第 "_s + QString::number(i) + u" 题"_s).toUtf8()});
        }
        tx.commit();
    }

private slots:
    void initTestCase() { testsupport::DiskFull::install(); }

    void init()
    {
        data = std::make_unique<testsupport::TestDatabase>();
        QVERIFY(data->isValid());
        study = &data->study;
        App::currentPaperKind = 1;
        App::currentChapterKey = u"法律知识 第一章 第一节"_s;
        App::answerTimeTable = {};
        App::loadAnswerTimeTable(db(), 1, App::answerTimeTable);
        today = std::make_unique<testsupport::FixedToday>(kToday);
        prompts = std::make_unique<testsupport::PromptCatcher>();
    }

    void cleanup()
    {
        // Windows still open are closed by their tests; modal leftovers go here.
        while (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
        prompts.reset();
        today.reset();
        study = nullptr;
        data.reset();
    }

    void firstQuestionAndPagesShow()
    {
        auto underTest = open(newSet(u"010101"_s));
        QVERIFY(underTest);
        QCOMPARE(labelText(underTest.get(), u"hintBoard"_s), App::currentChapterKey);
        QCOMPARE(labelText(underTest.get(), u"questionCountLabel"_s), u"6"_s);
        QCOMPARE(labelText(underTest.get(), u"questionNumberLabel"_s), u"1"_s);
        QCOMPARE(labelText(underTest.get(), u"occurrenceLabel"_s), u"1"_s);
        QCOMPARE(labelText(underTest.get(), u"clockLabel"_s), u"0:00:00"_s);
        QVERIFY(child<QTextBrowser>(underTest.get(), u"upperPane"_s)
                    ->toPlainText()
                    .contains(u"010101000001"_s));
        // Single choice with four options: E and F hidden, the hint is the page's.
        AnswerPages *pages = underTest->core()->pages();
        QCOMPARE(pages->currentIndex(), 0);
        QCOMPARE(pages->toolTip(), u"选择一个选项作为正确答案"_s);
        QVERIFY(!button(underTest.get(), u"singleOptionD"_s)->isHidden());
        QVERIFY(button(underTest.get(), u"singleOptionE"_s)->isHidden());
        // Nothing answered yet: the answer-dependent buttons wait.
        for (const QString &name :
             {u"explanationButton"_s, u"answerButton"_s, u"pointsButton"_s, u"previousButton"_s,
              u"previousGroupButton"_s, u"nextGroupButton"_s})
            QVERIFY2(!button(underTest.get(), name)->isEnabled(), qPrintable(name));
        QVERIFY(button(underTest.get(), u"nextButton"_s)->isEnabled());
        // Number buttons: six of twenty carry questions; names and states for screen readers.
        QCOMPARE(number(underTest.get(), 1)->accessibleName(), u"1"_s);
        QCOMPARE(number(underTest.get(), 1)->accessibleDescription(), u"未做"_s);
        QVERIFY(number(underTest.get(), 1)->isChecked());
        QVERIFY(number(underTest.get(), 6)->isEnabled());
        QVERIFY(!number(underTest.get(), 7)->isEnabled());
        QCOMPARE(number(underTest.get(), 7)->recordNumber(), 0);
        // Kinds without questions in the set cannot be chosen.
        QVERIFY(button(underTest.get(), u"kindButton0"_s)->isChecked());
        QVERIFY(button(underTest.get(), u"kindButton21"_s)->isEnabled());
        QVERIFY(!button(underTest.get(), u"kindButton31"_s)->isEnabled());
        QVERIFY(!button(underTest.get(), u"kindButton64"_s)->isEnabled());
        // Every run starts with empty run answers in the whole bank.
        QCOMPARE(value(u"select count(*) from tab_answ where E2_1 is null or E2_1<>''"_s).toInt(),
                 0);
        underTest->close();
    }

    void sameAnswerCountsOnceChangedAnswerAgain()
    {
        auto underTest = open(newSet(u"010101"_s));
        QVERIFY(underTest);
        pick(underTest.get(), u"B"_s); // right
        check(underTest.get());
        QSqlRecord r = answerRow(u"010101000001"_s);
        QCOMPARE(r.value(u"E2"_s).toString(), u"B"_s);
        QCOMPARE(r.value(u"E2_1"_s).toString(), u"B"_s);
        QCOMPARE(r.value(u"E1"_s).toString(), u"2026-03-10"_s);
        QCOMPARE(r.value(u"E3"_s).toInt(), 1);
        QCOMPARE(r.value(u"E4"_s).toInt(), 0);
        QCOMPARE(number(underTest.get(), 1)->accessibleDescription(), u"做对"_s);
        QVERIFY(button(underTest.get(), u"explanationButton"_s)->isEnabled()); // has an explanation
        QVERIFY(button(underTest.get(), u"pointsButton"_s)->isEnabled());      // has exam points
        QVERIFY(button(underTest.get(), u"answerButton"_s)->isEnabled());

        check(underTest.get()); // the same answer again
        QCOMPARE(answerRow(u"010101000001"_s).value(u"E3"_s).toInt(), 1);
        QCOMPARE(value(u"select A2 from tab_rz where A1='2026-03-10'"_s).toInt(), 1);

        pick(underTest.get(), u"C"_s); // changed: counts again, now wrong
        check(underTest.get());
        r = answerRow(u"010101000001"_s);
        QCOMPARE(r.value(u"E3"_s).toInt(), 2);
        QCOMPARE(r.value(u"E4"_s).toInt(), -1);
        QCOMPARE(r.value(u"E2"_s).toString(), u"C"_s);
        QCOMPARE(number(underTest.get(), 1)->accessibleDescription(), u"做错"_s);
        // The day, the chapter and its enclosing chapters, the exam points.
        QCOMPARE(value(u"select A2||'/'||A3 from tab_rz where A1='2026-03-10'"_s).toString(),
                 u"2/1"_s);
        for (const QString &c : {u"010101"_s, u"0101"_s, u"01"_s})
            QCOMPARE(
                value(u"select C4||'/'||D1||'/'||D2 from tab_kmmc where C1=?"_s, {c}).toString(),
                u"1/2/1"_s);
        QCOMPARE(value(u"select C4||'/'||D1 from tab_kmmc where C1='010102'"_s).toString(),
                 u"0/0"_s);
        QCOMPARE(value(u"select q2 from tab_rule where ftid='010101001'"_s).toInt(), 2);
        QCOMPARE(value(u"select q2 from tab_rule where ftid='010101002'"_s).toInt(), 2);
        // Two points of one chapter count that chapter once per answer.
        QCOMPARE(value(u"select q2 from tab_fgmc where id='010101'"_s).toInt(), 2);
        underTest->close();
    }

    void wrongLevelAcrossRuns_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QList<int>>("levels");
        // 010101000002's answer is A.
        QTest::newRow("first wrong, then right three times")
            << u"010101000002"_s << QStringList{u"B"_s, u"A"_s, u"A"_s, u"A"_s}
            << QList<int>{-3, -2, -1, 0};
        QTest::newRow("first right, then wrong, wrong, right")
            << u"010101000002"_s << QStringList{u"A"_s, u"B"_s, u"C"_s, u"A"_s}
            << QList<int>{0, -1, -2, -1};
        // 010101000004's answer is ACD: the order of pressing does not matter.
        QTest::newRow("multiple choice pressed out of order")
            << u"010101000004"_s << QStringList{u"DCA"_s, u"AC"_s} << QList<int>{0, -1};
    }
    void wrongLevelAcrossRuns()
    {
        QFETCH(QString, id);
        QFETCH(QStringList, answers);
        QFETCH(QList<int>, levels);
        for (int i = 0; i < answers.size(); ++i) {
            answerInOwnRun(id, answers.at(i));
            const QSqlRecord r = answerRow(id);
            QCOMPARE(r.value(u"E4"_s).toInt(), levels.at(i));
            QCOMPARE(r.value(u"E3"_s).toInt(), i + 1); // each run's first answer counts
            QCOMPARE(r.value(u"E2_1"_s).toString(), r.value(u"E2"_s).toString());
        }
        // Only the first answer ever counts the question as newly done in its chapter.
        QCOMPARE(value(u"select C4 from tab_kmmc where C1='010101'"_s).toInt(), 1);
        QCOMPARE(value(u"select D1 from tab_kmmc where C1='010101'"_s).toInt(),
                 int(answers.size()));
    }

    void emptyK3StopsTheExamPointList()
    {
        exec(u"update tab_answ set K3='',K4='010101001' where A1='010101000003'"_s);
        answerInOwnRun(u"010101000003"_s, u"D"_s);
        QCOMPARE(answerRow(u"010101000003"_s).value(u"E3"_s).toInt(), 1);
        QCOMPARE(value(u"select sum(q2) from tab_rule"_s).toInt(), 0);
        QCOMPARE(value(u"select sum(q2) from tab_fgmc"_s).toInt(), 0);
        // The chapter counts all the same.
        QCOMPARE(value(u"select D1 from tab_kmmc where C1='010101'"_s).toInt(), 1);
    }

    void checkWithoutAnswerAndLeavingEmpty()
    {
        auto underTest = open(newSet(u"010101"_s));
        QVERIFY(underTest);
        check(underTest.get());
        QCOMPARE(prompts->calls().size(), 1);
        QCOMPARE(prompts->calls().at(0).caption, u"提示"_s);
        QCOMPARE(prompts->calls().at(0).message, u"请先做出答案！"_s);
        QCOMPARE(prompts->calls().at(0).icon, 1);
        QVERIFY(answerRow(u"010101000001"_s).value(u"E2"_s).toString().isEmpty());

        // Multiple choice (record 4): answered by leaving, then emptied by leaving again.
        number(underTest.get(), 4)->click();
        QCOMPARE(underTest->core()->pages()->currentIndex(), 1);
        QVERIFY(button(underTest.get(), u"multipleOptionF"_s)->isHidden()); // A2_1 = 5
        pick(underTest.get(), u"C"_s);
        pick(underTest.get(), u"A"_s);
        number(underTest.get(), 5)->click();
        QCOMPARE(answerRow(u"010101000004"_s).value(u"E2_1"_s).toString(), u"AC"_s);
        QCOMPARE(number(underTest.get(), 4)->accessibleDescription(), u"做错"_s);
        number(underTest.get(), 4)->click();
        QVERIFY(button(underTest.get(), u"multipleOptionA"_s)
                    ->isChecked()); // the run answer comes back
        pick(underTest.get(), u"A"_s);
        pick(underTest.get(), u"C"_s);
        number(underTest.get(), 5)->click();
        const QSqlRecord r = answerRow(u"010101000004"_s);
        QCOMPARE(r.value(u"E2_1"_s).toString(), QString());
        QCOMPARE(r.value(u"E2"_s).toString(), u"AC"_s); // statistics already recorded stay
        QCOMPARE(r.value(u"E3"_s).toInt(), 1);
        QCOMPARE(number(underTest.get(), 4)->accessibleDescription(), u"未做"_s);
        // Moving over a question without touching it records nothing.
        QVERIFY(answerRow(u"010101000005"_s).value(u"E2"_s).toString().isEmpty());
        underTest->close();
        QVERIFY(answerRow(u"010101000005"_s).value(u"E2"_s).toString().isEmpty());
    }

    void voidedQuestionRestoredKeepsZero()
    {
        auto underTest = open(newSet(u"010101"_s));
        QVERIFY(underTest);
        QAbstractButton *voidButton = button(underTest.get(), u"voidButton"_s);
        QCOMPARE(voidButton->text(), u"题目作废"_s);
        voidButton->click();
        QCOMPARE(labelText(underTest.get(), u"statusLabel"_s), u"本题已被您作废！"_s);
        QCOMPARE(voidButton->text(), u"取消作废"_s);
        QSqlRecord r = answerRow(u"010101000001"_s);
        QCOMPARE(r.value(u"F1"_s).toInt(), 1);
        QCOMPARE(r.value(u"E2"_s).toString(), u"zero"_s);
        voidButton->click();
        QCOMPARE(labelText(underTest.get(), u"statusLabel"_s), u"本题曾被作废，现已被您取消！"_s);
        QCOMPARE(voidButton->text(), u"题目作废"_s);
        r = answerRow(u"010101000001"_s);
        QCOMPARE(r.value(u"F1"_s).toInt(), 0);
        QCOMPARE(r.value(u"E2"_s).toString(), u"zero"_s);

        // Its next answer counts as answered before (no newly done question in the chapter) with
        // a wrong previous result.
        pick(underTest.get(), u"B"_s);
        check(underTest.get());
        r = answerRow(u"010101000001"_s);
        QCOMPARE(r.value(u"E3"_s).toInt(), 1);
        QCOMPARE(r.value(u"E4"_s).toInt(), 0);
        QCOMPARE(value(u"select C4||'/'||D1 from tab_kmmc where C1='010101'"_s).toString(),
                 u"0/1"_s);
        QCOMPARE(value(u"select q1 from tab_rule where ftid='010101001'"_s).toInt(), 0);
        underTest->close();

        // A question voided and left voided is out of the next new set; so is the restored one
        // (its E2 is no longer empty).
        auto again = open(newSet(u"010101"_s));
        QVERIFY(again);
        QCOMPARE(labelText(again.get(), u"questionCountLabel"_s), u"5"_s);
        again->close();
    }

    void groupsAndNavigation()
    {
        insertQuestions(u"010103"_s, 45);
        auto underTest = open(newSet(u"010103"_s));
        QVERIFY(underTest);
        PracticeWindow *w = underTest.get();
        QAbstractButton *prevGroup = button(w, u"previousGroupButton"_s);
        QAbstractButton *nextGroup = button(w, u"nextGroupButton"_s);
        QAbstractButton *prev = button(w, u"previousButton"_s);
        QAbstractButton *next = button(w, u"nextButton"_s);
        QCOMPARE(labelText(w, u"groupCountLabel"_s), u"3"_s);
        QCOMPARE(labelText(w, u"questionCountLabel"_s), u"45"_s);
        QCOMPARE(labelText(w, u"groupNumberLabel"_s), u"1"_s);
        QVERIFY(!prevGroup->isEnabled());
        QVERIFY(nextGroup->isEnabled());
        QVERIFY(!prev->isEnabled());

        nextGroup->click();
        QCOMPARE(labelText(w, u"groupNumberLabel"_s), u"2"_s);
        QVERIFY(prevGroup->isEnabled() && nextGroup->isEnabled());
        QCOMPARE(underTest->core()->currentRecord(), 21);
        nextGroup->click();
        QCOMPARE(labelText(w, u"groupNumberLabel"_s), u"3"_s);
        QVERIFY(prevGroup->isEnabled());
        QVERIFY(!nextGroup->isEnabled());
        QCOMPARE(underTest->core()->currentRecord(), 41);
        QCOMPARE(labelText(w, u"questionNumberLabel"_s), u"1"_s);
        for (int n = 1; n <= 20; ++n)
            QCOMPARE(number(w, n)->isEnabled(), n <= 5);
        number(w, 5)->click();
        QCOMPARE(underTest->core()->currentRecord(), 45);
        QVERIFY(!next->isEnabled());
        QVERIFY(prev->isEnabled());
        prevGroup->click();
        QVERIFY(prevGroup->isEnabled() && nextGroup->isEnabled());
        prevGroup->click();
        QCOMPARE(labelText(w, u"groupNumberLabel"_s), u"1"_s);
        QVERIFY(!prevGroup->isEnabled());
        QVERIFY(nextGroup->isEnabled());

        // "下一题" from the last question of a group: the next group at its first question.
        number(w, 20)->click();
        QCOMPARE(labelText(w, u"questionNumberLabel"_s), u"20"_s);
        next->click();
        QCOMPARE(labelText(w, u"groupNumberLabel"_s), u"2"_s);
        QCOMPARE(underTest->core()->currentRecord(), 21);
        QCOMPARE(labelText(w, u"questionNumberLabel"_s), u"1"_s);
        QVERIFY(number(w, 1)->isChecked());
        // "上一题" from the first question of group 2: group 1 from its first question.
        prev->click();
        QCOMPARE(labelText(w, u"groupNumberLabel"_s), u"1"_s);
        QCOMPARE(underTest->core()->currentRecord(), 1);
        QCOMPARE(labelText(w, u"questionNumberLabel"_s), u"1"_s);
        QVERIFY(number(w, 1)->isChecked());
        QVERIFY(!prevGroup->isEnabled());
        QVERIFY(nextGroup->isEnabled());
        QVERIFY(child<QTextBrowser>(w, u"upperPane"_s)->toPlainText().contains(u"第 1 题"_s));
        // Within a group both move by one.
        number(w, 20)->click();
        prev->click();
        QCOMPARE(underTest->core()->currentRecord(), 19);
        next->click();
        QCOMPARE(underTest->core()->currentRecord(), 20);
        underTest->close();
    }

    void kindSelectionRecordsSilently()
    {
        auto underTest = open(newSet(u"010101"_s));
        QVERIFY(underTest);
        PracticeWindow *w = underTest.get();
        pick(w, u"B"_s); // chosen, not checked
        button(w, u"kindButton21"_s)->click();
        QCOMPARE(answerRow(u"010101000001"_s).value(u"E2"_s).toString(), u"B"_s);
        QCOMPARE(labelText(w, u"questionCountLabel"_s), u"2"_s);
        QCOMPARE(underTest->core()->pages()->currentIndex(), 1);
        QCOMPARE(underTest->core()->pages()->subjectiveCaption(), u"多\n选"_s);
        button(w, u"kindButton72"_s)->click();
        QCOMPARE(underTest->core()->pages()->currentIndex(), 4);
        QCOMPARE(underTest->core()->pages()->subjectiveCaption(), u"简\n答"_s);
        QComboBox *combo = child<QComboBox>(w, u"subjectiveChoice"_s);
        QCOMPARE(combo->currentIndex(), -1);
        combo->setCurrentIndex(1); // 会
        check(w);
        QCOMPARE(answerRow(u"010101000006"_s).value(u"E2"_s).toString(), u"1"_s);
        QVERIFY(!button(w, u"answerButton"_s)->isEnabled()); // no answer panel for subjective kinds
        // "任意" restores the whole set at group 1 with the run answers given so far.
        button(w, u"kindButton0"_s)->click();
        QCOMPARE(underTest->core()->pages()->subjectiveCaption(), u"主\n观"_s);
        QCOMPARE(labelText(w, u"questionCountLabel"_s), u"6"_s);
        QCOMPARE(underTest->core()->currentRecord(), 1);
        QCOMPARE(number(w, 1)->accessibleDescription(), u"做对"_s);
        QCOMPARE(number(w, 6)->accessibleDescription(), u"做对"_s);
        QVERIFY(button(w, u"singleOptionB"_s)->isChecked());
        QCOMPARE(answerRow(u"010101000001"_s).value(u"E3"_s).toInt(), 1);
        underTest->close();
        QCOMPARE(answerRow(u"010101000001"_s).value(u"E3"_s).toInt(), 1);
    }

    void kindWithoutPageKeepsThePreviousPage()
    {
        // A kind-64 question after the multiple-choice ones of the chapter.
        exec(u"insert into tab_answ (A1,A2,A2_1,A10,A13,F1,xx) values "
             u"('010101000007','A',3,'010101',64,0,7)"_s);
        exec(u"insert into tab_exer (A1,A15) values ('010101000007',?)"_s,
             {QByteArray("calc question")});
        auto underTest = open(newSet(u"010101"_s));
        QVERIFY(underTest);
        PracticeWindow *w = underTest.get();
        QVERIFY(button(w, u"kindButton64"_s)->isEnabled());
        number(w, 5)->click();
        pick(w, u"B"_s);
        number(w, 6)->click(); // kind 64
        QCOMPARE(child<QTextBrowser>(w, u"upperPane"_s)->toPlainText(), u"calc question"_s);
        QCOMPARE(underTest->core()->pages()->currentIndex(), 1);
        // The page shows this question's (empty) run answer with its three options.
        QVERIFY(!button(w, u"multipleOptionB"_s)->isChecked());
        QVERIFY(button(w, u"multipleOptionD"_s)->isHidden());
        pick(w, u"A"_s);
        check(w);
        QCOMPARE(answerRow(u"010101000007"_s).value(u"E2"_s).toString(), u"A"_s);
        QCOMPARE(answerRow(u"010101000005"_s).value(u"E2"_s).toString(), u"B"_s);
        underTest->close();

        // Before any question was shown the subjective page stands.
        auto calc = open(newSet(u"050101"_s));
        QVERIFY(calc);
        QCOMPARE(calc->core()->pages()->currentIndex(), 4);
        calc->close();
    }

    void answerPanelNeverContradictsTheJudgement()
    {
        // Kind 64 on the page of the previous (multiple-choice) question: judged right, and the
        // panel says so.
        addQuestion(u"010101000007"_s, u"AC"_s, 3, 64, 7);
        auto underTest = open(newSet(u"010101"_s));
        QVERIFY(underTest);
        PracticeWindow *w = underTest.get();
        QAbstractButton *answer = button(w, u"answerButton"_s);
        number(w, 5)->click();
        number(w, 6)->click();
        QCOMPARE(underTest->core()->pages()->currentIndex(), 1);
        pick(w, u"C"_s);
        pick(w, u"A"_s);
        check(w);
        QCOMPARE(number(w, 6)->answerState(), NumberButton::Right);
        QVERIFY(answer->isEnabled());
        answer->click();
        QCOMPARE(labelText(w, u"verdictLabel"_s), u"恭喜你，做对了！"_s);
        QCOMPARE(child<QPlainTextEdit>(w, u"yourAnswerText"_s)->toPlainText(), u"AC"_s);
        underTest->close();

        // Kind 64 answered 会 on the subjective page, which shows no answer of its own: judged
        // right, and no panel that could say otherwise, in this run and the next.
        for (int run = 0; run < 2; ++run) {
            auto calc = open(run == 0 ? newSet(u"050101"_s) : oneQuestion(u"050101000001"_s));
            QVERIFY(calc);
            PracticeWindow *c = calc.get();
            QCOMPARE(calc->core()->pages()->currentIndex(), 4);
            child<QComboBox>(c, u"subjectiveChoice"_s)->setCurrentIndex(1);
            check(c);
            QCOMPARE(answerRow(u"050101000001"_s).value(u"E2"_s).toString(), u"1"_s);
            QCOMPARE(number(c, 1)->answerState(), NumberButton::Right);
            QVERIFY(!button(c, u"answerButton"_s)->isEnabled());
            number(c, 1)->click();
            QVERIFY(!button(c, u"answerButton"_s)->isEnabled());
            calc->close();
        }
    }

    void gaugeIntervalsAndTimeOut()
    {
        exec(u"update tab_tx1 set time=0.01 where A1=11"_s);
        exec(u"delete from tab_tx1 where A1=21"_s);
        App::loadAnswerTimeTable(db(), 1, App::answerTimeTable);
        auto underTest = open(newSet(u"010101"_s));
        QVERIFY(underTest);
        PracticeWindow *w = underTest.get();
        QTimer *timer = child<QTimer>(w, u"answerTimer"_s);
        QVERIFY(timer);
        number(w, 6)->click(); // kind 72, time 0.5
        QCOMPARE(timer->interval(), 300);
        QVERIFY(timer->isActive());
        number(w, 4)->click(); // kind 21, no longer in the table
        QCOMPARE(timer->interval(), 600);
        number(w, 2)->click(); // kind 11, time 0.01: 6 ms a step
        QCOMPARE(timer->interval(), 6);
        QTRY_VERIFY_WITH_TIMEOUT(prompts->sawMessage(u"到时间了"_s), 5000);
        QCOMPARE(prompts->calls().constLast().caption, u"提示"_s);
        QCOMPARE(underTest->core()->gauge()->value(), 100);
        QVERIFY(underTest->core()->gauge()->accessibleName().contains(u"100"_s));
        QVERIFY(!timer->isActive());
        QCOMPARE(answerRow(u"010101000002"_s).value(u"csbs"_s).toString(), u"Y"_s);
        QVERIFY(answerRow(u"010101000001"_s).value(u"csbs"_s).toString().isEmpty());

        // The edit button stops the gauge while the edit window is up; cancelling it lets the
        // gauge run on.
        number(w, 6)->click();
        QVERIFY(timer->isActive());
        bool stoppedWhileEditing = false;
        QString editName;
        QTimer::singleShot(50, [&stoppedWhileEditing, &editName, timer] {
            if (auto *edit = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                editName = edit->objectName();
                stoppedWhileEditing = !timer->isActive();
                edit->reject();
            }
        });
        button(w, u"editButton"_s)->click();
        QCOMPARE(editName, u"QuestionEditWindow"_s);
        QVERIFY(stoppedWhileEditing);
        QVERIFY(timer->isActive());
        number(w, 5)->click();
        QVERIFY(timer->isActive());
        underTest->close();
    }

    void timeOutWaitsForTheOpenPrompt()
    {
        exec(u"update tab_tx1 set time=0.1 where A1=11"_s); // 60 ms a step
        App::loadAnswerTimeTable(db(), 1, App::answerTimeTable);
        auto underTest = open(newSet(u"010101"_s));
        QVERIFY(underTest);
        QuestionCore *core = underTest->core();
        prompts.reset();
        int depth = 0;
        int deepest = 0;
        QStringList shown;
        QString timeOutMarkWhileOpen;
        PromptHook::set([&](const PromptCall &call) {
            deepest = qMax(deepest, ++depth);
            shown.append(call.message);
            if (call.message == u"请先做出答案！"_s) {
                // The gauge runs out while this prompt is up.
                core->gauge()->setValue(99);
                QTest::qWait(400);
                timeOutMarkWhileOpen = answerRow(u"010101000001"_s).value(u"csbs"_s).toString();
            }
            --depth;
            return 1;
        });
        check(underTest.get());
        QTRY_COMPARE(shown, QStringList({u"请先做出答案！"_s, u"到时间了"_s}));
        PromptHook::clear();
        QCOMPARE(deepest, 1);
        QVERIFY(timeOutMarkWhileOpen.isEmpty());
        QCOMPARE(core->gauge()->value(), 100);
        QCOMPARE(answerRow(u"010101000001"_s).value(u"csbs"_s).toString(), u"Y"_s);
        prompts = std::make_unique<testsupport::PromptCatcher>();
        underTest->close();
    }

    // The gauge runs out while the candidate types a note or reads the explanation: the gauge
    // is full at once, but "到时间了" waits until that window is closed.
    void timeOutWaitsForTheWindowsOpenOverIt_data()
    {
        QTest::addColumn<QString>("control");
        QTest::newRow("notes") << u"notesButton"_s;
        QTest::newRow("explanation") << u"explanationButton"_s;
    }
    void timeOutWaitsForTheWindowsOpenOverIt()
    {
        QFETCH(QString, control);
        auto underTest = open(newSet(u"010101"_s));
        QVERIFY(underTest);
        PracticeWindow *w = underTest.get();
        QuestionCore *core = underTest->core();
        pick(w, u"B"_s);
        check(w);
        QTimer *timer = child<QTimer>(w, u"answerTimer"_s);
        QString openWhileFull;
        bool promptWhileOpen = true;
        QString markWhileOpen = u"unread"_s;
        testsupport::whenModalShows<QDialog>([&](QDialog *window) {
            openWhileFull = window->objectName();
            timer->setInterval(1);
            core->gauge()->setValue(99);
            QTRY_COMPARE(core->gauge()->value(), 100);
            // Events run on while the window stays open.
            QTest::qWait(300);
            promptWhileOpen = prompts->sawMessage(u"到时间了"_s);
            markWhileOpen = answerRow(u"010101000001"_s).value(u"csbs"_s).toString();
            window->close();
        });
        button(w, control)->click();
        QVERIFY(!openWhileFull.isEmpty());
        QVERIFY(!promptWhileOpen);
        QVERIFY(markWhileOpen.isEmpty());
        QTRY_VERIFY(prompts->sawMessage(u"到时间了"_s));
        QCOMPARE(answerRow(u"010101000001"_s).value(u"csbs"_s).toString(), u"Y"_s);
        underTest->close();
    }

    // 解析 opens beside or below the question, never over its text.
    void explanationOpensClearOfTheQuestion()
    {
        auto underTest = open(newSet(u"010101"_s));
        QVERIFY(underTest);
        PracticeWindow *w = underTest.get();
        pick(w, u"B"_s);
        check(w);
        QWidget *body = underTest->core()->body();
        const QRect question(body->mapToGlobal(QPoint(0, 0)), body->size());
        QRect placed;
        QRect screen;
        testsupport::whenModalShows<QDialog>([&](QDialog *window) {
            placed = window->frameGeometry();
            screen = window->screen()->availableGeometry();
            testsupport::saveShot(window, u"explanation_window"_s);
            window->close();
        });
        // By keyboard: the button focused, then Space.
        button(w, u"explanationButton"_s)->setFocus();
        QTest::keyClick(button(w, u"explanationButton"_s), Qt::Key_Space);
        QVERIFY(!placed.isNull());
        QVERIFY2(!placed.intersects(question), qPrintable(u"%1,%2 %3x%4"_s.arg(placed.x())
                                                              .arg(placed.y())
                                                              .arg(placed.width())
                                                              .arg(placed.height())));
        QVERIFY(screen.contains(placed));
        QVERIFY(placed.width() >= 320 && placed.height() >= 150);
        underTest->close();
    }

    void explanationPlacement_data()
    {
        QTest::addColumn<QRect>("question");
        QTest::addColumn<QRect>("expected");
        // Room on the right: beside it, at the question's top.
        QTest::newRow("right") << QRect(0, 100, 400, 300) << QRect(400, 100, 400, 400);
        // Too narrow on the right: below, shrunk to the room there.
        QTest::newRow("below") << QRect(10, 60, 560, 240) << QRect(10, 300, 560, 300);
        // Neither right nor below: on the left.
        QTest::newRow("left") << QRect(420, 20, 300, 500) << QRect(0, 20, 420, 400);
        // Only above.
        QTest::newRow("above") << QRect(100, 300, 700, 250) << QRect(100, 0, 560, 300);
        // Nowhere: at the bottom at the least height.
        QTest::newRow("nowhere") << QRect(100, 100, 650, 450) << QRect(100, 450, 560, 150);
    }
    void explanationPlacement()
    {
        QFETCH(QRect, question);
        QFETCH(QRect, expected);
        const QRect placed = ExplanationWindow::placeClearOf(question, QRect(0, 0, 800, 600),
                                                             QSize(560, 400), QSize(320, 150));
        QCOMPARE(placed, expected);
    }

    // After 完成 a line under the question says right or wrong, with the correct answer; another
    // question starts without it.
    void feedbackLineAfterFinishing()
    {
        auto underTest = open(newSet(u"010101"_s));
        QVERIFY(underTest);
        PracticeWindow *w = underTest.get();
        QLabel *feedback = child<QLabel>(w, u"feedbackLabel"_s);
        QVERIFY(feedback->isVisible());
        QCOMPARE(feedback->text(), QString());
        pick(w, u"C"_s);
        check(w);
        QCOMPARE(feedback->text(), u"回答错误（正确答案：B）"_s);
        pick(w, u"B"_s);
        check(w);
        QCOMPARE(feedback->text(), u"回答正确"_s);
        testsupport::saveShot(w, u"practice_feedback"_s);
        number(w, 2)->click();
        QCOMPARE(feedback->text(), QString());
        // A subjective question is rated by the candidate: no line of its own.
        number(w, 6)->click();
        QCOMPARE(underTest->core()->pages()->currentIndex(), int(Answer::Subjective));
        underTest->close();
    }

    // On the 会/不会 page the model answer (解析) can be read before rating.
    void modelAnswerBeforeRating()
    {
        exec(u"update tab_exer set jx=? where A1='010101000006'"_s, {u"参考答案"_s.toUtf8()});
        auto underTest = open(newSet(u"010101"_s));
        QVERIFY(underTest);
        PracticeWindow *w = underTest.get();
        QAbstractButton *explanation = button(w, u"explanationButton"_s);
        QVERIFY(!explanation->isEnabled()); // a choice question: only after 完成
        number(w, 6)->click();
        QCOMPARE(underTest->core()->pages()->currentIndex(), int(Answer::Subjective));
        QVERIFY(explanation->isEnabled());
        QString shown;
        testsupport::whenModalShows<QDialog>([&shown](QDialog *window) {
            if (auto *view = window->findChild<QTextBrowser *>(u"explanationView"_s))
                shown = view->toPlainText();
            window->close();
        });
        explanation->click();
        QCOMPARE(shown, u"参考答案"_s);
        QVERIFY(answerRow(u"010101000006"_s).value(u"E2"_s).toString().isEmpty()); // not rated
        underTest->close();
    }

    void settingsButtonAndTheRunningGauge()
    {
        App::loadAnswerTimeTable(db(), 1, App::answerTimeTable);
        auto underTest = open(newSet(u"010101"_s));
        QVERIFY(underTest);
        PracticeWindow *w = underTest.get();
        QTimer *timer = child<QTimer>(w, u"answerTimer"_s);
        number(w, 6)->click(); // kind 72, time 0.5
        QCOMPARE(timer->interval(), 300);
        App::settingsVariant = 1;
        int variant = -1;
        // While the settings are up the answer time of kind 72 becomes 2.5 minutes.
        testsupport::handleNextModal([&](QDialog *d) {
            variant = App::settingsVariant;
            QCOMPARE(QString::fromLatin1(d->metaObject()->className()),
                     u"SoundAndTimeSettingsWindow"_s);
            App::answerTimeTable.intervals[App::answerTimeTable.kinds.indexOf(72)] = 1500;
        });
        const int progress = underTest->core()->gauge()->value();
        button(w, u"settingsButton"_s)->click();
        QCOMPARE(variant, 0);
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 1500);
        QVERIFY(underTest->core()->gauge()->value() >= progress); // not started over
        underTest->close();
    }

    void answerPanelSlidesAndClosesOnSwitch()
    {
        auto underTest = open(newSet(u"010101"_s));
        QVERIFY(underTest);
        PracticeWindow *w = underTest.get();
        pick(w, u"C"_s);
        check(w);
        QAbstractButton *answer = button(w, u"answerButton"_s);
        answer->click();
        QCOMPARE(answer->text(), u"返回"_s);
        QuestionBody *body = underTest->core()->body();
        QTRY_COMPARE(body->answerPanelWidth(), body->width());
        QCOMPARE(labelText(w, u"verdictLabel"_s), u"很遗憾，做错了，请继续努力！"_s);
        // The letters come with their option texts, and the question stays in view above the
        // panel: the upper pane ends where the panel begins and still shows its first line.
        QCOMPARE(child<QPlainTextEdit>(w, u"yourAnswerText"_s)->toPlainText(), u"C：丙"_s);
        QCOMPARE(child<QPlainTextEdit>(w, u"correctAnswerText"_s)->toPlainText(), u"B：乙"_s);
        QWidget *panel = child<QWidget>(w, u"answerPanel"_s);
        QTextBrowser *upper = body->upper();
        const QRect upperRect(upper->mapTo(body, QPoint(0, 0)), upper->size());
        QVERIFY2(!upperRect.intersects(panel->geometry()),
                 qPrintable(u"pane %1,%2 %3x%4 panel top %5"_s.arg(upperRect.x())
                                .arg(upperRect.y())
                                .arg(upperRect.width())
                                .arg(upperRect.height())
                                .arg(panel->geometry().top())));
        QVERIFY(upperRect.height() >= 60);
        QVERIFY(upper->cursorForPosition(QPoint(4, 4)).block().text().contains(u"题目"_s));
        testsupport::saveShot(w, u"practice_answer_panel"_s);
        answer->click();
        QCOMPARE(answer->text(), u"答案"_s);
        QTRY_COMPARE(body->answerPanelWidth(), 0);
        // Opened again, then another question: closed at once.
        pick(w, u"B"_s);
        answer->click();
        QCOMPARE(labelText(w, u"verdictLabel"_s), u"恭喜你，做对了！"_s);
        number(w, 2)->click();
        QCOMPARE(body->answerPanelWidth(), 0);
        QCOMPARE(answer->text(), u"答案"_s);
        underTest->close();
    }

    void keysOnTheChoicePages()
    {
        auto underTest = open(newSet(u"010101"_s));
        QVERIFY(underTest);
        PracticeWindow *w = underTest.get();
        number(w, 4)->click(); // multiple choice, five options
        w->setFocus();
        for (Qt::Key k : {Qt::Key_D, Qt::Key_A, Qt::Key_C, Qt::Key_F, Qt::Key_B, Qt::Key_B})
            QTest::keyClick(w, k);
        QCOMPARE(underTest->core()->pages()->answerString(1), u"ACD"_s);
        QTest::keyClick(w, Qt::Key_Return);
        QCOMPARE(underTest->core()->currentRecord(), 5);
        QCOMPARE(answerRow(u"010101000004"_s).value(u"E2"_s).toString(), u"ACD"_s);
        QTest::keyClick(w, Qt::Key_Backspace);
        QCOMPARE(underTest->core()->currentRecord(), 4);
        // Single choice: the key's option becomes the only pressed one.
        number(w, 1)->click();
        QTest::keyClick(w, Qt::Key_A);
        QTest::keyClick(w, Qt::Key_B);
        QCOMPARE(underTest->core()->pages()->answerString(0), u"B"_s);
        // A focused control keeps the keys it uses: Backspace in the body pane does not move.
        QTextBrowser *upperPane = child<QTextBrowser>(w, u"upperPane"_s);
        upperPane->setFocus();
        QTest::keyClick(upperPane, Qt::Key_Backspace);
        QCOMPARE(underTest->core()->currentRecord(), 1);
        // On the subjective page no key acts.
        number(w, 6)->click();
        w->setFocus();
        QTest::keyClick(w, Qt::Key_Backspace);
        QCOMPARE(underTest->core()->currentRecord(), 6);
        underTest->close();
    }

    // Enter presses a button the keyboard moved to, and a ring shows where the focus is; a
    // button or option clicked with the mouse leaves Enter to the window (下一题). The subjective
    // page is answered by keys and says what its choice means.
    void keyboardFocusAndEnter()
    {
        addQuestion(u"010101000008"_s, u"1"_s, 1, 73, 8);
        auto underTest = open(newSet(u"010101"_s));
        QVERIFY(underTest);
        PracticeWindow *w = underTest.get();
        QuestionCore *core = underTest->core();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));

        QAbstractButton *optionB = button(w, u"singleOptionB"_s);
        QTest::mouseClick(optionB, Qt::LeftButton);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(core->currentRecord(), 2);
        QCOMPARE(answerRow(u"010101000001"_s).value(u"E2"_s).toString(), u"B"_s);
        QCOMPARE(KeyboardAccess::ringTarget(), nullptr);
        QAbstractButton *done = button(w, u"finishButton"_s);
        QTest::mouseClick(done, Qt::LeftButton); // no answer yet
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(core->currentRecord(), 3);

        number(w, 2)->click();
        pick(w, u"A"_s);
        done->clearFocus(); // it holds the focus from the click: Tab comes back to it
        done->setFocus(Qt::TabFocusReason);
        QCOMPARE(KeyboardAccess::ringTarget(), done);
        QWidget *ring = w->findChild<QWidget *>(u"FocusRing"_s);
        QVERIFY(ring && ring->isVisible());
        QVERIFY(ring->geometry().contains(QRect(done->mapTo(w, QPoint(0, 0)), done->size())));
        QTest::keyClick(done, Qt::Key_Return);
        QCOMPARE(answerRow(u"010101000002"_s).value(u"E2"_s).toString(), u"A"_s);
        QCOMPARE(core->currentRecord(), 2);
        // An option reached by Tab keeps Enter for the window.
        QAbstractButton *optionC = button(w, u"singleOptionC"_s);
        optionC->setFocus(Qt::TabFocusReason);
        QCOMPARE(KeyboardAccess::ringTarget(), optionC);
        QTest::keyClick(optionC, Qt::Key_Return);
        QCOMPARE(core->currentRecord(), 3);
        // A number button reached by Tab shows its question on Enter.
        number(w, 5)->setFocus(Qt::BacktabFocusReason);
        QTest::keyClick(number(w, 5), Qt::Key_Return);
        QCOMPARE(core->currentRecord(), 5);

        // The subjective page: 1 = 会, 0 = 不会, Enter = 下一题; its line says what they mean.
        number(w, 6)->click();
        QCOMPARE(core->pages()->currentIndex(), 4);
        QLabel *hint = child<QLabel>(w, u"subjectiveHint"_s);
        QVERIFY(hint && hint->isVisible());
        QVERIFY(hint->text().contains(u"“会”计为做对"_s));
        w->setFocus();
        QTest::keyClick(w, Qt::Key_1);
        QCOMPARE(child<QComboBox>(w, u"subjectiveChoice"_s)->currentText(), u"会"_s);
        QTest::keyClick(w, Qt::Key_0);
        QCOMPARE(child<QComboBox>(w, u"subjectiveChoice"_s)->currentText(), u"不会"_s);
        QTest::keyClick(w, Qt::Key_Return);
        QCOMPARE(core->currentRecord(), 7);
        QCOMPARE(answerRow(u"010101000006"_s).value(u"E2"_s).toString(), u"0"_s);
        QTest::keyClick(w, Qt::Key_1);
        done->setFocus(Qt::TabFocusReason);
        QTest::keyClick(done, Qt::Key_Return);
        QCOMPARE(answerRow(u"010101000008"_s).value(u"E2"_s).toString(), u"1"_s);
        QCOMPARE(number(w, 7)->answerState(), NumberButton::Right);
        // A mouse click elsewhere takes the ring away.
        QTest::mouseClick(button(w, u"previousButton"_s), Qt::LeftButton);
        QCOMPARE(KeyboardAccess::ringTarget(), nullptr);
        underTest->close();
    }

    void compoundQuestionShowsStemAbove()
    {
        auto underTest = open(newSet(u"040101"_s));
        QVERIFY(underTest);
        PracticeWindow *w = underTest.get();
        QTextBrowser *upperPane = child<QTextBrowser>(w, u"upperPane"_s);
        QTextBrowser *lowerPane = child<QTextBrowser>(w, u"lowerPane"_s);
        QVERIFY(upperPane->toPlainText().contains(u"案例材料"_s));
        QCOMPARE(lowerPane->toPlainText(), u"问题一"_s);
        QTRY_VERIFY(lowerPane->height() > 100);
        auto *splitter = child<QSplitter>(w, u"paneSplitter"_s);
        splitter->setSizes({splitter->height() - 200, 200}); // the candidate drags it
        const int dragged = lowerPane->height();
        number(w, 2)->click();
        QCOMPARE(lowerPane->toPlainText(), u"问题二"_s);
        QCOMPARE(lowerPane->height(), dragged);
        underTest->close();
        auto single = open(newSet(u"010101"_s));
        QVERIFY(single);
        QCOMPARE(child<QTextBrowser>(single.get(), u"lowerPane"_s)->height(), 0);
        single->close();
    }

    void closingRecordsSilentlyAndAddsStudyTime()
    {
        exec(u"insert into tab_rz (A1,A2,A3,B1,B2,D1) values ('2026-03-10',0,0,0,0,'00:10:00')"_s);
        auto underTest = open(newSet(u"010101"_s));
        QVERIFY(underTest);
        PracticeWindow *w = underTest.get();
        number(w, 2)->click();
        pick(w, u"A"_s); // chosen, never checked
        QTest::qWait(1200);
        button(w, u"closeButton"_s)->click();
        QVERIFY(!w->isVisible());
        const QString clock = labelText(w, u"clockLabel"_s);
        QVERIFY2(clock != u"0:00:00"_s, qPrintable(clock));
        QCOMPARE(answerRow(u"010101000002"_s).value(u"E2"_s).toString(), u"A"_s);
        const qint64 seconds = StudyData::timeTextToSeconds(clock);
        QCOMPARE(value(u"select D1 from tab_rz where A1='2026-03-10'"_s).toString(),
                 StudyData::secondsToTimeText(600 + seconds));
        QCOMPARE(value(u"select A2 from tab_rz where A1='2026-03-10'"_s).toInt(), 1);
        QCOMPARE(value(u"select C6 from tab_kmmc where C1='010101'"_s).toString(), u"100.00"_s);
        QVERIFY(prompts->calls().isEmpty());
    }

    void databaseErrorWritesNothing()
    {
        exec(u"create trigger no_chapter before update on tab_kmmc "
             u"begin select raise(abort, 'chapter table locked'); end"_s);
        auto underTest = open(newSet(u"010101"_s));
        QVERIFY(underTest);
        pick(underTest.get(), u"B"_s);
        check(underTest.get());
        QVERIFY(prompts->sawMessage(u"发生错误！"_s));
        QCOMPARE(prompts->calls().constLast().caption, u"错误"_s);
        QCOMPARE(prompts->calls().constLast().icon, 2);
        const QSqlRecord r = answerRow(u"010101000001"_s);
        QVERIFY(r.value(u"E2"_s).toString().isEmpty());
        QCOMPARE(r.value(u"E3"_s).toInt(), 0);
        QCOMPARE(value(u"select count(*) from tab_rz"_s).toInt(), 0);
        QCOMPARE(value(u"select sum(q2) from tab_rule"_s).toInt(), 0);
        QCOMPARE(number(underTest.get(), 1)->accessibleDescription(), u"未做"_s);
        QVERIFY(underTest->isVisible());
        // The failed write is not remembered as this run's answer: fixed, the next check counts.
        exec(u"drop trigger no_chapter"_s);
        check(underTest.get());
        QCOMPARE(answerRow(u"010101000001"_s).value(u"E3"_s).toInt(), 1);
        underTest->close();
    }

    // Another program holding the study data, and a full disk: one box per action saying what
    // happened and that nothing was saved; the hourglass shows while the lock is waited for.
    void failuresSayWhatHappenedOncePerAction()
    {
        auto underTest = open(newSet(u"010101"_s));
        QVERIFY(underTest);
        PracticeWindow *w = underTest.get();
        const QString busy =
            u"学习数据正被其他程序使用，本次没有记录任何内容！请关闭该程序后再试。"_s;
        const QString full =
            u"磁盘已满，本次没有保存任何内容（包括答案）！请清理磁盘空间后再试。"_s;
        auto nothingRecorded = [this] {
            return answerRow(u"010101000001"_s).value(u"E2"_s).toString().isEmpty() &&
                   value(u"select count(*) from tab_rz"_s).toInt() == 0 &&
                   value(u"select sum(D1) from tab_kmmc"_s).toInt() == 0;
        };
        Db::setBusyTimeout(200);
        QStringList cursors; // "waiting:override cursor shape" at each change
        Db::setBusyObserver([&cursors](bool waiting) {
            WindowParts::BusyCursor::databaseWait(waiting);
            const QCursor *c = QGuiApplication::overrideCursor();
            cursors.append(QString::number(waiting) + u':' +
                           (c ? QString::number(c->shape()) : u"-"_s));
        });
        const QString hourglass = QString::number(Qt::WaitCursor);
        {
            testsupport::LockedByAnotherProgram lock(data->folder.databasePath());
            QVERIFY(lock.isLocked());
            pick(w, u"B"_s);
            check(w);
            QCOMPARE(prompts->messages(), QStringList{busy});
            QCOMPARE(prompts->calls().constLast().caption, u"错误"_s);
            button(w, u"nextButton"_s)->click(); // leaving records the answer again
            QCOMPARE(prompts->messages(), QStringList({busy, busy}));
            QCOMPARE(underTest->core()->currentRecord(), 2);
        }
        QCOMPARE(cursors,
                 QStringList({u"1:"_s + hourglass, u"0:-"_s, u"1:"_s + hourglass, u"0:-"_s}));
        QVERIFY(nothingRecorded());
        Db::setBusyObserver(nullptr);
        Db::setBusyTimeout(5000);

        number(w, 1)->click();
        pick(w, u"B"_s);
        {
            testsupport::DiskFull disk;
            check(w);
            QCOMPARE(prompts->messages().mid(2), QStringList{full});
            button(w, u"nextButton"_s)->click();
            QCOMPARE(prompts->messages().mid(2), QStringList({full, full}));
        }
        QVERIFY(nothingRecorded());
        QCOMPARE(number(w, 1)->answerState(), NumberButton::Unanswered);

        // With room again, the answer is recorded.
        number(w, 1)->click();
        pick(w, u"B"_s);
        check(w);
        QCOMPARE(answerRow(u"010101000001"_s).value(u"E2"_s).toString(), u"B"_s);
        QCOMPARE(prompts->messages().size(), 4);
        underTest->close();
    }

    void explanationNotesAndPoints()
    {
        auto underTest = open(newSet(u"010101"_s));
        QVERIFY(underTest);
        PracticeWindow *w = underTest.get();
        pick(w, u"B"_s);
        check(w);
        // 解析 opens the explanation of the question on screen.
        QString shown;
        QTimer::singleShot(0, w, [&shown] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *re = modal ? modal->findChild<QTextBrowser *>(u"explanationView"_s) : nullptr)
                shown = re->toPlainText();
            if (modal)
                modal->close();
        });
        button(w, u"explanationButton"_s)->click();
        QCOMPARE(shown, u"解析文字。"_s);
        QVERIFY(!QApplication::overrideCursor());

        // 笔记: a note written in the notes window marks the button and is kept in the row.
        QTimer::singleShot(0, w, [] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *noteEdit = modal ? modal->findChild<QPlainTextEdit *>() : nullptr)
                noteEdit->setPlainText(u"要点：注意例外情形"_s);
            if (modal)
                modal->close();
        });
        button(w, u"notesButton"_s)->click();
        QCOMPARE(button(w, u"notesButton"_s)->text(), u"有内容"_s);
        QCOMPARE(answerRow(u"010101000001"_s).value(u"A14"_s).toString(), u"要点：注意例外情形"_s);
        number(w, 2)->click();
        QCOMPARE(button(w, u"notesButton"_s)->text(), u"笔记"_s);
        number(w, 1)->click();
        QCOMPARE(button(w, u"notesButton"_s)->text(), u"有内容"_s);

        // 考点 shows the related points of a question that has some.
        QString pointsTitle;
        QTimer::singleShot(0, w, [&pointsTitle] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                pointsTitle = modal->windowTitle();
                modal->close();
            }
        });
        button(w, u"pointsButton"_s)->click();
        QCOMPARE(pointsTitle, u"相关考点"_s);
        QVERIFY(w->isVisible());

        // A question without explanation or points keeps both buttons disabled once answered.
        number(w, 3)->click();
        pick(w, u"D"_s);
        check(w);
        QVERIFY(!button(w, u"explanationButton"_s)->isEnabled());
        QVERIFY(!button(w, u"pointsButton"_s)->isEnabled());
        QVERIFY(button(w, u"answerButton"_s)->isEnabled());
        underTest->close();
    }

    void pointsThatCannotBeReadAreReported()
    {
        auto underTest = open(newSet(u"010101"_s));
        QVERIFY(underTest);
        PracticeWindow *w = underTest.get();
        pick(w, u"B"_s);
        check(w);
        // The question's exam-point codes can no longer be read.
        exec(u"alter table tab_answ rename column K12 to K12_gone"_s);
        button(w, u"pointsButton"_s)->click();
        QVERIFY(prompts->sawMessage(u"发生错误！"_s));
        QCOMPARE(prompts->calls().constLast().caption, u"错误"_s);
        QCOMPARE(prompts->calls().constLast().icon, 2);
        QVERIFY(w->isVisible());
        QVERIFY(!QApplication::activeModalWidget() || QApplication::activeModalWidget() == w);
        underTest->close();
    }

    void emptySetIsNotPrepared()
    {
        exec(u"update tab_answ set E2='A' where A10='010102'"_s);
        App::practiceQuery = newSet(u"010102"_s);
        PracticeWindow underTest;
        QVERIFY(!underTest.preparePracticeRun());
        QVERIFY(prompts->calls().isEmpty());
    }

    void backgroundIsTheWholePicture()
    {
        // The window's own background, drawn a band at a time from the picture's file, is the
        // picture scaled to the window in one piece: no seam where one band meets the next.
        auto underTest = open(newSet(u"010101"_s));
        QVERIFY(underTest);
        PracticeWindow *w = underTest.get();
        const QImage picture = Picture::load(App::programFolder + u"pic/bg_window.bmp"_s);
        QVERIFY(!picture.isNull());
        QImage expected(w->size(), QImage::Format_RGB32);
        QPainter(&expected).drawImage(expected.rect(), picture);
        QImage own(w->size(), QImage::Format_RGB32);
        own.fill(Qt::black);
        w->render(&own, QPoint(), QRegion(), QWidget::DrawWindowBackground);
        // Below the title strip and inside the frame.
        const int title = child<QLabel>(w, u"titleLabel"_s)->height();
        const QRect inside = w->rect().adjusted(3, title + 1, -3, -3);
        QVERIFY(inside.height() > w->height() / 2);
        QCOMPARE(own.copy(inside), expected.copy(inside));
        underTest->close();
    }

    void layoutFitsTheScreen()
    {
        // Eight kind buttons (four rows), as the larger question-kind tables give.
        exec(u"insert into tab_tx1 (A1,B1,B2,B3,time) values (73,'论述',0,1,1),"
             u"(74,'综合分析',0,1,1)"_s);
        auto underTest = open(newSet(u"010101"_s));
        QVERIFY(underTest);
        PracticeWindow *w = underTest.get();
        const bool compact = App::displayMode == u"800"_s;
        QCOMPARE(w->size(), compact ? QSize(780, 490) : QSize(923, 585));
        const QRect screen = QApplication::primaryScreen()->geometry();
        QVERIFY(screen.contains(w->geometry()));
        QVERIFY(QTest::qWaitForWindowExposed(w));
        // Every visible control lies inside the window, and every caption fits its button.
        for (QWidget *c : w->findChildren<QWidget *>()) {
            if (!c->isVisible() || c->isWindow() || c->width() == 0 || c->height() == 0)
                continue;
            const QRect r(c->mapTo(w, QPoint(0, 0)), c->size());
            QVERIFY2(w->rect().contains(r), qPrintable(c->objectName()));
            // Nothing sticks out of the board or box it stands in.
            QVERIFY2(c->objectName().startsWith(u"qt_"_s) ||
                         c->parentWidget()->rect().contains(c->geometry()),
                     qPrintable(c->objectName() + u" in "_s + c->parentWidget()->objectName()));
            if (auto *b = qobject_cast<QPushButton *>(c)) {
                QVERIFY2(b->fontMetrics().horizontalAdvance(b->text()) + 8 <= b->width(),
                         qPrintable(b->text()));
            }
            if (auto *k = qobject_cast<KindButton *>(c))
                QVERIFY2(k->fontMetrics().horizontalAdvance(k->text()) < k->width(),
                         qPrintable(k->text()));
        }
        // The number buttons stand in five columns of four, filled column by column.
        QSet<int> xs, ys;
        for (int n = 1; n <= 20; ++n) {
            xs.insert(number(w, n)->x());
            ys.insert(number(w, n)->y());
        }
        QCOMPARE(xs.size(), 5);
        QCOMPARE(ys.size(), 4);
        QCOMPARE(number(w, 2)->x(), number(w, 1)->x());
        QVERIFY(number(w, 5)->x() > number(w, 1)->x());
        // The gauge stands at the left edge of the question area, as tall as the body.
        QVERIFY(underTest->core()->gauge()->height() >= underTest->core()->body()->height() - 2);
        QVERIFY(underTest->core()->gauge()->x() < underTest->core()->body()->x());
        underTest->close();
    }
};

STUDYAID_QTEST_MAIN(PracticeWindowTest)
#include "test_practice_window.moc"
