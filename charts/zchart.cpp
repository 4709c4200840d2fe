#include "zchart.h"

#include "legendwidget.h"

#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{
constexpr double Pi = 3.14159265358979323846;
constexpr double Z0 = 50.0;

// Truncates a pixel coordinate toward zero. Anything beyond the widget, up
// to infinity, lands just outside it, where a one-pixel line is invisible;
// NaN gives false.
bool pixelLine(double v, int size, int &out)
{
    if (std::isnan(v))
        return false;
    if (v <= -2.0)
        out = -2;
    else if (v >= size + 2.0)
        out = size + 2;
    else
        out = static_cast<int>(v);
    return true;
}

bool finitePoint(const QPointF &p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

// The device pixel ratio of what the painter draws on: the screen's for the
// window, the pixmap's for grab() and render().
qreal targetRatio(QPainter &painter)
{
    const QPaintDevice *device =
        painter.paintEngine() ? painter.paintEngine()->paintDevice() : painter.device();
    const qreal ratio = device ? device->devicePixelRatioF() : 1.0;
    return ratio > 0.0 && ratio <= 16.0 ? ratio : 1.0;
}

// The usual labelled values of a Smith chart, in ohm (normalised 0.2, 0.5,
// 1, 2 and 5).
constexpr double GridValues[] = {10.0, 25.0, 50.0, 100.0, 250.0};
} // namespace

