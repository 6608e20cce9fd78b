// The picture run's JUX Table page options.
#include <gtest/gtest.h>

#include "rules/StartArgs.h"

TEST(StartArgsTablePage, TableAndChartOptions)
{
    TStartArgs a = ParseStartArgs({"--screenshot", "x.png", "--page", "table", "--game", "g.drw", "--tables", "9",
                                   "--table", "7", "--chart", "delay"});
    EXPECT_TRUE(a.Error.empty()) << a.Error;
    EXPECT_EQ(a.Page, "table");
    EXPECT_EQ(a.Table, 7);
    EXPECT_EQ(a.Chart, "delay");
    a = ParseStartArgs({"--screenshot", "x.png", "--page", "table"});
    EXPECT_TRUE(a.Error.empty());
    EXPECT_EQ(a.Table, 0);
    EXPECT_EQ(a.Chart, "hits");

    struct Bad {
        std::vector<std::string> args;
        const char* error;
    } bad[] = {
        {{"--screenshot", "x.png", "--page", "table", "--chart", "pie"}, "--chart must be hits or delay"},
        {{"--screenshot", "x.png", "--page", "table", "--table", "0"},
         "--table must be a table ID from 1 to 2147483647"},
        {{"--screenshot", "x.png", "--page", "table", "--table", "x"},
         "--table must be a table ID from 1 to 2147483647"},
        {{"--screenshot", "x.png", "--table", "3"}, "--table and --chart need --page table"},
        {{"--screenshot", "x.png", "--page", "analysis", "--chart", "hits"}, "--table and --chart need --page table"},
        {{"--screenshot", "x.png", "--page", "table", "--table", "3", "--table", "4"}, "option --table given twice"},
        {{"--screenshot", "x.png", "--page", "charts"},
         "--page must be main, options, analysis, table, editor, editor-field2 or import"},
    };
    for (const Bad& b : bad)
        EXPECT_EQ(ParseStartArgs(b.args).Error, b.error);
    for (const char* page : {"editor", "editor-field2"})
        EXPECT_EQ(ParseStartArgs({"--screenshot", "x.png", "--page", page, "--game", "g.drw"}).Page, page);
}
