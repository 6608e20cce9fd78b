// Texts of the backtest window: summary rows with their filter, and the
// progress and status lines.
#include <gtest/gtest.h>

#include "models/BacktestView.h"

namespace {

TBacktestSummary Summary(int32_t mode, int32_t i, int32_t j, int32_t predicted, int64_t hits, double p)
{
    TBacktestSummary s;
    s.Mode = mode;
    s.Requested = i;
    s.Category = j;
    s.Predicted = predicted;
    s.Hits = hits;
    s.Mean = predicted ? double(hits) / predicted : 0;
    s.ChanceMean = i * 6.0 / 49;
    s.PValue = p;
    return s;
}

TEST(BacktestView, RowsShowFiguresAndDashesForNothingPredicted)
{
    const std::vector<TBacktestSummary> summary = {Summary(0, 6, 1, 50, 41, 0.2345678), Summary(0, 6, 2, 0, 0, 1),
                                                   Summary(1, 6, 1, 48, 60, 0.0012345), Summary(2, 7, 1, 50, 30, 0.9)};
    using Cells = std::array<std::string, kBacktestColumnCount>;
    struct Case {
        TBacktestFilter filter;
        std::vector<Cells> rows;
    };
    const Cells aug61 = {"Augmentative", "6", "1", "50", "41", "0.820", "0.735", "0.2346"};
    const Cells aug62 = {"Augmentative", "6", "2", "0", "0", "-", "0.735", "-"};
    const Cells abs61 = {"Absolute", "6", "1", "48", "60", "1.250", "0.735", "0.001234"};
    const Cells bld71 = {"Build up", "7", "1", "50", "30", "0.600", "0.857", "0.9"};
    const Case cases[] = {
        {{}, {aug61, aug62, abs61, bld71}},
        {{0, 0, 0}, {aug61, aug62}},
        {{-1, 6, 0}, {aug61, aug62, abs61}},
        {{-1, 0, 1}, {aug61, abs61, bld71}},
        {{2, 6, 0}, {}},
    };
    for (const Case& c : cases) {
        const std::vector<TBacktestRow> rows = BacktestRows(summary, c.filter);
        ASSERT_EQ(rows.size(), c.rows.size());
        for (size_t r = 0; r < rows.size(); ++r) {
            EXPECT_EQ(rows[r].Cells, c.rows[r]);
            EXPECT_EQ(rows[r].AboveChance, rows[r].Cells == abs61);
        }
    }
}

TEST(BacktestView, ProgressAndStatusTexts)
{
    EXPECT_EQ(BacktestProgressText(0, 50, 0, 1000), "Draw 1 of 50, table 0 of 1000");
    EXPECT_EQ(BacktestProgressText(2, 50, 420, 1000), "Draw 3 of 50, table 420 of 1000");
    EXPECT_EQ(BacktestProgressText(50, 50, 0, 1000), "50 of 50 draws");
    EXPECT_EQ(BacktestStatusText(50, 50, false), "50 of 50 draws predicted");
    EXPECT_EQ(BacktestStatusText(12, 50, true), "Cancelled: 12 of 50 draws predicted");
}

} // namespace
