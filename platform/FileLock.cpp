#include "platform/FileLock.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

// The locks this process holds, by file: flock() conflicts between two
// descriptors of one process, so a nested Acquire shares the first one.
struct THeld {
    int fd = -1;
    int holders = 0;
    pid_t owner = 0;
};
using TKey = std::pair<unsigned long long, unsigned long long>;

std::mutex registryLock;
std::map<TKey, THeld>& Registry()
{
    static std::map<TKey, THeld> held;
    return held;
}

} // namespace

std::string GameBusyText(const std::string& game) { return game + " is being changed by another program"; }

TFileLock::~TFileLock() { Release(); }

TFileLock::TResult TFileLock::Acquire(const std::string& path, int waitMs)
{
    Release();
    error_.clear();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs < 0 ? 0 : waitMs);
    int fd = -1;
    for (;;) {
        if (fd < 0) {
            fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) {
                error_ = std::strerror(errno);
                return TResult::Failed;
            }
        }
        struct stat mine {};
        if (::fstat(fd, &mine) != 0) {
            error_ = std::strerror(errno);
            ::close(fd);
            return TResult::Failed;
        }
        const TKey key(mine.st_dev, mine.st_ino);
        {
            std::lock_guard<std::mutex> guard(registryLock);
            // A child made by fork() drops the descriptors it inherited, or
            // they would keep its parent's locks alive after the parent's release.
            for (auto other = Registry().begin(); other != Registry().end();)
                if (other->second.owner != ::getpid()) {
                    ::close(other->second.fd);
                    other = Registry().erase(other);
                } else {
                    ++other;
                }
            auto it = Registry().find(key);
            if (it != Registry().end()) {
                ++it->second.holders;
                ::close(fd);
                dev_ = key.first;
                ino_ = key.second;
                fd_ = it->second.fd;
                return TResult::Locked;
            }
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            // The holder before us may have put a new file in place: that
            // one is the game now.
            struct stat named {};
            if (::stat(path.c_str(), &named) == 0 && named.st_dev == mine.st_dev && named.st_ino == mine.st_ino) {
                std::lock_guard<std::mutex> guard(registryLock);
                Registry()[key] = THeld{fd, 1, ::getpid()};
                dev_ = key.first;
                ino_ = key.second;
                fd_ = fd;
                return TResult::Locked;
            }
            ::close(fd);
            fd = -1;
            continue;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            error_ = std::strerror(errno);
            ::close(fd);
            return TResult::Failed;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            return TResult::Busy;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void TFileLock::Release()
{
    if (fd_ < 0)
        return;
    std::lock_guard<std::mutex> guard(registryLock);
    auto it = Registry().find(TKey(dev_, ino_));
    if (it != Registry().end() && --it->second.holders <= 0) {
        ::close(it->second.fd);
        Registry().erase(it);
    }
    fd_ = -1;
}
