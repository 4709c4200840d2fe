#include "labdialog.h"

#include "labplots.h"
#include "lcnet.h"
#include "ui_labdialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QPainter>
#include <QThread>
#include <QTimer>
#include <QtAlgorithms>

#include <cmath>

namespace
{

// One colour per search, by its place in the registry.
QColor algorithmColour(const QString &key)
{
    static const QColor colours[] = {
        QColor(128, 128, 128), QColor(31, 119, 180),  QColor(148, 103, 189), QColor(255, 127, 14),
        QColor(140, 86, 75),   QColor(227, 119, 194), QColor(188, 189, 34),  QColor(23, 190, 207)};
    const QStringList keys = LCNet::labAlgorithmKeys();
    const int k = std::max(0, int(keys.indexOf(key)));
    return colours[k % int(std::size(colours))];
}

QString algorithmName(const QString &key)
{
    const LCNet::LabAlgorithm *a = LCNet::findLabAlgorithm(key);
    return a ? a->name : key;
}

QIcon swatch(const QColor &colour)
{
    QPixmap pixmap(12, 12);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

// Seconds as people read a duration.
QString durationText(double seconds)
{
    if (!std::isfinite(seconds))
        return QStringLiteral("–");
    if (seconds < 100)
        return LabDialog::tr("%1 s").arg(seconds, 0, 'f', seconds < 10 ? 2 : 1);
    if (seconds < 3 * 3600)
        return LabDialog::tr("%1 min").arg(seconds / 60, 0, 'f', 1);
    return LabDialog::tr("%1 h").arg(seconds / 3600, 0, 'f', 1);
}

QString loadsText(qsizetype n)
{
    return n == 1 ? LabDialog::tr("1 load") : LabDialog::tr("%1 loads").arg(n);
}

QString figureText(double value, char format = 'g', int precision = 6)
{
    return std::isfinite(value) ? QString::number(value, format, precision) : QStringLiteral("–");
}

// A finite number from an input field.
bool numberIn(const QLineEdit *edit, double *value)
{
    bool ok = false;
    *value = edit->text().trimmed().toDouble(&ok);
    return ok && std::isfinite(*value);
}

} // namespace

struct LabDialog::Job {
    LCNet::TuneProblem base;
    std::vector<LCNet::LabLoad> loads;
    QStringList algorithms;
    QString corpus; // for the summary
    double gammaLimit = 0.0;
    LCNet::LabControl control;
    LCNet::LabResult result;
    QElapsedTimer clock;
};

LabDialog::LabDialog(LCNet::Calculator *calculator, QWidget *parent)
    : QDialog(parent), ui(new Ui::LabDialog),
      calculator(calculator ? calculator->clone() : new LCNet::Calculator),
      source(new QButtonGroup(this)), frequencies(new QButtonGroup(this)),
      progress(new QTimer(this))
{
    ui->setupUi(this);
    source->addButton(ui->rbGenerated);
    source->addButton(ui->rbFile);
    frequencies->addButton(ui->rbOneFrequency);
    frequencies->addButton(ui->rbRange);
    // The form's four radio buttons share a parent: the groups part them.
    ui->rbGenerated->setChecked(true);
    ui->rbOneFrequency->setChecked(true);

    const LCNet::Calculator &calc = *this->calculator;
    ui->edtFrequency->setText(LCNet::shortestText(calc.frequency));
    ui->edtSeed->setText(QString::number(LCNet::newLabSeed()));
    ui->edtLowSWR->setText(LCNet::shortestText(calc.lowSWR));
    setSettleTime(LCNet::Settings().settleTime);
    const LCNet::StepTable &l = calc.inductorSteps();
    const LCNet::StepTable &c = calc.capacitorSteps();
    QString banks = tr("Banks: %1 inductor and %2 capacitor relays, 2 × %3 × %4 settings.")
                        .arg(l.bank().relays)
                        .arg(c.bank().relays)
                        .arg(l.size())
                        .arg(c.size());
    if (calc.components.lossy())
        banks += QLatin1Char(' ') + tr("Real parts: Q %1 (L), %2 (C).")
                                        .arg(LCNet::shortestText(calc.components.qL),
                                             LCNet::shortestText(calc.components.qC));
    ui->lblBanks->setText(banks);

    QString help = tr("<p>Each search runs on every load of the corpus as a tuner's firmware "
                      "would: every relay setting it switches to and measures is one "
                      "<b>reading</b>. A search <b>succeeds</b> when it ends on a setting "
                      "below Low SWR. Brute Force runs on every load as well, for the best SWR "
                      "that any setting gives, so that a miss can be told from a load that no "
                      "setting matches.</p>"
                      "<p><b>Success</b>: the share of the matchable loads (some setting below "
                      "Low SWR) that the search matched. <b>Readings</b>: mean, median, 95th "
                      "percentile (nearest rank: the smallest count that at least 95 % of the "
                      "loads do not exceed) and maximum. <b>Tuning time</b>: mean readings "
                      "× settle time. <b>Excess SWR</b>: final SWR minus the best SWR, over "
                      "the loads where both are finite.</p>"
                      "<p>Generated loads lie evenly over the Smith chart up to the maximum "
                      "SWR; over a frequency range the frequencies are spread evenly on a "
                      "logarithmic scale. The same seed gives the same loads. A file of loads "
                      "is a CSV file with the header row <tt>frequency_khz,r,x</tt> and one "
                      "load per line, or a load measured over frequency (a Touchstone "
                      "one-port file or a CSV sweep, as the band sweep reads them), one load "
                      "per frequency.</p>");
    for (const LCNet::LabAlgorithm &a : LCNet::labAlgorithms()) {
        auto *box = new QCheckBox(a.name, ui->grpAlgorithms);
        box->setObjectName(QStringLiteral("chk_") + a.key);
        box->setProperty("key", a.key);
        box->setChecked(true);
        box->setIcon(swatch(algorithmColour(a.key)));
        box->setToolTip(QStringLiteral("<p>") + a.description.toHtmlEscaped() +
                        QStringLiteral("</p>"));
        ui->layAlgorithms->addWidget(box);
        algorithmBoxes << box;
        help += QStringLiteral("<h3>%1</h3><p>%2</p>")
                    .arg(a.name.toHtmlEscaped(), a.description.toHtmlEscaped());
    }
    ui->teHelp->setHtml(help);

    // Two frequencies side by side need no more room than one.
    for (QLineEdit *edit : {ui->edtLowKHz, ui->edtHighKHz})
        edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("300000.0")) +
                              16);

    // One column per search, one row per figure.
    const QString indent = QStringLiteral("    ");
    const QStringList rows{tr("Success"),          tr("Readings: mean"),
                           indent + tr("median"),  indent + tr("95th percentile"),
                           indent + tr("maximum"), tr("Tuning time: mean"),
                           tr("Excess SWR: mean"), indent + tr("median")};
    QTableWidget *table = ui->tblFigures;
    table->setRowCount(int(rows.size()));
    table->setVerticalHeaderLabels(rows);
    table->verticalHeaderItem(0)->setToolTip(
        tr("Loads matched among the loads that some setting matches"));
    table->verticalHeaderItem(3)->setToolTip(
        tr("Nearest rank: the smallest count that at least 95 % of the loads do not exceed"));
    table->verticalHeaderItem(5)->setToolTip(tr("Mean readings × settle time"));
    table->verticalHeaderItem(6)->setToolTip(
        tr("Final SWR minus the best SWR, over the loads where both are finite"));
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ui->lblSummary->setText(tr("Choose the loads and the searches, then Run."));
    ui->scatterLoads->describe = [this](int load) { return describeLoad(load); };

    connect(progress, &QTimer::timeout, this, [this] {
        if (job)
            ui->prbRun->setValue(job->control.done.load());
    });
    connect(ui->edtSettle, &QLineEdit::textChanged, this, &LabDialog::showFigures);
    auto enable = [this] { updateEnabled(); };
    connect(source, &QButtonGroup::buttonToggled, this, enable);
    connect(frequencies, &QButtonGroup::buttonToggled, this, enable);
    updateEnabled();
}

