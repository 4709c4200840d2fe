// SWR of many loads at one tuner setting, for the charts' row-at-a-time
// painting.
#ifndef SWRBATCH_H
#define SWRBATCH_H

namespace LCNet
{
class Calculator;
}

namespace Vorlap
{
// swr[i] is exactly what the calculator's currentSWR() gives with the load
// r[i] + j x[i], for i below count; the calculator itself is not changed.
void swrOfLoads(const LCNet::Calculator &calc, const double *r, const double *x, int count,
                double *swr);
} // namespace Vorlap

#endif
