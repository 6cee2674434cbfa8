#include "app/BackupWindow.h"

#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "data/UserData.h"
#include "ui/Fonts.h"
#include "ui/PromptDialog.h"
#include "ui/WindowParts.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QShowEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int kPathRole = Qt::UserRole;

void prompt(const QString &caption, const QString &message, int icon)
{
    showPrompt(caption, message, 1, icon, u"NO"_s);
}

QString takenText(const QDateTime &taken)
{
    return taken.toString(u"yyyy-MM-dd HH:mm:ss"_s);
}

} // namespace

BackupWindow::BackupWindow(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(u"BackupWindow"_s);
    setWindowTitle(u"数据备份"_s);
    setStyleSheet(WindowParts::windowStyle());

    m_noticeLabel = new QLabel(this);
    m_noticeLabel->setObjectName(u"noticeLabel"_s);
    m_noticeLabel->setWordWrap(true);

    m_backupList = new QTreeWidget(this);
    m_backupList->setObjectName(u"backupList"_s);
    m_backupList->setAccessibleName(u"备份列表"_s);
    m_backupList->setRootIsDecorated(false);
    m_backupList->setUniformRowHeights(true);
    m_backupList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_backupList->setHeaderLabels({u"备份时间"_s, u"作答次数"_s});
    m_backupList->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_backupList->header()->setSectionResizeMode(1, QHeaderView::Fixed);
    m_backupList->header()->setStretchLastSection(false);
    m_backupList->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    // Enter or a double-click on a backup restores it, after the confirmation.
    connect(m_backupList, &QTreeWidget::doubleClicked, this, &BackupWindow::restoreChosenBackup);

    m_backupNowButton = WindowParts::makeButton(this, u"backupNowButton"_s, u"立即备份"_s);
    connect(m_backupNowButton, &QPushButton::clicked, this, &BackupWindow::backUpNow);
    m_restoreButton = WindowParts::makeButton(this, u"restoreButton"_s, u"恢复所选备份"_s);
    connect(m_restoreButton, &QPushButton::clicked, this, &BackupWindow::restoreChosenBackup);
    m_closeButton = WindowParts::makeButton(this, u"closeButton"_s, u"关闭"_s);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_backupNowButton);
    buttons->addWidget(m_restoreButton);
    buttons->addStretch(1);
    buttons->addWidget(m_closeButton);
    auto *column = new QVBoxLayout(this);
    column->addWidget(m_noticeLabel);
    column->addWidget(m_backupList, 1);
    column->addLayout(buttons);

    setTabOrder(m_backupList, m_backupNowButton);
    setTabOrder(m_backupNowButton, m_restoreButton);
    setTabOrder(m_restoreButton, m_closeButton);

    applyLayout(App::displayMode == u"800"_s);
    refreshList();
}

void BackupWindow::applyLayout(bool compact)
{
    // 800 x 600: a smaller window and type; larger screens: more room for the list.
    setFont(Fonts::song(compact ? 13 : 14));
    m_backupList->setFont(Fonts::song(compact ? 13 : 15));
    m_backupList->header()->setFont(Fonts::sans(compact ? 12 : 13, true));
    m_backupList->header()->resizeSection(1, compact ? 120 : 150);
    for (QPushButton *b : {m_backupNowButton, m_restoreButton, m_closeButton}) {
        b->setFont(Fonts::sans(compact ? 13 : 14, true));
        b->setMinimumSize(compact ? 96 : 112, compact ? 30 : 34);
    }
    layout()->setContentsMargins(compact ? 10 : 14, compact ? 10 : 14, compact ? 10 : 14,
                                 compact ? 10 : 14);
    layout()->setSpacing(compact ? 8 : 10);
    setFixedSize(compact ? QSize(520, 380) : QSize(640, 480));
    WindowParts::centre(this);
}

void BackupWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        m_backupList->setFocus();
}

QString BackupWindow::databasePath() const
{
    if (!studyData || !studyData->connected())
        return {};
    try {
        return Db::mainFilePath(studyData->connection());
    } catch (const Db::DbError &) {
        return {};
    }
}

