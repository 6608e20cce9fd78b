// The manager's and the wizard's rules without a window: the game type table,
// the list of totals, the checks on leaving the fields page, the file name of
// a new game, the local list rows and the bottom bar.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "data/GameFile.h"
#include "data/LocalGames.h"
#include "data/Utils.h"
#include "platform/Paths.h"
#include "rules/LotteryRules.h"

namespace {

std::string FreshDir(const std::string& name)
{
    const char* tmp = std::getenv("JUX_TEST_TMP");
    const std::string dir = std::string(tmp ? tmp : "/tmp/jux-test") + "/" + name + "/";
    std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str());
    return dir;
}

void Touch(const std::string& path)
{
    std::string error;
    ASSERT_TRUE(WriteWholeFile(path, {1, 2, 3}, error)) << error;
}

TEST(LotteryRules, GameTypeTable)
{
    struct Row {
        int index;
        const char* caption;
        int picked1;
        int kind;
        int picked2;
        const char* name;
        const char* field2;
    };
    const Row rows[] = {
        {0, "Lotto 6/49", 6, 0, 1, "Lotto 6 of 49", ""},
        {1, "Lotto 4 (define size)", 4, 0, 1, "Lotto 4 of 49", ""},
        {2, "Lotto 5 (define size)", 5, 0, 1, "Lotto 5 of 49", ""},
        {3, "Lotto 6 (define size)", 6, 0, 1, "Lotto 6 of 49", ""},
        {4, "Lotto 7 (define size)", 7, 0, 1, "Lotto 7 of 49", ""},
        {5, "Lotto 4 + 1 powerball", 4, 1, 1, "Lotto 4 of 49 + 1 of 20", "Powerball"},
        {6, "Lotto 4 + 2 powerballs", 4, 1, 2, "Lotto 4 of 49 + 2 of 20", "Powerballs"},
        {7, "Lotto 5 + 1 powerball", 5, 1, 1, "Lotto 5 of 49 + 1 of 20", "Powerball"},
        {8, "Lotto 5 + 2 powerballs", 5, 1, 2, "Lotto 5 of 49 + 2 of 20", "Powerballs"},
        {9, "Lotto 6 + 1 powerball", 6, 1, 1, "Lotto 6 of 49 + 1 of 20", "Powerball"},
        {10, "Lotto 6 + 2 powerballs", 6, 1, 2, "Lotto 6 of 49 + 2 of 20", "Powerballs"},
        {11, "Lotto 7 + 1 powerball", 7, 1, 1, "Lotto 7 of 49 + 1 of 20", "Powerball"},
        {12, "Lotto 7 + 2 powerballs", 7, 1, 2, "Lotto 7 of 49 + 2 of 20", "Powerballs"},
        {13, "Lotto 4 + 1 bonus ball", 4, 2, 1, "Lotto 4 of 49 + 1 bonus", "Bonus ball"},
        {14, "Lotto 4 + 2 bonus balls", 4, 2, 2, "Lotto 4 of 49 + 2 bonus", "Bonus balls"},
        {15, "Lotto 5 + 1 bonus ball", 5, 2, 1, "Lotto 5 of 49 + 1 bonus", "Bonus ball"},
        {16, "Lotto 5 + 2 bonus balls", 5, 2, 2, "Lotto 5 of 49 + 2 bonus", "Bonus balls"},
        {17, "Lotto 6 + 1 bonus ball", 6, 2, 1, "Lotto 6 of 49 + 1 bonus", "Bonus ball"},
        {18, "Lotto 6 + 2 bonus balls", 6, 2, 2, "Lotto 6 of 49 + 2 bonus", "Bonus balls"},
        {19, "Lotto 7 + 1 bonus ball", 7, 2, 1, "Lotto 7 of 49 + 1 bonus", "Bonus ball"},
        {20, "Lotto 7 + 2 bonus balls", 7, 2, 2, "Lotto 7 of 49 + 2 bonus", "Bonus balls"},
        {21, "User defined", 6, 0, 1, "", ""},
    };
    ASSERT_EQ(GameTypeCaptions().size(), std::size(rows));
    for (const Row& r : rows) {
        SCOPED_TRACE(r.index);
        EXPECT_EQ(GameTypeCaptions()[r.index], r.caption);
        const TGameInfo g = GameTypeDefinition(r.index);
        EXPECT_EQ(g.Fields[0].Picked, r.picked1);
        EXPECT_EQ(g.Field2Kind, r.kind);
        EXPECT_EQ(g.Fields[1].Picked, r.picked2);
        EXPECT_EQ(g.Name, r.name);
        EXPECT_EQ(g.FieldNames[1], r.field2);
        // The defaults under every row.
        EXPECT_EQ(g.FieldNames[0], "Main numbers");
        EXPECT_EQ(g.Fields[0].Total, 49);
        EXPECT_EQ(g.Fields[0].Lowest, 1);
        EXPECT_EQ(g.Fields[1].Total, 20);
        EXPECT_EQ(g.Fields[1].Lowest, 1);
        EXPECT_EQ(g.Fields[0].Ordered | g.Fields[1].Ordered, 0);
        EXPECT_EQ(g.DrawsPerDay, 0);
        EXPECT_EQ(g.OnlineID, 0);
        EXPECT_EQ(g.Commission.Count(), 0);
    }
}

