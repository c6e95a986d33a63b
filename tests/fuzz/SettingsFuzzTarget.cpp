#include "SettingsFuzzTarget.h"

#include "platform/ProfileFile.h"
#include "session/SettingsFile.h"

#include <QStringList>

#include <optional>

namespace {

struct Entry {
    QString section;
    QString key;
    std::optional<QString> value;
};

// The keys the program owns; every other key must survive a write.
bool IsSettingsKey(const QString& section, const QString& key)
{
    static const QStringList owned{
        QStringLiteral("Filter/LowCut"),          QStringLiteral("Filter/Highcut"),
        QStringLiteral("Audio/Volumen"),          QStringLiteral("Audio/Soundkarte"),
        QStringLiteral("Spiel/Selektmode"),       QStringLiteral("Spiel/SoundStop"),
        QStringLiteral("Spiel/Zufallszeit"),      QStringLiteral("Spiel/StartZeit"),
        QStringLiteral("Daten/Dateiname"),        QStringLiteral("Training/Schwerpunkt"),
        QStringLiteral("Training/Anschwellen"),   QStringLiteral("Training/Hintergrund"),
        QStringLiteral("Training/Musik"),         QStringLiteral("Training/Hinweise"),
        QStringLiteral("Training/Lernpfad"),      QStringLiteral("Training/LernpfadBaender"),
        QStringLiteral("Training/LernpfadRunde"),
    };
    return owned.contains(section.trimmed() + u'/' + key.trimmed(), Qt::CaseInsensitive);
}

std::vector<Entry> EveryKey(const ProfileFile& profile)
{
    std::vector<Entry> entries;
    for (const QString& section : profile.SectionNames())
        for (const QString& key : profile.KeyNames(section))
            entries.push_back({section, key, profile.ReadString(section, key)});
    return entries;
}

QString Differences(const GameState& a, const GameState& b)
{
    QStringList changed;
    auto compare = [&](const char* name, auto x, auto y) {
        if (x != y)
            changed << QStringLiteral("%1: %2 -> %3").arg(QLatin1String(name)).arg(x).arg(y);
    };
    compare("LowCut", a.LowCutBand, b.LowCutBand);
    compare("Highcut", a.HighCutBand, b.HighCutBand);
    compare("Volumen", a.MasterVolume, b.MasterVolume);
    compare("Soundkarte", a.SoundCardId, b.SoundCardId);
    compare("Selektmode", a.ScoringMode, b.ScoringMode);
    compare("SoundStop", a.FeedbackTimeSetting, b.FeedbackTimeSetting);
    compare("Zufallszeit", a.RandomStartSeconds, b.RandomStartSeconds);
    compare("StartZeit", a.AutoRestartSeconds, b.AutoRestartSeconds);
    compare("Schwerpunkt", a.Training.Schwerpunkt, b.Training.Schwerpunkt);
    compare("Anschwellen", a.Training.Anschwellen, b.Training.Anschwellen);
    compare("Hintergrund", a.Training.Hintergrund, b.Training.Hintergrund);
    compare("[Training]", a.Training.SectionInFile, b.Training.SectionInFile);
    compare("Hinweise", a.Training.Hinweise, b.Training.Hinweise);
    compare("Lernpfad", a.Training.Lernpfad, b.Training.Lernpfad);
    compare("LernpfadRunde", a.Training.Path.TurnsCounted(), b.Training.Path.TurnsCounted());
    compare("LernpfadRunde", a.Training.Path.FirstTries(), b.Training.Path.FirstTries());
    if (a.Training.Path.Bands() != b.Training.Path.Bands())
        changed << QStringLiteral("LernpfadBaender changed");
    if (a.Training.Musik != b.Training.Musik)
        changed
            << QStringLiteral("Musik: \"%1\" -> \"%2\"").arg(a.Training.Musik, b.Training.Musik);
    if (a.ResultsFileName != b.ResultsFileName)
        changed << QStringLiteral("Dateiname: \"%1\" -> \"%2\"")
                       .arg(a.ResultsFileName, b.ResultsFileName);
    return changed.join(u'\n');
}

} // namespace

QString CheckSettingsFile(const QByteArray& bytes)
{
    ProfileFile original;
    original.LoadBytes(bytes);
    GameState first;
    ReadSettingsFrom(original, first);
    const std::vector<Entry> before = EveryKey(original);

    // As at shutdown: what was read goes back into the same file.
    ProfileFile written = original;
    WriteSettingsInto(written, first);
    const QByteArray writtenBytes = written.ToBytes();

    ProfileFile reread;
    reread.LoadBytes(writtenBytes);
    GameState second;
    ReadSettingsFrom(reread, second);
    if (const QString changed = Differences(first, second); !changed.isEmpty())
        return QStringLiteral("settings changed across a write:\n") + changed;

    for (const Entry& entry : before) {
        if (IsSettingsKey(entry.section, entry.key))
            continue;
        const auto after = reread.ReadString(entry.section, entry.key);
        if (after != entry.value)
            return QStringLiteral("[%1] %2 changed from \"%3\" to \"%4\"")
                .arg(entry.section, entry.key, entry.value.value_or(QStringLiteral("(none)")),
                     after.value_or(QStringLiteral("(none)")));
    }

    // The next start writes the same values again: nothing changes any more.
    ProfileFile again = reread;
    WriteSettingsInto(again, second);
    if (again.ToBytes() != writtenBytes)
        return QStringLiteral("a second write changed the file again");
    return {};
}
