#include "loadfile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>
#include <QVarLengthArray>

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace LCNet
{

namespace
{

// No load file comes near this; refusing larger ones keeps a wrong pick (a
// video, a disk image) from filling the memory.
constexpr qint64 MaxFileBytes = qint64(256) << 20;

struct Failure {
    int line = 0;
    QString message;
};

// A piece of the file for a message: short, in quotes. Only called on
// lines already known to be UTF-8.
QString quoted(QByteArrayView text)
{
    QString s = QString::fromUtf8(text);
    if (s.size() > 40)
        s = s.left(37) + QLatin1String("...");
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

// --- Numbers ----------------------------------------------------------------

enum class Number { Ok, NotANumber, NotFinite, OutOfRange };

// from_chars reads no leading '+'.
QByteArrayView withoutPlus(QByteArrayView text)
{
    if (text.size() > 1 && text.front() == '+' && text[1] != '+' && text[1] != '-')
        return text.sliced(1);
    return text;
}

Number parseNumber(QByteArrayView text, double *value)
{
    text = withoutPlus(text);
    const char *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, *value);
    if (ec == std::errc::invalid_argument || ptr != end)
        return Number::NotANumber;
    if (ec == std::errc::result_out_of_range)
        return Number::OutOfRange;
    return std::isfinite(*value) ? Number::Ok : Number::NotFinite;
}

// A frequency written in units of 10^exponent kHz. The unit goes into the
// decimal exponent of the text before the one conversion, so 2.002 MHz reads
// as 2002 kHz exactly rather than 2.002 * 1000 = 2001.9999999999998.
Number parseFrequency(QByteArrayView text, int exponent, double *kHz)
{
    const Number status = parseNumber(text, kHz);
    if (status != Number::Ok || exponent == 0)
        return status;
    text = withoutPlus(text);
    qsizetype e = text.indexOf('e');
    if (e < 0)
        e = text.indexOf('E');
    long long power = 0;
    if (e >= 0) {
        const QByteArrayView digits = withoutPlus(text.sliced(e + 1));
        const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), power);
        Q_UNUSED(ptr);
        // Far beyond any double either way, and safe to add to.
        if (ec == std::errc::result_out_of_range || power > 100000 || power < -100000)
            power = digits.startsWith('-') ? -100000 : 100000;
        text = text.first(e);
    }
    std::string shifted(text.data(), size_t(text.size()));
    shifted += 'e';
    shifted += std::to_string(power + exponent);
    const auto [ptr, ec] = std::from_chars(shifted.data(), shifted.data() + shifted.size(), *kHz);
    Q_UNUSED(ptr);
    return ec == std::errc() ? Number::Ok : Number::OutOfRange;
}

QString numberProblem(Number status, QByteArrayView text)
{
    switch (status) {
    case Number::Ok:
        break;
    case Number::NotANumber:
        return text.isEmpty() ? QStringLiteral("an empty field where a number belongs")
                              : QStringLiteral("%1 is not a number").arg(quoted(text));
    case Number::NotFinite:
        return QStringLiteral("%1 is not a finite number").arg(quoted(text));
    case Number::OutOfRange:
        return QStringLiteral("%1 is out of range").arg(quoted(text));
    }
    return {};
}

// Frequency units by their power of ten in kHz; the name as written in
// messages.
struct Unit {
    const char *key;
    const char *name;
    int exponent;
};
constexpr Unit Units[] = {
    {"khz", "kHz", 0}, {"mhz", "MHz", 3}, {"ghz", "GHz", 6}, {"hz", "Hz", -3}};

// m·e^(jθ), θ in degrees; whole quarter turns exact, so that "1 180" is -1.
Impedance polar(double magnitude, double degrees)
{
    const double turn = std::remainder(degrees, 360.0);
    if (turn == 0.0)
        return {magnitude, 0.0};
    if (turn == 90.0)
        return {0.0, magnitude};
    if (turn == -90.0)
        return {0.0, -magnitude};
    if (turn == 180.0 || turn == -180.0)
        return {-magnitude, 0.0};
    const double radians = turn * (TwoPi / 360.0);
    return {magnitude * std::cos(radians), magnitude * std::sin(radians)};
}

