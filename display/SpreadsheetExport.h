// The spreadsheet export of table details: the one entry point both popups of
// the display frame call. The workbook writer plugs in behind it.
#pragma once

#include <string>

#include "data/Stores.h"

class TJUXEngine;

// Writes one sheet per live table of `ids` (IDs without a table are skipped)
// to `fileName`, headed with the analysed field's caption.
void ExportToSpreadsheet(const TJUXEngine& engine, const TIntegerStore& ids, const std::string& fieldCaption,
                         const std::string& fileName);
