// "orlinda-cli fetch" end to end: the tool itself against nginx, tinyproxy and a
// scripted server.
#include "net/GzipStream.h"
#include "net/support/Servers.h"
#include "support/RunCli.h"

#include <cstdlib>
#include <filesystem>

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace orlinda;
using namespace orlinda::test;

namespace {

CliResult Fetch(const std::vector<std::string>& args, const std::string& env = "")
{
    std::vector<std::string> all{"fetch"};
    all.insert(all.end(), args.begin(), args.end());
    return RunCli(all, CliOptions::WithEnvironment(env));
}

std::string Pattern(size_t size)
{
    std::string s(size, '\0');
    uint32_t x = 99;
    for (auto& c : s) {
        x = x * 1664525u + 1013904223u;
        c = static_cast<char>(x >> 24);
    }
    return s;
}

class FetchCommand : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Nginx::Options o;
        o.tls = true;
        nginx_ = new Nginx(o);
        file_ = new std::string(Pattern(1 << 20));
        nginx_->Put("file.bin", *file_);
        std::string text;
        while (text.size() < 100000)
            text += "compressible line of text\n";
        nginx_->Put("gzip/text.txt", text);
    }
    static void TearDownTestSuite()
    {
        delete nginx_;
        delete file_;
    }
    static Nginx* nginx_;
    static std::string* file_;
};

Nginx* FetchCommand::nginx_ = nullptr;
std::string* FetchCommand::file_ = nullptr;

} // namespace

TEST_F(FetchCommand, BodyToStandardOutputHeadToStandardError)
{
    CliResult r = Fetch({nginx_->Url("/file.bin")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(r.out == *file_);
    EXPECT_EQ(r.err.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("Content-Length: 1048576\r\n"), std::string::npos);

    // An error status is still a response.
    r = Fetch({nginx_->Url("/missing")});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.err.rfind("HTTP/1.1 404 Not Found", 0), 0u) << r.err;
}

TEST_F(FetchCommand, OutputRangesAndGzip)
{
    TempDir dir;
    CliResult r = Fetch({"--output", dir.File("copy"), "--protocol", "1.1", "--keep-alive", nginx_->Url("/file.bin")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(ReadFile(dir.File("copy")) == *file_);

    r = Fetch({"--range-start", "10", "--range-end", "19", nginx_->Url("/file.bin")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err.rfind("HTTP/1.1 206", 0), 0u);
    EXPECT_EQ(r.out, file_->substr(10, 10));

    r = Fetch({"--accept-gzip", nginx_->Url("/gzip/text.txt")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("Content-Encoding: gzip"), std::string::npos);
    EXPECT_EQ(r.out, ReadFile(nginx_->Root() + "/gzip/text.txt"));
}

TEST_F(FetchCommand, SendsABodyFromAFile)
{
    ScriptServer server([](PeerConnection& c, ScriptServer& s) {
        s.RecordRequest(c);
        c.Send("HTTP/1.0 201 Created\r\nContent-Length: 4\r\n\r\ndone");
    });
    TempDir dir;
    WriteFile(dir.File("body"), "payload bytes");
    CliResult r = Fetch({"--data", dir.File("body"), server.Url("/post")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "done");
    r = Fetch({"--method", "PUT", "--gzip", "--data", dir.File("body"), server.Url("/put")});
    ASSERT_EQ(r.code, 0) << r.err;

    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(HeadLines(requests[0])[0], "POST /post HTTP/1.0");
    EXPECT_EQ(requests[0].substr(requests[0].find("\r\n\r\n") + 4), "payload bytes");
    EXPECT_EQ(HeadLines(requests[1])[0], "PUT /put HTTP/1.0");
    EXPECT_EQ(HeadValue(requests[1], "Content-Encoding"), "gzip");
    EXPECT_EQ(GzipDecompress(requests[1].substr(requests[1].find("\r\n\r\n") + 4)), "payload bytes");
}

TEST_F(FetchCommand, TlsAndProxy)
{
    CliResult r = Fetch({nginx_->TlsUrl("/file.bin")});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Socket Error 20003: The server's certificate was not accepted"), std::string::npos) << r.err;

    const std::string trust = "ORLINDA_CA_FILE=" + ShellQuote(nginx_->CA().CAFile);
    r = Fetch({nginx_->TlsUrl("/file.bin")}, trust);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(r.out == *file_);

    TinyProxy proxy("pu", "pp");
    const std::string at = "127.0.0.1:" + std::to_string(proxy.Port());
    r = Fetch({"--proxy", at, "--proxy-user", "pu", "--proxy-pass", "pp", nginx_->TlsUrl("/file.bin")}, trust);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(r.out == *file_);
    r = Fetch({"--proxy", at, nginx_->Url("/file.bin")});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.err.rfind("HTTP/1.0 407", 0), 0u) << r.err;
}

TEST_F(FetchCommand, FailuresAndMistakes)
{
    CliResult r = Fetch({"http://127.0.0.1:" + std::to_string(FreePort()) + "/"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Socket Error 111: Connection refused"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("GET /"), std::string::npos) << "the request's own head is not a response";

    ScriptServer silent([](PeerConnection& c, ScriptServer&) {
        c.ReadHead();
        c.ClientClosed(5000);
    });
    r = Fetch({"--timeout", "300", silent.Url("/")});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Socket Error 110"), std::string::npos) << r.err;

    EXPECT_EQ(Fetch({"--protocol", "2.0", nginx_->Url("/")}).code, 2);
    EXPECT_EQ(Fetch({}).code, 2);
    EXPECT_EQ(Fetch({"--range-start", "x", nginx_->Url("/")}).code, 2);
    EXPECT_EQ(Fetch({"--proxy", "nocolon", nginx_->Url("/")}).code, 2);
    r = Fetch({"--data", "/nonexistent/body", nginx_->Url("/")});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("/nonexistent/body"), std::string::npos) << r.err;
}
