#pragma once
// One turn as the training journal stores it: a row of the table `turns`.
// Rows can also come from other tools, so everything read back is checked
// before a view or the band draw trusts it. Thread: any.

#include "model/BandSlot.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <optional>

// Missed: a stage howl stopped by another band's fader ("daneben").
enum class TurnOutcome { Found, Abandoned, Missed };

struct JournalTurn {
    std::int64_t id = 0;          // assigned by the database
    QDateTime startedAt;          // when the tone began, UTC
    int ringingBand = NoFader;    // 0..27
    double frequencyHz = 0;       // the tone's exact frequency
    int scoringMode = 0;          // Selektmode of the turn
    int lowCut = 0;               // LowCutBand
    int highCut = 0;              // HighCutBand
    int attempts = 0;             // as the status line shows them; a find counts one
    QList<int> tried;             // bands of the counted wrong attempts, in order
    std::optional<qint64> findMs; // the game's find time; none when not found
    TurnOutcome outcome = TurnOutcome::Abandoned;
    int feedbackTime = 0; // "Feedback Zeit" setting 0..6
    int randomStart = 0;  // "Zufallsstart" in seconds
    int swell = 0;        // 1: the tone swelled in
    int bed = 0;          // 0 none, 1 pink noise, 2 music
    // A howl of a stage turn rather than the game's tone ('buehne', not 'ton').
    bool stage = false;
    std::optional<double> howlHz;      // the howl's frequency; stage only
    std::optional<double> gainWonDb;   // gain won over the turn's first howl; stage only
    std::optional<std::int64_t> setId; // the "Übungssatz" it was played in
    // What the automatic engineer won on the same stage; stage only.
    std::optional<double> autoGainDb;

    bool Found() const { return outcome == TurnOutcome::Found; }
    // The band of the first try: the first wrong one, else the found band
    // itself; none for a turn given up before any counted try.
    std::optional<int> FirstTry() const;
};

// One "Übungssatz" (table `sets`), as it is written when it ends.
struct PracticeSetRecord {
    std::int64_t id = 0;
    QDateTime startedAt;    // UTC
    QDateTime endedAt;      // UTC
    int points = 0;         // out of 100, of the turns played
    bool completed = false; // all ten turns, else "abgebrochen"
};

// The columns of `turns` in the order of the table, the CSV export and the
// documentation; the first is the row id.
extern const QStringList JournalColumns;
// What the export writes: JournalColumns and the points of the turn's set.
extern const QStringList ExportColumns;
// How many of them there were before the stage's: `kind` comes next.
constexpr int ToneColumnCount = 15;

// "2026-12-07T21:05:33Z": ISO 8601, UTC, whole seconds.
QString FormatStartedAt(const QDateTime& utc);
// Band indices separated by single spaces; empty when none.
QString FormatTried(const QList<int>& bands);
QString FormatOutcome(TurnOutcome outcome);
QString FormatKind(bool stage);

// Builds a turn from the values of one row in JournalColumns order. Nullopt
// for a row no view may trust: an unreadable time, a band outside 0..27, a
// negative count or time, an unknown outcome or kind, a find without its time.
std::optional<JournalTurn> TurnFromRow(const QList<QVariant>& row);