// The impedance whose reflection coefficient against r is gamma.
Impedance fromReflection(const Impedance &gamma, double r)
{
    return Impedance(r, 0.0) * ((Impedance(1.0, 0.0) + gamma) / (Impedance(1.0, 0.0) - gamma));
}

// --- Lines ------------------------------------------------------------------

// Lines end in LF or CR LF, or in CR alone in a file without any LF.
class LineReader
{
public:
    explicit LineReader(QByteArrayView data)
        : m_data(data), m_end(data.contains('\n') || !data.contains('\r') ? '\n' : '\r')
    {
    }

    bool next(QByteArrayView *line)
    {
        if (m_pos >= m_data.size())
            return false;
        qsizetype end = m_data.indexOf(m_end, m_pos);
        if (end < 0)
            end = m_data.size();
        *line = m_data.sliced(m_pos, end - m_pos);
        if (line->endsWith('\r'))
            line->chop(1);
        m_pos = end + 1;
        ++m_number;
        return true;
    }
    int number() const { return m_number; }

private:
    QByteArrayView m_data;
    char m_end;
    qsizetype m_pos = 0;
    int m_number = 0;
};

// Why a line is no text, or an empty string.
QString binaryProblem(QByteArrayView line)
{
    bool high = false;
    for (const char c : line) {
        const auto u = static_cast<unsigned char>(c);
        if (u == 0)
            return QStringLiteral("a NUL byte: this is a binary file, not text");
        if (u < 0x20 && c != '\t' && c != '\r' && c != '\f' && c != '\v')
            return QStringLiteral("control character 0x%1: this is a binary file, not text")
                .arg(u, 2, 16, QLatin1Char('0'));
        high = high || u >= 0x80;
    }
    if (high) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = decoder(line);
        Q_UNUSED(text);
        if (decoder.hasError())
            return QStringLiteral("bytes that are not UTF-8: this is a binary file, not text");
    }
    return {};
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\f' || c == '\v';
}

// Splits on blanks; keeps the first max fields and returns how many there are.
int splitBlanks(QByteArrayView line, QByteArrayView *fields, int max)
{
    int count = 0;
    qsizetype i = 0;
    while (true) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        if (i == line.size())
            return count;
        const qsizetype start = i;
        while (i < line.size() && !isBlank(line[i]))
            ++i;
        if (count < max)
            fields[count] = line.sliced(start, i - start);
        ++count;
    }
}

// --- What every format shares ------------------------------------------------

class Reader
{
public:
    Failure failure;

protected:
    QVector<LoadPoint> m_points;
    int m_lastLine = 0;

    bool fail(int line, const QString &message)
    {
        failure = {line, message};
        return false;
    }

    bool readFrequency(int line, QByteArrayView text, const Unit &unit, double *kHz)
    {
        const Number status = parseFrequency(text, unit.exponent, kHz);
        if (status != Number::Ok && status != Number::OutOfRange)
            return fail(line, QStringLiteral("frequency: ") + numberProblem(status, text));
        if (status == Number::OutOfRange || !(*kHz >= MinLoadFrequencyKHz) ||
            !(*kHz <= MaxLoadFrequencyKHz))
            return fail(line, QStringLiteral("frequency %1 %2 is outside 1 kHz to 1 GHz")
                                  .arg(QString::fromUtf8(text), QLatin1String(unit.name)));
        if (!m_points.isEmpty() && !(*kHz > m_points.last().frequencyKHz))
            return fail(line, QStringLiteral("frequency %1 %2 is not above the one on line %3; "
                                             "frequencies must increase")
                                  .arg(QString::fromUtf8(text), QLatin1String(unit.name),
                                       QString::number(m_lastLine)));
        return true;
    }

    bool readValue(int line, QByteArrayView text, double *value, const QString &context = {})
    {
        const Number status = parseNumber(text, value);
        if (status == Number::Ok)
            return true;
        return fail(line, context + numberProblem(status, text));
    }

