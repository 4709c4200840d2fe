// The R + jX chart widget and its dialog, with the legend maximum prompt.
#include "dialogdriver.h"
#include "lcnet.h"
#include "legendwidget.h"
#include "zchart.h"
#include "zchartdialog.h"

#include <QInputDialog>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>

#include <cmath>
#include <limits>

namespace
{
const double Inf = std::numeric_limits<double>::infinity();
const double NaN = std::numeric_limits<double>::quiet_NaN();

double swrFor(const LCNet::Calculator &c, double r, double x)
{
    return LCNet::computeSWR(LCNet::Z0, LCNet::networkInput(c.netType, 1000.0 * c.frequency,
                                                            1e-6 * c.inductance,
                                                            1e-12 * c.capacitance, {r, x}));
}

void wheel(QWidget *w, int deltaY)
{
    QWheelEvent event(QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, deltaY),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &event);
}

// A chart of the distance from the origin, on a legend 0 .. 100.
struct DistanceChart : ZChart {
    LegendWidget scale;
    DistanceChart(int w, int h)
    {
        scale.setRange(0, 100);
        legend = &scale;
        resize(w, h);
        connect(this, &ZChart::getZValue,
                [](double x, double y, double &z) { z = std::hypot(x, y); });
    }
};
} // namespace

class TestZChart : public QObject
{
    Q_OBJECT

private slots:
    void mappingAndZoom();
    void imageMatchesPointByPoint();
    void referencePoints();
    void badZoomAndMarker();
    void dialogReadOutsAndPrompts();
};

void TestZChart::mappingAndZoom()
{
    DistanceChart chart(400, 300);
    chart.center = QPointF(50, 0);
    chart.zoom = 1.5;
    const QPointF a = chart.pixelToPlane(0, 0);
    const QPointF b = chart.pixelToPlane(399, 299);
    QCOMPARE(a, QPointF(-248.5, 223.5));
    QCOMPARE(QStringLiteral("span: (%1, %2)").arg(b.x() - a.x()).arg(a.y() - b.y()),
             QStringLiteral("span: (598.5, 448.5)"));
    QCOMPARE(chart.planeToPixel(QPointF(51, -0.75)), QPointF(199 + 1 / 1.5, 149.5));
    QTest::mouseClick(&chart, Qt::RightButton, {}, QPoint(199, 149)); // only halves the zoom
    QCOMPARE(chart.center, QPointF(50, 0));
    QCOMPARE(chart.zoom, 0.75);
    chart.zoom = 0.1;
    wheel(&chart, 120);
    QCOMPARE(QStringLiteral("zoom: %1").arg(chart.zoom), QStringLiteral("zoom: 0.0888889"));
    wheel(&chart, 7); // below one step
    wheel(&chart, -120);
    QVERIFY(std::fabs(chart.zoom - 0.1) < 1e-15);
    chart.zoom = 0;
    QCOMPARE(chart.planeToPixel(QPointF(1000, 1000)), QPointF(0, 0));
}

void TestZChart::imageMatchesPointByPoint()
{
    DistanceChart chart(37, 90);
    chart.center = QPointF(5, -3);
    chart.zoom = 2.5;
    chart.marker = QPointF(20, -68);
    chart.scale.setRange(0, 120);
    const QImage image = chart.grab().toImage().convertToFormat(QImage::Format_RGB32);
    // One point per pixel in the legend colour, then the black cross.
    QImage reference(37, 90, QImage::Format_RGB32);
    QPainter p(&reference);
    for (int px = 0; px < 37; ++px)
        for (int py = 0; py < 90; ++py) {
            p.setPen(colorForValue(std::hypot(5 + 2.5 * (px - 17), -3 + 2.5 * (44 - py)), 0, 120));
            p.drawPoint(px, py);
        }
    p.setPen(Qt::black);
    p.drawLine(0, 70, 36, 70); // X -68 at row 44 + 65 / 2.5
    p.drawLine(23, 0, 23, 89); // R 20 at column 17 + 15 / 2.5
    p.end();
    for (int y = 50; y < 90; ++y) // below the status text
        for (int x = 0; x < 37; ++x)
            QCOMPARE(image.pixel(x, y), reference.pixel(x, y));
}

void TestZChart::referencePoints()
{
    DistanceChart chart(60, 120); // the ring lies below the status text
    chart.zoom = 1;
    chart.marker = QPointF(1e9, 1e9);
    // Within 10 % of 10: 9 < r < 11, a ring about the centre pixel (29, 59).
    chart.addReferencePoints(10);
    int ring = 0;
    for (int px = 0; px < 60; ++px)
        for (int py = 0; py < 120; ++py)
            ring += std::fabs(std::hypot(px - 29, 59 - py) - 10) < 1;
    QCOMPARE(chart.referencePoints().size(), ring);
    const QImage image = chart.grab().toImage();
    QCOMPARE(image.pixelColor(29 + 10, 59), QColor(Qt::blue));
    QVERIFY(image.pixelColor(29 + 8, 59) != QColor(Qt::blue));

    chart.addReferencePoints(10);
    for (double v : {0.0, -10.0, Inf, NaN}) // nothing lies within 10 % of these
        chart.addReferencePoints(v);
    QCOMPARE(chart.referencePoints().size(), 2 * ring);
    chart.zoom = 0.5; // the points stay where they are in ohm
    QCOMPARE(chart.grab().toImage().pixelColor(29 + 20, 59), QColor(Qt::blue));
    chart.clearReferencePoints();
    QVERIFY(chart.referencePoints().isEmpty());
    QVERIFY(chart.grab().toImage().pixelColor(29 + 20, 59) != QColor(Qt::blue));
}

