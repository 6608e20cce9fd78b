// The analysis commands of jux-cli: their options, how they set the analysis
// options of a game, and the text and JSON reports of a run in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "data/GameFile.h"
#include "engine/GameOptions.h"
#include "engine/JUXEngine.h"

namespace analyzecli {

// "GAME.drw [--field F] ... [--json] [--dump-table ID]"
extern const char* const kAnalyzeUsage;

struct TAnalyzeRequest {
    std::string gamePath;
    bool hasField = false, hasTested = false, hasStat = false, hasStart = false;
    int32_t field = 1, tested = 100, stat = 20, start = 0;
    int32_t tables = 1000;
    uint8_t modes = kModeAll;
    bool hasPerColumn = false;
    int32_t perColumn = 19;
    int32_t minReq = 0, maxReq = 0, minHits = 0, maxHits = 0;
    std::vector<int32_t> keep;
    bool json = false;
    bool hasDump = false;
    int32_t dumpTable = 0;
    int32_t threads = 0; // 0: one per core
};

// Option names that take a value and the flags, for commands that extend
// the analyze options with their own.
std::vector<std::string> AnalyzeValueOptions();
std::vector<std::string> AnalyzeFlags();

// --threads N: 1 .. TJUXEngine::kMaxThreads, or 0 for one per core (also
// when absent); false with the reason for a usage error.
bool ParseThreads(const TCliArgs& args, int32_t& threads, std::string& error);

// Reads the arguments; false with the reason for a usage error.
bool ParseAnalyzeArgs(const std::vector<std::string>& args, TAnalyzeRequest& request, std::string& error,
                      const std::vector<std::string>& extraFlags = {},
                      const std::vector<std::string>& extraOptions = {});

// Defaults for the game first, then every option given. The start point
// defaults to N - T. Raises Exception with the message of the options
// (the start point); Validate is left to the caller.
void ApplyAnalyzeOptions(const TAnalyzeRequest& request, TGameOptions& options);

// Opens the request's game file and runs its analysis to the end on the
// request's threads; prints
// "jux-cli COMMAND: ..." and answers false when the file or the options fail.
bool RunGameFile(const std::string& command, const TAnalyzeRequest& request, TCurrentGame& game, TGameOptions& options,
                 TJUXEngine& engine);

// One line per enabled mode, requested numbers i and category j: the best
// table and its first i balls sorted ascending; then the tables computed and
// the time taken.
std::string AnalyzeText(const TJUXEngine& engine, double seconds);

// The JSON report: every live table in registry order with its final order
// (as balls), every category list in the order i, then j. `dumpTable` > 0
// adds that table's row orders (balls) and row hits (ranks).
std::string AnalyzeJson(const TJUXEngine& engine, int32_t dumpTable);

// Mode names of the reports.
const char* ModeTitle(int32_t mode);   // "Augmentative", "Absolute", "Build-up"
const char* ModeJsonKey(int32_t mode); // "augmentative", "absolute", "buildup"

} // namespace analyzecli
