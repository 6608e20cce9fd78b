// An advisory lock that a program holds on a game file for the whole of a
// read-change-write, so two writers never save over each other's changes.
// The lock is flock() on the file itself. Because a save puts a new file in
// place, a waiter that wins the lock checks that its file is still the one
// the name points to, and locks the new one otherwise.
#pragma once

#include <string>

class TFileLock {
public:
    // How long Acquire waits for another holder by default.
    static constexpr int kDefaultWaitMs = 5000;

    enum class TResult { Locked, Busy, Failed };

    TFileLock() = default;
    ~TFileLock();
    TFileLock(const TFileLock&) = delete;
    TFileLock& operator=(const TFileLock&) = delete;

    // Locks the existing file at path (links followed), waiting up to waitMs
    // for another holder. A lock this process already holds on the same file
    // is taken again at once. Failed: the file cannot be opened (see Error()).
    TResult Acquire(const std::string& path, int waitMs = kDefaultWaitMs);
    void Release();
    bool Held() const { return fd_ >= 0; }
    const std::string& Error() const { return error_; }

private:
    int fd_ = -1;
    unsigned long long dev_ = 0, ino_ = 0;
    std::string error_;
};

// The message of a game another program is saving; `game` is the file name as
// the user gave it.
std::string GameBusyText(const std::string& game);
