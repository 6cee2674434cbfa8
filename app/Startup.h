// Start-up of the program: the checks in their order, the long-lived objects, the event loop.
#pragma once

#include <QString>

namespace Startup {

struct Options
{
    // Folder holding data/, pic/, sound/ and htm/ (normally the executable's folder).
    QString programFolder;
    // False for tests: return kStarted once the start window is up, without the event loop;
    // finish() ends the session.
    bool runEventLoop = true;
    // Folder of the study database and its backups/. Empty: the program folder's data/. An
    // installed program gives the user's own folder; the database is then copied there from the
    // program folder's data/ on first start.
    QString dataFolder;
};

// run() without the event loop, when everything started.
inline constexpr int kStarted = -1;

// Runs start-up and returns the process exit code: 0 after a normal end and when another copy
// is already running (it was asked to come forward), 1 when a check failed or a running copy
// did not answer (the message was shown and nothing is left behind).
int run(const Options &options);

// Closes the windows and the data module of a session, and gives up the single-instance lock.
void finish();

// The product's name: window titles and the about window.
QString applicationTitle();
// The product's version, e.g. "0.1".
QString applicationVersion();

} // namespace Startup
