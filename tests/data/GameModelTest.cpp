#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <random>

#include "data/GameModel.h"
#include "data/RandomDraws.h"
#include "data/Utils.h"

namespace {

TGameField Field(int picked, int total, int lowest = 1, bool ordered = false)
{
    TGameField f;
    f.Picked = picked;
    f.Total = total;
    f.Lowest = lowest;
    f.Ordered = ordered ? 1 : 0;
    return f;
}

TGameInfo Game(int drawsPerDay, TGameField one = Field(6, 49), uint8_t kind = 0, TGameField two = {})
{
    TGameInfo g;
    g.Name = "Test Lotto";
    g.FieldCount = kind ? 2 : 1;
    g.Fields = {one, two};
    g.Field2Kind = kind;
    g.DrawsPerDay = drawsPerDay;
    return g;
}

const TArrayOfShortIntArray kSix{{5, 12, 23, 31, 40, 44}};

TArrayOfShortIntArray Six(int first) { return {{static_cast<int8_t>(first), 43, 44, 45, 46, 47}}; }

const TDateTime kDay = 40262; // 25 March 2010

} // namespace

TEST(GameInfo, Validity)
{
    struct Case {
        const char* what;
        TGameInfo game;
        bool valid;
    } cases[] = {
        {"6 of 49", Game(1), true},
        {"7 of 75", Game(0, Field(7, 75)), true},
        {"7 of 76", Game(0, Field(7, 76)), false},
        {"6 of 99", Game(0, Field(6, 99)), true},
        {"1 of 2", Game(0, Field(1, 2)), true},
        {"2 of 2", Game(0, Field(2, 2)), false},
        {"8 of 49", Game(0, Field(8, 49)), false},
        {"0 of 49", Game(0, Field(0, 49)), false},
        {"6 of 100", Game(0, Field(6, 100)), false},
        {"lowest 2", Game(0, Field(6, 49, 2)), false},
        {"lowest 0", Game(0, Field(3, 10, 0, true)), true},
        {"bad second field", Game(0, Field(6, 49), 1, Field(1, 1)), false},
        {"power ball", Game(0, Field(5, 50), 1, Field(2, 10)), true},
        {"ten per day", Game(10), false},
        {"negative per day", Game(-1), false},
    };
    for (auto& c : cases)
        EXPECT_EQ(ValidateGameInfo(c.game), c.valid) << c.what;

    TGameInfo noName = Game(0);
    noName.Name.clear();
    EXPECT_FALSE(ValidateGameInfo(noName));
    for (int count : {0, 3, -1, INT_MAX}) {
        TGameInfo g = Game(0);
        g.FieldCount = count;
        EXPECT_FALSE(ValidateGameInfo(g)) << count;
    }
    TGameInfo single = Game(0);
    single.Fields[1] = Field(9, 9);
    single.Field2Kind = 1;
    single.FieldNames = {"Main numbers", "Powerball"};
    ASSERT_TRUE(ValidateGameInfo(single));
    EXPECT_EQ(single.Fields[1].Total, 0);
    EXPECT_EQ(single.Field2Kind, 0);
    EXPECT_EQ(single.FieldNames[1], "");
    EXPECT_EQ(single.FieldNames[0], "Main numbers");
}

TEST(GameInfo, ClearKeepsTheOtherMembers)
{
    TGameInfo g = Game(2, Field(6, 49), 2, Field(1, 49));
    g.State = 2;
    g.OnlineID = 17;
    g.OptionalBlock4[3] = 9;
    g.Commission.Set("Operator", "State Lottery");
    g.FieldNames = {"Main numbers", "Bonus ball"};
    ClearGameInfo(g);
    EXPECT_EQ(g.State, 0);
    EXPECT_EQ(g.FieldCount, 0);
    EXPECT_EQ(g.DrawsPerDay, 0);
    EXPECT_EQ(g.Commission.Count(), 0);
    EXPECT_TRUE(g.Name.empty());
    EXPECT_TRUE(g.FieldNames[0].empty() && g.FieldNames[1].empty());
    EXPECT_EQ(g.OnlineID, 17);
    EXPECT_EQ(g.OptionalBlock4[3], 9);
    EXPECT_EQ(g.Fields[0].Total, 49);
    EXPECT_EQ(g.Field2Kind, 2);
}

