#pragma once
// For tests of code that must never wait on a file: a hang before the fix
// must show as a failure, not stop the whole test run.

#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// From `deadlineMs` on, calls `rescue` on a thread of its own every 50 ms
// until destroyed. `rescue` frees whatever waits (and says whether there was
// anything to free); Fired() tells the test that something waited.
class Watchdog {
  public:
    Watchdog(int deadlineMs, std::function<bool()> rescue);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;
    bool Fired() const { return fired_.load(); }

  private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::atomic<bool> fired_{false};
    std::thread thread_;
};

// A named pipe that nothing writes into. Whatever opens it for reading would
// wait forever; after `deadlineMs` the watchdog opens and closes its writing
// end, so the reader sees an empty file, and the test fails on Waited().
class GuardedFifo {
  public:
    explicit GuardedFifo(const QString& path, int deadlineMs = 5000);
    // False with the reason when mkfifo failed.
    bool Made() const { return error_.isEmpty(); }
    QString Error() const { return error_; }
    bool Waited() const { return watchdog_.Fired(); }

  private:
    QString error_;
    Watchdog watchdog_;
};
