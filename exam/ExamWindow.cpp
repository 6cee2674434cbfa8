#include "exam/ExamWindow.h"

#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "exampoints/RelatedPointsWindow.h"
#include "export/WordExport.h"
#include "practice/ExplanationWindow.h"
#include "practice/NotesWindow.h"
#include "practice/QuestionCore.h"
#include "ui/Fonts.h"
#include "ui/MessageBox.h"
#include "ui/ProgressWindow.h"
#include "ui/PromptDialog.h"
#include "ui/PromptGate.h"
#include "ui/WindowLinks.h"
#include "ui/WindowParts.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSqlQuery>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

// The exam's own labels and the pause panel, over the shared window look.
const char kExamStyle[] =
    "QLabel#kindHeaderLabel { color: #21507E; font-weight: bold; }"
    "QLabel#clockLabel, QLabel#scoreLabel, QLabel#timeLeftLabel { color: #21507E;"
    " font-weight: bold; }"
    "QLabel#timeNoticeLabel, QLabel#keepNoticeLabel { color: #B3261E; font-weight: bold; }"
    "QFrame#pausePanel { background: #21507E; border: 1px solid #14334F; }"
    "QLabel#pauseTextLabel { color: white; }";

// Shown while the exam is paused, scrolling over the covered question.
const char16_t kPauseText[] = u"考试已暂停\n\n"
                              u"休息片刻，放松一下眼睛。\n"
                              u"按“继续考试”回到试卷，计时从暂停处接着走。\n\n"
                              u"模拟考试的试题从题库中随机抽取，\n"
                              u"每次都是一份新的试卷。\n"
                              u"交卷后可以查看每道题的答案和解析，\n"
                              u"判过的试卷保留在“查阅试卷”中，随时复习。";

using WindowParts::BusyCursor;

std::function<void()> &examEnd()
{
    static std::function<void()> end;
    return end;
}

} // namespace

namespace ExamEnd {
void set(std::function<void()> end)
{
    examEnd() = std::move(end);
}
void reset()
{
    examEnd() = nullptr;
}
} // namespace ExamEnd

void stopForPaper(Paper::Failure failure)
{
    progressWindow()->finish();
    showPrompt(u"错误"_s, Paper::failureMessage(failure), 1, 2, u"NO"_s);
    if (examEnd()) {
        examEnd()();
        return;
    }
    std::exit(EXIT_FAILURE);
}

