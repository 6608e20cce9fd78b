// jux-cli resume and state: continue a saved run, or show what a run state
// file holds.
#include <chrono>
#include <climits>
#include <cstdio>
#include <string>

#include "cli/AnalyzeOutput.h"
#include "cli/CliText.h"
#include "cli/Commands.h"
#include "cli/GameCli.h"
#include "cli/RunStateCli.h"
#include "engine/RunStateFiles.h"

namespace runstatecli {

bool CanSaveState(const std::string& command, const std::string& path, const std::vector<std::string>& inputs)
{
    std::string error;
    if (TBaseBinaryFileStream::CanSaveTo(path, MakeFileHeaderID("JSF "), inputs, error))
        return true;
    std::fprintf(stderr, "jux-cli %s: cannot save the run state %s: %s\n", command.c_str(), path.c_str(),
                 clitext::Out(error).c_str());
    return false;
}

bool SaveState(const std::string& command, const std::string& path, TCurrentGame& game, TGameOptions& options,
               TJUXEngine& engine, TIntegerStore& userList, const std::vector<std::string>& inputs)
{
    try {
        TBinaryFileStreamJUXState state(game, options, engine, userList);
        state.SaveToFile(path, inputs);
        return true;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "jux-cli %s: cannot save the run state %s: %s\n", command.c_str(), path.c_str(),
                     clitext::Out(e.what()).c_str());
        return false;
    }
}

bool LoadState(const std::string& command, const std::string& path, TCurrentGame& game, TGameOptions& options,
               TJUXEngine& engine, TIntegerStore& userList)
{
    try {
        TBinaryFileStreamJUXState state(game, options, engine, userList);
        state.LoadFromFile(path);
        options.Validate();
        engine.FillHitProbabilities();
        return true;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "jux-cli %s: cannot import the run state %s: %s\n", command.c_str(), path.c_str(),
                     clitext::Out(e.what()).c_str());
        return false;
    }
}

} // namespace runstatecli

