#include "session/SettingsFile.h"

#include "platform/ProfileFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QStringTokenizer>

#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace {

const QString FilterSection = QStringLiteral("Filter");
const QString AudioSection = QStringLiteral("Audio");
const QString GameSection = QStringLiteral("Spiel");
const QString DataSection = QStringLiteral("Daten");
const QString TrainingSection = QStringLiteral("Training");

// Plain decimal only: "12abc", "1.5", "0x10" or a value beyond 32 bits is not
// a setting but a damaged line.
std::optional<std::int32_t> ParseDecimal(QStringView text)
{
    text = text.trimmed();
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'+' || text.front() == u'-')) {
        negative = text.front() == u'-';
        text = text.mid(1);
    }
    if (text.isEmpty())
        return std::nullopt;
    std::int64_t magnitude = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        magnitude = magnitude * 10 + (c.unicode() - u'0');
        if (magnitude > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1)
            return std::nullopt;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::int32_t ReadInteger(const ProfileFile& profile, const QString& section, const char* key,
                         std::int32_t defaultValue)
{
    const auto text = profile.ReadString(section, QString::fromLatin1(key));
    const auto value = text ? ParseDecimal(*text) : std::nullopt;
    return value.value_or(defaultValue);
}

// The game indexes the band table with the cut bands and the bands next to
// them, so a range from a hand-edited file must stay inside it.
void GuardCutRange(GameState& state)
{
    if (state.LowCutBand < 0 || state.LowCutBand > 25)
        state.LowCutBand = SettingDefaults::LowCut;
    if (state.HighCutBand < 1 || state.HighCutBand > 26)
        state.HighCutBand = SettingDefaults::HighCut;
    if (state.LowCutBand >= state.HighCutBand) {
        state.LowCutBand = SettingDefaults::LowCut;
        state.HighCutBand = SettingDefaults::HighCut;
    }
}

void WriteInteger(ProfileFile& profile, const QString& section, const char* key, std::int32_t value)
{
    profile.WriteString(section, QLatin1String(key), QString::number(value));
}

// Out-of-range switches read as off: a hand-edited file must not turn on
// something the player never chose.
std::int32_t ReadSwitch(const ProfileFile& profile, const char* key, std::int32_t defaultValue,
                        std::int32_t highest)
{
    const std::int32_t value = ReadInteger(profile, TrainingSection, key, defaultValue);
    return value >= 0 && value <= highest ? value : defaultValue;
}

std::vector<int> ReadNumbers(const ProfileFile& profile, const char* key, std::size_t mostCount);

void ReadTraining(const ProfileFile& profile, TrainingSettings& training)
{
    training.SectionInFile = profile.HasSection(TrainingSection);
    training.Schwerpunkt = ReadSwitch(profile, "Schwerpunkt", TrainingDefaults::Schwerpunkt, 1);
    training.Anschwellen = ReadSwitch(profile, "Anschwellen", TrainingDefaults::Anschwellen, 1);
    training.Hintergrund = ReadSwitch(profile, "Hintergrund", TrainingDefaults::Hintergrund, 2);
    training.Musik = profile.ReadString(TrainingSection, u"Musik").value_or(QString());
    training.Buehne = ReadSwitch(profile, "Buehne", TrainingDefaults::Buehne, 1);
    training.Hinweise = ReadSwitch(profile, "Hinweise", TrainingDefaults::Hinweise, 1);
    training.Lernpfad = ReadSwitch(profile, "Lernpfad", TrainingDefaults::Lernpfad, 1);
    const std::vector<int> bands = ReadNumbers(profile, "LernpfadBaender", BandCount);
    // A third number makes the round unreadable, as it always did.
    const std::vector<int> round = ReadNumbers(profile, "LernpfadRunde", 3);
    training.Path.Restore(bands, round.size() == 2 ? round[0] : 0,
                          round.size() == 2 ? round[1] : 0);
    training.Sprache = profile.ReadString(TrainingSection, u"Sprache").value_or(QString());
    training.Hoertest = profile.ReadString(TrainingSection, u"Hoertest").value_or(QString());
}

// "3 7 11 15": the first `mostCount` numbers of a list; anything else in it
// is left out. An edited file may hold megabytes here: the words are looked
// at one by one, never split into a list.
std::vector<int> ReadNumbers(const ProfileFile& profile, const char* key, std::size_t mostCount)
{
    std::vector<int> numbers;
    const QString text =
        profile.ReadString(TrainingSection, QString::fromLatin1(key)).value_or(QString());
    for (const QStringView word : QStringTokenizer(text, u' ', Qt::SkipEmptyParts)) {
        if (numbers.size() == mostCount)
            break;
        if (const auto number = ParseDecimal(word))
            numbers.push_back(*number);
    }
    return numbers;
}

