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
    enum ChartKind { Distribution = 0, Frequency = 1, Progress = 2 };

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
    void FormShow();
    void arrange();
    void fillCharts(const QList<ChartData::Row> &rows);
    void chartTypeClick(int index);
    void legendPositionClick(int index);
    void placeTotal();
    void print();
    void saveAs();
    void settingsClick();
    static void paintOnPage(const ChartWidget &chart, QPrinter &printer, QPainter &painter);

    QStackedWidget *m_stack = nullptr;
    ChartWidget *DBChart1 = nullptr; // frequency
    ChartWidget *DBChart2 = nullptr; // distribution
    ChartWidget *DBChart3 = nullptr; // progress
    QGroupBox *RadioGroup1 = nullptr;
    QButtonGroup *m_types = nullptr;
    QGroupBox *RadioGroup2 = nullptr;
    QButtonGroup *m_positions = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    QCheckBox *CheckBox1 = nullptr; // 立体显示
    QCheckBox *CheckBox2 = nullptr; // 显示图例
    QCheckBox *CheckBox3 = nullptr; // 显示标签
    QPushButton *Button1 = nullptr; // 存为...
    QPushButton *Button2 = nullptr; // 打印
    QPushButton *Button3 = nullptr; // 关闭
    QPushButton *Button4 = nullptr; // 设置
    qint64 m_total = 0;
    int m_strip = 36;
    PrinterCheck m_hasPrinter;
    SaveChooser m_chooseSave;
};
