#pragma once
// A file written beside the one it replaces and renamed over it once whole,
// so the name holds either the old file or the whole new one. Only a regular
// file is replaced: a pipe, a device, a socket or a folder under that name is
// refused, as the saves refuse them, and a symbolic link is followed to the
// file it points to (the link stays). Without Qt, for the stage renderer.
// Thread: the main thread, one open at a time: SIGINT, SIGTERM and SIGHUP
// remove its temporary file before they end the program.

#include <cstddef>
#include <string>
#include <sys/types.h>

class ReplacingFile {
  public:
    ReplacingFile() = default;
    // Removes the temporary file unless it was committed.
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates the temporary file in the folder of `path` (or of the file a
    // link points to), with the replaced file's permissions, else 0644.
    // False with SpecialKind() or ErrorNumber() set.
    bool Open(const std::string& path);
    // All of `bytes`, at the current end or at `offset`; false with ErrorNumber().
    bool Write(const void* bytes, std::size_t size);
    bool WriteAt(off_t offset, const void* bytes, std::size_t size);
    // Syncs, closes and renames over the target; false with ErrorNumber(),
    // the temporary file removed.
    bool Commit();

    // Why Open refused: "ein Ordner", "ein Gerät", ...; null otherwise.
    const char* SpecialKind() const { return specialKind_; }
    int ErrorNumber() const { return errorNumber_; }
    const std::string& TemporaryPath() const { return temporary_; }

  private:
    bool FindTarget(const std::string& path, struct stat* existing, bool* exists);
    bool CreateTemporary(const struct stat* existing);
    bool Fail(int errorNumber);
    void Discard();

    std::string target_;
    std::string temporary_;
    int descriptor_ = -1;
    int errorNumber_ = 0;
    const char* specialKind_ = nullptr;
};
