#include "display/PixelExactCanvas.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

// One row of a rounded figure: its first pixel and the one past its last.
struct Span {
    int left = 0;
    int right = 0;
    bool empty() const { return left >= right; }
};

// The row y of the figure x1..x2-1, y1..y2-1 with corner radii rx, ry.
Span RoundedRow(int x1, int y1, int x2, int y2, double rx, double ry, int y)
{
    if (x1 >= x2 || y < y1 || y >= y2)
        return {};
    int cut = 0;
    if (rx > 0 && ry > 0) {
        const double centre = y + 0.5;
        double depth = 0; // 0 on the straight part, towards 1 at the corner's tip
        if (centre < y1 + ry)
            depth = (y1 + ry - centre) / ry;
        else if (centre > y2 - ry)
            depth = (centre - (y2 - ry)) / ry;
        if (depth > 0) {
            const double inset = rx * (1.0 - std::sqrt(std::max(0.0, 1.0 - depth * depth)));
            cut = std::max(0, static_cast<int>(std::ceil(inset - 0.5)));
        }
    }
    return {x1 + cut, x2 - cut};
}

} // namespace

QFont ArialFont(int pointSize)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleStrategy(QFont::NoAntialias);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    if (pointSize > 0)
        font.setPointSize(pointSize);
    return font;
}

QRect TextExtent(const QFontMetrics& metrics, int x, int y, const QString& text)
{
    if (text.isEmpty())
        return {};
    const QRect cell(x, y, metrics.horizontalAdvance(text), metrics.height());
    const QRect glyphs = metrics.boundingRect(text).translated(x, y + metrics.ascent());
    return cell.united(glyphs);
}

PixelExactCanvas::PixelExactCanvas(QPainter& painter, qreal fontScale)
    : painter_(painter), fontScale_(fontScale > 0 ? fontScale : 1.0)
{
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, false);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
    SetFont(ArialFont(10));
}

void PixelExactCanvas::SetPen(QColor colour, int width)
{
    SetPenColor(colour);
    SetPenWidth(width);
}

void PixelExactCanvas::SetBrushColor(QColor colour)
{
    brushColour_ = colour;
    brushSolid_ = true;
}

void PixelExactCanvas::SetFont(const QFont& font)
{
    font_ = font;
    if (fontScale_ != 1.0 && font_.pointSizeF() > 0)
        font_.setPointSizeF(font_.pointSizeF() * fontScale_);
    painter_.setFont(font_);
    metrics_.emplace(font_, painter_.device());
}

void PixelExactCanvas::FillSpan(int x1, int x2, int y1, int y2, QColor colour)
{
    if (x1 < x2 && y1 < y2)
        painter_.fillRect(QRect(x1, y1, x2 - x1, y2 - y1), colour);
}

void PixelExactCanvas::FillRect(int x1, int y1, int x2, int y2)
{
    if (brushSolid_)
        FillSpan(std::min(x1, x2), std::max(x1, x2), std::min(y1, y2), std::max(y1, y2),
                 brushColour_);
}

void PixelExactCanvas::MoveTo(int x, int y)
{
    penX_ = x;
    penY_ = y;
}

void PixelExactCanvas::LineTo(int x, int y)
{
    const int before = penWidth_ / 2;
    if (y == penY_) {
        // The end point is left out whichever way the line runs.
        const int left = x >= penX_ ? penX_ : x + 1;
        const int right = x >= penX_ ? x : penX_ + 1;
        FillSpan(left, right, y - before, y - before + penWidth_, penColour_);
    } else if (x == penX_) {
        const int top = y >= penY_ ? penY_ : y + 1;
        const int bottom = y >= penY_ ? y : penY_ + 1;
        FillSpan(x - before, x - before + penWidth_, top, bottom, penColour_);
    } else {
        painter_.setPen(QPen(penColour_, penWidth_, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        painter_.drawLine(penX_, penY_, x, y);
    }
    MoveTo(x, y);
}

void PixelExactCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    RoundRect(x1, y1, x2, y2, 0, 0);
}

void PixelExactCanvas::RoundRect(int x1, int y1, int x2, int y2, int ellipseWidth,
                                 int ellipseHeight)
{
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    if (x1 == x2 || y1 == y2)
        return;
    const double rx = std::min(std::abs(ellipseWidth), x2 - x1) / 2.0;
    const double ry = std::min(std::abs(ellipseHeight), y2 - y1) / 2.0;
    const int p = penWidth_;
    const double innerRx = std::max(0.0, rx - p);
    const double innerRy = std::max(0.0, ry - p);

    // Rows with the same spans are filled as one block: the straight middle of
    // a knob or a slot costs three rectangles however tall it is.
    int runTop = y1;
    Span runOuter;
    Span runInner;
    auto flush = [&](int runBottom) {
        if (runOuter.empty())
            return;
        if (runInner.empty()) {
            FillSpan(runOuter.left, runOuter.right, runTop, runBottom, penColour_);
            return;
        }
        FillSpan(runOuter.left, runInner.left, runTop, runBottom, penColour_);
        FillSpan(runInner.right, runOuter.right, runTop, runBottom, penColour_);
        if (brushSolid_)
            FillSpan(runInner.left, runInner.right, runTop, runBottom, brushColour_);
    };
    for (int y = y1; y < y2; ++y) {
        const Span outer = RoundedRow(x1, y1, x2, y2, rx, ry, y);
        Span inner = RoundedRow(x1 + p, y1 + p, x2 - p, y2 - p, innerRx, innerRy, y);
        inner.left = std::max(inner.left, outer.left);
        inner.right = std::min(inner.right, outer.right);
        if (inner.empty())
            inner = {};
        const bool same = outer.left == runOuter.left && outer.right == runOuter.right &&
                          inner.left == runInner.left && inner.right == runInner.right;
        if (y == y1 || !same) {
            if (y != y1)
                flush(y);
            runTop = y;
            runOuter = outer;
            runInner = inner;
        }
    }
    flush(y2);
}

int PixelExactCanvas::TextWidth(const QString& text) const
{
    return metrics_->horizontalAdvance(text);
}

int PixelExactCanvas::TextHeight(const QString&) const
{
    return metrics_->height();
}

void PixelExactCanvas::TextOut(int x, int y, const QString& text)
{
    if (text.isEmpty())
        return;
    if (brushSolid_)
        FillSpan(x, x + TextWidth(text), y, y + TextHeight(text), brushColour_);
    painter_.setPen(fontColour_);
    painter_.drawText(x, y + metrics_->ascent(), text);
}

void PixelExactCanvas::Draw(int x, int y, const QImage& picture)
{
    if (picture.isNull())
        return;
    const QPainter::CompositionMode mode = painter_.compositionMode();
    painter_.setCompositionMode(QPainter::CompositionMode_Source);
    painter_.drawImage(QPoint(x, y), picture);
    painter_.setCompositionMode(mode);
}
