#include "JournalFuzzTarget.h"

#include "journal/JournalExport.h"
#include "journal/JournalStats.h"
#include "journal/JournalTurn.h"

#include <QList>
#include <QTimeZone>
#include <QVariant>

#include <cmath>
#include <vector>

namespace {

// More rows add nothing a shorter input cannot show, only time.
constexpr int MaxRows = 500;

QVariant ParseValue(const QByteArray& field)
{
    if (field.isEmpty())
        return QVariant();
    const QByteArray rest = field.mid(1);
    bool ok = false;
    switch (field.at(0)) {
    case 'i': {
        const qlonglong number = rest.toLongLong(&ok);
        return ok ? QVariant(number) : QVariant(QString::fromUtf8(field));
    }
    case 'd': {
        const double number = rest.toDouble(&ok);
        return ok ? QVariant(number) : QVariant(QString::fromUtf8(field));
    }
    case 'b':
        return QVariant(rest);
    case 't':
        return QVariant(QString::fromUtf8(rest));
    default:
        return QVariant(QString::fromUtf8(field));
    }
}

std::vector<QList<QVariant>> ParseRows(const QByteArray& bytes)
{
    std::vector<QList<QVariant>> rows;
    for (const QByteArray& line : bytes.split('\n')) {
        if (int(rows.size()) == MaxRows)
            break;
        QList<QVariant> row;
        for (const QByteArray& field : line.split('\t'))
            row << ParseValue(field);
        rows.push_back(row);
    }
    return rows;
}

// The row the journal writes for `turn`.
QList<QVariant> RowOf(const JournalTurn& turn)
{
    return {qlonglong(turn.id),
            FormatStartedAt(turn.startedAt),
            turn.ringingBand,
            turn.frequencyHz,
            turn.scoringMode,
            turn.lowCut,
            turn.highCut,
            turn.attempts,
            FormatTried(turn.tried),
            turn.findMs ? QVariant(qlonglong(*turn.findMs)) : QVariant(),
            FormatOutcome(turn.outcome),
            turn.feedbackTime,
            turn.randomStart,
            turn.swell,
            turn.bed,
            FormatKind(turn.stage),
            turn.howlHz ? QVariant(*turn.howlHz) : QVariant(),
            turn.gainWonDb ? QVariant(*turn.gainWonDb) : QVariant()};
}

QString CheckTurn(const JournalTurn& turn)
{
    if (!turn.startedAt.isValid() || turn.startedAt.timeSpec() != Qt::UTC)
        return QStringLiteral("start time not a valid UTC time");
    if (turn.ringingBand < 0 || turn.ringingBand >= BandCount)
        return QStringLiteral("ringing band %1").arg(turn.ringingBand);
    if (turn.attempts < 0)
        return QStringLiteral("attempts %1").arg(turn.attempts);
    for (int band : turn.tried)
        if (band < 0 || band >= BandCount)
            return QStringLiteral("tried band %1").arg(band);
    if (turn.Found() && (turn.attempts < 1 || !turn.findMs || *turn.findMs < 0))
        return QStringLiteral("a find without an attempt or a time");
    if (!turn.Found() && turn.findMs)
        return QStringLiteral("a find time for a turn given up");
    const std::optional<int> first = turn.FirstTry();
    const std::optional<int> expected = !turn.tried.isEmpty()
                                            ? std::optional<int>(turn.tried.first())
                                        : turn.Found() ? std::optional<int>(turn.ringingBand)
                                                       : std::nullopt;
    if (first != expected)
        return QStringLiteral("first try differs from the tries");
    return {};
}

// A turn written as the journal writes it reads back the same, the start time
// to the second (the journal's resolution), where the text form can hold it.
QString CheckRoundTrip(const JournalTurn& turn)
{
    const int year = turn.startedAt.date().year();
    if (year < 1 || year > 9999)
        return {};
    const std::optional<JournalTurn> again = TurnFromRow(RowOf(turn));
    if (!again)
        return QStringLiteral("a checked turn, written back, is not accepted: %1")
            .arg(FormatStartedAt(turn.startedAt));
    const QDateTime second = turn.startedAt.addMSecs(-turn.startedAt.time().msec());
    if (again->startedAt != second || again->ringingBand != turn.ringingBand ||
        again->attempts != turn.attempts || again->tried != turn.tried ||
        again->findMs != turn.findMs || again->outcome != turn.outcome ||
        again->scoringMode != turn.scoringMode || again->bed != turn.bed ||
        again->stage != turn.stage || again->howlHz != turn.howlHz ||
        again->gainWonDb != turn.gainWonDb)
        return QStringLiteral("a checked turn reads back changed");
    return {};
}

bool IsShare(const std::optional<double>& share)
{
    return !share || (std::isfinite(*share) && *share >= 0 && *share <= 1);
}

QString CheckFigures(const LearningFigures& figures, const char* where)
{
    if (figures.found < 0 || figures.found > figures.turns || !IsShare(figures.firstAttemptShare) ||
        !IsShare(figures.nearFirstTryShare) ||
        (figures.medianFindSeconds &&
         (!std::isfinite(*figures.medianFindSeconds) || *figures.medianFindSeconds < 0)))
        return QStringLiteral("learning figures out of range (%1)").arg(QLatin1String(where));
    return {};
}

QString CheckComputations(const std::vector<JournalTurn>& turns)
{
    QDateTime latest = QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
    for (const JournalTurn& turn : turns)
        latest = qMax(latest, turn.startedAt);
    const QTimeZone berlin("Europe/Berlin");

    for (JournalPeriod period : {JournalPeriod::All, JournalPeriod::Last7Days}) {
        const ConfusionMatrix matrix = ComputeConfusionMatrix(turns, period, latest, berlin);
        if (period == JournalPeriod::All && matrix.turns != int(turns.size()))
            return QStringLiteral("the matrix lost turns");
        if (matrix.mostConfused.size() > 3)
            return QStringLiteral("more than three pairs");
        for (int r = 0; r < BandCount; ++r)
            for (int c = 0; c < BandCount; ++c)
                if (matrix.counts[r][c] > matrix.bandTurns[r])
                    return QStringLiteral("a share over 100 %");
        for (std::size_t i = 0; i < matrix.mostConfused.size(); ++i) {
            const ConfusionPair& pair = matrix.mostConfused[i];
            if (pair.ringingBand == pair.triedBand || pair.count <= 0 ||
                matrix.counts[pair.ringingBand][pair.triedBand] != pair.count ||
                (i > 0 && pair.count > matrix.mostConfused[i - 1].count))
                return QStringLiteral("most confused pairs do not match the matrix");
        }
    }

    const LearningCurve curve = ComputeLearningCurve(turns, berlin);
    if (curve.turns != int(turns.size()))
        return QStringLiteral("the curve lost turns");
    int dayTurns = 0;
    for (std::size_t i = 0; i < curve.days.size(); ++i) {
        if (i > 0 && !(curve.days[i - 1].day < curve.days[i].day))
            return QStringLiteral("days not ascending");
        dayTurns += curve.days[i].figures.turns;
        if (QString failure = CheckFigures(curve.days[i].figures, "day"); !failure.isEmpty())
            return failure;
    }
    if (dayTurns != int(turns.size()))
        return QStringLiteral("the days hold %1 turns of %2").arg(dayTurns).arg(turns.size());
    for (const LearningFigures& band : curve.bands) {
        if (band.turns > BandWindow)
            return QStringLiteral("a band counts more than its window");
        if (QString failure = CheckFigures(band, "band"); !failure.isEmpty())
            return failure;
    }

    for (double weight : WeakBandWeights(turns))
        if (!std::isfinite(weight) || weight < 1)
            return QStringLiteral("weight %1").arg(weight);
    return {};
}

// RFC 4180 as a spreadsheet reads it.
QList<QList<QByteArray>> ParseCsv(const QByteArray& csv, QString* failure)
{
    QList<QList<QByteArray>> records;
    QList<QByteArray> record;
    QByteArray field;
    qsizetype i = 0;
    while (i < csv.size()) {
        if (csv.at(i) == '"' && field.isEmpty()) {
            for (++i;; ++i) {
                if (i >= csv.size()) {
                    *failure = QStringLiteral("unterminated quoted field");
                    return records;
                }
                if (csv.at(i) == '"') {
                    if (i + 1 < csv.size() && csv.at(i + 1) == '"') {
                        field += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += csv.at(i);
            }
            if (i < csv.size() && csv.at(i) != ',' && csv.at(i) != '\r') {
                *failure = QStringLiteral("text after a quoted field");
                return records;
            }
            continue;
        }
        const char c = csv.at(i);
        if (c == ',') {
            record << field;
            field.clear();
            ++i;
        } else if (c == '\r' && i + 1 < csv.size() && csv.at(i + 1) == '\n') {
            record << field;
            records << record;
            record.clear();
            field.clear();
            i += 2;
        } else if (c == '"' || c == '\r' || c == '\n') {
            *failure = QStringLiteral("a bare quote or line break at %1").arg(i);
            return records;
        } else {
            field += c;
            ++i;
        }
    }
    if (!record.isEmpty() || !field.isEmpty())
        *failure = QStringLiteral("the last line has no line break");
    return records;
}

QString CheckExport(const std::vector<QList<QVariant>>& rows)
{
    QString failure;
    const QList<QList<QByteArray>> records = ParseCsv(JournalCsv(rows), &failure);
    if (!failure.isEmpty())
        return QStringLiteral("export: %1").arg(failure);
    if (records.size() != qsizetype(rows.size()) + 1)
        return QStringLiteral("export: %1 lines for %2 rows").arg(records.size()).arg(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const QList<QVariant>& row = rows[r];
        const QList<QByteArray>& record = records[qsizetype(r) + 1];
        if (record.size() != row.size())
            return QStringLiteral("export: row %1 has %2 fields, not %3")
                .arg(r)
                .arg(record.size())
                .arg(row.size());
        for (qsizetype f = 0; f < row.size(); ++f) {
            const QVariant& value = row[f];
            const QByteArray& text = record[f];
            bool same = true;
            if (value.isNull()) {
                same = text.isEmpty();
            } else if (value.typeId() == QMetaType::Double) {
                if (std::isfinite(value.toDouble())) {
                    bool ok = false;
                    same = text.toDouble(&ok) == value.toDouble() && ok;
                }
            } else if (value.typeId() == QMetaType::QString) {
                // Text that starts like a spreadsheet formula may read back behind an apostrophe.
                const QString stored = value.toString();
                const QString read = QString::fromUtf8(text);
                const bool formulaStart =
                    !stored.isEmpty() && QStringLiteral("=+-@\t\r").contains(stored.front());
                same = read == stored || (formulaStart && read == QLatin1Char('\'') + stored);
            } else if (value.typeId() == QMetaType::LongLong) {
                same = text.toLongLong() == value.toLongLong();
            }
            if (!same)
                return QStringLiteral("export: row %1 field %2 reads back as \"%3\"")
                    .arg(r)
                    .arg(f)
                    .arg(QString::fromUtf8(text));
        }
    }
    return {};
}

} // namespace

QString CheckJournalRows(const QByteArray& bytes)
{
    const std::vector<QList<QVariant>> rows = ParseRows(bytes);
    std::vector<JournalTurn> turns;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::optional<JournalTurn> turn = TurnFromRow(rows[r]);
        if (!turn)
            continue;
        QString failure = CheckTurn(*turn);
        if (failure.isEmpty())
            failure = CheckRoundTrip(*turn);
        if (!failure.isEmpty())
            return QStringLiteral("row %1: %2").arg(r).arg(failure);
        turns.push_back(*turn);
    }
    // The views take the turns in the order they started.
    std::stable_sort(turns.begin(), turns.end(), [](const JournalTurn& a, const JournalTurn& b) {
        return a.startedAt < b.startedAt;
    });
    if (QString failure = CheckComputations(turns); !failure.isEmpty())
        return failure;
    return CheckExport(rows);
}
