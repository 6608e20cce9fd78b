// jux-cli odds: the clipboard text of the calculator, its JSON form, and
// the refusals with their messages and exit statuses.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "engine/OddsTable.h"
#include "support/CliRunner.h"

TEST(OddsCli, PrintsTheClipboardText)
{
    for (const char* args : {"49 6 6", "90 30 45", "999 20 100", "10 6 8", "49 6 0", "999 998 500"}) {
        int n = 0, d = 0, s = 0;
        ASSERT_EQ(std::sscanf(args, "%d %d %d", &n, &d, &s), 3);
        const auto r = RunCli(std::string("odds ") + args);
        EXPECT_EQ(r.status, 0) << args << r.err;
        EXPECT_EQ(r.out, OddsClipboardText(ComputeOddsTable(n, d, s))) << args;
        EXPECT_EQ(r.err, "");
    }
    const auto r = RunCli("odds 49 6 6");
    EXPECT_EQ(r.out.substr(0, 55), "Total numbers 49, Drawn numbers 6, Selected numbers 6\r\n");
    EXPECT_NE(r.out.find("\r\n      6 |  0.0000071511 |     13983816.00\r\n"), std::string::npos);
}

TEST(OddsCli, JsonHasRowsAndTheCombinedLine)
{
    const auto r = RunCli("odds 90 30 45 --json");
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    ASSERT_EQ(j["rows"].size(), 29u);
    EXPECT_EQ(j["rows"][0], nlohmann::json({{"label", "0 to 1 correct"},
                                            {"k", -1},
                                            {"percent", "0.0000000044%"},
                                            {"once_in", "approaches infinity"}}));
    EXPECT_EQ(j["rows"][1]["label"], "2 correct");
    EXPECT_EQ(j["rows"][1]["k"], 2);
    EXPECT_EQ(j["rows"][28]["label"], "29 to 30 correct");
    EXPECT_EQ(j["combined_all"], "Combined : 100.0000000000% [once in 1.00 draws]");
    // Keys in their documented order.
    EXPECT_EQ(r.out.substr(0, 22), "{\"rows\": [{\"label\": \"0");

    const auto lotto2 = RunCli("odds 49 6 6 --json");
    ASSERT_EQ(lotto2.status, 0) << lotto2.err;
    const nlohmann::json l = nlohmann::json::parse(lotto2.out);
    EXPECT_EQ(l["rows"][6]["percent"], "0.0000071511%");
    EXPECT_EQ(l["rows"][6]["once_in"], "13983816.00");
}

TEST(OddsCli, RefusalsNameEveryFault)
{
    struct Case {
        const char* args;
        int status;
        const char* err; // exact, or the usage line for usage errors
    };
    const Case cases[] = {
        {"odds 49 49 6", 1, "Total numbers cannot be less than or equal to drawn numbers.\n"},
        {"odds 49 6 49", 1, "Total numbers cannot be less than or equal to total selected numbers.\n"},
        {"odds 0 0 -1", 1,
         "Cannot have zero or negative values for total numbers/numbers drawn.\n"
         "Cannot have negative values for total selected numbers.\n"
         "Total numbers cannot be less than or equal to drawn numbers.\n"},
        {"odds 1000 6 6", 1, "Cannot exceed 999 for total numbers/numbers drawn.\n"},
        {"odds 49 six 6", 1, "'six' is not a valid integer value\n"},
        {"odds 49 6 2.5", 1, "'2.5' is not a valid integer value\n"},
        {"odds 99999999999 6 6", 1, "'99999999999' is not a valid integer value\n"},
        {"odds '' 6 6", 1, "'' is not a valid integer value\n"},
        {"odds 49 6", 2, "usage: jux-cli odds N D S [--json]\n"},
        {"odds", 2, "usage: jux-cli odds N D S [--json]\n"},
        {"odds 49 6 6 7", 2, "usage: jux-cli odds N D S [--json]\n"},
        {"odds 49 6 6 --csv", 2, "usage: jux-cli odds N D S [--json]\n"},
    };
    for (const Case& c : cases) {
        const auto r = RunCli(c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_EQ(r.out, "") << c.args;
        if (c.status == 2)
            EXPECT_NE(r.err.find(c.err), std::string::npos) << c.args << ": " << r.err;
        else
            EXPECT_EQ(r.err, c.err) << c.args;
    }
    // A character the game files cannot hold is refused before parsing.
    const auto r = RunCli("odds 49 6 '\xC5\x82'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("U+0142"), std::string::npos) << r.err;
}
