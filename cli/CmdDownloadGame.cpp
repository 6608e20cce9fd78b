// jux-cli download-game: one game of a games database, with its whole
// history, as a new game file.
#include <cstdio>
#include <string>

#include "cli/CliText.h"
#include "cli/Commands.h"
#include "cli/ServiceCli.h"
#include "data/LocalGames.h"
#include "data/Utils.h"
#include "service/OnlineGames.h"

namespace {

int RunDownloadGame(const std::vector<std::string>& args)
{
    TCliArgs a(args, {}, {"url", "folder", "timeout"});
    long long timeout = kDefaultTimeoutSeconds;
    if (!a.ok() || !a.intValue("timeout", timeout, kDefaultTimeoutSeconds))
        return CliUsageError("download-game", a.error());
    if (a.positional().size() != 1)
        return CliUsageError("download-game", "one game identifier is needed");
    const int32_t id = StrToIntDef(a.positional()[0], 0);
    if (id <= 0)
        return CliUsageError("download-game", "the game identifier must be a number above 0");
    if (timeout < 1 || timeout > 3600)
        return CliUsageError("download-game", "--timeout takes 1 to 3600 seconds");
    const std::string address = servicecli::Address("download-game", a.value("url"));
    if (address.empty())
        return kExitFailure;
    std::string folder;
    if (a.has("folder") && !clitext::In("download-game", "folder", a.value("folder"), folder))
        return kExitFailure;
    if (folder.empty())
        folder = TLocalGamesClass::GamesFolder(ProgramDataFolder());
    folder = IncludeTrailingPathDelimiter(folder);
    if (!DirectoryExists(folder))
        ForceDirectories(folder);
    if (!DirectoryExists(folder)) {
        std::fprintf(stderr, "jux-cli download-game: cannot create the folder %s\n", clitext::Out(folder).c_str());
        return kExitFailure;
    }
    try {
        TDownloadedGame game = RequestGameDraws({address, static_cast<long>(timeout)}, id);
        const std::string path = WriteDownloadedGame(game, folder);
        std::printf("Downloaded %s (%s, %d draws) to %s\n", clitext::Out(game.Info.Name).c_str(),
                    clitext::Out(FormationText(game.Info.Fields, game.Info.Field2Kind)).c_str(),
                    game.Draws->DrawCount(), clitext::Out(path).c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", clitext::Out(e.what()).c_str());
        return kExitFailure;
    }
    return kExitOk;
}

const TCliRegistrar registrar({"download-game", "ID [--url URL] [--folder DIR] [--timeout S]",
                               "download a game of a games database as a new game file", RunDownloadGame});

} // namespace
