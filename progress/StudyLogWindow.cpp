#include "progress/StudyLogWindow.h"

#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "progress/SoundAndTimeSettingsWindow.h"
#include "progress/StudyLog.h"
#include "ui/Colors.h"
#include "ui/Fonts.h"
#include "ui/PromptDialog.h"
#include "ui/WindowChrome.h"
#include "ui/WindowLinks.h"
#include "ui/WindowParts.h"

#include <QDate>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSqlError>
#include <QSqlQueryModel>
#include <QTableView>

using namespace Qt::StringLiterals;

namespace {

constexpr int kStrip = 32;
// The grid's columns, in the order of StudyLog::gridQuery(): tab_rz's A1, B1, B2, A2, A3, D1, A4.
enum Column
{
    DateColumn,
    QuestionsColumn,      // questions answered that day
    WrongQuestionsColumn, // questions whose latest answer that day was wrong
    AnswersColumn,
    WrongAnswersColumn,
    StudyTimeColumn,
    ScoreColumn,
};

// The log rows: the day with its weekday, figures right-aligned.
class LogModel : public QSqlQueryModel
{
public:
    using QSqlQueryModel::QSqlQueryModel;
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role == Qt::TextAlignmentRole) {
            return index.column() == DateColumn ? int(Qt::AlignLeft | Qt::AlignVCenter)
                                                : int(Qt::AlignRight | Qt::AlignVCenter);
        }
        if (role == Qt::DisplayRole && index.column() == DateColumn) {
            const QString stored = QSqlQueryModel::data(index, role).toString();
            const QDate day = QDate::fromString(stored.left(10), Qt::ISODate);
            if (day.isValid())
                return QString(day.toString(u"yyyy-MM-dd"_s) + u"  "_s +
                               QLocale(QLocale::Chinese, QLocale::China).dayName(day.dayOfWeek()));
            return stored;
        }
        return QSqlQueryModel::data(index, role);
    }
};

} // namespace

StudyLogWindow::StudyLogWindow(QWidget *parent) : QDialog(parent)
{
    WindowChrome::setUp(*this, u"StudyLogWindow"_s, u"日志"_s);
    setFixedSize(761, 480);

    m_logModel = new LogModel(this);
    m_logModel->setObjectName(u"logModel"_s);
    m_logGrid = new QTableView(this);
    m_logGrid->setObjectName(u"logGrid"_s);
    m_logGrid->setAccessibleName(u"学习日志"_s);
    m_logGrid->setModel(m_logModel);
    WindowChrome::setUpReadOnlyGrid(*m_logGrid);
    m_logGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto makeCaption = [this](const QString &text) {
        auto *l = new QLabel(text, this);
        l->setAlignment(Qt::AlignCenter);
        m_captions.append(l);
        return l;
    };
    auto makeNumber = [this](const QString &name, const QString &accessible) {
        auto *l = new QLabel(u"0"_s, this);
        l->setObjectName(name);
        l->setAlignment(Qt::AlignCenter);
        l->setAccessibleName(accessible);
        l->setStyleSheet(u"QLabel { background: #10263B; color: #7CF29A; border: 1px solid "
                         u"#0A1A29; border-radius: 4px; }"_s);
        return l;
    };
    makeCaption(u"已做习题\n（道次）"_s);
    makeCaption(u"做错习题\n（道次）"_s);
    makeCaption(u"综合成绩"_s);
    m_answersTotalLabel = makeNumber(u"answersTotalLabel"_s, u"已做习题（道次）"_s);
    m_wrongTotalLabel = makeNumber(u"wrongTotalLabel"_s, u"做错习题（道次）"_s);
    m_scoreLabel = makeNumber(u"scoreLabel"_s, u"综合成绩"_s);

    m_settingsButton = WindowParts::makeButton(this, u"settingsButton"_s, u"音乐设置"_s);
    m_closeButton = WindowParts::makeButton(this, u"closeButton"_s, u"关闭"_s);
    connect(m_settingsButton, &QPushButton::clicked, this, &StudyLogWindow::openSoundSettings);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::reject);
    setTabOrder(m_logGrid, m_settingsButton);
    setTabOrder(m_settingsButton, m_closeButton);

    loadLog();
}

StudyLogWindow::~StudyLogWindow() = default;