ExamWindow::ExamWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"ExamWindow"_s);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    setStyleSheet(WindowParts::windowStyle() + QString::fromLatin1(kExamStyle));
    setFont(Fonts::song(14));

    QuestionCoreOptions options;
    options.voidCaption = u"本题作废"_s;
    options.showEditedLabel = false;
    options.captionFollowsKind = false;
    options.slotCount = kSlotCount;
    options.slotRows = 17;
    options.slotSize = QSize(34, 24);
    options.compactSlotSize = QSize(30, 20);
    options.showOccurrence = false;
    options.runGauge = false;
    options.paper = true;
    m_core = new QuestionCore(this, options);
    // The seven slot pictures; without them the window cannot run a paper.
    if (!m_core->loadStatePictures())
        endForMissingResource();
    m_core->gauge()->hide();
    m_core->kindPanel()->hide();
    m_core->groupLabels()->hide();
    m_background = WindowParts::backgroundPicture(u"pic/bg_window.bmp"_s);

    m_titleLabel = new QLabel(this);
    m_titleLabel->setObjectName(u"titleLabel"_s);
    m_titleLabel->setStyleSheet(u"color: white; font-weight: bold;"_s);
    m_kindHeaderLabel = new QLabel(this);
    m_kindHeaderLabel->setObjectName(u"kindHeaderLabel"_s);
    m_clockLabel = new QLabel(this);
    m_clockLabel->setObjectName(u"clockLabel"_s);
    m_clockLabel->setAccessibleName(u"时钟"_s);
    m_clockLabel->setAlignment(Qt::AlignCenter);
    m_scoreLabel = new QLabel(this);
    m_scoreLabel->setObjectName(u"scoreLabel"_s);
    m_scoreLabel->setAlignment(Qt::AlignCenter);
    m_timeLeftLabel = new QLabel(this);
    m_timeLeftLabel->setObjectName(u"timeLeftLabel"_s);
    m_timeLeftLabel->setAccessibleName(u"剩余时间"_s);
    m_timeLeftLabel->setAlignment(Qt::AlignCenter);
    // The notices never take the focus or stop the clock: they are text on the hint board.
    m_timeNoticeLabel = new QLabel(this);
    m_timeNoticeLabel->setObjectName(u"timeNoticeLabel"_s);
    m_timeNoticeLabel->setAlignment(Qt::AlignCenter);
    m_timeNoticeLabel->setWordWrap(true);
    m_timeNoticeLabel->hide();
    m_keepNoticeLabel = new QLabel(this);
    m_keepNoticeLabel->setObjectName(u"keepNoticeLabel"_s);
    m_keepNoticeLabel->setAlignment(Qt::AlignCenter);
    m_keepNoticeLabel->setWordWrap(true);
    m_keepNoticeLabel->hide();
    m_clock = new RunClock(m_clockLabel, this);
    connect(m_clock, &RunClock::ticked, this, &ExamWindow::clockTicked);

    m_previousButton = makeButton(u"previousButton"_s, u"上一题"_s);
    m_nextButton = makeButton(u"nextButton"_s, u"下一题"_s);
    m_submitButton = makeButton(u"submitButton"_s, u"交卷"_s);
    m_answerButton = makeButton(u"answerButton"_s, u"答案"_s);
    m_explanationButton = makeButton(u"explanationButton"_s, u"解析"_s);
    m_notesButton = makeButton(u"notesButton"_s, u"笔记"_s);
    m_pointsButton = makeButton(u"pointsButton"_s, u"考点"_s);
    m_voidButton = makeButton(u"voidButton"_s, u"本题作废"_s);
    m_exportButton = makeButton(u"exportButton"_s, u"生成文档"_s);
    m_closeButton = makeButton(u"closeButton"_s, u"关闭"_s);
    m_settingsButton = makeButton(u"settingsButton"_s, u"设置"_s);
    m_desktopButton = makeButton(u"desktopButton"_s, u"桌面"_s);
    m_pauseButton = makeButton(u"pauseButton"_s, u"暂停考试"_s);
    m_wrongOnlyCheck = new QCheckBox(u"只看错题"_s, this);
    m_wrongOnlyCheck->setObjectName(u"wrongOnlyCheck"_s);
    m_wrongOnlyCheck->setAccessibleName(u"只看错题"_s);
    m_wrongOnlyCheck->setToolTip(u"只显示做错和未答的题"_s);
    m_wrongOnlyCheck->hide();

    QuestionCoreButtons buttons;
    buttons.previous = m_previousButton;
    buttons.next = m_nextButton;
    buttons.explanation = m_explanationButton;
    buttons.points = m_pointsButton;
    buttons.answer = m_answerButton;
    buttons.notes = m_notesButton;
    buttons.voidButton = m_voidButton;
    m_core->setButtons(buttons);
    connect(m_core, &QuestionCore::questionShown, this, &ExamWindow::questionShown);

    connect(m_previousButton, &QPushButton::clicked, this, [this] { moveQuestion(-1); });
    connect(m_nextButton, &QPushButton::clicked, this, [this] { moveQuestion(1); });
    connect(m_wrongOnlyCheck, &QCheckBox::toggled, this, &ExamWindow::applyWrongOnly);
    connect(m_submitButton, &QPushButton::clicked, this, &ExamWindow::submitPaper);
    connect(m_answerButton, &QPushButton::clicked, m_core, &QuestionCore::toggleAnswerPanel);
    connect(m_voidButton, &QPushButton::clicked, m_core, &QuestionCore::toggleVoid);
    connect(m_explanationButton, &QPushButton::clicked, this, &ExamWindow::showExplanation);
    connect(m_notesButton, &QPushButton::clicked, this, &ExamWindow::editNotes);
    connect(m_pointsButton, &QPushButton::clicked, this, &ExamWindow::showRelatedPoints);
    connect(m_exportButton, &QPushButton::clicked, this, &ExamWindow::exportToDocument);
    connect(m_settingsButton, &QPushButton::clicked, this, &ExamWindow::openSoundSettings);
    connect(m_desktopButton, &QPushButton::clicked, this, &ExamWindow::showDesktop);
    connect(m_pauseButton, &QPushButton::clicked, this, &ExamWindow::togglePause);
    connect(m_closeButton, &QPushButton::clicked, this, [this] {
        if (answering())
            submitPaper();
        else
            closeReview();
    });

    // The pause panel covers the question area; its text scrolls upwards.
    m_pausePanel = new QFrame(m_core->body());
    m_pausePanel->setObjectName(u"pausePanel"_s);
    m_pausePanel->setAccessibleName(u"考试已暂停"_s);
    m_pauseTextLabel = new QLabel(QString::fromUtf16(kPauseText), m_pausePanel);
    m_pauseTextLabel->setObjectName(u"pauseTextLabel"_s);
    m_pauseTextLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_pausePanel->hide();
    m_pauseScrollTimer = new QTimer(this);
    m_pauseScrollTimer->setInterval(60);
    connect(m_pauseScrollTimer, &QTimer::timeout, this, &ExamWindow::scrollPauseText);

    applyLayout(App::displayMode == u"800"_s);
}

