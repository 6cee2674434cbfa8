#include "exampoints/CatalogueWindow.h"

#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "exampoints/PointDetailView.h"
#include "exampoints/PointPracticeWindow.h"
#include "ui/Fonts.h"
#include "ui/KeyboardAccess.h"
#include "ui/MessageBox.h"
#include "ui/PromptDialog.h"
#include "ui/RichText.h"
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
#include <QShortcut>
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
        u"#statisticsLine { background: #E2EAF3; color: #1F3A56; border: 1px solid #B7C7D8;"
        u" border-top: none; }"
        u"#catalogueHint { color: #4A6078; }"_s);

    m_titleBar = new QWidget(this);
    m_titleBar->setObjectName(u"titleBar"_s);
    m_titleLabel = new QLabel(kCatalogueTitle, m_titleBar);
    m_titleLabel->setObjectName(u"titleLabel"_s);
    m_titleLabel->setAlignment(Qt::AlignCenter);
    m_titleLabel->setFont(Fonts::sans(18, true));
    m_titleLabel->setStyleSheet(u"color: white;"_s);
    auto *titleLayout = new QVBoxLayout(m_titleBar);
    titleLayout->setContentsMargins(8, 0, 8, 0);
    titleLayout->addWidget(m_titleLabel);

    m_catalogueBody = new QWidget(this);
    m_catalogueBody->setObjectName(u"catalogueBody"_s);
    auto *body = new QVBoxLayout(m_catalogueBody);
    body->setContentsMargins(0, 0, 0, 0);

    m_catalogueModel = new CatalogueModel(this);
    m_catalogueModel->setObjectName(u"catalogueModel"_s);
    m_catalogueGrid = new QTableView(m_catalogueBody);
    m_catalogueGrid->setObjectName(u"catalogueGrid"_s);
    m_catalogueGrid->setAccessibleName(u"考点目录"_s);
    m_catalogueGrid->setModel(m_catalogueModel);
    m_catalogueGrid->setItemDelegate(new CatalogueDelegate(m_catalogueModel, m_catalogueGrid));
    m_catalogueGrid->setFont(Fonts::song(16));
    m_catalogueGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_catalogueGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_catalogueGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_catalogueGrid->setWordWrap(false);
    m_catalogueGrid->setTabKeyNavigation(false);
    m_catalogueGrid->verticalHeader()->hide();
    m_catalogueGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_catalogueGrid->verticalHeader()->setMinimumSectionSize(16);
    m_catalogueGrid->horizontalHeader()->setHighlightSections(false);
    m_catalogueGrid->horizontalHeader()->setSectionsClickable(false);
    m_catalogueGrid->horizontalHeader()->setStretchLastSection(false);
    m_catalogueGrid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The header row speaks the grid's font (a style sheet rule: the window's sheet would
    // otherwise decide the header's font).
    m_catalogueGrid->horizontalHeader()->setStyleSheet(
        u"QHeaderView::section { font-family: \"%1\"; font-size: 16px; color: #1F3A56;"
        u" background: #E2EAF3; border: none; border-right: 1px solid #C5D2DF;"
        u" border-bottom: 1px solid #C5D2DF; padding: 0px; }"_s.arg(Fonts::song(16).family()));
    m_catalogueGrid->installEventFilter(this);
    body->addWidget(m_catalogueGrid);
    connect(m_catalogueGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                m_catalogueGrid->setToolTip(
                    current.isValid() ? m_catalogueModel->name(current.row()) : QString());
            });
    connect(m_catalogueGrid, &QTableView::doubleClicked, this, &CatalogueWindow::openChapter);

    m_findEdit = new QLineEdit(this);
    m_findEdit->setObjectName(u"findEdit"_s);
    m_findEdit->setAccessibleName(u"检索"_s);
    m_findEdit->setPlaceholderText(u"考点名称"_s);
    connect(m_findEdit, &QLineEdit::returnPressed, this, &CatalogueWindow::findNext);
    // A changed text is searched afresh from the top.
    connect(m_findEdit, &QLineEdit::textChanged, this, [this] {
        m_findHits.clear();
        m_findIndex = -1;
    });
    // F3 finds the next match in either view (the find box is hidden in the detail view).
    auto *findNextKey = new QShortcut(QKeySequence(Qt::Key_F3), this);
    findNextKey->setObjectName(u"findNextKey"_s);
    connect(findNextKey, &QShortcut::activated, this, &CatalogueWindow::findNext);

    m_findButton = WindowParts::makeButton(this, u"findButton"_s, u"检索(&F)"_s);
    m_openButton = WindowParts::makeButton(this, u"openButton"_s, u"选定(&S)"_s);
    m_keyPointsButton = WindowParts::makeButton(this, u"keyPointsButton"_s, kKeyPoints);
    m_practiseButton = WindowParts::makeButton(this, u"practiseButton"_s, u"练习(&P)"_s);
    m_backButton = WindowParts::makeButton(this, u"backButton"_s, u"返回(&B)"_s);
    m_exitButton = WindowParts::makeButton(this, u"exitButton"_s, u"退出(&E)"_s);
    m_findButton->setToolTip(u"查找；再按一次（或回车、F3）查找下一个"_s);
    connect(m_findButton, &QPushButton::clicked, this, &CatalogueWindow::findNext);
    connect(m_openButton, &QPushButton::clicked, this, &CatalogueWindow::openChapter);
    connect(m_keyPointsButton, &QPushButton::clicked, this, &CatalogueWindow::toggleKeyPoints);
    connect(m_practiseButton, &QPushButton::clicked, this, &CatalogueWindow::practisePoint);
    connect(m_backButton, &QPushButton::clicked, this, &CatalogueWindow::backToCatalogue);
    connect(m_exitButton, &QPushButton::clicked, this, &CatalogueWindow::exitCatalogue);

    m_catalogueHint = new QLabel(this);
    m_catalogueHint->setObjectName(u"catalogueHint"_s);
    m_catalogueHint->setFont(Fonts::sans(12));

    setTabOrder(m_catalogueGrid, m_findEdit);
    setTabOrder(m_findEdit, m_findButton);
    setTabOrder(m_findButton, m_openButton);
    setTabOrder(m_openButton, m_keyPointsButton);
    setTabOrder(m_keyPointsButton, m_practiseButton);
    setTabOrder(m_practiseButton, m_backButton);
    setTabOrder(m_backButton, m_exitButton);

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
    focusCatalogue();
}

