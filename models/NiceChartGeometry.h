// Where everything of a chart goes, worked out without a window from the
// client size and the text metrics of the fonts: plot rectangle, title and
// legend boxes, the "nice" ticks of both axes, and every point's pixel,
// marker and bar rectangle. The Qt chart paints exactly what this says.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class TSeriesKind : int32_t { Line = 0, Smooth = 1, Bar = 2 };

// Inclusive-exclusive pixel rectangle, like the widget toolkit's.
struct TChartRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    bool operator==(const TChartRect&) const = default;
};

struct TChartPoint {
    double X = 0;
    double Y = 0;
    std::string Hint;
};

struct TChartSeriesData {
    std::string Title = "Series";
    TSeriesKind Kind = TSeriesKind::Line;
    std::vector<TChartPoint> Points;
};

struct TChartSettings {
    bool ShowLegend = true;
    bool ShowTitle = true;
    bool ShowXGrid = true;
    bool ShowYGrid = true;
    std::string Title = "Chart Title";
    std::string AxisXTitle = "X Axis";
    std::string AxisYTitle = "Y Axis";
    bool AxisXOnePerValue = false;
    double AxisXScale = 1.0;
    double AxisYScale = 1.0;
    bool Monochrome = false;
    // Axes of counts: ticks on whole numbers only ("3.5 draws" says nothing).
    bool AxisXWholeNumbers = false;
    bool AxisYWholeNumbers = false;
};

// Text measurement of the fonts the chart paints with.
class TChartTextMetrics {
public:
    virtual ~TChartTextMetrics() = default;
    // Line height of the axis font.
    virtual int32_t TextHeight() const = 0;
    // Width of one line in the axis font.
    virtual int32_t TextWidth(const std::string& line) const = 0;
    // Height of the title word-wrapped to `width` in the title font.
    virtual int32_t TitleHeight(const std::string& title, int32_t width) const = 0;
};

// The marker of an axis without data; its label reads "~".
constexpr double kNoAxisData = 1.7e308;

struct TChartTick {
    double Value = 0;
    int32_t Pixel = 0; // x on the X axis, y on the Y axis
    std::string Label;
};

struct TLegendEntry {
    TChartRect Rect;
    std::vector<std::string> Lines;
};

struct TPointPixels {
    int32_t X = 0;
    int32_t Y = 0;
    TChartRect Rect; // marker, or bar
};

struct TChartLayout {
    int32_t Width = 0;
    int32_t Height = 0;
    TChartRect Plot;
    bool HasTitle = false;
    TChartRect TitleRect;
    bool HasLegend = false;
    TChartRect LegendRect;
    std::vector<TLegendEntry> Legend;
    int32_t MarkerRadius = 1;
    int32_t TextHeight = 0;
    std::vector<TChartTick> XTicks;
    std::vector<TChartTick> YTicks;
    double XStep = 0;
    double YStep = 0;
    bool OnePerValue = false;
    double SlotWidth = 0;                          // bar slots on a one-per-value axis
    int32_t ZeroLine = 0;                          // y of the bars' base
    std::vector<std::vector<TPointPixels>> Points; // per series, per point
};

// "Nice" ticks: n ticks over [lo, hi]; false when the range defeats the
// search (start and step keep what was found). With `wholeNumbers` every
// tick is a whole number.
bool NiceSteps(int32_t n, double lo, double hi, double& start, double& step, bool wholeNumbers = false);
// The ticks an axis of `pixels` gets over [lo, hi]: one per 50 pixels; for
// whole numbers no more than the range has whole numbers, so that a small
// count still fills the axis, and at least 3.
int32_t AxisTickCount(int32_t pixels, double lo, double hi, bool wholeNumbers);

// Tick label: value / scale as "0.##", "~" for the no-data marker.
std::string ChartLabel(double value, double scale);

// Lines of a title, split at line ends.
std::vector<std::string> TitleLines(const std::string& title);

// Bars rise from 0: with a bar series the Y axis always takes in 0.
TChartLayout ComputeChartLayout(const TChartSettings& settings, const std::vector<const TChartSeriesData*>& series,
                                int32_t width, int32_t height, const TChartTextMetrics& metrics);

// Colour of the series at position p (0x00BBGGRR), and its marker shape.
uint32_t SeriesColor(int32_t p, bool monochrome);
enum class TMarkerShape { Square, Circle, TriangleUp, TriangleDown, Diamond };
TMarkerShape SeriesMarker(int32_t p);

// Interpolating cubic B-spline through a list of points: the control
// vertices are solved from the points, and the curve is sampled with a fixed
// count of segments per point.
class TBSpline {
public:
    struct TPointF {
        double X = 0;
        double Y = 0;
    };
    void Clear();
    void AddPoint(double x, double y);
    int32_t PointCount() const { return int32_t(points_.size()); }
    TPointF Point(int32_t index) const;               // 0-based; raises when outside
    void SetPoint(int32_t index, double x, double y); // raises when outside
    int32_t VertexCount() const { return int32_t(vertices_.size()); }
    TPointF Vertex(int32_t index) const; // raises when outside
    bool Interpolated = true;
    int32_t SegmentsPerPoint = 20;
    int32_t MaxSegments = 600;
    // The sampled curve; the points themselves when they are too few or too
    // many to solve for.
    std::vector<TPointF> Curve();

private:
    void Solve();
    std::vector<TPointF> points_;
    std::vector<TPointF> vertices_;
};
