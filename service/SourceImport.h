// The import analysis applied to a downloaded results file: the draws it
// holds for a game, the lines left out and the layout that read it. A stored
// layout is tried first; the automatic analysis takes over when there is
// none or it no longer reads the file.
#pragma once

#include <string>
#include <vector>

#include "data/GameModel.h"
#include "data/ImportDrawsAI.h"

struct TSourceReading {
    bool Ok = false;
    std::string Message;      // why the file could not be read (the analysis message)
    std::vector<TDraw> Draws; // oldest first; dated draws in date and index order
    std::vector<TImportSkip> Skipped;
    std::string Layout; // the layout that read the file (TImportLayout text), to store with the source
    bool StoredLayoutUsed = false;
};

// `storedLayout` is what an earlier reading answered in Layout, else the
// layout the user picked in the import window (or empty).
TSourceReading ReadSourceDraws(const TGameInfo& info, const std::string& text, const std::string& storedLayout);
