#include "practice/PracticeWindow.h"

#include "ui/PromptDialog.h"
#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "ui/WindowLinks.h"
#include "practice/QuestionCore.h"
#include "practice/NotesWindow.h"
#include "practice/ExplanationWindow.h"
#include "ui/Fonts.h"
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

const char kPracticeStyle[] =
    "QLabel#epLabel2 { color: #1F3A56; }"
    "QLabel#LbClock { color: #21507E; font-weight: bold; }";

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
        EndForMissingResource();
    m_background = WindowParts::backgroundPicture(u"pic/bg_window.bmp"_s);

    m_title = new QLabel(this);
    m_title->setObjectName(u"LbTitle"_s);
    m_title->setStyleSheet(u"color: white; font-weight: bold;"_s);
    connect(this, &QWidget::windowTitleChanged, m_title, &QLabel::setText);

    epLabel2 = new QLabel(u"提示板"_s, this);
    epLabel2->setObjectName(u"epLabel2"_s);
    m_clockLabel = new QLabel(this);
    m_clockLabel->setObjectName(u"LbClock"_s);
    m_clockLabel->setAccessibleName(variant.clockCaption);
    m_clock = new RunClock(m_clockLabel, this);
    m_animation = new ClockAnimation(this);

    epEfTrBtn1 = makeButton(u"epEfTrBtn1"_s, u"上一题"_s);
    epEfTrBtn2 = makeButton(u"epEfTrBtn2"_s, u"下一题"_s);
    epEfTrBtn3 = makeButton(u"epEfTrBtn3"_s, u"完成"_s);
    epEfTrBtn6 = makeButton(u"epEfTrBtn6"_s, u"答案"_s);
    if (variant.explanationButton)
        epEfTrBtn4 = makeButton(u"epEfTrBtn4"_s, u"解析"_s);
    epEfTrBtn5 = makeButton(u"epEfTrBtn5"_s, u"笔记"_s);
    epEfTrBtn9 = makeButton(u"epEfTrBtn9"_s, u"考点"_s);
    if (variant.editButton)
        epEfTrBtn11 = makeButton(u"epEfTrBtn11"_s, u"修改本题"_s);
    epEfTrBtn10 = makeButton(u"epEfTrBtn10"_s, u"题目作废"_s);
    m_closeButton = makeButton(variant.closeName, u"关闭"_s);
    epEfTrBtn8 = makeButton(u"epEfTrBtn8"_s, u"设置"_s);
    m_desktopButton = makeButton(variant.desktopName, u"桌面"_s);
    FlatSpeedButton1 = makeButton(u"FlatSpeedButton1"_s, u"<-上一组"_s);
    FlatSpeedButton2 = makeButton(u"FlatSpeedButton2"_s, u"下一组->"_s);

    QuestionCoreButtons buttons;
    buttons.previous = epEfTrBtn1;
    buttons.next = epEfTrBtn2;
    buttons.explanation = epEfTrBtn4;
    buttons.points = epEfTrBtn9;
    buttons.answer = epEfTrBtn6;
    buttons.notes = epEfTrBtn5;
    buttons.voidButton = epEfTrBtn10;
    buttons.previousGroup = FlatSpeedButton1;
    buttons.nextGroup = FlatSpeedButton2;
    m_core->setButtons(buttons);
    for (QPushButton *b : {epEfTrBtn1, epEfTrBtn2, epEfTrBtn4, epEfTrBtn6, epEfTrBtn9,
                           FlatSpeedButton1, FlatSpeedButton2}) {
        if (b)
            b->setEnabled(false);
    }

    connect(epEfTrBtn1, &QPushButton::clicked, m_core, &QuestionCore::previousQuestion);
    connect(epEfTrBtn2, &QPushButton::clicked, m_core, &QuestionCore::nextQuestion);
    connect(epEfTrBtn3, &QPushButton::clicked, m_core, &QuestionCore::checkAnswer);
    connect(epEfTrBtn6, &QPushButton::clicked, m_core, &QuestionCore::ToggleAnswerPanel);
    connect(epEfTrBtn10, &QPushButton::clicked, m_core, &QuestionCore::toggleVoid);
    connect(FlatSpeedButton1, &QPushButton::clicked, m_core, &QuestionCore::previousGroup);
    connect(FlatSpeedButton2, &QPushButton::clicked, m_core, &QuestionCore::nextGroup);
    if (epEfTrBtn4)
        connect(epEfTrBtn4, &QPushButton::clicked, this, &PracticeWindow::epEfTrBtn4Click);
    connect(epEfTrBtn5, &QPushButton::clicked, this, &PracticeWindow::epEfTrBtn5Click);
    connect(epEfTrBtn9, &QPushButton::clicked, this, &PracticeWindow::epEfTrBtn9Click);
    if (epEfTrBtn11)
        connect(epEfTrBtn11, &QPushButton::clicked, this, &PracticeWindow::epEfTrBtn11Click);
    connect(epEfTrBtn8, &QPushButton::clicked, this, &PracticeWindow::epEfTrBtn8Click);
    connect(m_desktopButton, &QPushButton::clicked, this, &PracticeWindow::showDesktop);
    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::close);

    applyLayout(App::displayMode == u"800"_s);
}

PracticeWindow::~PracticeWindow() = default;

QPushButton *PracticeWindow::makeButton(const QString &name, const QString &caption)
{
    return WindowParts::makeButton(this, name, caption);
}

