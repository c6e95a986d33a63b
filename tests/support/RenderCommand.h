#pragma once
// heulmeister --render-stage run as its own process, and the kinds of names
// it must not write over, made in a scratch folder.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace rendertest {

struct Run {
    int exitCode = -1;
    QByteArray out, err;
};

QString Program();

// Waits up to two minutes for it to finish.
Run RenderStage(const QStringList& arguments);

QByteArray FileBytes(const QString& path);

// Makes `path` a "fifo", "device" (a null device node: needs root),
// "folder", "socket", "link to device" (with the device beside it as
// "<path>.target") or "dangling link". Empty when made, else why not.
QString MakeNotRegular(const QString& kind, const QString& path);

// What lstat says of `path` (type, device number, link target, permission
// bits), to compare before and after a run.
QString Identity(const QString& path);

// Every name in `folder`, hidden ones too, each with its Identity.
QStringList Snapshot(const QString& folder);

} // namespace rendertest
