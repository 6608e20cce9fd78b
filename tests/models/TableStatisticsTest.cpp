// The JUX Table page's statistics, grids, copies, chart series and menus,
// worked out from a made-up table.
#include <gtest/gtest.h>

#include <map>

#include "models/PanoramaModel.h"
#include "models/TableStatistics.h"

namespace {

// One table (ID 7) whose tested draw i scored hits[i - 1].
struct TFakeSource : TTableSource {
    int32_t pool = 49;
    int32_t k = 6;
    TShortIntArray order;
    std::vector<int32_t> hits;
    std::map<std::pair<int32_t, int32_t>, long double> p;
    mutable int histograms = 0;

    int32_t TestedDraws() const override { return int32_t(hits.size()); }
    int32_t PoolSize() const override { return pool; }
    int32_t HitWidth() const override { return k; }
    const TShortIntArray* FinalOrder(int32_t id) const override { return id == 7 ? &order : nullptr; }
    bool HitHistogram(int32_t id, int32_t, bool exact, TIntArray& h) const override
    {
        if (id != 7)
            return false;
        ++histograms;
        h.assign(size_t(k) + 1, 0);
        for (int32_t n : hits)
            for (int32_t j = 0; j <= k; ++j)
                if (exact || j == 0 ? n == j : n >= j)
                    ++h[size_t(j)];
        return true;
    }
    int32_t HitsWithin(int32_t id, int32_t row, int32_t) const override
    {
        return id == 7 && row >= 1 && row <= TestedDraws() ? hits[size_t(row - 1)] : 0;
    }
    long double HitProbability(int32_t i, int32_t j) const override
    {
        auto it = p.find({i, j});
        return it == p.end() ? 0.0L : it->second;
    }
};

TShortIntArray Order(std::initializer_list<int> first, int pool = 49)
{
    TShortIntArray order;
    for (int n : first)
        order.push_back(int16_t(n));
    for (int n = 1; n <= pool; ++n)
        if (std::find(order.begin(), order.end(), n) == order.end())
            order.push_back(int16_t(n));
    return order;
}

TTableView View(int32_t requested)
{
    TTableView v;
    v.CurrentJUX = 7;
    v.TableRequested = requested;
    return v;
}

using Points = std::vector<std::pair<double, double>>;

} // namespace

TEST(TableStatistics, HitsProducedAgainstChance)
{
    TFakeSource s;
    s.k = 3;
    s.order = Order({1, 2, 3});
    s.hits = {0, 0, 1, 2, 1, 0, 3, 1, 0, 2}; // 4 with none, 3 exactly 1, 2 exactly 2, 1 exactly 3
    s.p = {{{3, 0}, 0.5L}, {{3, 1}, 0.3L}, {{3, 2}, 0.15L}, {{3, 3}, 1e-12L}};

    struct Case {
        bool absolute;
        std::vector<std::string> counts, shares, ratios;
    } cases[] = {
        // At least j: 6 draws with 1+, 3 with 2+, 1 with 3; p sums from j to Ct.
        {false,
         {"4", "6", "3", "1"},
         {"40.00%", "60.00%", "30.00%", "10.00%"},
         // column 0 is expected over observed: 10 x 0.5 / 4
         {"1.250000", ImprovementRatioText(6, 10, 0.3L + 0.15L + 1e-12L, false),
          ImprovementRatioText(3, 10, 0.15L + 1e-12L, false), "- N/A -"}},
        {true,
         {"4", "3", "2", "1"},
         {"40.00%", "30.00%", "20.00%", "10.00%"},
         {"1.250000", "1.000000", "1.333333", "- N/A -"}},
    };
    for (const Case& c : cases) {
        TTableView v = View(3);
        v.Absolute = c.absolute;
        const TTablePage page = BuildTablePage(s, v, {});
        ASSERT_TRUE(page.Exists);
        ASSERT_EQ(page.Success.ColCount, 4);
        ASSERT_EQ(page.Success.RowCount, 4);
        for (int32_t j = 0; j <= 3; ++j) {
            EXPECT_EQ(page.Success.Cell(j, 0), std::to_string(j) + " hits");
            EXPECT_EQ(page.Success.Cell(j, 1), c.shares[size_t(j)]) << j;
            EXPECT_EQ(page.Success.Cell(j, 2), c.ratios[size_t(j)]) << j << " absolute " << c.absolute;
            EXPECT_EQ(page.Success.Cell(j, 3), c.counts[size_t(j)]) << j;
            EXPECT_EQ(page.Success.Colour(j, 0), TCellColour::Fixed);
            EXPECT_EQ(page.Success.Colour(j, 2), TCellColour::Money);
        }
    }
    EXPECT_EQ(BuildTablePage(s, View(3), {}).RequestedLabel, "3 numbers requested out of 49");

    // Ct is min(requested, K): 10 requested on a 3-wide table shows 4 columns.
    EXPECT_EQ(BuildTablePage(s, View(10), {}).Success.ColCount, 4);
    EXPECT_EQ(BuildTablePage(s, View(2), {}).Success.ColCount, 3);
}

