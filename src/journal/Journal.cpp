#include "journal/Journal.h"

#include "platform/Dialogs.h"
#include "platform/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/file.h>
#include <unistd.h>

namespace {

const QString DriverName = QStringLiteral("QSQLITE");
// The files SQLite keeps beside the journal in WAL mode.
const QStringList SqliteCompanions = {QStringLiteral("-wal"), QStringLiteral("-shm")};

// Primary SQLite result codes the player can do something about.
enum SqliteCode {
    SqlitePerm = 3,
    SqliteBusy = 5,
    SqliteLocked = 6,
    SqliteReadOnly = 8,
    SqliteIoError = 10,
    SqliteCorrupt = 11,
    SqliteFull = 13,
    SqliteCantOpen = 14,
    SqliteNotADatabase = 26,
};

int PrimaryCode(const QSqlError& error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    if (ok)
        return code & 0xff;
    // Some driver paths pass on SQLite's text alone, which SQLite keeps the
    // same from release to release.
    static const std::pair<const char*, int> texts[] = {
        {"database or disk is full", SqliteFull},
        {"attempt to write a readonly database", SqliteReadOnly},
        {"unable to open database file", SqliteCantOpen},
        {"file is not a database", SqliteNotADatabase},
        {"database disk image is malformed", SqliteCorrupt},
        {"disk I/O error", SqliteIoError},
        {"database is locked", SqliteBusy},
        {"access permission denied", SqlitePerm},
    };
    const QString text = error.databaseText();
    for (const auto& [message, value] : texts)
        if (text.contains(QLatin1String(message)))
            return value;
    return -1;
}

bool MeansNotADatabase(const QSqlError& error)
{
    const int code = PrimaryCode(error);
    return code == SqliteNotADatabase || code == SqliteCorrupt;
}

QString Describe(const QSqlError& error)
{
    QString reason;
    switch (PrimaryCode(error)) {
    case SqliteFull:
        reason = QCoreApplication::translate("Journal", "Der Datenträger ist voll.");
        break;
    case SqliteReadOnly:
        reason = QCoreApplication::translate("Journal",
                                             "Die Datei oder ihr Ordner ist schreibgeschützt.");
        break;
    case SqlitePerm:
        reason =
            QCoreApplication::translate("Journal", "Der Zugriff auf die Datei wurde verweigert.");
        break;
    case SqliteCantOpen:
        reason = QCoreApplication::translate("Journal",
                                             "Die Datei kann nicht geöffnet oder angelegt werden "
                                             "(fehlt die Schreibberechtigung für den Ordner?).");
        break;
    case SqliteNotADatabase:
    case SqliteCorrupt:
        reason = QCoreApplication::translate("Journal", "Die Datei ist keine lesbare Datenbank.");
        break;
    case SqliteIoError:
        reason = QCoreApplication::translate(
            "Journal", "Beim Lesen oder Schreiben der Datei ist ein Fehler aufgetreten.");
        break;
    case SqliteBusy:
    case SqliteLocked:
        reason = QCoreApplication::translate("Journal",
                                             "Die Datei ist von einem anderen Programm gesperrt.");
        break;
    default:
        reason = QCoreApplication::translate("Journal", "Die Datenbank meldet einen Fehler.");
        break;
    }
    const QString detail =
        error.databaseText().isEmpty() ? error.driverText() : error.databaseText();
    if (!detail.isEmpty())
        reason += QStringLiteral(" (SQLite: %1)").arg(detail);
    return reason;
}

// Why the folder takes no file, or nullopt when it does. SQLite's "unable to
// open" does not say; a read-only mount or a missing permission does.
std::optional<QString> FolderRefusesFiles(const QString& folder)
{
    QTemporaryFile probe(folder + QStringLiteral("/.journal-probe-XXXXXX"));
    if (probe.open())
        return std::nullopt;
    return probe.errorString();
}

// A file SQLite would not take for a database. Checked before SQLite opens
// it: SQLite would treat a -wal or -shm beside it as its own and remove them
// when it closes.
bool IsNoDatabase(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false; // missing: a new journal; unreadable: SQLite says why
    const QByteArray head = file.read(16);
    return !head.isEmpty() && head != QByteArray("SQLite format 3\0", 16);
}

// Columns a row needs; anything a later version adds must be nullable or
// have a default, so rows other tools insert with just these read the same.
const char CreateTable[] = "CREATE TABLE IF NOT EXISTS turns ("
                           " id INTEGER PRIMARY KEY,"
                           " started_at TEXT,"
                           " ringing_band INTEGER,"
                           " frequency_hz REAL,"
                           " scoring_mode INTEGER,"
                           " low_cut INTEGER,"
                           " high_cut INTEGER,"
                           " attempts INTEGER,"
                           " tried TEXT DEFAULT '',"
                           " find_ms INTEGER,"
                           " outcome TEXT,"
                           " feedback_time INTEGER,"
                           " random_start INTEGER,"
                           " swell INTEGER DEFAULT 0,"
                           " bed INTEGER DEFAULT 0,"
                           " kind TEXT DEFAULT 'ton',"
                           " howl_hz REAL,"
                           " gain_won_db REAL,"
                           " set_id INTEGER,"
                           " auto_gain_db REAL)";
// Version 2 added the stage's columns, version 3 the set a turn was played
// in, version 4 the automatic engineer's gain on the same stage; adding a column rewrites no row,
// and every existing row reads as the tone's, played outside a set.
const char* const AddedColumns[][2] = {{"kind", "kind TEXT DEFAULT 'ton'"},
                                       {"howl_hz", "howl_hz REAL"},
                                       {"gain_won_db", "gain_won_db REAL"},
                                       {"set_id", "set_id INTEGER"},
                                       {"auto_gain_db", "auto_gain_db REAL"}};
// Made by the migration; again before each use, as a journal another tool
// made at this version may lack it.
const char CreateSetsTable[] = "CREATE TABLE IF NOT EXISTS sets ("
                               " id INTEGER PRIMARY KEY,"
                               " started_at TEXT,"
                               " ended_at TEXT,"
                               " points INTEGER,"
                               " status TEXT)";
const QString SetCompleted = QStringLiteral("beendet");
const QString SetBrokenOff = QStringLiteral("abgebrochen");
const QString SetRunning = QStringLiteral("laeuft");

// A set in play holds an flock on a file beside the journal for as long as
// its game runs. The kernel drops the lock however the game ends, SIGKILL
// and a crash too, whereas a stored PID may meanwhile name another program;
// so a lock nobody holds is the one sound sign that the set's game is gone.
// flock belongs to the open file, not to the process: two journals in one
// process keep each other's sets too.
QString SetLockPath(const QString& journalPath, std::int64_t id)
{
    return journalPath + QStringLiteral(".satz-%1").arg(id);
}

// The descriptor holding the lock, or -1.
int TakeSetLock(const QString& path)
{
    const int descriptor = ::open(QFile::encodeName(path).constData(),
                                  O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (descriptor < 0)
        return -1;
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

// Only a lock file that cannot be looked at leaves the owner unknown, and
// such a set is left as it is.
bool SetOwnerIsGone(const QString& lockPath)
{
    const int descriptor = ::open(QFile::encodeName(lockPath).constData(),
                                  O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (descriptor < 0)
        return errno == ENOENT;
    const bool free = ::flock(descriptor, LOCK_EX | LOCK_NB) == 0;
    ::close(descriptor);
    return free;
}

bool AddMissingColumns(QSqlQuery& query)
{
    QStringList present;
    if (!query.exec(QStringLiteral("PRAGMA table_info(turns)")))
        return false;
    while (query.next())
        present << query.value(1).toString();
    for (const auto& [name, definition] : AddedColumns)
        if (!present.contains(QLatin1String(name)) &&
            !query.exec(QStringLiteral("ALTER TABLE turns ADD COLUMN %1").arg(definition)))
            return false;
    return true;
}
const char CreateIndex[] = "CREATE INDEX IF NOT EXISTS turns_by_start ON turns (started_at)";

QString SelectColumns()
{
    return QStringLiteral("SELECT %1 FROM turns").arg(JournalColumns.join(QStringLiteral(", ")));
}

// Stage rows (a column `kind` other than 'ton') are no tone turns: the
// confusions and the weighted draw read tone turns only. Journals without
// the column hold tone turns only.
QString ToneTurnsOnly(const QSqlDatabase& database)
{
    QSqlQuery columns(database);
    if (!columns.exec(QStringLiteral("PRAGMA table_info(turns)")))
        return {};
    while (columns.next())
        if (columns.value(1).toString() == QLatin1String("kind"))
            return QStringLiteral(" WHERE kind = 'ton'");
    return {};
}

QList<QVariant> RowOf(const QSqlQuery& query, qsizetype columns = JournalColumns.size())
{
    QList<QVariant> row;
    row.reserve(columns);
    for (int i = 0; i < columns; ++i)
        row << query.value(i);
    return row;
}

int NextConnectionNumber()
{
    static int next = 0;
    return ++next;
}

// Every row of `source` that can still be read, into `target`; how many
// went in. A damaged page breaks a scan; the next one starts behind it, a
// step further each time nothing could be read, as far as the largest id
// (when even that is lost, 64 tries).
int CopyReadableRows(const QSqlDatabase& source, const QSqlDatabase& target)
{
    QSqlQuery read(source);
    read.setForwardOnly(true);
    QSqlQuery write(target);
    QStringList marks;
    for (int i = 0; i < JournalColumns.size(); ++i)
        marks << QStringLiteral("?");
    write.prepare(
        QStringLiteral("INSERT OR IGNORE INTO turns (%1) VALUES (%2)")
            .arg(JournalColumns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))));
    std::optional<qint64> largest;
    if (read.exec(QStringLiteral("SELECT max(id) FROM turns")) && read.next())
        largest = read.value(0).toLongLong();
    int saved = 0;
    qint64 from = std::numeric_limits<qint64>::min();
    qint64 step = 1;
    for (int tries = 0; tries < 64; ++tries) {
        bool any = false;
        read.prepare(SelectColumns() + QStringLiteral(" WHERE id >= ? ORDER BY id"));
        read.addBindValue(from);
        if (read.exec()) {
            while (read.next()) {
                const QList<QVariant> row = RowOf(read);
                for (const QVariant& value : row)
                    write.addBindValue(value);
                if (write.exec() && write.numRowsAffected() > 0)
                    ++saved;
                from = row[0].toLongLong() + 1;
                any = true;
            }
            if (!read.lastError().isValid())
                break;
        }
        read.finish();
        if (from == std::numeric_limits<qint64>::min())
            from = 0;
        step = any ? 1 : std::min<qint64>(step * 2, qint64(1) << 40);
        if (largest && from > *largest)
            break;
        from += step;
    }
    return saved;
}

// The sets' rows as far as they can be read; without them their turns
// would count as sets broken off.
void CopyReadableSets(const QSqlDatabase& source, const QSqlDatabase& target)
{
    QSqlQuery read(source);
    read.setForwardOnly(true);
    QSqlQuery write(target);
    write.prepare(QStringLiteral("INSERT OR IGNORE INTO sets (id, started_at, ended_at, points, "
                                 "status) VALUES (?, ?, ?, ?, ?)"));
    if (!read.exec(QStringLiteral("SELECT id, started_at, ended_at, points, status FROM sets")))
        return;
    while (read.next()) {
        for (int i = 0; i < 5; ++i)
            write.addBindValue(read.value(i));
        write.exec();
    }
}

} // namespace

QString JournalFilePath()
{
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty() || QDir::isRelativePath(dataHome))
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir(dataHome).filePath(QStringLiteral("Heulmeister Pro/journal.sqlite"));
}

