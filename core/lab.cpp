#include "lab.h"

#include "lanes.h"
#include "loadfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QSaveFile>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>

namespace LCNet
{

namespace
{

QString tr(const char *text)
{
    return QCoreApplication::translate("LCNet::Lab", text);
}

// ---------------------------------------------------------------- corpus

// Natural logarithm and exponential from + - * / alone (frexp, ldexp and
// floor are exact), so that a corpus has the same bits wherever the maths
// library rounds differently. Accurate to a few units in the last place.
constexpr double Ln2 = 0.6931471805599453;

double portableLog(double x)
{
    int e = 0;
    double m = std::frexp(x, &e);
    if (m < 0.7071067811865476) {
        m *= 2.0;
        --e;
    }
    // ln m = 2 atanh(s), |s| <= 0.172: 21 odd terms reach below 1e-33.
    const double s = (m - 1.0) / (m + 1.0);
    const double s2 = s * s;
    double term = s;
    double sum = 0.0;
    for (int k = 1; k <= 41; k += 2) {
        sum += term / k;
        term *= s2;
    }
    return 2.0 * sum + e * Ln2;
}

double portableExp(double y)
{
    const double k = std::floor(y / Ln2 + 0.5);
    const double r = y - k * Ln2; // |r| <= 0.35: 20 terms reach below 1e-27
    double term = 1.0;
    double sum = 1.0;
    for (int n = 1; n <= 20; ++n) {
        term *= r / n;
        sum += term;
    }
    return std::ldexp(sum, int(k));
}

// The first line that is not blank, without a byte order mark.
QByteArray firstLine(const QByteArray &text)
{
    qsizetype begin = text.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (begin < text.size()) {
        qsizetype end = text.indexOf('\n', begin);
        if (end < 0)
            end = text.size();
        const QByteArray line = text.mid(begin, end - begin).trimmed();
        if (!line.isEmpty())
            return line;
        begin = end + 1;
    }
    return QByteArray();
}

const char *const LabColumns[3] = {"frequency_khz", "r", "x"};

bool isLabHeader(const QByteArray &line)
{
    const QList<QByteArray> fields = line.split(',');
    if (fields.size() != 3)
        return false;
    for (int k = 0; k < 3; ++k)
        if (fields[k].trimmed().toLower() != LabColumns[k])
            return false;
    return true;
}

// ---------------------------------------------------------------- readings

// A negative SWR belongs to an active load: never a match, never a best.
inline double comparable(double swr)
{
    return swr < 0.0 ? Infinity : swr;
}

template <bool Trx, bool Lossy> double swrOf(const NetworkParts &p, const Impedance &load)
{
    return comparable(computeSWR(Z0, lanes::zIn<Trx, Lossy>(p.xl, p.rl, p.xc, p.rc, load)));
}

double swrOf(bool trx, const NetworkParts &p, const Impedance &load)
{
    if (trx)
        return p.lossy ? swrOf<true, true>(p, load) : swrOf<true, false>(p, load);
    return p.lossy ? swrOf<false, true>(p, load) : swrOf<false, false>(p, load);
}

// The parts of one inductor step and one capacitor step, computed as the
// searches compute them, so that every reading has the bits of theirs.
NetworkParts partsOf(const TuneProblem &p, int l, int c)
{
    NetworkParts parts = networkParts(p.frequency, 1e-6 * p.inductors[l], 0.0, p.components);
    const NetworkParts cap = networkParts(p.frequency, 0.0, 1e-12 * p.capacitors[c], p.components);
    parts.xc = cap.xc;
    parts.rc = cap.rc;
    return parts;
}

// The SWR of a setting as a search compares it; infinite for "no setting".
double settingSWR(const TuneProblem &p, Calculator::NetType type, int l, int c)
{
    if (l < 0 || c < 0 || l >= p.inductors.size() || c >= p.capacitors.size())
        return Infinity;
    return swrOf(type != Calculator::CAntenna, partsOf(p, l, c), p.load);
}

// The tuner as its firmware sees it: read() switches the relays to a
// setting and measures its SWR, which is one reading. It keeps the best
// setting read, which is where a search that finds no match ends.
class Tuner
{
public:
    explicit Tuner(const TuneProblem &problem) : p(problem) {}

