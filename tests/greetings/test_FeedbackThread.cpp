// The feedback sender against the stand-in service: the body's form, the log's tail as
// debug information, failures that make it idle until the next message, cancelling, and
// the stop at shutdown.
#include "greetings/FeedbackThread.h"

#include "core/Logging.h"
#include "core/MainThread.h"
#include "core/Windows1251.h"
#include "greetings/support/Peers.h"
#include "net/Socket.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cerrno>
#include <chrono>

using namespace orlinda;
using namespace orlinda::test;
using Json = nlohmann::json;

namespace {

struct Failure {
    int kind = -1, number = 0;
    std::string response;
};

// A feedback sender whose events are counted on the "user-interface" thread.
class Sender {
public:
    explicit Sender(const std::string& url)
    {
        SetMainThread(&main_);
        thread_ = std::make_unique<TFeedbackThread>();
        thread_->SetServiceUrl(url);
        thread_->SetOnSendStarted([this](TFeedbackThread&) { ++started; });
        thread_->SetOnAllSent([this](TFeedbackThread&) { ++allSent; });
        thread_->SetOnSendFailed([this](TFeedbackThread&, int kind, int number, const std::string& response) {
            failures.push_back({kind, number, response});
        });
        thread_->Start();
    }
    ~Sender()
    {
        thread_->Stop();
        thread_.reset();
        SetMainThread(nullptr);
    }
    TFeedbackThread* operator->() { return thread_.get(); }
    bool PumpUntil(const std::function<bool()>& done, int ms = 20000)
    {
        return main_.PumpUntil(done, std::chrono::milliseconds(ms));
    }

    int started = 0, allSent = 0;
    std::vector<Failure> failures;

private:
    TQueuedMainThread main_;
    std::unique_ptr<TFeedbackThread> thread_;
};

// The main log in a temporary folder for the life of the object.
class MainLog {
public:
    MainLog() { OpenLog(File(), false, true); }
    ~MainLog() { StopLogging(); }
    std::string File() const { return dir_.File("assertions.dat"); }

private:
    TempDir dir_;
};

std::string Utf8(const std::u16string& text)
{
    return Cp1251ToUtf8(Utf16ToCp1251(text));
}

} // namespace

TEST(FeedbackBody, MessageNameAndAddressAreBase64InWindows1251AndFormEncoded)
{
    // Without name and address the separator still follows the message; "+" and "/" of
    // the Base64 text are escaped, its "=" padding is not.
    EXPECT_EQ(TFeedbackThread::MessageBody(u"яяю?", u"", u""),
              "&Action=SendComment&MessageText=%2F%2F%2F%2BPw0KDQotLQ0K&SenderEmail=");
    EXPECT_EQ(TFeedbackThread::MessageBody(u"", u"", u"ab@x.ru"),
              "&Action=SendComment&MessageText=DQoNCi0tDQo=&SenderEmail=YWJAeC5ydQ==");
    EXPECT_EQ(TFeedbackThread::DebugPart(false, "abc"), "&DebugInfo=");
    EXPECT_EQ(TFeedbackThread::DebugPart(true, "a+b/c=="), "&DebugInfo=a%2Bb%2Fc==");
}

TEST(FeedbackThread, AMessageArrivesWithTheTailOfTheLog)
{
    MainLog log;
    std::string content;
    for (int i = 0; content.size() < 300000; ++i)
        content += "01-02-2025 10:00:00 (user) SMTPThread: line " + std::to_string(i % 1000) + "\r\n";
    WriteFile(log.File(), content);

    GreetingService service;
    Sender sender(service.Url("contact.php"));
    sender->SendFeedback(u"Программа не отправляет письма", u"Иван Петров", true, u"ivan@example.org");
    ASSERT_TRUE(sender.PumpUntil([&] { return sender.allSent == 1; }));
    EXPECT_EQ(sender.started, 1);
    EXPECT_TRUE(sender.failures.empty());
    EXPECT_EQ(sender->QueueLength(), 0);
    EXPECT_EQ(sender->ResultKind(), 0);
    EXPECT_EQ(sender->Response(), "OK");

    const auto contacts = service.Contacts();
    ASSERT_EQ(contacts.size(), 1u);
    const Json c = Json::parse(contacts[0]);
    EXPECT_EQ(c["MessageText"], Utf8(u"Программа не отправляет письма\r\n\r\n--\r\nИван Петров"));
    EXPECT_EQ(c["SenderEmail"], "ivan@example.org");
    // The log was cut to its last 262144 bytes on disk, and they went out.
    const std::string tail = content.substr(content.size() - 262144);
    EXPECT_EQ(ReadFile(log.File()), tail);
    EXPECT_EQ(c["DebugInfo"], tail);
    EXPECT_EQ(c["body"].get<std::string>().rfind("&Action=SendComment&MessageText=", 0), 0u);

    // Without debug information the field is there, empty.
    sender->SendFeedback(u"Спасибо!", u"", false, u"");
    ASSERT_TRUE(sender.PumpUntil([&] { return sender.allSent == 2; }));
    const Json second = Json::parse(service.Contacts().at(1));
    EXPECT_EQ(second["fields"]["DebugInfo"], "");
    const std::string body = second["body"];
    EXPECT_EQ(body.substr(body.size() - 11), "&DebugInfo=");
}

