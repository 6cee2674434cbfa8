#include "exam/ExamWindow.h"

#include "ui/WindowLinks.h"
#include "ui/PromptDialog.h"
#include "ui/ProgressWindow.h"
#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "exampoints/RelatedPointsWindow.h"
#include "export/WordExport.h"
#include "practice/QuestionCore.h"
#include "practice/NotesWindow.h"
#include "practice/ExplanationWindow.h"
#include "ui/Fonts.h"
#include "ui/MessageBox.h"
#include "ui/PromptGate.h"
#include "ui/WindowParts.h"

#include <QApplication>
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
#include <cstdlib>


using namespace Qt::StringLiterals;

namespace {

// The exam's own labels and the pause panel, over the shared window look.
const char kExamStyle[] =
    "QLabel#LbKind { color: #21507E; font-weight: bold; }"
    "QLabel#LbClock, QLabel#LbScore { color: #21507E; font-weight: bold; }"
    "QFrame#PausePanel { background: #21507E; border: 1px solid #14334F; }"
    "QLabel#LbPauseText { color: white; }";

// Shown while the exam is paused, scrolling over the covered question.
const char16_t kPauseText[] =
    u"考试已暂停\n\n"
    u"休息片刻，放松一下眼睛。\n"
    u"按“继续考试”回到试卷，计时从暂停处接着走。\n\n"
    u"模拟考试的试题从题库中随机抽取，\n"
    u"每次都是一份新的试卷。\n"
    u"交卷后可以查看每道题的答案和解析，\n"
    u"成绩合格的试卷保留在“查阅试卷”中，随时复习。";

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

void StopForPaper(Paper::Failure failure)
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
    setObjectName(u"FrmExam"_s);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    setStyleSheet(WindowParts::windowStyle() + QString::fromLatin1(kExamStyle));
    setFont(Fonts::song(14));

    QuestionCoreOptions options;
    options.voidCaption = u"本题作废"_s;
    options.showEditedLabel = false;
    options.captionFollowsKind = false;
    options.slotCount = SlotCount;
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
    m_titleLabel->setObjectName(u"LbTitle"_s);
    m_titleLabel->setStyleSheet(u"color: white; font-weight: bold;"_s);
    m_kindHeader = new QLabel(this);
    m_kindHeader->setObjectName(u"LbKind"_s);
    m_clockLabel = new QLabel(this);
    m_clockLabel->setObjectName(u"LbClock"_s);
    m_clockLabel->setAccessibleName(u"时钟"_s);
    m_clockLabel->setAlignment(Qt::AlignCenter);
    m_scoreLabel = new QLabel(this);
    m_scoreLabel->setObjectName(u"LbScore"_s);
    m_scoreLabel->setAlignment(Qt::AlignCenter);
    m_clock = new RunClock(m_clockLabel, this);
    connect(m_clock, &RunClock::ticked, this, &ExamWindow::clockTicked);

    epEfTrBtn1 = makeButton(u"epEfTrBtn1"_s, u"上一题"_s);
    epEfTrBtn2 = makeButton(u"epEfTrBtn2"_s, u"下一题"_s);
    epEfTrBtn3 = makeButton(u"epEfTrBtn3"_s, u"交卷"_s);
    epEfTrBtn6 = makeButton(u"epEfTrBtn6"_s, u"答案"_s);
    epEfTrBtn4 = makeButton(u"epEfTrBtn4"_s, u"解析"_s);
    epEfTrBtn5 = makeButton(u"epEfTrBtn5"_s, u"笔记"_s);
    epEfTrBtn9 = makeButton(u"epEfTrBtn9"_s, u"考点"_s);
    epEfTrBtn12 = makeButton(u"epEfTrBtn12"_s, u"本题作废"_s);
    epEfTrBtn10 = makeButton(u"epEfTrBtn10"_s, u"生成文档"_s);
    epEfTrBtn7 = makeButton(u"epEfTrBtn7"_s, u"关闭"_s);
    epEfTrBtn8 = makeButton(u"epEfTrBtn8"_s, u"设置"_s);
    epEfTrBtn11 = makeButton(u"epEfTrBtn11"_s, u"桌面"_s);
    epEfTrBtn13 = makeButton(u"epEfTrBtn13"_s, u"暂停考试"_s);

    QuestionCoreButtons buttons;
    buttons.previous = epEfTrBtn1;
    buttons.next = epEfTrBtn2;
    buttons.explanation = epEfTrBtn4;
    buttons.points = epEfTrBtn9;
    buttons.answer = epEfTrBtn6;
    buttons.notes = epEfTrBtn5;
    buttons.voidButton = epEfTrBtn12;
    m_core->setButtons(buttons);
    connect(m_core, &QuestionCore::questionShown, this, &ExamWindow::questionShown);