LabDialog::~LabDialog()
{
    if (thread) {
        job->control.cancel = true;
        thread->wait();
        delete thread;
    }
    delete calculator;
    delete ui;
}

void LabDialog::setSettleTime(double seconds)
{
    ui->edtSettle->setText(LCNet::shortestText(1000.0 * seconds));
}

void LabDialog::done(int r)
{
    if (job)
        job->control.cancel = true;
    QDialog::done(r);
}

bool LabDialog::prepare(Job &j)
{
    double lowSWR = 0;
    if (!numberIn(ui->edtLowSWR, &lowSWR)) {
        setStatus(tr("Low SWR must be a number."), true);
        return false;
    }
    j.base = LCNet::TuneProblem::of(*calculator);
    j.base.lowSWR = lowSWR;
    for (QCheckBox *box : algorithmBoxes)
        if (box->isChecked())
            j.algorithms << box->property("key").toString();
    if (j.algorithms.isEmpty()) {
        setStatus(tr("Choose at least one search."), true);
        return false;
    }

    if (ui->rbFile->isChecked()) {
        const QString path = ui->edtFile->text().trimmed();
        QString why;
        if (path.isEmpty()) {
            setStatus(tr("Choose a file of loads."), true);
            return false;
        }
        if (!LCNet::readLabCorpus(path, &j.loads, &why)) {
            setStatus(why, true);
            return false;
        }
        j.corpus = tr("%1 from %2")
                       .arg(loadsText(qsizetype(j.loads.size())), QDir::toNativeSeparators(path));
        return true;
    }
    LCNet::LabCorpusSpec recipe;
    recipe.count = ui->spnCount->value();
    bool seedOk = false;
    recipe.seed = ui->edtSeed->text().trimmed().toULongLong(&seedOk);
    QString why;
    if (!seedOk)
        why = tr("a seed is a whole number from 0 to %1").arg(LCNet::MaxLabSeed);
    else if (!numberIn(ui->edtMaxSWR, &recipe.maxSWR))
        why = tr("the maximum SWR must be a number");
    else if (ui->rbOneFrequency->isChecked() && !numberIn(ui->edtFrequency, &recipe.lowKHz))
        why = tr("the frequency must be a number");
    else if (ui->rbRange->isChecked() && (!numberIn(ui->edtLowKHz, &recipe.lowKHz) ||
                                          !numberIn(ui->edtHighKHz, &recipe.highKHz)))
        why = tr("the frequencies must be numbers");
    if (ui->rbOneFrequency->isChecked())
        recipe.highKHz = recipe.lowKHz;
    if (!why.isEmpty() || !recipe.isValid(&why)) {
        why[0] = why[0].toUpper();
        setStatus(why + QLatin1Char('.'), true);
        return false;
    }
    j.loads = LCNet::generateLabCorpus(recipe);
    j.gammaLimit = (recipe.maxSWR - 1) / (recipe.maxSWR + 1);
    const QString where =
        recipe.highKHz > recipe.lowKHz
            ? tr("from %1 to %2 kHz")
                  .arg(LCNet::shortestText(recipe.lowKHz), LCNet::shortestText(recipe.highKHz))
            : tr("at %1 kHz").arg(LCNet::shortestText(recipe.lowKHz));
    j.corpus = tr("%1 up to SWR %2 %3, seed %4")
                   .arg(loadsText(recipe.count), LCNet::shortestText(recipe.maxSWR), where)
                   .arg(recipe.seed);
    return true;
}

