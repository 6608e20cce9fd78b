// The Windows-1252 <-> UTF-8 codec of the terminal and network boundaries.
#include <gtest/gtest.h>

#include <string>

#include "data/TextCodec.h"

TEST(TextCodec, EveryByteSurvivesTheRoundTrip)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    std::string back;
    ASSERT_TRUE(Utf8ToWin1252(Win1252ToUtf8(all), back));
    EXPECT_EQ(back, all);
    EXPECT_EQ(Utf8ToWin1252Lossy(Win1252ToUtf8(all)), all);
}

TEST(TextCodec, KnownCharactersBothWays)
{
    struct Case {
        std::string win1252;
        std::string utf8;
    } cases[] = {
        {"Loto \xC9t\xE9", "Loto \xC3\x89t\xC3\xA9"}, // Loto Été
        {"\x80 5", "\xE2\x82\xAC 5"},                 // € 5
        {"\x8A\x9F", "\xC5\xA0\xC5\xB8"},             // Š Ÿ
        {"\x81", "\xC2\x81"},                         // unassigned byte keeps its C1 code point
        {"a\tb\"c\\", "a\tb\"c\\"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Win1252ToUtf8(c.win1252), c.utf8);
        std::string out;
        EXPECT_TRUE(Utf8ToWin1252(c.utf8, out)) << c.utf8;
        EXPECT_EQ(out, c.win1252);
    }
}

TEST(TextCodec, RefusesWhatWindows1252CannotHoldAndNamesIt)
{
    struct Case {
        std::string utf8;
        std::string why;
    } cases[] = {
        {"Lotto \xC5\x82\xC3\xB3"
         "dzkie",
         "the character '\xC5\x82' (U+0142) has no Windows-1252 form"},
        {"\xF0\x9F\x8E\xB2", "the character '\xF0\x9F\x8E\xB2' (U+1F3B2) has no Windows-1252 form"},
        {"ab\xFF", "the byte 0xFF is not valid UTF-8"},
        {"\xC0\xAF", "the byte 0xC0 is not valid UTF-8"},     // overlong '/'
        {"\xED\xA0\x80", "the byte 0xED is not valid UTF-8"}, // a surrogate
        {"\xE2\x82", "the byte 0xE2 is not valid UTF-8"},     // cut short
    };
    for (const Case& c : cases) {
        std::string out = "untouched", why;
        EXPECT_FALSE(Utf8ToWin1252(c.utf8, out, &why));
        EXPECT_EQ(why, c.why);
        EXPECT_EQ(out, "untouched");
    }
    EXPECT_EQ(Utf8ToWin1252Lossy("a\xC5\x82"
                                 "b\xFF"),
              "a?b\xFF");
}
