#include "support/RenderCommand.h"

#include <QFile>
#include <QProcess>

namespace rendertest {

QString Program()
{
    return QStringLiteral(BUILD_DIR "/heulmeister");
}

Run RenderStage(const QStringList& arguments, const QString& standardOutput)
{
    QProcess process;
    if (!standardOutput.isEmpty())
        process.setStandardOutputFile(standardOutput);
    process.start(Program(), QStringList{QStringLiteral("--render-stage")} + arguments);
    process.waitForFinished(120000);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool Shell(const QString& folder, const QString& command, const QString& argument)
{
    QProcess shell;
    shell.setWorkingDirectory(folder);
    shell.start(QStringLiteral("sh"),
                {QStringLiteral("-c"), command, QStringLiteral("sh"), argument});
    return shell.waitForFinished(30000) && shell.exitStatus() == QProcess::NormalExit &&
           shell.exitCode() == 0;
}

QStringList Snapshot(const QString& folder)
{
    QProcess find;
    find.start(QStringLiteral("find"),
               {folder, QStringLiteral("-mindepth"), QStringLiteral("1"), QStringLiteral("-printf"),
                QStringLiteral("%P %y %m %l\\n")});
    find.waitForFinished(30000);
    QStringList entries = QString::fromUtf8(find.readAllStandardOutput())
                              .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    entries.sort();
    return entries;
}

} // namespace rendertest
