// Where the time of saving a long run goes: building the run state image in
// memory, compressing it (at the level the files are written with, and at the
// others for comparison), writing it, and the whole SaveToFile; reading it
// back for scale. The run is the one named by JUX_BENCH_RUN_STATE (a .jsf
// file, e.g. made with `jux-cli analyze GAME --tables 364000 --save-state`),
// or else 20,000 tables of the benchmark game.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <zlib.h>

#include "bench/BenchGame.h"
#include "data/GameFile.h"
#include "data/Utils.h"
#include "engine/GameOptions.h"
#include "engine/JUXEngine.h"
#include "engine/RunStateFiles.h"

namespace {

struct TRun {
    TCurrentGame game;
    TGameOptions options;
    std::unique_ptr<TJUXEngine> engine;
    TIntegerStore userList;

    TRun()
    {
        engine = std::make_unique<TJUXEngine>(options);
        const char* path = std::getenv("JUX_BENCH_RUN_STATE");
        if (path && *path) {
            TBinaryFileStreamJUXState state(game, options, *engine, userList);
            state.LoadFromFile(path);
            return;
        }
        game.Draws = MakeBenchGame(game.Info);
        game.Info.State = 2;
        options.SetGame(game.Draws.get());
        options.SetDefaults();
        options.MaximumJUXsToScan = 20000;
        engine->StartRun();
        engine->RunAnalysis();
    }
};

TRun& Run()
{
    static TRun run;
    return run;
}

std::vector<uint8_t> Image()
{
    TRun& r = Run();
    TBinaryFileStreamJUXState state(r.game, r.options, *r.engine, r.userList);
    state.ExportData();
    return state.Stream().Bytes();
}

std::string TempPath()
{
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/bench_runstate.jsf";
}

void BM_BuildImage(benchmark::State& state)
{
    TRun& r = Run();
    size_t bytes = 0;
    for (auto _ : state) {
        TBinaryFileStreamJUXState image(r.game, r.options, *r.engine, r.userList);
        image.ExportData();
        bytes = image.Stream().Size();
    }
    state.counters["MB"] = double(bytes) / 1e6;
    state.counters["tables"] = double(r.engine->TableRegistry.Count());
}
BENCHMARK(BM_BuildImage)->Unit(benchmark::kMillisecond);

// deflate of the whole image at a level and with a strategy, as Compress does it.
void BM_Deflate(benchmark::State& state)
{
    const std::vector<uint8_t> in = Image();
    const int level = int(state.range(0));
    const int strategy = int(state.range(1));
    size_t produced = 0;
    for (auto _ : state) {
        z_stream strm{};
        deflateInit2(&strm, level, Z_DEFLATED, 15, 8, strategy);
        std::vector<uint8_t> out(deflateBound(&strm, uLong(in.size())));
        strm.next_in = const_cast<Bytef*>(in.data());
        strm.avail_in = uInt(in.size());
        strm.next_out = out.data();
        strm.avail_out = uInt(out.size());
        deflate(&strm, Z_FINISH);
        produced = strm.total_out;
        deflateEnd(&strm);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["MB"] = double(produced) / 1e6;
    state.counters["ratio"] = double(in.size()) / double(produced);
}
BENCHMARK(BM_Deflate)
    ->Args({1, Z_DEFAULT_STRATEGY})
    ->Args({6, Z_DEFAULT_STRATEGY})
    ->Args({9, Z_DEFAULT_STRATEGY})
    ->Args({1, Z_FILTERED})
    ->Args({9, Z_HUFFMAN_ONLY})
    ->Args({9, Z_RLE})
    ->Unit(benchmark::kMillisecond);

void BM_Compress(benchmark::State& state)
{
    TRun& r = Run();
    size_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TBinaryFileStreamJUXState image(r.game, r.options, *r.engine, r.userList);
        image.ExportData();
        state.ResumeTiming();
        image.Compress();
        bytes = image.Stream().Size();
    }
    state.counters["MB"] = double(bytes) / 1e6;
}
BENCHMARK(BM_Compress)->Unit(benchmark::kMillisecond);

void BM_SaveToFile(benchmark::State& state)
{
    TRun& r = Run();
    const std::string path = TempPath();
    for (auto _ : state) {
        TBinaryFileStreamJUXState file(r.game, r.options, *r.engine, r.userList);
        file.SaveToFile(path);
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_SaveToFile)->Unit(benchmark::kMillisecond);

void BM_LoadFromFile(benchmark::State& state)
{
    TRun& r = Run();
    const std::string path = TempPath();
    TBinaryFileStreamJUXState(r.game, r.options, *r.engine, r.userList).SaveToFile(path);
    for (auto _ : state) {
        TCurrentGame game;
        TGameOptions options;
        TJUXEngine engine(options);
        TIntegerStore userList;
        TBinaryFileStreamJUXState file(game, options, engine, userList);
        file.LoadFromFile(path);
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
