#include "model/TurnMachine.h"

#include <algorithm>
#include <array>

namespace {

// Stands for every phase in the `from` column.
constexpr std::optional<TurnPhase> AnyPhase;

// Stands for "the phase stays" in the `to` column: a row that does nothing.
constexpr std::optional<TurnPhase> Stays;

struct Transition {
    std::optional<TurnPhase> from;
    TurnEvent event;
    std::optional<TurnPhase> to;
};

using P = TurnPhase;
using E = TurnEvent;

// The table of the header, row for row.
constexpr std::array Transitions{
    Transition{AnyPhase, E::TurnPrepared, P::WaitingForStart},
    Transition{AnyPhase, E::TurnToneStarted, P::Searching},
    Transition{P::Searching, E::Found, P::TurnOver},
    Transition{P::WaitingForStart, E::Found, P::TurnOver},
    Transition{AnyPhase, E::GivenUp, P::TurnOver},
    Transition{P::TurnOver, E::PlainToneStarted, P::Replay},
    Transition{P::GeneratorSilent, E::PlainToneStarted, P::GeneratorPlaying},
    Transition{P::GeneratorPlaying, E::PlainToneStarted, P::GeneratorPlaying},
    Transition{P::Replay, E::ToneEnded, P::TurnOver},
    Transition{P::GeneratorPlaying, E::ToneEnded, P::GeneratorSilent},
    // A turn's tone stopped by a find, a give-up, NEUES SPIEL or a chart.
    Transition{P::Idle, E::ToneEnded, Stays},
    Transition{P::WaitingForStart, E::ToneEnded, Stays},
    Transition{P::Searching, E::ToneEnded, Stays},
    Transition{P::TurnOver, E::ToneEnded, Stays},
    Transition{AnyPhase, E::NextTurnOverTone, P::Idle},
    Transition{AnyPhase, E::GeneratorSwitchedOn, P::GeneratorSilent},
    Transition{AnyPhase, E::GeneratorSwitchedOff, P::Idle},
    Transition{AnyPhase, E::NewGame, P::Idle},
    Transition{P::Searching, E::ChartChosen, P::ChartOverTone},
    Transition{P::Replay, E::ChartChosen, P::ChartOverTone},
    Transition{P::GeneratorPlaying, E::ChartChosen, P::ChartOverTone},
    Transition{P::ChartOverTone, E::ChartChosen, P::ChartOverTone},
    Transition{P::ChartOverTone, E::ToneEnded, P::Idle},
    Transition{AnyPhase, E::ChartChosen, P::Idle},
    Transition{AnyPhase, E::StageRequested, P::StageBuilding},
    Transition{P::StageBuilding, E::StageCancelled, P::Idle},
    Transition{P::StageBuilding, E::StageStarted, P::StageRunning},
    Transition{P::StageRunning, E::HowlStopped, P::StageRingingOut},
    Transition{P::StageRingingOut, E::HowlGrew, P::StageRunning},
    Transition{P::StageRunning, E::StageEnded, P::StageOver},
    Transition{P::StageRingingOut, E::StageEnded, P::StageOver},
};

using S = StartPress;
using D = BandDrag;
using K = LevelKeys;
using T = RaisedBandTone;

// What each phase allows, in the order of TurnPhase.
constexpr std::array<PhaseRules, 12> RulesByPhase{
    // Idle: the level keys move a band in every phase but the stage's.
    PhaseRules{.mode = ModeIdle,
               .start = S::BeginsTurn,
               .drag = D::None,
               .keys = K::All,
               .plainTone = T::None,
               .enterClears = true,
               .practiceSetEnds = true},
    // WaitingForStart
    PhaseRules{.mode = ModeSearching,
               .start = S::BeginsTurn,
               .drag = D::All,
               .keys = K::All,
               .plainTone = T::None,
               .judgesMoves = true,
               .enterClears = true,
               .turnLines = true,
               .cutRangeFixed = true},
    // Searching
    PhaseRules{.mode = ModeSearching,
               .start = S::EndsTurn,
               .drag = D::All,
               .keys = K::All,
               .plainTone = T::None,
               .judgesMoves = true,
               .enterClears = true,
               .turnLines = true,
               .cutRangeFixed = true},
    // TurnOver
    PhaseRules{.mode = ModeTurnOver,
               .start = S::BeginsTurn,
               .drag = D::RingingOnly,
               .keys = K::All,
               .plainTone = T::RingingBand,
               .afterTurn = true,
               .enterClears = true,
               .turnLines = true},
    // Replay
    PhaseRules{.mode = ModeTurnOver,
               .start = S::StopsTone,
               .drag = D::RingingOnly,
               .keys = K::All,
               .plainTone = T::RingingBand,
               .afterTurn = true,
               .enterClears = true,
               .turnLines = true},
    // GeneratorSilent
    PhaseRules{.mode = ModeGeneratorSilent,
               .start = S::BeginsTurn,
               .drag = D::All,
               .keys = K::All,
               .plainTone = T::AnyBand,
               .enterClears = true,
               .practiceSetEnds = true},
    // GeneratorPlaying
    PhaseRules{.mode = ModeGeneratorPlaying,
               .start = S::StopsTone,
               .drag = D::All,
               .keys = K::All,
               .plainTone = T::AnyBand,
               .enterClears = true,
               .practiceSetEnds = true},
    // StageBuilding: the cut range stays as the room was drawn for.
    PhaseRules{.mode = ModeSearching,
               .start = S::EndsTurn,
               .drag = D::None,
               .keys = K::None,
               .plainTone = T::None,
               .turnLines = true,
               .cutRangeFixed = true},
    // StageRunning: Space does nothing on stage.
    PhaseRules{.mode = ModeSearching,
               .start = S::EndsTurn,
               .drag = D::All,
               .keys = K::AllButZero,
               .plainTone = T::None,
               .judgesMoves = true,
               .turnLines = true,
               .cutRangeFixed = true},
    // StageRingingOut
    PhaseRules{.mode = ModeSearching,
               .start = S::EndsTurn,
               .drag = D::All,
               .keys = K::AllButZero,
               .plainTone = T::None,
               .judgesMoves = true,
               .turnLines = true,
               .cutRangeFixed = true},
    // StageOver
    PhaseRules{.mode = ModeTurnOver,
               .start = S::BeginsTurn,
               .drag = D::None,
               .keys = K::None,
               .plainTone = T::None,
               .turnLines = true},
    // ChartOverTone: as Idle, but START stops the tone first.
    PhaseRules{.mode = ModeIdle,
               .start = S::StopsTone,
               .drag = D::None,
               .keys = K::All,
               .plainTone = T::None,
               .enterClears = true,
               .practiceSetEnds = true},
};
static_assert(RulesByPhase.size() == std::size_t(TurnPhase::ChartOverTone) + 1);

} // namespace

