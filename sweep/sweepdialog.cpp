#include "sweepdialog.h"

#include "sweepplot.h"
#include "sweeptablemodel.h"
#include "ui_sweepdialog.h"

#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QPushButton>
#include <QSaveFile>
#include <QThread>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <atomic>
#include <cmath>

namespace
{

const QColor AntennaColor(230, 120, 20);
const QColor TunedColor(40, 120, 230);
const QColor LowColor(30, 170, 60);
const QColor MediumColor(200, 160, 0);
const QColor LColor(200, 60, 160);
const QColor CColor(0, 160, 160);
const QColor CAntennaColor(120, 120, 220);
const QColor CTrxColor(220, 150, 60);
// Above this the SWR axis stops: the curves run along its top.
constexpr double SWRAxisTop = 100.0;

QString number(double v)
{
    return QString::number(v, 'g', 6);
}

QString impedanceText(const LCNet::Impedance &z)
{
    return z.X < 0 ? QStringLiteral("%1 - j%2").arg(number(z.R), number(-z.X))
                   : QStringLiteral("%1 + j%2").arg(number(z.R), number(z.X));
}

QString share(double s)
{
    return QStringLiteral("%1 %").arg(QString::number(100.0 * s, 'g', 3));
}

// An SWR for the log axis: an active load has none.
double plotted(double swr)
{
    return swr < 0.0 ? qQNaN() : swr;
}

} // namespace

struct SweepDialog::Job {
    QVector<LCNet::LoadPoint> points;
    LCNet::SweepOptions options;
    std::atomic<bool> cancel{false};
    std::atomic<int> done{0};
    LCNet::SweepResult result;
};

SweepDialog::SweepDialog(LCNet::Calculator *calculator, QWidget *parent)
    : QDialog(parent), ui(new Ui::SweepDialog),
      calculator(calculator ? calculator->clone() : new LCNet::Calculator),
      model(new SweepTableModel(this)), progressTimer(new QTimer(this))
{
    ui->setupUi(this);
    ui->spnLength->setValue(this->calculator->defaultCableLength);
    ui->spnVelocity->setValue(this->calculator->velocityFactor);
    ui->spnLength->setEnabled(false);
    ui->spnVelocity->setEnabled(false);
    showCableType();
    ui->tblPoints->setModel(model);
    ui->tblPoints->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    ui->tblBands->setColumnCount(7);
    ui->tblBands->verticalHeader()->hide();
    ui->tblBands->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    ui->tblBands->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    ui->splitter->setStretchFactor(0, 4);
    ui->splitter->setStretchFactor(1, 1);
    showBands();
    progressTimer->setInterval(50);

    connect(ui->btnOpen, &QPushButton::clicked, this, &SweepDialog::browse);
    connect(ui->btnRun, &QPushButton::clicked, this, &SweepDialog::run);
    connect(ui->btnCancel, &QPushButton::clicked, this, &SweepDialog::cancel);
    connect(ui->btnExportCsv, &QPushButton::clicked, this, &SweepDialog::browseCsv);
    connect(ui->btnSavePlot, &QPushButton::clicked, this, &SweepDialog::browsePlot);
    connect(ui->chkCable, &QCheckBox::toggled, ui->spnLength, &QWidget::setEnabled);
    connect(ui->chkCable, &QCheckBox::toggled, ui->spnVelocity, &QWidget::setEnabled);
    connect(progressTimer, &QTimer::timeout, this, &SweepDialog::showProgress);
    for (SweepPlot *plot : {ui->plotSWR, ui->plotLC}) {
        connect(plot, &SweepPlot::pointHovered, this, &SweepDialog::showPoint);
        connect(plot, &SweepPlot::pointClicked, this, &SweepDialog::choosePoint);
    }
    connect(ui->tblPoints, &QAbstractItemView::activated, this,
            [this](const QModelIndex &index) { choosePoint(index.row()); });
}

SweepDialog::~SweepDialog()
{
    stopWorker();
    delete calculator;
    delete ui;
}

void SweepDialog::updateSettings(LCNet::Calculator *c)
{
    if (!c)
        return;
    delete calculator;
    calculator = c->clone();
    showCableType();
}

