// Which draws of a results file are new to a game: dated games by date and
// index with conflicts listed, undated games only after their whole history.
#include <gtest/gtest.h>

#include "data/DrawsMerge.h"
#include "support/GameFixtures.h"

namespace {

using fixtures::MakeGame;

TDraw Draw(TDateTime date, int index, TArrayOfShortIntArray numbers)
{
    TDraw d;
    d.Date = date;
    d.Index = index;
    d.Numbers = std::move(numbers);
    return d;
}

// The game's own draws as a file would give them.
std::vector<TDraw> AsFile(const TDrawClass& game, int from = 1, int to = -1)
{
    std::vector<TDraw> file;
    if (to < 0)
        to = game.DrawCount();
    for (int i = from; i <= to; ++i)
        file.push_back(*game.GetDraw(i));
    return file;
}

const TDateTime kDay1 = EncodeDate(2000, 1, 1);

} // namespace

TEST(DrawsMerge, DatedGameTakesTheDatesItLacksAndListsConflicts)
{
    const TGameInfo info = MakeGame(6, 49, 1);
    TDrawClass game(info);
    fixtures::FillDraws(game, info, 10); // 2000-01-01 .. 2000-01-10
    const TArrayOfShortIntArray other = {{1, 2, 3, 4, 5, 6}};
    const TArrayOfShortIntArray another = {{7, 8, 9, 10, 11, 12}};

    struct Case {
        const char* name;
        std::vector<TDraw> file;
        size_t added;
        std::vector<TDateTime> conflictDates;
    };
    std::vector<TDraw> grown = AsFile(game);
    grown.push_back(Draw(kDay1 + 10, 1, other));
    grown.push_back(Draw(kDay1 + 11, 1, another));
    std::vector<TDraw> changed = AsFile(game);
    changed[4].Numbers = other; // 2000-01-05 differs
    if (changed[4].Numbers == game.GetDraw(5)->Numbers)
        changed[4].Numbers = another;
    std::vector<TDraw> older = AsFile(game, 3, 10); // the file starts later and adds one before the game's first
    older.insert(older.begin(), Draw(kDay1 - 7, 1, other));
    std::vector<TDraw> twice = AsFile(game);
    twice.push_back(Draw(kDay1 + 10, 1, other));
    twice.push_back(Draw(kDay1 + 10, 1, another));

    const Case cases[] = {
        {"same history", AsFile(game), 0, {}},         {"grown by two", grown, 2, {}},
        {"one draw differs", changed, 0, {kDay1 + 4}}, {"older draw and a shorter file", older, 1, {}},
        {"a date twice in the file", twice, 1, {}},    {"empty file", {}, 0, {}},
    };
    for (const Case& c : cases) {
        const TDrawsMerge plan = PlanDrawsMerge(game, c.file);
        EXPECT_FALSE(plan.HistoriesDiffer) << c.name;
        EXPECT_EQ(plan.NewDraws.size(), c.added) << c.name;
        ASSERT_EQ(plan.Conflicts.size(), c.conflictDates.size()) << c.name;
        for (size_t i = 0; i < c.conflictDates.size(); ++i) {
            EXPECT_EQ(plan.Conflicts[i].Date, c.conflictDates[i]) << c.name;
            EXPECT_EQ(plan.Conflicts[i].Game, game.GetDraw(5)->Numbers) << c.name;
            EXPECT_NE(plan.Conflicts[i].File, plan.Conflicts[i].Game) << c.name;
        }
        TDrawClass copy(info);
        fixtures::FillDraws(copy, info, 10);
        EXPECT_EQ(ApplyDrawsMerge(copy, plan), static_cast<int>(c.added)) << c.name;
        EXPECT_EQ(copy.DrawCount(), 10 + static_cast<int>(c.added)) << c.name;
        // The game's draw stays where the file differs.
        EXPECT_EQ(copy.GetDraw(copy.FindDraw(1, kDay1 + 4))->Numbers, game.GetDraw(5)->Numbers) << c.name;
    }
}

