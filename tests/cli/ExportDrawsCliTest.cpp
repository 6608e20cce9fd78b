#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <nlohmann/json.hpp>

#include "data/DrawsExport.h"
#include "data/GameFile.h"
#include "data/Utils.h"
#include "support/CliRunner.h"
#include "support/GameFixtures.h"

using namespace fixtures;

namespace {

std::string Q(const std::string& s) { return "'" + s + "'"; }

std::string WriteGame(const std::string& name, const TGameInfo& g, int draws, TDrawClass& model)
{
    FillDraws(model, g, draws);
    const std::string path = TmpDir() + name;
    EXPECT_TRUE(WriteFile(path, BuildImage(g, model)));
    return path;
}

} // namespace

// The file and standard output hold exactly the editor's export, dates in
// the format JUX_SHORT_DATE_FORMAT gives (dd/mm/yyyy under ctest).
TEST(ExportDrawsCli, WritesTheEditorsExport)
{
    SetDateSettings(0, "/");
    TGameInfo g = MakeGame(6, 49, 2, 2, 1);
    g.Name = "Lotto Two";
    TDrawClass model(g);
    const std::string game = WriteGame("two.drw", g, 15, model);
    const std::string expected = DrawsExportText(model, "Lotto Two");
    ASSERT_NE(expected.find("01  01/01/2000  "), std::string::npos);

    const std::string out = TmpDir() + "two.txt";
    auto r = RunCli("export-draws " + Q(game) + " " + Q(out));
    ASSERT_EQ(r.status, 0) << r.err;
    Bytes bytes;
    ASSERT_TRUE(ReadFile(out, bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);

    r = RunCli("export-draws " + Q(game) + " -");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, expected);
}

TEST(ExportDrawsCli, EmptyHistoriesBadArgumentsAndRefusedRecords)
{
    TGameInfo g = MakeGame(6, 49, 1);
    TDrawClass empty(g);
    const std::string game = WriteGame("empty.drw", g, 0, empty);
    auto r = RunCli("export-draws " + Q(game) + " -");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "No draws history to export.\n");
    EXPECT_EQ(r.out, "");

    for (const std::string& args : {std::string(""), Q(game), Q(game) + " a b", Q(game) + " - --json"}) {
        r = RunCli("export-draws " + args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("usage: jux-cli export-draws"), std::string::npos) << args;
    }
    r = RunCli("export-draws " + Q(TmpDir() + "missing.drw") + " -");
    EXPECT_EQ(r.status, 1);

    TDrawClass model(g);
    FillDraws(model, g, 4);
    Bytes b = BuildImage(g, model);
    const size_t at = Le32(b, 8);
    std::copy(b.begin() + at, b.begin() + at + 5, b.begin() + at + 9); // record 2 repeats record 1's day
    FixChecksum(b);
    const std::string damaged = TmpDir() + "repeat.drw";
    ASSERT_TRUE(WriteFile(damaged, b));
    r = RunCli("export-draws " + Q(damaged) + " -");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("1 of the 4 draw records in the game file were not loaded:\n"
                         "1 repeat the date and index of another draw\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.out.find("Total draws : 3\n"), std::string::npos);

    // info and draws say the same.
    const std::string note = "1 of the 4 draw records in the game file were not loaded:\n"
                             "1 repeat the date and index of another draw\n"
                             "Saving the game file will leave them out.\n";
    r = RunCli("info " + Q(damaged));
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Draw count: 4\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(note), std::string::npos) << r.out;
    r = RunCli("info " + Q(damaged) + " --json");
    EXPECT_EQ(r.status, 0);
    const nlohmann::json doc = nlohmann::json::parse(r.out, nullptr, false);
    ASSERT_FALSE(doc.is_discarded()) << r.out;
    EXPECT_EQ(doc["draw_count"], 4);
    EXPECT_EQ(doc["loaded_draw_count"], 3);
    EXPECT_EQ(doc["records_not_loaded"],
              nlohmann::json({{"total", 1}, {"repeated_date", 1}, {"invalid_date", 0}, {"invalid_numbers", 0}}));
    r = RunCli("draws " + Q(damaged));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "jux-cli draws: " + note);
    EXPECT_EQ(r.out.find("Draw #4"), std::string::npos);
    EXPECT_NE(r.out.find("Draw #3"), std::string::npos);
    r = RunCli("info " + Q(game));
    EXPECT_EQ(r.out.find("not loaded"), std::string::npos);
}

// An export aimed at its own game file (directly, through another spelling
// or a link) is refused and the game stays byte for byte; a folder or a
// missing folder as target fails without leaving anything behind.
TEST(ExportDrawsCli, NeverReplacesItsOwnGameFile)
{
    TGameInfo g = MakeGame(6, 49, 1);
    TDrawClass model(g);
    const std::string game = WriteGame("self.drw", g, 5, model);
    Bytes before;
    ASSERT_TRUE(ReadFile(game, before));
    const std::string link = TmpDir() + "self-link.txt";
    std::remove(link.c_str());
    ASSERT_EQ(std::system(("ln -s " + Q(game) + " " + Q(link)).c_str()), 0);
    const std::string dotted = TmpDir() + "./self.drw";
    for (const std::string& target : {game, dotted, link}) {
        auto r = RunCli("export-draws " + Q(game) + " " + Q(target));
        EXPECT_EQ(r.status, 1) << target;
        EXPECT_EQ(r.err, "jux-cli export-draws: The draws cannot be exported over their own game file.\n") << target;
        Bytes after;
        ASSERT_TRUE(ReadFile(game, after));
        EXPECT_EQ(after, before) << target;
    }
    for (const std::string& target : {TmpDir(), TmpDir() + "no-such-folder/out.txt"}) {
        auto r = RunCli("export-draws " + Q(game) + " " + Q(target));
        EXPECT_EQ(r.status, 1) << target;
        EXPECT_NE(r.err.find("jux-cli export-draws: "), std::string::npos) << target;
    }
    Bytes after;
    ASSERT_TRUE(ReadFile(game, after));
    EXPECT_EQ(after, before);
}
