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
    // Reads the stored plan into the controls.
    void loadPlan();
    void showCountdown();
    // The number field of the kind of target chosen (0 answers, 1 minutes) takes the input.
    void chooseTargetKind(int index);
    // 设定 opens the plan for editing; 保存 checks and stores it and closes it again.
    void editOrSave();
    bool save();
    // Outside editing the number fields are read-only and look it (no white field, no caret);
    // while editing the field of the chosen target takes input.
    void setFieldsReadOnly(bool readOnly);
    void placeNumberFields();

    QLabel *m_leadLabel = nullptr;     // "距离考试还有", or the line shown without a count
    QLabel *m_daysLabel = nullptr;     // the days to go
    QLabel *m_daysUnitLabel = nullptr; // "天"
    QLabel *m_dateCaption = nullptr;
    QDateEdit *m_examDateEdit = nullptr;
    QGroupBox *m_targetGroup = nullptr;
    QButtonGroup *m_targetKinds = nullptr;
    QRadioButton *m_byAnswers = nullptr;
    QRadioButton *m_byMinutes = nullptr;
    QSpinBox *m_answersEdit = nullptr;
    QSpinBox *m_minutesEdit = nullptr;
    QPushButton *m_setButton = nullptr; // "设定", or "保存" while editing
    QPushButton *m_closeButton = nullptr;
};