QString NumberList(const std::vector<int>& numbers)
{
    QStringList words;
    for (int number : numbers)
        words.append(QString::number(number));
    return words.join(u' ');
}

// Only a section that is already there or a changed option is written, so the
// settings file of a player who never uses the "Training" menu keeps its bytes.
void WriteTraining(ProfileFile& profile, const TrainingSettings& training)
{
    if (!training.SectionInFile && !profile.HasSection(TrainingSection) && training.IsDefault())
        return;
    WriteInteger(profile, TrainingSection, "Schwerpunkt", training.Schwerpunkt);
    WriteInteger(profile, TrainingSection, "Anschwellen", training.Anschwellen);
    WriteInteger(profile, TrainingSection, "Hintergrund", training.Hintergrund);
    if (!profile.WriteString(TrainingSection, QStringLiteral("Musik"), training.Musik))
        profile.WriteString(TrainingSection, QStringLiteral("Musik"), QString());
    // Older files have no key for the stage: it appears once the stage is used.
    if (training.Buehne != 0 || profile.ReadString(TrainingSection, u"Buehne"))
        WriteInteger(profile, TrainingSection, "Buehne", training.Buehne);
    if (training.Hinweise != 0 || profile.ReadString(TrainingSection, u"Hinweise"))
        WriteInteger(profile, TrainingSection, "Hinweise", training.Hinweise);
    const LearningPath& path = training.Path;
    if (training.Lernpfad != 0 || !path.Bands().empty() ||
        profile.ReadString(TrainingSection, u"Lernpfad")) {
        WriteInteger(profile, TrainingSection, "Lernpfad", training.Lernpfad);
        profile.WriteString(TrainingSection, QStringLiteral("LernpfadBaender"),
                            NumberList(path.Bands()));
        profile.WriteString(TrainingSection, QStringLiteral("LernpfadRunde"),
                            NumberList({path.TurnsCounted(), path.FirstTries()}));
    }
    // Both appear once chosen or checked, never in a file that had neither.
    for (const auto& [key, value] : {std::pair{QStringLiteral("Sprache"), training.Sprache},
                                     std::pair{QStringLiteral("Hoertest"), training.Hoertest}})
        if (!value.isEmpty() || profile.ReadString(TrainingSection, key))
            profile.WriteString(TrainingSection, key, value);
}

} // namespace

QString SettingsFilePath(const QString& programDir)
{
    const QFileInfo programFolder(programDir);
    if (programFolder.isDir() && programFolder.isWritable())
        return QDir(programDir).filePath(QLatin1String(SettingsFileName));

    // A relative or empty XDG_CONFIG_HOME is to be ignored.
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty() || QDir::isRelativePath(configHome))
        configHome = QDir::homePath() + QStringLiteral("/.config");
    return QDir(configHome)
        .filePath(QStringLiteral("Heulmeister Pro/") + QLatin1String(SettingsFileName));
}

QString ReadLanguageSetting(const QString& path)
{
    ProfileFile profile;
    profile.Load(path);
    return profile.ReadString(TrainingSection, u"Sprache").value_or(QString());
}

void ReadSettings(const QString& path, GameState& state)
{
    ProfileFile profile;
    profile.Load(path); // an unreadable file reads as empty: all defaults
    ReadSettingsFrom(profile, state);
}

void ReadSettingsFrom(const ProfileFile& profile, GameState& state)
{
    state.LowCutBand = ReadInteger(profile, FilterSection, "LowCut", SettingDefaults::LowCut);
    state.HighCutBand = ReadInteger(profile, FilterSection, "Highcut", SettingDefaults::HighCut);
    state.MasterVolume = ReadInteger(profile, AudioSection, "Volumen", SettingDefaults::Volume);
    state.SoundCardId =
        ReadInteger(profile, AudioSection, "Soundkarte", SettingDefaults::SoundCard);
    state.ScoringMode =
        ReadInteger(profile, GameSection, "Selektmode", SettingDefaults::ScoringMode);
    state.FeedbackTimeSetting =
        ReadInteger(profile, GameSection, "SoundStop", SettingDefaults::FeedbackTime);
    state.ResultsFileName = profile.ReadString(DataSection, u"Dateiname").value_or(QString());
    state.RandomStartSeconds =
        ReadInteger(profile, GameSection, "Zufallszeit", SettingDefaults::RandomStart);
    state.AutoRestartSeconds =
        ReadInteger(profile, GameSection, "StartZeit", SettingDefaults::AutoRestart);
    ReadTraining(profile, state.Training);

    GuardCutRange(state);
    // A path from a wider cut range keeps only what can ring now.
    TrainingSettings& training = state.Training;
    if (training.Lernpfad != 0 || !training.Path.Bands().empty())
        training.Path.Fit(state.LowCutBand, state.HighCutBand);
    // An edited volume outside the fader's travel starts low, not at the
    // nearer end: a loud start is what the warning is about.
    if (state.MasterVolume < MinLevel || state.MasterVolume > MaxLevel)
        state.MasterVolume = -11;
}

