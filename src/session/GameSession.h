#pragma once
// The game without its window: the state and the subsystems that keep it
// (fader model, tone output, results, game flow, training journal), wired
// together. The window is handed one and only lays it out and connects it;
// a test builds one with fakes and watches it. Thread: GUI only.

#include "audio/ToneOutput.h"
#include "model/FaderModel.h"
#include "model/GameState.h"
#include "results/ResultsFile.h"

#include <QObject>
#include <memory>

class Dialogs;
class GameFlow;
class JournalService;
class LearningPathKeeper;
class MillisecondClock;
class PracticeSetRunner;
class RandomGenerator;
class ResultsCounters;
class StagePlayer;
class TurnRecorder;
class WaveOut;

// The system services the game runs on; tests pass fakes.
struct GameServices {
    Dialogs& dialogs;
    MillisecondClock& clock;
    RandomGenerator& random;
    WaveOut& waveOut;
    // Where a stage turn's sound goes; null: the sound card.
    StagePlayer* stagePlayer = nullptr;
};

class GameSession final : public QObject {
    Q_OBJECT
  public:
    explicit GameSession(const GameServices& services);
    ~GameSession() override;

    const GameServices& Services() const { return services_; }
    const GameState& State() const { return state_; }
    // For the slices' other writers, which the window owns: the settings
    // reader, the menus and the results commands (see GameState.h).
    GameState& WritableState() { return state_; }
    FaderModel& Faders() { return faders_; }
    ToneOutput& Tone() { return tone_; }
    ResultsFile& Results() { return resultsFile_; }
    GameFlow& Game() { return *game_; }
    JournalService& Journal() { return *journal_; }
    PracticeSetRunner& Sets() { return *sets_; }

  signals:
    // Whether the current results may be saved under a name.
    void saveAsAvailable(bool available);
    // The learning path gained or lost a band.
    void learningPathMoved();

  private:
    GameServices services_;
    GameState state_;
    FaderModel faders_;
    ToneOutput tone_;
    ResultsFile resultsFile_;
    std::unique_ptr<StagePlayer> deviceStagePlayer_;
    std::unique_ptr<ResultsCounters> counters_;
    std::unique_ptr<GameFlow> game_;
    // Opens nothing until the first turn ends or a view asks.
    std::unique_ptr<JournalService> journal_;
    std::unique_ptr<TurnRecorder> recorder_;
    std::unique_ptr<PracticeSetRunner> sets_;
    std::unique_ptr<LearningPathKeeper> path_;
};
