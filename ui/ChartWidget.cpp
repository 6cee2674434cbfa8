#include "ui/ChartWidget.h"

#include "ui/Fonts.h"

#include <QFontMetricsF>
#include <QHelpEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>
#include <QToolTip>
#include <QtMath>
#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const QColor kInk(0x1F, 0x3A, 0x56);
const QColor kGrid(0xC8, 0xD4, 0xE0);
const QColor kAxis(0x6B, 0x80, 0x96);

QString numberText(double v)
{
    return QString::number(v, 'f', std::floor(v) == v ? 0 : 1);
}

// A step of 1, 2 or 5 times a power of ten that divides 0..max into about five parts.
double niceStep(double max)
{
    if (max <= 0)
        return 1;
    const double raw = max / 5.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double f = raw / magnitude;
    const double step = (f <= 1 ? 1 : f <= 2 ? 2 : f <= 5 ? 5 : 10) * magnitude;
    return std::max(step, 1.0);
}

// A value mark: the text in a small rounded box whose bottom centre is at anchor.
void drawMark(QPainter &p, const QPointF &anchor, const QString &text, const QColor &accent)
{
    const QFontMetricsF fm(p.font());
    const QSizeF s(fm.horizontalAdvance(text) + 8, fm.height() + 2);
    const QRectF box(anchor.x() - s.width() / 2, anchor.y() - s.height(), s.width(), s.height());
    p.setPen(QPen(accent.darker(130), 1));
    p.setBrush(QColor(0xFF, 0xFD, 0xE8));
    p.drawRoundedRect(box, 3, 3);
    p.setPen(kInk);
    p.drawText(box, Qt::AlignCenter, text);
}

QString percentText(double share)
{
    QString t = QString::number(share * 100.0, 'f', 1);
    if (t.endsWith(u".0"_s))
        t.chop(2);
    return t + u'%';
}

} // namespace

QColor ChartWidget::Series::colorOf(int point) const
{
    if (colorEachPoint && point >= 0 && point < points.size() && points.at(point).color.isValid())
        return points.at(point).color;
    return color;
}

