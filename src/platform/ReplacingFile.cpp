#include "platform/ReplacingFile.h"

#include "platform/FileKind.h"

#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::array<int, 3> EndingSignals{SIGINT, SIGTERM, SIGHUP};
constexpr mode_t NewFileMode = 0644;
constexpr mode_t PermissionBits = 07777;
// Short, so it fits in a folder even beside a name of NAME_MAX bytes.
constexpr char TemporaryName[] = ".heulmeister-XXXXXX";

// The temporary file an ending signal removes. The handler may call only
// async-signal-safe functions, so the path is ready before it can run.
char pendingPath[PATH_MAX];
volatile std::sig_atomic_t pathPending = 0;
std::array<struct sigaction, EndingSignals.size()> previousActions{};

extern "C" void RemoveTemporaryAndEnd(int signalNumber)
{
    if (pathPending != 0)
        ::unlink(pendingPath);
    // SA_RESETHAND put the default action back: end as the signal would have.
    ::raise(signalNumber);
}

// Holds the ending signals back while the file and the path a handler would
// remove change together.
class SignalsHeld {
  public:
    SignalsHeld()
    {
        sigset_t ending;
        sigemptyset(&ending);
        for (const int signalNumber : EndingSignals)
            sigaddset(&ending, signalNumber);
        pthread_sigmask(SIG_BLOCK, &ending, &previous_);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

  private:
    sigset_t previous_{};
};

// Called with the signals held.
void Arm(const std::string& path)
{
    std::memcpy(pendingPath, path.c_str(), path.size() + 1);
    pathPending = 1;
    struct sigaction action {};
    action.sa_handler = RemoveTemporaryAndEnd;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < EndingSignals.size(); ++i) {
        sigaction(EndingSignals[i], &action, &previousActions[i]);
        // A signal the caller ignores (nohup) stays ignored.
        if (previousActions[i].sa_handler == SIG_IGN)
            sigaction(EndingSignals[i], &previousActions[i], nullptr);
    }
}

void Disarm()
{
    pathPending = 0;
    for (std::size_t i = 0; i < EndingSignals.size(); ++i)
        sigaction(EndingSignals[i], &previousActions[i], nullptr);
}

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
    if (temporary.size() >= sizeof pendingPath)
        return Fail(ENAMETOOLONG);
    {
        const SignalsHeld held;
        descriptor_ = ::mkostemp(temporary.data(), O_CLOEXEC);
        if (descriptor_ < 0)
            return Fail(errno);
        temporary_ = temporary;
        Arm(temporary_);
    }
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
        const SignalsHeld held;
        if (::rename(temporary_.c_str(), target_.c_str()) == 0) {
            Disarm();
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
    const SignalsHeld held;
    ::unlink(temporary_.c_str());
    Disarm();
    temporary_.clear();
}