Journal::Journal(Dialogs& dialogs, QString filePath, UtcClock nowUtc)
    : dialogs_(dialogs), path_(std::move(filePath)),
      connectionName_(QStringLiteral("heulmeister-journal-%1").arg(NextConnectionNumber())),
      nowUtc_(std::move(nowUtc))
{
}

Journal::~Journal()
{
    Close();
    // The files stay: a set still in play counts as broken off once its lock is free.
    for (const auto& [id, descriptor] : setLocks_)
        ::close(descriptor);
}

QDateTime Journal::NowUtc() const
{
    return nowUtc_ ? nowUtc_().toUTC() : QDateTime::currentDateTimeUtc();
}

QSqlDatabase Journal::Database() const
{
    return QSqlDatabase::database(connectionName_, /*open=*/false);
}

void Journal::Close()
{
    if (QSqlDatabase::contains(connectionName_)) {
        {
            QSqlDatabase db = Database();
            db.close(); // the last connection checkpoints and removes the -wal file
        }
        QSqlDatabase::removeDatabase(connectionName_);
    }
    open_ = false;
}

bool Journal::Open()
{
    return EnsureOpen();
}

bool Journal::EnsureOpen()
{
    if (off_)
        return false;
    if (open_)
        return true;

    // Neither our own look at its head nor SQLite may wait on a pipe; SQLite
    // reads its -wal beside the journal too, and would wait there for good.
    if (const QString special = SpecialFileReason(path_); !special.isEmpty()) {
        SwitchOff(special);
        return false;
    }
    for (const QString& suffix : SqliteCompanions) {
        const QString companion = path_ + suffix;
        if (const QString special = SpecialFileReason(companion); !special.isEmpty()) {
            SwitchOff(QStringLiteral("„%1“: %2").arg(QDir::toNativeSeparators(companion), special));
            return false;
        }
    }
    QString reason;
    // A file with a database's head that still fails is damaged: it holds
    // rows worth copying once it is moved aside.
    const bool noDatabase = IsNoDatabase(path_);
    OpenResult result = noDatabase || damaged_ ? OpenResult::NotADatabase : TryOpen(&reason);
    if (result == OpenResult::NotADatabase) {
        Close();
        damaged_ = false;
        QString movedTo;
        if (!MoveAside(&movedTo, &reason)) {
            SwitchOff(reason);
            return false;
        }
        result = TryOpen(&reason);
        if (result == OpenResult::Ok) {
            MessageBoxRequest box;
            box.caption = tr("Trainingsjournal");
            const bool damagedDatabase = !noDatabase;
            box.text =
                (damagedDatabase ? tr("Die Datei „%1“ ist beschädigt.\n"
                                      "Sie wurde unverändert nach „%2“ verschoben; ein neues "
                                      "Trainingsjournal wurde angelegt.")
                                 : tr("Die Datei „%1“ ist keine lesbare Datenbank.\n"
                                      "Sie wurde unverändert nach „%2“ verschoben; ein neues "
                                      "Trainingsjournal wurde angelegt."))
                    .arg(QDir::toNativeSeparators(path_), QDir::toNativeSeparators(movedTo));
            if (damagedDatabase)
                box.text += tr("\n%n Runden ließen sich noch lesen und wurden in "
                               "das neue Journal übernommen.",
                               nullptr, Salvage(movedTo));
            box.icon = DialogIcon::Information;
            open_ = true;
            BreakOffAbandonedSets();
            dialogs_.MessageBox(box);
            return !off_;
        }
    }
    if (result != OpenResult::Ok) {
        Close();
        SwitchOff(reason);
        return false;
    }
    open_ = true;
    BreakOffAbandonedSets();
    return true;
}

