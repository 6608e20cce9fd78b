#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fcntl.h>
#include <fstream>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/FileLock.h"
#include "platform/SafeSave.h"

namespace fs = std::filesystem;

namespace {

std::string Game(const std::string& name)
{
    const char* t = std::getenv("JUX_TEST_TMP");
    const fs::path dir = t && *t ? fs::path(t) : fs::temp_directory_path() / "jux_lock_test";
    fs::create_directories(dir);
    const std::string path = (dir / name).string();
    std::ofstream(path) << "game";
    return path;
}

// Runs `body` in a child process and answers its exit status.
template <class F> int InChild(F body)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(body());
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int Result(TFileLock::TResult r) { return static_cast<int>(r); }

} // namespace

TEST(FileLock, AnotherProcessWaitsThenIsRefused)
{
    const std::string path = Game("busy.drw");
    TFileLock lock;
    ASSERT_EQ(lock.Acquire(path), TFileLock::TResult::Locked);
    EXPECT_TRUE(lock.Held());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(InChild([&] { return Result(TFileLock().Acquire(path, 300)); }), Result(TFileLock::TResult::Busy));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    lock.Release();
    EXPECT_FALSE(lock.Held());
    EXPECT_EQ(InChild([&] { return Result(TFileLock().Acquire(path, 300)); }), Result(TFileLock::TResult::Locked));

    TFileLock missing;
    EXPECT_EQ(missing.Acquire(path + ".gone"), TFileLock::TResult::Failed);
    EXPECT_FALSE(missing.Error().empty());
    EXPECT_EQ(GameBusyText("g.drw"), "g.drw is being changed by another program");
}

// A lock this process holds is taken again at once (a command holds it from
// its read, the save inside takes it again) and lasts until the last release.
TEST(FileLock, NestedAcquireSharesTheLock)
{
    const std::string path = Game("nested.drw");
    TFileLock outer, inner;
    ASSERT_EQ(outer.Acquire(path), TFileLock::TResult::Locked);
    ASSERT_EQ(inner.Acquire(path, 0), TFileLock::TResult::Locked);
    inner.Release();
    EXPECT_EQ(InChild([&] { return Result(TFileLock().Acquire(path, 50)); }), Result(TFileLock::TResult::Busy));
    outer.Release();
    EXPECT_EQ(InChild([&] { return Result(TFileLock().Acquire(path, 50)); }), Result(TFileLock::TResult::Locked));
}

// A save puts a new file in place: whoever waited on the old one must end up
// holding the lock of the file the name now points to.
TEST(FileLock, WaiterLocksTheFileThatReplacedTheOne)
{
    const std::string path = Game("replaced.drw");
    TFileLock holder;
    ASSERT_EQ(holder.Acquire(path), TFileLock::TResult::Locked);
    const pid_t child = ::fork();
    if (child == 0) {
        TFileLock waiter;
        const auto result = waiter.Acquire(path, 5000);
        // Another descriptor of the current file must find it locked.
        const int fd = ::open(path.c_str(), O_RDONLY);
        const bool current = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
        ::_exit(result == TFileLock::TResult::Locked && current ? 0 : 1);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::string error;
    ASSERT_TRUE(SafeSaveBytes(path, "new", 3, error)) << error;
    holder.Release();
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
