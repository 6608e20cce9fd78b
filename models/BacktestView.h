// What the backtest window shows, worked out without a window: the rows of
// its summary table, its progress and status lines.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/Backtest.h"

// Which summaries the table lists: -1 / 0 stand for all.
struct TBacktestFilter {
    int32_t Mode = -1;
    int32_t Requested = 0;
    int32_t Category = 0;
};

inline constexpr int kBacktestColumnCount = 8;
extern const std::array<const char*, kBacktestColumnCount> kBacktestColumns;

struct TBacktestRow {
    int32_t Mode = 0, Requested = 0, Category = 0;
    std::array<std::string, kBacktestColumnCount> Cells;
    // Beats chance at the 5 % level.
    bool AboveChance = false;
};

// "Augmentative", "Absolute", "Build up".
const char* BacktestModeName(int32_t mode);

std::vector<TBacktestRow> BacktestRows(const std::vector<TBacktestSummary>& summary, const TBacktestFilter& filter);

// "Draw 3 of 50, table 420 of 1000".
std::string BacktestProgressText(int32_t drawsDone, int32_t draws, int32_t tablesDone, int32_t tables);
// "50 of 50 draws predicted" or "Cancelled: 12 of 50 draws predicted".
std::string BacktestStatusText(int32_t drawsDone, int32_t draws, bool cancelled);
