#include "lcnet.h"

#include <QtTest>

#include <memory>

using LCNet::Calculator;
using LCNet::Impedance;

namespace
{

bool near(double value, double expected, double tolerance)
{
    return value == expected || std::fabs(value - expected) <= tolerance;
}

bool near(const Impedance &z, double r, double x, double tolerance)
{
    return near(z.R, r, tolerance) && near(z.X, x, tolerance);
}

QList<double> fields(const Calculator &c)
{
    return QList<double>() << c.loadImpedance.R << c.loadImpedance.X << c.frequency << c.inductance
                           << c.capacitance << c.netType << c.lowSWR << c.mediumSWR << c.highSWR
                           << c.bruteForce << c.smartTune << c.impedanceStep << c.numberOfRings
                           << c.epsilonSWR << c.defaultCableLength << c.velocityFactor;
}

} // namespace

class TestCalculator : public QObject
{
    Q_OBJECT

    LCNet::Impedance matchZIn;

public slots:
    void onMatch(LCNet::Calculator::NetType, double, double, LCNet::Impedance z, double, int)
    {
        matchZIn = z;
    }

private slots:
    void defaultsSignalsAndClone()
    {
        const QList<double> defaults{20,  100, 14000, 12,   2000,  0,   1.2, 1.5,
                                     3.0, 1,   1,     0.01, 10000, 0.1, 10,  0.66};
        QObject owner;
        Calculator &c = *new Calculator(&owner);
        QCOMPARE(fields(c), defaults);
        QSignalSpy spy(&c, &Calculator::dataChanged);
        // A setter signals a change only (each value is set twice), and NaN
        // never equals what is stored: 2 x 4 NaN changes, then 5 changes.
        for (double v : {qQNaN(), qQNaN(), 7.0, 7.0}) {
            c.setFrequency(v);
            c.setCapacitance(v);
            c.setInductance(v);
            c.setLoadImpedance(Impedance(v, 0));
            c.setNetType(v == 7.0 ? Calculator::CTrx : Calculator::CAntenna);
        }
        QCOMPARE(spy.count(), 8 + 5);
        QCOMPARE(spy.at(0).at(0).value<Calculator *>(), &c);

        c.lowSWR = 1.7;
        c.mediumSWR = 2.5;
        c.highSWR = 4;
        c.bruteForce = c.smartTune = false;
        c.impedanceStep = 0.5;
        c.numberOfRings = 7;
        c.epsilonSWR = 0.2;
        c.defaultCableLength = 3;
        c.velocityFactor = 0.8;
        std::unique_ptr<Calculator> copy(c.clone());
        QVERIFY(!copy->parent());
        QCOMPARE(fields(*copy), fields(c));
        c.clear();
        QCOMPARE(spy.count(), 14);
        QCOMPARE(fields(c), defaults);
    }

    // A queued string-form connection needs the argument types by name.
    void stringFormQueuedConnection()
    {
        Calculator c;
        QVERIFY(QObject::connect(&c,
                                 SIGNAL(foundMatch(LCNet::Calculator::NetType, double, double,
                                                   LCNet::Impedance, double, int)),
                                 this,
                                 SLOT(onMatch(LCNet::Calculator::NetType, double, double,
                                              LCNet::Impedance, double, int)),
                                 Qt::QueuedConnection));
        c.smartTuneSearch();
        QCOMPARE(matchZIn, Impedance());
        QTRY_COMPARE(matchZIn, LCNet::zInCAntenna(14e6, 1.65e-6, 180e-12, Impedance(20, 100)));
    }

    // SWR, then reflected power of 100 W forward, mismatch loss and return
    // loss; total reflection gives back all the power.
    void swrAndLossFigures()
    {
        const struct {
            Impedance z;
            double swr, reflected, ml, rl;
        } rows[] = {{{50, 0}, 1, 0, 0, HUGE_VAL},
                    {{100, 0}, 2, 11.1111, 0.5115, 9.5424},
                    {{150, 0}, 3, 25, 1.2494, 6.0206},
                    {{20, 100}, 12.8220, 73.1544, 5.7113, 1.3576},
                    {{0, 50}, HUGE_VAL, 100, HUGE_VAL, 0}};
        for (const auto &row : rows) {
            const double swr = LCNet::computeSWR(LCNet::Z0, row.z);
            const double p = LCNet::reflectedPower(100, swr);
            QVERIFY(near(swr, row.swr, 1e-4) && near(p, row.reflected, 1e-4));
            QVERIFY(near(LCNet::transmissionLoss(p, 100), row.ml, 1e-4) &&
                    near(LCNet::returnLoss(p, 100), row.rl, 1e-4));
        }
        QCOMPARE(LCNet::computeSWR(LCNet::Z0, Impedance(-10, 0)), -5.0);
        QVERIFY(std::isnan(LCNet::reflectedPower(100, LCNet::computeSWR(LCNet::Z0, {NAN, 0}))));
    }

    void matchedLoadGivesSwrOne()
    {
        Calculator c;
        QVERIFY(near(c.matchedZLoad(), 0.00146, 5.715, 5e-4));
        c.setNetType(Calculator::CTrx);
        QVERIFY(near(c.matchedZLoad(), 0.638, -1049.96, 5e-3));
        for (auto n : {Calculator::CAntenna, Calculator::CTrx}) {
            c.setNetType(n);
            c.setLoadImpedance(c.matchedZLoad());
            QVERIFY(near(c.inputImpedance(), 50, 0, 1e-6));
        }
    }

    // Worked figures, a matched line, and the SWR that a lossless line at
    // the reference impedance keeps.
    void antennaThroughCable()
    {
        Calculator c;
        QVERIFY(near(c.antennaImpedance(10), 4.0344, -9.2690, 1e-4));
        const double quarter = 0.66 * 299792458.0 / 14e6 / 4;
        QVERIFY(near(c.antennaImpedance(quarter), 4.8077, -24.0385, 1e-4));
        c.setFrequency(7000);
        QVERIFY(near(c.antennaImpedance(10), 18.744, -96.116, 1e-3));
        c.setLoadImpedance(LCNet::Z0);
        QVERIFY(near(c.antennaImpedance(7.3), 50, 0, 1e-9));
        const double swr = LCNet::computeSWR(LCNet::Z0, Impedance(20, 100));
        for (double len = 0.5; len < 40; len += 1.37) {
            const Impedance za =
                LCNet::zAntennaThroughCable(14e6, len, 0.66, LCNet::Z0, Impedance(20, 100));
            QVERIFY(near(LCNet::computeSWR(LCNet::Z0, za), swr, 1e-9 * swr));
        }
    }
};

QTEST_MAIN(TestCalculator)
#include "tst_core_calculator.moc"
