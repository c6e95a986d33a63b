#include "display/FaderRenderer.h"

#include "display/FormatFrequency.h"
#include "display/Nearest.h"
#include "display/PixelExactCanvas.h"
#include "model/FaderModel.h"

#include <QFontMetrics>
#include <QPainter>

#include <cstring>
#include <vector>

namespace {

const QColor Black(0, 0, 0);
const QColor White(255, 255, 255);
const QColor Red(255, 0, 0);
const QColor Aqua(0, 255, 255);
const QColor Yellow(255, 255, 0);
const QColor Grey(128, 128, 128);

const QString VolumeLabel = QStringLiteral("VOL");
const QString LabelSizeProbe = QStringLiteral("1.25");

// A font that never measures wide enough would otherwise keep the search going.
constexpr int MaxLabelFontSize = 1000;

constexpr int VolumeColumn = 30;
constexpr double VolumeCentre = VolumeColumn + 0.5; // in column widths

bool FaderSelected(const GameState& state, int fader)
{
    if (fader == VolumeFader)
        return FaderKind(state, state.SelectedFader) == FaderVolume;
    return state.SelectedFader == fader;
}

QColor KnobColour(const GameState& state, int band)
{
    if (band == VolumeFader)
        return FaderSelected(state, VolumeFader) ? Yellow : Grey;
    if (state.BandTable[band].Locked != 0) {
        const bool ringing = band == state.RingingBand && state.GameMode == ModeGeneratorPlaying;
        return ringing ? Aqua : Red;
    }
    return FaderSelected(state, band) ? Yellow : Grey;
}

bool ShowsFrequency(GameModeValue mode)
{
    return mode == ModeGeneratorPlaying || mode == ModeTurnOver;
}

bool LevelsInRange(const GameState& state)
{
    auto inRange = [](int level) { return level >= MinLevel && level <= MaxLevel; };
    for (const BandSlot& slot : state.BandTable)
        if (!inRange(slot.Level))
            return false;
    return inRange(state.MasterVolume);
}

} // namespace

void FaderRenderer::SetPaintBox(QSize devicePixels, qreal logicalDpi, qreal devicePixelRatio)
{
    paintBox_ = devicePixels.expandedTo(QSize(0, 0));
    devicePixelRatio_ = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    dotsPerMetre_ = qMax(1, qRound(logicalDpi * devicePixelRatio_ / 0.0254));
    geometry_ = FaderGeometry::For(paintBox_, faderImage_.size());
    layerValid_ = false;
}

void FaderRenderer::FormResize(QSize devicePixels, qreal logicalDpi, qreal devicePixelRatio)
{
    SetPaintBox(devicePixels, logicalDpi, devicePixelRatio);
    labelFontSize_ = SearchLabelFontSize();
    BuildFaderImage();
    geometry_ = FaderGeometry::For(paintBox_, faderImage_.size());
}

QImage FaderRenderer::NewPicture(QSize size) const
{
    QImage picture(size, QImage::Format_ARGB32_Premultiplied);
    picture.setDotsPerMeterX(dotsPerMetre_);
    picture.setDotsPerMeterY(dotsPerMetre_);
    return picture;
}

int FaderRenderer::SearchLabelFontSize() const
{
    const QImage probe = NewPicture(QSize(1, 1));
    const double threshold = paintBox_.width() / 34.0;
    for (int size = 1; size < MaxLabelFontSize; ++size) {
        const QFontMetrics metrics(ArialFont(size), &probe);
        if (metrics.horizontalAdvance(LabelSizeProbe) >= threshold)
            return size;
    }
    return MaxLabelFontSize;
}

void FaderRenderer::BuildFaderImage()
{
    faderImage_ = NewPicture(FaderGeometry::TrackSize(paintBox_));
    hasFaderImage_ = true;
    if (faderImage_.isNull())
        return;
    const int w = faderImage_.width();
    const int h = faderImage_.height();
    QPainter painter(&faderImage_);
    PixelExactCanvas canvas(painter);
    canvas.SetBrushColor(Black);
    canvas.FillRect(0, 0, w, h);

    const int markLeft = Nearest(w / 10.0);
    const int markRight = Nearest(w * 0.9);
    canvas.SetPen(White, 1);
    for (int k = 1; k <= 25; ++k) {
        const int y = Nearest((k - 0.5) * h / 25.0);
        canvas.MoveTo(markLeft, y);
        canvas.LineTo(markRight, y);
    }
    canvas.SetPen(Red, 3);
    canvas.MoveTo(markLeft, Nearest(h / 2.0));
    canvas.LineTo(markRight, Nearest(h / 2.0));

    // The slot last: its black inside covers the middle of the marks.
    canvas.SetPen(White, 2);
    const int corner = Nearest(w / 2.0);
    canvas.RoundRect(Nearest(w / 2.0 - 0.2 * w), 0, Nearest(w / 2.0 + 0.2 * w), h, corner, corner);
}

