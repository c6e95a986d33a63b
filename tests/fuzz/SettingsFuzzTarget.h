#pragma once
// The settings file as a hostile editor leaves it: parsed, every key read,
// the nine settings written back and parsed again. Shared by the libFuzzer
// target and the regression test that replays its inputs.

#include <QByteArray>
#include <QString>

// Empty when the file kept its meaning; otherwise what changed.
QString CheckSettingsFile(const QByteArray& bytes);
