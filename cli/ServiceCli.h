// Shared by the games service commands: the database address of the
// program's settings.
#pragma once

#include <cstdio>
#include <string>

#include "engine/GameOptions.h"
#include "platform/Paths.h"

namespace servicecli {

// --url when given, else the settings; empty (with a message printed) when neither.
inline std::string Address(const std::string& command, const std::string& url)
{
    if (!url.empty())
        return url;
    const std::string address = TGameOptions::DatabaseAddress(ProgramDataFolder());
    if (address.empty())
        std::fprintf(
            stderr, "jux-cli %s: no games database address: pass --url or set DatabaseAddress in section %s of %s\n",
            command.c_str(), kProgramIniSection, TGameOptions::ProgramSettingsPath(ProgramDataFolder()).c_str());
    return address;
}

} // namespace servicecli
