// The process-wide hooks through which windows open and close the current
// lottery, and the entry point of each window that the main window opens.
// The lottery manager, the draws editor and the odds calculator plug in here
// (the spreadsheet export has its entry point in models/SpreadsheetExport.h).
#pragma once

#include <functional>
#include <string>

class QWidget;
class TEnvironmentClass;

// Installed with the environment's OpenGame and CloseGame before any window
// exists. closeDrawFile answers true when no lottery is open any more.
using TLoadDrawFileHook = std::function<void(const std::string& path)>;
using TCloseDrawFileHook = std::function<bool()>;
void InstallDrawFileHooks(TLoadDrawFileHook load, TCloseDrawFileHook close);
void loadDrawFile(const std::string& path);
bool closeDrawFile();

// The draws editor saves through the main window's SaveLottery.
using TSaveLotteryHook = std::function<void()>;
void InstallSaveLotteryHook(TSaveLotteryHook save);
void SaveLotteryHook();

// The windows, shown modally over `parent`.
void OpenLotteryManager(QWidget* parent);
void OpenDrawsEditor(QWidget* parent, TEnvironmentClass& environment);
// `preset` is false in STANDBY: the calculator starts with its own numbers.
void OpenOddsCalculator(QWidget* parent, bool preset, int total, int picked, int played);
