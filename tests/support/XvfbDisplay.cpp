#include "support/XvfbDisplay.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

XvfbDisplay::XvfbDisplay(QSize screenPixels)
{
    int number = 0;
    for (int n = 151; n < 250 && number == 0; ++n)
        if (!QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) &&
            !QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
            number = n;
    if (number == 0) {
        error_ = QStringLiteral("no free X display");
        return;
    }
    const QString display = QStringLiteral(":%1").arg(number);
    server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server_.setStandardOutputFile(QProcess::nullDevice());
    server_.start(QStringLiteral("Xvfb"),
                  {display, QStringLiteral("-screen"), QStringLiteral("0"),
                   QStringLiteral("%1x%2x24").arg(screenPixels.width()).arg(screenPixels.height()),
                   QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset")});
    if (!server_.waitForStarted(10000)) {
        error_ = QStringLiteral("Xvfb did not start: ") + server_.errorString();
        return;
    }
    const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(number);
    const QDeadlineTimer deadline(20000);
    while (!QFile::exists(socket) && !deadline.hasExpired() && server_.state() == QProcess::Running)
        QThread::msleep(20);
    if (!QFile::exists(socket)) {
        error_ = QStringLiteral("Xvfb %1 did not answer").arg(display);
        return;
    }
    name_ = display;
}

XvfbDisplay::~XvfbDisplay()
{
    if (server_.state() == QProcess::NotRunning)
        return;
    server_.terminate();
    if (!server_.waitForFinished(5000)) {
        server_.kill();
        server_.waitForFinished(5000);
    }
}
