// The chart control's painting and properties.
#include "widgets/NiceChart.h"

#include <algorithm>
#include <array>

#include <QBitmap>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include "widgets/GridCellUi.h"
#include "widgets/PictureUi.h"
#include "widgets/QtText.h"

namespace {

class TQtChartMetrics : public TChartTextMetrics {
public:
    TQtChartMetrics(const QFont& axisFont, const QFont& titleFont) : axis_(axisFont), title_(titleFont) {}
    int32_t TextHeight() const override { return axis_.height(); }
    int32_t TextWidth(const std::string& line) const override { return axis_.horizontalAdvance(FromText(line)); }
    int32_t TitleHeight(const std::string& title, int32_t width) const override
    {
        return title_
            .boundingRect(QRect(0, 0, std::max(width, 1), 100000), Qt::AlignHCenter | Qt::TextWordWrap, FromText(title))
            .height();
    }

private:
    QFontMetrics axis_;
    QFontMetrics title_;
};

QRect ToQRect(const TChartRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

// The sixteen hatch fills of monochrome bars, 8 x 8 each, made once.
const std::array<QBrush, 16>& HatchBrushes()
{
    static const std::array<QBrush, 16> brushes = [] {
        static const uchar kBits[16][8] = {
            {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01}, {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},
            {0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00}, {0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88},
            {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81}, {0xFF, 0x88, 0x88, 0x88, 0xFF, 0x88, 0x88, 0x88},
            {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55}, {0x88, 0x00, 0x22, 0x00, 0x88, 0x00, 0x22, 0x00},
            {0xCC, 0xCC, 0x33, 0x33, 0xCC, 0xCC, 0x33, 0x33}, {0xF0, 0xF0, 0xF0, 0xF0, 0x0F, 0x0F, 0x0F, 0x0F},
            {0x11, 0x22, 0x44, 0x88, 0x11, 0x22, 0x44, 0x88}, {0x88, 0x44, 0x22, 0x11, 0x88, 0x44, 0x22, 0x11},
            {0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00}, {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA},
            {0x18, 0x18, 0xFF, 0xFF, 0x18, 0x18, 0x00, 0x00}, {0x00, 0x66, 0x66, 0x00, 0x00, 0x66, 0x66, 0x00}};
        std::array<QBrush, 16> out;
        for (size_t i = 0; i < out.size(); ++i) {
            // Bitmap bytes are least significant bit first.
            uchar bits[8];
            for (size_t row = 0; row < 8; ++row) {
                uchar b = kBits[i][row];
                uchar rev = 0;
                for (int k = 0; k < 8; ++k)
                    if (b & (1 << k))
                        rev |= uchar(0x80 >> k);
                bits[row] = rev;
            }
            out[i] = QBrush(Qt::black, QBitmap::fromData(QSize(8, 8), bits));
        }
        return out;
    }();
    return brushes;
}

void DrawMarker(QPainter& painter, TMarkerShape shape, int x, int y, int r, const QColor& colour)
{
    painter.setPen(QPen(colour, 1));
    painter.setBrush(Qt::white);
    switch (shape) {
    case TMarkerShape::Square: painter.drawRect(x - r, y - r, 2 * r, 2 * r); break;
    case TMarkerShape::Circle: painter.drawEllipse(QPoint(x, y), r, r); break;
    case TMarkerShape::TriangleUp:
        painter.drawPolygon(QPolygon({QPoint(x, y - r), QPoint(x + r, y + r), QPoint(x - r, y + r)}));
        break;
    case TMarkerShape::TriangleDown:
        painter.drawPolygon(QPolygon({QPoint(x, y + r), QPoint(x + r, y - r), QPoint(x - r, y - r)}));
        break;
    case TMarkerShape::Diamond:
        painter.drawPolygon(QPolygon({QPoint(x, y - r), QPoint(x + r, y), QPoint(x, y + r), QPoint(x - r, y)}));
        break;
    }
}

} // namespace

// ---- TNiceSeries ----

TNiceSeries::TNiceSeries(TNiceChart& chart, TSeriesKind kind) : chart_(chart) { data_.Kind = kind; }

void TNiceSeries::SetTitle(const std::string& title)
{
    data_.Title = title;
    chart_.Recalculate();
}

void TNiceSeries::AddXY(double x, double y, const std::string& hint)
{
    data_.Points.push_back({x, y, hint});
    chart_.Recalculate();
}

// ---- TNiceChart ----

TNiceChart::TNiceChart(QWidget* parent)
    : QFrame(parent), titleFont_(QStringLiteral("Arial"), 14), axisFont_(QStringLiteral("Arial"))
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(300, 200);
}

