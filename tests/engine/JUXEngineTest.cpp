// The start of a run, the run loop with its callbacks, the hit questions of a
// table and what a table holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>
#include <set>
#include <stdexcept>
#include <vector>

#include "data/GameModel.h"
#include "engine/GameOptions.h"
#include "engine/JUXEngine.h"
#include "support/GameFixtures.h"

namespace {

struct Rig {
    TGameInfo info;
    std::unique_ptr<TDrawClass> model;
    TGameOptions options;
    std::unique_ptr<TJUXEngine> engine;

    explicit Rig(TGameInfo g, int draws = 120, int t = 20, int d = 8)
        : info(std::move(g)), model(std::make_unique<TDrawClass>(info))
    {
        fixtures::FillDraws(*model, info, draws, 5);
        options.SetGame(model.get());
        options.SetDefaults();
        options.TotalTestDraws = t;
        options.MaxStatData = d;
        options.SetStartPoint(draws - t);
        engine = std::make_unique<TJUXEngine>(options);
    }
};

struct CountingControl : TRunControl {
    int continueFor = 1 << 30;
    int finished = 0;
    bool ShouldContinue() override { return continueFor-- > 0; }
    void RunFinished() override { ++finished; }
};

struct CountingPump : TEventPump {
    int calls = 0;
    void ProcessPendingEvents() override { ++calls; }
};

TEST(StartRun, RefusesGamesItCannotAnalyse)
{
    struct Case {
        TGameInfo game;
        int32_t field;
        const char* message;
    };
    const Case cases[] = {
        {fixtures::MakeGame(6, 49), 2, "INTERNAL ERROR : Field 2 inactive"},
        {fixtures::MakeGame(5, 50, 1, 1, 2, 10), 0, "INTERNAL ERROR : Invalid field request (0)"},
        {fixtures::MakeGame(5, 50, 1, 1, 2, 10), -3, "INTERNAL ERROR : Invalid field request (-3)"},
        {fixtures::MakeGame(5, 50, 1, 1, 2, 10), 3, "INTERNAL ERROR : Invalid field request (3)"},
        {fixtures::MakeGame(3, 10, 1, 0, 0, 0, 1, 1), 1, "INTERNAL ERROR : Game from same container detected."},
    };
    for (const Case& c : cases) {
        Rig rig(c.game);
        rig.options.FieldSelected = c.field;
        try {
            rig.engine->StartRun();
            ADD_FAILURE() << "no exception for " << c.message;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
    TGameOptions none;
    TJUXEngine engine(none);
    EXPECT_THROW(engine.StartRun(), Exception);
}

TEST(StartRun, SetsTheContextForEachKindOfField)
{
    struct Case {
        TGameInfo game;
        int32_t field;
        int32_t analysed, pool, drawn, k;
        bool combined;
    };
    const Case cases[] = {
        {fixtures::MakeGame(6, 49), 1, 1, 49, 6, 6, false},
        {fixtures::MakeGame(6, 49, 1, 2, 1), 2, 1, 49, 6, 7, true},
        {fixtures::MakeGame(6, 49, 1, 2, 1), 1, 1, 49, 6, 6, false},
        {fixtures::MakeGame(5, 50, 1, 1, 2, 10), 2, 2, 10, 2, 2, false},
    };
    for (const Case& c : cases) {
        Rig rig(c.game);
        rig.options.FieldSelected = c.field;
        rig.engine->StartRun();
        const TRunContext& x = rig.engine->Context;
        EXPECT_EQ(x.AnalysedField, c.analysed);
        EXPECT_EQ(x.PoolSize, c.pool);
        EXPECT_EQ(x.DrawnCount, c.drawn);
        EXPECT_EQ(x.HitWidth(), c.k);
        EXPECT_EQ(x.CombinedSecondField, c.combined);
        EXPECT_EQ(x.TablesComputed, 0);
        EXPECT_EQ(rig.engine->Rows(), 28);
        EXPECT_EQ(rig.engine->Lists.ModeList(0).Count(), c.pool - 1);
        EXPECT_GT(rig.engine->HitProbability(1, 1), 0.0L);
    }
}

TEST(RunAnalysis, FinishesAtTheMaximumAndPausesWhenAsked)
{
    Rig rig(fixtures::MakeGame(6, 49));
    CountingControl control;
    CountingPump pump;
    rig.engine->SetRunControl(&control);
    rig.engine->SetEventPump(&pump);
    rig.options.MaximumJUXsToScan = 6;
    rig.engine->StartRun();
    control.continueFor = 3;
    EXPECT_EQ(rig.engine->RunAnalysis(), TJUXEngine::TRunEnd::Stopped);
    EXPECT_EQ(rig.engine->Context.TablesComputed, 3);
    EXPECT_EQ(control.finished, 0);
    EXPECT_EQ(pump.calls, 3);
    control.continueFor = 100;
    EXPECT_EQ(rig.engine->RunAnalysis(), TJUXEngine::TRunEnd::Finished);
    EXPECT_EQ(rig.engine->Context.TablesComputed, 6);
    EXPECT_EQ(control.finished, 1);
    // Continuing a finished run computes nothing more.
    EXPECT_EQ(rig.engine->RunAnalysis(), TJUXEngine::TRunEnd::Finished);
    EXPECT_EQ(rig.engine->Context.TablesComputed, 6);

    // The paused run gives the tables of one run straight through.
    Rig straight(fixtures::MakeGame(6, 49));
    straight.options.MaximumJUXsToScan = 6;
    straight.engine->StartRun();
    straight.engine->RunAnalysis();
    for (int32_t id : {5, 6}) {
        const TJUXClass* a = rig.engine->FindTable(id);
        const TJUXClass* b = straight.engine->FindTable(id);
        ASSERT_TRUE(a && b);
        EXPECT_EQ(a->FinalOrder, b->FinalOrder);
        EXPECT_EQ(a->RowHits(), b->RowHits());
    }
    // A new run starts again from table 1.
    rig.engine->StartRun();
    EXPECT_EQ(rig.engine->TableRegistry.Count(), 0);
    EXPECT_EQ(rig.engine->Context.TablesComputed, 0);
}

TEST(RunAnalysis, CallsTheHandlerOnlyForTheShownPanorama)
{
    for (int32_t requested : {0, 6}) {
        Rig rig(fixtures::MakeGame(6, 49));
        TPlainDisplayLink display;
        display.Requested = requested;
        display.Mode = kModeNumberAbsolute;
        int refreshed = 0;
        rig.engine->SetDisplayLink(&display);
        rig.engine->SetListsChangedHandler([&] { ++refreshed; });
        rig.options.MaximumJUXsToScan = 20;
        rig.engine->StartRun();
        rig.engine->RunAnalysis();
        if (requested == 0)
            EXPECT_EQ(refreshed, 0);
        else
            EXPECT_GT(refreshed, 0);
    }
}

// The display is refreshed no more often than the interval allows, and a
// refresh owed when the run stops or finishes is made then.
TEST(RunAnalysis, ThrottlesRefreshesAndOwesNoneAtTheEnd)
{
    auto run = [](std::chrono::steady_clock::duration interval, int pauseAfter) {
        Rig rig(fixtures::MakeGame(6, 49));
        TPlainDisplayLink display;
        display.Requested = 6;
        display.Mode = kModeNumberAugmentative;
        std::vector<int32_t> at; // tables computed at each refresh
        CountingControl control;
        control.continueFor = pauseAfter;
        rig.engine->SetDisplayLink(&display);
        rig.engine->SetRunControl(&control);
        rig.engine->SetRefreshInterval(interval);
        rig.engine->SetListsChangedHandler([&] { at.push_back(rig.engine->Context.TablesComputed); });
        rig.options.MaximumJUXsToScan = 40;
        rig.engine->StartRun();
        rig.engine->RunAnalysis();
        return at;
    };
    const std::vector<int32_t> every = run(std::chrono::steady_clock::duration::zero(), 1000);
    ASSERT_GT(every.size(), 2u) << "the shown list must change more than twice for this test";
    for (int pauseAfter : {1000, every[1] + 1}) {
        const std::vector<int32_t> throttled = run(std::chrono::hours(1), pauseAfter);
        const int32_t end = std::min(40, pauseAfter);
        // The first change shows at once; every later one waits for the end.
        ASSERT_EQ(throttled.size(), 2u) << "pause after " << pauseAfter;
        EXPECT_EQ(throttled[0], every[0]);
        EXPECT_EQ(throttled[1], end);
    }
}

// A display whose state cannot be read makes the filing raise.
struct FailingDisplay : TPlainDisplayLink {
    int32_t PanoramaRequested() const override { throw std::runtime_error("display gone"); }
};

TEST(RunAnalysis, PumpsEventsEvenWhenFilingRaises)
{
    Rig rig(fixtures::MakeGame(6, 49));
    FailingDisplay display;
    CountingPump pump;
    rig.engine->SetDisplayLink(&display);
    rig.engine->SetEventPump(&pump);
    rig.options.MaximumJUXsToScan = 3;
    rig.engine->StartRun();
    EXPECT_THROW(rig.engine->RunAnalysis(), std::runtime_error);
    EXPECT_EQ(pump.calls, 1);
    EXPECT_EQ(rig.engine->Context.TablesComputed, 1);
}

TEST(ComputeJUXAnalysis, NeedsItsPredecessor)
{
    Rig rig(fixtures::MakeGame(6, 49));
    rig.engine->StartRun();
    auto table = rig.engine->CreateTable(4);
    try {
        table->ComputeJUXAnalysis(*rig.engine);
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "INTERNAL ERROR : ComputeJUXAnalysis prevJUX ID");
    }
}

TEST(Tables, RowsHitTheNextDrawAndTableTwoRepeatsRowZero)
{
    Rig rig(fixtures::MakeGame(6, 49, 1, 2, 1));
    rig.options.FieldSelected = 2; // bonus ball ranked with the main balls
    rig.options.MaximumJUXsToScan = 2;
    rig.engine->StartRun();
    rig.engine->RunAnalysis();
    const TJUXClass* one = rig.engine->FindTable(1);
    const TJUXClass* two = rig.engine->FindTable(2);
    ASSERT_TRUE(one && two);
    const int32_t n = rig.model->DrawCount(), rows = one->Rows(), t = rig.options.TotalTestDraws;
    ASSERT_EQ(one->HitWidth(), 7);
    EXPECT_EQ(two->RowOrders()[0], one->RowOrders()[0]);
    for (const TJUXClass* table : {one, two}) {
        std::vector<int8_t> sorted = table->FinalOrder;
        std::sort(sorted.begin(), sorted.end());
        for (int b = 1; b <= 49; ++b)
            ASSERT_EQ(sorted[size_t(b - 1)], b);
        // Tested row l holds the ranks of draw N - T + l, ascending.
        for (int32_t l = 1; l <= t; ++l) {
            const int32_t p = rows - t + l - 1;
            TShortIntArray drawn = rig.model->GetDrawNumbers(n - t + l, 1);
            const TShortIntArray bonus = rig.model->GetDrawNumbers(n - t + l, 2);
            drawn.insert(drawn.end(), bonus.begin(), bonus.end());
            std::set<int> ranks;
            for (int8_t b : drawn)
                for (int32_t r = 0; r < 49; ++r)
                    if (table->RowOrder(p)[r] == b)
                        ranks.insert(r + 1);
            const std::vector<int8_t> hits(table->RowHit(p), table->RowHit(p) + 7);
            EXPECT_EQ(std::vector<int>(hits.begin(), hits.end()), std::vector<int>(ranks.begin(), ranks.end()));
            EXPECT_EQ(table->HitsWithin(t, l, 49), 7);
        }
    }
}

// The user may reorder lists while the run is paused; the run resumed files
// into them as they now stand, as after lists announced replaced.
TEST(RunAnalysis, ListsEditedWhilePausedAreFiledIntoAsTheyNowStand)
{
    auto run = [](bool announce) {
        Rig rig(fixtures::MakeGame(6, 49), 150, 25, 8);
        rig.options.MaximumJUXsPerColumn = 4;
        rig.engine->StartRun();
        rig.options.MaximumJUXsToScan = 60;
        rig.engine->RunAnalysis();
        std::vector<std::vector<int32_t>> lists;
        auto eachList = [&](auto visit) {
            for (int32_t mode = 0; mode < 3; ++mode)
                for (int32_t i = 1; i <= 48; ++i)
                    for (int32_t j = 1; j <= std::min(i, 6); ++j)
                        visit(*rig.engine->CategoryList(i, j, mode));
        };
        int reordered = 0;
        eachList([&](TCategoryList& list) {
            if (list.Count() >= 2) {
                list.Exchange(1, list.Count());
                ++reordered;
            }
        });
        EXPECT_GT(reordered, 0);
        if (announce)
            rig.engine->Lists.ListsReplaced();
        rig.options.MaximumJUXsToScan = 120;
        rig.engine->RunAnalysis();
        eachList([&](TCategoryList& list) {
            std::vector<int32_t> ids;
            for (int p = 1; p <= list.Count(); ++p) {
                int32_t id = 0;
                list.GetInt(p, id);
                ids.push_back(id);
            }
            lists.push_back(ids);
        });
        return lists;
    };
    EXPECT_EQ(run(false), run(true));
}

TEST(Tables, HitHistogramExactAndAtLeast)
{
    TJUXClass table(1, 10, 4, 3);
    const int8_t rows[4][3] = {{1, 2, 3}, {2, 5, 9}, {1, 4, 6}, {7, 8, 9}};
    for (int r = 0; r < 4; ++r)
        std::copy(rows[r], rows[r] + 3, table.RowHit(r));
    // T = 3: tested rows are physical rows 1 .. 3.
    EXPECT_EQ(table.HitsWithin(3, 1, 5), 2);
    EXPECT_EQ(table.HitsWithin(3, 2, 5), 2);
    EXPECT_EQ(table.HitsWithin(3, 3, 5), 0);
    EXPECT_EQ(table.HitsWithin(3, 0, 5), 3); // the row before the tested ones
    EXPECT_EQ(table.HitsWithin(3, 5, 5), 0); // outside the table
    TIntArray h;
    table.HitHistogram(3, 6, true, 0, 1, h);
    EXPECT_EQ(h, (TIntArray{1, 0, 1, 1}));
    table.HitHistogram(3, 6, false, 0, 1, h);
    EXPECT_EQ(h, (TIntArray{1, 2, 2, 1}));
    table.HitHistogram(3, 6, false, 2, 2, h); // row 2 only: 3 hits, not entry 0
    EXPECT_EQ(h, (TIntArray{0, 1, 1, 1}));
}

TEST(Tables, FilingHistogramEqualsHitHistogramOnAnyContent)
{
    std::mt19937 rng(99);
    for (int round = 0; round < 200; ++round) {
        const int32_t pool = 2 + int32_t(rng() % 60), k = 1 + int32_t(rng() % 14), rows = 1 + int32_t(rng() % 12);
        // Tested draws beyond the rows count rows outside the table as empty.
        const int32_t t = 1 + int32_t(rng() % (rows + 3));
        TJUXClass table(1, pool, rows, k);
        for (int32_t r = 0; r < rows; ++r) {
            std::vector<int8_t> hits(static_cast<size_t>(k));
            for (auto& v : hits)
                v = int8_t(int(rng() % 80) - 10);
            if (rng() % 2)
                std::sort(hits.begin(), hits.end());
            std::copy(hits.begin(), hits.end(), table.RowHit(r));
        }
        for (int32_t top = 1; top <= pool - 1; ++top)
            for (bool exact : {true, false}) {
                TIntArray want;
                table.HitHistogram(t, top, exact, 0, 1, want);
                const int32_t* got = table.FilingHistogram(t, top, exact);
                ASSERT_NE(got, nullptr);
                ASSERT_EQ(TIntArray(got, got + k + 1), want) << "round " << round << " top " << top;
            }
        EXPECT_EQ(table.FilingHistogram(t, pool, true), nullptr);
        // Let go, they take no memory and come back the same when asked for.
        const size_t held = table.MemoryBytes();
        table.ReleaseFilingHistograms();
        EXPECT_LT(table.MemoryBytes(), held);
        TIntArray want;
        table.HitHistogram(t, pool - 1, false, 0, 1, want);
        const int32_t* again = table.FilingHistogram(t, pool - 1, false);
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(TIntArray(again, again + k + 1), want);
    }
}

TEST(Tables, SetArraysRefusesOtherSizes)
{
    TJUXClass table(3, 5, 2, 2);
    const TShortIntArray final{5, 4, 3, 2, 1};
    const TArrayOfShortIntArray orders{{1, 2, 3, 4, 5}, {2, 1, 3, 4, 5}}, hits{{1, 2}, {3, 4}};
    EXPECT_FALSE(table.SetArrays({1, 2, 3}, orders, hits));
    EXPECT_FALSE(table.SetArrays(final, {{1, 2, 3, 4, 5}}, hits));
    EXPECT_FALSE(table.SetArrays(final, orders, {{1, 2}, {3}}));
    EXPECT_EQ(table.FinalOrder, TShortIntArray(5, 0));
    ASSERT_TRUE(table.SetArrays(final, orders, hits));
    EXPECT_EQ(table.FinalOrder, final);
    EXPECT_EQ(table.RowOrders(), orders);
    EXPECT_EQ(table.RowHits(), hits);
}

TEST(Tables, ListedKeptAndNewestTablesStayAndTheRestIsBounded)
{
    Rig rig(fixtures::MakeGame(3, 12), 80, 10, 4);
    rig.options.MaximumJUXsPerColumn = 2;
    rig.options.SetKeepJUXs(TIntArray{4});
    rig.options.MaximumJUXsToScan = 300;
    rig.engine->StartRun();
    rig.engine->RunAnalysis();
    std::set<int32_t> listed;
    size_t capacity = 0;
    for (int mode = 0; mode < 3; ++mode)
        for (int32_t i = 1; i <= 11; ++i)
            for (int32_t j = 1; j <= std::min(i, 3); ++j) {
                const TCategoryList* list = rig.engine->CategoryList(i, j, mode);
                ASSERT_NE(list, nullptr);
                EXPECT_LE(list->Count(), 3);
                capacity += 3;
                for (int p = 1; p <= list->Count(); ++p) {
                    int32_t id = 0;
                    list->GetInt(p, id);
                    listed.insert(id);
                    EXPECT_NE(rig.engine->FindTable(id), nullptr);
                }
            }
    EXPECT_NE(rig.engine->FindTable(4), nullptr);
    EXPECT_NE(rig.engine->FindTable(300), nullptr);
    EXPECT_NE(rig.engine->FindTable(299), nullptr);
    EXPECT_LE(size_t(rig.engine->TableRegistry.Count()), capacity + 3);
    EXPECT_LT(rig.engine->TableRegistry.Count(), 300);
}

} // namespace
