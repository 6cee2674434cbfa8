// The settings window: background music on or off and its track (variant 0), or the answer time
// of every question kind of the paper kind in use (variant 1).
#pragma once

#include <QDialog>
#include <QList>

class QAbstractButton;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QWidget;

class SoundAndTimeSettingsWindow : public QDialog
{
    Q_OBJECT

public:
    // The variant is the application's settings variant at creation.
    explicit SoundAndTimeSettingsWindow(QWidget *parent = nullptr);
    ~SoundAndTimeSettingsWindow() override;

    int variant() const { return m_variant; }

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void done(int result) override;

private:
    void FormShow();
    void fillAnswerTimes();
    void saveAnswerTimes();
    void RxSwitch1Toggled(bool on);
    void FlatComboBox1Activated(int index);

    int m_variant = 0;
    int m_kindRows = 0; // kind rows laid out in the scroll area
    QWidget *m_content = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label4 = nullptr;
    QAbstractButton *RxSwitch1 = nullptr;
    QComboBox *FlatComboBox1 = nullptr;
    QScrollArea *ScrollBox1 = nullptr;
    QPushButton *epFocusButton3 = nullptr;
};
