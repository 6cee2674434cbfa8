#include "progress/ChartWindow.h"

#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "progress/SoundAndTimeSettingsWindow.h"
#include "ui/ChartWidget.h"
#include "ui/Colors.h"
#include "ui/Fonts.h"
#include "ui/PromptDialog.h"
#include "ui/WindowChrome.h"
#include "ui/WindowLinks.h"
#include "ui/WindowParts.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QStackedWidget>
#include <QStandardPaths>

using namespace Qt::StringLiterals;
using Legend = ChartWidget::LegendPosition;

namespace {

const QString kBmpFilter = u"Bitmaps图片 (*.bmp)"_s;
const QString kPngFilter = u"PNG图片 (*.png)"_s;
const QString kPdfFilter = u"PDF文档 (*.pdf)"_s;

// The save dialog: BMP first, asks before overwriting, adds the chosen type's suffix.
QString chooseSaveFile(QWidget *parent, QString *format)
{
    QFileDialog dialog(parent, u"存为..."_s,
                       QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({kBmpFilter, kPngFilter, kPdfFilter});
    dialog.setDefaultSuffix(u"bmp"_s);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString &f) {
        dialog.setDefaultSuffix(f == kPngFilter ? u"png"_s : f == kPdfFilter ? u"pdf"_s : u"bmp"_s);
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString path = dialog.selectedFiles().first();
    const QString suffix = QFileInfo(path).suffix().toLower();
    *format = suffix == u"png"_s || suffix == u"pdf"_s ? suffix.toUpper() : u"BMP"_s;
    return path;
}

ChartWidget::Series barSeries(const QString &title, const QColor &color, bool colorEach)
{
    ChartWidget::Series s;
    s.kind = ChartWidget::Kind::Bar;
    s.title = title;
    s.color = color;
    s.colorEachPoint = colorEach;
    return s;
}

} // namespace

ChartWindow::ChartWindow(QWidget *parent) : QDialog(parent)
{
    WindowChrome::setUp(*this, u"ChartWindow"_s, u"成绩统计图"_s);
    m_hasPrinter = [] { return !QPrinterInfo::availablePrinters().isEmpty(); };
    m_chooseSave = chooseSaveFile;

    m_stack = new QStackedWidget(this);
    m_frequencyChart = new ChartWidget(m_stack);
    m_frequencyChart->setObjectName(u"frequencyChart"_s);
    m_distributionChart = new ChartWidget(m_stack);
    m_distributionChart->setObjectName(u"distributionChart"_s);
    m_progressChart = new ChartWidget(m_stack);
    m_progressChart->setObjectName(u"progressChart"_s);
    for (ChartWidget *c : {m_frequencyChart, m_distributionChart, m_progressChart})
        m_stack->addWidget(c);

    m_frequencyChart->setTitle(u"频 度 统 计 图"_s);
    m_frequencyChart->setLeftAxisTitle(u"题  次"_s);
    m_frequencyChart->setBottomAxis(u"章    节"_s, false);
    m_frequencyChart->setLegendStyle(ChartWidget::LegendStyle::Series);
    m_distributionChart->setTitle(u"习题分布统计图"_s);
    m_distributionChart->setLegendStyle(ChartWidget::LegendStyle::Points, true, 15);
    m_distributionChart->setPieElevation(315);
    m_progressChart->setTitle(u"进度统计图"_s);
    m_progressChart->setLeftAxisTitle(u"进度(%)"_s);
    m_progressChart->setBottomAxis(u"章   节"_s, false);
    m_progressChart->setLegendStyle(ChartWidget::LegendStyle::Points);
    for (ChartWidget *c : {m_frequencyChart, m_distributionChart, m_progressChart}) {
        c->setDepthPercent(30);
        c->setView3D(true);
        c->setLegendVisible(true);
        c->setLegendPosition(Legend::Top);
    }

    auto makeGroup = [this](const QString &name, const QString &caption, const QStringList &items,
                            QButtonGroup **buttons) {
        auto *box = new QGroupBox(caption, this);
        box->setObjectName(name);
        *buttons = new QButtonGroup(box);
        for (int i = 0; i < items.size(); ++i) {
            auto *r = new QRadioButton(items.at(i), box);
            r->setObjectName(name + u"Item"_s + QString::number(i));
            (*buttons)->addButton(r, i);
        }
        return box;
    };
    m_chartTypeGroup = makeGroup(u"chartTypeGroup"_s, u"统计图类型"_s,
                                 {u"习题分布"_s, u"频度统计"_s, u"进度统计"_s}, &m_chartTypes);
    m_legendPositionGroup =
        makeGroup(u"legendPositionGroup"_s, u"图例位置"_s,
                  {u"上方"_s, u"下方"_s, u"左侧"_s, u"右侧"_s}, &m_legendPositions);
    connect(m_chartTypes, &QButtonGroup::idClicked, this, &ChartWindow::showChartType);
    connect(m_legendPositions, &QButtonGroup::idClicked, this, &ChartWindow::moveLegend);

    m_styleGroup = new QGroupBox(u"显示风格"_s, this);
    m_styleGroup->setObjectName(u"styleGroup"_s);
    m_view3DCheck = new QCheckBox(u"立体显示"_s, m_styleGroup);
    m_view3DCheck->setObjectName(u"view3DCheck"_s);
    m_legendCheck = new QCheckBox(u"显示图例"_s, m_styleGroup);
    m_legendCheck->setObjectName(u"legendCheck"_s);
    m_marksCheck = new QCheckBox(u"显示标签"_s, m_styleGroup);
    m_marksCheck->setObjectName(u"marksCheck"_s);
    for (QCheckBox *c : {m_view3DCheck, m_legendCheck, m_marksCheck})
        c->setChecked(true);
    connect(m_view3DCheck, &QCheckBox::toggled, this,
            [this](bool on) { shownChart()->setView3D(on); });
    connect(m_legendCheck, &QCheckBox::toggled, this, [this](bool on) {
        shownChart()->setLegendVisible(on);
        m_legendPositionGroup->setEnabled(on);
    });
    connect(m_marksCheck, &QCheckBox::toggled, this,
            [this](bool on) { shownChart()->setMarksVisible(on); });

    auto makeButton = [this](const QString &name, const QString &caption) {
        return WindowParts::makeButton(this, name, caption);
    };
    m_saveAsButton = makeButton(u"saveAsButton"_s, u"存为..."_s);
    m_printButton = makeButton(u"printButton"_s, u"打印"_s);
    m_settingsButton = makeButton(u"settingsButton"_s, u"设置"_s);
    m_closeButton = makeButton(u"closeButton"_s, u"关闭"_s);
    connect(m_saveAsButton, &QPushButton::clicked, this, &ChartWindow::saveAs);
    connect(m_printButton, &QPushButton::clicked, this, &ChartWindow::print);
    connect(m_settingsButton, &QPushButton::clicked, this, &ChartWindow::openSoundSettings);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::reject);

