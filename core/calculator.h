// The simulated tuner: its operating point, its settings, its searches.
#ifndef LCNET_CALCULATOR_H
#define LCNET_CALCULATOR_H

#include "banks.h"
#include "cable.h"
#include "components.h"
#include "network.h"

#include <QObject>

namespace LCNet
{

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
    // The reactances (and with real components the loss resistances) of
    // the present L and C at the present frequency.
    NetworkParts parts() const;
    // Currents, voltages and powers of the present setting at the
    // components' transmitter power.
    PowerFigures powerFigures() const;

    int bruteForceSearch();
    int smartTuneSearch();
    bool mismatchSearch(double targetSWR, Impedance *result);

    // The steps of the two banks (µH, pF); the default banks unless set.
    const StepTable &inductorSteps() const { return lSteps; }
    const StepTable &capacitorSteps() const { return cSteps; }
    // Both banks must be valid. Stores them without a signal, like every
    // setting.
    void setBanks(const BankSpec &inductor, const BankSpec &capacitor);

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
    ComponentSettings components;
    CableSpec cable;
    double settleTime = 0.0; // s, a relay reading of a real tuner (tuning lab)

signals:
    void dataChanged(LCNet::Calculator *calc);
    void foundMatch(LCNet::Calculator::NetType n, double l, double c, LCNet::Impedance zIn,
                    double swr, int iteration);
    void progressMismatch(int currentIteration, int maxIterations, bool &abort);

public slots:
    void clear();

private:
    StepTable lSteps = StepTable::defaultInductor();
    StepTable cSteps = StepTable::defaultCapacitor();
};

// Input impedance of either configuration (any non-zero type is CTrx).
inline Impedance networkInput(Calculator::NetType n, double f, double l, double c,
                              const Impedance &load)
{
    return n != Calculator::CAntenna ? zInCTrx(f, l, c, load) : zInCAntenna(f, l, c, load);
}

} // namespace LCNet

#endif // LCNET_CALCULATOR_H
