#pragma once
// The training journal as the window uses it. All database work runs on a
// thread of its own, with a Journal made there (Qt SQL connections belong to
// the thread that made them), so a large journal or a database another
// program holds locked never stalls the game. Turns are queued and written
// in order; a locked database is tried again later and nothing is dropped.
// The boxes the journal shows reach the GUI thread as posted calls.
// Thread: GUI only, unless a method says otherwise.

#include "journal/Journal.h"

#include <QObject>
#include <QPointer>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class Dialogs;

class JournalService final : public QObject {
    Q_OBJECT
  public:
    // Nothing is opened here; the thread starts at once and waits for work.
    // `nowUtc` is also called on the journal's thread.
    explicit JournalService(Dialogs& dialogs, QString filePath = JournalFilePath(),
                            Journal::UtcClock nowUtc = {});
    // Writes what is still queued, then ends the thread.
    ~JournalService() override;
    JournalService(const JournalService&) = delete;
    JournalService& operator=(const JournalService&) = delete;

    const QString& FilePath() const { return path_; }
    QDateTime NowUtc() const;
    // As far as the journal's thread has reported.
    bool IsOff() const { return off_; }
    const QString& OffReason() const { return offReason_; }
    Dialogs& Boxes() const { return dialogs_; }

    // Queues one turn; returns at once.
    void Record(const JournalTurn& turn);

    // Starts reading what the weighted draw needs (once per run): the option
    // is on. Each turn written afterwards updates it.
    void PrepareWeights();
    // The weights as of the last turn written; nullopt while they are still
    // being read (started here if not yet) or the journal is off: the game
    // then draws as it always did.
    std::optional<BandWeights> DrillWeights();
    // The same for the recent first-try shares per band (the learning path).
    std::optional<BandRates> FirstTryRates();

    // Runs `work` on the journal's thread with its Journal; `done` gets the
    // result on the GUI thread, unless `receiver` is gone by then.
    template <typename Result>
    void Run(QObject* receiver, std::function<Result(Journal&)> work,
             std::function<void(Result&)> done);

    // Blocks until every job queued so far has run and its results and boxes
    // are handed over, and the queued turns are written unless the database
    // stays locked for `lockWaitMs`. For tests and benchmarks.
    void WaitUntilIdle(int lockWaitMs = 0);
    // Turns waiting for a lock to go. Thread: any.
    int WaitingTurns() const { return waitingTurns_.load(); }

  private:
    class Worker;

    // Queues `job` for the journal's thread.
    void Post(std::function<void(Journal&)> job);
    // Thread: the journal's. Hands the journal's state to the GUI thread.
    void ReportState(const Journal& journal);
    // Thread: the journal's. Writes the queued turns in order until one
    // meets a lock; false when turns are still waiting.
    bool WriteWaiting(Journal& journal);
    // Thread: the journal's. Hands the draw's figures to the GUI thread.
    void PostDrillFigures(Journal& journal);

    Dialogs& dialogs_;
    QString path_;
    Journal::UtcClock nowUtc_;
    QThread thread_;
    Worker* worker_ = nullptr; // lives on thread_
    bool off_ = false;
    QString offReason_;
    bool weightsRequested_ = false;
    std::optional<BandWeights> weights_;
    std::optional<BandRates> firstTryRates_;
    std::atomic<int> waitingTurns_{0};
};

// ---- template ----------------------------------------------------------------

template <typename Result>
void JournalService::Run(QObject* receiver, std::function<Result(Journal&)> work,
                         std::function<void(Result&)> done)
{
    QPointer<QObject> target(receiver);
    Post([this, target, work = std::move(work), done = std::move(done)](Journal& journal) {
        // Thread: the journal's; `done` runs on the GUI thread.
        auto result = std::make_shared<Result>(work(journal));
        ReportState(journal);
        QMetaObject::invokeMethod(
            this,
            [target, done, result] {
                if (target)
                    done(*result);
            },
            Qt::QueuedConnection);
    });
}
