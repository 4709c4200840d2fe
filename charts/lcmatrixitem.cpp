#include "lcmatrixitem.h"

#include "legendwidget.h"

#include <QPainter>
#include <QStyleOptionGraphicsItem>

#include <algorithm>
#include <cmath>
#include <new>

namespace
{
// Mean steps of the standard banks (3961 pF and 24.86 uH over 255 steps),
// for which the level-of-detail table was chosen.
constexpr double StandardCStep = 3961.0 / 255.0;
constexpr double StandardLStep = 24.86 / 255.0;
// Cell outlines only where a cell is at least this many pixels on a side.
constexpr double OutlinePixels = 12.0;

bool usable(const std::vector<double> &t)
{
    if (t.size() < 2 || t.size() > size_t(LCMatrixItem::MaxSteps))
        return false;
    for (size_t i = 0; i < t.size(); ++i)
        if (!std::isfinite(t[i]) || (i > 0 && !(t[i] > t[i - 1])))
            return false;
    return true;
}

double smallestStep(const std::vector<double> &t)
{
    double smallest = t[1] - t[0];
    for (size_t i = 2; i < t.size(); ++i)
        smallest = std::min(smallest, t[i] - t[i - 1]);
    return smallest;
}

// The cells ending at multiples of s that can reach [lo, hi] (a cell spans
// steps i - s .. i, so it needs t[i] >= lo and t[i - s] <= hi), with one
// more on each side against rounding of the scene coordinates; paint()
// tests each cell's corners exactly. visible counts the steps in [lo, hi].
void cellRange(const std::vector<double> &t, double lo, double hi, int s, long &first, long &last,
               long &visible)
{
    const long n = long(t.size());
    const long below = std::lower_bound(t.begin(), t.end(), lo) - t.begin();
    const long above = std::upper_bound(t.begin(), t.end(), hi) - t.begin() - 1;
    visible = std::max(0L, above - below + 1);
    first = std::max(long(s), ((below + s - 1) / s - 1) * s);
    last = std::min(n - 1, ((above + s) / s + 1) * s);
}
} // namespace

LCMatrixItem::LCMatrixItem()
{
    setZValue(-100.0);
    // The exposed rectangle lets paint() skip the cells out of view.
    setFlag(QGraphicsItem::ItemUsesExtendedStyleOption);
}

bool LCMatrixItem::setSteps(std::vector<double> inductorUH, std::vector<double> capacitorPF)
{
    if (!usable(inductorUH) || !usable(capacitorPF))
        return false;
    prepareGeometryChange();
    // The old matrix goes first, so that two never live at once (4096 x
    // 4096 doubles are 134 MB).
    std::vector<double>().swap(swr);
    lTable.clear();
    cTable.clear();
    try {
        swr.assign(inductorUH.size() * capacitorPF.size(), 0.0);
    } catch (const std::bad_alloc &) {
        return false;
    }
    lTable = std::move(inductorUH);
    cTable = std::move(capacitorPF);
    lMeanStep = (lTable.back() - lTable.front()) / double(lTable.size() - 1);
    cMeanStep = (cTable.back() - cTable.front()) / double(cTable.size() - 1);
    lSmallestStep = smallestStep(lTable);
    cSmallestStep = smallestStep(cTable);
    return true;
}

QRectF LCMatrixItem::boundingRect() const
{
    if (lTable.empty() || cTable.empty())
        return QRectF();
    return QRectF(QPointF(cTable.front(), 100.0 * lTable.front()),
                  QPointF(cTable.back(), 100.0 * lTable.back()));
}

int LCMatrixItem::stepForLevelOfDetail(double levelOfDetail)
{
    if (levelOfDetail < 0.05)
        return 10;
    if (levelOfDetail < 0.1)
        return 5;
    if (levelOfDetail < 0.3)
        return 3;
    if (levelOfDetail < 0.5)
        return 2;
    return 1;
}

