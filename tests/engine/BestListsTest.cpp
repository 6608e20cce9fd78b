// Filing hand-made tables into the best-table lists: positions, ties, the
// list bound, the Build up qualification, and what recycling keeps.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "data/GameModel.h"
#include "engine/GameOptions.h"
#include "engine/JUXEngine.h"
#include "support/GameFixtures.h"

namespace {

// A 3 of 10 game, T = 4, D = 2: tables of 6 rows, tested rows 2 .. 5.
struct ListRig {
    TGameInfo info = fixtures::MakeGame(3, 10);
    TDrawClass model{info};
    TGameOptions options;
    TPlainDisplayLink display;
    std::unique_ptr<TJUXEngine> engine;

    explicit ListRig(int32_t perColumn = 19, uint8_t modes = kModeAll)
    {
        fixtures::FillDraws(model, info, 20, 3);
        options.SetGame(&model);
        options.SetDefaults();
        options.TotalTestDraws = 4;
        options.MaxStatData = 2;
        options.SetStartPoint(16);
        options.MaximumJUXsPerColumn = perColumn;
        options.Modes = modes;
        engine = std::make_unique<TJUXEngine>(options);
        engine->SetDisplayLink(&display);
        engine->StartRun();
    }

    // The next table with the given hit ranks on tested rows 1 .. 4; filed.
    bool File(const std::vector<std::vector<int8_t>>& tested)
    {
        const int32_t id = ++engine->Context.TablesComputed;
        auto table = engine->CreateTable(id);
        for (size_t l = 0; l < tested.size(); ++l) {
            int8_t* hits = table->RowHit(2 + int32_t(l));
            std::fill(hits, hits + 3, int8_t(10));
            std::copy(tested[l].begin(), tested[l].end(), hits);
        }
        TJUXClass* raw = table.get();
        engine->AddTable(std::move(table));
        return engine->Lists.FileTable(*engine, *raw);
    }

