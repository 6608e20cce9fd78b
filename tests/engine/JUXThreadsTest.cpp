// Tables computed on worker threads against the run loop computing them
// itself: every reference case, paused and resumed at random tables, saved
// and read back, re-entered from the pending events, and the backtest, must
// leave exactly what one thread leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "data/GameFile.h"
#include "engine/Backtest.h"
#include "engine/GameOptions.h"
#include "engine/JUXEngine.h"
#include "engine/RunStateFiles.h"
#include "support/GameFixtures.h"
#include "support/ReferenceCases.h"

namespace {

using fixtures::Bytes;

// One case's game, options and engine; a run state image read back gives
// the same.
struct TCaseRun {
    TCurrentGame game;
    TGameOptions options;
    TIntegerStore userList;
    std::unique_ptr<TJUXEngine> engine;

    TCaseRun(const Case& c, int32_t threads)
    {
        game.Info = fixtures::MakeGame(c.picked, c.total, 1, c.kind, c.picked2, c.total2, c.lowest);
        game.Draws = std::make_unique<TDrawClass>(game.Info);
        fixtures::FillDraws(*game.Draws, game.Info, c.draws, c.seed);
        SetCaseOptions(c, *game.Draws, options);
        options.KeepJUXs.CopyTo(userList);
        engine = std::make_unique<TJUXEngine>(options);
        engine->SetThreads(threads);
        engine->StartRun();
    }
    TCaseRun(const Bytes& image, int32_t threads)
    {
        engine = std::make_unique<TJUXEngine>(options);
        engine->SetThreads(threads);
        TBinaryFileStreamJUXState state(game, options, *engine, userList);
        state.Stream().Bytes() = image;
        state.ImportData();
        options.Validate();
        engine->FillHitProbabilities();
    }
    // The run state file's image; its error text for a game no file can
    // hold (more balls than a game file allows).
    Bytes Image()
    {
        try {
            TBinaryFileStreamJUXState state(game, options, *engine, userList);
            state.ExportData();
            return state.Stream().Bytes();
        } catch (const std::exception& e) {
            return Bytes(e.what(), e.what() + std::strlen(e.what()));
        }
    }
};

// Runs until `until` tables are computed (or the run finishes).
struct TUntil : TRunControl {
    const TJUXEngine* engine = nullptr;
    int32_t until = 0;
    bool ShouldContinue() override
    {
        return engine->Context.TablesComputed < until && !::testing::Test::HasFatalFailure();
    }
    void RunFinished() override {}
};

TJUXEngine::TRunEnd RunTo(TJUXEngine& engine, int32_t until)
{
    TUntil control;
    control.engine = &engine;
    control.until = until;
    engine.SetRunControl(&control);
    const TJUXEngine::TRunEnd end = engine.RunAnalysis();
    engine.SetRunControl(nullptr);
    return end;
}

struct TCallbackPump : TEventPump {
    std::function<void()> onEvents;
    void ProcessPendingEvents() override { onEvents(); }
};

std::vector<int32_t> Ids(const TIntegerStore& store)
{
    std::vector<int32_t> ids;
    for (int p = 1; p <= store.Count(); ++p) {
        int32_t v = 0;
        store.GetInt(p, v);
        ids.push_back(v);
    }
    return ids;
}

bool SameBytes(const int8_t* a, const int8_t* b, int32_t n) { return std::memcmp(a, b, size_t(n)) == 0; }

// The run context, every live table with all its arrays, and every list.
void ExpectSameRun(const TJUXEngine& one, const TJUXEngine& many, const std::string& where)
{
    const TRunContext &a = one.Context, &b = many.Context;
    ASSERT_EQ(a.TablesComputed, b.TablesComputed) << where;
    ASSERT_EQ(std::make_tuple(a.CurrentDraw, a.WindowStart, a.RowCursor),
              std::make_tuple(b.CurrentDraw, b.WindowStart, b.RowCursor))
        << where;
    ASSERT_EQ(Ids(one.TableIds), Ids(many.TableIds)) << where;
    for (int p = 1; p <= one.TableRegistry.Count(); ++p) {
        const TJUXClass* x = one.TableRegistry.GetRecord(p);
        const TJUXClass* y = many.TableRegistry.GetRecord(p);
        ASSERT_EQ(x->Id, y->Id) << where;
        ASSERT_EQ(x->FinalOrder, y->FinalOrder) << where << ", table " << x->Id;
        ASSERT_EQ(x->Rows(), y->Rows());
        for (int32_t r = 0; r < x->Rows(); ++r) {
            ASSERT_TRUE(SameBytes(x->RowOrder(r), y->RowOrder(r), x->PoolSize())) << where << ", table " << x->Id;
            ASSERT_TRUE(SameBytes(x->RowHit(r), y->RowHit(r), x->HitWidth())) << where << ", table " << x->Id;
        }
    }
    for (int32_t mode = 0; mode < kModeCount; ++mode) {
        const TModeList &m = one.Lists.ModeList(mode), &n = many.Lists.ModeList(mode);
        ASSERT_EQ(m.Count(), n.Count());
        for (int i = 1; i <= m.Count(); ++i) {
            ASSERT_EQ(m.GetRecord(i)->Count(), n.GetRecord(i)->Count());
            for (int j = 1; j <= m.GetRecord(i)->Count(); ++j)
                ASSERT_EQ(Ids(*m.GetRecord(i)->GetRecord(j)), Ids(*n.GetRecord(i)->GetRecord(j)))
                    << where << ", mode " << mode << " i " << i << " j " << j;
        }
    }
}

// Every reference case on 1, 2 and 4 threads in one call of the run loop,
// compared after each table with one thread run a table at a time.
class JUXThreads : public ::testing::TestWithParam<std::tuple<Case, int32_t>> {};

TEST_P(JUXThreads, EveryTableAndListAsWithOneThread)
{
    const Case& c = std::get<0>(GetParam());
    const int32_t threads = std::get<1>(GetParam());
    TCaseRun one(c, 1), many(c, threads);
    ASSERT_EQ(many.engine->Threads(), threads);
    int compared = 0;
    TCallbackPump pump;
    pump.onEvents = [&] {
        if (::testing::Test::HasFatalFailure())
            return;
        RunTo(*one.engine, one.engine->Context.TablesComputed + 1);
        ExpectSameRun(*one.engine, *many.engine, "after table " + std::to_string(++compared));
    };
    many.engine->SetEventPump(&pump);
    EXPECT_EQ(RunTo(*many.engine, c.tables + 1), TJUXEngine::TRunEnd::Finished);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(compared, c.tables);
    EXPECT_EQ(one.Image(), many.Image());
}

INSTANTIATE_TEST_SUITE_P(ReferenceCases, JUXThreads,
                         ::testing::Combine(::testing::ValuesIn(ReferenceCases()), ::testing::Values(1, 2, 4)),
                         [](const ::testing::TestParamInfo<std::tuple<Case, int32_t>>& info) {
                             return std::string(std::get<0>(info.param).name) + "Threads" +
                                    std::to_string(std::get<1>(info.param));
                         });

const Case& CaseNamed(const std::string& name)
{
    for (const Case& c : ReferenceCases())
        if (name == c.name)
            return c;
    throw std::runtime_error("no case " + name);
}

// Pauses at random tables: the paused run, its run state file and the run
// resumed from that file (or in memory) are those of one thread.
TEST(JUXThreadsPause, RandomPausesSavesAndResumes)
{
    for (const char* name :
         {"SixOf49StartPoint", "FiveOf50PowerField2", "ManyTablesShortLists", "SevenPlusSevenCombined"})
        for (int32_t threads : {2, 4}) {
            SCOPED_TRACE(std::string(name) + " on " + std::to_string(threads) + " threads");
            const Case& c = CaseNamed(name);
            std::mt19937 rng(unsigned(c.seed * 31 + threads));
            auto one = std::make_unique<TCaseRun>(c, 1);
            auto many = std::make_unique<TCaseRun>(c, threads);
            int32_t at = 0, pauses = 0;
            while (at < c.tables) {
                at = std::min(c.tables, at + 1 + int32_t(rng() % 9));
                // The last one runs into the maximum.
                const int32_t until = at < c.tables ? at : at + 1;
                const TJUXEngine::TRunEnd end = RunTo(*many->engine, until);
                ASSERT_EQ(end, at < c.tables ? TJUXEngine::TRunEnd::Stopped : TJUXEngine::TRunEnd::Finished);
                RunTo(*one->engine, until);
                ExpectSameRun(*one->engine, *many->engine, "paused at " + std::to_string(at));
                const Bytes image = many->Image();
                ASSERT_EQ(image, one->Image()) << "paused at " << at;
                // Every other pause both go on from the file, as after an import.
                if (++pauses % 2 == 0) {
                    many = std::make_unique<TCaseRun>(image, threads);
                    one = std::make_unique<TCaseRun>(image, 1);
                }
            }
            EXPECT_GT(pauses, 3);
        }
}

// The pending events may pause and resume the run (a run loop inside the
// run loop) or start a new run; whatever the outer loop then files must be
// what one thread files after the same events.
TEST(JUXThreadsPause, EventsThatEnterTheRunLoopAgain)
{
    const Case& c = CaseNamed("ManyTablesShortLists");
    for (int32_t threads : {1, 3}) {
        SCOPED_TRACE(std::to_string(threads) + " threads");
        auto script = [&](TCaseRun& run) {
            TUntil control;
            control.engine = run.engine.get();
            control.until = 60;
            TCallbackPump pump;
            int calls = 0;
            pump.onEvents = [&] {
                ++calls;
                if (calls == 7) { // paused and resumed at once: the inner loop runs to 40
                    control.until = 40;
                    EXPECT_EQ(run.engine->RunAnalysis(), TJUXEngine::TRunEnd::Stopped);
                    control.until = 60;
                }
                if (calls == 60) // a new run; the outer loop goes on with it
                    run.engine->StartRun();
            };
            run.engine->SetRunControl(&control);
            run.engine->SetEventPump(&pump);
            EXPECT_EQ(run.engine->RunAnalysis(), TJUXEngine::TRunEnd::Stopped);
            run.engine->SetEventPump(nullptr);
            run.engine->SetRunControl(nullptr);
            EXPECT_EQ(run.engine->Context.TablesComputed, 60);
            EXPECT_EQ(calls, 60 + 60);
        };
        TCaseRun one(c, 1), many(c, threads);
        script(one);
        script(many);
        ExpectSameRun(*one.engine, *many.engine, "after the events");
        EXPECT_EQ(one.Image(), many.Image());
    }
}

// The backtest with its draws on worker threads predicts what one thread
// predicts, draw by draw, and sums up the same.
// A 6 of 49 game of 90 draws and short runs on it.
struct TBacktestGame {
    TGameInfo info = fixtures::MakeGame(6, 49);
    TDrawClass model{info};
    TGameOptions options;
    explicit TBacktestGame(unsigned seed)
    {
        fixtures::FillDraws(model, info, 90, seed);
        options.SetGame(&model);
        options.SetDefaults();
        options.TotalTestDraws = 20;
        options.MaxStatData = 8;
        options.SetStartPoint(90 - 20);
        options.MaximumJUXsPerColumn = 4;
    }
};

TEST(JUXThreadsBacktest, SameAsOneThread)
{
    TBacktestGame game(5);
    const TDrawClass& model = game.model;
    const TGameOptions& options = game.options;

    auto run = [&](int32_t threads) {
        auto backtest = std::make_unique<TBacktest>(model, options, 7, 12);
        backtest->SetThreads(threads);
        struct TCount : TBacktestObserver {
            std::vector<int32_t> drawsSeen;
            bool Progress(int32_t drawsDone, int32_t, int32_t, int32_t) override
            {
                drawsSeen.push_back(drawsDone);
                return true;
            }
        } observer;
        EXPECT_TRUE(backtest->Run(&observer));
        EXPECT_TRUE(std::is_sorted(observer.drawsSeen.begin(), observer.drawsSeen.end()));
        return backtest;
    };
    const auto one = run(1);
    ASSERT_TRUE(one->Complete());
    for (int32_t threads : {2, 4, 16}) {
        SCOPED_TRACE(std::to_string(threads) + " threads");
        const auto many = run(threads);
        ASSERT_EQ(many->Results().size(), one->Results().size());
        for (size_t d = 0; d < one->Results().size(); ++d) {
            const TBacktestDraw &a = one->Results()[d], &b = many->Results()[d];
            ASSERT_EQ(a.Position, b.Position);
            ASSERT_EQ(a.Actual, b.Actual);
            ASSERT_EQ(a.Predictions.size(), b.Predictions.size());
            for (size_t p = 0; p < a.Predictions.size(); ++p) {
                EXPECT_EQ(a.Predictions[p].Table, b.Predictions[p].Table);
                EXPECT_EQ(a.Predictions[p].Numbers, b.Predictions[p].Numbers);
                EXPECT_EQ(a.Predictions[p].Hits, b.Predictions[p].Hits);
            }
        }
        const auto x = one->Summary(), y = many->Summary();
        ASSERT_EQ(x.size(), y.size());
        for (size_t s = 0; s < x.size(); ++s) {
            EXPECT_EQ(x[s].Predicted, y[s].Predicted);
            EXPECT_EQ(x[s].Hits, y[s].Hits);
            EXPECT_EQ(x[s].Observed, y[s].Observed);
            EXPECT_EQ(x[s].PValue, y[s].PValue); // the same bits: the same sums
        }
    }
}

// A cancelled backtest stops every worker at its next table: with runs far
// too long to finish, Run returns, keeping no draw, once the observer says
// stop.
TEST(JUXThreadsBacktest, CancelStopsEveryWorker)
{
    TBacktestGame game(6);
    for (int32_t threads : {2, 3}) {
        TBacktest backtest(game.model, game.options, 6, 999999999);
        backtest.SetThreads(threads);
        struct TCancel : TBacktestObserver {
            int calls = 0;
            int32_t tablesSeen = 0;
            bool Progress(int32_t, int32_t, int32_t tablesDone, int32_t) override
            {
                ++calls;
                tablesSeen = std::max(tablesSeen, tablesDone);
                return tablesSeen < 20; // the runs are under way
            }
        } observer;
        EXPECT_FALSE(backtest.Run(&observer));
        EXPECT_GE(observer.tablesSeen, 20);
        EXPECT_TRUE(backtest.Results().empty());
        EXPECT_FALSE(backtest.Complete());
    }
}

} // namespace
