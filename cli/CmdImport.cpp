// jux-cli import: draws from a text file in free layout, found by the same
// analysis as the import window, printed and (without --dry-run) added to the game.
#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/Commands.h"
#include "cli/GameCli.h"
#include "cli/RefusedRecords.h"
#include "data/ImportDrawsAI.h"
#include "cli/CliText.h"
#include "data/TextCodec.h"

namespace {

const char* const kUsage =
    "GAME.drw FILE [--dry-run] [--json] [--reverse] [--date-format K] "
    "[--skip V] [--after-date A] | [--delimiter D] [--date-column C] [--numbers COLS] [--field2 COLS]";

// "comma", "semicolon", "tab", "pipe" or the character itself; 0 for anything else.
char DelimiterOf(const std::string& text)
{
    if (text == "comma" || text == ",")
        return ',';
    if (text == "semicolon" || text == ";")
        return ';';
    if (text == "tab" || text == "\t" || text == "\\t")
        return '\t';
    if (text == "pipe" || text == "|")
        return '|';
    return 0;
}

nlohmann::ordered_json ColumnsJson(const std::vector<int>& columns)
{
    return columns.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(columns);
}

// Answers every question with Yes: the command itself is the user's confirmation to save.
class TYesDialogs : public TUserDialogs {
public:
    TModalResult ShowMessageDialog(const std::string& text, unsigned, TDialogKind kind) override
    {
        if (kind == TDialogKind::Error)
            std::fprintf(stderr, "%s\n", Win1252ToUtf8(text).c_str());
        return TModalResult::Yes;
    }
};

std::string OneLine(const std::string& message)
{
    std::string out;
    for (size_t i = 0; i < message.size(); ++i) {
        if (message[i] == '\n' && i + 1 < message.size() && message[i + 1] == '\r') {
            out += ' ';
            ++i;
        } else {
            out += message[i];
        }
    }
    return Win1252ToUtf8(out);
}

nlohmann::ordered_json ToJson(const TImportDrawsAIClass& ai, const TGameInfo& game, bool reverse)
{
    nlohmann::ordered_json j;
    j["ready"] = ai.Ready;
    j["messages"] = nlohmann::ordered_json::array();
    for (const std::string& m : ai.Messages)
        j["messages"].push_back(Win1252ToUtf8(m));
    const bool dated = game.DrawsPerDay > 0;
    j["numbers_per_line"] = ai.NumbersPerLine;
    j["date_start"] = ai.DateStart;
    j["date_type"] = ai.DateType;
    j["numbers_start"] = ai.NumbersStart;
    j["skip"] = (dated ? ai.DateStart : ai.NumbersStart) > 0 ? (dated ? ai.DateStart : ai.NumbersStart) - 1 : 0;
    j["after_date"] = ai.AfterDate();
    j["header"] = ai.Ready ? Format("Found %d draws to import", static_cast<int>(ai.FoundDraws.size())) : "";
    j["descending"] = ai.Descending;
    j["layout"] = nlohmann::ordered_json::parse(ai.Layout.ToText());
    const bool columns = ai.Layout.Kind == TImportLayout::TKind::Columns && ai.Table();
    j["delimiter"] = columns ? nlohmann::ordered_json(ImportDelimiterName(ai.Layout.Delimiter)) : nullptr;
    j["date_column"] = columns && dated ? nlohmann::ordered_json(ai.Layout.DateColumn) : nullptr;
    j["field1_columns"] = columns ? ColumnsJson(ai.Layout.Field1Columns) : nullptr;
    j["field2_columns"] = columns ? ColumnsJson(ai.Layout.Field2Columns) : nullptr;
    j["sequence_column"] = columns && ai.SequenceColumn > 0 ? nlohmann::ordered_json(ai.SequenceColumn) : nullptr;
    if (columns) {
        const TImportTable& t = *ai.Table();
        auto& names = j["column_names"] = nlohmann::ordered_json::array();
        for (int c = 0; c < t.Columns; ++c)
            names.push_back(Win1252ToUtf8(t.ColumnName(c)));
        j["header_line"] =
            t.HeaderRow >= 0 ? nlohmann::ordered_json(t.Line(static_cast<size_t>(t.HeaderRow))) : nullptr;
    } else {
        j["column_names"] = nullptr;
        j["header_line"] = nullptr;
    }
    auto& cands = j["candidates"] = nlohmann::ordered_json::array();
    const int count = static_cast<int>(ai.FoundDraws.size());
    for (int row = 1; row <= count; ++row) {
        const TImportCandidate& c = ai.FoundDraws[static_cast<size_t>(row - 1)];
        nlohmann::ordered_json e;
        e["shown"] = ImportShownNumber(row, count, reverse);
        e["date"] = dated ? nlohmann::ordered_json(gamecli::IsoDate(c.Date)) : nlohmann::ordered_json(nullptr);
        e["index"] = c.Index;
        e["fields"] = c.Numbers;
        e["line"] = c.Line;
        cands.push_back(e);
    }
    auto& skipped = j["skipped"] = nlohmann::ordered_json::array();
    for (const TImportSkip& s : ai.Skipped)
        skipped.push_back({{"reason", s.Reason}, {"count", s.Count}, {"lines", s.Lines}});
    j["skipped_texts"] = ai.SkippedTexts();
    j["imported"] = nullptr;
    return j;
}

void PrintText(const TImportDrawsAIClass& ai, const TGameInfo& game, bool reverse)
{
    const bool dated = game.DrawsPerDay > 0;
    for (const std::string& m : ai.Messages)
        std::printf("%s\n", OneLine(m).c_str());
    if (!ai.Ready)
        return;
    const TImportLayout& l = ai.Layout;
    if (l.Kind == TImportLayout::TKind::Columns) {
        std::string text = Format("Layout: columns split by %s;", ImportDelimiterName(l.Delimiter));
        if (dated)
            text += Format(" date in column %d (%s);", l.DateColumn, kImportDateFormats[ai.DateType]);
        text += " field 1 in columns " + ImportColumnsText(l.Field1Columns);
        if (!l.Field2Columns.empty())
            text += ", field 2 in columns " + ImportColumnsText(l.Field2Columns);
        if (ai.SequenceColumn > 0)
            text += Format("; draws of one date told apart by column %d", ai.SequenceColumn);
        std::printf("%s\n", text.c_str());
    } else if (dated) {
        std::printf("Layout: date at integer %d (%s), numbers at integer %d; skip %d, after date %d\n", ai.DateStart,
                    kImportDateFormats[ai.DateType], ai.NumbersStart, ai.DateStart - 1, ai.AfterDate());
    } else {
        std::printf("Layout: numbers at integer %d; skip %d\n", ai.NumbersStart, ai.NumbersStart - 1);
    }
    std::printf("Found %d draws to import\n", static_cast<int>(ai.FoundDraws.size()));
    for (const std::string& s : ai.SkippedTexts())
        std::printf("%s\n", s.c_str());
    const int count = static_cast<int>(ai.FoundDraws.size());
    for (int row = 1; row <= count; ++row) {
        const TImportCandidate& c = ai.FoundDraws[static_cast<size_t>(row - 1)];
        std::string text = Format("%6d", ImportShownNumber(row, count, reverse));
        if (dated)
            text += "  " + gamecli::IsoDate(c.Date) + (game.DrawsPerDay > 1 ? Format("/%d", c.Index) : "");
        text += "  " + NumbersToText(c.Numbers);
        std::printf("%s\n", text.c_str());
    }
}

int RunImport(const std::vector<std::string>& args)
{
    TCliArgs a(args, {"dry-run", "json", "reverse"},
               {"skip", "date-format", "after-date", "delimiter", "date-column", "numbers", "field2"});
    long long skip = 0, dateFormat = 0, afterDate = 0, dateColumn = 0;
    if (!a.ok() || !a.intValue("skip", skip, 0) || !a.intValue("date-format", dateFormat, 0) ||
        !a.intValue("after-date", afterDate, 0) || !a.intValue("date-column", dateColumn, 0))
        return CliUsageError("import", a.error());
    if (a.positional().size() != 2)
        return CliUsageError("import", "a game file and a text file expected");
    if (skip < 0 || skip > kMaxImportIntegers)
        return CliUsageError("import", Format("--skip takes 0 to %d", kMaxImportIntegers));
    if (dateFormat < 0 || dateFormat > 7)
        return CliUsageError("import", "--date-format takes 0 to 7");
    if (afterDate < -kMaxImportIntegers || afterDate > kMaxImportIntegers)
        return CliUsageError("import", Format("--after-date takes %d to %d", -kMaxImportIntegers, kMaxImportIntegers));
    // Columns of a delimited file, 1-based: --numbers 5-10 --field2 12.
    const bool columns = a.has("delimiter") || a.has("date-column") || a.has("numbers") || a.has("field2");
    TImportLayout layout;
    if (columns) {
        if (a.has("skip") || a.has("after-date"))
            return CliUsageError("import", "--skip and --after-date count integers; columns are given without them");
        layout.Kind = TImportLayout::TKind::Columns;
        if (a.has("delimiter") && !(layout.Delimiter = DelimiterOf(a.value("delimiter"))))
            return CliUsageError("import", "--delimiter takes comma, semicolon, tab or pipe");
        if (a.has("date-column") && (dateColumn < 1 || dateColumn > kMaxImportColumns))
            return CliUsageError("import", Format("--date-column takes 1 to %d", kMaxImportColumns));
        layout.DateColumn = static_cast<int>(dateColumn);
        layout.DateType = a.has("date-format") ? static_cast<int>(dateFormat) : -1;
        if (a.has("numbers") && !ParseImportColumns(a.value("numbers"), layout.Field1Columns))
            return CliUsageError("import",
                                 Format("--numbers takes columns 1 to %d, e.g. 5-10 or 2,4,6", kMaxImportColumns));
        if (a.has("field2") && !a.has("numbers"))
            return CliUsageError("import", "--field2 goes with --numbers");
        if (a.has("field2") && !ParseImportColumns(a.value("field2"), layout.Field2Columns))
            return CliUsageError("import",
                                 Format("--field2 takes columns 1 to %d, e.g. 12 or 11-12", kMaxImportColumns));
    }
    // The path is used as given: file names are the file system's own bytes.
    const std::string file = a.positional()[1];
    InitLocaleSettings();
    TCurrentGame game;
    TFileLock lock;
    const bool change = !a.has("dry-run");
    if (!(change ? gamecli::OpenForChange("import", a.positional()[0], game, lock)
                 : gamecli::OpenForCommand("import", a.positional()[0], game)))
        return kExitFailure;
    gamecli::WarnRefusedRecords("import", game);
    // Saving would silently drop the records the history left out.
    if (game.Refused.Total() > 0 && !a.has("dry-run")) {
        std::fprintf(stderr, "jux-cli import: %s was left unchanged; nothing was imported\n",
                     a.positional()[0].c_str());
        return kExitFailure;
    }
    if (columns && game.Info.DrawsPerDay == 0 && a.has("date-column")) {
        std::fprintf(stderr, "jux-cli import: the game has no dates; --date-column does not apply\n");
        return kExitUsage;
    }
    const bool manual = !columns && (a.has("skip") || a.has("date-format") || a.has("after-date"));
    TImportDrawsAIClass ai(*game.Draws);
    ai.ShowMessages = false;
    if (manual)
        ai.ExtractManual(file, static_cast<int>(skip), static_cast<int>(dateFormat), static_cast<int>(afterDate));
    else
        ai.AnalyzeFile(file, layout);
    const bool reverse = a.has("reverse");
    nlohmann::ordered_json json = a.has("json") ? ToJson(ai, game.Info, reverse) : nlohmann::ordered_json::object();
    if (!ai.Ready) {
        if (a.has("json"))
            clitext::PrintJson(json);
        for (const std::string& m : ai.Messages)
            std::fprintf(stderr, "jux-cli import: %s\n", OneLine(m).c_str());
        return kExitFailure;
    }
    if (!a.has("json"))
        PrintText(ai, game.Info, reverse);
    if (a.has("dry-run")) {
        if (a.has("json"))
            clitext::PrintJson(json);
        return kExitOk;
    }
    const int imported = ImportCandidates(*game.Draws, ai.FoundDraws, reverse);
    if (imported > 0) {
        TYesDialogs dialogs;
        InstallUserDialogs(&dialogs);
        const bool saved = SaveGameFile(game);
        InstallUserDialogs(nullptr);
        if (!saved) {
            std::fprintf(stderr, "jux-cli import: %s was not saved; nothing was imported\n", a.positional()[0].c_str());
            return kExitFailure;
        }
    }
    // Said only once the draws are in the file.
    json["imported"] = imported;
    json["messages"].push_back(Format("Imported %d draws.", imported));
    if (!a.has("json"))
        std::printf("Imported %d draws.\n", imported);
    if (a.has("json"))
        clitext::PrintJson(json);
    return kExitOk;
}

const TCliRegistrar registrar({"import", kUsage,
                               "import draws from a text file whose layout is found by analysis (or given: "
                               "--skip, --date-format, --after-date count integers; --date-column, --numbers, "
                               "--field2 name 1-based columns of a delimited file)",
                               RunImport});

} // namespace
