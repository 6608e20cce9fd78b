// Tables per second of the JUX run loop on a 6 of 49 game with 300 draws,
// T = 100, D = 20, the default start point, all modes, requested numbers and
// hit categories, 19 tables per list; side by side with 1 thread, 2 threads
// and one per core. With --memory it instead runs 200,000 tables and prints
// the live tables and resident memory after 50,000 and 200,000; with --tables
// N it runs exactly N tables once and prints the time taken (a fixed amount
// of work, for instruction counts and side-by-side comparisons), with
// --threads T on T threads (default 1). --portable keeps the scan off the
// 512-bit vector routines, as on processors without them. --serial measures
// the share of a run that stays on one thread and what it leaves to more cores.
// --speedup [R] runs 20,000 tables on 1 and 2 threads in R alternating rounds
// (default 5), with two separate 1-thread runs at once as the machine's ceiling.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <time.h>

#include "bench/BenchGame.h"
#include "bench/SideBySide.h"
#include "data/GameModel.h"
#include "data/Utils.h"
#include "engine/GameOptions.h"
#include "engine/JUXEngine.h"
#include "engine/JUXScan.h"

namespace {

// --portable: the scans keep to the vector routines every x86-64 processor has.
TJUXScanner::TVectors scanVectors = TJUXScanner::TVectors::Widest;

struct BenchGame {
    TGameInfo info;
    std::unique_ptr<TDrawClass> model;
    TGameOptions options;