void SweepDialog::showCableType()
{
    const LCNet::CableSpec &cable = calculator->cable;
    const LCNet::CablePreset *preset = LCNet::findCablePreset(cable.type);
    if (!preset && cable.isIdeal50()) {
        ui->lblCableType->setText(tr("lossless 50-ohm line (Settings)"));
        return;
    }
    const QString name =
        preset ? QCoreApplication::translate("LCNet::Cable", preset->name) : tr("custom line");
    ui->lblCableType->setText(tr("%1, %2 ohm, %3 dB/100 m at 10 MHz (Settings)")
                                  .arg(name, number(cable.impedance), number(cable.loss)));
}

void SweepDialog::browse()
{
    const QString file = QFileDialog::getOpenFileName(
        this, tr("Open Load File"), path.isEmpty() ? QDir::homePath() : QFileInfo(path).path(),
        tr("Load files (*.s1p *.S1P *.csv *.CSV *.txt);;All files (*)"));
    if (!file.isEmpty())
        openFile(file);
}

bool SweepDialog::openFile(const QString &file)
{
    QVector<LCNet::LoadPoint> read;
    LCNet::LoadFileError error;
    if (!LCNet::readLoadFile(file, &read, &error)) {
        showMessage(error.text(), true);
        return false;
    }
    stopWorker();
    path = file;
    loads = read;
    shown = LCNet::SweepResult();
    showResult();
    ui->lblFile->setText(tr("%1: %n point(s), %2 to %3 MHz", nullptr, int(loads.size()))
                             .arg(QFileInfo(file).fileName(),
                                  number(loads.front().frequencyKHz / 1000.0),
                                  number(loads.back().frequencyKHz / 1000.0)));
    ui->lblFile->setToolTip(QDir::toNativeSeparators(file));
    showMessage(QString(), false);
    run();
    return true;
}

void SweepDialog::run()
{
    if (loads.isEmpty()) {
        showMessage(tr("Open a load file first."), true);
        return;
    }
    stopWorker();
    job = std::make_unique<Job>();
    job->points = loads;
    LCNet::SweepOptions &o = job->options;
    o = LCNet::SweepOptions::of(*calculator);
    o.algorithm = ui->cmbAlgorithm->currentIndex() == 1 ? LCNet::SweepAlgorithm::SmartTune
                                                        : LCNet::SweepAlgorithm::BruteForce;
    o.cable = ui->chkCable->isChecked();
    o.cableLength = ui->spnLength->value();
    o.velocityFactor = ui->spnVelocity->value();

    Job *j = job.get();
    worker = QThread::create([j] {
        j->result = LCNet::runSweep(j->points, j->options, &j->cancel,
                                    [j](int done, int) { j->done.store(done); });
    });
    connect(worker, &QThread::finished, this, &SweepDialog::runFinished);
    ui->prgRun->setRange(0, int(loads.size()));
    ui->prgRun->setValue(0);
    setRunning(true);
    showMessage(tr("Sweeping..."), false);
    worker->start();
    progressTimer->start();
}

void SweepDialog::cancel()
{
    if (job)
        job->cancel = true;
}

void SweepDialog::stopWorker()
{
    if (!worker)
        return;
    disconnect(worker, nullptr, this, nullptr);
    job->cancel = true;
    worker->wait();
    delete worker;
    worker = nullptr;
    job.reset();
    setRunning(false);
}

void SweepDialog::setRunning(bool running)
{
    ui->btnCancel->setEnabled(running);
    ui->btnRun->setEnabled(!running);
    if (!running) {
        progressTimer->stop();
        ui->prgRun->reset();
    }
}

void SweepDialog::showProgress()
{
    if (job)
        ui->prgRun->setValue(job->done.load());
}

void SweepDialog::runFinished()
{
    // A signal of a worker already stopped may still arrive.
    if (!worker || !worker->isFinished())
        return;
    worker->wait();
    worker->deleteLater();
    worker = nullptr;
    const std::unique_ptr<Job> finished = std::move(job);
    setRunning(false);
    if (finished->result.cancelled) {
        showMessage(tr("Sweep cancelled."), false);
    } else {
        shown = finished->result;
        showResult();
        int tunable = 0;
        for (const LCNet::SweepPoint &p : shown.points)
            tunable += p.swr < shown.lowSWR;
        showMessage(tr("%1 of %n point(s) tune below SWR %2.", nullptr, int(shown.points.size()))
                        .arg(tunable)
                        .arg(number(shown.lowSWR)),
                    false);
    }
    emit sweepFinished();
}

