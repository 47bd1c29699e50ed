#include "core/TypedStream.h"

#include "core/Error.h"
#include "core/MemoryStream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace orlinda;

namespace {

// A stream that accepts `limit` bytes and then writes no more: a full disk.
class TFailingStream : public TStream {
public:
    explicit TFailingStream(int64_t limit) : limit_(limit) {}
    int64_t Read(void*, int64_t) override { return 0; }
    int64_t Write(const void* buffer, int64_t count) override
    {
        int64_t n = std::max<int64_t>(0, std::min(count, limit_ - static_cast<int64_t>(bytes.size())));
        bytes.append(static_cast<const char*>(buffer), static_cast<size_t>(n));
        return n;
    }
    int64_t Seek(int64_t, SeekOrigin) override { return static_cast<int64_t>(bytes.size()); }
    int64_t Size() override { return static_cast<int64_t>(bytes.size()); }
    std::string bytes;

private:
    int64_t limit_;
};

TBytesReadStream StreamOf(const std::string& bytes)
{
    return TBytesReadStream(bytes);
}

std::string Message(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.what();
    }
    return "no error";
}

void WriteSample(TStream& s)
{
    WriteInteger(s, -2);
    WriteDouble(s, 45000.75);
    WriteAnsiString(s, "\xC0\xE1");
    WriteAnsiString(s, "");
    WriteWideString(s, u"Ж\U0001F600");
}

} // namespace

TEST(TypedStream, ValuesAreTagSizePayloadLittleEndian)
{
    TBytesWriteStream out;
    WriteSample(out);
    const std::string expected = std::string("\x01\x04\x00\x00\x00\xFE\xFF\xFF\xFF", 9) +
                                 std::string("\x03\x08\x00\x00\x00\x00\x00\x00\x00\x18\xF9\xE5\x40", 13) +
                                 std::string("\x05\x02\x00\x00\x00\xC0\xE1", 7) +
                                 std::string("\x05\x00\x00\x00\x00", 5) +
                                 std::string("\x06\x06\x00\x00\x00\x16\x04\x3D\xD8\x00\xDE", 11);
    EXPECT_EQ(out.Bytes(), expected);
    EXPECT_EQ(IntegerStreamSize + DoubleStreamSize + AnsiStreamSize("\xC0\xE1") + AnsiStreamSize("") +
                  WideStreamSize(u"Ж\U0001F600"),
              static_cast<int64_t>(expected.size()));

    auto in = StreamOf(expected);
    EXPECT_EQ(ReadInteger(in), -2);
    EXPECT_EQ(ReadDouble(in), 45000.75);
    EXPECT_EQ(ReadAnsiString(in), "\xC0\xE1");
    EXPECT_EQ(ReadAnsiString(in), "");
    EXPECT_EQ(ReadWideString(in), u"Ж\U0001F600");
    EXPECT_EQ(in.Position(), in.Size());
}

TEST(TypedStream, ExtremeValuesRoundTrip)
{
    TBytesWriteStream out;
    WriteInteger(out, INT32_MIN);
    WriteInteger(out, INT32_MAX);
    WriteDouble(out, -0.0);
    WriteDouble(out, INFINITY);
    WriteDouble(out, NAN);
    auto in = StreamOf(out.Bytes());
    EXPECT_EQ(ReadInteger(in), INT32_MIN);
    EXPECT_EQ(ReadInteger(in), INT32_MAX);
    EXPECT_TRUE(std::signbit(ReadDouble(in)));
    EXPECT_EQ(ReadDouble(in), INFINITY);
    EXPECT_TRUE(std::isnan(ReadDouble(in)));
}

TEST(TypedStream, BadValuesFailWithTheirTexts)
{
    const std::string readError = "Error reading data from stream";
    const std::string typeError = "Error reading data from stream. Incorrect data type.";
    const std::string sizeError = "Error reading data from stream. Incorrect data size.";
    enum Kind { Integer, Double, Ansi, Wide };
    struct Case { std::string bytes; Kind kind; std::string message; };
    const Case cases[] = {
        {"", Integer, readError},
        {"\x01", Integer, readError},
        {std::string("\x01\x04\x00\x00", 4), Integer, readError},
        {std::string("\x01\x04\x00\x00\x00\x01\x02", 7), Integer, readError},
        {std::string("\x01\x08\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00", 13), Integer, sizeError},
        {std::string("\x03\x04\x00\x00\x00\x01\x00\x00\x00", 9), Double, sizeError},
        {std::string("\x05\x00\x00\x00\x00", 5), Wide, typeError},     // 8-bit where wide is expected
        {std::string("\x02\x04\x00\x00\x00", 5), Integer, typeError},  // undefined tag
        {std::string("\x05\x03\x00\x00\x00" "ab", 7), Ansi, readError},
        {std::string("\x05\xFF\xFF\xFF\xFF", 5), Ansi, readError},     // negative size
        {std::string("\x05\xFF\xFF\xFF\x7F" "abc", 8), Ansi, readError}, // huge size, no allocation
        {std::string("\x06\x03\x00\x00\x00" "abc", 8), Wide, readError}, // odd size
        {std::string("\x06\xF0\xFF\xFF\x7F" "ab", 7), Wide, readError},
    };
    for (const auto& c : cases) {
        auto in = StreamOf(c.bytes);
        std::string message = Message([&] {
            switch (c.kind) {
            case Integer: ReadInteger(in); break;
            case Double: ReadDouble(in); break;
            case Ansi: ReadAnsiString(in); break;
            case Wide: ReadWideString(in); break;
            }
        });
        EXPECT_EQ(message, c.message) << testing::PrintToString(c.bytes);
    }

    // A wrong tag consumes the tag byte and nothing more.
    auto in = StreamOf(std::string("\x05\x01\x00\x00\x00x", 6));
    EXPECT_THROW(ReadInteger(in), Error);
    EXPECT_EQ(in.Position(), 1);
}

TEST(TypedStream, EveryShortWriteFails)
{
    TBytesWriteStream whole;
    WriteSample(whole);
    const auto total = static_cast<int64_t>(whole.Bytes().size());
    for (int64_t limit = 0; limit < total; ++limit) {
        TFailingStream out(limit);
        EXPECT_EQ(Message([&] { WriteSample(out); }), "Error writing data to stream") << limit;
    }
    TFailingStream out(total);
    WriteSample(out);
    EXPECT_EQ(out.bytes, whole.Bytes());
}

TEST(TypedStream, WorksOnTheMemoryStream)
{
    TMemoryStream stream;
    WriteSample(stream);
    stream.SetPosition(0);
    EXPECT_EQ(ReadInteger(stream), -2);
    EXPECT_EQ(ReadDouble(stream), 45000.75);
}
