#include "platform/WaveOut.h"

QEvent::Type WaveDoneEvent::eventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

// By value: the implementations keep the callback.
bool WaveOut::NotifyWhenDevicesKnown(
    QObject*, std::function<void()>) // NOLINT(performance-unnecessary-value-param)
{
    return false;
}
