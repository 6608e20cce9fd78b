// Writers of jux-cli facing ordinary accidents: two programs on one game,
// an output that names an input or a special file, a save that fails.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "data/GameFile.h"
#include "data/Utils.h"
#include "data/Stream.h"
#include "platform/FileLock.h"
#include "support/CliRunner.h"
#include "support/TextFiles.h"

namespace fs = std::filesystem;

namespace {

std::string Dir(const std::string& name)
{
    const std::string d = clitest::Tmp(name) + "/";
    fs::remove_all(d);
    fs::create_directories(d);
    return d;
}

std::string Q(const std::string& s) { return "'" + s + "'"; }

std::string Text(const std::string& path) { return textfiles::Get(path); }

std::vector<std::string> Names(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string Demo(const std::string& dir, int draws)
{
    const std::string game = dir + "g.drw";
    const TCliResult r = RunCli("demo-game " + Q(game) + " --draws " + std::to_string(draws));
    EXPECT_EQ(r.status, 0) << r.err;
    return game;
}

} // namespace

// Two add-draws on one game at the same time: each either adds its draw or
// is refused as busy and changes nothing; no added draw is ever lost.
TEST(WritersCli, TwoAddDrawsAtOnceLoseNothing)
{
    const std::string dir = Dir("two_writers");
    const std::string game = Demo(dir, 3000);
    const char* exe = std::getenv("JUX_CLI");
    ASSERT_NE(exe, nullptr);
    int expected = 3000, lost = 0, refused = 0;
    for (int round = 0; round < 20; ++round) {
        std::string script = "cd " + Q(dir) + " || exit 1\n";
        for (int w = 1; w <= 2; ++w) {
            const std::string n = std::to_string(w);
            const std::string date = Format("%d-01-%2.2d", 2300 + w, round + 1);
            script += "(echo '" + date + " 1 2 3 4 5 6' | " + Q(exe) + " add-draws g.drw --yes >o" + n + " 2>e" + n +
                      "; echo $? >s" + n + ") &\n";
        }
        script += "wait\n";
        std::ofstream(dir + "round.sh") << script;
        ASSERT_EQ(std::system(("sh " + Q(dir + "round.sh")).c_str()), 0);
        int saved = 0;
        for (int w = 1; w <= 2; ++w) {
            const std::string n = std::to_string(w);
            const int status = std::atoi(Text(dir + "s" + n).c_str());
            if (status == 0) {
                ++saved;
                EXPECT_NE(Text(dir + "o" + n).find("Saved g.drw"), std::string::npos);
            } else {
                ++refused;
                EXPECT_EQ(status, 1);
                EXPECT_EQ(Text(dir + "e" + n), "jux-cli add-draws: g.drw is being changed by another program\n");
            }
        }
        expected += saved;
        const int now = static_cast<int>(ReadGameInfo(game).DrawCount);
        lost += expected - now;
        expected = now;
    }
    EXPECT_EQ(lost, 0) << refused << " refused";
    EXPECT_EQ(Names(dir), (std::vector<std::string>{"e1", "e2", "g.drw", "o1", "o2", "round.sh", "s1", "s2"}));
}

// While another program holds the game, a writer waits, then refuses and
// changes nothing; reading commands are not held up.
TEST(WritersCli, BusyGameIsRefused)
{
    const std::string dir = Dir("busy");
    const std::string game = Demo(dir, 50);
    const std::string before = Text(game);
    TFileLock other;
    ASSERT_EQ(other.Acquire(game), TFileLock::TResult::Locked);
    TCliResult r = RunCli("add-draws " + Q(game) + " --yes", "2300-01-01 1 2 3 4 5 6\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "jux-cli add-draws: " + game + " is being changed by another program\n");
    EXPECT_EQ(r.out, "");
    r = RunCli("info " + Q(game));
    EXPECT_EQ(r.status, 0) << r.err;
    other.Release();
    EXPECT_EQ(Text(game), before);
    r = RunCli("add-draws " + Q(game) + " --yes", "2300-01-01 1 2 3 4 5 6\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadGameInfo(game).DrawCount, 51u);
}

// A run state or workbook never replaces the game it came from (under any
// name), another kind of file, a pipe or a device; each is refused before
// the run, with exit 1, and stays as it was.
TEST(WritersCli, OutputsNeverReplaceInputsOrSpecialFiles)
{
    const std::string dir = Dir("outputs");
    const std::string game = Demo(dir, 300);
    const std::string before = Text(game);
    fs::create_directories(dir + "sub");
    fs::create_symlink("g.drw", dir + "link.drw");
    ASSERT_EQ(::link(game.c_str(), (dir + "hard.drw").c_str()), 0);
    ASSERT_EQ(::mkfifo((dir + "pipe").c_str(), 0600), 0);
    const std::string analyze = "analyze " + Q(game) + " --tables 2 --tested 20 --stat 5 --save-state ";
    const std::vector<std::string> refusedStates = {
        game, dir + "./g.drw", dir + "sub/../g.drw", dir + "link.drw", dir + "hard.drw", dir + "pipe", "/dev/full"};
    for (const std::string& target : refusedStates) {
        const TCliResult r = RunCli(analyze + Q(target));
        EXPECT_EQ(r.status, 1) << target;
        EXPECT_NE(r.err.find("cannot save the run state"), std::string::npos) << target << ": " << r.err;
        EXPECT_EQ(r.out, "") << target;
    }
    EXPECT_EQ(Text(game), before);
    EXPECT_TRUE(fs::is_fifo(dir + "pipe"));
    EXPECT_TRUE(fs::is_character_file("/dev/full"));

    // A new run state, then one replaced; resume never writes over its own
    // input or over a game.
    const std::string run = dir + "run.jsf";
    TCliResult r = RunCli(analyze + Q(run));
    ASSERT_EQ(r.status, 0) << r.err;
    r = RunCli(analyze + Q(run));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string state = Text(run);
    for (const std::string& target : {game, run, dir + "link.drw"}) {
        r = RunCli("resume " + Q(run) + " --tables 3 --save-state " + Q(target));
        EXPECT_EQ(r.status, 1) << target;
        EXPECT_NE(r.err.find("cannot save the run state"), std::string::npos) << r.err;
    }
    EXPECT_EQ(Text(game), before);
    EXPECT_EQ(Text(run), state);
    r = RunCli("resume " + Q(run) + " --tables 3 --save-state " + Q(dir + "next.jsf"));
    EXPECT_EQ(r.status, 0) << r.err;

    for (const std::string& target : {dir + "pipe", std::string("/dev/full")}) {
        r = RunCli("export-xlsx " + Q(run) + " --ids 1 " + Q(target));
        EXPECT_EQ(r.status, 1) << target;
        EXPECT_NE(r.err.find("It is not a regular file."), std::string::npos) << r.err;
    }
    EXPECT_TRUE(fs::is_fifo(dir + "pipe"));
    EXPECT_EQ(Names(dir),
              (std::vector<std::string>{"g.drw", "hard.drw", "link.drw", "next.jsf", "pipe", "run.jsf", "sub"}));
}

// A save stopped by the file size limit: the command fails (not killed by
// the signal), says nothing of success, and leaves the game as it was with
// no temporary file beside it.
TEST(WritersCli, FailedSaveSaysSoAndLeavesNothing)
{
    const std::string dir = Dir("failed");
    const std::string game = Demo(dir, 2000);
    const std::string before = Text(game);
    const std::string draws = dir + "draws.txt";
    std::ofstream(draws) << "27/12/2030 1 2 3 4 5 6\n28/12/2030 7 8 9 10 11 12\n";
    const std::string limit = "ulimit -f 2;";
    const std::string layout = " --skip 0 --date-format 0 --after-date 0";
    TCliResult r = RunCliAfter(limit, "import " + Q(game) + " " + Q(draws) + layout);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out.find("Imported"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("was not saved"), std::string::npos) << r.err;
    r = RunCliAfter(limit, "add-draws " + Q(game) + " --yes", "2030-12-29 1 2 3 4 5 6\n");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out.find("Saved"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("was not saved"), std::string::npos) << r.err;
    EXPECT_EQ(Text(game), before);
    EXPECT_EQ(Names(dir), (std::vector<std::string>{"draws.txt", "g.drw"}));

    // Without the limit the same import succeeds and says so afterwards.
    r = RunCli("import " + Q(game) + " " + Q(draws) + layout);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Imported 2 draws."), std::string::npos) << r.out;
    EXPECT_EQ(ReadGameInfo(game).DrawCount, 2002u);
}
