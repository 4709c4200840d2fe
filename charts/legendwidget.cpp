#include "legendwidget.h"

#include <QCoreApplication>
#include <QInputDialog>
#include <QPainter>
#include <QToolButton>

#include <algorithm>
#include <array>

QColor colorForValue(double value, double minValue, double maxValue)
{
    return QColor::fromRgb(Vorlap::rgbForValue(value, minValue, maxValue));
}

namespace
{
// Labels start a little right of the ticks (31 .. 34) so that they never
// touch them.
constexpr int LabelX = 37;

// The five label texts, top to bottom. The middle three are fractions of the
// span, which read as the quarter points while the minimum is 0.
std::array<QString, 5> labelTexts(double minValue, double maxValue)
{
    const double span = maxValue - minValue;
    return {QString::number(minValue, 'g', 6), QString::number(span * 0.25, 'g', 6),
            QString::number(span * 0.5, 'g', 6), QString::number(span * 3 * 0.25, 'g', 6),
            QString::number(maxValue, 'g', 6)};
}
} // namespace

LegendWidget::LegendWidget(QWidget *parent) : QWidget(parent) {}

QColor LegendWidget::getColor(double value) const
{
    return colorForValue(value, minVal, maxVal);
}

void LegendWidget::setRange(double minValue, double maxValue)
{
    minVal = minValue;
    maxVal = maxValue;
    updateGeometry();
    update();
}

QSize LegendWidget::sizeHint() const
{
    const QFontMetrics metrics(font());
    int widest = 0;
    for (const QString &text : labelTexts(minVal, maxVal))
        widest = std::max(widest, metrics.horizontalAdvance(text));
    return QSize(LabelX + widest, 100);
}

QSize LegendWidget::minimumSizeHint() const
{
    return QSize(sizeHint().width(), 0);
}

void LegendWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setFont(font());
    const int h = height();
    const int s = QFontMetrics(font()).height() / 2 - 1;

    // The bar always spans the pixel range, whatever the numeric range.
    for (int y = s; y <= h - s; ++y) {
        painter.setPen(colorForValue(y, 0, h));
        painter.drawLine(1, y, 30, y);
    }
    // Frame, ticks and labels keep the pen of the last gradient line.
    painter.drawRect(QRect(0, s - 1, 30, h - 2 * s + 2));
    const int ticks[5] = {s, h / 4, h / 2, 3 * h / 4, h - s};
    for (int y : ticks)
        painter.drawLine(31, y, 34, y);
    // Each baseline lies s below its tick, kept a pixel inside the widget so
    // that neither the top nor the bottom label is cut off.
    const QFontMetrics metrics(font());
    const int baselines[5] = {2 * s, h / 4 + s, h / 2 + s, 3 * h / 4 + s, h};
    const auto texts = labelTexts(minVal, maxVal);
    for (int i = 0; i < 5; ++i) {
        const int y =
            std::max(metrics.ascent() + 1, std::min(baselines[i], h - metrics.descent() - 1));
        painter.drawText(QPointF(LabelX, y), texts[i]);
    }
}

bool Vorlap::promptLegendMaximum(QWidget *parent, LegendWidget *legend)
{
    if (!legend)
        return false;
    bool ok = false;
    const QString text = QInputDialog::getText(
        parent, QCoreApplication::translate("LegendWidget", "Set new legend SWR maximum"),
        QCoreApplication::translate("LegendWidget", "Max SWR:"), QLineEdit::Normal,
        QString::number(legend->maxValue(), 'g', 6), &ok);
    if (!ok || text.isEmpty())
        return false;
    // Not a number reads as 0: an empty range, shown all grey until mended.
    legend->setRange(legend->minValue(), text.toDouble());
    return true;
}

void Vorlap::connectQuickRanges(QWidget *dialog, LegendWidget *legend, double defaultMaximum,
                                std::function<void()> repaint)
{
    const std::pair<const char *, double> ranges[] = {{"btnRange3", 3.0},
                                                      {"btnRange10", 10.0},
                                                      {"btnRange100", 100.0},
                                                      {"btnRangeDefault", defaultMaximum}};
    for (const auto &[name, maximum] : ranges) {
        auto *button = dialog->findChild<QToolButton *>(QLatin1String(name));
        if (!button)
            continue;
        const double value = maximum;
        QObject::connect(button, &QToolButton::clicked, dialog, [legend, value, repaint] {
            legend->setRange(legend->minValue(), value);
            repaint();
        });
    }
}
