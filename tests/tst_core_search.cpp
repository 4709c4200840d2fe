#include "lanes.h"
#include "lcnet.h"

#include <QtTest>

#include <cfloat>
#include <climits>
#include <complex>
#include <cstring>
#include <random>
#include <vector>

using LCNet::Calculator;
using LCNet::Impedance;
using cplx = std::complex<double>;

namespace
{

// The network and SWR written directly with std::complex, as the formulas
// read; the core's results must agree with it bit for bit.
cplx parallelRef(cplx a, cplx b)
{
    if (std::abs(a) > DBL_MAX)
        return b;
    if (std::abs(b) > DBL_MAX)
        return a;
    return a * b / (a + b);
}

cplx zInRef(bool trx, double xl, double xc, cplx load)
{
    if (trx)
        return parallelRef(load + cplx(0.0, xl), cplx(0.0, xc));
    const cplx p = parallelRef(load, cplx(0.0, xc));
    return {p.real(), p.imag() + xl};
}

double swrRef(cplx z)
{
    const double g = std::abs((z - cplx(50.0, 0.0)) / (z + cplx(50.0, 0.0)));
    return 1.0 - g == 0.0 ? HUGE_VAL : (1.0 + g) / (1.0 - g);
}

double xlOf(double f, double l)
{
    return 6.283185307179586 * f * l;
}

double xcOf(double f, double c)
{
    return -1.0 / (6.283185307179586 * f * c);
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

// foundMatch (kind 0) or dataChanged (kind 1, with the state it shows).
struct Event {
    int kind, n;
    double l, c, r, x, swr;
    int iteration;
    bool operator==(const Event &o) const
    {
        return kind == o.kind && n == o.n && l == o.l && c == o.c && sameBits(r, o.r) &&
               sameBits(x, o.x) && sameBits(swr, o.swr) && iteration == o.iteration;
    }
};

struct Recorder : std::vector<Event> {
    explicit Recorder(Calculator &calc)
    {
        QObject::connect(
            &calc, &Calculator::foundMatch,
            [this](Calculator::NetType n, double l, double c, Impedance z, double s, int it) {
                push_back({0, n, l, c, z.R, z.X, s, it});
            });
        QObject::connect(&calc, &Calculator::dataChanged, [this](Calculator *calc) {
            push_back({1, calc->netType, calc->inductance, calc->capacitance, 0, 0, 0, 0});
        });
    }
    std::vector<Event> matches() const
    {
        std::vector<Event> m;
        std::copy_if(begin(), end(), std::back_inserter(m), [](const Event &e) { return !e.kind; });
        return m;
    }
};

// progressMismatch calls as (ring, rings) pairs; QSignalSpy cannot take
// the bool& argument.
struct Progress : std::vector<std::pair<int, int>> {
    explicit Progress(Calculator &calc)
    {
        QObject::connect(&calc, &Calculator::progressMismatch,
                         [this](int k, int n, bool &) { emplace_back(k, n); });
    }
};

// Every lane variant that this processor runs, [CAntenna, CTrx] each.
struct Variant {
    const char *name;
    void (*loads[2])(const double *, const double *, int, double, double, double *);
    void (*row[2])(const Impedance &, double, const double *, double *);
    LCNet::lanes::Ring (*walk[2])(double, double, double, int, double, double, double, double,
                                  Impedance &);
};

std::vector<Variant> variants()
{
    namespace lanes = LCNet::lanes;
    std::vector<Variant> all;
    all.push_back({"base",
                   {lanes::base::swrOfLoads<false>, lanes::base::swrOfLoads<true>},
                   {lanes::base::swrOfCapacitors<false>, lanes::base::swrOfCapacitors<true>},
                   {lanes::base::walkRing<false>, lanes::base::walkRing<true>}});
#if LCNET_LANES_WIDE
    if (lanes::haveAvx2())
        all.push_back({"avx2",
                       {lanes::avx2::swrOfLoads<false>, lanes::avx2::swrOfLoads<true>},
                       {lanes::avx2::swrOfCapacitors<false>, lanes::avx2::swrOfCapacitors<true>},
                       {lanes::avx2::walkRing<false>, lanes::avx2::walkRing<true>}});
    if (lanes::haveAvx512())
        all.push_back(
            {"avx512",
             {lanes::avx512::swrOfLoads<false>, lanes::avx512::swrOfLoads<true>},
             {lanes::avx512::swrOfCapacitors<false>, lanes::avx512::swrOfCapacitors<true>},
             {lanes::avx512::walkRing<false>, lanes::avx512::walkRing<true>}});
#endif
    return all;
}

// The mismatched-load walk as the numbered steps give it, one point at a time.
bool naiveWalk(const Calculator &c, double target, Impedance &found, int &rings)
{
    const double f = 1000 * c.frequency;
    const double xl = xlOf(f, 1e-6 * c.inductance), xc = xcOf(f, 1e-12 * c.capacitance);
    const double r0 = c.loadImpedance.R, x0 = c.loadImpedance.X, step = c.impedanceStep;
    const bool trx = c.netType != Calculator::CAntenna;
    rings = 0;
    auto test = [&](double r, double x) {
        if (std::fabs(swrRef(zInRef(trx, xl, xc, cplx(r, x))) - target) < c.epsilonSWR) {
            found = Impedance(r, x);
            return true;
        }
        return false;
    };
    for (int k = 1; k < c.numberOfRings; ++k) {
        const double d = step * k, rlo = r0 - d, rhi = r0 + d, xlo = x0 - d, xhi = x0 + d;
        double v = rlo;
        do {
            if (test(v, xhi))
                return true;
            v += step;
        } while (v <= rhi);
        v = xhi - step;
        do {
            if (test(rhi, v))
                return true;
            v -= step;
        } while (v >= xlo);
        v = rhi - step;
        do {
            if (test(v, xlo))
                return true;
            v -= step;
        } while (v >= rlo);
        v = xlo + step;
        do {
            if (test(rlo, v))
                return true;
            v += step;
        } while (v < xhi);
        ++rings;
    }
    return false;
}

} // namespace

class TestSearch : public QObject
{
    Q_OBJECT

private slots:
    // Every match and every improvement, in order, and the final state,
    // against the whole grid computed independently.
    void bruteForceAgreesWithTheGrid_data()
    {
        QTest::addColumn<double>("kHz");
        QTest::addColumn<double>("r");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("low");
        QTest::newRow("defaults") << 14000.0 << 20.0 << 100.0 << 1.2;
        QTest::newRow("resistive") << 3500.0 << 200.0 << 0.0 << 1.5;
        QTest::newRow("low-z") << 3500.0 << 5.0 << -20.0 << 1.2;
        QTest::newRow("high band") << 29000.0 << 800.0 << -1500.0 << 2.0;
        QTest::newRow("low swr 1") << 7000.0 << 30.0 << 40.0 << 1.0;
        QTest::newRow("pure reactance") << 14000.0 << 0.0 << 50.0 << 1.2;
        QTest::newRow("zero frequency") << 0.0 << 20.0 << 100.0 << 20.0;
        QTest::newRow("active load") << 14000.0 << -10.0 << 5.0 << 1.2;
        QTest::newRow("huge load") << 14000.0 << 1e250 << 1e250 << 1.2;
        QTest::newRow("nan load") << 14000.0 << double(NAN) << 1.0 << 1.2;
    }
    void bruteForceAgreesWithTheGrid()
    {
        QFETCH(double, kHz);
        QFETCH(double, r);
        QFETCH(double, x);
        QFETCH(double, low);
        Calculator c;
        c.setFrequency(kHz);
        c.setLoadImpedance(Impedance(r, x));
        c.setNetType(Calculator::CTrx);
        c.lowSWR = low;
        std::vector<Event> expected;
        Event best{1, Calculator::CTrx, 12, 2000, 0, 0, HUGE_VAL, 0};
        int iteration = 0;
        for (int n = 0; n < 2; ++n)
            for (int i = 0; i < 256; ++i)
                for (int j = 0; j < 256; ++j) {
                    const double f = 1000 * kHz, l = LCNet::LTable[i], cap = LCNet::CTable[j];
                    const cplx z = zInRef(n, xlOf(f, 1e-6 * l), xcOf(f, 1e-12 * cap), {r, x});
                    const double s = swrRef(z);
                    if (s < low)
                        expected.push_back({0, n, l, cap, z.real(), z.imag(), s, ++iteration});
                    else
                        ++iteration;
                    if (s < best.swr) {
                        expected.push_back({1, Calculator::CTrx, l, cap, 0, 0, 0, 0});
                        best = {1, n, l, cap, 0, 0, s, 0};
                    }
                }
        if (best.swr < HUGE_VAL)
            expected.push_back({1, best.n, best.l, best.c, 0, 0, 0, 0});
        Recorder rec(c);
        QCOMPARE(c.bruteForceSearch(), 131072);
        QCOMPARE(rec.size(), expected.size());
        QVERIFY(rec == expected);
        QCOMPARE(int(c.netType), best.n);
        QCOMPARE(c.inductance, best.l);
        QCOMPARE(c.capacitance, best.c);
        if (QTest::currentDataTag() == QLatin1String("defaults")) {
            const auto m = rec.matches();
            QCOMPARE(m.size(), size_t(2));
            QVERIFY(m[0].iteration == 4621 && m[0].l == 1.65 && m[0].c == 180);
            QVERIFY(m[1].iteration == 4877 && m[1].l == 1.73 && m[1].c == 180);
            QVERIFY(std::fabs(m[0].swr - 1.108) < 5e-4 && std::fabs(m[1].swr - 1.161) < 5e-4);
        }
    }

