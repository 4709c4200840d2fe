#include "lcnet.h"

#include <QtTest>

#include <complex>
#include <memory>
#include <random>

using LCNet::Calculator;
using LCNet::Impedance;
using cplx = std::complex<double>;

namespace
{

bool near(double value, double expected, double tolerance)
{
    return std::fabs(value - expected) <= tolerance;
}

cplx toC(const Impedance &z)
{
    return {z.R, z.X};
}

} // namespace

// Receives the signals through string-form connections.
class Receiver : public QObject
{
    Q_OBJECT
public:
    int matches = 0;
    LCNet::Calculator::NetType lastType = LCNet::Calculator::CTrx;
    LCNet::Impedance lastZIn;
    int rings = 0;

public slots:
    void onMatch(LCNet::Calculator::NetType n, double, double, LCNet::Impedance zIn, double, int)
    {
        ++matches;
        lastType = n;
        lastZIn = zIn;
    }
    void onProgress(int, int, bool &abort)
    {
        ++rings;
        abort = true;
    }
};

class TestCalculator : public QObject
{
    Q_OBJECT

private slots:
    void startsWithTheDefaults()
    {
        Calculator c;
        QCOMPARE(c.loadImpedance, Impedance(20, 100));
        QCOMPARE(c.frequency, 14000.0);
        QCOMPARE(c.inductance, 12.0);
        QCOMPARE(c.capacitance, 2000.0);
        QCOMPARE(c.netType, Calculator::CAntenna);
        QCOMPARE(c.lowSWR, 1.2);
        QCOMPARE(c.mediumSWR, 1.5);
        QCOMPARE(c.highSWR, 3.0);
        QVERIFY(c.bruteForce && c.smartTune);
        QCOMPARE(c.impedanceStep, 0.01);
        QCOMPARE(c.numberOfRings, 10000);
        QCOMPARE(c.epsilonSWR, 0.1);
        QCOMPARE(c.defaultCableLength, 10.0);
        QCOMPARE(c.velocityFactor, 0.66);
    }

