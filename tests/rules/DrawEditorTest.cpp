#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/Utils.h"
#include "rules/DrawEditor.h"
#include "rules/NumbersGrid.h"
#include "support/GameFixtures.h"

using namespace fixtures;

namespace {

TShortIntArray Grid(std::initializer_list<int8_t> n) { return TShortIntArray(n); }

} // namespace

TEST(DrawEditor, OneDrawPerDayDisablesAddUntilAnotherDay)
{
    TGameInfo g = MakeGame(6, 49, 1);
    TDrawClass draws(g);
    TDrawEditor editor(draws, true);
    const TDateTime day = EncodeDate(2024, 5, 4);
    EXPECT_FALSE(editor.Buttons(0, day, 1).Add);
    editor.WorkFromGrid(Grid({40, 3, 17, 8, 22, 1}));
    EXPECT_EQ(editor.Work()[0], Grid({1, 3, 8, 17, 22, 40}));
    TEditorButtons b = editor.Buttons(0, day, 1);
    EXPECT_TRUE(b.Add && b.Insert);
    EXPECT_FALSE(b.Replace || b.Save);
    ASSERT_EQ(editor.Add(day, 1), 1);
    b = editor.Buttons(1, day, 1);
    EXPECT_FALSE(b.Add || b.Insert);
    EXPECT_TRUE(b.Replace && b.Save);
    // Get and Delete need a selected draw that exists.
    EXPECT_TRUE(b.Get);
    EXPECT_FALSE(editor.Buttons(0, day, 1).Get);
    EXPECT_FALSE(editor.Buttons(2, day, 1).Get);
    EXPECT_FALSE(editor.Buttons(1, day + 1, 1).Replace);
    EXPECT_TRUE(editor.Buttons(1, day + 1, 1).Add);
    EXPECT_EQ(editor.Add(day, 1), 0); // refused, history unchanged
    EXPECT_EQ(draws.DrawCount(), 1);
    EXPECT_EQ(
        editor.CloseReminder(),
        "Current lottery game 'Test Lotto' has been modified.\n\rPlease remember to save the draws history file.");
    TDrawEditor fromRunState(draws, false);
    draws.AddDraw(1, 0, {{1, 2, 3, 4, 5, 6}}, day + 3);
    EXPECT_EQ(fromRunState.CloseReminder(), "");
    EXPECT_FALSE(fromRunState.Buttons(0, day, 1).Save);
}

