#pragma once
// "Lernpfad": after start-up the one writer of the learning path. The band
// draw asks it which bands the path allows, fitted to the cut range in play;
// each finished tone turn moves the path on by the journal's first-try
// rates. Thread: GUI only.

#include "model/BandWeights.h"
#include "model/GameState.h"

#include <QObject>
#include <optional>

class JournalService;

class LearningPathKeeper final : public QObject {
    Q_OBJECT
  public:
    LearningPathKeeper(LearningPath& path, const GameState& state, JournalService& journal,
                       QObject* parent = nullptr);

    // The bands the draw keeps to; nullopt with "Lernpfad" off.
    std::optional<BandMask> DrawBands();
    // A tone turn the player finished, at the first try or not.
    void ToneTurnEnded(bool firstTry);

  signals:
    // The path gained or lost a band.
    void moved();

  private:
    LearningPath& path_;
    const GameState& state_;
    JournalService& journal_;
};