ExamWindow::~ExamWindow() = default;

bool ExamWindow::askToStart(int paperKind)
{
    Paper::Outline outline;
    try {
        outline = Paper::paperOutline(studyData->connection(), paperKind);
    } catch (const Db::DbError &e) {
        qWarning("studyaid: %s", e.what());
        return true;
    }
    if (outline.questions <= 0)
        return true;
    return showPrompt(u"模拟考试"_s, Paper::outlineText(outline), 0, 0, u"Start"_s) == 1;
}

QPushButton *ExamWindow::makeButton(const QString &name, const QString &caption)
{
    return WindowParts::makeButton(this, name, caption);
}

QString ExamWindow::kindHeaderText(const QString &kindName, double points, int count)
{
    return kindName + u' ' + u"每题"_s + Paper::scoreText(points) + u"分 "_s + u"共"_s +
           Paper::scoreText(points * count) + u"分"_s;
}

void ExamWindow::preparePaper(const QString &tableName, const QString &title, const QString &mode,
                              double score, const QString &timeUsed)
{
    m_table = tableName;
    m_title = title;
    m_mode = mode;
    m_score = score;
    m_timeUsed = timeUsed;
    m_core->setTable(tableName);
}

int ExamWindow::openPaper()
{
    progressWindow()->showText(answering() ? u"正在出卷..."_s : u"正在提取试卷..."_s);
    try {
        if (answering())
            Paper::clearAnswers(studyData->connection(), m_table);
        return m_core->openPaper(Paper::paperQuery(m_table)) > 0 ? 1 : 0;
    } catch (const Db::DbError &e) {
        qWarning("studyaid: %s", e.what());
        return 0;
    }
}

