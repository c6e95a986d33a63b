#include "support/XvfbDisplay.h"

#include <QDeadlineTimer>

XvfbDisplay::XvfbDisplay(QSize screenPixels)
{
    // -displayfd: the server picks a free display itself and writes its
    // number once it accepts connections, so tests running side by side
    // never race for one.
    server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server_.start(QStringLiteral("Xvfb"),
                  {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                   QStringLiteral("0"),
                   QStringLiteral("%1x%2x24").arg(screenPixels.width()).arg(screenPixels.height()),
                   QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset")});
    if (!server_.waitForStarted(10000)) {
        error_ = QStringLiteral("Xvfb did not start: ") + server_.errorString();
        return;
    }
    const QDeadlineTimer deadline(20000);
    QByteArray number;
    while (!number.endsWith('\n') && !deadline.hasExpired() &&
           server_.state() == QProcess::Running) {
        server_.waitForReadyRead(100);
        number += server_.readAllStandardOutput();
    }
    if (!number.endsWith('\n')) {
        error_ = QStringLiteral("Xvfb did not answer");
        return;
    }
    name_ = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
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
