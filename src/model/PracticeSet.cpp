#include "model/PracticeSet.h"

#include "model/Median.h"

#include <algorithm>
#include <cmath>

SetTurn PracticeSet::Judge(int ringingBand, std::optional<int> firstWrongBand,
                           std::optional<double> findSeconds)
{
    SetTurn turn;
    turn.found = findSeconds.has_value();
    turn.foundAtFirstTry = turn.found && !firstWrongBand;
    turn.firstTryNeighbour = firstWrongBand && std::abs(*firstWrongBand - ringingBand) == 1;
    turn.findSeconds = findSeconds.value_or(GiveUpSeconds);
    return turn;
}

int PracticeSet::FirstTryFinds() const
{
    return static_cast<int>(std::count_if(turns_.begin(), turns_.end(),
                                          [](const SetTurn& t) { return t.foundAtFirstTry; }));
}

int PracticeSet::NeighbourFirstTries() const
{
    return static_cast<int>(std::count_if(turns_.begin(), turns_.end(),
                                          [](const SetTurn& t) { return t.firstTryNeighbour; }));
}

double PracticeSet::MedianFindSeconds() const
{
    std::vector<double> seconds;
    for (const SetTurn& turn : turns_)
        seconds.push_back(turn.found ? std::min(turn.findSeconds, GiveUpSeconds) : GiveUpSeconds);
    return Median(std::move(seconds)).value_or(GiveUpSeconds);
}

int PracticeSet::Points() const
{
    const double speed = std::clamp((GiveUpSeconds - MedianFindSeconds()) / 9.0, 0.0, 1.0);
    return static_cast<int>(
        std::lround(6 * FirstTryFinds() + 3 * NeighbourFirstTries() + 40 * speed));
}