TEST(FeedbackThread, OfflineMessagesWaitForTheNextOneAndThenGoInOrder)
{
    GreetingService service;
    const std::string dead = "http://127.0.0.1:" + std::to_string(FreePort()) + "/contact.php";
    Sender sender(dead);
    sender->SendFeedback(u"первое", u"", false, u"");
    sender->SendFeedback(u"второе", u"", false, u"");
    ASSERT_TRUE(sender.PumpUntil([&] { return !sender.failures.empty(); }));
    EXPECT_EQ(sender.failures[0].kind, 3);
    EXPECT_EQ(sender.failures[0].number, ECONNREFUSED);
    EXPECT_TRUE(sender->IsIdle());
    EXPECT_EQ(sender->QueueLength(), 2);
    // Idle: no automatic retry.
    sender.PumpUntil([] { return false; }, 1500);
    EXPECT_EQ(sender.failures.size(), 1u);
    EXPECT_EQ(sender.started, 1);

    sender->SetServiceUrl(service.Url("contact.php"));
    sender->SendFeedback(u"третье", u"", false, u"");
    ASSERT_TRUE(sender.PumpUntil([&] { return sender.allSent == 1; }));
    const auto contacts = service.Contacts();
    ASSERT_EQ(contacts.size(), 3u);
    const char16_t* texts[] = {u"первое", u"второе", u"третье"};
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(Json::parse(contacts[i])["MessageText"], Utf8(std::u16string(texts[i]) + u"\r\n\r\n--\r\n"));
}

TEST(FeedbackThread, AnHttpErrorIsReportedWithItsStatusAndBody)
{
    GreetingService service;
    service.SetMode("http500");
    Sender sender(service.Url("contact.php"));
    sender->SendFeedback(u"текст", u"", true, u"");
    ASSERT_TRUE(sender.PumpUntil([&] { return !sender.failures.empty(); }));
    EXPECT_EQ(sender.failures[0].kind, 2);
    EXPECT_EQ(sender.failures[0].number, 500);
    EXPECT_EQ(sender.failures[0].response, "Internal Server Error");
    EXPECT_EQ(sender->QueueLength(), 1);
}

TEST(FeedbackThread, ACancelDuringAPostIsReportedAsCancelled)
{
    GreetingService service;
    service.SetMode("slow");
    Sender sender(service.Url("contact.php"));
    sender->SendFeedback(u"текст", u"", false, u"");
    ASSERT_TRUE(sender.PumpUntil([&] { return service.Requests().size() == 1; }));
    sender->CancelFeedback();
    ASSERT_TRUE(sender.PumpUntil([&] { return !sender.failures.empty(); }, 5000));
    EXPECT_EQ(sender.failures[0].kind, 100);
    EXPECT_EQ(sender.failures[0].number, 2);
    EXPECT_EQ(sender->QueueLength(), 0);
}

TEST(FeedbackThread, StopBreaksAPostInProgress)
{
    GreetingService service;
    service.SetMode("slow");
    auto sender = std::make_unique<Sender>(service.Url("contact.php"));
    (*sender)->SendFeedback(u"текст", u"", false, u"");
    ASSERT_TRUE(sender->PumpUntil([&] { return service.Requests().size() == 1; }));
    const auto start = std::chrono::steady_clock::now();
    sender.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
}
