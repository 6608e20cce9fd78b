// The draws import analysis on large files: 100,000 lines in the layouts the
// analysis meets most (a dated CSV with trailing columns; numbers only).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "data/ImportDrawsAI.h"
#include "data/Utils.h"

namespace {

TGameInfo Game(bool dated)
{
    TGameInfo g;
    g.Name = "Bench";
    g.FieldCount = 2;
    g.Field2Kind = 1;
    g.Fields[0] = TGameField{69, 5, 1, 0};
    g.Fields[1] = TGameField{26, 1, 1, 0};
    g.DrawsPerDay = dated ? 1 : 0;
    return g;
}

// "MM/DD/YYYY,n n n n n p,multiplier,jackpot,draw" lines, oldest first.
std::string WriteFile(int lines, bool dated)
{
    const std::string path =
        (std::filesystem::temp_directory_path() / (dated ? "bench_import_dated.csv" : "bench_import_plain.csv"))
            .string();
    std::mt19937 rng(3);
    std::ofstream out(path);
    out << "Draw Date,Winning Numbers,Multiplier,Jackpot,Draw\n";
    TDateTime date = EncodeDate(1901, 1, 1);
    for (int i = 0; i < lines; ++i) {
        int y = 0, m = 0, d = 0;
        DecodeDate(date, y, m, d);
        if (dated)
            out << Format("%2.2d/%2.2d/%4.4d,", m, d, y);
        int balls[5];
        for (int k = 0; k < 5; ++k) {
            bool again = true;
            while (again) {
                balls[k] = 1 + static_cast<int>(rng() % 69);
                again = false;
                for (int j = 0; j < k; ++j)
                    again = again || balls[j] == balls[k];
            }
            out << Format("%2.2d ", balls[k]);
        }
        out << Format("%2.2d,%d,%d,%d\n", 1 + static_cast<int>(rng() % 26), 2 + static_cast<int>(rng() % 4),
                      static_cast<int>(rng() % 400) * 1000000, i + 1);
        date += 1;
    }
    return path;
}

void AnalyzeLargeFile(benchmark::State& state)
{
    const bool dated = state.range(1) != 0;
    const std::string path = WriteFile(static_cast<int>(state.range(0)), dated);
    TDrawClass model(Game(dated));
    size_t found = 0;
    for (auto _ : state) {
        TImportDrawsAIClass ai(model);
        ai.ShowMessages = false;
        ai.AnalyzeFile(path);
        found = ai.FoundDraws.size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["draws"] = static_cast<double>(found);
    state.counters["lines/s"] =
        benchmark::Counter(static_cast<double>(state.range(0)) * state.iterations(), benchmark::Counter::kIsRate);
    std::filesystem::remove(path);
}

} // namespace

BENCHMARK(AnalyzeLargeFile)->Args({100000, 1})->Args({100000, 0})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
