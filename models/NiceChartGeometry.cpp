// Geometry of the chart control.
#include "models/NiceChartGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "data/Types.h"

namespace {

constexpr int32_t kMargin = 20;
constexpr int32_t kMinEntryHeight = 20;
constexpr int32_t kLegendPadding = 10;
constexpr int32_t kLegendGap = 2;
constexpr int32_t kLegendExtra = 42;
constexpr int32_t kTickSpacing = 50;
// A step search that has not ended after this many widenings never will.
constexpr int kMaxStepTries = 100000;

// Pixel rounding that stays defined for values far outside any screen.
int32_t Px(double v)
{
    if (!std::isfinite(v))
        return 0;
    v = std::clamp(v, -1.0e9, 1.0e9);
    return int32_t(std::lround(v));
}

struct TAxisRange {
    double Lo = kNoAxisData;
    double Hi = kNoAxisData;
    bool Any = false;
    void Add(double v)
    {
        if (!std::isfinite(v))
            return;
        if (!Any) {
            Lo = Hi = v;
            Any = true;
        } else {
            Lo = std::min(Lo, v);
            Hi = std::max(Hi, v);
        }
    }
};

// Intervals a step search of n ticks covers the range with.
int32_t Intervals(int32_t n) { return n >= 3 ? n - 1 : 2; }

// Ticks from NiceSteps; a failed search keeps the ticks it made, none.
std::vector<double> TickValues(int32_t n, double lo, double hi, double& step, bool wholeNumbers)
{
    double start = 0;
    step = 0;
    std::vector<double> values;
    if (!NiceSteps(n, lo, hi, start, step, wholeNumbers))
        return values;
    for (int32_t k = 0; k < n; ++k)
        values.push_back(start + k * step);
    return values;
}

} // namespace

int32_t AxisTickCount(int32_t pixels, double lo, double hi, bool wholeNumbers)
{
    const int32_t n = std::max(pixels, 0) / kTickSpacing + 1;
    if (!wholeNumbers || !std::isfinite(lo) || !std::isfinite(hi) || std::fabs(hi - lo) > 1e6)
        return n;
    // Never fewer than 3: the axis spans two steps however few ticks it gets,
    // and its top deserves a label too.
    const int32_t span = int32_t(std::ceil(std::max(lo, hi)) - std::floor(std::min(lo, hi)));
    return std::max(std::min(n, span + 1), 3);
}

bool NiceSteps(int32_t n, double lo, double hi, double& start, double& step, bool wholeNumbers)
{
    if (!std::isfinite(lo) || !std::isfinite(hi) || n < 1)
        return false;
    if (lo > hi)
        std::swap(lo, hi);
    const int32_t e = Intervals(n);
    const double raw = std::fabs(hi - lo) / e;
    if (!std::isfinite(raw))
        return false;
    if (raw == 0) {
        step = 1;
        start = (wholeNumbers ? std::floor(lo) : lo) - n / 2;
        return true;
    }
    const double u = std::pow(10.0, std::floor(std::log10(raw)));
    // Whole-number steps widen by 1 where others would by a half or less.
    const double g = wholeNumbers ? std::max(u / 2, 1.0) : u / 2;
    if (!(g > 0) || !std::isfinite(g))
        return false;
    // The smallest multiple of g not below the raw step; the tolerance keeps
    // 1.75 / 0.5 from becoming 4.0000000001 multiples.
    double s = std::ceil(raw / g - 1e-9) * g;
    if (s <= 0)
        s = g;
    for (int tries = 0; tries < kMaxStepTries; ++tries) {
        double first = std::trunc(lo / s) * s;
        if (lo < first)
            first -= s;
        if (hi <= first + s * e + 1e-9 * s) {
            start = first;
            step = s;
            return true;
        }
        s += g;
    }
    return false;
}

std::string ChartLabel(double value, double scale)
{
    if (value == kNoAxisData)
        return "~";
    const double v = scale != 0 ? value / scale : value;
    char buffer[64];
    if (!std::isfinite(v) || std::fabs(v) >= 1e18) {
        std::snprintf(buffer, sizeof buffer, "%g", v);
        return buffer;
    }
    std::snprintf(buffer, sizeof buffer, "%.2f", v);
    std::string text = buffer;
    while (!text.empty() && text.back() == '0')
        text.pop_back();
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    if (text == "-0")
        text = "0";
    return text;
}