TEST(Commission, FindSetAndStream)
{
    TCommissionClass c;
    c.Set("Operator", "A");
    c.Set("Web", "example.org");
    c.Set("  OPERATOR ", "B"); // same name: replaced
    EXPECT_EQ(c.Count(), 2);
    EXPECT_EQ(c.Find("operator"), 1);
    EXPECT_EQ(c.Find(" web\t"), 2);
    EXPECT_EQ(c.Find("none"), 0);
    std::string name, value;
    ASSERT_TRUE(c.Get(1, name, value));
    EXPECT_EQ(name, "Operator");
    EXPECT_EQ(value, "B");
    for (int bad : {0, -1, 3, INT_MAX})
        EXPECT_FALSE(c.Get(bad, name, value));

    TMemoryStream s;
    c.WriteToStream(s);
    EXPECT_EQ(s.Size(), 4u + 9 + 2 + 4 + 12);
    s.Seek(0);
    TCommissionClass back;
    back.Set("old", "x");
    back.ReadFromStream(s);
    EXPECT_EQ(back.Count(), 2);
    ASSERT_TRUE(back.Get(2, name, value));
    EXPECT_EQ(value, "example.org");

    // A repeated name keeps its last value.
    TMemoryStream twice;
    twice.WriteI32(2);
    for (const char* v : {"1", "2"}) {
        StoreString(twice, "Key");
        StoreString(twice, v);
    }
    twice.Seek(0);
    back.ReadFromStream(twice);
    EXPECT_EQ(back.Count(), 1);
    ASSERT_TRUE(back.Get(1, name, value));
    EXPECT_EQ(value, "2");

    TCommissionClass copy;
    copy.Set("gone", "1");
    copy.CopyFrom(c);
    EXPECT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Find("gone"), 0);
}

TEST(Commission, DamagedStreamsRaise)
{
    for (int32_t count : {INT_MAX, 3}) {
        TMemoryStream s;
        s.WriteI32(count);
        StoreString(s, "a");
        StoreString(s, "b");
        s.Seek(0);
        TCommissionClass c;
        EXPECT_THROW(c.ReadFromStream(s), EStreamError) << count;
    }
    TMemoryStream unterminated;
    unterminated.WriteI32(1);
    unterminated.WriteU8('a');
    unterminated.WriteU8('b');
    unterminated.Seek(0);
    TCommissionClass c;
    EXPECT_THROW(c.ReadFromStream(unterminated), EStreamError);
    TMemoryStream negative;
    negative.WriteI32(-5);
    negative.Seek(0);
    c.ReadFromStream(negative);
    EXPECT_EQ(c.Count(), 0);
}

TEST(FieldRules, CountsWidthsAndTexts)
{
    struct Case {
        TGameField field;
        int32_t tickets;
        int width;
        const char* text;
    } cases[] = {
        {Field(6, 49), 13983816, 3, "06/49"},
        {Field(5, 35), 324632, 3, "05/35"},
        {Field(1, 20), 20, 1, "01/20"},
        {Field(3, 10, 0, true), 1000, 2, "03/10LS"},
        {Field(2, 16), 120, 1, "02/16"},
        {Field(7, 75), 1984829850, 4, "07/75"},
        {Field(2, 7, 1, true), 49, 1, "02/07S"},
        {Field(4, 10, 0), 210, 1, "04/10L"},
        {Field(1, 256), 0, 1, "01/256"},
        {Field(3, 256), 0, 1, "03/256"},
        // Ordered fields whose count does not fit 32 bits still get a width that holds them.
        {Field(6, 49, 1, true), 0, 5, "06/49S"},
        {Field(7, 75, 1, true), 0, 6, "07/75S"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TicketCount(c.field), c.tickets) << c.text;
        EXPECT_EQ(ValueWidth(c.field), c.width) << c.text;
        EXPECT_EQ(FieldFormationText(c.field), c.text);
        if (c.tickets > 0) {
            EXPECT_EQ(TicketCount64(c.field), c.tickets) << c.text;
        }
    }
    EXPECT_EQ(TicketCount64(Field(6, 49, 1, true)), 13841287201LL);
    for (int p = 1; p <= 6; ++p)
        EXPECT_EQ(MaxTotalFor(p), 99) << p;
    EXPECT_EQ(MaxTotalFor(7), 75);
    for (int p : {0, 8, -1, INT_MAX})
        EXPECT_EQ(MaxTotalFor(p), 0) << p;

    EXPECT_EQ(FormationText({Field(6, 49), Field(1, 49)}, 2), "06/49 + 01 BB");
    EXPECT_EQ(FormationText({Field(5, 50), Field(2, 10)}, 1), "05/50 + 02/10");
    EXPECT_EQ(FormationText({Field(6, 49), {}}, 0), "06/49");
}

