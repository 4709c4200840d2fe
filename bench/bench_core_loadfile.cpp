// Reading load files of many points from memory: time per point, and the
// whole file of 100 000 points.
#include "lcnet.h"

#include <benchmark/benchmark.h>

namespace
{

constexpr int Points = 100000;

// 1.8 MHz onwards in 281 Hz steps; values vary so nothing is folded away.
QByteArray touchstone()
{
    QByteArray data = "! generated\n# Hz S MA R 50\n";
    for (int i = 0; i < Points; ++i)
        data += QByteArray::number(1800000 + 281 * i) + ' ' +
                QByteArray::number(0.1 + 0.8 * (i % 97) / 97.0, 'g', 17) + ' ' +
                QByteArray::number(-180.0 + 0.01 * (i % 36000), 'g', 17) + '\n';
    return data;
}

QByteArray csv()
{
    QByteArray data = "Frequency (MHz),R,X,SWR\n";
    for (int i = 0; i < Points; ++i)
        data += QByteArray::number((1800000 + 281 * i) / 1e6, 'g', 17) + ',' +
                QByteArray::number(10.0 + i % 500, 'g', 17) + ',' +
                QByteArray::number(-300.0 + i % 600, 'g', 17) + ",1.5\n";
    return data;
}

void read(benchmark::State &state, const QByteArray &data)
{
    QVector<LCNet::LoadPoint> points;
    LCNet::LoadFileError error;
    for (auto _ : state) {
        if (!LCNet::parseLoadData(data, QStringLiteral("bench"), &points, &error))
            state.SkipWithError(qPrintable(error.text()));
        benchmark::DoNotOptimize(points.data());
    }
    state.counters["bytes"] = double(data.size());
    state.counters["time_per_point"] =
        benchmark::Counter(Points * double(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void touchstoneFile(benchmark::State &state)
{
    read(state, touchstone());
}

void csvFile(benchmark::State &state)
{
    read(state, csv());
}

} // namespace

BENCHMARK(touchstoneFile)->Unit(benchmark::kMillisecond);
BENCHMARK(csvFile)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