void LabDialog::on_btnRun_clicked()
{
    if (thread)
        return;
    auto j = std::make_shared<Job>();
    if (!prepare(*j))
        return;
    job = j;
    ui->prbRun->setRange(0, int(j->loads.size()));
    ui->prbRun->setValue(0);
    setStatus(tr("Running on %1...").arg(loadsText(qsizetype(j->loads.size()))));
    j->clock.start();
    thread = QThread::create(
        [j] { j->result = LCNet::runLab(j->base, j->loads, j->algorithms, &j->control); });
    connect(thread, &QThread::finished, this, &LabDialog::finishRun);
    thread->start();
    progress->start(100);
    updateEnabled();
}

void LabDialog::on_btnCancel_clicked()
{
    if (job)
        job->control.cancel = true;
}

void LabDialog::finishRun()
{
    thread->wait();
    delete thread;
    thread = nullptr;
    progress->stop();
    const std::shared_ptr<Job> j = std::move(job);
    const bool complete = j->result.complete;
    if (complete) {
        ui->prbRun->setValue(ui->prbRun->maximum());
        last = std::make_unique<LCNet::LabResult>(std::move(j->result));
        lastCorpus = j->corpus;
        ui->scatterLoads->setLimit(j->gammaLimit);
        showResult();
        setStatus(tr("Done: %1 in %2 s.")
                      .arg(loadsText(qsizetype(last->loads.size())))
                      .arg(j->clock.elapsed() / 1000.0, 0, 'f', 1));
    } else {
        setStatus(tr("Cancelled after %1 of %2 loads; the figures are those of the last "
                     "complete run.")
                      .arg(j->control.done.load())
                      .arg(j->loads.size()));
    }
    updateEnabled();
    emit runEnded(complete);
}

