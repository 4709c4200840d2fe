// The complex impedance every part of the tuner passes around, its
// arithmetic and the parallel combination.
#ifndef LCNET_IMPEDANCE_H
#define LCNET_IMPEDANCE_H

#include <QMetaType>

#include <cmath>
#include <complex>
#include <limits>

// The network formulas run hundreds of millions of times in the searches;
// out of line, every impedance would travel through memory.
#define LCNET_ALWAYS_INLINE inline __attribute__((always_inline))

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

LCNET_ALWAYS_INLINE std::complex<double> divide(double a, double b, double c, double d)
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

LCNET_ALWAYS_INLINE double magnitude(double x, double y)
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

    LCNET_ALWAYS_INLINE double abs() const { return detail::magnitude(R, X); }
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
LCNET_ALWAYS_INLINE Impedance operator*(const Impedance &a, const Impedance &b)
{
    return Impedance::fromComplex(a.toComplex() * b.toComplex());
}
LCNET_ALWAYS_INLINE Impedance operator/(const Impedance &a, const Impedance &b)
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
LCNET_ALWAYS_INLINE bool isOpen(const Impedance &z)
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
LCNET_ALWAYS_INLINE Impedance parallel(const Impedance &a, const Impedance &b)
{
    if (detail::isOpen(a))
        return b;
    if (detail::isOpen(b))
        return a;
    return (a * b) / (a + b);
}

} // namespace LCNet

Q_DECLARE_METATYPE(LCNet::Impedance)

#endif // LCNET_IMPEDANCE_H
