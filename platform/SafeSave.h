// The one way the program writes a file. The new content goes to a fresh
// temporary file beside the real target (links followed to the file they
// name), is flushed and synced, examined where the format asks for it, and
// only then renamed into place, keeping the old file's mode and owner. A
// failure at any step removes the temporary file and leaves the target as it
// was. Targets that are not regular files (pipes, devices, folders), files
// without write permission and any file the command reads are refused before
// anything is written.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class TSafeSave {
public:
    enum class TMode {
        Replace,   // the target may exist and is replaced whole
        CreateNew, // the target must not exist; one that appears meanwhile is kept
    };
    // Looks at the written temporary file before it replaces the target;
    // false (with a reason in why) cancels the save.
    using TExamine = std::function<bool(const std::string& tempPath, std::string& why)>;

    explicit TSafeSave(std::string target, TMode mode = TMode::Replace);
    ~TSafeSave();
    TSafeSave(const TSafeSave&) = delete;
    TSafeSave& operator=(const TSafeSave&) = delete;

    // A file the command reads: the target may not be that file under any
    // name (spelling, symbolic or hard link).
    void AddInput(const std::string& path);
    // The temporary file is named after the target with this extension
    // (".tmp" for game files) plus a unique suffix; by default the target's
    // whole name plus the suffix.
    void SetTempExtension(const std::string& extension);

    // The checks of Begin without writing anything, for commands that refuse
    // a wrong target before they start their work.
    bool Check();
    // Checks the target and creates the temporary file.
    bool Begin();
    bool Write(const void* bytes, size_t size);
    // For writers that open the file by its name themselves (it exists, empty,
    // from Begin until Commit or the end of the object).
    const std::string& TempPath() const { return tempPath_; }
    // Syncs, examines and puts the file in place.
    bool Commit(const TExamine& examine = nullptr);

    // The reason of the last failure, naming the target as given.
    const std::string& Error() const { return error_; }
    // The same without the sentence naming the target.
    const std::string& Reason() const { return reason_; }
    // The file that is written: the target with its links followed.
    const std::string& FinalPath() const { return finalPath_; }

private:
    bool Fail(const std::string& reason);
    bool FailErrno(int error);
    bool Resolve();
    void Discard();

    std::string target_;
    TMode mode_;
    std::vector<std::string> inputs_;
    std::string extension_;
    std::string finalPath_;
    std::string tempPath_;
    std::string error_;
    std::string reason_;
    int fd_ = -1;
    bool targetExists_ = false;
    unsigned targetMode_ = 0;
    unsigned targetUid_ = 0;
    unsigned targetGid_ = 0;
};

// Writes bytes to path through TSafeSave; on failure answers false with the
// reason in error.
bool SafeSaveBytes(const std::string& path, const void* bytes, size_t size, std::string& error,
                   TSafeSave::TMode mode = TSafeSave::TMode::Replace, const std::vector<std::string>& inputs = {});

// The steps of a save, for the test seam below.
enum class TSafeSaveStep { Create, Write, Sync, Replace };
// Test seam: when set, called before each step of every save; a non-zero
// answer makes that step fail with it as the system's error number.
using TSafeSaveFault = std::function<int(TSafeSaveStep step)>;
void SetSafeSaveFault(TSafeSaveFault fault);
