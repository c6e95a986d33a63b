#include "journal/JournalStats.h"

#include "model/Median.h"

#include <algorithm>
#include <cstdlib>
#include <map>

namespace {

std::optional<int> PeriodDays(JournalPeriod period)
{
    switch (period) {
    case JournalPeriod::Last7Days:
        return 7;
    case JournalPeriod::Last30Days:
        return 30;
    case JournalPeriod::All:
        break;
    }
    return std::nullopt;
}

} // namespace

std::optional<double> ConfusionMatrix::Share(int ringingBand, int triedBand) const
{
    if (bandTurns[ringingBand] == 0)
        return std::nullopt;
    return double(counts[ringingBand][triedBand]) / bandTurns[ringingBand];
}

namespace {

// Which period a turn falls into: the chosen one, the one just before it
// (for the trend), or neither.
enum class TurnPeriod { Chosen, Before, Neither };

struct PeriodDates {
    std::optional<int> days;
    QDate today, firstDay, firstDayBefore;

    TurnPeriod Of(const JournalTurn& turn, const QTimeZone& localZone) const
    {
        if (!days)
            return TurnPeriod::Chosen;
        // A clock set wrong once must not put turns into every period.
        const QDate day = turn.startedAt.toTimeZone(localZone).date();
        if (day >= firstDayBefore && day < firstDay)
            return TurnPeriod::Before;
        return day >= firstDay && day <= today ? TurnPeriod::Chosen : TurnPeriod::Neither;
    }
};

// The turn's tries in its row: each wrong band once per turn, the first-try
// find on the diagonal, and every wrong try's distance for the direction.
void CountTries(const JournalTurn& turn, ConfusionMatrix& matrix, std::vector<double>& distances,
                std::array<bool, BandCount>& tried)
{
    const int ringing = turn.ringingBand;
    auto& row = matrix.counts[ringing];
    std::array<bool, BandCount> inThisTurn{};
    for (int band : turn.tried) {
        if (band == ringing) // a wrong try can never be the ringing band
            continue;
        distances.push_back(band - ringing);
        tried[band] = true;
        if (!inThisTurn[band])
            ++row[band];
        inThisTurn[band] = true;
    }
    if (turn.Found() && turn.attempts == 1)
        ++row[ringing];
}

// The three pairs tried most often, most often first.
std::vector<ConfusionPair> MostConfused(const ConfusionMatrix& matrix)
{
    std::vector<ConfusionPair> pairs;
    for (int r = 0; r < BandCount; ++r)
        for (int c = 0; c < BandCount; ++c)
            if (r != c && matrix.counts[r][c] > 0)
                pairs.push_back({r, c, matrix.counts[r][c]});
    const std::size_t kept = std::min<std::size_t>(3, pairs.size());
    std::partial_sort(pairs.begin(), pairs.begin() + kept, pairs.end(),
                      [](const ConfusionPair& a, const ConfusionPair& b) {
                          if (a.count != b.count)
                              return a.count > b.count;
                          if (a.ringingBand != b.ringingBand)
                              return a.ringingBand < b.ringingBand;
                          return a.triedBand < b.triedBand;
                      });
    pairs.resize(kept);
    return pairs;
}

} // namespace

ConfusionMatrix ComputeConfusionMatrix(const std::vector<JournalTurn>& turns, JournalPeriod period,
                                       const QDateTime& nowUtc, const QTimeZone& localZone)
{
    ConfusionMatrix matrix;
    PeriodDates dates;
    dates.days = PeriodDays(period);
    dates.today = nowUtc.toTimeZone(localZone).date();
    dates.firstDay = dates.days ? dates.today.addDays(1 - *dates.days) : QDate();
    dates.firstDayBefore = dates.days ? dates.firstDay.addDays(-*dates.days) : QDate();
    std::array<bool, BandCount> tried{};
    std::array<std::vector<double>, BandCount> distances;
    std::array<int, BandCount> turnsBefore{}, firstTryBefore{};
    for (const JournalTurn& turn : turns) {
        if (turn.stage)
            continue; // a stage howl has no wrong band to confuse
        const int ringing = turn.ringingBand;
        switch (dates.Of(turn, localZone)) {
        case TurnPeriod::Before:
            ++turnsBefore[ringing];
            firstTryBefore[ringing] += turn.Found() && turn.attempts == 1 ? 1 : 0;
            break;
        case TurnPeriod::Chosen:
            ++matrix.turns;
            ++matrix.bandTurns[ringing];
            CountTries(turn, matrix, distances[ringing], tried);
            break;
        case TurnPeriod::Neither:
            break;
        }
    }

    for (int band = 0; band < BandCount; ++band) {
        if (matrix.bandTurns[band] > 0)
            matrix.rows.push_back(band);
        if (matrix.bandTurns[band] > 0 || tried[band])
            matrix.columns.push_back(band);
        if (matrix.bandTurns[band] >= DirectionTurns)
            matrix.direction[band] = Median(std::move(distances[band]));
        if (turnsBefore[band] > 0)
            matrix.previousFirstTryShare[band] = double(firstTryBefore[band]) / turnsBefore[band];
    }
    matrix.mostConfused = MostConfused(matrix);
    return matrix;
}

