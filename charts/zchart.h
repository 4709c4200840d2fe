// A colour map of any quantity over the R + jX plane. The widget computes
// nothing itself: it asks its owner for the value of every pixel through
// getZValue, which must be connected directly.
#ifndef ZCHART_H
#define ZCHART_H

#include <QPointF>
#include <QVector>
#include <QWidget>

class LegendWidget;

class ZChart : public QWidget
{
    Q_OBJECT

public:
    explicit ZChart(QWidget *parent = nullptr);

    // Set by the owner, which then calls update().
    QPointF marker;                 // R, X of the cross (ohm)
    QPointF center;                 // plane point at the centre pixel (ohm)
    double zoom = 0.1;              // ohm per pixel
    LegendWidget *legend = nullptr; // not owned; without one the map is black

    QPointF pixelToPlane(double px, double py) const;
    QPointF planeToPixel(const QPointF &point) const;

    // Stores, in ohm, every pixel of the present view whose value lies
    // within +-10 % of value; repeated calls accumulate.
    void addReferencePoints(double value);
    void clearReferencePoints();
    const QVector<QPointF> &referencePoints() const { return refPoints; }

    QSize sizeHint() const override;

signals:
    void getZValue(double valX, double valY, double &valZ);
    void reportValue(double valX, double valY);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QVector<QPointF> refPoints;
};

#endif