std::vector<std::string> TitleLines(const std::string& title)
{
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < title.size(); ++i) {
        const char c = title[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            // "\r\n" and "\n\r" are one line end
            if (i + 1 < title.size() && (title[i + 1] == '\r' || title[i + 1] == '\n') && title[i + 1] != c)
                ++i;
        } else {
            line += c;
        }
    }
    lines.push_back(line);
    return lines;
}

namespace {

// The title across the top, when shown; the plot starts below it.
void PlaceTitle(TChartLayout& layout, const TChartSettings& settings, const TChartTextMetrics& metrics)
{
    TChartRect& plot = layout.Plot;
    if (settings.ShowTitle && !settings.Title.empty()) {
        layout.HasTitle = true;
        const int32_t titleHeight = std::max(metrics.TitleHeight(settings.Title, plot.Width()), 0);
        layout.TitleRect = {plot.Left, plot.Top, plot.Right, plot.Top + titleHeight};
        plot.Top = layout.TitleRect.Bottom + 10;
    }
}

// The values both axes must show, and whether any series is drawn as bars.
struct TSeriesRanges {
    TAxisRange X;
    TAxisRange Y;
    bool AnyBar = false;
};

TSeriesRanges SeriesRanges(const std::vector<const TChartSeriesData*>& series)
{
    TSeriesRanges ranges;
    for (const TChartSeriesData* s : series) {
        ranges.AnyBar = ranges.AnyBar || s->Kind == TSeriesKind::Bar;
        for (const TChartPoint& p : s->Points) {
            ranges.Y.Add(p.Y);
            ranges.X.Add(p.X);
        }
    }
    // A bar's height is its value: an axis starting above 0 would show a
    // count of 1 as no bar at all.
    if (ranges.AnyBar && ranges.Y.Any)
        ranges.Y.Add(0);
    return ranges;
}

// How a value maps to a pixel along one axis: pixel = origin + (value - Start) * PerUnit.
struct TAxisScale {
    double Start = 0;
    double PerUnit = 0;
};

// The y axis ticks and labels, the zero line; the plot moves right of the
// widest label. Answers the scale the points are placed with.
TAxisScale PlaceYAxis(TChartLayout& layout, const TChartSettings& settings, const TAxisRange& yRange,
                      const TChartTextMetrics& metrics)
{
    TChartRect& plot = layout.Plot;
    const int32_t th = layout.TextHeight;
    const int32_t yTicks = AxisTickCount(plot.Height(), yRange.Lo, yRange.Hi, settings.AxisYWholeNumbers);
    const std::vector<double> yValues =
        TickValues(yTicks, yRange.Lo, yRange.Hi, layout.YStep, settings.AxisYWholeNumbers);
    TAxisScale scale;
    scale.Start = yValues.empty() ? 0 : yValues.front();
    scale.PerUnit = layout.YStep > 0 ? double(plot.Height()) / (Intervals(yTicks) * layout.YStep) : 0;
    int32_t widest = 0;
    layout.ZeroLine = plot.Bottom;
    for (size_t k = 0; k < yValues.size(); ++k) {
        TChartTick tick;
        tick.Value = yValues[k];
        tick.Pixel = plot.Bottom - Px(double(k) * layout.YStep * scale.PerUnit);
        tick.Label = ChartLabel(tick.Value, settings.AxisYScale);
        widest = std::max(widest, metrics.TextWidth(tick.Label));
        if (tick.Value == 0)
            layout.ZeroLine = tick.Pixel;
        layout.YTicks.push_back(std::move(tick));
    }
    plot.Left += th + widest + 14;
    return scale;
}

// The legend box at the top right, one entry per series, when shown; the
// plot and the title end left of it.
void PlaceLegend(TChartLayout& layout, const TChartSettings& settings,
                 const std::vector<const TChartSeriesData*>& series, const TChartTextMetrics& metrics)
{
    if (!settings.ShowLegend || series.empty())
        return;
    TChartRect& plot = layout.Plot;
    const int32_t th = layout.TextHeight;
    layout.HasLegend = true;
    int32_t boxWidth = 0;
    int32_t y = plot.Top + kLegendPadding;
    for (const TChartSeriesData* s : series) {
        TLegendEntry entry;
        entry.Lines = TitleLines(s->Title);
        for (const std::string& line : entry.Lines)
            boxWidth = std::max(boxWidth, metrics.TextWidth(line));
        const int32_t entryHeight = std::max(int32_t(entry.Lines.size()) * th, kMinEntryHeight);
        entry.Rect = {0, y, 0, y + entryHeight};
        y += entryHeight + kLegendGap;
        layout.Legend.push_back(std::move(entry));
    }
    boxWidth += kLegendExtra;
    const int32_t boxBottom = y - kLegendGap + kLegendPadding;
    layout.LegendRect = {plot.Right - boxWidth, plot.Top, plot.Right, boxBottom};
    for (TLegendEntry& entry : layout.Legend) {
        entry.Rect.Left = layout.LegendRect.Left;
        entry.Rect.Right = layout.LegendRect.Right;
    }
    plot.Right = layout.LegendRect.Left - 20;
    if (layout.HasTitle)
        layout.TitleRect.Right = plot.Right;
}

// The x axis ticks: one per distinct value (bars, or when asked for), set in
// the middle of a slot for bars and spread evenly otherwise; or a scale of
// round steps. `distinct` answers the values of a one-per-value axis.
TAxisScale PlaceXAxis(TChartLayout& layout, const TChartSettings& settings,
                      const std::vector<const TChartSeriesData*>& series, const TSeriesRanges& ranges,
                      std::vector<double>& distinct)
{
    const TChartRect& plot = layout.Plot;
    TAxisScale scale;
    layout.OnePerValue = ranges.AnyBar || settings.AxisXOnePerValue;
    if (layout.OnePerValue) {
        for (const TChartSeriesData* s : series)
            for (const TChartPoint& p : s->Points)
                if (std::isfinite(p.X))
                    distinct.push_back(p.X);
        std::sort(distinct.begin(), distinct.end());
        distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
        const size_t m = distinct.size();
        if (m > 0) {
            if (ranges.AnyBar)
                layout.SlotWidth = double(plot.Width()) / double(m);
            for (size_t k = 0; k < m; ++k) {
                TChartTick tick;
                tick.Value = distinct[k];
                if (ranges.AnyBar)
                    tick.Pixel = plot.Left + Px(double(k) * layout.SlotWidth) + Px(layout.SlotWidth / 2);
                else
                    tick.Pixel = plot.Left + (m > 1 ? Px(double(k) * plot.Width() / double(m - 1)) : 0);
                tick.Label = ChartLabel(tick.Value, settings.AxisXScale);
                layout.XTicks.push_back(std::move(tick));
            }
        }
    } else {
        const TAxisRange& xRange = ranges.X;
        const int32_t xTicks = AxisTickCount(plot.Width(), xRange.Lo, xRange.Hi, settings.AxisXWholeNumbers);
        const std::vector<double> xValues =
            TickValues(xTicks, xRange.Lo, xRange.Hi, layout.XStep, settings.AxisXWholeNumbers);
        scale.PerUnit = layout.XStep > 0 ? double(plot.Width()) / (Intervals(xTicks) * layout.XStep) : 0;
        for (size_t k = 0; k < xValues.size(); ++k) {
            TChartTick tick;
            tick.Value = xValues[k];
            tick.Pixel = plot.Left + Px(double(k) * layout.XStep * scale.PerUnit);
            tick.Label = ChartLabel(tick.Value, settings.AxisXScale);
            layout.XTicks.push_back(std::move(tick));
        }
    }
    scale.Start = layout.XTicks.empty() ? 0 : layout.XTicks.front().Value;
    return scale;
}

// Every point's pixel and the rectangle painted for it: a bar from the zero
// line, side by side with the other bar series in its slot, or a marker.
void PlacePoints(TChartLayout& layout, const std::vector<const TChartSeriesData*>& series,
                 const std::vector<double>& distinct, const TAxisScale& x, const TAxisScale& y)
{
    const TChartRect& plot = layout.Plot;
    int32_t barCount = 0;
    for (const TChartSeriesData* s : series)
        barCount += s->Kind == TSeriesKind::Bar;
    const int32_t slot = Px(layout.SlotWidth);
    const int32_t q = Px(double(slot) / double(barCount + 1));
    const int32_t barWidth = Px(0.8 * q);
    const int32_t r = layout.MarkerRadius;
    int32_t barIndex = 0;
    for (const TChartSeriesData* s : series) {
        std::vector<TPointPixels> pixels;
        pixels.reserve(s->Points.size());
        for (const TChartPoint& p : s->Points) {
            TPointPixels px;
            if (layout.OnePerValue) {
                const auto it = std::lower_bound(distinct.begin(), distinct.end(), p.X);
                if (it != distinct.end() && *it == p.X)
                    px.X = layout.XTicks[size_t(it - distinct.begin())].Pixel;
                else
                    px.X = plot.Left;
            } else {
                px.X = plot.Left + Px((p.X - x.Start) * x.PerUnit);
            }
            px.Y = plot.Bottom - Px((p.Y - y.Start) * y.PerUnit);
            if (s->Kind == TSeriesKind::Bar) {
                const int32_t left = px.X + Px(q / 2.0 - slot / 2.0 + barIndex * q + 0.1 * q);
                px.Rect = {left, std::min(px.Y, layout.ZeroLine), left + barWidth, std::max(px.Y, layout.ZeroLine)};
            } else {
                px.Rect = {px.X - r, px.Y - r, px.X + r, px.Y + r};
            }
            pixels.push_back(px);
        }
        if (s->Kind == TSeriesKind::Bar)
            ++barIndex;
        layout.Points.push_back(std::move(pixels));
    }
}

} // namespace