    bool addPoint(int line, double kHz, const Impedance &z)
    {
        if (!std::isfinite(z.R) || !std::isfinite(z.X))
            return fail(line, QStringLiteral("these values give no finite impedance "
                                             "(an open circuit or an overflow)"));
        m_points.append({kHz, z});
        m_lastLine = line;
        return true;
    }
};

// --- Touchstone ---------------------------------------------------------------

class TouchstoneReader : public Reader
{
public:
    bool read(QByteArrayView data, QVector<LoadPoint> *points)
    {
        LineReader lines(data);
        QByteArrayView raw;
        bool first = true;
        while (lines.next(&raw)) {
            const int n = lines.number();
            const QString binary = binaryProblem(raw);
            if (!binary.isEmpty())
                return fail(n, binary);
            QByteArrayView line = raw;
            const qsizetype comment = line.indexOf('!');
            if (comment >= 0)
                line = line.first(comment);
            line = line.trimmed();
            if (line.isEmpty())
                continue;
            if (m_informationLine) {
                // Free-form information up to its end keyword.
                if (line.startsWith('[') && keywordName(line) == QLatin1String("end information"))
                    m_informationLine = 0;
                continue;
            }
            if (m_endLine)
                return fail(n, QStringLiteral("text after [End] on line %1").arg(m_endLine));
            bool ok;
            if (line.startsWith('['))
                ok = keyword(n, line, first);
            else if (m_referencePending)
                ok = referenceValues(n, line);
            else if (line.startsWith('#'))
                ok = options(n, line.sliced(1));
            else
                ok = dataLine(n, line);
            if (!ok)
                return false;
            first = false;
        }
        const int last = qMax(1, lines.number());
        if (m_informationLine)
            return fail(last, QStringLiteral("[Begin Information] on line %1 has no "
                                             "[End Information]")
                                  .arg(m_informationLine));
        if (m_referencePending)
            return fail(last,
                        QStringLiteral("[Reference] on line %1 has no value").arg(m_referenceLine));
        if (m_points.isEmpty())
            return fail(last, QStringLiteral("no data points"));
        if (m_version2 && !countMatches(last))
            return false;
        *points = std::move(m_points);
        return true;
    }

private:
    enum Parameter { S, Y, Z };
    enum Format { MA, DB, RI };

    bool m_version2 = false;
    int m_optionLine = 0;
    Unit m_unit = Units[2]; // GHz
    Parameter m_parameter = S;
    Format m_format = MA;
    double m_reference = 50.0;
    QHash<QString, int> m_keywordLines;
    int m_ports = 0;
    long long m_frequencies = 0;
    int m_referenceLine = 0;
    bool m_referencePending = false;
    int m_informationLine = 0;
    int m_networkDataLine = 0;
    int m_endLine = 0;

    static QString keywordName(QByteArrayView line)
    {
        const qsizetype close = line.indexOf(']');
        return QString::fromUtf8(line.sliced(1, (close < 0 ? line.size() : close) - 1))
            .simplified()
            .toLower();
    }

