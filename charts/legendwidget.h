// The SWR colour scale and the legend bar that shows it beside each chart.
#ifndef LEGENDWIDGET_H
#define LEGENDWIDGET_H

#include <QColor>
#include <QWidget>

#include <cmath>
#include <functional>

namespace Vorlap
{
// The scale as a packed RGB value; colorForValue() is the same scale as a
// QColor. Inline because the charts call it once per cell or pixel.
inline QRgb rgbForValue(double value, double minValue, double maxValue)
{
    constexpr QRgb lightGrey = 0xffc0c0c0u;
    if (!(maxValue > minValue))
        return lightGrey;
    // std::round takes halves away from zero. An index that is no 32-bit
    // int (NaN, infinities, overflow) counts as below the scale, so a total
    // reflection (infinite SWR) is light grey, not dark grey.
    const double t = std::round((value - minValue) / (maxValue - minValue) * 1023.0);
    if (!(t >= 0.0) || t > 2147483647.0)
        return lightGrey;
    if (t > 1023.0)
        return 0xff505050u;
    const int e = static_cast<int>(t);
    if (e < 256)
        return qRgb(0, 255, 255 - e);
    if (e < 512)
        return qRgb(e - 256, 255, 0);
    if (e < 768)
        return qRgb(255, 767 - e, 0);
    return qRgb(1023 - e, 0, 0);
}
} // namespace Vorlap

// Cyan at the minimum, through green, yellow and red to black at the
// maximum; light grey below the scale, for NaN and for an empty range; dark
// grey above it.
QColor colorForValue(double value, double minValue, double maxValue);

class LegendWidget : public QWidget
{
public:
    explicit LegendWidget(QWidget *parent = nullptr);

    QColor getColor(double value) const;
    QRgb getRgb(double value) const { return Vorlap::rgbForValue(value, minVal, maxVal); }
    void setRange(double minValue, double maxValue);
    double minValue() const { return minVal; }
    double maxValue() const { return maxVal; }

    QSize sizeHint() const override;
    // Never narrower than the labels, so that a crowded layout cannot clip
    // them.
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double minVal = 0.0;
    double maxVal = 0.0;
};

namespace Vorlap
{
// Asks for a new maximum of the legend's range (the minimum is kept). Returns
// true when the range was set, so that the caller repaints its chart.
bool promptLegendMaximum(QWidget *parent, LegendWidget *legend);

// Wires the dialog's quick range buttons (btnRange3, btnRange10, btnRange100,
// btnRangeDefault): each sets the maximum as the prompt would, then calls
// repaint.
void connectQuickRanges(QWidget *dialog, LegendWidget *legend, double defaultMaximum,
                        std::function<void()> repaint);
} // namespace Vorlap

#endif
