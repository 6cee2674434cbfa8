#include "authoring/AuthoringWidgets.h"

#include "authoring/Authoring.h"
#include "authoring/PointPicker.h"
#include "authoring/RichEditor.h"
#include "data/AppGlobals.h"
#include "data/StudyData.h"
#include "ui/Fonts.h"
#include "ui/MessageBox.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSpinBox>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

PointList::PointList(QWidget *parent) : QListWidget(parent)
{
    setObjectName(u"pointList"_s);
    setAccessibleName(u"对应考点"_s);
    setToolTip(u"点击\"Delete\"键可以删除考点"_s);
    m_codeList = new QListWidget(parent);
    m_codeList->setObjectName(u"pointCodeList"_s);
    m_codeList->hide();
}

void PointList::addPoint(const QString &code, const QString &text)
{
    // The whole text as a tip: long group names and titles do not fit the column.
    auto *item = new QListWidgetItem(text, this);
    item->setToolTip(text);
    m_codeList->addItem(code);
}

bool PointList::hasCode(const QString &code) const
{
    return codes().contains(code, Qt::CaseInsensitive);
}

QStringList PointList::codes() const
{
    QStringList list;
    for (int i = 0; i < m_codeList->count(); ++i)
        list.append(m_codeList->item(i)->text());
    return list;
}

void PointList::removePoint(int row)
{
    if (row < 0 || row >= count())
        return;
    delete takeItem(row);
    delete m_codeList->takeItem(row);
}

void PointList::clearPoints()
{
    clear();
    m_codeList->clear();
}

void PointList::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        removePoint(currentRow());
        return;
    }
    QListWidget::keyPressEvent(event);
}

AnswerEdit::AnswerEdit(QWidget *parent) : QLineEdit(parent)
{
    setObjectName(u"answerEdit"_s);
    setMaxLength(100);
    connect(this, &QLineEdit::textEdited, this, [this](const QString &text) {
        const QString upper = text.toUpper();
        if (upper == text)
            return;
        const int at = cursorPosition();
        setText(upper);
        setCursorPosition(at);
    });
}

namespace {

const QColor kBlue(0x2F, 0x6D, 0xB0);
const QColor kBlueDeep(0x21, 0x50, 0x7E);

const char kStyle[] =
    "QLabel { color: #1F3A56; }"
    "QLabel#captionLabel { color: white; font-weight: bold; }"
    "QLabel[hint=\"true\"] { color: #5A6B7C; }"
    "QPushButton { color: #1F3A56; background: qlineargradient(x1:0,y1:0,x2:0,y2:1,"
    " stop:0 #FFFFFF, stop:1 #DCE6F0); border: 1px solid #8EA7C0; border-radius: 5px;"
    " padding: 1px 8px; }"
    "QPushButton:hover { background: qlineargradient(x1:0,y1:0,x2:0,y2:1,"
    " stop:0 #FFFFFF, stop:1 #C9DAEC); border-color: #2F6DB0; }"
    "QPushButton:focus { border-color: #2F6DB0; }"
    "QPushButton:pressed { background: #BFD3E8; }"
    "QTextEdit, QListWidget { background: white; border: 1px solid #8EA7C0; }";

} // namespace

