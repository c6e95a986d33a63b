#pragma once
// The paint box: paints the renderer's picture of the game state straight
// into its own paint event, only where the picture changed, and reports mouse
// and size changes in device pixels.

#include "display/FaderRenderer.h"
#include "game/FaderAccessibility.h"

#include <QRegion>
#include <QWidget>

struct GameState;

class FaderView final : public QWidget {
    Q_OBJECT
  public:
    explicit FaderView(QWidget* parent = nullptr);

    // Shows `renderer`'s picture of `state`; both must outlive the view.
    void Show(const FaderRenderer& renderer, const GameState& state);
    const FaderRenderer& Renderer() const { return *renderer_; }
    // The repaint: schedules the rectangles whose pixels changed since the
    // last call (the whole box after a resize, a mode change and in a chart)
    // and returns them in the widget's coordinates.
    QRegion Refresh();
    // Client size in device pixels, the unit of all fader geometry.
    QSize DeviceSize() const;

    // For assistive tools: the state shown (null before Show), whether the
    // faders are on screen (not a chart, not the cover), where a fader is
    // drawn in the widget's coordinates, and a new level asked for.
    const GameState* ShownState() const { return state_; }
    bool ShowsFaders() const;
    QRect FaderArea(int fader) const;
    void RequestLevel(int fader, int level) { emit levelRequested(fader, level); }

  signals:
    void resized();
    void mousePressed(Qt::MouseButtons buttons, QPoint devicePosition);
    void mouseMoved(Qt::MouseButtons buttons, QPoint devicePosition);
    // An assistive tool set fader `fader` (NoFader..VolumeFader) to `level`.
    void levelRequested(int fader, int level);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    QPoint ToDevice(QPointF logical) const;
    // Picture pixels to widget coordinates and back, each a little generous
    // when the ratio is fractional, so no pixel between them gets lost.
    QRegion ToLogical(const QRegion& devicePixels) const;
    QRegion ToDevicePixels(const QRegion& logical) const;

    const FaderRenderer* renderer_ = nullptr;
    const GameState* state_ = nullptr;
    // What the pixels on screen show, or are scheduled to show.
    FaderPictureContent shown_;
    FaderAnnouncer announcer_;
};
