#include "lanes.h"
#include "lcnet.h"

#include <QtTest>

#include <complex>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

using LCNet::Calculator;
using LCNet::Impedance;
using cplx = std::complex<double>;
namespace lanes = LCNet::lanes;

namespace
{

// The network and its SWR written with std::complex as the formulas read;
// the searches must give its bits.
cplx zInRef(bool trx, double xl, double xc, cplx load)
{
    const auto parallel = [](cplx a, cplx b) {
        return std::isinf(std::abs(a)) ? b : std::isinf(std::abs(b)) ? a : a * b / (a + b);
    };
    if (trx)
        return parallel(load + cplx(0.0, xl), cplx(0.0, xc));
    const cplx p = parallel(load, cplx(0.0, xc));
    return {p.real(), p.imag() + xl};
}

// |Γ| within rounding of 1 (up to 2^-50 above) is a total reflection.
double swrRef(cplx z)
{
    const double g = std::abs((z - cplx(50.0, 0.0)) / (z + cplx(50.0, 0.0)));
    return g == 1.0 || (g > 1.0 && g <= 1.0 + 0x1p-50) ? HUGE_VAL : (1.0 + g) / (1.0 - g);
}

struct Match {
    double n, l, c, r, x, swr, iteration;
};
using Rings = std::vector<std::pair<int, int>>;

// foundMatch and progressMismatch, as (ring, rings) since QSignalSpy cannot
// take its bool&.
struct Recorder {
    std::vector<Match> matches;
    Rings rings;
    explicit Recorder(Calculator &calc)
    {
        QObject::connect(
            &calc, &Calculator::foundMatch,
            [this](Calculator::NetType n, double l, double c, Impedance z, double s, int it) {
                matches.push_back({double(n), l, c, z.R, z.X, s, double(it)});
            });
        QObject::connect(&calc, &Calculator::progressMismatch,
                         [this](int k, int n, bool &) { rings.emplace_back(k, n); });
    }
};

// Every lane variant that this processor runs, [CAntenna, CTrx] each.
struct Variant {
    const char *name;
    decltype(&lanes::base::swrOfCapacitors<false, false>) row[2];
    decltype(&lanes::base::walkRing<false, false>) walk[2];
};
// clang-format off
#define VARIANT(ns) Variant{#ns, \
    {lanes::ns::swrOfCapacitors<false, false>, lanes::ns::swrOfCapacitors<true, false>}, \
    {lanes::ns::walkRing<false, false>, lanes::ns::walkRing<true, false>}}
// clang-format on

std::vector<Variant> variants()
{
    std::vector<Variant> v{VARIANT(base)};
#if LCNET_LANES_WIDE
    if (lanes::haveAvx2())
        v.push_back(VARIANT(avx2));
    if (lanes::haveAvx512())
        v.push_back(VARIANT(avx512));
#endif
    return v;
}

// A search setting; target is lowSWR for the tuning searches, and rings 0
// keeps the default count.
struct Setting {
    int type;
    double kHz, r0, x0, step, eps, target;
    int rings;
    void apply(Calculator &c) const
    {
        c.setNetType(Calculator::NetType(type));
        c.setFrequency(kHz);
        c.setLoadImpedance(Impedance(r0, x0));
        c.setInductance(type ? 1.56 : 1.65);
        c.setCapacitance(type ? 2961 : 180);
        c.impedanceStep = step;
        c.epsilonSWR = eps;
        c.lowSWR = target;
        if (rings)
            c.numberOfRings = rings;
    }
};

// The mismatched-load walk one point at a time: top side left to right,
// right side down, bottom side right to left, left side up.
bool naiveWalk(const Setting &s, double xl, double xc, Impedance &found, int &rings)
{
    const double r0 = s.r0, x0 = s.x0, step = s.step;
    auto test = [&](double r, double x) {
        found = Impedance(r, x);
        return std::fabs(swrRef(zInRef(s.type, xl, xc, cplx(r, x))) - s.target) < s.eps;
    };
    for (rings = 0; rings + 1 < s.rings; ++rings) {
        const double d = step * (rings + 1);
        for (double v = r0 - d; v <= r0 + d; v += step)
            if (test(v, x0 + d))
                return true;
        for (double v = x0 + d - step; v >= x0 - d; v -= step)
            if (test(r0 + d, v))
                return true;
        for (double v = r0 + d - step; v >= r0 - d; v -= step)
            if (test(v, x0 - d))
                return true;
        for (double v = x0 - d + step; v < x0 + d; v += step)
            if (test(r0 - d, v))
                return true;
    }
    found = Impedance(r0, x0);
    return false;
}

} // namespace

