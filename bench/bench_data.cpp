// Throughput of the draw history and the rank encoding of game files.
#include <benchmark/benchmark.h>

#include <random>
#include <set>

#include "data/GameModel.h"
#include "data/Utils.h"

namespace {

TGameInfo SixOf49Daily()
{
    TGameInfo g;
    g.Name = "Bench";
    g.FieldCount = 1;
    g.Fields[0] = TGameField{49, 6, 1, 0};
    g.DrawsPerDay = 1;
    return g;
}

std::vector<TShortIntArray> RandomSets(size_t count, int v, int k)
{
    std::mt19937 rng(1);
    std::vector<TShortIntArray> sets;
    sets.reserve(count);
    while (sets.size() < count) {
        std::set<int> s;
        while (static_cast<int>(s.size()) < k)
            s.insert(static_cast<int>(rng() % v) + 1);
        sets.emplace_back(s.begin(), s.end());
    }
    return sets;
}

// One million dated draws appended in date order, one per day.
void BM_AddDrawInDateOrder(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const auto sets = RandomSets(1024, 49, 6);
    for (auto _ : state) {
        TDrawClass model(SixOf49Daily());
        for (int i = 0; i < count; ++i)
            if (model.AddDraw(1, 0, {sets[static_cast<size_t>(i) & 1023]}, 1.0 + i) == 0)
                state.SkipWithError("draw refused");
        benchmark::DoNotOptimize(model.DrawCount());
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_AddDrawInDateOrder)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_RankBalls(benchmark::State& state)
{
    const auto sets = RandomSets(4096, 49, 6);
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(RankBalls(sets[i & 4095], 49, 6));
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RankBalls);

void BM_UnrankBalls(benchmark::State& state)
{
    std::mt19937_64 rng(2);
    std::vector<int64_t> ranks(4096);
    for (auto& r : ranks)
        r = static_cast<int64_t>(rng() % 13983816);
    TShortIntArray balls;
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(UnrankBalls(ranks[i & 4095], 49, 6, balls));
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_UnrankBalls);

} // namespace

BENCHMARK_MAIN();
