#include "engine/Environment.h"

#include <sys/resource.h>
#include <unistd.h>

#include "data/TextCodec.h"
#include "data/UserDialogs.h"
#include "data/Utils.h"
#include "engine/JUXEngine.h"
#include "engine/RunStateFiles.h"
#include "platform/Paths.h"

namespace {

const char* const kPredictionInMemory = "A prediction is in memory. Do you want to clear it?";

// Lets the run loop see the state machine without knowing it.
class TEnvironmentRunControl : public TRunControl {
public:
    explicit TEnvironmentRunControl(TEnvironmentClass& env) : env_(env) {}
    bool ShouldContinue() override { return env_.RunState == STARTED; }
    void RunFinished() override { env_.ChangeState(FINISHED); }

private:
    TEnvironmentClass& env_;
};

} // namespace

const char* RunStateName(uint8_t state)
{
    switch (state) {
    case STANDBY: return "STANDBY";
    case LOADED: return "LOADED";
    case STARTED: return "STARTED";
    case PAUSED: return "PAUSED";
    case FINISHED: return "FINISHED";
    default: return "UNKNOWN";
    }
}

TEnvironmentBaseClass::TEnvironmentBaseClass()
{
    ProcessHandle = static_cast<int64_t>(::getpid());
    ProgramFolder = ::ProgramFolder();
    DataFolder = ProgramFolder;
    PriorityClass = IDLE_PRIORITY_CLASS;
}

void TEnvironmentBaseClass::SetPriority(int32_t priorityClass)
{
    int niceValue;
    switch (priorityClass) {
    case NORMAL_PRIORITY_CLASS: niceValue = 0; break;
    case BELOW_NORMAL_PRIORITY_CLASS: niceValue = 10; break;
    case IDLE_PRIORITY_CLASS: niceValue = 19; break;
    default: return;
    }
    PriorityClass = priorityClass;
    // An unprivileged process cannot raise its priority again; that refusal
    // must not stop the program.
    (void)::setpriority(PRIO_PROCESS, 0, niceValue);
}

TEnvironmentClass::TEnvironmentClass(TCurrentGame& game, TGameOptions& options, TJUXEngine& engine)
    : game_(game), options_(options), engine_(engine)
{
    DataFolder = ProgramDataFolder();
    if (!DirectoryExists(DataFolder) && !ForceDirectories(DataFolder))
        throw Exception("Unable to create data directory");
    RunState = STANDBY;
    SetPriority(BELOW_NORMAL_PRIORITY_CLASS);
    runControl_ = std::make_unique<TEnvironmentRunControl>(*this);
    engine_.SetRunControl(runControl_.get());
    options_.SetGame(game_.Draws.get());
}

TEnvironmentClass::~TEnvironmentClass()
{
    engine_.SetRunControl(nullptr);
    // A game kept at the last question may outlive the environment.
    if (game_.Draws)
        game_.Draws->SetCountObserver(nullptr);
    try {
        // The game can be closed only outside a run.
        if (RunState != STARTED && RunState != PAUSED)
            CloseGame();
    } catch (...) {
    }
}

void TEnvironmentClass::SetDisplay(TDisplayFrameLink* link)
{
    display_ = link;
    engine_.SetDisplayLink(link);
}

void TEnvironmentClass::SetEventPump(TEventPump* pump)
{
    pump_ = pump;
    engine_.SetEventPump(pump);
}

void TEnvironmentClass::RefreshMainWindow()
{
    if (mainWindow_)
        mainWindow_->UpdateControls();
}

void TEnvironmentClass::ShowMainPage()
{
    if (mainWindow_)
        mainWindow_->ShowMainPage();
}

void TEnvironmentClass::ShowAnalysisPage()
{
    if (mainWindow_)
        mainWindow_->ShowAnalysisPage();
}

void TEnvironmentClass::ChangeState(uint8_t newState)
{
    const uint8_t oldState = RunState;
    RunState = newState;
    try {
        PerformAction(oldState, newState);
    } catch (...) {
        RunState = oldState;
    }
    RefreshMainWindow();
}

