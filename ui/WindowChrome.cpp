#include "ui/WindowChrome.h"

#include "ui/Fonts.h"

#include <QDialog>
#include <QHeaderView>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QRect>
#include <QTableView>

using namespace Qt::StringLiterals;

namespace WindowChrome {

void paint(QPainter &p, const QRect &r, int stripHeight, const QString &caption, const QColor &body,
           int captionPixelSize)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, r.height());
    fill.setColorAt(0, body.lighter(108));
    fill.setColorAt(1, body);
    p.fillRect(r, fill);
    QLinearGradient strip(0, 0, 0, stripHeight);
    strip.setColorAt(0, QColor(0x2F, 0x6D, 0xB0));
    strip.setColorAt(1, QColor(0x21, 0x50, 0x7E));
    p.fillRect(QRect(0, 0, r.width(), stripHeight), strip);
    p.setPen(Qt::white);
    p.setFont(Fonts::sans(captionPixelSize, true));
    p.drawText(QRect(14, 0, r.width() - 28, stripHeight), Qt::AlignLeft | Qt::AlignVCenter,
               caption);
    p.setPen(QPen(QColor(0x21, 0x50, 0x7E), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.restore();
}

QString styleSheet()
{
    return u"QPushButton { color: #1F3A56; background: qlineargradient(x1:0,y1:0,x2:0,y2:1,"
           u"stop:0 #FFFFFF, stop:1 #DCE6F0); border: 1px solid #8EA7C0; border-radius: 5px;"
           u" padding: 2px 10px; }"
           u"QPushButton:hover { background: qlineargradient(x1:0,y1:0,x2:0,y2:1,"
           u"stop:0 #FFFFFF, stop:1 #C9DAEC); border-color: #2F6DB0; }"
           u"QPushButton:pressed { background: #BFD3E8; }"
           u"QPushButton:focus { border: 2px solid #2F6DB0; }"
           u"QPushButton:disabled { color: #9AA7B4; border-color: #C3CDD7; background: #EEF1F4; }"
           u"QGroupBox { color: #1F3A56; font-weight: bold; border: 1px solid #9FB4C9;"
           u" border-radius: 6px; margin-top: 10px; background: rgba(255,255,255,120); }"
           u"QGroupBox::title { subcontrol-origin: margin; left: 10px; padding: 0 4px; }"
           u"QGroupBox:disabled { color: #6F8193; }"
           u"QTableView { background: #FFFFFF; alternate-background-color: #F3F7FB;"
           u" gridline-color: #D5DEE8; border: 1px solid #8EA7C0;"
           u" selection-background-color: #2F6DB0; selection-color: #FFFFFF; }"
           u"QHeaderView::section { background: #E2EAF3; color: #1F3A56; border: none;"
           u" border-right: 1px solid #C5D2DF; border-bottom: 1px solid #C5D2DF; padding: 2px; }"_s;
}

void setUp(QDialog &dialog, const QString &objectName, const QString &caption)
{
    dialog.setObjectName(objectName);
    dialog.setWindowTitle(caption);
    dialog.setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    dialog.setFont(Fonts::sans(13));
    dialog.setStyleSheet(styleSheet());
    QPalette pal = dialog.palette();
    pal.setColor(QPalette::WindowText, QColor(0x1F, 0x3A, 0x56));
    dialog.setPalette(pal);
}

void setUpReadOnlyGrid(QTableView &grid)
{
    grid.setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid.setSelectionBehavior(QAbstractItemView::SelectRows);
    grid.setSelectionMode(QAbstractItemView::SingleSelection);
    grid.setAlternatingRowColors(true);
    grid.setWordWrap(false);
    grid.setTabKeyNavigation(false);
    grid.verticalHeader()->hide();
    grid.horizontalHeader()->setHighlightSections(false);
    grid.horizontalHeader()->setSectionsClickable(false);
    grid.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

} // namespace WindowChrome
