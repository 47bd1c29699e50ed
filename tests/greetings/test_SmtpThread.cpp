// The e-mail sender against aiosmtpd on loopback: what the server receives byte for byte,
// implicit TLS, the authentication mechanisms, refusals, a dead server, keeping and
// renewing the connection, the checks before sending, and the abort at shutdown.
#include "greetings/SmtpThread.h"

#include "core/Base64.h"
#include "core/Log.h"
#include "core/MainThread.h"
#include "core/Windows1251.h"
#include "greetings/support/Peers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace orlinda;
using namespace orlinda::test;

namespace {

std::string Cp(const std::u16string& text)
{
    return Utf16ToCp1251(text);
}

size_t Count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1))
        ++n;
    return n;
}

// The project's side of the e-mail sender, reduced to a queue: each call stores the
// outcome of the working greeting and hands over the next one.
class MailRun {
public:
    struct Outcome {
        int status = -1;
        std::string error;
    };

    MailRun()
    {
        SetMainThread(&main_);
        thread_ = std::make_unique<TSMTPThread>();
        thread_->SetIdleWait(200);
        thread_->SetOnNextMail([this](TGreeting& working, TMailSettings& settings) {
            ++calls_;
            if (!working.FName.empty())
                outcomes_[working.FName] = {working.FStatus, working.FErrorStr};
            settings = settings_;
            if (queue_.empty()) {
                working.FName.clear();
                return;
            }
            if (const auto& own = perGreeting_[queue_.front()->FName])
                settings = *own;
            working.Assign(queue_.front().get());
            queue_.pop_front();
        });
    }
    ~MailRun()
    {
        thread_->Stop();
        thread_.reset();
        SetMainThread(nullptr);
    }

    TMailSettings& Settings() { return settings_; }
    TSMTPThread& Thread() { return *thread_; }

    // settings: the server settings handed over with this greeting (else Settings()).
    void Add(const std::string& name, const std::string& recipient, const std::u16string& text = u"Текст",
             const std::u16string& subject = u"Subject", const std::string& sender = "me@example.com",
             std::optional<TMailSettings> settings = std::nullopt)
    {
        perGreeting_[name] = settings;
        auto g = std::make_unique<TGreeting>();
        g->FName = name;
        g->FRecipient = recipient;
        g->FSender = sender;
        g->FSubject = subject;
        g->FText = text;
        queue_.push_back(std::move(g));
    }
    void Start() { thread_->Start(); }

    // Pumps the synchronised calls until the greeting's outcome is in.
    Outcome WaitFor(const std::string& name, int timeoutMs = 30000)
    {
        main_.PumpUntil([&] { return outcomes_.count(name) != 0; }, std::chrono::milliseconds(timeoutMs));
        return outcomes_.count(name) ? outcomes_[name] : Outcome{};
    }
    // Lets the thread run idle passes for a while.
    void Idle(int ms) { main_.PumpUntil([] { return false; }, std::chrono::milliseconds(ms)); }
    int Calls() const { return calls_; }

private:
    TQueuedMainThread main_;
    std::unique_ptr<TSMTPThread> thread_;
    TMailSettings settings_;
    std::deque<std::unique_ptr<TGreeting>> queue_;
    std::map<std::string, Outcome> outcomes_;
    std::map<std::string, std::optional<TMailSettings>> perGreeting_;
    int calls_ = 0;
};

// Collects the application log while it lives.
class LogCapture {
public:
    LogCapture()
    {
        previous_ = LogWriter();
        SetLogWriter([this](const std::string& line) {
            std::lock_guard guard(mutex_);
            lines_.push_back(line);
        });
    }
    ~LogCapture() { SetLogWriter(previous_); }
    std::vector<std::string> Lines()
    {
        std::lock_guard guard(mutex_);
        return lines_;
    }

private:
    TLogWriter previous_;
    std::mutex mutex_;
    std::vector<std::string> lines_;
};

void PointAt(MailRun& run, const SmtpServer& server, const std::string& user = "", const std::string& password = "",
             bool ssl = false)
{
    run.Settings().Host = "127.0.0.1";
    run.Settings().Port = server.PortText();
    run.Settings().User = user;
    run.Settings().Password = password;
    run.Settings().SSL = ssl;
}

