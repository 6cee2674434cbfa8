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
    // On showing: the music switch on, the answer times read (variant 1), the focus placed.
    void loadSettings();
    void fillAnswerTimes();
    void saveAnswerTimes();
    void switchMusic(bool on);
    void chooseTrack(int index);

    int m_variant = 0;
    int m_kindRows = 0;         // kind rows laid out in the scroll area
    QWidget *m_panel = nullptr; // below the title strip; holds every control
    QLabel *m_musicCaption = nullptr;
    QLabel *m_trackCaption = nullptr;
    QLabel *m_answerTimesCaption = nullptr;
    QAbstractButton *m_musicSwitch = nullptr;
    QComboBox *m_trackList = nullptr;
    QScrollArea *m_answerTimesArea = nullptr;
    QPushButton *m_closeButton = nullptr;
};
