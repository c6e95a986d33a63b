#include "support/RenderCommand.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

namespace rendertest {

namespace {

QString SystemError(const char* call)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(call),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

QString MakeSocket(const QByteArray& name)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (std::size_t(name.size()) >= sizeof address.sun_path)
        return QStringLiteral("socket path too long");
    std::memcpy(address.sun_path, name.constData(), std::size_t(name.size()));
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (socket < 0)
        return SystemError("socket");
    const bool bound = ::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    QString error = bound ? QString() : SystemError("bind");
    ::close(socket);
    return error;
}

QString MakeDevice(const QByteArray& name)
{
    // The same device as /dev/null, but a node of our own.
    return ::mknod(name.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0 ? QString()
                                                                         : SystemError("mknod");
}

} // namespace

QString Program()
{
    return QStringLiteral(BUILD_DIR "/heulmeister");
}

Run RenderStage(const QStringList& arguments)
{
    QProcess process;
    process.start(Program(), QStringList{QStringLiteral("--render-stage")} + arguments);
    process.waitForFinished(120000);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString MakeNotRegular(const QString& kind, const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    if (kind == QLatin1String("fifo"))
        return ::mkfifo(name.constData(), 0644) == 0 ? QString() : SystemError("mkfifo");
    if (kind == QLatin1String("device"))
        return MakeDevice(name);
    if (kind == QLatin1String("folder"))
        return QDir().mkdir(path) ? QString() : QStringLiteral("mkdir failed");
    if (kind == QLatin1String("socket"))
        return MakeSocket(name);
    if (kind == QLatin1String("link to device")) {
        QString error = MakeDevice(name + ".target");
        if (!error.isEmpty())
            return error;
        return ::symlink((name + ".target").constData(), name.constData()) == 0
                   ? QString()
                   : SystemError("symlink");
    }
    if (kind == QLatin1String("dangling link"))
        return ::symlink("nowhere", name.constData()) == 0 ? QString() : SystemError("symlink");
    return QStringLiteral("unknown kind ") + kind;
}

QString Identity(const QString& path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return QStringLiteral("missing");
    return QStringLiteral("type %1 mode %2 device %3:%4 link %5")
        .arg(info.st_mode & S_IFMT, 0, 8)
        .arg(info.st_mode & 07777, 0, 8)
        .arg(major(info.st_rdev))
        .arg(minor(info.st_rdev))
        .arg(QFileInfo(path).symLinkTarget());
}

QStringList Snapshot(const QString& folder)
{
    const QDir dir(folder);
    QStringList names = dir.entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (QString& name : names)
        name += QStringLiteral(": ") + Identity(dir.filePath(name));
    return names;
}

} // namespace rendertest
