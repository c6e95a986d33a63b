#pragma once
// Mouse and keyboard on the fader bank, turned into the game's intents
// (GameFlow): which fader a press hits, which level a drag reaches, which
// key means what. Holds no rule and no state. Positions are in the paint
// box's device pixels, the unit the renderer draws in. Thread: GUI only.

#include <QSize>
#include <Qt>
#include <functional>

struct FaderGeometry;
struct GameState;
class GameFlow;

class FaderInput {
  public:
    // `geometry` and `paintBox` give the drawn picture's geometry at the
    // time of the event; `state` is what the keys see (read only).
    FaderInput(GameFlow& game, const GameState& state,
               std::function<const FaderGeometry&()> geometry, std::function<QSize()> paintBox);

    // The fader under x: -1 for the empty first column, 27 for the gap before
    // the volume fader, 28 for the last two columns.
    int HitTest(int x) const;
    // The level a drag to y sets, clamped to -12..+12.
    int DragLevel(int y) const;

    void FaderMouseDown(Qt::MouseButtons buttons, int x, int y);
    void FaderMouseMove(Qt::MouseButtons buttons, int x, int y);
    // The same as intents, for any hand on the bank (mouse, keys, a control
    // surface): a left press on `fader` (NoFader..VolumeFader), and a drag of
    // the selected fader to `level` (-12..+12).
    void PressFader(int fader);
    void DragSelectedTo(int level);
    // A new level from an assistive tool: the fader pressed, then the arrow
    // keys up or down until it stands at `level`, or until the phase holds it.
    void SetLevelWithKeys(int fader, int level);
    // Returns whether the key is one of the bank's; the key is never consumed.
    bool FormKeyDown(int qtKey);
    void FormKeyPress(QChar character);

  private:
    GameFlow& game_;
    const GameState& state_;
    std::function<const FaderGeometry&()> geometry_;
    std::function<QSize()> paintBox_;
};
