// The user's own banks: their tables, their text forms, and the searches
// and grids over them, against tables and walks written out here.
#include "lcnet.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <complex>
#include <tuple>
#include <vector>

using LCNet::BankSpec;
using LCNet::Calculator;
using LCNet::Impedance;
using LCNet::StepTable;
using cplx = std::complex<double>;

namespace
{

BankSpec bank(const char *text)
{
    BankSpec recipe;
    QString why;
    if (!BankSpec::fromText(QString::fromLatin1(text), &recipe, &why))
        qFatal("bad bank %s: %s", text, qPrintable(why));
    return recipe;
}

cplx zInRef(bool trx, double kHz, double uH, double pF, cplx load)
{
    // Grouped as the core groups them, so that the bits agree.
    const double w = 6.283185307179586 * (kHz * 1e3);
    const cplx zl(0.0, w * (uH * 1e-6));
    const cplx zc(0.0, -1.0 / (w * (pF * 1e-12)));
    auto par = [](cplx a, cplx b) {
        return std::isinf(std::abs(a)) ? b : std::isinf(std::abs(b)) ? a : a * b / (a + b);
    };
    if (trx)
        return par(load + zl, zc);
    const cplx p = par(load, zc);
    return {p.real(), p.imag() + zl.imag()};
}

double swrRef(cplx z)
{
    const double g = std::abs((z - 50.0) / (z + 50.0));
    return g == 1.0 || (g > 1.0 && g <= 1.0 + 0x1p-50) ? HUGE_VAL : (1.0 + g) / (1.0 - g);
}

// Kind (0 match, 1 improvement), type, L and C step, iteration, SWR.
using Event = std::tuple<int, int, int, int, int, double>;
using Net = Calculator::NetType;

struct Recorder : LCNet::TuneObserver {
    std::vector<Event> events;
    void matched(Net t, int l, int c, const Impedance &, double s, int it) override
    {
        events.push_back({0, int(t), l, c, it, s});
    }
    void improved(Net t, int l, int c) override { events.push_back({1, int(t), l, c, 0, 0.0}); }
};

// 7 relays of 0.05 uH doubling, on a residual 0.1 uH.
const char *const Seven = "7: 0.1; 0.05, 0.1, 0.2, 0.4, 0.8, 1.6, 3.2";

} // namespace

class TestBanks : public QObject
{
    Q_OBJECT

private slots:
    // The default relays give today's tables entry by entry, built in and
    // from their text; step i of Seven is 0.1 + 0.05 i uH, the nearest double
    // of that decimal.
    void tablesByHand()
    {
        const char *text = "8: 0; 0.08, 0.17, 0.35, 0.72, 1.48, 3.04, 6.24, 12.78";
        const StepTable fromText(bank(text));
        const StepTable capacitors(bank("8: 0; 15, 31, 60, 120, 235, 500, 1000, 2000"));
        QCOMPARE(fromText.size(), 256);
        // Exactly: QCOMPARE's fuzzy comparison would pass a rounding off.
        for (int i = 0; i < 256; ++i)
            QVERIFY2(fromText[i] == LCNet::LTable[size_t(i)] &&
                         StepTable::defaultInductor()[i] == LCNet::LTable[size_t(i)] &&
                         capacitors[i] == LCNet::CTable[size_t(i)],
                     qPrintable(QString::number(i)));
        QVERIFY(fromText.bank() == BankSpec::defaultInductor());
        QCOMPARE(BankSpec::defaultInductor().toText(), QString(text));

        const StepTable l(bank(Seven));
        const StepTable c(bank("7: 12.5; 10, 20, 40, 80, 160, 320, 640"));
        QCOMPARE(l.size(), 128);
        for (int i = 0; i < 128; ++i)
            QVERIFY2(l[i] == (10 + 5 * i) / 100.0 && c[i] == (125 + 100 * i) / 10.0,
                     qPrintable(QString::number(i)));
        QCOMPARE(c.smallestStep(), 10.0);
        // Relays need not double: 3 + 1 gives steps 0, 3, 1, 4.
        const StepTable odd(bank("2: 0; 3, 1"));
        QCOMPARE(std::vector<double>(odd.data(), odd.data() + 4),
                 (std::vector<double>{0, 3, 1, 4}));
    }