ZChart::ZChart(QWidget *parent) : QWidget(parent)
{
    // Every pixel is painted, so there is no background to erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ZChart::valuesOf(const double *r, const double *x, int count, double *values)
{
    if (count <= 0)
        return;
    if (batch) {
        batch(r, x, count, values);
        return;
    }
    for (int i = 0; i < count; ++i) {
        values[i] = 0.0;
        emit getZValue(r[i], x[i], values[i]);
    }
}

void ZChart::setSmith(bool on)
{
    smith = on;
    update();
}

QPointF ZChart::pixelToPlane(double px, double py) const
{
    const int cx = width() / 2 - 1;
    const int cy = height() / 2 - 1;
    return QPointF(center.x() + zoom * (px - cx), center.y() + zoom * (cy - py));
}

QPointF ZChart::planeToPixel(const QPointF &point) const
{
    if (zoom == 0.0)
        return QPointF(0.0, 0.0);
    const int cx = width() / 2 - 1;
    const int cy = height() / 2 - 1;
    return QPointF((point.x() - center.x()) / zoom + cx, cy - (point.y() - center.y()) / zoom);
}

double ZChart::smithRadius() const
{
    // Room outside the rim for the reactance labels.
    const double margin = 1.5 * fontMetrics().height();
    return std::max(1.0, std::min(width(), height()) / 2.0 - margin);
}

QPointF ZChart::pixelToGamma(double px, double py) const
{
    return SmithMapping(*this).gamma(px, py);
}

QPointF ZChart::gammaToPixel(const QPointF &gamma) const
{
    const int cx = width() / 2 - 1;
    const int cy = height() / 2 - 1;
    const double unit = smithZoom * smithRadius();
    return QPointF(cx + (gamma.x() - smithCenter.x()) * unit,
                   cy - (gamma.y() - smithCenter.y()) * unit);
}

QPointF ZChart::gammaOf(const QPointF &load)
{
    // (Z - 50) / (Z + 50)
    const double r = load.x();
    const double x = load.y();
    const double d = (r + Z0) * (r + Z0) + x * x;
    return QPointF((r * r - Z0 * Z0 + x * x) / d, 2.0 * Z0 * x / d);
}

QPointF ZChart::loadOf(const QPointF &gamma)
{
    // 50 (1 + gamma) / (1 - gamma)
    const double gr = gamma.x();
    const double gi = gamma.y();
    const double d = (1.0 - gr) * (1.0 - gr) + gi * gi;
    return QPointF(Z0 * (1.0 - gr * gr - gi * gi) / d, 2.0 * Z0 * gi / d);
}

QPointF ZChart::pixelToLoad(double px, double py) const
{
    return smith ? loadOf(pixelToGamma(px, py)) : pixelToPlane(px, py);
}

ZChart::SmithMapping::SmithMapping(const ZChart &chart)
    : cx(chart.width() / 2 - 1), cy(chart.height() / 2 - 1),
      unit(chart.smithZoom * chart.smithRadius()), centre(chart.smithCenter)
{
}

QPointF ZChart::SmithMapping::gamma(double px, double py) const
{
    return QPointF(centre.x() + (px - cx) / unit, centre.y() + (cy - py) / unit);
}

bool ZChart::SmithMapping::inside(const QPointF &g)
{
    return g.x() * g.x() + g.y() * g.y() <= 1.0;
}

QPointF ZChart::loadToPixel(const QPointF &load) const
{
    return smith ? gammaToPixel(gammaOf(load)) : planeToPixel(load);
}

bool ZChart::showsLoad(double px, double py) const
{
    return !smith || SmithMapping::inside(pixelToGamma(px, py));
}

QImage ZChart::mapImage(qreal ratio)
{
    // Far beyond any screen (2^26 pixels, 256 MB) there is no map, just as
    // when the memory runs out.
    const double fw = std::ceil(width() * ratio);
    const double fh = std::ceil(height() * ratio);
    if (!(fw >= 1.0 && fh >= 1.0 && fw * fh <= 0x1p26))
        return QImage();
    QImage map(static_cast<int>(fw), static_cast<int>(fh), QImage::Format_RGB32);
    if (map.isNull())
        return map;
    map.setDevicePixelRatio(ratio);
    const QRgb outside = palette().color(QPalette::Window).rgb();

    // A row at a time, in pieces, so that a batch source sees many loads at
    // once and the buffers stay small whatever the width.
    const SmithMapping disk(*this);
    constexpr int Piece = 1024;
    std::vector<double> r(Piece), x(Piece), v(Piece);
    std::vector<int> column(Piece);
    for (int qy = 0; qy < map.height(); ++qy) {
        QRgb *line = reinterpret_cast<QRgb *>(map.scanLine(qy));
        const double py = qy / ratio;
        for (int q0 = 0; q0 < map.width(); q0 += Piece) {
            const int q1 = std::min(map.width(), q0 + Piece);
            int n = 0;
            for (int qx = q0; qx < q1; ++qx) {
                const double px = qx / ratio;
                QPointF load;
                if (smith) {
                    const QPointF g = disk.gamma(px, py);
                    if (!SmithMapping::inside(g)) {
                        line[qx] = outside;
                        continue;
                    }
                    load = loadOf(g);
                } else {
                    load = pixelToPlane(px, py);
                }
                r[n] = load.x();
                x[n] = load.y();
                column[n++] = qx;
            }
            valuesOf(r.data(), x.data(), n, v.data());
            for (int i = 0; i < n; ++i)
                line[column[i]] = legend ? legend->getRgb(v[i]) : qRgb(0, 0, 0);
        }
    }
    return map;
}

void ZChart::addReferencePoints(double value)
{
    const int w = width();
    const int h = height();
    std::vector<double> r, x, z;
    for (int px = 0; px < w; ++px) {
        r.clear();
        x.clear();
        for (int py = 0; py < h; ++py) {
            if (!showsLoad(px, py))
                continue;
            const QPointF p = pixelToLoad(px, py);
            r.push_back(p.x());
            x.push_back(p.y());
        }
        z.resize(r.size());
        valuesOf(r.data(), x.data(), int(r.size()), z.data());
        for (size_t i = 0; i < r.size(); ++i)
            if (0.1 * value > std::fabs(z[i] - value))
                refPoints.append(QPointF(r[i], x[i]));
    }
    update();
}

void ZChart::clearReferencePoints()
{
    refPoints.clear();
    update();
}

QSize ZChart::sizeHint() const
{
    return QSize(100, 100);
}

// A zoom step that would leave no usable mapping (zero, negative, infinite,
// NaN, or too fine to invert) is ignored.
bool ZChart::setPlaneZoom(double value)
{
    if (!(value > 0.0) || !std::isfinite(value) || !std::isfinite(1.0 / value))
        return false;
    zoom = value;
    return true;
}

bool ZChart::setSmithZoom(double value)
{
    if (!(value >= MinSmithZoom && value <= MaxSmithZoom))
        return false;
    smithZoom = value;
    return true;
}

void ZChart::mousePressEvent(QMouseEvent *event)
{
    QWidget::mousePressEvent(event);
    const QPoint pos = event->position().toPoint();
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)
        return;
    if (smith)
        smithCenter = pixelToGamma(pos.x(), pos.y());
    else
        center = pixelToPlane(pos.x(), pos.y());
    update();
    if (event->button() == Qt::RightButton) {
        if (smith)
            setSmithZoom(smithZoom * 2.0);
        else
            setPlaneZoom(zoom * 0.5);
        update();
    }
}

