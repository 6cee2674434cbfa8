// A chart drawn with QPainter: bar and pie series, a legend at one of four sides, value marks,
// a 3D look with depth and a tilted pie, and a free text line. The same painting serves the
// screen, the printer and saved pictures.
#pragma once

#include <QColor>
#include <QList>
#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <QWidget>

class QPainter;

class ChartWidget : public QWidget
{
    Q_OBJECT

public:
    enum class Kind
    {
        Bar,
        Pie
    };
    enum class LegendPosition
    {
        Top,
        Bottom,
        Left,
        Right
    };
    // The legend lists the series by title, or the points of the first series by label.
    enum class LegendStyle
    {
        Series,
        Points
    };
    // Marks show the point's value, or its label and share of the whole (pie).
    enum class MarksStyle
    {
        Value,
        LabelPercent
    };

    struct Point
    {
        double value = 0;
        QString label;
        QColor color; // used when the series colours each point
    };

    struct Series
    {
        Kind kind = Kind::Bar;
        QString title;
        QColor color;
        bool colorEachPoint = false;
        MarksStyle marksStyle = MarksStyle::Value;
        bool marksVisible = true;
        QList<Point> points;
        QColor colorOf(int point) const;
    };

    explicit ChartWidget(QWidget *parent = nullptr);

    void setTitle(const QString &title);
    QString title() const { return m_title; }

    void clearSeries();
    void addSeries(const Series &series);
    const QList<Series> &seriesList() const { return m_series; }

    // Marks of every series.
    void setMarksVisible(bool visible);
    bool marksVisible() const;

    void setLeftAxisTitle(const QString &title);
    QString leftAxisTitle() const { return m_leftAxisTitle; }
    void setBottomAxis(const QString &title, bool visible);
    QString bottomAxisTitle() const { return m_bottomAxisTitle; }
    bool bottomAxisVisible() const { return m_bottomAxisVisible; }

    void setLegendVisible(bool visible);
    bool legendVisible() const { return m_legendVisible; }
    void setLegendPosition(LegendPosition position);
    LegendPosition legendPosition() const { return m_legendPosition; }
    // maxItems limits a list of points; showValues puts each point's value before its label.
    void setLegendStyle(LegendStyle style, bool showValues = false, int maxItems = -1);
    LegendStyle legendStyle() const { return m_legendStyle; }
    // The texts the legend lists, in order.
    QStringList legendTexts() const;

    void setView3D(bool on);
    bool view3D() const { return m_view3D; }
    void setDepthPercent(int percent);
    int depthPercent() const { return m_depthPercent; }
    // The pie's tilt in 3D: elevation in degrees (360 is flat, 270 seen from the side).
    void setPieElevation(int degrees);
    int pieElevation() const { return m_pieElevation; }

    // A free text line (e.g. a total) whose top stands at y in the chart's own coordinates.
    void setNote(const QString &text, int top);
    QString noteText() const { return m_noteText; }
    int noteTop() const { return m_noteTop; }

    // Paints the whole chart into a rectangle of the given size at the painter's origin.
    void paintChart(QPainter &painter, const QSize &size) const;

    QSize sizeHint() const override { return {600, 420}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;

private:
    struct Hit
    {
        QPainterPath shape;
        QString text;
    };
    struct LegendItem
    {
        QColor color;
        QString text;
    };
    QList<LegendItem> legendItems() const;
    QRectF placeLegend(QRectF &area, const QFontMetricsF &fm, QList<QRectF> *cells) const;
    void paintBars(QPainter &p, const QRectF &plot) const;
    void paintPie(QPainter &p, const QRectF &plot) const;
    void changed();

    QString m_title;
    QList<Series> m_series;
    QString m_leftAxisTitle;
    QString m_bottomAxisTitle;
    bool m_bottomAxisVisible = true;
    bool m_legendVisible = true;
    LegendPosition m_legendPosition = LegendPosition::Top;
    LegendStyle m_legendStyle = LegendStyle::Series;
    bool m_legendValues = false;
    int m_legendMax = -1;
    bool m_view3D = true;
    int m_depthPercent = 30;
    int m_pieElevation = 315;
    QString m_noteText;
    int m_noteTop = 0;
    // Shapes of the bars and slices last painted on screen, for tool tips.
    mutable QList<Hit> m_hits;
};
