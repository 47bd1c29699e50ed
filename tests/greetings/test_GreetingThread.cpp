// The greeting service client against the stand-in service (and a canned server for
// answers the stand-in does not give): the request parameters, batches and exhaustion,
// suitability, failures and retry, usage reports, blocked greetings, typed texts, the
// argument checks and the stop during a request.
#include "greetings/GreetingThread.h"

#include "core/Log.h"
#include "core/MainThread.h"
#include "core/Scramble.h"
#include "greetings/support/Peers.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <map>
#include <set>

using namespace orlinda;
using namespace orlinda::test;
using Json = nlohmann::json;

namespace {

struct Person {
    int32_t crc;
    std::string age, sex, style, target;  // "" leaves the key out
};

std::unique_ptr<TMultiOptions> Recipients(const std::vector<Person>& people)
{
    auto list = std::make_unique<TMultiOptions>();
    for (const Person& p : people) {
        TOptionsList* s = list->FindOrAdd(std::to_string(p.crc));
        s->SetValue("FAge", p.age);
        s->SetValue("FSex", p.sex);
        s->SetValue("FStyle", p.style);
        s->SetValue("FTarget", p.target);
    }
    return list;
}

// A greeting client on its own history, its events counted on the "user-interface" thread.
class Client {
public:
    explicit Client(const std::string& url, const TClock* clock = nullptr)
    {
        SetClock(clock);
        SetMainThread(&main_);
        thread_ = std::make_unique<TGreetingThread>();
        thread_->SetServiceUrl(url);
        thread_->SetHistoryFolder(dir_.File("history/"));
        thread_->SetPendingFile(dir_.File("history.dat"));
        thread_->SetOnRequestStarted([this] {
            ++started;
            startedAt = std::chrono::steady_clock::now();
        });
        thread_->SetOnRequestFinished([this] { ++finished; });
        thread_->SetOnGreetingsChanged([this] {
            ++changed;
            changedAt = std::chrono::steady_clock::now();
        });
        thread_->Start();
    }
    ~Client()
    {
        thread_->Stop();
        thread_.reset();
        SetMainThread(nullptr);
        SetClock(nullptr);
    }

    TGreetingThread& operator*() { return *thread_; }
    TGreetingThread* operator->() { return thread_.get(); }
    TQueuedMainThread& Main() { return main_; }

    // GetNextGreeting, waiting through "loading" the way the chooser does.
    int Next(int32_t crc, TOptionsList& out)
    {
        for (int round = 0; round < 20; ++round) {
            const int before = changed;
            const int r = thread_->GetNextGreeting(crc, &out);
            if (r != TGreetingThread::Loading)
                return r;
            if (!main_.PumpUntil([&] { return changed > before; }, std::chrono::seconds(20)))
                return -100;
            // The chooser looks again 50 ms after the event.
            main_.PumpUntil([] { return false; }, std::chrono::milliseconds(60));
        }
        return -101;
    }
    // Every service greeting the recipient is offered, in order, until the answer is not Found.
    std::vector<std::string> WalkAll(int32_t crc, int* last = nullptr)
    {
        std::vector<std::string> ids;
        TOptionsList out;
        int r;
        while ((r = Next(crc, out)) == TGreetingThread::Found)
            ids.push_back(out.FSectionName);
        if (last)
            *last = r;
        return ids;
    }
    std::string WishOf(int32_t crc)
    {
        TOptionsList current;
        thread_->GetCurrentGreeting(crc, &current);
        return current.GetValue("WishID");
    }
    void Pump(int ms) { main_.PumpUntil([] { return false; }, std::chrono::milliseconds(ms)); }

    int started = 0, finished = 0, changed = 0;
    std::chrono::steady_clock::time_point startedAt, changedAt;

private:
    TempDir dir_;
    TQueuedMainThread main_;
    std::unique_ptr<TGreetingThread> thread_;
};

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
    std::vector<std::string> Take()
    {
        std::lock_guard guard(mutex_);
        return std::exchange(lines_, {});
    }

private:
    TLogWriter previous_;
    std::mutex mutex_;
    std::vector<std::string> lines_;
};

Json Corpus()
{
    return Json::parse(ReadFile(SourceDir() + "/tests/servers/greetings_corpus.json"));
}