void ExamWindow::applyLayout(bool compact)
{
    const int margin = compact ? 6 : 10;
    const int spacing = compact ? 4 : 6;
    const int buttonHeight = compact ? 24 : 28;
    setFixedSize(compact ? QSize(790, 560) : QSize(990, 700));
    m_core->setCompact(compact);

    const QFont buttonFont = Fonts::sans(compact ? 13 : 14);
    for (QPushButton *b : findChildren<QPushButton *>(Qt::FindDirectChildrenOnly)) {
        b->setFont(buttonFont);
        b->setFixedHeight(buttonHeight);
        b->setMinimumWidth(compact ? 60 : 72);
    }
    m_titleLabel->setFont(Fonts::sans(compact ? 14 : 16, true));
    m_titleLabel->setFixedHeight(compact ? 24 : 30);
    m_kindHeaderLabel->setFont(Fonts::sans(compact ? 13 : 14, true));
    m_clockLabel->setFont(Fonts::sans(compact ? 16 : 20, true));
    m_timeLeftLabel->setFont(Fonts::sans(compact ? 13 : 14, true));
    m_timeNoticeLabel->setFont(Fonts::sans(compact ? 13 : 14, true));
    m_keepNoticeLabel->setFont(Fonts::sans(compact ? 12 : 13, true));
    m_wrongOnlyCheck->setFont(Fonts::sans(compact ? 13 : 14));
    m_scoreLabel->setFont(Fonts::sans(compact ? 14 : 16, true));
    m_pauseTextLabel->setFont(Fonts::sans(compact ? 15 : 18));
    m_core->statusLabel()->setFont(Fonts::sans(compact ? 13 : 14, true));

    auto board = [this, compact](const QString &caption, QLayout *content) {
        return WindowParts::makeBoard(this, caption, content, compact);
    };

    QHBoxLayout *columns = WindowParts::titledColumns(this, m_titleLabel, margin, spacing);

    auto *left = new QVBoxLayout;
    left->setSpacing(spacing);
    auto *labels = new QHBoxLayout;
    labels->addWidget(m_core->questionLabels());
    labels->addSpacing(compact ? 10 : 16);
    labels->addWidget(m_kindHeaderLabel);
    labels->addSpacing(compact ? 10 : 16);
    labels->addWidget(m_core->statusLabel(), 1);
    left->addLayout(labels);
    left->addWidget(m_core->body(), 1);

    auto *answers = new QHBoxLayout;
    answers->setSpacing(compact ? 6 : 10);
    answers->addWidget(m_previousButton);
    answers->addWidget(m_core->pages(), 1);
    answers->addWidget(m_nextButton);
    left->addWidget(board(QString(), answers));

    auto *commands = new QHBoxLayout;
    commands->setSpacing(spacing);
    commands->addStretch();
    for (QPushButton *b : {m_submitButton, m_answerButton, m_explanationButton, m_notesButton,
                           m_pointsButton, m_voidButton, m_exportButton, m_closeButton})
        commands->addWidget(b);
    left->addLayout(commands);
    columns->addLayout(left, 1);

    auto *right = new QVBoxLayout;
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(spacing);
    auto *hint = new QVBoxLayout;
    auto *hintButtons = new QHBoxLayout;
    hintButtons->addWidget(m_settingsButton);
    hintButtons->addWidget(m_desktopButton);
    hint->addLayout(hintButtons);
    hint->addWidget(m_pauseButton);
    hint->addWidget(m_clockLabel);
    hint->addWidget(m_timeLeftLabel);
    hint->addWidget(m_timeNoticeLabel);
    hint->addWidget(m_scoreLabel);
    hint->addWidget(m_keepNoticeLabel);
    hint->addWidget(m_wrongOnlyCheck, 0, Qt::AlignHCenter);
    QFrame *hintBoard = board(u"提示板"_s, hint);
    hintBoard->setObjectName(u"hintBoard"_s);
    right->addWidget(hintBoard);

    auto *slotPanel = new QHBoxLayout;
    slotPanel->addStretch();
    slotPanel->addWidget(m_core->numberPanel());
    slotPanel->addStretch();
    right->addWidget(board(u"题目指示板"_s, slotPanel));
    right->addStretch();
    static_cast<QGridLayout *>(m_core->numberPanel()->layout())
        ->setVerticalSpacing(compact ? 2 : 3);
    static_cast<QGridLayout *>(m_core->numberPanel()->layout())
        ->setHorizontalSpacing(compact ? 3 : 4);

    auto *rightBox = new QWidget(this);
    rightBox->setObjectName(u"rightColumn"_s);
    rightBox->setFixedWidth(compact ? 180 : 206);
    rightBox->setLayout(right);
    columns->addWidget(rightBox);
}

void ExamWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    WindowParts::centre(this);
    showPaper();
}

