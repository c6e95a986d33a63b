#include "platform/FileErrorText.h"

#include <QCoreApplication>
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
        return QCoreApplication::translate("FileErrorText",
                                           "Auf dem Datenträger ist kein Platz mehr frei.");
    case EROFS:
        return QCoreApplication::translate("FileErrorText",
                                           "Der Datenträger ist schreibgeschützt.");
    case EACCES:
    case EPERM:
        return QCoreApplication::translate("FileErrorText", "Zugriff verweigert.");
    case ENOENT:
    case ENOTDIR:
        return QCoreApplication::translate("FileErrorText",
                                           "Der Ordner oder die Datei existiert nicht.");
    case EISDIR:
        return QCoreApplication::translate("FileErrorText",
                                           "An Stelle der Datei steht ein Ordner.");
    case ENAMETOOLONG:
        return QCoreApplication::translate("FileErrorText", "Der Dateiname ist zu lang.");
    case EMFILE:
    case ENFILE:
        return QCoreApplication::translate("FileErrorText", "Zu viele geöffnete Dateien.");
    default:
        return QCoreApplication::translate("FileErrorText", "Ein-/Ausgabefehler %1 (%2).")
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
