#include "sweepplot.h"

#include "lcnet.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace
{

constexpr double TickSpacing = 28.0;  // px between value labels, at least
constexpr double XTickSpacing = 70.0; // px between frequency labels
constexpr double StripHeight = 6.0;   // category strip
constexpr double ClickSlop = 4.0;     // px a click may move

QVector<double> linearTicks(double lo, double hi, double pixels, double spacing)
{
    QVector<double> ticks;
    const double span = hi - lo;
    if (!(span > 0.0) || !std::isfinite(span) || !(pixels > 0.0))
        return ticks;
    const double raw = span / std::max(1.0, std::floor(pixels / spacing));
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10.0 * magnitude;
    for (double m : {1.0, 2.0, 5.0})
        if (m * magnitude >= raw) {
            step = m * magnitude;
            break;
        }
    const double first = std::ceil(lo / step - 1e-9);
    for (double k = first; k * step <= hi + 1e-9 * step && ticks.size() < 100; ++k)
        ticks.append(std::fabs(k) < 0.5 ? 0.0 : k * step);
    return ticks;
}

// 1, 1.2, 1.5, 2, 3, 5 times the powers of ten, as many as fit.
QVector<double> logTicks(double lo, double hi, double pixels, double spacing)
{
    QVector<double> ticks;
    if (!(lo > 0.0) || !(hi > lo) || !std::isfinite(hi) || !(pixels > 0.0))
        return ticks;
    const double perDecade = pixels / std::log10(hi / lo);
    double lastAt = -Q_INFINITY;
    for (double decade = std::pow(10.0, std::floor(std::log10(lo))); decade <= hi; decade *= 10.0)
        for (double m : {1.0, 1.2, 1.5, 2.0, 3.0, 5.0}) {
            const double v = m * decade;
            const double at = std::log10(v / lo) * perDecade;
            if (v < lo * (1 - 1e-12) || v > hi * (1 + 1e-12) || at - lastAt < spacing)
                continue;
            ticks.append(v);
            lastAt = at;
        }
    return ticks;
}

QVector<double> axisTicks(const SweepPlot::Axis &axis, double pixels)
{
    return axis.scale == SweepPlot::Scale::Log
               ? logTicks(axis.min, axis.max, pixels, TickSpacing)
               : linearTicks(axis.min, axis.max, pixels, TickSpacing);
}

QString tickText(double v)
{
    return QString::number(v, 'g', 6);
}

double labelWidth(const QFontMetricsF &fm, const QVector<double> &ticks)
{
    double w = 0.0;
    for (double t : ticks)
        w = std::max(w, fm.horizontalAdvance(tickText(t)));
    return w;
}

QColor faded(QColor c, int alpha)
{
    c.setAlpha(alpha);
    return c;
}

} // namespace

SweepPlot::SweepPlot(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SweepPlot::setData(const QVector<double> &frequenciesMHz, const QVector<Curve> &curves)
{
    mhz = frequenciesMHz;
    curveList = curves;
    categoryOf.clear();
    double lo = Q_INFINITY;
    double hi = -Q_INFINITY;
    for (double f : mhz)
        if (std::isfinite(f)) {
            lo = std::min(lo, f);
            hi = std::max(hi, f);
        }
    if (!(lo <= hi)) {
        lo = 0.0;
        hi = 1.0;
    }
    // A little room at both ends, so that the end points clear the frame;
    // a single frequency gets a span of its own.
    const double pad = hi > lo ? 0.01 * (hi - lo) : std::max(1e-3, 0.01 * std::fabs(lo));
    xMin = lo - pad;
    xMax = hi + pad;
    hovered = -1;
    update();
}

void SweepPlot::setAxes(const Axis &left)
{
    setAxes(left, Axis());
}

void SweepPlot::setAxes(const Axis &left, const Axis &right)
{
    leftAxis = left;
    rightAxis = right;
    cachedSize = QSize();
    update();
}

void SweepPlot::setLines(const QVector<Line> &lines)
{
    lineList = lines;
    update();
}

void SweepPlot::setCategories(const QVector<int> &perPoint, const QVector<Category> &categories)
{
    categoryOf = perPoint;
    categoryList = categories;
    update();
}

void SweepPlot::clear()
{
    setData({}, {});
    lineList.clear();
    categoryList.clear();
}

double SweepPlot::niceCeiling(double v)
{
    if (!(v > 0.0) || !std::isfinite(v))
        return 1.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(v)));
    for (double m : {1.0, 2.0, 5.0})
        if (m * magnitude >= v * (1 - 1e-12))
            return m * magnitude;
    return 10.0 * magnitude;
}

