#include "cli.h"

namespace Cli
{

// The registry of commands.
//
// A command is one file cmd_NAME.cpp (CMake picks up every cmd_*.cpp) that
// defines `extern const Command nameCommand{...}`: its name, a one-line
// summary, the usage synopsis, the options it accepts, and a run function
// that reads its options through Invocation (whose getters report a bad
// value as a usage error naming the option) and writes its figures through
// Output (JSON keys, text labels and units). Adding it takes that file, its
// declaration below and its line in the list, which is the order of --help.
//
// An option used by one command is a `const Option` in that command's file;
// one that several commands share goes to the Opt namespace (cli.h,
// options.cpp). Adding an option to a command is a line in its option list
// and the line that reads it, e.g. `in.number(Opt::power, 100.0)`.
//
// Operands after the options (a file name) are named in Command::arguments;
// a command with other output formats than JSON and text lists them in
// Command::formats, the first one being its default.
extern const Command zinCommand;
extern const Command tuneCommand;
extern const Command matchedCommand;
extern const Command mismatchCommand;
extern const Command antennaCommand;
extern const Command sweepCommand;
extern const Command labCommand;

const std::vector<const Command *> &commands()
{
    static const std::vector<const Command *> all = {
        &zinCommand,     &tuneCommand,  &matchedCommand, &mismatchCommand,
        &antennaCommand, &sweepCommand, &labCommand,
    };
    return all;
}

} // namespace Cli
