#include "session.h"

#include "format.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <cmath>

namespace LCNet
{

namespace
{

const QLatin1String FormatName("vorlap-session");

QString tr(const char *text)
{
    return QCoreApplication::translate("LCNet::Session", text);
}

// JSON holds no infinity, NaN or negative zero: those go as text.
QJsonValue number(double v)
{
    if (!std::isfinite(v) || (v == 0.0 && std::signbit(v)))
        return shortestText(v);
    return v;
}

QJsonObject bankObject(const BankSpec &bank)
{
    QJsonArray values;
    for (int k = 0; k < bank.relays; ++k)
        values.append(millionthsText(bank.values[size_t(k)]));
    return {{"relays", bank.relays}, {"minimum", millionthsText(bank.minimum)}, {"values", values}};
}

// Reads members and remembers the first that is missing or of the wrong
// type, by its path in the file.
class Reader
{
public:
    QString fault;

    double number(const QJsonObject &o, const char *key, const QString &path, double fallback,
                  bool required = false)
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined()) {
            if (required)
                fail(path + QLatin1String(key), tr("missing"));
            return fallback;
        }
        if (v.isDouble())
            return v.toDouble();
        bool ok = false;
        const double parsed = v.toString().toDouble(&ok);
        if (v.isString() && ok)
            return parsed;
        fail(path + QLatin1String(key), tr("not a number"));
        return fallback;
    }

    bool boolean(const QJsonObject &o, const char *key, const QString &path, bool fallback)
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            return fallback;
        if (!v.isBool())
            fail(path + QLatin1String(key), tr("not true or false"));
        return v.toBool(fallback);
    }

    QJsonObject object(const QJsonObject &o, const char *key, const QString &path,
                       bool required = false)
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined() && !required)
            return {};
        if (!v.isObject())
            fail(path + QLatin1String(key), v.isUndefined() ? tr("missing") : tr("not an object"));
        return v.toObject();
    }

    BankSpec bank(const QJsonObject &o, const char *key, const QString &path,
                  const BankSpec &fallback)
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            return fallback;
        const QJsonObject b = v.toObject();
        QStringList values;
        for (const QJsonValue &value : b.value(QLatin1String("values")).toArray())
            values << value.toString(QStringLiteral("?"));
        const QString text = QStringLiteral("%1: %2; %3")
                                 .arg(b.value(QLatin1String("relays")).toInt(-1))
                                 .arg(b.value(QLatin1String("minimum")).toString(),
                                      values.join(QStringLiteral(", ")));
        BankSpec parsed;
        QString why;
        if (!v.isObject() || !BankSpec::fromText(text, &parsed, &why)) {
            fail(path + QLatin1String(key), why.isEmpty() ? tr("not a bank") : why);
            return fallback;
        }
        return parsed;
    }

private:
    void fail(const QString &where, const QString &what)
    {
        if (fault.isEmpty())
            fault = QStringLiteral("\"%1\": %2").arg(where, what);
    }
};

int lineOf(const QByteArray &text, int offset)
{
    return int(text.left(offset).count('\n')) + 1;
}

} // namespace

Session sessionOf(const Calculator &calc)
{
    Session s;
    s.load = calc.loadImpedance;
    s.frequency = calc.frequency;
    s.inductance = calc.inductance;
    s.capacitance = calc.capacitance;
    s.netType = calc.netType != Calculator::CAntenna ? Calculator::CTrx : Calculator::CAntenna;
    s.settings = settingsOf(calc);
    return s;
}

void applySession(Calculator &calc, const Session &s)
{
    applySettings(calc, s.settings);
    calc.setFrequency(s.frequency);
    calc.setCapacitance(s.capacitance);
    calc.setInductance(s.inductance);
    calc.setLoadImpedance(s.load);
    calc.setNetType(s.netType);
}

