// The 256 x 256 SWR matrix over the capacitor and inductor steps, painted
// as coloured cells in scene units of pF (x) and 0.01 uH (y).
#ifndef LCMATRIXITEM_H
#define LCMATRIXITEM_H

#include <QGraphicsItem>

class LegendWidget;

class LCMatrixItem : public QGraphicsItem
{
public:
    static constexpr int Steps = 256;

    LCMatrixItem();

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
               QWidget *widget = nullptr) override;

    // The step (1, 2, 3, 5 or 10) that paint() uses at a level of detail.
    static int stepForLevelOfDetail(double levelOfDetail);

    double matrix[Steps][Steps];    // SWR, indexed [C step][L step]
    double currentC = -1.0;         // pF of the main setting when filled
    double currentL = -1.0;         // uH of the main setting when filled
    LegendWidget *legend = nullptr; // not owned
};

#endif
