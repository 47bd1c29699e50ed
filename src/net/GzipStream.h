#pragma once
#include "core/Stream.h"

#include <memory>
#include <vector>

namespace orlinda {

// Write-only stream that gzip-compresses everything written into a target stream.
// Finish (or destruction) writes the end of the gzip data. Failures raise Error.
class TGzipWriter : public TStream {
public:
    explicit TGzipWriter(TStream& target, int level = -1);
    ~TGzipWriter() override;
    TGzipWriter(const TGzipWriter&) = delete;
    TGzipWriter& operator=(const TGzipWriter&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    using TStream::Write;
    // Only the current position (bytes taken in) can be asked for.
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override { return total_; }
    void Finish();

private:
    void Deflate(int flush);
    struct State;
    std::unique_ptr<State> z_;
    TStream& target_;
    std::vector<unsigned char> out_;
    int64_t total_ = 0;
    bool finished_ = false;
};

// Read-only stream that unpacks gzip data read from a source stream, from its current
// position on; concatenated gzip members are read as one. Corrupt or cut data raises Error.
class TGzipReader : public TStream {
public:
    explicit TGzipReader(TStream& source);
    ~TGzipReader() override;
    TGzipReader(const TGzipReader&) = delete;
    TGzipReader& operator=(const TGzipReader&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    using TStream::Write;
    // Only the current position (bytes given out) can be asked for.
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    // Unknown before the end: the bytes given out so far.
    int64_t Size() override { return total_; }

private:
    struct State;
    std::unique_ptr<State> z_;
    TStream& source_;
    std::vector<unsigned char> in_;
    int64_t total_ = 0;
    bool sourceEnded_ = false;
    bool streamEnded_ = false;
};

// Whole-buffer helpers.
std::string GzipCompress(const std::string& bytes);
std::string GzipDecompress(const std::string& bytes);

} // namespace orlinda
