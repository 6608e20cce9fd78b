#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

#include "platform/Paths.h"
#include "support/EngineRig.h"

using namespace rig;

namespace {

TGameInfo SixOf49() { return fixtures::MakeGame(6, 49); }

// Options that make a quick run: 300 draws, T 20, D 5.
void QuickOptions(TGameOptions& o, int32_t maxTables)
{
    o.TotalTestDraws = 20;
    o.MaxStatData = 5;
    o.SetStartPoint(o.DrawCount() - 20);
    o.MaximumJUXsToScan = maxTables;
}

struct Env : ::testing::Test {
    TRig r;
    std::string path;
    void SetUp() override
    {
        path = WriteGameFile("env.drw", SixOf49(), 300);
        r.env.OpenGame(path);
        ASSERT_EQ(r.env.RunState, LOADED);
        QuickOptions(r.options, 1000000);
    }
    // A run paused after n tables.
    void RunPaused(int32_t n)
    {
        r.PauseAt(n);
        r.env.ChangeState(STARTED);
        ASSERT_EQ(r.env.RunState, PAUSED);
        r.pump.onEvents = nullptr;
    }
    void RunFinished(int32_t n)
    {
        r.options.MaximumJUXsToScan = n;
        r.env.ChangeState(STARTED);
        ASSERT_EQ(r.env.RunState, FINISHED);
    }
};

} // namespace

TEST(EnvironmentStartup, DataFolderPriorityAndState)
{
    TRig r;
    const std::string expected = CommonAppDataFolder() + "JUX Engine/";
    EXPECT_EQ(r.env.DataFolder, expected);
    EXPECT_TRUE(DirectoryExists(r.env.DataFolder));
    EXPECT_EQ(r.env.RunState, STANDBY);
    EXPECT_EQ(r.env.PriorityClass, BELOW_NORMAL_PRIORITY_CLASS);
    EXPECT_FALSE(r.env.ProgramFolder.empty());
    r.env.SetPriority(12345); // not a priority class: ignored
    EXPECT_EQ(r.env.PriorityClass, BELOW_NORMAL_PRIORITY_CLASS);
    r.env.SetPriority(IDLE_PRIORITY_CLASS);
    EXPECT_EQ(r.env.PriorityClass, IDLE_PRIORITY_CLASS);
}

TEST(EnvironmentStartup, UncreatableDataFolderIsReported)
{
    const char* home = std::getenv("JUX_DATA_HOME");
    const std::string saved = home ? home : "";
    const std::string blocker = fixtures::TmpDir() + "a-file";
    fixtures::WriteFile(blocker, {1, 2, 3});
    setenv("JUX_DATA_HOME", blocker.c_str(), 1);
    TCurrentGame game;
    TGameOptions options;
    TJUXEngine engine(options);
    try {
        TEnvironmentClass env(game, options, engine);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Unable to create data directory");
    }
    if (home)
        setenv("JUX_DATA_HOME", saved.c_str(), 1);
    else
        unsetenv("JUX_DATA_HOME");
}

TEST_F(Env, RefusedPairsLeaveStateAndShowNothing)
{
    struct Case {
        uint8_t from, to;
    };
    // Every pair the table refuses, from each reachable state but STARTED
    // (checked from inside the run below).
    const Case refused[] = {{LOADED, LOADED}, {LOADED, PAUSED}, {LOADED, FINISHED}, {PAUSED, STANDBY},
                            {PAUSED, LOADED}, {PAUSED, PAUSED}, {FINISHED, PAUSED}, {FINISHED, FINISHED}};
    for (const Case& c : refused) {
        if (c.from == PAUSED && r.env.RunState != PAUSED)
            RunPaused(3);
        if (c.from == FINISHED && r.env.RunState != FINISHED) {
            r.dialogs.Queue(TModalResult::Yes); // "terminate the scan?"
            r.env.RunButtonCommand();
            ASSERT_EQ(r.env.RunState, FINISHED);
        }
        ASSERT_EQ(r.env.RunState, c.from);
        const size_t shown = r.dialogs.shown.size();
        const int32_t tables = r.Tables();
        r.env.ChangeState(c.to);
        EXPECT_EQ(r.env.RunState, c.from) << int(c.from) << "->" << int(c.to);
        EXPECT_EQ(r.dialogs.shown.size(), shown);
        EXPECT_EQ(r.Tables(), tables);
    }
}