    static bool readCount(QByteArrayView text, long long *count)
    {
        const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), *count);
        return ec == std::errc() && ptr == text.data() + text.size() && *count > 0;
    }

    bool keyword(int n, QByteArrayView line, bool first)
    {
        const qsizetype close = line.indexOf(']');
        if (close < 0)
            return fail(n, QStringLiteral("%1 has no closing ']'").arg(quoted(line)));
        const QString name = keywordName(line);
        const QString shown = QLatin1Char('[') +
                              QString::fromUtf8(line.sliced(1, close - 1)).simplified() +
                              QLatin1Char(']');
        const QByteArrayView rest = line.sliced(close + 1).trimmed();

        if (name == QLatin1String("version")) {
            if (!first)
                return fail(n, QStringLiteral("[Version] must come before everything but "
                                              "comments"));
            if (rest != "2.0" && rest != "2.1")
                return fail(n, QStringLiteral("Touchstone version %1 is not supported; "
                                              "2.0 and 2.1 are")
                                   .arg(quoted(rest)));
            m_version2 = true;
            m_keywordLines.insert(name, n);
            return true;
        }
        if (!m_version2)
            return fail(n, QStringLiteral("%1 belongs to Touchstone 2 files, which begin with "
                                          "[Version] 2.0")
                               .arg(shown));
        if (m_referencePending)
            return fail(n,
                        QStringLiteral("[Reference] on line %1 has no value").arg(m_referenceLine));
        const auto seen = m_keywordLines.constFind(name);
        if (seen != m_keywordLines.constEnd())
            return fail(n, QStringLiteral("a second %1 (the first is on line %2)")
                               .arg(shown, QString::number(*seen)));
        m_keywordLines.insert(name, n);

        if (name == QLatin1String("number of noise frequencies") ||
            name == QLatin1String("noise data"))
            return fail(n, QStringLiteral("%1: noise data belong to two-port files; only "
                                          "one-port files can be read")
                               .arg(shown));
        if (name == QLatin1String("mixed-mode order"))
            return fail(n, QStringLiteral("%1 describes more than one port; only one-port files "
                                          "can be read")
                               .arg(shown));
        if (m_networkDataLine && name != QLatin1String("end"))
            return fail(n, QStringLiteral("%1 after [Network Data] on line %2")
                               .arg(shown, QString::number(m_networkDataLine)));

        const bool bare = name == QLatin1String("network data") || name == QLatin1String("end") ||
                          name == QLatin1String("begin information") ||
                          name == QLatin1String("end information");
        if (bare && !rest.isEmpty())
            return fail(n, QStringLiteral("unexpected %1 after %2").arg(quoted(rest), shown));

        if (name == QLatin1String("number of ports")) {
            long long ports = 0;
            if (!readCount(rest, &ports))
                return fail(n, QStringLiteral("%1 needs a whole number above 0, not %2")
                                   .arg(shown, quoted(rest)));
            if (ports != 1)
                return fail(n, QStringLiteral("a file with %1 ports; only one-port files can be "
                                              "read")
                                   .arg(ports));
            m_ports = 1;
        } else if (name == QLatin1String("number of frequencies")) {
            if (!readCount(rest, &m_frequencies))
                return fail(n, QStringLiteral("%1 needs a whole number above 0, not %2")
                                   .arg(shown, quoted(rest)));
        } else if (name == QLatin1String("two-port data order")) {
            // Says nothing about a single port.
        } else if (name == QLatin1String("matrix format")) {
            if (rest.compare("full", Qt::CaseInsensitive) != 0 &&
                rest.compare("lower", Qt::CaseInsensitive) != 0 &&
                rest.compare("upper", Qt::CaseInsensitive) != 0)
                return fail(
                    n,
                    QStringLiteral("%1 is Full, Lower or Upper, not %2").arg(shown, quoted(rest)));
        } else if (name == QLatin1String("reference")) {
            m_referenceLine = n;
            m_referencePending = true;
            if (!rest.isEmpty())
                return referenceValues(n, rest);
        } else if (name == QLatin1String("begin information")) {
            m_informationLine = n;
        } else if (name == QLatin1String("end information")) {
            return fail(n, QStringLiteral("[End Information] without [Begin Information]"));
        } else if (name == QLatin1String("network data")) {
            if (!m_optionLine)
                return fail(n, QStringLiteral("no option line ('# ...') before [Network Data]"));
            if (!m_ports)
                return fail(n, QStringLiteral("[Number of Ports] is missing before "
                                              "[Network Data]"));
            if (!m_frequencies)
                return fail(n, QStringLiteral("[Number of Frequencies] is missing before "
                                              "[Network Data]"));
            m_networkDataLine = n;
        } else if (name == QLatin1String("end")) {
            if (!m_networkDataLine)
                return fail(n, QStringLiteral("[End] before [Network Data]"));
            if (!countMatches(n))
                return false;
            m_endLine = n;
        } else {
            return fail(n, QStringLiteral("unknown keyword %1").arg(shown));
        }
        return true;
    }

    bool countMatches(int n)
    {
        if (m_points.size() == m_frequencies)
            return true;
        return fail(n, QStringLiteral("[Number of Frequencies] on line %1 says %2, but there "
                                      "are %3 data lines")
                           .arg(m_keywordLines.value(QStringLiteral("number of frequencies")))
                           .arg(m_frequencies)
                           .arg(m_points.size()));
    }

    bool referenceValues(int n, QByteArrayView text)
    {
        QByteArrayView field;
        const int count = splitBlanks(text, &field, 1);
        if (count != 1)
            return fail(n, QStringLiteral("[Reference] gives %1 values; a one-port file has "
                                          "one")
                               .arg(count));
        double r = 0.0;
        if (!readValue(n, field, &r, QStringLiteral("[Reference]: ")))
            return false;
        if (!(r > 0.0))
            return fail(n, QStringLiteral("[Reference] %1 is not above 0 ohm").arg(quoted(field)));
        m_reference = r;
        m_referencePending = false;
        return true;
    }

    bool options(int n, QByteArrayView text)
    {
        if (m_optionLine)
            return fail(
                n,
                QStringLiteral("a second option line (the first is on line %1)").arg(m_optionLine));
        QVarLengthArray<QByteArrayView, 8> words(splitBlanks(text, nullptr, 0));
        splitBlanks(text, words.data(), int(words.size()));
        QByteArrayView unit, parameter, format, reference;
        auto once = [&](QByteArrayView *slot, QByteArrayView word, const char *kind) {
            if (!slot->isEmpty())
                return fail(n, QStringLiteral("the option line names two %1: %2 and %3")
                                   .arg(QLatin1String(kind), quoted(*slot), quoted(word)));
            *slot = word;
            return true;
        };
        for (qsizetype i = 0; i < words.size(); ++i) {
            const QByteArrayView word = words[i];
            const QByteArray key = word.toByteArray().toLower();
            bool ok = true;
            if (key == "hz" || key == "khz" || key == "mhz" || key == "ghz") {
                ok = once(&unit, word, "frequency units");
                for (const Unit &u : Units)
                    if (key == u.key)
                        m_unit = u;
            } else if (key == "s" || key == "y" || key == "z") {
                ok = once(&parameter, word, "parameters");
                m_parameter = key == "s" ? S : key == "y" ? Y : Z;
            } else if (key == "h" || key == "g") {
                return fail(n, QStringLiteral("%1 parameters describe two-port networks; only "
                                              "one-port S, Y or Z data can be read")
                                   .arg(quoted(word)));
            } else if (key == "ma" || key == "db" || key == "ri") {
                ok = once(&format, word, "number formats");
                m_format = key == "ma" ? MA : key == "db" ? DB : RI;
            } else if (key == "r") {
                if (i + 1 == words.size())
                    return fail(n, QStringLiteral("R without a reference resistance"));
                double r = 0.0;
                ok = once(&reference, words[++i], "reference resistances") &&
                     readValue(n, words[i], &r, QStringLiteral("reference resistance: "));
                if (ok && !(r > 0.0))
                    return fail(n, QStringLiteral("reference resistance %1 is not above 0 ohm")
                                       .arg(quoted(words[i])));
                // [Reference] wins over R, wherever it stands.
                if (!m_referenceLine)
                    m_reference = r;
            } else {
                return fail(n,
                            QStringLiteral("unknown word %1 in the option line").arg(quoted(word)));
            }
            if (!ok)
                return false;
        }
        m_optionLine = n;
        return true;
    }

    bool dataLine(int n, QByteArrayView line)
    {
        if (m_version2 && !m_networkDataLine)
            return fail(n, QStringLiteral("data before [Network Data]"));
        if (!m_optionLine)
            return fail(n, QStringLiteral("no option line ('# ...') before data"));
        QByteArrayView f[3];
        const int count = splitBlanks(line, f, 3);
        if (count > 3 && !m_version2)
            return fail(n, QStringLiteral("%1 numbers on a data line: a file of more than one "
                                          "port; only one-port files (frequency and two numbers "
                                          "per line) can be read")
                               .arg(count));
        if (count != 3)
            return fail(n, QStringLiteral("%1 numbers on a data line; a one-port data line has "
                                          "3: frequency and two numbers")
                               .arg(count));
        if (m_version2 && m_points.size() == m_frequencies)
            return fail(n, QStringLiteral("more data lines than the %1 of [Number of "
                                          "Frequencies] on line %2")
                               .arg(m_frequencies)
                               .arg(m_keywordLines.value(QStringLiteral("number of frequencies"))));
        double kHz, a, b;
        if (!readFrequency(n, f[0], m_unit, &kHz) || !readValue(n, f[1], &a) ||
            !readValue(n, f[2], &b))
            return false;
        const Impedance value = m_format == RI   ? Impedance(a, b)
                                : m_format == MA ? polar(a, b)
                                                 : polar(std::pow(10.0, a / 20.0), b);
        // Version 1 normalises Z and Y to the reference; version 2 gives ohm
        // and siemens.
        const double scale = m_version2 ? 1.0 : m_reference;
        Impedance z;
        switch (m_parameter) {
        case S:
            z = fromReflection(value, m_reference);
            break;
        case Z:
            z = {scale * value.R, scale * value.X};
            break;
        case Y:
            z = Impedance(scale, 0.0) / value;
            break;
        }
        return addPoint(n, kHz, z);
    }
};

