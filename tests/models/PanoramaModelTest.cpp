#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <tuple>

#include "data/Utils.h"
#include "models/Clipboard.h"
#include "models/DisplayState.h"
#include "models/PanoramaModel.h"
#include "support/EngineRig.h"

namespace {

// Made-up tables and lists, so that every cell has a known value.
struct TFakeSource : TPanoramaSource {
    int32_t tested = 100, pool = 49, width = 6, computed = 0;
    std::map<std::tuple<int32_t, int32_t, int32_t>, TCategoryList> lists;
    std::map<int32_t, TShortIntArray> orders;
    // (id, exact) -> histogram, the same for every top
    std::map<std::pair<int32_t, bool>, TIntArray> histograms;
    std::map<std::pair<int32_t, int32_t>, long double> p;

    int32_t TestedDraws() const override { return tested; }
    int32_t PoolSize() const override { return pool; }
    int32_t HitWidth() const override { return width; }
    int32_t TablesComputed() const override { return computed; }
    const TCategoryList* CategoryList(int32_t a, int32_t c, int32_t mode) const override
    {
        auto it = lists.find({a, c, mode});
        return it == lists.end() ? nullptr : &it->second;
    }
    const TShortIntArray* FinalOrder(int32_t id) const override
    {
        auto it = orders.find(id);
        return it == orders.end() ? nullptr : &it->second;
    }
    bool HitHistogram(int32_t id, int32_t, bool exact, TIntArray& h) const override
    {
        if (!orders.count(id))
            return false;
        auto it = histograms.find({id, exact});
        h = it == histograms.end() ? TIntArray(size_t(width) + 1, 0) : it->second;
        return true;
    }
    long double HitProbability(int32_t i, int32_t j) const override
    {
        auto it = p.find({i, j});
        return it == p.end() ? 0.0L : it->second;
    }

