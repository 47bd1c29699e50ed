// users.dat of 100,000 people (about 20 MB: Cyrillic names, options of five keys): loading
// it into a TIdentityList with one subscriber, and saving it. Targets: load under 0.5 s,
// save under 0.3 s.
#include "model/Identity.h"

#include "core/OptionsList.h"
#include "core/Windows1251.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>

using namespace orlinda;

namespace {

constexpr int People = 100000;

const char16_t* const FirstNames[] = {u"Александр", u"Мария", u"Екатерина", u"Дмитрий", u"Ольга", u"Сергей", u"Анастасия",
                                      u"Владимир"};
const char16_t* const LastNames[] = {u"Иванов", u"Смирнова", u"Кузнецов", u"Попова", u"Соколов", u"Лебедева",
                                     u"Константинопольский", u"Новикова"};
const char16_t* const Patronymics[] = {u"Александрович", u"Сергеевна", u"Владимирович", u"Дмитриевна"};

void Fill(TIdentity& p, int i)
{
    p.FID = i;
    p.FName = "01AC09" + std::to_string(100000 + i);
    p.FDisplayName = std::u16string(LastNames[i % 8]) + u" " + FirstNames[(i / 8) % 8] +
                     (i % 4 ? u"" : std::u16string(u" ") + Patronymics[i % 16 / 4]);
    p.FSex = i % 2 ? SexFemale : "";
    p.FBirthday = 25000 + i % 15000;
    p.FMarriageDate = i % 3 ? 0 : 35000 + i % 5000;
    p.FMarriageCongrat = i % 3 ? 0 : 1;
    p.FSpouse = i % 3 ? "" : "01AC09" + std::to_string(100000 + i + 1);
    p.FHolidays = i % 2 ? "3=+\r\n12=+\r\n" : "";
    p.FEmail = "p" + std::to_string(i) + "@mail.ru";
    TOptionsList options;
    options.SetInt(IdentityOptions::Style, i % 2);
    options.SetInt(IdentityOptions::Target, i % 12);
    options.SetInt(IdentityOptions::CongratType, i % 5);
    options.SetValue(IdentityOptions::URLVkontakte, "https://vk.com/id" + std::to_string(1000000 + i));
    options.SetValue(IdentityOptions::URLOdnoklassniki, Utf16ToCp1251(FirstNames[(i / 8) % 8]));
    p.FOptions = options.Text();
}

class UsersFile {
public:
    UsersFile() : name_("/tmp/bench_users_" + std::to_string(::getpid()) + ".dat")
    {
        TIdentityList list;
        for (int i = 0; i < People; ++i) {
            auto p = std::make_unique<TIdentity>();
            Fill(*p, i);
            list.Add(std::move(p));
        }
        list.SaveToFile(name_);
        size_ = list.GetStreamSize();
    }
    ~UsersFile() { std::remove(name_.c_str()); }
    const std::string& Name() const { return name_; }
    int64_t Size() const { return size_; }

private:
    std::string name_;
    int64_t size_ = 0;
};

UsersFile& File()
{
    static UsersFile file;
    return file;
}

void BM_LoadUsers(benchmark::State& state)
{
    const UsersFile& file = File();
    for (auto _ : state) {
        TIdentityList list;
        int events = 0;
        list.Subscribe(&events, [](void* owner, TNamedObject*, TNamedObjectEvent) {
            ++*static_cast<int*>(owner);
            return TSubscriberResult::Continue;
        });
        list.LoadFromFile(file.Name());
        if (list.Count() != People || events != 2 * People)
            state.SkipWithError("wrong count");
        state.PauseTiming();  // destroying the list is not part of the load
        list.ClearSubscribers();
        list.Clear();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * file.Size());
    state.counters["file_MB"] = static_cast<double>(file.Size()) / 1e6;
}

void BM_SaveUsers(benchmark::State& state)
{
    const UsersFile& file = File();
    TIdentityList list;
    list.LoadFromFile(file.Name());
    const std::string out = file.Name() + ".out";
    for (auto _ : state)
        list.SaveToFile(out);
    std::remove(out.c_str());
    state.SetBytesProcessed(state.iterations() * file.Size());
}

BENCHMARK(BM_LoadUsers)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_SaveUsers)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
