// jux-cli update: adds the new draws of a game's results file (its source,
// an http(s) address or a local file) to the game, for one game or for every
// game of a folder that has a source (a cron job's command).
#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/CliText.h"
#include "cli/Commands.h"
#include "cli/GameCli.h"
#include "cli/ServiceCli.h"
#include "data/LocalGames.h"
#include "service/SourceUpdate.h"

namespace {

const char* const kUsage = "GAME.drw [--source URL|FILE] [--dry-run] [--json] [--timeout S]\n"
                           "       jux-cli update --all [--folder F] [--dry-run] [--json] [--timeout S]";
constexpr long long kMaxTimeoutSeconds = 3600;

using clitext::Lines;

clitext::Json ToJson(const TUpdateOutcome& o)
{
    clitext::Json j;
    j["source"] = o.Source;
    j["status"] = UpdateStatusName(o.Status);
    j["http_status"] = o.HttpStatus;
    j["added"] = o.Added;
    j["draw_count"] = o.DrawCount;
    auto& conflicts = j["conflicts"] = clitext::Json::array();
    for (const TMergeConflict& c : o.Conflicts)
        conflicts.push_back(
            {{"date", gamecli::IsoDate(c.Date)}, {"index", c.Index}, {"game", c.Game}, {"file", c.File}});
    auto& skipped = j["skipped"] = clitext::Json::array();
    for (const TImportSkip& s : o.Skipped)
        skipped.push_back({{"reason", s.Reason}, {"count", s.Count}, {"lines", s.Lines}});
    j["dry_run"] = o.DryRun;
    j["message"] = Lines(o.Message);
    if (!o.Succeeded())
        j["error"] = Lines(o.Message);
    return j;
}

void PrintText(const std::string& gameName, const TUpdateOutcome& o)
{
    FILE* to = o.Succeeded() ? stdout : stderr;
    std::fprintf(to, "%s%s: %s\n", o.Succeeded() ? "" : "jux-cli update: ", gameName.c_str(), Lines(o.Message).c_str());
    for (const TImportSkip& s : o.Skipped)
        std::fprintf(to, "%d line%s skipped: %s\n", s.Count, s.Count == 1 ? "" : "s", s.Reason.c_str());
    if (o.Succeeded() && o.DryRun)
        std::printf("Dry run: nothing was saved.\n");
}

TUpdateSettings Settings(const TCliArgs& a, long long timeout)
{
    TUpdateSettings s;
    s.DryRun = a.has("dry-run");
    s.TimeoutSeconds = static_cast<long>(timeout);
    s.NewAddress = a.value("source");
    return s;
}

int RunOne(const TCliArgs& a, long long timeout)
{
    const std::string path = a.positional()[0];
    const TUpdateOutcome o = UpdateGameFile(path, Settings(a, timeout));
    if (a.has("json"))
        clitext::PrintJson(ToJson(o));
    else
        PrintText(path, o);
    if (a.has("json") && !o.Succeeded())
        std::fprintf(stderr, "jux-cli update: %s: %s\n", path.c_str(), Lines(o.Message).c_str());
    return o.Succeeded() ? kExitOk : kExitFailure;
}

int RunAll(const TCliArgs& a, long long timeout)
{
    const std::string folder = a.has("folder") ? a.value("folder") : TLocalGamesClass::GamesFolder(ProgramDataFolder());
    if (!DirectoryExists(folder)) {
        std::fprintf(stderr, "jux-cli update: %s: no such folder\n", folder.c_str());
        return kExitFailure;
    }
    std::vector<TUpdateSummaryLine> lines;
    clitext::Json games = clitext::Json::array();
    for (const std::string& path : GamesWithSource(folder)) {
        TUpdateSummaryLine line{PathToText(ExtractFileName(path)), UpdateGameFile(path, Settings(a, timeout))};
        if (a.has("json")) {
            clitext::Json j = ToJson(line.Outcome);
            j["game"] = path;
            games.push_back(std::move(j));
        } else {
            PrintText(path, line.Outcome);
        }
        lines.push_back(std::move(line));
    }
    int failed = 0;
    for (const TUpdateSummaryLine& l : lines)
        failed += l.Outcome.Succeeded() ? 0 : 1;
    if (a.has("json")) {
        clitext::Json doc;
        doc["folder"] = folder;
        doc["games"] = std::move(games);
        doc["failed"] = failed;
        clitext::PrintJson(doc);
    } else {
        std::printf("%s\n", Lines(UpdateCountsText(lines)).c_str());
    }
    return failed == 0 ? kExitOk : kExitFailure;
}

int RunUpdate(const std::vector<std::string>& args)
{
    TCliArgs a(args, {"dry-run", "json", "all"}, {"source", "timeout", "folder"});
    long long timeout = 0;
    if (!a.ok() || !a.intValue("timeout", timeout, kDefaultSourceTimeoutSeconds))
        return CliUsageError("update", a.error());
    if (timeout < 1 || timeout > kMaxTimeoutSeconds)
        return CliUsageError("update", "--timeout takes 1 to 3600 seconds");
    if (a.has("all")) {
        if (!a.positional().empty())
            return CliUsageError("update", "--all takes no game file");
        if (a.has("source"))
            return CliUsageError("update", "--source names the source of one game");
        return RunAll(a, timeout);
    }
    if (a.has("folder"))
        return CliUsageError("update", "--folder goes with --all");
    if (a.positional().size() != 1)
        return CliUsageError("update", "one game file expected (or --all)");
    if (a.has("source") && SourceKind(a.value("source")) == TSourceKind::None)
        return CliUsageError("update", "--source needs an address");
    return RunOne(a, timeout);
}

const TCliRegistrar registrar({"update", kUsage,
                               "add the new draws of a game's results file (an http(s) address or a local file), "
                               "for one game or for every game of a folder with --all",
                               RunUpdate});

} // namespace
