#pragma once
// The main menu: "Datei", "Spielablauf", "Einstellung", "Auswertung" and
// "Hilfe", with the commands that only change a game setting. Everything else
// is exposed as actions or signals for the window to connect. Thread: GUI only.

#include "results/ResultsCommands.h"

#include <QHash>
#include <QObject>
#include <QPointer>

#include <cstdint>
#include <initializer_list>

class FaderModel;
struct GameState;
struct SettingsSlice;
class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;

// The items other parts of the program connect to or enable.
struct MainMenuActions {
    // Datei
    QAction* Laden = nullptr;
    QAction* Speichern = nullptr;
    QAction* SpeichernUnter = nullptr;
    QAction* Beenden = nullptr;
    // Spielablauf; its mark is owned by the generator, see feedbackGeneratorTriggered()
    QAction* Feedbackgenerator = nullptr;
    // Einstellung
    QAction* Soundkarte = nullptr;
    // Auswertung: the two submenus that need stored results, and the six charts
    QAction* Total = nullptr;
    QAction* Fortschritt = nullptr;
    QAction* AktuellVersuche = nullptr; // aAktuell
    QAction* AktuellZeit = nullptr;
    QAction* TotalVersuche = nullptr;
    QAction* TotalZeit = nullptr;
    QAction* FortschrittVersuche = nullptr;
    QAction* FortschrittZeit = nullptr;
    // Hilfe; the menu itself, so that later menus can stand in front of it
    QAction* Hilfe = nullptr;
    QAction* UeberHeulmeister = nullptr;
    QAction* Anleitung = nullptr;
};

class MainMenu : public QObject {
    Q_OBJECT
  public:
    // Fills `bar` with the five menus. `state` and `faders` must outlive this;
    // the menu writes only the SettingsSlice of `state`.
    MainMenu(QMenuBar* bar, GameState& state, FaderModel& faders, QObject* parent = nullptr);

    const MainMenuActions& Actions() const { return actions_; }

    // After the settings are read: mark the random start and automatic restart
    // items that carry the values read; other values keep the mark on "Aus".
    void ApplyStartupChecks();
    // "Soundkarte" is offered only when there is a choice.
    void SetSoundCardCount(int deviceCount);
    // "Total" and "Fortschritt" need results loaded from a file.
    void SetStoredResultsAvailable(bool available);
    // How the results commands switch "Speichern", "Total" and "Fortschritt".
    ResultsCommandHooks ResultsHooks();

  signals:
    void quitRequested();              // "Beenden"
    void autoRestartStopped();         // "Automatischer Neustart" > "Aus": stop reStart
    void feedbackTimeChosen();         // FeedbackTimeSetting changed: apply the feedback time
    void feedbackGeneratorTriggered(); // the action's mark still shows the state before the click
    void aboutRequested();             // "Über Heulmeister"
    void helpRequested();              // "Anleitung"

  private:
    struct ValueItem {
        const char* caption;
        int tag;
    };

    // Titles and captions are marked with QT_TRANSLATE_NOOP("MainMenu", ...)
    // and translated here, when the menu is made.
    QMenu* AddMenu(QMenuBar* bar, const char* title);
    QMenu* AddSubmenu(QMenu* parent, const char* title);
    QAction* AddItem(QMenu* menu, const char* caption);
    // Radio items carrying a value as their Tag; `onChosen` gets the Tag.
    QActionGroup* AddValueItems(QMenu* menu, std::initializer_list<ValueItem> items,
                                void (MainMenu::*onChosen)(int));
    // Marks the item whose Tag is `value`; with no such item the marks stay.
    void MarkValue(QActionGroup* group, int value);
    // Undoes the mark Qt moved on the click: only the opening of a menu moves it.
    void KeepMark(QActionGroup* group);
    void MarkOnOpen(QMenu* menu, QActionGroup* group, const std::int32_t& value);

    void BuildDatei(QMenuBar* bar);
    void BuildSpielablauf(QMenuBar* bar);
    void BuildEinstellung(QMenuBar* bar);
    void BuildAuswertung(QMenuBar* bar);
    void BuildHilfe(QMenuBar* bar);

    void ChooseFeedbackTime(int value);
    void ChooseRandomStart(int seconds);
    void ChooseAutoRestart(int seconds);
    void ChooseLowCut(int band);
    void ChooseHighCut(int band);
    void ChooseScoringMode(int mode);

    SettingsSlice& settings_;
    const GameState& state_;
    FaderModel& faders_;
    MainMenuActions actions_;
    QActionGroup* feedbackTimeGroup_ = nullptr;
    QActionGroup* randomStartGroup_ = nullptr;
    QActionGroup* autoRestartGroup_ = nullptr;
    QHash<QActionGroup*, QPointer<QAction>> marks_;
};
