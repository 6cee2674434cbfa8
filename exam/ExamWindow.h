// The exam window: one mock-exam paper answered against the clock, graded, then reviewed.
#pragma once

#include "exam/Paper.h"

#include <QDialog>
#include <QHash>
#include <QImage>
#include <QString>
#include <functional>

class QCheckBox;
class QFrame;
class QLabel;
class NumberButton;
class QPushButton;
class QTimer;
class QuestionCore;
class RunClock;

class ExamWindow : public QDialog
{
    Q_OBJECT

public:
    // Number buttons of the window: one per question of a full paper.
    static constexpr int kSlotCount = 85;

    explicit ExamWindow(QWidget *parent = nullptr);
    ~ExamWindow() override;

    // Stores the paper in the window: its table, title, mode ("new" answering, "old" review),
    // score and time used (h:mm:ss).
    void preparePaper(const QString &tableName, const QString &title, const QString &mode,
                      double score, const QString &timeUsed);
    // Opens the paper (a new one with every answer cleared) ordered by kind, then id, showing the
    // progress text; 1 when it has questions, 0 when it is empty or cannot be read.
    int openPaper();

    // What the export and the history need of the paper on screen.
    QString paperTable() const { return m_table; }
    QString paperTitle() const { return m_title; }
    QString mode() const { return m_mode; }
    double score() const { return m_score; }
    QString timeUsed() const { return m_timeUsed; }
    bool discardOnClose() const { return m_discardOnClose; }

    // Before a new paper of the kind is drawn: what it will be (subject, questions, full mark,
    // time limit), asked with 开始考试 / 取消; true to start. A paper that cannot be told (no
    // question, unreadable tables) is not asked about: its drawing says what went wrong.
    static bool askToStart(int paperKind);

    QuestionCore *core() const { return m_core; }
    RunClock *clock() const { return m_clock; }
    // "单选 每题1分 共70分": the kind's name, points per question and points of all its questions.
    static QString kindHeaderText(const QString &kindName, double points, int count);

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    struct KindRow
    {
        QString name;
        double points = 0;
        int count = 0;
    };

    void showPaper();
    void applyLayout(bool compact);
    QPushButton *makeButton(const QString &name, const QString &caption);
    bool answering() const { return m_mode == u"new"; }
    void questionShown();
    void loadKinds();
    // The answer on screen is stored without touching its slot picture (submission, time-up).
    void recordFinal();
    // At the time limit: the clock stops, the windows the exam opened close, then the time-up
    // message and the grading follow (finishTimeUp, once nothing else is open).
    void clockTicked();
    // The time left beside the clock, and one notice each at 15 and at 5 minutes left.
    void showTimeLeft(qint64 elapsed, qint64 examTime);
    bool openedByThisExam(const QWidget *window) const;
    void closeOpenWindows();
    void finishTimeUp();
    void handleTimeUp(const QString &used);
    void submitPaper();
    void gradeAndReview(const QString &timeUsed);
    void closeReview();
    // 只看错题: the number buttons and 上一题 / 下一题 reach only the questions not answered right.
    QList<NumberButton *> slotButtons() const;
    void applyWrongOnly();
    void moveQuestion(int step);
    void updateMoveButtons();
    void finish();

    void showExplanation();   // 解析
    void editNotes();         // 笔记
    void showRelatedPoints(); // 考点
    void exportToDocument();  // 生成文档
    void openSoundSettings(); // 设置
    void showDesktop();       // 桌面
    void togglePause();       // 暂停考试 / 继续考试
    void scrollPauseText();

    QuestionCore *m_core = nullptr;
    RunClock *m_clock = nullptr;
    QLabel *m_titleLabel = nullptr;
    QLabel *m_kindHeaderLabel = nullptr;
    QLabel *m_clockLabel = nullptr;
    QLabel *m_scoreLabel = nullptr;
    QLabel *m_timeLeftLabel = nullptr;
    QLabel *m_timeNoticeLabel = nullptr;
    QLabel *m_keepNoticeLabel = nullptr;
    QCheckBox *m_wrongOnlyCheck = nullptr;
    QFrame *m_pausePanel = nullptr;
    QLabel *m_pauseTextLabel = nullptr;
    QTimer *m_pauseScrollTimer = nullptr;
    QPushButton *m_previousButton = nullptr;
    QPushButton *m_nextButton = nullptr;
    QPushButton *m_submitButton = nullptr;
    QPushButton *m_explanationButton = nullptr;
    QPushButton *m_notesButton = nullptr;
    QPushButton *m_answerButton = nullptr;
    QPushButton *m_closeButton = nullptr;
    QPushButton *m_settingsButton = nullptr;
    QPushButton *m_pointsButton = nullptr;
    QPushButton *m_exportButton = nullptr;
    QPushButton *m_desktopButton = nullptr;
    QPushButton *m_voidButton = nullptr;
    QPushButton *m_pauseButton = nullptr;
    QHash<int, KindRow> m_kinds;
    QImage m_background;

    QString m_table;
    QString m_title;
    QString m_mode = QStringLiteral("new");
    double m_score = 0;
    QString m_timeUsed = QStringLiteral("0:00:00");
    bool m_discardOnClose = false;
    bool m_paused = false;
    bool m_previousWasEnabled = false;
    bool m_nextWasEnabled = false;
    bool m_closing = false;
    bool m_shown = false;
    bool m_timeUpPending = false;
    bool m_warnedAt15 = false;
    bool m_warnedAt5 = false;
    QString m_timeUsedAtLimit;
};

// A paper that cannot be made or opened: the failure's message, then the program ends (tests
// replace the ending and see the call return).
void stopForPaper(Paper::Failure failure);
namespace ExamEnd {
void set(std::function<void()> end);
void reset();
} // namespace ExamEnd
