#include "authoring/QuestionEditWindow.h"

#include "authoring/RichEditor.h"
#include "authoring/Authoring.h"
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
    RxDBRichEdit3 = addEditor(u"RxDBRichEdit3"_s, u"试题题干："_s, 2);
    RxDBRichEdit1 = addEditor(u"RxDBRichEdit1"_s, u"试题内容："_s, 3);
    RxDBRichEdit2 = addEditor(u"RxDBRichEdit2"_s, u"试题解析："_s, 2);
    BtnSave = addButton(u"BtnSave"_s, u"保存"_s);
    BtnCancel = addButton(u"BtnCancel"_s, u"取消"_s);
    BtnHelp = addButton(u"BtnHelp"_s, u"使用说明"_s);
    applyLayout();
    // The stem and its caption show only for a compound question.
    RxDBRichEdit3->parentWidget()->hide();

    connect(BtnSave, &QPushButton::clicked, this, &QuestionEditWindow::BtnSaveClick);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(BtnHelp, &QPushButton::clicked, this, [this] { AuthoringUi::showUsage(this); });
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
    RxDBRichEdit1->setRichBytes(q.body);
    RxDBRichEdit2->setRichBytes(q.explanation);
    RxDBRichEdit3->setRichBytes(q.stem);
    RxDBRichEdit3->parentWidget()->setVisible(m_compound);

    SE_Num->setEnabled(true);
    Edit1->setEnabled(true);
    SE_Num->setValue(q.options);
    Edit1->setText(q.answer);
    selectKindQuietly(q.kind);
    if (Authoring::isLockedKindName(selectedKindName()))
        AuthoringUi::applyKindRule(SE_Num, Edit1, selectedKindName(), false);

    ListBox1->clearPoints();
    for (const Authoring::PointInfo &p : points) {
        // The group's name followed by the point's short title; a code without a point shows
        // as itself.
        ListBox1->addPoint(p.code, p.found ? p.groupName + p.title : p.code);
    }
    (m_compound ? RxDBRichEdit3 : RxDBRichEdit1)->editor()->setFocus();
    return true;
}

void QuestionEditWindow::ComboBox1Change()
{
    AuthoringUi::applyKindRule(SE_Num, Edit1, selectedKindName(), false);
}

void QuestionEditWindow::message(const QString &text, QWidget *focus)
{
    showMessageBox(this, u"提示"_s, text, QMessageBox::Information);
    if (focus)
        focus->setFocus();
}

void QuestionEditWindow::BtnSaveClick()
{
    // A question without body, answer or kind could no longer be practised.
    if (RxDBRichEdit1->isBlank())
        return message(u"请填写试题内容！"_s, RxDBRichEdit1->editor());
    const QString answer = Edit1->text().trimmed();
    if (answer.isEmpty())
        return message(u"请填写试题答案！"_s, Edit1);
    if (selectedKind() < 0)
        return message(u"请选择题型！"_s, ComboBox1);

    Authoring::QuestionEdit edit;
    edit.id = m_id;
    edit.body = RxDBRichEdit1->richBytes();
    if (!RxDBRichEdit2->isBlank())
        edit.explanation = RxDBRichEdit2->richBytes();
    edit.hasStem = m_compound;
    if (m_compound)
        edit.stem = RxDBRichEdit3->richBytes();
    edit.kind = selectedKind();
    edit.options = SE_Num->value();
    edit.answer = answer;
    edit.points = ListBox1->codes();
    try {
        Authoring::saveEdit(studyData->connection(), edit);
    } catch (const Db::DbError &e) {
        // Nothing was written; the window stays open with the changes.
        return message(Db::failureMessage(e, u"保存试题出现错误！"_s), nullptr);
    }
    accept();
}
