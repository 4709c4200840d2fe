// The tuner's two switched banks: the default tables and banks of the
// user's own relays.
#ifndef LCNET_BANKS_H
#define LCNET_BANKS_H

#include <QString>
#include <QtGlobal>

#include <array>
#include <memory>
#include <vector>

namespace LCNet
{

namespace detail
{
// Component values per bit; L in hundredths of a microhenry so that every
// step is an exact integer sum, divided once into the nearest double.
inline constexpr int LWeights[8] = {8, 17, 35, 72, 148, 304, 624, 1278};
inline constexpr int CWeights[8] = {15, 31, 60, 120, 235, 500, 1000, 2000};

constexpr int bankSum(const int (&weights)[8], int step)
{
    int sum = 0;
    for (int k = 0; k < 8; ++k)
        if (step & (1 << k))
            sum += weights[k];
    return sum;
}
constexpr std::array<double, 256> makeLTable()
{
    std::array<double, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = bankSum(LWeights, i) / 100.0;
    return t;
}
constexpr std::array<double, 256> makeCTable()
{
    std::array<double, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = bankSum(CWeights, i);
    return t;
}
} // namespace detail

inline constexpr int TableSize = 256;
// Inductance per step of the default bank, µH.
inline constexpr std::array<double, TableSize> LTable = detail::makeLTable();
// Capacitance per step of the default bank, pF.
inline constexpr std::array<double, TableSize> CTable = detail::makeCTable();

// Bank values are kept in millionths of the unit (µH or pF), so that each
// step is an exact integer sum, divided once into the nearest double.
using Millionths = qint64;
inline constexpr int MaxRelays = 12;
// 1e8 units: the sum of a minimum and twelve relays stays below 2^53.
inline constexpr Millionths MaxBankValue = Millionths(100000000) * 1000000;

// A decimal with at most six digits after the point and no sign, exponent
// or group separator ("0.08", "12.78", "2000", ".5"); false otherwise, with
// the reason in `why`.
bool parseMillionths(const QString &text, Millionths *value, QString *why = nullptr);
// The shortest decimal text of a value ("0.08", "2000").
QString millionthsText(Millionths value);

// One bank: a fixed minimum that is always present, plus one value per
// relay; step i closes the relays whose bit is set in i, bit 0 the first.
struct BankSpec {
    int relays = 0;
    Millionths minimum = 0;
    std::array<Millionths, MaxRelays> values{};

    static BankSpec defaultInductor();
    static BankSpec defaultCapacitor();

    int steps() const { return 1 << relays; }
    Millionths sum(int step) const;
    double value(int step) const { return double(sum(step)) / 1e6; }
    // Between 1 and MaxRelays relays, every value from 0 to MaxBankValue.
    bool isValid(QString *why = nullptr) const;
    // "<relays>: <minimum>; <v1>, <v2>, ..." for settings files and options.
    QString toText() const;
    static bool fromText(const QString &text, BankSpec *bank, QString *why = nullptr);

    friend bool operator==(const BankSpec &a, const BankSpec &b)
    {
        return a.relays == b.relays && a.minimum == b.minimum && a.values == b.values;
    }
    friend bool operator!=(const BankSpec &a, const BankSpec &b) { return !(a == b); }
};

// The values of every step of a bank, built once and shared by copies.
class StepTable
{
public:
    // The default bank of the kind.
    static StepTable defaultInductor();
    static StepTable defaultCapacitor();
    // bank must be valid.
    explicit StepTable(const BankSpec &bank);

    int size() const { return int(d->values.size()); }
    int last() const { return size() - 1; }
    double operator[](int step) const { return d->values[size_t(step)]; }
    const double *data() const { return d->values.data(); }
    const BankSpec &bank() const { return d->bank; }
    bool isDefault() const;

    // Smallest and largest difference between neighbouring steps.
    double smallestStep() const;
    double largestStep() const;

    friend bool operator==(const StepTable &a, const StepTable &b)
    {
        return a.d == b.d || a.d->bank == b.d->bank;
    }
    friend bool operator!=(const StepTable &a, const StepTable &b) { return !(a == b); }

private:
    struct Data {
        BankSpec bank;
        std::vector<double> values;
    };
    std::shared_ptr<const Data> d;
};

} // namespace LCNet

#endif // LCNET_BANKS_H
