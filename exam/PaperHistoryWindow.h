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
    void setReviewRunner(std::function<void(ExamWindow &)> runner) { m_runReview = std::move(runner); }

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void done(int result) override;

private:
    void FormShow();
    void applyLayout(bool compact);
    QPushButton *makeButton(const QString &name, const QString &caption);
    // Table name, title, time used and score of the selected row; false when there is none.
    bool currentPaper(QString &table, QString &title, QString &timeUsed, double &score) const;
    void reloadList();

    void BtnReviewClick(); // 查阅
    void BtnDeleteClick(); // 删除
    void BtnConfigClick(); // 设置

    QSqlQueryModel *Cn1Table_cj = nullptr;
    QTableView *DBGrid1 = nullptr;
    QLabel *LbCount = nullptr;
    QLabel *LbPassed = nullptr;
    QLabel *LbAverage = nullptr;
    QLabel *LbTip = nullptr;
    QPushButton *BtnReview = nullptr;
    QPushButton *BtnDelete = nullptr;
    QPushButton *BtnConfig = nullptr;
    QPushButton *BtnClose = nullptr;
    QImage m_background;
    bool m_compact = false;
    std::function<void(ExamWindow &)> m_runReview;
};