// The corpus entries the client offers a recipient on a holiday, in WishID order.
std::set<std::string> SuitableInCorpus(int holiday, int age, int sex, int style, int target)
{
    std::set<std::string> ids;
    for (const auto& e : Corpus()) {
        auto fits = [](int entry, int wanted) { return entry == 0 || entry == wanted; };
        if (!fits(e["FHolidayUID"], holiday) || !fits(e["FSex"], sex) || !fits(e["FStyle"], style) ||
            !fits(e["FTarget"], target))
            continue;
        const int minAge = e["FMinAge"], maxAge = e["FMaxAge"];
        if (age > 0 && ((minAge && age < minAge) || (maxAge && age > maxAge)))
            continue;
        ids.insert(std::to_string(e["WishID"].get<int>()));
    }
    return ids;
}

std::set<std::string> AsSet(const std::vector<std::string>& v)
{
    return {v.begin(), v.end()};
}

} // namespace

TEST(GreetingThread, TheRequestCarriesTheCommonFiltersOfTheRecipients)
{
    struct Case {
        std::string what;
        std::vector<Person> people;
        std::string filters;
    };
    const Case cases[] = {
        {"same sex and style, different targets",
         {{1, "30", "2", "1", "3"}, {2, "25", "2", "1", "8"}},
         "&Param5=2&Param6=1"},
        {"nobody has a stored style: style 1",
         {{1, "30", "1", "", ""}, {2, "40", "1", "", ""}},
         "&Param5=1&Param6=1"},
        {"one recipient: all three",
         {{1, "30", "2", "2", "11"}},
         "&Param5=2&Param6=2&Param7=11"},
        {"mixed sexes, a style that is no number counts as 1",
         {{1, "30", "1", "x", "0"}, {2, "30", "2", "1", "0"}},
         "&Param6=1"},
        {"nothing in common", {{1, "30", "1", "1", "1"}, {2, "30", "2", "2", "2"}}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TGreetingThread thread;  // not started: no exchange
        auto recipients = Recipients(c.people);
        thread.SetRecipients(1, recipients.get());
        EXPECT_EQ(thread.GetGreetingsBody(), "&Action=GetGreetings&Param2=1&Param3=0&Param4=0" + c.filters + "&Param8=1");
    }
}

TEST(GreetingThread, BatchesComeUntilTheServiceHasNoMoreAndThenNoRequestIsMade)
{
    GreetingService service(3);
    Client client(service.Url("greetings.php"));
    auto recipients = Recipients({{7, "30", "2", "1", "0"}});
    client->SetRecipients(6, recipients.get());

    int last = 0;
    const auto offered = client.WalkAll(7, &last);
    EXPECT_EQ(last, TGreetingThread::NoMoreGreetings);
    EXPECT_EQ(AsSet(offered), SuitableInCorpus(6, 30, 2, 1, 0));
    EXPECT_EQ(offered.size(), AsSet(offered).size()) << "a greeting was offered twice";
    EXPECT_TRUE(client->Exhausted());

    // Each batch asked for the next one; the first carried Param8, the later ones not.
    const auto bodies = service.Bodies("greetings.php");
    ASSERT_GE(bodies.size(), 3u);
    EXPECT_EQ(bodies[0], "&Action=GetGreetings&Param2=6&Param3=0&Param4=0&Param5=2&Param6=1&Param8=1");
    for (size_t i = 1; i < bodies.size(); ++i)
        EXPECT_EQ(bodies[i], "&Action=GetGreetings&Param2=6&Param3=0&Param4=" + std::to_string(i) + "&Param5=2&Param6=1");
    EXPECT_EQ(client->BatchCount(), static_cast<int>(bodies.size()) - 1);
    EXPECT_EQ(client.started, static_cast<int>(bodies.size()));
    EXPECT_EQ(client.finished, client.started);

    // Exhausted: "no more" at once, without asking again.
    TOptionsList out;
    EXPECT_EQ(client->GetNextGreeting(7, &out), TGreetingThread::NoMoreGreetings);
    client.Pump(200);
    EXPECT_EQ(service.Bodies("greetings.php").size(), bodies.size());

    // Back through the pool to the first one.
    std::vector<std::string> back;
    while (client->IsPrevAvailable(7)) {
        ASSERT_EQ(client->GetPrevGreeting(7, &out), TGreetingThread::Found);
        back.push_back(out.FSectionName);
        EXPECT_EQ(out.GetValue("FHolidayUID").empty(), false);
    }
    std::vector<std::string> expectedBack(offered.rbegin() + 1, offered.rend());
    EXPECT_EQ(back, expectedBack);
    EXPECT_EQ(client->GetPrevGreeting(7, &out), TGreetingThread::BadArguments);
}

TEST(GreetingThread, ABatchIsAddedInRandomOrderAndARepeatedGreetingIsReplacedInPlace)
{
    auto section = [](int id, const std::string& text, int sex = 0) {
        return "[" + std::to_string(id) + "]\r\nFText=" + Scramble(text, "Korvin") + "\r\nFSex=" + std::to_string(sex) +
               "\r\nExtra=kept\r\n";
    };
    CannedHttpServer server({
        "[General]\r\n" + section(5, "five") + section(17, "seventeen") + section(3, "three") + "[Other]\r\nx=1\r\n",
        "[General]\r\n" + section(17, "seventeen again", 2) + section(20, "twenty"),
        "[General]\r\n",
    });
    Client client(server.Url("/greetings.php"));
    auto recipients = Recipients({{1, "20", "1", "1", "0"}});
    client->SetRecipients(2, recipients.get());

    TOptionsList out;
    ASSERT_EQ(client.Next(1, out), TGreetingThread::Found);
    auto first = client->PoolNames();
    EXPECT_EQ(std::set<std::string>(first.begin(), first.end()), (std::set<std::string>{"3", "5", "17"}));
    EXPECT_EQ(out.GetValue("Extra"), "kept");
    EXPECT_EQ(out.GetValue("FText"), first[0] == "5" ? "five" : first[0] == "3" ? "three" : "seventeen");

    // Walk on until the second batch has come.
    while (client->PoolNames().size() < 4)
        ASSERT_EQ(client.Next(1, out), TGreetingThread::Found);
    auto second = client->PoolNames();
    EXPECT_EQ(std::vector<std::string>(second.begin(), second.begin() + 3), first);
    EXPECT_EQ(second[3], "20");
    EXPECT_NE(client->PoolEntryText("17").find("FText=seventeen again"), std::string::npos);
    EXPECT_NE(client->PoolEntryText("17").find("FSex=2"), std::string::npos);
    EXPECT_EQ(client->BatchCount(), 2);
}

TEST(GreetingThread, AnEmptyAnswerForANewHolidayMeansNoMoreForEveryone)
{
    GreetingService service;
    service.SetMode("empty");
    Client client(service.Url("greetings.php"));
    auto recipients = Recipients({{1, "30", "1", "1", "0"}, {2, "0", "2", "1", "0"}});
    client->SetRecipients(3, recipients.get());
    TOptionsList out;
    EXPECT_EQ(client.Next(1, out), TGreetingThread::NoMoreGreetings);
    // A child under one year passes every age test, but the placeholder is nobody's.
    EXPECT_EQ(client->GetNextGreeting(2, &out), TGreetingThread::NoMoreGreetings);
    EXPECT_EQ(client->PoolNames(), std::vector<std::string>{""});
    EXPECT_EQ(client->BatchCount(), 0);
    client.Pump(200);
    EXPECT_EQ(service.Bodies("greetings.php").size(), 1u);
}

TEST(GreetingThread, FailuresAreReportedAndRetryAsksAgain)
{
    struct Case {
        std::string mode;
        int result;         // what the recipient is told
        bool greetingsKept; // the answer's greetings went into the pool
    };
    const Case cases[] = {
        {"http500", TGreetingThread::ServiceFailed, false},
        {"refuse", TGreetingThread::ServiceFailed, false},
        {"html", TGreetingThread::ServiceFailed, false},
        {"nogeneral", TGreetingThread::Found, true},
    };
    GreetingService service(4);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        service.SetMode(c.mode);
        Client client(service.Url("greetings.php"));
        auto recipients = Recipients({{1, "30", "1", "1", "0"}});
        client->SetRecipients(1, recipients.get());
        TOptionsList out;
        EXPECT_EQ(client.Next(1, out), c.result);
        EXPECT_TRUE(client->Failed());
        EXPECT_EQ(client->PoolNames().empty(), !c.greetingsKept);
        EXPECT_TRUE(client.Main().PumpUntil([&] { return client.finished == 1; }, std::chrono::seconds(5)));

        service.SetMode("normal");
        const int r = client->RetryGreeting(1, &out);
        EXPECT_EQ(r, c.greetingsKept ? TGreetingThread::Found : TGreetingThread::Loading);
        EXPECT_EQ(client.Next(1, out), TGreetingThread::Found);
        EXPECT_FALSE(client->Failed());
    }

    // Nobody listening.
    Client dead("http://127.0.0.1:" + std::to_string(FreePort()) + "/greetings.php");
    auto recipients = Recipients({{1, "30", "1", "1", "0"}});
    dead->SetRecipients(1, recipients.get());
    TOptionsList out;
    EXPECT_EQ(dead.Next(1, out), TGreetingThread::ServiceFailed);
    // Opening the chooser again clears the failure.
    dead->SetRecipients(1, recipients.get());
    EXPECT_FALSE(dead->Failed());
}

