#include "components.h"

namespace LCNet
{

PowerFigures powerFigures(bool trx, const NetworkParts &parts, const Impedance &load,
                          const ComponentSettings &comp)
{
    PowerFigures f;
    const Impedance zIn = zInOfParts(trx, parts, load);
    const double gamma = ((zIn - Z0) / (zIn + Z0)).abs();
    f.powerIn = comp.power * (1.0 - gamma * gamma);
    // Nothing enters at total reflection, nor into a network that gives
    // power back: no current is defined then.
    if (!(f.powerIn > 0.0) || !(zIn.R > 0.0)) {
        f.powerIn = std::fmax(f.powerIn, 0.0);
        f.efficiency = qQNaN();
        return f;
    }
    f.currentIn = std::sqrt(f.powerIn / zIn.R);
    const Impedance inductor(parts.rl, parts.xl);
    const Impedance capacitor(parts.rc, parts.xc);
    const bool capacitorOpen = detail::isOpen(capacitor);
    double currentC = 0.0;
    if (trx) {
        // The capacitor sees the input voltage; the coil carries the load's
        // current.
        const double v = f.currentIn * zIn.abs();
        f.voltageC = v;
        currentC = capacitorOpen ? 0.0 : v / capacitor.abs();
        f.currentL = v / (load + inductor).abs();
    } else {
        // The coil carries the input current; the capacitor sees the load's
        // voltage.
        f.currentL = f.currentIn;
        const Impedance across = parallel(load, capacitor);
        f.voltageC = f.currentIn * across.abs();
        currentC = capacitorOpen ? 0.0 : f.voltageC / capacitor.abs();
    }
    f.voltageCPeak = std::sqrt(2.0) * f.voltageC;
    f.lossL = f.currentL * f.currentL * parts.rl;
    f.lossC = capacitorOpen ? 0.0 : currentC * currentC * parts.rc;
    // What the components do not take reaches the load; ideal components
    // pass exactly what entered.
    f.powerLoad = f.powerIn - f.lossL - f.lossC;
    f.efficiency = f.powerLoad / f.powerIn;
    f.voltageOver = f.voltageCPeak > comp.voltageRating;
    f.currentOver = f.currentL > comp.currentRating;
    return f;
}

} // namespace LCNet