TEST(LotteryRules, GameTypeMemos)
{
    EXPECT_EQ(GameTypeMemo(0), "Traditional lotto game with 6 numbers out of 49.");
    EXPECT_EQ(GameTypeMemo(4), "Lotto game with 7 numbers. User defines the total balls of the game.");
    EXPECT_EQ(GameTypeMemo(8), "Lotto game with 5 numbers and 2 additional powerball(s) number(s). User defines the "
                               "total balls of the game in both fields.");
    EXPECT_EQ(GameTypeMemo(17), "Lotto game with 6 numbers and 1 additional bonus ball(s) number(s). User defines "
                                "the total balls of the game.");
    EXPECT_EQ(GameTypeMemo(21), "User defines all parameters of the game.");
}

TEST(LotteryRules, TypeControlsByType)
{
    const TTypeControls lotto = TypeControls(0);
    EXPECT_FALSE(lotto.F1PickedEnabled);
    EXPECT_FALSE(lotto.F1TotalEnabled);
    EXPECT_FALSE(lotto.F2StatusEnabled);
    const TTypeControls sized = TypeControls(8);
    EXPECT_FALSE(sized.F1PickedEnabled);
    EXPECT_TRUE(sized.F1TotalEnabled);
    EXPECT_FALSE(sized.F2PickedEnabled);
    const TTypeControls user = TypeControls(21);
    EXPECT_TRUE(user.F1PickedEnabled && user.F1TotalEnabled && user.F2StatusEnabled && user.F2PickedEnabled);
}

TEST(LotteryRules, TotalListRule)
{
    struct Case {
        int picked, total;
        int first, last, chosen;
    };
    const Case cases[] = {
        {6, 49, 7, 99, 49},                     // the current total is offered
        {7, 49, 8, 75, 49}, {7, 99, 8, 75, 75}, // 6 -> 7 balls picked with 99 total: the last item
        {6, 6, 7, 99, 7},                       // a total not above Picked: the first item
        {6, 3, 7, 99, 7},   {1, 20, 2, 99, 20}, {2, 120, 3, 99, 99},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.picked) + " of " + std::to_string(c.total));
        TGameField f{c.total, c.picked, 1, 0};
        const TTotalList list = ApplyTotalListRule(f);
        ASSERT_FALSE(list.Items.empty());
        EXPECT_EQ(list.Items.front(), c.first);
        EXPECT_EQ(list.Items.back(), c.last);
        EXPECT_EQ(static_cast<int>(list.Items.size()), c.last - c.first + 1);
        EXPECT_EQ(list.Items[static_cast<size_t>(list.Selected)], c.chosen);
        EXPECT_EQ(f.Total, c.chosen);
    }
    TGameField none{49, 0, 1, 0};
    EXPECT_TRUE(ApplyTotalListRule(none).Items.empty());
    EXPECT_EQ(none.Total, 49);
}

TEST(LotteryRules, DescriptionAndTicketLabels)
{
    TGameInfo power = GameTypeDefinition(8);
    EXPECT_EQ(DescriptionLabel(power), "Description : 05/49 + 02/20");
    EXPECT_EQ(TicketsLabel(power), "Tickets : 1906884 + 190");

    TGameInfo bonus = GameTypeDefinition(17);
    EXPECT_EQ(DescriptionLabel(bonus), "Description : 06/49 + 01 BB");
    EXPECT_EQ(TicketsLabel(bonus), "Tickets : 13983816");

    EXPECT_EQ(DescriptionLabel(GameTypeDefinition(0)), "Description : 06/49");
}