TEST_F(Env, RefusedPairsFromStartedAndStandby)
{
    std::vector<uint8_t> statesSeen;
    r.pump.onEvents = [&] {
        if (r.Tables() != 2)
            return;
        for (uint8_t to : {STANDBY, LOADED, STARTED}) {
            r.env.ChangeState(to);
            statesSeen.push_back(r.env.RunState);
        }
        r.env.ChangeState(PAUSED);
    };
    r.env.ChangeState(STARTED);
    EXPECT_EQ(statesSeen, (std::vector<uint8_t>{STARTED, STARTED, STARTED}));
    EXPECT_EQ(r.env.RunState, PAUSED);
    EXPECT_EQ(r.Tables(), 2); // the pause stops the loop before the next table

    TRig fresh;
    for (uint8_t to : {STANDBY, STARTED, FINISHED}) {
        fresh.env.ChangeState(to);
        EXPECT_EQ(fresh.env.RunState, STANDBY);
    }
    EXPECT_TRUE(fresh.dialogs.shown.empty());
}

TEST_F(Env, AllowedPairsDoTheirActions)
{
    // LOADED -> STARTED: prepares the display with the retained tables.
    r.options.SetKeepJUXs(TIntArray{7, 3});
    r.display.user.AddInt(99);
    RunPaused(4);
    EXPECT_EQ(r.display.prepares, 1);
    EXPECT_EQ(r.display.clears, 1);
    EXPECT_FALSE(r.display.user.ContainsInt(99));
    EXPECT_TRUE(r.display.user.ContainsInt(3) && r.display.user.ContainsInt(7));
    EXPECT_GE(r.main.analysisPages, 1);
    EXPECT_EQ(r.Tables(), 4);

    // PAUSED -> STARTED resumes with the next table.
    const int buttons = r.display.runButtons;
    r.PauseAt(9);
    r.env.ChangeState(STARTED);
    EXPECT_EQ(r.env.RunState, PAUSED);
    EXPECT_EQ(r.Tables(), 9);
    EXPECT_GE(r.display.runButtons, buttons + 2); // resume and pause
    r.pump.onEvents = nullptr;

    // PAUSED -> FINISHED shows the main page.
    const int mainPages = r.main.mainPages;
    r.env.ChangeState(FINISHED);
    EXPECT_EQ(r.env.RunState, FINISHED);
    EXPECT_EQ(r.main.mainPages, mainPages + 1);

    // FINISHED -> STARTED continues only while the maximum allows.
    r.options.MaximumJUXsToScan = 12;
    r.env.ChangeState(STARTED);
    EXPECT_EQ(r.env.RunState, FINISHED);
    EXPECT_EQ(r.Tables(), 12);
    r.env.ChangeState(STARTED);
    EXPECT_EQ(r.env.RunState, FINISHED);
    EXPECT_EQ(r.Tables(), 12);

    // FINISHED -> LOADED -> STANDBY.
    r.env.ChangeState(LOADED);
    EXPECT_EQ(r.env.RunState, LOADED);
    r.env.ChangeState(STANDBY);
    EXPECT_EQ(r.env.RunState, STANDBY);
    EXPECT_TRUE(r.dialogs.shown.empty());
}

TEST_F(Env, MaximumEndsInFinishedAndFinishedToStandbyIsQuiet)
{
    RunFinished(6);
    EXPECT_EQ(r.Tables(), 6);
    r.env.ChangeState(STANDBY);
    EXPECT_EQ(r.env.RunState, STANDBY);
    EXPECT_TRUE(r.dialogs.shown.empty());
}

