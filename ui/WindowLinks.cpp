#include "ui/WindowLinks.h"

namespace WindowLinks {

Links &links()
{
    static Links l;
    return l;
}

int enterQuestions(QWidget *parent, const QString &chapterCode, const QString &caption)
{
    return links().enterQuestions ? links().enterQuestions(parent, chapterCode, caption) : 0;
}

bool editQuestion(QWidget *parent, const QString &questionId)
{
    return links().editQuestion && links().editQuestion(parent, questionId);
}

void showRelatedPoints(QWidget *parent, const QString &questionId)
{
    if (links().showRelatedPoints)
        links().showRelatedPoints(parent, questionId);
}

void openSoundSettings(QWidget *parent)
{
    if (links().openSoundSettings)
        links().openSoundSettings(parent);
}

} // namespace WindowLinks
