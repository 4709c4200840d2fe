// The R + jX chart widget and its dialog.
#include "lcnet.h"
#include "legendwidget.h"
#include "zchart.h"
#include "zchartdialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <cmath>
#include <limits>

namespace
{
const double Inf = std::numeric_limits<double>::infinity();
const double NaN = std::numeric_limits<double>::quiet_NaN();

// Independent SWR of a load for the calculator's setting.
double swrFor(const LCNet::Calculator &c, double r, double x)
{
    const LCNet::Impedance zIn =
        LCNet::networkInput(c.netType, 1000.0 * c.frequency, 1e-6 * c.inductance,
                            1e-12 * c.capacitance, LCNet::Impedance(r, x));
    return LCNet::computeSWR(LCNet::Z0, zIn);
}

// Answers the next modal prompt: sets the text and accepts, or cancels when
// the text is null. Reports title|label|initial text through seen. Gives up
// after five seconds, so that a missing prompt fails instead of hanging.
void answerPrompt(const QString &text, QString *seen = nullptr)
{
    auto *timer = new QTimer;
    auto *clock = new QElapsedTimer;
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [=] {
        auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
        if ((!dialog || !dialog->isVisible()) && clock->elapsed() < 5000)
            return;
        timer->stop();
        timer->deleteLater();
        delete clock;
        if (!dialog)
            return;
        auto *edit = dialog->findChild<QLineEdit *>();
        if (seen)
            *seen = dialog->windowTitle() + '|' + dialog->labelText() + '|' + edit->text();
        edit->setText(text);
        text.isNull() ? dialog->reject() : dialog->accept();
    });
    timer->start(10);
}

void wheel(QWidget *w, int deltaY)
{
    const QPointF pos(w->width() / 2, w->height() / 2);
    QWheelEvent event(pos, w->mapToGlobal(pos), QPoint(), QPoint(0, deltaY), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &event);
}

QString text(QWidget *dialog, const char *name)
{
    return dialog->findChild<QLabel *>(name)->text();
}

// A chart that shows the distance from the origin, on a legend 0 .. 100.
struct DistanceChart {
    ZChart chart;
    LegendWidget legend;
    int requests = 0;
    DistanceChart(int w, int h)
    {
        legend.setRange(0, 100);
        chart.legend = &legend;
        chart.resize(w, h);
        QObject::connect(&chart, &ZChart::getZValue, [this](double x, double y, double &z) {
            ++requests;
            z = std::hypot(x, y);
        });
    }
};
} // namespace

class TestZChart : public QObject
{
    Q_OBJECT

private slots:
    void mapping();
    void imageMatchesPointByPoint();
    void mouseAndWheel();
    void referencePoints();
    void degenerateZoomAndMarker();
    void dialogOpens();
    void dialogReadOuts();
    void dialogLink();
    void dialogReferencePrompt_data();
    void dialogReferencePrompt();
};

void TestZChart::mapping()
{
    ZChart chart;
    chart.resize(400, 300);
    QCOMPARE(chart.zoom, 0.1);
    QCOMPARE(chart.sizeHint(), QSize(100, 100));
    chart.center = QPointF(50, 0);
    chart.zoom = 1.5;
    QCOMPARE(chart.pixelToPlane(199, 149), QPointF(50, 0));
    QCOMPARE(chart.pixelToPlane(0, 0), QPointF(-248.5, 223.5));
    QCOMPARE(chart.pixelToPlane(399, 299), QPointF(350, -225));
    // Span of the status text: 598.5 by 448.5.
    QCOMPARE(chart.pixelToPlane(399, 299).x() - chart.pixelToPlane(0, 0).x(), 598.5);
    QCOMPARE(chart.pixelToPlane(0, 0).y() - chart.pixelToPlane(399, 299).y(), 448.5);
    QCOMPARE(chart.planeToPixel(QPointF(-248.5, 223.5)), QPointF(0, 0));
    QCOMPARE(chart.planeToPixel(QPointF(50, 0)), QPointF(199, 149));
    QCOMPARE(chart.planeToPixel(QPointF(51, -0.75)), QPointF(199 + 1 / 1.5, 149.5));
    chart.zoom = 0;
    QCOMPARE(chart.pixelToPlane(0, 0), QPointF(50, 0));
    QCOMPARE(chart.planeToPixel(QPointF(1000, 1000)), QPointF(0, 0));
}

