#include "banks.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace LCNet
{

namespace
{
QString tr(const char *text)
{
    return QCoreApplication::translate("LCNet::Banks", text);
}
} // namespace

bool parseMillionths(const QString &text, Millionths *value, QString *why)
{
    const QString t = text.trimmed();
    auto fail = [&](const QString &reason) {
        if (why)
            *why = reason;
        return false;
    };
    if (t.isEmpty())
        return fail(tr("empty"));
    Millionths whole = 0;
    Millionths fraction = 0;
    int decimals = 0;
    bool point = false;
    bool digits = false;
    for (const QChar ch : t) {
        if (ch == QLatin1Char('.') && !point) {
            point = true;
        } else if (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) {
            digits = true;
            const int d = ch.unicode() - '0';
            if (point) {
                if (++decimals > 6)
                    return fail(tr("\"%1\" has more than 6 digits after the point").arg(t));
                fraction = fraction * 10 + d;
            } else {
                if (whole > MaxBankValue / 1000000)
                    return fail(tr("\"%1\" is too large").arg(t));
                whole = whole * 10 + d;
            }
        } else if (ch == QLatin1Char('-')) {
            return fail(tr("\"%1\" is negative").arg(t));
        } else {
            return fail(tr("\"%1\" is not a decimal number").arg(t));
        }
    }
    if (!digits)
        return fail(tr("\"%1\" is not a decimal number").arg(t));
    for (int k = decimals; k < 6; ++k)
        fraction *= 10;
    const Millionths v = whole * 1000000 + fraction;
    if (v > MaxBankValue)
        return fail(tr("\"%1\" is too large").arg(t));
    *value = v;
    return true;
}

QString millionthsText(Millionths value)
{
    QString text = QString::number(value / 1000000);
    Millionths fraction = value % 1000000;
    if (fraction != 0) {
        QString digits = QString::number(fraction).rightJustified(6, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        text += QLatin1Char('.') + digits;
    }
    return text;
}

BankSpec BankSpec::defaultInductor()
{
    BankSpec b;
    b.relays = 8;
    for (int k = 0; k < 8; ++k)
        b.values[size_t(k)] = Millionths(detail::LWeights[k]) * 10000;
    return b;
}

BankSpec BankSpec::defaultCapacitor()
{
    BankSpec b;
    b.relays = 8;
    for (int k = 0; k < 8; ++k)
        b.values[size_t(k)] = Millionths(detail::CWeights[k]) * 1000000;
    return b;
}

Millionths BankSpec::sum(int step) const
{
    Millionths s = minimum;
    for (int k = 0; k < relays; ++k)
        if (step & (1 << k))
            s += values[size_t(k)];
    return s;
}

bool BankSpec::isValid(QString *why) const
{
    auto fail = [&](const QString &reason) {
        if (why)
            *why = reason;
        return false;
    };
    if (relays < 1 || relays > MaxRelays)
        return fail(tr("a bank has from 1 to %1 relays, not %2").arg(MaxRelays).arg(relays));
    if (minimum < 0 || minimum > MaxBankValue)
        return fail(tr("the minimum is out of range"));
    for (int k = 0; k < relays; ++k)
        if (values[size_t(k)] < 0 || values[size_t(k)] > MaxBankValue)
            return fail(tr("relay %1 is out of range").arg(k + 1));
    return true;
}

QString BankSpec::toText() const
{
    QStringList parts;
    for (int k = 0; k < relays; ++k)
        parts << millionthsText(values[size_t(k)]);
    return QStringLiteral("%1: %2; %3")
        .arg(relays)
        .arg(millionthsText(minimum), parts.join(QStringLiteral(", ")));
}

bool BankSpec::fromText(const QString &text, BankSpec *bank, QString *why)
{
    auto fail = [&](const QString &reason) {
        if (why)
            *why = reason;
        return false;
    };
    const int colon = text.indexOf(QLatin1Char(':'));
    const int semicolon = text.indexOf(QLatin1Char(';'));
    if (colon < 0 || semicolon < colon)
        return fail(tr("expected \"relays: minimum; value, value, ...\""));
    bool ok = false;
    BankSpec b;
    b.relays = text.left(colon).trimmed().toInt(&ok);
    if (!ok || b.relays < 1 || b.relays > MaxRelays)
        return fail(tr("a bank has from 1 to %1 relays").arg(MaxRelays));
    if (!parseMillionths(text.mid(colon + 1, semicolon - colon - 1), &b.minimum, why))
        return false;
    const QStringList values = text.mid(semicolon + 1).split(QLatin1Char(','));
    if (values.size() != b.relays)
        return fail(tr("%1 relays need %1 values, not %2").arg(b.relays).arg(values.size()));
    for (int k = 0; k < b.relays; ++k)
        if (!parseMillionths(values[k], &b.values[size_t(k)], why))
            return false;
    if (!b.isValid(why))
        return false;
    *bank = b;
    return true;
}

StepTable::StepTable(const BankSpec &bank)
{
    auto data = std::make_shared<Data>();
    data->bank = bank;
    data->values.resize(size_t(bank.steps()));
    for (int i = 0; i < bank.steps(); ++i)
        data->values[size_t(i)] = bank.value(i);
    d = std::move(data);
}

StepTable StepTable::defaultInductor()
{
    static const StepTable table(BankSpec::defaultInductor());
    return table;
}

StepTable StepTable::defaultCapacitor()
{
    static const StepTable table(BankSpec::defaultCapacitor());
    return table;
}

bool StepTable::isDefault() const
{
    return d->bank == BankSpec::defaultInductor() || d->bank == BankSpec::defaultCapacitor();
}

double StepTable::smallestStep() const
{
    double s = HUGE_VAL;
    for (int i = 1; i < size(); ++i)
        s = std::min(s, std::fabs((*this)[i] - (*this)[i - 1]));
    return s;
}

double StepTable::largestStep() const
{
    double s = 0.0;
    for (int i = 1; i < size(); ++i)
        s = std::max(s, std::fabs((*this)[i] - (*this)[i - 1]));
    return s;
}

} // namespace LCNet
