#pragma once
// "Übungssatz": ten turns back to back and one score to beat. Points out of
// 100: 6 per find at the first try, 3 per turn whose first try was a
// neighbour of the ringing band, and up to 40 for a quick median find time
// (40 at 1 s or less, none at 10 s; a give-up counts as 10 s). Thread: any.

#include <optional>
#include <vector>

struct SetTurn {
    bool found = false;
    bool foundAtFirstTry = false;
    bool firstTryNeighbour = false; // the first try was one band off
    double findSeconds = 0;         // found turns only
};

class PracticeSet {
  public:
    static constexpr int TurnCount = 10;
    static constexpr int NextTurnDelayMs = 2000;
    static constexpr double GiveUpSeconds = 10;

    // A turn as it ended: the ringing band, the band of the first wrong try
    // (none when the first try found it or there was none), and the find
    // time; a turn not found was given up.
    static SetTurn Judge(int ringingBand, std::optional<int> firstWrongBand,
                         std::optional<double> findSeconds);

    void Record(const SetTurn& turn) { turns_.push_back(turn); }
    bool Complete() const { return TurnsPlayed() >= TurnCount; }
    int TurnsPlayed() const { return static_cast<int>(turns_.size()); }
    int FirstTryFinds() const;
    int NeighbourFirstTries() const;
    // Of the turns played, give-ups at GiveUpSeconds.
    double MedianFindSeconds() const;
    int Points() const;

  private:
    std::vector<SetTurn> turns_;
};
