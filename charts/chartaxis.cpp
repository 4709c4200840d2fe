#include "chartaxis.h"

#include "format.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace
{
constexpr int MajorTick = 5;
constexpr int MinorTick = 3;
constexpr int MaxTicks = 1000;

// The smallest of 1, 2, 5 times a power of ten that is at least raw; its
// exponent goes to exponent.
double niceStep(double raw, int &exponent)
{
    if (!(raw > 0.0) || !std::isfinite(raw))
        return 0.0;
    exponent = static_cast<int>(std::floor(std::log10(raw)));
    const double unit = std::pow(10.0, exponent);
    if (!(unit > 0.0) || !std::isfinite(unit))
        return 0.0;
    for (double m : {1.0, 2.0, 5.0})
        if (m * unit >= raw)
            return m * unit;
    ++exponent;
    return 10.0 * unit;
}

// Enough digits to tell ticks `step` apart, none beyond.
QString roundLabel(double v, int exponent, double largest)
{
    if (exponent < 0 && exponent >= -12 && largest < 1e12)
        return QString::number(v, 'f', -exponent);
    if (exponent >= 0 && largest < 1e12)
        return QString::number(v, 'f', 0);
    const int digits = static_cast<int>(std::floor(std::log10(largest))) - exponent + 1;
    return QString::number(v, 'g', std::clamp(digits, 1, 17));
}
} // namespace

ChartAxis::ChartAxis(Edge edge, QWidget *plot, QWidget *parent)
    : QWidget(parent), edge(edge), plot(plot)
{
    QFont small = font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.85));
    setFont(small);
    extent = fontMetrics().horizontalAdvance(QStringLiteral("-0000"));
    setSizePolicy(edge == Bottom ? QSizePolicy::Preferred : QSizePolicy::Fixed,
                  edge == Bottom ? QSizePolicy::Fixed : QSizePolicy::Preferred);
}

void ChartAxis::setTitle(const QString &text)
{
    title = text;
    update();
}

void ChartAxis::setMapping(Mapping pixel, Mapping value)
{
    toPixel = std::move(pixel);
    toValue = std::move(value);
    update();
}

void ChartAxis::setSteps(const std::vector<double> *values)
{
    steps = values;
    if (steps) {
        const QFontMetrics metrics = fontMetrics();
        int widest = 0;
        for (double v : *steps)
            widest = std::max(widest, metrics.horizontalAdvance(LCNet::shortestText(v)));
        extent = widest;
    }
    updateGeometry();
    update();
}

int ChartAxis::plotLength() const
{
    return edge == Bottom ? plot->width() : plot->height();
}

double ChartAxis::plotOffset() const
{
    const QPointF origin = mapFrom(window(), plot->mapTo(window(), QPointF(0, 0)));
    return edge == Bottom ? origin.x() : origin.y();
}

QVector<AxisTick> ChartAxis::ticks() const
{
    if (!toPixel || !toValue)
        return {};
    const double a = toValue(0.0);
    const double b = toValue(plotLength());
    const double lo = std::min(a, b);
    const double hi = std::max(a, b);
    if (!std::isfinite(lo) || !std::isfinite(hi) || !(hi > lo))
        return {};
    return steps ? stepTicks(lo, hi) : roundTicks(lo, hi);
}

QVector<AxisTick> ChartAxis::roundTicks(double lo, double hi) const
{
    const QFontMetrics metrics = fontMetrics();
    const double pixelsPerUnit = plotLength() / (hi - lo);
    const double largest = std::max(std::fabs(lo), std::fabs(hi));
    double gap = edge == Left ? 2.0 * metrics.height() : extent + 2.0 * metrics.averageCharWidth();
    for (int attempt = 0; attempt < 8; ++attempt) {
        int exponent = 0;
        const double step = niceStep(gap / pixelsPerUnit, exponent);
        if (step == 0.0)
            return {};
        const double first = std::ceil(lo / step);
        const double last = std::floor(hi / step);
        // Beyond 2^52 neighbouring multiples are no longer distinct doubles.
        if (!(last - first < MaxTicks) || std::fabs(first) > 0x1p52 || std::fabs(last) > 0x1p52)
            return {};
        QVector<AxisTick> result;
        int widest = 0;
        for (double k = first; k <= last; ++k) {
            const double v = k * step + 0.0; // no "-0"
            const QString label = roundLabel(v, exponent, largest);
            widest = std::max(widest, metrics.horizontalAdvance(label));
            result.append({v, toPixel(v), label});
        }
        const double needed = widest + 2.0 * metrics.averageCharWidth();
        if (edge == Left || needed <= step * pixelsPerUnit)
            return result;
        gap = needed;
    }
    return {};
}