// The trust of the test authority for the TLS cases.
class TrustCA {
public:
    explicit TrustCA(const std::string& file) { ::setenv("ORLINDA_CA_FILE", file.c_str(), 1); }
    ~TrustCA() { ::unsetenv("ORLINDA_CA_FILE"); }
};

} // namespace

TEST(SmtpThread, TheServerReceivesTheMessageByteForByte)
{
    SmtpServer server;
    MailRun run;
    PointAt(run, server);
    // Blanks around the address pass the checks; the address goes out without them.
    run.Add("g1", "  anna@example.org ", u"Дорогая Анна!\r\n.\r\n..две точки\nи конец\rстроки", u"С днём рождения!");
    run.Start();
    MailRun::Outcome outcome = run.WaitFor("g1");
    ASSERT_EQ(outcome.status, GreetingSent) << outcome.error << server.Log();

    ASSERT_TRUE(server.WaitForMessages(1));
    const auto message = server.Messages().at(0);
    EXPECT_EQ(message.mailFrom, "me@example.com");
    EXPECT_EQ(message.recipients, std::vector<std::string>{"anna@example.org"});
    EXPECT_EQ(message.login, "");

    const size_t headEnd = message.content.find("\r\n\r\n");
    ASSERT_NE(headEnd, std::string::npos);
    std::vector<std::string> head;
    for (size_t pos = 0; pos < headEnd + 2;) {
        const size_t end = message.content.find("\r\n", pos);
        head.push_back(message.content.substr(pos, end - pos));
        pos = end + 2;
    }
    ASSERT_EQ(head.size(), 9u) << message.content;
    EXPECT_EQ(std::vector<std::string>(head.begin(), head.begin() + 6),
              (std::vector<std::string>{"Content-Type: text/plain; charset=windows-1251",
                                        "Content-Transfer-Encoding: 8bit", "From: me@example.com",
                                        "To: anna@example.org", "Reply-To: me@example.com",
                                        "Subject: =?windows-1251?B?" + Base64Encode(Cp(u"С днём рождения!")) + "?="}));
    // "Date: Tue, 05 Mar 2024 10:00:07 +0300"
    const std::string& date = head[6];
    EXPECT_EQ(date.size(), 37u) << date;
    EXPECT_EQ(date.compare(0, 6, "Date: "), 0) << date;
    EXPECT_NE(std::string("MonTueWedThuFriSatSun").find(date.substr(6, 3)), std::string::npos) << date;
    EXPECT_TRUE(date[32] == '+' || date[32] == '-') << date;
    const std::string& id = head[7];
    EXPECT_EQ(id.compare(0, 13, "Message-ID: <"), 0) << id;
    EXPECT_EQ(id.size(), 13u + 32 + std::string("@example.com>").size()) << id;
    EXPECT_EQ(id.substr(13 + 32), "@example.com>");
    EXPECT_EQ(id.substr(13, 32).find_first_not_of("0123456789abcdef"), std::string::npos) << id;
    EXPECT_EQ(head[8], "MIME-Version: 1.0");
    EXPECT_EQ(message.content.substr(headEnd + 4), Cp(u"Дорогая Анна!\r\n.\r\n..две точки\r\nи конец\r\nстроки\r\n"));

    // On the wire: RSET, then MAIL FROM with the size of the message, and the dots doubled.
    ASSERT_TRUE(server.WaitForTranscript("QUIT\r\n"));
    const auto transcripts = server.Transcripts();
    ASSERT_EQ(transcripts.size(), 1u);
    const std::string& wire = transcripts[0];
    EXPECT_EQ(wire.find("AUTH"), std::string::npos);
    const std::string mailFrom = "RSET\r\nMAIL FROM:<me@example.com> SIZE=" + std::to_string(message.content.size()) +
                                 "\r\nRCPT TO:<anna@example.org>\r\nDATA\r\n";
    EXPECT_NE(wire.find(mailFrom), std::string::npos) << wire;
    EXPECT_NE(wire.find(Cp(u"\r\n..\r\n...две точки\r\n")), std::string::npos);
    EXPECT_NE(wire.find(Cp(u"строки\r\n.\r\nQUIT\r\n")), std::string::npos);

    // Idle passes after the QUIT neither connect nor send anything.
    const int calls = run.Calls();
    run.Idle(700);
    EXPECT_GE(run.Calls(), calls + 2);
    EXPECT_EQ(server.Transcripts(), transcripts);
}

