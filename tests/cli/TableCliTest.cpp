// jux-cli table: the JUX Table page of one table, as JSON and as text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include <nlohmann/json.hpp>

#include "support/CliRunner.h"

namespace {

using clitest::Tmp;

std::string Game(const std::string& name, const std::string& formation)
{
    return clitest::DemoGame(name, formation, 5);
}

const char* const kRun = " --tested 40 --stat 8 --tables 30";

nlohmann::json Json(const std::string& args)
{
    const TCliResult r = RunCli("table " + args + " --json");
    EXPECT_EQ(r.status, 0) << args << "\n" << r.err;
    return r.status == 0 ? nlohmann::json::parse(r.out) : nlohmann::json::object();
}

} // namespace

TEST(TableCli, JsonOfANewDisplay)
{
    const std::string game = Game("t649.drw", "0649");
    const TCliResult r = RunCli("table '" + game + "'" + kRun + " --table 30 --json");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1); // one line
    const nlohmann::ordered_json j = nlohmann::ordered_json::parse(r.out);
    std::vector<std::string> keys;
    for (const auto& item : j.items())
        keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"id", "requested", "absolute", "look_ahead", "delay_category",
                                              "delay_mode", "label", "hits_produced", "predicted_caption",
                                              "predicted_grid", "predicted_colours", "clipboard_sorted",
                                              "clipboard_original", "hits_chart", "delay_chart"}));
    EXPECT_EQ(j["id"], 30);
    EXPECT_EQ(j["requested"], 6);
    EXPECT_EQ(j["absolute"], false);
    EXPECT_EQ(j["look_ahead"], 5);
    EXPECT_EQ(j["delay_category"], 0);
    EXPECT_EQ(j["delay_mode"], "summary");
    EXPECT_EQ(j["label"], "6 numbers requested out of 49");
    ASSERT_EQ(j["hits_produced"].size(), 4u);
    EXPECT_EQ(j["hits_produced"][0][6], "6 hits");
    // Draws with no hit and draws with at least one make up every tested draw.
    const int total =
        std::stoi(j["hits_produced"][3][0].get<std::string>()) + std::stoi(j["hits_produced"][3][1].get<std::string>());
    EXPECT_EQ(total, 40);
    EXPECT_EQ(j["predicted_caption"], " Predicted numbers for next draw ");
    ASSERT_EQ(j["predicted_grid"].size(), 2u);
    EXPECT_EQ(j["predicted_grid"][1][0], "+ 0");
    EXPECT_EQ(j["predicted_colours"][0][3], "fixed");
    EXPECT_EQ(j["predicted_colours"][1][3], "money");
    std::vector<int> numbers;
    for (int c = 1; c <= 6; ++c)
        numbers.push_back(std::stoi(j["predicted_grid"][1][c].get<std::string>()));
    std::sort(numbers.begin(), numbers.end());
    std::string sorted;
    for (int n : numbers)
        sorted += (sorted.empty() ? "" : " ") + std::string(n < 10 ? "0" : "") + std::to_string(n);
    EXPECT_EQ(j["clipboard_sorted"], sorted);
    ASSERT_EQ(j["hits_chart"]["series"].size(), 2u);
    EXPECT_EQ(j["hits_chart"]["series"][0].size(), 39u);
    EXPECT_EQ(j["hits_chart"]["series"][1].size(), 34u);
    EXPECT_EQ(j["hits_chart"]["series"][0][0][0], 2);
    EXPECT_EQ(j["delay_chart"]["legend"], true);
    ASSERT_EQ(j["delay_chart"]["series"].size(), 6u);
    EXPECT_EQ(j["delay_chart"]["series"][1]["title"], "2 hits");
    EXPECT_EQ(j["delay_chart"]["series"][1]["kind"], "bar");

    // The text form shows the same grids.
    const TCliResult text = RunCli("table '" + game + "'" + kRun + " --table 30");
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("JUX 30: 6 numbers requested out of 49"), std::string::npos);
    EXPECT_NE(text.out.find("Copy to clipboard: " + sorted), std::string::npos);
    EXPECT_NE(text.out.find("Overall delay of 'at least x' hits"), std::string::npos);
}