// The steps run in this order because each takes room from the plot that the
// next one measures: the title and the x-axis labels from its height, the
// y-axis labels and the legend from its width; the x ticks and the points
// then spread over what is left.
TChartLayout ComputeChartLayout(const TChartSettings& settings, const std::vector<const TChartSeriesData*>& series,
                                int32_t width, int32_t height, const TChartTextMetrics& metrics)
{
    TChartLayout layout;
    layout.Width = width;
    layout.Height = height;
    const int32_t th = std::max(metrics.TextHeight(), 0);
    layout.TextHeight = th;
    layout.Plot = {kMargin, kMargin, width - kMargin, height - kMargin};
    layout.MarkerRadius = std::max(Px(0.004 * width), 1);
    PlaceTitle(layout, settings, metrics);
    layout.Plot.Bottom -= 2 * th + 14; // the x-axis labels and title
    const TSeriesRanges ranges = SeriesRanges(series);
    const TAxisScale y = PlaceYAxis(layout, settings, ranges.Y, metrics);
    PlaceLegend(layout, settings, series, metrics);
    std::vector<double> distinct;
    const TAxisScale x = PlaceXAxis(layout, settings, series, ranges, distinct);
    PlacePoints(layout, series, distinct, x, y);
    return layout;
}

uint32_t SeriesColor(int32_t p, bool monochrome)
{
    static constexpr uint32_t kPalette[14][3] = {
        {255, 0, 0},   {0, 0, 255},   {0, 128, 0},   {255, 0, 255},   {0, 0, 128}, {128, 0, 0},   {0, 0, 0},
        {128, 128, 0}, {128, 0, 128}, {0, 128, 128}, {128, 128, 128}, {0, 255, 0}, {255, 255, 0}, {0, 255, 255}};
    if (monochrome)
        return 0;
    const auto& c = kPalette[size_t(std::abs(p) % 14)];
    return c[0] | (c[1] << 8) | (c[2] << 16);
}

