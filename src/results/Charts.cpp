#include "results/Charts.h"

#include "display/FaderGeometry.h"
#include "display/Nearest.h"
#include "display/PixelExactCanvas.h"
#include "results/FormatFigure.h"

#include <algorithm>

namespace {

const QColor White(255, 255, 255);

constexpr int MarkPenWidth = 3;
// Comparison differences smaller than this either way get the zero-line mark.
constexpr double ComparisonThreshold = 0.05;
constexpr int LabelDigits = 2;

int BaselineY(int trackTop)
{
    return 7 * trackTop;
}
int ZeroLineY(int trackTop)
{
    return 4 * trackTop;
}

// Pixels per attempt or per second.
double ChartUnit(int trackTop)
{
    return 6 * trackTop / 10.0;
}

int BarLeft(int band, int columnWidth)
{
    return Nearest((band + 1.1) * columnWidth);
}
int BarRight(int band, int columnWidth)
{
    return Nearest((band + 1.8) * columnWidth);
}

void BaselineMark(PixelExactCanvas& canvas, int left, int right, int lineY)
{
    canvas.SetPen(White, MarkPenWidth);
    canvas.MoveTo(left, lineY - 1);
    canvas.LineTo(right, lineY - 1);
}

void Bar(PixelExactCanvas& canvas, int left, int lineY, int right, int end)
{
    // Outlined with the marks' pen; being white on white, only the fill shows.
    canvas.SetPen(White, MarkPenWidth);
    canvas.SetBrushColor(White);
    canvas.Rectangle(left, lineY, right, end);
}

// A bar end far past the picture's edge, moved in to just past it: the bar
// looks the same clipped, its label stays off the picture as before, and the
// label's position (an end minus a text height) cannot overflow.
int KeptNearPicture(const PixelExactCanvas& canvas, int y, int textHeight)
{
    const QRect visible = canvas.VisibleArea();
    const int margin = 2 * textHeight + MarkPenWidth;
    return std::clamp(y, visible.top() - margin, visible.bottom() + margin);
}

void ValueLabel(PixelExactCanvas& canvas, double columnCentre, int top, const QString& text)
{
    canvas.SetBrushClear();
    canvas.TextOut(Nearest(columnCentre - canvas.TextWidth(text) / 2.0), top, text);
}

} // namespace

bool IsComparisonChart(GameModeValue mode)
{
    return mode == ModeProgressAttempts || mode == ModeProgressTimes;
}

bool IsTimeChart(GameModeValue mode)
{
    return mode == ModeCurrentTimes || mode == ModeTotalTimes || mode == ModeProgressTimes;
}

ChartEntry ChartValue(const GameState& state, int band)
{
    if (band < 0 || band >= BandCount || !IsChartMode(state.GameMode))
        return {};
    // Both cut bands themselves stay uncharted, whatever they hold.
    if (!(state.LowCutBand < band && band < state.HighCutBand))
        return {};
    const BandSlot& current = state.BandTable[band];
    const BandSlot& stored = state.StoredBandTable[band];
    // Sums in doubles: 32-bit counters from a file can add up past their range.
    const double currentFinds = current.Finds;
    const double storedFinds = stored.Finds;

    ChartEntry entry;
    switch (state.GameMode) {
    case ModeCurrentAttempts:
    case ModeCurrentTimes:
        entry.finds = currentFinds;
        entry.sum = state.GameMode == ModeCurrentAttempts ? current.Attempts : current.FindTime;
        break;
    case ModeTotalAttempts:
        entry.finds = currentFinds + storedFinds;
        entry.sum = static_cast<double>(current.Attempts) + stored.Attempts;
        break;
    case ModeTotalTimes:
        entry.finds = currentFinds + storedFinds;
        entry.sum = static_cast<double>(current.FindTime) + stored.FindTime;
        break;
    case ModeProgressAttempts:
        if (currentFinds > 0 && storedFinds > 0) {
            entry.charted = true;
            entry.value = stored.Attempts / storedFinds - current.Attempts / currentFinds;
        }
        return entry;
    case ModeProgressTimes:
        if (currentFinds > 0 && storedFinds > 0) {
            entry.charted = true;
            entry.value = (stored.FindTime / storedFinds - current.FindTime / currentFinds) / 1000;
        }
        return entry;
    default:
        return {};
    }
    if (entry.finds <= 0)
        return {};
    entry.charted = true;
    entry.value =
        IsTimeChart(state.GameMode) ? entry.sum / (entry.finds * 1000) : entry.sum / entry.finds;
    return entry;
}

QString ChartLabel(GameModeValue mode, double value, const QLocale& locale)
{
    if (!IsComparisonChart(mode))
        return FormatFigure(value, LabelDigits, locale);
    // The change of the current average: a positive difference is fewer
    // attempts or less time now.
    const QString change = FormatFigure(-value, LabelDigits, locale);
    return value < 0 ? QStringLiteral("+") + change : change;
}

void PaintChartColumn(PixelExactCanvas& canvas, const GameState& state, int band,
                      const FaderGeometry& geometry, const QLocale& locale)
{
    const int w = geometry.ColumnWidth;
    const int t = geometry.TrackTop;
    const int left = BarLeft(band, w);
    const int right = BarRight(band, w);
    const bool comparison = IsComparisonChart(state.GameMode);
    const int lineY = comparison ? ZeroLineY(t) : BaselineY(t);

    const ChartEntry entry = ChartValue(state, band);
    if (!entry.charted) {
        BaselineMark(canvas, left, right, lineY);
        return;
    }
    const QString text = ChartLabel(state.GameMode, entry.value, locale);
    const double centre = geometry.ColumnCentre(band);

    if (!comparison) {
        // From the sums, as the averages were taken: no rounding in between.
        const double pixelsPerUnit = IsTimeChart(state.GameMode) ? 6 * t / 10000.0 : ChartUnit(t);
        const int top =
            KeptNearPicture(canvas, Nearest(lineY - pixelsPerUnit * entry.sum / entry.finds),
                            canvas.TextHeight(text));
        Bar(canvas, left, lineY, right, top);
        ValueLabel(canvas, centre, top - canvas.TextHeight(text), text);
        return;
    }

    const double d = entry.value;
    const int end =
        KeptNearPicture(canvas, Nearest(lineY - ChartUnit(t) * d), canvas.TextHeight(text));
    if (d >= ComparisonThreshold || d <= -ComparisonThreshold)
        Bar(canvas, left, lineY, right, end);
    else
        BaselineMark(canvas, left, right, lineY);
    // Above a rising bar, below a hanging one or the zero line.
    ValueLabel(canvas, centre, d > 0 ? end - canvas.TextHeight(text) : end, text);
}

FaderRenderer::ChartColumnPainter MakeChartColumnPainter(const QLocale& locale)
{
    return [locale](PixelExactCanvas& canvas, const GameState& state, int band,
                    const FaderGeometry& geometry) {
        PaintChartColumn(canvas, state, band, geometry, locale);
    };
}
