#pragma once
// Decodes the player's music file on a worker thread, so neither START nor
// the menu waits for it. The finished bed is handed over on the GUI thread;
// a newer request supersedes an older one, whose result is dropped.

#include "audio/MusicBedDecoder.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <thread>

class MusicBedLoader final : public QObject {
    Q_OBJECT

  public:
    explicit MusicBedLoader(QObject* parent = nullptr);
    // Stops a running decode and waits for its thread. Thread: GUI.
    ~MusicBedLoader() override;

    // Starts decoding `path`; the bed of an earlier file stays in Bed() until
    // this one is ready. Thread: GUI.
    void Load(const QString& path);
    // The last file decoded successfully (null before that) and its path.
    // Thread: GUI.
    std::shared_ptr<const BedLoop> Bed() const { return bed_; }
    QString BedPath() const { return bedPath_; }
    // True from Load until `ready` or `failed`. Thread: GUI.
    bool Loading() const { return worker_.joinable() && !finished_; }

  signals:
    // Emitted on the GUI thread once the bed of `path` is in Bed().
    void ready(const QString& path);
    // Emitted on the GUI thread; `reason` is German, for the player.
    void failed(const QString& path, const QString& reason);

  private:
    void StopWorker();
    void Finish(const QString& path, const MusicBedResult& result);

    std::thread worker_;
    std::shared_ptr<std::atomic<bool>> cancel_;
    bool finished_ = true;
    std::shared_ptr<const BedLoop> bed_;
    QString bedPath_;
};
