// The odds table of a lottery drawing D numbers out of N when S are played:
// its rows, the combined line of the ticked rows and the clipboard text.
// Plain code, so the window, jux-cli and the tests share one computation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Below this a probability is negligible and goes into a tail row.
inline constexpr long double kOddsNegligible = 5e-11L;

inline constexpr const char* kOddsNothingSelected = "No correct numbers selected.";

// Every message the three values fail, in the order they are tested; empty
// when the table can be computed.
std::vector<std::string> ValidateOdds(int32_t N, int32_t D, int32_t S);

struct TOddsRow {
    int32_t Tag = 0;   // k for an ordinary row, -1 for a tail row
    int32_t First = 0; // the counts of correct numbers the row covers
    int32_t Last = 0;
    long double Value = 0.0L; // its probability (the sum for a tail row)
    std::string Caption;      // "%d correct" or "%d to %d correct"
    std::string Label;        // the clipboard's label: "%d" or "%d-%d"
    std::string PercentText;  // "%.10f%%" of Value * 100
    std::string OnceInText;   // "%.2f" of 1 / Value, or "approaches infinity"
};

struct TOddsTable {
    int32_t N = 0;
    int32_t D = 0;
    int32_t S = 0;
    char DecimalSeparator = '.';
    std::vector<TOddsRow> Rows;
};

// The rows for valid values (see ValidateOdds; invalid values give no rows).
// Numbers are written with `decimalSeparator` in place of the point.
TOddsTable ComputeOddsTable(int32_t N, int32_t D, int32_t S, char decimalSeparator = '.');

// The line under the list for the rows whose entry in `ticked` is true.
std::string OddsCombinedLine(const TOddsTable& table, const std::vector<bool>& ticked);

// The whole table as text, every line ending in CR LF.
std::string OddsClipboardText(const TOddsTable& table);

// printf's "%W.Pf" of `value`, independent of the C locale, with `decimalSeparator`
// for the point. Only finite values of moderate size are expected here.
std::string FormatFixed(long double value, int width, int precision, char decimalSeparator);