TMarkerShape SeriesMarker(int32_t p) { return TMarkerShape(std::abs(p) % 5); }

// ---- TBSpline ----

namespace {

[[noreturn]] void OutOfBounds(const char* method, int32_t index)
{
    throw Exception(Format("List index out of bounds in TBSpline.%s. (%d).", method, index));
}

// Fewer points leave nothing to solve; more would make the solve the cost
// of a repaint.
constexpr size_t kMinSolvePoints = 3;
constexpr size_t kMaxSolvePoints = 250;

} // namespace

void TBSpline::Clear()
{
    points_.clear();
    vertices_.clear();
}

void TBSpline::AddPoint(double x, double y) { points_.push_back({x, y}); }

TBSpline::TPointF TBSpline::Point(int32_t index) const
{
    if (index < 0 || size_t(index) >= points_.size())
        OutOfBounds("FGetPoint", index);
    return points_[size_t(index)];
}

void TBSpline::SetPoint(int32_t index, double x, double y)
{
    if (index < 0 || size_t(index) >= points_.size())
        OutOfBounds("FSetPoint", index);
    points_[size_t(index)] = {x, y};
}

TBSpline::TPointF TBSpline::Vertex(int32_t index) const
{
    if (index < 0 || size_t(index) >= vertices_.size())
        OutOfBounds("FGetVertex", index);
    return vertices_[size_t(index)];
}

