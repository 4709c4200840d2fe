// One evaluation of input impedance and SWR, alone and a row at a time.
#include "lanes.h"
#include "lcnet.h"

#include "allocations.h"

#include <benchmark/benchmark.h>

#include <array>

namespace
{

using LCNet::Impedance;

// Loads around the default one, so that nothing is folded away.
std::array<Impedance, 64> loads()
{
    std::array<Impedance, 64> z;
    for (int i = 0; i < 64; ++i)
        z[i] = Impedance(20.0 + 0.37 * i, 100.0 - 1.3 * i);
    return z;
}

template <bool Trx> void evaluation(benchmark::State &state)
{
    const auto z = loads();
    const double f = 14e6, l = 1.65e-6, c = 180e-12;
    unsigned i = 0;
    const long before = allocations.load();
    for (auto _ : state) {
        const Impedance &load = z[i++ % z.size()];
        const Impedance zIn =
            Trx ? LCNet::zInCTrx(f, l, c, load) : LCNet::zInCAntenna(f, l, c, load);
        benchmark::DoNotOptimize(LCNet::computeSWR(LCNet::Z0, zIn));
    }
    state.counters["allocations"] = double(allocations.load() - before);
}

// With real components: the input impedance, its SWR and every power
// figure of the setting in one call, at Q 100 / 500.
template <bool Trx> void lossyEvaluation(benchmark::State &state)
{
    const auto z = loads();
    LCNet::ComponentSettings comp;
    comp.enabled = true;
    comp.qL = 100;
    comp.qC = 500;
    const LCNet::NetworkParts parts = LCNet::networkParts(14e6, 1.65e-6, 180e-12, comp);
    unsigned i = 0;
    const long before = allocations.load();
    for (auto _ : state) {
        const Impedance &load = z[i++ % z.size()];
        benchmark::DoNotOptimize(LCNet::powerFigures(Trx, parts, load, comp));
    }
    state.counters["allocations"] = double(allocations.load() - before);
}

// The Brute Force inner loop: every capacitor step at one inductor step.
template <bool Trx> void capacitorRow(benchmark::State &state)
{
    const double f = 14e6;
    std::array<double, LCNet::TableSize> xc, swr;
    for (int j = 0; j < LCNet::TableSize; ++j)
        xc[j] = LCNet::capacitorImpedance(f, 1e-12 * LCNet::CTable[j]).X;
    const double xl = LCNet::inductorImpedance(f, 1.65e-6).X;
    const Impedance load(20, 100);
    const long before = allocations.load();
    for (auto _ : state) {
        LCNet::lanes::swrOfCapacitors<Trx, false>(load, xl, 0.0, xc.data(), nullptr,
                                                  LCNet::TableSize, swr.data());
        benchmark::DoNotOptimize(swr.data());
        benchmark::ClobberMemory();
    }
    state.counters["allocations"] = double(allocations.load() - before);
    state.counters["time_per_evaluation"] =
        benchmark::Counter(double(state.iterations()) * LCNet::TableSize,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetLabel(LCNet::lanes::variantName());
}

} // namespace

BENCHMARK_TEMPLATE(evaluation, false)->Name("evaluation/CAntenna");
BENCHMARK_TEMPLATE(evaluation, true)->Name("evaluation/CTrx");
BENCHMARK_TEMPLATE(lossyEvaluation, false)->Name("lossyEvaluation/CAntenna");
BENCHMARK_TEMPLATE(lossyEvaluation, true)->Name("lossyEvaluation/CTrx");
BENCHMARK_TEMPLATE(capacitorRow, false)->Name("capacitorRow/CAntenna");
BENCHMARK_TEMPLATE(capacitorRow, true)->Name("capacitorRow/CTrx");

BENCHMARK_MAIN();