namespace {

// Stops the loop once the run holds the requested number of tables.
class TStopAt : public TRunControl {
public:
    TStopAt(const TJUXEngine& engine, int32_t tables) : engine_(engine), tables_(tables) {}
    bool ShouldContinue() override { return engine_.Context.TablesComputed < tables_; }
    void RunFinished() override {}

private:
    const TJUXEngine& engine_;
    int32_t tables_;
};

int RunResume(const std::vector<std::string>& args)
{
    TCliArgs a(args, {"json"}, {"tables", "save-state", "dump-table", "threads"});
    long long tables = 0, dump = 0;
    if (!a.ok() || !a.intValue("tables", tables, -1) || !a.intValue("dump-table", dump, 0))
        return CliUsageError("resume", a.error());
    int32_t threads = 0;
    std::string error;
    if (!analyzecli::ParseThreads(a, threads, error))
        return CliUsageError("resume", error);
    if (a.positional().size() != 1)
        return CliUsageError("resume", a.positional().empty() ? "a run state file is needed" : "too many arguments");
    if (a.has("tables") && (tables < 1 || tables > 999999999))
        return CliUsageError("resume", "--tables must be between 1 and 999999999");
    // A table ID is 32 bits: a larger number must not wrap onto another table.
    if (a.has("dump-table") && (dump < 1 || dump > INT32_MAX))
        return CliUsageError("resume", "--dump-table needs a table ID from 1 to 2147483647");

    const std::vector<std::string> inputs{a.positional()[0]};
    if (a.has("save-state") && !runstatecli::CanSaveState("resume", a.value("save-state"), inputs))
        return kExitFailure;
    TCurrentGame game;
    TGameOptions options;
    TJUXEngine engine(options);
    TIntegerStore userList;
    if (!runstatecli::LoadState("resume", a.positional()[0], game, options, engine, userList))
        return kExitFailure;

    const int32_t target = a.has("tables") ? int32_t(tables) : engine.Context.TablesComputed;
    if (options.MaximumJUXsToScan < target)
        options.MaximumJUXsToScan = target;
    TStopAt control(engine, target);
    engine.SetRunControl(&control);
    engine.SetThreads(threads);
    double seconds = 0;
    try {
        const auto start = std::chrono::steady_clock::now();
        engine.RunAnalysis();
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", clitext::Out(e.what()).c_str());
        return kExitFailure;
    }
    engine.SetRunControl(nullptr);
    if (a.has("save-state") &&
        !runstatecli::SaveState("resume", a.value("save-state"), game, options, engine, userList, inputs))
        return kExitFailure;
    if (dump > 0 && !engine.FindTable(int32_t(dump))) {
        std::fprintf(stderr, "jux-cli resume: table %lld is not in memory\n", dump);
        return kExitFailure;
    }
    const std::string report =
        a.has("json") ? analyzecli::AnalyzeJson(engine, int32_t(dump)) : analyzecli::AnalyzeText(engine, seconds);
    std::fwrite(report.data(), 1, report.size(), stdout);
    return kExitOk;
}

std::string ModesText(uint8_t modes)
{
    std::string t;
    for (int32_t m = 0; m < kModeCount; ++m)
        if (modes & (1u << m))
            t += std::string(t.empty() ? "" : ",") + analyzecli::ModeJsonKey(m);
    return t.empty() ? "-" : t;
}

int RunState(const std::vector<std::string>& args)
{
    TCliArgs a(args, {}, {});
    if (!a.ok())
        return CliUsageError("state", a.error());
    if (a.positional().size() != 1)
        return CliUsageError("state", a.positional().empty() ? "a run state file is needed" : "too many arguments");
    TCurrentGame game;
    TGameOptions options;
    TJUXEngine engine(options);
    TIntegerStore userList;
    if (!runstatecli::LoadState("state", a.positional()[0], game, options, engine, userList))
        return kExitFailure;
    const TGameInfo& g = game.Info;
    const TRunContext& c = engine.Context;
    std::printf("game: %s\n", clitext::Out(g.Name).c_str());
    std::printf("formation: %s\n", clitext::Out(FormationText(g.Fields, g.Field2Kind)).c_str());
    std::printf("draws: %d\n", game.Draws->DrawCount());
    std::printf("options: field %d, tested draws %d, statistical data %d, start point %d (run factor %d), "
                "requested %d-%d, categories %d-%d, modes %s, per column %d, maximum %d\n",
                options.FieldSelected, options.TotalTestDraws, options.MaxStatData, options.StartPoint,
                options.RunFactorOverhead, options.MinReqNumbers, options.MaxReqNumbers, options.MinHitCategory,
                options.MaxHitCategory, ModesText(options.Modes).c_str(), options.MaximumJUXsPerColumn,
                options.MaximumJUXsToScan);
    std::printf("compare numbers: %s\n", clitext::Out(options.CompareNumsText()).c_str());
    std::printf("analysed field: %d%s, pool %d, drawn %d\n", c.AnalysedField,
                c.CombinedSecondField ? " with bonus balls" : "", c.PoolSize, c.HitWidth());
    std::printf("tables computed: %d\n", c.TablesComputed);
    std::printf("live tables: %d\n", engine.TableRegistry.Count());
    std::printf("user list: %d\n", userList.Count());
    for (int32_t m = 0; m < kModeCount; ++m) {
        int lists = 0, ids = 0;
        const TModeList& mode = engine.Lists.ModeList(m);
        for (int i = 1; i <= mode.Count(); ++i)
            for (int j = 1; j <= mode.GetRecord(i)->Count(); ++j) {
                ++lists;
                ids += mode.GetRecord(i)->GetRecord(j)->Count();
            }
        std::printf("%s lists: %d holding %d IDs\n", analyzecli::ModeJsonKey(m), lists, ids);
    }
    return kExitOk;
}

const TCliRegistrar
    resumeRegistrar({"resume", "RUN.jsf [--tables N] [--threads N] [--json] [--dump-table ID] [--save-state FILE]",
                     "import a run state file and continue the run to N tables in all", RunResume});
const TCliRegistrar stateRegistrar({"state", "RUN.jsf", "print what a run state file holds", RunState});

} // namespace