TEST_F(Env, RunButtonInPausedAsksWhetherToTerminate)
{
    RunPaused(3);
    r.dialogs.Queue(TModalResult::Cancel);
    r.env.RunButtonCommand();
    EXPECT_EQ(r.env.RunState, PAUSED);
    EXPECT_EQ(r.dialogs.shown.back().text, "Do you want to terminate the scan?");

    r.PauseAt(5);
    r.dialogs.Queue(TModalResult::No); // resumes the same run with table 4
    r.env.RunButtonCommand();
    EXPECT_EQ(r.env.RunState, PAUSED);
    EXPECT_EQ(r.Tables(), 5);

    r.dialogs.Queue(TModalResult::Yes);
    r.env.RunButtonCommand();
    EXPECT_EQ(r.env.RunState, FINISHED);
    const int mainPages = r.main.mainPages;
    r.env.RunButtonCommand(); // FINISHED: only the main page
    EXPECT_EQ(r.main.mainPages, mainPages + 1);
    EXPECT_EQ(r.env.RunState, FINISHED);
}

TEST_F(Env, StartCommandInFinishedAsksYesNoCancel)
{
    RunFinished(5);
    r.dialogs.Queue(TModalResult::Cancel);
    EXPECT_EQ(r.env.StartCommand(), TEnvironmentClass::TStartOutcome::Nothing);
    EXPECT_EQ(r.env.RunState, FINISHED);
    EXPECT_EQ(r.dialogs.shown.back().text, "A prediction is in memory.\n\rPress YES to clear it and perform a new "
                                           "run.\n\rPress NO to resume JUX scanning.\n\r");
    EXPECT_EQ(r.dialogs.shown.back().buttons, unsigned(dbYes | dbNo | dbCancel));

    // No: continue; the maximum is reached, so back to FINISHED at once.
    r.dialogs.Queue(TModalResult::No);
    r.env.StartCommand();
    EXPECT_EQ(r.env.RunState, FINISHED);
    EXPECT_EQ(r.Tables(), 5);

    // No with a higher maximum continues the same run.
    r.options.MaximumJUXsToScan = 8;
    r.dialogs.Queue(TModalResult::No);
    r.env.StartCommand();
    EXPECT_EQ(r.Tables(), 8);

    // Yes: a new run from table 1.
    r.options.MaximumJUXsToScan = 3;
    r.dialogs.Queue(TModalResult::Yes);
    r.env.StartCommand();
    EXPECT_EQ(r.env.RunState, FINISHED);
    EXPECT_EQ(r.Tables(), 3);
    EXPECT_EQ(r.engine.TableRegistry.GetRecord(1)->Id, 1);
}

TEST(EnvironmentDraws, AGameFilledAfterOpeningRunsAsAfterARestart)
{
    TRig r;
    TGameInfo info = SixOf49();
    const std::string path = WriteGameFile("filled.drw", info, 0);
    DeleteFile(ChangeFileExt(path, ".ini"));
    r.env.OpenGame(path);
    ASSERT_EQ(r.env.RunState, LOADED);
    EXPECT_EQ(r.options.StartPoint, -100);

    // The draws arrive as the editor and the import add them.
    TDrawClass source(info);
    fixtures::FillDraws(source, info, 399);
    for (int i = 1; i <= source.DrawCount(); ++i) {
        const TDraw* d = source.GetDraw(i);
        ASSERT_GT(r.game.Draws->AddDraw(d->Index, 0, d->Numbers, d->Date), 0);
    }
    EXPECT_EQ(r.options.StartPoint, 299);
    EXPECT_EQ(r.options.RunFactorOverhead, 0);

    r.options.MaximumJUXsToScan = 2;
    r.env.ChangeState(STARTED);
    EXPECT_EQ(r.env.RunState, FINISHED);
    EXPECT_TRUE(r.dialogs.shown.empty()) << r.dialogs.shown.front().text;

    // A restart (save, close, open again) gives the same options.
    r.env.ChangeState(LOADED);
    r.dialogs.Queue(TModalResult::Yes); // "really save?"
    ASSERT_TRUE(SaveGameFile(r.game));
    ASSERT_TRUE(r.env.CloseGame());
    r.env.OpenGame(path);
    ASSERT_EQ(r.game.Draws->DrawCount(), 399);
    EXPECT_EQ(r.options.StartPoint, 299);
    EXPECT_EQ(r.options.RunFactorOverhead, 0);

    // Deleting draws keeps the options running too.
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(r.game.Draws->DeleteDraw(1));
    EXPECT_EQ(r.options.StartPoint, 199);
    EXPECT_NO_THROW(r.options.Validate());
}

