// main() for benchmarks that need widgets: an offscreen application unless
// a platform is chosen.
#ifndef GUIMAIN_H
#define GUIMAIN_H

#include <QApplication>

#include <benchmark/benchmark.h>

#define VORLAP_GUI_BENCHMARK_MAIN()                                                                \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                        \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
        benchmark::Initialize(&argc, argv);                                                        \
        QApplication app(argc, argv);                                                              \
        benchmark::RunSpecifiedBenchmarks();                                                       \
        benchmark::Shutdown();                                                                     \
        return 0;                                                                                  \
    }

#endif // GUIMAIN_H
