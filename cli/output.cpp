#include "cli.h"

#include <cmath>

namespace Cli
{

namespace
{

QByteArray jsonString(const QString &text)
{
    QByteArray quoted = "\"";
    for (const char ch : text.toUtf8()) {
        if (ch == '"' || ch == '\\') {
            quoted += '\\';
            quoted += ch;
        } else if (static_cast<unsigned char>(ch) < 0x20) {
            quoted += QByteArray("\\u00") + QByteArray::number(ch, 16).rightJustified(2, '0');
        } else {
            quoted += ch;
        }
    }
    return quoted + '"';
}

// JSON has no infinity or NaN: those go as the strings "inf", "-inf", "nan".
QByteArray jsonNumber(double value)
{
    const QByteArray text = LCNet::shortestText(value).toLatin1();
    return std::isfinite(value) ? text : '"' + text + '"';
}

QString impedanceText(const LCNet::Impedance &z)
{
    if (std::signbit(z.X))
        return LCNet::shortestText(z.R) + QStringLiteral(" -j ") + LCNet::shortestText(-z.X);
    return LCNet::shortestText(z.R) + QStringLiteral(" +j ") + LCNet::shortestText(z.X);
}

} // namespace

// JSON: objects one key a line, list elements one object a line.
// Text: "Label: value unit" lines, objects indented under their label, list
// elements one line each.
void Output::beginField(const char *key, const char *label, bool composite)
{
    Level &level = levels.back();
    const QByteArray indent(2 * int(levels.size()) - (fmt == Text ? 2 : 0), ' ');
    if (level.inLine)
        out += level.count ? ", " : "";
    else if (fmt == Json)
        out += (level.count ? ",\n" : "\n") + indent;
    else
        out += indent;
    ++level.count;
    if (!key) // an element of a list
        return;
    if (fmt == Json)
        out += jsonString(QLatin1String(key)) + ": ";
    else if (level.inLine)
        out += QByteArray(label) + ' ';
    else
        out += QByteArray(label) + (composite ? ":\n" : ": ");
}

void Output::endField(const char *unit)
{
    if (fmt == Text && unit)
        out += QByteArray(" ") + unit;
    if (fmt == Text && !levels.back().inLine)
        out += '\n';
}

void Output::scalar(const char *key, const char *label, const QByteArray &json, const QString &text,
                    const char *unit)
{
    beginField(key, label);
    out += fmt == Json ? json : text.toUtf8();
    endField(unit);
}

void Output::number(const char *key, const char *label, double value, const char *unit)
{
    scalar(key, label, jsonNumber(value), LCNet::shortestText(value), unit);
}

void Output::integer(const char *key, const char *label, long long value)
{
    scalar(key, label, QByteArray::number(value), QString::number(value), nullptr);
}

void Output::boolean(const char *key, const char *label, bool value)
{
    scalar(key, label, value ? "true" : "false",
           value ? QStringLiteral("yes") : QStringLiteral("no"), nullptr);
}

void Output::text(const char *key, const char *label, const QString &value)
{
    scalar(key, label, jsonString(value), value, nullptr);
}

void Output::impedance(const char *key, const char *label, const LCNet::Impedance &z)
{
    scalar(key, label, "{\"r\": " + jsonNumber(z.R) + ", \"x\": " + jsonNumber(z.X) + "}",
           impedanceText(z), "ohm");
}

void Output::config(const char *key, LCNet::Calculator::NetType n)
{
    const bool trx = n != LCNet::Calculator::CAntenna;
    scalar(key, "Configuration", trx ? "\"trx\"" : "\"antenna\"",
           trx ? QStringLiteral("C-TRX") : QStringLiteral("C-Antenna"), nullptr);
}

void Output::beginObject(const char *key, const char *label)
{
    const bool element = levels.back().list;
    const bool inLine = element || levels.back().inLine;
    beginField(key, label, true);
    if (fmt == Json)
        out += '{';
    Level level;
    level.inLine = inLine;
    levels.push_back(level);
}

void Output::endObject()
{
    const Level level = levels.back();
    levels.pop_back();
    if (fmt == Json && level.inLine)
        out += '}';
    else if (fmt == Json)
        out += '\n' + QByteArray(2 * int(levels.size()), ' ') + '}';
    else if (levels.back().list)
        out += '\n';
}

void Output::beginList(const char *key, const char *label)
{
    beginField(key, label, true);
    if (fmt == Json)
        out += '[';
    Level level;
    level.list = true;
    levels.push_back(level);
}

void Output::endList()
{
    const Level level = levels.back();
    levels.pop_back();
    const QByteArray indent(2 * int(levels.size()), ' ');
    if (fmt == Json)
        out += level.count ? '\n' + indent + ']' : QByteArray("]");
    else if (!level.count)
        out += indent + "none\n";
}

QByteArray Output::result() const
{
    if (!complete.isEmpty())
        return complete;
    return fmt == Json ? '{' + out + "\n}\n" : out;
}

} // namespace Cli

namespace Cli
{

void writePowerFigures(Output &out, const LCNet::PowerFigures &f)
{
    out.number("efficiency", "Efficiency", f.efficiency);
    out.number("power_in_w", "Power into the tuner", f.powerIn, "W");
    out.number("power_load_w", "Power into the load", f.powerLoad, "W");
    out.number("loss_l_w", "Loss in L", f.lossL, "W");
    out.number("loss_c_w", "Loss in C", f.lossC, "W");
    out.number("i_l_rms_a", "I(L) RMS", f.currentL, "A");
    out.number("v_c_rms_v", "V(C) RMS", f.voltageC, "V");
    out.number("v_c_peak_v", "V(C) peak", f.voltageCPeak, "V");
    out.boolean("i_l_over_rating", "I(L) beyond the rating", f.currentOver);
    out.boolean("v_c_over_rating", "V(C) beyond the rating", f.voltageOver);
}

} // namespace Cli
