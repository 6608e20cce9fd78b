// jux-cli export-draws: the draws history of a game file as the text file
// the draws editor exports.
#include <cstdio>
#include <string>

#include "cli/CliText.h"
#include "cli/Commands.h"
#include "cli/GameCli.h"
#include "cli/RefusedRecords.h"
#include "data/DrawsExport.h"
#include "platform/Paths.h"

namespace {

int RunExportDraws(const std::vector<std::string>& args)
{
    TCliArgs a(args, {}, {});
    if (!a.ok())
        return CliUsageError("export-draws", a.error());
    if (a.positional().size() != 2)
        return CliUsageError("export-draws", "a game file and an output file (or -) expected");
    InitLocaleSettings();
    TCurrentGame game;
    if (!gamecli::OpenForCommand("export-draws", a.positional()[0], game))
        return kExitFailure;
    gamecli::WarnRefusedRecords("export-draws", game);
    if (game.Draws->DrawCount() == 0) {
        std::fprintf(stderr, "%s\n", kNoDrawsToExport);
        return kExitFailure;
    }
    const std::string& out = a.positional()[1];
    if (out == "-") {
        const std::string text = clitext::Out(DrawsExportText(*game.Draws, game.Info.Name));
        std::fwrite(text.data(), 1, text.size(), stdout);
        return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
    }
    if (IsSameFile(out, a.positional()[0])) {
        std::fprintf(stderr, "jux-cli export-draws: %s\n", kExportOverGameFile);
        return kExitFailure;
    }
    std::string error;
    if (!WriteDrawsExport(out, *game.Draws, game.Info.Name, error, {a.positional()[0]})) {
        std::fprintf(stderr, "jux-cli export-draws: %s\n", error.c_str());
        return kExitFailure;
    }
    return kExitOk;
}

const TCliRegistrar registrar({"export-draws", "GAME.drw OUT",
                               "export the draws history as text (OUT - for standard output)", RunExportDraws});

} // namespace
