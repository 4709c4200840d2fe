#include "swrbatch.h"

#include "lcnet.h"

void Vorlap::swrOfLoads(const LCNet::Calculator &calc, const double *r, const double *x, int count,
                        double *swr)
{
    if (count > 0)
        LCNet::swrOfLoads(calc, r, x, count, swr);
}
