#pragma once
// The "[Training]" section of the settings file: the options of the
// "Training" menu. Everything here is off by default, so a player who never
// opens that menu plays the game exactly as it always was.
// Writer: the settings reader fills it once at start-up; afterwards only the
// "Training" menu changes it, and LearningPathKeeper (session/) moves `Path` on.
// Everyone else reads it.

#include "model/LearningPath.h"

#include <QString>
#include <cstdint>

namespace TrainingDefaults {
constexpr std::int32_t Schwerpunkt = 0; // "Schwache Bänder üben" off
constexpr std::int32_t Anschwellen = 0; // the tone starts at full level
constexpr std::int32_t Hintergrund = 0; // 0 none, 1 pink noise, 2 music
constexpr std::int32_t Buehne = 0;      // START plays the sine turn
constexpr std::int32_t Hinweise = 0;    // no hint colours on the bank
constexpr std::int32_t Lernpfad = 0;    // every band in play may ring
} // namespace TrainingDefaults

// The values of "Hintergrund".
enum BedSource : std::int32_t { BedNone = 0, BedPinkNoise = 1, BedMusic = 2 };

struct TrainingSettings {
    std::int32_t Schwerpunkt = TrainingDefaults::Schwerpunkt; // 1: weak bands ring more often
    std::int32_t Anschwellen = TrainingDefaults::Anschwellen; // 1: the tone swells in
    std::int32_t Hintergrund = TrainingDefaults::Hintergrund; // background bed under the tone
    QString Musik;                                            // music file of the bed, empty: none
    std::int32_t Buehne = TrainingDefaults::Buehne;           // 1: START starts a stage turn
    std::int32_t Hinweise = TrainingDefaults::Hinweise;       // 1: wrong tries and answer coloured
    std::int32_t Lernpfad = TrainingDefaults::Lernpfad;       // 1: only the path's bands ring
    LearningPath Path; // empty until "Lernpfad" is first switched on
    QString Sprache;   // "en": our texts in English from the next start; else German
    // The last listening check: "DEVICE NAME|band indices heard".
    QString Hoertest;

    // Whether the file read at start-up had a "[Training]" section; with one
    // the section is always written back, without one only a changed value
    // creates it, so an untouched settings file stays byte for byte the same.
    bool SectionInFile = false;

    bool IsDefault() const
    {
        return Schwerpunkt == TrainingDefaults::Schwerpunkt &&
               Anschwellen == TrainingDefaults::Anschwellen &&
               Hintergrund == TrainingDefaults::Hintergrund && Musik.isEmpty() &&
               Buehne == TrainingDefaults::Buehne && Hinweise == TrainingDefaults::Hinweise &&
               Lernpfad == TrainingDefaults::Lernpfad && Path.Bands().empty() &&
               Sprache.isEmpty() && Hoertest.isEmpty();
    }
};
