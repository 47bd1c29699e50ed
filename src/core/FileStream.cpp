#include "core/FileStream.h"

#include "core/Error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlinda {

TFileStream::TFileStream(const std::string& fileName, Mode mode) : fileName_(fileName)
{
    int flags = O_CLOEXEC;
    switch (mode) {
    case Mode::Read: flags |= O_RDONLY; break;
    case Mode::Create: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    case Mode::Append: flags |= O_WRONLY | O_CREAT | O_APPEND; break;
    }
    do {
        fd_ = ::open(fileName.c_str(), flags, 0644);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0)
        throw Error("Cannot open file \"" + fileName + "\". " + std::strerror(errno));
    if (mode == Mode::Read)
        ::flock(fd_, LOCK_SH | LOCK_NB); // advisory: writers that take LOCK_EX wait for us
}

TFileStream::~TFileStream()
{
    if (fd_ >= 0)
        ::close(fd_);
}

int64_t TFileStream::Read(void* buffer, int64_t count)
{
    int64_t done = 0;
    auto* p = static_cast<char*>(buffer);
    while (done < count) {
        ssize_t n = ::read(fd_, p + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

int64_t TFileStream::Write(const void* buffer, int64_t count)
{
    int64_t done = 0;
    const auto* p = static_cast<const char*>(buffer);
    while (done < count) {
        ssize_t n = ::write(fd_, p + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

int64_t TFileStream::Seek(int64_t offset, SeekOrigin origin)
{
    int whence = origin == SeekOrigin::Begin ? SEEK_SET : origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END;
    off_t r = ::lseek(fd_, offset, whence);
    return r < 0 ? -1 : static_cast<int64_t>(r);
}

int64_t TFileStream::Size()
{
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        return -1;
    return static_cast<int64_t>(st.st_size);
}

void TFileStream::Sync()
{
    if (::fsync(fd_) != 0)
        throw Error("Cannot write file \"" + fileName_ + "\". " + std::strerror(errno));
}

std::string ReadWholeFile(const std::string& fileName)
{
    TFileStream f(fileName, TFileStream::Mode::Read);
    std::string bytes;
    int64_t size = f.Size();
    if (size > 0) {
        bytes.resize(static_cast<size_t>(size));
        bytes.resize(static_cast<size_t>(f.Read(bytes.data(), size)));
    }
    char more[65536];
    for (int64_t n; (n = f.Read(more, sizeof more)) > 0;)
        bytes.append(more, static_cast<size_t>(n));
    return bytes;
}

} // namespace orlinda
