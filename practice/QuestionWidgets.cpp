#include "practice/QuestionWidgets.h"

#include "data/AppGlobals.h"
#include "ui/Fonts.h"
#include "ui/RichText.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QColor kInk(0x1F, 0x3A, 0x56);
const QColor kBlue(0x2F, 0x6D, 0xB0);
// Over a graded paper's unanswered number buttons: amber, apart from right green and wrong red.
const QColor kSkippedWash(0xF2, 0xB1, 0x34, 110);
const QColor kRed(0xC6, 0x3A, 0x30);
const QColor kFrame(0x8E, 0xA0, 0xB3);

// The look of the option buttons: square keys that turn blue while pressed.
const char kOptionStyle[] =
    "*[answerOption=\"true\"] { border: 1px solid #8EA0B3; border-radius: 4px;"
    " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #F7F9FB, stop:1 #D3DCE6);"
    " color: #1F3A56; font-weight: bold; padding: 0px 4px; spacing: 0px; }"
    "*[answerOption=\"true\"]:hover { border-color: #2F6DB0; }"
    "*[answerOption=\"true\"]:checked { background: #2F6DB0; color: white;"
    " border-color: #21507E; }"
    "*[answerOption=\"true\"]:disabled { color: #9AA7B4; }"
    "QRadioButton[answerOption=\"true\"]::indicator { width: 0px; height: 0px; border: none;"
    " image: none; background: transparent; }"
    "QLabel[pageCaption=\"true\"] { background: #2F6DB0; color: white; font-weight: bold;"
    " border-radius: 3px; }";

void markOption(QAbstractButton *button)
{
    button->setProperty("answerOption", true);
    button->setCursor(Qt::PointingHandCursor);
}

void drawCaption(QPainter &p, const QRect &r, const QString &text, const QFont &font,
                 const QColor &color)
{
    p.setFont(font);
    p.setPen(color);
    p.drawText(r, Qt::AlignCenter, text);
}

// The picture of a picture button's state, faded when the button is disabled.
void drawStatePicture(QPainter &p, const QAbstractButton &button, const QPixmap &normal,
                      const QPixmap &pressed)
{
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!button.isEnabled())
        p.setOpacity(0.45);
    const QPixmap &pic = button.isChecked() || button.isDown() ? pressed : normal;
    if (!pic.isNull())
        p.drawPixmap(button.rect(), pic);
}

} // namespace

bool loadProgramPicture(const QString &relativePath, QPixmap &picture)
{
    const QString path = App::programFolder + relativePath;
    picture = QPixmap();
    return QFile::exists(path) && picture.load(path) && !picture.isNull();
}

QString StatePictures::fileName(Which which)
{
    static const char *const names[Count] = {
        "pic/vornup.bmp",   "pic/vorndw.bmp",   "pic/vornyes.bmp", "pic/vornno.bmp",
        "pic/vorndw_r.bmp", "pic/vorndw_w.bmp", "pic/vornover.bmp"};
    return QString::fromLatin1(names[which]);
}

