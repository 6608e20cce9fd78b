#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>

#include "data/DrawsExport.h"
#include "data/Utils.h"
#include "platform/Paths.h"
#include "support/GameFixtures.h"

using namespace fixtures;

namespace {

TArrayOfShortIntArray Balls(std::initializer_list<int8_t> main, std::initializer_list<int8_t> second = {})
{
    TArrayOfShortIntArray n{TShortIntArray(main)};
    if (second.size())
        n.push_back(TShortIntArray(second));
    return n;
}

} // namespace

TEST(DrawsExport, HeaderAndTheExampleLines)
{
    SetDateSettings(0, "/"); // day-month-year
    struct TCase {
        int drawsPerDay;
        bool secondDraw;
        std::string firstLine;
    } cases[] = {
        {1, false, "1  25/03/2010  05 12 23 31 40 44 07"},
        {0, false, "1  05 12 23 31 40 44 07"},
        {2, true, "1  25/03/2010  05 12 23 31 40 44 07  /  08 14 22 30 41 45 02"},
        {2, false, "1  25/03/2010  05 12 23 31 40 44 07  /  "},
        {3, false, "1  25/03/2010  05 12 23 31 40 44 07  /    /  "},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.firstLine);
        TGameInfo g = MakeGame(6, 49, c.drawsPerDay, 2, 1);
        TDrawClass draws(g);
        const TDateTime day = EncodeDate(2010, 3, 25);
        ASSERT_EQ(draws.AddDraw(1, 0, Balls({5, 12, 23, 31, 40, 44}, {7}), day), 1);
        if (c.secondDraw) {
            ASSERT_EQ(draws.AddDraw(2, 0, Balls({8, 14, 22, 30, 41, 45}, {2}), day), 2);
        }
        const std::vector<std::string> lines = DrawsExportLines(draws, "Lotto");
        ASSERT_EQ(lines.size(), 7u);
        EXPECT_EQ(lines[0], "Exported using J.U.X. Engine 2.3b");
        EXPECT_EQ(lines[1], "Draws history file of game Lotto");
        EXPECT_EQ(lines[2], "Game description : " + FormationText(g.Fields, g.Field2Kind));
        EXPECT_EQ(lines[3], std::string("Total draws : ") + (c.secondDraw ? "2" : "1"));
        EXPECT_EQ(lines[4], "-----");
        EXPECT_EQ(lines[5], "");
        EXPECT_EQ(lines[6], c.firstLine);
    }
}

TEST(DrawsExport, NumberWidthFollowsTheDrawCount)
{
    SetDateSettings(0, "/");
    EXPECT_EQ(ExportNumberWidth(0), 1);
    EXPECT_EQ(ExportNumberWidth(9), 1);
    EXPECT_EQ(ExportNumberWidth(10), 2);
    EXPECT_EQ(ExportNumberWidth(1234), 4);
    EXPECT_EQ(ExportNumberWidth(100000), 6);
    for (int count : {9, 10}) {
        TGameInfo g = MakeGame(6, 49, 0);
        TDrawClass draws(g);
        FillDraws(draws, g, count);
        const std::vector<std::string> lines = DrawsExportLines(draws, "X");
        ASSERT_EQ(lines.size(), 6u + static_cast<size_t>(count));
        EXPECT_EQ(lines[6].substr(0, count == 9 ? 3 : 4), count == 9 ? "1  " : "01  ");
        EXPECT_EQ(lines.back().substr(0, count == 9 ? 3 : 4), count == 9 ? "9  " : "10  ");
    }
}

// A day line holds the draws of that day; the next line starts at the first
// draw of a later day and carries that draw's position.
TEST(DrawsExport, DaysWithMissingDrawsStartNewLinesAtTheirPosition)
{
    SetDateSettings(2, "-"); // year-month-day
    TGameInfo g = MakeGame(2, 10, 2);
    TDrawClass draws(g);
    const TDateTime d1 = EncodeDate(2020, 1, 1);
    draws.AddDraw(2, 0, Balls({1, 2}), d1);
    draws.AddDraw(1, 0, Balls({3, 4}), d1 + 1);
    draws.AddDraw(2, 0, Balls({5, 6}), d1 + 1);
    draws.AddDraw(1, 0, Balls({7, 8}), d1 + 5);
    const std::string text = DrawsExportText(draws, "G");
    const std::string body = text.substr(text.find("-----\n\n") + 7);
    EXPECT_EQ(body, "1  2020-01-01  01 02  /  \n"
                    "2  2020-01-02  03 04  /  05 06\n"
                    "4  2020-01-06  07 08  /  \n");
}

TEST(DrawsExport, WritesTheFileAndLeavesNothingOnFailure)
{
    SetDateSettings(0, "/");
    TGameInfo g = MakeGame(6, 49, 1);
    TDrawClass draws(g);
    FillDraws(draws, g, 12);
    const std::string dir = TmpDir();
    std::string error;
    ASSERT_TRUE(WriteDrawsExport(dir + "export.txt", draws, "G", error)) << error;
    Bytes bytes;
    ASSERT_TRUE(ReadFile(dir + "export.txt", bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), DrawsExportText(draws, "G"));

    const std::string locked = dir + "locked/";
    ForceDirectories(locked);
    chmod(locked.c_str(), 0500);
    if (geteuid() != 0) {
        EXPECT_FALSE(WriteDrawsExport(locked + "export.txt", draws, "G", error));
        EXPECT_FALSE(error.empty());
        EXPECT_FALSE(FileExists(locked + "export.txt"));
    }
    chmod(locked.c_str(), 0700);
}

// A pipe or a folder in the way is refused and left as it was;
// through a link the linked file gets the export and the link stays.
TEST(DrawsExport, WritesOnlyPlainFiles)
{
    TGameInfo g = MakeGame(6, 49, 1);
    TDrawClass draws(g);
    FillDraws(draws, g, 3);
    const std::string dir = TmpDir() + "special/";
    std::filesystem::remove_all(dir);
    ForceDirectories(dir + "folder");
    ASSERT_EQ(mkfifo((dir + "pipe").c_str(), 0600), 0);
    std::string error;
    for (const std::string& target : {dir + "pipe", dir + "folder"}) {
        const auto before = std::filesystem::status(target).type();
        EXPECT_FALSE(WriteDrawsExport(target, draws, "G", error)) << target;
        EXPECT_FALSE(error.empty()) << target;
        EXPECT_EQ(std::filesystem::status(target).type(), before) << target;
    }
    ASSERT_TRUE(WriteFile(dir + "real.txt", {'o', 'l', 'd'}));
    std::filesystem::create_symlink(dir + "real.txt", dir + "link.txt");
    ASSERT_TRUE(WriteDrawsExport(dir + "link.txt", draws, "G", error)) << error;
    EXPECT_TRUE(std::filesystem::is_symlink(dir + "link.txt"));
    Bytes bytes;
    ASSERT_TRUE(ReadFile(dir + "real.txt", bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), DrawsExportText(draws, "G"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 4);
}