TEST(GreetingThread, AFetchShowsLoadingForAtLeastASecond)
{
    GreetingService service;
    Client client(service.Url("greetings.php"));
    auto recipients = Recipients({{1, "30", "1", "1", "0"}});
    client->SetRecipients(5, recipients.get());
    const int changedBySetRecipients = client.changed;
    TOptionsList out;
    EXPECT_EQ(client->GetNextGreeting(1, &out), TGreetingThread::Loading);
    EXPECT_EQ(client->GetNextGreeting(1, &out), TGreetingThread::Loading);
    ASSERT_TRUE(client.Main().PumpUntil([&] { return client.finished == 1; }, std::chrono::seconds(20)));
    EXPECT_EQ(client.started, 1);
    EXPECT_EQ(client.changed, changedBySetRecipients + 1);
    EXPECT_GE(client.changedAt - client.startedAt, std::chrono::milliseconds(950));
    EXPECT_EQ(client->GetNextGreeting(1, &out), TGreetingThread::Found);
}

TEST(GreetingThread, SentGreetingsAreReportedAndNeverOfferedAgain)
{
    GreetingService service(50);
    ShiftedClock clock;
    Client client(service.Url("greetings.php"), &clock);
    auto recipients = Recipients({{11, "30", "2", "1", "0"}, {12, "30", "2", "1", "0"}});
    client->SetRecipients(6, recipients.get());

    TOptionsList out;
    ASSERT_EQ(client.Next(11, out), TGreetingThread::Found);
    const std::string sent = out.FSectionName;
    // The greeting is sent to the first person: the second is never offered it.
    client->RecordUsage(11, 6, std::stoi(sent), 2025);
    EXPECT_TRUE(client->WasGreeted(11, 6, 2025));
    EXPECT_FALSE(client->WasGreeted(12, 6, 2025));
    const auto offered = client.WalkAll(12);
    EXPECT_FALSE(offered.empty());
    EXPECT_EQ(std::count(offered.begin(), offered.end(), sent), 0);

    // 30 s later the pending line is reported, numbered by the service and confirmed.
    EXPECT_TRUE(client->History().PendingLines().size() == 1);
    clock.Shift(31000);
    ASSERT_TRUE(WaitUntil([&] { return client->History().PendingLines().empty(); }, 10000));
    const auto saves = service.Bodies("greetings.php");
    EXPECT_EQ(saves.back(), "&Action=SaveUsage&Param2=11;6;" + sent + ";2025&Param3=0");
    ASSERT_EQ(client->History().ConfirmedRecords().size(), 1u);
    EXPECT_EQ(client->History().ConfirmedRecords()[0].number, 1);
    EXPECT_EQ(client->History().ConfirmedRecords()[0].wish, std::stoi(sent));

    // A new holiday asks with the highest confirmed number, and the sent greeting stays out.
    client->SetRecipients(0, recipients.get());
    const auto anyHoliday = client.WalkAll(12);
    EXPECT_EQ(std::count(anyHoliday.begin(), anyHoliday.end(), sent), 0);
    EXPECT_NE(service.Bodies("greetings.php").back().find("&Param3=1&"), std::string::npos);
}

