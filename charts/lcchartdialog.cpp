#include "lcchartdialog.h"

#include "chartexport.h"
#include "lcmatrixitem.h"
#include "lcnet.h"
#include "legendwidget.h"
#include "resources.h"
#include "ui_lcchartdialog.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QResizeEvent>
#include <QTextStream>

#include <algorithm>

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
    ui->legSWR->setRange(0.0, DefaultMaximum);
    item->legend = ui->legSWR;
    std::vector<double> l, c;
    bankSteps(*this->calculator, l, c);
    applySteps(std::move(l), std::move(c));
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
    view->resetView();

    Vorlap::connectQuickRanges(this, ui->legSWR, DefaultMaximum,
                               [this] { scene->invalidate(QRectF(), QGraphicsScene::AllLayers); });
    ui->btnResetView->setShortcut(QKeySequence(Qt::Key_Home));
}

LCChartDialog::~LCChartDialog()
{
    delete calculator;
    // The item goes first: the scene would delete it a second time.
    delete item;
    delete scene;
    delete ui;
}

void LCChartDialog::bankSteps(const LCNet::Calculator &calc, std::vector<double> &inductorUH,
                              std::vector<double> &capacitorPF)
{
    const LCNet::StepTable &l = calc.inductorSteps();
    const LCNet::StepTable &c = calc.capacitorSteps();
    inductorUH.assign(l.data(), l.data() + l.size());
    capacitorPF.assign(c.data(), c.data() + c.size());
}

void LCChartDialog::computeSwrGrid(LCNet::Calculator &calc, const std::vector<double> &inductorUH,
                                   const std::vector<double> &capacitorPF, double *swr)
{
    // Every step pair, swr[ci * L steps + li], on every core; the calculator
    // is left at the last pair, as a pair-by-pair sweep would leave it.
    const LCNet::TuneProblem problem = LCNet::TuneProblem::of(calc);
    if (problem.inductors.size() != int(inductorUH.size()) ||
        problem.capacitors.size() != int(capacitorPF.size()) ||
        !std::equal(inductorUH.begin(), inductorUH.end(), problem.inductors.data()) ||
        !std::equal(capacitorPF.begin(), capacitorPF.end(), problem.capacitors.data())) {
        // Steps that are not the calculator's banks (set for a test): pair
        // by pair.
        const size_t nl = inductorUH.size();
        LCNet::Impedance zIn;
        double value = 0.0;
        for (size_t ci = 0; ci < capacitorPF.size(); ++ci) {
            for (size_t li = 0; li < nl; ++li) {
                calc.setCapacitance(capacitorPF[ci]);
                calc.setInductance(inductorUH[li]);
                calc.calculate(zIn, value);
                swr[ci * nl + li] = value;
            }
        }
        return;
    }
    LCNet::swrGrid(problem, calc.netType, swr, LCNet::GridOrder::CapacitorRows);
    if (!capacitorPF.empty() && !inductorUH.empty()) {
        calc.setCapacitance(capacitorPF.back());
        calc.setInductance(inductorUH.back());
    }
}

bool LCChartDialog::applySteps(std::vector<double> inductorUH, std::vector<double> capacitorPF)
{
    if (inductorUH == item->lSteps() && capacitorPF == item->cSteps())
        return true;
    if (!item->setSteps(std::move(inductorUH), std::move(capacitorPF)))
        return false;
    // A margin around the matrix: -10 .. 4000 pF and -0.1 .. 25 uH for the
    // standard banks.
    scene->setSceneRect(-10, -10, item->cSteps().back() + 39, 100.0 * item->lSteps().back() + 14);
    ui->viewLC->setSteps(&item->lSteps(), &item->cSteps());
    // The opening view: the corner up to 400 pF and 4 uH, or the whole
    // matrix when it is smaller.
    ui->viewLC->setOpeningRect(QRectF(0, 0, std::min(400.0, item->cSteps().back()),
                                      std::min(400.0, 100.0 * item->lSteps().back())));
    return true;
}

bool LCChartDialog::setBankSteps(std::vector<double> inductorUH, std::vector<double> capacitorPF)
{
    const std::vector<double> oldL = item->lSteps();
    const std::vector<double> oldC = item->cSteps();
    if (!applySteps(std::move(inductorUH), std::move(capacitorPF))) {
        // Refused steps change nothing; after a matrix that could not be
        // allocated the previous banks come back.
        if (item->lSteps().empty() && applySteps(oldL, oldC))
            computeMatrix();
        return false;
    }
    computeMatrix();
    scene->invalidate(QRectF(), QGraphicsScene::AllLayers);
    return true;
}

void LCChartDialog::computeMatrix()
{
    item->currentC = calculator->capacitance;
    item->currentL = calculator->inductance;
    item->update();
    computeSwrGrid(*calculator, item->lSteps(), item->cSteps(), item->values());
}

void LCChartDialog::on_btnSetMax_clicked()
{
    if (Vorlap::promptLegendMaximum(this, ui->legSWR))
        scene->invalidate(QRectF(), QGraphicsScene::AllLayers);
}

void LCChartDialog::on_btnResetView_clicked()
{
    ui->viewLC->resetView();
}

void LCChartDialog::on_btnExport_clicked()
{
    const QString name = Vorlap::askExportFile(this);
    if (!name.isEmpty())
        exportTo(name);
}

bool LCChartDialog::exportTo(const QString &fileName)
{
    QString error;
    if (QFileInfo(fileName).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0)
        error = Vorlap::exportCsv(fileName, QStringLiteral("l_step,c_step,l_uh,c_pf,swr"),
                                  [this](QTextStream &out) { return writeCsv(out); });
    else
        error = Vorlap::exportPicture(this, ui->viewLC->geometry().united(ui->frame->geometry()),
                                      fileName);
    Vorlap::showExportMessage(ui->lblStatus, fileName, error);
    return error.isEmpty();
}

bool LCChartDialog::writeCsv(QTextStream &out)
{
    const std::vector<double> &l = item->lSteps();
    const std::vector<double> &c = item->cSteps();
    for (int li = 0; li < int(l.size()); ++li) {
        const QString lText = LCNet::shortestText(l[li]);
        for (int ci = 0; ci < int(c.size()); ++ci)
            out << li << ',' << ci << ',' << lText << ',' << LCNet::shortestText(c[ci]) << ','
                << LCNet::shortestText(item->at(ci, li)) << '\n';
        if (out.status() != QTextStream::Ok)
            return false;
    }
    return true;
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
    std::vector<double> l, cSteps;
    bankSteps(*calculator, l, cSteps);
    applySteps(std::move(l), std::move(cSteps));
    computeMatrix();
    scene->invalidate(QRectF(), QGraphicsScene::AllLayers);
}

void LCChartDialog::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
}