TEST(SmtpThread, GreetingsInARowShareOneConnection)
{
    SmtpServer server;
    MailRun run;
    PointAt(run, server);
    run.Add("g1", "one@example.org");
    run.Add("g2", "two@example.org");
    run.Add("g3", "three@example.org");
    run.Start();
    for (const char* name : {"g1", "g2", "g3"})
        EXPECT_EQ(run.WaitFor(name).status, GreetingSent) << name;
    ASSERT_TRUE(server.WaitForTranscript("QUIT\r\n"));
    const auto transcripts = server.Transcripts();
    ASSERT_EQ(transcripts.size(), 1u);
    EXPECT_EQ(Count(transcripts[0], "EHLO "), 1u);
    EXPECT_EQ(Count(transcripts[0], "RSET\r\n"), 3u);
    EXPECT_EQ(Count(transcripts[0], "QUIT\r\n"), 1u);
}

TEST(SmtpThread, LogsInWithTheBestOfferedMechanismPlainAndOverTls)
{
    struct Case {
        std::string offered;
        bool tls;
        std::string used;
    };
    const Case cases[] = {
        {"LOGIN,PLAIN,CRAM-MD5", false, "CRAM-MD5"},
        {"LOGIN,PLAIN", false, "LOGIN"},
        {"PLAIN", false, "PLAIN"},
        {"LOGIN,PLAIN,CRAM-MD5", true, "CRAM-MD5"},
        {"LOGIN", true, "LOGIN"},
        {"PLAIN", true, "PLAIN"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offered + (c.tls ? " over TLS" : ""));
        SmtpServer::Options options;
        options.tls = c.tls;
        options.mechanisms = c.offered;
        options.users = {"sender@example.com:s3cr\xC3\xA9t"};
        SmtpServer server(options);
        std::unique_ptr<TrustCA> trust;
        if (c.tls)
            trust = std::make_unique<TrustCA>(server.CA()->CAFile);
        MailRun run;
        PointAt(run, server, "sender@example.com", "s3cr\xC3\xA9t", c.tls);
        run.Add("g1", "anna@example.org");
        run.Start();
        MailRun::Outcome outcome = run.WaitFor("g1");
        EXPECT_EQ(outcome.status, GreetingSent) << outcome.error << server.Log();
        ASSERT_TRUE(server.WaitForMessages(1));
        EXPECT_EQ(server.Messages()[0].login, "sender@example.com");
        const std::string wire = server.Transcripts().at(0);
        EXPECT_NE(wire.find("AUTH " + c.used), std::string::npos) << wire;
        EXPECT_EQ(Count(wire, "AUTH "), 1u);
    }
}

TEST(SmtpThread, WithoutUserAndPasswordNoAuthIsSentEvenWhenOffered)
{
    SmtpServer::Options options;
    options.users = {"u:p"};
    SmtpServer server(options);
    MailRun run;
    PointAt(run, server);
    run.Add("g1", "anna@example.org");
    run.Start();
    EXPECT_EQ(run.WaitFor("g1").status, GreetingSent);
    ASSERT_TRUE(server.WaitForMessages(1));
    EXPECT_EQ(server.Transcripts().at(0).find("AUTH"), std::string::npos);
}

