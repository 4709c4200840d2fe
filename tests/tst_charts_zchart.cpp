// The R + jX chart widget and its dialog, with the legend maximum prompt.
#include "chartstest.h"

namespace
{
// A chart of the distance from the origin, on a legend 0 .. 100.
struct DistanceChart : ZChart {
    LegendWidget scale;
    DistanceChart(int w, int h, double zoomed, QPointF centre = {}, QPointF cross = {})
    {
        scale.setRange(0, 100);
        legend = &scale;
        resize(w, h);
        zoom = zoomed;
        center = centre;
        marker = cross;
        connect(this, &ZChart::getZValue,
                [](double x, double y, double &z) { z = std::hypot(x, y); });
    }
};
} // namespace

class TestZChart : public QObject
{
    Q_OBJECT

private slots:
    void mappingZoomAndLimits()
    {
        DistanceChart chart(400, 300, 1.5, {50, 0});
        QCOMPARE(chart.pixelToPlane(0, 0), QPointF(-248.5, 223.5));
        QCOMPARE(chart.pixelToPlane(399, 299), QPointF(350, -225)); // a span of 598.5 x 448.5
        QCOMPARE(chart.planeToPixel(QPointF(51, -0.75)), QPointF(199 + 1 / 1.5, 149.5));
        QTest::mouseClick(&chart, Qt::RightButton, {}, QPoint(199, 149)); // only halves the zoom
        QVERIFY(chart.center == QPointF(50, 0) && chart.zoom == 0.75);
        chart.zoom = 0.1;
        wheel(&chart, 120);
        QCOMPARE(QString::number(chart.zoom), QStringLiteral("0.0888889"));
        wheel(&chart, 7); // below one step
        wheel(&chart, -120);
        QVERIFY(std::fabs(chart.zoom - 0.1) < 1e-15);
        chart.zoom = 0;
        QCOMPARE(chart.planeToPixel(QPointF(1000, 1000)), QPointF(0, 0));

        // 1100 right clicks, 12000 notches out, or the extreme deltas would
        // take the zoom to 0, infinity or NaN: such steps are ignored.
        chart.zoom = 1.5;
        for (int i = 0; i < 1100; ++i)
            QTest::mouseClick(&chart, Qt::RightButton, {}, QPoint(24, 24));
        QVERIFY(chart.zoom > 0 && std::isfinite(1 / chart.zoom));
        for (int i = 0; i < 12000; ++i)
            wheel(&chart, -120);
        QVERIFY(chart.zoom > 1e300 && std::isfinite(chart.zoom));
        for (int delta : {std::numeric_limits<int>::min(), std::numeric_limits<int>::max()})
            wheel(&chart, delta);
        QVERIFY(chart.zoom > 0 && std::isfinite(chart.zoom) && std::isfinite(1 / chart.zoom));

        // Whatever zoom, centre and marker it is given, it paints.
        chart.resize(50, 50);
        chart.addReferencePoints(1);
        for (bool smith : {false, true})
            for (double zoom : {0.0, -1.0, Inf, NaN, 1e308, 5e-324})
                for (double m : {0.0, Inf, -Inf, NaN, 1e300}) {
                    chart.setSmith(smith);
                    chart.zoom = chart.smithZoom = zoom;
                    chart.marker = QPointF(m, -m);
                    chart.center = chart.smithCenter = QPointF(m, m);
                    QVERIFY(!chart.grab().isNull());
                }
        // A map too large to allocate paints light grey instead of crashing.
        chart.setSmith(false);
        chart.zoom = 1;
        chart.resize(100000, 100000);
        QVERIFY(chart.mapImage(1).isNull());
        QImage part(300, 300, QImage::Format_RGB32);
        chart.render(&part);
        QCOMPARE(part.pixelColor(200, 200), QColor(192, 192, 192));
    }

