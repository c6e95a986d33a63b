#include "support/ScratchMount.h"

#include <QFile>
#include <QProcess>

#include <cerrno>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

QString Run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(30000))
        return QStringLiteral("%1 did not finish: %2").arg(program, process.errorString());
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QStringLiteral("%1 %2 failed (%3): %4")
            .arg(program, arguments.join(u' '))
            .arg(process.exitCode())
            .arg(QString::fromLocal8Bit(process.readAll()).trimmed());
    return {};
}

} // namespace

ScratchMount::~ScratchMount()
{
    Unmount();
}

ScratchMount::ScratchMount(ScratchMount&& other) noexcept
    : target_(std::move(other.target_)), error_(std::move(other.error_))
{
    other.target_.clear();
}

bool ScratchMount::Unmount()
{
    if (target_.isEmpty())
        return true;
    error_ = Run(QStringLiteral("umount"), {target_});
    if (!error_.isEmpty()) // still busy: detach it, it goes when the last file closes
        error_ = Run(QStringLiteral("umount"), {QStringLiteral("-l"), target_});
    if (error_.isEmpty())
        target_.clear();
    return error_.isEmpty();
}

ScratchMount ScratchMount::SmallTmpfs(const QString& folder, int sizeBytes)
{
    ScratchMount mount;
    mount.error_ = Run(QStringLiteral("mount"),
                       {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                        QStringLiteral("size=%1").arg(sizeBytes), QStringLiteral("tmpfs"), folder});
    if (mount.error_.isEmpty())
        mount.target_ = folder;
    return mount;
}

ScratchMount ScratchMount::ReadOnly(const QString& path)
{
    ScratchMount mount;
    mount.error_ = Run(QStringLiteral("mount"), {QStringLiteral("--bind"), QStringLiteral("-o"),
                                                 QStringLiteral("ro"), path, path});
    if (mount.error_.isEmpty())
        mount.target_ = path;
    return mount;
}

bool FillFileSystem(const QString& folder)
{
    QFile filler(folder + QStringLiteral("/filler"));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray block(512, 'x');
    // A tmpfs refuses the write that does not fit; a byte at a time fills the
    // last partial page too.
    while (filler.write(block) == block.size()) {
    }
    while (filler.write("x", 1) == 1) {
    }
    return filler.error() == QFileDevice::WriteError ||
           filler.error() == QFileDevice::ResourceError;
}

// Raw capget/capset: libcap is not among the build's packages.
WithoutPermissionOverride::WithoutPermissionOverride()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0)
        return;
    savedEffective_[0] = data[0].effective;
    savedEffective_[1] = data[1].effective;
    const unsigned dropped = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
    data[0].effective &= ~dropped;
    if (syscall(SYS_capset, &header, data) != 0)
        return;
    active_ = true;
}

WithoutPermissionOverride::~WithoutPermissionOverride()
{
    if (!active_)
        return;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0)
        return;
    data[0].effective = savedEffective_[0];
    data[1].effective = savedEffective_[1];
    syscall(SYS_capset, &header, data);
}