    void smartTuneWorkedFigures()
    {
        Calculator c;
        Recorder rec(c);
        QCOMPARE(c.smartTuneSearch(), 37);
        QCOMPARE(rec.matches().size(), size_t(1));
        const Event m = rec.matches()[0];
        QVERIFY(m.n == Calculator::CAntenna && m.iteration == 37 && m.l == 1.65 && m.c == 180);
        QCOMPARE(c.inductance, 1.65);
        QCOMPARE(c.capacitance, 180.0);

        c.clear();
        c.lowSWR = 1.0;
        rec.clear();
        QCOMPARE(c.smartTuneSearch(), 548);
        QVERIFY(rec.matches().empty());
        QVERIFY(std::fabs(c.currentSWR() - 1.108) < 5e-4);

        c.clear();
        c.setFrequency(3500);
        c.setLoadImpedance(Impedance(5, -20));
        rec.clear();
        QCOMPARE(c.smartTuneSearch(), 593);
        QCOMPARE(rec.matches().size(), size_t(1));
        QCOMPARE(rec.matches()[0].n, int(Calculator::CTrx));
        QCOMPARE(c.netType, Calculator::CTrx);
        QCOMPARE(c.inductance, 1.56);
        QCOMPARE(c.capacitance, 2961.0);
        QVERIFY(std::fabs(c.currentSWR() - 1.173) < 5e-4);
    }

