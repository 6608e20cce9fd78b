#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "data/GameModel.h"
#include "engine/GameOptions.h"
#include "platform/IniFile.h"
#include "support/TextFiles.h"
#include "support/WriteLimit.h"

namespace fs = std::filesystem;

namespace {

std::string TmpDir()
{
    const char* t = std::getenv("JUX_TEST_TMP");
    fs::path dir = t && *t ? fs::path(t) : fs::temp_directory_path() / "jux_options_test";
    fs::create_directories(dir);
    return dir.string() + "/";
}

using textfiles::Get;
using textfiles::Put;

// An undated 6 of 49 game (with a bonus ball when twoFields) holding n draws.
std::unique_ptr<TDrawClass> MakeGame(int n, bool twoFields = false)
{
    TGameInfo info;
    info.Name = "Lotto";
    info.FieldCount = twoFields ? 2 : 1;
    info.Fields[0] = TGameField{49, 6, 1, 0};
    if (twoFields) {
        info.Field2Kind = 2;
        info.Fields[1] = TGameField{49, 1, 1, 0};
    }
    info.DrawsPerDay = 0;
    EXPECT_TRUE(ValidateGameInfo(info));
    auto game = std::make_unique<TDrawClass>(info);
    for (int i = 0; i < n; ++i) {
        TArrayOfShortIntArray numbers(1);
        for (int b = 0; b < 6; ++b)
            numbers[0].push_back(static_cast<int8_t>(1 + (i + b * 7) % 49));
        if (twoFields)
            numbers.push_back({static_cast<int8_t>(1 + (i + 3) % 49)});
        EXPECT_GT(game->AddDraw(0, 0, numbers, 0), 0) << "draw " << i;
    }
    EXPECT_EQ(game->DrawCount(), n);
    return game;
}

TIntArray Values(const TIntegerStore& s)
{
    TIntArray out;
    for (int i = 1; i <= s.Count(); ++i) {
        int32_t v = 0;
        EXPECT_TRUE(s.GetInt(i, v));
        out.push_back(v);
    }
    return out;
}

std::string ValidateMessage(const TGameOptions& o)
{
    try {
        o.Validate();
        return "";
    } catch (const Exception& e) {
        return e.Message();
    }
}

// Every option away from its default, all valid against 300 draws.
void SetNonDefaults(TGameOptions& o)
{
    o.TotalTestDraws = 50;
    o.MaxStatData = 30;
    o.SetStartPoint(200);
    o.MinReqNumbers = 2;
    o.MaxReqNumbers = 8;
    o.MinHitCategory = 1;
    o.MaxHitCategory = 4;
    o.Modes = kModeAbsolute | kModeBuildup;
    o.MaximumJUXsPerColumn = 49;
    o.MaximumJUXsToScan = 9999;
    o.SetCompareNums(TIntArray{3, 14, 49});
    o.SetKeepJUXs(TIntArray{77, 5, 12});
}

void ExpectDefaults(const TGameOptions& o, int n)
{
    EXPECT_EQ(o.FieldSelected, 1);
    EXPECT_EQ(o.TotalTestDraws, 100);
    EXPECT_EQ(o.MaxStatData, 20);
    EXPECT_EQ(o.StartPoint, n - 100);
    EXPECT_EQ(o.RunFactorOverhead, 0);
    EXPECT_EQ(o.MinReqNumbers, 0);
    EXPECT_EQ(o.MaxReqNumbers, 0);
    EXPECT_EQ(o.MinHitCategory, 0);
    EXPECT_EQ(o.MaxHitCategory, 0);
    EXPECT_EQ(o.Modes, 7);
    EXPECT_EQ(o.MaximumJUXsPerColumn, 19);
    EXPECT_EQ(o.MaximumJUXsToScan, 999999999);
    EXPECT_TRUE(o.CompareNums.empty());
    EXPECT_EQ(o.KeepJUXs.Count(), 0);
}

} // namespace

TEST(GameOptions, CreateAppliesDefaultsWithoutAGame)
{
    TGameOptions o;
    EXPECT_EQ(o.Game, nullptr);
    EXPECT_EQ(o.DrawCount(), 0);
    EXPECT_EQ(o.FieldCount(), 0);
    EXPECT_EQ(o.TotalTestDraws, 100);
    EXPECT_EQ(o.Modes, kModeAll);
    EXPECT_EQ(o.MaximumJUXsToScan, 999999999);
    EXPECT_TRUE(o.AutoLoadDraw.empty());
    // Without a game nothing passes the history check.
    EXPECT_EQ(ValidateMessage(o).substr(0, 24), "Not enough history draws");
}

