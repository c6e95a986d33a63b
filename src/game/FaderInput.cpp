#include "game/FaderInput.h"

#include "audio/ToneOutput.h"
#include "display/FaderGeometry.h"
#include "display/Nearest.h"
#include "game/GameFlow.h"
#include "model/FaderModel.h"
#include "model/GameState.h"

#include <algorithm>

FaderInput::FaderInput(const GameState& state, FaderModel& faders, GameFlow& game, ToneOutput& tone,
                       std::function<const FaderGeometry&()> geometry,
                       std::function<QSize()> paintBox)
    : state_(state), faders_(faders), game_(game), tone_(tone), geometry_(std::move(geometry)),
      paintBox_(std::move(paintBox))
{
}

int FaderInput::HitTest(int x) const
{
    const int columnWidth = geometry_().ColumnWidth;
    if (columnWidth <= 0 || x < 0) // a paint box too narrow for any column
        return NoFader;
    const int fader = x / columnWidth - 1;
    if (fader < 0)
        return NoFader;
    if (fader == BandCount)
        return BandCount - 1;
    return std::min(fader, VolumeFader);
}

int FaderInput::DragLevel(int y) const
{
    const int trackHeight = geometry_().TrackHeight;
    if (trackHeight <= 0)
        return 0;
    const double trackTop = paintBox_().height() / 10.0;
    const int level = Nearest(12.0 - 25.0 * (y - trackTop) / trackHeight);
    return std::clamp(level, MinLevel, MaxLevel);
}

void FaderInput::FaderMouseDown(Qt::MouseButtons buttons, int x, int)
{
    if (buttons & Qt::LeftButton)
        PressFader(HitTest(x));
    if ((buttons & Qt::RightButton) && state_.GameMode == ModeTurnOver)
        game_.pNeuClick();
}

void FaderInput::PressFader(int fader)
{
    if (fader == state_.SelectedFader)
        return;
    const int previous = state_.SelectedFader;
    if (state_.GameMode == ModeTurnOver && FaderKind(state_, fader) == FaderInPlay &&
        FaderKind(state_, previous) == FaderInPlay) {
        // Leaving a replayed band ends its tone.
        faders_.SetLevel(previous, 0);
        tone_.StopTone();
        faders_.SetLocked(previous, false);
    }
    faders_.SelectFader(fader);
    game_.EvaluateFader();
}

void FaderInput::FaderMouseMove(Qt::MouseButtons buttons, int, int y)
{
    if (buttons & Qt::LeftButton)
        DragSelectedTo(DragLevel(y));
}

void FaderInput::DragSelectedTo(int level)
{
    const int s = state_.SelectedFader;
    const FaderKindValue kind = FaderKind(state_, s);
    if (kind == FaderInPlay) {
        const GameModeValue mode = state_.GameMode;
        const bool movable = mode == ModeGeneratorPlaying || mode == ModeGeneratorSilent ||
                             mode == ModeSearching ||
                             (mode == ModeTurnOver && s == state_.RingingBand);
        if (movable && level != state_.BandTable[s].Level) {
            faders_.SetLevel(s, level);
            game_.EvaluateFader();
        }
    }
    if (kind == FaderVolume && level != state_.MasterVolume)
        ChangeVolume(level);
}

void FaderInput::ChangeVolume(int newVolume)
{
    faders_.SetMasterVolume(newVolume);
    tone_.ApplyVolume();
}

void FaderInput::ResetGeneratorFaderBeforeLeaving()
{
    const int s = state_.SelectedFader;
    if (state_.GameMode != ModeGeneratorPlaying || FaderKind(state_, s) != FaderInPlay)
        return;
    faders_.SetLevel(s, 0);
    faders_.SetLocked(s, false);
    tone_.StopTone();
}

bool FaderInput::FormKeyDown(int qtKey)
{
    const int s = state_.SelectedFader;
    const FaderKindValue kind = FaderKind(state_, s);
    const bool band = kind == FaderInPlay;
    const int level = band ? state_.BandTable[s].Level : 0;

    switch (qtKey) {
    case Qt::Key_Right: {
        ResetGeneratorFaderBeforeLeaving();
        const int next = state_.SelectedFader + 1;
        switch (FaderKind(state_, next)) {
        case FaderBelowCut:
            faders_.SelectFader(state_.HighCutBand);
            break;
        case FaderAboveCut:
            faders_.SelectFader(VolumeFader);
            break;
        case FaderVolume:
            faders_.SelectFader(state_.LowCutBand);
            break;
        case FaderInPlay:
            faders_.SelectFader(next);
            break;
        }
        return true;
    }
    case Qt::Key_Left: {
        ResetGeneratorFaderBeforeLeaving();
        const int next = state_.SelectedFader - 1;
        switch (FaderKind(state_, next)) {
        case FaderBelowCut:
            faders_.SelectFader(state_.HighCutBand);
            break;
        case FaderAboveCut:
            faders_.SelectFader(state_.LowCutBand);
            break;
        default:
            faders_.SelectFader(next);
            break;
        }
        return true;
    }
    case Qt::Key_Up:
        if (band && level < MaxLevel)
            faders_.SetLevel(s, level + 1);
        else if (kind == FaderVolume && state_.MasterVolume < MaxLevel)
            ChangeVolume(state_.MasterVolume + 1);
        // Evaluated even at the top: under "Anwahl" this is how a key finds.
        game_.EvaluateFader();
        return true;
    case Qt::Key_Down:
        if (band && level > MinLevel) {
            faders_.SetLevel(s, level - 1);
            game_.EvaluateFader();
        } else if (kind == FaderVolume && state_.MasterVolume > MinLevel) {
            ChangeVolume(state_.MasterVolume - 1);
        }
        return true;
    case Qt::Key_Space:
        if (band && level != 0)
            faders_.SetLevel(s, 0);
        return true;
    case Qt::Key_PageUp:
        if (band && level < MaxLevel) {
            faders_.SetLevel(s, MaxLevel);
            game_.EvaluateFader();
        }
        return true;
    case Qt::Key_PageDown:
        if (band && level > MinLevel) {
            faders_.SetLevel(s, MinLevel);
            game_.EvaluateFader();
        }
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        faders_.ResetLevels();
        if (state_.GameMode == ModeTurnOver)
            game_.pNeuClick();
        return true;
    default:
        return false;
    }
}

void FaderInput::FormKeyPress(QChar character)
{
    if (character.toUpper() == QLatin1Char('V'))
        faders_.SelectFader(VolumeFader);
}
