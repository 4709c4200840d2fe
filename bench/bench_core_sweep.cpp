// The band sweep over 1000 points on every core, per algorithm, and one
// Brute Force point on one core.
#include "lcnet.h"

#include <benchmark/benchmark.h>

namespace
{

// A half-wave dipole for 20 m as the stored model shows it (resonant near
// 14.175 MHz at about 73 ohm), 1000 points from 13 to 15.5 MHz.
QVector<LCNet::LoadPoint> dipole()
{
    QVector<LCNet::LoadPoint> points;
    for (int i = 0; i < 1000; ++i) {
        const double mhz = 13.0 + 2.5 * i / 999.0;
        points.append(
            {1000.0 * mhz, LCNet::Impedance(61.0 + 9.5 * (mhz - 13.0), 104.0 * (mhz - 14.175))});
    }
    return points;
}

void sweep(benchmark::State &state, LCNet::SweepAlgorithm algorithm)
{
    const QVector<LCNet::LoadPoint> points = dipole();
    LCNet::Calculator calc;
    LCNet::SweepOptions options = LCNet::SweepOptions::of(calc);
    options.algorithm = algorithm;
    for (auto _ : state) {
        const LCNet::SweepResult result = LCNet::runSweep(points, options);
        benchmark::DoNotOptimize(result.points.data());
    }
    state.counters["points"] = double(points.size());
}

void bruteForce1000(benchmark::State &state)
{
    sweep(state, LCNet::SweepAlgorithm::BruteForce);
}

void smartTune1000(benchmark::State &state)
{
    sweep(state, LCNet::SweepAlgorithm::SmartTune);
}

// One point on one core: the 1000-point figure over the cores, ideally.
void bruteForcePoint(benchmark::State &state)
{
    const QVector<LCNet::LoadPoint> points = dipole();
    const LCNet::SweepOptions options = LCNet::SweepOptions::of(LCNet::Calculator());
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(LCNet::sweepPoint(points[i++ % 1000], options));
}

} // namespace

// Wall time; the CPU column counts every thread of the process.
BENCHMARK(bruteForce1000)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(smartTune1000)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(bruteForcePoint)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
