#include "practice/NotesWindow.h"

#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "ui/Fonts.h"
#include "ui/MessageBox.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

NotesWindow::NotesWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"NotesWindow"_s);
    setWindowTitle(u"笔记"_s);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(Fonts::song(14));

    // The input method is the one the system's input method framework has active: Qt passes
    // the editor's text input to it, so nothing is chosen here.
    m_noteEdit = new QPlainTextEdit(this);
    m_noteEdit->setObjectName(u"noteEdit"_s);
    m_noteEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_noteEdit->setFont(Fonts::song(16));
    m_noteEdit->setAccessibleName(u"笔记"_s);

    m_closeButton = new QPushButton(u"关  闭"_s, this);
    m_closeButton->setObjectName(u"closeButton"_s);
    m_closeButton->setFont(Fonts::sans(14));
    m_closeButton->setMinimumSize(96, 30);
    m_closeButton->setAutoDefault(false);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::close);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    layout->addWidget(m_noteEdit, 1);
    layout->addLayout(buttons);
    setFixedSize(480, 320);
}

void NotesWindow::bind(const QString &mode, const QString &table, const QString &questionId)
{
    m_mode = mode;
    // Practice notes live in tab_answ unless the caller names the table.
    m_table = table.isEmpty() && mode == u"lx"_s ? u"tab_answ"_s : table;
    m_questionId = questionId;
    m_bound = false;
    m_saved = false;
    m_storedNote.clear();
    m_noteEdit->clear();
    if (!studyData || m_table.isEmpty())
        return;
    try {
        QSqlQuery q = Db::query(
            studyData->connection(),
            u"select A14 from "_s + Db::sqlIdentifier(m_table) + u" where A1=?"_s, {questionId});
        if (q.next()) {
            m_storedNote = q.value(0).toString();
            m_noteEdit->setPlainText(m_storedNote);
            m_bound = true;
        }
    } catch (const Db::DbError &e) {
        // A note that could not be read could not be saved either: the editor stays read-only.
        showMessageBox(this, u"错误"_s, Db::failureMessage(e, u"无法读取笔记！"_s),
                       QMessageBox::Critical);
    }
    m_noteEdit->setReadOnly(!m_bound);
}

void NotesWindow::done(int result)
{
    saveNote();
    QDialog::done(result);
}

void NotesWindow::saveNote()
{
    if (m_saved)
        return;
    m_saved = true;
    // Saved as written: blanks kept, a cleared note stored as '' (never NULL).
    QString note = m_noteEdit->toPlainText();
    if (note.isNull())
        note = u""_s;
    if (!m_bound) {
        App::notePresentFlag = false;
        return;
    }
    try {
        const QSqlDatabase db = studyData->connection();
        Db::Transaction tx(db);
        Db::exec(db, u"update "_s + Db::sqlIdentifier(m_table) + u" set A14=? where A1=?"_s,
                 {note, m_questionId});
        tx.commit();
        App::notePresentFlag = !note.trimmed().isEmpty();
    } catch (const Db::DbError &e) {
        // The stored note is unchanged; the window closes all the same.
        App::notePresentFlag = !m_storedNote.trimmed().isEmpty();
        showMessageBox(this, u"错误"_s, Db::failureMessage(e, u"发生错误，笔记没有保存！"_s),
                       QMessageBox::Critical);
    }
}
