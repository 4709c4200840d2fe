#include "cli.h"

namespace Cli
{

namespace
{

// The window's live display: its six figures at 100 W forward power, and
// with real components the currents, voltages and powers at the set power.
void run(const Invocation &in, Output &out)
{
    const auto calc = in.calculator();
    calc->setFrequency(in.number(Opt::freq));
    calc->setLoadImpedance(in.impedance(Opt::load));
    calc->setInductance(in.number(Opt::l));
    calc->setCapacitance(in.number(Opt::c));
    calc->setNetType(in.config());

    LCNet::Impedance zIn;
    double swr = 0.0;
    calc->calculate(zIn, swr);
    const double reflected = LCNet::reflectedPower(100.0, swr);

    out.config("config", calc->netType);
    out.impedance("zin", "Z in", zIn);
    out.number("swr", "SWR", swr);
    out.number("reflected_percent", "Reflected power", reflected, "%");
    out.number("transmission_loss_db", "Transmission loss",
               LCNet::transmissionLoss(reflected, 100.0), "dB");
    out.number("return_loss_db", "Return loss", LCNet::returnLoss(reflected, 100.0), "dB");
    if (in.componentsOn())
        writePowerFigures(out, calc->powerFigures());
}

} // namespace

extern const Command zinCommand{
    "zin",
    "input impedance, SWR and losses of one tuner setting",
    "--freq KHZ --load R,X --l UH --c PF [--config antenna|trx] "
    "[--q-l Q] [--q-c Q] [--power W]",
    {&Opt::freq, &Opt::load, &Opt::l, &Opt::c, &Opt::config, &Opt::qL, &Opt::qC, &Opt::power},
    run};

} // namespace Cli
