#pragma once
// The stage loop rendered offline, without a window or a sound device, with
// a line for each event: the gain, a howl starting, a cut, a howl stopping.

#include "stage/FftwLibrary.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace stage {

struct StageCut {
    int band = 0;
    int levelDb = 0;    // the fader's level
    double seconds = 0; // applied at the first block that starts then or later
};

struct StageRenderRequest {
    std::uint32_t seed = 0;
    std::string outputPath;
    double seconds = 10.0;
    bool withRoom = true;
    std::vector<StageCut> cuts;
    // --range: scenes drawn for these cut bands, as the game draws them.
    std::optional<std::pair<int, int>> range;
    // --auto-cut: the automatic engineer's cut, dB more per howl.
    std::optional<int> autoCutDb;
};

// The arguments after --render-stage; null with a one-line German reason.
std::optional<StageRenderRequest> ParseStageArguments(const std::vector<std::string>& arguments,
                                                      std::string* errorText);

// Receives the rendered samples in order, a block at a time; false stops
// the render.
using SampleSink = std::function<bool(const float* samples, std::size_t count)>;

// Renders the loop: the limiter's output, in [-1, 1], handed to `onSamples`
// as it is made. `onEvent` receives each event line as it happens (key=value
// pairs, no newline). False with a line "kein Bühnenbild ..." when --range
// finds no scene, or when `onSamples` stopped it.
bool RenderStage(const StageRenderRequest& request, const FftwFunctions& fftw,
                 const std::function<void(const std::string&)>& onEvent,
                 const SampleSink& onSamples);

// heulmeister --render-stage ...: 0 done, 1 failed, 2 bad arguments. The
// file is written through a temporary one beside it, block by block, and
// renamed into place when whole: the name holds the old file or the new one.
int RunRenderStageCommand(const std::vector<std::string>& arguments);

} // namespace stage
