#pragma once
// A control surface's hands on the bank: each MIDI move is a press on its
// fader followed by a drag to the new level, exactly as the mouse would do
// it; afterwards the surface is sent every level it does not show yet, so
// motor faders follow the game and a refused move springs back. Thread: GUI
// only (the MIDI thread stops at MidiPorts' inbox).

#include "midi/MidiPorts.h"
#include "midi/MidiSettings.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <array>

struct GameState;
struct SurfaceSlice;
class FaderInput;
class FaderModel;

class MidiBridge final : public QObject {
    Q_OBJECT
  public:
    MidiBridge(const GameState& state, SurfaceSlice& surface, FaderModel& faders, FaderInput& input,
               QObject* parent = nullptr);

    // Opens the ports if they are not yet open and applies the settings'
    // mapping and connections; false with the German reason.
    bool Start(const std::vector<MidiBackEnd>& order = DefaultMidiBackEnds,
               QString* errorText = nullptr);
    // At start-up: opens the ports only if the settings say they were in
    // use, and reports nothing.
    void StartRemembered(const QString& settingsPath);
    bool IsRunning() const { return ports_.IsOpen(); }
    // The JACK server under the ports went away; until one runs again the
    // ports are tried every few seconds with the mapping and connections
    // they had.
    bool ServerLost() const { return serverLost_; }
    MidiPorts& Ports() { return ports_; }

    const MidiSettings& Settings() const { return settings_; }
    // Reads the settings file's "[MIDI]" section; Start applies it.
    void LoadSettings(const QString& settingsPath);
    // Writes it back; false with the reason.
    bool SaveSettings(const QString& settingsPath, QString* errorText);

    const MidiMapping& Mapping() const { return mapping_; }
    void SetMappingKind(MidiMappingKind kind);
    bool ConnectSource(const QString& name, QString* errorText);
    bool ConnectDestination(const QString& name, QString* errorText);
    // While on, the next moved control is assigned to the selected fader,
    // and learning ends.
    void SetLearning(bool on);
    bool Learning() const { return learning_; }

  signals:
    // What arrived last, e.g. "CC 7 Kanal 1 = 93"; once per batch.
    void arrived(const QString& description);
    // A control was assigned while learning.
    void learned();
    // The ports closed with their server, or opened again.
    void runningChanged();
    // The bank shown on screen changed.
    void surfaceBankChanged();

  private:
    void LoseServer();
    void Reopen();
    void ScheduleTake();
    void TakeMessages();
    void Take(const MidiEvent& event);
    void ScheduleFeedback();
    void SendFeedback();
    void ForgetSurface();
    // Writes the bank the surface moves now, for the bank on screen.
    void ShowBank();

    const GameState& state_;
    SurfaceSlice& surface_;
    FaderInput& input_;
    MidiPorts ports_;
    MidiMapping mapping_;
    MidiSettings settings_;
    QTimer takeTimer_;
    QTimer reopenTimer_;
    bool serverLost_ = false;
    bool learning_ = false;
    bool feedbackPending_ = false;
    bool taking_ = false;
    bool takeAgain_ = false;
    // The level each control was last sent, or last sent us.
    std::array<int, MidiSlot::ValueSlotCount> surfaceLevels_{};
};