bool PracticeWindow::PreparePracticeRun()
{
    switch (m_core->prepareRun(App::practiceQuery)) {
    case QuestionCore::EmptySet:
        return false;
    case QuestionCore::MissingPicture:
        EndForMissingResource();
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
    m_title->setFont(Fonts::sans(compact ? 14 : 16, true));
    m_title->setFixedHeight(titleHeight);
    epLabel2->setFont(Fonts::sans(compact ? 13 : 14));
    m_clockLabel->setFont(Fonts::sans(compact ? 18 : 22, true));
    m_animation->setFixedSize(compact ? 24 : 30, compact ? 24 : 30);

    auto board = [this, compact](const QString &caption, QLayout *content) {
        return WindowParts::makeBoard(this, caption, content, compact);
    };

    QHBoxLayout *columns = WindowParts::titledColumns(this, m_title, margin, spacing);

    // Left: hint board, question labels, body with the gauge, answer pages, commands.
    auto *left = new QVBoxLayout;
    left->setSpacing(spacing);
    auto *hint = new QHBoxLayout;
    hint->setContentsMargins(0, 0, 0, 0);
    hint->addWidget(epLabel2, 1);
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

    auto *answers = new QHBoxLayout;
    answers->setSpacing(compact ? 6 : 10);
    answers->addWidget(epEfTrBtn1);
    answers->addWidget(m_core->pages(), 1);
    answers->addWidget(epEfTrBtn2);
    left->addWidget(board(QString(), answers));

    auto *commands1 = new QHBoxLayout;
    commands1->setSpacing(spacing);
    commands1->addStretch();
    for (QPushButton *b : {epEfTrBtn3, epEfTrBtn6, epEfTrBtn4, epEfTrBtn5, epEfTrBtn9}) {
        if (b)
            commands1->addWidget(b);
    }
    auto *commands2 = new QHBoxLayout;
    commands2->setSpacing(spacing);
    commands2->addStretch();
    for (QPushButton *b : {epEfTrBtn11, epEfTrBtn10, m_closeButton}) {
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
    top->addWidget(epEfTrBtn8);
    top->addWidget(m_desktopButton);
    right->addLayout(top);

    auto *clock = new QHBoxLayout;
    clock->addWidget(m_animation);
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
    groupButtons->addWidget(FlatSpeedButton1);
    groupButtons->addWidget(FlatSpeedButton2);
    numbers->addLayout(groupButtons);
    right->addWidget(board(u"题目指示板"_s, numbers));
    right->addStretch();

    auto *rightBox = new QWidget(this);
    rightBox->setObjectName(u"RightColumn"_s);
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
    FormShow();
}

void PracticeWindow::FormShow()
{
    BusyCursor busy;
    if (m_variant.hintFromChapterKey)
        epLabel2->setText(App::currentChapterKey.isEmpty() ? u"提示板"_s : App::currentChapterKey);
    m_core->startShowing();
    m_clock->start();
    m_animation->start();
    epEfTrBtn9->setEnabled(false);
}

void PracticeWindow::keyPressEvent(QKeyEvent *event)
{
    if (m_core->handleKey(event))
        return;
    QDialog::keyPressEvent(event);
}

void PracticeWindow::paintEvent(QPaintEvent *)
{
    WindowParts::paintChrome(this, m_background, m_title->height());
}

void PracticeWindow::done(int result)
{
    if (!m_closed && m_shown) {
        m_closed = true;
        FormClose();
    }
    QDialog::done(result);
}

void PracticeWindow::FormClose()
{
    BusyCursor busy;
    const QString elapsed = m_clock->stop();
    m_animation->stop();
    m_core->stopGauge();
    // The answer on screen and the study time are one unit of work.
    m_core->guarded([this, &elapsed] {
        Db::Transaction tx(studyData->connection());
        m_core->recordSilently();
        studyData->addStudyTime(elapsed);
        tx.commit();
    });
    m_core->questionSet().close();
}

void PracticeWindow::epEfTrBtn4Click()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ExplanationWindow jx(this);
    jx.bind(m_core->explanation());
    jx.exec();
    // The explanation window restores the cursor when it shows; restore it if it never did.
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void PracticeWindow::epEfTrBtn5Click()
{
    QuestionRow *row = m_core->currentRow();
    if (!row)
        return;
    NotesWindow bj(this);
    bj.bind(u"lx"_s, m_core->options().table, row->id());
    bj.exec();
    m_core->refreshNote(App::notePresentFlag);
}

void PracticeWindow::epEfTrBtn9Click()
{
    QuestionRow *row = m_core->currentRow();
    if (!row)
        return;
    // The points window is discarded also when reading the question's codes fails.
    m_core->guarded([this, id = row->id()] {
        WindowLinks::showRelatedPoints(this, id);
    });
    if (!isVisible())
        show();
}

void PracticeWindow::epEfTrBtn11Click()
{
    m_core->stopGauge();
    QuestionRow *row = m_core->currentRow();
    if (!row)
        return;
    bool saved = false;
    m_core->guarded([this, &saved, id = row->id()] {
        saved = WindowLinks::editQuestion(this, id);
    });
    // Saved: the question shows as edited and its gauge starts over; cancelled: it runs on.
    if (saved)
        m_core->reshowEditedQuestion();
    else
        m_core->resumeGauge();
}

void PracticeWindow::epEfTrBtn8Click()
{
    WindowLinks::openSoundSettings(this);
    // A running gauge takes up the answer time now in force for its kind.
    m_core->followAnswerTime();
}

void PracticeWindow::setHintBoard(const QString &text)
{
    epLabel2->setText(text);
}

void PracticeWindow::showDesktop()
{
    WindowParts::showDesktop();
}
