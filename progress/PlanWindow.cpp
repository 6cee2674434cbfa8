#include "progress/PlanWindow.h"

#include "data/Clock.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "ui/Colors.h"
#include "ui/Fonts.h"
#include "ui/PromptDialog.h"
#include "ui/WindowChrome.h"
#include "ui/WindowParts.h"

#include <QButtonGroup>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QSpinBox>
#include <QStyle>

using namespace Qt::StringLiterals;

namespace {

constexpr int kStrip = 30;
const QString kByAnswers = u"按作题数量制定学习计划      每天                   道题"_s;
const QString kByMinutes = u"按作题时间制定学习计划      每天                   分钟"_s;
// The text before the blank stretch that a number field covers.
const QString kBeforeField = u"按作题数量制定学习计划      每天"_s;

} // namespace

PlanWindow::PlanWindow(QWidget *parent) : QDialog(parent)
{
    WindowChrome::setUp(*this, u"PlanWindow"_s, u"学习计划"_s);
    setFixedSize(460, 250);

    m_leadLabel = new QLabel(u"距离考试还有"_s, this);
    m_leadLabel->setObjectName(u"leadLabel"_s);
    m_leadLabel->setFont(Fonts::sans(20, true));
    m_daysLabel = new QLabel(this);
    m_daysLabel->setObjectName(u"daysLabel"_s);
    m_daysLabel->setFont(Fonts::sans(40, true));
    m_daysLabel->setAlignment(Qt::AlignCenter);
    m_daysUnitLabel = new QLabel(u"天"_s, this);
    m_daysUnitLabel->setObjectName(u"daysUnitLabel"_s);
    m_daysUnitLabel->setFont(Fonts::sans(20, true));
    m_daysLabel->setGeometry(186, kStrip + 6, 110, 54);
    m_daysUnitLabel->setGeometry(300, kStrip + 14, 40, 38);

    m_dateCaption = new QLabel(u"考试日："_s, this);
    m_dateCaption->setGeometry(34, 98, 70, 26);
    m_examDateEdit = new QDateEdit(this);
    m_examDateEdit->setObjectName(u"examDateEdit"_s);
    m_examDateEdit->setCalendarPopup(true);
    m_examDateEdit->setDisplayFormat(u"yyyy-MM-dd"_s);
    m_examDateEdit->setToolTip(u"点击右侧按钮-->"_s);
    m_examDateEdit->calendarWidget()->setToolTip(u"点击设置日期"_s);
    m_examDateEdit->setAccessibleName(u"考试日"_s);
    m_examDateEdit->setGeometry(104, 98, 150, 26);
    m_dateCaption->setBuddy(m_examDateEdit);

    m_targetGroup = new QGroupBox(u"学习计划"_s, this);
    m_targetGroup->setObjectName(u"targetGroup"_s);
    m_targetGroup->setGeometry(20, 130, 420, 74);
    m_byAnswers = new QRadioButton(kByAnswers, m_targetGroup);
    m_byMinutes = new QRadioButton(kByMinutes, m_targetGroup);
    m_byAnswers->setObjectName(u"byAnswers"_s);
    m_byMinutes->setObjectName(u"byMinutes"_s);
    m_byAnswers->setGeometry(12, 20, 400, 24);
    m_byMinutes->setGeometry(12, 46, 400, 24);
    m_targetKinds = new QButtonGroup(this);
    m_targetKinds->addButton(m_byAnswers, 0);
    m_targetKinds->addButton(m_byMinutes, 1);
    connect(m_targetKinds, &QButtonGroup::idClicked, this, &PlanWindow::chooseTargetKind);

    auto makeNumber = [this](const QString &name, const QString &accessible) {
        auto *e = new QSpinBox(this);
        e->setObjectName(name);
        e->setRange(0, 999);
        e->setButtonSymbols(QAbstractSpinBox::NoButtons);
        e->setAlignment(Qt::AlignCenter);
        e->setAccessibleName(accessible);
        return e;
    };
    m_answersEdit = makeNumber(u"answersEdit"_s, u"每天道题"_s);
    m_minutesEdit = makeNumber(u"minutesEdit"_s, u"每天分钟"_s);

    m_setButton = WindowParts::makeButton(this, u"setButton"_s, u"设定"_s);
    m_closeButton = WindowParts::makeButton(this, u"closeButton"_s, u"关闭"_s);
    for (QPushButton *b : {m_setButton, m_closeButton})
        b->setFont(Fonts::sans(14, true));
    m_setButton->setGeometry(262, 212, 84, 30);
    m_closeButton->setGeometry(356, 212, 84, 30);
    connect(m_setButton, &QPushButton::clicked, this, &PlanWindow::editOrSave);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(m_examDateEdit, m_byAnswers);
    setTabOrder(m_byAnswers, m_answersEdit);
    setTabOrder(m_answersEdit, m_byMinutes);
    setTabOrder(m_byMinutes, m_minutesEdit);
    setTabOrder(m_minutesEdit, m_setButton);
    setTabOrder(m_setButton, m_closeButton);

    // Viewing state: the number fields shown read-only, the date and the choice of target
    // disabled.
    m_examDateEdit->setEnabled(false);
    m_targetGroup->setEnabled(false);
    setFieldsReadOnly(true);
}

