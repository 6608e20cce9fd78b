// Cost of one panorama refresh (texts of every cell, one histogram per
// column) and of colouring every cell with compare numbers set, on a 6 of 49
// game with 300 draws, T = 100, D = 20, after 200 tables.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>

#include "bench/BenchGame.h"
#include "data/GameModel.h"
#include "data/Utils.h"
#include "engine/GameOptions.h"
#include "engine/JUXEngine.h"
#include "models/PanoramaModel.h"

namespace {

struct PanoramaRun {
    TGameInfo info;
    std::unique_ptr<TDrawClass> model;
    TGameOptions options;
    std::unique_ptr<TJUXEngine> engine;

    PanoramaRun()
    {
        model = MakeBenchGame(info);
        options.SetGame(model.get());
        options.SetDefaults();
        options.MaximumJUXsToScan = 200;
        options.CompareNums = {3, 11, 17, 25, 38, 44};
        engine = std::make_unique<TJUXEngine>(options);
        engine->StartRun();
        engine->RunAnalysis();
    }
};

PanoramaRun& Run()
{
    static PanoramaRun run;
    return run;
}

void BM_BuildPanorama(benchmark::State& state)
{
    PanoramaRun& run = Run();
    TEnginePanoramaSource source(*run.engine);
    TPanoramaGrid grid;
    const int32_t mode = int32_t(state.range(0));
    for (auto _ : state) {
        BuildPanorama(source, 6, mode, run.options.MaximumJUXsPerColumn, grid);
        benchmark::DoNotOptimize(grid.Cells.data());
    }
}
BENCHMARK(BM_BuildPanorama)->Arg(kPanoramaAugmentative)->Arg(kPanoramaAbsolute)->Arg(kPanoramaBuildup);

void BM_PanoramaColors(benchmark::State& state)
{
    PanoramaRun& run = Run();
    TEnginePanoramaSource source(*run.engine);
    TPanoramaGrid grid;
    BuildPanorama(source, 6, kPanoramaAugmentative, run.options.MaximumJUXsPerColumn, grid);
    TIntegerStore user;
    TPanoramaPalette palette{&user, &run.options.CompareNums, RGBColor(240, 240, 240)};
    for (auto _ : state) {
        uint32_t sum = 0;
        for (int32_t row = 0; row < grid.RowCount; ++row)
            for (int32_t col = 0; col < grid.ColCount; ++col)
                sum += PanoramaCellColor(grid, source, 6, palette, col, row);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_PanoramaColors);

} // namespace

BENCHMARK_MAIN();
