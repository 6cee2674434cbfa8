#include "exampoints/CatalogueWindow.h"

#include "ui/PromptDialog.h"
#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "exampoints/PointDetailView.h"
#include "exampoints/PointPracticeWindow.h"
#include "ui/RichText.h"
#include "ui/Fonts.h"
#include "ui/KeyboardAccess.h"
#include "ui/MessageBox.h"
#include "ui/WaitCursor.h"
#include "ui/WindowParts.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <memory>

using namespace Qt::StringLiterals;
using namespace PointCatalogue;

namespace {

const QString kCatalogueTitle = u"考 点 目 录"_s;
const QString kKeyPoints = u"重点(&M)"_s;
const QString kAllPoints = u"全部(&A)"_s;

// Group rows (which cannot be opened) in bold, chapters indented under them.
class CatalogueDelegate : public QStyledItemDelegate
{
public:
    CatalogueDelegate(const CatalogueModel *model, QObject *parent)
        : QStyledItemDelegate(parent), m_model(model)
    {
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const bool group = isGroupId(m_model->rowIds().value(index.row()));
        option->font.setBold(group);
        if (index.column() == 0 && !group)
            option->text = QString(2, QChar(0x3000)) + option->text;
    }

private:
    const CatalogueModel *m_model;
};

bool isEnterKey(QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

CatalogueWindow::CatalogueWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"CatalogueWindow"_s);
    setWindowTitle(u"考点目录"_s);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    setFont(Fonts::sans(13));
    setStyleSheet(
        u"QPushButton { color: #1F3A56; background: qlineargradient(x1:0,y1:0,x2:0,y2:1,"
        u"stop:0 #FFFFFF, stop:1 #DCE6F0); border: 1px solid #8EA7C0; border-radius: 3px; }"
        u"QPushButton:hover { border-color: #2F6DB0; color: #2F6DB0; }"
        u"QPushButton:pressed { background: #BFD3E8; }"
        u"QPushButton:focus { border-color: #2F6DB0; }"
        u"QPushButton:disabled { color: #9AA7B4; border-color: #C3CDD7; background: #EEF1F4; }"
        u"QLineEdit { border: 1px solid #8EA7C0; border-radius: 2px; padding: 0 3px;"
        u" background: #FFFFFF; }"
        u"QTableView, QListWidget, QTextBrowser { background: #FFFFFF; border: 1px solid #8EA7C0; }"
        u"QTableView { gridline-color: #D5DEE8; selection-background-color: #2F6DB0;"
        u" selection-color: #FFFFFF; }"
        u"QListWidget::item { padding: 2px 4px; }"
        u"QListWidget::item:selected { background: #2F6DB0; color: #FFFFFF; }"
        u"QSplitter::handle { background: #D5DEE8; }"
        u"#m_pNote { background: #E2EAF3; color: #1F3A56; border: 1px solid #B7C7D8;"
        u" border-top: none; }"
        u"#lbHint { color: #4A6078; }"_s);

    m_pTiltel = new QWidget(this);
    m_pTiltel->setObjectName(u"m_pTiltel"_s);
    m_Ltiltle = new QLabel(kCatalogueTitle, m_pTiltel);
    m_Ltiltle->setObjectName(u"m_Ltiltle"_s);
    m_Ltiltle->setAlignment(Qt::AlignCenter);
    m_Ltiltle->setFont(Fonts::sans(18, true));
    m_Ltiltle->setStyleSheet(u"color: white;"_s);
    auto *titleLayout = new QVBoxLayout(m_pTiltel);
    titleLayout->setContentsMargins(8, 0, 8, 0);
    titleLayout->addWidget(m_Ltiltle);

    m_pMuLu = new QWidget(this);
    m_pMuLu->setObjectName(u"m_pMuLu"_s);
    auto *body = new QVBoxLayout(m_pMuLu);
    body->setContentsMargins(0, 0, 0, 0);

