// The question core of the practice windows: one question of a question set at a time with the
// answer page of its kind, judging and recording, the groups of 20 number buttons, the kind
// filter, the answer-time gauge, the answer panel, voiding and the keys. A window creates the
// core, places its widgets and hands it the buttons it drives.
#pragma once

#include "practice/QuestionGroups.h"
#include "practice/QuestionSet.h"
#include "practice/QuestionWidgets.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QVariant>
#include <functional>

class QAbstractButton;
class QButtonGroup;
class QKeyEvent;
class QLabel;
class QTimer;
class QWidget;

// What a window does differently around the same core.
struct QuestionCoreOptions
{
    QString table = QStringLiteral("tab_answ");
    // Caption of the void button while the question is not voided.
    QString voidCaption = QStringLiteral("题目作废");
    // Prompt of "完成" without an answer.
    QString emptyCheckMessage = QStringLiteral("请先做出答案！");
    // The label "本题被您修改过" is shown for a question the candidate edited.
    bool showEditedLabel = true;
    // The subjective page's caption follows the selected kind.
    bool captionFollowsKind = true;
    // Number buttons: how many, in how many rows (filled column by column), and their sizes in
    // the normal and the compact layout.
    int slotCount = Groups::GroupSize;
    int slotRows = 4;
    QSize slotSize = QSize(36, 27);
    QSize compactSlotSize = QSize(32, 24);
    // "第 n 题" is followed by "（第 k 次出现）".
    bool showOccurrence = true;
    // The per-question answer-time gauge runs.
    bool runGauge = true;
    // A mock-exam paper (`table` is the paper table): answers are stored in the paper row while
    // the bank's row and the counters follow, nothing is judged on screen until the review, a
    // kind without an answer page is answered by self-assessment, and voiding marks the bank's
    // row too.
    bool paper = false;
    // The subjective page takes the candidate's own answer text, kept per question (never in a
    // paper).
    bool ownAnswer = true;
};

// The window's buttons that the core enables, disables and relabels (any may be null).
struct QuestionCoreButtons
{
    QAbstractButton *previous = nullptr;      // "上一题"
    QAbstractButton *next = nullptr;          // "下一题"
    QAbstractButton *explanation = nullptr;   // "解析"
    QAbstractButton *points = nullptr;        // "考点"
    QAbstractButton *answer = nullptr;        // "答案" / "返回"
    QAbstractButton *notes = nullptr;         // "笔记" / "有内容"
    QAbstractButton *voidButton = nullptr;    // "题目作废" / "取消作废"
    QAbstractButton *previousGroup = nullptr; // "<-上一组"
    QAbstractButton *nextGroup = nullptr;     // "下一组->"
};

class QuestionCore : public QObject
{
    Q_OBJECT
public:
    enum JudgeMode
    {
        Leave = 0,
        Check = 1,
        Silent = 2
    };
    enum PrepareResult
    {
        Prepared,
        EmptySet,
        MissingPicture
    };

    QuestionCore(QWidget *window, const QuestionCoreOptions &options = {});
    ~QuestionCore() override;

    // The six state pictures; false when one is missing (the window then reports and ends).
    bool loadStatePictures();
    void setButtons(const QuestionCoreButtons &buttons);
    // The table the answers go to (a paper's table is known only when the paper is prepared).
    void setTable(const QString &table) { m_options.table = table; }
    void setCompact(bool compact);

    // Widgets for the window to place.
    QuestionBody *body() const { return m_body; }
    AnswerPages *pages() const { return m_pages; }
    AnswerGauge *gauge() const { return m_answerGauge; }
    QTimer *answerTimer() const { return m_answerTimer; }
    QWidget *numberPanel() const { return m_numberPanel; } // the number buttons, 5 columns of 4
    QWidget *kindPanel() const { return m_kindPanel; }     // the kind buttons, 2 columns
    QWidget *questionLabels() const { return m_questionLabels; } // 第 n 题（第 k 次出现）
    QWidget *groupLabels() const { return m_groupLabels; }       // 共 g 组 N 道题 第 m 组
    QLabel *statusLabel() const { return m_statusLabel; }
    // "回答正确" / "回答错误（正确答案：A）" after "完成" (practice only; a paper keeps it hidden).
    QLabel *feedbackLabel() const { return m_feedbackLabel; }
    QLabel *editedLabel() const { return m_editedLabel; }
    QList<NumberButton *> numberButtons() const { return m_numbers; }
    QList<KindButton *> kindButtons() const { return m_kinds; }

    // A run: clears every run answer, opens the set, loads the kind pictures and builds the kind
    // buttons from the question-kind table in use. Throws Db::DbError.
    PrepareResult prepareRun(const QString &practiceQuery);
    // A mock-exam paper: opens the set on the paper's query without touching any answer and
    // forgets the question on screen. Returns the number of questions. Throws Db::DbError.
    int openPaper(const QString &paperQuery);
    // Review of a paper: nothing is recorded, the number buttons show right and wrong, and the
    // answer-dependent buttons follow the question alone.
    void setReview(bool review);
    bool review() const { return m_review; }
    // The first showing: panes closed, nothing on screen, then the "任意" kind is selected.
    void startShowing();

