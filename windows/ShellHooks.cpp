// The hooks and window entry points. Each window entry point below is the
// place its window plugs in; until then it says so.
#include "windows/ShellHooks.h"

#include "data/UserDialogs.h"
#include "rules/MainWindowRules.h"
#include "windows/DrawModifyF.h"
#include "windows/LotteryManagerFrm.h"
#include "windows/OddsCalculatorF.h"

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

bool closeDrawFile() { return CloseHook() ? CloseHook()() : true; }

void InstallSaveLotteryHook(TSaveLotteryHook save) { SaveHook() = std::move(save); }

void SaveLotteryHook()
{
    if (SaveHook())
        SaveHook()();
}

// --- Window entry points -----------------------------------------------------

void OpenLotteryManager(QWidget* parent) { RunLotteryManager(parent); }

void OpenDrawsEditor(QWidget* parent, TEnvironmentClass& environment) { TDrawModifyForm::Execute(parent, environment); }

void OpenOddsCalculator(QWidget* parent, bool preset, int total, int picked, int played)
{
    TfrmOddsCalculator::Execute(parent, preset, total, picked, played);
}
