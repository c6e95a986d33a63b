#pragma once
// The program's command line: an optional results file to load, plus the
// --help and --version answers every Linux program gives. Needs no
// QApplication, so main() can answer before any window system is touched.

#include <QString>
#include <QStringList>

class QTextStream;

struct CommandLineRequest {
    enum Action { Run, PrintHelp, PrintVersion, Error } action = Run;
    QString resultsFile; // Run: the file to load at start; empty for none
    QString message;     // Error: what was wrong, one line
};

// Options are recognised anywhere before "--"; the first of --help/-h or
// --version/-v decides. Any other argument starting with "-" (except "-"
// itself) is an error unless it follows "--". The first non-option argument is
// the results file; further ones are ignored, as the game loads only one.
// `argumentsWithoutProgram` are those left after QApplication took its own.
CommandLineRequest ParseCommandLine(const QStringList& argumentsWithoutProgram);

QString UsageText();
QString VersionText();

// Writes the answer for a request that ends the program (help and version to
// `out`, an error with the usage to `err`) and returns the exit status:
// 0 for help and version, 2 for an error. Writes nothing for Run.
int AnswerCommandLine(const CommandLineRequest& request, QTextStream& out, QTextStream& err);
