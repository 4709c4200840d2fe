// vorlap-cli: every calculation of the simulator from the shell. It needs no
// QCoreApplication: nothing here waits for events, and starting one costs
// time on every run.
#include "cli.h"

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return Cli::run(arguments);
}