TEST(TableStatistics, PredictedGridCopiesAndColours)
{
    TFakeSource s;
    s.hits = {1, 0};
    s.order = Order({3, 41, 7, 21, 5, 6, 8, 9, 10, 11, 12, 13, 14, 15, 16});

    const TTablePage wide = BuildTablePage(s, View(15), {});
    ASSERT_EQ(wide.Predict.ColCount, 11);
    ASSERT_EQ(wide.Predict.RowCount, 3);
    EXPECT_EQ(wide.Predict.Cell(0, 1), "+ 0");
    EXPECT_EQ(wide.Predict.Cell(0, 2), "+ 10");
    EXPECT_EQ(wide.Predict.Cell(0, 0), "");
    for (int32_t c = 1; c <= 10; ++c)
        EXPECT_EQ(wide.Predict.Cell(c, 0), std::to_string(c));
    EXPECT_EQ(wide.Predict.Cell(1, 1), "3");
    EXPECT_EQ(wide.Predict.Cell(5, 2), "16"); // rank 15 = "+ 10" and "5"
    for (int32_t c = 6; c <= 10; ++c) {       // ranks 16 .. 20
        EXPECT_EQ(wide.Predict.Cell(c, 2), "");
        EXPECT_EQ(wide.Predict.Colour(c, 2), TCellColour::Sky);
    }
    EXPECT_EQ(wide.Predict.Colour(3, 1), TCellColour::Money); // no compare numbers
    EXPECT_EQ(wide.PredictCaption, " Predicted numbers for next draw ");

    struct Copy {
        std::initializer_list<int> first;
        int32_t requested;
        const char* sorted;
        const char* original;
    } copies[] = {
        {{3, 41, 7}, 3, "03 07 41", "03 41 07"},
        {{3, 1, 2}, 3, "1 2 3", "3 1 2"},
        {{9, 10}, 1, "9", "9"},
        {{12, 1, 5, 30, 2, 4, 6, 7, 8, 11, 3},
         11,
         "01 02 03 04 05 06 07 08 11 12 30",
         "12 01 05 30 02 04 06 07 08 11 03"},
    };
    for (const Copy& c : copies) {
        s.order = Order(c.first);
        const TTablePage page = BuildTablePage(s, View(c.requested), {});
        EXPECT_EQ(page.ClipboardSorted, c.sorted);
        EXPECT_EQ(page.ClipboardOriginal, c.original);
    }

    // 7 is predicted and compared: green; 20 is missed, so its neighbour 21 is yellow.
    s.order = Order({3, 41, 7, 21});
    const TTablePage marked = BuildTablePage(s, View(4), {7, 20});
    EXPECT_EQ(marked.PredictCaption, " Predicted numbers for next draw (compare to 07 20)");
    const TCellColour expected[] = {TCellColour::Money, TCellColour::Money, TCellColour::Green, TCellColour::Yellow};
    for (int32_t c = 1; c <= 4; ++c)
        EXPECT_EQ(marked.Predict.Colour(c, 1), expected[c - 1]) << c;
    EXPECT_EQ(marked.Predict.Colour(0, 1), TCellColour::Fixed);
    EXPECT_EQ(marked.Predict.Colour(2, 0), TCellColour::Fixed);
    // A missed number's neighbour that is itself predicted and compared stays green.
    s.order = Order({8, 2});
    EXPECT_EQ(BuildTablePage(s, View(2), {8, 9}).Predict.Colour(1, 1), TCellColour::Green);
}

