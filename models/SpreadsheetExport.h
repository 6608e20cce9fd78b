// The spreadsheet export of table details: the tested history of JUX tables
// written as an .xlsx workbook, one worksheet per table, newest draw first,
// with the ranks that hit each draw filled green and a row of hit counts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/Stores.h"
#include "models/Palette.h"

class TJUXEngine;
class TJUXClass;

// Cell colours as 0xRRGGBB.
constexpr uint32_t kSheetTitleColor = SheetRGB(kTeal);
constexpr uint32_t kSheetDrawColor = SheetRGB(kSkyBlue);
constexpr uint32_t kSheetHitColor = SheetRGB(kGreen);

// What one table's worksheet shows, worked out before anything is written.
// Rows are the tested draws, newest first.
struct TJUXSheet {
    int32_t Id = 0;
    std::string Name;  // "JUX %d"
    std::string Title; // cell (1, 1), Windows-1252
    int32_t PoolSize = 0;
    std::vector<std::string> DrawTexts; // column 1 of each draw row, Windows-1252
    // Row-major, PoolSize per draw row: the ball at each rank (-1, a blank
    // cell, when the row holds no valid number there) and whether the draw
    // holds it.
    std::vector<int32_t> Balls;
    std::vector<uint8_t> Hits;
    // Per rank: the draw rows that hit it.
    std::vector<int32_t> Counts;
};

// The sheet of `table` from the engine's run and its options' game.
TJUXSheet BuildJUXSheet(const TJUXEngine& engine, const TJUXClass& table, const std::string& fieldCaption);

// The caption of the analysed field of the engine's run, from the game.
std::string AnalysedFieldCaption(const TJUXEngine& engine);

// Writes the workbook on construction. Every ID of `ids` that names a live
// table gets a sheet; each new sheet goes before the previous ones, so the
// workbook lists them in reverse order of the store. The file appears under
// its name only once complete, through TSafeSave (never over one of
// `inputs`); on failure nothing is left behind and an Exception naming the
// file is raised.
class TJUXToEXCEL {
public:
    TJUXToEXCEL(const TJUXEngine& engine, const TIntegerStore& ids, const std::string& fieldCaption,
                const std::string& fileName, const std::vector<std::string>& inputs = {});

    const std::string& FieldCaption() const { return fieldCaption_; }
    // The table IDs of the sheets, in workbook order.
    const std::vector<int32_t>& SheetIds() const { return sheetIds_; }

private:
    std::string fieldCaption_;
    std::vector<int32_t> sheetIds_;
};

// "Cannot write the workbook" with the file (as given) and the reason.
std::string WorkbookFailureText(const std::string& fileName, const std::string& reason);

// The display's entry point: runs the export and shows a failure as an error
// message. False when nothing was written.
bool ExportToSpreadsheet(const TJUXEngine& engine, const TIntegerStore& ids, const std::string& fieldCaption,
                         const std::string& fileName);