    m_chartTypes->button(Frequency)->setChecked(true);
    m_legendPositions->button(0)->setChecked(true);
    m_stack->setCurrentWidget(m_frequencyChart);
}

ChartWindow::~ChartWindow() = default;

ChartWidget *ChartWindow::chart(ChartKind kind) const
{
    switch (kind) {
    case Distribution:
        return m_distributionChart;
    case Frequency:
        return m_frequencyChart;
    case Progress:
        return m_progressChart;
    }
    return m_frequencyChart;
}

ChartWidget *ChartWindow::shownChart() const
{
    return static_cast<ChartWidget *>(m_stack->currentWidget());
}

void ChartWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        loadCharts();
}

void ChartWindow::loadCharts()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    arrange();
    try {
        fillCharts(ChartData::readRows(studyData->connection()));
    } catch (const Db::DbError &e) {
        qWarning("studyaid: %s", e.what());
        QApplication::restoreOverrideCursor();
        showPrompt(u"错误"_s, u"无法读取统计数据！"_s, 1, 2, u"NO"_s);
        return;
    }
    m_chartTypes->button(Frequency)->setChecked(true);
    m_stack->setCurrentWidget(m_frequencyChart);
    QApplication::restoreOverrideCursor();
}

void ChartWindow::fillCharts(const QList<ChartData::Row> &rows)
{
    auto done = barSeries(u"已做题次"_s, QColor(0x2E, 0xA0, 0x43), false);
    auto wrong = barSeries(u"做错题次"_s, QColor(0xE0, 0x3A, 0x3A), false);
    auto progress = barSeries(u"进度"_s, QColor(0xE0, 0x3A, 0x3A), true);
    ChartWidget::Series pie;
    pie.kind = ChartWidget::Kind::Pie;
    pie.title = u"习题分布"_s;
    pie.colorEachPoint = true;
    pie.marksStyle = ChartWidget::MarksStyle::LabelPercent;
    for (int i = 0; i < rows.size(); ++i) {
        const ChartData::Row &r = rows.at(i);
        const QColor colour = Colors::fromBgr(ChartData::rowColour(i));
        done.points.append({double(r.answers), r.name, colour});
        wrong.points.append({double(r.wrong), r.name, colour});
        pie.points.append({double(r.questions), r.name, colour});
        if (const auto percent = ChartData::progressPercent(r.done, r.questions))
            progress.points.append({double(*percent), r.name, colour});
    }
    pie.color = Colors::fromBgr(ChartData::rowColour(0));
    m_frequencyChart->clearSeries();
    m_frequencyChart->addSeries(done);
    m_frequencyChart->addSeries(wrong);
    m_distributionChart->clearSeries();
    m_distributionChart->addSeries(pie);
    m_progressChart->clearSeries();
    m_progressChart->addSeries(progress);
}

