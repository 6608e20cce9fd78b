#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/SafeSave.h"
#include "support/TextFiles.h"
#include "support/WriteLimit.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder of its own for each case.
std::string Folder(const std::string& name)
{
    const char* t = std::getenv("JUX_TEST_TMP");
    const fs::path dir = (t && *t ? fs::path(t) : fs::temp_directory_path() / "jux_safesave_test") / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string() + "/";
}

using textfiles::Get;
using textfiles::Put;

size_t FilesIn(const std::string& dir)
{
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir))
        ++n;
    return n;
}

mode_t ModeOf(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 0777;
}

bool Save(const std::string& path, const std::string& text, std::string& error)
{
    return SafeSaveBytes(path, text.data(), text.size(), error);
}

} // namespace

TEST(SafeSave, CreatesAndReplacesWholeKeepingTheMode)
{
    const std::string dir = Folder("replace");
    const std::string path = dir + "f.bin";
    std::string error;
    // Creates, then replaces whole; a shorter text leaves nothing of the longer one.
    ASSERT_TRUE(Save(path, "long content", error)) << error;
    ASSERT_TRUE(Save(path, "short", error)) << error;
    EXPECT_EQ(Get(path), "short");
    ASSERT_TRUE(Save(path, "", error)) << error;
    EXPECT_EQ(Get(path), "");
    // A new file gets the mode a plainly created one would.
    const mode_t mask = ::umask(022);
    fs::remove(path);
    ASSERT_TRUE(Save(path, "new", error)) << error;
    EXPECT_EQ(ModeOf(path), 0644u);
    ::umask(mask);
    // A replaced file keeps who may read it.
    for (const mode_t mode : {0600u, 0640u, 0664u}) {
        ::chmod(path.c_str(), mode);
        ASSERT_TRUE(Save(path, "again", error)) << error;
        EXPECT_EQ(ModeOf(path), mode);
    }
    EXPECT_EQ(FilesIn(dir), 1u);

    EXPECT_FALSE(Save(dir + "missing/f.bin", "x", error));
    EXPECT_NE(error.find("Cannot write file \"" + dir + "missing/f.bin\""), std::string::npos) << error;
}

// The file a link names gets the content and the link stays a link, also
// for relative links, chains of links and a link to a file not there yet.
TEST(SafeSave, FollowsLinksToTheFileTheyName)
{
    const std::string dir = Folder("links");
    fs::create_directories(dir + "real");
    Put(dir + "real/game.drw", "old");
    fs::create_symlink(dir + "real/game.drw", dir + "absolute");
    fs::create_symlink("real/game.drw", dir + "relative");
    fs::create_symlink("relative", dir + "chain");
    fs::create_symlink("real/later.drw", dir + "dangling");
    std::string error;
    for (const char* link : {"absolute", "relative", "chain"}) {
        ASSERT_TRUE(Save(dir + link, link, error)) << link << ": " << error;
        EXPECT_TRUE(fs::is_symlink(dir + link)) << link;
        EXPECT_EQ(Get(dir + "real/game.drw"), link);
    }
    ASSERT_TRUE(Save(dir + "dangling", "created", error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir + "dangling"));
    EXPECT_EQ(Get(dir + "real/later.drw"), "created");
    EXPECT_EQ(FilesIn(dir + "real"), 2u);
    EXPECT_EQ(FilesIn(dir), 5u);

    fs::create_symlink("loop", dir + "loop");
    EXPECT_FALSE(Save(dir + "loop", "x", error));
    EXPECT_FALSE(error.empty());
}

