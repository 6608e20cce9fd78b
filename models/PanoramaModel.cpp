// The display's computations, kept apart from the widgets so that a test can
// read what the panorama would show.
#include "models/PanoramaModel.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

#include "data/Utils.h"
#include "engine/Environment.h"
#include "engine/JUXEngine.h"

// ---- the engine as a panorama source ----

int32_t TEnginePanoramaSource::TestedDraws() const { return engine_.Context.TestedDraws; }
int32_t TEnginePanoramaSource::PoolSize() const { return engine_.Context.PoolSize; }
int32_t TEnginePanoramaSource::HitWidth() const { return engine_.Context.HitWidth(); }
int32_t TEnginePanoramaSource::TablesComputed() const { return engine_.Context.TablesComputed; }

const TCategoryList* TEnginePanoramaSource::CategoryList(int32_t requested, int32_t category, int32_t mode) const
{
    return engine_.CategoryList(requested, category, mode);
}

const TShortIntArray* EngineFinalOrder(const TJUXEngine& engine, int32_t id)
{
    const TJUXClass* table = id > 0 ? engine.FindTable(id) : nullptr;
    return table ? &table->FinalOrder : nullptr;
}

bool EngineHitHistogram(const TJUXEngine& engine, int32_t id, int32_t top, bool exact, TIntArray& h)
{
    const TJUXClass* table = id > 0 ? engine.FindTable(id) : nullptr;
    if (!table)
        return false;
    engine.HitHistogram(*table, top, exact, 0, 1, h);
    return true;
}

const TShortIntArray* TEnginePanoramaSource::FinalOrder(int32_t id) const { return EngineFinalOrder(engine_, id); }

bool TEnginePanoramaSource::HitHistogram(int32_t id, int32_t top, bool exact, TIntArray& h) const
{
    return EngineHitHistogram(engine_, id, top, exact, h);
}

long double TEnginePanoramaSource::HitProbability(int32_t i, int32_t j) const { return engine_.HitProbability(i, j); }

// ---- grid ----

void TPanoramaGrid::SetSize(int32_t cols, int32_t rows)
{
    ColCount = std::max(cols, 0);
    RowCount = std::max(rows, 0);
    Cells.assign(size_t(ColCount) * size_t(RowCount), std::string());
}

const std::string& TPanoramaGrid::Cell(int32_t col, int32_t row) const
{
    static const std::string empty;
    if (col < 0 || row < 0 || col >= ColCount || row >= RowCount)
        return empty;
    return Cells[size_t(row) * size_t(ColCount) + size_t(col)];
}

void TPanoramaGrid::SetCell(int32_t col, int32_t row, const std::string& text)
{
    if (col < 0 || row < 0 || col >= ColCount || row >= RowCount)
        return;
    Cells[size_t(row) * size_t(ColCount) + size_t(col)] = text;
}

// ---- panorama ----

void BuildPanorama(const TPanoramaSource& source, int32_t requested, int32_t mode, int32_t rows, TPanoramaGrid& grid)
{
    const int32_t k = source.HitWidth();
    const int32_t categories = std::max(0, std::min(requested, k));
    const int32_t tested = source.TestedDraws();
    rows = std::max(rows, 0);
    grid.SetSize(categories + 1, rows + TPanoramaGrid::kFixedRows);
    grid.SetCell(0, 0, "Category");
    grid.SetCell(0, 1, "Ratio %");
    grid.SetCell(0, 2, "Imp. Ratio");
    for (int32_t r = TPanoramaGrid::kFixedRows; r < grid.RowCount; ++r)
        grid.SetCell(0, r, Format("%d", r - 2));

    TIntArray h;
    for (int32_t c = 1; c <= categories; ++c) {
        const TCategoryList* list = source.CategoryList(requested, c, mode);
        const int32_t listed = list ? list->Count() : 0;
        if (mode == kPanoramaBuildup) {
            grid.SetCell(c, 0, Format("%d", c));
            grid.SetCell(c, 1, "- N/A -");
            grid.SetCell(c, 2, "- N/A -");
        } else {
            int32_t n = 0;
            if (listed > 0) {
                int32_t first = 0;
                list->GetInt(1, first);
                if (!source.HitHistogram(first, requested, mode == kPanoramaAbsolute, h))
                    throw Exception(Format("INTERNAL ERROR : Cannot find req. JUX ID %d", first));
                n = size_t(c) < h.size() ? h[size_t(c)] : 0;
            }
            grid.SetCell(c, 0, Format("%d- %d", c, n));
            const double ratio = tested > 0 ? double(n) / double(tested) * 100.0 : 0.0;
            grid.SetCell(c, 1, Format("%.2f", ratio) + "%");
            long double p = source.HitProbability(requested, c);
            if (mode == kPanoramaAugmentative)
                for (int32_t j = c + 1; j <= categories; ++j)
                    p += source.HitProbability(requested, j);
            grid.SetCell(c, 2, p < 1e-10L ? std::string("- N/A -") : ImprovementRatioText(n, tested, p, false));
        }
        for (int32_t r = TPanoramaGrid::kFixedRows; r < grid.RowCount; ++r) {
            int32_t id = 0;
            if (list && list->GetInt(r - 2, id)) {
                std::string text = Format("%d", id);
                if (r == grid.RowCount - 1 && listed > rows)
                    text += "+";
                grid.SetCell(c, r, text);
            }
        }
    }
}

