// Name lookup of option lists: 1,000,000 GetValue calls on a list of 10,000 lines.
#include "core/OptionsList.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

using namespace orlinda;

namespace {

TOptionsList MakeList(int lines)
{
    TOptionsList list;
    std::string text;
    for (int i = 0; i < lines; ++i)
        text += "Setting Number " + std::to_string(i) + "=value %D0%B0 " + std::to_string(i) + "\r\n";
    list.SetText(text);
    return list;
}

void BM_GetValueMillion(benchmark::State& state)
{
    const TOptionsList list = MakeList(10000);
    std::vector<std::string> names;
    for (int i = 0; i < 10000; ++i)
        names.push_back((i % 2 ? "SETTING NUMBER " : "setting number ") + std::to_string((i * 7919) % 10000));
    names.push_back("missing name");
    size_t total = 0;
    for (auto _ : state) {
        for (int call = 0; call < 1000000; ++call)
            total += list.GetValue(names[static_cast<size_t>(call) % names.size()]).size();
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_GetValueMillion)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_SetValueBuild(benchmark::State& state)
{
    for (auto _ : state) {
        TOptionsList list;
        for (int i = 0; i < 10000; ++i)
            list.SetValue("Key" + std::to_string(i), "value");
        benchmark::DoNotOptimize(list.Count());
    }
}
BENCHMARK(BM_SetValueBuild)->Unit(benchmark::kMillisecond);

void BM_NewOptionsList(benchmark::State& state)
{
    for (auto _ : state) {
        TOptionsList list;
        benchmark::DoNotOptimize(list.FSectionName);
    }
}
BENCHMARK(BM_NewOptionsList);

} // namespace

BENCHMARK_MAIN();
