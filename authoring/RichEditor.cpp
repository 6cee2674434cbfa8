#include "authoring/RichEditor.h"

#include "ui/Fonts.h"

#include <QColorDialog>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int kDefaultPointSize = 12;

QIcon swatch(const QColor &colour)
{
    QPixmap pm(14, 14);
    pm.fill(colour);
    QPainter p(&pm);
    p.setPen(QColor(0x60, 0x60, 0x60));
    p.drawRect(pm.rect().adjusted(0, 0, -1, -1));
    return QIcon(pm);
}

} // namespace

RichEditor::RichEditor(const QString &editorName, const QString &accessibleName, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(editorName + u"Box"_s);
    m_edit = new QTextEdit(this);
    m_edit->setObjectName(editorName);
    m_edit->setAccessibleName(accessibleName);
    m_edit->setAcceptRichText(true);
    m_edit->setTabChangesFocus(true);

    auto makeToggle = [this, &editorName](const QString &suffix, const QString &text,
                                          const QString &name, const QKeySequence &key) {
        auto *b = new QToolButton(this);
        b->setObjectName(editorName + suffix);
        b->setText(text);
        b->setAccessibleName(name);
        b->setToolTip(name + u" ("_s + key.toString(QKeySequence::NativeText) + u')');
        b->setCheckable(true);
        b->setFocusPolicy(Qt::TabFocus);
        return b;
    };
    m_bold = makeToggle(u"Bold"_s, u"B"_s, u"加粗"_s, QKeySequence::Bold);
    m_italic = makeToggle(u"Italic"_s, u"I"_s, u"倾斜"_s, QKeySequence::Italic);
    m_underline = makeToggle(u"Underline"_s, u"U"_s, u"下划线"_s, QKeySequence::Underline);
    QFont f = m_bold->font();
    f.setBold(true);
    m_bold->setFont(f);
    f = m_italic->font();
    f.setItalic(true);
    m_italic->setFont(f);
    f = m_underline->font();
    f.setUnderline(true);
    m_underline->setFont(f);

    connect(m_bold, &QToolButton::clicked, this, [this](bool on) {
        QTextCharFormat fmt;
        fmt.setFontWeight(on ? QFont::Bold : QFont::Normal);
        mergeFormat(fmt);
    });
    connect(m_italic, &QToolButton::clicked, this, [this](bool on) {
        QTextCharFormat fmt;
        fmt.setFontItalic(on);
        mergeFormat(fmt);
    });
    connect(m_underline, &QToolButton::clicked, this, [this](bool on) {
        QTextCharFormat fmt;
        fmt.setFontUnderline(on);
        mergeFormat(fmt);
    });

    m_size = new QComboBox(this);
    m_size->setObjectName(editorName + u"Size"_s);
    m_size->setAccessibleName(u"字号"_s);
    m_size->setToolTip(u"字号"_s);
    for (int pt : fontSizes())
        m_size->addItem(QString::number(pt), pt);
    m_size->setCurrentIndex(int(fontSizes().indexOf(kDefaultPointSize)));
    connect(m_size, &QComboBox::activated, this, [this](int index) {
        QTextCharFormat fmt;
        fmt.setFontPointSize(m_size->itemData(index).toInt());
        mergeFormat(fmt);
        m_edit->setFocus();
    });

    m_colour = new QToolButton(this);
    m_colour->setObjectName(editorName + u"Colour"_s);
    m_colour->setText(u"颜色"_s);
    m_colour->setAccessibleName(u"颜色"_s);
    m_colour->setToolTip(u"文字颜色"_s);
    m_colour->setPopupMode(QToolButton::InstantPopup);
    m_colour->setFocusPolicy(Qt::TabFocus);
    auto *menu = new QMenu(m_colour);
    const std::pair<QString, QColor> colours[] = {
        {u"黑色"_s, QColor(0, 0, 0)},          {u"红色"_s, QColor(0xC0, 0x00, 0x00)},
        {u"蓝色"_s, QColor(0x00, 0x40, 0xC0)}, {u"绿色"_s, QColor(0x00, 0x80, 0x00)},
        {u"橙色"_s, QColor(0xE0, 0x70, 0x00)}, {u"紫色"_s, QColor(0x70, 0x30, 0xA0)},
    };
    for (const auto &[name, colour] : colours) {
        QAction *a = menu->addAction(swatch(colour), name);
        connect(a, &QAction::triggered, this, [this, c = colour] { chooseColour(c); });
    }
    menu->addSeparator();
    connect(menu->addAction(u"其他颜色…"_s), &QAction::triggered, this, [this] {
        const QColor c = QColorDialog::getColor(m_edit->textColor(), this, u"文字颜色"_s);
        if (c.isValid())
            chooseColour(c);
    });
    m_colour->setMenu(menu);

    connect(m_edit, &QTextEdit::currentCharFormatChanged, this, &RichEditor::showFormat);

    auto *bar = new QHBoxLayout;
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(2);
    for (QWidget *w :
         std::initializer_list<QWidget *>{m_bold, m_italic, m_underline, m_size, m_colour})
        bar->addWidget(w);
    bar->addStretch();
    auto *v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(2);
    v->addLayout(bar);
    v->addWidget(m_edit, 1);

    // Ctrl+B, Ctrl+I, Ctrl+U act in the editor that has the focus, so two editors never fight
    // over one shortcut.
    m_edit->installEventFilter(this);
    setCompact(false);
    clear();
}

