#include "authoring/QuestionEntryWindow.h"

#include "ui/WindowLinks.h"
#include "ui/PromptDialog.h"
#include "authoring/RichEditor.h"
#include "authoring/Authoring.h"
#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "ui/MessageBox.h"
#include "ui/WindowParts.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTextEdit>


using namespace Qt::StringLiterals;

QuestionEntryWindow::QuestionEntryWindow(QWidget *parent)
    : AuthoringDialog(u"FrmInPut"_s, u"试题录入"_s,
                       {u"题    型："_s, u"待选答案个数："_s, u"试题答案："_s, u"对应考点："_s,
                        u"试题对应考点最多为10条！\n如果要去掉考点，请选中要\n去掉的考点，再按键盘上的"
                        u"\n[Delete]键！"_s},
                       parent)
{
    Re1 = addEditor(u"Re1"_s, u"试题内容："_s, 3);
    Re2 = addEditor(u"Re2"_s, u"试题解析："_s, 2);
    BtnSave = addButton(u"BtnSave"_s, u"保存"_s);
    BtnClear = addButton(u"BtnClear"_s, u"清除"_s);
    BtnConfig = addButton(u"BtnConfig"_s, u"设置"_s);
    BtnHelp = addButton(u"BtnHelp"_s, u"使用说明"_s);
    BtnClose = addButton(u"BtnClose"_s, u"关闭"_s);
    applyLayout();

    SE_Num->setValue(5);
    loadKinds();
    if (ComboBox1->count() > 0)
        selectKindQuietly(m_kinds.first().number);

    connect(BtnSave, &QPushButton::clicked, this, &QuestionEntryWindow::BtnSaveClick);
    connect(BtnClear, &QPushButton::clicked, this, &QuestionEntryWindow::BtnClearClick);
    connect(BtnConfig, &QPushButton::clicked, this, &QuestionEntryWindow::BtnConfigClick);
    connect(BtnHelp, &QPushButton::clicked, this, [this] { AuthoringUi::showUsage(this); });
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::accept);
    Re1->editor()->setFocus();
}

void QuestionEntryWindow::setCaptionText(const QString &text)
{
    Lb_cap->setText(text);
}

void QuestionEntryWindow::ComboBox1Change()
{
    AuthoringUi::applyKindRule(SE_Num, Edit1, selectedKindName(), true);
}

void QuestionEntryWindow::message(const QString &text, QWidget *focus, bool warning)
{
    showMessageBox(this, u"提示"_s, text, warning ? QMessageBox::Warning : QMessageBox::Information);
    if (focus)
        focus->setFocus();
}

void QuestionEntryWindow::BtnSaveClick()
{
    SE_Num->setEnabled(true);
    Edit1->setEnabled(true);
    if (Re1->isBlank())
        return message(u"请填写试题内容！"_s, Re1->editor());
    const QString answer = Edit1->text().trimmed();
    if (answer.isEmpty())
        return message(u"请填写试题答案！"_s, Edit1);
    if (selectedKind() < 0)
        return message(u"请选择题型！"_s, ComboBox1);

    Authoring::NewQuestion q;
    q.chapterCode = m_chapterCode;
    q.kind = selectedKind();
    q.options = SE_Num->value();
    q.answer = answer;
    q.points = ListBox1->codes();
    q.body = Re1->richBytes();
    if (!Re2->isBlank())
        q.explanation = Re2->richBytes();

    // The running number is read in the same unit of work as the inserts that use it.
    bool full = false;
    try {
        const QSqlDatabase db = studyData->connection();
        Db::Transaction tx(db);
        const int number = Authoring::nextUserNumber(db);
        if (number > Authoring::kMaxUserNumber) {
            full = true;
        } else {
            Authoring::insertQuestion(
                db, Authoring::userQuestionId(q.chapterCode, q.kind, q.options, number), q);
            tx.commit();
        }
    } catch (const Db::DbError &e) {
        // Nothing was written; the form keeps its contents for another try.
        return message(Db::failureMessage(e, u"保存试题出现错误！"_s), nullptr);
    }
    if (full)
        return message(u"最多只能录入9999道题！"_s, nullptr, true);
    BtnClearClick();
    ++m_saved;
}

void QuestionEntryWindow::BtnClearClick()
{
    Re1->clear();
    Re2->clear();
    Edit1->clear();
    ListBox1->clearPoints();
    // The first kind, without the kind rule: the option count and the locks stay as they are.
    if (!m_kinds.isEmpty())
        selectKindQuietly(m_kinds.first().number);
    Re1->editor()->setFocus();
}

void QuestionEntryWindow::BtnConfigClick()
{
    WindowLinks::openSoundSettings(this);
}