void ChartWindow::showChartType(int index)
{
    // Every chart starts with the legend on top, visible, marks shown and in 3D.
    {
        const QSignalBlocker quietView3D(m_view3DCheck), quietLegend(m_legendCheck),
            quietMarks(m_marksCheck);
        m_legendPositions->button(0)->setChecked(true);
        m_view3DCheck->setChecked(true);
        m_legendCheck->setChecked(true);
        m_marksCheck->setChecked(true);
    }
    m_legendPositionGroup->setEnabled(true);
    ChartWidget *c = chart(static_cast<ChartKind>(index));
    m_stack->setCurrentWidget(c);
    c->setLegendPosition(Legend::Top);
    c->setLegendVisible(true);
    c->setView3D(true);
    c->setMarksVisible(true);
    if (index == Distribution) {
        try {
            m_total = ChartData::totalQuestions(studyData->connection());
        } catch (const Db::DbError &e) {
            qWarning("studyaid: %s", e.what());
            m_total = 0;
        }
        placeTotal();
    }
}

void ChartWindow::moveLegend(int index)
{
    static const Legend positions[] = {Legend::Top, Legend::Bottom, Legend::Left, Legend::Right};
    shownChart()->setLegendPosition(positions[std::clamp(index, 0, 3)]);
    if (shownChart() == m_distributionChart)
        placeTotal();
}

void ChartWindow::placeTotal()
{
    // Near the bottom; 30 pixels higher when the legend stands below the chart.
    const int raise = m_distributionChart->legendPosition() == Legend::Bottom ? 30 : 0;
    m_distributionChart->setNote(u"习题总数:"_s + QString::number(m_total),
                                 m_stack->height() - 50 - raise);
}

void ChartWindow::paintOnPage(const ChartWidget &chart, QPrinter &printer, QPainter &painter)
{
    // The chart scaled to the page width, centred, painted as text and shapes.
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const QSize size = chart.size();
    const qreal scale = std::min(page.width() / size.width(), page.height() / size.height());
    painter.translate((page.width() - size.width() * scale) / 2,
                      (page.height() - size.height() * scale) / 2);
    painter.scale(scale, scale);
    chart.paintChart(painter, size);
}

bool ChartWindow::printChart(QPrinter &printer)
{
    printer.setDocName(shownChart()->title());
    printer.setPageOrientation(QPageLayout::Landscape);
    QPainter painter;
    if (!painter.begin(&printer)) {
        showPrompt(u"错误"_s, u"打印时发生错误！"_s, 1, 2, u"NO"_s);
        return false;
    }
    paintOnPage(*shownChart(), printer, painter);
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        showPrompt(u"错误"_s, u"打印时发生错误！"_s, 1, 2, u"NO"_s);
        return false;
    }
    return true;
}

