// Helpers shared by the game file commands of jux-cli.
#pragma once

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "data/GameFile.h"
#include "data/GameModel.h"
#include "data/TextCodec.h"
#include "data/UserDialogs.h"
#include "data/Utils.h"
#include "platform/FileLock.h"
#include "platform/Paths.h"

namespace gamecli {

// YYYY-MM-DD, or "" for no date.
inline std::string IsoDate(TDateTime date)
{
    int y = 0, m = 0, d = 0;
    if (date == 0 || !DecodeDate(date, y, m, d))
        return "";
    return Format("%4.4d-%2.2d-%2.2d", y, m, d);
}

// Opens a game for a command; prints why not and answers false.
inline bool OpenForCommand(const std::string& command, const std::string& path, TCurrentGame& game)
{
    try {
        const uint8_t status = OpenGameFile(path, game);
        if (status == gioValid)
            return true;
        std::fprintf(stderr, "jux-cli %s: %s: %s\n", command.c_str(), path.c_str(), GameIOStatusText(status).c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "jux-cli %s: %s\n", command.c_str(), Win1252ToUtf8(e.what()).c_str());
    }
    return false;
}

// Opens a game that the command will change, holding its lock from before the
// read until `lock` goes: a second writer waits, then is refused.
inline bool OpenForChange(const std::string& command, const std::string& path, TCurrentGame& game, TFileLock& lock)
{
    if (lock.Acquire(path) == TFileLock::TResult::Busy) {
        std::fprintf(stderr, "jux-cli %s: %s\n", command.c_str(), GameBusyText(path).c_str());
        return false;
    }
    return OpenForCommand(command, path, game);
}

// The names a new game proposes for its fields.
inline void DefaultFieldNames(TGameInfo& g)
{
    g.FieldNames[0] = DefaultFieldName(g, 1);
    if (g.Field2Kind == 1 || g.Field2Kind == 2)
        g.FieldNames[1] = DefaultFieldName(g, 2);
}

// A definition from a formation code; false (with the reason) when the
// code does not parse or the game it describes is not valid.
inline bool DefinitionFromCode(const std::string& code, TGameInfo& g, std::string& why)
{
    try {
        ParseFormationCode(code, g.Fields, g.Field2Kind);
    } catch (const std::exception& e) {
        why = "formation '" + code + "': " + e.what();
        return false;
    }
    g.FieldCount = g.Field2Kind == 0 ? 1 : 2;
    return true;
}

// Writes a game file that does not yet exist: the definition and the
// model's draws (none without a model).
inline bool CreateGameFile(const std::string& command, const std::string& path, const TGameInfo& g, TDrawClass* draws)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        std::fprintf(stderr, "jux-cli %s: %s already exists\n", command.c_str(), path.c_str());
        return false;
    }
    std::string error;
    const TNewGameResult result = ::CreateGameFile(path, g, draws, error);
    if (result == TNewGameResult::NotWritten)
        std::fprintf(stderr, "jux-cli %s: %s\n", command.c_str(), Win1252ToUtf8(error).c_str());
    return result == TNewGameResult::Created;
}

} // namespace gamecli
