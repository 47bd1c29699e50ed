// The three threads plugged into the project: queued e-mail greetings go out through the
// project's dispatch with the mail settings of the settings list, a sent greeting lands
// in the usage history, and the proxy settings reach the greeting and feedback clients.
#include "greetings/GreetingWorkers.h"

#include "core/MainThread.h"
#include "core/OptionsList.h"
#include "core/Scramble.h"
#include "greetings/FeedbackThread.h"
#include "greetings/GreetingThread.h"
#include "greetings/ServiceHost.h"
#include "greetings/SmtpThread.h"
#include "greetings/support/Peers.h"
#include "model/Project.h"
#include "model/SettingsKeys.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>

using namespace orlinda;
using namespace orlinda::test;
using Json = nlohmann::json;

namespace {

class ProjectRun {
public:
    explicit ProjectRun(TOptionsList& settings)
    {
        SetMainThread(&main_);
        project_ = std::make_unique<TProject>(TProjectFiles::InFolder(dir_.Path()), GreetingWorkers({}, &settings),
                                              &settings);
        project_->OnQueueDone = [this] { ++queueDone; };
    }
    ~ProjectRun()
    {
        project_.reset();
        SetMainThread(nullptr);
    }
    TProject& operator*() { return *project_; }
    TProject* operator->() { return project_.get(); }
    bool PumpUntil(const std::function<bool()>& done, int ms = 30000)
    {
        return main_.PumpUntil(done, std::chrono::milliseconds(ms));
    }

    int queueDone = 0;

private:
    TempDir dir_;
    TQueuedMainThread main_;
    std::unique_ptr<TProject> project_;
};

void Queue(TProject& project, const std::string& name, const std::string& recipient, int32_t wish)
{
    auto g = std::make_unique<TGreeting>();
    g->FName = name;
    g->FType = GreetingEmail;
    g->FRecipient = recipient;
    g->FSender = "me@example.com";
    g->FSubject = u"Поздравление";
    g->FText = u"С днём рождения!";
    g->FIdentityCRC = 4242;
    g->FHolidayID = 1;
    g->FWishID = wish;
    g->FDate = EncodeDate(2025, 5, 17);
    project.Greetings().Add(std::move(g));
}

} // namespace

TEST(GreetingWorkers, TheProjectRunsTheThreadsOfThisLayer)
{
    TOptionsList settings;
    {
        ProjectRun project(settings);
        ASSERT_NE(MailThreadOf(*project), nullptr);
        ASSERT_NE(FeedbackThreadOf(*project), nullptr);
        ASSERT_NE(GreetingThreadOf(*project), nullptr);
        EXPECT_EQ(GreetingThreadOf(*project)->ServiceUrl(), ServiceScriptUrl(ServiceBaseUrl(&settings), kGreetingsScript));
    }
    settings.SetValue(kServiceUrlSetting, "http://127.0.0.1:9/base");
    ProjectRun project(settings);
    if (!std::getenv(kServiceUrlVariable)) {
        EXPECT_EQ(GreetingThreadOf(*project)->ServiceUrl(), "http://127.0.0.1:9/base/greetings.php");
        EXPECT_EQ(FeedbackThreadOf(*project)->ServiceUrl(), "http://127.0.0.1:9/base/contact.php");
    }
}

TEST(GreetingWorkers, QueuedEmailGreetingsAreSentAndRecorded)
{
    SmtpServer::Options options;
    options.users = {"me:pa55"};
    options.rejectRecipient = "nobody";
    SmtpServer server(options);
    TOptionsList settings;
    settings.SetValue(SettingsKey::SMTPHost, "127.0.0.1");
    settings.SetValue(SettingsKey::SMTPPort, server.PortText());
    settings.SetValue(SettingsKey::SMTPUser, "me");
    settings.SetValue(SettingsKey::SMTPPass, Scramble("pa55", kPasswordKey));
    ProjectRun project(settings);

    Queue(*project, "a", "anna@example.org", 105);
    Queue(*project, "b", "nobody@example.org", 0);
    ASSERT_TRUE(project.PumpUntil([&] { return project->Greetings().Count() == 0 && project.queueDone > 0; }));
    ASSERT_TRUE(server.WaitForMessages(1));
    EXPECT_EQ(server.Messages().size(), 1u);
    EXPECT_EQ(server.Messages()[0].login, "me");
    EXPECT_EQ(project->FErrors.size(), 1u);
    EXPECT_EQ(project->FErrors.at(0).rfind("[nobody@example.org] 550 - ", 0), 0u);
    EXPECT_EQ(project->FLastErrorChannel, 0);

    TGreetingThread& greeter = *GreetingThreadOf(*project);
    EXPECT_TRUE(greeter.WasGreeted(4242, 1, 2025));
    EXPECT_TRUE(greeter.History().WishUsed(105));
}

TEST(GreetingWorkers, TheProxySettingsReachTheGreetingAndFeedbackClients)
{
    // The stand-in answers requests for a host that does not exist: as a proxy it gets
    // the whole address in the request line.
    GreetingService service;
    TOptionsList settings;
    settings.SetValue(kServiceUrlSetting, "http://service.invalid/orlinda/");
    settings.SetBool(SettingsKey::UseProxy, true);
    settings.SetValue(SettingsKey::ProxyHost, "127.0.0.1");
    settings.SetValue(SettingsKey::ProxyPort, std::to_string(service.Port()));
    if (std::getenv(kServiceUrlVariable))
        GTEST_SKIP() << kServiceUrlVariable << " overrides the setting";
    ProjectRun project(settings);
    project->ApplyProxySettings();

    TGreetingThread& greeter = *GreetingThreadOf(*project);
    TMultiOptions recipients;
    TOptionsList* r = recipients.FindOrAdd("1");
    r->SetValue("FAge", "30");
    r->SetValue("FSex", "2");
    r->SetValue("FStyle", "1");
    r->SetValue("FTarget", "0");
    greeter.SetRecipients(6, &recipients);
    int changed = 0;
    greeter.SetOnGreetingsChanged([&] { ++changed; });
    TOptionsList out;
    ASSERT_EQ(greeter.GetNextGreeting(1, &out), TGreetingThread::Loading);
    ASSERT_TRUE(project.PumpUntil([&] { return changed > 0; }));
    EXPECT_EQ(greeter.GetNextGreeting(1, &out), TGreetingThread::Found);

    TFeedbackThread& feedback = *FeedbackThreadOf(*project);
    int sent = 0;
    feedback.SetOnAllSent([&](TFeedbackThread&) { ++sent; });
    feedback.SendFeedback(u"Через прокси", u"", false, u"");
    ASSERT_TRUE(project.PumpUntil([&] { return sent > 0; }));

    const auto requests = service.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(Json::parse(requests[0])["path"], "http://service.invalid/orlinda/greetings.php");
    EXPECT_EQ(Json::parse(requests[1])["path"], "http://service.invalid/orlinda/contact.php");
}
