// The prompt dialog: title strip, picture, message and up to three rounded buttons.
#include "ui/PromptDialog.h"

#include "data/AppGlobals.h"
#include "ui/Colors.h"
#include "ui/Fonts.h"
#include "ui/Picture.h"
#include "ui/PromptGate.h"
#include "ui/PromptHook.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStyle>
#include <memory>

using namespace Qt::StringLiterals;

PromptDialog *sharedPromptDialog = nullptr;

namespace {

constexpr int kDesignWidth = 399;
constexpr int kDesignHeight = 110;
constexpr int kNarrowWidth = 200;
constexpr int kStripHeight = 22;
constexpr int kButtonWidth = 72;
constexpr int kButtonHeight = 24;
constexpr int kButtonTop = 80;
// The left button sits where it is centred in the narrow dialog; the right one mirrors it.
constexpr int kLeftButtonX = (kNarrowWidth - kButtonWidth) / 2;
constexpr int kIconSize = 48;
constexpr unsigned kBodyColour = 13743256;

QPixmap picture(const QString &name)
{
    if (App::programFolder.isEmpty())
        return {};
    return QPixmap::fromImage(Picture::load(App::programFolder + u"pic/"_s + name));
}

// The pages of the picture book: the picture file, or the style's standard icon when it is
// missing.
struct IconPicture
{
    const char16_t *file;
    QStyle::StandardPixmap fallback;
};
constexpr IconPicture kIconPictures[] = {
    {u"icon_info.bmp", QStyle::SP_MessageBoxInformation},
    {u"icon_warn.bmp", QStyle::SP_MessageBoxWarning},
    {u"icon_error.bmp", QStyle::SP_MessageBoxCritical},
};

QLabel *iconPage(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QPushButton *roundButton(const QString &name, const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setFont(Fonts::sans(13));
    button->setCursor(Qt::PointingHandCursor);
    button->setAutoDefault(true);
    button->setStyleSheet(
        u"QPushButton { color: #17324d; border: 1px solid #4f6f8f; border-radius: 11px;"
        " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #c9d8e8); }"
        "QPushButton:hover { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
        " stop:0 #ffffff, stop:1 #a9c6e6); border-color: #1d4f80; }"
        "QPushButton:focus { border: 2px solid #1d4f80; }"
        "QPushButton:pressed { background: #9fbad6; }"_s);
    return button;
}

} // namespace

PromptDialog::PromptDialog(QWidget *parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(u"PromptDialog"_s);
    setWindowTitle(u"提示框"_s);
    setModal(true);
    setFont(Fonts::song(13));

    QPalette pal = palette();
    pal.setColor(QPalette::Window, Colors::fromBgr(kBodyColour));
    setPalette(pal);
    setAutoFillBackground(true);

    m_captionLabel = new QLabel(this);
    m_captionLabel->setObjectName(u"captionLabel"_s);
    QFont titleFont = Fonts::sans(13, true);
    titleFont.setItalic(true);
    m_captionLabel->setFont(titleFont);
    QPalette titlePalette = m_captionLabel->palette();
    titlePalette.setColor(QPalette::WindowText, Qt::white);
    m_captionLabel->setPalette(titlePalette);

    m_iconPages = new QStackedWidget(this);
    m_iconPages->setObjectName(u"iconPages"_s);
    for (std::size_t i = 0; i < std::size(kIconPictures); ++i)
        m_iconPages->addWidget(iconPage(this));
    const QStringList pageNames{u"提示"_s, u"警告"_s, u"错误"_s};
    for (int i = 0; i < m_iconPages->count(); ++i) {
        m_iconPages->widget(i)->setAccessibleName(pageNames.at(i));
        m_iconPages->widget(i)->setAutoFillBackground(false);
    }

    m_messageLabel = new QLabel(this);
    m_messageLabel->setObjectName(u"messageLabel"_s);
    m_messageLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_messageLabel->setWordWrap(true);
    m_messageLabel->setFont(Fonts::song(14));
    QPalette textPalette = m_messageLabel->palette();
    textPalette.setColor(QPalette::WindowText, QColor(0x10, 0x20, 0x30));
    m_messageLabel->setPalette(textPalette);

    m_leftButton = roundButton(u"leftButton"_s, u"确定"_s, this);
    m_centreButton = roundButton(u"centreButton"_s, u"确定"_s, this);
    m_rightButton = roundButton(u"rightButton"_s, u"取消"_s, this);
    connect(m_leftButton, &QPushButton::clicked, this, [this] { done(1); });
    connect(m_rightButton, &QPushButton::clicked, this, [this] { done(2); });
    connect(m_centreButton, &QPushButton::clicked, this, [this] { done(3); });
    setTabOrder(m_leftButton, m_centreButton);
    setTabOrder(m_centreButton, m_rightButton);

    resize(kDesignWidth, kDesignHeight);
    setFixedHeight(kDesignHeight);
    m_designWidth = width();
    placeControls();
}

void PromptDialog::readPictures()
{
    if (m_picturesRead)
        return;
    m_picturesRead = true;
    m_background = picture(u"bg_dlg.bmp"_s);
    for (int i = 0; i < m_iconPages->count(); ++i) {
        auto *label = qobject_cast<QLabel *>(m_iconPages->widget(i));
        const IconPicture &icon = kIconPictures[i];
        QPixmap pix = picture(QString::fromUtf16(icon.file));
        if (pix.isNull())
            pix = style()->standardIcon(icon.fallback).pixmap(kIconSize, kIconSize);
        label->setPixmap(pix);
    }
}

void PromptDialog::configure(const QString &caption, const QString &message, int buttons, int icon,
                             const QString &variant, int defaultResult)
{
    readPictures();
    setFixedWidth(m_designWidth);
    setWindowTitle(caption);
    m_captionLabel->setText(caption);
    m_messageLabel->setText(message);
    setAccessibleName(caption);
    setAccessibleDescription(message);

    if (buttons < 0 || buttons > 3)
        buttons = 1;
    m_leftButton->setVisible(buttons == 0 || buttons == 2 || buttons == 3);
    m_rightButton->setVisible(buttons == 0 || buttons == 2);
    m_centreButton->setVisible(buttons == 1 || buttons == 2);
    if (buttons == 3)
        setFixedWidth(kNarrowWidth);

    if (icon >= 0 && icon < m_iconPages->count())
        m_iconPages->setCurrentIndex(icon);

    const bool exam = variant == u"Exam"_s;
    m_leftButton->setText(variant == u"Start"_s ? u"开始考试"_s : u"确定"_s);
    m_rightButton->setText(exam ? u"作废"_s : u"取消"_s);
    m_centreButton->setText(exam ? u"取消"_s : u"确定"_s);

    placeControls();
    centreOnScreen();
    const QList<QPushButton *> shown = shownButtons();
    QPushButton *chosen = shown.value(0);
    for (QPushButton *b : shown) {
        if (resultOf(b) == defaultResult)
            chosen = b;
    }
    for (QPushButton *b : {m_leftButton, m_centreButton, m_rightButton})
        b->setDefault(b == chosen);
    m_defaultButton = chosen;
    if (chosen)
        chosen->setFocus();
}

void PromptDialog::placeControls()
{
    const int w = width();
    m_captionLabel->setGeometry(8, 0, w - 16, kStripHeight);
    m_iconPages->setGeometry(12, kStripHeight + 4, kIconSize, kIconSize);
    const int textLeft = 12 + kIconSize + 10;
    m_messageLabel->setGeometry(textLeft, kStripHeight + 2, w - textLeft - 10,
                                kButtonTop - kStripHeight - 4);
    m_leftButton->setGeometry(kLeftButtonX, kButtonTop, kButtonWidth, kButtonHeight);
    m_centreButton->setGeometry((kDesignWidth - kButtonWidth) / 2, kButtonTop, kButtonWidth,
                                kButtonHeight);
    m_rightButton->setGeometry(kDesignWidth - kLeftButtonX - kButtonWidth, kButtonTop, kButtonWidth,
                               kButtonHeight);
}

void PromptDialog::centreOnScreen()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

void PromptDialog::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    placeControls();
}