void TBSpline::Solve()
{
    // Uniform cubic B-spline through every point: (D[i-1] + 4 D[i] + D[i+1]) / 6
    // = P[i] inside, with the end vertices on the end points; a tridiagonal
    // system solved by the Thomas algorithm.
    const size_t n = points_.size();
    vertices_.assign(n, {});
    vertices_.front() = points_.front();
    vertices_.back() = points_.back();
    if (n < 3)
        return;
    const size_t m = n - 2;
    std::vector<double> c(m), dx(m), dy(m);
    for (size_t i = 0; i < m; ++i) {
        dx[i] = 6 * points_[i + 1].X;
        dy[i] = 6 * points_[i + 1].Y;
    }
    dx.front() -= points_.front().X;
    dy.front() -= points_.front().Y;
    dx.back() -= points_.back().X;
    dy.back() -= points_.back().Y;
    double b = 4;
    c[0] = 1 / b;
    dx[0] /= b;
    dy[0] /= b;
    for (size_t i = 1; i < m; ++i) {
        b = 4 - c[i - 1];
        c[i] = 1 / b;
        dx[i] = (dx[i] - dx[i - 1]) / b;
        dy[i] = (dy[i] - dy[i - 1]) / b;
    }
    for (size_t i = m - 1; i-- > 0;) {
        dx[i] -= c[i] * dx[i + 1];
        dy[i] -= c[i] * dy[i + 1];
    }
    for (size_t i = 0; i < m; ++i)
        vertices_[i + 1] = {dx[i], dy[i]};
}

std::vector<TBSpline::TPointF> TBSpline::Curve()
{
    const size_t n = points_.size();
    if (!Interpolated || n < kMinSolvePoints || n >= kMaxSolvePoints) {
        vertices_ = points_;
        return points_;
    }
    Solve();
    // The curve runs through P[0] .. P[n-1]: segment i between D[i] and
    // D[i+1], with the ends mirrored so that it starts and ends on the points.
    std::vector<TPointF> d;
    d.reserve(n + 2);
    d.push_back({2 * vertices_[0].X - vertices_[1].X, 2 * vertices_[0].Y - vertices_[1].Y});
    d.insert(d.end(), vertices_.begin(), vertices_.end());
    d.push_back({2 * vertices_[n - 1].X - vertices_[n - 2].X, 2 * vertices_[n - 1].Y - vertices_[n - 2].Y});
    const int32_t total = std::clamp(int32_t(n) * std::max(SegmentsPerPoint, 1), 1, std::max(MaxSegments, 1));
    const size_t segments = n - 1;
    std::vector<TPointF> curve;
    curve.reserve(size_t(total) + 1);
    for (int32_t step = 0; step <= total; ++step) {
        const double u = double(step) / total * double(segments);
        size_t i = std::min(size_t(u), segments - 1);
        const double t = u - double(i);
        const double t2 = t * t;
        const double t3 = t2 * t;
        const double b0 = (1 - t) * (1 - t) * (1 - t) / 6;
        const double b1 = (3 * t3 - 6 * t2 + 4) / 6;
        const double b2 = (-3 * t3 + 3 * t2 + 3 * t + 1) / 6;
        const double b3 = t3 / 6;
        const TPointF& p0 = d[i];
        const TPointF& p1 = d[i + 1];
        const TPointF& p2 = d[i + 2];
        const TPointF& p3 = d[i + 3];
        curve.push_back({b0 * p0.X + b1 * p1.X + b2 * p2.X + b3 * p3.X, b0 * p0.Y + b1 * p1.Y + b2 * p2.Y + b3 * p3.Y});
    }
    return curve;
}
