#include "settings.h"

#include "lcnet.h"

#include <QSettings>

#include <cmath>

namespace LCNet
{

namespace
{

// QSettings hands back text from a file and typed values from memory; both
// go through the text so that "abc" or "1e4" never read as 0.
double readDouble(const QSettings &ini, const char *key, double fallback)
{
    bool ok = false;
    const double v = ini.value(QLatin1String(key)).toString().trimmed().toDouble(&ok);
    return ok && !std::isnan(v) ? v : fallback;
}

int readInt(const QSettings &ini, const char *key, int fallback)
{
    bool ok = false;
    const int v = ini.value(QLatin1String(key)).toString().trimmed().toInt(&ok);
    return ok ? v : fallback;
}

bool readBool(const QSettings &ini, const char *key, bool fallback)
{
    const QString text = ini.value(QLatin1String(key)).toString().trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("false") || text == QLatin1String("0"))
        return false;
    return fallback;
}

} // namespace

Settings readSettings(QSettings &ini)
{
    const Settings d;
    Settings s;
    ini.beginGroup(QStringLiteral("matching"));
    s.lowSWR = readDouble(ini, "LowSWR", d.lowSWR);
    s.mediumSWR = readDouble(ini, "MediumSWR", d.mediumSWR);
    s.highSWR = readDouble(ini, "HighSWR", d.highSWR);
    // SmartTune counts only beside a BruteForce key, as files have always
    // been read.
    if (ini.contains(QStringLiteral("BruteForce"))) {
        s.bruteForce = readBool(ini, "BruteForce", d.bruteForce);
        s.smartTune = readBool(ini, "SmartTune", d.smartTune);
    }
    ini.endGroup();

    ini.beginGroup(QStringLiteral("zLoad"));
    s.impedanceStep = readDouble(ini, "ImpedanceStep", d.impedanceStep);
    s.numberOfRings = readInt(ini, "NumberOfRings", d.numberOfRings);
    s.epsilonSWR = readDouble(ini, "EpsilonSWR", d.epsilonSWR);
    ini.endGroup();

    ini.beginGroup(QStringLiteral("zAntenna"));
    s.defaultCableLength = readDouble(ini, "DefaultCableLength", d.defaultCableLength);
    s.velocityFactor = readDouble(ini, "VelocityFactor", d.velocityFactor);
    ini.endGroup();
    return s;
}

void writeSettings(QSettings &ini, const Settings &s)
{
    ini.beginGroup(QStringLiteral("matching"));
    ini.setValue(QStringLiteral("LowSWR"), s.lowSWR);
    ini.setValue(QStringLiteral("MediumSWR"), s.mediumSWR);
    ini.setValue(QStringLiteral("HighSWR"), s.highSWR);
    ini.setValue(QStringLiteral("BruteForce"), s.bruteForce);
    ini.setValue(QStringLiteral("SmartTune"), s.smartTune);
    ini.endGroup();

    ini.beginGroup(QStringLiteral("zLoad"));
    ini.setValue(QStringLiteral("ImpedanceStep"), s.impedanceStep);
    ini.setValue(QStringLiteral("NumberOfRings"), s.numberOfRings);
    ini.setValue(QStringLiteral("EpsilonSWR"), s.epsilonSWR);
    ini.endGroup();

    ini.beginGroup(QStringLiteral("zAntenna"));
    ini.setValue(QStringLiteral("DefaultCableLength"), s.defaultCableLength);
    ini.setValue(QStringLiteral("VelocityFactor"), s.velocityFactor);
    ini.endGroup();
}

Settings settingsOf(const Calculator &c)
{
    Settings s;
    s.lowSWR = c.lowSWR;
    s.mediumSWR = c.mediumSWR;
    s.highSWR = c.highSWR;
    s.bruteForce = c.bruteForce;
    s.smartTune = c.smartTune;
    s.impedanceStep = c.impedanceStep;
    s.numberOfRings = c.numberOfRings;
    s.epsilonSWR = c.epsilonSWR;
    s.defaultCableLength = c.defaultCableLength;
    s.velocityFactor = c.velocityFactor;
    return s;
}

void applySettings(Calculator &c, const Settings &s)
{
    c.lowSWR = s.lowSWR;
    c.mediumSWR = s.mediumSWR;
    c.highSWR = s.highSWR;
    c.bruteForce = s.bruteForce;
    c.smartTune = s.smartTune;
    c.impedanceStep = s.impedanceStep;
    c.numberOfRings = s.numberOfRings;
    c.epsilonSWR = s.epsilonSWR;
    c.defaultCableLength = s.defaultCableLength;
    c.velocityFactor = s.velocityFactor;
}

} // namespace LCNet
