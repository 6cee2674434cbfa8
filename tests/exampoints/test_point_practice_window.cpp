// The exam-point practice window driven by objectName on a temporary fixture copy: what it does
// differently from chapter practice (buttons, captions, the hint board, the empty check), voided
// questions in the set, a point linked from k7 counting for all the question's points, a new run
// at every opening, groups of a larger set, and the layout on both screen sizes.
#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "exampoints/PointCatalogue.h"
#include "exampoints/PointPracticeWindow.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QDate kToday(2026, 3, 10);
const QString kPoint = u"010101001"_s;              // linked by four questions of the fixture
const QString kTitle = u"生产经营单位的主体责任"_s; // its title without the trailing blanks

template <typename T = QAbstractButton> T *find(QWidget *w, const QString &name)
{
    return w->findChild<T *>(name);
}

QString text(QWidget *w, const QString &name)
{
    auto *l = find<QLabel>(w, name);
    return l ? l->text() : u"<none>"_s;
}

} // namespace

class PointPracticeWindowTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<testsupport::TestDatabase> data;
    std::unique_ptr<testsupport::FixedToday> today;
    std::unique_ptr<testsupport::PromptCatcher> prompts;

    QSqlDatabase db() const { return data->study.connection(); }
    void exec(const QString &sql, const QVariantList &values = {}) { Db::exec(db(), sql, values); }
    QVariant value(const QString &sql, const QVariantList &values = {})
    {
        return Db::scalar(db(), sql, values);
    }

    // The window as the catalogue opens it: empty caption, prepared, hint board set, shown.
    std::unique_ptr<PointPracticeWindow> open(const QString &pointCode,
                                              const QString &title = kTitle)
    {
        App::practiceQuery = PointCatalogue::practiceQuery(pointCode);
        auto underTest = std::make_unique<PointPracticeWindow>();
        underTest->setWindowTitle(QString());
        if (!underTest->preparePracticeRun())
            return nullptr;
        underTest->setHintBoard(title);
        underTest->show();
        return underTest;
    }

    // Shows the question with the given id (by its number button in the first group).
    void showQuestion(PointPracticeWindow *underTest, const QString &id)
    {
        QuestionSet &set = underTest->core()->questionSet();
        for (int record = 1; record <= set.count(); ++record) {
            if (set.row(record).id() == id) {
                find(underTest, u"numberButton"_s + QString::number(record))->click();
                return;
            }
        }
        QFAIL(qPrintable(u"not in the set: "_s + id));
    }

    // q1, q2, q4 of a catalogue row ("rule" point or "fgmc" group/chapter).
    QList<int> counters(const QString &table, const QString &key, const QString &id)
    {
        QSqlQuery q = Db::query(
            db(), u"select q1,q2,q4 from "_s + table + u" where "_s + key + u"=?"_s, {id});
        return q.next() ? QList<int>{q.value(0).toInt(), q.value(1).toInt(), q.value(2).toInt()}
                        : QList<int>{};
    }

