// Calculation core of the simulated L-network tuner: impedances, the two
// component banks, the network formulas and the calculator object.
#ifndef LCNET_H
#define LCNET_H

#include <QMetaType>
#include <QObject>

#include <array>
#include <cmath>
#include <complex>
#include <limits>

namespace LCNet
{

namespace detail
{
// Inline copies of the complex quotient and magnitude that the toolchain
// would call (libgcc's __divdc3, glibc's hypot), operation for operation, so
// that every result keeps its bits; operands outside the plain path go to
// the libraries themselves.

// A quotient operand is tame when it is 0 or its magnitude lies in
// [2^-200, 2^200]. With four tame operands every intermediate of __divdc3 is
// a normal number or zero, so the power-of-two prescaling that __divdc3
// applies to zero or tiny parts cannot change a bit and the unscaled formula
// gives its result.
inline bool tame(double v)
{
    const double a = std::fabs(v);
    return a == 0.0 || (a >= 0x1p-200 && a <= 0x1p200);
}

inline std::complex<double> divide(double a, double b, double c, double d)
{
    if (tame(a) && tame(b) && tame(c) && tame(d)) {
        if (std::fabs(c) < std::fabs(d)) {
            const double ratio = c / d;
            if (std::fabs(ratio) > std::numeric_limits<double>::min()) {
                const double denom = c * ratio + d;
                return {(a * ratio + b) / denom, (b * ratio - a) / denom};
            }
        } else {
            const double ratio = d / c;
            if (std::fabs(ratio) > std::numeric_limits<double>::min()) {
                const double denom = d * ratio + c;
                return {(b * ratio + a) / denom, (b - a * ratio) / denom};
            }
        }
    }
    return std::complex<double>(a, b) / std::complex<double>(c, d);
}

inline double magnitude(double x, double y)
{
    constexpr double Large = 0x1p+511;
    constexpr double Tiny = 0x1p-459;
    constexpr double Eps = 0x1p-54;
    const double fx = std::fabs(x);
    const double fy = std::fabs(y);
    const double ax = fx < fy ? fy : fx;
    const double ay = fx < fy ? fx : fy;
    if (ax <= Large && ay >= Tiny && ay > ax * Eps) {
        const double h = std::sqrt(ax * ax + ay * ay);
        double t1;
        double t2;
        if (h <= 2.0 * ay) {
            const double delta = h - ay;
            t1 = ax * (2.0 * delta - ax);
            t2 = (delta - 2.0 * (ax - ay)) * delta;
        } else {
            const double delta = h - ax;
            t1 = 2.0 * delta * (ax - 2.0 * ay);
            t2 = (4.0 * delta - ay) * ay + delta * delta;
        }
        return h - (t1 + t2) / (2.0 * h);
    }
    return std::abs(std::complex<double>(x, y));
}
} // namespace detail

// A complex impedance R + jX in ohm. Products and quotients give exactly
// what std::complex gives, so that they keep the Annex G rules: an infinite
// operand gives an infinite result, and a non-zero value over 0 + j0 is
// infinite.
struct Impedance {
    double R = 0.0;
    double X = 0.0;

    constexpr Impedance() = default;
    constexpr Impedance(double r, double x) : R(r), X(x) {}

    std::complex<double> toComplex() const { return {R, X}; }
    static Impedance fromComplex(const std::complex<double> &z) { return {z.real(), z.imag()}; }