bool FaderRenderer::PrepareBackBuffer()
{
    if (paintBox_.isEmpty()) {
        backBuffer_ = QImage();
        return false;
    }
    if (backBuffer_.size() != paintBox_ || backBuffer_.dotsPerMeterY() != dotsPerMetre_)
        backBuffer_ = NewPicture(paintBox_);
    // Painted in device pixels; the ratio goes back on in Finish.
    backBuffer_.setDevicePixelRatio(1.0);
    return true;
}

const QImage& FaderRenderer::Finish()
{
    backBuffer_.setDevicePixelRatio(devicePixelRatio_);
    return backBuffer_;
}

void FaderRenderer::DrawKnob(PixelExactCanvas& canvas, int centreX, int level) const
{
    const int knobHalf = geometry_.KnobHalfWidth();
    canvas.SetPenWidth(1);
    canvas.RoundRect(centreX - knobHalf, geometry_.KnobTop(level), centreX + knobHalf,
                     geometry_.KnobBottom(level), 3, 4);
    const int lineHalf = geometry_.KnobLineHalfWidth();
    const int lineY = geometry_.KnobLineY(level);
    canvas.SetPenWidth(3);
    canvas.MoveTo(centreX - lineHalf, lineY);
    canvas.LineTo(centreX + lineHalf, lineY);
}

void FaderRenderer::DrawBandFader(PixelExactCanvas& canvas, const GameState& state, int band) const
{
    canvas.SetFontColor(FaderSelected(state, band) ? Yellow : White);
    canvas.Draw((band + 1) * geometry_.ColumnWidth, geometry_.TrackTop, faderImage_);
    canvas.SetPenColor(White);
    canvas.SetBrushColor(KnobColour(state, band));
    DrawKnob(canvas, Nearest(geometry_.ColumnCentre(band)), state.BandTable[band].Level);
}

QRect FaderRenderer::DrawLabel(PixelExactCanvas& canvas, double centreX, const QString& text) const
{
    const int x = Nearest(centreX - canvas.TextWidth(text) / 2.0);
    canvas.TextOut(x, geometry_.LabelTop, text);
    return canvas.TextExtent(x, geometry_.LabelTop, text);
}

QRect FaderRenderer::DrawBandLabel(PixelExactCanvas& canvas, const GameState& state, int band) const
{
    canvas.SetBrushColor(Black);
    return DrawLabel(canvas, geometry_.ColumnCentre(band), BandLabel(state.BandTable[band]));
}

QRect FaderRenderer::DrawVolumeLabel(PixelExactCanvas& canvas) const
{
    return DrawLabel(canvas, VolumeCentre * geometry_.ColumnWidth, VolumeLabel);
}

void FaderRenderer::DrawVolumeFader(PixelExactCanvas& canvas, const GameState& state) const
{
    canvas.SetFontColor(FaderSelected(state, VolumeFader) ? Yellow : White);
    canvas.Draw(VolumeColumn * geometry_.ColumnWidth, geometry_.TrackTop, faderImage_);
    // The brush is still the labels' black, so "VOL" has a black cell too.
    DrawVolumeLabel(canvas);
    canvas.SetPenColor(White);
    canvas.SetBrushColor(KnobColour(state, VolumeFader));
    DrawKnob(canvas, Nearest(VolumeCentre * geometry_.ColumnWidth), state.MasterVolume);
}

void FaderRenderer::DrawFrequencyText(PixelExactCanvas& canvas, const GameState& state) const
{
    if (!ShowsFrequency(state.GameMode))
        return;
    // Points from the height as the window system counts it: on a dense screen
    // the device height would make the figures twice as large as the bank.
    const int pointSize = Nearest(paintBox_.height() / devicePixelRatio_ / 7.3);
    if (pointSize <= 0)
        return;
    canvas.SetBrushClear();
    canvas.SetFontColor(Grey);
    canvas.SetFont(ArialFont(pointSize));
    const QString text = FormatFrequency(state.ToneFrequency);
    const int x = Nearest((paintBox_.width() - canvas.TextWidth(text)) / 2.0);
    canvas.TextOut(x, paintBox_.height() - canvas.TextHeight(text), text);
}

const QImage& FaderRenderer::PaintStraightforward(const GameState& state)
{
    if (!PrepareBackBuffer())
        return backBuffer_;
    QPainter painter(&backBuffer_);
    PixelExactCanvas canvas(painter);
    const int cw = paintBox_.width();
    const int ch = paintBox_.height();

    if (CoverShown) {
        canvas.SetBrushColor(Black);
        canvas.FillRect(0, 0, cw, ch);
        painter.end();
        return Finish();
    }
    if (!hasFaderImage_) {
        canvas.SetBrushColor(White);
        canvas.FillRect(0, 0, cw, ch);
        painter.end();
        return Finish();
    }

    canvas.SetBrushColor(Black);
    canvas.FillRect(0, 0, cw, ch);
    canvas.SetFont(ArialFont(labelFontSize_));
    canvas.SetFontColor(White);
    const bool faderMode = IsFaderMode(state.GameMode);
    for (int band = 0; band < BandCount; ++band) {
        if (faderMode)
            DrawBandFader(canvas, state, band);
        else if (IsChartMode(state.GameMode) && chartColumn_)
            chartColumn_(canvas, state, band, geometry_);
        DrawBandLabel(canvas, state, band);
    }
    if (faderMode)
        DrawVolumeFader(canvas, state);
    DrawFrequencyText(canvas, state);
    painter.end();
    return Finish();
}

