#include "progress/PlanWindow.h"

#include "ui/PromptDialog.h"
#include "data/Clock.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "ui/Fonts.h"
#include "ui/Colors.h"
#include "ui/WindowChrome.h"
#include "ui/WindowParts.h"

#include <QButtonGroup>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QGuiApplication>
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

    epLabel1 = new QLabel(u"距离考试还有"_s, this);
    epLabel1->setObjectName(u"epLabel1"_s);
    epLabel1->setFont(Fonts::sans(20, true));
    Label1 = new QLabel(this);
    Label1->setObjectName(u"Label1"_s);
    Label1->setFont(Fonts::sans(40, true));
    Label1->setAlignment(Qt::AlignCenter);
    epLabel2 = new QLabel(u"天"_s, this);
    epLabel2->setObjectName(u"epLabel2"_s);
    epLabel2->setFont(Fonts::sans(20, true));
    Label1->setGeometry(186, kStrip + 6, 110, 54);
    epLabel2->setGeometry(300, kStrip + 14, 40, 38);

    m_dateCaption = new QLabel(u"考试日："_s, this);
    m_dateCaption->setGeometry(34, 98, 70, 26);
    DateEdit1 = new QDateEdit(this);
    DateEdit1->setObjectName(u"DateEdit1"_s);
    DateEdit1->setCalendarPopup(true);
    DateEdit1->setDisplayFormat(u"yyyy-MM-dd"_s);
    DateEdit1->setToolTip(u"点击右侧按钮-->"_s);
    DateEdit1->calendarWidget()->setToolTip(u"点击设置日期"_s);
    DateEdit1->setAccessibleName(u"考试日"_s);
    DateEdit1->setGeometry(104, 98, 150, 26);
    m_dateCaption->setBuddy(DateEdit1);

    SeSkinRadioGroup1 = new QGroupBox(u"学习计划"_s, this);
    SeSkinRadioGroup1->setObjectName(u"SeSkinRadioGroup1"_s);
    SeSkinRadioGroup1->setGeometry(20, 130, 420, 74);
    m_byAnswers = new QRadioButton(kByAnswers, SeSkinRadioGroup1);
    m_byMinutes = new QRadioButton(kByMinutes, SeSkinRadioGroup1);
    m_byAnswers->setObjectName(u"SeSkinRadioGroup1Item0"_s);
    m_byMinutes->setObjectName(u"SeSkinRadioGroup1Item1"_s);
    m_byAnswers->setGeometry(12, 20, 400, 24);
    m_byMinutes->setGeometry(12, 46, 400, 24);
    m_items = new QButtonGroup(this);
    m_items->addButton(m_byAnswers, 0);
    m_items->addButton(m_byMinutes, 1);
    connect(m_items, &QButtonGroup::idClicked, this, &PlanWindow::SeSkinRadioGroup1Click);

    auto makeNumber = [this](const QString &name, const QString &accessible) {
        auto *e = new QSpinBox(this);
        e->setObjectName(name);
        e->setRange(0, 999);
        e->setButtonSymbols(QAbstractSpinBox::NoButtons);
        e->setAlignment(Qt::AlignCenter);
        e->setAccessibleName(accessible);
        return e;
    };
    suiNumberEdit1 = makeNumber(u"suiNumberEdit1"_s, u"每天道题"_s);
    suiNumberEdit2 = makeNumber(u"suiNumberEdit2"_s, u"每天分钟"_s);

    SpeedButton1 = WindowParts::makeButton(this, u"SpeedButton1"_s, u"设定"_s);
    SpeedButton2 = WindowParts::makeButton(this, u"SpeedButton2"_s, u"关闭"_s);
    for (QPushButton *b : {SpeedButton1, SpeedButton2})
        b->setFont(Fonts::sans(14, true));
    SpeedButton1->setGeometry(262, 212, 84, 30);
    SpeedButton2->setGeometry(356, 212, 84, 30);
    connect(SpeedButton1, &QPushButton::clicked, this, &PlanWindow::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(DateEdit1, m_byAnswers);
    setTabOrder(m_byAnswers, suiNumberEdit1);
    setTabOrder(suiNumberEdit1, m_byMinutes);
    setTabOrder(m_byMinutes, suiNumberEdit2);
    setTabOrder(suiNumberEdit2, SpeedButton1);
    setTabOrder(SpeedButton1, SpeedButton2);

    // Viewing state: the number fields enabled, the date and the choice of target not.
    DateEdit1->setEnabled(false);
    SeSkinRadioGroup1->setEnabled(false);
}