void TEnvironmentClass::PerformAction(uint8_t oldState, uint8_t newState)
{
    auto refuse = [&]() {
        throw Exception(std::string("INTERNAL ERROR : ") + RunStateName(oldState) + " -> " + RunStateName(newState));
    };
    if (oldState > FINISHED || newState > FINISHED)
        refuse();
    switch (oldState) {
    case STANDBY:
        if (newState == LOADED)
            return;
        if (newState == PAUSED)
            return ImportedRunAction();
        return refuse();
    case LOADED:
        if (newState == STANDBY)
            return ShowMainPage();
        if (newState == STARTED)
            return StartRunAction();
        return refuse();
    case STARTED:
        if (newState == PAUSED) {
            if (display_)
                display_->UpdateRunButton();
            RefreshMainWindow();
            return;
        }
        if (newState == FINISHED)
            return ShowMainPage();
        return refuse();
    case PAUSED:
        if (newState == STARTED) {
            RefreshMainWindow();
            if (display_)
                display_->UpdateRunButton();
            RunAnalysis();
            return;
        }
        if (newState == FINISHED)
            return ShowMainPage();
        return refuse();
    case FINISHED:
        if (newState == STANDBY)
            return;
        if (newState == LOADED)
            return ShowMainPage();
        if (newState == STARTED) {
            RefreshMainWindow();
            if (display_)
                display_->UpdateRunButton();
            ShowAnalysisPage();
            RunAnalysis();
            return;
        }
        return refuse();
    }
}

void TEnvironmentClass::RunAnalysis()
{
    engine_.SetThreads(options_.AnalysisThreads);
    engine_.RunAnalysis();
}

void TEnvironmentClass::ValidateOptionsForRun()
{
    try {
        options_.Validate();
    } catch (const Exception& e) {
        // The user has to learn why nothing starts; the state is restored by
        // ChangeState as for any failing action.
        ShowError(e.what());
        throw;
    }
}

void TEnvironmentClass::FollowGameDraws()
{
    options_.SetGame(game_.Draws.get());
    // Whatever changes the history (editor, import, download), the options
    // keep a start point the new draw count can run, as reopening would give.
    if (game_.Draws)
        game_.Draws->SetCountObserver([this] { options_.FollowDrawCount(); });
}

void TEnvironmentClass::StartRunAction()
{
    options_.FollowDrawCount();
    ValidateOptionsForRun();
    engine_.StartRun();
    if (display_) {
        display_->PrepareForRun();
        display_->ClearUserList();
        display_->AddIDsToUserList(options_.KeepJUXs);
    }
    RefreshMainWindow();
    ShowAnalysisPage();
    RunAnalysis();
}

void TEnvironmentClass::ImportedRunAction()
{
    ValidateOptionsForRun();
    engine_.FillHitProbabilities();
    if (display_)
        display_->PrepareForRun();
    if (mainWindow_) {
        mainWindow_->RefreshLotteryHeader();
        mainWindow_->UpdateControls();
    }
    ShowAnalysisPage();
    RunAnalysis();
}

bool TEnvironmentClass::CloseGame()
{
    if (!game_.Draws && game_.Info.State == 0)
        return true;
    // Releasing the game under a run in memory would leave the engine on
    // freed draws.
    if (RunState == STARTED || RunState == PAUSED)
        return false;
    try {
        if (game_.Draws && game_.Draws->Modified && !game_.FilePath.empty()) {
            const std::string question = "Current lottery '" + game_.Info.Name + "' has been modified." + "\n\r" +
                                         "Do you want to continue and discard any changes?";
            if (AskYesNoDefaultNo(question) != TModalResult::Yes)
                return false;
        }
        if (!game_.FilePath.empty()) {
            try {
                options_.SaveToGameIni(BuildFileName("", game_.FilePath, "ini"));
            } catch (...) {
            }
        }
        options_.SetGame(nullptr);
        ReleaseGame(game_);
        return true;
    } catch (...) {
        throw Exception("Close game :An internal error occured.\n\rPlease restart the application.");
    }
}

bool TEnvironmentClass::SaveGame()
{
    const TGameSaveResult result = SaveCurrentGame(game_);
    if (result == TGameSaveResult::Reloaded && mainWindow_) {
        mainWindow_->RefreshLotteryHeader();
        mainWindow_->UpdateControls();
    }
    return result == TGameSaveResult::Saved;
}

void TEnvironmentClass::OpenGame(const std::string& path)
{
    if (!CloseGame() || !FileExists(path))
        return;
    try {
        OpenGameFile(path, game_);
    } catch (const std::exception& e) {
        options_.SetGame(nullptr);
        ReleaseGame(game_);
        ShowError(e.what());
        return;
    }
    if (game_.Info.State == 0) {
        options_.SetGame(nullptr);
        ReleaseGame(game_);
        return;
    }
    // Said before anything can be saved over the records left out.
    const std::string refused = RefusedRecordsText(game_.Refused, game_.RecordCount);
    if (!refused.empty())
        ShowMessageDialog(refused, dbOK, TDialogKind::Warning);
    options_.SetAutoLoadDraw(path);
    FollowGameDraws();
    options_.SetDefaults();
    try {
        const std::string ini = BuildFileName("", path, "ini");
        if (FileExists(ini))
            options_.LoadFromGameIni(ini);
    } catch (...) {
    }
    if (game_.Info.State == 2)
        ChangeState(LOADED);
}

