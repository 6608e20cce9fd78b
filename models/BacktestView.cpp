// Texts of the backtest window.
#include "models/BacktestView.h"

#include "data/Types.h"

const std::array<const char*, kBacktestColumnCount> kBacktestColumns = {"Mode", "Requested", "Category",    "Predicted",
                                                                        "Hits", "Mean",      "Chance mean", "p"};

const char* BacktestModeName(int32_t mode)
{
    static const char* const names[] = {"Augmentative", "Absolute", "Build up"};
    return mode >= 0 && mode < 3 ? names[mode] : "";
}

std::vector<TBacktestRow> BacktestRows(const std::vector<TBacktestSummary>& summary, const TBacktestFilter& filter)
{
    std::vector<TBacktestRow> rows;
    for (const TBacktestSummary& s : summary) {
        if ((filter.Mode >= 0 && s.Mode != filter.Mode) || (filter.Requested > 0 && s.Requested != filter.Requested) ||
            (filter.Category > 0 && s.Category != filter.Category))
            continue;
        TBacktestRow row;
        row.Mode = s.Mode;
        row.Requested = s.Requested;
        row.Category = s.Category;
        const bool any = s.Predicted > 0;
        row.Cells = {BacktestModeName(s.Mode),     std::to_string(s.Requested),
                     std::to_string(s.Category),   std::to_string(s.Predicted),
                     std::to_string(s.Hits),       any ? Format("%.3f", s.Mean) : "-",
                     Format("%.3f", s.ChanceMean), any ? Format("%.4g", s.PValue) : "-"};
        row.AboveChance = any && s.PValue < 0.05;
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string BacktestProgressText(int32_t drawsDone, int32_t draws, int32_t tablesDone, int32_t tables)
{
    if (drawsDone >= draws)
        return Format("%d of %d draws", draws, draws);
    return Format("Draw %d of %d, table %d of %d", drawsDone + 1, draws, tablesDone, tables);
}

std::string BacktestStatusText(int32_t drawsDone, int32_t draws, bool cancelled)
{
    return Format("%s%d of %d draws predicted", cancelled ? "Cancelled: " : "", drawsDone, draws);
}