    void settersSignalOnlyChanges()
    {
        Calculator c;
        QSignalSpy spy(&c, &Calculator::dataChanged);
        c.setInductance(12.0);
        c.setNetType(Calculator::CAntenna);
        c.setLoadImpedance(Impedance(20, 100));
        QCOMPARE(spy.count(), 0);
        c.setLoadImpedance(Impedance(20, 101));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<Calculator *>(), &c);
        c.setInductance(NAN);
        c.setInductance(NAN);
        c.setLoadImpedance(Impedance(NAN, 0));
        c.setLoadImpedance(Impedance(NAN, 0));
        QCOMPARE(spy.count(), 5);
        c.setFrequency(7000);
        c.setCapacitance(100);
        c.setInductance(1);
        c.setNetType(Calculator::CTrx);
        QCOMPARE(spy.count(), 9);
        c.clear();
        QCOMPARE(spy.count(), 10);
        QCOMPARE(c.inductance, 12.0);
    }

    void cloneCopiesStateButNotReceivers()
    {
        Calculator c;
        c.setFrequency(3500);
        c.setNetType(Calculator::CTrx);
        c.lowSWR = 1.7;
        c.numberOfRings = 7;
        c.velocityFactor = 0.8;
        QSignalSpy spy(&c, &Calculator::dataChanged);
        std::unique_ptr<Calculator> copy(c.clone());
        QVERIFY(!copy->parent());
        QCOMPARE(copy->frequency, 3500.0);
        QCOMPARE(copy->netType, Calculator::CTrx);
        QCOMPARE(copy->lowSWR, 1.7);
        QCOMPARE(copy->numberOfRings, 7);
        QCOMPARE(copy->velocityFactor, 0.8);
        QCOMPARE(copy->loadImpedance, c.loadImpedance);
        copy->setInductance(3);
        copy->clear();
        QCOMPARE(spy.count(), 0);
        QCOMPARE(c.inductance, 12.0);
        QCOMPARE(c.frequency, 3500.0);
    }

    void stringFormConnectionsWork()
    {
        Calculator c;
        Receiver direct, queued;
        QVERIFY(QObject::connect(&c,
                                 SIGNAL(foundMatch(LCNet::Calculator::NetType, double, double,
                                                   LCNet::Impedance, double, int)),
                                 &direct,
                                 SLOT(onMatch(LCNet::Calculator::NetType, double, double,
                                              LCNet::Impedance, double, int))));
        QVERIFY(QObject::connect(&c,
                                 SIGNAL(foundMatch(LCNet::Calculator::NetType, double, double,
                                                   LCNet::Impedance, double, int)),
                                 &queued,
                                 SLOT(onMatch(LCNet::Calculator::NetType, double, double,
                                              LCNet::Impedance, double, int)),
                                 Qt::QueuedConnection));
        QVERIFY(QObject::connect(&c, SIGNAL(progressMismatch(int, int, bool &)), &direct,
                                 SLOT(onProgress(int, int, bool &))));
        c.smartTuneSearch();
        QCOMPARE(direct.matches, 1);
        QCOMPARE(direct.lastType, Calculator::CAntenna);
        QCOMPARE(queued.matches, 0);
        QTRY_COMPARE(queued.matches, 1);
        QCOMPARE(queued.lastType, Calculator::CAntenna);
        QCOMPARE(queued.lastZIn, direct.lastZIn);
        // The receiver's abort reaches the search through the reference.
        Impedance found;
        QVERIFY(!c.mismatchSearch(0.0, &found));
        QCOMPARE(direct.rings, 1);
    }

    // The network formulas against the circuit written as admittances.
    void networksAgreeWithCircuitTheory()
    {
        std::mt19937 gen(7);
        std::uniform_real_distribution<double> part(-500, 500), pos(0.1, 1000);
        for (int i = 0; i < 2000; ++i) {
            const double f = pos(gen) * 1e5, l = pos(gen) * 1e-8, c = pos(gen) * 1e-12;
            const cplx load(pos(gen), part(gen));
            const cplx jwl(0, 2 * M_PI * f * l), jwc(0, 2 * M_PI * f * c);
            const cplx ant = jwl + 1.0 / (1.0 / load + jwc);
            const cplx trx = 1.0 / (1.0 / (load + jwl) + jwc);
            const Impedance zl(load.real(), load.imag());
            QVERIFY(std::abs(toC(LCNet::zInCAntenna(f, l, c, zl)) - ant) <= 1e-9 * std::abs(ant));
            QVERIFY(std::abs(toC(LCNet::zInCTrx(f, l, c, zl)) - trx) <= 1e-9 * std::abs(trx));
            // Lossless: all the power that enters reaches the load. Source of
            // 1 V behind Z0 feeding zIn.
            const cplx in = 1.0 / (50.0 + ant);
            const cplx loadCurrent = in * (1.0 / (1.0 / load + jwc)) / load;
            const double pIn = std::norm(in) * ant.real();
            QVERIFY(near(std::norm(loadCurrent) * load.real(), pIn, 1e-9 * pIn));
        }
    }

    void openCapacitorAndZeroFrequency()
    {
        const Impedance load(20, 100);
        const double xl = 2 * M_PI * 14e6 * 1.65e-6;
        QCOMPARE(LCNet::zInCAntenna(14e6, 1.65e-6, 0, load), Impedance(20, 100 + xl));
        QCOMPARE(LCNet::zInCTrx(14e6, 1.65e-6, 0, load), Impedance(20, 100 + xl));
        QCOMPARE(LCNet::zInCAntenna(0, 1.65e-6, 180e-12, load), load);
        QCOMPARE(LCNet::zInCTrx(0, 1.65e-6, 180e-12, load), load);
    }

    void swrValues()
    {
        QCOMPARE(LCNet::computeSWR(LCNet::Z0, LCNet::Z0), 1.0);
        QCOMPARE(LCNet::computeSWR(LCNet::Z0, Impedance(0, 0)), LCNet::Infinity);
        QCOMPARE(LCNet::computeSWR(LCNet::Z0, Impedance(0, 50)), LCNet::Infinity);
        QCOMPARE(LCNet::computeSWR(LCNet::Z0, Impedance(-10, 0)), -5.0);
        QCOMPARE(LCNet::computeSWR(LCNet::Z0, Impedance(100, 0)), 2.0);
        QVERIFY(std::isnan(LCNet::computeSWR(LCNet::Z0, Impedance(NAN, 0))));
        QVERIFY(near(LCNet::computeSWR(LCNet::Z0, Impedance(20, 100)), 12.822, 5e-4));
    }

    void matchedLoadGivesSwrOne()
    {
        Calculator c;
        const Impedance ant = c.matchedZLoad();
        QVERIFY(near(ant.R, 0.00146, 5e-6) && near(ant.X, 5.715, 5e-4));
        c.setLoadImpedance(ant);
        QVERIFY(near(c.currentSWR(), 1.0, 1e-9));
        c.setNetType(Calculator::CTrx);
        const Impedance trx = c.matchedZLoad();
        QVERIFY(near(trx.R, 0.638, 5e-4) && near(trx.X, -1049.96, 5e-3));
        c.setLoadImpedance(trx);
        Impedance zIn;
        double swr;
        c.calculate(zIn, swr);
        QVERIFY(near(swr, 1.0, 1e-9));
        QVERIFY(near(zIn.R, 50, 1e-6) && near(zIn.X, 0, 1e-6));
    }

    // SWR, reflected power, mismatch loss and return loss as the tables give them.
    void powerFigures()
    {
        QCOMPARE(LCNet::reflectedPower(100, 1), 0.0);
        QVERIFY(std::signbit(LCNet::transmissionLoss(0, 100)));
        QCOMPARE(LCNet::returnLoss(0, 100), LCNet::Infinity);
        const double p2 = LCNet::reflectedPower(100, 2);
        QVERIFY(near(p2, 100.0 / 9, 1e-12));
        QVERIFY(near(LCNet::returnLoss(p2, 100), 9.54, 5e-3));
        QVERIFY(near(LCNet::transmissionLoss(p2, 100), 0.512, 5e-4));
        const double p3 = LCNet::reflectedPower(100, 3);
        QCOMPARE(p3, 25.0);
        QVERIFY(near(LCNet::transmissionLoss(p3, 100), 1.249, 5e-4));
        QVERIFY(near(LCNet::returnLoss(p3, 100), 6.021, 5e-4));
        // Total reflection: everything comes back.
        const double all = LCNet::reflectedPower(100, LCNet::Infinity);
        QCOMPARE(all, 100.0);
        QCOMPARE(LCNet::transmissionLoss(all, 100), LCNet::Infinity);
        QCOMPARE(LCNet::returnLoss(all, 100), 0.0);
        QVERIFY(std::isnan(LCNet::reflectedPower(100, NAN)));
    }

    void antennaThroughCable()
    {
        Calculator c;
        auto close = [](const Impedance &z, double r, double x, double tol) {
            return near(z.R, r, tol) && near(z.X, x, tol);
        };
        QVERIFY(close(c.antennaImpedance(10), 4.0344, -9.2690, 1e-4));
        QVERIFY(close(c.antennaImpedance(0), 20, 100, 1e-12));
        const double quarter = 0.66 * 299792458.0 / 14e6 / 4;
        QVERIFY(close(c.antennaImpedance(quarter), 4.8077, -24.0385, 1e-4));
        c.setFrequency(7000);
        QVERIFY(close(c.antennaImpedance(10), 18.744, -96.116, 1e-3));
        c.setLoadImpedance(LCNet::Z0);
        QVERIFY(close(c.antennaImpedance(7.3), 50, 0, 1e-9));
        c.velocityFactor = 0;
        QVERIFY(std::isnan(c.antennaImpedance(1).R));
        // A lossless line at the reference impedance keeps the SWR, and the
        // forward line equation carries the antenna back to the load.
        const Impedance load(20, 100);
        const double swr = LCNet::computeSWR(LCNet::Z0, load);
        for (double len = 0.5; len < 40; len += 1.37) {
            const Impedance za = LCNet::zAntennaThroughCable(14e6, len, 0.66, LCNet::Z0, load);
            QVERIFY(near(LCNet::computeSWR(LCNet::Z0, za), swr, 1e-9 * swr));
            const cplx jt(0, std::tan(2 * M_PI * 14e6 / 299792458.0 * len / 0.66));
            const cplx back = 50.0 * (toC(za) + jt * 50.0) / (50.0 + jt * toC(za));
            QVERIFY(std::abs(back - toC(load)) < 1e-9 * std::abs(toC(load)));
        }
    }
};

QTEST_MAIN(TestCalculator)
#include "tst_core_calculator.moc"
