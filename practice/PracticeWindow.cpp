#include "practice/PracticeWindow.h"

#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "practice/ExplanationWindow.h"
#include "practice/NotesWindow.h"
#include "practice/QuestionCore.h"
#include "ui/Fonts.h"
#include "ui/PromptDialog.h"
#include "ui/WindowLinks.h"
#include "ui/WindowParts.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const char kPracticeStyle[] = "QLabel#hintBoard { color: #1F3A56; }"
                              "QLabel#clockLabel { color: #21507E; font-weight: bold; }";

using WindowParts::BusyCursor;

} // namespace

PracticeWindow::PracticeWindow(QWidget *parent) : PracticeWindow(PracticeWindowVariant(), parent) {}

PracticeWindow::PracticeWindow(const PracticeWindowVariant &variant, QWidget *parent)
    : QDialog(parent), m_variant(variant)
{
    setObjectName(variant.objectName);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    setStyleSheet(WindowParts::windowStyle() + QString::fromLatin1(kPracticeStyle));
    setFont(Fonts::song(14));

    m_core = new QuestionCore(this, variant.core);
    // The six state pictures; without them the window cannot show a question.
    if (!m_core->loadStatePictures())
        endForMissingResource();
    m_background = WindowParts::backgroundPicture(u"pic/bg_window.bmp"_s);

    m_titleLabel = new QLabel(this);
    m_titleLabel->setObjectName(u"titleLabel"_s);
    m_titleLabel->setStyleSheet(u"color: white; font-weight: bold;"_s);
    connect(this, &QWidget::windowTitleChanged, m_titleLabel, &QLabel::setText);

    m_hintBoard = new QLabel(u"提示板"_s, this);
    m_hintBoard->setObjectName(u"hintBoard"_s);
    m_clockLabel = new QLabel(this);
    m_clockLabel->setObjectName(u"clockLabel"_s);
    m_clockLabel->setAccessibleName(variant.clockCaption);
    m_clock = new RunClock(m_clockLabel, this);
    m_clockAnimation = new ClockAnimation(this);

    m_previousButton = makeButton(u"previousButton"_s, u"上一题"_s);
    m_nextButton = makeButton(u"nextButton"_s, u"下一题"_s);
    m_finishButton = makeButton(u"finishButton"_s, u"完成"_s);
    m_answerButton = makeButton(u"answerButton"_s, u"答案"_s);
    if (variant.hasExplanationButton)
        m_explanationButton = makeButton(u"explanationButton"_s, u"解析"_s);
    m_notesButton = makeButton(u"notesButton"_s, u"笔记"_s);
    m_pointsButton = makeButton(u"pointsButton"_s, u"考点"_s);
    if (variant.hasEditButton)
        m_editButton = makeButton(u"editButton"_s, u"修改本题"_s);
    m_voidButton = makeButton(u"voidButton"_s, u"题目作废"_s);
    m_closeButton = makeButton(u"closeButton"_s, u"关闭"_s);
    m_settingsButton = makeButton(u"settingsButton"_s, u"设置"_s);
    m_desktopButton = makeButton(u"desktopButton"_s, u"桌面"_s);
    m_previousGroupButton = makeButton(u"previousGroupButton"_s, u"<-上一组"_s);
    m_nextGroupButton = makeButton(u"nextGroupButton"_s, u"下一组->"_s);

    QuestionCoreButtons buttons;
    buttons.previous = m_previousButton;
    buttons.next = m_nextButton;
    buttons.explanation = m_explanationButton;
    buttons.points = m_pointsButton;
    buttons.answer = m_answerButton;
    buttons.notes = m_notesButton;
    buttons.voidButton = m_voidButton;
    buttons.previousGroup = m_previousGroupButton;
    buttons.nextGroup = m_nextGroupButton;
    m_core->setButtons(buttons);
    for (QPushButton *b : {m_previousButton, m_nextButton, m_explanationButton, m_answerButton,
                           m_pointsButton, m_previousGroupButton, m_nextGroupButton}) {
        if (b)
            b->setEnabled(false);
    }

    connect(m_previousButton, &QPushButton::clicked, m_core, &QuestionCore::previousQuestion);
    connect(m_nextButton, &QPushButton::clicked, m_core, &QuestionCore::nextQuestion);
    connect(m_finishButton, &QPushButton::clicked, m_core, &QuestionCore::checkAnswer);
    connect(m_answerButton, &QPushButton::clicked, m_core, &QuestionCore::toggleAnswerPanel);
    connect(m_voidButton, &QPushButton::clicked, m_core, &QuestionCore::toggleVoid);
    connect(m_previousGroupButton, &QPushButton::clicked, m_core, &QuestionCore::previousGroup);
    connect(m_nextGroupButton, &QPushButton::clicked, m_core, &QuestionCore::nextGroup);
    if (m_explanationButton)
        connect(m_explanationButton, &QPushButton::clicked, this, &PracticeWindow::showExplanation);
    connect(m_notesButton, &QPushButton::clicked, this, &PracticeWindow::openNotes);
    connect(m_pointsButton, &QPushButton::clicked, this, &PracticeWindow::showRelatedPoints);
    if (m_editButton)
        connect(m_editButton, &QPushButton::clicked, this, &PracticeWindow::editQuestion);
    connect(m_settingsButton, &QPushButton::clicked, this, &PracticeWindow::openSettings);
    connect(m_desktopButton, &QPushButton::clicked, this, &PracticeWindow::showDesktop);
    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::close);

    applyLayout(App::displayMode == u"800"_s);
}

