#pragma once
// Everything the main form owns, as plain data. The subsystems work on one
// instance of it; the window only turns events into their operations.

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

struct GameState {
    // Band table and fader model
    BandArray BandTable{};
    BandArray StoredBandTable{};
    std::int32_t SelectedFader = NoFader;
    std::int32_t LowCutBand = SettingDefaults::LowCut;
    std::int32_t HighCutBand = SettingDefaults::HighCut;
    std::int32_t MasterVolume = SettingDefaults::Volume;

    // Mode and the turn's tone
    GameModeValue GameMode = ModeIdle;
    std::int32_t RingingBand = NoFader;
    double ToneFrequency = 0.0; // Hz

    // Game settings
    std::int32_t ScoringMode = SettingDefaults::ScoringMode;
    std::int32_t RandomStartSeconds = SettingDefaults::RandomStart;
    std::int32_t AutoRestartSeconds = SettingDefaults::AutoRestart;
    std::int32_t FeedbackTimeSetting = SettingDefaults::FeedbackTime;

    // Audio
    std::int32_t SoundCardId = SettingDefaults::SoundCard;
    std::uint8_t SoundIdle = 0; // 1 when no tone output runs

    // Turn and game counters
    std::int32_t TurnAttempts = 0;
    std::uint32_t TurnStartTime = 0; // ms clock
    std::uint8_t TurnClockRunning = 0;
    std::uint32_t LastFindTime = 0; // ms
    std::int32_t GameAttempts = 0;
    std::int32_t GameFinds = 0;
    std::uint32_t GameTime = 0; // ms

    // Results data file in use; empty when none
    QString ResultsFileName;

    // Options of the "Training" menu
    TrainingSettings Training;
};