    connect(epEfTrBtn1, &QPushButton::clicked, m_core, &QuestionCore::previousQuestion);
    connect(epEfTrBtn2, &QPushButton::clicked, m_core, &QuestionCore::nextQuestion);
    connect(epEfTrBtn3, &QPushButton::clicked, this, &ExamWindow::Submit);
    connect(epEfTrBtn6, &QPushButton::clicked, m_core, &QuestionCore::toggleAnswerPanel);
    connect(epEfTrBtn12, &QPushButton::clicked, m_core, &QuestionCore::toggleVoid);
    connect(epEfTrBtn4, &QPushButton::clicked, this, &ExamWindow::epEfTrBtn4Click);
    connect(epEfTrBtn5, &QPushButton::clicked, this, &ExamWindow::epEfTrBtn5Click);
    connect(epEfTrBtn9, &QPushButton::clicked, this, &ExamWindow::epEfTrBtn9Click);
    connect(epEfTrBtn10, &QPushButton::clicked, this, &ExamWindow::epEfTrBtn10Click);
    connect(epEfTrBtn8, &QPushButton::clicked, this, &ExamWindow::epEfTrBtn8Click);
    connect(epEfTrBtn11, &QPushButton::clicked, this, &ExamWindow::epEfTrBtn11Click);
    connect(epEfTrBtn13, &QPushButton::clicked, this, &ExamWindow::epEfTrBtn13Click);
    connect(epEfTrBtn7, &QPushButton::clicked, this, [this] {
        if (answering())
            Submit();
        else
            closeReview();
    });

    // The pause panel covers the question area; its text scrolls upwards.
    m_pausePanel = new QFrame(m_core->body());
    m_pausePanel->setObjectName(u"PausePanel"_s);
    m_pausePanel->setAccessibleName(u"考试已暂停"_s);
    m_pauseText = new QLabel(QString::fromUtf16(kPauseText), m_pausePanel);
    m_pauseText->setObjectName(u"LbPauseText"_s);
    m_pauseText->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_pausePanel->hide();
    m_pauseScroll = new QTimer(this);
    m_pauseScroll->setInterval(60);
    connect(m_pauseScroll, &QTimer::timeout, this, &ExamWindow::scrollPauseText);

    applyLayout(App::displayMode == u"800"_s);
}

ExamWindow::~ExamWindow() = default;

QPushButton *ExamWindow::makeButton(const QString &name, const QString &caption)
{
    return WindowParts::makeButton(this, name, caption);
}

QString ExamWindow::KindHeader(const QString &kindName, double points, int count)
{
    return kindName + u' ' + u"每题"_s + Paper::scoreText(points) + u"分 "_s + u"共"_s +
           Paper::scoreText(points * count) + u"分"_s;
}

void ExamWindow::PreparePaper(const QString &tableName, const QString &title, const QString &mode,
                            double score, const QString &timeUsed)
{
    m_table = tableName;
    m_title = title;
    m_mode = mode;
    m_score = score;
    m_timeUsed = timeUsed;
    m_core->setTable(tableName);
}

int ExamWindow::OpenPaper()
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
    m_kindHeader->setFont(Fonts::sans(compact ? 13 : 14, true));
    m_clockLabel->setFont(Fonts::sans(compact ? 16 : 20, true));
    m_scoreLabel->setFont(Fonts::sans(compact ? 14 : 16, true));
    m_pauseText->setFont(Fonts::sans(compact ? 15 : 18));
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
    labels->addWidget(m_kindHeader);
    labels->addSpacing(compact ? 10 : 16);
    labels->addWidget(m_core->statusLabel(), 1);
    left->addLayout(labels);
    left->addWidget(m_core->body(), 1);

    auto *answers = new QHBoxLayout;
    answers->setSpacing(compact ? 6 : 10);
    answers->addWidget(epEfTrBtn1);
    answers->addWidget(m_core->pages(), 1);
    answers->addWidget(epEfTrBtn2);
    left->addWidget(board(QString(), answers));

    auto *commands = new QHBoxLayout;
    commands->setSpacing(spacing);
    commands->addStretch();
    for (QPushButton *b : {epEfTrBtn3, epEfTrBtn6, epEfTrBtn4, epEfTrBtn5, epEfTrBtn9,
                           epEfTrBtn12, epEfTrBtn10, epEfTrBtn7})
        commands->addWidget(b);
    left->addLayout(commands);
    columns->addLayout(left, 1);

    auto *right = new QVBoxLayout;
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(spacing);
    auto *hint = new QVBoxLayout;
    auto *hintButtons = new QHBoxLayout;
    hintButtons->addWidget(epEfTrBtn8);
    hintButtons->addWidget(epEfTrBtn11);
    hint->addLayout(hintButtons);
    hint->addWidget(epEfTrBtn13);
    hint->addWidget(m_clockLabel);
    hint->addWidget(m_scoreLabel);
    QFrame *hintBoard = board(u"提示板"_s, hint);
    hintBoard->setObjectName(u"GroupBox1"_s);
    right->addWidget(hintBoard);

    auto *slotPanel = new QHBoxLayout;
    slotPanel->addStretch();
    slotPanel->addWidget(m_core->numberPanel());
    slotPanel->addStretch();
    right->addWidget(board(u"题目指示板"_s, slotPanel));
    right->addStretch();
    static_cast<QGridLayout *>(m_core->numberPanel()->layout())->setVerticalSpacing(compact ? 2 : 3);
    static_cast<QGridLayout *>(m_core->numberPanel()->layout())->setHorizontalSpacing(compact ? 3 : 4);

    auto *rightBox = new QWidget(this);
    rightBox->setObjectName(u"RightColumn"_s);
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
    FormShow();
}

