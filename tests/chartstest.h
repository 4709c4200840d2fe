// Helpers shared by the chart tests: SWR figures computed here, apart from
// the charts, and a wheel turn.
#ifndef CHARTSTEST_H
#define CHARTSTEST_H

#include "lcnet.h"

#include <QApplication>
#include <QWheelEvent>

// The SWR of the calculator's setting with another load (ohm).
inline double swrOf(const LCNet::Calculator &c, double r, double x)
{
    return LCNet::computeSWR(LCNet::Z0, LCNet::networkInput(c.netType, 1000.0 * c.frequency,
                                                            1e-6 * c.inductance,
                                                            1e-12 * c.capacitance, {r, x}));
}

// The SWR of the calculator's load at another L (uH) and C (pF).
inline double swrAt(const LCNet::Calculator &c, double pF, double uH)
{
    return LCNet::computeSWR(LCNet::Z0,
                             LCNet::networkInput(c.netType, 1000.0 * c.frequency, 1e-6 * uH,
                                                 1e-12 * pF, c.loadImpedance));
}

inline void wheel(QWidget *w, int deltaY)
{
    QWheelEvent event(QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, deltaY),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &event);
}

#endif // CHARTSTEST_H