void CatalogueWindow::focusCatalogue()
{
    applyLayout();
    if (m_catalogueModel->rowCount() > 0 && selectedRow() < 0)
        selectRow(0);
    m_catalogueGrid->setFocus();
}

void CatalogueWindow::applyLayout()
{
    m_compact = App::displayMode == u"800"_s;
    const bool c = m_compact;
    setFixedSize(c ? QSize(760, 504) : QSize(900, 599));
    const int buttonsY = c ? 425 : 520;
    const int titleHeight = 39;
    m_titleBar->setGeometry(1, 1, width() - 2, titleHeight);
    const int bodyTop = titleHeight + 1 + 6;
    m_catalogueBody->setGeometry(3, bodyTop, width() - 6, buttonsY - 8 - bodyTop);

    m_findEdit->setGeometry(8, buttonsY, 180, 22);
    const QList<QPair<QPushButton *, int>> buttons{
        {m_findButton, 218},     {m_openButton, 316}, {m_keyPointsButton, 400},
        {m_practiseButton, 484}, {m_backButton, 568}, {m_exitButton, 652}};
    for (const auto &[b, x] : buttons) {
        b->setGeometry(x, buttonsY, 75, 22);
        b->setFont(Fonts::sans(13));
    }
    m_findEdit->setFont(Fonts::sans(13));
    m_catalogueHint->setGeometry(8, buttonsY + 30, width() - 16, 20);

    // Column widths and header texts of the display mode; every row 30 high, the header row
    // 30 in the compact layout and 36 in the normal one.
    m_catalogueModel->setCompact(c);
    const QList<int> widths = columnWidths(c);
    for (int column = 0; column < widths.size(); ++column)
        m_catalogueGrid->setColumnWidth(column, widths.at(column));
    emit m_catalogueModel->headerDataChanged(Qt::Horizontal, 0, 4);
    m_catalogueGrid->verticalHeader()->setDefaultSectionSize(30);
    m_catalogueGrid->horizontalHeader()->setFixedHeight(c ? 30 : 36);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    if (m_detail)
        m_detail->resetSplit();
    update();
}

void CatalogueWindow::loadCatalogue()
{
    m_catalogueModel->setCompact(App::displayMode == u"800"_s);
    const QList<int> widths = columnWidths(App::displayMode == u"800"_s);
    try {
        m_catalogueModel->load(studyData->connection());
    } catch (const Db::DbError &) {
        showPrompt(u"错误"_s, u"无法读取考点目录！"_s, 1, 2, u"NO"_s);
    }
    for (int column = 0; column < widths.size(); ++column)
        m_catalogueGrid->setColumnWidth(column, widths.at(column));
}

void CatalogueWindow::setCatalogueView(bool catalogue)
{
    m_catalogueGrid->setVisible(catalogue);
    for (QWidget *w : {static_cast<QWidget *>(m_findEdit), static_cast<QWidget *>(m_findButton),
                       static_cast<QWidget *>(m_openButton)})
        w->setVisible(catalogue);
    m_keyPointsButton->setEnabled(!catalogue);
    if (catalogue)
        m_practiseButton->setEnabled(false);
    m_backButton->setVisible(!catalogue);
    if (catalogue)
        m_titleLabel->setText(kCatalogueTitle);
    m_catalogueHint->setText(
        catalogue
            ? u"选中章节后按“选定”或双击查看其考点；检索框查找章节或考点名称，再按一次（或F3）查找下一个。"_s
            : u"选中考点查看其内容；“练习”做与该考点相关的习题，“重点”只列出重点考点。"_s);
}