QByteArray sessionToJson(const Session &session)
{
    const Settings &s = session.settings;
    const QJsonObject point{
        {"load", QJsonObject{{"r", number(session.load.R)}, {"x", number(session.load.X)}}},
        {"frequency_khz", number(session.frequency)},
        {"l_uh", number(session.inductance)},
        {"c_pf", number(session.capacitance)},
        {"config", session.netType == Calculator::CTrx ? "trx" : "antenna"}};
    const QJsonObject settings{
        {"matching", QJsonObject{{"low_swr", number(s.lowSWR)},
                                 {"medium_swr", number(s.mediumSWR)},
                                 {"high_swr", number(s.highSWR)},
                                 {"brute_force", s.bruteForce},
                                 {"smart_tune", s.smartTune}}},
        {"z_load", QJsonObject{{"impedance_step", number(s.impedanceStep)},
                               {"number_of_rings", s.numberOfRings},
                               {"epsilon_swr", number(s.epsilonSWR)}}},
        {"z_antenna", QJsonObject{{"default_cable_length", number(s.defaultCableLength)},
                                  {"velocity_factor", number(s.velocityFactor)}}},
        {"banks", QJsonObject{{"inductor_uh", bankObject(s.inductorBank)},
                              {"capacitor_pf", bankObject(s.capacitorBank)}}},
        {"components", QJsonObject{{"enabled", s.components.enabled},
                                   {"q_l", number(s.components.qL)},
                                   {"q_c", number(s.components.qC)},
                                   {"power_w", number(s.components.power)},
                                   {"voltage_rating_v_peak", number(s.components.voltageRating)},
                                   {"current_rating_a_rms", number(s.components.currentRating)}}},
        {"cable", QJsonObject{{"type", s.cable.type},
                              {"impedance", number(s.cable.impedance)},
                              {"loss_db_per_100m_at_10mhz", number(s.cable.loss)}}},
        {"lab", QJsonObject{{"settle_time_s", number(s.settleTime)}}}};
    const QJsonObject root{{"format", FormatName},
                           {"version", Session::FormatVersion},
                           {"operating_point", point},
                           {"settings", settings}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool sessionFromJson(const QByteArray &json, const QString &fileName, Session *session,
                     QString *error)
{
    auto fail = [&](int line, const QString &what) {
        if (error)
            *error = line > 0 ? QStringLiteral("%1:%2: %3").arg(fileName).arg(line).arg(what)
                              : QStringLiteral("%1: %2").arg(fileName, what);
        return false;
    };
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parse);
    if (parse.error != QJsonParseError::NoError)
        return fail(lineOf(json, parse.offset),
                    tr("not a session file (damaged or truncated: %1)").arg(parse.errorString()));
    const QJsonObject root = doc.object();
    if (!doc.isObject() || root.value(QLatin1String("format")).toString() != FormatName)
        return fail(0, tr("not a session file of this program"));
    const QJsonValue version = root.value(QLatin1String("version"));
    if (!version.isDouble() || version.toDouble() < 1 ||
        version.toDouble() != std::floor(version.toDouble()))
        return fail(0, tr("the session has no valid format version"));
    if (version.toDouble() > Session::FormatVersion)
        return fail(0, tr("the session was written by a newer version of the program (format "
                          "%1; this one reads up to %2)")
                           .arg(version.toDouble())
                           .arg(Session::FormatVersion));

    Reader r;
    Session out;
    const Session d;
    const QJsonObject point = r.object(root, "operating_point", QString(), true);
    const QJsonObject load = r.object(point, "load", QStringLiteral("operating_point."), true);
    out.load = Impedance(r.number(load, "r", QStringLiteral("operating_point.load."), 0, true),
                         r.number(load, "x", QStringLiteral("operating_point.load."), 0, true));
    const QString p = QStringLiteral("operating_point.");
    out.frequency = r.number(point, "frequency_khz", p, d.frequency, true);
    out.inductance = r.number(point, "l_uh", p, d.inductance, true);
    out.capacitance = r.number(point, "c_pf", p, d.capacitance, true);
    const QString config = point.value(QLatin1String("config")).toString();
    if (config != QLatin1String("antenna") && config != QLatin1String("trx") && r.fault.isEmpty())
        r.fault = QStringLiteral("\"operating_point.config\": %1").arg(tr("not antenna or trx"));
    out.netType = config == QLatin1String("trx") ? Calculator::CTrx : Calculator::CAntenna;

    // Settings the file lacks keep their defaults, so that an older or
    // hand-trimmed session still opens.
    const QJsonObject settings = r.object(root, "settings", QString());
    Settings &s = out.settings;
    const Settings ds;
    const QJsonObject m = r.object(settings, "matching", QStringLiteral("settings."));
    const QString mp = QStringLiteral("settings.matching.");
    s.lowSWR = r.number(m, "low_swr", mp, ds.lowSWR);
    s.mediumSWR = r.number(m, "medium_swr", mp, ds.mediumSWR);
    s.highSWR = r.number(m, "high_swr", mp, ds.highSWR);
    s.bruteForce = r.boolean(m, "brute_force", mp, ds.bruteForce);
    s.smartTune = r.boolean(m, "smart_tune", mp, ds.smartTune);
    const QJsonObject z = r.object(settings, "z_load", QStringLiteral("settings."));
    const QString zp = QStringLiteral("settings.z_load.");
    s.impedanceStep = r.number(z, "impedance_step", zp, ds.impedanceStep);
    const double rings = r.number(z, "number_of_rings", zp, ds.numberOfRings);
    if (rings == std::floor(rings) && std::fabs(rings) <= 2147483647.0)
        s.numberOfRings = int(rings);
    else if (r.fault.isEmpty())
        r.fault = QStringLiteral("\"%1number_of_rings\": %2").arg(zp, tr("not an integer"));
    const QJsonObject a = r.object(settings, "z_antenna", QStringLiteral("settings."));
    const QString ap = QStringLiteral("settings.z_antenna.");
    s.defaultCableLength = r.number(a, "default_cable_length", ap, ds.defaultCableLength);
    s.velocityFactor = r.number(a, "velocity_factor", ap, ds.velocityFactor);
    const QJsonObject b = r.object(settings, "banks", QStringLiteral("settings."));
    s.inductorBank = r.bank(b, "inductor_uh", QStringLiteral("settings.banks."), ds.inductorBank);
    s.capacitorBank =
        r.bank(b, "capacitor_pf", QStringLiteral("settings.banks."), ds.capacitorBank);
    const QJsonObject c = r.object(settings, "components", QStringLiteral("settings."));
    const QString cp = QStringLiteral("settings.components.");
    s.components.enabled = r.boolean(c, "enabled", cp, ds.components.enabled);
    s.components.qL = r.number(c, "q_l", cp, ds.components.qL);
    s.components.qC = r.number(c, "q_c", cp, ds.components.qC);
    s.components.power = r.number(c, "power_w", cp, ds.components.power);
    s.components.voltageRating =
        r.number(c, "voltage_rating_v_peak", cp, ds.components.voltageRating);
    s.components.currentRating =
        r.number(c, "current_rating_a_rms", cp, ds.components.currentRating);
    for (double v : {s.components.qL, s.components.qC, s.components.power,
                     s.components.voltageRating, s.components.currentRating})
        if (!(v > 0.0) && r.fault.isEmpty())
            r.fault =
                QStringLiteral("\"%1\": %2").arg(cp, tr("a Q, power or rating is not positive"));
    const QJsonObject cable = r.object(settings, "cable", QStringLiteral("settings."));
    const QString kp = QStringLiteral("settings.cable.");
    s.cable.type = cable.value(QLatin1String("type")).toString(ds.cable.type);
    if (s.cable.type != QLatin1String("custom") && !findCablePreset(s.cable.type) &&
        r.fault.isEmpty())
        r.fault = QStringLiteral("\"%1type\": %2").arg(kp, tr("unknown cable type"));
    s.cable.impedance = r.number(cable, "impedance", kp, ds.cable.impedance);
    s.cable.loss = r.number(cable, "loss_db_per_100m_at_10mhz", kp, ds.cable.loss);
    if ((!(s.cable.impedance > 0.0) || !(s.cable.loss >= 0.0)) && r.fault.isEmpty())
        r.fault = QStringLiteral("\"%1\": %2").arg(kp, tr("impedance or loss out of range"));
    const QJsonObject lab = r.object(settings, "lab", QStringLiteral("settings."));
    s.settleTime = r.number(lab, "settle_time_s", QStringLiteral("settings.lab."), ds.settleTime);

    if (!r.fault.isEmpty())
        return fail(0, tr("damaged session: %1").arg(r.fault));
    if (session)
        *session = out;
    return true;
}

bool writeSessionFile(const QString &path, const Session &session, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(sessionToJson(session)) < 0 ||
        !file.commit()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool readSessionFile(const QString &path, Session *session, QString *error)
{
    QFile file(path);
    // A session is a few kilobytes; anything huge, or not a file, is not one.
    const QFileInfo info(path);
    if (info.exists() && (!info.isFile() || info.size() > (1 << 20))) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, tr("not a session file"));
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return sessionFromJson(file.readAll(), path, session, error);
}

} // namespace LCNet
