// The JUX Table page's statistics, grids, copies and chart series.
#include "models/TableStatistics.h"

#include <algorithm>

#include "engine/JUXEngine.h"
#include "models/PanoramaModel.h"

// ---- the engine as a table source ----

int32_t TEngineTableSource::TestedDraws() const { return engine_.Context.TestedDraws; }
int32_t TEngineTableSource::PoolSize() const { return engine_.Context.PoolSize; }
int32_t TEngineTableSource::HitWidth() const { return engine_.Context.HitWidth(); }

const TShortIntArray* TEngineTableSource::FinalOrder(int32_t id) const { return EngineFinalOrder(engine_, id); }

bool TEngineTableSource::HitHistogram(int32_t id, int32_t top, bool exact, TIntArray& h) const
{
    return EngineHitHistogram(engine_, id, top, exact, h);
}

int32_t TEngineTableSource::HitsWithin(int32_t id, int32_t row, int32_t top) const
{
    const TJUXClass* table = id > 0 ? engine_.FindTable(id) : nullptr;
    return table ? engine_.HitsWithin(*table, row, top) : 0;
}

long double TEngineTableSource::HitProbability(int32_t i, int32_t j) const { return engine_.HitProbability(i, j); }

// ---- grids ----

const char* CellColourName(TCellColour colour)
{
    switch (colour) {
    case TCellColour::Fixed: return "fixed";
    case TCellColour::Sky: return "sky";
    case TCellColour::Money: return "money";
    case TCellColour::Green: return "green";
    case TCellColour::Yellow: return "yellow";
    }
    return "fixed";
}

uint32_t CellColourRGB(TCellColour colour, uint32_t fixedColor)
{
    switch (colour) {
    case TCellColour::Fixed: return fixedColor;
    case TCellColour::Sky: return kSkyBlue;
    case TCellColour::Money: return kMoneyGreen;
    case TCellColour::Green: return kGreen;
    case TCellColour::Yellow: return kYellow;
    }
    return fixedColor;
}

void TTextGrid::SetSize(int32_t cols, int32_t rows)
{
    ColCount = std::max(cols, 0);
    RowCount = std::max(rows, 0);
    Cells.assign(size_t(ColCount) * size_t(RowCount), std::string());
    Colours.assign(Cells.size(), TCellColour::Fixed);
}

const std::string& TTextGrid::Cell(int32_t col, int32_t row) const
{
    static const std::string empty;
    if (col < 0 || row < 0 || col >= ColCount || row >= RowCount)
        return empty;
    return Cells[size_t(row) * size_t(ColCount) + size_t(col)];
}

TCellColour TTextGrid::Colour(int32_t col, int32_t row) const
{
    if (col < 0 || row < 0 || col >= ColCount || row >= RowCount)
        return TCellColour::Fixed;
    return Colours[size_t(row) * size_t(ColCount) + size_t(col)];
}

void TTextGrid::Set(int32_t col, int32_t row, const std::string& text)
{
    if (col >= 0 && row >= 0 && col < ColCount && row < RowCount)
        Cells[size_t(row) * size_t(ColCount) + size_t(col)] = text;
}

void TTextGrid::SetColour(int32_t col, int32_t row, TCellColour colour)
{
    if (col >= 0 && row >= 0 && col < ColCount && row < RowCount)
        Colours[size_t(row) * size_t(ColCount) + size_t(col)] = colour;
}

// ---- texts ----

std::string HitsAxisTitle(int32_t lookAhead)
{
    return Format("Tested Draws (blue line averaged on %d future draws)", lookAhead);
}

std::string PredictCaption(const TShortIntArray& compareNums)
{
    std::string caption = " Predicted numbers for next draw ";
    if (compareNums.empty())
        return caption;
    std::string numbers;
    for (int16_t n : compareNums) {
        if (!numbers.empty())
            numbers += ' ';
        numbers += Format("%2.2d", int(n));
    }
    return caption + "(compare to " + numbers + ")";
}

