// The match searches over the two banks, as plain functions that the
// calculator, the band sweep and the tuning lab share, and batch SWR
// evaluations for the charts.
#ifndef LCNET_SEARCH_H
#define LCNET_SEARCH_H

#include "calculator.h"

#include <functional>

namespace LCNet
{

// Everything a match search reads, fixed for one call.
struct TuneProblem {
    StepTable inductors = StepTable::defaultInductor();   // µH
    StepTable capacitors = StepTable::defaultCapacitor(); // pF
    double frequency = 0.0;                               // Hz
    Impedance load;
    double lowSWR = 0.0;
    ComponentSettings components;

    static TuneProblem of(const Calculator &calc);
};

// What a search reports while it runs, in the order it finds it.
class TuneObserver
{
public:
    virtual ~TuneObserver() = default;
    // A setting below lowSWR; iteration is the number of its evaluation.
    virtual void matched(Calculator::NetType type, int l, int c, const Impedance &zIn, double swr,
                         int iteration);
    // A setting better than every one evaluated before it.
    virtual void improved(Calculator::NetType type, int l, int c);
};

struct TuneResult {
    // Whether any setting improved on an infinite SWR; if not, the steps
    // are -1 and the tuner stays where it was.
    bool moved = false;
    Calculator::NetType type = Calculator::CAntenna;
    int l = -1; // steps of the setting the search ends on
    int c = -1;
    double swr = Infinity;
    bool matched = false; // a setting below lowSWR was found
    int evaluations = 0;  // the count the search returns
    int probes = 0;       // Smart Tune's uncounted neighbour probes
};

// Every setting of both configurations; matched() for each one below
// lowSWR, then improved() for each new best. An SWR that is negative (an
// active load) counts as infinite: it is never a match nor a best.
// Large banks are split over the processor's cores unless `parallel` is
// false; the events and the result are the same either way.
TuneResult bruteForceSearch(const TuneProblem &problem, TuneObserver *observer = nullptr,
                            bool parallel = true);
// Up the inductor steps, following the SWR downhill along the capacitor
// steps; stops at the first new best below lowSWR.
TuneResult smartTuneSearch(const TuneProblem &problem, TuneObserver *observer = nullptr);

// The SWR of every setting of one configuration (out holds
// inductors.size() x capacitors.size() values), each exactly what the
// calculator gives for that L, C and configuration: out[l * capacitors + c]
// by inductor rows, or out[c * inductors + l] by capacitor rows.
enum class GridOrder { InductorRows, CapacitorRows };
void swrGrid(const TuneProblem &problem, Calculator::NetType type, double *out,
             GridOrder order = GridOrder::InductorRows);

// The SWR that the calculator's present setting gives for each load
// r[i] + j x[i], exactly as setLoadImpedance() and currentSWR() give it.
void swrOfLoads(const Calculator &calc, const double *r, const double *x, int count, double *out);

// Runs body(begin, end) over [0, count) in chunks of `grain`, on the
// calling thread and on any pool threads that are free now (so that a
// nested call never waits for a queued task).
void parallelFor(int count, int grain, const std::function<void(int, int)> &body);

} // namespace LCNet

#endif // LCNET_SEARCH_H