TEnvironmentClass::TStartOutcome TEnvironmentClass::StartCommand()
{
    for (;;) {
        if (!GameOpen())
            return TStartOutcome::OpenManager;
        if (RunState == LOADED) {
            ChangeState(STARTED);
            return TStartOutcome::Changed;
        }
        if (RunState != FINISHED)
            return TStartOutcome::Nothing;
        const TModalResult answer =
            ShowMessageDialog("A prediction is in memory.\n\rPress YES to clear it and perform a new run.\n\r"
                              "Press NO to resume JUX scanning.\n\r",
                              dbYes | dbNo | dbCancel, TDialogKind::Confirmation);
        if (answer == TModalResult::Yes) {
            ChangeState(LOADED);
            if (RunState != LOADED)
                return TStartOutcome::Nothing;
            continue;
        }
        if (answer == TModalResult::No) {
            ChangeState(STARTED);
            return TStartOutcome::Changed;
        }
        return TStartOutcome::Nothing;
    }
}

void TEnvironmentClass::RunButtonCommand()
{
    switch (RunState) {
    case STARTED: ChangeState(PAUSED); break;
    case PAUSED: {
        const TModalResult answer =
            ShowMessageDialog("Do you want to terminate the scan?", dbYes | dbNo | dbCancel, TDialogKind::Confirmation);
        if (answer == TModalResult::Yes)
            ChangeState(FINISHED);
        else if (answer == TModalResult::No)
            ChangeState(STARTED);
        break;
    }
    case FINISHED: ShowMainPage(); break;
    default: break;
    }
}

bool TEnvironmentClass::ConfirmClearPrediction()
{
    return RunState != FINISHED || AskYesNoDefaultNo(kPredictionInMemory) == TModalResult::Yes;
}

void TEnvironmentClass::ClearPredictionCommand()
{
    if (RunState == FINISHED && AskYesNoDefaultNo(kPredictionInMemory) == TModalResult::Yes) {
        ShowMainPage();
        ChangeState(LOADED);
    }
    RefreshMainWindow();
}

bool TEnvironmentClass::CloseLotteryCommand()
{
    bool closed = false;
    if ((RunState == LOADED || RunState == FINISHED) && ConfirmClearPrediction() && CloseGame()) {
        options_.SetAutoLoadDraw("");
        options_.SetDefaults();
        ShowMainPage();
        ChangeState(STANDBY);
        closed = true;
    }
    RefreshMainWindow();
    return closed;
}

bool TEnvironmentClass::QueryClose()
{
    ClearPredictionCommand();
    try {
        options_.SaveProgramSettings(DataFolder);
    } catch (...) {
    }
    if (RunState != STANDBY && RunState != LOADED)
        return false;
    return CloseGame();
}

TIntegerStore& TEnvironmentClass::UserList() { return display_ ? display_->UserList() : ownUserList_; }

void TEnvironmentClass::ExportRunState(const std::string& path, const TSaveProgress& progress)
{
    if (RunState != PAUSED && RunState != FINISHED)
        return;
    TBinaryFileStreamJUXState state(game_, options_, engine_, UserList());
    std::vector<std::string> inputs;
    if (!game_.FilePath.empty())
        inputs.push_back(game_.FilePath);
    state.SaveToFile(path, inputs, progress);
    ShowInfo(Format("Saving state of %s has been successful.", PathToText(path).c_str()));
}

void TEnvironmentClass::DiscardImportedRun()
{
    engine_.ClearTables();
    engine_.Lists.Clear();
    engine_.Context = TRunContext{};
    UserList().Clear();
    options_.SetGame(nullptr);
    ReleaseGame(game_);
    options_.SetDefaults();
}

bool TEnvironmentClass::ImportRunState(const std::string& path)
{
    if (RunState != STANDBY || GameOpen())
        return false;
    engine_.ClearTables();
    engine_.Lists.Clear();
    try {
        TBinaryFileStreamJUXState state(game_, options_, engine_, UserList());
        state.LoadFromFile(path);
    } catch (const std::exception& e) {
        // Nothing of a refused file stays behind, and the user learns why.
        DiscardImportedRun();
        ShowError(Format("Unable to import the run state %s:\n\r%s", PathToText(path).c_str(), e.what()));
        RefreshMainWindow();
        return false;
    }
    FollowGameDraws();
    ChangeState(PAUSED);
    if (RunState != PAUSED) {
        DiscardImportedRun();
        RefreshMainWindow();
        return false;
    }
    ShowInfo(Format("Importing state of %s has been successful.", PathToText(path).c_str()));
    return true;
}