void BackupWindow::refreshList()
{
    const QString database = databasePath();
    m_backupList->clear();
    if (database.isEmpty()) {
        m_noticeLabel->setText(u"学习数据库没有打开，无法备份或恢复。"_s);
        m_backupNowButton->setEnabled(false);
        m_restoreButton->setEnabled(false);
        return;
    }
    m_backupNowButton->setEnabled(true);
    m_noticeLabel->setText(u"学习数据库每天自动备份一次，备份保存在："_s +
                           QDir::toNativeSeparators(UserData::backupFolder(database)));
    const QLocale locale(QLocale::Chinese, QLocale::China);
    for (const UserData::BackupEntry &e : UserData::backups(database)) {
        const UserData::Inspection seen = UserData::inspect(e.path, false);
        auto *item = new QTreeWidgetItem(m_backupList);
        item->setText(0, takenText(e.taken));
        item->setText(1, seen.good ? locale.toString(seen.answers) : u"无法读取"_s);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setData(0, kPathRole, e.path);
    }
    if (m_backupList->topLevelItemCount() > 0)
        m_backupList->setCurrentItem(m_backupList->topLevelItem(0));
    m_restoreButton->setEnabled(m_backupList->topLevelItemCount() > 0);
}

void BackupWindow::backUpNow()
{
    QString why;
    QString made;
    {
        WindowParts::BusyCursor busy;
        made = UserData::backupNow(databasePath(), &why);
    }
    if (made.isEmpty()) {
        qWarning("studyaid: backup: %s", qUtf8Printable(why));
        prompt(u"错误"_s, u"备份失败！\n学习数据库没有任何改动。"_s, 2);
        return;
    }
    refreshList();
    prompt(u"提示"_s, u"备份完成。"_s, 0);
}

void BackupWindow::restoreChosenBackup()
{
    const QTreeWidgetItem *item = m_backupList->currentItem();
    if (!item) {
        prompt(u"提示"_s, u"请先选择要恢复的备份！"_s, 1);
        return;
    }
    const QString path = item->data(0, kPathRole).toString();
    const QString when = item->text(0);
    if (showPrompt(u"提示"_s,
                   u"用 %1 的备份替换当前的学习数据库吗？\n当前的数据库会先备份保留。"_s.arg(when),
                   0, 1, u"NO"_s) != 1)
        return;
    UserData::Restored r;
    {
        WindowParts::BusyCursor busy;
        r = UserData::restore(databasePath(), path, studyData);
    }
    if (!r.why.isEmpty())
        qWarning("studyaid: restore: %s", qUtf8Printable(r.why));
    refreshList();
    switch (r.outcome) {
    case UserData::Restored::Done:
        // Settings held in memory follow the restored database: its answer times.
        try {
            App::loadAnswerTimeTable(studyData->connection(), App::paperKind(),
                                     App::answerTimeTable);
        } catch (const Db::DbError &e) {
            qWarning("studyaid: restore: %s", e.what());
        }
        prompt(u"提示"_s, u"已恢复 %1 的备份。\n原来的数据库已备份保留。"_s.arg(when), 0);
        break;
    case UserData::Restored::BadBackup:
        prompt(u"错误"_s, u"这个备份已损坏，不能恢复！\n学习数据库没有任何改动。"_s, 2);
        break;
    case UserData::Restored::ForeignProduct:
        prompt(u"错误"_s, u"这个备份不属于本软件，不能恢复！\n学习数据库没有任何改动。"_s, 2);
        break;
    case UserData::Restored::NotKept:
        prompt(u"错误"_s, u"无法先备份当前的学习数据库，没有恢复！\n学习数据库没有任何改动。"_s, 2);
        break;
    case UserData::Restored::Failed:
        if (studyData && studyData->connected())
            prompt(u"错误"_s, u"恢复失败！\n学习数据库没有任何改动。"_s, 2);
        else
            prompt(u"错误"_s, u"恢复失败，学习数据库无法打开！\n请退出并重新启动程序。"_s, 2);
        break;
    }
}
