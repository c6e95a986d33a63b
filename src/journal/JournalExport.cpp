#include "journal/JournalExport.h"

#include "journal/BandNames.h"
#include "journal/Journal.h"
#include "journal/JournalService.h"
#include "journal/JournalTurn.h"
#include "platform/Dialogs.h"
#include "platform/FileErrorText.h"
#include "platform/RegularFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPointer>
#include <QProgressDialog>
#include <QSaveFile>
#include <QTimeZone>

#include <algorithm>
#include <cerrno>
#include <optional>

namespace {

QString ExportCaption()
{
    return QCoreApplication::translate("JournalExport", "Trainingsjournal exportieren");
}

QString FieldText(const QVariant& value)
{
    if (value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        // The shortest text that reads back as the same number, always with "."
        return QLocale::c().toString(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    default:
        return value.toString();
    }
}

// A plain decimal number, as a spreadsheet would read it, with "." or ",":
// "-3.5" and "-12" start like a formula and are none.
bool IsPlainNumber(QStringView text)
{
    const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    const auto isSign = [](QChar c) { return c == u'-' || c == u'+'; };
    qsizetype i = 0;
    if (i < text.size() && isSign(text[i]))
        ++i;
    qsizetype digits = 0;
    bool separator = false;
    for (; i < text.size(); ++i) {
        if (isDigit(text[i]))
            ++digits;
        else if ((text[i] == u'.' || text[i] == u',') && !separator)
            separator = true;
        else
            break;
    }
    if (digits == 0)
        return false;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < text.size() && isSign(text[i]))
            ++i;
        const qsizetype exponentStart = i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
        if (i == exponentStart)
            return false;
    }
    return i == text.size();
}

// Text another tool stored may start like a formula ("=HYPERLINK(...)",
// "@SUM(...)", "-2+3+cmd|..."), which a spreadsheet would run when the file
// is opened; the leading apostrophe makes it read as text.
QString WithoutFormula(const QString& text)
{
    if (text.isEmpty())
        return text;
    const QChar first = text.front();
    const bool formulaStart = first == u'=' || first == u'+' || first == u'-' || first == u'@' ||
                              first == u'\t' || first == u'\r';
    if (!formulaStart || IsPlainNumber(text))
        return text;
    return QLatin1Char('\'') + text;
}

// The German reason first, the system's own words in brackets.
QString FailureText(int errorNumber, const QString& path, const QString& systemText)
{
    return QStringLiteral("%1 (%2)").arg(GermanFileErrorText(WriteErrorNumber(errorNumber, path)),
                                         systemText);
}

const QByteArray ByteOrderMark = "\xEF\xBB\xBF";

// New columns go at the end, so a sheet that reads the earlier ones by
// their place keeps working.
const QStringList SpreadsheetColumns = {
    QStringLiteral("Beginn"),        QStringLiteral("Art"),
    QStringLiteral("Band"),          QStringLiteral("Frequenz"),
    QStringLiteral("Versuche"),      QStringLiteral("Versuchte Bänder"),
    QStringLiteral("Fundzeit"),      QStringLiteral("Ergebnis"),
    QStringLiteral("Feedback Zeit"), QStringLiteral("Zufallsstart"),
    QStringLiteral("Anschwellen"),   QStringLiteral("Hintergrund"),
    QStringLiteral("Reglerwertung"), QStringLiteral("Filter unten"),
    QStringLiteral("Filter oben"),   QStringLiteral("Rückkopplung"),
    QStringLiteral("Gewinn (dB)"),   QStringLiteral("Automatik (dB)"),
    QStringLiteral("Übungssatz"),    QStringLiteral("Punkte des Satzes"),
};
// The columns an export had before the scoring, the filter, the stage and the set.
constexpr qsizetype FirstSpreadsheetColumns = 12;

QByteArray SpreadsheetHeader(qsizetype columns = SpreadsheetColumns.size())
{
    return ByteOrderMark + SpreadsheetColumns.first(columns).join(QLatin1Char(';')).toUtf8();
}