TEST(GreetingThread, AFailedUsageReportWaitsForTheChooser)
{
    GreetingService service;
    ShiftedClock clock;
    Client client(service.Url("greetings.php"), &clock);
    service.SetMode("http500");
    client->RecordUsage(5, 1, 101, 2025);
    clock.Shift(31000);
    ASSERT_TRUE(WaitUntil([&] { return client->Failed(); }, 10000));
    clock.Shift(31000);
    client.Pump(1500);
    EXPECT_EQ(service.Bodies("greetings.php").size(), 1u);

    service.SetMode("normal");
    auto recipients = Recipients({{5, "30", "1", "1", "0"}});
    client->SetRecipients(1, recipients.get());
    ASSERT_TRUE(WaitUntil([&] { return client->History().PendingLines().empty(); }, 10000));
    EXPECT_EQ(client->History().ConfirmedRecords().size(), 1u);
}

TEST(GreetingThread, ABlockedGreetingIsNeverShownAgain)
{
    GreetingService service(50);
    Client client(service.Url("greetings.php"));
    auto recipients = Recipients({{1, "30", "1", "1", "0"}});
    client->SetRecipients(1, recipients.get());
    TOptionsList out;
    ASSERT_EQ(client.Next(1, out), TGreetingThread::Found);
    const std::string first = out.FSectionName;
    ASSERT_EQ(client.Next(1, out), TGreetingThread::Found);
    const std::string banned = out.FSectionName;
    EXPECT_EQ(client->BanGreeting(1), 0);
    EXPECT_EQ(client->GetPrevGreeting(1, &out), TGreetingThread::Found);
    EXPECT_EQ(out.FSectionName, first);
    EXPECT_FALSE(client->IsPrevAvailable(1));
    std::vector<std::string> rest = client.WalkAll(1);
    EXPECT_EQ(std::count(rest.begin(), rest.end(), banned), 0);
    while (client->GetPrevGreeting(1, &out) == TGreetingThread::Found)
        EXPECT_NE(out.FSectionName, banned);
}

