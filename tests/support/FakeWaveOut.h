#pragma once
// An in-memory wave device for tests: records every call in order, returns
// the result codes a test chooses, and hands blocks back only when the test
// says so, through the same posted WaveDoneEvent a real device uses.

#include "platform/WaveOut.h"

#include <QList>
#include <QMap>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class FakeWaveOut final : public WaveOut {
  public:
    struct Call {
        QString operation; // "Open", "Prepare", "Write", "SetVolume", ...
        WaveHandle handle = 0;
        WaveHeader* header = nullptr;
        std::uint32_t value = 0; // Open: device; SetVolume: volume
    };

    // A scan that reports late: the device list is unknown until FinishScan
    // (or until something waits for it, which finishes it at once).
    bool scanLate = false;
    void FinishScan();
    bool scanFinished() const { return scanFinished_; }
    // How often the game had to wait for the list.
    int scanWaits = 0;

    // Every later call of `operation` returns `code` (0 to succeed again).
    void SetResult(const QString& operation, WaveResult code) { results_[operation] = code; }
    // Plays the oldest queued block: appends its samples to played() and
    // posts its WaveDoneEvent. False when nothing is queued.
    bool FinishNextBlock();

    QList<Call> calls;
    // Called as each call is recorded, before it takes effect.
    std::function<void(const QString& operation)> onCall;
    QStringList productNames;
    WaveFormat lastFormat{};
    const std::vector<std::int16_t>& played() const { return played_; }
    int queuedBlocks() const { return static_cast<int>(queue_.size()); }
    bool paused() const { return paused_; }

    bool NotifyWhenDevicesKnown(QObject* context, std::function<void()> known) override;
    void WaitForDevices() override;
    std::uint32_t DeviceCount() override;
    WaveResult ProductName(std::uint32_t device, QString& name) override;
    WaveResult Open(WaveHandle& handle, std::int32_t device, const WaveFormat& format,
                    QObject* notifyTarget) override;
    WaveResult Prepare(WaveHandle handle, WaveHeader& header) override;
    WaveResult Unprepare(WaveHandle handle, WaveHeader& header) override;
    WaveResult Write(WaveHandle handle, WaveHeader& header) override;
    WaveResult Pause(WaveHandle handle) override;
    WaveResult Restart(WaveHandle handle) override;
    WaveResult Reset(WaveHandle handle) override;
    WaveResult Close(WaveHandle handle) override;
    WaveResult SetVolume(WaveHandle handle, std::uint32_t volume) override;
    // "Fehlertext <code>", so tests can tell which code a box shows.
    QString ErrorText(WaveResult code) override;

  private:
    WaveResult Record(const QString& operation, WaveHandle handle, WaveHeader* header = nullptr,
                      std::uint32_t value = 0);
    void HandBack(WaveHeader* header);

    QMap<QString, WaveResult> results_;
    QList<WaveHeader*> queue_;
    QPointer<QObject> target_;
    std::vector<std::int16_t> played_;
    WaveHandle nextHandle_ = 1;
    bool paused_ = false;
    bool scanFinished_ = false;
    QList<QPair<QPointer<QObject>, std::function<void()>>> scanWaiting_;
};
