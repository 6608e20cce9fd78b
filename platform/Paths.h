// Where the program and its data live.
#pragma once

#include <cstddef>
#include <string>

// Folder of the running executable, with a trailing '/'.
std::string ProgramFolder();

// The common application data folder, with a trailing '/':
// $JUX_DATA_HOME when set, else $XDG_DATA_HOME, else ~/.local/share.
std::string CommonAppDataFolder();

// Path helpers over '/' separated paths.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
bool ForceDirectories(const std::string& path);
std::string IncludeTrailingPathDelimiter(const std::string& path);
std::string ExtractFilePath(const std::string& path); // with trailing delimiter, "" when none
std::string ExtractFileName(const std::string& path);
std::string ExtractFileExt(const std::string& path);  // with the dot, "" when none
std::string ChangeFileExt(const std::string& path, const std::string& ext);
bool DeleteFile(const std::string& path);
bool RenameFile(const std::string& from, const std::string& to);
// True when both paths name one existing file (also through links and
// spellings such as "./"), so a write aimed at its own source can be refused
// before it replaces it.
bool IsSameFile(const std::string& a, const std::string& b);

// Replaces the file at path with the given bytes. They go to a new file
// beside it first, which is flushed and then renamed over the old one, so a
// write that fails half way leaves the old file as it was. On failure answers
// false with a reason in error.
bool ReplaceFileContents(const std::string& path, const void* bytes, size_t size, std::string& error);
