#include "lcnet.h"

#include <QtTest>

#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

using LCNet::Impedance;

namespace
{

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Doubles from every corner of the format: random bit patterns, random
// magnitudes over the whole exponent range, specials, and small integers
// scaled by powers of two (which make ties and exact cancellations).
class Sampler
{
public:
    double next()
    {
        static const double special[] = {0.0,     -0.0,     1.0,       -1.0,     50.0,
                                         -50.0,   HUGE_VAL, -HUGE_VAL, NAN,      -NAN,
                                         1e-310,  -1e-310,  DBL_MAX,   -DBL_MAX, DBL_MIN,
                                         0x1p-52, 0x1p511,  0x1p-459,  0x1p200,  0x1p-200};
        double v;
        switch (gen() % 4) {
        case 0: {
            const std::uint64_t u = gen();
            std::memcpy(&v, &u, sizeof v);
            return v;
        }
        case 1:
            v = std::ldexp(double(gen() >> 11) * 0x1p-53, int(gen() % 2100) - 1075);
            return gen() & 1 ? -v : v;
        case 2:
            return special[gen() % (sizeof special / sizeof *special)];
        default:
            return std::ldexp(double(int(gen() % 2001) - 1000), int(gen() % 40) - 20);
        }
    }

private:
    std::mt19937_64 gen{20240601};
};

} // namespace

class TestImpedance : public QObject
{
    Q_OBJECT

private slots:
    // The inline quotient and magnitude must be the library's, bit for bit.
    void quotientAndMagnitudeMatchTheLibrary()
    {
        Sampler s;
        for (int i = 0; i < 3000000; ++i) {
            const double a = s.next(), b = s.next(), c = s.next(), d = s.next();
            const Impedance q = Impedance(a, b) / Impedance(c, d);
            const std::complex<double> ref =
                std::complex<double>(a, b) / std::complex<double>(c, d);
            if (!sameBits(q.R, ref.real()) || !sameBits(q.X, ref.imag()) ||
                !sameBits(Impedance(a, b).abs(), std::abs(std::complex<double>(a, b)))) {
                char text[160];
                std::snprintf(text, sizeof text, "(%a, %a) / (%a, %a)", a, b, c, d);
                QFAIL(text);
            }
        }
    }

    void annexGInfinities()
    {
        const Impedance q = Impedance(1, 0) / Impedance(0, 0);
        QVERIFY(std::isinf(q.R) || std::isinf(q.X));
        const Impedance p = Impedance(HUGE_VAL, NAN) * Impedance(2, 1);
        QVERIFY(std::isinf(p.R) || std::isinf(p.X));
        QCOMPARE(Impedance(3, 4) / Impedance(HUGE_VAL, 0), Impedance(0, 0));
        QCOMPARE(Impedance(3, 4).abs(), 5.0);
        QCOMPARE(Impedance(HUGE_VAL, NAN).abs(), HUGE_VAL);
    }

    void parallelTreatsInfinityAsOpen()
    {
        const Impedance open(0, -HUGE_VAL), load(20, 100);
        QCOMPARE(LCNet::parallel(open, load), load);
        QCOMPARE(LCNet::parallel(load, open), load);
        QCOMPARE(LCNet::parallel(Impedance(HUGE_VAL, 0), open), open);
        QCOMPARE(LCNet::parallel(Impedance(50, 0), Impedance(50, 0)), Impedance(25, 0));
        const Impedance resonant = LCNet::parallel(Impedance(0, 100), Impedance(0, -100));
        QVERIFY(!std::isfinite(resonant.R) || !std::isfinite(resonant.X));
        QVERIFY(std::isnan(LCNet::parallel(Impedance(NAN, 0), load).R));
    }

    void equalityTreatsNaNAsDifferent()
    {
        QVERIFY(Impedance(1, 2) == Impedance(1, 2));
        QVERIFY(Impedance(1, 2) != Impedance(1, 3));
        const Impedance n(NAN, 0);
        QVERIFY(n != n);
        QVERIFY(Impedance() == Impedance(0, 0));
        QCOMPARE(Impedance(3, 4).conj(), Impedance(3, -4));
        QCOMPARE(LCNet::Z0, Impedance(50, 0));
    }

    // Each L step is the two-decimal sum of its components, stored as the
    // nearest double; each C step is the whole-picofarad sum.
    void tablesAreTheComponentSums()
    {
        const int lHundredths[8] = {8, 17, 35, 72, 148, 304, 624, 1278};
        const int cWeights[8] = {15, 31, 60, 120, 235, 500, 1000, 2000};
        for (int i = 0; i < LCNet::TableSize; ++i) {
            int l = 0, c = 0;
            for (int k = 0; k < 8; ++k)
                if (i & (1 << k)) {
                    l += lHundredths[k];
                    c += cWeights[k];
                }
            char text[32];
            std::snprintf(text, sizeof text, "%d.%02d", l / 100, l % 100);
            QVERIFY2(sameBits(LCNet::LTable[i], std::strtod(text, nullptr)), text);
            QCOMPARE(LCNet::CTable[i], double(c));
            if (i > 0) {
                QVERIFY(LCNet::LTable[i] > LCNet::LTable[i - 1]);
                QVERIFY(LCNet::CTable[i] > LCNet::CTable[i - 1]);
            }
        }
        QCOMPARE(LCNet::LTable[3], 0.25);
        QCOMPARE(LCNet::LTable[126], 12.0);
        QCOMPARE(LCNet::LTable[255], 24.86);
        QCOMPARE(LCNet::CTable[128], 2000.0);
        QCOMPARE(LCNet::CTable[255], 3961.0);
    }
};

QTEST_MAIN(TestImpedance)
#include "tst_core_impedance.moc"
