#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "data/GameFile.h"
#include "data/LocalGames.h"
#include "platform/Paths.h"
#include "support/ScriptedDialogs.h"

namespace fs = std::filesystem;

namespace {

// A fresh data folder with an empty games folder.
std::string FreshDataFolder(const std::string& name)
{
    const char* t = std::getenv("JUX_TEST_TMP");
    fs::path dir = (t && *t ? fs::path(t) : fs::temp_directory_path() / "jux_local_games") / name;
    fs::remove_all(dir);
    fs::create_directories(dir / kGamesFolderName);
    return dir.string() + "/";
}

void Put(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

struct TGameSpec {
    std::string name;
    TGameField f1;
    uint8_t kind = 0;
    TGameField f2{};
    int drawsPerDay = 1;
};

std::vector<uint8_t> GameImage(const TGameSpec& spec)
{
    TGameInfo info;
    info.Name = spec.name;
    info.FieldCount = spec.kind == 0 ? 1 : 2;
    info.Fields[0] = spec.f1;
    info.Field2Kind = spec.kind;
    info.Fields[1] = spec.f2;
    info.DrawsPerDay = spec.drawsPerDay;
    EXPECT_TRUE(IsStorableGameInfo(info)) << spec.name;
    TDrawClass model(info);
    TArrayOfShortIntArray numbers(1);
    for (int b = 1; b <= spec.f1.Picked; ++b)
        numbers[0].push_back(static_cast<int8_t>(b));
    if (spec.kind == 1) {
        numbers.emplace_back();
        for (int b = 1; b <= spec.f2.Picked; ++b)
            numbers[1].push_back(static_cast<int8_t>(b));
    }
    if (spec.kind == 2)
        numbers.push_back({static_cast<int8_t>(spec.f1.Picked + 1)});
    const bool dated = spec.drawsPerDay > 0;
    EXPECT_GT(model.AddDraw(dated ? 1 : 0, 0, numbers, dated ? 45000 : 0), 0);
    TMemoryStream image;
    EXPECT_TRUE(WriteGameHeader(image, info));
    EXPECT_TRUE(WriteDraws(image, info, model));
    return image.Bytes();
}

void PutImage(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

const TGameSpec kLotto{"Lotto 6/49", {49, 6, 1, 0}, 0, {}, 1};
const TGameSpec kEuro{"Euro", {50, 5, 1, 0}, 1, {10, 2, 1, 0}, 2};
const TGameSpec kBonus{"Bonus", {49, 6, 1, 0}, 2, {49, 1, 1, 0}, 0};

std::vector<std::string> FileNames(const TStringStore& files)
{
    std::vector<std::string> out;
    for (int i = 1; i <= files.Count(); ++i) {
        std::string s;
        EXPECT_TRUE(files.GetString(i, s));
        out.push_back(ExtractFileName(s));
    }
    return out;
}

std::string Unexpected(const std::string& path)
{
    return "An unexpected file detected!\n\r" + path + "\n\r" + "Do you want to delete it?";
}

} // namespace

TEST(LocalGames, MissingFolderGivesNoList)
{
    const std::string data = FreshDataFolder("missing");
    fs::remove_all(data + kGamesFolderName);
    TScriptedDialogs dialogs;
    TLocalGamesClass games(data);
    EXPECT_FALSE(games.Exists);
    EXPECT_EQ(games.Folder, data + "draw files/");
    EXPECT_EQ(games.Games, nullptr);
    EXPECT_EQ(games.Count(), 0);
    EXPECT_EQ(games.Get(1), nullptr);
    EXPECT_EQ(games.FindByBaseName("Lotto.ini"), nullptr);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST(LocalGames, GroupsCompanionsAndDescribesEachGame)
{
    const std::string data = FreshDataFolder("mixed");
    const std::string folder = TLocalGamesClass::GamesFolder(data);
    PutImage(folder + "Lotto.drw", GameImage(kLotto));
    Put(folder + "Lotto.ini", "[DrawParams]\n");
    Put(folder + "Lotto.jsf", "state");
    PutImage(folder + "Euro.DRW", GameImage(kEuro));
    Put(folder + "euro.ini", "");
    PutImage(folder + "Bonus.drw", GameImage(kBonus));
    std::vector<uint8_t> bad = GameImage(kLotto);
    bad[bad.size() - 1] ^= 0x5A; // breaks the checksum
    PutImage(folder + "Bad.drw", bad);
    Put(folder + "Junk.drw", "this is not a game file at all");
    Put(folder + "Empty.drw", "");
    fs::create_directories(folder + "Folder.drw"); // a folder is never a game
    fs::create_directories(folder + "Lotto.bak");  // nor a companion
    Put(folder + ".hidden.txt", "x");

    TScriptedDialogs dialogs;
    TLocalGamesClass games(data);
    ASSERT_TRUE(games.Exists);
    ASSERT_EQ(games.Count(), 6);

    struct Want {
        const char* base;
        uint8_t status;
        const char* title;
        const char* description;
        std::vector<std::string> files; // game file first, companions in any order
    } wants[] = {
        {"Lotto", gioValid, "Lotto 6/49", "06/49", {"Lotto.drw", "Lotto.ini", "Lotto.jsf"}},
        {"Euro", gioValid, "Euro", "05/50 + 02/10 [2 D/D]", {"Euro.DRW", "euro.ini"}},
        {"Bonus", gioValid, "Bonus", "06/49 + 01 BB", {"Bonus.drw"}},
        {"Bad", gioCorrupted, "Bad.drw", "Corrupted game file.", {"Bad.drw"}},
        {"Junk", gioNotGameFile, "Junk.drw", "Not a game file.", {"Junk.drw"}},
        {"Empty", gioReadError, "Empty.drw", "I/O error: Cannot read file.", {"Empty.drw"}},
    };
    for (const auto& w : wants) {
        SCOPED_TRACE(w.base);
        const TLocalGameRec* rec = games.FindByBaseName(std::string(w.base) + ".x");
        ASSERT_NE(rec, nullptr);
        EXPECT_EQ(rec->BaseName, w.base);
        EXPECT_EQ(rec->FileName, folder + w.files[0]);
        EXPECT_EQ(rec->Info.Status, w.status);
        EXPECT_EQ(rec->Title, w.title);
        EXPECT_EQ(rec->Description, w.description);
        std::vector<std::string> names = FileNames(*rec->Files);
        ASSERT_FALSE(names.empty());
        EXPECT_EQ(names[0], w.files[0]);
        std::sort(names.begin() + 1, names.end());
        EXPECT_EQ(names, w.files);
    }
    const TLocalGameRec* lotto = games.FindByBaseName("LOTTO.DRW");
    ASSERT_NE(lotto, nullptr);
    EXPECT_EQ(lotto->Info.DrawCount, 1u);
    EXPECT_EQ(lotto->Info.Game.Name, "Lotto 6/49");
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.shown.front().text;
}

TEST(LocalGames, UnexpectedFilesAreOfferedForDeletion)
{
    const std::string data = FreshDataFolder("unexpected");
    const std::string folder = TLocalGamesClass::GamesFolder(data);
    PutImage(folder + "Lotto.drw", GameImage(kLotto));
    Put(folder + "lotto.ini", "");
    Put(folder + "readme.txt", "hello");
    Put(folder + "Lotto", "no extension");
    Put(folder + "Lotto.drw.bak", "the base name is Lotto.drw");

    const std::vector<std::string> expected = {Unexpected(folder + "Lotto"), Unexpected(folder + "Lotto.drw.bak"),
                                               Unexpected(folder + "readme.txt")};
    {
        TScriptedDialogs dialogs; // answers No
        TLocalGamesClass games(data);
        std::vector<std::string> texts = dialogs.Texts();
        std::sort(texts.begin(), texts.end());
        EXPECT_EQ(texts, expected);
        for (const auto& s : dialogs.shown) {
            EXPECT_EQ(s.kind, TDialogKind::Warning);
            EXPECT_EQ(s.buttons, unsigned(dbYes | dbNo));
        }
        ASSERT_EQ(games.Count(), 1);
        EXPECT_EQ(FileNames(*games.Get(1)->Files), (std::vector<std::string>{"Lotto.drw", "lotto.ini"}));
    }
    EXPECT_TRUE(fs::exists(folder + "readme.txt"));
    EXPECT_TRUE(fs::exists(folder + "Lotto"));

    // Kept files are asked about again; Yes deletes them.
    {
        TScriptedDialogs dialogs;
        dialogs.defaultAnswer = TModalResult::Yes;
        TLocalGamesClass games(data);
        std::vector<std::string> texts = dialogs.Texts();
        std::sort(texts.begin(), texts.end());
        EXPECT_EQ(texts, expected);
    }
    EXPECT_FALSE(fs::exists(folder + "readme.txt"));
    EXPECT_FALSE(fs::exists(folder + "Lotto"));
    EXPECT_FALSE(fs::exists(folder + "Lotto.drw.bak"));
    EXPECT_TRUE(fs::exists(folder + "Lotto.drw"));
    EXPECT_TRUE(fs::exists(folder + "lotto.ini"));

    TScriptedDialogs dialogs;
    TLocalGamesClass games(data);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST(LocalGames, FindByBaseName)
{
    const std::string data = FreshDataFolder("find");
    const std::string folder = TLocalGamesClass::GamesFolder(data);
    PutImage(folder + "Lotto.drw", GameImage(kLotto));
    PutImage(folder + "Lotto.Plus.drw", GameImage(kBonus));
    TScriptedDialogs dialogs;
    TLocalGamesClass games(data);
    ASSERT_EQ(games.Count(), 2);
    struct Case {
        const char* name;
        const char* base; // nullptr: none
    } cases[] = {
        {"Lotto.ini", "Lotto"},
        {"lOtTo.jsf", "Lotto"},
        {"/elsewhere/LOTTO.drw", "Lotto"},
        {"Lotto.Plus.ini", "Lotto.Plus"},
        {"Lotto", nullptr},
        {"Lotto.", "Lotto"},
        {"Lott.ini", nullptr},
        {"", nullptr},
        {".drw", nullptr},
    };
    for (const auto& c : cases) {
        const TLocalGameRec* rec = games.FindByBaseName(c.name);
        EXPECT_EQ(rec ? rec->BaseName : std::string("(none)"), c.base ? c.base : "(none)") << c.name;
    }
}

TEST(LocalGames, UnreadableGameFileIsListedWithTheReadError)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not apply to root";
    const std::string data = FreshDataFolder("unreadable");
    const std::string folder = TLocalGamesClass::GamesFolder(data);
    PutImage(folder + "Locked.drw", GameImage(kLotto));
    fs::permissions(folder + "Locked.drw", fs::perms::none);
    TScriptedDialogs dialogs;
    TLocalGamesClass games(data);
    fs::permissions(folder + "Locked.drw", fs::perms::owner_all);
    ASSERT_EQ(games.Count(), 1);
    EXPECT_EQ(games.Get(1)->Info.Status, gioReadError);
    EXPECT_EQ(games.Get(1)->Title, "Locked.drw");
    EXPECT_EQ(games.Get(1)->Description, "I/O error: Cannot read file.");
}

TEST(LocalGames, OversizedGameFileIsListedNotRead)
{
    const std::string data = FreshDataFolder("oversized");
    const std::string folder = TLocalGamesClass::GamesFolder(data);
    PutImage(folder + "Huge.drw", GameImage(kLotto));
    fs::resize_file(folder + "Huge.drw", kMaxGameFileBytes + 1); // sparse: costs no disk
    PutImage(folder + "Fine.drw", GameImage(kLotto));
    TScriptedDialogs dialogs;
    TLocalGamesClass games(data);
    ASSERT_EQ(games.Count(), 2);
    const TLocalGameRec* huge = games.FindByBaseName("Huge.ini");
    ASSERT_NE(huge, nullptr);
    EXPECT_NE(huge->Info.Status, gioValid);
    EXPECT_EQ(huge->Title, "Huge.drw");
    EXPECT_EQ(huge->Description, GameIOStatusText(huge->Info.Status));
    ASSERT_NE(games.FindByBaseName("Fine.ini"), nullptr);
    EXPECT_EQ(games.FindByBaseName("Fine.ini")->Info.Status, gioValid);
    fs::remove(folder + "Huge.drw");
}
