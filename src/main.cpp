#include "game/MainForm.h"
#include "platform/Clock.h"
#include "platform/CommandLine.h"
#include "platform/Dialogs.h"
#include "platform/FontConfigWarmUp.h"
#include "platform/InstallPaths.h"
#include "platform/Language.h"
#include "platform/PortAudioWaveOut.h"
#include "platform/Random.h"
#include "session/SettingsFile.h"
#include "stage/StageRenderer.h"

#include <QApplication>
#include <QTextStream>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

int AnswerOnConsole(const CommandLineRequest& request)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    return AnswerCommandLine(request, out, err);
}

// The language the player chose, from the settings file the window reads.
Language ChosenLanguage()
{
    const QString programDir = QCoreApplication::applicationDirPath();
    const bool installed = ManualDirectory(programDir) != programDir;
    return LanguageFromSetting(
        ReadLanguageSetting(SettingsFilePath(installed ? QString() : programDir)));
}

} // namespace

int main(int argc, char* argv[])
{
    // Rendering a stage needs no display, no sound device and no Qt at all.
    if (argc > 1 && std::strcmp(argv[1], "--render-stage") == 0)
        return stage::RunRenderStageCommand(std::vector<std::string>(argv + 2, argv + argc));

    // --help and --version work without a display, before Qt needs one.
    QStringList rawArguments;
    for (int i = 1; i < argc; ++i)
        rawArguments << QString::fromLocal8Bit(argv[i]);
    const CommandLineRequest early = ParseCommandLine(rawArguments);
    if (early.action == CommandLineRequest::PrintHelp ||
        early.action == CommandLineRequest::PrintVersion) {
        QCoreApplication console(argc, argv); // for the translation, no display
        InstallLanguage(console, ChosenLanguage());
        return AnswerOnConsole(early);
    }

    // The sound device scan loads the sound libraries and asks every sound
    // system. Run beside the start of the application it slows the warning
    // down (both load libraries, under one lock), so it starts once the
    // warning is on the screen, where the player reads it far longer than
    // the scan takes; or, if the warning went by unseen, after the first frame.
    const auto deviceScan =
        std::make_shared<PortAudioDeviceScan>(PortAudioDeviceScan::StartLater{});
    const auto startScan = [deviceScan] { deviceScan->Start(); };

    FontConfigWarmUp fontConfig;
    QApplication app(argc, argv);
    fontConfig.Finish();
    InstallLanguage(app, ChosenLanguage());
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Heulmeister PRO"));
    QGuiApplication::setDesktopFileName(QLatin1String(DesktopEntryId));
    const CommandLineRequest request = ParseCommandLine(app.arguments().mid(1));
    if (request.action != CommandLineRequest::Run)
        return AnswerOnConsole(request);

    // The safety warning needs nothing of the window: it comes up first.
    QtDialogs dialogs;
    if (!MainForm::SafetyWarningAccepted(dialogs, startScan))
        return 0;

    const QString programDir = QCoreApplication::applicationDirPath();
    const QString manualDir = ManualDirectory(programDir);
    const bool installed = manualDir != programDir;
    QStringList resultsFiles;
    if (!request.resultsFile.isEmpty())
        resultsFiles << request.resultsFile;

    SteadyMillisecondClock clock;
    StdRandomGenerator random;
    PortAudioWaveOut waveOut(deviceScan);
    GameSession session({dialogs, clock, random, waveOut});
    MainForm form(session, {installed ? QString() : programDir, manualDir, resultsFiles});
    QObject::connect(&form, &MainForm::firstFrameDrawn, &form, startScan);
    if (!form.StartUp(/*warningAccepted=*/true))
        return 0;
    form.ShowCoveringScreen();
    return app.exec();
}