    // Kind selection (a kind button pressed); kind 0 = all kinds.
    void selectKind(int kind);
    // Question selection (a number button pressed), by record number.
    void selectQuestion(int record);
    void previousQuestion();
    void nextQuestion();
    void previousGroup();
    void nextGroup();
    // "完成": check the question on screen.
    void checkAnswer();
    void toggleAnswerPanel();
    // The void button: void or restore the question on screen.
    void toggleVoid();
    // Keys of the choice pages; true when the key was taken.
    bool handleKey(QKeyEvent *event);
    // Stops the answer-time gauge (edit window).
    void stopGauge();
    // The gauge runs on from where it stopped (the edit window was cancelled).
    void resumeGauge();
    // The question on screen was edited: its row is read again and it is shown afresh, the
    // gauge starting over. A failure to read shows "发生错误！".
    void reshowEditedQuestion();
    // A running gauge steps on at the current question kind's interval of the answer time
    // table (after the answer times were changed); its progress so far is kept.
    void followAnswerTime();
    // Records the question on screen without showing anything (closing, kind change).
    // Throws Db::DbError.
    void recordSilently();
    // After the notes window: the note is read again and the notes button follows the flag.
    void refreshNote(bool notePresent);

    // Keeps the own answer text of the question on screen when it changed, in one transaction;
    // a failure says the answer was not saved, keeps the text on screen and shows it again
    // when the question comes back. False on failure.
    bool saveOwnAnswer();
    // The own answer text of the question on screen ("" when it takes none).
    QString ownAnswerText() const;

    // The steps of showing, judging and grouping questions, for the windows that drive them.
    void showQuestionBody(const QString &id);
    void showQuestionState(int page);
    // Throws Db::DbError.
    void judgeAndRecord(int record, int page, JudgeMode mode);
    void switchQuestion(int from, int to);
    // mode 1 first group, 2 previous, 3 next; then the button `select` of the group is pressed.
    void fillQuestionGroup(int mode, int count, int select = 0);
    void applyKindFilter(int kind);

    // A paper's steps. Slots 1..count enabled with their pictures (review: right or wrong), the
    // first one pressed, which shows question 1.
    void setUpSlotButtons(int count, bool review);
    // Stores the answer on screen for question `number`; `final` (submission, time-up) leaves
    // its slot picture alone. Throws Db::DbError.
    void recordAnswer(int number, int page, bool final);
    // The buttons the review allows, the notes caption and the page's widgets from the stored
    // answer.
    void showAnswerState(int page, bool review);

    QuestionSet &questionSet() { return m_set; }
    const Groups::QuestionGroups &groups() const { return m_groups; }
    int currentRecord() const { return m_current; }
    QuestionRow *currentRow();
    int currentPage() const;
    // The answer page of a kind in this window: answerPageOfKind, and in a paper the
    // self-assessment page for a kind without one.
    int pageOf(int kind) const;
    // Whether a stored answer counts as right here (a paper compares without regard to case,
    // as its grading does).
    bool isRight(const QuestionRow &row) const;
    int selectedKind() const { return m_selectedKind; }
    QString firstQuestionId() const { return m_firstId; }
    // The content row of the question on screen: its explanation (null when none).
    QVariant explanation() const { return m_explanation; }
    const QuestionCoreOptions &options() const { return m_options; }

    // Runs database work of a user action; a failure shows "发生错误！" (or that the study data
    // is in use by another program, or that the disk is full) and returns false.
    bool guarded(const std::function<void()> &work);

signals:
    // A question is now on screen.
    void questionShown(int record);

private:
    void buildNumberPanel();
    void buildLabels();
    void loadContentRow(const QString &id);
    void setButtonEnabled(QAbstractButton *button, bool enabled);
    void setStatusLabels(const QuestionRow &row);
    void restartGauge(int kind);
    void gaugeTick();
    // The gauge reached 100: "到时间了" and the row marked timed out (csbs), once no other
    // prompt shows and no window opened over this one (notes, explanation, settings) is up.
    void timeOut();
    NumberButton::State stateOf(const QuestionRow &row) const;
    void applyGroupMove(const Groups::Move &move);
    // The own answer box follows the question shown: its stored text (or one not yet saved).
    void loadOwnAnswer(const QuestionRow &row, int page);

    QWidget *m_window;
    QuestionCoreOptions m_options;
    QuestionCoreButtons m_buttons;
    QuestionSet m_set;
    Groups::QuestionGroups m_groups;
    StatePictures m_pictures;
    QPixmap m_kindUp;
    QPixmap m_kindDown;
    int m_current = 0;
    int m_selectedKind = -1;
    QString m_firstId;
    QVariant m_explanation;
    QVariant m_bodyText;
    bool m_contentFailed = false;
    bool m_compact = false;
    bool m_timeOutPending = false;
    bool m_review = false;
    // The question the own answer box holds the text of ("" = none), the text kept for it, and
    // texts whose saving failed, by question.
    QString m_ownAnswerId;
    QString m_ownAnswerKept;
    QHash<QString, QString> m_unsavedOwnAnswers;

    QuestionBody *m_body = nullptr;
    AnswerPages *m_pages = nullptr;
    AnswerGauge *m_answerGauge = nullptr;
    QTimer *m_answerTimer = nullptr;
    QWidget *m_numberPanel = nullptr;
    QWidget *m_kindPanel = nullptr;
    QButtonGroup *m_numberGroup = nullptr;
    QButtonGroup *m_kindGroup = nullptr;
    QList<NumberButton *> m_numbers;
    QList<KindButton *> m_kinds;
    QWidget *m_questionLabels = nullptr;
    QWidget *m_groupLabels = nullptr;
    QLabel *m_questionNumberLabel = nullptr;
    QLabel *m_occurrenceLabel = nullptr;
    QLabel *m_statusLabel = nullptr;
    QLabel *m_feedbackLabel = nullptr;
    QLabel *m_editedLabel = nullptr;
    QLabel *m_groupCountLabel = nullptr;
    QLabel *m_questionCountLabel = nullptr;
    QLabel *m_groupNumberLabel = nullptr;
};

// A resource picture could not be loaded when a question window was created: the prompt, then
// the program ends.
[[noreturn]] void endForMissingResource();
