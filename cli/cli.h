// The pieces every command of vorlap-cli shares: its options, the parsed
// command line with typed getters, the output writer and the registry.
#ifndef VORLAP_CLI_H
#define VORLAP_CLI_H

#include "lcnet.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QCommandLineParser;

namespace Cli
{

// A bad command line or input file: one line on standard error, exit 2.
struct UsageError {
    QString message;
};

// One option as the user writes it: --name VALUE, or a flag without a value.
struct Option {
    const char *name;
    const char *value; // placeholder in the usage text; nullptr for a flag
    const char *help;
};

// Options several commands take; a command's own ones live in its file.
namespace Opt
{
extern const Option settings, format, help, version;
extern const Option freq, load, l, c, config, lowSwr, length, velocityFactor;
// Real components (zin, tune), the user's banks (tune and the searches),
// the cable (antenna, sweep).
extern const Option qL, qC, power, lBank, cBank, cable, cableLoss, cableZ0;
extern const std::vector<const Option *> componentOptions, bankOptions, cableOptions;
} // namespace Opt

class Output;
class Invocation;

struct Command {
    const char *name;
    const char *summary;  // one line for the command list
    const char *synopsis; // the options as the usage line shows them
    std::vector<const Option *> options;
    void (*run)(const Invocation &in, Output &out);
    QStringList arguments = {}; // names of the operands after the options, all required
    QStringList formats = {QStringLiteral("json"), QStringLiteral("text")}; // first: default
};

// Every command, in the order the usage text lists them.
const std::vector<const Command *> &commands();

// The parsed command line of one command, with the settings file applied.
// The getters throw UsageError naming the option; a value given on the
// command line always wins over the settings.
class Invocation
{
public:
    Invocation(const Command &command, const QCommandLineParser &parser,
               const LCNet::Settings &settings);

    const Command &command() const { return cmd; }
    const LCNet::Settings &settings() const { return fileSettings; }
    QString format() const;
    QStringList positional() const;

    bool isSet(const Option &option) const;
    // Whether the command has this option at all.
    bool takes(const Option &option) const;
    QString text(const Option &option) const;  // required
    double number(const Option &option) const; // required
    double number(const Option &option, double fallback) const;
    int integer(const Option &option, int fallback) const;
    LCNet::Impedance impedance(const Option &option) const; // R,X, required
    QString choice(const Option &option, const QStringList &choices, const QString &fallback) const;

    // --config antenna|trx, antenna by default.
    LCNet::Calculator::NetType config() const;
    // A calculator with the settings applied; the window's defaults else.
    // The component, bank and cable options of the command override them.
    std::unique_ptr<LCNet::Calculator> calculator() const;
    // Whether the power figures belong in the output: a component option was
    // given, or the settings turn real components on.
    bool componentsOn() const;

private:
    const Command &cmd;
    const QCommandLineParser &parser;
    LCNet::Settings fileSettings;
};

// Collects one result and renders it as a JSON object or as text lines for a
// person. Keys are JSON's; labels and units are the text's.
class Output
{
public:
    enum Format { Json, Text };
    explicit Output(Format format) : fmt(format) {}

    void number(const char *key, const char *label, double value, const char *unit = nullptr);
    void integer(const char *key, const char *label, long long value);
    void boolean(const char *key, const char *label, bool value);
    void text(const char *key, const char *label, const QString &value);
    void impedance(const char *key, const char *label, const LCNet::Impedance &z);
    // "antenna" or "trx" in JSON, the window's name in text.
    void config(const char *key, LCNet::Calculator::NetType n);
    void beginObject(const char *key, const char *label);
    void endObject();
    // A list of objects: each element opens with beginObject(nullptr, ...).
    void beginList(const char *key, const char *label);
    void endList();

    // A command whose format is a text of its own (the sweep's CSV, a JSON
    // array) hands it over whole.
    void whole(const QByteArray &text) { complete = text; }

    QByteArray result() const;

private:
    struct Level {
        bool list = false;   // a list's elements, one line each
        bool inLine = false; // an element of a list
        int count = 0;
    };
    void beginField(const char *key, const char *label, bool composite = false);
    void endField(const char *unit = nullptr);
    void scalar(const char *key, const char *label, const QByteArray &json, const QString &text,
                const char *unit);

    Format fmt;
    QByteArray out;
    QByteArray complete;
    std::vector<Level> levels{Level{}};
};

// The currents, voltages and powers of a setting under the keys
// efficiency, power_in_w, power_load_w, loss_l_w, loss_c_w, i_l_rms_a,
// v_c_rms_v, v_c_peak_v.
void writePowerFigures(Output &out, const LCNet::PowerFigures &f);

// Runs one command line (without the program name); returns the exit status.
int run(const QStringList &arguments);

} // namespace Cli

#endif // VORLAP_CLI_H
