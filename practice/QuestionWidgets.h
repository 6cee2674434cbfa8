// The widgets the question windows share: number and kind buttons drawn from the state pictures,
// the answer-time gauge, the six answer pages, the body panes with the sliding answer panel, and
// the run clock.
#pragma once

#include "practice/AnswerString.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QFrame>
#include <QPixmap>
#include <QStackedWidget>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSplitter;
class QTextBrowser;
class QTimer;

// Loads a picture of the program folder ("pic/vornup.bmp"); false when it is missing or
// unreadable.
bool loadProgramPicture(const QString &relativePath, QPixmap &picture);

// The six pictures of the number buttons, loaded when a question window is created.
struct StatePictures
{
    // Answered: a stored answer not judged on screen (the mock exam while it runs).
    enum Which
    {
        Up,
        Down,
        Right,
        Wrong,
        RightDown,
        WrongDown,
        Answered,
        Count
    };
    std::array<QPixmap, Count> pictures;

    static QString fileName(Which which); // "pic/vornup.bmp" ...
    // Loads the six of the practice windows, and the answered picture when asked for; false
    // (with the first missing file) when one cannot be read.
    bool load(QString *missing = nullptr, bool withAnswered = false);
    const QPixmap &operator[](Which which) const { return pictures[which]; }
};

// A number button: its picture (normal or, while checked, pressed) with the number drawn on it.
class NumberButton : public QAbstractButton
{
    Q_OBJECT
public:
    enum State
    {
        Unanswered,
        Right,
        Wrong,
        Answered,
        Skipped // a graded paper's question left without an answer
    };

    NumberButton(const QString &caption, QWidget *parent = nullptr);
    void setPictures(const QPixmap &normal, const QPixmap &pressed);
    // Pictures and accessible description for an answer state.
    void setAnswerState(State state, const StatePictures &pictures);
    State answerState() const { return m_state; }
    // The record number of the question the button stands for (0 = none).
    int recordNumber() const { return m_record; }
    void setRecordNumber(int record) { m_record = record; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_normal;
    QPixmap m_pressed;
    State m_state = Unanswered;
    int m_record = 0;
};

// A question-kind button drawn from the two kind-button pictures.
class KindButton : public QAbstractButton
{
    Q_OBJECT
public:
    KindButton(const QString &caption, int kind, QWidget *parent = nullptr);
    void setPictures(const QPixmap &normal, const QPixmap &pressed);
    int kind() const { return m_kind; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_normal;
    QPixmap m_pressed;
    int m_kind = 0;
};

// The answer-time gauge: 100 steps, filled from the bottom, steps above 65 in red.
class AnswerGauge : public QWidget
{
    Q_OBJECT
public:
    explicit AnswerGauge(QWidget *parent = nullptr);
    int value() const { return m_value; }
    void setValue(int value);
    QSize sizeHint() const override { return {16, 200}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_value = 0;
};

// The six answer pages: 单选, 多选, 填空, 判断, 主观, 配伍.
class AnswerPages : public QStackedWidget
{
    Q_OBJECT
public:
    explicit AnswerPages(QWidget *parent = nullptr);

    // Shows a page (0..5) with its hint as the tooltip of the answer area; 99 keeps the page.
    void showPage(int page);
    // What the widgets hold; and the answer string of a page read from them.
    Answer::WidgetState state() const;
    QString answerString(int page) const;
    // Puts a stored run answer into a page's widgets, showing the first optionCount options.
    void showAnswer(int page, const QString &runAnswer, int optionCount);
    // A key pressed an option (page 0: the only pressed one; page 1: toggled).
    void pressOption(int page, int option);
    // The vertical caption of the subjective page.
    void setSubjectiveCaption(const QString &caption);
    QString subjectiveCaption() const;
    // The box of the subjective page taking the candidate's own answer text (hidden unless
    // shown).
    void setOwnAnswerShown(bool shown);
    bool ownAnswerShown() const;
    QString ownAnswer() const;
    void setOwnAnswer(const QString &text);
    void setOwnAnswerEnabled(bool enabled);
    // Read-only display (review).
    void setAnswerEnabled(bool enabled);
    void setCompact(bool compact);

    // Option buttons of page 0, 1 or 5 (A..F).
    QAbstractButton *option(int page, int index) const;

private:
    QWidget *makePage(int page, QWidget *content, QLabel **captionOut = nullptr);
    void applyState(int page, const Answer::WidgetState &state);

