// The exam settings: the lowest score for which a graded paper is kept, and the time limit.
#pragma once

#include <QDialog>
#include <QImage>

class QCheckBox;
class QLineEdit;
class QPushButton;

class ExamSettingsWindow : public QDialog
{
    Q_OBJECT

public:
    explicit ExamSettingsWindow(QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void reject() override;

private:
    void FormShow();
    void CheckBoxClick();
    void Edit1Change();
    void BtnDefaultClick(); // 默认
    void BtnCloseClick();   // 关闭: saves and closes

    QCheckBox *CheckBox1 = nullptr; // 保留试卷最低分数
    QCheckBox *CheckBox2 = nullptr; // 模拟考试答题时间
    QLineEdit *Edit1 = nullptr;     // LeastMark
    QLineEdit *Edit2 = nullptr;     // time limit in minutes
    QPushButton *BtnDefault = nullptr;
    QPushButton *BtnClose = nullptr;
    QImage m_background;
    int m_total = 0;
    bool m_adjusting = false;
};
