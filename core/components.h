// Real components: loss resistances from the Q of the coil and the
// capacitor, and the currents, voltages and powers at a transmitter power.
#ifndef LCNET_COMPONENTS_H
#define LCNET_COMPONENTS_H

#include "network.h"

namespace LCNet
{

struct ComponentSettings {
    // Off, every figure is the ideal network's and the Q values are unused.
    bool enabled = false;
    double qL = Infinity; // infinite: lossless
    double qC = Infinity;
    double power = 100.0;          // W, transmitter into 50 ohm
    double voltageRating = 1000.0; // V peak, capacitor bank
    double currentRating = 10.0;   // A RMS, inductor
    // Whether the network has loss resistances at all; an infinite Q takes
    // the ideal formulas, so that no zero resistance is ever added.
    bool lossy() const { return enabled && (qL < Infinity || qC < Infinity); }
    friend bool operator==(const ComponentSettings &a, const ComponentSettings &b)
    {
        return a.enabled == b.enabled && a.qL == b.qL && a.qC == b.qC && a.power == b.power &&
               a.voltageRating == b.voltageRating && a.currentRating == b.currentRating;
    }
};

// The reactances of a setting and, when lossy, the series loss resistances
// rL = |XL| / QL and rC = |XC| / QC.
struct NetworkParts {
    double xl = 0.0;
    double rl = 0.0;
    double xc = 0.0;
    double rc = 0.0;
    bool lossy = false;
};

inline NetworkParts networkParts(double f, double l, double c, const ComponentSettings &comp)
{
    NetworkParts p;
    p.xl = inductorImpedance(f, l).X;
    p.xc = capacitorImpedance(f, c).X;
    p.lossy = comp.lossy();
    if (p.lossy) {
        p.rl = std::fabs(p.xl) / comp.qL;
        p.rc = std::fabs(p.xc) / comp.qC;
    }
    return p;
}

// Input impedance of the network with these parts (trx: C across the
// transmitter).
inline Impedance zInOfParts(bool trx, const NetworkParts &p, const Impedance &load)
{
    if (p.lossy)
        return trx ? detail::zInCTrxLossy(p.xl, p.rl, p.xc, p.rc, load)
                   : detail::zInCAntennaLossy(p.xl, p.rl, p.xc, p.rc, load);
    return trx ? detail::zInCTrxReactances(p.xl, p.xc, load)
               : detail::zInCAntennaReactances(p.xl, p.xc, load);
}

// Where the power goes at one setting, for a transmitter of `power` watts
// into 50 ohm. Currents and voltages are RMS unless named peak.
struct PowerFigures {
    // The input impedance and its SWR as computeSWR gives it, so that one
    // call serves a whole display.
    Impedance zIn;
    double swr = 0.0;
    double powerIn = 0.0;    // W entering the tuner, P (1 - |Γ|²)
    double powerLoad = 0.0;  // W reaching the load
    double lossL = 0.0;      // W dissipated in the coil
    double lossC = 0.0;      // W dissipated in the capacitor
    double efficiency = 0.0; // powerLoad / powerIn; NaN when nothing enters
    double currentL = 0.0;   // A
    double voltageC = 0.0;   // V across the whole capacitor branch
    double voltageCPeak = 0.0;
    bool voltageOver = false; // beyond the capacitor's rating
    bool currentOver = false; // beyond the coil's rating
};

PowerFigures powerFigures(bool trx, const NetworkParts &parts, const Impedance &load,
                          const ComponentSettings &comp);

} // namespace LCNet

#endif // LCNET_COMPONENTS_H
