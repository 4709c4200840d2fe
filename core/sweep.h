// The band sweep: the tuner's best setting at every frequency point of a
// measured or modelled load, for the window and the command-line program.
#ifndef LCNET_SWEEP_H
#define LCNET_SWEEP_H

#include "bands.h"
#include "cable.h"
#include "calculator.h"
#include "components.h"
#include "loadfile.h"

#include <QString>
#include <QVector>

#include <atomic>
#include <functional>

namespace LCNet
{

// loadfile.h includes this header through lcnet.h.
struct LoadPoint;

enum class SweepAlgorithm { BruteForce, SmartTune };

// Everything a sweep reads, fixed for one run.
struct SweepOptions {
    SweepAlgorithm algorithm = SweepAlgorithm::BruteForce;

    // A feed line between the tuner and the point where the load was
    // measured; off, the file is taken as measured at the tuner.
    bool cable = false;
    double cableLength = 10.0; // m
    double velocityFactor = 0.66;
    CableSpec cableSpec;

    // The tuner's banks and settings.
    StepTable inductors = StepTable::defaultInductor();   // µH
    StepTable capacitors = StepTable::defaultCapacitor(); // pF
    double lowSWR = 1.2;
    ComponentSettings components;

    // Where the tuner stands before each search: a search that never
    // improves on an infinite SWR leaves it there, as Auto Tune does.
    Calculator::NetType startType = Calculator::CAntenna;
    double startL = 12.0;   // µH
    double startC = 2000.0; // pF

    // The calculator's banks, Low SWR, components, present setting and
    // cable figures (length, velocity factor, type); the cable stays off
    // and the algorithm is Brute Force.
    static SweepOptions of(const Calculator &calc);
};

// The tuner at one frequency point.
struct SweepPoint {
    double frequencyKHz = 0.0;
    Impedance measured; // as the file gives it
    Impedance load;     // what the tuner sees, after the cable
    double loadSWR = 0.0;

    // The setting the search ends on: the best it found, or the starting
    // setting when it found nothing better than an infinite SWR. The steps
    // are -1 when that setting is no step of its bank.
    bool moved = false;
    Calculator::NetType type = Calculator::CAntenna;
    int lStep = -1;
    int cStep = -1;
    double l = 0.0; // µH
    double c = 0.0; // pF
    int evaluations = 0;

    // What the calculator gives at that setting.
    Impedance zIn;
    double swr = 0.0;
    // At the components' power; only filled when the components are enabled.
    PowerFigures power;
};

struct SweepResult {
    QVector<SweepPoint> points; // in file order; empty when cancelled
    bool cancelled = false;
    double lowSWR = 0.0;
    bool withComponents = false; // the text carries the power columns
};

// One point, exactly as Auto Tune finds it for that load and frequency in
// a calculator holding the options' settings and starting setting.
SweepPoint sweepPoint(const LoadPoint &point, const SweepOptions &options);

// Called with the number of points done so far, from whichever thread did
// them; calls never overlap and the count only grows.
using SweepProgress = std::function<void(int done, int total)>;

// Every point on every core. A cancel flag set meanwhile stops the run
// soon after; the result is then empty and says so.
SweepResult runSweep(const QVector<LoadPoint> &points, const SweepOptions &options,
                     const std::atomic<bool> *cancel = nullptr, const SweepProgress &progress = {});

// The result as text for a machine, one row or object per point in file
// order; numbers in their shortest round-trip form. The CSV header is
// frequency_khz,load_r,load_x,load_swr,config,l_step,c_step,l_uh,c_pf,
// zin_r,zin_x,swr, followed by efficiency,loss_l_w,loss_c_w,v_c_peak_v when
// the components are enabled. The JSON is an array of objects with the
// same keys, non-finite numbers as the strings "inf", "-inf" and "nan".
QString sweepCsv(const SweepResult &result);
QString sweepJson(const SweepResult &result);

// How a sweep went over one amateur band. Every frequency takes the result
// of the nearest point of the file (the cells end half-way between points
// and at the file's first and last frequency).
struct BandSummary {
    AmateurBand band{};
    int points = 0;          // points whose cell meets the band
    double coveredShare = 0; // part of the band inside the file's range
    double tunableShare = 0; // part whose nearest point tunes below Low SWR
    double bestSWR = 0.0;    // after tuning, over those points
    double worstSWR = 0.0;
};

// The bands the result reaches (a part of the band or a point in it), in
// the order of AmateurBands.
QVector<BandSummary> bandSummaries(const SweepResult &result);

} // namespace LCNet

#endif // LCNET_SWEEP_H