bool PlanWindow::editing() const
{
    return SpeedButton1->text() == u"保存"_s;
}

void PlanWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void PlanWindow::FormShow()
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
    suiNumberEdit1->setValue(plan.amount);
    suiNumberEdit2->setValue(plan.minutes);
    DateEdit1->setDate(plan.examDate.isValid() ? plan.examDate : Clock::today());
    // A mark other than 0 or 1 names no plan: no item is chosen.
    m_items->setExclusive(false);
    m_byAnswers->setChecked(plan.mark == 0);
    m_byMinutes->setChecked(plan.mark == 1);
    m_items->setExclusive(true);
    showCountdown();
    if (!plan.examDate.isValid())
        epLabel1->setText(StudyPlan::countdown({}, Clock::today()).lead);
}

void PlanWindow::placeNumberFields()
{
    // Each field lies over the blank stretch of its item's text.
    const QFontMetrics fm(m_byAnswers->font());
    const int indicator = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr,
                                               m_byAnswers) +
                          style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr,
                                               m_byAnswers);
    const int textStart = indicator + fm.horizontalAdvance(kBeforeField) + 4;
    const int blank = fm.horizontalAdvance(QString(19, u' ')) - 8;
    const int width = std::max(blank, fm.horizontalAdvance(u"9999"_s) + 8);
    for (auto [radio, field] : {std::pair{m_byAnswers, suiNumberEdit1},
                                std::pair{m_byMinutes, suiNumberEdit2}}) {
        const QPoint origin = radio->mapTo(this, QPoint(textStart, 0));
        field->setGeometry(origin.x(), origin.y() + 1, width, radio->height() - 2);
        field->raise();
    }
}

void PlanWindow::showCountdown()
{
    const StudyPlan::Countdown c = StudyPlan::countdown(DateEdit1->date(), Clock::today());
    epLabel1->setText(c.lead);
    Label1->setVisible(c.showNumber);
    epLabel2->setVisible(c.showNumber);
    if (c.showNumber) {
        Label1->setText(c.number);
        QPalette pal = Label1->palette();
        pal.setColor(QPalette::WindowText, Colors::fromTColor(c.colour));
        Label1->setPalette(pal);
        epLabel1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        epLabel1->setGeometry(20, kStrip + 14, 162, 38);
    } else {
        epLabel1->setAlignment(Qt::AlignCenter);
        epLabel1->setGeometry(20, kStrip + 14, width() - 40, 38);
    }
}

void PlanWindow::SeSkinRadioGroup1Click(int index)
{
    QSpinBox *chosen = index == 0 ? suiNumberEdit1 : suiNumberEdit2;
    QSpinBox *other = index == 0 ? suiNumberEdit2 : suiNumberEdit1;
    chosen->setEnabled(true);
    other->setEnabled(false);
    chosen->setFocus();
    chosen->selectAll();
}

void PlanWindow::SpeedButton1Click()
{
    if (!editing()) {
        SpeedButton1->setText(u"保存"_s);
        DateEdit1->setEnabled(true);
        SeSkinRadioGroup1->setEnabled(true);
        if (m_items->checkedId() >= 0)
            (m_items->checkedId() == 0 ? suiNumberEdit1 : suiNumberEdit2)->setEnabled(true);
        DateEdit1->setFocus();
        return;
    }
    if (m_items->checkedId() < 0) {
        showPrompt(u"提示"_s, u"请选择按作题数量或按作题时间制定学习计划！"_s, 1, 1, u"NO"_s);
        return;
    }
    if (!save())
        return;
    SpeedButton1->setText(u"设定"_s);
    DateEdit1->setEnabled(false);
    SeSkinRadioGroup1->setEnabled(false);
    showCountdown();
}

bool PlanWindow::save()
{
    suiNumberEdit1->interpretText();
    suiNumberEdit2->interpretText();
    StudyPlan::Plan plan;
    plan.mark = m_items->checkedId();
    plan.amount = suiNumberEdit1->value();
    plan.minutes = suiNumberEdit2->value();
    plan.examDate = DateEdit1->date();
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
