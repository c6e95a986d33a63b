#include "FakeWaveOut.h"

#include <QCoreApplication>

WaveResult FakeWaveOut::Record(const QString& operation, WaveHandle handle, WaveHeader* header,
                               std::uint32_t value)
{
    calls.append(Call{operation, handle, header, value});
    if (onCall)
        onCall(operation);
    return results_.value(operation, WaveNoError);
}

void FakeWaveOut::HandBack(WaveHeader* header)
{
    header->flags = (header->flags & ~WaveHeaderInQueue) | WaveHeaderDone;
    if (target_)
        QCoreApplication::postEvent(target_, new WaveDoneEvent(header));
}

bool FakeWaveOut::FinishNextBlock()
{
    if (queue_.isEmpty())
        return false;
    WaveHeader* header = queue_.takeFirst();
    const auto* samples = reinterpret_cast<const std::int16_t*>(header->data);
    played_.insert(played_.end(), samples, samples + header->bufferLength / 2);
    HandBack(header);
    return true;
}

bool FakeWaveOut::NotifyWhenDevicesKnown(QObject* context, std::function<void()> known)
{
    if (!scanLate || scanFinished_)
        return false;
    scanWaiting_.append({context, std::move(known)});
    return true;
}

void FakeWaveOut::FinishScan()
{
    scanFinished_ = true;
    // Posted, as a scan on its own thread has to.
    for (auto& [context, known] : scanWaiting_)
        if (context)
            QMetaObject::invokeMethod(context, std::move(known), Qt::QueuedConnection);
    scanWaiting_.clear();
}

void FakeWaveOut::WaitForDevices()
{
    if (!scanLate || scanFinished_)
        return;
    ++scanWaits;
    FinishScan();
}

std::uint32_t FakeWaveOut::DeviceCount()
{
    return static_cast<std::uint32_t>(productNames.size());
}

WaveResult FakeWaveOut::ProductName(std::uint32_t device, QString& name)
{
    const WaveResult result = Record(QStringLiteral("ProductName"), 0, nullptr, device);
    if (result == WaveNoError && device < static_cast<std::uint32_t>(productNames.size()))
        name = productNames[static_cast<int>(device)];
    return result;
}

WaveResult FakeWaveOut::Open(WaveHandle& handle, std::int32_t device, const WaveFormat& format,
                             QObject* notifyTarget)
{
    const WaveResult result =
        Record(QStringLiteral("Open"), 0, nullptr, static_cast<std::uint32_t>(device));
    lastFormat = format;
    if (result == WaveNoError) {
        handle = nextHandle_++;
        target_ = notifyTarget;
        paused_ = false;
    }
    return result;
}

WaveResult FakeWaveOut::Prepare(WaveHandle handle, WaveHeader& header)
{
    const WaveResult result = Record(QStringLiteral("Prepare"), handle, &header);
    if (result == WaveNoError)
        header.flags |= WaveHeaderPrepared;
    return result;
}

WaveResult FakeWaveOut::Unprepare(WaveHandle handle, WaveHeader& header)
{
    const WaveResult result = Record(QStringLiteral("Unprepare"), handle, &header);
    if (result == WaveNoError)
        header.flags &= ~WaveHeaderPrepared;
    return result;
}

WaveResult FakeWaveOut::Write(WaveHandle handle, WaveHeader& header)
{
    const WaveResult result = Record(QStringLiteral("Write"), handle, &header);
    if (result == WaveNoError) {
        header.flags = (header.flags & ~WaveHeaderDone) | WaveHeaderInQueue;
        queue_.append(&header);
    }
    return result;
}

WaveResult FakeWaveOut::Pause(WaveHandle handle)
{
    const WaveResult result = Record(QStringLiteral("Pause"), handle);
    if (result == WaveNoError)
        paused_ = true;
    return result;
}

WaveResult FakeWaveOut::Restart(WaveHandle handle)
{
    const WaveResult result = Record(QStringLiteral("Restart"), handle);
    if (result == WaveNoError)
        paused_ = false;
    return result;
}

WaveResult FakeWaveOut::Reset(WaveHandle handle)
{
    const WaveResult result = Record(QStringLiteral("Reset"), handle);
    if (result == WaveNoError) {
        while (!queue_.isEmpty())
            HandBack(queue_.takeFirst());
    }
    return result;
}

WaveResult FakeWaveOut::Close(WaveHandle handle)
{
    return Record(QStringLiteral("Close"), handle);
}

WaveResult FakeWaveOut::SetVolume(WaveHandle handle, std::uint32_t volume)
{
    return Record(QStringLiteral("SetVolume"), handle, nullptr, volume);
}

QString FakeWaveOut::ErrorText(WaveResult code)
{
    return QStringLiteral("Fehlertext %1").arg(code);
}