void StudyLogWindow::loadLog()
{
    try {
        m_logModel->setQuery(StudyLog::gridQuery(), studyData->connection());
        if (m_logModel->lastError().isValid())
            throw Db::DbError(m_logModel->lastError().text());
        while (m_logModel->canFetchMore())
            m_logModel->fetchMore();
        const StudyLog::Totals t = StudyLog::readTotals(studyData->connection());
        m_answersTotalLabel->setText(QString::number(t.answers));
        m_wrongTotalLabel->setText(QString::number(t.wrong));
        m_scoreLabel->setText(t.score());
    } catch (const Db::DbError &e) {
        qWarning("studyaid: %s", e.what());
        showPrompt(u"错误"_s, u"无法读取学习日志！"_s, 1, 2, u"NO"_s);
    }
    const QStringList headers{u"日期"_s,     u"做过题数"_s, u"做错题数"_s, u"做过道次"_s,
                              u"做错道次"_s, u"总用时"_s,   u"平均成绩"_s};
    for (int i = 0; i < headers.size(); ++i)
        m_logModel->setHeaderData(i, Qt::Horizontal, headers.at(i));
}

void StudyLogWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        applyLayout();
}

void StudyLogWindow::applyLayout()
{
    // 800 x 600: the grid fills the width above the totals; larger screens: the totals stand in
    // a column beside the grid.
    m_compact = App::displayMode == u"800"_s;
    const bool c = m_compact;
    const int margin = 14;
    const int buttonH = 32;
    const int buttonTop = height() - margin - buttonH;
    const QFont captionFont = Fonts::sans(c ? 13 : 14, true);
    const QFont numberFont = Fonts::sans(c ? 18 : 22, true);
    QList<QLabel *> numbers{m_answersTotalLabel, m_wrongTotalLabel, m_scoreLabel};
    const int dateWidth = c ? 198 : 252;
    const int otherWidth = 80;
    m_logGrid->setFont(Fonts::song(c ? 13 : 14));
    m_logGrid->verticalHeader()->setDefaultSectionSize(c ? 22 : 24);
    m_logGrid->horizontalHeader()->setFixedHeight(26);
    m_logGrid->horizontalHeader()->setStyleSheet(
        u"QHeaderView { font-size: 12px; font-weight: bold; }"_s);
    m_logGrid->setColumnWidth(DateColumn, dateWidth);
    for (int col = QuestionsColumn; col <= ScoreColumn; ++col)
        m_logGrid->setColumnWidth(col, c ? (761 - 2 * margin - dateWidth - 20) / 6 : otherWidth);
    if (c) {
        const int totalsTop = buttonTop - 74;
        m_logGrid->setGeometry(margin, kStrip + 10, width() - 2 * margin, totalsTop - kStrip - 20);
        const int block = 150;
        for (int i = 0; i < 3; ++i) {
            const int x = margin + i * (block + 10);
            m_captions[i]->setGeometry(x, totalsTop, 74, 40);
            numbers[i]->setGeometry(x + 76, totalsTop + 2, block - 80, 36);
        }
        m_settingsButton->setGeometry(width() - margin - 2 * 96 - 10, totalsTop + 4, 96, buttonH);
        m_closeButton->setGeometry(width() - margin - 96, totalsTop + 4, 96, buttonH);
    } else {
        // The totals in a row above the grid, the buttons at its right end.
        const int rowTop = kStrip + 10;
        const int rowH = 50;
        for (int i = 0; i < 3; ++i) {
            const int x = 6 + i * 176;
            m_captions[i]->setGeometry(x, rowTop + 2, 80, 46);
            numbers[i]->setGeometry(x + 82, rowTop + 4, 86, 42);
        }
        m_settingsButton->setGeometry(width() - 6 - 2 * 96 - 8, rowTop + 9, 96, buttonH);
        m_closeButton->setGeometry(width() - 6 - 96, rowTop + 9, 96, buttonH);
        const int gridTop = rowTop + rowH + 10;
        m_logGrid->setGeometry(4, gridTop, width() - 8, height() - gridTop - 6);
    }
    for (QLabel *l : std::as_const(m_captions))
        l->setFont(captionFont);
    for (QLabel *l : numbers)
        l->setFont(numberFont);
    for (QPushButton *b : {m_settingsButton, m_closeButton})
        b->setFont(Fonts::sans(14, true));
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void StudyLogWindow::openSoundSettings()
{
    WindowLinks::openSoundSettings(this);
}

void StudyLogWindow::done(int result)
{
    // The log is read again on the next opening.
    m_logModel->clear();
    QDialog::done(result);
}

void StudyLogWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    WindowChrome::paint(p, rect(), kStrip, windowTitle(), Colors::fromBgr(14930369), 16);
}
