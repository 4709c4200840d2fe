// Real components and real cable: the figures against circuit theory and
// the textbook line relations, worked out here independently.
#include "lanes.h"
#include "lcnet.h"

#include <QtTest>

#include <complex>
#include <random>

using LCNet::Calculator;
using LCNet::Impedance;
using cplx = std::complex<double>;

namespace
{

const double W = 6.283185307179586;

// The circuit solved as a textbook would: every branch current from the
// input current.
struct Circuit {
    cplx zIn, iL, vC;
    double pIn, pLoad, lossL, lossC;
};

Circuit solve(bool trx, double kHz, double uH, double pF, double qL, double qC, cplx load,
              double power)
{
    const double w = W * kHz * 1e3;
    const double xl = w * uH * 1e-6, xc = -1.0 / (w * pF * 1e-12);
    const cplx zl(xl / qL, xl), zc(-xc / qC, xc);
    Circuit c;
    c.zIn = trx ? (zl + load) * zc / (zl + load + zc) : zl + load * zc / (load + zc);
    // The transmitter: a source of `power` watts available into 50 ohm.
    const cplx iIn = std::sqrt(4 * 50 * power) / (c.zIn + 50.0);
    c.pIn = std::norm(iIn) * c.zIn.real();
    // C-TRX: the capacitor across the input, the coil in series with the
    // load; C-Antenna: the coil carries the input current.
    c.vC = trx ? iIn * c.zIn : iIn * (load * zc / (load + zc));
    c.iL = trx ? c.vC / (zl + load) : iIn;
    c.lossC = std::norm(c.vC / zc) * zc.real();
    c.lossL = std::norm(c.iL) * zl.real();
    c.pLoad = std::norm(trx ? c.iL : c.vC / load) * load.real();
    return c;
}

bool close(double a, double b, double relative)
{
    return std::fabs(a - b) <= relative * std::max(std::fabs(a), std::fabs(b));
}

Calculator *tuner(bool trx, double kHz, double uH, double pF, Impedance load, double qL, double qC)
{
    auto *c = new Calculator;
    c->setNetType(trx ? Calculator::CTrx : Calculator::CAntenna);
    c->setFrequency(kHz);
    c->setInductance(uH);
    c->setCapacitance(pF);
    c->setLoadImpedance(load);
    c->components = {true, qL, qC};
    return c;
}

} // namespace

class TestComponents : public QObject
{
    Q_OBJECT

private slots:
    // Ideal components pass every watt that enters; with losses the watts
    // balance and each figure is the circuit's.
    void powerFiguresFollowTheCircuit()
    {
        std::mt19937_64 random(7);
        std::uniform_real_distribution<double> u(0.0, 1.0);
        for (int k = 0; k < 400; ++k) {
            const bool trx = k % 2;
            const double kHz = 1800 + 28000 * u(random), uH = 0.1 + 20 * u(random);
            const double pF = 10 + 3000 * u(random);
            const Impedance load(1 + 500 * u(random), -500 + 1000 * u(random));
            const bool ideal = k % 4 < 2;
            const double qL = ideal ? HUGE_VAL : 50 + 300 * u(random);
            const double qC = ideal ? HUGE_VAL : 200 + 2000 * u(random);
            std::unique_ptr<Calculator> c(tuner(trx, kHz, uH, pF, load, qL, qC));
            const LCNet::PowerFigures f = c->powerFigures();
            const Circuit ref = solve(trx, kHz, uH, pF, qL, qC, {load.R, load.X}, 100);
            if (ideal) {
                QVERIFY(f.efficiency == 1.0 && f.powerLoad == f.powerIn);
                // No zero resistance is added on the way: today's bits.
                const Impedance z = c->inputImpedance();
                const Impedance plain =
                    LCNet::networkInput(c->netType, kHz * 1e3, uH * 1e-6, pF * 1e-12, load);
                QVERIFY(!std::memcmp(&z, &plain, sizeof z) && !std::memcmp(&f.zIn, &z, sizeof z));
            }
            QVERIFY(f.swr == c->currentSWR());
            // The watts balance, and the load's share agrees with its own
            // current; what enters is P (1 - |Γ|²), the source's current.
            QVERIFY(close(f.powerIn, f.powerLoad + f.lossL + f.lossC, 1e-12));
            QVERIFY(close(f.powerLoad, ref.pLoad, 1e-10) && close(f.powerIn, ref.pIn, 1e-12));
            QVERIFY(close(f.currentL, std::abs(ref.iL), 1e-9) &&
                    close(f.voltageC, std::abs(ref.vC), 1e-9));
            QVERIFY(close(f.voltageCPeak, std::sqrt(2.0) * f.voltageC, 1e-15) &&
                    (ideal || close(f.lossL, ref.lossL, 1e-9)));
        }
    }

