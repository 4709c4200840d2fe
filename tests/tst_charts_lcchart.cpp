// The L/C chart (matrix item, view, dialog) and both chart dialogs following
// the main setting.
#include "lcchartdialog.h"
#include "lcmatrixitem.h"
#include "lcnet.h"
#include "lcview.h"
#include "legendwidget.h"
#include "zchart.h"
#include "zchartdialog.h"

#include <QDialogButtonBox>
#include <QGraphicsScene>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QStyleOptionGraphicsItem>
#include <QTest>
#include <QWheelEvent>

#include <cmath>
#include <limits>

using LCNet::CTable;
using LCNet::LTable;

namespace
{
const double NaN = std::numeric_limits<double>::quiet_NaN();

double swrFor(const LCNet::Calculator &c, double pF, double uH)
{
    return LCNet::computeSWR(LCNet::Z0,
                             LCNet::networkInput(c.netType, 1000.0 * c.frequency, 1e-6 * uH,
                                                 1e-12 * pF, c.loadImpedance));
}

void wheel(QWidget *viewport, int deltaY)
{
    QWheelEvent event(QPointF(5, 5), viewport->mapToGlobal(QPointF(5, 5)), QPoint(),
                      QPoint(0, deltaY), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &event);
}

// The centre of the cell that ends at the steps (ci, li) when cells span s steps.
QPointF cellCentre(int ci, int li, int s)
{
    return QPointF((CTable[ci - s] + CTable[ci]) / 2, 50.0 * (LTable[li - s] + LTable[li]));
}
} // namespace

class TestLCChart : public QObject
{
    Q_OBJECT

private slots:
    void cellsStepsAndMagenta();
    void readOutsAndExtremeZoom();
    void linkAndSeveralDialogs();
};

