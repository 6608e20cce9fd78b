// The main window's rules as plain functions: which menu items and buttons a
// run state allows, the texts of the header and the last-draw label, the
// active field list, and the options page (its choices, its filling and the
// storing of what the user typed). No widget is needed to call them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/GameModel.h"
#include "data/Types.h"

class TGameOptions;

inline constexpr const char* kApplicationTitle = "J.U.X. 2.3b";
inline constexpr const char* kMainCaption = "J.U.X. Engine 2.3b";
#ifndef JUX_VERSION
#define JUX_VERSION "0.0.0"
#endif
inline constexpr const char* kProductVersion = JUX_VERSION;
inline constexpr const char* kPredictionInMemoryText = "A prediction is in memory. Do you want to clear it?";
inline constexpr const char* kRunStateFilter = "JUX State File (*.jsf)";
// The user guide, shipped as HTML beside the program.
inline constexpr const char* kHelpFileName = "jux-guide.html";
inline constexpr const char* kHelpFileError = "Unable to open help file.";
// The product's web page. There is none yet: "J.U.X. Engine Online" stays
// hidden until an address is set here.
inline constexpr const char* kProductWebPage = "";
// Said when the desktop has no program for the guide, the data folder or the
// web page; the path or address follows on the next line.
inline constexpr const char* kNoGuideViewerText = "No program was found to show the user guide. The guide is:";
inline constexpr const char* kNoFileManagerText = "No file manager was found to show the data folder. The folder is:";
inline constexpr const char* kNoBrowserText = "No web browser was found to open:";

// The About window's version lines: the program's release, and what the
// product title's "2.3b" stands for beside it.
std::string AboutVersionText(const std::string& productVersion);
std::string AboutVersionsNote(const std::string& applicationTitle, const std::string& productVersion);

// Which menu items are visible and which buttons are enabled.
struct TMenuVisibility {
    bool ManageLotteries = false;
    bool SaveLottery = false;
    bool CloseLottery = false;
    bool LotteryDraws = false;
    bool Exit = false;
    bool ImportRunState = false;
    bool ExportRunState = false;
    bool ClearPrediction = false;
    bool OddsCalculator = true;
    bool BacktestEnabled = false;
    bool HelpItems = true;
    bool ProductPage = false; // "J.U.X. Engine Online": only with a web page
    bool StartEnabled = true;
    bool FinalResultsEnabled = false;
    bool OptionsEnabled = false;
    // Top-level menus: enabled when one of their items is visible.
    bool LotteryMenu = false;
    bool FunctionsMenu = false;
    bool HelpMenu = false;

    bool operator==(const TMenuVisibility&) const = default;
};

// `modified` and `hasFilePath` are those of the active lottery.
TMenuVisibility MenuVisibility(uint8_t runState, bool modified, bool hasFilePath);

// The line of the main page that tells a new user where to begin, with the
// caption of its button; empty once there is a lottery or a run.
struct TFirstStep {
    std::string Text;
    std::string Button;
};
TFirstStep FirstStep(uint8_t runState, bool gameOpen);

// A number of the parameter box: "-" in STANDBY, the value otherwise.
std::string ParameterText(uint8_t runState, int32_t value);

// Empty in STANDBY; "Last draw in history : " and the last draw; or
// "No draws in history". `draws` may be null.
std::string LastDrawLabel(uint8_t runState, const TDrawClass* draws);

// How the header shows the active lottery's name (colours 0x00BBGGRR): maroon
// for a game with its file; a game without one (opened from a run state) in
// dark violet and italics, with a tip saying why it cannot be saved. Both
// read on the header's sky blue.
struct TLotteryCaptionStyle {
    uint32_t Color = 0;
    bool Italic = false;
    std::string Tip;
};
TLotteryCaptionStyle LotteryCaptionStyle(bool hasFilePath);
// The contrast ratio of two colours as the accessibility guidelines define
// it: 1 (the same) to 21 (black on white).
double ContrastRatio(uint32_t a, uint32_t b);

// Captions of the active field list, position n is the field number n.
// Empty when no lottery is ready (State other than 2).
std::vector<std::string> ActiveFieldCaptions(const TGameInfo& info);

// 1-based position of the item to choose after the list was rebuilt; 0 for none.
int ActiveFieldToChoose(int itemCount, int32_t fieldSelected);

// Choices of the options page's editable combos.
std::vector<int32_t> TestDrawChoices(int32_t drawCount);
std::vector<int32_t> StatDataChoices(int32_t drawCount);
std::vector<int32_t> JUXsPerColumnChoices();
std::vector<int32_t> JUXsToScanChoices();

// Every maximal run of the digits 0-9, left to right. Runs beyond 2147483647
// are read as 2147483647; at most `limit` numbers are taken.
TIntArray NumbersInText(const std::string& text, size_t limit = 1000000);

// Each number in decimal followed by one blank ("5 9 ").
std::string NumbersWithBlanks(const TIntArray& numbers);

// The options page's editable texts and check boxes.
struct TOptionsPageValues {
    std::string TotalTestDraws;
    std::string MaxStatData;
    std::string StartPoint;
    std::string MinReqNumbers;
    std::string MaxReqNumbers;
    std::string MinHitCategory;
    std::string MaxHitCategory;
    std::string MaximumJUXsPerColumn;
    std::string MaximumJUXsToScan;
    bool Augmentative = false;
    bool Absolute = false;
    bool Buildup = false;
    std::string CompareNums;
    std::string KeepJUXs;
    int32_t AnalysisThreads = 0; // a program setting; 0: one per core
};

TOptionsPageValues OptionsPageValues(const TGameOptions& options);

// "Draw history start point (Run factor overhead %d)" for what is typed; a
// text that is not a number counts as 0.
int32_t RunFactorFor(int32_t drawCount, const std::string& startPoint, const std::string& testDraws);
std::string StartPointLabel(int32_t runFactor);
// What the "R" button puts into the start point edit.
std::string ResetStartPointText(int32_t drawCount, const std::string& testDraws);

// Reads the page into the options: every number first (a text that is not an
// integer raises "A value has not been set correctly (%s)" with nothing
// stored), then stores in order, shows the per-column warning when it
// applies, and validates. Raises the message to show; values stored before
// a failure stay in the options.
void StoreOptionsPage(const TOptionsPageValues& page, TGameOptions& options);

// The three numbers the odds calculator is preset with.
struct TOddsPreset {
    int32_t Total = 0;
    int32_t Picked = 0;
    int32_t Played = 0;
};
// `requestedShown` is the count of requested numbers selected in the display,
// used while a run is STARTED or PAUSED.
TOddsPreset OddsPreset(const TGameInfo& info, int32_t fieldSelected, uint8_t runState, int32_t requestedShown);

// Where Help finds the user guide: beside the program (a build tree), then
// where an installation puts it (PREFIX/share/doc/jux beside PREFIX/bin).
std::vector<std::string> HelpFileCandidates(const std::string& programFolder);