    m_model = new CatalogueModel(this);
    m_model->setObjectName(u"m_query"_s);
    m_grid = new QTableView(m_pMuLu);
    m_grid->setObjectName(u"m_grid"_s);
    m_grid->setAccessibleName(u"考点目录"_s);
    m_grid->setModel(m_model);
    m_grid->setItemDelegate(new CatalogueDelegate(m_model, m_grid));
    m_grid->setFont(Fonts::song(16));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setWordWrap(false);
    m_grid->setTabKeyNavigation(false);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setMinimumSectionSize(16);
    m_grid->horizontalHeader()->setHighlightSections(false);
    m_grid->horizontalHeader()->setSectionsClickable(false);
    m_grid->horizontalHeader()->setStretchLastSection(false);
    m_grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The header row speaks the grid's font (a style sheet rule: the window's sheet would
    // otherwise decide the header's font).
    m_grid->horizontalHeader()->setStyleSheet(
        u"QHeaderView::section { font-family: \"%1\"; font-size: 16px; color: #1F3A56;"
        u" background: #E2EAF3; border: none; border-right: 1px solid #C5D2DF;"
        u" border-bottom: 1px solid #C5D2DF; padding: 0px; }"_s.arg(Fonts::song(16).family()));
    m_grid->installEventFilter(this);
    body->addWidget(m_grid);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                m_grid->setToolTip(current.isValid() ? m_model->name(current.row()) : QString());
            });
    connect(m_grid, &QTableView::doubleClicked, this, &CatalogueWindow::m_btnSelectClick);

    m_editFind = new QLineEdit(this);
    m_editFind->setObjectName(u"m_editFind"_s);
    m_editFind->setAccessibleName(u"检索"_s);
    m_editFind->setPlaceholderText(u"考点名称"_s);
    connect(m_editFind, &QLineEdit::returnPressed, this, &CatalogueWindow::m_btnFindClick);

    m_btnFind = WindowParts::makeButton(this, u"m_btnFind"_s, u"检索(&F)"_s);
    m_btnSelect = WindowParts::makeButton(this, u"m_btnSelect"_s, u"选定(&S)"_s);
    m_btnMost = WindowParts::makeButton(this, u"m_btnMost"_s, kKeyPoints);
    m_btnQuestion = WindowParts::makeButton(this, u"m_btnQuestion"_s, u"练习(&P)"_s);
    m_btnBack = WindowParts::makeButton(this, u"m_btnBack"_s, u"返回(&B)"_s);
    m_btnExit = WindowParts::makeButton(this, u"m_btnExit"_s, u"退出(&E)"_s);
    connect(m_btnFind, &QPushButton::clicked, this, &CatalogueWindow::m_btnFindClick);
    connect(m_btnSelect, &QPushButton::clicked, this, &CatalogueWindow::m_btnSelectClick);
    connect(m_btnMost, &QPushButton::clicked, this, &CatalogueWindow::m_btnMostClick);
    connect(m_btnQuestion, &QPushButton::clicked, this, &CatalogueWindow::m_btnQuestionClick);
    connect(m_btnBack, &QPushButton::clicked, this, &CatalogueWindow::m_btnBackClick);
    connect(m_btnExit, &QPushButton::clicked, this, &CatalogueWindow::m_btnExitClick);

    m_hint = new QLabel(this);
    m_hint->setObjectName(u"lbHint"_s);
    m_hint->setFont(Fonts::sans(12));

    setTabOrder(m_grid, m_editFind);
    setTabOrder(m_editFind, m_btnFind);
    setTabOrder(m_btnFind, m_btnSelect);
    setTabOrder(m_btnSelect, m_btnMost);
    setTabOrder(m_btnMost, m_btnQuestion);
    setTabOrder(m_btnQuestion, m_btnBack);
    setTabOrder(m_btnBack, m_btnExit);

    setCatalogueView(true);
    loadCatalogue();
    applyLayout();
}

CatalogueWindow::~CatalogueWindow() = default;

void CatalogueWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    FormShow();
}

void CatalogueWindow::FormShow()
{
    applyLayout();
    if (m_model->rowCount() > 0 && selectedRow() < 0)
        selectRow(0);
    m_grid->setFocus();
}

void CatalogueWindow::applyLayout()
{
    m_compact = App::displayMode == u"800"_s;
    const bool c = m_compact;
    setFixedSize(c ? QSize(760, 504) : QSize(900, 599));
    const int buttonsY = c ? 425 : 520;
    const int titleHeight = 39;
    m_pTiltel->setGeometry(1, 1, width() - 2, titleHeight);
    const int bodyTop = titleHeight + 1 + 6;
    m_pMuLu->setGeometry(3, bodyTop, width() - 6, buttonsY - 8 - bodyTop);

    m_editFind->setGeometry(8, buttonsY, 180, 22);
    const QList<QPair<QPushButton *, int>> buttons{{m_btnFind, 218},   {m_btnSelect, 316},
                                                   {m_btnMost, 400},   {m_btnQuestion, 484},
                                                   {m_btnBack, 568},   {m_btnExit, 652}};
    for (const auto &[b, x] : buttons) {
        b->setGeometry(x, buttonsY, 75, 22);
        b->setFont(Fonts::sans(13));
    }
    m_editFind->setFont(Fonts::sans(13));
    m_hint->setGeometry(8, buttonsY + 30, width() - 16, 20);

    // Column widths and header texts of the display mode; every row 30 high, the header row
    // 30 in the compact layout and 36 in the normal one.
    m_model->setCompact(c);
    const QList<int> widths = columnWidths(c);
    for (int column = 0; column < widths.size(); ++column)
        m_grid->setColumnWidth(column, widths.at(column));
    emit m_model->headerDataChanged(Qt::Horizontal, 0, 4);
    m_grid->verticalHeader()->setDefaultSectionSize(30);
    m_grid->horizontalHeader()->setFixedHeight(c ? 30 : 36);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    if (m_detail)
        m_detail->resetSplit();
    update();
}

void CatalogueWindow::loadCatalogue()
{
    m_model->setCompact(App::displayMode == u"800"_s);
    const QList<int> widths = columnWidths(App::displayMode == u"800"_s);
    try {
        m_model->load(studyData->connection());
    } catch (const Db::DbError &) {
        showPrompt(u"错误"_s, u"无法读取考点目录！"_s, 1, 2, u"NO"_s);
    }
    for (int column = 0; column < widths.size(); ++column)
        m_grid->setColumnWidth(column, widths.at(column));
}

void CatalogueWindow::setCatalogueView(bool catalogue)
{
    m_grid->setVisible(catalogue);
    for (QWidget *w : {static_cast<QWidget *>(m_editFind), static_cast<QWidget *>(m_btnFind),
                       static_cast<QWidget *>(m_btnSelect)})
        w->setVisible(catalogue);
    m_btnMost->setEnabled(!catalogue);
    if (catalogue)
        m_btnQuestion->setEnabled(false);
    m_btnBack->setVisible(!catalogue);
    if (catalogue)
        m_Ltiltle->setText(kCatalogueTitle);
    m_hint->setText(catalogue
                        ? u"选中章节后按“选定”或双击，查看该章节的考点；在检索框中输入考点名称的一部分可查找。"_s
                        : u"选中考点查看其内容；“练习”做与该考点相关的习题，“重点”只列出重点考点。"_s);
}

