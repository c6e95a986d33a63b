#include "session/FaderInput.h"

#include "display/FaderGeometry.h"
#include "display/Nearest.h"
#include "model/GameState.h"
#include "session/GameFlow.h"

#include <algorithm>

FaderInput::FaderInput(GameFlow& game, const GameState& state,
                       std::function<const FaderGeometry&()> geometry,
                       std::function<QSize()> paintBox)
    : game_(game), state_(state), geometry_(std::move(geometry)), paintBox_(std::move(paintBox))
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
    if (buttons & Qt::RightButton)
        game_.SecondButton();
}

void FaderInput::PressFader(int fader)
{
    game_.PressFader(fader);
}

void FaderInput::FaderMouseMove(Qt::MouseButtons buttons, int, int y)
{
    if (buttons & Qt::LeftButton)
        DragSelectedTo(DragLevel(y));
}

void FaderInput::DragSelectedTo(int level)
{
    game_.DragSelectedTo(level);
}

void FaderInput::SetLevelWithKeys(int fader, int level)
{
    PressFader(fader);
    // Step by step, as the player's keys would, so each level on the way is
    // judged as theirs is (under "Anwahl" the first step already counts).
    for (int steps = 0; steps < MaxLevel - MinLevel && state_.SelectedFader == fader; ++steps) {
        const int before = FaderLevel(state_, fader);
        if (before == level)
            break;
        FormKeyDown(before < level ? Qt::Key_Up : Qt::Key_Down);
        if (FaderLevel(state_, fader) == before)
            break;
    }
}

bool FaderInput::FormKeyDown(int qtKey)
{
    using Key = GameFlow::LevelKey;
    switch (qtKey) {
    case Qt::Key_Right:
        game_.StepSelection(+1);
        return true;
    case Qt::Key_Left:
        game_.StepSelection(-1);
        return true;
    case Qt::Key_Up:
        game_.PressLevelKey(Key::Up);
        return true;
    case Qt::Key_Down:
        game_.PressLevelKey(Key::Down);
        return true;
    case Qt::Key_Space:
        game_.PressLevelKey(Key::Zero);
        return true;
    case Qt::Key_PageUp:
        game_.PressLevelKey(Key::Top);
        return true;
    case Qt::Key_PageDown:
        game_.PressLevelKey(Key::Bottom);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        game_.ConfirmKey();
        return true;
    default:
        return false;
    }
}

void FaderInput::FormKeyPress(QChar character)
{
    if (character.toUpper() == QLatin1Char('V'))
        game_.SelectVolumeFader();
}