ChartWidget::ChartWidget(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void ChartWidget::changed()
{
    // What the chart shows, for assistive technology.
    QStringList parts;
    for (const Series &s : std::as_const(m_series)) {
        QStringList points;
        for (const Point &pt : s.points)
            points.append(pt.label + u' ' + numberText(pt.value));
        parts.append(s.title + u"：" + points.join(u"，"_s));
    }
    if (!m_noteText.isEmpty())
        parts.append(m_noteText);
    setAccessibleName(m_title);
    setAccessibleDescription(parts.join(u"；"_s));
    update();
}

void ChartWidget::setTitle(const QString &title)
{
    m_title = title;
    changed();
}

void ChartWidget::clearSeries()
{
    m_series.clear();
    changed();
}

void ChartWidget::addSeries(const Series &series)
{
    m_series.append(series);
    changed();
}

void ChartWidget::setMarksVisible(bool visible)
{
    for (Series &s : m_series)
        s.marksVisible = visible;
    update();
}

bool ChartWidget::marksVisible() const
{
    return !m_series.isEmpty() && std::all_of(m_series.begin(), m_series.end(),
                                              [](const Series &s) { return s.marksVisible; });
}

void ChartWidget::setLeftAxisTitle(const QString &title)
{
    m_leftAxisTitle = title;
    update();
}

void ChartWidget::setBottomAxis(const QString &title, bool visible)
{
    m_bottomAxisTitle = title;
    m_bottomAxisVisible = visible;
    update();
}

void ChartWidget::setLegendVisible(bool visible)
{
    m_legendVisible = visible;
    update();
}

void ChartWidget::setLegendPosition(LegendPosition position)
{
    m_legendPosition = position;
    update();
}

void ChartWidget::setLegendStyle(LegendStyle style, bool showValues, int maxItems)
{
    m_legendStyle = style;
    m_legendValues = showValues;
    m_legendMax = maxItems;
    update();
}

void ChartWidget::setView3D(bool on)
{
    m_view3D = on;
    update();
}

void ChartWidget::setDepthPercent(int percent)
{
    m_depthPercent = std::clamp(percent, 0, 100);
    update();
}

void ChartWidget::setPieElevation(int degrees)
{
    m_pieElevation = degrees;
    update();
}

void ChartWidget::setNote(const QString &text, int top)
{
    m_noteText = text;
    m_noteTop = top;
    changed();
}

QList<ChartWidget::LegendItem> ChartWidget::legendItems() const
{
    QList<LegendItem> items;
    if (m_legendStyle == LegendStyle::Series) {
        for (const Series &s : m_series)
            items.append({s.color, s.title});
        return items;
    }
    if (m_series.isEmpty())
        return items;
    const Series &s = m_series.first();
    for (int i = 0; i < s.points.size(); ++i) {
        if (m_legendMax >= 0 && i >= m_legendMax)
            break;
        const Point &pt = s.points.at(i);
        items.append(
            {s.colorOf(i), m_legendValues ? numberText(pt.value) + u"  "_s + pt.label : pt.label});
    }
    return items;
}

QStringList ChartWidget::legendTexts() const
{
    QStringList texts;
    for (const LegendItem &item : legendItems())
        texts.append(item.text);
    return texts;
}

QRectF ChartWidget::placeLegend(QRectF &area, const QFontMetricsF &fm, QList<QRectF> *cells) const
{
    const QList<LegendItem> items = legendItems();
    if (!m_legendVisible || items.isEmpty())
        return {};
    const qreal swatch = fm.height() * 0.8;
    const qreal rowH = fm.height() + 4;
    const qreal pad = 8;
    QList<qreal> widths;
    qreal widest = 0;
    for (const LegendItem &item : items) {
        widths.append(swatch + 6 + fm.horizontalAdvance(item.text));
        widest = std::max(widest, widths.last());
    }
    QRectF box;
    if (m_legendPosition == LegendPosition::Top || m_legendPosition == LegendPosition::Bottom) {
        // Items side by side, wrapping into as many lines as needed, centred.
        const qreal maxW = area.width() - 2 * pad - 20;
        QList<QList<int>> lines(1);
        QList<qreal> lineW{0};
        for (int i = 0; i < items.size(); ++i) {
            const qreal w = widths.at(i) + 16;
            if (!lines.last().isEmpty() && lineW.last() + w > maxW) {
                lines.append(QList<int>());
                lineW.append(0);
            }
            lines.last().append(i);
            lineW.last() += w;
        }
        const qreal boxW = *std::max_element(lineW.begin(), lineW.end()) + 2 * pad - 16;
        const qreal boxH = lines.size() * rowH + 2 * pad - 4;
        const qreal top =
            m_legendPosition == LegendPosition::Top ? area.top() : area.bottom() - boxH;
        box = QRectF(area.center().x() - boxW / 2, top, boxW, boxH);
        qreal y = box.top() + pad;
        for (int l = 0; l < lines.size(); ++l) {
            qreal x = area.center().x() - (lineW.at(l) - 16) / 2;
            for (int i : lines.at(l)) {
                (*cells)[i] = QRectF(x, y, widths.at(i), rowH - 4);
                x += widths.at(i) + 16;
            }
            y += rowH;
        }
        if (m_legendPosition == LegendPosition::Top)
            area.setTop(box.bottom() + 8);
        else
            area.setBottom(box.top() - 8);
    } else {
        const qreal boxW = std::min(widest + 2 * pad, area.width() * 0.4);
        const qreal boxH = items.size() * rowH + 2 * pad - 4;
        const qreal left =
            m_legendPosition == LegendPosition::Left ? area.left() : area.right() - boxW;
        box = QRectF(left, area.center().y() - boxH / 2, boxW, boxH);
        if (box.top() < area.top())
            box.moveTop(area.top());
        qreal y = box.top() + pad;
        for (int i = 0; i < items.size(); ++i) {
            (*cells)[i] = QRectF(box.left() + pad, y, boxW - 2 * pad, rowH - 4);
            y += rowH;
        }
        if (m_legendPosition == LegendPosition::Left)
            area.setLeft(box.right() + 10);
        else
            area.setRight(box.left() - 10);
    }
    return box;
}

void ChartWidget::paintChart(QPainter &p, const QSize &size) const
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF all(0, 0, size.width(), size.height());

    // Gradient background with a thin frame.
    QLinearGradient bg(all.topLeft(), all.bottomLeft());
    bg.setColorAt(0, QColor(0xFF, 0xFF, 0xFF));
    bg.setColorAt(1, QColor(0xDD, 0xE8, 0xF3));
    p.fillRect(all, bg);
    p.setPen(QPen(QColor(0x9F, 0xB4, 0xC9), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(all.adjusted(0.5, 0.5, -0.5, -0.5));

    QRectF area = all.adjusted(14, 8, -14, -12);
    // Title.
    p.setFont(Fonts::sans(std::clamp(size.height() / 24, 14, 20), true));
    const QFontMetricsF titleFm(p.font());
    p.setPen(kInk);
    p.drawText(QRectF(area.left(), area.top(), area.width(), titleFm.height() + 6), Qt::AlignCenter,
               m_title);
    area.setTop(area.top() + titleFm.height() + 12);

    // Legend.
    p.setFont(Fonts::sans(12));
    const QFontMetricsF fm(p.font());
    const QList<LegendItem> items = legendItems();
    QList<QRectF> cells(items.size());
    const QRectF legend = placeLegend(area, fm, &cells);
    if (legend.isValid()) {
        p.setPen(QPen(QColor(0xA9, 0xBC, 0xCF), 1));
        p.setBrush(QColor(255, 255, 255, 215));
        p.drawRoundedRect(legend, 5, 5);
        const qreal swatch = fm.height() * 0.8;
        for (int i = 0; i < items.size(); ++i) {
            const QRectF c = cells.at(i);
            if (!c.isValid())
                continue;
            const QRectF sw(c.left(), c.center().y() - swatch / 2, swatch, swatch);
            p.setPen(QPen(items.at(i).color.darker(140), 1));
            p.setBrush(items.at(i).color);
            p.drawRoundedRect(sw, 2, 2);
            p.setPen(kInk);
            p.drawText(QRectF(sw.right() + 6, c.top(), c.right() - sw.right() - 6, c.height()),
                       Qt::AlignLeft | Qt::AlignVCenter,
                       fm.elidedText(items.at(i).text, Qt::ElideRight, c.right() - sw.right() - 6));
        }
    }

    // The free text line stays clear of a legend below it; the plot ends above it.
    qreal noteTop = m_noteTop;
    if (!m_noteText.isEmpty()) {
        const qreal noteH = QFontMetricsF(Fonts::sans(14, true)).height() + 4;
        if (legend.isValid() && m_legendPosition == LegendPosition::Bottom)
            noteTop = std::min(noteTop, legend.top() - noteH - 2);
        area.setBottom(std::min(area.bottom(), noteTop - 4));
    }

    m_hits.clear();
    const bool pie = !m_series.isEmpty() && m_series.first().kind == Kind::Pie;
    if (pie)
        paintPie(p, area);
    else
        paintBars(p, area);

    if (!m_noteText.isEmpty()) {
        p.setFont(Fonts::sans(14, true));
        p.setPen(kInk);
        const QFontMetricsF nfm(p.font());
        p.drawText(QRectF(24, noteTop, size.width() - 48, nfm.height() + 4),
                   Qt::AlignLeft | Qt::AlignVCenter, m_noteText);
    }
    p.restore();
}

void ChartWidget::paintBars(QPainter &p, const QRectF &area) const
{
    int categories = 0;
    double maxValue = 0;
    for (const Series &s : m_series) {
        categories = std::max(categories, int(s.points.size()));
        for (const Point &pt : s.points)
            maxValue = std::max(maxValue, pt.value);
    }
    const double step = niceStep(maxValue);
    const double top = std::max(step, std::ceil(maxValue / step) * step);

    p.setFont(Fonts::sans(12));
    const QFontMetricsF fm(p.font());
    const qreal tickW = fm.horizontalAdvance(numberText(top)) + 8;
    const qreal titleW = m_leftAxisTitle.isEmpty() ? 0 : fm.height() + 6;
    const int seriesCount = std::max(1, int(m_series.size()));
    QRectF plot = area.adjusted(titleW + tickW + 4, fm.height() + 6, -4, -6);
    if (m_bottomAxisVisible)
        plot.setBottom(plot.bottom() - 2 * fm.height() - 6);
    const qreal depth =
        m_view3D ? std::clamp(plot.width() * m_depthPercent / 100.0 * 0.2, 6.0, 36.0) : 0.0;
    plot.adjust(0, depth, -depth, 0);
    if (plot.width() < 20 || plot.height() < 20)
        return;
    auto yOf = [&](double v) { return plot.bottom() - v / top * plot.height(); };

    // Walls: the back wall with its grid lines, the floor and the left wall in 3D.
    const QPointF back(depth, -depth);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawRect(plot.translated(back));
    if (m_view3D) {
        p.setBrush(QColor(0xE6, 0xEC, 0xF2));
        p.drawPolygon(QPolygonF{plot.bottomLeft(), plot.bottomRight(), plot.bottomRight() + back,
                                plot.bottomLeft() + back});
        p.setBrush(QColor(0xEE, 0xF2, 0xF6));
        p.drawPolygon(QPolygonF{plot.bottomLeft(), plot.topLeft(), plot.topLeft() + back,
                                plot.bottomLeft() + back});
    }
    p.setFont(Fonts::sans(12));
    for (double v = 0; v <= top + step / 2; v += step) {
        const qreal y = yOf(v);
        p.setPen(QPen(kGrid, 1, v == 0 ? Qt::SolidLine : Qt::DashLine));
        p.drawLine(QPointF(plot.left(), y) + back, QPointF(plot.right(), y) + back);
        if (m_view3D)
            p.drawLine(QPointF(plot.left(), y), QPointF(plot.left(), y) + back);
        p.setPen(kAxis);
        p.drawText(QRectF(plot.left() - tickW - 4, y - fm.height() / 2, tickW, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, numberText(v));
    }
    p.setPen(QPen(kAxis, 1));
    p.drawLine(plot.bottomLeft(), plot.topLeft());
    if (m_bottomAxisVisible)
        p.drawLine(plot.bottomLeft(), plot.bottomRight());
    if (!m_leftAxisTitle.isEmpty()) {
        p.save();
        p.translate(area.left() + fm.height() / 2 + 2, plot.center().y());
        p.rotate(-90);
        p.setPen(kInk);
        p.setFont(Fonts::sans(12, true));
        p.drawText(QRectF(-plot.height() / 2, -fm.height() / 2, plot.height(), fm.height()),
                   Qt::AlignCenter, m_leftAxisTitle);
        p.restore();
    }
    if (categories == 0)
        return;

    // Bars: each series in its own depth slot, the first at the back; in 2D they overlap.
    const qreal slotW = plot.width() / categories;
    const qreal barW = slotW * 0.56;
    const qreal slotDepth = depth / seriesCount;
    for (int s = 0; s < m_series.size(); ++s) {
        const Series &series = m_series.at(s);
        const qreal z = m_view3D ? slotDepth * (seriesCount - 1 - s) : 0;
        const QPointF shift(z, -z);
        const qreal thick = m_view3D ? slotDepth * 0.8 : 0;
        for (int i = 0; i < series.points.size(); ++i) {
            const Point &pt = series.points.at(i);
            const QColor c = series.colorOf(i);
            const qreal x = plot.left() + slotW * i + (slotW - barW) / 2;
            const QRectF face = QRectF(QPointF(x, yOf(pt.value)), QPointF(x + barW, plot.bottom()))
                                    .translated(shift);
            if (m_view3D && thick > 0) {
                const QPointF t(thick, -thick);
                p.setPen(QPen(c.darker(160), 0.6));
                p.setBrush(c.lighter(125));
                p.drawPolygon(QPolygonF{face.topLeft(), face.topRight(), face.topRight() + t,
                                        face.topLeft() + t});
                p.setBrush(c.darker(135));
                p.drawPolygon(QPolygonF{face.topRight(), face.bottomRight(), face.bottomRight() + t,
                                        face.topRight() + t});
            }
            QLinearGradient g(face.topLeft(), face.topRight());
            g.setColorAt(0, c.lighter(118));
            g.setColorAt(1, c.darker(108));
            p.setPen(QPen(c.darker(160), 0.6));
            p.setBrush(g);
            p.drawRect(face);
            QPainterPath shape;
            shape.addRect(face);
            m_hits.append(
                {shape, pt.label + u"  "_s + series.title + u": "_s + numberText(pt.value)});
        }
    }
    // Marks above the bars, after every bar so that none is covered.
    p.setFont(Fonts::sans(11));
    for (int s = 0; s < m_series.size(); ++s) {
        const Series &series = m_series.at(s);
        if (!series.marksVisible)
            continue;
        const qreal z = m_view3D ? slotDepth * (seriesCount - 1 - s) : 0;
        const qreal thick = m_view3D ? slotDepth * 0.8 : 0;
        for (int i = 0; i < series.points.size(); ++i) {
            const Point &pt = series.points.at(i);
            const qreal x = plot.left() + slotW * i + slotW / 2 + z + thick / 2;
            drawMark(p, QPointF(x, yOf(pt.value) - z - thick - 3), numberText(pt.value),
                     series.colorOf(i));
        }
    }
    if (m_bottomAxisVisible) {
        p.setFont(Fonts::sans(12));
        p.setPen(kInk);
        const Series &first = m_series.first();
        for (int i = 0; i < first.points.size(); ++i) {
            p.drawText(QRectF(plot.left() + slotW * i, plot.bottom() + 4, slotW, fm.height()),
                       Qt::AlignCenter,
                       fm.elidedText(first.points.at(i).label, Qt::ElideRight, slotW));
        }
        p.drawText(QRectF(plot.left(), plot.bottom() + fm.height() + 6, plot.width(), fm.height()),
                   Qt::AlignCenter, m_bottomAxisTitle);
    }
}

void ChartWidget::paintPie(QPainter &p, const QRectF &area) const
{
    const Series &series = m_series.first();
    double sum = 0;
    for (const Point &pt : series.points)
        sum += std::max(0.0, pt.value);

    p.setFont(Fonts::sans(12));
    const QFontMetricsF fm(p.font());
    // Room for the marks around the pie.
    qreal labelW = 0;
    if (series.marksVisible) {
        for (const Point &pt : series.points)
            labelW = std::max(labelW, fm.horizontalAdvance(pt.label + u" 100%"_s) + 24);
    }
    labelW = std::min(labelW, area.width() * 0.3);
    const qreal vMargin = series.marksVisible ? fm.height() + 10 : 6;
    const QRectF room = area.adjusted(labelW, vMargin, -labelW, -vMargin);
    // Tilted in 3D: the ellipse flattens with the elevation, the rim shows the depth.
    const qreal tilt =
        m_view3D ? std::abs(std::sin(qDegreesToRadians(double(m_pieElevation)))) : 1.0;
    const qreal rimShare = m_view3D ? 0.12 * m_depthPercent / 30.0 : 0.0;
    qreal w = std::min(room.width(), room.height() / (tilt + rimShare));
    if (w < 20)
        return;
    const qreal h = w * tilt;
    const qreal rim = w * rimShare;
    const QRectF ellipse(room.center().x() - w / 2, room.center().y() - (h + rim) / 2, w, h);

    if (sum <= 0) {
        p.setPen(QPen(kGrid, 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(ellipse);
        return;
    }

    auto pointAt = [&](const QRectF &r, double deg) {
        const double a = qDegreesToRadians(deg);
        return QPointF(r.center().x() + r.width() / 2 * std::cos(a),
                       r.center().y() - r.height() / 2 * std::sin(a));
    };
    struct Slice
    {
        double start;
        double span;
        QColor color;
        int index;
    };
    QList<Slice> slices;
    double angle = 90; // the first slice starts at twelve o'clock and runs clockwise
    for (int i = 0; i < series.points.size(); ++i) {
        const double span = std::max(0.0, series.points.at(i).value) / sum * 360.0;
        slices.append({angle - span, span, series.colorOf(i), i});
        angle -= span;
    }

    // The rim: the front half of every slice's edge, between the top and the bottom ellipse.
    if (rim > 0) {
        const QRectF lower = ellipse.translated(0, rim);
        for (const Slice &s : slices) {
            // Front half: angles 180..360 (below the centre line).
            const double a0 = s.start, a1 = s.start + s.span;
            for (double base : {-360.0, 0.0, 360.0}) {
                const double lo = std::max(a0, 180.0 + base);
                const double hi = std::min(a1, 360.0 + base);
                if (hi <= lo)
                    continue;
                QPolygonF band;
                const int steps = std::max(2, int((hi - lo) / 3));
                for (int k = 0; k <= steps; ++k)
                    band << pointAt(ellipse, lo + (hi - lo) * k / steps);
                for (int k = steps; k >= 0; --k)
                    band << pointAt(lower, lo + (hi - lo) * k / steps);
                QLinearGradient g(ellipse.left(), 0, ellipse.right(), 0);
                g.setColorAt(0, s.color.darker(150));
                g.setColorAt(0.5, s.color.darker(115));
                g.setColorAt(1, s.color.darker(160));
                p.setPen(QPen(s.color.darker(180), 0.6));
                p.setBrush(g);
                p.drawPolygon(band);
            }
        }
    }
    // The top face.
    for (const Slice &s : slices) {
        if (s.span <= 0)
            continue;
        QPainterPath path;
        path.moveTo(ellipse.center());
        path.arcTo(ellipse, s.start, s.span);
        path.closeSubpath();
        QRadialGradient g(ellipse.center(), w / 2);
        g.setColorAt(0, s.color.lighter(125));
        g.setColorAt(1, s.color);
        p.setPen(QPen(Qt::white, 1.2));
        p.setBrush(g);
        p.drawPath(path);
        const Point &pt = series.points.at(s.index);
        m_hits.append({path, pt.label + u": "_s + numberText(pt.value) + u" ("_s +
                                 percentText(pt.value / sum) + u')'});
    }
    if (!series.marksVisible)
        return;

    // Marks: label and share outside the pie with a leader line; on each side the labels are
    // pushed apart so that none covers another.
    struct Mark
    {
        QPointF edge;
        QPointF at;
        QString text;
        QString twoLines; // label over share, for a narrow column
        QColor color;
        bool right;
    };
    QList<Mark> marks;
    for (const Slice &s : slices) {
        const Point &pt = series.points.at(s.index);
        const double mid = s.start + s.span / 2;
        const QPointF edge =
            pointAt(ellipse, mid) + QPointF(0, std::sin(qDegreesToRadians(mid)) < 0 ? rim : 0);
        const QRectF outer = ellipse.adjusted(-16, -14, 16, 14 + rim);
        const QPointF at = pointAt(outer, mid);
        const QString share = percentText(pt.value / sum);
        marks.append({edge, at, pt.label + u' ' + share, pt.label + u'\n' + share, s.color,
                      at.x() >= ellipse.center().x()});
    }
    // Each mark's box fits between its anchor and the chart's edge; a long text wraps.
    QList<QSizeF> boxes;
    for (Mark &m : marks) {
        const qreal avail = m.right ? area.right() - m.at.x() - 2 : m.at.x() - 2 - area.left();
        if (fm.horizontalAdvance(m.text) + 8 > avail)
            m.text = m.twoLines;
        qreal wanted = 0;
        for (const QString &line : m.text.split(u'\n'))
            wanted = std::max(wanted, fm.horizontalAdvance(line) + 8);
        const qreal w = std::max(40.0, std::min(wanted, avail));
        const QRectF text = fm.boundingRect(QRectF(0, 0, w - 8, 1000),
                                            Qt::AlignCenter | Qt::TextWrapAnywhere, m.text);
        boxes.append(QSizeF(w, text.height() + 2));
    }
    for (bool right : {false, true}) {
        QList<int> side;
        for (int i = 0; i < marks.size(); ++i) {
            if (marks.at(i).right == right)
                side.append(i);
        }
        std::sort(side.begin(), side.end(),
                  [&](int a, int b) { return marks.at(a).at.y() < marks.at(b).at.y(); });
        qreal floor = area.top();
        for (int i : side) {
            Mark &m = marks[i];
            const qreal half = boxes.at(i).height() / 2;
            m.at.setY(std::max(m.at.y(), floor + half));
            floor = m.at.y() + half + 1;
        }
        // Too low at the bottom: shift the column up.
        qreal ceiling = area.bottom();
        for (auto it = side.rbegin(); it != side.rend(); ++it) {
            Mark &m = marks[*it];
            const qreal half = boxes.at(*it).height() / 2;
            m.at.setY(std::min(m.at.y(), ceiling - half));
            ceiling = m.at.y() - half - 1;
        }
    }
    p.setFont(Fonts::sans(12));
    for (int i = 0; i < marks.size(); ++i) {
        const Mark &m = marks.at(i);
        const QSizeF s = boxes.at(i);
        p.setPen(QPen(m.color.darker(130), 1));
        const QPointF knee(m.at.x() + (m.right ? -6 : 6), m.at.y());
        p.drawPolyline(QPolygonF{m.edge, knee, m.at});
        const QRectF box(m.right ? m.at.x() + 2 : m.at.x() - s.width() - 2,
                         m.at.y() - s.height() / 2, s.width(), s.height());
        p.setBrush(QColor(0xFF, 0xFD, 0xE8));
        p.drawRoundedRect(box, 3, 3);
        p.setPen(kInk);
        p.drawText(box.adjusted(4, 0, -4, 0), Qt::AlignCenter | Qt::TextWrapAnywhere, m.text);
    }
}

void ChartWidget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    paintChart(p, size());
}

bool ChartWidget::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        // The last shape painted lies on top.
        for (auto it = m_hits.crbegin(); it != m_hits.crend(); ++it) {
            if (it->shape.contains(help->pos())) {
                QToolTip::showText(help->globalPos(), it->text, this);
                return true;
            }
        }
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    return QWidget::event(event);
}
