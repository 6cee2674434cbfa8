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
    int savedCount() const { return m_saved; }

private:
    void ComboBox1Change() override;
    void BtnSaveClick();
    void BtnClearClick();
    void BtnConfigClick();
    void message(const QString &text, QWidget *focus, bool warning = false);

    RichEditor *Re1 = nullptr;
    RichEditor *Re2 = nullptr;
    QPushButton *BtnSave = nullptr;
    QPushButton *BtnClear = nullptr;
    QPushButton *BtnConfig = nullptr;
    QPushButton *BtnHelp = nullptr;
    QPushButton *BtnClose = nullptr;
    QString m_chapterCode;
    int m_saved = 0;
};
