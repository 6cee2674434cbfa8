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
    QString objectName = QStringLiteral("PracticeWindow");
    QSize normalSize{923, 585};
    QSize compactSize{780, 490}; // display mode "800"
    QString clockCaption = QStringLiteral("时钟");
    // "解析" and "修改本题" are offered.
    bool hasExplanationButton = true;
    bool hasEditButton = true;
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

    // The text of the hint board above the question.
    void setHintBoard(const QString &text);

    // Clears every run answer, opens App::practiceQuery as the question set and builds the kind
    // buttons; false when the set is empty. Throws Db::DbError when the database fails.
    bool preparePracticeRun();

    QuestionCore *core() const { return m_core; }

protected:
    PracticeWindow(const PracticeWindowVariant &variant, QWidget *parent);

    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void done(int result) override;

private:
    // The first showing: the hint board, the first question, the clock.
    void startRun();
    void applyLayout(bool compact);
    // Closing: the answer on screen and the study time are recorded.
    void finishRun();
    QPushButton *makeButton(const QString &name, const QString &caption);

    void showExplanation();   // 解析
    void openNotes();         // 笔记
    void showRelatedPoints(); // 考点
    void editQuestion();      // 修改本题
    void openSettings();      // 设置
    void showDesktop();       // 桌面

    QuestionCore *m_core = nullptr;
    RunClock *m_clock = nullptr;
    ClockAnimation *m_clockAnimation = nullptr;
    QLabel *m_titleLabel = nullptr;
    QLabel *m_hintBoard = nullptr;
    QLabel *m_clockLabel = nullptr;
    QPushButton *m_previousButton = nullptr;
    QPushButton *m_nextButton = nullptr;
    QPushButton *m_finishButton = nullptr;
    QPushButton *m_explanationButton = nullptr;
    QPushButton *m_notesButton = nullptr;
    QPushButton *m_answerButton = nullptr;
    QPushButton *m_settingsButton = nullptr;
    QPushButton *m_pointsButton = nullptr;
    QPushButton *m_voidButton = nullptr;
    QPushButton *m_editButton = nullptr;
    QPushButton *m_closeButton = nullptr;   // 关闭
    QPushButton *m_desktopButton = nullptr; // 桌面
    QPushButton *m_previousGroupButton = nullptr;
    QPushButton *m_nextGroupButton = nullptr;
    PracticeWindowVariant m_variant;
    QImage m_background;
    bool m_compact = false;
    bool m_shown = false;
    bool m_closed = false;
};
