#include "journal/JournalTurn.h"

#include <cmath>

const QStringList JournalColumns = {
    QStringLiteral("id"),           QStringLiteral("started_at"),   QStringLiteral("ringing_band"),
    QStringLiteral("frequency_hz"), QStringLiteral("scoring_mode"), QStringLiteral("low_cut"),
    QStringLiteral("high_cut"),     QStringLiteral("attempts"),     QStringLiteral("tried"),
    QStringLiteral("find_ms"),      QStringLiteral("outcome"),      QStringLiteral("feedback_time"),
    QStringLiteral("random_start"), QStringLiteral("swell"),        QStringLiteral("bed"),
    QStringLiteral("kind"),         QStringLiteral("howl_hz"),      QStringLiteral("gain_won_db"),
    QStringLiteral("auto_gain_db"), QStringLiteral("set_id"),
};

const QStringList ExportColumns = JournalColumns + QStringList{QStringLiteral("set_points")};

std::optional<int> JournalTurn::FirstTry() const
{
    if (!tried.isEmpty())
        return tried.front();
    if (Found())
        return ringingBand;
    return std::nullopt;
}

QString FormatStartedAt(const QDateTime& utc)
{
    QDateTime time = utc.toUTC();
    time.setTime(QTime(time.time().hour(), time.time().minute(), time.time().second()));
    return time.toString(Qt::ISODate);
}

QString FormatTried(const QList<int>& bands)
{
    QStringList parts;
    parts.reserve(bands.size());
    for (int band : bands)
        parts << QString::number(band);
    return parts.join(QLatin1Char(' '));
}

QString FormatOutcome(TurnOutcome outcome)
{
    switch (outcome) {
    case TurnOutcome::Found:
        return QStringLiteral("found");
    case TurnOutcome::Missed:
        return QStringLiteral("daneben");
    case TurnOutcome::Abandoned:
        break;
    }
    return QStringLiteral("abandoned");
}

QString FormatKind(bool stage)
{
    return stage ? QStringLiteral("buehne") : QStringLiteral("ton");
}

namespace {

std::optional<double> OptionalReal(const QVariant& value)
{
    bool ok = false;
    const double real = value.toDouble(&ok);
    return !value.isNull() && ok && std::isfinite(real) ? std::optional(real) : std::nullopt;
}

bool IsBand(qint64 value)
{
    return value >= 0 && value < BandCount;
}

// An integer column: SQLite hands back integers, but another tool may have
// stored text or a real. Only a whole number counts.
std::optional<qint64> WholeNumber(const QVariant& value)
{
    if (value.isNull())
        return std::nullopt;
    bool ok = false;
    if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int)
        return value.toLongLong(); // what SQLite hands back for an integer
    if (value.typeId() == QMetaType::Double) {
        const double d = value.toDouble();
        // Out of range (or NaN) first: converting such a double is undefined.
        if (!(d > -9.0e18 && d < 9.0e18) || d != static_cast<double>(static_cast<qint64>(d)))
            return std::nullopt;
        return static_cast<qint64>(d);
    }
    const qint64 number = value.toString().trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(number) : std::nullopt;
}

// A setting column only describes the turn; a missing value reads as 0.
int SettingValue(const QVariant& value)
{
    const auto number = WholeNumber(value);
    return number && *number >= INT32_MIN && *number <= INT32_MAX ? static_cast<int>(*number) : 0;
}

std::optional<QList<int>> ParseTried(const QString& text)
{
    QList<int> bands;
    if (text.isEmpty())
        return bands;
    for (QStringView part : QStringView(text).split(QLatin1Char(' '))) {
        bool ok = false;
        const int band = part.toInt(&ok);
        if (!ok || !IsBand(band))
            return std::nullopt;
        bands << band;
    }
    return bands;
}

