#include <gtest/gtest.h>

#include "support/CliRunner.h"

TEST(FormationCli, PrintsFieldsOfACode)
{
    struct Case {
        const char* code;
        const char* lines;
    } cases[] = {
        {"0649|01BB", "Formation: 06/49 + 01 BB\n"
                      "Second field: 2 (Bonus ball)\n"
                      "Field 1: Total 49, Picked 6, Lowest 1, Ordered 0, Tickets 13983816, Value width 3\n"
                      "Field 2: Total 49, Picked 1, Lowest 1, Ordered 0, Tickets 49, Value width 1\n"
                      "Valid: yes\n"},
        {"0550|0210", "Formation: 05/50 + 02/10\n"
                      "Second field: 1 (Power ball)\n"
                      "Field 1: Total 50, Picked 5, Lowest 1, Ordered 0, Tickets 2118760, Value width 3\n"
                      "Field 2: Total 10, Picked 2, Lowest 1, Ordered 0, Tickets 45, Value width 1\n"
                      "Valid: yes\n"},
        {"0310LS", "Formation: 03/10LS\n"
                   "Second field: 0 (none)\n"
                   "Field 1: Total 10, Picked 3, Lowest 0, Ordered 1, Tickets 1000, Value width 2\n"
                   "Valid: yes\n"},
        {"0776", "Formation: 07/76\n"
                 "Second field: 0 (none)\n"
                 "Field 1: Total 76, Picked 7, Lowest 1, Ordered 0, Tickets 2186189400, Value width 4\n"
                 "Valid: no\n"},
    };
    for (const auto& c : cases) {
        const auto r = RunCli(std::string("formation '") + c.code + "'");
        EXPECT_EQ(r.status, 0) << c.code << r.err;
        EXPECT_EQ(r.out, c.lines) << c.code;
    }
}

TEST(FormationCli, BadCodeIsAConversionError)
{
    struct Case {
        const char* arg;
        const char* message;
    } cases[] = {{"''", "'' is not a valid integer value"},
                 {"'|BB'", "'|B' is not a valid integer value"},
                 {"'0649|x1BB'", "'x1' is not a valid integer value"}};
    for (const auto& c : cases) {
        const auto r = RunCli(std::string("formation ") + c.arg);
        EXPECT_EQ(r.status, 1) << c.arg;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

TEST(FormationCli, WrongArgumentsAreUsageErrors)
{
    for (const char* args : {"formation", "formation 0649 0649", "formation --json 0649"}) {
        const auto r = RunCli(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("usage: jux-cli formation CODE"), std::string::npos) << r.err;
    }
}