void ZChart::mouseMoveEvent(QMouseEvent *event)
{
    QWidget::mouseMoveEvent(event);
    const QPoint pos = event->position().toPoint();
    const QPointF p = pixelToLoad(pos.x(), pos.y());
    emit reportValue(p.x(), p.y());
}

void ZChart::wheelEvent(QWheelEvent *event)
{
    QWidget::wheelEvent(event);
    const QPoint delta = event->angleDelta();
    if (std::abs(qint64(delta.x())) > std::abs(qint64(delta.y())))
        return;
    // 120 per notch: one notch away from the user zooms in by 1.125.
    const int d = delta.y() / 8;
    const double factor = std::pow(1.125, d / 15.0);
    if (smith)
        setSmithZoom(smithZoom * factor);
    else
        setPlaneZoom(zoom / factor);
    update();
}

void ZChart::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // What was shown stays in view: the plane the user last chose to see
    // (by zooming, or the opening zoom at the first real size) is fitted to
    // the new size about the same centre. The first size a widget gets when
    // shown comes without an old size and keeps the zoom as set.
    const QSize old = event->oldSize();
    const int cx = width() / 2 - 1;
    const int cy = height() / 2 - 1;
    if (!old.isValid() || old.width() < 3 || old.height() < 3 || cx < 1 || cy < 1)
        return;
    if (zoom != fitZoom) {
        const int ox = old.width() / 2 - 1;
        const int oy = old.height() / 2 - 1;
        fitShown = QMarginsF(zoom * ox, zoom * oy, zoom * (old.width() - 1 - ox),
                             zoom * (old.height() - 1 - oy));
    }
    const double fitted =
        std::max({fitShown.left() / cx, fitShown.top() / cy, fitShown.right() / (width() - 1 - cx),
                  fitShown.bottom() / (height() - 1 - cy)});
    if (setPlaneZoom(fitted))
        fitZoom = zoom;
}

void ZChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QImage map = mapImage(targetRatio(painter));
    // An image too large to allocate paints light grey instead.
    if (map.isNull())
        painter.fillRect(rect(), QColor(192, 192, 192));
    else
        painter.drawImage(QPointF(0, 0), map);

    if (smith)
        paintSmithOverlay(painter);
    else
        paintPlaneOverlay(painter);

    const QVector<double> now = {double(width()), double(height()), center.x(), center.y(),   zoom,
                                 smithCenter.x(), smithCenter.y(),  smithZoom,  double(smith)};
    if (now != painted) {
        painted = now;
        emit viewChanged();
    }
}