int32_t IDFromText(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && !std::isdigit(static_cast<unsigned char>(text[i])))
        ++i;
    int64_t value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > std::numeric_limits<int32_t>::max())
            value = std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(value);
}

int32_t CellID(const TPanoramaGrid& grid, int32_t col, int32_t row)
{
    if (col < 1 || row < TPanoramaGrid::kFixedRows)
        return 0;
    return IDFromText(grid.Cell(col, row));
}

std::string ImprovementRatioText(int32_t n, int32_t testedDraws, long double p, bool inverted)
{
    try {
        long double v = 0;
        if (testedDraws > 0 && n > 0 && p >= 1e-10L)
            v = inverted ? (long double)testedDraws * p / n : (long double)n / ((long double)testedDraws * p);
        if (!std::isfinite(v))
            return "-ERROR-";
        const char* fmt = v >= 10000000.0L ? "%.0Lf"
                          : v >= 100000.0L ? "%.1Lf"
                          : v >= 10000.0L  ? "%.2Lf"
                          : v >= 1000.0L   ? "%.3Lf"
                          : v >= 100.0L    ? "%.4Lf"
                          : v >= 10.0L     ? "%.5Lf"
                                           : "%.6Lf";
        char buffer[64];
        const int written = std::snprintf(buffer, sizeof buffer, fmt, v);
        if (written < 0 || size_t(written) >= sizeof buffer)
            return "-ERROR-";
        return buffer;
    } catch (...) {
        return "-ERROR-";
    }
}

int32_t CompareMatches(const TShortIntArray& finalOrder, int32_t requested, const TShortIntArray& compareNums)
{
    const size_t top = std::min(finalOrder.size(), size_t(std::max(requested, 0)));
    int32_t matches = 0;
    for (size_t i = 0; i < top; ++i)
        if (std::find(compareNums.begin(), compareNums.end(), finalOrder[i]) != compareNums.end())
            ++matches;
    return matches;
}

uint32_t PanoramaCellColor(const TPanoramaGrid& grid, const TPanoramaSource& source, int32_t requested,
                           const TPanoramaPalette& palette, int32_t col, int32_t row)
{
    const bool compare = palette.CompareNums && !palette.CompareNums->empty();
    // m = 0 only with nothing requested; no blend then rather than 0 / 0.
    const int32_t m = compare ? std::min(int32_t(palette.CompareNums->size()), requested) : 0;
    const auto fraction = [m](int32_t x) { return m > 0 ? double(x) / double(m) : 0.0; };
    if (row == 0)
        return compare ? BlendColor(kMoneyGreen, kGreen, fraction(col)) : palette.FixedColor;
    if (col == 0)
        return palette.FixedColor;
    if (row < TPanoramaGrid::kFixedRows)
        return kSkyBlue;
    uint32_t color = kMoneyGreen;
    const int32_t id = CellID(grid, col, row);
    if (id <= 0)
        return color;
    const bool listed = palette.UserList && palette.UserList->ContainsInt(id);
    if (listed)
        color = kRed;
    if (compare) {
        if (const TShortIntArray* order = source.FinalOrder(id))
            color = BlendColor(color, listed ? kRed : kGreen,
                               fraction(CompareMatches(*order, requested, *palette.CompareNums)));
    }
    return color;
}

// ---- requested numbers ----

int32_t LowestRequested(int32_t minReq) { return std::max(minReq, 1); }

int32_t HighestRequested(int32_t maxReq, int32_t poolSize) { return maxReq > 0 ? maxReq : poolSize - 1; }

int32_t InitialRequested(int32_t drawnCount, int32_t minReq, int32_t maxReq)
{
    int32_t s = minReq > 0 ? minReq : drawnCount;
    s = std::max(s, drawnCount);
    const int32_t e = maxReq > 0 ? maxReq : s;
    return std::min(e, s);
}

int32_t InitialPanoramaMode(uint8_t modes)
{
    if (modes & kModeAugmentative)
        return kPanoramaAugmentative;
    if (modes & kModeAbsolute)
        return kPanoramaAbsolute;
    return kPanoramaBuildup;
}

bool ParseWholeNumber(const std::string& text, int32_t& value)
{
    const std::string t = Trim(text);
    size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        negative = t[i] == '-';
        ++i;
    }
    if (i >= t.size())
        return false;
    int64_t v = 0;
    for (; i < t.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(t[i])))
            return false;
        v = v * 10 + (t[i] - '0');
        if (v > int64_t(std::numeric_limits<int32_t>::max()) + 1)
            return false;
    }
    v = negative ? -v : v;
    if (v > std::numeric_limits<int32_t>::max() || v < std::numeric_limits<int32_t>::min())
        return false;
    value = static_cast<int32_t>(v);
    return true;
}

