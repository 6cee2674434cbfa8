// The paper history: the kept mock-exam papers with their scores, reopened for review or deleted.
#pragma once

#include <QDialog>
#include <QImage>
#include <functional>

class QLabel;
class QPushButton;
class QSqlQueryModel;
class QTableView;
class ExamWindow;

class PaperHistoryWindow : public QDialog
{
    Q_OBJECT

public:
    explicit PaperHistoryWindow(QWidget *parent = nullptr);
    ~PaperHistoryWindow() override;

    // Test seam: how the review window is run (default: exec()).
    void setReviewRunner(std::function<void(ExamWindow &)> runner)
    {
        m_runReview = std::move(runner);
    }

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void done(int result) override;

private:
    void loadHistory();
    void applyLayout(bool compact);
    QPushButton *makeButton(const QString &name, const QString &caption);
    // Table name, title, time used and score of the selected row; false when there is none.
    bool currentPaper(QString &table, QString &title, QString &timeUsed, double &score) const;
    void reloadList();

    void reviewPaper();         // 查阅
    void deleteSelectedPaper(); // 删除
    void openSoundSettings();   // 设置

    QSqlQueryModel *m_historyModel = nullptr; // the kept papers, newest first
    QTableView *m_paperGrid = nullptr;
    QLabel *m_paperCountLabel = nullptr;   // 考试次数
    QLabel *m_passedCountLabel = nullptr;  // 及格次数
    QLabel *m_averageScoreLabel = nullptr; // 平均成绩
    QLabel *m_keepHintLabel = nullptr;     // the lowest score for which a paper is kept
    QPushButton *m_reviewButton = nullptr;
    QPushButton *m_deleteButton = nullptr;
    QPushButton *m_settingsButton = nullptr;
    QPushButton *m_closeButton = nullptr;
    QImage m_background;
    bool m_compact = false;
    std::function<void(ExamWindow &)> m_runReview;
};
