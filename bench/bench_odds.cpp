// Time to compute the odds table with its texts, the combined line and the
// clipboard text, from the everyday 6 of 49 to the largest lotteries allowed.
#include <benchmark/benchmark.h>

#include "engine/OddsTable.h"

namespace {

void BM_OddsTable(benchmark::State& state)
{
    const auto n = static_cast<int32_t>(state.range(0));
    const auto d = static_cast<int32_t>(state.range(1));
    const auto s = static_cast<int32_t>(state.range(2));
    for (auto _ : state) {
        const TOddsTable table = ComputeOddsTable(n, d, s);
        const std::string line = OddsCombinedLine(table, std::vector<bool>(table.Rows.size(), true));
        const std::string text = OddsClipboardText(table);
        benchmark::DoNotOptimize(line.data());
        benchmark::DoNotOptimize(text.data());
    }
}
// (999, 500, 500) has the most rows: 501 probabilities of about 1000 factors each.
BENCHMARK(BM_OddsTable)
    ->Args({49, 6, 10})
    ->Args({90, 30, 45})
    ->Args({999, 998, 500})
    ->Args({999, 20, 100})
    ->Args({999, 500, 500})
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