void ExamWindow::loadKinds()
{
    m_kinds.clear();
    try {
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

void ExamWindow::FormShow()
{
    BusyCursor busy;
    const bool review = !answering();
    loadKinds();
    m_titleLabel->setText(m_title);
    setWindowTitle(review ? u"查阅试卷"_s : u"正在答卷"_s);
    m_core->setReview(review);
    epEfTrBtn3->setEnabled(!review);
    epEfTrBtn10->setEnabled(review);
    epEfTrBtn13->setVisible(!review);
    epEfTrBtn12->setEnabled(review);
    for (QPushButton *b : {epEfTrBtn4, epEfTrBtn6, epEfTrBtn9})
        b->setEnabled(false);
    if (review) {
        m_clock->stop();
        m_clockLabel->setText(u"用时："_s + m_timeUsed);
        m_scoreLabel->setText(u"得分："_s + Paper::scoreText(m_score) + u" 分"_s);
        m_scoreLabel->show();
    } else {
        m_scoreLabel->hide();
    }
    m_core->body()->closeAnswerPanel(false);
    epEfTrBtn6->setText(u"答案"_s);
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
    m_kindHeader->setText(it == m_kinds.constEnd()
                              ? QString()
                              : KindHeader(it->name, it->points, it->count));
    if (it != m_kinds.constEnd())
        m_core->pages()->setSubjectiveCaption(Answer::kindCaption(it->name));
    epEfTrBtn12->setEnabled(!answering());
}

void ExamWindow::recordFinal()
{
    m_core->guarded(
        [this] { m_core->recordAnswer(m_core->currentRecord(), m_core->currentPage(), true); });
}

void ExamWindow::clockTicked()
{
    if (!answering() || m_paused || m_closing)
        return;
    qint64 elapsed = 0;
    Paper::Settings settings;
    try {
        elapsed = StudyData::timeTextToSeconds(m_clock->text());
        settings = Paper::readSettings(studyData->connection());
    } catch (const std::exception &) {
        return;
    }
    if (elapsed < settings.examTime)
        return;
    // One prompt at a time: while a window of the exam (notes, explanation, a prompt) is open,
    // the time-up waits for it to close; the clock goes on meanwhile.
    if (PromptGate::isShowing() ||
        (QApplication::activeModalWidget() && QApplication::activeModalWidget() != this))
        return;
    TimeUp();
}

void ExamWindow::TimeUp()
{
    const QString used = m_clock->stop();
    recordFinal();
    int unanswered = 0;
    if (!m_core->guarded(
            [this, &unanswered] { unanswered = Paper::unansweredCount(studyData->connection(), m_table); }))
        return;
    showMessageBox(this, u"提示"_s, u"很遗憾，考试时间到了！"_s, QMessageBox::Information);
    if (unanswered < SlotCount) {
        GradePaper(used);
        return;
    }
    if (m_core->guarded([this] { studyData->dropPaper(m_table); }))
        finish();
}

void ExamWindow::Submit()
{
    if (!answering() || m_paused)
        return;
    const QString used = m_clock->stop();
    recordFinal();
    int unanswered = 0;
    if (!m_core->guarded(
            [this, &unanswered] { unanswered = Paper::unansweredCount(studyData->connection(), m_table); })) {
        m_clock->resume();
        return;
    }
    if (unanswered >= SlotCount) {
        // A full paper without a single answer is not kept.
        studyData->dropPaper(m_table);
        finish();
        return;
    }
    const QString message = unanswered == 0
                                ? u"恭喜你已经做完试卷，确定要交卷吗？"_s
                                : u"你还有"_s + QString::number(unanswered) + u"道题未做，确定要交卷吗？"_s;
    switch (showPrompt(u"提示"_s, message, 2, 0, u"Exam"_s)) {
    case 1:
        GradePaper(used);
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

void ExamWindow::GradePaper(const QString &timeUsed)
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
    m_discard = grade.discardOnClose;
    if (OpenPaper() != 1) {
        StopForPaper(Paper::Failure::Open);
        return;
    }
    progressWindow()->finish();
    FormShow();
}

void ExamWindow::closeReview()
{
    if (m_discard)
        studyData->dropPaper(m_table);
    finish();
}

void ExamWindow::finish()
{
    BusyCursor busy;
    m_closing = true;
    m_clock->stop();
    m_pauseScroll->stop();
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
        epEfTrBtn7->click();
}

void ExamWindow::reject()
{
    if (m_closing)
        return;
    if (!m_paused)
        epEfTrBtn7->click();
}

void ExamWindow::keyPressEvent(QKeyEvent *event)
{
    if (m_paused)
        return;
    // In the review the options stay as stored; only the moves work.
    const Answer::KeyAction action = Answer::keyAction(m_core->pages()->currentIndex(), event->key());
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

void ExamWindow::epEfTrBtn4Click()
{
    ExplanationWindow jx(this);
    jx.bind(m_core->explanation());
    jx.exec();
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void ExamWindow::epEfTrBtn5Click()
{
    QuestionRow *row = m_core->currentRow();
    if (!row)
        return;
    // Notes written in an exam belong to the paper row.
    NotesWindow bj(this);
    bj.bind(u"ks"_s, m_table, row->id());
    bj.exec();
    m_core->refreshNote(App::notePresentFlag);
}

void ExamWindow::epEfTrBtn9Click()
{
    QuestionRow *row = m_core->currentRow();
    if (!row)
        return;
    m_core->guarded([this, id = row->id()] {
        RelatedPointsWindow points(this);
        if (points.LoadCodes(id))
            points.exec();
    });
}

void ExamWindow::epEfTrBtn10Click()
{
    ExportPaperToWord(this, m_table, m_title);
}

void ExamWindow::epEfTrBtn8Click()
{
    WindowLinks::openSoundSettings(this);
}

void ExamWindow::epEfTrBtn11Click()
{
    WindowParts::showDesktop();
}

void ExamWindow::epEfTrBtn13Click()
{
    if (!answering())
        return;
    QWidget *slotPanel = m_core->numberPanel();
    if (!m_paused) {
        m_paused = true;
        m_clock->stop();
        epEfTrBtn13->setText(u"继续考试"_s);
        m_previousWasEnabled = epEfTrBtn1->isEnabled();
        m_nextWasEnabled = epEfTrBtn2->isEnabled();
        for (QWidget *w : {static_cast<QWidget *>(epEfTrBtn3), static_cast<QWidget *>(epEfTrBtn5),
                           static_cast<QWidget *>(epEfTrBtn7), static_cast<QWidget *>(epEfTrBtn1),
                           static_cast<QWidget *>(epEfTrBtn2), slotPanel})
            w->setEnabled(false);
        m_core->pages()->setAnswerEnabled(false);
        m_pausePanel->setGeometry(m_core->body()->rect());
        m_pauseText->setGeometry(0, m_pausePanel->height() / 4, m_pausePanel->width(),
                                 m_pauseText->sizeHint().height() + 20);
        m_pausePanel->show();
        m_pausePanel->raise();
        m_pauseScroll->start();
    } else {
        m_paused = false;
        m_pauseScroll->stop();
        m_pausePanel->hide();
        m_clock->resume();
        epEfTrBtn13->setText(u"暂停考试"_s);
        for (QWidget *w : {static_cast<QWidget *>(epEfTrBtn3), static_cast<QWidget *>(epEfTrBtn5),
                           static_cast<QWidget *>(epEfTrBtn7), slotPanel})
            w->setEnabled(true);
        m_core->pages()->setAnswerEnabled(true);
        epEfTrBtn1->setEnabled(m_previousWasEnabled);
        epEfTrBtn2->setEnabled(m_nextWasEnabled);
    }
}

void ExamWindow::scrollPauseText()
{
    // The text moves up a pixel at a time and comes in again from below.
    int y = m_pauseText->y() - 1;
    if (y + m_pauseText->height() < 0)
        y = m_pausePanel->height();
    m_pauseText->move(0, y);
}
