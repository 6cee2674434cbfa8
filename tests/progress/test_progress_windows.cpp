// The progress windows driven by objectName offscreen: the study plan, the study log, the
// statistics charts (model, toggles, printing, saving) and the settings window.
#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "progress/ChartWindow.h"
#include "progress/PlanWindow.h"
#include "progress/SoundAndTimeSettingsWindow.h"
#include "progress/StudyLogWindow.h"
#include "support/TestSupport.h"
#include "ui/BackgroundMusic.h"
#include "ui/ChartWidget.h"
#include "ui/Colors.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QSqlQueryModel>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using testsupport::PromptCatcher;
using Legend = ChartWidget::LegendPosition;

namespace {

const QDate kToday(2026, 12, 10);

using testsupport::button;
using testsupport::child;

// Every label's text fits its label (nothing clipped).
void verifyLabelsFit(QWidget *w)
{
    for (const QLabel *label : w->findChildren<QLabel *>()) {
        if (!label->isVisibleTo(w) || label->wordWrap())
            continue;
        const QFontMetrics fm(label->font());
        for (const QString &line : label->text().split(u'\n')) {
            QVERIFY2(fm.horizontalAdvance(line) <= label->width(),
                     qPrintable(label->objectName() + u": "_s + line));
        }
        QVERIFY2(w->rect().contains(QRect(label->mapTo(w, QPoint(0, 0)), label->size())),
                 qPrintable(label->text()));
    }
}

QImage render(const ChartWidget &chart)
{
    QImage image(chart.size(), QImage::Format_RGB32);
    QPainter p(&image);
    chart.paintChart(p, chart.size());
    return image;
}

} // namespace

class ProgressWindowsTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<testsupport::TestDatabase> data;
    std::unique_ptr<testsupport::FixedToday> today;

    QSqlDatabase db() const { return studyData->connection(); }
    void exec(const QString &sql, const QVariantList &values = {}) { Db::exec(db(), sql, values); }
    QVariant scalar(const QString &sql) { return Db::scalar(db(), sql); }

    // Counters of the five chart rows (the fixture's subjects): C3, C4, D1, D2.
    void setChartRows()
    {
        const QList<QVariantList> rows{{u"01"_s, 3, 2, 9, 4},
                                       {u"02"_s, 0, 0, 0, 0},
                                       {u"03"_s, 10, 10, 25, 5},
                                       {u"04"_s, 7, 1, 1, 1},
                                       {u"05"_s, 4, 0, 0, 0}};
        for (const QVariantList &r : rows)
            exec(u"update tab_kmmc set C3=?, C4=?, D1=?, D2=? where C1=?"_s,
                 {r[1], r[2], r[3], r[4], r[0]});
    }

