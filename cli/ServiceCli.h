// Shared by the games service commands: the program's data folder and the
// database address of its settings.
#pragma once

#include <cstdio>
#include <string>

#include "engine/GameOptions.h"
#include "platform/Paths.h"

namespace servicecli {

inline std::string DataFolder()
{
    return IncludeTrailingPathDelimiter(CommonAppDataFolder() + "JUX Engine");
}

// --url when given, else the settings; empty (with a message printed) when neither.
inline std::string Address(const std::string& command, const std::string& url)
{
    if (!url.empty())
        return url;
    const std::string address = TGameOptions::DatabaseAddress(DataFolder());
    if (address.empty())
        std::fprintf(stderr, "jux-cli %s: no games database address: pass --url or set DatabaseAddress in section %s of %s\n",
                     command.c_str(), kProgramIniSection, TGameOptions::ProgramSettingsPath(DataFolder()).c_str());
    return address;
}

} // namespace servicecli