std::string PredictionCopy(const TTextGrid& predict, int32_t requested, bool sorted)
{
    std::vector<int32_t> numbers;
    for (int32_t n = 1; n <= requested; ++n) {
        const std::string& text = predict.Cell((n - 1) % 10 + 1, (n + 9) / 10);
        int32_t value = 0;
        if (ParseWholeNumber(text, value))
            numbers.push_back(value);
    }
    if (sorted)
        std::sort(numbers.begin(), numbers.end());
    const bool padded = std::any_of(numbers.begin(), numbers.end(), [](int32_t v) { return v > 9; });
    std::string text;
    for (int32_t v : numbers) {
        if (!text.empty())
            text += ' ';
        text += Format(padded ? "%.2d" : "%d", v);
    }
    return text;
}

// ---- the page ----

namespace {

void BuildSuccess(const TTableSource& source, const TTableView& view, int32_t ct, TTablePage& page)
{
    const int32_t t = source.TestedDraws();
    const int32_t a = view.TableRequested;
    TIntArray h;
    source.HitHistogram(view.CurrentJUX, a, view.Absolute, h);
    h.resize(size_t(std::max(ct, 0)) + 1, 0);
    for (int32_t j = 0; j <= ct; ++j) {
        const int32_t count = h[size_t(j)];
        page.Success.Set(j, 0, Format("%d hits", j));
        // No tested draws leave no share to show rather than a division by zero.
        page.Success.Set(j, 1, Format("%2.2f", t > 0 ? double(count) / double(t) * 100.0 : 0.0) + "%");
        long double p = source.HitProbability(a, j);
        if (!view.Absolute && j > 0)
            for (int32_t k = j + 1; k <= ct; ++k)
                p += source.HitProbability(a, k);
        page.Success.Set(j, 2, p < 1e-10L ? std::string("- N/A -") : ImprovementRatioText(count, t, p, j == 0));
        page.Success.Set(j, 3, Format("%d", count));
    }
    for (int32_t row = 0; row < 4; ++row)
        for (int32_t col = 0; col <= ct; ++col)
            page.Success.SetColour(col, row,
                                   row == 0                              ? TCellColour::Fixed
                                   : page.Success.Cell(col, row).empty() ? TCellColour::Sky
                                                                         : TCellColour::Money);
}

void BuildPredict(const TShortIntArray& order, const TTableView& view, const TShortIntArray& compareNums,
                  TTablePage& page)
{
    const int32_t requested = std::max(view.TableRequested, 0);
    TTextGrid& grid = page.Predict;
    grid.SetSize(std::min(requested + 1, 11), (requested - 1) / 10 + 2);
    const int32_t last = 10 * ((requested + 9) / 10);
    for (int32_t n = 1; n <= last; ++n) {
        const int32_t col = (n - 1) % 10 + 1;
        const int32_t row = (n + 9) / 10;
        grid.Set(col, row,
                 n <= requested && size_t(n - 1) < order.size() ? Format("%d", int(order[size_t(n - 1)]))
                                                                : std::string());
        if (n <= 10)
            grid.Set(n, 0, Format("%d", n));
        if ((n - 1) % 10 == 0)
            grid.Set(0, row, Format("+ %d", n - 1));
    }

    // Compare numbers the prediction missed, for the yellow neighbours.
    std::vector<int32_t> missed;
    for (int16_t c : compareNums) {
        const auto end = order.begin() + std::min<ptrdiff_t>(requested, ptrdiff_t(order.size()));
        if (std::find(order.begin(), end, c) == end)
            missed.push_back(c);
    }
    for (int32_t row = 0; row < grid.RowCount; ++row)
        for (int32_t col = 0; col < grid.ColCount; ++col) {
            TCellColour colour = TCellColour::Money;
            const std::string& text = grid.Cell(col, row);
            if (row == 0 || col == 0) {
                colour = TCellColour::Fixed;
            } else if (text.empty()) {
                colour = TCellColour::Sky;
            } else if (!compareNums.empty()) {
                const int32_t n = (row - 1) * 10 + col;
                const int32_t number = size_t(n - 1) < order.size() ? order[size_t(n - 1)] : 0;
                if (std::find(compareNums.begin(), compareNums.end(), number) != compareNums.end())
                    colour = TCellColour::Green;
                else if (std::any_of(missed.begin(), missed.end(),
                                     [number](int32_t m) { return number - m == 1 || m - number == 1; }))
                    colour = TCellColour::Yellow;
            }
            grid.SetColour(col, row, colour);
        }
}

void BuildCharts(const TTableSource& source, const TTableView& view, int32_t ct, TTablePage& page)
{
    const int32_t t = std::max(source.TestedDraws(), 0);
    const int32_t lookAhead = view.LookAhead;
    const int32_t low = view.DelayCategory != 0 ? view.DelayCategory : 1;
    const int32_t high = view.DelayCategory != 0 ? view.DelayCategory : ct;
    const bool actual = view.DelayMode == 1 && view.DelayCategory != 0;

    page.Hits.Series.assign(2, TSeriesSpec{});
    page.Delay.Series.clear();
    if (actual) {
        page.Delay.Series.emplace_back();
    } else {
        for (int32_t j = low; j <= high; ++j) {
            TSeriesSpec bars;
            bars.Kind = TSeriesKind::Bar;
            bars.Title = Format("%d hits", j);
            page.Delay.Series.push_back(std::move(bars));
        }
    }

    const int32_t categories = std::max(high - low + 1, 0);
    // gaps[j - low][d]: how often category j waited d draws for its next success.
    std::vector<std::vector<int32_t>> gaps(size_t(categories), std::vector<int32_t>(size_t(t) + 1, 0));
    std::vector<int32_t> lastSuccess(size_t(categories), 0);
    std::vector<int32_t> successes;
    std::vector<int32_t> hits(size_t(t) + 1, 0);
    int64_t window = 0; // sum of the last `lookAhead` hits
    for (int32_t i = 1; i <= t; ++i) {
        const int32_t h = source.HitsWithin(view.CurrentJUX, i, view.TableRequested);
        hits[size_t(i)] = h;
        if (actual) {
            if (h >= low)
                successes.push_back(i);
        } else {
            for (int32_t j = low; j <= high && j <= h; ++j) {
                int32_t& last = lastSuccess[size_t(j - low)];
                if (last > 0)
                    ++gaps[size_t(j - low)][size_t(i - last)];
                last = i;
            }
        }
        page.Hits.Series[0].Points.emplace_back(i, h);
        window += h;
        if (lookAhead >= 1 && i > lookAhead)
            window -= hits[size_t(i - lookAhead)];
        if (lookAhead >= 1 && i > lookAhead)
            page.Hits.Series[1].Points.emplace_back(i - lookAhead, double(window) / double(lookAhead));
    }

    page.Delay.Legend = view.DelayCategory == 0;
    page.Delay.YTitle = "Occurrence";
    if (view.DelayCategory == 0) {
        page.Delay.XTitle = "Overall delay of 'at least x' hits";
    } else {
        const int32_t n = view.DelayCategory;
        const int32_t last = actual ? (successes.empty() ? 0 : successes.back()) : lastSuccess[0];
        if (t < 1)
            page.Delay.XTitle = Format("Delay to produce at least %d hits", n);
        else if (last == 0)
            page.Delay.XTitle = Format("Delay to produce at least %d hits (no delay info)", n);
        else
            page.Delay.XTitle = Format("Delay to produce at least %d hits (current delay %d)", n, t + 1 - last);
        if (t >= 1) {
            if (actual) {
                page.Delay.YTitle = "Draws passed";
                page.Delay.XTitle += " - Actual";
            } else {
                page.Delay.XTitle += " - Summary";
            }
        }
    }

    if (actual) {
        TSeriesSpec& line = page.Delay.Series.front();
        for (size_t k = 1; k < successes.size(); ++k)
            line.Points.emplace_back(double(k), double(successes[k] - successes[k - 1]));
        if (line.Points.size() < 2)
            line.Points.emplace_back(1.0, 0.0);
    } else {
        for (int32_t d = 1; d <= t; ++d)
            for (int32_t j = 0; j < categories; ++j)
                if (const int32_t count = gaps[size_t(j)][size_t(d)]; count > 0)
                    page.Delay.Series[size_t(j)].Points.emplace_back(d, count);
    }

    if (t > 0)
        for (TSeriesSpec& s : page.Hits.Series)
            if (!s.Points.empty())
                s.Points.erase(s.Points.begin());
}

} // namespace

