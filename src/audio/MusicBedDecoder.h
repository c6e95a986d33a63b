#pragma once
// The player's music as a bed: decoded with libsndfile (whatever formats the
// installed library reads: WAV, FLAC, Ogg, MP3 ...), mixed to mono,
// resampled to 48 kHz with libsamplerate, at most its first five minutes,
// then looped and normalised (BedLoop). Slow for a long file: run it on a
// worker thread.

#include "audio/BedLoop.h"

#include <QString>
#include <atomic>
#include <memory>

constexpr std::size_t MusicBedMaxSamples = std::size_t{5} * 60 * SampleRate;

struct MusicBedResult {
    std::shared_ptr<const BedLoop> bed; // null on failure or when cancelled
    QString errorText;                  // German, for the player; empty when cancelled
};

// Reads `path` whole. `cancelled` is polled between chunks; once it is set the
// decoding gives up and returns neither bed nor error. Thread: any, one call
// at a time (the library keeps the last open error in one global).
MusicBedResult DecodeMusicBed(const QString& path, const std::atomic<bool>& cancelled);
