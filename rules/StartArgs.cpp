// Parsing of the desktop application's command line.
#include "rules/StartArgs.h"

#include "data/Types.h"

TStartArgs ParseStartArgs(const std::vector<std::string>& args)
{
    TStartArgs a;
    auto fail = [&](const std::string& message) {
        a.Error = message;
        return a;
    };
    bool pageGiven = false, gameGiven = false, tablesGiven = false, tableGiven = false, chartGiven = false;
    bool importGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        const bool known = name == "--screenshot" || name == "--page" || name == "--game" || name == "--tables" ||
                           name == "--table" || name == "--chart" || name == "--import";
        if (!known)
            return fail("unknown argument '" + name + "'");
        if (i + 1 >= args.size() || args[i + 1].empty())
            return fail("option " + name + " needs a value");
        const std::string value = args[++i];
        if (name == "--screenshot") {
            if (a.Screenshot)
                return fail("option --screenshot given twice");
            a.Screenshot = true;
            a.File = value;
        } else if (name == "--page") {
            if (pageGiven)
                return fail("option --page given twice");
            if (value != "main" && value != "options" && value != "analysis" && value != "table" && value != "editor" &&
                value != "editor-field2" && value != "import")
                return fail("--page must be main, options, analysis, table, editor, editor-field2 or import");
            pageGiven = true;
            a.Page = value;
        } else if (name == "--game") {
            if (gameGiven)
                return fail("option --game given twice");
            gameGiven = true;
            a.Game = value;
        } else if (name == "--import") {
            if (importGiven)
                return fail("option --import given twice");
            importGiven = true;
            a.Import = value;
        } else if (name == "--table") {
            if (tableGiven)
                return fail("option --table given twice");
            tableGiven = true;
            int32_t n = 0;
            try {
                n = StrToInt(value);
            } catch (const EConvertError&) {
                n = 0;
            }
            if (n < 1)
                return fail("--table must be a table ID from 1 to 2147483647");
            a.Table = n;
        } else if (name == "--chart") {
            if (chartGiven)
                return fail("option --chart given twice");
            if (value != "hits" && value != "delay")
                return fail("--chart must be hits or delay");
            chartGiven = true;
            a.Chart = value;
        } else {
            if (tablesGiven)
                return fail("option --tables given twice");
            tablesGiven = true;
            int32_t n = 0;
            try {
                n = StrToInt(value);
            } catch (const EConvertError&) {
                n = 0;
            }
            if (n < 1 || n > 999999999)
                return fail("--tables must be a number from 1 to 999999999");
            a.Tables = n;
        }
    }
    if ((pageGiven || gameGiven || tablesGiven) && !a.Screenshot)
        return fail("--page, --game and --tables need --screenshot");
    if (importGiven && !a.Screenshot)
        return fail("--import needs --screenshot");
    if ((a.Page == "import") != importGiven || (importGiven && !gameGiven))
        return fail("--page import goes with --import FILE and --game");
    if (tablesGiven && !gameGiven)
        return fail("--tables needs --game");
    if ((tableGiven || chartGiven) && a.Page != "table")
        return fail("--table and --chart need --page table");
    return a;
}
