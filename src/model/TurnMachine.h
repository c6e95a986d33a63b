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
//   any               NextTurnOverTone       Idle
//   any               GeneratorSwitchedOn    GeneratorSilent
//   any               GeneratorSwitchedOff   Idle
//   any               NewGame                Idle
//   any               ChartChosen            Idle (the chart on screen)
//   any               StageRequested         StageBuilding
//   StageBuilding     StageCancelled         Idle
//   StageBuilding     StageStarted           StageRunning
//   StageRunning      HowlStopped            StageRingingOut
//   StageRingingOut   HowlGrew               StageRunning
//   StageRunning      StageEnded             StageOver
//   StageRingingOut   StageEnded             StageOver
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
    StageOver         // "Bühne vorbei": the loop is silent, the faders stay as they were
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

class TurnMachine {
  public:
    // Moves on by the table. Returns false, changing nothing, for an event
    // the table has no row for in this phase. `chart` is the chart mode of a
    // ChartChosen and ignored otherwise.
    bool Fire(TurnEvent event, GameModeValue chart = ModeIdle);

    TurnPhase Phase() const { return phase_; }
    // The phase and the chart on screen as the one value the game shows.
    GameModeValue Mode() const;
    bool GeneratorSwitchedOn() const { return generatorOn_; }

    // What the player can do now.
    // Tries are judged: the search, including the random start delay.
    bool JudgesTries() const;
    // After a find or a give-up, on the bank.
    bool AfterTurn() const { return phase_ == TurnPhase::TurnOver || phase_ == TurnPhase::Replay; }
    bool GeneratorPhase() const
    {
        return phase_ == TurnPhase::GeneratorSilent || phase_ == TurnPhase::GeneratorPlaying;
    }
    // A stage turn that still sounds.
    bool StageSounding() const
    {
        return phase_ == TurnPhase::StageRunning || phase_ == TurnPhase::StageRingingOut;
    }
    bool StagePhase() const
    {
        return StageSounding() || phase_ == TurnPhase::StageBuilding ||
               phase_ == TurnPhase::StageOver;
    }
    // Whether a band fader in play can be dragged; `ringingBand` says whether
    // it is the turn's ringing band.
    bool BandFaderMovable(bool ringingBand) const;

  private:
    TurnPhase phase_ = TurnPhase::Idle;
    std::optional<GameModeValue> chart_; // a chart mode while one is shown
    bool generatorOn_ = false;
};
