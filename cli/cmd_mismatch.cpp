#include "cli.h"

#include <QElapsedTimer>

#include <csignal>
#include <cstdio>

using LCNet::Impedance;

namespace Cli
{

namespace
{

const Option targetSwr{"target-swr", "S", "the SWR sought"};
const Option step{"step", "OHM", "distance between the tested loads (ImpedanceStep setting)"};
const Option rings{"rings", "N",
                   "rings to walk, the last one N-1 steps out (NumberOfRings setting)"};
const Option epsilon{"epsilon", "E",
                     "accept a load whose SWR is within E of the target (EpsilonSWR setting)"};

volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int)
{
    interrupted = 1;
}

// While it lives, Ctrl+C ends the search after the ring in progress; a
// second Ctrl+C ends the program as usual.
class InterruptGuard
{
public:
    InterruptGuard()
    {
        interrupted = 0;
        struct sigaction action = {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        sigaction(SIGINT, &action, &previous);
    }
    ~InterruptGuard() { sigaction(SIGINT, &previous, nullptr); }
    InterruptGuard(const InterruptGuard &) = delete;
    InterruptGuard &operator=(const InterruptGuard &) = delete;

private:
    struct sigaction previous = {};
};

// The window's Mismatched Z Load: the first load on the rings around --load
// whose SWR lies within epsilon of the target, with the tuner unchanged.
void run(const Invocation &in, Output &out)
{
    const auto calc = in.calculator();
    calc->setFrequency(in.number(Opt::freq));
    calc->setLoadImpedance(in.impedance(Opt::load));
    calc->setInductance(in.number(Opt::l));
    calc->setCapacitance(in.number(Opt::c));
    calc->setNetType(in.config());
    const double target = in.number(targetSwr);
    calc->impedanceStep = in.number(step, calc->impedanceStep);
    calc->numberOfRings = in.integer(rings, calc->numberOfRings);
    calc->epsilonSWR = in.number(epsilon, calc->epsilonSWR);

    bool cancelled = false;
    QElapsedTimer clock;
    clock.start();
    qint64 nextReport = 1000;
    QObject::connect(
        calc.get(), &LCNet::Calculator::progressMismatch, calc.get(),
        [&](int ring, int rings, bool &abort) {
            if (interrupted) {
                abort = cancelled = true;
            } else if (clock.elapsed() >= nextReport) {
                std::fprintf(stderr, "vorlap-cli: mismatch: ring %d of %d\n", ring, rings);
                nextReport = clock.elapsed() + 1000;
            }
        },
        Qt::DirectConnection);

    Impedance z;
    bool found = false;
    {
        const InterruptGuard guard;
        found = calc->mismatchSearch(target, &z);
    }
    calc->setLoadImpedance(z);
    Impedance zIn;
    double swr = 0.0;
    calc->calculate(zIn, swr);

    out.boolean("found", "Found", found);
    out.boolean("cancelled", "Cancelled", cancelled);
    out.impedance("load", "Load", z);
    out.number("swr", "SWR", swr);
    out.impedance("zin", "Z in", zIn);
}

} // namespace

extern const Command mismatchCommand{
    "mismatch",
    "a load near the given one that shows a target SWR",
    "--freq KHZ --load R,X --l UH --c PF [--config antenna|trx] --target-swr S [--step OHM] "
    "[--rings N] [--epsilon E]",
    {&Opt::freq, &Opt::load, &Opt::l, &Opt::c, &Opt::config, &targetSwr, &step, &rings, &epsilon},
    run};

} // namespace Cli
