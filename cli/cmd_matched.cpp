#include "cli.h"

namespace Cli
{

namespace
{

// The load that the setting matches perfectly (the window's Matched Z Load).
void run(const Invocation &in, Output &out)
{
    const auto calc = in.calculator();
    calc->setFrequency(in.number(Opt::freq));
    calc->setInductance(in.number(Opt::l));
    calc->setCapacitance(in.number(Opt::c));
    calc->setNetType(in.config());

    out.config("config", calc->netType);
    out.impedance("load", "Matched load", calc->matchedZLoad());
}

} // namespace

extern const Command matchedCommand{"matched",
                                    "the load that a tuner setting matches perfectly",
                                    "--freq KHZ --l UH --c PF [--config antenna|trx]",
                                    {&Opt::freq, &Opt::l, &Opt::c, &Opt::config},
                                    run};

} // namespace Cli
