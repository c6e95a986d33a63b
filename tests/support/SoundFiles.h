#pragma once
// Music files for the tests' beds, written with libsndfile.

#include <QString>
#include <sndfile.h>

// Two sines, one per channel, in `format` (SF_FORMAT_...) at `rate`.
bool WriteTwoSines(const QString& path, int format, int rate, double seconds, double leftHz,
                   double leftAmplitude, double rightHz, double rightAmplitude);
