#pragma once
// The painted fader bank as a screen reader meets it: one slider per fader,
// named as its label reads, with its level as the value. A new value goes
// back to the view as a request; the view has no rules and moves nothing
// itself. Thread: GUI only.

#include "model/BandSlot.h"

#include <QString>
#include <array>

class FaderView;
struct GameState;

// "25 Hz", "1 kHz", "1.25 kHz", "Lautstärke": the label drawn with its unit.
QString FaderAccessibleName(const GameState& state, int fader);

// "Fehlversuch" on a band tried wrongly in the running turn; with "Hinweise"
// also the side the ringing band lies on: "Fehlversuch, zu tief".
QString FaderAccessibleDescription(const GameState& state, int fader);

// Makes the bank's faders known to assistive tools; once is enough.
void InstallFaderAccessibility();

// What a screen reader last heard of each fader; tells the changes apart.
class QAccessibleInterface;

class FaderAnnouncer {
  public:
    // Sends the level, lock and selection changes since the last call. The
    // first call after a tool appears only takes the state in.
    void Announce(FaderView& view, const GameState& state);

  private:
    struct Heard {
        int level = 0;
        bool locked = false;
        bool selected = false;
    };
    static void AnnounceChange(QAccessibleInterface* slider, const Heard& before, const Heard& now);
    bool known_ = false;
    std::array<Heard, VolumeFader + 1> heard_{};
};