TEST(LotteryRules, Field2StatusAndVisibility)
{
    EXPECT_EQ(Field2StatusItems(), (std::vector<std::string>{"Disabled", "Bonus ball", "Power ball"}));
    for (uint8_t kind : {0, 1, 2})
        EXPECT_EQ(Field2KindAt(Field2StatusPosition(kind)), kind);
    const TField2Visibility none = Field2Visibility(0);
    EXPECT_TRUE(none.NoParamsVisible);
    EXPECT_FALSE(none.NameVisible || none.PickedVisible || none.TotalVisible);
    const TField2Visibility bonus = Field2Visibility(2);
    EXPECT_TRUE(bonus.NameVisible && bonus.PickedVisible);
    EXPECT_FALSE(bonus.TotalVisible || bonus.NoParamsVisible);
    const TField2Visibility power = Field2Visibility(1);
    EXPECT_TRUE(power.NameVisible && power.PickedVisible && power.TotalVisible);
    EXPECT_FALSE(power.NoParamsVisible);
}

TEST(LotteryRules, LeavingTheFieldsPage)
{
    auto game = [](int type, const std::string& name) {
        TGameInfo g = GameTypeDefinition(type);
        g.Name = name;
        return g;
    };
    struct Case {
        const char* what;
        TGameInfo info;
        TFieldsCheck::TOutcome outcome;
        std::string message;
    };
    std::vector<Case> cases;
    cases.push_back({"empty name", game(0, ""), TFieldsCheck::Error, "Please specify a name for the lottery game."});
    cases.push_back({"blank name", game(0, "   "), TFieldsCheck::Error, "Please specify a name for the lottery game."});
    {
        TGameInfo g = game(0, "Lotto");
        g.FieldNames[0] = " ";
        cases.push_back({"field 1 unnamed", g, TFieldsCheck::Error, "Please specify a name for field 1."});
    }
    {
        TGameInfo g = game(7, "Lotto 5 of 49");
        g.FieldNames[1] = "";
        cases.push_back({"powerball unnamed", g, TFieldsCheck::Error, "Please specify a name for field 2."});
    }
    // Without a second field its name is not needed.
    cases.push_back({"one field", game(21, "Mine"), TFieldsCheck::Ok, ""});
    {
        TGameInfo g = game(21, "Mine");
        g.Field2Kind = 2;
        g.Fields[1].Picked = 7;
        g.FieldNames[1] = "Bonus";
        cases.push_back({"7 bonus balls of 6/49", g, TFieldsCheck::Ok, ""});
    }
    {
        TGameInfo g = game(21, "Small");
        g.Fields[0].Total = 8;
        g.Field2Kind = 2;
        g.Fields[1].Picked = 2;
        g.FieldNames[1] = "Bonus";
        cases.push_back({"2 bonus balls of 6/8", g, TFieldsCheck::Error, "Bonus balls are more than 1 possible!"});
    }
    {
        TGameInfo g = game(21, "Small");
        g.Fields[0].Total = 8;
        g.Field2Kind = 2;
        g.Fields[1].Picked = 1;
        g.FieldNames[1] = "Bonus";
        cases.push_back({"1 bonus ball of 6/8", g, TFieldsCheck::Ok, ""});
    }
    {
        TGameInfo g = game(5, "Big power");
        g.Fields[0].Total = 10; // 210 tickets
        g.Fields[1].Total = 99; // 99 tickets: fewer
        cases.push_back({"fewer power tickets", g, TFieldsCheck::Ok, ""});
        g.Fields[1].Picked = 2; // 4851 tickets
        cases.push_back({"more power tickets", g, TFieldsCheck::Ask,
                         "Field 2 produces more combinations than field 1!\n\rDo you want to keep this formation?"});
    }
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TFieldsCheck check = CheckFieldsPage(c.info);
        EXPECT_EQ(check.Outcome, c.outcome);
        EXPECT_EQ(check.Message, c.message);
    }
}

TEST(LotteryRules, LeavingTheFieldsPageStoresTheDefinition)
{
    TGameInfo bonus = GameTypeDefinition(17);
    bonus.Name = "  Lotto 6 of 49 bonus ";
    bonus.FieldNames[1] = " Bonus ball ";
    ASSERT_EQ(CheckFieldsPage(bonus).Outcome, TFieldsCheck::Ok);
    EXPECT_EQ(bonus.Name, "Lotto 6 of 49 bonus");
    EXPECT_EQ(bonus.FieldNames[1], "Bonus ball");
    EXPECT_EQ(bonus.FieldCount, 2);
    // The bonus field draws from field 1's container: 1 of 49.
    EXPECT_EQ(bonus.Fields[1].Total, 49);
    EXPECT_EQ(bonus.Fields[1].Picked, 1);
    TGameInfo stored = bonus;
    EXPECT_TRUE(IsStorableGameInfo(stored));

    TGameInfo single = GameTypeDefinition(0);
    ASSERT_EQ(CheckFieldsPage(single).Outcome, TFieldsCheck::Ok);
    EXPECT_EQ(single.FieldCount, 1);
    EXPECT_TRUE(IsStorableGameInfo(single));
}

