// The band sweep: each point as Auto Tune finds it, the cable, the text for
// machines, the band summary.
#include "lcnet.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>

using LCNet::Calculator;
using LCNet::Impedance;
using LCNet::LoadPoint;
using LCNet::SweepAlgorithm;
using LCNet::SweepOptions;
using LCNet::SweepPoint;
using LCNet::SweepResult;

namespace
{

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

QVector<LoadPoint> stored(const char *name)
{
    QVector<LoadPoint> points;
    LCNet::readLoadFile(QFINDTESTDATA(QString("data/") + name), &points, nullptr);
    return points;
}

// |Γ| of an SWR.
double reflection(double swr)
{
    return (swr - 1.0) / (swr + 1.0);
}

SweepPoint point(double kHz, double swr)
{
    SweepPoint p;
    p.frequencyKHz = kHz;
    p.swr = swr;
    return p;
}

// Points, covered and tunable share, best and worst SWR.
QList<double> figures(const LCNet::BandSummary &s)
{
    return {double(s.points), s.coveredShare, s.tunableShare, s.bestSWR, s.worstSWR};
}

} // namespace

class TestSweep : public QObject
{
    Q_OBJECT

private slots:
    void pointsAreAutoTune_data()
    {
        QTest::addColumn<bool>("smart");
        QTest::addColumn<int>("components"); // 0 off, 1 on and lossless, 2 Q of 100 and 300
        for (int c = 0; c < 3; ++c) {
            QTest::addRow("brute %d", c) << false << c;
            QTest::addRow("smart %d", c) << true << c;
        }
    }

    // Every figure of a point has the bits that the window's calculator shows
    // after Auto Tune on that load and frequency, from the same start.
    void pointsAreAutoTune()
    {
        QFETCH(bool, smart);
        QFETCH(int, components);
        Calculator main;
        main.netType = Calculator::CTrx;
        main.inductance = 12.345; // no step of the bank
        main.capacitance = 2000.0;
        main.components.enabled = components > 0;
        main.components.qL = components == 2 ? 100.0 : LCNet::Infinity;
        main.components.qC = components == 2 ? 300.0 : LCNet::Infinity;
        SweepOptions options = SweepOptions::of(main);
        options.algorithm = smart ? SweepAlgorithm::SmartTune : SweepAlgorithm::BruteForce;
        // Points far from any antenna: the ends of the frequency range, a
        // lossless load, an active one, and loads at the ends of the double
        // range; then the two modelled antennas.
        QVector<LoadPoint> loads = {{1, {50, 0}},       {1e6, {10, -500}},  {7000, {0, 100}},
                                    {14000, {-20, 10}}, {14000, {1e12, 0}}, {3500, {1e-9, 0}},
                                    {1830, {3, -900}}};
        const QVector<LoadPoint> dipole = stored("dipole20m.s1p"), loop = stored("loop80m.s1p");
        QVERIFY(dipole.size() == 101 && loop.size() == 283);
        for (int i = 0; i < dipole.size(); i += smart ? 1 : 5)
            loads.append(dipole[i]);
        for (int i = 0; i < loop.size(); i += smart ? 1 : 10)
            loads.append(loop[i]);
        const SweepResult result = LCNet::runSweep(loads, options);
        QCOMPARE(result.points.size(), loads.size());
        QCOMPARE(result.withComponents, components > 0);

        int unmoved = 0;
        for (int i = 0; i < loads.size(); ++i) {
            const SweepPoint &p = result.points[i];
            std::unique_ptr<Calculator> calc(main.clone());
            calc->setFrequency(loads[i].frequencyKHz);
            calc->setLoadImpedance(loads[i].z);
            const int evaluations = smart ? calc->smartTuneSearch() : calc->bruteForceSearch();
            const LCNet::PowerFigures f = calc->powerFigures();
            const Impedance z = loads[i].z, zIn = calc->inputImpedance();
            // clang-format off
            const double got[] = {p.load.R, p.load.X, p.measured.R, p.measured.X, p.loadSWR,
                                  double(p.type), p.l, p.c, p.zIn.R, p.zIn.X, p.swr,
                                  double(p.evaluations), p.power.efficiency, p.power.lossL,
                                  p.power.lossC, p.power.voltageCPeak};
            const double want[] = {z.R, z.X, z.R, z.X, LCNet::computeSWR(LCNet::Z0, z),
                                   double(calc->netType), calc->inductance, calc->capacitance,
                                   zIn.R, zIn.X, calc->currentSWR(), double(evaluations),
                                   f.efficiency, f.lossL, f.lossC, f.voltageCPeak};
            // clang-format on
            // Without components the power columns stay out of it.
            const size_t compared = sizeof got - (components ? 0 : 4 * sizeof(double));
            QVERIFY2(!std::memcmp(got, want, compared), QByteArray::number(loads[i].frequencyKHz));
            unmoved += !p.moved;
            QVERIFY(p.moved ? calc->inductorSteps()[p.lStep] == p.l &&
                                  calc->capacitorSteps()[p.cStep] == p.c
                            : p.lStep == -1 && p.cStep == 128);
        }
        // Without losses the active load leaves the tuner where it stood.
        QVERIFY(components == 2 || unmoved >= 1);
    }

