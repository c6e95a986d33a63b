#include "session/StageTurn.h"

#include "platform/Random.h"
#include "stage/StageBands.h"

#include <QLocale>
#include <QStringList>
#include <cmath>
#include <numbers>

namespace {

constexpr int ResponsePoints = 241;

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
    stage::StageSearch search;
    search.lowCutBand = lowCutBand;
    search.highCutBand = highCutBand;
    std::optional<stage::FoundStage> found = search.Find(fftw, drawnSeed, cancelled);
    if (!found) {
        if (!cancelled || !cancelled->load())
            *errorText = tr("Für die Bänder im Spiel ließ sich keine Bühne finden, die "
                            "dort rückkoppelt. Bitte den Filterbereich erweitern.");
        return nullptr;
    }
    const stage::LoopPole firstHowl = found->firstHowl;
    std::unique_ptr<StageTurn> turn(
        new StageTurn(std::move(*found), fftw, lowCutBand, highCutBand));
    turn->StartHowl(firstHowl);
    turn->Publish();
    return turn;
}

StageTurn::StageTurn(stage::FoundStage found, const stage::FftwFunctions& fftw, int lowCutBand,
                     int highCutBand)
    : fftw_(fftw), drawnScene_(found.scene), scene_(std::move(found.scene)),
      design_(std::move(found.design)), analysis_(std::move(found.analysis)),
      stream_(std::make_unique<stage::StageStream>(design_, fftw, scene_.seed)), seed_(scene_.seed),
      lowCutBand_(lowCutBand), highCutBand_(highCutBand), autoGainWonDb_(found.automatic.gainWonDb)
{
    gainDb_ = firstGainDb_ = analysis_->GainDb();
}

void StageTurn::Publish()
{
    stage::StageParameters parameters;
    for (int band = 0; band < stage::BandCount; ++band)
        parameters.levelsDb[band] = static_cast<std::int8_t>(levelsDb_[band]);
    parameters.gainDb = float(gainDb_);
    parameters.outputGain = float(outputGain_);
    parameters.howlHz = float(howlsHz_.empty() ? 1000.0 : howlsHz_.back());
    stream_->SetParameters(parameters);
}

void StageTurn::StartHowl(const stage::LoopPole& pole)
{
    howl_ = pole;
    howlsHz_.push_back(pole.FrequencyHz());
    growing_ = true;
    reachedFindLevel_ = false;
    pulledDown_.clear();
    stopper_ = NoFader;
}

StageTurn::Move StageTurn::MoveFaders(const BandArray& bands, int band, double outputGain)
{
    const stage::BandLevels before = levelsDb_;
    for (int b = 0; b < stage::BandCount; ++b)
        levelsDb_[b] = bands[b].Level;
    if (levelsDb_ == before && outputGain == outputGain_)
        return Move::Nothing; // a click that selects: nothing moved
    outputGain_ = outputGain;
    Publish();
    if (levelsDb_ == before)
        return Move::Nothing;
    if (!growing_)
        return Move::Levels;
    if (band >= 0 && band < stage::BandCount && levelsDb_[band] < 0 &&
        levelsDb_[band] < before[band])
        pulledDown_.insert(band);
    return Move::Judge;
}

void StageTurn::SetOutputGain(double outputGain)
{
    outputGain_ = outputGain;
    Publish();
}

StageTurn::Verdict StageTurn::TakeJudgement(const Judgement& judgement, int band)
{
    if (!growing_)
        return Verdict::None;
    return stage::VerdictOf(judgement, band, HowlBand(), *howl_);
}

void StageTurn::EndHowl(int stopper)
{
    growing_ = false;
    stopper_ = stopper;
    ++stops_;
}

std::function<StageTurn::SingerTurn()> StageTurn::SingerTurnWork() const
{
    return
        [analysis = analysis_, scene = stage::SceneAfterStops(drawnScene_, stops_), &fftw = fftw_] {
            const stage::LoopDesign design = stage::SceneDesign(scene);
            SingerTurn turn{scene,
                            std::make_shared<stage::PartitionedConvolver>(fftw, design.room.taps,
                                                                          stage::BlockFrames),
                            0};
            analysis->MoveRoom(design);
            turn.gainDb = analysis->GainDb();
            return turn;
        };
}

void StageTurn::TakeSingerTurn(const SingerTurn& turn)
{
    scene_ = turn.scene;
    stream_->MoveRoom(turn.room);
    gainDb_ = turn.gainDb;
    Publish();
}

void StageTurn::GoOnRinging(const Judgement& judgement)
{
    howl_ = stage::CarriedOn(judgement);
}

StageTurn::NextHowl StageTurn::TakeStrongestPole(const std::optional<stage::LoopPole>& pole,
                                                 double gainDb)
{
    if (gainDb != gainDb_) {
        gainDb_ = gainDb;
        Publish();
    }
    if (growing_ || !pole || pole->GrowthDbPerSecond() <= stage::SlowestHowlDbPerSecond)
        return NextHowl::None;
    const int band = stage::NearestBand(pole->FrequencyHz());
    if (band <= lowCutBand_ || band > highCutBand_)
        return NextHowl::OutOfPlay;
    StartHowl(*pole);
    Publish();
    return NextHowl::InPlay;
}

bool StageTurn::HowlReachedFindLevel()
{
    if (!growing_ || reachedFindLevel_ || stream_->HowlLevelDbfs() < FindClockLevelDbfs)
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

QString StageTurn::SceneText() const
{
    const QLocale german(QLocale::German, QLocale::Germany);
    const auto pattern = [](stage::PolarPattern p) {
        switch (p) {
        case stage::PolarPattern::Omni:
            return tr("Kugel");
        case stage::PolarPattern::Cardioid:
            return tr("Niere");
        case stage::PolarPattern::Supercardioid:
            return tr("Superniere");
        case stage::PolarPattern::Hypercardioid:
            return tr("Hyperniere");
        }
        return QString();
    };
    const QStringList roles = {tr("Gesang"), tr("Chor"), tr("Gitarre")};
    QStringList parts;
    for (std::size_t m = 0; m < scene_.microphones.size(); ++m) {
        const stage::SceneMicrophone& microphone = scene_.microphones[m];
        QStringList wedges;
        for (const stage::MicrophonePlacement& placement : microphone.toWedges)
            wedges << tr("Monitor %1 m bei %2°")
                          .arg(german.toString(placement.distanceM, 'f', 1))
                          .arg(std::lround(placement.angleDeg));
        parts << tr("%1: %2, %3")
                     .arg(roles.value(int(m)), pattern(microphone.pattern), wedges.join(tr(", ")));
    }
    parts.last() += tr("; Raum %1 s").arg(german.toString(scene_.rt60Seconds, 'f', 1));
    return parts.join(tr("; "));
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
    return (cuts == 1 ? tr("%1 vor Rückkopplung, %2 Schnitt, zusammen %3")
                      : tr("%1 vor Rückkopplung, %2 Schnitte, zusammen %3"))
        .arg(SignedDb(GainWonDb()))
        .arg(cuts)
        .arg(SignedDb(totalDb));
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
    response.afterDb = analysis_->PeakOpenLoopGainDb(edgesHz);
    analysis_->SetLevels({});
    response.beforeDb = analysis_->PeakOpenLoopGainDb(edgesHz);
    analysis_->SetLevels(played);
    return response;
}