void Journal::BreakOffAbandonedSets()
{
    // Looked at first without the write lock, which another game may hold.
    {
        QSqlQuery look(Database());
        if (!look.exec(
                QStringLiteral(
                    "SELECT EXISTS (SELECT 1 FROM sets WHERE status = '%1') OR EXISTS (SELECT 1 "
                    "FROM turns WHERE set_id IS NOT NULL AND set_id NOT IN (SELECT id FROM sets))")
                    .arg(SetRunning)) ||
            !look.next() || !look.value(0).toBool())
            return; // also a journal without sets: nothing to mend then
    }
    // A failure here loses nothing: the next start tries again.
    QSqlQuery query(Database());
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return;
    QList<std::int64_t> gone;
    query.prepare(QStringLiteral("SELECT id FROM sets WHERE status = ?"));
    query.addBindValue(SetRunning);
    if (query.exec())
        while (query.next())
            if (const std::int64_t id = query.value(0).toLongLong();
                SetOwnerIsGone(SetLockPath(path_, id)))
                gone << id;
    bool mended = !query.lastError().isValid();
    query.prepare(QStringLiteral(
        "UPDATE sets SET status = ?, ended_at = coalesce((SELECT max(started_at) FROM turns "
        "WHERE set_id = sets.id), started_at) WHERE id = ? AND status = ?"));
    for (const std::int64_t id : gone) {
        query.addBindValue(SetBrokenOff);
        query.addBindValue(qint64(id));
        query.addBindValue(SetRunning);
        mended = mended && query.exec();
    }
    query.prepare(QStringLiteral(
        "INSERT INTO sets (id, started_at, ended_at, points, status) "
        "SELECT set_id, min(started_at), max(started_at), NULL, ? FROM turns "
        "WHERE set_id IS NOT NULL AND set_id NOT IN (SELECT id FROM sets) GROUP BY set_id"));
    query.addBindValue(SetBrokenOff);
    mended = mended && query.exec();
    if (!mended || !query.exec(QStringLiteral("COMMIT"))) {
        QSqlQuery(Database()).exec(QStringLiteral("ROLLBACK"));
        return;
    }
    for (const std::int64_t id : gone)
        QFile::remove(SetLockPath(path_, id));
}

