#include "cli.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <cstdio>

namespace Cli
{

namespace
{

const Option *const globalOptions[] = {&Opt::settings, &Opt::format, &Opt::help, &Opt::version};

QString dashed(const char *name)
{
    return QStringLiteral("--") + QLatin1String(name);
}

// Whether any option of that name takes a value (1), is a flag (0), or
// does not exist (-1).
int takesValue(const QString &name)
{
    std::vector<const Option *> all(std::begin(globalOptions), std::end(globalOptions));
    for (const Command *command : commands())
        all.insert(all.end(), command->options.begin(), command->options.end());
    for (const Option *option : all)
        if (name == QLatin1String(option->name) || (option == &Opt::help && name == "h"))
            return option->value ? 1 : 0;
    return -1;
}

// The command is the first argument that is neither an option nor an
// option's value, so options may come before or after it. Missing and
// unexpected values are found here: the parser would take an option that
// follows an option without its value as that value.
int findCommand(const QStringList &args)
{
    int command = -1;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == QLatin1String("--"))
            return command >= 0 ? command : i + 1 < args.size() ? i + 1 : -1;
        if (!arg.startsWith(QLatin1Char('-')) || arg.size() == 1) {
            if (command < 0)
                command = i;
            continue;
        }
        const QString word = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1);
        const QString name = word.section(QLatin1Char('='), 0, 0);
        const int value = takesValue(name);
        if (value == 0 && word.contains(QLatin1Char('=')))
            throw UsageError{QStringLiteral("--%1: takes no value").arg(name)};
        if (value != 1 || word.contains(QLatin1Char('=')))
            continue;
        if (i + 1 == args.size() || args[i + 1].startsWith(QLatin1String("--")))
            throw UsageError{QStringLiteral("--%1: missing value").arg(name)};
        ++i;
    }
    return command;
}

void addOptions(QCommandLineParser &parser, const std::vector<const Option *> &options)
{
    for (const Option *option : options) {
        QStringList names{QLatin1String(option->name)};
        if (option == &Opt::help)
            names << QStringLiteral("h");
        parser.addOption(option->value
                             ? QCommandLineOption(names, QString(), QLatin1String(option->value))
                             : QCommandLineOption(names));
    }
}

void parse(QCommandLineParser &parser, const QStringList &args)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    if (parser.parse(QStringList{QStringLiteral("vorlap-cli")} + args))
        return;
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty())
        throw UsageError{QStringLiteral("unknown option %1 (see --help)")
                             .arg(dashed(unknown.first().toLatin1().constData()))};
    throw UsageError{parser.errorText()};
}

// Words of text in lines of at most 79 characters, the first one after
// what the line already holds, the others indented; an option stays on the
// line of its value.
QByteArray wrapped(const QByteArray &start, const QByteArray &text, int indent)
{
    QList<QByteArray> words;
    for (const QByteArray &word : text.split(' ')) {
        const bool value = !words.isEmpty() && !word.startsWith('-') && !word.startsWith('[');
        if (value && (words.last().startsWith("--") || words.last().startsWith("[--")) &&
            !words.last().endsWith(']'))
            words.last() += ' ' + word;
        else
            words << word;
    }
    QByteArray out = start;
    int column = int(start.size());
    for (const QByteArray &word : words) {
        if (column + 1 + word.size() > 79 && column > indent) {
            out += '\n' + QByteArray(indent, ' ');
            column = indent;
        } else if (column > 0 && !out.endsWith(' ')) {
            out += ' ';
            ++column;
        }
        out += word;
        column += int(word.size());
    }
    return out + '\n';
}

QByteArray optionLines(const std::vector<const Option *> &options)
{
    QByteArray text;
    for (const Option *option : options) {
        QByteArray left = "  --" + QByteArray(option->name);
        if (option->value)
            left += ' ' + QByteArray(option->value);
        text += wrapped(left.leftJustified(24), option->help, 24);
    }
    return text;
}

QByteArray usage()
{
    QByteArray text = "Usage: vorlap-cli [--settings FILE] [--format FORMAT] COMMAND [OPTIONS]\n\n"
                      "The simulated L-network tuner from the shell: one JSON object on standard\n"
                      "output (--format text: one figure a line, with units).\n\nCommands:\n";
    for (const Command *command : commands())
        text += wrapped("  " + QByteArray(command->name).leftJustified(10), command->summary, 13);
    text += "\nGlobal options, before or after the command:\n" +
            optionLines({std::begin(globalOptions), std::end(globalOptions)});
    return text + "\n'vorlap-cli COMMAND --help' lists the options of a command; see also\n"
                  "vorlap-cli(1).\n";
}

QByteArray usage(const Command &command)
{
    QByteArray summary = command.summary;
    summary[0] = QChar::toUpper(summary[0]);
    return wrapped("Usage: vorlap-cli [--settings FILE] [--format " +
                       command.formats.join(QLatin1Char('|')).toLatin1() + "] " + command.name,
                   command.synopsis, 8) +
           '\n' + summary + ".\n\nOptions:\n" + optionLines(command.options) +
           "\nGlobal options, before or after the command:\n" +
           optionLines({std::begin(globalOptions), std::end(globalOptions)});
}