TEST(GreetingThread, ATypedTextIsKeptAndNextGoesOnFromTheLastServiceGreeting)
{
    GreetingService service(50);
    Client client(service.Url("greetings.php"));
    auto recipients = Recipients({{1, "30", "1", "1", "0"}});
    client->SetRecipients(1, recipients.get());
    TOptionsList out;
    ASSERT_EQ(client.Next(1, out), TGreetingThread::Found);
    ASSERT_EQ(client.Next(1, out), TGreetingThread::Found);
    const auto pool = client->PoolNames();
    const size_t at = std::find(pool.begin(), pool.end(), out.FSectionName) - pool.begin();

    EXPECT_EQ(client->SetCurrentGreeting(1, "Мой собственный текст"), 0);
    TOptionsList current;
    EXPECT_EQ(client->GetCurrentGreeting(1, &current), 0);
    EXPECT_EQ(current.Count(), 1);
    EXPECT_EQ(current.GetValue("FText"), "Мой собственный текст");
    EXPECT_EQ(current.GetValue("WishID"), "");

    ASSERT_EQ(client.Next(1, out), TGreetingThread::Found);
    EXPECT_GT(std::find(pool.begin(), pool.end(), out.FSectionName) - pool.begin(), static_cast<long>(at));
    EXPECT_EQ(client->GetCurrentGreeting(1, &current), 0);
    EXPECT_EQ(current.GetValue("WishID"), out.FSectionName);
    // Nothing suitable lies between: back lands on the greeting shown before the typing.
    ASSERT_EQ(client->GetPrevGreeting(1, &out), TGreetingThread::Found);
    EXPECT_EQ(out.FSectionName, pool[at]);
}