    // Each move of Smart Tune is an improvement, and it never ends better
    // than the exhaustive search.
    void smartTuneNeverBeatsBruteForce()
    {
        std::mt19937 gen(11);
        std::uniform_real_distribution<double> band(1800, 30000), r(1, 2000), x(-2000, 2000);
        for (int k = 0; k < 12; ++k) {
            Calculator smart;
            smart.setFrequency(band(gen));
            smart.setLoadImpedance(Impedance(r(gen), x(gen)));
            smart.lowSWR = k % 2 ? 1.0 : 1.5;
            std::unique_ptr<Calculator> brute(smart.clone());
            std::vector<double> seen;
            QObject::connect(&smart, &Calculator::dataChanged,
                             [&](Calculator *calc) { seen.push_back(calc->currentSWR()); });
            const int count = smart.smartTuneSearch();
            QVERIFY(count >= 1 && count <= 131072);
            for (size_t i = 1; i < seen.size(); ++i)
                QVERIFY(seen[i] < seen[i - 1]);
            brute->bruteForceSearch();
            QVERIFY(smart.currentSWR() >= brute->currentSWR());
        }
    }

    void mismatchRingFourHit()
    {
        Calculator c;
        c.setInductance(1.65);
        c.setCapacitance(180);
        c.impedanceStep = 1.0;
        Progress spy(c);
        Impedance found;
        QVERIFY(c.mismatchSearch(1.5, &found));
        QCOMPARE(found, Impedance(16, 104));
        QCOMPARE(spy, (Progress::vector{{1, 10000}, {2, 10000}, {3, 10000}}));
        c.numberOfRings = 2;
        spy.clear();
        QVERIFY(!c.mismatchSearch(1.5, &found));
        QCOMPARE(found, Impedance(20, 100));
        QCOMPARE(spy, (Progress::vector{{1, 2}}));
        for (int rings : {1, 0, -5}) {
            c.numberOfRings = rings;
            found = Impedance(1, 1);
            QVERIFY(!c.mismatchSearch(1.5, &found));
            QCOMPARE(found, Impedance(20, 100));
        }
        QCOMPARE(spy.size(), size_t(1));
    }

