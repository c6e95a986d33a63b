#pragma once
// The sound options of the "Training" menu at work. Owns the TrainingSound
// through which ToneOutput plays a turn's tone (swell, bed). "Musik ..." asks
// for a file and has it decoded in the background; a file that cannot be
// read is reported in one box and the bed falls back to "Keiner". At
// start-up the remembered file is decoded again, or, when it has gone, the
// bed falls back to "Keiner" without a word. Thread: GUI only.

#include "audio/TrainingSound.h"

#include <QObject>

class Dialogs;
class ToneOutput;
class TrainingMenu;
struct TrainingSettings;

class TrainingSoundOptions final : public QObject {
    Q_OBJECT
  public:
    // `menu`, `settings`, `tone` and `dialogs` must outlive this object.
    TrainingSoundOptions(TrainingMenu& menu, const TrainingSettings& settings, ToneOutput& tone,
                         Dialogs& dialogs, QObject* parent = nullptr);
    // Takes the shaping back from the tone output.
    ~TrainingSoundOptions() override;

    // After the settings are read and the menu marked.
    void StartUp();
    TrainingSound& Sound() { return sound_; }

  private:
    void ChooseMusicFile();
    void ReportUnreadable(const QString& path, const QString& reason);

    TrainingMenu& menu_;
    const TrainingSettings& settings_;
    ToneOutput& tone_;
    Dialogs& dialogs_;
    TrainingSound sound_;
};
