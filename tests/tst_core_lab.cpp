#include "lcnet.h"

#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <complex>

using LCNet::BankSpec;
using LCNet::Calculator;
using LCNet::Impedance;
using LCNet::LabCorpusSpec;
using LCNet::LabOutcome;
using LCNet::LabResult;
using LCNet::StepTable;
using LCNet::TuneProblem;
using cplx = std::complex<double>;

namespace
{

// The SWR of a setting as the window shows it; a negative one (an active
// load) counts as infinite, as in the searches.
double windowSWR(const TuneProblem &p, double kHz, Calculator::NetType type, int l, int c)
{
    if (l < 0)
        return HUGE_VAL;
    Calculator calc;
    calc.setBanks(p.inductors.bank(), p.capacitors.bank());
    calc.components = p.components;
    calc.frequency = kHz;
    calc.loadImpedance = p.load;
    calc.netType = type;
    calc.inductance = p.inductors[l];
    calc.capacitance = p.capacitors[c];
    const double s = calc.currentSWR();
    return s < 0.0 ? HUGE_VAL : s;
}

// Smart Tune's walk over the window's SWR, counting its evaluations and the
// probes that switch relays (none at a bank's end).
struct Walk {
    int evaluations = 0, probes = 0;
};
Walk smartWalk(const TuneProblem &p)
{
    auto swr = [&](int trx, int i, int j) {
        return windowSWR(p, p.frequency / 1000, Calculator::NetType(trx), i, j);
    };
    Walk w;
    double best = HUGE_VAL;
    for (int trx = 0; trx < 2; ++trx)
        for (int i = 0, j = 0;;) {
            ++w.evaluations;
            const double s = swr(trx, i, j);
            if (s < best) {
                if (s < p.lowSWR)
                    return w;
                best = s;
            }
            if (i == p.inductors.last())
                break;
            if (j < p.capacitors.last() && (++w.probes, swr(trx, i, j + 1) < s))
                ++j;
            else if (j > 0 && (++w.probes, swr(trx, i, j - 1) < s))
                --j;
            else
                ++i;
        }
    return w;
}

BankSpec bank(const char *text)
{
    BankSpec recipe;
    BankSpec::fromText(QString::fromLatin1(text), &recipe);
    return recipe;
}

std::vector<LabOutcome> runAll(const TuneProblem &p)
{
    std::vector<LabOutcome> out;
    for (const LCNet::LabAlgorithm &a : LCNet::labAlgorithms())
        out.push_back(a.run(p));
    return out;
}

} // namespace

class TestLab : public QObject
{
    Q_OBJECT

private slots:
    // Banks 0 / 0.5 / 1 / 1.5 µH and 0 / 100 / 200 / 300 pF at 14 MHz, a
    // load that 1.05 µH and 195 pF would match. C-Antenna SWR (rows L):
    //        c0     c1     c2     c3
    //  l0  5.301  4.412  5.307  7.934
    //  l1  9.627  4.590  2.516  3.783
    //  l2 15.574  5.133  1.092  5.497
    //  l3 23.170  6.032  2.354 12.877
    void readingsByHand()
    {
        const StepTable l(bank("2: 0; 0.5, 1")), c(bank("2: 0; 100, 200"));
        TuneProblem p{l, c, 14e6, LCNet::matchedZLoadCAntenna(14e6, 1.05e-6, 195e-12), 1.3, {}};
        const std::vector<LabOutcome> o = runAll(p);
        // Brute Force: 2 x 4 x 4.
        // Smart Tune: l0c0, probe c1, l0c1, probes c2 c0, l1c1, probe c2,
        // l1c2, probes c3 c1, l2c2 matches: 5 + 6.
        // Valley: lines c0 and c1 rise from l0 (l0, l1 each); line c2
        // falls from l0 past l1 to l3, and l2 between matches: 2 + 2 + 4.
        // Relay by relay: l0c0, then the 2s: l2c0, l0c2, l2c2 matches.
        QCOMPARE((QList<int>{o[0].readings, o[1].readings, o[2].readings, o[3].readings}),
                 (QList<int>{32, 11, 8, 4}));
        for (const LabOutcome &r : o)
            QVERIFY(r.matched && r.type == Calculator::CAntenna && r.l == 2 && r.c == 2);

        // With nothing below Low SWR, Smart Tune walks both networks.
        p.lowSWR = 1.0;
        const Walk w = smartWalk(p);
        QCOMPARE(LCNet::findLabAlgorithm("smart")->run(p).readings, w.evaluations + w.probes);
        for (const LabOutcome &r : runAll(p)) {
            QVERIFY(!r.matched && r.readings <= 32);
            QVERIFY(r.swr == windowSWR(p, 14000, Calculator::CAntenna, 2, 2));
        }

        // The default banks: Brute Force's 2 x 256 x 256, and Smart Tune's
        // worked 37 and 593 evaluations with their probes.
        p = TuneProblem::of(Calculator());
        const Walk w37 = smartWalk(p);
        QVERIFY(w37.evaluations == 37 && runAll(p)[0].readings == 2 * 256 * 256);
        QCOMPARE(LCNet::findLabAlgorithm("smart")->run(p).readings, 37 + w37.probes);
        p.load = Impedance(5, -20);
        p.frequency = 3.5e6;
        const Walk w593 = smartWalk(p);
        QCOMPARE(w593.evaluations, 593);
        QCOMPARE(LCNet::findLabAlgorithm("smart")->run(p).readings, 593 + w593.probes);
    }

