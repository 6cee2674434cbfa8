// Application-wide values handed between windows (one instance each, set at start-up or by the
// window that hands over).
#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

namespace App {

// Folder of the executable, ending in "/"; every resource path is relative to it.
extern QString programFolder;
// "800" for screens exactly 800 wide or 600 high, else "1024".
extern QString displayMode;
// Mock-exam kind last chosen (1..5); 0 until set, treated as 1.
extern int currentPaperKind;
// 0 = sound settings, 1 = answer-time settings.
extern int settingsVariant;
// SELECT over tab_answ defining the next practice window's question set.
extern QString practiceQuery;
// C1_1 of the chapter last selected in the chapter browser.
extern QString currentChapterKey;
// Whether the note saved by the notes window is not blank.
extern bool notePresentFlag;

// Gauge interval (ms per step of 100) per question kind: Trunc(time * 600).
struct AnswerTimeTable
{
    QList<int> kinds;
    QList<int> intervals;
    // The interval for a kind; 600 ms when the kind is not in the table or has no positive one.
    int intervalFor(int kind) const;
};
extern AnswerTimeTable answerTimeTable;
// The gauge interval of an answer time in minutes: Trunc(minutes * 600), read as the one-decimal
// value it is (1.5 gives 900, 0.1 gives 60).
int answerInterval(double minutes);

// Full path of the background-music track last chosen or played; empty until then.
extern QString currentMusicFile;

// Paper kind in use: currentPaperKind, with 0 read as 1.
int paperKind();
// "tab_tx" followed by the paper kind.
QString kindTableName(int paperKind);

// Reads "select * from tab_tx<kind>" into a table; an empty result leaves the table unchanged.
// A row whose time is not a positive number (0, NULL, text) is left out, so its kind gets the
// 600 ms of a missing kind. Throws DbError when the query fails.
void loadAnswerTimeTable(const QSqlDatabase &db, int paperKind, AnswerTimeTable &table);

// "800" when the screen is exactly 800 wide or exactly 600 high, else "1024".
QString displayModeFor(int screenWidth, int screenHeight);

} // namespace App
