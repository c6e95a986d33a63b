#pragma once
// Helpers for tests of the training journal: reading a journal file the way
// another tool would (its own connection), writing rows the program did not
// write, and the mounts that make a write fail as root.

#include "journal/JournalTurn.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantMap>

// Every row of `turns`, by id, as column name -> value; empty when the file
// cannot be read. `error` gets the reason.
QList<QVariantMap> ReadJournalRows(const QString& path, QString* error = nullptr);
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

// A mount for as long as the object lives: a read-only bind mount of a folder
// onto itself, or a small tmpfs. CI runs as root, where file permissions do
// not stop a write; these do.
class TestMount {
  public:
    static TestMount ReadOnly(const QString& folder);
    static TestMount Tmpfs(const QString& folder, int sizeKiB);
    TestMount(TestMount&& other) noexcept;
    ~TestMount();
    bool Mounted() const { return mounted_; }
    const QString& Error() const { return error_; }

  private:
    TestMount() = default;
    QString folder_;
    bool mounted_ = false;
    QString error_;
};

// Writes a file until the disk is full; the number of bytes written.
qint64 FillDisk(const QString& filePath);
