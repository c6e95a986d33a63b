#pragma once
// The picture of the paint box `Fader`: the fader bank with its labels and the
// tone's frequency, or the frame of a chart. Drawn in device pixels, straight
// into whatever painter the caller has (the widget's paint event), clipped to
// the rectangles that changed. No widgets here. Thread: GUI only.

#include "display/FaderGeometry.h"
#include "model/BandSlot.h"
#include "model/GameState.h"

#include <QFontMetrics>
#include <QImage>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class PixelExactCanvas;
class QPainter;

// What the picture shows, as far as it can change without a resize: enough to
// tell which rectangles two states paint differently.
// Shapes beside the colours, for players who cannot tell red from green.
enum class KnobMark : std::uint8_t {
    None,
    WrongTry,     // one diagonal stripe
    WrongTryHint, // a cross: the "Hinweise" knob, orange instead of red
    TooLow,       // a ">": the "Hinweise" knob, the ringing band lies higher
    TooHigh,      // a "<": it lies lower
};

struct FaderPictureContent {
    struct Fader {
        int level = 0;
        QRgb knob = 0;
        KnobMark knobMark = KnobMark::None;
        QRgb labelColour = 0;
        bool labelUnderlined = false; // the answer under "Hinweise"
        QString label;
        bool operator==(const Fader&) const = default;
    };
    int sizeGeneration = -1; // no picture shown yet
    bool cover = false;
    bool hasTrack = false;
    GameModeValue mode = ModeIdle;
    std::array<Fader, VolumeFader + 1> faders{};
    int surfaceBankFirst = NoFader;
    int surfaceBankCount = 0;
    QString frequencyText;
    bool operator==(const FaderPictureContent&) const = default;
};

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

    // Draws the picture inside `region` (device pixels of the paint box) with
    // `painter`, whose user space must be those device pixels and which must
    // already be clipped to `region` or less. Every step of the full repaint
    // runs in its order; only steps that cannot reach the region are left
    // out, so any region, painted in any order, gives the whole picture's
    // pixels there.
    void Paint(QPainter& painter, const QRegion& region, const GameState& state) const;

    // The whole picture for `state` in a new image with its device pixel
    // ratio set (tests, benchmarks; the window paints through Paint).
    QImage FaderPaint(const GameState& state) const;
    // The same picture drawn step by step, every step whole: the reference
    // that Paint must match pixel for pixel.
    QImage PaintStraightforward(const GameState& state) const;

    // What `state` shows, and the device pixels in which two such contents
    // may differ (the whole box for a new size, the cover or another mode).
    FaderPictureContent Content(const GameState& state) const;
    QRegion ChangedArea(const FaderPictureContent& before, const FaderPictureContent& after) const;
    // What a repaint call must renew: the changed area, and the whole box for
    // a chart or the cover, whose pixels depend on more than the content.
    QRegion RepaintArea(const FaderPictureContent& shown, const FaderPictureContent& now) const;

    void SetChartColumnPainter(ChartColumnPainter painter) { chartColumn_ = std::move(painter); }

    // While the window is being laid out: a repaint shows black only.
    bool CoverShown = false;

    int LabelFontSize() const { return labelFontSize_; }
    bool HasFaderImage() const { return hasFaderImage_; }
    const QImage& FaderImage() const { return faderImage_; }
    QSize PaintBoxSize() const { return paintBox_; }
    qreal DevicePixelRatio() const { return devicePixelRatio_; }

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
    int FrequencyPointSize() const;

    void DrawBandFader(PixelExactCanvas& canvas, const GameState& state, int band) const;
    void DrawBandLabel(PixelExactCanvas& canvas, const GameState& state, int band) const;
    void DrawVolumeLabel(PixelExactCanvas& canvas) const;
    void DrawVolumeFader(PixelExactCanvas& canvas, const GameState& state) const;
    void DrawKnob(PixelExactCanvas& canvas, int centreX, int level,
                  KnobMark mark = KnobMark::None) const;
    int KnobStripeWidth() const;
    void DrawKnobStripe(PixelExactCanvas& canvas, int x1, int y1, int x2, int y2) const;
    void DrawSurfaceBank(PixelExactCanvas& canvas, const GameState& state) const;
    void DrawFrequencyText(PixelExactCanvas& canvas, const GameState& state) const;
    // Paint's steps for one fader: only those that reach `area`.
    void PaintBandFader(PixelExactCanvas& canvas, const QRegion& area, const GameState& state,
                        int band) const;
    void PaintVolumeFader(PixelExactCanvas& canvas, const QRegion& area,
                          const GameState& state) const;

    // Where the steps of a repaint can draw, for leaving out those that
    // cannot reach a region.
    QRect TrackArea(int column) const;
    QRect KnobArea(int centreX, int level) const;
    QRect SurfaceBankArea(int first, int count) const;
    // The bar under the label text that marks the answer, in rows below its cell.
    int UnderlineHeight() const;
    QRect LabelArea(const QFontMetrics& metrics, double centreX, const QString& text) const;
    // LabelArea of fader `fader` showing `text`, remembered per size: the
    // labels hardly ever change, and measuring text is the dearest part of
    // deciding what a small region needs.
    const QRect& CachedLabelArea(int fader, const QString& text) const;
    QRect FrequencyArea(const QFontMetrics& metrics, const QString& text) const;
    int FaderCentreX(int fader) const;

    // The frequency text's pixels, drawn once per text and size and then only
    // copied: large text is filled as a path whose edge pixels depend on
    // what other sizes of the font drew before, so drawing it anew at each
    // repaint could change a few of them.
    struct TextPiece {
        QString text;
        int pointSize = 0;
        int dotsPerMetre = 0;
        QImage pixels; // transparent, the glyphs opaque
        QPoint offset; // of the pixels from the text's top-left corner
    };
    const TextPiece& FrequencyPiece(const QString& text, int pointSize) const;

    QSize paintBox_;
    int dotsPerMetre_ = 3780; // 96 dpi
    qreal devicePixelRatio_ = 1.0;
    int sizeGeneration_ = 0;
    int labelFontSize_ = 0;
    bool hasFaderImage_ = false;
    QImage faderImage_;
    FaderGeometry geometry_;
    ChartColumnPainter chartColumn_;
    // For the changed areas of labels and frequency text, at the picture's resolution.
    std::optional<QFontMetrics> labelMetrics_;
    std::optional<QFontMetrics> frequencyMetrics_;
    mutable TextPiece frequencyPiece_;
    struct RememberedArea {
        int sizeGeneration = -1;
        QString text;
        QRect area;
    };
    mutable std::array<RememberedArea, VolumeFader + 1> labelAreas_;
};
