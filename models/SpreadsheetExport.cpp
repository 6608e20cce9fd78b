// The workbook is written directly with libxlsxwriter; no spreadsheet
// application is needed. The sheet contents are worked out first, so that
// the hit counts and column widths come from the same data as the cells.
#include "models/SpreadsheetExport.h"

#include <algorithm>
#include <array>
#include <memory>

#include <xlsxwriter.h>

#include "data/GameModel.h"
#include "data/TextCodec.h"
#include "data/UserDialogs.h"
#include "engine/GameOptions.h"
#include "engine/JUXEngine.h"
#include "platform/SafeSave.h"

namespace {

const char* const kCountLabel = "Exact hits in each #X column";

// Balls lie in 0 .. 99; anything else is simply never drawn.
constexpr int32_t kBallSlots = 128;

} // namespace

std::string AnalysedFieldCaption(const TJUXEngine& engine)
{
    const TDrawClass* game = engine.Options().Game;
    if (!game)
        return {};
    // A bonus field is analysed as field 1 with the bonus balls counted in.
    const int32_t field = engine.Context.CombinedSecondField ? 2 : engine.Context.AnalysedField;
    return FieldCaption(game->GameInfo(), field);
}

TJUXSheet BuildJUXSheet(const TJUXEngine& engine, const TJUXClass& table, const std::string& fieldCaption)
{
    const TRunContext& c = engine.Context;
    const TGameOptions& options = engine.Options();
    const TDrawClass* game = options.Game;
    const int32_t drawCount = game ? game->DrawCount() : 0;
    // A table holds at least T rows; the clamp only guards a damaged import.
    const int32_t tested = std::clamp(c.TestedDraws, 0, table.Rows());
    const int32_t pool = table.PoolSize();

    TJUXSheet s;
    s.Id = table.Id;
    s.Name = Format("JUX %d", table.Id);
    s.Title = Format("%s | %d draws|TD %d|SD %d|SP %d (RF %d)", fieldCaption.c_str(), drawCount, c.TestedDraws,
                     c.StatWindow, options.StartPoint, options.RunFactorOverhead);
    s.PoolSize = pool;
    s.DrawTexts.resize(size_t(tested));
    s.Balls.assign(size_t(tested) * size_t(pool), -1);
    s.Hits.assign(size_t(tested) * size_t(pool), 0);
    s.Counts.assign(size_t(pool), 0);

    std::array<bool, kBallSlots> drawn{};
    for (int32_t t = 0; t < tested; ++t) {
        const int32_t position = drawCount - t;
        drawn.fill(false);
        if (game && position >= 1) {
            s.DrawTexts[size_t(t)] = game->DrawToText(position);
            TShortIntArray balls = game->GetDrawNumbers(position, c.AnalysedField);
            if (c.CombinedSecondField) {
                balls.resize(std::min(balls.size(), size_t(std::max(c.DrawnCount, 0))));
                const TShortIntArray second = game->GetDrawNumbers(position, 2);
                balls.insert(balls.end(), second.begin(), second.end());
            }
            for (int8_t b : balls)
                if (b >= 0 && b < kBallSlots)
                    drawn[size_t(b)] = true;
        }
        const int8_t* order = table.RowOrder(table.Rows() - 1 - t);
        for (int32_t i = 0; i < pool; ++i) {
            const int32_t number = order ? order[i] : 0;
            if (number < 1 || number > pool)
                continue;
            const int32_t ball = c.BallOf(number);
            const size_t cell = size_t(t) * size_t(pool) + size_t(i);
            s.Balls[cell] = ball;
            if (ball >= 0 && ball < kBallSlots && drawn[size_t(ball)]) {
                s.Hits[cell] = 1;
                s.Counts[size_t(i)] += 1;
            }
        }
    }
    return s;
}

