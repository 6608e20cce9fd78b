// The analysis options of the open game, their per-game INI file and the
// program settings file that remembers the game to open at start-up.
#pragma once

#include <cstdint>
#include <string>

#include "data/ImportLayout.h"
#include "data/Stores.h"
#include "data/Types.h"

class TDrawClass;

// Bits of TGameOptions::Modes.
constexpr uint8_t kModeAugmentative = 1;
constexpr uint8_t kModeAbsolute = 2;
constexpr uint8_t kModeBuildup = 4;
constexpr uint8_t kModeAll = kModeAugmentative | kModeAbsolute | kModeBuildup;

// Section names and file name of the two settings files.
inline constexpr const char* kGameIniSection = "DrawParams";
inline constexpr const char* kProgramIniSection = "JUXParams";
inline constexpr const char* kProgramIniName = "jux.ini";

class TGameOptions {
public:
    TGameOptions();
    TGameOptions(const TGameOptions& other);
    TGameOptions& operator=(const TGameOptions& other);
    ~TGameOptions();

    int32_t FieldSelected = 1;
    int32_t TotalTestDraws = 100;
    int32_t MaxStatData = 20;
    int32_t StartPoint = 0;
    int32_t RunFactorOverhead = 0;
    int32_t MinReqNumbers = 0;
    int32_t MaxReqNumbers = 0;
    int32_t MinHitCategory = 0;
    int32_t MaxHitCategory = 0;
    uint8_t Modes = kModeAll;
    int32_t MaximumJUXsPerColumn = 19;
    int32_t MaximumJUXsToScan = 999999999;
    TIntegerStore KeepJUXs;
    TShortIntArray CompareNums;
    std::string AutoLoadDraw;
    // Threads used by the analysis, a program setting: 0 means one per core.
    // Neither the defaults of a game nor any game or run state file touch it.
    int32_t AnalysisThreads = 0;
    static constexpr int32_t kMaxAnalysisThreads = 256;

    // The open game, set by the environment when a game is opened or closed.
    // Not owned. Null means no game: N = 0 and no fields.
    const TDrawClass* Game = nullptr;
    void SetGame(const TDrawClass* game) { Game = game; }

    // N, the draws of the open game (0 when none).
    int32_t DrawCount() const;
    // Fields of the open game (0 when none).
    int32_t FieldCount() const;
    // Numbers of the pool the selected field is analysed in (0 without a game).
    int32_t PoolSize() const;

    void SetDefaults();
    // Accepts f only when 1 <= f <= the open game's field count.
    void SetFieldSelected(int32_t f);
    // Sets StartPoint and the derived RunFactorOverhead; raises Exception
    // "Given Start Point %d produces negative Run Factor overhead" (values stay set).
    void SetStartPoint(int32_t s);
    // After the open game gained or lost draws: a start point at its default
    // (no run factor overhead) moves with the history, any other stays while
    // the history still holds it, else it returns to the default. Never raises.
    void FollowDrawCount();
    // Keeps the trimmed path only when it names an existing file.
    void SetAutoLoadDraw(const std::string& path);
    // Keeps the values that lie in 1..99, in list order.
    void SetCompareNums(const TIntegerStore& list);
    void SetCompareNums(const TIntArray& list);
    // Copy of the list, sorted ascending once; later additions unsorted.
    void SetKeepJUXs(const TIntegerStore& list);
    void SetKeepJUXs(const TIntArray& list);

    // Raises Exception with the message of the first failing check.
    void Validate() const;

    // Per-game options file (section "DrawParams").
    void SaveToGameIni(const std::string& path);
    void LoadFromGameIni(const std::string& path);

    // Program settings file "jux.ini" in dataFolder (section "JUXParams"):
    // AutoLoadDraw, and AnalysisThreads when it is not 0.
    static std::string ProgramSettingsPath(const std::string& dataFolder);
    void SaveProgramSettings(const std::string& dataFolder) const;
    void LoadProgramSettings(const std::string& dataFolder);
    // The games database address ("DatabaseAddress" of the program settings,
    // trimmed); empty when none is set.
    static std::string DatabaseAddress(const std::string& dataFolder);
    // Where users ask the database's operator for a game ("DatabaseContact",
    // trimmed); empty when the settings name nobody.
    static std::string DatabaseContact(const std::string& dataFolder);

    // The texts written for CompareNums ("01 02 03") and KeepJUXs ("5 9 ").
    std::string CompareNumsText() const;
    std::string KeepJUXsText() const;

private:
    // The draw count RunFactorOverhead was derived for.
    int32_t drawCountSeen_ = 0;
};

// The import layout that last worked for a game, kept in its options file
// ("ImportLayout" of section "DrawParams", one line of JSON) beside the options.
// The path is the options file's. Load answers false when none is stored or
// the stored text is damaged; Save answers false with a reason when the file
// cannot be written, and keeps every other key.
bool LoadImportLayout(const std::string& path, TImportLayout& layout);
bool SaveImportLayout(const std::string& path, const TImportLayout& layout, std::string* error = nullptr);