TEST(FieldRules, ParseFormationCode)
{
    struct Case {
        const char* code;
        uint8_t kind;
        TGameField one, two;
    } cases[] = {
        {"0649|01BB", 2, Field(6, 49), Field(1, 49)},
        {"0649", 0, Field(6, 49), {}},
        {"0310LS", 0, Field(3, 10, 0, true), {}},
        {"0310S", 0, Field(3, 10, 1, true), {}},
        {"0550|0210", 1, Field(5, 50), Field(2, 10)},
        {"0550|0210LS", 1, Field(5, 50), Field(2, 10, 0, true)},
        {"0436L|02BB", 2, Field(4, 36, 0), Field(2, 36, 0)},
    };
    for (const auto& c : cases) {
        std::array<TGameField, 2> fields{};
        uint8_t kind = 9;
        ParseFormationCode(c.code, fields, kind);
        EXPECT_EQ(kind, c.kind) << c.code;
        for (int i = 0; i < 2; ++i) {
            const TGameField& want = i ? c.two : c.one;
            EXPECT_EQ(fields[i].Picked, want.Picked) << c.code << " field " << i + 1;
            EXPECT_EQ(fields[i].Total, want.Total) << c.code << " field " << i + 1;
            EXPECT_EQ(fields[i].Lowest, want.Lowest) << c.code << " field " << i + 1;
            EXPECT_EQ(fields[i].Ordered, want.Ordered) << c.code << " field " << i + 1;
        }
    }
    for (const char* bad :
         {"", "|BB", "06", "ab49", "0649|", "0649|x1BB", "0649|02", "0649|0a10", "\xff\xff\xff\xff"}) {
        std::array<TGameField, 2> fields{Field(1, 2), Field(1, 2)};
        uint8_t kind = 7;
        EXPECT_THROW(ParseFormationCode(bad, fields, kind), EConvertError) << bad;
        EXPECT_EQ(kind, 7) << bad;
        EXPECT_EQ(fields[0].Total, 2) << bad;
    }
}

