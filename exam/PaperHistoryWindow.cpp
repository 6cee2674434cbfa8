#include "exam/PaperHistoryWindow.h"

#include "ui/WindowLinks.h"
#include "ui/PromptDialog.h"
#include "ui/ProgressWindow.h"
#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "exam/ExamWindow.h"
#include "exam/Paper.h"
#include "practice/QuestionWidgets.h"
#include "ui/Fonts.h"
#include "ui/MessageBox.h"
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

const char kCheckStyle[] =
    "QLabel#LbTip { color: #B0281F; }"
    "QLabel#LbTitle { color: white; font-weight: bold; }"
    "QTableView { background: white; selection-background-color: #2F6DB0; }";

// Columns of the list query.
enum Column { Title, Score, Time, Table, Sequence };

using WindowParts::BusyCursor;

} // namespace

PaperHistoryWindow::PaperHistoryWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"FrmCheck"_s);
    setWindowTitle(u"查阅试卷"_s);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    setStyleSheet(WindowParts::windowStyle() + QString::fromLatin1(kCheckStyle));
    setFont(Fonts::song(14));
    m_background = WindowParts::backgroundPicture(u"pic/bg_window.bmp"_s);

    Cn1Table_cj = new QSqlQueryModel(this);
    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(u"DBGrid1"_s);
    DBGrid1->setAccessibleName(u"试卷列表"_s);
    DBGrid1->setModel(Cn1Table_cj);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->verticalHeader()->hide();
    DBGrid1->setAlternatingRowColors(true);
    connect(DBGrid1, &QTableView::doubleClicked, this, &PaperHistoryWindow::BtnReviewClick);

    LbCount = new QLabel(this);
    LbPassed = new QLabel(this);
    LbAverage = new QLabel(this);
    for (auto [label, name] : {std::pair{LbCount, u"LbCount"_s}, std::pair{LbPassed, u"LbPassed"_s},
                               std::pair{LbAverage, u"LbAverage"_s}}) {
        label->setObjectName(name);
        label->setAlignment(Qt::AlignCenter);
        label->setStyleSheet(u"background: #10263A; color: #7CE0FF; border: 1px solid #8EA0B3;"
                             u" font-weight: bold; padding: 2px 6px;"_s);
    }
    LbTip = new QLabel(this);
    LbTip->setObjectName(u"LbTip"_s);

    BtnReview = makeButton(u"BtnReview"_s, u"查阅"_s);
    BtnDelete = makeButton(u"BtnDelete"_s, u"删除"_s);
    BtnConfig = makeButton(u"BtnConfig"_s, u"设置"_s);
    BtnClose = makeButton(u"BtnClose"_s, u"关闭"_s);
    connect(BtnReview, &QPushButton::clicked, this, &PaperHistoryWindow::BtnReviewClick);
    connect(BtnDelete, &QPushButton::clicked, this, &PaperHistoryWindow::BtnDeleteClick);
    connect(BtnConfig, &QPushButton::clicked, this, &PaperHistoryWindow::BtnConfigClick);
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::accept);

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
    title->setObjectName(u"LbTitle"_s);
    title->setFont(Fonts::sans(compact ? 14 : 16, true));
    title->setFixedHeight(compact ? 24 : 30);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(margin, 0, margin, margin);
    root->setSpacing(compact ? 6 : 8);
    root->addWidget(title);

    auto *figures = new QHBoxLayout;
    const QFont captionFont = Fonts::sans(compact ? 13 : 14);
    const QFont numberFont = Fonts::sans(compact ? 16 : 18, true);
    for (auto [caption, label] : {std::pair{u"考试次数"_s, LbCount},
                                  std::pair{u"及格次数"_s, LbPassed},
                                  std::pair{u"平均成绩"_s, LbAverage}}) {
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
    root->addWidget(DBGrid1, 1);
    LbTip->setFont(Fonts::sans(compact ? 12 : 13));
    root->addWidget(LbTip);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton *b : {BtnReview, BtnDelete, BtnConfig, BtnClose}) {
        b->setFont(Fonts::sans(compact ? 13 : 14));
        b->setFixedHeight(compact ? 26 : 30);
        b->setMinimumWidth(compact ? 64 : 76);
        buttons->addWidget(b);
    }
    root->addLayout(buttons);
    DBGrid1->setFont(Fonts::song(compact ? 13 : 14));
}

void PaperHistoryWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    WindowParts::centre(this);
    FormShow();
}

void PaperHistoryWindow::reloadList()
{
    Cn1Table_cj->setQuery(u"select A3,A6,D2,A1,A3_1 from tab_cj order by A3_1 desc"_s,
                          studyData->connection());
    while (Cn1Table_cj->canFetchMore())
        Cn1Table_cj->fetchMore();
    Cn1Table_cj->setHeaderData(Title, Qt::Horizontal, u"试卷名称"_s);
    Cn1Table_cj->setHeaderData(Score, Qt::Horizontal, u"成绩"_s);
    Cn1Table_cj->setHeaderData(Time, Qt::Horizontal, u"用时"_s);
    DBGrid1->setColumnHidden(Table, true);
    DBGrid1->setColumnHidden(Sequence, true);
    // The title takes the room the score and the time leave, so that it is read whole.
    DBGrid1->setColumnWidth(Score, m_compact ? 65 : 80);
    DBGrid1->setColumnWidth(Time, m_compact ? 65 : 80);
    DBGrid1->horizontalHeader()->setSectionResizeMode(Title, QHeaderView::Stretch);
    if (Cn1Table_cj->rowCount() > 0)
        DBGrid1->selectRow(0);
}

void PaperHistoryWindow::FormShow()
{
    BusyCursor busy;
    for (QLabel *l : {LbCount, LbPassed, LbAverage})
        l->setText(u"0"_s);
    try {
        const Paper::Settings settings = Paper::readSettings(studyData->connection());
        LbTip->setText(u"[提示]：成绩少于 "_s + QString::number(settings.leastMark) +
                       u" 分的试卷，不被保留。"_s);
        reloadList();
        const Paper::HistoryFigures f =
            Paper::historyFigures(studyData->connection(), Paper::passThreshold(studyData->totalPaperScore()));
        LbCount->setText(QString::number(f.papers));
        LbPassed->setText(QString::number(f.passed));
        LbAverage->setText(QString::number(f.average));
    } catch (const std::exception &e) {
        qWarning("studyaid: %s", e.what());
        showPrompt(u"错误"_s, u"无法读取试卷记录！"_s, 1, 2, u"NO"_s);
    }
}

bool PaperHistoryWindow::currentPaper(QString &table, QString &title, QString &timeUsed,
                             double &score) const
{
    const QModelIndex current = DBGrid1->currentIndex();
    const int row = current.isValid() ? current.row()
                                      : (DBGrid1->selectionModel()->selectedRows().isEmpty()
                                             ? -1
                                             : DBGrid1->selectionModel()->selectedRows().first().row());
    if (row < 0 || row >= Cn1Table_cj->rowCount())
        return false;
    const QSqlRecord r = Cn1Table_cj->record(row);
    table = r.value(Table).toString();
    title = r.value(Title).toString();
    timeUsed = r.value(Time).toString();
    score = r.value(Score).toDouble();
    return true;
}

void PaperHistoryWindow::BtnReviewClick()
{
    QString table, title, timeUsed;
    double score = 0;
    if (!currentPaper(table, title, timeUsed, score))
        return;
    {
        ProgressNotice notice(u"正在初始化数据..."_s);
        notice.setText(u"正在提取数据..."_s);
        ExamWindow exam(this);
        exam.PreparePaper(table, title, u"old"_s, score, timeUsed);
        if (exam.OpenPaper() != 1) {
            StopForPaper(Paper::Failure::Open);
            return;
        }
        progressWindow()->finish();
        m_runReview(exam);
    }
    FormShow();
}

void PaperHistoryWindow::BtnDeleteClick()
{
    QString table, title, timeUsed;
    double score = 0;
    if (!currentPaper(table, title, timeUsed, score))
        return;
    if (showMessageBox(this, u"提示"_s, u"即将删除试卷，要继续么？"_s, QMessageBox::Question,
                         QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok)
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

void PaperHistoryWindow::BtnConfigClick()
{
    WindowLinks::openSoundSettings(this);
}

void PaperHistoryWindow::paintEvent(QPaintEvent *)
{
    WindowParts::paintChrome(this, m_background, m_compact ? 24 : 30);
}

void PaperHistoryWindow::done(int result)
{
    Cn1Table_cj->clear();
    QDialog::done(result);
}
