#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "data/DrawsExport.h"
#include "data/GameFile.h"
#include "data/Utils.h"
#include "support/CliRunner.h"
#include "support/GameFixtures.h"

using namespace fixtures;

namespace {

std::string Q(const std::string& s)
{
    return "'" + s + "'";
}

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
}
