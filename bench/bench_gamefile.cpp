// Examining, loading and writing a game file of 100,000 dated 6 of 49 draws.
#include <benchmark/benchmark.h>

#include "bench/BenchGame.h"
#include "data/GameFile.h"
#include "data/Utils.h"

namespace {

constexpr int kDraws = 100000;

TGameInfo Game649() { return BenchGameInfo("Bench 6 of 49", 49, 6); }

std::unique_ptr<TDrawClass> MakeModel(const TGameInfo& g)
{
    auto model = std::make_unique<TDrawClass>(g);
    AddBenchDraws(*model, g, kDraws, 1, EncodeDate(1900, 1, 1));
    return model;
}

const std::vector<uint8_t>& Image()
{
    static const std::vector<uint8_t> image = [] {
        const TGameInfo g = Game649();
        auto model = MakeModel(g);
        TMemoryStream s;
        WriteGameHeader(s, g);
        WriteDraws(s, g, *model);
        return s.Bytes();
    }();
    return image;
}

void BM_ExamineGameImage(benchmark::State& state)
{
    const auto& image = Image();
    for (auto _ : state) {
        TGameIOInfo info = ExamineGameImage(image);
        if (info.Status != gioValid)
            state.SkipWithError("not valid");
        benchmark::DoNotOptimize(info.DrawCount);
    }
    state.counters["bytes"] = static_cast<double>(image.size());
}
BENCHMARK(BM_ExamineGameImage)->Unit(benchmark::kMillisecond);

void BM_LoadDraws(benchmark::State& state)
{
    const auto& image = Image();
    TGameIOInfo info = ExamineGameImage(image);
    for (auto _ : state) {
        TDrawClass model(info.Game);
        LoadDrawsFromImage(image, info, model);
        benchmark::DoNotOptimize(model.DrawCount());
    }
}
BENCHMARK(BM_LoadDraws)->Unit(benchmark::kMillisecond);

void BM_WriteGame(benchmark::State& state)
{
    const TGameInfo g = Game649();
    auto model = MakeModel(g);
    for (auto _ : state) {
        TMemoryStream s;
        WriteGameHeader(s, g);
        WriteDraws(s, g, *model);
        benchmark::DoNotOptimize(s.Size());
    }
}
BENCHMARK(BM_WriteGame)->Unit(benchmark::kMillisecond);

TCurrentGame& BenchGame()
{
    static TCurrentGame game = [] {
        TCurrentGame g;
        g.Info = Game649();
        g.Draws = MakeModel(g.Info);
        return g;
    }();
    return game;
}

void BM_SnapshotExport(benchmark::State& state)
{
    for (auto _ : state) {
        TBinaryFileStreamDraws out(BenchGame());
        out.ExportData();
        benchmark::DoNotOptimize(out.Stream().Size());
    }
}
BENCHMARK(BM_SnapshotExport)->Unit(benchmark::kMillisecond);

void BM_SnapshotCompress(benchmark::State& state)
{
    TBinaryFileStreamDraws out(BenchGame());
    out.ExportData();
    const TMemoryStream image = out.Stream();
    for (auto _ : state) {
        TBinaryFileStreamDraws s(BenchGame());
        s.Stream() = image;
        s.Compress();
        benchmark::DoNotOptimize(s.Stream().Size());
    }
}
BENCHMARK(BM_SnapshotCompress)->Unit(benchmark::kMillisecond);

void BM_SnapshotLoadFromFile(benchmark::State& state)
{
    const std::string path = "/tmp/bench_gamefile.wrd";
    TBinaryFileStreamDraws(BenchGame()).SaveToFile(path);
    for (auto _ : state) {
        TCurrentGame copy;
        TBinaryFileStreamDraws in(copy);
        in.LoadFromFile(path);
        benchmark::DoNotOptimize(copy.Draws->DrawCount());
    }
}
BENCHMARK(BM_SnapshotLoadFromFile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
