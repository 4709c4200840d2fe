// The tuning lab: runs match searches over a corpus of loads and counts the
// relay readings each one needs (a setting the tuner switches to and
// measures) and how often it finds a match, against the best SWR that any
// setting gives.
#ifndef LCNET_LAB_H
#define LCNET_LAB_H

#include "search.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>

#include <atomic>
#include <vector>

namespace LCNet
{

// One load of a corpus.
struct LabLoad {
    double frequencyKHz = 0.0;
    Impedance z;
};

inline constexpr int MaxLabLoads = 1000000;
// Seeds stay below 2^53, so that every JSON reader keeps them exact.
inline constexpr quint64 MaxLabSeed = (quint64(1) << 53) - 1;

// A generated corpus: `count` loads spread evenly in area over the
// reflection-coefficient disk |Γ| <= (maxSWR - 1) / (maxSWR + 1), at one
// frequency (lowKHz == highKHz) or log-uniform over [lowKHz, highKHz].
struct LabCorpusSpec {
    int count = 1000;
    double maxSWR = 10.0;
    double lowKHz = 14000.0;
    double highKHz = 14000.0;
    quint64 seed = 1;

    bool isValid(QString *why = nullptr) const;
};

// The same loads for the same recipe on every machine: the generator is
// std::mt19937_64 and every value is made from its raw output with IEEE
// arithmetic alone. The impedances of a seed do not depend on the
// frequencies asked for. Empty when the recipe is not valid.
std::vector<LabLoad> generateLabCorpus(const LabCorpusSpec &recipe);
// A fresh seed from the system's random source, at most MaxLabSeed.
quint64 newLabSeed();

// CSV text with the header row "frequency_khz,r,x" and one load per line
// (blank lines are skipped), in any order. On a fault, `error` says
// "fileName:line: what is wrong", and `loads` is left as it was.
bool parseLabCorpusCsv(const QByteArray &text, const QString &fileName, std::vector<LabLoad> *loads,
                       QString *error);
// A corpus file: CSV as above, or any load file that readLoadFile() reads
// (Touchstone one-port, a CSV sweep), one load per frequency point.
bool readLabCorpus(const QString &path, std::vector<LabLoad> *loads, QString *error);

// Where a search ended and how many readings it took.
struct LabOutcome {
    int readings = 0;
    Calculator::NetType type = Calculator::CAntenna;
    int l = -1; // steps of the final setting; -1 when the search never moved
    int c = -1;
    double swr = Infinity; // of the final setting
    bool matched = false;  // the search reports swr below lowSWR
};

// A search the lab can run: run() gets the banks, frequency, load, lowSWR
// and components, and must be safe to call from several threads at once.
// Adding one means writing its function and one line in labAlgorithms().
struct LabAlgorithm {
    QString key;         // for the command line and the CSV: "brute"
    QString name;        // for people: "Brute Force"
    QString description; // how it searches, for the help
    LabOutcome (*run)(const TuneProblem &problem);
};

// Every search, Brute Force and Smart Tune first.
const std::vector<LabAlgorithm> &labAlgorithms();
// nullptr when no search has that key.
const LabAlgorithm *findLabAlgorithm(const QString &key);
// "brute,smart,..."
QStringList labAlgorithmKeys();

// Shared with a run on other threads.
struct LabControl {
    std::atomic<bool> cancel{false}; // set to stop the run soon
    std::atomic<int> done{0};        // loads finished so far
};

struct LabResult {
    std::vector<LabLoad> loads;
    QStringList algorithms; // keys, in the order asked for
    double lowSWR = 0.0;
    std::vector<double> bestSWR;      // per load, Brute Force's
    std::vector<LabOutcome> outcomes; // per load, then per algorithm
    bool complete = false;            // false when cancelled

    int algorithmIndex(const QString &key) const { return algorithms.indexOf(key); }
    const LabOutcome &outcome(int load, int algorithm) const
    {
        return outcomes[size_t(load) * size_t(algorithms.size()) + size_t(algorithm)];
    }
    // Some setting is below lowSWR.
    bool matchable(int load) const { return bestSWR[size_t(load)] < lowSWR; }
    // The final setting is below lowSWR.
    bool success(int load, int algorithm) const { return outcome(load, algorithm).swr < lowSWR; }
};

// Runs every load with every algorithm (unknown keys and repeats are left
// out) on all cores, and Brute Force on every load for the best SWR. The
// banks, lowSWR and components come from `base`, frequency and load from
// each corpus entry. The final SWR of each outcome is evaluated again from
// its setting, so that a search cannot claim more than its setting gives.
LabResult runLab(const TuneProblem &base, const std::vector<LabLoad> &loads,
                 const QStringList &algorithms, LabControl *control = nullptr);

// Figures of one algorithm over a run. Percentiles are nearest-rank: the
// smallest count that at least that share of the loads does not exceed
// (the median is the mean of the two middle counts when they are even).
struct LabStatistics {
    int loads = 0;
    int matchable = 0;            // loads that some setting matches
    int successes = 0;            // of those, the ones this search matched
    double successRate = qQNaN(); // successes / matchable
    double readingsMean = qQNaN();
    double readingsMedian = qQNaN();
    double readingsP95 = qQNaN();
    int readingsMax = 0;
    double timeMean = qQNaN(); // readingsMean x settle time, s
    // Final SWR minus the best, over the loads where both are finite.
    int excessCount = 0;
    double excessMean = qQNaN();
    double excessMedian = qQNaN();
};
LabStatistics labStatistics(const LabResult &result, int algorithm, double settleTime);

// {"seed", "loads", "matchable", "algorithms": {key: {"success_rate",
// "readings_mean", "readings_median", "readings_p95", "readings_max",
// "time_mean_s", "excess_swr_mean", "excess_swr_median"}}}; a non-finite
// number is the string "inf", "-inf" or "nan". Give a generated corpus'
// seed as qint64(seed) (exact, being below 2^53); leave it null for a file.
QJsonObject labSummaryJson(const LabResult &result, double settleTime,
                           const QJsonValue &seed = QJsonValue::Null);
// One row per load and algorithm:
// frequency_khz,r,x,algorithm,readings,swr,best_swr,success
QString labPerLoadCsv(const LabResult &result);
// Through a temporary file; on a fault `error` names the file.
bool saveLabPerLoadCsv(const LabResult &result, const QString &path, QString *error);

} // namespace LCNet

#endif // LCNET_LAB_H
