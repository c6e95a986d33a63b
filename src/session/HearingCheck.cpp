#include "session/HearingCheck.h"

#include "audio/BedLoop.h"
#include "audio/PinkNoise.h"
#include "audio/ToneOutput.h"
#include "audio/TrainingSound.h"
#include "model/FaderModel.h"
#include "model/GameState.h"

#include <QCoreApplication>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int FirstLevelDb = -60;
constexpr int StepDb = 5;
// A level rises over 10 ms instead of jumping: a jump in the middle of a
// wave clicks, and a click is heard on speakers that lose the tone itself.
constexpr int RampSamples = SampleRate / 100;
// The reference is always the same noise.
constexpr std::uint32_t ReferenceSeed = 1;

const std::vector<double>& Amplitudes()
{
    static const std::vector<double> amplitudes = [] {
        std::vector<double> list;
        const std::vector<double>& levels = HearingCheck::Levels();
        for (std::size_t i = 0; i + 1 < levels.size(); ++i)
            list.push_back(HearingCheck::FullScale * std::pow(10.0, levels[i] / 20));
        // The top is the game's own sample level, not a rounding of it.
        list.push_back(ToneAmplitude);
        return list;
    }();
    return amplitudes;
}

} // namespace

const std::array<CutMenuItem, 12> LowCutMenuItems = {{
    {1, "31.5 Hz"},
    {2, "40 Hz"},
    {3, "50 Hz"},
    {4, "62.5 Hz"},
    {5, "80 Hz"},
    {6, "100 Hz"},
    {7, "125 Hz"},
    {8, "160 Hz"},
    {9, "200 Hz"},
    {10, "250 Hz"},
    {11, "315 Hz"},
    {12, "400 Hz"},
}};

const std::array<CutMenuItem, 5> HighCutMenuItems = {{
    {22, "6.25 kHz"},
    {23, "8 kHz"},
    {24, "10 kHz"},
    {25, "12.5 kHz"},
    {26, "16 kHz"},
}};

std::optional<CutRange> OfferedCutRange(const BandMask& heard)
{
    FaderSlice faders;
    std::optional<CutRange> best;
    int bestInPlay = -1;
    for (const CutMenuItem& low : LowCutMenuItems) {
        for (const CutMenuItem& high : HighCutMenuItems) {
            faders.LowCutBand = low.band;
            faders.HighCutBand = high.band;
            int inPlay = 0;
            bool missingInPlay = false;
            for (int band = 0; band < BandCount; ++band) {
                if (FaderKind(faders, band) != FaderInPlay)
                    continue;
                ++inPlay;
                missingInPlay = missingInPlay || !heard[band];
            }
            if (!missingInPlay && inPlay > bestInPlay) {
                best = CutRange{low.band, high.band};
                bestInPlay = inPlay;
            }
        }
    }
    return best;
}

QString SoundCardName(std::int32_t soundCardId, WaveOut& wave)
{
    const std::uint32_t count = wave.DeviceCount();
    if (count == 0)
        return {};
    const auto device = static_cast<std::uint32_t>(OutputDeviceFor(soundCardId, count));
    QString name;
    if (wave.ProductName(device, name) != WaveNoError)
        return {};
    return name;
}

QList<int> HearingResult::HeardBands() const
{
    QList<int> bands;
    for (int band = 0; band < BandCount; ++band)
        if (heard[band])
            bands << band;
    return bands;
}

QList<int> HearingResult::MissingBands() const
{
    QList<int> bands;
    for (int band = 0; band < BandCount; ++band)
        if (!heard[band])
            bands << band;
    return bands;
}

QString HearingResult::ToSetting() const
{
    QStringList bands;
    for (int band : HeardBands())
        bands << QString::number(band);
    return deviceName + QLatin1Char('|') + bands.join(QLatin1Char(','));
}

std::optional<HearingResult> HearingResult::FromSetting(const QString& text)
{
    // The device name may hold a '|' of its own; the band list cannot.
    const qsizetype bar = text.lastIndexOf(QLatin1Char('|'));
    if (bar <= 0)
        return std::nullopt;
    HearingResult result;
    result.deviceName = text.left(bar);
    const QString list = text.mid(bar + 1);
    if (list.isEmpty())
        return result;
    for (const QString& item : list.split(QLatin1Char(','))) {
        if (item.isEmpty() || item.size() > 2)
            return std::nullopt;
        int band = 0;
        for (const QChar c : item) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return std::nullopt;
            band = band * 10 + (c.unicode() - u'0');
        }
        if (band >= BandCount || result.heard[band])
            return std::nullopt;
        result.heard[band] = true;
    }
    return result;
}

