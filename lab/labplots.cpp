#include "labplots.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace
{

// 1, 2 or 5 times a power of ten, at least `rough`.
double niceStep(double rough)
{
    const double magnitude = std::pow(10.0, std::floor(std::log10(std::max(rough, 1e-300))));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * magnitude >= rough)
            return m * magnitude;
    return 10.0 * magnitude;
}

QString countText(double value)
{
    if (value >= 1e6)
        return QString::number(value / 1e6, 'g', 3) + QLatin1Char('M');
    if (value >= 1e3)
        return QString::number(value / 1e3, 'g', 3) + QLatin1Char('k');
    return QString::number(value, 'g', 6);
}

QColor faded(QColor c, int alpha)
{
    c.setAlpha(alpha);
    return c;
}

} // namespace

// ---------------------------------------------------------------- histogram

ReadingsHistogram::ReadingsHistogram(QWidget *parent) : QWidget(parent)
{
    setAutoFillBackground(false);
}

void ReadingsHistogram::setSeries(std::vector<Series> series)
{
    data = std::move(series);
    update();
}

int ReadingsHistogram::edge(int bin)
{
    return int(std::ceil(std::pow(10.0, double(bin) / BinsPerDecade) - 1e-9));
}

int ReadingsHistogram::binOf(int readings)
{
    int bin = readings <= 1 ? 0 : int(std::log10(double(readings)) * BinsPerDecade);
    while (edge(bin + 1) <= readings)
        ++bin;
    while (bin > 0 && edge(bin) > readings)
        --bin;
    return bin;
}

void ReadingsHistogram::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor text = palette().color(QPalette::Text);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    const QFontMetrics metrics(font());
    std::vector<const Series *> shown;
    for (const Series &s : data)
        if (!s.readings.empty())
            shown.push_back(&s);
    if (shown.empty()) {
        painter.setPen(text);
        painter.drawText(rect(), Qt::AlignCenter, tr("Run the lab to see the readings per load."));
        return;
    }

    // Counts per bin; a search with one count for every load is a line.
    int bins = 0;
    int peak = 1;
    std::vector<std::vector<int>> counts(shown.size());
    std::vector<int> constant(shown.size(), -1);
    for (size_t s = 0; s < shown.size(); ++s) {
        const std::vector<int> &r = shown[s]->readings;
        const auto [lo, hi] = std::minmax_element(r.begin(), r.end());
        bins = std::max(bins, binOf(*hi) + 1);
        if (*lo == *hi) {
            constant[s] = *lo;
            continue;
        }
        counts[s].assign(size_t(binOf(*hi) + 1), 0);
        for (int v : r)
            ++counts[s][size_t(binOf(v))];
        peak = std::max(peak, *std::max_element(counts[s].begin(), counts[s].end()));
    }
    const int decades = std::max(1, (bins + BinsPerDecade - 1) / BinsPerDecade);
    const double yStep = niceStep(peak / 5.0);
    const double yMax = std::ceil(peak / yStep) * yStep;

    // Legend rows on top (a swatch and the name of each search, a line
    // marked so), the axes' labels left and below.
    const int line = metrics.height();
    std::vector<QString> names;
    std::vector<QPointF> at;
    double x = 8;
    double y = 6;
    for (size_t s = 0; s < shown.size(); ++s) {
        names.push_back(
            constant[s] >= 0
                ? tr("%1 (%2 on every load)").arg(shown[s]->name, QString::number(constant[s]))
                : shown[s]->name);
        const double w = 14 + metrics.horizontalAdvance(names.back());
        if (x > 8 && x + w > width() - 8) {
            x = 8;
            y += line + 4;
        }
        at.emplace_back(x, y);
        x += w + 16;
    }
    const int left = metrics.horizontalAdvance(countText(yMax)) + line + 12;
    const double top = y + line + 10;
    const QRectF plot(left, top, width() - left - 14, height() - top - 2 * line - 14);
    if (plot.width() < 20 || plot.height() < 20)
        return;
    auto xOf = [&](double decade) { return plot.left() + decade / decades * plot.width(); };
    auto xOfBin = [&](int bin) { return xOf(std::log10(double(edge(bin)))); };
    auto yOf = [&](double count) { return plot.bottom() - count / yMax * plot.height(); };
    for (size_t s = 0; s < shown.size(); ++s) {
        painter.fillRect(QRectF(at[s].x(), at[s].y() + line / 2.0 - 5, 10, 10), shown[s]->colour);
        painter.setPen(text);
        painter.drawText(QPointF(at[s].x() + 14, at[s].y() + metrics.ascent()), names[s]);
    }

    // Grid and axes.
    const QPen grid(faded(text, 40), 1);
    for (double v = 0; v <= yMax + yStep / 2; v += yStep) {
        painter.setPen(grid);
        painter.drawLine(QPointF(plot.left(), yOf(v)), QPointF(plot.right(), yOf(v)));
        painter.setPen(text);
        painter.drawText(QRectF(0, yOf(v) - line / 2.0, left - 6, line),
                         Qt::AlignRight | Qt::AlignVCenter, countText(v));
    }
    for (int d = 0; d <= decades; ++d) {
        painter.setPen(grid);
        painter.drawLine(QPointF(xOf(d), plot.top()), QPointF(xOf(d), plot.bottom()));
        painter.setPen(text);
        painter.drawText(QRectF(xOf(d) - 40, plot.bottom() + 4, 80, line), Qt::AlignCenter,
                         countText(std::pow(10.0, d)));
        for (int m = 2; d < decades && m < 10; ++m) {
            const double xm = xOf(d + std::log10(double(m)));
            painter.drawLine(QPointF(xm, plot.bottom()), QPointF(xm, plot.bottom() + 3));
        }
    }
    painter.drawRect(plot);
    painter.drawText(QRectF(plot.left(), plot.bottom() + line + 6, plot.width(), line),
                     Qt::AlignCenter, tr("Readings per load (log scale)"));
    painter.save();
    painter.translate(line / 2.0 + 2, plot.center().y());
    painter.rotate(-90);
    painter.drawText(QRectF(-plot.height() / 2, -line / 2.0, plot.height(), line), Qt::AlignCenter,
                     tr("Loads"));
    painter.restore();

    // Each search as a filled outline of its bins.
    painter.setClipRect(plot.adjusted(-1, -1, 1, 1));
    for (size_t s = 0; s < shown.size(); ++s) {
        const QColor colour = shown[s]->colour;
        if (constant[s] >= 0) {
            const double xc = xOf(std::log10(std::max(1, constant[s])));
            painter.setPen(QPen(colour, 2, Qt::DashLine));
            painter.drawLine(QPointF(xc, plot.top()), QPointF(xc, plot.bottom()));
            continue;
        }
        const std::vector<int> &c = counts[s];
        QPainterPath outline(QPointF(xOfBin(0), yOf(0)));
        for (int b = 0; b < int(c.size()); ++b) {
            outline.lineTo(xOfBin(b), yOf(c[size_t(b)]));
            outline.lineTo(xOfBin(b + 1), yOf(c[size_t(b)]));
        }
        outline.lineTo(xOfBin(int(c.size())), yOf(0));
        painter.fillPath(outline, faded(colour, 60));
        painter.strokePath(outline, QPen(colour, 1.5));
    }
}

