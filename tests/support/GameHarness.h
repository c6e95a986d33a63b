#pragma once
// The real main window with a scripted wave device, a fake clock and a
// scripted random generator, plus the player's hands: clicks, drags, START.

#include "support/FakeClockAndRandom.h"
#include "support/FakeWaveOut.h"
#include "support/GameWindow.h"
#include "support/OfflineStagePlayer.h"
#include "support/ScriptedDialogs.h"

#include <QPoint>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <optional>

class GameFlow;
class StatusPanel;

// With the default cut 11..22 the ringing band is 12 + the first draw.
constexpr int DrawFor1k = 3;  // band 15, "1k"
constexpr int DrawFor800 = 2; // band 14

class GameHarness {
  public:
    GameHarness();
    ~GameHarness();
    // Where the window's training journal lives.
    QString JournalPath() const;

    // Writes `settings` as the settings file, starts the game and shows it.
    // False when the window did not come up.
    bool Start(const QByteArray& settings, const QStringList& arguments = {});
    // The same with whatever is in programDir as the settings file.
    bool StartAsIs(const QStringList& arguments = {});
    QString SettingsPath() const;
    void Stop() { form.reset(); }

    const GameState& State() const { return form->State(); }
    FaderModel& Faders() { return form->Faders(); }
    bool SoundIdle() { return form->Tone().SoundIdle(); }
    GameFlow& Game() { return form->Game(); }
    StatusPanel* Panel() { return form->Panel1(); }

    // Centre of a fader's column at the height of `level`, in the paint box's
    // logical coordinates.
    QPoint FaderPoint(int fader, int level = 0) const;
    void ClickFader(int fader, Qt::MouseButton button = Qt::LeftButton);
    // A drag with the left button held, to the height of `level`; the stage's
    // judgement of it is waited for unless told otherwise.
    void DragTo(int level, bool waitForStage = true);
    // START; a stage turn is then waited for until it is built.
    void ClickStart();
    // START alone: the window's event loop has not run since.
    void PressStart();
    void ClickNewGame();
    // A menu item by the path the player reads ("Auswertung/Aktuell/Versuche");
    // false when there is no such enabled item.
    bool TriggerMenuItem(const QString& path);
    void Key(Qt::Key key);
    // The stage's gain timer fired: the gain rises.
    void RiseStageGain();
    // Until the stage's loop analysis has answered everything asked of it;
    // clicks, drags and keys wait for it by themselves.
    void WaitForStage();
    // START with the band draw scripted; the tone runs afterwards.
    void StartTurnRinging(int draw);
    // How often the wave device saw `operation`.
    int Calls(const QString& operation) const;
    // The status lines as the 70 ms timer writes them now.
    QStringList Labels();

    QTemporaryDir programDir;
    // XDG_DATA_HOME while the harness lives: the training journal lands
    // here, never in the real ~/.local/share.
    QTemporaryDir dataHome;
    ScriptedDialogs dialogs;
    FakeClock clock;
    ScriptedRandom random;
    FakeWaveOut waveOut;
    OfflineStagePlayer stagePlayer;
    std::unique_ptr<GameWindow> form;

  private:
    std::optional<QByteArray> previousDataHome_;
};
