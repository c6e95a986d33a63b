#include "platform/CommandLine.h"

#include "Version.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

constexpr int UsageErrorStatus = 2; // as getopt-based programs exit on misuse

bool IsOption(const QString& argument)
{
    // A lone "-" is an ordinary name by convention, not an option.
    return argument.size() > 1 && argument.startsWith(QLatin1Char('-'));
}

} // namespace

CommandLineRequest ParseCommandLine(const QStringList& argumentsWithoutProgram)
{
    CommandLineRequest request;
    bool optionsEnded = false;
    bool haveFile = false;
    for (const QString& argument : argumentsWithoutProgram) {
        if (!optionsEnded && IsOption(argument)) {
            if (argument == QLatin1String("--")) {
                optionsEnded = true;
            } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
                return {CommandLineRequest::PrintHelp, {}, {}};
            } else if (argument == QLatin1String("--version") || argument == QLatin1String("-v")) {
                return {CommandLineRequest::PrintVersion, {}, {}};
            } else {
                return {CommandLineRequest::Error,
                        {},
                        QCoreApplication::translate("CommandLine",
                                                    "unknown option '%1' (a file name starting "
                                                    "with '-' goes after '--')")
                            .arg(argument)};
            }
        } else if (!haveFile) {
            request.resultsFile = argument;
            haveFile = true;
        }
    }
    return request;
}

QString UsageText()
{
    return QCoreApplication::translate(
        "CommandLine",
        "Usage: heulmeister [OPTION]... [--] [RESULTS.HMD]\n"
        "Ear-training game: find the third-octave band in which a feedback tone rings.\n"
        "\n"
        "  RESULTS.HMD     results data file (Heulmeister Daten) to load at start\n"
        "  -h, --help      show this help and exit\n"
        "  -v, --version   show the version and exit\n"
        "  --              end of options; a following name may start with '-'\n"
        "\n"
        "  heulmeister --render-stage SEED OUT.wav [--seconds S] [--no-room]\n"
        "              [--cut BAND:DB@SECONDS]...\n"
        "                  render a simulated stage feedback loop to a WAV file,\n"
        "                  without a window or a sound device; prints its events\n"
        "\n"
        "Qt's own options (such as -platform or -style) are accepted as well.\n");
}

QString VersionText()
{
    return QStringLiteral("Heulmeister Pro " HEULMEISTER_VERSION "\n");
}

int AnswerCommandLine(const CommandLineRequest& request, QTextStream& out, QTextStream& err)
{
    switch (request.action) {
    case CommandLineRequest::PrintHelp:
        out << UsageText();
        out.flush();
        return 0;
    case CommandLineRequest::PrintVersion:
        out << VersionText();
        out.flush();
        return 0;
    case CommandLineRequest::Error:
        err << "heulmeister: " << request.message << '\n' << UsageText();
        err.flush();
        return UsageErrorStatus;
    case CommandLineRequest::Run:
        break;
    }
    return 0;
}