int LCMatrixItem::cellSpan(double levelOfDetail, double meanStep, double referenceStep,
                           long visibleSteps)
{
    // Other banks scale the level of detail by their mean step, so that
    // cells keep about the size on screen that the table gives the standard
    // banks (whose ratio is exactly 1). However many steps a bank has, no
    // more than about 256 cells cross the exposed part of it.
    const int s = stepForLevelOfDetail(levelOfDetail * (meanStep / referenceStep));
    return int(std::max<long>(s, (visibleSteps + 255) / 256));
}

void LCMatrixItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *)
{
    if (lTable.size() < 2 || cTable.size() < 2)
        return;
    const double lod =
        QStyleOptionGraphicsItem::levelOfDetailFromTransform(painter->worldTransform());
    const QRectF exposed = option->exposedRect;
    long ciFirst = 0, ciLast = 0, ciVisible = 0;
    long liFirst = 0, liLast = 0, liVisible = 0;
    cellRange(cTable, exposed.left(), exposed.right(), 1, ciFirst, ciLast, ciVisible);
    cellRange(lTable, exposed.top() / 100.0, exposed.bottom() / 100.0, 1, liFirst, liLast,
              liVisible);
    const int sc = cellSpan(lod, cMeanStep, StandardCStep, ciVisible);
    const int sl = cellSpan(lod, lMeanStep, StandardLStep, liVisible);
    cellRange(cTable, exposed.left(), exposed.right(), sc, ciFirst, ciLast, ciVisible);
    cellRange(lTable, exposed.top() / 100.0, exposed.bottom() / 100.0, sl, liFirst, liLast,
              liVisible);

    // Cells meet edge to edge without seams: each edge goes to the nearest
    // device pixel, the same for both cells that share it, and is drawn
    // there without antialiasing. A faint outline separates the cells only
    // where they are large enough to read.
    painter->setRenderHint(QPainter::Antialiasing, false);
    const QTransform world = painter->worldTransform();
    const QTransform device = painter->deviceTransform();
    const bool snap = world.type() <= QTransform::TxScale && world.m11() > 0 && world.m22() > 0;
    // What lies between the world and the device (the device pixel ratio,
    // the widget's place in its window) is undone, so that coordinates are
    // device pixels.
    if (snap)
        painter->setWorldTransform((world.inverted() * device).inverted());
    const auto edge = [](double scale, double shift, double v) {
        return std::clamp(std::round(scale * v + shift), -1e7, 1e7);
    };
    const double cellPixels = std::min(cSmallestStep * sc, 100.0 * lSmallestStep * sl) * lod;
    if (cellPixels >= OutlinePixels)
        painter->setPen(QPen(QColor(0, 0, 0, 40), 0));
    else
        painter->setPen(Qt::NoPen);

    // Each cell spans from step i - s to step i and takes the colour of its
    // upper corner, so step 0 never colours a cell. It is drawn when one of
    // its corners lies in the exposed rectangle.
    QRgb lastColour = 0;
    bool haveBrush = false;
    for (long ci = ciFirst; ci <= ciLast; ci += sc) {
        const double x0 = cTable[ci - sc];
        const double x1 = cTable[ci];
        for (long li = liFirst; li <= liLast; li += sl) {
            const double y0 = 100.0 * lTable[li - sl];
            const double y1 = 100.0 * lTable[li];
            if (!exposed.contains(x0, y0) && !exposed.contains(x1, y1) &&
                !exposed.contains(x0, y1) && !exposed.contains(x1, y0))
                continue;
            QRgb colour;
            if (currentC == x1 && currentL == lTable[li])
                colour = qRgb(255, 0, 255);
            else if (legend)
                colour = legend->getRgb(at(int(ci), int(li)));
            else
                colour = qRgb(0, 0, 0);
            if (!haveBrush || colour != lastColour) {
                painter->setBrush(QColor::fromRgb(colour));
                lastColour = colour;
                haveBrush = true;
            }
            if (snap) {
                const double left = edge(device.m11(), device.dx(), x0);
                const double top = edge(device.m22(), device.dy(), y0);
                painter->drawRect(QRectF(left, top, edge(device.m11(), device.dx(), x1) - left,
                                         edge(device.m22(), device.dy(), y1) - top));
            } else {
                painter->drawRect(QRectF(x0, y0, x1 - x0, y1 - y0));
            }
        }
    }
}