TNiceChart::~TNiceChart() = default;

void TNiceChart::Changed() { Recalculate(); }

#define JUX_CHART_SETTER(Name, Type, field)                                                                            \
    void TNiceChart::Set##Name(Type value)                                                                             \
    {                                                                                                                  \
        settings_.field = value;                                                                                       \
        Changed();                                                                                                     \
    }
JUX_CHART_SETTER(ShowLegend, bool, ShowLegend)
JUX_CHART_SETTER(ShowTitle, bool, ShowTitle)
JUX_CHART_SETTER(ShowXGrid, bool, ShowXGrid)
JUX_CHART_SETTER(ShowYGrid, bool, ShowYGrid)
JUX_CHART_SETTER(Title, const std::string&, Title)
JUX_CHART_SETTER(AxisXTitle, const std::string&, AxisXTitle)
JUX_CHART_SETTER(AxisYTitle, const std::string&, AxisYTitle)
JUX_CHART_SETTER(AxisXOnePerValue, bool, AxisXOnePerValue)
JUX_CHART_SETTER(AxisXScale, double, AxisXScale)
JUX_CHART_SETTER(AxisYScale, double, AxisYScale)
JUX_CHART_SETTER(Monochrome, bool, Monochrome)
JUX_CHART_SETTER(AxisXWholeNumbers, bool, AxisXWholeNumbers)
JUX_CHART_SETTER(AxisYWholeNumbers, bool, AxisYWholeNumbers)
#undef JUX_CHART_SETTER

void TNiceChart::SetTitleFont(const QFont& font)
{
    titleFont_ = font;
    Changed();
}

TNiceSeries* TNiceChart::AddSeries(TSeriesKind kind)
{
    series_.push_back(std::make_unique<TNiceSeries>(*this, kind));
    if (kind == TSeriesKind::Bar)
        settings_.AxisXOnePerValue = true;
    Recalculate();
    return series_.back().get();
}

TNiceSeries* TNiceChart::Series(int index) const
{
    return index >= 0 && size_t(index) < series_.size() ? series_[size_t(index)].get() : nullptr;
}

void TNiceChart::ClearSeries()
{
    series_.clear();
    Recalculate();
}

void TNiceChart::BeginUpdate() { ++updateDepth_; }

void TNiceChart::EndUpdate()
{
    if (updateDepth_ > 0)
        --updateDepth_;
    Recalculate();
}

void TNiceChart::Recalculate()
{
    if (updateDepth_ > 0)
        return;
    std::vector<const TChartSeriesData*> data;
    data.reserve(series_.size());
    for (const auto& s : series_)
        data.push_back(&s->Data());
    const QRect client = contentsRect();
    layout_ =
        ComputeChartLayout(settings_, data, client.width(), client.height(), TQtChartMetrics(axisFont_, titleFont_));
    update();
}

void TNiceChart::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    Recalculate();
}

bool TNiceChart::SaveToPicture(const QString& fileName)
{
    return SavePicture(grab().toImage(), QFile::encodeName(fileName).toStdString());
}

void TNiceChart::paintEvent(QPaintEvent* event)
{
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        const QRect client = contentsRect();
        painter.translate(client.topLeft());
        painter.setClipRect(QRect(QPoint(0, 0), client.size()));
        PaintChart(painter);
    }
    QFrame::paintEvent(event); // the border
}

void TNiceChart::PaintChart(QPainter& painter)
{
    painter.setFont(axisFont_);
    if (layout_.HasLegend)
        PaintLegend(painter);
    if (layout_.HasTitle)
        PaintTitle(painter);
    const QPen gridPen(QColor(128, 128, 128), 1, Qt::DotLine);
    PaintXAxis(painter, gridPen);
    PaintYAxis(painter, gridPen);
    PaintPlotFrame(painter);
    // Bars first, then the lines over them.
    PaintBars(painter);
    PaintLines(painter);
}

