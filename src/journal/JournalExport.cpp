#include "journal/JournalExport.h"

#include "journal/Journal.h"
#include "journal/JournalService.h"
#include "journal/JournalTurn.h"
#include "platform/Dialogs.h"
#include "platform/FileErrorText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPointer>
#include <QProgressDialog>
#include <QSaveFile>

#include <cerrno>

namespace {

const QString ExportCaption = QStringLiteral("Trainingsjournal exportieren");

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

// The German reason first, the system's own words in brackets.
QString FailureText(int errorNumber, const QString& path, const QString& systemText)
{
    return QStringLiteral("%1 (%2)").arg(GermanFileErrorText(WriteErrorNumber(errorNumber, path)),
                                         systemText);
}

// A file this export wrote: it starts with our header line, or with the
// columns it had before the stage's were added.
bool IsJournalExport(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = JournalColumns.first(ToneColumnCount).join(QLatin1Char(',')).toUtf8();
    return file.read(header.size()) == header;
}

// Another file would be gone for good, so the player says so first, as
// "Speichern unter" asks for a results file.
bool ConfirmReplace(Dialogs& dialogs, const QString& path)
{
    const QFileInfo existing(path);
    if (!existing.exists() || existing.isDir())
        return true; // a folder of that name only gets the error box of the write
    MessageBoxRequest question;
    question.caption = QStringLiteral("Datei existiert bereits");
    question.text =
        IsJournalExport(path)
            ? QStringLiteral("Die Datei „%1“ existiert bereits.\n"
                             "Sie enthält einen früheren Export des Trainingsjournals.\n"
                             "Wollen Sie sie ersetzen?")
            : QStringLiteral("Die Datei „%1“ existiert bereits.\n"
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
    box.caption = ExportCaption;
    box.text = text;
    box.icon = DialogIcon::Error;
    dialogs.MessageBox(box);
}

} // namespace

QByteArray CsvField(const QVariant& value)
{
    QByteArray text = FieldText(value).toUtf8();
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
    for (const QString& column : JournalColumns)
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

// The file the player chose and agreed to replace; empty when nothing is to
// be written.
QString ChooseTarget(Dialogs& dialogs, bool journalOff, const QString& offReason)
{
    if (journalOff) {
        ShowFailure(dialogs, QStringLiteral("Das Trainingsjournal ist ausgeschaltet und kann nicht "
                                            "exportiert werden.\nGrund: %1")
                                 .arg(offReason));
        return {};
    }
    FileDialogRequest request;
    request.caption = ExportCaption;
    request.filter = QStringLiteral("CSV-Dateien|*.csv|Alle Dateien|*.*");
    request.defaultExtension = QStringLiteral("csv");
    request.proposedName = QStringLiteral("Trainingsjournal.csv");
    QString chosen = dialogs.SaveFileName(request);
    if (chosen.isEmpty() || !ConfirmReplace(dialogs, chosen))
        return {};
    return chosen;
}

// Why the CSV could not be written; empty when it was, or when a fault
// switched the journal off (its own box said so). `progress` hears 0..1000.
// Thread: the one that owns `journal`.
QString WriteExport(Journal& journal, const QString& path, bool* written,
                    const std::function<void(int permille)>& progress)
{
    *written = false;
    qint64 total = 1;
    const auto rows = journal.ReadRows([&](qint64 done, qint64 all) {
        total = std::max<qint64>(all, 1);
        if (progress)
            progress(int(500 * done / total));
    });
    if (!rows)
        return {};
    total = std::max<qint64>(qint64(rows->size()), 1);
    const QByteArray csv = JournalCsv(*rows, [&](qint64 done) {
        if (progress)
            progress(500 + int(400 * done / total));
    });
    QString errorText;
    if (!WriteFileAtomically(path, csv, &errorText))
        return QStringLiteral("Die Datei „%1“ konnte nicht geschrieben werden:\n%2\n"
                              "Eine vorhandene Datei bleibt unverändert.")
            .arg(QDir::toNativeSeparators(path), errorText);
    *written = true;
    return {};
}

} // namespace

bool ExportJournal(Journal& journal, Dialogs& dialogs)
{
    const QString chosen = ChooseTarget(dialogs, journal.IsOff(), journal.OffReason());
    if (chosen.isEmpty())
        return false;
    bool written = false;
    const QString failure = WriteExport(journal, chosen, &written, {});
    if (!failure.isEmpty())
        ShowFailure(dialogs, failure);
    return written;
}

void StartJournalExport(JournalService& journal, QWidget* parent)
{
    Dialogs& dialogs = journal.Boxes();
    const QString chosen = ChooseTarget(dialogs, journal.IsOff(), journal.OffReason());
    if (chosen.isEmpty())
        return;
    auto* progress = new QProgressDialog(QStringLiteral("Das Trainingsjournal wird exportiert ..."),
                                         QString(), 0, 1000, parent);
    progress->setWindowTitle(ExportCaption);
    progress->setCancelButton(nullptr);
    progress->setMinimumDuration(0);
    progress->setAutoClose(false);
    progress->setAttribute(Qt::WA_DeleteOnClose);
    progress->show();
    const QPointer<QProgressDialog> shown(progress);
    // Answered to the journal itself: a failure is told even when the
    // progress window was closed meanwhile.
    journal.Run<QString>(
        &journal,
        // Thread: the journal's.
        [chosen, shown](Journal& store) {
            bool written = false;
            int lastPermille = -1;
            return WriteExport(store, chosen, &written, [&](int permille) {
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
        },
        [shown, &dialogs](QString& failure) {
            if (shown)
                shown->close();
            if (!failure.isEmpty())
                ShowFailure(dialogs, failure);
        });
}
