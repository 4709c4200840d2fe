// The SWR colour scale and the legend bar. The maximum prompt is driven
// through the R + jX dialog (tst_charts_zchart).
#include "legendwidget.h"

#include <QTest>

#include <limits>

class TestLegend : public QObject
{
    Q_OBJECT

private slots:
    void colourScale_data()
    {
        const double NaN = std::numeric_limits<double>::quiet_NaN();
        const QColor grey(192, 192, 192), dark(80, 80, 80);
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("1 of 10: index 102") << 1.0 << 0.0 << 10.0 << QColor(0, 255, 153);
        QTest::newRow("5 of 10: 511.5 up") << 5.0 << 0.0 << 10.0 << QColor(255, 255, 0);
        QTest::newRow("11 of 10") << 11.0 << 0.0 << 10.0 << dark;
        QTest::newRow("5002 of 5000: 1023.41") << 5002.0 << 0.0 << 5000.0 << QColor(0, 0, 0);
        // On 0 .. 1023 the value is the index: both sides of each band edge.
        QTest::newRow("255") << 255.0 << 0.0 << 1023.0 << QColor(0, 255, 0);
        QTest::newRow("256") << 256.0 << 0.0 << 1023.0 << QColor(0, 255, 0);
        QTest::newRow("511") << 511.0 << 0.0 << 1023.0 << QColor(255, 255, 0);
        QTest::newRow("512") << 512.0 << 0.0 << 1023.0 << QColor(255, 255, 0);
        QTest::newRow("767") << 767.0 << 0.0 << 1023.0 << QColor(255, 0, 0);
        QTest::newRow("768") << 768.0 << 0.0 << 1023.0 << QColor(255, 0, 0);
        // Halves round away from zero; the minimum shifts the scale.
        QTest::newRow("-0.49") << -0.49 << 0.0 << 1023.0 << QColor(0, 255, 255);
        QTest::newRow("-0.5") << -0.5 << 0.0 << 1023.0 << grey;
        QTest::newRow("99 of 100 .. 1123") << 99.0 << 100.0 << 1123.0 << grey;
        // No index, no range, or a span too wide for a double.
        QTest::newRow("NaN") << NaN << 0.0 << 10.0 << grey;
        QTest::newRow("index past int") << 1e300 << 0.0 << 10.0 << grey;
        QTest::newRow("reversed range") << 5.0 << 10.0 << 0.0 << grey;
        QTest::newRow("span overflows") << 0.0 << -1.7e308 << 1.7e308 << QColor(0, 255, 255);
    }

    void colourScale()
    {
        QFETCH(double, value);
        QFETCH(double, min);
        QFETCH(double, max);
        QFETCH(QColor, colour);
        QCOMPARE(colorForValue(value, min, max), colour);
    }

    void ticksAndLabels()
    {
        LegendWidget legend;
        QFont font = legend.font();
        font.setPointSize(6);
        legend.setFont(font);
        legend.resize(80, 100);
        const QImage image = legend.grab().toImage();
        const int s = QFontMetrics(font).height() / 2 - 1;
        // The bar spans the rows s .. h - s whatever the range; the frame and the
        // ticks at s, h/4, h/2, 3h/4 and h - s keep the pen of its last line.
        const QColor pen = colorForValue(100 - s, 0, 100);
        for (int y : {s, 25, 50, 75, 100 - s})
            QCOMPARE(image.pixelColor(33, y), pen);
        QVERIFY(image.pixelColor(33, 37) != pen);
        QCOMPARE(image.pixelColor(0, 50), pen);
        for (int y : {s + 1, 20, 80})
            QCOMPARE(image.pixelColor(15, y), colorForValue(y, 0, 100));
        // The width follows the widest label (0, 25000 .. 100000) placed two
        // pixels clear of the ticks; the middle labels are fractions of the span
        // (0.25 ..), not offsets (1000.25 ..).
        const QFontMetrics metrics(font);
        legend.setRange(0, 100000);
        QCOMPARE(legend.sizeHint(), QSize(37 + metrics.horizontalAdvance("100000"), 100));
        legend.setRange(1000, 1001);
        QCOMPARE(legend.sizeHint().width(), 37 + metrics.horizontalAdvance("1001"));

        // At any font size the labels keep clear of the ticks (columns 35, 36)
        // and neither the top nor the bottom one is cut off.
        for (int points = 5; points <= 14; ++points) {
            font.setPointSize(points);
            legend.setFont(font);
            legend.setRange(0, 8888);
            legend.resize(legend.sizeHint().width(), 150);
            const QImage shot = legend.grab().toImage();
            const QRgb background = shot.pixel(shot.width() - 1, 1);
            int ink = 0;
            for (int y = 0; y < shot.height(); ++y) {
                QVERIFY(shot.pixel(35, y) == background && shot.pixel(36, y) == background);
                for (int x = 37; x < shot.width(); ++x)
                    ink += shot.pixel(x, y) != background;
            }
            QVERIFY(ink > 0);
            for (int x = 37; x < shot.width(); ++x)
                QVERIFY(shot.pixel(x, 0) == background &&
                        shot.pixel(x, shot.height() - 1) == background);
        }
    }
};

QTEST_MAIN(TestLegend)
#include "tst_charts_legend.moc"