TEST(DrawsMerge, SeveralDrawsADayAreToldApartByIndex)
{
    const TGameInfo info = MakeGame(5, 35, 2);
    TDrawClass game(info);
    const TArrayOfShortIntArray a = {{1, 2, 3, 4, 5}}, b = {{6, 7, 8, 9, 10}}, c = {{11, 12, 13, 14, 15}};
    ASSERT_GT(game.AddDraw(1, 0, a, kDay1), 0);
    const std::vector<TDraw> file = {Draw(kDay1, 1, a), Draw(kDay1, 2, b), Draw(kDay1 + 1, 1, c),
                                     Draw(kDay1 + 1, 2, a)};
    TDrawsMerge plan = PlanDrawsMerge(game, file);
    EXPECT_EQ(plan.NewDraws.size(), 3u);
    EXPECT_TRUE(plan.Conflicts.empty());
    EXPECT_EQ(ApplyDrawsMerge(game, plan), 3);
    EXPECT_EQ(game.FindDraw(2, kDay1), 2);

    // The second draw of the day as the file has it now differs.
    const std::vector<TDraw> changed = {Draw(kDay1, 2, c)};
    plan = PlanDrawsMerge(game, changed);
    ASSERT_EQ(plan.Conflicts.size(), 1u);
    EXPECT_EQ(plan.Conflicts[0].Index, 2);
    EXPECT_EQ(ConflictsText(plan.Conflicts, 2),
              "1 draw of the file differs from the game's; the game's draw was kept:\n\r2000-01-01/2: game 06 07 08 "
              "09 10, file 11 12 13 14 15");
}

TEST(DrawsMerge, UndatedGameMustBeAPrefixOfTheFile)
{
    const TGameInfo info = MakeGame(6, 49, 0);
    TDrawClass game(info);
    fixtures::FillDraws(game, info, 5);
    const TArrayOfShortIntArray extra = {{1, 2, 3, 4, 5, 6}};

    std::vector<TDraw> longer = AsFile(game);
    longer.push_back(Draw(0, 1, extra));
    longer.push_back(Draw(0, 1, extra)); // the same numbers twice is a real possibility without dates
    std::vector<TDraw> third = longer;
    third[2].Numbers = extra;
    if (third[2].Numbers == game.GetDraw(3)->Numbers)
        third[2].Numbers = {{7, 8, 9, 10, 11, 12}};

    struct Case {
        const char* name;
        const TDrawClass* game;
        std::vector<TDraw> file;
        bool differ;
        int differAt;
        size_t added;
        const char* message;
    };
    TDrawClass empty(info);
    const Case cases[] = {
        {"empty game takes the whole file", &empty, longer, false, 0, 7, ""},
        {"prefix", &game, longer, false, 0, 2, ""},
        {"the same history", &game, AsFile(game), false, 0, 0, ""},
        {"file shorter than the game", &game, AsFile(game, 1, 3), true, 4, 0,
         "The histories differ: the file holds 3 draws, fewer than the game's 5. Nothing was added."},
        {"third draw differs", &game, third, true, 3, 0, nullptr},
        {"empty file, game with draws", &game, {}, true, 1, 0, nullptr},
    };
    for (const Case& c : cases) {
        const TDrawsMerge plan = PlanDrawsMerge(*c.game, c.file);
        EXPECT_EQ(plan.HistoriesDiffer, c.differ) << c.name;
        EXPECT_EQ(plan.DifferAt, c.differAt) << c.name;
        EXPECT_EQ(plan.NewDraws.size(), c.added) << c.name;
        EXPECT_TRUE(plan.Conflicts.empty()) << c.name;
        if (c.message && *c.message) {
            EXPECT_EQ(plan.DifferMessage, c.message) << c.name;
        }
        if (c.differ) {
            EXPECT_NE(plan.DifferMessage.find("Nothing was added."), std::string::npos) << c.name;
            TDrawClass copy(info);
            fixtures::FillDraws(copy, info, 5);
            EXPECT_EQ(ApplyDrawsMerge(copy, plan), 0) << c.name;
            EXPECT_EQ(copy.DrawCount(), 5) << c.name;
        }
    }
    const TDrawsMerge third3 = PlanDrawsMerge(game, third);
    EXPECT_NE(third3.DifferMessage.find("at draw 3: the game holds " + NumbersToText(game.GetDraw(3)->Numbers)),
              std::string::npos)
        << third3.DifferMessage;

    TDrawClass grown(info);
    fixtures::FillDraws(grown, info, 5);
    EXPECT_EQ(ApplyDrawsMerge(grown, PlanDrawsMerge(grown, longer)), 2);
    EXPECT_EQ(grown.DrawCount(), 7);
    EXPECT_EQ(grown.GetDraw(7)->Numbers, extra);
}
