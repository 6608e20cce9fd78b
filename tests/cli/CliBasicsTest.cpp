#include <gtest/gtest.h>

#include "support/CliRunner.h"

TEST(CliBasics, HelpAndVersionSucceed)
{
    const auto help = RunCli("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: jux-cli"), std::string::npos);
    const auto version = RunCli("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_NE(version.out.find("J.U.X. 2.3b"), std::string::npos);
}

TEST(CliBasics, UnknownInputAnswersUsageWithStatusTwo)
{
    for (const char* args : {"", "no-such-command", "--no-such-flag"}) {
        const auto r = RunCli(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << args;
    }
}

// A report that could not be written is a failure, whatever the command.
TEST(CliBasics, OutputThatCannotBeWrittenFails)
{
    for (const char* args :
         {"--help", "--version", "odds --help", "odds 49 6 6", "odds 49 6 6 --json", "formation 0649"}) {
        const auto ok = RunCli(args);
        ASSERT_EQ(ok.status, 0) << args;
        const auto full = RunCli(std::string(args) + " >/dev/full");
        EXPECT_EQ(full.status, 1) << args;
        EXPECT_NE(full.err.find("cannot write the output"), std::string::npos) << args << "\n" << full.err;
    }
    // A usage error keeps its own status.
    EXPECT_EQ(RunCli("odds 49 6 >/dev/full").status, 2);
}
