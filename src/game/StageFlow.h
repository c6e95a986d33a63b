#pragma once
// The stage turn's side of the game flow ("Bühne"): builds the next turn on
// a worker thread, so START hands the window back at once, starts and stops
// its sound, hands it the faders and the volume, judges a move of a band
// fader and words the status lines. GameFlow fires the machine's events and
// keeps the turn's record from what this returns. Thread: GUI only; the
// worker touches nothing but its own job.

#include "game/StageTurn.h"
#include "model/GameState.h"
#include "model/TurnMachine.h"
#include "results/StatusLines.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

class StagePlayer;
class StageTurn;

class StageFlow final : public QObject {
    Q_OBJECT
  public:
    StageFlow(const GameState& state, StagePlayer& player, QObject* parent = nullptr);
    // Cancels a build and waits for the workers, which stop between two rooms.
    ~StageFlow() override;

    // Builds a turn from `seed` for the bands in play now, away from the GUI
    // thread; `built` follows unless CancelBuild or Stop comes first. The
    // last turn is gone from now on.
    void Build(std::uint32_t seed);
    // What the worker still hands back is dropped.
    void CancelBuild();
    // A worker has yet to hand its result back, wanted or dropped.
    bool WorkerBusy() const { return !workers_.empty(); }

    // The faders as they stand and the volume reach the built turn's loop.
    void Begin();
    // Cancels a build; the sound stops, the turn stays for its figures.
    void Stop();
    // The same when the next howl lies out of play, which the lines say.
    void StopOutOfPlay();
    void ApplyVolume();

    // What a move of `band` did to the growing howl. The find time starts
    // anew when the howl just became audible, or when it was stopped before.
    struct Verdict {
        bool findClockStarts = false;
        bool stopped = false;
        bool found = false;          // stopped by the howl's own band; else "daneben"
        int stopper = -1;            // the band whose move stopped it
        std::vector<int> triedBands; // pulled below 0 during the howl, not the stopper
    };
    Verdict JudgeMove(int band);
    // Whether the growing howl just became loud enough to start its find time.
    bool HowlReachedFindLevel();

    // The last turn, sounding or over; null before the first and while building.
    StageTurn* Turn() const { return turn_.get(); }
    StatusLines Lines(TurnPhase phase) const;

  signals:
    // The turn asked for plays, or `errorText` says why not.
    void built(const QString& errorText);

  private:
    struct Job;
    void Finished(const std::shared_ptr<Job>& job);
    double Volume() const;

    const GameState& state_;
    StagePlayer& player_;
    std::unique_ptr<StageTurn> turn_;
    bool playing_ = false;
    bool endedOutOfPlay_ = false;
    // What the last judged move did to the ringing howl, for the status line.
    StageTurn::Verdict lastVerdict_ = StageTurn::Verdict::None;
    int lastStopper_ = -1;
    std::shared_ptr<Job> wanted_; // the build whose result is taken
    // Every worker not yet joined, the cancelled ones too: a new build never
    // waits for an old one on this thread; each is joined once it has handed
    // its job back, when it is past its last step.
    struct Worker {
        std::shared_ptr<Job> job;
        std::thread thread;
    };
    std::vector<Worker> workers_;
};
