// The SWR colour scale, the legend bar and the shared maximum prompt.
#include "legendwidget.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace
{
const double Inf = std::numeric_limits<double>::infinity();
const double NaN = std::numeric_limits<double>::quiet_NaN();

QColor rgb(int r, int g, int b)
{
    return QColor(r, g, b);
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
} // namespace

class TestLegend : public QObject
{
    Q_OBJECT

private slots:
    void scaleWorkedExamples();
    void scaleBoundaries();
    void scaleOutside();
    void legendTicksAndBar();
    void sizeHintFollowsLabels();
    void maximumPrompt_data();
    void maximumPrompt();
};

void TestLegend::scaleWorkedExamples()
{
    QCOMPARE(colorForValue(1, 0, 10), rgb(0, 255, 153));
    QCOMPARE(colorForValue(5, 0, 10), rgb(255, 255, 0)); // t = 511.5 rounds up
    QCOMPARE(colorForValue(10, 0, 10), rgb(0, 0, 0));
    QCOMPARE(colorForValue(11, 0, 10), rgb(80, 80, 80));
    QCOMPARE(colorForValue(0, 0, 5000), rgb(0, 255, 255));
    QCOMPARE(colorForValue(5000, 0, 5000), rgb(0, 0, 0));
    QCOMPARE(colorForValue(5002, 0, 5000), rgb(0, 0, 0));    // t = 1023.41
    QCOMPARE(colorForValue(5003, 0, 5000), rgb(80, 80, 80)); // t = 1023.61
    QCOMPARE(colorForValue(1, 0, 5000), rgb(0, 255, 255));   // SWR 1 on the default range
    QCOMPARE(colorForValue(0, 0, 5000).alpha(), 255);
}

void TestLegend::scaleBoundaries()
{
    // With the range 0 .. 1023 the value is the index itself.
    const struct {
        double e;
        QColor colour;
    } cases[] = {{255, rgb(0, 255, 0)},   {256, rgb(0, 255, 0)},   {511, rgb(255, 255, 0)},
                 {512, rgb(255, 255, 0)}, {767, rgb(255, 0, 0)},   {768, rgb(255, 0, 0)},
                 {1023, rgb(0, 0, 0)},    {100, rgb(0, 255, 155)}, {300, rgb(44, 255, 0)},
                 {600, rgb(255, 167, 0)}, {900, rgb(123, 0, 0)}};
    for (const auto &c : cases)
        QCOMPARE(colorForValue(c.e, 0, 1023), c.colour);
    // Halves go away from zero: -0.49 is index 0, -0.5 is -1.
    QCOMPARE(colorForValue(-0.49, 0, 1023), rgb(0, 255, 255));
    QCOMPARE(colorForValue(-0.5, 0, 1023), rgb(192, 192, 192));
    QCOMPARE(colorForValue(1023.49, 0, 1023), rgb(0, 0, 0));
    QCOMPARE(colorForValue(1023.5, 0, 1023), rgb(80, 80, 80));
    // A minimum other than 0 shifts the scale.
    QCOMPARE(colorForValue(100, 100, 1123), rgb(0, 255, 255));
    QCOMPARE(colorForValue(99, 100, 1123), rgb(192, 192, 192));
}

void TestLegend::scaleOutside()
{
    const QColor lightGrey = rgb(192, 192, 192);
    QCOMPARE(colorForValue(Inf, 0, 10), lightGrey);
    QCOMPARE(colorForValue(-Inf, 0, 10), lightGrey);
    QCOMPARE(colorForValue(NaN, 0, 10), lightGrey);
    // An empty, reversed or NaN range paints everything light grey.
    QCOMPARE(colorForValue(0, 0, 0), lightGrey);
    QCOMPARE(colorForValue(5, 10, 0), lightGrey);
    QCOMPARE(colorForValue(5, 0, NaN), lightGrey);
    QCOMPARE(colorForValue(5, NaN, 10), lightGrey);
    // An index beyond the 32-bit range counts as negative; just inside it
    // is dark grey.
    QCOMPARE(colorForValue(1e300, 0, 10), lightGrey);
    QCOMPARE(colorForValue(2e7, 0, 10), rgb(80, 80, 80));
    // A range too wide for a double still gives a colour (t = 0).
    QCOMPARE(colorForValue(0, -1.7e308, 1.7e308), rgb(0, 255, 255));
    // Infinite maximum: every finite value is at the cyan end.
    QCOMPARE(colorForValue(1e300, 0, Inf), rgb(0, 255, 255));
}

void TestLegend::legendTicksAndBar()
{
    LegendWidget legend;
    QFont font = legend.font();
    font.setPointSize(6);
    legend.setFont(font);
    legend.setRange(0, 5000);
    legend.resize(80, 100);
    QCOMPARE(legend.getColor(2500), colorForValue(2500, 0, 5000));
    QCOMPARE(legend.minValue(), 0.0);
    QCOMPARE(legend.maxValue(), 5000.0);

    const QImage image = legend.grab().toImage();
    const int h = 100;
    const int s = QFontMetrics(font).height() / 2 - 1;
    QVERIFY(s > 0);
    // Frame, ticks and labels take the colour of the last gradient line.
    const QColor pen = colorForValue(h - s, 0, h);
    for (int y : {s, 25, 50, 75, h - s}) {
        QCOMPARE(image.pixelColor(32, y), pen);
        QCOMPARE(image.pixelColor(34, y), pen);
    }
    QVERIFY(image.pixelColor(32, 37) != pen);
    // The gradient runs over the pixel range 0 .. h, whatever the range.
    for (int y : {s + 1, 20, 50, 80, h - s - 1})
        QCOMPARE(image.pixelColor(15, y), colorForValue(y, 0, h));
    // The outline of the rectangle (0, s - 1) .. (29, h - s) encloses the
    // bar: columns 0 and 30, rows s - 1 and h - s + 1.
    QCOMPARE(image.pixelColor(0, 50), pen);
    QCOMPARE(image.pixelColor(30, 50), pen);
    QCOMPARE(image.pixelColor(29, 50), colorForValue(50, 0, h));
    QCOMPARE(image.pixelColor(15, s - 1), pen);
    QCOMPARE(image.pixelColor(15, h - s + 1), pen);

    // An empty range makes the labels "0" but leaves the gradient as it is.
    legend.setRange(0, 0);
    QCOMPARE(legend.getColor(0), rgb(192, 192, 192));
    QCOMPARE(legend.grab().toImage().pixelColor(15, 50), colorForValue(50, 0, h));
}

void TestLegend::sizeHintFollowsLabels()
{
    LegendWidget legend;
    const QFontMetrics metrics(legend.font());
    legend.setRange(0, 5000);
    QCOMPARE(legend.sizeHint(), QSize(35 + metrics.horizontalAdvance("5000"), 100));
    legend.setRange(0, 100000);
    // Labels 0, 25000, 50000, 75000, 100000: the maximum is the widest.
    QCOMPARE(legend.sizeHint(), QSize(35 + metrics.horizontalAdvance("100000"), 100));
    // The middle labels are fractions of the span, not offsets.
    legend.setRange(1000, 1001);
    QCOMPARE(legend.sizeHint().width(), 35 + metrics.horizontalAdvance("1001"));
    legend.setRange(-1e6, 0);
    int widest = 0;
    for (const char *label : {"-1e+06", "250000", "500000", "750000", "0"})
        widest = std::max(widest, metrics.horizontalAdvance(label));
    QCOMPARE(legend.sizeHint().width(), 35 + widest);
    QVERIFY(legend.minimumSizeHint().width() >= legend.sizeHint().width());
}

void TestLegend::maximumPrompt_data()
{
    QTest::addColumn<QString>("answer"); // null: cancel
    QTest::addColumn<bool>("changed");
    QTest::addColumn<double>("maximum");
    QTest::newRow("accepted") << "10" << true << 10.0;
    QTest::newRow("cancelled") << QString() << false << 5000.0;
    QTest::newRow("empty") << "" << false << 5000.0;
    QTest::newRow("not a number") << "abc" << true << 0.0;
    QTest::newRow("negative") << "-5" << true << -5.0;
    QTest::newRow("huge") << "1e999" << true << Inf;
    QTest::newRow("Inf") << "inf" << true << Inf;
    QTest::newRow("NaN") << "nan" << true << NaN;
    QTest::newRow("spaces") << " 12.5 " << true << 12.5;
}

void TestLegend::maximumPrompt()
{
    QFETCH(QString, answer);
    QFETCH(bool, changed);
    QFETCH(double, maximum);
    QWidget parent;
    auto *legend = new LegendWidget(&parent);
    legend->setRange(0, 5000);
    parent.show();
    QString seen;
    answerPrompt(answer, &seen);
    QCOMPARE(Vorlap::promptLegendMaximum(&parent, legend), changed);
    QCOMPARE(seen, QStringLiteral("Set new legend SWR maximum|Max SWR:|5000"));
    QCOMPARE(legend->minValue(), 0.0);
    if (std::isnan(maximum))
        QVERIFY(std::isnan(legend->maxValue()));
    else
        QCOMPARE(legend->maxValue(), maximum);
    // Whatever was entered, the legend still paints.
    QVERIFY(!legend->grab().isNull());
}

QTEST_MAIN(TestLegend)
#include "tst_charts_legend.moc"
