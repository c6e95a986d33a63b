#include "platform/ReplacingFile.h"

#include "platform/FileKind.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr mode_t NewFileMode = 0644;
constexpr mode_t PermissionBits = 07777;
// Short, so it fits in a folder even beside a name of NAME_MAX bytes.
constexpr char TemporaryName[] = ".heulmeister-XXXXXX";

// Why a name holding `mode` is not replaced; null for a regular file.
const char* RefusedKind(mode_t mode)
{
    if (S_ISREG(mode))
        return nullptr;
    if (S_ISDIR(mode))
        return "ein Ordner";
    const char* kind = SpecialFileKind(mode);
    return kind ? kind : "keine Datei";
}

} // namespace

ReplacingFile::~ReplacingFile()
{
    Discard();
}

bool ReplacingFile::Open(const std::string& path)
{
    struct stat existing {};
    bool exists = false;
    return FindTarget(path, &existing, &exists) && CreateTemporary(exists ? &existing : nullptr);
}

bool ReplacingFile::FindTarget(const std::string& path, struct stat* existing, bool* exists)
{
    if (path.empty())
        return Fail(ENOENT);
    target_ = path;
    if (::lstat(path.c_str(), existing) != 0)
        return errno == ENOENT || Fail(errno);
    if (S_ISLNK(existing->st_mode)) {
        char* resolved = ::realpath(path.c_str(), nullptr);
        if (!resolved)
            return Fail(errno);
        target_ = resolved;
        std::free(resolved);
        if (::stat(target_.c_str(), existing) != 0)
            return Fail(errno);
    }
    *exists = true;
    specialKind_ = RefusedKind(existing->st_mode);
    return !specialKind_ || Fail(EINVAL);
}

bool ReplacingFile::CreateTemporary(const struct stat* existing)
{
    const std::size_t slash = target_.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : target_.substr(0, slash + 1);
    std::string temporary = folder + TemporaryName;
    descriptor_ = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor_ < 0)
        return Fail(errno);
    temporary_ = temporary;
    if (existing) {
        // Lets root give another user's file back to its owner; anyone else
        // keeps the file as their own.
        (void)::fchown(descriptor_, existing->st_uid, existing->st_gid);
    }
    const mode_t mode = existing ? existing->st_mode & PermissionBits : NewFileMode;
    if (::fchmod(descriptor_, mode) != 0) {
        const int failure = errno;
        Discard();
        return Fail(failure);
    }
    return true;
}

bool ReplacingFile::Write(const void* bytes, std::size_t size)
{
    const auto* next = static_cast<const unsigned char*>(bytes);
    while (size > 0) {
        const ssize_t count = ::write(descriptor_, next, size);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return Fail(count < 0 ? errno : EIO);
        next += count;
        size -= std::size_t(count);
    }
    return true;
}

bool ReplacingFile::WriteAt(off_t offset, const void* bytes, std::size_t size)
{
    const auto* next = static_cast<const unsigned char*>(bytes);
    while (size > 0) {
        const ssize_t count = ::pwrite(descriptor_, next, size, offset);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return Fail(count < 0 ? errno : EIO);
        next += count;
        offset += count;
        size -= std::size_t(count);
    }
    return true;
}

bool ReplacingFile::Commit()
{
    if (descriptor_ < 0)
        return Fail(EBADF);
    int failure = ::fsync(descriptor_) != 0 ? errno : 0;
    if (::close(descriptor_) != 0 && failure == 0)
        failure = errno;
    descriptor_ = -1;
    // Writing took a while: the name may hold something else by now.
    struct stat now {};
    if (failure == 0 && ::lstat(target_.c_str(), &now) == 0) {
        specialKind_ = RefusedKind(now.st_mode);
        failure = specialKind_ ? EINVAL : 0;
    }
    if (failure == 0) {
        if (::rename(temporary_.c_str(), target_.c_str()) == 0) {
            temporary_.clear();
            return true;
        }
        failure = errno;
    }
    Discard();
    return Fail(failure);
}

bool ReplacingFile::Fail(int errorNumber)
{
    errorNumber_ = errorNumber;
    return false;
}

void ReplacingFile::Discard()
{
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
    if (temporary_.empty())
        return;
    ::unlink(temporary_.c_str());
    temporary_.clear();
}
