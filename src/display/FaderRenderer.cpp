#include "display/FaderRenderer.h"

#include "display/FormatFrequency.h"
#include "display/Nearest.h"
#include "display/PixelExactCanvas.h"
#include "model/FaderModel.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPainter>

#include <QRegion>

#include <algorithm>
#include <cstdlib>
#include <tuple>
#include <utility>

namespace {

const QColor Black(0, 0, 0);
const QColor White(255, 255, 255);
const QColor Red(255, 0, 0);
const QColor Aqua(0, 255, 255);
const QColor Yellow(255, 255, 0);
const QColor Grey(128, 128, 128);
// "Hinweise": apart from every colour of the bank, and plain on the white
// outline and on black.
const QColor Amber(255, 150, 0);
const QColor Green(0, 220, 0);

const QString LabelSizeProbe = QStringLiteral("1.25");

// The label under the master fader; asked for at each use, as the
// translation is installed after start-up.
QString VolumeLabel()
{
    return QCoreApplication::translate("FaderRenderer", "VOL");
}

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
        if (ringing)
            return Aqua;
        return state.WrongTryHint[band] != 0 ? Amber : Red;
    }
    return FaderSelected(state, band) ? Yellow : Grey;
}

KnobMark MarkOf(const GameState& state, int fader)
{
    if (fader == VolumeFader || state.BandTable[fader].Locked == 0)
        return KnobMark::None;
    if (state.WrongTryHint[fader] != 0) {
        if (state.RingingBand == NoFader)
            return KnobMark::WrongTryHint;
        return fader < state.RingingBand ? KnobMark::TooLow : KnobMark::TooHigh;
    }
    return state.WrongTry[fader] != 0 ? KnobMark::WrongTry : KnobMark::None;
}

// The answer's label is green and, for those who do not see green, underlined.
bool LabelUnderlined(const GameState& state, int fader)
{
    return fader != VolumeFader && fader == state.AnswerHintBand;
}

// The bands a control surface's bank holds, cut to the bank; count 0 for none.
std::pair<int, int> SurfaceBank(const GameState& state)
{
    const int first = state.SurfaceBankFirst;
    if (first < 0 || first >= BandCount || state.SurfaceBankCount <= 0)
        return {NoFader, 0};
    return {first, std::min(state.SurfaceBankCount, BandCount - first)};
}

// The font colour a band fader leaves for its label.
QColor LabelColour(const GameState& state, int fader)
{
    if (fader != VolumeFader && fader == state.AnswerHintBand)
        return Green;
    return FaderSelected(state, fader) ? Yellow : White;
}

bool ShowsFrequency(GameModeValue mode)
{
    return mode == ModeGeneratorPlaying || mode == ModeTurnOver;
}

// How far drawn text may reach past its metrics' boxes: large text is filled
// as a path, whose aliased outline keeps to them only roughly.
int TextMargin(const QFontMetrics& metrics)
{
    return 2 + metrics.height() / 8;
}

} // namespace

void FaderRenderer::SetPaintBox(QSize devicePixels, qreal logicalDpi, qreal devicePixelRatio)
{
    paintBox_ = devicePixels.expandedTo(QSize(0, 0));
    devicePixelRatio_ = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    dotsPerMetre_ = qMax(1, qRound(logicalDpi * devicePixelRatio_ / 0.0254));
    geometry_ = FaderGeometry::For(paintBox_, faderImage_.size());
    const QImage probe = NewPicture(QSize(1, 1));
    labelMetrics_.emplace(ArialFont(labelFontSize_), &probe);
    frequencyMetrics_.emplace(ArialFont(qMax(FrequencyPointSize(), 1)), &probe);
    ++sizeGeneration_;
}

