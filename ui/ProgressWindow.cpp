// The progress window: borderless, centred, one bold dark-red line over a light panel.
#include "ui/ProgressWindow.h"

#include "data/AppGlobals.h"
#include "ui/Colors.h"
#include "ui/Fonts.h"
#include "ui/Picture.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>

using namespace Qt::StringLiterals;

ProgressWindow *sharedProgressWindow = nullptr;

namespace {
constexpr unsigned kPanelColour = 14930369;
}

ProgressWindow::ProgressWindow(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(u"ProgressWindow"_s);
    setWindowTitle(u"进度条"_s);
    setModal(false);
    setFixedSize(358, 63);
    setCursor(Qt::WaitCursor);

    QPalette pal = palette();
    pal.setColor(QPalette::Window, Colors::fromBgr(kPanelColour));
    setPalette(pal);
    setAutoFillBackground(true);

    m_textLabel = new QLabel(u"请等待..."_s, this);
    m_textLabel->setObjectName(u"textLabel"_s);
    m_textLabel->setFont(Fonts::song(15, true));
    QPalette labelPalette = m_textLabel->palette();
    labelPalette.setColor(QPalette::WindowText, QColor(0x80, 0, 0)); // dark red
    m_textLabel->setPalette(labelPalette);
    m_textLabel->setAlignment(Qt::AlignCenter);
    m_textLabel->setGeometry(8, 5, width() - 16, 36);
    setAccessibleName(m_textLabel->text());
}

void ProgressWindow::showText(const QString &text)
{
    m_textLabel->setText(text);
    setAccessibleName(text);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    show();
    refresh();
}

void ProgressWindow::refresh()
{
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ProgressWindow::finish()
{
    hide();
}

QString ProgressWindow::text() const
{
    return m_textLabel->text();
}

void ProgressWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!m_backgroundRead) {
        m_backgroundRead = true;
        if (!App::programFolder.isEmpty())
            m_background =
                QPixmap::fromImage(Picture::load(App::programFolder + u"pic/bg_progress.bmp"_s));
    }
    if (!m_background.isNull()) {
        p.drawPixmap(rect(), m_background);
        return;
    }
    // A raised bevel around the panel.
    const QRect r = rect();
    p.fillRect(r, Colors::fromBgr(kPanelColour));
    p.setPen(Qt::white);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(QColor(0x60, 0x70, 0x80));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
    p.drawRect(r.adjusted(4, 4, -5, -5));
}

void ProgressWindow::closeEvent(QCloseEvent *event)
{
    // The user cannot close it; the work that showed it hides it.
    event->ignore();
}

void ProgressWindow::reject() {}

ProgressWindow *progressWindow()
{
    if (!sharedProgressWindow)
        sharedProgressWindow = new ProgressWindow;
    return sharedProgressWindow;
}
