// The L/C chart (matrix item, view, dialog) and both chart dialogs following
// the main setting.
#include "chartstest.h"

#include <numeric>
#include <set>

using LCNet::CTable;
using LCNet::LTable;

namespace
{
// The centre of the cell that ends at the steps (ci, li) when cells span s steps.
QPointF cellCentre(int ci, int li, int s)
{
    return QPointF((CTable[ci - s] + CTable[ci]) / 2, 50.0 * (LTable[li - s] + LTable[li]));
}

// The item painted through `transform` on white, at a device pixel ratio.
QImage paintItem(LCMatrixItem &item, const QTransform &transform, QSize size, double ratio = 1)
{
    QImage image(size * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setTransform(transform);
    QStyleOptionGraphicsItem option;
    option.exposedRect = item.boundingRect();
    item.paint(&painter, &option, nullptr);
    return image;
}

// The values 0, 1, .. n - 1: as many steps as a bank can have, or more.
std::vector<double> ramp(int n)
{
    std::vector<double> v(n);
    std::iota(v.begin(), v.end(), 0.0);
    return v;
}

LCMatrixItem *matrixOf(LCView *view)
{
    return dynamic_cast<LCMatrixItem *>(view->scene()->items().value(0));
}
} // namespace

class TestLCChart : public QObject
{
    Q_OBJECT

private slots:
    void cellsStepsAndMagenta()
    {
        const std::pair<double, int> lods[] = {{0.0499, 10}, {0.05, 5},   {0.0999, 5},
                                               {0.1, 3},     {0.2999, 3}, {0.3, 2},
                                               {0.4999, 2},  {0.5, 1},    {NaN, 1}};
        for (auto [lod, step] : lods)
            QCOMPARE(LCMatrixItem::stepForLevelOfDetail(lod), step);

        // Each cell holds its C step plus its L step, so that neighbours differ
        // (on 0 .. 1023 the value is the colour index).
        LCMatrixItem item;
        QVERIFY(item.setSteps({LTable.begin(), LTable.end()}, {CTable.begin(), CTable.end()}));
        LegendWidget legend;
        legend.setRange(0, 1023);
        item.legend = &legend;
        for (int c = 0; c < 256; ++c)
            for (int l = 0; l < 256; ++l)
                item.at(c, l) = c + l;
        item.currentC = CTable[130];
        item.currentL = LTable[130];
        // Painted at `scale` with the scene point `at` on pixel (100, 100).
        const auto paint = [&](double scale, QPointF at, double ratio = 1) {
            return paintItem(
                item, QTransform(scale, 0, 0, scale, 100 - scale * at.x(), 100 - scale * at.y()),
                QSize(200, 200), ratio);
        };
        // The cell holding the main setting is magenta when 130 is a multiple of
        // the step. At step 3 it ends at 132 and, like every cell, takes the
        // colour of its upper corner.
        for (auto [scale, s] : {std::pair{1.0, 1}, std::pair{0.2, 3}, std::pair{0.045, 10}}) {
            const int m = (130 + s - 1) / s * s;
            QCOMPARE(paint(scale, cellCentre(m, m, s)).pixelColor(100, 100),
                     s == 3 ? colorForValue(264, 0, 1023) : QColor(255, 0, 255));
        }
        // At step 10, C and L steps 251 .. 255 are not drawn.
        const QPointF corner = cellCentre(250, 250, 10);
        const QImage far = paint(0.045, corner);
        QCOMPARE(far.pixelColor(100, 100), colorForValue(500, 0, 1023));
        const QPointF p = QPointF(100, 100) + 0.045 * (cellCentre(255, 255, 4) - corner);
        QVERIFY(far.pixel(int(p.x()), 100) == qRgb(255, 255, 255) &&
                far.pixel(100, int(p.y())) == qRgb(255, 255, 255));

        // Across the edge of C steps 100 and 101 (cells 8 .. 15 scene units): a
        // subdued outline (darker, nowhere near black) only on large cells.
        const QColor left = colorForValue(221, 0, 1023), right = colorForValue(222, 0, 1023);
        for (double scale : {0.5, 2.0}) {
            const QImage row =
                paint(scale, QPointF(CTable[100], 50.0 * (LTable[120] + LTable[121])));
            int outline = 0;
            for (int x = 97; x < 104; ++x)
                if (const QColor c = row.pixelColor(x, 100); c != left && c != right) {
                    ++outline;
                    QVERIFY(c.green() < right.green() && c.green() > 0.75 * right.green());
                }
            QCOMPARE(outline > 0, scale == 2.0);
        }
        // Without outlines no background shows between cells, whatever the
        // scale, offset or device pixel ratio.
        for (double ratio : {1.0, 1.5})
            for (double scale : {0.05, 0.2973, 0.9}) {
                const QImage image = paint(scale, QPointF(99.63, 99.63) / scale, ratio);
                const int n = int(std::min(200.0, scale * 2300) * ratio); // drawn at any step
                int gaps = 0;
                for (int y = int(4 * ratio); y < n; ++y)
                    for (int x = int(4 * ratio); x < n; ++x)
                        gaps += image.pixel(x, y) == qRgb(255, 255, 255);
                QCOMPARE(gaps, 0);
            }
    }