PracticeWindow::~PracticeWindow() = default;

QPushButton *PracticeWindow::makeButton(const QString &name, const QString &caption)
{
    return WindowParts::makeButton(this, name, caption);
}

bool PracticeWindow::preparePracticeRun()
{
    switch (m_core->prepareRun(App::practiceQuery)) {
    case QuestionCore::EmptySet:
        return false;
    case QuestionCore::MissingPicture:
        endForMissingResource();
    case QuestionCore::Prepared:
        break;
    }
    // The kind buttons take the sizes of the layout in use.
    m_core->setCompact(m_compact);
    return true;
}

void PracticeWindow::applyLayout(bool compact)
{
    // Built once, when the window is created: the display mode does not change during a run.
    m_compact = compact;

    const int margin = compact ? 6 : 10;
    const int spacing = compact ? 4 : 6;
    const int titleHeight = compact ? 24 : 30;
    const int buttonHeight = compact ? 24 : 28;
    const int rightWidth = compact ? 192 : 220;
    setFixedSize(compact ? m_variant.compactSize : m_variant.normalSize);
    m_core->setCompact(compact);

    const QFont buttonFont = Fonts::sans(compact ? 13 : 14);
    for (QPushButton *b : findChildren<QPushButton *>(Qt::FindDirectChildrenOnly)) {
        b->setFont(buttonFont);
        b->setFixedHeight(buttonHeight);
        b->setMinimumWidth(compact ? 64 : 76);
    }
    m_titleLabel->setFont(Fonts::sans(compact ? 14 : 16, true));
    m_titleLabel->setFixedHeight(titleHeight);
    m_hintBoard->setFont(Fonts::sans(compact ? 13 : 14));
    m_clockLabel->setFont(Fonts::sans(compact ? 18 : 22, true));
    m_clockAnimation->setFixedSize(compact ? 24 : 30, compact ? 24 : 30);

    auto board = [this, compact](const QString &caption, QLayout *content) {
        return WindowParts::makeBoard(this, caption, content, compact);
    };

    QHBoxLayout *columns = WindowParts::titledColumns(this, m_titleLabel, margin, spacing);

    // Left: hint board, question labels, body with the gauge, answer pages, commands.
    auto *left = new QVBoxLayout;
    left->setSpacing(spacing);
    auto *hint = new QHBoxLayout;
    hint->setContentsMargins(0, 0, 0, 0);
    hint->addWidget(m_hintBoard, 1);
    left->addWidget(board(QString(), hint));

    auto *labels = new QHBoxLayout;
    labels->addWidget(m_core->questionLabels());
    labels->addSpacing(compact ? 12 : 20);
    labels->addWidget(m_core->statusLabel());
    if (m_core->editedLabel()) {
        labels->addSpacing(compact ? 8 : 12);
        labels->addWidget(m_core->editedLabel());
    }
    labels->addStretch();
    left->addLayout(labels);

    auto *bodyRow = new QHBoxLayout;
    bodyRow->setSpacing(compact ? 4 : 6);
    bodyRow->addWidget(m_core->gauge());
    bodyRow->addWidget(m_core->body(), 1);
    left->addLayout(bodyRow, 1);
    left->addWidget(m_core->feedbackLabel());

    auto *answers = new QHBoxLayout;
    answers->setSpacing(compact ? 6 : 10);
    answers->addWidget(m_previousButton);
    answers->addWidget(m_core->pages(), 1);
    answers->addWidget(m_nextButton);
    left->addWidget(board(QString(), answers));

    auto *commands1 = new QHBoxLayout;
    commands1->setSpacing(spacing);
    commands1->addStretch();
    for (QPushButton *b :
         {m_finishButton, m_answerButton, m_explanationButton, m_notesButton, m_pointsButton}) {
        if (b)
            commands1->addWidget(b);
    }
    auto *commands2 = new QHBoxLayout;
    commands2->setSpacing(spacing);
    commands2->addStretch();
    for (QPushButton *b : {m_editButton, m_voidButton, m_closeButton}) {
        if (b)
            commands2->addWidget(b);
    }
    left->addLayout(commands1);
    left->addLayout(commands2);
    columns->addLayout(left, 1);

    // Right: settings and desktop, the clock, the kind and number boards, the groups.
    auto *right = new QVBoxLayout;
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(spacing);
    auto *top = new QHBoxLayout;
    top->addWidget(m_settingsButton);
    top->addWidget(m_desktopButton);
    right->addLayout(top);

    auto *clock = new QHBoxLayout;
    clock->addWidget(m_clockAnimation);
    clock->addWidget(m_clockLabel, 1, Qt::AlignCenter);
    right->addWidget(board(m_variant.clockCaption, clock));

    auto *kinds = new QHBoxLayout;
    kinds->addStretch();
    kinds->addWidget(m_core->kindPanel());
    kinds->addStretch();
    right->addWidget(board(u"题型指示板"_s, kinds));

    auto *numbers = new QVBoxLayout;
    auto *numberRow = new QHBoxLayout;
    numberRow->addStretch();
    numberRow->addWidget(m_core->numberPanel());
    numberRow->addStretch();
    numbers->addLayout(numberRow);
    numbers->addWidget(m_core->groupLabels());
    auto *groupButtons = new QHBoxLayout;
    groupButtons->addWidget(m_previousGroupButton);
    groupButtons->addWidget(m_nextGroupButton);
    numbers->addLayout(groupButtons);
    right->addWidget(board(u"题目指示板"_s, numbers));
    right->addStretch();

    auto *rightBox = new QWidget(this);
    rightBox->setObjectName(u"rightColumn"_s);
    rightBox->setFixedWidth(rightWidth);
    rightBox->setLayout(right);
    columns->addWidget(rightBox);
}

void PracticeWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    WindowParts::centre(this);
    startRun();
}

void PracticeWindow::startRun()
{
    BusyCursor busy;
    if (m_variant.hintFromChapterKey)
        m_hintBoard->setText(App::currentChapterKey.isEmpty() ? u"提示板"_s
                                                              : App::currentChapterKey);
    m_core->startShowing();
    m_clock->start();
    m_clockAnimation->start();
    m_pointsButton->setEnabled(false);
}

void PracticeWindow::keyPressEvent(QKeyEvent *event)
{
    if (m_core->handleKey(event))
        return;
    QDialog::keyPressEvent(event);
}

void PracticeWindow::paintEvent(QPaintEvent *)
{
    WindowParts::paintChrome(this, m_background, m_titleLabel->height());
}

void PracticeWindow::done(int result)
{
    if (!m_closed && m_shown) {
        m_closed = true;
        finishRun();
    }
    QDialog::done(result);
}

void PracticeWindow::finishRun()
{
    BusyCursor busy;
    const QString elapsed = m_clock->stop();
    m_clockAnimation->stop();
    m_core->stopGauge();
    m_core->saveOwnAnswer();
    // The answer on screen and the study time are one unit of work.
    m_core->guarded([this, &elapsed] {
        Db::Transaction tx(studyData->connection());
        m_core->recordSilently();
        studyData->addStudyTime(elapsed);
        tx.commit();
    });
    m_core->questionSet().close();
}

void PracticeWindow::showExplanation()
{
    m_core->saveOwnAnswer();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ExplanationWindow explanation(this);
    explanation.bind(m_core->explanation());
    explanation.showOwnAnswer(m_core->ownAnswerText());
    explanation.keepClearOf(m_core->body());
    explanation.exec();
    // The explanation window restores the cursor when it shows; restore it if it never did.
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void PracticeWindow::openNotes()
{
    QuestionRow *row = m_core->currentRow();
    if (!row)
        return;
    NotesWindow notes(this);
    notes.bind(u"lx"_s, m_core->options().table, row->id());
    notes.exec();
    m_core->refreshNote(App::notePresentFlag);
}

void PracticeWindow::showRelatedPoints()
{
    QuestionRow *row = m_core->currentRow();
    if (!row)
        return;
    // The points window is discarded also when reading the question's codes fails.
    m_core->guarded([this, id = row->id()] { WindowLinks::showRelatedPoints(this, id); });
    if (!isVisible())
        show();
}

void PracticeWindow::editQuestion()
{
    m_core->stopGauge();
    QuestionRow *row = m_core->currentRow();
    if (!row)
        return;
    bool saved = false;
    m_core->guarded(
        [this, &saved, id = row->id()] { saved = WindowLinks::editQuestion(this, id); });
    // Saved: the question shows as edited and its gauge starts over; cancelled: it runs on.
    if (saved)
        m_core->reshowEditedQuestion();
    else
        m_core->resumeGauge();
}

void PracticeWindow::openSettings()
{
    WindowLinks::openSoundSettings(this);
    // A running gauge takes up the answer time now in force for its kind.
    m_core->followAnswerTime();
}

void PracticeWindow::setHintBoard(const QString &text)
{
    m_hintBoard->setText(text);
}

void PracticeWindow::showDesktop()
{
    WindowParts::showDesktop();
}