TEST(TableCli, OptionsSetTheDisplay)
{
    const std::string game = Game("t649o.drw", "0649");
    const std::string base = "'" + game + "'" + kRun + " --table 30";

    nlohmann::json j = Json(base + " --requested 15 --compare 7,3,7");
    ASSERT_EQ(j["predicted_grid"].size(), 3u);
    EXPECT_EQ(j["predicted_grid"][0].size(), 11u);
    EXPECT_EQ(j["predicted_grid"][2][0], "+ 10");
    EXPECT_EQ(j["predicted_grid"][2][6], "");
    EXPECT_EQ(j["predicted_colours"][2][6], "sky");
    EXPECT_EQ(j["predicted_caption"], " Predicted numbers for next draw (compare to 03 07)");
    EXPECT_EQ(j["hits_produced"][0].size(), 7u); // Ct = min(15, 6)

    j = Json(base + " --delay-category 2 --actual-delays --look-ahead 50 --absolute");
    EXPECT_EQ(j["absolute"], true);
    EXPECT_EQ(j["delay_mode"], "actual");
    EXPECT_EQ(j["delay_chart"]["y_title"], "Draws passed");
    EXPECT_EQ(j["delay_chart"]["legend"], false);
    const std::string x = j["delay_chart"]["x_title"];
    EXPECT_EQ(x.rfind("Delay to produce at least 2 hits", 0), 0u) << x;
    EXPECT_EQ(x.substr(x.size() - 9), " - Actual");
    ASSERT_EQ(j["delay_chart"]["series"].size(), 1u);
    EXPECT_EQ(j["delay_chart"]["series"][0]["kind"], "line");
    EXPECT_GE(j["delay_chart"]["series"][0]["points"].size(), 2u);
    EXPECT_TRUE(j["hits_chart"]["series"][1].empty()); // look-ahead beyond T
    EXPECT_EQ(j["hits_chart"]["x_title"], "Tested Draws (blue line averaged on 50 future draws)");

    // One category on a 5 of 35 game's single requested number is chosen by itself.
    const std::string small = Game("t535.drw", "0535");
    j = Json("'" + small + "'" + kRun + " --table 30 --requested 1");
    EXPECT_EQ(j["delay_category"], 1);
    EXPECT_EQ(j["label"], "1 numbers requested out of 35");
    EXPECT_EQ(j["delay_chart"]["series"].size(), 1u);
}

TEST(TableCli, RunStateFileShowsTheSamePage)
{
    const std::string game = Game("t649s.drw", "0649");
    const std::string state = Tmp("table.jsf");
    std::remove(state.c_str());
    ASSERT_EQ(RunCli("analyze '" + game + "'" + kRun + " --save-state '" + state + "'").status, 0);
    const nlohmann::json fromGame = Json("'" + game + "'" + kRun + " --table 25 --delay-category 1");
    const nlohmann::json fromState = Json("'" + state + "' --table 25 --delay-category 1");
    EXPECT_EQ(fromGame, fromState);
}

TEST(TableCli, RefusesWhatItCannotShow)
{
    const std::string game = Game("t649e.drw", "0649");
    const std::string base = "'" + game + "'" + kRun;
    const TCliResult gone = RunCli("table " + base + " --table 31");
    EXPECT_EQ(gone.status, 1);
    EXPECT_EQ(gone.err, "Selected JUX has not been computed or eliminated by the process\n");
    EXPECT_TRUE(gone.out.empty());

    const std::string state = Tmp("refuse.jsf");
    for (const std::string& args :
         {base, base + " --table 0", base + " --table x", base + " --table 3 --requested 49",
          base + " --table 3 --requested 0", base + " --table 3 --delay-category 7", base + " --table 3 --look-ahead 0",
          base + " --table 3 --compare 1,100", base + " --table 3 --compare 1,,2", base + " --table 3 --bogus",
          std::string("--table 3"), "'" + state + "' --table 3 --tables 5"}) {
        const TCliResult r = RunCli("table " + args);
        EXPECT_EQ(r.status, 2) << args << "\n" << r.err;
        EXPECT_NE(r.err.find("usage: jux-cli table"), std::string::npos) << args;
    }
    EXPECT_EQ(RunCli("table '" + Tmp("missing.drw") + "' --table 3").status, 1);
    const TCliResult badStart = RunCli("table '" + game + "' --start 250 --table 3");
    EXPECT_EQ(badStart.status, 1);
    EXPECT_EQ(badStart.err, "jux-cli table: Given Start Point 250 produces negative Run Factor overhead\n");
    // More requested numbers than the pool holds are refused, not shown as
    // "60 numbers requested out of 49".
    const TCliResult tooMany = RunCli("table " + base + " --min-req 60 --table 3");
    EXPECT_EQ(tooMany.status, 1);
    EXPECT_EQ(tooMany.err, "jux-cli table: Minimum requested numbers cannot be greater than 48.\n");
    EXPECT_EQ(tooMany.out, "");
}
