// Geometry of the chart control, without a window.
#include <gtest/gtest.h>

#include <cmath>

#include "data/Types.h"
#include "models/NiceChartGeometry.h"

namespace {

// Every character 6 pixels wide; lines `lineHeight` tall.
class TFixedMetrics : public TChartTextMetrics {
public:
    explicit TFixedMetrics(int32_t lineHeight = 10) : height_(lineHeight) {}
    int32_t TextHeight() const override { return height_; }
    int32_t TextWidth(const std::string& line) const override { return int32_t(line.size()) * 6; }
    int32_t TitleHeight(const std::string& title, int32_t) const override
    {
        return int32_t(TitleLines(title).size()) * 16;
    }

private:
    int32_t height_;
};

TChartSettings Plain()
{
    TChartSettings s;
    s.ShowLegend = false;
    s.ShowTitle = false;
    return s;
}

TChartSeriesData Series(TSeriesKind kind, std::vector<std::pair<double, double>> xy, std::string title = "Series")
{
    TChartSeriesData s;
    s.Kind = kind;
    s.Title = std::move(title);
    for (auto [x, y] : xy)
        s.Points.push_back({x, y, {}});
    return s;
}

} // namespace

TEST(NiceChartGeometry, NiceStepsFollowTheSearch)
{
    struct Case {
        int32_t n;
        double lo, hi;
        double start, step;
    } cases[] = {
        {5, 0, 7, 0, 2}, // 0, 2, 4, 6, 8
        {5, 3, 3, 1, 1}, // all equal: step 1, start lo - n div 2
        {4, 3, 3, 1, 1},
        {11, 0, 100, 0, 10},
        {5, -7, 0, -8, 2},          // lowered by a step when lo lies below the truncation
        {5, 0.1, 0.137, 0.1, 0.01}, // widened by half a unit until the range fits
        {2, 0, 10, 0, 5},           // fewer than 3 ticks still make 2 intervals
    };
    for (const Case& c : cases) {
        double start = -99, step = -99;
        ASSERT_TRUE(NiceSteps(c.n, c.lo, c.hi, start, step)) << c.n << " " << c.lo << " " << c.hi;
        EXPECT_NEAR(start, c.start, 1e-9) << c.lo << " .. " << c.hi;
        EXPECT_NEAR(step, c.step, 1e-9) << c.lo << " .. " << c.hi;
    }
    double start = 0, step = 0;
    EXPECT_FALSE(NiceSteps(5, 0, NAN, start, step));
    EXPECT_FALSE(NiceSteps(5, -1e308, 1e308, start, step)); // the range overflows
}

