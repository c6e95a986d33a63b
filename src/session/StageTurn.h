#pragma once
// The rules of one stage turn ("Bühne"): a room drawn from the turn's seed
// whose first howl lies in a band in play, the loop model that says when a
// cut stopped the howl, the gain rise while ringing out, and what the status
// lines and the record of each howl need. The sound itself goes through a
// StagePlayer. StageFlow builds and plays it and asks the loop analysis away
// from the GUI thread; GameFlow does the counting. Thread: GUI, but for Build
// and Response.

#include "model/BandSlot.h"
#include "model/StageResponse.h"
#include "stage/CutVerdict.h"
#include "stage/FeedbackLoop.h"
#include "stage/LoopAnalysis.h"
#include "stage/StageScene.h"
#include "stage/StageSearch.h"
#include "stage/StageStream.h"

#include <QCoreApplication>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class RandomGenerator;

class StageTurn {
    Q_DECLARE_TR_FUNCTIONS(StageTurn)
  public:
    static constexpr int MostHowls = 6;
    static constexpr int GainRiseIntervalMs = 2000;
    // The find time starts when the howl first reaches this level.
    static constexpr double FindClockLevelDbfs = stage::LimitDbfs - 30.0;

    // The room of the next turn. Thread: GUI (the game's random generator).
    static std::uint32_t DrawSeed(RandomGenerator& random);
    // Tries the scene of `seed` and the next ones until its first howls,
    // each cut right, lie in bands the game's own draw could pick (above
    // lowCutBand up to highCutBand). Null with a German reason when none
    // does; null without one once `cancelled` is set, looked at between scenes.
    // Thread: any; the turn is then handed to the GUI thread.
    static std::unique_ptr<StageTurn> Build(const stage::FftwFunctions& fftw, std::uint32_t seed,
                                            int lowCutBand, int highCutBand, QString* errorText,
                                            const std::atomic<bool>* cancelled = nullptr);

    stage::StageStream& Stream() { return *stream_; }
    std::uint32_t Seed() const { return seed_; }

    using Verdict = stage::CutVerdict;
    // What a move needs of the loop analysis, asked of it away from the GUI
    // thread, which only hands the faders over and takes the answers in.
    enum class Move {
        Nothing, // a click that selects, or the volume alone
        Levels,  // the analysis must take the levels; no howl grows
        Judge,   // a howl grows: stage::JudgeCut the move
    };
    // The faders as they stand now (levels in dB) and the volume factor
    // reach the loop with its next block. Thread: GUI.
    Move MoveFaders(const BandArray& bands, int band, double outputGain);
    // The loop's volume alone.
    void SetOutputGain(double outputGain);
    // The loop analysis, handed to the one thread that asks it at a time.
    const std::shared_ptr<stage::LoopAnalysis>& Analysis() const { return analysis_; }
    const stage::BandLevels& LevelsDb() const { return levelsDb_; }
    const stage::LoopPole& Howl() const { return *howl_; }

    using Judgement = stage::CutJudgement;
    // Takes a judgement of the move of `band` in: Right or Missed when the
    // howl's pole dies, which the sound must then confirm. Thread: GUI.
    Verdict TakeJudgement(const Judgement& judgement, int band);
    // The howl fell as heard after the move of `stopper`. Thread: GUI.
    void EndHowl(int stopper);
    // Its pole died but the howl did not fall: it rings on. Thread: GUI.
    void GoOnRinging(const Judgement& judgement);

    // What the singer's turn after a stop changes, worked out away from the
    // GUI thread.
    struct SingerTurn {
        stage::StageScene scene;
        std::shared_ptr<stage::PartitionedConvolver> room;
        double gainDb = 0;
    };
    // Whether the singer turns now, after the howl just stopped. Thread: GUI.
    bool SingerTurnsNow() const { return stage::SingerTurnsAfter(drawnScene_, stops_); }
    // The analysis takes the turned room, and the sound's room is built.
    // Thread: the one that holds the analysis.
    std::function<SingerTurn()> SingerTurnWork() const;
    // The sound sends through the turned room, the scene text names the new
    // angle. Thread: GUI.
    void TakeSingerTurn(const SingerTurn& turn);

    // Whether a pole grows now, clearly enough to be heard soon. One in play
    // becomes the next howl; one out of play cannot be cut, so it ends the stage.
    enum class NextHowl { None, InPlay, OutOfPlay };
    // Takes the loop analysis' strongest pole and its G in (after
    // LoopAnalysis::DominantPole, or RiseGainDb: G up by 0.5-1 dB). Thread: GUI.
    NextHowl TakeStrongestPole(const std::optional<stage::LoopPole>& pole, double gainDb);
    // Whether the growing howl has just reached FindClockLevelDbfs, once per howl.
    bool HowlReachedFindLevel();

    bool Growing() const { return growing_; }
    bool ReachedFindLevel() const { return reachedFindLevel_; }
    int HowlCount() const { return int(howlsHz_.size()); }
    double HowlHz() const { return howlsHz_.back(); }
    int HowlBand() const;
    // The bands pulled below 0 during the last howl, without the one that stopped it.
    std::vector<int> TriedBands() const;
    // The band whose move stopped the last howl; NoFader while it rings.
    int Stopper() const { return stopper_; }
    // The gain won over the first howl of the turn, dB.
    double GainWonDb() const { return gainDb_ - firstGainDb_; }
    // What the automatic engineer wins on this stage: each howl's band cut
    // by 9 dB, the gain rising in 1 dB steps, over the first six howls.
    double AutoGainWonDb() const { return autoGainWonDb_; }
    // "Gesang: Superniere, Monitor 1,2 m bei 140°; Raum 0,8 s"
    QString SceneText() const;
    // "+4 dB vor Rückkopplung, 3 Schnitte, zusammen -17 dB"
    QString Summary() const;

    // With the faders as they stand now; the last G. Thread: the one that
    // holds the analysis, while the GUI thread waits.
    StageResponse Response();

  private:
    StageTurn(stage::FoundStage found, const stage::FftwFunctions& fftw, int lowCutBand,
              int highCutBand);
    void Publish();
    void StartHowl(const stage::LoopPole& pole);

    const stage::FftwFunctions& fftw_;
    stage::StageScene drawnScene_;
    stage::StageScene scene_; // as it stands, the singer's turns made
    int stops_ = 0;
    stage::LoopDesign design_;
    std::shared_ptr<stage::LoopAnalysis> analysis_;
    std::unique_ptr<stage::StageStream> stream_;
    std::uint32_t seed_;
    int lowCutBand_, highCutBand_; // the faders in play
    stage::BandLevels levelsDb_{};
    double gainDb_ = 0;
    double firstGainDb_ = 0;
    double outputGain_ = 1;
    double autoGainWonDb_ = 0;
    std::optional<stage::LoopPole> howl_;
    std::vector<double> howlsHz_;
    bool growing_ = false;
    bool reachedFindLevel_ = false;
    std::set<int> pulledDown_;
    int stopper_ = NoFader;
};
