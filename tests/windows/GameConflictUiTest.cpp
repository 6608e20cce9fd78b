// The main window and jux-cli on one game file at the same time (offscreen,
// scripted dialogs, a real jux-cli process): the window notices draws the
// command added since it read the file and lets the user choose, and a
// command that arrives while the window saves is refused, never lost.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>

#include <functional>

#include "data/GameFile.h"
#include "engine/Environment.h"
#include "platform/FileLock.h"
#include "platform/Paths.h"
#include "support/CliRunner.h"
#include "support/GameFixtures.h"
#include "support/QtTestSupport.h"
#include "support/ScriptedDialogs.h"
#include "windows/Application.h"
#include "windows/MainFrm.h"

namespace {

// Scripted dialogs that also run an action when a given text is shown.
class THookedDialogs : public TScriptedDialogs {
public:
    TModalResult ShowMessageDialog(const std::string& text, unsigned buttons, TDialogKind kind) override
    {
        if (onText && text.rfind(onTextPrefix, 0) == 0)
            onText();
        return TScriptedDialogs::ShowMessageDialog(text, buttons, kind);
    }
    std::string onTextPrefix;
    std::function<void()> onText;
};

class GameConflictUi : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteFile(TGameOptions::ProgramSettingsPath(env().DataFolder));
        window.SetAutoLoadOnShow(false);
        window.show();
        const TGameInfo g = fixtures::MakeGame(6, 49);
        TDrawClass model(g);
        fixtures::FillDraws(model, g, 100);
        path = fixtures::TmpDir() + "shared.drw";
        DeleteFile(path);
        DeleteFile(ChangeFileExt(path, ".ini"));
        ASSERT_TRUE(fixtures::WriteFile(path, fixtures::BuildImage(g, model)));
        env().OpenGame(path);
        ASSERT_TRUE(env().GameOpen());
        window.RefreshLotteryHeader();
        window.UpdateControls();
    }

    TEnvironmentClass& env() { return objects.Environment(); }
    TDrawClass& draws() { return *env().Game().Draws; }

    // A draw typed into the window's game, as the draws editor adds it.
    void EditInWindow(int year)
    {
        ASSERT_GT(draws().AddDraw(1, 0, {{1, 2, 3, 4, 5, 6}}, EncodeDate(year, 1, 1)), 0);
        window.UpdateControls();
    }

    TCliResult AddWithCli(int year)
    {
        return RunCli("add-draws '" + path + "' --yes", std::to_string(year) + "-02-02 7 8 9 10 11 12\n");
    }

    void Save() { window.findChild<QAction*>("mniSaveLottery")->trigger(); }

    // Whether the file holds the window's draw of `year` (1 January) or the
    // command's (2 February).
    bool InFile(int year, bool command)
    {
        TCurrentGame game;
        EXPECT_EQ(OpenGameFile(path, game), gioValid);
        return game.Draws && game.Draws->FindDraw(1, command ? EncodeDate(year, 2, 2) : EncodeDate(year, 1, 1)) > 0;
    }

    QApplication& app = qttest::App("game_conflict_ui_test");
    THookedDialogs dialogs;
    TApplicationObjects objects;
    TfrmMain window{objects.Environment()};
    std::string path;
};

} // namespace

// The command line added a draw after the window read the file: the window
// asks before it saves, and Cancel, No (overwrite) and Yes (reload) do what
// the question says.
TEST_F(GameConflictUi, WindowAsksWhenTheFileChangedOnDisk)
{
    EditInWindow(2300);
    TCliResult r = AddWithCli(2301);
    ASSERT_EQ(r.status, 0) << r.err;

    dialogs.Queue(TModalResult::Yes);
    dialogs.Queue(TModalResult::Cancel);
    Save();
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].text, ChangedOnDiskText("shared.drw"));
    EXPECT_TRUE(draws().Modified);
    EXPECT_TRUE(InFile(2301, true));
    EXPECT_FALSE(InFile(2300, false));

    dialogs.Queue(TModalResult::Yes);
    dialogs.Queue(TModalResult::No);
    Save();
    EXPECT_FALSE(draws().Modified);
    EXPECT_TRUE(InFile(2300, false));
    EXPECT_FALSE(InFile(2301, true)); // the user chose to save over it

    EditInWindow(2302);
    r = AddWithCli(2303);
    ASSERT_EQ(r.status, 0) << r.err;
    const QString lastDraw = window.findChild<QLabel*>("lblLastDraw")->text();
    dialogs.Queue(TModalResult::Yes);
    dialogs.Queue(TModalResult::Yes);
    Save();
    EXPECT_FALSE(draws().Modified);
    EXPECT_EQ(draws().DrawCount(), 102);
    EXPECT_GT(draws().FindDraw(1, EncodeDate(2303, 2, 2)), 0);
    EXPECT_EQ(draws().FindDraw(1, EncodeDate(2302, 1, 1)), 0);
    EXPECT_NE(window.findChild<QLabel*>("lblLastDraw")->text(), lastDraw);
    EXPECT_EQ(env().Options().DrawCount(), 102);
}

// jux-cli runs while the window is in the middle of its save (the window
// holds the game's lock): the command waits, is refused with the busy
// message and changes nothing; the window's save completes.
TEST_F(GameConflictUi, CommandDuringTheWindowsSaveIsRefused)
{
    EditInWindow(2300);
    TCliResult during;
    // The question of the changed file comes while the lock is held; make
    // the file change first so that it is asked.
    TCliResult r = AddWithCli(2303);
    ASSERT_EQ(r.status, 0) << r.err;
    dialogs.onTextPrefix = "The game file shared.drw was changed";
    dialogs.onText = [&] { during = AddWithCli(2301); };
    dialogs.Queue(TModalResult::Yes);
    dialogs.Queue(TModalResult::No);
    Save();
    EXPECT_EQ(during.status, 1);
    EXPECT_EQ(during.err, "jux-cli add-draws: " + path + " is being changed by another program\n");
    EXPECT_FALSE(draws().Modified);
    EXPECT_TRUE(InFile(2300, false));
    EXPECT_FALSE(InFile(2301, true));
    // Afterwards the command goes through and the window notices it.
    r = AddWithCli(2301);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(InFile(2301, true));
}
