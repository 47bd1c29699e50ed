#include "core/TypedStream.h"

#include "core/Error.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace orlinda {

namespace {

const char* const readError = "Error reading data from stream";
const char* const typeError = "Error reading data from stream. Incorrect data type.";
const char* const sizeError = "Error reading data from stream. Incorrect data size.";
const char* const writeError = "Error writing data to stream";

void Put(TStream& stream, const void* data, int64_t count)
{
    if (count > 0 && stream.Write(data, count) != count)
        throw Error(writeError);
}

void PutHeader(TStream& stream, uint8_t tag, int64_t size)
{
    if (size > std::numeric_limits<int32_t>::max())
        throw Error(writeError);
    auto s = static_cast<uint32_t>(size);
    const unsigned char sizeBytes[4] = {static_cast<unsigned char>(s), static_cast<unsigned char>(s >> 8),
                                        static_cast<unsigned char>(s >> 16), static_cast<unsigned char>(s >> 24)};
    Put(stream, &tag, 1);
    Put(stream, sizeBytes, 4);
}

void Get(TStream& stream, void* data, int64_t count)
{
    if (count > 0 && stream.Read(data, count) != count)
        throw Error(readError);
}

uint32_t LoadLE32(const unsigned char* b)
{
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

// Reads tag and size; returns the size.
int32_t GetHeader(TStream& stream, uint8_t expectedTag)
{
    uint8_t tag = 0;
    if (stream.Read(&tag, 1) != 1)
        throw Error(readError);
    if (tag != expectedTag)
        throw Error(typeError);
    unsigned char sizeBytes[4];
    Get(stream, sizeBytes, 4);
    return static_cast<int32_t>(LoadLE32(sizeBytes));
}

// A string payload size must be non-negative and must fit in what is left of the
// stream; checked before anything is allocated.
void CheckPayload(TStream& stream, int32_t size)
{
    if (size < 0)
        throw Error(readError);
    if (size == 0)
        return;
    int64_t total = stream.Size();
    int64_t position = stream.Position();
    if (total < 0 || position < 0 || size > total - position)
        throw Error(readError);
}

} // namespace

void WriteInteger(TStream& stream, int32_t value)
{
    auto v = static_cast<uint32_t>(value);
    const unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
    PutHeader(stream, StreamTagInteger, 4);
    Put(stream, b, 4);
}

void WriteDouble(TStream& stream, double value)
{
    uint64_t v;
    static_assert(sizeof v == sizeof value);
    std::memcpy(&v, &value, sizeof v);
    unsigned char b[8];
    for (int i = 0; i < 8; ++i)
        b[i] = static_cast<unsigned char>(v >> (8 * i));
    PutHeader(stream, StreamTagDouble, 8);
    Put(stream, b, 8);
}

void WriteAnsiString(TStream& stream, const std::string& text)
{
    PutHeader(stream, StreamTagAnsiString, static_cast<int64_t>(text.size()));
    Put(stream, text.data(), static_cast<int64_t>(text.size()));
}

void WriteWideString(TStream& stream, const std::u16string& text)
{
    const int64_t size = 2 * static_cast<int64_t>(text.size());
    PutHeader(stream, StreamTagWideString, size);
    if (text.empty())
        return;
    std::string bytes(static_cast<size_t>(size), '\0');
    for (size_t i = 0; i < text.size(); ++i) {
        bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    Put(stream, bytes.data(), size);
}

int32_t ReadInteger(TStream& stream)
{
    if (GetHeader(stream, StreamTagInteger) != 4)
        throw Error(sizeError);
    unsigned char b[4];
    Get(stream, b, 4);
    return static_cast<int32_t>(LoadLE32(b));
}

double ReadDouble(TStream& stream)
{
    if (GetHeader(stream, StreamTagDouble) != 8)
        throw Error(sizeError);
    unsigned char b[8];
    Get(stream, b, 8);
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
        v |= uint64_t(b[i]) << (8 * i);
    double value;
    std::memcpy(&value, &v, sizeof value);
    return value;
}

std::string ReadAnsiString(TStream& stream)
{
    int32_t size = GetHeader(stream, StreamTagAnsiString);
    CheckPayload(stream, size);
    std::string text(static_cast<size_t>(size), '\0');
    Get(stream, text.data(), size);
    return text;
}

std::u16string ReadWideString(TStream& stream)
{
    int32_t size = GetHeader(stream, StreamTagWideString);
    if (size % 2 != 0)
        throw Error(readError);
    CheckPayload(stream, size);
    std::string bytes(static_cast<size_t>(size), '\0');
    Get(stream, bytes.data(), size);
    std::u16string text(static_cast<size_t>(size / 2), u'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                        static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    return text;
}

// --- memory streams ----------------------------------------------------------------------

namespace {
int64_t SeekTarget(int64_t offset, SeekOrigin origin, int64_t position, int64_t size)
{
    int64_t base = origin == SeekOrigin::Begin ? 0 : origin == SeekOrigin::Current ? position : size;
    int64_t target = base + offset;
    return target < 0 ? 0 : target;
}
} // namespace

int64_t TBytesReadStream::Read(void* buffer, int64_t count)
{
    const auto size = static_cast<int64_t>(bytes_.size());
    if (count <= 0 || position_ >= size)
        return 0;
    int64_t n = std::min(count, size - position_);
    std::memcpy(buffer, bytes_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

int64_t TBytesReadStream::Seek(int64_t offset, SeekOrigin origin)
{
    const auto size = static_cast<int64_t>(bytes_.size());
    position_ = std::min(SeekTarget(offset, origin, position_, size), size);
    return position_;
}

int64_t TBytesWriteStream::Write(const void* buffer, int64_t count)
{
    if (count <= 0)
        return 0;
    const auto n = static_cast<size_t>(count);
    if (position_ == bytes_.size()) {
        bytes_.append(static_cast<const char*>(buffer), n);
    } else {
        if (position_ + n > bytes_.size())
            bytes_.resize(position_ + n);
        std::memcpy(bytes_.data() + position_, buffer, n);
    }
    position_ += n;
    return count;
}

int64_t TBytesWriteStream::Seek(int64_t offset, SeekOrigin origin)
{
    const auto size = static_cast<int64_t>(bytes_.size());
    position_ = static_cast<size_t>(std::min(SeekTarget(offset, origin, static_cast<int64_t>(position_), size), size));
    return static_cast<int64_t>(position_);
}

void TBytesWriteStream::Reserve(int64_t size)
{
    if (size > 0)
        bytes_.reserve(static_cast<size_t>(size));
}

} // namespace orlinda
