#pragma once
// What the journal's views and the weighted band draw compute from the
// recorded turns. Plain computation on checked turns (see TurnFromRow), so
// tests can seed turns and compare. Thread: any.

#include "journal/JournalTurn.h"
#include "model/BandWeights.h"
#include "model/LearningPath.h"

#include <QDate>
#include <QDateTime>
#include <QTimeZone>

#include <array>
#include <deque>
#include <optional>
#include <vector>

// ---- Confusion matrix ------------------------------------------------------

enum class JournalPeriod { Last7Days, Last30Days, All };

struct ConfusionPair {
    int ringingBand = 0;
    int triedBand = 0;
    int count = 0;
};

struct ConfusionMatrix {
    // counts[ringing][tried]: turns of `ringing` whose wrong tries included
    // `tried`; counts[b][b]: turns of b found at the first try.
    std::array<std::array<int, BandCount>, BandCount> counts{};
    std::array<int, BandCount> bandTurns{}; // turns of each ringing band
    int turns = 0;                          // turns of the period
    std::vector<int> rows;                  // the bands that rang, ascending
    std::vector<int> columns;               // those and every band tried, ascending
    // The median of (tried - ringing) in bands over the wrong tries of a band
    // with at least DirectionTurns turns; nullopt for fewer turns or no
    // wrong try.
    std::array<std::optional<double>, BandCount> direction{};
    // The first-try share of each band in the period as long before this
    // one, where the band rang then; never for "Alle".
    std::array<std::optional<double>, BandCount> previousFirstTryShare{};
    // The pairs most often confused, most frequent first (ties: lower
    // ringing band, then lower tried band); at most three.
    std::vector<ConfusionPair> mostConfused;

    // counts[r][c] / bandTurns[r]; nullopt for a band that did not ring.
    std::optional<double> Share(int ringingBand, int triedBand) const;
};

// Fewer turns say nothing about a band's direction.
constexpr int DirectionTurns = 5;

// Turns of the period: the last 7 or 30 calendar days in `localZone` up to
// and including the day of `nowUtc`, or all. The period before is as long
// and ends the day before it begins.
ConfusionMatrix ComputeConfusionMatrix(const std::vector<JournalTurn>& turns, JournalPeriod period,
                                       const QDateTime& nowUtc, const QTimeZone& localZone);

// ---- Learning curve ----------------------------------------------------------

// The three figures of a set of turns. A share is nullopt when nothing could
// be counted for it, the median when nothing was found.
struct LearningFigures {
    int turns = 0;
    int found = 0;
    std::optional<double> firstAttemptShare; // found at the first attempt / found, 0..1
    std::optional<double>
        nearFirstTryShare; // first try on the band or a neighbour / turns with a try
    std::optional<double> medianFindSeconds; // over the found turns
};

struct LearningDay {
    QDate day; // local calendar day of the turns' start
    LearningFigures figures;
};

// Per band over the band's last `BandWindow` turns.
constexpr int BandWindow = 20;

struct LearningCurve {
    std::vector<LearningDay> days;      // ascending, only days with tone turns
    std::vector<LearningDay> stageDays; // the same for the stage's howls
    std::array<LearningFigures, BandCount> bands{};
    int turns = 0;
};

// `turns` in chronological order (as Journal::ReadTurns gives them);
// `localZone` turns a start time into the player's calendar day.
LearningCurve ComputeLearningCurve(const std::vector<JournalTurn>& turns,
                                   const QTimeZone& localZone);
// Whether the curve has any day to draw.
inline bool HasDays(const LearningCurve& curve)
{
    return !curve.days.empty() || !curve.stageDays.empty();
}
LearningFigures ComputeFigures(const std::vector<const JournalTurn*>& turns);

// ---- Weights of the weighted draw ----------------------------------------------

// The attempts of each band's last BandWindow found turns, kept up to date
// turn by turn so that a draw costs nothing.
class RecentFinds {
  public:
    // Turns in chronological order; only found ones count.
    void Add(const JournalTurn& turn);
    // weight(b) = (1 + the mean of (attempts - 1) over b's recent finds)^2;
    // 2^2 for a band never found. Squared, so a weak band comes up clearly
    // more often; the draw's floor keeps the strong ones in play.
    BandWeights Weights() const;
    // The share of each band's recent finds made at the first try; 0 for a
    // band never found, which the player knows least.
    BandRates FirstTryRates() const;

  private:
    std::array<std::deque<int>, BandCount> attempts_;
};

BandWeights WeakBandWeights(const std::vector<JournalTurn>& chronological);