TEST(GameOptions, DefaultsWithAGameStartAtNMinusT)
{
    auto game = MakeGame(300);
    TGameOptions o;
    o.SetGame(game.get());
    SetNonDefaults(o);
    o.SetDefaults();
    ExpectDefaults(o, 300);
    EXPECT_EQ(ValidateMessage(o), "");
    o.MaxStatData = 101;
    EXPECT_EQ(ValidateMessage(o),
              "Not enough history draws for given tested draws/statistical data/start point (run factor). "
              "Please adjust these settings.");
}

TEST(GameOptions, StartPointTooHighRaisesAndKeepsValues)
{
    auto game = MakeGame(300);
    TGameOptions o;
    o.SetGame(game.get());
    try {
        o.SetStartPoint(250);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Given Start Point 250 produces negative Run Factor overhead");
    }
    EXPECT_EQ(o.StartPoint, 250);
    EXPECT_EQ(o.RunFactorOverhead, -50);

    o.SetStartPoint(150);
    EXPECT_EQ(o.RunFactorOverhead, 50);
    EXPECT_EQ(ValidateMessage(o), "");
    // The extreme start points of a hostile file must not overflow.
    EXPECT_NO_THROW(o.SetStartPoint(INT32_MIN));
    EXPECT_EQ(o.RunFactorOverhead, INT32_MAX);
    EXPECT_NE(ValidateMessage(o), "");
    EXPECT_THROW(o.SetStartPoint(INT32_MAX), Exception);
}

TEST(GameOptions, ValidateChecksInOrder)
{
    auto game = MakeGame(300);
    struct Case {
        const char* name;
        std::function<void(TGameOptions&)> change;
        std::string message;
    } cases[] = {
        {"defaults", [](TGameOptions&) {}, ""},
        {"T zero", [](TGameOptions& o) { o.TotalTestDraws = 0; }, "Tested real draws must be greater than 0."},
        {"T and D bad: first wins",
         [](TGameOptions& o) {
             o.TotalTestDraws = -1;
             o.MaxStatData = 0;
         },
         "Tested real draws must be greater than 0."},
        {"D one", [](TGameOptions& o) { o.MaxStatData = 1; }, "Statistical data must be greater than 1."},
        {"D 101", [](TGameOptions& o) { o.MaxStatData = 101; },
         "Not enough history draws for given tested draws/statistical data/start point (run factor). "
         "Please adjust these settings."},
        {"D 100 fits exactly", [](TGameOptions& o) { o.MaxStatData = 100; }, ""},
        {"R too large",
         [](TGameOptions& o) {
             o.SetStartPoint(150);
             o.MaxStatData = 76;
         },
         "Not enough history draws for given tested draws/statistical data/start point (run factor). "
         "Please adjust these settings."},
        // Check 3 leaves N - R - T >= 2D, so a negative start point is
        // always reported by the history check.
        {"negative start point", [](TGameOptions& o) { o.SetStartPoint(-1); },
         "Not enough history draws for given tested draws/statistical data/start point (run factor). "
         "Please adjust these settings."},
        {"min req negative", [](TGameOptions& o) { o.MinReqNumbers = -1; },
         "Minimum requested numbers cannot be negative."},
        {"max req negative", [](TGameOptions& o) { o.MaxReqNumbers = -1; },
         "Maximum requested numbers cannot be negative."},
        {"max req below min",
         [](TGameOptions& o) {
             o.MinReqNumbers = 6;
             o.MaxReqNumbers = 5;
         },
         "Maximum requested numbers cannot be lower to minimum requested numbers."},
        {"min req above the pool", [](TGameOptions& o) { o.MinReqNumbers = 60; },
         "Minimum requested numbers cannot be greater than 48."},
        {"min req all but one of the pool", [](TGameOptions& o) { o.MinReqNumbers = 48; }, ""},
        {"min req the whole pool", [](TGameOptions& o) { o.MinReqNumbers = 49; },
         "Minimum requested numbers cannot be greater than 48."},
        {"min req 5 with max 0 means all",
         [](TGameOptions& o) {
             o.MinReqNumbers = 5;
             o.MaxReqNumbers = 0;
         },
         ""},
        {"min hit negative", [](TGameOptions& o) { o.MinHitCategory = -3; },
         "Minimum hits category cannot be negative."},
        {"max hit negative", [](TGameOptions& o) { o.MaxHitCategory = -3; },
         "Maximum hits category cannot be negative."},
        {"max hit below min",
         [](TGameOptions& o) {
             o.MinHitCategory = 3;
             o.MaxHitCategory = 2;
         },
         "Maximum hits category cannot be lower to minimum hits category."},
        {"max hit 0 means all", [](TGameOptions& o) { o.MinHitCategory = 3; }, ""},
        {"no mode", [](TGameOptions& o) { o.Modes = 0; }, "Invalid compute mode selection."},
        {"only unknown mode bits", [](TGameOptions& o) { o.Modes = 0xF8; }, "Invalid compute mode selection."},
        {"one mode is enough", [](TGameOptions& o) { o.Modes = kModeBuildup; }, ""},
        {"per column 0", [](TGameOptions& o) { o.MaximumJUXsPerColumn = 0; },
         "Maximum JUXs per column should be in the range of 1 - 9999."},
        {"per column 10000", [](TGameOptions& o) { o.MaximumJUXsPerColumn = 10000; },
         "Maximum JUXs per column should be in the range of 1 - 9999."},
        {"per column 9999", [](TGameOptions& o) { o.MaximumJUXsPerColumn = 9999; }, ""},
        {"scan 0", [](TGameOptions& o) { o.MaximumJUXsToScan = 0; },
         "Maximum JUXs to scan should be in the range of 1 - 999999999."},
        {"scan 1e9", [](TGameOptions& o) { o.MaximumJUXsToScan = 1000000000; },
         "Maximum JUXs to scan should be in the range of 1 - 999999999."},
        {"scan 1", [](TGameOptions& o) { o.MaximumJUXsToScan = 1; }, ""},
        {"huge T does not overflow",
         [](TGameOptions& o) {
             o.TotalTestDraws = INT32_MAX;
             o.MaxStatData = INT32_MAX;
         },
         "Not enough history draws for given tested draws/statistical data/start point (run factor). "
         "Please adjust these settings."},
    };
    for (const auto& c : cases) {
        TGameOptions o;
        o.SetGame(game.get());
        o.SetDefaults();
        c.change(o);
        EXPECT_EQ(ValidateMessage(o), c.message) << c.name;
    }
}

