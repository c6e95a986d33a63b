#pragma once
// What the "[MIDI]" section of the settings file remembers.

#include "midi/MidiMapping.h"

#include <QString>

struct MidiSettings {
    // The ports were open when the player last closed the dialog: open
    // them again at the next start.
    bool inUse = false;
    MidiMappingKind mapping = MidiMappingKind::GeneralCc;
    QString source;      // a port connected directly besides the own one
    QString destination; // the same for the feedback
    QString learned;     // MidiMapping::LearnedText
};
