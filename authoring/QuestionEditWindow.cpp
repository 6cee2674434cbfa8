#include "authoring/QuestionEditWindow.h"

#include "authoring/Authoring.h"
#include "authoring/RichEditor.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "ui/MessageBox.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTextEdit>

using namespace Qt::StringLiterals;

QuestionEditWindow::QuestionEditWindow(QWidget *parent)
    : AuthoringDialog(u"QuestionEditWindow"_s, u"试题修改"_s,
                      {u"题　　型："_s, u"备选个数："_s, u"答　　案："_s, u"对应考点："_s,
                       u"试题对应知识点最多为10条！\n如果要去掉知识点，请选中要\n去掉的知识点，再按"
                       u"键盘上的\n[Delete]键！"_s},
                      parent)
{
    m_stemEditor = addEditor(u"stemEditor"_s, u"试题题干："_s, 2);
    m_bodyEditor = addEditor(u"bodyEditor"_s, u"试题内容："_s, 3);
    m_explanationEditor = addEditor(u"explanationEditor"_s, u"试题解析："_s, 2);
    m_saveButton = addButton(u"saveButton"_s, u"保存"_s);
    m_cancelButton = addButton(u"cancelButton"_s, u"取消"_s);
    m_helpButton = addButton(u"helpButton"_s, u"使用说明"_s);
    applyLayout();
    // The stem and its caption show only for a compound question.
    m_stemEditor->parentWidget()->hide();

    connect(m_saveButton, &QPushButton::clicked, this, &QuestionEditWindow::saveChanges);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    m_discardQuestion = u"修改还未保存，要放弃所做的修改吗？"_s;
    connect(m_helpButton, &QPushButton::clicked, this, [this] { AuthoringUi::showUsage(this); });
}

bool QuestionEditWindow::loadQuestion(const QString &id)
{
    const QSqlDatabase db = studyData->connection();
    Authoring::StoredQuestion q;
    if (!Authoring::readQuestion(db, id, q))
        return false;
    const QList<Authoring::PointInfo> points = Authoring::readPoints(db, q.points);
    loadKinds();

    m_id = q.id;
    m_compound = q.hasStem;
    m_bodyEditor->setRichBytes(q.body);
    m_explanationEditor->setRichBytes(q.explanation);
    m_stemEditor->setRichBytes(q.stem);
    m_stemEditor->parentWidget()->setVisible(m_compound);

    m_optionCountBox->setEnabled(true);
    m_answerEdit->setEnabled(true);
    m_optionCountBox->setValue(q.options);
    m_answerEdit->setText(q.answer);
    selectKindQuietly(q.kind);
    if (Authoring::isLockedKindName(selectedKindName()))
        AuthoringUi::applyKindRule(m_optionCountBox, m_answerEdit, selectedKindName(), false);

    m_pointList->clearPoints();
    for (const Authoring::PointInfo &p : points) {
        // The group's name followed by the point's short title; a code without a point shows
        // as itself.
        m_pointList->addPoint(p.code, p.found ? p.groupName + p.title : p.code);
    }
    markUnchanged();
    (m_compound ? m_stemEditor : m_bodyEditor)->editor()->setFocus();
    return true;
}

void QuestionEditWindow::kindChanged()
{
    AuthoringUi::applyKindRule(m_optionCountBox, m_answerEdit, selectedKindName(), false);
}

void QuestionEditWindow::showMessage(const QString &text, QWidget *focus)
{
    showMessageBox(this, u"提示"_s, text, QMessageBox::Information);
    if (focus)
        focus->setFocus();
}

void QuestionEditWindow::saveChanges()
{
    // A question without body, answer or kind could no longer be practised.
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

    Authoring::QuestionEdit edit;
    edit.id = m_id;
    edit.body = m_bodyEditor->richBytes();
    if (!m_explanationEditor->isBlank())
        edit.explanation = m_explanationEditor->richBytes();
    edit.hasStem = m_compound;
    if (m_compound)
        edit.stem = m_stemEditor->richBytes();
    edit.kind = selectedKind();
    edit.options = m_optionCountBox->value();
    edit.answer = Authoring::storedAnswer(edit.kind, answer);
    edit.points = m_pointList->codes();
    try {
        Authoring::saveEdit(studyData->connection(), edit);
    } catch (const Db::DbError &e) {
        // Nothing was written; the window stays open with the changes.
        return showMessage(Db::failureMessage(e, u"保存试题出现错误！"_s), nullptr);
    }
    accept();
}