    int inductorSteps() const { return p.inductors.size(); }
    int capacitorSteps() const { return p.capacitors.size(); }

    double read(Calculator::NetType type, int l, int c)
    {
        ++best.readings;
        const double s = swrOf(type != Calculator::CAntenna, partsOf(p, l, c), p.load);
        if (s < best.swr) {
            best.swr = s;
            best.type = type;
            best.l = l;
            best.c = c;
        }
        return s;
    }

    bool matched() const { return best.swr < p.lowSWR; }

    LabOutcome outcome() const
    {
        LabOutcome o = best;
        o.matched = matched();
        return o;
    }

private:
    const TuneProblem &p;
    LabOutcome best;
};

// A step of a line of settings and its SWR.
struct Point {
    int step = 0;
    double swr = Infinity;
};

// The readings along one line, kept so that a search never reads one of
// its steps twice. A line search touches a few dozen steps at most.
template <typename Read> class Line
{
public:
    explicit Line(Read &read) : read(read) {}

    double operator()(int step)
    {
        for (int k = 0; k < count; ++k)
            if (known[size_t(k)].step == step)
                return known[size_t(k)].swr;
        const double s = read(step);
        if (count < int(known.size()))
            known[size_t(count++)] = {step, s};
        return s;
    }

private:
    Read &read;
    std::array<Point, 128> known;
    int count = 0;
};

// The lowest step of [lo, hi] along a line whose SWR falls to one minimum
// and rises again: Fibonacci search (golden section on whole steps, each
// step read once) down to four steps, then each of them. Steps past hi
// count as infinite and are not read.
template <typename F> Point fibonacciSearch(int lo, int hi, F &f, const Tuner &tuner)
{
    static constexpr int Fib[] = {1,   1,   2,   3,   5,   8,    13,   21,   34,   55,   89,
                                  144, 233, 377, 610, 987, 1597, 2584, 4181, 6765, 10946};
    auto at = [&](int k) { return k > hi ? Infinity : f(k); };
    int k = 0;
    while (Fib[k] < hi - lo)
        ++k;
    int a = lo;
    if (Fib[k] > 3) {
        // [a, a + Fib[k]] with the points a + Fib[k - 2] and a + Fib[k - 1].
        int x1 = a + Fib[k - 2];
        int x2 = a + Fib[k - 1];
        double f1 = at(x1);
        if (tuner.matched())
            return {x1, f1};
        double f2 = at(x2);
        if (tuner.matched())
            return {x2, f2};
        for (;;) {
            if (f1 <= f2) {
                if (Fib[--k] <= 3)
                    break;
                x2 = x1;
                f2 = f1;
                x1 = a + Fib[k - 2];
                f1 = at(x1);
                if (tuner.matched())
                    return {x1, f1};
            } else { // also when f1 is NaN
                a = x1;
                if (Fib[--k] <= 3)
                    break;
                x1 = x2;
                f1 = f2;
                x2 = a + Fib[k - 1];
                f2 = at(x2);
                if (tuner.matched())
                    return {x2, f2};
            }
        }
    }
    Point best{a, f(a)};
    for (int s = a + 1; s <= std::min(a + Fib[k], hi) && !tuner.matched(); ++s) {
        const double v = f(s);
        if (v < best.swr || tuner.matched())
            best = {s, v};
    }
    return best;
}

// The minimum of such a line from a guess: the guess and its neighbours,
// then downhill with doubling strides until the SWR rises, then Fibonacci
// search over the last bracket.
template <typename F> Point lineMinimum(int steps, int start, F &f, const Tuner &tuner)
{
    const Point here{start, f(start)};
    if (tuner.matched())
        return here;
    Point next;
    int dir = 0;
    if (start + 1 < steps) {
        next = {start + 1, f(start + 1)};
        if (tuner.matched())
            return next;
        if (next.swr < here.swr)
            dir = 1;
    }
    if (dir == 0 && start > 0) {
        next = {start - 1, f(start - 1)};
        if (tuner.matched())
            return next;
        if (next.swr < here.swr)
            dir = -1;
    }
    if (dir == 0)
        return here;
    int behind = start;
    for (int stride = 2;; stride *= 2) {
        const int k = std::clamp(next.step + dir * stride, 0, steps - 1);
        // Past the bank's end, or rising again: the minimum lies between.
        if (k == next.step)
            return fibonacciSearch(std::min(behind, k), std::max(behind, k), f, tuner);
        const double s = f(k);
        if (tuner.matched())
            return {k, s};
        if (!(s < next.swr))
            return fibonacciSearch(std::min(behind, k), std::max(behind, k), f, tuner);
        behind = next.step;
        next = {k, s};
    }
}

// The last readings of a search, kept so that it does not read them again.
class Recent
{
public:
    explicit Recent(Tuner &tuner) : tuner(tuner) {}

