// The L/C chart: matrix item, view and dialog.
#include "lcchartdialog.h"
#include "lcmatrixitem.h"
#include "lcnet.h"
#include "lcview.h"
#include "legendwidget.h"
#include "zchart.h"
#include "zchartdialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QGraphicsScene>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QStyleOptionGraphicsItem>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <cmath>
#include <limits>

using LCNet::CTable;
using LCNet::LTable;

namespace
{
const QColor Magenta(255, 0, 255);
const QColor LightGrey(192, 192, 192);

double swrFor(const LCNet::Calculator &c, double pF, double uH)
{
    const LCNet::Impedance zIn = LCNet::networkInput(c.netType, 1000.0 * c.frequency, 1e-6 * uH,
                                                     1e-12 * pF, c.loadImpedance);
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

void wheel(QWidget *viewport, int deltaY)
{
    const QPointF pos(viewport->width() / 2, viewport->height() / 2);
    QWheelEvent event(pos, viewport->mapToGlobal(pos), QPoint(), QPoint(0, deltaY), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &event);
}

QString text(QWidget *dialog, const char *name)
{
    return dialog->findChild<QLabel *>(name)->text();
}

LCMatrixItem *itemOf(LCView *view)
{
    for (QGraphicsItem *i : view->scene()->items())
        if (auto *item = dynamic_cast<LCMatrixItem *>(i))
            return item;
    return nullptr;
}

// Paints the item into a 200 x 200 image at the given scale, with the scene
// point `at` on pixel (100, 100).
QImage paintAt(LCMatrixItem &item, double scale, QPointF at, QRectF exposed = QRectF())
{
    QImage image(200, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QTransform t;
    t.translate(100 - scale * at.x(), 100 - scale * at.y());
    t.scale(scale, scale);
    painter.setTransform(t);
    QStyleOptionGraphicsItem option;
    option.exposedRect = exposed.isNull() ? item.boundingRect() : exposed;
    item.paint(&painter, &option, nullptr);
    return image;
}

QPointF cellCentre(int ci, int li, int s)
{
    return QPointF((CTable[ci - s] + CTable[ci]) / 2, 50.0 * (LTable[li - s] + LTable[li]));
}

bool containsColour(const QImage &image, const QColor &colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}
} // namespace

class TestLCChart : public QObject
{
    Q_OBJECT

private slots:
    void levelOfDetailSteps();
    void cellsAndMagenta();
    void dialogOpens();
    void readOuts();
    void link();
    void mouseZoom();
    void extremeZoom();
    void maximumPrompt();
    void severalDialogs();
};

void TestLCChart::levelOfDetailSteps()
{
    const struct {
        double lod;
        int step;
    } cases[] = {{0, 10},     {0.0499, 10}, {0.05, 5},   {0.0999, 5}, {0.1, 3},
                 {0.2999, 3}, {0.3, 2},     {0.4999, 2}, {0.5, 1},    {40, 1}};
    for (const auto &c : cases)
        QCOMPARE(LCMatrixItem::stepForLevelOfDetail(c.lod), c.step);
    QCOMPARE(LCMatrixItem::stepForLevelOfDetail(std::nan("")), 1);
    LCMatrixItem item;
    QCOMPARE(item.boundingRect(), QRectF(0, 0, 3961, 2486));
    QCOMPARE(item.zValue(), -100.0);
    QCOMPARE(item.currentC, -1.0);
    QCOMPARE(item.currentL, -1.0);
    QCOMPARE(item.matrix[17][42], 0.0);
}

void TestLCChart::cellsAndMagenta()
{
    // Each cell's value is its C step plus its L step, so that every
    // neighbour has another colour (range 0 .. 1023: the index is the value).
    LCMatrixItem item;
    LegendWidget legend;
    legend.setRange(0, 1023);
    item.legend = &legend;
    for (int c = 0; c < 256; ++c)
        for (int l = 0; l < 256; ++l)
            item.matrix[c][l] = c + l;

    // At each zoom, the centre of the cell that ends at step (ci, li) has
    // the colour of that upper corner.
    const struct {
        double scale;
        int step, ci, li;
    } cases[] = {{1, 1, 130, 130},
                 {0.4, 2, 130, 130},
                 {0.2, 3, 129, 129},
                 {0.07, 5, 130, 130},
                 {0.045, 10, 130, 130}};
    for (const auto &c : cases) {
        const QImage image = paintAt(item, c.scale, cellCentre(c.ci, c.li, c.step));
        QCOMPARE(image.pixelColor(100, 100), colorForValue(c.ci + c.li, 0, 1023));
    }

    // Zoomed out to step 10, the C steps 251 .. 255 are not drawn.
    const QImage far = paintAt(item, 0.045, cellCentre(250, 130, 10));
    QCOMPARE(far.pixelColor(100, 100), colorForValue(380, 0, 1023));
    const int strip =
        100 +
        int(std::floor(0.045 * ((CTable[250] + CTable[255]) / 2 - cellCentre(250, 130, 10).x())));
    QCOMPARE(far.pixelColor(strip, 100), QColor(Qt::white));

    // The main setting's cell is magenta when both its steps are multiples
    // of the step, and at step 3 (130 is none) no cell is.
    item.currentC = CTable[130];
    item.currentL = LTable[130];
    for (const auto &c : cases) {
        const QImage image = paintAt(item, c.scale, cellCentre(c.ci, c.li, c.step));
        QCOMPARE(image.pixelColor(100, 100) == Magenta, c.step != 3);
        if (c.step == 3)
            QVERIFY(!containsColour(image, Magenta));
    }
    // Step 0 never colours a cell.
    item.currentC = CTable[0];
    QVERIFY(!containsColour(paintAt(item, 1, QPointF(10, 50)), Magenta));

    // A cell with no corner in the exposed area is skipped entirely.
    const QPointF centre = cellCentre(130, 130, 1);
    const QImage inside =
        paintAt(item, 1, centre, QRectF(centre - QPointF(1, 1), centre + QPointF(1, 1)));
    QCOMPARE(inside.pixelColor(100, 100), QColor(Qt::white));

    // Without a legend the cells are black.
    item.legend = nullptr;
    QCOMPARE(paintAt(item, 1, centre).pixelColor(100, 100), QColor(Qt::black));
}

void TestLCChart::dialogOpens()
{
    LCNet::Calculator main;
    main.setLoadImpedance(LCNet::Impedance(12, -30));
    LCChartDialog dialog(&main);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("SWR vs L/C chart"));
    auto *view = dialog.findChild<LCView *>("viewLC");
    auto *legend = dialog.findChild<LegendWidget *>("legSWR");
    LCMatrixItem *item = itemOf(view);
    QVERIFY(view && legend && item);
    QCOMPARE(legend->maxValue(), 5000.0);
    QCOMPARE(item->legend, legend);
    QCOMPARE(view->sceneRect(), QRectF(-10, -10, 4000, 2500));
    QCOMPARE(view->markerX, 2000.0);
    QCOMPARE(view->markerY, 1200.0);
    QCOMPARE(item->currentC, 2000.0);
    QCOMPARE(item->currentL, 12.0);
    for (int ci : {0, 1, 77, 128, 255})
        for (int li : {0, 5, 126, 200, 255})
            QCOMPARE(item->matrix[ci][li], swrFor(main, CTable[ci], LTable[li]));
    QVERIFY(dialog.findChild<QPushButton *>("btnLink")->isChecked());
    QVERIFY(!dialog.findChild<QPushButton *>("btnLink")->icon().isNull());
    QVERIFY(!dialog.findChild<QPushButton *>("btnSetMax")->icon().isNull());

    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    // The opening view shows the corner 0 .. 400 pF, 0 .. 4 uH.
    const QRectF shown = view->mapToScene(view->viewport()->rect()).boundingRect();
    QVERIFY2(shown.contains(QRectF(0, 0, 400, 400)), qPrintable(QString("%1 %2 %3 %4")
                                                                    .arg(shown.left())
                                                                    .arg(shown.top())
                                                                    .arg(shown.right())
                                                                    .arg(shown.bottom())));
    QVERIFY(shown.width() < 1000 && shown.height() < 1000);
    const QImage image = view->viewport()->grab().toImage();
    const QPoint strip = view->mapFromScene(QPointF(-5, 200));
    if (strip.x() >= 0)
        QCOMPARE(image.pixelColor(strip), QColor(Qt::gray));

    // Centred on the main setting and zoomed in: magenta cell, blue cross.
    view->resetTransform();
    view->scale(4, 4);
    const QPointF cell = cellCentre(128, 126, 1);
    view->centerOn(cell);
    const QImage zoomed = view->viewport()->grab().toImage();
    QCOMPARE(zoomed.pixelColor(view->mapFromScene(cell)), Magenta);
    // The cross lies on the cell edges (C = 2000 pF, L = 12 uH), where the
    // antialiased line shares its two pixels with the black outline.
    const auto blueAround = [&](QPoint p, QPoint step) {
        for (int k = -1; k <= 1; ++k) {
            const QColor c = zoomed.pixelColor(p + k * step);
            if (c.blue() >= 100 && c.red() < 60 && c.green() < 60)
                return true;
        }
        return false;
    };
    QVERIFY(blueAround(view->mapFromScene(QPointF(2000, 1210)), QPoint(1, 0)));
    QVERIFY(blueAround(view->mapFromScene(QPointF(1980, 1200)), QPoint(0, 1)));
    QVERIFY(!blueAround(view->mapFromScene(QPointF(1980, 1210)), QPoint(1, 0)));
}

void TestLCChart::readOuts()
{
    LCNet::Calculator main;
    LCChartDialog dialog(&main);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *view = dialog.findChild<LCView *>("viewLC");
    const QPoint pos(view->viewport()->width() / 2 + 7, view->viewport()->height() / 2 + 3);
    const QPointF scene = view->mapToScene(pos);
    QTest::mouseMove(view->viewport(), pos);
    QTRY_COMPARE(text(&dialog, "edtC"), QStringLiteral("%1 pF").arg(scene.x()));
    QCOMPARE(text(&dialog, "edtL"), QStringLiteral("%1 uH").arg(scene.y() / 100.0));
    QCOMPARE(text(&dialog, "edtSWR"),
             QString::number(swrFor(main, scene.x(), scene.y() / 100.0), 'g', 6));

    // Over the grey strip left of the matrix.
    QTest::mouseMove(view->viewport(), view->mapFromScene(QPointF(-5, 100)));
    QTRY_COMPARE(text(&dialog, "edtC"), QStringLiteral("-"));
    QCOMPARE(text(&dialog, "edtL"), QStringLiteral("-"));
    QCOMPARE(text(&dialog, "edtSWR"), QStringLiteral("-"));
    // The exact L and C are evaluated, also beyond the matrix.
    dialog.showMouseValues(5000, 3000);
    QCOMPARE(text(&dialog, "edtC"), QStringLiteral("5000 pF"));
    QCOMPARE(text(&dialog, "edtL"), QStringLiteral("30 uH"));
    QCOMPARE(text(&dialog, "edtSWR"), QString::number(swrFor(main, 5000, 30), 'g', 6));
    dialog.showMouseValues(0, -0.01);
    QCOMPARE(text(&dialog, "edtSWR"), QStringLiteral("-"));
    dialog.showMouseValues(std::nan(""), 10);
    QCOMPARE(text(&dialog, "edtC"), QStringLiteral("-"));
    // C = 0: the capacitor is open, the load sees the inductor only.
    dialog.showMouseValues(0, 0);
    QCOMPARE(text(&dialog, "edtSWR"), QString::number(swrFor(main, 0, 0), 'g', 6));
}

void TestLCChart::link()
{
    LCNet::Calculator main;
    LCChartDialog dialog(&main);
    connect(&main, &LCNet::Calculator::dataChanged, &dialog, &LCChartDialog::changeCurrent);
    auto *view = dialog.findChild<LCView *>("viewLC");
    auto *link = dialog.findChild<QPushButton *>("btnLink");
    LCMatrixItem *item = itemOf(view);
    const double before = item->matrix[40][40];

    link->click();
    main.setInductance(LTable[100]);
    main.setLoadImpedance(LCNet::Impedance(300, 0));
    QCOMPARE(view->markerY, 1200.0);
    QCOMPARE(item->currentL, 12.0);
    QCOMPARE(item->matrix[40][40], before);

    link->click();
    QCOMPARE(item->currentL, 12.0);
    main.setCapacitance(CTable[7]);
    QCOMPARE(view->markerX, CTable[7]);
    QCOMPARE(view->markerY, 100 * LTable[100]);
    QCOMPARE(item->currentC, CTable[7]);
    QCOMPARE(item->currentL, LTable[100]);
    QCOMPARE(item->matrix[40][40], swrFor(main, CTable[40], LTable[40]));
    QVERIFY(item->matrix[40][40] != before);
    dialog.changeCurrent(nullptr);
}

void TestLCChart::mouseZoom()
{
    LCNet::Calculator main;
    LCChartDialog dialog(&main);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *view = dialog.findChild<LCView *>("viewLC");
    QWidget *viewport = view->viewport();
    view->resetTransform();
    view->centerOn(1500, 1000);
    const QPoint centre = view->mapFromScene(QPointF(1500, 1000));

    // Right click twice: 4 times the zoom, centred on the clicked point.
    const QPoint click = centre + QPoint(30, 20);
    const QPointF target = view->mapToScene(click);
    QTest::mouseClick(viewport, Qt::RightButton, {}, click);
    QCOMPARE(view->transform().m11(), 2.0);
    QTest::mouseClick(viewport, Qt::RightButton, {}, view->mapFromScene(target));
    QCOMPARE(view->transform().m11(), 4.0);
    QCOMPARE(view->transform().m22(), 4.0);
    const QPointF nowCentre = view->mapToScene(viewport->rect().center());
    QVERIFY(std::fabs(nowCentre.x() - target.x()) < 1 && std::fabs(nowCentre.y() - target.y()) < 1);

    // A left click centres without zooming.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(view->transform().m11(), 4.0);

    wheel(viewport, 120);
    QCOMPARE(view->transform().m11(), 4.5);
    wheel(viewport, -120);
    QCOMPARE(view->transform().m11(), 4.0);
    wheel(viewport, 7);
    QCOMPARE(view->transform().m11(), 4.0);
}

void TestLCChart::extremeZoom()
{
    LCNet::Calculator main;
    LCChartDialog dialog(&main);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *view = dialog.findChild<LCView *>("viewLC");
    QWidget *viewport = view->viewport();
    // Zoom in far beyond any use (50 notches at a time), then paint; the
    // steps stop where the transform would overflow.
    for (int i = 0; i < 300; ++i)
        wheel(viewport, 50 * 120);
    QVERIFY(view->transform().m11() > 1e300);
    QVERIFY(std::isfinite(view->transform().m11()) && view->transform().isInvertible());
    QVERIFY(!viewport->grab().isNull());
    wheel(viewport, std::numeric_limits<int>::max());
    for (int i = 0; i < 20; ++i)
        QTest::mouseClick(viewport, Qt::RightButton, {}, QPoint(5, 5));
    QVERIFY(std::isfinite(view->transform().m11()));
    QVERIFY(!viewport->grab().isNull());
    // And out again, far below one pixel for the whole matrix.
    for (int i = 0; i < 600; ++i)
        wheel(viewport, -50 * 120);
    wheel(viewport, std::numeric_limits<int>::min());
    QVERIFY(view->transform().m11() < 1e-3);
    QVERIFY(view->transform().m11() > 0 && view->transform().isInvertible());
    QVERIFY(!viewport->grab().isNull());
    QTest::mouseMove(viewport, QPoint(20, 20));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(20, 20));
    QVERIFY(!dialog.grab().isNull());
}

