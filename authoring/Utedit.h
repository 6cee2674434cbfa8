// The question edit window: changes the body, explanation, stem, kind, options, answer and exam
// points of the question on screen in the chapter practice window. Every save counts as one edit.
#pragma once

#include "authoring/authoringwidgets.h"

#include <QString>

class QPushButton;
class TRichEditor;

class TfrmTedit : public TAuthoringDialog
{
    Q_OBJECT

public:
    explicit TfrmTedit(QWidget *parent = nullptr);

    // Reads the question and fills the window; false when there is no such question.
    // Throws Db::DbError.
    bool loadQuestion(const QString &id);

private:
    void ComboBox1Change() override;
    void BtnSaveClick();
    void message(const QString &text, QWidget *focus);

    TRichEditor *RxDBRichEdit3 = nullptr;
    TRichEditor *RxDBRichEdit1 = nullptr;
    TRichEditor *RxDBRichEdit2 = nullptr;
    QPushButton *BtnSave = nullptr;
    QPushButton *BtnCancel = nullptr;
    QPushButton *BtnHelp = nullptr;
    QString m_id;
    bool m_compound = false;
};
