#pragma once
// "Exportieren ...": every recorded turn as CSV, written atomically, in one of
// two file types: RFC 4180 (UTF-8, CRLF line ends, a header line with the
// column names, "." as decimal separator) for other programs, or for a German
// spreadsheet (";" between fields, decimal comma, UTF-8 with a byte order
// mark, CRLF, German headers and local times). Thread: GUI only, unless a
// function says otherwise.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <vector>

class Dialogs;
class Journal;
class JournalService;
class QTimeZone;
class QWidget;

// The file types of the save dialog, in its order.
enum class ExportFormat { Rfc4180, Spreadsheet };

// One field (thread: any): quoted when it holds a comma, a double quote, CR or LF, with
// inner quotes doubled; NULL is the empty field. Text that a spreadsheet would
// take for a formula (it starts with =, +, -, @, a tab or CR and is no plain
// number) gets a leading apostrophe, in both file types.
QByteArray CsvField(const QVariant& value);
// The header line and one line per row, each ended by CRLF; `progress`
// hears every few thousand rows how many are done. Thread: any.
QByteArray JournalCsv(const std::vector<QList<QVariant>>& rows,
                      const std::function<void(qint64 done)>& progress = {});

// The spreadsheet file of the same rows (as Journal::ReadRows gives them),
// times in `localZone`. A row no view may trust is written as stored.
// Thread: any.
QByteArray JournalSpreadsheetCsv(const std::vector<QList<QVariant>>& rows,
                                 const QTimeZone& localZone,
                                 const std::function<void(qint64 done)>& progress = {});

// Replaces `path` with `bytes` or leaves it as it was: false with the
// reason. Thread: any.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* errorText);

// The menu command: asks for a file name and type, asks before replacing a
// file that is there already, writes the CSV, says in one German box where
// it went or why it failed.
// False when nothing was written. Reads and writes on the calling thread.
bool ExportJournal(Journal& journal, Dialogs& dialogs);
// The same from the menu: the questions here, the reading and writing on
// the journal's thread with a progress window owned by `parent`; the box
// comes when it is done.
void StartJournalExport(JournalService& journal, QWidget* parent);
