// jux-cli import: the analysis printed as text or JSON, the import saved to
// the game file (once), the manual layout, failures and wrong usage.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <nlohmann/json.hpp>

#include "data/GameFile.h"
#include "support/CliRunner.h"
#include "support/GameFixtures.h"

namespace {

using nlohmann::json;

const std::string kSamples = std::string(JUX_TESTS_DIR) + "/data/import-cases/";

std::string Dir()
{
    const char* tmp = std::getenv("JUX_TEST_TMP");
    std::string d = std::string(tmp ? tmp : "/tmp/jux-cli-test") + "/import/";
    std::system(("rm -rf '" + d + "' && mkdir -p '" + d + "'").c_str());
    return d;
}

std::string Q(const std::string& s) { return "'" + s + "'"; }

std::string NewGame(const std::string& dir, const std::string& name, const std::string& formation, int dpd)
{
    const std::string path = dir + name;
    const auto r = RunCli("new-game " + Q(path) + " --name Test --formation '" + formation + "' --dpd " +
                          std::to_string(dpd));
    EXPECT_EQ(r.status, 0) << r.err;
    return path;
}

} // namespace

TEST(ImportCli, DryRunShowsImportSavesAndASecondImportAddsNothing)
{
    const std::string d = Dir();
    const std::string game = NewGame(d, "pb.drw", "0569|0126", 1);
    const std::string file = Q(kSamples + "real-us-powerball/input.csv");

    auto r = RunCli("import " + Q(game) + " " + file + " --dry-run --json");
    ASSERT_EQ(r.status, 0) << r.err;
    json j = json::parse(r.out);
    for (const char* key : {"ready", "messages", "numbers_per_line", "date_start", "date_type", "numbers_start", "skip",
                            "after_date", "header", "candidates", "skipped", "imported"})
        EXPECT_TRUE(j.contains(key)) << key;
    EXPECT_TRUE(j["ready"].get<bool>());
    EXPECT_EQ(j["messages"], json::array({"File analyzed.\n\rYou can still adjust the parameters if the results are "
                                          "not satisfactory."}));
    EXPECT_EQ(j["numbers_per_line"], 10);
    EXPECT_EQ(j["date_start"], 1);
    EXPECT_EQ(j["date_type"], 1);
    EXPECT_EQ(j["numbers_start"], 4);
    EXPECT_EQ(j["skip"], 0);
    EXPECT_EQ(j["after_date"], 0);
    EXPECT_EQ(j["header"], "Found 336 draws to import");
    EXPECT_TRUE(j["imported"].is_null());
    ASSERT_EQ(j["candidates"].size(), 336u);
    EXPECT_EQ(j["candidates"][0]["shown"], 1);
    EXPECT_EQ(j["candidates"][0]["date"], "2013-05-18");
    EXPECT_EQ(j["candidates"][0]["index"], 1);
    EXPECT_EQ(j["candidates"][0]["fields"], json::parse("[[10,13,14,22,52],[11]]"));
    EXPECT_EQ(j["skipped"][0]["reason"], "balls outside 1..26");
    EXPECT_EQ(j["skipped"][0]["count"], 62);
    EXPECT_EQ(ReadGameInfo(game).DrawCount, 0u);

    r = RunCli("import " + Q(game) + " " + file + " --json");
    ASSERT_EQ(r.status, 0) << r.err;
    j = json::parse(r.out);
    EXPECT_EQ(j["imported"], 336);
    EXPECT_EQ(j["messages"].back(), "Imported 336 draws.");
    EXPECT_EQ(ReadGameInfo(game).DrawCount, 336u);
    EXPECT_FALSE(std::filesystem::exists(game + ".tmp"));

    r = RunCli("import " + Q(game) + " " + file);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Found 0 draws to import\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("336 lines skipped: already in the game\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Imported 0 draws.\n"), std::string::npos) << r.out;
    EXPECT_EQ(ReadGameInfo(game).DrawCount, 336u);
}

