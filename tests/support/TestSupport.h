// Shared test harness: a temporary program folder with a copy of a fixture database, prompt and
// message-box interception, a fixed "today", and Qt Test on an offscreen screen of chosen size.
#pragma once

#include "data/Clock.h"
#include "data/StudyData.h"
#include "ui/PromptHook.h"

#include <QApplication>
#include <QDate>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <functional>

class QAbstractButton;
class QDialog;
class QObject;
class QWidget;
struct sqlite3;

namespace testsupport {

// The built program folder (pic/, sound/, htm/, data/ beside the executable), ending in "/".
QString binDir();
// The small fixture database built from tests/fixtures/bank, and the shipped starter bank.
QString fixtureDb();
QString shippedDb();

// A program folder of its own for one test: data/WTXVEB710448.mdb is a copy of the given
// database (none when empty); pic/, sound/ and htm/ link to the built ones.
class TempProgramFolder
{
public:
    explicit TempProgramFolder(const QString &database = fixtureDb());
    QString path() const;         // ends in "/"
    QString databasePath() const; // path() + "data/WTXVEB710448.mdb"
    bool isValid() const { return m_ok; }

private:
    QTemporaryDir m_dir;
    bool m_ok = false;
};

// A program folder with a copy of the database opened as studyData, and the display mode of the
// test screen; studyData is cleared again when the object goes.
class TestDatabase
{
public:
    explicit TestDatabase(const QString &database = fixtureDb());
    ~TestDatabase();
    bool isValid() const { return m_ok; }
    TempProgramFolder folder;
    ::StudyData study;

private:
    bool m_ok = false;
};

// Records every prompt and message box while alive and answers each with the next queued
// result (or the default: 1 for a prompt, Ok for a message box).
class PromptCatcher
{
public:
    PromptCatcher();
    ~PromptCatcher();
    void queue(int result) { m_answers.append(result); }
    const QList<PromptCall> &calls() const { return m_calls; }
    bool sawMessage(const QString &message) const;
    QStringList messages() const;

private:
    QList<PromptCall> m_calls;
    QList<int> m_answers;
};

// While alive, every write to a database file fails as on a full disk. install() must have run
// before the connection opened: it makes a file system that can do this SQLite's default.
class DiskFull
{
public:
    static void install();
    DiskFull();
    ~DiskFull();
};

// Another program holding the write lock of a database file while the object lives.
class LockedByAnotherProgram
{
public:
    explicit LockedByAnotherProgram(const QString &databasePath);
    ~LockedByAnotherProgram();
    bool isLocked() const { return m_locked; }

private:
    sqlite3 *m_db = nullptr;
    bool m_locked = false;
};

// Sets Clock::today() for the lifetime of the object.
class FixedToday
{
public:
    explicit FixedToday(const QDate &date) { Clock::setToday(date); }
    ~FixedToday() { Clock::resetToday(); }
    void set(const QDate &date) { Clock::setToday(date); }
};

// Closes every modal window still open when the time runs out, so that a test running a window
// modally cannot hang when one of its steps fails; stopped when the object goes.
class ModalSafetyNet
{
public:
    explicit ModalSafetyNet(int milliseconds = 30000);

private:
    QTimer m_timer;
};

// Calls `act` once with the window of type Window when it is up as the active modal window
// (a window that its opener runs modally, out of the test's reach otherwise).
template <typename Window> void whenModalShows(std::function<void(Window *)> act)
{
    auto *timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto *w = qobject_cast<Window *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(w);
        }
    });
    timer->start();
}

// Saves a picture of the widget as DIR/NAME_<display mode>.png when the environment variable
// STUDYAID_SHOTS names a folder DIR, for looking at a window's layout; otherwise does nothing.
void saveShot(QWidget *widget, const QString &name);

// A window's child by objectName (a warning when there is none), and the common kinds.
template <typename T = QWidget> T *child(QWidget *parent, const QString &name)
{
    T *w = parent->findChild<T *>(name);
    if (!w)
        qWarning("no child %s", qPrintable(name));
    return w;
}
QAbstractButton *button(QWidget *parent, const QString &name);
// The text of a label, empty when there is no such label.
QString labelText(QWidget *parent, const QString &name);

// Saves a picture of the widget as DIR/NAME.png and prints the path (picture tools).
void savePicture(QWidget *widget, const QString &dir, const QString &name);
// Clicks the named button when it is there, visible and enabled; false otherwise.
bool clickIfUsable(QWidget *parent, const QString &name);

// Once a modal dialog is up (opened by a click that runs its own loop), passes it to handle and
// then closes it, unless handle did. Polls for up to timeoutMs.
void handleNextModal(std::function<void(QDialog *)> handle, int timeoutMs = 5000);
// Without a session's runtime folder Qt makes one under /tmp and leaves it there; a test process
// gets a private one of its own instead, removed when the process ends. Call before the
// application object is made.
void usePrivateRuntimeFolder();

// Runs a Qt Test object in a QApplication whose offscreen screen has the size named by the
// environment variable STUDYAID_TEST_SCREEN ("800x600", "1024x768"; 1024x768 when unset).
int runQtTest(QObject *test, int argc, char **argv);
// The screen size the current Qt test runs with.
QSize testScreenSize();

} // namespace testsupport

// main() of a Qt Test window test.
#define STUDYAID_QTEST_MAIN(TestClass)                                                             \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        return testsupport::runQtTest(new TestClass, argc, argv);                                  \
    }
