// jux-cli speaks UTF-8 at the terminal and keeps Windows-1252 in the files;
// every JSON it prints parses, whatever the texts hold.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <nlohmann/json.hpp>

#include "data/GameFile.h"
#include "support/CliRunner.h"

namespace {

std::string Dir()
{
    const char* tmp = std::getenv("JUX_TEST_TMP");
    std::string d = std::string(tmp ? tmp : "/tmp/jux-cli-test") + "/text/";
    std::system(("rm -rf '" + d + "' && mkdir -p '" + d + "'").c_str());
    return d;
}

std::string Q(const std::string& s)
{
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

nlohmann::json Parse(const TCliResult& r)
{
    EXPECT_EQ(r.status, 0) << r.err;
    return nlohmann::json::parse(r.out, nullptr, false);
}

const std::string kName = "Loto \"\xC3\x89t\xC3\xA9\" a\\b\tc"; // Loto "Été" a\b<tab>c

} // namespace

TEST(CliText, NamesTravelAsWindows1252AndComeBackAsUtf8)
{
    const std::string d = Dir();
    const std::string game = d + "q.drw";
    auto r = RunCli("new-game " + Q(game) + " --name " + Q(kName) + " --formation 0649 --field-names " +
                    Q("Num\xC3\xA9ros"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(kName), std::string::npos) << r.out;

    // The file holds the Windows-1252 bytes.
    const TGameIOInfo info = ReadGameInfo(game);
    EXPECT_EQ(info.Game.Name, "Loto \"\xC9t\xE9\" a\\b\tc");
    EXPECT_EQ(info.Game.FieldNames[0], "Num\xE9ros");

    const nlohmann::json j = Parse(RunCli("info " + Q(game) + " --json"));
    ASSERT_FALSE(j.is_discarded());
    EXPECT_EQ(j["name"], kName);
    EXPECT_EQ(j["field_names"][0], "Num\xC3\xA9ros");
    EXPECT_NE(RunCli("info " + Q(game)).out.find("Name: " + kName + "\n"), std::string::npos);
}

TEST(CliText, TextsWindows1252CannotHoldAreRefusedAndNothingIsWritten)
{
    const std::string d = Dir();
    auto r = RunCli("new-game " + Q(d + "p.drw") + " --name " +
                    Q("Lotto \xC5\x81\xC3\xB3"
                      "d\xC5\xBA") +
                    " --formation 0649");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("'\xC5\x81' (U+0141)"), std::string::npos) << r.err;
    EXPECT_NE(std::system(("test -e " + Q(d + "p.drw")).c_str()), 0);

    ASSERT_EQ(RunCli("demo-game " + Q(d + "g.drw") + " --draws 10").status, 0);
    const std::string before = ReadGameInfo(d + "g.drw").Game.Name;
    r = RunCli("add-draws " + Q(d + "g.drw") + " --yes",
               "2030-01-01 1 2 3 4 5 6\n2030-01-02 1 2 3 4 5 6 \xE2\x9C\x93\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("U+2713"), std::string::npos) << r.err;
    EXPECT_EQ(ReadGameInfo(d + "g.drw").DrawCount, 10u);
    EXPECT_EQ(ReadGameInfo(d + "g.drw").Game.Name, before);
}

TEST(CliText, EveryJsonOutputParses)
{
    const std::string d = Dir();
    const std::string game = d + "a.drw";
    ASSERT_EQ(RunCli("demo-game " + Q(game) + " --draws 120 --seed 4").status, 0);
    const nlohmann::json analyze = Parse(RunCli("analyze " + Q(game) +
                                                " --tables 6 --tested 20 --stat 8 --json --dump-table 2 "
                                                "--save-state " +
                                                Q(d + "run.jsf")));
    ASSERT_FALSE(analyze.is_discarded());
    EXPECT_EQ(analyze["tables_computed"], 6);
    EXPECT_TRUE(analyze["lists"].contains("buildup"));
    const nlohmann::json resumed = Parse(RunCli("resume " + Q(d + "run.jsf") + " --tables 8 --json"));
    ASSERT_FALSE(resumed.is_discarded());
    EXPECT_EQ(resumed["tables_computed"], 8);
    EXPECT_EQ(resumed["tables"].size(), resumed["table_ids"].size());
    const nlohmann::json info = Parse(RunCli("info " + Q(game) + " --json"));
    ASSERT_FALSE(info.is_discarded());
    EXPECT_EQ(info["draw_count"], 120);
}

// A file name inside a message reaches the terminal with its own characters,
// whichever command reports it.
TEST(CliText, FileNamesInMessagesKeepTheirCharacters)
{
    const std::string dir = Dir();
    const std::string game = dir + "g.drw";
    ASSERT_EQ(RunCli("demo-game " + Q(game) + " --draws 120").status, 0);
    const std::string missing = dir + "n\xC3\xB6"
                                      "file.drw";                       // nöfile.drw
    const std::string unwritable = dir + "none/\xC3\x89t\xC3\xA9.xlsx"; // none/Été.xlsx
    const struct {
        std::string args;
        std::string name;
    } cases[] = {
        {"info " + Q(missing), missing},
        {"analyze " + Q(missing), missing},
        {"backtest " + Q(missing) + " --last 2", missing},
        {"export-xlsx " + Q(missing) + " --ids 1 " + Q(dir + "x.xlsx"), missing},
        {"export-xlsx " + Q(game) + " --tables 2 --tested 20 --stat 6 --ids 1 " + Q(unwritable), unwritable},
    };
    for (const auto& c : cases) {
        const TCliResult r = RunCli(c.args);
        EXPECT_EQ(r.status, 1) << c.args;
        EXPECT_NE(r.err.find("\"" + c.name + "\""), std::string::npos) << c.args << "\n" << r.err;
    }
}

// The same for the files a command fails to write.
TEST(CliText, FileNamesInWriteErrorsKeepTheirCharacters)
{
    const std::string dir = Dir();
    const std::string game = dir + "g.drw";
    ASSERT_EQ(RunCli("demo-game " + Q(game) + " --draws 120").status, 0);
    const std::string newGame = dir + "none/\xC3\x89t\xC3\xA9.drw"; // none/Été.drw
    const std::string state = dir + "none/\xC3\x89t\xC3\xA9.jsf";
    const struct {
        std::string args;
        std::string name;
    } cases[] = {
        {"new-game " + Q(newGame) + " --name x --formation 0649", newGame},
        {"analyze " + Q(game) + " --tables 2 --tested 20 --stat 6 --save-state " + Q(state), state},
    };
    for (const auto& c : cases) {
        const TCliResult r = RunCli(c.args);
        EXPECT_EQ(r.status, 1) << c.args;
        EXPECT_NE(r.err.find("\"" + c.name + "\""), std::string::npos) << c.args << "\n" << r.err;
    }
}
