// Which draws of a results file are new to a game. A dated game takes the
// draws whose date and index it does not hold, and keeps its own draw where
// the file says otherwise (a conflict). An undated game has only the order of
// its draws: the file must begin with the game's whole history, and only what
// follows it is new.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/GameModel.h"

struct TMergeConflict {
    TDateTime Date = 0;
    int32_t Index = 0;
    TArrayOfShortIntArray Game; // kept
    TArrayOfShortIntArray File;
};

struct TDrawsMerge {
    std::vector<TDraw> NewDraws; // in the order they are added
    std::vector<TMergeConflict> Conflicts;
    // Undated game only: the file does not begin with the game's history.
    bool HistoriesDiffer = false;
    int DifferAt = 0;          // 1-based draw of the game where they part
    std::string DifferMessage; // what the user is told, naming that draw
};

// `file`: the file's draws oldest first, with numbers checked as the game
// checks them (dated draws in date and index order).
TDrawsMerge PlanDrawsMerge(const TDrawClass& game, const std::vector<TDraw>& file);

// Adds the new draws of a plan without histories that differ; answers how many the game took.
int ApplyDrawsMerge(TDrawClass& game, const TDrawsMerge& merge);

// "YYYY-MM-DD" or "YYYY-MM-DD/2" with several draws a day.
std::string MergeDateText(TDateTime date, int32_t index, int drawsPerDay);

// One line per conflict, after a line saying how many there are; empty without conflicts.
std::string ConflictsText(const std::vector<TMergeConflict>& conflicts, int drawsPerDay, size_t maxLines = 10);
