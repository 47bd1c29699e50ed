// The project over a large data set: 10,000 people, 300 holidays, 1,000 reminders.
// Targets: RebuildBindings under 50 ms; ScanTick over 10,000 reminders and 500 bindings
// under 1 ms; the start-up load of all four files under 1 s.
#include "model/Project.h"

#include "../tests/model/DataSetMaker.h"
#include "core/Clock.h"
#include "core/OptionsList.h"
#include "model/NotificationWindow.h"
#include "model/SnoozeMenu.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

using namespace orlinda;
using orlinda::test::DataSetMaker;

namespace {

const TDateTime Today = EncodeDateTime(2026, 3, 2, 10, 0, 0);

// A folder with users.dat, reminders.dat and holidays.dat, and holidays.tmp as the program
// leaves it; removed at the end.
class DataFolder {
public:
    DataFolder(int people, int holidays, int reminders)
    {
        char pattern[] = "/tmp/bench_project_XXXXXX";
        path_ = ::mkdtemp(pattern);
        DataSetMaker make;
        TIdentityList users;
        for (int i = 0; i < people; ++i)
            users.Add(make.Person(i, holidays));
        users.SaveToFile(path_ + "/users.dat");
        THolidayList calendar;
        for (int i = 0; i < holidays; ++i)
            calendar.Add(make.Holiday(3 + i));
        calendar.SaveToFile(path_ + "/holidays.dat");
        TReminderList list;
        for (int i = 0; i < reminders; ++i)
            list.Add(make.Reminder(i, Today));
        list.SaveToFile(path_ + "/reminders.dat");
        // The bindings the first start derives.
        TOptionsList settings;
        TProject p(TProjectFiles::InFolder(path_), {}, &settings);
        p.LoadAll();
    }
    ~DataFolder() { std::filesystem::remove_all(path_); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

struct FixedNow {
    FixedNow() { SetClock(&clock); }
    ~FixedNow() { SetClock(nullptr); }
    TFixedClock clock{Today, 1000};
};

void BM_StartupLoad(benchmark::State& state)
{
    FixedNow now;
    DataFolder data(10000, 300, 1000);
    TOptionsList settings;
    int bindings = 0;
    for (auto _ : state) {
        TProject p(TProjectFiles::InFolder(data.Path()), {}, &settings);
        p.LoadAll();
        bindings = p.Bindings().Count();
        benchmark::DoNotOptimize(bindings);
    }
    state.counters["bindings"] = bindings;
}
BENCHMARK(BM_StartupLoad)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_RebuildBindings(benchmark::State& state)
{
    FixedNow now;
    DataFolder data(10000, 300, 0);
    TOptionsList settings;
    TProject p(TProjectFiles::InFolder(data.Path()), {}, &settings);
    p.LoadAll();
    // With a change each time: a person's birthday moves in and out of the coming month, so
    // the bindings differ and holidays.tmp is written every time.
    const bool changing = state.range(0) != 0;
    TIdentity* person = p.Identities().Get(0);
    int n = 0;
    for (auto _ : state) {
        if (changing)
            person->FBirthday = EncodeDate(1980, 3, (++n % 2) ? 5 : 25);
        p.RebuildBindings();
    }
    state.counters["people"] = p.Identities().Count();
    state.counters["bindings"] = p.Bindings().Count();
}
BENCHMARK(BM_RebuildBindings)->Arg(0)->Arg(1)->ArgName("changing")->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_ScanTick(benchmark::State& state)
{
    FixedNow now;
    DataFolder data(10, 3, 0);
    // 10,000 reminders and 500 bindings, none of them due: the scan looks at every one.
    DataSetMaker make;
    TReminderList reminders;
    for (int i = 0; i < 10000; ++i) {
        auto r = make.Reminder(i, Today);
        r->FNext = Today + 1 + i / 1440.0;
        reminders.Add(std::move(r));
    }
    reminders.SaveToFile(data.Path() + "/reminders.dat");
    THoliminderList bindings;
    for (int i = 0; i < 500; ++i) {
        auto b = std::make_unique<THoliminder>();
        b->FName = std::to_string(3 + i % 3);
        b->FDate = Today + 10;
        b->FNotifyAt = i % 2 ? Today + 5 : Today - 1;
        b->FNames = i % 2 ? u"Анна" : u"   ";
        bindings.Add(std::move(b));
    }
    bindings.SaveToFile(data.Path() + "/holidays.tmp");
    TOptionsList settings;
    TProject p(TProjectFiles::InFolder(data.Path()), {}, &settings);
    THeadlessNotificationWindow window;
    TSnoozeMenu menu;
    p.SetNotificationWindow(&window);
    p.SetDelayMenu(&menu);
    p.LoadReminders();
    p.LoadBindings();
    for (auto _ : state)
        p.ScanTick();
    if (window.ShownCount() != 0)
        state.SkipWithError("something was due");
    state.counters["reminders"] = p.Reminders().Count();
    state.counters["bindings"] = p.Bindings().Count();
}
BENCHMARK(BM_ScanTick)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
