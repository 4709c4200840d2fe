#include "lcview.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

LCView::LCView(QWidget *parent) : QGraphicsView(parent)
{
    viewport()->setCursor(Qt::CrossCursor);
}

void LCView::zoomBy(double factor)
{
    // A step that would leave no usable mapping between view and scene
    // (infinite, NaN, or collapsed to nothing) is ignored.
    const QTransform t = transform() * QTransform::fromScale(factor, factor);
    const double m11 = t.m11();
    const double m22 = t.m22();
    if (!std::isfinite(m11) || !std::isfinite(m22) || !t.isInvertible())
        return;
    const QTransform inverse = t.inverted();
    if (!std::isfinite(inverse.m11()) || !std::isfinite(inverse.m22()))
        return;
    scale(factor, factor);
}

void LCView::mousePressEvent(QMouseEvent *event)
{
    // Plain widget handling: no drag, rubber band or item interaction.
    QWidget::mousePressEvent(event);
    const QPointF scenePos = mapToScene(event->position().toPoint());
    if (event->button() == Qt::LeftButton) {
        centerOn(scenePos);
    } else if (event->button() == Qt::RightButton) {
        centerOn(scenePos);
        zoomBy(2.0);
    }
}

void LCView::mouseMoveEvent(QMouseEvent *event)
{
    QWidget::mouseMoveEvent(event);
    const QPointF scenePos = mapToScene(event->position().toPoint());
    emit reportValues(scenePos.x(), scenePos.y());
}

void LCView::wheelEvent(QWheelEvent *event)
{
    QGraphicsView::wheelEvent(event);
    const QPoint delta = event->angleDelta();
    if (std::abs(qint64(delta.x())) > std::abs(qint64(delta.y())))
        return;
    // 120 per notch: one notch zooms by 1.125.
    const int d = delta.y() / 8;
    zoomBy(std::pow(1.125, d / 15.0));
}

void LCView::drawBackground(QPainter *painter, const QRectF &rect)
{
    QGraphicsView::drawBackground(painter, rect);
    if (rect.left() < 0)
        painter->fillRect(QRectF(rect.left(), rect.top(), std::fabs(rect.left()), rect.height()),
                          QBrush(Qt::gray));
    if (rect.top() < 0)
        painter->fillRect(QRectF(rect.left(), rect.top(), rect.width(), std::fabs(rect.top())),
                          QBrush(Qt::gray));
}

namespace
{
// Truncation toward zero into the int that QPainter takes. Beyond +-2e9
// (up to infinity, and NaN) a coordinate is clamped, which at any usable
// zoom lies far outside the exposed area, instead of overflowing the int.
int sceneCoord(double v)
{
    if (!(v > -2e9))
        return -2000000000;
    if (v > 2e9)
        return 2000000000;
    return static_cast<int>(v);
}
} // namespace

void LCView::drawForeground(QPainter *painter, const QRectF &rect)
{
    QGraphicsView::drawForeground(painter, rect);
    const double left = rect.left();
    const double top = rect.top();
    const double right = left + rect.width();
    const double bottom = top + rect.height();
    const bool xInView = markerX >= left && markerX <= right;
    const bool yInView = markerY >= top && markerY <= bottom;
    if (!xInView && !yInView)
        return;
    painter->setPen(QPen(QBrush(Qt::blue), 0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    const int x = sceneCoord(markerX);
    const int y = sceneCoord(markerY);
    painter->drawLine(x, sceneCoord(top), x, sceneCoord(bottom));
    painter->drawLine(sceneCoord(left), y, sceneCoord(right), y);
}