// Axes of counts tick on whole numbers only, and a short range gets as few
// ticks as it has whole numbers, so that its values still fill the axis.
TEST(NiceChartGeometry, WholeNumberAxesNeverTickBetweenCounts)
{
    struct Case {
        int32_t n;
        double lo, hi;
        double start, step;
    } cases[] = {
        {5, 0, 7, 0, 2},                          // already whole
        {5, 0, 3, 0, 1},                          // plain steps would be 0.5 and 1.5 draws
        {5, 0.4, 2.6, 0, 1},                      // fractional data (an average line), whole ticks
        {5, 3, 3, 1, 1},     {5, 2.5, 2.5, 0, 1}, // all equal and fractional: a whole start
        {11, 1, 100, 0, 10}, {3, 0, 1, 0, 1},
    };
    for (const Case& c : cases) {
        double start = -99, step = -99;
        ASSERT_TRUE(NiceSteps(c.n, c.lo, c.hi, start, step, true)) << c.n << " " << c.lo << " " << c.hi;
        EXPECT_DOUBLE_EQ(start, c.start) << c.n << " " << c.lo << " " << c.hi;
        EXPECT_DOUBLE_EQ(step, c.step) << c.n << " " << c.lo << " " << c.hi;
    }
    double start = 0, step = 0;
    ASSERT_TRUE(NiceSteps(5, 0, 3, start, step));
    EXPECT_DOUBLE_EQ(step, 0.75); // without the rule: 0.75, 1.5 and 2.25 draws

    EXPECT_EQ(AxisTickCount(400, 0, 100, false), 9);
    EXPECT_EQ(AxisTickCount(400, 0, 100, true), 9);
    EXPECT_EQ(AxisTickCount(400, 0, 3, true), 4);
    EXPECT_EQ(AxisTickCount(400, 0, 3, false), 9);
    EXPECT_EQ(AxisTickCount(400, 1, 1, true), 3);
    EXPECT_EQ(AxisTickCount(40, 0, 3, true), 3); // two steps are drawn anyway: the top is labelled
    EXPECT_EQ(AxisTickCount(40, 0, 3, false), 1);

    TFixedMetrics metrics;
    TChartSettings s = Plain();
    s.AxisXWholeNumbers = s.AxisYWholeNumbers = true;
    const TChartSeriesData hits = Series(TSeriesKind::Line, {{1, 0}, {2, 3}, {3, 1}, {4, 2}});
    const TChartSeriesData average = Series(TSeriesKind::Line, {{1, 1.5}, {2, 2.25}});
    for (const bool whole : {true, false}) {
        TChartSettings settings = whole ? s : Plain();
        const TChartLayout l = ComputeChartLayout(settings, {&hits, &average}, 522, 594, metrics);
        bool between = false;
        for (const std::vector<TChartTick>* ticks : {&l.XTicks, &l.YTicks})
            for (const TChartTick& t : *ticks)
                between = between || t.Value != std::floor(t.Value);
        EXPECT_EQ(between, !whole);
        if (whole) {
            // The highest count is the top tick, not a third of the way up.
            EXPECT_EQ(l.YTicks.back().Value, 3);
            EXPECT_EQ(l.Points[0][1].Y, l.Plot.Top);
        }
    }
}

// Bars rise from 0 whatever their lowest count: a delay that happened once
// has a bar as tall as one count.
TEST(NiceChartGeometry, BarsRiseFromZero)
{
    TFixedMetrics metrics;
    TChartSettings s = Plain();
    s.AxisYWholeNumbers = true;
    const TChartSeriesData delays = Series(TSeriesKind::Bar, {{1, 3}, {2, 1}, {4, 1}, {7, 2}});
    const TChartLayout l = ComputeChartLayout(s, {&delays}, 522, 294, metrics);
    ASSERT_FALSE(l.YTicks.empty());
    EXPECT_EQ(l.YTicks.front().Value, 0);
    EXPECT_EQ(l.ZeroLine, l.Plot.Bottom);
    for (const TPointPixels& p : l.Points[0]) {
        EXPECT_EQ(p.Rect.Bottom, l.ZeroLine);
        EXPECT_GT(p.Rect.Height(), 0);
    }
    EXPECT_EQ(l.Points[0][1].Rect.Height(), l.Points[0][2].Rect.Height());
    EXPECT_NEAR(l.Points[0][0].Rect.Height(), 3 * l.Points[0][1].Rect.Height(), 1);

    // Lines keep their own range; an empty chart still marks an axis without data.
    const TChartSeriesData line = Series(TSeriesKind::Line, {{1, 3}, {2, 5}});
    EXPECT_GT(ComputeChartLayout(s, {&line}, 522, 294, metrics).YTicks.front().Value, 0);
    const TChartSeriesData none = Series(TSeriesKind::Bar, {});
    const TChartLayout empty = ComputeChartLayout(s, {&none}, 522, 294, metrics);
    ASSERT_FALSE(empty.YTicks.empty());
    EXPECT_EQ(empty.YTicks.front().Label, "~");
}