    // 14 MHz, 1.65 uH, 180 pF into 20 + j100 with QL = QC = 100: by hand,
    // XL = 145.1416 ohm, rL = 1.451416; XC = -63.15672 ohm, rC = 0.6315672.
    void qOfHundredByHand()
    {
        std::unique_ptr<Calculator> c(tuner(false, 14000, 1.65, 180, {20, 100}, 100, 100));
        const LCNet::NetworkParts p = c->parts();
        QVERIFY(close(p.rl, 1.451416, 1e-6) && close(p.rc, 0.6315672, 1e-6));
        // (rC + jXC) || (20 + j100), plus rL + jXL, worked out to 6 digits.
        const Impedance z = c->inputImpedance();
        QVERIFY2(close(z.R, 49.87958, 1e-6) && close(z.X, 0.4976939, 1e-6),
                 qPrintable(QString("%1 %2").arg(z.R, 0, 'g', 9).arg(z.X, 0, 'g', 9)));
        const LCNet::PowerFigures f = c->powerFigures();
        QVERIFY(close(f.efficiency, 0.8970505, 1e-6) && close(f.voltageCPeak, 305.4354, 1e-6));
        // A tighter rating flags the setting.
        c->components.voltageRating = f.voltageCPeak * 0.99;
        c->components.currentRating = f.currentL * 1.01;
        QVERIFY(c->powerFigures().voltageOver && !c->powerFigures().currentOver);
    }

    // The lossy lanes give the scalar formulas' bits; a lossy search walks
    // the lossy network.
    void lossyLanesAndSearches()
    {
        std::unique_ptr<Calculator> c(tuner(false, 7100, 1, 100, {12, -35}, 80, 400));
        const auto problem = LCNet::TuneProblem::of(*c);
        std::vector<double> grid(256 * 256);
        LCNet::swrGrid(problem, Calculator::CAntenna, grid.data());
        for (int i = 0; i < 256; i += 5)
            for (int j = 0; j < 256; j += 3) {
                c->setInductance(LCNet::LTable[size_t(i)]);
                c->setCapacitance(LCNet::CTable[size_t(j)]);
                const double s = c->currentSWR();
                QVERIFY(!std::memcmp(&s, &grid[size_t(i * 256 + j)], sizeof s));
            }
        // The lossy best is the lowest SWR of the lossy grid.
        std::vector<double> trx(256 * 256);
        LCNet::swrGrid(problem, Calculator::CTrx, trx.data());
        QVERIFY(LCNet::bruteForceSearch(problem).swr ==
                std::min(*std::min_element(grid.begin(), grid.end()),
                         *std::min_element(trx.begin(), trx.end())));
        // Loads through the present setting, as the Z chart asks for them.
        const double r[5] = {0, 1e-9, 50, 300, -20}, x[5] = {100, 0, 0, -400, 5};
        double out[5];
        LCNet::swrOfLoads(*c, r, x, 5, out);
        for (int k = 0; k < 5; ++k) {
            c->setLoadImpedance({r[k], x[k]});
            const double s = c->currentSWR();
            QVERIFY(!std::memcmp(&s, &out[k], sizeof s));
        }
    }

    // Zero loss is today's line; a lossy line lowers |Γ| toward the tuner by
    // e^(-2 alpha l), and carrying a load there and back returns it.
    void cable()
    {
        LCNet::CableSpec ideal;
        const Impedance load(20, 100);
        for (double f : {7e6, 14e6}) {
            const Impedance a = LCNet::antennaEndImpedance(f, 10, 0.66, ideal, load);
            const Impedance b = LCNet::zAntennaThroughCable(f, 10, 0.66, LCNet::Z0, load);
            QVERIFY(!std::memcmp(&a, &b, sizeof a));
        }
        const LCNet::CablePreset *rg58 = LCNet::findCablePreset("rg58");
        LCNet::CableSpec lossy{"rg58", rg58->impedance, rg58->loss};
        const double f = 14.2e6, length = 30;
        // Matched: SWR 1 at both ends.
        const Impedance matched =
            LCNet::tunerEndImpedance(f, length, rg58->velocityFactor, lossy, LCNet::Z0);
        QVERIFY(std::fabs(LCNet::computeSWR(LCNet::Z0, matched) - 1) < 1e-12);
        // Mismatched: |Γ| at the tuner = |Γ| at the antenna x 10^(-2 A / 20).
        const Impedance antenna(150, -80);
        const Impedance tuner =
            LCNet::tunerEndImpedance(f, length, rg58->velocityFactor, lossy, antenna);
        auto gamma = [](Impedance z) {
            return std::abs((z.toComplex() - 50.0) / (z.toComplex() + 50.0));
        };
        const double loss = LCNet::cableMatchedLoss(f, length, lossy);
        QVERIFY(close(loss, 4.7 * 0.3 * std::sqrt(1.42), 1e-12));
        QVERIFY(close(gamma(tuner), gamma(antenna) * std::pow(10.0, -2 * loss / 20), 1e-12));
        QVERIFY(LCNet::computeSWR(LCNet::Z0, tuner) < LCNet::computeSWR(LCNet::Z0, antenna));
        const Impedance back =
            LCNet::antennaEndImpedance(f, length, rg58->velocityFactor, lossy, tuner);
        QVERIFY(close(back.R, 150, 1e-12) && close(back.X, -80, 1e-12));
        // The lossless inverse returns the load through a 450-ohm line too.
        const Impedance zc(450, 0);
        const Impedance far = LCNet::zAntennaThroughCable(f, 12.3, 0.91, zc, load);
        const Impedance near = LCNet::zTunerThroughCable(f, 12.3, 0.91, zc, far);
        QVERIFY(close(near.R, 20, 1e-12) && close(near.X, 100, 1e-12));
    }
};

QTEST_MAIN(TestComponents)
#include "tst_core_components.moc"
