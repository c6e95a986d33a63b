#include "support/Watchdog.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Watchdog::Watchdog(int deadlineMs, std::function<bool()> rescue)
{
    thread_ = std::thread([this, deadlineMs, rescue = std::move(rescue)] {
        std::unique_lock lock(mutex_);
        auto wait = std::chrono::milliseconds(deadlineMs);
        while (!wake_.wait_for(lock, wait, [this] { return stop_; })) {
            if (rescue())
                fired_.store(true);
            wait = std::chrono::milliseconds(50);
        }
    });
}

Watchdog::~Watchdog()
{
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

namespace {

QString MakeFifo(const QString& path)
{
    if (::mkfifo(QFile::encodeName(path).constData(), 0600) != 0)
        return QStringLiteral("mkfifo %1: %2").arg(path, QString::fromLocal8Bit(strerror(errno)));
    return {};
}

} // namespace

GuardedFifo::GuardedFifo(const QString& path, int deadlineMs)
    : error_(MakeFifo(path)), watchdog_(deadlineMs, [name = QFile::encodeName(path)] {
          // Opens only while a reader is there (else ENXIO); closing it at
          // once gives that reader the end of the file.
          const int writer = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
          if (writer < 0)
              return false;
          ::close(writer);
          return true;
      })
{
}