// A file this export wrote: it starts with one of our header lines, or with
// the columns it had before the stage's were added.
bool IsJournalExport(const QString& path)
{
    // Never waits: a pipe put there since the look in ChooseTarget is refused here.
    const ReadOnlyFile opened(path);
    QFile file;
    if (!opened.IsOpen() ||
        !file.open(opened.Descriptor(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return false;
    const QByteArray header = JournalColumns.first(ToneColumnCount).join(QLatin1Char(',')).toUtf8();
    const QByteArray spreadsheetHeader = SpreadsheetHeader(FirstSpreadsheetColumns);
    const QByteArray start = file.read(std::max(header.size(), spreadsheetHeader.size()));
    return start.startsWith(header) || start.startsWith(spreadsheetHeader);
}

// One spreadsheet field: quoted when it holds ";", a double quote, CR or LF.
QByteArray SpreadsheetField(const QString& value)
{
    QByteArray text = WithoutFormula(value).toUtf8();
    if (!text.contains(';') && !text.contains('"') && !text.contains('\r') && !text.contains('\n'))
        return text;
    return '"' + text.replace("\"", "\"\"") + '"';
}

QStringList SpreadsheetRecord(const QList<QVariant>& row, const QTimeZone& localZone)
{
    QLocale german = GermanNumbers();
    german.setNumberOptions(QLocale::OmitGroupSeparator);
    // Stage rows once the journal tells them apart by the column `kind`.
    const qsizetype kindColumn = JournalColumns.indexOf(QStringLiteral("kind"));
    const QString kind = kindColumn >= 0 && kindColumn < row.size() &&
                                 row[kindColumn].toString() == QLatin1String("buehne")
                             ? QStringLiteral("Bühne")
                             : QStringLiteral("Ton");
    const std::optional<JournalTurn> turn = TurnFromRow(row);
    if (!turn) {
        // What another tool stored, as it is, in the columns it belongs to.
        auto raw = [&row](int column) {
            return column < row.size() ? FieldText(row[column]) : QString();
        };
        return {raw(1),  kind,    raw(2),  raw(3),  raw(7),  raw(8), raw(9),
                raw(10), raw(11), raw(12), raw(13), raw(14), raw(4), raw(5),
                raw(6),  raw(16), raw(17), raw(18), raw(19), raw(20)};
    }
    const auto decimal = [&german](std::optional<double> value) {
        return value ? german.toString(*value, 'f', 1) : QString();
    };
    const QVariant setPoints = row.value(ExportColumns.indexOf(QStringLiteral("set_points")));
    QStringList tried;
    for (int band : turn->tried)
        tried << BandName(band, german);
    const QString beds[] = {QStringLiteral("Keiner"), QStringLiteral("Rosa Rauschen"),
                            QStringLiteral("Musik")};
    return {
        turn->startedAt.toTimeZone(localZone).toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")),
        kind,
        BandName(turn->ringingBand, german),
        german.toString(turn->frequencyHz, 'f', 1),
        german.toString(turn->attempts),
        tried.join(QLatin1Char(' ')),
        turn->findMs ? german.toString(double(*turn->findMs) / 1000.0, 'f', 1) : QString(),
        turn->Found()                          ? QStringLiteral("gefunden")
        : turn->outcome == TurnOutcome::Missed ? QStringLiteral("daneben")
                                               : QStringLiteral("abgebrochen"),
        german.toString(turn->feedbackTime),
        german.toString(turn->randomStart),
        turn->swell ? QStringLiteral("ja") : QStringLiteral("nein"),
        turn->bed >= 0 && turn->bed < 3 ? beds[turn->bed] : german.toString(turn->bed),
        // Modes other than 0 play as "Anwahl und Absenkung".
        turn->scoringMode == 0 ? QStringLiteral("Anwahl") : QStringLiteral("Anwahl und Absenkung"),
        BandName(turn->lowCut, german),
        BandName(turn->highCut, german),
        decimal(turn->howlHz),
        decimal(turn->gainWonDb),
        decimal(turn->autoGainDb),
        turn->setId ? german.toString(*turn->setId) : QString(),
        setPoints.isNull() ? QString() : german.toString(setPoints.toLongLong()),
    };
}

// Another file would be gone for good, so the player says so first, as
// "Speichern unter" asks for a results file.
bool ConfirmReplace(Dialogs& dialogs, const QString& path)
{
    const QFileInfo existing(path);
    if (!existing.exists() || existing.isDir())
        return true; // a folder of that name only gets the error box of the write
    MessageBoxRequest question;
    question.caption = QCoreApplication::translate("JournalExport", "Datei existiert bereits");
    question.text =
        IsJournalExport(path)
            ? QCoreApplication::translate(
                  "JournalExport", "Die Datei „%1“ existiert bereits.\n"
                                   "Sie enthält einen früheren Export des Trainingsjournals.\n"
                                   "Wollen Sie sie ersetzen?")
            : QCoreApplication::translate("JournalExport",
                                          "Die Datei „%1“ existiert bereits.\n"
                                          "Sie ist kein Export des Trainingsjournals; ihr Inhalt "
                                          "geht verloren, falls Sie sie ersetzen.\n"
                                          "Wollen Sie sie dennoch ersetzen?");
    question.text = question.text.arg(QDir::toNativeSeparators(path));
    question.icon = DialogIcon::Question;
    question.buttons = DialogButtons::YesNo;
    question.defaultButton = DialogResult::No;
    return dialogs.MessageBox(question) == DialogResult::Yes;
}

void ShowFailure(Dialogs& dialogs, const QString& text)
{
    MessageBoxRequest box;
    box.caption = ExportCaption();
    box.text = text;
    box.icon = DialogIcon::Error;
    dialogs.MessageBox(box);
}

} // namespace

QByteArray CsvField(const QVariant& value)
{
    const int type = value.typeId();
    const bool number = type == QMetaType::Double || type == QMetaType::Float ||
                        type == QMetaType::Int || type == QMetaType::LongLong;
    QByteArray text = (number ? FieldText(value) : WithoutFormula(FieldText(value))).toUtf8();
    const bool quoted =
        text.contains(',') || text.contains('"') || text.contains('\r') || text.contains('\n');
    if (!quoted)
        return text;
    QByteArray field = "\"";
    field += QByteArray(text).replace("\"", "\"\"");
    field += '"';
    return field;
}

QByteArray JournalCsv(const std::vector<QList<QVariant>>& rows,
                      const std::function<void(qint64 done)>& progress)
{
    QByteArray csv;
    csv.reserve(static_cast<qsizetype>(rows.size()) * 96 + 200);
    auto appendLine = [&csv](const QList<QVariant>& values) {
        for (qsizetype i = 0; i < values.size(); ++i) {
            if (i > 0)
                csv += ',';
            csv += CsvField(values[i]);
        }
        csv += "\r\n";
    };
    QList<QVariant> header;
    for (const QString& column : ExportColumns)
        header << column;
    appendLine(header);
    qint64 done = 0;
    for (const QList<QVariant>& row : rows) {
        appendLine(row);
        if (progress && ++done % 4096 == 0)
            progress(done);
    }
    return csv;
}

QByteArray JournalSpreadsheetCsv(const std::vector<QList<QVariant>>& rows,
                                 const QTimeZone& localZone,
                                 const std::function<void(qint64 done)>& progress)
{
    QByteArray csv = SpreadsheetHeader() + "\r\n";
    csv.reserve(static_cast<qsizetype>(rows.size()) * 110 + 200);
    qint64 done = 0;
    for (const QList<QVariant>& row : rows) {
        const QStringList fields = SpreadsheetRecord(row, localZone);
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i > 0)
                csv += ';';
            csv += SpreadsheetField(fields[i]);
        }
        csv += "\r\n";
        if (progress && ++done % 4096 == 0)
            progress(done);
    }
    return csv;
}

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* errorText)
{
    QSaveFile file(path);
    // Unbuffered, so a full disk shows in write() and not only at commit(),
    // when the rename would already replace the old file.
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *errorText = FailureText(errno, path, file.errorString());
        return false;
    }
    qsizetype written = 0;
    while (written < bytes.size()) {
        errno = 0;
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0) {
            *errorText = FailureText(errno, path, file.errorString());
            file.cancelWriting();
            return false;
        }
        written += n;
    }
    if (file.error() != QFileDevice::NoError) {
        *errorText = FailureText(0, path, file.errorString());
        file.cancelWriting();
        return false;
    }
    errno = 0;
    if (!file.commit()) {
        *errorText = FailureText(errno, path, file.errorString());
        return false;
    }
    return true;
}

