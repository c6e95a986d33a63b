#pragma once
// Decodes the player's music file on a worker thread, so neither START nor
// the menu waits for it. The finished bed is handed over on the GUI thread;
// a newer request supersedes an older one, whose result is dropped. Nothing
// ever waits for a decode: a superseded one is left to finish on its own
// (a file on a stalled network share may take as long as it likes), and the
// program may end while one still runs.

#include "audio/MusicBedDecoder.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

class MusicBedLoader final : public QObject {
    Q_OBJECT

  public:
    // How a file becomes a bed; tests put in one that takes its time.
    using Decoder = std::function<MusicBedResult(const QString&, const std::atomic<bool>&)>;

    explicit MusicBedLoader(QObject* parent = nullptr, Decoder decode = DecodeMusicBed);
    // Gives up a running decode without waiting for it. Thread: GUI.
    ~MusicBedLoader() override;

    // Starts decoding `path`; the bed of an earlier file stays in Bed() until
    // this one is ready. Thread: GUI.
    void Load(const QString& path);
    // The last file decoded successfully (null before that) and its path.
    // Thread: GUI.
    std::shared_ptr<const BedLoop> Bed() const { return bed_; }
    QString BedPath() const { return bedPath_; }
    // True from Load until `ready` or `failed`. Thread: GUI.
    bool Loading() const { return job_ != nullptr; }

  signals:
    // Emitted on the GUI thread once the bed of `path` is in Bed().
    void ready(const QString& path);
    // Emitted on the GUI thread; `reason` is German, for the player.
    void failed(const QString& path, const QString& reason);

  private:
    struct Job;
    void Abandon();
    void Finish(const std::shared_ptr<Job>& job, const MusicBedResult& result);

    Decoder decode_;
    std::shared_ptr<Job> job_; // the decode whose result is awaited
    std::shared_ptr<const BedLoop> bed_;
    QString bedPath_;
};
