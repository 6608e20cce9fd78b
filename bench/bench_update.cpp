// Updating a game from its results file: which draws are new in a history of
// 20,000 draws, and a whole update from a local file of 20,000 lines (read,
// analysed with the stored layout, merged, saved) that adds two draws.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench/BenchGame.h"
#include "data/DrawsMerge.h"
#include "data/GameFile.h"
#include "data/Utils.h"
#include "service/SourceUpdate.h"

namespace {

constexpr int kDraws = 20000;

std::vector<TDraw> AsFile(const TDrawClass& model)
{
    std::vector<TDraw> file;
    for (int i = 1; i <= model.DrawCount(); ++i)
        file.push_back(*model.GetDraw(i));
    return file;
}

// "YYYY-MM-DD,n,n,n,n,n,n" per draw, as open-data sites publish them.
std::string AsText(const TDrawClass& model)
{
    std::string text = "Draw date,Ball 1,Ball 2,Ball 3,Ball 4,Ball 5,Ball 6\n";
    for (int i = 1; i <= model.DrawCount(); ++i) {
        const TDraw* d = model.GetDraw(i);
        text += DateText(2, "-", false, false, d->Date);
        for (int8_t b : d->Numbers[0])
            text += Format(",%d", int(b));
        text += '\n';
    }
    return text;
}

void BM_PlanMerge(benchmark::State& state)
{
    const TGameInfo info = BenchGameInfo("Bench 6 of 49", 49, 6);
    TDrawClass published(info);
    AddBenchDraws(published, info, kDraws + 2, 7, EncodeDate(1960, 1, 1));
    TDrawClass game(info);
    for (int i = 1; i <= kDraws; ++i) {
        const TDraw* d = published.GetDraw(i);
        game.AddDraw(d->Index, 0, d->Numbers, d->Date);
    }
    const std::vector<TDraw> file = AsFile(published);
    for (auto _ : state) {
        const TDrawsMerge plan = PlanDrawsMerge(game, file);
        benchmark::DoNotOptimize(plan.NewDraws.size());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(file.size()));
}

void BM_UpdateFromLocalFile(benchmark::State& state)
{
    namespace fs = std::filesystem;
    const std::string folder = (fs::temp_directory_path() / "jux-bench-update/").string();
    fs::create_directories(folder);
    const TGameInfo info = BenchGameInfo("Bench 6 of 49", 49, 6);
    TDrawClass published(info);
    AddBenchDraws(published, info, kDraws, 11, EncodeDate(1960, 1, 1));
    const std::string text = AsText(published);
    std::string error;
    WriteWholeFile(folder + "results.csv", std::vector<uint8_t>(text.begin(), text.end()), error);
    TDrawClass older(info);
    for (int i = 1; i <= kDraws - 2; ++i) {
        const TDraw* d = published.GetDraw(i);
        older.AddDraw(d->Index, 0, d->Numbers, d->Date);
    }
    TMemoryStream image;
    WriteGameHeader(image, info);
    WriteDraws(image, info, older);
    const std::string game = folder + "bench.drw";
    TUpdateSettings settings;
    settings.NewAddress = folder + "results.csv";
    for (auto _ : state) {
        state.PauseTiming();
        WriteWholeFile(game, image.Bytes(), error);
        state.ResumeTiming();
        const TUpdateOutcome o = UpdateGameFile(game, settings);
        if (o.Added != 2)
            state.SkipWithError(o.Message.c_str());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
    fs::remove_all(folder);
}

} // namespace

BENCHMARK(BM_PlanMerge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdateFromLocalFile)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