    double read(Calculator::NetType type, int l, int c)
    {
        for (const Entry &e : entries)
            if (e.l == l && e.c == c && e.type == type)
                return e.swr;
        const double s = tuner.read(type, l, c);
        entries[size_t(next)] = {type, l, c, s};
        next = (next + 1) % int(entries.size());
        return s;
    }

private:
    struct Entry {
        Calculator::NetType type = Calculator::CAntenna;
        int l = -1;
        int c = -1;
        double swr = Infinity;
    };
    Tuner &tuner;
    std::array<Entry, 64> entries;
    int next = 0;
};

// ---------------------------------------------------------------- searches

LabOutcome outcomeOf(const TuneResult &r, int readings)
{
    LabOutcome o;
    o.readings = readings;
    o.type = r.type;
    o.l = r.l;
    o.c = r.c;
    o.swr = r.swr;
    o.matched = r.matched;
    return o;
}

LabOutcome bruteForce(const TuneProblem &problem)
{
    // The lab runs loads side by side; one load takes one core.
    const TuneResult r = bruteForceSearch(problem, nullptr, false);
    return outcomeOf(r, r.evaluations);
}

LabOutcome smartTune(const TuneProblem &problem)
{
    const TuneResult r = smartTuneSearch(problem);
    return outcomeOf(r, r.evaluations + r.probes);
}

LabOutcome valleySearch(const TuneProblem &problem)
{
    Tuner tuner(problem);
    for (const Calculator::NetType type : {Calculator::CAntenna, Calculator::CTrx}) {
        // The bank next to the load sets the resistance the transmitter
        // sees (C across the load, or L in series with it); the other one
        // cancels the reactance that is left.
        const bool trx = type == Calculator::CTrx;
        const int outerSteps = trx ? tuner.inductorSteps() : tuner.capacitorSteps();
        const int innerSteps = trx ? tuner.capacitorSteps() : tuner.inductorSteps();
        int start = 0;
        auto lineBest = [&](int outer) {
            auto read = [&](int inner) {
                return trx ? tuner.read(type, outer, inner) : tuner.read(type, inner, outer);
            };
            Line<decltype(read)> line(read);
            const Point best = lineMinimum(innerSteps, start, line, tuner);
            start = best.step;
            return best.swr;
        };
        Line<decltype(lineBest)> valley(lineBest);
        fibonacciSearch(0, outerSteps - 1, valley, tuner);
        if (tuner.matched())
            break;
    }
    return tuner.outcome();
}

void descend(Recent &recent, const Tuner &tuner, Calculator::NetType type, int l, int c, double swr,
             int nL, int nC)
{
    for (int d = 4; d >= 1 && !tuner.matched();) {
        int bestL = l;
        int bestC = c;
        double best = swr;
        for (int dl = -1; dl <= 1; ++dl) {
            for (int dc = -1; dc <= 1; ++dc) {
                const int i = std::clamp(l + dl * d, 0, nL - 1);
                const int j = std::clamp(c + dc * d, 0, nC - 1);
                if (i == l && j == c)
                    continue;
                const double s = recent.read(type, i, j);
                if (tuner.matched())
                    return;
                if (s < best) {
                    best = s;
                    bestL = i;
                    bestC = j;
                }
            }
        }
        if (best < swr) {
            l = bestL;
            c = bestC;
            swr = best;
        } else {
            d /= 2;
        }
    }
}

LabOutcome relayByRelay(const TuneProblem &problem)
{
    Tuner tuner(problem);
    Recent recent(tuner);
    const int nL = tuner.inductorSteps();
    const int nC = tuner.capacitorSteps();
    struct Found {
        Calculator::NetType type;
        int l, c;
        double swr;
    } found[2];
    for (const Calculator::NetType type : {Calculator::CAntenna, Calculator::CTrx}) {
        int l = 0;
        int c = 0;
        double swr = recent.read(type, l, c);
        for (int bit = std::max(nL, nC) / 2; bit >= 1 && !tuner.matched(); bit /= 2) {
            const int tries[3][2] = {{l | bit, c}, {l, c | bit}, {l | bit, c | bit}};
            int bestL = l;
            int bestC = c;
            double best = swr;
            for (const auto &t : tries) {
                if (t[0] >= nL || t[1] >= nC || (t[0] == l && t[1] == c))
                    continue;
                const double s = recent.read(type, t[0], t[1]);
                if (tuner.matched())
                    break;
                if (s < best) {
                    best = s;
                    bestL = t[0];
                    bestC = t[1];
                }
            }
            l = bestL;
            c = bestC;
            swr = best;
        }
        if (tuner.matched())
            return tuner.outcome();
        found[type == Calculator::CTrx] = {type, l, c, swr};
    }
    if (found[1].swr < found[0].swr)
        std::swap(found[0], found[1]);
    for (const Found &f : found)
        descend(recent, tuner, f.type, f.l, f.c, f.swr, nL, nC);
    return tuner.outcome();
}

// ---------------------------------------------------------------- figures

QJsonValue jsonNumber(double v)
{
    if (std::isfinite(v))
        return v;
    return shortestText(v); // inf, -inf, nan
}

double median(std::vector<double> &v)
{
    if (v.empty())
        return qQNaN();
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

} // namespace

// ---------------------------------------------------------------- corpus

bool LabCorpusSpec::isValid(QString *why) const
{
    auto fail = [&](const QString &reason) {
        if (why)
            *why = reason;
        return false;
    };
    if (count < 1 || count > MaxLabLoads)
        return fail(tr("the number of loads must be from 1 to %1").arg(MaxLabLoads));
    if (!(maxSWR > 1.0) || !std::isfinite(maxSWR))
        return fail(tr("the maximum SWR must be a finite number above 1"));
    if (!(lowKHz > 0.0) || !std::isfinite(lowKHz) || !std::isfinite(highKHz))
        return fail(tr("a frequency must be a finite number above 0 kHz"));
    if (!(highKHz >= lowKHz))
        return fail(tr("the frequency range must go from the lower to the higher frequency"));
    if (!std::isfinite(highKHz / lowKHz))
        return fail(tr("the frequency range is too wide"));
    if (seed > MaxLabSeed)
        return fail(tr("a seed is a whole number from 0 to %1").arg(MaxLabSeed));
    return true;
}

std::vector<LabLoad> generateLabCorpus(const LabCorpusSpec &recipe)
{
    std::vector<LabLoad> loads;
    if (!recipe.isValid())
        return loads;
    std::mt19937_64 generator(recipe.seed);
    // 53 random bits, uniform over [0, 1).
    auto unit = [&] { return double(generator() >> 11) * 0x1p-53; };
    const double rho = (recipe.maxSWR - 1.0) / (recipe.maxSWR + 1.0);
    const bool range = recipe.highKHz > recipe.lowKHz;
    const double span = range ? portableLog(recipe.highKHz / recipe.lowKHz) : 0.0;
    loads.reserve(size_t(recipe.count));
    for (int k = 0; k < recipe.count; ++k) {
        // A point of the unit square inside the unit circle is uniform
        // over the disk; unlike a radius and an angle it needs no sine.
        double x;
        double y;
        do {
            x = 2.0 * unit() - 1.0;
            y = 2.0 * unit() - 1.0;
        } while (x * x + y * y >= 1.0);
        const double u = unit(); // drawn for one frequency too
        const double gx = rho * x;
        const double gy = rho * y;
        const Impedance q = Impedance(1.0 + gx, gy) / Impedance(1.0 - gx, -gy);
        LabLoad load;
        load.z = Impedance(Z0.R * q.R, Z0.R * q.X);
        load.frequencyKHz =
            range ? std::clamp(recipe.lowKHz * portableExp(u * span), recipe.lowKHz, recipe.highKHz)
                  : recipe.lowKHz;
        loads.push_back(load);
    }
    return loads;
}

quint64 newLabSeed()
{
    return QRandomGenerator::system()->generate64() & MaxLabSeed;
}

bool parseLabCorpusCsv(const QByteArray &text, const QString &fileName, std::vector<LabLoad> *loads,
                       QString *error)
{
    int number = 0;
    auto fail = [&](const QString &what) {
        if (error)
            *error = tr("%1:%2: %3").arg(fileName).arg(number).arg(what);
        return false;
    };
    const QString header = QStringLiteral("frequency_khz,r,x");
    std::vector<LabLoad> read;
    bool headerSeen = false;
    qsizetype begin = 0;
    while (begin < text.size()) {
        qsizetype end = text.indexOf('\n', begin);
        if (end < 0)
            end = text.size();
        QByteArray line = text.mid(begin, end - begin).trimmed();
        begin = end + 1;
        ++number;
        if (number == 1 && line.startsWith("\xEF\xBB\xBF"))
            line = line.mid(3).trimmed();
        if (line.isEmpty())
            continue;
        if (!headerSeen) {
            if (!isLabHeader(line))
                return fail(tr("the first line must be the header \"%1\"").arg(header));
            headerSeen = true;
            continue;
        }
        const QList<QByteArray> fields = line.split(',');
        if (fields.size() != 3)
            return fail(tr("expected 3 values (%1), found %2").arg(header).arg(fields.size()));
        double v[3];
        for (int k = 0; k < 3; ++k) {
            const QByteArray field = fields[k].trimmed();
            bool ok = false;
            v[k] = field.toDouble(&ok);
            const QString shown = QString::fromUtf8(field.left(40));
            if (!ok)
                return fail(
                    tr("%1 \"%2\" is not a number").arg(QLatin1String(LabColumns[k]), shown));
            if (!std::isfinite(v[k]))
                return fail(tr("%1 \"%2\" is not finite").arg(QLatin1String(LabColumns[k]), shown));
        }
        if (!(v[0] > 0.0))
            return fail(tr("the frequency must be above 0 kHz"));
        if (read.size() >= size_t(MaxLabLoads))
            return fail(tr("more than %1 loads").arg(MaxLabLoads));
        read.push_back({v[0], Impedance(v[1], v[2])});
    }
    if (!headerSeen) {
        number = 1;
        return fail(tr("the header \"%1\" is missing").arg(header));
    }
    if (read.empty())
        return fail(tr("no loads after the header"));
    *loads = std::move(read);
    return true;
}

bool readLabCorpus(const QString &path, std::vector<LabLoad> *loads, QString *error)
{
    auto fail = [&](const QString &what) {
        if (error)
            *error = what;
        return false;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(tr("%1: %2").arg(path, file.errorString()));
    // A million loads fit in 100 MB of text with room to spare.
    constexpr qint64 Limit = qint64(100) << 20;
    if (file.size() > Limit)
        return fail(tr("%1: larger than 100 MB").arg(path));
    const QByteArray text = file.read(Limit + 1);
    if (file.error() != QFileDevice::NoError)
        return fail(tr("%1: %2").arg(path, file.errorString()));
    if (isLabHeader(firstLine(text)))
        return parseLabCorpusCsv(text, path, loads, error);
    // Anything else is a load measured over frequency, read as the band
    // sweep reads it: Touchstone or a CSV sweep.
    QVector<LoadPoint> points;
    LoadFileError why;
    if (!parseLoadData(text, path, &points, &why))
        return fail(why.text());
    loads->clear();
    for (const LoadPoint &point : points)
        loads->push_back({point.frequencyKHz, point.z});
    return true;
}

// ---------------------------------------------------------------- searches

const std::vector<LabAlgorithm> &labAlgorithms()
{
    static const std::vector<LabAlgorithm> algorithms{
        {QStringLiteral("brute"), tr("Brute Force"),
         tr("Switches to every setting of both configurations (2 x inductor steps x capacitor "
            "steps readings) and keeps the one with the lowest SWR. It always finds the best "
            "setting; its result is the best SWR every other search is measured against."),
         bruteForce},
        {QStringLiteral("smart"), tr("Smart Tune"),
         tr("Walks up the inductor steps from the smallest, following the SWR downhill along "
            "the capacitor steps from where the previous inductor step ended; C-Antenna first, "
            "then C-TRX. It stops at the first new best below Low SWR. Readings: every step it "
            "counts and every neighbour it probes, except a probe at a bank's end, which would "
            "be the present setting."),
         smartTune},
        {QStringLiteral("valley"), tr("Valley Search"),
         tr("Firmware style. In each configuration the bank next to the load sets the "
            "resistance the transmitter sees (C across the load in C-Antenna, L in series "
            "with it in C-TRX) and the other bank cancels the reactance that is left. Along the "
            "cancelling bank the SWR falls to one minimum and rises again: each such line is "
            "searched from where the previous line's minimum lay, reading that step and its "
            "neighbours, then stepping downhill with doubling strides until the SWR rises, then "
            "narrowing the bracket by Fibonacci search (golden section in whole steps). Along "
            "the other bank the lines' minima are narrowed the same way, down to four steps "
            "that are all read. "
            "C-Antenna first, then C-TRX; it stops at the first reading below Low SWR, else it "
            "ends on the best setting it read. No setting of a line is read twice."),
         valleySearch},
        {QStringLiteral("relays"), tr("Relay by Relay"),
         tr("Firmware style, successive approximation. In each configuration it starts with "
            "every relay open and goes from the largest relay to the smallest: it closes the "
            "inductor relay, the capacitor relay and both (three readings) and keeps the best "
            "of the four settings. Then a local descent from the better configuration's result, "
            "then from the other's: it reads the eight neighbours 4 steps away, moves to the "
            "best one if it is better, else halves the distance, down to single steps. It stops "
            "at the first reading below Low SWR, else it ends on the best setting it read; it "
            "does not read any of its last 64 settings again. Few readings, but it can stop in "
            "a false minimum where the valley of low SWR runs across the steps."),
         relayByRelay},
    };
    return algorithms;
}

const LabAlgorithm *findLabAlgorithm(const QString &key)
{
    for (const LabAlgorithm &a : labAlgorithms())
        if (a.key == key)
            return &a;
    return nullptr;
}

QStringList labAlgorithmKeys()
{
    QStringList keys;
    for (const LabAlgorithm &a : labAlgorithms())
        keys << a.key;
    return keys;
}

LabResult runLab(const TuneProblem &base, const std::vector<LabLoad> &loads,
                 const QStringList &algorithms, LabControl *control)
{
    LabResult result;
    result.loads = loads;
    result.lowSWR = base.lowSWR;
    std::vector<const LabAlgorithm *> run;
    for (const QString &key : algorithms) {
        const LabAlgorithm *a = findLabAlgorithm(key);
        if (a && !result.algorithms.contains(key)) {
            run.push_back(a);
            result.algorithms << key;
        }
    }
    const int n = int(loads.size());
    const size_t m = run.size();
    result.bestSWR.assign(size_t(n), Infinity);
    result.outcomes.assign(size_t(n) * m, LabOutcome());
    std::atomic<bool> cancelled{false};
    parallelFor(n, 4, [&](int begin, int end) {
        for (int k = begin; k < end; ++k) {
            if (control && control->cancel.load(std::memory_order_relaxed)) {
                cancelled.store(true, std::memory_order_relaxed);
                return;
            }
            TuneProblem p = base;
            p.frequency = 1000.0 * loads[size_t(k)].frequencyKHz;
            p.load = loads[size_t(k)].z;
            const LabOutcome best = bruteForce(p);
            result.bestSWR[size_t(k)] = best.swr;
            for (size_t a = 0; a < m; ++a) {
                LabOutcome o = run[a]->run == bruteForce ? best : run[a]->run(p);
                o.swr = settingSWR(p, o.type, o.l, o.c);
                result.outcomes[size_t(k) * m + a] = o;
            }
            if (control)
                control->done.fetch_add(1, std::memory_order_relaxed);
        }
    });
    result.complete = !cancelled.load();
    return result;
}

// ---------------------------------------------------------------- figures

LabStatistics labStatistics(const LabResult &result, int algorithm, double settleTime)
{
    LabStatistics s;
    const int n = int(result.loads.size());
    if (algorithm < 0 || algorithm >= result.algorithms.size() || n == 0)
        return s;
    s.loads = n;
    std::vector<int> readings(static_cast<size_t>(n));
    std::vector<double> excess;
    double sum = 0.0;
    for (int k = 0; k < n; ++k) {
        const LabOutcome &o = result.outcome(k, algorithm);
        readings[size_t(k)] = o.readings;
        sum += o.readings;
        if (result.matchable(k)) {
            ++s.matchable;
            s.successes += result.success(k, algorithm);
        }
        const double best = result.bestSWR[size_t(k)];
        if (std::isfinite(best) && std::isfinite(o.swr))
            excess.push_back(o.swr - best);
    }
    if (s.matchable > 0)
        s.successRate = double(s.successes) / s.matchable;
    std::sort(readings.begin(), readings.end());
    s.readingsMean = sum / n;
    s.readingsMedian = n % 2 ? readings[size_t(n / 2)]
                             : (double(readings[size_t(n / 2 - 1)]) + readings[size_t(n / 2)]) / 2;
    // Nearest rank: the ceil(0.95 n)-th smallest.
    s.readingsP95 = readings[size_t((qint64(n) * 95 + 99) / 100 - 1)];
    s.readingsMax = readings.back();
    s.timeMean = s.readingsMean * settleTime;
    s.excessCount = int(excess.size());
    if (!excess.empty()) {
        double total = 0.0;
        for (double e : excess)
            total += e;
        s.excessMean = total / double(excess.size());
        s.excessMedian = median(excess);
    }
    return s;
}

QJsonObject labSummaryJson(const LabResult &result, double settleTime, const QJsonValue &seed)
{
    QJsonObject algorithms;
    for (int a = 0; a < result.algorithms.size(); ++a) {
        const LabStatistics s = labStatistics(result, a, settleTime);
        algorithms.insert(
            result.algorithms[a],
            QJsonObject{{QStringLiteral("success_rate"), jsonNumber(s.successRate)},
                        {QStringLiteral("readings_mean"), jsonNumber(s.readingsMean)},
                        {QStringLiteral("readings_median"), jsonNumber(s.readingsMedian)},
                        {QStringLiteral("readings_p95"), jsonNumber(s.readingsP95)},
                        {QStringLiteral("readings_max"), s.readingsMax},
                        {QStringLiteral("time_mean_s"), jsonNumber(s.timeMean)},
                        {QStringLiteral("excess_swr_mean"), jsonNumber(s.excessMean)},
                        {QStringLiteral("excess_swr_median"), jsonNumber(s.excessMedian)}});
    }
    int matchable = 0;
    for (int k = 0; k < int(result.loads.size()); ++k)
        matchable += result.matchable(k);
    return QJsonObject{{QStringLiteral("seed"), seed},
                       {QStringLiteral("loads"), int(result.loads.size())},
                       {QStringLiteral("matchable"), matchable},
                       {QStringLiteral("algorithms"), algorithms}};
}

QString labPerLoadCsv(const LabResult &result)
{
    QString text = QStringLiteral("frequency_khz,r,x,algorithm,readings,swr,best_swr,success\n");
    const QChar comma = QLatin1Char(',');
    for (int k = 0; k < int(result.loads.size()); ++k) {
        const LabLoad &load = result.loads[size_t(k)];
        const QString head = shortestText(load.frequencyKHz) + comma + shortestText(load.z.R) +
                             comma + shortestText(load.z.X) + comma;
        const QString best = shortestText(result.bestSWR[size_t(k)]);
        for (int a = 0; a < result.algorithms.size(); ++a) {
            const LabOutcome &o = result.outcome(k, a);
            text += head + result.algorithms[a] + comma + QString::number(o.readings) + comma +
                    shortestText(o.swr) + comma + best + comma +
                    (result.success(k, a) ? QLatin1String("true") : QLatin1String("false")) +
                    QLatin1Char('\n');
        }
    }
    return text;
}

bool saveLabPerLoadCsv(const LabResult &result, const QString &path, QString *error)
{
    QSaveFile file(path);
    auto fail = [&] {
        if (error)
            *error = tr("%1: %2").arg(path, file.errorString());
        return false;
    };
    if (!file.open(QIODevice::WriteOnly))
        return fail();
    const QByteArray text = labPerLoadCsv(result).toUtf8();
    if (file.write(text) != text.size())
        return fail();
    if (!file.commit())
        return fail();
    return true;
}

} // namespace LCNet
