// jux-cli export-xlsx: the table details workbook of the display, for tables
// of a fresh run on a game file or of a saved run state.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/AnalyzeOutput.h"
#include "cli/CliText.h"
#include "cli/Commands.h"
#include "cli/GameCli.h"
#include "cli/RunStateCli.h"
#include "data/TextCodec.h"
#include "models/SpreadsheetExport.h"
#include "platform/Paths.h"
#include "platform/SafeSave.h"

namespace {

const char* const kName = "export-xlsx";

bool ParseIds(const std::string& text, TIntegerStore& ids, std::string& error)
{
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string item = text.substr(start, comma - start);
        int32_t v = 0;
        if (!ParseCliInt32(item, v)) {
            error = "--ids needs table IDs separated by commas, not '" + text + "'";
            return false;
        }
        ids.AddInt(v);
        start = comma + 1;
    }
    return true;
}

// The arguments without the one at `skip`.
std::vector<std::string> Without(const std::vector<std::string>& args, size_t skip)
{
    std::vector<std::string> out;
    for (size_t i = 0; i < args.size(); ++i)
        if (i != skip)
            out.push_back(args[i]);
    return out;
}

// Index of the last positional argument, read as TCliArgs reads them.
size_t LastPositional(const std::vector<std::string>& args, const std::vector<std::string>& valueOptions)
{
    size_t last = args.size();
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            const std::string name = a.substr(2);
            if (name.find('=') == std::string::npos &&
                std::find(valueOptions.begin(), valueOptions.end(), name) != valueOptions.end())
                ++i;
        } else {
            last = i;
        }
    }
    return last;
}

int RunExportXlsx(const std::vector<std::string>& args)
{
    std::vector<std::string> valueOptions = analyzecli::AnalyzeValueOptions();
    valueOptions.push_back("ids");
    const TCliArgs a(args, analyzecli::AnalyzeFlags(), valueOptions);
    if (!a.ok())
        return CliUsageError(kName, a.error());
    if (a.positional().size() != 2)
        return CliUsageError(kName, "a game or run state file and the workbook file are needed");
    if (!a.has("ids"))
        return CliUsageError(kName, "--ids is needed");
    if (a.has("dump-table"))
        return CliUsageError(kName, "--dump-table is not an option of export-xlsx");
    TIntegerStore ids;
    std::string error;
    if (!ParseIds(a.value("ids"), ids, error))
        return CliUsageError(kName, error);
    const std::string input = a.positional()[0];
    const std::string out = a.positional()[1];
    const bool json = a.has("json");
    // The workbook replaces its target: naming the source would lose it.
    if (IsSameFile(input, out))
        return CliUsageError(kName, "the workbook cannot replace the file it is exported from, '" + input + "'");
    // A target that cannot be written is refused before the run.
    TSafeSave target(out);
    if (!target.Check()) {
        std::fprintf(stderr, "jux-cli %s: %s\n", kName,
                     clitext::Out(PathToText(WorkbookFailureText(out, target.Reason()))).c_str());
        return kExitFailure;
    }

    TCurrentGame game;
    TGameOptions options;
    TJUXEngine engine(options);
    if (runstatecli::IsRunState(input)) {
        // A file read back computes nothing: the threads do not matter.
        for (const std::string& o : analyzecli::AnalyzeValueOptions())
            if (o != "threads" && a.has(o))
                return CliUsageError(kName, "--" + o + " applies to a game file only");
        TIntegerStore userList;
        if (!runstatecli::LoadState(kName, input, game, options, engine, userList))
            return kExitFailure;
    } else {
        analyzecli::TAnalyzeRequest request;
        if (!analyzecli::ParseAnalyzeArgs(Without(args, LastPositional(args, valueOptions)), request, error, {},
                                          {"ids"}))
            return CliUsageError(kName, error);
        if (!analyzecli::RunGameFile(kName, request, game, options, engine))
            return kExitFailure;
    }

    std::vector<int32_t> sheets;
    try {
        const TJUXToEXCEL done(engine, ids, AnalysedFieldCaption(engine), out, {input});
        sheets = done.SheetIds();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "jux-cli %s: %s\n", kName, Win1252ToUtf8(e.what()).c_str());
        return kExitFailure;
    }
    if (json) {
        clitext::Json report;
        report["file"] = out;
        report["sheets"] = clitext::Json::array();
        for (int32_t id : sheets)
            report["sheets"].push_back({{"name", "JUX " + std::to_string(id)}, {"id", id}});
        clitext::PrintJson(report);
    } else {
        for (int32_t id : sheets)
            std::printf("JUX %d\n", id);
        std::printf("%zu sheet%s written to %s\n", sheets.size(), sheets.size() == 1 ? "" : "s", out.c_str());
    }
    return kExitOk;
}

const TCliRegistrar registrar(
    {kName,
     "(GAME.drw [--field F] [--tested T] [--stat D] [--start S] [--tables N] [--modes aug,abs,build] "
     "[--per-column M] [--min-req A] [--max-req B] [--min-hits C] [--max-hits E] [--keep ID,ID,...] [--threads N] | "
     "RUN.jsf) "
     "--ids ID,ID,... [--json] OUT.xlsx",
     "write the table details workbook of the given tables (one sheet each, last ID first)", RunExportXlsx});

} // namespace
