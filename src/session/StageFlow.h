#pragma once
// The stage turn's side of the game flow ("Bühne"): builds the next turn on
// a worker thread, so START hands the window back at once, starts and stops
// its sound, hands it the faders and the volume, has the loop analysis judge
// a move of a band fader and raise the gain on that thread too, and words
// the status lines. GameFlow fires the machine's events and keeps the turn's
// record from what this says. Thread: GUI only; the worker touches nothing
// but its own job and the turn's analysis.

#include "model/GameState.h"
#include "model/StageResponse.h"
#include "model/TurnMachine.h"
#include "results/StatusLines.h"
#include "session/StageTurn.h"

#include <QObject>
#include <QString>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class StagePlayer;
class StageTurn;
struct BedLoop;

class StageFlow final : public QObject {
    Q_OBJECT
  public:
    StageFlow(const GameState& state, StagePlayer& player, QObject* parent = nullptr);
    // Cancels a build and waits for the worker, which stops between two rooms.
    ~StageFlow() override;

    // The player's decoded music, null while there is none: with "Musik" as
    // the bed it bleeds into the stage instead of pink noise.
    void SetMusicBed(std::function<std::shared_ptr<const BedLoop>()> musicBed)
    {
        musicBed_ = std::move(musicBed);
    }

    // Builds a turn from `seed` for the bands in play now, away from the GUI
    // thread; `built` follows unless CancelBuild or Stop comes first. The
    // last turn is gone from now on.
    void Build(std::uint32_t seed);
    // What the worker still hands back is dropped.
    void CancelBuild();
    // A build has yet to be handed back, wanted or dropped.
    bool WorkerBusy() const { return buildsUnanswered_ > 0; }

    // The faders as they stand and the volume reach the built turn's loop.
    void Begin();
    // Cancels a build; the sound stops, the turn stays for its figures.
    void Stop();
    // The same when the next howl lies out of play, which the lines say.
    void StopOutOfPlay();
    void ApplyVolume();

    // A move of `band` at `movedAtMs`: the sound takes it at once. While a
    // howl grows the loop analysis judges it (about 0.1 s, on its own
    // thread). Moves made meanwhile are judged together, as one, the last
    // band moved owning it. When the howl's pole dies, ListenForStop hears
    // whether the howl does too.
    void MoveFader(int band, std::uint32_t movedAtMs);
    // howlStopped follows once the howl's level has fallen by StopFallDb
    // within a second of the move that made its pole die; after that second
    // it rings on. A howl too quiet to stand out of the bleed is judged by
    // the model alone. Thread: GUI, while the stage sounds (the status timer).
    void ListenForStop();
    bool StopPending() const { return pendingStop_.has_value(); }
    // nextHowl follows: whether a pole grows now.
    void LookForHowl();
    // G up by 0.5-1 dB, then nextHowl; nothing while the last rise or look is
    // still being worked out.
    void RiseGain();
    // An answer of the loop analysis is still awaited.
    bool Judging() const { return unanswered_ > 0; }
    // The last turn's loop gain and EQ; waits for the worker.
    StageResponse Response();

    // What a move did to the growing howl.
    struct Verdict {
        bool found = false;          // stopped by the howl's own band; else "daneben"
        int stopper = -1;            // the band whose move stopped it
        std::uint32_t movedAtMs = 0; // when that move was made
        // Stopped before it was loud enough to hear well: no find time.
        bool beforeFindLevel = false;
        std::vector<int> triedBands; // pulled below 0 during the howl, not the stopper
    };
    // Whether the growing howl just became loud enough to start its find time.
    bool HowlReachedFindLevel();

    // The last turn, sounding or over; null before the first and while building.
    StageTurn* Turn() const { return turn_.get(); }
    StatusLines Lines(TurnPhase phase) const;

  signals:
    // The turn asked for plays, or `errorText` says why not.
    void built(const QString& errorText);
    // A move stopped the growing howl.
    void howlStopped(const StageFlow::Verdict& verdict);
    // After LookForHowl or RiseGain: a StageTurn::NextHowl.
    void nextHowl(int next);

  private:
    struct Job;
    void Finished(const std::shared_ptr<Job>& job);
    void BuildTurn(Job& job, std::uint32_t seed, int lowCutBand, int highCutBand);
    double Volume() const;
    // Runs `work` on the worker, then `take` with its answer here,
    // unless the turn has ended or another has begun meanwhile.
    template <typename Answer>
    void Ask(std::function<Answer()> work, std::function<void(const Answer&)> take);
    struct WaitingMove {
        int band;
        std::uint32_t movedAtMs;
        float levelDbfs;     // the howl's own level when it was made
        std::uint64_t frame; // the loop's frames made then
        bool quiet;          // before the howl reached the find level
    };
    void JudgeWaitingMove();
    void TakeJudgement(const StageTurn::Judgement& judgement, const WaitingMove& move);
    void EndHowl();
    void TakeStrongestPole(const std::optional<stage::LoopPole>& pole, double gainDb,
                           std::uint64_t levelsAsked);
    void SendLevels();

    const GameState& state_;
    StagePlayer& player_;
    std::function<std::shared_ptr<const BedLoop>()> musicBed_;
    std::unique_ptr<StageTurn> turn_;
    bool playing_ = false;
    bool endedOutOfPlay_ = false;
    // What the last judged move did to the ringing howl, for the status line.
    StageTurn::Verdict lastVerdict_ = StageTurn::Verdict::None;
    int lastStopper_ = -1;
    std::shared_ptr<Job> wanted_; // the build whose result is taken
    int buildsUnanswered_ = 0;

    // Builds turns and asks the loop analysis, in the order asked.
    QThread workerThread_;
    std::unique_ptr<QObject> workerContext_;
    int unanswered_ = 0;
    std::uint64_t turnNumber_ = 0;    // answers for an older turn are dropped
    std::uint64_t levelsChanges_ = 0; // fader changes the analysis was sent
    bool judgingMove_ = false;
    bool lookingForHowl_ = false;
    std::optional<WaitingMove> waitingMove_;
    // The move after which the howl's pole died, until the sound says.
    struct PendingStop {
        StageTurn::Verdict verdict;
        WaitingMove move;
        StageTurn::Judgement judgement;
    };
    std::optional<PendingStop> pendingStop_;
};

Q_DECLARE_METATYPE(StageFlow::Verdict)
