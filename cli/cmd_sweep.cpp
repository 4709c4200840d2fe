#include "cli.h"

namespace Cli
{

namespace
{

const Option algorithm{"algorithm", "brute|smart", "the search run at every point (default brute)"};
const Option cableLength{"cable-length", "M",
                         "a cable of this length between the tuner and the point where the load "
                         "was measured (none without it)"};

// The Band Sweep: every frequency point of a load file tuned as Auto Tune
// tunes it, as CSV (the default) or a JSON array.
void run(const Invocation &in, Output &out)
{
    const QString path = in.positional().first();
    QVector<LCNet::LoadPoint> points;
    LCNet::LoadFileError error;
    if (!LCNet::readLoadFile(path, &points, &error))
        throw UsageError{error.text()};

    const auto calc = in.calculator();
    calc->lowSWR = in.number(Opt::lowSwr, calc->lowSWR);
    LCNet::SweepOptions options = LCNet::SweepOptions::of(*calc);
    options.algorithm = in.choice(algorithm, {QStringLiteral("brute"), QStringLiteral("smart")},
                                  QStringLiteral("brute")) == QLatin1String("smart")
                            ? LCNet::SweepAlgorithm::SmartTune
                            : LCNet::SweepAlgorithm::BruteForce;
    options.cable = in.isSet(cableLength);
    options.cableLength = in.number(cableLength, options.cableLength);
    options.velocityFactor = in.number(Opt::velocityFactor, options.velocityFactor);

    const LCNet::SweepResult result = LCNet::runSweep(points, options);
    out.whole(
        (in.format() == QLatin1String("json") ? LCNet::sweepJson(result) : LCNet::sweepCsv(result))
            .toUtf8());
}

} // namespace

extern const Command sweepCommand{
    "sweep",
    "the best setting at every frequency of a measured or modelled antenna file",
    "FILE [--algorithm brute|smart] [--cable-length M] [--velocity-factor V] [--cable TYPE] "
    "[--cable-loss DB] [--cable-z0 OHM] [--low-swr S] [--q-l Q] [--q-c Q] [--power W] "
    "[--l-bank BANK] [--c-bank BANK]",
    {&algorithm, &cableLength, &Opt::velocityFactor, &Opt::cable, &Opt::cableLoss, &Opt::cableZ0,
     &Opt::lowSwr, &Opt::qL, &Opt::qC, &Opt::power, &Opt::lBank, &Opt::cBank},
    run,
    {QStringLiteral("FILE")},
    {QStringLiteral("csv"), QStringLiteral("json")}};

} // namespace Cli