TEST(DrawEditor, DaysAfterTodayOrOffTheScheduleAreAskedAbout)
{
    SetDateSettings(0, "/");
    const TDateTime today = EncodeDate(2024, 5, 15); // a Wednesday
    // Histories: `weekly` draws every 7 days from `first`, or Wednesdays and
    // Saturdays; `count` draws, the last on or before today.
    struct Case {
        const char* what;
        int perDay; // 0: no dates
        int count;
        TDateTime first; // 0: Wednesdays and Saturdays from 2023-05-03
        TDateTime day;
        std::string question;
    };
    const char* const goOn = "\n\rDo you want to enter it anyway?";
    const Case cases[] = {
        {"today is fine", 1, 20, EncodeDate(2024, 1, 3), today, ""},
        {"tomorrow is asked about", 1, 20, EncodeDate(2024, 1, 3), today + 1,
         std::string("The date of this draw, 16/05/2024, lies after today.") + goOn},
        {"a Sunday in a Wednesday history", 1, 20, EncodeDate(2024, 1, 3), EncodeDate(2024, 5, 12),
         std::string("The recent draws of this game fall on Wednesday; 12/05/2024 is a Sunday.") + goOn},
        {"a Tuesday in a Wednesday and Saturday history", 1, 100, 0, EncodeDate(2024, 5, 14),
         std::string("The recent draws of this game fall on Wednesday and Saturday; 14/05/2024 is a Tuesday.") + goOn},
        {"a Saturday there is fine", 1, 100, 0, EncodeDate(2024, 5, 11), ""},
        {"too few draws to know a schedule", 1, 7, EncodeDate(2024, 1, 3), EncodeDate(2024, 5, 12), ""},
        {"a game without dates asks nothing", 0, 20, 0, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TDrawClass draws(MakeGame(6, 49, c.perDay));
        TDateTime date = c.first != 0 ? c.first : EncodeDate(2023, 5, 3);
        for (int i = 0; i < c.count; ++i) {
            ASSERT_GT(draws.AddDraw(c.perDay ? 1 : 0, 0, {{1, 2, 3, 4, 5, 6}}, c.perDay ? date : 0), 0);
            // Wednesday + 3 = Saturday, Saturday + 4 = Wednesday.
            date += c.first != 0 ? 7 : (i % 2 == 0 ? 3 : 4);
        }
        TDrawEditor editor(draws, true);
        EXPECT_EQ(editor.DayQuestion(c.day, today), c.question);
    }
}

TEST(DrawEditor, BonusFieldWaitsForACompleteMainField)
{
    TGameInfo g = MakeGame(6, 49, 0, 2, 1);
    TDrawClass draws(g);
    TDrawEditor editor(draws, true);
    editor.SetActiveField(2);
    TGridSetup s = editor.GridSetup();
    EXPECT_EQ(s.Field, 1);
    EXPECT_TRUE(s.SelectorVisible);
    EXPECT_FALSE(s.SelectorEnabled);
    EXPECT_EQ(s.Total, 49);
    EXPECT_EQ(s.Picked, 6);
    editor.WorkFromGrid(Grid({5, 12, 23, 31, 40}));
    EXPECT_FALSE(editor.SelectorEnabled());
    editor.WorkFromGrid(Grid({5, 12, 23, 31, 40, 44}));
    EXPECT_TRUE(editor.SelectorEnabled());
    editor.SetActiveField(2);
    s = editor.GridSetup();
    EXPECT_EQ(s.Field, 2);
    EXPECT_EQ(s.Picked, 1);
    EXPECT_EQ(s.FieldName, "Bonus ball");
    EXPECT_EQ(s.Disabled, (std::vector<int>{5, 12, 23, 31, 40, 44}));
    EXPECT_FALSE(editor.Buttons(0, 0, 0).Add);
    editor.WorkFromGrid(Grid({7}));
    EXPECT_TRUE(editor.Buttons(0, 0, 0).Add);
    ASSERT_EQ(editor.Add(0, 0), 1);
    EXPECT_EQ(draws.DrawToText(1), "Draw #1 - " + NumbersToText({{5, 12, 23, 31, 40, 44}, {7}}));

    // A power ball field of its own container is reachable at any time.
    TGameInfo p = MakeGame(5, 50, 0, 1, 2, 10);
    TDrawClass pd(p);
    TDrawEditor pe(pd, true);
    pe.SetActiveField(2);
    EXPECT_EQ(pe.GridSetup().Field, 2);
    EXPECT_EQ(pe.GridSetup().Total, 10);
    EXPECT_TRUE(pe.GridSetup().Disabled.empty());
}

TEST(DrawEditor, ReplaceDeleteGetRandomAndQuestions)
{
    SetDateSettings(0, "/");
    TGameInfo g = MakeGame(6, 49, 1);
    TDrawClass draws(g);
    FillDraws(draws, g, 3);
    draws.Modified = false;
    TDrawEditor editor(draws, true);
    std::string error;
    EXPECT_EQ(editor.ReplaceQuestion(9, 0, 1, error), "");
    EXPECT_EQ(error, "INTERNAL ERROR : cannot retrieve draw #9 [Code 1]");
    EXPECT_EQ(editor.DeleteQuestion(0, error), "");
    EXPECT_EQ(error, "INTERNAL ERROR : cannot retrieve draw #0 [Code 2]");

    TDateTime date = 0;
    int index = 0;
    ASSERT_TRUE(editor.Get(2, date, index));
    EXPECT_EQ(date, draws.GetDraw(2)->Date);
    EXPECT_EQ(editor.Work()[0], draws.GetDraw(2)->Numbers[0]);
    editor.WorkFromGrid(Grid({1, 2, 3, 4, 5, 6}));
    const std::string question = editor.ReplaceQuestion(2, date, index, error);
    EXPECT_EQ(question, "Do you want to replace draw\n\r" + draws.DrawToText(2) + "\n\rwith draw\n\r" +
                            DrawToText(2, 1, 1, {{1, 2, 3, 4, 5, 6}}, 1, date) + "?");
    // A date held by another draw: refused, nothing changes.
    const TArrayOfShortIntArray before = draws.GetDraw(3)->Numbers;
    EXPECT_FALSE(editor.Replace(2, draws.GetDraw(3)->Date, 1));
    EXPECT_EQ(draws.GetDraw(3)->Numbers, before);
    EXPECT_THROW(editor.Replace(2, date + 100, 1), EDrawError);
    EXPECT_TRUE(editor.Replace(2, date, index));
    EXPECT_EQ(draws.GetDraw(2)->Numbers[0], Grid({1, 2, 3, 4, 5, 6}));

    EXPECT_EQ(editor.DeleteQuestion(3, error), "Do you want to delete\n\r" + draws.DrawToText(3) + "?");
    EXPECT_EQ(editor.Delete(3), 2);
    EXPECT_EQ(editor.Delete(1), 1);
    EXPECT_EQ(editor.Delete(1), 1);
    EXPECT_EQ(draws.DrawCount(), 0);
    EXPECT_EQ(editor.Delete(1), 0);

    std::mt19937 rng(5);
    for (int i = 0; i < 20; ++i) {
        editor.Random(rng);
        TArrayOfShortIntArray w = editor.Work();
        EXPECT_TRUE(CheckNumbersFor(w, 1, g.Fields, 0));
    }
    editor.Clear();
    EXPECT_EQ(editor.Work()[0], TShortIntArray(6, -1));
}

// Balls from 0: grid number n stands for ball n - 1 in both directions, so 0 is enterable.
TEST(DrawEditor, FieldsStartingAtZeroMapToTheGrid)
{
    TGameInfo g = MakeGame(3, 10, 0, 0, 0, 0, 0);
    TDrawClass draws(g);
    TDrawEditor editor(draws, true);
    const TGridSetup s = editor.GridSetup();
    EXPECT_EQ(s.Total, 10);
    EXPECT_EQ(s.FaceOffset, -1);
    editor.WorkFromGrid(Grid({1, 5, 10}));
    EXPECT_EQ(editor.Work()[0], Grid({0, 4, 9}));
    EXPECT_EQ(editor.GridSelection(), (std::vector<int>{1, 5, 10}));
    ASSERT_EQ(editor.Add(0, 0), 1);
    EXPECT_EQ(draws.GetDraw(1)->Numbers[0], Grid({0, 4, 9}));
}

TEST(DrawEditor, ListPagesTitlesAndSorting)
{
    SetDateSettings(0, "/");
    TGameInfo g = MakeGame(6, 49, 2, 2, 1);
    TDrawClass draws(g);
    TDrawEditor editor(draws, true);
    TPagedList list;
    editor.DefineColumns(list);
    list.TitleCallback = [&] { return editor.ListTitle(list); };
    list.SetRows(editor.RowKeys());
    EXPECT_EQ(list.Title(), "No history draws in file");
    EXPECT_EQ(list.PageCount(), 1);
    ASSERT_EQ(list.Columns().size(), 5u);
    const char* captions[] = {"Draw #", "Date", "Index", "Main numbers", "Bonus ball"};
    const int widths[] = {50, 100, 44, 144, 60};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(list.Columns()[i].Caption, captions[i]);
        EXPECT_EQ(list.Columns()[i].Width, widths[i]);
        EXPECT_EQ(list.Columns()[i].Id, static_cast<int>(i) + 1);
    }
    EXPECT_EQ(list.Columns()[1].Align, TColumnAlign::Left);

    FillDraws(draws, g, 1234);
    list.SetRows(editor.RowKeys());
    EXPECT_EQ(list.Title(), "Viewing draws 1 - 100 of total 1234");
    EXPECT_EQ(list.PageCount(), 13);
    EXPECT_EQ(list.Navi().LargeStep(), 1);
    EXPECT_TRUE(list.Navi().Visible());
    EXPECT_FALSE(list.Navi().CanGoBack());
    EXPECT_EQ(list.CellText(0, 1), "1");
    EXPECT_EQ(list.CellText(1, 1), UserDateText(EncodeDate(2000, 1, 1), true));
    EXPECT_EQ(list.CellText(2, 2), "2");
    EXPECT_EQ(list.CellText(3, 1), BallsToText(draws.GetDraw(1)->Numbers[0], " - ", 2));
    EXPECT_EQ(list.CellText(3, 99999), "Error!");
    EXPECT_TRUE(list.Navi().GoToPage(13));
    EXPECT_EQ(list.PageKeys().size(), 34u);
    EXPECT_EQ(list.Title(), "Viewing draws 1201 - 1234 of total 1234");
    EXPECT_FALSE(list.Navi().CanGoForward());

    EXPECT_FALSE(list.ClickHeader(2)); // Index does not sort
    EXPECT_TRUE(list.ClickHeader(0));
    EXPECT_EQ(list.SortDirection(), 1);
    EXPECT_EQ(list.RowKey(1), 1);
    EXPECT_TRUE(list.ClickHeader(0));
    EXPECT_EQ(list.SortDirection(), 2);
    EXPECT_EQ(list.RowKey(1), 1234);
    EXPECT_EQ(list.ShowKey(1234), 1);
    EXPECT_EQ(list.Page(), 1);
    EXPECT_EQ(list.Title(), "Viewing draws 1135 - 1234 of total 1234");
    EXPECT_TRUE(list.ClickHeader(1)); // Date: ascending again
    EXPECT_EQ(list.SortDirection(), 1);
    EXPECT_EQ(list.SortColumnIndex(), 1);
    EXPECT_EQ(list.RowKey(1), 1);
    EXPECT_EQ(list.ShowKey(1234), 1234);
    EXPECT_EQ(list.Page(), 13);

    list.MoveColumn(3, 0);
    EXPECT_EQ(list.Columns()[0].Caption, "Main numbers");
    EXPECT_EQ(list.SortColumnIndex(), 2);

    TNaviModel navi;
    EXPECT_FALSE(navi.SetPageCount(0));
    EXPECT_FALSE(navi.Visible());
    navi.SetPageCount(250);
    EXPECT_EQ(navi.LargeStep(), 2);
    EXPECT_TRUE(navi.GoToPage(250));
    EXPECT_FALSE(navi.GoToPage(251));
    EXPECT_TRUE(navi.SetPageCount(3));
    EXPECT_EQ(navi.Page(), 3);
}
