#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rules/NumbersGrid.h"

namespace {

TNumbersGrid Grid(int total, int limit)
{
    TNumbersGrid g;
    g.SetTotalNumbers(total);
    g.SetLimit(1, 1, limit);
    return g;
}

std::vector<int> Picks(const TNumbersGrid& g, int state = 1, int zone = 0, bool sorted = false)
{
    std::vector<int> out;
    for (int8_t n : g.GetNumbers(state, zone, sorted))
        out.push_back(static_cast<uint8_t>(n));
    return out;
}

} // namespace

// Six of 49: the hint counts down, a seventh pick falls back to unpicked, a
// second click unpicks, the middle button walks the cycle backwards.
TEST(NumbersGrid, ClickCycleAndHint)
{
    TNumbersGrid g = Grid(49, 6);
    EXPECT_EQ(g.HintText(), "6 number(s) remaining to complete selection");
    for (int n : {4, 9, 16, 25, 36})
        EXPECT_TRUE(g.Click(n, true));
    EXPECT_EQ(g.HintText(), "1 number(s) remaining to complete selection");
    EXPECT_TRUE(g.Click(49, true));
    EXPECT_EQ(g.HintText(), "Numbers selection completed");
    EXPECT_FALSE(g.Click(1, true)); // no room in state 1, state 2 has limit 0
    EXPECT_EQ(g.NumberState(1), 0);
    EXPECT_EQ(g.SelectedCount(), 6);
    EXPECT_TRUE(g.Click(49, true)); // 1 -> 2 not allowed -> 0
    EXPECT_EQ(g.NumberState(49), 0);
    EXPECT_EQ(Picks(g), (std::vector<int>{4, 9, 16, 25, 36}));

    g.SetLimit(2, 0, 2);
    EXPECT_TRUE(g.Click(10, false)); // backward: 0 -> 2
    EXPECT_EQ(g.NumberState(10), 2);
    EXPECT_EQ(g.NumberZone(10), 0);
    EXPECT_TRUE(g.Click(10, false)); // 2 -> 1
    EXPECT_EQ(g.NumberState(10), 1);
    EXPECT_EQ(g.NumberZone(10), 1);
    EXPECT_EQ(Picks(g, 0).size(), 43u);

    g.ShowHint = false;
    EXPECT_EQ(g.HintText(), "");
    g.ReadOnly = true;
    EXPECT_FALSE(g.Click(11, true));
}

