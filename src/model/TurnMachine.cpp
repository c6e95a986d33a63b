#include "model/TurnMachine.h"

#include <array>

namespace {

// Stands for every phase in the `from` column.
constexpr std::optional<TurnPhase> AnyPhase;

struct Transition {
    std::optional<TurnPhase> from;
    TurnEvent event;
    TurnPhase to;
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
    Transition{AnyPhase, E::NextTurnOverTone, P::Idle},
    Transition{AnyPhase, E::GeneratorSwitchedOn, P::GeneratorSilent},
    Transition{AnyPhase, E::GeneratorSwitchedOff, P::Idle},
    Transition{AnyPhase, E::NewGame, P::Idle},
    Transition{AnyPhase, E::ChartChosen, P::Idle},
    Transition{AnyPhase, E::StageRequested, P::StageBuilding},
    Transition{P::StageBuilding, E::StageCancelled, P::Idle},
    Transition{P::StageBuilding, E::StageStarted, P::StageRunning},
    Transition{P::StageRunning, E::HowlStopped, P::StageRingingOut},
    Transition{P::StageRingingOut, E::HowlGrew, P::StageRunning},
    Transition{P::StageRunning, E::StageEnded, P::StageOver},
    Transition{P::StageRingingOut, E::StageEnded, P::StageOver},
};

} // namespace

bool TurnMachine::Fire(TurnEvent event, GameModeValue chart)
{
    for (const Transition& row : Transitions) {
        if (row.event != event || (row.from && *row.from != phase_))
            continue;
        phase_ = row.to;
        chart_.reset();
        if (event == E::ChartChosen)
            chart_ = chart;
        if (event == E::GeneratorSwitchedOn)
            generatorOn_ = true;
        if (event == E::GeneratorSwitchedOff)
            generatorOn_ = false;
        return true;
    }
    return false;
}

GameModeValue TurnMachine::Mode() const
{
    if (chart_)
        return *chart_;
    switch (phase_) {
    case P::Idle:
        return ModeIdle;
    case P::WaitingForStart:
    case P::Searching:
    case P::StageBuilding: // the cut range stays as the room was drawn for
    case P::StageRunning:
    case P::StageRingingOut:
        return ModeSearching;
    case P::TurnOver:
    case P::Replay:
    case P::StageOver:
        return ModeTurnOver;
    case P::GeneratorSilent:
        return ModeGeneratorSilent;
    case P::GeneratorPlaying:
        return ModeGeneratorPlaying;
    }
    return ModeIdle;
}

bool TurnMachine::JudgesTries() const
{
    return phase_ == P::Searching || phase_ == P::WaitingForStart;
}

bool TurnMachine::BandFaderMovable(bool ringingBand) const
{
    return JudgesTries() || GeneratorPhase() || StageSounding() || (AfterTurn() && ringingBand);
}
