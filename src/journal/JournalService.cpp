#include "journal/JournalService.h"

#include "platform/Dialogs.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <deque>

namespace {

// How soon a turn is tried again when another program holds the database.
constexpr int LockRetryMs = 1000;

// The journal's boxes, shown on the GUI thread while its thread goes on.
// Only plain notices come this way, so the default button is the answer.
class PostedDialogs final : public Dialogs {
  public:
    PostedDialogs(QObject* guiContext, Dialogs& dialogs) : context_(guiContext), dialogs_(dialogs)
    {
    }
    // Thread: the journal's.
    DialogResult MessageBox(const MessageBoxRequest& request) override
    {
        Dialogs* dialogs = &dialogs_;
        QMetaObject::invokeMethod(
            context_, [dialogs, request] { dialogs->MessageBox(request); }, Qt::QueuedConnection);
        return request.defaultButton;
    }
    QString OpenFileName(const FileDialogRequest&) override { return {}; }
    QString SaveFileName(const FileDialogRequest&) override { return {}; }

  private:
    QObject* context_;
    Dialogs& dialogs_;
};

} // namespace

// Lives on the journal's thread and owns everything used there.
class JournalService::Worker final : public QObject {
  public:
    Worker(JournalService& service) : dialogs(&service, service.dialogs_) {}

    // Thread: the journal's.
    Journal& TheJournal(const JournalService& service)
    {
        if (!journal)
            journal = std::make_unique<Journal>(dialogs, service.path_, service.nowUtc_);
        return *journal;
    }

    PostedDialogs dialogs;
    std::unique_ptr<Journal> journal;
    std::deque<JournalTurn> waiting;
    QTimer* retry = nullptr;
    bool weightsWanted = false;
};

JournalService::JournalService(Dialogs& dialogs, QString filePath, Journal::UtcClock nowUtc)
    : dialogs_(dialogs), path_(std::move(filePath)), nowUtc_(std::move(nowUtc))
{
    worker_ = new Worker(*this);
    worker_->moveToThread(&thread_);
    thread_.setObjectName(QStringLiteral("Trainingsjournal"));
    thread_.start();
}

JournalService::~JournalService()
{
    // A lock held at the end gets the busy wait of one more try. The lambda
    // runs on the journal's thread.
    QMetaObject::invokeMethod(
        worker_,
        [this] {
            if (worker_->journal || !worker_->waiting.empty())
                WriteWaiting(worker_->TheJournal(*this));
            delete worker_->retry;
            worker_->journal.reset(); // its connection goes on the thread that made it
        },
        Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
    delete worker_;
}

QDateTime JournalService::NowUtc() const
{
    return nowUtc_ ? nowUtc_().toUTC() : QDateTime::currentDateTimeUtc();
}

void JournalService::Post(std::function<void(Journal&)> job)
{
    // The lambda runs on the journal's thread.
    QMetaObject::invokeMethod(
        worker_, [this, job = std::move(job)] { job(worker_->TheJournal(*this)); },
        Qt::QueuedConnection);
}

void JournalService::ReportState(const Journal& journal)
{
    QMetaObject::invokeMethod(
        this,
        [this, off = journal.IsOff(), reason = journal.OffReason()] {
            off_ = off;
            offReason_ = reason;
            if (off) {
                weights_.reset();
                firstTryRates_.reset();
            }
        },
        Qt::QueuedConnection);
}

bool JournalService::WriteWaiting(Journal& journal)
{
    auto& waiting = worker_->waiting;
    while (!waiting.empty()) {
        const Journal::WriteResult result = journal.TryRecord(waiting.front());
        if (result == Journal::WriteResult::Locked)
            break;
        waiting.pop_front();
        if (result == Journal::WriteResult::Off)
            waiting.clear(); // said once in the journal's box
    }
    waitingTurns_ = int(waiting.size());
    if (!waiting.empty()) {
        if (!worker_->retry) {
            worker_->retry = new QTimer;
            worker_->retry->setSingleShot(true);
            // Made on, and firing on, the journal's thread.
            QObject::connect(worker_->retry, &QTimer::timeout, worker_,
                             [this] { WriteWaiting(worker_->TheJournal(*this)); });
        }
        worker_->retry->start(LockRetryMs);
    }
    if (worker_->weightsWanted && !journal.IsOff())
        PostDrillFigures(journal);
    ReportState(journal);
    return waiting.empty();
}

void JournalService::Record(const JournalTurn& turn)
{
    if (off_)
        return;
    Post([this, turn](Journal& journal) { // on the journal's thread
        worker_->waiting.push_back(turn);
        WriteWaiting(journal);
    });
}

void JournalService::PrepareWeights()
{
    if (weightsRequested_)
        return;
    weightsRequested_ = true;
    Post([this](Journal& journal) { // on the journal's thread
        worker_->weightsWanted = true;
        PostDrillFigures(journal);
        ReportState(journal);
    });
}

void JournalService::PostDrillFigures(Journal& journal)
{
    QMetaObject::invokeMethod(
        this,
        [this, weights = journal.DrillWeights(), rates = journal.DrillFirstTryRates()] {
            weights_ = weights;
            firstTryRates_ = rates;
        },
        Qt::QueuedConnection);
}

std::optional<BandRates> JournalService::FirstTryRates()
{
    PrepareWeights();
    if (off_)
        return std::nullopt;
    return firstTryRates_;
}

std::optional<BandWeights> JournalService::DrillWeights()
{
    PrepareWeights();
    if (off_)
        return std::nullopt;
    return weights_;
}

void JournalService::WaitUntilIdle(int lockWaitMs)
{
    const QDeadlineTimer deadline(lockWaitMs);
    for (;;) {
        bool written = true;
        // The lambda runs on the journal's thread while this one waits.
        QMetaObject::invokeMethod(
            worker_,
            [this, &written] {
                if (!worker_->waiting.empty())
                    written = WriteWaiting(worker_->TheJournal(*this));
            },
            Qt::BlockingQueuedConnection);
        // Results and boxes were posted to this object before the call returned.
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        if (written || deadline.hasExpired())
            return;
        QThread::msleep(20);
    }
}
