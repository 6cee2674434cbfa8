// The question entry window: the candidate adds questions of their own to a chapter, with body,
// explanation, kind, options, answer and linked exam points.
#pragma once

#include "authoring/AuthoringWidgets.h"

class QPushButton;
class RichEditor;

class QuestionEntryWindow : public AuthoringDialog
{
    Q_OBJECT

public:
    // Reads the kinds of the question-kind table in use; throws Db::DbError.
    explicit QuestionEntryWindow(QWidget *parent = nullptr);

    // Set by the opener before showing: the caption label and the chapter the questions join.
    void setCaptionText(const QString &text);
    void setChapterCode(const QString &code) { m_chapterCode = code; }
    // The number of questions saved while the window was open.
    int savedCount() const { return m_savedCount; }

private:
    void kindChanged() override;
    // Checks the form and stores it as a new question of the chapter; the form is then cleared.
    void saveQuestion();
    void clearForm();
    void openSoundSettings();
    void showMessage(const QString &text, QWidget *focus, bool warning = false);

    RichEditor *m_bodyEditor = nullptr;
    RichEditor *m_explanationEditor = nullptr;
    QPushButton *m_saveButton = nullptr;
    QPushButton *m_clearButton = nullptr;
    QPushButton *m_settingsButton = nullptr;
    QPushButton *m_helpButton = nullptr;
    QPushButton *m_closeButton = nullptr;
    QString m_chapterCode;
    int m_savedCount = 0;
};