QVector<AxisTick> ChartAxis::stepTicks(double lo, double hi) const
{
    const std::vector<double> &s = *steps;
    const auto i0 = std::lower_bound(s.begin(), s.end(), lo) - s.begin();
    const auto i1 = std::upper_bound(s.begin(), s.end(), hi) - s.begin() - 1;
    if (i0 > i1)
        return {};
    const QFontMetrics metrics = fontMetrics();
    const double spread =
        i1 > i0 ? std::fabs(toPixel(s[i1]) - toPixel(s[i0])) / double(i1 - i0) : 1e9;
    // Labels at every k-th step (a power of two, as the banks are binary) and
    // minor ticks at every m-th, each as dense as still reads.
    const double gap = edge == Left ? 1.5 * metrics.height()
                                    : metrics.horizontalAdvance(LCNet::shortestText(s[i1])) +
                                          2.0 * metrics.averageCharWidth();
    long k = 1;
    while (k < (1L << 20) && spread * k < gap)
        k *= 2;
    long m = 1;
    while (m < k && spread * m < 4.0)
        m *= 2;

    // Labels are placed in the order of the steps, which runs either way
    // along the axis.
    const double direction = i1 > i0 && toPixel(s[i1]) < toPixel(s[i0]) ? -1.0 : 1.0;
    QVector<AxisTick> result;
    double lastEnd = -1e300; // end of the last label, along the steps' direction
    for (long i = (i0 + m - 1) / m * m; i <= i1 && result.size() < 4 * MaxTicks; i += m) {
        AxisTick tick{s[i], toPixel(s[i]), QString()};
        if (i % k == 0) {
            const QString label = LCNet::shortestText(s[i]);
            const double half =
                edge == Left ? 0.75 * metrics.height() : 0.5 * metrics.horizontalAdvance(label);
            const double along = direction * tick.pos;
            if (along - half >= lastEnd) {
                tick.label = label;
                lastEnd = along + half + metrics.averageCharWidth();
            }
        }
        result.append(tick);
    }
    return result;
}

int ChartAxis::neededExtent() const
{
    const QFontMetrics metrics = fontMetrics();
    if (edge == Bottom)
        return MajorTick + 2 + 2 * metrics.height() + 2;
    return metrics.height() + 4 + extent + 3 + MajorTick;
}

QSize ChartAxis::sizeHint() const
{
    return edge == Bottom ? QSize(100, neededExtent()) : QSize(neededExtent(), 100);
}

QSize ChartAxis::minimumSizeHint() const
{
    return edge == Bottom ? QSize(0, neededExtent()) : QSize(neededExtent(), 0);
}

void ChartAxis::paintEvent(QPaintEvent *)
{
    const QVector<AxisTick> all = ticks();
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    painter.setPen(palette().color(QPalette::WindowText));
    const double offset = plotOffset();
    const int w = width();
    const int h = height();
    int widest = 0;
    for (const AxisTick &t : all) {
        const int at = static_cast<int>(std::floor(offset + t.pos));
        const int len = t.label.isEmpty() ? MinorTick : MajorTick;
        if (edge == Bottom)
            painter.drawLine(at, 0, at, len - 1);
        else
            painter.drawLine(w - len, at, w - 1, at);
        if (t.label.isEmpty())
            continue;
        const int tw = metrics.horizontalAdvance(t.label);
        widest = std::max(widest, tw);
        QRect box;
        if (edge == Bottom)
            box = QRect(at - tw / 2, MajorTick + 1, tw, metrics.height());
        else
            box = QRect(w - MajorTick - 3 - tw, at - metrics.height() / 2, tw, metrics.height());
        // A label cut off at the end of the axis reads as a wrong number.
        if (edge == Bottom ? (box.left() < 0 || box.right() >= w)
                           : (box.top() < 0 || box.bottom() >= h))
            continue;
        painter.drawText(box, Qt::AlignCenter, t.label);
    }
    if (!title.isEmpty()) {
        if (edge == Bottom) {
            painter.drawText(QRect(0, h - metrics.height() - 1, w, metrics.height()),
                             Qt::AlignCenter, title);
        } else {
            painter.translate(0, h);
            painter.rotate(-90);
            painter.drawText(QRect(0, 1, h, metrics.height()), Qt::AlignCenter, title);
        }
    }
    if (edge == Left && widest > extent) {
        extent = widest;
        updateGeometry();
    }
}
