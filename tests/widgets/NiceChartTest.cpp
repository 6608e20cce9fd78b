// The chart control as a widget: suspended updates, series kinds, painting
// and the picture it saves.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <QApplication>
#include <QImage>

#include "support/QtTestSupport.h"
#include "widgets/NiceChart.h"

namespace {

QApplication& App() { return qttest::App("nice_chart_test"); }

std::string TmpPath(const std::string& name)
{
    const char* dir = std::getenv("JUX_TEST_TMP");
    std::string base = dir ? dir : "/tmp";
    std::system(("mkdir -p '" + base + "'").c_str());
    return base + "/" + name;
}

} // namespace

TEST(NiceChart, DefaultsAndSuspendedUpdates)
{
    App();
    TNiceChart chart;
    EXPECT_EQ(chart.Title(), "Chart Title");
    EXPECT_EQ(chart.AxisXTitle(), "X Axis");
    EXPECT_EQ(chart.AxisYTitle(), "Y Axis");
    EXPECT_TRUE(chart.ShowLegend());
    EXPECT_EQ(chart.TitleFont().pointSize(), 14);
    chart.resize(522, 300);
    chart.SetShowTitle(false);

    chart.BeginUpdate();
    TNiceSeries* s = chart.AddSeries(TSeriesKind::Line);
    for (int i = 1; i <= 10; ++i)
        s->AddXY(i, i % 4);
    // Nothing is laid out while suspended.
    EXPECT_TRUE(chart.Layout().Points.empty());
    chart.EndUpdate();
    ASSERT_EQ(chart.Layout().Points.size(), 1u);
    EXPECT_EQ(chart.Layout().Points[0].size(), 10u);
    EXPECT_EQ(chart.Layout().MarkerRadius, 2);

    // A bar series makes the X axis one tick per value.
    EXPECT_FALSE(chart.AxisXOnePerValue());
    chart.AddSeries(TSeriesKind::Bar)->AddXY(3, 1);
    EXPECT_TRUE(chart.AxisXOnePerValue());
    EXPECT_EQ(chart.Layout().XTicks.size(), 10u);
    EXPECT_EQ(chart.SeriesCount(), 2);
    EXPECT_EQ(chart.Series(2), nullptr);

    // Editing the points directly, as the display does.
    s->Points().erase(s->Points().begin());
    chart.Recalculate();
    EXPECT_EQ(chart.Layout().Points[0].size(), 9u);

    chart.ClearSeries();
    EXPECT_EQ(chart.SeriesCount(), 0);
    EXPECT_TRUE(chart.Layout().Points.empty());
}

TEST(NiceChart, PaintsSeriesAndSavesItsPicture)
{
    App();
    TNiceChart chart;
    chart.resize(400, 260);
    chart.SetShowLegend(false);
    chart.SetShowTitle(false);
    TNiceSeries* bars = chart.AddSeries(TSeriesKind::Bar);
    for (int i = 1; i <= 4; ++i)
        bars->AddXY(i, i);
    const std::string path = TmpPath("nice_chart.png");
    std::remove(path.c_str());
    ASSERT_TRUE(chart.SaveToPicture(QString::fromStdString(path)));
    QImage image(QString::fromStdString(path));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), chart.size());
    // The tallest bar is painted in the first series' red, at its middle.
    const TChartRect bar = chart.Layout().Points[0][3].Rect;
    const QPoint inside =
        chart.contentsRect().topLeft() + QPoint((bar.Left + bar.Right) / 2, (bar.Top + bar.Bottom) / 2);
    EXPECT_EQ(image.pixelColor(inside), QColor(255, 0, 0));

    // Monochrome bars are hatched: black and white inside one bar.
    chart.SetMonochrome(true);
    const QImage mono = chart.grab().toImage();
    bool black = false, white = false;
    for (int x = bar.Left + 1; x < bar.Right - 1; ++x) {
        const QColor c = mono.pixelColor(chart.contentsRect().left() + x, inside.y());
        black = black || c == QColor(0, 0, 0);
        white = white || c == QColor(255, 255, 255);
    }
    EXPECT_TRUE(black && white);

    EXPECT_FALSE(chart.SaveToPicture(QStringLiteral("/nonexistent-folder/x.png")));
}
