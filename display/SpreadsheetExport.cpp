// Placeholder of the workbook writer: the display frame already routes both
// of its "Export JUX details to EXCEL" entries here.
#include "display/SpreadsheetExport.h"

#include "data/UserDialogs.h"

void ExportToSpreadsheet(const TJUXEngine&, const TIntegerStore&, const std::string&, const std::string&)
{
    // The workbook writer replaces this body.
    ShowInfo("This function is not available yet.");
}
