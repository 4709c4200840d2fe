#include "lanes.h"
#include "lcnet.h"

#include <cmath>

namespace LCNet
{

namespace
{

constexpr int Steps = TableSize;

// ω·L and -1/(ω·C) of every bank step, computed as inductorImpedance and
// capacitorImpedance compute them.
struct BankReactances {
    double xl[Steps];
    double xc[Steps];

    explicit BankReactances(double f)
    {
        for (int i = 0; i < Steps; ++i) {
            xl[i] = inductorImpedance(f, 1e-6 * LTable[i]).X;
            xc[i] = capacitorImpedance(f, 1e-12 * CTable[i]).X;
        }
    }
};

// One configuration's pass of Brute Force over the whole grid.
template <bool Trx>
void bruteForcePass(Calculator &calc, const Impedance &load, const BankReactances &bank,
                    double lowSWR, int firstIteration, double &best, int &bestL, int &bestC,
                    bool &bestIsTrx)
{
    double swr[Steps];
    int iteration = firstIteration;
    const Calculator::NetType type = Trx ? Calculator::CTrx : Calculator::CAntenna;
    for (int i = 0; i < Steps; ++i) {
        lanes::swrOfCapacitors<Trx>(load, bank.xl[i], bank.xc, swr);
        for (int j = 0; j < Steps; ++j) {
            ++iteration;
            const double s = swr[j];
            if (s < lowSWR)
                emit calc.foundMatch(type, LTable[i], CTable[j],
                                     lanes::zIn<Trx>(bank.xl[i], bank.xc[j], load), s, iteration);
            if (s < best) {
                calc.inductance = LTable[i];
                calc.capacitance = CTable[j];
                emit calc.dataChanged(&calc);
                best = s;
                bestL = i;
                bestC = j;
                bestIsTrx = Trx;
            }
        }
    }
}

// The mismatched-load walk, ring by ring, with the progress report and the
// receiver's abort after each ring.
template <bool Trx>
bool walkRings(Calculator &calc, double r0, double x0, double step, int rings, double xl, double xc,
               double target, double epsilon, Impedance &result)
{
    bool abort = false;
    for (int k = 1; k < rings; ++k) {
        switch (lanes::walkRing<Trx>(r0, x0, step, k, xl, xc, target, epsilon, result)) {
        case lanes::Ring::Hit:
            return true;
        case lanes::Ring::Stuck:
            return false;
        case lanes::Ring::Clear:
            break;
        }
        emit calc.progressMismatch(k, rings, abort);
        if (abort)
            return false;
    }
    return false;
}

} // namespace

int Calculator::bruteForceSearch()
{
    const Impedance load = loadImpedance;
    const double low = lowSWR;
    const BankReactances bank(1000.0 * frequency);
    double best = Infinity;
    int bestL = -1;
    int bestC = -1;
    bool bestIsTrx = false;
    bruteForcePass<false>(*this, load, bank, low, 0, best, bestL, bestC, bestIsTrx);
    bruteForcePass<true>(*this, load, bank, low, Steps * Steps, best, bestL, bestC, bestIsTrx);
    if (bestL >= 0) {
        netType = bestIsTrx ? CTrx : CAntenna;
        inductance = LTable[bestL];
        capacitance = CTable[bestC];
        emit dataChanged(this);
    }
    return 2 * Steps * Steps;
}

int Calculator::smartTuneSearch()
{
    const Impedance load = loadImpedance;
    const double low = lowSWR;
    const BankReactances bank(1000.0 * frequency);
    auto zInAt = [&](NetType type, int i, int j) {
        return type != CAntenna ? lanes::zIn<true>(bank.xl[i], bank.xc[j], load)
                                : lanes::zIn<false>(bank.xl[i], bank.xc[j], load);
    };
    auto swrAt = [&](NetType type, int i, int j) { return computeSWR(Z0, zInAt(type, i, j)); };

    NetType type = CAntenna;
    int i = 0;
    int j = 0;
    int count = 0;
    double best = Infinity;
    for (;;) {
        ++count;
        const Impedance zIn = zInAt(type, i, j);
        const double s = computeSWR(Z0, zIn);
        if (s < best) {
            netType = type;
            inductance = LTable[i];
            capacitance = CTable[j];
            emit dataChanged(this);
            if (s < low) {
                emit foundMatch(type, LTable[i], CTable[j], zIn, s, count);
                return count;
            }
            best = s;
        }
        if (i == Steps - 1) {
            if (type == CTrx)
                return count;
            type = CTrx;
            i = 0;
            j = 0;
            continue;
        }
        // At the ends of the bank the probe is the step itself and cannot win.
        if (j < Steps - 1 && swrAt(type, i, j + 1) < s) {
            ++j;
            continue;
        }
        if (j > 0 && swrAt(type, i, j - 1) < s) {
            --j;
            continue;
        }
        ++i;
    }
}

bool Calculator::mismatchSearch(double targetSWR, Impedance *result)
{
    Impedance unused;
    Impedance &found = result ? *result : unused;
    found = loadImpedance;
    const int rings = numberOfRings;
    if (rings <= 1)
        return false;
    const double step = impedanceStep;
    const double r0 = loadImpedance.R;
    const double x0 = loadImpedance.X;
    // A step that cannot walk, or a centre that is not a point, finds nothing.
    if (!(step > 0.0) || !std::isfinite(step) || !std::isfinite(r0) || !std::isfinite(x0))
        return false;
    const double f = 1000.0 * frequency;
    const double xl = inductorImpedance(f, 1e-6 * inductance).X;
    const double xc = capacitorImpedance(f, 1e-12 * capacitance).X;
    const double epsilon = epsilonSWR;
    if (netType != CAntenna)
        return walkRings<true>(*this, r0, x0, step, rings, xl, xc, targetSWR, epsilon, found);
    return walkRings<false>(*this, r0, x0, step, rings, xl, xc, targetSWR, epsilon, found);
}

} // namespace LCNet
