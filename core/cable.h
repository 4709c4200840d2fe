// The feed line between the tuner and the antenna: lossless or with a
// matched loss that grows with the square root of frequency.
#ifndef LCNET_CABLE_H
#define LCNET_CABLE_H

#include "impedance.h"

#include <QString>
#include <QVector>

namespace LCNet
{

// The line's own figures; its velocity factor and length are settings of
// their own (VelocityFactor, DefaultCableLength).
struct CableSpec {
    QString type = QStringLiteral("custom"); // a preset key, or "custom"
    double impedance = 50.0;                 // characteristic impedance, ohm
    double loss = 0.0;                       // matched loss, dB per 100 m at 10 MHz
    // Today's ideal 50-ohm line: every figure as the lossless formulas give.
    bool isIdeal50() const { return impedance == 50.0 && loss == 0.0; }
    friend bool operator==(const CableSpec &a, const CableSpec &b)
    {
        return a.type == b.type && a.impedance == b.impedance && a.loss == b.loss;
    }
};

struct CablePreset {
    const char *key;  // settings and command-line name
    const char *name; // shown to the user
    double impedance;
    double velocityFactor;
    double loss; // dB per 100 m at 10 MHz
};
const QVector<CablePreset> &cablePresets();
// The preset of a key, or null.
const CablePreset *findCablePreset(const QString &key);

// The impedance at the far end of a lossless line of characteristic
// impedance zc whose near end shows zNear (f in Hz, length in m).
Impedance zAntennaThroughCable(double f, double length, double velocityFactor, const Impedance &zc,
                               const Impedance &zNear);
// Its exact inverse: the near end of the line whose far end is zFar.
Impedance zTunerThroughCable(double f, double length, double velocityFactor, const Impedance &zc,
                             const Impedance &zFar);

// The same through the cable `line`, lossy when its loss is not zero
// (zero loss gives the lossless formulas' bits).
Impedance antennaEndImpedance(double f, double length, double velocityFactor, const CableSpec &line,
                              const Impedance &zNear);
Impedance tunerEndImpedance(double f, double length, double velocityFactor, const CableSpec &line,
                            const Impedance &zFar);

// Matched loss of the whole line at f, dB.
double cableMatchedLoss(double f, double length, const CableSpec &line);

} // namespace LCNet

#endif // LCNET_CABLE_H
