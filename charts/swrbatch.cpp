#include "swrbatch.h"

#include "lcnet.h"

#include <memory>

void Vorlap::swrOfLoads(const LCNet::Calculator &calc, const double *r, const double *x, int count,
                        double *swr)
{
    if (count <= 0)
        return;
    const std::unique_ptr<LCNet::Calculator> copy(calc.clone());
    for (int i = 0; i < count; ++i) {
        copy->setLoadImpedance(LCNet::Impedance(r[i], x[i]));
        swr[i] = copy->currentSWR();
    }
}
