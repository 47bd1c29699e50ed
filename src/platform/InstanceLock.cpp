#include "platform/InstanceLock.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlinda {

namespace {

std::string SafeName(const std::string& name)
{
    std::string out;
    for (char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-'
                        || c == '_' || c == '.';
        out += ok ? c : '_';
    }
    return out;
}

// A folder of our own that we may write: owned by us, a directory.
bool UsableRuntimeFolder(const char* dir)
{
    if (!dir || dir[0] != '/')
        return false;
    struct stat st {};
    return ::stat(dir, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && ::access(dir, W_OK) == 0;
}

int OpenLockFile(const std::string& path)
{
    // O_NOFOLLOW: a link planted in /tmp by someone else is not followed.
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool LockNow(int fd)
{
    int r;
    do {
        r = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (r != 0 && errno == EINTR);
    return r == 0;
}

} // namespace

TInstanceLock::TInstanceLock(std::string name) : path_(LockFilePath(name)) {}

TInstanceLock::~TInstanceLock()
{
    Release();
}

std::string TInstanceLock::LockFilePath(const std::string& name)
{
    const std::string file = SafeName(name) + "-" + std::to_string(::getuid()) + ".lock";
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (UsableRuntimeFolder(runtime)) {
        std::string dir = runtime;
        if (dir.back() != '/')
            dir += '/';
        return dir + file;
    }
    return "/tmp/" + file;
}

bool TInstanceLock::TryAcquire()
{
    if (fd_ >= 0)
        return true;
    int fd = OpenLockFile(path_);
    if (fd < 0)
        return false;
    if (!LockNow(fd)) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void TInstanceLock::Release()
{
    if (fd_ < 0)
        return;
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

bool TInstanceLock::IsHeld(const std::string& name)
{
    const std::string path = LockFilePath(name);
    int fd = OpenLockFile(path);
    if (fd < 0)
        return false;
    const bool free = LockNow(fd);
    if (free)
        ::flock(fd, LOCK_UN);
    ::close(fd);
    return !free;
}

} // namespace orlinda