TEST(ImportCli, ManualLayoutAndReverseOrder)
{
    const std::string d = Dir();
    const std::string game = NewGame(d, "plain.drw", "0649", 0);
    const std::string file = d + "plain.txt";
    std::ofstream(file) << "9 1 2 3 4 5 6\n8 7 8 9 10 11 12\n7 13 14 15 16 17 18\n";
    auto r = RunCli("import " + Q(game) + " " + Q(file) + " --skip 1 --reverse --json");
    ASSERT_EQ(r.status, 0) << r.err;
    const json j = json::parse(r.out);
    EXPECT_EQ(j["messages"], json::array({"Imported 3 draws."}));
    EXPECT_EQ(j["numbers_start"], 2);
    EXPECT_EQ(j["skip"], 1);
    ASSERT_EQ(j["candidates"].size(), 3u);
    EXPECT_EQ(j["candidates"][0]["shown"], 3);
    EXPECT_TRUE(j["candidates"][0]["date"].is_null());
    auto draws = RunCli("draws " + Q(game));
    EXPECT_EQ(draws.out.substr(0, draws.out.find('\n')).find("13 14 15 16 17 18") != std::string::npos, true)
        << draws.out;
    // Without --skip the analysis finds the same layout; a file without dates is taken again in full.
    r = RunCli("import " + Q(game) + " " + Q(file) + " --dry-run");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Layout: numbers at integer 2; skip 1\nFound 3 draws to import\n"), std::string::npos) << r.out;
}

TEST(ImportCli, FailuresAndWrongUsage)
{
    const std::string d = Dir();
    const std::string game = NewGame(d, "g.drw", "0649", 1);
    const std::string noise = d + "noise.txt";
    std::ofstream(noise) << "no numbers here\n1 2\n";
    const struct {
        std::string args;
        int status;
        std::string err;
    } rows[] = {
        {"import " + Q(game) + " " + Q(noise), 1,
         "jux-cli import: Unable to analyze the history draw file. Cannot find the required amount of numbers per line."},
        {"import " + Q(game) + " " + Q(d + "missing.txt"), 1, "jux-cli import: Unable to load file '" + d + "missing.txt'"},
        {"import " + Q(game), 2, "usage: jux-cli import"},
        {"import " + Q(game) + " " + Q(noise) + " --date-format 8", 2, "usage: jux-cli import"},
        {"import " + Q(game) + " " + Q(noise) + " --skip x", 2, "usage: jux-cli import"},
        {"import " + Q(game) + " " + Q(noise) + " --skip -1", 2, "usage: jux-cli import"},
        {"import " + Q(game) + " " + Q(noise) + " --after-date 999", 2, "usage: jux-cli import"},
        {"import " + Q(d + "nogame.drw") + " " + Q(noise), 1, "jux-cli import"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args);
        const auto r = RunCli(row.args);
        EXPECT_EQ(r.status, row.status);
        EXPECT_NE(r.err.find(row.err), std::string::npos) << r.err;
    }
    EXPECT_EQ(ReadGameInfo(game).DrawCount, 0u);
}

// A game whose file holds records the history left out is never saved by
// an import, which would drop them; a dry run still shows the import.
TEST(ImportCli, GameWithRecordsLeftOutIsNotSaved)
{
    const std::string d = Dir();
    const TGameInfo g = fixtures::MakeGame(6, 49, 1);
    TDrawClass model(g);
    fixtures::FillDraws(model, g, 4);
    fixtures::Bytes b = fixtures::BuildImage(g, model);
    const size_t at = fixtures::Le32(b, 8);
    std::copy(b.begin() + at, b.begin() + at + 5, b.begin() + at + 9); // record 2 repeats record 1's day
    fixtures::FixChecksum(b);
    const std::string game = d + "repeat.drw";
    ASSERT_TRUE(fixtures::WriteFile(game, b));
    const std::string text = d + "new.txt";
    {
        std::ofstream out(text);
        for (int day = 1; day <= 12; ++day)
            out << (day < 10 ? "0" : "") << day << "/03/2021 " << day << " " << day + 10 << " " << day + 20 << " "
                << day + 30 << " 45 " << 46 + day % 4 << "\n";
    }
    const std::string note = "jux-cli import: 1 of the 4 draw records in the game file were not loaded:\n";
    auto r = RunCli("import " + Q(game) + " " + Q(text) + " --dry-run");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err.find(note), 0u) << r.err;
    EXPECT_NE(r.out.find("Found 12 draws to import"), std::string::npos) << r.out;

    r = RunCli("import " + Q(game) + " " + Q(text));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.find(note), 0u) << r.err;
    EXPECT_NE(r.err.find(game + " was left unchanged; nothing was imported\n"), std::string::npos) << r.err;
    fixtures::Bytes after;
    ASSERT_TRUE(fixtures::ReadFile(game, after));
    EXPECT_EQ(after, b);
}