// Targets that must not be replaced are refused before anything is written:
// the target and its folder stay exactly as they were.
TEST(SafeSave, RefusesTargetsItMustNotReplace)
{
    const std::string dir = Folder("refused");
    const std::string game = dir + "game.drw";
    Put(game, "the game");
    ASSERT_EQ(::mkfifo((dir + "pipe").c_str(), 0600), 0);
    fs::create_directories(dir + "folder");
    fs::create_symlink("/dev/null", dir + "device");
    fs::create_symlink("game.drw", dir + "link.drw");
    ASSERT_EQ(::link(game.c_str(), (dir + "hard.drw").c_str()), 0);
    Put(dir + "readonly", "keep");
    ::chmod((dir + "readonly").c_str(), 0444);
    Put(dir + "private", "keep");
    ::chmod((dir + "private").c_str(), 0400);
    const struct {
        std::string target;
        TSafeSave::TMode mode;
        std::string reason;
    } cases[] = {
        {dir + "pipe", TSafeSave::TMode::Replace, "It is not a regular file."},
        {dir + "folder", TSafeSave::TMode::Replace, "It is not a regular file."},
        {dir + "device", TSafeSave::TMode::Replace, "It is not a regular file."},
        {dir + "readonly", TSafeSave::TMode::Replace, "It is read-only."},
        {dir + "private", TSafeSave::TMode::Replace, "It is read-only."},
        {game, TSafeSave::TMode::Replace, "that is being read"},
        {dir + "./game.drw", TSafeSave::TMode::Replace, "that is being read"},
        {dir + "folder/../game.drw", TSafeSave::TMode::Replace, "that is being read"},
        {dir + "link.drw", TSafeSave::TMode::Replace, "that is being read"},
        {dir + "hard.drw", TSafeSave::TMode::Replace, "that is being read"},
        {game, TSafeSave::TMode::CreateNew, "It already exists."},
        {dir + "link.drw", TSafeSave::TMode::CreateNew, "It already exists."},
    };
    const size_t files = FilesIn(dir);
    for (const auto& c : cases) {
        const auto type = fs::symlink_status(c.target).type();
        TSafeSave save(c.target, c.mode);
        save.AddInput(game);
        EXPECT_TRUE(save.Check() == false) << c.target;
        EXPECT_FALSE(save.Begin()) << c.target;
        EXPECT_NE(save.Error().find(c.reason), std::string::npos) << c.target << ": " << save.Error();
        EXPECT_NE(save.Error().find(c.target), std::string::npos) << save.Error();
        EXPECT_EQ(fs::symlink_status(c.target).type(), type) << c.target;
        EXPECT_EQ(FilesIn(dir), files) << c.target;
    }
    EXPECT_EQ(Get(game), "the game");
    EXPECT_EQ(Get(dir + "readonly"), "keep");
    EXPECT_EQ(ModeOf(dir + "private"), 0400u);
}

// Whatever step fails, the old file stays and no temporary file is left.
TEST(SafeSave, FailedSaveLeavesTheTargetAndNoTrace)
{
    const std::string dir = Folder("failed");
    const std::string path = dir + "f.ini";
    Put(path, "previous");
    std::string error;
    const std::string big(8192, 'x');
    {
        TWriteLimit limit(1000);
        ASSERT_TRUE(limit.Active());
        EXPECT_FALSE(Save(path, big, error));
        EXPECT_NE(error.find("too large"), std::string::npos) << error;
    }
    EXPECT_EQ(Get(path), "previous");
    EXPECT_EQ(FilesIn(dir), 1u);

    for (const TSafeSaveStep step :
         {TSafeSaveStep::Create, TSafeSaveStep::Write, TSafeSaveStep::Sync, TSafeSaveStep::Replace}) {
        SetSafeSaveFault([step](TSafeSaveStep at) { return at == step ? ENOSPC : 0; });
        EXPECT_FALSE(Save(path, "new", error)) << int(step);
        SetSafeSaveFault(nullptr);
        EXPECT_NE(error.find("No space left on device"), std::string::npos) << error;
        EXPECT_EQ(Get(path), "previous");
        EXPECT_EQ(FilesIn(dir), 1u) << int(step);
    }
    for (const bool raises : {false, true}) {
        TSafeSave save(path);
        ASSERT_TRUE(save.Begin());
        ASSERT_TRUE(save.Write("new", 3));
        EXPECT_EQ(FilesIn(dir), 2u);
        EXPECT_FALSE(save.Commit([raises](const std::string& temp, std::string& why) {
            if (raises)
                throw std::runtime_error("damaged");
            why = Get(temp) == "new" ? "checked and refused" : "wrong content";
            return false;
        }));
        EXPECT_NE(save.Error().find(raises ? "damaged" : "checked and refused"), std::string::npos) << save.Error();
        EXPECT_EQ(Get(path), "previous");
        EXPECT_EQ(FilesIn(dir), 1u);
    }
    // An object given up half way removes its temporary file.
    {
        TSafeSave save(path);
        ASSERT_TRUE(save.Begin());
        EXPECT_TRUE(fs::exists(save.TempPath()));
    }
    EXPECT_EQ(FilesIn(dir), 1u);
}

