#pragma once
// A drawing surface with the state and pixel rules of a classic Windows
// canvas, on top of a QPainter on a QImage. Nothing is antialiased, so every
// pixel is exactly one of the colours drawn.
//
// Pixel rules (x1 <= x2, y1 <= y2 after normalising; right and bottom exclusive):
// - FillRect(x1, y1, x2, y2): x1..x2-1, y1..y2-1 in the brush colour.
// - MoveTo/LineTo, horizontal: x1..x2-1 (the end point is not drawn; drawn
//   leftwards it is x2+1..x1). A pen of width w covers the rows
//   y - w/2 .. y - w/2 + w - 1: width 1 the row y, width 2 y-1..y, width 3
//   y-1..y+1. The ends are flat: a width-3 line from x 48 to 72 at y 390 is the
//   block 48..71 x 389..391. Vertical lines likewise with rows and columns
//   swapped. Slanted lines are left to Qt's aliased line, flat caps.
// - Rectangle and RoundRect(x1, y1, x2, y2, ew, eh): the figure covers
//   x1..x2-1, y1..y2-1. Each corner is cut by an ellipse of ew x eh (clamped to
//   the figure), a pixel belonging to the figure when its centre lies inside.
//   The outline is the pen's width drawn inwards (the figure minus the same
//   figure inset by the pen width, its ellipse shrunk by twice that); the rest
//   is the brush, unless the brush is clear.
// - TextOut(x, y): the text's cell, x..x+advance-1, y..y+height-1
//   (QFontMetrics horizontalAdvance and height), is filled with the brush
//   colour first when the brush is solid; the glyphs are drawn in the font
//   colour with their top-left at (x, y).
// - Draw(x, y, image): a plain copy with its top-left at (x, y).
// Coordinates may be anything an int holds; only what lands on the picture
// costs work.

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>

#include <cstdint>
#include <optional>

class PixelExactCanvas {
  public:
    // The painter must be active on a raster image (or a widget backed by
    // one). `fontScale` multiplies every point size set: for a painter whose
    // device has another resolution than the one the sizes are meant for.
    explicit PixelExactCanvas(QPainter& painter, qreal fontScale = 1.0);

    QPainter& Painter() { return painter_; }

    void SetPen(QColor colour, int width);
    void SetPenColor(QColor colour) { penColour_ = colour; }
    void SetPenWidth(int width) { penWidth_ = width < 1 ? 1 : width; }
    // Setting a brush colour also makes the brush solid again.
    void SetBrushColor(QColor colour);
    void SetBrushClear() { brushSolid_ = false; }

    void SetFont(const QFont& font);
    const QFont& Font() const { return font_; }
    void SetFontColor(QColor colour) { fontColour_ = colour; }
    const QFontMetrics& Metrics() const { return *metrics_; }

    void FillRect(int x1, int y1, int x2, int y2);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Rectangle(int x1, int y1, int x2, int y2);
    void RoundRect(int x1, int y1, int x2, int y2, int ellipseWidth, int ellipseHeight);
    void TextOut(int x, int y, const QString& text);
    int TextWidth(const QString& text) const;
    int TextHeight(const QString& text) const;
    void Draw(int x, int y, const QImage& picture);

    // Rows the figures have walked through or filled since construction: the
    // drawing work, for tests that must not time it.
    std::int64_t RowsVisited() const { return rowsVisited_; }

    // The part of the canvas's coordinates that lands on the picture (after
    // the painter's transform and clip). Figures reaching past it are drawn
    // only as far as it, so a coordinate near the int limits costs no more
    // than one at the picture's edge.
    QRect VisibleArea() const;

  private:
    // Coordinates in 64 bits: a figure's edges plus a pen width may pass the
    // int limits.
    void FillSpan(std::int64_t x1, std::int64_t x2, std::int64_t y1, std::int64_t y2,
                  QColor colour);

    QPainter& painter_;
    qreal fontScale_ = 1.0;
    QColor penColour_{0, 0, 0};
    int penWidth_ = 1;
    QColor brushColour_{255, 255, 255};
    bool brushSolid_ = true;
    QFont font_;
    std::optional<QFontMetrics> metrics_;
    QColor fontColour_{0, 0, 0};
    int penX_ = 0;
    int penY_ = 0;
    std::int64_t rowsVisited_ = 0;
};

// Arial, regular, at a size in points, drawn without antialiasing.
QFont ArialFont(int pointSize);

// The pixels that drawing `text` with its top-left at (x, y) may touch: the
// cell (advance x height) and the glyphs.
QRect TextExtent(const QFontMetrics& metrics, int x, int y, const QString& text);
