#include "session/PracticeSetRunner.h"

#include "journal/JournalService.h"
#include "journal/TurnRecorder.h"
#include "model/GameState.h"
#include "platform/Dialogs.h"
#include "session/GameFlow.h"

#include <QLocale>
#include <QStringList>
#include <algorithm>

PracticeSetRunner::PracticeSetRunner(const GameState& state, GameFlow& game,
                                     JournalService& journal, TurnRecorder& recorder,
                                     Dialogs& dialogs, QObject* parent)
    : QObject(parent), state_(state), game_(game), journal_(journal), recorder_(recorder),
      dialogs_(dialogs)
{
    nextTurn.setSingleShot(true);
    nextTurn.setInterval(PracticeSet::NextTurnDelayMs);
    connect(&nextTurn, &QTimer::timeout, this, &PracticeSetRunner::PressStart);
    connect(&game, &GameFlow::turnStarted, this, &PracticeSetRunner::TurnStarted);
    connect(&game, &GameFlow::wrongAttemptCounted, this, &PracticeSetRunner::WrongAttemptCounted);
    connect(&game, &GameFlow::turnFound, this, &PracticeSetRunner::TurnFound);
    connect(&game, &GameFlow::turnAbandoned, this, &PracticeSetRunner::TurnAbandoned);
    connect(&game, &GameFlow::turnChanged, this, &PracticeSetRunner::PhaseChanged);
}

void PracticeSetRunner::Start()
{
    if (state_.Training.Buehne != 0 ||
        TurnMachine::RulesOf(game_.Phase()).plainTone == RaisedBandTone::AnyBand) {
        MessageBoxRequest box;
        box.caption = tr("Übungssatz");
        box.text = tr("Ein Übungssatz besteht aus zehn Runden mit dem Ton. Schalten "
                      "Sie dafür „Bühne“ und den Feedbackgenerator aus.");
        box.icon = DialogIcon::Information;
        dialogs_.MessageBox(box);
        return;
    }
    // Without a device no turn would start: the one box that says so, and no set.
    if (game_.ReportMissingSoundDevice())
        return;
    BreakOff();
    running_ = true;
    const int generation = ++generation_;
    set_ = PracticeSet();
    record_ = PracticeSetRecord();
    record_.startedAt = journal_.NowUtc();
    journal_.Run<std::optional<std::int64_t>>(
        this,
        [startedAt = record_.startedAt](Journal& journal) { return journal.StartSet(startedAt); },
        [this, generation, startedAt = record_.startedAt](std::optional<std::int64_t>& id) {
            if (!running_ || generation != generation_) {
                // Broken off meanwhile: the row the journal began ends with no turn.
                PracticeSetRecord unplayed;
                unplayed.id = id.value_or(0);
                unplayed.startedAt = startedAt;
                unplayed.endedAt = journal_.NowUtc();
                if (unplayed.id != 0)
                    journal_.Run<bool>(
                        this, [unplayed](Journal& journal) { return journal.RecordSet(unplayed); },
                        [](bool&) {});
                return;
            }
            record_.id = id.value_or(0);
            recorder_.SetPracticeSet(id);
            PressStart();
        });
}

void PracticeSetRunner::BreakOff()
{
    if (running_)
        Finish(false);
}

void PracticeSetRunner::PressStart()
{
    // A turn outside the set or a replay ends first, as a second press would.
    if (TurnMachine::RulesOf(game_.Phase()).start != StartPress::BeginsTurn)
        game_.pNeuClick();
    game_.pNeuClick();
}

void PracticeSetRunner::TurnStarted()
{
    if (!running_)
        return;
    nextTurn.stop(); // the player pressed START before the pause was over
    turnInSet_ = true;
    firstWrongBand_.reset();
}

void PracticeSetRunner::WrongAttemptCounted(int band)
{
    if (turnInSet_ && !firstWrongBand_)
        firstWrongBand_ = band;
}

void PracticeSetRunner::TurnFound(int, std::uint32_t findMs, int)
{
    if (!turnInSet_)
        return;
    game_.StopAutoRestart(); // the set keeps its own pace
    TurnEnded(findMs / 1000.0);
}

void PracticeSetRunner::TurnAbandoned()
{
    if (!turnInSet_)
        return;
    // START gave it up; anything else that ends a turn ends the set.
    if (TurnMachine::RulesOf(game_.Phase()).afterTurn)
        TurnEnded(std::nullopt);
    else
        Finish(false);
}

void PracticeSetRunner::PhaseChanged()
{
    if (!running_ || turnInSet_)
        return;
    if (TurnMachine::RulesOf(game_.Phase()).practiceSetEnds)
        Finish(false); // NEUES SPIEL, a chart or the generator between two turns
}

void PracticeSetRunner::TurnEnded(std::optional<double> findSeconds)
{
    turnInSet_ = false;
    set_.Record(PracticeSet::Judge(state_.RingingBand, firstWrongBand_, findSeconds));
    if (set_.Complete())
        Finish(true);
    else
        nextTurn.start();
}

void PracticeSetRunner::Finish(bool completed)
{
    running_ = false;
    turnInSet_ = false;
    nextTurn.stop();
    recorder_.SetPracticeSet(std::nullopt);
    record_.endedAt = journal_.NowUtc();
    record_.points = set_.Points();
    record_.completed = completed;
    const PracticeSetRecord record = record_;
    const PracticeSet set = set_;
    using Sets = std::optional<std::vector<PracticeSetRecord>>;
    journal_.Run<Sets>(
        this,
        [record](Journal& journal) -> Sets {
            // Without an id the journal was off when the set began.
            if (record.id == 0 || !journal.RecordSet(record))
                return std::nullopt;
            return journal.ReadCompletedSets();
        },
        [this, set, completed](Sets& sets) {
            if (completed)
                ShowScore(set, sets);
        });
}

void PracticeSetRunner::ShowScore(const PracticeSet& set,
                                  const std::optional<std::vector<PracticeSetRecord>>& sets)
{
    const QLocale locale;
    QStringList lines;
    lines << tr("%1 von 100 Punkten.").arg(set.Points());
    lines << tr("%1 von %2 Runden beim ersten Versuch gefunden, %3 knapp daneben; "
                "mittlere Fundzeit %4 s.")
                 .arg(set.FirstTryFinds())
                 .arg(PracticeSet::TurnCount)
                 .arg(set.NeighbourFirstTries())
                 .arg(locale.toString(set.MedianFindSeconds(), 'f', 1));
    if (sets && !sets->empty()) {
        const auto best = std::max_element(
            sets->begin(), sets->end(), [](const PracticeSetRecord& a, const PracticeSetRecord& b) {
                return a.points < b.points;
            });
        lines << QString() << tr("Ihr bester Satz: %1 Punkte.").arg(best->points);
        QStringList lastFive;
        for (auto it = sets->rbegin(); it != sets->rend() && lastFive.size() < 5; ++it)
            lastFive << QString::number(it->points);
        lines << tr("Die letzten Sätze (neuester zuerst): %1")
                     .arg(lastFive.join(QStringLiteral(", ")));
    } else {
        lines << QString() << tr("Frühere Sätze sind nicht bekannt: das Trainingsjournal ist aus.");
    }
    MessageBoxRequest box;
    box.caption = tr("Übungssatz");
    box.text = lines.join(QLatin1Char('\n'));
    box.icon = DialogIcon::Information;
    dialogs_.MessageBox(box);
}
