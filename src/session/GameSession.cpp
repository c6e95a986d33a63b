#include "session/GameSession.h"

#include "journal/JournalService.h"
#include "journal/TurnRecorder.h"
#include "results/ResultsCounters.h"
#include "session/GameFlow.h"
#include "session/LearningPathKeeper.h"
#include "session/PracticeSetRunner.h"
#include "session/StagePlayer.h"

GameSession::GameSession(const GameServices& services)
    : services_(services), faders_(state_), tone_(state_, services.waveOut, services.dialogs),
      resultsFile_(state_)
{
    counters_ = std::make_unique<ResultsCounters>(
        state_, services_.clock, resultsFile_,
        [this](bool available) { emit saveAsAvailable(available); });
    if (!services_.stagePlayer) {
        deviceStagePlayer_ = std::make_unique<DeviceStagePlayer>(services_.waveOut, state_);
        services_.stagePlayer = deviceStagePlayer_.get();
    }
    game_ = std::make_unique<GameFlow>(state_, faders_, tone_, *counters_, services_.dialogs,
                                       services_.random, services_.clock, *services_.stagePlayer);
    journal_ = std::make_unique<JournalService>(services_.dialogs);
    recorder_ = std::make_unique<TurnRecorder>(state_, *journal_);

    GameFlow* game = game_.get();
    TurnRecorder* recorder = recorder_.get();
    connect(game, &GameFlow::turnStarted, recorder, &TurnRecorder::TurnStarted);
    connect(game, &GameFlow::stageHowlStarted, recorder, &TurnRecorder::StageHowlStarted);
    connect(game, &GameFlow::wrongAttemptCounted, recorder, &TurnRecorder::WrongAttemptCounted);
    connect(game, &GameFlow::turnFound, recorder, &TurnRecorder::TurnFound);
    connect(game, &GameFlow::turnAbandoned, recorder, &TurnRecorder::TurnAbandoned);
    connect(game, &GameFlow::stageHowlMissed, recorder, &TurnRecorder::StageHowlMissed);
    // After the recorder: a set's last turn is queued before the set's row.
    sets_ = std::make_unique<PracticeSetRunner>(state_, *game_, *journal_, *recorder_,
                                                services_.dialogs);
    // "Schwache Bänder üben": weights from the journal while the option is on;
    // off, or with the journal switched off, the draw is the game's own.
    game_->SetBandWeightsSource([this]() -> std::optional<BandWeights> {
        if (state_.Training.Schwerpunkt == 0)
            return std::nullopt;
        return journal_->DrillWeights();
    });
    // "Lernpfad": the draw keeps to the path, and each finished tone turn
    // moves it on.
    path_ = std::make_unique<LearningPathKeeper>(state_.Training.Path, state_, *journal_);
    game_->SetDrawBandsSource([this] { return path_->DrawBands(); });
    connect(game, &GameFlow::toneTurnEnded, path_.get(), &LearningPathKeeper::ToneTurnEnded);
    connect(path_.get(), &LearningPathKeeper::moved, this, &GameSession::learningPathMoved);
}

GameSession::~GameSession() = default;