void PromptDialog::paintEvent(QPaintEvent *)
{
    readPictures();
    QPainter p(this);
    const QRect r = rect();
    if (!m_background.isNull()) {
        // The picture is drawn at its design width; a narrowed dialog shows its left part with
        // the right edge of the picture closing the frame.
        if (r.width() >= m_background.width()) {
            p.drawPixmap(r, m_background);
        } else {
            const int edge = 6;
            const int keep = r.width() - edge;
            p.drawPixmap(QRect(0, 0, keep, r.height()), m_background,
                         QRect(0, 0, keep, m_background.height()));
            p.drawPixmap(QRect(keep, 0, edge, r.height()), m_background,
                         QRect(m_background.width() - edge, 0, edge, m_background.height()));
        }
        return;
    }
    const QColor body = Colors::fromBgr(kBodyColour);
    QLinearGradient bodyGradient(0, kStripHeight, 0, r.height());
    bodyGradient.setColorAt(0, body.lighter(125));
    bodyGradient.setColorAt(1, body);
    p.fillRect(r, bodyGradient);
    QLinearGradient strip(0, 0, r.width(), 0);
    strip.setColorAt(0, QColor(0x1d, 0x4f, 0x80));
    strip.setColorAt(1, QColor(0x4f, 0x86, 0xb8));
    p.fillRect(QRect(0, 0, r.width(), kStripHeight), strip);
    p.setPen(QColor(0x1d, 0x4f, 0x80));
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

QList<QPushButton *> PromptDialog::shownButtons() const
{
    QList<QPushButton *> shown;
    for (QPushButton *b : {m_leftButton, m_centreButton, m_rightButton}) {
        if (!b->isHidden())
            shown.append(b);
    }
    return shown;
}

int PromptDialog::resultOf(const QPushButton *button) const
{
    return button == m_leftButton ? 1 : button == m_rightButton ? 2 : 3;
}

void PromptDialog::reject()
{
    // Escape means the button that reads "取消"; with a single button it means that button.
    const QList<QPushButton *> shown = shownButtons();
    for (QPushButton *b : shown) {
        if (b->text() == u"取消"_s) {
            b->click();
            return;
        }
    }
    if (shown.size() == 1)
        shown.first()->click();
}

int PromptDialog::run()
{
    m_running = true;
    // Enter presses the default button: it has the focus whenever the dialog shows.
    if (m_defaultButton) {
        m_defaultButton->setDefault(true);
        m_defaultButton->setFocus();
    }
    int result;
    {
        PromptGate::Showing showing(this);
        result = exec();
    }
    m_running = false;
    const QList<QPushButton *> shown = shownButtons();
    QPushButton *fallback = shown.value(0);
    for (QPushButton *b : shown) {
        if (resultOf(b) == result)
            return result;
        if (b->text() == u"取消"_s)
            fallback = b;
    }
    if (shown.size() == 1)
        fallback = shown.first();
    return fallback ? resultOf(fallback) : 3;
}

int showPrompt(const QString &caption, const QString &message, int buttons, int icon,
               const QString &variant, int defaultResult)
{
    PromptGate::waitForTurn();
    if (!sharedPromptDialog)
        sharedPromptDialog = new PromptDialog;
    // The shared dialog may still be inside an earlier call that was answered but whose caller
    // has not gone on yet (this call came from a timer meanwhile): this prompt gets its own.
    std::unique_ptr<PromptDialog> own;
    PromptDialog *dialog = sharedPromptDialog;
    if (sharedPromptDialog->running()) {
        own = std::make_unique<PromptDialog>();
        dialog = own.get();
    }
    dialog->configure(caption, message, buttons, icon, variant, defaultResult);
    if (PromptHook::active()) {
        PromptGate::Showing showing;
        PromptCall call;
        call.kind = PromptCall::Prompt;
        call.caption = caption;
        call.message = message;
        call.buttons = buttons;
        call.icon = icon;
        call.variant = variant;
        return PromptHook::handle(call);
    }
    return dialog->run();
}