// The requested numbers are held to the pool of the field analysed: a power
// ball field has its own, a bonus field shares the main one.
TEST(GameOptions, RequestedNumbersAreHeldToThePoolOfTheSelectedField)
{
    auto bonus = MakeGame(300, true);
    TGameInfo powerInfo = bonus->GameInfo();
    powerInfo.Field2Kind = 1;
    powerInfo.Fields[1] = TGameField{10, 1, 1, 0};
    TDrawClass power(powerInfo);
    for (int i = 0; i < 300; ++i)
        power.AddDraw(1, 0, {{1, 2, 3, 4, 5, 6}, {int8_t(1 + i % 10)}}, 0);
    struct Case {
        const TDrawClass* game;
        int32_t field;
        int32_t pool;
    } cases[] = {{bonus.get(), 1, 49}, {bonus.get(), 2, 49}, {&power, 1, 49}, {&power, 2, 10}, {nullptr, 1, 0}};
    for (const Case& c : cases) {
        TGameOptions o;
        o.SetGame(c.game);
        o.SetDefaults();
        o.SetFieldSelected(c.field);
        EXPECT_EQ(o.PoolSize(), c.pool) << c.field;
        if (!c.game)
            continue;
        o.MinReqNumbers = c.pool - 1;
        EXPECT_EQ(ValidateMessage(o), "") << c.field;
        o.MinReqNumbers = c.pool;
        EXPECT_EQ(ValidateMessage(o),
                  "Minimum requested numbers cannot be greater than " + std::to_string(c.pool - 1) + ".")
            << c.field;
    }
}