    std::vector<int32_t> Ids(int32_t i, int32_t j, int32_t mode) const
    {
        std::vector<int32_t> out;
        const TCategoryList* list = engine->CategoryList(i, j, mode);
        for (int p = 1; list && p <= list->Count(); ++p) {
            int32_t v = 0;
            list->GetInt(p, v);
            out.push_back(v);
        }
        return out;
    }
};

using Ids = std::vector<int32_t>;
constexpr int32_t kAug = kModeNumberAugmentative, kAbs = kModeNumberAbsolute, kBuild = kModeNumberBuildup;

TEST(BestLists, ShapeFollowsPoolAndHitWidth)
{
    ListRig rig;
    for (int32_t mode = 0; mode < 3; ++mode) {
        EXPECT_EQ(rig.engine->Lists.ModeList(mode).Count(), 9);
        for (int32_t i = 1; i <= 9; ++i)
            EXPECT_EQ(rig.engine->Lists.ModeList(mode).GetRecord(i)->Count(), std::min(i, 3));
    }
    EXPECT_NE(rig.engine->CategoryList(9, 3, kBuild), nullptr);
    EXPECT_EQ(rig.engine->CategoryList(10, 1, kAug), nullptr);
    EXPECT_EQ(rig.engine->CategoryList(2, 3, kAug), nullptr);
    EXPECT_EQ(rig.engine->CategoryList(0, 1, kAug), nullptr);
    EXPECT_EQ(rig.engine->CategoryList(1, 1, 3), nullptr);
    TBestLists lists;
    lists.BuildLists(1, 1, 19);
    EXPECT_EQ(lists.ModeList(0).Count(), 0);
}

TEST(BestLists, RankedListsOrderByCategoryThenHigherCategories)
{
    ListRig rig;
    // Top 2 (i = 2), category 1.
    rig.File({{5}, {5}, {5}, {5}}); // 1: no row with a hit in the top 2
    EXPECT_EQ(rig.Ids(2, 1, kAug), Ids{});
    rig.File({{1}, {5}, {5}, {5}}); // 2: one row
    EXPECT_EQ(rig.Ids(2, 1, kAug), Ids{2});
    rig.File({{1}, {2}, {5}, {5}}); // 3: two rows: better, first
    EXPECT_EQ(rig.Ids(2, 1, kAug), (Ids{3, 2}));
    rig.File({{2}, {5}, {5}, {5}}); // 4: equal to 2 on every category: after it
    EXPECT_EQ(rig.Ids(2, 1, kAug), (Ids{3, 2, 4}));
    rig.File({{1, 2}, {5}, {5}, {5}}); // 5: equal on j = 1, better on j = 2
    EXPECT_EQ(rig.Ids(2, 1, kAug), (Ids{3, 5, 2, 4}));
    // Absolute counts exact hits: table 5's row of two is not a row of one.
    EXPECT_EQ(rig.Ids(2, 1, kAbs), (Ids{3, 2, 4}));
    EXPECT_EQ(rig.Ids(2, 2, kAbs), (Ids{5}));
    EXPECT_EQ(rig.Ids(2, 2, kAug), (Ids{5}));
}

TEST(BestLists, AFullListAdmitsOnlyAboveItsLastShownPlace)
{
    ListRig rig(3, kModeAugmentative);
    rig.File({{1}, {1}, {1}, {5}}); // 1
    rig.File({{1}, {1}, {5}, {5}}); // 2
    rig.File({{1}, {5}, {5}, {5}}); // 3: would be third, but only places below Max = 3 take new IDs
    EXPECT_EQ(rig.Ids(1, 1, kAug), (Ids{1, 2}));
    rig.File({{1}, {1}, {1}, {1}}); // 4: best
    EXPECT_EQ(rig.Ids(1, 1, kAug), (Ids{4, 1, 2}));
    rig.File({{1}, {1}, {1}, {1}}); // 5: equal to 4, after it
    EXPECT_EQ(rig.Ids(1, 1, kAug), (Ids{4, 5, 1, 2}));
    rig.File({{1}, {1}, {1}, {1}}); // 6: equal to 5, but place 3 is not below Max
    rig.File({{1}, {1}, {1}, {5}}); // 7: equal to 1
    EXPECT_EQ(rig.Ids(1, 1, kAug), (Ids{4, 5, 1, 2}));
    // Table 3 left every list: freed at once; table 7, the newest, stays.
    EXPECT_EQ(rig.engine->FindTable(3), nullptr);
    EXPECT_NE(rig.engine->FindTable(7), nullptr);
}

TEST(BestLists, BuildupQualifiesOnRisingCountsEndingAtTheCategory)
{
    ListRig rig(19, kModeBuildup);
    // i = 3, j = 2: two hits in the top 3 on the last row, and 2 or 1 on the one before.
    rig.File({{9}, {9}, {1, 2}, {1, 3}});    // 1: 2 then 2: qualifies
    rig.File({{9}, {9}, {1}, {2, 3}});       // 2: 1 then 2: qualifies
    rig.File({{9}, {9}, {9}, {1, 2}});       // 3: 0 then 2: does not
    rig.File({{9}, {9}, {1, 2, 3}, {1, 2}}); // 4: 3 then 2: does not
    const Ids listed = rig.Ids(3, 2, kBuild);
    EXPECT_EQ(listed.size(), 2u);
    EXPECT_TRUE(std::find(listed.begin(), listed.end(), 1) != listed.end());
    EXPECT_TRUE(std::find(listed.begin(), listed.end(), 2) != listed.end());
    // A run 1, 2 does not beat a listed 2, 2 (the listed count held towards
    // the present), so table 2 goes after table 1.
    EXPECT_EQ(listed, (Ids{1, 2}));
    // 5: 2, 2 beats table 2's 1, 2 (its own count held towards the present)
    // and ties with table 1 (equal counts: no win).
    rig.File({{9}, {9}, {2, 3}, {1, 2}});
    EXPECT_EQ(rig.Ids(3, 2, kBuild), (Ids{1, 5, 2}));
    // 6: 2, 2, 2 beats every listed table (their runs end one row earlier).
    rig.File({{9}, {2, 3}, {1, 2}, {1, 2}});
    EXPECT_EQ(rig.Ids(3, 2, kBuild), (Ids{6, 1, 5, 2}));
}

TEST(BestLists, TheShownPanoramaIsReported)
{
    ListRig rig;
    rig.display.Requested = 2;
    rig.display.Mode = kAbs;
    EXPECT_TRUE(rig.File({{1}, {5}, {5}, {5}})); // enters (2, 1) of Absolute
    // Enters (3, 1) of Absolute, which the panorama does not show.
    EXPECT_FALSE(rig.File({{3}, {9}, {9}, {9}}));
    EXPECT_EQ(rig.Ids(3, 1, kAbs), (Ids{1, 2}));
    rig.display.Requested = 3;
    EXPECT_TRUE(rig.File({{3}, {9}, {9}, {9}}));
}

TEST(BestLists, RecyclingKeepsWhatTheOptionsAndTheDisplayHold)
{
    ListRig rig(19, kModeAugmentative);
    rig.options.MinReqNumbers = 1;
    rig.options.MaxReqNumbers = 1; // only i = 1 is filed
    rig.options.SetKeepJUXs(TIntArray{2});
    rig.display.Current = 3;
    rig.display.Browse.AddInt(4);
    for (int n = 0; n < 12; ++n)
        rig.File({{9}, {9}, {9}, {9}}); // never listed
    std::vector<int32_t> live;
    for (int p = 1; p <= rig.engine->TableIds.Count(); ++p) {
        int32_t v = 0;
        rig.engine->TableIds.GetInt(p, v);
        live.push_back(v);
    }
    // The cursor, two places per pass and two passes per table, has freed
    // the unprotected tables it reached; 7 and 10 still wait for it.
    EXPECT_EQ(live, (Ids{2, 3, 4, 7, 10, 11, 12}));
    // Once the display lets them go, the cursor collects them.
    rig.display.Current = 0;
    rig.display.Browse.Clear();
    for (int n = 0; n < 12; ++n)
        rig.File({{9}, {9}, {9}, {9}});
    EXPECT_EQ(rig.engine->FindTable(3), nullptr);
    EXPECT_EQ(rig.engine->FindTable(4), nullptr);
    EXPECT_NE(rig.engine->FindTable(2), nullptr);
    live.clear();
    for (int p = 1; p <= rig.engine->TableIds.Count(); ++p) {
        int32_t v = 0;
        rig.engine->TableIds.GetInt(p, v);
        live.push_back(v);
    }
    EXPECT_EQ(live, (Ids{2, 15, 21, 23, 24}));
}

TEST(BestLists, RequestedAndCategoryLimitsSelectTheListsFiled)
{
    ListRig rig;
    rig.options.MinReqNumbers = 3;
    rig.options.MaxReqNumbers = 4;
    rig.options.MinHitCategory = 2;
    rig.options.MaxHitCategory = 2;
    rig.File({{1, 2, 3}, {1, 2, 3}, {1, 2, 3}, {1, 2, 3}});
    for (int32_t mode : {kAug, kAbs, kBuild})
        for (int32_t i = 1; i <= 9; ++i)
            for (int32_t j = 1; j <= std::min(i, 3); ++j) {
                const bool filed = (i == 3 || i == 4) && j == 2;
                // Exactly 2 of 3 never happens, and a last row of 3 is no build-up to 2.
                const bool expectEntry = filed && mode == kAug;
                EXPECT_EQ(rig.Ids(i, j, mode).size(), expectEntry ? 1u : 0u) << mode << " " << i << " " << j;
            }
}

} // namespace