namespace {

struct ExportTarget {
    QString path; // empty when nothing is to be written
    ExportFormat format = ExportFormat::Rfc4180;
};

// The file the player chose and agreed to replace.
ExportTarget ChooseTarget(Dialogs& dialogs, bool journalOff, const QString& offReason)
{
    if (journalOff) {
        ShowFailure(dialogs, QCoreApplication::translate("JournalExport",
                                                         "Das Trainingsjournal ist ausgeschaltet "
                                                         "und kann nicht exportiert werden.\n"
                                                         "Grund: %1")
                                 .arg(offReason));
        return {};
    }
    FileDialogRequest request;
    request.caption = ExportCaption();
    // The order of ExportFormat; "Alle Dateien" writes the RFC 4180 file.
    //: Name|pattern pairs: the patterns and the order of the pairs stay as they are.
    request.filter = QCoreApplication::translate(
        "JournalExport", "CSV-Dateien|*.csv|Tabellenkalkulation (;)|*.csv|Alle Dateien|*.*");
    request.defaultExtension = QStringLiteral("csv");
    request.proposedName = QStringLiteral("Trainingsjournal.csv");
    int chosenFilter = 0;
    request.chosenFilter = &chosenFilter;
    ExportTarget target;
    target.path = dialogs.SaveFileName(request);
    if (target.path.isEmpty())
        return {};
    // Looked at before anything opens it: opening a pipe waits until another
    // program opens its other end, and the window would hang till then.
    if (const QString special = SpecialFileReason(target.path); !special.isEmpty()) {
        ShowFailure(dialogs, QCoreApplication::translate("JournalExport",
                                                         "In die Datei „%1“ kann nicht exportiert "
                                                         "werden: %2\nBitte wählen Sie eine "
                                                         "gewöhnliche Datei.")
                                 .arg(QDir::toNativeSeparators(target.path), special));
        return {};
    }
    if (!ConfirmReplace(dialogs, target.path))
        return {};
    target.format = chosenFilter == 1 ? ExportFormat::Spreadsheet : ExportFormat::Rfc4180;
    return target;
}

void ShowWritten(Dialogs& dialogs, const QString& path, qint64 turns)
{
    MessageBoxRequest box;
    box.caption = ExportCaption();
    const QString where = QDir::toNativeSeparators(path);
    box.text = turns == 1
                   ? QCoreApplication::translate("JournalExport",
                                                 "Eine Runde wurde in die Datei „%1“ exportiert.")
                         .arg(where)
                   : QCoreApplication::translate("JournalExport",
                                                 "%1 Runden wurden in die Datei „%2“ exportiert.")
                         .arg(GermanNumbers().toString(turns), where);
    box.icon = DialogIcon::Information;
    dialogs.MessageBox(box);
}

// Why the CSV could not be written; empty when it was (`written` then
// holds how many turns), or when a fault switched the journal off (its own
// box said so). `progress` hears 0..1000. Thread: the one that owns `journal`.
QString WriteExport(Journal& journal, const ExportTarget& target, std::optional<qint64>* written,
                    const std::function<void(int permille)>& progress)
{
    const QString& path = target.path;
    written->reset();
    qint64 total = 1;
    const auto rows = journal.ReadRows([&](qint64 done, qint64 all) {
        total = std::max<qint64>(all, 1);
        if (progress)
            progress(int(500 * done / total));
    });
    if (!rows)
        return {};
    total = std::max<qint64>(qint64(rows->size()), 1);
    const auto csvProgress = [&](qint64 done) {
        if (progress)
            progress(500 + int(400 * done / total));
    };
    const QByteArray csv =
        target.format == ExportFormat::Spreadsheet
            ? JournalSpreadsheetCsv(*rows, QTimeZone::systemTimeZone(), csvProgress)
            : JournalCsv(*rows, csvProgress);
    QString errorText;
    if (!WriteFileAtomically(path, csv, &errorText))
        return QCoreApplication::translate("JournalExport",
                                           "Die Datei „%1“ konnte nicht geschrieben werden:\n%2\n"
                                           "Eine vorhandene Datei bleibt unverändert.")
            .arg(QDir::toNativeSeparators(path), errorText);
    *written = qint64(rows->size());
    return {};
}

} // namespace

