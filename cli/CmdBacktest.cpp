// jux-cli backtest: how the predictions of runs on the history before each of
// the last H draws did on those draws, against chance (text or JSON).
#include <algorithm>
#include <climits>
#include <csignal>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "cli/AnalyzeOutput.h"
#include "cli/CliText.h"
#include "cli/Commands.h"
#include "cli/GameCli.h"
#include "engine/Backtest.h"

namespace {

const char* const kBacktestExtra = " --last H [--requested I] [--category J]";

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) { interrupted = 1; }

// Stops at Ctrl-C; shows where the run stands when standard error is a
// terminal.
class TCliBacktestObserver : public TBacktestObserver {
public:
    TCliBacktestObserver() : show_(isatty(STDERR_FILENO) != 0) {}
    ~TCliBacktestObserver() override
    {
        if (shown_)
            std::fputs("\r\033[K", stderr);
    }
    bool Progress(int32_t drawsDone, int32_t draws, int32_t tablesDone, int32_t tables) override
    {
        if (show_ && (tablesDone % 50 == 0 || tablesDone == tables)) {
            std::fprintf(stderr, "\rDraw %d of %d, table %d of %d ", drawsDone + (tablesDone > 0 ? 1 : 0), draws,
                         tablesDone, tables);
            shown_ = true;
        }
        return interrupted == 0;
    }

private:
    bool show_;
    bool shown_ = false;
};

bool Selected(int32_t requested, int32_t category, int32_t onlyRequested, int32_t onlyCategory)
{
    return (onlyRequested == 0 || requested == onlyRequested) && (onlyCategory == 0 || category == onlyCategory);
}

std::string BacktestText(const TBacktest& backtest, int32_t onlyRequested, int32_t onlyCategory)
{
    std::string out = Format("Backtest of the %d most recent draws: %d of them predicted from the draws before "
                             "each, %d tables a run\n",
                             backtest.DrawsRequested(), int(backtest.Results().size()), backtest.Tables());
    int32_t mode = -1;
    for (const TBacktestSummary& s : backtest.Summary()) {
        if (!Selected(s.Requested, s.Category, onlyRequested, onlyCategory))
            continue;
        if (s.Mode != mode) {
            mode = s.Mode;
            out += std::string("\n") + analyzecli::ModeTitle(mode) + "\n";
            out += " i  j  predicted   hits     mean  chance mean  p\n";
        }
        out += Format("%2d %2d  %9d %6lld", s.Requested, s.Category, s.Predicted, static_cast<long long>(s.Hits));
        if (s.Predicted > 0)
            out += Format("  %7.3f  %11.3f  %.4g\n", s.Mean, s.ChanceMean, s.PValue);
        else
            out += Format("  %7s  %11.3f  -\n", "-", s.ChanceMean);
    }
    return out;
}

std::string BacktestJson(const TBacktest& backtest, int32_t onlyRequested, int32_t onlyCategory)
{
    using ordered_json = clitext::Json;
    ordered_json draws = ordered_json::array();
    for (const TBacktestDraw& d : backtest.Results()) {
        ordered_json predictions = ordered_json::array();
        for (const TBacktestPrediction& p : d.Predictions) {
            if (!Selected(p.Requested, p.Category, onlyRequested, onlyCategory))
                continue;
            ordered_json numbers = ordered_json::array();
            for (int8_t b : p.Numbers)
                numbers.push_back(int(b));
            predictions.push_back({{"mode", analyzecli::ModeJsonKey(p.Mode)},
                                   {"requested", p.Requested},
                                   {"category", p.Category},
                                   {"table", p.Predicted() ? ordered_json(p.Table) : ordered_json(nullptr)},
                                   {"numbers", numbers},
                                   {"hits", p.Predicted() ? ordered_json(p.Hits) : ordered_json(nullptr)}});
        }
        ordered_json actual = ordered_json::array();
        for (int8_t b : d.Actual)
            actual.push_back(int(b));
        const std::string date = gamecli::IsoDate(d.Date);
        draws.push_back({{"position", d.Position},
                         {"date", date.empty() ? ordered_json(nullptr) : ordered_json(date)},
                         {"actual", actual},
                         {"predictions", predictions}});
    }
    ordered_json summary = ordered_json::array();
    for (const TBacktestSummary& s : backtest.Summary()) {
        if (!Selected(s.Requested, s.Category, onlyRequested, onlyCategory))
            continue;
        const bool any = s.Predicted > 0;
        summary.push_back({{"mode", analyzecli::ModeJsonKey(s.Mode)},
                           {"requested", s.Requested},
                           {"category", s.Category},
                           {"predicted", s.Predicted},
                           {"hits", s.Hits},
                           {"mean", any ? ordered_json(s.Mean) : ordered_json(nullptr)},
                           {"chance_mean", s.ChanceMean},
                           {"p_value", any ? ordered_json(s.PValue) : ordered_json(nullptr)}});
    }
    ordered_json report = {{"draws", draws}, {"summary", summary}};
    return clitext::JsonText(report);
}

