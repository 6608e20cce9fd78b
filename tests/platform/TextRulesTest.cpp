#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "platform/TextRules.h"

TEST(TextRules, ClassicIntegerConversion)
{
    struct Case {
        const char* text;
        bool ok;
        int32_t value;
    } cases[] = {
        {"42", true, 42},
        {" -5\t", true, -5},
        {"+7", true, 7},
        {"$ff", true, 255},
        {"0X1F", true, 31},
        {"-$10", true, -16},
        {"$FFFFFFFF", true, -1},
        {"$100000000", false, 0},
        {"2147483647", true, INT32_MAX},
        {"-2147483648", true, INT32_MIN},
        {"2147483648", false, 0},
        {"12abc", false, 0},
        {"", false, 0},
        {"-", false, 0},
        {"$", false, 0},
        {"1 2", false, 0},
        {"99999999999999999999", false, 0},
    };
    for (const Case& c : cases) {
        int32_t v = 0;
        EXPECT_EQ(ParseDelphiInt(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

TEST(TextRules, TrimTakesBlanksAndControlCharactersAtBothEnds)
{
    EXPECT_EQ(TrimBlanks(" \t\r\n a b \x01"), "a b");
    EXPECT_EQ(TrimBlanks("\xA0x\xA0"), "\xA0x\xA0"); // a no-break space is a character
    EXPECT_EQ(TrimBlanks("   "), "");
}