Q_DECLARE_METATYPE(Setting)

class TestSearch : public QObject
{
    Q_OBJECT

private slots:
    // The matches in order and the best setting against the whole grid
    // computed independently; every lane variant gives the grid's bits, and
    // Smart Tune never ends better.
    void bruteForceAgreesWithTheGrid_data()
    {
        QTest::addColumn<Setting>("s");
        QTest::newRow("defaults") << Setting{1, 14000, 20, 100, 0, 0, 1.2, 0};
        QTest::newRow("low-z") << Setting{1, 3500, 5, -20, 0, 0, 1.2, 0};
        // At 0 Hz every setting shows the load, whose SWR is exactly lowSWR:
        // no match, and the first setting stays the best.
        const double tie = LCNet::computeSWR(LCNet::Z0, Impedance(20, 100));
        QTest::newRow("zero frequency") << Setting{1, 0, 20, 100, 0, 0, tie, 0};
        // A lossless load shows |Γ| a rounding above 1, an active one
        // clearly above: neither is a match nor a best, at any lowSWR.
        QTest::newRow("active load") << Setting{1, 14000, -10, 5, 0, 0, 1.2, 0};
        QTest::newRow("active, low 1") << Setting{1, 14000, -20, 100, 0, 0, 1.0, 0};
        QTest::newRow("lossless load") << Setting{1, 14000, 0, 100, 0, 0, 1.2, 0};
        QTest::newRow("lossless, low 1") << Setting{1, 14000, 0, 100, 0, 0, 1.0, 0};
        QTest::newRow("nearly lossless") << Setting{1, 14000, 1e-9, 100, 0, 0, 1.2, 0};
        // Brute Force evaluates exactly only the rows that can hold a match
        // or a new best: loads all over the plane, and wide match windows.
        std::mt19937_64 random(3);
        std::uniform_real_distribution<double> u(0.0, 1.0);
        for (int k = 0; k < 12; ++k) {
            const double kHz = 1800 + 28000 * u(random), r = 1 + 800 * u(random);
            const double x = -900 + 1800 * u(random), target = 1.02 + 4 * u(random);
            QTest::addRow("random %d", k) << Setting{k % 2, kHz, r, x, 0, 0, target, 0};
        }
        QTest::newRow("huge load") << Setting{1, 14000, 1e250, 1e250, 0, 0, 1.2, 0};
        QTest::newRow("nan load") << Setting{1, 14000, NAN, 1, 0, 0, 1.2, 0};
    }
    void bruteForceAgreesWithTheGrid()
    {
        QFETCH(Setting, s);
        Calculator c;
        s.apply(c);
        std::vector<Match> expected;
        Match best{double(c.netType), c.inductance, c.capacitance, 0, 0, HUGE_VAL, 0};
        double xc[256], swr[256], row[256];
        for (int j = 0; j < 256; ++j)
            xc[j] = LCNet::capacitorImpedance(1e3 * s.kHz, 1e-12 * LCNet::CTable[j]).X;
        for (int n = 0, iteration = 1; n < 2; ++n)
            for (int i = 0; i < 256; ++i) {
                const double l = LCNet::LTable[i];
                const double xl = LCNet::inductorImpedance(1e3 * s.kHz, 1e-6 * l).X;
                for (int j = 0; j < 256; ++j, ++iteration) {
                    const cplx z = zInRef(n, xl, xc[j], {s.r0, s.x0});
                    const Match m{double(n), l,         LCNet::CTable[j], z.real(),
                                  z.imag(),  swrRef(z), double(iteration)};
                    swr[j] = m.swr;
                    const double comparable = m.swr < 0 ? HUGE_VAL : m.swr;
                    if (comparable < s.target)
                        expected.push_back(m);
                    if (comparable < best.swr)
                        best = {m.n, m.l, m.c, m.r, m.x, comparable, m.iteration};
                }
                for (const Variant &v : variants()) {
                    v.row[n](c.loadImpedance, xl, 0.0, xc, nullptr, 256, row);
                    QVERIFY2(!std::memcmp(row, swr, sizeof row), v.name);
                }
            }
        std::unique_ptr<Calculator> smart(c.clone());
        Recorder rec(c);
        QCOMPARE(c.bruteForceSearch(), 131072);
        QCOMPARE(rec.matches.size(), expected.size());
        QVERIFY(expected.empty() ||
                !std::memcmp(rec.matches.data(), expected.data(), expected.size() * sizeof(Match)));
        QCOMPARE(QList<double>() << c.netType << c.inductance << c.capacitance,
                 QList<double>() << best.n << best.l << best.c);
        // Without a better neighbour Smart Tune walks the L axis of each network.
        QVERIFY(smart->smartTuneSearch() == 512 || s.kHz != 0);
        QVERIFY(!(smart->currentSWR() < c.currentSWR()));
        if (QTest::currentDataTag() == QLatin1String("defaults")) {
            const auto &m = rec.matches;
            QVERIFY(m.size() == 2 && m[0].iteration == 4621 && m[1].iteration == 4877);
            QVERIFY(m[0].l == 1.65 && m[1].l == 1.73 && m[0].c == 180 && m[1].c == 180);
            QVERIFY(std::fabs(m[0].swr - 1.108) < 5e-4 && std::fabs(m[1].swr - 1.161) < 5e-4);
        }
    }

