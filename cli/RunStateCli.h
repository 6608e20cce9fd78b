// Saving and reading run state files from jux-cli.
#pragma once

#include <string>

#include "data/GameFile.h"
#include "engine/GameOptions.h"
#include "engine/JUXEngine.h"

namespace runstatecli {

// Writes the run in memory; prints why not and answers false.
bool SaveState(const std::string& command, const std::string& path, TCurrentGame& game, TGameOptions& options,
               TJUXEngine& engine, TIntegerStore& userList);

// Reads a run state file into fresh objects; prints why not and answers false.
bool LoadState(const std::string& command, const std::string& path, TCurrentGame& game, TGameOptions& options,
               TJUXEngine& engine, TIntegerStore& userList);

} // namespace runstatecli