void Journal::ReleaseSetLock(std::int64_t id)
{
    const auto held = setLocks_.find(id);
    if (held == setLocks_.end())
        return;
    // Removed while still locked, so no other game takes the file for an abandoned set's.
    QFile::remove(SetLockPath(path_, id));
    ::close(held->second);
    setLocks_.erase(held);
}

Journal::OpenResult Journal::TryOpen(QString* reason)
{
    const QString folder = QFileInfo(path_).absolutePath();
    if (!QDir().mkpath(folder)) {
        *reason =
            tr("Der Ordner „%1“ kann nicht angelegt werden.").arg(QDir::toNativeSeparators(folder));
        return OpenResult::Failed;
    }
    if (!QSqlDatabase::isDriverAvailable(DriverName)) {
        *reason = tr("Der SQLite-Treiber von Qt fehlt (Paket libqt6sql6-sqlite).");
        return OpenResult::Failed;
    }

    if (const OpenResult untouched = CheckBeforeWriting(reason); untouched != OpenResult::Ok)
        return untouched;

    QSqlDatabase db = QSqlDatabase::contains(connectionName_)
                          ? Database()
                          : QSqlDatabase::addDatabase(DriverName, connectionName_);
    db.setDatabaseName(path_);
    // Another running copy of the game may be writing its turn.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    if (!db.open()) {
        *reason = Reason(db.lastError());
        return OpenResult::Failed;
    }

    QSqlQuery query(db);
    auto failed = [&](const QSqlError& error) {
        *reason = Reason(error);
        return MeansNotADatabase(error) ? OpenResult::NotADatabase : OpenResult::Failed;
    };

    // Read before anything is written: a newer file stays as it is.
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return failed(query.lastError());
    const int version = query.value(0).toInt();
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
        return failed(query.lastError());
    if (version > JournalSchemaVersion) {
        *reason = tr("Das Journal stammt von einer neueren Version von Heulmeister "
                     "Pro (Schemaversion %1; dieses Programm kennt Version %2).")
                      .arg(version)
                      .arg(JournalSchemaVersion);
        return OpenResult::Failed;
    }

    // WAL: a crash or a kill can lose only the turn being written, never
    // leave the file unreadable. NORMAL is durable against a crash of the
    // program and skips a sync per turn.
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
        return failed(query.lastError());
    if (!query.exec(QStringLiteral("PRAGMA synchronous=NORMAL")))
        return failed(query.lastError());

    if (version < JournalSchemaVersion) {
        const bool created =
            query.exec(QStringLiteral("BEGIN IMMEDIATE")) &&
            query.exec(QLatin1String(CreateTable)) && query.exec(QLatin1String(CreateIndex)) &&
            AddMissingColumns(query) && query.exec(QLatin1String(CreateSetsTable)) &&
            query.exec(QStringLiteral("PRAGMA user_version = %1").arg(JournalSchemaVersion)) &&
            query.exec(QStringLiteral("COMMIT"));
        if (!created) {
            const QSqlError error = query.lastError();
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            return failed(error);
        }
    }

    // A table someone else made must still have every column we read.
    if (!query.exec(SelectColumns() + QStringLiteral(" LIMIT 0"))) {
        const QSqlError error = query.lastError();
        if (MeansNotADatabase(error))
            return failed(error);
        *reason = tr("Der Tabelle „turns“ fehlen Spalten (%1).").arg(error.databaseText());
        return OpenResult::Failed;
    }
    return OpenResult::Ok;
}

