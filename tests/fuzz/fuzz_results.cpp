// libFuzzer entry for the results file and what consumes its counters.

#include "FuzzEntry.h"
#include "ResultsFuzzTarget.h"

#include <QGuiApplication>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // The charts draw text, which needs the font database of an application.
    // Qt gets only the program name; the fuzzer's flags stay the fuzzer's.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int qtArgc = *argc > 0 ? 1 : 0;
    static char* qtArgv[] = {*argc > 0 ? (*argv)[0] : nullptr, nullptr};
    static QGuiApplication application(qtArgc, qtArgv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return RunFuzzCheck(CheckResultsFile, data, size);
}