private slots:
    void initTestCase()
    {
        // Before any study data opens: its connections go through the file system whose
        // writes can be made to fail as on a full disk.
        testsupport::DiskFull::install();
    }

    void init()
    {
        data = std::make_unique<testsupport::TestDatabase>();
        QVERIFY(data->isValid());
        today = std::make_unique<testsupport::FixedToday>(kToday);
        App::currentPaperKind = 0;
        App::settingsVariant = 0;
        App::currentMusicFile.clear();
        App::programFolder = data->folder.path();
        App::answerTimeTable = {};
        BackgroundMusic::setSwitch({});
    }

    void cleanup()
    {
        BackgroundMusic::setSwitch({});
        today.reset();
        data.reset();
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    // ----- study plan -----

    void planCountdown_data()
    {
        QTest::addColumn<int>("days");
        QTest::addColumn<QString>("lead");
        QTest::addColumn<QString>("number"); // empty: number and "天" hidden
        QTest::addColumn<QColor>("colour");
        const QColor red(255, 0, 0);
        const QColor green = Colors::fromBgr(2476900);
        QTest::newRow("yesterday") << -1 << u"考试已结束！"_s << QString() << QColor();
        QTest::newRow("today") << 0 << u"祝考试成功！"_s << QString() << QColor();
        QTest::newRow("5 days") << 5 << u"距离考试还有"_s << u"5"_s << red;
        QTest::newRow("7 days") << 7 << u"距离考试还有"_s << u"7"_s << red;
        QTest::newRow("8 days") << 8 << u"距离考试还有"_s << u"8"_s << green;
        QTest::newRow("1200 days") << 1200 << u"距离考试还有"_s << u"999"_s << green;
    }
    void planCountdown()
    {
        QFETCH(int, days);
        QFETCH(QString, lead);
        QFETCH(QString, number);
        QFETCH(QColor, colour);
        exec(u"update tab_plan set ExamDate=?"_s, {StudyData::dateText(kToday.addDays(days))});
        PlanWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), u"学习计划"_s);
        QCOMPARE(window.size(), QSize(460, 250));
        auto *leadLabel = child<QLabel>(&window, u"leadLabel"_s);
        auto *daysLabel = child<QLabel>(&window, u"daysLabel"_s);
        auto *unitLabel = child<QLabel>(&window, u"daysUnitLabel"_s);
        QCOMPARE(leadLabel->text(), lead);
        QCOMPARE(daysLabel->isVisible(), !number.isEmpty());
        QCOMPARE(unitLabel->isVisible(), !number.isEmpty());
        if (!number.isEmpty()) {
            QCOMPARE(daysLabel->text(), number);
            QCOMPARE(daysLabel->palette().color(QPalette::WindowText), colour);
            QCOMPARE(unitLabel->text(), u"天"_s);
        }
        verifyLabelsFit(&window);
        if (days == 5)
            testsupport::saveShot(&window, u"plan"_s);
    }

    void planEditAndSave()
    {
        PlanWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *setButton = button(&window, u"setButton"_s);
        auto *date = child<QDateEdit>(&window, u"examDateEdit"_s);
        auto *group = child<QGroupBox>(&window, u"targetGroup"_s);
        auto *amount = child<QSpinBox>(&window, u"answersEdit"_s);
        auto *minutes = child<QSpinBox>(&window, u"minutesEdit"_s);
        auto *byAnswers = child<QRadioButton>(&window, u"byAnswers"_s);
        auto *byMinutes = child<QRadioButton>(&window, u"byMinutes"_s);
        // Viewing state, filled from the plan row.
        QCOMPARE(setButton->text(), u"设定"_s);
        QVERIFY(!date->isEnabled());
        QVERIFY(!group->isEnabled());
        QVERIFY(amount->isEnabled() && minutes->isEnabled());
        QCOMPARE(amount->value(), 50);
        QCOMPARE(minutes->value(), 60);
        QCOMPARE(date->date(), QDate(2027, 10, 23));
        QVERIFY(byAnswers->isChecked());
        QCOMPARE(amount->maximum(), 999);
        // Each field lies over the blank stretch of its item, inside the window.
        QVERIFY(window.rect().contains(amount->geometry()));
        QVERIFY(amount->geometry().intersects(
            QRect(byAnswers->mapTo(&window, QPoint(0, 0)), byAnswers->size())));

        QTest::mouseClick(setButton, Qt::LeftButton);
        QCOMPARE(setButton->text(), u"保存"_s);
        QVERIFY(date->isEnabled());
        QVERIFY(group->isEnabled());
        QTest::mouseClick(byMinutes, Qt::LeftButton, {}, QPoint(8, byMinutes->height() / 2));
        QVERIFY(byMinutes->isChecked());
        QVERIFY(minutes->isEnabled());
        QVERIFY(!amount->isEnabled());
        QVERIFY(minutes->hasFocus());
        QTest::keyClicks(minutes, u"45"_s);
        date->setDate(kToday.addDays(5));
        QTest::mouseClick(setButton, Qt::LeftButton);

        QCOMPARE(setButton->text(), u"设定"_s);
        QVERIFY(!date->isEnabled());
        QVERIFY(!group->isEnabled());
        QVERIFY(minutes->isEnabled()); // the chosen target's field stays enabled
        QCOMPARE(child<QLabel>(&window, u"daysLabel"_s)->text(), u"5"_s);
        QCOMPARE(scalar(u"select PlanMark from tab_plan"_s).toInt(), 1);
        QCOMPARE(scalar(u"select PlanTime from tab_plan"_s).toInt(), 45);
        QCOMPARE(scalar(u"select PlanAmount from tab_plan"_s).toInt(), 50);
        QCOMPARE(scalar(u"select ExamDate from tab_plan"_s).toString(),
                 StudyData::dateText(kToday.addDays(5)));
    }

    // Outside editing the number fields take no input and do not look as if they did.
    void planFieldsAreReadOnlyOutsideEditing()
    {
        PlanWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto *amount = child<QSpinBox>(&window, u"answersEdit"_s);
        auto *minutes = child<QSpinBox>(&window, u"minutesEdit"_s);
        // The colour inside a field, left of its centred number.
        const auto fill = [](QSpinBox *field) {
            return field->grab().toImage().pixelColor(4, field->height() / 2);
        };
        const QColor viewing = fill(amount);
        for (QSpinBox *field : {amount, minutes}) {
            QVERIFY(field->isReadOnly());
            QCOMPARE(field->focusPolicy(), Qt::NoFocus);
            QCOMPARE(fill(field), viewing);
        }
        QTest::keyClicks(amount, u"7"_s);
        QCOMPARE(amount->value(), 50);
        testsupport::saveShot(&window, u"plan_viewing"_s);

        button(&window, u"setButton"_s)->click();
        QVERIFY(!amount->isReadOnly());
        QVERIFY(amount->focusPolicy() != Qt::NoFocus);
        QVERIFY2(fill(amount) != viewing, qPrintable(fill(amount).name()));
        amount->setFocus();
        amount->selectAll();
        QTest::keyClicks(amount, u"75"_s);
        QCOMPARE(amount->value(), 75);
        testsupport::saveShot(&window, u"plan_editing"_s);

        button(&window, u"setButton"_s)->click();
        QVERIFY(amount->isReadOnly());
        QCOMPARE(fill(amount), viewing);
        QCOMPARE(scalar(u"select PlanAmount from tab_plan"_s).toInt(), 75);
    }

    void planClosingWhileEditingDiscards()
    {
        PlanWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        button(&window, u"setButton"_s)->click();
        child<QSpinBox>(&window, u"answersEdit"_s)->setValue(7);
        child<QDateEdit>(&window, u"examDateEdit"_s)->setDate(kToday);
        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(!window.isVisible());
        QCOMPARE(scalar(u"select PlanAmount from tab_plan"_s).toInt(), 50);
        QCOMPARE(scalar(u"select ExamDate from tab_plan"_s).toString(), u"2027-10-23"_s);
        // The close button does the same.
        PlanWindow again;
        again.show();
        button(&again, u"setButton"_s)->click();
        child<QSpinBox>(&again, u"answersEdit"_s)->setValue(8);
        button(&again, u"closeButton"_s)->click();
        QVERIFY(!again.isVisible());
        QCOMPARE(scalar(u"select PlanAmount from tab_plan"_s).toInt(), 50);
    }

    void planWithUnknownMarkShowsNoPlan()
    {
        exec(u"update tab_plan set PlanMark=7"_s);
        PlanWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *byAnswers = child<QRadioButton>(&window, u"byAnswers"_s);
        auto *byMinutes = child<QRadioButton>(&window, u"byMinutes"_s);
        QVERIFY(!byAnswers->isChecked() && !byMinutes->isChecked());
        PromptCatcher prompts;
        auto *setButton = button(&window, u"setButton"_s);
        setButton->click();
        setButton->click(); // saving without a chosen target is refused
        QCOMPARE(prompts.calls().size(), 1);
        QCOMPARE(setButton->text(), u"保存"_s);
        QCOMPARE(scalar(u"select PlanMark from tab_plan"_s).toInt(), 7);
        QTest::mouseClick(byAnswers, Qt::LeftButton, {}, QPoint(8, byAnswers->height() / 2));
        setButton->click();
        QCOMPARE(setButton->text(), u"设定"_s);
        QCOMPARE(scalar(u"select PlanMark from tab_plan"_s).toInt(), 0);
    }

    void planSaveFailureKeepsEditing()
    {
        PlanWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        exec(u"create trigger refuse before update on tab_plan "
             u"begin select raise(abort, 'disk full'); end"_s);
        PromptCatcher prompts;
        auto *setButton = button(&window, u"setButton"_s);
        setButton->click();
        child<QSpinBox>(&window, u"answersEdit"_s)->setValue(80);
        setButton->click();
        QCOMPARE(prompts.calls().size(), 1);
        QCOMPARE(prompts.calls().first().caption, u"错误"_s);
        QVERIFY(!prompts.calls().first().message.contains(u"disk"_s));
        QCOMPARE(setButton->text(), u"保存"_s);
        QCOMPARE(scalar(u"select PlanAmount from tab_plan"_s).toInt(), 50);

        // Another program holding the study data, then a full disk: the box says which, and
        // that nothing was saved; the plan stays as it was and editing goes on.
        exec(u"drop trigger refuse"_s);
        Db::setBusyTimeout(200);
        {
            testsupport::LockedByAnotherProgram lock(data->folder.databasePath());
            QVERIFY(lock.isLocked());
            setButton->click();
        }
        Db::setBusyTimeout(5000);
        {
            testsupport::DiskFull disk;
            setButton->click();
        }
        QCOMPARE(
            prompts.messages().mid(1),
            QStringList({u"学习数据正被其他程序使用，本次没有记录任何内容！请关闭该程序后再试。"_s,
                         u"磁盘已满，本次没有保存任何内容（包括答案）！请清理磁盘空间后再试。"_s}));
        QCOMPARE(setButton->text(), u"保存"_s);
        QCOMPARE(scalar(u"select PlanAmount from tab_plan"_s).toInt(), 50);
        // With the study data free again the plan is saved.
        setButton->click();
        QCOMPARE(scalar(u"select PlanAmount from tab_plan"_s).toInt(), 80);
    }

    // ----- study log -----

    void logGridAndTotals()
    {
        exec(u"delete from tab_rz"_s);
        exec(u"insert into tab_rz (A1,A2,A3,B1,B2,A4,D1) "
             u"values ('2026-12-08', 100, 20, 80, 15, '80.00', '01:10:05')"_s);
        exec(u"insert into tab_rz (A1,A2,A3,B1,B2,A4,D1) "
             u"values ('2026-12-10', 40, 6, 38, 6, '85.00', '00:32:00')"_s);
        // A day whose time and score were never written.
        exec(u"insert into tab_rz (A1,A2,A3,B1,B2) values ('2026-12-09', 10, 4, 10, 4)"_s);
        StudyLogWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), u"日志"_s);
        QCOMPARE(window.size(), QSize(761, 480));
        auto *grid = child<QTableView>(&window, u"logGrid"_s);
        QAbstractItemModel *m = grid->model();
        QCOMPARE(m->rowCount(), 3);
        QCOMPARE(m->columnCount(), 7);
        QStringList headers;
        for (int c = 0; c < 7; ++c)
            headers.append(m->headerData(c, Qt::Horizontal).toString());
        QCOMPARE(headers, (QStringList{u"日期"_s, u"做过题数"_s, u"做错题数"_s, u"做过道次"_s,
                                       u"做错道次"_s, u"总用时"_s, u"平均成绩"_s}));
        QVERIFY(m->index(0, 0).data().toString().startsWith(u"2026-12-10"_s));
        QVERIFY(m->index(1, 0).data().toString().startsWith(u"2026-12-09"_s));
        QVERIFY(m->index(2, 0).data().toString().startsWith(u"2026-12-08"_s));
        QCOMPARE(m->index(2, 1).data().toInt(), 80);
        QCOMPARE(m->index(2, 2).data().toInt(), 15);
        QCOMPARE(m->index(2, 3).data().toInt(), 100);
        QCOMPARE(m->index(2, 4).data().toInt(), 20);
        QCOMPARE(m->index(2, 5).data().toString(), u"01:10:05"_s);
        QCOMPARE(m->index(2, 6).data().toString(), u"80.00"_s);
        QVERIFY(m->index(1, 5).data().toString().isEmpty());
        QVERIFY(m->index(1, 6).data().toString().isEmpty());
        for (int c : {5, 6}) {
            QCOMPARE(Qt::Alignment(m->index(0, c).data(Qt::TextAlignmentRole).toInt()) &
                         Qt::AlignHorizontal_Mask,
                     Qt::AlignRight);
        }
        QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(grid->columnWidth(0), App::displayMode == u"800"_s ? 198 : 252);
        // Every column is in view.
        int widths = 0;
        for (int c = 0; c < 7; ++c)
            widths += grid->columnWidth(c);
        QVERIFY2(widths <= grid->viewport()->width(), qPrintable(QString::number(widths)));

        QCOMPARE(child<QLabel>(&window, u"answersTotalLabel"_s)->text(), u"150"_s);
        QCOMPARE(child<QLabel>(&window, u"wrongTotalLabel"_s)->text(), u"30"_s);
        QCOMPARE(child<QLabel>(&window, u"scoreLabel"_s)->text(), u"80.00"_s);
        verifyLabelsFit(&window);
        testsupport::saveShot(&window, u"log"_s);
    }

    void logEmptyAndSettings()
    {
        exec(u"delete from tab_rz"_s);
        StudyLogWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(child<QTableView>(&window, u"logGrid"_s)->model()->rowCount(), 0);
        for (const QString &name : {u"answersTotalLabel"_s, u"wrongTotalLabel"_s, u"scoreLabel"_s})
            QCOMPARE(child<QLabel>(&window, name)->text(), u"0"_s);
        // The settings button opens the music settings owned by the log.
        App::settingsVariant = 1;
        QString opened;
        int variant = -1;
        QObject *owner = nullptr;
        testsupport::handleNextModal([&](QDialog *d) {
            opened = QString::fromLatin1(d->metaObject()->className());
            variant = static_cast<SoundAndTimeSettingsWindow *>(d)->variant();
            owner = d->parent();
        });
        button(&window, u"settingsButton"_s)->click();
        QCOMPARE(opened, u"SoundAndTimeSettingsWindow"_s);
        QCOMPARE(variant, 0);
        QCOMPARE(owner, &window);
        button(&window, u"closeButton"_s)->click();
        QVERIFY(!window.isVisible());
    }

    // ----- statistics charts -----

    void chartSeriesFromTheChapterCounters()
    {
        setChartRows();
        ChartWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), u"成绩统计图"_s);
        QCOMPARE(window.shownChart(), window.chart(ChartWindow::Frequency));
        QVERIFY(child<QRadioButton>(&window, u"chartTypeGroupItem1"_s)->isChecked());

        const QStringList names{u"法律知识"_s, u"管理知识"_s, u"技术"_s, u"案例分析"_s,
                                u"造价案例"_s};
        auto values = [](const ChartWidget::Series &s) {
            QList<double> v;
            for (const auto &p : s.points)
                v.append(p.value);
            return v;
        };
        auto labels = [](const ChartWidget::Series &s) {
            QStringList l;
            for (const auto &p : s.points)
                l.append(p.label);
            return l;
        };

        ChartWidget *freq = window.chart(ChartWindow::Frequency);
        QCOMPARE(freq->title(), u"频 度 统 计 图"_s);
        QCOMPARE(freq->leftAxisTitle(), u"题  次"_s);
        QCOMPARE(freq->bottomAxisTitle(), u"章    节"_s);
        QVERIFY(!freq->bottomAxisVisible());
        QCOMPARE(freq->seriesList().size(), 2);
        const auto &done = freq->seriesList().at(0);
        const auto &wrong = freq->seriesList().at(1);
        QCOMPARE(done.title, u"已做题次"_s);
        QCOMPARE(wrong.title, u"做错题次"_s);
        QCOMPARE(values(done), (QList<double>{9, 0, 25, 1, 0}));
        QCOMPARE(values(wrong), (QList<double>{4, 0, 5, 1, 0}));
        QCOMPARE(labels(done), names);
        QVERIFY(done.color.green() > done.color.red());   // green
        QVERIFY(wrong.color.red() > wrong.color.green()); // red
        QCOMPARE(freq->legendTexts(), (QStringList{u"已做题次"_s, u"做错题次"_s}));

        ChartWidget *pie = window.chart(ChartWindow::Distribution);
        QCOMPARE(pie->title(), u"习题分布统计图"_s);
        QCOMPARE(pie->seriesList().size(), 1);
        const auto &slices = pie->seriesList().first();
        QCOMPARE(slices.kind, ChartWidget::Kind::Pie);
        QCOMPARE(slices.title, u"习题分布"_s);
        QCOMPARE(values(slices), (QList<double>{3, 0, 10, 7, 4}));
        for (int i = 0; i < 5; ++i)
            QCOMPARE(slices.colorOf(i), Colors::fromBgr(255u + 80000u * unsigned(i)));
        QCOMPARE(slices.colorOf(0), QColor(255, 0, 0));
        QCOMPARE(pie->legendTexts().first(), u"3  法律知识"_s);
        QCOMPARE(pie->pieElevation(), 315);

        ChartWidget *progress = window.chart(ChartWindow::Progress);
        QCOMPARE(progress->title(), u"进度统计图"_s);
        QCOMPARE(progress->leftAxisTitle(), u"进度(%)"_s);
        QVERIFY(!progress->bottomAxisVisible());
        const auto &bars = progress->seriesList().first();
        QCOMPARE(bars.title, u"进度"_s);
        // No bar for the chapter without questions; 2 of 3 is 66.
        QCOMPARE(values(bars), (QList<double>{66, 100, 14, 0}));
        QCOMPARE(labels(bars), (QStringList{names[0], names[2], names[3], names[4]}));
        QCOMPARE(bars.colorOf(1), Colors::fromBgr(255u + 80000u * 2u));

        for (ChartWidget *c : {freq, pie, progress}) {
            QCOMPARE(c->depthPercent(), 30);
            QVERIFY(c->view3D());
            QVERIFY(c->legendVisible());
            QCOMPARE(c->legendPosition(), Legend::Top);
            QVERIFY(c->marksVisible());
        }
        testsupport::saveShot(&window, u"chart_frequency"_s);
    }

    void chartControlsFollowTheShownChart()
    {
        setChartRows();
        ChartWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        ChartWidget *freq = window.chart(ChartWindow::Frequency);
        auto *threeD = child<QCheckBox>(&window, u"view3DCheck"_s);
        auto *legend = child<QCheckBox>(&window, u"legendCheck"_s);
        auto *marks = child<QCheckBox>(&window, u"marksCheck"_s);
        auto *positions = child<QGroupBox>(&window, u"legendPositionGroup"_s);
        auto pick = [&](const QString &name) {
            auto *r = child<QRadioButton>(&window, name);
            QTest::mouseClick(r, Qt::LeftButton, {}, QPoint(8, r->height() / 2));
        };

        const struct
        {
            const char *item;
            Legend position;
        } legendItems[] = {{"legendPositionGroupItem1", Legend::Bottom},
                           {"legendPositionGroupItem2", Legend::Left},
                           {"legendPositionGroupItem3", Legend::Right},
                           {"legendPositionGroupItem0", Legend::Top}};
        for (const auto &item : legendItems) {
            pick(QString::fromLatin1(item.item));
            QCOMPARE(freq->legendPosition(), item.position);
        }
        pick(u"legendPositionGroupItem1"_s);
        threeD->click();
        QVERIFY(!freq->view3D());
        marks->click();
        QVERIFY(!freq->marksVisible());
        QVERIFY(!freq->seriesList().at(0).marksVisible && !freq->seriesList().at(1).marksVisible);
        legend->click();
        QVERIFY(!freq->legendVisible());
        QVERIFY(!positions->isEnabled());
        legend->click();
        QVERIFY(freq->legendVisible());
        QVERIFY(positions->isEnabled());
        legend->click();

        // Another chart: the controls and the chart start over.
        pick(u"chartTypeGroupItem0"_s);
        ChartWidget *pie = window.chart(ChartWindow::Distribution);
        QCOMPARE(window.shownChart(), pie);
        QVERIFY(threeD->isChecked() && legend->isChecked() && marks->isChecked());
        QVERIFY(positions->isEnabled());
        QVERIFY(child<QRadioButton>(&window, u"legendPositionGroupItem0"_s)->isChecked());
        QVERIFY(pie->view3D() && pie->legendVisible() && pie->marksVisible());
        QCOMPARE(pie->legendPosition(), Legend::Top);
        // The total, near the bottom; 30 higher with the legend below.
        QCOMPARE(pie->noteText(), u"习题总数:24"_s);
        const int top = pie->noteTop();
        pick(u"legendPositionGroupItem1"_s);
        QCOMPARE(pie->noteTop(), top - 30);
        pick(u"legendPositionGroupItem2"_s);
        QCOMPARE(pie->noteTop(), top);
        marks->click();
        QVERIFY(!pie->marksVisible());
        testsupport::saveShot(&window, u"chart_distribution"_s);

        // The frequency chart kept what was set on it until it is chosen again.
        QVERIFY(!freq->view3D());
        pick(u"chartTypeGroupItem1"_s);
        QVERIFY(freq->view3D() && freq->legendVisible() && freq->marksVisible());
        QCOMPARE(freq->legendPosition(), Legend::Top);
        pick(u"chartTypeGroupItem2"_s);
        QCOMPARE(window.shownChart(), window.chart(ChartWindow::Progress));
        testsupport::saveShot(&window, u"chart_progress"_s);
    }

    void chartRendering()
    {
        setChartRows();
        ChartWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (auto kind : {ChartWindow::Frequency, ChartWindow::Distribution}) {
            ChartWidget *c = window.chart(kind);
            c->resize(window.shownChart()->size());
            c->setView3D(true);
            const QImage deep = render(*c);
            c->setView3D(false);
            const QImage flat = render(*c);
            QVERIFY(deep != flat);
            // The first chapter's red is on the pie, the green of answers on the bars.
            const QColor wanted =
                kind == ChartWindow::Distribution ? QColor(255, 0, 0) : c->seriesList()[0].color;
            bool found = false;
            for (int y = 0; y < flat.height() && !found; y += 2) {
                for (int x = 0; x < flat.width() && !found; x += 2) {
                    const QColor p = flat.pixelColor(x, y);
                    found = qAbs(p.red() - wanted.red()) < 40 &&
                            qAbs(p.green() - wanted.green()) < 40 &&
                            qAbs(p.blue() - wanted.blue()) < 40;
                }
            }
            QVERIFY(found);
        }
    }

    void chartWithoutRows()
    {
        exec(u"update tab_kmmc set C7='1'"_s);
        ChartWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (auto kind :
             {ChartWindow::Frequency, ChartWindow::Distribution, ChartWindow::Progress}) {
            for (const auto &s : window.chart(kind)->seriesList())
                QVERIFY(s.points.isEmpty());
            render(*window.chart(kind)); // paints without a division by zero
        }
        auto *distribution = child<QRadioButton>(&window, u"chartTypeGroupItem0"_s);
        QTest::mouseClick(distribution, Qt::LeftButton, {}, QPoint(8, distribution->height() / 2));
        QCOMPARE(window.shownChart()->noteText(), u"习题总数:0"_s);
    }

    void chartPrinting()
    {
        setChartRows();
        ChartWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *distribution = child<QRadioButton>(&window, u"chartTypeGroupItem0"_s);
        QTest::mouseClick(distribution, Qt::LeftButton, {}, QPoint(8, distribution->height() / 2));
        PromptCatcher prompts;

        // No printer: a notice, nothing printed.
        window.setPrinterCheck([] { return false; });
        button(&window, u"printButton"_s)->click();
        QCOMPARE(prompts.calls().size(), 1);
        QCOMPARE(prompts.calls().first().caption, u"提示"_s);
        QCOMPARE(prompts.calls().first().message, u"没有发现打印机！"_s);

        // The chart goes onto the page as text and shapes.
        QTemporaryDir dir;
        const QString pdf = dir.filePath(u"chart.pdf"_s);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        QVERIFY(window.printChart(printer));
        QCOMPARE(prompts.calls().size(), 1);
        const QString pdftotext = QStandardPaths::findExecutable(u"pdftotext"_s);
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QProcess extract;
        extract.start(pdftotext, {pdf, u"-"_s});
        QVERIFY(extract.waitForFinished(30000));
        const QString text = QString::fromUtf8(extract.readAllStandardOutput());
        for (const QString &expected :
             {u"习题分布统计图"_s, u"习题总数:24"_s, u"法律知识"_s, u"技术"_s})
            QVERIFY2(text.contains(expected), qPrintable(expected + u" in: "_s + text));

        // A printer that cannot be written to reports the failure.
        QPrinter broken(QPrinter::HighResolution);
        broken.setOutputFormat(QPrinter::PdfFormat);
        broken.setOutputFileName(dir.filePath(u"missing/folder/chart.pdf"_s));
        QVERIFY(!window.printChart(broken));
        QCOMPARE(prompts.calls().size(), 2);
        QCOMPARE(prompts.calls().last().caption, u"错误"_s);
        QCOMPARE(prompts.calls().last().message, u"打印时发生错误！"_s);
    }

    void chartSaving()
    {
        setChartRows();
        ChartWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTemporaryDir dir;
        QString target;
        QString format = u"BMP"_s;
        window.setSaveChooser([&](QWidget *, QString *f) {
            *f = format;
            return target;
        });
        PromptCatcher prompts;

        target = dir.filePath(u"chart.bmp"_s);
        button(&window, u"saveAsButton"_s)->click();
        QVERIFY(prompts.calls().isEmpty());
        QImage saved;
        QVERIFY(saved.load(target, "BMP"));
        QCOMPARE(saved.size(), window.shownChart()->size());
        QCOMPARE(saved.convertToFormat(QImage::Format_RGB32), render(*window.shownChart()));

        for (const QString &f : {u"PNG"_s, u"PDF"_s}) {
            format = f;
            target = dir.filePath(u"chart."_s + f.toLower());
            button(&window, u"saveAsButton"_s)->click();
            QVERIFY2(QFileInfo(target).size() > 0, qPrintable(f));
        }
        QVERIFY(prompts.calls().isEmpty());

        // Cancelled: nothing happens; unwritable: the failure is reported.
        target.clear();
        button(&window, u"saveAsButton"_s)->click();
        QVERIFY(prompts.calls().isEmpty());
        format = u"BMP"_s;
        target = dir.filePath(u"missing/chart.bmp"_s);
        button(&window, u"saveAsButton"_s)->click();
        QCOMPARE(prompts.calls().size(), 1);
        QCOMPARE(prompts.calls().first().caption, u"错误"_s);
        QCOMPARE(prompts.calls().first().message, u"无法保存文件！"_s);
        QVERIFY(window.isVisible());
    }

    void chartSaveDialog()
    {
        // The save dialog offers BMP first, then PNG and PDF, and asks before overwriting.
        ChartWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QStringList filters;
        bool saving = false;
        bool confirms = false;
        testsupport::handleNextModal([&](QDialog *d) {
            auto *dialog = qobject_cast<QFileDialog *>(d);
            QVERIFY(dialog);
            filters = dialog->nameFilters();
            saving = dialog->acceptMode() == QFileDialog::AcceptSave;
            confirms = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            dialog->reject();
        });
        PromptCatcher prompts;
        button(&window, u"saveAsButton"_s)->click();
        QCOMPARE(filters, (QStringList{u"Bitmaps图片 (*.bmp)"_s, u"PNG图片 (*.png)"_s,
                                       u"PDF文档 (*.pdf)"_s}));
        QVERIFY(saving);
        QVERIFY(confirms);
        QVERIFY(prompts.calls().isEmpty()); // cancelled: nothing saved, nothing said
    }

    void chartLayoutFits()
    {
        setChartRows();
        ChartWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QRect screen = QApplication::primaryScreen()->availableGeometry();
        QVERIFY(screen.contains(window.frameGeometry()));
        for (QAbstractButton *b : window.findChildren<QAbstractButton *>()) {
            const QFontMetrics fm(b->font());
            QVERIFY2(fm.horizontalAdvance(b->text()) + 8 <= b->width(), qPrintable(b->text()));
            QVERIFY(window.rect().contains(QRect(b->mapTo(&window, QPoint(0, 0)), b->size())));
        }
        // Keyboard: Tab reaches the controls and the buttons.
        QStringList reached;
        for (QWidget *w = window.nextInFocusChain(); w != &window; w = w->nextInFocusChain()) {
            if (w->isVisibleTo(&window) && (w->focusPolicy() & Qt::TabFocus))
                reached.append(w->objectName());
        }
        for (const QString &name :
             {u"view3DCheck"_s, u"saveAsButton"_s, u"printButton"_s, u"closeButton"_s})
            QVERIFY2(reached.contains(name), qPrintable(name));
    }

    // ----- settings -----

    void answerTimesAreSavedOnClosing()
    {
        App::settingsVariant = 1;
        SoundAndTimeSettingsWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), u"系统设置"_s);
        QCOMPARE(App::currentPaperKind, 1);
        const int kinds = scalar(u"select count(*) from tab_tx1"_s).toInt();
        QList<QDoubleSpinBox *> editors;
        for (int i = 1; i <= kinds; ++i) {
            auto *e = child<QDoubleSpinBox>(&window, u"answerTimeEdit"_s + QString::number(i));
            QVERIFY(e);
            QCOMPARE(e->decimals(), 1);
            QCOMPARE(e->minimum(), 0.1);
            QCOMPARE(e->maximum(), 30.0);
            editors.append(e);
        }
        QVERIFY(
            !window.findChild<QDoubleSpinBox *>(u"answerTimeEdit"_s + QString::number(kinds + 1)));
        QCOMPARE(editors[0]->property("kind").toInt(), 11);
        QCOMPARE(editors[0]->value(), 1.0);
        verifyLabelsFit(window.findChild<QWidget *>(u"answerTimeRows"_s));

        const struct
        {
            double minutes;
            int interval;
        } cases[] = {{1.5, 900}, {0.1, 60}, {30.0, 18000}};
        for (int i = 0; i < 3; ++i) {
            editors[i]->selectAll();
            QTest::keyClicks(editors[i], QString::number(cases[i].minutes, 'f', 1));
        }
        // Out of range: held at the limit.
        editors[3]->selectAll();
        QTest::keyClicks(editors[3], u"45"_s);
        QTest::mouseClick(button(&window, u"closeButton"_s), Qt::LeftButton);
        QVERIFY(!window.isVisible());
        for (int i = 0; i < 3; ++i) {
            const int kind = editors[i]->property("kind").toInt();
            QCOMPARE(Db::scalar(db(), u"select time from tab_tx1 where A1=?"_s, {kind}).toDouble(),
                     cases[i].minutes);
            QCOMPARE(App::answerTimeTable.intervalFor(kind), cases[i].interval);
        }
        QVERIFY(editors[3]->value() <= 30.0);
        QCOMPARE(App::answerTimeTable.kinds.size(), kinds);
    }

    void musicSettingsChangeNoTime()
    {
        App::settingsVariant = 0;
        App::answerTimeTable = {{11}, {1234}};
        const double before = scalar(u"select sum(time) from tab_tx1"_s).toDouble();
        SoundAndTimeSettingsWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!window.findChild<QDoubleSpinBox *>());
        QVERIFY(!child<QWidget>(&window, u"answerTimesArea"_s)->isVisible());
        verifyLabelsFit(&window);
        testsupport::saveShot(&window, u"config_music"_s);
        window.close();
        QCOMPARE(App::answerTimeTable.intervals, QList<int>{1234});
        QCOMPARE(scalar(u"select sum(time) from tab_tx1"_s).toDouble(), before);
    }

    void answerTimeSaveFailure()
    {
        App::settingsVariant = 1;
        App::answerTimeTable = {{11}, {1234}};
        SoundAndTimeSettingsWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        child<QDoubleSpinBox>(&window, u"answerTimeEdit1"_s)->setValue(3.0);
        exec(u"create trigger refuse before update on tab_tx1 "
             u"begin select raise(abort, 'database is locked'); end"_s);
        PromptCatcher prompts;
        window.close();
        QCOMPARE(prompts.calls().size(), 1);
        QCOMPARE(prompts.calls().first().caption, u"错误"_s);
        QCOMPARE(prompts.calls().first().message, u"保存设置失败！"_s);
        QCOMPARE(App::answerTimeTable.intervals, QList<int>{1234});
        QCOMPARE(scalar(u"select time from tab_tx1 where A1=11"_s).toDouble(), 1.0);
    }

    void musicSwitchAndTracks()
    {
        QStringList calls;
        BackgroundMusic::setSwitch([&calls](const QString &file, bool on) {
            calls.append(QFileInfo(file).fileName() + (on ? u" on"_s : u" off"_s));
        });
        auto open = [] {
            auto window = std::make_unique<SoundAndTimeSettingsWindow>();
            window->show();
            return window;
        };
        auto window = open();
        auto *musicSwitch = button(window.get(), u"musicSwitch"_s);
        auto *tracks = child<QComboBox>(window.get(), u"trackList"_s);
        QVERIFY(musicSwitch->isChecked());
        QVERIFY(calls.isEmpty()); // showing switches nothing
        QCOMPARE(tracks->currentIndex(), -1);
        QCOMPARE(tracks->count(), 6);
        QCOMPARE(tracks->itemText(0), u"乐曲01"_s);
        QCOMPARE(tracks->itemText(5), u"乐曲06"_s);

        QTest::mouseClick(musicSwitch, Qt::LeftButton); // off
        QTest::mouseClick(musicSwitch, Qt::LeftButton); // on, no track chosen: the first
        QCOMPARE(App::currentMusicFile, App::programFolder + u"sound/乐曲01.mid"_s);
        tracks->activated(2); // chosen while on: starts at once
        tracks->setCurrentIndex(2);
        musicSwitch->setFocus();
        QTest::keyClick(musicSwitch, Qt::Key_Space); // keyboard: off
        tracks->setCurrentIndex(4);
        tracks->activated(4); // chosen while off: the player is only closed
        QTest::mouseClick(musicSwitch, Qt::LeftButton); // on: the chosen track
        // Nothing was chosen before the first switch-off.
        QCOMPARE(calls,
                 (QStringList{u" off"_s, u"乐曲01.mid on"_s, u"乐曲03.mid on"_s,
                              u"乐曲03.mid off"_s, u"乐曲05.mid off"_s, u"乐曲05.mid on"_s}));
        window->close();
        // The track chosen survives the window.
        calls.clear();
        window = open();
        QVERIFY(calls.isEmpty());
        QCOMPARE(App::currentMusicFile, App::programFolder + u"sound/乐曲05.mid"_s);
    }
};

STUDYAID_QTEST_MAIN(ProgressWindowsTest)
#include "test_progress_windows.moc"
