// Greeting dispatch: the senders hand back their greeting and take the next of their kind.
#include "ProjectFixture.h"

#include "core/MainThread.h"
#include "core/Scramble.h"
#include "core/Windows1251.h"
#include "model/SettingsKeys.h"
#include "model/UsageHistory.h"

#include <thread>

using namespace orlinda;
using namespace orlinda::test;

namespace {

struct Usage {
    int32_t crc, holiday, wish, year;
    bool operator==(const Usage&) const = default;
};

class RecordingGreeter : public GreetingClient {
public:
    explicit RecordingGreeter(std::vector<Usage>& usage) : usage_(usage) {}
    void SetHistoryFolder(const std::string&) override {}
    void SetPendingFile(const std::string&) override {}
    void SetProxy(const TProxySettings&) override {}
    void RecordUsage(int32_t crc, int32_t holiday, int32_t wish, int32_t year) override
    {
        usage_.push_back({crc, holiday, wish, year});
    }
    TUsageHistory& History() override { return history_; }
    void Start() override {}
    void Stop() override {}

private:
    std::vector<Usage>& usage_;
    TUsageHistory history_;
};

class DispatchTest : public ProjectTest {
protected:
    TProjectWorkers Workers() override
    {
        TProjectWorkers w;
        w.greetings = [this] { return std::make_unique<RecordingGreeter>(usage_); };
        return w;
    }
    void SetUp() override
    {
        ProjectTest::SetUp();
        P().OnGreetingStarted = [this] { ++started_; };
        P().OnQueueDone = [this] { ++done_; };
    }

    TGreeting* Queue(const std::string& key, int type, const std::string& recipient = "r@example.org")
    {
        auto g = std::make_unique<TGreeting>();
        g->FName = key;
        g->FType = type;
        g->FRecipient = recipient;
        g->FIdentityCRC = 1000 + static_cast<int>(key.back());
        g->FHolidayID = 1;
        g->FWishID = 77;
        g->FDate = At(2026, 12, 31);
        TGreeting* raw = g.get();
        P().Greetings().Add(std::move(g));
        return raw;
    }
    // One pass of a sender: hand back the working copy with an outcome, take the next.
    void Mail(TGreeting& working) { P().OnNextMail(working, mail_); }
    void Social(TGreeting& working) { P().OnGreeting(working); }
    static void Outcome(TGreeting& working, int status, const std::string& error = "")
    {
        working.FStatus = status;
        working.FErrorStr = error;
    }
    std::vector<std::string> QueuedKeys()
    {
        std::vector<std::string> keys;
        for (int i = 0; i < P().Greetings().Count(); ++i)
            keys.push_back(P().Greetings().Get(i)->FName);
        return keys;
    }

