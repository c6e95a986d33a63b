#pragma once
// "Lernpfad": the ringing band is drawn only from a set of bands that grows
// while the player finds them at the first try and shrinks when that rate
// drops. A fresh path holds four bands spread over the bands that can ring;
// every RoundTurns turns the round's first-try rate decides: at least 85 %
// adds the neighbour of a path band the player knows least, under 75 % takes
// back the band added last, never going below the fresh four.
// Writer: the settings reader at start-up, then the "Training" menu and the
// turns that end while the option is on. Thread: GUI only.

#include "model/BandSlot.h"
#include "model/BandWeights.h"

#include <vector>

// Share of turns found at the first try per band, 0..1.
using BandRates = std::array<double, BandCount>;

class LearningPath {
  public:
    static constexpr int FreshBands = 4;
    static constexpr int RoundTurns = 20;
    static constexpr int GrowPercent = 85;
    static constexpr int ShrinkPercent = 75;

    enum class Change { None, Added, Removed };

    // The fresh path for bands lowCutBand + 1 .. highCutBand (those that can ring).
    static std::vector<int> FreshPath(int lowCutBand, int highCutBand);
    // The band next to a path band (in play, not yet in it) with the lowest
    // rate; ties go to the lower band. NoFader when there is none.
    static int WeakestNeighbour(const std::vector<int>& bands, const BandRates& firstTryRates,
                                int lowCutBand, int highCutBand);

    // Bands in the order they were added; empty until the path is first used.
    const std::vector<int>& Bands() const { return bands_; }
    bool Contains(int band) const;
    int TurnsCounted() const { return turns_; }
    int FirstTries() const { return firstTries_; }
    BandMask Mask() const;

    // Keeps the bands that can ring in this cut range, in their order, and
    // refills to four from the fresh path's bands; an empty path becomes the
    // fresh one. True when the bands changed, which restarts the round.
    bool Fit(int lowCutBand, int highCutBand);
    // One ended turn of the path; the last of a round may change the bands.
    Change Record(bool firstTry, const BandRates& firstTryRates, int lowCutBand, int highCutBand);
    // As remembered in the settings file; bands out of 0..27 and repeats are
    // dropped, a round that cannot be starts again.
    void Restore(const std::vector<int>& bands, int turnsCounted, int firstTries);

  private:
    std::vector<int> bands_;
    int turns_ = 0;
    int firstTries_ = 0;
};