TEST(SmtpThread, FailuresGiveTheirTextAndTheNextGreetingLogsInAgain)
{
    SmtpServer::Options options;
    options.users = {"u:right"};
    options.rejectRecipient = "nobody";
    SmtpServer server(options);
    LogCapture log;
    MailRun run;
    PointAt(run, server, "u", "right");
    run.Add("rejected", "nobody@example.org");
    run.Add("after", "anna@example.org");
    run.Start();

    MailRun::Outcome rejected = run.WaitFor("rejected");
    EXPECT_EQ(rejected.status, GreetingFailed);
    EXPECT_EQ(rejected.error,
              "[nobody@example.org] 550 - 5.1.1 <nobody@example.org>: Recipient address rejected: User unknown");
    EXPECT_EQ(run.WaitFor("after").status, GreetingSent);
    ASSERT_TRUE(server.WaitForTranscript("QUIT\r\n"));
    // The next greeting logged in anew, on a connection of its own.
    const auto transcripts = server.Transcripts();
    ASSERT_EQ(transcripts.size(), 2u);
    for (const auto& t : transcripts) {
        EXPECT_EQ(Count(t, "EHLO "), 1u);
        EXPECT_EQ(Count(t, "AUTH CRAM-MD5"), 1u);
    }
    EXPECT_NE(transcripts[0].find("RCPT TO:<nobody@example.org>"), std::string::npos);
    EXPECT_NE(transcripts[1].find("RCPT TO:<anna@example.org>"), std::string::npos);
    const auto lines = log.Lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "SMTPThread: 550 - 5.1.1 <nobody@example.org>: Recipient address rejected: User unknown"),
              lines.end());

    // A wrong password.
    run.Settings().Password = "wrong";
    run.Add("badpass", "anna@example.org");
    MailRun::Outcome badPass = run.WaitFor("badpass");
    EXPECT_EQ(badPass.status, GreetingFailed);
    EXPECT_EQ(badPass.error, "[anna@example.org] 535 - 5.7.8 Authentication credentials invalid");

}

TEST(SmtpThread, APasswordChangedBetweenTwoGreetingsMakesTheSecondLogInAgain)
{
    SmtpServer::Options options;
    options.users = {"u:old", "u:new"};
    options.mechanisms = "LOGIN";
    SmtpServer server(options);
    MailRun run;
    PointAt(run, server, "u", "old");
    run.Add("g1", "anna@example.org");
    run.Start();
    EXPECT_EQ(run.WaitFor("g1").status, GreetingSent);

    // The preferences change while the connection is still open.
    run.Settings().Password = "new";
    run.Add("g2", "boris@example.org");
    EXPECT_EQ(run.WaitFor("g2").status, GreetingSent);
    ASSERT_TRUE(server.WaitForMessages(2));
    std::string wire;
    for (const auto& t : server.Transcripts())
        wire += t;
    EXPECT_EQ(Count(wire, "AUTH LOGIN"), 2u);
    EXPECT_NE(wire.find(Base64Encode("old")), std::string::npos);
    EXPECT_NE(wire.find(Base64Encode("new")), std::string::npos);
}

TEST(SmtpThread, AServerWithoutSizeGetsMailFromWithoutIt)
{
    SmtpServer::Options options;
    options.size = false;
    SmtpServer server(options);
    MailRun run;
    PointAt(run, server);
    run.Add("g1", "anna@example.org");
    run.Start();
    EXPECT_EQ(run.WaitFor("g1").status, GreetingSent);
    ASSERT_TRUE(server.WaitForMessages(1));
    EXPECT_NE(server.Transcripts().at(0).find("MAIL FROM:<me@example.com>\r\n"), std::string::npos);
}

TEST(SmtpThread, AServerThatRefusesEhloIsGreetedWithHelo)
{
    SmtpServer::Options options;
    options.ehlo = false;
    SmtpServer server(options);
    MailRun run;
    PointAt(run, server);
    run.Add("g1", "anna@example.org");
    run.Start();
    EXPECT_EQ(run.WaitFor("g1").status, GreetingSent) << server.Log();
    const std::string wire = server.Transcripts().at(0);
    EXPECT_EQ(wire.rfind("EHLO ", 0), 0u);
    EXPECT_NE(wire.find("\r\nHELO "), std::string::npos);
    // Without the extension list there is no SIZE either.
    EXPECT_NE(wire.find("MAIL FROM:<me@example.com>\r\n"), std::string::npos);
}

