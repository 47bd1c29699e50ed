// The socket layer against real peers on loopback: a scripted server, nginx with a test
// authority's certificate, and tinyproxy for the CONNECT tunnel.
#include "net/Socket.h"
#include "net/support/Servers.h"

#include <cerrno>
#include <chrono>
#include <thread>

#include <unistd.h>

#include <gtest/gtest.h>

using namespace orlinda;
using namespace orlinda::test;

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A server that sends the given pieces with short pauses between them, then waits for
// the client to go.
ScriptServer Sender(std::vector<std::string> pieces, bool ipv6 = false)
{
    return ScriptServer(
        [pieces](PeerConnection& c, ScriptServer&) {
            for (const auto& p : pieces) {
                c.Send(p);
                usleep(30000);
            }
            c.ClientClosed(5000);
        },
        ipv6);
}

} // namespace

TEST(Socket, LinesEndInCrLfLfOrCrEvenAcrossPackets)
{
    ScriptServer server = Sender({"a\r\nb\nc\rd\r\n", "e\r", "\nf\r", "g\n\n", "\r\nlast"});
    TTCPBlockSocket s;
    s.SetConvertLineEnd(true);
    ASSERT_TRUE(s.Connect("127.0.0.1", std::to_string(server.Port()))) << s.LastErrorDesc();
    std::vector<std::string> lines;
    for (int i = 0; i < 9; ++i) {
        lines.push_back(s.RecvString(3000));
        ASSERT_EQ(s.LastError(), 0) << i;
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "d", "e", "f", "g", "", ""}));
    // The rest has no line end: what is there comes as a packet.
    EXPECT_EQ(s.RecvPacket(3000), "last");
}

TEST(Socket, WithoutConversionOnlyCrLfEndsALine)
{
    ScriptServer server = Sender({"a\nb\rc\r", "\nnext\r\n"});
    TTCPBlockSocket s;
    ASSERT_TRUE(s.Connect("127.0.0.1", std::to_string(server.Port())));
    EXPECT_EQ(s.RecvString(3000), "a\nb\rc");
    EXPECT_EQ(s.RecvString(3000), "next");
}

TEST(Socket, ExactReadsWaitForAllBytesAndPacketReadsDoNot)
{
    std::string big(200000, 'x');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7);
    ScriptServer server = Sender({"head\r\n" + big.substr(0, 70000), big.substr(70000), "tail"});
    TTCPBlockSocket s;
    s.SetConvertLineEnd(true);
    ASSERT_TRUE(s.Connect("127.0.0.1", std::to_string(server.Port())));
    EXPECT_EQ(s.RecvString(3000), "head");
    std::string got(big.size(), '\0');
    ASSERT_EQ(s.RecvBufferEx(got.data(), static_cast<int64_t>(got.size()), 3000), static_cast<int64_t>(big.size()));
    EXPECT_EQ(got, big);
    char four[10];
    EXPECT_EQ(s.RecvPacket(four, sizeof four, 3000), 4);
}

TEST(Socket, ZeroWaitReadabilityPurgeTimeOutAndPeerClose)
{
    ScriptServer server([](PeerConnection& c, ScriptServer&) {
        c.ReadBytes(1);  // "go"
        c.Send("pending data\r\nmore\r\n");
        c.ReadBytes(1);
        c.Close();
    });
    TTCPBlockSocket s;
    s.SetConvertLineEnd(true);
    ASSERT_TRUE(s.Connect("127.0.0.1", std::to_string(server.Port())));
    EXPECT_FALSE(s.CanRead(0));

    auto start = Clock::now();
    EXPECT_EQ(s.RecvString(200), "");
    EXPECT_EQ(s.LastError(), ETIMEDOUT);
    EXPECT_GE(SecondsSince(start), 0.15);

    ASSERT_TRUE(s.SendString("1"));
    EXPECT_TRUE(s.CanRead(3000));
    usleep(50000);
    s.Purge();
    EXPECT_FALSE(s.CanRead(0));

    ASSERT_TRUE(s.SendString("2"));
    EXPECT_TRUE(s.CanRead(3000));  // the close is readable too
    char c;
    EXPECT_EQ(s.RecvBufferEx(&c, 1, 3000), 0);
    EXPECT_EQ(s.LastError(), ECONNRESET);
}

TEST(Socket, ConnectFailuresCarryClearErrors)
{
    TTCPBlockSocket s;
    s.SetTimeout(3000);
    int port = FreePort();  // nothing listens there
    EXPECT_FALSE(s.Connect("127.0.0.1", std::to_string(port)));
    EXPECT_EQ(s.LastError(), ECONNREFUSED);
    EXPECT_FALSE(s.Connected());

    EXPECT_FALSE(s.Connect("", "80"));
    EXPECT_EQ(s.LastError(), SocketError::HostNotFound);
    EXPECT_FALSE(s.LastErrorDesc().empty());

    // Sends and reads on a closed socket fail instead of crashing.
    EXPECT_FALSE(s.SendString("x"));
    EXPECT_EQ(s.LastError(), ENOTCONN);
}

