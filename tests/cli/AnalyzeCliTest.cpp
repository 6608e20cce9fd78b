// jux-cli analyze on game files made with jux-cli demo-game: the text and
// JSON reports agree with an engine run in process, and wrong options answer
// their messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "data/GameFile.h"
#include "engine/GameOptions.h"
#include "engine/JUXEngine.h"
#include "support/CliRunner.h"

namespace {

using clitest::Tmp;

// A demo game file of `draws` draws, written afresh.
std::string DemoGame(const std::string& name, const std::string& formation, int draws)
{
    return clitest::DemoGame(name + ".drw", formation, 3, draws);
}

std::vector<int> Ints(const std::string& text)
{
    std::vector<int> out;
    std::stringstream s(text);
    std::string item;
    while (std::getline(s, item, ','))
        if (!item.empty())
            out.push_back(std::stoi(item));
    return out;
}

// The ids of one category list in the JSON report.
std::vector<int> JsonListIds(const std::string& json, const std::string& mode, int i, int j)
{
    const size_t at = json.find("\"" + mode + "\": [");
    if (at == std::string::npos)
        return {{-1}};
    const std::string key =
        "{\"requested\": " + std::to_string(i) + ", \"category\": " + std::to_string(j) + ", \"ids\": [";
    const size_t k = json.find(key, at);
    if (k == std::string::npos)
        return {{-1}};
    const size_t from = k + key.size();
    return Ints(json.substr(from, json.find(']', from) - from));
}

std::vector<int> StoreInts(const TIntegerStore* store)
{
    std::vector<int> out;
    for (int p = 1; store && p <= store->Count(); ++p) {
        int32_t v = 0;
        store->GetInt(p, v);
        out.push_back(v);
    }
    return out;
}

TEST(AnalyzeCli, JsonMatchesAnEngineRunInProcess)
{
    const std::string game = DemoGame("json", "0649", 300);
    const TCliResult r = RunCli("analyze '" + game + "' --tables 40 --tested 50 --stat 12 --per-column 5 --json");
    ASSERT_EQ(r.status, 0) << r.err;

    TCurrentGame current;
    ASSERT_EQ(OpenGameFile(game, current), gioValid);
    TGameOptions options;
    options.SetGame(current.Draws.get());
    options.SetDefaults();
    options.TotalTestDraws = 50;
    options.MaxStatData = 12;
    options.SetStartPoint(300 - 50);
    options.MaximumJUXsPerColumn = 5;
    options.MaximumJUXsToScan = 40;
    TJUXEngine engine(options);
    engine.StartRun();
    EXPECT_EQ(engine.RunAnalysis(), TJUXEngine::TRunEnd::Finished);

    EXPECT_NE(r.out.find("\"tables_computed\": 40,"), std::string::npos);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(r.out, m, std::regex("\"table_ids\": \\[([0-9, ]*)\\]")));
    EXPECT_EQ(Ints(m[1]), StoreInts(&engine.TableIds));
    // Every list of every mode, empty ones included: 3 modes, 48 columns.
    size_t lists = 0;
    for (size_t at = r.out.find("\"requested\""); at != std::string::npos; at = r.out.find("\"requested\"", at + 1))
        ++lists;
    EXPECT_EQ(lists, size_t(3 * (1 + 2 + 3 + 4 + 5 + 6 * 43)));
    const char* modes[] = {"augmentative", "absolute", "buildup"};
    int nonEmpty = 0;
    for (int mode = 0; mode < 3; ++mode)
        for (int i : {1, 6, 20, 48})
            for (int j = 1; j <= std::min(i, 6); ++j) {
                const std::vector<int> expected = StoreInts(engine.CategoryList(i, j, mode));
                EXPECT_EQ(JsonListIds(r.out, modes[mode], i, j), expected) << modes[mode] << " " << i << " " << j;
                nonEmpty += expected.empty() ? 0 : 1;
            }
    EXPECT_GT(nonEmpty, 0);
    // The final order of the newest table.
    const TJUXClass* newest = engine.FindTable(40);
    ASSERT_NE(newest, nullptr);
    ASSERT_TRUE(std::regex_search(r.out, m, std::regex("\\{\"id\": 40, \"final_order\": \\[([0-9, ]*)\\]\\}")));
    EXPECT_EQ(Ints(m[1]), std::vector<int>(newest->FinalOrder.begin(), newest->FinalOrder.end()));
}

