#pragma once
// Files the player names are read only when they are plain files. Opening a
// named pipe (FIFO) for reading waits until something writes into it, which
// may be never; a device or a socket is no file of ours either. So the check
// comes before any read, and the open itself never waits. Thread: any.

#include <QString>

// The descriptor of a regular file, open for reading (blocking reads,
// close-on-exec), closed with this object: whoever reads through it must be
// done first.
class ReadOnlyFile {
  public:
    // Looks at `path` first and opens it only when it is a regular file; the
    // open is non-blocking, and the descriptor's own type is checked again,
    // so a file swapped for a pipe meanwhile is refused as well.
    explicit ReadOnlyFile(const QString& path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    bool IsOpen() const { return descriptor_ >= 0; }
    int Descriptor() const { return descriptor_; }

    // Why it is not open: a pipe, device or socket (SpecialFile), else the
    // errno value (ENOENT when missing, EISDIR for a folder).
    bool SpecialFile() const { return !specialKind_.isEmpty(); }
    int ErrorNumber() const { return errorNumber_; }
    // The reason in one German sentence, for either case; empty when open.
    QString Reason() const;

  private:
    int descriptor_ = -1;
    int errorNumber_ = 0;
    QString specialKind_; // "eine benannte Pipe (FIFO)", ...
};

// Why `path` must not be opened for reading, as ReadOnlyFile::Reason says it,
// when it is a pipe, device or socket; empty for a regular file, a folder or
// nothing at all. Only looks, never opens.
QString SpecialFileReason(const QString& path);
