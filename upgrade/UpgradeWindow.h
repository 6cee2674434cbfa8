// The upgrade window: the candidate picks an upgrade file and its new questions, exam points
// and syllabus rows join the study database.
#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

class UpgradeWindow : public QDialog
{
    Q_OBJECT

public:
    explicit UpgradeWindow(QWidget *parent = nullptr);
    ~UpgradeWindow() override;

    // The filter of the file dialog of the folder button.
    static QString fileFilter();

    // Closing, by any means, releases the upgrade file.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();
    void SpeedButton1Click();
    void Button1Click();
    void releaseUpgradeFile();

    QLabel *Label1 = nullptr;
    QGroupBox *RadioGroup1 = nullptr;
    QRadioButton *m_localUpgrade = nullptr;
    QLineEdit *Edit1 = nullptr;
    QToolButton *SpeedButton1 = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
};