void ChartWindow::print()
{
    if (!m_hasPrinter()) {
        showPrompt(u"提示"_s, u"没有发现打印机！"_s, 1, 1, u"NO"_s);
        return;
    }
    QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        info = QPrinterInfo::availablePrinters().constFirst(); // none marked as the default
    QPrinter printer(info, QPrinter::HighResolution);
    printChart(printer);
}

bool ChartWindow::saveChart(const QString &path, const QString &format)
{
    ChartWidget *c = shownChart();
    if (format == u"PDF"_s) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setPageOrientation(QPageLayout::Landscape);
        printer.setDocName(c->title());
        QPainter painter;
        if (!painter.begin(&printer))
            return false;
        paintOnPage(*c, printer, painter);
        return painter.end() && QFileInfo(path).size() > 0;
    }
    QImage image(c->size(), QImage::Format_RGB32);
    QPainter painter(&image);
    c->paintChart(painter, c->size());
    painter.end();
    return image.save(path, format == u"PNG"_s ? "PNG" : "BMP");
}

void ChartWindow::saveAs()
{
    QString format;
    const QString path = m_chooseSave(this, &format);
    if (path.isEmpty())
        return;
    if (!saveChart(path, format))
        showPrompt(u"错误"_s, u"无法保存文件！"_s, 1, 2, u"NO"_s);
}

void ChartWindow::openSoundSettings()
{
    WindowLinks::openSoundSettings(this);
}

void ChartWindow::done(int result)
{
    for (ChartWidget *c : {m_frequencyChart, m_distributionChart, m_progressChart})
        c->clearSeries();
    QDialog::done(result);
}

void ChartWindow::arrange()
{
    const bool c = App::displayMode == u"800"_s;
    setFixedSize(c ? QSize(770, 560) : QSize(980, 700));
    m_strip = c ? 34 : 40;
    const int margin = c ? 12 : 16;
    const int panelW = c ? 170 : 200;
    const int top = m_strip + (c ? 10 : 14);
    const int chartW = width() - 3 * margin - panelW;
    m_stack->setGeometry(margin, top, chartW, height() - top - margin);
    const int x = margin * 2 + chartW;
    const int item = c ? 24 : 28;
    const int gap = c ? 10 : 14;
    int y = top;
    auto placeGroup = [&](QGroupBox *box, const QList<QAbstractButton *> &items) {
        const int h = 26 + int(items.size()) * item + 6;
        box->setGeometry(x, y, panelW, h);
        for (int i = 0; i < items.size(); ++i)
            items.at(i)->setGeometry(12, 24 + i * item, panelW - 20, item);
        y += h + gap;
    };
    placeGroup(m_chartTypeGroup, m_chartTypes->buttons());
    placeGroup(m_legendPositionGroup, m_legendPositions->buttons());
    placeGroup(m_styleGroup, {m_view3DCheck, m_legendCheck, m_marksCheck});
    const int buttonH = c ? 30 : 34;
    const int half = (panelW - 8) / 2;
    const int bottom = height() - margin;
    m_saveAsButton->setGeometry(x, bottom - 2 * buttonH - 8, half, buttonH);
    m_printButton->setGeometry(x + half + 8, bottom - 2 * buttonH - 8, half, buttonH);
    m_settingsButton->setGeometry(x, bottom - buttonH, half, buttonH);
    m_closeButton->setGeometry(x + half + 8, bottom - buttonH, half, buttonH);
    for (QPushButton *b : {m_saveAsButton, m_printButton, m_closeButton, m_settingsButton})
        b->setFont(Fonts::sans(c ? 13 : 14, true));
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    placeTotal();
}

void ChartWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    WindowChrome::paint(p, rect(), m_strip, windowTitle(), QColor(0xE3, 0xEC, 0xF5),
                        m_strip > 36 ? 18 : 16);
}
