#include "core/MemoryStream.h"

#include "core/Error.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace orlinda;

TEST(MemoryStream, CapacityFollowsTheGrowthRule)
{
    struct Case { int64_t initial, limit, step; int64_t write; int64_t capacity; int64_t written; };
    const Case cases[] = {
        {100, -1, 0, 100, 100, 100},      // fits the initial capacity
        {100, -1, 0, 101, 100, 100},      // never grows: partial write
        {100, -1, 30, 101, 130, 101},     // one step above the initial capacity
        {100, -1, 30, 160, 160, 160},     // exactly two steps
        {100, -1, 30, 161, 190, 161},     // rounded up to three
        {100, 150, 30, 161, 150, 150},    // capped by the limit
        {0, -1, 4096, 1, 4096, 1},
        {-5, -7, -3, 10, 0, 0},           // negative values count as 0, limit none
        {65536, -1, 16384, 65537, 81920, 65537},
        {1000, 10, 100, 50, 10, 10},      // the limit caps the initial reservation too
        {10, 0, 10, 1, 0, 0},             // a zero limit takes nothing
    };
    for (const auto& c : cases) {
        TMemoryStream s(c.initial, c.limit, c.step);
        std::string bytes(static_cast<size_t>(c.write), 'x');
        EXPECT_EQ(s.Write(bytes), c.written) << c.initial << "/" << c.limit << "/" << c.step << " write " << c.write;
        EXPECT_EQ(s.Capacity(), c.capacity);
        EXPECT_EQ(s.Size(), c.written);
        EXPECT_EQ(s.Position(), c.written);
    }
}

TEST(MemoryStream, FixedCapacityStreamAcceptsExactlyItsCapacity)
{
    TMemoryStream s(60000, -1, 0);
    EXPECT_EQ(s.Capacity(), 60000);
    EXPECT_EQ(s.Write(std::string(60000, 'a')), 60000);
    EXPECT_EQ(s.Write(std::string(10, 'b')), 0);
    EXPECT_EQ(s.Size(), 60000);
    // Overwriting inside the capacity still works.
    s.SetPosition(59995);
    EXPECT_EQ(s.Write(std::string(10, 'c')), 5);
    EXPECT_EQ(s.DataString().substr(59990), "aaaaaccccc");
}

TEST(MemoryStream, ReadWriteSeek)
{
    TMemoryStream s;
    EXPECT_EQ(s.Write("hello world"), 11);
    EXPECT_EQ(s.Seek(0, SeekOrigin::Begin), 0);
    char buf[16] = {};
    EXPECT_EQ(s.Read(buf, 5), 5);
    EXPECT_EQ(std::string(buf, 5), "hello");
    EXPECT_EQ(s.Read(buf, 16), 6); // at most what lies before the end
    EXPECT_EQ(s.Read(buf, 16), 0);
    EXPECT_EQ(s.Read(buf, -1), 0);

    struct Seek { int64_t offset; SeekOrigin origin; int64_t from; int64_t to; };
    const Seek seeks[] = {
        {3, SeekOrigin::Begin, 0, 3},  {-1, SeekOrigin::Begin, 5, 0},       {99, SeekOrigin::Begin, 0, 11},
        {2, SeekOrigin::Current, 4, 6}, {-10, SeekOrigin::Current, 4, 0},   {-2, SeekOrigin::End, 0, 9},
        {5, SeekOrigin::End, 0, 11},   {INT64_MAX, SeekOrigin::Current, 4, 11}, {INT64_MIN, SeekOrigin::End, 4, 0},
    };
    for (const auto& k : seeks) {
        s.SetPosition(k.from);
        EXPECT_EQ(s.Seek(k.offset, k.origin), k.to) << k.offset;
        EXPECT_EQ(s.Position(), k.to);
    }

    // Overwrite in the middle, then extend past the end.
    s.SetPosition(6);
    EXPECT_EQ(s.Write("there, you"), 10);
    EXPECT_EQ(s.DataString(), "hello there, you");
    EXPECT_EQ(s.Write(nullptr, 0), 0);
    EXPECT_EQ(s.Write("x", -3), 0);

    // Appending the stream's own bytes while it grows.
    TMemoryStream self;
    self.Write("abc");
    for (int i = 0; i < 12; ++i) {
        int64_t before = self.Size();
        ASSERT_EQ(self.Write(self.Data(), before), before);
    }
    EXPECT_EQ(self.Size(), 3 * 4096);
    EXPECT_EQ(self.DataString().substr(12282), "abcabc");
}

