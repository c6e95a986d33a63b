#include "game/TrainingSoundOptions.h"

#include "audio/ToneOutput.h"
#include "game/TrainingMenu.h"
#include "model/TrainingSettings.h"
#include "platform/Dialogs.h"

#include <QFileInfo>

TrainingSoundOptions::TrainingSoundOptions(TrainingMenu& menu, const TrainingSettings& settings,
                                           ToneOutput& tone, Dialogs& dialogs, QObject* parent)
    : QObject(parent), menu_(menu), settings_(settings), tone_(tone), dialogs_(dialogs),
      sound_(settings)
{
    tone_.SetTrainingSound(&sound_);
    connect(&menu_, &TrainingMenu::musicFileRequested, this,
            &TrainingSoundOptions::ChooseMusicFile);
    connect(&sound_.Music(), &MusicBedLoader::failed, this,
            &TrainingSoundOptions::ReportUnreadable);
}

TrainingSoundOptions::~TrainingSoundOptions()
{
    tone_.SetTrainingSound(nullptr);
}

void TrainingSoundOptions::StartUp()
{
    if (settings_.Hintergrund != BedMusic)
        return;
    // A file on a stick that is not plugged in today is no error; anything
    // else the decoder cannot read, a pipe say, is reported as when chosen.
    if (!QFileInfo::exists(settings_.Musik)) {
        menu_.ChooseBed(BedNone);
        return;
    }
    sound_.Music().Load(settings_.Musik);
}

void TrainingSoundOptions::ChooseMusicFile()
{
    FileDialogRequest request;
    request.caption = tr("Musik für den Hintergrund");
    // Only the names are texts; the patterns stay as they are.
    request.filter = QStringLiteral("%1|*.wav;*.flac;*.ogg;*.oga;*.opus;*.mp3;*.aif;*.aiff|%2|*")
                         .arg(tr("Musik"), tr("Alle Dateien"));
    request.proposedName = settings_.Musik;
    const QString path = dialogs_.OpenFileName(request);
    if (path.isEmpty())
        return;
    menu_.ChooseBed(BedMusic, path);
    sound_.Music().Load(settings_.Musik);
}

void TrainingSoundOptions::ReportUnreadable(const QString& path, const QString& reason)
{
    MessageBoxRequest box;
    box.caption = tr("Hintergrund");
    box.text = tr("Die Musikdatei „%1“ kann nicht gespielt werden.\n%2").arg(path, reason);
    // Only the file the bed still waits for falls back; a newer choice stays.
    if (settings_.Hintergrund == BedMusic && settings_.Musik == path) {
        menu_.ChooseBed(BedNone);
        box.text += tr("\nDer Hintergrund ist jetzt „Keiner“.");
    }
    box.icon = DialogIcon::Warning;
    dialogs_.MessageBox(box);
}