TEST(TableStatistics, HitsChartAndItsLookAheadAverage)
{
    TFakeSource s;
    s.order = Order({});
    s.hits = {1, 3, 0, 2, 2, 1};
    TTableView v = View(6);
    v.LookAhead = 2;
    TTablePage page = BuildTablePage(s, v, {});
    EXPECT_EQ(page.Hits.XTitle, "Tested Draws (blue line averaged on 2 future draws)");
    ASSERT_EQ(page.Hits.Series.size(), 2u);
    // The first point of each series is dropped.
    EXPECT_EQ(page.Hits.Series[0].Points, (Points{{2, 3}, {3, 0}, {4, 2}, {5, 2}, {6, 1}}));
    // At x the mean of the 2 draws after x.
    EXPECT_EQ(page.Hits.Series[1].Points, (Points{{2, 1}, {3, 2}, {4, 1.5}}));

    for (int32_t lookAhead : {6, 50}) {
        v.LookAhead = lookAhead;
        page = BuildTablePage(s, v, {});
        EXPECT_EQ(page.Hits.Series[0].Points.size(), 5u);
        EXPECT_TRUE(page.Hits.Series[1].Points.empty());
    }
    v.LookAhead = 5; // one average, then dropped as the first point
    EXPECT_TRUE(BuildTablePage(s, v, {}).Hits.Series[1].Points.empty());
}

TEST(TableStatistics, DelayChartModes)
{
    TFakeSource s;
    s.k = 3;
    s.order = Order({});
    // 2 or more hits at tested draws 3, 7 and 8; 1 or more also at 1 and 5.
    s.hits = {1, 0, 2, 0, 1, 0, 3, 2, 0, 0};

    struct Case {
        int32_t category;
        uint8_t mode;
        const char* xTitle;
        const char* yTitle;
        bool legend;
        std::vector<std::pair<std::string, Points>> series; // title, points
        TSeriesKind kind;
    } cases[] = {
        {2,
         1,
         "Delay to produce at least 2 hits (current delay 3) - Actual",
         "Draws passed",
         false,
         {{"Series", {{1, 4}, {2, 1}}}},
         TSeriesKind::Line},
        {2,
         0,
         "Delay to produce at least 2 hits (current delay 3) - Summary",
         "Occurrence",
         false,
         {{"2 hits", {{1, 1}, {4, 1}}}},
         TSeriesKind::Bar},
        // gaps of 1+: 1->3 (2), 3->5 (2), 5->7 (2), 7->8 (1); of 2+: 4, 1; of 3+: none
        {0,
         0,
         "Overall delay of 'at least x' hits",
         "Occurrence",
         true,
         {{"1 hits", {{1, 1}, {2, 3}}}, {"2 hits", {{1, 1}, {4, 1}}}, {"3 hits", {}}},
         TSeriesKind::Bar},
        // actual mode needs a category
        {0,
         1,
         "Overall delay of 'at least x' hits",
         "Occurrence",
         true,
         {{"1 hits", {{1, 1}, {2, 3}}}, {"2 hits", {{1, 1}, {4, 1}}}, {"3 hits", {}}},
         TSeriesKind::Bar},
        // one success: a single gap-less series gets (1, 0)
        {3,
         1,
         "Delay to produce at least 3 hits (current delay 4) - Actual",
         "Draws passed",
         false,
         {{"Series", {{1, 0}}}},
         TSeriesKind::Line},
    };
    for (const Case& c : cases) {
        TTableView v = View(3);
        v.DelayCategory = c.category;
        v.DelayMode = c.mode;
        const TTablePage page = BuildTablePage(s, v, {});
        SCOPED_TRACE(c.xTitle);
        EXPECT_EQ(page.Delay.XTitle, c.xTitle);
        EXPECT_EQ(page.Delay.YTitle, c.yTitle);
        EXPECT_EQ(page.Delay.Legend, c.legend);
        ASSERT_EQ(page.Delay.Series.size(), c.series.size());
        for (size_t i = 0; i < c.series.size(); ++i) {
            EXPECT_EQ(page.Delay.Series[i].Title, c.series[i].first);
            EXPECT_EQ(page.Delay.Series[i].Kind, c.kind);
            EXPECT_EQ(page.Delay.Series[i].Points, c.series[i].second);
        }
    }

    // Actual delays with successes at 3 and 7 only: one gap, then (1, 0).
    s.hits = {0, 0, 2, 0, 0, 0, 2};
    TTableView v = View(3);
    v.DelayCategory = 2;
    v.DelayMode = 1;
    EXPECT_EQ(BuildTablePage(s, v, {}).Delay.Series[0].Points, (Points{{1, 4}, {1, 0}}));
    s.hits = {0, 1};
    EXPECT_EQ(BuildTablePage(s, v, {}).Delay.XTitle, "Delay to produce at least 2 hits (no delay info) - Actual");
    s.hits.clear();
    const TTablePage none = BuildTablePage(s, v, {});
    EXPECT_EQ(none.Delay.XTitle, "Delay to produce at least 2 hits");
    EXPECT_EQ(none.Success.Cell(0, 1), "0.00%");
    EXPECT_TRUE(none.Hits.Series[0].Points.empty());
}

