#include "cli.h"

namespace Cli
{

namespace
{

// The window's Find Z Antenna: the load carried back along a lossless 50-ohm
// cable, and that impedance's own SWR and losses at 100 W.
void run(const Invocation &in, Output &out)
{
    const auto calc = in.calculator();
    calc->setFrequency(in.number(Opt::freq));
    calc->setLoadImpedance(in.impedance(Opt::load));
    const double length = in.number(Opt::length, calc->defaultCableLength);
    calc->velocityFactor = in.number(Opt::velocityFactor, calc->velocityFactor);

    const LCNet::Impedance zAnt = calc->antennaImpedance(length);
    const double swr = LCNet::computeSWR(LCNet::Z0, zAnt);
    const double reflected = LCNet::reflectedPower(100.0, swr);

    out.impedance("antenna", "Antenna", zAnt);
    out.number("swr", "SWR", swr);
    out.number("reflected_percent", "Reflected power", reflected, "%");
    out.number("transmission_loss_db", "Transmission loss",
               LCNet::transmissionLoss(reflected, 100.0), "dB");
    out.number("length_m", "Cable length", length, "m");
    out.number("velocity_factor", "Velocity factor", calc->velocityFactor);
}

} // namespace

extern const Command antennaCommand{"antenna",
                                    "the antenna impedance at the far end of a cable",
                                    "--freq KHZ --load R,X [--length M] [--velocity-factor V]",
                                    {&Opt::freq, &Opt::load, &Opt::length, &Opt::velocityFactor},
                                    run};

} // namespace Cli