bool ExportJournal(Journal& journal, Dialogs& dialogs)
{
    const ExportTarget target = ChooseTarget(dialogs, journal.IsOff(), journal.OffReason());
    if (target.path.isEmpty())
        return false;
    std::optional<qint64> written;
    const QString failure = WriteExport(journal, target, &written, {});
    if (!failure.isEmpty())
        ShowFailure(dialogs, failure);
    if (written)
        ShowWritten(dialogs, target.path, *written);
    return written.has_value();
}

void StartJournalExport(JournalService& journal, QWidget* parent)
{
    Dialogs& dialogs = journal.Boxes();
    const ExportTarget target = ChooseTarget(dialogs, journal.IsOff(), journal.OffReason());
    if (target.path.isEmpty())
        return;
    auto* progress = new QProgressDialog(
        QCoreApplication::translate("JournalExport", "Das Trainingsjournal wird exportiert ..."),
        QString(), 0, 1000, parent);
    progress->setWindowTitle(ExportCaption());
    progress->setCancelButton(nullptr);
    progress->setMinimumDuration(0);
    progress->setAutoClose(false);
    progress->setAttribute(Qt::WA_DeleteOnClose);
    progress->show();
    const QPointer<QProgressDialog> shown(progress);
    // Answered to the journal itself: a failure is told even when the
    // progress window was closed meanwhile.
    using Outcome = std::pair<QString, std::optional<qint64>>; // failure, turns written
    journal.Run<Outcome>(
        &journal,
        // Thread: the journal's.
        [target, shown](Journal& store) {
            Outcome outcome;
            int lastPermille = -1;
            outcome.first = WriteExport(store, target, &outcome.second, [&](int permille) {
                if (permille == lastPermille)
                    return;
                lastPermille = permille;
                // The window is looked at on the GUI thread, where it may be gone.
                QMetaObject::invokeMethod(
                    qApp,
                    [shown, permille] {
                        if (shown)
                            shown->setValue(permille);
                    },
                    Qt::QueuedConnection);
            });
            return outcome;
        },
        [shown, &dialogs, path = target.path](Outcome& outcome) {
            if (shown)
                shown->close();
            if (!outcome.first.isEmpty())
                ShowFailure(dialogs, outcome.first);
            if (outcome.second)
                ShowWritten(dialogs, path, *outcome.second);
        });
}
