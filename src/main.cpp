#include "platform/PortAudioWaveOut.h"
#include "game/MainForm.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Random.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Heulmeister PRO"));

    QtDialogs dialogs;
    SteadyMillisecondClock clock;
    StdRandomGenerator random;
    PortAudioWaveOut waveOut;
    MainForm form({dialogs, clock, random, waveOut, QCoreApplication::applicationDirPath(),
                   app.arguments().mid(1)});
    if (!form.StartUp())
        return 0;
    form.ShowFullScreen();
    return app.exec();
}