    void cableCarriesTheLoad()
    {
        Calculator calc;
        calc.velocityFactor = 0.78;
        SweepOptions options = SweepOptions::of(calc);
        QVERIFY(!options.cable);
        options.cable = true;
        options.cableLength = 17.3;
        // A lossless 50-ohm line: Find Z Antenna undoes it, the SWR stays.
        for (const LoadPoint &lp : stored("dipole20m.s1p")) {
            const SweepPoint p = LCNet::sweepPoint(lp, options);
            calc.frequency = lp.frequencyKHz;
            calc.loadImpedance = p.load;
            const Impedance back = calc.antennaImpedance(options.cableLength);
            QVERIFY(p.measured == lp.z &&
                    std::abs(back.toComplex() - lp.z.toComplex()) < 1e-9 * lp.z.abs() &&
                    qAbs(p.loadSWR / LCNet::computeSWR(LCNet::Z0, lp.z) - 1.0) < 1e-9);
        }

        // A quarter wavelength inverts the load about Zc: 2500 / (30 - j70).
        const LoadPoint at14{14000.0, {30.0, -70.0}};
        options.cableLength = 0.25 * options.velocityFactor * LCNet::SpeedOfLight / 14e6;
        const SweepPoint quarter = LCNet::sweepPoint(at14, options);
        QVERIFY(std::abs(quarter.load.toComplex() -
                         std::complex<double>(2500.0) / at14.z.toComplex()) < 1e-9);

        // A lossy line of A dB takes 2A dB off the reflection on the way back:
        // |Γ| at the tuner = |Γ| at the antenna x 10^(-A/10). RG-58: 4.7 dB per
        // 100 m at 10 MHz, growing with the square root of frequency.
        options.cableSpec = {QStringLiteral("rg58"), 50.0, 4.7};
        options.cableLength = 30.0;
        for (const LoadPoint &lp :
             {LoadPoint{7100.0, {12.0, 40.0}}, LoadPoint{28500.0, {300.0, -5.0}},
              LoadPoint{1840.0, {50.0, 0.0}}}) {
            const SweepPoint p = LCNet::sweepPoint(lp, options);
            const double a = 4.7 * 0.3 * std::sqrt(lp.frequencyKHz / 10000.0);
            const double expected =
                reflection(LCNet::computeSWR(LCNet::Z0, lp.z)) * std::pow(10.0, -a / 10.0);
            QVERIFY2(qAbs(reflection(p.loadSWR) - expected) < 1e-12,
                     QByteArray::number(lp.frequencyKHz));
        }
    }

