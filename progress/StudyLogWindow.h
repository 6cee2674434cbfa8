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
    // Reads the log's rows and its totals.
    void loadLog();
    // Places the grid, the totals and the buttons for the display mode.
    void applyLayout();
    void openSoundSettings();

    QSqlQueryModel *m_logModel = nullptr;
    QTableView *m_logGrid = nullptr;
    // The totals over all days: answers, wrong answers, overall score.
    QLabel *m_answersTotalLabel = nullptr;
    QLabel *m_wrongTotalLabel = nullptr;
    QLabel *m_scoreLabel = nullptr;
    QList<QLabel *> m_captions;              // of the three totals
    QPushButton *m_settingsButton = nullptr; // 音乐设置
    QPushButton *m_closeButton = nullptr;
    bool m_compact = false;
};
