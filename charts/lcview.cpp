#include "lcview.h"

#include "chartaxis.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>

LCView::LCView(QWidget *parent) : QGraphicsView(parent)
{
    viewport()->setCursor(Qt::CrossCursor);
    axisC = new ChartAxis(ChartAxis::Bottom, viewport(), this);
    axisC->setObjectName(QStringLiteral("axisC"));
    axisC->setTitle(tr("C (pF)"));
    axisC->setMapping(
        [this](double c) { return viewportTransform().map(QPointF(c, 0)).x(); },
        [this](double p) { return viewportTransform().inverted().map(QPointF(p, 0)).x(); });
    axisL = new ChartAxis(ChartAxis::Left, viewport(), this);
    axisL->setObjectName(QStringLiteral("axisL"));
    axisL->setTitle(tr("L (uH)"));
    axisL->setMapping(
        [this](double l) { return viewportTransform().map(QPointF(0, 100.0 * l)).y(); },
        [this](double p) { return viewportTransform().inverted().map(QPointF(0, p)).y() / 100.0; });
    setViewportMargins(axisL->sizeHint().width(), 0, 0, axisC->sizeHint().height());

    // Scrolling by the bars or the keys is the user's choice of what to see,
    // too; the bars move after the action is reported. The view's own
    // adjustments (showing, resizing) are not.
    for (QScrollBar *bar : {horizontalScrollBar(), verticalScrollBar()})
        connect(bar, &QScrollBar::actionTriggered, this, &LCView::userMoved, Qt::QueuedConnection);
}

void LCView::setSteps(const std::vector<double> *inductorUH, const std::vector<double> *capacitorPF)
{
    axisC->setSteps(capacitorPF);
    axisL->setSteps(inductorUH);
    setViewportMargins(axisL->sizeHint().width(), 0, 0, axisC->sizeHint().height());
    placeAxes();
}

QRectF LCView::visibleSceneRect() const
{
    return mapToScene(viewport()->rect()).boundingRect();
}

void LCView::showSceneRect(const QRectF &rect)
{
    wanted = rect;
    fitInView(rect, Qt::KeepAspectRatio);
    axisC->update();
    axisL->update();
}

void LCView::userMoved()
{
    wanted = visibleSceneRect();
    axisC->update();
    axisL->update();
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
        userMoved();
    } else if (event->button() == Qt::RightButton) {
        centerOn(scenePos);
        zoomBy(2.0);
        userMoved();
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
    // The wheel zooms only; the view's own handling would also scroll.
    event->accept();
    const QPoint delta = event->angleDelta();
    if (std::abs(qint64(delta.x())) > std::abs(qint64(delta.y())))
        return;
    // 120 per notch: one notch zooms by 1.125.
    const int d = delta.y() / 8;
    zoomBy(std::pow(1.125, d / 15.0));
    userMoved();
}

void LCView::resizeEvent(QResizeEvent *event)
{
    // Comes with each new size of the viewport, the first one when shown.
    // Each shows again what the user chose to see, or the opening view.
    QGraphicsView::resizeEvent(event);
    placeAxes();
    const QSize now = viewport()->size();
    if (now == lastViewport)
        return;
    lastViewport = now;
    if (!now.isEmpty() && wanted.isValid()) {
        const QRectF keep = wanted;
        showSceneRect(keep);
    }
}

void LCView::placeAxes()
{
    const QRect port = viewport()->geometry();
    const int left = axisL->sizeHint().width();
    axisC->setGeometry(port.left(), port.bottom() + 1, port.width(), axisC->sizeHint().height());
    axisL->setGeometry(port.left() - left, port.top(), left, port.height());
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
    // The axes follow every change of the mapping, whatever made it.
    if (viewportTransform() != painted) {
        painted = viewportTransform();
        axisC->update();
        axisL->update();
    }
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