TEST(SmtpThread, ADeadServerFailsWithTheSocketError)
{
    const int port = FreePort();  // nothing listens there
    MailRun run;
    run.Settings().Host = "127.0.0.1";
    run.Settings().Port = std::to_string(port);
    run.Add("g1", "anna@example.org");
    run.Start();
    MailRun::Outcome outcome = run.WaitFor("g1");
    EXPECT_EQ(outcome.status, GreetingFailed);
    EXPECT_EQ(outcome.error, "[anna@example.org] " + std::to_string(ECONNREFUSED) + " - " + SocketErrorText(ECONNREFUSED));
}

TEST(SmtpThread, TheChecksBeforeSendingStopBadGreetings)
{
    struct Case {
        std::string host, port, recipient, sender;
        std::u16string text;
        std::string shownRecipient;
    };
    const Case cases[] = {
        {"", "25", "a@b.ru", "me@b.ru", SmtpText::NoHost, "a@b.ru"},
        {"  ", "25", "a@b.ru", "me@b.ru", SmtpText::NoHost, "a@b.ru"},
        {"127.0.0.1", "", "a@b.ru", "me@b.ru", SmtpText::NoPort, "a@b.ru"},
        {"127.0.0.1", "25", " \t", "me@b.ru", SmtpText::NoRecipient, ""},
        {"127.0.0.1", "25", "a@b.ru", " ", SmtpText::NoSender, "a@b.ru"},
        {"127.0.0.1", "25", "ab.ru", "me@b.ru", SmtpText::BadRecipient, "ab.ru"},
        {"127.0.0.1", "25", "a@b.ru", "me@ru", SmtpText::BadSender, "a@b.ru"},
        // A line break would let the address write headers and commands of its own.
        {"127.0.0.1", "25", "a@b.ru\r\nBcc: all@example.org", "me@b.ru", SmtpText::BadRecipient,
         "a@b.ru  Bcc: all@example.org"},
        {"127.0.0.1", "25", "a@b.ru", "me@b.ru\nRCPT TO:<x@y.z>", SmtpText::BadSender, "a@b.ru"},
    };
    LogCapture log;
    MailRun run;
    int n = 0;
    for (const Case& c : cases) {
        TMailSettings settings;
        settings.Host = c.host;
        settings.Port = c.port;
        run.Add("c" + std::to_string(n++), c.recipient, u"x", u"x", c.sender, settings);
    }
    run.Start();
    n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.recipient + " / " + c.sender);
        MailRun::Outcome outcome = run.WaitFor("c" + std::to_string(n++));
        EXPECT_EQ(outcome.status, GreetingFailed);
        EXPECT_EQ(outcome.error, "[" + c.shownRecipient + "] " + Cp(c.text));
    }
    const auto lines = log.Lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "SMTPThread: " + Cp(SmtpText::NoHost)), lines.end());
}

TEST(SmtpThread, AHandlerThatFailsNeverMakesAGreetingGoOutTwice)
{
    SmtpServer server;
    TQueuedMainThread main;
    SetMainThread(&main);
    int calls = 0;
    {
        TSMTPThread thread;
        thread.SetIdleWait(100);
        thread.SetOnNextMail([&](TGreeting& working, TMailSettings& settings) {
            ++calls;
            settings.Host = "127.0.0.1";
            settings.Port = server.PortText();
            if (calls > 1)
                throw std::runtime_error("the project is in trouble");
            working.FName = "g";
            working.FRecipient = "anna@example.org";
            working.FSender = "me@example.com";
            working.FText.assign(1, u'x');
        });
        thread.Start();
        EXPECT_TRUE(main.PumpUntil([&] { return calls >= 5; }, std::chrono::seconds(20)));
        thread.Stop();
    }
    SetMainThread(nullptr);
    ASSERT_TRUE(server.WaitForMessages(1));
    EXPECT_EQ(server.Messages().size(), 1u);
}