AuthoringDialog::AuthoringDialog(const QString &name, const QString &title,
                                 const Captions &captions, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(name);
    setWindowTitle(title);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    setStyleSheet(QString::fromLatin1(kStyle));
    m_compact = App::displayMode == u"800"_s;
    m_fullMessage = captions.pointsFull;

    m_captionLabel = new QLabel(title, this);
    m_captionLabel->setObjectName(u"captionLabel"_s);

    m_kindBox = new QComboBox(this);
    m_kindBox->setObjectName(u"kindBox"_s);
    m_kindBox->setAccessibleName(u"题型"_s);
    connect(m_kindBox, &QComboBox::currentIndexChanged, this, [this] { kindChanged(); });
    m_optionCountBox = new QSpinBox(this);
    m_optionCountBox->setObjectName(u"optionCountBox"_s);
    m_optionCountBox->setRange(1, 7);
    m_answerEdit = new AnswerEdit(this);
    m_pointList = new PointList(this);
    m_addPointsButton = new QPushButton(u"添加考点"_s, this);
    m_addPointsButton->setObjectName(u"addPointsButton"_s);
    m_addPointsButton->setAutoDefault(false);

    auto caption = [this](const QString &text, QWidget *buddy) {
        auto *l = new QLabel(text, this);
        l->setBuddy(buddy);
        m_captions.append(l);
        return l;
    };
    m_optionCountBox->setAccessibleName(captions.options);
    m_answerEdit->setAccessibleName(captions.answer);

    auto *fields = new QGridLayout;
    fields->setContentsMargins(0, 0, 0, 0);
    fields->setHorizontalSpacing(4);
    fields->addWidget(caption(captions.kind, m_kindBox), 0, 0);
    fields->addWidget(m_kindBox, 0, 1);
    fields->addWidget(caption(captions.options, m_optionCountBox), 1, 0);
    fields->addWidget(m_optionCountBox, 1, 1);
    fields->addWidget(caption(captions.answer, m_answerEdit), 2, 0);
    fields->addWidget(m_answerEdit, 2, 1);
    fields->setColumnStretch(1, 1);

    m_hint = new QLabel(u"点击\"Delete\"键可以删除考点"_s, this);
    m_hint->setProperty("hint", true);
    m_buttonBlock = new QWidget(this);
    auto *block = new QGridLayout(m_buttonBlock);
    block->setContentsMargins(0, 0, 0, 0);

    auto *right = new QVBoxLayout;
    right->setContentsMargins(0, 0, 0, 0);
    right->addLayout(fields);
    right->addWidget(caption(captions.points, m_pointList));
    right->addWidget(m_pointList, 1);
    right->addWidget(m_hint);
    right->addWidget(m_addPointsButton);
    right->addSpacing(8);
    right->addWidget(m_buttonBlock);
    m_statusLabel = new QLabel(this);
    m_statusLabel->setObjectName(u"statusLabel"_s);
    m_statusLabel->setWordWrap(true);
    right->addWidget(m_statusLabel);
    auto *rightBox = new QWidget(this);
    rightBox->setObjectName(u"fieldColumn"_s);
    rightBox->setLayout(right);
    rightBox->setFixedWidth(m_compact ? 230 : 270);

    m_left = new QVBoxLayout;
    m_left->setContentsMargins(0, 0, 0, 0);
    auto *body = new QHBoxLayout;
    body->addLayout(m_left, 1);
    body->addWidget(rightBox);

    auto *root = new QVBoxLayout(this);
    const int margin = m_compact ? 8 : 14;
    root->setContentsMargins(margin, 0, margin, margin);
    root->setSpacing(m_compact ? 6 : 10);
    m_captionLabel->setFixedHeight(m_compact ? 32 : 40);
    root->addWidget(m_captionLabel);
    root->addLayout(body, 1);

    connect(m_addPointsButton, &QPushButton::clicked, this,
            [this] { AuthoringUi::addExamPoints(this, m_pointList, m_fullMessage); });
}

RichEditor *AuthoringDialog::addEditor(const QString &editorName, const QString &caption,
                                       int stretch)
{
    // Caption and editor in one box, so that a window can hide both together.
    auto *box = new QWidget(this);
    box->setObjectName(editorName + u"Panel"_s);
    auto *v = new QVBoxLayout(box);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(2);
    auto *editor = new RichEditor(editorName, caption.chopped(1), box);
    auto *label = new QLabel(caption, box);
    label->setBuddy(editor->editor());
    m_captions.append(label);
    v->addWidget(label);
    v->addWidget(editor, 1);
    m_left->addWidget(box, stretch);
    m_editors.append(editor);
    return editor;
}

QPushButton *AuthoringDialog::addButton(const QString &name, const QString &caption)
{
    auto *b = new QPushButton(caption, m_buttonBlock);
    b->setObjectName(name);
    b->setAutoDefault(false);
    auto *grid = static_cast<QGridLayout *>(m_buttonBlock->layout());
    const int i = int(m_buttons.size());
    grid->addWidget(b, i / 2, i % 2);
    m_buttons.append(b);
    return b;
}

void AuthoringDialog::applyLayout()
{
    const bool c = m_compact;
    setFixedSize(c ? QSize(780, 550) : QSize(920, 650));
    m_captionLabel->setFont(Fonts::sans(c ? 16 : 19, true));
    const QFont captionFont = Fonts::sans(c ? 13 : 14, true);
    for (QLabel *l : std::as_const(m_captions))
        l->setFont(captionFont);
    const QFont fieldFont = Fonts::sans(c ? 13 : 14);
    for (QWidget *w :
         std::initializer_list<QWidget *>{m_kindBox, m_optionCountBox, m_answerEdit, m_pointList})
        w->setFont(fieldFont);
    const int h = c ? 26 : 30;
    for (QWidget *w : std::initializer_list<QWidget *>{m_kindBox, m_optionCountBox, m_answerEdit})
        w->setFixedHeight(h);
    m_hint->setFont(Fonts::sans(c ? 11 : 12));
    m_statusLabel->setFont(Fonts::sans(c ? 13 : 14, true));
    const QFont buttonFont = Fonts::sans(c ? 13 : 15, true);
    for (QPushButton *b : m_buttons + QList<QPushButton *>{m_addPointsButton}) {
        b->setFont(buttonFont);
        b->setFixedHeight(c ? 28 : 34);
    }
    for (RichEditor *e : std::as_const(m_editors))
        e->setCompact(c);

    // Keyboard order: the editors top to bottom, the fields, the points, the buttons.
    QList<QWidget *> chain;
    for (RichEditor *e : std::as_const(m_editors))
        chain.append(e->editor());
    chain += {m_kindBox, m_optionCountBox, m_answerEdit, m_pointList, m_addPointsButton};
    for (QPushButton *b : std::as_const(m_buttons))
        chain.append(b);
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain.at(i - 1), chain.at(i));
}

