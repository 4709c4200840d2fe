// The three searches at the calculator's defaults, no receivers connected.
#include "lcnet.h"

#include "allocations.h"

#include <benchmark/benchmark.h>

namespace
{

void bruteForce(benchmark::State &state)
{
    LCNet::Calculator calc;
    const long before = allocations.load();
    for (auto _ : state) {
        calc.clear();
        benchmark::DoNotOptimize(calc.bruteForceSearch());
    }
    state.counters["allocations"] = double(allocations.load() - before);
}

// Brute Force with real components (Q 100 / 500) on the default banks.
void bruteForceLossy(benchmark::State &state)
{
    LCNet::Calculator calc;
    const long before = allocations.load();
    for (auto _ : state) {
        calc.clear();
        calc.components.enabled = true;
        calc.components.qL = 100;
        calc.components.qC = 500;
        benchmark::DoNotOptimize(calc.bruteForceSearch());
    }
    state.counters["allocations"] = double(allocations.load() - before);
}

// 12 + 12 relays: 2 x 16.7 million settings, split over the cores.
void bruteForce12x12(benchmark::State &state)
{
    LCNet::BankSpec l, c;
    LCNet::BankSpec::fromText("12: 0; 0.005, 0.01, 0.02, 0.04, 0.08, 0.16, 0.32, 0.64, 1.28, "
                              "2.56, 5.12, 10.24",
                              &l);
    LCNet::BankSpec::fromText("12: 0; 1, 2, 4, 8, 16, 32, 64, 128, 256, 512, 1024, 2048", &c);
    LCNet::Calculator calc;
    calc.setBanks(l, c);
    const LCNet::TuneProblem problem = LCNet::TuneProblem::of(calc);
    // As Auto Tune runs it, with every event reported; without an observer
    // only its end counts.
    LCNet::TuneObserver events;
    const bool reported = state.range(0) != 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            LCNet::bruteForceSearch(problem, reported ? &events : nullptr).swr);
    state.counters["settings"] = 2.0 * 4096 * 4096;
}

void smartTune(benchmark::State &state)
{
    LCNet::Calculator calc;
    const long before = allocations.load();
    for (auto _ : state) {
        calc.clear();
        benchmark::DoNotOptimize(calc.smartTuneSearch());
    }
    state.counters["allocations"] = double(allocations.load() - before);
}

// Points the default walk tests, counted by walking the coordinates alone.
double pointsOfDefaultWalk()
{
    const LCNet::Calculator calc;
    const double step = calc.impedanceStep, r0 = calc.loadImpedance.R, x0 = calc.loadImpedance.X;
    double points = 0;
    for (int k = 1; k < calc.numberOfRings; ++k) {
        const double d = step * k, rlo = r0 - d, rhi = r0 + d, xlo = x0 - d, xhi = x0 + d;
        long n = 0;
        for (double v = rlo; n++, (v += step) <= rhi;) {
        }
        for (double v = xhi - step; n++, (v -= step) >= xlo;) {
        }
        for (double v = rhi - step; n++, (v -= step) >= rlo;) {
        }
        for (double v = xlo + step; n++, (v += step) < xhi;) {
        }
        points += double(n);
    }
    return points;
}

// Defaults, and an SWR of 0 that no load shows: the whole walk.
void mismatchWholeWalk(benchmark::State &state)
{
    static const double points = pointsOfDefaultWalk();
    LCNet::Calculator calc;
    const long before = allocations.load();
    for (auto _ : state) {
        LCNet::Impedance found;
        benchmark::DoNotOptimize(calc.mismatchSearch(0.0, &found));
    }
    state.counters["allocations"] = double(allocations.load() - before);
    state.counters["points"] = points;
    state.counters["points_per_s"] =
        benchmark::Counter(points * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["time_per_point"] =
        benchmark::Counter(points * double(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(bruteForce)->Unit(benchmark::kMillisecond);
BENCHMARK(bruteForceLossy)->Unit(benchmark::kMillisecond);
BENCHMARK(bruteForce12x12)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(smartTune)->Unit(benchmark::kMicrosecond);
BENCHMARK(mismatchWholeWalk)->Unit(benchmark::kSecond)->Iterations(1)->Repetitions(3);

BENCHMARK_MAIN();
