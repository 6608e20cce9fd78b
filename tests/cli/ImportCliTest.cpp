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
    const auto r =
        RunCli("new-game " + Q(path) + " --name Test --formation '" + formation + "' --dpd " + std::to_string(dpd));
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
    for (const char* key : {"ready",         "messages",    "numbers_per_line", "date_start",     "date_type",
                            "numbers_start", "skip",        "after_date",       "header",         "layout",
                            "delimiter",     "date_column", "field1_columns",   "field2_columns", "sequence_column",
                            "column_names",  "header_line", "candidates",       "skipped",        "imported"})
        EXPECT_TRUE(j.contains(key)) << key;
    EXPECT_TRUE(j["ready"].get<bool>());
    EXPECT_EQ(j["messages"], json::array({"File analyzed.\n\rYou can still adjust the parameters if the results are "
                                          "not satisfactory."}));
    // A delimited file is read by its columns: all six numbers stand in the second.
    EXPECT_EQ(j["delimiter"], "comma");
    EXPECT_EQ(j["date_column"], 1);
    EXPECT_EQ(j["date_type"], 1);
    EXPECT_EQ(j["field1_columns"], json::array({2}));
    EXPECT_TRUE(j["field2_columns"].is_null());
    EXPECT_EQ(j["column_names"], json::array({"Draw Date", "Winning Numbers", "Multiplier"}));
    EXPECT_EQ(j["header_line"], 1);
    EXPECT_EQ(j["layout"]["kind"], "columns");
    EXPECT_EQ(j["header"], "Found 336 draws to import");
    EXPECT_TRUE(j["imported"].is_null());
    ASSERT_EQ(j["candidates"].size(), 336u);
    EXPECT_EQ(j["candidates"][0]["shown"], 1);
    EXPECT_EQ(j["candidates"][0]["date"], "2013-05-18");
    EXPECT_EQ(j["candidates"][0]["index"], 1);
    EXPECT_EQ(j["candidates"][0]["fields"], json::parse("[[10,13,14,22,52],[11]]"));
    EXPECT_EQ(j["skipped"][0]["reason"], "balls outside 1..26");
    EXPECT_EQ(j["skipped"][0]["count"], 62);
    EXPECT_EQ(j["skipped"][0]["lines"], json::parse("[7,9,12,13,17,25,35,45,48,52]"));
    EXPECT_EQ(j["skipped"][1], json::parse(R"({"reason":"draw repeated","count":1,"lines":[397]})"));
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
    EXPECT_NE(r.out.find("Layout: numbers at integer 2; skip 1\nFound 3 draws to import\n"), std::string::npos)
        << r.out;
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
         "jux-cli import: Unable to analyze the history draw file. Cannot find the required amount of numbers per "
         "line."},
        {"import " + Q(game) + " " + Q(d + "missing.txt"), 1,
         "jux-cli import: Unable to load file '" + d + "missing.txt'"},
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

// Columns given by hand: 1-based, with ranges; the JSON names what was read and
// why the rest was left out. What is left open is found by the analysis.
TEST(ImportCli, ColumnsGivenByHand)
{
    const std::string d = Dir();
    const std::string game = NewGame(d, "sz.drw", "0649|0110L", 1);
    const std::string file = d + "lotto.csv";
    {
        std::ofstream out(file);
        out << "Datum;Wochentag;Z1;Z2;Z3;Z4;Z5;Z6;ZZ;SZ;Spieleinsatz\n";
        for (int day = 1; day <= 9; ++day)
            out << "0" << day << ".03.2021;Mi;" << day << ";" << day + 10 << ";" << day + 20 << ";" << day + 30 << ";"
                << day + 35 << ";" << day + 40 << ";;" << (day == 4 ? 12 : day) << ";\"1.234.567,50\"\n";
    }
    auto r = RunCli("import " + Q(game) + " " + Q(file) +
                    " --date-column 1 --date-format 0 --numbers 3-8 --field2 10 "
                    "--dry-run --json");
    ASSERT_EQ(r.status, 0) << r.err;
    json j = json::parse(r.out);
    EXPECT_TRUE(j["messages"].empty()); // a whole layout is read as it stands
    EXPECT_EQ(j["delimiter"], "semicolon");
    EXPECT_EQ(j["date_column"], 1);
    EXPECT_EQ(j["field1_columns"], json::parse("[3,4,5,6,7,8]"));
    EXPECT_EQ(j["field2_columns"], json::parse("[10]"));
    EXPECT_EQ(j["column_names"][9], "SZ");
    ASSERT_EQ(j["candidates"].size(), 8u);
    EXPECT_EQ(j["candidates"][0]["fields"], json::parse("[[1,11,21,31,36,41],[1]]"));
    EXPECT_EQ(j["skipped"], json::parse(R"([{"reason":"balls outside 0..9","count":1,"lines":[5]}])"));

    // The date column alone: the analysis finds the numbers, and says so.
    r = RunCli("import " + Q(game) + " " + Q(file) + " --date-column 1 --dry-run");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Layout: columns split by semicolon; date in column 1 (Day/Month/Year [2/4 digit year]); "
                         "field 1 in columns 3-8, field 2 in columns 10\nFound 8 draws to import\n"),
              std::string::npos)
        << r.out;

    // Columns that hold no draw: every line says why.
    r = RunCli("import " + Q(game) + " " + Q(file) + " --date-column 1 --date-format 0 --numbers 2,11 --json");
    ASSERT_EQ(r.status, 0) << r.err;
    j = json::parse(r.out);
    EXPECT_EQ(j["imported"], 0);
    EXPECT_EQ(j["skipped"][0]["reason"], "not a number where the numbers stand");
    EXPECT_EQ(j["skipped"][0]["count"], 9);
    EXPECT_EQ(ReadGameInfo(game).DrawCount, 0u);

    r = RunCli("import " + Q(game) + " " + Q(file) + " --date-column 1 --numbers 3-8 --field2 10");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadGameInfo(game).DrawCount, 8u);

    const std::string undated = NewGame(d, "undated.drw", "0649", 0);
    const struct {
        std::string args;
        std::string err;
    } rows[] = {
        {" --numbers 0-3", "--numbers takes columns"},
        {" --numbers 8-3", "--numbers takes columns"},
        {" --numbers 3,,4", "--numbers takes columns"},
        {" --numbers 3-8 --field2 x", "--field2 takes columns"},
        {" --field2 10", "--field2 goes with --numbers"},
        {" --numbers 3-8 --skip 1", "--skip and --after-date count integers"},
        {" --numbers 3-8 --delimiter colon", "--delimiter takes"},
        {" --date-column 0 --numbers 3-8", "--date-column takes 1 to 256"},
        {" --date-column 300 --numbers 3-8", "--date-column takes 1 to 256"},
        {" --date-column 1 --numbers 3-8 --date-format 9", "--date-format takes 0 to 7"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args);
        r = RunCli("import " + Q(game) + " " + Q(file) + row.args + " --dry-run");
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(row.err), std::string::npos) << r.err;
    }
    r = RunCli("import " + Q(undated) + " " + Q(file) + " --date-column 1 --numbers 3-8 --dry-run");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("the game has no dates"), std::string::npos) << r.err;
    r = RunCli("import " + Q(undated) + " " + Q(file) + " --delimiter ';' --numbers 3-8 --dry-run --json");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(json::parse(r.out)["candidates"].size(), 9u);
}
