#pragma once
// File systems that refuse writes, for data-safety tests that must also run
// as root (CI does): root ignores permission bits, but not a full file system
// or a read-only mount. Each mount is taken away again by the destructor.
// A mount that cannot be made is a test failure, never a skip: check Error().

#include <QString>

class ScratchMount {
  public:
    ScratchMount() = default;
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;
    ~ScratchMount();

    // A tmpfs of sizeBytes on the existing folder `folder`.
    static ScratchMount SmallTmpfs(const QString& folder, int sizeBytes);
    // `path` (file or folder) mounted read-only onto itself.
    static ScratchMount ReadOnly(const QString& path);

    ScratchMount(ScratchMount&& other) noexcept;

    bool Mounted() const { return !target_.isEmpty(); }
    // Why the mount failed; empty when it stands.
    QString Error() const { return error_; }
    // Unmounts now; false with Error() set when it could not.
    bool Unmount();

  private:
    QString target_;
    QString error_;
};

// Writes filler into `folder` until its file system reports no space left.
// False when the file system never filled up.
bool FillFileSystem(const QString& folder);

// While alive, this process loses the capabilities that let root read and
// write past permission bits, so a file without read permission cannot be
// read, as for any other user. Active() is false when they could not be
// dropped: the test must fail then.
class WithoutPermissionOverride {
  public:
    WithoutPermissionOverride();
    ~WithoutPermissionOverride();
    WithoutPermissionOverride(const WithoutPermissionOverride&) = delete;
    WithoutPermissionOverride& operator=(const WithoutPermissionOverride&) = delete;
    bool Active() const { return active_; }

  private:
    bool active_ = false;
    unsigned savedEffective_[2] = {0, 0};
};
