#pragma once
// The game state as tests start from it, and what they read off pictures and
// counters. The one set of builders; tests do not write their own.

#include "display/FaderGeometry.h"
#include "model/GameState.h"
#include "results/BandCounters.h"

#include <QImage>
#include <QList>
#include <QRect>

// The 28 bands with their labels and frequencies, no counts, levels 0.
BandArray FreshBandTable();

// As start-up leaves the window: a fresh table, the default cut range open
// (bands outside it locked), the stored table a copy of it.
GameState StartUpState();

// How many pixels of `area` (clipped to the image) have exactly `colour`.
int CountColour(const QImage& image, QRect area, QRgb colour);

// The bands with white over their tracks: the bank a control surface moves.
QList<int> BandsMarkedAbove(const QImage& picture, const FaderGeometry& geometry);

// Readable BandCounters in QCOMPARE failures.
char* toString(const BandCounters& counters);
