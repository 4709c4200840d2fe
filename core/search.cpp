#include "search.h"
#include "lanes.h"

#include <QSemaphore>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <vector>

namespace LCNet
{

void TuneObserver::matched(Calculator::NetType, int, int, const Impedance &, double, int) {}
void TuneObserver::improved(Calculator::NetType, int, int) {}

TuneProblem TuneProblem::of(const Calculator &calc)
{
    TuneProblem p;
    p.inductors = calc.inductorSteps();
    p.capacitors = calc.capacitorSteps();
    p.frequency = 1000.0 * calc.frequency;
    p.load = calc.loadImpedance;
    p.lowSWR = calc.lowSWR;
    p.components = calc.components;
    return p;
}

void parallelFor(int count, int grain, const std::function<void(int, int)> &body)
{
    grain = std::max(grain, 1);
    const int chunks = (count + grain - 1) / grain;
    const int threads = std::min(QThread::idealThreadCount(), chunks);
    if (threads < 2) {
        if (count > 0)
            body(0, count);
        return;
    }
    std::atomic<int> next{0};
    auto work = [&] {
        for (int begin; (begin = next.fetch_add(grain)) < count;)
            body(begin, std::min(begin + grain, count));
    };
    QSemaphore finished;
    int started = 0;
    for (int k = 1; k < threads; ++k) {
        if (!QThreadPool::globalInstance()->tryStart([&] {
                work();
                finished.release();
            }))
            break;
        ++started;
    }
    work();
    finished.acquire(started);
}

namespace
{

// Space for one value per step or row; the default banks' 256 steps and
// 512 rows stay on the stack, so that their searches allocate nothing.
class StepBuffer
{
public:
    explicit StepBuffer(int n)
        : heap(n > Local ? std::make_unique<double[]>(size_t(n)) : nullptr),
          p(heap ? heap.get() : local)
    {
    }
    double *data() { return p; }
    const double *data() const { return p; }
    double &operator[](int i) { return p[i]; }
    double operator[](int i) const { return p[i]; }

private:
    static constexpr int Local = 512;
    double local[Local];
    std::unique_ptr<double[]> heap;
    double *p;
};

// ω·L and -1/(ω·C) of every step, with their loss resistances, computed as
// networkParts computes them for one setting (networkParts in components.h).
struct BankParts {
    StepBuffer xl, rl, xc, rc;
    int nL;
    int nC;
    bool lossy;

    explicit BankParts(const TuneProblem &p)
        : xl(p.inductors.size()), rl(p.inductors.size()), xc(p.capacitors.size()),
          rc(p.capacitors.size()), nL(p.inductors.size()), nC(p.capacitors.size()),
          lossy(p.components.lossy())
    {
        // Raw pointers: stores into the buffers could alias the tables'
        // storage, which would reload it at every step.
        const double *inductors = p.inductors.data();
        const double *capacitors = p.capacitors.data();
        const double f = p.frequency;
        for (int i = 0; i < nL; ++i)
            xl[i] = inductorImpedance(f, 1e-6 * inductors[i]).X;
        for (int j = 0; j < nC; ++j)
            xc[j] = capacitorImpedance(f, 1e-12 * capacitors[j]).X;
        // Without losses the resistances are never read.
        if (lossy) {
            for (int i = 0; i < nL; ++i)
                rl[i] = std::fabs(xl[i]) / p.components.qL;
            for (int j = 0; j < nC; ++j)
                rc[j] = std::fabs(xc[j]) / p.components.qC;
        }
    }