    std::vector<Usage> usage_;
    TMailSettings mail_;
    int started_ = 0, done_ = 0;
};

TEST_F(DispatchTest, EachSenderTakesItsOwnKindAndTheRunEndsWhenBothAreDone)
{
    Queue("E1", GreetingEmail);
    Queue("V1", GreetingVkontakteMessage);
    Queue("E2", GreetingEmail);

    TGreeting mail, social;
    Mail(mail);
    EXPECT_EQ(mail.FName, "E1");
    EXPECT_EQ(mail.FStatus, GreetingWaiting);
    EXPECT_EQ(mail.FOwner, nullptr); // the thread's copy stands alone
    EXPECT_EQ(P().Greetings().FindByName("E1")->FStatus, GreetingSending);
    Social(social);
    EXPECT_EQ(social.FName, "V1");
    EXPECT_EQ(started_, 2);

    Outcome(mail, GreetingSent);
    Mail(mail);
    EXPECT_EQ(mail.FName, "E2");
    Outcome(mail, GreetingSent);
    Mail(mail);
    EXPECT_EQ(mail.FName, "");
    EXPECT_EQ(done_, 0); // the VKontakte greeting is still queued
    Mail(mail);
    EXPECT_EQ(done_, 0);

    Outcome(social, GreetingSent);
    Social(social);
    EXPECT_EQ(social.FName, "");
    EXPECT_EQ(done_, 1);
    Mail(mail); // idle calls report the empty queue again
    EXPECT_EQ(done_, 2);
    EXPECT_TRUE(P().Greetings().Count() == 0);
    EXPECT_TRUE(P().FErrors.empty());
    ASSERT_EQ(usage_.size(), 3u);
    // Recorded with the year of the occasion, not of the sending day.
    EXPECT_EQ(usage_[0], (Usage{1000 + '1', 1, 77, 2026}));
}

TEST_F(DispatchTest, FatalFailureRemovesTheRestOfItsChannelOnly)
{
    Queue("V1", GreetingVkontakteMessage);
    Queue("W1", GreetingVkontakteWall);
    Queue("V2", GreetingVkontakteMessage);
    Queue("E1", GreetingEmail);
    Queue("V3", GreetingVkontakteMessage);

    TGreeting social;
    Social(social);
    ASSERT_EQ(social.FName, "V1");
    Outcome(social, GreetingFailedFatally, "Не удалось войти");
    social.FErrorStr = Utf16ToCp1251(u"Не удалось войти");
    Social(social);
    EXPECT_EQ(QueuedKeys(), (std::vector<std::string>{"W1", "E1"}));
    EXPECT_EQ(social.FName, "W1");
    ASSERT_EQ(P().FErrors.size(), 1u);
    EXPECT_EQ(Cp1251ToUtf16(P().FErrors[0]), u"[Вконтакте] Не удалось войти");
    EXPECT_EQ(P().FLastErrorChannel, 1);

    Outcome(social, GreetingFailed, "Private messages are closed");
    social.FRecipient = "https://vk.example/id5";
    Social(social);
    EXPECT_EQ(P().FErrors.back(), "[https://vk.example/id5] Private messages are closed");
    EXPECT_TRUE(usage_.empty());
}

TEST_F(DispatchTest, OdnoklassnikiFatalFailureNamesTheNetwork)
{
    Queue("O1", GreetingOdnoklassnikiForum);
    TGreeting social;
    Social(social);
    Outcome(social, GreetingFailedFatally, "down");
    Social(social);
    EXPECT_EQ(Cp1251ToUtf16(P().FErrors.at(0)), u"[Одноклассники] down");
}

TEST_F(DispatchTest, MailFailuresKeepTheSendersLine)
{
    Queue("E1", GreetingEmail);
    TGreeting mail;
    Mail(mail);
    P().FLastErrorChannel = 1;
    Outcome(mail, GreetingFailed, "[r@example.org] 550 No such user");
    Mail(mail);
    EXPECT_EQ(P().FErrors, std::vector<std::string>{"[r@example.org] 550 No such user"});
    EXPECT_EQ(P().FLastErrorChannel, 0);
    EXPECT_EQ(P().Greetings().Count(), 0);
}

TEST_F(DispatchTest, GreetingRemovedWhileBeingSentIsNotRecorded)
{
    Queue("E1", GreetingEmail);
    TGreeting mail;
    Mail(mail);
    P().Greetings().Delete(0); // the user emptied the queue
    Outcome(mail, GreetingSent);
    Mail(mail);
    EXPECT_TRUE(usage_.empty());
    EXPECT_EQ(mail.FName, "");
    EXPECT_EQ(done_, 1);
}

TEST_F(DispatchTest, HandlerFailuresInTheWindowAreSwallowed)
{
    P().OnGreetingStarted = [] { throw std::runtime_error("window trouble"); };
    Queue("E1", GreetingEmail);
    TGreeting mail;
    EXPECT_NO_THROW(Mail(mail));
    EXPECT_EQ(mail.FName, "E1");
}

TEST_F(DispatchTest, MailSettingsComeFromTheSettings)
{
    settings_.SetValue(SettingsKey::SMTPHost, "127.0.0.1");
    settings_.SetValue(SettingsKey::SMTPPort, "2525");
    settings_.SetValue(SettingsKey::SMTPUser, "me");
    settings_.SetValue(SettingsKey::SMTPPass, Scramble("pa55", kPasswordKey));
    settings_.SetBool(SettingsKey::SMTPSSL, true);
    TGreeting mail;
    Mail(mail);
    EXPECT_EQ(mail_.Host, "127.0.0.1");
    EXPECT_EQ(mail_.Port, "2525");
    EXPECT_EQ(mail_.User, "me");
    EXPECT_EQ(mail_.Password, "pa55");
    EXPECT_TRUE(mail_.SSL);
}

// A sender thread calls through the main-thread interface; the handler runs on the
// main thread when the test pumps.
TEST_F(DispatchTest, SenderThreadsAreServedOnTheMainThread)
{
    TQueuedMainThread mainThread;
    Queue("E1", GreetingEmail);
    Queue("E2", GreetingEmail);
    std::vector<std::string> sent;
    std::thread::id handlerThread;
    P().OnGreetingStarted = [&] { handlerThread = std::this_thread::get_id(); };

    std::thread sender([&] {
        TGreeting working;
        TMailSettings settings;
        for (int pass = 0; pass < 3; ++pass) {
            mainThread.invoke([&] { P().OnNextMail(working, settings); });
            if (working.FName.empty())
                break;
            sent.push_back(working.FName);
            working.FStatus = GreetingSent;
        }
    });
    EXPECT_TRUE(mainThread.PumpUntil([&] { return done_ > 0; }, std::chrono::seconds(10)));
    sender.join();
    EXPECT_EQ(sent, (std::vector<std::string>{"E1", "E2"}));
    EXPECT_EQ(handlerThread, std::this_thread::get_id());
    EXPECT_EQ(usage_.size(), 2u);
}

} // namespace
