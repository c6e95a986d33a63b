#include "audio/MusicBedLoader.h"

#include <QMetaObject>
#include <QPointer>

MusicBedLoader::MusicBedLoader(QObject* parent) : QObject(parent) {}

MusicBedLoader::~MusicBedLoader()
{
    StopWorker();
}

void MusicBedLoader::StopWorker()
{
    if (!worker_.joinable())
        return;
    cancel_->store(true);
    // The decoder looks at the flag between chunks of a few milliseconds.
    worker_.join();
}

void MusicBedLoader::Load(const QString& path)
{
    StopWorker();
    finished_ = false;
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    worker_ = std::thread([this, path, cancel = cancel_] {
        MusicBedResult result = DecodeMusicBed(path, *cancel);
        if (cancel->load())
            return;
        // Queued to the GUI thread; dropped with this object if it goes first
        // (the destructor joins this thread before the object is gone).
        QMetaObject::invokeMethod(
            this,
            [this, path, cancel, result = std::move(result)] {
                if (!cancel->load())
                    Finish(path, result);
            },
            Qt::QueuedConnection);
    });
}

void MusicBedLoader::Finish(const QString& path, const MusicBedResult& result)
{
    finished_ = true;
    if (!result.bed) {
        emit failed(path, result.errorText);
        return;
    }
    bed_ = result.bed;
    bedPath_ = path;
    emit ready(path);
}
