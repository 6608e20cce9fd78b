// serve-games, games-list and download-game end to end through jux-cli.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "data/GameFile.h"
#include "support/CliRunner.h"
#include "support/GameFixtures.h"

namespace fs = std::filesystem;

namespace {

// jux-cli serve-games in a child process; its first line gives the port.
struct TServeProcess {
    pid_t pid = -1;
    int out = -1;
    std::string firstLine;

    explicit TServeProcess(const std::string& folder)
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        pid = fork();
        if (pid == 0) {
            dup2(fds[1], 1);
            close(fds[0]);
            execl(std::getenv("JUX_CLI"), "jux-cli", "serve-games", folder.c_str(), "--port", "0",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        out = fds[0];
        char c;
        pollfd p{out, POLLIN, 0};
        while (firstLine.size() < 512 && poll(&p, 1, 5000) > 0 && read(out, &c, 1) == 1 && c != '\n')
            firstLine += c;
    }
    std::string Url() const
    {
        const size_t at = firstLine.find("http://");
        return at == std::string::npos ? "" : firstLine.substr(at);
    }
    // The exit status after the signal; -1 when it did not end in 5 s.
    int Stop(int signal)
    {
        kill(pid, signal);
        for (int i = 0; i < 100; ++i) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid)
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            usleep(50000);
        }
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return -1;
    }
    ~TServeProcess()
    {
        if (out >= 0)
            close(out);
    }
};

} // namespace

TEST(ServiceCli, ServeListAndDownload)
{
    ASSERT_NE(std::getenv("JUX_CLI"), nullptr);
    const std::string dir = fixtures::TmpDir() + "serve/";
    fs::remove_all(dir);
    fs::create_directories(dir + "games");
    for (int id : {0, 3}) {
        TGameInfo g = fixtures::MakeGame(6, 45);
        g.Name = id ? "\xC9toile" : "Private";
        g.OnlineID = id;
        TDrawClass model(g);
        fixtures::FillDraws(model, g, 30, 9);
        ASSERT_TRUE(fixtures::WriteFile(dir + "games/" + g.Name.substr(1) + ".drw", fixtures::BuildImage(g, model)));
    }

    for (int signal : {SIGTERM, SIGINT}) {
        TServeProcess server(dir + "games");
        const std::string url = server.Url();
        ASSERT_NE(url, "") << server.firstLine;
        EXPECT_EQ(server.firstLine.rfind("Serving 1 games from ", 0), 0u) << server.firstLine;

        const TCliResult list = RunCli("games-list --json --url '" + url + "'");
        ASSERT_EQ(list.status, 0) << list.err;
        EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 1);
        const auto json = nlohmann::json::parse(list.out);
        ASSERT_EQ(json["games"].size(), 1u);
        const auto& game = json["games"][0];
        EXPECT_EQ(game["id"], 3);
        EXPECT_EQ(game["description"], "\xC3\x89toile");
        EXPECT_EQ(game["formation_code"], "0645");
        EXPECT_EQ(game["formation_text"], "06/45");
        EXPECT_EQ(game["draws_per_day"], 1);
        EXPECT_EQ(game["draw_count"], 30);
        EXPECT_EQ(game["update"], "Never");
        EXPECT_EQ(game["valid"], true);

        const TCliResult download =
            RunCli("download-game 3 --url '" + url + "' --folder '" + dir + "out" + std::to_string(signal) + "'");
        EXPECT_EQ(download.status, 0) << download.err;
        // The game's name is Windows-1252; its file is named in UTF-8.
        const TGameIOInfo info = ReadGameInfo(dir + "out" + std::to_string(signal) + "/\xC3\x89toile.drw");
        EXPECT_EQ(info.Status, gioValid);
        EXPECT_EQ(info.DrawCount, 30u);
        EXPECT_EQ(info.Game.OnlineID, 3);

        const TCliResult missing = RunCli("download-game 4 --url '" + url + "' --folder '" + dir + "none'");
        EXPECT_EQ(missing.status, 1);
        EXPECT_EQ(missing.err, "Server response : Unknown game 4\n");
        EXPECT_FALSE(fs::exists(dir + "none/\xC3\x89toile.drw"));

        EXPECT_EQ(server.Stop(signal), 0);
    }

    const struct {
        std::string args;
        int status;
    } usage[] = {
        {"games-list extra", 2},
        {"games-list --timeout 0 --url x", 2},
        {"download-game", 2},
        {"download-game abc --url x", 2},
        {"download-game 0 --url x", 2},
        {"serve-games", 2},
        {"serve-games " + dir + " --port 70000", 2},
        {"serve-games " + dir + "missing", 1},
        {"games-list --url 127.0.0.1:1 --timeout 2", 1},
    };
    for (const auto& u : usage)
        EXPECT_EQ(RunCli(u.args).status, u.status) << u.args;
}
