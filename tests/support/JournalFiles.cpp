#include "support/JournalFiles.h"

#include "journal/Journal.h"
#include "support/ScriptedDialogs.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

// Runs `work` on a fresh connection to `path` and removes it again.
template <typename Work> auto WithConnection(const QString& path, Work work)
{
    static int next = 0;
    const QString name = QStringLiteral("test-reader-%1").arg(++next);
    auto result = [&] {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
        return work(db);
    }();
    QSqlDatabase::removeDatabase(name);
    return result;
}

} // namespace

QList<QVariantMap> ReadJournalRows(const QString& path, QString* error)
{
    return WithConnection(path, [&](QSqlDatabase& db) {
        QList<QVariantMap> rows;
        if (!db.open()) {
            if (error)
                *error = db.lastError().text();
            return rows;
        }
        {
            QSqlQuery query(db);
            if (!query.exec(QStringLiteral("SELECT * FROM turns ORDER BY id"))) {
                if (error)
                    *error = query.lastError().text();
            }
            while (query.next()) {
                QVariantMap row;
                const QSqlRecord record = query.record();
                for (int i = 0; i < record.count(); ++i)
                    row.insert(record.fieldName(i), query.value(i));
                rows << row;
            }
        }
        db.close();
        return rows;
    });
}

QStringList SetRows(const QString& path)
{
    return WithConnection(path, [&](QSqlDatabase& db) {
        QStringList rows;
        if (!db.open())
            return rows;
        {
            QSqlQuery query(db);
            query.exec(QStringLiteral("SELECT id, status FROM sets ORDER BY id"));
            while (query.next())
                rows << query.value(0).toString() + QLatin1Char(' ') + query.value(1).toString();
        }
        db.close();
        return rows;
    });
}

QVariant JournalValue(const QString& path, const QString& statement)
{
    return WithConnection(path, [&](QSqlDatabase& db) {
        QVariant value;
        if (!db.open())
            return QVariant(db.lastError().text());
        {
            QSqlQuery query(db);
            if (query.exec(statement) && query.next())
                value = query.value(0);
            else
                value = query.lastError().text();
        }
        db.close();
        return value;
    });
}

QString JournalIntegrity(const QString& path)
{
    return JournalValue(path, QStringLiteral("PRAGMA integrity_check")).toString();
}

int JournalUserVersion(const QString& path)
{
    return JournalValue(path, QStringLiteral("PRAGMA user_version")).toInt();
}

bool RunSql(const QString& path, const QStringList& statements, QString* error)
{
    return WithConnection(path, [&](QSqlDatabase& db) {
        if (!db.open()) {
            if (error)
                *error = db.lastError().text();
            return false;
        }
        bool ok = true;
        {
            QSqlQuery query(db);
            for (const QString& statement : statements) {
                if (!query.exec(statement)) {
                    if (error)
                        *error = statement + QStringLiteral(": ") + query.lastError().text();
                    ok = false;
                    break;
                }
            }
        }
        db.close();
        return ok;
    });
}

JournalTurn MakeTurn(const QDateTime& startedAtUtc, int ringingBand, TurnOutcome outcome,
                     int attempts, QList<int> tried, qint64 findMs)
{
    JournalTurn turn;
    turn.startedAt = startedAtUtc;
    turn.ringingBand = ringingBand;
    turn.frequencyHz = 1000.0;
    turn.scoringMode = 1;
    turn.lowCut = 11;
    turn.highCut = 22;
    turn.outcome = outcome;
    turn.attempts = attempts;
    turn.tried = std::move(tried);
    if (outcome == TurnOutcome::Found)
        turn.findMs = findMs;
    return turn;
}

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool SeedJournal(const QString& path, const QList<JournalTurn>& turns)
{
    ScriptedDialogs quiet;
    Journal journal(quiet, path);
    for (const JournalTurn& turn : turns)
        if (!journal.Record(turn))
            return false;
    return quiet.boxes.isEmpty();
}

bool SeedVersion1Journal(const QString& path, int count)
{
    return SeedOldJournal(path, 1, count);
}