    void textForMachines()
    {
        // The non-finite numbers, a negative zero, a setting off the banks.
        SweepPoint odd;
        odd.frequencyKHz = 1.0;
        odd.load = {-0.0, 1e300};
        odd.loadSWR = LCNet::Infinity;
        odd.type = Calculator::CTrx;
        odd.l = 12.345;
        odd.c = 2000.0;
        odd.zIn = {qQNaN(), -LCNet::Infinity};
        odd.swr = qQNaN();
        SweepResult r;
        r.points = {odd};
        const QString header = QStringLiteral("frequency_khz,load_r,load_x,load_swr,config,l_step,"
                                              "c_step,l_uh,c_pf,zin_r,zin_x,swr");
        QCOMPARE(LCNet::sweepCsv(r),
                 header + QStringLiteral("\n1,-0,1e+300,inf,trx,-1,-1,12.345,2000,nan,-inf,nan\n"));
        QCOMPARE(LCNet::sweepJson(r),
                 QStringLiteral("[\n  {\"frequency_khz\": 1, \"load_r\": -0, \"load_x\": 1e+300, "
                                "\"load_swr\": \"inf\", \"config\": \"trx\", \"l_step\": -1, "
                                "\"c_step\": -1, \"l_uh\": 12.345, \"c_pf\": 2000, \"zin_r\": "
                                "\"nan\", \"zin_x\": \"-inf\", \"swr\": \"nan\"}\n]\n"));
        QCOMPARE(LCNet::sweepJson(SweepResult()), QStringLiteral("[]\n"));

        // A real sweep with losses reads back to the same doubles through
        // either text.
        SweepOptions options = SweepOptions::of(Calculator());
        options.algorithm = SweepAlgorithm::SmartTune;
        options.components.enabled = true;
        options.components.qL = 150.0;
        const SweepResult real = LCNet::runSweep(stored("dipole20m.s1p"), options);
        const QStringList rows = LCNet::sweepCsv(real).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(rows.size(), 102);
        QCOMPARE(rows[0], header + QLatin1String(",efficiency,loss_l_w,loss_c_w,v_c_peak_v"));
        const QStringList keys = rows[0].split(QLatin1Char(','));
        const QJsonArray json = QJsonDocument::fromJson(LCNet::sweepJson(real).toUtf8()).array();
        QCOMPARE(json.size(), 101);
        for (int i = 0; i < 101; ++i) {
            const SweepPoint &p = real.points[i];
            // clang-format off
            const double values[] = {p.frequencyKHz, p.load.R, p.load.X, p.loadSWR, 0.0,
                                     double(p.lStep), double(p.cStep), p.l, p.c, p.zIn.R, p.zIn.X,
                                     p.swr, p.power.efficiency, p.power.lossL, p.power.lossC,
                                     p.power.voltageCPeak};
            // clang-format on
            const QStringList cells = rows[i + 1].split(QLatin1Char(','));
            const QJsonObject object = json[i].toObject();
            QCOMPARE(object.size(), 16);
            QCOMPARE(cells[4], QLatin1String(p.type == Calculator::CTrx ? "trx" : "antenna"));
            QCOMPARE(object[keys[4]].toString(), cells[4]);
            for (int k = 0; k < 16; ++k)
                QVERIFY2(k == 4 || (sameBits(cells[k].toDouble(), values[k]) &&
                                    sameBits(object[keys[k]].toDouble(), values[k])),
                         qPrintable(cells[k]));
        }
    }