TEST_F(Env, InvalidOptionsKeepLoadedAndSayWhy)
{
    r.options.TotalTestDraws = 0;
    r.env.ChangeState(STARTED);
    EXPECT_EQ(r.env.RunState, LOADED);
    ASSERT_FALSE(r.dialogs.shown.empty());
    EXPECT_EQ(r.dialogs.shown.back().text, "Tested real draws must be greater than 0.");
    EXPECT_EQ(r.Tables(), 0);
}

TEST_F(Env, ClosingAsksAboutModifiedDrawsAndSavesOptions)
{
    ASSERT_TRUE(r.game.Draws->DeleteDraw(1));
    r.dialogs.Queue(TModalResult::No);
    EXPECT_FALSE(r.env.CloseGame());
    EXPECT_TRUE(r.env.GameOpen());
    EXPECT_EQ(r.dialogs.shown.back().text,
              "Current lottery 'Test Lotto' has been modified.\n\rDo you want to continue and discard any changes?");

    r.options.MaxStatData = 7;
    r.dialogs.Queue(TModalResult::Yes);
    EXPECT_TRUE(r.env.CloseGame());
    EXPECT_FALSE(r.env.GameOpen());
    EXPECT_EQ(r.game.Draws, nullptr);
    EXPECT_TRUE(FileExists(ChangeFileExt(path, ".ini")));

    // Reopening reads the options file back.
    r.env.OpenGame(path);
    EXPECT_EQ(r.env.RunState, LOADED);
    EXPECT_EQ(r.options.MaxStatData, 7);
    EXPECT_EQ(r.options.AutoLoadDraw, path);
}

TEST_F(Env, GameCannotBeClosedDuringARunAndQuitIsRefused)
{
    RunPaused(2);
    EXPECT_FALSE(r.env.CloseGame());
    EXPECT_TRUE(r.env.GameOpen());
    EXPECT_FALSE(r.env.QueryClose());
    EXPECT_FALSE(r.env.CloseLotteryCommand());

    bool quitDuringRun = true;
    r.pump.onEvents = [&] {
        quitDuringRun = r.env.QueryClose();
        r.env.ChangeState(PAUSED);
    };
    r.env.ChangeState(STARTED);
    EXPECT_FALSE(quitDuringRun);
    EXPECT_TRUE(r.env.GameOpen());
}

TEST_F(Env, QuitInFinishedNeedsThePredictionCleared)
{
    RunFinished(3);
    r.dialogs.Queue(TModalResult::No);
    EXPECT_FALSE(r.env.QueryClose());
    EXPECT_EQ(r.env.RunState, FINISHED);
    EXPECT_EQ(r.dialogs.shown.back().text, "A prediction is in memory. Do you want to clear it?");
    r.dialogs.Queue(TModalResult::Yes);
    EXPECT_TRUE(r.env.QueryClose());
    EXPECT_FALSE(r.env.GameOpen());
}

TEST_F(Env, CloseLotteryForgetsTheGame)
{
    RunFinished(3);
    r.dialogs.Queue(TModalResult::Yes);
    EXPECT_TRUE(r.env.CloseLotteryCommand());
    EXPECT_EQ(r.env.RunState, STANDBY);
    EXPECT_FALSE(r.env.GameOpen());
    EXPECT_TRUE(r.options.AutoLoadDraw.empty());
}

TEST(EnvironmentOpen, BadFilesLeaveStandby)
{
    TRig r;
    const std::string junk = fixtures::TmpDir() + "junk.drw";
    fixtures::WriteFile(junk, {2, 'D', 'R', 'W', 0, 0, 0});
    for (const std::string& p : {junk, fixtures::TmpDir() + "missing.drw", std::string()}) {
        r.env.OpenGame(p);
        EXPECT_EQ(r.env.RunState, STANDBY) << p;
        EXPECT_FALSE(r.env.GameOpen()) << p;
    }
    EXPECT_EQ(r.env.StartCommand(), TEnvironmentClass::TStartOutcome::OpenManager);
}
