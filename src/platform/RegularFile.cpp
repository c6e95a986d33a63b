#include "platform/RegularFile.h"

#include "platform/FileErrorText.h"
#include "platform/FileKind.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What a path is, when it is not something a file can be read from.
QString SpecialKind(mode_t mode)
{
    const char* kind = SpecialFileKind(mode);
    return kind ? QCoreApplication::translate("FileKind", kind) : QString();
}

QString SpecialText(const QString& kind)
{
    return QCoreApplication::translate("RegularFile",
                                       "Das ist keine gewöhnliche Datei, sondern %1.")
        .arg(kind);
}

} // namespace

ReadOnlyFile::ReadOnlyFile(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (!name.isEmpty() && ::stat(name.constData(), &info) == 0) {
        specialKind_ = SpecialKind(info.st_mode);
        if (!specialKind_.isEmpty())
            return;
    }
    const int descriptor = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0) {
        errorNumber_ = name.isEmpty() ? ENOENT : errno;
        return;
    }
    if (::fstat(descriptor, &info) != 0) {
        errorNumber_ = errno;
        ::close(descriptor);
        return;
    }
    if (!S_ISREG(info.st_mode)) {
        specialKind_ = SpecialKind(info.st_mode);
        // Besides those, only a folder opens for reading.
        if (specialKind_.isEmpty())
            errorNumber_ = EISDIR;
        ::close(descriptor);
        return;
    }
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags < 0 || ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) < 0) {
        errorNumber_ = errno;
        ::close(descriptor);
        return;
    }
    descriptor_ = descriptor;
}

ReadOnlyFile::~ReadOnlyFile()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

QString ReadOnlyFile::Reason() const
{
    if (SpecialFile())
        return SpecialText(specialKind_);
    return errorNumber_ != 0 ? GermanFileErrorText(errorNumber_) : QString();
}

QString SpecialFileReason(const QString& path)
{
    struct stat info {};
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty() || ::stat(name.constData(), &info) != 0)
        return {};
    const QString kind = SpecialKind(info.st_mode);
    return kind.isEmpty() ? QString() : SpecialText(kind);
}
