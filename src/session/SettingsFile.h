#pragma once
// The settings file "Heulmeister Pro.inf": read once at start-up into the
// form's fields, written back once at shutdown. Thread: GUI.

#include "midi/MidiSettings.h"
#include "model/GameState.h"

#include <QString>

class ProfileFile;

inline constexpr char SettingsFileName[] = "Heulmeister Pro.inf";

// Next to the program when that folder is writable, as on Windows; otherwise
// (an installed program) in $XDG_CONFIG_HOME/Heulmeister Pro, falling back to
// ~/.config/Heulmeister Pro.
QString SettingsFilePath(const QString& programDir);

// Fills the nine settings fields and the "[Training]" options; a missing
// file, key or integer gives the default. A cut range the band table cannot
// hold falls back to the defaults, a volume outside -12..12 becomes -11;
// nothing checks them again later.
void ReadSettings(const QString& path, GameState& state);
// "[Training] Sprache" alone, for the language of what comes before the window.
QString ReadLanguageSetting(const QString& path);

// The same on a profile already in memory.
void ReadSettingsFrom(const ProfileFile& profile, GameState& state);
// Sets the nine keys in the write order, keeping every other line.
void WriteSettingsInto(ProfileFile& profile, const GameState& state);

// Writes the nine keys, keeping every other line of an existing file, and
// creates the folder if needed. The "[Training]" keys are written only when
// the file has that section or an option differs from its default. False with the reason when the
// file cannot be read or written; an existing file is then left as it was.
bool WriteSettings(const QString& path, const GameState& state, QString* errorText = nullptr);

// The "[MIDI]" section, read when the ports may open and written when the
// MIDI dialog closes, in its own pass over the file: every other line stays.
// Unknown or damaged values read as the defaults.
MidiSettings ReadMidiSettings(const QString& path);
bool WriteMidiSettings(const QString& path, const MidiSettings& midi, QString* errorText = nullptr);
