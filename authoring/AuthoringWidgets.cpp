#include "authoring/AuthoringWidgets.h"

#include "authoring/RichEditor.h"
#include "authoring/PointPicker.h"
#include "authoring/Authoring.h"
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
#include <QTextEdit>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

PointList::PointList(QWidget *parent) : QListWidget(parent)
{
    setObjectName(u"ListBox1"_s);
    setAccessibleName(u"对应考点"_s);
    setToolTip(u"点击\"Delete\"键可以删除考点"_s);
    m_codes = new QListWidget(parent);
    m_codes->setObjectName(u"ListBox2"_s);
    m_codes->hide();
}

void PointList::addPoint(const QString &code, const QString &text)
{
    // The whole text as a tip: long group names and titles do not fit the column.
    auto *item = new QListWidgetItem(text, this);
    item->setToolTip(text);
    m_codes->addItem(code);
}

bool PointList::hasCode(const QString &code) const
{
    return codes().contains(code, Qt::CaseInsensitive);
}

QStringList PointList::codes() const
{
    QStringList list;
    for (int i = 0; i < m_codes->count(); ++i)
        list.append(m_codes->item(i)->text());
    return list;
}

void PointList::removePoint(int row)
{
    if (row < 0 || row >= count())
        return;
    delete takeItem(row);
    delete m_codes->takeItem(row);
}

void PointList::clearPoints()
{
    clear();
    m_codes->clear();
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
    setObjectName(u"Edit1"_s);
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
    "QLabel#Lb_cap { color: white; font-weight: bold; }"
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

    Lb_cap = new QLabel(title, this);
    Lb_cap->setObjectName(u"Lb_cap"_s);

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(u"ComboBox1"_s);
    ComboBox1->setAccessibleName(u"题型"_s);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Change(); });
    SE_Num = new QSpinBox(this);
    SE_Num->setObjectName(u"SE_Num"_s);
    SE_Num->setRange(1, 7);
    Edit1 = new AnswerEdit(this);
    ListBox1 = new PointList(this);
    BtnAddFg = new QPushButton(u"添加考点"_s, this);
    BtnAddFg->setObjectName(u"BtnAddFg"_s);
    BtnAddFg->setAutoDefault(false);

    auto caption = [this](const QString &text, QWidget *buddy) {
        auto *l = new QLabel(text, this);
        l->setBuddy(buddy);
        m_captions.append(l);
        return l;
    };
    SE_Num->setAccessibleName(captions.options);
    Edit1->setAccessibleName(captions.answer);

    auto *fields = new QGridLayout;
    fields->setContentsMargins(0, 0, 0, 0);
    fields->setHorizontalSpacing(4);
    fields->addWidget(caption(captions.kind, ComboBox1), 0, 0);
    fields->addWidget(ComboBox1, 0, 1);
    fields->addWidget(caption(captions.options, SE_Num), 1, 0);
    fields->addWidget(SE_Num, 1, 1);
    fields->addWidget(caption(captions.answer, Edit1), 2, 0);
    fields->addWidget(Edit1, 2, 1);
    fields->setColumnStretch(1, 1);

    m_hint = new QLabel(u"点击\"Delete\"键可以删除考点"_s, this);
    m_hint->setProperty("hint", true);
    m_buttonBlock = new QWidget(this);
    auto *block = new QGridLayout(m_buttonBlock);
    block->setContentsMargins(0, 0, 0, 0);

    auto *right = new QVBoxLayout;
    right->setContentsMargins(0, 0, 0, 0);
    right->addLayout(fields);
    right->addWidget(caption(captions.points, ListBox1));
    right->addWidget(ListBox1, 1);
    right->addWidget(m_hint);
    right->addWidget(BtnAddFg);
    right->addSpacing(8);
    right->addWidget(m_buttonBlock);
    auto *rightBox = new QWidget(this);
    rightBox->setObjectName(u"FieldColumn"_s);
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
    Lb_cap->setFixedHeight(m_compact ? 32 : 40);
    root->addWidget(Lb_cap);
    root->addLayout(body, 1);

    connect(BtnAddFg, &QPushButton::clicked, this, [this] {
        AuthoringUi::addExamPoints(this, ListBox1, m_fullMessage);
    });
}

RichEditor *AuthoringDialog::addEditor(const QString &editorName, const QString &caption,
                                         int stretch)
{
    // Caption and editor in one box, so that a window can hide both together.
    auto *box = new QWidget(this);
    box->setObjectName(editorName + u"_panel"_s);
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
    Lb_cap->setFont(Fonts::sans(c ? 16 : 19, true));
    const QFont captionFont = Fonts::sans(c ? 13 : 14, true);
    for (QLabel *l : std::as_const(m_captions))
        l->setFont(captionFont);
    const QFont fieldFont = Fonts::sans(c ? 13 : 14);
    for (QWidget *w : std::initializer_list<QWidget *>{ComboBox1, SE_Num, Edit1, ListBox1})
        w->setFont(fieldFont);
    const int h = c ? 26 : 30;
    for (QWidget *w : std::initializer_list<QWidget *>{ComboBox1, SE_Num, Edit1})
        w->setFixedHeight(h);
    m_hint->setFont(Fonts::sans(c ? 11 : 12));
    const QFont buttonFont = Fonts::sans(c ? 13 : 15, true);
    for (QPushButton *b : m_buttons + QList<QPushButton *>{BtnAddFg}) {
        b->setFont(buttonFont);
        b->setFixedHeight(c ? 28 : 34);
    }
    for (RichEditor *e : std::as_const(m_editors))
        e->setCompact(c);

    // Keyboard order: the editors top to bottom, the fields, the points, the buttons.
    QList<QWidget *> chain;
    for (RichEditor *e : std::as_const(m_editors))
        chain.append(e->editor());
    chain += {ComboBox1, SE_Num, Edit1, ListBox1, BtnAddFg};
    for (QPushButton *b : std::as_const(m_buttons))
        chain.append(b);
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain.at(i - 1), chain.at(i));
}

void AuthoringDialog::loadKinds()
{
    m_kinds = Authoring::readKinds(studyData->connection(), App::paperKind());
    const QSignalBlocker quiet(ComboBox1);
    ComboBox1->clear();
    for (const Authoring::Kind &k : std::as_const(m_kinds))
        ComboBox1->addItem(k.name, k.number);
}

int AuthoringDialog::selectedKind() const
{
    return ComboBox1->currentIndex() < 0 ? -1 : ComboBox1->currentData().toInt();
}

QString AuthoringDialog::selectedKindName() const
{
    return ComboBox1->currentText();
}

bool AuthoringDialog::selectKindQuietly(int kindNumber)
{
    const QSignalBlocker quiet(ComboBox1);
    ComboBox1->setCurrentIndex(ComboBox1->findData(kindNumber));
    return ComboBox1->currentIndex() >= 0;
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
    const int strip = Lb_cap->geometry().bottom() + 1;
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
