// TDownloader against nginx on loopback (and a scripted server for a cut body): new,
// resumed, complete, too long and wrong staged files, and the failures.
#include "net/Downloader.h"

#include "core/Digest.h"
#include "core/Log.h"
#include "net/support/Servers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

using namespace orlinda;
using namespace orlinda::test;

namespace {

std::string Pattern(size_t size, uint32_t seed = 7)
{
    std::string s(size, '\0');
    uint32_t x = seed;
    for (auto& c : s) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    return s;
}

uint32_t Crc(const std::string& bytes)
{
    return static_cast<uint32_t>(Crc32(bytes));
}

TDownloader::TTimings Quick()
{
    TDownloader::TTimings t;
    t.Budget = 20000;
    t.RetryPause = 50;
    t.OpenPause = 50;
    return t;
}

// nginx serving /files/ with an access log of the status and the Range of each request.
class DownloaderTest : public ::testing::Test {
protected:
    DownloaderTest()
        : nginx([this] {
              Nginx::Options o;
              o.httpConfig = "  log_format ranges '$uri $status [$http_range]';\n";
              o.serverConfig = "    access_log " + logs.File("access.log") + " ranges;\n"
                               "    location /slow/ { limit_rate 8k; }\n";
              return o;
          }())
    {
        downloader.SetTimings(Quick());
        SetLogWriter([](const std::string&) {});
    }
    ~DownloaderTest() override { SetLogWriter(DefaultLogWriter); }

    // The requests nginx has logged so far.
    std::vector<std::string> Requests()
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));  // nginx logs just after answering
        std::vector<std::string> lines;
        std::string log = ReadFile(logs.File("access.log"));
        size_t start = 0;
        while (start < log.size()) {
            size_t end = log.find('\n', start);
            if (end == std::string::npos)
                end = log.size();
            lines.push_back(log.substr(start, end - start));
            start = end + 1;
        }
        return lines;
    }

    TempDir logs;
    Nginx nginx;
    TempDir dir;
    TDownloader downloader;
    const std::string body = Pattern(200000);
};

} // namespace

TEST_F(DownloaderTest, FetchesANewFileIntoAFolderItMakes)
{
    nginx.Put("files/a.bin", body);
    const std::string target = dir.File("staged/appdir/sub/a.bin");
    ASSERT_TRUE(downloader.Fetch(nginx.Url("/files/a.bin"), target, Crc(body), body.size()));
    EXPECT_EQ(downloader.ResultKind(), 0);
    EXPECT_EQ(downloader.ResultCode(), 0);
    EXPECT_EQ(ReadFile(target), body);
    EXPECT_EQ(Requests(), std::vector<std::string>{"/files/a.bin 200 [-]"});
}