    // Every search ends on the setting it names, with that setting's SWR,
    // and reports a match exactly when that SWR is below Low SWR: over a
    // spread of loads, with lossy parts, odd banks and loads no setting or
    // no passive network matches.
    void searchesReportTheirSettingTruly_data()
    {
        QTest::addColumn<QString>("banks");
        QTest::addColumn<double>("q");
        QTest::newRow("default banks") << QString() << HUGE_VAL;
        QTest::newRow("lossy parts") << QString() << 40.0;
        QTest::newRow("3 + 5 relays")
            << "3: 0.05; 0.1, 0.2, 0.4|5: 10; 10, 20, 40, 80, 160" << HUGE_VAL;
        QTest::newRow("1 + 1 relay") << "1: 0.3; 1|1: 50; 200" << HUGE_VAL;
    }
    void searchesReportTheirSettingTruly()
    {
        QFETCH(QString, banks);
        QFETCH(double, q);
        TuneProblem p;
        if (!banks.isEmpty()) {
            const QStringList b = banks.split(QLatin1Char('|'));
            p.inductors = StepTable(bank(b[0].toLatin1().constData()));
            p.capacitors = StepTable(bank(b[1].toLatin1().constData()));
        }
        p.components.enabled = q < HUGE_VAL;
        p.components.qL = p.components.qC = q;
        p.lowSWR = 1.3;
        std::vector<LCNet::LabLoad> loads = LCNet::generateLabCorpus({60, 30, 1800, 30000, 1});
        for (const Impedance z : {Impedance(-10, 5), Impedance(0, 50), Impedance(0, 0),
                                  Impedance(1e12, 0), Impedance(NAN, 1)})
            loads.push_back({7000, z});
        for (const LCNet::LabLoad &load : loads) {
            p.frequency = 1000 * load.frequencyKHz;
            p.load = load.z;
            for (const LCNet::LabAlgorithm &a : LCNet::labAlgorithms()) {
                const LabOutcome o = a.run(p);
                const double truth = windowSWR(p, load.frequencyKHz, o.type, o.l, o.c);
                QVERIFY2(o.swr == truth || (std::isnan(o.swr) && std::isnan(truth)),
                         qPrintable(a.key));
                QVERIFY2(o.matched == (truth < p.lowSWR) && o.readings >= 1, qPrintable(a.key));
            }
        }
    }