    void List(int32_t a, int32_t c, int32_t mode, std::initializer_list<int32_t> ids)
    {
        TCategoryList& l = lists[{a, c, mode}];
        for (int32_t id : ids)
            l.AddInt(id);
    }
    void Table(int32_t id, TShortIntArray order = {1, 2, 3, 4, 5, 6, 7, 8}) { orders[id] = std::move(order); }
};

TEST(PanoramaGrid, EmptyCategoryReadsZeroCountRatioAndImprovement)
{
    for (int32_t mode : {kPanoramaAugmentative, kPanoramaAbsolute}) {
        TFakeSource s;
        s.p[{3, 3}] = 0.02L;
        TPanoramaGrid g;
        BuildPanorama(s, 3, mode, 19, g);
        EXPECT_EQ(g.Cell(3, 0), "3- 0") << mode;
        EXPECT_EQ(g.Cell(3, 1), "0.00%") << mode;
        EXPECT_EQ(g.Cell(3, 2), "0.000000") << mode;
        // Category 1 alone has no probability; its tail includes category 3's.
        EXPECT_EQ(g.Cell(1, 2), mode == kPanoramaAbsolute ? "- N/A -" : "0.000000") << mode;
        s.p[{3, 3}] = 5e-11L;
        BuildPanorama(s, 3, mode, 19, g);
        EXPECT_EQ(g.Cell(3, 2), "- N/A -") << mode;
    }
}

TEST(PanoramaGrid, LayoutHeadersIdsAndMoreMarker)
{
    TFakeSource s;
    s.width = 2; // C = min(requested, K)
    s.Table(10);
    s.Table(11);
    s.Table(12);
    s.List(4, 1, kPanoramaAugmentative, {10, 11, 12});
    s.List(4, 2, kPanoramaAugmentative, {12, 11});
    TPanoramaGrid g;
    BuildPanorama(s, 4, kPanoramaAugmentative, 2, g);
    ASSERT_EQ(g.ColCount, 3);
    ASSERT_EQ(g.RowCount, 5);
    EXPECT_EQ(g.Cell(0, 0), "Category");
    EXPECT_EQ(g.Cell(0, 1), "Ratio %");
    EXPECT_EQ(g.Cell(0, 2), "Imp. Ratio");
    EXPECT_EQ(g.Cell(0, 3), "1");
    EXPECT_EQ(g.Cell(0, 4), "2");
    EXPECT_EQ(g.Cell(1, 3), "10");
    EXPECT_EQ(g.Cell(1, 4), "11+"); // a third table qualifies but is not shown
    EXPECT_EQ(g.Cell(2, 3), "12");
    EXPECT_EQ(g.Cell(2, 4), "11");
    EXPECT_EQ(CellID(g, 1, 4), 11);

    // A shorter list leaves the rest of its column empty.
    BuildPanorama(s, 4, kPanoramaAugmentative, 4, g);
    EXPECT_EQ(g.Cell(1, 5), "12");
    EXPECT_EQ(g.Cell(1, 6), "");
    EXPECT_EQ(g.Cell(2, 5), "");
}

TEST(PanoramaGrid, BuildupModeHasNoStatistics)
{
    TFakeSource s;
    s.Table(7);
    s.List(2, 2, kPanoramaBuildup, {7});
    s.p[{2, 1}] = 0.3L;
    TPanoramaGrid g;
    BuildPanorama(s, 2, kPanoramaBuildup, 3, g);
    EXPECT_EQ(g.Cell(1, 0), "1");
    EXPECT_EQ(g.Cell(2, 0), "2");
    for (int col : {1, 2}) {
        EXPECT_EQ(g.Cell(col, 1), "- N/A -");
        EXPECT_EQ(g.Cell(col, 2), "- N/A -");
    }
    EXPECT_EQ(g.Cell(2, 3), "7");
}

TEST(PanoramaGrid, AbsoluteUsesOneProbabilityAugmentativeTheTail)
{
    TFakeSource s;
    s.tested = 100;
    s.Table(5);
    s.histograms[{5, false}] = {0, 10, 4, 1, 0, 0, 0};
    s.histograms[{5, true}] = {0, 6, 3, 1, 0, 0, 0};
    s.p[{3, 1}] = 0.2L;
    s.p[{3, 2}] = 0.05L;
    s.p[{3, 3}] = 0.05L;
    for (int32_t c = 1; c <= 3; ++c) {
        s.List(3, c, kPanoramaAugmentative, {5});
        s.List(3, c, kPanoramaAbsolute, {5});
    }
    TPanoramaGrid g;
    BuildPanorama(s, 3, kPanoramaAbsolute, 1, g);
    EXPECT_EQ(g.Cell(1, 0), "1- 6");
    EXPECT_EQ(g.Cell(1, 1), "6.00%");
    EXPECT_EQ(g.Cell(1, 2), "0.300000"); // 6 / (100 * 0.2)
    EXPECT_EQ(g.Cell(2, 2), "0.600000"); // 3 / (100 * 0.05)
    BuildPanorama(s, 3, kPanoramaAugmentative, 1, g);
    EXPECT_EQ(g.Cell(1, 0), "1- 10");
    EXPECT_EQ(g.Cell(1, 2), "0.333333"); // 10 / (100 * 0.3)
    EXPECT_EQ(g.Cell(2, 2), "0.400000"); // 4 / (100 * 0.1)
    EXPECT_EQ(g.Cell(3, 2), "0.200000"); // 1 / (100 * 0.05)
}

TEST(PanoramaGrid, MissingFirstTableRaisesAndKeepsEarlierColumns)
{
    TFakeSource s;
    s.Table(3);
    s.List(2, 1, kPanoramaAugmentative, {3});
    s.List(2, 2, kPanoramaAugmentative, {99});
    TPanoramaGrid g;
    try {
        BuildPanorama(s, 2, kPanoramaAugmentative, 2, g);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "INTERNAL ERROR : Cannot find req. JUX ID 99");
    }
    EXPECT_EQ(g.Cell(1, 3), "3");
    EXPECT_EQ(g.Cell(0, 0), "Category");
}

TEST(PanoramaGrid, CellIdReadsTheFirstDigitRun)
{
    TPanoramaGrid g;
    g.SetSize(2, 5);
    g.SetCell(1, 3, "42+");
    g.SetCell(1, 4, "x 17 y 3");
    g.SetCell(0, 3, "1");
    g.SetCell(1, 0, "3- 5");
    EXPECT_EQ(CellID(g, 1, 3), 42);
    EXPECT_EQ(CellID(g, 1, 4), 17);
    EXPECT_EQ(CellID(g, 0, 3), 0); // header column
    EXPECT_EQ(CellID(g, 1, 0), 0); // header row
    EXPECT_EQ(CellID(g, 1, 2), 0); // empty
    EXPECT_EQ(CellID(g, 7, 9), 0); // outside
    EXPECT_EQ(IDFromText("99999999999999"), 2147483647);
    EXPECT_EQ(IDFromText("none"), 0);
}

