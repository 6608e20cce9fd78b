// Delimited text read as columns: the delimiter that splits a file's lines
// alike, its fields with RFC 4180 quoting (libcsv), and what one field holds
// for the import: integers, the parts of a date, or neither.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/ImportLayout.h"

// A longer field is kept cut and yields nothing: no draw field is that long.
constexpr size_t kMaxImportFieldBytes = 4096;
// A quoted field may run over this many lines; a quote still open after them
// was never closed, and its line is left out.
constexpr int kMaxImportQuotedLines = 8;
// Integers one field may yield; more make it a list of something else.
constexpr int kMaxFieldIntegers = 64;

// The rows of a delimited file. Rows keep their file line; blank lines are left out.
class TImportTable {
public:
    char Delimiter = 0;
    // The field count most rows share (at most kMaxImportColumns).
    int Columns = 0;
    // 0-based row whose fields name the columns; -1 none.
    int HeaderRow = -1;
    // Lines whose opening quote never closes (the first few) and their count.
    std::vector<int> QuoteLines;
    int QuoteCount = 0;

    size_t Rows() const { return rowLine_.size(); }
    // Fields kept for the row (more than kMaxImportColumns are not kept).
    int Fields(size_t row) const { return static_cast<int>(rowStart_[row + 1] - rowStart_[row]); }
    // 1-based line of the file the row starts on.
    int Line(size_t row) const { return static_cast<int>(rowLine_[row]); }
    // 0-based column; empty past the row's end.
    std::string_view Cell(size_t row, int column) const;
    // Whether the field was longer than kMaxImportFieldBytes.
    bool Cut(size_t row, int column) const;
    // Whether the row holds a digit anywhere.
    bool HasDigits(size_t row) const { return rowDigits_[row] != 0; }
    // The header's name of a 0-based column; "" without a header.
    std::string ColumnName(int column) const;

private:
    friend class TImportTableWriter;
    std::string text_;
    std::vector<uint32_t> cellStart_{0}; // per kept field its start in text_; one more at the end
    std::vector<uint32_t> rowStart_{0};  // per row its first field; one more at the end
    std::vector<uint32_t> rowLine_;
    std::vector<uint8_t> rowDigits_;
    std::vector<uint32_t> cut_; // fields that were cut, ascending
};

// The delimiter that splits most of the text's lines into the same number of
// fields (at least two), or 0 when none does.
char DetectDelimiter(const std::string& text);

// Splits the text into rows of fields; finds the column count and the header.
// False with a reason when the text holds more than maxRows rows.
bool SplitColumns(const std::string& text, char delimiter, TImportTable& table, size_t maxRows, std::string& error);

// The integers of a field holding only integers: one ("14", "14.0", "-3"),
// several ("{4,9,22}", "10 13 14 22 52 11", "4-9-22+7", "2019.03.15.") or none
// (empty, "-"). False for anything else: letters, hexadecimal identifiers,
// times, fractions, amounts with thousands separators ("1.714.650,23").
// Values are saturated to the 32-bit range.
bool ReadFieldIntegers(std::string_view field, std::vector<int32_t>& out);

// The integers a date field is written with: day, month and year in the
// file's order (month names count as their number, weekday words and a
// trailing time are left out), or one integer (20190315). Count 0 when the
// field cannot be a date (letters inside numbers, more than three integers).
struct TDateParts {
    uint32_t Values[3] = {0, 0, 0};
    uint8_t Wide[3] = {0, 0, 0}; // written with more than two digits
    int Count = 0;
};
TDateParts ReadDateParts(std::string_view field);

// The number of a whole English month name or its three-letter abbreviation
// ("Sept" too), 0 for any other word; the word in lower case.
int MonthOfWord(std::string_view lowerWord);