void ZChart::paintPlaneOverlay(QPainter &painter)
{
    const int w = width();
    const int h = height();
    // The cross covers whole pixels of the map at any device pixel ratio.
    const QPointF m = planeToPixel(marker);
    int mx = 0;
    int my = 0;
    if (pixelLine(m.y(), h, my))
        painter.fillRect(QRect(0, my, w, 1), Qt::black);
    if (pixelLine(m.x(), w, mx))
        painter.fillRect(QRect(mx, 0, 1, h), Qt::black);

    painter.setPen(Qt::blue);
    QVector<QPointF> visible;
    for (const QPointF &r : std::as_const(refPoints)) {
        const QPointF q = planeToPixel(r);
        if (q.x() > -2.0 && q.x() < w + 2.0 && q.y() > -2.0 && q.y() < h + 2.0)
            visible.append(q);
    }
    if (!visible.isEmpty())
        painter.drawPoints(visible.constData(), int(visible.size()));

    const QPointF a = pixelToPlane(0, 0);
    const QPointF b = pixelToPlane(w - 1, h - 1);
    paintStatus(painter, {QStringLiteral("center: (%1, %2)").arg(center.x()).arg(center.y()),
                          QStringLiteral("span: (%1, %2)").arg(b.x() - a.x()).arg(a.y() - b.y()),
                          QStringLiteral("zoom: %1").arg(zoom)});
}

QVector<QPolygonF> ZChart::smithCircle(const QPointF &centre, double radius, bool insideDisk) const
{
    // Sampled in the gamma plane a few pixels apart, and at high zoom only
    // along the arc near the widget, so that the work stays bounded at any
    // zoom; the parts outside the unit disk are left out when asked.
    const double unit = smithZoom * smithRadius();
    const QPointF pc = gammaToPixel(centre);
    const double rp = radius * unit;
    if (!finitePoint(pc) || !(rp > 0.0) || !std::isfinite(rp))
        return {};
    const QRectF view = QRectF(rect()).adjusted(-4, -4, 4, 4);
    const double half = std::hypot(view.width(), view.height()) / 2.0;
    const double dist = std::hypot(view.center().x() - pc.x(), view.center().y() - pc.y());
    if (dist > rp + half || dist < rp - half)
        return {};
    double a0 = 0.0;
    double a1 = 2.0 * Pi;
    if (rp > 2.0 * half) {
        const double towards = std::atan2(pc.y() - view.center().y(), view.center().x() - pc.x());
        const double spread = std::min(Pi, 2.0 * half / (rp - half));
        a0 = towards - spread;
        a1 = towards + spread;
    }
    const int n = std::clamp(static_cast<int>(std::ceil((a1 - a0) * rp / 3.0)), 16, 4096);
    QVector<QPolygonF> result;
    QPolygonF part;
    for (int i = 0; i <= n; ++i) {
        const double t = a0 + (a1 - a0) * i / n;
        const QPointF g(centre.x() + radius * std::cos(t), centre.y() + radius * std::sin(t));
        if (insideDisk && g.x() * g.x() + g.y() * g.y() > 1.0 + 1e-12) {
            if (part.size() > 1)
                result.append(part);
            part.clear();
            continue;
        }
        part.append(gammaToPixel(g));
    }
    if (part.size() > 1)
        result.append(part);
    return result;
}