namespace {

// Width of a text in column units (the width of a "0" in the default 11 pt
// font), from typical proportional glyph widths, plus the cell margins:
// what fitting a column to its content gives.
double TextWidth(const std::string& text, double points)
{
    double px = 0;
    for (unsigned char ch : text) {
        if (ch >= '0' && ch <= '9')
            px += 7;
        else if (ch == ' ' || ch == '.' || ch == ',' || ch == ':' || ch == ';' || ch == '|' || ch == '!' ||
                 ch == '\'' || ch == 'i' || ch == 'l' || ch == 'j' || ch == 'I')
            px += 3;
        else if (ch == '(' || ch == ')' || ch == '-' || ch == '/' || ch == 'f' || ch == 't' || ch == 'r')
            px += 4;
        else if (ch == 'm' || ch == 'w' || ch == 'M' || ch == 'W' || ch == '#' || ch == '%')
            px += 10;
        else if (ch >= 'A' && ch <= 'Z')
            px += 8;
        else
            px += 7;
    }
    px *= points / 11.0;
    return px / 7.0 + 1.0;
}

std::string NumberText(int32_t n) { return std::to_string(n); }

// The formats of one workbook.
struct TSheetFormats {
    lxw_format* column = nullptr; // every cell is centred vertically
    lxw_format* title = nullptr;
    lxw_format* draw = nullptr;
    lxw_format* rank = nullptr;
    lxw_format* hit = nullptr;
    lxw_format* countLabel = nullptr;
    lxw_format* count = nullptr;

    explicit TSheetFormats(lxw_workbook* wb)
    {
        auto make = [wb](uint8_t align, uint32_t fill, double size) {
            lxw_format* f = workbook_add_format(wb);
            if (!f)
                throw Exception("out of memory");
            format_set_align(f, LXW_ALIGN_VERTICAL_CENTER);
            if (align != LXW_ALIGN_NONE)
                format_set_align(f, align);
            if (fill != LXW_COLOR_UNSET)
                format_set_bg_color(f, lxw_color_t(fill));
            if (size > 0)
                format_set_font_size(f, size);
            return f;
        };
        const uint32_t none = uint32_t(LXW_COLOR_UNSET);
        column = make(LXW_ALIGN_NONE, none, 0);
        title = make(LXW_ALIGN_CENTER, kSheetTitleColor, 8);
        draw = make(LXW_ALIGN_LEFT, kSheetDrawColor, 0);
        rank = make(LXW_ALIGN_CENTER, none, 0);
        hit = make(LXW_ALIGN_CENTER, kSheetHitColor, 0);
        countLabel = make(LXW_ALIGN_RIGHT, kSheetTitleColor, 0);
        count = make(LXW_ALIGN_CENTER, kSheetDrawColor, 0);
    }
};

void Check(lxw_error error)
{
    if (error != LXW_NO_ERROR)
        throw Exception(lxw_strerror(error));
}

void WriteSheet(lxw_workbook* wb, const TSheetFormats& fmt, const TJUXSheet& s)
{
    lxw_worksheet* ws = workbook_add_worksheet(wb, s.Name.c_str());
    if (!ws)
        throw Exception("Cannot add the worksheet " + s.Name);
    const int32_t pool = s.PoolSize;
    const int32_t tested = int32_t(s.DrawTexts.size());

    // Column widths first: the column formats carry the vertical centring.
    const std::string title = Win1252ToUtf8(s.Title);
    double firstWidth = std::max(TextWidth(title, 8), TextWidth(kCountLabel, 11));
    for (const std::string& text : s.DrawTexts)
        firstWidth = std::max(firstWidth, TextWidth(text, 11));
    Check(worksheet_set_column(ws, 0, 0, firstWidth, fmt.column));
    for (int32_t i = 0; i < pool; ++i) {
        double width = std::max(TextWidth(Format("#%.2d", i + 1), 8), TextWidth(NumberText(s.Counts[size_t(i)]), 11));
        for (int32_t t = 0; t < tested; ++t) {
            const int32_t ball = s.Balls[size_t(t) * size_t(pool) + size_t(i)];
            if (ball >= 0)
                width = std::max(width, TextWidth(NumberText(ball), 11));
        }
        Check(worksheet_set_column(ws, lxw_col_t(1 + i), lxw_col_t(1 + i), width, fmt.column));
    }

    Check(worksheet_write_string(ws, 0, 0, title.c_str(), fmt.title));
    for (int32_t i = 0; i < pool; ++i)
        Check(worksheet_write_string(ws, 0, lxw_col_t(1 + i), Format("#%.2d", i + 1).c_str(), fmt.title));
    for (int32_t t = 0; t < tested; ++t) {
        const lxw_row_t row = lxw_row_t(1 + t);
        Check(worksheet_write_string(ws, row, 0, Win1252ToUtf8(s.DrawTexts[size_t(t)]).c_str(), fmt.draw));
        for (int32_t i = 0; i < pool; ++i) {
            const size_t cell = size_t(t) * size_t(pool) + size_t(i);
            lxw_format* f = s.Hits[cell] ? fmt.hit : fmt.rank;
            if (s.Balls[cell] < 0)
                Check(worksheet_write_blank(ws, row, lxw_col_t(1 + i), f));
            else
                Check(worksheet_write_number(ws, row, lxw_col_t(1 + i), s.Balls[cell], f));
        }
    }
    const lxw_row_t last = lxw_row_t(1 + tested);
    Check(worksheet_write_string(ws, last, 0, kCountLabel, fmt.countLabel));
    for (int32_t i = 0; i < pool; ++i)
        Check(worksheet_write_number(ws, last, lxw_col_t(1 + i), s.Counts[size_t(i)], fmt.count));
}

} // namespace