void ExamWindow::loadKinds()
{
    m_kinds.clear();
    try {
        // The kind table: A1 kind number, B1 name, B2 questions per paper, B3 points each.
        QSqlQuery q = Db::query(studyData->connection(),
                                u"select A1,B1,B2,B3 from "_s +
                                    Db::sqlIdentifier(App::kindTableName(App::paperKind())));
        while (q.next())
            m_kinds.insert(q.value(0).toInt(),
                           {q.value(1).toString(), q.value(3).toDouble(), q.value(2).toInt()});
    } catch (const Db::DbError &) {
        // Without the kind table the headers stay empty.
    }
}

void ExamWindow::showPaper()
{
    BusyCursor busy;
    const bool review = !answering();
    loadKinds();
    m_titleLabel->setText(m_title);
    setWindowTitle(review ? u"查阅试卷"_s : u"正在答卷"_s);
    m_core->setReview(review);
    m_submitButton->setEnabled(!review);
    m_exportButton->setEnabled(review);
    m_pauseButton->setVisible(!review);
    m_voidButton->setEnabled(review);
    for (QPushButton *b : {m_explanationButton, m_answerButton, m_pointsButton})
        b->setEnabled(false);
    m_timeLeftLabel->setVisible(!review);
    m_timeNoticeLabel->hide();
    m_wrongOnlyCheck->setVisible(review);
    m_wrongOnlyCheck->setChecked(false);
    m_keepNoticeLabel->setVisible(review && m_discardOnClose);
    m_keepNoticeLabel->setText(u"成绩低于保留分数，关闭后本试卷将被删除。"_s);
    if (review) {
        m_clock->stop();
        m_clockLabel->setText(u"用时："_s + m_timeUsed);
        m_scoreLabel->setText(u"得分："_s + Paper::scoreText(m_score) + u" 分"_s);
        m_scoreLabel->show();
    } else {
        m_scoreLabel->hide();
        m_warnedAt15 = m_warnedAt5 = false;
        try {
            showTimeLeft(0, Paper::readSettings(studyData->connection()).examTime);
        } catch (const std::exception &) {
            m_timeLeftLabel->clear();
        }
    }
    m_core->body()->closeAnswerPanel(false);
    m_answerButton->setText(u"答案"_s);
    m_core->startShowing();
    // The first question's buttons follow it again (the first showing resets 考点).
    m_core->showAnswerState(m_core->currentPage(), review);
    if (!review)
        m_clock->start();
}

void ExamWindow::questionShown()
{
    QuestionRow *row = m_core->currentRow();
    if (!row)
        return;
    const auto it = m_kinds.constFind(row->kind);
    m_kindHeaderLabel->setText(
        it == m_kinds.constEnd() ? QString() : kindHeaderText(it->name, it->points, it->count));
    if (it != m_kinds.constEnd())
        m_core->pages()->setSubjectiveCaption(Answer::kindCaption(it->name));
    m_voidButton->setEnabled(!answering());
    updateMoveButtons();
}

void ExamWindow::recordFinal()
{
    m_core->guarded(
        [this] { m_core->recordAnswer(m_core->currentRecord(), m_core->currentPage(), true); });
}

void ExamWindow::clockTicked()
{
    if (!answering() || m_paused || m_closing || m_timeUpPending)
        return;
    qint64 elapsed = 0;
    Paper::Settings settings;
    try {
        elapsed = StudyData::timeTextToSeconds(m_clock->text());
        settings = Paper::readSettings(studyData->connection());
    } catch (const std::exception &) {
        return;
    }
    showTimeLeft(elapsed, settings.examTime);
    if (elapsed < settings.examTime)
        return;
    // The clock stops at the limit, however long what is open over the exam takes to close.
    m_timeUpPending = true;
    m_timeUsedAtLimit = m_clock->stop();
    closeOpenWindows();
    QTimer::singleShot(0, this, &ExamWindow::finishTimeUp);
}