QRectF SweepPlot::plotArea() const
{
    if (cachedSize == size())
        return cachedArea;
    const QFontMetricsF fm(font());
    const double top = fm.height() + 10.0;
    const double bottom = 2.0 * fm.height() + 10.0;
    const double pixels = height() - top - bottom;
    const double left = fm.height() + 12.0 + labelWidth(fm, axisTicks(leftAxis, pixels));
    const double right = rightAxis.title.isEmpty()
                             ? 0.5 * fm.horizontalAdvance(QStringLiteral("00.00"))
                             : fm.height() + 12.0 + labelWidth(fm, axisTicks(rightAxis, pixels));
    cachedArea = QRectF(left, top, std::max(1.0, width() - left - right), std::max(1.0, pixels));
    cachedSize = size();
    return cachedArea;
}

double SweepPlot::xOf(double frequencyMHz) const
{
    const QRectF a = plotArea();
    return a.left() + (frequencyMHz - xMin) / (xMax - xMin) * a.width();
}

double SweepPlot::yOf(const Axis &axis, double value) const
{
    if (std::isnan(value))
        return qQNaN();
    double t = 0.0;
    if (axis.scale == Scale::Log) {
        if (!(value > 0.0))
            return qQNaN();
        t = std::log(value / axis.min) / std::log(axis.max / axis.min);
    } else {
        t = (value - axis.min) / (axis.max - axis.min);
    }
    if (std::isnan(t))
        return qQNaN();
    // The category strip keeps the bottom of the plot for itself.
    const QRectF a = plotArea();
    const double strip = categoryOf.isEmpty() ? 0.0 : StripHeight + 2.0;
    return a.bottom() - strip - std::clamp(t, 0.0, 1.0) * (a.height() - strip);
}

bool SweepPlot::position(int curve, int index, QPointF *at) const
{
    if (curve < 0 || curve >= curveList.size() || index < 0 || index >= mhz.size() ||
        index >= curveList[curve].values.size() || !std::isfinite(mhz[index]))
        return false;
    const Curve &c = curveList[curve];
    const double y = yOf(c.right ? rightAxis : leftAxis, c.values[index]);
    if (std::isnan(y))
        return false;
    if (at)
        *at = QPointF(xOf(mhz[index]), y);
    return true;
}

int SweepPlot::pointAt(const QPointF &pos) const
{
    const QRectF a = plotArea();
    if (!a.adjusted(-ClickSlop, -ClickSlop, ClickSlop, ClickSlop).contains(pos))
        return -1;
    const double f = xMin + (pos.x() - a.left()) / a.width() * (xMax - xMin);
    int best = -1;
    double distance = Q_INFINITY;
    for (int i = 0; i < mhz.size(); ++i) {
        const double d = std::fabs(mhz[i] - f);
        if (d < distance) {
            distance = d;
            best = i;
        }
    }
    return best;
}

void SweepPlot::setHovered(int index)
{
    if (index == hovered)
        return;
    hovered = index;
    update();
    emit pointHovered(index);
}

void SweepPlot::mouseMoveEvent(QMouseEvent *event)
{
    setHovered(pointAt(event->position()));
}

void SweepPlot::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        pressedAt = event->position();
}

void SweepPlot::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPointF moved = event->position() - pressedAt;
    pressedAt = QPointF(-1.0, -1.0);
    if (std::fabs(moved.x()) > ClickSlop || std::fabs(moved.y()) > ClickSlop)
        return;
    const int index = pointAt(event->position());
    if (index >= 0)
        emit pointClicked(index);
}

void SweepPlot::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    setHovered(-1);
}

void SweepPlot::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        cachedSize = QSize();
}