bool StatePictures::load(QString *missing, bool withAnswered)
{
    for (int i = 0; i < (withAnswered ? Count : int(Answered)); ++i) {
        if (!loadProgramPicture(fileName(Which(i)), pictures[i])) {
            if (missing)
                *missing = fileName(Which(i));
            return false;
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------------------

NumberButton::NumberButton(const QString &caption, QWidget *parent) : QAbstractButton(parent)
{
    setText(caption);
    setCheckable(true);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(caption);
    setAccessibleDescription(u"未做"_s);
}

void NumberButton::setPictures(const QPixmap &normal, const QPixmap &pressed)
{
    m_normal = normal;
    m_pressed = pressed;
    update();
}

void NumberButton::setAnswerState(State state, const StatePictures &pictures)
{
    m_state = state;
    switch (state) {
    case Unanswered:
        setPictures(pictures[StatePictures::Up], pictures[StatePictures::Down]);
        setAccessibleDescription(u"未做"_s);
        break;
    case Right:
        setPictures(pictures[StatePictures::Right], pictures[StatePictures::RightDown]);
        setAccessibleDescription(u"做对"_s);
        break;
    case Wrong:
        setPictures(pictures[StatePictures::Wrong], pictures[StatePictures::WrongDown]);
        setAccessibleDescription(u"做错"_s);
        break;
    case Answered:
        setPictures(pictures[StatePictures::Answered], pictures[StatePictures::Down]);
        setAccessibleDescription(u"已答"_s);
        break;
    case Skipped:
        // The unanswered pictures under an amber wash (paintEvent): not the red of a wrong
        // answer.
        setPictures(pictures[StatePictures::Up], pictures[StatePictures::Down]);
        setAccessibleDescription(u"未答"_s);
        break;
    }
}

QSize NumberButton::sizeHint() const
{
    return m_normal.isNull() ? QSize(32, 24) : m_normal.size();
}

void NumberButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    drawStatePicture(p, *this, m_normal, m_pressed);
    if (m_state == Skipped)
        p.fillRect(rect().adjusted(2, 2, -2, -2), kSkippedWash);
    QFont font = Fonts::sans(qMax(10, height() / 2), isChecked());
    drawCaption(p, rect(), text(), font, kInk);
    if (hasFocus()) {
        p.setPen(QPen(kBlue, 1, Qt::DotLine));
        p.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

// ---------------------------------------------------------------------------------------------

KindButton::KindButton(const QString &caption, int kind, QWidget *parent)
    : QAbstractButton(parent), m_kind(kind)
{
    setText(caption);
    setCheckable(true);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(caption);
}

void KindButton::setPictures(const QPixmap &normal, const QPixmap &pressed)
{
    m_normal = normal;
    m_pressed = pressed;
    update();
}

QSize KindButton::sizeHint() const
{
    return m_normal.isNull() ? QSize(96, 28) : m_normal.size();
}

void KindButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    drawStatePicture(p, *this, m_normal, m_pressed);
    // Leave room for the accent bar of the pressed picture at the left.
    const QRect textRect = rect().adjusted(8, 0, -4, 0);
    const QFont font = Fonts::sans(qMax(11, height() / 2), isChecked());
    drawCaption(p, textRect, text(), font, isEnabled() ? kInk : QColor(0x80, 0x8C, 0x98));
    if (hasFocus()) {
        p.setPen(QPen(kBlue, 1, Qt::DotLine));
        p.drawRect(rect().adjusted(3, 3, -4, -4));
    }
}

// ---------------------------------------------------------------------------------------------

AnswerGauge::AnswerGauge(QWidget *parent) : QWidget(parent)
{
    setValue(0);
}

void AnswerGauge::setValue(int value)
{
    m_value = qBound(0, value, 100);
    setAccessibleName(u"答题时间 "_s + QString::number(m_value) + u"/100"_s);
    update();
}

void AnswerGauge::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    p.fillRect(frame, QColor(0xDD, 0xE4, 0xEC));
    const QRectF inner = QRectF(frame).adjusted(2, 2, -1, -1);
    const qreal step = inner.height() / 100.0;
    // The filled steps from the bottom: up to 65 in blue, above in red.
    const int calm = qMin(m_value, 65);
    if (calm > 0)
        p.fillRect(QRectF(inner.left(), inner.bottom() - calm * step, inner.width(), calm * step),
                   kBlue);
    if (m_value > 65) {
        const int hot = m_value - 65;
        p.fillRect(QRectF(inner.left(), inner.bottom() - m_value * step, inner.width(), hot * step),
                   kRed);
    }
    // A tick every ten steps.
    p.setPen(QColor(255, 255, 255, 150));
    for (int i = 10; i < 100; i += 10) {
        const qreal y = inner.bottom() - i * step;
        p.drawLine(QPointF(inner.left(), y), QPointF(inner.right(), y));
    }
    p.setPen(kFrame);
    p.drawRect(frame);
}

// ---------------------------------------------------------------------------------------------

AnswerPages::AnswerPages(QWidget *parent) : QStackedWidget(parent)
{
    setObjectName(u"answerPages"_s);
    setStyleSheet(QString::fromLatin1(kOptionStyle));

    // A row of option buttons A..F: the row is named `name` + "s", its buttons `name` + "A" ...
    auto optionRow = [this](const QString &name, bool exclusive,
                            std::array<QAbstractButton *, Answer::OptionCount> &buttons) {
        auto *box = new QWidget;
        box->setObjectName(name + u's');
        auto *row = new QHBoxLayout(box);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(8);
        for (int i = 0; i < Answer::OptionCount; ++i) {
            QAbstractButton *b;
            if (exclusive)
                b = new QRadioButton(Answer::optionCaption(i));
            else {
                auto *push = new QPushButton(Answer::optionCaption(i));
                push->setCheckable(true);
                push->setAutoDefault(false);
                b = push;
            }
            b->setObjectName(name + Answer::optionCaption(i));
            b->setAccessibleName(u"选项 "_s + Answer::optionCaption(i));
            markOption(b);
            row->addWidget(b);
            buttons[i] = b;
        }
        row->addStretch();
        return box;
    };

    QWidget *singleOptions = optionRow(u"singleOption"_s, true, m_single);
    m_singleGroup = new QButtonGroup(this);
    for (QAbstractButton *b : m_single)
        m_singleGroup->addButton(b);
    addWidget(makePage(Answer::Single, singleOptions));
    addWidget(makePage(Answer::Multiple, optionRow(u"multipleOption"_s, false, m_multiple)));

    m_fillInEdit = new QLineEdit;
    m_fillInEdit->setObjectName(u"fillInEdit"_s);
    m_fillInEdit->setAccessibleName(u"填空答案"_s);
    addWidget(makePage(Answer::FillIn, m_fillInEdit));

    auto *trueFalse = new QWidget;
    trueFalse->setObjectName(u"trueFalseOptions"_s);
    auto *trueFalseRow = new QHBoxLayout(trueFalse);
    trueFalseRow->setContentsMargins(0, 0, 0, 0);
    trueFalseRow->setSpacing(12);
    m_rightOption = new QRadioButton(u"对"_s);
    m_wrongOption = new QRadioButton(u"错"_s);
    m_yesNoGroup = new QButtonGroup(this);
    for (QAbstractButton *b : {m_rightOption, m_wrongOption}) {
        b->setObjectName(b == m_rightOption ? u"rightOption"_s : u"wrongOption"_s);
        markOption(b);
        b->setMinimumWidth(64);
        m_yesNoGroup->addButton(b);
        trueFalseRow->addWidget(b);
    }
    trueFalseRow->addStretch();
    addWidget(makePage(Answer::TrueFalse, trueFalse));

    auto *subjective = new QWidget;
    auto *subColumn = new QVBoxLayout(subjective);
    subColumn->setContentsMargins(0, 0, 0, 0);
    subColumn->setSpacing(2);
    auto *subRow = new QHBoxLayout;
    subRow->setContentsMargins(0, 0, 0, 0);
    m_subjectiveChoice = new QComboBox;
    m_subjectiveChoice->setObjectName(u"subjectiveChoice"_s);
    m_subjectiveChoice->setAccessibleName(u"会不会"_s);
    m_subjectiveChoice->addItems({u"不会"_s, u"会"_s});
    m_subjectiveChoice->setCurrentIndex(-1);
    m_subjectiveChoice->setMinimumWidth(120);
    m_subjectiveHint = new QLabel(Answer::subjectiveHint());
    m_subjectiveHint->setObjectName(u"subjectiveHint"_s);
    m_subjectiveHint->setWordWrap(true);
    m_subjectiveHint->setBuddy(m_subjectiveChoice);
    m_subjectiveChoice->setAccessibleDescription(Answer::subjectiveHint());
    subRow->addWidget(m_subjectiveChoice);
    subRow->addWidget(m_subjectiveHint, 1);
    subColumn->addLayout(subRow);
    // The candidate's own answer, read beside the model answer; shown in practice only.
    m_ownAnswerEdit = new QPlainTextEdit;
    m_ownAnswerEdit->setObjectName(u"ownAnswerEdit"_s);
    m_ownAnswerEdit->setAccessibleName(u"我的答案"_s);
    m_ownAnswerEdit->setPlaceholderText(u"我的答案（可在此写下，打开“解析”时对照参考答案）"_s);
    m_ownAnswerEdit->setTabChangesFocus(true);
    m_ownAnswerEdit->setHidden(true);
    subColumn->addWidget(m_ownAnswerEdit);
    addWidget(makePage(Answer::Subjective, subjective, &m_subjectiveCaption));
    m_subjectiveCaption->setObjectName(u"subjectiveCaption"_s);

    addWidget(makePage(Answer::Matching, optionRow(u"matchingOption"_s, false, m_matching)));

    showPage(Answer::Subjective);
    setCompact(false);
}

QWidget *AnswerPages::makePage(int page, QWidget *content, QLabel **captionOut)
{
    auto *w = new QWidget;
    w->setObjectName(u"answerPage"_s + QString::number(page));
    w->setAccessibleName(Answer::pageCaption(page));
    auto *row = new QHBoxLayout(w);
    row->setContentsMargins(0, 2, 0, 2);
    row->setSpacing(10);
    auto *caption = new QLabel(Answer::verticalCaption(page));
    caption->setProperty("pageCaption", true);
    caption->setAlignment(Qt::AlignCenter);
    caption->setAccessibleName(Answer::pageCaption(page));
    row->addWidget(caption);
    row->addWidget(content, 1);
    m_captions.append(caption);
    if (captionOut)
        *captionOut = caption;
    return w;
}

void AnswerPages::setCompact(bool compact)
{
    const int key = compact ? 30 : 36;
    const int height = compact ? 26 : 30;
    for (auto *list : {&m_single, &m_multiple, &m_matching}) {
        for (QAbstractButton *b : *list) {
            b->setMinimumSize(key, height);
            b->setMaximumHeight(height);
            b->setFont(Fonts::sans(compact ? 14 : 16, true));
        }
    }
    for (QAbstractButton *b : {m_rightOption, m_wrongOption}) {
        b->setMinimumHeight(height);
        b->setMaximumHeight(height);
        b->setFont(Fonts::sans(compact ? 14 : 16, true));
    }
    m_fillInEdit->setFont(Fonts::song(compact ? 14 : 16));
    m_fillInEdit->setMinimumHeight(height);
    m_subjectiveChoice->setFont(Fonts::sans(compact ? 13 : 15));
    m_subjectiveChoice->setMinimumHeight(height);
    m_subjectiveHint->setFont(Fonts::sans(compact ? 12 : 13));
    m_ownAnswerEdit->setFont(Fonts::song(compact ? 13 : 14));
    m_ownAnswerEdit->setFixedHeight(compact ? 42 : 50);
    for (QLabel *c : m_captions) {
        c->setFont(Fonts::sans(compact ? 11 : 12, true));
        c->setFixedWidth(compact ? 20 : 22);
    }
}

void AnswerPages::showPage(int page)
{
    if (page < 0 || page >= Answer::PageCount)
        return;
    setCurrentIndex(page);
    setToolTip(Answer::pageHint(page));
}

Answer::WidgetState AnswerPages::state() const
{
    Answer::WidgetState s;
    int visible = 0;
    const int page = currentIndex();
    for (int i = 0; i < Answer::OptionCount; ++i) {
        s.single[i] = m_single[i]->isChecked();
        s.multiple[i] = m_multiple[i]->isChecked();
        s.matching[i] = m_matching[i]->isChecked();
        const auto &shown = page == Answer::Multiple   ? m_multiple
                            : page == Answer::Matching ? m_matching
                                                       : m_single;
        if (!shown[i]->isHidden())
            visible = i + 1;
    }
    s.visibleOptions = visible;
    s.fillIn = m_fillInEdit->text();
    s.right = m_rightOption->isChecked();
    s.wrong = m_wrongOption->isChecked();
    s.subjective = m_subjectiveChoice->currentIndex();
    return s;
}

QString AnswerPages::answerString(int page) const
{
    Answer::WidgetState s = state();
    // Only the options shown on the page that is read count.
    const auto &shown = page == Answer::Multiple   ? m_multiple
                        : page == Answer::Matching ? m_matching
                                                   : m_single;
    s.visibleOptions = 0;
    for (int i = 0; i < Answer::OptionCount; ++i) {
        if (!shown[i]->isHidden())
            s.visibleOptions = i + 1;
    }
    return Answer::answerString(page, s);
}

void AnswerPages::showAnswer(int page, const QString &runAnswer, int optionCount)
{
    Answer::WidgetState s = state();
    Answer::showAnswer(page, runAnswer, optionCount, s);
    applyState(page, s);
}

void AnswerPages::pressOption(int page, int option)
{
    Answer::WidgetState s = state();
    Answer::pressOption(page, option, s);
    applyState(page, s);
}

void AnswerPages::applyState(int page, const Answer::WidgetState &s)
{
    auto setOptions = [&s](std::array<QAbstractButton *, Answer::OptionCount> &buttons,
                           const std::array<bool, Answer::OptionCount> &pressed,
                           QButtonGroup *group) {
        if (group)
            group->setExclusive(false);
        const int visible = Answer::visibleOptions(s.visibleOptions);
        for (int i = 0; i < Answer::OptionCount; ++i) {
            buttons[i]->setChecked(pressed[i]);
            buttons[i]->setHidden(i >= visible);
        }
        if (group)
            group->setExclusive(true);
    };
    switch (page) {
    case Answer::Single:
        setOptions(m_single, s.single, m_singleGroup);
        break;
    case Answer::Multiple:
        setOptions(m_multiple, s.multiple, nullptr);
        break;
    case Answer::Matching:
        setOptions(m_matching, s.matching, nullptr);
        break;
    case Answer::FillIn:
        m_fillInEdit->setText(s.fillIn);
        break;
    case Answer::TrueFalse:
        m_yesNoGroup->setExclusive(false);
        m_rightOption->setChecked(s.right);
        m_wrongOption->setChecked(s.wrong);
        m_yesNoGroup->setExclusive(true);
        break;
    case Answer::Subjective:
        m_subjectiveChoice->setCurrentIndex(s.subjective);
        break;
    default:
        break;
    }
}

void AnswerPages::setSubjectiveCaption(const QString &caption)
{
    m_subjectiveCaption->setText(caption);
}

QString AnswerPages::subjectiveCaption() const
{
    return m_subjectiveCaption->text();
}

void AnswerPages::setAnswerEnabled(bool enabled)
{
    for (int i = 0; i < count(); ++i) {
        for (QWidget *w : widget(i)->findChildren<QWidget *>()) {
            if (!qobject_cast<QLabel *>(w))
                w->setEnabled(enabled);
        }
    }
}

void AnswerPages::setOwnAnswerShown(bool shown)
{
    m_ownAnswerEdit->setHidden(!shown);
}

bool AnswerPages::ownAnswerShown() const
{
    return !m_ownAnswerEdit->isHidden();
}

QString AnswerPages::ownAnswer() const
{
    return m_ownAnswerEdit->toPlainText();
}

void AnswerPages::setOwnAnswer(const QString &text)
{
    m_ownAnswerEdit->setPlainText(text);
}

void AnswerPages::setOwnAnswerEnabled(bool enabled)
{
    m_ownAnswerEdit->setEnabled(enabled);
}

QAbstractButton *AnswerPages::option(int page, int index) const
{
    if (index < 0 || index >= Answer::OptionCount)
        return nullptr;
    switch (page) {
    case Answer::Single:
        return m_single[index];
    case Answer::Multiple:
        return m_multiple[index];
    case Answer::Matching:
        return m_matching[index];
    default:
        return nullptr;
    }
}

// ---------------------------------------------------------------------------------------------

QuestionBody::QuestionBody(QWidget *parent) : QWidget(parent)
{
    m_paneSplitter = new QSplitter(Qt::Vertical, this);
    m_paneSplitter->setObjectName(u"paneSplitter"_s);
    m_paneSplitter->setChildrenCollapsible(true);
    m_paneSplitter->setStyleSheet(u"QSplitter::handle { background: #B4C3D2; }"_s);
    auto makePane = [this](const QString &name, const QString &accessible) {
        auto *pane = new QTextBrowser;
        pane->setObjectName(name);
        pane->setAccessibleName(accessible);
        pane->setReadOnly(true);
        pane->setOpenLinks(false);
        pane->setFocusPolicy(Qt::ClickFocus);
        pane->setStyleSheet(u"QTextBrowser { background: white; border: 1px solid #8EA0B3; }"_s);
        m_paneSplitter->addWidget(pane);
        return pane;
    };
    m_upperPane = makePane(u"upperPane"_s, u"题目"_s);
    m_lowerPane = makePane(u"lowerPane"_s, u"小题"_s);
    m_paneSplitter->setSizes({1, 0});
    m_paneSplitter->setHandleWidth(0);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_paneSplitter);

    // The answer panel is a strip under the panes: it slides in from the left while the panes
    // make room for it, so the question stays readable beside the answers.
    m_answerPanel = new QFrame(this);
    m_answerPanel->setObjectName(u"answerPanel"_s);
    m_answerPanel->setAccessibleName(u"答案"_s);
    m_answerPanel->setStyleSheet(
        u"QFrame#answerPanel { background: #FFFBEA; border: 1px solid #C9B458; }"_s);
    m_verdictLabel = new QLabel(m_answerPanel);
    m_verdictLabel->setObjectName(u"verdictLabel"_s);
    m_verdictLabel->setAlignment(Qt::AlignCenter);
    auto *yours = new QLabel(u"你的答案："_s, m_answerPanel);
    auto *correct = new QLabel(u"正确答案："_s, m_answerPanel);
    m_yourAnswerText = new QPlainTextEdit(m_answerPanel);
    m_yourAnswerText->setObjectName(u"yourAnswerText"_s);
    m_yourAnswerText->setAccessibleName(u"你的答案"_s);
    m_correctAnswerText = new QPlainTextEdit(m_answerPanel);
    m_correctAnswerText->setObjectName(u"correctAnswerText"_s);
    m_correctAnswerText->setAccessibleName(u"正确答案"_s);
    for (QPlainTextEdit *m : {m_yourAnswerText, m_correctAnswerText}) {
        m->setReadOnly(true);
        m->setStyleSheet(u"QPlainTextEdit { background: white; border: 1px solid #C9B458; }"_s);
    }
    yours->setObjectName(u"yourAnswerCaption"_s);
    correct->setObjectName(u"correctAnswerCaption"_s);
    auto *panelLayout = new QGridLayout(m_answerPanel);
    panelLayout->setContentsMargins(12, 6, 12, 8);
    panelLayout->setVerticalSpacing(4);
    panelLayout->setHorizontalSpacing(6);
    panelLayout->addWidget(m_verdictLabel, 0, 0, 1, 4);
    panelLayout->addWidget(yours, 1, 0, Qt::AlignTop);
    panelLayout->addWidget(m_yourAnswerText, 1, 1);
    panelLayout->addWidget(correct, 1, 2, Qt::AlignTop);
    panelLayout->addWidget(m_correctAnswerText, 1, 3);
    panelLayout->setColumnStretch(1, 1);
    panelLayout->setColumnStretch(3, 1);
    m_answerPanel->setGeometry(0, height(), 0, 0);
    m_answerPanel->hide();

    m_slideTimer = new QTimer(this);
    m_slideTimer->setInterval(15);
    connect(m_slideTimer, &QTimer::timeout, this, &QuestionBody::slideStep);
    setCompact(false);
}

void QuestionBody::setCompact(bool compact)
{
    m_compact = compact;
    const QFont text = Fonts::song(compact ? 14 : 16);
    m_upperPane->setFont(text);
    m_lowerPane->setFont(text);
    m_verdictLabel->setFont(Fonts::sans(compact ? 16 : 20, true));
    for (QLabel *l : m_answerPanel->findChildren<QLabel *>()) {
        if (l != m_verdictLabel)
            l->setFont(Fonts::sans(compact ? 13 : 15));
    }
    m_yourAnswerText->setFont(Fonts::song(compact ? 14 : 16));
    m_correctAnswerText->setFont(Fonts::song(compact ? 14 : 16));
}

int QuestionBody::lowerPaneHeight() const
{
    const QList<int> sizes = m_paneSplitter->sizes();
    return sizes.size() > 1 ? sizes.at(1) : 0;
}

int QuestionBody::answerPanelHeight() const
{
    return qMin(height() / 2, m_compact ? 112 : 132);
}

void QuestionBody::placeAnswerPanel(int width)
{
    const int h = answerPanelHeight();
    m_answerPanel->setGeometry(0, height() - h, width, h);
}

void QuestionBody::makeRoomForPanel(bool room)
{
    layout()->setContentsMargins(0, 0, 0, room ? answerPanelHeight() + 4 : 0);
}

QString QuestionBody::questionText() const
{
    // A compound question's options are in its own (lower) pane.
    return (m_compound ? m_lowerPane : m_upperPane)->toPlainText();
}

void QuestionBody::showSingle(const QVariant &body)
{
    m_compound = false;
    const int total = qMax(1, m_paneSplitter->height());
    m_paneSplitter->setHandleWidth(0);
    m_paneSplitter->setSizes({total, 0});
    RichText::show(m_upperPane, body);
    m_lowerPane->clear();
}

void QuestionBody::showCompound(const QVariant &stem, const QVariant &body)
{
    m_compound = true;
    if (lowerPaneHeight() <= 0 || m_paneSplitter->handleWidth() <= 0) {
        const int total = qMax(m_paneSplitter->height(), 300);
        m_paneSplitter->setHandleWidth(6);
        m_paneSplitter->setSizes({qMax(1, total - 150 - 6), 150});
    }
    RichText::show(m_upperPane, stem);
    RichText::show(m_lowerPane, body);
}

void QuestionBody::clearPanes()
{
    m_upperPane->clear();
    m_lowerPane->clear();
}

void QuestionBody::openAnswerPanel(bool right, const QString &yourAnswer, const QString &correct)
{
    m_verdictLabel->setText(Answer::panelVerdict(right));
    m_verdictLabel->setStyleSheet(right ? u"color: #1F843C;"_s : u"color: #B0281F;"_s);
    m_yourAnswerText->setPlainText(yourAnswer);
    m_correctAnswerText->setPlainText(correct);
    m_panelOpen = true;
    m_step = 0;
    placeAnswerPanel(m_answerPanel->isVisible() ? m_answerPanel->width() : 0);
    makeRoomForPanel(true);
    m_answerPanel->show();
    m_answerPanel->raise();
    m_slideTimer->start();
}

void QuestionBody::closeAnswerPanel(bool animated)
{
    m_panelOpen = false;
    m_step = 0;
    if (!animated || !m_answerPanel->isVisible()) {
        m_slideTimer->stop();
        placeAnswerPanel(0);
        m_answerPanel->hide();
        makeRoomForPanel(false);
        return;
    }
    m_slideTimer->start();
}

int QuestionBody::answerPanelWidth() const
{
    return m_answerPanel->isVisible() ? m_answerPanel->width() : 0;
}

void QuestionBody::slideStep()
{
    // Each step moves 20 pixels more than the one before.
    m_step += 20;
    if (m_panelOpen) {
        const int w = qMin(width(), m_answerPanel->width() + m_step);
        placeAnswerPanel(w);
        if (w >= width())
            m_slideTimer->stop();
    } else {
        const int w = qMax(0, m_answerPanel->width() - m_step);
        placeAnswerPanel(w);
        if (w <= 0) {
            m_slideTimer->stop();
            m_answerPanel->hide();
            makeRoomForPanel(false);
        }
    }
}

void QuestionBody::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_answerPanel->isVisible()) {
        const int w = m_panelOpen && !m_slideTimer->isActive()
                          ? width()
                          : qMin(width(), m_answerPanel->width());
        placeAnswerPanel(w);
        makeRoomForPanel(true);
    }
}