Journal::OpenResult Journal::CheckBeforeWriting(QString* reason)
{
    if (!QFileInfo::exists(path_))
        return OpenResult::Ok;
    QStringList missingCompanions;
    for (const QString& suffix : SqliteCompanions)
        if (!QFileInfo::exists(path_ + suffix))
            missingCompanions << path_ + suffix;

    const QString checkName = connectionName_ + QStringLiteral("-pruefung");
    OpenResult result = OpenResult::Ok;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(DriverName, checkName);
        db.setDatabaseName(path_);
        // Read-only: the switch to WAL and the upgrade of an old journal
        // write, and a damaged file must be moved aside as it was found.
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000"));
        if (db.open()) {
            QSqlQuery query(db);
            // A newer journal is refused by the open that follows, damaged or not.
            const bool versionRead =
                query.exec(QStringLiteral("PRAGMA user_version")) && query.next();
            const bool newer = versionRead && query.value(0).toInt() > JournalSchemaVersion;
            // Damaged pages further in would only show when a turn or a view touches them.
            if (versionRead && !newer && query.exec(QStringLiteral("PRAGMA quick_check")) &&
                query.next()) {
                if (const QString verdict = query.value(0).toString();
                    verdict != QLatin1String("ok")) {
                    *reason = tr("Die Datei ist beschädigt (SQLite: %1).").arg(verdict);
                    result = OpenResult::NotADatabase;
                }
            } else if (!newer) {
                *reason = Reason(query.lastError());
                result = MeansNotADatabase(query.lastError()) ? OpenResult::NotADatabase
                                                              : OpenResult::Failed;
            }
        } else {
            *reason = Reason(db.lastError());
            result =
                MeansNotADatabase(db.lastError()) ? OpenResult::NotADatabase : OpenResult::Failed;
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(checkName);
    // A reader of a WAL journal leaves an empty log and its index behind; they
    // were not part of the file found, so they are not moved aside with it.
    if (result == OpenResult::NotADatabase)
        for (const QString& companion : missingCompanions)
            QFile::remove(companion);
    return result;
}

bool Journal::MoveAside(QString* movedTo, QString* reason)
{
    const QString stamp = NowUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    const QString base = path_ + QStringLiteral(".defekt-") + stamp;
    auto taken = [](const QString& name) {
        if (QFileInfo::exists(name))
            return true;
        for (const QString& suffix : SqliteCompanions)
            if (QFileInfo::exists(name + suffix))
                return true;
        return false;
    };
    QString target = base;
    for (int n = 2; taken(target); ++n)
        target = base + QStringLiteral("-%1").arg(n);

    QFile file(path_);
    if (!file.rename(target)) {
        *reason = tr("Die Datei ist keine lesbare Datenbank und kann nicht "
                     "beiseitegelegt werden: %1")
                      .arg(file.errorString());
        return false;
    }
    // An old -wal beside a new database would be replayed into it, so the
    // journal only starts again when both companions moved too.
    for (const QString& suffix : SqliteCompanions) {
        QFile companion(path_ + suffix);
        if (companion.exists() && !companion.rename(target + suffix)) {
            *reason = tr("Die Datei ist keine lesbare Datenbank; „%1“ kann nicht "
                         "beiseitegelegt werden: %2")
                          .arg(QDir::toNativeSeparators(path_ + suffix), companion.errorString());
            return false;
        }
    }
    *movedTo = target;
    return true;
}

int Journal::Salvage(const QString& damagedPath)
{
    // Read from a copy: SQLite would write to the file it reads (a WAL is
    // replayed and removed), and the file moved aside stays as it was.
    const QString copy = path_ + QStringLiteral(".rettung");
    const QStringList suffixes = {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")};
    auto removeCopy = [&] {
        for (const QString& suffix : suffixes)
            QFile::remove(copy + suffix);
    };
    removeCopy();
    for (const QString& suffix : suffixes)
        if (QFileInfo::exists(damagedPath + suffix) &&
            !QFile::copy(damagedPath + suffix, copy + suffix)) {
            removeCopy();
            return 0;
        }

    const QString sourceName = connectionName_ + QStringLiteral("-rettung");
    int saved = 0;
    {
        QSqlDatabase source = QSqlDatabase::addDatabase(DriverName, sourceName);
        source.setDatabaseName(copy);
        if (source.open()) {
            QSqlDatabase target = Database();
            QSqlQuery(target).exec(QStringLiteral("BEGIN IMMEDIATE"));
            saved = CopyReadableRows(source, target);
            CopyReadableSets(source, target);
            QSqlQuery(target).exec(QStringLiteral("COMMIT"));
        }
        source.close();
    }
    QSqlDatabase::removeDatabase(sourceName);
    removeCopy();
    return saved;
}

QString Journal::Reason(const QSqlError& error) const
{
    const int code = PrimaryCode(error);
    if (code == SqliteCantOpen || code == SqliteReadOnly || code == SqlitePerm) {
        const QString folder = QFileInfo(path_).absolutePath();
        if (const auto why = FolderRefusesFiles(folder))
            return tr("Im Ordner „%1“ kann keine Datei angelegt werden (%2).")
                .arg(QDir::toNativeSeparators(folder), *why);
    }
    return Describe(error);
}

void Journal::SwitchOff(const QString& reason)
{
    if (off_)
        return;
    Close();
    off_ = true;
    offReason_ = reason;
    recentFinds_.reset();

    MessageBoxRequest box;
    box.caption = tr("Trainingsjournal");
    box.text = tr("Das Trainingsjournal ist bis zum Programmende ausgeschaltet.\n\n"
                  "Datei: %1\nGrund: %2\n\n"
                  "Das Spiel läuft weiter; die Runden werden bis dahin nicht "
                  "aufgezeichnet.")
                   .arg(QDir::toNativeSeparators(path_), reason);
    box.icon = DialogIcon::Warning;
    dialogs_.MessageBox(box);
}

bool Journal::Record(const JournalTurn& turn)
{
    if (TryRecord(turn) != WriteResult::Locked)
        return !off_;
    SwitchOff(lockReason_);
    return false;
}

Journal::WriteResult Journal::TryRecord(const JournalTurn& turn)
{
    if (!EnsureOpen())
        return WriteResult::Off;
    QSqlError error;
    {
        // BEGIN and COMMIT as statements of our own: their errors keep
        // SQLite's code, which the driver's transaction calls drop.
        QSqlQuery statement(Database());
        QSqlQuery insert(Database());
        insert.prepare(QStringLiteral(
            "INSERT INTO turns (started_at, ringing_band, frequency_hz, scoring_mode, low_cut, "
            "high_cut, attempts, tried, find_ms, outcome, feedback_time, random_start, swell, bed, "
            "kind, howl_hz, gain_won_db, set_id, auto_gain_db) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        insert.addBindValue(FormatStartedAt(turn.startedAt));
        insert.addBindValue(turn.ringingBand);
        insert.addBindValue(turn.frequencyHz);
        insert.addBindValue(turn.scoringMode);
        insert.addBindValue(turn.lowCut);
        insert.addBindValue(turn.highCut);
        insert.addBindValue(turn.attempts);
        insert.addBindValue(FormatTried(turn.tried));
        insert.addBindValue(turn.findMs ? QVariant(*turn.findMs)
                                        : QVariant(QMetaType(QMetaType::LongLong)));
        insert.addBindValue(FormatOutcome(turn.outcome));
        insert.addBindValue(turn.feedbackTime);
        insert.addBindValue(turn.randomStart);
        insert.addBindValue(turn.swell);
        insert.addBindValue(turn.bed);
        const auto optionalReal = [](const std::optional<double>& value) {
            return value ? QVariant(*value) : QVariant(QMetaType(QMetaType::Double));
        };
        insert.addBindValue(FormatKind(turn.stage));
        insert.addBindValue(optionalReal(turn.howlHz));
        insert.addBindValue(optionalReal(turn.gainWonDb));
        insert.addBindValue(turn.setId ? QVariant(qint64(*turn.setId))
                                       : QVariant(QMetaType(QMetaType::LongLong)));
        insert.addBindValue(optionalReal(turn.autoGainDb));

        if (!statement.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
            error = statement.lastError();
        } else if (!insert.exec()) {
            error = insert.lastError();
            insert.finish();
            statement.exec(QStringLiteral("ROLLBACK"));
        } else {
            insert.finish();
            if (!statement.exec(QStringLiteral("COMMIT"))) {
                error = statement.lastError();
                statement.exec(QStringLiteral("ROLLBACK"));
            } else {
                // The weights count tone turns only: a stage row, once one is
                // written here, must be kept out as ReadToneTurns keeps it out.
                if (recentFinds_)
                    recentFinds_->Add(turn);
                return WriteResult::Written;
            }
        }
    }
    if (MeansNotADatabase(error) && !damaged_) {
        // Moved aside with what can still be read, then written to the new file.
        Close();
        damaged_ = true;
        return TryRecord(turn);
    }
    const int code = PrimaryCode(error);
    if (code == SqliteBusy || code == SqliteLocked) {
        lockReason_ = Reason(error);
        return WriteResult::Locked;
    }
    SwitchOff(Reason(error));
    return WriteResult::Off;
}

std::optional<std::vector<QList<QVariant>>>
Journal::ReadRows(const std::function<void(qint64 done, qint64 total)>& progress)
{
    if (!EnsureOpen())
        return std::nullopt;
    std::vector<QList<QVariant>> rows;
    QSqlError error;
    {
        QSqlQuery query(Database());
        query.setForwardOnly(true);
        qint64 total = 0;
        if (progress && query.exec(QStringLiteral("SELECT count(*) FROM turns")) && query.next())
            total = query.value(0).toLongLong();
        if (query.exec(QStringLiteral("SELECT %1, (SELECT points FROM sets WHERE sets.id = "
                                      "turns.set_id) FROM turns ORDER BY id")
                           .arg(JournalColumns.join(QStringLiteral(", "))))) {
            while (query.next()) {
                rows.push_back(RowOf(query, ExportColumns.size()));
                if (progress && rows.size() % 4096 == 0)
                    progress(qint64(rows.size()), std::max<qint64>(total, qint64(rows.size())));
            }
            if (!query.lastError().isValid())
                return rows;
        }
        error = query.lastError();
    }
    SwitchOff(Reason(error));
    return std::nullopt;
}

std::optional<std::vector<JournalTurn>> Journal::ReadTurns()
{
    return ReadTurnsWhere(false);
}

std::optional<std::vector<JournalTurn>> Journal::ReadToneTurns()
{
    return ReadTurnsWhere(true);
}

std::optional<std::vector<JournalTurn>> Journal::ReadTurnsWhere(bool toneTurnsOnly)
{
    if (!EnsureOpen())
        return std::nullopt;
    std::vector<JournalTurn> turns;
    QSqlError error;
    {
        QSqlQuery query(Database());
        query.setForwardOnly(true);
        const QString filter = toneTurnsOnly ? ToneTurnsOnly(Database()) : QString();
        if (query.exec(SelectColumns() + filter)) {
            while (query.next())
                if (auto turn = TurnFromRow(RowOf(query)))
                    turns.push_back(std::move(*turn));
            if (!query.lastError().isValid()) {
                std::stable_sort(turns.begin(), turns.end(),
                                 [](const JournalTurn& a, const JournalTurn& b) {
                                     if (a.startedAt != b.startedAt)
                                         return a.startedAt < b.startedAt;
                                     return a.id < b.id;
                                 });
                return turns;
            }
        }
        error = query.lastError();
    }
    SwitchOff(Reason(error));
    return std::nullopt;
}

std::optional<std::int64_t> Journal::StartSet(const QDateTime& startedAtUtc)
{
    if (!EnsureOpen())
        return std::nullopt;
    QSqlError error;
    {
        QSqlQuery query(Database());
        // The id is taken and its row written under one write lock: another
        // game on the journal takes the next id only after this one is stored.
        if (query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
            std::optional<std::int64_t> id;
            if (query.exec(QLatin1String(CreateSetsTable)) &&
                query.exec(QStringLiteral("SELECT max(coalesce((SELECT max(id) FROM sets), 0),"
                                          " coalesce((SELECT max(set_id) FROM turns), 0)) + 1")) &&
                query.next())
                id = query.value(0).toLongLong();
            if (id) {
                // Locked before the row is visible, so no other game takes it for abandoned.
                const int lock = TakeSetLock(SetLockPath(path_, *id));
                query.prepare(
                    QStringLiteral("INSERT INTO sets (id, started_at, status) VALUES (?, ?, ?)"));
                query.addBindValue(qint64(*id));
                query.addBindValue(FormatStartedAt(startedAtUtc));
                query.addBindValue(SetRunning);
                if (query.exec() && query.exec(QStringLiteral("COMMIT"))) {
                    if (lock >= 0)
                        setLocks_[*id] = lock;
                    return id;
                }
                if (lock >= 0) {
                    QFile::remove(SetLockPath(path_, *id));
                    ::close(lock);
                }
            }
            error = query.lastError();
            QSqlQuery(Database()).exec(QStringLiteral("ROLLBACK"));
        } else {
            error = query.lastError();
        }
    }
    // The set is then played outside the journal's sets, as with the journal off.
    if (const int code = PrimaryCode(error); code == SqliteBusy || code == SqliteLocked)
        return std::nullopt;
    SwitchOff(Reason(error));
    return std::nullopt;
}

bool Journal::RecordSet(const PracticeSetRecord& set)
{
    if (!EnsureOpen())
        return false;
    QSqlError error;
    {
        QSqlQuery query(Database());
        const auto bindRow = [&] {
            query.addBindValue(FormatStartedAt(set.startedAt));
            query.addBindValue(FormatStartedAt(set.endedAt));
            query.addBindValue(set.points);
            query.addBindValue(set.completed ? SetCompleted : SetBrokenOff);
            query.addBindValue(qint64(set.id));
        };
        bool written = query.exec(QStringLiteral("BEGIN IMMEDIATE")) &&
                       query.exec(QLatin1String(CreateSetsTable));
        if (written) {
            query.prepare(QStringLiteral("UPDATE sets SET started_at = ?, ended_at = ?, "
                                         "points = ?, status = ? WHERE id = ?"));
            bindRow();
            written = query.exec();
        }
        if (written && query.numRowsAffected() == 0) {
            query.prepare(QStringLiteral("INSERT INTO sets (started_at, ended_at, points, status, "
                                         "id) VALUES (?, ?, ?, ?, ?)"));
            bindRow();
            written = query.exec();
        }
        if (written && query.exec(QStringLiteral("COMMIT"))) {
            ReleaseSetLock(set.id);
            return true;
        }
        error = query.lastError();
        QSqlQuery(Database()).exec(QStringLiteral("ROLLBACK"));
    }
    SwitchOff(Reason(error));
    return false;
}

std::optional<std::vector<PracticeSetRecord>> Journal::ReadCompletedSets()
{
    if (!EnsureOpen())
        return std::nullopt;
    QSqlQuery create(Database());
    if (!create.exec(QLatin1String(CreateSetsTable))) {
        SwitchOff(Reason(create.lastError()));
        return std::nullopt;
    }
    QSqlQuery query(Database());
    query.prepare(QStringLiteral("SELECT id, started_at, ended_at, points FROM sets"
                                 " WHERE status = ? ORDER BY id"));
    query.addBindValue(SetCompleted);
    if (!query.exec()) {
        SwitchOff(Reason(query.lastError()));
        return std::nullopt;
    }
    std::vector<PracticeSetRecord> sets;
    while (query.next()) {
        PracticeSetRecord set;
        set.id = query.value(0).toLongLong();
        set.startedAt = QDateTime::fromString(query.value(1).toString(), Qt::ISODate);
        set.endedAt = QDateTime::fromString(query.value(2).toString(), Qt::ISODate);
        set.points = std::clamp(query.value(3).toInt(), 0, 100);
        set.completed = true;
        sets.push_back(set);
    }
    return sets;
}

std::optional<BandWeights> Journal::DrillWeights()
{
    if (off_)
        return std::nullopt;
    if (!recentFinds_) {
        const auto turns = ReadToneTurns();
        if (!turns)
            return std::nullopt;
        RecentFinds recent;
        for (const JournalTurn& turn : *turns)
            recent.Add(turn);
        recentFinds_ = recent;
    }
    return recentFinds_->Weights();
}

std::optional<BandRates> Journal::DrillFirstTryRates()
{
    if (!DrillWeights())
        return std::nullopt;
    return recentFinds_->FirstTryRates();
}
