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
    setObjectName(u"ExamSettingsWindow"_s);
    setWindowTitle(u"考试设置"_s);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    setFont(Fonts::sans(14));
    setFixedSize(340, 200);
    m_background = WindowParts::backgroundPicture(u"pic/bg_plan.bmp"_s);
    setStyleSheet(WindowParts::windowStyle() +
                  u"QLabel#titleLabel { color: white; font-weight: bold; }"_s);

    auto *digits = new QRegularExpressionValidator(QRegularExpression(u"\\d{0,3}"_s), this);
    m_leastMarkCheck = new QCheckBox(u"保留试卷最低分数"_s, this);
    m_leastMarkCheck->setObjectName(u"leastMarkCheck"_s);
    m_examTimeCheck = new QCheckBox(u"模拟考试答题时间"_s, this);
    m_examTimeCheck->setObjectName(u"examTimeCheck"_s);
    m_leastMarkEdit = new QLineEdit(this);
    m_leastMarkEdit->setObjectName(u"leastMarkEdit"_s);
    m_leastMarkEdit->setToolTip(u"与试卷总分数相关"_s);
    m_leastMarkEdit->setAccessibleName(u"保留试卷最低分数"_s);
    m_examMinutesEdit = new QLineEdit(this);
    m_examMinutesEdit->setObjectName(u"examMinutesEdit"_s);
    m_examMinutesEdit->setToolTip(u"（单位：分钟）"_s);
    m_examMinutesEdit->setAccessibleName(u"模拟考试答题时间（分钟）"_s);
    for (QLineEdit *e : {m_leastMarkEdit, m_examMinutesEdit}) {
        e->setValidator(digits);
        e->setMaxLength(3);
        e->setFixedWidth(70);
        e->setAlignment(Qt::AlignRight);
    }
    m_defaultButton = WindowParts::makeButton(this, u"defaultButton"_s, u"默认"_s);
    m_defaultButton->setToolTip(u"先选择要恢复默认值的项"_s);
    m_closeButton = WindowParts::makeButton(this, u"closeButton"_s, u"关闭"_s);
    m_closeButton->setToolTip(u"保存后退出本界面"_s);
    for (QPushButton *b : {m_defaultButton, m_closeButton})
        b->setFixedHeight(28);

    connect(m_leastMarkCheck, &QCheckBox::clicked, this, &ExamSettingsWindow::updateDefaultButton);
    connect(m_examTimeCheck, &QCheckBox::clicked, this, &ExamSettingsWindow::updateDefaultButton);
    connect(m_leastMarkEdit, &QLineEdit::textChanged, this, &ExamSettingsWindow::checkLeastMark);
    connect(m_defaultButton, &QPushButton::clicked, this, &ExamSettingsWindow::restoreDefaults);
    connect(m_closeButton, &QPushButton::clicked, this, &ExamSettingsWindow::saveAndClose);

    auto *title = new QLabel(windowTitle(), this);
    title->setObjectName(u"titleLabel"_s);
    title->setFixedHeight(28);
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(14, 0, 14, 12);
    root->addWidget(title);
    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(12);
    grid->addWidget(m_leastMarkCheck, 0, 0);
    grid->addWidget(m_leastMarkEdit, 0, 1);
    grid->addWidget(new QLabel(u"分"_s, this), 0, 2);
    grid->addWidget(m_examTimeCheck, 1, 0);
    grid->addWidget(m_examMinutesEdit, 1, 1);
    grid->addWidget(new QLabel(u"分钟"_s, this), 1, 2);
    grid->setColumnStretch(3, 1);
    root->addLayout(grid);
    root->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_defaultButton);
    buttons->addWidget(m_closeButton);
    root->addLayout(buttons);
}

void ExamSettingsWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    WindowParts::centre(this);
    loadSettings();
}

void ExamSettingsWindow::loadSettings()
{
    try {
        m_fullMark = studyData->totalPaperScore();
        const Paper::Settings s = Paper::readSettings(studyData->connection());
        m_adjusting = true;
        m_leastMarkEdit->setText(QString::number(s.leastMark));
        m_examMinutesEdit->setText(QString::number(s.examTime / 60));
        m_adjusting = false;
    } catch (const std::exception &e) {
        m_adjusting = false;
        qWarning("studyaid: %s", e.what());
    }
}

void ExamSettingsWindow::updateDefaultButton()
{
    m_defaultButton->setEnabled(m_leastMarkCheck->isChecked() || m_examTimeCheck->isChecked());
}

void ExamSettingsWindow::checkLeastMark()
{
    if (m_adjusting)
        return;
    m_adjusting = true;
    if (m_leastMarkEdit->text().isEmpty()) {
        // The 0 put into an emptied box is selected, so what is typed next replaces it.
        m_leastMarkEdit->setText(u"0"_s);
        m_leastMarkEdit->selectAll();
    }
    if (m_leastMarkEdit->text().toInt() > m_fullMark) {
        showMessageBox(this, u"提示"_s, u"最低分数不能超过总分数！"_s, QMessageBox::Information);
        m_leastMarkEdit->setText(QString::number(m_fullMark));
        m_leastMarkEdit->setFocus();
    }
    m_adjusting = false;
}

void ExamSettingsWindow::restoreDefaults()
{
    if (m_leastMarkCheck->isChecked())
        m_leastMarkEdit->setText(QString::number(m_fullMark / 2));
    if (m_examTimeCheck->isChecked())
        m_examMinutesEdit->setText(u"120"_s);
}

void ExamSettingsWindow::saveAndClose()
{
    bool ok = !m_leastMarkEdit->text().isEmpty() && !m_examMinutesEdit->text().isEmpty();
    QString failure = u"保存设置失败！"_s;
    if (ok) {
        try {
            Paper::saveSettings(studyData->connection(), m_leastMarkEdit->text().toInt(),
                                qint64(m_examMinutesEdit->text().toInt()) * 60);
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
    saveAndClose();
}

void ExamSettingsWindow::paintEvent(QPaintEvent *)
{
    WindowParts::paintChrome(this, m_background, 28);
}
