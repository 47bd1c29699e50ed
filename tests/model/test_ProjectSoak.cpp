// A long run over a large data set: 10,000 people, 300 holidays and 1,000 reminders go
// through the start-up load and 1,000 random edits with the saves they trigger; then a
// process that edits and saves without pause is killed in the middle of a save. After a
// restart nothing saved before the kill is missing and every file loads whole.
#include "DataSetMaker.h"
#include "ProjectFixture.h"

#include "core/FileStream.h"
#include "core/TypedStream.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace orlinda;
using namespace orlinda::test;

namespace {

constexpr int kPeople = 10000;
constexpr int kHolidays = 300;
constexpr int kReminders = 1000;
constexpr int kEdits = 1000;

// The records as bytes, identifiers left out where a load gives new ones.
template <class List>
std::string Bytes(const List& list, bool withIDs)
{
    TBytesWriteStream out;
    for (int i = 0; i < list.Count(); ++i) {
        auto copy = list.CreateItem();
        copy->Assign(list.Get(i));
        if (!withIDs)
            copy->FID = 0;
        copy->SaveToStream(out);
    }
    return out.TakeBytes();
}

// Loads the file whole into a fresh list; fails the test when it does not load.
template <class List>
int LoadsWhole(const std::string& file)
{
    List list;
    EXPECT_NO_THROW(list.LoadFromFile(file)) << file;
    return list.Count();
}

class SoakTest : public ProjectTest {
protected:
    void SetUp() override
    {
        DataSetMaker make(7);
        TIdentityList users;
        for (int i = 0; i < kPeople; ++i)
            users.Add(make.Person(i, kHolidays));
        users.SaveToFile(dir_.File("users.dat"));
        THolidayList calendar;
        for (int i = 0; i < kHolidays; ++i)
            calendar.Add(make.Holiday(3 + i));
        calendar.SaveToFile(dir_.File("holidays.dat"));
        TReminderList reminders;
        for (int i = 0; i < kReminders; ++i)
            reminders.Add(make.Reminder(i, clock_.Now()));
        reminders.SaveToFile(dir_.File("reminders.dat"));
        MakeProject();
    }

