// The question edit window: changes the body, explanation, stem, kind, options, answer and exam
// points of the question on screen in the chapter practice window. Every save counts as one edit.
#pragma once

#include "authoring/AuthoringWidgets.h"

#include <QString>

class QPushButton;
class RichEditor;

class QuestionEditWindow : public AuthoringDialog
{
    Q_OBJECT

public:
    explicit QuestionEditWindow(QWidget *parent = nullptr);

    // Reads the question and fills the window; false when there is no such question.
    // Throws Db::DbError.
    bool loadQuestion(const QString &id);

private:
    void kindChanged() override;
    // Checks the form and writes the edit; the window closes once it is stored.
    void saveChanges();
    void showMessage(const QString &text, QWidget *focus);

    RichEditor *m_stemEditor = nullptr;
    RichEditor *m_bodyEditor = nullptr;
    RichEditor *m_explanationEditor = nullptr;
    QPushButton *m_saveButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QPushButton *m_helpButton = nullptr;
    QString m_id;
    bool m_compound = false;
};