TEST(MemoryStream, SetSizeAndClear)
{
    TMemoryStream s(8, 20, 4);
    s.Write("abcdefghij");
    EXPECT_EQ(s.Capacity(), 12);
    s.SetSize(4);
    EXPECT_EQ(s.Size(), 4);
    EXPECT_EQ(s.Position(), 4); // pulled back
    EXPECT_EQ(s.DataString(), "abcd");
    // Growing again shows the old bytes: the memory is kept.
    s.SetSize(6);
    EXPECT_EQ(s.DataString(), "abcdef");
    // Memory reserved for the first time is zero-filled; the size stops at the limit.
    s.SetSize(100);
    EXPECT_EQ(s.Size(), 20);
    EXPECT_EQ(s.Capacity(), 20);
    EXPECT_EQ(s.DataString(), std::string("abcdefghij") + std::string(10, '\0'));
    s.SetSize(-1);
    EXPECT_EQ(s.Size(), 0);

    s.Write("xyz");
    s.Clear();
    EXPECT_EQ(s.Size(), 0);
    EXPECT_EQ(s.Position(), 0);
    EXPECT_EQ(s.Capacity(), 20);
    EXPECT_EQ(s.DataString(), "");
}

TEST(MemoryStream, DefaultStreamGrowsWithoutLimit)
{
    TMemoryStream s;
    std::string chunk(4096, 'q');
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(s.Write(chunk), 4096);
    EXPECT_EQ(s.Size(), 4096 * 1000);
    EXPECT_GE(s.Capacity(), s.Size());
    EXPECT_EQ(s.Limit(), -1);
    EXPECT_EQ(s.Data()[4096 * 1000 - 1], 'q');
}

TEST(MemoryStream, SavesAndLoadsFiles)
{
    test::TempDir dir;
    std::string bytes;
    for (int i = 0; i < 5000; ++i)
        bytes.push_back(static_cast<char>(i * 7));

    TMemoryStream out;
    out.Write(bytes);
    out.SaveToFile(dir.File("a.bin"));
    EXPECT_EQ(test::ReadFile(dir.File("a.bin")), bytes);

    TMemoryStream in(1000, -1, 1000);
    in.Write("old content");
    in.LoadFromFile(dir.File("a.bin"));
    EXPECT_EQ(in.DataString(), bytes);
    EXPECT_EQ(in.Position(), 0);
    EXPECT_EQ(in.Capacity(), 5000);

    // Saving an empty stream truncates the file.
    TMemoryStream empty;
    empty.SaveToFile(dir.File("a.bin"));
    EXPECT_EQ(test::ReadFile(dir.File("a.bin")), "");
    in.LoadFromFile(dir.File("a.bin"));
    EXPECT_EQ(in.Size(), 0);

    EXPECT_THROW(in.LoadFromFile(dir.File("missing.bin")), Error);
    EXPECT_THROW(out.SaveToFile(dir.File("no/such/folder/a.bin")), Error);
}

TEST(MemoryStream, LoadingMoreThanTheLimitKeepsWhatFitsAndFails)
{
    test::TempDir dir;
    test::WriteFile(dir.File("big.bin"), std::string(300, 'z'));
    struct Case { int64_t initial, limit, step; int64_t capacity; };
    const Case cases[] = {{100, 250, 50, 250}, {120, -1, 0, 120}};
    for (const auto& c : cases) {
        TMemoryStream s(c.initial, c.limit, c.step);
        try {
            s.LoadFromFile(dir.File("big.bin"));
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Insufficient memory. 300 bytes needed. Only " + std::to_string(c.capacity) + " bytes available");
        }
        EXPECT_EQ(s.Size(), c.capacity);
        EXPECT_EQ(s.DataString(), std::string(static_cast<size_t>(c.capacity), 'z'));
    }
}