// ---------------------------------------------------------------------------------------------

RunClock::RunClock(QLabel *label, QObject *parent)
    : QObject(parent), m_label(label), m_timer(new QTimer(this))
{
    auto monotonic = std::make_shared<QElapsedTimer>();
    monotonic->start();
    m_now = [monotonic] { return monotonic->elapsed(); };
    m_timer->setInterval(1000);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &RunClock::tick);
    m_label->setText(format(0));
}

void RunClock::setTimeSource(TimeSource source)
{
    m_now = std::move(source);
}

QString RunClock::format(qint64 seconds)
{
    return QString::number(seconds / 3600) + u':' +
           QString::number(seconds % 3600 / 60).rightJustified(2, u'0') + u':' +
           QString::number(seconds % 60).rightJustified(2, u'0');
}

qint64 RunClock::runningSeconds(int allowanceMs) const
{
    return m_stoppedSeconds + (m_now() - m_startMs + allowanceMs) / 1000;
}

void RunClock::start()
{
    m_stoppedSeconds = 0;
    m_startMs = m_now();
    m_running = true;
    m_label->setText(format(0));
    m_timer->start();
}

QString RunClock::stop()
{
    if (m_running) {
        m_stoppedSeconds = runningSeconds(0);
        m_running = false;
        m_timer->stop();
        m_label->setText(format(m_stoppedSeconds));
    }
    return m_label->text();
}

