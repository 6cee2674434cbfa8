// The program's own prompt dialog (PromptDialog) and showPrompt, used in place of the system
// message box by most windows.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <QString>

class QLabel;
class QPushButton;
class QStackedWidget;

// The prompt dialog: a borderless box with a title strip, a picture, the message and up to three
// buttons. Created once and reused; each call of showPrompt sets it up afresh.
class PromptDialog : public QDialog
{
    Q_OBJECT

public:
    explicit PromptDialog(QWidget *parent = nullptr);

    // Sets captions, message, button layout, picture, variant and default button as showPrompt
    // describes.
    void configure(const QString &caption, const QString &message, int buttons, int icon,
                   const QString &variant, int defaultResult = 0);
    // The width the dialog was designed with (399).
    int designWidth() const { return m_designWidth; }
    // Shows the dialog modally and returns the result of a button it shows: a dialog ended any
    // other way reads as Escape would (取消, or the only button), else as its first button.
    int run();
    // Inside run(): answered or not, its caller has not gone on yet.
    bool running() const { return m_running; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void reject() override;

private:
    void placeControls();
    void centreOnScreen();

    QLabel *m_captionLabel = nullptr; // on the title strip
    QLabel *m_messageLabel = nullptr;
    QStackedWidget *m_iconPages = nullptr;  // information, warning, error
    QPushButton *m_leftButton = nullptr;    // result 1
    QPushButton *m_rightButton = nullptr;   // result 2
    QPushButton *m_centreButton = nullptr;  // result 3
    QPushButton *m_defaultButton = nullptr; // the one Enter presses
    QList<QPushButton *> shownButtons() const;
    int resultOf(const QPushButton *button) const;

    // The pictures are read when the dialog is first used.
    void readPictures();

    QPixmap m_background;
    bool m_picturesRead = false;
    int m_designWidth = 0;
    bool m_running = false;
};

// The dialog created at start-up; showPrompt creates it on first use when there is none.
extern PromptDialog *sharedPromptDialog;

// Shows the prompt modally and returns the button pressed: 1 left, 2 right, 3 centre, and only
// the result of a button the layout shows.
// buttons: 0 left+right, 1 centre only, 2 all three, 3 left only (narrow dialog); any other
// value shows the centre button alone.
// icon: 0 information, 1 warning, 2 error. variant "Exam": 确定 / 作废 / 取消; variant "Start":
// 开始考试 / 取消.
// defaultResult: the button that Enter presses and that has the focus (1, 2 or 3); 0, or a button
// the layout does not show, means the first shown one. Escape always means 取消 where it is shown.
// One prompt at a time: a prompt already showing is never replaced; a call made meanwhile (from
// a timer) waits until it is answered, then shows.
int showPrompt(const QString &caption, const QString &message, int buttons, int icon,
               const QString &variant, int defaultResult = 0);
