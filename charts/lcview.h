// The view of the L/C matrix: grey strips left of and above the matrix, the
// marker cross of the main setting, centring and zooming with the mouse.
#ifndef LCVIEW_H
#define LCVIEW_H

#include <QGraphicsView>

class LCView : public QGraphicsView
{
    Q_OBJECT

public:
    explicit LCView(QWidget *parent = nullptr);

    double markerX = 0.0; // pF
    double markerY = 0.0; // 100 x uH

signals:
    void reportValues(double valC, double valL);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void drawBackground(QPainter *painter, const QRectF &rect) override;
    void drawForeground(QPainter *painter, const QRectF &rect) override;

private:
    void zoomBy(double factor);
};

#endif
