#include "platform/FileErrorText.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <unistd.h>

QString GermanFileErrorText(int errorNumber)
{
    switch (errorNumber) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("Auf dem Datenträger ist kein Platz mehr frei.");
    case EROFS:
        return QStringLiteral("Der Datenträger ist schreibgeschützt.");
    case EACCES:
    case EPERM:
        return QStringLiteral("Zugriff verweigert.");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("Der Ordner oder die Datei existiert nicht.");
    case EISDIR:
        return QStringLiteral("An Stelle der Datei steht ein Ordner.");
    case ENAMETOOLONG:
        return QStringLiteral("Der Dateiname ist zu lang.");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Zu viele geöffnete Dateien.");
    default:
        return QStringLiteral("Ein-/Ausgabefehler %1 (%2).")
            .arg(errorNumber)
            .arg(QString::fromLocal8Bit(std::strerror(errorNumber)));
    }
}

int WriteErrorNumber(int errnoAfterFailure, const QString& path)
{
    if (errnoAfterFailure != 0)
        return errnoAfterFailure;
    const QFileInfo info(path);
    const QByteArray probe =
        QFile::encodeName(info.exists() ? info.absoluteFilePath() : info.absolutePath());
    if (::access(probe.constData(), W_OK) != 0 && errno != 0)
        return errno;
    return EIO;
}