TEST(AnalyzeCli, TextShowsTheBestTablesSortedBalls)
{
    const std::string game = DemoGame("text", "0649", 300);
    const TCliResult r = RunCli("analyze '" + game + "' --tables 25 --modes aug,build");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Augmentative\n"), std::string::npos);
    EXPECT_NE(r.out.find("Build-up\n"), std::string::npos);
    EXPECT_EQ(r.out.find("Absolute\n"), std::string::npos);
    EXPECT_TRUE(std::regex_search(r.out, std::regex("Tables computed: 25 in [0-9]+\\.[0-9]{3} s\n$")));
    std::regex line(" ?([0-9]+) numbers +([0-9]+) hits: table ([0-9]+):((?: [0-9]{2})+)");
    int seen = 0;
    for (std::sregex_iterator it(r.out.begin(), r.out.end(), line), end; it != end; ++it) {
        const int i = std::stoi((*it)[1]);
        std::vector<int> balls;
        std::stringstream s((*it)[4]);
        for (int b; s >> b;)
            balls.push_back(b);
        EXPECT_EQ(int(balls.size()), i);
        EXPECT_TRUE(std::is_sorted(balls.begin(), balls.end()));
        EXPECT_GE(balls.front(), 1);
        EXPECT_LE(balls.back(), 49);
        ++seen;
    }
    EXPECT_GT(seen, 10);
}

TEST(AnalyzeCli, DumpTableCarriesRowsOfTheRightSize)
{
    const std::string game = DemoGame("dump", "0535", 200);
    const TCliResult r =
        RunCli("analyze '" + game + "' --tables 5 --tested 30 --stat 10 --start 160 --json --dump-table 5");
    ASSERT_EQ(r.status, 0) << r.err;
    const size_t at = r.out.find("{\"id\": 5, ");
    ASSERT_NE(at, std::string::npos);
    const std::string table = r.out.substr(at, r.out.find("]]}", at) + 3 - at);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(table, m, std::regex("\"row_orders\": \\[(.*)\\], \"row_hits\": \\[(.*)\\]\\}")));
    // Rows = T + D + R = 30 + 10 + 10; 35 balls a row, 5 hits a row.
    const std::string orders = m[1], hits = m[2];
    EXPECT_EQ(std::count(orders.begin(), orders.end(), '['), 50);
    EXPECT_EQ(std::count(hits.begin(), hits.end(), '['), 50);
    ASSERT_TRUE(std::regex_search(orders, m, std::regex("^\\[([0-9, ]*)\\]")));
    std::vector<int> row = Ints(m[1]);
    std::sort(row.begin(), row.end());
    std::vector<int> pool(35);
    for (int b = 0; b < 35; ++b)
        pool[size_t(b)] = b + 1;
    EXPECT_EQ(row, pool);
    ASSERT_TRUE(std::regex_search(hits, m, std::regex("^\\[([0-9, ]*)\\]")));
    EXPECT_EQ(Ints(m[1]).size(), 5u);
}

TEST(AnalyzeCli, LowestZeroGamesReportTheirOwnBalls)
{
    const std::string game = DemoGame("lowest0", "0540L", 150);
    const TCliResult r = RunCli("analyze '" + game + "' --tables 3 --tested 20 --stat 10 --json");
    ASSERT_EQ(r.status, 0) << r.err;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(r.out, m, std::regex("\\{\"id\": 3, \"final_order\": \\[([0-9, ]*)\\]\\}")));
    std::vector<int> balls = Ints(m[1]);
    std::sort(balls.begin(), balls.end());
    ASSERT_EQ(balls.size(), 40u);
    EXPECT_EQ(balls.front(), 0);
    EXPECT_EQ(balls.back(), 39);
}

