#include "support/OfflineStagePlayer.h"

#include "stage/StageConstants.h"
#include "stage/StageStream.h"

#include <algorithm>
#include <cmath>

bool OfflineStagePlayer::Play(stage::StageStream& stream, std::string* errorText)
{
    if (!failure.empty()) {
        *errorText = failure;
        return false;
    }
    stream_ = &stream;
    return true;
}

void OfflineStagePlayer::Stop(stage::StageStream& stream)
{
    if (stream_ == &stream)
        stream_ = nullptr;
}

bool OfflineStagePlayer::Run(double seconds)
{
    if (!stream_)
        return false;
    const auto blocks = std::size_t(std::ceil(seconds * stage::SampleRateHz / stage::BlockFrames));
    for (std::size_t block = 0; block < blocks; ++block) {
        played.resize(played.size() + stage::BlockFrames);
        stream_->RenderBuffer(played.data() + played.size() - stage::BlockFrames,
                              stage::BlockFrames);
    }
    return true;
}

double OfflineStagePlayer::PeakDbfs(double seconds) const
{
    const auto count = std::min(played.size(), std::size_t(seconds * stage::SampleRateHz));
    float peak = 1e-10f;
    for (auto sample = played.end() - std::ptrdiff_t(count); sample != played.end(); ++sample)
        peak = std::max(peak, std::abs(*sample));
    return stage::AmplitudeToDb(peak);
}