    BenchGame()
    {
        model = MakeBenchGame(info);
        options.SetGame(model.get());
        options.SetDefaults(); // T 100, D 20, start point N - T, all modes, 19 per column
    }
};

void BM_RunLoop(benchmark::State& state)
{
    BenchGame game;
    TJUXEngine engine(game.options);
    engine.SetScanVectors(scanVectors);
    engine.SetThreads(int32_t(state.range(0)));
    engine.StartRun();
    int32_t tables = 0;
    for (auto _ : state) {
        game.options.MaximumJUXsToScan = engine.Context.TablesComputed + 10000;
        engine.RunAnalysis();
        tables += 10000;
    }
    state.counters["tables/s"] = benchmark::Counter(double(tables), benchmark::Counter::kIsRate);
    state.counters["live"] = double(engine.TableRegistry.Count());
}
BENCHMARK(BM_RunLoop)
    ->ArgName("threads")
    ->Apply(ThreadCountArgs)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(5.0)
    ->UseRealTime();

long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

size_t TableBytes(const TJUXEngine& engine)
{
    size_t bytes = 0;
    for (int p = 1; p <= engine.TableRegistry.Count(); ++p)
        bytes += engine.TableRegistry.GetRecord(p)->MemoryBytes();
    return bytes;
}

int MemoryRun()
{
    BenchGame game;
    TJUXEngine engine(game.options);
    engine.SetScanVectors(scanVectors);
    engine.StartRun();
    const auto start = std::chrono::steady_clock::now();
    for (int32_t mark : {50000, 100000, 150000, 200000}) {
        game.options.MaximumJUXsToScan = mark;
        engine.RunAnalysis();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        int listed = 0;
        for (int p = 1; p <= engine.TableRegistry.Count(); ++p)
            listed += engine.TableRegistry.GetRecord(p)->ListReferences > 0 ? 1 : 0;
        std::printf("tables %7d  live %6d  listed %6d  table bytes %9zu  resident %7ld KiB  %.1f s\n", mark,
                    engine.TableRegistry.Count(), listed, TableBytes(engine), ResidentKiB(), seconds);
        std::fflush(stdout);
    }
    return 0;
}

int FixedRun(int32_t tables, int32_t threads)
{
    BenchGame game;
    TJUXEngine engine(game.options);
    engine.SetScanVectors(scanVectors);
    engine.SetThreads(threads);
    engine.StartRun();
    game.options.MaximumJUXsToScan = tables;
    const auto start = std::chrono::steady_clock::now();
    engine.RunAnalysis();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("tables %d  threads %d  live %d  %.3f s  %.0f tables/s\n", tables, engine.Threads(),
                engine.TableRegistry.Count(), seconds, tables / seconds);
    return 0;
}

// The serial share of a run: what stays on the run loop's thread however
// many threads compute the tables (adding each table to the registry and
// filing it, with the recycling the filing does), against what workers take
// over (making a table and scanning it). One run on one thread, the loop of
// TJUXEngine::RunAnalysis with each part timed in the thread's processor
// time, which other programs running at once do not inflate; then the
// speed-up this leaves to more cores.
double ThreadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

int SerialShare(int32_t tables)
{
    BenchGame game;
    TJUXEngine engine(game.options);
    engine.SetScanVectors(scanVectors);
    engine.StartRun();
    game.options.MaximumJUXsToScan = tables;
    engine.ReloadDraws();
    engine.Lists.RunResumed();
    double scans = 0, filing = 0;
    for (int32_t id = 1; id <= tables; ++id) {
        const double t0 = ThreadSeconds();
        std::unique_ptr<TJUXClass> made = engine.CreateTable(id);
        if (id == 1)
            engine.ComputeFromDraws(*made);
        else
            engine.ComputeJUXAnalysis(*made);
        const double t1 = ThreadSeconds();
        engine.Context.TablesComputed = id;
        engine.AddTable(std::move(made));
        engine.Lists.FileTable(engine, *engine.TableRegistry.GetRecord(engine.TableRegistry.Count()));
        const double t2 = ThreadSeconds();
        scans += t1 - t0;
        filing += t2 - t1;
    }
    const double serial = filing / (scans + filing);
    std::printf("tables %d  scans %.3f s  run loop's own part %.3f s (processor time)  serial share %.1f %%  live %d\n",
                tables, scans, filing, 100 * serial, engine.TableRegistry.Count());
    // Filing overlaps the scans of later tables: on c cores the run goes at
    // most min(c, 1 / s) times as fast; without that overlap, Amdahl's 1 / (s + (1 - s) / c).
    for (int cores : {2, 4, 8, 16})
        std::printf("  %2d cores: at most %.1fx with the filing overlapped, %.1fx without\n", cores,
                    std::min(double(cores), serial > 0 ? 1 / serial : double(cores)),
                    1 / (serial + (1 - serial) / cores));
    return 0;
}

int Speedup(int rounds)
{
    constexpr int32_t kTables = 20000;
    return side_by_side::Report("run loop, 20,000 tables", kTables, rounds, [](int32_t threads) {
        BenchGame game;
        TJUXEngine engine(game.options);
        engine.SetScanVectors(scanVectors);
        engine.SetThreads(threads);
        engine.StartRun();
        game.options.MaximumJUXsToScan = kTables;
        engine.RunAnalysis();
    });
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--portable") == 0) {
            scanVectors = TJUXScanner::TVectors::Portable;
            for (int j = i; j + 1 < argc; ++j)
                argv[j] = argv[j + 1];
            --argc;
            break;
        }
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--memory") == 0)
            return MemoryRun();
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--serial") == 0)
            return SerialShare(20000);
    if (const int rounds = side_by_side::RoundsAsked(argc, argv))
        return Speedup(rounds);
    long threads = 1;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--threads") == 0) {
            threads = std::strtol(argv[i + 1], nullptr, 10);
            if (threads < 1 || threads > TJUXEngine::kMaxThreads) {
                std::fprintf(stderr, "--threads needs a count from 1 to %d\n", TJUXEngine::kMaxThreads);
                return 2;
            }
        }
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--tables") == 0) {
            const long tables = std::strtol(argv[i + 1], nullptr, 10);
            if (tables < 1 || tables > 100000000) {
                std::fprintf(stderr, "--tables needs a count from 1 to 100000000\n");
                return 2;
            }
            return FixedRun(int32_t(tables), int32_t(threads));
        }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
