// jux-cli new-game: a game file holding only its definition.
#include <cstdio>
#include <string>

#include "cli/CliText.h"
#include "cli/Commands.h"
#include "cli/GameCli.h"

namespace {

int RunNewGame(const std::vector<std::string>& args)
{
    TCliArgs a(args, {}, {"name", "formation", "dpd", "field-names"});
    long long dpd = 1;
    if (!a.ok() || !a.intValue("dpd", dpd, 1))
        return CliUsageError("new-game", a.error());
    if (a.positional().size() != 1 || !a.has("name") || !a.has("formation"))
        return CliUsageError("new-game", "a game file, --name and --formation are needed");
    const std::string& path = a.positional()[0];
    TGameInfo g;
    std::string name, fieldNames;
    if (!clitext::In("new-game", "--name", a.value("name"), name) ||
        !clitext::In("new-game", "--field-names", a.value("field-names"), fieldNames))
        return kExitFailure;
    g.Name = Trim(name);
    g.DrawsPerDay = (dpd >= 0 && dpd <= 9) ? static_cast<int32_t>(dpd) : -1;
    std::string why;
    if (!gamecli::DefinitionFromCode(a.value("formation"), g, why)) {
        std::fprintf(stderr, "jux-cli new-game: %s\n", why.c_str());
        return kExitFailure;
    }
    gamecli::DefaultFieldNames(g);
    if (a.has("field-names")) {
        const std::string& names = fieldNames;
        const auto comma = names.find(',');
        g.FieldNames[0] = Trim(names.substr(0, comma));
        g.FieldNames[1] = comma == std::string::npos ? "" : Trim(names.substr(comma + 1));
    }
    TGameInfo check = g;
    if (!IsStorableGameInfo(check)) {
        std::fprintf(stderr, "jux-cli new-game: invalid game definition (name must not be empty; 1 to 7 of 2 to 99 "
                             "balls, at most 75 for 7; draws per day 0 to 9)\n");
        return kExitFailure;
    }
    TConsoleDialogs dialogs;
    InstallUserDialogs(&dialogs);
    const bool ok = gamecli::CreateGameFile("new-game", path, check, nullptr);
    InstallUserDialogs(nullptr);
    if (!ok)
        return kExitFailure;
    std::printf("Created %s: %s, %s\n", path.c_str(), clitext::Out(check.Name).c_str(),
                clitext::Out(FormationText(check.Fields, check.Field2Kind)).c_str());
    return kExitOk;
}

const TCliRegistrar registrar({"new-game", "GAME.drw --name NAME --formation CODE [--dpd Z] [--field-names A,B]",
                               "write a new game file without draws (CODE e.g. 0649, 0649|01BB, 0550|0210)",
                               RunNewGame});

} // namespace
