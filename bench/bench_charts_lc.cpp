// The L/C chart: filling the matrix, repainting the view at the opening zoom
// and zoomed out, and a main-window edit followed by both charts repainting;
// then banks of 4096 steps each (12 + 12 relays).
#include "lcchartdialog.h"
#include "lcnet.h"
#include "lcview.h"
#include "zchart.h"
#include "zchartdialog.h"

#include <QApplication>
#include <QGraphicsScene>

#include <vector>

#include "guimain.h"

#include <benchmark/benchmark.h>

namespace
{
// 0 keeps the opening view, 1 shows the whole scene, 2 ten times as much.
void zoomOut(LCView *view, int level)
{
    QApplication::processEvents();
    const QRectF scene = view->sceneRect();
    if (level >= 1)
        view->showSceneRect(
            level >= 2 ? QRectF(scene.center() - QPointF(5 * scene.width(), 5 * scene.height()),
                                10 * scene.size())
                       : scene);
    QApplication::processEvents();
}

void BM_LCMatrixFill(benchmark::State &state)
{
    LCNet::Calculator main;
    LCChartDialog dialog(&main);
    for (auto _ : state)
        dialog.computeMatrix();
}
BENCHMARK(BM_LCMatrixFill)->Unit(benchmark::kMillisecond);

// zoomOut: 0 the opening view, 1 the whole scene in view, 2 a tenth of that.
void BM_LCViewRepaint(benchmark::State &state)
{
    LCNet::Calculator main;
    LCChartDialog dialog(&main);
    dialog.show();
    QApplication::processEvents();
    LCView *view = dialog.findChild<LCView *>(QStringLiteral("viewLC"));
    zoomOut(view, int(state.range(0)));
    for (auto _ : state)
        view->viewport()->repaint();
    state.counters["scale"] = view->transform().m11();
}
BENCHMARK(BM_LCViewRepaint)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// One edit in the main window (one field changes, one dataChanged) until
// both open charts have recomputed and repainted, at their opening size.
void BM_EditWithBothChartsOpen(benchmark::State &state)
{
    LCNet::Calculator main;
    auto *lc = new LCChartDialog(&main);
    auto *z = new ZChartDialog(&main);
    QObject::connect(&main, &LCNet::Calculator::dataChanged, lc, &LCChartDialog::changeCurrent);
    QObject::connect(&main, &LCNet::Calculator::dataChanged, z, &ZChartDialog::changeCurrent);
    lc->show();
    z->show();
    QApplication::processEvents();
    int step = 100;
    for (auto _ : state) {
        main.setCapacitance(LCNet::CTable[step]);
        step = step == 100 ? 101 : 100;
        QApplication::processEvents();
    }
    delete lc;
    delete z;
}
BENCHMARK(BM_EditWithBothChartsOpen)->Unit(benchmark::kMillisecond);

// Binary banks of 12 relays: 4096 steps, about the standard banks' ranges.
void largeBanks(LCNet::Calculator &calc)
{
    LCNet::BankSpec l;
    LCNet::BankSpec c;
    LCNet::BankSpec::fromText("12: 0; 0.006, 0.012, 0.024, 0.048, 0.096, 0.192, 0.384, 0.768, "
                              "1.536, 3.072, 6.144, 12.288",
                              &l);
    LCNet::BankSpec::fromText("12: 0; 1, 2, 4, 8, 16, 32, 64, 128, 256, 512, 1024, 2048", &c);
    calc.setBanks(l, c);
}

// Opening the chart on 12 + 12 relays: the whole matrix filled.
void BM_LCLargeBanksFill(benchmark::State &state)
{
    LCNet::Calculator main;
    largeBanks(main);
    for (auto _ : state) {
        LCChartDialog dialog(&main);
        benchmark::DoNotOptimize(&dialog);
    }
    state.counters["cells"] = 4096.0 * 4096.0;
    state.counters["matrix_MB"] = 4096.0 * 4096.0 * sizeof(double) / 1e6;
}
BENCHMARK(BM_LCLargeBanksFill)->Unit(benchmark::kMillisecond)->UseRealTime();

// zoomOut as in BM_LCViewRepaint.
void BM_LCLargeBanksRepaint(benchmark::State &state)
{
    LCNet::Calculator main;
    largeBanks(main);
    LCChartDialog dialog(&main);
    dialog.show();
    QApplication::processEvents();
    LCView *view = dialog.findChild<LCView *>(QStringLiteral("viewLC"));
    zoomOut(view, int(state.range(0)));
    for (auto _ : state)
        view->viewport()->repaint();
    state.counters["scale"] = view->transform().m11();
}
BENCHMARK(BM_LCLargeBanksRepaint)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
} // namespace

VORLAP_GUI_BENCHMARK_MAIN()
