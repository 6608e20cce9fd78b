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