TEST(LotteryRules, DrawsPerDayList)
{
    const std::vector<std::string> items = DrawsPerDayItems();
    ASSERT_EQ(items.size(), 10u);
    EXPECT_EQ(items[0], "Disabled");
    EXPECT_EQ(items[1], "1 draw per day/week");
    EXPECT_EQ(items[2], "2 draws per day");
    EXPECT_EQ(items[9], "9 draws per day");
}

TEST(LotteryRules, NewGameFileNames)
{
    const std::string dir = FreshDir("names");
    EXPECT_EQ(NewGameFileName("Lotto", dir), "Lotto.drw");
    EXPECT_EQ(NewGameFileName("My: Lotto?", dir), "My Lotto.drw");
    EXPECT_EQ(NewGameFileName("???", dir), "Noname.drw");
    EXPECT_EQ(NewGameFileName("\\/:*?\"<>|", dir), "Noname.drw");
    // A leading dot would make a file the games list does not show.
    EXPECT_EQ(NewGameFileName("..Lotto", dir), "Lotto.drw");
    EXPECT_EQ(NewGameFileName("...", dir), "Noname.drw");
    // The name is Windows-1252; the file name is the system's UTF-8.
    EXPECT_EQ(NewGameFileName("Loto \xC9t\xE9", dir), "Loto \xC3\x89t\xC3\xA9.drw");
    EXPECT_EQ(NewGameFileName("Euro\x80 \x81Tab\tLine\n", dir), "Euro\xE2\x82\xAC TabLine.drw");

    Touch(dir + "Lotto.drw");
    EXPECT_EQ(NewGameFileName("Lotto", dir), "Lotto0.drw");
    Touch(dir + "Lotto0.drw");
    EXPECT_EQ(NewGameFileName("Lotto", dir), "Lotto1.drw");
    Touch(dir + "Noname.drw");
    EXPECT_EQ(NewGameFileName("???", dir), "Noname0.drw");
    // Companion files go by the name in any letter case.
    Touch(dir + "euro.DRW");
    EXPECT_EQ(NewGameFileName("Euro", dir), "Euro0.drw");
    EXPECT_EQ(NewGameFilePath("Lotto", dir), dir + "Lotto1.drw");
}

TEST(LotteryRules, NewGameFilePathNeverLandsOnAnExistingGame)
{
    const std::string dir = FreshDir("paths");
    Touch(dir + "a.drw");
    // The cleaned name holds ".drw" itself.
    const std::string path = NewGameFilePath("a.drw.x", dir);
    EXPECT_EQ(path, dir + "a.drw.x.drw");
    EXPECT_FALSE(FileExists(path));
}

TEST(LotteryRules, ManagerButtons)
{
    struct Case {
        TManagerPage page;
        uint8_t action;
        bool selected;
        TManagerButtons expected;
    };
    const Case cases[] = {
        {TManagerPage::Actions, maNone, false, {"Next", false, false, false}},
        {TManagerPage::Actions, maOpenLocal, false, {"Next", true, false, false}},
        {TManagerPage::Actions, maCreate, false, {"Next", true, false, false}},
        {TManagerPage::Local, maOpenLocal, false, {"Open", false, true, false}},
        {TManagerPage::Local, maOpenLocal, true, {"Open", true, true, false}},
        {TManagerPage::Local, maDeleteLocal, true, {"Delete", true, true, false}},
        {TManagerPage::Local, maExportLocal, true, {"Export", true, true, false}},
        {TManagerPage::Local, maCreate, true, {"Create", true, true, false}},
        {TManagerPage::Local, maSearchDatabase, true, {"---", false, true, false}},
        {TManagerPage::Local, maNone, true, {"---", false, true, false}},
        {TManagerPage::Database, maSearchDatabase, false, {"Download", false, true, true}},
        {TManagerPage::Database, maSearchDatabase, true, {"Download", true, true, true}},
        {TManagerPage::Database, maOpenLocal, true, {"---", false, true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.page)) + "/" + std::to_string(c.action) + "/" +
                     std::to_string(c.selected));
        EXPECT_EQ(ManagerButtons(c.page, c.action, c.selected, true), c.expected);
        // Without a contact to ask for games, no request is offered.
        TManagerButtons without = c.expected;
        without.RequestVisible = false;
        EXPECT_EQ(ManagerButtons(c.page, c.action, c.selected), without);
    }
}

