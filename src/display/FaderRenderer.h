#pragma once
// The picture of the paint box `Fader`: the fader bank with its labels and the
// tone's frequency, or the frame of a chart. Drawn whole into a back buffer
// in device pixels; the main form copies it to the screen. No widgets here.
// Thread: GUI only.

#include "display/FaderGeometry.h"
#include "model/BandSlot.h"
#include "model/GameState.h"

#include <QImage>
#include <QRect>
#include <QSize>

#include <array>
#include <functional>

class PixelExactCanvas;

class FaderRenderer {
  public:
    // Draws band `band`'s column of a chart; called in the chart modes after
    // the background and before that band's label. It must not change the font.
    using ChartColumnPainter =
        std::function<void(PixelExactCanvas&, const GameState&, int band, const FaderGeometry&)>;

    // The paint box's size in device pixels and the screen's resolution. Point
    // sizes become size x logicalDpi x devicePixelRatio / 72 device pixels.
    // Alone this only takes the size (a resize while the form is hidden).
    void SetPaintBox(QSize devicePixels, qreal logicalDpi, qreal devicePixelRatio = 1.0);
    // The resize handler: takes the size, searches the label size and builds
    // the track picture. The caller repaints afterwards.
    void FormResize(QSize devicePixels, qreal logicalDpi, qreal devicePixelRatio = 1.0);

    // The whole picture for the current state; its device pixel ratio is set,
    // so it can be drawn at (0, 0) of the paint box as it is. The reference
    // stays valid until the next paint or resize.
    const QImage& FaderPaint(const GameState& state);
    // The last picture painted.
    const QImage& BackBuffer() const { return backBuffer_; }

    // The same picture drawn step by step, without the prepared layer. Kept as
    // the reference that FaderPaint must match pixel for pixel.
    const QImage& PaintStraightforward(const GameState& state);

    // Whether the last FaderPaint started from the prepared layer (tests, benchmark).
    bool LastPaintUsedLayer() const { return lastPaintUsedLayer_; }

    void SetChartColumnPainter(ChartColumnPainter painter) { chartColumn_ = std::move(painter); }

    // While the window is being laid out: a repaint shows black only.
    bool CoverShown = false;

    int LabelFontSize() const { return labelFontSize_; }
    bool HasFaderImage() const { return hasFaderImage_; }
    const QImage& FaderImage() const { return faderImage_; }
    QSize PaintBoxSize() const { return paintBox_; }

    const FaderGeometry& Geometry() const { return geometry_; }
    int ColumnWidth() const { return geometry_.ColumnWidth; }
    int TrackHeight() const { return geometry_.TrackHeight; }
    double StepPitch() const { return geometry_.StepPitch; }
    int TrackTop() const { return geometry_.TrackTop; }
    int LabelTop() const { return geometry_.LabelTop; }
    double ColumnCentre(int band) const { return geometry_.ColumnCentre(band); }

  private:
    void BuildFaderImage();
    int SearchLabelFontSize() const;
    QImage NewPicture(QSize size) const;
    bool PrepareBackBuffer();
    const QImage& Finish();

    void DrawBandFader(PixelExactCanvas& canvas, const GameState& state, int band) const;
    // Labels are centred on a column; each returns the pixels it may have touched.
    QRect DrawLabel(PixelExactCanvas& canvas, double centreX, const QString& text) const;
    QRect DrawBandLabel(PixelExactCanvas& canvas, const GameState& state, int band) const;
    QRect DrawVolumeLabel(PixelExactCanvas& canvas) const;
    void DrawVolumeFader(PixelExactCanvas& canvas, const GameState& state) const;
    void DrawKnob(PixelExactCanvas& canvas, int centreX, int level) const;
    void DrawFrequencyText(PixelExactCanvas& canvas, const GameState& state) const;

    bool LayerMatches(const GameState& state) const;
    void BuildLayer(const GameState& state);

    QSize paintBox_;
    int dotsPerMetre_ = 3780; // 96 dpi
    qreal devicePixelRatio_ = 1.0;
    int labelFontSize_ = 0;
    bool hasFaderImage_ = false;
    QImage faderImage_;
    FaderGeometry geometry_;
    QImage backBuffer_;
    ChartColumnPainter chartColumn_;

    // What only a resize or new labels change: background, tracks, white
    // labels and "VOL". Usable when nothing drawn per repaint overlaps a
    // label, so the order of drawing cannot matter.
    QImage layer_;
    bool layerValid_ = false;
    bool layerUsable_ = false;
    bool lastPaintUsedLayer_ = false;
    std::array<std::array<std::uint8_t, sizeof(BandSlot::Label)>, BandCount> layerLabels_{};
};