void SweepDialog::showResult()
{
    const QVector<LCNet::SweepPoint> &points = shown.points;
    QVector<double> mhz, antenna, tuned, l, c;
    QVector<int> config;
    double top = std::max(2.0, calculator->mediumSWR);
    double lMax = 0.0;
    double cMax = 0.0;
    for (const LCNet::SweepPoint &p : points) {
        mhz.append(p.frequencyKHz / 1000.0);
        antenna.append(plotted(p.loadSWR));
        tuned.append(plotted(p.swr));
        l.append(p.l);
        c.append(p.c);
        config.append(p.type == LCNet::Calculator::CAntenna ? 0 : 1);
        for (double s : {p.loadSWR, p.swr})
            if (std::isfinite(s))
                top = std::max(top, s);
        if (std::isfinite(p.l))
            lMax = std::max(lMax, p.l);
        if (std::isfinite(p.c))
            cMax = std::max(cMax, p.c);
    }

    SweepPlot *swr = ui->plotSWR;
    swr->setData(mhz, {{tr("Antenna"), AntennaColor, antenna, false, 1.5},
                       {tr("After tuning"), TunedColor, tuned, false, 2.0}});
    swr->setAxes(
        {tr("SWR"), SweepPlot::Scale::Log, 1.0, std::min(SweepPlot::niceCeiling(top), SWRAxisTop)});
    swr->setLines({{tr("Low SWR %1").arg(number(calculator->lowSWR)), LowColor, calculator->lowSWR},
                   {tr("Medium SWR %1").arg(number(calculator->mediumSWR)), MediumColor,
                    calculator->mediumSWR}});

    SweepPlot *lc = ui->plotLC;
    lc->setData(mhz, {{tr("L"), LColor, l, false, 1.5}, {tr("C"), CColor, c, true, 1.5}});
    // Room above the largest value for the band names.
    lc->setAxes({tr("L (uH)"), SweepPlot::Scale::Linear, 0.0, lMax > 0.0 ? 1.08 * lMax : 1.0},
                {tr("C (pF)"), SweepPlot::Scale::Linear, 0.0, cMax > 0.0 ? 1.08 * cMax : 1.0});
    lc->setCategories(config, {{tr("C-Antenna"), CAntennaColor}, {tr("C-TRX"), CTrxColor}});

    // Room for the figures of a point, so that hovering moves nothing.
    const int lines = shown.withComponents ? 2 : 1;
    ui->lblPoint->setMinimumHeight(lines * ui->lblPoint->fontMetrics().lineSpacing());
    model->setResult(shown);
    ui->tblPoints->resizeColumnsToContents();
    showBands();
    ui->btnExportCsv->setEnabled(!points.isEmpty());
    ui->btnSavePlot->setEnabled(!points.isEmpty());
}

void SweepDialog::showBands()
{
    const QVector<LCNet::BandSummary> bands = LCNet::bandSummaries(shown);
    QTableWidget *t = ui->tblBands;
    t->setHorizontalHeaderLabels({tr("Band"), tr("Edges (kHz)"), tr("Points"), tr("Covered"),
                                  tr("SWR < %1").arg(number(calculator->lowSWR)), tr("Best SWR"),
                                  tr("Worst SWR")});
    t->setRowCount(int(bands.size()));
    for (int row = 0; row < bands.size(); ++row) {
        const LCNet::BandSummary &b = bands[row];
        const QStringList cells = {QString::fromLatin1(b.band.name),
                                   QStringLiteral("%1 - %2").arg(b.band.lowKHz).arg(b.band.highKHz),
                                   QString::number(b.points),
                                   share(b.coveredShare),
                                   share(b.tunableShare),
                                   number(b.bestSWR),
                                   number(b.worstSWR)};
        for (int col = 0; col < cells.size(); ++col) {
            auto *item = new QTableWidgetItem(cells[col]);
            item->setTextAlignment(col == 0 ? Qt::Alignment(Qt::AlignCenter)
                                            : Qt::AlignRight | Qt::AlignVCenter);
            t->setItem(row, col, item);
        }
    }
    // Up to six bands without scrolling; the plots take the rest.
    const int header = t->horizontalHeader()->sizeHint().height() + 2 * t->frameWidth() + 2;
    const int row = t->verticalHeader()->defaultSectionSize();
    const int wanted = header + std::clamp(int(bands.size()), 1, 6) * row;
    t->setMinimumHeight(header + row);
    const QList<int> sizes = ui->splitter->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    if (total > 2 * wanted)
        ui->splitter->setSizes({total - wanted, wanted});
}

