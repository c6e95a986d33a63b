#pragma once
// The training journal: every turn that ends, one row in the SQLite database
// `journal.sqlite` (table `turns`) through Qt SQL. Nothing is opened until a
// turn is recorded or a view asks, so the start of the program does not wait
// for it. A file that is not a database or has damaged pages is moved aside
// and what can still be read is copied into a new journal. Any other fault
// (no write permission, a full disk, a newer schema) switches the journal off
// for the rest of the run with one message box; the game never notices.
// Thread: the one that made it (its Qt SQL connection is that thread's);
// boxes go to `dialogs` on that thread.

#include "journal/JournalStats.h"
#include "journal/JournalTurn.h"
#include "model/BandWeights.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <map>
#include <optional>
#include <vector>

class Dialogs;
class QSqlDatabase;
class QSqlError;

// $XDG_DATA_HOME/Heulmeister Pro/journal.sqlite; ~/.local/share when the
// variable is unset or not an absolute path.
QString JournalFilePath();

// The schema this program writes, kept in PRAGMA user_version. A journal
// with a higher number comes from a newer program and is left alone.
constexpr int JournalSchemaVersion = 4;

class Journal {
    Q_DECLARE_TR_FUNCTIONS(Journal)

  public:
    using UtcClock = std::function<QDateTime()>;

    // Nothing is touched on disk here. `nowUtc` stamps the turns and the name
    // of a file moved aside; the system clock when empty.
    explicit Journal(Dialogs& dialogs, QString filePath = JournalFilePath(), UtcClock nowUtc = {});
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    const QString& FilePath() const { return path_; }
    QDateTime NowUtc() const;

    // Switched off by a fault, for the rest of the run.
    bool IsOff() const { return off_; }
    // Why, in the player's language, for the views.
    const QString& OffReason() const { return offReason_; }

    // Opens the journal now if it is not open yet. False when it is off.
    bool Open();

    // Writes one turn in one transaction. False when the journal is off or
    // switched itself off now, also for a database another program holds
    // locked.
    bool Record(const JournalTurn& turn);
    // The same, but a lock held by another program only says Locked: the
    // turn can be written later and the journal stays on.
    enum class WriteResult { Written, Locked, Off };
    WriteResult TryRecord(const JournalTurn& turn);

    // Starts an "Übungssatz": its row (status "laeuft") is written now, with
    // an id above every set and every turn's set so far taken in the same
    // transaction, so two games on one journal never share an id. The row is
    // locked for as long as this journal lives or until RecordSet. Nullopt
    // when the journal is off or another program holds it locked.
    std::optional<std::int64_t> StartSet(const QDateTime& startedAtUtc);
    // Writes how a set ended into its row, or a new row for a set StartSet
    // did not write. False when the journal is off.
    bool RecordSet(const PracticeSetRecord& set);
    // The completed sets, oldest first. Nullopt when the journal is off.
    std::optional<std::vector<PracticeSetRecord>> ReadCompletedSets();

    // Every row a view may trust (see TurnFromRow), in the order the turns
    // started. Nullopt when the journal is off.
    std::optional<std::vector<JournalTurn>> ReadTurns();
    // The same for the tone turns alone, without the stage's rows.
    std::optional<std::vector<JournalTurn>> ReadToneTurns();

    // Every row as stored, by id, values in ExportColumns order: what the
    // export writes. Nullopt when the journal is off.
    // `progress` hears every few thousand rows how many of about how many
    // are read.
    std::optional<std::vector<QList<QVariant>>>
    ReadRows(const std::function<void(qint64 done, qint64 total)>& progress = {});

    // Weights of the weighted band draw from the recorded finds; nullopt
    // when the journal is off, so the game draws as it always did.
    std::optional<BandWeights> DrillWeights();
    // The first-try shares of the same finds, for the learning path.
    std::optional<BandRates> DrillFirstTryRates();

  private:
    enum class OpenResult { Ok, NotADatabase, Failed };

    bool EnsureOpen();
    std::optional<std::vector<JournalTurn>> ReadTurnsWhere(bool toneTurnsOnly);
    OpenResult TryOpen(QString* reason);
    // Looks for damage without writing a byte; Ok for a sound, a missing or
    // a newer file.
    OpenResult CheckBeforeWriting(QString* reason);
    bool MoveAside(QString* movedTo, QString* reason);
    // Copies every row of the file moved aside that can still be read into
    // the new journal; how many.
    int Salvage(const QString& damagedPath);
    QString Reason(const QSqlError& error) const;
    void SwitchOff(const QString& reason);
    // Sets whose game is gone: a row left "laeuft" whose lock nobody holds,
    // and turns of a set that has no row (written before sets had rows
    // from their start). Both become "abgebrochen".
    void BreakOffAbandonedSets();
    void ReleaseSetLock(std::int64_t id);
    void Close();
    QSqlDatabase Database() const;

    Dialogs& dialogs_;
    QString path_;
    QString connectionName_;
    UtcClock nowUtc_;
    bool open_ = false;
    bool off_ = false;
    bool damaged_ = false; // a write met a damaged page: move the file aside
    QString offReason_;
    QString lockReason_;
    std::optional<RecentFinds> recentFinds_; // loaded at the first weighted draw
    std::map<std::int64_t, int> setLocks_;   // set id -> descriptor of its lock file
};
