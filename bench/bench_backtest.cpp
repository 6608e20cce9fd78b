// The walk-forward backtest on the benchmark game (6 of 49, 300 draws):
// H = 50 draws, N = 1,000 tables each, T = 100, D = 20, the default start
// point, all modes, requested numbers and hit categories, side by side on 1
// thread, 2 threads and one per core; and the summary with its exact tail
// probabilities alone.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/BenchGame.h"
#include "engine/Backtest.h"
#include "engine/GameOptions.h"
#include "engine/JUXEngine.h"

namespace {

struct BenchSetup {
    TGameInfo info;
    std::unique_ptr<TDrawClass> model;
    TGameOptions options;
    BenchSetup()
    {
        model = MakeBenchGame(info);
        options.SetGame(model.get());
        options.SetDefaults();
    }
};

void BM_Backtest50x1000(benchmark::State& state)
{
    BenchSetup setup;
    for (auto _ : state) {
        TBacktest backtest(*setup.model, setup.options, 50, 1000);
        backtest.SetThreads(int32_t(state.range(0)));
        backtest.Run();
        benchmark::DoNotOptimize(backtest.Summary());
    }
    state.counters["tables/s"] =
        benchmark::Counter(double(state.iterations()) * 50 * 1000, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Backtest50x1000)
    ->ArgName("threads")
    ->Apply([](benchmark::internal::Benchmark* b) {
        for (int32_t threads : BenchThreadCounts())
            b->Arg(threads);
    })
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();

void BM_Summary50Draws(benchmark::State& state)
{
    BenchSetup setup;
    TBacktest backtest(*setup.model, setup.options, 50, 20);
    backtest.Run();
    for (auto _ : state)
        benchmark::DoNotOptimize(backtest.Summary());
}
BENCHMARK(BM_Summary50Draws)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