    void otherBanks()
    {
        LCNet::Calculator main;
        main.setFrequency(7000);
        main.setLoadImpedance(LCNet::Impedance(12, -30));
        LCChartDialog dialog(&main);
        QVERIFY(shown(&dialog));
        auto *view = dialog.findChild<LCView *>("viewLC");
        LCMatrixItem *item = matrixOf(view);
        // Steps that are no bank change nothing.
        const double before = item->at(40, 90);
        for (const std::vector<double> &bad :
             std::initializer_list<std::vector<double>>{{1}, {1, 1, 2}, {1, NaN}, ramp(4097)})
            QVERIFY(!dialog.setBankSteps(bad, {1, 2}) && !dialog.setBankSteps({1, 2}, bad));
        QVERIFY(item->cCount() == 256 && item->at(40, 90) == before);

        // A 3 x 5 bank: every cell evaluated, the axes at its steps, and a cell
        // (as the window draws it, the viewport away from the window's origin)
        // coloured by its value.
        const std::vector<double> l = {0.1, 0.35, 1.2}, c = {10, 22, 47, 100, 220};
        QVERIFY(dialog.setBankSteps(l, c));
        QVERIFY(item->lCount() == 3 && item->cCount() == 5);
        for (int ci = 0; ci < 5; ++ci)
            for (int li = 0; li < 3; ++li)
                QCOMPARE(item->at(ci, li), swrAt(main, c[ci], l[li]));
        for (auto [axis, steps] : {std::pair{"axisC", c}, std::pair{"axisL", l}}) {
            const QVector<AxisTick> ticks = dialog.findChild<ChartAxis *>(axis)->ticks();
            QVERIFY(ticks.size() >= 2);
            for (const AxisTick &t : ticks)
                QVERIFY(std::find(steps.begin(), steps.end(), t.value) != steps.end());
        }
        const QPoint cell = view->viewport()->mapTo(&dialog, view->mapFromScene(QPointF(160, 77)));
        QCOMPARE(dialog.grab().toImage().pixelColor(cell),
                 colorForValue(swrAt(main, 220, 1.2), 0, LCChartDialog::DefaultMaximum));

        // 4096 C steps 1 pF apart, each cell's value its C step: zoomed out to
        // the whole bank in 400 pixels, no more than about 256 cells cross it.
        QVERIFY(item->setSteps({0.0, 1.0, 2.0}, ramp(4096)));
        dialog.findChild<LegendWidget *>("legSWR")->setRange(0, 4095);
        for (int ci = 0; ci < 4096; ++ci)
            for (int li = 0; li < 3; ++li)
                item->at(ci, li) = ci;
        const QImage image = paintItem(*item, QTransform::fromScale(400.0 / 4096, 0.1), {400, 40});
        std::set<QRgb> colours;
        for (int x = 0; x < 400; ++x)
            colours.insert(image.pixel(x, 15));
        QVERIFY(colours.size() > 200 && colours.size() <= 257);
    }

