#pragma once
// "Exportieren ...": every recorded turn as CSV (RFC 4180, UTF-8, CRLF line
// ends, a header line with the column names, "." as decimal separator),
// written atomically. Thread: GUI only, unless a function says otherwise.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <vector>

class Dialogs;
class Journal;
class JournalService;
class QWidget;

// One field (thread: any): quoted when it holds a comma, a double quote, CR or LF, with
// inner quotes doubled; NULL is the empty field.
QByteArray CsvField(const QVariant& value);
// The header line and one line per row, each ended by CRLF; `progress`
// hears every few thousand rows how many are done. Thread: any.
QByteArray JournalCsv(const std::vector<QList<QVariant>>& rows,
                      const std::function<void(qint64 done)>& progress = {});

// Replaces `path` with `bytes` or leaves it as it was: false with the
// reason. Thread: any.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* errorText);

// The menu command: asks for a file name, asks before replacing a file that
// is there already, writes the CSV, reports a failure in one German box.
// False when nothing was written. Reads and writes on the calling thread.
bool ExportJournal(Journal& journal, Dialogs& dialogs);
// The same from the menu: the questions here, the reading and writing on
// the journal's thread with a progress window owned by `parent`; a failure
// is reported in a box when it is done.
void StartJournalExport(JournalService& journal, QWidget* parent);
