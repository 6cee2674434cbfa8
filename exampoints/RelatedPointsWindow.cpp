#include "exampoints/RelatedPointsWindow.h"

#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "ui/Fonts.h"
#include "ui/MessageBox.h"
#include "ui/RichText.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QSqlQuery>
#include <QTextBrowser>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// The name of a chapter of the exam-point catalogue; empty when there is no such row.
QString chapterName(const QString &id)
{
    QSqlQuery q = Db::query(studyData->connection(),
                            u"select * from tab_fgmc where id="_s + Db::sqlQuote(id));
    return q.next() ? q.value(u"n"_s).toString() : QString();
}

} // namespace

RelatedPointsWindow::RelatedPointsWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"RelatedPointsWindow"_s);
    setWindowTitle(u"相关考点"_s);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFont(Fonts::song(14));
    setStyleSheet(u"#topBar, #bottomBar { background: #E2EAF3; }"
                  u"#topBar { border-bottom: 1px solid #B7C7D8; }"
                  u"#bottomBar { border-top: 1px solid #B7C7D8; }"
                  u"#chapterLabel { color: #1F3A56; }"
                  u"QListWidget { border: 1px solid #B7C7D8; }"
                  u"QListWidget::item { padding: 3px 4px; border-bottom: 1px dotted #D5DEE8; }"
                  u"QListWidget::item:selected { background: #2F6DB0; color: #FFFFFF; }"
                  u"QTextBrowser { border: 1px solid #B7C7D8; }"
                  u"QSplitter::handle { background: #D5DEE8; }"_s);

    auto *top = new QWidget(this);
    top->setAttribute(Qt::WA_StyledBackground);
    top->setObjectName(u"topBar"_s);
    top->setFixedHeight(33);
    m_chapterLabel = new QLabel(u"考点："_s, top);
    m_chapterLabel->setObjectName(u"chapterLabel"_s);
    m_chapterLabel->setFont(Fonts::song(16));
    auto *topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(10, 0, 10, 0);
    topLayout->addWidget(m_chapterLabel);

    m_pointList = new QListWidget(this);
    m_pointList->setObjectName(u"pointList"_s);
    m_pointList->setFont(Fonts::song(16));
    m_pointList->setAccessibleName(u"考点列表"_s);
    m_pointList->setSelectionMode(QAbstractItemView::SingleSelection);
    // A click or a keyboard move makes another entry current.
    connect(m_pointList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (m_loaded && row >= 0)
            showPoint(row);
    });

    m_pointText = new QTextBrowser(this);
    m_pointText->setObjectName(u"pointText"_s);
    m_pointText->setReadOnly(true);
    m_pointText->setOpenLinks(false);
    m_pointText->setFont(Fonts::song(16));
    m_pointText->setAccessibleName(u"考点内容"_s);

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(u"splitter"_s);
    m_splitter->setHandleWidth(5);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->addWidget(m_pointList);
    m_splitter->addWidget(m_pointText);
    m_splitter->setStretchFactor(1, 1);

    auto *bottom = new QWidget(this);
    bottom->setAttribute(Qt::WA_StyledBackground);
    bottom->setObjectName(u"bottomBar"_s);
    bottom->setFixedHeight(36);
    m_closeButton = new QPushButton(u"关  闭"_s, bottom);
    m_closeButton->setObjectName(u"closeButton"_s);
    m_closeButton->setFont(Fonts::song(14));
    m_closeButton->setFixedSize(90, 28);
    m_closeButton->setAutoDefault(false);
    connect(m_closeButton, &QPushButton::clicked, this, &RelatedPointsWindow::closeAndShowOwner);
    auto *bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setContentsMargins(10, 0, 10, 0);
    bottomLayout->addStretch();
    bottomLayout->addWidget(m_closeButton);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(top);
    layout->addWidget(m_splitter, 1);
    layout->addWidget(bottom);

    setFixedSize(917, 585);
    m_splitter->setSizes({401, 917 - 401 - 5});
}

bool RelatedPointsWindow::loadCodes(const QString &questionId)
{
    QSqlQuery q = Db::query(studyData->connection(),
                            u"select k3,k4,k5,k6,k7,k8,k9,k10,k11,k12 from tab_answ where a1="_s +
                                Db::sqlQuote(questionId));
    if (!q.next())
        return false;
    m_codes.clear();
    for (int i = 0; i < 10; ++i) {
        const QVariant v = q.value(i);
        if (v.isNull())
            continue;
        const QString code = v.toString();
        if (!code.isEmpty())
            m_codes.append(code);
    }
    return !m_codes.isEmpty();
}

void RelatedPointsWindow::showEvent(QShowEvent *event)
{
    if (!m_loaded) {
        if (App::displayMode == u"800"_s) {
            setFixedSize(657, 421);
            m_splitter->setSizes({185, 469});
        }
        try {
            loadPoints();
        } catch (const Db::DbError &e) {
            m_loaded = true;
            showMessageBox(this, u"错误"_s, Db::failureMessage(e, u"无法读取相关考点！"_s),
                           QMessageBox::Critical);
        }
        // Centred on the desktop.
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            move(area.center() - QPoint(width() / 2, height() / 2));
        }
    }
    QDialog::showEvent(event);
}

void RelatedPointsWindow::loadPoints()
{
    QStringList quoted;
    for (const QString &code : std::as_const(m_codes))
        quoted.append(Db::sqlQuote(code));
    m_ids.clear();
    m_texts.clear();
    m_pointList->clear();
    m_pointText->clear();
    if (!quoted.isEmpty()) {
        // No order is requested: the points come in the database's order.
        QSqlQuery q =
            Db::query(studyData->connection(),
                      u"select id,n,sn from tab_rule where ftid in("_s + quoted.join(u',') + u')');
        while (q.next()) {
            m_ids.append(q.value(0).toString());
            m_texts.append(q.value(1));
            m_pointList->addItem(q.value(2).toString());
        }
    }
    if (m_pointList->count() > 0) {
        m_pointList->setCurrentRow(0);
        RichText::show(m_pointText, m_texts.first());
    }
    m_loaded = true;
    // Last: when the chapter cannot be read, the list is complete and its first entry current,
    // so that nothing reads it a second time for the same opening.
    m_chapterLabel->setText(chapterName(m_ids.isEmpty() ? QString() : m_ids.first()));
}

void RelatedPointsWindow::showPoint(int row)
{
    if (row < 0 || row >= m_texts.size())
        return;
    RichText::show(m_pointText, m_texts.at(row));
    // The chapter of the clicked point itself: titles are not unique across chapters.
    try {
        m_chapterLabel->setText(chapterName(m_ids.at(row)));
    } catch (const Db::DbError &e) {
        showMessageBox(this, u"错误"_s, Db::failureMessage(e, u"无法读取相关考点！"_s),
                       QMessageBox::Critical);
    }
}

void RelatedPointsWindow::closeAndShowOwner()
{
    // The question window that opened this one shows again if it had been hidden.
    if (QWidget *owner = parentWidget(); owner && !owner->isVisible())
        owner->show();
    close();
}