TEST(AnalyzeCli, KeptTablesStayInMemory)
{
    const std::string game = DemoGame("keep", "0649", 300);
    const TCliResult plain = RunCli("analyze '" + game + "' --tables 400 --modes abs --min-req 6 --max-req 6 --json");
    const TCliResult kept =
        RunCli("analyze '" + game + "' --tables 400 --modes abs --min-req 6 --max-req 6 --keep 3,7 --json");
    ASSERT_EQ(plain.status, 0) << plain.err;
    ASSERT_EQ(kept.status, 0) << kept.err;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(plain.out, m, std::regex("\"table_ids\": \\[([0-9, ]*)\\]")));
    const std::vector<int> plainIds = Ints(m[1]);
    ASSERT_TRUE(std::regex_search(kept.out, m, std::regex("\"table_ids\": \\[([0-9, ]*)\\]")));
    const std::vector<int> keptIds = Ints(m[1]);
    auto has = [](const std::vector<int>& v, int id) { return std::find(v.begin(), v.end(), id) != v.end(); };
    EXPECT_TRUE(has(keptIds, 3) && has(keptIds, 7));
    // Without the option, at least one of them has been recycled.
    EXPECT_FALSE(has(plainIds, 3) && has(plainIds, 7));
}

struct Refusal {
    const char* name;
    const char* formation;
    const char* options;
    int status;
    const char* message;
};

class AnalyzeCliRefuses : public ::testing::TestWithParam<Refusal> {};

TEST_P(AnalyzeCliRefuses, WithItsMessage)
{
    const Refusal& c = GetParam();
    const std::string game = DemoGame(std::string("refuse_") + c.name, c.formation, 300);
    const TCliResult r = RunCli("analyze '" + game + "' " + c.options);
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Options, AnalyzeCliRefuses,
    ::testing::Values(
        Refusal{"stat1", "0649", "--stat 1", 1, "Statistical data must be greater than 1.\n"},
        Refusal{"tested0", "0649", "--tested 0", 1, "Tested real draws must be greater than 0.\n"},
        Refusal{"history", "0649", "--stat 101", 1,
                "Not enough history draws for given tested draws/statistical data/start point (run factor). Please "
                "adjust these settings.\n"},
        Refusal{"start", "0649", "--start 250", 1, "Given Start Point 250 produces negative Run Factor overhead\n"},
        Refusal{"modes", "0649", "--modes ,", 1, "Invalid compute mode selection.\n"},
        Refusal{"perColumn", "0649", "--per-column 0", 1,
                "Maximum JUXs per column should be in the range of 1 - 9999.\n"},
        Refusal{"tables", "0649", "--tables 0", 1, "Maximum JUXs to scan should be in the range of 1 - 999999999.\n"},
        Refusal{"reqOrder", "0649", "--min-req 5 --max-req 3", 1,
                "Maximum requested numbers cannot be lower to minimum requested numbers.\n"},
        Refusal{"field2", "0649", "--field 2", 1, "INTERNAL ERROR : Field 2 inactive\n"},
        Refusal{"field0", "0649", "--field 0", 1, "INTERNAL ERROR : Invalid field request (0)\n"},
        Refusal{"ordered", "0310S", "--tables 2", 1, "INTERNAL ERROR : Game from same container detected.\n"},
        Refusal{"dumpMissing", "0649", "--tables 3 --json --dump-table 99", 1, "table 99 is not in memory"},
        Refusal{"unknownMode", "0649", "--modes aug,fast", 2, "unknown mode 'fast'"},
        Refusal{"notInteger", "0649", "--tables many", 2, "needs an integer"},
        Refusal{"dumpText", "0649", "--dump-table 1", 2, "--dump-table needs --json"}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

TEST(AnalyzeCli, MissingGameFileFails)
{
    const TCliResult r = RunCli("analyze '" + Tmp("nothing-here.drw") + "'");
    EXPECT_NE(r.status, 0);
    EXPECT_FALSE(r.err.empty());
}

} // namespace
