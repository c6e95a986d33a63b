#include "platform/WaveOut.h"

QEvent::Type WaveDoneEvent::eventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

bool WaveOut::NotifyWhenDevicesKnown(QObject*, std::function<void()>)
{
    return false;
}