TEST(Socket, ConnectsOverIPv6AndFallsBackAcrossAddresses)
{
    if (!HaveIPv6Loopback())
        GTEST_SKIP() << "no IPv6 loopback";
    ScriptServer v6 = Sender({"six\r\n"}, true);
    TTCPBlockSocket s;
    s.SetConvertLineEnd(true);
    ASSERT_TRUE(s.Connect("::1", std::to_string(v6.Port()))) << s.LastErrorDesc();
    EXPECT_EQ(s.RecvString(3000), "six");

    // "localhost" may name ::1 as well as 127.0.0.1: a server on 127.0.0.1 is found either way.
    ScriptServer v4 = Sender({"four\r\n"});
    ASSERT_TRUE(s.Connect("localhost", std::to_string(v4.Port()))) << s.LastErrorDesc();
    EXPECT_EQ(s.RecvString(3000), "four");

    // Binding to a local address of the other family cannot work: a clear failure.
    s.Bind("127.0.0.1", "0");
    EXPECT_FALSE(s.Connect("::1", std::to_string(v6.Port())));
    EXPECT_NE(s.LastError(), 0);
    s.Bind("", "0");
}

TEST(Socket, AbortFromAnotherThreadEndsABlockedCall)
{
    ScriptServer server([](PeerConnection& c, ScriptServer&) { c.ClientClosed(10000); });
    TTCPBlockSocket s;
    ASSERT_TRUE(s.Connect("127.0.0.1", std::to_string(server.Port())));
    std::thread aborter([&] {
        usleep(200000);
        s.Abort();
    });
    auto start = Clock::now();
    EXPECT_EQ(s.RecvString(8000), "");
    aborter.join();
    EXPECT_EQ(s.LastError(), ECONNABORTED);
    EXPECT_LT(SecondsSince(start), 5.0);

    // The flag holds until reset: nothing starts meanwhile.
    EXPECT_FALSE(s.Connect("127.0.0.1", std::to_string(server.Port())));
    EXPECT_EQ(s.LastError(), ECONNABORTED);
    s.ResetStop();
    EXPECT_TRUE(s.Connect("127.0.0.1", std::to_string(server.Port())));
}

TEST(Socket, ReceiveBandwidthLimitSlowsTheTransfer)
{
    std::string data(60000, 'b');
    ScriptServer server = Sender({data});
    TTCPBlockSocket s;
    s.SetMaxRecvBandwidth(100000);  // bytes per second
    ASSERT_TRUE(s.Connect("127.0.0.1", std::to_string(server.Port())));
    std::string got(data.size(), '\0');
    auto start = Clock::now();
    ASSERT_EQ(s.RecvBufferEx(got.data(), static_cast<int64_t>(got.size()), 5000), static_cast<int64_t>(data.size()));
    EXPECT_GE(SecondsSince(start), 0.45);
}

TEST(Socket, SendBandwidthLimitSlowsTheTransfer)
{
    std::string received;
    ScriptServer server([&](PeerConnection& c, ScriptServer&) { received = c.ReadBytes(40000); });
    TTCPBlockSocket s;
    s.SetMaxSendBandwidth(100000);
    ASSERT_TRUE(s.Connect("127.0.0.1", std::to_string(server.Port())));
    auto start = Clock::now();
    ASSERT_TRUE(s.SendString(std::string(40000, 's')));
    EXPECT_GE(SecondsSince(start), 0.3);
}

class SocketTls : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Nginx::Options o;
        o.tls = true;
        o.ipv6 = true;
        nginx_ = new Nginx(o);
        nginx_->Put("hello.txt", "hello over tls\n");
    }
    static void TearDownTestSuite()
    {
        delete nginx_;
        nginx_ = nullptr;
    }

    // A GET of /hello.txt over an established TLS connection.
    static std::string Get(TTCPBlockSocket& s, const std::string& host)
    {
        std::string h = host.find(':') != std::string::npos ? "[" + host + "]" : host;
        if (!s.SendString("GET /hello.txt HTTP/1.0\r\nHost: " + h + "\r\n\r\n"))
            return "send failed: " + s.LastErrorDesc();
        std::string all;
        for (std::string p; !(p = s.RecvPacket(5000)).empty();)
            all += p;
        return all;
    }

    static Nginx* nginx_;
};

Nginx* SocketTls::nginx_ = nullptr;