TEST(GameOptions, StartPointFollowsTheDrawCount)
{
    // The draw count changes from `from` to `to` under options whose start
    // point was set at `from`; T 100, D 20 unless given.
    struct Case {
        const char* what;
        int from, to, start, t, d;
        int32_t wantStart, wantOverhead;
    };
    const Case cases[] = {
        {"empty game filled by an import", 0, 399, -100, 100, 20, 299, 0},
        {"a few draws, then many", 3, 399, -97, 100, 20, 299, 0},
        {"default start moves with new draws", 300, 310, 200, 100, 20, 210, 0},
        {"default start moves with deleted draws", 300, 290, 200, 100, 20, 190, 0},
        {"chosen start stays", 300, 350, 150, 100, 20, 150, 100},
        {"chosen start kept while it still runs", 300, 260, 150, 100, 20, 150, 10},
        {"chosen start the history no longer holds", 300, 240, 150, 100, 20, 140, 0},
        {"chosen start left without room for the statistics", 300, 250, 20, 100, 20, 150, 0},
        {"too few draws for any start: the default", 300, 100, 150, 100, 20, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto game = MakeGame(c.from);
        TGameOptions o;
        o.SetGame(game.get());
        o.TotalTestDraws = c.t;
        o.MaxStatData = c.d;
        try {
            o.SetStartPoint(c.start);
        } catch (const Exception&) {
        }
        // The draws change as the editor and the import change them.
        for (int i = c.from; i < c.to; ++i)
            game->AddDraw(0, 0, {{1, 2, 3, 4, 5, 6}}, 0);
        while (game->DrawCount() > c.to)
            game->DeleteDraw(1);
        // Nothing follows by itself without an observer; the owner of the
        // game asks, as the environment's observer does after each change.
        o.FollowDrawCount();
        EXPECT_EQ(o.StartPoint, c.wantStart);
        EXPECT_EQ(o.RunFactorOverhead, c.wantOverhead);
        if (c.to >= c.t + 2 * c.d) {
            EXPECT_EQ(ValidateMessage(o), "");
        }
        // A second call without a change keeps everything.
        o.FollowDrawCount();
        EXPECT_EQ(o.StartPoint, c.wantStart);
    }
}

TEST(GameOptions, CountObserverSeesEveryChangeOfTheHistory)
{
    auto game = MakeGame(0);
    std::vector<int> seen;
    game->SetCountObserver([&] { seen.push_back(game->DrawCount()); });
    ASSERT_EQ(game->AddDraw(0, 0, {{1, 2, 3, 4, 5, 6}}, 0), 1);
    ASSERT_EQ(game->InsertDraw(1, 0, {{7, 8, 9, 10, 11, 12}}, 0, 0), 1);
    EXPECT_EQ(game->AddDraw(0, 0, {{1, 1, 3, 4, 5, 6}}, 0), 0);    // refused: no change
    ASSERT_TRUE(game->ReplaceDraw(1, 0, {{2, 3, 4, 5, 6, 7}}, 0)); // same count
    ASSERT_TRUE(game->DeleteDraw(2));
    EXPECT_FALSE(game->DeleteDraw(5));
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 1}));
}

TEST(GameOptions, FieldSelectedOnlyWithinTheGamesFields)
{
    auto one = MakeGame(10);
    auto two = MakeGame(10, true);
    struct Case {
        const TDrawClass* game;
        int32_t f;
        int32_t expected;
    } cases[] = {
        {nullptr, 2, 1},   {one.get(), 2, 1},  {one.get(), 0, 1}, {two.get(), 2, 2},
        {two.get(), 3, 1}, {two.get(), -1, 1}, {two.get(), 1, 1},
    };
    for (const auto& c : cases) {
        TGameOptions o;
        o.SetGame(c.game);
        o.SetFieldSelected(c.f);
        EXPECT_EQ(o.FieldSelected, c.expected) << c.f;
    }
}

TEST(GameOptions, CompareNumsKeepOnlyOneTo99InOrder)
{
    TGameOptions o;
    o.SetCompareNums(TIntArray{12, 0, 99, 100, -4, 1, 12});
    EXPECT_EQ(o.CompareNums, (TShortIntArray{12, 99, 1, 12}));
    EXPECT_EQ(o.CompareNumsText(), "12 99 01 12");

    TIntegerStore store;
    store.AddInt(7);
    store.AddInt(200);
    store.AddInt(3);
    o.SetCompareNums(store);
    EXPECT_EQ(o.CompareNums, (TShortIntArray{7, 3}));
}

TEST(GameOptions, KeepJUXsSortedOnceThenAppended)
{
    TGameOptions o;
    o.KeepJUXs.AddInt(9);
    o.KeepJUXs.AddInt(4);
    EXPECT_EQ(Values(o.KeepJUXs), (TIntArray{4, 9})) << "ascending until SetKeepJUXs";

    o.SetKeepJUXs(TIntArray{30, 10, 20});
    EXPECT_EQ(Values(o.KeepJUXs), (TIntArray{10, 20, 30}));
    o.KeepJUXs.AddInt(5);
    EXPECT_EQ(Values(o.KeepJUXs), (TIntArray{10, 20, 30, 5}));
    EXPECT_EQ(o.KeepJUXsText(), "10 20 30 5 ");
}

TEST(GameOptions, AutoLoadDrawNeedsAnExistingFile)
{
    const std::string file = TmpDir() + "auto.drw";
    Put(file, "x");
    TGameOptions o;
    o.SetAutoLoadDraw("  " + file + " \t");
    EXPECT_EQ(o.AutoLoadDraw, file);
    o.SetAutoLoadDraw(TmpDir() + "gone.drw");
    EXPECT_EQ(o.AutoLoadDraw, "");
    o.SetAutoLoadDraw(file);
    o.SetAutoLoadDraw("   ");
    EXPECT_EQ(o.AutoLoadDraw, "");
    o.SetAutoLoadDraw(TmpDir()); // a folder is not a game file
    EXPECT_EQ(o.AutoLoadDraw, "");
}

