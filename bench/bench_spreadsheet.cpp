// Cost of the table details workbook: 1, 10 and 100 tables of a 6 of 49 game
// with 300 draws, T = 100, D = 20, written to an .xlsx file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/BenchGame.h"
#include "engine/EngineLinks.h"
#include "engine/GameOptions.h"
#include "engine/JUXEngine.h"
#include "models/SpreadsheetExport.h"

namespace {

struct ExportRun {
    TGameInfo info;
    std::unique_ptr<TDrawClass> model;
    TGameOptions options;
    std::unique_ptr<TJUXEngine> engine;
    TPlainDisplayLink display; // keeps the first 100 tables alive

    ExportRun()
    {
        model = MakeBenchGame(info);
        options.SetGame(model.get());
        options.SetDefaults();
        options.MaximumJUXsToScan = 100;
        for (int32_t id = 1; id <= 100; ++id)
            display.UserList.AddInt(id);
        engine = std::make_unique<TJUXEngine>(options);
        engine->SetDisplayLink(&display);
        engine->StartRun();
        engine->RunAnalysis();
    }
};

ExportRun& Run()
{
    static ExportRun run;
    return run;
}

std::string OutFile()
{
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir ? dir : "/tmp") + "/jux_bench_export.xlsx";
}

void BM_ExportWorkbook(benchmark::State& state)
{
    ExportRun& run = Run();
    TIntegerStore ids;
    for (int32_t id = 1; id <= int32_t(state.range(0)); ++id)
        ids.AddInt(id);
    const std::string path = OutFile();
    size_t sheets = 0;
    for (auto _ : state) {
        const TJUXToEXCEL done(*run.engine, ids, "Main numbers", path);
        sheets = done.SheetIds().size();
    }
    if (sheets != size_t(state.range(0)))
        state.SkipWithError("tables missing from the run");
    state.counters["sheets"] = double(sheets);
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(sheets));
    std::remove(path.c_str());
}
BENCHMARK(BM_ExportWorkbook)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
