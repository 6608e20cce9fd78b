#include <gtest/gtest.h>

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <set>
#include <string>

#include "support/CliRunner.h"
#include "support/XlsxReader.h"

namespace {

using clitest::Tmp;

std::string Game(const std::string& name, const std::string& formation)
{
    return clitest::DemoGame(name, formation, 5);
}

// Every cell text and fill of a workbook, sheet by sheet.
std::string Dump(const xlsx::TBook& book)
{
    std::string out;
    for (const auto& s : book.sheets) {
        out += s.name + "\n";
        for (const auto& [at, cell] : s.cells)
            out += std::to_string(at.first) + "," + std::to_string(at.second) + "=" + cell.text + "/" +
                   std::to_string(cell.style.fill) + "\n";
    }
    return out;
}

} // namespace

// The sheets hold the tables' tested rows, newest first, with the hit ranks
// green, as the analysis reports them; a run state gives the same workbook.
TEST(ExportXlsxCli, SheetsMatchTheRunFromGameOrState)
{
    struct Case {
        const char* formation;
        const char* field;
        int k;
    } cases[] = {{"0649", "1", 6}, {"0649|01BB", "2", 7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.formation);
        const std::string game = Game(std::string("x") + c.field + ".drw", c.formation);
        const std::string opts = std::string(" --field ") + c.field + " --tested 30 --stat 8 --tables 6";
        const std::string state = Tmp("x.jsf");
        const auto run =
            RunCli("analyze '" + game + "'" + opts + " --json --dump-table 4 --save-state '" + state + "'");
        ASSERT_EQ(run.status, 0) << run.err;
        const nlohmann::json report = nlohmann::json::parse(run.out);

        const std::string fromGame = Tmp("game.xlsx"), fromState = Tmp("state.xlsx");
        const auto a = RunCli("export-xlsx '" + game + "'" + opts + " --ids 4,0,2,999 '" + fromGame + "'");
        ASSERT_EQ(a.status, 0) << a.err;
        EXPECT_EQ(a.out, "JUX 2\nJUX 4\n2 sheets written to " + fromGame + "\n");
        const auto b = RunCli("export-xlsx '" + state + "' --ids 4,0,2,999 '" + fromState + "'");
        ASSERT_EQ(b.status, 0) << b.err;
        const xlsx::TBook book = xlsx::Read(fromGame);
        EXPECT_EQ(Dump(book), Dump(xlsx::Read(fromState)));

        ASSERT_EQ(book.sheets.size(), 2u);
        const xlsx::TSheet& s = book.sheets[1];
        EXPECT_EQ(s.name, "JUX 4");
        const nlohmann::json* table = nullptr;
        for (const auto& t : report["tables"])
            if (t["id"] == 4)
                table = &t;
        ASSERT_NE(table, nullptr);
        const auto& orders = (*table)["row_orders"];
        const auto& hits = (*table)["row_hits"];
        const size_t rows = orders.size();
        EXPECT_EQ(s.rows, 32);
        EXPECT_EQ(s.cols, 50);
        for (int t = 0; t < 30; ++t) {
            const auto& order = orders[rows - 1 - size_t(t)];
            std::set<int> hit;
            for (int r : hits[rows - 1 - size_t(t)])
                hit.insert(r);
            int greens = 0;
            for (int i = 1; i <= 49; ++i) {
                const xlsx::TCell* cell = s.At(2 + t, 1 + i);
                ASSERT_NE(cell, nullptr);
                EXPECT_EQ(cell->text, std::to_string(order[size_t(i - 1)].get<int>()));
                const bool green = cell->style.fill == 0x008000;
                EXPECT_EQ(green, hit.count(i) > 0) << "row " << t << " rank " << i;
                greens += green;
            }
            EXPECT_EQ(greens, c.k);
        }
    }
}

TEST(ExportXlsxCli, WrongArgumentsAndFailures)
{
    const std::string game = Game("xa.drw", "0649");
    const std::string out = Tmp("xa.xlsx");
    struct Case {
        std::string args;
        int status;
        const char* err;
    } cases[] = {
        {"'" + game + "' '" + out + "'", 2, "--ids is needed"},
        {"'" + game + "' --ids 1,,2 '" + out + "'", 2, "--ids needs table IDs"},
        {"'" + game + "' --ids 1", 2, "usage: jux-cli export-xlsx"},
        {"'" + game + "' --ids 1 '" + out + "' extra", 2, "usage: jux-cli export-xlsx"},
        {"'" + game + "' --ids 1 --tested x '" + out + "'", 2, "needs an integer"},
        {"run.jsf --tested 10 --ids 1 '" + out + "'", 2, "applies to a game file only"},
        {"'" + game + "' --tables 2 --ids 1 --dump-table 1 --json '" + out + "'", 2,
         "--dump-table is not an option of export-xlsx"},
        {"'" + game + "' --tables 2 --ids 1 '" + Tmp("none/x.xlsx") + "'", 1, "Cannot write the workbook"},
        {"'" + Tmp("missing.drw") + "' --ids 1 '" + out + "'", 1, "missing.drw"},
    };
    for (const Case& c : cases) {
        const auto r = RunCli("export-xlsx " + c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << c.args << "\n" << r.err;
    }
}

// Naming the source as the workbook, under any spelling, is refused before
// anything is written: the game file or run state stays as it was.
TEST(ExportXlsxCli, TheSourceIsNeverReplacedByTheWorkbook)
{
    const std::string game = Game("xs.drw", "0649");
    const std::string state = Tmp("xs.jsf");
    ASSERT_EQ(RunCli("analyze '" + game + "' --tables 3 --save-state '" + state + "'").status, 0);
    const std::string link = Tmp("xs-link.drw");
    std::remove(link.c_str());
    std::system(("ln -s '" + game + "' '" + link + "'").c_str());
    auto bytes = [](const std::string& path) {
        std::string data;
        if (FILE* f = std::fopen(path.c_str(), "rb")) {
            char buf[4096];
            size_t n;
            while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
                data.append(buf, n);
            std::fclose(f);
        }
        return data;
    };
    const std::string gameBefore = bytes(game), stateBefore = bytes(state);
    ASSERT_FALSE(gameBefore.empty());
    const std::string dir = game.substr(0, game.rfind('/'));
    const std::string cases[] = {
        "'" + game + "' --tables 3 --ids 1 '" + game + "'",
        "'" + game + "' --tables 3 --ids 1 '" + dir + "/./xs.drw'",
        "'" + game + "' --tables 3 --ids 1 '" + link + "'",
        "'" + state + "' --ids 1 '" + state + "'",
    };
    for (const std::string& args : cases) {
        const auto r = RunCli("export-xlsx " + args);
        EXPECT_EQ(r.status, 2) << args << "\n" << r.err;
        EXPECT_NE(r.err.find("cannot replace the file it is exported from"), std::string::npos) << r.err;
    }
    EXPECT_EQ(bytes(game), gameBefore);
    EXPECT_EQ(bytes(state), stateBefore);
}