namespace {

struct TWorkbookFree {
    void operator()(lxw_workbook* wb) const { lxw_workbook_free(wb); }
};

} // namespace

TJUXToEXCEL::TJUXToEXCEL(const TJUXEngine& engine, const TIntegerStore& ids, const std::string& fieldCaption,
                         const std::string& fileName, const std::vector<std::string>& inputs)
    : fieldCaption_(fieldCaption)
{
    // Each new sheet goes before the previous ones: collect the live tables
    // in store order, then add their sheets from the last to the first.
    std::vector<const TJUXClass*> tables;
    for (int i = 1; i <= ids.Count(); ++i) {
        int32_t id = 0;
        if (!ids.GetInt(i, id) || id <= 0)
            continue;
        const TJUXClass* table = engine.FindTable(id);
        if (!table || std::find(tables.begin(), tables.end(), table) != tables.end())
            continue;
        tables.push_back(table);
    }
    TSafeSave save(fileName);
    for (const std::string& input : inputs)
        save.AddInput(input);
    std::string failure; // in the path's own bytes
    try {
        if (!save.Begin()) {
            failure = save.Reason();
        } else {
            lxw_workbook_options opts{};
            // The library writes the temporary file by its name.
            std::unique_ptr<lxw_workbook, TWorkbookFree> wb(workbook_new_opt(save.TempPath().c_str(), &opts));
            if (!wb)
                throw Exception(lxw_strerror(LXW_ERROR_MEMORY_MALLOC_FAILED));
            const TSheetFormats formats(wb.get());
            for (auto it = tables.rbegin(); it != tables.rend(); ++it) {
                WriteSheet(wb.get(), formats, BuildJUXSheet(engine, **it, fieldCaption_));
                sheetIds_.push_back((*it)->Id);
            }
            // With no table the workbook still needs its one empty sheet.
            if (tables.empty() && !workbook_add_worksheet(wb.get(), nullptr))
                throw Exception(lxw_strerror(LXW_ERROR_MEMORY_MALLOC_FAILED));
            Check(workbook_close(wb.release()));
            if (!save.Commit())
                failure = save.Reason();
        }
    } catch (const std::exception& e) {
        failure = e.what();
    }
    if (!failure.empty()) {
        sheetIds_.clear();
        throw Exception(PathToText(WorkbookFailureText(fileName, failure)));
    }
}

std::string WorkbookFailureText(const std::string& fileName, const std::string& reason)
{
    return "Cannot write the workbook \"" + fileName + "\". " + reason;
}

bool ExportToSpreadsheet(const TJUXEngine& engine, const TIntegerStore& ids, const std::string& fieldCaption,
                         const std::string& fileName)
{
    try {
        const TJUXToEXCEL exported(engine, ids, fieldCaption, fileName);
    } catch (const std::exception& e) {
        ShowError(e.what());
        return false;
    }
    return true;
}