int CatalogueWindow::selectedRow() const
{
    const QModelIndex current = m_grid->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void CatalogueWindow::selectRow(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex index = m_model->index(row, 0);
    m_grid->setCurrentIndex(index);
    m_grid->selectRow(row);
    m_grid->scrollTo(index);
}

bool CatalogueWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Enter on a catalogue row opens it; on a point starts its practice.
    if (watched == m_grid && isEnterKey(event)) {
        m_btnSelectClick();
        return true;
    }
    if (m_detail && watched == m_detail->m_LBmenu && isEnterKey(event)) {
        if (m_btnQuestion->isEnabled())
            m_btnQuestionClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CatalogueWindow::m_btnFindClick()
{
    if (m_editFind->text().isEmpty() || m_model->rowCount() == 0)
        return;
    const int row = findRow(m_model->names(), m_editFind->text());
    if (row >= 0)
        selectRow(row);
}

void CatalogueWindow::m_btnSelectClick()
{
    const int row = selectedRow();
    if (row < 0 || m_detail)
        return;
    const QString id = m_model->rowIds().value(row).trimmed();
    if (isGroupId(id)) {
        showPrompt(u"提示"_s, u"请选择具体章节!"_s, 3, 1, u"NO"_s);
        return;
    }
    // Points with at least this many questions are key points; any failure gives 1.
    try {
        m_threshold = PointCatalogue::keyPointThreshold(m_model->counter(row, 1),
                                                      countPoints(studyData->connection(), id));
    } catch (const Db::DbError &) {
        m_threshold = 1;
    }
    m_chapterId = id;

    m_detail = new PointDetailView(m_pMuLu);
    m_pMuLu->layout()->addWidget(m_detail);
    m_detail->m_LBmenu->installEventFilter(this);
    KeyboardAccess::keepEnter(m_detail->m_LBmenu);
    connect(m_detail->m_LBmenu, &QListWidget::currentRowChanged, this, &CatalogueWindow::pointClick);
    setCatalogueView(false);
    m_Ltiltle->setText(m_model->name(row).trimmed());
    m_keyPoints = 0;
    m_btnMost->setText(kKeyPoints);
    m_pMuLu->layout()->activate();
    m_detail->resetSplit();

    try {
        m_queryDetail.open(studyData->connection(), id);
    } catch (const Db::DbError &) {
        m_queryDetail.close();
        fillPointList();
        showPrompt(u"错误"_s, u"无法读取该章节的考点！"_s, 1, 2, u"NO"_s);
        return;
    }
    fillPointList();
    m_detail->m_LBmenu->setFocus();
    if (m_queryDetail.count() == 0)
        showMessageBox(this, u"提示"_s, u"找不到考点!"_s, QMessageBox::Information);
}

void CatalogueWindow::fillPointList(int select)
{
    if (!m_detail)
        return;
    QListWidget *list = m_detail->m_LBmenu;
    {
        const QSignalBlocker blocker(list);
        list->clear();
        for (int k = 0; k < m_queryDetail.count(); ++k)
            list->addItem(listEntry(m_queryDetail.at(k)));
        if (list->count() > 0)
            list->setCurrentRow(qBound(0, select, list->count() - 1));
    }
    pointClick();
}

void CatalogueWindow::pointClick()
{
    if (!m_detail)
        return;
    QListWidget *list = m_detail->m_LBmenu;
    if (list->count() == 0) {
        m_detail->Re->clear();
        m_detail->m_pNote->clear();
        m_btnQuestion->setEnabled(false);
        return;
    }
    if (list->currentRow() < 0) {
        const QSignalBlocker blocker(list);
        list->setCurrentRow(0);
    }
    const int k = list->currentRow();
    const Point &point = m_queryDetail.at(k);
    RichText::show(m_detail->Re, point.n);
    const Statistics line = statistics(list->item(k)->text(), point);
    m_detail->m_pNote->setText(line.text);
    m_btnQuestion->setEnabled(line.practisable);
}

void CatalogueWindow::m_btnMostClick()
{
    if (!m_detail)
        return;
    if (m_keyPoints == 0)
        m_queryDetail.setMinimumQuestions(m_threshold);
    else
        m_queryDetail.clearFilter();
    if (m_queryDetail.count() > 0) {
        fillPointList();
        m_keyPoints = 1 - m_keyPoints;
        m_btnMost->setText(m_keyPoints == 1 ? kAllPoints : kKeyPoints);
        return;
    }
    m_queryDetail.clearFilter();
    fillPointList();
    m_keyPoints = 0;
    m_btnMost->setText(kKeyPoints);
    showMessageBox(this, u"提示"_s, u"此考点暂无重点内容！"_s, QMessageBox::Information);
}

void CatalogueWindow::m_btnQuestionClick()
{
    if (!m_detail || !m_detail->m_LBmenu->currentItem())
        return;
    const int k = m_detail->m_LBmenu->currentRow();
    const QString title = pointTitle(m_detail->m_LBmenu->currentItem()->text());
    bool hidden = false;
    {
        WaitCursor wait;
        std::unique_ptr<PointPracticeWindow> frm;
        try {
            QString ftid = findPointCode(studyData->connection(), title, m_chapterId);
            // A title that holds "(" itself is cut short and found nowhere: the selected point
            // is the one to practise.
            if (ftid.isEmpty())
                ftid = m_queryDetail.at(k).ftid;
            App::practiceQuery = PointCatalogue::practiceQuery(ftid);
            frm = std::make_unique<PointPracticeWindow>(this);
            frm->setWindowTitle(QString());
            const bool ready = !ftid.isEmpty() && frm->PreparePracticeRun();
            wait.release();
            if (ready) {
                // Hidden while the practice window runs. QDialog::hide() would also end this
                // window's own modal loop, so only the widget is hidden.
                QWidget::setVisible(false);
                hidden = true;
                frm->setHintBoard(title);
                frm->exec();
            } else {
                showPrompt(u"提示"_s, u"恭喜你，习题已做完！"_s, 1, 0, u"NO"_s);
            }
        } catch (const std::exception &e) {
            wait.release();
            showPrompt(u"错误"_s, Db::failureMessage(e, u"发生错误！"_s), 1, 2, u"NO"_s);
        }
    }
    refreshPoints();
    if (hidden)
        show();
}

void CatalogueWindow::refreshPoints()
{
    if (!m_detail)
        return;
    const int k = m_detail->m_LBmenu->currentRow();
    try {
        m_queryDetail.open(studyData->connection(), m_chapterId);
        if (m_keyPoints == 1)
            m_queryDetail.setMinimumQuestions(m_threshold);
    } catch (const Db::DbError &) {
        // The counters shown stay those read before.
    }
    fillPointList(qMax(0, k));
}

void CatalogueWindow::m_btnBackClick()
{
    if (!m_detail)
        return;
    const int row = selectedRow();
    setCatalogueView(true);
    loadCatalogue();
    applyLayout();
    selectRow(row);
    // Cleared before the view goes: its point list still sends events to eventFilter while the
    // view is being destroyed, and the half-destroyed view must not be reached through m_detail.
    PointDetailView *detail = m_detail;
    m_detail = nullptr;
    delete detail;
    m_queryDetail.close();
    m_keyPoints = 0;
    m_btnMost->setText(kKeyPoints);
    m_grid->setFocus();
}

void CatalogueWindow::m_btnExitClick()
{
    close();
}

void CatalogueWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect r = rect();
    QLinearGradient body(0, 0, 0, r.height());
    body.setColorAt(0, QColor(0xF4, 0xF7, 0xFA));
    body.setColorAt(1, QColor(0xE3, 0xEA, 0xF1));
    p.fillRect(r, body);
    const QRect title = m_pTiltel->geometry();
    QLinearGradient strip(0, title.top(), 0, title.bottom());
    strip.setColorAt(0, QColor(0x2F, 0x6D, 0xB0));
    strip.setColorAt(1, QColor(0x21, 0x50, 0x7E));
    p.fillRect(title, strip);
    // The window's own 1-pixel border (it has no frame).
    p.setPen(QPen(QColor(0x21, 0x50, 0x7E), 1));
    p.drawRect(r.adjusted(0, 0, -1, -1));
}
