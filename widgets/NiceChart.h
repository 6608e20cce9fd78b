// The program's chart control: a bordered panel that paints a title, a legend,
// two axes with "nice" ticks and any number of line, smooth or bar series.
// Where things go is worked out by NiceChartGeometry; this widget only paints.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QFont>
#include <QFrame>

#include "models/NiceChartGeometry.h"

class QPen;
class TNiceChart;

class TNiceSeries {
public:
    TNiceSeries(TNiceChart& chart, TSeriesKind kind);
    TNiceChart& Chart() const { return chart_; }
    TSeriesKind Kind() const { return data_.Kind; }
    const std::string& Title() const { return data_.Title; }
    void SetTitle(const std::string& title);
    void AddXY(double x, double y, const std::string& hint = std::string());
    // The points, which callers may edit; Recalculate() the chart afterwards.
    std::vector<TChartPoint>& Points() { return data_.Points; }
    const std::vector<TChartPoint>& Points() const { return data_.Points; }
    const TChartSeriesData& Data() const { return data_; }
    TBSpline& Spline() { return spline_; }

private:
    TNiceChart& chart_;
    TChartSeriesData data_;
    TBSpline spline_;
};

class TNiceChart : public QFrame {
    Q_OBJECT

public:
    explicit TNiceChart(QWidget* parent = nullptr);
    ~TNiceChart() override;

    // Published properties; each setter recalculates and repaints.
    bool ShowLegend() const { return settings_.ShowLegend; }
    void SetShowLegend(bool value);
    bool ShowTitle() const { return settings_.ShowTitle; }
    void SetShowTitle(bool value);
    bool ShowXGrid() const { return settings_.ShowXGrid; }
    void SetShowXGrid(bool value);
    bool ShowYGrid() const { return settings_.ShowYGrid; }
    void SetShowYGrid(bool value);
    const std::string& Title() const { return settings_.Title; }
    void SetTitle(const std::string& value);
    QFont TitleFont() const { return titleFont_; }
    void SetTitleFont(const QFont& font);
    const std::string& AxisXTitle() const { return settings_.AxisXTitle; }
    void SetAxisXTitle(const std::string& value);
    const std::string& AxisYTitle() const { return settings_.AxisYTitle; }
    void SetAxisYTitle(const std::string& value);
    bool AxisXOnePerValue() const { return settings_.AxisXOnePerValue; }
    void SetAxisXOnePerValue(bool value);
    double AxisXScale() const { return settings_.AxisXScale; }
    void SetAxisXScale(double value);
    double AxisYScale() const { return settings_.AxisYScale; }
    void SetAxisYScale(double value);
    bool Monochrome() const { return settings_.Monochrome; }
    void SetMonochrome(bool value);
    bool AxisXWholeNumbers() const { return settings_.AxisXWholeNumbers; }
    void SetAxisXWholeNumbers(bool value);
    bool AxisYWholeNumbers() const { return settings_.AxisYWholeNumbers; }
    void SetAxisYWholeNumbers(bool value);

    TNiceSeries* AddSeries(TSeriesKind kind);
    // 0-based; null outside.
    TNiceSeries* Series(int index) const;
    int SeriesCount() const { return int(series_.size()); }
    void ClearSeries();

    void BeginUpdate();
    void EndUpdate();
    bool Updating() const { return updateDepth_ > 0; }
    // Works out the geometry again (unless suspended) and repaints.
    void Recalculate();

    // The geometry of the last recalculation.
    const TChartLayout& Layout() const { return layout_; }
    // The chart at its on-screen size as a PNG file; false when it cannot be written.
    bool SaveToPicture(const QString& fileName);

    QSize sizeHint() const override { return {300, 200}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Changed();
    // Painting, one step per part of the chart, in the order they overlap.
    void PaintChart(QPainter& painter);
    void PaintLegend(QPainter& painter);
    void PaintTitle(QPainter& painter);
    void PaintXAxis(QPainter& painter, const QPen& gridPen);
    void PaintYAxis(QPainter& painter, const QPen& gridPen);
    void PaintPlotFrame(QPainter& painter);
    void PaintBars(QPainter& painter);
    void PaintLines(QPainter& painter);
    QColor SeriesQColor(int p) const;
    QFont AxisTitleFont() const;

    TChartSettings settings_;
    QFont titleFont_;
    QFont axisFont_;
    std::vector<std::unique_ptr<TNiceSeries>> series_;
    TChartLayout layout_;
    int updateDepth_ = 0;
};