TEST(GameOptions, CopyIsDeep)
{
    auto game = MakeGame(300);
    TGameOptions a;
    a.SetGame(game.get());
    SetNonDefaults(a);
    a.AutoLoadDraw = "x.drw";
    TGameOptions b(a);
    b.KeepJUXs.AddInt(1000);
    EXPECT_EQ(Values(a.KeepJUXs), (TIntArray{5, 12, 77}));
    EXPECT_EQ(Values(b.KeepJUXs), (TIntArray{5, 12, 77, 1000}));
    EXPECT_EQ(b.StartPoint, 200);
    EXPECT_EQ(b.Modes, kModeAbsolute | kModeBuildup);
    EXPECT_EQ(b.CompareNums, a.CompareNums);
    EXPECT_EQ(b.AutoLoadDraw, "x.drw");
    EXPECT_EQ(b.Game, game.get());

    TGameOptions c;
    c = b;
    b.KeepJUXs.Clear();
    EXPECT_EQ(Values(c.KeepJUXs), (TIntArray{5, 12, 77, 1000}));
}

TEST(GameOptions, GameIniRoundTripAndLayout)
{
    auto game = MakeGame(300);
    const std::string path = TmpDir() + "round.ini";
    fs::remove(path);
    TGameOptions a;
    a.SetGame(game.get());
    SetNonDefaults(a);
    a.SaveToGameIni(path);
    EXPECT_EQ(Get(path), "[DrawParams]\n"
                         "App=JUX\n"
                         "Version=2.3b\n"
                         "FieldSelected=1\n"
                         "TotalTestDraws=50\n"
                         "MaxStatData=30\n"
                         "StartPoint=200\n"
                         "MinReqNumbers=2\n"
                         "MaxReqNumbers=8\n"
                         "MinHitCategory=1\n"
                         "MaxHitCategory=4\n"
                         "ModeAugmentative=0\n"
                         "ModeAbsolute=1\n"
                         "ModeBuildup=1\n"
                         "MaximumJUXsPerColumn=49\n"
                         "MaximumJUXsToScan=9999\n"
                         "CompareNums=03 14 49\n"
                         "KeepJUXs=5 12 77 \n");
    // Saving read the file back: still what was set.
    EXPECT_EQ(a.StartPoint, 200);
    EXPECT_EQ(a.RunFactorOverhead, 50);

    TGameOptions b;
    b.SetGame(game.get());
    b.LoadFromGameIni(path);
    EXPECT_EQ(b.TotalTestDraws, 50);
    EXPECT_EQ(b.MaxStatData, 30);
    EXPECT_EQ(b.StartPoint, 200);
    EXPECT_EQ(b.RunFactorOverhead, 50);
    EXPECT_EQ(b.MinReqNumbers, 2);
    EXPECT_EQ(b.MaxReqNumbers, 8);
    EXPECT_EQ(b.MinHitCategory, 1);
    EXPECT_EQ(b.MaxHitCategory, 4);
    EXPECT_EQ(b.Modes, kModeAbsolute | kModeBuildup);
    EXPECT_EQ(b.MaximumJUXsPerColumn, 49);
    EXPECT_EQ(b.MaximumJUXsToScan, 9999);
    EXPECT_EQ(b.CompareNums, (TShortIntArray{3, 14, 49}));
    EXPECT_EQ(Values(b.KeepJUXs), (TIntArray{5, 12, 77}));
}

TEST(GameOptions, SavePreservesOtherSectionsAndKeys)
{
    auto game = MakeGame(300);
    const std::string path = TmpDir() + "other.ini";
    Put(path, "[Window]\nLeft=10\n\n[DrawParams]\nApp=JUX\nMyNote=keep me\nTotalTestDraws=80\n");
    TGameOptions o;
    o.SetGame(game.get());
    o.SaveToGameIni(path);
    const TIniFile ini(path);
    EXPECT_EQ(ini.ReadInteger("Window", "Left", 0), 10);
    EXPECT_EQ(ini.ReadString("DrawParams", "MyNote", ""), "keep me");
    EXPECT_EQ(ini.ReadInteger("DrawParams", "TotalTestDraws", 0), 100);
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Window", "DrawParams"}));
}

TEST(GameOptions, SaveReadsBackWhatTheFileYields)
{
    auto game = MakeGame(300);
    const std::string path = TmpDir() + "invalid_saved.ini";
    TGameOptions o;
    o.SetGame(game.get());
    SetNonDefaults(o);
    o.Modes = 0; // fails validation when read back
    o.SaveToGameIni(path);
    EXPECT_TRUE(fs::exists(path));
    ExpectDefaults(o, 300);
}