// ---------------------------------------------------------------- Smith chart

SmithScatter::SmithScatter(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
}

void SmithScatter::setData(std::vector<QPointF> gammas, std::vector<int> categoryOfLoad,
                           std::vector<Category> kinds)
{
    points = std::move(gammas);
    category = std::move(categoryOfLoad);
    categories = std::move(kinds);
    category.resize(points.size(), 0);
    counts.assign(categories.size(), 0);
    for (int &c : category) {
        if (c < 0 || c >= int(categories.size()))
            c = -1;
        else
            ++counts[size_t(c)];
    }
    update();
}

void SmithScatter::setLimit(double gamma)
{
    limit = gamma;
    update();
}

int SmithScatter::legendWidth() const
{
    const QFontMetrics metrics(font());
    int widest = 0;
    for (size_t c = 0; c < categories.size(); ++c)
        if (counts[c] > 0)
            widest = std::max(widest, metrics.horizontalAdvance(categories[c].label));
    return widest + 40;
}

int SmithScatter::legendHeight() const
{
    const int line = QFontMetrics(font()).height();
    return int(std::count_if(counts.begin(), counts.end(), [](int n) { return n > 0; })) *
           (2 * line + 6);
}

// The chart as large as it can be with the legend beside it or below it.
QRectF SmithScatter::disk(bool *legendBeside) const
{
    const double top = QFontMetrics(font()).height() + 12;
    const double w = width() - 24;
    const double h = height() - top - 12;
    const double beside = std::min(w - legendWidth(), h);
    const double below = std::min(w, h - legendHeight());
    const double side = std::max({beside, below, 10.0});
    if (legendBeside)
        *legendBeside = beside > below;
    if (beside > below)
        return QRectF(12, top + (h - side) / 2, side, side);
    return QRectF(12 + (w - side) / 2, top, side, side);
}

