#include "zchartdialog.h"

#include "lcnet.h"
#include "legendwidget.h"
#include "resources.h"
#include "ui_zchartdialog.h"

#include <QInputDialog>

ZChartDialog::ZChartDialog(LCNet::Calculator *calculator, QWidget *parent)
    : QDialog(parent), ui(new Ui::ZChartDialog),
      calculator(calculator ? calculator->clone() : new LCNet::Calculator)
{
    Vorlap::initResources();
    ui->setupUi(this);

    ui->legSWR->setRange(0.0, 100000.0);
    ZChart *chart = ui->chartZ;
    chart->legend = ui->legSWR;
    chart->marker = QPointF(this->calculator->loadImpedance.R, this->calculator->loadImpedance.X);
    chart->zoom = 1.5;
    chart->center = chart->marker;
    chart->update();

    connect(chart, &ZChart::reportValue, this, &ZChartDialog::showMouseValue);
    // Direct: the chart reads the value right after the emission.
    connect(chart, &ZChart::getZValue, this, &ZChartDialog::calculateZValue, Qt::DirectConnection);
}

ZChartDialog::~ZChartDialog()
{
    delete calculator;
    delete ui;
}

void ZChartDialog::on_btnDelReference_clicked()
{
    ui->chartZ->clearReferencePoints();
}

void ZChartDialog::on_btnAddReference_clicked()
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(this, tr("Enter reference SWR value"), tr("Reference SWR:"),
                              QLineEdit::Normal, QStringLiteral("1.0"), &ok);
    // A non-number reads as 0, which no SWR lies within 10 % of.
    if (ok && !text.isEmpty())
        ui->chartZ->addReferencePoints(text.toDouble());
}

void ZChartDialog::on_btnSetMax_clicked()
{
    if (Vorlap::promptLegendMaximum(this, ui->legSWR))
        ui->chartZ->update();
}

void ZChartDialog::showMouseValue(double valR, double valX)
{
    if (valR >= 0) {
        double z = 0.0;
        calculateZValue(valR, valX, z);
        ui->edtSWR->setText(QStringLiteral("%1").arg(z));
        ui->edtR->setText(QStringLiteral("%1 Ohm").arg(valR));
        ui->edtX->setText(QStringLiteral("%1 Ohm").arg(valX));
    } else {
        ui->edtSWR->setText(QStringLiteral("-"));
        ui->edtR->setText(QStringLiteral("-"));
        ui->edtX->setText(QStringLiteral("-"));
    }
}

void ZChartDialog::changeCurrent(LCNet::Calculator *c)
{
    if (!c || !ui->btnLink->isChecked())
        return;
    delete calculator;
    calculator = c->clone();
    ui->chartZ->marker = QPointF(calculator->loadImpedance.R, calculator->loadImpedance.X);
    ui->chartZ->update();
}

void ZChartDialog::calculateZValue(double valX, double valY, double &valZ)
{
    // The left half-plane (negative resistance) counts as total reflection.
    if (valX < 0) {
        valZ = LCNet::Infinity;
        return;
    }
    calculator->setLoadImpedance(LCNet::Impedance(valX, valY));
    valZ = calculator->currentSWR();
}

void ZChartDialog::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
}