TEST(TableStatistics, TableGoneShowsNothingButItsColumns)
{
    TFakeSource s;
    s.order = Order({});
    s.hits = {1, 2};
    for (int32_t id : {0, 8}) {
        TTableView v = View(4);
        v.CurrentJUX = id;
        const TTablePage page = BuildTablePage(s, v, {});
        EXPECT_FALSE(page.Exists);
        EXPECT_EQ(page.Success.ColCount, 5);
        EXPECT_EQ(page.Predict.ColCount, 0);
        EXPECT_TRUE(page.Hits.Series.empty());
        EXPECT_EQ(page.RequestedLabel, "4 numbers requested out of 49");
    }
    EXPECT_EQ(s.histograms, 0);
}

TEST(TableStatistics, DelayMenuAndLookAheadQuery)
{
    using E = TDelayMenuEntry;
    struct Case {
        int32_t categories, category;
        uint8_t mode;
        int32_t categoryAfter;
        std::vector<std::string> captions;
    } cases[] = {
        {1, 0, 0, 1, {"At Least 1 hit(s)", "-", "Switch to actual delays"}},
        {3, 0, 0, 0, {"At Least 1 hit(s)", "At Least 2 hit(s)", "At Least 3 hit(s)"}},
        {2, 2, 0, 2, {"At Least 1 hit(s)", "At Least 2 hit(s)", "Overall delay hits", "-", "Switch to actual delays"}},
        {2,
         1,
         1,
         1,
         {"At Least 1 hit(s)", "At Least 2 hit(s)", "Overall delay hits", "-", "Switch to summary of delays"}},
    };
    for (const Case& c : cases) {
        int32_t category = c.category;
        const std::vector<E> menu = BuildDelayMenu(c.categories, category, c.mode);
        EXPECT_EQ(category, c.categoryAfter);
        std::vector<std::string> captions;
        for (const E& e : menu)
            captions.push_back(e.Caption);
        EXPECT_EQ(captions, c.captions);
    }

    int32_t category = 2;
    uint8_t mode = 0;
    const std::vector<E> menu = BuildDelayMenu(3, category, mode);
    ApplyDelayMenuEntry(menu.back(), category, mode);
    EXPECT_EQ(mode, 1);
    ApplyDelayMenuEntry(menu.back(), category, mode);
    EXPECT_EQ(mode, 0);
    ApplyDelayMenuEntry(menu[2], category, mode);
    EXPECT_EQ(category, 3);
    ApplyDelayMenuEntry(menu[3], category, mode); // "Overall delay hits"
    EXPECT_EQ(category, 0);

    struct Query {
        const char* text;
        int32_t t;
        bool accepted;
    } queries[] = {{"9", 20, true},   {" 3 ", 20, true}, {"10", 20, false}, {"0", 20, false},
                   {"-2", 20, false}, {"x", 20, false},  {"1", 3, false},   {"", 20, false}};
    for (const Query& q : queries) {
        int32_t value = -1;
        EXPECT_EQ(AcceptLookAhead(q.text, q.t, value), q.accepted) << q.text;
    }
    // The message names exactly the values the rule accepts.
    for (const int32_t t : {4, 5, 20, 21, 100}) {
        const int32_t highest = t / 2 - 1;
        EXPECT_EQ(LookAheadRangeText(t), Format("The look ahead must be a whole number from 1 to %d (less than half "
                                                "of the %d tested draws).",
                                                highest, t));
        int32_t value = 0;
        EXPECT_TRUE(AcceptLookAhead(std::to_string(highest), t, value)) << t;
        EXPECT_FALSE(AcceptLookAhead(std::to_string(highest + 1), t, value)) << t;
    }
    for (const int32_t t : {0, 1, 2, 3}) {
        EXPECT_EQ(LookAheadRangeText(t), Format("No look ahead fits a run of %d tested draws.", t));
        int32_t value = 0;
        EXPECT_FALSE(AcceptLookAhead("1", t, value)) << t;
    }
}
