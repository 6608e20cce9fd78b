// The games folder: every game file examined without being opened, with the
// companion files (options, run states) that share its name, and the offer to
// delete files that belong to no game.
#pragma once

#include <memory>
#include <string>

#include "data/GameFile.h"
#include "data/Stores.h"

inline constexpr const char* kGamesFolderName = "draw files";

struct TLocalGameRec {
    std::string FileName;                // full path of the game file
    std::string Title;                   // the game's name when valid, else the file name
    std::string BaseName;                // file name without its extension
    std::string Description;             // formation text when valid, else the status text
    std::unique_ptr<TStringStore> Files; // the game file first, then its companions
    TGameIOInfo Info;
};

class TLocalGamesClass {
public:
    // The games folder of a data folder, with a trailing delimiter.
    static std::string GamesFolder(const std::string& dataFolder);

    // Scans GamesFolder(dataFolder) once; the object is not refreshed later.
    explicit TLocalGamesClass(const std::string& dataFolder);

    std::string Folder;
    bool Exists = false;
    // Null when the folder did not exist.
    std::unique_ptr<TRecordStore<TLocalGameRec>> Games;

    int Count() const { return Games ? Games->Count() : 0; }
    // 1-based; nullptr when out of range.
    const TLocalGameRec* Get(int position) const { return Games ? Games->GetRecord(position) : nullptr; }
    // First entry whose BaseName equals fileName without its extension,
    // case-insensitively; a name without an extension matches none.
    TLocalGameRec* FindByBaseName(const std::string& fileName) const;

    // The list description of an examined game file.
    static std::string DescriptionOf(const TGameIOInfo& info);

private:
    void ScanGameFiles();
    void ScanOtherFiles();
};

// The file name (without folder) of a new game in `folder`: the game's name
// (Windows-1252) in the file system's encoding (UTF-8), without control
// characters and the nine characters a file name cannot hold, "Noname" when
// nothing is left, with ".drw"; when a game of that name exists (compared case-insensitively,
// as the companion files are), the smallest number from 0 upward is appended.
std::string NewGameFileName(const std::string& name, const std::string& folder);
// folder + NewGameFileName.
std::string NewGameFilePath(const std::string& name, const std::string& folder);
