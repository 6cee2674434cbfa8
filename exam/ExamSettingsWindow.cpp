#include "exam/ExamSettingsWindow.h"

#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "exam/Paper.h"
#include "practice/QuestionWidgets.h"
#include "ui/Fonts.h"
#include "ui/MessageBox.h"
#include "ui/WindowParts.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

ExamSettingsWindow::ExamSettingsWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"FrmEset"_s);
    setWindowTitle(u"考试设置"_s);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    setFont(Fonts::sans(14));
    setFixedSize(340, 200);
    m_background = WindowParts::backgroundPicture(u"pic/bg_plan.bmp"_s);
    setStyleSheet(WindowParts::windowStyle() + u"QLabel#LbTitle { color: white; font-weight: bold; }"_s);

    auto *digits = new QRegularExpressionValidator(QRegularExpression(u"\\d{0,3}"_s), this);
    CheckBox1 = new QCheckBox(u"保留试卷最低分数"_s, this);
    CheckBox1->setObjectName(u"CheckBox1"_s);
    CheckBox2 = new QCheckBox(u"模拟考试答题时间"_s, this);
    CheckBox2->setObjectName(u"CheckBox2"_s);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(u"Edit1"_s);
    Edit1->setToolTip(u"与试卷总分数相关"_s);
    Edit1->setAccessibleName(u"保留试卷最低分数"_s);
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(u"Edit2"_s);
    Edit2->setToolTip(u"（单位：分钟）"_s);
    Edit2->setAccessibleName(u"模拟考试答题时间（分钟）"_s);
    for (QLineEdit *e : {Edit1, Edit2}) {
        e->setValidator(digits);
        e->setMaxLength(3);
        e->setFixedWidth(70);
        e->setAlignment(Qt::AlignRight);
    }
    BtnDefault = WindowParts::makeButton(this, u"BtnDefault"_s, u"默认"_s);
    BtnDefault->setToolTip(u"先选择要恢复默认值的项"_s);
    BtnClose = WindowParts::makeButton(this, u"BtnClose"_s, u"关闭"_s);
    BtnClose->setToolTip(u"保存后退出本界面"_s);
    for (QPushButton *b : {BtnDefault, BtnClose})
        b->setFixedHeight(28);

    connect(CheckBox1, &QCheckBox::clicked, this, &ExamSettingsWindow::CheckBoxClick);
    connect(CheckBox2, &QCheckBox::clicked, this, &ExamSettingsWindow::CheckBoxClick);
    connect(Edit1, &QLineEdit::textChanged, this, &ExamSettingsWindow::Edit1Change);
    connect(BtnDefault, &QPushButton::clicked, this, &ExamSettingsWindow::BtnDefaultClick);
    connect(BtnClose, &QPushButton::clicked, this, &ExamSettingsWindow::BtnCloseClick);

    auto *title = new QLabel(windowTitle(), this);
    title->setObjectName(u"LbTitle"_s);
    title->setFixedHeight(28);
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(14, 0, 14, 12);
    root->addWidget(title);
    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(12);
    grid->addWidget(CheckBox1, 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(new QLabel(u"分"_s, this), 0, 2);
    grid->addWidget(CheckBox2, 1, 0);
    grid->addWidget(Edit2, 1, 1);
    grid->addWidget(new QLabel(u"分钟"_s, this), 1, 2);
    grid->setColumnStretch(3, 1);
    root->addLayout(grid);
    root->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnDefault);
    buttons->addWidget(BtnClose);
    root->addLayout(buttons);
}

void ExamSettingsWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    WindowParts::centre(this);
    FormShow();
}

void ExamSettingsWindow::FormShow()
{
    try {
        m_total = studyData->totalPaperScore();
        const Paper::Settings s = Paper::readSettings(studyData->connection());
        m_adjusting = true;
        Edit1->setText(QString::number(s.leastMark));
        Edit2->setText(QString::number(s.examTime / 60));
        m_adjusting = false;
    } catch (const std::exception &e) {
        m_adjusting = false;
        qWarning("studyaid: %s", e.what());
    }
}

void ExamSettingsWindow::CheckBoxClick()
{
    BtnDefault->setEnabled(CheckBox1->isChecked() || CheckBox2->isChecked());
}

void ExamSettingsWindow::Edit1Change()
{
    if (m_adjusting)
        return;
    m_adjusting = true;
    if (Edit1->text().isEmpty())
        Edit1->setText(u"0"_s);
    if (Edit1->text().toInt() > m_total) {
        showMessageBox(this, u"提示"_s, u"最低分数不能超过总分数！"_s, QMessageBox::Information);
        Edit1->setText(QString::number(m_total));
        Edit1->setFocus();
    }
    m_adjusting = false;
}

void ExamSettingsWindow::BtnDefaultClick()
{
    if (CheckBox1->isChecked())
        Edit1->setText(QString::number(m_total / 2));
    if (CheckBox2->isChecked())
        Edit2->setText(u"120"_s);
}

void ExamSettingsWindow::BtnCloseClick()
{
    bool ok = !Edit1->text().isEmpty() && !Edit2->text().isEmpty();
    QString failure = u"保存设置失败！"_s;
    if (ok) {
        try {
            Paper::saveSettings(studyData->connection(), Edit1->text().toInt(),
                                qint64(Edit2->text().toInt()) * 60);
        } catch (const Db::DbError &e) {
            qWarning("studyaid: %s", e.what());
            failure = Db::failureMessage(e, failure);
            ok = false;
        }
    }
    if (!ok)
        showMessageBox(this, u"警告"_s, failure, QMessageBox::Critical);
    QDialog::accept();
}

void ExamSettingsWindow::reject()
{
    // There is no cancel: leaving saves, as 关闭 does.
    BtnCloseClick();
}

void ExamSettingsWindow::paintEvent(QPaintEvent *)
{
    WindowParts::paintChrome(this, m_background, 28);
}