bool WriteSettings(const QString& path, const GameState& state, QString* errorText)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        if (errorText)
            *errorText = QCoreApplication::translate("SettingsFile",
                                                     "Der Ordner %1 kann nicht angelegt werden.")
                             .arg(folder);
        return false;
    }

    // Never replace a file whose other lines could not be read.
    ProfileFile profile;
    if (!profile.Load(path, errorText))
        return false;
    WriteSettingsInto(profile, state);
    return profile.Save(path, errorText);
}

void WriteSettingsInto(ProfileFile& profile, const GameState& state)
{
    WriteInteger(profile, FilterSection, "LowCut", state.LowCutBand);
    WriteInteger(profile, FilterSection, "Highcut", state.HighCutBand);
    WriteInteger(profile, GameSection, "Selektmode", state.ScoringMode);
    WriteInteger(profile, GameSection, "SoundStop", state.FeedbackTimeSetting);
    WriteInteger(profile, GameSection, "Zufallszeit", state.RandomStartSeconds);
    WriteInteger(profile, GameSection, "StartZeit", state.AutoRestartSeconds);
    WriteInteger(profile, AudioSection, "Volumen", state.MasterVolume);
    WriteInteger(profile, AudioSection, "Soundkarte", state.SoundCardId);
    // A path with a line break cannot be stored in a line; forget it rather
    // than remember a different file.
    if (!profile.WriteString(DataSection, QStringLiteral("Dateiname"), state.ResultsFileName))
        profile.WriteString(DataSection, QStringLiteral("Dateiname"), QString());
    WriteTraining(profile, state.Training);
}

namespace {

const QString MidiSection = QStringLiteral("MIDI");

// A name that a line cannot hold is forgotten rather than cut.
void WriteText(ProfileFile& profile, const QString& section, const QString& key,
               const QString& value)
{
    if (!profile.WriteString(section, key, value))
        profile.WriteString(section, key, QString());
}

} // namespace

MidiSettings ReadMidiSettings(const QString& path)
{
    ProfileFile profile;
    profile.Load(path);
    MidiSettings midi;
    midi.inUse = ReadInteger(profile, MidiSection, "Aktiv", 0) == 1;
    const std::int32_t mapping = ReadInteger(profile, MidiSection, "Zuordnung", 0);
    if (mapping >= 0 && mapping <= static_cast<std::int32_t>(MidiMappingKind::Learned))
        midi.mapping = static_cast<MidiMappingKind>(mapping);
    midi.source = profile.ReadString(MidiSection, u"Eingang").value_or(QString());
    midi.destination = profile.ReadString(MidiSection, u"Ausgang").value_or(QString());
    midi.learned = profile.ReadString(MidiSection, u"Gelernt").value_or(QString());
    return midi;
}

bool WriteMidiSettings(const QString& path, const MidiSettings& midi, QString* errorText)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        if (errorText)
            *errorText = QCoreApplication::translate("SettingsFile",
                                                     "Der Ordner %1 kann nicht angelegt werden.")
                             .arg(QFileInfo(path).absolutePath());
        return false;
    }
    ProfileFile profile;
    if (!profile.Load(path, errorText))
        return false;
    WriteInteger(profile, MidiSection, "Aktiv", midi.inUse ? 1 : 0);
    WriteInteger(profile, MidiSection, "Zuordnung", static_cast<std::int32_t>(midi.mapping));
    WriteText(profile, MidiSection, QStringLiteral("Eingang"), midi.source);
    WriteText(profile, MidiSection, QStringLiteral("Ausgang"), midi.destination);
    WriteText(profile, MidiSection, QStringLiteral("Gelernt"), midi.learned);
    return profile.Save(path, errorText);
}
