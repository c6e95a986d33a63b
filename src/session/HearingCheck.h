#pragma once
// "Hörtest": laptop speakers and earbuds do not reproduce the lowest bands,
// and a turn in a band the player cannot hear is a guess. Each of the 28
// bands rings as the game's sine at its nominal centre, from -60 dBFS up in
// 5 dB steps to the game's own tone level, until the player says "hörbar";
// a band whose top level passes unanswered is not heard. The result names
// the bands heard and the cut range of the "Einstellung" menus that keeps
// the others out of play. Pink noise at the tone's level is the reference
// the loudness is set by. Mono, on the game's sound card and device volume.
// No widgets. Thread: GUI only, all of it.

#include "audio/ToneSynthesis.h"
#include "model/BandWeights.h"
#include "platform/WaveOut.h"

#include <QList>
#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

struct BedLoop;
struct GameState;

// A cut range as the menus set it (FaderSlice::LowCutBand, HighCutBand).
struct CutRange {
    int lowCutBand = 0;
    int highCutBand = 0;
    bool operator==(const CutRange&) const = default;
};

// An item of the menu "Lowcut" or "Highcut": the band it sets and its
// caption, untranslated (QCoreApplication::translate("MainMenu", text) is
// what the menu shows).
struct CutMenuItem {
    int band;
    const char* text;
};
extern const std::array<CutMenuItem, 12> LowCutMenuItems;
extern const std::array<CutMenuItem, 5> HighCutMenuItems;

// The pair of menu items that leaves every band not `heard` out of play
// (FaderKind) with as many bands in play as the pairs allow; nullopt when no
// pair leaves them all out.
std::optional<CutRange> OfferedCutRange(const BandMask& heard);

// The product name of the device `soundCardId` plays on, as a result is
// stored under; empty when the device does not say. Thread: GUI.
QString SoundCardName(std::int32_t soundCardId, WaveOut& wave);

struct HearingResult {
    QString deviceName; // the sound card the check ran on
    BandMask heard{};   // true: answered "hörbar" before the top level passed

    QList<int> HeardBands() const;
    QList<int> MissingBands() const;
    std::optional<CutRange> OfferedCut() const { return OfferedCutRange(heard); }

    // "Testkarte|5,6,7": the device, then the bands heard in ascending order.
    QString ToSetting() const;
    // Reads ToSetting's text back. Refuses (nullopt) a text without '|', an
    // empty device name, and any band entry that is not a decimal band index
    // 0..27 or is given twice; no bands after the '|' is a valid result.
    static std::optional<HearingResult> FromSetting(const QString& text);

    bool operator==(const HearingResult&) const = default;
};

class HearingCheck final : public QObject {
    Q_OBJECT

  public:
    static constexpr int DefaultStepMs = 1500;
    // 0 dBFS is a sine of peak 32768; the game's tone (peak 16384) is -6.02.
    static constexpr double FullScale = 32768.0;

    // The levels of one band in dBFS, bottom first: -60, -55, ... -10, then
    // the game's own tone level.
    static const std::vector<double>& Levels();
    // The peak sample value of step `step` (0 .. Levels().size() - 1).
    static double Amplitude(int step);

    enum class Phase {
        Idle,      // before Start
        Listening, // a band's tone rises
        Reference, // the pink noise plays; the band waits
        Finished,  // every band checked: Result() is complete
        Stopped,   // broken off by Stop
        Failed,    // a device call failed; reported through deviceFailed
    };

    // Plays on `wave`, device state.SoundCardId at state.MasterVolume, as a
    // turn would. `state` and `wave` must outlive this object. Each step of
    // a band lasts `stepMs`.
    HearingCheck(const GameState& state, WaveOut& wave, int stepMs = DefaultStepMs,
                 QObject* parent = nullptr);
    // Silences the device if anything still plays. Thread: GUI.
    ~HearingCheck() override;

    // From the first band, nothing heard yet. Thread: GUI.
    void Start();
    // One step time has passed: the next level, or past the top the band is
    // not heard and the next one starts. The owner's timer calls it every
    // StepMs() from each levelChanged with step 0. Thread: GUI.
    void Step();
    // "hörbar": the band is heard, the next one starts at the bottom. Thread: GUI.
    void Heard();
    // The pink noise on (the band's tone stops) or off (the band starts again
    // at the bottom, as the loudness may have changed). Thread: GUI.
    void SetReferencePlaying(bool on);
    // Breaks the check off and silences the device. Thread: GUI.
    void Stop();

    Phase CurrentPhase() const { return phase_; }
    int Band() const { return band_; }
    int StepIndex() const { return step_; }
    double LevelDbfs() const { return Levels()[static_cast<std::size_t>(step_)]; }
    int StepMs() const { return stepMs_; }
    // The samples of one step: the tone's level follows the samples played,
    // so each level sounds exactly this long whenever the blocks are made.
    int StepSamples() const { return stepSamples_; }
    const HearingResult& Result() const { return result_; }

  signals:
    // A band started (step 0) or its level rose.
    void levelChanged(int band, int step);
    // The check ran through every band.
    void finished();
    // A device call failed: the check has stopped and the device is silent.
    void deviceFailed(const QString& operation, const QString& text);

  protected:
    bool event(QEvent* event) override;

  private:
    enum class Sound { None, Tone, Noise };
    // Thread: GUI, all of them; the device's blocks come back as events
    // posted to this object.
    void StartBand();
    void NextBand();
    // Opens the device and queues two blocks of `sound`; false when a call
    // failed (Fail then reports it).
    bool PlaySound(Sound sound);
    // Resets and closes the device; the blocks it hands back are unprepared
    // at once, not refilled.
    void StopSound();
    // The next block of the tone or the noise; allocates nothing.
    void FillBlock(std::int16_t* block);
    // The tone's amplitude at its sample `sample`.
    double ToneGain(std::int64_t sample) const;
    // Keeps the first failed call of a sequence; true when `code` is no error.
    bool Check(WaveResult code, const char* operation);
    // Stops, then reports the first failed call.
    void Fail();
    // A block came back: refilled and requeued while a sound plays.
    void OnBufferDone(WaveHeader* header);

    const GameState& state_;
    WaveOut& wave_;
    const int stepMs_;
    const int stepSamples_;
    Phase phase_ = Phase::Idle;
    int band_ = 0;
    int step_ = 0;
    HearingResult result_;

    Sound sound_ = Sound::None; // what the queued blocks hold
    WaveHandle handle_ = 0;
    WaveHeader header1_;
    WaveHeader header2_;
    std::unique_ptr<std::int16_t[]> block1_;
    std::unique_ptr<std::int16_t[]> block2_;
    ToneSynthesis synthesis_;
    std::int64_t toneSample_ = 0; // samples of the band's tone made so far
    std::shared_ptr<const BedLoop> noise_;
    std::size_t noiseSample_ = 0;

    const char* failedOperation_ = nullptr;
    WaveResult failedCode_ = WaveNoError;
};
