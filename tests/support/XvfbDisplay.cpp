#include "support/XvfbDisplay.h"

#include <QCoreApplication>
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

QString XvfbDisplay::RunThisTestHere(const QStringList& arguments,
                                     const QList<std::pair<QString, QString>>& environment) const
{
    if (name_.isEmpty())
        return error_;
    QProcessEnvironment child = QProcessEnvironment::systemEnvironment();
    child.insert(QStringLiteral("DISPLAY"), name_);
    child.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    for (const char* scaling : {"QT_SCALE_FACTOR", "QT_FONT_DPI", "QT_ENABLE_HIGHDPI_SCALING"})
        child.remove(QString::fromLatin1(scaling));
    for (const auto& [name, value] : environment)
        child.insert(name, value);
    QProcess game;
    game.setProcessEnvironment(child);
    game.setProcessChannelMode(QProcess::MergedChannels);
    game.start(QCoreApplication::applicationFilePath(), arguments);
    if (!game.waitForFinished(120000))
        return QStringLiteral("no end within two minutes: ") + game.readAll();
    if (game.exitStatus() != QProcess::NormalExit || game.exitCode() != 0)
        return QString::fromLocal8Bit(game.readAll()) +
               QStringLiteral("\n(exit code %1)").arg(game.exitCode());
    return {};
}
