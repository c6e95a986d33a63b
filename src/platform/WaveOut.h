#pragma once
// The wave output device as the game uses it: numbered devices, one fixed
// format, blocks queued by header and handed back one posted event each.
// Result codes follow the multimedia convention: 0 is success.
//
// Threads: every operation is called on the GUI thread, the thread whose
// event loop delivers WaveDoneEvent to the notify target. An implementation
// may play on a thread of its own, but it hands blocks back only through
// events posted to that target.

#include <QEvent>
#include <QString>
#include <cstdint>
#include <functional>

class QObject;

using WaveResult = std::uint32_t;
constexpr WaveResult WaveNoError = 0;
// Codes of the device layer itself. Codes of the sound library underneath are
// passed through as they are (a negative library code read as unsigned).
constexpr WaveResult WaveUnspecifiedError = 1;
constexpr WaveResult WaveBadDeviceId = 2;
constexpr WaveResult WaveInvalidHandle = 5;
constexpr WaveResult WaveNoDriver = 6;
constexpr WaveResult WaveNoMemory = 7;
constexpr WaveResult WaveInvalidParameter = 11;
constexpr WaveResult WaveBadFormat = 32;
constexpr WaveResult WaveStillPlaying = 33;
constexpr WaveResult WaveUnprepared = 34;

// Opaque device handle; 0 until the first open. Volume calls with handle 0
// address device 0, as the game relies on before anything is open.
using WaveHandle = std::uintptr_t;

// The 16-byte PCM format record handed to the device.
#pragma pack(push, 1)
struct WaveFormat {
    std::uint16_t formatTag;
    std::uint16_t channels;
    std::uint32_t samplesPerSec;
    std::uint32_t avgBytesPerSec;
    std::uint16_t blockAlign;
    std::uint16_t bitsPerSample;
};
#pragma pack(pop)
static_assert(sizeof(WaveFormat) == 16);

constexpr std::uint16_t WaveFormatPcm = 1;

// Bits of WaveHeader::flags as the device sets them.
constexpr std::uint32_t WaveHeaderDone = 0x01;
constexpr std::uint32_t WaveHeaderPrepared = 0x02;
constexpr std::uint32_t WaveHeaderInQueue = 0x10;

// One queued block. The game writes data, bufferLength and flags only;
// flags != 0 means "prepared and not yet unprepared".
struct WaveHeader {
    char* data = nullptr;
    std::uint32_t bufferLength = 0; // bytes
    std::uint32_t flags = 0;
};

// Posted to the notification target once per finished (or reset) block.
class WaveDoneEvent final : public QEvent {
  public:
    static QEvent::Type eventType();
    explicit WaveDoneEvent(WaveHeader* header) : QEvent(eventType()), header_(header) {}
    WaveHeader* header() const { return header_; }

  private:
    WaveHeader* header_;
};

class WaveOut {
  public:
    virtual ~WaveOut() = default;

    // The device list may come from a scan still running on a thread of its
    // own. Returns false when the list is known; otherwise calls `known` once
    // it is, on `context`'s thread through its event queue, and returns true.
    // Every other operation waits for the list. GUI thread.
    virtual bool NotifyWhenDevicesKnown(QObject* context, std::function<void()> known);
    // Blocks until the device list is known. GUI thread.
    virtual void WaitForDevices() {}

    virtual std::uint32_t DeviceCount() = 0;
    // Product name, at most 31 characters.
    virtual WaveResult ProductName(std::uint32_t device, QString& name) = 0;
    // Opens `device` for `format`; finished blocks are posted as WaveDoneEvent
    // to `notifyTarget`, which lives on the GUI thread. `handle` is written
    // only on success. A new device plays as soon as blocks are written.
    virtual WaveResult Open(WaveHandle& handle, std::int32_t device, const WaveFormat& format,
                            QObject* notifyTarget) = 0;
    // A block must be prepared before it is written and unprepared (after it
    // came back) before its data is touched again.
    virtual WaveResult Prepare(WaveHandle handle, WaveHeader& header) = 0;
    virtual WaveResult Unprepare(WaveHandle handle, WaveHeader& header) = 0;
    // Queues the block behind those already queued; they play without a gap.
    virtual WaveResult Write(WaveHandle handle, WaveHeader& header) = 0;
    // Halts playback at once; the queued blocks stay queued.
    virtual WaveResult Pause(WaveHandle handle) = 0;
    virtual WaveResult Restart(WaveHandle handle) = 0;
    // Stops playback and hands every queued block back, one event each.
    virtual WaveResult Reset(WaveHandle handle) = 0;
    // Fails with WaveStillPlaying while blocks are queued.
    virtual WaveResult Close(WaveHandle handle) = 0;
    // Low 16 bits left, high 16 bits right; 0 silent, 65535 full. Kept per
    // device across openings; a device never set plays silent.
    virtual WaveResult SetVolume(WaveHandle handle, std::uint32_t volume) = 0;
    // A readable text for any code, at most 127 characters.
    virtual QString ErrorText(WaveResult code) = 0;
};