    void workedFigures()
    {
        Calculator c;
        Recorder rec(c);
        QCOMPARE(c.smartTuneSearch(), 37);
        QVERIFY(rec.matches.size() == 1 && rec.matches[0].iteration == 37);
        QVERIFY(c.netType == Calculator::CAntenna && c.inductance == 1.65 && c.capacitance == 180);
        c.clear();
        c.lowSWR = 1.0;
        QCOMPARE(c.smartTuneSearch(), 548);
        QVERIFY(rec.matches.size() == 1 && std::fabs(c.currentSWR() - 1.108) < 5e-4);
        c.clear();
        c.setFrequency(3500);
        c.setLoadImpedance(Impedance(5, -20));
        QCOMPARE(c.smartTuneSearch(), 593);
        QVERIFY(rec.matches.size() == 2 && std::fabs(c.currentSWR() - 1.173) < 5e-4);
        QVERIFY(c.netType == Calculator::CTrx && c.inductance == 1.56 && c.capacitance == 2961);

        // The mismatched load on ring 4, after three reports.
        c.clear();
        c.setInductance(1.65);
        c.setCapacitance(180);
        c.impedanceStep = 1.0;
        Impedance found;
        QVERIFY(c.mismatchSearch(1.5, &found));
        QCOMPARE(found, Impedance(16, 104));
        QCOMPARE(rec.rings, (Rings{{1, 10000}, {2, 10000}, {3, 10000}}));
        rec.rings.clear();
        for (int rings : {2, 1, 0, -5}) {
            c.numberOfRings = rings;
            QVERIFY(!c.mismatchSearch(1.5, &found) && found == Impedance(20, 100));
        }
        QCOMPARE(rec.rings, (Rings{{1, 2}}));
        // The receiver's abort ends the walk after its ring.
        c.numberOfRings = 1000;
        QObject::connect(&c, &Calculator::progressMismatch, [](int, int, bool &a) { a = true; });
        rec.rings.clear();
        QVERIFY(!c.mismatchSearch(0.0, nullptr));
        QCOMPARE(rec.rings, (Rings{{1, 1000}}));
    }

