#include "audio/MusicBedLoader.h"

#include <QMetaObject>

#include <mutex>
#include <thread>

// One decode, shared by the loader and its detached worker thread; the one
// that lets go last frees it. The worker holds everything it touches through
// this, so neither a newer file nor the loader's end pulls anything away
// from under it.
struct MusicBedLoader::Job {
    QString path;
    std::atomic<bool> cancelled{false};
    std::mutex mutex;
    MusicBedLoader* owner = nullptr; // null once abandoned; guarded by mutex
};

MusicBedLoader::MusicBedLoader(QObject* parent, Decoder decode)
    : QObject(parent), decode_(std::move(decode))
{
}

MusicBedLoader::~MusicBedLoader()
{
    Abandon();
}

void MusicBedLoader::Abandon()
{
    if (!job_)
        return;
    // The decoder looks at the flag between chunks of a few milliseconds.
    job_->cancelled.store(true);
    const std::lock_guard lock(job_->mutex);
    job_->owner = nullptr;
    job_.reset();
}

void MusicBedLoader::Load(const QString& path)
{
    Abandon();
    auto job = std::make_shared<Job>();
    job->path = path;
    job->owner = this;
    job_ = job;
    std::thread([job, decode = decode_] {
        MusicBedResult result = decode(job->path, job->cancelled);
        const std::lock_guard lock(job->mutex);
        if (!job->owner)
            return;
        // Posted while the owner cannot go: Abandon takes this mutex first,
        // and an object that is destroyed drops the events posted to it.
        MusicBedLoader* owner = job->owner;
        QMetaObject::invokeMethod(
            owner, [owner, job, result = std::move(result)] { owner->Finish(job, result); },
            Qt::QueuedConnection);
    }).detach();
}

void MusicBedLoader::Finish(const std::shared_ptr<Job>& job, const MusicBedResult& result)
{
    // Superseded after the result was on its way.
    if (job != job_)
        return;
    job_.reset();
    if (!result.bed) {
        emit failed(job->path, result.errorText);
        return;
    }
    bed_ = result.bed;
    bedPath_ = job->path;
    emit ready(job->path);
}