// --- CSV ------------------------------------------------------------------------

// A column name without case, blanks and punctuation: "Frequency (MHz)" is
// "frequencymhz", "Re(S11)" is "res11".
QString squeezed(QByteArrayView field)
{
    QString key;
    for (const QChar c : QString::fromUtf8(field).toLower())
        if (c.isLetterOrNumber())
            key += c;
    return key;
}

bool isOneOf(const QString &key, std::initializer_list<const char *> names)
{
    for (const char *name : names)
        if (key == QLatin1String(name))
            return true;
    return false;
}

class CsvReader : public Reader
{
public:
    bool read(QByteArrayView data, QVector<LoadPoint> *points)
    {
        LineReader lines(data);
        QByteArrayView raw;
        while (lines.next(&raw)) {
            const int n = lines.number();
            const QString binary = binaryProblem(raw);
            if (!binary.isEmpty())
                return fail(n, binary);
            const QByteArrayView line = raw.trimmed();
            if (line.isEmpty() || line.startsWith('!'))
                continue;
            if (!(m_columns ? row(n, line) : header(n, line)))
                return false;
        }
        if (m_points.isEmpty())
            return fail(qMax(1, lines.number()), QStringLiteral("no data points"));
        *points = std::move(m_points);
        return true;
    }

private:
    char m_separator = ',';
    int m_columns = 0;
    int m_frequency = -1, m_r = -1, m_x = -1, m_re = -1, m_im = -1;
    Unit m_unit = Units[0];
    QVarLengthArray<QString, 8> m_names;

