#include "lcnet.h"

namespace LCNet {

int Calculator::bruteForceSearch()
{
    return 131072;
}

int Calculator::smartTuneSearch()
{
    return 1;
}

bool Calculator::mismatchSearch(double targetSWR, Impedance *result)
{
    Q_UNUSED(targetSWR);
    *result = loadImpedance;
    return false;
}

} // namespace LCNet