int CatalogueWindow::selectedRow() const
{
    const QModelIndex current = m_catalogueGrid->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void CatalogueWindow::selectRow(int row)
{
    if (row < 0 || row >= m_catalogueModel->rowCount())
        return;
    const QModelIndex index = m_catalogueModel->index(row, 0);
    m_catalogueGrid->setCurrentIndex(index);
    m_catalogueGrid->selectRow(row);
    m_catalogueGrid->scrollTo(index);
}

bool CatalogueWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Enter on a catalogue row opens it; on a point starts its practice.
    if (watched == m_catalogueGrid && isEnterKey(event)) {
        openChapter();
        return true;
    }
    if (m_detail && watched == m_detail->m_pointList && isEnterKey(event)) {
        if (m_practiseButton->isEnabled())
            practisePoint();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CatalogueWindow::findNext()
{
    const QString text = m_findEdit->text().trimmed();
    if (text.isEmpty() || m_catalogueModel->rowCount() == 0)
        return;
    if (m_findHits.isEmpty() || text != m_findText) {
        QList<PointTitle> points;
        try {
            points = readPointTitles(studyData->connection());
        } catch (const Db::DbError &) {
            // The rows' names are still searched.
        }
        m_findHits = findHits(m_catalogueModel->rowIds(), m_catalogueModel->names(), points, text);
        m_findText = text;
        m_findIndex = -1;
    }
    if (m_findHits.isEmpty()) {
        m_catalogueHint->setText(u"没有找到"_s);
        return;
    }
    // After the last match the first comes again.
    m_findIndex = (m_findIndex + 1) % int(m_findHits.size());
    showFindHit(m_findHits.at(m_findIndex));
    m_catalogueHint->setText(
        u"找到第 %1 个，共 %2 个；按F3查找下一个。"_s.arg(m_findIndex + 1).arg(m_findHits.size()));
}

void CatalogueWindow::showFindHit(const FindHit &hit)
{
    const QString chapterId = m_catalogueModel->rowIds().value(hit.row).trimmed();
    if (hit.pointCode.isEmpty() || !m_detail || chapterId != m_chapterId) {
        if (m_detail)
            backToCatalogue();
        selectRow(hit.row);
    }
    if (hit.pointCode.isEmpty()) {
        // Enter in the find box goes on to the next match.
        m_findEdit->setFocus();
        return;
    }
    if (!m_detail)
        openChapter();
    if (m_detail)
        selectPoint(hit.pointCode);
}

void CatalogueWindow::selectPoint(const QString &code)
{
    const auto indexOf = [this, &code] {
        for (int k = 0; k < m_points.count(); ++k) {
            if (m_points.at(k).code == code)
                return k;
        }
        return -1;
    };
    int k = indexOf();
    if (k < 0 && m_keyPointsOnly) {
        m_points.clearFilter();
        m_keyPointsOnly = false;
        m_keyPointsButton->setText(kKeyPoints);
        k = indexOf();
    }
    fillPointList(qMax(0, k));
    m_detail->m_pointList->setFocus();
}

void CatalogueWindow::openChapter()
{
    const int row = selectedRow();
    if (row < 0 || m_detail)
        return;
    const QString id = m_catalogueModel->rowIds().value(row).trimmed();
    if (isGroupId(id)) {
        showPrompt(u"提示"_s, u"请选择具体章节!"_s, 3, 1, u"NO"_s);
        return;
    }
    // Points with at least this many questions are key points; any failure gives 1.
    try {
        m_keyPointThreshold = PointCatalogue::keyPointThreshold(
            m_catalogueModel->counter(row, 1), countPoints(studyData->connection(), id));
    } catch (const Db::DbError &) {
        m_keyPointThreshold = 1;
    }
    m_chapterId = id;

    m_detail = new PointDetailView(m_catalogueBody);
    m_catalogueBody->layout()->addWidget(m_detail);
    m_detail->m_pointList->installEventFilter(this);
    KeyboardAccess::keepEnter(m_detail->m_pointList);
    connect(m_detail->m_pointList, &QListWidget::currentRowChanged, this,
            &CatalogueWindow::showCurrentPoint);
    setCatalogueView(false);
    m_titleLabel->setText(m_catalogueModel->name(row).trimmed());
    m_keyPointsOnly = false;
    m_keyPointsButton->setText(kKeyPoints);
    m_catalogueBody->layout()->activate();
    m_detail->resetSplit();

    try {
        m_points.open(studyData->connection(), id);
    } catch (const Db::DbError &) {
        m_points.close();
        fillPointList();
        showPrompt(u"错误"_s, u"无法读取该章节的考点！"_s, 1, 2, u"NO"_s);
        return;
    }
    fillPointList();
    m_detail->m_pointList->setFocus();
    if (m_points.count() == 0)
        showMessageBox(this, u"提示"_s, u"找不到考点!"_s, QMessageBox::Information);
}

void CatalogueWindow::fillPointList(int select)
{
    if (!m_detail)
        return;
    QListWidget *list = m_detail->m_pointList;
    {
        const QSignalBlocker blocker(list);
        list->clear();
        for (int k = 0; k < m_points.count(); ++k)
            list->addItem(listEntry(m_points.at(k)));
        if (list->count() > 0)
            list->setCurrentRow(qBound(0, select, list->count() - 1));
    }
    showCurrentPoint();
}

void CatalogueWindow::showCurrentPoint()
{
    if (!m_detail)
        return;
    QListWidget *list = m_detail->m_pointList;
    if (list->count() == 0) {
        m_detail->m_pointText->clear();
        m_detail->m_statisticsLine->clear();
        m_practiseButton->setEnabled(false);
        return;
    }
    if (list->currentRow() < 0) {
        const QSignalBlocker blocker(list);
        list->setCurrentRow(0);
    }
    const int k = list->currentRow();
    const Point &point = m_points.at(k);
    RichText::show(m_detail->m_pointText, point.text);
    const Statistics line = statistics(list->item(k)->text(), point);
    m_detail->m_statisticsLine->setText(line.text);
    m_practiseButton->setEnabled(line.practisable);
}

void CatalogueWindow::toggleKeyPoints()
{
    if (!m_detail)
        return;
    if (!m_keyPointsOnly)
        m_points.setMinimumQuestions(m_keyPointThreshold);
    else
        m_points.clearFilter();
    if (m_points.count() > 0) {
        fillPointList();
        m_keyPointsOnly = !m_keyPointsOnly;
        m_keyPointsButton->setText(m_keyPointsOnly ? kAllPoints : kKeyPoints);
        return;
    }
    m_points.clearFilter();
    fillPointList();
    m_keyPointsOnly = false;
    m_keyPointsButton->setText(kKeyPoints);
    showMessageBox(this, u"提示"_s, u"此考点暂无重点内容！"_s, QMessageBox::Information);
}

void CatalogueWindow::practisePoint()
{
    if (!m_detail || !m_detail->m_pointList->currentItem())
        return;
    const int k = m_detail->m_pointList->currentRow();
    const QString title = pointTitle(m_detail->m_pointList->currentItem()->text());
    bool hidden = false;
    {
        WaitCursor wait;
        std::unique_ptr<PointPracticeWindow> practice;
        try {
            QString pointCode = findPointCode(studyData->connection(), title, m_chapterId);
            // A title that holds "(" itself is cut short and found nowhere: the selected point
            // is the one to practise.
            if (pointCode.isEmpty())
                pointCode = m_points.at(k).code;
            App::practiceQuery = PointCatalogue::practiceQuery(pointCode);
            practice = std::make_unique<PointPracticeWindow>(this);
            practice->setWindowTitle(QString());
            const bool ready = !pointCode.isEmpty() && practice->preparePracticeRun();
            wait.release();
            if (ready) {
                // Hidden while the practice window runs. QDialog::hide() would also end this
                // window's own modal loop, so only the widget is hidden.
                QWidget::setVisible(false);
                hidden = true;
                practice->setHintBoard(title);
                practice->exec();
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
    const int k = m_detail->m_pointList->currentRow();
    try {
        m_points.open(studyData->connection(), m_chapterId);
        if (m_keyPointsOnly)
            m_points.setMinimumQuestions(m_keyPointThreshold);
    } catch (const Db::DbError &) {
        // The counters shown stay those read before.
    }
    fillPointList(qMax(0, k));
}

void CatalogueWindow::backToCatalogue()
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
    m_points.close();
    m_keyPointsOnly = false;
    m_keyPointsButton->setText(kKeyPoints);
    m_catalogueGrid->setFocus();
}

void CatalogueWindow::exitCatalogue()
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
    const QRect title = m_titleBar->geometry();
    QLinearGradient strip(0, title.top(), 0, title.bottom());
    strip.setColorAt(0, QColor(0x2F, 0x6D, 0xB0));
    strip.setColorAt(1, QColor(0x21, 0x50, 0x7E));
    p.fillRect(title, strip);
    // The window's own 1-pixel border (it has no frame).
    p.setPen(QPen(QColor(0x21, 0x50, 0x7E), 1));
    p.drawRect(r.adjusted(0, 0, -1, -1));
}
