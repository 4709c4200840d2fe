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

bool infinite(const Impedance &z)
{
    return std::isinf(z.R) || std::isinf(z.X);
}

} // namespace

class TestImpedance : public QObject
{
    Q_OBJECT

private slots:
    // The inline quotient and magnitude must be the library's, bit for bit:
    // specials and the edges of the fast paths, random bit patterns (every
    // exponent alike), and scaled small integers (ties, exact cancellations).
    void quotientAndMagnitudeMatchTheLibrary()
    {
        const double special[] = {0.0,     1.0,     50.0,     HUGE_VAL, NAN,      1e-310,
                                  DBL_MAX, DBL_MIN, 0x1p511,  0x1p512,  0x1p-459, 0x1p-460,
                                  0x1p200, 0x1p201, 0x1p-200, 0x1p-201, 0x1p-52};
        std::mt19937_64 gen(20240601);
        auto next = [&] {
            std::uint64_t u = gen();
            if (u % 3 == 0)
                return special[u / 3 % std::size(special)] * (u >> 20 & 1 ? -1 : 1);
            if (u % 3 == 1)
                return std::ldexp(double(int(u >> 32 & 2047) - 1024), int(u >> 16 & 63) - 32);
            u = gen();
            double v;
            std::memcpy(&v, &u, sizeof v);
            return v;
        };
        for (int i = 0; i < 2000000; ++i) {
            const double a = next(), b = next(), c = next(), d = next();
            const Impedance q = Impedance(a, b) / Impedance(c, d);
            const std::complex<double> ref =
                std::complex<double>(a, b) / std::complex<double>(c, d);
            if (!sameBits(q.R, ref.real()) || !sameBits(q.X, ref.imag()) ||
                !sameBits(Impedance(a, b).abs(), std::abs(std::complex<double>(a, b))))
                QFAIL(qPrintable(QString::asprintf("(%a, %a) / (%a, %a)", a, b, c, d)));
        }
    }

    // Annex G: an infinite operand, or a non-zero value over zero, is
    // infinite; parallel() drops an open circuit.
    void infinitiesAndOpenCircuits()
    {
        QVERIFY(infinite(Impedance(1, 0) / Impedance(0, 0)));
        QVERIFY(infinite(Impedance(HUGE_VAL, NAN) * Impedance(2, 1)));
        QCOMPARE(Impedance(3, 4) / Impedance(HUGE_VAL, 0), Impedance(0, 0));
        QCOMPARE(Impedance(HUGE_VAL, NAN).abs(), HUGE_VAL);
        const Impedance open(0, -HUGE_VAL), load(20, 100);
        QCOMPARE(LCNet::parallel(open, load), load);
        QCOMPARE(LCNet::parallel(load, open), load);
        QCOMPARE(LCNet::parallel(Impedance(HUGE_VAL, 0), open), open);
        QCOMPARE(LCNet::parallel(Impedance(50, 0), Impedance(50, 0)), Impedance(25, 0));
        QVERIFY(infinite(LCNet::parallel(Impedance(0, 100), Impedance(0, -100))));
    }

    // Each L step is the sum of its parts in hundredths of a µH, stored as the
    // nearest double of that decimal; each C step the whole-pF sum.
    void tablesAreTheComponentSums()
    {
        const int lParts[8] = {8, 17, 35, 72, 148, 304, 624, 1278};
        const int cParts[8] = {15, 31, 60, 120, 235, 500, 1000, 2000};
        for (int i = 0; i < LCNet::TableSize; ++i) {
            long hundredths = 0, c = 0;
            for (int k = 0; k < 8; ++k)
                if (i & (1 << k)) {
                    hundredths += lParts[k];
                    c += cParts[k];
                }
            char text[32];
            std::snprintf(text, sizeof text, "%ld.%02ld", hundredths / 100, hundredths % 100);
            QVERIFY2(sameBits(LCNet::LTable[i], std::strtod(text, nullptr)), text);
            QVERIFY(LCNet::CTable[i] == c);
        }
        QVERIFY(LCNet::LTable[126] == 12.0 && LCNet::LTable[255] == 24.86 &&
                LCNet::CTable[255] == 3961.0);
    }
};

QTEST_MAIN(TestImpedance)
#include "tst_core_impedance.moc"
