#pragma once
// What the stage tests read off a rendered loop: the RMS envelope in dB, its
// slope between two levels, the howl's frequency, and the renderer's event
// lines.

#include "stage/FftwLibrary.h"
#include "stage/StageRenderer.h"

#include <map>
#include <string>
#include <vector>

namespace stagetest {

// FFTW for the tests; a machine without it cannot run them at all.
const stage::FftwFunctions& Fftw();

constexpr int EnvelopeWindowFrames = 960; // 20 ms

// The third of an octave around `centreHz` (two band-pass sections): the
// howl's own envelope, without other poles of the room.
std::vector<float> AroundHowl(const std::vector<float>& samples, double centreHz);

// dBFS of each window's RMS.
std::vector<double> EnvelopeDb(const std::vector<float>& samples,
                               int windowFrames = EnvelopeWindowFrames);

struct Slope {
    bool found = false;
    double dbPerSecond = 0;
    double beginSeconds = 0; // the fitted stretch
    double endSeconds = 0;
};

// The least-squares slope of the last rise from `lowDb` to `highDb` that
// ends at the envelope's first crossing of `highDb` after `fromSeconds`.
Slope RiseSlope(const std::vector<double>& envelopeDb, double fromSeconds, double lowDb = -46,
                double highDb = -16, int windowFrames = EnvelopeWindowFrames);
// The slope of the first fall from `highDb` to `lowDb` after `fromSeconds`.
Slope FallSlope(const std::vector<double>& envelopeDb, double fromSeconds, double highDb = -16,
                double lowDb = -46, int windowFrames = EnvelopeWindowFrames);

// The strongest frequency between two times: Hann window, zero-padded FFT,
// parabolic interpolation of the peak.
double PeakFrequencyHz(const std::vector<float>& samples, double beginSeconds, double endSeconds);

// One event line: its name and key=value fields as numbers.
struct StageEvent {
    std::string name;
    std::map<std::string, double> fields;
};
StageEvent ParseEvent(const std::string& line);
// The first event of that name (an empty name when there is none).
StageEvent FirstEvent(const std::vector<std::string>& lines, const std::string& name);

struct RenderedStage {
    std::vector<float> samples;
    std::vector<std::string> events;
};
// The renderer, in this process.
RenderedStage Render(const stage::StageRenderRequest& request);

} // namespace stagetest
