// jux-cli update: one game from an address or a file, its JSON and exit
// statuses, a dry run, every game of a folder with --all, and wrong usage.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <nlohmann/json.hpp>

#include "support/CliRunner.h"
#include "support/GameFixtures.h"
#include "support/ResultsFiles.h"
#include "support/ResultsHttpServer.h"

namespace {

using nlohmann::json;

const std::string kSample = std::string(JUX_TESTS_DIR) + "/data/import-cases/real-ca-lotto649/input.csv";

std::string Dir(const std::string& name)
{
    const char* tmp = std::getenv("JUX_TEST_TMP");
    std::string d = std::string(tmp ? tmp : "/tmp/jux-cli-test") + "/" + name + "/";
    std::system(("rm -rf '" + d + "' && mkdir -p '" + d + "'").c_str());
    return d;
}

std::string Q(const std::string& s) { return "'" + s + "'"; }

std::string NewGame(const std::string& path)
{
    const auto r = RunCli("new-game " + Q(path) + " --name Lotto --formation '0649|01BB' --dpd 1");
    EXPECT_EQ(r.status, 0) << r.err;
    return path;
}

std::string SampleHead(size_t lines)
{
    return resultsfiles::Head(resultsfiles::Sample("real-ca-lotto649/input.csv"), lines);
}

fixtures::Bytes Bytes(const std::string& path)
{
    fixtures::Bytes b;
    fixtures::ReadFile(path, b);
    return b;
}

} // namespace

TEST(UpdateCli, OneGameJsonStatusesAndExitCodes)
{
    TResultsHttpServer server;
    ASSERT_TRUE(server.Running());
    // A last line with a ball the game does not have is left out with its reason.
    server.Set("/649.csv",
               {200, SampleHead(201) + "\"649\",9999,0,\"2030-01-05\",1,2,3,4,5,77,8\n", "text/csv", "\"a\""});
    const std::string d = Dir("update-one");
    const std::string game = NewGame(d + "lotto.drw");

    auto r = RunCli("update " + Q(game) + " --source " + server.Url("/649.csv") + " --json");
    ASSERT_EQ(r.status, 0) << r.err;
    json j = json::parse(r.out);
    std::vector<std::string> keys;
    const nlohmann::ordered_json ordered = nlohmann::ordered_json::parse(r.out);
    for (auto it = ordered.begin(); it != ordered.end(); ++it)
        keys.push_back(it.key());
    const std::vector<std::string> expected = {"source",    "status",  "http_status", "added",  "draw_count",
                                               "conflicts", "skipped", "dry_run",     "message"};
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(j["source"], server.Url("/649.csv"));
    EXPECT_EQ(j["status"], "updated");
    EXPECT_EQ(j["http_status"], 200);
    EXPECT_EQ(j["added"], 200);
    EXPECT_EQ(j["draw_count"], 200);
    EXPECT_EQ(j["skipped"], json::parse(R"([{"reason": "balls outside 1..49", "count": 1, "lines": [202]}])"));

    // The stored address and ETag make the next request conditional.
    r = RunCli("update " + Q(game) + " --json");
    ASSERT_EQ(r.status, 0) << r.err;
    j = json::parse(r.out);
    EXPECT_EQ(j["status"], "not-modified");
    EXPECT_EQ(j["http_status"], 304);
    EXPECT_EQ(j["draw_count"], 200);

    // A conflicting draw and two new ones, as text.
    std::string grown = SampleHead(203);
    const std::string was = "\"649\",3,0,\"1982-06-26\",1,6,23,24,27,39,34";
    grown.replace(grown.find(was), was.size(), "\"649\",3,0,\"1982-06-26\",1,6,23,24,27,40,34");
    server.Set("/649.csv", {200, grown, "text/csv", "\"b\""});
    r = RunCli("update " + Q(game) + " --json");
    ASSERT_EQ(r.status, 0) << r.err;
    j = json::parse(r.out);
    EXPECT_EQ(j["status"], "updated");
    EXPECT_EQ(j["added"], 2);
    EXPECT_EQ(j["draw_count"], 202);
    EXPECT_EQ(j["conflicts"], json::parse(R"([{"date": "1982-06-26", "index": 1,
        "game": [[1, 6, 23, 24, 27, 39], [34]], "file": [[1, 6, 23, 24, 27, 40], [34]]}])"));

    // Failures: exit 1, the game untouched, the reason on stderr and in the JSON.
    const fixtures::Bytes before = Bytes(game);
    server.Set("/649.csv", {404, "", "text/html"});
    r = RunCli("update " + Q(game) + " --json");
    EXPECT_EQ(r.status, 1);
    j = json::parse(r.out);
    EXPECT_EQ(j["status"], "failed");
    EXPECT_EQ(j["http_status"], 404);
    EXPECT_EQ(j["error"], "The server answered HTTP 404 Not Found.");
    EXPECT_NE(r.err.find("HTTP 404 Not Found"), std::string::npos) << r.err;
    r = RunCli("update " + Q(game));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("jux-cli update: " + game + ": The server answered HTTP 404 Not Found."), std::string::npos)
        << r.err;
    EXPECT_EQ(Bytes(game), before);

    // A dry run with another source says what it would add and stores nothing.
    r = RunCli("update " + Q(game) + " --source " + Q(kSample) + " --dry-run");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("197 new draws added"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Dry run: nothing was saved."), std::string::npos) << r.out;
    EXPECT_EQ(Bytes(game), before);
    r = RunCli("update " + Q(game) + " --json");
    EXPECT_EQ(json::parse(r.out)["source"], server.Url("/649.csv"));

    // The local file, stored this time.
    r = RunCli("update " + Q(game) + " --source " + Q(kSample));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("197 new draws added"), std::string::npos) << r.out;
    r = RunCli("update " + Q(game) + " --json");
    j = json::parse(r.out);
    EXPECT_EQ(j["status"], "up-to-date");
    EXPECT_EQ(j["http_status"], 0);
    EXPECT_EQ(j["draw_count"], 399);
}

