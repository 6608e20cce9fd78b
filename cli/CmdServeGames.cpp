// jux-cli serve-games: a games database for a group of users, from the game
// files of a folder that carry an online identifier.
#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <string>

#include "cli/CliText.h"
#include "cli/Commands.h"
#include "platform/Paths.h"
#include "service/GamesServer.h"

namespace {

int RunServeGames(const std::vector<std::string>& args)
{
    TCliArgs a(args, {}, {"bind", "port"});
    long long port = 0;
    if (!a.ok() || !a.intValue("port", port, 0))
        return CliUsageError("serve-games", a.error());
    if (a.positional().size() != 1)
        return CliUsageError("serve-games", "one folder of game files is needed");
    if (port < 0 || port > 65535)
        return CliUsageError("serve-games", "--port takes 0 to 65535");
    std::string folder;
    if (!clitext::In("serve-games", "folder", a.positional()[0], folder))
        return kExitFailure;
    folder = IncludeTrailingPathDelimiter(folder);

    // The signals are taken by sigwait below; the server's thread, started
    // after this, inherits the blocked set.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    TGamesServer::TOptions options;
    options.Folder = folder;
    options.Bind = a.value("bind", "127.0.0.1");
    options.Port = static_cast<uint16_t>(port);
    options.Log = [](const std::string& line) {
        std::fprintf(stderr, "serve-games: %s\n", clitext::Out(line).c_str());
        std::fflush(stderr);
    };
    TGamesServer server(options);
    std::string error;
    if (!server.Start(error)) {
        std::fprintf(stderr, "jux-cli serve-games: %s\n", clitext::Out(error).c_str());
        return kExitFailure;
    }
    const std::string host = options.Bind.find(':') != std::string::npos ? "[" + options.Bind + "]" : options.Bind;
    std::printf("Serving %d games from %s on http://%s:%u/\n", server.GameCount(), clitext::Out(folder).c_str(),
                host.c_str(), unsigned(server.Port()));
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.Stop();
    std::fprintf(stderr, "serve-games: stopped\n");
    return kExitOk;
}

const TCliRegistrar registrar(
    {"serve-games", "FOLDER [--bind ADDRESS] [--port P]",
     "answer the games database requests for the game files of FOLDER (port 0: any free port)", RunServeGames});

} // namespace
