#pragma once
// Helpers for tests of the training journal: reading a journal file the way
// another tool would (its own connection), writing rows the program did not
// write. The mounts that make a write fail as root are in ScratchMount.h.

#include "journal/JournalTurn.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantMap>

// Every row of `turns`, by id, as column name -> value; empty when the file
// cannot be read. `error` gets the reason.
QList<QVariantMap> ReadJournalRows(const QString& path, QString* error = nullptr);
// Every row of `sets` as "id status", by id; empty when there is none.
QStringList SetRows(const QString& path);
// PRAGMA integrity_check and user_version of a journal file, read on a
// connection of its own: "ok" for a sound file.
QString JournalIntegrity(const QString& path);
int JournalUserVersion(const QString& path);
// The first value a statement gives, or the error text.
QVariant JournalValue(const QString& path, const QString& statement);
// Runs statements on a connection of its own, as another tool would; false
// with the reason when one fails.
bool RunSql(const QString& path, const QStringList& statements, QString* error = nullptr);

// A turn as the tests build it; the rest keeps JournalTurn's defaults.
JournalTurn MakeTurn(const QDateTime& startedAtUtc, int ringingBand, TurnOutcome outcome,
                     int attempts, QList<int> tried = {}, qint64 findMs = 1000);

QByteArray FileBytes(const QString& path);

// Writes turns into a journal file as an earlier run of the program would;
// false when one could not be written.
bool SeedJournal(const QString& path, const QList<JournalTurn>& turns);

// `count` turns of a year of play (bands 12..22, a few wrong tries, one in
// ten given up) in one transaction, as fast as SQLite takes them, into a
// journal file created by the program; false when that failed.
bool SeedManyTurns(const QString& path, int count, quint32 seed = 2026);
// The same into a journal as the program wrote it before the stage's columns
// (user_version 1).
bool SeedVersion1Journal(const QString& path, int count);
// The same at an older `version`: 1, or 2 with the stage's columns but no sets.
bool SeedOldJournal(const QString& path, int version, int count);
// Overwrites `pages` pages of `path` from the 1-based `firstPage` on with
// bytes no page has; false when the file is too short.
bool DamagePages(const QString& path, int firstPage, int pages);

// Another program holding the journal's write lock (BEGIN IMMEDIATE on a
// connection of its own) until Release or the end of the scope. Thread: the
// one that made it.
class JournalLock {
  public:
    explicit JournalLock(const QString& path);
    ~JournalLock();
    JournalLock(const JournalLock&) = delete;
    JournalLock& operator=(const JournalLock&) = delete;
    bool Held() const { return held_; }
    void Release();

  private:
    QString name_;
    bool held_ = false;
};
