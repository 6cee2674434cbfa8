#include "exampoints/PointDetailView.h"

#include "data/AppGlobals.h"
#include "ui/Fonts.h"

#include <QLabel>
#include <QListWidget>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

PointDetailView::PointDetailView(QWidget *parent) : QWidget(parent)
{
    setObjectName(u"PointDetailView"_s);

    m_LBmenu = new QListWidget(this);
    m_LBmenu->setObjectName(u"m_LBmenu"_s);
    m_LBmenu->setAccessibleName(u"考点列表"_s);
    m_LBmenu->setFont(Fonts::song(16));
    m_LBmenu->setSelectionMode(QAbstractItemView::SingleSelection);
    m_LBmenu->setWordWrap(false);
    m_LBmenu->setTextElideMode(Qt::ElideRight);

    Re = new QTextBrowser(this);
    Re->setObjectName(u"Re"_s);
    Re->setAccessibleName(u"考点内容"_s);
    Re->setReadOnly(true);
    Re->setOpenLinks(false);
    Re->setFont(Fonts::song(16));

    m_pNote = new QLabel(this);
    m_pNote->setObjectName(u"m_pNote"_s);
    m_pNote->setAccessibleName(u"考点统计"_s);
    m_pNote->setFixedHeight(28);
    // The line takes the width the list leaves; smaller print in the compact layout.
    m_pNote->setMinimumWidth(1);
    m_pNote->setFont(Fonts::sans(App::displayMode == u"800"_s ? 12 : 13));
    m_pNote->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pNote->setContentsMargins(8, 0, 8, 0);

    auto *right = new QWidget(this);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(0);
    rightLayout->addWidget(Re, 1);
    rightLayout->addWidget(m_pNote);

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(u"Splitter1"_s);
    m_splitter->setHandleWidth(5);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->addWidget(m_LBmenu);
    m_splitter->addWidget(right);
    m_splitter->setStretchFactor(1, 1);
    // The list starts 388 wide; the splitter lets the candidate change that.
    m_splitter->setSizes({388, 400});

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_splitter);
}

void PointDetailView::resetSplit()
{
    const int list = 388;
    m_splitter->setSizes({list, qMax(1, m_splitter->width() - list - m_splitter->handleWidth())});
}