QPointF SmithScatter::toWidget(const QPointF &gamma) const
{
    const QRectF d = disk();
    return {d.center().x() + gamma.x() * d.width() / 2,
            d.center().y() - gamma.y() * d.height() / 2};
}

int SmithScatter::loadAt(const QPointF &position) const
{
    int found = -1;
    double nearest = 6.0 * 6.0;
    for (size_t k = 0; k < points.size(); ++k) {
        const QPointF d = toWidget(points[k]) - position;
        const double d2 = d.x() * d.x() + d.y() * d.y();
        if (d2 <= nearest) {
            nearest = d2;
            found = int(k);
        }
    }
    return found;
}

void SmithScatter::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor text = palette().color(QPalette::Text);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    const QRectF d = disk();
    const double radius = d.width() / 2;
    const QFontMetrics metrics(font());

    // Circles of constant resistance and arcs of constant reactance, in
    // units of 50 ohm, inside the unit circle.
    QPainterPath unit;
    unit.addEllipse(d);
    painter.save();
    painter.setClipPath(unit);
    painter.setPen(QPen(faded(text, 45), 1));
    const double steps[] = {0.2, 0.5, 1.0, 2.0, 5.0};
    for (double r : steps) {
        const double c = r / (1 + r);
        const double rr = 1 / (1 + r);
        painter.drawEllipse(toWidget({c, 0}), rr * radius, rr * radius);
    }
    for (double x : steps) {
        for (double sign : {1.0, -1.0}) {
            const double rr = 1 / x;
            painter.drawEllipse(toWidget({1, sign / x}), rr * radius, rr * radius);
        }
    }
    painter.drawLine(toWidget({-1, 0}), toWidget({1, 0}));
    painter.restore();
    painter.setPen(QPen(faded(text, 160), 1));
    painter.drawEllipse(d);
    if (limit > 0) {
        painter.setPen(QPen(faded(text, 140), 1, Qt::DashLine));
        painter.drawEllipse(d.center(), limit * radius, limit * radius);
    }
    painter.setPen(text);
    painter.drawText(QPointF(12, 6 + metrics.ascent()),
                     tr("Loads on the Smith chart: resistance circles in ohm%1")
                         .arg(limit > 0 ? tr(", dashed: the maximum SWR") : QString()));
    painter.setPen(faded(text, 170));
    for (double r : steps) {
        const QPointF at = toWidget({(r - 1) / (r + 1), 0});
        const QString label = QString::number(50 * r);
        painter.drawText(QPointF(at.x() + 2, at.y() - 3), label);
    }
    if (points.empty()) {
        painter.setPen(text);
        painter.drawText(rect(), Qt::AlignCenter, tr("Run the lab to see its loads."));
        return;
    }

    // Plain points first, the emphasised ones larger and above them.
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (int pass = 0; pass < 2; ++pass) {
        const double size = pass ? 5 : 3;
        for (size_t k = 0; k < points.size(); ++k) {
            const int c = category[k];
            if (c < 0 || categories[size_t(c)].emphasised != bool(pass))
                continue;
            const QPointF at = toWidget(points[k]);
            painter.fillRect(QRectF(at.x() - size / 2, at.y() - size / 2, size, size),
                             categories[size_t(c)].colour);
        }
    }

    // The legend beside the chart or below it, with each category's count.
    const int line = metrics.height();
    bool beside = false;
    disk(&beside);
    double y = beside ? d.top() + 4 : d.bottom() + 10;
    const double x = beside ? d.right() + 16 : d.left();
    for (size_t c = 0; c < categories.size(); ++c) {
        if (counts[c] == 0)
            continue;
        painter.fillRect(QRectF(x, y + line / 2.0 - 4, 8, 8), categories[c].colour);
        painter.setPen(text);
        painter.drawText(QPointF(x + 14, y + metrics.ascent()), categories[c].label);
        painter.setPen(faded(text, 170));
        painter.drawText(QPointF(x + 14, y + line + metrics.ascent()),
                         counts[c] == 1 ? tr("1 load") : tr("%1 loads").arg(counts[c]));
        y += 2 * line + 6;
    }
}

void SmithScatter::mouseMoveEvent(QMouseEvent *event)
{
    const int load = loadAt(event->position());
    if (load >= 0 && describe)
        QToolTip::showText(event->globalPosition().toPoint(), describe(load), this);
    else
        QToolTip::hideText();
}