TEST(ImprovementRatio, PrecisionShrinksAsTheValueGrows)
{
    struct Case {
        int32_t n, t;
        long double p;
        bool inverted;
        const char* text;
    };
    const Case cases[] = {
        {0, 100, 0.5L, false, "0.000000"},         {5, 0, 0.5L, false, "0.000000"},
        {5, 100, 1e-11L, false, "0.000000"},       {50, 100, 0.5L, false, "1.000000"},
        {50, 100, 0.05L, false, "10.00000"},       {50, 100, 0.005L, false, "100.0000"},
        {50, 100, 0.0005L, false, "1000.000"},     {50, 100, 0.00005L, false, "10000.00"},
        {50, 100, 0.000005L, false, "100000.0"},   {50, 100, 0.0000005L, false, "1000000.0"},
        {50, 100, 0.00000005L, false, "10000000"}, {25, 100, 0.5L, true, "2.000000"}, // expected over observed
        {3, 7, 0.1L, false, "4.285714"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ImprovementRatioText(c.n, c.t, c.p, c.inverted), c.text) << c.n << " " << double(c.p);
}

TEST(Clipboard, PredictionEntryIsSortedZeroPaddedAndEndsLfCrLfCr)
{
    const std::string entry = PredictionEntry(42, {5, 1, 33, 7, 2}, 3);
    EXPECT_EQ(entry, std::string("JUX 000000042 : 01 05 33") + "\x0A\x0D\x0A\x0D");
    // Fewer numbers than requested: what there is.
    EXPECT_EQ(PredictionEntry(1, {9}, 3), "JUX 000000001 : 09\n\r\n\r");
}

TEST(Clipboard, PredictionsWalkColumnsThenRowsAndSkipDeadTables)
{
    TFakeSource s;
    s.Table(4, {4, 3, 2, 1});
    s.Table(8, {8, 9, 1, 2});
    TPanoramaGrid g;
    g.SetSize(3, 5);
    g.SetCell(1, 3, "8");
    g.SetCell(1, 4, "4+");
    g.SetCell(2, 3, "77"); // no table
    g.SetCell(2, 4, "8");
    const std::string text = PredictionsText(g, s, 2, TGridRect{0, 0, 2, 4});
    EXPECT_EQ(text, "JUX 000000008 : 08 09\n\r\n\rJUX 000000004 : 03 04\n\r\n\rJUX 000000008 : 08 09\n\r\n\r");
    EXPECT_EQ(PredictionsText(g, s, 2, TGridRect{0, 0, 0, 4}), "");
}

TEST(RequestedNumbers, StartValuesAndLimits)
{
    struct Case {
        int32_t drawn, minReq, maxReq, start;
    };
    const Case cases[] = {
        {6, 0, 0, 6}, {6, 8, 0, 8}, {6, 3, 0, 6}, {6, 0, 4, 4}, {6, 8, 10, 8}, {6, 8, 7, 7}, {5, 0, 20, 5},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InitialRequested(c.drawn, c.minReq, c.maxReq), c.start) << c.minReq << " " << c.maxReq;
    EXPECT_EQ(LowestRequested(0), 1);
    EXPECT_EQ(LowestRequested(4), 4);
    EXPECT_EQ(HighestRequested(0, 49), 48);
    EXPECT_EQ(HighestRequested(12, 49), 12);
    EXPECT_EQ(InitialPanoramaMode(kModeAll), kPanoramaAugmentative);
    EXPECT_EQ(InitialPanoramaMode(kModeAbsolute | kModeBuildup), kPanoramaAbsolute);
    EXPECT_EQ(InitialPanoramaMode(kModeBuildup), kPanoramaBuildup);
    EXPECT_EQ(InitialPanoramaMode(0), kPanoramaBuildup);
}

TEST(RequestedNumbers, QuickMoveAcceptsOnlyANewWholeNumberInRange)
{
    struct Case {
        const char* text;
        bool accepted;
        int32_t value;
    };
    const Case cases[] = {
        {" 7 ", true, 7}, {"1", true, 1},    {"48", true, 48},  {"6", false, 0}, {"0", false, 0},
        {"49", false, 0}, {"7.5", false, 0}, {"abc", false, 0}, {"", false, 0},  {"99999999999", false, 0},
        {"-3", false, 0}, {"+9", true, 9},
    };
    for (const Case& c : cases) {
        int32_t v = 0;
        EXPECT_EQ(AcceptQuickMove(c.text, 6, 1, 48, v), c.accepted) << c.text;
        if (c.accepted) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

TEST(PanoramaColors, HeadersStatisticsAndDataCells)
{
    TFakeSource s;
    s.Table(10, {1, 2, 3, 4, 5, 6});
    s.Table(11, {1, 2, 9, 8, 7, 6});
    TPanoramaGrid g;
    g.SetSize(4, 6);
    g.SetCell(1, 3, "10");
    g.SetCell(2, 3, "11");
    g.SetCell(3, 3, "55"); // no live table
    TIntegerStore user;
    user.AddInt(11);
    const uint32_t fixed = RGBColor(1, 2, 3);
    TPanoramaPalette pal{&user, nullptr, fixed};
    EXPECT_EQ(PanoramaCellColor(g, s, 3, pal, 0, 0), fixed);
    EXPECT_EQ(PanoramaCellColor(g, s, 3, pal, 2, 0), fixed);
    EXPECT_EQ(PanoramaCellColor(g, s, 3, pal, 0, 4), fixed);
    EXPECT_EQ(PanoramaCellColor(g, s, 3, pal, 1, 1), kSkyBlue);
    EXPECT_EQ(PanoramaCellColor(g, s, 3, pal, 2, 2), kSkyBlue);
    EXPECT_EQ(PanoramaCellColor(g, s, 3, pal, 1, 3), kMoneyGreen);
    EXPECT_EQ(PanoramaCellColor(g, s, 3, pal, 2, 3), kRed);
    EXPECT_EQ(PanoramaCellColor(g, s, 3, pal, 1, 4), kMoneyGreen); // empty

    // Compare numbers 2, 3 and 40: m = min(3, requested 3) = 3.
    const TShortIntArray compare{2, 3, 40};
    pal.CompareNums = &compare;
    EXPECT_EQ(PanoramaCellColor(g, s, 3, pal, 0, 0), kMoneyGreen);
    EXPECT_EQ(PanoramaCellColor(g, s, 3, pal, 1, 0), BlendColor(kMoneyGreen, kGreen, 1.0 / 3));
    EXPECT_EQ(PanoramaCellColor(g, s, 3, pal, 3, 0), kGreen);
    // Table 10's top 3 (1, 2, 3) holds two compare numbers.
    EXPECT_EQ(PanoramaCellColor(g, s, 3, pal, 1, 3), BlendColor(kMoneyGreen, kGreen, 2.0 / 3));
    EXPECT_EQ(PanoramaCellColor(g, s, 3, pal, 1, 3), RGBColor(64, 159, 64));
    // A listed table blends red towards red.
    EXPECT_EQ(PanoramaCellColor(g, s, 3, pal, 2, 3), kRed);
    // No table: the base colour, no blend.
    EXPECT_EQ(PanoramaCellColor(g, s, 3, pal, 3, 3), kMoneyGreen);
    // Nothing requested: no division by zero, no blend.
    EXPECT_EQ(PanoramaCellColor(g, s, 0, pal, 2, 0), kMoneyGreen);
    EXPECT_EQ(CompareMatches({40, 2, 3}, 2, compare), 2);
}

TEST(PanoramaMenu, EntriesFollowTheSelection)
{
    TPanoramaGrid g;
    g.SetSize(3, 6);
    g.SetCell(1, 3, "21");
    g.SetCell(1, 4, "22");
    g.SetCell(2, 4, "23"); // column 2's first data cell is empty
    TIntegerStore user;
    user.AddInt(22);

    TPanoramaPopupState s = PanoramaPopupState(g, TGridRect{1, 3, 1, 3}, user);
    EXPECT_TRUE(s.AddVisible);
    EXPECT_EQ(s.AddCaption, "Add 21 to JUX list");
    EXPECT_FALSE(s.RemoveVisible);
    EXPECT_TRUE(s.BrowseEnabled);
    EXPECT_EQ(s.BrowseCaption, "Browse 1 category");
    EXPECT_EQ(s.CellId, 21);

    s = PanoramaPopupState(g, TGridRect{1, 4, 1, 4}, user);
    EXPECT_FALSE(s.AddVisible);
    EXPECT_TRUE(s.RemoveVisible);
    EXPECT_EQ(s.RemoveCaption, "Remove 22 from JUX list");

    s = PanoramaPopupState(g, TGridRect{2, 4, 2, 4}, user);
    EXPECT_TRUE(s.AddVisible);
    EXPECT_FALSE(s.BrowseEnabled);
    EXPECT_EQ(s.BrowseCaption, "Browse category");

    // Several cells: no single ID, so neither list entry.
    s = PanoramaPopupState(g, TGridRect{1, 3, 1, 5}, user);
    EXPECT_FALSE(s.AddVisible);
    EXPECT_FALSE(s.RemoveVisible);
    EXPECT_TRUE(s.BrowseEnabled);
    s = PanoramaPopupState(g, TGridRect{1, 3, 2, 3}, user);
    EXPECT_FALSE(s.BrowseEnabled);
    EXPECT_EQ(s.BrowseCaption, "Browse category");
    // An empty cell holds no ID.
    s = PanoramaPopupState(g, TGridRect{1, 5, 1, 5}, user);
    EXPECT_FALSE(s.AddVisible);
    EXPECT_FALSE(s.RemoveVisible);

    EXPECT_EQ(ColumnIDs(g, 1), (std::vector<int32_t>{21, 22}));
    EXPECT_TRUE(ColumnIDs(g, 2).empty());
    TIntegerStore ids;
    SelectionIDs(g, TGridRect{1, 3, 2, 5}, ids);
    std::vector<int32_t> got;
    for (int i = 1; i <= ids.Count(); ++i) {
        int32_t v = 0;
        ids.GetInt(i, v);
        got.push_back(v);
    }
    EXPECT_EQ(got, (std::vector<int32_t>{0, 21, 22, 23}));
}

TEST(TableMenu, EntriesFollowTheListsAndTheCurrentTable)
{
    TIntegerStore user, browse, none;
    user.AddInt(5);
    struct Case {
        const TIntegerStore* user;
        const TIntegerStore* browse;
        int32_t current;
        bool exists;
        TTablePopupState want;
    };
    browse.AddInt(5);
    const Case cases[] = {
        {&none, &none, 0, false, {false, false, false, false, false, false}},
        {&user, &none, 0, false, {true, true, true, false, false, false}},
        {&user, &browse, 7, true, {false, true, true, true, false, true}},
        {&user, &none, 5, true, {true, true, true, false, true, true}},
        {&none, &none, 9, false, {false, false, false, false, false, true}}, // recycled table
    };
    for (const Case& c : cases) {
        const TTablePopupState s = TablePopupState(*c.user, *c.browse, c.current, c.exists);
        EXPECT_EQ(s.BrowseListVisible, c.want.BrowseListVisible) << c.current;
        EXPECT_EQ(s.ClearListVisible, c.want.ClearListVisible) << c.current;
        EXPECT_EQ(s.ExportListVisible, c.want.ExportListVisible) << c.current;
        EXPECT_EQ(s.AddVisible, c.want.AddVisible) << c.current;
        EXPECT_EQ(s.RemoveVisible, c.want.RemoveVisible) << c.current;
        EXPECT_EQ(s.ExportDetailsVisible, c.want.ExportDetailsVisible) << c.current;
    }
}

TEST(Captions, RunButtonAndLabels)
{
    EXPECT_STREQ(RunButtonCaption(STARTED), "Pause");
    EXPECT_STREQ(RunButtonCaption(PAUSED), "Resume");
    EXPECT_STREQ(RunButtonCaption(FINISHED), "Close");
    EXPECT_EQ(RunButtonCaption(STANDBY), nullptr);
    EXPECT_EQ(RunButtonCaption(LOADED), nullptr);
    EXPECT_EQ(RequestedText(6, 49), "6 numbers requested out of 49");
    EXPECT_EQ(TestingText(12), "Currently testing JUX 12");
    EXPECT_EQ(ProgressStripText(STARTED, 12), "Currently testing JUX 12");
    EXPECT_EQ(ProgressStripText(PAUSED, 12), "Paused after JUX 12");
    EXPECT_EQ(ProgressStripText(FINISHED, 12), "Currently testing JUX 12");
    EXPECT_EQ(FinalResultsText(30), "Displaying final prediction results (30 JUXs tested)");
}

// ---- the display state over a real run ----

// A display whose queries answer from a script.
struct TScriptedDisplay : TDisplayState {
    using TDisplayState::TDisplayState;
    std::vector<std::string> answers;
    std::vector<std::string> prompts;
    std::string savePath;
    int tablePages = 0, panoramaPages = 0, tableRefreshes = 0;
    bool InputQuery(const std::string& title, const std::string& prompt, std::string& value) override
    {
        prompts.push_back(title + "|" + prompt + "|" + value);
        if (answers.empty())
            return false;
        value = answers.front();
        answers.erase(answers.begin());
        return true;
    }
    bool SaveFileQuery(const std::string& preset, std::string& fileName) override
    {
        prompts.push_back("save|" + preset);
        fileName = savePath;
        return !savePath.empty();
    }
    void ShowTablePage() override { ++tablePages; }
    void ShowPanoramaPage() override { ++panoramaPages; }
    void RefreshTable() override { ++tableRefreshes; }
};

struct DisplayRun : ::testing::Test {
    rig::TRig r;
    std::unique_ptr<TScriptedDisplay> d;
    TStringClipboard clipboard;

    void SetUp() override
    {
        InstallClipboard(&clipboard);
        ASSERT_TRUE(rig::OpenShortRun(r, ::testing::UnitTest::GetInstance()->current_test_info()->name()));
        d = std::make_unique<TScriptedDisplay>(r.env);
    }
    void TearDown() override
    {
        d.reset();
        InstallClipboard(nullptr);
    }
    void Run()
    {
        r.env.ChangeState(STARTED);
        ASSERT_EQ(r.env.RunState, FINISHED);
    }
    int32_t Cell(int col, int row) const { return CellID(d->Panorama(), col, row); }
};

TEST_F(DisplayRun, StartOfRunPreparesStateAndFillsThePanorama)
{
    r.options.KeepJUXs.AddInt(3);
    d->UserList().AddInt(77); // from an earlier run: cleared at the start
    Run();
    EXPECT_EQ(r.env.Display(), d.get());
    EXPECT_EQ(d->PanoramaRequested(), 6);
    EXPECT_EQ(d->TableRequested, 6);
    EXPECT_EQ(d->PanoramaMode(), kPanoramaAugmentative);
    EXPECT_EQ(d->PanoramaRows, 5);
    EXPECT_EQ(d->CurrentJUX(), 0);
    EXPECT_EQ(d->LookAhead, 5);
    EXPECT_EQ(d->UserJUXList()->Count(), 1);
    EXPECT_TRUE(d->UserJUXList()->ContainsInt(3));
    EXPECT_GE(d->panoramaPages, 1);

    // The lists-changed handler kept the panorama current; a fresh build
    // from the final lists reads the same.
    const TPanoramaGrid shown = d->Panorama();
    d->RefreshPanorama();
    EXPECT_EQ(shown.Cells, d->Panorama().Cells);
    EXPECT_EQ(d->ProgressText(), "Currently testing JUX 40");
    const TPanoramaGrid& g = d->Panorama();
    ASSERT_EQ(g.ColCount, 7);
    ASSERT_EQ(g.RowCount, 8);

    // Each header row against the first table's own histogram.
    for (int32_t c = 1; c <= 6; ++c) {
        const TCategoryList* list = r.engine.CategoryList(6, c, kPanoramaAugmentative);
        ASSERT_NE(list, nullptr);
        int32_t n = 0;
        int32_t first = 0;
        if (list->GetInt(1, first)) {
            TIntArray h;
            r.engine.HitHistogram(*r.engine.FindTable(first), 6, false, 0, 1, h);
            n = h[size_t(c)];
            EXPECT_EQ(Cell(c, 3), first);
        } else {
            EXPECT_EQ(g.Cell(c, 3), "");
        }
        EXPECT_EQ(g.Cell(c, 0), Format("%d- %d", c, n));
        EXPECT_EQ(g.Cell(c, 1), Format("%.2f%%", n / 30.0 * 100));
    }
    // Category 1 always has a table in 40 tables of 30 tested draws.
    EXPECT_GT(Cell(1, 3), 0);

    d->ShowFinalResults();
    EXPECT_EQ(d->ProgressText(), "Displaying final prediction results (40 JUXs tested)");
    EXPECT_EQ(d->RunButtonText(), "Close");
}

// The strip says a paused run is paused, also when the panorama is refreshed
// or the mouse rests on it, and goes back to testing once resumed.
TEST_F(DisplayRun, ProgressStripFollowsPauseAndResume)
{
    r.PauseAt(12);
    r.env.ChangeState(STARTED);
    ASSERT_EQ(r.env.RunState, PAUSED);
    const int32_t paused = r.Tables();
    EXPECT_EQ(d->ProgressText(), Format("Paused after JUX %d", paused));
    d->RefreshPanorama();
    EXPECT_EQ(d->ProgressText(), Format("Paused after JUX %d", paused));
    EXPECT_EQ(d->HoverProgressText(), Format("Paused after JUX %d", paused));

    std::vector<std::string> seen;
    r.pump.onEvents = [&] {
        if (r.env.RunState == STARTED)
            seen.push_back(d->ProgressText());
    };
    r.env.ChangeState(STARTED);
    ASSERT_EQ(r.env.RunState, FINISHED);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front().rfind("Currently testing JUX ", 0), 0u) << seen.front();
}

TEST_F(DisplayRun, PlusStopsBelowThePoolMinusAtOne)
{
    r.options.MaximumJUXsToScan = 3;
    Run();
    int steps = 0;
    while (d->IncreaseRequested())
        ++steps;
    EXPECT_EQ(d->PanoramaRequested(), 48);
    EXPECT_EQ(steps, 42);
    EXPECT_EQ(d->RequestedLabel(), "48 numbers requested out of 49");
    while (d->DecreaseRequested())
        ;
    EXPECT_EQ(d->PanoramaRequested(), 1);
    EXPECT_EQ(d->Panorama().ColCount, 2);

    // Quick move: cancelled, outside, unchanged and garbage leave it; a valid one moves.
    d->answers = {"0", "1", "x", " 12 "};
    EXPECT_FALSE(d->QuickMoveRequested());
    EXPECT_FALSE(d->QuickMoveRequested());
    EXPECT_FALSE(d->QuickMoveRequested());
    EXPECT_EQ(d->PanoramaRequested(), 1);
    EXPECT_TRUE(d->QuickMoveRequested());
    EXPECT_EQ(d->PanoramaRequested(), 12);
    EXPECT_EQ(d->prompts.front(), "Quick move to|Requested numbers|1");
    EXPECT_FALSE(d->QuickMoveRequested()); // cancelled
    EXPECT_EQ(d->PanoramaRequested(), 12);

    // Limits of the options win over the pool.
    r.options.MinReqNumbers = 4;
    r.options.MaxReqNumbers = 13;
    EXPECT_TRUE(d->IncreaseRequested());
    EXPECT_FALSE(d->IncreaseRequested());
    d->answers = {"3"};
    EXPECT_FALSE(d->QuickMoveRequested());
}

TEST_F(DisplayRun, BrowsingACategoryAndItsRules)
{
    Run();
    const std::vector<int32_t> column = ColumnIDs(d->Panorama(), 1);
    ASSERT_GE(column.size(), 2u);
    EXPECT_TRUE(d->BrowseCategory(1));
    EXPECT_EQ(d->CurrentJUX(), column[0]);
    EXPECT_EQ(d->tablePages, 1);
    ASSERT_EQ(d->BrowseList()->Count(), int(column.size()));
    d->BrowseTo(2);
    EXPECT_EQ(d->CurrentJUX(), column[1]);
    d->BrowseTo(99); // beyond the list
    EXPECT_EQ(d->CurrentJUX(), column[1]);

    // Jumps are refused while browsing.
    d->JumpToListed(column[0]);
    d->JumpQuery();
    EXPECT_EQ(r.dialogs.Texts(),
              (std::vector<std::string>{"Please deactivate browsing.", "Please deactivate browsing."}));
    EXPECT_EQ(d->CurrentJUX(), column[1]);

    // A new browse asks first; No keeps the old list.
    r.dialogs.Queue(TModalResult::No);
    EXPECT_FALSE(d->OpenCell(1, 3));
    EXPECT_EQ(d->BrowseList()->Count(), int(column.size()));
    r.dialogs.Queue(TModalResult::Yes);
    EXPECT_TRUE(d->OpenCell(1, 4));
    EXPECT_TRUE(d->BrowseList()->IsEmpty());
    EXPECT_EQ(d->CurrentJUX(), column[1]);
    EXPECT_EQ(r.dialogs.shown.back().text, "Clear existing browsing list?");
    EXPECT_FALSE(d->OpenCell(0, 3)); // a header cell holds no ID

    // "Browse List": a sorted copy of the JUX list.
    d->AddToUserList(column[1]);
    d->AddToUserList(column[0]);
    d->AddToUserList(column[0]);
    EXPECT_EQ(d->UserJUXList()->Count(), 2);
    EXPECT_TRUE(d->TablePopup().BrowseListVisible);
    d->BrowseUserList();
    int32_t first = 0;
    d->BrowseList()->GetInt(1, first);
    EXPECT_EQ(first, std::min(column[0], column[1]));
    EXPECT_FALSE(d->TablePopup().BrowseListVisible);
    d->ClearBrowse();
    EXPECT_TRUE(d->BrowseList()->IsEmpty());

    // Jumps without browsing: to a live table, or nowhere for a dead ID.
    d->JumpToListed(column[0]);
    EXPECT_EQ(d->CurrentJUX(), column[0]);
    d->answers = {"999999", Format("%d", column[1])};
    d->JumpQuery();
    EXPECT_EQ(d->CurrentJUX(), column[0]);
    d->JumpQuery();
    EXPECT_EQ(d->CurrentJUX(), column[1]);
}

TEST_F(DisplayRun, UserListCommandsAskFirst)
{
    Run();
    d->AddToUserList(Cell(1, 3));
    d->SelectJUX(Cell(1, 3));
    EXPECT_TRUE(d->CurrentListed());
    EXPECT_TRUE(d->TablePopup().RemoveVisible);
    r.dialogs.Queue(TModalResult::No);
    d->ClearListCommand();
    EXPECT_EQ(d->UserJUXList()->Count(), 1);
    r.dialogs.Queue(TModalResult::Yes);
    r.dialogs.Queue(TModalResult::Yes);
    d->ExportListToRetained();
    EXPECT_TRUE(r.options.KeepJUXs.ContainsInt(Cell(1, 3)));
    d->ClearListCommand();
    EXPECT_TRUE(d->UserJUXList()->IsEmpty());
    EXPECT_EQ(r.dialogs.Texts(),
              (std::vector<std::string>{"Clear JUX list?",
                                        "This operation will replace all the retained JUXs at the options. Proceed?",
                                        "Clear JUX list?"}));
    // Still red: it is a retained table now.
    EXPECT_TRUE(d->CurrentListed());
    EXPECT_EQ(d->CurrentText(), Format("%d", Cell(1, 3)));
}

TEST_F(DisplayRun, ClipboardAndSpreadsheetExport)
{
    Run();
    const int32_t id = Cell(1, 3);
    d->ExportPredictions(TGridRect{1, 3, 1, 3});
    TShortIntArray top(r.engine.FindTable(id)->FinalOrder.begin(), r.engine.FindTable(id)->FinalOrder.begin() + 6);
    std::sort(top.begin(), top.end());
    EXPECT_EQ(clipboard.Text, Format("JUX %.9d : ", id) + BallsToText(top, " ", 2) + "\n\r\n\r");
    d->ExportPredictions(TGridRect{0, 0, 0, 2}); // headers only
    EXPECT_EQ(clipboard.Text, "");
    EXPECT_EQ(clipboard.SetCount, 2);

    d->ExportPanoramaDetails(TGridRect{1, 3, 1, 3}); // save dialog cancelled
    EXPECT_TRUE(r.dialogs.shown.empty());
    d->savePath = fixtures::TmpDir() + "out.xlsx";
    std::remove(d->savePath.c_str());
    d->SelectJUX(id);
    d->ExportCurrentDetails();
    EXPECT_EQ(d->prompts.back(), "save|Test Lotto.xlsx");
    EXPECT_TRUE(r.dialogs.shown.empty());
    fixtures::Bytes written;
    EXPECT_TRUE(fixtures::ReadFile(d->savePath, written));
    EXPECT_GT(written.size(), 1000u);
}

TEST_F(DisplayRun, ModeChangeAndSelectJUX)
{
    Run();
    d->SetPanoramaMode(kPanoramaAbsolute);
    EXPECT_EQ(d->PanoramaMode(), kPanoramaAbsolute);
    d->SetPanoramaMode(7); // no such entry
    EXPECT_EQ(d->PanoramaMode(), kPanoramaAbsolute);
    const int32_t id = Cell(1, 3);
    ASSERT_GT(id, 0);
    d->TableRequested = 9;
    d->SelectJUX(id);
    EXPECT_EQ(d->CurrentJUX(), id);
    EXPECT_EQ(d->TableRequested, 6);
    EXPECT_TRUE(d->AbsoluteCategoryHits);
    d->SetPanoramaMode(kPanoramaBuildup);
    d->SelectJUX(id);
    EXPECT_FALSE(d->AbsoluteCategoryHits);
    EXPECT_EQ(d->Panorama().Cell(1, 1), "- N/A -");
}

TEST_F(DisplayRun, RunButtonFollowsTheState)
{
    r.options.MaximumJUXsToScan = 1000;
    std::vector<std::string> seen;
    r.pump.onEvents = [&] {
        if (r.Tables() == 2)
            seen.push_back(d->RunButtonText());
        if (r.Tables() >= 3 && r.env.RunState == STARTED)
            d->RunButtonClick();
    };
    r.env.ChangeState(STARTED);
    ASSERT_EQ(r.env.RunState, PAUSED);
    r.pump.onEvents = nullptr;
    EXPECT_EQ(seen, (std::vector<std::string>{"Pause"}));
    EXPECT_EQ(d->RunButtonText(), "Resume");
    r.dialogs.Queue(TModalResult::Cancel);
    d->RunButtonClick();
    EXPECT_EQ(r.env.RunState, PAUSED);
    r.dialogs.Queue(TModalResult::Yes);
    d->RunButtonClick();
    EXPECT_EQ(r.env.RunState, FINISHED);
    EXPECT_EQ(r.dialogs.Texts().front(), "Do you want to terminate the scan?");
    d->ShowFinalResults();
    EXPECT_EQ(d->RunButtonText(), "Close");
    const int mainPages = r.main.mainPages;
    d->RunButtonClick();
    EXPECT_EQ(r.main.mainPages, mainPages + 1);
}

} // namespace