TEST(GameOptions, SaveThatCannotWriteLeavesNoFile)
{
    const std::string path = TmpDir() + "no_such_folder/x.ini";
    TGameOptions o;
    o.TotalTestDraws = 42;
    EXPECT_NO_THROW(o.SaveToGameIni(path));
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(o.TotalTestDraws, 42);

    // A path that is a folder cannot be written and must not be removed.
    const std::string dir = TmpDir() + "a_folder.ini";
    fs::create_directories(dir);
    EXPECT_NO_THROW(o.SaveToGameIni(dir));
    EXPECT_TRUE(fs::is_directory(dir));
}

TEST(GameOptions, SaveThatFailsKeepsThePreviousFile)
{
    auto game = MakeGame(300);
    const std::string path = TmpDir() + "kept.ini";
    TGameOptions o;
    o.SetGame(game.get());
    SetNonDefaults(o);
    o.SaveToGameIni(path);
    const std::string before = Get(path);
    ASSERT_NE(before.find("TotalTestDraws=50"), std::string::npos);

    o.TotalTestDraws = 60;
    {
        TWriteLimit limit(64);
        ASSERT_TRUE(limit.Active());
        EXPECT_NO_THROW(o.SaveToGameIni(path));
    }
    // The file is as it was, and the options in memory are the ones it holds.
    EXPECT_EQ(Get(path), before);
    EXPECT_EQ(o.TotalTestDraws, 50);
    EXPECT_EQ(o.MaxStatData, 30);
}

TEST(GameOptions, DamagedOrForeignFilesGiveDefaults)
{
    auto game = MakeGame(300);
    const std::string good = "[DrawParams]\nApp=JUX\nVersion=2.3b\nTotalTestDraws=50\nMaxStatData=30\n"
                             "ModeAbsolute=1\n";
    std::string junk(3000, '\0');
    for (size_t i = 0; i < junk.size(); ++i)
        junk[i] = static_cast<char>((i * 131 + 7) % 256);
    struct Case {
        const char* name;
        std::string text;
    } cases[] = {
        {"missing App", "[DrawParams]\nTotalTestDraws=50\nModeAbsolute=1\n"},
        {"foreign App", "[DrawParams]\nApp=XYZ\nTotalTestDraws=50\nModeAbsolute=1\n"},
        {"App in another case", "[DrawParams]\nApp=jux\nTotalTestDraws=50\nModeAbsolute=1\n"},
        {"wrong section", "[JUXParams]\nApp=JUX\nTotalTestDraws=50\nModeAbsolute=1\n"},
        {"start point too high", good + "StartPoint=251\n"},
        {"no mode set", "[DrawParams]\nApp=JUX\nTotalTestDraws=50\n"},
        {"validation fails", good + "MinReqNumbers=5\nMaxReqNumbers=3\n"},
        {"negative per column", good + "MaximumJUXsPerColumn=-5\n"},
        {"binary junk", junk},
        {"junk after a good start", good + junk},
        {"empty", ""},
    };
    const std::string path = TmpDir() + "damaged.ini";
    for (const auto& c : cases) {
        Put(path, c.text);
        TGameOptions o;
        o.SetGame(game.get());
        SetNonDefaults(o);
        o.LoadFromGameIni(path);
        SCOPED_TRACE(c.name);
        if (std::string(c.name) == "junk after a good start") {
            // The junk holds no keys of ours; the good part stands.
            EXPECT_EQ(o.TotalTestDraws, 50);
            continue;
        }
        ExpectDefaults(o, 300);
    }
    fs::remove(path);
    TGameOptions o;
    o.SetGame(game.get());
    SetNonDefaults(o);
    o.LoadFromGameIni(path);
    ExpectDefaults(o, 300);
}

