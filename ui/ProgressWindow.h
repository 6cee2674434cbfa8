// The progress window: a one-line notice shown while long work runs.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <QString>

class QLabel;

class ProgressWindow : public QDialog
{
    Q_OBJECT

public:
    explicit ProgressWindow(QWidget *parent = nullptr);

    // Shows the window with the text and lets pending events run so that the text is visible.
    void showText(const QString &text);
    // Repaints and lets pending events run (between steps of long work).
    void refresh();
    // Hides the window until the next use.
    void finish();
    QString text() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    QLabel *m_textLabel = nullptr;
    QPixmap m_background; // read when first painted
    bool m_backgroundRead = false;
};

// The progress window created at start-up; progressWindow() creates it on first use.
extern ProgressWindow *sharedProgressWindow;
ProgressWindow *progressWindow();

// Shows the progress window with a text for the lifetime of the object, hiding it at the end
// (also when the work throws).
class ProgressNotice
{
public:
    explicit ProgressNotice(const QString &text) { progressWindow()->showText(text); }
    ~ProgressNotice() { progressWindow()->finish(); }
    void setText(const QString &text) { progressWindow()->showText(text); }
    ProgressNotice(const ProgressNotice &) = delete;
    ProgressNotice &operator=(const ProgressNotice &) = delete;
};
