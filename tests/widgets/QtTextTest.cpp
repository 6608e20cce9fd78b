// The Qt text helpers: Windows-1252 both ways, and dialog line breaks.
#include <gtest/gtest.h>

#include <string>

#include "widgets/QtDialogs.h"
#include "widgets/QtText.h"

namespace {

TEST(QtText, Windows1252BothWays)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(ToText(FromText(all)), all);
    EXPECT_EQ(FromText("\x80 \xE9\x9F"), QString::fromUtf8("\u20AC \u00E9\u0178"));
    EXPECT_EQ(ToText(QString::fromUtf8("\u20AC\u00FC\u2014")), "\x80\xFC\x97");
    // Characters outside the code page become '?'.
    EXPECT_EQ(ToText(QString::fromUtf8("\u0416x")), "?x");
}

TEST(QtText, DialogLineBreaks)
{
    EXPECT_EQ(DialogText("A prediction is in memory.\n\rPress YES\n\r"),
              QString::fromLatin1("A prediction is in memory.\nPress YES\n"));
    EXPECT_EQ(DialogText("one\rtwo"), QString::fromLatin1("one\ntwo"));
}

} // namespace