    void split(QByteArrayView line, QVarLengthArray<QByteArrayView, 16> *fields) const
    {
        fields->clear();
        qsizetype start = 0;
        while (true) {
            qsizetype end = line.indexOf(m_separator, start);
            if (end < 0)
                end = line.size();
            QByteArrayView field = line.sliced(start, end - start).trimmed();
            if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
                field = field.sliced(1, field.size() - 2).trimmed();
            fields->append(field);
            if (end == line.size())
                return;
            start = end + 1;
        }
    }

    bool header(int n, QByteArrayView line)
    {
        m_separator = line.contains(';') ? ';' : line.contains(',') ? ',' : '\t';
        QVarLengthArray<QByteArrayView, 16> fields;
        split(line, &fields);
        auto claim = [&](int *slot, int column, const char *what) {
            if (*slot >= 0)
                return fail(n, QStringLiteral("two %1 columns: %2 and %3")
                                   .arg(QLatin1String(what), quoted(fields[*slot]),
                                        quoted(fields[column])));
            *slot = column;
            return true;
        };
        for (int i = 0; i < fields.size(); ++i) {
            m_names.append(QString::fromUtf8(fields[i]));
            QString key = squeezed(fields[i]);
            bool ok = true;
            if (isOneOf(key, {"frequency", "freq", "f", "fq", "stimulus"}))
                return fail(n, QStringLiteral("column %1 does not say the frequency unit (Hz, kHz, "
                                              "MHz or GHz), as in 'Frequency (MHz)'")
                                   .arg(quoted(fields[i])));
            const Unit *unit = nullptr;
            for (const Unit &u : Units) {
                if (key.endsWith(QLatin1String(u.key))) {
                    QString stem = key.chopped(int(qstrlen(u.key)));
                    if (stem.endsWith(QLatin1String("in")))
                        stem.chop(2);
                    if (isOneOf(stem, {"frequency", "freq", "f", "fq", "stimulus", ""}))
                        unit = &u;
                    break;
                }
            }
            if (unit) {
                ok = claim(&m_frequency, i, "frequency");
                m_unit = *unit;
            } else {
                for (const QString &ohm : {QStringLiteral("ohms"), QStringLiteral("ohm"),
                                           QString(QChar(0x03C9))}) // lower-case omega
                    if (key.endsWith(ohm) && key.size() > ohm.size()) {
                        key.chop(ohm.size());
                        break;
                    }
                if (isOneOf(key, {"r", "rs", "rseries", "resistance", "rez", "realz"}))
                    ok = claim(&m_r, i, "resistance");
                else if (isOneOf(key, {"x", "xs", "jx", "xseries", "reactance", "imz", "imagz"}))
                    ok = claim(&m_x, i, "reactance");
                else if (isOneOf(key, {"res11", "s11re", "reals11", "s11real"}))
                    ok = claim(&m_re, i, "real S11");
                else if (isOneOf(key, {"ims11", "s11im", "imags11", "s11imag", "imaginarys11",
                                       "s11imaginary"}))
                    ok = claim(&m_im, i, "imaginary S11");
            }
            if (!ok)
                return false;
        }
        if (m_frequency < 0)
            return fail(n, QStringLiteral("the header %1 names no frequency column with its unit, "
                                          "such as 'Frequency (MHz)' or 'frequency_khz'")
                               .arg(quoted(line)));
        if ((m_r >= 0) != (m_x >= 0))
            return fail(n,
                        QStringLiteral("the header %1 has only one of R and X").arg(quoted(line)));
        if (m_r < 0 && (m_re >= 0) != (m_im >= 0))
            return fail(n, QStringLiteral("the header %1 has only one of Re S11 and Im S11")
                               .arg(quoted(line)));
        if (m_r < 0 && m_re < 0)
            return fail(n, QStringLiteral("the header %1 names neither R and X (ohm) nor the "
                                          "real and imaginary part of S11")
                               .arg(quoted(line)));
        m_columns = int(fields.size());
        return true;
    }