QColor TNiceChart::SeriesQColor(int p) const { return ColorFromRGB(SeriesColor(p, settings_.Monochrome)); }

QFont TNiceChart::AxisTitleFont() const
{
    QFont bold = axisFont_;
    bold.setBold(true);
    return bold;
}

// The legend box with its shadow: a swatch or line with marker per series,
// and the series' title lines beside it.
void TNiceChart::PaintLegend(QPainter& painter)
{
    const TChartLayout& l = layout_;
    const int th = l.TextHeight;
    const QRect box = ToQRect(l.LegendRect);
    painter.fillRect(QRect(box.right() + 1, box.top() + 3, 3, box.height()), Qt::black);
    painter.fillRect(QRect(box.left() + 3, box.bottom() + 1, box.width(), 3), Qt::black);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    for (size_t p = 0; p < l.Legend.size() && p < series_.size(); ++p) {
        const TLegendEntry& entry = l.Legend[p];
        const QColor colour = SeriesQColor(int(p));
        const int mid = (entry.Rect.Top + entry.Rect.Bottom) / 2;
        if (series_[p]->Kind() == TSeriesKind::Bar) {
            const QRect square(box.left() + 10 + 2, mid - 10 + 2, 16, 16);
            if (settings_.Monochrome)
                painter.fillRect(square, HatchBrushes()[size_t(p % 16)]);
            else
                painter.fillRect(square, colour);
            painter.setPen(QPen(Qt::black, 1));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(square.adjusted(0, 0, -1, -1));
        } else {
            painter.setPen(QPen(colour, 1));
            painter.drawLine(box.left() + 10, mid, box.left() + 30, mid);
            DrawMarker(painter, SeriesMarker(int(p)), box.left() + 20, mid, l.MarkerRadius, colour);
        }
        painter.setPen(Qt::black);
        const int textTop = mid - int(entry.Lines.size()) * th / 2;
        for (size_t i = 0; i < entry.Lines.size(); ++i)
            painter.drawText(QRect(box.left() + 32, textTop + int(i) * th, box.width() - 32, th),
                             Qt::AlignLeft | Qt::AlignVCenter, FromText(entry.Lines[i]));
    }
}

void TNiceChart::PaintTitle(QPainter& painter)
{
    painter.setFont(titleFont_);
    painter.setPen(Qt::black);
    painter.drawText(ToQRect(layout_.TitleRect), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                     FromText(settings_.Title));
    painter.setFont(axisFont_);
}

// The x axis with its ticks, the labels that do not overlap the one before,
// the vertical grid lines and the axis title.
void TNiceChart::PaintXAxis(QPainter& painter, const QPen& gridPen)
{
    const TChartLayout& l = layout_;
    const TChartRect& plot = l.Plot;
    const int th = l.TextHeight;
    painter.fillRect(QRect(plot.Left - 1, plot.Bottom - 1, plot.Width() + 2, 3), Qt::black);
    painter.setPen(Qt::black);
    int lastLabelRight = -1000000;
    for (size_t k = 0; k < l.XTicks.size(); ++k) {
        const TChartTick& tick = l.XTicks[k];
        painter.fillRect(QRect(tick.Pixel, plot.Bottom + 2, 2, 4), Qt::black);
        const QString label = FromText(tick.Label);
        const int w = painter.fontMetrics().horizontalAdvance(label);
        const int left = tick.Pixel - w / 2;
        if (left > lastLabelRight + 2) {
            painter.drawText(QRect(left, plot.Bottom + 6, w + 1, th), Qt::AlignCenter, label);
            lastLabelRight = left + w;
        }
        if (settings_.ShowXGrid && k > 0 && k + 1 < l.XTicks.size()) {
            painter.setPen(gridPen);
            painter.drawLine(tick.Pixel, plot.Top, tick.Pixel, plot.Bottom - 2);
            painter.setPen(Qt::black);
        }
    }
    painter.setFont(AxisTitleFont());
    painter.drawText(QRect(plot.Left, plot.Bottom + 8 + th, plot.Width(), th + 4), Qt::AlignHCenter | Qt::AlignTop,
                     FromText(settings_.AxisXTitle));
    painter.setFont(axisFont_);
}

