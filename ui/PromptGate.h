// One prompt at a time. The program's prompt dialog and the system message boxes register here
// while they show, so that a second prompt waits until the first is answered instead of
// replacing it, and timed work (the answer-time gauge) can hold back its prompt meanwhile.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <memory>

class QDialog;

class PromptGate : public QObject
{
    Q_OBJECT
public:
    static PromptGate *instance();
    // A prompt or message box is showing (or being answered by a test's hook).
    static bool isShowing();
    // Returns once no prompt shows, running events while one does. A prompt answered by a
    // test's hook is in progress further up the stack and cannot be waited for: returns at once.
    static void waitForTurn();

    // Marks a prompt as showing from construction until the dialog finishes (is answered) or
    // the object goes, whichever comes first. Without a dialog: for the object's lifetime.
    class Showing
    {
    public:
        explicit Showing(QDialog *dialog = nullptr);
        ~Showing();
        Showing(const Showing &) = delete;
        Showing &operator=(const Showing &) = delete;

    private:
        std::shared_ptr<bool> m_open;
        QMetaObject::Connection m_finished;
        bool m_hooked;
    };

signals:
    // The last prompt showing was answered.
    void allClosed();

private:
    PromptGate() = default;
    void release(bool hooked);

    int m_showing = 0;
    int m_hooked = 0;
};
