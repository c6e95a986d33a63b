#include "session/StageFlow.h"

#include "audio/BedLoop.h"
#include "model/FaderModel.h"
#include "session/StagePlayer.h"
#include "session/StageTurn.h"
#include "stage/FftwLibrary.h"

#include <exception>
#include <utility>

namespace {

constexpr auto StopWithinFrames = std::uint64_t(stage::StopWithinSeconds * stage::SampleRateHz);

} // namespace

// One build: what the worker reads and writes, handed over whole.
struct StageFlow::Job {
    std::atomic<bool> cancelled{false};
    std::unique_ptr<StageTurn> turn;
    QString errorText;
};

StageFlow::StageFlow(const GameState& state, StagePlayer& player, QObject* parent)
    : QObject(parent), state_(state), player_(player), workerContext_(std::make_unique<QObject>())
{
    qRegisterMetaType<StageFlow::Verdict>();
    workerThread_.setObjectName(QStringLiteral("stage"));
    workerContext_->moveToThread(&workerThread_);
    workerThread_.start();
}

StageFlow::~StageFlow()
{
    Stop();
    // What is still queued there is dropped; what runs ends first, a
    // cancelled build at its next room.
    workerThread_.quit();
    workerThread_.wait();
}

void StageFlow::Build(std::uint32_t seed)
{
    Stop();
    turn_.reset();
    ++turnNumber_;
    judgingMove_ = lookingForHowl_ = false;
    waitingMove_.reset();
    pendingStop_.reset();
    endedOutOfPlay_ = false;
    lastVerdict_ = StageTurn::Verdict::None;
    wanted_ = std::make_shared<Job>();
    ++buildsUnanswered_;
    const int lowCutBand = state_.LowCutBand;
    const int highCutBand = state_.HighCutBand;
    // One build at a time: a cancelled one ends at its next room, and those
    // queued behind it that are cancelled too never begin.
    QMetaObject::invokeMethod(
        workerContext_.get(),
        [this, job = wanted_, seed, lowCutBand, highCutBand] {
            if (!job->cancelled)
                BuildTurn(*job, seed, lowCutBand, highCutBand);
            // This object waits for the thread before it goes.
            QMetaObject::invokeMethod(
                this, [this, job] { Finished(job); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

// Thread: the worker's.
void StageFlow::BuildTurn(Job& job, std::uint32_t seed, int lowCutBand, int highCutBand)
{
    try {
        QString reason;
        if (const stage::FftwFunctions* fftw = stage::LoadFftw(&reason))
            job.turn = StageTurn::Build(*fftw, seed, lowCutBand, highCutBand, &job.errorText,
                                        &job.cancelled);
        else
            job.errorText = reason;
    } catch (const std::exception& error) {
        job.turn.reset();
        job.errorText =
            tr("Die Bühne ließ sich nicht aufbauen: %1").arg(QString::fromLocal8Bit(error.what()));
    }
}

void StageFlow::CancelBuild()
{
    if (!wanted_)
        return;
    wanted_->cancelled = true;
    wanted_.reset();
}

// Thread: GUI, by the worker's queued call.
void StageFlow::Finished(const std::shared_ptr<Job>& job)
{
    --buildsUnanswered_;
    if (job != wanted_)
        return; // cancelled, or a newer build is on its way
    wanted_.reset();
    QString errorText = job->errorText;
    turn_ = std::move(job->turn);
    if (turn_ && state_.Training.Hintergrund == BedMusic && musicBed_)
        if (const std::shared_ptr<const BedLoop> bed = musicBed_())
            turn_->Stream().SetBleed(
                {bed, bed->samples.data(), bed->samples.size(), float(bed->gain / BedRms)});
    std::string reason;
    if (turn_ && !player_.Play(turn_->Stream(), &reason)) {
        errorText = QString::fromStdString(reason);
        turn_.reset();
    }
    playing_ = turn_ != nullptr;
    emit built(turn_ ? QString() : errorText);
}

void StageFlow::Begin()
{
    turn_->MoveFaders(state_.BandTable, NoFader, Volume());
}

template <typename Answer>
void StageFlow::Ask(std::function<Answer()> work, std::function<void(const Answer&)> take)
{
    ++unanswered_;
    QMetaObject::invokeMethod(
        workerContext_.get(),
        [this, work = std::move(work), take = std::move(take), turn = turnNumber_]() mutable {
            // Thread: the worker's. This object waits for it before it goes.
            Answer answer = work();
            QMetaObject::invokeMethod(
                this,
                [this, answer = std::move(answer), take = std::move(take), turn] {
                    --unanswered_;
                    if (turn == turnNumber_ && playing_)
                        take(answer);
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void StageFlow::MoveFader(int band, std::uint32_t movedAtMs)
{
    switch (turn_->MoveFaders(state_.BandTable, band, Volume())) {
    case StageTurn::Move::Nothing:
        return;
    case StageTurn::Move::Levels:
        SendLevels();
        return;
    case StageTurn::Move::Judge:
        waitingMove_ = WaitingMove{band, movedAtMs, turn_->Stream().HowlLevelDbfs(),
                                   turn_->Stream().FramesMade(), !turn_->ReachedFindLevel()};
        if (!judgingMove_)
            JudgeWaitingMove();
        return;
    }
}

void StageFlow::SendLevels()
{
    ++levelsChanges_;
    Ask<bool>(
        [analysis = turn_->Analysis(), levelsDb = turn_->LevelsDb()] {
            analysis->SetLevels(levelsDb);
            return true;
        },
        [](bool) {});
}

void StageFlow::JudgeWaitingMove()
{
    const WaitingMove move = *waitingMove_;
    waitingMove_.reset();
    judgingMove_ = true;
    ++levelsChanges_;
    Ask<StageTurn::Judgement>(
        [analysis = turn_->Analysis(), howl = turn_->Howl(), levelsDb = turn_->LevelsDb()] {
            return stage::JudgeCut(*analysis, howl, levelsDb);
        },
        [this, move](const StageTurn::Judgement& judgement) { TakeJudgement(judgement, move); });
}

void StageFlow::TakeJudgement(const StageTurn::Judgement& judgement, const WaitingMove& move)
{
    judgingMove_ = false;
    const StageTurn::Verdict judged = turn_->TakeJudgement(judgement, move.band);
    if (judged == StageTurn::Verdict::Right || judged == StageTurn::Verdict::Missed) {
        // The first move after which the pole died owns the stop.
        if (!pendingStop_) {
            pendingStop_ = PendingStop{judged, move, judgement};
            turn_->Stream().WatchFall(move.frame + StopWithinFrames);
        }
    } else {
        pendingStop_.reset(); // it grows again, or it never died
        if (judged != StageTurn::Verdict::None)
            lastVerdict_ = judged;
    }
    if (waitingMove_)
        JudgeWaitingMove();
    ListenForStop();
}

void StageFlow::ListenForStop()
{
    if (!pendingStop_ || !playing_)
        return;
    const stage::StageStream& stream = turn_->Stream();
    const PendingStop& stop = *pendingStop_;
    if (stop.move.quiet ||
        stream.QuietestWatchedDbfs() <= stop.move.levelDbfs - stage::StopFallDb) {
        EndHowl();
        return;
    }
    if (stream.FramesMade() < stop.move.frame + StopWithinFrames)
        return;
    // A pole a few hertz away carries it on.
    turn_->GoOnRinging(stop.judgement);
    lastVerdict_ = StageTurn::Verdict::Slowed;
    pendingStop_.reset();
}

void StageFlow::EndHowl()
{
    const PendingStop stop = *pendingStop_;
    pendingStop_.reset();
    lastVerdict_ = stop.verdict;
    turn_->EndHowl(stop.move.band);
    // Before the look for the next howl, which then meets the turned room.
    if (turn_->SingerTurnsNow())
        Ask<StageTurn::SingerTurn>(
            turn_->SingerTurnWork(),
            [this](const StageTurn::SingerTurn& turn) { turn_->TakeSingerTurn(turn); });
    Verdict verdict;
    verdict.found = stop.verdict == StageTurn::Verdict::Right;
    verdict.stopper = lastStopper_ = stop.move.band;
    verdict.movedAtMs = stop.move.movedAtMs;
    verdict.beforeFindLevel = stop.move.quiet;
    verdict.triedBands = turn_->TriedBands();
    emit howlStopped(verdict);
}

void StageFlow::LookForHowl()
{
    if (lookingForHowl_)
        return;
    lookingForHowl_ = true;
    Ask<std::pair<std::optional<stage::LoopPole>, double>>(
        [analysis = turn_->Analysis()] {
            return std::make_pair(analysis->DominantPole(), analysis->GainDb());
        },
        [this, asked = levelsChanges_](const auto& answer) {
            TakeStrongestPole(answer.first, answer.second, asked);
        });
}

void StageFlow::RiseGain()
{
    if (lookingForHowl_ || !playing_)
        return;
    lookingForHowl_ = true;
    Ask<std::pair<std::optional<stage::LoopPole>, double>>(
        [analysis = turn_->Analysis()] {
            std::optional<stage::LoopPole> pole = analysis->RiseGainDb().dominant;
            return std::make_pair(pole, analysis->GainDb());
        },
        [this, asked = levelsChanges_](const auto& answer) {
            TakeStrongestPole(answer.first, answer.second, asked);
        });
}

void StageFlow::TakeStrongestPole(const std::optional<stage::LoopPole>& pole, double gainDb,
                                  std::uint64_t levelsAsked)
{
    lookingForHowl_ = false;
    // A fader moved since: the pole is the old levels'; look again after them.
    if (levelsAsked != levelsChanges_) {
        turn_->TakeStrongestPole(std::nullopt, gainDb);
        LookForHowl();
        return;
    }
    emit nextHowl(int(turn_->TakeStrongestPole(pole, gainDb)));
}

StageResponse StageFlow::Response()
{
    StageResponse response;
    if (!turn_)
        return response;
    QMetaObject::invokeMethod(
        workerContext_.get(), [&] { response = turn_->Response(); }, Qt::BlockingQueuedConnection);
    return response;
}

void StageFlow::Stop()
{
    CancelBuild();
    pendingStop_.reset();
    if (playing_)
        player_.Stop(turn_->Stream());
    playing_ = false;
}

void StageFlow::StopOutOfPlay()
{
    Stop();
    endedOutOfPlay_ = true;
}

void StageFlow::ApplyVolume()
{
    if (playing_)
        turn_->SetOutputGain(Volume());
}

bool StageFlow::HowlReachedFindLevel()
{
    return playing_ && turn_->HowlReachedFindLevel();
}

double StageFlow::Volume() const
{
    // The tone's own volume curve: linear from silence at -12 to full at +12.
    return (state_.MasterVolume - MinLevel) / double(MaxLevel - MinLevel);
}

StatusLines StageFlow::Lines(TurnPhase phase) const
{
    StatusLines lines;
    const auto set = [](StatusLine& line, const QString& text) {
        line.write = true;
        line.text = text;
    };
    const int howls = turn_ ? turn_->HowlCount() : 0;
    switch (phase) {
    case TurnPhase::StageBuilding:
        set(lines.Label1, tr("Bühne wird aufgebaut ..."));
        set(lines.Label2, tr("Mit START brechen Sie den Aufbau ab."));
        set(lines.Label3, QString());
        break;
    case TurnPhase::StageRunning:
        set(lines.Label1, tr("Bühne: Rückkopplung bei ... suchen"));
        set(lines.Label2, tr("Rückkopplung %1 von %2").arg(howls).arg(StageTurn::MostHowls) +
                              tr(" – ") + turn_->SceneText());
        set(lines.Label3, lastVerdict_ == StageTurn::Verdict::Slowed
                              ? tr("Sie klingt noch: Der Schnitt hat sie nur gebremst.")
                          : howls > 1 ? turn_->Summary()
                                      : QString());
        break;
    case TurnPhase::StageRingingOut:
        set(lines.Label1, turn_->Summary());
        set(lines.Label2, tr("Einpegeln: Die Verstärkung steigt alle 2 s um 0,5 bis 1 dB."));
        set(lines.Label3,
            lastVerdict_ == StageTurn::Verdict::Missed
                ? tr("Daneben: Band %1 hat die Rückkopplung bei %2 gestoppt.")
                      .arg(QString::fromUtf8(BandDefinitions[lastStopper_].label),
                           QString::fromUtf8(BandDefinitions[turn_->HowlBand()].label))
                : QString());
        break;
    default: {
        const int stopped = turn_ ? howls - (turn_->Growing() ? 1 : 0) : 0;
        set(lines.Label1,
            tr("Bühne vorbei: %1 von %2 Rückkopplungen gestoppt").arg(stopped).arg(howls));
        set(lines.Label2,
            turn_ ? turn_->Summary() + tr(" (Automatik: %1 dB)")
                                           .arg(QString::asprintf("%+.0f", turn_->AutoGainWonDb()))
                  : QString());
        set(lines.Label3, endedOutOfPlay_
                              ? tr("Die nächste Rückkopplung läge außerhalb der Bänder im Spiel.")
                              : tr("START beginnt eine neue Bühne."));
        break;
    }
    }
    return lines;
}
