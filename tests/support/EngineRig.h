// A whole engine without a window: game, options, engine and environment,
// with recording stand-ins for the main window and the display, and an event
// pump that runs a callback between two tables.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "data/GameFile.h"
#include "engine/Environment.h"
#include "engine/GameOptions.h"
#include "engine/JUXEngine.h"
#include "support/GameFixtures.h"
#include "support/ScriptedDialogs.h"

namespace rig {

struct TRecorderMainWindow : TMainWindowLink {
    int updates = 0, mainPages = 0, analysisPages = 0, headers = 0;
    void UpdateControls() override { ++updates; }
    void ShowMainPage() override { ++mainPages; }
    void ShowAnalysisPage() override { ++analysisPages; }
    void RefreshLotteryHeader() override { ++headers; }
};

struct TTestDisplay : TDisplayFrameLink {
    TIntegerStore user, browse;
    int32_t current = 0, requested = 0, mode = 0;
    int prepares = 0, runButtons = 0, clears = 0;
    int32_t CurrentJUX() const override { return current; }
    const TIntegerStore* UserJUXList() const override { return &user; }
    const TIntegerStore* BrowseList() const override { return &browse; }
    int32_t PanoramaRequested() const override { return requested; }
    int32_t PanoramaMode() const override { return mode; }
    void PrepareForRun() override { ++prepares; }
    void ClearUserList() override
    {
        ++clears;
        user.Clear();
    }
    void AddIDsToUserList(const TIntegerStore& ids) override
    {
        for (int i = 1; i <= ids.Count(); ++i) {
            int32_t v = 0;
            ids.GetInt(i, v);
            if (!user.ContainsInt(v))
                user.AddInt(v);
        }
    }
    void UpdateRunButton() override { ++runButtons; }
    TIntegerStore& UserList() override { return user; }
};

struct TCallbackPump : TEventPump {
    std::function<void()> onEvents;
    void ProcessPendingEvents() override
    {
        if (onEvents)
            onEvents();
    }
};

// Writes a game of `count` seeded draws and answers its path.
inline std::string WriteGameFile(const std::string& name, const TGameInfo& g, int count, unsigned seed = 11)
{
    TDrawClass model(g);
    fixtures::FillDraws(model, g, count, seed);
    const std::string path = fixtures::TmpDir() + name;
    fixtures::WriteFile(path, fixtures::BuildImage(g, model));
    return path;
}

struct TRig {
    TScriptedDialogs dialogs; // first: installed before anything asks
    TCurrentGame game;
    TGameOptions options;
    TJUXEngine engine{options};
    TEnvironmentClass env{game, options, engine};
    TRecorderMainWindow main;
    TTestDisplay display;
    TCallbackPump pump;

    TRig()
    {
        env.SetMainWindow(&main);
        env.SetDisplay(&display);
        env.SetEventPump(&pump);
    }
    ~TRig()
    {
        pump.onEvents = nullptr;
        env.SetMainWindow(nullptr);
        env.SetDisplay(nullptr);
        env.SetEventPump(nullptr);
    }
    int32_t Tables() const { return engine.Context.TablesComputed; }
    // Pauses the run once `n` tables have been computed.
    void PauseAt(int32_t n)
    {
        pump.onEvents = [this, n] {
            if (env.RunState == STARTED && Tables() >= n)
                env.ChangeState(PAUSED);
        };
    }
};

// Opens a 6/49 game of 200 draws written for `name` alone (closing a game
// saves its options beside it) and sets up a short run: 30 tested draws,
// 5 of statistics, 40 tables at most, 5 a column. False when it did not load.
inline bool OpenShortRun(TRig& r, const std::string& name)
{
    const std::string path = WriteGameFile(name + ".drw", fixtures::MakeGame(6, 49), 200);
    std::remove((fixtures::TmpDir() + name + ".ini").c_str());
    r.env.OpenGame(path);
    if (r.env.RunState != LOADED)
        return false;
    r.options.TotalTestDraws = 30;
    r.options.MaxStatData = 5;
    r.options.SetStartPoint(r.options.DrawCount() - 30);
    r.options.MaximumJUXsToScan = 40;
    r.options.MaximumJUXsPerColumn = 5;
    return true;
}

} // namespace rig
