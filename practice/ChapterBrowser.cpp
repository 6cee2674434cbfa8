#include "practice/ChapterBrowser.h"

#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "practice/ChapterGridModel.h"
#include "practice/PracticeSets.h"
#include "practice/PracticeWindow.h"
#include "ui/Fonts.h"
#include "ui/MessageBox.h"
#include "ui/PromptDialog.h"
#include "ui/WaitCursor.h"
#include "ui/WindowChrome.h"
#include "ui/WindowLinks.h"
#include "ui/WindowParts.h"

#include <QApplication>
#include <QBackingStore>
#include <QHeaderView>
#include <QLCDNumber>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTableView>
#include <memory>

using namespace Qt::StringLiterals;
using PracticeSets::Set;

namespace {

// Columns of the grid.
constexpr int kCodeColumn = ChapterGridModel::Code;
constexpr int kKeyColumn = ChapterGridModel::Key;
constexpr int kNameColumn = ChapterGridModel::Name;
constexpr int kFirstFigureColumn = ChapterGridModel::QuestionCount;
constexpr int kLastFigureColumn = ChapterGridModel::Score;

// Chapter names indented by level (subject, division, chapter, section), subjects in the bold
// sans face of the captions (a bold serif face would be one more font file in memory for a few
// rows); the figures right-aligned.
class ChapterDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const int codeLength = index.siblingAtColumn(kCodeColumn).data().toString().size();
        if (index.column() == kNameColumn) {
            const int level = codeLength <= 1 ? 0 : codeLength <= 2 ? 1 : codeLength <= 4 ? 2 : 3;
            option->text = QString(level * 2, QChar(0x3000)) + option->text;
            if (codeLength <= 2)
                option->font = Fonts::sans(option->font.pixelSize(), true);
        } else {
            option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
        }
    }
};

const QColor kInk(0x1F, 0x3A, 0x56);
const QColor kBlue(0x2F, 0x6D, 0xB0);
const QColor kBlueDeep(0x21, 0x50, 0x7E);

} // namespace