TEST(NiceChartGeometry, LabelsAndTitleLines)
{
    EXPECT_EQ(ChartLabel(2.5, 1), "2.5");
    EXPECT_EQ(ChartLabel(3, 1), "3");
    EXPECT_EQ(ChartLabel(1.234, 1), "1.23");
    EXPECT_EQ(ChartLabel(25, 10), "2.5");
    EXPECT_EQ(ChartLabel(-0.001, 1), "0");
    EXPECT_EQ(ChartLabel(kNoAxisData, 1), "~");
    EXPECT_EQ(TitleLines("one\r\ntwo"), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(TitleLines("one\n\rtwo\nthree"), (std::vector<std::string>{"one", "two", "three"}));
}

TEST(NiceChartGeometry, AxesOfTheDisplaysChart)
{
    TFixedMetrics metrics;
    // 294 high: plot 220 pixels tall, so 5 Y ticks.
    const TChartSeriesData line = Series(TSeriesKind::Line, {{1, 0}, {2, 7}, {3, 4}});
    TChartLayout l = ComputeChartLayout(Plain(), {&line}, 522, 294, metrics);
    EXPECT_EQ(l.MarkerRadius, 2);
    ASSERT_EQ(l.YTicks.size(), 5u);
    EXPECT_DOUBLE_EQ(l.YStep, 2);
    for (size_t k = 0; k < 5; ++k)
        EXPECT_DOUBLE_EQ(l.YTicks[k].Value, 2.0 * k);
    EXPECT_EQ(l.YTicks.front().Pixel, l.Plot.Bottom);
    EXPECT_EQ(l.YTicks.back().Pixel, l.Plot.Top);
    EXPECT_EQ(l.ZeroLine, l.Plot.Bottom);
    EXPECT_EQ(int32_t(l.XTicks.size()), l.Plot.Width() / 50 + 1);
    // The Y labels are one digit wide: left = 20 + text height + 6 + 14.
    EXPECT_EQ(l.Plot.Left, 50);
    EXPECT_EQ(l.Plot.Right, 502);
    // Points land on their values.
    ASSERT_EQ(l.Points.size(), 1u);
    EXPECT_EQ(l.Points[0][1].Y, l.Plot.Bottom - int32_t(std::lround(7 * 220.0 / 8)));
    EXPECT_EQ(l.Points[0][0].X,
              l.XTicks[0].Pixel +
                  int32_t(std::lround((1 - l.XTicks[0].Value) * (l.XTicks[1].Pixel - l.XTicks[0].Pixel) / l.XStep)));
    EXPECT_EQ(l.Points[0][0].Rect,
              (TChartRect{l.Points[0][0].X - 2, l.Points[0][0].Y - 2, l.Points[0][0].X + 2, l.Points[0][0].Y + 2}));

    const TChartSeriesData flat = Series(TSeriesKind::Line, {{1, 3}, {2, 3}});
    l = ComputeChartLayout(Plain(), {&flat}, 522, 294, metrics);
    ASSERT_EQ(l.YTicks.size(), 5u);
    EXPECT_DOUBLE_EQ(l.YStep, 1);
    EXPECT_DOUBLE_EQ(l.YTicks.front().Value, 1);

    TChartSettings small = Plain();
    EXPECT_EQ(ComputeChartLayout(small, {&flat}, 100, 100, metrics).MarkerRadius, 1);
}

TEST(NiceChartGeometry, BarsShareTheirSlots)
{
    TFixedMetrics metrics;
    const TChartSeriesData a = Series(TSeriesKind::Bar, {{1, 0}, {2, 2}, {3, 5}, {4, 8}});
    const TChartSeriesData b = Series(TSeriesKind::Bar, {{1, 8}, {2, 6}, {3, 1}, {4, 3}});
    // Plot from 50 (one-digit labels) to 450: 400 pixels.
    const TChartLayout l = ComputeChartLayout(Plain(), {&a, &b}, 470, 294, metrics);
    ASSERT_EQ(l.Plot.Width(), 400);
    EXPECT_TRUE(l.OnePerValue);
    EXPECT_DOUBLE_EQ(l.SlotWidth, 100);
    ASSERT_EQ(l.XTicks.size(), 4u);
    for (size_t k = 0; k < 4; ++k)
        EXPECT_EQ(l.XTicks[k].Pixel, 50 + int32_t(k) * 100 + 50);
    ASSERT_EQ(l.Points.size(), 2u);
    for (size_t s = 0; s < 2; ++s)
        for (size_t k = 0; k < 4; ++k) {
            const TChartRect& bar = l.Points[s][k].Rect;
            EXPECT_EQ(bar.Width(), 26);
            EXPECT_EQ(bar.Bottom, l.ZeroLine);
            EXPECT_EQ(bar.Top, l.Points[s][k].Y);
            // q = 33: series j starts at x + round(16.5 - 50 + 33 j + 3.3)
            EXPECT_EQ(bar.Left, l.XTicks[k].Pixel + (s == 0 ? -30 : 3));
            EXPECT_GE(bar.Left, 50 + int32_t(k) * 100);
            EXPECT_LE(bar.Right, 50 + int32_t(k + 1) * 100);
        }

    // Negative bars hang from the zero tick.
    const TChartSeriesData mixed = Series(TSeriesKind::Bar, {{1, -4}, {2, 4}});
    const TChartLayout m = ComputeChartLayout(Plain(), {&mixed}, 470, 294, metrics);
    bool zeroTick = false;
    for (const TChartTick& t : m.YTicks)
        zeroTick = zeroTick || (t.Value == 0 && t.Pixel == m.ZeroLine);
    EXPECT_TRUE(zeroTick);
    EXPECT_EQ(m.Points[0][0].Rect.Top, m.ZeroLine);
    EXPECT_EQ(m.Points[0][0].Rect.Bottom, m.Points[0][0].Y);
    EXPECT_EQ(m.Points[0][1].Rect.Bottom, m.ZeroLine);
}

TEST(NiceChartGeometry, OnePerValueWithoutBarsSpreadsTheValues)
{
    TFixedMetrics metrics;
    TChartSettings s = Plain();
    s.AxisXOnePerValue = true;
    const TChartSeriesData a = Series(TSeriesKind::Line, {{10, 1}, {30, 2}});
    const TChartSeriesData b = Series(TSeriesKind::Line, {{20, 1}, {30, 3}});
    const TChartLayout l = ComputeChartLayout(s, {&a, &b}, 470, 294, metrics);
    ASSERT_EQ(l.XTicks.size(), 3u);
    EXPECT_EQ(l.XTicks[0].Pixel, l.Plot.Left);
    EXPECT_EQ(l.XTicks[1].Pixel, l.Plot.Left + int32_t(std::lround(l.Plot.Width() / 2.0)));
    EXPECT_EQ(l.XTicks[2].Pixel, l.Plot.Right);
    EXPECT_EQ(l.Points[1][0].X, l.XTicks[1].Pixel);
    EXPECT_EQ(l.Points[0][1].X, l.Points[1][1].X);
}

TEST(NiceChartGeometry, TitleAndLegendTakeTheirRoom)
{
    TFixedMetrics metrics(14);
    TChartSettings s;
    s.Title = "Hits\nper draw";
    const TChartSeriesData one = Series(TSeriesKind::Bar, {{1, 1}}, "1 hits");
    const TChartSeriesData two = Series(TSeriesKind::Line, {{1, 2}}, "first line\r\nsecond");
    const TChartLayout l = ComputeChartLayout(s, {&one, &two}, 522, 400, metrics);
    ASSERT_TRUE(l.HasTitle);
    EXPECT_EQ(l.TitleRect.Height(), 32);
    EXPECT_EQ(l.Plot.Top, l.TitleRect.Bottom + 10);
    ASSERT_TRUE(l.HasLegend);
    ASSERT_EQ(l.Legend.size(), 2u);
    EXPECT_EQ(l.Legend[0].Rect.Height(), 20); // one 14-pixel line, raised to 20
    EXPECT_EQ(l.Legend[1].Rect.Height(), 28); // two lines
    EXPECT_EQ(l.Legend[1].Lines, (std::vector<std::string>{"first line", "second"}));
    EXPECT_EQ(l.Legend[1].Rect.Top, l.Legend[0].Rect.Bottom + 2);
    EXPECT_EQ(l.LegendRect.Top + 10, l.Legend[0].Rect.Top);
    EXPECT_EQ(l.LegendRect.Bottom, l.Legend[1].Rect.Bottom + 10);
    EXPECT_EQ(l.LegendRect.Width(), 10 * 6 + 42);
    EXPECT_EQ(l.LegendRect.Right, 522 - 20);
    EXPECT_EQ(l.Plot.Right, l.LegendRect.Left - 20);
    EXPECT_EQ(l.TitleRect.Right, l.Plot.Right);

    // Without series there is no legend; an axis without data reads "~".
    const TChartLayout empty = ComputeChartLayout(s, {}, 522, 400, metrics);
    EXPECT_FALSE(empty.HasLegend);
    ASSERT_FALSE(empty.YTicks.empty());
    EXPECT_EQ(empty.YTicks.front().Label, "~");
}

TEST(NiceChartGeometry, DegenerateSizesStillLayOut)
{
    TFixedMetrics metrics;
    const TChartSeriesData huge = Series(TSeriesKind::Line, {{0, -1e300}, {1, 1e300}, {2, NAN}});
    for (auto [w, h] : {std::pair{0, 0}, {10, 10}, {-5, 30}, {5000, 3000}}) {
        const TChartLayout l = ComputeChartLayout(TChartSettings{}, {&huge}, w, h, metrics);
        EXPECT_EQ(l.Points.size(), 1u);
        EXPECT_EQ(l.Points[0].size(), 3u);
    }
}

TEST(NiceChartGeometry, SeriesAppearanceCycles)
{
    EXPECT_EQ(SeriesColor(0, false), 0x0000FFu); // red
    EXPECT_EQ(SeriesColor(1, false), 0xFF0000u); // blue
    EXPECT_EQ(SeriesColor(14, false), SeriesColor(0, false));
    EXPECT_EQ(SeriesColor(3, true), 0u);
    EXPECT_EQ(SeriesMarker(0), TMarkerShape::Square);
    EXPECT_EQ(SeriesMarker(4), TMarkerShape::Diamond);
    EXPECT_EQ(SeriesMarker(6), TMarkerShape::Circle);
}

TEST(BSpline, InterpolatesItsPoints)
{
    TBSpline spline;
    const double xs[] = {0, 10, 20, 30, 40};
    const double ys[] = {5, 25, 0, 40, 10};
    for (size_t i = 0; i < 5; ++i)
        spline.AddPoint(xs[i], ys[i]);
    spline.SegmentsPerPoint = 20;
    const std::vector<TBSpline::TPointF> curve = spline.Curve();
    ASSERT_EQ(curve.size(), 101u); // 5 x 20 segments
    // Every 25th sample is a point: 4 spans of 25 samples.
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_NEAR(curve[i * 25].X, xs[i], 1e-9) << i;
        EXPECT_NEAR(curve[i * 25].Y, ys[i], 1e-9) << i;
    }
    EXPECT_EQ(spline.VertexCount(), 5);

    spline.MaxSegments = 30;
    EXPECT_EQ(spline.Curve().size(), 31u);

    TBSpline two;
    two.AddPoint(1, 1);
    two.AddPoint(2, 2);
    EXPECT_EQ(two.Curve().size(), 2u); // too few to solve: the points themselves

    try {
        spline.Point(5);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds in TBSpline.FGetPoint. (5).");
    }
    EXPECT_THROW(spline.SetPoint(-1, 0, 0), Exception);
    EXPECT_THROW(spline.Vertex(9), Exception);
}

TEST(NiceChartGeometry, ShortPlotsKeepTheirPointsInside)
{
    // Plots under 100 pixels make fewer than 3 ticks; the step still covers
    // two intervals, and so must the pixels.
    TFixedMetrics metrics;
    const TChartSeriesData line = Series(TSeriesKind::Line, {{0, 0}, {35, 7}});
    for (auto [w, h] : {std::pair{120, 150}, {110, 100}, {200, 140}}) {
        const TChartLayout l = ComputeChartLayout(Plain(), {&line}, w, h, metrics);
        ASSERT_EQ(l.Points.size(), 1u);
        for (const TPointPixels& p : l.Points[0]) {
            EXPECT_GE(p.Y, l.Plot.Top) << w << "x" << h;
            EXPECT_LE(p.Y, l.Plot.Bottom) << w << "x" << h;
            EXPECT_GE(p.X, l.Plot.Left) << w << "x" << h;
            EXPECT_LE(p.X, l.Plot.Right) << w << "x" << h;
        }
    }
}
