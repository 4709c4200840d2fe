#include "components.h"

namespace LCNet
{

PowerFigures powerFigures(bool trx, const NetworkParts &parts, const Impedance &load,
                          const ComponentSettings &comp)
{
    PowerFigures f;
    const Impedance inductor(parts.rl, parts.xl);
    const Impedance capacitor(parts.rc, parts.xc);
    // C-Antenna: the coil in series with (capacitor ∥ load); the capacitor
    // sees the voltage across that pair. C-TRX: the capacitor across the
    // input, the coil in series with the load.
    const Impedance across = trx ? Impedance() : parallel(load, capacitor);
    const Impedance series = trx ? load + inductor : Impedance();
    // The operations of zInOfParts, sharing the pair; an ideal coil adds
    // no zero resistance.
    if (trx)
        f.zIn = parallel(series, capacitor);
    else
        f.zIn = {parts.lossy ? across.R + parts.rl : across.R, across.X + parts.xl};
    f.swr = swrOfReflection(((f.zIn - Z0) / (f.zIn + Z0)).abs());
    // P (1 - |Γ|²) = P · 4 R Z0 / |Z + Z0|²: the input current follows
    // without waiting for |Γ|.
    auto norm = [](const Impedance &z) { return z.R * z.R + z.X * z.X; };
    const double in2 = comp.power * (4.0 * Z0.R) / norm(f.zIn + Z0); // input current squared
    f.powerIn = in2 * f.zIn.R;
    // Nothing enters at total reflection, nor a network that gives power
    // back: no current is defined then.
    if (!(f.powerIn > 0.0) || !std::isfinite(in2)) {
        f.powerIn = std::fmax(f.powerIn, 0.0);
        f.efficiency = qQNaN();
        return f;
    }
    const bool capacitorOpen = detail::isOpen(capacitor);
    double currentL2;
    double voltageC2;
    if (trx) {
        voltageC2 = in2 * norm(f.zIn);
        currentL2 = voltageC2 / norm(series);
    } else {
        currentL2 = in2;
        voltageC2 = in2 * norm(across);
    }
    f.currentL = std::sqrt(currentL2);
    f.voltageC = std::sqrt(voltageC2);
    f.voltageCPeak = std::sqrt(2.0) * f.voltageC;
    f.lossL = currentL2 * parts.rl;
    f.lossC = capacitorOpen ? 0.0 : voltageC2 / norm(capacitor) * parts.rc;
    // What the components do not take reaches the load; ideal components
    // pass exactly what entered.
    f.powerLoad = f.powerIn - f.lossL - f.lossC;
    f.efficiency = f.powerLoad / f.powerIn;
    f.voltageOver = f.voltageCPeak > comp.voltageRating;
    f.currentOver = f.currentL > comp.currentRating;
    return f;
}

} // namespace LCNet
