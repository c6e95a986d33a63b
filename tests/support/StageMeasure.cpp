#include "support/StageMeasure.h"

#include "stage/Biquad.h"
#include "stage/FftwLibrary.h"
#include "stage/StageConstants.h"

#include <QtGlobal>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <sstream>
#include <stdexcept>

namespace stagetest {

const stage::FftwFunctions& Fftw()
{
    std::string error;
    const stage::FftwFunctions* fftw = stage::LoadFftw(&error);
    if (!fftw)
        qFatal("%s", error.c_str());
    return *fftw;
}

namespace {

Slope Fit(const std::vector<double>& envelopeDb, std::size_t begin, std::size_t end,
          int windowFrames)
{
    const double windowSeconds = double(windowFrames) / stage::SampleRateHz;
    double sumT = 0, sumY = 0, sumTT = 0, sumTY = 0;
    const double count = double(end - begin + 1);
    for (std::size_t i = begin; i <= end; ++i) {
        const double t = double(i) * windowSeconds;
        sumT += t;
        sumY += envelopeDb[i];
        sumTT += t * t;
        sumTY += t * envelopeDb[i];
    }
    Slope slope;
    slope.found = end > begin + 2;
    slope.dbPerSecond = (count * sumTY - sumT * sumY) / (count * sumTT - sumT * sumT);
    slope.beginSeconds = double(begin) * windowSeconds;
    slope.endSeconds = double(end) * windowSeconds;
    return slope;
}

std::size_t WindowAt(double seconds, int windowFrames)
{
    return std::size_t(std::max(0.0, std::ceil(seconds * stage::SampleRateHz / windowFrames)));
}

} // namespace

std::vector<float> AroundHowl(const std::vector<float>& samples, double centreHz)
{
    const stage::BiquadCoefficients bandPass = stage::BandPassSection(centreHz, 4.32);
    stage::BiquadChain filter({bandPass, bandPass});
    std::vector<float> filtered = samples;
    filter.Process(filtered.data(), int(filtered.size()));
    return filtered;
}

std::vector<double> EnvelopeDb(const std::vector<float>& samples, int windowFrames)
{
    std::vector<double> envelope;
    for (std::size_t begin = 0; begin + windowFrames <= samples.size(); begin += windowFrames) {
        double energy = 0;
        for (int n = 0; n < windowFrames; ++n)
            energy += double(samples[begin + n]) * samples[begin + n];
        envelope.push_back(10 * std::log10(energy / windowFrames + 1e-30));
    }
    return envelope;
}

Slope RiseSlope(const std::vector<double>& envelopeDb, double fromSeconds, double lowDb,
                double highDb, int windowFrames)
{
    std::size_t end = WindowAt(fromSeconds, windowFrames);
    while (end < envelopeDb.size() && envelopeDb[end] < highDb)
        ++end;
    if (end >= envelopeDb.size())
        return {};
    std::size_t begin = end;
    while (begin > 0 && envelopeDb[begin] > lowDb)
        --begin;
    return Fit(envelopeDb, begin, end, windowFrames);
}

Slope FallSlope(const std::vector<double>& envelopeDb, double fromSeconds, double highDb,
                double lowDb, int windowFrames)
{
    std::size_t begin = WindowAt(fromSeconds, windowFrames);
    while (begin < envelopeDb.size() && envelopeDb[begin] > highDb)
        ++begin;
    std::size_t end = begin;
    while (end < envelopeDb.size() && envelopeDb[end] > lowDb)
        ++end;
    if (end >= envelopeDb.size())
        return {};
    return Fit(envelopeDb, begin, end, windowFrames);
}

double PeakFrequencyHz(const std::vector<float>& samples, double beginSeconds, double endSeconds)
{
    std::string error;
    const stage::FftwFunctions* fftw = stage::LoadFftw(&error);
    if (!fftw)
        throw std::runtime_error(error);
    const auto begin = std::size_t(beginSeconds * stage::SampleRateHz);
    const auto end = std::min(samples.size(), std::size_t(endSeconds * stage::SampleRateHz));
    const int size = 1 << 21;
    const int bins = size / 2 + 1;
    auto* time = static_cast<float*>(fftw->allocate(sizeof(float) * size));
    auto* spectrum = static_cast<fftwf_complex*>(fftw->allocate(sizeof(fftwf_complex) * bins));
    std::fill(time, time + size, 0.0f);
    const double length = double(end - begin);
    for (std::size_t n = begin; n < end; ++n)
        time[n - begin] =
            samples[n] *
            float(0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(n - begin) / length));
    fftwf_plan plan = stage::PlanForward(*fftw, size, time, spectrum);
    fftw->executeForward(plan, time, spectrum);
    std::vector<double> logMagnitude(bins);
    for (int k = 0; k < bins; ++k)
        logMagnitude[k] = std::log(std::hypot(spectrum[k][0], spectrum[k][1]) + 1e-30);
    stage::DestroyPlan(*fftw, plan);
    fftw->release(spectrum);
    fftw->release(time);
    const auto peak = std::size_t(
        std::max_element(logMagnitude.begin() + 1, logMagnitude.end() - 1) - logMagnitude.begin());
    const double left = logMagnitude[peak - 1], centre = logMagnitude[peak],
                 right = logMagnitude[peak + 1];
    const double offset = 0.5 * (left - right) / (left - 2 * centre + right);
    return (double(peak) + offset) * stage::SampleRateHz / size;
}

StageEvent ParseEvent(const std::string& line)
{
    std::istringstream words(line);
    StageEvent event;
    words >> event.name;
    std::string field;
    while (words >> field) {
        const std::size_t equals = field.find('=');
        double value = std::nan("");
        if (equals != std::string::npos)
            std::from_chars(field.data() + equals + 1, field.data() + field.size(), value);
        event.fields[field.substr(0, equals)] = value;
    }
    return event;
}

StageEvent FirstEvent(const std::vector<std::string>& lines, const std::string& name)
{
    for (const std::string& line : lines) {
        StageEvent event = ParseEvent(line);
        if (event.name == name)
            return event;
    }
    return {};
}

RenderedStage Render(const stage::StageRenderRequest& request)
{
    std::string error;
    const stage::FftwFunctions* fftw = stage::LoadFftw(&error);
    if (!fftw)
        throw std::runtime_error(error);
    RenderedStage rendered;
    // All in memory: the tests look at the whole of it.
    stage::RenderStage(
        request, *fftw, [&rendered](const std::string& line) { rendered.events.push_back(line); },
        [&rendered](const float* block, std::size_t count) {
            rendered.samples.insert(rendered.samples.end(), block, block + count);
            return true;
        });
    return rendered;
}

} // namespace stagetest
