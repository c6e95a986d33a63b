#pragma once
// The real window with its MIDI ports open on the test's JACK server and a
// surface stand-in connected to them.

#include "support/GameHarness.h"
#include "support/JackMidiClient.h"

#include <QByteArray>

class MidiGame {
  public:
    // Starts the game with `settings` and a "[MIDI]" section that asks for
    // the ports with `mapping` (0 CC, 1 Mackie, 2 learned), connects the
    // surface and waits until the first feedback has settled.
    bool Start(const QByteArray& settings, int mapping = 0);

    static QByteArray Cc(int number, int value, int channel = 0);
    static QByteArray Bend(int channel, int value);
    // A band fader's level, or the volume.
    int Level(int fader);
    // Waits (running the event loop) until `fader` shows `level`.
    bool WaitForLevel(int fader, int level);

    GameHarness game;
    JackMidiClient surface;
};
