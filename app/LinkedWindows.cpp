#include "app/LinkedWindows.h"

#include "authoring/QuestionEditWindow.h"
#include "authoring/QuestionEntryWindow.h"
#include "data/AppGlobals.h"
#include "data/Database.h"
#include "exampoints/RelatedPointsWindow.h"
#include "progress/SoundAndTimeSettingsWindow.h"
#include "ui/WindowLinks.h"

using namespace Qt::StringLiterals;

namespace App {

void linkWindows()
{
    WindowLinks::Links &links = WindowLinks::links();
    links.enterQuestions = [](QWidget *parent, const QString &chapterCode, const QString &caption) {
        QuestionEntryWindow entry(parent);
        entry.setCaptionText(caption);
        entry.setChapterCode(chapterCode);
        entry.exec();
        return entry.savedCount();
    };
    links.editQuestion = [](QWidget *parent, const QString &questionId) {
        QuestionEditWindow edit(parent);
        if (!edit.loadQuestion(questionId))
            throw Db::DbError(u"no question "_s + questionId);
        return edit.exec() == QDialog::Accepted;
    };
    links.showRelatedPoints = [](QWidget *parent, const QString &questionId) {
        RelatedPointsWindow points(parent);
        if (points.loadCodes(questionId))
            points.exec();
    };
    links.openSoundSettings = [](QWidget *parent) {
        App::settingsVariant = 0;
        SoundAndTimeSettingsWindow settings(parent);
        settings.exec();
    };
}

} // namespace App
