#include "sweep.h"
#include "lcnet.h"

#include <QMutex>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace LCNet
{

namespace
{

int stepOf(const StepTable &table, double value)
{
    for (int i = 0; i < table.size(); ++i)
        if (table[i] == value)
            return i;
    return -1;
}

// The row's fields in header order, numbers already as text; `quoted`
// says which are JSON strings.
struct Field {
    const char *key;
    QString text;
    bool quoted;
};

Field number(const char *key, double value)
{
    return {key, shortestText(value), !std::isfinite(value)};
}

QVector<Field> fieldsOf(const SweepPoint &p, bool withComponents)
{
    QVector<Field> f{
        number("frequency_khz", p.frequencyKHz),
        number("load_r", p.load.R),
        number("load_x", p.load.X),
        number("load_swr", p.loadSWR),
        {"config",
         p.type != Calculator::CAntenna ? QStringLiteral("trx") : QStringLiteral("antenna"), true},
        {"l_step", QString::number(p.lStep), false},
        {"c_step", QString::number(p.cStep), false},
        number("l_uh", p.l),
        number("c_pf", p.c),
        number("zin_r", p.zIn.R),
        number("zin_x", p.zIn.X),
        number("swr", p.swr),
    };
    if (withComponents) {
        f.append(number("efficiency", p.power.efficiency));
        f.append(number("loss_l_w", p.power.lossL));
        f.append(number("loss_c_w", p.power.lossC));
        f.append(number("v_c_peak_v", p.power.voltageCPeak));
    }
    return f;
}

} // namespace

SweepOptions SweepOptions::of(const Calculator &calc)
{
    SweepOptions o;
    o.cableLength = calc.defaultCableLength;
    o.velocityFactor = calc.velocityFactor;
    o.cableSpec = calc.cable;
    o.inductors = calc.inductorSteps();
    o.capacitors = calc.capacitorSteps();
    o.lowSWR = calc.lowSWR;
    o.components = calc.components;
    o.startType = calc.netType;
    o.startL = calc.inductance;
    o.startC = calc.capacitance;
    return o;
}

SweepPoint sweepPoint(const LoadPoint &point, const SweepOptions &o)
{
    SweepPoint p;
    p.frequencyKHz = point.frequencyKHz;
    p.measured = point.z;
    // Hz as the calculator forms it from its kHz.
    const double f = 1000.0 * point.frequencyKHz;
    p.load = o.cable ? tunerEndImpedance(f, o.cableLength, o.velocityFactor, o.cableSpec, point.z)
                     : point.z;
    p.loadSWR = computeSWR(Z0, p.load);

    TuneProblem problem;
    problem.inductors = o.inductors;
    problem.capacitors = o.capacitors;
    problem.frequency = f;
    problem.load = p.load;
    problem.lowSWR = o.lowSWR;
    problem.components = o.components;
    // The points are already spread over the cores.
    const TuneResult r = o.algorithm == SweepAlgorithm::SmartTune
                             ? smartTuneSearch(problem)
                             : bruteForceSearch(problem, nullptr, false);
    p.moved = r.moved;
    p.evaluations = r.evaluations;
    if (r.moved) {
        p.type = r.type;
        p.lStep = r.l;
        p.cStep = r.c;
        p.l = o.inductors[r.l];
        p.c = o.capacitors[r.c];
    } else {
        p.type = o.startType;
        p.l = o.startL;
        p.c = o.startC;
        p.lStep = stepOf(o.inductors, p.l);
        p.cStep = stepOf(o.capacitors, p.c);
    }

    // As Calculator::calculate() and powerFigures() give it.
    const NetworkParts parts = networkParts(f, 1e-6 * p.l, 1e-12 * p.c, o.components);
    p.zIn = o.components.lossy() ? zInOfParts(p.type != Calculator::CAntenna, parts, p.load)
                                 : networkInput(p.type, f, 1e-6 * p.l, 1e-12 * p.c, p.load);
    p.swr = computeSWR(Z0, p.zIn);
    if (o.components.enabled)
        p.power = powerFigures(p.type != Calculator::CAntenna, parts, p.load, o.components);
    return p;
}

SweepResult runSweep(const QVector<LoadPoint> &points, const SweepOptions &options,
                     const std::atomic<bool> *cancel, const SweepProgress &progress)
{
    SweepResult result;
    result.lowSWR = options.lowSWR;
    result.withComponents = options.components.enabled;
    const int total = int(points.size());
    QVector<SweepPoint> out(total);
    QMutex progressLock;
    int done = 0;
    // About a millisecond of work per chunk: cancel and progress stay
    // prompt, and the chunks stay few.
    const int grain = options.algorithm == SweepAlgorithm::SmartTune ? 64 : 1;
    parallelFor(total, grain, [&](int begin, int end) {
        for (int i = begin; i < end; ++i) {
            if (cancel && cancel->load(std::memory_order_relaxed))
                return;
            out[i] = sweepPoint(points[i], options);
        }
        if (progress) {
            QMutexLocker lock(&progressLock);
            done += end - begin;
            progress(done, total);
        }
    });
    if (cancel && cancel->load()) {
        result.cancelled = true;
        return result;
    }
    result.points = std::move(out);
    return result;
}

QString sweepCsv(const SweepResult &result)
{
    QString text;
    const QVector<Field> header = fieldsOf(SweepPoint(), result.withComponents);
    for (qsizetype k = 0; k < header.size(); ++k)
        text += (k ? QLatin1String(",") : QLatin1String()) + QLatin1String(header[k].key);
    text += QLatin1Char('\n');
    for (const SweepPoint &p : result.points) {
        const QVector<Field> row = fieldsOf(p, result.withComponents);
        for (qsizetype k = 0; k < row.size(); ++k)
            text += (k ? QLatin1String(",") : QLatin1String()) + row[k].text;
        text += QLatin1Char('\n');
    }
    return text;
}

QString sweepJson(const SweepResult &result)
{
    if (result.points.isEmpty())
        return QStringLiteral("[]\n");
    QString text = QStringLiteral("[\n");
    for (qsizetype i = 0; i < result.points.size(); ++i) {
        text += QLatin1String(i ? ",\n  {" : "  {");
        const QVector<Field> row = fieldsOf(result.points[i], result.withComponents);
        for (qsizetype k = 0; k < row.size(); ++k) {
            const Field &f = row[k];
            text += (k ? QLatin1String(", \"") : QLatin1String("\"")) + QLatin1String(f.key) +
                    QLatin1String("\": ");
            text += f.quoted ? QLatin1Char('"') + f.text + QLatin1Char('"') : f.text;
        }
        text += QLatin1Char('}');
    }
    text += QLatin1String("\n]\n");
    return text;
}

QVector<BandSummary> bandSummaries(const SweepResult &result)
{
    // (frequency, SWR after tuning) in frequency order; a point without a
    // frequency stands for no part of any band.
    std::vector<std::pair<double, double>> pts;
    for (const SweepPoint &p : result.points)
        if (std::isfinite(p.frequencyKHz))
            pts.emplace_back(p.frequencyKHz, p.swr);
    std::stable_sort(pts.begin(), pts.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    QVector<BandSummary> summaries;
    if (pts.empty())
        return summaries;
    const size_t n = pts.size();
    const double first = pts.front().first;
    const double last = pts.back().first;
    for (const AmateurBand &band : AmateurBands) {
        const double width = band.highKHz - band.lowKHz;
        const double covered = std::min(band.highKHz, last) - std::max(band.lowKHz, first);
        BandSummary s;
        s.band = band;
        s.bestSWR = qQNaN();
        s.worstSWR = qQNaN();
        double tunable = 0.0;
        for (size_t i = 0; i < n; ++i) {
            const double f = pts[i].first;
            const double from = i == 0 ? first : (pts[i - 1].first + f) / 2;
            const double to = i + 1 == n ? last : (f + pts[i + 1].first) / 2;
            const double part = std::min(to, band.highKHz) - std::max(from, band.lowKHz);
            const bool inside = f >= band.lowKHz && f <= band.highKHz;
            if (!(part > 0.0) && !inside)
                continue;
            const double swr = pts[i].second;
            ++s.points;
            s.bestSWR = std::fmin(s.bestSWR, swr);
            s.worstSWR = std::fmax(s.worstSWR, swr);
            if (swr < result.lowSWR && part > 0.0)
                tunable += part;
        }
        if (s.points == 0)
            continue;
        s.coveredShare = std::max(covered, 0.0) / width;
        s.tunableShare = tunable / width;
        summaries.append(s);
    }
    return summaries;
}

} // namespace LCNet
