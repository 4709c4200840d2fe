// Curves over frequency with the amateur bands shaded: the band sweep's
// SWR and L/C plots. Drawn with QPainter in the palette's colours; the
// widget computes nothing, its owner hands it the values.
#ifndef SWEEPPLOT_H
#define SWEEPPLOT_H

#include <QColor>
#include <QVector>
#include <QWidget>

class SweepPlot : public QWidget
{
    Q_OBJECT

public:
    enum class Scale { Linear, Log };
    struct Axis {
        QString title; // empty: no axis (only for the right one)
        Scale scale = Scale::Linear;
        double min = 0.0;
        double max = 1.0;
    };
    struct Curve {
        QString name;
        QColor color;
        QVector<double> values; // one per frequency; NaN leaves a gap
        bool right = false;     // on the right axis
        qreal width = 1.5;
    };
    // A horizontal line on the left axis, such as a threshold.
    struct Line {
        QString name;
        QColor color;
        double value = 0.0;
    };
    // A strip along the bottom of the plot, coloured per point.
    struct Category {
        QString name;
        QColor color;
    };

    explicit SweepPlot(QWidget *parent = nullptr);

    void setData(const QVector<double> &frequenciesMHz, const QVector<Curve> &curves);
    void setAxes(const Axis &left);
    void setAxes(const Axis &left, const Axis &right);
    void setLines(const QVector<Line> &lines);
    void setCategories(const QVector<int> &perPoint, const QVector<Category> &categories);
    void clear();

    int pointCount() const { return int(mhz.size()); }
    int hoveredPoint() const { return hovered; }
    const QVector<Curve> &curves() const { return curveList; }
    QRectF plotArea() const;
    // Where a curve's point is drawn: values beyond the axis sit on its
    // edge; a gap gives false.
    bool position(int curve, int index, QPointF *at) const;
    // The point whose frequency lies nearest to a position in the plot
    // area; -1 outside it or without points.
    int pointAt(const QPointF &pos) const;

    // A first axis maximum at or above v: 1, 2 or 5 times a power of ten.
    static double niceCeiling(double v);

    QSize sizeHint() const override { return {640, 360}; }
    QSize minimumSizeHint() const override { return {260, 160}; }

signals:
    void pointHovered(int index); // -1 when the mouse leaves the points
    void pointClicked(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    double xOf(double frequencyMHz) const;
    // The pixel row of a value, clamped to the plot; NaN for a gap.
    double yOf(const Axis &axis, double value) const;
    void setHovered(int index);
    void drawAxes(QPainter &p, const QRectF &area) const;
    void drawLegend(QPainter &p, const QRectF &area) const;

    QVector<double> mhz;
    QVector<Curve> curveList;
    Axis leftAxis;
    Axis rightAxis;
    QVector<Line> lineList;
    QVector<int> categoryOf;
    QVector<Category> categoryList;
    double xMin = 0.0;
    double xMax = 1.0;
    int hovered = -1;
    QPointF pressedAt{-1.0, -1.0};
    // The plot area depends on the size, the font and the axes' labels;
    // every point's position needs it.
    mutable QRectF cachedArea;
    mutable QSize cachedSize;
};

#endif
