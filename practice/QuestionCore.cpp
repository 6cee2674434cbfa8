#include "practice/QuestionCore.h"

#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "ui/Fonts.h"
#include "ui/MessageBox.h"
#include "ui/PromptDialog.h"
#include "ui/PromptGate.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QSqlQuery>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

QLabel *fixedLabel(const QString &text)
{
    auto *label = new QLabel(text);
    label->setProperty("fixedCaption", true);
    return label;
}

QLabel *valueLabel(const QString &name)
{
    auto *label = new QLabel;
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(u"color: #2F6DB0; font-weight: bold;"_s);
    return label;
}

} // namespace

void endForMissingResource()
{
    showPrompt(u"错误"_s, u"无法提取资源文件！"_s, 1, 2, u"NO"_s);
    std::exit(EXIT_FAILURE);
}

QuestionCore::QuestionCore(QWidget *window, const QuestionCoreOptions &options)
    : QObject(window), m_window(window), m_options(options)
{
    m_body = new QuestionBody(window);
    m_pages = new AnswerPages(window);
    m_pages->setOwnAnswerShown(m_options.ownAnswer && !m_options.paper);
    m_answerGauge = new AnswerGauge(window);
    m_answerGauge->setObjectName(u"answerGauge"_s);
    m_answerTimer = new QTimer(this);
    m_answerTimer->setObjectName(u"answerTimer"_s);
    connect(m_answerTimer, &QTimer::timeout, this, &QuestionCore::gaugeTick);
    // A time-out held back by a prompt comes once that prompt is answered and its caller went on.
    connect(PromptGate::instance(), &PromptGate::allClosed, this, [this] {
        if (m_timeOutPending)
            QTimer::singleShot(0, this, &QuestionCore::timeOut);
    });

    buildNumberPanel();
    buildLabels();

    m_kindPanel = new QWidget(window);
    m_kindPanel->setObjectName(u"kindPanel"_s);
    m_kindPanel->setAccessibleName(u"题型指示板"_s);
    auto *kindGrid = new QGridLayout(m_kindPanel);
    kindGrid->setContentsMargins(0, 0, 0, 0);
    kindGrid->setSpacing(4);
    m_kindGroup = new QButtonGroup(this);
    m_kindGroup->setExclusive(true);
}

QuestionCore::~QuestionCore() = default;