    void readOutsZoomRefitAndReset()
    {
        LCNet::Calculator main;
        LCChartDialog dialog(&main);
        dialog.resize(700, 500);
        QVERIFY(shown(&dialog));
        auto *view = dialog.findChild<LCView *>("viewLC");
        QWidget *viewport = view->viewport();
        // The opening view shows the corner 0 .. 400 pF, 0 .. 4 uH, in cells of
        // one step.
        const QRectF opening = view->visibleSceneRect();
        QVERIFY(opening.contains(QRectF(0, 0, 400, 400)) && opening.width() < 1000 &&
                view->transform().m11() >= 0.5);

        const auto readOuts = [&] { return texts(&dialog, {"edtC", "edtL", "edtSWR"}); };
        for (QPointF bad : {QPointF(0, -0.01), QPointF(NaN, 10)}) {
            dialog.showMouseValues(1234.5, 1000); // not on a step
            QCOMPARE(readOuts(),
                     (QStringList{"1234.5 pF", "10 uH", QString::number(swrAt(main, 1234.5, 10))}));
            dialog.showMouseValues(bad.x(), bad.y());
            QCOMPARE(readOuts(), Dashes);
        }
        // The mouse over the grey strip left of the matrix.
        QTest::mouseMove(viewport, view->mapFromScene(QPointF(-5, 100)));
        QTRY_COMPARE(readOuts(), Dashes);

        // Ticks at the steps, where the view maps them, at two zooms.
        for (int zoomIn : {0, 3}) {
            for (int i = 0; i < zoomIn; ++i)
                QTest::mouseClick(viewport, Qt::RightButton, {}, viewport->rect().center());
            for (auto [name, table] : {std::pair{"axisC", &CTable}, std::pair{"axisL", &LTable}}) {
                const bool across = name == QLatin1String("axisC");
                int labels = 0;
                for (const AxisTick &t : dialog.findChild<ChartAxis *>(name)->ticks()) {
                    QVERIFY(std::find(table->begin(), table->end(), t.value) != table->end());
                    const QPointF p = view->viewportTransform().map(
                        across ? QPointF(t.value, 0) : QPointF(0, 100 * t.value));
                    QCOMPARE(t.pos, across ? p.x() : p.y());
                    labels += !t.label.isEmpty() && t.label.toDouble() == t.value;
                }
                QVERIFY(labels >= 3);
            }
        }
        // The wheel zooms about the centre without scrolling.
        const QPointF centre = view->visibleSceneRect().center();
        const double scale = view->transform().m11();
        wheel(viewport, 120);
        QVERIFY(QLineF(view->visibleSceneRect().center(), centre).length() < 1);
        QCOMPARE(view->transform().m11(), scale * 1.125);

        // Smaller, then back: what the user chose stays in view, at about the
        // same zoom; then Reset view goes back to the opening.
        const QRectF chosen = view->visibleSceneRect();
        for (QSize size : {QSize(dialog.minimumSizeHint().width(), 330), QSize(700, 500)}) {
            dialog.resize(size);
            QTRY_COMPARE(dialog.size(), size);
            QApplication::processEvents();
            QVERIFY(view->visibleSceneRect().adjusted(-0.5, -0.5, 0.5, 0.5).contains(chosen));
        }
        QVERIFY(view->visibleSceneRect().width() < 1.05 * chosen.width());
        dialog.findChild<QToolButton *>("btnResetView")->click();
        QVERIFY(QLineF(view->visibleSceneRect().topLeft(), opening.topLeft()).length() < 1);
        QVERIFY(std::fabs(view->visibleSceneRect().width() / opening.width() - 1) < 1e-6);

        // Zoomed far beyond any use, in and out: the steps stop before the
        // transform overflows or collapses, and the view still paints.
        for (int notches : {50, -50}) {
            for (int i = 0; i < 600; ++i)
                wheel(viewport, notches * 120);
            wheel(viewport,
                  notches > 0 ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min());
            const double m11 = view->transform().m11();
            QVERIFY(std::isfinite(m11) && std::fabs(std::log10(m11)) > 3);
            QTest::mouseClick(viewport, Qt::RightButton, {}, QPoint(5, 5));
            QVERIFY(view->transform().isInvertible() && !dialog.grab().isNull());
        }
    }

    void linkAndSeveralDialogs()
    {
        QWidget window;
        LCNet::Calculator main;
        QPointer<LCChartDialog> first = new LCChartDialog(&main, &window);
        QPointer<LCChartDialog> lc = new LCChartDialog(&main, &window);
        QPointer<ZChartDialog> z = new ZChartDialog(&main, &window);
        for (QDialog *d : std::initializer_list<QDialog *>{first, lc, z}) {
            connect(&main, SIGNAL(dataChanged(LCNet::Calculator *)), d,
                    SLOT(changeCurrent(LCNet::Calculator *)));
            d->setAttribute(Qt::WA_DeleteOnClose);
            d->show();
        }
        QVERIFY(QTest::qWaitForWindowExposed(z));
        first->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        QTRY_VERIFY(first.isNull());
        auto *view = lc->findChild<LCView *>("viewLC");
        LCMatrixItem *item = matrixOf(view);
        auto *chart = z->findChild<ZChart *>("chartZ");
        const double before = item->at(40, 90);

        // Frozen: neither marker nor map follows.
        lc->findChild<QPushButton *>("btnLink")->click();
        z->findChild<QPushButton *>("btnLink")->click();
        main.setInductance(LTable[100]);
        main.setLoadImpedance(LCNet::Impedance(300, 0));
        QCOMPARE(QPointF(view->markerX, view->markerY), QPointF(2000, 1200));
        QCOMPARE(item->at(40, 90), before);
        QCOMPARE(chart->marker, QPointF(20, 100));

        // Following again from the next change on; the R + jX view keeps its centre.
        lc->findChild<QPushButton *>("btnLink")->click();
        z->findChild<QPushButton *>("btnLink")->click();
        QCOMPARE(view->markerY, 1200.0);
        main.setCapacitance(CTable[7]);
        QCOMPARE(QPointF(view->markerX, view->markerY), QPointF(CTable[7], 100 * LTable[100]));
        QCOMPARE(QPointF(item->currentC, item->currentL), QPointF(CTable[7], LTable[100]));
        QCOMPARE(item->at(40, 90), swrAt(main, CTable[40], LTable[90]));
        QCOMPARE(chart->marker, QPointF(300, 0));
        QCOMPARE(chart->center, QPointF(20, 100));
    }
};

QTEST_MAIN(TestLCChart)
#include "tst_charts_lcchart.moc"
