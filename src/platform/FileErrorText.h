#pragma once
// Why a file could not be read or written, in the player's language. Qt's
// own error strings are English and name the temporary file of a save.
// Thread: any (pure).

#include <QString>

// The reason for an errno value, one sentence in the player's language.
QString GermanFileErrorText(int errorNumber);

// The errno to report for a failed write to `path` when the failing call left
// none: asks the file system whether the file (or, for a new file, its folder)
// can be written at all, else an I/O error.
int WriteErrorNumber(int errnoAfterFailure, const QString& path);
