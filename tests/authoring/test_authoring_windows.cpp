// The authoring windows driven by objectName on a temporary fixture copy: entering questions from
// the chapter browser, editing the question on screen in the practice window, the exam-point
// picker's limits and pre-ticking, rich text typed, formatted and pasted, and failed saves.
#include "authoring/Authoring.h"
#include "authoring/Counters.h"
#include "authoring/PointPicker.h"
#include "authoring/QuestionEditWindow.h"
#include "authoring/QuestionEntryWindow.h"
#include "authoring/RichEditor.h"
#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "practice/ChapterBrowser.h"
#include "practice/PracticeSets.h"
#include "practice/PracticeWindow.h"
#include "practice/QuestionCore.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLCDNumber>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStackedWidget>
#include <QTableView>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

template <typename T = QWidget> T *child(QWidget *parent, const QString &name)
{
    T *w = parent->findChild<T *>(name);
    if (!w)
        qWarning("no child %s", qPrintable(name));
    return w;
}

QPushButton *button(QWidget *w, const QString &name)
{
    return child<QPushButton>(w, name);
}

QTextEdit *editor(QWidget *w, const QString &name)
{
    return child<QTextEdit>(w, name);
}

// Runs `act` once on the first window of type T that becomes the active modal window. A failed
// check inside leaves no dialog open behind it; after 15 s the window is closed unvisited.
template <typename T> void whenModal(std::function<void(T *)> act)
{
    auto *timer = new QTimer;
    timer->setInterval(20);
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(timer, &QTimer::timeout, [timer, act, started] {
        auto *modal = qobject_cast<T *>(QApplication::activeModalWidget());
        if (!modal && started->elapsed() < 15000)
            return;
        timer->stop();
        timer->deleteLater();
        if (!modal) {
            if (QWidget *other = QApplication::activeModalWidget())
                other->close();
            QTest::qFail("the expected window never showed", __FILE__, __LINE__);
            return;
        }
        act(modal);
        if (QTest::currentTestFailed()) {
            while (QWidget *open = QApplication::activeModalWidget())
                open->close();
        }
    });
    timer->start();
}

// Types text into a widget: Latin-1 characters as key presses, Chinese as the input method
// commits it.
void type(QWidget *w, const QString &text)
{
    w->setFocus();
    for (const QChar ch : text) {
        if (ch.unicode() < 0x80) {
            QTest::keyClick(w, ch.toLatin1());
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QString(ch));
            QApplication::sendEvent(w, &commit);
        }
    }
}

// The character format in the middle of the first occurrence of `text` in a document.
QTextCharFormat formatOf(const QTextDocument *doc, const QString &text)
{
    const QTextCursor found = doc->find(text);
    if (found.isNull())
        return {};
    QTextCursor at(const_cast<QTextDocument *>(doc));
    at.setPosition(found.selectionStart() + 1);
    return at.charFormat();
}

QStringList itemTexts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

const QString kFullMessage = u"对应考点最多不能超过7条，已有考点%1条！"_s;

} // namespace

class AuthoringWindowsTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<testsupport::TestDatabase> data;
    std::unique_ptr<testsupport::PromptCatcher> prompts;

    QSqlDatabase db() const { return data->study.connection(); }
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
    QStringList userIds()
    {
        QSqlQuery q = Db::query(db(), u"select A1 from tab_answ where A1 like 'U%' order by A1"_s);
        QStringList ids;
        while (q.next())
            ids.append(q.value(0).toString());
        return ids;
    }
    // The group name and short title of a point as the lists show them.
    QPair<QString, QString> pointNames(const QString &code)
    {
        const Authoring::PointInfo p = Authoring::readPoints(db(), {code}).value(0);
        return {p.groupName, p.title};
    }
    std::unique_ptr<PracticeWindow> practice(const QString &query)
    {
        App::practiceQuery = query;
        auto underTest = std::make_unique<PracticeWindow>();
        underTest->setWindowTitle(u"练习新题"_s);
        if (!underTest->preparePracticeRun())
            return nullptr;
        underTest->show();
        return underTest;
    }
    // Shows the question with the given id in a practice window; false when it is not in the set.
    bool showQuestion(PracticeWindow *underTest, const QString &id)
    {
        QuestionSet &set = underTest->core()->questionSet();
        for (int r = 1; r <= set.count(); ++r) {
            if (set.row(r).id() == id) {
                underTest->core()->selectQuestion(r);
                return underTest->core()->currentRow() &&
                       underTest->core()->currentRow()->id() == id;
            }
        }
        return false;
    }
    // Ticks the points of a group in an open picker (the first by keyboard) and presses 确定.
    void pickPoints(PointPicker *picker, const QString &groupName, const QList<int> &rows)
    {
        auto *groups = child<QComboBox>(picker, u"groupBox"_s);
        groups->setCurrentIndex(groups->findText(groupName));
        auto *list = child<QListWidget>(picker, u"pointChecklist"_s);
        for (int i = 0; i < rows.size(); ++i) {
            if (i == 0) {
                list->setFocus();
                list->setCurrentRow(rows[i]);
                QTest::keyClick(list, Qt::Key_Space);
            } else {
                list->item(rows[i])->setCheckState(Qt::Checked);
            }
        }
        button(picker, u"okButton"_s)->click();
    }