    std::array<QAbstractButton *, Answer::OptionCount> m_single{};
    std::array<QAbstractButton *, Answer::OptionCount> m_multiple{};
    std::array<QAbstractButton *, Answer::OptionCount> m_matching{};
    QButtonGroup *m_singleGroup = nullptr;
    QButtonGroup *m_yesNoGroup = nullptr;
    QLineEdit *m_fillInEdit = nullptr;
    QAbstractButton *m_rightOption = nullptr;
    QAbstractButton *m_wrongOption = nullptr;
    QComboBox *m_subjectiveChoice = nullptr;
    QLabel *m_subjectiveCaption = nullptr;
    QLabel *m_subjectiveHint = nullptr;
    QPlainTextEdit *m_ownAnswerEdit = nullptr;
    QList<QLabel *> m_captions;
};

// The body panes, the upper (stem or whole question) and the lower (a compound question's own
// text), with the splitter between them, and the answer panel that slides in under them.
class QuestionBody : public QWidget
{
    Q_OBJECT
public:
    explicit QuestionBody(QWidget *parent = nullptr);

    // One pane: the lower pane and the splitter shrink to nothing.
    void showSingle(const QVariant &body);
    // Stem above, the question's own text below; a closed lower pane opens at 150 pixels, an
    // open one keeps the height the candidate gave it.
    void showCompound(const QVariant &stem, const QVariant &body);
    void clearPanes();
    int lowerPaneHeight() const;

    // The answer panel: opens sliding (widths grow by 20, 40, 60, ... pixels), closes sliding or
    // at once. Its tip is the verdict of the judgement `right`.
    void openAnswerPanel(bool right, const QString &yourAnswer, const QString &correct);
    void closeAnswerPanel(bool animated);
    bool answerPanelOpen() const { return m_panelOpen; }
    int answerPanelWidth() const;
    void setCompact(bool compact);
    // The plain text holding the options of the question on screen (a compound question's own
    // pane, otherwise the upper one).
    QString questionText() const;

    QTextBrowser *upper() const { return m_upperPane; }
    QTextBrowser *lower() const { return m_lowerPane; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void slideStep();
    int answerPanelHeight() const;
    void placeAnswerPanel(int width);
    // The panes end above the panel while it shows.
    void makeRoomForPanel(bool room);

    QSplitter *m_paneSplitter = nullptr;
    QTextBrowser *m_upperPane = nullptr;
    QTextBrowser *m_lowerPane = nullptr;
    QFrame *m_answerPanel = nullptr;
    QLabel *m_verdictLabel = nullptr;
    QPlainTextEdit *m_yourAnswerText = nullptr;
    QPlainTextEdit *m_correctAnswerText = nullptr;
    QTimer *m_slideTimer = nullptr;
    bool m_panelOpen = false;
    bool m_compound = false;
    bool m_compact = false;
    int m_step = 0;
};

// The run clock of a question window: h:mm:ss since it started, refreshed every second. It can
// be stopped and run on from the stopped value (the mock exam's pause), so paused spans do not
// count.
class RunClock : public QObject
{
    Q_OBJECT
public:
    // Monotonic milliseconds; tests set their own source.
    using TimeSource = std::function<qint64()>;

    RunClock(QLabel *label, QObject *parent = nullptr);
    void start();
    // Stops the clock and returns the elapsed text it shows.
    QString stop();
    // Runs on from the stopped value, in whole seconds.
    void resume();
    QString text() const;
    bool running() const { return m_running; }
    static QString format(qint64 seconds);
    void setTimeSource(TimeSource source);
    // Refreshes the shown time and reports the tick (the timer calls it once a second).
    void tick();

signals:
    void ticked();

private:
    qint64 runningSeconds(int allowanceMs) const;

    QLabel *m_label;
    QTimer *m_timer;
    TimeSource m_now;
    qint64 m_startMs = 0;
    qint64 m_stoppedSeconds = 0;
    bool m_running = false;
};

// The small animation beside the run clock: a turning hourglass-like sweep.
class ClockAnimation : public QWidget
{
    Q_OBJECT
public:
    explicit ClockAnimation(QWidget *parent = nullptr);
    void start();
    void stop();
    QSize sizeHint() const override { return {28, 28}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QTimer *m_timer;
    int m_angle = 0;
};
