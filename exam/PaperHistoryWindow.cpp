#include "exam/PaperHistoryWindow.h"

#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "exam/ExamWindow.h"
#include "exam/Paper.h"
#include "practice/QuestionWidgets.h"
#include "ui/Fonts.h"
#include "ui/ProgressWindow.h"
#include "ui/PromptDialog.h"
#include "ui/WindowLinks.h"
#include "ui/WindowParts.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSqlError>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const char kHistoryStyle[] =
    "QLabel#keepHintLabel { color: #B0281F; }"
    "QLabel#titleLabel { color: white; font-weight: bold; }"
    "QTableView { background: white; selection-background-color: #2F6DB0; }";

// Columns of the list query: the history table tab_cj's A3, A6, D2, A1 and A3_1.
enum Column
{
    Title,
    Score,
    Time,
    Table,
    Sequence
};

using WindowParts::BusyCursor;

} // namespace

PaperHistoryWindow::PaperHistoryWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"PaperHistoryWindow"_s);
    setWindowTitle(u"查阅试卷"_s);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    setStyleSheet(WindowParts::windowStyle() + QString::fromLatin1(kHistoryStyle));
    setFont(Fonts::song(14));
    m_background = WindowParts::backgroundPicture(u"pic/bg_window.bmp"_s);

    m_historyModel = new QSqlQueryModel(this);
    m_paperGrid = new QTableView(this);
    m_paperGrid->setObjectName(u"paperGrid"_s);
    m_paperGrid->setAccessibleName(u"试卷列表"_s);
    m_paperGrid->setModel(m_historyModel);
    m_paperGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_paperGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_paperGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_paperGrid->verticalHeader()->hide();
    m_paperGrid->setAlternatingRowColors(true);
    connect(m_paperGrid, &QTableView::doubleClicked, this, &PaperHistoryWindow::reviewPaper);

    m_paperCountLabel = new QLabel(this);
    m_passedCountLabel = new QLabel(this);
    m_averageScoreLabel = new QLabel(this);
    for (auto [label, name] : {std::pair{m_paperCountLabel, u"paperCountLabel"_s},
                               std::pair{m_passedCountLabel, u"passedCountLabel"_s},
                               std::pair{m_averageScoreLabel, u"averageScoreLabel"_s}}) {
        label->setObjectName(name);
        label->setAlignment(Qt::AlignCenter);
        label->setStyleSheet(u"background: #10263A; color: #7CE0FF; border: 1px solid #8EA0B3;"
                             u" font-weight: bold; padding: 2px 6px;"_s);
    }
    m_keepHintLabel = new QLabel(this);
    m_keepHintLabel->setObjectName(u"keepHintLabel"_s);

    m_reviewButton = makeButton(u"reviewButton"_s, u"查阅"_s);
    m_deleteButton = makeButton(u"deleteButton"_s, u"删除"_s);
    m_settingsButton = makeButton(u"settingsButton"_s, u"设置"_s);
    m_closeButton = makeButton(u"closeButton"_s, u"关闭"_s);
    connect(m_reviewButton, &QPushButton::clicked, this, &PaperHistoryWindow::reviewPaper);
    connect(m_deleteButton, &QPushButton::clicked, this, &PaperHistoryWindow::deleteSelectedPaper);
    connect(m_settingsButton, &QPushButton::clicked, this, &PaperHistoryWindow::openSoundSettings);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::accept);

    m_runReview = [](ExamWindow &exam) { exam.exec(); };
    applyLayout(App::displayMode == u"800"_s);
}

PaperHistoryWindow::~PaperHistoryWindow() = default;

QPushButton *PaperHistoryWindow::makeButton(const QString &name, const QString &caption)
{
    return WindowParts::makeButton(this, name, caption);
}

void PaperHistoryWindow::applyLayout(bool compact)
{
    m_compact = compact;
    setFixedSize(compact ? QSize(680, 440) : QSize(780, 520));
    const int margin = compact ? 8 : 12;
    auto *title = new QLabel(windowTitle(), this);
    title->setObjectName(u"titleLabel"_s);
    title->setFont(Fonts::sans(compact ? 14 : 16, true));
    title->setFixedHeight(compact ? 24 : 30);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(margin, 0, margin, margin);
    root->setSpacing(compact ? 6 : 8);
    root->addWidget(title);

    auto *figures = new QHBoxLayout;
    const QFont captionFont = Fonts::sans(compact ? 13 : 14);
    const QFont numberFont = Fonts::sans(compact ? 16 : 18, true);
    for (auto [caption, label] :
         {std::pair{u"考试次数"_s, m_paperCountLabel}, std::pair{u"及格次数"_s, m_passedCountLabel},
          std::pair{u"平均成绩"_s, m_averageScoreLabel}}) {
        auto *c = new QLabel(caption, this);
        c->setFont(captionFont);
        c->setBuddy(label);
        label->setAccessibleName(caption);
        label->setFont(numberFont);
        label->setMinimumWidth(compact ? 54 : 64);
        figures->addWidget(c);
        figures->addWidget(label);
        figures->addSpacing(compact ? 8 : 16);
    }
    figures->addStretch();
    root->addLayout(figures);
    root->addWidget(m_paperGrid, 1);
    m_keepHintLabel->setFont(Fonts::sans(compact ? 12 : 13));
    root->addWidget(m_keepHintLabel);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton *b : {m_reviewButton, m_deleteButton, m_settingsButton, m_closeButton}) {
        b->setFont(Fonts::sans(compact ? 13 : 14));
        b->setFixedHeight(compact ? 26 : 30);
        b->setMinimumWidth(compact ? 64 : 76);
        buttons->addWidget(b);
    }
    root->addLayout(buttons);
    m_paperGrid->setFont(Fonts::song(compact ? 13 : 14));
}

void PaperHistoryWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    WindowParts::centre(this);
    loadHistory();
}

void PaperHistoryWindow::reloadList()
{
    m_historyModel->setQuery(u"select A3,A6,D2,A1,A3_1 from tab_cj order by A3_1 desc"_s,
                             studyData->connection());
    while (m_historyModel->canFetchMore())
        m_historyModel->fetchMore();
    m_historyModel->setHeaderData(Title, Qt::Horizontal, u"试卷名称"_s);
    m_historyModel->setHeaderData(Score, Qt::Horizontal, u"成绩"_s);
    m_historyModel->setHeaderData(Time, Qt::Horizontal, u"用时"_s);
    m_paperGrid->setColumnHidden(Table, true);
    m_paperGrid->setColumnHidden(Sequence, true);
    // The title takes the room the score and the time leave, so that it is read whole.
    m_paperGrid->setColumnWidth(Score, m_compact ? 65 : 80);
    m_paperGrid->setColumnWidth(Time, m_compact ? 65 : 80);
    m_paperGrid->horizontalHeader()->setSectionResizeMode(Title, QHeaderView::Stretch);
    if (m_historyModel->rowCount() > 0)
        m_paperGrid->selectRow(0);
}

void PaperHistoryWindow::loadHistory()
{
    BusyCursor busy;
    for (QLabel *l : {m_paperCountLabel, m_passedCountLabel, m_averageScoreLabel})
        l->setText(u"0"_s);
    try {
        const Paper::Settings settings = Paper::readSettings(studyData->connection());
        m_keepHintLabel->setText(u"[提示]：成绩少于 "_s + QString::number(settings.leastMark) +
                                 u" 分的试卷，不被保留。"_s);
        reloadList();
        const Paper::HistoryFigures f = Paper::historyFigures(
            studyData->connection(), Paper::passThreshold(studyData->totalPaperScore()));
        m_paperCountLabel->setText(QString::number(f.papers));
        m_passedCountLabel->setText(QString::number(f.passed));
        m_averageScoreLabel->setText(QString::number(f.average));
    } catch (const std::exception &e) {
        qWarning("studyaid: %s", e.what());
        showPrompt(u"错误"_s, u"无法读取试卷记录！"_s, 1, 2, u"NO"_s);
    }
}

bool PaperHistoryWindow::currentPaper(QString &table, QString &title, QString &timeUsed,
                                      double &score) const
{
    const QModelIndex current = m_paperGrid->currentIndex();
    const int row = current.isValid()
                        ? current.row()
                        : (m_paperGrid->selectionModel()->selectedRows().isEmpty()
                               ? -1
                               : m_paperGrid->selectionModel()->selectedRows().first().row());
    if (row < 0 || row >= m_historyModel->rowCount())
        return false;
    const QSqlRecord r = m_historyModel->record(row);
    table = r.value(Table).toString();
    title = r.value(Title).toString();
    timeUsed = r.value(Time).toString();
    score = r.value(Score).toDouble();
    return true;
}

void PaperHistoryWindow::reviewPaper()
{
    QString table, title, timeUsed;
    double score = 0;
    if (!currentPaper(table, title, timeUsed, score))
        return;
    {
        ProgressNotice notice(u"正在初始化数据..."_s);
        notice.setText(u"正在提取数据..."_s);
        ExamWindow exam(this);
        exam.preparePaper(table, title, u"old"_s, score, timeUsed);
        if (exam.openPaper() != 1) {
            stopForPaper(Paper::Failure::Open);
            return;
        }
        progressWindow()->finish();
        m_runReview(exam);
    }
    loadHistory();
}

void PaperHistoryWindow::deleteSelectedPaper()
{
    QString table, title, timeUsed;
    double score = 0;
    if (!currentPaper(table, title, timeUsed, score))
        return;
    // 取消 is the default and Escape's answer: a stray key never removes a paper.
    if (showPrompt(u"提示"_s, u"即将删除试卷，要继续么？"_s, 0, 1, u"NO"_s, 2) != 1)
        return;
    try {
        Paper::deletePaper(*studyData, table);
    } catch (const Db::DbError &e) {
        qWarning("studyaid: %s", e.what());
        showPrompt(u"错误"_s, Db::failureMessage(e, u"删除试卷失败，试卷仍然保留。"_s), 1, 2,
                   u"NO"_s);
    }
    // The list follows at once; the figures wait for the next showing.
    reloadList();
}

void PaperHistoryWindow::openSoundSettings()
{
    WindowLinks::openSoundSettings(this);
}

void PaperHistoryWindow::paintEvent(QPaintEvent *)
{
    WindowParts::paintChrome(this, m_background, m_compact ? 24 : 30);
}

void PaperHistoryWindow::done(int result)
{
    m_historyModel->clear();
    QDialog::done(result);
}