bool AcceptQuickMove(const std::string& text, int32_t current, int32_t lowest, int32_t highest, int32_t& value)
{
    int32_t v = 0;
    if (!ParseWholeNumber(text, v) || v == current || v < lowest || v > highest)
        return false;
    value = v;
    return true;
}

// ---- clipboard ----

std::string PredictionEntry(int32_t id, const TShortIntArray& finalOrder, int32_t requested)
{
    TShortIntArray top(finalOrder.begin(),
                       finalOrder.begin() +
                           std::ptrdiff_t(std::min(finalOrder.size(), size_t(std::max(requested, 0)))));
    std::sort(top.begin(), top.end());
    std::string numbers;
    for (size_t i = 0; i < top.size(); ++i) {
        if (i > 0)
            numbers += ' ';
        numbers += Format("%.2d", int(top[i]));
    }
    return Format("JUX %.9d : %s", id, numbers.c_str()) + "\n\r\n\r";
}

std::string PredictionsText(const TPanoramaGrid& grid, const TPanoramaSource& source, int32_t requested,
                            const TGridRect& selection)
{
    std::string text;
    for (int32_t col = selection.Left; col <= selection.Right; ++col)
        for (int32_t row = selection.Top; row <= selection.Bottom; ++row) {
            const int32_t id = CellID(grid, col, row);
            if (id <= 0)
                continue;
            if (const TShortIntArray* order = source.FinalOrder(id))
                text += PredictionEntry(id, *order, requested);
        }
    return text;
}

std::vector<int32_t> ColumnIDs(const TPanoramaGrid& grid, int32_t col)
{
    std::vector<int32_t> ids;
    for (int32_t row = TPanoramaGrid::kFixedRows; row < grid.RowCount; ++row) {
        const int32_t id = CellID(grid, col, row);
        if (id <= 0)
            break;
        ids.push_back(id);
    }
    return ids;
}

void SelectionIDs(const TPanoramaGrid& grid, const TGridRect& selection, TIntegerStore& ids)
{
    ids.Clear();
    ids.SetOrder(TIntegerStore::kAscending);
    for (int32_t col = selection.Left; col <= selection.Right; ++col)
        for (int32_t row = selection.Top; row <= selection.Bottom; ++row) {
            const int32_t id = CellID(grid, col, row);
            if (!ids.ContainsInt(id))
                ids.AddInt(id);
        }
}

// ---- menus ----

TPanoramaPopupState PanoramaPopupState(const TPanoramaGrid& grid, const TGridRect& selection,
                                       const TIntegerStore& userList)
{
    TPanoramaPopupState s;
    if (selection.IsEmpty())
        return s;
    if (selection.IsSingleCell()) {
        s.CellId = CellID(grid, selection.Left, selection.Top);
        if (s.CellId > 0) {
            const bool listed = userList.ContainsInt(s.CellId);
            s.AddVisible = !listed;
            s.RemoveVisible = listed;
            if (listed)
                s.RemoveCaption = Format("Remove %d from JUX list", s.CellId);
            else
                s.AddCaption = Format("Add %d to JUX list", s.CellId);
        }
    }
    if (selection.Left == selection.Right && CellID(grid, selection.Left, TPanoramaGrid::kFixedRows) > 0) {
        s.BrowseEnabled = true;
        s.BrowseColumn = selection.Left;
        s.BrowseCaption = Format("Browse %d category", selection.Left);
    }
    return s;
}

TTablePopupState TablePopupState(const TIntegerStore& userList, const TIntegerStore& browseList, int32_t currentJUX,
                                 bool currentExists)
{
    TTablePopupState s;
    const bool haveList = !userList.IsEmpty();
    s.BrowseListVisible = haveList && browseList.IsEmpty();
    s.ClearListVisible = haveList;
    s.ExportListVisible = haveList;
    const bool listed = userList.ContainsInt(currentJUX);
    s.AddVisible = currentExists && !listed;
    s.RemoveVisible = currentExists && listed;
    s.ExportDetailsVisible = currentJUX > 0;
    return s;
}

// ---- captions ----

std::string TestingText(int32_t tablesComputed) { return Format("Currently testing JUX %d", tablesComputed); }

std::string ProgressStripText(uint8_t runState, int32_t tablesComputed)
{
    if (runState == PAUSED)
        return Format("Paused after JUX %d", tablesComputed);
    return TestingText(tablesComputed);
}

std::string FinalResultsText(int32_t tablesComputed)
{
    return Format("Displaying final prediction results (%d JUXs tested)", tablesComputed);
}

std::string RequestedText(int32_t requested, int32_t poolSize)
{
    return Format("%d numbers requested out of %d", requested, poolSize);
}

const char* RunButtonCaption(uint8_t runState)
{
    switch (runState) {
    case STARTED: return "Pause";
    case PAUSED: return "Resume";
    case FINISHED: return "Close";
    default: return nullptr;
    }
}
