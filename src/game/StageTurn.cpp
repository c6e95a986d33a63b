#include "game/StageTurn.h"

#include "platform/Random.h"
#include "stage/StageBands.h"

#include <cmath>
#include <numbers>

namespace {

// Rooms tried after the drawn one before the stage gives up.
constexpr int RoomsTried = 24;
constexpr int ResponsePoints = 241;
// A growing pole within a third of an octave continues the howl.
constexpr double SameHowlOctaves = 1.0 / 3.0;

// A next howl must grow at least this fast: one that only just grows would
// take a minute to be heard, so the gain goes on rising until it is clear.
constexpr double AudibleGrowthDbPerSecond = 6.0;

std::optional<stage::LoopPole> GrowingPole(stage::LoopAnalysis& analysis,
                                           double leastGrowthDbPerSecond = 0)
{
    const std::optional<stage::LoopPole> pole = analysis.DominantPole();
    if (pole && pole->GrowthDbPerSecond() > leastGrowthDbPerSecond)
        return pole;
    return std::nullopt;
}

QString SignedDb(double db)
{
    const long whole = std::lround(db);
    return (whole > 0 ? QStringLiteral("+") : QString()) + QString::number(whole) +
           QStringLiteral(" dB");
}

} // namespace

std::uint32_t StageTurn::DrawSeed(RandomGenerator& random)
{
    return std::uint32_t(random.Below(1 << 30));
}

std::unique_ptr<StageTurn> StageTurn::Build(const stage::FftwFunctions& fftw,
                                            std::uint32_t drawnSeed, int lowCutBand,
                                            int highCutBand, QString* errorText,
                                            const std::atomic<bool>* cancelled)
{
    for (int attempt = 0; attempt < RoomsTried; ++attempt) {
        if (cancelled && cancelled->load())
            return nullptr;
        const std::uint32_t seed = drawnSeed + std::uint32_t(attempt);
        stage::LoopDesign design = stage::StageDesign(seed, true);
        stage::LoopAnalysis analysis(design, fftw);
        analysis.ChooseGainDb();
        const std::optional<stage::LoopPole> pole = GrowingPole(analysis);
        if (!pole)
            continue;
        const int band = stage::NearestBand(pole->FrequencyHz());
        if (band <= lowCutBand || band > highCutBand)
            continue;
        std::unique_ptr<StageTurn> turn(
            new StageTurn(std::move(design), fftw, seed, lowCutBand, highCutBand));
        turn->gainDb_ = turn->firstGainDb_ = analysis.GainDb();
        turn->analysis_.SetGainDb(turn->gainDb_);
        turn->StartHowl(*pole);
        turn->Publish();
        return turn;
    }
    *errorText = QStringLiteral("Für die Bänder im Spiel ließ sich keine Bühne finden, die "
                                "dort rückkoppelt. Bitte den Filterbereich erweitern.");
    return nullptr;
}

StageTurn::StageTurn(stage::LoopDesign design, const stage::FftwFunctions& fftw, std::uint32_t seed,
                     int lowCutBand, int highCutBand)
    : design_(std::move(design)), analysis_(design_, fftw),
      stream_(std::make_unique<stage::StageStream>(design_, fftw, seed)), seed_(seed),
      lowCutBand_(lowCutBand), highCutBand_(highCutBand)
{
}

void StageTurn::Publish()
{
    stage::StageParameters parameters;
    for (int band = 0; band < stage::BandCount; ++band)
        parameters.levelsDb[band] = static_cast<std::int8_t>(levelsDb_[band]);
    parameters.gainDb = float(gainDb_);
    parameters.outputGain = float(outputGain_);
    stream_->SetParameters(parameters);
}

void StageTurn::StartHowl(const stage::LoopPole& pole)
{
    howl_ = pole;
    howlsHz_.push_back(pole.FrequencyHz());
    growing_ = true;
    reachedFindLevel_ = false;
    pulledDown_.clear();
    stopper_ = -1;
}