void LabDialog::showResult()
{
    const LCNet::LabResult &r = *last;
    const int n = int(r.loads.size());
    showFigures();

    std::vector<ReadingsHistogram::Series> series;
    for (int a = 0; a < r.algorithms.size(); ++a) {
        ReadingsHistogram::Series s{
            algorithmName(r.algorithms[a]), algorithmColour(r.algorithms[a]), {}};
        s.readings.reserve(size_t(n));
        for (int k = 0; k < n; ++k)
            s.readings.push_back(r.outcome(k, a).readings);
        series.push_back(std::move(s));
    }
    ui->histReadings->setSeries(std::move(series));

    // Categories: every search matched, no setting matches, then each set
    // of searches that missed, in the order first met.
    std::vector<SmithScatter::Category> categories{
        {tr("Matched by every search"), QColor(44, 160, 44, 150), false},
        {tr("No setting matches"), QColor(160, 160, 160), false}};
    std::vector<quint64> missSets{0, 0};
    std::vector<QPointF> gammas;
    std::vector<int> category;
    gammas.reserve(size_t(n));
    category.reserve(size_t(n));
    static const QColor several[] = {QColor(214, 39, 40), QColor(140, 20, 60),
                                     QColor(255, 90, 160)};
    for (int k = 0; k < n; ++k) {
        const LCNet::Impedance z = r.loads[size_t(k)].z;
        const LCNet::Impedance g = (z - LCNet::Z0) / (z + LCNet::Z0);
        gammas.emplace_back(std::isfinite(g.R) ? g.R : 1.0, std::isfinite(g.X) ? g.X : 0.0);
        if (!r.matchable(k)) {
            category.push_back(1);
            continue;
        }
        quint64 missed = 0;
        QStringList names;
        for (int a = 0; a < r.algorithms.size() && a < 64; ++a) {
            if (!r.success(k, a)) {
                missed |= quint64(1) << a;
                names << algorithmName(r.algorithms[a]);
            }
        }
        if (missed == 0) {
            category.push_back(0);
            continue;
        }
        auto found = std::find(missSets.begin() + 2, missSets.end(), missed);
        if (found == missSets.end()) {
            const QColor colour =
                names.size() == 1
                    ? algorithmColour(r.algorithms[int(qCountTrailingZeroBits(missed))])
                    : several[(missSets.size() - 2) % std::size(several)];
            categories.push_back({tr("Missed by %1").arg(names.join(tr(" and "))), colour, true});
            missSets.push_back(missed);
            found = missSets.end() - 1;
        }
        category.push_back(int(found - missSets.begin()));
    }
    ui->scatterLoads->setData(std::move(gammas), std::move(category), std::move(categories));
}

void LabDialog::showFigures()
{
    if (!last)
        return;
    const LCNet::LabResult &r = *last;
    double settle = 0;
    const bool settleOk = numberIn(ui->edtSettle, &settle) && settle >= 0;
    settle /= 1000.0;
    QTableWidget *table = ui->tblFigures;
    table->setColumnCount(int(r.algorithms.size()));
    int matchable = 0;
    for (int a = 0; a < r.algorithms.size(); ++a) {
        const LCNet::LabStatistics s = LCNet::labStatistics(r, a, settle);
        matchable = s.matchable;
        const QString key = r.algorithms[a];
        table->setHorizontalHeaderItem(
            a, new QTableWidgetItem(swatch(algorithmColour(key)), algorithmName(key)));
        const QString cells[] = {std::isfinite(s.successRate)
                                     ? QString::number(100 * s.successRate, 'f', 2) + " %"
                                     : QStringLiteral("–"),
                                 figureText(s.readingsMean, 'f', s.readingsMean < 1e4 ? 1 : 0),
                                 figureText(s.readingsMedian),
                                 figureText(s.readingsP95),
                                 QString::number(s.readingsMax),
                                 settleOk ? durationText(s.timeMean) : QStringLiteral("–"),
                                 figureText(s.excessMean, 'g', 3),
                                 figureText(s.excessMedian, 'g', 3)};
        for (int c = 0; c < int(std::size(cells)); ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(c, a, item);
        }
        table->item(0, a)->setToolTip(
            tr("%1 of %2 matchable loads").arg(s.successes).arg(s.matchable));
    }
    ui->lblSummary->setText(
        tr("%1. %2 of them can be matched below Low SWR %3 (Brute Force's best).")
            .arg(lastCorpus)
            .arg(matchable)
            .arg(LCNet::shortestText(r.lowSWR)));
}

