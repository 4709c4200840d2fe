#include "cli.h"

namespace Cli
{

namespace
{

// The window's Find Z Antenna: the load carried back along the cable (a
// lossless 50-ohm line by default), and that impedance's own SWR and losses
// at 100 W.
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
    if (!calc->cable.isIdeal50()) {
        // On a real line the SWR that matters is against its own impedance,
        // and loss lowers it toward the tuner.
        const LCNet::Impedance zc(calc->cable.impedance, 0.0);
        out.text("cable", "Cable", calc->cable.type);
        out.number("cable_z0", "Cable impedance", calc->cable.impedance, "ohm");
        out.number("cable_loss_db", "Cable matched loss",
                   LCNet::cableMatchedLoss(1000.0 * calc->frequency, length, calc->cable), "dB");
        out.number("swr_line_antenna", "SWR on the line at the antenna",
                   LCNet::computeSWR(zc, zAnt));
        out.number("swr_line_tuner", "SWR on the line at the tuner",
                   LCNet::computeSWR(zc, calc->loadImpedance));
    }
}

} // namespace

extern const Command antennaCommand{"antenna",
                                    "the antenna impedance at the far end of a cable",
                                    "--freq KHZ --load R,X [--length M] [--velocity-factor V] "
                                    "[--cable TYPE] [--cable-loss DB] [--cable-z0 OHM]",
                                    {&Opt::freq, &Opt::load, &Opt::length, &Opt::velocityFactor,
                                     &Opt::cable, &Opt::cableLoss, &Opt::cableZ0},
                                    run};

} // namespace Cli
