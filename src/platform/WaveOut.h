#pragma once
// The wave output device as the game uses it: numbered devices, one fixed
// format, blocks queued by header and handed back one posted event each.
// Result codes follow the multimedia convention: 0 is success.

#include <QEvent>
#include <QString>
#include <cstdint>

class QObject;

using WaveResult = std::uint32_t;
constexpr WaveResult WaveNoError = 0;

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

// One queued block. The game writes data, bufferLength and flags only;
// flags != 0 means "prepared and not yet unprepared".
struct WaveHeader {
    char* data = nullptr;
    std::uint32_t bufferLength = 0;  // bytes
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

    virtual std::uint32_t DeviceCount() = 0;
    // Product name, at most 31 characters.
    virtual WaveResult ProductName(std::uint32_t device, QString& name) = 0;
    // Opens `device` for `format`; finished blocks are posted as WaveDoneEvent
    // to `notifyTarget`, which lives on the GUI thread.
    virtual WaveResult Open(WaveHandle& handle, std::int32_t device, const WaveFormat& format,
                            QObject* notifyTarget) = 0;
    virtual WaveResult Prepare(WaveHandle handle, WaveHeader& header) = 0;
    virtual WaveResult Unprepare(WaveHandle handle, WaveHeader& header) = 0;
    virtual WaveResult Write(WaveHandle handle, WaveHeader& header) = 0;
    virtual WaveResult Pause(WaveHandle handle) = 0;
    virtual WaveResult Restart(WaveHandle handle) = 0;
    virtual WaveResult Reset(WaveHandle handle) = 0;
    virtual WaveResult Close(WaveHandle handle) = 0;
    // Low 16 bits left, high 16 bits right; 0 silent, 65535 full.
    virtual WaveResult SetVolume(WaveHandle handle, std::uint32_t volume) = 0;
    virtual QString ErrorText(WaveResult code) = 0;
};