TEST(UpdateCli, AllGamesOfAFolder)
{
    TResultsHttpServer server;
    ASSERT_TRUE(server.Running());
    server.Set("/649.csv", {200, SampleHead(400)});
    const std::string d = Dir("update-all");
    const std::string a = NewGame(d + "a.drw");
    const std::string b = NewGame(d + "b.drw");
    NewGame(d + "nosource.drw");
    // One source on the server, one a file that is not there yet.
    ASSERT_EQ(RunCli("update " + Q(a) + " --source " + server.Url("/649.csv")).status, 0);
    ASSERT_EQ(RunCli("update " + Q(b) + " --source " + Q(d + "results.csv")).status, 1);

    auto r = RunCli("update --all --folder " + Q(d) + " --json");
    EXPECT_EQ(r.status, 1) << r.err;
    json j = json::parse(r.out);
    ASSERT_EQ(j["games"].size(), 2u);
    EXPECT_EQ(j["games"][0]["game"], d + "a.drw");
    EXPECT_EQ(j["games"][0]["status"], "up-to-date");
    EXPECT_EQ(j["games"][1]["status"], "failed");
    EXPECT_NE(j["games"][1]["error"].get<std::string>().find("does not exist"), std::string::npos);
    EXPECT_EQ(j["failed"], 1);

    // Once the file is there every game is current: exit 0, one summary line.
    fixtures::Bytes all;
    ASSERT_TRUE(fixtures::ReadFile(kSample, all));
    ASSERT_TRUE(fixtures::WriteFile(d + "results.csv", all));
    r = RunCli("update --all --folder " + Q(d));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("b.drw: 399 new draws added"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("2 games: 1 updated (399 new draws), 1 up to date, 0 failed."), std::string::npos) << r.out;

    r = RunCli("update --all --folder " + Q(d + "none"));
    EXPECT_EQ(r.status, 1);
    const std::string empty = Dir("update-all-empty");
    r = RunCli("update --all --folder " + Q(empty));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("No game has a source to update from."), std::string::npos);
}

TEST(UpdateCli, WrongUsage)
{
    const std::string d = Dir("update-usage");
    const std::string game = NewGame(d + "g.drw");
    const char* const cases[] = {
        "update",
        "update --all g.drw",
        "update --all --source x.csv",
        "update g.drw --folder .",
        "update g.drw h.drw",
        "update g.drw --timeout 0",
        "update g.drw --timeout 3601",
        "update g.drw --timeout soon",
        "update g.drw --source ''",
        "update g.drw --sauce x.csv",
        "update g.drw --dry-run=yes",
    };
    for (const char* args : cases) {
        const auto r = RunCli(args);
        EXPECT_EQ(r.status, 2) << args << "\n" << r.err;
        EXPECT_NE(r.err.find("usage: jux-cli update"), std::string::npos) << args;
    }
    const auto none = RunCli("update " + Q(game));
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("The game has no source address."), std::string::npos) << none.err;
}
