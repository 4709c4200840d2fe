// The SWR matrix over the capacitor and inductor steps, painted as coloured
// cells in scene units of pF (x) and 0.01 uH (y). The steps come from the
// banks, up to 4096 on each.
#ifndef LCMATRIXITEM_H
#define LCMATRIXITEM_H

#include <QGraphicsItem>

#include <vector>

class LegendWidget;

class LCMatrixItem : public QGraphicsItem
{
public:
    static constexpr int MaxSteps = 4096;

    LCMatrixItem();

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
               QWidget *widget = nullptr) override;

    // The steps of both banks, L in uH and C in pF: each finite, strictly
    // increasing, 2 .. MaxSteps entries. Anything else is refused (false)
    // and nothing changes. Every SWR value starts at 0. When the matrix
    // cannot be allocated the item is left without steps (false).
    bool setSteps(std::vector<double> inductorUH, std::vector<double> capacitorPF);
    const std::vector<double> &lSteps() const { return lTable; }
    const std::vector<double> &cSteps() const { return cTable; }
    int lCount() const { return int(lTable.size()); }
    int cCount() const { return int(cTable.size()); }

    // The SWR of C step ci with L step li; values() holds them C step by
    // C step: values()[ci * lCount() + li].
    double &at(int ci, int li) { return swr[size_t(ci) * lTable.size() + size_t(li)]; }
    double at(int ci, int li) const { return swr[size_t(ci) * lTable.size() + size_t(li)]; }
    double *values() { return swr.data(); }

    // The steps (1, 2, 3, 5 or 10) that a cell spans at a level of detail,
    // for the standard banks.
    static int stepForLevelOfDetail(double levelOfDetail);
    // The steps that a cell spans along a bank whose mean step is meanStep
    // (the standard bank's: referenceStep) when visibleSteps of its steps
    // are exposed.
    static int cellSpan(double levelOfDetail, double meanStep, double referenceStep,
                        long visibleSteps);

    double currentC = -1.0;         // pF of the main setting when filled
    double currentL = -1.0;         // uH of the main setting when filled
    LegendWidget *legend = nullptr; // not owned

private:
    std::vector<double> lTable;
    std::vector<double> cTable;
    std::vector<double> swr;
    double lMeanStep = 0.0;
    double cMeanStep = 0.0;
    double lSmallestStep = 0.0;
    double cSmallestStep = 0.0;
};

#endif
