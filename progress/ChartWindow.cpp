#include "progress/ChartWindow.h"

#include "ui/WindowLinks.h"
#include "ui/PromptDialog.h"
#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "progress/SoundAndTimeSettingsWindow.h"
#include "ui/ChartWidget.h"
#include "ui/Fonts.h"
#include "ui/Colors.h"
#include "ui/WindowChrome.h"
#include "ui/WindowParts.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QGuiApplication>
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
        dialog.setDefaultSuffix(f == kPngFilter ? u"png"_s : f == kPdfFilter ? u"pdf"_s
                                                                             : u"bmp"_s);
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
    DBChart1 = new ChartWidget(m_stack);
    DBChart1->setObjectName(u"DBChart1"_s);
    DBChart2 = new ChartWidget(m_stack);
    DBChart2->setObjectName(u"DBChart2"_s);
    DBChart3 = new ChartWidget(m_stack);
    DBChart3->setObjectName(u"DBChart3"_s);
    for (ChartWidget *c : {DBChart1, DBChart2, DBChart3})
        m_stack->addWidget(c);

    DBChart1->setTitle(u"频 度 统 计 图"_s);
    DBChart1->setLeftAxisTitle(u"题  次"_s);
    DBChart1->setBottomAxis(u"章    节"_s, false);
    DBChart1->setLegendStyle(ChartWidget::LegendStyle::Series);
    DBChart2->setTitle(u"习题分布统计图"_s);
    DBChart2->setLegendStyle(ChartWidget::LegendStyle::Points, true, 15);
    DBChart2->setPieElevation(315);
    DBChart3->setTitle(u"进度统计图"_s);
    DBChart3->setLeftAxisTitle(u"进度(%)"_s);
    DBChart3->setBottomAxis(u"章   节"_s, false);
    DBChart3->setLegendStyle(ChartWidget::LegendStyle::Points);
    for (ChartWidget *c : {DBChart1, DBChart2, DBChart3}) {
        c->setDepthPercent(30);
        c->setView3D(true);
        c->setLegendVisible(true);
        c->setLegendPosition(Legend::Top);
    }

    auto makeGroup = [this](const QString &name, const QString &caption,
                            const QStringList &items, QButtonGroup **buttons) {
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
    RadioGroup1 = makeGroup(u"RadioGroup1"_s, u"统计图类型"_s,
                            {u"习题分布"_s, u"频度统计"_s, u"进度统计"_s}, &m_types);
    RadioGroup2 = makeGroup(u"RadioGroup2"_s, u"图例位置"_s,
                            {u"上方"_s, u"下方"_s, u"左侧"_s, u"右侧"_s}, &m_positions);
    connect(m_types, &QButtonGroup::idClicked, this, &ChartWindow::chartTypeClick);
    connect(m_positions, &QButtonGroup::idClicked, this, &ChartWindow::legendPositionClick);

    GroupBox1 = new QGroupBox(u"显示风格"_s, this);
    GroupBox1->setObjectName(u"GroupBox1"_s);
    CheckBox1 = new QCheckBox(u"立体显示"_s, GroupBox1);
    CheckBox1->setObjectName(u"CheckBox1"_s);
    CheckBox2 = new QCheckBox(u"显示图例"_s, GroupBox1);
    CheckBox2->setObjectName(u"CheckBox2"_s);
    CheckBox3 = new QCheckBox(u"显示标签"_s, GroupBox1);
    CheckBox3->setObjectName(u"CheckBox3"_s);
    for (QCheckBox *c : {CheckBox1, CheckBox2, CheckBox3})
        c->setChecked(true);
    connect(CheckBox1, &QCheckBox::toggled, this, [this](bool on) { shownChart()->setView3D(on); });
    connect(CheckBox2, &QCheckBox::toggled, this, [this](bool on) {
        shownChart()->setLegendVisible(on);
        RadioGroup2->setEnabled(on);
    });
    connect(CheckBox3, &QCheckBox::toggled, this,
            [this](bool on) { shownChart()->setMarksVisible(on); });

    auto makeButton = [this](const QString &name, const QString &caption) {
        return WindowParts::makeButton(this, name, caption);
    };
    Button1 = makeButton(u"Button1"_s, u"存为..."_s);
    Button2 = makeButton(u"Button2"_s, u"打印"_s);
    Button4 = makeButton(u"Button4"_s, u"设置"_s);
    Button3 = makeButton(u"Button3"_s, u"关闭"_s);
    connect(Button1, &QPushButton::clicked, this, &ChartWindow::saveAs);
    connect(Button2, &QPushButton::clicked, this, &ChartWindow::print);
    connect(Button4, &QPushButton::clicked, this, &ChartWindow::settingsClick);
    connect(Button3, &QPushButton::clicked, this, &QDialog::reject);

    m_types->button(Frequency)->setChecked(true);
    m_positions->button(0)->setChecked(true);
    m_stack->setCurrentWidget(DBChart1);
}

