#include "platform/InstallPaths.h"

#include <QDir>
#include <QFileInfo>

QString ManualDirectory(const QString& programDir, const QString& manualFileName)
{
    const QDir programFolder(programDir);
    if (QFileInfo(programFolder.filePath(manualFileName)).isFile())
        return programDir;
    return QDir::cleanPath(programFolder.filePath(QStringLiteral("../share/heulmeister")));
}