TTablePage BuildTablePage(const TTableSource& source, const TTableView& view, const TShortIntArray& compareNums)
{
    TTablePage page;
    const int32_t ct = std::max(std::min(view.TableRequested, source.HitWidth()), 0);
    page.Categories = ct;
    page.RequestedLabel = RequestedText(view.TableRequested, source.PoolSize());
    page.Hits.XTitle = HitsAxisTitle(view.LookAhead);
    page.Hits.YTitle = "Hits";
    page.Delay.XTitle = "Delay";
    page.Delay.YTitle = "Occurrence";
    page.Success.SetSize(ct + 1, 4);
    const TShortIntArray* order = source.FinalOrder(view.CurrentJUX);
    page.Exists = view.CurrentJUX > 0 && order != nullptr;
    if (!page.Exists)
        return page;
    BuildSuccess(source, view, ct, page);
    page.PredictCaption = PredictCaption(compareNums);
    BuildPredict(*order, view, compareNums, page);
    page.ClipboardSorted = PredictionCopy(page.Predict, view.TableRequested, true);
    page.ClipboardOriginal = PredictionCopy(page.Predict, view.TableRequested, false);
    BuildCharts(source, view, ct, page);
    return page;
}

// ---- menus and queries ----

std::vector<TDelayMenuEntry> BuildDelayMenu(int32_t categories, int32_t& delayCategory, uint8_t delayMode)
{
    if (categories == 1)
        delayCategory = 1;
    std::vector<TDelayMenuEntry> menu;
    for (int32_t k = 1; k <= categories; ++k)
        menu.push_back({TDelayMenuEntry::Category, Format("At Least %d hit(s)", k), k});
    if (delayCategory > 0) {
        if (categories > 1)
            menu.push_back({TDelayMenuEntry::Overall, "Overall delay hits", 0});
        menu.push_back({TDelayMenuEntry::Separator, "-", 0});
        menu.push_back({TDelayMenuEntry::ToggleMode,
                        delayMode == 0 ? "Switch to actual delays" : "Switch to summary of delays", 0});
    }
    return menu;
}

void ApplyDelayMenuEntry(const TDelayMenuEntry& entry, int32_t& delayCategory, uint8_t& delayMode)
{
    switch (entry.Kind) {
    case TDelayMenuEntry::Category: delayCategory = entry.Value; break;
    case TDelayMenuEntry::Overall: delayCategory = 0; break;
    case TDelayMenuEntry::ToggleMode: delayMode = delayMode == 0 ? 1 : 0; break;
    case TDelayMenuEntry::Separator: break;
    }
}

std::vector<std::string> SuccessRowLabels() { return {"Category", "Ratio %", "Imp. Ratio", "Draws"}; }

std::string LookAheadRangeText(int32_t testedDraws)
{
    const int32_t highest = testedDraws / 2 - 1;
    if (highest < 1)
        return Format("No look ahead fits a run of %d tested draws.", testedDraws);
    return Format("The look ahead must be a whole number from 1 to %d (less than half of the %d tested draws).",
                  highest, testedDraws);
}

bool AcceptLookAhead(const std::string& text, int32_t testedDraws, int32_t& value)
{
    int32_t v = 0;
    if (!ParseWholeNumber(text, v) || v <= 0 || v >= testedDraws / 2)
        return false;
    value = v;
    return true;
}
