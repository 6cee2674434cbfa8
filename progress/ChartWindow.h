// The statistics charts: questions per chapter (pie), answers and wrong answers per chapter
// (bars), progress per chapter (bars); with legend and style options, printing and saving.
#pragma once

#include "progress/ChartData.h"

#include <QDialog>
#include <QList>
#include <functional>

class ChartWidget;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QPrinter;
class QPushButton;
class QStackedWidget;

class ChartWindow : public QDialog
{
    Q_OBJECT

public:
    // The charts, in the order of the chart-type group's items.
    enum ChartKind
    {
        Distribution = 0,
        Frequency = 1,
        Progress = 2
    };

    explicit ChartWindow(QWidget *parent = nullptr);
    ~ChartWindow() override;

    ChartWidget *shownChart() const;
    ChartWidget *chart(ChartKind kind) const;

    // Prints the shown chart on a printer as text and shapes; a failure is reported with
    // "打印时发生错误！" and gives false.
    bool printChart(QPrinter &printer);
    // Writes the shown chart to a file: "BMP" or "PNG" as a picture, "PDF" as a document.
    bool saveChart(const QString &path, const QString &format);

    // Test seams: the list of printers and the choice of a file to save to (returns the path
    // and sets the format; empty when cancelled).
    using PrinterCheck = std::function<bool()>;
    void setPrinterCheck(PrinterCheck check) { m_hasPrinter = std::move(check); }
    using SaveChooser = std::function<QString(QWidget *parent, QString *format)>;
    void setSaveChooser(SaveChooser chooser) { m_chooseSave = std::move(chooser); }

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void done(int result) override;

private:
    // On showing: lays the window out, reads the chapter figures and shows the frequency chart.
    void loadCharts();
    void arrange();
    void fillCharts(const QList<ChartData::Row> &rows);
    // Shows the chart of a ChartKind with the style options back at their start.
    void showChartType(int index);
    // Puts the shown chart's legend on top, bottom, left or right (0..3).
    void moveLegend(int index);
    void placeTotal();
    void print();
    void saveAs();
    void openSoundSettings();
    static void paintOnPage(const ChartWidget &chart, QPrinter &printer, QPainter &painter);

    QStackedWidget *m_stack = nullptr; // the three charts, one shown
    ChartWidget *m_frequencyChart = nullptr;
    ChartWidget *m_distributionChart = nullptr;
    ChartWidget *m_progressChart = nullptr;
    QGroupBox *m_chartTypeGroup = nullptr;
    QButtonGroup *m_chartTypes = nullptr; // ids are ChartKind
    QGroupBox *m_legendPositionGroup = nullptr;
    QButtonGroup *m_legendPositions = nullptr; // top, bottom, left, right
    QGroupBox *m_styleGroup = nullptr;
    QCheckBox *m_view3DCheck = nullptr; // 立体显示
    QCheckBox *m_legendCheck = nullptr; // 显示图例
    QCheckBox *m_marksCheck = nullptr;  // 显示标签
    QPushButton *m_saveAsButton = nullptr;
    QPushButton *m_printButton = nullptr;
    QPushButton *m_closeButton = nullptr;
    QPushButton *m_settingsButton = nullptr;
    qint64 m_total = 0;
    int m_strip = 36;
    PrinterCheck m_hasPrinter;
    SaveChooser m_chooseSave;
};
