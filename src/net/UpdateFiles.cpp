#include "net/UpdateFiles.h"

#include "net/UpdateIndex.h"

#include <atomic>
#include <bzlib.h>
#include <cerrno>
#include <vector>
#include <zlib.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlinda {

namespace {

constexpr size_t BlockSize = 32768;

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { Close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    int Close()
    {
        int r = 0;
        if (fd_ >= 0)
            r = ::close(fd_);
        fd_ = -1;
        return r;
    }

private:
    int fd_;
};

int OpenRetrying(const char* path, int flags, mode_t mode = 0)
{
    int fd;
    do {
        fd = ::open(path, flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Reads up to count bytes; -1 on an error.
ssize_t ReadSome(int fd, void* buffer, size_t count)
{
    ssize_t n;
    do {
        n = ::read(fd, buffer, count);
    } while (n < 0 && errno == EINTR);
    return n;
}

bool WriteAll(int fd, const void* data, size_t count)
{
    const char* p = static_cast<const char*>(data);
    while (count > 0) {
        ssize_t n = ::write(fd, p, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        count -= static_cast<size_t>(n);
    }
    return true;
}

// The output side of an installation: counts and checksums what is written.
struct Output {
    int fd;
    uLong crc = crc32(0L, Z_NULL, 0);
    int64_t size = 0;
    bool Write(const void* data, size_t count)
    {
        if (!WriteAll(fd, data, count))
            return false;
        crc = crc32(crc, static_cast<const Bytef*>(data), static_cast<uInt>(count));
        size += static_cast<int64_t>(count);
        return true;
    }
};

int CopyPlain(int in, Output& out)
{
    std::vector<char> block(BlockSize);
    for (;;) {
        ssize_t n = ReadSome(in, block.data(), block.size());
        if (n < 0)
            return UpdaterCode::ReadError;
        if (n == 0)
            return 0;
        if (!out.Write(block.data(), static_cast<size_t>(n)))
            return UpdaterCode::WriteError;
    }
}

// bzip2 data, possibly several streams one after another (as the bzip2 tool reads them).
int CopyDecompressed(int in, Output& out)
{
    std::vector<char> input(BlockSize), output(BlockSize);
    bz_stream z{};
    if (BZ2_bzDecompressInit(&z, 0, 0) != BZ_OK)
        return UpdaterCode::DecompressionError;
    bool inStream = true;  // a stream has begun and not yet ended
    bool eof = false;
    int result = 0;
    while (result == 0) {
        if (z.avail_in == 0 && !eof) {
            ssize_t n = ReadSome(in, input.data(), input.size());
            if (n < 0) {
                result = UpdaterCode::ReadError;
                break;
            }
            eof = n == 0;
            z.next_in = input.data();
            z.avail_in = static_cast<unsigned>(n);
        }
        if (!inStream) {
            if (z.avail_in == 0 && eof)
                break;  // the last stream ended with the data
            // Another stream follows the one that ended.
            char* nextIn = z.next_in;
            unsigned availIn = z.avail_in;
            BZ2_bzDecompressEnd(&z);
            z = bz_stream{};
            if (BZ2_bzDecompressInit(&z, 0, 0) != BZ_OK)
                return UpdaterCode::DecompressionError;
            z.next_in = nextIn;
            z.avail_in = availIn;
            inStream = true;
        }
        z.next_out = output.data();
        z.avail_out = static_cast<unsigned>(output.size());
        int rc = BZ2_bzDecompress(&z);
        if (rc != BZ_OK && rc != BZ_STREAM_END) {
            result = UpdaterCode::DecompressionError;
            break;
        }
        size_t produced = output.size() - z.avail_out;
        if (produced > 0 && !out.Write(output.data(), produced)) {
            result = UpdaterCode::WriteError;
            break;
        }
        if (rc == BZ_STREAM_END)
            inStream = false;
        else if (produced == 0 && z.avail_in == 0 && eof)
            result = UpdaterCode::DecompressionError;  // the data ends inside a stream
    }
    BZ2_bzDecompressEnd(&z);
    return result;
}

} // namespace


std::string FolderOf(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool DescriptorCrc32(int fd, uint32_t& crc, int64_t& size)
{
    std::vector<char> block(65536);
    uLong c = crc32(0L, Z_NULL, 0);
    int64_t total = 0;
    for (;;) {
        ssize_t n = ReadSome(fd, block.data(), block.size());
        if (n < 0)
            return false;
        if (n == 0)
            break;
        c = crc32(c, reinterpret_cast<const Bytef*>(block.data()), static_cast<uInt>(n));
        total += n;
    }
    crc = static_cast<uint32_t>(c);
    size = total;
    return true;
}

bool FileCrc32(const std::string& path, uint32_t& crc, int64_t& size)
{
    Fd fd(OpenRetrying(path.c_str(), O_RDONLY));
    return fd.ok() && DescriptorCrc32(fd.get(), crc, size);
}

int WriteInstalledFile(const std::string& staged, const std::string& installed, bool decompress,
                       int64_t expectedSize, uint32_t expectedCrc, const std::string& permissionsOf,
                       std::string& failedFile)
{
    static std::atomic<unsigned> counter{0};
    Fd in(OpenRetrying(staged.c_str(), O_RDONLY));
    if (!in.ok()) {
        failedFile = staged;
        return UpdaterCode::CannotOpenFile;
    }
    mode_t mode = 0644;
    struct stat st {};
    if (!permissionsOf.empty() && ::stat(permissionsOf.c_str(), &st) == 0)
        mode = st.st_mode & 07777;

    const std::string temp =
        installed + ".update-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    Fd out(OpenRetrying(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600));
    if (!out.ok()) {
        failedFile = installed;
        return UpdaterCode::CannotCreateFile;
    }
    Output o{out.get()};
    int result = decompress ? CopyDecompressed(in.get(), o) : CopyPlain(in.get(), o);
    if (result == 0 && expectedSize >= 0 &&
        (o.size != expectedSize || static_cast<uint32_t>(o.crc) != expectedCrc))
        result = UpdaterCode::CrcMismatch;
    if (result == 0 && (::fchmod(out.get(), mode) != 0 || ::fsync(out.get()) != 0))
        result = UpdaterCode::WriteError;
    if (out.Close() != 0 && result == 0)
        result = UpdaterCode::WriteError;
    if (result == 0 && ::rename(temp.c_str(), installed.c_str()) != 0)
        result = UpdaterCode::CannotCreateFile;
    if (result != 0) {
        ::unlink(temp.c_str());
        failedFile = result == UpdaterCode::ReadError ? staged : installed;
        return result;
    }
    return 0;
}

} // namespace orlinda
