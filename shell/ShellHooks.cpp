// The hooks and window entry points. Each window entry point below is the
// place its window plugs in; until then it says so.
#include "shell/ShellHooks.h"

#include "data/UserDialogs.h"
#include "odds/OddsCalculatorF.h"
#include "shell/LotteryManagerFrm.h"
#include "shell/MainWindowRules.h"

namespace {

TLoadDrawFileHook& LoadHook()
{
    static TLoadDrawFileHook hook;
    return hook;
}

TCloseDrawFileHook& CloseHook()
{
    static TCloseDrawFileHook hook;
    return hook;
}

TSaveLotteryHook& SaveHook()
{
    static TSaveLotteryHook hook;
    return hook;
}

} // namespace

void InstallDrawFileHooks(TLoadDrawFileHook load, TCloseDrawFileHook close)
{
    LoadHook() = std::move(load);
    CloseHook() = std::move(close);
}

void loadDrawFile(const std::string& path)
{
    if (LoadHook())
        LoadHook()(path);
}

bool closeDrawFile()
{
    return CloseHook() ? CloseHook()() : true;
}

void InstallSaveLotteryHook(TSaveLotteryHook save)
{
    SaveHook() = std::move(save);
}

void SaveLotteryHook()
{
    if (SaveHook())
        SaveHook()();
}

// --- Window entry points -----------------------------------------------------

void OpenLotteryManager(QWidget* parent)
{
    RunLotteryManager(parent);
}

void OpenDrawsEditor(QWidget* /*parent*/)
{
    // The draws history editor plugs in here; it saves through SaveLotteryHook().
    ShowInfo(kNotAvailableText);
}

void OpenOddsCalculator(QWidget* parent, bool preset, int total, int picked, int played)
{
    TfrmOddsCalculator::Execute(parent, preset, total, picked, played);
}
