#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/CliRunner.h"

namespace {

using clitest::Tmp;

std::string Game(const std::string& name, const std::string& formation)
{
    return clitest::DemoGame(name, formation, 3);
}

} // namespace

TEST(RunStateCli, ResumeContinuesExactlyAsOneRun)
{
    struct Case {
        const char* formation;
        const char* field;
    } cases[] = {{"0649", "1"}, {"0649|01BB", "2"}, {"0550|0210", "2"}};
    for (const Case& c : cases) {
        const std::string game = Game(std::string("rs") + c.field + ".drw", c.formation);
        const std::string opts = std::string(" --field ") + c.field + " --tested 40 --stat 8";
        const std::string state = Tmp("half.jsf");
        const auto half = RunCli("analyze '" + game + "'" + opts + " --tables 25 --save-state '" + state + "'");
        ASSERT_EQ(half.status, 0) << half.err;
        const auto whole = RunCli("analyze '" + game + "'" + opts + " --tables 50 --json --dump-table 50");
        const auto resumed = RunCli("resume '" + state + "' --tables 50 --json --dump-table 50");
        ASSERT_EQ(resumed.status, 0) << resumed.err;
        EXPECT_EQ(resumed.out, whole.out) << c.formation;
        EXPECT_NE(whole.out.find("\"tables_computed\": 50"), std::string::npos);
    }
}

TEST(RunStateCli, StateDescribesTheFile)
{
    const std::string game = Game("st.drw", "0649");
    const std::string state = Tmp("st.jsf");
    ASSERT_EQ(RunCli("analyze '" + game + "' --tables 12 --keep 3,5 --save-state '" + state + "'").status, 0);
    const auto r = RunCli("state '" + state + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* line : {"formation: 06/49", "draws: 200", "tables computed: 12", "user list: 2", "maximum 12"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
    // A resumed run saved again holds the new count.
    const std::string again = Tmp("again.jsf");
    ASSERT_EQ(RunCli("resume '" + state + "' --tables 20 --save-state '" + again + "'").status, 0);
    EXPECT_NE(RunCli("state '" + again + "'").out.find("tables computed: 20"), std::string::npos);
}

TEST(RunStateCli, BadFilesAndArguments)
{
    const std::string junk = Tmp("junk.jsf");
    if (FILE* f = std::fopen(junk.c_str(), "wb")) {
        std::fputs("not a run state", f);
        std::fclose(f);
    }
    for (const std::string& cmd :
         {"resume '" + junk + "'", "state '" + junk + "'", std::string("state /no/such.jsf")}) {
        const auto r = RunCli(cmd);
        EXPECT_EQ(r.status, 1) << cmd;
        EXPECT_NE(r.err.find("cannot import the run state"), std::string::npos) << r.err;
    }
    for (const char* cmd : {"resume", "state", "resume a.jsf --tables x", "resume a.jsf --tables 0", "state a b",
                            "resume a.jsf --dump-table 0", "resume a.jsf --dump-table 4294967297"}) {
        const auto r = RunCli(cmd);
        EXPECT_EQ(r.status, 2) << cmd;
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << cmd;
    }
}
