// The study log: one line per day of study, newest first, with the totals over all days.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QSqlQueryModel;
class QTableView;

class StudyLogWindow : public QDialog
{
    Q_OBJECT

public:
    explicit StudyLogWindow(QWidget *parent = nullptr);
    ~StudyLogWindow() override;

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void done(int result) override;

private:
    void FormCreate();
    void FormShow();
    void settingsClick();

    QSqlQueryModel *Cn1DS_rz = nullptr;
    QTableView *DBGrid1 = nullptr;
    QLabel *epLabel2 = nullptr;
    QLabel *epLabel3 = nullptr;
    QLabel *epLabel4 = nullptr;
    QList<QLabel *> m_captions;
    QPushButton *SpeedButton1 = nullptr; // 设置
    QPushButton *SpeedButton2 = nullptr; // 关闭
    bool m_compact = false;
};
