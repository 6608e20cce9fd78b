// jux-cli games-list: the official games of a games database.
#include <cstdio>
#include <string>

#include "cli/CliText.h"
#include "cli/Commands.h"
#include "cli/ServiceCli.h"
#include "service/OnlineGames.h"

namespace {

int RunGamesList(const std::vector<std::string>& args)
{
    TCliArgs a(args, {"json"}, {"url", "timeout"});
    long long timeout = kDefaultTimeoutSeconds;
    if (!a.ok() || !a.intValue("timeout", timeout, kDefaultTimeoutSeconds))
        return CliUsageError("games-list", a.error());
    if (!a.positional().empty())
        return CliUsageError("games-list", "no positional arguments are taken");
    if (timeout < 1 || timeout > 3600)
        return CliUsageError("games-list", "--timeout takes 1 to 3600 seconds");
    const std::string address = servicecli::Address("games-list", a.value("url"));
    if (address.empty())
        return kExitFailure;

    TDatabaseGames store;
    try {
        RequestGamesList({address, static_cast<long>(timeout)}, store);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", clitext::Out(e.what()).c_str());
        return kExitFailure;
    }
    if (a.has("json")) {
        clitext::Json games = clitext::Json::array();
        for (int i = 1; i <= store.Count(); ++i) {
            const TDatabaseGameRec& g = *store.GetRecord(i);
            clitext::Json j;
            j["id"] = g.Identifier;
            j["description"] = clitext::Out(g.Description);
            j["formation_code"] = clitext::Out(g.FormationCode);
            j["formation_text"] = clitext::Out(g.FormationText);
            j["draws_per_day"] = g.DrawsPerDay;
            j["draw_count"] = g.DrawCount;
            j["update"] = UpdateDateText(g.UpdateTime);
            j["valid"] = g.Valid;
            games.push_back(std::move(j));
        }
        clitext::Json out;
        out["games"] = std::move(games);
        clitext::PrintJson(out);
        return kExitOk;
    }
    for (int i = 1; i <= store.Count(); ++i) {
        const TDatabaseGameRec& g = *store.GetRecord(i);
        std::printf("%6d  %-30s  %-28s  %2d D/D  %6d draws  %s%s\n", g.Identifier, clitext::Out(g.Description).c_str(),
                    clitext::Out(g.Valid ? g.FormationText : g.FormationCode).c_str(), g.DrawsPerDay, g.DrawCount,
                    UpdateDateText(g.UpdateTime).c_str(), g.Valid ? "" : "  (invalid)");
    }
    return kExitOk;
}

const TCliRegistrar registrar({"games-list", "[--url URL] [--json] [--timeout S]",
                               "list the games of a games database (URL defaults to the settings)", RunGamesList});

} // namespace