    void imageMatchesPointByPoint()
    {
        // The cross on column 17 + 15 / 2.5 and row 44 + 65 / 2.5.
        DistanceChart chart(37, 90, 2.5, {5, -3}, {20, -68});
        chart.scale.setRange(0, 120);
        QCOMPARE(chart.mapImage(1.5).size(), QSize(56, 135));
        // At device pixel ratio r, pixel (qx, qy) has the legend colour of the
        // point of the logical position (qx / r, qy / r); the cross covers
        // whole logical pixels.
        for (int ratio : {1, 2}) {
            QImage image(37 * ratio, 90 * ratio, QImage::Format_RGB32);
            image.setDevicePixelRatio(ratio);
            chart.render(&image);
            for (int qy = 50 * ratio; qy < 90 * ratio; ++qy) // below the status text
                for (int qx = 0; qx < 37 * ratio; ++qx) {
                    const double px = double(qx) / ratio, py = double(qy) / ratio;
                    const double r = 5 + 2.5 * (px - 17), x = -3 + 2.5 * (44 - py);
                    QCOMPARE(image.pixelColor(qx, qy),
                             int(px) == 23 || int(py) == 70
                                 ? QColor(Qt::black)
                                 : colorForValue(std::hypot(r, x), 0, 120));
                }
        }
    }

    void referencePoints()
    {
        DistanceChart chart(60, 120, 1, {}, {1e9, 1e9}); // the ring lies below the status text
        // Within 10 % of 10: 9 < r < 11, a ring about the centre pixel (29, 59).
        chart.addReferencePoints(10);
        int ring = 0;
        for (int px = 0; px < 60; ++px)
            for (int py = 0; py < 120; ++py)
                ring += std::fabs(std::hypot(px - 29, 59 - py) - 10) < 1;
        QCOMPARE(chart.referencePoints().size(), ring);
        QCOMPARE(chart.grab().toImage().pixelColor(29 + 10, 59), QColor(Qt::blue));

        chart.addReferencePoints(10);
        for (double v : {0.0, -10.0, Inf, NaN}) // nothing lies within 10 % of these
            chart.addReferencePoints(v);
        QCOMPARE(chart.referencePoints().size(), 2 * ring);
        chart.zoom = 0.5; // the points stay where they are in ohm
        QCOMPARE(chart.grab().toImage().pixelColor(29 + 20, 59), QColor(Qt::blue));
    }

    void axesRefitAndReset()
    {
        LCNet::Calculator main;
        ZChartDialog dialog(&main);
        dialog.resize(700, 500);
        QVERIFY(shown(&dialog));
        // Opening on the main load (20, 100) at 1.5 ohm per pixel; showing
        // keeps it.
        auto *chart = dialog.findChild<ZChart *>("chartZ");
        QVERIFY(chart->center == QPointF(20, 100) && chart->zoom == ZChartDialog::OpeningZoom);
        // Round values 1, 2 or 5 x 10^k apart, each at the centre of the pixel
        // that shows it, labelled with its value, the labels apart.
        for (double zoom : {1.5, 0.0004}) {
            chart->zoom = zoom;
            for (const char *name : {"axisR", "axisX"}) {
                const bool across = name == QLatin1String("axisR");
                auto *axis = dialog.findChild<ChartAxis *>(name);
                const QVector<AxisTick> ticks = axis->ticks();
                QVERIFY(ticks.size() >= 3);
                const double step = ticks[1].value - ticks[0].value;
                const double mantissa = step / std::pow(10, std::floor(std::log10(step) + 1e-9));
                QVERIFY(QList<double>({1, 2, 5}).contains(std::round(mantissa * 1e6) / 1e6));
                for (int i = 0; i < ticks.size(); ++i) {
                    const AxisTick &t = ticks[i];
                    const QPointF p =
                        chart->planeToPixel(across ? QPointF(t.value, 0) : QPointF(0, t.value));
                    QCOMPARE(t.pos, (across ? p.x() : p.y()) + 0.5);
                    QVERIFY(std::fabs(t.label.toDouble() - t.value) < step * 1e-9);
                    if (i > 0 && across)
                        QVERIFY(t.pos - ticks[i - 1].pos >
                                axis->fontMetrics().horizontalAdvance(t.label));
                }
            }
        }
        // Smaller, then back: what was shown stays in view about the centre.
        chart->zoom = 1.5;
        QTest::mouseClick(chart, Qt::RightButton, {}, QPoint(100, 80));
        const auto shownPlane = [&] {
            return QRectF(chart->pixelToPlane(0, 0),
                          chart->pixelToPlane(chart->width() - 1, chart->height() - 1))
                .normalized();
        };
        const QRectF chosen = shownPlane();
        const QPointF centre = chart->center;
        for (QSize size : {QSize(dialog.minimumSizeHint().width(), 380), QSize(700, 500)}) {
            dialog.resize(size);
            QTRY_COMPARE(dialog.size(), size);
            QApplication::processEvents();
            QVERIFY(shownPlane().adjusted(-1e-9, -1e-9, 1e-9, 1e-9).contains(chosen));
            QCOMPARE(chart->center, centre);
        }
        QVERIFY(std::fabs(chart->zoom / 0.75 - 1) < 0.01);
        // Home goes back to the opening view, in either view.
        chart->smithZoom = 8;
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClick(&dialog, Qt::Key_Home);
        QTRY_COMPARE(chart->center, chart->marker); // the button animates its click
        QVERIFY(chart->zoom == 1.5 && chart->smithZoom == 1.0);
    }

