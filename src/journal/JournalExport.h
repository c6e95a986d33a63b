#pragma once
// "Exportieren ...": every recorded turn as CSV (RFC 4180, UTF-8, CRLF line
// ends, a header line with the column names, "." as decimal separator),
// written atomically. Thread: GUI only.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include <vector>

class Dialogs;
class Journal;

// One field: quoted when it holds a comma, a double quote, CR or LF, with
// inner quotes doubled; NULL is the empty field.
QByteArray CsvField(const QVariant& value);
// The header line and one line per row, each ended by CRLF.
QByteArray JournalCsv(const std::vector<QList<QVariant>>& rows);

// Replaces `path` with `bytes` or leaves it as it was: false with the reason.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* errorText);

// The menu command: asks for a file name, asks before replacing a file that
// is there already, writes the CSV, reports a failure in one German box.
// False when nothing was written.
bool ExportJournal(Journal& journal, Dialogs& dialogs);
