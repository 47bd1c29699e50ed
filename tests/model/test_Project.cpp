// The project's data set: loading and saving, identifiers, damaged files, the workers'
// life cycle, settings and proxies.
#include "ProjectFixture.h"

#include "core/Log.h"
#include "core/Scramble.h"
#include "model/SettingsKeys.h"
#include "model/UsageHistory.h"

#include <filesystem>
#include <sys/stat.h>

using namespace orlinda;
using namespace orlinda::test;

namespace {

ino_t InodeOf(const std::string& file)
{
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 ? st.st_ino : 0;
}

// Workers that write down what is done to them.
struct WorkerLog {
    std::vector<std::string> calls;
    std::vector<std::string> settingsTexts;
    std::vector<TProxySettings> proxies;
};

class LoggingMail : public MailSender {
public:
    explicit LoggingMail(WorkerLog& log) : log_(log) {}
    void SetOnNextMail(NextMailHandler h) override { log_.calls.push_back(h ? "mail handler" : "mail no handler"); }
    void Start() override { log_.calls.push_back("mail start"); }
    void Stop() override { log_.calls.push_back("mail stop"); }
    WorkerLog& log_;
};
class LoggingWorker : public SubmissionWorker {
public:
    explicit LoggingWorker(WorkerLog& log) : log_(log) {}
    void SetOnGreeting(GreetingHandler h) override { log_.calls.push_back(h ? "worker handler" : "worker no handler"); }
    void SetSettings(const std::string& text) override { log_.settingsTexts.push_back(text); }
    void Abort() override {}
    void Start() override { log_.calls.push_back("worker start"); }
    void Stop() override { log_.calls.push_back("worker stop"); }
    WorkerLog& log_;
};
class LoggingFeedback : public FeedbackSender {
public:
    explicit LoggingFeedback(WorkerLog& log) : log_(log) {}
    void SetLogFile(const std::string& f) override { log_.calls.push_back("feedback log " + f.substr(f.rfind('/') + 1)); }
    void SetProxy(const TProxySettings& p) override { log_.proxies.push_back(p); }
    void Start() override { log_.calls.push_back("feedback start"); }
    void Stop() override
    {
        log_.calls.push_back("feedback stop");
        throw std::runtime_error("a failing stop does not keep the others running");
    }
    WorkerLog& log_;
};
class LoggingGreeter : public GreetingClient {
public:
    explicit LoggingGreeter(WorkerLog& log) : log_(log) {}
    void SetHistoryFolder(const std::string& f) override { log_.calls.push_back("greeter folder " + f.substr(f.rfind('/', f.size() - 2) + 1)); }
    void SetPendingFile(const std::string& f) override { log_.calls.push_back("greeter file " + f.substr(f.rfind('/') + 1)); }
    void SetProxy(const TProxySettings& p) override { log_.proxies.push_back(p); }
    void RecordUsage(int32_t, int32_t, int32_t, int32_t) override {}
    TUsageHistory& History() override { return history_; }
    void Start() override { log_.calls.push_back("greeter start"); }
    void Stop() override { log_.calls.push_back("greeter stop"); }
    WorkerLog& log_;
    TUsageHistory history_;
};

class DataSetTest : public ProjectTest {
protected:
    TProjectWorkers Workers() override
    {
        TProjectWorkers w;
        w.mail = [this] { return std::make_unique<LoggingMail>(log_); };
        w.submission = [this] { return std::make_unique<LoggingWorker>(log_); };
        w.feedback = [this] { return std::make_unique<LoggingFeedback>(log_); };
        w.greetings = [this] { return std::make_unique<LoggingGreeter>(log_); };
        w.updaterProxy = [this](const TProxySettings& p) { updaterProxies_.push_back(p); };
        return w;
    }

    void WriteUsers(int count, int firstID)
    {
        TIdentityList list;
        for (int i = 0; i < count; ++i) {
            auto p = Person("K" + std::to_string(i), u"Человек " + std::u16string(1, u'A' + i));
            list.Add(std::move(p));
            list.Get(i)->FID = firstID + i;
        }
        list.SaveToFile(dir_.File("users.dat"));
    }

