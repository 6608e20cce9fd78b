#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "data/GameFile.h"
#include "data/Stream.h"
#include "support/CliRunner.h"

namespace {

std::string Dir()
{
    const char* tmp = std::getenv("JUX_TEST_TMP");
    std::string d = std::string(tmp ? tmp : "/tmp/jux-cli-test") + "/games/";
    std::system(("rm -rf '" + d + "' && mkdir -p '" + d + "'").c_str());
    return d;
}

std::string Q(const std::string& s) { return "'" + s + "'"; }

int CountLines(const std::string& text)
{
    int n = 0;
    for (char c : text)
        n += c == '\n';
    return n;
}

} // namespace

TEST(GameFileCli, DemoGameIsValidAndReproducible)
{
    const std::string d = Dir();
    auto r = RunCli("demo-game " + Q(d + "a.drw") + " --draws 40 --seed 9");
    ASSERT_EQ(r.status, 0) << r.err;
    r = RunCli("demo-game " + Q(d + "b.drw") + " --draws 40 --seed 9");
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<uint8_t> a, b;
    std::string err;
    ASSERT_TRUE(ReadWholeFile(d + "a.drw", a, err));
    ASSERT_TRUE(ReadWholeFile(d + "b.drw", b, err));
    EXPECT_EQ(a, b);
    r = RunCli("demo-game " + Q(d + "c.drw") + " --draws 40 --seed 10");
    std::vector<uint8_t> c;
    ASSERT_TRUE(ReadWholeFile(d + "c.drw", c, err));
    EXPECT_NE(a, c);

    const TGameIOInfo info = ReadGameInfo(d + "a.drw");
    EXPECT_EQ(info.Status, gioValid);
    EXPECT_EQ(info.DrawCount, 40u);
    // Default: 500 draws of 6 of 49.
    r = RunCli("demo-game " + Q(d + "default.drw"));
    ASSERT_EQ(r.status, 0) << r.err;
    const TGameIOInfo def = ReadGameInfo(d + "default.drw");
    EXPECT_EQ(def.DrawCount, 500u);
    EXPECT_EQ(def.Game.Fields[0].Total, 49);
    EXPECT_EQ(def.Game.Fields[0].Picked, 6);

    // Refusals: existing file, bad options, impossible formation.
    EXPECT_EQ(RunCli("demo-game " + Q(d + "a.drw")).status, 1);
    EXPECT_EQ(RunCli("demo-game " + Q(d + "x.drw") + " --draws many").status, 2);
    EXPECT_EQ(RunCli("demo-game " + Q(d + "x.drw") + " --draws -1").status, 2);
    EXPECT_EQ(RunCli("demo-game " + Q(d + "x.drw") + " --formation 0799").status, 1);
    EXPECT_EQ(RunCli("demo-game").status, 2);
}

TEST(GameFileCli, InfoReportsStatusAndDefinition)
{
    const std::string d = Dir();
    ASSERT_EQ(RunCli("demo-game " + Q(d + "g.drw") + " --draws 12 --formation '0550|0210'").status, 0);
    auto r = RunCli("info " + Q(d + "g.drw"));
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* line :
         {"Status: 8", "Name: Demo 05/50 + 02/10", "Formation: 05/50 + 02/10", "Field names: Main numbers, Powerballs",
          "Draws per day: 1", "Draw count: 12", "Last draw date: 2000-01-12", "Online ID: 0"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;

    r = RunCli("info " + Q(d + "g.drw") + " --json");
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* part : {"\"status\": 8", "\"draw_count\": 12", "\"last_draw_date\": \"2000-01-12\"",
                             "\"formation\": \"05/50 + 02/10\"", "\"field_names\": [\"Main numbers\", \"Powerballs\"]",
                             "\"draws_per_day\": 1", "\"online_id\": 0"})
        EXPECT_NE(r.out.find(part), std::string::npos) << part << "\n" << r.out;

    // A damaged file: its status and text, failure status.
    std::vector<uint8_t> bytes;
    std::string err;
    ASSERT_TRUE(ReadWholeFile(d + "g.drw", bytes, err));
    bytes[bytes.size() - 2] ^= 0x55;
    ASSERT_TRUE(WriteWholeFile(d + "bad.drw", bytes, err));
    r = RunCli("info " + Q(d + "bad.drw"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("Status: 3 Corrupted game file."), std::string::npos) << r.out;
    r = RunCli("info " + Q(d + "bad.drw") + " --json");
    EXPECT_NE(r.out.find("\"status_text\": \"Corrupted game file.\""), std::string::npos) << r.out;

    r = RunCli("info " + Q(d + "missing.drw"));
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.err.empty());
    EXPECT_EQ(RunCli("info").status, 2);
    EXPECT_EQ(RunCli("info a b").status, 2);
}