    void invalidEntriesAreRefused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("negative") << "2: 0; -1, 2";
        QTest::newRow("not a number") << "2: 0; abc, 2";
        QTest::newRow("exponent") << "2: 0; 1e3, 2";
        QTest::newRow("seven decimals") << "2: 0; 0.1234567, 2";
        QTest::newRow("13 relays") << "13: 0; 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1";
        QTest::newRow("no relays") << "0: 0; ";
        QTest::newRow("count mismatch") << "3: 0; 1, 2";
        QTest::newRow("huge") << "1: 0; 100000001";
        QTest::newRow("bad minimum") << "1: x; 1";
        QTest::newRow("no form") << "1, 2, 3";
    }
    void invalidEntriesAreRefused()
    {
        QFETCH(QString, text);
        BankSpec recipe = BankSpec::defaultCapacitor();
        QString why;
        QVERIFY(!BankSpec::fromText(text, &recipe, &why) && !why.isEmpty() &&
                recipe == BankSpec::defaultCapacitor());
    }

    // A damaged banks group leaves that bank at its default; a good one is
    // read back as written.
    void settingsFileBanks()
    {
        QTemporaryDir dir;
        LCNet::Settings s;
        s.inductorBank = bank(Seven);
        {
            QSettings ini(dir.filePath("t.ini"), QSettings::IniFormat);
            LCNet::writeSettings(ini, s);
        }
        QSettings ini(dir.filePath("t.ini"), QSettings::IniFormat);
        QVERIFY(LCNet::readSettings(ini).inductorBank == s.inductorBank);
        ini.setValue("banks/InductorValues", "0.05 0.1");
        ini.setValue("banks/CapacitorRelays", "many");
        const LCNet::Settings damaged = LCNet::readSettings(ini);
        QVERIFY(damaged.inductorBank == BankSpec::defaultInductor() &&
                damaged.capacitorBank == BankSpec::defaultCapacitor());
    }

    // Brute Force on 2 + 2 relays against every setting evaluated here, in
    // order: the iteration of L step i, C step j in pass p is
    // p * 16 + i * 4 + j + 1.
    void bruteForceOnASmallBank()
    {
        const StepTable l(bank("2: 0.5; 1, 2")), c(bank("2: 10; 50, 100"));
        for (double low : {1.2, 3.0, 50.0}) {
            const LCNet::TuneProblem p{l, c, 14e6, Impedance(20, 100), low, {}};
            std::vector<Event> expected;
            double best = HUGE_VAL;
            for (int pass = 0; pass < 2; ++pass)
                for (int i = 0; i < 4; ++i)
                    for (int j = 0; j < 4; ++j) {
                        const double s = swrRef(
                            zInRef(pass, 14000, p.inductors[i], p.capacitors[j], cplx(20, 100)));
                        if (s < low)
                            expected.push_back({0, pass, i, j, pass * 16 + i * 4 + j + 1, s});
                        if (s < best)
                            expected.push_back({1, pass, i, j, 0, 0.0}), best = s;
                    }
            Recorder rec;
            const auto r = LCNet::bruteForceSearch(p, &rec);
            QCOMPARE(r.evaluations, 32);
            QVERIFY(rec.events == expected && r.swr == best);
        }
    }

    // Smart Tune on 7 + 7 relays against its walk done point by point.
    void smartTuneOnASevenRelayBank()
    {
        const StepTable l(bank(Seven)), c(bank("7: 0; 10, 20, 40, 80, 160, 320, 640"));
        for (Impedance load : {Impedance(20, 100), Impedance(5, -20), Impedance(300, 200)})
            for (double kHz : {3500.0, 14000.0}) {
                const LCNet::TuneProblem p{l, c, 1e3 * kHz, load, 1.1, {}};
                auto swr = [&](int t, int i, int j) {
                    return swrRef(
                        zInRef(t, kHz, p.inductors[i], p.capacitors[j], cplx(load.R, load.X)));
                };
                int count = 0, bestT = -1, bestI = -1, bestJ = -1;
                double best = HUGE_VAL;
                for (int t = 0; t < 2 && !(best < 1.1); ++t)
                    for (int i = 0, j = 0;;) {
                        ++count;
                        const double s = swr(t, i, j);
                        if (s < best)
                            best = s, bestT = t, bestI = i, bestJ = j;
                        if (best < 1.1 || i == 127)
                            break;
                        if (swr(t, i, std::min(j + 1, 127)) < s)
                            ++j;
                        else if (swr(t, i, std::max(j - 1, 0)) < s)
                            --j;
                        else
                            ++i;
                    }
                const auto r = LCNet::smartTuneSearch(p);
                QCOMPARE((QList<int>{r.evaluations, r.matched, int(r.type), r.l, r.c}),
                         (QList<int>{count, best < 1.1, bestT, bestI, bestJ}));
            }
    }

    // Split over the cores, Brute Force reports what the plain scan
    // reports; the grid is what the calculator gives setting by setting.
    void largeBanksAndTheGrid()
    {
        const BankSpec l = bank("10: 0.05; 0.03, 0.06, 0.12, 0.25, 0.5, 1, 2, 4, 8, 16");
        const BankSpec c = bank("9: 5; 8, 16, 32, 64, 128, 256, 512, 1024, 2048");
        const LCNet::TuneProblem p{StepTable(l), StepTable(c), 7.1e6, Impedance(12, -35), 1.05, {}};
        Recorder split, plain;
        const auto a = LCNet::bruteForceSearch(p, &split, true);
        const auto b = LCNet::bruteForceSearch(p, &plain, false);
        QVERIFY(split.events.size() > 10 && split.events == plain.events);
        QCOMPARE(a.evaluations, 2 * 1024 * 512);
        QVERIFY(a.type == b.type && a.l == b.l && a.c == b.c && a.swr == b.swr);

        Calculator calc;
        calc.setBanks(l, c);
        calc.setFrequency(7100);
        calc.setLoadImpedance(Impedance(12, -35));
        calc.setNetType(Calculator::CTrx);
        std::vector<double> grid(size_t(1024 * 512));
        LCNet::swrGrid(LCNet::TuneProblem::of(calc), Calculator::CTrx, grid.data());
        for (int i = 0; i < 1024; i += 37)
            for (int j = 0; j < 512; j += 11) {
                calc.setInductance(calc.inductorSteps()[i]);
                calc.setCapacitance(calc.capacitorSteps()[j]);
                QVERIFY(calc.currentSWR() == grid[size_t(i * 512 + j)]);
            }
    }
};

QTEST_MAIN(TestBanks)
#include "tst_core_banks.moc"