void ZChart::paintSmithOverlay(QPainter &painter)
{
    const int w = width();
    const int h = height();
    const QFontMetrics metrics(font());
    painter.setFont(font());
    painter.setRenderHint(QPainter::Antialiasing);

    // Grid: the real axis, constant-R circles and constant-X arcs.
    painter.setPen(QPen(QColor(0, 0, 0, 90), 0));
    const QPointF left = gammaToPixel(QPointF(-1, 0));
    const QPointF right = gammaToPixel(QPointF(1, 0));
    if (finitePoint(left) && finitePoint(right) && left.y() > -1 && left.y() < h + 1)
        painter.drawLine(QPointF(std::max(-2.0, left.x()), left.y()),
                         QPointF(std::min(w + 2.0, right.x()), right.y()));
    for (double ohm : GridValues) {
        const double r = ohm / Z0;
        for (const QPolygonF &arc : smithCircle(QPointF(r / (1 + r), 0), 1 / (1 + r), false))
            painter.drawPolyline(arc);
        const double x = ohm / Z0;
        for (double sign : {1.0, -1.0})
            for (const QPolygonF &arc : smithCircle(QPointF(1, sign / x), 1 / x, true))
                painter.drawPolyline(arc);
    }
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1.5));
    for (const QPolygonF &arc : smithCircle(QPointF(0, 0), 1, false))
        painter.drawPolyline(arc);

    // Labels: resistances just above the real axis, on a light backdrop
    // since they sit on the map; reactances outside the rim.
    for (double ohm : GridValues) {
        const double r = ohm / Z0;
        const QPointF at = gammaToPixel(QPointF((r - 1) / (r + 1), 0));
        const QString text = QString::number(ohm);
        const QRectF box(at.x() + 2, at.y() - metrics.height() - 1,
                         metrics.horizontalAdvance(text) + 2, metrics.height());
        if (!QRectF(rect()).contains(box))
            continue;
        painter.fillRect(box, QColor(255, 255, 255, 170));
        painter.setPen(Qt::black);
        painter.drawText(box, Qt::AlignCenter, text);
    }
    painter.setPen(palette().color(QPalette::WindowText));
    for (double ohm : GridValues) {
        const double x = ohm / Z0;
        for (double sign : {1.0, -1.0}) {
            // Where the arc of reactance sign * x meets the rim.
            const QPointF g((x * x - 1) / (x * x + 1), sign * 2 * x / (x * x + 1));
            const QPointF at = gammaToPixel(g) + QPointF(4 * g.x(), -4 * g.y());
            const QString text =
                (sign > 0 ? QStringLiteral("+j") : QStringLiteral("-j")) + QString::number(ohm);
            const double tw = metrics.horizontalAdvance(text);
            const double th = metrics.height();
            const QRectF box(g.x() >= 0 ? at.x() : at.x() - tw, g.y() >= 0 ? at.y() - th : at.y(),
                             tw, th);
            if (QRectF(rect()).contains(box))
                painter.drawText(box, Qt::AlignCenter, text);
        }
    }

    // The present load: a cross that shows on every colour of the scale.
    // A load with negative R lies outside the disk and is not drawn.
    if (marker.x() >= 0) {
        const QPointF m = gammaToPixel(gammaOf(marker));
        if (finitePoint(m) && QRectF(rect()).adjusted(-8, -8, 8, 8).contains(m)) {
            for (const QPen &pen : {QPen(Qt::white, 3), QPen(Qt::black, 1)}) {
                painter.setPen(pen);
                painter.drawLine(m - QPointF(7, 0), m + QPointF(7, 0));
                painter.drawLine(m - QPointF(0, 7), m + QPointF(0, 7));
            }
        }
    }
    painter.setRenderHint(QPainter::Antialiasing, false);

    painter.setPen(Qt::blue);
    QVector<QPointF> visible;
    for (const QPointF &r : std::as_const(refPoints)) {
        if (!(r.x() >= 0))
            continue;
        const QPointF q = gammaToPixel(gammaOf(r));
        if (q.x() > -2.0 && q.x() < w + 2.0 && q.y() > -2.0 && q.y() < h + 2.0)
            visible.append(q);
    }
    if (!visible.isEmpty())
        painter.drawPoints(visible.constData(), int(visible.size()));

    const QPointF c = loadOf(smithCenter);
    paintStatus(painter, {QStringLiteral("center: (%1, %2)").arg(c.x()).arg(c.y()),
                          QStringLiteral("zoom: %1").arg(smithZoom)});
}

void ZChart::paintStatus(QPainter &painter, const QStringList &lines)
{
    // A light, translucent panel behind the text keeps it readable over the
    // dark end of the scale and the dark grey beyond it.
    painter.setFont(font());
    const QFontMetrics metrics(font());
    int textWidth = 0;
    for (const QString &line : lines)
        textWidth = std::max(textWidth, metrics.horizontalAdvance(line));
    const int n = int(lines.size());
    painter.fillRect(QRect(7, 14 - metrics.ascent() - 2, textWidth + 6,
                           14 * (n - 1) + metrics.ascent() + metrics.descent() + 4),
                     QColor(255, 255, 255, 160));
    painter.setPen(Qt::black);
    for (int i = 0; i < n; ++i)
        painter.drawText(QPointF(10, 14 + 14 * i), lines[i]);
}