ChapterBrowser::ChapterBrowser(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"ChapterBrowser"_s);
    setWindowTitle(u"科目名称"_s);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFont(Fonts::sans(13));
    setStyleSheet(
        u"QPushButton { color: #1F3A56; background: qlineargradient(x1:0,y1:0,x2:0,y2:1,"
        u"stop:0 #FFFFFF, stop:1 #DCE6F0); border: 1px solid #8EA7C0; border-radius: 5px; }"
        u"QPushButton:hover { background: qlineargradient(x1:0,y1:0,x2:0,y2:1,"
        u"stop:0 #FFFFFF, stop:1 #C9DAEC); border-color: #2F6DB0; }"
        u"QPushButton:pressed { background: #BFD3E8; }"
        u"QPushButton:focus { border-color: #2F6DB0; }"
        u"QTableView { background: #FFFFFF; alternate-background-color: #F3F7FB;"
        u" gridline-color: #D5DEE8; border: 1px solid #8EA7C0;"
        u" selection-background-color: #2F6DB0; selection-color: #FFFFFF; }"
        u"QHeaderView::section { background: #E2EAF3; color: #1F3A56; border: none;"
        u" border-right: 1px solid #C5D2DF; border-bottom: 1px solid #C5D2DF; padding: 2px; }"
        u"QLCDNumber { background: #10263B; color: #7CF29A; border: 1px solid #0A1A29;"
        u" border-radius: 3px; }"_s);

    m_chapterModel = new ChapterGridModel(this);
    m_chapterModel->setObjectName(u"chapterModel"_s);

    m_chapterGrid = new QTableView(this);
    m_chapterGrid->setObjectName(u"chapterGrid"_s);
    m_chapterGrid->setAccessibleName(u"章节目录"_s);
    m_chapterGrid->setModel(m_chapterModel);
    m_chapterGrid->setItemDelegate(new ChapterDelegate(m_chapterGrid));
    WindowChrome::setUpReadOnlyGrid(*m_chapterGrid);
    connect(m_chapterGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { currentRowChanged(); });
    connect(m_chapterGrid, &QTableView::doubleClicked, this,
            [this] { startPractice(0, true, u"练习新题"_s); });

    m_newQuestionsButton = WindowParts::makeButton(this, u"newQuestionsButton"_s, u"练习新题"_s);
    m_wrongQuestionsButton =
        WindowParts::makeButton(this, u"wrongQuestionsButton"_s, u"错题重做"_s);
    m_doneQuestionsButton = WindowParts::makeButton(this, u"doneQuestionsButton"_s, u"习题重温"_s);
    m_entryButton = WindowParts::makeButton(this, u"entryButton"_s, u"试题录入"_s);
    m_settingsButton = WindowParts::makeButton(this, u"settingsButton"_s, u"设置"_s);
    m_closeButton = WindowParts::makeButton(this, u"closeButton"_s, u"关闭"_s);
    connect(m_newQuestionsButton, &QPushButton::clicked, this,
            [this] { startPractice(0, false, m_newQuestionsButton->text()); });
    connect(m_wrongQuestionsButton, &QPushButton::clicked, this,
            [this] { startPractice(1, false, m_wrongQuestionsButton->text()); });
    connect(m_doneQuestionsButton, &QPushButton::clicked, this,
            [this] { startPractice(2, false, m_doneQuestionsButton->text()); });
    connect(m_entryButton, &QPushButton::clicked, this, &ChapterBrowser::enterQuestions);
    connect(m_settingsButton, &QPushButton::clicked, this, &ChapterBrowser::openSettings);
    connect(m_closeButton, &QPushButton::clicked, this, &ChapterBrowser::closeBrowser);

    auto makeCaption = [this](const QString &name, const QString &text) {
        auto *l = new QLabel(text, this);
        l->setObjectName(name);
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        return l;
    };
    auto makeNumber = [this](const QString &name, const QString &caption) {
        auto *n = new QLCDNumber(5, this);
        n->setObjectName(name);
        n->setSegmentStyle(QLCDNumber::Flat);
        n->setAccessibleName(caption);
        n->display(0);
        return n;
    };
    m_captions = {makeCaption(u"questionTotalCaption"_s, u"总习题数"_s),
                  makeCaption(u"answerTotalCaption"_s, u"已做题道次"_s),
                  makeCaption(u"wrongTotalCaption"_s, u"做错题道次"_s),
                  makeCaption(u"scoreCaption"_s, u"综合成绩"_s)};
    m_questionTotal = makeNumber(u"questionTotal"_s, u"总习题数"_s);
    m_answerTotal = makeNumber(u"answerTotal"_s, u"已做题道次"_s);
    m_wrongTotal = makeNumber(u"wrongTotal"_s, u"做错题道次"_s);
    m_scoreLabel = new QLabel(u"分数"_s, this);
    m_scoreLabel->setObjectName(u"scoreLabel"_s);
    m_scoreLabel->setAlignment(Qt::AlignCenter);
    m_scoreLabel->setAccessibleName(u"综合成绩"_s);
    m_setCountLabel = new QLabel(this);
    m_setCountLabel->setObjectName(u"setCountLabel"_s);
    m_setCountLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_setCountLabel->setStyleSheet(u"color: #C63A30;"_s);
    m_hintLabel =
        new QLabel(u"先选中具体章节，再选择练习方式；错题重做、习题重温也可选科目或全部科目"
                   u"（含模拟考试中做错的题）。双击章节即练习新题。"_s,
                   this);
    m_hintLabel->setObjectName(u"hintLabel"_s);
    m_hintLabel->setWordWrap(true);
    m_hintLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    setTabOrder(m_chapterGrid, m_newQuestionsButton);
    setTabOrder(m_newQuestionsButton, m_wrongQuestionsButton);
    setTabOrder(m_wrongQuestionsButton, m_doneQuestionsButton);
    setTabOrder(m_doneQuestionsButton, m_entryButton);
    setTabOrder(m_entryButton, m_settingsButton);
    setTabOrder(m_settingsButton, m_closeButton);
    applyLayout();
}

ChapterBrowser::~ChapterBrowser() = default;

void ChapterBrowser::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        loadChapters();
}

void ChapterBrowser::loadChapters()
{
    WaitCursor wait;
    applyLayout();
    try {
        refreshGrid();
        showTotals();
    } catch (const Db::DbError &e) {
        // The driver's own text means nothing to the candidate; the browser stays open.
        wait.release();
        showMessageBox(this, u"错误"_s, Db::failureMessage(e, u"发生错误！"_s),
                       QMessageBox::Critical);
        return;
    }
    if (m_rememberedCode.isEmpty() && m_startSubject > 0) {
        // The n-th subject row (a two-character code) in display order.
        int seen = 0;
        for (int row = 0; row < m_chapterModel->rowCount(); ++row) {
            const QString code = m_chapterModel->code(row);
            if (code.size() == 2 && ++seen == m_startSubject) {
                moveToChapter(code);
                break;
            }
        }
        return;
    }
    moveToChapter(m_rememberedCode);
}

