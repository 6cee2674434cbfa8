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
    void loadSettings();
    // 默认 is offered while at least one setting is ticked.
    void updateDefaultButton();
    // The lowest score kept cannot exceed the full mark of a paper.
    void checkLeastMark();
    void restoreDefaults(); // 默认: the ticked settings go back to their defaults
    void saveAndClose();    // 关闭: saves and closes

    QCheckBox *m_leastMarkCheck = nullptr;  // 保留试卷最低分数
    QCheckBox *m_examTimeCheck = nullptr;   // 模拟考试答题时间
    QLineEdit *m_leastMarkEdit = nullptr;   // lowest score kept (LeastMark), points
    QLineEdit *m_examMinutesEdit = nullptr; // time limit in minutes
    QPushButton *m_defaultButton = nullptr;
    QPushButton *m_closeButton = nullptr;
    QImage m_background;
    int m_fullMark = 0; // of a paper of the current kind
    bool m_adjusting = false;
};