    void mismatchAbortAndHugeRingCount()
    {
        Calculator c;
        c.numberOfRings = INT_MAX;
        int calls = 0;
        QObject::connect(&c, &Calculator::progressMismatch, [&](int k, int n, bool &abort) {
            ++calls;
            QCOMPARE(k, 1);
            QCOMPARE(n, INT_MAX);
            abort = true;
        });
        Impedance found;
        QVERIFY(!c.mismatchSearch(0.0, &found));
        QCOMPARE(calls, 1);
        QCOMPARE(found, Impedance(20, 100));
        QVERIFY(!c.mismatchSearch(0.0, nullptr));
        QCOMPARE(calls, 2);
    }

    // The first hit in walking order, against the walk done point by point.
    void mismatchAgreesWithTheNaiveWalk_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<double>("r0");
        QTest::addColumn<double>("x0");
        QTest::addColumn<double>("step");
        QTest::addColumn<double>("eps");
        QTest::addColumn<double>("target");
        QTest::addColumn<int>("rings");
        QTest::addColumn<double>("kHz");
        QTest::newRow("wide window") << 0 << 20.0 << 100.0 << 1.0 << 1.0 << 2.0 << 100 << 14000.0;
        QTest::newRow("odd step") << 0 << 20.0 << 100.0 << 0.37 << 0.001 << 3.0 << 400 << 14000.0;
        QTest::newRow("trx") << 1 << 5.0 << -20.0 << 0.05 << 0.0005 << 1.3 << 400 << 3500.0;
        QTest::newRow("negative swr") << 0 << 3.0 << 1.0 << 0.25 << 0.01 << -3.0 << 300 << 14000.0;
        QTest::newRow("none") << 1 << 50.0 << 0.0 << 0.5 << 0.1 << 0.0 << 120 << 3500.0;
        QTest::newRow("centre at target")
            << 0 << 20.0 << 100.0 << 0.01 << 1e-4 << 0.0 << 300 << 14000.0;
        // The network vanishes at 0 Hz; on the real axis |Γ| is real and the
        // lanes hand the points to the scalar formulas. The hit is 150 + j0.
        QTest::newRow("real axis") << 0 << 100.0 << 2.0 << 1.0 << 1e-5 << 3.0 << 60 << 0.0;
    }
    void mismatchAgreesWithTheNaiveWalk()
    {
        QFETCH(int, type);
        QFETCH(double, r0);
        QFETCH(double, x0);
        QFETCH(double, step);
        QFETCH(double, eps);
        QFETCH(double, target);
        QFETCH(int, rings);
        QFETCH(double, kHz);
        Calculator c;
        c.setNetType(Calculator::NetType(type));
        c.setLoadImpedance(Impedance(r0, x0));
        c.setInductance(type ? 1.56 : 1.65);
        c.setCapacitance(type ? 2961 : 180);
        c.setFrequency(kHz);
        c.impedanceStep = step;
        c.epsilonSWR = eps;
        c.numberOfRings = rings;
        if (QTest::currentDataTag() == QLatin1String("centre at target"))
            target = c.currentSWR();
        Impedance expected;
        int expectedRings = 0;
        const bool hit = naiveWalk(c, target, expected, expectedRings);
        Progress spy(c);
        Impedance found;
        QCOMPARE(c.mismatchSearch(target, &found), hit);
        QCOMPARE(int(spy.size()), expectedRings);
        // Every lane variant walks the same way.
        const double f = 1000 * kHz;
        const double xl = xlOf(f, 1e-6 * c.inductance), xc = xcOf(f, 1e-12 * c.capacitance);
        for (const Variant &v : variants()) {
            Impedance variantHit;
            int k = 1;
            LCNet::lanes::Ring end = LCNet::lanes::Ring::Clear;
            for (; k < rings && end == LCNet::lanes::Ring::Clear; ++k)
                end = v.walk[type](r0, x0, step, k, xl, xc, target, eps, variantHit);
            QVERIFY2((end == LCNet::lanes::Ring::Hit) == hit, v.name);
            QVERIFY2(k - 1 - hit == expectedRings, v.name);
            QVERIFY2(variantHit == (hit ? found : Impedance()), v.name);
        }
        if (!hit)
            return;
        QVERIFY(sameBits(found.R, expected.R) && sameBits(found.X, expected.X));
        if (kHz == 0)
            QCOMPARE(found, Impedance(150, 0));
        // Within the window, and on the ring after the last one reported.
        const cplx z =
            zInRef(type, xlOf(1000 * c.frequency, 1e-6 * c.inductance),
                   xcOf(1000 * c.frequency, 1e-12 * c.capacitance), cplx(found.R, found.X));
        QVERIFY(std::fabs(swrRef(z) - target) < eps);
        const double ring = std::max(std::fabs(found.R - r0), std::fabs(found.X - x0)) / step;
        QVERIFY(std::fabs(ring - (expectedRings + 1)) < 1e-6 * ring);
    }

