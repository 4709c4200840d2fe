#include "cli.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace Cli
{

namespace Opt
{
const Option settings{"settings", "FILE",
                      "read the settings from this INI file (else the defaults)"};
const Option format{"format", "FORMAT", "json (the default) or text"};
const Option help{"help", nullptr, "print this usage and exit"};
const Option version{"version", nullptr, "print the version and exit"};

const Option freq{"freq", "KHZ", "frequency in kHz"};
const Option load{"load", "R,X", "load impedance R + jX in ohm, e.g. 20,100 or 5,-20"};
const Option l{"l", "UH", "inductance in uH, any value"};
const Option c{"c", "PF", "capacitance in pF, any value"};
const Option config{"config", "antenna|trx",
                    "C-Antenna (C across the load) or C-TRX (C across the transmitter); "
                    "default antenna"};
const Option lowSwr{"low-swr", "S", "SWR below which a setting is a match (LowSWR setting)"};
const Option length{"length", "M", "cable length in metres (DefaultCableLength setting)"};
const Option velocityFactor{"velocity-factor", "V",
                            "velocity factor of the cable "
                            "(VelocityFactor setting)"};
const Option qL{"q-l", "Q", "Q of the inductor (real components; default: lossless)"};
const Option qC{"q-c", "Q", "Q of the capacitor (real components; default: lossless)"};
const Option power{"power", "W",
                   "transmitter power in watts for the currents and voltages "
                   "(default 100)"};
const Option lBank{"l-bank", "BANK",
                   "the inductor bank as \"RELAYS: MINIMUM; V1, V2, ...\" in uH, e.g. "
                   "\"7: 0; 0.05, 0.1, 0.2, 0.4, 0.8, 1.6, 3.2\""};
const Option cBank{"c-bank", "BANK", "the capacitor bank, likewise in pF"};
const Option cable{"cable", "TYPE",
                   "cable type: rg58, rg8x, rg213, lmr400, window450, twinlead300 or custom"};
const Option cableLoss{"cable-loss", "DB", "matched cable loss in dB per 100 m at 10 MHz"};
const Option cableZ0{"cable-z0", "OHM", "characteristic impedance of the cable"};
const std::vector<const Option *> componentOptions{&qL, &qC, &power};
const std::vector<const Option *> bankOptions{&lBank, &cBank};
const std::vector<const Option *> cableOptions{&cable, &cableLoss, &cableZ0};
} // namespace Opt

namespace
{

QString dashed(const Option &option)
{
    return QStringLiteral("--") + QLatin1String(option.name);
}

UsageError badValue(const Option &option, const QString &what, const QString &value)
{
    return {QStringLiteral("%1: %2: '%3'").arg(dashed(option), what, value)};
}

// QString::toDouble reads what the window's fields read; text that only
// overflows or underflows a double is named as such.
double parseNumber(const Option &option, const QString &text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (ok)
        return value;
    const QString trimmed = text.trimmed();
    const bool numeric = !trimmed.isEmpty() && trimmed.contains(QRegularExpression("\\d")) &&
                         !trimmed.contains(QRegularExpression("[^0-9.eE+-]"));
    throw badValue(option,
                   numeric ? QStringLiteral("out of the range of a double")
                           : QStringLiteral("not a number"),
                   text);
}

} // namespace

Invocation::Invocation(const Command &command, const QCommandLineParser &parser,
                       const LCNet::Settings &settings)
    : cmd(command), parser(parser), fileSettings(settings)
{
}

QString Invocation::format() const
{
    return choice(Opt::format, cmd.formats, cmd.formats.first());
}

QStringList Invocation::positional() const
{
    QStringList arguments = parser.positionalArguments();
    arguments.removeFirst(); // the command's name
    return arguments;
}

bool Invocation::isSet(const Option &option) const
{
    return parser.isSet(QLatin1String(option.name));
}

QString Invocation::text(const Option &option) const
{
    if (!isSet(option))
        throw UsageError{QStringLiteral("%1: missing required option %2")
                             .arg(QLatin1String(cmd.name), dashed(option))};
    return parser.value(QLatin1String(option.name));
}

double Invocation::number(const Option &option) const
{
    return parseNumber(option, text(option));
}

double Invocation::number(const Option &option, double fallback) const
{
    return isSet(option) ? number(option) : fallback;
}

int Invocation::integer(const Option &option, int fallback) const
{
    if (!isSet(option))
        return fallback;
    const QString value = text(option);
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok)
        throw badValue(option, QStringLiteral("not an integer"), value);
    return n;
}

