#include "stage/LoopAnalysis.h"

#include "stage/StageBands.h"
#include "stage/StageConstants.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <numbers>

namespace stage {

namespace {

using Complex = std::complex<double>;

constexpr double LowestHowlHz = 30.0;
constexpr double HighestHowlHz = 18000.0;
constexpr int CandidateCount = 24;
// When no root grows, the strongest few still name the one nearest to it.
constexpr int QuietCandidateCount = 4;
constexpr int FollowSteps = 8;
constexpr double TurnPullStepDb = 1.0;
constexpr double RivalShare = 0.5;
// The first howl grows within this share of the scene's rate.
constexpr double TargetGrowthTolerance = 0.1;
// dB per neper, per second of samples.
const double RateScale = 20.0 / std::numbers::ln10 * SampleRateHz;

double HzToOmega(double frequencyHz)
{
    return 2 * std::numbers::pi * frequencyHz / SampleRateHz;
}

} // namespace

double LoopPole::FrequencyHz() const
{
    return s.imag() * SampleRateHz / (2 * std::numbers::pi);
}

double LoopPole::GrowthDbPerSecond() const
{
    return s.real() * RateScale;
}

LoopAnalysis::LoopAnalysis(const LoopDesign& design, const FftwFunctions& fftw) : fftw_(fftw)
{
    for (double centreHz : design.bandCentresHz)
        eqSections_.push_back(BandSection(centreHz, 0.0));
    TakeRoom(design);
}

void LoopAnalysis::TakeRoom(const LoopDesign& design)
{
    design_ = design;
    gridSize_ = int(std::bit_ceil(std::size_t(design.room.directDelayFrames) +
                                  design.room.taps.size() + std::size_t(SampleRateHz) * 4));
    gridCurrent_ = false;
    grid_.clear();
    // The room on a fine grid through one long FFT; the rest by formula.
    const int bins = gridSize_ / 2 + 1;
    auto* time = static_cast<float*>(fftw_.allocate(sizeof(float) * gridSize_));
    auto* spectrum = static_cast<fftwf_complex*>(fftw_.allocate(sizeof(fftwf_complex) * bins));
    std::fill(time, time + gridSize_, 0.0f);
    std::copy(design.room.taps.begin(), design.room.taps.end(),
              time + design.room.directDelayFrames);
    fftwf_plan plan = PlanForward(fftw_, gridSize_, time, spectrum);
    fftw_.executeForward(plan, time, spectrum);
    fixedGrid_.resize(bins);
    for (int k = 0; k < bins; ++k) {
        const Complex zInverse = std::polar(1.0, -2 * std::numbers::pi * k / gridSize_);
        Complex value(spectrum[k][0], spectrum[k][1]);
        for (const BiquadCoefficients& c : design.microphone)
            value *= c.Response(zInverse);
        for (const BiquadCoefficients& c : design.speaker)
            value *= c.Response(zInverse);
        fixedGrid_[k] = value;
    }
    DestroyPlan(fftw_, plan);
    fftw_.release(spectrum);
    fftw_.release(time);
}

double LoopAnalysis::MoveRoom(const LoopDesign& design)
{
    const double peakBeforeDb = PeakGainDb();
    TakeRoom(design);
    const double before = gainDb_;
    // A howl the turn sets off may come at once, but no faster than one the
    // gain's rise brings: only that far is the gain pulled, and never by more
    // than the loop's peak rose. Where it did not rise, nothing grows faster
    // than before the turn, and the poles need no search.
    const double riseDb = PeakGainDb() - peakBeforeDb;
    for (double pulledDb = 0; pulledDb < riseDb; pulledDb += TurnPullStepDb) {
        const std::optional<LoopPole> pole = DominantPole();
        if (!pole || pole->GrowthDbPerSecond() <= FastestHowlDbPerSecond)
            break;
        gainDb_ -= TurnPullStepDb;
    }
    return gainDb_ - before;
}

void LoopAnalysis::SetLevels(const BandLevels& levelsDb)
{
    levelsDb_ = levelsDb;
    for (int band = 0; band < BandCount; ++band)
        eqSections_[band] = BandSection(design_.bandCentresHz[band], levelsDb[band]);
    gridCurrent_ = false;
}

LoopAnalysis::Value LoopAnalysis::At(Complex s) const
{
    const Complex zInverse = std::exp(-s);
    Complex openLoop = DbToAmplitude(gainDb_);
    Complex logDerivative = 0.0;
    const auto section = [&](const BiquadCoefficients& c) {
        openLoop *= c.Response(zInverse);
        logDerivative += c.LogDerivative(zInverse);
    };
    std::for_each(design_.microphone.begin(), design_.microphone.end(), section);
    std::for_each(eqSections_.begin(), eqSections_.end(), section);
    std::for_each(design_.speaker.begin(), design_.speaker.end(), section);

    // R(z) = sum h[k] z^-(D+k); d/ds z^-n = -n z^-n. Four interleaved
    // recurrences in plain reals, so that no product waits on the one
    // before it and none goes through the library's careful complex product.
    constexpr std::size_t Lanes = 4;
    const int delay = design_.room.directDelayFrames;
    const std::vector<float>& taps = design_.room.taps;
    std::array<double, Lanes> powerRe{}, powerIm{}, roomRe{}, roomIm{}, weightedRe{}, weightedIm{};
    Complex power = std::exp(-s * double(delay));
    for (std::size_t lane = 0; lane < Lanes; ++lane) {
        powerRe[lane] = power.real();
        powerIm[lane] = power.imag();
        power *= zInverse;
    }
    const Complex stride = std::exp(-s * double(Lanes));
    const double strideRe = stride.real();
    const double strideIm = stride.imag();
    // The taps padded to whole lanes with zeros, which add nothing.
    const std::size_t padded = (taps.size() + Lanes - 1) / Lanes * Lanes;
    for (std::size_t k = 0; k < padded; k += Lanes)
        for (std::size_t lane = 0; lane < Lanes; ++lane) {
            const double tap = k + lane < taps.size() ? double(taps[k + lane]) : 0.0;
            const double termRe = tap * powerRe[lane];
            const double termIm = tap * powerIm[lane];
            const double frame = double(std::size_t(delay) + k + lane);
            roomRe[lane] += termRe;
            roomIm[lane] += termIm;
            weightedRe[lane] += frame * termRe;
            weightedIm[lane] += frame * termIm;
            const double re = powerRe[lane] * strideRe - powerIm[lane] * strideIm;
            powerIm[lane] = powerRe[lane] * strideIm + powerIm[lane] * strideRe;
            powerRe[lane] = re;
        }
    Complex room = 0.0;
    Complex weighted = 0.0;
    for (std::size_t lane = 0; lane < Lanes; ++lane) {
        room += Complex(roomRe[lane], roomIm[lane]);
        weighted += Complex(weightedRe[lane], weightedIm[lane]);
    }
    return {openLoop * room, logDerivative - weighted / room};
}

double LoopAnalysis::OpenLoopGainDb(double frequencyHz) const
{
    return AmplitudeToDb(std::abs(At({0.0, HzToOmega(frequencyHz)}).openLoop));
}

std::vector<double> LoopAnalysis::PeakOpenLoopGainDb(const std::vector<double>& edgesHz)
{
    UpdateGrid();
    std::vector<double> peaksDb;
    const double binsPerHz = double(gridSize_) / SampleRateHz;
    for (std::size_t i = 0; i + 1 < edgesHz.size(); ++i) {
        const auto first = std::size_t(std::ceil(edgesHz[i] * binsPerHz));
        const auto last = std::min(grid_.size() - 1, std::size_t(edgesHz[i + 1] * binsPerHz));
        double peak = 0;
        for (std::size_t k = first; k <= last; ++k)
            peak = std::max(peak, std::abs(grid_[k]));
        peaksDb.push_back(peak > 0 ? AmplitudeToDb(peak) + gainDb_ : -HUGE_VAL);
    }
    return peaksDb;
}

double LoopAnalysis::GroupDelayMs(double frequencyHz) const
{
    // On the unit circle d ln L / ds = d(phase)/d(omega) - i d ln|L| / d(omega).
    return -At({0.0, HzToOmega(frequencyHz)}).logDerivative.real() * 1000.0 / SampleRateHz;
}

double LoopAnalysis::RoomDecayDbPerSecond(double frequencyHz) const
{
    if (!design_.room.HasRoom())
        return -HUGE_VAL;
    return -60.0 / design_.room.Rt60Seconds(frequencyHz);
}

std::optional<LoopPole> LoopAnalysis::Refine(Complex start) const
{
    // Steps stay within 2 Hz (or the like in growth): the room's peaks are a
    // few hertz apart, and a long step lands on another one's root.
    const double longestStep = HzToOmega(2.0);
    Complex s = start;
    for (int iteration = 0; iteration < 80; ++iteration) {
        const Value v = At(s);
        const Complex residual = std::log(v.openLoop); // 0 (mod 2 pi i) at a root
        if (std::abs(residual) < 1e-10)
            return LoopPole{s};
        Complex step = -residual / v.logDerivative;
        if (std::abs(step) > longestStep)
            step *= longestStep / std::abs(step);
        s += step;
        if (!std::isfinite(s.real()) || !std::isfinite(s.imag()))
            return std::nullopt;
    }
    return std::nullopt;
}

void LoopAnalysis::UpdateGrid()
{
    if (gridCurrent_)
        return;
    // A fader move changes one or two bands: the grid follows by the ratio of
    // their new and old responses rather than by all 28 sections again.
    const bool full = grid_.empty();
    if (full)
        grid_ = fixedGrid_;
    // A band at 0 dB is the identity: a fresh grid skips it.
    std::vector<int> changed;
    for (int band = 0; band < BandCount; ++band)
        if (full ? levelsDb_[band] != 0 : gridLevelsDb_[band] != levelsDb_[band])
            changed.push_back(band);
    if (full)
        gridLevelsDb_.fill(0);
    std::vector<BiquadCoefficients> before;
    before.reserve(changed.size());
    for (int band : changed)
        before.push_back(BandSection(design_.bandCentresHz[band], gridLevelsDb_[band]));
    if (!changed.empty())
        for (std::size_t k = 0; k < grid_.size(); ++k) {
            const Complex zInverse = std::polar(1.0, -2 * std::numbers::pi * double(k) / gridSize_);
            for (std::size_t i = 0; i < changed.size(); ++i)
                grid_[k] *=
                    eqSections_[changed[i]].Response(zInverse) / before[i].Response(zInverse);
        }
    gridLevelsDb_ = levelsDb_;
    gridCurrent_ = true;
}

PoleSurvey LoopAnalysis::SurveyPoles()
{
    UpdateGrid();
    struct Candidate {
        double magnitude;
        double omega;
    };
    std::vector<Candidate> candidates;
    const double binOmega = 2 * std::numbers::pi / gridSize_;
    const auto first = std::size_t(LowestHowlHz / SampleRateHz * gridSize_);
    const auto last = std::size_t(HighestHowlHz / SampleRateHz * gridSize_);
    for (std::size_t k = first; k < last; ++k) {
        const Complex a = grid_[k];
        const Complex b = grid_[k + 1];
        if (a.real() <= 0 || (a.imag() < 0) == (b.imag() < 0))
            continue;
        const double fraction = a.imag() / (a.imag() - b.imag());
        candidates.push_back({std::abs(a), (double(k) + fraction) * binOmega});
    }
    std::size_t kept = std::min<std::size_t>(CandidateCount, candidates.size());
    std::partial_sort(
        candidates.begin(), candidates.begin() + kept, candidates.end(),
        [](const Candidate& x, const Candidate& y) { return x.magnitude > y.magnitude; });
    // A root grows by about ln|L| over the group delay: only where |L| > 1
    // can one grow at all, so when some do, the rest need no Newton. The
    // grid leaves G out.
    const double unityOnGrid = DbToAmplitude(-gainDb_);
    const auto growing = std::size_t(
        std::count_if(candidates.begin(), candidates.begin() + kept,
                      [unityOnGrid](const Candidate& c) { return c.magnitude > unityOnGrid; }));
    kept = std::min(kept, std::max(growing, std::size_t(QuietCandidateCount)));
    std::vector<LoopPole> poles;
    for (std::size_t i = 0; i < kept; ++i)
        if (const std::optional<LoopPole> pole = Refine({0.0, candidates[i].omega}))
            poles.push_back(*pole);
    PoleSurvey survey;
    for (const LoopPole& pole : poles)
        if (!survey.dominant || pole.s.real() > survey.dominant->s.real())
            survey.dominant = pole;
    // One that grows at less than half the rate stays under the first until
    // that one is cut: it is the next howl, not a second one now.
    for (const LoopPole& pole : poles)
        if (pole.GrowthDbPerSecond() > 0 &&
            pole.GrowthDbPerSecond() >= RivalShare * survey.dominant->GrowthDbPerSecond() &&
            std::abs(std::log(pole.FrequencyHz() / survey.dominant->FrequencyHz())) >=
                std::log(RivalApartRatio) &&
            (!survey.rival || pole.s.real() > survey.rival->s.real()))
            survey.rival = pole;
    return survey;
}

double LoopAnalysis::PeakGainDb()
{
    UpdateGrid();
    double peak = 0;
    for (std::size_t k = std::size_t(LowestHowlHz / SampleRateHz * gridSize_);
         k < std::size_t(HighestHowlHz / SampleRateHz * gridSize_); ++k)
        peak = std::max(peak, std::abs(grid_[k]));
    return AmplitudeToDb(peak) + gainDb_;
}

double LoopAnalysis::PeakFrequencyHz()
{
    UpdateGrid();
    std::size_t loudest = 0;
    for (std::size_t k = std::size_t(LowestHowlHz / SampleRateHz * gridSize_);
         k < std::size_t(HighestHowlHz / SampleRateHz * gridSize_); ++k)
        if (std::abs(grid_[k]) > std::abs(grid_[loudest]))
            loudest = k;
    return double(loudest) * SampleRateHz / gridSize_;
}

PoleSurvey LoopAnalysis::ChooseGainDb()
{
    gainDb_ -= PeakGainDb();
    const double target = design_.firstGrowthDbPerSecond;
    for (int attempt = 0; attempt < 40; ++attempt) {
        PoleSurvey survey = SurveyPoles();
        const std::optional<LoopPole>& pole = survey.dominant;
        const double growth = pole ? pole->GrowthDbPerSecond() : -HUGE_VAL;
        if (std::abs(growth - target) <= target * TargetGrowthTolerance)
            return survey;
        // Near a pole, growth changes by (change of G in dB) / group delay.
        double stepDb = 0.25;
        if (pole) {
            const double delaySeconds = std::max(GroupDelayMs(pole->FrequencyHz()), 1.0) / 1000.0;
            stepDb = std::clamp((target - growth) * delaySeconds, -0.5, 0.5);
        }
        gainDb_ += stepDb;
    }
    return SurveyPoles();
}

RingOut LoopAnalysis::PlanRingOut(int howls, double cutDb)
{
    const BandLevels before = levelsDb_;
    const double gainBefore = gainDb_;
    RingOut plan;
    BandLevels levels = levelsDb_;
    for (int howl = 0; howl < howls; ++howl) {
        // G rises in whole dB until the loop's peak is over unity again.
        gainDb_ += std::max(0.0, std::ceil(-PeakGainDb()));
        if (howl == 0)
            plan.firstGainDb = gainDb_;
        const int band = NearestBand(PeakFrequencyHz());
        plan.bands.push_back(band);
        plan.gainWonDb = gainDb_ - plan.firstGainDb;
        levels[band] = std::max(double(MinLevelDb), levels[band] + cutDb);
        SetLevels(levels);
    }
    SetLevels(before);
    gainDb_ = gainBefore;
    return plan;
}

PoleSurvey LoopAnalysis::RiseGainDb()
{
    const double before = gainDb_;
    // Where every step makes two howls at once, the smallest.
    PoleSurvey survey;
    for (double stepDb : {1.0, 0.75, 0.5}) {
        gainDb_ = before + stepDb;
        survey = SurveyPoles();
        const std::optional<LoopPole>& pole = survey.dominant;
        if (!pole || (pole->GrowthDbPerSecond() <= FastestHowlDbPerSecond && !survey.rival))
            break;
    }
    return survey;
}

RingOut LoopAnalysis::FollowRingOut(const LoopPole& first, int howls, double cutDb,
                                    const SingerRooms& singerRoom)
{
    const LoopDesign designBefore = design_;
    bool moved = false;
    const BandLevels before = levelsDb_;
    const double gainBefore = gainDb_;
    RingOut plan;
    plan.firstGainDb = gainDb_;
    BandLevels levels = levelsDb_;
    std::optional<LoopPole> pole = first;
    for (int howl = 0; howl < howls; ++howl) {
        // After a cut the next howl may already grow; else G rises (a stage
        // that never howls again within 30 dB is rung out).
        const auto howling = [&] {
            return howl == 0 || (pole && pole->GrowthDbPerSecond() >= SlowestHowlDbPerSecond);
        };
        for (int rise = 0; rise < 30 && !howling(); ++rise)
            pole = RiseGainDb().dominant;
        if (!howling())
            break;
        const int band = NearestBand(pole->FrequencyHz());
        plan.bands.push_back(band);
        plan.gainWonDb = gainDb_ - plan.firstGainDb;
        levels[band] = std::max(double(MinLevelDb), levels[band] + cutDb);
        SetLevels(levels);
        if (singerRoom && howl + 1 < howls)
            if (const std::optional<LoopDesign> room = singerRoom(howl + 1)) {
                MoveRoom(*room);
                moved = true;
            }
        pole = DominantPole();
    }
    if (moved)
        TakeRoom(designBefore);
    SetLevels(before);
    gainDb_ = gainBefore;
    return plan;
}

PoleForecast LoopAnalysis::Follow(const LoopPole& howl, const BandLevels& levelsDb)
{
    // A move far off may still shift the phase enough that the howl's root
    // slips off its room mode and dies; whether the howl did, the sound says.
    const BandLevels before = levelsDb_;
    std::optional<LoopPole> pole = howl;
    for (int step = 1; step <= FollowSteps; ++step) {
        BandLevels between{};
        for (int band = 0; band < BandCount; ++band)
            between[band] =
                before[band] + (levelsDb[band] - before[band]) * step / double(FollowSteps);
        SetLevels(between);
        if (pole)
            pole = Refine(pole->s);
    }
    const double roomDecay = RoomDecayDbPerSecond(howl.FrequencyHz());
    if (pole && pole->GrowthDbPerSecond() >= roomDecay)
        return {*pole, pole->GrowthDbPerSecond(), false};
    if (design_.room.HasRoom())
        return {pole.value_or(howl), roomDecay, true};
    // Without a room a lost pole is far inside: the rule of thumb says how far.
    const double frequencyHz = howl.FrequencyHz();
    const double growth = OpenLoopGainDb(frequencyHz) / (GroupDelayMs(frequencyHz) / 1000.0);
    return {LoopPole{{growth / RateScale, howl.s.imag()}}, growth, false};
}

} // namespace stage