TEST(CheckNumbers, Rules)
{
    struct Case {
        const char* what;
        TGameInfo game;
        TArrayOfShortIntArray numbers;
        bool ok;
        TArrayOfShortIntArray stored;
    } cases[] = {
        {"sorted", Game(0), {{44, 5, 31, 12, 40, 23}}, true, kSix},
        {"duplicate", Game(0), {{5, 5, 31, 12, 40, 23}}, false, {}},
        {"too few", Game(0), {{5, 12, 23}}, false, {}},
        {"extra dropped", Game(0), {{44, 5, 31, 12, 40, 23, 1}}, true, kSix},
        {"no field", Game(0), {}, false, {}},
        {"ball 49", Game(0), {{49, 1, 2, 3, 4, 5}}, true, {{1, 2, 3, 4, 5, 49}}},
        {"ball 50", Game(0), {{50, 1, 2, 3, 4, 5}}, false, {}},
        {"ball 0", Game(0), {{0, 1, 2, 3, 4, 5}}, false, {}},
        {"negative", Game(0), {{-3, 1, 2, 3, 4, 5}}, false, {}},
        {"ordered kept", Game(0, Field(3, 10, 0, true)), {{7, 0, 7}}, true, {{7, 0, 7}}},
        {"ordered 10 with lowest 0", Game(0, Field(3, 10, 0, true)), {{7, 10, 7}}, false, {}},
        {"lowest 0 set", Game(0, Field(3, 10, 0)), {{9, 0, 4}}, true, {{0, 4, 9}}},
        {"bonus equals main", Game(0, Field(6, 49), 2, Field(1, 49)), {{5, 12, 23, 31, 40, 44}, {12}}, false, {}},
        {"bonus differs",
         Game(0, Field(6, 49), 2, Field(1, 49)),
         {{44, 12, 23, 31, 40, 5}, {7}},
         true,
         {{5, 12, 23, 31, 40, 44}, {7}}},
        {"power ball may repeat",
         Game(0, Field(6, 49), 1, Field(1, 49)),
         {{5, 12, 23, 31, 40, 44}, {12}},
         true,
         {{5, 12, 23, 31, 40, 44}, {12}}},
        {"second field missing", Game(0, Field(6, 49), 1, Field(1, 10)), {{5, 12, 23, 31, 40, 44}}, false, {}},
        {"two bonus sorted",
         Game(0, Field(5, 50), 2, Field(2, 50)),
         {{1, 2, 3, 4, 5}, {9, 8}},
         true,
         {{1, 2, 3, 4, 5}, {8, 9}}},
    };
    for (auto& c : cases) {
        TArrayOfShortIntArray numbers = c.numbers;
        const bool ok = CheckNumbersFor(numbers, c.game.FieldCount, c.game.Fields, c.game.Field2Kind);
        EXPECT_EQ(ok, c.ok) << c.what;
        if (c.ok) {
            numbers.resize(c.stored.size());
            EXPECT_EQ(numbers, c.stored) << c.what;
        }
        TDrawClass model(c.game);
        TArrayOfShortIntArray again = c.numbers;
        EXPECT_EQ(model.CheckNumbers(again), c.ok) << c.what;
    }
    TArrayOfShortIntArray numbers = kSix;
    const TGameInfo g = Game(0);
    for (int count : {0, 3, -1})
        EXPECT_FALSE(CheckNumbersFor(numbers, count, g.Fields, 0));
}

TEST(DrawClass, AddKeepsDateOrder)
{
    TDrawClass model(Game(2));
    EXPECT_FALSE(model.Modified);
    EXPECT_EQ(model.AddDraw(1, 0, Six(3), kDay + 2), 1);
    EXPECT_EQ(model.AddDraw(2, 0, Six(2), kDay), 1);
    EXPECT_EQ(model.AddDraw(1, 0, Six(1), kDay), 1); // same day, index 1 before 2
    EXPECT_EQ(model.AddDraw(2, 0, Six(4), kDay + 5), 4);
    EXPECT_EQ(model.AddDraw(1, 0, Six(5), kDay + 1), 3);
    EXPECT_TRUE(model.Modified);
    ASSERT_EQ(model.DrawCount(), 5);
    const int expectFirst[] = {1, 2, 5, 3, 4};
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(model.GetDrawNumbers(i, 1)[0], expectFirst[i - 1]) << i;
    for (int i = 2; i <= 5; ++i) {
        const TDraw* a = model.GetDraw(i - 1);
        const TDraw* b = model.GetDraw(i);
        EXPECT_TRUE(a->Date < b->Date || (a->Date == b->Date && a->Index < b->Index));
    }
    // A duplicate (date, index) is refused and changes nothing.
    model.Modified = false;
    EXPECT_EQ(model.AddDraw(2, 0, Six(9), kDay), 0);
    EXPECT_EQ(model.DrawCount(), 5);
    EXPECT_FALSE(model.Modified);
    EXPECT_EQ(model.FindDraw(2, kDay), 2);
    EXPECT_EQ(model.FindDraw(2, kDay + 1), 0);
}

