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

    m_pointList = new QListWidget(this);
    m_pointList->setObjectName(u"pointList"_s);
    m_pointList->setAccessibleName(u"考点列表"_s);
    m_pointList->setFont(Fonts::song(16));
    m_pointList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pointList->setWordWrap(false);
    m_pointList->setTextElideMode(Qt::ElideRight);

    m_pointText = new QTextBrowser(this);
    m_pointText->setObjectName(u"pointText"_s);
    m_pointText->setAccessibleName(u"考点内容"_s);
    m_pointText->setReadOnly(true);
    m_pointText->setOpenLinks(false);
    m_pointText->setFont(Fonts::song(16));

    m_statisticsLine = new QLabel(this);
    m_statisticsLine->setObjectName(u"statisticsLine"_s);
    m_statisticsLine->setAccessibleName(u"考点统计"_s);
    m_statisticsLine->setFixedHeight(28);
    // The line takes the width the list leaves; smaller print in the compact layout.
    m_statisticsLine->setMinimumWidth(1);
    m_statisticsLine->setFont(Fonts::sans(App::displayMode == u"800"_s ? 12 : 13));
    m_statisticsLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_statisticsLine->setContentsMargins(8, 0, 8, 0);

    auto *right = new QWidget(this);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(0);
    rightLayout->addWidget(m_pointText, 1);
    rightLayout->addWidget(m_statisticsLine);

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(u"splitter"_s);
    m_splitter->setHandleWidth(5);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->addWidget(m_pointList);
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