void PlanWindow::setFieldsReadOnly(bool readOnly)
{
    for (QSpinBox *field : {m_answersEdit, m_minutesEdit}) {
        field->setReadOnly(readOnly);
        field->setFocusPolicy(readOnly ? Qt::NoFocus : Qt::StrongFocus);
        field->setStyleSheet(readOnly ? u"QSpinBox { background: #E3ECF5; color: #1F3A56;"
                                        u" border: 1px solid #B7C7D8; }"_s
                                      : QString());
    }
}

bool PlanWindow::editing() const
{
    return m_setButton->text() == u"保存"_s;
}

void PlanWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        loadPlan();
}

void PlanWindow::loadPlan()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    placeNumberFields();
    StudyPlan::Plan plan;
    try {
        plan = StudyPlan::read(studyData->connection());
    } catch (const Db::DbError &e) {
        qWarning("studyaid: %s", e.what());
        showPrompt(u"错误"_s, u"无法读取学习计划！"_s, 1, 2, u"NO"_s);
    }
    m_answersEdit->setValue(plan.amount);
    m_minutesEdit->setValue(plan.minutes);
    m_examDateEdit->setDate(plan.examDate.isValid() ? plan.examDate : Clock::today());
    // A mark other than 0 or 1 names no plan: no item is chosen.
    m_targetKinds->setExclusive(false);
    m_byAnswers->setChecked(plan.mark == 0);
    m_byMinutes->setChecked(plan.mark == 1);
    m_targetKinds->setExclusive(true);
    showCountdown();
    if (!plan.examDate.isValid())
        m_leadLabel->setText(StudyPlan::countdown({}, Clock::today()).lead);
}

void PlanWindow::placeNumberFields()
{
    // Each field lies over the blank stretch of its item's text.
    const QFontMetrics fm(m_byAnswers->font());
    const int indicator =
        style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, m_byAnswers) +
        style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, m_byAnswers);
    const int textStart = indicator + fm.horizontalAdvance(kBeforeField) + 4;
    const int blank = fm.horizontalAdvance(QString(19, u' ')) - 8;
    const int width = std::max(blank, fm.horizontalAdvance(u"9999"_s) + 8);
    for (auto [radio, field] :
         {std::pair{m_byAnswers, m_answersEdit}, std::pair{m_byMinutes, m_minutesEdit}}) {
        const QPoint origin = radio->mapTo(this, QPoint(textStart, 0));
        field->setGeometry(origin.x(), origin.y() + 1, width, radio->height() - 2);
        field->raise();
    }
}

void PlanWindow::showCountdown()
{
    const StudyPlan::Countdown c = StudyPlan::countdown(m_examDateEdit->date(), Clock::today());
    m_leadLabel->setText(c.lead);
    m_daysLabel->setVisible(c.showNumber);
    m_daysUnitLabel->setVisible(c.showNumber);
    if (c.showNumber) {
        m_daysLabel->setText(c.number);
        QPalette pal = m_daysLabel->palette();
        pal.setColor(QPalette::WindowText, Colors::fromBgr(c.colour));
        m_daysLabel->setPalette(pal);
        m_leadLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_leadLabel->setGeometry(20, kStrip + 14, 162, 38);
    } else {
        m_leadLabel->setAlignment(Qt::AlignCenter);
        m_leadLabel->setGeometry(20, kStrip + 14, width() - 40, 38);
    }
}

void PlanWindow::chooseTargetKind(int index)
{
    QSpinBox *chosen = index == 0 ? m_answersEdit : m_minutesEdit;
    QSpinBox *other = index == 0 ? m_minutesEdit : m_answersEdit;
    chosen->setEnabled(true);
    other->setEnabled(false);
    chosen->setFocus();
    chosen->selectAll();
}

void PlanWindow::editOrSave()
{
    if (!editing()) {
        m_setButton->setText(u"保存"_s);
        m_examDateEdit->setEnabled(true);
        m_targetGroup->setEnabled(true);
        setFieldsReadOnly(false);
        if (m_targetKinds->checkedId() >= 0)
            (m_targetKinds->checkedId() == 0 ? m_answersEdit : m_minutesEdit)->setEnabled(true);
        m_examDateEdit->setFocus();
        return;
    }
    if (m_targetKinds->checkedId() < 0) {
        showPrompt(u"提示"_s, u"请选择按作题数量或按作题时间制定学习计划！"_s, 1, 1, u"NO"_s);
        return;
    }
    if (!save())
        return;
    m_setButton->setText(u"设定"_s);
    m_examDateEdit->setEnabled(false);
    m_targetGroup->setEnabled(false);
    setFieldsReadOnly(true);
    showCountdown();
}

bool PlanWindow::save()
{
    m_answersEdit->interpretText();
    m_minutesEdit->interpretText();
    StudyPlan::Plan plan;
    plan.mark = m_targetKinds->checkedId();
    plan.amount = m_answersEdit->value();
    plan.minutes = m_minutesEdit->value();
    plan.examDate = m_examDateEdit->date();
    try {
        StudyPlan::write(studyData->connection(), plan);
    } catch (const Db::DbError &e) {
        qWarning("studyaid: %s", e.what());
        showPrompt(u"错误"_s, Db::failureMessage(e, u"保存学习计划失败，原计划未改变！"_s), 1, 2,
                   u"NO"_s);
        return false;
    }
    return true;
}

void PlanWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    WindowChrome::paint(p, rect(), kStrip, windowTitle(), QColor(0xE3, 0xEC, 0xF5), 15);
}
