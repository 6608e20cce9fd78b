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
    "GAME.drw FILE [--dry-run] [--json] [--skip V] [--date-format K] [--after-date A] [--reverse]";

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
    if (dated)
        std::printf("Layout: date at integer %d (%s), numbers at integer %d; skip %d, after date %d\n", ai.DateStart,
                    kImportDateFormats[ai.DateType], ai.NumbersStart, ai.DateStart - 1, ai.AfterDate());
    else
        std::printf("Layout: numbers at integer %d; skip %d\n", ai.NumbersStart, ai.NumbersStart - 1);
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
    TCliArgs a(args, {"dry-run", "json", "reverse"}, {"skip", "date-format", "after-date"});
    long long skip = 0, dateFormat = 0, afterDate = 0;
    if (!a.ok() || !a.intValue("skip", skip, 0) || !a.intValue("date-format", dateFormat, 0) ||
        !a.intValue("after-date", afterDate, 0))
        return CliUsageError("import", a.error());
    if (a.positional().size() != 2)
        return CliUsageError("import", "a game file and a text file expected");
    if (skip < 0 || skip > kMaxImportIntegers)
        return CliUsageError("import", Format("--skip takes 0 to %d", kMaxImportIntegers));
    if (dateFormat < 0 || dateFormat > 7)
        return CliUsageError("import", "--date-format takes 0 to 7");
    if (afterDate < -kMaxImportIntegers || afterDate > kMaxImportIntegers)
        return CliUsageError("import", Format("--after-date takes %d to %d", -kMaxImportIntegers, kMaxImportIntegers));
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
    const bool manual = a.has("skip") || a.has("date-format") || a.has("after-date");
    TImportDrawsAIClass ai(*game.Draws);
    ai.ShowMessages = false;
    if (manual)
        ai.ExtractManual(file, static_cast<int>(skip), static_cast<int>(dateFormat), static_cast<int>(afterDate));
    else
        ai.AnalyzeFile(file);
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
            std::fprintf(stderr, "jux-cli import: %s was not saved; nothing was imported\n",
                         a.positional()[0].c_str());
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
                               "import draws from a text file whose layout is found by analysis "
                               "(or given with --skip, --date-format, --after-date)",
                               RunImport});

} // namespace