QList<int> RichEditor::fontSizes()
{
    return {9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 28, 36};
}

QByteArray RichEditor::richBytes() const
{
    return m_edit->document()->toHtml().toUtf8();
}

void RichEditor::setRichBytes(const QByteArray &bytes)
{
    const QString text = QString::fromUtf8(bytes);
    if (Qt::mightBeRichText(text))
        m_edit->setHtml(text);
    else
        m_edit->setPlainText(text);
    m_edit->moveCursor(QTextCursor::Start);
}

bool RichEditor::isBlank() const
{
    return m_edit->toPlainText().trimmed().isEmpty();
}

void RichEditor::clear()
{
    m_edit->clear();
    // A fresh document starts plain, in the document's own face and size.
    m_edit->setCurrentCharFormat(QTextCharFormat());
}

bool RichEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        for (auto [sequence, button] :
             {std::pair{QKeySequence::Bold, m_bold}, std::pair{QKeySequence::Italic, m_italic},
              std::pair{QKeySequence::Underline, m_underline}}) {
            if (key->matches(sequence)) {
                button->click();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void RichEditor::setCompact(bool compact)
{
    const int h = compact ? 22 : 26;
    for (QToolButton *b : {m_bold, m_italic, m_underline})
        b->setFixedSize(h + 2, h);
    m_size->setFixedHeight(h);
    m_size->setFixedWidth(compact ? 52 : 60);
    m_colour->setFixedHeight(h);
    const QFont font = Fonts::sans(compact ? 12 : 13);
    for (QWidget *w : std::initializer_list<QWidget *>{m_size, m_colour})
        w->setFont(font);
    // 12 points, the size the size list shows for text without a size of its own.
    QFont editorFont = Fonts::song(16);
    editorFont.setPointSize(kDefaultPointSize);
    m_edit->document()->setDefaultFont(editorFont);
}

void RichEditor::mergeFormat(const QTextCharFormat &format)
{
    // Without a selection the format applies to what is typed next (Chinese text has no word
    // breaks, so "the word under the cursor" would be the whole sentence).
    QTextCursor cursor = m_edit->textCursor();
    if (cursor.hasSelection())
        cursor.mergeCharFormat(format);
    m_edit->mergeCurrentCharFormat(format);
}

void RichEditor::chooseColour(const QColor &colour)
{
    QTextCharFormat fmt;
    fmt.setForeground(colour);
    mergeFormat(fmt);
    m_colour->setIcon(swatch(colour));
    m_edit->setFocus();
}

void RichEditor::showFormat(const QTextCharFormat &format)
{
    m_bold->setChecked(format.fontWeight() >= QFont::Bold);
    m_italic->setChecked(format.fontItalic());
    m_underline->setChecked(format.fontUnderline());
    const qreal pt = format.fontPointSize();
    const int i = m_size->findData(qRound(pt > 0 ? pt : kDefaultPointSize));
    if (i >= 0)
        m_size->setCurrentIndex(i);
}
