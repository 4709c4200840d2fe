// Input impedance and SWR of several settings at once, for the searches.
// Every lane repeats, operation for operation, what zInCAntenna/zInCTrx and
// computeSWR compute for one setting; IEEE operations round each lane on
// its own, so each lane keeps every bit. A lane whose operands leave the
// plain path of the complex quotient or the magnitude is evaluated again
// with the scalar formulas.
//
// lanes_kernel.h is compiled once for the baseline instruction set
// (namespace base) and, on x86-64 with GCC, once more each for AVX2 and
// AVX-512 (namespaces avx2, avx512); the functions at the end pick the
// widest one that the processor runs.
#ifndef LCNET_LANES_H
#define LCNET_LANES_H

#include "lcnet.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#include <immintrin.h>
// AVX2 and AVX-512 variants, chosen at run time.
#define LCNET_LANES_WIDE 1
#endif

// The arithmetic helpers must melt into the loops that call them: out of
// line, every vector would travel through memory.
#define LCNET_LANES_INLINE inline __attribute__((always_inline))

namespace LCNet::lanes
{

// How the walk around one ring of the mismatched-load search ended.
enum class Ring { Clear, Hit, Stuck };

using Parts = NetworkParts;

template <bool Trx, bool Lossy>
LCNET_ALWAYS_INLINE Impedance zIn(double xl, double rl, double xc, double rc, const Impedance &load)
{
    if (Lossy)
        return Trx ? detail::zInCTrxLossy(xl, rl, xc, rc, load)
                   : detail::zInCAntennaLossy(xl, rl, xc, rc, load);
    return Trx ? detail::zInCTrxReactances(xl, xc, load)
               : detail::zInCAntennaReactances(xl, xc, load);
}

template <bool Trx, bool Lossy>
inline double swrScalar(double r, double x, double xl, double rl, double xc, double rc)
{
    return computeSWR(Z0, zIn<Trx, Lossy>(xl, rl, xc, rc, Impedance(r, x)));
}

namespace base
{
#if defined(__SSE2__)
#define LCNET_LANES_WIDTH 2
#define LCNET_LANES_SQRT(v) _mm_sqrt_pd(v)
#define LCNET_LANES_BITS(m) _mm_movemask_pd(reinterpret_cast<__m128d>(m))
#else
#define LCNET_LANES_WIDTH 2
#define LCNET_LANES_SQRT(v) (V{std::sqrt((v)[0]), std::sqrt((v)[1])})
#define LCNET_LANES_BITS(m) (((m)[0] ? 1 : 0) | ((m)[1] ? 2 : 0))
#endif
#include "lanes_kernel.h"
#undef LCNET_LANES_WIDTH
#undef LCNET_LANES_SQRT
#undef LCNET_LANES_BITS
} // namespace base

#if LCNET_LANES_WIDE
#pragma GCC push_options
#pragma GCC target("avx2")
namespace avx2
{
#define LCNET_LANES_WIDTH 4
#define LCNET_LANES_SQRT(v) _mm256_sqrt_pd(v)
#define LCNET_LANES_BITS(m) _mm256_movemask_pd(reinterpret_cast<__m256d>(m))
#include "lanes_kernel.h"
#undef LCNET_LANES_WIDTH
#undef LCNET_LANES_SQRT
#undef LCNET_LANES_BITS
} // namespace avx2
#pragma GCC pop_options

#pragma GCC push_options
#pragma GCC target("avx512f")
namespace avx512
{
#define LCNET_LANES_WIDTH 8
#define LCNET_LANES_SQRT(v) _mm512_mask_sqrt_pd(v, 0xff, v)
#define LCNET_LANES_BITS(m)                                                                        \
    _mm512_test_epi64_mask(reinterpret_cast<__m512i>(m), reinterpret_cast<__m512i>(m))
#include "lanes_kernel.h"
#undef LCNET_LANES_WIDTH
#undef LCNET_LANES_SQRT
#undef LCNET_LANES_BITS
} // namespace avx512
#pragma GCC pop_options

inline bool haveAvx512()
{
    static const bool yes = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512f") != 0;
    }();
    return yes;
}

inline bool haveAvx2()
{
    static const bool yes = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return yes;
}
#else
inline bool haveAvx512()
{
    return false;
}

inline bool haveAvx2()
{
    return false;
}
#endif

// The widest variant that the processor runs.
inline const char *variantName()
{
    return haveAvx512() ? "avx512" : haveAvx2() ? "avx2" : "base";
}

#if LCNET_LANES_WIDE
#define LCNET_LANES_DISPATCH(...)                                                                  \
    do {                                                                                           \
        if (haveAvx512())                                                                          \
            return avx512::__VA_ARGS__;                                                            \
        if (haveAvx2())                                                                            \
            return avx2::__VA_ARGS__;                                                              \
        return base::__VA_ARGS__;                                                                  \
    } while (false)
#else
#define LCNET_LANES_DISPATCH(...) return base::__VA_ARGS__
#endif

// SWR of one load behind n capacitor steps at one inductor step; rc may be
// null without losses.
template <bool Trx, bool Lossy>
inline void swrOfCapacitors(const Impedance &load, double xl, double rl, const double *xc,
                            const double *rc, int n, double *out)
{
    LCNET_LANES_DISPATCH(swrOfCapacitors<Trx, Lossy>(load, xl, rl, xc, rc, n, out));
}

// |Γ|² of one load behind n capacitor steps, approximately (see the kernel).
template <bool Trx, bool Lossy>
inline void gammaSquaredOfCapacitors(const Impedance &load, double xl, double rl, const double *xc,
                                     const double *rc, int n, double *out)
{
    LCNET_LANES_DISPATCH(gammaSquaredOfCapacitors<Trx, Lossy>(load, xl, rl, xc, rc, n, out));
}

// SWR of n loads behind one setting.
template <bool Trx, bool Lossy>
inline void swrOfLoads(const Parts &parts, const double *r, const double *x, int n, double *out)
{
    LCNET_LANES_DISPATCH(
        swrOfLoads<Trx, Lossy>(parts.xl, parts.rl, parts.xc, parts.rc, r, x, n, out));
}

template <bool Trx, bool Lossy>
inline Ring walkRing(double r0, double x0, double step, int k, const Parts &parts, double target,
                     double epsilon, Impedance &hit)
{
    LCNET_LANES_DISPATCH(walkRing<Trx, Lossy>(r0, x0, step, k, parts, target, epsilon, hit));
}

#undef LCNET_LANES_DISPATCH

} // namespace LCNet::lanes

#endif // LCNET_LANES_H
