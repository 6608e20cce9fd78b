// The walk-forward backtest on the benchmark game (6 of 49, 300 draws):
// H = 50 draws, N = 1,000 tables each, T = 100, D = 20, the default start
// point, all modes, requested numbers and hit categories, side by side on 1
// thread, 2 threads and one per core; and the summary with its exact tail
// probabilities alone. --speedup [R] measures 1 and 2 threads in R
// alternating rounds (default 5), with two separate 1-thread backtests at once
// as the machine's ceiling.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/BenchGame.h"
#include "bench/SideBySide.h"
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
    ->Apply(ThreadCountArgs)
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

int Speedup(int rounds)
{
    return side_by_side::Report("backtest, 50 draws of 1,000 tables", 50 * 1000, rounds, [](int32_t threads) {
        BenchSetup setup;
        TBacktest backtest(*setup.model, setup.options, 50, 1000);
        backtest.SetThreads(threads);
        backtest.Run();
    });
}

} // namespace

int main(int argc, char** argv)
{
    if (const int rounds = side_by_side::RoundsAsked(argc, argv))
        return Speedup(rounds);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
