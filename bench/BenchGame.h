// The benchmarks' games: one field of seeded random draws, one a day; and
// the thread counts runs are measured with side by side.
#pragma once

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "data/GameModel.h"
#include "data/RandomDraws.h"
#include "data/Utils.h"
#include "engine/JUXEngine.h"

// One field of `picked` of `total`, one draw a day.
inline TGameInfo BenchGameInfo(const std::string& name, int32_t total, int32_t picked)
{
    TGameInfo info;
    info.Name = name;
    info.FieldCount = 1;
    info.DrawsPerDay = 1;
    info.Fields[0] = TGameField{total, picked, 1, 0};
    info.FieldNames[0] = "Main numbers";
    return info;
}

// Adds `count` draws of distinct random balls of the first field, one a day from `first`.
inline void AddBenchDraws(TDrawClass& model, const TGameInfo& info, int count, unsigned seed, TDateTime first)
{
    std::mt19937 rng(seed);
    for (int d = 0; d < count; ++d)
        model.AddDraw(1, 0, {RandomBalls(rng, info.Fields[0])}, first + d);
}

// 6 of 49 with 300 draws from 2000-01-01.
inline std::unique_ptr<TDrawClass> MakeBenchGame(TGameInfo& info)
{
    info = BenchGameInfo("Bench Lotto", 49, 6);
    auto model = std::make_unique<TDrawClass>(info);
    AddBenchDraws(*model, info, 300, 2024, EncodeDate(2000, 1, 1));
    return model;
}

// 7 of 99 with `draws` draws from 2000-01-01: long histories, wide tables.
inline std::unique_ptr<TDrawClass> MakeWideGame(TGameInfo& info, int draws)
{
    info = BenchGameInfo("Wide Lotto", 99, 7);
    auto model = std::make_unique<TDrawClass>(info);
    AddBenchDraws(*model, info, draws, 99, EncodeDate(2000, 1, 1));
    return model;
}

// 1 thread, 2 threads and, on a machine with more cores, one per core.
inline std::vector<int32_t> BenchThreadCounts()
{
    std::vector<int32_t> counts{1, 2};
    if (TJUXEngine::MachineThreads() > 2)
        counts.push_back(TJUXEngine::MachineThreads());
    return counts;
}

// Registers those counts as a benchmark's argument: ->Apply(ThreadCountArgs).
template <class TBenchmark>
void ThreadCountArgs(TBenchmark* b)
{
    for (int32_t threads : BenchThreadCounts())
        b->Arg(threads);
}
