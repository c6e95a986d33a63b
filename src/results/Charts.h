#pragma once
// The six evaluation charts ("Auswertung"): for each band column a bar with
// its value, or a mark on the line when the band has nothing to show. The
// renderer draws the frame (background, band labels) and calls the column
// painter once per band in the chart modes. Thread: GUI only.

#include "display/FaderRenderer.h"
#include "model/GameState.h"

#include <QLocale>
#include <QString>

class PixelExactCanvas;
struct FaderGeometry;

// The charts 7 and 8 compare stored with current averages around a zero line;
// the others stand on a baseline.
bool IsComparisonChart(GameModeValue mode);
bool IsTimeChart(GameModeValue mode);

// What a chart has for one band.
struct ChartEntry {
    bool charted = false;
    // Absolute charts: the attempt or millisecond sum and the find count that
    // give the bar; value = the average (attempts, or seconds, per find).
    double sum = 0;
    double finds = 0;
    // Absolute charts: the average. Comparison charts: the difference
    // d = stored average - current average (seconds for times), positive
    // when the player has improved.
    double value = 0;
};

// Band `band` of the chart GameMode shows, with the cut range of the moment.
ChartEntry ChartValue(const GameState& state, int band);

// The value label: the average, or the change of the current average against
// the stored one ("-" fewer, "+" more).
QString ChartLabel(GameModeValue mode, double value, const QLocale& locale);

// The chart step of the repaint for one band column. Leaves the font alone.
void PaintChartColumn(PixelExactCanvas& canvas, const GameState& state, int band,
                      const FaderGeometry& geometry, const QLocale& locale);

// The painter to install with FaderRenderer::SetChartColumnPainter.
FaderRenderer::ChartColumnPainter MakeChartColumnPainter(const QLocale& locale = QLocale());
