#include "game/StageFlow.h"

#include "game/StagePlayer.h"
#include "game/StageTurn.h"
#include "model/FaderModel.h"
#include "stage/FftwLibrary.h"

#include <algorithm>
#include <exception>
#include <system_error>

// One build: what the worker reads and writes, handed over whole.
struct StageFlow::Job {
    std::atomic<bool> cancelled{false};
    std::unique_ptr<StageTurn> turn;
    QString errorText;
};

StageFlow::StageFlow(const GameState& state, StagePlayer& player, QObject* parent)
    : QObject(parent), state_(state), player_(player)
{
}

StageFlow::~StageFlow()
{
    Stop();
    for (Worker& worker : workers_) {
        worker.job->cancelled = true;
        worker.thread.join();
    }
}

void StageFlow::Build(std::uint32_t seed)
{
    Stop();
    turn_.reset();
    endedOutOfPlay_ = false;
    lastVerdict_ = StageTurn::Verdict::None;
    wanted_ = std::make_shared<Job>();
    const int lowCutBand = state_.LowCutBand;
    const int highCutBand = state_.HighCutBand;
    try {
        std::thread thread([this, job = wanted_, seed, lowCutBand, highCutBand] {
            try {
                std::string reason;
                if (const stage::FftwFunctions* fftw = stage::LoadFftw(&reason))
                    job->turn = StageTurn::Build(*fftw, seed, lowCutBand, highCutBand,
                                                 &job->errorText, &job->cancelled);
                else
                    job->errorText = QString::fromStdString(reason);
            } catch (const std::exception& error) {
                job->turn.reset();
                job->errorText = tr("Die Bühne ließ sich nicht aufbauen: %1")
                                     .arg(QString::fromLocal8Bit(error.what()));
            }
            // Dropped with this object should it go first; it waits for us.
            QMetaObject::invokeMethod(
                this, [this, job] { Finished(job); }, Qt::QueuedConnection);
        });
        workers_.push_back({wanted_, std::move(thread)});
    } catch (const std::system_error& error) {
        wanted_->errorText =
            tr("Die Bühne ließ sich nicht aufbauen: %1").arg(QString::fromLocal8Bit(error.what()));
        QMetaObject::invokeMethod(
            this, [this, job = wanted_] { Finished(job); }, Qt::QueuedConnection);
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
    const auto done = std::find_if(workers_.begin(), workers_.end(),
                                   [&](const Worker& worker) { return worker.job == job; });
    if (done != workers_.end()) {
        done->thread.join();
        workers_.erase(done);
    }
    if (job != wanted_)
        return; // cancelled, or a newer build is on its way
    wanted_.reset();
    QString errorText = job->errorText;
    turn_ = std::move(job->turn);
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
    turn_->FaderMoved(state_.BandTable, NoFader, Volume());
}

void StageFlow::Stop()
{
    CancelBuild();
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

StageFlow::Verdict StageFlow::JudgeMove(int band)
{
    Verdict verdict;
    verdict.findClockStarts = turn_->HowlReachedFindLevel();
    const StageTurn::Verdict judged = turn_->FaderMoved(state_.BandTable, band, Volume());
    if (judged != StageTurn::Verdict::None)
        lastVerdict_ = judged;
    verdict.stopped = judged == StageTurn::Verdict::Right || judged == StageTurn::Verdict::Missed;
    if (!verdict.stopped)
        return verdict;
    verdict.found = judged == StageTurn::Verdict::Right;
    verdict.stopper = lastStopper_ = turn_->Stopper();
    // Stopped before it was loud enough to hear well: no find time.
    verdict.findClockStarts = verdict.findClockStarts || !turn_->ReachedFindLevel();
    verdict.triedBands = turn_->TriedBands();
    return verdict;
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