    // Settings the walk cannot use end it at once, or when the fault shows.
    void mismatchBadStepsAndCentres_data()
    {
        QTest::addColumn<double>("r0");
        QTest::addColumn<double>("x0");
        QTest::addColumn<double>("step");
        QTest::addColumn<double>("eps");
        QTest::addColumn<int>("progress");
        // An infinite window accepts any point the walk would test.
        const double all = HUGE_VAL;
        QTest::newRow("zero step") << 20.0 << 100.0 << 0.0 << all << 0;
        QTest::newRow("negative step") << 20.0 << 100.0 << -1.0 << all << 0;
        QTest::newRow("nan step") << 20.0 << 100.0 << double(NAN) << all << 0;
        QTest::newRow("infinite step") << 20.0 << 100.0 << double(HUGE_VAL) << all << 0;
        QTest::newRow("tiny step") << 20.0 << 100.0 << 1e-300 << all << 0;
        QTest::newRow("far centre") << 1e20 << 100.0 << 0.01 << all << 0;
        QTest::newRow("nan centre") << double(NAN) << 100.0 << 0.01 << all << 0;
        QTest::newRow("infinite centre") << 20.0 << double(-HUGE_VAL) << 0.01 << all << 0;
        // Ring 2 crosses 2^53, where adding 1 stops moving the coordinate.
        QTest::newRow("stalls on ring 2") << 0x1p53 - 2 << 0.0 << 1.0 << 0.1 << 1;
    }
    void mismatchBadStepsAndCentres()
    {
        QFETCH(double, r0);
        QFETCH(double, x0);
        QFETCH(double, step);
        QFETCH(double, eps);
        QFETCH(int, progress);
        for (int type : {0, 1}) {
            Calculator c;
            c.setNetType(Calculator::NetType(type));
            c.setLoadImpedance(Impedance(r0, x0));
            c.impedanceStep = step;
            c.epsilonSWR = eps;
            Progress spy(c);
            Impedance found(1, 1);
            QElapsedTimer timer;
            timer.start();
            QVERIFY(!c.mismatchSearch(0.0, &found));
            QVERIFY(timer.elapsed() < 5000);
            QVERIFY(sameBits(found.R, r0) && sameBits(found.X, x0));
            QCOMPARE(int(spy.size()), progress);
        }
    }

    // The lanes give the scalar formulas' bits, on every instruction set
    // this processor runs, including the operands that need the re-run.
    void lanesMatchTheReference()
    {
        std::mt19937_64 gen(3);
        const double special[] = {0.0,      -0.0,      1e-310, 1e-200, 1e250, -1e250,
                                  HUGE_VAL, -HUGE_VAL, NAN,    50.0,   -50.0, 1e-5};
        auto pick = [&](double lo, double hi) {
            if (gen() % 8 == 0)
                return special[gen() % (sizeof special / sizeof *special)];
            return lo + (hi - lo) * double(gen() >> 11) * 0x1p-53;
        };
        const int n = 4099;
        std::vector<double> rs(n), xs(n), out(n), row(256), xc(256);
        for (int round = 0; round < 120; ++round) {
            const double f = round % 10 == 0 ? pick(-1, 1) : pick(1e6, 3e7);
            const double xl = xlOf(f, pick(0, 25e-6)), xcap = xcOf(f, pick(0, 4e-9));
            for (int i = 0; i < n; ++i) {
                rs[i] = pick(-200, 2000);
                xs[i] = pick(-3000, 3000);
            }
            for (int j = 0; j < 256; ++j)
                xc[j] = xcOf(f, 1e-12 * LCNet::CTable[j]);
            const cplx load(rs[round], xs[round]);
            for (const Variant &v : variants()) {
                for (bool trx : {false, true}) {
                    v.loads[trx](rs.data(), xs.data(), n, xl, xcap, out.data());
                    v.row[trx](Impedance(load.real(), load.imag()), xl, xc.data(), row.data());
                    for (int i = 0; i < n; ++i)
                        QVERIFY(sameBits(out[i], swrRef(zInRef(trx, xl, xcap, {rs[i], xs[i]}))));
                    for (int j = 0; j < 256; ++j)
                        QVERIFY(sameBits(row[j], swrRef(zInRef(trx, xl, xc[j], load))));
                }
            }
        }
    }
};

QTEST_MAIN(TestSearch)
#include "tst_core_search.moc"
