// The view of the L/C matrix: grey strips left of and above the matrix, the
// marker cross of the main setting, axes at the banks' steps in the margins,
// centring and zooming with the mouse.
#ifndef LCVIEW_H
#define LCVIEW_H

#include <QGraphicsView>

#include <vector>

class ChartAxis;

class LCView : public QGraphicsView
{
    Q_OBJECT

public:
    explicit LCView(QWidget *parent = nullptr);

    double markerX = 0.0; // pF
    double markerY = 0.0; // 100 x uH

    // The banks' steps for the axes (L in uH, C in pF); not owned.
    void setSteps(const std::vector<double> *inductorUH, const std::vector<double> *capacitorPF);

    // Shows the scene rectangle, keeping the aspect ratio; a later resize
    // fits it again, until the user zooms or pans.
    void showSceneRect(const QRectF &rect);
    void setOpeningRect(const QRectF &rect) { opening = rect; }
    void resetView() { showSceneRect(opening); }
    QRectF visibleSceneRect() const;

signals:
    void reportValues(double valC, double valL);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void drawBackground(QPainter *painter, const QRectF &rect) override;
    void drawForeground(QPainter *painter, const QRectF &rect) override;

private:
    void zoomBy(double factor);
    void userMoved();
    void placeAxes();

    ChartAxis *axisC;
    ChartAxis *axisL;
    QRectF opening;
    QRectF wanted; // what the user last chose to see
    QSize lastViewport;
    QTransform painted; // the mapping the axes last followed
};

#endif
