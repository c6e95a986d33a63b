#pragma once
// Everything the main window owns, as plain data. The subsystems work on
// one instance of it; the window only turns events into their operations.

#include "model/BandSlot.h"
#include "model/TrainingSettings.h"

#include <QString>
#include <cstdint>

// What the main window is doing: selects the game behaviour and the picture.
enum GameModeValue : std::int32_t {
    ModeIdle = 0,
    ModeCurrentAttempts = 1,
    ModeCurrentTimes = 2,
    ModeGeneratorPlaying = 3,
    ModeGeneratorSilent = 4,
    ModeTotalAttempts = 5,
    ModeTotalTimes = 6,
    ModeProgressAttempts = 7,
    ModeProgressTimes = 8,
    ModeTurnOver = 20,
    ModeSearching = 21,
};

bool IsChartMode(GameModeValue mode);
bool IsFaderMode(GameModeValue mode);

// Defaults of the settings file, also the values of a fresh form.
namespace SettingDefaults {
constexpr std::int32_t LowCut = 11;
constexpr std::int32_t HighCut = 22;
constexpr std::int32_t Volume = -10;
constexpr std::int32_t SoundCard = 0;
constexpr std::int32_t ScoringMode = 1;
constexpr std::int32_t FeedbackTime = 0;
constexpr std::int32_t RandomStart = 0;
constexpr std::int32_t AutoRestart = 0;
} // namespace SettingDefaults

// The state is cut into slices, each with one writer. A class that writes a
// slice keeps a reference to that slice and a const one to the rest; readers
// take `const GameState&`.

// The fader bank. Writer: FaderModel (levels, locks, selection, cut range,
// volume); the settings reader fills cut range and volume once at start-up,
// already checked. The counters inside BandTable (Finds, Attempts, FindTime)
// are written by ResultsCounters.
struct FaderSlice {
    BandArray BandTable{};
    std::int32_t SelectedFader = NoFader;
    std::int32_t LowCutBand = SettingDefaults::LowCut;
    std::int32_t HighCutBand = SettingDefaults::HighCut;
    std::int32_t MasterVolume = SettingDefaults::Volume;
};

// The mode and the turn's tone. Writer: GameFlow.
struct TurnSlice {
    GameModeValue GameMode = ModeIdle;
    std::int32_t RingingBand = NoFader;
    double ToneFrequency = 0.0; // Hz
    // "Hinweise" (only ever set with the option on): the bands tried wrongly
    // in the running turn, whose knobs show it until the turn ends, and the
    // band whose label gives the answer after a find or a give-up until the
    // next START.
    std::array<std::uint8_t, BandCount> WrongTryHint{};
    std::int32_t AnswerHintBand = NoFader;
    // The bands tried wrongly in the running search, hints or not: a locked
    // knob is red for other reasons too, and colour alone is lost on some
    // players.
    std::array<std::uint8_t, BandCount> WrongTry{};
};

// A control surface's bank, the band faders it moves now. Writer: MidiBridge.
struct SurfaceSlice {
    std::int32_t SurfaceBankFirst = NoFader;
    std::int32_t SurfaceBankCount = 0; // 0: no bank to show
};

// The game settings of the menus. Writers: the settings reader once at
// start-up, afterwards only the menu's commands (MainMenu, SoundCardDialog).
struct SettingsSlice {
    std::int32_t ScoringMode = SettingDefaults::ScoringMode;
    std::int32_t RandomStartSeconds = SettingDefaults::RandomStart;
    std::int32_t AutoRestartSeconds = SettingDefaults::AutoRestart;
    std::int32_t FeedbackTimeSetting = SettingDefaults::FeedbackTime;
    std::int32_t SoundCardId = SettingDefaults::SoundCard;
};

// The turn and game counters. Writer: ResultsCounters.
struct CounterSlice {
    std::int32_t TurnAttempts = 0;
    std::uint32_t TurnStartTime = 0; // ms clock
    std::uint8_t TurnClockRunning = 0;
    std::uint32_t LastFindTime = 0; // ms
    std::int32_t GameAttempts = 0;
    std::int32_t GameFinds = 0;
    std::uint32_t GameTime = 0; // ms
};

// The results loaded from or saved to a results data file. Writer:
// ResultsFile; the settings reader fills ResultsFileName once at start-up.
struct StoredResultsSlice {
    BandArray StoredBandTable{};
    QString ResultsFileName; // empty when none
};

// The options of the "Training" menu (model/TrainingSettings.h). Writers: the
// settings reader once at start-up, afterwards only the "Training" menu.
struct TrainingSlice {
    TrainingSettings Training;
};

// Whether a tone plays (SoundIdle) is not here: the tone output owns it.
struct GameState : FaderSlice,
                   TurnSlice,
                   SettingsSlice,
                   CounterSlice,
                   StoredResultsSlice,
                   TrainingSlice,
                   SurfaceSlice {};

// Where fader `fader` (a band or VolumeFader) stands now.
inline int FaderLevel(const GameState& state, int fader)
{
    return fader == VolumeFader ? state.MasterVolume : state.BandTable[fader].Level;
}
