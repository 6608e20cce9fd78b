// What the analysis display shows, worked out without a window: the panorama
// grid's texts and colours, cell IDs, the improvement ratio text, the limits
// of the requested numbers, clipboard texts and the rules of both pop-up menus.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/Stores.h"
#include "data/Types.h"
#include "engine/BestLists.h"
#include "models/Palette.h"

class TJUXEngine;

// Panorama modes, the entries of the mode combo box.
constexpr int32_t kPanoramaAugmentative = 0;
constexpr int32_t kPanoramaAbsolute = 1;
constexpr int32_t kPanoramaBuildup = 2;

// What the panorama reads of a run; the engine answers it in the program,
// tests may answer it with made-up tables.
class TPanoramaSource {
public:
    virtual ~TPanoramaSource() = default;
    virtual int32_t TestedDraws() const = 0;
    virtual int32_t PoolSize() const = 0;
    // K, the hit width.
    virtual int32_t HitWidth() const = 0;
    virtual int32_t TablesComputed() const = 0;
    // Null outside the lists.
    virtual const TCategoryList* CategoryList(int32_t requested, int32_t category, int32_t mode) const = 0;
    // Null when no live table has the ID.
    virtual const TShortIntArray* FinalOrder(int32_t id) const = 0;
    // HitHistogram(top, exact, 0, 1) with K + 1 entries; false without a table.
    virtual bool HitHistogram(int32_t id, int32_t top, bool exact, TIntArray& h) const = 0;
    virtual long double HitProbability(int32_t i, int32_t j) const = 0;
};

// What the engine sources of the display answer for a live table: null or
// false when no live table has the ID.
const TShortIntArray* EngineFinalOrder(const TJUXEngine& engine, int32_t id);
bool EngineHitHistogram(const TJUXEngine& engine, int32_t id, int32_t top, bool exact, TIntArray& h);

class TEnginePanoramaSource : public TPanoramaSource {
public:
    explicit TEnginePanoramaSource(const TJUXEngine& engine) : engine_(engine) {}
    int32_t TestedDraws() const override;
    int32_t PoolSize() const override;
    int32_t HitWidth() const override;
    int32_t TablesComputed() const override;
    const TCategoryList* CategoryList(int32_t requested, int32_t category, int32_t mode) const override;
    const TShortIntArray* FinalOrder(int32_t id) const override;
    bool HitHistogram(int32_t id, int32_t top, bool exact, TIntArray& h) const override;
    long double HitProbability(int32_t i, int32_t j) const override;

private:
    const TJUXEngine& engine_;
};

// The panorama grid's texts: column 0 and rows 0 .. 2 are headers, row r >= 3
// holds the (r - 2)-th ID of each column's list.
struct TPanoramaGrid {
    static constexpr int32_t kFixedRows = 3;

    int32_t ColCount = 0;
    int32_t RowCount = 0;
    std::vector<std::string> Cells; // row by row

    void SetSize(int32_t cols, int32_t rows);
    // Empty outside the grid.
    const std::string& Cell(int32_t col, int32_t row) const;
    void SetCell(int32_t col, int32_t row, const std::string& text);
};

// A rectangle of grid cells, inclusive, 0-based like the grid.
struct TGridRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = -1;
    int32_t Bottom = -1;
    bool IsSingleCell() const { return Left == Right && Top == Bottom; }
    bool IsEmpty() const { return Right < Left || Bottom < Top; }
};

// "%d- %d" rows and their statistics, the ranked IDs with "+" on the last row
// when the list holds more. Raises "INTERNAL ERROR : Cannot find req. JUX ID %d"
// when a list's first ID has no table; the columns before stay filled.
void BuildPanorama(const TPanoramaSource& source, int32_t requested, int32_t mode, int32_t rows, TPanoramaGrid& grid);

// The first run of decimal digits of the text (saturating), 0 without one.
int32_t IDFromText(const std::string& text);
// 0 for header cells, empty cells and cells outside the grid.
int32_t CellID(const TPanoramaGrid& grid, int32_t col, int32_t row);

