#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Locale.h"
#include "platform/Paths.h"

TEST(Locale, DateOrderFromShortFormat)
{
    struct Case {
        const char* format;
        int previous;
        int expected;
    } cases[] = {
        {"dd/MM/yyyy", 2, 0}, {"M/d/yyyy", 2, 1},   {"yyyy-MM-dd", 0, 2},
        {"yyyy.dd.MM", 0, 3}, {"MM/yyyy/dd", 1, 1}, // no rule matches: previous kept
        {"", 3, 3},           {"dd.mm", 2, 2},      // a letter missing: previous kept
    };
    for (const auto& c : cases)
        EXPECT_EQ(DetectDateOrder(c.format, c.previous), c.expected) << c.format;
}

TEST(Locale, SeparatorAndOverride)
{
    EXPECT_EQ(DetectDateSeparator("dd/mm/yyyy"), "/");
    EXPECT_EQ(DetectDateSeparator("yyyy.mm.dd"), ".");
    EXPECT_EQ(DetectDateSeparator("ddmmyyyy"), "-");
    setenv("JUX_SHORT_DATE_FORMAT", "mm.dd.yyyy", 1);
    const TLocaleInfo info = ReadLocaleInfo();
    EXPECT_EQ(DetectDateOrder(info.shortDateFormat, 2), 1);
    EXPECT_EQ(info.dateSeparator, ".");
    EXPECT_FALSE(info.shortDays[4].empty()); // Thursday
}

TEST(Paths, DataFolderPrefersJuxDataHome)
{
    setenv("JUX_DATA_HOME", "/tmp/jux-a", 1);
    setenv("XDG_DATA_HOME", "/tmp/xdg-b", 1);
    EXPECT_EQ(CommonAppDataFolder(), "/tmp/jux-a/");
    unsetenv("JUX_DATA_HOME");
    EXPECT_EQ(CommonAppDataFolder(), "/tmp/xdg-b/");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(CommonAppDataFolder(), "/home/someone/.local/share/");
}

TEST(Paths, FileNameParts)
{
    EXPECT_EQ(ExtractFilePath("/a/b/game.drw"), "/a/b/");
    EXPECT_EQ(ExtractFileName("/a/b/game.drw"), "game.drw");
    EXPECT_EQ(ExtractFileExt("/a/b.c/game"), "");
    EXPECT_EQ(ExtractFileExt("/a/b/game.drw"), ".drw");
    EXPECT_EQ(ChangeFileExt("/a/b/game.drw", ".ini"), "/a/b/game.ini");
    EXPECT_EQ(ChangeFileExt("/a/b.c/game", ".ini"), "/a/b.c/game.ini");
    EXPECT_FALSE(ProgramFolder().empty());
}
