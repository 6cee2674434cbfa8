// The mock exam driven from the menu word by objectName on a temporary fixture copy: answering,
// the counters of each stored answer, submission and its three answers, grading and review,
// time-up, pause, kind 64 answered by self-assessment, the paper history and the exam settings.
// The database is read afterwards.
#include "app/StartWindow.h"
#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "exam/ExamSettingsWindow.h"
#include "exam/ExamWindow.h"
#include "exam/Paper.h"
#include "exam/PaperHistoryWindow.h"
#include "export/WordExport.h"
#include "practice/QuestionCore.h"
#include "support/TestSupport.h"
#include "ui/PromptDialog.h"
#include "ui/PromptGate.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

using namespace Qt::StringLiterals;

namespace {

const QDate kToday(2026, 3, 10);

using testsupport::button;
using testsupport::child;
using testsupport::labelText;

} // namespace

class ExamTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<testsupport::TestDatabase> data;
    std::unique_ptr<testsupport::FixedToday> today;
    std::unique_ptr<testsupport::PromptCatcher> prompts;
    std::unique_ptr<StartWindow> start;
    qint64 nowMs = 0;
    int programEnds = 0;

    QSqlDatabase db() const { return data->study.connection(); }
    QVariant value(const QString &sql, const QVariantList &values = {})
    {
        return Db::scalar(db(), sql, values);
    }
    void exec(const QString &sql, const QVariantList &values = {}) { Db::exec(db(), sql, values); }

    // Enough questions for full papers of kinds 1 and 3: single choice answer "A", multiple
    // choice "AC".
    void addQuestions(const QString &chapter, int kind, int n, const QString &answer)
    {
        Db::Transaction tx(db());
        for (int i = 1; i <= n; ++i) {
            const QString id =
                chapter + QString::number(kind) + QString::number(i).rightJustified(4, u'0');
            exec(u"insert into tab_answ (A1,A2,A2_1,A10,A13,F1,E3,E4) values (?,?,4,?,?,0,0,0)"_s,
                 {id, answer, chapter, kind});
            exec(u"insert into tab_exer (A1,A15,jx) values (?,?,?)"_s,
                 {id, QString(u"题目 "_s + id).toUtf8(), QByteArray("<p>jx</p>")});
        }
        tx.commit();
    }
    void bigBank()
    {
        exec(u"delete from tab_answ"_s);
        exec(u"delete from tab_exer"_s);
        addQuestions(u"010101"_s, 11, 80, u"A"_s);
        addQuestions(u"010102"_s, 21, 20, u"AC"_s);
        addQuestions(u"030101"_s, 11, 60, u"A"_s);
        addQuestions(u"030102"_s, 21, 20, u"AC"_s);
    }

    // Runs the menu word, starts the paper at the question that tells what it is, and `drive`
    // works the exam window while it is shown (the prompts it sees start with it).
    void sit(const QString &word, const std::function<void(ExamWindow *)> &drive)
    {
        const qsizetype before = prompts->calls().size();
        start->setModalRunner([this, drive, before](QDialog &d) -> int {
            auto *exam = qobject_cast<ExamWindow *>(&d);
            if (!exam)
                return int(QDialog::Rejected);
            if (prompts->calls().size() != before + 1 ||
                prompts->calls().last().variant != u"Start"_s) {
                QTest::qFail("the paper starts from its start question", __FILE__, __LINE__);
                return int(QDialog::Rejected);
            }
            prompts.reset();
            prompts = std::make_unique<testsupport::PromptCatcher>();
            exam->clock()->setTimeSource([this] { return nowMs; });
            exam->show();
            drive(exam);
            return exam->result();
        });
        start->runMenuCommand(word, {});
    }
    // The button of the prompt dialog that Enter presses; Escape's and Enter's answers when the
    // dialog, as the last prompt set it up, runs for real.
    static QString promptDefault()
    {
        for (QPushButton *b : sharedPromptDialog->findChildren<QPushButton *>()) {
            if (b->isDefault() && !b->isHidden())
                return b->text();
        }
        return {};
    }
    static int promptAnswerTo(int key)
    {
        QTimer::singleShot(0, sharedPromptDialog, [key] {
            QWidget *focus = QApplication::focusWidget();
            QTest::keyClick(focus ? focus : sharedPromptDialog, Qt::Key(key));
        });
        return sharedPromptDialog->run();
    }
    static QString slotState(NumberButton *b) { return b->accessibleDescription(); }

    void pick(ExamWindow *exam, const QString &letters)
    {
        const int page = exam->core()->pages()->currentIndex();
        for (const QChar c : letters) {
            QAbstractButton *b =
                button(exam, (page == 0 ? u"singleOption"_s : u"multipleOption"_s) + c);
            QVERIFY(b && !b->isHidden());
            b->click();
        }
    }
    void slot(ExamWindow *exam, int n)
    {
        button(exam, u"numberButton"_s + QString::number(n))->click();
    }
    NumberButton *slotButton(ExamWindow *exam, int n)
    {
        return child<NumberButton>(exam, u"numberButton"_s + QString::number(n));
    }
    // Answers questions first..last with `letters`, moving on with 下一题.
    void answerRun(ExamWindow *exam, int first, int last, const QString &letters)
    {
        slot(exam, first);
        for (int n = first; n <= last; ++n) {
            pick(exam, letters);
            if (n < last)
                button(exam, u"nextButton"_s)->click();
        }
    }
    int answerCount(const QString &id)
    {
        return value(u"select E3 from tab_answ where A1=?"_s, {id}).toInt();
    }
    int dayAnswers()
    {
        return value(u"select A2 from tab_rz where A1=?"_s, {StudyData::dateText(kToday)}).toInt();
    }
    QString dayTime()
    {
        return value(u"select D1 from tab_rz where A1=?"_s, {StudyData::dateText(kToday)})
            .toString();
    }
    int papers() { return value(u"select count(*) from tab_cj"_s).toInt(); }

