#pragma once
// Rows of the journal's table as another tool may have left them: every
// value of any type. Each row is checked the way the views and the weighted
// draw read it, the checked turns go through every computation of the
// Training windows, and all rows through the CSV export and back. Shared by
// the libFuzzer target and the regression test that replays its inputs.
//
// Input: one row per line, values separated by tabs. A value is empty (NULL),
// "i<integer>", "d<real>", "b<bytes>" (a blob) or "t<text>"; anything else is
// text as it stands.

#include <QByteArray>
#include <QString>

// Empty when every check held; otherwise the first that did not.
QString CheckJournalRows(const QByteArray& bytes);
