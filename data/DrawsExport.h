// The draws history as a plain text file: the lines the draws editor and
// `jux-cli export-draws` write (a header, then one line per draw, or per
// day in a dated game).
#pragma once

#include <string>
#include <vector>

#include "data/GameModel.h"

inline constexpr const char* kExportProductName = "J.U.X. Engine 2.3b";
inline constexpr const char* kNoDrawsToExport = "No draws history to export.";

// Width of the zero-padded line numbers: the decimal digits of the count.
int ExportNumberWidth(int drawCount);
// One draw's balls: field 1, then field 2 after a blank, two digits each.
std::string ExportBallsText(const TDraw& draw, int fieldCount);
// Every line of the export, without line ends. Dates use the user's order
// and separator, without weekday.
std::vector<std::string> DrawsExportLines(const TDrawClass& draws, const std::string& gameName);
// The lines joined, each ended by "\n".
std::string DrawsExportText(const TDrawClass& draws, const std::string& gameName);
// Writes the text to path through TSafeSave, never over one of `inputs`. On
// failure answers false with the reason in error.
bool WriteDrawsExport(const std::string& path, const TDrawClass& draws, const std::string& gameName, std::string& error,
                      const std::vector<std::string>& inputs = {});
inline constexpr const char* kExportOverGameFile = "The draws cannot be exported over their own game file.";