TEST(SmtpThread, AddressValidity)
{
    struct Case {
        const char* address;
        bool valid;
    };
    const Case cases[] = {
        {"anna@example.org", true},    {" anna@example.org ", true}, {"a@b@c.d", true},
        {"a@b.c.d", true},             {"@example.org", false},      {"anna@", false},
        {"anna@example", false},       {"anna@.org", false},         {"anna@example.", false},
        {"anna.example.org", false},   {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TSMTPThread::IsValidAddress(c.address), c.valid) << c.address;
}

TEST(SmtpThread, StopBreaksAConversationThatHangs)
{
    // A server that accepts the connection and then says nothing.
    int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(listen(listener, 4), 0);
    socklen_t len = sizeof a;
    getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len);

    auto run = std::make_unique<MailRun>();
    run->Settings().Host = "127.0.0.1";
    run->Settings().Port = std::to_string(ntohs(a.sin_port));
    run->Add("g1", "anna@example.org");
    run->Start();
    run->Idle(500);
    const auto start = std::chrono::steady_clock::now();
    run.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    close(listener);
}

TEST(SmtpMessage, DataIsDotStuffedAndSentInBlocksUnder1500Characters)
{
    std::vector<std::string> lines;
    for (int i = 0; i < 40; ++i)
        lines.push_back(std::string(i % 3 == 0 ? "." : "") + std::string(97, 'a' + i % 26));
    lines.push_back(".");
    const auto blocks = TSMTPSend::DataBlocks(lines);
    std::string joined;
    ASSERT_GE(blocks.size(), 4u);
    for (size_t i = 0; i + 1 < blocks.size(); ++i) {
        EXPECT_LT(blocks[i].size(), TSMTPSend::kDataBlock);
        if (i + 2 < blocks.size()) {
            EXPECT_GT(blocks[i].size() + 101, TSMTPSend::kDataBlock) << "a block was sent before it had to be";
        }
        joined += blocks[i];
    }
    EXPECT_EQ(blocks.back(), ".\r\n");
    std::string expected;
    for (const auto& l : lines)
        expected += (l[0] == '.' ? "." : "") + l + "\r\n";
    EXPECT_EQ(joined, expected);
    EXPECT_EQ(joined.substr(joined.size() - 4), "..\r\n");
    EXPECT_EQ(TSMTPSend::DataBlocks({}), std::vector<std::string>{".\r\n"});
}

TEST(SmtpMessage, SubjectsAreEncodedWhenNotPlainAscii)
{
    EXPECT_EQ(TSMTPThread::SubjectLines(u"Happy birthday!"), std::vector<std::string>{"Subject: Happy birthday!"});
    EXPECT_EQ(TSMTPThread::SubjectLines(u"Two\r\nlines"), std::vector<std::string>{"Subject: Two  lines"});

    const std::u16string long16 = u"Поздравляю с днём рождения и желаю всего самого доброго и светлого в новом году жизни!";
    const auto lines = TSMTPThread::SubjectLines(long16);
    ASSERT_GT(lines.size(), 1u);
    std::string decoded;
    const std::string open = "=?windows-1251?B?", close = "?=";
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_LE(lines[i].size(), 76u);
        const std::string prefix = i == 0 ? "Subject: " : " ";
        ASSERT_EQ(lines[i].compare(0, prefix.size() + open.size(), prefix + open), 0) << lines[i];
        ASSERT_EQ(lines[i].compare(lines[i].size() - close.size(), close.size(), close), 0) << lines[i];
        const std::string word = lines[i].substr(prefix.size() + open.size(),
                                                 lines[i].size() - prefix.size() - open.size() - close.size());
        EXPECT_EQ(word.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="),
                  std::string::npos);
        decoded += Base64Decode(word);
    }
    EXPECT_EQ(decoded, Cp(long16));
}

TEST(SmtpMessage, DateHeader)
{
    EXPECT_EQ(TSMTPThread::MailDate(EncodeDateTime(2024, 3, 5, 10, 0, 7), 3.0 / 24), "Tue, 05 Mar 2024 10:00:07 +0300");
    EXPECT_EQ(TSMTPThread::MailDate(EncodeDateTime(2023, 12, 31, 23, 59, 59), -5.5 / 24), "Sun, 31 Dec 2023 23:59:59 -0530");
    EXPECT_EQ(TSMTPThread::MailDate(EncodeDateTime(2024, 1, 1, 0, 0, 0), 0), "Mon, 01 Jan 2024 00:00:00 +0000");
}
