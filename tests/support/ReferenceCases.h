// The engine's reference cases: formations, start points and option sets
// that the engine is checked on table by table, and the options of a case.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "data/GameModel.h"
#include "engine/GameOptions.h"

struct Case {
    const char* name;
    int picked, total;
    uint8_t kind;
    int picked2, total2;
    int lowest;
    int field;
    int draws, t, d, r;
    int perColumn;
    uint8_t modes;
    int minReq, maxReq, minHit, maxHit;
    std::vector<int32_t> keep;
    unsigned seed;
    int tables = 55;
};

inline void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

inline const std::vector<Case>& ReferenceCases()
{
    static const std::vector<Case> cases = {
        Case{"SixOf49", 6, 49, 0, 0, 0, 1, 1, 160, 30, 10, 0, 19, kModeAll, 0, 0, 0, 0, {}, 11},
        Case{"SixOf49StartPoint", 6, 49, 0, 0, 0, 1, 1, 170, 25, 12, 7, 4, kModeAll, 0, 0, 0, 0, {3, 9}, 12},
        Case{"FiveOf35", 5, 35, 0, 0, 0, 1, 1, 120, 20, 8, 4, 3, kModeAll, 2, 20, 0, 0, {}, 13},
        Case{"SevenOf75", 7, 75, 0, 0, 0, 1, 1, 220, 40, 15, 0, 9, kModeAll, 0, 0, 2, 5, {}, 14},
        Case{"SixOf49BonusAsField2", 6, 49, 2, 1, 0, 1, 2, 150, 30, 10, 3, 5, kModeAll, 0, 0, 0, 0, {}, 15},
        Case{"FiveOf50PowerField1",
             5,
             50,
             1,
             2,
             10,
             1,
             1,
             140,
             30,
             9,
             0,
             19,
             kModeAugmentative | kModeBuildup,
             0,
             0,
             0,
             0,
             {},
             16},
        Case{"FiveOf50PowerField2", 5, 50, 1, 2, 10, 1, 2, 140, 30, 9, 2, 3, kModeAll, 0, 0, 0, 0, {}, 17},
        Case{"LowestZero", 5, 40, 0, 0, 0, 0, 1, 130, 25, 10, 0, 6, kModeAll, 0, 0, 0, 0, {}, 18},
        Case{"ShortTestedStretch", 6, 49, 0, 0, 0, 1, 1, 80, 3, 4, 0, 2, kModeAll, 0, 0, 0, 0, {}, 19},
        Case{"AbsoluteOnlyWindowTwo", 6, 49, 0, 0, 0, 1, 1, 90, 10, 2, 1, 19, kModeAbsolute, 1, 8, 0, 3, {}, 20},
        // Pools at the edges of the vector blocks: 55 sums in seven, 56 and 64
        // take more, 63 is the last in two 512-bit registers; hit rows of pools
        // up to 64 are searched in four blocks.
        Case{"SixOf55", 6, 55, 0, 0, 0, 1, 1, 140, 25, 10, 1, 6, kModeAll, 0, 0, 0, 0, {}, 25},
        Case{"SixOf56", 6, 56, 0, 0, 0, 1, 1, 140, 25, 10, 0, 6, kModeAll, 0, 0, 0, 0, {}, 26},
        Case{"SixOf63", 6, 63, 0, 0, 0, 1, 1, 150, 25, 10, 1, 6, kModeAll, 0, 0, 0, 0, {}, 29},
        Case{"SevenOf64", 7, 64, 0, 0, 0, 1, 1, 150, 25, 10, 2, 6, kModeAll, 0, 0, 0, 0, {}, 27},
        Case{"SixOf99", 6, 99, 0, 0, 0, 1, 1, 130, 25, 10, 2, 6, kModeAll, 0, 0, 0, 0, {}, 21},
        Case{"FourteenOf99", 14, 99, 0, 0, 0, 1, 1, 110, 20, 9, 3, 4, kModeAll, 0, 30, 0, 0, {}, 22, 30},
        Case{"SevenPlusSevenCombined", 7, 40, 2, 7, 0, 0, 2, 100, 20, 12, 1, 5, kModeAll, 0, 0, 0, 0, {}, 23, 30},
        // Gaps of windows past 64 values span several words of gap bits.
        Case{"WindowsPastOneWord", 6, 49, 0, 0, 0, 1, 1, 420, 40, 150, 2, 6, kModeAll, 0, 0, 0, 0, {}, 28, 30},
        // Long enough for full lists to turn most tables away.
        Case{"ManyTablesShortLists", 6, 49, 0, 0, 0, 1, 1, 150, 30, 10, 0, 5, kModeAll, 0, 0, 0, 0, {}, 29, 200},
        // Windows too long for 16-bit sums take the recounting way.
        Case{"LongWindows", 6, 49, 0, 0, 0, 1, 1, 1700, 12, 800, 5, 3, kModeAll, 0, 10, 0, 0, {}, 24, 3}};
    return cases;
}

// The case's options on `model` (filled with the case's draws), up to
// MaximumJUXsToScan = its tables.
inline void SetCaseOptions(const Case& c, const TDrawClass& model, TGameOptions& options)
{
    options.SetGame(&model);
    options.SetDefaults();
    options.SetFieldSelected(c.field);
    options.TotalTestDraws = c.t;
    options.MaxStatData = c.d;
    options.SetStartPoint(c.draws - c.t - c.r);
    options.MaximumJUXsPerColumn = c.perColumn;
    options.Modes = c.modes;
    options.MinReqNumbers = c.minReq;
    options.MaxReqNumbers = c.maxReq;
    options.MinHitCategory = c.minHit;
    options.MaxHitCategory = c.maxHit;
    options.SetKeepJUXs(c.keep);
    options.MaximumJUXsToScan = c.tables;
}