// "2026-12-07T21:05:33Z", as this program writes it, read without the
// general ISO parser, which costs more than the rest of a row together.
QDateTime ParseOwnTimestamp(QStringView text)
{
    if (text.size() != 20 || text[4] != u'-' || text[7] != u'-' || text[10] != u'T' ||
        text[13] != u':' || text[16] != u':' || text[19] != u'Z')
        return QDateTime();
    auto number = [&text](int from, int length) {
        int value = 0;
        for (int i = from; i < from + length; ++i) {
            const char16_t c = text[i].unicode();
            if (c < u'0' || c > u'9')
                return -1;
            value = value * 10 + (c - u'0');
        }
        return value;
    };
    const QDate date(number(0, 4), number(5, 2), number(8, 2));
    const int hour = number(11, 2), minute = number(14, 2), second = number(17, 2);
    if (!date.isValid() || !QTime::isValid(hour, minute, second))
        return QDateTime();
    return QDateTime(date, QTime(hour, minute, second), Qt::UTC);
}

QDateTime ParseStartedAt(const QString& text)
{
    QDateTime own = ParseOwnTimestamp(text);
    if (own.isValid())
        return own;
    // Another tool may have written another ISO 8601 form.
    QDateTime other = QDateTime::fromString(text.trimmed(), Qt::ISODate);
    if (other.isValid() && other.timeSpec() == Qt::LocalTime)
        other.setTimeSpec(Qt::UTC); // no offset: taken as UTC, as this program writes it
    return other.toUTC();
}

} // namespace

std::optional<JournalTurn> TurnFromRow(const QList<QVariant>& row)
{
    // A row of the columns before the stage's (an older tool's) is the tone's.
    if (row.size() < ToneColumnCount)
        return std::nullopt;
    const auto column = [&row](int index) { return index < row.size() ? row[index] : QVariant(); };
    JournalTurn turn;
    turn.id = WholeNumber(row[0]).value_or(0);

    turn.startedAt = ParseStartedAt(row[1].toString());
    if (!turn.startedAt.isValid())
        return std::nullopt;

    const auto band = WholeNumber(row[2]);
    if (!band || !IsBand(*band))
        return std::nullopt;
    turn.ringingBand = static_cast<int>(*band);

    turn.frequencyHz = row[3].toDouble();
    turn.scoringMode = SettingValue(row[4]);
    turn.lowCut = SettingValue(row[5]);
    turn.highCut = SettingValue(row[6]);

    const auto attempts = WholeNumber(row[7]);
    if (!attempts || *attempts < 0 || *attempts > INT32_MAX)
        return std::nullopt;
    turn.attempts = static_cast<int>(*attempts);

    const auto tried = ParseTried(row[8].isNull() ? QString() : row[8].toString());
    if (!tried)
        return std::nullopt;
    turn.tried = *tried;

    const QString outcome = row[10].toString();
    if (outcome == QLatin1String("found"))
        turn.outcome = TurnOutcome::Found;
    else if (outcome == QLatin1String("abandoned"))
        turn.outcome = TurnOutcome::Abandoned;
    else if (outcome == QLatin1String("daneben"))
        turn.outcome = TurnOutcome::Missed;
    else
        return std::nullopt;

    if (!row[9].isNull()) {
        const auto findMs = WholeNumber(row[9]);
        if (!findMs || *findMs < 0)
            return std::nullopt;
        if (turn.Found())
            turn.findMs = *findMs;
    }
    // A find counts as an attempt and has a time.
    if (turn.Found() && (turn.attempts < 1 || !turn.findMs))
        return std::nullopt;

    turn.feedbackTime = SettingValue(row[11]);
    turn.randomStart = SettingValue(row[12]);
    turn.swell = SettingValue(row[13]);
    turn.bed = SettingValue(row[14]);

    // Rows from before the stage, or from other tools, are the tone's.
    const QString kind = column(15).isNull() ? QStringLiteral("ton") : column(15).toString();
    if (kind != QLatin1String("ton") && kind != QLatin1String("buehne"))
        return std::nullopt;
    turn.stage = kind == QLatin1String("buehne");
    if (turn.stage) {
        turn.howlHz = OptionalReal(column(16));
        turn.gainWonDb = OptionalReal(column(17));
        turn.autoGainDb = OptionalReal(column(18));
    }
    if (const auto setId = WholeNumber(column(19)))
        turn.setId = *setId;
    return turn;
}