// n / (T p), or T p / n when inverted, with fewer decimals as it grows;
// 0 when T, n or p leave nothing to compare; "-ERROR-" when it cannot be
// formatted.
std::string ImprovementRatioText(int32_t n, int32_t testedDraws, long double p, bool inverted);

// How many of the first `requested` numbers of the final order are compare numbers.
int32_t CompareMatches(const TShortIntArray& finalOrder, int32_t requested, const TShortIntArray& compareNums);

// The colour the panorama paints a cell with.
struct TPanoramaPalette {
    const TIntegerStore* UserList = nullptr;
    const TShortIntArray* CompareNums = nullptr;
    uint32_t FixedColor = RGBColor(240, 240, 240);
};
uint32_t PanoramaCellColor(const TPanoramaGrid& grid, const TPanoramaSource& source, int32_t requested,
                           const TPanoramaPalette& palette, int32_t col, int32_t row);

// Requested numbers: the lowest and highest values "-", "+" and the quick
// move accept, and the start value of a run on a field drawing `drawnCount`.
int32_t LowestRequested(int32_t minReq);
int32_t HighestRequested(int32_t maxReq, int32_t poolSize);
int32_t InitialRequested(int32_t drawnCount, int32_t minReq, int32_t maxReq);
// The mode a run starts with, from the option bits.
int32_t InitialPanoramaMode(uint8_t modes);

// A whole number, surrounding blanks ignored; false for anything else.
bool ParseWholeNumber(const std::string& text, int32_t& value);
// The quick-move rule: a whole number in lowest .. highest other than current.
bool AcceptQuickMove(const std::string& text, int32_t current, int32_t lowest, int32_t highest, int32_t& value);

// "JUX %.9d : 01 05 33" followed by LF CR LF CR.
std::string PredictionEntry(int32_t id, const TShortIntArray& finalOrder, int32_t requested);
// Entries of every selected cell naming a live table, column by column.
std::string PredictionsText(const TPanoramaGrid& grid, const TPanoramaSource& source, int32_t requested,
                            const TGridRect& selection);

// IDs of column `col` from row 3 down to the first cell without one.
std::vector<int32_t> ColumnIDs(const TPanoramaGrid& grid, int32_t col);
// The ascending store of the selected cells' IDs, each once; header and empty
// cells give 0.
void SelectionIDs(const TPanoramaGrid& grid, const TGridRect& selection, TIntegerStore& ids);

struct TPanoramaPopupState {
    bool AddVisible = false;
    std::string AddCaption = "Add to favorite JUX list";
    bool RemoveVisible = false;
    std::string RemoveCaption = "Remove from favorite JUX list";
    bool BrowseEnabled = false;
    std::string BrowseCaption = "Browse category";
    int32_t CellId = 0;       // the single cell's ID
    int32_t BrowseColumn = 0; // the column "Browse category" walks
};
TPanoramaPopupState PanoramaPopupState(const TPanoramaGrid& grid, const TGridRect& selection,
                                       const TIntegerStore& userList);

struct TTablePopupState {
    bool BrowseListVisible = false;
    bool ClearListVisible = false;
    bool ExportListVisible = false;
    bool AddVisible = false;
    bool RemoveVisible = false;
    bool ExportDetailsVisible = false;
};
TTablePopupState TablePopupState(const TIntegerStore& userList, const TIntegerStore& browseList, int32_t currentJUX,
                                 bool currentExists);

// Captions of the progress strip and the requested-numbers labels.
std::string TestingText(int32_t tablesComputed);
// The progress strip by run state: a paused run says so rather than claiming
// to be testing; otherwise TestingText.
std::string ProgressStripText(uint8_t runState, int32_t tablesComputed);
std::string FinalResultsText(int32_t tablesComputed);
std::string RequestedText(int32_t requested, int32_t poolSize);
// "Pause", "Resume", "Close"; null when the state leaves the caption as it is.
const char* RunButtonCaption(uint8_t runState);
