#pragma once
// The phases of a turn and the one table of how they follow each other.
//
// The chart on screen is kept apart from the phase: choosing a chart ends
// whatever phase ran (a running turn stops counting, the bank cannot be
// played), and every other event shows the bank again. GameMode, which the
// picture, the status lines and the charts read, is the two put together.
//
// Which tone plays is the tone output's to know; the table only names the
// events that start and end them.
//
//   from              event                  to
//   any               TurnPrepared           WaitingForStart
//   any               TurnToneStarted        Searching
//   Searching         Found                  TurnOver
//   WaitingForStart   Found                  TurnOver
//   any               GivenUp                TurnOver
//   TurnOver          PlainToneStarted       Replay
//   GeneratorSilent   PlainToneStarted       GeneratorPlaying
//   GeneratorPlaying  PlainToneStarted       GeneratorPlaying
//   Replay            ToneEnded              TurnOver
//   GeneratorPlaying  ToneEnded              GeneratorSilent
//   Idle, WaitingForStart, Searching, TurnOver
//                     ToneEnded              (stays)
//   any               NextTurnOverTone       Idle
//   any               GeneratorSwitchedOn    GeneratorSilent
//   any               GeneratorSwitchedOff   Idle
//   any               NewGame                Idle
//   Searching         ChartChosen            ChartOverTone (the chart on screen)
//   Replay            ChartChosen            ChartOverTone
//   GeneratorPlaying  ChartChosen            ChartOverTone
//   ChartOverTone     ChartChosen            ChartOverTone
//   ChartOverTone     ToneEnded              Idle (the chart stays)
//   any               ChartChosen            Idle (the chart on screen)
//   any               StageRequested         StageBuilding
//   StageBuilding     StageCancelled         Idle
//   StageBuilding     StageStarted           StageRunning
//   StageRunning      HowlStopped            StageRingingOut
//   StageRingingOut   HowlGrew               StageRunning
//   StageRunning      StageEnded             StageOver
//   StageRingingOut   StageEnded             StageOver
//
// Rows that do nothing list the ToneEnded of a turn's tone stopped by a
// find, a give-up, NEUES SPIEL or a chart; any other event a phase has no
// row for is refused, and the game logs it as a fault.
//
// A Found during the random start delay is the previous turn's band being
// selected again while its RingingBand still stands. A stage is built away
// from the window: START again or switching "Bühne" off cancels the build.
// A stage turn ends in StageOver after START or its last howl. NEUES SPIEL,
// a chart or the generator end a build or a stage turn through their own
// rows. Thread: GUI only.

#include "model/GameState.h"

#include <optional>

enum class TurnPhase {
    Idle,             // nothing runs: before the first turn, after NEUES SPIEL or a chart
    WaitingForStart,  // the bank is cleared, the random start delay runs
    Searching,        // the turn's tone started; tries count
    TurnOver,         // found or given up; Enter and the right button start the next
    Replay,           // after a find, the ringing band raised: its tone plays again
    GeneratorSilent,  // the feedback generator is on, no band raised
    GeneratorPlaying, // the feedback generator plays the raised band
    StageBuilding,    // START with "Bühne" on: the room and the loop are being built
    StageRunning,     // "Bühne läuft": a howl grows; the band faders in play move freely
    StageRingingOut,  // "Einpegeln": the howl was stopped, G rises every 2 s
    StageOver,        // "Bühne vorbei": the loop is silent, the faders stay as they were
    ChartOverTone     // a chart shown while a turn's, a replay's or the generator's tone rings on
};

enum class TurnEvent {
    TurnPrepared,         // START or a new turn cleared the bank
    TurnToneStarted,      // a turn's tone starts
    Found,                // the ringing band was found
    GivenUp,              // START while a tone plays
    PlainToneStarted,     // a band raised to +6: the generator's or the replay's tone
    ToneEnded,            // the tone output stopped
    NextTurnOverTone,     // the next turn was due while a replay still rang
    GeneratorSwitchedOn,  // "Feedbackgenerator" checked
    GeneratorSwitchedOff, // "Feedbackgenerator" unchecked
    NewGame,              // the game's results cleared
    ChartChosen,          // one of the "Auswertung" charts
    StageRequested,       // START with "Bühne" on: a new room is drawn
    StageCancelled,       // START again, or "Bühne" off, before the room was ready
    StageStarted,         // the room is ready: its first howl grows
    HowlStopped,          // a cut put the howl's pole inside the unit circle
    HowlGrew,             // after a gain rise the next pole grows
    StageEnded            // START during a stage turn, or its last howl stopped
};

// What the player's hands do in a phase: the second half of the table.
// What START (and, after a turn, Enter and the right button) does.
enum class StartPress {
    BeginsTurn, // a turn of the kind chosen now
    EndsTurn,   // the running turn's kind ends it: given up, stopped, its build cancelled
    StopsTone   // a replay or the generator's tone stops, and the turn is over
};
// Which band faders in play follow a drag.
enum class BandDrag { None, All, RingingOnly };
// Which level keys move a band fader in play ("Space" is Zero).
enum class LevelKeys { All, AllButZero, None };
// Which raised band plays its plain tone.
enum class RaisedBandTone { None, AnyBand, RingingBand };

struct PhaseRules {
    GameModeValue mode = ModeIdle; // what the picture, the status lines and the charts read
    StartPress start = StartPress::BeginsTurn;
    BandDrag drag = BandDrag::None;
    LevelKeys keys = LevelKeys::None;
    RaisedBandTone plainTone = RaisedBandTone::None;
    bool judgesMoves = false;     // a band in play that moves is the running turn's to judge
    bool afterTurn = false;       // Enter and the right button start the next turn
    bool enterClears = false;     // Enter sets the band faders back to 0
    bool turnLines = false;       // the status lines are the running turn's
    bool cutRangeFixed = false;   // the cut range menus do nothing
    bool practiceSetEnds = false; // a practice set between two turns ends here
};

class TurnMachine {
  public:
    enum class Outcome {
        Moved,   // a row took the event: the phase (or the chart) may differ
        Ignored, // a row lists it as doing nothing here
        Refused  // no row lists it: a fault in whoever sent it
    };
    // Moves on by the table. `chart` is the chart mode of a ChartChosen and
    // ignored otherwise.
    Outcome Fire(TurnEvent event, GameModeValue chart = ModeIdle);

    TurnPhase Phase() const { return phase_; }
    const PhaseRules& Rules() const { return RulesOf(phase_); }
    static const PhaseRules& RulesOf(TurnPhase phase);
    // Whether the cut range is fixed while the game shows `mode`.
    static bool CutRangeFixed(GameModeValue mode);
    // The phase and the chart on screen as the one value the game shows.
    GameModeValue Mode() const { return chart_ ? *chart_ : Rules().mode; }
    bool GeneratorSwitchedOn() const { return generatorOn_; }

    // Whether a band fader in play can be dragged; `ringingBand` says whether
    // it is the turn's ringing band.
    bool BandFaderMovable(bool ringingBand) const;

  private:
    TurnPhase phase_ = TurnPhase::Idle;
    std::optional<GameModeValue> chart_; // a chart mode while one is shown
    bool generatorOn_ = false;
};
