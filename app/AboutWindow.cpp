// The about window: fixed size, white, centred on the desktop.
#include "app/AboutWindow.h"

#include "app/Startup.h"
#include "data/AppGlobals.h"
#include "ui/Fonts.h"
#include "ui/Picture.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

using namespace Qt::StringLiterals;

namespace {
// The picture keeps its emblem in the left 152 columns and a button band below row 222.
constexpr int kTextLeft = 168;
constexpr int kBandTop = 222;
} // namespace

AboutWindow::AboutWindow(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(u"AboutWindow"_s);
    setWindowTitle(u"关于"_s);
    setFixedSize(395, 266);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    if (!App::programFolder.isEmpty())
        m_picture = QPixmap::fromImage(Picture::load(App::programFolder + u"pic/bg_about.bmp"_s));

    m_titleLabel = new QLabel(Startup::applicationTitle().replace(u' ', u'\n'), this);
    m_titleLabel->setObjectName(u"titleLabel"_s);
    m_titleLabel->setFont(Fonts::sans(15, true));
    m_titleLabel->setStyleSheet(u"color: #1d3f66;"_s);
    m_titleLabel->setGeometry(kTextLeft, 18, width() - kTextLeft - 12, 52);

    m_noticeLabel = new QLabel(this);
    m_noticeLabel->setObjectName(u"noticeLabel"_s);
    m_noticeLabel->setFont(Fonts::song(12));
    m_noticeLabel->setStyleSheet(u"color: #33404d;"_s);
    m_noticeLabel->setWordWrap(true);
    m_noticeLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_noticeLabel->setText(u"版本 "_s + Startup::applicationVersion() +
                           u"\n\n本软件的试题、解析、页面、图片与乐曲均为原创，法律法规条文引自"
                           "公开发布的文本。\n\n仅供考生个人学习使用。"_s);
    m_noticeLabel->setGeometry(kTextLeft, 80, width() - kTextLeft - 12, kBandTop - 80 - 6);

    m_closeButton = new QPushButton(u"关 闭"_s, this);
    m_closeButton->setObjectName(u"closeButton"_s);
    m_closeButton->setFont(Fonts::sans(13));
    m_closeButton->setDefault(true);
    m_closeButton->setGeometry(width() - 96, kBandTop + (height() - kBandTop - 28) / 2, 80, 28);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::accept);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

void AboutWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!m_picture.isNull()) {
        p.drawPixmap(rect(), m_picture);
        return;
    }
    p.fillRect(rect(), Qt::white);
    p.fillRect(QRect(0, 0, 152, kBandTop), QColor(0xe6, 0xef, 0xf8));
    p.fillRect(QRect(0, kBandTop, width(), height() - kBandTop), QColor(0xf2, 0xf5, 0xf9));
}