TEST(GameFileCli, DrawsListsARange)
{
    const std::string d = Dir();
    ASSERT_EQ(RunCli("demo-game " + Q(d + "g.drw") + " --draws 30").status, 0);
    auto r = RunCli("draws " + Q(d + "g.drw"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(CountLines(r.out), 30);
    EXPECT_EQ(r.out.rfind("Draw #1 - 01/01/2000  Sat : ", 0), 0u) << r.out;
    r = RunCli("draws " + Q(d + "g.drw") + " --from 29 --to 100");
    EXPECT_EQ(CountLines(r.out), 2);
    EXPECT_EQ(r.out.rfind("Draw #29 - 29/01/2000  Sat : ", 0), 0u) << r.out;
    r = RunCli("draws " + Q(d + "g.drw") + " --from 5 --to 4");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(RunCli("draws " + Q(d + "g.drw") + " --from 0").status, 2);
    EXPECT_EQ(RunCli("draws " + Q(d + "g.drw") + " --to x").status, 2);
    EXPECT_EQ(RunCli("draws " + Q(d + "none.drw")).status, 1);
}

TEST(GameFileCli, NewGameWritesOnlyValidDefinitions)
{
    const std::string d = Dir();
    auto r = RunCli("new-game " + Q(d + "n.drw") + " --name 'My Lotto' --formation '0649|01BB' --dpd 2");
    ASSERT_EQ(r.status, 0) << r.err;
    TGameIOInfo info = ReadGameInfo(d + "n.drw");
    EXPECT_EQ(info.Status, gioValid);
    EXPECT_EQ(info.DrawCount, 0u);
    EXPECT_EQ(info.Game.Name, "My Lotto");
    EXPECT_EQ(info.Game.Field2Kind, 2);
    EXPECT_EQ(info.Game.DrawsPerDay, 2);
    EXPECT_EQ(info.Game.FieldNames[0], "Main numbers");
    EXPECT_EQ(info.Game.FieldNames[1], "Bonus ball");

    r = RunCli("new-game " + Q(d + "p.drw") + " --name P --formation '0550|0210' --dpd 0 --field-names 'Balls,Stars'");
    ASSERT_EQ(r.status, 0) << r.err;
    info = ReadGameInfo(d + "p.drw");
    EXPECT_EQ(info.Game.FieldNames[0], "Balls");
    EXPECT_EQ(info.Game.FieldNames[1], "Stars");
    EXPECT_EQ(info.Game.DrawsPerDay, 0);

    const struct {
        const char* args;
        int status;
    } refused[] = {
        {"--name '' --formation 0649", 1},
        {"--name X --formation 0776", 1},
        {"--name X --formation 0001", 1},
        {"--name X --formation ab49", 1},
        {"--name X --formation 0649 --dpd 10", 1},
        {"--name X --formation 0649 --dpd two", 2},
        {"--formation 0649", 2},
        {"--name X", 2},
    };
    for (const auto& c : refused) {
        r = RunCli("new-game " + Q(d + "bad.drw") + " " + c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_FALSE(r.err.empty()) << c.args;
    }
    std::vector<uint8_t> none;
    std::string err;
    EXPECT_FALSE(ReadWholeFile(d + "bad.drw", none, err));
    // An existing game is never overwritten.
    EXPECT_EQ(RunCli("new-game " + Q(d + "n.drw") + " --name Other --formation 0535").status, 1);
    EXPECT_EQ(ReadGameInfo(d + "n.drw").Game.Name, "My Lotto");
}

TEST(GameFileCli, AddDrawsReportsRefusalsAndSavesOnYes)
{
    const std::string d = Dir();
    ASSERT_EQ(RunCli("new-game " + Q(d + "n.drw") + " --name Lotto --formation '0649|01BB' --dpd 2").status, 0);
    const std::string input = "2020-01-01/1 44 5 31 12 40 23 | 7\n"
                              "2020-01-01/1 1 2 3 4 5 6 | 8\n" // same date and index
                              "2020-01-02/3 1 2 3 4 5 6 | 7\n" // index above draws per day
                              "2020-01-02 1 2 3 4 5 6 | 6\n"   // bonus ball among the main balls
                              "2020-02-30 1 2 3 4 5 6 | 9\n"   // no such day
                              "2020-01-03 1 2 3 | 4\n"         // too few balls
                              "\n# a comment\n"
                              "2020-01-01/2 1 2 3 4 5 50 | 9\n"      // ball above the pool
                              "2019-12-31 10 11 12 13 14 15|16\r\n"; // earlier, CRLF, no spaces round '|'
    // Without --yes the confirmation is answered No: nothing is written.
    auto r = RunCli("add-draws " + Q(d + "n.drw"), input);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(ReadGameInfo(d + "n.drw").DrawCount, 0u);
    EXPECT_NE(r.err.find("Do you really want to save current game file?"), std::string::npos) << r.err;

    r = RunCli("add-draws " + Q(d + "n.drw") + " --yes", input);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Added 2 draw(s), refused 6 line(s)."), std::string::npos) << r.out;
    for (const char* refusal :
         {"line 2 (", "Add draw : Date already exists in data.", "line 3 (", "Add draw : Invalid date entered.",
          "line 4 (", "Add draw : Invalid numbers entered.", "line 5 (", "'2020-02-30' is not a date", "line 6 (",
          "field 1 needs 6 numbers", "line 9 ("})
        EXPECT_NE(r.out.find(refusal), std::string::npos) << refusal << "\n" << r.out;

    r = RunCli("draws " + Q(d + "n.drw"));
    EXPECT_EQ(r.out, "Draw #1 - 31/12/2019  Tue / 1 : 10 11 12 13 14 15 | 16\n"
                     "Draw #2 - 01/01/2020  Wed / 1 : 05 12 23 31 40 44 | 07\n");

    // An undated game takes lines without dates.
    ASSERT_EQ(RunCli("new-game " + Q(d + "u.drw") + " --name U --formation 0320 --dpd 0").status, 0);
    r = RunCli("add-draws " + Q(d + "u.drw") + " --yes", "3 2 1\n20 19 18\n2020-01-01 1 2 3\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Added 2 draw(s), refused 1 line(s)."), std::string::npos) << r.out;
    EXPECT_EQ(ReadGameInfo(d + "u.drw").DrawCount, 2u);

    EXPECT_EQ(RunCli("add-draws " + Q(d + "none.drw") + " --yes", "1 2 3\n").status, 1);
    EXPECT_EQ(RunCli("add-draws").status, 2);
}
