// jux-cli demo-game: a game file of reproducible pseudo-random dated draws,
// for trying the analysis and for benchmarks.
#include <cstdio>
#include <random>
#include <string>

#include "cli/CliText.h"
#include "cli/Commands.h"
#include "cli/GameCli.h"

namespace {

TShortIntArray RandomBalls(std::mt19937& rng, const TGameField& f, const TShortIntArray& avoid)
{
    TShortIntArray balls;
    while (static_cast<int>(balls.size()) < f.Picked) {
        const int b = static_cast<int>(rng() % static_cast<unsigned>(f.Total)) + f.Lowest;
        bool clash = false;
        if (!f.Ordered)
            for (int8_t x : balls)
                clash = clash || x == b;
        for (int8_t x : avoid)
            clash = clash || x == b;
        if (!clash)
            balls.push_back(static_cast<int8_t>(b));
    }
    return balls;
}

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
        TArrayOfShortIntArray numbers;
        numbers.push_back(RandomBalls(rng, g.Fields[0], {}));
        if (g.FieldCount == 2)
            numbers.push_back(RandomBalls(rng, g.Fields[1], g.Field2Kind == 2 ? numbers[0] : TShortIntArray{}));
        if (model.AddDraw(1, 0, numbers, first + static_cast<double>(i)) == 0) {
            std::fprintf(stderr, "jux-cli demo-game: INTERNAL ERROR [demo-game]: draw %lld refused\n", i + 1);
            return kExitFailure;
        }
    }
    TConsoleDialogs dialogs;
    InstallUserDialogs(&dialogs);
    TMemoryStream image;
    const bool ok = WriteGameHeader(image, g) && WriteDraws(image, g, model) &&
                    gamecli::WriteNewGameFile("demo-game", a.positional()[0], image.Bytes());
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
