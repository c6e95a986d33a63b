#include "display/PixelExactCanvas.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

// One row of a rounded figure: its first pixel and the one past its last.
struct Span {
    std::int64_t left = 0;
    std::int64_t right = 0;
    bool empty() const { return left >= right; }
};

// The row y of the figure x1..x2-1, y1..y2-1 with corner radii rx, ry.
Span RoundedRow(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, double rx,
                double ry, std::int64_t y)
{
    if (x1 >= x2 || y < y1 || y >= y2)
        return {};
    std::int64_t cut = 0;
    if (rx > 0 && ry > 0) {
        const double centre = static_cast<double>(y) + 0.5;
        double depth = 0; // 0 on the straight part, towards 1 at the corner's tip
        if (centre < static_cast<double>(y1) + ry)
            depth = (static_cast<double>(y1) + ry - centre) / ry;
        else if (centre > static_cast<double>(y2) - ry)
            depth = (centre - (static_cast<double>(y2) - ry)) / ry;
        if (depth > 0) {
            const double inset = rx * (1.0 - std::sqrt(std::max(0.0, 1.0 - depth * depth)));
            cut = std::max<std::int64_t>(0, static_cast<std::int64_t>(std::ceil(inset - 0.5)));
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

QRect PixelExactCanvas::VisibleArea() const
{
    const QPaintDevice* device = painter_.device();
    if (!device)
        return {};
    // A widget reports its size in logical pixels already, an image or a
    // pixmap in its own pixels; the painter's user space is logical.
    const bool logicalSize = device->devType() == QInternal::Widget;
    const qreal ratio =
        logicalSize || device->devicePixelRatio() <= 0 ? 1.0 : device->devicePixelRatio();
    const QRectF picture(0, 0, device->width() / ratio, device->height() / ratio);
    QRect area = painter_.worldTransform().inverted().mapRect(picture).toAlignedRect();
    if (painter_.hasClipping())
        area &= painter_.clipBoundingRect().toAlignedRect();
    // A pixel of slack against rounding in the transform.
    return area.adjusted(-1, -1, 1, 1);
}

void PixelExactCanvas::FillSpan(std::int64_t x1, std::int64_t x2, std::int64_t y1, std::int64_t y2,
                                QColor colour)
{
    const QRect visible = VisibleArea();
    x1 = std::max<std::int64_t>(x1, visible.left());
    x2 = std::min<std::int64_t>(x2, std::int64_t{visible.right()} + 1);
    y1 = std::max<std::int64_t>(y1, visible.top());
    y2 = std::min<std::int64_t>(y2, std::int64_t{visible.bottom()} + 1);
    if (x1 < x2 && y1 < y2) {
        rowsVisited_ += y2 - y1;
        painter_.fillRect(QRect(static_cast<int>(x1), static_cast<int>(y1),
                                static_cast<int>(x2 - x1), static_cast<int>(y2 - y1)),
                          colour);
    }
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
    const std::int64_t before = penWidth_ / 2;
    if (y == penY_) {
        // The end point is left out whichever way the line runs.
        const std::int64_t left = x >= penX_ ? penX_ : std::int64_t{x} + 1;
        const std::int64_t right = x >= penX_ ? x : std::int64_t{penX_} + 1;
        FillSpan(left, right, y - before, y - before + penWidth_, penColour_);
    } else if (x == penX_) {
        const std::int64_t top = y >= penY_ ? penY_ : std::int64_t{y} + 1;
        const std::int64_t bottom = y >= penY_ ? y : std::int64_t{penY_} + 1;
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

void PixelExactCanvas::RoundRect(int left, int top, int right, int bottom, int ellipseWidth,
                                 int ellipseHeight)
{
    std::int64_t x1 = std::min(left, right);
    std::int64_t x2 = std::max(left, right);
    std::int64_t y1 = std::min(top, bottom);
    std::int64_t y2 = std::max(top, bottom);
    if (x1 == x2 || y1 == y2)
        return;
    const double rx = std::min<std::int64_t>(std::abs(std::int64_t{ellipseWidth}), x2 - x1) / 2.0;
    const double ry = std::min<std::int64_t>(std::abs(std::int64_t{ellipseHeight}), y2 - y1) / 2.0;
    const int p = penWidth_;
    const double innerRx = std::max(0.0, rx - p);
    const double innerRy = std::max(0.0, ry - p);

    // Rows off the picture are not walked: a bar from a counter near 2^31
    // costs the picture's height, not two billion rows.
    const QRect visible = VisibleArea();
    const std::int64_t firstRow = std::max<std::int64_t>(y1, visible.top());
    const std::int64_t endRow = std::min<std::int64_t>(y2, std::int64_t{visible.bottom()} + 1);

    // Rows with the same spans are filled as one block: the straight middle of
    // a knob or a slot costs three rectangles however tall it is.
    std::int64_t runTop = firstRow;
    Span runOuter;
    Span runInner;
    auto flush = [&](std::int64_t runBottom) {
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
    for (std::int64_t y = firstRow; y < endRow; ++y) {
        ++rowsVisited_;
        const Span outer = RoundedRow(x1, y1, x2, y2, rx, ry, y);
        Span inner = RoundedRow(x1 + p, y1 + p, x2 - p, y2 - p, innerRx, innerRy, y);
        inner.left = std::max(inner.left, outer.left);
        inner.right = std::min(inner.right, outer.right);
        if (inner.empty())
            inner = {};
        const bool same = outer.left == runOuter.left && outer.right == runOuter.right &&
                          inner.left == runInner.left && inner.right == runInner.right;
        if (y == firstRow || !same) {
            if (y != firstRow)
                flush(y);
            runTop = y;
            runOuter = outer;
            runInner = inner;
        }
    }
    if (firstRow < endRow)
        flush(endRow);
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
    // A text whose cell lies far off the picture has no pixel on it either
    // (glyphs stay within a line height of their cell).
    const QRect visible = VisibleArea();
    const std::int64_t height = TextHeight(text);
    const std::int64_t width = TextWidth(text);
    if (std::int64_t{y} + 2 * height < visible.top() || y - 2 * height > visible.bottom() ||
        std::int64_t{x} + width + 2 * height < visible.left() || x - 2 * height > visible.right())
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