private slots:
    void init()
    {
        data = std::make_unique<testsupport::TestDatabase>();
        QVERIFY(data->isValid());
        App::currentPaperKind = 1;
        today = std::make_unique<testsupport::FixedToday>(kToday);
        prompts = std::make_unique<testsupport::PromptCatcher>();
        start = std::make_unique<StartWindow>();
        nowMs = 0;
        programEnds = 0;
        ExamEnd::set([this] { ++programEnds; });
        Clock::seedRandom(11);
    }

    void cleanup()
    {
        while (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
        ExamEnd::reset();
        start.reset();
        prompts.reset();
        today.reset();
        data.reset();
    }

    void answeredSubmittedGradedReviewed_data()
    {
        QTest::addColumn<int>("leastMark");
        QTest::addColumn<bool>("kept");
        QTest::newRow("score equals LeastMark: kept") << 3 << true;
        QTest::newRow("one point above the score: removed") << 4 << false;
    }
    void answeredSubmittedGradedReviewed()
    {
        QFETCH(int, leastMark);
        QFETCH(bool, kept);
        bigBank();
        exec(u"update tab_plan set LeastMark=?"_s, {leastMark});
        QString table;
        QString firstId;
        sit(u"mnks"_s, [&](ExamWindow *exam) {
            table = exam->paperTable();
            QCOMPARE(table, u"tab_exam1"_s);
            QCOMPARE(exam->windowTitle(), u"正在答卷"_s);
            QVERIFY(labelText(exam, u"titleLabel"_s).endsWith(u"[1]"_s));
            QCOMPARE(labelText(exam, u"kindHeaderLabel"_s), u"单选 每题1分 共10分"_s);
            QCOMPARE(labelText(exam, u"clockLabel"_s), u"0:00:00"_s);
            // 85 slots, all in use; the review buttons wait.
            QVERIFY(slotButton(exam, 85)->isEnabled());
            for (const QString &name :
                 {u"explanationButton"_s, u"answerButton"_s, u"pointsButton"_s, u"exportButton"_s,
                  u"voidButton"_s, u"previousButton"_s})
                QVERIFY2(!button(exam, name)->isEnabled(), qPrintable(name));
            firstId = exam->core()->currentRow()->id();
            pick(exam, u"A"_s); // 1: right
            button(exam, u"nextButton"_s)->click();
            QCOMPARE(slotButton(exam, 1)->answerState(), NumberButton::Answered);
            QCOMPARE(answerCount(firstId), 1);
            pick(exam, u"B"_s); // 2: wrong
            slot(exam, 71);     // first multiple choice
            QCOMPARE(labelText(exam, u"kindHeaderLabel"_s), u"多选 每题2分 共10分"_s);
            pick(exam, u"CA"_s); // right: stored as AC
            slot(exam, 72);
            pick(exam, u"C"_s); // wrong
            nowMs = 125'000;
            exam->clock()->tick();
            prompts->queue(1); // 确定
            button(exam, u"submitButton"_s)->click();
            QVERIFY(!prompts->calls().isEmpty());
            const PromptCall &ask = prompts->calls().last();
            QCOMPARE(ask.message, u"你还有81道题未做，确定要交卷吗？"_s);
            QCOMPARE(ask.buttons, 2);
            QCOMPARE(ask.variant, u"Exam"_s);
            // 取消 is what Enter and Escape answer.
            QCOMPARE(promptDefault(), u"取消"_s);
            QCOMPARE(promptAnswerTo(Qt::Key_Escape), 3);
            QCOMPARE(promptAnswerTo(Qt::Key_Return), 3);
            // Review: score 1 + 2, the time used, right and wrong marks, unanswered apart.
            QCOMPARE(exam->mode(), u"old"_s);
            QCOMPARE(exam->windowTitle(), u"查阅试卷"_s);
            QCOMPARE(labelText(exam, u"scoreLabel"_s), u"得分：3 分"_s);
            QCOMPARE(labelText(exam, u"clockLabel"_s), u"用时：0:02:05"_s);
            QCOMPARE(exam->discardOnClose(), !kept);
            QVERIFY(!button(exam, u"submitButton"_s)->isEnabled());
            QVERIFY(button(exam, u"exportButton"_s)->isEnabled());
            QVERIFY(button(exam, u"voidButton"_s)->isEnabled());
            QVERIFY(button(exam, u"explanationButton"_s)->isEnabled());
            QVERIFY(button(exam, u"pauseButton"_s)->isHidden());
            QCOMPARE(slotButton(exam, 1)->answerState(), NumberButton::Right);
            QCOMPARE(slotButton(exam, 2)->answerState(), NumberButton::Wrong);
            QCOMPARE(slotButton(exam, 3)->answerState(), NumberButton::Skipped);
            QCOMPARE(slotState(slotButton(exam, 3)), u"未答"_s);
            QCOMPARE(slotState(slotButton(exam, 2)), u"做错"_s);
            QCOMPARE(slotButton(exam, 71)->answerState(), NumberButton::Right);
            QVERIFY(slotButton(exam, 1)->isChecked());
            QVERIFY(!exam->core()->pages()->option(0, 0)->isEnabled());
            QVERIFY(exam->core()->pages()->option(0, 0)->isChecked());
            // The answer panel agrees with the grading.
            button(exam, u"answerButton"_s)->click();
            QCOMPARE(labelText(exam, u"verdictLabel"_s), u"恭喜你，做对了！"_s);
            slot(exam, 2);
            button(exam, u"answerButton"_s)->click();
            QCOMPARE(labelText(exam, u"verdictLabel"_s), u"很遗憾，做错了，请继续努力！"_s);
            // A paper that closing removes says so, and closing asks once, 取消 first.
            QCOMPARE(child<QLabel>(exam, u"keepNoticeLabel"_s)->isVisible(), !kept);
            testsupport::saveShot(exam, u"exam_review"_s);
            const qsizetype asked = prompts->calls().size();
            if (!kept) {
                QCOMPARE(labelText(exam, u"keepNoticeLabel"_s),
                         u"成绩低于保留分数，关闭后本试卷将被删除。"_s);
                prompts->queue(2);
                QTest::keyClick(exam, Qt::Key_Escape);
                QCOMPARE(prompts->calls().size(), asked + 1);
                QCOMPARE(prompts->calls().last().message,
                         u"成绩低于保留分数，关闭后本试卷将被删除。确定关闭吗？"_s);
                QCOMPARE(promptDefault(), u"取消"_s);
                QCOMPARE(promptAnswerTo(Qt::Key_Escape), 2);
                QCOMPARE(exam->mode(), u"old"_s);
                QVERIFY(Db::hasTable(db(), table));
                prompts->queue(1);
            }
            button(exam, u"closeButton"_s)->click();
            QCOMPARE(prompts->calls().size(), asked + (kept ? 0 : 2));
        });
        QVERIFY(!prompts->sawMessage(u"发生错误！"_s));
        QCOMPARE(value(u"select A6 from tab_cj where A1='tab_exam1'"_s).toDouble(),
                 kept ? 3.0 : 0.0);
        QCOMPARE(Db::hasTable(db(), table), kept);
        QCOMPARE(papers(), kept ? 1 : 0);
        // Every stored answer counted once in the bank and the day's log; the time was logged.
        QCOMPARE(dayAnswers(), 4);
        QCOMPARE(dayTime(), u"00:02:05"_s);
        QCOMPARE(value(u"select E4 from tab_answ where A1=?"_s, {firstId}).toInt(), 0);
        QCOMPARE(value(u"select E2 from tab_answ where A1=?"_s, {firstId}).toString(), u"A"_s);
        QCOMPARE(value(u"select count(*) from tab_answ where E3=1"_s).toInt(), 4);
        QCOMPARE(value(u"select count(*) from tab_answ where E4=-3"_s).toInt(), 2);
        QCOMPARE(App::currentPaperKind, 1);
    }

    void answeringTwiceWithoutChangeCountsOnce()
    {
        bigBank();
        sit(u"mnks"_s, [&](ExamWindow *exam) {
            const QString id = exam->core()->currentRow()->id();
            pick(exam, u"B"_s);
            button(exam, u"nextButton"_s)->click();
            button(exam, u"previousButton"_s)->click();
            QVERIFY(exam->core()->pages()->option(0, 1)->isChecked());
            button(exam, u"nextButton"_s)->click();
            QCOMPARE(answerCount(id), 1);
            QCOMPARE(dayAnswers(), 1);
            // A changed answer counts again; clearing leaves the counters and empties the slot.
            button(exam, u"previousButton"_s)->click();
            pick(exam, u"A"_s);
            button(exam, u"nextButton"_s)->click();
            QCOMPARE(answerCount(id), 2);
            QCOMPARE(value(u"select E4 from tab_answ where A1=?"_s, {id}).toInt(), -2);
            QCOMPARE(value(u"select E2_1 from "_s + exam->paperTable() + u" where A1=?"_s, {id})
                         .toString(),
                     u"A"_s);
            prompts->queue(3); // 取消: the exam goes on
            button(exam, u"closeButton"_s)->click();
            QCOMPARE(exam->mode(), u"new"_s);
            QVERIFY(exam->clock()->running());
            prompts->queue(2); // 作废
            button(exam, u"submitButton"_s)->click();
        });
        QCOMPARE(dayAnswers(), 2);
        QCOMPARE(papers(), 0);
        QVERIFY(!Db::hasTable(db(), u"tab_exam1"_s));
    }

    void nothingAnswered_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("asked");
        QTest::newRow("85 questions: removed without asking") << u"mnks"_s << false;
        QTest::newRow("80 questions: asked, graded 0") << u"mnks3"_s << true;
    }
    void nothingAnswered()
    {
        QFETCH(QString, word);
        QFETCH(bool, asked);
        bigBank();
        exec(u"update tab_plan set LeastMark=0"_s);
        sit(word, [&](ExamWindow *exam) {
            prompts->queue(1);
            button(exam, u"submitButton"_s)->click();
            if (asked) {
                QCOMPARE(prompts->calls().last().message, u"你还有80道题未做，确定要交卷吗？"_s);
                QCOMPARE(exam->mode(), u"old"_s);
                QCOMPARE(labelText(exam, u"scoreLabel"_s), u"得分：0 分"_s);
                button(exam, u"closeButton"_s)->click();
            }
        });
        QCOMPARE(prompts->calls().size(), asked ? 1 : 0);
        QCOMPARE(papers(), asked ? 1 : 0);
        if (asked)
            QCOMPARE(value(u"select A6 from tab_cj"_s).toDouble(), 0.0);
    }

    // 生成文档 in review writes the paper as a document and opens it; a failed write says so
    // and leaves the window as it was.
    void exportFromReview()
    {
        bigBank();
        exec(u"update tab_plan set LeastMark=0"_s);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QStringList opened;
        setDocumentOpener([&](const QString &path) {
            opened.append(path);
            return true;
        });
        sit(u"mnks3"_s, [&](ExamWindow *exam) {
            prompts->queue(1);
            button(exam, u"submitButton"_s)->click();
            QCOMPARE(exam->mode(), u"old"_s);
            slot(exam, 5);
            const QString title = labelText(exam, u"titleLabel"_s);

            setExportFolder(folder.filePath(u"blocked/exports"_s));
            QFile blocker(folder.filePath(u"blocked"_s));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            blocker.close();
            const int before = int(prompts->calls().size());
            button(exam, u"exportButton"_s)->click();
            QCOMPARE(prompts->calls().size(), before + 1);
            QCOMPARE(prompts->calls().last().message, u"导出试题发生错误，请退出后重试！"_s);
            QCOMPARE(prompts->calls().last().caption, u"警告"_s);
            QVERIFY(opened.isEmpty());
            QCOMPARE(exam->mode(), u"old"_s);
            QVERIFY(slotButton(exam, 5)->isChecked());
            QCOMPARE(labelText(exam, u"titleLabel"_s), title);

            setExportFolder(folder.filePath(u"exports"_s));
            button(exam, u"exportButton"_s)->click();
            QCOMPARE(prompts->calls().size(), before + 1);
            QCOMPARE(opened.size(), 1);
            QVERIFY(slotButton(exam, 5)->isChecked());
            button(exam, u"closeButton"_s)->click();
        });
        setExportFolder({});
        setDocumentOpener({});
        QCOMPARE(opened.size(), 1);
        QuaZip zip(opened.first());
        QVERIFY(zip.open(QuaZip::mdUnzip));
        QVERIFY(zip.setCurrentFile(u"word/document.xml"_s));
        QuaZipFile part(&zip);
        QVERIFY(part.open(QIODevice::ReadOnly));
        const QString xml = QString::fromUtf8(part.readAll());
        QVERIFY(xml.contains(u"一、"_s));
        QVERIFY(xml.contains(u"第80题"_s));
        QVERIFY(!xml.contains(u"第81题"_s));
    }

    void discardedPaperLogsTimeBelowFiftyUnanswered_data()
    {
        QTest::addColumn<int>("answered");
        QTest::addColumn<QString>("logged");
        QTest::newRow("49 unanswered: time logged") << 36 << u"00:10:00"_s;
        QTest::newRow("50 unanswered: not logged") << 35 << u"00:00:00"_s;
    }
    void discardedPaperLogsTimeBelowFiftyUnanswered()
    {
        QFETCH(int, answered);
        QFETCH(QString, logged);
        bigBank();
        exec(u"insert into tab_rz (A1,A2,A3,B1,B2,D1) values (?,0,0,0,0,'00:00:00')"_s,
             {StudyData::dateText(kToday)});
        sit(u"mnks"_s, [&](ExamWindow *exam) {
            exec(u"update "_s + exam->paperTable() +
                     u" set E2_1='A' where A1 in (select A1 from "_s + exam->paperTable() +
                     u" order by A1 desc limit ?)"_s,
                 {answered});
            nowMs = 600'000;
            exam->clock()->tick();
            prompts->queue(2);
            button(exam, u"submitButton"_s)->click();
            QCOMPARE(prompts->calls().last().message,
                     u"你还有"_s + QString::number(85 - answered) + u"道题未做，确定要交卷吗？"_s);
        });
        QCOMPARE(papers(), 0);
        QCOMPARE(dayTime(), logged);
    }

    void timeUpClosesTheExamsWindowsAndKeepsToTheLimit()
    {
        bigBank();
        exec(u"update tab_plan set ExamTime=60, LeastMark=0"_s);
        // The notes window open at the limit closes as 关闭 would: the note is saved, and the
        // paper's time is the limit however long the window would have stayed.
        sit(u"mnks"_s, [&](ExamWindow *exam) {
            pick(exam, u"A"_s);
            nowMs = 59'000;
            exam->clock()->tick();
            QCOMPARE(exam->mode(), u"new"_s);
            QPointer<QDialog> notes;
            QTimer::singleShot(0, exam, [&] {
                notes = qobject_cast<QDialog *>(QApplication::activeModalWidget());
                QVERIFY(notes);
                child<QPlainTextEdit>(notes, u"noteEdit"_s)->setPlainText(u"到时的笔记"_s);
                nowMs = 60'000;
                exam->clock()->tick();
                QVERIFY(!notes->isVisible());
                nowMs = 99'000; // had it stayed open
            });
            button(exam, u"notesButton"_s)->click();
            QVERIFY(!QTest::currentTestFailed());
            QTRY_COMPARE(prompts->messages(), QStringList{u"很遗憾，考试时间到了！"_s});
            QCOMPARE(prompts->calls().first().kind, PromptCall::MessageBox);
            QCOMPARE(exam->mode(), u"old"_s);
            QCOMPARE(labelText(exam, u"scoreLabel"_s), u"得分：1 分"_s);
            button(exam, u"closeButton"_s)->click();
        });
        QCOMPARE(value(u"select D2 from tab_cj"_s).toString(), u"0:01:00"_s);
        const QString paper = value(u"select A1 from tab_cj"_s).toString();
        QCOMPARE(value(u"select count(*) from "_s + paper + u" where A14='到时的笔记'"_s).toInt(),
                 1);

        // A prompt being answered at the limit is not taken away: the clock stops, the time-up
        // message follows the prompt, and a window of the exam beneath it closes.
        exec(u"delete from tab_cj"_s);
        nowMs = 0;
        prompts.reset();
        prompts = std::make_unique<testsupport::PromptCatcher>();
        sit(u"mnks"_s, [&](ExamWindow *exam) {
            pick(exam, u"A"_s);
            QDialog other(exam);
            other.setModal(true);
            other.show();
            QTRY_COMPARE(QApplication::activeModalWidget(), &other);
            {
                PromptGate::Showing prompt;
                nowMs = 61'000;
                exam->clock()->tick();
                nowMs = 90'000;
                exam->clock()->tick();
                QTest::qWait(120);
                QVERIFY(prompts->calls().isEmpty());
                QCOMPARE(exam->mode(), u"new"_s);
            }
            QTRY_COMPARE(prompts->messages(), QStringList{u"很遗憾，考试时间到了！"_s});
            QVERIFY(!other.isVisible());
            QCOMPARE(exam->mode(), u"old"_s);
            button(exam, u"closeButton"_s)->click();
        });
        QCOMPARE(value(u"select D2 from tab_cj"_s).toString(), u"0:01:01"_s);
    }

    // The menu word tells what the paper will be; 取消 (or Escape) draws nothing.
    void startAsksWhatThePaperIs()
    {
        bigBank();
        exec(u"update tab_plan set ExamTime=5400"_s);
        start->setModalRunner([](QDialog &) -> int {
            QTest::qFail("no paper after 取消", __FILE__, __LINE__);
            return 0;
        });
        prompts->queue(2);
        start->runMenuCommand(u"mnks3"_s, {});
        QCOMPARE(prompts->calls().size(), 1);
        const PromptCall &ask = prompts->calls().first();
        QCOMPARE(ask.caption, u"模拟考试"_s);
        QCOMPARE(ask.message, u"注册安全工程师·安全生产技术\n共80题，满分100分，限时90分钟"_s);
        QCOMPARE(promptDefault(), u"开始考试"_s);
        testsupport::saveShot(sharedPromptDialog, u"exam_start_question"_s);
        QCOMPARE(promptAnswerTo(Qt::Key_Escape), 2);
        QCOMPARE(papers(), 0);
        QVERIFY(!Db::hasTable(db(), u"tab_exam1"_s));
        bool shown = false;
        sit(u"mnks3"_s, [&](ExamWindow *exam) {
            shown = true;
            QCOMPARE(exam->core()->questionSet().count(), 80);
            prompts->queue(2);
            button(exam, u"submitButton"_s)->click();
        });
        QVERIFY(shown);
    }

    // The time left beside the clock, and a notice at 15 and at 5 minutes left that neither
    // stops the clock nor takes the focus; a limit under 15 minutes gets the 5-minute one only.
    void timeLeftAndNotices()
    {
        bigBank();
        struct Step
        {
            qint64 ms;
            QString left;
            QString notice; // empty: no notice shown
        };
        struct Case
        {
            int limit;
            QList<Step> steps;
        };
        const QList<Case> cases{
            {1200,
             {{0, u"剩余：0:20:00"_s, {}},
              {299'000, u"剩余：0:15:01"_s, {}},
              {300'000, u"剩余：0:15:00"_s, u"离考试结束还有15分钟"_s},
              {899'000, u"剩余：0:05:01"_s, u"离考试结束还有15分钟"_s},
              {900'000, u"剩余：0:05:00"_s, u"离考试结束还有5分钟"_s},
              {1'000'000, u"剩余：0:03:20"_s, u"离考试结束还有5分钟"_s}}},
            {600,
             {{0, u"剩余：0:10:00"_s, {}},
              {300'000, u"剩余：0:05:00"_s, u"离考试结束还有5分钟"_s}}},
        };
        for (const Case &c : cases) {
            exec(u"update tab_plan set ExamTime=?"_s, {c.limit});
            exec(u"delete from tab_cj"_s);
            nowMs = 0;
            sit(u"mnks"_s, [&](ExamWindow *exam) {
                QWidget *focus = QApplication::focusWidget();
                auto *notice = child<QLabel>(exam, u"timeNoticeLabel"_s);
                for (const Step &step : c.steps) {
                    nowMs = step.ms;
                    exam->clock()->tick();
                    QCOMPARE(labelText(exam, u"timeLeftLabel"_s), step.left);
                    QCOMPARE(notice->isVisible(), !step.notice.isEmpty());
                    if (!step.notice.isEmpty())
                        QCOMPARE(notice->text(), step.notice);
                    QVERIFY(exam->clock()->running());
                    QCOMPARE(QApplication::focusWidget(), focus);
                }
                testsupport::saveShot(exam, u"exam_time_notice"_s);
                QVERIFY(prompts->calls().isEmpty());
                prompts->queue(2);
                button(exam, u"submitButton"_s)->click();
            });
        }
    }

    // 只看错题 in review: the number buttons and 上一题 / 下一题 (mouse and keys) reach only the
    // questions not answered right; off again, every question.
    void reviewShowsWrongOnly()
    {
        bigBank();
        exec(u"update tab_plan set LeastMark=0"_s);
        sit(u"mnks"_s, [&](ExamWindow *exam) {
            auto *wrongOnly = child<QCheckBox>(exam, u"wrongOnlyCheck"_s);
            QVERIFY(!wrongOnly->isVisible());
            answerRun(exam, 1, 4, u"A"_s);
            slot(exam, 2);
            pick(exam, u"B"_s); // 2: wrong
            slot(exam, 85);
            pick(exam, u"AC"_s); // 85: right; 5..84 unanswered
            prompts->queue(1);
            button(exam, u"submitButton"_s)->click();
            QCOMPARE(exam->mode(), u"old"_s);
            QVERIFY(wrongOnly->isVisible());
            slot(exam, 1);
            wrongOnly->click();
            QVERIFY(slotButton(exam, 2)->isChecked());
            for (int n : {1, 3, 4, 85})
                QVERIFY2(!slotButton(exam, n)->isEnabled(), qPrintable(QString::number(n)));
            for (int n : {2, 5, 84})
                QVERIFY2(slotButton(exam, n)->isEnabled(), qPrintable(QString::number(n)));
            QVERIFY(!button(exam, u"previousButton"_s)->isEnabled());
            testsupport::saveShot(exam, u"exam_wrong_only"_s);
            button(exam, u"nextButton"_s)->click();
            QVERIFY(slotButton(exam, 5)->isChecked());
            QTest::keyClick(exam, Qt::Key_Backspace);
            QVERIFY(slotButton(exam, 2)->isChecked());
            slot(exam, 84);
            QVERIFY(!button(exam, u"nextButton"_s)->isEnabled());
            QTest::keyClick(exam, Qt::Key_Return);
            QVERIFY(slotButton(exam, 84)->isChecked());
            wrongOnly->click();
            QVERIFY(slotButton(exam, 85)->isEnabled());
            QVERIFY(button(exam, u"nextButton"_s)->isEnabled());
            button(exam, u"nextButton"_s)->click();
            QVERIFY(slotButton(exam, 85)->isChecked());
            button(exam, u"closeButton"_s)->click();
        });
    }

    void pauseIsLeftOutOfTheClock()
    {
        bigBank();
        sit(u"mnks"_s, [&](ExamWindow *exam) {
            button(exam, u"nextButton"_s)->click();
            nowMs = 10'000;
            exam->clock()->tick();
            QCOMPARE(labelText(exam, u"clockLabel"_s), u"0:00:10"_s);
            QAbstractButton *pause = button(exam, u"pauseButton"_s);
            pause->click();
            QCOMPARE(pause->text(), u"继续考试"_s);
            QVERIFY(child<QWidget>(exam, u"pausePanel"_s)->isVisible());
            for (const QString &name : {u"submitButton"_s, u"notesButton"_s, u"closeButton"_s,
                                        u"previousButton"_s, u"nextButton"_s})
                QVERIFY2(!button(exam, name)->isEnabled(), qPrintable(name));
            QVERIFY(!slotButton(exam, 3)->isEnabled());
            testsupport::saveShot(exam, u"exam_paused"_s);
            nowMs = 400'000;
            exam->clock()->tick();
            pause->click();
            QCOMPARE(pause->text(), u"暂停考试"_s);
            QVERIFY(!child<QWidget>(exam, u"pausePanel"_s)->isVisible());
            QVERIFY(button(exam, u"previousButton"_s)->isEnabled());
            QVERIFY(button(exam, u"nextButton"_s)->isEnabled());
            QVERIFY(slotButton(exam, 3)->isEnabled());
            nowMs = 405'000;
            exam->clock()->tick();
            QCOMPARE(labelText(exam, u"clockLabel"_s), u"0:00:15"_s);
            prompts->queue(2);
            button(exam, u"submitButton"_s)->click();
        });
    }

    void kind64AnsweredBySelfAssessment()
    {
        sit(u"mnks5"_s, [&](ExamWindow *exam) {
            QCOMPARE(exam->core()->pages()->currentIndex(), 4);
            auto *box = child<QComboBox>(exam, u"subjectiveChoice"_s);
            QVERIFY(box->isEnabled());
            box->setCurrentIndex(1); // 会
            QApplication::processEvents();
            testsupport::saveShot(exam, u"exam_kind64"_s);
            prompts->queue(1);
            button(exam, u"submitButton"_s)->click();
            QCOMPARE(exam->mode(), u"old"_s);
            QCOMPARE(labelText(exam, u"scoreLabel"_s), u"得分：20 分"_s);
            QCOMPARE(slotButton(exam, 1)->answerState(), NumberButton::Right);
            // No answer panel can contradict the self-assessment.
            QVERIFY(!button(exam, u"answerButton"_s)->isEnabled());
            button(exam, u"closeButton"_s)->click();
        });
        QCOMPARE(App::currentPaperKind, 5);
        QCOMPARE(value(u"select E2 from tab_answ where A1='050101000001'"_s).toString(), u"1"_s);
    }

    void reviewAgreesWithGradingWhateverTheLetterCase()
    {
        // Correct answers stored in lower case are matched as the grading matches them.
        exec(u"update tab_answ set A2=lower(A2) where A13 in (11,21)"_s);
        exec(u"update tab_plan set LeastMark=0"_s);
        sit(u"mnks"_s, [&](ExamWindow *exam) {
            QCOMPARE(exam->core()->currentRow()->progress.correct, u"b"_s);
            pick(exam, u"B"_s);
            // Notes written in the exam belong to the paper row.
            QTimer::singleShot(0, exam, [] {
                auto *notes = qobject_cast<QDialog *>(QApplication::activeModalWidget());
                QVERIFY(notes);
                child<QPlainTextEdit>(notes, u"noteEdit"_s)->setPlainText(u"考试笔记"_s);
                notes->close();
            });
            button(exam, u"notesButton"_s)->click();
            QCOMPARE(button(exam, u"notesButton"_s)->text(), u"有内容"_s);
            prompts->queue(1);
            button(exam, u"submitButton"_s)->click();
            QCOMPARE(labelText(exam, u"scoreLabel"_s), u"得分：1 分"_s);
            QCOMPARE(slotButton(exam, 1)->answerState(), NumberButton::Right);
            button(exam, u"answerButton"_s)->click();
            QCOMPARE(labelText(exam, u"verdictLabel"_s), u"恭喜你，做对了！"_s);
            button(exam, u"closeButton"_s)->click();
        });
        QCOMPARE(value(u"select A14 from tab_exam1 where A1='010101000001'"_s).toString(),
                 u"考试笔记"_s);
        QVERIFY(value(u"select A14 from tab_answ where A1='010101000001'"_s).toString().isEmpty());
    }

    void paperThatCannotOpenEndsTheProgramAndIsNotKept()
    {
        // Subject 1 holds only subjective questions: none of them is drawn for this paper kind.
        exec(u"update tab_answ set A13=72 where A10 like '01%'"_s);
        sit(u"mnks"_s, [](ExamWindow *) { QFAIL("no exam window for an empty paper"); });
        QCOMPARE(prompts->messages(), QStringList{u"无法打开试卷！"_s});
        QCOMPARE(prompts->calls().first().caption, u"错误"_s);
        QCOMPARE(programEnds, 1);
        QCOMPARE(papers(), 0);
        QVERIFY(!Db::hasTable(db(), u"tab_exam1"_s));
        // No eligible question at all.
        exec(u"update tab_answ set F1=1 where A10 like '01%'"_s);
        sit(u"mnks"_s, [](ExamWindow *) { QFAIL("no exam window without questions"); });
        QCOMPARE(prompts->messages().last(), u"没有发现题目！"_s);
        QCOMPARE(programEnds, 2);
        QCOMPARE(papers(), 0);
    }

    void historyListsReviewsVoidsAndDeletes()
    {
        // Three kept papers (full mark 20, pass at 12), one left ungraded.
        exec(u"update tab_plan set LeastMark=0"_s);
        QStringList tables;
        for (int i = 0; i < 4; ++i) {
            sit(u"mnks"_s, [&](ExamWindow *exam) {
                tables.append(exam->paperTable());
                if (i == 3)
                    return;
                answerRun(exam, 1, 5, u"A"_s);
                prompts->queue(1);
                button(exam, u"submitButton"_s)->click();
                button(exam, u"closeButton"_s)->click();
            });
        }
        exec(u"update tab_cj set A6=12 where A3_1=1"_s);
        exec(u"update tab_cj set A6=13 where A3_1=2"_s);
        exec(u"update tab_cj set A6=10 where A3_1=3"_s);

        PaperHistoryWindow history;
        history.show();
        QVERIFY(QTest::qWaitForWindowExposed(&history));
        QCOMPARE(labelText(&history, u"paperCountLabel"_s), u"4"_s);
        QCOMPARE(labelText(&history, u"passedCountLabel"_s), u"2"_s);
        QCOMPARE(labelText(&history, u"averageScoreLabel"_s), u"12"_s); // 35 / 3 = 11.67
        QCOMPARE(labelText(&history, u"keepHintLabel"_s),
                 u"[提示]：成绩少于 0 分的试卷，不被保留。"_s);
        auto *grid = child<QTableView>(&history, u"paperGrid"_s);
        QCOMPARE(grid->model()->rowCount(), 4);
        QVERIFY(grid->model()->index(0, 0).data().toString().endsWith(u"[4]"_s));
        QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), u"试卷名称"_s);
        testsupport::saveShot(&history, u"paper_history"_s);

        // Review of the ungraded newest paper: score 0, voiding reaches both tables, and closing
        // never removes it.
        QString voided;
        history.setReviewRunner([&](ExamWindow &exam) {
            exam.show();
            QCOMPARE(exam.mode(), u"old"_s);
            QCOMPARE(labelText(&exam, u"scoreLabel"_s), u"得分：0 分"_s);
            voided = exam.core()->currentRow()->id();
            button(&exam, u"voidButton"_s)->click();
            QCOMPARE(button(&exam, u"voidButton"_s)->text(), u"取消作废"_s);
            QCOMPARE(labelText(&exam, u"statusLabel"_s), u"本题已被您作废！"_s);
            QVERIFY(!exam.discardOnClose());
            button(&exam, u"closeButton"_s)->click();
        });
        grid->selectRow(0);
        button(&history, u"reviewButton"_s)->click();
        QCOMPARE(value(u"select F1 from tab_answ where A1=?"_s, {voided}).toInt(), 1);
        QCOMPARE(value(u"select E2 from tab_answ where A1=?"_s, {voided}).toString(), u"zero"_s);
        QCOMPARE(value(u"select F1 from "_s + tables.at(3) + u" where A1=?"_s, {voided}).toInt(),
                 1);
        QVERIFY(Db::hasTable(db(), tables.at(3)));

        // Delete asks first; Cancel keeps the paper. The figures wait for the next showing, and
        // a history row whose table is gone is removed too.
        exec(u"drop table "_s + tables.at(2));
        grid->selectRow(1);
        prompts->queue(2); // 取消
        button(&history, u"deleteButton"_s)->click();
        QCOMPARE(prompts->calls().last().message, u"即将删除试卷，要继续么？"_s);
        QCOMPARE(promptDefault(), u"取消"_s);
        QCOMPARE(promptAnswerTo(Qt::Key_Escape), 2);
        QCOMPARE(grid->model()->rowCount(), 4);
        grid->selectRow(1);
        prompts->queue(1); // 确定
        button(&history, u"deleteButton"_s)->click();
        QCOMPARE(grid->model()->rowCount(), 3);
        QCOMPARE(papers(), 3);
        QCOMPARE(value(u"select count(*) from tab_cj where A1=?"_s, {tables.at(2)}).toInt(), 0);
        QCOMPARE(labelText(&history, u"paperCountLabel"_s), u"4"_s);
        history.close();
    }

    void emptyHistory()
    {
        PaperHistoryWindow history;
        history.setReviewRunner([](ExamWindow &) { QFAIL("no paper to review"); });
        history.show();
        QCOMPARE(labelText(&history, u"paperCountLabel"_s), u"0"_s);
        QCOMPARE(labelText(&history, u"passedCountLabel"_s), u"0"_s);
        QCOMPARE(labelText(&history, u"averageScoreLabel"_s), u"0"_s);
        button(&history, u"reviewButton"_s)->click();
        button(&history, u"deleteButton"_s)->click();
        QVERIFY(prompts->calls().isEmpty());
        history.close();
    }

    void settings()
    {
        // Full mark of paper kind 1 in the fixture: 10 x 1 + 5 x 2 = 20.
        ExamSettingsWindow settingsWindow;
        settingsWindow.show();
        auto *least = child<QLineEdit>(&settingsWindow, u"leastMarkEdit"_s);
        auto *minutes = child<QLineEdit>(&settingsWindow, u"examMinutesEdit"_s);
        QCOMPARE(least->text(), u"60"_s);
        QCOMPARE(minutes->text(), u"150"_s);
        testsupport::saveShot(&settingsWindow, u"exam_settings"_s);
        // Digits only, three at most.
        least->setFocus();
        least->selectAll();
        QTest::keyClick(least, Qt::Key_Backspace);
        QCOMPARE(least->text(), u"0"_s);
        QTest::keyClicks(least, u"12"_s); // replaces the 0 put into the emptied box
        QCOMPARE(least->text(), u"12"_s);
        least->selectAll();
        QTest::keyClicks(least, u"1x5"_s);
        QCOMPARE(least->text(), u"15"_s);
        least->selectAll();
        QTest::keyClicks(least, u"150"_s);
        QCOMPARE(prompts->calls().last().message, u"最低分数不能超过总分数！"_s);
        QCOMPARE(least->text(), u"20"_s);
        // 默认 follows the ticks.
        auto *tickLeast = child<QCheckBox>(&settingsWindow, u"leastMarkCheck"_s);
        auto *tickTime = child<QCheckBox>(&settingsWindow, u"examTimeCheck"_s);
        QAbstractButton *defaults = button(&settingsWindow, u"defaultButton"_s);
        QVERIFY(defaults->isEnabled());
        tickTime->click();
        QVERIFY(defaults->isEnabled());
        tickTime->click();
        QVERIFY(!defaults->isEnabled());
        tickTime->click();
        minutes->setText(u"45"_s);
        defaults->click();
        QCOMPARE(minutes->text(), u"120"_s);
        QCOMPARE(least->text(), u"20"_s);
        tickLeast->click();
        defaults->click();
        QCOMPARE(least->text(), u"10"_s);
        button(&settingsWindow, u"closeButton"_s)->click();
        QCOMPARE(value(u"select LeastMark from tab_plan"_s).toInt(), 10);
        QCOMPARE(value(u"select ExamTime from tab_plan"_s).toInt(), 7200);

        // An empty time box cannot be saved: the old values stay.
        ExamSettingsWindow again;
        again.show();
        child<QLineEdit>(&again, u"examMinutesEdit"_s)->clear();
        child<QLineEdit>(&again, u"leastMarkEdit"_s)->setText(u"5"_s);
        button(&again, u"closeButton"_s)->click();
        QCOMPARE(prompts->calls().last().message, u"保存设置失败！"_s);
        QCOMPARE(prompts->calls().last().caption, u"警告"_s);
        QCOMPARE(value(u"select LeastMark from tab_plan"_s).toInt(), 10);
        QCOMPARE(value(u"select ExamTime from tab_plan"_s).toInt(), 7200);
    }
};

STUDYAID_QTEST_MAIN(ExamTest)
#include "test_exam_window.moc"