void FaderRenderer::FormResize(QSize devicePixels, qreal logicalDpi, qreal devicePixelRatio)
{
    SetPaintBox(devicePixels, logicalDpi, devicePixelRatio);
    labelFontSize_ = SearchLabelFontSize();
    BuildFaderImage();
    geometry_ = FaderGeometry::For(paintBox_, faderImage_.size());
    const QImage probe = NewPicture(QSize(1, 1));
    labelMetrics_.emplace(ArialFont(labelFontSize_), &probe);
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
    // The first size whose probe reaches the threshold. The probe widens with
    // the size, so halving the range finds it: each size tried loads a font
    // engine of its own, and a scan from 1 up loaded 23 of them at 1920
    // pixels wide (4 ms before the first frame), 44 at 3840.
    const QImage probe = NewPicture(QSize(1, 1));
    const double threshold = paintBox_.width() / 34.0;
    int low = 1;
    int high = MaxLabelFontSize; // the answer lies in [low, high]
    while (low < high) {
        const int middle = low + (high - low) / 2;
        const QFontMetrics metrics(ArialFont(middle), &probe);
        if (metrics.horizontalAdvance(LabelSizeProbe) >= threshold)
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

int FaderRenderer::FrequencyPointSize() const
{
    // Points from the height as the window system counts it: on a dense screen
    // the device height would make the figures twice as large as the bank.
    return Nearest(paintBox_.height() / devicePixelRatio_ / 7.3);
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

int FaderRenderer::KnobStripeWidth() const
{
    return std::max(1, Nearest(geometry_.ColumnWidth / 20.0));
}

void FaderRenderer::DrawKnobStripe(PixelExactCanvas& canvas, int x1, int y1, int x2, int y2) const
{
    // Row by row with whole spans rather than a painter's line, whose pixels
    // could depend on the clip of a partial repaint.
    const int width = KnobStripeWidth();
    const int rows = std::abs(y2 - y1);
    const int step = y2 >= y1 ? 1 : -1;
    const auto xAt = [&](int row) { return x1 + Nearest((x2 - x1) * double(row) / rows); };
    for (int row = 0; row <= rows; ++row) {
        const int from = xAt(row);
        const int to = row < rows ? std::max(from + 1, xAt(row + 1)) : from + 1;
        const int y = y1 + row * step;
        canvas.FillRect(from, y, to + width - 1, y + 1);
    }
}

void FaderRenderer::DrawKnob(PixelExactCanvas& canvas, int centreX, int level, KnobMark mark) const
{
    const int knobHalf = geometry_.KnobHalfWidth();
    canvas.SetPenWidth(1);
    canvas.RoundRect(centreX - knobHalf, geometry_.KnobTop(level), centreX + knobHalf,
                     geometry_.KnobBottom(level), 3, 4);
    if (mark != KnobMark::None) {
        // Inside the outline and under the level line, which stays whole.
        const int inset = 2 + KnobStripeWidth();
        const int left = centreX - std::abs(knobHalf) + inset;
        const int right = centreX + std::abs(knobHalf) - inset;
        const int top = geometry_.KnobTop(level) + inset;
        const int bottom = geometry_.KnobBottom(level) - 1 - inset;
        if (right - left >= 2 && bottom - top >= 2) {
            // Each stroke from its left end, which the stripe needs; an
            // arrow's point just clear of the level line (3 pixels).
            const int aboveLine = geometry_.KnobLineY(level) - 2;
            const int belowLine = geometry_.KnobLineY(level) + 2;
            canvas.SetBrushColor(Black);
            switch (mark) {
            case KnobMark::TooLow:
                DrawKnobStripe(canvas, left, top, right, aboveLine);
                DrawKnobStripe(canvas, left, bottom, right, belowLine);
                break;
            case KnobMark::TooHigh:
                DrawKnobStripe(canvas, left, aboveLine, right, top);
                DrawKnobStripe(canvas, left, belowLine, right, bottom);
                break;
            default:
                DrawKnobStripe(canvas, left, top, right, bottom);
                if (mark == KnobMark::WrongTryHint)
                    DrawKnobStripe(canvas, left, bottom, right, top);
            }
        }
    }
    const int lineHalf = geometry_.KnobLineHalfWidth();
    const int lineY = geometry_.KnobLineY(level);
    canvas.SetPenWidth(3);
    canvas.MoveTo(centreX - lineHalf, lineY);
    canvas.LineTo(centreX + lineHalf, lineY);
}

void FaderRenderer::DrawBandFader(PixelExactCanvas& canvas, const GameState& state, int band) const
{
    canvas.SetFontColor(LabelColour(state, band));
    canvas.Draw((band + 1) * geometry_.ColumnWidth, geometry_.TrackTop, faderImage_);
    canvas.SetPenColor(White);
    canvas.SetBrushColor(KnobColour(state, band));
    DrawKnob(canvas, FaderCentreX(band), state.BandTable[band].Level, MarkOf(state, band));
}

void FaderRenderer::DrawBandLabel(PixelExactCanvas& canvas, const GameState& state, int band) const
{
    canvas.SetBrushColor(Black);
    const QString text = BandLabel(state.BandTable[band]);
    const int width = canvas.TextWidth(text);
    const int x = Nearest(geometry_.ColumnCentre(band) - width / 2.0);
    canvas.TextOut(x, geometry_.LabelTop, text);
    if (LabelUnderlined(state, band) && labelMetrics_) {
        const int y = geometry_.LabelTop + labelMetrics_->height();
        canvas.SetBrushColor(LabelColour(state, band));
        canvas.FillRect(x, y, x + width, y + UnderlineHeight());
        canvas.SetBrushColor(Black); // the next label's cell
    }
}

int FaderRenderer::UnderlineHeight() const
{
    // Inside the label's margin (TextMargin), so the label's area covers it.
    return labelMetrics_ ? 1 + labelMetrics_->height() / 8 : 0;
}

void FaderRenderer::DrawSurfaceBank(PixelExactCanvas& canvas, const GameState& state) const
{
    const auto [first, count] = SurfaceBank(state);
    const QRect bar = SurfaceBankArea(first, count);
    if (bar.isEmpty())
        return;
    canvas.SetBrushColor(White);
    canvas.FillRect(bar.left(), bar.top(), bar.right() + 1, bar.bottom() + 1);
    canvas.SetBrushColor(Black);
}

void FaderRenderer::DrawVolumeLabel(PixelExactCanvas& canvas) const
{
    canvas.TextOut(
        Nearest(VolumeCentre * geometry_.ColumnWidth - canvas.TextWidth(VolumeLabel()) / 2.0),
        geometry_.LabelTop, VolumeLabel());
}

void FaderRenderer::DrawVolumeFader(PixelExactCanvas& canvas, const GameState& state) const
{
    canvas.SetFontColor(FaderSelected(state, VolumeFader) ? Yellow : White);
    canvas.Draw(VolumeColumn * geometry_.ColumnWidth, geometry_.TrackTop, faderImage_);
    // The brush is still the labels' black, so "VOL" has a black cell too.
    DrawVolumeLabel(canvas);
    canvas.SetPenColor(White);
    canvas.SetBrushColor(KnobColour(state, VolumeFader));
    DrawKnob(canvas, FaderCentreX(VolumeFader), state.MasterVolume);
}

const FaderRenderer::TextPiece& FaderRenderer::FrequencyPiece(const QString& text,
                                                              int pointSize) const
{
    TextPiece& piece = frequencyPiece_;
    if (piece.text == text && piece.pointSize == pointSize && piece.dotsPerMetre == dotsPerMetre_)
        return piece;
    piece = TextPiece{text, pointSize, dotsPerMetre_, {}, {}};
    const QImage probe = NewPicture(QSize(1, 1));
    const QFontMetrics metrics(ArialFont(pointSize), &probe);
    const int margin = 2 * TextMargin(metrics);
    QImage canvasImage = NewPicture(
        QSize(metrics.horizontalAdvance(text) + 2 * margin, metrics.height() + 2 * margin));
    if (canvasImage.isNull())
        return piece;
    canvasImage.fill(Qt::transparent);
    QPainter painter(&canvasImage);
    PixelExactCanvas canvas(painter);
    canvas.SetBrushClear();
    canvas.SetFontColor(Grey);
    canvas.SetFont(ArialFont(pointSize));
    canvas.TextOut(margin, margin, text);
    painter.end();
    // Keep only the rows and columns the glyphs reached.
    QRect used;
    for (int y = 0; y < canvasImage.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(canvasImage.constScanLine(y));
        for (int x = 0; x < canvasImage.width(); ++x)
            if (qAlpha(line[x]) != 0)
                used |= QRect(x, y, 1, 1);
    }
    if (used.isEmpty())
        return piece;
    piece.pixels = canvasImage.copy(used);
    piece.offset = used.topLeft() - QPoint(margin, margin);
    return piece;
}

void FaderRenderer::DrawFrequencyText(PixelExactCanvas& canvas, const GameState& state) const
{
    if (!ShowsFrequency(state.GameMode))
        return;
    const int pointSize = FrequencyPointSize();
    if (pointSize <= 0)
        return;
    canvas.SetBrushClear();
    canvas.SetFontColor(Grey);
    canvas.SetFont(ArialFont(pointSize));
    const QString text = FormatFrequency(state.ToneFrequency);
    const int x = Nearest((paintBox_.width() - canvas.TextWidth(text)) / 2.0);
    const int y = paintBox_.height() - canvas.TextHeight(text);
    // What TextOut(x, y, text) draws: grey glyphs, nothing else.
    const TextPiece& piece = FrequencyPiece(text, pointSize);
    if (!piece.pixels.isNull())
        canvas.Painter().drawImage(QPoint(x, y) + piece.offset, piece.pixels);
}

QImage FaderRenderer::PaintStraightforward(const GameState& state) const
{
    QImage picture = NewPicture(paintBox_);
    if (picture.isNull())
        return picture;
    QPainter painter(&picture);
    PixelExactCanvas canvas(painter);
    const int cw = paintBox_.width();
    const int ch = paintBox_.height();

    if (CoverShown) {
        canvas.SetBrushColor(Black);
        canvas.FillRect(0, 0, cw, ch);
    } else if (!hasFaderImage_) {
        canvas.SetBrushColor(White);
        canvas.FillRect(0, 0, cw, ch);
    } else {
        canvas.SetBrushColor(Black);
        canvas.FillRect(0, 0, cw, ch);
        canvas.SetFont(ArialFont(labelFontSize_));
        canvas.SetFontColor(White);
        const bool faderMode = IsFaderMode(state.GameMode);
        if (faderMode)
            DrawSurfaceBank(canvas, state);
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
    }
    painter.end();
    picture.setDevicePixelRatio(devicePixelRatio_);
    return picture;
}

QImage FaderRenderer::FaderPaint(const GameState& state) const
{
    QImage picture = NewPicture(paintBox_);
    if (picture.isNull())
        return picture;
    QPainter painter(&picture);
    Paint(painter, QRegion(picture.rect()), state);
    painter.end();
    picture.setDevicePixelRatio(devicePixelRatio_);
    return picture;
}

int FaderRenderer::FaderCentreX(int fader) const
{
    if (fader == VolumeFader)
        return Nearest(VolumeCentre * geometry_.ColumnWidth);
    return Nearest(geometry_.ColumnCentre(fader));
}

QRect FaderRenderer::TrackArea(int column) const
{
    return QRect(column * geometry_.ColumnWidth, geometry_.TrackTop, faderImage_.width(),
                 faderImage_.height());
}

QRect FaderRenderer::KnobArea(int centreX, int level) const
{
    // The knob's rectangle and its line, both as the canvas normalises them.
    const int knobHalf = std::abs(geometry_.KnobHalfWidth());
    const int top = geometry_.KnobTop(level);
    const int bottom = geometry_.KnobBottom(level);
    const QRect knob = QRect(QPoint(centreX - knobHalf, std::min(top, bottom)),
                             QPoint(centreX + knobHalf, std::max(top, bottom)));
    const int lineHalf = std::abs(geometry_.KnobLineHalfWidth());
    const int lineY = geometry_.KnobLineY(level);
    const QRect line(QPoint(centreX - lineHalf, lineY - 2), QPoint(centreX + lineHalf, lineY + 2));
    return knob.united(line).adjusted(-1, -1, 1, 1);
}

QRect FaderRenderer::SurfaceBankArea(int first, int count) const
{
    if (count <= 0)
        return {};
    // A thin bar over the bank's tracks, a little in from their outer edges
    // so that it reads as one group.
    const int thickness = std::max(2, Nearest(geometry_.TrackTop / 16.0));
    const int left = (first + 1) * geometry_.ColumnWidth + 1;
    const int right = (first + count + 1) * geometry_.ColumnWidth - 2;
    const int bottom = geometry_.TrackTop - thickness - 1;
    return QRect(QPoint(left, bottom - thickness + 1), QPoint(right, bottom));
}

QRect FaderRenderer::LabelArea(const QFontMetrics& metrics, double centreX,
                               const QString& text) const
{
    if (text.isEmpty())
        return {};
    const int x = Nearest(centreX - metrics.horizontalAdvance(text) / 2.0);
    const int margin = TextMargin(metrics);
    return TextExtent(metrics, x, geometry_.LabelTop, text)
        .adjusted(-margin, -margin, margin, margin);
}

QRect FaderRenderer::FrequencyArea(const QFontMetrics& metrics, const QString& text) const
{
    if (text.isEmpty())
        return {};
    // The whole row: large text is filled as a path, whose outline does not
    // keep to the metrics' bounding box.
    const int margin = TextMargin(metrics);
    const int top = paintBox_.height() - metrics.height() - margin;
    return QRect(0, top, paintBox_.width(), paintBox_.height() - top);
}

const QRect& FaderRenderer::CachedLabelArea(int fader, const QString& text) const
{
    RememberedArea& remembered = labelAreas_[fader];
    if (remembered.sizeGeneration != sizeGeneration_ || remembered.text != text) {
        const double centre = fader == VolumeFader ? VolumeCentre * geometry_.ColumnWidth
                                                   : geometry_.ColumnCentre(fader);
        remembered = {sizeGeneration_, text,
                      labelMetrics_ ? LabelArea(*labelMetrics_, centre, text) : QRect()};
    }
    return remembered.area;
}

void FaderRenderer::PaintBandFader(PixelExactCanvas& canvas, const QRegion& area,
                                   const GameState& state, int band) const
{
    canvas.SetFontColor(LabelColour(state, band));
    const int centre = FaderCentreX(band);
    const int level = state.BandTable[band].Level;
    if (area.intersects(TrackArea(band + 1)))
        canvas.Draw((band + 1) * geometry_.ColumnWidth, geometry_.TrackTop, faderImage_);
    if (area.intersects(KnobArea(centre, level))) {
        canvas.SetPenColor(White);
        canvas.SetBrushColor(KnobColour(state, band));
        DrawKnob(canvas, centre, level, MarkOf(state, band));
    }
}

void FaderRenderer::PaintVolumeFader(PixelExactCanvas& canvas, const QRegion& area,
                                     const GameState& state) const
{
    canvas.SetFontColor(FaderSelected(state, VolumeFader) ? Yellow : White);
    if (area.intersects(TrackArea(VolumeColumn)))
        canvas.Draw(VolumeColumn * geometry_.ColumnWidth, geometry_.TrackTop, faderImage_);
    if (area.intersects(CachedLabelArea(VolumeFader, VolumeLabel()))) {
        canvas.SetBrushColor(Black); // as the last band label left it
        DrawVolumeLabel(canvas);
    }
    const int centre = FaderCentreX(VolumeFader);
    if (area.intersects(KnobArea(centre, state.MasterVolume))) {
        canvas.SetPenColor(White);
        canvas.SetBrushColor(KnobColour(state, VolumeFader));
        DrawKnob(canvas, centre, state.MasterVolume);
    }
}

void FaderRenderer::Paint(QPainter& painter, const QRegion& region, const GameState& state) const
{
    const QRect whole(QPoint(0, 0), paintBox_);
    const QRegion area = region.intersected(whole);
    if (area.isEmpty())
        return;
    // Point sizes are meant for the picture's resolution, which a widget's
    // painter (logical resolution, ratio undone) may not have.
    const int deviceDpi = painter.device() ? painter.device()->logicalDpiY() : 0;
    const qreal pictureDpi = qRound(dotsPerMetre_ * 0.0254);
    PixelExactCanvas canvas(painter, deviceDpi > 0 ? pictureDpi / deviceDpi : 1.0);
    const int cw = paintBox_.width();
    const int ch = paintBox_.height();

    if (CoverShown) {
        canvas.SetBrushColor(Black);
        canvas.FillRect(0, 0, cw, ch);
        return;
    }
    if (!hasFaderImage_) {
        canvas.SetBrushColor(White);
        canvas.FillRect(0, 0, cw, ch);
        return;
    }

    // The steps of the straightforward repaint in their order; a step is left
    // out only when nothing it draws can reach the region, and the canvas
    // state each later step relies on is set all the same.
    canvas.SetBrushColor(Black);
    canvas.FillRect(0, 0, cw, ch);
    canvas.SetFont(ArialFont(labelFontSize_));
    canvas.SetFontColor(White);
    const bool faderMode = IsFaderMode(state.GameMode);
    const bool chartMode = IsChartMode(state.GameMode) && chartColumn_;
    if (faderMode) {
        const auto [first, count] = SurfaceBank(state);
        if (area.intersects(SurfaceBankArea(first, count)))
            DrawSurfaceBank(canvas, state);
    }
    for (int band = 0; band < BandCount; ++band) {
        if (faderMode)
            PaintBandFader(canvas, area, state, band);
        else if (chartMode)
            chartColumn_(canvas, state, band, geometry_);
        const QString label = BandLabel(state.BandTable[band]);
        if (!label.isEmpty() && area.intersects(CachedLabelArea(band, label)))
            DrawBandLabel(canvas, state, band);
    }
    if (faderMode)
        PaintVolumeFader(canvas, area, state);
    if (ShowsFrequency(state.GameMode) && FrequencyPointSize() > 0) {
        canvas.SetFont(ArialFont(FrequencyPointSize()));
        const QString text = FormatFrequency(state.ToneFrequency);
        if (area.intersects(FrequencyArea(canvas.Metrics(), text)))
            DrawFrequencyText(canvas, state);
    }
}

FaderPictureContent FaderRenderer::Content(const GameState& state) const
{
    FaderPictureContent content;
    content.sizeGeneration = sizeGeneration_;
    content.cover = CoverShown;
    content.hasTrack = hasFaderImage_;
    content.mode = state.GameMode;
    if (!IsFaderMode(state.GameMode) || CoverShown || !hasFaderImage_)
        return content;
    for (int fader = 0; fader <= VolumeFader; ++fader) {
        FaderPictureContent::Fader& shown = content.faders[fader];
        shown.level = FaderLevel(state, fader);
        shown.knob = KnobColour(state, fader).rgb();
        shown.knobMark = MarkOf(state, fader);
        shown.labelColour = LabelColour(state, fader).rgb();
        shown.labelUnderlined = LabelUnderlined(state, fader);
        shown.label = fader == VolumeFader ? VolumeLabel() : BandLabel(state.BandTable[fader]);
    }
    std::tie(content.surfaceBankFirst, content.surfaceBankCount) = SurfaceBank(state);
    if (ShowsFrequency(state.GameMode))
        content.frequencyText = FormatFrequency(state.ToneFrequency);
    return content;
}

QRegion FaderRenderer::ChangedArea(const FaderPictureContent& before,
                                   const FaderPictureContent& after) const
{
    if (before == after)
        return {};
    const QRect whole(QPoint(0, 0), paintBox_);
    if (before.sizeGeneration != after.sizeGeneration || before.cover != after.cover ||
        before.hasTrack != after.hasTrack || before.mode != after.mode ||
        !IsFaderMode(after.mode) || after.cover || !after.hasTrack || !labelMetrics_ ||
        !frequencyMetrics_)
        return whole;

    QRegion changed;
    for (int fader = 0; fader <= VolumeFader; ++fader) {
        const FaderPictureContent::Fader& old = before.faders[fader];
        const FaderPictureContent::Fader& now = after.faders[fader];
        if (old.level != now.level || old.knob != now.knob || old.knobMark != now.knobMark) {
            const int centre = FaderCentreX(fader);
            changed += KnobArea(centre, old.level);
            changed += KnobArea(centre, now.level);
        }
        if (old.label != now.label || old.labelColour != now.labelColour ||
            old.labelUnderlined != now.labelUnderlined) {
            changed += CachedLabelArea(fader, old.label);
            changed += CachedLabelArea(fader, now.label);
        }
    }
    if (before.surfaceBankFirst != after.surfaceBankFirst ||
        before.surfaceBankCount != after.surfaceBankCount) {
        changed += SurfaceBankArea(before.surfaceBankFirst, before.surfaceBankCount);
        changed += SurfaceBankArea(after.surfaceBankFirst, after.surfaceBankCount);
    }
    if (before.frequencyText != after.frequencyText) {
        changed += FrequencyArea(*frequencyMetrics_, before.frequencyText);
        changed += FrequencyArea(*frequencyMetrics_, after.frequencyText);
    }
    return changed.intersected(whole);
}

QRegion FaderRenderer::RepaintArea(const FaderPictureContent& shown,
                                   const FaderPictureContent& now) const
{
    if (now.cover || IsChartMode(now.mode))
        return QRect(QPoint(0, 0), paintBox_);
    return ChangedArea(shown, now);
}