TEST(GameOptions, ReadRules)
{
    auto game = MakeGame(300);
    const std::string path = TmpDir() + "rules.ini";
    struct Case {
        const char* lines;
        std::function<void(const TGameOptions&)> check;
    } cases[] = {
        {"ModeAbsolute=2\nModeBuildup=1\n", [](const TGameOptions& o) { EXPECT_EQ(o.Modes, kModeBuildup); }},
        {"ModeAugmentative=1\nModeAbsolute=1\nModeBuildup=01\n",
         [](const TGameOptions& o) { EXPECT_EQ(o.Modes, kModeAll); }},
        {"ModeAugmentative=yes\nModeBuildup=1\n", [](const TGameOptions& o) { EXPECT_EQ(o.Modes, kModeBuildup); }},
        {"ModeBuildup=1\nCompareNums=7, 8;9\n",
         [](const TGameOptions& o) {
             EXPECT_EQ(o.CompareNums, (TShortIntArray{7, 8, 9}));
         }},
        {"ModeBuildup=1\nCompareNums=x0 100 5 99999999999999999999 -3\n",
         [](const TGameOptions& o) {
             EXPECT_EQ(o.CompareNums, (TShortIntArray{5, 3}));
         }},
        {"ModeBuildup=1\nKeepJUXs=40 3,x17 99999999999\n",
         [](const TGameOptions& o) {
             EXPECT_EQ(Values(o.KeepJUXs), (TIntArray{3, 17, 40}));
         }},
        {"ModeBuildup=1\nTotalTestDraws=50\n",
         [](const TGameOptions& o) {
             EXPECT_EQ(o.StartPoint, 250) << "N - the T just read";
             EXPECT_EQ(o.RunFactorOverhead, 0);
         }},
        {"ModeBuildup=1\nTotalTestDraws=abc\nStartPoint=150\n",
         [](const TGameOptions& o) {
             EXPECT_EQ(o.TotalTestDraws, 100);
             EXPECT_EQ(o.RunFactorOverhead, 50);
         }},
        {"ModeBuildup=1\nFieldSelected=2\n", [](const TGameOptions& o) { EXPECT_EQ(o.FieldSelected, 1); }},
        {"modebuildup=1\nTOTALTESTDRAWS=60\n",
         [](const TGameOptions& o) {
             EXPECT_EQ(o.Modes, kModeBuildup);
             EXPECT_EQ(o.TotalTestDraws, 60);
         }},
    };
    for (const auto& c : cases) {
        Put(path, std::string("[drawparams]\nApp=JUX\n") + c.lines);
        TGameOptions o;
        o.SetGame(game.get());
        o.LoadFromGameIni(path);
        SCOPED_TRACE(c.lines);
        c.check(o);
    }
}

TEST(GameOptions, ProgramSettingsRoundTrip)
{
    const std::string folder = TmpDir() + "settings_ok/";
    fs::create_directories(folder);
    const std::string game = folder + "Lotto.drw";
    Put(game, "x");
    TGameOptions a;
    a.AutoLoadDraw = game + "  ";
    a.SaveProgramSettings(folder);
    EXPECT_EQ(Get(TGameOptions::ProgramSettingsPath(folder)),
              "[JUXParams]\nApp=JUX\nVersion=2.3b\nAutoLoadDraw=" + game + "\n");

    TGameOptions b;
    b.LoadProgramSettings(folder);
    EXPECT_EQ(b.AutoLoadDraw, game);

    // The remembered game is gone: forgotten, the settings file stays.
    fs::remove(game);
    TGameOptions c;
    c.AutoLoadDraw = "stale";
    c.LoadProgramSettings(folder);
    EXPECT_EQ(c.AutoLoadDraw, "");
    EXPECT_TRUE(fs::exists(TGameOptions::ProgramSettingsPath(folder)));
}

// The threads of the analysis are a program setting: kept in the program
// settings file only when chosen, read back within 0 .. 256, and left alone
// by a game's defaults and options file.
TEST(GameOptions, AnalysisThreadsIsAProgramSetting)
{
    const std::string folder = TmpDir() + "settings_threads/";
    fs::create_directories(folder);
    const std::string path = TGameOptions::ProgramSettingsPath(folder);
    fs::remove(path);
    TGameOptions a;
    EXPECT_EQ(a.AnalysisThreads, 0);
    a.AnalysisThreads = 6;
    a.SaveProgramSettings(folder);
    EXPECT_EQ(Get(path), "[JUXParams]\nApp=JUX\nVersion=2.3b\nAutoLoadDraw=\nAnalysisThreads=6\n");
    TGameOptions b;
    b.LoadProgramSettings(folder);
    EXPECT_EQ(b.AnalysisThreads, 6);
    b.SetDefaults();
    EXPECT_EQ(b.AnalysisThreads, 6);
    EXPECT_EQ(TGameOptions(b).AnalysisThreads, 6);
    const std::string ini = folder + "game.ini";
    b.SaveToGameIni(ini);
    EXPECT_EQ(Get(ini).find("Threads"), std::string::npos);
    // Back to one per core: the key goes.
    b.AnalysisThreads = 0;
    b.SaveProgramSettings(folder);
    EXPECT_EQ(Get(path), "[JUXParams]\nApp=JUX\nVersion=2.3b\nAutoLoadDraw=\n");

    const struct {
        const char* value;
        int32_t read;
    } values[] = {{"256", 256}, {"1", 1}, {"257", 0}, {"-3", 0}, {"many", 0}, {"", 0}};
    for (const auto& v : values) {
        Put(path, std::string("[JUXParams]\nApp=JUX\nAnalysisThreads=") + v.value + "\n");
        TGameOptions c;
        c.AnalysisThreads = 9;
        c.LoadProgramSettings(folder);
        EXPECT_EQ(c.AnalysisThreads, v.read) << v.value;
        EXPECT_TRUE(fs::exists(path)) << v.value;
    }
}