    void bandSummaries()
    {
        // Around 20 m (14000-14350 kHz) with Low SWR 1.2. The cells end
        // half-way: 13950, 14050, 14150, 14300. In the band, 14000 stands for
        // 14000-14050 (1.3), 14100 for 14050-14150 (1.1), 14200 for 14150-14300
        // (1.5) and 14400 for 14300-14350 (1.05): 150 of 350 kHz tune.
        SweepResult r;
        r.lowSWR = 1.2;
        r.points = {point(13900, 1.1), point(14000, 1.3), point(14100, 1.1), point(14200, 1.5),
                    point(14400, 1.05)};
        QVector<LCNet::BandSummary> s = LCNet::bandSummaries(r);
        QVERIFY(s.size() == 1 && s[0].band.name == QLatin1String("20m"));
        QCOMPARE(figures(s[0]), (QList<double>{4, 1.0, 150.0 / 350.0, 1.05, 1.5}));

        // The file ends inside 20 m and holds two points around 160 m
        // (1830-1850), the first standing for 1800-1850; 7000 stands for
        // 4450-10550, all of 40 m and 30 m.
        r.points = {point(1800, 1.1), point(1900, 2.0), point(7000, 1.0), point(14100, 1.1),
                    point(14140, LCNet::Infinity)};
        s = LCNet::bandSummaries(r);
        QCOMPARE(s.size(), 5); // 160, 80, 40, 30 and 20 m
        QVERIFY(s[0].band.name == QLatin1String("160m") && s[2].band.name == QLatin1String("40m") &&
                s[4].band.name == QLatin1String("20m"));
        QCOMPARE(figures(s[0]), (QList<double>{1, 1.0, 1.0, 1.1, 1.1}));
        QCOMPARE(figures(s[2]), (QList<double>{1, 1.0, 1.0, 1.0, 1.0}));
        QCOMPARE(figures(s[4]), (QList<double>{2, 140.0 / 350.0, 120.0 / 350.0, 1.1, HUGE_VAL}));

        // One point: it lies in a band or none.
        r.points = {point(14200, 1.0)};
        s = LCNet::bandSummaries(r);
        QVERIFY(s.size() == 1 && s[0].points == 1 && s[0].coveredShare == 0.0);
        r.points = {point(12000, 1.0)};
        QVERIFY(LCNet::bandSummaries(r).isEmpty());

        // The modelled dipole at resonance (14175 kHz) shows about 72.6 / 50
        // alone; its 20 m band holds 15 points 25 kHz apart, every one tunable.
        SweepOptions options = SweepOptions::of(Calculator());
        const SweepResult dipole = LCNet::runSweep(stored("dipole20m.s1p"), options);
        const SweepPoint &res = dipole.points[47];
        QVERIFY(res.frequencyKHz == 14175 && qAbs(res.loadSWR - 72.566 / 50.0) < 0.01 &&
                res.swr < 1.1);
        s = LCNet::bandSummaries(dipole);
        QVERIFY(s.size() == 1 && s[0].band.name == QLatin1String("20m"));
        QCOMPARE(figures(s[0]).mid(0, 3), (QList<double>{15, 1.0, 1.0}));
        // The loop over all of HF covers every band from 160 to 10 m.
        options.algorithm = SweepAlgorithm::SmartTune;
        s = LCNet::bandSummaries(LCNet::runSweep(stored("loop80m.s1p"), options));
        QCOMPARE(s.size(), 9);
        for (int b = 0; b < 9; ++b)
            QVERIFY(s[b].band.name == QLatin1String(LCNet::AmateurBands[size_t(b)].name) &&
                    s[b].coveredShare == 1.0);
    }

    void progressCancelAndOddInput()
    {
        // Frequencies and loads no reader gives still end in a defined result.
        const double nan = qQNaN(), inf = LCNet::Infinity;
        QVector<LoadPoint> loads = {{0, {50, 0}},     {-7000, {20, 10}}, {nan, {50, 0}},
                                    {7000, {nan, 0}}, {inf, {1, 1}},     {7000, {inf, 0}}};
        for (int i = 0; i < 200; ++i)
            loads.append({1800.0 + 100.0 * i, {10.0 + i, 50.0 - i}});
        SweepOptions options = SweepOptions::of(Calculator());
        options.algorithm = SweepAlgorithm::SmartTune;
        options.cable = true;
        int calls = 0, last = 0;
        bool ordered = true;
        SweepResult r = LCNet::runSweep(loads, options, nullptr, [&](int done, int total) {
            ordered = ordered && done > last && total == loads.size();
            last = done;
            ++calls;
        });
        QVERIFY(ordered && calls > 0 && last == loads.size() && !r.cancelled);
        QCOMPARE(r.points.size(), loads.size());
        QVERIFY(std::isnan(r.points[3].swr) && !r.points[3].moved);

        // Cancelled after the first chunk: nothing half done is returned.
        options.algorithm = SweepAlgorithm::BruteForce;
        std::atomic<bool> cancel{false};
        r = LCNet::runSweep(loads, options, &cancel, [&](int, int) { cancel = true; });
        QVERIFY(r.cancelled && r.points.isEmpty());
        QCOMPARE(LCNet::sweepCsv(r).count(QLatin1Char('\n')), 1);
    }
};

QTEST_GUILESS_MAIN(TestSweep)
#include "tst_core_sweep.moc"
