// Cost of working out the JUX Table page (statistics, predicted-number grid,
// copies and both charts' series) for one table: on the benchmark game
// (6 of 49, T = 100) and on a 7 of 99 game with T = 1,000 tested draws, for
// a few requested-number counts.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>

#include "bench/BenchGame.h"
#include "data/GameModel.h"
#include "data/Utils.h"
#include "display/TableStatistics.h"
#include "engine/GameOptions.h"
#include "engine/JUXEngine.h"

namespace {

std::unique_ptr<TDrawClass> MakeWideGame(TGameInfo& info, int draws)
{
    info.Name = "Wide Lotto";
    info.FieldCount = 1;
    info.DrawsPerDay = 1;
    info.Fields[0] = TGameField{99, 7, 1, 0};
    info.FieldNames[0] = "Main numbers";
    auto model = std::make_unique<TDrawClass>(info);
    std::mt19937 rng(99);
    const TDateTime first = EncodeDate(2000, 1, 1);
    for (int d = 0; d < draws; ++d) {
        TShortIntArray balls;
        while (balls.size() < 7) {
            const int8_t b = int8_t(1 + rng() % 99);
            if (std::find(balls.begin(), balls.end(), b) == balls.end())
                balls.push_back(b);
        }
        model->AddDraw(1, 0, {balls}, first + d);
    }
    return model;
}

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
        if (wide) {
            options.TotalTestDraws = 1000;
            options.MaxStatData = 20;
            options.SetStartPoint(options.DrawCount() - 1000);
        }
        options.MaximumJUXsToScan = wide ? 4 : 50;
        options.CompareNums = {3, 11, 17, 25, 38, 44};
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