    void generatedCorpus()
    {
        const LabCorpusSpec recipe{20000, 10, 14000, 14000, 20260101};
        const std::vector<LCNet::LabLoad> loads = LCNet::generateLabCorpus(recipe);
        QCOMPARE(int(loads.size()), recipe.count);

        // Reproducible to the bit, and the same impedances over a range.
        LabCorpusSpec range{3, 10, 1800, 30000, recipe.seed};
        const std::vector<LCNet::LabLoad> ranged = LCNet::generateLabCorpus(range);
        for (int k = 0; k < 3; ++k)
            QVERIFY(ranged[size_t(k)].z == loads[size_t(k)].z);
        range.seed = 1;
        const LCNet::LabLoad first = LCNet::generateLabCorpus(range)[0];
        QVERIFY(first.z == Impedance(10.65296335852409, -44.024044392977459) &&
                first.frequencyKHz == 4830.7762967272729);
        range.seed = 2;
        QVERIFY(LCNet::generateLabCorpus(range)[0].z != first.z);

        auto chi2 = [](const std::vector<int> &cells, double expected) {
            double sum = 0;
            for (int n : cells)
                sum += (n - expected) * (n - expected) / expected;
            return sum;
        };
        // Evenly over the disk: 5 rings of equal area x 8 sectors, 500
        // expected in each; chi-square with 39 degrees of freedom stays
        // below 72.1 but once in a thousand.
        const double rhoMax = 9.0 / 11.0;
        std::vector<int> cells(40);
        for (const LCNet::LabLoad &l : loads) {
            QCOMPARE(l.frequencyKHz, 14000.0);
            const cplx g = (l.z.toComplex() - 50.0) / (l.z.toComplex() + 50.0);
            const double r = std::abs(g) / rhoMax;
            QVERIFY(r <= 1.0 + 1e-12);
            const int ring = std::min(4, int(r * r * 5));
            const int sector = std::min(7, int((std::arg(g) + M_PI) / (2 * M_PI) * 8));
            ++cells[size_t(ring * 8 + sector)];
        }
        QVERIFY2(chi2(cells, 500) < 72.1, qPrintable(QString::number(chi2(cells, 500))));

        // Log-uniform frequencies: 10 bins of equal ratio, 9 degrees of
        // freedom, below 27.9 but once in a thousand.
        range.count = 10000;
        std::vector<int> bins(10);
        for (const LCNet::LabLoad &l : LCNet::generateLabCorpus(range)) {
            QVERIFY(l.frequencyKHz >= 1800 && l.frequencyKHz <= 30000);
            ++bins[size_t(
                std::min(9, int(std::log(l.frequencyKHz / 1800) / std::log(30000.0 / 1800) * 10)))];
        }
        QVERIFY2(chi2(bins, 1000) < 27.9, qPrintable(QString::number(chi2(bins, 1000))));

        for (auto bad :
             {LabCorpusSpec{0, 10, 14000, 14000, 1}, LabCorpusSpec{10, 1, 14000, 14000, 1},
              LabCorpusSpec{10, NAN, 14000, 14000, 1}, LabCorpusSpec{10, 10, 0, 14000, 1},
              LabCorpusSpec{10, 10, 14000, 7000, 1}, LabCorpusSpec{10, 10, 1e-300, 1e300, 1},
              LabCorpusSpec{10, 10, 14000, 14000, LCNet::MaxLabSeed + 1}}) {
            QString why;
            QVERIFY(!bad.isValid(&why) && !why.isEmpty() && LCNet::generateLabCorpus(bad).empty());
        }
        QVERIFY(LCNet::newLabSeed() <= LCNet::MaxLabSeed);
    }

