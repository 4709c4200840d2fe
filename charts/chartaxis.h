// An axis in the margin beside a chart's plot area: ticks and labels that
// follow the plot's present mapping, so that they move with zoom and pan.
#ifndef CHARTAXIS_H
#define CHARTAXIS_H

#include <QVector>
#include <QWidget>

#include <functional>
#include <vector>

struct AxisTick {
    double value = 0.0; // in the axis unit
    double pos = 0.0;   // plot pixel along the axis, in the plot's coordinates
    QString label;      // empty for a minor tick
};

class ChartAxis : public QWidget
{
    Q_OBJECT

public:
    // Bottom: ticks along the plot's lower edge, values growing to the right.
    // Left: ticks along its left edge.
    enum Edge { Bottom, Left };
    using Mapping = std::function<double(double)>;

    ChartAxis(Edge edge, QWidget *plot, QWidget *parent = nullptr);

    void setTitle(const QString &title);
    // The plot's mapping along this axis: value to plot pixel and back.
    void setMapping(Mapping toPixel, Mapping toValue);
    // Ticks only at these values (a bank's steps, increasing) instead of at
    // round numbers. Not owned; null for round numbers.
    void setSteps(const std::vector<double> *steps);

    // The ticks for the plot's present mapping and size.
    QVector<AxisTick> ticks() const;
    // The width (Left) or height (Bottom) that the labels need at present.
    int neededExtent() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QVector<AxisTick> roundTicks(double lo, double hi) const;
    QVector<AxisTick> stepTicks(double lo, double hi) const;
    double plotOffset() const;
    int plotLength() const;

    Edge edge;
    QWidget *plot;
    QString title;
    Mapping toPixel;
    Mapping toValue;
    const std::vector<double> *steps = nullptr;
    mutable int extent = 0; // grows only, so that the layout settles
};

#endif