void SweepPlot::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QPalette &pal = palette();
    p.fillRect(rect(), pal.window());
    const QRectF area = plotArea();
    p.fillRect(area, pal.base());
    const QColor text = pal.color(QPalette::WindowText);

    // The bands first, under everything, at least two pixels wide.
    p.save();
    p.setClipRect(area);
    QFont small = font();
    small.setPointSizeF(font().pointSizeF() * 0.85);
    p.setFont(small);
    const QFontMetricsF sfm(small);
    double labelEnd = -Q_INFINITY;
    for (const LCNet::AmateurBand &band : LCNet::AmateurBands) {
        const double x0 = xOf(band.lowKHz / 1000.0);
        const double x1 = xOf(band.highKHz / 1000.0);
        if (x1 < area.left() || x0 > area.right())
            continue;
        const double w = std::max(2.0, x1 - x0);
        const QRectF shade((x0 + x1 - w) / 2, area.top(), w, area.height());
        p.fillRect(shade, faded(pal.color(QPalette::Highlight), 45));
        const QString name = QString::fromLatin1(band.name);
        const double labelWidth = sfm.horizontalAdvance(name);
        const double lx = std::clamp(shade.center().x() - labelWidth / 2, area.left() + 2,
                                     area.right() - labelWidth - 2);
        if (lx > labelEnd + 4) {
            p.setPen(faded(text, 170));
            p.drawText(QPointF(lx, area.top() + sfm.ascent() + 2), name);
            labelEnd = lx + labelWidth;
        }
    }
    p.restore();

    drawAxes(p, area);

    p.save();
    p.setClipRect(area.adjusted(-3, -3, 3, 3));
    p.setRenderHint(QPainter::Antialiasing);
    for (const Line &line : lineList) {
        const double y = yOf(leftAxis, line.value);
        if (std::isnan(y))
            continue;
        p.setPen(QPen(line.color, 1.2, Qt::DashLine));
        p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    }

    // Category strip along the bottom, each point over its own cell, one
    // rectangle per run of points of the same category.
    if (!categoryOf.isEmpty() && categoryOf.size() == mhz.size()) {
        const int n = int(mhz.size());
        auto edge = [&](int i) { // left edge of point i's cell; n: the right end
            if (i == 0)
                return xOf(mhz[0]) - 2;
            if (i == n)
                return xOf(mhz[n - 1]) + 2;
            return (xOf(mhz[i - 1]) + xOf(mhz[i])) / 2;
        };
        for (int begin = 0; begin < n;) {
            int end = begin + 1;
            while (end < n && categoryOf[end] == categoryOf[begin])
                ++end;
            const int k = categoryOf[begin];
            const double from = edge(begin);
            const double to = edge(end);
            if (k >= 0 && k < categoryList.size() && std::isfinite(from) && std::isfinite(to))
                p.fillRect(
                    QRectF(QPointF(from, area.bottom() - StripHeight), QPointF(to, area.bottom())),
                    categoryList[k].color);
            begin = end;
        }
    }

    // Many points: each pixel column draws the first, lowest, highest and
    // last of its points, which looks the same and stays quick to repaint.
    const bool dense = mhz.size() > 2 * area.width();
    const bool markers = mhz.size() * 6 < area.width();
    p.setRenderHint(QPainter::Antialiasing, !dense);
    for (int k = 0; k < curveList.size(); ++k) {
        QPainterPath path;
        bool open = false;
        auto add = [&](const QPointF &at) {
            if (open)
                path.lineTo(at);
            else
                path.moveTo(at);
            open = true;
        };
        double column = qQNaN();
        double first = 0, last = 0, low = 0, high = 0;
        auto flush = [&] {
            if (std::isnan(column))
                return;
            const double x = column + 0.5;
            add({x, first});
            add({x, low});
            add({x, high});
            add({x, last});
            column = qQNaN();
        };
        for (int i = 0; i < mhz.size(); ++i) {
            QPointF at;
            if (!position(k, i, &at)) {
                flush();
                open = false;
            } else if (!dense) {
                add(at);
                if (markers) {
                    // The ellipse closes its own subpath: the line goes on
                    // from the point.
                    path.addEllipse(at, 1.8, 1.8);
                    path.moveTo(at);
                }
            } else if (std::floor(at.x()) != column) {
                flush();
                column = std::floor(at.x());
                first = last = low = high = at.y();
            } else {
                last = at.y();
                low = std::min(low, last);
                high = std::max(high, last);
            }
        }
        flush();
        const Curve &c = curveList[k];
        p.setPen(QPen(c.color, c.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    }

    if (hovered >= 0 && hovered < mhz.size() && std::isfinite(mhz[hovered])) {
        const double x = xOf(mhz[hovered]);
        p.setPen(QPen(faded(text, 140), 1.0, Qt::DotLine));
        p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        for (int k = 0; k < curveList.size(); ++k) {
            QPointF at;
            if (!position(k, hovered, &at))
                continue;
            p.setPen(QPen(curveList[k].color, 2.0));
            p.setBrush(pal.base());
            p.drawEllipse(at, 4.0, 4.0);
        }
    }
    p.restore();

    p.setPen(QPen(faded(text, 200), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(area);
    drawLegend(p, area);
}

void SweepPlot::drawAxes(QPainter &p, const QRectF &area) const
{
    const QPalette &pal = palette();
    const QColor text = pal.color(QPalette::WindowText);
    const QColor grid = faded(text, 40);
    const QFontMetricsF fm(font());

    // Frequency ticks and grid.
    for (double t : linearTicks(xMin, xMax, area.width(), XTickSpacing)) {
        const double x = xOf(t);
        p.setPen(QPen(grid, 1.0));
        p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        const QString s = tickText(t);
        p.setPen(text);
        p.drawText(QPointF(x - fm.horizontalAdvance(s) / 2, area.bottom() + fm.ascent() + 4), s);
    }
    const QString xTitle = tr("Frequency (MHz)");
    p.drawText(QPointF(area.center().x() - fm.horizontalAdvance(xTitle) / 2,
                       area.bottom() + fm.height() + fm.ascent() + 6),
               xTitle);

    for (int side = 0; side < 2; ++side) {
        const Axis &axis = side == 0 ? leftAxis : rightAxis;
        if (axis.title.isEmpty())
            continue;
        const QVector<double> ticks = axisTicks(axis, area.height());
        for (double t : ticks) {
            const double y = yOf(axis, t);
            if (side == 0) {
                p.setPen(QPen(grid, 1.0));
                p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
            }
            const QString s = tickText(t);
            p.setPen(text);
            const double w = fm.horizontalAdvance(s);
            const double x = side == 0 ? area.left() - 6 - w : area.right() + 6;
            p.drawText(QPointF(x, y + fm.ascent() / 2 - 1), s);
        }
        const double margin = labelWidth(fm, ticks) + 8;
        p.save();
        const double x = side == 0 ? area.left() - margin - 4 : area.right() + margin + 4;
        p.translate(x, area.center().y());
        p.rotate(side == 0 ? -90 : 90);
        p.drawText(QPointF(-fm.horizontalAdvance(axis.title) / 2, 0), axis.title);
        p.restore();
    }
}

void SweepPlot::drawLegend(QPainter &p, const QRectF &area) const
{
    const QFontMetricsF fm(font());
    const QColor text = palette().color(QPalette::WindowText);
    double x = area.left();
    const double y = area.top() - 6 - fm.descent();
    auto entry = [&](const QString &name, const QColor &color, Qt::PenStyle style, bool box) {
        if (box)
            p.fillRect(QRectF(x, y - fm.ascent() / 2 - 3, 18, 6), color);
        else {
            p.setPen(QPen(color, 2.0, style));
            p.drawLine(QPointF(x, y - fm.ascent() / 3), QPointF(x + 18, y - fm.ascent() / 3));
        }
        p.setPen(text);
        p.drawText(QPointF(x + 23, y), name);
        x += 23 + fm.horizontalAdvance(name) + 14;
    };
    for (const Curve &c : curveList)
        entry(c.name, c.color, Qt::SolidLine, false);
    for (const Line &l : lineList)
        entry(l.name, l.color, Qt::DashLine, false);
    if (!categoryOf.isEmpty())
        for (const Category &c : categoryList)
            entry(c.name, c.color, Qt::SolidLine, true);
}
