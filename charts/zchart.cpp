#include "zchart.h"

#include "legendwidget.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace
{
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
} // namespace

ZChart::ZChart(QWidget *parent) : QWidget(parent)
{
    // Every pixel is painted, so there is no background to erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
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

void ZChart::addReferencePoints(double value)
{
    const int w = width();
    const int h = height();
    for (int px = 0; px < w; ++px) {
        for (int py = 0; py < h; ++py) {
            const QPointF p = pixelToPlane(px, py);
            double z = 0.0;
            emit getZValue(p.x(), p.y(), z);
            if (0.1 * value > std::fabs(z - value))
                refPoints.append(p);
        }
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

void ZChart::mousePressEvent(QMouseEvent *event)
{
    QWidget::mousePressEvent(event);
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        center = pixelToPlane(pos.x(), pos.y());
        update();
    } else if (event->button() == Qt::RightButton) {
        center = pixelToPlane(pos.x(), pos.y());
        update();
        zoom *= 0.5;
        update();
    }
}

void ZChart::mouseMoveEvent(QMouseEvent *event)
{
    QWidget::mouseMoveEvent(event);
    const QPoint pos = event->position().toPoint();
    const QPointF p = pixelToPlane(pos.x(), pos.y());
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
    zoom /= std::pow(1.125, d / 15.0);
    update();
}

void ZChart::paintEvent(QPaintEvent *)
{
    const int w = width();
    const int h = height();
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 1.0, Qt::SolidLine));

    // One value per pixel, column by column. The pixels go into an image
    // that is drawn once, which gives the same picture as a point per pixel.
    if (w > 0 && h > 0) {
        QImage map(w, h, QImage::Format_RGB32);
        QRgb *bits = reinterpret_cast<QRgb *>(map.bits());
        const qsizetype stride = map.bytesPerLine() / qsizetype(sizeof(QRgb));
        for (int px = 0; px < w; ++px) {
            QRgb *pixel = bits + px;
            for (int py = 0; py < h; ++py, pixel += stride) {
                const QPointF p = pixelToPlane(px, py);
                double v = 0.0;
                emit getZValue(p.x(), p.y(), v);
                *pixel = legend ? legend->getRgb(v) : qRgb(0, 0, 0);
            }
        }
        painter.drawImage(0, 0, map);
    }

    painter.setPen(Qt::black);
    const QPointF m = planeToPixel(marker);
    int mx = 0;
    int my = 0;
    if (pixelLine(m.y(), h, my))
        painter.drawLine(0, my, w - 1, my);
    if (pixelLine(m.x(), w, mx))
        painter.drawLine(mx, 0, mx, h - 1);

    painter.setPen(Qt::blue);
    QVector<QPointF> visible;
    for (const QPointF &r : std::as_const(refPoints)) {
        const QPointF q = planeToPixel(r);
        if (q.x() > -2.0 && q.x() < w + 2.0 && q.y() > -2.0 && q.y() < h + 2.0)
            visible.append(q);
    }
    if (!visible.isEmpty())
        painter.drawPoints(visible.constData(), int(visible.size()));

    painter.setFont(font());
    const QPointF a = pixelToPlane(0, 0);
    const QPointF b = pixelToPlane(w - 1, h - 1);
    const QString lines[3] = {
        QStringLiteral("center: (%1, %2)").arg(center.x()).arg(center.y()),
        QStringLiteral("span: (%1, %2)").arg(b.x() - a.x()).arg(a.y() - b.y()),
        QStringLiteral("zoom: %1").arg(zoom)};
    // A light, translucent panel behind the text keeps it readable over the
    // dark end of the scale and the dark grey beyond it.
    const QFontMetrics metrics(font());
    int textWidth = 0;
    for (const QString &line : lines)
        textWidth = std::max(textWidth, metrics.horizontalAdvance(line));
    painter.fillRect(QRect(7, 14 - metrics.ascent() - 2, textWidth + 6,
                           28 + metrics.ascent() + metrics.descent() + 4),
                     QColor(255, 255, 255, 160));
    painter.setPen(Qt::black);
    for (int i = 0; i < 3; ++i)
        painter.drawText(QPointF(10, 14 + 14 * i), lines[i]);
}