    double abs() const { return detail::magnitude(R, X); }
    constexpr Impedance conj() const { return {R, -X}; }
};

constexpr Impedance operator+(const Impedance &a, const Impedance &b)
{
    return {a.R + b.R, a.X + b.X};
}
constexpr Impedance operator-(const Impedance &a, const Impedance &b)
{
    return {a.R - b.R, a.X - b.X};
}
inline Impedance operator*(const Impedance &a, const Impedance &b)
{
    return Impedance::fromComplex(a.toComplex() * b.toComplex());
}
inline Impedance operator/(const Impedance &a, const Impedance &b)
{
    return Impedance::fromComplex(detail::divide(a.R, a.X, b.R, b.X));
}
// A NaN part always counts as a difference.
constexpr bool operator!=(const Impedance &a, const Impedance &b)
{
    return a.R != b.R || a.X != b.X;
}
constexpr bool operator==(const Impedance &a, const Impedance &b)
{
    return !(a != b);
}

inline constexpr Impedance Z0{50.0, 0.0};
inline constexpr double Infinity = std::numeric_limits<double>::infinity();
inline constexpr double TwoPi = 6.283185307179586;
inline constexpr double SpeedOfLight = 299792458.0; // m/s

namespace detail
{
// |z| > largest finite double, as the hypotenuse says it, without paying
// for the hypotenuse in the common case of two moderate parts.
inline bool isOpen(const Impedance &z)
{
    const double r = std::fabs(z.R);
    const double x = std::fabs(z.X);
    if (r < 1e307 && x < 1e307)
        return false;
    return z.abs() > std::numeric_limits<double>::max();
}
} // namespace detail

// Two impedances in parallel; an infinite impedance is an open circuit and
// drops out. When both are infinite the second one is returned.
inline Impedance parallel(const Impedance &a, const Impedance &b)
{
    if (detail::isOpen(a))
        return b;
    if (detail::isOpen(b))
        return a;
    return (a * b) / (a + b);
}

// --- Component banks -------------------------------------------------------

namespace detail
{
// Component values per bit; L in hundredths of a microhenry so that every
// step is an exact integer sum, divided once into the nearest double.
inline constexpr int LWeights[8] = {8, 17, 35, 72, 148, 304, 624, 1278};
inline constexpr int CWeights[8] = {15, 31, 60, 120, 235, 500, 1000, 2000};

constexpr int bankSum(const int (&weights)[8], int step)
{
    int sum = 0;
    for (int k = 0; k < 8; ++k)
        if (step & (1 << k))
            sum += weights[k];
    return sum;
}
constexpr std::array<double, 256> makeLTable()
{
    std::array<double, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = bankSum(LWeights, i) / 100.0;
    return t;
}
constexpr std::array<double, 256> makeCTable()
{
    std::array<double, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = bankSum(CWeights, i);
    return t;
}
} // namespace detail

inline constexpr int TableSize = 256;
// Inductance per step, µH.
inline constexpr std::array<double, TableSize> LTable = detail::makeLTable();
// Capacitance per step, pF.
inline constexpr std::array<double, TableSize> CTable = detail::makeCTable();

// --- Network formulas (f in Hz, L in H, C in F) ------------------------------

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
inline Impedance zInCAntennaReactances(double xl, double xc, const Impedance &load)
{
    const Impedance p = parallel(load, Impedance(0.0, xc));
    return {p.R, p.X + xl};
}
inline Impedance zInCTrxReactances(double xl, double xc, const Impedance &load)
{
    return parallel(load + Impedance(0.0, xl), Impedance(0.0, xc));
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

// Negative for an active load (|Γ| > 1); NaN for NaN input.
inline double computeSWR(const Impedance &z0, const Impedance &z)
{
    const double g = ((z - z0) / (z + z0)).abs();
    if (1.0 - g == 0.0)
        return Infinity;
    return (1.0 + g) / (1.0 - g);
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

// The impedance at the far end of a lossless line of characteristic
// impedance zc whose near end shows zNear (f in Hz, length in m).
Impedance zAntennaThroughCable(double f, double length, double velocityFactor, const Impedance &zc,
                               const Impedance &zNear);

// --- The calculator ---------------------------------------------------------

class Calculator : public QObject
{
    Q_OBJECT

public:
    enum NetType : int { CAntenna = 0, CTrx = 1 };
    Q_ENUM(NetType)

    explicit Calculator(QObject *parent = nullptr);
    ~Calculator() override;

    // A parentless copy of every field; it shares no receivers.
    Calculator *clone() const;

    void setFrequency(double kHz);
    void setCapacitance(double pF);
    void setInductance(double uH);
    void setLoadImpedance(const LCNet::Impedance &z);
    void setNetType(LCNet::Calculator::NetType n);

    Impedance inputImpedance() const;
    double currentSWR() const;
    void calculate(Impedance &zIn, double &swr) const;
    Impedance matchedZLoad() const;
    Impedance antennaImpedance(double cableLength) const;

    int bruteForceSearch();
    int smartTuneSearch();
    bool mismatchSearch(double targetSWR, Impedance *result);

    // Operating point
    Impedance loadImpedance;
    double frequency = 0.0;   // kHz
    double inductance = 0.0;  // µH
    double capacitance = 0.0; // pF
    NetType netType = CAntenna;

    // Settings
    double lowSWR = 0.0;
    double mediumSWR = 0.0;
    double highSWR = 0.0;
    bool bruteForce = false;
    bool smartTune = false;
    double impedanceStep = 0.0; // ohm
    int numberOfRings = 0;
    double epsilonSWR = 0.0;
    double defaultCableLength = 0.0; // m
    double velocityFactor = 0.0;

signals:
    void dataChanged(LCNet::Calculator *calc);
    void foundMatch(LCNet::Calculator::NetType n, double l, double c, LCNet::Impedance zIn,
                    double swr, int iteration);
    void progressMismatch(int currentIteration, int maxIterations, bool &abort);

public slots:
    void clear();
};

// Input impedance of either configuration (any non-zero type is CTrx).
inline Impedance networkInput(Calculator::NetType n, double f, double l, double c,
                              const Impedance &load)
{
    return n != Calculator::CAntenna ? zInCTrx(f, l, c, load) : zInCAntenna(f, l, c, load);
}

} // namespace LCNet

Q_DECLARE_METATYPE(LCNet::Impedance)

#include "format.h"
#include "loadfile.h"
#include "settings.h"

#endif // LCNET_H
