#pragma once
// What the benchmarks share: a private X server of a chosen size, the CPU
// time of a process, medians. Header only; each benchmark is one file.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSize>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <vector>

#include <xcb/xcb.h>

namespace bench {

inline double Median(std::vector<double> samples)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const size_t middle = samples.size() / 2;
    return samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

inline std::int64_t MonotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// CPU time of the calling thread in nanoseconds.
inline std::int64_t ThreadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// CPU time of a process, all its threads, in nanoseconds (0 if unknown).
inline std::int64_t CpuNs(qint64 pid)
{
    std::int64_t total = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(task + QStringLiteral("/schedstat")));
        if (stat.open(QIODevice::ReadOnly))
            total += stat.readAll().split(' ').value(0).toLongLong();
    }
    return total;
}

// Peak resident memory of this process in kB.
inline long PeakRssKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

// An Xvfb of its own with one screen of the given size, on the first free
// display number from :90 on. Stops it when destroyed.
class PrivateXServer {
  public:
    ~PrivateXServer()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            process_.waitForFinished(3000);
        }
    }

    bool Start(QSize size)
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            return false;
        for (int number = 90; number < 140; ++number) {
            if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)))
                continue;
            display_ = QStringLiteral(":%1").arg(number);
            process_.setProgram(xvfb);
            process_.setArguments({display_, QStringLiteral("-screen"), QStringLiteral("0"),
                                   QStringLiteral("%1x%2x24").arg(size.width()).arg(size.height()),
                                   QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                                   QStringLiteral("-noreset")});
            process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            process_.start();
            if (!process_.waitForStarted(3000))
                continue;
            for (int wait = 0; wait < 100 && process_.state() == QProcess::Running; ++wait) {
                xcb_connection_t* connection =
                    xcb_connect(display_.toLatin1().constData(), nullptr);
                const bool up = !xcb_connection_has_error(connection);
                xcb_disconnect(connection);
                if (up)
                    return true;
                QThread::msleep(50);
            }
            process_.kill();
            process_.waitForFinished(3000);
        }
        return false;
    }

    QString Display() const { return display_; }
    qint64 Pid() const { return process_.processId(); }

  private:
    QProcess process_;
    QString display_;
};

// A PulseAudio server of its own (a null sink, no other client), for figures
// with a sound server running. Children see it through Environment(); without
// one started, Environment() points them at an empty runtime folder, so they
// find no server at all. Stops it when destroyed.
class PrivatePulseServer {
  public:
    ~PrivatePulseServer() { Stop(); }

    bool Start()
    {
        const QString pulse = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        if (pulse.isEmpty() || !runtime_.isValid())
            return false;
        QProcessEnvironment environment = Environment(QProcessEnvironment::systemEnvironment());
        environment.insert(QStringLiteral("HOME"), runtime_.path()); // its cookie
        process_.setProcessEnvironment(environment);
        process_.setProgram(pulse);
        process_.setArguments({QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                               QStringLiteral("--exit-idle-time=-1"),
                               QStringLiteral("--use-pid-file=no"),
                               QStringLiteral("--load=module-null-sink sink_name=bench rate=48000"),
                               QStringLiteral("--load=module-native-protocol-unix")});
        process_.setStandardErrorFile(QProcess::nullDevice());
        process_.start();
        if (!process_.waitForStarted(3000))
            return false;
        const QString socket = runtime_.path() + QStringLiteral("/pulse/native");
        for (int wait = 0; wait < 100 && process_.state() == QProcess::Running; ++wait) {
            if (QFile::exists(socket))
                return true;
            QThread::msleep(50);
        }
        Stop();
        return false;
    }

    void Stop()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(3000))
                process_.kill();
            process_.waitForFinished(3000);
        }
    }

    bool Running() const { return process_.state() == QProcess::Running; }

    QProcessEnvironment Environment(QProcessEnvironment environment) const
    {
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        environment.remove(QStringLiteral("PULSE_SERVER"));
        return environment;
    }

  private:
    QTemporaryDir runtime_;
    QProcess process_;
};

} // namespace bench