// The y axis with its ticks and labels, the zero line in black, the
// horizontal grid lines, and the axis title turned upright.
void TNiceChart::PaintYAxis(QPainter& painter, const QPen& gridPen)
{
    const TChartLayout& l = layout_;
    const TChartRect& plot = l.Plot;
    const int th = l.TextHeight;
    painter.fillRect(QRect(plot.Left - 1, plot.Top, 3, plot.Height() + 1), Qt::black);
    for (size_t k = 0; k < l.YTicks.size(); ++k) {
        const TChartTick& tick = l.YTicks[k];
        painter.fillRect(QRect(plot.Left - 4, tick.Pixel, 4, 2), Qt::black);
        painter.setPen(Qt::black);
        painter.drawText(QRect(0, tick.Pixel - th / 2, plot.Left - 4 - 2, th), Qt::AlignRight | Qt::AlignVCenter,
                         FromText(tick.Label));
        if (k > 0 && k + 1 < l.YTicks.size()) {
            if (tick.Value == 0) {
                painter.setPen(QPen(Qt::black, 1));
                painter.drawLine(plot.Left, tick.Pixel, plot.Right, tick.Pixel);
            } else if (settings_.ShowYGrid) {
                painter.setPen(gridPen);
                painter.drawLine(plot.Left + 2, tick.Pixel, plot.Right, tick.Pixel);
            }
        }
    }
    painter.save();
    painter.setFont(AxisTitleFont());
    painter.setPen(Qt::black);
    const int axisMid = (plot.Top + plot.Bottom) / 2;
    painter.translate(20, axisMid);
    painter.rotate(-90);
    painter.drawText(QRect(-plot.Height() / 2 - 100, 0, plot.Height() + 200, th + 4), Qt::AlignHCenter | Qt::AlignTop,
                     FromText(settings_.AxisYTitle));
    painter.restore();
}

// The frame along the top and right of the plot.
void TNiceChart::PaintPlotFrame(QPainter& painter)
{
    const TChartRect& plot = layout_.Plot;
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(plot.Left, plot.Top, plot.Right, plot.Top);
    painter.drawLine(plot.Right, plot.Top, plot.Right, plot.Bottom);
}

// Bar series: filled, or hatched and outlined in black and white.
void TNiceChart::PaintBars(QPainter& painter)
{
    for (size_t p = 0; p < series_.size() && p < layout_.Points.size(); ++p) {
        if (series_[p]->Kind() != TSeriesKind::Bar)
            continue;
        const QColor colour = SeriesQColor(int(p));
        for (const TPointPixels& px : layout_.Points[p]) {
            const QRect bar = ToQRect(px.Rect);
            if (settings_.Monochrome) {
                painter.fillRect(bar, Qt::white);
                painter.fillRect(bar, HatchBrushes()[size_t(p % 16)]);
                painter.setPen(QPen(Qt::black, 1));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(bar.adjusted(0, 0, -1, -1));
            } else {
                painter.fillRect(bar, colour);
            }
        }
    }
}

// Line and smooth series, antialiased, with a marker at every point.
void TNiceChart::PaintLines(QPainter& painter)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (size_t p = 0; p < series_.size() && p < layout_.Points.size(); ++p) {
        TNiceSeries& s = *series_[p];
        if (s.Kind() == TSeriesKind::Bar)
            continue;
        const QColor colour = SeriesQColor(int(p));
        const std::vector<TPointPixels>& pts = layout_.Points[p];
        painter.setPen(QPen(colour, 1));
        painter.setBrush(Qt::NoBrush);
        if (s.Kind() == TSeriesKind::Smooth) {
            TBSpline& spline = s.Spline();
            spline.Clear();
            for (const TPointPixels& px : pts)
                spline.AddPoint(px.X, px.Y);
            spline.SegmentsPerPoint = 20;
            spline.MaxSegments = 600;
            QPolygonF curve;
            for (const TBSpline::TPointF& c : spline.Curve())
                curve << QPointF(c.X, c.Y);
            painter.drawPolyline(curve);
        } else {
            QPolygon line;
            for (const TPointPixels& px : pts)
                line << QPoint(px.X, px.Y);
            painter.drawPolyline(line);
        }
        for (const TPointPixels& px : pts)
            DrawMarker(painter, SeriesMarker(int(p)), px.X, px.Y, layout_.MarkerRadius, colour);
    }
}
