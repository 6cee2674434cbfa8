// The backup window: the backups of the study database with their dates and answers, a backup
// taken on request, and a chosen backup restored after a confirmation.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;

class BackupWindow : public QDialog
{
    Q_OBJECT

public:
    explicit BackupWindow(QWidget *parent = nullptr);

    // Reads the list of backups again.
    void refreshList();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void applyLayout(bool compact);
    void backUpNow();
    void restoreChosenBackup();
    QString databasePath() const;

    QLabel *m_noticeLabel = nullptr; // where the backups are kept, or why there are none
    QTreeWidget *m_backupList = nullptr;
    QPushButton *m_backupNowButton = nullptr;
    QPushButton *m_restoreButton = nullptr;
    QPushButton *m_closeButton = nullptr;
};
