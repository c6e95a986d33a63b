#include "support/MidiGame.h"

#include "session/MidiBridge.h"

#include <QtTest>

bool MidiGame::Start(const QByteArray& settings, int mapping)
{
    const QByteArray midi = "\n[MIDI]\nAktiv=1\nZuordnung=" + QByteArray::number(mapping) + "\n";
    if (!game.Start(settings + midi))
        return false;
    if (!QTest::qWaitFor([this] { return game.form->Midi().IsRunning(); }))
        return false;
    if (!surface.ConnectToGame())
        return false;
    surface.WaitUntilQuiet();
    surface.ClearReceived();
    return true;
}

QByteArray MidiGame::Cc(int number, int value, int channel)
{
    const char bytes[] = {char(0xb0 | channel), char(number), char(value)};
    return QByteArray(bytes, 3);
}

QByteArray MidiGame::Bend(int channel, int value)
{
    const char bytes[] = {char(0xe0 | channel), char(value & 0x7f), char(value >> 7)};
    return QByteArray(bytes, 3);
}

int MidiGame::Level(int fader)
{
    return fader == VolumeFader ? game.State().MasterVolume : game.State().BandTable[fader].Level;
}

bool MidiGame::WaitForLevel(int fader, int level)
{
    return QTest::qWaitFor([&] { return Level(fader) == level; }, 10000);
}