TEST(LotteryRules, IconsByStatus)
{
    const std::pair<uint8_t, TGameIcon> cases[] = {
        {gioValid, TGameIcon::Valid},
        {gioOlderVersion, TGameIcon::OlderVersion},
        {gioCorrupted, TGameIcon::Damaged},
        {gioInvalidDefinition, TGameIcon::Damaged},
        {gioInvalidOptional, TGameIcon::Damaged},
        {gioDrawDataErrors, TGameIcon::Damaged},
        {gioNotGameFile, TGameIcon::Foreign},
        {gioNewerVersion, TGameIcon::Foreign},
        {gioReadError, TGameIcon::Foreign},
        {200, TGameIcon::Foreign},
    };
    for (const auto& [status, icon] : cases)
        EXPECT_EQ(GameIconFor(status), icon) << int(status);
}

TEST(LotteryRules, LocalListRows)
{
    TLocalGameRec valid;
    valid.Info.Status = gioValid;
    valid.Info.DrawCount = 1234;
    valid.Info.LastDrawDate = EncodeDate(2010, 3, 25);
    valid.Info.Game.Name = "Lotto 6 of 49";
    valid.Info.Game.DrawsPerDay = 2;
    valid.Description = "06/49 + 01 BB [2 D/D]";
    // The last entry in the user's short date, here day/month/year.
    const int order = CurrentDateOrder();
    const std::string separator = CurrentDateSeparator();
    SetDateSettings(0, "/");
    TLocalGameRow row = LocalGameRow(valid);
    SetDateSettings(order, separator);
    EXPECT_EQ(row.Name, "Lotto 6 of 49");
    EXPECT_EQ(row.Description, "06/49 + 01 BB [2 D/D]");
    EXPECT_EQ(row.Draws, "1234");
    EXPECT_EQ(row.LastEntry, "25/03/2010");
    EXPECT_EQ(row.LastUpdate, "Unofficial");
    EXPECT_EQ(row.Icon, TGameIcon::Valid);

    valid.Info.Game.OnlineID = 17;
    EXPECT_EQ(LocalGameRow(valid).LastUpdate, "Never");
    valid.Info.Game.LastUpdate = EncodeDateTime(2011, 7, 4, 13, 5, 9);
    EXPECT_EQ(LocalGameRow(valid).LastUpdate, "2011-07-04 13:05:09");
    valid.Info.Game.OnlineID = -3;
    EXPECT_EQ(LocalGameRow(valid).LastUpdate, "Unofficial");

    TLocalGameRec foreign;
    foreign.Info.Status = gioNotGameFile;
    foreign.Description = GameIOStatusText(gioNotGameFile);
    row = LocalGameRow(foreign);
    EXPECT_EQ(row.Name, "");
    EXPECT_EQ(row.Description, "Not a game file.");
    EXPECT_EQ(row.Draws, "0");
    EXPECT_EQ(row.LastEntry, "Undefined");
    EXPECT_EQ(row.Icon, TGameIcon::Foreign);

    // A damaged game still shows the name its examination read.
    TLocalGameRec damaged;
    damaged.Info.Status = gioDrawDataErrors;
    damaged.Info.Game.Name = "Half";
    damaged.Description = GameIOStatusText(gioDrawDataErrors);
    row = LocalGameRow(damaged);
    EXPECT_EQ(row.Name, "Half");
    EXPECT_EQ(row.Description, "Errors in game's draw data.");
    EXPECT_EQ(row.Icon, TGameIcon::Damaged);
}

TEST(LotteryRules, ManagerTexts)
{
    EXPECT_EQ(DeleteGameQuestion("Lotto 6 of 49"), "Do you want to delete lottery game Lotto 6 of 49?");
    // A name is text, never a format.
    EXPECT_EQ(DeleteGameQuestion("100% %s"), "Do you want to delete lottery game 100% %s?");
    const std::string request = RequestDatabaseGameText("games@lotto.test");
    for (const char* point :
         {"Request lottery game to databases", "games@lotto.test", "6 of 49 + 1 bonus", "official", "pick 3",
          "one draw per day", "two different users", "a week or more", "user-defined", "No individual reply"})
        EXPECT_NE(request.find(point), std::string::npos) << point;
}

} // namespace
