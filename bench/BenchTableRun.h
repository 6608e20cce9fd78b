// The options of the table page benchmarks' runs, after SetDefaults: on the
// wide game T = 1,000 tested draws with 20 of statistics and 4 tables; on the
// benchmark game the defaults with `narrowTables` tables. Both compare the
// same six numbers.
#pragma once

#include <cstdint>

#include "engine/GameOptions.h"

inline void SetTableRunOptions(TGameOptions& options, bool wide, int32_t narrowTables)
{
    if (wide) {
        options.TotalTestDraws = 1000;
        options.MaxStatData = 20;
        options.SetStartPoint(options.DrawCount() - 1000);
    }
    options.MaximumJUXsToScan = wide ? 4 : narrowTables;
    options.CompareNums = {3, 11, 17, 25, 38, 44};
}