ChartWindow::~ChartWindow() = default;

ChartWidget *ChartWindow::chart(ChartKind kind) const
{
    switch (kind) {
    case Distribution:
        return DBChart2;
    case Frequency:
        return DBChart1;
    case Progress:
        return DBChart3;
    }
    return DBChart1;
}

ChartWidget *ChartWindow::shownChart() const
{
    return static_cast<ChartWidget *>(m_stack->currentWidget());
}

void ChartWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void ChartWindow::FormShow()
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
    m_types->button(Frequency)->setChecked(true);
    m_stack->setCurrentWidget(DBChart1);
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
        const QColor colour = Colors::fromTColor(ChartData::rowColour(i));
        done.points.append({double(r.answers), r.name, colour});
        wrong.points.append({double(r.wrong), r.name, colour});
        pie.points.append({double(r.questions), r.name, colour});
        if (const auto percent = ChartData::progressPercent(r.done, r.questions))
            progress.points.append({double(*percent), r.name, colour});
    }
    pie.color = Colors::fromTColor(ChartData::rowColour(0));
    DBChart1->clearSeries();
    DBChart1->addSeries(done);
    DBChart1->addSeries(wrong);
    DBChart2->clearSeries();
    DBChart2->addSeries(pie);
    DBChart3->clearSeries();
    DBChart3->addSeries(progress);
}

void ChartWindow::chartTypeClick(int index)
{
    // Every chart starts with the legend on top, visible, marks shown and in 3D.
    {
        const QSignalBlocker b1(CheckBox1), b2(CheckBox2), b3(CheckBox3);
        m_positions->button(0)->setChecked(true);
        CheckBox1->setChecked(true);
        CheckBox2->setChecked(true);
        CheckBox3->setChecked(true);
    }
    RadioGroup2->setEnabled(true);
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

void ChartWindow::legendPositionClick(int index)
{
    static const Legend positions[] = {Legend::Top, Legend::Bottom, Legend::Left, Legend::Right};
    shownChart()->setLegendPosition(positions[std::clamp(index, 0, 3)]);
    if (shownChart() == DBChart2)
        placeTotal();
}

void ChartWindow::placeTotal()
{
    // Near the bottom; 30 pixels higher when the legend stands below the chart.
    const int raise = DBChart2->legendPosition() == Legend::Bottom ? 30 : 0;
    DBChart2->setNote(u"习题总数:"_s + QString::number(m_total),
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

void ChartWindow::settingsClick()
{
    WindowLinks::openSoundSettings(this);
}

void ChartWindow::done(int result)
{
    for (ChartWidget *c : {DBChart1, DBChart2, DBChart3})
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
    placeGroup(RadioGroup1, m_types->buttons());
    placeGroup(RadioGroup2, m_positions->buttons());
    placeGroup(GroupBox1, {CheckBox1, CheckBox2, CheckBox3});
    const int buttonH = c ? 30 : 34;
    const int half = (panelW - 8) / 2;
    const int bottom = height() - margin;
    Button1->setGeometry(x, bottom - 2 * buttonH - 8, half, buttonH);
    Button2->setGeometry(x + half + 8, bottom - 2 * buttonH - 8, half, buttonH);
    Button4->setGeometry(x, bottom - buttonH, half, buttonH);
    Button3->setGeometry(x + half + 8, bottom - buttonH, half, buttonH);
    for (QPushButton *b : {Button1, Button2, Button3, Button4})
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
