// The gzip streams against the real gzip tool, both ways.
#include "core/Error.h"
#include "core/MemoryStream.h"
#include "net/GzipStream.h"
#include "net/support/Servers.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace orlinda;
using namespace orlinda::test;

namespace {

std::string Sample(size_t size)
{
    std::string s;
    s.reserve(size);
    uint32_t x = 12345;
    while (s.size() < size) {
        x = x * 1103515245 + 12345;
        s += static_cast<char>('a' + (x >> 16) % 7);  // compressible, not trivial
    }
    return s;
}

} // namespace

TEST(GzipStream, WriterOutputUnpacksWithGzipTool)
{
    TempDir dir;
    std::string data = Sample(300000);
    TMemoryStream target;
    {
        TGzipWriter writer(target);
        // Written in uneven pieces, as callers do.
        size_t at = 0, piece = 1;
        while (at < data.size()) {
            size_t n = std::min(piece, data.size() - at);
            writer.Write(data.data() + at, static_cast<int64_t>(n));
            at += n;
            piece = piece * 3 + 1;
        }
    }
    WriteFile(dir.File("x.gz"), target.DataString());
    RunCommand("gzip -dc '" + dir.File("x.gz") + "' > '" + dir.File("x") + "'");
    EXPECT_EQ(ReadFile(dir.File("x")), data);
}

TEST(GzipStream, ReaderUnpacksGzipToolOutputIncludingConcatenatedMembers)
{
    TempDir dir;
    std::string a = Sample(100000), b = "second member\n";
    WriteFile(dir.File("a"), a);
    WriteFile(dir.File("b"), b);
    RunCommand("gzip -c '" + dir.File("a") + "' > '" + dir.File("ab.gz") + "' && gzip -c '" + dir.File("b") + "' >> '" +
               dir.File("ab.gz") + "'");
    EXPECT_EQ(GzipDecompress(ReadFile(dir.File("ab.gz"))), a + b);

    TMemoryStream source;
    source.Write(ReadFile(dir.File("ab.gz")));
    source.Seek(0, SeekOrigin::Begin);
    TGzipReader reader(source);
    std::string out;
    char block[1000];
    for (int64_t n; (n = reader.Read(block, sizeof block)) > 0;)
        out.append(block, static_cast<size_t>(n));
    EXPECT_EQ(out, a + b);
}

TEST(GzipStream, CorruptOrCutDataRaisesError)
{
    std::string packed = GzipCompress(Sample(50000));
    EXPECT_THROW(GzipDecompress(packed.substr(0, packed.size() / 2)), Error);
    std::string corrupt = packed;
    corrupt[packed.size() / 2] ^= 0x55;
    corrupt[packed.size() / 2 + 1] ^= 0x55;
    EXPECT_THROW(GzipDecompress(corrupt), Error);
    EXPECT_THROW(GzipDecompress("not gzip at all"), Error);
}
