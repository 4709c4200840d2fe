#include "settings.h"

#include "lcnet.h"

#include <QSettings>
#include <QStringList>

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

// Positive (infinite allowed), as a Q, a power or a rating must be.
double readPositive(const QSettings &ini, const char *key, double fallback)
{
    const double v = readDouble(ini, key, fallback);
    return v > 0.0 ? v : fallback;
}

QString readText(const QSettings &ini, const char *key)
{
    return ini.value(QLatin1String(key)).toString().trimmed();
}

// A bank is three keys; if any of them is missing or unusable the whole
// bank is the default one.
BankSpec readBank(const QSettings &ini, const char *prefix, const BankSpec &fallback)
{
    const QString p = QLatin1String(prefix);
    const QString relays = readText(ini, (p + QLatin1String("Relays")).toLatin1().constData());
    const QString minimum = readText(ini, (p + QLatin1String("Minimum")).toLatin1().constData());
    const QString values = readText(ini, (p + QLatin1String("Values")).toLatin1().constData());
    BankSpec parsed;
    const QStringList parts = values.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString text = relays + QLatin1String(": ") + minimum + QLatin1String("; ") +
                         parts.join(QLatin1String(", "));
    return BankSpec::fromText(text, &parsed) ? parsed : fallback;
}

void writeBank(QSettings &ini, const char *prefix, const BankSpec &bank)
{
    const QString p = QLatin1String(prefix);
    QStringList values;
    for (int k = 0; k < bank.relays; ++k)
        values << millionthsText(bank.values[size_t(k)]);
    ini.setValue(p + QLatin1String("Relays"), bank.relays);
    ini.setValue(p + QLatin1String("Minimum"), millionthsText(bank.minimum));
    ini.setValue(p + QLatin1String("Values"), values.join(QLatin1Char(' ')));
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

    ini.beginGroup(QStringLiteral("banks"));
    s.inductorBank = readBank(ini, "Inductor", d.inductorBank);
    s.capacitorBank = readBank(ini, "Capacitor", d.capacitorBank);
    ini.endGroup();

    ini.beginGroup(QStringLiteral("components"));
    s.components.enabled = readBool(ini, "Enabled", d.components.enabled);
    s.components.qL = readPositive(ini, "QL", d.components.qL);
    s.components.qC = readPositive(ini, "QC", d.components.qC);
    s.components.power = readPositive(ini, "Power", d.components.power);
    s.components.voltageRating = readPositive(ini, "VoltageRating", d.components.voltageRating);
    s.components.currentRating = readPositive(ini, "CurrentRating", d.components.currentRating);
    ini.endGroup();

    ini.beginGroup(QStringLiteral("cable"));
    const QString type = readText(ini, "Type");
    s.cable.type = type == QLatin1String("custom") || findCablePreset(type) ? type : d.cable.type;
    s.cable.impedance = readPositive(ini, "Impedance", d.cable.impedance);
    s.cable.loss = readDouble(ini, "Loss", d.cable.loss);
    if (!(s.cable.loss >= 0.0) || std::isinf(s.cable.loss))
        s.cable.loss = d.cable.loss;
    ini.endGroup();

    ini.beginGroup(QStringLiteral("lab"));
    s.settleTime = readDouble(ini, "SettleTime", d.settleTime);
    if (!(s.settleTime >= 0.0) || std::isinf(s.settleTime))
        s.settleTime = d.settleTime;
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

    ini.beginGroup(QStringLiteral("banks"));
    writeBank(ini, "Inductor", s.inductorBank);
    writeBank(ini, "Capacitor", s.capacitorBank);
    ini.endGroup();

    ini.beginGroup(QStringLiteral("components"));
    ini.setValue(QStringLiteral("Enabled"), s.components.enabled);
    ini.setValue(QStringLiteral("QL"), s.components.qL);
    ini.setValue(QStringLiteral("QC"), s.components.qC);
    ini.setValue(QStringLiteral("Power"), s.components.power);
    ini.setValue(QStringLiteral("VoltageRating"), s.components.voltageRating);
    ini.setValue(QStringLiteral("CurrentRating"), s.components.currentRating);
    ini.endGroup();

    ini.beginGroup(QStringLiteral("cable"));
    ini.setValue(QStringLiteral("Type"), s.cable.type);
    ini.setValue(QStringLiteral("Impedance"), s.cable.impedance);
    ini.setValue(QStringLiteral("Loss"), s.cable.loss);
    ini.endGroup();

    ini.beginGroup(QStringLiteral("lab"));
    ini.setValue(QStringLiteral("SettleTime"), s.settleTime);
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
    s.inductorBank = c.inductorSteps().bank();
    s.capacitorBank = c.capacitorSteps().bank();
    s.components = c.components;
    s.cable = c.cable;
    s.settleTime = c.settleTime;
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
    c.setBanks(s.inductorBank, s.capacitorBank);
    c.components = s.components;
    c.cable = s.cable;
    c.settleTime = s.settleTime;
}

} // namespace LCNet