// QSettings only says that a file is malformed; the line is found here by
// the rules it applies: every line is blank, a ; comment, a [section] or
// holds an = outside quotes; a value ending in \ continues on the next line.
int firstMalformedLine(const QByteArray &data)
{
    const QList<QByteArray> lines = data.split('\n');
    bool continued = false;
    for (int i = 0; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const bool wasContinued = continued;
        continued = line.endsWith('\\');
        if (wasContinued || line.isEmpty() || line.startsWith(';'))
            continue;
        if (line.startsWith('[')) {
            if (!line.contains(']'))
                return i + 1;
            continued = false;
            continue;
        }
        bool quoted = false;
        bool equals = false;
        for (const char ch : line) {
            if (ch == '"')
                quoted = !quoted;
            else if (ch == '=' && !quoted)
                equals = true;
        }
        if (!equals)
            return i + 1;
    }
    return 0;
}

LCNet::Settings readSettingsFile(const QString &path)
{
    const QString name = dashed(Opt::settings.name) + QStringLiteral(": ") + path;
    // A device or a pipe could be read (or wait) for ever.
    const QFileInfo info(path);
    if (info.isDir())
        throw UsageError{name + QStringLiteral(": is a directory")};
    if (info.exists() && !info.isFile())
        throw UsageError{name + QStringLiteral(": not a regular file")};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw UsageError{name + QStringLiteral(": ") + file.errorString()};
    if (info.size() > (1 << 20))
        throw UsageError{name + QStringLiteral(": too large for a settings file")};
    QSettings ini(path, QSettings::IniFormat);
    // Each section is parsed when it is first looked up; allKeys() parses them
    // all, so that a malformed line anywhere sets the status.
    ini.allKeys();
    const LCNet::Settings settings = LCNet::readSettings(ini);
    if (ini.status() == QSettings::AccessError)
        throw UsageError{name + QStringLiteral(": cannot be read")};
    if (ini.status() == QSettings::FormatError) {
        const int line = firstMalformedLine(file.readAll());
        if (line > 0)
            throw UsageError{
                name + QStringLiteral(":%1: not a [section], key=value or ; comment").arg(line)};
        throw UsageError{name + QStringLiteral(": not an INI file")};
    }
    return settings;
}

bool write(std::FILE *stream, const QByteArray &text)
{
    return std::fwrite(text.constData(), 1, size_t(text.size()), stream) == size_t(text.size()) &&
           std::fflush(stream) == 0;
}

int runCommand(const QStringList &args)
{
    const int at = findCommand(args);
    if (at < 0) {
        QCommandLineParser parser;
        addOptions(parser, {std::begin(globalOptions), std::end(globalOptions)});
        parse(parser, args);
        if (parser.isSet(QLatin1String(Opt::version.name)))
            return write(stdout, "vorlap-cli " VORLAP_VERSION "\n") ? 0 : 1;
        if (parser.isSet(QLatin1String(Opt::help.name)))
            return write(stdout, usage()) ? 0 : 1;
        throw UsageError{QStringLiteral("missing command (see --help)")};
    }
    const Command *command = nullptr;
    for (const Command *candidate : commands())
        if (args[at] == QLatin1String(candidate->name))
            command = candidate;
    if (!command)
        throw UsageError{QStringLiteral("unknown command '%1' (see --help)").arg(args[at])};

    QCommandLineParser parser;
    addOptions(parser, {std::begin(globalOptions), std::end(globalOptions)});
    addOptions(parser, command->options);
    parse(parser, args);
    if (parser.isSet(QLatin1String(Opt::help.name)))
        return write(stdout, usage(*command)) ? 0 : 1;
    if (parser.isSet(QLatin1String(Opt::version.name)))
        return write(stdout, "vorlap-cli " VORLAP_VERSION "\n") ? 0 : 1;

    const QString settingsPath = parser.value(QLatin1String(Opt::settings.name));
    const Invocation in(*command, parser,
                        parser.isSet(QLatin1String(Opt::settings.name))
                            ? readSettingsFile(settingsPath)
                            : LCNet::Settings());
    const QStringList operands = in.positional();
    if (operands.size() > command->arguments.size())
        throw UsageError{
            QStringLiteral("unexpected argument '%1'").arg(operands[command->arguments.size()])};
    if (operands.size() < command->arguments.size())
        throw UsageError{
            QStringLiteral("%1: missing %2")
                .arg(QLatin1String(command->name), command->arguments[operands.size()])};

    Output out(in.format() == QLatin1String("text") ? Output::Text : Output::Json);
    command->run(in, out);
    if (!write(stdout, out.result())) {
        std::fprintf(stderr, "vorlap-cli: cannot write the result to standard output\n");
        return 1;
    }
    return 0;
}

} // namespace

int run(const QStringList &arguments)
{
    try {
        return runCommand(arguments);
    } catch (const UsageError &error) {
        // One line, whatever the quoted argument holds.
        QString line = error.message;
        for (QChar &ch : line)
            if (ch < QLatin1Char(' '))
                ch = QLatin1Char('?');
        std::fprintf(stderr, "vorlap-cli: %s\n", line.toLocal8Bit().constData());
        return 2;
    }
}

} // namespace Cli