    // The first hit in walking order and the rings reported, against the
    // walk done point by point, for the search and every lane variant.
    void mismatchAgreesWithTheNaiveWalk_data()
    {
        QTest::addColumn<Setting>("s");
        QTest::newRow("odd step") << Setting{0, 14000, 20, 100, 0.37, 0.001, 3, 400};
        QTest::newRow("trx") << Setting{1, 3500, 5, -20, 0.05, 0.0005, 1.3, 400};
        QTest::newRow("none") << Setting{1, 3500, 50, 0, 0.5, 0.1, 0, 120};
        // At 0 Hz the network vanishes and |Γ| of a real load is real, which
        // the lanes hand to the scalar formulas. The hit, 150 + j0, lies on
        // the left side of ring 20.
        QTest::newRow("real axis") << Setting{0, 0, 170, 2, 1, 1e-5, 3, 60};
    }
    void mismatchAgreesWithTheNaiveWalk()
    {
        QFETCH(Setting, s);
        Calculator c;
        s.apply(c);
        const double xl = LCNet::inductorImpedance(1e3 * s.kHz, 1e-6 * c.inductance).X;
        const double xc = LCNet::capacitorImpedance(1e3 * s.kHz, 1e-12 * c.capacitance).X;
        Impedance expected, found;
        int rings = 0;
        const bool hit = naiveWalk(s, xl, xc, expected, rings);
        Recorder rec(c);
        QCOMPARE(c.mismatchSearch(s.target, &found), hit);
        QCOMPARE(int(rec.rings.size()), rings);
        QVERIFY(!std::memcmp(&found, &expected, sizeof found));
        QVERIFY(s.kHz != 0 || found == Impedance(150, 0));
        for (const Variant &v : variants()) {
            Impedance variantHit = c.loadImpedance;
            lanes::Ring end = lanes::Ring::Clear;
            int k = 1;
            for (; k < s.rings && end == lanes::Ring::Clear; ++k)
                end = v.walk[s.type](s.r0, s.x0, s.step, k, {xl, 0, xc, 0, false}, s.target, s.eps,
                                     variantHit);
            QVERIFY2((end == lanes::Ring::Hit) == hit && k - 1 - hit == rings, v.name);
            QVERIFY2(variantHit == expected, v.name);
        }
    }

    // Settings the walk cannot use end it at once, or when the fault shows,
    // and leave the centre as the result. An infinite window accepts any
    // point that the walk would test.
    void mismatchBadStepsAndCentres_data()
    {
        QTest::addColumn<Setting>("s");
        QTest::addColumn<int>("reports");
        const double all = HUGE_VAL;
        QTest::newRow("zero step") << Setting{0, 14000, 20, 100, 0, all, 0, 0} << 0;
        QTest::newRow("nan step") << Setting{0, 14000, 20, 100, NAN, all, 0, 0} << 0;
        QTest::newRow("infinite step") << Setting{0, 14000, 20, 100, HUGE_VAL, all, 0, 0} << 0;
        QTest::newRow("tiny step") << Setting{0, 14000, 20, 100, 1e-300, all, 0, 0} << 0;
        QTest::newRow("far centre") << Setting{0, 14000, 1e20, 100, 0.01, all, 0, 0} << 0;
        QTest::newRow("nan centre") << Setting{0, 14000, NAN, 100, 0.01, all, 0, 0} << 0;
        QTest::newRow("infinite centre") << Setting{1, 14000, 20, -HUGE_VAL, 1, all, 0, 0} << 0;
        // Ring 2 crosses 2^53, where adding 1 stops moving the coordinate.
        QTest::newRow("stalls on ring 2") << Setting{1, 14000, 0x1p53 - 2, 0, 1, 0.1, 0, 0} << 1;
    }
    void mismatchBadStepsAndCentres()
    {
        QFETCH(Setting, s);
        QFETCH(int, reports);
        Calculator c;
        s.apply(c);
        Recorder rec(c);
        Impedance found(1, 1);
        QVERIFY(!c.mismatchSearch(s.target, &found) &&
                !std::memcmp(&found, &c.loadImpedance, sizeof found));
        QCOMPARE(int(rec.rings.size()), reports);
    }
};

QTEST_MAIN(TestSearch)
#include "tst_core_search.moc"