TEST(NumbersGrid, SetLimitRefusalsAndLowering)
{
    TNumbersGrid g = Grid(49, 6);
    struct TCase {
        int state, zone, count;
        const char* message;
    } refused[] = {
        {0, 1, 3, "INTERNAL ERROR : TNumbersFrame [SetLimit] - Call for normal state"},
        {1, 1, 0, "INTERNAL ERROR : TNumbersFrame [SetLimit] - Invalid total numbers [Zone=1, Tot.Num=0]"},
        {1, 2, 50, "INTERNAL ERROR : TNumbersFrame [SetLimit] - Invalid total numbers [Zone=2, Tot.Num=50]"},
        {2, 0, 44, "INTERNAL ERROR : TNumbersFrame [SetLimit] - Cannot add more numbers in state/zone"},
        {1, 2, 44, "INTERNAL ERROR : TNumbersFrame [SetLimit] - Cannot add more numbers in state/zone"},
        {1, 1, 49, "INTERNAL ERROR : TNumbersFrame [SetLimit] - Cannot add more numbers in state/zone"},
        {1, 5, 3, "INTERNAL ERROR : TNumbersFrame [SetLimit] - invalid zone 5"},
    };
    g.SetLimit(2, 0, 1);
    for (const TCase& c : refused) {
        SCOPED_TRACE(c.message);
        try {
            g.SetLimit(c.state, c.zone, c.count);
            ADD_FAILURE() << "accepted";
        } catch (const Exception& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
    EXPECT_EQ(g.ZoneLimit(1), 6);

    g.SetSelection({40, 3, 17, 8, 22, 1});
    g.SetLimit(1, 1, 4);
    EXPECT_EQ(Picks(g), (std::vector<int>{40, 3, 17, 8}));
    EXPECT_EQ(g.HintText(), "Numbers selection completed");

    // Zones 2 and up get red, blue, green, yellow in turn from position (z - 1) mod 4.
    TNumbersGrid z;
    z.SetTotalNumbers(90);
    for (int zone = 1; zone <= 6; ++zone)
        z.SetLimit(1, zone, 2);
    EXPECT_EQ(z.ZoneColor(1), kDefaultTextColor);
    EXPECT_EQ(z.ZoneColor(2), 0xFF0000u);
    EXPECT_EQ(z.ZoneColor(3), 0x008000u);
    EXPECT_EQ(z.ZoneColor(4), 0x00FFFFu);
    EXPECT_EQ(z.ZoneColor(5), 0x0000FFu);
    EXPECT_EQ(z.ZoneColor(6), 0xFF0000u);
    z.SetSelection({1, 2, 3, 4, 5});
    EXPECT_EQ(z.NumberZone(3), 2);
    EXPECT_EQ(Picks(z, 1, 2), (std::vector<int>{3, 4}));
    EXPECT_EQ(z.ButtonLook(3).Color, 0xFF0000u);
}

TEST(NumbersGrid, CopyAndPaste)
{
    TNumbersGrid g = Grid(49, 6);
    g.SetSelection({41, 3, 17});
    EXPECT_EQ(g.CopyText(), "03 17 41");
    TNumbersGrid small = Grid(9, 3);
    small.SetSelection({7, 3});
    EXPECT_EQ(small.CopyText(), "3 7");

    TNumbersGrid p = Grid(49, 6);
    p.SetSelection(p.PasteNumbers("1, 5 - 12; 50 x7"));
    EXPECT_EQ(Picks(p), (std::vector<int>{1, 5, 12, 7}));

    // Hostile texts: huge numbers, signs, a million characters.
    TNumbersGrid h = Grid(49, 6);
    h.SetDisabled(5, true);
    EXPECT_EQ(h.PasteNumbers("-3 256 300 99999999999999999999 5 -0 49"), (std::vector<int>{3, 49}));
    EXPECT_TRUE(h.PasteNumbers("no numbers at all").empty());
    std::string big(1000000, '7');
    EXPECT_TRUE(h.PasteNumbers(big).empty());
    std::string many;
    for (int i = 0; i < 200000; ++i)
        many += "12 ";
    h.SetSelection(h.PasteNumbers(many));
    EXPECT_EQ(Picks(h), (std::vector<int>{12}));

    // A field whose balls start at 0 shows and copies face values.
    TNumbersGrid zero = Grid(10, 3);
    zero.SetFaceOffset(-1);
    zero.SetSelection(zero.PasteNumbers("0 9 10"));
    EXPECT_EQ(Picks(zero, 1, 0, true), (std::vector<int>{1, 10}));
    EXPECT_EQ(zero.CopyText(), "0 9");
    EXPECT_EQ(zero.ButtonLook(1).Caption, "0");
}

TEST(NumbersGrid, DisabledNumbersLooksAndGeometry)
{
    TNumbersGrid g = Grid(49, 6);
    g.SetLimit(2, 0, 1);
    g.SetSelection({7});
    g.SetDisabled(7, true);
    g.SetDisabled(8, true);
    EXPECT_EQ(g.NumberState(7), 0);
    EXPECT_FALSE(g.Click(8, true));
    g.SetSelection({8});
    EXPECT_EQ(g.SelectedCount(), 0);
    struct TLook {
        int number;
        std::string caption;
        int points;
        bool bold, enabled;
    };
    g.SetSelection({1});
    g.Click(2, false); // state 2
    for (const TLook& l : {TLook{1, "1", 14, true, true}, TLook{2, "-", 14, false, true}, TLook{3, "3", 8, false, true},
                           TLook{8, "-", 14, false, false}}) {
        const TGridButtonLook look = g.ButtonLook(l.number);
        EXPECT_EQ(look.Caption, l.caption) << l.number;
        EXPECT_EQ(look.PointSize, l.points) << l.number;
        EXPECT_EQ(look.Bold, l.bold) << l.number;
        EXPECT_EQ(look.Enabled, l.enabled) << l.number;
    }
    g.SetDisabled(8, false);
    EXPECT_TRUE(g.ButtonLook(8).Enabled);
    g.SetTotalNumbers(20);
    EXPECT_EQ(g.ZoneCount(), 0);
    EXPECT_FALSE(g.IsDisabled(7));

    EXPECT_EQ(GridButtonName(1, 7), "TNumbersFrame1Button07");
    EXPECT_EQ(GridButtonName(3, 49), "TNumbersFrame3Button49");
    EXPECT_EQ(GridButtonLeft(1, 70), 8);
    EXPECT_EQ(GridButtonLeft(1, 71), 0);
    EXPECT_EQ(GridButtonLeft(10, 49), 8 + 9 * 25);
    EXPECT_EQ(GridButtonTop(11), 25);
    EXPECT_EQ(GridWheelPosition(0, 100, 1), 8);
    EXPECT_EQ(GridWheelPosition(96, 100, 1), 100);
    EXPECT_EQ(GridWheelPosition(20, 100, -1), 12);
    EXPECT_EQ(GridWheelPosition(8, 100, -1), 0);
}