void ChapterBrowser::refreshGrid()
{
    // Read again on every show: a practice run has changed the figures of its chapters.
    // The totals are summed while the grid is read.
    m_chapterModel->reload(studyData->connection());
    m_chapterGrid->setColumnHidden(kCodeColumn, true);
    m_chapterGrid->setColumnHidden(kKeyColumn, true);
    // The first column is wider on screens wider than 800.
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const bool narrowScreen = screen && screen->geometry().width() == 800;
    // Header captions sized to their columns (a style sheet rule: the window's sheet would
    // otherwise override a font set on the header).
    m_chapterGrid->horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView { font-size: %1px; font-weight: bold; }")
            .arg(narrowScreen ? 11 : 13));
    m_chapterGrid->setColumnWidth(kNameColumn, narrowScreen ? 308 : 370);
    for (int c = kFirstFigureColumn; c <= kLastFigureColumn; ++c)
        m_chapterGrid->setColumnWidth(c, narrowScreen ? 50 : 65);
    if (m_chapterModel->rowCount() > 0)
        m_chapterGrid->setCurrentIndex(m_chapterModel->index(0, kNameColumn));
    showSetCounts();
}

void ChapterBrowser::showTotals()
{
    const PracticeSets::Totals &t = m_chapterModel->totals();
    m_questionTotal->display(int(t.displayedQuestions()));
    m_answerTotal->display(int(qMin<qint64>(t.answers, 99999)));
    m_wrongTotal->display(int(qMin<qint64>(t.wrong, 99999)));
    const QString score = t.scoreText();
    if (!score.isEmpty())
        m_scoreLabel->setText(score);
}

void ChapterBrowser::moveToChapter(const QString &code)
{
    if (code.isEmpty())
        return;
    const int row = m_chapterModel->rowOf(code);
    if (row >= 0) {
        m_chapterGrid->setCurrentIndex(m_chapterModel->index(row, kNameColumn));
        m_chapterGrid->scrollTo(m_chapterGrid->currentIndex(), QAbstractItemView::PositionAtCenter);
    }
}

QString ChapterBrowser::currentCode() const
{
    const QModelIndex current = m_chapterGrid->currentIndex();
    if (!current.isValid())
        return {};
    return current.siblingAtColumn(kCodeColumn).data().toString();
}

void ChapterBrowser::currentRowChanged()
{
    const QModelIndex current = m_chapterGrid->currentIndex();
    if (studyData && current.isValid())
        studyData->setCurrentChapterKey(m_chapterModel->key(current.row()));
    showSetCounts();
}

void ChapterBrowser::showSetCounts()
{
    // What 错题重做 and 习题重温 would start on the selected row, before starting.
    const QString code = currentCode();
    if (!studyData || code.isEmpty()) {
        m_setCountLabel->clear();
        return;
    }
    try {
        const QSqlDatabase db = studyData->connection();
        m_setCountLabel->setText(
            u"错题 %1 道\n做过 %2 道"_s.arg(PracticeSets::setSize(db, Set::Wrong, code))
                .arg(PracticeSets::setSize(db, Set::Done, code)));
    } catch (const Db::DbError &) {
        // The counts are a help only; the sets themselves report their own failures.
        m_setCountLabel->clear();
    }
}

void ChapterBrowser::startPractice(int set, bool doubleClicked, const QString &caption)
{
    if (!m_chapterGrid->currentIndex().isValid())
        return;
    const QString code = currentCode();
    m_rememberedCode = code;
    const Set which = static_cast<Set>(set);
    if (!PracticeSets::canStart(which, code)) {
        showMessageBox(this, u"提示"_s, u"请选择具体章节目录！"_s, QMessageBox::Information);
        return;
    }
    App::practiceQuery = PracticeSets::practiceQuery(which, code, doubleClicked);

    bool hidden = false;
    {
        WaitCursor wait;
        std::unique_ptr<PracticeWindow> practice;
        try {
            practice = std::make_unique<PracticeWindow>(this);
            practice->setWindowTitle(caption);
            const bool ready = practice->preparePracticeRun();
            wait.release();
            if (ready) {
                // Hidden while the practice window runs. QDialog::hide() would also end this
                // window's own modal loop, so only the widget is hidden.
                QWidget::setVisible(false);
                hidden = true;
                // Its pixels are given back while the practice window runs: shown again, the
                // browser is drawn afresh at its size (with fresh figures in any case).
                if (QBackingStore *store = backingStore())
                    store->resize(QSize(1, 1));
                practice->exec();
            } else {
                showPrompt(u"提示"_s, PracticeSets::emptySetMessage(which), 1,
                           PracticeSets::emptySetIcon(which), u"NO"_s);
            }
        } catch (const std::exception &e) {
            wait.release();
            showPrompt(u"错误"_s, Db::failureMessage(e, u"发生错误！"_s), 1, 2, u"NO"_s);
        }
    }
    // Shown again (with fresh figures and totals when it had been hidden).
    if (hidden)
        show();
}