bool StageTurn::FaderMoved(const BandArray& bands, int band, double outputGain)
{
    const stage::BandLevels before = levelsDb_;
    for (int b = 0; b < stage::BandCount; ++b)
        levelsDb_[b] = bands[b].Level;
    if (levelsDb_ == before && outputGain == outputGain_)
        return false; // a click that selects: nothing moved
    outputGain_ = outputGain;
    Publish();
    if (!growing_) {
        analysis_.SetLevels(levelsDb_);
        return false;
    }
    if (band >= 0 && band < stage::BandCount && levelsDb_[band] < 0 &&
        levelsDb_[band] < before[band])
        pulledDown_.insert(band);
    const stage::PoleForecast forecast = analysis_.Follow(*howl_, levelsDb_);
    howl_ = forecast.pole;
    if (forecast.growthDbPerSecond >= 0)
        return false;
    // The room's poles lie a few hertz apart: when the followed one dies but
    // a neighbour grows, the player still hears the same howl.
    if (const std::optional<stage::LoopPole> next = GrowingPole(analysis_);
        next && std::abs(std::log2(next->FrequencyHz() / howl_->FrequencyHz())) < SameHowlOctaves) {
        howl_ = next;
        return false;
    }
    growing_ = false;
    stopper_ = band;
    return true;
}

void StageTurn::SetOutputGain(double outputGain)
{
    outputGain_ = outputGain;
    Publish();
}

StageTurn::NextHowl StageTurn::RiseGain()
{
    gainDb_ += GainRiseDb;
    analysis_.SetGainDb(gainDb_);
    Publish();
    return LookForHowl();
}

StageTurn::NextHowl StageTurn::LookForHowl()
{
    const std::optional<stage::LoopPole> pole = GrowingPole(analysis_, AudibleGrowthDbPerSecond);
    if (!pole)
        return NextHowl::None;
    const int band = stage::NearestBand(pole->FrequencyHz());
    if (band < lowCutBand_ || band > highCutBand_)
        return NextHowl::OutOfPlay;
    StartHowl(*pole);
    return NextHowl::InPlay;
}

bool StageTurn::HowlReachedFindLevel()
{
    if (!growing_ || reachedFindLevel_ || stream_->LastBlockPeakDbfs() < FindClockLevelDbfs)
        return false;
    reachedFindLevel_ = true;
    return true;
}

int StageTurn::HowlBand() const
{
    return stage::NearestBand(HowlHz());
}

std::vector<int> StageTurn::TriedBands() const
{
    std::vector<int> tried;
    for (int band : pulledDown_)
        if (band != stopper_)
            tried.push_back(band);
    return tried;
}

QString StageTurn::Summary() const
{
    int cuts = 0;
    double totalDb = 0;
    for (double levelDb : levelsDb_) {
        if (levelDb < 0) {
            ++cuts;
            totalDb += levelDb;
        }
    }
    return SignedDb(GainWonDb()) + QStringLiteral(" vor Rückkopplung, ") + QString::number(cuts) +
           (cuts == 1 ? QStringLiteral(" Schnitt, zusammen ")
                      : QStringLiteral(" Schnitte, zusammen ")) +
           SignedDb(totalDb);
}

StageResponse StageTurn::Response()
{
    StageResponse response;
    response.howlsHz = howlsHz_;
    const stage::BandLevels played = levelsDb_;
    std::vector<stage::BiquadCoefficients> eq;
    eq.reserve(stage::BandCount);
    for (int band = 0; band < stage::BandCount; ++band)
        eq.push_back(stage::BandSection(design_.bandCentresHz[band], played[band]));
    // Each point stands for the stretch around it, up to halfway to its neighbours.
    const auto at = [](double step) {
        return 20.0 * std::pow(1000.0, step / (ResponsePoints - 1));
    };
    std::vector<double> edgesHz;
    for (int i = 0; i <= ResponsePoints; ++i)
        edgesHz.push_back(at(i - 0.5));
    for (int i = 0; i < ResponsePoints; ++i) {
        const double frequencyHz = at(i);
        response.frequenciesHz.push_back(frequencyHz);
        const std::complex<double> zInverse =
            std::polar(1.0, -2 * std::numbers::pi * frequencyHz / stage::SampleRateHz);
        std::complex<double> eqResponse = 1.0;
        for (const stage::BiquadCoefficients& section : eq)
            eqResponse *= section.Response(zInverse);
        response.eqDb.push_back(stage::AmplitudeToDb(std::abs(eqResponse)));
    }
    response.afterDb = analysis_.PeakOpenLoopGainDb(edgesHz);
    analysis_.SetLevels({});
    response.beforeDb = analysis_.PeakOpenLoopGainDb(edgesHz);
    analysis_.SetLevels(played);
    return response;
}