    void smithViewReadOutsAndPrompts()
    {
        LCNet::Calculator main;
        main.setInductance(1.5); // matches somewhere near the default load (20, 100)
        main.setCapacitance(300);
        ZChartDialog dialog(&main);
        auto *chart = dialog.findChild<ZChart *>("chartZ");
        dialog.findChild<LegendWidget *>("legSWR")->setRange(0, 10);
        QVERIFY(shown(&dialog));
        // Hand-computed reflection coefficients against 50 ohm: 50 ohm at the
        // centre, 25 ohm at -1/3, pure reactances on the rim (j50 at j).
        const std::pair<QPointF, QPointF> worked[] = {
            {{50, 0}, {0, 0}}, {{25, 0}, {-1.0 / 3, 0}}, {{0, 50}, {0, 1}}};
        for (auto [load, gamma] : worked)
            QCOMPARE(ZChart::gammaOf(load), gamma);
        for (double x : {10.0, -73.0, 1e4})
            QVERIFY(std::fabs(QLineF({}, ZChart::gammaOf(QPointF(0, x))).length() - 1) < 1e-12);
        QVERIFY(ZChart::loadOf(QPointF(0, 1.01)).x() < 0); // outside the disk

        dialog.findChild<QToolButton *>("btnSmith")->click();
        QApplication::processEvents(); // the chart takes the axes' room
        QVERIFY(chart->isSmith() && dialog.findChild<ChartAxis *>("axisR")->isHidden());
        const int cx = chart->width() / 2 - 1, cy = chart->height() / 2 - 1;
        const double radius = chart->smithRadius();
        for (auto [load, gamma] : worked)
            QCOMPARE(chart->loadToPixel(load),
                     QPointF(cx, cy) + radius * QPointF(gamma.x(), -gamma.y()));

        // 50 ohm, near 25 ohm, just inside the rim at j50, and a matched load:
        // each pixel has the colour of the SWR of the load it shows, which is
        // the colour the R + jX view gives the same load.
        const QImage smith = chart->mapImage(1);
        for (QPoint p : {QPoint(cx, cy), QPoint(qRound(cx - radius / 3), cy),
                         QPoint(cx, int(std::ceil(cy - radius + 0.5))),
                         chart->loadToPixel(QPointF(20, 100)).toPoint()}) {
            const QPointF load = chart->pixelToLoad(p.x(), p.y());
            QVERIFY(load.x() >= 0);
            QCOMPARE(smith.pixelColor(p), colorForValue(swrOf(main, load.x(), load.y()), 0, 10));
            chart->setSmith(false);
            chart->center = load;
            QCOMPARE(chart->mapImage(1).pixelColor(cx, cy), smith.pixelColor(p));
            chart->setSmith(true);
        }
        // Outside the disk: no map, and the read-out has no load to show.
        const QPoint outside(qRound(cx + radius + 3), cy);
        QCOMPARE(smith.pixelColor(outside), chart->palette().color(QPalette::Window));
        const auto *readOut = dialog.findChild<QLabel *>("edtR");
        QTest::mouseMove(chart, outside);
        QTRY_COMPARE(readOut->text(), QStringLiteral("-"));
        QTest::mouseMove(chart, QPoint(cx, cy));
        QTRY_COMPARE(readOut->text(), QStringLiteral("50 Ohm"));
        // Reference points found on the disk lie within 10 % of their SWR.
        chart->addReferencePoints(3);
        QVERIFY(!chart->referencePoints().isEmpty());
        for (const QPointF &p : chart->referencePoints())
            QVERIFY(p.x() >= 0 && std::fabs(swrOf(main, p.x(), p.y()) - 3) < 0.3);

        // The wheel zooms into the disk about its centre, within limits, and
        // leaves the plane's zoom alone.
        const double planeZoom = chart->zoom;
        wheel(chart, 120);
        QVERIFY(chart->smithZoom == 1.125 && chart->zoom == planeZoom);
        QCOMPARE(chart->loadToPixel(QPointF(25, 0)), QPointF(cx - 1.125 * radius / 3, cy));
        for (int i = 0; i < 300; ++i)
            wheel(chart, 1200);
        QVERIFY(chart->smithZoom <= ZChart::MaxSmithZoom && chart->smithZoom > 1e5);
        QVERIFY(!dialog.grab().isNull());
        wheel(chart, std::numeric_limits<int>::min());
        QVERIFY(chart->smithZoom >= ZChart::MinSmithZoom);

        // Back on the plane, the mouse 21 pixels left of the centre, at R =
        // -11.5 ohm; then a negative X, which is a load, and a NaN R, which is
        // not.
        dialog.findChild<QToolButton *>("btnSmith")->click();
        chart->center = QPointF(20, 100);
        const auto readOuts = [&] { return texts(&dialog, {"edtR", "edtX", "edtSWR"}); };
        QTest::mouseMove(chart, QPoint(chart->width() / 2 - 22, chart->height() / 2));
        QTRY_COMPARE(readOuts(), Dashes);
        dialog.showMouseValue(35, -94);
        QCOMPARE(readOuts(),
                 (QStringList{"35 Ohm", "-94 Ohm", QString::number(swrOf(main, 35, -94))}));
        dialog.showMouseValue(NaN, 10);
        QCOMPARE(readOuts(), Dashes);
        double z = 0;
        dialog.calculateZValue(-1e-9, 0, z); // total reflection, painted light grey
        QCOMPARE(z, Inf);

        // Accepted, cancelled, empty, not a number (an empty range), huge,
        // NaN; each prompt offers the maximum in force (10 since the above).
        const char *answers[] = {"20", nullptr, "", "abc", "1e999", "nan"};
        const char *maxima[] = {"10", "20", "20", "20", "0", "inf", "nan"};
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(prompt(&dialog, "btnSetMax", answers[i]),
                     QStringLiteral("Set new legend SWR maximum|Max SWR:|") + maxima[i]);
            QCOMPARE(QString::number(dialog.findChild<LegendWidget *>("legSWR")->maxValue()),
                     maxima[i + 1]);
            QVERIFY(!dialog.grab().isNull());
        }
        // Accepted, cancelled, not a number, infinite: only the first adds
        // points, until they are deleted.
        chart->zoom = 3;
        for (const char *answer : {"2", static_cast<const char *>(nullptr), "two", "inf"}) {
            QCOMPARE(prompt(&dialog, "btnAddReference", answer),
                     QStringLiteral("Enter reference SWR value|Reference SWR:|1.0"));
            QCOMPARE(chart->referencePoints().isEmpty(), answer != QStringLiteral("2"));
            dialog.findChild<QPushButton *>("btnDelReference")->click();
            QVERIFY(chart->referencePoints().isEmpty());
        }
    }
};

QTEST_MAIN(TestZChart)
#include "tst_charts_zchart.moc"
