// The two L networks between the 50-ohm transmitter and the load, the SWR
// and the power figures derived from it (f in Hz, L in H, C in F).
#ifndef LCNET_NETWORK_H
#define LCNET_NETWORK_H

#include "impedance.h"

namespace LCNet
{

inline Impedance inductorImpedance(double f, double l)
{
    return {0.0, TwoPi * f * l};
}
// -1/(ωC): C = 0 or f = 0 gives -infinity, an open capacitor.
inline Impedance capacitorImpedance(double f, double c)
{
    return {0.0, -1.0 / (TwoPi * f * c)};
}

namespace detail
{
// The two networks from the reactances of their parts, xl = ω·L and
// xc = -1/(ω·C); the searches compute those once per step and call these.
LCNET_ALWAYS_INLINE Impedance zInCAntennaReactances(double xl, double xc, const Impedance &load)
{
    const Impedance p = parallel(load, Impedance(0.0, xc));
    return {p.R, p.X + xl};
}
LCNET_ALWAYS_INLINE Impedance zInCTrxReactances(double xl, double xc, const Impedance &load)
{
    return parallel(load + Impedance(0.0, xl), Impedance(0.0, xc));
}
// The same with a loss resistance in series with each reactance.
LCNET_ALWAYS_INLINE Impedance zInCAntennaLossy(double xl, double rl, double xc, double rc,
                                               const Impedance &load)
{
    const Impedance p = parallel(load, Impedance(rc, xc));
    return {p.R + rl, p.X + xl};
}
LCNET_ALWAYS_INLINE Impedance zInCTrxLossy(double xl, double rl, double xc, double rc,
                                           const Impedance &load)
{
    return parallel(load + Impedance(rl, xl), Impedance(rc, xc));
}
} // namespace detail

inline Impedance zInCAntenna(double f, double l, double c, const Impedance &load)
{
    return detail::zInCAntennaReactances(inductorImpedance(f, l).X, capacitorImpedance(f, c).X,
                                         load);
}

inline Impedance zInCTrx(double f, double l, double c, const Impedance &load)
{
    return detail::zInCTrxReactances(inductorImpedance(f, l).X, capacitorImpedance(f, c).X, load);
}

inline Impedance matchedZLoadCAntenna(double f, double l, double c)
{
    const Impedance b = parallel(Z0 + inductorImpedance(f, l), capacitorImpedance(f, c));
    return b.conj();
}

inline Impedance matchedZLoadCTrx(double f, double l, double c)
{
    const Impedance b = inductorImpedance(f, l) + parallel(Z0, capacitorImpedance(f, c));
    return b.conj();
}

// |Γ| of a lossless load may round to just above 1 (1 + 2^-52 for 0 + j100
// behind the network): up to this limit it is a total reflection, not an
// active load.
inline constexpr double TotalReflectionLimit = 1.0 + 0x1p-50;

// The SWR of |Γ| = g against Z0, and of an impedance z against z0:
// negative for an active load (|Γ| clearly above 1); NaN for NaN input.
LCNET_ALWAYS_INLINE double swrOfReflection(double g)
{
    if (1.0 - g == 0.0 || (g > 1.0 && g <= TotalReflectionLimit))
        return Infinity;
    return (1.0 + g) / (1.0 - g);
}

LCNET_ALWAYS_INLINE double computeSWR(const Impedance &z0, const Impedance &z)
{
    return swrOfReflection(((z - z0) / (z + z0)).abs());
}

// Total reflection returns all the forward power rather than inf/inf.
inline double reflectedPower(double forward, double swr)
{
    if (swr == Infinity)
        return forward;
    const double rho = (swr - 1.0) / (swr + 1.0);
    return forward * (rho * rho);
}

inline double transmissionLoss(double reflected, double forward)
{
    return -10.0 * std::log10(1.0 - reflected / forward);
}

inline double returnLoss(double reflected, double forward)
{
    return 10.0 * std::log10(forward / reflected);
}

} // namespace LCNet

#endif // LCNET_NETWORK_H