TEST_F(SocketTls, TrustsTheTestAuthorityAndChecksTheName)
{
    const std::string port = std::to_string(nginx_->TlsPort());
    struct Case {
        std::string host;
        bool trusted;
    };
    std::vector<Case> cases = {{"localhost", true}, {"127.0.0.1", true}};
    if (HaveIPv6Loopback())
        cases.push_back({"::1", true});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.host);
        TTCPBlockSocket s;
        s.SetTimeout(5000);
        s.SetCAFile(nginx_->CA().CAFile);
        ASSERT_TRUE(s.Connect(c.host, port)) << s.LastErrorDesc();
        ASSERT_TRUE(s.SSLDoConnect()) << s.LastErrorDesc();
        EXPECT_TRUE(s.UsingTLS());
        EXPECT_NE(Get(s, c.host).find("hello over tls"), std::string::npos);
    }
}

TEST_F(SocketTls, RejectsAnUnknownAuthorityAndAWrongName)
{
    const std::string port = std::to_string(nginx_->TlsPort());
    {
        TTCPBlockSocket s;  // the system's store alone does not know the test authority
        s.SetTimeout(5000);
        ASSERT_TRUE(s.Connect("localhost", port));
        EXPECT_FALSE(s.SSLDoConnect());
        EXPECT_EQ(s.LastError(), SocketError::CertificateRejected);
        EXPECT_NE(s.LastErrorDesc().find("localhost"), std::string::npos) << s.LastErrorDesc();
        EXPECT_NE(s.LastErrorDesc().find("issuer"), std::string::npos) << s.LastErrorDesc();
    }
    {
        TTCPBlockSocket s;  // trusted authority, but the certificate does not name 127.0.0.2
        s.SetTimeout(5000);
        s.SetCAFile(nginx_->CA().CAFile);
        ASSERT_TRUE(s.Connect("127.0.0.2", port));
        EXPECT_FALSE(s.SSLDoConnect());
        EXPECT_EQ(s.LastError(), SocketError::CertificateRejected);
        EXPECT_NE(s.LastErrorDesc().find("mismatch"), std::string::npos) << s.LastErrorDesc();
    }
    {
        TTCPBlockSocket s;  // a CA file that cannot be read is an error, not "trust all"
        s.SetTimeout(5000);
        s.SetCAFile("/nonexistent/ca.pem");
        ASSERT_TRUE(s.Connect("localhost", port));
        EXPECT_FALSE(s.SSLDoConnect());
        EXPECT_EQ(s.LastError(), SocketError::TlsFailed);
    }
    {
        TTCPBlockSocket s;  // TLS to a plain-HTTP port fails cleanly
        s.SetTimeout(5000);
        s.SetCAFile(nginx_->CA().CAFile);
        ASSERT_TRUE(s.Connect("localhost", std::to_string(nginx_->Port())));
        EXPECT_FALSE(s.SSLDoConnect());
        EXPECT_EQ(s.LastError(), SocketError::TlsFailed);
    }
}

TEST_F(SocketTls, TheEnvironmentVariableNamesTheExtraAuthority)
{
    setenv(CAFileVariable, nginx_->CA().CAFile.c_str(), 1);
    TTCPBlockSocket s;
    s.SetTimeout(5000);
    bool ok = s.Connect("localhost", std::to_string(nginx_->TlsPort())) && s.SSLDoConnect();
    unsetenv(CAFileVariable);
    ASSERT_TRUE(ok) << s.LastErrorDesc();
    EXPECT_NE(Get(s, "localhost").find("hello over tls"), std::string::npos);
}

TEST_F(SocketTls, TunnelsThroughTinyproxyWithAndWithoutCredentials)
{
    const std::string port = std::to_string(nginx_->TlsPort());
    TinyProxy open;
    TinyProxy guarded("tunneluser", "tunnelpass");
    struct Case {
        TinyProxy* proxy;
        std::string user, pass;
        bool works;
    };
    const Case cases[] = {
        {&open, "", "", true},
        {&guarded, "tunneluser", "tunnelpass", true},
        {&guarded, "", "", false},
        {&guarded, "tunneluser", "wrong", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.user + "/" + c.pass);
        TTCPBlockSocket s;
        s.SetTimeout(5000);
        s.SetCAFile(nginx_->CA().CAFile);
        s.HTTPTunnelIP = "127.0.0.1";
        s.HTTPTunnelPort = std::to_string(c.proxy->Port());
        s.HTTPTunnelUser = c.user;
        s.HTTPTunnelPass = c.pass;
        bool connected = s.Connect("localhost", port);
        if (!c.works) {
            EXPECT_FALSE(connected);
            EXPECT_EQ(s.LastError(), SocketError::TunnelRefused);
            // tinyproxy answers 407 without credentials and 401 with wrong ones.
            EXPECT_NE(s.LastErrorDesc().find(" 40"), std::string::npos) << s.LastErrorDesc();
            continue;
        }
        ASSERT_TRUE(connected) << s.LastErrorDesc() << "\n" << c.proxy->Log();
        ASSERT_TRUE(s.SSLDoConnect()) << s.LastErrorDesc();
        EXPECT_NE(Get(s, "localhost").find("hello over tls"), std::string::npos);
    }
}