LearningFigures ComputeFigures(const std::vector<const JournalTurn*>& turns)
{
    LearningFigures figures;
    int firstAttempt = 0;
    int withTry = 0;
    int nearTry = 0;
    std::vector<double> findSeconds;
    for (const JournalTurn* turn : turns) {
        ++figures.turns;
        if (turn->Found()) {
            ++figures.found;
            if (turn->attempts == 1)
                ++firstAttempt;
            findSeconds.push_back(static_cast<double>(*turn->findMs) / 1000.0);
        }
        if (const auto first = turn->FirstTry()) {
            ++withTry;
            if (std::abs(*first - turn->ringingBand) <= 1)
                ++nearTry;
        }
    }
    if (figures.found > 0)
        figures.firstAttemptShare = double(firstAttempt) / figures.found;
    if (withTry > 0)
        figures.nearFirstTryShare = double(nearTry) / withTry;
    figures.medianFindSeconds = Median(std::move(findSeconds));
    return figures;
}

LearningCurve ComputeLearningCurve(const std::vector<JournalTurn>& turns,
                                   const QTimeZone& localZone)
{
    LearningCurve curve;
    curve.turns = static_cast<int>(turns.size());

    std::map<QDate, std::vector<const JournalTurn*>> byDay, stageByDay;
    std::array<std::vector<const JournalTurn*>, BandCount> byBand;
    for (const JournalTurn& turn : turns) {
        const QDate day = turn.startedAt.toTimeZone(localZone).date();
        if (turn.stage) {
            stageByDay[day].push_back(&turn);
            continue;
        }
        byDay[day].push_back(&turn);
        byBand[turn.ringingBand].push_back(&turn);
    }
    curve.days.reserve(byDay.size());
    for (const auto& [day, dayTurns] : byDay)
        curve.days.push_back({day, ComputeFigures(dayTurns)});
    for (const auto& [day, dayTurns] : stageByDay)
        curve.stageDays.push_back({day, ComputeFigures(dayTurns)});
    for (int band = 0; band < BandCount; ++band) {
        auto& bandTurns = byBand[band];
        if (bandTurns.size() > BandWindow)
            bandTurns.erase(bandTurns.begin(), bandTurns.end() - BandWindow);
        curve.bands[band] = ComputeFigures(bandTurns);
    }
    return curve;
}

void RecentFinds::Add(const JournalTurn& turn)
{
    if (!turn.Found() || turn.stage)
        return;
    auto& recent = attempts_[turn.ringingBand];
    recent.push_back(turn.attempts);
    if (recent.size() > BandWindow)
        recent.pop_front();
}

BandWeights RecentFinds::Weights() const
{
    BandWeights weights{};
    for (int band = 0; band < BandCount; ++band) {
        const auto& recent = attempts_[band];
        double meanWrong = 1.0; // never found: as if one wrong try each time
        if (!recent.empty()) {
            double wrong = 0;
            for (int attempts : recent)
                wrong += attempts - 1;
            meanWrong = wrong / static_cast<double>(recent.size());
        }
        weights[band] = (1.0 + meanWrong) * (1.0 + meanWrong);
    }
    return weights;
}

BandRates RecentFinds::FirstTryRates() const
{
    BandRates rates{};
    for (int band = 0; band < BandCount; ++band) {
        const auto& recent = attempts_[band];
        if (!recent.empty())
            rates[band] = double(std::count(recent.begin(), recent.end(), 1)) / recent.size();
    }
    return rates;
}

BandWeights WeakBandWeights(const std::vector<JournalTurn>& chronological)
{
    RecentFinds recent;
    for (const JournalTurn& turn : chronological)
        recent.Add(turn);
    return recent.Weights();
}