    double l(int i) const { return lossy ? rl[i] : 0.0; }
    double c(int j) const { return lossy ? rc[j] : 0.0; }
};

// A negative SWR belongs to an active load: never a match, never a best.
inline double comparable(double swr)
{
    return swr < 0.0 ? Infinity : swr;
}

template <bool Trx, bool Lossy>
void capacitorRow(const TuneProblem &p, const BankParts &b, int i, double *out)
{
    lanes::swrOfCapacitors<Trx, Lossy>(p.load, b.xl[i], b.l(i), b.xc.data(),
                                       Lossy ? b.rc.data() : nullptr, b.nC, out);
}

// Scans one row of evaluations in order, reporting as the search does.
template <bool Trx, bool Lossy>
void scanRow(const TuneProblem &p, const BankParts &b, int i, const double *row, int iteration,
             TuneObserver *observer, TuneResult &r)
{
    const Calculator::NetType type = Trx ? Calculator::CTrx : Calculator::CAntenna;
    const double low = p.lowSWR;
    double best = r.swr;
    for (int j = 0; j < b.nC; ++j) {
        const double s = row[j];
        // Most settings are neither; a negative SWR (an active load) is
        // infinite here, so it is neither too.
        if ((!(s < low) && !(s < best)) || s < 0.0)
            continue;
        if (s < low) {
            r.matched = true;
            if (observer)
                observer->matched(type, i, j,
                                  lanes::zIn<Trx, Lossy>(b.xl[i], b.l(i), b.xc[j], b.c(j), p.load),
                                  s, iteration + j + 1);
        }
        if (s < best) {
            if (observer)
                observer->improved(type, i, j);
            best = s;
            r.moved = true;
            r.type = type;
            r.l = i;
            r.c = j;
        }
    }
    r.swr = best;
}

// |Γ| of an SWR, for comparing with the approximate |Γ| of the rows: 1 for
// an infinite SWR, below 0 for one that no setting can beat (below 1, NaN).
inline double reflectionOf(double swr)
{
    if (!(swr >= 1.0))
        return -1.0;
    return swr == Infinity ? 1.0 : (swr - 1.0) / (swr + 1.0);
}

// Brute Force. A cheap approximate |Γ| of every setting, on every core when
// the banks are large, finds the rows that can hold an event; then, in
// evaluation order, only those rows are evaluated exactly and scanned. A
// row is left out when its least approximate |Γ| lies more than Margin
// (a million times the approximation's error) above both the |Γ| of the
// best SWR so far and that of lowSWR: none of its settings can then be a
// match or a new best, so the events and the end are the full scan's, bit
// for bit.
template <bool Lossy>
void bruteForceRows(const TuneProblem &p, const BankParts &b, TuneObserver *observer, bool split,
                    TuneResult &r)
{
    constexpr double Margin = 1e-9;
    const int rows = 2 * b.nL;
    StepBuffer rowLeast(rows); // least approximate |Γ|; NaN: evaluate exactly
    auto approximate = [&](int begin, int end) {
        StepBuffer g(b.nC);
        const double *rc = Lossy ? b.rc.data() : nullptr;
        for (int k = begin; k < end; ++k) {
            const bool trx = k >= b.nL;
            const int i = trx ? k - b.nL : k;
            if (trx)
                lanes::gammaSquaredOfCapacitors<true, Lossy>(p.load, b.xl[i], b.l(i), b.xc.data(),
                                                             rc, b.nC, g.data());
            else
                lanes::gammaSquaredOfCapacitors<false, Lossy>(p.load, b.xl[i], b.l(i), b.xc.data(),
                                                              rc, b.nC, g.data());
            double least = Infinity;
            bool unknown = false;
            for (int j = 0; j < b.nC; ++j) {
                const double v = g[j];
                least = v < least ? v : least;
                unknown = unknown || v != v;
            }
            rowLeast[k] = unknown ? qQNaN() : std::sqrt(least);
        }
    };
    if (split)
        parallelFor(rows, 4, approximate);
    else
        approximate(0, rows);

    const double lowLimit = reflectionOf(p.lowSWR);
    StepBuffer row(b.nC);
    for (int k = 0; k < rows; ++k) {
        const double limit = std::max(reflectionOf(r.swr), lowLimit) + Margin;
        if (rowLeast[k] >= limit)
            continue;
        const bool trx = k >= b.nL;
        const int i = trx ? k - b.nL : k;
        if (trx) {
            capacitorRow<true, Lossy>(p, b, i, row.data());
            scanRow<true, Lossy>(p, b, i, row.data(), k * b.nC, observer, r);
        } else {
            capacitorRow<false, Lossy>(p, b, i, row.data());
            scanRow<false, Lossy>(p, b, i, row.data(), k * b.nC, observer, r);
        }
    }
}

template <bool Lossy>
void smartTuneWalk(const TuneProblem &p, TuneObserver *observer, TuneResult &r)
{
    // The walk touches few steps: their reactances, as networkParts works
    // them out, are computed on first use (NaN: not yet).
    const int nL = p.inductors.size();
    const int nC = p.capacitors.size();
    const double *inductors = p.inductors.data();
    const double *capacitors = p.capacitors.data();
    StepBuffer xl(nL);
    StepBuffer xc(nC);
    std::fill(xl.data(), xl.data() + nL, qQNaN());
    std::fill(xc.data(), xc.data() + nC, qQNaN());
    // A move to a better neighbour evaluates again the setting its probe has
    // just evaluated: the last probe is kept (the same bits as evaluating
    // again).
    int probedType = -1;
    int probedI = -1;
    int probedJ = -1;
    Impedance probedZIn;
    double probedSWR = 0.0;
    auto swrAt = [&](Calculator::NetType type, int i, int j, Impedance &zIn) {
        if (i == probedI && j == probedJ && int(type) == probedType) {
            zIn = probedZIn;
            return probedSWR;
        }
        if (xl[i] != xl[i])
            xl[i] = inductorImpedance(p.frequency, 1e-6 * inductors[i]).X;
        if (xc[j] != xc[j])
            xc[j] = capacitorImpedance(p.frequency, 1e-12 * capacitors[j]).X;
        const double l = xl[i];
        const double c = xc[j];
        const double rl = Lossy ? std::fabs(l) / p.components.qL : 0.0;
        const double rc = Lossy ? std::fabs(c) / p.components.qC : 0.0;
        zIn = type != Calculator::CAntenna ? lanes::zIn<true, Lossy>(l, rl, c, rc, p.load)
                                           : lanes::zIn<false, Lossy>(l, rl, c, rc, p.load);
        return comparable(computeSWR(Z0, zIn));
    };
    const int lastL = nL - 1;
    const int lastC = nC - 1;
    // The walk's state in locals: the observer may not see it change.
    Calculator::NetType type = Calculator::CAntenna;
    int i = 0;
    int j = 0;
    int evaluations = 0;
    int probes = 0;
    double best = Infinity;
    Impedance zIn;
    Impedance probe;
    for (;;) {
        ++evaluations;
        const double s = swrAt(type, i, j, zIn);
        if (s < best) {
            best = s;
            r.moved = true;
            r.type = type;
            r.l = i;
            r.c = j;
            if (observer)
                observer->improved(type, i, j);
            if (s < p.lowSWR) {
                r.matched = true;
                if (observer)
                    observer->matched(type, i, j, zIn, s, evaluations);
                break;
            }
        }
        if (i == lastL) {
            if (type == Calculator::CTrx)
                break;
            type = Calculator::CTrx;
            i = 0;
            j = 0;
            continue;
        }
        // At the ends of the bank the probe is the step itself and cannot
        // win; nothing switches there, so it is not evaluated.
        if (j < lastC) {
            ++probes;
            const double up = swrAt(type, i, j + 1, probe);
            if (up < s) {
                probedType = int(type), probedI = i, probedJ = j + 1;
                probedZIn = probe, probedSWR = up;
                ++j;
                continue;
            }
        }
        if (j > 0) {
            ++probes;
            const double down = swrAt(type, i, j - 1, probe);
            if (down < s) {
                probedType = int(type), probedI = i, probedJ = j - 1;
                probedZIn = probe, probedSWR = down;
                --j;
                continue;
            }
        }
        ++i;
    }
    r.swr = best;
    r.evaluations = evaluations;
    r.probes = probes;
}

// The mismatched-load walk, ring by ring, with the progress report and the
// receiver's abort after each ring.
template <bool Trx, bool Lossy>
bool walkRings(Calculator &calc, double r0, double x0, double step, int rings,
               const NetworkParts &parts, double target, double epsilon, Impedance &result)
{
    bool abort = false;
    for (int k = 1; k < rings; ++k) {
        switch (lanes::walkRing<Trx, Lossy>(r0, x0, step, k, parts, target, epsilon, result)) {
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

// Brute Force and Smart Tune move the calculator and emit its signals.
class CalculatorObserver : public TuneObserver
{
public:
    CalculatorObserver(Calculator &calc, const TuneProblem &p, bool movesType)
        : calc(calc), inductors(p.inductors.data()), capacitors(p.capacitors.data()),
          movesType(movesType)
    {
    }
    void matched(Calculator::NetType type, int l, int c, const Impedance &zIn, double swr,
                 int iteration) override
    {
        emit calc.foundMatch(type, inductors[l], capacitors[c], zIn, swr, iteration);
    }
    void improved(Calculator::NetType type, int l, int c) override
    {
        if (movesType)
            calc.netType = type;
        calc.inductance = inductors[l];
        calc.capacitance = capacitors[c];
        emit calc.dataChanged(&calc);
    }

private:
    Calculator &calc;
    const double *inductors; // the problem's tables, alive for the search
    const double *capacitors;
    const bool movesType;
};

} // namespace

TuneResult bruteForceSearch(const TuneProblem &problem, TuneObserver *observer, bool parallel)
{
    const BankParts bank(problem);
    TuneResult r;
    r.evaluations = 2 * bank.nL * bank.nC;
    // Below a few hundred thousand settings the threads cost more than
    // they save.
    const bool split = parallel && bank.nL * bank.nC >= (1 << 18);
    if (problem.components.lossy())
        bruteForceRows<true>(problem, bank, observer, split, r);
    else
        bruteForceRows<false>(problem, bank, observer, split, r);
    return r;
}

TuneResult smartTuneSearch(const TuneProblem &problem, TuneObserver *observer)
{
    TuneResult r;
    if (problem.components.lossy())
        smartTuneWalk<true>(problem, observer, r);
    else
        smartTuneWalk<false>(problem, observer, r);
    return r;
}

void swrGrid(const TuneProblem &problem, Calculator::NetType type, double *out, GridOrder order)
{
    const BankParts bank(problem);
    const bool trx = type != Calculator::CAntenna;
    const bool lossy = problem.components.lossy();
    const bool byCapacitor = order == GridOrder::CapacitorRows;
    auto row = [&](int i, double *values) {
        if (trx)
            lossy ? capacitorRow<true, true>(problem, bank, i, values)
                  : capacitorRow<true, false>(problem, bank, i, values);
        else
            lossy ? capacitorRow<false, true>(problem, bank, i, values)
                  : capacitorRow<false, false>(problem, bank, i, values);
    };
    // The lanes run along the capacitor steps; by capacitor rows a block of
    // inductor rows is worked out first and then written across, a run of
    // neighbours at a time.
    constexpr int Block = 16;
    parallelFor(bank.nL, Block, [&](int begin, int end) {
        if (!byCapacitor) {
            for (int i = begin; i < end; ++i)
                row(i, out + size_t(i) * size_t(bank.nC));
            return;
        }
        std::vector<double> block(size_t(end - begin) * size_t(bank.nC));
        for (int i = begin; i < end; ++i)
            row(i, block.data() + size_t(i - begin) * size_t(bank.nC));
        for (int j = 0; j < bank.nC; ++j) {
            double *to = out + size_t(j) * size_t(bank.nL) + size_t(begin);
            for (int i = begin; i < end; ++i)
                to[i - begin] = block[size_t(i - begin) * size_t(bank.nC) + size_t(j)];
        }
    });
}

void swrOfLoads(const Calculator &calc, const double *r, const double *x, int count, double *out)
{
    const NetworkParts parts = calc.parts();
    const bool trx = calc.netType != Calculator::CAntenna;
    if (trx)
        parts.lossy ? lanes::swrOfLoads<true, true>(parts, r, x, count, out)
                    : lanes::swrOfLoads<true, false>(parts, r, x, count, out);
    else
        parts.lossy ? lanes::swrOfLoads<false, true>(parts, r, x, count, out)
                    : lanes::swrOfLoads<false, false>(parts, r, x, count, out);
}

int Calculator::bruteForceSearch()
{
    const TuneProblem p = TuneProblem::of(*this);
    CalculatorObserver observer(*this, p, false);
    const TuneResult r = LCNet::bruteForceSearch(p, &observer);
    if (r.moved) {
        netType = r.type;
        inductance = p.inductors[r.l];
        capacitance = p.capacitors[r.c];
        emit dataChanged(this);
    }
    return r.evaluations;
}

int Calculator::smartTuneSearch()
{
    const TuneProblem p = TuneProblem::of(*this);
    CalculatorObserver observer(*this, p, true);
    return LCNet::smartTuneSearch(p, &observer).evaluations;
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
    const NetworkParts p = parts();
    const double epsilon = epsilonSWR;
    if (netType != CAntenna)
        return p.lossy
                   ? walkRings<true, true>(*this, r0, x0, step, rings, p, targetSWR, epsilon, found)
                   : walkRings<true, false>(*this, r0, x0, step, rings, p, targetSWR, epsilon,
                                            found);
    return p.lossy
               ? walkRings<false, true>(*this, r0, x0, step, rings, p, targetSWR, epsilon, found)
               : walkRings<false, false>(*this, r0, x0, step, rings, p, targetSWR, epsilon, found);
}

} // namespace LCNet
