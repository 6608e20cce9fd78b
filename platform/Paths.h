// Where the program and its data live.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Folder of the running executable, with a trailing '/'.
std::string ProgramFolder();

// The common application data folder, with a trailing '/':
// $JUX_DATA_HOME when set, else $XDG_DATA_HOME, else ~/.local/share.
std::string CommonAppDataFolder();

// The program's own data folder in it ("JUX Engine/"): settings, local
// games, window placement. Not created here.
std::string ProgramDataFolder();

// Path helpers over '/' separated paths.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
bool ForceDirectories(const std::string& path);
std::string IncludeTrailingPathDelimiter(const std::string& path);
std::string ExtractFilePath(const std::string& path); // with trailing delimiter, "" when none
std::string ExtractFileName(const std::string& path);
std::string ExtractFileExt(const std::string& path); // with the dot, "" when none
std::string ChangeFileExt(const std::string& path, const std::string& ext);
bool DeleteFile(const std::string& path);
// True when both paths name one existing file (also through links and
// spellings such as "./"), so a write aimed at its own source can be refused
// before it replaces it.
bool IsSameFile(const std::string& a, const std::string& b);

// What tells one version of a file on disk from another.
struct TFileStamp {
    uint64_t Size = 0;
    int64_t ModifiedNs = 0; // modification time in nanoseconds
    uint64_t Device = 0;
    uint64_t Inode = 0;
    bool operator==(const TFileStamp&) const = default;
};
// The stamp of the file at path (links followed); false when there is none.
bool ReadFileStamp(const std::string& path, TFileStamp& stamp);
// The same for an open file.
bool ReadFileStamp(int fd, TFileStamp& stamp);
