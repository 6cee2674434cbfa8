// The study plan: the countdown to the examination, the examination date and the daily target
// by number of answers or by minutes of study.
#pragma once

#include "progress/StudyPlan.h"

#include <QDialog>

class QButtonGroup;
class QDateEdit;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

class PlanWindow : public QDialog
{
    Q_OBJECT

public:
    explicit PlanWindow(QWidget *parent = nullptr);
    bool editing() const;

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void FormShow();
    void showCountdown();
    void SeSkinRadioGroup1Click(int index);
    void SpeedButton1Click();
    bool save();
    void placeNumberFields();

    QLabel *epLabel1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *epLabel2 = nullptr;
    QLabel *m_dateCaption = nullptr;
    QDateEdit *DateEdit1 = nullptr;
    QGroupBox *SeSkinRadioGroup1 = nullptr;
    QButtonGroup *m_items = nullptr;
    QRadioButton *m_byAnswers = nullptr;
    QRadioButton *m_byMinutes = nullptr;
    QSpinBox *suiNumberEdit1 = nullptr;
    QSpinBox *suiNumberEdit2 = nullptr;
    QPushButton *SpeedButton1 = nullptr;
    QPushButton *SpeedButton2 = nullptr;
};