void SweepDialog::showPoint(int index)
{
    if (index < 0 || index >= shown.points.size()) {
        QToolTip::hideText();
        return;
    }
    const LCNet::SweepPoint &p = shown.points[index];
    QString text =
        tr("%1 MHz: load %2 ohm, SWR %3; %4 L %5 uH, C %6 pF: Zin %7 ohm, SWR %8")
            .arg(number(p.frequencyKHz / 1000.0), impedanceText(p.load), number(p.loadSWR),
                 p.type == LCNet::Calculator::CAntenna ? tr("C-Antenna") : tr("C-TRX"), number(p.l),
                 number(p.c), impedanceText(p.zIn), number(p.swr));
    if (shown.withComponents)
        text += tr("\nEfficiency %1 %, loss L %2 W, C %3 W, V(C) %4 V peak")
                    .arg(number(100.0 * p.power.efficiency), number(p.power.lossL),
                         number(p.power.lossC), number(p.power.voltageCPeak));
    ui->lblPoint->setText(text);
    if (auto *plot = qobject_cast<QWidget *>(sender()))
        QToolTip::showText(QCursor::pos(),
                           QString(text)
                               .replace(QLatin1String(": "), QLatin1String("\n"))
                               .replace(QLatin1String("; "), QLatin1String("\n"))
                               .replace(QLatin1String(", loss"), QLatin1String("\nloss")),
                           plot);
}

void SweepDialog::choosePoint(int index)
{
    if (index < 0 || index >= shown.points.size())
        return;
    const LCNet::SweepPoint &p = shown.points[index];
    emit pointChosen(p.frequencyKHz, p.load, p.l, p.c, p.type);
}

bool SweepDialog::exportCsv(const QString &file)
{
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(LCNet::sweepCsv(shown).toUtf8()) < 0 ||
        !out.commit()) {
        showMessage(
            tr("Could not save %1: %2").arg(QDir::toNativeSeparators(file), out.errorString()),
            true);
        return false;
    }
    showMessage(tr("Saved %1").arg(QDir::toNativeSeparators(file)), false);
    return true;
}

bool SweepDialog::savePlot(const QString &file)
{
    SweepPlot *plot = ui->tabPlots->currentWidget() == ui->tabLC ? ui->plotLC : ui->plotSWR;
    // A plot on a hidden tab has not been laid out: give it the size of
    // the one on show.
    if (!plot->isVisible())
        plot->resize(ui->tabPlots->currentWidget()->size());
    const QImage image = plot->grab().toImage();
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || !image.save(&out, "PNG") || !out.commit()) {
        showMessage(
            tr("Could not save %1: %2").arg(QDir::toNativeSeparators(file), out.errorString()),
            true);
        return false;
    }
    showMessage(tr("Saved %1").arg(QDir::toNativeSeparators(file)), false);
    return true;
}

void SweepDialog::browseCsv()
{
    const QString base = path.isEmpty() ? QDir::homePath() + QStringLiteral("/sweep")
                                        : QFileInfo(path).path() + QLatin1Char('/') +
                                              QFileInfo(path).completeBaseName();
    const QString file = QFileDialog::getSaveFileName(this, tr("Export Sweep"), base + ".csv",
                                                      tr("CSV files (*.csv);;All files (*)"));
    if (!file.isEmpty())
        exportCsv(file);
}

void SweepDialog::browsePlot()
{
    const QString base = path.isEmpty() ? QDir::homePath() + QStringLiteral("/sweep")
                                        : QFileInfo(path).path() + QLatin1Char('/') +
                                              QFileInfo(path).completeBaseName();
    const QString kind =
        ui->tabPlots->currentWidget() == ui->tabLC ? QStringLiteral("-lc") : QStringLiteral("-swr");
    const QString file = QFileDialog::getSaveFileName(this, tr("Save Plot"), base + kind + ".png",
                                                      tr("PNG images (*.png);;All files (*)"));
    if (!file.isEmpty())
        savePlot(file);
}

void SweepDialog::showMessage(const QString &text, bool error)
{
    ui->lblMessage->setText(text);
    ui->lblMessage->setToolTip(text);
    QPalette pal = palette();
    if (error)
        pal.setColor(QPalette::WindowText, QColor(200, 30, 30));
    ui->lblMessage->setPalette(pal);
}

void SweepDialog::done(int r)
{
    // Closing stops the run; the threads end within a point or two.
    stopWorker();
    QDialog::done(r);
}

void SweepDialog::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
}
