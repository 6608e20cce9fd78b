// jux-cli backtest on demo games: the JSON report against a backtest run in
// process, the text report and its narrowing, and the usage errors.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "data/GameFile.h"
#include "engine/Backtest.h"
#include "engine/GameOptions.h"
#include "support/CliRunner.h"

namespace {

std::string DemoGame(const std::string& name, const std::string& formation, int draws)
{
    return clitest::DemoGame(name + ".drw", formation, 5, draws);
}

TEST(BacktestCli, JsonMatchesABacktestInProcess)
{
    const std::string path = DemoGame("bt", "0525", 90);
    const TCliResult r = RunCli("backtest '" + path + "' --last 4 --tables 15 --tested 20 --stat 6 --json");
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::json report = nlohmann::json::parse(r.out);

    TCurrentGame game;
    ASSERT_EQ(OpenGameFile(path, game), gioValid);
    TGameOptions options;
    options.SetGame(game.Draws.get());
    options.SetDefaults();
    options.TotalTestDraws = 20;
    options.MaxStatData = 6;
    options.SetStartPoint(90 - 20);
    TBacktest backtest(*game.Draws, options, 4, 15);
    ASSERT_TRUE(backtest.Run());

    const char* modes[] = {"augmentative", "absolute", "buildup"};
    ASSERT_EQ(report["draws"].size(), 4u);
    for (size_t d = 0; d < 4; ++d) {
        const TBacktestDraw& want = backtest.Results()[d];
        const nlohmann::json& got = report["draws"][d];
        EXPECT_EQ(got["position"], 87 + int(d));
        EXPECT_TRUE(got["date"].is_string());
        EXPECT_EQ(got["actual"].get<std::vector<int>>(), std::vector<int>(want.Actual.begin(), want.Actual.end()));
        ASSERT_EQ(got["predictions"].size(), want.Predictions.size());
        for (size_t p = 0; p < want.Predictions.size(); ++p) {
            const TBacktestPrediction& w = want.Predictions[p];
            const nlohmann::json& g = got["predictions"][p];
            EXPECT_EQ(g["mode"], modes[w.Mode]);
            EXPECT_EQ(g["requested"], w.Requested);
            EXPECT_EQ(g["category"], w.Category);
            EXPECT_EQ(g["numbers"].get<std::vector<int>>(), std::vector<int>(w.Numbers.begin(), w.Numbers.end()));
            if (w.Predicted()) {
                EXPECT_EQ(g["table"], w.Table);
                EXPECT_EQ(g["hits"], w.Hits);
            } else {
                EXPECT_TRUE(g["table"].is_null());
                EXPECT_TRUE(g["hits"].is_null());
            }
        }
    }
    const std::vector<TBacktestSummary> summary = backtest.Summary();
    ASSERT_EQ(report["summary"].size(), summary.size());
    for (size_t s = 0; s < summary.size(); ++s) {
        const nlohmann::json& g = report["summary"][s];
        EXPECT_EQ(g["mode"], modes[summary[s].Mode]);
        EXPECT_EQ(g["predicted"], summary[s].Predicted);
        EXPECT_EQ(g["hits"], summary[s].Hits);
        EXPECT_DOUBLE_EQ(g["chance_mean"].get<double>(), summary[s].Requested * 5.0 / 25);
        if (summary[s].Predicted > 0) {
            EXPECT_DOUBLE_EQ(g["p_value"].get<double>(), summary[s].PValue);
            EXPECT_DOUBLE_EQ(g["mean"].get<double>(), summary[s].Mean);
        } else {
            EXPECT_TRUE(g["p_value"].is_null());
            EXPECT_TRUE(g["mean"].is_null());
        }
    }
}

TEST(BacktestCli, TextHasATablePerModeAndNarrows)
{
    const std::string path = DemoGame("bttext", "0525", 80);
    const std::string run = "backtest '" + path + "' --last 3 --tables 10 --tested 20 --stat 6 --modes aug,build";
    const TCliResult all = RunCli(run);
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_NE(all.out.find("Augmentative\n i  j  predicted   hits     mean  chance mean  p\n"), std::string::npos);
    EXPECT_NE(all.out.find("Build-up\n"), std::string::npos);
    EXPECT_EQ(all.out.find("Absolute"), std::string::npos);
    // i 1..24 with j up to min(i, 5): 110 rows a mode.
    const std::regex row("^ ?[0-9]+ +[0-9]+ +[0-9]+ +[0-9]+ +[-0-9.]+ +[0-9.]+ +[-0-9.e]+$");
    std::istringstream lines(all.out);
    int rows = 0;
    for (std::string line; std::getline(lines, line);)
        rows += std::regex_match(line, row) ? 1 : 0;
    EXPECT_EQ(rows, 2 * 110) << all.out;

    const TCliResult one = RunCli(run + " --requested 5 --category 2");
    ASSERT_EQ(one.status, 0) << one.err;
    EXPECT_NE(one.out.find("\n 5  2          "), std::string::npos) << one.out;
    EXPECT_EQ(one.out.find("\n 5  1 "), std::string::npos);
    EXPECT_EQ(one.out.find("\n 4  2 "), std::string::npos);

    const TCliResult json = RunCli(run + " --requested 5 --json");
    ASSERT_EQ(json.status, 0) << json.err;
    const nlohmann::json report = nlohmann::json::parse(json.out);
    EXPECT_EQ(report["summary"].size(), 2u * 5u);
    for (const auto& d : report["draws"])
        for (const auto& p : d["predictions"])
            EXPECT_EQ(p["requested"], 5);
}

TEST(BacktestCli, WrongArgumentsAnswerUsageOrFailure)
{
    const std::string path = DemoGame("btargs", "0525", 60);
    struct Case {
        std::string args;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {"", 2, "--last H is required"},
        {" --last 0", 2, "--last needs a number of draws"},
        {" --last x", 2, "--last"},
        {" --last 2 --dump-table 3 --json", 2, "--dump-table is not an option of backtest"},
        {" --last 2 --requested 0", 2, "--requested needs"},
        {" --last 2 --requested 25", 2, "predicts 1 to 24 numbers"},
        {" --last 2 --category 15", 2, "--category needs"},
        {" --last 2 --requested 2 --category 3", 2, "no such list"},
        {" --last 2 --max-req 4 --requested 5", 2, "no such list"},
        {" --last 60", 1, "Draws to backtest should be in the range of 1 - 59."},
        {" --last 99999999999", 1, "Draws to backtest should be in the range of 1 - 59."},
        {" --last -3", 2, "--last needs a number of draws of at least 1"},
        {" --last 30", 1, "The history before the 30 most recent draws does not suit the options"},
        {" --last 2 --tables 0", 1, "Tables per draw should be in the range of 1 - 999999999."},
        {" --last 2 --field 2", 1, "INTERNAL ERROR : Field 2 inactive"},
    };
    for (const Case& c : cases) {
        const TCliResult r = RunCli("backtest '" + path + "' --tested 20 --stat 6" + c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
        EXPECT_TRUE(r.out.empty()) << c.args;
    }
    const TCliResult missing = RunCli("backtest /nonexistent/game.drw --last 2");
    EXPECT_EQ(missing.status, 1);
}

} // namespace
