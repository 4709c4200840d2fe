#include "cli.h"

#include <vector>

using LCNet::Calculator;
using LCNet::Impedance;

namespace Cli
{

namespace
{

const Option algorithm{"algorithm", "brute|smart|both",
                       "the searches to run, Brute Force before Smart Tune (default: as the "
                       "BruteForce and SmartTune settings say)"};

struct Match {
    Calculator::NetType n;
    double l, c;
    Impedance zIn;
    double swr;
    int iteration;
};

// -1 for a value that is no step: a search that meets no finite SWR leaves
// the setting it started from.
int stepOf(const LCNet::StepTable &table, double value)
{
    for (int i = 0; i < table.size(); ++i)
        if (table[i] == value)
            return i;
    return -1;
}

// One algorithm as Auto Tune runs it: every foundMatch in order, then the
// setting the search leaves and its figures.
void search(Calculator &calc, int (Calculator::*algorithm)(), const char *key, const char *label,
            bool figures, Output &out)
{
    std::vector<Match> matches;
    const QMetaObject::Connection connection =
        QObject::connect(&calc, &Calculator::foundMatch,
                         [&matches](Calculator::NetType n, double l, double c, Impedance zIn,
                                    double swr, int iteration) {
                             matches.push_back({n, l, c, zIn, swr, iteration});
                         });
    const int evaluations = (calc.*algorithm)();
    QObject::disconnect(connection);
    Impedance zIn;
    double swr = 0.0;
    calc.calculate(zIn, swr);

    out.beginObject(key, label);
    out.config("config", calc.netType);
    out.integer("l_step", "L step", stepOf(calc.inductorSteps(), calc.inductance));
    out.integer("c_step", "C step", stepOf(calc.capacitorSteps(), calc.capacitance));
    out.number("l_uh", "L", calc.inductance, "uH");
    out.number("c_pf", "C", calc.capacitance, "pF");
    out.impedance("zin", "Z in", zIn);
    out.number("swr", "SWR", swr);
    out.integer("evaluations", "Evaluations", evaluations);
    if (figures)
        writePowerFigures(out, calc.powerFigures());
    out.beginList("matches", "Matches");
    for (const Match &m : matches) {
        out.beginObject(nullptr, nullptr);
        out.integer("iteration", "Iteration", m.iteration);
        out.config("config", m.n);
        out.number("l_uh", "L", m.l, "uH");
        out.number("c_pf", "C", m.c, "pF");
        out.impedance("zin", "Z in", m.zIn);
        out.number("swr", "SWR", m.swr);
        out.endObject();
    }
    out.endList();
    out.endObject();
}

void run(const Invocation &in, Output &out)
{
    const auto calc = in.calculator();
    calc->setFrequency(in.number(Opt::freq));
    calc->setLoadImpedance(in.impedance(Opt::load));
    calc->lowSWR = in.number(Opt::lowSwr, calc->lowSWR);

    const LCNet::Settings &s = in.settings();
    const QString enabled = s.bruteForce && s.smartTune ? QStringLiteral("both")
                            : s.bruteForce              ? QStringLiteral("brute")
                            : s.smartTune               ? QStringLiteral("smart")
                                                        : QString();
    const QString which = in.choice(
        algorithm, {QStringLiteral("brute"), QStringLiteral("smart"), QStringLiteral("both")},
        enabled);
    if (which.isEmpty())
        throw UsageError{QStringLiteral("tune: BruteForce and SmartTune are both off in the "
                                        "settings; choose a search with --algorithm")};
    if (which != QLatin1String("smart"))
        search(*calc, &Calculator::bruteForceSearch, "brute", "Brute Force", in.componentsOn(),
               out);
    if (which != QLatin1String("brute"))
        search(*calc, &Calculator::smartTuneSearch, "smart", "Smart Tune", in.componentsOn(), out);
}

} // namespace

extern const Command tuneCommand{
    "tune",
    "the best L/C setting for a load, with every match",
    "--freq KHZ --load R,X [--algorithm brute|smart|both] [--low-swr S] [--q-l Q] [--q-c Q] "
    "[--power W] [--l-bank BANK] [--c-bank BANK]",
    {&Opt::freq, &Opt::load, &algorithm, &Opt::lowSwr, &Opt::qL, &Opt::qC, &Opt::power, &Opt::lBank,
     &Opt::cBank},
    run};

} // namespace Cli
