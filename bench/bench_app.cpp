// Main-window timings: start-up to the first results, one recalculation
// after an edit, Auto Tune with both algorithms (a short and a full report), and the
// mismatched-load search with its progress reports against the bare search.
#include "guimain.h"
#include "mainwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace
{

template <class T> T *child(MainWindow &w, const char *name)
{
    return w.findChild<T *>(QString::fromLatin1(name));
}

void BM_StartUpToFirstResults(benchmark::State &state)
{
    for (auto _ : state) {
        MainWindow window;
        window.show();
        auto *zIn = child<QLabel>(window, "lblZIn");
        while (zIn->text().isEmpty())
            QCoreApplication::processEvents();
        benchmark::DoNotOptimize(zIn->text());
    }
}
BENCHMARK(BM_StartUpToFirstResults)->Unit(benchmark::kMillisecond);

void BM_RecalculationAfterEdit(benchmark::State &state)
{
    MainWindow window;
    window.show();
    QCoreApplication::processEvents();
    auto *edit = child<QLineEdit>(window, "edtXLoad");
    bool flip = false;
    for (auto _ : state) {
        edit->setText(flip ? QStringLiteral("100") : QStringLiteral("101"));
        flip = !flip;
    }
}
BENCHMARK(BM_RecalculationAfterEdit)->Unit(benchmark::kMicrosecond);

// Low SWR as the argument: 1.2 by default, 1000 to report every setting.
void BM_AutoTuneBothAlgorithms(benchmark::State &state)
{
    MainWindow window;
    window.show();
    QCoreApplication::processEvents();
    window.tunerCalculator()->lowSWR = double(state.range(0)) / 10.0;
    auto *tune = child<QPushButton>(window, "btnCalcLC");
    for (auto _ : state) {
        state.PauseTiming();
        window.tunerCalculator()->setInductance(12);
        window.tunerCalculator()->setCapacitance(2000);
        state.ResumeTiming();
        tune->click();
    }
}
BENCHMARK(BM_AutoTuneBothAlgorithms)->Arg(12)->Arg(10000)->Unit(benchmark::kMillisecond);

// A target no load meets walks all rings of the default settings.
void BM_MismatchSearchInWindow(benchmark::State &state)
{
    MainWindow window;
    window.show();
    QCoreApplication::processEvents();
    auto *find = child<QPushButton>(window, "btnFindZLoad");
    for (auto _ : state) {
        QTimer::singleShot(0, [] {
            if (auto *prompt = qobject_cast<QInputDialog *>(QApplication::activeModalWidget())) {
                prompt->setTextValue(QStringLiteral("1e9"));
                prompt->accept();
            }
        });
        QElapsedTimer clock;
        clock.start();
        find->click();
        state.SetIterationTime(clock.nsecsElapsed() * 1e-9);
    }
}
BENCHMARK(BM_MismatchSearchInWindow)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

void BM_MismatchSearchBare(benchmark::State &state)
{
    LCNet::Calculator calculator;
    LCNet::Impedance found;
    for (auto _ : state)
        benchmark::DoNotOptimize(calculator.mismatchSearch(1e9, &found));
}
BENCHMARK(BM_MismatchSearchBare)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

VORLAP_GUI_BENCHMARK_MAIN()
