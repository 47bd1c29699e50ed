#include "net/GzipStream.h"

#include "core/Error.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

namespace orlinda {

namespace {

constexpr size_t ChunkSize = 65536;
constexpr int GzipWindowBits = 15 + 16;  // gzip wrapper, 32 KiB window
constexpr int AutoWindowBits = 15 + 32;  // gzip or zlib wrapper, detected

std::string ZlibMessage(const z_stream& z, int rc)
{
    if (z.msg)
        return z.msg;
    switch (rc) {
    case Z_MEM_ERROR:
        return "out of memory";
    case Z_BUF_ERROR:
        return "buffer error";
    case Z_DATA_ERROR:
        return "invalid data";
    default:
        return "error " + std::to_string(rc);
    }
}

} // namespace

struct TGzipWriter::State {
    z_stream z{};
};

struct TGzipReader::State {
    z_stream z{};
};

// ---------------------------------------------------------------------------------------

TGzipWriter::TGzipWriter(TStream& target, int level) : z_(std::make_unique<State>()), target_(target), out_(ChunkSize)
{
    int rc = deflateInit2(&z_->z, level, Z_DEFLATED, GzipWindowBits, 8, Z_DEFAULT_STRATEGY);
    if (rc != Z_OK)
        throw Error("Cannot start gzip compression: " + ZlibMessage(z_->z, rc));
}

TGzipWriter::~TGzipWriter()
{
    try {
        Finish();
    } catch (...) {
        // Nothing can be reported from here; callers that care call Finish themselves.
    }
    deflateEnd(&z_->z);
}

int64_t TGzipWriter::Read(void*, int64_t)
{
    throw Error("A gzip writer cannot be read");
}

int64_t TGzipWriter::Seek(int64_t offset, SeekOrigin origin)
{
    if (offset == 0 && origin == SeekOrigin::Current)
        return total_;
    throw Error("A gzip writer cannot seek");
}

void TGzipWriter::Deflate(int flush)
{
    int rc;
    do {
        z_->z.next_out = out_.data();
        z_->z.avail_out = static_cast<uInt>(out_.size());
        rc = deflate(&z_->z, flush);
        if (rc == Z_STREAM_ERROR)
            throw Error("gzip compression failed: " + ZlibMessage(z_->z, rc));
        size_t have = out_.size() - z_->z.avail_out;
        if (have > 0 && target_.Write(out_.data(), static_cast<int64_t>(have)) != static_cast<int64_t>(have))
            throw Error("Stream write error");
    } while (z_->z.avail_out == 0 || (flush == Z_FINISH && rc != Z_STREAM_END));
}

int64_t TGzipWriter::Write(const void* buffer, int64_t count)
{
    if (finished_)
        throw Error("The gzip data is already finished");
    const unsigned char* p = static_cast<const unsigned char*>(buffer);
    int64_t left = count;
    while (left > 0) {
        uInt piece = static_cast<uInt>(std::min<int64_t>(left, UINT_MAX / 2));
        z_->z.next_in = const_cast<unsigned char*>(p);
        z_->z.avail_in = piece;
        Deflate(Z_NO_FLUSH);
        p += piece;
        left -= piece;
    }
    total_ += count;
    return count;
}

void TGzipWriter::Finish()
{
    if (finished_)
        return;
    finished_ = true;
    z_->z.next_in = nullptr;
    z_->z.avail_in = 0;
    Deflate(Z_FINISH);
}

// ---------------------------------------------------------------------------------------

TGzipReader::TGzipReader(TStream& source) : z_(std::make_unique<State>()), source_(source), in_(ChunkSize)
{
    int rc = inflateInit2(&z_->z, AutoWindowBits);
    if (rc != Z_OK)
        throw Error("Cannot start gzip decompression: " + ZlibMessage(z_->z, rc));
}

TGzipReader::~TGzipReader()
{
    inflateEnd(&z_->z);
}

int64_t TGzipReader::Write(const void*, int64_t)
{
    throw Error("A gzip reader cannot be written");
}

int64_t TGzipReader::Seek(int64_t offset, SeekOrigin origin)
{
    if (offset == 0 && origin == SeekOrigin::Current)
        return total_;
    throw Error("A gzip reader cannot seek");
}

int64_t TGzipReader::Read(void* buffer, int64_t count)
{
    unsigned char* out = static_cast<unsigned char*>(buffer);
    int64_t produced = 0;
    while (produced < count && !streamEnded_) {
        if (z_->z.avail_in == 0 && !sourceEnded_) {
            int64_t n = source_.Read(in_.data(), static_cast<int64_t>(in_.size()));
            if (n <= 0)
                sourceEnded_ = true;
            z_->z.next_in = in_.data();
            z_->z.avail_in = static_cast<uInt>(std::max<int64_t>(n, 0));
        }
        if (z_->z.avail_in == 0 && sourceEnded_)
            throw Error("Unexpected end of gzip data");
        z_->z.next_out = out + produced;
        z_->z.avail_out = static_cast<uInt>(std::min<int64_t>(count - produced, UINT_MAX / 2));
        uInt before = z_->z.avail_out;
        int rc = inflate(&z_->z, Z_NO_FLUSH);
        produced += before - z_->z.avail_out;
        if (rc == Z_STREAM_END) {
            // Another member may follow (as with "gzip -c a b"); trailing zero padding ends it.
            if (z_->z.avail_in == 0 && !sourceEnded_) {
                int64_t n = source_.Read(in_.data(), static_cast<int64_t>(in_.size()));
                if (n <= 0)
                    sourceEnded_ = true;
                z_->z.next_in = in_.data();
                z_->z.avail_in = static_cast<uInt>(std::max<int64_t>(n, 0));
            }
            if (z_->z.avail_in == 0 || z_->z.next_in[0] != 0x1f) {
                streamEnded_ = true;
                break;
            }
            inflateReset(&z_->z);
            continue;
        }
        if (rc == Z_BUF_ERROR && z_->z.avail_in == 0)
            continue;  // needs more input
        if (rc != Z_OK)
            throw Error("Invalid gzip data: " + ZlibMessage(z_->z, rc));
    }
    total_ += produced;
    return produced;
}

// ---------------------------------------------------------------------------------------

namespace {

class TStringSink : public TStream {
public:
    std::string bytes;
    int64_t Read(void*, int64_t) override { return 0; }
    int64_t Write(const void* buffer, int64_t count) override
    {
        bytes.append(static_cast<const char*>(buffer), static_cast<size_t>(count));
        return count;
    }
    int64_t Seek(int64_t, SeekOrigin) override { return static_cast<int64_t>(bytes.size()); }
    int64_t Size() override { return static_cast<int64_t>(bytes.size()); }
};

class TStringSource : public TStream {
public:
    explicit TStringSource(const std::string& b) : bytes(b) {}
    const std::string& bytes;
    size_t pos = 0;
    int64_t Read(void* buffer, int64_t count) override
    {
        size_t n = std::min<size_t>(static_cast<size_t>(count), bytes.size() - pos);
        std::memcpy(buffer, bytes.data() + pos, n);
        pos += n;
        return static_cast<int64_t>(n);
    }
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t, SeekOrigin) override { return static_cast<int64_t>(pos); }
    int64_t Size() override { return static_cast<int64_t>(bytes.size()); }
};

} // namespace

std::string GzipCompress(const std::string& bytes)
{
    TStringSink sink;
    {
        TGzipWriter writer(sink);
        writer.Write(bytes);
        writer.Finish();
    }
    return std::move(sink.bytes);
}

std::string GzipDecompress(const std::string& bytes)
{
    TStringSource source(bytes);
    TGzipReader reader(source);
    std::string out;
    char buffer[65536];
    for (;;) {
        int64_t n = reader.Read(buffer, sizeof buffer);
        if (n <= 0)
            break;
        out.append(buffer, static_cast<size_t>(n));
    }
    return out;
}

} // namespace orlinda