void TestZChart::imageMatchesPointByPoint()
{
    DistanceChart d(37, 90);
    ZChart &chart = d.chart;
    chart.center = QPointF(5, -3);
    chart.zoom = 2.5;
    chart.marker = QPointF(20, 10);
    d.legend.setRange(0, 120);
    QImage image = chart.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(d.requests, 37 * 90);

    // The definition: one point per pixel with the legend colour as pen,
    // then the cross in black.
    QImage reference(37, 90, QImage::Format_RGB32);
    reference.fill(Qt::white);
    QPainter p(&reference);
    for (int px = 0; px < 37; ++px)
        for (int py = 0; py < 90; ++py) {
            const double x = 5 + 2.5 * (px - 17);
            const double y = -3 + 2.5 * (44 - py);
            p.setPen(colorForValue(std::hypot(x, y), 0, 120));
            p.drawPoint(px, py);
        }
    p.setPen(Qt::black);
    const int mx = int((20 - 5) / 2.5 + 17);
    const int my = int(44 - (10 + 3) / 2.5);
    p.drawLine(0, my, 36, my);
    p.drawLine(mx, 0, mx, 89);
    p.end();
    // Compare below the status text.
    for (int y = 50; y < 90; ++y)
        for (int x = 0; x < 37; ++x)
            QCOMPARE(image.pixel(x, y), reference.pixel(x, y));
    QCOMPARE(image.pixelColor(mx, 70), QColor(Qt::black));

    // Without a legend every point is black.
    chart.legend = nullptr;
    image = chart.grab().toImage();
    for (int y = 50; y < 90; y += 3)
        QCOMPARE(image.pixelColor(y % 37, y), QColor(Qt::black));
}

void TestZChart::mouseAndWheel()
{
    DistanceChart d(400, 300);
    ZChart &chart = d.chart;
    chart.setMouseTracking(true);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    chart.center = QPointF(50, 0);
    chart.zoom = 1.5;
    QVector<QPointF> reported;
    connect(&chart, &ZChart::reportValue,
            [&](double x, double y) { reported.append(QPointF(x, y)); });
    QTest::mouseMove(&chart, QPoint(20, 20));
    // (QTest takes the null point (0, 0) for the widget's centre.)
    QTest::mouseMove(&chart, QPoint(0, 1));
    QTRY_VERIFY(!reported.isEmpty() && reported.last() == QPointF(-248.5, 222));

    // Clicks at the centre pixel: left keeps everything, right halves zoom.
    QTest::mouseClick(&chart, Qt::LeftButton, {}, QPoint(199, 149));
    QCOMPARE(chart.center, QPointF(50, 0));
    QCOMPARE(chart.zoom, 1.5);
    QTest::mouseClick(&chart, Qt::RightButton, {}, QPoint(199, 149));
    QCOMPARE(chart.center, QPointF(50, 0));
    QCOMPARE(chart.zoom, 0.75);
    QTest::mouseClick(&chart, Qt::LeftButton, {}, QPoint(209, 139));
    QCOMPARE(chart.center, QPointF(57.5, 7.5));
    QTest::mouseClick(&chart, Qt::MiddleButton, {}, QPoint(0, 0));
    QCOMPARE(chart.center, QPointF(57.5, 7.5));

    chart.zoom = 0.1;
    wheel(&chart, 120);
    QCOMPARE(QString::number(chart.zoom, 'g', 6), QStringLiteral("0.0888889"));
    wheel(&chart, -120);
    QVERIFY(std::fabs(chart.zoom - 0.1) < 1e-15);
    wheel(&chart, 7); // below one eighth of a degree
    QVERIFY(std::fabs(chart.zoom - 0.1) < 1e-15);
    wheel(&chart, 240);
    QVERIFY(std::fabs(chart.zoom - 0.1 / (1.125 * 1.125)) < 1e-15);
}

