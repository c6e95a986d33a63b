#include "results/StatusLines.h"

#include "results/FormatFigure.h"

#include <QCoreApplication>

namespace {

StatusLine Text(const QString& text)
{
    return {true, text};
}

const StatusLine Empty{true, QString()};
const StatusLine Unchanged{false, QString()};

// A time in ms, shown in seconds.
QString Seconds(std::uint32_t ms, const QLocale& locale)
{
    return FormatFigure(ms / 1000.0, 4, locale);
}

QString Average(double x, const QLocale& locale)
{
    return FormatFigure(x, 3, locale);
}

QString TurnLine(std::int32_t attempts, std::uint32_t ms, const QLocale& locale)
{
    return QCoreApplication::translate("StatusLines", "Aktuell: %1 Zeit:%2s.")
        .arg(attempts)
        .arg(Seconds(ms, locale));
}

StatusLines Titles(const QString& line1, const QString& line2 = QString())
{
    return {Text(line1), Text(line2), Empty};
}

} // namespace

StatusLines ComposeStatusLines(const GameState& state, std::uint32_t nowMs, const QLocale& locale)
{
    switch (state.GameMode) {
    case ModeSearching:
        if (!state.TurnClockRunning)
            return {Empty, Empty, Empty};
        // Unsigned difference: a clock wrap during the turn does no harm.
        return {Text(TurnLine(state.TurnAttempts, nowMs - state.TurnStartTime, locale)), Empty,
                Empty};
    case ModeTurnOver: {
        StatusLines lines;
        lines.Label1 = Text(TurnLine(state.TurnAttempts, state.LastFindTime, locale));
        lines.Label2 =
            Text(QCoreApplication::translate("StatusLines", "  Total: %1 OK:%2 Zeit:%3s.")
                     .arg(state.GameAttempts)
                     .arg(state.GameFinds)
                     .arg(Seconds(state.GameTime, locale)));
        if (state.GameFinds > 0) {
            const double finds = state.GameFinds;
            lines.Label3 = Text(QCoreApplication::translate("StatusLines", "Schnitt: %1 Zeit:%2s.")
                                    .arg(Average(state.GameAttempts / finds, locale))
                                    .arg(Average(state.GameTime / (finds * 1000.0), locale)));
        } else {
            lines.Label3 = Unchanged;
        }
        return lines;
    }
    case ModeIdle:
        return {Text(QCoreApplication::translate("StatusLines", "Neues Spiel")), Empty,
                Text(QCoreApplication::translate("StatusLines", IdleNotice))};
    case ModeGeneratorPlaying:
    case ModeGeneratorSilent:
        return Titles(QCoreApplication::translate("StatusLines", "Feedbackgenerator"));
    case ModeCurrentAttempts:
        return Titles(QCoreApplication::translate("StatusLines", "Auswertung Aktuell Versuche"));
    case ModeCurrentTimes:
        return Titles(QCoreApplication::translate("StatusLines", "Auswertung Aktuell Zeit"));
    case ModeTotalAttempts:
        return Titles(QCoreApplication::translate("StatusLines", "Auswertung aller Versuche"),
                      QCoreApplication::translate("StatusLines", "Gespeichert und aktuell"));
    case ModeTotalTimes:
        return Titles(QCoreApplication::translate("StatusLines", "Auswertung aller Zeiten"),
                      QCoreApplication::translate("StatusLines", "Gespeichert und aktuell"));
    case ModeProgressAttempts:
        return Titles(QCoreApplication::translate("StatusLines", "Vergleich Versuche"),
                      QCoreApplication::translate("StatusLines", "Gespeichert mit aktuell"));
    case ModeProgressTimes:
        return Titles(QCoreApplication::translate("StatusLines", "Auswertung Zeiten"),
                      QCoreApplication::translate("StatusLines", "Gespeichert mit aktuell"));
    }
    return {Unchanged, Unchanged, Unchanged};
}
