// The chapter practice window: works through the new, wrong or done questions of one chapter.
// The exam-point practice window is the same window with a few differences (PracticeWindowVariant).
#pragma once

#include "practice/QuestionCore.h"

#include <QDialog>
#include <QImage>
#include <QSize>

class QAbstractButton;
class QLabel;
class QPushButton;
class ClockAnimation;
class QuestionCore;
class RunClock;

// What a window built on the practice window does differently from chapter practice.
struct PracticeWindowVariant
{
    QString objectName = QStringLiteral("FrmLxxt");
    QSize normalSize{923, 585};
    QSize compactSize{780, 490}; // display mode "800"
    QString clockCaption = QStringLiteral("时钟");
    // "解析" (epEfTrBtn4) and "修改本题" (epEfTrBtn11) are offered.
    bool explanationButton = true;
    bool editButton = true;
    // Names of the "关闭" and "桌面" buttons.
    QString closeName = QStringLiteral("epEfTrBtn99");
    QString desktopName = QStringLiteral("epEfTrBtn7");
    // On showing, the hint board shows the current chapter key; otherwise it keeps the text
    // the opener gave it.
    bool hintFromChapterKey = true;
    QuestionCoreOptions core;
};

class PracticeWindow : public QDialog
{
    Q_OBJECT

public:
    explicit PracticeWindow(QWidget *parent = nullptr);
    ~PracticeWindow() override;

    // The hint board (epLabel2).
    void setHintBoard(const QString &text);

    // Clears every run answer, opens App::practiceQuery as the question set and builds the kind
    // buttons; false when the set is empty. Throws Db::DbError when the database fails.
    bool PreparePracticeRun();

    QuestionCore *core() const { return m_core; }

protected:
    PracticeWindow(const PracticeWindowVariant &variant, QWidget *parent);

    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void done(int result) override;

private:
    void FormShow();
    void applyLayout(bool compact);
    void FormClose();
    QPushButton *makeButton(const QString &name, const QString &caption);

    void epEfTrBtn4Click();  // 解析
    void epEfTrBtn5Click();  // 笔记
    void epEfTrBtn9Click();  // 考点
    void epEfTrBtn11Click(); // 修改本题
    void epEfTrBtn8Click();  // 设置
    void showDesktop();      // 桌面

    QuestionCore *m_core = nullptr;
    RunClock *m_clock = nullptr;
    ClockAnimation *m_animation = nullptr;
    QLabel *m_title = nullptr;
    QLabel *epLabel2 = nullptr;
    QLabel *m_clockLabel = nullptr;
    QPushButton *epEfTrBtn1 = nullptr;
    QPushButton *epEfTrBtn2 = nullptr;
    QPushButton *epEfTrBtn3 = nullptr;
    QPushButton *epEfTrBtn4 = nullptr;
    QPushButton *epEfTrBtn5 = nullptr;
    QPushButton *epEfTrBtn6 = nullptr;
    QPushButton *epEfTrBtn8 = nullptr;
    QPushButton *epEfTrBtn9 = nullptr;
    QPushButton *epEfTrBtn10 = nullptr;
    QPushButton *epEfTrBtn11 = nullptr;
    QPushButton *m_closeButton = nullptr;   // 关闭
    QPushButton *m_desktopButton = nullptr; // 桌面
    QPushButton *FlatSpeedButton1 = nullptr;
    QPushButton *FlatSpeedButton2 = nullptr;
    PracticeWindowVariant m_variant;
    QImage m_background;
    bool m_compact = false;
    bool m_shown = false;
    bool m_closed = false;
};
