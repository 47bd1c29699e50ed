#include "core/AtomicFile.h"

#include "core/Error.h"
#include "core/FileStream.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace orlinda {

namespace {

std::string DirectoryOf(const std::string& fileName)
{
    auto slash = fileName.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : fileName.substr(0, slash);
}

void SyncDirectory(const std::string& dir)
{
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

void SaveFileAtomic(const std::string& fileName, const std::function<void(TStream&)>& write)
{
    static std::atomic<unsigned> counter{0};
    std::string temp = fileName + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    try {
        TFileStream out(temp, TFileStream::Mode::Create);
        write(out);
        out.Sync();
    } catch (...) {
        ::unlink(temp.c_str());
        throw;
    }
    if (::rename(temp.c_str(), fileName.c_str()) != 0) {
        int err = errno;
        ::unlink(temp.c_str());
        throw Error("Cannot write file \"" + fileName + "\". " + std::strerror(err));
    }
    SyncDirectory(DirectoryOf(fileName));
}

void WriteFileAtomic(const std::string& fileName, const std::string& bytes)
{
    SaveFileAtomic(fileName, [&](TStream& out) {
        if (out.Write(bytes) != static_cast<int64_t>(bytes.size()))
            throw Error("Cannot write file \"" + fileName + "\". The disk may be full.");
    });
}

} // namespace orlinda
