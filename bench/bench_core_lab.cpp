// The tuning lab on 10 000 loads up to SWR 10 at 14 MHz (seed 1), with
// the default banks and Low SWR 1.2: each search over the whole corpus on
// every core, with its readings and success rate as counters.
#include "lcnet.h"

#include <benchmark/benchmark.h>

namespace
{

using namespace LCNet;

const std::vector<LabLoad> &corpus()
{
    static const std::vector<LabLoad> loads = [] {
        LabCorpusSpec recipe;
        recipe.count = 10000;
        recipe.maxSWR = 10.0;
        recipe.lowKHz = recipe.highKHz = 14000.0;
        recipe.seed = 1;
        return generateLabCorpus(recipe);
    }();
    return loads;
}

TuneProblem problemOf(const LabLoad &load)
{
    TuneProblem p;
    p.lowSWR = 1.2;
    p.frequency = 1000.0 * load.frequencyKHz;
    p.load = load.z;
    return p;
}

// Brute Force's best SWR of every load, computed once for the counters.
const std::vector<double> &optimum()
{
    static const std::vector<double> best = [] {
        const std::vector<LabLoad> &loads = corpus();
        std::vector<double> b(loads.size());
        parallelFor(int(loads.size()), 4, [&](int begin, int end) {
            for (int k = begin; k < end; ++k)
                b[size_t(k)] = findLabAlgorithm("brute")->run(problemOf(loads[size_t(k)])).swr;
        });
        return b;
    }();
    return best;
}

// The searches named, one after the other on each load, loads on every
// core; with one search, its figures as counters.
void searches(benchmark::State &state, const QStringList &keys)
{
    const std::vector<LabLoad> &loads = corpus();
    std::vector<const LabAlgorithm *> run;
    for (const QString &key : keys)
        run.push_back(findLabAlgorithm(key));
    std::vector<LabOutcome> last(loads.size());
    for (auto _ : state) {
        parallelFor(int(loads.size()), 16, [&](int begin, int end) {
            for (int k = begin; k < end; ++k)
                for (const LabAlgorithm *a : run)
                    last[size_t(k)] = a->run(problemOf(loads[size_t(k)]));
        });
    }
    if (run.size() != 1)
        return;
    const bool brute = keys[0] == QLatin1String("brute");
    double readings = 0;
    int matchable = 0;
    int matched = 0;
    for (size_t k = 0; k < loads.size(); ++k) {
        const double best = brute ? last[k].swr : optimum()[k];
        readings += last[k].readings;
        matchable += best < 1.2;
        matched += best < 1.2 && last[k].swr < 1.2;
    }
    state.counters["readings_mean"] = readings / double(loads.size());
    state.counters["success_rate"] = double(matched) / matchable;
}

} // namespace

BENCHMARK_CAPTURE(searches, smartValleyRelays, QStringList{"smart", "valley", "relays"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(searches, smart, QStringList{"smart"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(searches, valley, QStringList{"valley"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(searches, relays, QStringList{"relays"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(searches, brute, QStringList{"brute"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

BENCHMARK_MAIN();
