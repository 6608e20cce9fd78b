// jux-cli draws: the draw history of a game file, one line per draw.
#include <cstdio>
#include <string>

#include "cli/CliText.h"
#include "cli/Commands.h"
#include "cli/GameCli.h"

namespace {

int RunDraws(const std::vector<std::string>& args)
{
    TCliArgs a(args, {}, {"from", "to"});
    long long from = 1, to = 0;
    if (!a.ok() || !a.intValue("from", from, 1) || !a.intValue("to", to, -1))
        return CliUsageError("draws", a.error());
    if (a.positional().size() != 1)
        return CliUsageError("draws", "one game file expected");
    if (from < 1 || (a.has("to") && to < 1))
        return CliUsageError("draws", "draw positions start at 1");
    InitLocaleSettings();
    TCurrentGame game;
    if (!gamecli::OpenForCommand("draws", a.positional()[0], game))
        return kExitFailure;
    const long long count = game.Draws->DrawCount();
    if (!a.has("to") || to > count)
        to = count;
    for (long long pos = from; pos <= to; ++pos)
        std::printf("%s\n", clitext::Out(game.Draws->DrawToText(static_cast<int>(pos))).c_str());
    return kExitOk;
}

const TCliRegistrar registrar({"draws", "GAME.drw [--from N] [--to M]",
                               "list the draws of a game file (positions N to M)", RunDraws});

} // namespace