    // One random edit through the lists' own operations; the subscribers save.
    void Edit(DataSetMaker& make, int n)
    {
        TIdentityList& people = P().Identities();
        TReminderList& reminders = P().Reminders();
        const int what = make.Between(0, 9);
        if (what <= 4 && people.Count() > 0) {
            const int i = make.Between(0, people.Count() - 1);
            if (what == 0) {
                people.Add(make.Person(kPeople + n, kHolidays));
            } else if (what == 1) {
                people.Delete(i);
            } else {
                TIdentity* p = people.Get(i);
                p->FBirthday = clock_.Now() + make.Between(-3000, 3000) * 7.0;
                p->FDisplayName += u"!";
                p->FHolidays = std::to_string(make.Between(3, 2 + kHolidays)) + "=+\r\n";
                people.Notify(p, TNamedObjectEvent::Changed);
            }
        } else if (what <= 8 && reminders.Count() > 0) {
            const int i = make.Between(0, reminders.Count() - 1);
            if (what == 5) {
                reminders.Add(make.Reminder(kReminders + n, clock_.Now()));
            } else if (what == 6) {
                reminders.Delete(i);
            } else {
                TReminder* r = reminders.Get(i);
                r->FText += u" (изменено)";
                r->FStart = clock_.Now() + make.Between(-50, 50);
                r->FNext = r->FStart;
                reminders.Notify(r, TNamedObjectEvent::Changed);
            }
        } else if (P().Bindings().Count() > 0) {
            THoliminder* b = P().Bindings().Get(make.Between(0, P().Bindings().Count() - 1));
            P().AnswerNotification(b->FID, make.Between(7, 8));
        }
    }
};

TEST_F(SoakTest, RandomEditsAreAllOnDiskAndAKillMidSaveLosesNothingSaved)
{
    P().LoadAll();
    ASSERT_EQ(P().Identities().Count(), kPeople);
    ASSERT_EQ(P().Reminders().Count(), kReminders);
    ASSERT_EQ(P().Holidays().Count(), kHolidays);
    ASSERT_GT(P().Bindings().Count(), 0);

    DataSetMaker make(11);
    for (int n = 0; n < kEdits; ++n)
        Edit(make, n);

    const std::string people = Bytes(P().Identities(), true);
    const std::string reminders = Bytes(P().Reminders(), false);
    const std::string bindings = Bytes(P().Bindings(), false);

    // A restart reads back exactly what was in memory.
    MakeProject();
    P().LoadAll();
    EXPECT_EQ(Bytes(P().Identities(), true), people);
    EXPECT_EQ(Bytes(P().Reminders(), false), reminders);
    EXPECT_EQ(Bytes(P().Bindings(), false), bindings);
    project_.reset();

    // A process that adds a person and saves, over and over, killed at some moment: the
    // parent learns of every completed save through a pipe.
    for (int round = 0; round < 4; ++round) {
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeFds[0]);
            TOptionsList settings;
            TProject p(TProjectFiles::InFolder(dir_.Path()), {}, &settings);
            p.LoadAll();
            for (int seq = 0;; ++seq) {
                auto person = make.Person(100000 + seq, kHolidays);
                person->FName = "KILL" + std::to_string(round) + "-" + std::to_string(seq);
                p.Identities().Add(std::move(person));
                p.Reminders().Add(make.Reminder(100000 + seq, clock_.Now()));
                // Tells the parent a save begins (2 seq) and when it is done (2 seq + 1).
                auto tell = [&](int32_t v) {
                    if (::write(pipeFds[1], &v, sizeof v) != sizeof v)
                        ::_exit(4);
                };
                tell(2 * seq);
                if (!p.SaveIdentities() || !p.SaveReminders())
                    ::_exit(3);
                tell(2 * seq + 1);
            }
        }
        ::close(pipeFds[1]);
        int32_t lastSaved = -1;
        // A few saves go through; the kill falls inside the next one, early or late in it.
        const int32_t killedSave = 2 + round * 3;
        auto started = std::chrono::steady_clock::now();
        std::chrono::steady_clock::duration saveTime{};
        for (;;) {
            int32_t v;
            ASSERT_EQ(::read(pipeFds[0], &v, sizeof v), static_cast<ssize_t>(sizeof v)) << "the saving process died";
            if (v % 2) {
                lastSaved = v / 2;
                saveTime = std::chrono::steady_clock::now() - started;
            } else {
                started = std::chrono::steady_clock::now();
            }
            if (v == 2 * killedSave)
                break;
        }
        // A quarter, half, three quarters or nearly all the way into a save as long as the one before.
        const double into[] = {0.25, 0.5, 0.75, 0.95};
        std::this_thread::sleep_for(saveTime * into[round]);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        for (int32_t v; ::read(pipeFds[0], &v, sizeof v) == static_cast<ssize_t>(sizeof v);)
            if (v % 2)
                lastSaved = v / 2;
        ::close(pipeFds[0]);

        // A save cut short leaves its temporary file beside the target, never a broken target.
        int cut = 0;
        for (const auto& e : std::filesystem::directory_iterator(dir_.Path()))
            if (e.path().filename().string().find(".tmp-") != std::string::npos) {
                ++cut;
                std::filesystem::remove(e.path());
            }
        RecordProperty("cut_saves_round_" + std::to_string(round), cut);

        // Every file loads whole, and every save the child finished is there.
        EXPECT_GT(LoadsWhole<TIdentityList>(dir_.File("users.dat")), 0);
        EXPECT_GT(LoadsWhole<TReminderList>(dir_.File("reminders.dat")), 0);
        LoadsWhole<THoliminderList>(dir_.File("holidays.tmp"));
        MakeProject();
        EXPECT_TRUE(P().LoadIdentities());
        EXPECT_TRUE(P().LoadReminders());
        EXPECT_TRUE(P().LoadBindings());
        EXPECT_TRUE(P().LoadHolidays());
        for (int32_t seq = 0; seq <= lastSaved; ++seq)
            EXPECT_NE(P().Identities().FindByName("KILL" + std::to_string(round) + "-" + std::to_string(seq)), nullptr)
                << "round " << round << ", save " << seq << " of " << lastSaved;
        project_.reset();
    }
}

} // namespace
