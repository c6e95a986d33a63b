#pragma once
// heulmeister --render-stage run as its own process, and what a scratch
// folder holds before and after it.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace rendertest {

struct Run {
    int exitCode = -1;
    QByteArray out, err;
};

QString Program();

// Waits up to two minutes for it. `standardOutput`: a file to take its
// standard output instead of a pipe.
Run RenderStage(const QStringList& arguments, const QString& standardOutput = {});

QByteArray FileBytes(const QString& path);

// `command` run by sh in `folder`, with `argument` as $1; false when it fails.
bool Shell(const QString& folder, const QString& command, const QString& argument = {});

// Each entry of `folder`, hidden ones too: name, type, permission bits and
// link target, sorted.
QStringList Snapshot(const QString& folder);

} // namespace rendertest