bool SeedOldJournal(const QString& path, int version, int count)
{
    QStringList schema = {
        "CREATE TABLE turns (id INTEGER PRIMARY KEY, started_at TEXT, ringing_band INTEGER, "
        "frequency_hz REAL, scoring_mode INTEGER, low_cut INTEGER, high_cut INTEGER, "
        "attempts INTEGER, tried TEXT DEFAULT '', find_ms INTEGER, outcome TEXT, "
        "feedback_time INTEGER, random_start INTEGER, swell INTEGER DEFAULT 0, "
        "bed INTEGER DEFAULT 0)",
        "CREATE INDEX turns_by_start ON turns (started_at)"};
    if (version >= 2)
        schema << "ALTER TABLE turns ADD COLUMN kind TEXT DEFAULT 'ton'"
               << "ALTER TABLE turns ADD COLUMN howl_hz REAL"
               << "ALTER TABLE turns ADD COLUMN gain_won_db REAL";
    schema << QStringLiteral("PRAGMA user_version = %1").arg(version);
    return RunSql(path, schema) && SeedManyTurns(path, count);
}

bool SeedManyTurns(const QString& path, int count, quint32 seed)
{
    if (!QFileInfo::exists(path)) {
        ScriptedDialogs quiet;
        if (!Journal(quiet, path).Open()) // the program's schema
            return false;
    }
    return WithConnection(path, [&](QSqlDatabase& db) {
        if (!db.open())
            return false;
        bool ok = true;
        {
            QSqlQuery query(db);
            ok = query.exec(QStringLiteral("BEGIN"));
            query.prepare(QStringLiteral(
                "INSERT INTO turns (started_at, ringing_band, frequency_hz, scoring_mode, low_cut, "
                "high_cut, attempts, tried, find_ms, outcome, feedback_time, random_start) "
                "VALUES (?, ?, ?, 1, 11, 22, ?, ?, ?, ?, 0, 0)"));
            QRandomGenerator random(seed);
            const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-365);
            for (int i = 0; i < count && ok; ++i) {
                QStringList tried;
                const int band = 12 + int(random.bounded(11));
                const int wrong = int(random.bounded(4));
                for (int w = 0; w < wrong; ++w)
                    tried << QString::number(11 + int(random.bounded(12)));
                const bool found = random.bounded(10) != 0;
                query.addBindValue(FormatStartedAt(start.addSecs(qint64(i) * 365 * 86400 / count)));
                query.addBindValue(band);
                query.addBindValue(1000.0 + random.bounded(100.0));
                query.addBindValue(wrong + (found ? 1 : 0));
                query.addBindValue(tried.join(QLatin1Char(' ')));
                query.addBindValue(found ? QVariant(1000 + int(random.bounded(20000)))
                                         : QVariant(QMetaType(QMetaType::Int)));
                query.addBindValue(found ? QStringLiteral("found") : QStringLiteral("abandoned"));
                ok = query.exec();
            }
            ok = ok && query.exec(QStringLiteral("COMMIT"));
        }
        db.close();
        return ok;
    });
}

bool DamagePages(const QString& path, int firstPage, int pages)
{
    const int pageSize = JournalValue(path, QStringLiteral("PRAGMA page_size")).toInt();
    QFile file(path);
    if (pageSize <= 0 || !file.open(QIODevice::ReadWrite) ||
        file.size() < qint64(firstPage - 1 + pages) * pageSize)
        return false;
    file.seek(qint64(firstPage - 1) * pageSize);
    return file.write(QByteArray(pages * pageSize, '\xA5')) == pages * pageSize;
}

JournalLock::JournalLock(const QString& path)
    : name_(QStringLiteral("test-lock-%1").arg(quintptr(this)))
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    db.setDatabaseName(path);
    held_ = db.open() && QSqlQuery(db).exec(QStringLiteral("BEGIN IMMEDIATE"));
}

JournalLock::~JournalLock()
{
    Release();
    QSqlDatabase::removeDatabase(name_);
}

void JournalLock::Release()
{
    if (!QSqlDatabase::contains(name_))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(name_, false);
        if (held_)
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        db.close();
    }
    held_ = false;
}