private slots:
    void init()
    {
        data = std::make_unique<testsupport::TestDatabase>();
        QVERIFY(data->isValid());
        App::currentPaperKind = 1;
        App::answerTimeTable = {};
        App::loadAnswerTimeTable(db(), 1, App::answerTimeTable);
        prompts = std::make_unique<testsupport::PromptCatcher>();
    }

    void cleanup()
    {
        while (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
        prompts.reset();
        data.reset();
    }

    void entryKindRuleAndValidation()
    {
        QuestionEntryWindow entry;
        entry.setChapterCode(u"010101"_s);
        entry.show();
        QVERIFY(QTest::qWaitForWindowExposed(&entry));
        QCOMPARE(entry.size(), App::displayMode == u"800"_s ? QSize(780, 550) : QSize(920, 650));
        auto *kinds = child<QComboBox>(&entry, u"kindBox"_s);
        auto *options = child<QSpinBox>(&entry, u"optionCountBox"_s);
        auto *answer = child<QLineEdit>(&entry, u"answerEdit"_s);
        QStringList names;
        for (int i = 0; i < kinds->count(); ++i)
            names.append(kinds->itemText(i));
        QCOMPARE(names, (QStringList{u"单选"_s, u"多选"_s, u"案例分析"_s, u"计算"_s, u"简答"_s}));
        QCOMPARE(kinds->currentIndex(), 0);
        QCOMPARE(options->value(), 5);
        QCOMPARE(options->maximum(), 7);
        QCOMPARE(answer->maxLength(), 100);

        // Tab runs from the body to the explanation to the kinds, and on to the buttons.
        QVERIFY(QTest::qWaitForWindowActive(&entry));
        QCOMPARE(QApplication::focusWidget(), editor(&entry, u"bodyEditor"_s));
        const QStringList order{u"explanationEditor"_s, u"kindBox"_s,    u"optionCountBox"_s,
                                u"answerEdit"_s,        u"pointList"_s,  u"addPointsButton"_s,
                                u"saveButton"_s,        u"clearButton"_s};
        for (const QString &next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *focus = QApplication::focusWidget();
            // A spin box hands its focus to its line edit.
            QCOMPARE(focus && focus->objectName().isEmpty() ? focus->parentWidget()->objectName()
                     : focus                                ? focus->objectName()
                                                            : QString(),
                     next);
        }

        // Letters are forced to upper case as they are typed.
        type(answer, u"abd"_s);
        QCOMPARE(answer->text(), u"ABD"_s);
        // A subjective kind locks one option and the answer "1"; a choice kind unlocks both
        // and empties the answer, the option count stays.
        for (const QString &locked : {u"简答"_s, u"案例分析"_s, u"计算"_s}) {
            kinds->setCurrentIndex(kinds->findText(locked));
            QCOMPARE(options->value(), 1);
            QCOMPARE(answer->text(), u"1"_s);
            QVERIFY(!options->isEnabled());
            QVERIFY(!answer->isEnabled());
        }
        kinds->setFocus();
        QTest::keyClick(kinds, Qt::Key_Home); // by keyboard, back to 单选
        QCOMPARE(kinds->currentText(), u"单选"_s);
        QVERIFY(options->isEnabled());
        QVERIFY(answer->isEnabled());
        QCOMPARE(answer->text(), QString());
        QCOMPARE(options->value(), 1);

        // Each missing piece has its message, and nothing is stored.
        // So has a key the question could never be judged right with; the form is kept.
        struct Case
        {
            QString body;
            QString answer;
            int kind;
            QString message;
            int options = 4;
        };
        const int single = kinds->findText(u"单选"_s);
        const int multiple = kinds->findText(u"多选"_s);
        const QString oneLetter = u"单选题的答案只能是A～D中的一个字母！"_s;
        const QString letters =
            u"多选题的答案只能是A～D中的字母，按字母顺序填写，每个字母只写一次！"_s;
        const Case cases[] = {
            {u"  \n "_s, u"A"_s, 0, u"请填写试题内容！"_s},
            {u"题目"_s, u"   "_s, 0, u"请填写试题答案！"_s},
            {u"题目"_s, u"A"_s, -1, u"请选择题型！"_s},
            {u"题目"_s, u"AB"_s, single, oneLetter},
            {u"题目"_s, u"E"_s, single, oneLetter},
            {u"题目"_s, u"1"_s, single, oneLetter},
            {u"题目"_s, u"G"_s, single, u"单选题的答案只能是A～F中的一个字母！"_s, 7},
            {u"题目"_s, u"1Z"_s, multiple, letters},
            {u"题目"_s, u"ACE"_s, multiple, letters},
            {u"题目"_s, u"CA"_s, multiple, letters},
            {u"题目"_s, u"AAC"_s, multiple, letters},
            {u"题目"_s, u"B"_s, multiple,
             u"多选题的答案只能是A中的字母，按字母顺序填写，每个字母只写一次！"_s, 1},
        };
        for (const Case &c : cases) {
            kinds->setCurrentIndex(c.kind);
            options->setValue(c.options);
            editor(&entry, u"bodyEditor"_s)->setPlainText(c.body);
            answer->setText(c.answer);
            button(&entry, u"saveButton"_s)->click();
            QCOMPARE(prompts->calls().constLast().message, c.message);
            QCOMPARE(prompts->calls().constLast().caption, u"提示"_s);
            QCOMPARE(prompts->calls().constLast().icon, int(QMessageBox::Information));
            QCOMPARE(answer->text(), c.answer);
            QCOMPARE(editor(&entry, u"bodyEditor"_s)->toPlainText(), c.body);
        }
        QCOMPARE(userIds(), QStringList());
        QCOMPARE(entry.savedCount(), 0);

        // A save that stops at a message has unlocked the fields again.
        kinds->setCurrentIndex(kinds->findText(u"简答"_s));
        editor(&entry, u"bodyEditor"_s)->clear();
        button(&entry, u"saveButton"_s)->click();
        QVERIFY(options->isEnabled());
        QVERIFY(answer->isEnabled());

        // Clearing selects the first kind without the kind rule and empties the form.
        editor(&entry, u"bodyEditor"_s)->setPlainText(u"题目"_s);
        editor(&entry, u"explanationEditor"_s)->setPlainText(u"解析"_s);
        options->setValue(3);
        button(&entry, u"clearButton"_s)->click();
        QCOMPARE(kinds->currentIndex(), 0);
        QVERIFY(editor(&entry, u"bodyEditor"_s)->toPlainText().isEmpty());
        QVERIFY(editor(&entry, u"explanationEditor"_s)->toPlainText().isEmpty());
        QVERIFY(answer->text().isEmpty());
        QCOMPARE(options->value(), 3);
        button(&entry, u"closeButton"_s)->click();
        QVERIFY(!entry.isVisible());
    }

    void entryFromTheBrowserNumbersAndCountsQuestions()
    {
        ChapterBrowser browser;
        browser.show();
        QVERIFY(QTest::qWaitForWindowExposed(&browser));
        auto *grid = child<QTableView>(&browser, u"chapterGrid"_s);
        int chapterRow = -1;
        for (int r = 0; r < grid->model()->rowCount(); ++r) {
            if (grid->model()->index(r, 0).data().toString() == u"010101"_s)
                chapterRow = r;
        }
        QVERIFY(chapterRow >= 0);
        grid->setCurrentIndex(grid->model()->index(chapterRow, 2));
        const int totalBefore = child<QLCDNumber>(&browser, u"questionTotal"_s)->intValue();
        const int c3Before = grid->model()->index(chapterRow, 3).data().toInt();

        const QString body = u"他说：\"别忘了'安全'\" C:\\temp\\a.txt <b>&amp;</b> 1 < 2 > 0"_s;
        const auto first = pointNames(u"010101001"_s);
        const auto second = pointNames(u"010101002"_s);
        whenModal<QuestionEntryWindow>([&](QuestionEntryWindow *entry) {
            QCOMPARE(child<QLabel>(entry, u"captionLabel"_s)->text(), u"试题录入 [第一节]"_s);
            type(editor(entry, u"bodyEditor"_s), body);
            auto *answer = child<QLineEdit>(entry, u"answerEdit"_s);
            type(answer, u"c"_s);
            child<QSpinBox>(entry, u"optionCountBox"_s)->setValue(4);
            whenModal<PointPicker>([this](PointPicker *picker) {
                pickPoints(picker, u"安全生产法"_s, {0, 1});
            });
            button(entry, u"addPointsButton"_s)->click();
            const QStringList expected{first.first + u'[' + first.second + u']',
                                       second.first + u'[' + second.second + u']'};
            QCOMPARE(itemTexts(child<QListWidget>(entry, u"pointList"_s)), expected);
            QCOMPARE(itemTexts(child<QListWidget>(entry, u"pointCodeList"_s)),
                     (QStringList{u"010101001"_s, u"010101002"_s}));
            // The Delete key takes a point off both lists.
            auto *points = child<QListWidget>(entry, u"pointList"_s);
            points->setFocus();
            points->setCurrentRow(1);
            QTest::keyClick(points, Qt::Key_Delete);
            QCOMPARE(itemTexts(points), QStringList{expected.first()});
            QCOMPARE(itemTexts(child<QListWidget>(entry, u"pointCodeList"_s)),
                     QStringList{u"010101001"_s});
            button(entry, u"saveButton"_s)->click();
            QCOMPARE(entry->savedCount(), 1);
            QVERIFY(editor(entry, u"bodyEditor"_s)->toPlainText().isEmpty());
            QCOMPARE(points->count(), 0);

            // A second question, subjective, without points.
            auto *kinds = child<QComboBox>(entry, u"kindBox"_s);
            kinds->setCurrentIndex(kinds->findText(u"简答"_s));
            type(editor(entry, u"bodyEditor"_s), u"简述安全检查的方式。"_s);
            type(editor(entry, u"explanationEditor"_s), u"要点：日常、定期、专项。"_s);
            button(entry, u"saveButton"_s)->click();
            QCOMPARE(entry->savedCount(), 2);
            button(entry, u"closeButton"_s)->click();
        });
        button(&browser, u"entryButton"_s)->click();
        QVERIFY(!QTest::currentTestFailed());

        QCOMPARE(prompts->messages(), QStringList());
        QCOMPARE(userIds(), (QStringList{u"US0101011140001"_s, u"US0101017210002"_s}));
        const QSqlRecord row = answerRow(u"US0101011140001"_s);
        QCOMPARE(row.value(u"A2"_s).toString(), u"C"_s);
        QCOMPARE(row.value(u"K3"_s).toString(), u"010101001"_s);
        QCOMPARE(row.value(u"F1"_s).toInt(), 2);
        QCOMPARE(answerRow(u"US0101017210002"_s).value(u"A2"_s).toString(), u"1"_s);
        QCOMPARE(testsupport::counterMismatches(db()), QStringList());
        // The browser is back on the chapter, the grid read again, the total raised by two.
        QCOMPARE(grid->currentIndex().siblingAtColumn(0).data().toString(), u"010101"_s);
        QCOMPARE(grid->model()->index(grid->currentIndex().row(), 3).data().toInt(), c3Before + 2);
        QCOMPARE(child<QLCDNumber>(&browser, u"questionTotal"_s)->intValue(), totalBefore + 2);

        // The question shows in practice as typed, marked as the candidate's own.
        auto underTest = practice(PracticeSets::practiceQuery(PracticeSets::Set::New, u"010101"_s));
        QVERIFY(underTest);
        QVERIFY(showQuestion(underTest.get(), u"US0101011140001"_s));
        QCOMPARE(child<QTextBrowser>(underTest.get(), u"upperPane"_s)->toPlainText(), body);
        QCOMPARE(child<QLabel>(underTest.get(), u"statusLabel"_s)->text(),
                 u"本题是您加入的题目！"_s);
        QVERIFY(showQuestion(underTest.get(), u"US0101017210002"_s));
        QCOMPARE(underTest->core()->currentPage(), 4);
        underTest->close();
    }

    void entryFailuresKeepTheFormAndAreReported()
    {
        // A save that fails on its last step stores nothing and keeps the form.
        exec(
            u"create trigger fail before update on tab_kmmc begin select raise(abort,'disk'); end"_s);
        {
            QuestionEntryWindow entry;
            entry.setChapterCode(u"010101"_s);
            entry.show();
            QVERIFY(QTest::qWaitForWindowExposed(&entry));
            type(editor(&entry, u"bodyEditor"_s), u"会失败的题目"_s);
            type(child<QLineEdit>(&entry, u"answerEdit"_s), u"a"_s);
            button(&entry, u"saveButton"_s)->click();
            QCOMPARE(prompts->messages(), QStringList{u"保存试题出现错误！"_s});
            QCOMPARE(prompts->calls().constLast().caption, u"提示"_s);
            QCOMPARE(editor(&entry, u"bodyEditor"_s)->toPlainText(), u"会失败的题目"_s);
            QCOMPARE(child<QLineEdit>(&entry, u"answerEdit"_s)->text(), u"A"_s);
            QCOMPARE(entry.savedCount(), 0);
            QCOMPARE(userIds(), QStringList());
            QCOMPARE(value(u"select count(*) from tab_exer where A1 like 'U%'"_s).toInt(), 0);
            // Once the trouble is gone the same form saves.
            exec(u"drop trigger fail"_s);
            button(&entry, u"saveButton"_s)->click();
            QCOMPARE(entry.savedCount(), 1);
            QCOMPARE(userIds(), QStringList{u"US0101011150001"_s});
        }

        // The browser: a subject cannot take questions; an entry window that cannot open is
        // reported after the grid is back on the chapter.
        ChapterBrowser browser;
        browser.show();
        QVERIFY(QTest::qWaitForWindowExposed(&browser));
        auto *grid = child<QTableView>(&browser, u"chapterGrid"_s);
        auto selectChapter = [grid](const QString &code) {
            for (int r = 0; r < grid->model()->rowCount(); ++r) {
                if (grid->model()->index(r, 0).data().toString() == code)
                    grid->setCurrentIndex(grid->model()->index(r, 2));
            }
        };
        prompts.reset();
        prompts = std::make_unique<testsupport::PromptCatcher>();
        selectChapter(u"01"_s);
        button(&browser, u"entryButton"_s)->click();
        QCOMPARE(prompts->messages(), QStringList{u"请选择具体章节目录！"_s});
        exec(u"alter table tab_tx1 rename to tab_tx1_gone"_s);
        selectChapter(u"010102"_s);
        const int total = child<QLCDNumber>(&browser, u"questionTotal"_s)->intValue();
        button(&browser, u"entryButton"_s)->click();
        QCOMPARE(prompts->calls().constLast().message, u"录入试题后出现异常!"_s);
        QCOMPARE(prompts->calls().constLast().caption, u"提示"_s);
        QCOMPARE(prompts->calls().constLast().icon, int(QMessageBox::Warning));
        QCOMPARE(grid->currentIndex().siblingAtColumn(0).data().toString(), u"010102"_s);
        QCOMPARE(child<QLCDNumber>(&browser, u"questionTotal"_s)->intValue(), total);
    }

    void pickerLimit_data()
    {
        QTest::addColumn<int>("linked");
        QTest::addColumn<int>("ticked");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::newRow("nothing ticked") << 0 << 0 << u"请选择对应考点，退出请按关闭按钮！"_s;
        QTest::newRow("5 + 2") << 5 << 2 << QString();
        QTest::newRow("6 + 1") << 6 << 1 << QString();
        QTest::newRow("6 + 2") << 6 << 2 << kFullMessage.arg(6);
        QTest::newRow("7 + 1") << 7 << 1 << kFullMessage.arg(7);
        QTest::newRow("8 + 1") << 8 << 1 << kFullMessage.arg(8);
        QTest::newRow("9 + 1") << 9 << 1 << kFullMessage.arg(9);
    }

    void pickerLimit()
    {
        QFETCH(int, linked);
        QFETCH(int, ticked);
        QFETCH(QString, message);
        PointPicker picker;
        picker.setLinkedCount(linked);
        picker.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picker));
        auto *groups = child<QComboBox>(&picker, u"groupBox"_s);
        groups->setCurrentIndex(groups->findText(u"安全生产法"_s));
        auto *list = child<QListWidget>(&picker, u"pointChecklist"_s);
        QCOMPARE(list->count(), 2);
        for (int i = 0; i < ticked; ++i)
            list->item(i)->setCheckState(Qt::Checked);
        button(&picker, u"okButton"_s)->click();
        if (message.isEmpty()) {
            QCOMPARE(prompts->messages(), QStringList());
            QCOMPARE(picker.result(), int(QDialog::Accepted));
            QVERIFY(!picker.isVisible());
            QCOMPARE(picker.pickedPoints().size(), ticked);
        } else {
            QCOMPARE(prompts->messages(), QStringList{message});
            QCOMPARE(prompts->calls().constLast().caption, u"提示"_s);
            QVERIFY(picker.isVisible());
            button(&picker, u"closeButton"_s)->click();
            QCOMPARE(picker.result(), int(QDialog::Rejected));
        }
    }

    void pickerPreTicksTheVisibleListOnly()
    {
        // A point of the first group that the question links already.
        exec(u"insert into tab_rule (id,ftid,sn,q) values ('01','010000001','总则',0)"_s);
        exec(u"insert into tab_fgmc (id,n) values ('0101','不列出'),('0','不列出')"_s);
        PointPicker picker;
        picker.setLinkedCodes({u"010000001"_s, u"010101001"_s});
        picker.setLinkedCount(2);
        picker.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picker));
        QCOMPARE(picker.windowTitle(), u"欢迎"_s);
        QCOMPARE(picker.size(), QSize(528, 400));
        QCOMPARE(child<QStackedWidget>(&picker, u"pages"_s)->currentIndex(), 0);
        auto *groups = child<QComboBox>(&picker, u"groupBox"_s);
        QStringList names;
        for (int i = 0; i < groups->count(); ++i)
            names.append(groups->itemText(i));
        QCOMPARE(names,
                 (QStringList{u"法律"_s, u"安全生产法"_s, u"劳动法"_s, u"管理"_s, u"安全管理"_s}));
        auto *visible = child<QListWidget>(&picker, u"pointChecklist"_s);
        auto *hidden = child<QListWidget>(&picker, u"codeChecklist"_s);
        QVERIFY(hidden->isHidden());
        // The group shown first is not pre-ticked.
        QCOMPARE(itemTexts(visible), QStringList{u"总则"_s});
        QCOMPARE(visible->item(0)->checkState(), Qt::Unchecked);
        QCOMPARE(visible->currentRow(), 0);

        groups->setCurrentIndex(1);
        QCOMPARE(itemTexts(hidden), (QStringList{u"010101001"_s, u"010101002"_s}));
        QCOMPARE(visible->item(0)->checkState(), Qt::Checked);
        QCOMPARE(hidden->item(0)->checkState(), Qt::Unchecked);
        QCOMPARE(visible->item(1)->checkState(), Qt::Unchecked);
        groups->setCurrentIndex(0);
        QCOMPARE(visible->item(0)->checkState(), Qt::Checked); // chosen again: now ticked
        groups->setCurrentIndex(1);

        // The user's own tick reaches the hidden list; the pre-ticked point counts towards the
        // limit but is not returned.
        visible->item(1)->setCheckState(Qt::Checked);
        QCOMPARE(hidden->item(1)->checkState(), Qt::Checked);
        button(&picker, u"okButton"_s)->click();
        QCOMPARE(picker.result(), int(QDialog::Accepted));
        QCOMPARE(picker.pickedPoints().size(), 1);
        QCOMPARE(picker.pickedPoints().first().code, u"010101002"_s);
        QCOMPARE(picker.pickedPoints().first().title, u"从业人员的权利"_s);
        QCOMPARE(picker.groupName(), u"安全生产法"_s);

        PointPicker limited;
        limited.setLinkedCodes({u"010101001"_s});
        limited.setLinkedCount(6);
        limited.show();
        QVERIFY(QTest::qWaitForWindowExposed(&limited));
        child<QComboBox>(&limited, u"groupBox"_s)->setCurrentIndex(1);
        child<QListWidget>(&limited, u"pointChecklist"_s)->item(1)->setCheckState(Qt::Checked);
        button(&limited, u"okButton"_s)->click();
        QCOMPARE(prompts->messages(), QStringList{kFullMessage.arg(6)});
        QVERIFY(limited.isVisible());
        testsupport::saveShot(&limited, u"picker"_s);
        limited.close();
    }

    void usagePage()
    {
        PointPicker picker;
        picker.setPage(PointPicker::UsagePage);
        picker.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picker));
        QCOMPARE(child<QStackedWidget>(&picker, u"pages"_s)->currentIndex(), 1);
        const QStringList lines =
            child<QPlainTextEdit>(&picker, u"usageText"_s)->toPlainText().split(u'\n');
        QCOMPARE(lines.size(), 21);
        QCOMPARE(lines.first(), u"使用方法如下："_s);
        QCOMPARE(lines.at(7), u"   7月有几天？"_s);
        QCOMPARE(lines.at(19), u"动填写1；"_s);
        testsupport::saveShot(&picker, u"picker_usage"_s);
        button(&picker, u"usageCloseButton"_s)->click();
        QCOMPARE(picker.result(), int(QDialog::Rejected));
    }

    void editFromPracticeRewritesAndShowsTheQuestionAfresh()
    {
        const QString id = u"010101000004"_s;
        exec(u"update tab_answ set K3='010101001',K4='',K5='010102001' where A1=?"_s, {id});
        exec(u"update tab_rule set q=77 where ftid='010102001'"_s);
        auto underTest = practice(PracticeSets::practiceQuery(PracticeSets::Set::New, u"010101"_s));
        QVERIFY(underTest);
        QVERIFY(showQuestion(underTest.get(), id));
        QTimer *gauge = child<QTimer>(underTest.get(), u"answerTimer"_s);
        QVERIFY(gauge->isActive());
        QCOMPARE(child<QLabel>(underTest.get(), u"editedLabel"_s)->text(), QString());

        const auto p1 = pointNames(u"010101001"_s);
        const auto p2 = pointNames(u"010102001"_s);
        whenModal<QuestionEditWindow>([&](QuestionEditWindow *edit) {
            QVERIFY(!gauge->isActive());
            QCOMPARE(edit->windowTitle(), u"试题修改"_s);
            QVERIFY(child<QWidget>(edit, u"stemEditorPanel"_s)->isHidden());
            QVERIFY(editor(edit, u"bodyEditor"_s)->toPlainText().contains(id));
            QCOMPARE(editor(edit, u"explanationEditor"_s)->toPlainText(), u"解析文字。"_s);
            auto *kinds = child<QComboBox>(edit, u"kindBox"_s);
            auto *answer = child<QLineEdit>(edit, u"answerEdit"_s);
            QCOMPARE(kinds->currentText(), u"多选"_s);
            QCOMPARE(child<QSpinBox>(edit, u"optionCountBox"_s)->value(), 5);
            QCOMPARE(answer->text(), u"ACD"_s);
            // K3 and K5 with K4 empty: two points, group name and title run together.
            auto *points = child<QListWidget>(edit, u"pointList"_s);
            QCOMPARE(itemTexts(points), (QStringList{p1.first + p1.second, p2.first + p2.second}));
            // A kind change keeps the answer here.
            kinds->setFocus();
            QTest::keyClick(kinds, Qt::Key_Home);
            QCOMPARE(kinds->currentText(), u"单选"_s);
            QCOMPARE(answer->text(), u"ACD"_s);
            // "ACD" is no single-choice key: refused, the window stays with its changes.
            button(edit, u"saveButton"_s)->click();
            QCOMPARE(prompts->messages().constLast(), u"单选题的答案只能是A～E中的一个字母！"_s);
            QVERIFY(edit->isVisible());
            QCOMPARE(answer->text(), u"ACD"_s);
            answer->clear();
            type(answer, u"b"_s);
            child<QSpinBox>(edit, u"optionCountBox"_s)->setValue(4);
            points->setFocus();
            points->setCurrentRow(1);
            QTest::keyClick(points, Qt::Key_Delete);

            // Chinese rich text: a bold, red, larger heading typed before the body.
            QTextEdit *body = editor(edit, u"bodyEditor"_s);
            body->setFocus();
            body->moveCursor(QTextCursor::Start);
            type(body, u"修改后的题目"_s);
            QTextCursor c = body->textCursor();
            c.movePosition(QTextCursor::Start, QTextCursor::KeepAnchor);
            body->setTextCursor(c);
            child<QToolButton>(edit, u"bodyEditorBold"_s)->click();
            auto *size = child<QComboBox>(edit, u"bodyEditorSize"_s);
            size->setFocus();
            while (size->currentText() != u"20"_s && size->currentIndex() < size->count() - 1)
                QTest::keyClick(size, Qt::Key_Down);
            child<QToolButton>(edit, u"bodyEditorColour"_s)->menu()->actions().at(1)->trigger();
            testsupport::saveShot(edit, u"edit"_s);
            button(edit, u"saveButton"_s)->click();
        });
        button(underTest.get(), u"editButton"_s)->click();
        QVERIFY(!QTest::currentTestFailed());

        const QSqlRecord row = answerRow(id);
        QCOMPARE(row.value(u"A2"_s).toString(), u"B"_s);
        QCOMPARE(row.value(u"A2_1"_s).toInt(), 4);
        QCOMPARE(row.value(u"A13"_s).toInt(), 11);
        QCOMPARE(row.value(u"K3"_s).toString(), u"010101001"_s);
        QCOMPARE(row.value(u"K4"_s).toString(), QString());
        QCOMPARE(row.value(u"K5"_s).toString(), QString());
        QCOMPARE(row.value(u"ecount"_s).toInt(), 1);
        QCOMPARE(value(u"select q from tab_rule where ftid='010102001'"_s).toInt(), 77);
        QCOMPARE(value(u"select q from tab_rule where ftid='010101001'"_s).toInt(),
                 value(u"select count(*) from tab_answ where '010101001' in "
                       u"(K3,K4,K5,K6,K7,K8,K9,K10,K11,K12)"_s)
                     .toInt());

        // Shown afresh: marked as edited, on the single-choice page, the text formatted as typed,
        // the gauge started over.
        QCOMPARE(child<QLabel>(underTest.get(), u"editedLabel"_s)->text(), u"本题被您修改过"_s);
        QCOMPARE(underTest->core()->currentPage(), 0);
        QVERIFY(gauge->isActive());
        QCOMPARE(underTest->core()->gauge()->value(), 0);
        const QTextDocument *shown =
            child<QTextBrowser>(underTest.get(), u"upperPane"_s)->document();
        QVERIFY(shown->toPlainText().startsWith(u"修改后的题目"_s));
        const QTextCharFormat heading = formatOf(shown, u"修改后的题目"_s);
        QVERIFY(heading.fontWeight() >= QFont::Bold);
        QCOMPARE(heading.fontPointSize(), 20.0);
        QCOMPARE(heading.foreground().color(), QColor(0xC0, 0x00, 0x00));
        QVERIFY(formatOf(shown, id).fontWeight() < QFont::Bold);
        QCoreApplication::processEvents(); // the labels take their new widths first
        testsupport::saveShot(underTest.get(), u"practice_after_edit"_s);

        // Cancelling changes nothing and lets the gauge run on; a second save counts again.
        whenModal<QuestionEditWindow>([](QuestionEditWindow *edit) {
            editor(edit, u"explanationEditor"_s)->setPlainText(u"不保存"_s);
            button(edit, u"cancelButton"_s)->click();
        });
        button(underTest.get(), u"editButton"_s)->click();
        QVERIFY(gauge->isActive());
        QCOMPARE(answerRow(id).value(u"ecount"_s).toInt(), 1);
        whenModal<QuestionEditWindow>(
            [](QuestionEditWindow *edit) { button(edit, u"saveButton"_s)->click(); });
        button(underTest.get(), u"editButton"_s)->click();
        QCOMPARE(answerRow(id).value(u"ecount"_s).toInt(), 2);
        // The only message was the refused single-choice key.
        QCOMPARE(prompts->messages(), QStringList{u"单选题的答案只能是A～E中的一个字母！"_s});
        underTest->close();
    }

    void editLocksSubjectiveKindsAndLimitsPoints()
    {
        // Ten points, six of them unknown to the catalogue.
        const QString id = u"010101000006"_s;
        exec(u"update tab_answ set K3='010101001',K4='010101002',K5='010102001',K6='020101001',"
             u"K7='990000001',K8='990000002',K9='990000003',K10='990000004',K11='990000005',"
             u"K12='990000006' where A1=?"_s,
             {id});
        QuestionEditWindow edit;
        QVERIFY(edit.loadQuestion(id));
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        QCOMPARE(child<QComboBox>(&edit, u"kindBox"_s)->currentText(), u"简答"_s);
        QVERIFY(!child<QSpinBox>(&edit, u"optionCountBox"_s)->isEnabled());
        QVERIFY(!child<QLineEdit>(&edit, u"answerEdit"_s)->isEnabled());
        QCOMPARE(child<QLineEdit>(&edit, u"answerEdit"_s)->text(), u"1"_s);
        auto *points = child<QListWidget>(&edit, u"pointList"_s);
        QCOMPARE(points->count(), 10);
        QCOMPARE(points->item(9)->text(), u"990000006"_s);

        // Full: the message, no picker.
        button(&edit, u"addPointsButton"_s)->click();
        QCOMPARE(prompts->messages(),
                 QStringList{
                     u"试题对应知识点最多为10条！\n如果要去掉知识点，请选中要\n去掉的知识点，再按"
                     u"键盘上的\n[Delete]键！"_s});
        // Nine: the picker opens but refuses any pick.
        points->setCurrentRow(9);
        QTest::keyClick(points, Qt::Key_Delete);
        whenModal<PointPicker>([](PointPicker *picker) {
            auto *groups = child<QComboBox>(picker, u"groupBox"_s);
            groups->setCurrentIndex(groups->findText(u"管理"_s));
            groups->setCurrentIndex(groups->findText(u"安全管理"_s));
            child<QListWidget>(picker, u"pointChecklist"_s)->item(0)->setCheckState(Qt::Checked);
            button(picker, u"okButton"_s)->click();
            QVERIFY(picker->isVisible());
            button(picker, u"closeButton"_s)->click();
        });
        button(&edit, u"addPointsButton"_s)->click();
        QCOMPARE(prompts->messages().constLast(), kFullMessage.arg(9));
        QCOMPARE(points->count(), 9);
        edit.close();

        // A compound question shows its stem.
        QuestionEditWindow compound;
        QVERIFY(compound.loadQuestion(u"0401010000000001-1"_s));
        compound.show();
        QVERIFY(QTest::qWaitForWindowExposed(&compound));
        QVERIFY(child<QWidget>(&compound, u"stemEditorPanel"_s)->isVisible());
        QVERIFY(editor(&compound, u"stemEditor"_s)->toPlainText().contains(u"案例材料"_s));
        QVERIFY(!compound.loadQuestion(u"nosuchquestion"_s));
    }

    void closingAsksBeforeTypedTextIsLost_data()
    {
        QTest::addColumn<int>(
            "how"); // 0 Escape, 1 the close or cancel button, 2 the window's close
        QTest::addColumn<QString>("change");
        const QStringList changes{u"body"_s, u"explanation"_s, u"answer"_s, u"point"_s, u"kind"_s};
        const QStringList ways{u"Escape"_s, u"button"_s, u"window"_s};
        for (int how = 0; how < 3; ++how) {
            for (const QString &change : changes)
                QTest::addRow("%s, %s", qPrintable(ways[how]), qPrintable(change)) << how << change;
        }
    }
    void closingAsksBeforeTypedTextIsLost()
    {
        QFETCH(int, how);
        QFETCH(QString, change);
        const QString entryQuestion = u"这道题还未保存，要放弃已填写的内容吗？"_s;
        const QString editQuestion = u"修改还未保存，要放弃所做的修改吗？"_s;
        const auto closeBy = [how](QDialog *w, const QString &closeButton) {
            if (how == 0)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            else if (how == 1)
                button(w, closeButton)->click();
            else
                w->close();
        };
        const auto makeChange = [&change](QDialog *w) {
            if (change == u"body"_s)
                type(editor(w, u"bodyEditor"_s), u"题"_s);
            else if (change == u"explanation"_s)
                type(editor(w, u"explanationEditor"_s), u"x"_s);
            else if (change == u"answer"_s)
                type(child<QLineEdit>(w, u"answerEdit"_s), u"b"_s);
            else if (change == u"point"_s)
                child<PointList>(w, u"pointList"_s)->addPoint(u"020101001"_s, u"安全检查"_s);
            else
                child<QComboBox>(w, u"kindBox"_s)->setCurrentIndex(1);
        };
        struct Window
        {
            std::unique_ptr<QDialog> dialog;
            QString closeButton;
            QString question;
        };
        auto entry = std::make_unique<QuestionEntryWindow>();
        entry->setChapterCode(u"010101"_s);
        auto edit = std::make_unique<QuestionEditWindow>();
        QVERIFY(edit->loadQuestion(u"010101000001"_s));
        Window windows[] = {{std::move(entry), u"closeButton"_s, entryQuestion},
                            {std::move(edit), u"cancelButton"_s, editQuestion}};
        for (Window &window : windows) {
            QDialog *w = window.dialog.get();
            // Untouched: it closes without a question.
            w->show();
            QVERIFY(QTest::qWaitForWindowActive(w));
            closeBy(w, window.closeButton);
            QVERIFY(!w->isVisible());
            QCOMPARE(prompts->messages(), QStringList());

            w->show();
            QVERIFY(QTest::qWaitForWindowActive(w));
            makeChange(w);
            prompts->queue(QMessageBox::Cancel);
            closeBy(w, window.closeButton);
            QVERIFY(w->isVisible());
            QCOMPARE(prompts->messages(), QStringList{window.question});
            QCOMPARE(prompts->calls().constLast().icon, int(QMessageBox::Question));
            // Answered with 确定 the window goes.
            prompts->queue(QMessageBox::Ok);
            closeBy(w, window.closeButton);
            QVERIFY(!w->isVisible());
            QCOMPARE(prompts->messages().size(), 2);
            prompts.reset(); // the old catcher's end would clear a new one's hook
            prompts = std::make_unique<testsupport::PromptCatcher>();
        }
    }

    void savingTellsTheNewNumberAndLeavesNothingToLose()
    {
        QuestionEntryWindow entry;
        entry.setChapterCode(u"010101"_s);
        entry.show();
        QVERIFY(QTest::qWaitForWindowActive(&entry));
        auto *status = child<QLabel>(&entry, u"statusLabel"_s);
        QCOMPARE(status->text(), QString());
        for (const QString &expected : {u"US0101011150001"_s, u"US0101011150002"_s}) {
            type(editor(&entry, u"bodyEditor"_s), u"题目"_s);
            type(child<QLineEdit>(&entry, u"answerEdit"_s), u"a"_s);
            button(&entry, u"saveButton"_s)->click();
            QCOMPARE(status->text(), u"已保存（编号 %1）"_s.arg(expected));
            QVERIFY(status->isVisible());
        }
        QCOMPARE(userIds(), (QStringList{u"US0101011150001"_s, u"US0101011150002"_s}));
        testsupport::saveShot(&entry, u"entry_saved"_s);
        // Saved and cleared: nothing is lost, so Escape closes at once.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!entry.isVisible());
        QCOMPARE(prompts->messages(), QStringList());
    }

    void pastedFormattingIsKept()
    {
        QuestionEntryWindow entry;
        entry.setChapterCode(u"010101"_s);
        entry.show();
        QVERIFY(QTest::qWaitForWindowExposed(&entry));
        // What a word processor puts on the clipboard: HTML beside the plain text.
        auto *mime = new QMimeData;
        mime->setHtml(u"<html><body><p><b>粗体字</b>普通字<span style=\"color:#0040c0; "
                      u"font-size:18pt; font-style:italic\">蓝色斜体</span></p></body></html>"_s);
        mime->setText(u"粗体字普通字蓝色斜体"_s);
        QGuiApplication::clipboard()->setMimeData(mime);
        QTextEdit *body = editor(&entry, u"bodyEditor"_s);
        body->setFocus();
        body->paste();
        QCOMPARE(body->toPlainText(), u"粗体字普通字蓝色斜体"_s);
        // A format chosen without a selection applies to what is typed next only.
        body->moveCursor(QTextCursor::End);
        child<QToolButton>(&entry, u"bodyEditorUnderline"_s)->click();
        type(body, u"新"_s);
        QVERIFY(!formatOf(body->document(), u"蓝色斜体"_s).fontUnderline());
        QTextCursor last(body->document());
        last.movePosition(QTextCursor::End);
        QVERIFY(last.charFormat().fontUnderline());
        type(child<QLineEdit>(&entry, u"answerEdit"_s), u"a"_s);
        testsupport::saveShot(&entry, u"entry"_s);
        button(&entry, u"saveButton"_s)->click();
        QCOMPARE(entry.savedCount(), 1);

        QTextDocument stored;
        stored.setHtml(QString::fromUtf8(
            value(u"select A15 from tab_exer where A1='US0101011150001'"_s).toByteArray()));
        QVERIFY(formatOf(&stored, u"粗体字"_s).fontWeight() >= QFont::Bold);
        QVERIFY(formatOf(&stored, u"普通字"_s).fontWeight() < QFont::Bold);
        const QTextCharFormat blue = formatOf(&stored, u"蓝色斜体"_s);
        QVERIFY(blue.fontItalic());
        QCOMPARE(blue.fontPointSize(), 18.0);
        QCOMPARE(blue.foreground().color(), QColor(0x00, 0x40, 0xC0));
        QGuiApplication::clipboard()->clear();
    }
};

STUDYAID_QTEST_MAIN(AuthoringWindowsTest)
#include "test_authoring_windows.moc"