// A write beyond the file size limit fails with an error instead of the
// signal ending the process before it could clean up.
TEST(SafeSave, FileSizeSignalDoesNotEndTheProcess)
{
    const std::string dir = Folder("signal");
    const std::string path = dir + "f.bin";
    Put(path, "previous");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        rlimit limit{100, 100};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::string error;
        const std::string big(4096, 'x');
        ::_exit(SafeSaveBytes(path, big.data(), big.size(), error) ? 2 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Get(path), "previous");
    EXPECT_EQ(FilesIn(dir), 1u);
}

// Each save has a temporary name of its own beside the target, after the
// extension it is given; a file of the user's under the plain name is no
// concern of it.
TEST(SafeSave, TemporaryNamesAreUniqueAndLeaveOtherFilesAlone)
{
    const std::string dir = Folder("names");
    Put(dir + "game.tmp", "notes of the user");
    TSafeSave first(dir + "game.drw"), second(dir + "game.drw");
    first.SetTempExtension(".tmp");
    second.SetTempExtension(".tmp");
    ASSERT_TRUE(first.Begin());
    ASSERT_TRUE(second.Begin());
    EXPECT_NE(first.TempPath(), second.TempPath());
    for (const TSafeSave* s : {&first, &second}) {
        EXPECT_EQ(s->TempPath().rfind(dir + "game.tmp.", 0), 0u) << s->TempPath();
        EXPECT_NE(s->TempPath(), dir + "game.tmp");
    }
    ASSERT_TRUE(first.Write("one", 3) && first.Commit());
    ASSERT_TRUE(second.Write("two", 3) && second.Commit());
    EXPECT_EQ(Get(dir + "game.drw"), "two");
    EXPECT_EQ(Get(dir + "game.tmp"), "notes of the user");
    EXPECT_EQ(FilesIn(dir), 2u);
}

// A new file never replaces one that took its name while it was written.
TEST(SafeSave, CreateNewKeepsAFileThatAppearedMeanwhile)
{
    const std::string dir = Folder("create");
    TSafeSave save(dir + "new.drw", TSafeSave::TMode::CreateNew);
    ASSERT_TRUE(save.Begin());
    ASSERT_TRUE(save.Write("mine", 4));
    Put(dir + "new.drw", "theirs");
    EXPECT_FALSE(save.Commit());
    EXPECT_NE(save.Error().find("It already exists."), std::string::npos);
    EXPECT_EQ(Get(dir + "new.drw"), "theirs");
    EXPECT_EQ(FilesIn(dir), 1u);

    TSafeSave fresh(dir + "other.drw", TSafeSave::TMode::CreateNew);
    ASSERT_TRUE(fresh.Begin() && fresh.Write("mine", 4) && fresh.Commit()) << fresh.Error();
    EXPECT_EQ(Get(dir + "other.drw"), "mine");
    EXPECT_EQ(FilesIn(dir), 2u);
}
