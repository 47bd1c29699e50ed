#pragma once
#include "core/Stream.h"

#include <cstdint>
#include <string>
#include <utility>

namespace orlinda {

// The typed stream: the value format of all data files. Values follow each other with
// nothing before, between or after them; each value is
//   1 byte    type tag: 1 integer, 3 real (date/time), 5 8-bit string, 6 wide string
//   4 bytes   payload size in bytes, signed, little-endian
//   payload   integer: 4 bytes signed; real: 8 bytes IEEE 754; 8-bit string: its bytes;
//             wide string: UTF-16LE code units. All little-endian, no terminators.
//
// Readers fail with Error:
//   "Error reading data from stream"                         stream too short, or a
//                                                            negative/odd/too large size
//   "Error reading data from stream. Incorrect data type."   other tag (only it consumed)
//   "Error reading data from stream. Incorrect data size."   integer/real of another size
// Writers fail with "Error writing data to stream" when a write comes up short.

enum TStreamTag : uint8_t {
    StreamTagInteger = 1,
    StreamTagDouble = 3,
    StreamTagAnsiString = 5,
    StreamTagWideString = 6,
};

void WriteInteger(TStream& stream, int32_t value);
void WriteDouble(TStream& stream, double value);
void WriteAnsiString(TStream& stream, const std::string& text);
void WriteWideString(TStream& stream, const std::u16string& text);

int32_t ReadInteger(TStream& stream);
double ReadDouble(TStream& stream);
std::string ReadAnsiString(TStream& stream);
std::u16string ReadWideString(TStream& stream);

// Stream sizes of values, to precompute a record's length.
constexpr int64_t IntegerStreamSize = 9;
constexpr int64_t DoubleStreamSize = 13;
inline int64_t AnsiStreamSize(const std::string& text) { return static_cast<int64_t>(text.size()) + 5; }
inline int64_t WideStreamSize(const std::u16string& text) { return 2 * static_cast<int64_t>(text.size()) + 5; }

// A read-only stream over bytes held in memory, for parsing whole files quickly.
// The bytes are copied in (or moved in) and owned by the stream.
class TBytesReadStream : public TStream {
public:
    explicit TBytesReadStream(std::string bytes) : bytes_(std::move(bytes)) {}
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(bytes_.size()); }

private:
    std::string bytes_;
    int64_t position_ = 0;
};

// A write-only stream over bytes held in memory (amortised growth), for building a whole
// file before it is written in one go. Writes go to the position, extending the bytes.
class TBytesWriteStream : public TStream {
public:
    int64_t Read(void*, int64_t) override { return 0; }
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(bytes_.size()); }

    void Reserve(int64_t size);
    const std::string& Bytes() const { return bytes_; }
    std::string TakeBytes()
    {
        std::string out = std::move(bytes_);
        bytes_.clear();
        position_ = 0;
        return out;
    }

private:
    std::string bytes_;
    size_t position_ = 0;
};

} // namespace orlinda
