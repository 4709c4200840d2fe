// Repaint of the R + jX chart and of its Smith view in the dialog, at two
// chart sizes.
#include "lcnet.h"
#include "zchart.h"
#include "zchartdialog.h"

#include <QApplication>
#include <QToolButton>

#include "guimain.h"

#include <benchmark/benchmark.h>

namespace
{
// Resizes the dialog so that its chart gets exactly the given size.
ZChart *chartOfSize(ZChartDialog &dialog, QSize size)
{
    ZChart *chart = dialog.findChild<ZChart *>(QStringLiteral("chartZ"));
    for (int i = 0; i < 5 && chart->size() != size; ++i) {
        dialog.resize(dialog.size() + size - chart->size());
        QApplication::processEvents();
    }
    return chart;
}

void repaint(benchmark::State &state, QSize size, bool smith = false)
{
    LCNet::Calculator main;
    ZChartDialog dialog(&main);
    dialog.show();
    QApplication::processEvents();
    if (smith) {
        dialog.findChild<QToolButton *>(QStringLiteral("btnSmith"))->click();
        QApplication::processEvents();
    }
    ZChart *chart = chartOfSize(dialog, size);
    if (chart->size() != size) {
        state.SkipWithError("chart size not reached");
        return;
    }
    for (auto _ : state)
        chart->repaint();
    state.counters["pixels"] = size.width() * size.height();
}

void BM_ZChartRepaint600x300(benchmark::State &state)
{
    repaint(state, QSize(600, 300));
}
BENCHMARK(BM_ZChartRepaint600x300)->Unit(benchmark::kMillisecond);

void BM_ZChartRepaint1280x800(benchmark::State &state)
{
    repaint(state, QSize(1280, 800));
}
BENCHMARK(BM_ZChartRepaint1280x800)->Unit(benchmark::kMillisecond);

void BM_SmithRepaint600x300(benchmark::State &state)
{
    repaint(state, QSize(600, 300), true);
}
BENCHMARK(BM_SmithRepaint600x300)->Unit(benchmark::kMillisecond);

void BM_SmithRepaint1280x800(benchmark::State &state)
{
    repaint(state, QSize(1280, 800), true);
}
BENCHMARK(BM_SmithRepaint1280x800)->Unit(benchmark::kMillisecond);
} // namespace

VORLAP_GUI_BENCHMARK_MAIN()
