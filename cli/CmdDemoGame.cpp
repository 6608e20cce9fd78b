// jux-cli demo-game: a game file of reproducible pseudo-random dated draws,
// for trying the analysis and for benchmarks.
#include <cstdio>
#include <random>
#include <string>

#include "cli/CliText.h"
#include "cli/Commands.h"
#include "cli/GameCli.h"
#include "data/RandomDraws.h"

namespace {

int RunDemoGame(const std::vector<std::string>& args)
{
    TCliArgs a(args, {}, {"draws", "seed", "formation"});
    long long draws = 500, seed = 1;
    if (!a.ok() || !a.intValue("draws", draws, 500) || !a.intValue("seed", seed, 1))
        return CliUsageError("demo-game", a.error());
    if (a.positional().size() != 1)
        return CliUsageError("demo-game", "one game file expected");
    if (draws < 0 || draws > 10000000)
        return CliUsageError("demo-game", "--draws must be 0 to 10000000");
    TGameInfo g;
    g.DrawsPerDay = 1;
    std::string why;
    if (!gamecli::DefinitionFromCode(a.value("formation", "0649"), g, why)) {
        std::fprintf(stderr, "jux-cli demo-game: %s\n", why.c_str());
        return kExitFailure;
    }
    g.Name = "Demo " + FormationText(g.Fields, g.Field2Kind);
    gamecli::DefaultFieldNames(g);
    if (!IsStorableGameInfo(g)) {
        std::fprintf(stderr, "jux-cli demo-game: invalid game definition\n");
        return kExitFailure;
    }
    // A bonus field must leave room beside the main balls.
    if (g.Field2Kind == 2 && g.Fields[0].Picked + g.Fields[1].Picked > g.Fields[0].Total) {
        std::fprintf(stderr, "jux-cli demo-game: too many bonus balls for the pool\n");
        return kExitFailure;
    }
    TDrawClass model(g);
    std::mt19937 rng(static_cast<uint32_t>(seed));
    const TDateTime first = EncodeDate(2000, 1, 1);
    for (long long i = 0; i < draws; ++i) {
        if (model.AddDraw(1, 0, RandomDraw(rng, g), first + static_cast<double>(i)) == 0) {
            std::fprintf(stderr, "jux-cli demo-game: INTERNAL ERROR [demo-game]: draw %lld refused\n", i + 1);
            return kExitFailure;
        }
    }
    TConsoleDialogs dialogs;
    InstallUserDialogs(&dialogs);
    const bool ok = gamecli::CreateGameFile("demo-game", a.positional()[0], g, &model);
    InstallUserDialogs(nullptr);
    if (!ok)
        return kExitFailure;
    std::printf("Created %s: %s, %lld draws\n", a.positional()[0].c_str(), clitext::Out(g.Name).c_str(), draws);
    return kExitOk;
}

const TCliRegistrar registrar({"demo-game", "GAME.drw [--draws N] [--seed S] [--formation CODE]",
                               "write a game of N reproducible pseudo-random dated draws (default 6 of 49, 500)",
                               RunDemoGame});

} // namespace
