#pragma once
#include <cstdint>
#include <string>

namespace orlinda {

enum class SeekOrigin { Begin, Current, End };

// A seekable byte stream. Read and Write return how many bytes they transferred;
// short transfers are how a stream reports that it is full or at its end.
class TStream {
public:
    virtual ~TStream() = default;
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;
    virtual int64_t Size() = 0;

    int64_t Position() { return Seek(0, SeekOrigin::Current); }
    void SetPosition(int64_t position) { Seek(position, SeekOrigin::Begin); }
    int64_t Write(const std::string& bytes) { return Write(bytes.data(), static_cast<int64_t>(bytes.size())); }
};

} // namespace orlinda
