#pragma once
// The results data file (.HMD): 28 BandSlot records of 293 bytes, no header.
// Loading fills StoredBandTable, saving writes stored plus current counters.
// No dialogs in here: the caller shows errors and switches menu items.
// The one writer of the StoredResultsSlice. Thread: GUI only.

#include "model/GameState.h"
#include "results/BandCounters.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <array>
#include <map>

constexpr int ResultsRecordSize = static_cast<int>(sizeof(BandSlot));
constexpr int ResultsFileSize = ResultsRecordSize * BandCount; // 8204

enum class ResultsFileStatus {
    Done,     // loaded or saved
    NotFound, // loading a file that does not exist: nothing changed, nothing to show
    Failed,   // errorText is the text of the error box; nothing changed
};

struct ResultsFileOutcome {
    ResultsFileStatus status = ResultsFileStatus::Done;
    QString errorText;
    bool Succeeded() const { return status == ResultsFileStatus::Done; }
};

// How saved results are kept intact: StoredBandTable holds the file's
// results without the current game, which is what the charts compare against.
// Beside it we remember which part of the current game a save has already put
// into which file (savedGame_). A save writes stored + current, so the file
// equals stored + savedGame_ afterwards. A game reset moves savedGame_ into
// StoredBandTable, so the next save still holds the game saved earlier;
// reloading that same file takes savedGame_ off again, so saving afterwards
// never counts it twice. Loading any other file forgets savedGame_.
class ResultsFile {
  public:
    // Writes only the StoredResultsSlice of `state`.
    explicit ResultsFile(GameState& state);

    // Start-up: the stored results start as the fresh band table, no counts.
    void InitStoredBandTable();

    // Reads the whole file read-only and checks it before StoredBandTable
    // changes; on success ResultsFileName is fileName. A file longer than 28
    // records loads its first 28.
    ResultsFileOutcome LoadResults(const QString& fileName);
    // Replaces the file atomically; on success ResultsFileName is fileName.
    // On failure an existing file is left as it was.
    ResultsFileOutcome SaveResults(const QString& fileName);
    // Called by a game reset before BandTable's counters are cleared.
    void KeepSavedGame();

    // The bytes SaveResults writes for the present state.
    QByteArray ResultsImage() const;

    // Whether the file differs (size, modification time or content) from
    // what this game last loaded from or saved to it: another program, such
    // as a second running game, has written it since, and saving now would
    // replace its results. False for a file this game has not loaded or
    // saved, or one that is gone.
    bool ChangedSinceLoadedOrSaved(const QString& fileName) const;

  private:
    struct FileStamp {
        qint64 sizeBytes = 0;
        QDateTime modified;
        QByteArray contentHash;
    };

    bool HoldsSavedGame(const BandArray& records) const;
    void RememberStamp(const QString& fileName, const QByteArray& contentHash);

    StoredResultsSlice& stored_;
    const GameState& state_;
    std::array<BandCounters, BandCount> savedGame_{};
    QString savedGameFile_;               // canonical path of the file that holds savedGame_
    std::map<QString, FileStamp> stamps_; // by canonical path
};
