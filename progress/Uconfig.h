// The settings window: background music on or off and its track (variant 0), or the answer time
// of every question kind of the paper kind in use (variant 1).
#pragma once

#include <QDialog>
#include <QList>
#include <functional>

class QAbstractButton;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QWidget;

class TFrmConfig : public QDialog
{
    Q_OBJECT

public:
    // The variant is the application's settings variant at creation.
    explicit TFrmConfig(QWidget *parent = nullptr);
    ~TFrmConfig() override;

    int variant() const { return m_variant; }

    // How the music is switched (default: the start window's PlayBackgroundMusic); tests set
    // their own. An empty function restores the default.
    using MusicSwitch = std::function<void(const QString &fileName, bool on)>;
    static void setMusicSwitch(MusicSwitch musicSwitch);

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
    static void playMusic(const QString &fileName, bool on);

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