TEST_F(DownloaderTest, StagedFilesAreResumedKeptOrStartedAnew)
{
    nginx.Put("files/a.bin", body);
    struct Case {
        const char* what;
        std::string staged;
        std::vector<std::string> requests;
    } cases[] = {
        {"partly downloaded: resumed from its length", body.substr(0, 70000),
         {"/files/a.bin 206 [bytes=70000-]"}},
        {"complete: not fetched again", body, {}},
        {"longer than expected: fetched anew", body + "tail", {"/files/a.bin 200 [-]"}},
        {"all there with another CRC: fetched anew", Pattern(body.size(), 99), {"/files/a.bin 200 [-]"}},
        {"a start that does not fit the rest: resumed, then fetched from the start",
         Pattern(1000, 5), {"/files/a.bin 206 [bytes=1000-]", "/files/a.bin 200 [-]"}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string target = dir.File("case" + std::to_string(n++));
        WriteFile(target, c.staged);
        std::vector<std::string> before = Requests();
        ASSERT_TRUE(downloader.Fetch(nginx.Url("/files/a.bin"), target, Crc(body), body.size()))
            << downloader.ResultKind() << "/" << downloader.ResultCode();
        EXPECT_EQ(ReadFile(target), body);
        std::vector<std::string> after = Requests();
        EXPECT_EQ(std::vector<std::string>(after.begin() + before.size(), after.end()), c.requests);
    }
}

TEST_F(DownloaderTest, FailuresAndTheirResults)
{
    nginx.Put("files/a.bin", body);
    struct Case {
        const char* what;
        std::string path;
        int64_t size;
        uint32_t crc;
        int kind, code;
        size_t requests;
    } cases[] = {
        // Both attempts download a whole file whose CRC is wrong.
        {"CRC mismatch", "/files/a.bin", static_cast<int64_t>(body.size()), Crc(body) ^ 1, 100, 203, 2},
        // An error page ends the fetch at once.
        {"missing file", "/files/none.bin", 10, 1, 2, 404, 1},
        // Nothing is written past the expected size.
        {"more data than expected", "/files/a.bin", 1000, 1, 100, 108, 1},
        {"an empty file with a CRC", "/files/a.bin", 0, 5, 100, 52, 0},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string target = dir.File("fail" + std::to_string(n++));
        size_t before = Requests().size();
        EXPECT_FALSE(downloader.Fetch(nginx.Url(c.path), target, c.crc, c.size));
        EXPECT_EQ(downloader.ResultKind(), c.kind);
        EXPECT_EQ(downloader.ResultCode(), c.code);
        EXPECT_EQ(Requests().size() - before, c.requests);
        EXPECT_LE(static_cast<int64_t>(ReadFile(target).size()), std::max<int64_t>(c.size, 0));
    }
}

TEST_F(DownloaderTest, AnEmptyFileNeedsNoRequest)
{
    const std::string target = dir.File("empty/e.txt");
    ASSERT_TRUE(downloader.Fetch(nginx.Url("/files/none"), target, 0, 0));
    EXPECT_TRUE(std::filesystem::exists(target));
    EXPECT_EQ(ReadFile(target), "");
    EXPECT_TRUE(Requests().empty());
}

TEST_F(DownloaderTest, AStagedPlaceThatCannotBeMadeIsReported)
{
    WriteFile(dir.File("plain"), "x");
    TDownloader::TTimings t = Quick();
    t.Budget = 300;
    downloader.SetTimings(t);
    EXPECT_FALSE(downloader.Fetch(nginx.Url("/files/a.bin"), dir.File("plain/a.bin"), 1, 1));
    EXPECT_EQ(downloader.ResultKind(), 100);
    EXPECT_EQ(downloader.ResultCode(), 103);
}

TEST_F(DownloaderTest, NoServerUsesBothAttempts)
{
    const int port = FreePort();
    const uint32_t crc = Crc(body);
    EXPECT_FALSE(downloader.Fetch("http://127.0.0.1:" + std::to_string(port) + "/a.bin", dir.File("a"), crc, 10));
    EXPECT_EQ(downloader.ResultKind(), 100);
    EXPECT_EQ(downloader.ResultCode(), 203);
}

TEST_F(DownloaderTest, AbortEndsASlowDownloadAtOnce)
{
    nginx.Put("slow/big.bin", Pattern(4000000));
    std::thread aborter([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        downloader.Abort();
    });
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(downloader.Fetch(nginx.Url("/slow/big.bin"), dir.File("big"), 1, 4000000));
    aborter.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(downloader.ResultKind(), 100);
    EXPECT_EQ(downloader.ResultCode(), 2);
    // Aborted stays aborted until reset.
    EXPECT_FALSE(downloader.Fetch(nginx.Url("/slow/big.bin"), dir.File("big"), 1, 4000000));
    EXPECT_EQ(downloader.ResultCode(), 2);
    downloader.ResetAbort();
    nginx.Put("files/small.bin", "small");
    EXPECT_TRUE(downloader.Fetch(nginx.Url("/files/small.bin"), dir.File("small"), Crc("small"), 5));
}

TEST(Downloader, ABodyCutMidwayIsResumedOnTheSecondAttempt)
{
    const std::string body = Pattern(100000, 3);
    ScriptServer server([&body](PeerConnection& c, ScriptServer& s) {
        std::string request = s.RecordRequest(c);
        if (s.Requests().size() == 1) {
            c.Send("HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
                   body.substr(0, 40000));
            c.Close();
            return;
        }
        std::string range = HeadValue(request, "Range");
        int64_t from = range.rfind("bytes=", 0) == 0 ? std::stoll(range.substr(6)) : 0;
        c.Send("HTTP/1.0 206 Partial Content\r\nContent-Length: " + std::to_string(body.size() - from) +
               "\r\nContent-Range: bytes " + std::to_string(from) + "-" + std::to_string(body.size() - 1) + "/" +
               std::to_string(body.size()) + "\r\n\r\n" + body.substr(from));
        c.Close();
    });
    SetLogWriter([](const std::string&) {});
    TempDir dir;
    TDownloader downloader;
    downloader.SetTimings(Quick());
    ASSERT_TRUE(downloader.Fetch(server.Url("/a.bin"), dir.File("a.bin"), Crc(body), body.size()));
    EXPECT_EQ(ReadFile(dir.File("a.bin")), body);
    std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(HeadValue(requests[0], "Range"), "");
    EXPECT_EQ(HeadValue(requests[1], "Range"), "bytes=40000-");
    SetLogWriter(DefaultLogWriter);
}
