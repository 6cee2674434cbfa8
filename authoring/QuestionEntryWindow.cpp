#include "authoring/QuestionEntryWindow.h"

#include "authoring/Authoring.h"
#include "authoring/RichEditor.h"
#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "ui/MessageBox.h"
#include "ui/PromptDialog.h"
#include "ui/WindowLinks.h"
#include "ui/WindowParts.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTextEdit>

using namespace Qt::StringLiterals;

QuestionEntryWindow::QuestionEntryWindow(QWidget *parent)
    : AuthoringDialog(
          u"QuestionEntryWindow"_s, u"试题录入"_s,
          {u"题    型："_s, u"待选答案个数："_s, u"试题答案："_s, u"对应考点："_s,
           u"试题对应考点最多为10条！\n如果要去掉考点，请选中要\n去掉的考点，再按键盘上的"
           u"\n[Delete]键！"_s},
          parent)
{
    m_bodyEditor = addEditor(u"bodyEditor"_s, u"试题内容："_s, 3);
    m_explanationEditor = addEditor(u"explanationEditor"_s, u"试题解析："_s, 2);
    m_saveButton = addButton(u"saveButton"_s, u"保存"_s);
    m_clearButton = addButton(u"clearButton"_s, u"清除"_s);
    m_settingsButton = addButton(u"settingsButton"_s, u"设置"_s);
    m_helpButton = addButton(u"helpButton"_s, u"使用说明"_s);
    m_closeButton = addButton(u"closeButton"_s, u"关闭"_s);
    applyLayout();

    m_optionCountBox->setValue(5);
    loadKinds();
    if (m_kindBox->count() > 0)
        selectKindQuietly(m_kinds.first().number);

    connect(m_saveButton, &QPushButton::clicked, this, &QuestionEntryWindow::saveQuestion);
    connect(m_clearButton, &QPushButton::clicked, this, &QuestionEntryWindow::clearForm);
    connect(m_settingsButton, &QPushButton::clicked, this, &QuestionEntryWindow::openSoundSettings);
    connect(m_helpButton, &QPushButton::clicked, this, [this] { AuthoringUi::showUsage(this); });
    connect(m_closeButton, &QPushButton::clicked, this, [this] {
        if (confirmDiscard())
            accept();
    });
    m_discardQuestion = u"这道题还未保存，要放弃已填写的内容吗？"_s;
    markUnchanged();
    m_bodyEditor->editor()->setFocus();
}

void QuestionEntryWindow::setCaptionText(const QString &text)
{
    m_captionLabel->setText(text);
}

void QuestionEntryWindow::kindChanged()
{
    AuthoringUi::applyKindRule(m_optionCountBox, m_answerEdit, selectedKindName(), true);
}

void QuestionEntryWindow::showMessage(const QString &text, QWidget *focus, bool warning)
{
    showMessageBox(this, u"提示"_s, text,
                   warning ? QMessageBox::Warning : QMessageBox::Information);
    if (focus)
        focus->setFocus();
}

void QuestionEntryWindow::saveQuestion()
{
    m_optionCountBox->setEnabled(true);
    m_answerEdit->setEnabled(true);
    if (m_bodyEditor->isBlank())
        return showMessage(u"请填写试题内容！"_s, m_bodyEditor->editor());
    const QString answer = m_answerEdit->text().trimmed();
    if (answer.isEmpty())
        return showMessage(u"请填写试题答案！"_s, m_answerEdit);
    if (selectedKind() < 0)
        return showMessage(u"请选择题型！"_s, m_kindBox);
    if (const QString problem =
            Authoring::answerProblem(selectedKind(), m_optionCountBox->value(), answer);
        !problem.isEmpty())
        return showMessage(problem, m_answerEdit);

    Authoring::NewQuestion q;
    q.chapterCode = m_chapterCode;
    q.kind = selectedKind();
    q.options = m_optionCountBox->value();
    q.answer = Authoring::storedAnswer(q.kind, answer);
    q.points = m_pointList->codes();
    q.body = m_bodyEditor->richBytes();
    if (!m_explanationEditor->isBlank())
        q.explanation = m_explanationEditor->richBytes();

    // The running number is read in the same unit of work as the inserts that use it.
    bool full = false;
    QString id;
    try {
        const QSqlDatabase db = studyData->connection();
        Db::Transaction tx(db);
        const int number = Authoring::nextUserNumber(db);
        if (number > Authoring::kMaxUserNumber) {
            full = true;
        } else {
            id = Authoring::userQuestionId(q.chapterCode, q.kind, q.options, number);
            Authoring::insertQuestion(db, id, q);
            tx.commit();
        }
    } catch (const Db::DbError &e) {
        // Nothing was written; the form keeps its contents for another try.
        return showMessage(Db::failureMessage(e, u"保存试题出现错误！"_s), nullptr);
    }
    if (full)
        return showMessage(u"最多只能录入9999道题！"_s, nullptr, true);
    clearForm();
    ++m_savedCount;
    setStatus(u"已保存（编号 %1）"_s.arg(id));
}

void QuestionEntryWindow::clearForm()
{
    m_bodyEditor->clear();
    m_explanationEditor->clear();
    m_answerEdit->clear();
    m_pointList->clearPoints();
    // The first kind, without the kind rule: the option count and the locks stay as they are.
    if (!m_kinds.isEmpty())
        selectKindQuietly(m_kinds.first().number);
    markUnchanged();
    m_bodyEditor->editor()->setFocus();
}

void QuestionEntryWindow::openSoundSettings()
{
    WindowLinks::openSoundSettings(this);
}
