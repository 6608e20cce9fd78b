// What the JUX Table page shows of one table, worked out without a window:
// the "Hits Produced" and "Predicted Numbers" grids with their colours, the
// clipboard copies of the prediction, the series of the hits and delay charts,
// and the delay chart's pop-up menu.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/Types.h"
#include "models/NiceChartGeometry.h"

class TJUXEngine;

// What the page reads of a run; the engine answers it in the program.
class TTableSource {
public:
    virtual ~TTableSource() = default;
    virtual int32_t TestedDraws() const = 0;
    virtual int32_t PoolSize() const = 0;
    virtual int32_t HitWidth() const = 0; // K
    // Null when no live table has the ID.
    virtual const TShortIntArray* FinalOrder(int32_t id) const = 0;
    // HitHistogram(top, exact, 0, 1) with K + 1 entries; false without a table.
    virtual bool HitHistogram(int32_t id, int32_t top, bool exact, TIntArray& h) const = 0;
    // Hits of tested draw `row` (1 .. T) among the top `top`; 0 without a table.
    virtual int32_t HitsWithin(int32_t id, int32_t row, int32_t top) const = 0;
    virtual long double HitProbability(int32_t i, int32_t j) const = 0;
};

class TEngineTableSource : public TTableSource {
public:
    explicit TEngineTableSource(const TJUXEngine& engine) : engine_(engine) {}
    int32_t TestedDraws() const override;
    int32_t PoolSize() const override;
    int32_t HitWidth() const override;
    const TShortIntArray* FinalOrder(int32_t id) const override;
    bool HitHistogram(int32_t id, int32_t top, bool exact, TIntArray& h) const override;
    int32_t HitsWithin(int32_t id, int32_t row, int32_t top) const override;
    long double HitProbability(int32_t i, int32_t j) const override;

private:
    const TJUXEngine& engine_;
};

// The display's settings the page is drawn with.
struct TTableView {
    int32_t CurrentJUX = 0;
    int32_t TableRequested = 0;
    bool Absolute = false; // "Absolute category hits"
    int32_t LookAhead = 5;
    int32_t DelayCategory = 0; // 0 = every category
    uint8_t DelayMode = 0;     // 0 summary, 1 actual delays
};

// How a grid cell is coloured; the window maps these to its palette.
enum class TCellColour { Fixed, Sky, Money, Green, Yellow };
const char* CellColourName(TCellColour colour); // "fixed", "sky", ...
uint32_t CellColourRGB(TCellColour colour, uint32_t fixedColor);

struct TTextGrid {
    int32_t ColCount = 0;
    int32_t RowCount = 0;
    std::vector<std::string> Cells;   // row by row
    std::vector<TCellColour> Colours; // same shape
    void SetSize(int32_t cols, int32_t rows);
    const std::string& Cell(int32_t col, int32_t row) const;
    TCellColour Colour(int32_t col, int32_t row) const;
    void Set(int32_t col, int32_t row, const std::string& text);
    void SetColour(int32_t col, int32_t row, TCellColour colour);
};

struct TSeriesSpec {
    std::string Title = "Series";
    TSeriesKind Kind = TSeriesKind::Line;
    std::vector<std::pair<double, double>> Points;
};

struct TChartSpec {
    std::string XTitle;
    std::string YTitle;
    bool Legend = false;
    std::vector<TSeriesSpec> Series;
};

// Labels of the four rows of "Hits Produced", as the panorama names its own.
std::vector<std::string> SuccessRowLabels();

struct TTablePage {
    bool Exists = false;
    int32_t Categories = 0; // Ct
    std::string RequestedLabel;
    TTextGrid Success; // sgSuccess, 4 rows
    std::string PredictCaption;
    TTextGrid Predict; // sgPredict, row 0 and column 0 are headers
    std::string ClipboardSorted;
    std::string ClipboardOriginal;
    TChartSpec Hits;
    TChartSpec Delay;
};

constexpr const char* kTableGone = "Selected JUX has not been computed or eliminated by the process";

// Everything the page shows; `compareNums` are the options' compare numbers.
TTablePage BuildTablePage(const TTableSource& source, const TTableView& view, const TShortIntArray& compareNums);

// "Tested Draws (blue line averaged on %d future draws)".
std::string HitsAxisTitle(int32_t lookAhead);
// " Predicted numbers for next draw " with "(compare to 03 07 41)" appended.
std::string PredictCaption(const TShortIntArray& compareNums);
// The copy of the first `requested` predicted numbers, read back from the grid.
std::string PredictionCopy(const TTextGrid& predict, int32_t requested, bool sorted);

// The delay chart's pop-up menu, rebuilt each time it opens.
struct TDelayMenuEntry {
    enum TKind { Category, Overall, Separator, ToggleMode } Kind = Category;
    std::string Caption;
    int32_t Value = 0; // the category of a Category entry
};
// Sets the category to 1 when there is only one.
std::vector<TDelayMenuEntry> BuildDelayMenu(int32_t categories, int32_t& delayCategory, uint8_t delayMode);
// What choosing an entry does to the settings.
void ApplyDelayMenuEntry(const TDelayMenuEntry& entry, int32_t& delayCategory, uint8_t& delayMode);

// The look-ahead query's rule: a whole number v with 0 < v < T / 2.
bool AcceptLookAhead(const std::string& text, int32_t testedDraws, int32_t& value);
// What a refused look-ahead is told: the values the rule accepts.
std::string LookAheadRangeText(int32_t testedDraws);
// The table's requested numbers: "-" stops at 1, "+" and the quick move at PoolSize - 1.
constexpr int32_t kLowestTableRequested = 1;
inline int32_t HighestTableRequested(int32_t poolSize) { return poolSize - 1; }