TurnMachine::Outcome TurnMachine::Fire(TurnEvent event, GameModeValue chart)
{
    for (const Transition& row : Transitions) {
        if (row.event != event || (row.from && *row.from != phase_))
            continue;
        if (!row.to)
            return Outcome::Ignored;
        phase_ = *row.to;
        // A tone that ends changes nothing on screen.
        if (event != E::ToneEnded)
            chart_.reset();
        if (event == E::ChartChosen)
            chart_ = chart;
        if (event == E::GeneratorSwitchedOn)
            generatorOn_ = true;
        if (event == E::GeneratorSwitchedOff)
            generatorOn_ = false;
        return Outcome::Moved;
    }
    return Outcome::Refused;
}

const PhaseRules& TurnMachine::RulesOf(TurnPhase phase)
{
    return RulesByPhase[std::size_t(phase)];
}

bool TurnMachine::CutRangeFixed(GameModeValue mode)
{
    return std::any_of(RulesByPhase.begin(), RulesByPhase.end(), [mode](const PhaseRules& rules) {
        return rules.mode == mode && rules.cutRangeFixed;
    });
}

bool TurnMachine::BandFaderMovable(bool ringingBand) const
{
    const BandDrag drag = Rules().drag;
    return drag == BandDrag::All || (drag == BandDrag::RingingOnly && ringingBand);
}