    WorkerLog log_;
    std::vector<TProxySettings> updaterProxies_;
};

TEST_F(DataSetTest, WorkersAreMadeInOrderAndStoppedInReverseOrder)
{
    const std::vector<std::string> made = {"mail handler",    "mail start",       "worker handler",
                                           "worker start",    "feedback log assertions.dat",
                                           "feedback start",  "greeter folder history/",
                                           "greeter file history.dat", "greeter start"};
    EXPECT_EQ(log_.calls, made);
    log_.calls.clear();
    project_.reset();
    EXPECT_EQ(log_.calls, (std::vector<std::string>{"greeter stop", "feedback stop", "worker stop", "mail stop"}));
}

TEST_F(DataSetTest, IdentifiersComeFromOneCounter)
{
    WriteUsers(3, 40);
    TReminderList reminders;
    reminders.Add(Reminder(u"Один", At(2026, 4, 1, 9)));
    reminders.Add(Reminder(u"Два", At(2026, 4, 2, 9)));
    reminders.SaveToFile(dir_.File("reminders.dat"));

    ASSERT_TRUE(P().LoadIdentities());
    EXPECT_EQ(P().Identities().Get(0)->FID, 40); // people keep their stored identifiers
    EXPECT_EQ(P().Identities().Get(2)->FID, 42);
    ASSERT_TRUE(P().LoadReminders());
    ASSERT_TRUE(P().LoadReminders()); // a second copy gets new identifiers
    std::vector<int32_t> ids;
    for (int i = 0; i < P().Reminders().Count(); ++i)
        ids.push_back(P().Reminders().Get(i)->FID);
    EXPECT_EQ(ids, (std::vector<int32_t>{43, 44, 45, 46}));
    // A new person never gets an identifier a stored one has.
    P().Identities().Add(Person("N", u"Новый"));
    EXPECT_EQ(P().Identities().Get(3)->FID, 47);
    P().Greetings().Add(std::make_unique<TGreeting>());
    EXPECT_EQ(P().Greetings().Get(0)->FID, 48);
}

TEST_F(DataSetTest, FirstIdentifierIsOne)
{
    P().Reminders().Add(Reminder(u"Первое", At(2026, 4, 1, 9)));
    EXPECT_EQ(P().Reminders().Get(0)->FID, 1);
}

TEST_F(DataSetTest, LoadingNeverSaves)
{
    WriteUsers(3, 1);
    TReminderList reminders;
    reminders.Add(Reminder(u"Один", At(2026, 4, 1, 9)));
    reminders.Get(0)->FID = 900;
    reminders.SaveToFile(dir_.File("reminders.dat"));
    const ino_t users = InodeOf(dir_.File("users.dat"));
    const std::string reminderBytes = ReadFile(dir_.File("reminders.dat"));

    P().LoadAll();
    EXPECT_EQ(InodeOf(dir_.File("users.dat")), users);
    EXPECT_EQ(ReadFile(dir_.File("reminders.dat")), reminderBytes); // its new identifier is not written back
    // After loading, changes are saved as usual.
    P().Reminders().Notify(P().Reminders().Get(0), TNamedObjectEvent::Changed);
    EXPECT_NE(ReadFile(dir_.File("reminders.dat")), reminderBytes);
}

TEST_F(DataSetTest, MissingFilesLoadNothing)
{
    EXPECT_FALSE(P().LoadIdentities());
    EXPECT_FALSE(P().LoadReminders());
    EXPECT_FALSE(P().LoadBindings());
    EXPECT_FALSE(P().LoadHolidays());
    EXPECT_EQ(P().Identities().Count(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("users.dat")));
}

TEST_F(DataSetTest, DamagedFileKeepsItsRecordsAndIsCopiedAsideBeforeTheFirstSave)
{
    std::vector<std::string> logged;
    TLogWriter previous = LogWriter();
    SetLogWriter([&](const std::string& m) { logged.push_back(m); });

    WriteUsers(3, 1);
    std::string bytes = ReadFile(dir_.File("users.dat"));
    bytes.resize(bytes.size() - 7); // the third person is cut off
    WriteFile(dir_.File("users.dat"), bytes);

    EXPECT_FALSE(P().LoadIdentities());
    EXPECT_EQ(P().Identities().Count(), 2);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("users.dat.bad-2026-03-02")));

    P().Identities().Add(Person("N", u"Новый")); // the window's subscriber saves
    EXPECT_EQ(ReadFile(dir_.File("users.dat.bad-2026-03-02")), bytes);
    TIdentityList reread;
    reread.LoadFromFile(dir_.File("users.dat"));
    EXPECT_EQ(reread.Count(), 3);

    // Later saves do not copy again.
    P().Identities().Add(Person("M", u"Ещё"));
    EXPECT_FALSE(std::filesystem::exists(dir_.File("users.dat.bad-2026-03-02-2")));

    // A second damaged load on the same day gets the next free name.
    WriteFile(dir_.File("users.dat"), bytes);
    MakeProject();
    P().LoadIdentities();
    P().SaveIdentities();
    EXPECT_EQ(ReadFile(dir_.File("users.dat.bad-2026-03-02-2")), bytes);

    SetLogWriter(previous);
    int mentions = 0;
    for (const auto& m : logged)
        mentions += m.find("users.dat") != std::string::npos && m.find("damaged") != std::string::npos;
    EXPECT_GE(mentions, 2);
}

TEST_F(DataSetTest, FailedSaveKeepsTheDataInMemory)
{
    TProject project(TProjectFiles::InFolder(dir_.File("missing/folder")), {}, &settings_);
    project.Reminders().Add(Reminder(u"Один", At(2026, 4, 1, 9)));
    EXPECT_FALSE(project.SaveReminders());
    EXPECT_EQ(project.Reminders().Count(), 1);
    std::filesystem::create_directories(dir_.File("missing/folder"));
    EXPECT_TRUE(project.SaveReminders());
}