void TestZChart::referencePoints()
{
    DistanceChart d(60, 120); // the ring lies below the status text
    ZChart &chart = d.chart;
    chart.center = QPointF(0, 0);
    chart.zoom = 1;
    chart.marker = QPointF(1e9, 1e9);
    // Distances within 10 % of 10: 9 < r < 11, a ring about the centre.
    chart.addReferencePoints(10);
    QCOMPARE(d.requests, 60 * 120);
    int expected = 0;
    for (int px = 0; px < 60; ++px)
        for (int py = 0; py < 120; ++py)
            if (std::fabs(std::hypot(px - 29, 59 - py) - 10) < 1)
                ++expected;
    const int count = chart.referencePoints().size();
    QCOMPARE(count, expected);
    QVERIFY(count > 40);
    for (const QPointF &p : chart.referencePoints())
        QVERIFY(std::fabs(std::hypot(p.x(), p.y()) - 10) < 1);
    // The ring is blue; the centre is not.
    const QImage image = chart.grab().toImage();
    QCOMPARE(image.pixelColor(29 + 10, 59), QColor(Qt::blue));
    QCOMPARE(image.pixelColor(29, 59 + 10), QColor(Qt::blue));
    QVERIFY(image.pixelColor(29, 59 + 2) != QColor(Qt::blue));

    chart.addReferencePoints(10);
    QCOMPARE(chart.referencePoints().size(), 2 * count);
    // Values that nothing lies within 10 % of.
    for (double v : {0.0, -10.0, Inf, -Inf, NaN})
        chart.addReferencePoints(v);
    QCOMPARE(chart.referencePoints().size(), 2 * count);

    // Zooming in keeps the points where they were found.
    chart.zoom = 0.5;
    QCOMPARE(chart.grab().toImage().pixelColor(29 + 20, 59), QColor(Qt::blue));
    chart.clearReferencePoints();
    QVERIFY(chart.referencePoints().isEmpty());
    QVERIFY(chart.grab().toImage().pixelColor(29 + 20, 59) != QColor(Qt::blue));
}

void TestZChart::degenerateZoomAndMarker()
{
    DistanceChart d(50, 50);
    ZChart &chart = d.chart;
    chart.addReferencePoints(1);
    for (double zoom : {0.0, -1.0, Inf, -Inf, NaN, 1e308, 1e-308, 5e-324}) {
        chart.zoom = zoom;
        for (double m : {0.0, Inf, -Inf, NaN, 1e300, -1e300}) {
            chart.marker = QPointF(m, -m);
            chart.center = QPointF(m, m);
            QVERIFY(!chart.grab().isNull());
        }
    }
    // Wheel steps that overflow or underflow the zoom, then paint.
    chart.zoom = 1;
    for (int i = 0; i < 3; ++i)
        wheel(&chart, std::numeric_limits<int>::max());
    QVERIFY(!chart.grab().isNull());
    for (int i = 0; i < 3; ++i)
        wheel(&chart, std::numeric_limits<int>::min());
    QVERIFY(!chart.grab().isNull());
    QTest::mouseClick(&chart, Qt::RightButton, {}, QPoint(3, 3));
}