    // A field of a semicolon or tab separated row may use a decimal comma.
    QByteArrayView decimal(QByteArrayView field, QByteArray *buffer) const
    {
        if (m_separator == ',' || !field.contains(','))
            return field;
        *buffer = field.toByteArray().replace(',', '.');
        return *buffer;
    }

    bool row(int n, QByteArrayView line)
    {
        QVarLengthArray<QByteArrayView, 16> fields;
        split(line, &fields);
        if (fields.size() != m_columns)
            return fail(n, QStringLiteral("%1 fields where the header has %2")
                               .arg(fields.size())
                               .arg(m_columns));
        QByteArray buffer;
        double kHz, a, b;
        auto value = [&](int column, double *v) {
            const QByteArrayView text = decimal(fields[column], &buffer);
            const Number status = parseNumber(text, v);
            return status == Number::Ok ||
                   fail(n, QStringLiteral("column '%1': %2")
                               .arg(m_names[column], numberProblem(status, text)));
        };
        if (!readFrequency(n, decimal(fields[m_frequency], &buffer), m_unit, &kHz) ||
            !value(m_r >= 0 ? m_r : m_re, &a) || !value(m_r >= 0 ? m_x : m_im, &b))
            return false;
        return addPoint(n, kHz, m_r >= 0 ? Impedance(a, b) : fromReflection({a, b}, Z0.R));
    }
};

