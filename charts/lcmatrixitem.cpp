#include "lcmatrixitem.h"

#include "lcnet.h"
#include "legendwidget.h"

#include <QPainter>
#include <QStyleOptionGraphicsItem>

LCMatrixItem::LCMatrixItem() : matrix{}
{
    setZValue(-100.0);
    // The exposed rectangle lets paint() skip the cells out of view.
    setFlag(QGraphicsItem::ItemUsesExtendedStyleOption);
}

QRectF LCMatrixItem::boundingRect() const
{
    return QRectF(0, 0, LCNet::CTable[Steps - 1], 100.0 * LCNet::LTable[Steps - 1]);
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

void LCMatrixItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *)
{
    const int s = stepForLevelOfDetail(
        QStyleOptionGraphicsItem::levelOfDetailFromTransform(painter->worldTransform()));
    painter->setPen(QPen(QBrush(Qt::black), 1.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    const QRectF exposed = option->exposedRect;

    // Each cell spans from step i - s to step i and takes the colour of its
    // upper corner, so step 0 never colours a cell.
    QRgb lastColour = 0;
    bool haveBrush = false;
    for (int ci = s; ci < Steps; ci += s) {
        const double x0 = LCNet::CTable[ci - s];
        const double x1 = LCNet::CTable[ci];
        for (int li = s; li < Steps; li += s) {
            const double y0 = 100.0 * LCNet::LTable[li - s];
            const double y1 = 100.0 * LCNet::LTable[li];
            if (!exposed.contains(x0, y0) && !exposed.contains(x1, y1) &&
                !exposed.contains(x0, y1) && !exposed.contains(x1, y0))
                continue;
            QRgb colour;
            if (currentC == x1 && currentL == LCNet::LTable[li])
                colour = qRgb(255, 0, 255);
            else if (legend)
                colour = legend->getRgb(matrix[ci][li]);
            else
                colour = qRgb(0, 0, 0);
            if (!haveBrush || colour != lastColour) {
                painter->setBrush(QColor::fromRgb(colour));
                lastColour = colour;
                haveBrush = true;
            }
            painter->drawRect(QRect(int(x0), int(y0), int(x1 - x0), int(y1 - y0)));
        }
    }
}