bool FaderRenderer::LayerMatches(const GameState& state) const
{
    if (!layerValid_)
        return false;
    for (int band = 0; band < BandCount; ++band)
        if (std::memcmp(layerLabels_[band].data(), state.BandTable[band].Label,
                        sizeof(BandSlot::Label)) != 0)
            return false;
    return true;
}

void FaderRenderer::BuildLayer(const GameState& state)
{
    layerValid_ = true;
    layerUsable_ = false;
    for (int band = 0; band < BandCount; ++band)
        std::memcpy(layerLabels_[band].data(), state.BandTable[band].Label,
                    sizeof(BandSlot::Label));
    if (paintBox_.isEmpty())
        return;

    layer_ = NewPicture(paintBox_);
    QPainter painter(&layer_);
    PixelExactCanvas canvas(painter);
    const FaderGeometry& g = geometry_;
    const int w = g.ColumnWidth;
    canvas.SetBrushColor(Black);
    canvas.FillRect(0, 0, paintBox_.width(), paintBox_.height());
    canvas.SetFont(ArialFont(labelFontSize_));
    canvas.SetFontColor(White);
    std::vector<QRect> labelExtents;
    for (int band = 0; band < BandCount; ++band) {
        canvas.Draw((band + 1) * w, g.TrackTop, faderImage_);
        labelExtents.push_back(DrawBandLabel(canvas, state, band));
    }
    canvas.Draw(VolumeColumn * w, g.TrackTop, faderImage_);
    labelExtents.push_back(DrawVolumeLabel(canvas));
    painter.end();

    // The layer stands in for the step-by-step drawing only where the order
    // cannot show: labels apart from each other and from the track rows, and
    // every knob and knob line inside its own track at every level.
    const int trackBottom = g.TrackTop + g.TrackHeight;
    for (size_t a = 0; a < labelExtents.size(); ++a) {
        const QRect& extent = labelExtents[a];
        if (!extent.isEmpty() && extent.top() < trackBottom && extent.bottom() >= g.TrackTop)
            return;
        for (size_t b = a + 1; b < labelExtents.size(); ++b)
            if (extent.intersects(labelExtents[b]))
                return;
    }
    const int knobHalf = g.KnobHalfWidth();
    const int lineHalf = g.KnobLineHalfWidth();
    auto insideColumn = [&](int column, int left, int right) {
        return left >= right || (left >= column * w && right <= (column + 1) * w);
    };
    auto insideTrack = [&](int top, int bottom) {
        return top >= bottom || (top >= g.TrackTop && bottom <= trackBottom);
    };
    for (int column = 1; column <= VolumeColumn; ++column) {
        if (column == VolumeColumn - 1)
            continue; // the empty column
        const int centre = Nearest((column + 0.5) * w);
        if (!insideColumn(column, centre - knobHalf, centre + knobHalf) ||
            !insideColumn(column, centre - lineHalf, centre + lineHalf))
            return;
    }
    for (int level = MinLevel; level <= MaxLevel; ++level) {
        if (knobHalf > 0 && !insideTrack(g.KnobTop(level), g.KnobBottom(level)))
            return;
        const int lineY = g.KnobLineY(level);
        if (lineHalf > 0 && !insideTrack(lineY - 1, lineY + 2))
            return;
    }
    layerUsable_ = true;
}

const QImage& FaderRenderer::FaderPaint(const GameState& state)
{
    lastPaintUsedLayer_ = false;
    if (CoverShown || !hasFaderImage_ || !IsFaderMode(state.GameMode) || paintBox_.isEmpty())
        return PaintStraightforward(state);
    if (!LayerMatches(state))
        BuildLayer(state);
    if (!layerUsable_ || !LevelsInRange(state))
        return PaintStraightforward(state);

    PrepareBackBuffer();
    lastPaintUsedLayer_ = true;
    std::memcpy(backBuffer_.bits(), layer_.constBits(), layer_.sizeInBytes());
    QPainter painter(&backBuffer_);
    PixelExactCanvas canvas(painter);
    canvas.SetPenColor(White);
    for (int band = 0; band < BandCount; ++band) {
        canvas.SetBrushColor(KnobColour(state, band));
        DrawKnob(canvas, Nearest(geometry_.ColumnCentre(band)), state.BandTable[band].Level);
    }
    canvas.SetBrushColor(KnobColour(state, VolumeFader));
    DrawKnob(canvas, Nearest(VolumeCentre * geometry_.ColumnWidth), state.MasterVolume);

    canvas.SetFont(ArialFont(labelFontSize_));
    canvas.SetFontColor(Yellow);
    if (state.SelectedFader >= 0 && state.SelectedFader < BandCount)
        DrawBandLabel(canvas, state, state.SelectedFader);
    if (FaderSelected(state, VolumeFader)) {
        canvas.SetBrushColor(Black);
        DrawVolumeLabel(canvas);
    }
    DrawFrequencyText(canvas, state);
    painter.end();
    return Finish();
}
