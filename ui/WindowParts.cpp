#include "ui/WindowParts.h"

#include "data/AppGlobals.h"
#include "data/Database.h"
#include "ui/Fonts.h"
#include "ui/Picture.h"
#include "ui/PromptDialog.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace WindowParts {

QString windowStyle()
{
    return u"QPushButton { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #FDFEFF,"
           u" stop:1 #DCE5EE); border: 1px solid #8EA0B3; border-radius: 4px; color: black;"
           u" padding: 1px 8px; }"
           u"QPushButton:hover { color: #2F6DB0; border-color: #2F6DB0; }"
           u"QPushButton:pressed { background: #C9D8E8; }"
           u"QPushButton:disabled { color: #9AA7B4; border-color: #C3CDD7; background: #EEF1F4; }"
           u"QFrame[board=\"true\"] { background: rgba(255, 255, 255, 170); border: 1px solid "
           u"#B4C3D2; border-radius: 6px; }"
           u"QLabel[boardCaption=\"true\"] { color: #21507E; font-weight: bold; }"_s;
}

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    b->setCursor(Qt::PointingHandCursor);
    return b;
}

QFrame *makeBoard(QWidget *parent, const QString &caption, QLayout *content, bool compact)
{
    auto *frame = new QFrame(parent);
    frame->setProperty("board", true);
    auto *v = new QVBoxLayout(frame);
    v->setContentsMargins(compact ? 4 : 6, compact ? 2 : 4, compact ? 4 : 6, compact ? 4 : 6);
    v->setSpacing(compact ? 2 : 4);
    if (!caption.isEmpty()) {
        auto *label = new QLabel(caption, frame);
        label->setProperty("boardCaption", true);
        label->setFont(Fonts::sans(compact ? 12 : 13, true));
        v->addWidget(label);
    }
    v->addLayout(content);
    return frame;
}

QImage backgroundPicture(const QString &relativePath)
{
    return Picture::load(App::programFolder + relativePath);
}

void paintChrome(QWidget *window, const QImage &background, int titleHeight)
{
    QPainter p(window);
    const QRect r = window->rect();
    if (!background.isNull()) {
        // A band at a time, each band's pages given back once drawn: a picture shown from its
        // file never has all of its pages in memory at once.
        constexpr int kBands = 4;
        for (int i = 0; i < kBands; ++i) {
            const int top = r.height() * i / kBands;
            p.save();
            p.setClipRect(QRect(0, top, r.width(), r.height() * (i + 1) / kBands - top));
            p.drawImage(r, background);
            p.restore();
            Picture::releasePages(background);
        }
    } else
        p.fillRect(r, QColor(0xED, 0xF1, 0xF5));
    QLinearGradient strip(0, 0, 0, titleHeight);
    strip.setColorAt(0, QColor(0x2F, 0x6D, 0xB0));
    strip.setColorAt(1, QColor(0x21, 0x50, 0x7E));
    p.fillRect(QRect(0, 0, r.width(), titleHeight), strip);
    p.setPen(QPen(QColor(0x21, 0x50, 0x7E), 2));
    p.drawRect(r.adjusted(1, 1, -1, -1));
}

void centre(QWidget *window)
{
    if (const QScreen *screen = QApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
}

void showDesktop()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible())
            w->showMinimized();
    }
}

QHBoxLayout *titledColumns(QWidget *window, QLabel *title, int margin, int spacing)
{
    auto *root = new QVBoxLayout(window);
    root->setContentsMargins(margin, 0, margin, margin);
    root->setSpacing(spacing);
    auto *titleRow = new QHBoxLayout;
    titleRow->setContentsMargins(4, 0, 0, 0);
    titleRow->addWidget(title);
    titleRow->addStretch();
    root->addLayout(titleRow);
    auto *columns = new QHBoxLayout;
    columns->setSpacing(margin);
    root->addLayout(columns, 1);
    return columns;
}

BusyCursor::BusyCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor()
{
    QApplication::restoreOverrideCursor();
}

void BusyCursor::databaseWait(bool waiting)
{
    if (waiting)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void BusyCursor::showWhileDatabaseWaits()
{
    Db::setBusyObserver(databaseWait);
}

} // namespace WindowParts
