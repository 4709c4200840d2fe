#include "cli.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QThread>

#include <cstdio>
#include <thread>

namespace Cli
{

namespace
{

const Option loadsFile{"loads", "FILE",
                       "the corpus from a file: CSV with the header frequency_khz,r,x, or a "
                       "load file the sweep reads"};
const Option count{"count", "N", "generate N loads (default 1000)"};
const Option maxSwr{"max-swr", "S", "generated loads up to this SWR (default 10)"};
const Option freqRange{"freq-range", "KHZ1,KHZ2", "generated frequencies log-uniform over a range"};
const Option seed{"seed", "K", "seed of the generated corpus (default: a new one, printed)"};
const Option algorithms{"algorithms", "LIST",
                        "comma-separated searches (default all): brute, smart, valley, relays"};
const Option perLoad{"per-load", "FILE", "also write one CSV row per load and search"};
const Option settleTime{"settle-time", "S",
                        "seconds a real tuner needs per reading (SettleTime setting, 0.01)"};

std::vector<LCNet::LabLoad> corpus(const Invocation &in, QJsonValue &seedValue)
{
    if (in.isSet(loadsFile)) {
        for (const Option *o : {&count, &maxSwr, &Opt::freq, &freqRange, &seed})
            if (in.isSet(*o))
                throw UsageError{QStringLiteral("--%1: not with --loads").arg(o->name)};
        std::vector<LCNet::LabLoad> loads;
        QString error;
        if (!LCNet::readLabCorpus(in.text(loadsFile), &loads, &error))
            throw UsageError{error};
        return loads;
    }
    LCNet::LabCorpusSpec recipe;
    recipe.count = in.integer(count, recipe.count);
    recipe.maxSWR = in.number(maxSwr, recipe.maxSWR);
    if (in.isSet(Opt::freq) && in.isSet(freqRange))
        throw UsageError{QStringLiteral("--freq-range: not with --freq")};
    if (in.isSet(freqRange)) {
        const LCNet::Impedance range = in.impedance(freqRange);
        recipe.lowKHz = range.R;
        recipe.highKHz = range.X;
    } else {
        recipe.lowKHz = recipe.highKHz = in.number(Opt::freq, recipe.lowKHz);
    }
    if (in.isSet(seed)) {
        bool ok = false;
        recipe.seed = in.text(seed).toULongLong(&ok);
        if (!ok || recipe.seed > LCNet::MaxLabSeed)
            throw UsageError{QStringLiteral("--seed: not a whole number from 0 to %1: '%2'")
                                 .arg(LCNet::MaxLabSeed)
                                 .arg(in.text(seed))};
    } else {
        recipe.seed = LCNet::newLabSeed();
    }
    QString why;
    if (!recipe.isValid(&why))
        throw UsageError{QStringLiteral("lab: %1").arg(why)};
    seedValue = qint64(recipe.seed);
    return LCNet::generateLabCorpus(recipe);
}

// The tuning lab: every search over a corpus of loads, with the readings
// each needs and how often it finds a match that exists.
void run(const Invocation &in, Output &out)
{
    const auto calc = in.calculator();
    calc->lowSWR = in.number(Opt::lowSwr, calc->lowSWR);
    const double settle = in.number(settleTime, calc->settleTime);
    if (!(settle >= 0.0))
        throw UsageError{
            QStringLiteral("--settle-time: not 0 or more: '%1'").arg(in.text(settleTime))};
    QStringList keys = LCNet::labAlgorithmKeys();
    if (in.isSet(algorithms)) {
        keys = in.text(algorithms).split(QLatin1Char(','));
        for (const QString &key : keys)
            if (!LCNet::findLabAlgorithm(key))
                throw UsageError{QStringLiteral("--algorithms: no search '%1' (%2)")
                                     .arg(key, LCNet::labAlgorithmKeys().join(QLatin1Char(',')))};
    }
    QJsonValue seedValue;
    const std::vector<LCNet::LabLoad> loads = corpus(in, seedValue);

    // A long run says how far it got, once a second, on standard error.
    LCNet::LabControl control;
    LCNet::LabResult result;
    std::thread worker(
        [&] { result = LCNet::runLab(LCNet::TuneProblem::of(*calc), loads, keys, &control); });
    QElapsedTimer clock;
    clock.start();
    qint64 reported = 0;
    while (control.done.load() < int(loads.size())) {
        QThread::msleep(20);
        if (clock.elapsed() - reported >= 1000) {
            reported = clock.elapsed();
            std::fprintf(stderr, "vorlap-cli: %d of %d loads\n", control.done.load(),
                         int(loads.size()));
        }
    }
    worker.join();

    if (in.isSet(perLoad)) {
        QString error;
        if (!LCNet::saveLabPerLoadCsv(result, in.text(perLoad), &error))
            throw UsageError{QStringLiteral("--per-load: %1").arg(error)};
    }
    if (in.format() == QLatin1String("json")) {
        out.whole(QJsonDocument(LCNet::labSummaryJson(result, settle, seedValue)).toJson());
        return;
    }
    if (seedValue.isDouble())
        out.integer("seed", "Seed", seedValue.toInteger());
    out.integer("loads", "Loads", qint64(loads.size()));
    for (int a = 0; a < result.algorithms.size(); ++a) {
        const LCNet::LabStatistics st = LCNet::labStatistics(result, a, settle);
        const QByteArray key = result.algorithms[a].toLatin1();
        out.beginObject(key.constData(),
                        LCNet::findLabAlgorithm(result.algorithms[a])->name.toUtf8().constData());
        out.number("success_rate", "Success rate", st.successRate);
        out.integer("matchable", "Matchable loads", st.matchable);
        out.number("readings_mean", "Readings, mean", st.readingsMean);
        out.number("readings_median", "Readings, median", st.readingsMedian);
        out.number("readings_p95", "Readings, 95th percentile", st.readingsP95);
        out.integer("readings_max", "Readings, maximum", st.readingsMax);
        out.number("time_mean_s", "Tuning time, mean", st.timeMean, "s");
        out.number("excess_swr_mean", "SWR above the best, mean", st.excessMean);
        out.endObject();
    }
}

} // namespace

extern const Command labCommand{
    "lab",
    "how many readings each search needs, and how often it matches, over many loads",
    "[--loads FILE | --count N --max-swr S [--freq KHZ | --freq-range KHZ1,KHZ2] [--seed K]] "
    "[--algorithms LIST] [--per-load FILE] [--settle-time S] [--low-swr S] [--q-l Q] [--q-c Q] "
    "[--l-bank BANK] [--c-bank BANK]",
    {&loadsFile, &count, &maxSwr, &Opt::freq, &freqRange, &seed, &algorithms, &perLoad, &settleTime,
     &Opt::lowSwr, &Opt::qL, &Opt::qC, &Opt::lBank, &Opt::cBank},
    run};

} // namespace Cli
