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
    void ComboBox1Change() override;
    void BtnSaveClick();
    void message(const QString &text, QWidget *focus);

    RichEditor *RxDBRichEdit3 = nullptr;
    RichEditor *RxDBRichEdit1 = nullptr;
    RichEditor *RxDBRichEdit2 = nullptr;
    QPushButton *BtnSave = nullptr;
    QPushButton *BtnCancel = nullptr;
    QPushButton *BtnHelp = nullptr;
    QString m_id;
    bool m_compound = false;
};
