// A colour map of any quantity over the load impedances R + jX, either on
// the plane itself or on a Smith chart (the unit disk of the reflection
// coefficient against 50 ohm). The widget computes nothing itself: it asks
// its owner for the value of every pixel through getZValue, which must be
// connected directly, or through a batch source that gives the same values.
#ifndef ZCHART_H
#define ZCHART_H

#include <QImage>
#include <QMargins>
#include <QPointF>
#include <QPolygonF>
#include <QVector>
#include <QWidget>

#include <functional>

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
    // The Smith view's own centre (a reflection coefficient) and
    // magnification (1: the whole disk fits the widget).
    QPointF smithCenter;
    double smithZoom = 1.0;
    static constexpr double MinSmithZoom = 0.25;
    static constexpr double MaxSmithZoom = 1e6;

    // Gives the values of count loads at once, each exactly what getZValue
    // gives for it. When set, the map, the reference search and valuesOf()
    // use it instead of the signal.
    using BatchSource =
        std::function<void(const double *r, const double *x, int count, double *values)>;
    void setBatchSource(BatchSource source) { batch = std::move(source); }
    void valuesOf(const double *r, const double *x, int count, double *values);

    bool isSmith() const { return smith; }
    void setSmith(bool on);

    QPointF pixelToPlane(double px, double py) const;
    QPointF planeToPixel(const QPointF &point) const;

    // Smith view: |gamma| = 1 lies smithZoom * smithRadius() pixels from the
    // pixel that shows smithCenter.
    double smithRadius() const;
    QPointF pixelToGamma(double px, double py) const;
    QPointF gammaToPixel(const QPointF &gamma) const;
    static QPointF gammaOf(const QPointF &load);
    static QPointF loadOf(const QPointF &gamma);

    // The load a pixel shows in the present view (outside the Smith disk its
    // R is negative or NaN), and back.
    QPointF pixelToLoad(double px, double py) const;
    QPointF loadToPixel(const QPointF &load) const;
    bool showsLoad(double px, double py) const;

    // The colour map alone, ceil(w * ratio) x ceil(h * ratio) pixels with that
    // device pixel ratio: pixel (qx, qy) has the colour of the point of the
    // logical position (qx / ratio, qy / ratio). Null when the image cannot
    // be allocated.
    QImage mapImage(qreal ratio);

    // Stores, in ohm, every pixel of the present view whose value lies
    // within +-10 % of value; repeated calls accumulate.
    void addReferencePoints(double value);
    void clearReferencePoints();
    const QVector<QPointF> &referencePoints() const { return refPoints; }

    QSize sizeHint() const override;

signals:
    void getZValue(double valX, double valY, double &valZ);
    void reportValue(double valX, double valY);
    // The mapping changed since the last paint (centre, zoom, size or view).
    void viewChanged();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // The Smith view's mapping, worked out once for many pixels.
    struct SmithMapping {
        explicit SmithMapping(const ZChart &chart);
        QPointF gamma(double px, double py) const;
        static bool inside(const QPointF &gamma);
        double cx, cy, unit;
        QPointF centre;
    };

    bool setPlaneZoom(double value);
    bool setSmithZoom(double value);
    void paintPlaneOverlay(QPainter &painter);
    void paintSmithOverlay(QPainter &painter);
    QVector<QPolygonF> smithCircle(const QPointF &centre, double radius, bool insideDisk) const;
    void paintStatus(QPainter &painter, const QStringList &lines);

    QVector<QPointF> refPoints;
    BatchSource batch;
    bool smith = false;
    // The plane the user chose to see, in ohm left of, above, right of and
    // below the centre; a resize fits it again (see resizeEvent).
    QMarginsF fitShown;
    double fitZoom = 0.0;
    QVector<double> painted; // the mapping of the last paint
};

#endif
