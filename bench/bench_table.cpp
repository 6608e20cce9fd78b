// Cost of working out the JUX Table page (statistics, predicted-number grid,
// copies and both charts' series) for one table: on the benchmark game
// (6 of 49, T = 100) and on a 7 of 99 game with T = 1,000 tested draws, for
// a few requested-number counts.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/BenchGame.h"
#include "bench/BenchTableRun.h"
#include "data/GameModel.h"
#include "data/Utils.h"
#include "engine/GameOptions.h"
#include "engine/JUXEngine.h"
#include "models/TableStatistics.h"

namespace {

struct TableRun {
    TGameInfo info;
    std::unique_ptr<TDrawClass> model;
    TGameOptions options;
    std::unique_ptr<TJUXEngine> engine;
    int32_t id = 0;

    explicit TableRun(bool wide)
    {
        model = wide ? MakeWideGame(info, 1100) : MakeBenchGame(info);
        options.SetGame(model.get());
        options.SetDefaults();
        SetTableRunOptions(options, wide, 50);
        engine = std::make_unique<TJUXEngine>(options);
        engine->StartRun();
        engine->RunAnalysis();
        id = engine->Context.TablesComputed;
    }
};

TableRun& Run(bool wide)
{
    static TableRun narrow(false);
    static TableRun wideRun(true);
    return wide ? wideRun : narrow;
}

void BM_BuildTablePage(benchmark::State& state)
{
    const bool wide = state.range(0) != 0;
    TableRun& run = Run(wide);
    TEngineTableSource source(*run.engine);
    TTableView view;
    view.CurrentJUX = run.id;
    view.TableRequested = int32_t(state.range(1));
    view.DelayCategory = int32_t(state.range(2));
    view.DelayMode = view.DelayCategory > 0 ? 1 : 0;
    for (auto _ : state) {
        TTablePage page = BuildTablePage(source, view, run.options.CompareNums);
        benchmark::DoNotOptimize(page);
    }
    state.counters["T"] = run.engine->Context.TestedDraws;
    state.counters["pool"] = run.engine->Context.PoolSize;
}
// {wide, requested, delay category}
BENCHMARK(BM_BuildTablePage)
    ->Args({0, 6, 0})
    ->Args({0, 6, 2})
    ->Args({1, 7, 0})
    ->Args({1, 7, 3})
    ->Args({1, 50, 0})
    ->Args({1, 98, 0})
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