    void corpusFiles_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("error"); // empty: read
        auto row = [](const char *name, const char *text, const char *error) {
            QTest::newRow(name) << QByteArray(text) << QString::fromLatin1(error);
        };
        // A byte order mark, CR LF line ends, a blank line, spaces.
        row("good", "\357\273\277Frequency_kHz, R, X\r\n\r\n14000,20,100\r\n3500, 5, -20\n", "");
        row("no header", "14000,20,100\n", "f.csv:1: the first");
        row("empty", "\n\n", "f.csv:1: the header");
        row("no loads", "frequency_khz,r,x\n", "f.csv:1: no loads");
        row("fields", "frequency_khz,r,x\n1,2,3\n\n1,2\n", "f.csv:4: expected 3 values");
        row("text", "frequency_khz,r,x\n1,abc,3\n", "f.csv:2: r \"abc\" is not a number");
        row("inf", "frequency_khz,r,x\n1,2,inf\n", "f.csv:2: x \"inf\" is not finite");
        row("zero frequency", "frequency_khz,r,x\n0,2,3\n", "f.csv:2: the frequency");
    }
    // A refused file leaves the loads as they were.
    void corpusFiles()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, error);
        std::vector<LCNet::LabLoad> loads{{1, Impedance(1, 1)}};
        QString why;
        QCOMPARE(LCNet::parseLabCorpusCsv(text, QStringLiteral("f.csv"), &loads, &why),
                 error.isEmpty());
        QVERIFY2(error.isEmpty() ? loads.size() == 2 && loads[1].frequencyKHz == 3500 &&
                                       loads[1].z == Impedance(5, -20)
                                 : why.startsWith(error) && loads.size() == 1,
                 qPrintable(why));
    }

    void runFiguresAndExports()
    {
        // The run's best SWR is Brute Force's, and a cancelled run says so.
        const std::vector<LCNet::LabLoad> loads =
            LCNet::generateLabCorpus({12, 10, 14000, 14000, 1});
        TuneProblem base;
        base.lowSWR = 1.2;
        LCNet::LabControl control;
        const LabResult r =
            LCNet::runLab(base, loads, {"valley", "nosuch", "brute", "valley"}, &control);
        QVERIFY(r.complete && control.done == 12);
        QCOMPARE(r.algorithms, QStringList({"valley", "brute"}));
        for (int k = 0; k < 12; ++k)
            QVERIFY(r.bestSWR[size_t(k)] == r.outcome(k, 1).swr &&
                    !(r.outcome(k, 0).swr < r.bestSWR[size_t(k)]));
        control.cancel = true;
        QVERIFY(!LCNet::runLab(base, loads, {"smart"}, &control).complete);

        // Figures of four loads by hand: readings 10, 20, 30, 1000; the
        // last one no setting matches.
        LabResult h;
        h.loads = {{14000, {20, 100}}, {7000, {50, 0}}, {3500, {1, 2}}, {1800, {0, 50}}};
        h.algorithms = QStringList{"x"};
        h.lowSWR = 1.5;
        h.bestSWR = {1.1, 1.0, 1.4, HUGE_VAL};
        const double swr[4] = {1.3, 1.6, 1.4, HUGE_VAL};
        const int readings[4] = {10, 20, 30, 1000};
        for (int k = 0; k < 4; ++k)
            h.outcomes.push_back({readings[k], Calculator::CAntenna, -1, -1, swr[k], false});
        const LCNet::LabStatistics s = LCNet::labStatistics(h, 0, 0.01);
        QVERIFY(s.matchable == 3 && s.successes == 2 && s.readingsMax == 1000 &&
                s.excessCount == 3);
        // Success rate, readings mean, median, 95th percentile, time, excess
        // SWR mean and median.
        QCOMPARE((QList<double>{s.successRate, s.readingsMean, s.readingsMedian, s.readingsP95,
                                s.timeMean, s.excessMean, s.excessMedian}),
                 (QList<double>{2.0 / 3, 265, 25, 1000, 265 * 0.01,
                                ((1.3 - 1.1) + (1.6 - 1.0) + 0.0) / 3, 1.3 - 1.1}));

        // What the command line prints, every figure under its key.
        const QJsonObject json = LCNet::labSummaryJson(h, 0.01, 42);
        QVERIFY(json["seed"] == 42 && json["loads"] == 4);
        const QJsonObject x = json.value("algorithms").toObject().value("x").toObject();
        QCOMPARE(x.keys(), QStringList({"excess_swr_mean", "excess_swr_median", "readings_max",
                                        "readings_mean", "readings_median", "readings_p95",
                                        "success_rate", "time_mean_s"}));
        QVERIFY(x["readings_p95"] == 1000 && x["success_rate"] == 2.0 / 3);
        LabResult one = h;
        one.loads.resize(1);
        one.bestSWR = {HUGE_VAL};
        QCOMPARE(LCNet::labSummaryJson(one, 0.01).value("algorithms")["x"]["success_rate"],
                 QJsonValue("nan"));

        h.loads.resize(2);
        h.bestSWR.resize(2);
        h.bestSWR[1] = HUGE_VAL;
        QCOMPARE(LCNet::labPerLoadCsv(h),
                 QString("frequency_khz,r,x,algorithm,readings,swr,best_swr,success\n"
                         "14000,20,100,x,10,1.3,1.1,true\n7000,50,0,x,20,1.6,inf,false\n"));
        QTemporaryDir dir;
        QString why;
        QVERIFY(LCNet::saveLabPerLoadCsv(h, dir.filePath("out.csv"), &why));
        QFile back(dir.filePath("out.csv"));
        QVERIFY(back.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(back.readAll()), LCNet::labPerLoadCsv(h));
        const QString missing = dir.filePath("no/such/out.csv");
        QVERIFY(!LCNet::saveLabPerLoadCsv(h, missing, &why) && why.startsWith(missing));
        QVERIFY(!LCNet::readLabCorpus(dir.filePath("none.csv"), &h.loads, &why) &&
                why.contains("none.csv"));
        // Anything but the lab's CSV is read as a load over frequency.
        QVERIFY(LCNet::readLabCorpus(QFINDTESTDATA("data/dipole20m.s1p"), &h.loads, &why));
        QVERIFY(h.loads.size() == 101 && h.loads[47].frequencyKHz == 14175 &&
                std::fabs(h.loads[47].z.R - 72.566) < 1e-9);
        QFile bad(dir.filePath("bad.s1p"));
        QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write("# MHz Z RI R 50\n14 0.4\n"));
        bad.close();
        QVERIFY2(!LCNet::readLabCorpus(bad.fileName(), &h.loads, &why) &&
                     why.startsWith(bad.fileName() + ":2:"),
                 qPrintable(why));
    }
};

QTEST_GUILESS_MAIN(TestLab)
#include "tst_core_lab.moc"
