// jux-cli analyze: a JUX run of N tables on a game file, with its best tables
// per mode, requested numbers and hit category (text or JSON).
#include <chrono>
#include <cstdio>
#include <string>

#include "cli/AnalyzeOutput.h"
#include "cli/CliText.h"
#include "cli/Commands.h"
#include "cli/GameCli.h"
#include "cli/RunStateCli.h"

namespace {

std::string SaveStatePath(const std::vector<std::string>& args)
{
    std::string path;
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == "--save-state")
            path = args[i + 1];
    for (const std::string& a : args)
        if (a.rfind("--save-state=", 0) == 0)
            path = a.substr(13);
    return path;
}

int RunAnalyze(const std::vector<std::string>& args)
{
    analyzecli::TAnalyzeRequest request;
    std::string error;
    if (!analyzecli::ParseAnalyzeArgs(args, request, error, {}, {"save-state"}))
        return CliUsageError("analyze", error);
    const std::string statePath = SaveStatePath(args);
    const std::vector<std::string> inputs{request.gamePath};
    if (!statePath.empty() && !runstatecli::CanSaveState("analyze", statePath, inputs))
        return kExitFailure;
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
        engine.SetThreads(request.threads);
        engine.StartRun();
        const auto start = std::chrono::steady_clock::now();
        engine.RunAnalysis();
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", clitext::Out(e.what()).c_str());
        return kExitFailure;
    }
    // The file keeps the run as it stands: paused, or finished at the maximum.
    TIntegerStore userList;
    options.KeepJUXs.CopyTo(userList);
    if (!statePath.empty() && !runstatecli::SaveState("analyze", statePath, game, options, engine, userList, inputs))
        return kExitFailure;
    if (request.hasDump && !engine.FindTable(request.dumpTable)) {
        std::fprintf(stderr, "jux-cli analyze: table %d is not in memory\n", request.dumpTable);
        return kExitFailure;
    }
    const std::string report =
        request.json ? analyzecli::AnalyzeJson(engine, request.dumpTable) : analyzecli::AnalyzeText(engine, seconds);
    std::fwrite(report.data(), 1, report.size(), stdout);
    return kExitOk;
}

const TCliRegistrar registrar({"analyze", std::string(analyzecli::kAnalyzeUsage) + " [--save-state RUN.jsf]",
                               "run the JUX analysis for N tables and print the best tables", RunAnalyze});

} // namespace