TEST(GameOptions, DatabaseAddressSurvivesSavingTheSettings)
{
    const std::string folder = TmpDir() + "settings_db/";
    fs::create_directories(folder);
    const std::string path = TGameOptions::ProgramSettingsPath(folder);
    fs::remove(path);
    EXPECT_EQ(TGameOptions::DatabaseAddress(folder), "");
    Put(path, "[JUXParams]\nApp=JUX\nDatabaseAddress=  games.example.org:8080 \n");
    EXPECT_EQ(TGameOptions::DatabaseAddress(folder), "games.example.org:8080");
    TGameOptions o;
    o.LoadProgramSettings(folder);
    o.SaveProgramSettings(folder);
    EXPECT_EQ(TGameOptions::DatabaseAddress(folder), "games.example.org:8080");
}

TEST(GameOptions, DamagedProgramSettingsAreDeleted)
{
    const std::string folder = TmpDir() + "settings_bad/";
    fs::create_directories(folder);
    const std::string path = TGameOptions::ProgramSettingsPath(folder);
    std::string junk(512, '\0');
    for (size_t i = 0; i < junk.size(); ++i)
        junk[i] = static_cast<char>(i * 37);
    const std::string texts[] = {
        "[JUXParams]\nApp=XYZ\nAutoLoadDraw=/tmp\n",    "[JUXParams]\nVersion=2.3b\n", "[DrawParams]\nApp=JUX\n", junk,
        std::string(TIniFile::kMaxFileBytes + 10, '['),
    };
    for (const auto& t : texts) {
        Put(path, t);
        TGameOptions o;
        o.LoadProgramSettings(folder);
        EXPECT_FALSE(fs::exists(path)) << t.substr(0, 30);
        EXPECT_EQ(o.AutoLoadDraw, "");
    }
    // No file: nothing happens.
    TGameOptions o;
    EXPECT_NO_THROW(o.LoadProgramSettings(folder));
    EXPECT_FALSE(fs::exists(path));
    // Saving where no folder exists is ignored.
    EXPECT_NO_THROW(o.SaveProgramSettings(folder + "missing/deeper"));
}

// The import layout that worked is kept beside the options: saving the options
// keeps it, writing it keeps them, and damage reads as none.
TEST(GameOptions, ImportLayoutIsKeptInTheOptionsFile)
{
    auto game = MakeGame(300);
    const std::string path = TmpDir() + "layout.ini";
    std::remove(path.c_str());
    TImportLayout layout;
    TImportLayout back;
    EXPECT_FALSE(LoadImportLayout(path, back));
    layout.Kind = TImportLayout::TKind::Columns;
    layout.Delimiter = ';';
    layout.DateColumn = 2;
    layout.DateType = 0;
    layout.Field1Columns = {3, 4, 5, 6, 7, 8};
    ASSERT_TRUE(SaveImportLayout(path, layout));
    ASSERT_TRUE(LoadImportLayout(path, back));
    EXPECT_EQ(back, layout);

    TGameOptions o;
    o.SetGame(game.get());
    SetNonDefaults(o);
    o.SaveToGameIni(path);
    EXPECT_EQ(o.TotalTestDraws, 50);
    back = TImportLayout{};
    ASSERT_TRUE(LoadImportLayout(path, back));
    EXPECT_EQ(back, layout);
    layout.Field2Columns = {10};
    ASSERT_TRUE(SaveImportLayout(path, layout));
    TGameOptions read;
    read.SetGame(game.get());
    read.LoadFromGameIni(path);
    EXPECT_EQ(read.TotalTestDraws, 50);
    ASSERT_TRUE(LoadImportLayout(path, back));
    EXPECT_EQ(back.Field2Columns, std::vector<int>{10});

    Put(path, "[DrawParams]\nApp=JUX\nImportLayout={\"kind\":\"columns\",\"field1\":[0]}\n");
    EXPECT_FALSE(LoadImportLayout(path, back));
    // An options file too large to be read is not written over with one key.
    const std::string big(TIniFile::kMaxFileBytes + 10, '#');
    Put(path, big);
    std::string error;
    EXPECT_FALSE(SaveImportLayout(path, layout, &error));
    EXPECT_EQ(error, "the options file could not be read");
    EXPECT_EQ(Get(path), big);
    EXPECT_FALSE(SaveImportLayout(TmpDir() + "no such folder/x.ini", layout, &error));
}
