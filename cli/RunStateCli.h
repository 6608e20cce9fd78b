// Saving and reading run state files from jux-cli.
#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "data/GameFile.h"
#include "engine/GameOptions.h"
#include "engine/JUXEngine.h"

namespace runstatecli {

// A path ending in ".jsf", in any case.
inline bool IsRunState(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string ext = path.substr(path.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext == ".jsf";
}

// Whether a run state may be written to path: a new file or a run state file,
// none of the command's inputs. Prints why not and answers false; commands
// ask before their run, so a long run never ends in a refused save.
bool CanSaveState(const std::string& command, const std::string& path, const std::vector<std::string>& inputs);

// Writes the run in memory; prints why not and answers false.
bool SaveState(const std::string& command, const std::string& path, TCurrentGame& game, TGameOptions& options,
               TJUXEngine& engine, TIntegerStore& userList, const std::vector<std::string>& inputs);

// Reads a run state file into fresh objects; prints why not and answers false.
bool LoadState(const std::string& command, const std::string& path, TCurrentGame& game, TGameOptions& options,
               TJUXEngine& engine, TIntegerStore& userList);

} // namespace runstatecli
