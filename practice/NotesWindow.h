// The notes window: the candidate's free-text note on a question, saved when the window closes.
#pragma once

#include <QDialog>
#include <QString>

class QPlainTextEdit;
class QPushButton;

class NotesWindow : public QDialog
{
    Q_OBJECT

public:
    explicit NotesWindow(QWidget *parent = nullptr);

    // mode "lx" (practice: the row of tab_answ, or of `table` when given) or "ks" (mock exam:
    // the row of the paper table `table`); loads A14 of the row whose A1 is questionId.
    void bind(const QString &mode, const QString &table, const QString &questionId);

protected:
    // Every way of closing (button, close box, Escape) passes here: the note is saved first.
    void done(int result) override;

private:
    void saveNote();

    QPlainTextEdit *m_noteEdit = nullptr;
    QPushButton *m_closeButton = nullptr;
    QString m_mode;
    QString m_table;
    QString m_questionId;
    QString m_storedNote; // A14 as loaded
    bool m_bound = false;
    bool m_saved = false;
};
