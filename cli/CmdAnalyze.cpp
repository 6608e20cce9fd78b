// jux-cli analyze: a JUX run of N tables on a game file, with its best tables
// per mode, requested numbers and hit category (text or JSON).
#include <chrono>
#include <cstdio>
#include <string>

#include "cli/AnalyzeOutput.h"
#include "cli/Commands.h"
#include "cli/GameCli.h"

namespace {

int RunAnalyze(const std::vector<std::string>& args)
{
    analyzecli::TAnalyzeRequest request;
    std::string error;
    if (!analyzecli::ParseAnalyzeArgs(args, request, error))
        return CliUsageError("analyze", error);
    TCurrentGame game;
    if (!gamecli::OpenForCommand("analyze", request.gamePath, game))
        return kExitFailure;

    TGameOptions options;
    options.SetGame(game.Draws.get());
    TJUXEngine engine(options);
    double seconds = 0;
    try {
        analyzecli::ApplyAnalyzeOptions(request, options);
        options.Validate();
        engine.StartRun();
        const auto start = std::chrono::steady_clock::now();
        engine.RunAnalysis();
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return kExitFailure;
    }
    if (request.hasDump && !engine.FindTable(request.dumpTable)) {
        std::fprintf(stderr, "jux-cli analyze: table %d is not in memory\n", request.dumpTable);
        return kExitFailure;
    }
    const std::string report = request.json ? analyzecli::AnalyzeJson(engine, request.dumpTable)
                                            : analyzecli::AnalyzeText(engine, seconds);
    std::fwrite(report.data(), 1, report.size(), stdout);
    return kExitOk;
}

const TCliRegistrar registrar({"analyze", analyzecli::kAnalyzeUsage,
                               "run the JUX analysis for N tables and print the best tables", RunAnalyze});

} // namespace