void TestLCChart::maximumPrompt()
{
    LCNet::Calculator main;
    LCChartDialog dialog(&main);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *view = dialog.findChild<LCView *>("viewLC");
    auto *legend = dialog.findChild<LegendWidget *>("legSWR");
    LCMatrixItem *item = itemOf(view);
    view->resetTransform();
    view->scale(2, 2);
    const QPointF cell = cellCentre(3, 4, 1);
    view->centerOn(cell);
    const QPoint at = view->mapFromScene(cell);

    answerPrompt("10");
    dialog.findChild<QPushButton *>("btnSetMax")->click();
    QCOMPARE(legend->maxValue(), 10.0);
    QCOMPARE(view->viewport()->grab().toImage().pixelColor(at),
             colorForValue(item->matrix[3][4], 0, 10));
    answerPrompt(QString());
    dialog.findChild<QPushButton *>("btnSetMax")->click();
    QCOMPARE(legend->maxValue(), 10.0);
    answerPrompt("garbage");
    dialog.findChild<QPushButton *>("btnSetMax")->click();
    QCOMPARE(legend->maxValue(), 0.0);
    QCOMPARE(view->viewport()->grab().toImage().pixelColor(at), LightGrey);
}

void TestLCChart::severalDialogs()
{
    QWidget window;
    LCNet::Calculator main;
    QPointer<LCChartDialog> first = new LCChartDialog(&main, &window);
    QPointer<LCChartDialog> second = new LCChartDialog(&main, &window);
    QPointer<ZChartDialog> third = new ZChartDialog(&main, &window);
    for (QDialog *d : std::initializer_list<QDialog *>{first, second, third}) {
        d->setAttribute(Qt::WA_DeleteOnClose);
        d->show();
    }
    connect(&main, &LCNet::Calculator::dataChanged, first, &LCChartDialog::changeCurrent);
    connect(&main, &LCNet::Calculator::dataChanged, second, &LCChartDialog::changeCurrent);
    connect(&main, &LCNet::Calculator::dataChanged, third, &ZChartDialog::changeCurrent);
    QVERIFY(QTest::qWaitForWindowExposed(third));
    first->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    QTRY_VERIFY(first.isNull());
    main.setCapacitance(CTable[9]);
    main.setLoadImpedance(LCNet::Impedance(40, 40));
    QCOMPARE(second->findChild<LCView *>("viewLC")->markerX, CTable[9]);
    QCOMPARE(third->findChild<ZChart *>("chartZ")->marker, QPointF(40, 40));
    QVERIFY(!second->grab().isNull() && !third->grab().isNull());
    third->close();
    QTRY_VERIFY(third.isNull());
}

QTEST_MAIN(TestLCChart)
#include "tst_charts_lcchart.moc"
