#pragma once
// A results file of any length and bytes, loaded as the game loads it, and
// everything that consumes its counters: the saved image, the status lines
// and the six charts in the C and the German locale. Shared by the libFuzzer
// target and the regression test that replays its inputs. Needs a
// QGuiApplication (the charts draw text).

#include <QByteArray>
#include <QString>

// Empty when every value stayed finite and the drawing work bounded;
// otherwise what went wrong.
QString CheckResultsFile(const QByteArray& bytes);