TEST(GreetingThread, SetRecipientsKeepsThePoolUnlessHolidayOrFiltersChange)
{
    GreetingService service(50);
    Client client(service.Url("greetings.php"));
    auto both = Recipients({{1, "30", "1", "1", "0"}, {2, "35", "1", "1", "0"}});
    client->SetRecipients(5, both.get());
    TOptionsList out;
    ASSERT_EQ(client.Next(1, out), TGreetingThread::Found);
    const auto pool = client->PoolNames();

    // The same holiday and filters: the pool and the states stay; a dropped recipient goes.
    const std::string shown = out.FSectionName;
    auto one = Recipients({{1, "31", "1", "1", "0"}});
    client->SetRecipients(5, one.get());
    EXPECT_EQ(client->PoolNames(), pool);
    EXPECT_EQ(client.WishOf(1), shown);
    LogCapture log;
    EXPECT_EQ(client->GetNextGreeting(2, &out), TGreetingThread::BadArguments);
    EXPECT_EQ(log.Take(), std::vector<std::string>{"GNG: Identity not found"});

    // The single recipient's target becomes the target filter: the pool starts again.
    auto withTarget = Recipients({{1, "31", "1", "1", "5"}});
    client->SetRecipients(5, withTarget.get());
    EXPECT_EQ(client->Filters(), (std::vector<int32_t>{1, 1, 5}));
    EXPECT_TRUE(client->PoolNames().empty());
    EXPECT_EQ(client.WishOf(1), "");
    EXPECT_EQ(client->BatchCount(), 0);

    // A negative holiday or no list changes nothing.
    client->SetRecipients(-1, both.get());
    client->SetRecipients(3, nullptr);
    EXPECT_EQ(client->HolidayUID(), 5);
}

TEST(GreetingThread, ABatchAskedForBeforeTheRecipientsChangedIsDropped)
{
    GreetingService service;
    service.SetMode("slow");
    Client client(service.Url("greetings.php"));
    auto first = Recipients({{1, "30", "1", "1", "0"}});
    client->SetRecipients(5, first.get());
    TOptionsList out;
    EXPECT_EQ(client->GetNextGreeting(1, &out), TGreetingThread::Loading);
    // The request is on its way (the service holds its answer for two seconds).
    ASSERT_TRUE(client.Main().PumpUntil([&] { return service.Bodies("greetings.php").size() == 1; },
                                        std::chrono::seconds(10)));
    client->SetRecipients(6, first.get());
    ASSERT_TRUE(client.Main().PumpUntil([&] { return client.finished == 1; }, std::chrono::seconds(20)));
    EXPECT_TRUE(client->PoolNames().empty());
    EXPECT_FALSE(client->Exhausted());
}

TEST(GreetingThread, BadArgumentsAreLoggedAndAnswerMinusOne)
{
    TGreetingThread thread;
    auto recipients = Recipients({{1, "30", "1", "1", "0"}});
    thread.SetRecipients(1, recipients.get());
    TOptionsList out;
    LogCapture log;
    struct Case {
        std::function<int()> call;
        std::string line;
    };
    const Case cases[] = {
        {[&] { return thread.GetCurrentGreeting(1, nullptr); }, "GCG: No greeting assinged"},
        {[&] { return thread.GetCurrentGreeting(9, &out); }, "GCG: Identity not found"},
        {[&] { return thread.SetCurrentGreeting(9, "x"); }, "SCG: Identity not found"},
        {[&] { return thread.GetNextGreeting(1, nullptr); }, "GNG: No greeting assinged"},
        {[&] { return thread.GetNextGreeting(9, &out); }, "GNG: Identity not found"},
        {[&] { return thread.GetPrevGreeting(1, nullptr); }, "GPG: No greeting assinged"},
        {[&] { return thread.GetPrevGreeting(9, &out); }, "GPG: Identity not found"},
        {[&] { return thread.IsPrevAvailable(9) ? 0 : -1; }, "IPA: Identity not found"},
        {[&] { return thread.BanGreeting(9); }, "BG: Identity not found"},
        {[&] { return thread.RetryGreeting(1, nullptr); }, "R: No greeting assinged"},
        {[&] { return thread.RetryGreeting(9, &out); }, "R: Identity not found"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.call(), -1) << c.line;
        EXPECT_EQ(log.Take(), std::vector<std::string>{c.line});
    }
}

TEST(GreetingThread, StopBreaksARequestInProgress)
{
    GreetingService service;
    service.SetMode("slow");
    auto client = std::make_unique<Client>(service.Url("greetings.php"));
    auto recipients = Recipients({{1, "30", "1", "1", "0"}});
    (*client)->SetRecipients(1, recipients.get());
    TOptionsList out;
    (*client)->GetNextGreeting(1, &out);
    ASSERT_TRUE(client->Main().PumpUntil([&] { return client->started == 1; }, std::chrono::seconds(10)));
    client->Pump(200);
    const auto start = std::chrono::steady_clock::now();
    client.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
}