void AuthoringDialog::loadKinds()
{
    m_kinds = Authoring::readKinds(studyData->connection(), App::paperKind());
    const QSignalBlocker quiet(m_kindBox);
    m_kindBox->clear();
    for (const Authoring::Kind &k : std::as_const(m_kinds))
        m_kindBox->addItem(k.name, k.number);
}

int AuthoringDialog::selectedKind() const
{
    return m_kindBox->currentIndex() < 0 ? -1 : m_kindBox->currentData().toInt();
}

QString AuthoringDialog::selectedKindName() const
{
    return m_kindBox->currentText();
}

bool AuthoringDialog::selectKindQuietly(int kindNumber)
{
    const QSignalBlocker quiet(m_kindBox);
    m_kindBox->setCurrentIndex(m_kindBox->findData(kindNumber));
    return m_kindBox->currentIndex() >= 0;
}

namespace {

QStringList fieldState(const QLineEdit *answer, int kind, int options, const PointList *points)
{
    return QStringList{answer->text(), QString::number(kind), QString::number(options)} +
           points->codes();
}

} // namespace

void AuthoringDialog::markUnchanged()
{
    m_unchangedFields =
        fieldState(m_answerEdit, selectedKind(), m_optionCountBox->value(), m_pointList);
    for (RichEditor *e : std::as_const(m_editors))
        e->editor()->document()->setModified(false);
}

bool AuthoringDialog::hasUnsavedChanges() const
{
    if (fieldState(m_answerEdit, selectedKind(), m_optionCountBox->value(), m_pointList) !=
        m_unchangedFields)
        return true;
    for (const RichEditor *e : m_editors) {
        if (e->editor()->document()->isModified())
            return true;
    }
    return false;
}

bool AuthoringDialog::confirmDiscard()
{
    if (!hasUnsavedChanges())
        return true;
    return showMessageBox(this, u"提示"_s, m_discardQuestion, QMessageBox::Question,
                          QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

void AuthoringDialog::reject()
{
    if (confirmDiscard())
        QDialog::reject();
}

void AuthoringDialog::setStatus(const QString &text)
{
    m_statusLabel->setText(text);
}

void AuthoringDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_centred || event->spontaneous())
        return;
    m_centred = true;
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void AuthoringDialog::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect r = rect();
    QLinearGradient body(0, 0, 0, r.height());
    body.setColorAt(0, QColor(0xF4, 0xF7, 0xFA));
    body.setColorAt(1, QColor(0xE3, 0xEA, 0xF1));
    p.fillRect(r, body);
    const int strip = m_captionLabel->geometry().bottom() + 1;
    QLinearGradient title(0, 0, 0, strip);
    title.setColorAt(0, kBlue);
    title.setColorAt(1, kBlueDeep);
    p.fillRect(QRect(0, 0, r.width(), strip), title);
    p.setPen(QPen(kBlueDeep, 1));
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

namespace AuthoringUi {

void applyKindRule(QSpinBox *options, QLineEdit *answer, const QString &kindName,
                   bool clearOtherwise)
{
    options->setEnabled(true);
    answer->setEnabled(true);
    if (Authoring::isLockedKindName(kindName)) {
        options->setValue(1);
        answer->setText(u"1"_s);
        options->setEnabled(false);
        answer->setEnabled(false);
    } else if (clearOtherwise) {
        answer->clear();
    }
}

void addExamPoints(QWidget *parent, PointList *list, const QString &fullMessage)
{
    if (list->count() >= PointList::kMaxPoints) {
        showMessageBox(parent, u"提示"_s, fullMessage, QMessageBox::Information);
        return;
    }
    PointPicker picker(parent);
    picker.setPage(PointPicker::PickPage);
    picker.setLinkedCodes(list->codes());
    picker.setLinkedCount(list->count());
    if (picker.exec() != QDialog::Accepted)
        return;
    const QString group = picker.groupName();
    for (const PointPicker::Picked &p : picker.pickedPoints()) {
        if (!list->hasCode(p.code))
            list->addPoint(p.code, group + u'[' + p.title + u']');
    }
}

void showUsage(QWidget *parent)
{
    PointPicker picker(parent);
    picker.setPage(PointPicker::UsagePage);
    picker.exec();
}

} // namespace AuthoringUi
