#include "zchartdialog.h"

#include "chartaxis.h"
#include "chartexport.h"
#include "lcnet.h"
#include "legendwidget.h"
#include "resources.h"
#include "swrbatch.h"
#include "ui_zchartdialog.h"

#include <QFileInfo>
#include <QInputDialog>
#include <QTextStream>

ZChartDialog::ZChartDialog(LCNet::Calculator *calculator, QWidget *parent)
    : QDialog(parent), ui(new Ui::ZChartDialog),
      calculator(calculator ? calculator->clone() : new LCNet::Calculator)
{
    Vorlap::initResources();
    ui->setupUi(this);

    ui->legSWR->setRange(0.0, DefaultMaximum);
    ZChart *chart = ui->chartZ;
    chart->legend = ui->legSWR;
    chart->marker = QPointF(this->calculator->loadImpedance.R, this->calculator->loadImpedance.X);
    chart->zoom = OpeningZoom;
    chart->center = chart->marker;
    chart->update();

    connect(chart, &ZChart::reportValue, this, &ZChartDialog::showMouseValue);
    // Direct: the chart reads the value right after the emission.
    connect(chart, &ZChart::getZValue, this, &ZChartDialog::calculateZValue, Qt::DirectConnection);
    chart->setBatchSource([this](const double *r, const double *x, int count, double *swr) {
        calculateZValues(r, x, count, swr);
    });

    // Axes beside the chart, at the pixel centres of the chart's mapping.
    axisR = new ChartAxis(ChartAxis::Bottom, chart, ui->frame);
    axisR->setObjectName(QStringLiteral("axisR"));
    axisR->setTitle(tr("R (Ohm)"));
    axisR->setMapping([chart](double v) { return chart->planeToPixel(QPointF(v, 0)).x() + 0.5; },
                      [chart](double p) { return chart->pixelToPlane(p - 0.5, 0).x(); });
    axisX = new ChartAxis(ChartAxis::Left, chart, ui->frame);
    axisX->setObjectName(QStringLiteral("axisX"));
    axisX->setTitle(tr("X (Ohm)"));
    axisX->setMapping([chart](double v) { return chart->planeToPixel(QPointF(0, v)).y() + 0.5; },
                      [chart](double p) { return chart->pixelToPlane(0, p - 0.5).y(); });
    ui->chartGrid->addWidget(axisX, 0, 0);
    ui->chartGrid->addWidget(axisR, 1, 1);
    connect(chart, &ZChart::viewChanged, this, [this] {
        axisR->update();
        axisX->update();
    });

    Vorlap::connectQuickRanges(this, ui->legSWR, DefaultMaximum, [chart] { chart->update(); });
    ui->btnResetView->setShortcut(QKeySequence(Qt::Key_Home));
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

void ZChartDialog::on_btnSmith_toggled(bool on)
{
    // The Smith chart labels its own circles; the plane's axes would not fit.
    axisR->setVisible(!on);
    axisX->setVisible(!on);
    ui->chartZ->setSmith(on);
}

void ZChartDialog::on_btnResetView_clicked()
{
    ZChart *chart = ui->chartZ;
    chart->center = chart->marker;
    chart->zoom = OpeningZoom;
    chart->smithCenter = QPointF(0, 0);
    chart->smithZoom = 1.0;
    chart->update();
}

void ZChartDialog::on_btnExport_clicked()
{
    const QString name = Vorlap::askExportFile(this);
    if (!name.isEmpty())
        exportTo(name);
}

bool ZChartDialog::exportTo(const QString &fileName)
{
    QString error;
    if (QFileInfo(fileName).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0)
        error = Vorlap::exportCsv(fileName, QStringLiteral("r,x,swr"),
                                  [this](QTextStream &out) { return writeCsv(out); });
    else
        error = Vorlap::exportPicture(this, ui->frame->geometry().united(ui->frame_2->geometry()),
                                      fileName);
    Vorlap::showExportMessage(ui->lblStatus, fileName, error);
    return error.isEmpty();
}

bool ZChartDialog::writeCsv(QTextStream &out)
{
    // Row by row, the load each pixel shows; outside the Smith disk there
    // is none.
    ZChart *chart = ui->chartZ;
    std::vector<double> r, x, swr;
    for (int py = 0; py < chart->height(); ++py) {
        r.clear();
        x.clear();
        for (int px = 0; px < chart->width(); ++px) {
            if (!chart->showsLoad(px, py))
                continue;
            const QPointF load = chart->pixelToLoad(px, py);
            r.push_back(load.x());
            x.push_back(load.y());
        }
        swr.resize(r.size());
        chart->valuesOf(r.data(), x.data(), int(r.size()), swr.data());
        for (size_t i = 0; i < r.size(); ++i)
            out << LCNet::shortestText(r[i]) << ',' << LCNet::shortestText(x[i]) << ','
                << LCNet::shortestText(swr[i]) << '\n';
        if (out.status() != QTextStream::Ok)
            return false;
    }
    return true;
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

void ZChartDialog::calculateZValues(const double *r, const double *x, int count, double *swr)
{
    // As calculateZValue: negative resistance is total reflection, every
    // other load (NaN included) goes to the calculator.
    loadR.clear();
    loadX.clear();
    loadAt.clear();
    for (int i = 0; i < count; ++i) {
        if (r[i] < 0) {
            swr[i] = LCNet::Infinity;
            continue;
        }
        loadR.push_back(r[i]);
        loadX.push_back(x[i]);
        loadAt.push_back(i);
    }
    loadSwr.resize(loadR.size());
    Vorlap::swrOfLoads(*calculator, loadR.data(), loadX.data(), int(loadR.size()), loadSwr.data());
    for (size_t k = 0; k < loadAt.size(); ++k)
        swr[loadAt[k]] = loadSwr[k];
}

void ZChartDialog::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
}
