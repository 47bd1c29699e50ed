// Loading a record file: 100,000 records, about 20 MB, in the typed stream format.
#include "core/NamedObjectList.h"
#include "core/TypedStream.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>

using namespace orlinda;

namespace {

// A record of the size of a person with its options: texts, numbers and dates.
class TBenchRecord : public TNamedObject {
public:
    TBenchRecord() { TBenchRecord::Clear(); }
    void Clear() override
    {
        TNamedObject::Clear();
        FText.clear();
        FWide.clear();
        FCount = 0;
        FWhen = 0;
    }
    int64_t GetStreamSize() const override
    {
        return TNamedObject::GetStreamSize() + AnsiStreamSize(FText) + WideStreamSize(FWide) + 4 * IntegerStreamSize +
               2 * DoubleStreamSize;
    }
    void SaveToStream(TStream& s) const override
    {
        TNamedObject::SaveToStream(s);
        WriteAnsiString(s, FText);
        WriteWideString(s, FWide);
        for (int i = 0; i < 4; ++i)
            WriteInteger(s, FCount + i);
        WriteDouble(s, FWhen);
        WriteDouble(s, FWhen + 1);
    }
    void LoadFromStream(TStream& s) override
    {
        TNamedObject::LoadFromStream(s);
        FText = ReadAnsiString(s);
        FWide = ReadWideString(s);
        for (int i = 0; i < 4; ++i)
            FCount = ReadInteger(s);
        FWhen = ReadDouble(s);
        FWhen = ReadDouble(s);
    }
    std::string FText;
    std::u16string FWide;
    int32_t FCount;
    double FWhen;
};

class TBenchList : public TTypedList<TBenchRecord> {};

std::string MakeFile()
{
    TBenchList list;
    for (int i = 0; i < 100000; ++i) {
        auto r = std::make_unique<TBenchRecord>();
        r->FID = i;
        r->FName = "record key " + std::to_string(i);
        r->FText = std::string(100, 'x');
        r->FWide = std::u16string(20, u'Ж');
        r->FCount = i;
        r->FWhen = 45000 + i;
        list.Add(std::move(r));
    }
    std::string file = "/tmp/bench_typed_stream_" + std::to_string(::getpid()) + ".dat";
    list.SaveToFile(file);
    return file;
}

void BM_LoadRecordFile(benchmark::State& state)
{
    const std::string file = MakeFile();
    for (auto _ : state) {
        TBenchList list;
        list.LoadFromFile(file);
        benchmark::DoNotOptimize(list.Count());
        state.counters["bytes"] = static_cast<double>(list.GetStreamSize());
    }
    std::remove(file.c_str());
}
BENCHMARK(BM_LoadRecordFile)->Unit(benchmark::kMillisecond);

void BM_SaveRecordFile(benchmark::State& state)
{
    const std::string file = MakeFile();
    TBenchList list;
    list.LoadFromFile(file);
    for (auto _ : state)
        list.SaveToFile(file);
    std::remove(file.c_str());
}
BENCHMARK(BM_SaveRecordFile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