void QuestionCore::buildNumberPanel()
{
    m_numberPanel = new QWidget(m_window);
    m_numberPanel->setObjectName(u"numberPanel"_s);
    m_numberPanel->setAccessibleName(u"题目指示板"_s);
    auto *grid = new QGridLayout(m_numberPanel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(4);
    m_numberGroup = new QButtonGroup(this);
    m_numberGroup->setExclusive(true);
    m_groups.groupSize = m_options.slotCount;
    const int rows = qMax(1, m_options.slotRows);
    for (int i = 0; i < m_options.slotCount; ++i) {
        auto *b = new NumberButton(QString::number(i + 1), m_numberPanel);
        b->setObjectName(u"numberButton"_s + QString::number(i + 1));
        b->setEnabled(false);
        // Columns of `rows` buttons, filled column by column.
        grid->addWidget(b, i % rows, i / rows);
        m_numberGroup->addButton(b);
        m_numbers.append(b);
        connect(b, &QAbstractButton::clicked, this, [this, b] {
            if (b->recordNumber() > 0)
                selectQuestion(b->recordNumber());
        });
    }
}

void QuestionCore::buildLabels()
{
    m_questionNumberLabel = valueLabel(u"questionNumberLabel"_s);
    m_occurrenceLabel = valueLabel(u"occurrenceLabel"_s);
    m_questionLabels = new QWidget(m_window);
    m_questionLabels->setObjectName(u"questionLabels"_s);
    auto *q = new QHBoxLayout(m_questionLabels);
    q->setContentsMargins(0, 0, 0, 0);
    q->setSpacing(2);
    q->addWidget(fixedLabel(u"第"_s));
    q->addWidget(m_questionNumberLabel);
    q->addWidget(fixedLabel(u"题"_s));
    for (QLabel *l : {fixedLabel(u"（第"_s), m_occurrenceLabel, fixedLabel(u"次出现）"_s)}) {
        q->addWidget(l);
        l->setVisible(m_options.showOccurrence);
    }

    m_statusLabel = new QLabel(m_window);
    m_statusLabel->setObjectName(u"statusLabel"_s);
    m_statusLabel->setStyleSheet(u"color: #C63A30; font-weight: bold;"_s);
    m_feedbackLabel = new QLabel(m_window);
    m_feedbackLabel->setObjectName(u"feedbackLabel"_s);
    // Nothing is judged on screen in a paper before its review.
    m_feedbackLabel->setVisible(!m_options.paper);
    if (m_options.showEditedLabel) {
        m_editedLabel = new QLabel(m_window);
        m_editedLabel->setObjectName(u"editedLabel"_s);
        m_editedLabel->setStyleSheet(u"color: #21507E;"_s);
    }

    m_groupCountLabel = valueLabel(u"groupCountLabel"_s);
    m_questionCountLabel = valueLabel(u"questionCountLabel"_s);
    m_groupNumberLabel = valueLabel(u"groupNumberLabel"_s);
    m_groupLabels = new QWidget(m_window);
    m_groupLabels->setObjectName(u"groupLabels"_s);
    auto *lines = new QVBoxLayout(m_groupLabels);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(2);
    auto *total = new QHBoxLayout;
    total->setSpacing(2);
    total->addStretch();
    total->addWidget(fixedLabel(u"共"_s));
    total->addWidget(m_groupCountLabel);
    total->addWidget(fixedLabel(u"组"_s));
    total->addWidget(m_questionCountLabel);
    total->addWidget(fixedLabel(u"道题"_s));
    total->addStretch();
    auto *current = new QHBoxLayout;
    current->setSpacing(2);
    current->addStretch();
    current->addWidget(fixedLabel(u"第"_s));
    current->addWidget(m_groupNumberLabel);
    current->addWidget(fixedLabel(u"组"_s));
    current->addStretch();
    lines->addLayout(total);
    lines->addLayout(current);
}

bool QuestionCore::loadStatePictures()
{
    if (!m_pictures.load(nullptr, m_options.paper))
        return false;
    for (NumberButton *b : m_numbers)
        b->setAnswerState(NumberButton::Unanswered, m_pictures);
    return true;
}

void QuestionCore::setButtons(const QuestionCoreButtons &buttons)
{
    m_buttons = buttons;
}

void QuestionCore::setCompact(bool compact)
{
    m_compact = compact;
    m_body->setCompact(compact);
    m_pages->setCompact(compact);
    const QSize number = compact ? m_options.compactSlotSize : m_options.slotSize;
    for (NumberButton *b : m_numbers)
        b->setFixedSize(number);
    const QSize kind = compact ? QSize(84, 24) : QSize(96, 28);
    for (KindButton *b : m_kinds)
        b->setFixedSize(kind);
    const QFont small = Fonts::sans(compact ? 13 : 14);
    for (QWidget *w : {m_questionLabels, m_groupLabels}) {
        for (QLabel *l : w->findChildren<QLabel *>())
            l->setFont(small);
    }
    m_statusLabel->setFont(Fonts::sans(compact ? 13 : 14, true));
    m_feedbackLabel->setFont(Fonts::sans(compact ? 13 : 14, true));
    if (m_editedLabel)
        m_editedLabel->setFont(Fonts::sans(compact ? 13 : 14));
    m_answerGauge->setFixedWidth(compact ? 12 : 16);
}

QuestionCore::PrepareResult QuestionCore::prepareRun(const QString &practiceQuery)
{
    QuestionWrites::startRun(*studyData, m_set, practiceQuery);
    if (m_set.totalCount() == 0)
        return EmptySet;
    m_firstId = m_set.rowAt(0).id();
    if (!loadProgramPicture(u"pic/vorntxup.bmp"_s, m_kindUp) ||
        !loadProgramPicture(u"pic/vorntxdw.bmp"_s, m_kindDown))
        return MissingPicture;

    for (KindButton *b : m_kinds) {
        m_kindGroup->removeButton(b);
        delete b;
    }
    m_kinds.clear();
    QList<QPair<int, QString>> kinds{{0, u"任意"_s}};
    QSqlQuery q = Db::query(studyData->connection(),
                            u"select A1,B1 from "_s +
                                Db::sqlIdentifier(App::kindTableName(App::paperKind())) +
                                u" order by A1 ASC"_s);
    while (q.next())
        kinds.append({q.value(0).toInt(), q.value(1).toString()});
    auto *grid = static_cast<QGridLayout *>(m_kindPanel->layout());
    for (int i = 0; i < kinds.size(); ++i) {
        auto *b = new KindButton(kinds.at(i).second, kinds.at(i).first, m_kindPanel);
        b->setObjectName(u"kindButton"_s + QString::number(kinds.at(i).first));
        b->setPictures(m_kindUp, m_kindDown);
        b->setFixedSize(m_compact ? QSize(84, 24) : QSize(96, 28));
        b->setEnabled(m_set.countOfKind(kinds.at(i).first) > 0);
        grid->addWidget(b, i / 2, i % 2);
        m_kindGroup->addButton(b);
        m_kinds.append(b);
        connect(b, &QAbstractButton::clicked, this, [this, b] { selectKind(b->kind()); });
    }
    return Prepared;
}

int QuestionCore::openPaper(const QString &paperQuery)
{
    m_current = 0;
    m_set.open(studyData->connection(), paperQuery);
    m_firstId = m_set.isEmpty() ? QString() : m_set.rowAt(0).id();
    return m_set.totalCount();
}

void QuestionCore::setReview(bool review)
{
    m_review = review;
    m_pages->setAnswerEnabled(!review);
}

void QuestionCore::startShowing()
{
    m_answerGauge->setValue(0);
    loadContentRow(m_firstId);
    m_body->showSingle(QVariant());
    m_body->closeAnswerPanel(false);
    m_current = 0;
    selectKind(0);
    setButtonEnabled(m_buttons.points, false);
}

void QuestionCore::selectKind(int kind)
{
    KindButton *pressed = nullptr;
    for (KindButton *b : m_kinds) {
        if (b->kind() == kind)
            pressed = b;
    }
    if (m_current > 0) {
        guarded([this] { judgeAndRecord(m_current, currentPage(), Silent); });
        m_current = 0;
    }
    if (m_options.captionFollowsKind) {
        m_pages->setSubjectiveCaption(kind != 0 && pressed ? Answer::kindCaption(pressed->text())
                                                           : u"主\n观"_s);
    }
    applyKindFilter(kind);
    if (m_set.count() == 0) {
        // A kind without questions cannot stay selected.
        if (pressed)
            pressed->setEnabled(false);
        const int previous = m_selectedKind;
        if (previous >= 0 && previous != kind) {
            selectKind(previous);
        } else if (pressed) {
            m_kindGroup->setExclusive(false);
            pressed->setChecked(false);
            m_kindGroup->setExclusive(true);
        }
        return;
    }
    m_selectedKind = kind;
    if (pressed)
        pressed->setChecked(true);
    if (m_options.paper)
        setUpSlotButtons(m_set.count(), m_review);
    else
        fillQuestionGroup(1, m_set.count());
}

void QuestionCore::setUpSlotButtons(int count, bool review)
{
    if (review != m_review)
        setReview(review);
    fillQuestionGroup(1, count);
}

void QuestionCore::recordAnswer(int number, int page, bool final)
{
    judgeAndRecord(number, page, final ? Silent : Leave);
}

void QuestionCore::showAnswerState(int page, bool review)
{
    if (review != m_review)
        setReview(review);
    showQuestionState(page);
}

void QuestionCore::applyKindFilter(int kind)
{
    m_set.setKindFilter(kind);
}

void QuestionCore::fillQuestionGroup(int mode, int count, int select)
{
    if (mode == 1) {
        m_groups.first(count);
        m_groupCountLabel->setText(QString::number(m_groups.groups));
        m_questionCountLabel->setText(QString::number(count));
        setButtonEnabled(m_buttons.previousGroup, false);
        setButtonEnabled(m_buttons.nextGroup, m_groups.groups > 1);
    } else if (mode == 2) {
        m_groups.previous();
    } else if (mode == 3) {
        m_groups.next();
    }
    m_groupNumberLabel->setText(QString::number(m_groups.current));
    for (int i = 0; i < m_numbers.size(); ++i) {
        NumberButton *b = m_numbers.at(i);
        const int record = m_groups.recordAt(i);
        b->setRecordNumber(record);
        b->setEnabled(record > 0);
        b->setAnswerState(record > 0 ? stateOf(m_set.row(record)) : NumberButton::Unanswered,
                          m_pictures);
    }
    if (m_groups.size <= 0)
        return;
    NumberButton *first = m_numbers.at(qBound(0, select, m_groups.size - 1));
    m_numberGroup->setExclusive(false);
    for (NumberButton *b : m_numbers)
        b->setChecked(false);
    m_numberGroup->setExclusive(true);
    first->setChecked(true);
    selectQuestion(first->recordNumber());
}

void QuestionCore::selectQuestion(int record)
{
    if (record <= 0 || record > m_set.count())
        return;
    if (m_editedLabel)
        m_editedLabel->clear();
    if (m_body->answerPanelOpen() || m_body->answerPanelWidth() > 0) {
        m_body->closeAnswerPanel(false);
        if (m_buttons.answer)
            m_buttons.answer->setText(u"答案"_s);
    }
    setButtonEnabled(m_buttons.previous, record > 1);
    setButtonEnabled(m_buttons.next, record < m_set.count());
    switchQuestion(m_current, record);
}

void QuestionCore::switchQuestion(int from, int to)
{
    saveOwnAnswer();
    if (from > 0 && !m_review) {
        guarded([this, from] {
            if (m_options.paper)
                recordAnswer(from, currentPage(), false);
            else
                judgeAndRecord(from, currentPage(), Leave);
        });
    }
    m_current = to;
    m_feedbackLabel->clear();
    const QuestionRow &row = m_set.row(to);
    loadContentRow(row.id());
    m_questionNumberLabel->setText(QString::number(to - m_groups.start + 1));
    m_occurrenceLabel->setText(
        QString::number(row.progress.count >= 1 ? row.progress.count + 1 : 1));
    const int page = pageOf(row.kind);
    if (page != Answer::NoPage)
        m_pages->showPage(page);
    if (m_options.paper)
        showAnswerState(currentPage(), m_review);
    else
        showQuestionState(currentPage());
    loadOwnAnswer(row, page);
    showQuestionBody(row.id());
    if (m_groups.contains(to)) {
        NumberButton *b = m_numbers.at(to - m_groups.start);
        b->setAnswerState(stateOf(row), m_pictures);
        b->setChecked(true);
    }
    if (m_options.runGauge)
        restartGauge(row.kind);
    setStatusLabels(row);
    emit questionShown(to);
}

void QuestionCore::loadOwnAnswer(const QuestionRow &row, int page)
{
    m_ownAnswerId.clear();
    m_ownAnswerKept.clear();
    if (!m_pages->ownAnswerShown())
        return;
    QString text;
    bool readable = true;
    if (page == Answer::Subjective) {
        try {
            m_ownAnswerKept = studyData->ownAnswer(row.id());
            m_ownAnswerId = row.id();
            text = m_unsavedOwnAnswers.value(row.id(), m_ownAnswerKept);
        } catch (const Db::DbError &) {
            // A text that cannot be read is not overwritten: the box stays closed.
            readable = false;
        }
    }
    m_pages->setOwnAnswer(text);
    m_pages->setOwnAnswerEnabled(readable);
}

bool QuestionCore::saveOwnAnswer()
{
    if (m_ownAnswerId.isEmpty())
        return true;
    const QString text = m_pages->ownAnswer();
    if (text == m_ownAnswerKept) {
        m_unsavedOwnAnswers.remove(m_ownAnswerId);
        return true;
    }
    try {
        studyData->saveOwnAnswer(m_ownAnswerId, text);
    } catch (const std::exception &e) {
        m_unsavedOwnAnswers.insert(m_ownAnswerId, text);
        showMessageBox(m_window, u"错误"_s,
                       Db::failureMessage(e, u"发生错误，您的答案没有保存！"_s),
                       QMessageBox::Critical);
        return false;
    }
    m_ownAnswerKept = text;
    m_unsavedOwnAnswers.remove(m_ownAnswerId);
    return true;
}

QString QuestionCore::ownAnswerText() const
{
    return m_ownAnswerId.isEmpty() ? QString() : m_pages->ownAnswer();
}

void QuestionCore::loadContentRow(const QString &id)
{
    m_explanation = QVariant();
    m_bodyText = QVariant();
    m_contentFailed = false;
    try {
        // A15: the question's text; jx: its explanation.
        QSqlQuery q =
            Db::query(studyData->connection(), u"select A15,jx from tab_exer where A1=?"_s, {id});
        if (q.next()) {
            m_bodyText = q.value(0);
            m_explanation = q.value(1);
        }
    } catch (const Db::DbError &) {
        m_contentFailed = true;
    }
}

void QuestionCore::showQuestionBody(const QString &id)
{
    try {
        if (m_contentFailed)
            throw Db::DbError(u"the question's text cannot be read"_s);
        if (id.contains(u'-')) {
            QSqlQuery stem = Db::query(studyData->connection(),
                                       u"select * from tab_title where A1=:A1"_s, {id.left(16)});
            const QVariant stemText = stem.next() ? stem.value(u"A15"_s) : QVariant();
            m_body->showCompound(stemText, m_bodyText);
        } else {
            m_body->showSingle(m_bodyText);
        }
    } catch (const std::exception &) {
        showPrompt(u"错误"_s, u"无法打开试题！"_s, 1, 2, u"NO"_s);
    }
}

void QuestionCore::showQuestionState(int page)
{
    QuestionRow *row = currentRow();
    if (!row)
        return;
    // In a paper the answer-dependent buttons wait for the review, and there follow the
    // question alone (an unanswered question is shown as wrong).
    const bool open = m_options.paper ? m_review : row->answered();
    if (open) {
        setButtonEnabled(m_buttons.explanation, !m_explanation.isNull());
        setButtonEnabled(m_buttons.points, row->hasPoints());
        setButtonEnabled(m_buttons.answer, Answer::panelAvailable(currentPage()));
    } else {
        // A subjective question is rated against its model answer: in practice the explanation
        // may be read before rating (never in a paper before its review).
        setButtonEnabled(m_buttons.explanation,
                         !m_options.paper && page == Answer::Subjective && !m_explanation.isNull());
        setButtonEnabled(m_buttons.points, false);
        setButtonEnabled(m_buttons.answer, false);
    }
    if (m_buttons.notes)
        m_buttons.notes->setText(row->hasNote() ? u"有内容"_s : u"笔记"_s);
    m_pages->showAnswer(page, row->progress.runAnswer, row->optionCount);
}

void QuestionCore::judgeAndRecord(int record, int page, JudgeMode mode)
{
    if (record <= 0 || record > m_set.count())
        return;
    if (m_review)
        return;
    QuestionRow &row = m_set.row(record);
    const QString answer = m_pages->answerString(page);
    if (m_options.paper)
        QuestionWrites::judgePaper(*studyData, m_options.table, row, answer);
    else
        QuestionWrites::judge(*studyData, m_options.table, row, answer);
    if (answer.isEmpty()) {
        if (mode == Check)
            showPrompt(u"提示"_s, m_options.emptyCheckMessage, 1, 1, u"NO"_s);
        else if (mode == Leave && m_groups.contains(record))
            m_numbers.at(record - m_groups.start)
                ->setAnswerState(NumberButton::Unanswered, m_pictures);
        return;
    }
    if (mode == Check && !m_options.paper) {
        const bool right = isRight(row);
        m_feedbackLabel->setText(Answer::feedbackLine(page, right, row.progress.correct));
        m_feedbackLabel->setStyleSheet(right ? u"color: #1F843C; font-weight: bold;"_s
                                             : u"color: #B0281F; font-weight: bold;"_s);
    }
    if (mode == Check) {
        setButtonEnabled(m_buttons.explanation, !m_explanation.isNull());
        setButtonEnabled(m_buttons.points, row.hasPoints());
        m_numbers.at(record - m_groups.start)->setAnswerState(stateOf(row), m_pictures);
        setButtonEnabled(m_buttons.answer, Answer::panelAvailable(page));
    } else if (mode == Leave && m_groups.contains(record)) {
        m_numbers.at(record - m_groups.start)->setAnswerState(stateOf(row), m_pictures);
    }
}

void QuestionCore::checkAnswer()
{
    if (m_current < 1)
        return;
    saveOwnAnswer();
    guarded([this] { judgeAndRecord(m_current, currentPage(), Check); });
}

void QuestionCore::recordSilently()
{
    if (m_current > 0)
        judgeAndRecord(m_current, currentPage(), Silent);
}

void QuestionCore::toggleAnswerPanel()
{
    QAbstractButton *button = m_buttons.answer;
    QuestionRow *row = currentRow();
    if (!button || !row)
        return;
    if (button->text() == u"答案"_s) {
        const int page = currentPage();
        // The letters come with their option texts: the panel is read without the options.
        const QString text = m_body->questionText();
        const QString mine =
            Answer::withOptionTexts(Answer::panelAnswer(page, m_pages->state()), text);
        const QString correct =
            Answer::withOptionTexts(Answer::panelCorrect(page, row->progress.correct), text);
        // The verdict is the judgement itself, the same in practice and in a paper.
        const bool right = Answer::isRight(m_pages->answerString(page), row->progress.correct);
        button->setText(u"返回"_s);
        m_body->openAnswerPanel(right, mine, correct);
    } else {
        button->setText(u"答案"_s);
        m_body->closeAnswerPanel(true);
    }
}

void QuestionCore::toggleVoid()
{
    QuestionRow *row = currentRow();
    if (m_set.isEmpty() || !row || !m_buttons.voidButton)
        return;
    if (m_buttons.voidButton->text() != u"取消作废"_s) {
        if (guarded([this, row] {
                if (m_options.paper)
                    QuestionWrites::voidPaperQuestion(*studyData, m_options.table, *row);
                else
                    QuestionWrites::voidQuestion(*studyData, m_options.table, *row);
            })) {
            m_statusLabel->setText(u"本题已被您作废！"_s);
            m_buttons.voidButton->setText(u"取消作废"_s);
        }
    } else {
        if (guarded([this, row] {
                if (m_options.paper)
                    QuestionWrites::restorePaperQuestion(*studyData, m_options.table, *row);
                else
                    QuestionWrites::restoreQuestion(*studyData, m_options.table, *row);
            })) {
            m_statusLabel->setText(u"本题曾被作废，现已被您取消！"_s);
            m_buttons.voidButton->setText(m_options.voidCaption);
        }
    }
}

bool QuestionCore::handleKey(QKeyEvent *event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const int page = m_pages->currentIndex();
    const Answer::KeyAction action = Answer::keyAction(page, event->key());
    switch (action.kind) {
    case Answer::KeyAction::Previous:
        if (m_buttons.previous && m_buttons.previous->isEnabled())
            m_buttons.previous->click();
        return true;
    case Answer::KeyAction::Next:
        if (m_buttons.next && m_buttons.next->isEnabled())
            m_buttons.next->click();
        return true;
    case Answer::KeyAction::Option:
        m_pages->pressOption(page, action.option);
        return true;
    case Answer::KeyAction::None:
        break;
    }
    return false;
}

void QuestionCore::previousQuestion()
{
    // From the first question of a group "上一题" shows the previous group from its first
    // question, as "<-上一组" does.
    applyGroupMove(Groups::previousQuestion(m_groups, m_current));
}

void QuestionCore::nextQuestion()
{
    applyGroupMove(Groups::nextQuestion(m_groups, m_current));
}

void QuestionCore::previousGroup()
{
    if (m_groups.hasPrevious())
        applyGroupMove(Groups::previousGroup(m_groups));
}

void QuestionCore::nextGroup()
{
    if (m_groups.hasNext())
        applyGroupMove(Groups::nextGroup(m_groups));
}

void QuestionCore::applyGroupMove(const Groups::Move &move)
{
    switch (move.kind) {
    case Groups::Move::None:
        return;
    case Groups::Move::Press:
        if (move.index >= 0 && move.index < m_numbers.size() &&
            m_numbers.at(move.index)->isEnabled())
            m_numbers.at(move.index)->click();
        return;
    case Groups::Move::PreviousGroup:
        setButtonEnabled(m_buttons.nextGroup, move.nextGroupEnabled);
        setButtonEnabled(m_buttons.previousGroup, move.previousGroupEnabled);
        fillQuestionGroup(2, m_set.count(), move.index < 0 ? 0 : move.index);
        return;
    case Groups::Move::NextGroup:
        setButtonEnabled(m_buttons.previousGroup, move.previousGroupEnabled);
        setButtonEnabled(m_buttons.nextGroup, move.nextGroupEnabled);
        fillQuestionGroup(3, m_set.count(), move.index < 0 ? 0 : move.index);
        return;
    }
}

void QuestionCore::stopGauge()
{
    m_answerTimer->stop();
    m_timeOutPending = false;
}

void QuestionCore::resumeGauge()
{
    if (m_answerGauge->value() < 100)
        m_answerTimer->start();
}

void QuestionCore::reshowEditedQuestion()
{
    QuestionRow *row = currentRow();
    if (!row)
        return;
    if (!guarded(
            [this, row] { QuestionWrites::reloadEdited(*studyData, m_options.table, *row); })) {
        resumeGauge();
        return;
    }
    // Shown as when it is selected, without recording the answer on screen first.
    switchQuestion(0, m_current);
}

void QuestionCore::followAnswerTime()
{
    if (!m_answerTimer->isActive())
        return;
    if (const QuestionRow *row = currentRow())
        m_answerTimer->setInterval(App::answerTimeTable.intervalFor(row->kind));
}

void QuestionCore::restartGauge(int kind)
{
    m_answerTimer->stop();
    m_timeOutPending = false;
    m_answerGauge->setValue(0);
    m_answerTimer->setInterval(App::answerTimeTable.intervalFor(kind));
    m_answerTimer->start();
}

void QuestionCore::gaugeTick()
{
    if (m_answerGauge->value() < 100)
        m_answerGauge->setValue(m_answerGauge->value() + 1);
    if (m_answerGauge->value() < 100)
        return;
    m_answerTimer->stop();
    m_timeOutPending = true;
    timeOut();
}

void QuestionCore::timeOut()
{
    // A prompt already showing is never replaced: the time-out waits until it is answered.
    if (!m_timeOutPending || PromptGate::isShowing())
        return;
    // Nor does it come over a window opened over this one (a note being typed, the explanation
    // or the settings): it waits until that window closes. The gauge stays full meanwhile.
    QWidget *modal = QApplication::activeModalWidget();
    if (modal && modal != m_window && modal->isVisible()) {
        QTimer::singleShot(100, this, &QuestionCore::timeOut);
        return;
    }
    m_timeOutPending = false;
    showPrompt(u"提示"_s, u"到时间了"_s, 1, 1, u"NO"_s);
    if (QuestionRow *row = currentRow())
        guarded([this, row] { QuestionWrites::markTimedOut(*studyData, m_options.table, *row); });
}

void QuestionCore::refreshNote(bool notePresent)
{
    if (QuestionRow *row = currentRow())
        guarded([this, row] { QuestionWrites::reloadNote(*studyData, m_options.table, *row); });
    if (m_buttons.notes)
        m_buttons.notes->setText(notePresent ? u"有内容"_s : u"笔记"_s);
}

void QuestionCore::setStatusLabels(const QuestionRow &row)
{
    m_statusLabel->clear();
    if (m_buttons.voidButton)
        m_buttons.voidButton->setText(m_options.voidCaption);
    if (row.status == 1) {
        m_statusLabel->setText(u"本题已被您作废！"_s);
        if (m_buttons.voidButton)
            m_buttons.voidButton->setText(u"取消作废"_s);
    } else if (row.status == 2) {
        m_statusLabel->setText(u"本题是您加入的题目！"_s);
    }
    if (m_editedLabel)
        m_editedLabel->setText(row.edited() ? u"本题被您修改过"_s : QString());
}

NumberButton::State QuestionCore::stateOf(const QuestionRow &row) const
{
    if (m_options.paper && m_review)
        return !row.answered() ? NumberButton::Skipped
               : isRight(row)  ? NumberButton::Right
                               : NumberButton::Wrong;
    if (!row.answered())
        return NumberButton::Unanswered;
    if (m_options.paper)
        return NumberButton::Answered;
    return isRight(row) ? NumberButton::Right : NumberButton::Wrong;
}

bool QuestionCore::isRight(const QuestionRow &row) const
{
    return row.answered() && Answer::isRight(row.progress.runAnswer, row.progress.correct);
}

int QuestionCore::pageOf(int kind) const
{
    const int page = StudyData::answerPageOfKind(kind);
    if (page == Answer::NoPage && m_options.paper)
        return Answer::Subjective;
    return page;
}

void QuestionCore::setButtonEnabled(QAbstractButton *button, bool enabled)
{
    if (button)
        button->setEnabled(enabled);
}

QuestionRow *QuestionCore::currentRow()
{
    if (m_current <= 0 || m_current > m_set.count())
        return nullptr;
    return &m_set.row(m_current);
}

int QuestionCore::currentPage() const
{
    return m_pages->currentIndex();
}

bool QuestionCore::guarded(const std::function<void()> &work)
{
    try {
        work();
        return true;
    } catch (const std::exception &e) {
        showPrompt(u"错误"_s, Db::failureMessage(e, u"发生错误！"_s), 1, 2, u"NO"_s);
        return false;
    }
}
