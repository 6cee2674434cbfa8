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
    // On every showing: "本地升级" chosen and the path box focused.
    void selectLocalUpgrade();
    // The folder button: a file dialog puts the chosen file's path into the path box.
    void chooseUpgradeFile();
    // Merges the typed upgrade file and tells the outcome.
    void startUpgrade();
    void releaseUpgradeFile();

    QLabel *m_adviceLabel = nullptr;
    QGroupBox *m_upgradeKindGroup = nullptr;
    QRadioButton *m_localUpgrade = nullptr;
    QLineEdit *m_pathEdit = nullptr;
    QToolButton *m_browseButton = nullptr;
    QPushButton *m_startButton = nullptr;
    QPushButton *m_closeButton = nullptr;
};