// The first line that is neither blank nor a '!' comment picks the reader.
bool parse(QByteArrayView data, QVector<LoadPoint> *points, Failure *failure)
{
    if (data.startsWith("\xEF\xBB\xBF"))
        data = data.sliced(3);
    LineReader lines(data);
    QByteArrayView raw;
    while (lines.next(&raw)) {
        const QString binary = binaryProblem(raw);
        if (!binary.isEmpty()) {
            *failure = {lines.number(), binary};
            return false;
        }
        const QByteArrayView line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('!'))
            continue;
        const bool separated = line.contains(',') || line.contains(';') || line.contains('\t');
        const char c = line.front();
        const bool numeric = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        if (numeric && separated) {
            *failure = {lines.number(), QStringLiteral("a CSV file needs a header row naming "
                                                       "its columns before the data")};
            return false;
        }
        if (c == '#' || c == '[' || numeric) {
            TouchstoneReader reader;
            const bool ok = reader.read(data, points);
            *failure = reader.failure;
            return ok;
        }
        if (separated) {
            CsvReader reader;
            const bool ok = reader.read(data, points);
            *failure = reader.failure;
            return ok;
        }
        *failure = {lines.number(), QStringLiteral("%1 is neither a Touchstone option line nor "
                                                   "a CSV header")
                                        .arg(quoted(line))};
        return false;
    }
    *failure = {qMax(1, lines.number()), lines.number() ? QStringLiteral("no data points")
                                                        : QStringLiteral("the file is empty")};
    return false;
}

} // namespace

QString LoadFileError::text() const
{
    if (line > 0)
        return QStringLiteral("%1:%2: %3").arg(file, QString::number(line), message);
    return QStringLiteral("%1: %2").arg(file, message);
}

bool parseLoadData(const QByteArray &data, const QString &fileName, QVector<LoadPoint> *points,
                   LoadFileError *error)
{
    QVector<LoadPoint> read;
    Failure failure;
    const bool ok = parse(data, &read, &failure);
    if (points)
        *points = ok ? std::move(read) : QVector<LoadPoint>();
    if (!ok && error)
        *error = {fileName, failure.line, failure.message};
    return ok;
}

bool readLoadFile(const QString &path, QVector<LoadPoint> *points, LoadFileError *error)
{
    auto refuse = [&](const QString &message) {
        if (points)
            points->clear();
        if (error)
            *error = {path, 0, message};
        return false;
    };
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return refuse(QStringLiteral("not a regular file"));
    if (info.size() > MaxFileBytes)
        return refuse(QStringLiteral("%1 bytes is too large for a load file").arg(info.size()));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(QStringLiteral("cannot open: %1").arg(file.errorString()));
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return refuse(QStringLiteral("cannot read: %1").arg(file.errorString()));
    return parseLoadData(data, path, points, error);
}

QString loadFileFormats()
{
    return QStringLiteral(
        "Touchstone one-port files, version 1 (.s1p) or 2 (.ts):\n"
        "  the option line '# <Hz|kHz|MHz|GHz> <S|Y|Z> <MA|DB|RI> R <ohm>' before the data,\n"
        "  words in any order and case, defaults GHz S MA R 50; '!' starts a comment; one line\n"
        "  per frequency: the frequency and two numbers, MA magnitude and angle (degrees), DB\n"
        "  20 log10 of the magnitude and angle, RI real and imaginary part. Version 1: S\n"
        "  referred to R, Z and Y normalised to R. Version 2: [Version] 2.0 first, the option\n"
        "  line, [Number of Ports] 1, [Number of Frequencies], optional [Reference] (replaces\n"
        "  R), [Matrix Format], [Begin Information]...[End Information], then [Network Data],\n"
        "  the data and [End]; Z in ohm, Y in siemens.\n"
        "CSV with a header row, separated by commas, or by semicolons or tabs (then a decimal\n"
        "  comma is allowed): a frequency column naming its unit (frequency_khz, Frequency\n"
        "  (MHz), Freq [Hz], Stimulus(Hz), MHz, ...) and either R and X in ohm (r, x, R (ohm),\n"
        "  Rs, Xs, jX, Resistance, Reactance) or the real and imaginary part of S11 against\n"
        "  50 ohm (Re(S11), Im(S11), s11_re, s11_im, Real S11, Imag S11); other columns are\n"
        "  ignored; lines starting with '!' are comments.\n"
        "The content decides the format, not the file name. Frequencies from 1 kHz to 1 GHz,\n"
        "strictly increasing.\n");
}

} // namespace LCNet