void TestZChart::badZoomAndMarker()
{
    DistanceChart chart(50, 50);
    chart.addReferencePoints(1);
    for (double zoom : {0.0, -1.0, Inf, NaN, 1e308, 5e-324})
        for (double m : {0.0, Inf, -Inf, NaN, 1e300}) {
            chart.zoom = zoom;
            chart.marker = QPointF(m, -m);
            chart.center = QPointF(m, m);
            QVERIFY(!chart.grab().isNull());
        }
}

void TestZChart::dialogReadOutsAndPrompts()
{
    LCNet::Calculator main;
    main.setInductance(1.5); // matches somewhere near the default load (20, 100)
    main.setCapacitance(300);
    ZChartDialog dialog(&main);
    auto *chart = dialog.findChild<ZChart *>("chartZ");
    QCOMPARE(chart->center, QPointF(20, 100));
    QCOMPARE(chart->zoom, 1.5);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const auto texts = [&] {
        return QStringList{dialog.findChild<QLabel *>("edtR")->text(),
                           dialog.findChild<QLabel *>("edtX")->text(),
                           dialog.findChild<QLabel *>("edtSWR")->text()};
    };
    dialog.showMouseValue(35, -94); // negative X is a load; negative R is not
    QCOMPARE(texts(), (QStringList{"35 Ohm", "-94 Ohm", QString::number(swrFor(main, 35, -94))}));
    // The mouse 21 pixels left of the centre, at R = -11.5 ohm; then -0.5 and NaN.
    QTest::mouseMove(chart, QPoint(chart->width() / 2 - 22, chart->height() / 2));
    QTRY_COMPARE(texts(), (QStringList{"-", "-", "-"}));
    for (double r : {-0.5, NaN}) {
        dialog.showMouseValue(35, -94);
        dialog.showMouseValue(r, 10);
        QCOMPARE(texts(), (QStringList{"-", "-", "-"}));
    }
    double z = 0;
    dialog.calculateZValue(-1e-9, 0, z); // total reflection, painted light grey
    QCOMPARE(z, Inf);

    // Answers the prompt that `button` opens (a null answer cancels it) and
    // returns what it asked: title|label|initial text.
    const auto prompt = [&](const char *button, const QString &answer) {
        auto asked = std::make_shared<QString>();
        auto seen = answerNextModal([=](QWidget *w) {
            auto *input = qobject_cast<QInputDialog *>(w);
            *asked = input->windowTitle() + '|' + input->labelText() + '|' + input->textValue();
            input->setTextValue(answer);
            answer.isNull() ? input->reject() : input->accept();
        });
        dialog.findChild<QPushButton *>(button)->click();
        return *seen ? *asked : QStringLiteral("no prompt");
    };
    // Accepted, cancelled, empty, not a number (an empty range), huge, NaN;
    // each prompt offers the maximum in force.
    const char *answers[] = {"10", nullptr, "", "abc", "1e999", "nan"};
    const char *maxima[] = {"100000", "10", "10", "10", "0", "inf", "nan"};
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(prompt("btnSetMax", answers[i]),
                 QStringLiteral("Set new legend SWR maximum|Max SWR:|") + maxima[i]);
        QCOMPARE(QString::number(dialog.findChild<LegendWidget *>("legSWR")->maxValue()),
                 maxima[i + 1]);
        QVERIFY(!dialog.grab().isNull());
    }
    // Accepted, cancelled, not a number, infinite: only the first adds points,
    // all at SWR 2 +- 10 %, until they are deleted.
    chart->zoom = 3;
    for (const char *answer : {"2", static_cast<const char *>(nullptr), "two", "inf"}) {
        QCOMPARE(prompt("btnAddReference", answer),
                 QStringLiteral("Enter reference SWR value|Reference SWR:|1.0"));
        QCOMPARE(chart->referencePoints().isEmpty(), answer != QStringLiteral("2"));
        for (const QPointF &p : chart->referencePoints())
            QVERIFY(std::fabs(swrFor(main, p.x(), p.y()) - 2) < 0.2);
        dialog.findChild<QPushButton *>("btnDelReference")->click();
        QVERIFY(chart->referencePoints().isEmpty());
    }
}

QTEST_MAIN(TestZChart)
#include "tst_charts_zchart.moc"
