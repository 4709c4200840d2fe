// The L/C chart: filling the matrix, repainting the view at the opening zoom
// and zoomed out, and a main-window edit followed by both charts repainting.
#include "lcchartdialog.h"
#include "lcnet.h"
#include "lcview.h"
#include "zchart.h"
#include "zchartdialog.h"

#include <QApplication>
#include <QGraphicsScene>

#include "guimain.h"

#include <benchmark/benchmark.h>

namespace
{
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
    if (state.range(0) >= 1)
        view->fitInView(view->sceneRect(), Qt::KeepAspectRatio);
    if (state.range(0) >= 2)
        view->scale(0.1, 0.1);
    QApplication::processEvents();
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
} // namespace

VORLAP_GUI_BENCHMARK_MAIN()