private slots:
    void init()
    {
        data = std::make_unique<testsupport::TestDatabase>();
        QVERIFY(data->isValid());
        App::currentPaperKind = 1;
        App::currentChapterKey = u"法律知识 第一章 第一节"_s;
        App::answerTimeTable = {};
        App::loadAnswerTimeTable(db(), 1, App::answerTimeTable);
        today = std::make_unique<testsupport::FixedToday>(kToday);
        prompts = std::make_unique<testsupport::PromptCatcher>();
    }

    void cleanup()
    {
        while (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
        prompts.reset();
        today.reset();
        data.reset();
    }

    void differsFromChapterPracticeOnlyWhereMeant()
    {
        auto underTest = open(kPoint);
        QVERIFY(underTest);
        PointPracticeWindow *w = underTest.get();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        // The hint board keeps the point's title; the chapter key is not shown.
        QCOMPARE(text(w, u"hintBoard"_s), kTitle);
        QCOMPARE(w->windowTitle(), QString());
        // Every question linking the point, answered or not.
        QCOMPARE(text(w, u"questionCountLabel"_s), u"4"_s);
        QCOMPARE(text(w, u"groupCountLabel"_s), u"1"_s);
        // No explanation, no edit, no edited-question label.
        QCOMPARE(find(w, u"explanationButton"_s), nullptr);
        QCOMPARE(find(w, u"editButton"_s), nullptr);
        QCOMPARE(find<QLabel>(w, u"editedLabel"_s), nullptr);
        for (QPushButton *b : w->findChildren<QPushButton *>()) {
            QVERIFY2(b->text() != u"解析"_s && b->text() != u"修改本题"_s, qPrintable(b->text()));
        }
        // The buttons it has, under their names.
        const QList<QPair<QString, QString>> buttons{
            {u"previousButton"_s, u"上一题"_s},
            {u"nextButton"_s, u"下一题"_s},
            {u"finishButton"_s, u"完成"_s},
            {u"answerButton"_s, u"答案"_s},
            {u"notesButton"_s, u"笔记"_s},
            {u"pointsButton"_s, u"考点"_s},
            {u"voidButton"_s, u"本题作废"_s},
            {u"settingsButton"_s, u"设置"_s},
            {u"desktopButton"_s, u"桌面"_s},
            {u"closeButton"_s, u"关闭"_s},
            {u"previousGroupButton"_s, u"<-上一组"_s},
            {u"nextGroupButton"_s, u"下一组->"_s},
        };
        for (const auto &[name, caption] : buttons) {
            QAbstractButton *b = find(w, name);
            QVERIFY2(b, qPrintable(name));
            QCOMPARE(b->text(), caption);
        }
        QVERIFY(!find(w, u"pointsButton"_s)->isEnabled());
        QCOMPARE(find<QLabel>(w, u"clockLabel"_s)->accessibleName(), u"时 钟"_s);
        bool clockCaption = false;
        for (QLabel *l : w->findChildren<QLabel *>())
            clockCaption = clockCaption || (l->text() == u"时 钟"_s && l->isVisible());
        QVERIFY(clockCaption);

        // Size of the display mode; every control inside the window, captions fit.
        const bool compact = App::displayMode == u"800"_s;
        QCOMPARE(w->size(), compact ? QSize(774, 489) : QSize(905, 585));
        QVERIFY(QApplication::primaryScreen()->geometry().contains(w->geometry()));
        for (QWidget *c : w->findChildren<QWidget *>()) {
            if (!c->isVisible() || c->isWindow() || c->width() == 0 || c->height() == 0)
                continue;
            QVERIFY2(w->rect().contains(QRect(c->mapTo(w, QPoint(0, 0)), c->size())),
                     qPrintable(c->objectName()));
            if (auto *b = qobject_cast<QPushButton *>(c))
                QVERIFY2(b->fontMetrics().horizontalAdvance(b->text()) + 8 <= b->width(),
                         qPrintable(b->text()));
        }
        testsupport::saveShot(w, u"point_practice"_s);

        // "关闭" closes the window.
        find(w, u"closeButton"_s)->click();
        QVERIFY(!w->isVisible());
        QVERIFY(prompts->calls().isEmpty());
    }

    void checkWithoutAnAnswer()
    {
        auto underTest = open(kPoint);
        QVERIFY(underTest);
        find(underTest.get(), u"finishButton"_s)->click();
        QCOMPARE(prompts->calls().size(), 1);
        const PromptCall call = prompts->calls().at(0);
        QCOMPARE(call.caption, u"提示"_s);
        QCOMPARE(call.message, u"题还没做呢！"_s);
        QCOMPARE(call.buttons, 1);
        QCOMPARE(call.icon, 1);
        const QString id = underTest->core()->currentRow()->id();
        QCOMPARE(value(u"select coalesce(E2,'') from tab_answ where A1=?"_s, {id}).toString(),
                 QString());
        QCOMPARE(value(u"select E3 from tab_answ where A1=?"_s, {id}).toInt(), 0);
        QCOMPARE(find<NumberButton>(underTest.get(), u"numberButton1"_s)->accessibleDescription(),
                 u"未做"_s);
        underTest->close();
    }

    void voidedQuestionsBelongToTheSet()
    {
        exec(u"update tab_answ set F1=1, E2='zero' where A1='010101000002'"_s);
        auto underTest = open(kPoint);
        QVERIFY(underTest);
        PointPracticeWindow *w = underTest.get();
        QAbstractButton *voidButton = find(w, u"voidButton"_s);
        QCOMPARE(text(w, u"questionCountLabel"_s), u"4"_s);
        showQuestion(w, u"010101000002"_s);
        QCOMPARE(text(w, u"statusLabel"_s), u"本题已被您作废！"_s);
        QCOMPARE(voidButton->text(), u"取消作废"_s);
        // Restoring gives back "本题作废", voiding again "取消作废".
        voidButton->click();
        QCOMPARE(text(w, u"statusLabel"_s), u"本题曾被作废，现已被您取消！"_s);
        QCOMPARE(voidButton->text(), u"本题作废"_s);
        QCOMPARE(value(u"select F1 from tab_answ where A1='010101000002'"_s).toInt(), 0);
        voidButton->click();
        QCOMPARE(voidButton->text(), u"取消作废"_s);
        QCOMPARE(value(u"select F1 from tab_answ where A1='010101000002'"_s).toInt(), 1);
        // Another question: the caption is reset.
        showQuestion(w, u"010101000001"_s);
        QCOMPARE(voidButton->text(), u"本题作废"_s);
        QCOMPARE(text(w, u"statusLabel"_s), QString());
        underTest->close();
    }

    void subjectivePageCaptionStaysWithTheKind()
    {
        auto underTest = open(kPoint);
        QVERIFY(underTest);
        PointPracticeWindow *w = underTest.get();
        find(w, u"kindButton72"_s)->click();
        QCOMPARE(text(w, u"questionCountLabel"_s), u"1"_s);
        QCOMPARE(underTest->core()->pages()->currentIndex(), 4);
        QCOMPARE(underTest->core()->pages()->subjectiveCaption(), u"主\n观"_s);
        find(w, u"kindButton21"_s)->click();
        QCOMPARE(text(w, u"questionCountLabel"_s), u"1"_s);
        QCOMPARE(underTest->core()->pages()->subjectiveCaption(), u"主\n观"_s);
        find(w, u"kindButton0"_s)->click();
        QCOMPARE(text(w, u"questionCountLabel"_s), u"4"_s);
        QCOMPARE(underTest->core()->pages()->subjectiveCaption(), u"主\n观"_s);
        // The hint board is not the chapter key's, whatever happened meanwhile.
        QCOMPARE(text(w, u"hintBoard"_s), kTitle);
        underTest->close();
    }

    void answerCountsForEveryPointOfTheQuestion()
    {
        // A question that names this point in k7 and four other points in k3 .. k6.
        exec(
            u"insert into tab_rule (id,ftid,sn,n,q) values ('020101','020101002','隐患排查',NULL,1)"_s);
        exec(u"update tab_answ set K3='010101002',K4='010102001',K5='020101001',K6='020101002',"
             u"K7='010101001' where A1='010102000001'"_s);
        const QStringList points{u"010101002"_s, u"010102001"_s, u"020101001"_s, u"020101002"_s,
                                 u"010101001"_s};
        QMap<QString, QList<int>> before;
        for (const QString &p : points)
            before[p] = counters(u"tab_rule"_s, u"ftid"_s, p);
        for (const QString &g : {u"010101"_s, u"010102"_s, u"020101"_s, u"01"_s, u"02"_s})
            before[g] = counters(u"tab_fgmc"_s, u"id"_s, g);

        auto underTest = open(kPoint);
        QVERIFY(underTest);
        QCOMPARE(text(underTest.get(), u"questionCountLabel"_s), u"5"_s);
        showQuestion(underTest.get(), u"010102000001"_s);
        find(underTest.get(), u"singleOptionA"_s)->click(); // wrong: the answer is C
        find(underTest.get(), u"finishButton"_s)->click();
        QVERIFY(prompts->calls().isEmpty());

        // Each point, each chapter and each group once: first answer, wrong.
        for (const QString &p : points) {
            const QList<int> b = before.value(p);
            QCOMPARE(counters(u"tab_rule"_s, u"ftid"_s, p),
                     (QList<int>{b[0] + 1, b[1] + 1, b[2] + 1}));
        }
        for (const QString &g : {u"010101"_s, u"010102"_s, u"020101"_s, u"01"_s, u"02"_s}) {
            const QList<int> b = before.value(g);
            QCOMPARE(counters(u"tab_fgmc"_s, u"id"_s, g),
                     (QList<int>{b[0] + 1, b[1] + 1, b[2] + 1}));
        }
        underTest->close();
    }

    void everyOpeningStartsANewRun()
    {
        {
            auto underTest = open(kPoint);
            QVERIFY(underTest);
            showQuestion(underTest.get(), u"010101000002"_s);
            find(underTest.get(), u"singleOptionA"_s)->click(); // right
            find(underTest.get(), u"finishButton"_s)->click();
            underTest->close();
        }
        QCOMPARE(value(u"select E2_1 from tab_answ where A1='010101000002'"_s).toString(), u"A"_s);
        QCOMPARE(value(u"select E3 from tab_answ where A1='010101000002'"_s).toInt(), 1);

        auto underTest = open(kPoint);
        QVERIFY(underTest);
        QCOMPARE(value(u"select count(*) from tab_answ where E2_1<>''"_s).toInt(), 0);
        for (int n = 1; n <= 4; ++n) {
            QCOMPARE(find<NumberButton>(underTest.get(), u"numberButton"_s + QString::number(n))
                         ->accessibleDescription(),
                     u"未做"_s);
        }
        // The same answer in the new run counts again.
        showQuestion(underTest.get(), u"010101000002"_s);
        QVERIFY(!find(underTest.get(), u"singleOptionA"_s)->isChecked());
        find(underTest.get(), u"singleOptionA"_s)->click();
        find(underTest.get(), u"finishButton"_s)->click();
        QCOMPARE(value(u"select E3 from tab_answ where A1='010101000002'"_s).toInt(), 2);
        underTest->close();
    }

    void aPointWithTwentyFiveQuestions()
    {
        {
            Db::Transaction tx(db());
            for (int i = 1; i <= 25; ++i) {
                const QString id = u"020101"_s + QString::number(900 + i).rightJustified(6, u'0');
                exec(u"insert into tab_answ (A1,A2,A2_1,A10,A13,F1,K3,E3,E4) "
                     u"values (?,'A',4,'020101',11,0,'020101009',0,0)"_s,
                     {id});
                exec(u"insert into tab_exer (A1,A15) values (?,?)"_s, {id, id.toUtf8()});
            }
            tx.commit();
        }
        auto underTest = open(u"020101009"_s, u"考点九"_s);
        QVERIFY(underTest);
        PointPracticeWindow *w = underTest.get();
        QCOMPARE(text(w, u"groupCountLabel"_s), u"2"_s);
        QCOMPARE(text(w, u"questionCountLabel"_s), u"25"_s);
        QVERIFY(!find(w, u"previousGroupButton"_s)->isEnabled());
        find(w, u"nextGroupButton"_s)->click();
        QCOMPARE(text(w, u"groupNumberLabel"_s), u"2"_s);
        int enabled = 0;
        for (int n = 1; n <= 20; ++n)
            enabled += find(w, u"numberButton"_s + QString::number(n))->isEnabled() ? 1 : 0;
        QCOMPARE(enabled, 5);
        QVERIFY(!find(w, u"nextGroupButton"_s)->isEnabled());
        underTest->close();
    }

    void aPointWithoutQuestionsIsNotPrepared()
    {
        App::practiceQuery = PointCatalogue::practiceQuery(u"030303003"_s);
        PointPracticeWindow underTest;
        QVERIFY(!underTest.preparePracticeRun());
    }
};

STUDYAID_QTEST_MAIN(PointPracticeWindowTest)
#include "test_point_practice_window.moc"