void TestZChart::dialogOpens()
{
    LCNet::Calculator main;
    ZChartDialog dialog(&main);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("SWR vs R+jX chart"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *chart = dialog.findChild<ZChart *>("chartZ");
    auto *legend = dialog.findChild<LegendWidget *>("legSWR");
    QVERIFY(chart && legend);
    QCOMPARE(chart->legend, legend);
    QCOMPARE(legend->maxValue(), 100000.0);
    QCOMPARE(chart->center, QPointF(20, 100));
    QCOMPARE(chart->marker, QPointF(20, 100));
    QCOMPARE(chart->zoom, 1.5);
    QVERIFY(dialog.findChild<QPushButton *>("btnLink")->isChecked());
    for (const char *name : {"btnLink", "btnAddReference", "btnDelReference", "btnSetMax"})
        QVERIFY(!dialog.findChild<QPushButton *>(name)->icon().isNull());

    // The cross runs through the centre pixel; its neighbour shows the SWR
    // of its own load, and the left half-plane is light grey.
    legend->setRange(0, 10);
    const QImage image = chart->grab().toImage();
    const int cx = chart->width() / 2 - 1;
    const int cy = chart->height() / 2 - 1;
    QCOMPARE(image.pixelColor(cx, cy), QColor(Qt::black));
    QCOMPARE(image.pixelColor(cx, chart->height() - 2), QColor(Qt::black));
    QCOMPARE(image.pixelColor(chart->width() - 2, cy), QColor(Qt::black));
    const int px = cx + 40;
    const int py = cy + 60;
    QCOMPARE(image.pixelColor(px, py),
             colorForValue(swrFor(main, 20 + 1.5 * 40, 100 - 1.5 * 60), 0, 10));
    QCOMPARE(image.pixelColor(2, chart->height() - 2), QColor(192, 192, 192));
}

void TestZChart::dialogReadOuts()
{
    LCNet::Calculator main;
    main.setInductance(1.5);
    main.setCapacitance(300);
    ZChartDialog dialog(&main);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *chart = dialog.findChild<ZChart *>("chartZ");
    const int cx = chart->width() / 2 - 1;
    const int cy = chart->height() / 2 - 1;
    QTest::mouseMove(chart, QPoint(cx + 10, cy + 4));
    QTRY_COMPARE(text(&dialog, "edtR"), QStringLiteral("35 Ohm"));
    QCOMPARE(text(&dialog, "edtX"), QStringLiteral("94 Ohm"));
    QCOMPARE(text(&dialog, "edtSWR"), QString::number(swrFor(main, 35, 94), 'g', 6));
    // Negative X is shown; negative R is not.
    dialog.showMouseValue(5, -7);
    QCOMPARE(text(&dialog, "edtX"), QStringLiteral("-7 Ohm"));
    dialog.showMouseValue(-0.5, 10);
    QCOMPARE(text(&dialog, "edtR"), QStringLiteral("-"));
    QCOMPARE(text(&dialog, "edtX"), QStringLiteral("-"));
    QCOMPARE(text(&dialog, "edtSWR"), QStringLiteral("-"));
    dialog.showMouseValue(NaN, 10);
    QCOMPARE(text(&dialog, "edtSWR"), QStringLiteral("-"));
    // A short circuit reflects everything.
    dialog.showMouseValue(0, 0);
    QCOMPARE(text(&dialog, "edtSWR"), QString::number(swrFor(main, 0, 0), 'g', 6));
    double z = 0;
    dialog.calculateZValue(-1e-9, 0, z);
    QCOMPARE(z, Inf);
}

void TestZChart::dialogLink()
{
    LCNet::Calculator main;
    ZChartDialog dialog(&main);
    connect(&main, &LCNet::Calculator::dataChanged, &dialog, &ZChartDialog::changeCurrent);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *chart = dialog.findChild<ZChart *>("chartZ");
    auto *link = dialog.findChild<QPushButton *>("btnLink");
    dialog.findChild<LegendWidget *>("legSWR")->setRange(0, 10);
    const QImage before = chart->grab().toImage();

    // Frozen: neither the map (new C) nor the cross (new load) follow.
    link->click();
    QVERIFY(!link->isChecked());
    main.setCapacitance(150);
    main.setLoadImpedance(LCNet::Impedance(60, 90));
    QCOMPARE(chart->marker, QPointF(20, 100));
    QCOMPARE(chart->grab().toImage(), before);
    double z = 0;
    dialog.calculateZValue(50, 0, z);
    QCOMPARE(z, swrFor(LCNet::Calculator(), 50, 0));

    // Checking again refreshes nothing by itself; the next change does,
    // moving the cross but not the centre.
    link->click();
    QCOMPARE(chart->marker, QPointF(20, 100));
    main.setLoadImpedance(LCNet::Impedance(30, 80));
    QCOMPARE(chart->marker, QPointF(30, 80));
    QCOMPARE(chart->center, QPointF(20, 100));
    dialog.calculateZValue(50, 0, z);
    QCOMPARE(z, swrFor(main, 50, 0));
    QVERIFY(chart->grab().toImage() != before);
    dialog.changeCurrent(nullptr);
}

void TestZChart::dialogReferencePrompt_data()
{
    QTest::addColumn<QString>("answer"); // null: cancel
    QTest::addColumn<bool>("added");
    QTest::newRow("accepted") << "2" << true;
    QTest::newRow("cancelled") << QString() << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("not a number") << "two" << false;
    QTest::newRow("inf") << "inf" << false;
    QTest::newRow("negative") << "-2" << false;
}

void TestZChart::dialogReferencePrompt()
{
    QFETCH(QString, answer);
    QFETCH(bool, added);
    LCNet::Calculator main;
    // A setting that matches somewhere near the default load.
    main.setInductance(1.5);
    main.setCapacitance(300);
    ZChartDialog dialog(&main);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *chart = dialog.findChild<ZChart *>("chartZ");
    chart->zoom = 3;
    QString seen;
    answerPrompt(answer, &seen);
    dialog.findChild<QPushButton *>("btnAddReference")->click();
    QCOMPARE(seen, QStringLiteral("Enter reference SWR value|Reference SWR:|1.0"));
    const int count = chart->referencePoints().size();
    QCOMPARE(count > 0, added);
    for (const QPointF &p : chart->referencePoints()) {
        const double swr = swrFor(main, p.x(), p.y());
        QVERIFY2(swr > 1.8 && swr < 2.2, qPrintable(QString::number(swr)));
    }
    if (!added)
        return;
    // The initial text is 1.0 again, not the last value.
    answerPrompt("2", &seen);
    dialog.findChild<QPushButton *>("btnAddReference")->click();
    QCOMPARE(seen, QStringLiteral("Enter reference SWR value|Reference SWR:|1.0"));
    QCOMPARE(chart->referencePoints().size(), 2 * count);
    dialog.findChild<QPushButton *>("btnDelReference")->click();
    QVERIFY(chart->referencePoints().isEmpty());
}

QTEST_MAIN(TestZChart)
#include "tst_charts_zchart.moc"
