#include "cable.h"

#include <QCoreApplication>

#include <cmath>
#include <complex>

namespace LCNet
{

namespace
{

// Electrical length in radians: the line is longer than its physical length
// by the factor 1 / velocity factor.
double electricalLength(double f, double length, double velocityFactor)
{
    const double lambda = SpeedOfLight / f;
    return (TwoPi / lambda) * (length / velocityFactor);
}

// tanh(γl) with γ = α + jβ; the loss is dB per 100 m at 10 MHz, scaled with
// the square root of frequency.
std::complex<double> lineTanh(double f, double length, double velocityFactor, const CableSpec &line)
{
    const double nepers = std::log(10.0) / 20.0 * cableMatchedLoss(f, length, line);
    return std::tanh(std::complex<double>(nepers, electricalLength(f, length, velocityFactor)));
}

} // namespace

const QVector<CablePreset> &cablePresets()
{
    // Typical published figures of each line type; a given cable may differ.
    static const QVector<CablePreset> presets = {
        {"rg58", QT_TRANSLATE_NOOP("LCNet::Cable", "RG-58"), 50.0, 0.66, 4.7},
        {"rg8x", QT_TRANSLATE_NOOP("LCNet::Cable", "RG-8X"), 50.0, 0.78, 3.3},
        {"rg213", QT_TRANSLATE_NOOP("LCNet::Cable", "RG-213"), 50.0, 0.66, 2.0},
        {"lmr400", QT_TRANSLATE_NOOP("LCNet::Cable", "LMR-400"), 50.0, 0.85, 1.3},
        {"window450", QT_TRANSLATE_NOOP("LCNet::Cable", "450-ohm window line"), 400.0, 0.91, 0.3},
        {"twinlead300", QT_TRANSLATE_NOOP("LCNet::Cable", "300-ohm twin lead"), 300.0, 0.80, 1.4},
    };
    return presets;
}

const CablePreset *findCablePreset(const QString &key)
{
    for (const CablePreset &p : cablePresets())
        if (key == QLatin1String(p.key))
            return &p;
    return nullptr;
}

Impedance zAntennaThroughCable(double f, double length, double velocityFactor, const Impedance &zc,
                               const Impedance &zNear)
{
    const Impedance jt(0.0, std::tan(electricalLength(f, length, velocityFactor)));
    const Impedance a = jt * zNear;
    const Impedance b = jt * zc;
    return zc * (zNear - b) / (zc - a);
}

Impedance zTunerThroughCable(double f, double length, double velocityFactor, const Impedance &zc,
                             const Impedance &zFar)
{
    const Impedance jt(0.0, std::tan(electricalLength(f, length, velocityFactor)));
    const Impedance a = jt * zFar;
    const Impedance b = jt * zc;
    return zc * (zFar + b) / (zc + a);
}

double cableMatchedLoss(double f, double length, const CableSpec &line)
{
    return line.loss / 100.0 * length * std::sqrt(f / 10e6);
}

Impedance antennaEndImpedance(double f, double length, double velocityFactor, const CableSpec &line,
                              const Impedance &zNear)
{
    const Impedance zc(line.impedance, 0.0);
    if (line.loss == 0.0)
        return zAntennaThroughCable(f, length, velocityFactor, zc, zNear);
    const Impedance t = Impedance::fromComplex(lineTanh(f, length, velocityFactor, line));
    return zc * (zNear - zc * t) / (zc - zNear * t);
}

Impedance tunerEndImpedance(double f, double length, double velocityFactor, const CableSpec &line,
                            const Impedance &zFar)
{
    const Impedance zc(line.impedance, 0.0);
    if (line.loss == 0.0)
        return zTunerThroughCable(f, length, velocityFactor, zc, zFar);
    const Impedance t = Impedance::fromComplex(lineTanh(f, length, velocityFactor, line));
    return zc * (zFar + zc * t) / (zc + zFar * t);
}

} // namespace LCNet