void ExamWindow::showTimeLeft(qint64 elapsed, qint64 examTime)
{
    const qint64 left = qMax<qint64>(0, examTime - elapsed);
    // h:mm:ss as the clock beside it.
    m_timeLeftLabel->setText(u"剩余："_s + QString::number(left / 3600) + u':' +
                             QString::number(left / 60 % 60).rightJustified(2, u'0') + u':' +
                             QString::number(left % 60).rightJustified(2, u'0'));
    if (left <= 0)
        return;
    // Each notice once, and only when the limit was longer than the notice's point; a clock that
    // passed both points at once gives the later notice alone.
    int minutes = 0;
    if (!m_warnedAt5 && examTime > 5 * 60 && left <= 5 * 60) {
        m_warnedAt5 = m_warnedAt15 = true;
        minutes = 5;
    } else if (!m_warnedAt15 && examTime > 15 * 60 && left <= 15 * 60) {
        m_warnedAt15 = true;
        minutes = 15;
    }
    if (minutes == 0)
        return;
    m_timeNoticeLabel->setText(u"离考试结束还有"_s + QString::number(minutes) + u"分钟"_s);
    m_timeNoticeLabel->setAccessibleName(m_timeNoticeLabel->text());
    m_timeNoticeLabel->show();
}

bool ExamWindow::openedByThisExam(const QWidget *window) const
{
    for (const QObject *o = window ? window->parent() : nullptr; o; o = o->parent()) {
        if (o == this)
            return true;
    }
    return false;
}

void ExamWindow::closeOpenWindows()
{
    // The windows the exam opened over itself (notes, explanation, exam points, settings) close
    // as their 关闭 would, so a note being typed is saved. A prompt is left to be answered.
    while (!PromptGate::isShowing()) {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == this || !openedByThisExam(modal))
            return;
        modal->close();
        if (QApplication::activeModalWidget() == modal)
            return; // it would not close
    }
}

void ExamWindow::finishTimeUp()
{
    if (!m_timeUpPending || m_closing)
        return;
    // One prompt at a time: the time-up message follows a prompt that is being answered, and
    // waits until the windows closed above have left their event loops.
    QWidget *modal = QApplication::activeModalWidget();
    if (PromptGate::isShowing() || (modal && modal != this)) {
        closeOpenWindows();
        QTimer::singleShot(50, this, &ExamWindow::finishTimeUp);
        return;
    }
    m_timeUpPending = false;
    handleTimeUp(m_timeUsedAtLimit);
}

void ExamWindow::handleTimeUp(const QString &used)
{
    recordFinal();
    int unanswered = 0;
    if (!m_core->guarded([this, &unanswered] {
            unanswered = Paper::unansweredCount(studyData->connection(), m_table);
        }))
        return;
    showMessageBox(this, u"提示"_s, u"很遗憾，考试时间到了！"_s, QMessageBox::Information);
    if (unanswered < kSlotCount) {
        gradeAndReview(used);
        return;
    }
    if (m_core->guarded([this] { studyData->dropPaper(m_table); }))
        finish();
}

void ExamWindow::submitPaper()
{
    if (!answering() || m_paused || m_timeUpPending)
        return;
    const QString used = m_clock->stop();
    recordFinal();
    int unanswered = 0;
    if (!m_core->guarded([this, &unanswered] {
            unanswered = Paper::unansweredCount(studyData->connection(), m_table);
        })) {
        m_clock->resume();
        return;
    }
    if (unanswered >= kSlotCount) {
        // A full paper without a single answer is not kept.
        studyData->dropPaper(m_table);
        finish();
        return;
    }
    const QString message =
        unanswered == 0 ? u"恭喜你已经做完试卷，确定要交卷吗？"_s
                        : u"你还有"_s + QString::number(unanswered) + u"道题未做，确定要交卷吗？"_s;
    // 取消 is the default and Escape's answer: a stray key never submits or discards the paper.
    switch (showPrompt(u"提示"_s, message, 2, 0, u"Exam"_s, 3)) {
    case 1:
        gradeAndReview(used);
        return;
    case 2: {
        // Discarded: the paper goes; the time counts when most of it was answered.
        const bool done = m_core->guarded([this, &used, unanswered] {
            Db::Transaction tx(studyData->connection());
            studyData->dropPaper(m_table);
            if (unanswered < 50)
                studyData->addStudyTime(used);
            tx.commit();
        });
        if (done)
            finish();
        else
            m_clock->resume();
        return;
    }
    default:
        m_clock->resume();
        return;
    }
}