LCNet::Impedance Invocation::impedance(const Option &option) const
{
    const QString value = text(option);
    const QStringList parts = value.split(QLatin1Char(','));
    bool okR = false;
    bool okX = false;
    const LCNet::Impedance z(parts[0].toDouble(&okR), parts.value(1).toDouble(&okX));
    if (parts.size() != 2 || !okR || !okX)
        throw badValue(option, QStringLiteral("not R,X (two numbers and a comma)"), value);
    return z;
}

QString Invocation::choice(const Option &option, const QStringList &choices,
                           const QString &fallback) const
{
    if (!isSet(option))
        return fallback;
    const QString value = text(option);
    if (!choices.contains(value))
        throw badValue(option, QStringLiteral("not one of ") + choices.join(QStringLiteral(", ")),
                       value);
    return value;
}

LCNet::Calculator::NetType Invocation::config() const
{
    const QString word = choice(Opt::config, {QStringLiteral("antenna"), QStringLiteral("trx")},
                                QStringLiteral("antenna"));
    return word == QLatin1String("trx") ? LCNet::Calculator::CTrx : LCNet::Calculator::CAntenna;
}

bool Invocation::componentsOn() const
{
    for (const Option *option : Opt::componentOptions)
        if (takes(*option) && isSet(*option))
            return true;
    return fileSettings.components.enabled;
}

bool Invocation::takes(const Option &option) const
{
    return std::find(cmd.options.begin(), cmd.options.end(), &option) != cmd.options.end();
}

std::unique_ptr<LCNet::Calculator> Invocation::calculator() const
{
    auto calc = std::make_unique<LCNet::Calculator>();
    LCNet::Settings s = fileSettings;

    // A Q, a power or a rating is a positive number; infinite Q is lossless.
    auto positive = [&](const Option &option, double fallback) {
        if (!takes(option) || !isSet(option))
            return fallback;
        const double v = number(option);
        if (!(v > 0.0))
            throw badValue(option, QStringLiteral("not a positive number"), text(option));
        return v;
    };
    s.components.enabled = componentsOn();
    s.components.qL = positive(Opt::qL, s.components.qL);
    s.components.qC = positive(Opt::qC, s.components.qC);
    s.components.power = positive(Opt::power, s.components.power);

    auto bank = [&](const Option &option, LCNet::BankSpec &target) {
        if (!takes(option) || !isSet(option))
            return;
        QString why;
        if (!LCNet::BankSpec::fromText(text(option), &target, &why))
            throw badValue(option, why, text(option));
    };
    bank(Opt::lBank, s.inductorBank);
    bank(Opt::cBank, s.capacitorBank);

    if (takes(Opt::cable) && isSet(Opt::cable)) {
        const QString type = text(Opt::cable);
        const LCNet::CablePreset *preset = LCNet::findCablePreset(type);
        if (!preset && type != QLatin1String("custom")) {
            QStringList keys;
            for (const LCNet::CablePreset &p : LCNet::cablePresets())
                keys << QLatin1String(p.key);
            throw badValue(Opt::cable,
                           QStringLiteral("not one of ") + keys.join(QStringLiteral(", ")) +
                               QStringLiteral(", custom"),
                           type);
        }
        s.cable.type = type;
        if (preset) {
            s.cable.impedance = preset->impedance;
            s.cable.loss = preset->loss;
            s.velocityFactor = preset->velocityFactor;
        }
    }
    s.cable.impedance = positive(Opt::cableZ0, s.cable.impedance);
    if (takes(Opt::cableLoss) && isSet(Opt::cableLoss)) {
        const double loss = number(Opt::cableLoss);
        if (!(loss >= 0.0) || std::isinf(loss))
            throw badValue(Opt::cableLoss, QStringLiteral("not a loss of 0 dB or more"),
                           text(Opt::cableLoss));
        s.cable.loss = loss;
    }
    LCNet::applySettings(*calc, s);
    return calc;
}

} // namespace Cli