const std::vector<double>& HearingCheck::Levels()
{
    static const std::vector<double> levels = [] {
        const double top = 20 * std::log10(ToneAmplitude / FullScale);
        std::vector<double> list;
        for (int level = FirstLevelDb; level < top; level += StepDb)
            list.push_back(level);
        list.push_back(top);
        return list;
    }();
    return levels;
}

double HearingCheck::Amplitude(int step)
{
    return Amplitudes()[static_cast<std::size_t>(step)];
}

HearingCheck::HearingCheck(const GameState& state, WaveOut& wave, int stepMs, QObject* parent)
    : QObject(parent), state_(state), wave_(wave), stepMs_(std::max(1, stepMs)),
      stepSamples_(static_cast<int>(std::int64_t{stepMs_} * SampleRate / 1000))
{
}

HearingCheck::~HearingCheck()
{
    // No reports and no event dispatch while going away; the device must
    // only let go of the blocks before they are freed.
    if (sound_ != Sound::None) {
        sound_ = Sound::None;
        wave_.Reset(handle_);
        wave_.Close(handle_);
    }
}

void HearingCheck::Start()
{
    StopSound();
    failedOperation_ = nullptr;
    result_ = HearingResult{};
    result_.deviceName = SoundCardName(state_.SoundCardId, wave_);
    band_ = 0;
    phase_ = Phase::Listening;
    StartBand();
}

void HearingCheck::Step()
{
    if (phase_ != Phase::Listening)
        return;
    if (step_ + 1 < static_cast<int>(Levels().size())) {
        ++step_;
        emit levelChanged(band_, step_);
        return;
    }
    NextBand();
}

void HearingCheck::Heard()
{
    if (phase_ != Phase::Listening)
        return;
    result_.heard[band_] = true;
    NextBand();
}

void HearingCheck::SetReferencePlaying(bool on)
{
    if (on && phase_ == Phase::Listening) {
        StopSound();
        phase_ = Phase::Reference;
        // Made once, at the first use: some tens of milliseconds of work.
        if (!noise_)
            noise_ = MakeBedLoop(RenderPinkNoise(ReferenceSeed, PinkNoiseLoopSamples));
        noiseSample_ = 0;
        if (failedOperation_ || !PlaySound(Sound::Noise))
            Fail();
    } else if (!on && phase_ == Phase::Reference) {
        phase_ = Phase::Listening;
        StartBand();
    }
}

void HearingCheck::Stop()
{
    StopSound();
    // The player is leaving; a device that fails to let go is not worth a box.
    failedOperation_ = nullptr;
    if (phase_ == Phase::Listening || phase_ == Phase::Reference)
        phase_ = Phase::Stopped;
}

void HearingCheck::StartBand()
{
    StopSound();
    step_ = 0;
    toneSample_ = 0;
    synthesis_.StartTone(BandDefinitions[band_].frequencyHz);
    if (failedOperation_ || !PlaySound(Sound::Tone)) {
        Fail();
        return;
    }
    emit levelChanged(band_, step_);
}

void HearingCheck::NextBand()
{
    if (band_ + 1 < BandCount) {
        ++band_;
        StartBand();
        return;
    }
    StopSound();
    phase_ = Phase::Finished;
    emit finished();
    // The result stands; a device that failed to stop is still reported.
    if (failedOperation_)
        emit deviceFailed(tr(failedOperation_), wave_.ErrorText(failedCode_).left(127));
}

bool HearingCheck::Check(WaveResult code, const char* operation)
{
    if (code == WaveNoError)
        return true;
    if (!failedOperation_) {
        failedOperation_ = operation;
        failedCode_ = code;
    }
    return false;
}

void HearingCheck::Fail()
{
    phase_ = Phase::Failed;
    StopSound();
    emit deviceFailed(tr(failedOperation_), wave_.ErrorText(failedCode_).left(127));
}

