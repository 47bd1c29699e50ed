// Filling memory streams: the default (doubling) stream and a stream with the 64 KiB
// growth steps of the usage history, with 20 MB in small writes. Both stay linear.
#include "core/MemoryStream.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace orlinda;

static void Fill(benchmark::State& state, int64_t initial, int64_t limit, int64_t step, bool doubling)
{
    const int64_t total = state.range(0);
    const std::string chunk(512, 'x');
    for (auto _ : state) {
        TMemoryStream s = doubling ? TMemoryStream() : TMemoryStream(initial, limit, step);
        for (int64_t done = 0; done < total; done += static_cast<int64_t>(chunk.size()))
            s.Write(chunk);
        benchmark::DoNotOptimize(s.Data());
    }
    state.SetBytesProcessed(state.iterations() * total);
}

static void BM_WriteDoubling(benchmark::State& state) { Fill(state, 0, -1, 0, true); }
static void BM_WriteSteps64K(benchmark::State& state) { Fill(state, 65536, -1, 65536, false); }

BENCHMARK(BM_WriteDoubling)->Arg(1 << 20)->Arg(20 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteSteps64K)->Arg(1 << 20)->Arg(20 << 20)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
