#include "lcchartdialog.h"

#include "lcmatrixitem.h"
#include "lcnet.h"
#include "legendwidget.h"
#include "resources.h"
#include "ui_lcchartdialog.h"

#include <QCoreApplication>
#include <QGraphicsScene>
#include <QResizeEvent>

LCChartDialog::LCChartDialog(LCNet::Calculator *calculator, QWidget *parent)
    : QDialog(parent), ui(new Ui::LCChartDialog),
      calculator(calculator ? calculator->clone() : new LCNet::Calculator), item(new LCMatrixItem),
      scene(new QGraphicsScene)
{
    Vorlap::initResources();
    ui->setupUi(this);

    // The main setting's L and C, taken before the matrix sweep leaves the
    // copy at its last step pair.
    const double mainC = this->calculator->capacitance;
    const double mainL = this->calculator->inductance;
    scene->setSceneRect(-10, -10, 4000, 2500);
    ui->legSWR->setRange(0.0, 5000.0);
    item->legend = ui->legSWR;
    computeMatrix();
    scene->addItem(item);

    connect(ui->viewLC, &LCView::reportValues, this, &LCChartDialog::showMouseValues);
    LCView *view = ui->viewLC;
    view->setScene(scene);
    view->setDragMode(QGraphicsView::RubberBandDrag);
    view->setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    view->markerX = mainC;
    view->markerY = 100.0 * mainL;
    view->viewport()->update();

    // Lay the form out now, so that the first fit sees the real viewport
    // rather than the default size of a widget not yet shown (the view sizes
    // its viewport on its resize event, which a hidden widget gets late).
    layout()->activate();
    QResizeEvent resized(view->size(), view->size());
    QCoreApplication::sendEvent(view, &resized);
    view->fitInView(QRectF(0, 0, 400, 400), Qt::KeepAspectRatio);
}

LCChartDialog::~LCChartDialog()
{
    delete calculator;
    // The item goes first: the scene would delete it a second time.
    delete item;
    delete scene;
    delete ui;
}

void LCChartDialog::computeMatrix()
{
    item->currentC = calculator->capacitance;
    item->currentL = calculator->inductance;
    item->update();
    LCNet::Impedance zIn;
    double swr = 0.0;
    for (int ci = 0; ci < LCMatrixItem::Steps; ++ci) {
        for (int li = 0; li < LCMatrixItem::Steps; ++li) {
            calculator->setCapacitance(LCNet::CTable[ci]);
            calculator->setInductance(LCNet::LTable[li]);
            calculator->calculate(zIn, swr);
            item->matrix[ci][li] = swr;
        }
    }
}

void LCChartDialog::on_btnSetMax_clicked()
{
    if (Vorlap::promptLegendMaximum(this, ui->legSWR))
        scene->invalidate(QRectF(), QGraphicsScene::AllLayers);
}

void LCChartDialog::showMouseValues(double matrixC, double matrixL)
{
    if (matrixC >= 0 && matrixL >= 0) {
        calculator->setCapacitance(matrixC);
        calculator->setInductance(matrixL / 100.0);
        const double swr = calculator->currentSWR();
        ui->edtSWR->setText(QString::number(swr, 'g', 6));
        ui->edtC->setText(QStringLiteral("%1 pF").arg(calculator->capacitance));
        ui->edtL->setText(QStringLiteral("%1 uH").arg(calculator->inductance));
    } else {
        ui->edtSWR->setText(QStringLiteral("-"));
        ui->edtC->setText(QStringLiteral("-"));
        ui->edtL->setText(QStringLiteral("-"));
    }
}

void LCChartDialog::changeCurrent(LCNet::Calculator *c)
{
    if (!c || !ui->btnLink->isChecked())
        return;
    ui->viewLC->markerX = c->capacitance;
    ui->viewLC->markerY = 100.0 * c->inductance;
    ui->viewLC->viewport()->update();
    delete calculator;
    calculator = c->clone();
    computeMatrix();
    scene->invalidate(QRectF(), QGraphicsScene::AllLayers);
}

void LCChartDialog::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
}
