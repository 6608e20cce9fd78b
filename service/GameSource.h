// Where a game's new draws come from: the address of the results file its
// lottery publishes, with what the next update needs (the server's
// validators and the import layout that read the file) and how the last
// update went. Kept in the game's options file, in a section of its own, so
// the game file's format stays as it is.
#pragma once

#include <string>

#include "data/Types.h"

inline constexpr const char* kGameSourceSection = "DrawSource";

struct TGameSource {
    std::string Address;      // http(s) URL or local path; empty: no source
    std::string ETag;         // of the copy last merged
    std::string LastModified; // of the copy last merged
    TDateTime LastUpdate = 0; // the last attempt, local time; 0 never
    std::string LastResult;   // its message, on one line
    bool LastFailed = false;
    // The import layout that last read the file; empty lets the analysis
    // find one. Opaque here: the import writes and reads it.
    std::string Layout;

    bool HasAddress() const { return !Address.empty(); }
};

// The options file of a game file ("x.drw" -> "x.ini").
std::string GameSourceFile(const std::string& gamePath);

// A missing or damaged file gives an empty record.
TGameSource LoadGameSource(const std::string& gamePath);
// Writes the section, keeping every other line of the options file.
bool SaveGameSource(const std::string& gamePath, const TGameSource& source, std::string* error = nullptr);

// A new address forgets what belonged to the old one.
void SetSourceAddress(TGameSource& source, const std::string& address);
// Records an attempt made now.
void NoteSourceUpdate(TGameSource& source, const std::string& message, bool failed);

// "YYYY-MM-DD HH:MM:SS" of the last attempt, or "Never".
std::string SourceUpdateTimeText(const TGameSource& source);
// The time and the result, as the lottery manager lists them ("Never" without an attempt).
std::string SourceUpdateText(const TGameSource& source);

// The local time now as a day number with its fraction.
TDateTime NowDateTime();