void TestLCChart::cellsStepsAndMagenta()
{
    const double lods[] = {0.0499, 0.05, 0.0999, 0.1, 0.2999, 0.3, 0.4999, 0.5, NaN};
    const int steps[] = {10, 5, 5, 3, 3, 2, 2, 1, 1};
    for (int i = 0; i < 9; ++i)
        QCOMPARE(LCMatrixItem::stepForLevelOfDetail(lods[i]), steps[i]);

    // Each cell holds its C step plus its L step, so that neighbours differ
    // (on 0 .. 1023 the value is the colour index).
    LCMatrixItem item;
    LegendWidget legend;
    legend.setRange(0, 1023);
    item.legend = &legend;
    for (int c = 0; c < 256; ++c)
        for (int l = 0; l < 256; ++l)
            item.matrix[c][l] = c + l;
    item.currentC = CTable[130];
    item.currentL = LTable[130];
    // Painted at `scale` with the scene point `at` on pixel (100, 100).
    const auto paint = [&](double scale, QPointF at) {
        QImage image(200, 200, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setTransform(
            QTransform(scale, 0, 0, scale, 100 - scale * at.x(), 100 - scale * at.y()));
        QStyleOptionGraphicsItem option;
        option.exposedRect = item.boundingRect();
        item.paint(&painter, &option, nullptr);
        return image;
    };
    // The cell holding the main setting is magenta when 130 is a multiple of
    // the step. At step 3 it ends at 132 and, like every cell, takes the
    // colour of its upper corner.
    const std::pair<double, int> zooms[] = {{1, 1}, {0.2, 3}, {0.045, 10}};
    for (auto [scale, s] : zooms) {
        const int m = (130 + s - 1) / s * s;
        QCOMPARE(paint(scale, cellCentre(m, m, s)).pixelColor(100, 100),
                 s == 3 ? colorForValue(264, 0, 1023) : QColor(255, 0, 255));
    }
    // At step 10, C and L steps 251 .. 255 are not drawn.
    const QPointF corner = cellCentre(250, 250, 10);
    const QImage far = paint(0.045, corner);
    QCOMPARE(far.pixelColor(100, 100), colorForValue(500, 0, 1023));
    const QPointF beyond((CTable[251] + CTable[255]) / 2, 50.0 * (LTable[251] + LTable[255]));
    const QPointF p = QPointF(100, 100) + 0.045 * (beyond - corner);
    QCOMPARE(far.pixelColor(int(p.x()), 100), QColor(Qt::white));
    QCOMPARE(far.pixelColor(100, int(p.y())), QColor(Qt::white));
}

void TestLCChart::readOutsAndExtremeZoom()
{
    LCNet::Calculator main;
    LCChartDialog dialog(&main);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *view = dialog.findChild<LCView *>("viewLC");
    QWidget *viewport = view->viewport();
    // The opening view shows the corner 0 .. 400 pF, 0 .. 4 uH.
    const QRectF shown = view->mapToScene(viewport->rect()).boundingRect();
    QVERIFY(shown.contains(QRectF(0, 0, 400, 400)) && shown.width() < 1000);
    const auto texts = [&] {
        return QStringList{dialog.findChild<QLabel *>("edtC")->text(),
                           dialog.findChild<QLabel *>("edtL")->text(),
                           dialog.findChild<QLabel *>("edtSWR")->text()};
    };
    for (QPointF bad : {QPointF(0, -0.01), QPointF(NaN, 10)}) {
        dialog.showMouseValues(1, 1);
        dialog.showMouseValues(bad.x(), bad.y());
        QCOMPARE(texts(), (QStringList{"-", "-", "-"}));
    }
    dialog.showMouseValues(1234.5, 1000); // not on a step
    QCOMPARE(texts(),
             (QStringList{"1234.5 pF", "10 uH", QString::number(swrFor(main, 1234.5, 10))}));
    // The mouse over the grey strip left of the matrix.
    QTest::mouseMove(viewport, view->mapFromScene(QPointF(-5, 100)));
    QTRY_COMPARE(texts(), (QStringList{"-", "-", "-"}));

    // Zoomed far beyond any use, in and out: the steps stop before the
    // transform overflows or collapses, and the view still paints.
    for (int notches : {50, -50}) {
        for (int i = 0; i < 600; ++i)
            wheel(viewport, notches * 120);
        wheel(viewport,
              notches > 0 ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min());
        const double m11 = view->transform().m11();
        QVERIFY(std::isfinite(m11) && std::fabs(std::log10(m11)) > 5);
        QTest::mouseClick(viewport, Qt::RightButton, {}, QPoint(5, 5));
        QVERIFY(view->transform().isInvertible() && !dialog.grab().isNull());
    }
}

void TestLCChart::linkAndSeveralDialogs()
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
    auto *item = dynamic_cast<LCMatrixItem *>(view->scene()->items().value(0));
    auto *chart = z->findChild<ZChart *>("chartZ");
    QVERIFY(item);
    const double before = item->matrix[40][90];

    // Frozen: neither marker nor map follows.
    lc->findChild<QPushButton *>("btnLink")->click();
    z->findChild<QPushButton *>("btnLink")->click();
    main.setInductance(LTable[100]);
    main.setLoadImpedance(LCNet::Impedance(300, 0));
    QCOMPARE(QPointF(view->markerX, view->markerY), QPointF(2000, 1200));
    QCOMPARE(item->matrix[40][90], before);
    QCOMPARE(chart->marker, QPointF(20, 100));

    // Following again from the next change on; the R + jX view keeps its centre.
    lc->findChild<QPushButton *>("btnLink")->click();
    z->findChild<QPushButton *>("btnLink")->click();
    QCOMPARE(view->markerY, 1200.0);
    main.setCapacitance(CTable[7]);
    QCOMPARE(QPointF(view->markerX, view->markerY), QPointF(CTable[7], 100 * LTable[100]));
    QCOMPARE(QPointF(item->currentC, item->currentL), QPointF(CTable[7], LTable[100]));
    QCOMPARE(item->matrix[40][90], swrFor(main, CTable[40], LTable[90]));
    QCOMPARE(chart->marker, QPointF(300, 0));
    QCOMPARE(chart->center, QPointF(20, 100));
    z->close();
    QTRY_VERIFY(z.isNull());
}

QTEST_MAIN(TestLCChart)
#include "tst_charts_lcchart.moc"
