#pragma once
// The game and its window, built as the program builds them, and the parts
// a test watches: the game through its session, the window through the
// widgets the player sees, found as children of the window.

#include "game/MainForm.h"
#include "session/GameSession.h"

class ConfusionView;
class FaderView;
class GameFlow;
class JournalService;
class LearningCurveView;
class MainMenu;
class MidiBridge;
class QLabel;
class StatusPanel;
class TrainingMenu;

struct GameWindow {
    GameWindow(const GameServices& services, const MainFormPlaces& places)
        : session(services), form(session, places)
    {
    }

    GameSession session;
    MainForm form; // goes before the session it was handed

    const GameState& State() const { return session.State(); }
    FaderModel& Faders() { return session.Faders(); }
    ToneOutput& Tone() { return session.Tone(); }
    GameFlow& Game() { return session.Game(); }
    JournalService& TrainingJournal() { return session.Journal(); }

    FaderView* Fader() const;
    const FaderRenderer& Renderer() const;
    StatusPanel* Panel1() const;
    QLabel* Panel2() const;
    MainMenu* Menu() const;
    TrainingMenu* Training() const;
    MidiBridge& Midi() const;
    // The journal's windows, while they are open.
    ConfusionView* OpenConfusions() const;
    LearningCurveView* OpenLearningCurve() const;

    bool StartUp(bool warningAccepted = false) { return form.StartUp(warningAccepted); }
    void ShowCoveringScreen() { form.ShowCoveringScreen(); }
};

// The paint box's pixels as the X server holds them (a real window on xcb).
QImage ScreenPictureOfFader(const GameWindow& form);
