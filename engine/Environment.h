// The engine environment: the data folder, the process priority, the run
// state machine through which every change of the analysis goes, and the
// opening and closing of the one current game.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "data/BinaryFileStream.h"
#include "data/GameFile.h"
#include "engine/EngineLinks.h"
#include "engine/GameOptions.h"

class TJUXEngine;

enum TRunState : uint8_t { STANDBY = 0, LOADED = 1, STARTED = 2, PAUSED = 3, FINISHED = 4 };
const char* RunStateName(uint8_t state);

// The three priority classes the program uses, mapped onto nice values.
constexpr int32_t NORMAL_PRIORITY_CLASS = 32;
constexpr int32_t IDLE_PRIORITY_CLASS = 64;
constexpr int32_t BELOW_NORMAL_PRIORITY_CLASS = 16384;

// What the environment asks of the main window.
class TMainWindowLink {
public:
    virtual ~TMainWindowLink() = default;
    virtual void UpdateControls() = 0;
    virtual void ShowMainPage() = 0;
    virtual void ShowAnalysisPage() = 0;
    // After a run state import: name, colour and the active field list.
    virtual void RefreshLotteryHeader() = 0;
};

// What the environment asks of the analysis display frame, on top of the
// state the engine reads.
class TDisplayFrameLink : public TDisplayLink {
public:
    virtual void PrepareForRun() = 0;
    virtual void ClearUserList() = 0;
    virtual void AddIDsToUserList(const TIntegerStore& ids) = 0;
    virtual void UpdateRunButton() = 0;
    // The user list itself, which a run state file saves and restores.
    virtual TIntegerStore& UserList() = 0;
};

class TEnvironmentBaseClass {
public:
    TEnvironmentBaseClass();
    virtual ~TEnvironmentBaseClass() = default;

    int64_t ProcessHandle = 0; // the process id
    int32_t PriorityClass = IDLE_PRIORITY_CLASS;
    std::string ProgramFolder;
    std::string DataFolder;

    // Accepts 32, 64 and 16384 only; a refusal by the system is not an error.
    virtual void SetPriority(int32_t priorityClass);
};

class TEnvironmentClass : public TEnvironmentBaseClass {
public:
    // Creates the data folder "JUX Engine" under the common application data
    // folder; raises "Unable to create data directory".
    TEnvironmentClass(TCurrentGame& game, TGameOptions& options, TJUXEngine& engine);
    ~TEnvironmentClass() override;

    uint8_t RunState = STANDBY;

    // The only way to change RunState. Refused pairs and failing actions
    // leave the old state and show nothing; the main window is refreshed in
    // every case.
    void ChangeState(uint8_t newState);

    void OpenGame(const std::string& path);
    // False when the user keeps the modified game.
    bool CloseGame();
    // Saves the open game to its file; when the file changed on disk and the
    // user chose to reload it, the main window shows the reloaded game.
    // True only when the game was saved.
    bool SaveGame();

    // The commands of the windows, so their rules run without a window.
    enum class TStartOutcome { OpenManager, Changed, Nothing };
    TStartOutcome StartCommand();  // the start/resume button
    void RunButtonCommand();       // the display's run button
    void ClearPredictionCommand(); // "Clear Prediction"
    bool CloseLotteryCommand();    // "Close Lottery"; true when closed
    // False when a prediction is in memory and the user keeps it.
    bool ConfirmClearPrediction();
    bool QueryClose(); // closing the application
    // Only in PAUSED or FINISHED; raises when the file cannot be written
    // (never over the open game's file). `progress` hears how far the save
    // has come (a long run takes seconds).
    void ExportRunState(const std::string& path, const TSaveProgress& progress = {});
    // Only in STANDBY with no game open; a refused file leaves nothing
    // behind and its error is shown. True when the run is PAUSED.
    bool ImportRunState(const std::string& path);
    // The display's user list, or the environment's own without a display.
    TIntegerStore& UserList();

    void SetMainWindow(TMainWindowLink* link) { mainWindow_ = link; }
    // Also hands the links to the engine.
    void SetDisplay(TDisplayFrameLink* link);
    void SetEventPump(TEventPump* pump);

    TCurrentGame& Game() { return game_; }
    TGameOptions& Options() { return options_; }
    TJUXEngine& Engine() { return engine_; }
    TDisplayFrameLink* Display() { return display_; }
    bool GameOpen() const { return game_.Info.State == 2; }

private:
    void PerformAction(uint8_t oldState, uint8_t newState);
    // The engine's run loop, on the threads the program settings name.
    void RunAnalysis();
    void StartRunAction();
    void ImportedRunAction();
    void ValidateOptionsForRun();
    void RefreshMainWindow();
    void ShowMainPage();
    void ShowAnalysisPage();
    void DiscardImportedRun();
    // Hands the open game's draws to the options and keeps them following its count.
    void FollowGameDraws();

    TCurrentGame& game_;
    TGameOptions& options_;
    TJUXEngine& engine_;
    TMainWindowLink* mainWindow_ = nullptr;
    TDisplayFrameLink* display_ = nullptr;
    TEventPump* pump_ = nullptr;
    std::unique_ptr<TRunControl> runControl_;
    TIntegerStore ownUserList_;
};