TEST(DrawClass, DateAndNumberChecks)
{
    TDrawClass daily(Game(1));
    struct Case {
        int index;
        TDateTime date;
        TArrayOfShortIntArray numbers;
        int position;
    } cases[] = {
        {2, kDay, kSix, 0},     {0, kDay, kSix, 0},     {-1, kDay, kSix, 0},      {1, 0, kSix, 0},    {1, NAN, kSix, 0},
        {1, INFINITY, kSix, 0}, {1, kDay, {{1, 2}}, 0}, {INT_MAX, kDay, kSix, 0}, {1, kDay, kSix, 1}, {1, -5, kSix, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(daily.AddDraw(c.index, 0, c.numbers, c.date), c.position) << c.index << " " << c.date;
    EXPECT_EQ(daily.GetDraw(1)->Index, 1); // a date before the epoch keeps its index
    EXPECT_EQ(daily.FindDraw(1, -5), 1);

    // Without dates, date and index are stored as 0 and never found.
    TDrawClass undated(Game(0));
    EXPECT_EQ(undated.AddDraw(7, 3, {{44, 5, 31, 12, 40, 23}}, kDay), 1);
    EXPECT_EQ(undated.AddDraw(7, 0, kSix, kDay), 2);
    const TDraw* d = undated.GetDraw(1);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->Date, 0);
    EXPECT_EQ(d->Index, 0);
    EXPECT_EQ(d->Status, 3);
    EXPECT_EQ(d->Numbers, kSix);
    EXPECT_EQ(undated.FindDraw(7, kDay), 0);
    EXPECT_EQ(undated.FindDraw(0, 0), 0);
}

TEST(DrawClass, InsertDraw)
{
    TDrawClass undated(Game(0));
    EXPECT_EQ(undated.InsertDraw(1, 0, Six(1), 0, 0), 1);
    EXPECT_EQ(undated.InsertDraw(1, 0, Six(2), 0, 0), 1);
    EXPECT_EQ(undated.InsertDraw(INT_MAX, 0, Six(3), 0, 0), 3);
    EXPECT_EQ(undated.InsertDraw(2, 0, Six(4), 0, 0), 2);
    for (int bad : {0, -1, INT_MIN})
        EXPECT_EQ(undated.InsertDraw(bad, 0, Six(5), 0, 0), 0);
    EXPECT_EQ(undated.InsertDraw(1, 0, {{1}}, 0, 0), 0);
    ASSERT_EQ(undated.DrawCount(), 4);
    const int expect[] = {2, 4, 1, 3};
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(undated.GetDrawNumbers(i, 1)[0], expect[i - 1]);

    // A dated game ignores the position.
    TDrawClass dated(Game(1));
    EXPECT_EQ(dated.InsertDraw(1, 1, Six(1), 0, kDay + 3), 1);
    EXPECT_EQ(dated.InsertDraw(1, 1, Six(2), 0, kDay + 5), 2);
    EXPECT_EQ(dated.InsertDraw(-1, 1, Six(3), 0, kDay), 1);
    EXPECT_EQ(dated.InsertDraw(1, 1, Six(3), 0, kDay), 0); // duplicate
}

TEST(DrawClass, ReplaceDraw)
{
    TDrawClass dated(Game(1));
    dated.AddDraw(1, 0, Six(1), kDay);
    dated.AddDraw(1, 0, Six(2), kDay + 1);
    dated.Modified = false;
    EXPECT_TRUE(dated.ReplaceDraw(2, 1, {{44, 5, 31, 12, 40, 23}}, kDay + 1));
    EXPECT_EQ(dated.GetDrawNumbers(2, 1), kSix[0]);
    EXPECT_TRUE(dated.Modified);
    dated.Modified = false;
    // Another draw has this date: refused, nothing changes.
    EXPECT_FALSE(dated.ReplaceDraw(1, 1, Six(9), kDay + 1));
    EXPECT_EQ(dated.GetDrawNumbers(1, 1)[0], 1);
    EXPECT_FALSE(dated.Modified);
    // No draw has it.
    try {
        dated.ReplaceDraw(1, 1, Six(9), kDay + 7);
        FAIL() << "no exception";
    } catch (const EDrawError& e) {
        EXPECT_STREQ(e.what(), "Replace draw : Date not found in data.");
    }
    struct Bad {
        int index;
        TDateTime date;
        TArrayOfShortIntArray numbers;
        const char* message;
    } bad[] = {{2, kDay, Six(9), "Add draw : Invalid date entered."},
               {1, 0, Six(9), "Add draw : Invalid date entered."},
               {1, kDay, {{1, 1, 2, 3, 4, 5}}, "Add draw : Invalid numbers entered."}};
    for (const auto& b : bad) {
        try {
            dated.ReplaceDraw(1, b.index, b.numbers, b.date);
            ADD_FAILURE() << "no exception for " << b.message;
        } catch (const EDrawError& e) {
            EXPECT_STREQ(e.what(), b.message);
        }
    }
    for (int p : {0, -1, 3, INT_MAX})
        EXPECT_FALSE(dated.ReplaceDraw(p, 1, Six(9), kDay)) << p;

    TDrawClass undated(Game(0));
    undated.AddDraw(0, 0, Six(1), 0);
    EXPECT_TRUE(undated.ReplaceDraw(1, 5, Six(8), kDay));
    EXPECT_EQ(undated.GetDrawNumbers(1, 1)[0], 8);
    EXPECT_EQ(undated.GetDraw(1)->Date, 0);
    for (int p : {0, -1, 2, INT_MAX})
        EXPECT_FALSE(undated.ReplaceDraw(p, 0, Six(8), 0)) << p;
}

TEST(DrawClass, BadPositionsAnswerNone)
{
    TDrawClass model(Game(0, Field(6, 49), 1, Field(1, 10)));
    model.AddDraw(0, 0, {{1, 2, 3, 4, 5, 6}, {7}}, 0);
    model.Modified = false;
    for (int p : {0, -1, 2, INT_MAX, INT_MIN}) {
        EXPECT_EQ(model.GetDraw(p), nullptr);
        EXPECT_TRUE(model.GetDrawNumbers(p, 1).empty());
        EXPECT_FALSE(model.DeleteDraw(p));
        EXPECT_EQ(model.DrawToText(p), "");
    }
    for (int field : {0, 3, -1, INT_MAX})
        EXPECT_TRUE(model.GetDrawNumbers(1, field).empty()) << field;
    EXPECT_EQ(model.GetDrawNumbers(1, 2), TShortIntArray{7});
    EXPECT_FALSE(model.Modified);
    EXPECT_TRUE(model.DeleteDraw(1));
    EXPECT_TRUE(model.Modified);
    EXPECT_EQ(model.DrawCount(), 0);
}

TEST(DrawClass, FindDrawAgreesWithLinearSearch)
{
    std::mt19937 rng(99);
    for (int round = 0; round < 20; ++round) {
        TDrawClass model(Game(9));
        const int wanted = 50 + static_cast<int>(rng() % 400);
        for (int i = 0; i < wanted; ++i)
            model.AddDraw(1 + static_cast<int>(rng() % 9), 0, kSix, kDay + static_cast<int>(rng() % 60));
        for (TDateTime date = kDay - 1; date <= kDay + 61; ++date)
            for (int index = 0; index <= 10; ++index) {
                int linear = 0;
                for (int p = 1; p <= model.DrawCount(); ++p)
                    if (model.GetDraw(p)->Date == date && model.GetDraw(p)->Index == index)
                        linear = p;
                ASSERT_EQ(model.FindDraw(index, date), linear) << date << "/" << index;
            }
    }
}

TEST(DrawClass, CopiesTheDefinition)
{
    TGameInfo g = Game(1);
    TDrawClass model(g);
    g.Fields[0].Total = 10;
    g.DrawsPerDay = 0;
    EXPECT_EQ(model.GameInfo().Fields[0].Total, 49);
    EXPECT_TRUE(model.Dated());
    EXPECT_EQ(model.AddDraw(1, 0, kSix, kDay), 1);
}

TEST(DrawText, Forms)
{
    SetDateSettings(0, "/");
    SetWeekdayNames({"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"},
                    {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"});
    const TArrayOfShortIntArray withBonus{{5, 12, 23, 31, 40, 44}, {7}};
    EXPECT_EQ(NumbersToText(withBonus), "05 12 23 31 40 44 | 07");
    EXPECT_EQ(NumbersToText({}), "");
    EXPECT_EQ(DrawToText(12, 2, 2, withBonus, 2, kDay), "Draw #12 - 25/03/2010  Thu / 2 : 05 12 23 31 40 44 | 07");
    EXPECT_EQ(DrawToText(12, 1, 1, withBonus, 2, kDay), "Draw #12 - 25/03/2010  Thu : 05 12 23 31 40 44 | 07");
    EXPECT_EQ(DrawToText(0, 1, 1, withBonus, 1, kDay), "25/03/2010  Thu : 05 12 23 31 40 44");
    EXPECT_EQ(DrawToText(3, 0, 0, withBonus, 2, 0), "Draw #3 - 05 12 23 31 40 44 | 07");
    EXPECT_EQ(DrawToText(-1, 0, 0, withBonus, 7, 0), "05 12 23 31 40 44 | 07");
    SetDateSettings(2, "-");
    EXPECT_EQ(DrawToText(1, 1, 1, withBonus, 1, kDay), "Draw #1 - 2010-03-25  Thu : 05 12 23 31 40 44");

    SetDateSettings(0, "/");
    TDrawClass model(Game(2, Field(6, 49), 2, Field(1, 49)));
    model.AddDraw(2, 0, withBonus, kDay);
    EXPECT_EQ(model.DrawToText(1), "Draw #1 - 25/03/2010  Thu / 2 : 05 12 23 31 40 44 | 07");
}

TEST(GameModel, DefaultFieldNamesFollowKindAndCount)
{
    const struct {
        uint8_t kind;
        int32_t picked2;
        const char* second;
    } cases[] = {
        {1, 1, "Powerball"}, {1, 2, "Powerballs"}, {2, 1, "Bonus ball"}, {2, 2, "Bonus balls"}, {0, 1, "Powerball"}};
    for (const auto& c : cases) {
        TGameInfo g;
        g.Field2Kind = c.kind;
        g.Fields[1].Picked = c.picked2;
        EXPECT_EQ(DefaultFieldName(g, 1), "Main numbers");
        EXPECT_EQ(DefaultFieldName(g, 2), c.second) << int(c.kind) << " " << c.picked2;
    }
}

TEST(RandomDraws, SameSeedSameDrawsWithinTheRules)
{
    TGameInfo g;
    g.FieldCount = 2;
    g.Field2Kind = 2;
    g.Fields[0] = TGameField{10, 6, 1, 0};
    g.Fields[1] = TGameField{10, 3, 1, 0};
    std::mt19937 a(5), b(5);
    for (int i = 0; i < 200; ++i) {
        const TArrayOfShortIntArray draw = RandomDraw(a, g);
        EXPECT_EQ(RandomDraw(b, g), draw);
        ASSERT_EQ(draw.size(), 2u);
        ASSERT_EQ(draw[0].size(), 6u);
        ASSERT_EQ(draw[1].size(), 3u);
        TShortIntArray all = draw[0];
        all.insert(all.end(), draw[1].begin(), draw[1].end());
        std::sort(all.begin(), all.end());
        // Distinct within a field, and a bonus ball is never a main ball.
        EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
        EXPECT_GE(all.front(), 1);
        EXPECT_LE(all.back(), 10);
    }
    // An ordered field may repeat a ball; a lowest ball of 0 shifts the range.
    std::mt19937 rng(1);
    bool repeated = false;
    for (int i = 0; i < 200; ++i) {
        TShortIntArray balls = RandomBalls(rng, TGameField{3, 3, 0, 1});
        for (int8_t x : balls)
            EXPECT_TRUE(x >= 0 && x <= 2);
        std::sort(balls.begin(), balls.end());
        repeated = repeated || std::adjacent_find(balls.begin(), balls.end()) != balls.end();
    }
    EXPECT_TRUE(repeated);
}
