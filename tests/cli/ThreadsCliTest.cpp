// --threads on the commands that compute tables: any count prints and saves
// what one thread does; a count out of range is a usage error.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "support/CliRunner.h"

namespace {

using clitest::Tmp;

std::string FileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ThreadsCli, EveryCountGivesTheOneThreadResults)
{
    const std::string game = clitest::DemoGame("threads.drw", "0649", 5, 200);
    const std::string opts = " --tested 40 --stat 8 --per-column 4";
    std::string analyzed, state, resumed, table, backtest;
    for (const char* threads : {"1", "2", "5", "0"}) {
        SCOPED_TRACE(std::string("--threads ") + threads);
        const std::string t = std::string(" --threads ") + threads;
        const std::string half = Tmp(std::string("half") + threads + ".jsf");
        const auto a = RunCli("analyze '" + game + "'" + opts + t +
                              " --tables 30 --json --dump-table 30 --save-state '" + half + "'");
        ASSERT_EQ(a.status, 0) << a.err;
        const auto r = RunCli("resume '" + half + "'" + t + " --tables 45 --json --dump-table 45");
        ASSERT_EQ(r.status, 0) << r.err;
        const auto p = RunCli("table '" + game + "'" + opts + t + " --tables 12 --table 12 --json");
        ASSERT_EQ(p.status, 0) << p.err;
        const auto b = RunCli("backtest '" + game + "'" + opts + t + " --tables 6 --last 3 --json");
        ASSERT_EQ(b.status, 0) << b.err;
        // A run state file computes nothing: the option is accepted and changes nothing.
        const auto fromFile = RunCli("table '" + half + "'" + t + " --table 30 --json");
        ASSERT_EQ(fromFile.status, 0) << fromFile.err;
        if (analyzed.empty()) {
            analyzed = a.out;
            state = FileText(half);
            resumed = r.out;
            table = p.out;
            backtest = b.out;
            EXPECT_NE(resumed.find("\"tables_computed\": 45"), std::string::npos);
            continue;
        }
        EXPECT_EQ(a.out, analyzed);
        EXPECT_EQ(FileText(half), state);
        EXPECT_EQ(r.out, resumed);
        EXPECT_EQ(p.out, table);
        EXPECT_EQ(b.out, backtest);
    }
}

TEST(ThreadsCli, CountsOutOfRangeAreRefused)
{
    const std::string game = clitest::DemoGame("threadsbad.drw", "0649", 6, 150);
    for (const char* command : {"analyze", "table --table 1", "backtest --last 2"})
        for (const char* bad : {"-1", "257", "two", ""}) {
            const auto r = RunCli(std::string(command) + " '" + game + "' --threads '" + bad + "'");
            EXPECT_EQ(r.status, 2) << command << " " << bad;
            EXPECT_NE(r.err.find("option --threads needs a count from 1 to 256 (0: one per core)"), std::string::npos)
                << r.err;
        }
    const auto r = RunCli("resume '" + Tmp("none.jsf") + "' --threads 1000");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--threads"), std::string::npos) << r.err;
}

} // namespace