void ExamWindow::gradeAndReview(const QString &timeUsed)
{
    ProgressNotice notice(u"正在判卷..."_s);
    Paper::Grade grade;
    if (!m_core->guarded([this, &grade, &timeUsed] {
            grade = Paper::gradePaper(*studyData, App::paperKind(), m_table, timeUsed);
        })) {
        // Nothing was written: the exam goes on from the stopped clock.
        m_clock->resume();
        return;
    }
    m_mode = u"old"_s;
    m_timeUsed = timeUsed;
    m_score = grade.score;
    m_discardOnClose = grade.discardOnClose;
    if (openPaper() != 1) {
        stopForPaper(Paper::Failure::Open);
        return;
    }
    progressWindow()->finish();
    showPaper();
}

void ExamWindow::closeReview()
{
    if (m_discardOnClose) {
        if (showPrompt(u"提示"_s, u"成绩低于保留分数，关闭后本试卷将被删除。确定关闭吗？"_s, 0, 1,
                       u"NO"_s, 2) != 1)
            return;
        studyData->dropPaper(m_table);
    }
    finish();
}

QList<NumberButton *> ExamWindow::slotButtons() const
{
    QList<NumberButton *> buttons;
    for (NumberButton *b : m_core->numberPanel()->findChildren<NumberButton *>()) {
        if (b->recordNumber() > 0)
            buttons.append(b);
    }
    std::sort(buttons.begin(), buttons.end(), [](const NumberButton *a, const NumberButton *b) {
        return a->recordNumber() < b->recordNumber();
    });
    return buttons;
}

void ExamWindow::applyWrongOnly()
{
    const bool only = !answering() && m_wrongOnlyCheck->isChecked();
    NumberButton *firstWrong = nullptr;
    bool currentShown = false;
    for (NumberButton *b : slotButtons()) {
        const bool shown = !only || b->answerState() != NumberButton::Right;
        b->setEnabled(shown);
        if (shown && !firstWrong)
            firstWrong = b;
        if (shown && b->isChecked())
            currentShown = true;
    }
    if (!currentShown && firstWrong)
        firstWrong->click();
    updateMoveButtons();
}

void ExamWindow::moveQuestion(int step)
{
    if (answering() || !m_wrongOnlyCheck->isChecked()) {
        if (step < 0)
            m_core->previousQuestion();
        else
            m_core->nextQuestion();
        return;
    }
    const QList<NumberButton *> buttons = slotButtons();
    qsizetype at = -1;
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        if (buttons.at(i)->isChecked())
            at = i;
    }
    for (qsizetype i = at + step; i >= 0 && i < buttons.size(); i += step) {
        if (buttons.at(i)->isEnabled()) {
            buttons.at(i)->click();
            return;
        }
    }
}

void ExamWindow::updateMoveButtons()
{
    if (answering())
        return;
    // 上一题 / 下一题 follow the questions that can be chosen.
    bool before = false;
    bool after = false;
    bool passedCurrent = false;
    for (NumberButton *b : slotButtons()) {
        if (b->isChecked()) {
            passedCurrent = true;
            continue;
        }
        if (b->isEnabled())
            (passedCurrent ? after : before) = true;
    }
    m_previousButton->setEnabled(before);
    m_nextButton->setEnabled(after);
}

void ExamWindow::finish()
{
    BusyCursor busy;
    m_closing = true;
    m_clock->stop();
    m_pauseScrollTimer->stop();
    m_core->questionSet().close();
    QDialog::done(QDialog::Accepted);
}

