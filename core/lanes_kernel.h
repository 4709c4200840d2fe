// Body of one instruction-set variant of the lane evaluations; lanes.h
// includes it once per variant inside its own namespace, with
// LCNET_LANES_WIDTH, LCNET_LANES_SQRT and LCNET_LANES_BITS defined.
// No include guard on purpose.

constexpr int Width = LCNET_LANES_WIDTH;
typedef double V __attribute__((vector_size(8 * Width)));
typedef std::int64_t M __attribute__((vector_size(8 * Width)));

inline V splat(double x)
{
    V v;
    for (int k = 0; k < Width; ++k)
        v[k] = x;
    return v;
}

inline V load(const double *p)
{
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void store(double *p, V v)
{
    std::memcpy(p, &v, sizeof v);
}

// One bit per lane, lane 0 in bit 0.
inline unsigned bits(M m)
{
    return static_cast<unsigned>(LCNET_LANES_BITS(m));
}

constexpr unsigned AllLanes = (1u << Width) - 1;

inline V vabs(V v)
{
    return reinterpret_cast<V>(reinterpret_cast<M>(v) & INT64_MAX);
}

inline M tame(V v)
{
    const V a = vabs(v);
    return (a == 0.0) | ((a >= 0x1p-200) & (a <= 0x1p200));
}

// detail::divide: both branches computed, the taken one selected.
LCNET_LANES_INLINE void divide(V a, V b, V c, V d, V &x, V &y, M &ok)
{
    const M lt = vabs(c) < vabs(d);
    const V num = lt ? c : d;
    const V den = lt ? d : c;
    const V p = lt ? a : b;
    const V q = lt ? b : a;
    const V ratio = num / den;
    const V denom = num * ratio + den;
    const V t = q * ratio;
    x = (p * ratio + q) / denom;
    y = (lt ? t - p : p - t) / denom;
    ok = tame(a) & tame(b) & tame(c) & tame(d) & (vabs(ratio) > std::numeric_limits<double>::min());
}

// detail::magnitude, likewise.
LCNET_LANES_INLINE V magnitude(V x, V y, M &ok)
{
    const V fx = vabs(x);
    const V fy = vabs(y);
    const M swap = fx < fy;
    const V ax = swap ? fy : fx;
    const V ay = swap ? fx : fy;
    ok = (ax <= 0x1p+511) & (ay >= 0x1p-459) & (ay > ax * 0x1p-54);
    const V h = LCNET_LANES_SQRT(ax * ax + ay * ay);
    const M near = h <= 2.0 * ay;
    const V da = h - ay;
    const V t1a = ax * (2.0 * da - ax);
    const V t2a = (da - 2.0 * (ax - ay)) * da;
    const V db = h - ax;
    const V t1b = 2.0 * db * (ax - 2.0 * ay);
    const V t2b = (4.0 * db - ay) * ay + db * db;
    return h - ((near ? t1a : t1b) + (near ? t2a : t2b)) / (2.0 * h);
}

// SWR against Z0 of loads r + jx behind the network with the reactances
// xl and xc and, when Lossy, the loss resistances rl and rc in series with
// them, as computeSWR(Z0, zIn) gives it. Without losses the operations are
// those of the lossless formulas (a zero resistance is never added). ok
// marks the lanes that need no scalar re-run.
template <bool Trx, bool Lossy> LCNET_LANES_INLINE V swr(V r, V x, V xl, V rl, V xc, V rc, M &ok)
{
    // Lossless, the capacitor's resistance is the literal 0.0 of 0 + j·xc.
    const V cr = Lossy ? rc : splat(0.0);
    // The arm across the capacitor: the load, or for CTrx the load in
    // series with the inductor.
    const V ar = Trx ? r + (Lossy ? rl : splat(0.0)) : r;
    const V ai = Trx ? x + xl : x;
    // arm ∥ capacitor as parallel() computes it; an open capacitor (an
    // infinite part) leaves the arm alone.
    V pr;
    V pi;
    M okParallel;
    divide(ar * cr - ai * xc, ar * xc + ai * cr, ar + cr, ai + xc, pr, pi, okParallel);
    M open = vabs(xc) > std::numeric_limits<double>::max();
    if (Lossy)
        open = open | (vabs(cr) > std::numeric_limits<double>::max());
    pr = open ? ar : pr;
    pi = open ? ai : pi;
    const V zr = Trx || !Lossy ? pr : pr + rl;
    const V zi = Trx ? pi : pi + xl;
    // Γ = (z - Z0) / (z + Z0), SWR = (1 + |Γ|) / (1 - |Γ|).
    V gr;
    V gi;
    M okGamma;
    divide(zr - Z0.R, zi - Z0.X, zr + Z0.R, zi + Z0.X, gr, gi, okGamma);
    M okMagnitude;
    const V g = magnitude(gr, gi, okMagnitude);
    const V below = 1.0 - g;
    ok = (open | okParallel) & okGamma & okMagnitude;
    const M total = (below == 0.0) | ((g > 1.0) & (g <= TotalReflectionLimit));
    return total ? splat(Infinity) : (1.0 + g) / below;
}

// SWR of one load behind n capacitor steps (reactances xc, resistances rc
// when Lossy) at one inductor step.
template <bool Trx, bool Lossy>
inline void swrOfCapacitors(const Impedance &z, double xl, double rl, const double *xc,
                            const double *rc, int n, double *out)
{
    const V r = splat(z.R);
    const V x = splat(z.X);
    const V l = splat(xl);
    const V lr = splat(rl);
    int j = 0;
    for (; j + Width <= n; j += Width) {
        M ok;
        store(out + j,
              swr<Trx, Lossy>(r, x, l, lr, load(xc + j), Lossy ? load(rc + j) : splat(0.0), ok));
        if (bits(ok) != AllLanes)
            for (int k = 0; k < Width; ++k)
                if (!ok[k])
                    out[j + k] =
                        swrScalar<Trx, Lossy>(z.R, z.X, xl, rl, xc[j + k], Lossy ? rc[j + k] : 0.0);
    }
    for (; j < n; ++j)
        out[j] = swrScalar<Trx, Lossy>(z.R, z.X, xl, rl, xc[j], Lossy ? rc[j] : 0.0);
}

// |Γ|² of one load behind n capacitor steps by the plain complex formulas,
// with one division for the network and one for Γ: several times cheaper
// than the exact evaluation and, for tame values, within 1e-12 of its |Γ|.
// A lane whose values leave that range (an overflow, a NaN) is written as
// NaN; the caller evaluates it exactly.
template <bool Trx, bool Lossy>
inline void gammaSquaredOfCapacitors(const Impedance &z, double xl, double rl, const double *xc,
                                     const double *rc, int n, double *out)
{
    const V r = splat(z.R);
    const V x = splat(z.X);
    const V l = splat(xl);
    const V lr = splat(Lossy ? rl : 0.0);
    const V ar = Trx ? r + lr : r;
    const V ai = Trx ? x + l : x;
    const V nan = splat(std::numeric_limits<double>::quiet_NaN());
    const V huge = splat(0x1p200);
    int j = 0;
    for (; j + Width <= n; j += Width) {
        const V c = load(xc + j);
        const V cr = Lossy ? load(rc + j) : splat(0.0);
        const V nr = ar * cr - ai * c;
        const V ni = ar * c + ai * cr;
        const V dr = ar + cr;
        const V di = ai + c;
        const V inv = 1.0 / (dr * dr + di * di);
        // An open capacitor (C = 0) leaves the arm alone, as parallel() does.
        const M open = (vabs(c) > std::numeric_limits<double>::max()) |
                       (vabs(cr) > std::numeric_limits<double>::max());
        const V pr = open ? ar : (nr * dr + ni * di) * inv;
        const V pi = open ? ai : (ni * dr - nr * di) * inv;
        const V zr = Trx ? pr : pr + lr;
        const V zi = Trx ? pi : pi + l;
        const V mr = zr - Z0.R;
        const V pr2 = zr + Z0.R;
        const V g2 = (mr * mr + zi * zi) / (pr2 * pr2 + zi * zi);
        // Values far from ordinary impedances lose the error bound.
        const M tame = (open | ((vabs(c) < huge) & (vabs(cr) < huge))) & (vabs(ar) < huge) &
                       (vabs(ai) < huge) & (vabs(zr) < huge) & (vabs(zi) < huge) & (g2 == g2);
        store(out + j, tame ? g2 : nan);
    }
    for (; j < n; ++j)
        out[j] = std::numeric_limits<double>::quiet_NaN();
}

// SWR of n loads behind one setting.
template <bool Trx, bool Lossy>
inline void swrOfLoads(double xl, double rl, double xc, double rc, const double *rs,
                       const double *xs, int n, double *out)
{
    const V l = splat(xl);
    const V lr = splat(rl);
    const V c = splat(xc);
    const V cr = splat(rc);
    int j = 0;
    for (; j + Width <= n; j += Width) {
        M ok;
        store(out + j, swr<Trx, Lossy>(load(rs + j), load(xs + j), l, lr, c, cr, ok));
        if (bits(ok) != AllLanes)
            for (int k = 0; k < Width; ++k)
                if (!ok[k])
                    out[j + k] = swrScalar<Trx, Lossy>(rs[j + k], xs[j + k], xl, rl, xc, rc);
    }
    for (; j < n; ++j)
        out[j] = swrScalar<Trx, Lossy>(rs[j], xs[j], xl, rl, xc, rc);
}

// Tests the points of the mismatched-load walk a few at a time, in walking
// order, so that the first accepted point is the one the walk reaches first.
template <bool Trx, bool Lossy> class RingTester
{
public:
    RingTester(double xl, double rl, double xc, double rc, double target, double epsilon)
        : xl(xl), rl(rl), xc(xc), rc(rc), l(splat(xl)), lr(splat(rl)), c(splat(xc)), cr(splat(rc)),
          t(splat(target)), e(splat(epsilon)), target(target), epsilon(epsilon)
    {
    }

    // Queues a point; true once a queued point has been accepted (see hit).
    bool add(double r, double x)
    {
        rs[count] = r;
        xs[count] = x;
        return ++count == Batch && flush();
    }

    // Tests the queued points; true when one of them is accepted.
    bool flush()
    {
        const int n = count;
        count = 0;
        if (n == 0)
            return false;
        for (int k = n; k < Batch; ++k) {
            rs[k] = rs[n - 1];
            xs[k] = xs[n - 1];
        }
        unsigned okBits[Groups];
        unsigned acceptedBits[Groups];
        bool any = false;
        for (int g = 0; g < Groups; ++g) {
            M ok;
            const V s =
                swr<Trx, Lossy>(load(rs + g * Width), load(xs + g * Width), l, lr, c, cr, ok);
            okBits[g] = bits(ok);
            acceptedBits[g] = bits(vabs(s - t) < e);
            any = any || okBits[g] != AllLanes || acceptedBits[g] != 0;
        }
        if (!any)
            return false;
        for (int k = 0; k < n; ++k) {
            const unsigned lane = 1u << (k % Width);
            bool accepted = (acceptedBits[k / Width] & lane) != 0;
            if (!(okBits[k / Width] & lane))
                accepted = std::fabs(swrScalar<Trx, Lossy>(rs[k], xs[k], xl, rl, xc, rc) - target) <
                           epsilon;
            if (accepted) {
                hit = Impedance(rs[k], xs[k]);
                return true;
            }
        }
        return false;
    }

    Impedance hit;

private:
    static constexpr int Groups = 32 / Width;
    static constexpr int Batch = Groups * Width;
    const double xl;
    const double rl;
    const double xc;
    const double rc;
    const V l;
    const V lr;
    const V c;
    const V cr;
    const V t;
    const V e;
    const double target;
    const double epsilon;
    double rs[Batch];
    double xs[Batch];
    int count = 0;
};

// Walks ring k around (r0, x0): the top side left to right, the right side
// down, the bottom side right to left, the left side up. Each side tests
// its first point before it compares the running coordinate with its
// bound. A running coordinate that adding the step no longer moves makes
// the ring Stuck.
template <bool Trx, bool Lossy>
inline Ring walkRing(double r0, double x0, double step, int k, const Parts &parts, double target,
                     double epsilon, Impedance &hit)
{
    const double d = step * k;
    const double rlo = r0 - d;
    const double rhi = r0 + d;
    const double xlo = x0 - d;
    const double xhi = x0 + d;
    // Corners that do not move off the centre would test the centre, and
    // sides that cannot start would never end.
    if (rlo == r0 || rhi == r0 || xlo == x0 || xhi == x0 || rlo + step == rlo ||
        rhi - step == rhi || xhi - step == xhi || xlo + step == xlo)
        return Ring::Stuck;

    RingTester<Trx, Lossy> tester(parts.xl, parts.rl, parts.xc, parts.rc, target, epsilon);
    auto accept = [&] {
        hit = tester.hit;
        return Ring::Hit;
    };

    double r = rlo;
    do {
        if (tester.add(r, xhi))
            return accept();
        const double next = r + step;
        if (next == r)
            return tester.flush() ? accept() : Ring::Stuck;
        r = next;
    } while (r <= rhi);

    double x = xhi - step;
    do {
        if (tester.add(rhi, x))
            return accept();
        const double next = x - step;
        if (next == x)
            return tester.flush() ? accept() : Ring::Stuck;
        x = next;
    } while (x >= xlo);

    r = rhi - step;
    do {
        if (tester.add(r, xlo))
            return accept();
        const double next = r - step;
        if (next == r)
            return tester.flush() ? accept() : Ring::Stuck;
        r = next;
    } while (r >= rlo);

    x = xlo + step;
    do {
        if (tester.add(rlo, x))
            return accept();
        const double next = x + step;
        if (next == x)
            return tester.flush() ? accept() : Ring::Stuck;
        x = next;
    } while (x < xhi);

    return tester.flush() ? accept() : Ring::Clear;
}
