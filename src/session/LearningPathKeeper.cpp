#include "session/LearningPathKeeper.h"

#include "journal/JournalService.h"
#include "model/LearningPath.h"

LearningPathKeeper::LearningPathKeeper(LearningPath& path, const GameState& state,
                                       JournalService& journal, QObject* parent)
    : QObject(parent), path_(path), state_(state), journal_(journal)
{
}

std::optional<BandMask> LearningPathKeeper::DrawBands()
{
    if (state_.Training.Lernpfad == 0)
        return std::nullopt;
    if (path_.Fit(state_.LowCutBand, state_.HighCutBand))
        emit moved();
    return path_.Mask();
}

void LearningPathKeeper::ToneTurnEnded(bool firstTry)
{
    if (state_.Training.Lernpfad == 0)
        return;
    // Until the journal is read every neighbour is as little known.
    const BandRates rates = journal_.FirstTryRates().value_or(BandRates{});
    if (path_.Record(firstTry, rates, state_.LowCutBand, state_.HighCutBand) !=
        LearningPath::Change::None)
        emit moved();
}