void ExamWindow::closeEvent(QCloseEvent *event)
{
    // Closing by the window system takes the way of 关闭.
    if (m_closing) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    if (!m_paused)
        m_closeButton->click();
}

void ExamWindow::reject()
{
    if (m_closing)
        return;
    if (!m_paused)
        m_closeButton->click();
}

void ExamWindow::keyPressEvent(QKeyEvent *event)
{
    if (m_paused)
        return;
    // In the review the options stay as stored; only the moves work.
    const Answer::KeyAction action =
        Answer::keyAction(m_core->pages()->currentIndex(), event->key());
    if (!answering() && action.kind == Answer::KeyAction::Option)
        return;
    if (m_core->handleKey(event))
        return;
    QDialog::keyPressEvent(event);
}

void ExamWindow::paintEvent(QPaintEvent *)
{
    WindowParts::paintChrome(this, m_background, m_titleLabel->height());
}

void ExamWindow::showExplanation()
{
    ExplanationWindow explanation(this);
    explanation.bind(m_core->explanation());
    explanation.exec();
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void ExamWindow::editNotes()
{
    QuestionRow *row = m_core->currentRow();
    if (!row)
        return;
    // Notes written in an exam belong to the paper row.
    NotesWindow notes(this);
    notes.bind(u"ks"_s, m_table, row->id());
    notes.exec();
    m_core->refreshNote(App::notePresentFlag);
}

void ExamWindow::showRelatedPoints()
{
    QuestionRow *row = m_core->currentRow();
    if (!row)
        return;
    m_core->guarded([this, id = row->id()] {
        RelatedPointsWindow points(this);
        if (points.loadCodes(id))
            points.exec();
    });
}

void ExamWindow::exportToDocument()
{
    exportPaperToWord(this, m_table, m_title);
}

void ExamWindow::openSoundSettings()
{
    WindowLinks::openSoundSettings(this);
}

void ExamWindow::showDesktop()
{
    WindowParts::showDesktop();
}

void ExamWindow::togglePause()
{
    if (!answering() || m_timeUpPending)
        return;
    QWidget *slotPanel = m_core->numberPanel();
    if (!m_paused) {
        m_paused = true;
        m_clock->stop();
        m_pauseButton->setText(u"继续考试"_s);
        m_previousWasEnabled = m_previousButton->isEnabled();
        m_nextWasEnabled = m_nextButton->isEnabled();
        for (QWidget *w :
             {static_cast<QWidget *>(m_submitButton), static_cast<QWidget *>(m_notesButton),
              static_cast<QWidget *>(m_closeButton), static_cast<QWidget *>(m_previousButton),
              static_cast<QWidget *>(m_nextButton), slotPanel})
            w->setEnabled(false);
        m_core->pages()->setAnswerEnabled(false);
        m_pausePanel->setGeometry(m_core->body()->rect());
        m_pauseTextLabel->setGeometry(0, m_pausePanel->height() / 4, m_pausePanel->width(),
                                      m_pauseTextLabel->sizeHint().height() + 20);
        m_pausePanel->show();
        m_pausePanel->raise();
        m_pauseScrollTimer->start();
    } else {
        m_paused = false;
        m_pauseScrollTimer->stop();
        m_pausePanel->hide();
        m_clock->resume();
        m_pauseButton->setText(u"暂停考试"_s);
        for (QWidget *w :
             {static_cast<QWidget *>(m_submitButton), static_cast<QWidget *>(m_notesButton),
              static_cast<QWidget *>(m_closeButton), slotPanel})
            w->setEnabled(true);
        m_core->pages()->setAnswerEnabled(true);
        m_previousButton->setEnabled(m_previousWasEnabled);
        m_nextButton->setEnabled(m_nextWasEnabled);
    }
}

void ExamWindow::scrollPauseText()
{
    // The text moves up a pixel at a time and comes in again from below.
    int y = m_pauseTextLabel->y() - 1;
    if (y + m_pauseTextLabel->height() < 0)
        y = m_pausePanel->height();
    m_pauseTextLabel->move(0, y);
}