bool HearingCheck::PlaySound(Sound sound)
{
    const WaveFormat format{WaveFormatPcm, 1, SampleRate, SampleRate * 2, 2, 16};
    const std::int32_t device = OutputDeviceFor(state_.SoundCardId, wave_.DeviceCount());
    if (!Check(wave_.Open(handle_, device, format, this), QT_TR_NOOP("Open")))
        return false;
    sound_ = sound;
    // The volume a turn's tone gets from the volume fader: the check is to
    // hear what the game will play.
    const std::uint32_t volume = DeviceVolume(state_.MasterVolume);
    if (!block1_)
        block1_ = std::make_unique<std::int16_t[]>(BlockSamples);
    if (!block2_)
        block2_ = std::make_unique<std::int16_t[]>(BlockSamples);
    FillBlock(block1_.get());
    FillBlock(block2_.get());
    auto prepare = [this](WaveHeader& header, std::int16_t* block) {
        if (header.flags != 0)
            wave_.Unprepare(handle_, header);
        header.flags = 0;
        header.bufferLength = BlockBytes;
        header.data = reinterpret_cast<char*>(block);
        return wave_.Prepare(handle_, header);
    };
    // Both blocks go in while paused, so playback starts with a full queue.
    return Check(wave_.SetVolume(handle_, volume | (volume << 16)), QT_TR_NOOP("Set Vol")) &&
           Check(prepare(header1_, block1_.get()), QT_TR_NOOP("Prepare 1")) &&
           Check(prepare(header2_, block2_.get()), QT_TR_NOOP("Prepare 2")) &&
           Check(wave_.Pause(handle_), QT_TR_NOOP("Pause")) &&
           Check(wave_.Write(handle_, header1_), QT_TR_NOOP("Write 1")) &&
           Check(wave_.Write(handle_, header2_), QT_TR_NOOP("Write 2")) &&
           Check(wave_.Restart(handle_), QT_TR_NOOP("Restart"));
}

void HearingCheck::StopSound()
{
    if (sound_ == Sound::None)
        return;
    sound_ = Sound::None;
    Check(wave_.Reset(handle_), QT_TR_NOOP("Reset"));
    // The blocks the reset handed back are unprepared now, not refilled,
    // before the next sound reuses them.
    QCoreApplication::sendPostedEvents(this, WaveDoneEvent::eventType());
    Check(wave_.Close(handle_), QT_TR_NOOP("Close"));
    QCoreApplication::sendPostedEvents(this, WaveDoneEvent::eventType());
}

double HearingCheck::ToneGain(std::int64_t sample) const
{
    const auto top = static_cast<std::int64_t>(Levels().size()) - 1;
    const auto step = std::min(sample / stepSamples_, top);
    const double amplitude = Amplitudes()[static_cast<std::size_t>(step)];
    const std::int64_t into = sample - step * stepSamples_;
    if (step == 0 || into >= RampSamples)
        return amplitude;
    const double before = Amplitudes()[static_cast<std::size_t>(step - 1)];
    return before + (amplitude - before) * static_cast<double>(into + 1) / RampSamples;
}

void HearingCheck::FillBlock(std::int16_t* block)
{
    if (sound_ == Sound::Tone) {
        // The game's own phase walk; only the level is this check's.
        synthesis_.RenderTone(block, [this](double sine) {
            return static_cast<std::int16_t>(std::nearbyint(ToneGain(toneSample_++) * sine));
        });
        return;
    }
    if (!noise_) {
        std::fill(block, block + BlockSamples, std::int16_t{0});
        return;
    }
    // From the bed's level (the tone's RMS less 20 dB) up to the tone's RMS.
    // Pink noise peaks some 14 dB above its RMS, the sine 3 dB: about one
    // sample in 300 would pass 16 bits. Those are held at full scale, an
    // error some 30 dB below the noise that only adds noise to it.
    const double toToneLevel = noise_->gain * (ToneAmplitude / std::sqrt(2.0)) / BedRms;
    const std::size_t length = noise_->samples.size();
    for (int i = 0; i < BlockSamples; ++i, ++noiseSample_) {
        double sample = toToneLevel * noise_->samples[noiseSample_ % length];
        if (noiseSample_ < static_cast<std::size_t>(BedFadeInSamples)) {
            const double x = (static_cast<double>(noiseSample_) + 0.5) / BedFadeInSamples;
            sample *= 0.5 - 0.5 * std::cos(std::numbers::pi * x);
        }
        block[i] = static_cast<std::int16_t>(std::clamp(std::nearbyint(sample), -32767.0, 32767.0));
    }
}

void HearingCheck::OnBufferDone(WaveHeader* header)
{
    // Only our own headers point at our blocks; anything else is stale.
    if (header != &header1_ && header != &header2_)
        return;
    wave_.Unprepare(handle_, *header);
    header->flags = 0;
    if (sound_ == Sound::None)
        return;
    FillBlock(reinterpret_cast<std::int16_t*>(header->data));
    wave_.Prepare(handle_, *header);
    wave_.Write(handle_, *header);
}

bool HearingCheck::event(QEvent* event)
{
    if (event->type() == WaveDoneEvent::eventType()) {
        OnBufferDone(static_cast<WaveDoneEvent*>(event)->header());
        return true;
    }
    return QObject::event(event);
}