int RunBacktest(const std::vector<std::string>& args)
{
    analyzecli::TAnalyzeRequest request;
    std::string error;
    if (!analyzecli::ParseAnalyzeArgs(args, request, error, {}, {"last", "requested", "category"}))
        return CliUsageError("backtest", error);
    if (request.hasDump)
        return CliUsageError("backtest", "--dump-table is not an option of backtest");
    TCliArgs a(args, analyzecli::AnalyzeFlags(), [] {
        std::vector<std::string> o = analyzecli::AnalyzeValueOptions();
        o.insert(o.end(), {"last", "requested", "category"});
        return o;
    }());
    long long last = 0, onlyRequested = 0, onlyCategory = 0;
    if (!a.has("last"))
        return CliUsageError("backtest", "--last H is required");
    if (!a.intValue("last", last, 0) || !a.intValue("requested", onlyRequested, 0) ||
        !a.intValue("category", onlyCategory, 0))
        return CliUsageError("backtest", a.error());
    if (last < 1)
        return CliUsageError("backtest", "--last needs a number of draws of at least 1");
    // Too many draws is the game's limit, which the backtest's own check names.
    last = std::min<long long>(last, INT32_MAX);
    if (a.has("requested") && (onlyRequested < 1 || onlyRequested > 98))
        return CliUsageError("backtest", "--requested needs a count of numbers from 1 to 98");
    if (a.has("category") && (onlyCategory < 1 || onlyCategory > 14))
        return CliUsageError("backtest", "--category needs a hit category from 1 to 14");

    TCurrentGame game;
    if (!gamecli::OpenForCommand("backtest", request.gamePath, game))
        return kExitFailure;
    TGameOptions options;
    options.SetGame(game.Draws.get());
    std::unique_ptr<TBacktest> backtest;
    try {
        analyzecli::ApplyAnalyzeOptions(request, options);
        backtest = std::make_unique<TBacktest>(*game.Draws, options, int32_t(last), request.tables);
        backtest->SetThreads(request.threads);
        backtest->Check();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "jux-cli backtest: %s\n", clitext::Out(e.what()).c_str());
        return kExitFailure;
    }
    if (onlyRequested >= backtest->PoolSize())
        return CliUsageError(
            "backtest", Format("--requested: this game's field predicts 1 to %d numbers", backtest->PoolSize() - 1));
    // A narrowing to lists the options do not compute would report nothing.
    bool reported = false;
    for (const TBacktestSummary& s : backtest->Summary())
        reported = reported || Selected(s.Requested, s.Category, int32_t(onlyRequested), int32_t(onlyCategory));
    if (!reported)
        return CliUsageError("backtest", "--requested/--category: no such list among those the options compute");

    interrupted = 0;
    void (*previous)(int) = std::signal(SIGINT, OnInterrupt);
    bool complete = false;
    try {
        TCliBacktestObserver observer;
        complete = backtest->Run(&observer);
    } catch (const std::exception& e) {
        std::signal(SIGINT, previous);
        std::fprintf(stderr, "jux-cli backtest: %s\n", clitext::Out(e.what()).c_str());
        return kExitFailure;
    }
    std::signal(SIGINT, previous);
    if (!complete)
        std::fprintf(stderr, "jux-cli backtest: interrupted after %d of %d draws\n", int(backtest->Results().size()),
                     backtest->DrawsRequested());
    const std::string report = request.json ? BacktestJson(*backtest, int32_t(onlyRequested), int32_t(onlyCategory))
                                            : BacktestText(*backtest, int32_t(onlyRequested), int32_t(onlyCategory));
    std::fwrite(report.data(), 1, report.size(), stdout);
    return complete ? kExitOk : kExitFailure;
}

// The analyze options less the table dump, which a backtest has no table for.
std::string BacktestUsage()
{
    std::string usage = analyzecli::kAnalyzeUsage;
    const std::string dump = " [--dump-table ID]";
    if (const size_t at = usage.find(dump); at != std::string::npos)
        usage.erase(at, dump.size());
    return usage + kBacktestExtra;
}

const TCliRegistrar registrar({"backtest", BacktestUsage(),
                               "predict each of the last H draws from the draws before it and measure the hits "
                               "against chance",
                               RunBacktest});

} // namespace
