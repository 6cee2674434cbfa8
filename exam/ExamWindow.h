// The exam window: one mock-exam paper answered against the clock, graded, then reviewed.
#pragma once

#include "exam/Paper.h"

#include <QDialog>
#include <QHash>
#include <QImage>
#include <QString>
#include <functional>

class QFrame;
class QLabel;
class QPushButton;
class QTimer;
class QuestionCore;
class RunClock;

class ExamWindow : public QDialog
{
    Q_OBJECT

public:
    // Number buttons of the window: one per question of a full paper.
    static constexpr int SlotCount = 85;

    explicit ExamWindow(QWidget *parent = nullptr);
    ~ExamWindow() override;

    // Stores the paper in the window: its table, title, mode ("new" answering, "old" review),
    // score and time used (h:mm:ss).
    void PreparePaper(const QString &tableName, const QString &title, const QString &mode,
                      double score, const QString &timeUsed);
    // Opens the paper (a new one with every answer cleared) ordered by kind, then id, showing the
    // progress text; 1 when it has questions, 0 when it is empty or cannot be read.
    int OpenPaper();

    // What the export and the history need of the paper on screen.
    QString paperTable() const { return m_table; }
    QString paperTitle() const { return m_title; }
    QString mode() const { return m_mode; }
    double score() const { return m_score; }
    QString timeUsed() const { return m_timeUsed; }
    bool discardOnClose() const { return m_discard; }

    QuestionCore *core() const { return m_core; }
    RunClock *clock() const { return m_clock; }
    // "单选 每题1分 共70分": the kind's name, points per question and points of all its questions.
    static QString KindHeader(const QString &kindName, double points, int count);

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

    void FormShow();
    void applyLayout(bool compact);
    QPushButton *makeButton(const QString &name, const QString &caption);
    bool answering() const { return m_mode == u"new"; }
    void questionShown();
    void loadKinds();
    // The answer on screen is stored without touching its slot picture (submission, time-up).
    void recordFinal();
    void clockTicked();
    void TimeUp();
    void Submit();
    void GradePaper(const QString &timeUsed);
    void closeReview();
    void finish();

    void epEfTrBtn4Click();  // 解析
    void epEfTrBtn5Click();  // 笔记
    void epEfTrBtn9Click();  // 考点
    void epEfTrBtn10Click(); // 生成文档
    void epEfTrBtn8Click();  // 设置
    void epEfTrBtn11Click(); // 桌面
    void epEfTrBtn13Click(); // 暂停考试 / 继续考试
    void scrollPauseText();

    QuestionCore *m_core = nullptr;
    RunClock *m_clock = nullptr;
    QLabel *m_titleLabel = nullptr;
    QLabel *m_kindHeader = nullptr;
    QLabel *m_clockLabel = nullptr;
    QLabel *m_scoreLabel = nullptr;
    QFrame *m_pausePanel = nullptr;
    QLabel *m_pauseText = nullptr;
    QTimer *m_pauseScroll = nullptr;
    QPushButton *epEfTrBtn1 = nullptr;
    QPushButton *epEfTrBtn2 = nullptr;
    QPushButton *epEfTrBtn3 = nullptr;
    QPushButton *epEfTrBtn4 = nullptr;
    QPushButton *epEfTrBtn5 = nullptr;
    QPushButton *epEfTrBtn6 = nullptr;
    QPushButton *epEfTrBtn7 = nullptr;
    QPushButton *epEfTrBtn8 = nullptr;
    QPushButton *epEfTrBtn9 = nullptr;
    QPushButton *epEfTrBtn10 = nullptr;
    QPushButton *epEfTrBtn11 = nullptr;
    QPushButton *epEfTrBtn12 = nullptr;
    QPushButton *epEfTrBtn13 = nullptr;
    QHash<int, KindRow> m_kinds;
    QImage m_background;

    QString m_table;
    QString m_title;
    QString m_mode = QStringLiteral("new");
    double m_score = 0;
    QString m_timeUsed = QStringLiteral("0:00:00");
    bool m_discard = false;
    bool m_paused = false;
    bool m_previousWasEnabled = false;
    bool m_nextWasEnabled = false;
    bool m_closing = false;
    bool m_shown = false;
};

// A paper that cannot be made or opened: the failure's message, then the program ends (tests
// replace the ending and see the call return).
void StopForPaper(Paper::Failure failure);
namespace ExamEnd {
void set(std::function<void()> end);
void reset();
} // namespace ExamEnd