void ChapterBrowser::enterQuestions()
{
    if (m_chapterModel->rowCount() == 0 || !m_chapterGrid->currentIndex().isValid())
        return;
    if (PracticeSets::isSubjectCode(currentCode())) {
        showMessageBox(this, u"提示"_s, u"请选择具体章节目录！"_s, QMessageBox::Information);
        return;
    }
    const QModelIndex current = m_chapterGrid->currentIndex();
    const QString code = currentCode();
    const QString name = current.siblingAtColumn(kNameColumn).data().toString();
    int saved = 0;
    bool failed = false;
    try {
        saved = WindowLinks::enterQuestions(this, code, u"试题录入 ["_s + name + u']');
    } catch (const std::exception &) {
        failed = true;
    }
    // The grid is read again and returns to the chapter; the total counts the new questions.
    try {
        refreshGrid();
    } catch (const Db::DbError &) {
        failed = true;
    }
    moveToChapter(code);
    PracticeSets::Totals shown;
    shown.questions = m_questionTotal->intValue() + saved;
    m_questionTotal->display(int(shown.displayedQuestions()));
    if (failed)
        showMessageBox(this, u"提示"_s, u"录入试题后出现异常!"_s, QMessageBox::Warning);
}

void ChapterBrowser::openSettings()
{
    WindowLinks::openSoundSettings(this);
}

void ChapterBrowser::closeBrowser()
{
    m_chapterModel->clear();
    close();
}

void ChapterBrowser::applyLayout()
{
    m_compact = App::displayMode == u"800"_s;
    const bool c = m_compact;
    setFixedSize(c ? QSize(761, 480) : QSize(935, 611));
    m_header = c ? 36 : 44;
    const int margin = c ? 12 : 20;
    const int gridTop = m_header + (c ? 30 : 36);
    const int buttonH = c ? 30 : 36;
    const int buttonTop = height() - margin - buttonH;
    const int gridW = c ? 580 : 716;
    const int gridH = buttonTop - (c ? 12 : 16) - gridTop;
    m_gridRect = QRect(margin, gridTop, gridW, gridH);
    m_chapterGrid->setGeometry(m_gridRect);
    m_chapterGrid->setFont(Fonts::song(c ? 13 : 15));
    m_chapterGrid->verticalHeader()->setDefaultSectionSize(c ? 22 : 26);
    m_chapterGrid->horizontalHeader()->setFixedHeight(c ? 24 : 28);

    // Practice and entry buttons under the grid, settings and close under the panel.
    const QFont buttonFont = Fonts::sans(c ? 13 : 15, true);
    const int gap = c ? 10 : 14;
    const int wideW = (gridW - 3 * gap) / 4;
    int x = margin;
    for (QPushButton *b :
         {m_newQuestionsButton, m_wrongQuestionsButton, m_doneQuestionsButton, m_entryButton}) {
        b->setGeometry(x, buttonTop, wideW, buttonH);
        b->setFont(buttonFont);
        x += wideW + gap;
    }
    const int panelX = margin + gridW + (c ? 12 : 16);
    const int panelW = width() - margin - panelX;
    m_panelRect = QRect(panelX, gridTop, panelW, gridH);
    const int smallW = (panelW - gap) / 2;
    m_settingsButton->setGeometry(panelX, buttonTop, smallW, buttonH);
    m_closeButton->setGeometry(panelX + panelW - smallW, buttonTop, smallW, buttonH);
    m_settingsButton->setFont(buttonFont);
    m_closeButton->setFont(buttonFont);

    // The remarks panel: a caption and a figure for each total.
    const int inner = c ? 10 : 14;
    const int captionH = c ? 20 : 24;
    const int numberH = c ? 34 : 42;
    const int block = captionH + numberH + (c ? 10 : 16);
    int y = gridTop + (c ? 38 : 46);
    QList<QWidget *> values{m_questionTotal, m_answerTotal, m_wrongTotal, m_scoreLabel};
    for (int i = 0; i < 4; ++i) {
        m_captions[i]->setGeometry(panelX + inner, y, panelW - 2 * inner, captionH);
        m_captions[i]->setFont(Fonts::sans(c ? 13 : 14, true));
        values[i]->setGeometry(panelX + inner, y + captionH, panelW - 2 * inner, numberH);
        y += block;
    }
    m_scoreLabel->setFont(Fonts::sans(c ? 20 : 24, true));
    const int countH = c ? 36 : 44;
    m_setCountLabel->setFont(Fonts::sans(c ? 12 : 13, true));
    m_setCountLabel->setGeometry(panelX + inner, y, panelW - 2 * inner, countH);
    y += countH + (c ? 4 : 8);
    m_hintLabel->setFont(Fonts::sans(c ? 11 : 12));
    m_hintLabel->setGeometry(panelX + inner, y, panelW - 2 * inner, gridTop + gridH - y - inner);
    m_hintLabel->setVisible(m_hintLabel->height() >= (c ? 40 : 48));

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    update();
}

