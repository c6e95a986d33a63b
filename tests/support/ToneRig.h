#pragma once
// A tone output on the scripted wave device, with the game state it reads:
// the set-up of every test of the tone output on its own.

#include "audio/ToneOutput.h"
#include "model/GameState.h"
#include "support/FakeWaveOut.h"
#include "support/ScriptedDialogs.h"

#include <QStringList>

struct ToneRig {
    GameState state;
    FakeWaveOut wave;
    ScriptedDialogs dialogs;
    ToneOutput tone{state, wave, dialogs};
    ToneKind kind = ToneKind::Turn; // what Start plays

    ToneRig() = default;
    ToneRig(const ToneRig&) = delete;
    ToneRig& operator=(const ToneRig&) = delete;
    ~ToneRig() { tone.Shutdown(); }

    void Start(double frequencyHz = 1000.0)
    {
        tone.PrepareTone(frequencyHz, kind);
        tone.StartToneOutput();
    }
    // The device operations since call `from`, in order.
    QStringList OperationsSince(int from) const
    {
        QStringList operations;
        for (int i = from; i < wave.calls.size(); ++i)
            operations << wave.calls[i].operation;
        return operations;
    }
};