TEST_F(DataSetTest, ReadOnlyProjectWritesNothing)
{
    P().SetReadOnly(true);
    P().Identities().Add(Person("A", u"Анна", At(1980, 3, 5)));
    EXPECT_EQ(P().Bindings().Count(), 1);
    EXPECT_FALSE(P().SaveIdentities());
    EXPECT_TRUE(std::filesystem::is_empty(dir_.Path()));
}

TEST_F(DataSetTest, NewAndEditedRemindersMoveOnWhenTheirMomentHasPassed)
{
    // 10:00 on 2 March: a daily reminder at 09:00 starting today is next due tomorrow.
    P().Reminders().Add(Reminder(u"Каждый день", At(2026, 3, 2, 9), ReminderDaily));
    EXPECT_EQ(P().Reminders().Get(0)->FNext, At(2026, 3, 3, 9));
    // A once-only reminder in the past has nothing due; one in the future stays.
    P().Reminders().Add(Reminder(u"Прошло", At(2026, 3, 1, 9)));
    EXPECT_EQ(P().Reminders().Get(1)->FNext, 0);
    P().Reminders().Add(Reminder(u"Будет", At(2026, 3, 4, 9)));
    EXPECT_EQ(P().Reminders().Get(2)->FNext, At(2026, 3, 4, 9));
    // Edited: the editor sets FNext to FStart.
    TReminder* r = P().Reminders().Get(0);
    r->FStart = At(2026, 2, 1, 8);
    r->FNext = r->FStart;
    P().Reminders().Notify(r, TNamedObjectEvent::Changed);
    EXPECT_EQ(r->FNext, At(2026, 3, 3, 8));
    // A snoozed reminder (FNext other than FStart) is left alone.
    r->FNext = At(2026, 3, 2, 9, 30);
    P().Reminders().Notify(r, TNamedObjectEvent::Changed);
    EXPECT_EQ(r->FNext, At(2026, 3, 2, 9, 30));
}

TEST_F(DataSetTest, SettingsChangesGoToTheSubmissionWorker)
{
    int previousCalls = 0;
    project_.reset();
    settings_.OnChange = [&] { ++previousCalls; };
    MakeProject();
    settings_.SetValue("Skin", "Black");
    settings_.SetBool("Interactive", false);
    ASSERT_EQ(log_.settingsTexts.size(), 2u);
    EXPECT_EQ(log_.settingsTexts.back(), "Skin=Black\r\nInteractive=FALSE\r\n");
    EXPECT_EQ(previousCalls, 2);
    project_.reset();
    settings_.SetValue("Skin", "White");
    EXPECT_EQ(log_.settingsTexts.size(), 2u);
    EXPECT_EQ(previousCalls, 3); // the earlier handler is back
    settings_.OnChange = nullptr;
}

TEST_F(DataSetTest, ProxySettingsReachTheNetworkClients)
{
    settings_.SetBool(SettingsKey::UseProxy, true);
    settings_.SetValue(SettingsKey::ProxyHost, "127.0.0.1");
    settings_.SetValue(SettingsKey::ProxyPort, "8888");
    settings_.SetValue(SettingsKey::ProxyUser, "u");
    settings_.SetValue(SettingsKey::ProxyPass, Scramble("секрет", kPasswordKey));
    P().ApplyProxySettings();
    const TProxySettings expected{"127.0.0.1", "8888", "u", "секрет"};
    ASSERT_EQ(log_.proxies.size(), 2u);
    EXPECT_EQ(log_.proxies[0], expected);
    EXPECT_EQ(log_.proxies[1], expected);
    ASSERT_EQ(updaterProxies_.size(), 1u);
    EXPECT_EQ(updaterProxies_[0], expected);

    settings_.SetBool(SettingsKey::UseProxy, false);
    P().ApplyProxySettings();
    EXPECT_EQ(log_.proxies.back(), TProxySettings{});
}

TEST_F(DataSetTest, DialogFlagSwitchesTheTrayIcon)
{
    std::vector<bool> icons;
    P().OnDialogOpenChanged = [&](bool open) { icons.push_back(open); };
    P().SetDialogOpen(true);
    EXPECT_TRUE(P().DialogOpen());
    P().SetDialogOpen(false);
    EXPECT_EQ(icons, (std::vector<bool>{true, false}));
}

TEST_F(DataSetTest, HelpVariablesNameTheVersion)
{
    const TOptionsList& vars = P().Help().FVariables;
    EXPECT_NE(vars.GetValue("Version").find(" (Build "), std::string::npos);
    EXPECT_NE(vars.GetValue("Offsite").find("<a href="), std::string::npos);
}

} // namespace