void ChapterBrowser::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect r = rect();
    // Body and title strip.
    QLinearGradient body(0, 0, 0, r.height());
    body.setColorAt(0, QColor(0xF4, 0xF7, 0xFA));
    body.setColorAt(1, QColor(0xE3, 0xEA, 0xF1));
    p.fillRect(r, body);
    QLinearGradient strip(0, 0, 0, m_header);
    strip.setColorAt(0, kBlue);
    strip.setColorAt(1, kBlueDeep);
    p.fillRect(QRect(0, 0, r.width(), m_header), strip);
    p.setPen(Qt::white);
    p.setFont(Fonts::sans(m_compact ? 16 : 19, true));
    p.drawText(QRect(m_compact ? 14 : 22, 0, r.width() / 2, m_header),
               Qt::AlignLeft | Qt::AlignVCenter, windowTitle());
    p.setFont(Fonts::sans(m_compact ? 11 : 12));
    p.setPen(QColor(0xD6, 0xE4, 0xF2));
    p.drawText(QRect(r.width() / 2, 0, r.width() / 2 - (m_compact ? 14 : 22), m_header),
               Qt::AlignRight | Qt::AlignVCenter, u"章节练习"_s);

    // Heading over the grid.
    const int headingH = m_gridRect.top() - m_header;
    p.setPen(kInk);
    p.setFont(Fonts::sans(m_compact ? 15 : 17, true));
    QRect heading(m_gridRect.left(), m_header, m_gridRect.width(), headingH);
    p.fillRect(QRect(heading.left(), heading.top() + headingH / 2 - (m_compact ? 7 : 9), 4,
                     m_compact ? 14 : 18),
               kBlue);
    p.drawText(heading.adjusted(10, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, u"目录"_s);

    // The remarks panel.
    QPainterPath panel;
    panel.addRoundedRect(QRectF(m_panelRect).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    p.fillPath(panel, QColor(0xFF, 0xFF, 0xFF));
    p.setPen(QPen(QColor(0x8E, 0xA7, 0xC0), 1));
    p.drawPath(panel);
    const int titleH = m_compact ? 28 : 34;
    QPainterPath title;
    title.addRoundedRect(
        QRectF(m_panelRect.left() + 0.5, m_panelRect.top() + 0.5, m_panelRect.width() - 1, titleH),
        6, 6);
    title.addRect(QRectF(m_panelRect.left() + 0.5, m_panelRect.top() + titleH / 2.0,
                         m_panelRect.width() - 1, titleH / 2.0));
    p.fillPath(title.simplified(), QColor(0xE2, 0xEA, 0xF3));
    p.setPen(kInk);
    p.setFont(Fonts::sans(m_compact ? 14 : 16, true));
    p.drawText(QRect(m_panelRect.left(), m_panelRect.top(), m_panelRect.width(), titleH),
               Qt::AlignCenter, u"评语板"_s);

    // The window's own border (it has no frame).
    p.setPen(QPen(kBlueDeep, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
}
