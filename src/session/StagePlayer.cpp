#include "session/StagePlayer.h"

#include "model/GameState.h"
#include "platform/WaveOut.h"
#include "stage/StageStream.h"

bool DeviceStagePlayer::Play(stage::StageStream& stream, std::string* errorText)
{
    // The device scan initialises PortAudio on its own thread: it must be done.
    waveOut_.WaitForDevices();
    QString name;
    if (state_.SoundCardId <= 0 ||
        waveOut_.ProductName(std::uint32_t(state_.SoundCardId), name) != WaveNoError)
        name.clear();
    return stream.Start(errorText, name.toStdString());
}

void DeviceStagePlayer::Stop(stage::StageStream& stream)
{
    stream.Stop();
}
