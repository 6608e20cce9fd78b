// Where the date and the drawn numbers stand in a text file of draws: either
// among the integers of each line, or in the columns of a delimited file.
// A plain value: written to a game's options file and read back, so that the
// layout that worked for a lottery's file is used again for its next one.
#pragma once

#include <string>
#include <vector>

// Fields of a row beyond this are not kept; no draw layout reaches them.
constexpr int kMaxImportColumns = 256;

struct TImportLayout {
    enum class TKind { Auto, Integers, Columns };

    // Auto: the analysis chooses everything. Integers or Columns with their
    // positions left at 0: the analysis finds those. A delimiter left at 0 is
    // the one that splits the file's lines alike.
    TKind Kind = TKind::Auto;
    // 0 .. 7 (kImportDateFormats); -1: the format that reads the date column best.
    int DateType = -1;

    // Integers of each line, 1-based positions; DateStart 0 = no date.
    int DateStart = 0;
    int NumbersStart = 0;

    // Columns of a delimited file, 1-based.
    char Delimiter = 0; // ',', ';', '\t', '|'; 0: the one that splits the file
    int DateColumn = 0; // 0: none
    std::vector<int> Field1Columns;
    // Empty in a game with two fields: field 2 takes the integers that follow
    // field 1's in its own columns (one column holding all six numbers).
    std::vector<int> Field2Columns;
    // Tells apart the draws of one date (main draw first); -1: found by the
    // extraction, 0: none.
    int SequenceColumn = -1;

    // Whether nothing is left for the analysis to find.
    bool Complete(bool dated) const;

    // One line of JSON, e.g. {"kind":"columns","delimiter":";","date_column":4,...}.
    std::string ToText() const;
    // False (and `layout` untouched) for text that is not a valid layout.
    static bool FromText(const std::string& text, TImportLayout& layout);

    bool operator==(const TImportLayout&) const = default;
};

// The delimiters a file may use, and their names: "comma", "semicolon", "tab", "vertical bar".
inline constexpr char kImportDelimiters[] = {',', ';', '\t', '|'};
const char* ImportDelimiterName(char delimiter);

// "5-10,12" -> {5,6,7,8,9,10,12}; false for anything else or a column out of
// 1..kMaxImportColumns.
bool ParseImportColumns(const std::string& text, std::vector<int>& columns);
// {5,6,7,8,9,10,12} -> "5-10,12".
std::string ImportColumnsText(const std::vector<int>& columns);
