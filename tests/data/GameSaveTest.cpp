// Saving the open game as a user meets it: beside other files, behind links,
// read-only, while another program changed or is changing the same file.
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "data/GameFile.h"
#include "platform/FileLock.h"
#include "support/GameFixtures.h"
#include "support/ScriptedDialogs.h"

using namespace fixtures;
namespace fs = std::filesystem;

namespace {

const std::string kSaveQuestion = "Do you really want to save current game file?";

std::string Folder(const std::string& name)
{
    const std::string dir = TmpDir() + name + "/";
    fs::remove_all(dir);
    ForceDirectories(dir);
    return dir;
}

// A game of `draws` draws written to path; answers its image.
Bytes WriteGame(const std::string& path, int draws, unsigned seed = 7)
{
    TGameInfo g = MakeGame(6, 49, 1);
    TDrawClass model(g);
    FillDraws(model, g, draws, seed);
    const Bytes image = BuildImage(g, model);
    fs::remove(path);
    EXPECT_TRUE(WriteFile(path, image));
    return image;
}

int AddOneDraw(TCurrentGame& game, int year)
{
    return game.Draws->AddDraw(1, 0, {{1, 2, 3, 4, 5, 6}}, EncodeDate(year, 1, 1));
}

} // namespace

// The unique temporary name leaves a user's "<game>.tmp" alone; the file a
// link names is saved and the link stays; a private game stays private; a
// read-only game is refused and keeps its draws and the unsaved changes.
TEST(GameSave, SavesThroughLinksKeepingModeAndOtherFiles)
{
    const std::string dir = Folder("places");
    ForceDirectories(dir + "real");
    const std::string real = dir + "real/game.drw";
    WriteGame(real, 20);
    ASSERT_TRUE(WriteFile(dir + "real/game.tmp", {'n', 'o', 't', 'e'}));
    fs::create_symlink("real/game.drw", dir + "game.drw");
    ::chmod(real.c_str(), 0600);

    TScriptedDialogs dialogs;
    dialogs.defaultAnswer = TModalResult::Yes;
    TCurrentGame game;
    ASSERT_EQ(OpenGameFile(dir + "game.drw", game), gioValid);
    ASSERT_GT(AddOneDraw(game, 2030), 0);
    ASSERT_EQ(SaveCurrentGame(game), TGameSaveResult::Saved);
    EXPECT_TRUE(fs::is_symlink(dir + "game.drw"));
    EXPECT_EQ(ReadGameInfo(real).DrawCount, 21u);
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    Bytes note;
    ASSERT_TRUE(ReadFile(dir + "real/game.tmp", note));
    EXPECT_EQ(note, (Bytes{'n', 'o', 't', 'e'}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir + "real"), {}), 2);

    ::chmod(real.c_str(), 0444);
    ASSERT_GT(AddOneDraw(game, 2031), 0);
    dialogs.shown.clear();
    EXPECT_EQ(SaveCurrentGame(game), TGameSaveResult::NotSaved);
    EXPECT_TRUE(game.Draws->Modified);
    EXPECT_EQ(ReadGameInfo(real).DrawCount, 21u);
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].kind, TDialogKind::Error);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir + "real"), {}), 2);
    ::chmod(real.c_str(), 0644);
}

// Another program saved the game after it was opened: the save asks, and
// each answer does what it says; an unchanged file is saved without asking.
TEST(GameSave, ChangeOnDiskIsNoticedBeforeTheSave)
{
    const std::string dir = Folder("changed");
    const std::string path = dir + "game.drw";
    const struct {
        TModalResult answer;
        TGameSaveResult result;
        uint32_t onDisk; // draws in the file afterwards
        int inMemory;
    } cases[] = {
        {TModalResult::Cancel, TGameSaveResult::NotSaved, 40, 31},
        {TModalResult::No, TGameSaveResult::Saved, 31, 31},
        {TModalResult::Yes, TGameSaveResult::Reloaded, 40, 40},
    };
    for (const auto& c : cases) {
        WriteGame(path, 30);
        TCurrentGame game;
        ASSERT_EQ(OpenGameFile(path, game), gioValid);
        const TDrawClass* model = game.Draws.get();
        ASSERT_GT(AddOneDraw(game, 2030), 0);
        const Bytes theirs = WriteGame(path, 40, 9); // the other program's save
        TScriptedDialogs dialogs;
        dialogs.Queue(TModalResult::Yes);
        dialogs.Queue(c.answer);
        EXPECT_EQ(SaveCurrentGame(game), c.result) << int(c.answer);
        ASSERT_EQ(dialogs.shown.size(), 2u);
        EXPECT_EQ(dialogs.shown[1].text, ChangedOnDiskText("game.drw"));
        EXPECT_EQ(dialogs.shown[1].buttons, unsigned(dbYes | dbNo | dbCancel));
        EXPECT_EQ(ReadGameInfo(path).DrawCount, c.onDisk) << int(c.answer);
        // Reloading keeps the model object: windows and options point at it.
        EXPECT_EQ(game.Draws.get(), model);
        EXPECT_EQ(game.Draws->DrawCount(), c.inMemory);
        EXPECT_EQ(game.Draws->Modified, c.answer == TModalResult::Cancel);
        if (c.answer == TModalResult::Yes) {
            Bytes now;
            ASSERT_TRUE(ReadFile(path, now));
            EXPECT_EQ(now, theirs);
        }
        // After a save or reload the game matches the file again: no question.
        if (c.answer != TModalResult::Cancel) {
            ASSERT_GT(AddOneDraw(game, 2040), 0);
            dialogs.shown.clear();
            dialogs.Queue(TModalResult::Yes);
            EXPECT_EQ(SaveCurrentGame(game), TGameSaveResult::Saved);
            EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{kSaveQuestion});
        }
    }
}

// While another program holds the game's lock, a save waits, then refuses
// with the busy message and changes nothing.
TEST(GameSave, LockedGameIsNotSaved)
{
    const std::string dir = Folder("locked");
    const std::string path = dir + "game.drw";
    WriteGame(path, 10);
    TCurrentGame game;
    ASSERT_EQ(OpenGameFile(path, game), gioValid);
    ASSERT_GT(AddOneDraw(game, 2030), 0);
    int go[2], held[2];
    ASSERT_EQ(::pipe(go), 0);
    ASSERT_EQ(::pipe(held), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        TFileLock lock;
        const char ok = lock.Acquire(path) == TFileLock::TResult::Locked ? 'y' : 'n';
        (void)!::write(held[1], &ok, 1);
        char c;
        (void)!::read(go[0], &c, 1);
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(held[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');
    TScriptedDialogs dialogs;
    dialogs.defaultAnswer = TModalResult::Yes;
    EXPECT_EQ(SaveCurrentGame(game), TGameSaveResult::NotSaved);
    (void)!::write(go[1], "x", 1);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{kSaveQuestion, GameBusyText(path)}));
    EXPECT_TRUE(game.Draws->Modified);
    EXPECT_EQ(ReadGameInfo(path).DrawCount, 10u);
    // Once the other program is done the save goes through.
    dialogs.shown.clear();
    EXPECT_EQ(SaveCurrentGame(game), TGameSaveResult::Saved);
    EXPECT_EQ(ReadGameInfo(path).DrawCount, 11u);
}