void RunClock::resume()
{
    if (m_running)
        return;
    m_startMs = m_now();
    m_running = true;
    m_timer->start();
}

QString RunClock::text() const
{
    return m_label->text();
}

void RunClock::tick()
{
    if (!m_running)
        return;
    // A tick may come a few milliseconds before the full second it stands for.
    m_label->setText(format(runningSeconds(50)));
    emit ticked();
}

// ---------------------------------------------------------------------------------------------

ClockAnimation::ClockAnimation(QWidget *parent) : QWidget(parent), m_timer(new QTimer(this))
{
    setObjectName(u"clockAnimation"_s);
    setAccessibleName(u"计时动画"_s);
    m_timer->setInterval(120);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_angle = (m_angle + 30) % 360;
        update();
    });
}

void ClockAnimation::start()
{
    m_timer->start();
}

void ClockAnimation::stop()
{
    m_timer->stop();
}

void ClockAnimation::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int side = qMin(width(), height()) - 4;
    const QRectF r((width() - side) / 2.0, (height() - side) / 2.0, side, side);
    p.setPen(QPen(QColor(0xB4, 0xC3, 0xD2), 3));
    p.drawEllipse(r);
    p.setPen(QPen(kBlue, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(r, (90 - m_angle) * 16, -90 * 16);
    // The clock's hands.
    p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap));
    const QPointF c = r.center();
    p.drawLine(c, c + QPointF(0, -side * 0.3));
    p.drawLine(c, c + QPointF(side * 0.22, 0));
}