QString LabDialog::describeLoad(int k) const
{
    if (!last || k < 0 || k >= int(last->loads.size()))
        return QString();
    const LCNet::LabResult &r = *last;
    const LCNet::LabLoad &load = r.loads[size_t(k)];
    QString text = tr("<b>%1 kHz, %2 %3 j%4 Ω</b><br>Best SWR %5")
                       .arg(LCNet::shortestText(load.frequencyKHz))
                       .arg(load.z.R, 0, 'g', 5)
                       .arg(load.z.X < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                       .arg(std::fabs(load.z.X), 0, 'g', 5)
                       .arg(r.bestSWR[size_t(k)], 0, 'g', 4);
    for (int a = 0; a < r.algorithms.size(); ++a) {
        const LCNet::LabOutcome &o = r.outcome(k, a);
        text += tr("<br>%1: SWR %2 after %3 readings%4")
                    .arg(algorithmName(r.algorithms[a]))
                    .arg(o.swr, 0, 'g', 4)
                    .arg(o.readings)
                    .arg(r.matchable(k) && !r.success(k, a) ? tr(", missed") : QString());
    }
    return text;
}

void LabDialog::on_btnNewSeed_clicked()
{
    ui->edtSeed->setText(QString::number(LCNet::newLabSeed()));
}

void LabDialog::on_btnBrowse_clicked()
{
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Loads for the tuning lab"), ui->edtFile->text(),
                                     tr("Loads (*.csv *.s1p *.ts *.txt);;All files (*)"));
    if (path.isEmpty())
        return;
    ui->edtFile->setText(QDir::toNativeSeparators(path));
    ui->rbFile->setChecked(true);
}

void LabDialog::on_btnExport_clicked()
{
    const QString path = QFileDialog::getSaveFileName(this, tr("Export the results per load"),
                                                      QStringLiteral("tuning-lab.csv"),
                                                      tr("CSV files (*.csv);;All files (*)"));
    if (!path.isEmpty())
        exportCsv(path);
}

bool LabDialog::exportCsv(const QString &path)
{
    if (!last) {
        setStatus(tr("Nothing to export: run the lab first."), true);
        return false;
    }
    QString why;
    if (!LCNet::saveLabPerLoadCsv(*last, path, &why)) {
        setStatus(tr("Could not export: %1").arg(why), true);
        return false;
    }
    setStatus(tr("Exported %1 rows to %2.")
                  .arg(qsizetype(last->loads.size()) * last->algorithms.size())
                  .arg(QDir::toNativeSeparators(path)));
    return true;
}

void LabDialog::setStatus(const QString &text, bool error)
{
    QPalette palette = ui->lblStatus->palette();
    const bool dark = this->palette().color(QPalette::Window).lightness() < 128;
    palette.setColor(QPalette::WindowText, error
                                               ? (dark ? QColor(255, 120, 120) : QColor(190, 0, 0))
                                               : this->palette().color(QPalette::WindowText));
    ui->lblStatus->setPalette(palette);
    ui->lblStatus->setText(text);
}

void LabDialog::updateEnabled()
{
    const bool idle = !thread;
    const bool generated = ui->rbGenerated->isChecked();
    ui->btnRun->setEnabled(idle);
    ui->btnCancel->setEnabled(!idle);
    ui->btnExport->setEnabled(idle && last);
    ui->grpLoads->setEnabled(idle);
    ui->grpAlgorithms->setEnabled(idle);
    ui->edtLowSWR->setEnabled(idle);
    for (QWidget *w :
         {static_cast<QWidget *>(ui->spnCount), static_cast<QWidget *>(ui->edtMaxSWR),
          static_cast<QWidget *>(ui->rbOneFrequency), static_cast<QWidget *>(ui->rbRange),
          static_cast<QWidget *>(ui->edtSeed), static_cast<QWidget *>(ui->btnNewSeed)})
        w->setEnabled(generated);
    ui->edtFrequency->setEnabled(generated && ui->rbOneFrequency->isChecked());
    ui->edtLowKHz->setEnabled(generated && ui->rbRange->isChecked());
    ui->edtHighKHz->setEnabled(generated && ui->rbRange->isChecked());
    ui->edtFile->setEnabled(!generated);
    ui->btnBrowse->setEnabled(!generated);
}