namespace {

// A list changed behind the filing's back (same length, another table at a
// compared place) is filed into as if it had been rebuilt from the tables.
TEST(BestLists, AListChangedFromOutsideIsComparedAsItNowStands)
{
    auto run = [](bool announce) {
        ListRig rig(3, kModeAugmentative);
        rig.File({{1, 10, 10}, {1, 10, 10}, {10, 10, 10}, {10, 10, 10}});  // 2 rows with a hit in top 1
        rig.File({{1, 10, 10}, {10, 10, 10}, {10, 10, 10}, {10, 10, 10}}); // 1 row
        rig.File({{1, 10, 10}, {1, 10, 10}, {1, 10, 10}, {10, 10, 10}});   // 3 rows
        EXPECT_EQ(rig.Ids(1, 1, kAug), (Ids{3, 1, 2}));
        // The last place now names the best table: a new one that merely
        // ties it stays out, where it would have passed table 2.
        rig.engine->CategoryList(1, 1, kAug)->ReplaceInt(3, 3);
        if (announce)
            rig.engine->Lists.ListsReplaced();
        rig.File({{1, 10, 10}, {1, 10, 10}, {10, 10, 10}, {1, 10, 10}}); // 3 rows, ties table 3
        return rig.Ids(1, 1, kAug);
    };
    const Ids rebuilt = run(true);
    EXPECT_EQ(rebuilt, (Ids{3, 1, 3}));
    EXPECT_EQ(run(false), rebuilt);
}

} // namespace
