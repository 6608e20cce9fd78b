// What the game file commands say about draw records the history refused
// when the file was opened.
#pragma once

#include <cstdio>
#include <string>

#include "data/GameFile.h"
#include "cli/CliText.h"

namespace gamecli {

// The refusal text with its line breaks as plain line feeds; empty when none.
inline std::string RefusedRecordsNote(const TCurrentGame& game)
{
    return clitext::Lines(RefusedRecordsText(game.Refused, game.RecordCount));
}

// Prints the note on stderr, prefixed by the command, when there is one.
inline void WarnRefusedRecords(const std::string& command, const TCurrentGame& game)
{
    const std::string note = RefusedRecordsNote(game);
    if (!note.empty())
        std::fprintf(stderr, "jux-cli %s: %s\n", command.c_str(), note.c_str());
}

// The counts for a JSON document.
inline clitext::Json RefusedRecordsJson(const TRefusedRecords& refused)
{
    clitext::Json doc;
    doc["total"] = refused.Total();
    doc["repeated_date"] = refused.RepeatedDate;
    doc["invalid_date"] = refused.InvalidDate;
    doc["invalid_numbers"] = refused.InvalidNumbers;
    return doc;
}

} // namespace gamecli
