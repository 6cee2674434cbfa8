// Windows that a lower layer opens but a higher one owns: practice opens the question editor, the
// question entry, the related exam points and the sound settings without including their
// folders. app/ fills these at start-up (linkWindows()); an empty link opens nothing.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace WindowLinks {

struct Links
{
    // The question entry window for a chapter, titled with the caption; returns how many
    // questions were saved. Throws when the window cannot be made.
    std::function<int(QWidget *parent, const QString &chapterCode, const QString &caption)>
        enterQuestions;
    // The question edit window on one question; true when a change was saved. Throws
    // Db::DbError when the question cannot be read.
    std::function<bool(QWidget *parent, const QString &questionId)> editQuestion;
    // The related exam points of a question (shown only when the question has any). Throws
    // Db::DbError when they cannot be read.
    std::function<void(QWidget *parent, const QString &questionId)> showRelatedPoints;
    // The background-music settings.
    std::function<void(QWidget *parent)> openSoundSettings;
};

// The links in force (one set for the program).
Links &links();

// Each link called when it is set: nothing opens (0, false) when it is not.
int enterQuestions(QWidget *parent, const QString &chapterCode, const QString &caption);
bool editQuestion(QWidget *parent, const QString &questionId);
void showRelatedPoints(QWidget *parent, const QString &questionId);
void openSoundSettings(QWidget *parent);

} // namespace WindowLinks
