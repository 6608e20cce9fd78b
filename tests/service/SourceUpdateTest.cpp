// Updating games from the results files lotteries publish, against a real
// HTTP server on 127.0.0.1 that serves the sample files: downloads and their
// faults, the stored layout, and updates of dated and undated games where
// every failure leaves the game file byte for byte as it was.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

#include "data/GameFile.h"
#include "engine/GameOptions.h"
#include "platform/Paths.h"
#include "service/DownloadJob.h"
#include "service/SourceImport.h"
#include "service/SourceUpdate.h"
#include "support/GameFixtures.h"
#include "support/WriteLimit.h"
#include "support/ResultsFiles.h"
#include "support/ResultsHttpServer.h"

namespace fs = std::filesystem;

namespace {

using TRoute = TResultsHttpServer::TRoute;

using resultsfiles::Lines;
using resultsfiles::Sample;

// The first `skip` lines (a header) and then `count` lines of the text.
std::string Head(const std::string& text, size_t skip, size_t count) { return resultsfiles::Head(text, skip + count); }

// Canada's 6/49 with its bonus ball, 399 Saturday and Wednesday draws.
TGameInfo Lotto649() { return fixtures::MakeGame(6, 49, 1, 2, 1); }
const std::string kLotto649 = Sample("real-ca-lotto649/input.csv");
// The layout the analysis finds for it, as the source keeps it.
const std::string kLotto649Layout = R"({"kind":"columns","date_format":2,"delimiter":",","date_column":4,)"
                                    R"("field1":[5,6,7,8,9,10],"field2":[11],"sequence_column":-1})";

// A game file at `path` holding the draws the import reads from `text`.
void WriteGame(const std::string& path, const TGameInfo& info, const std::string& text)
{
    TDrawClass model(info);
    const TSourceReading reading = ReadSourceDraws(info, text, "");
    ASSERT_TRUE(text.empty() || reading.Ok) << reading.Message;
    for (const TDraw& d : reading.Draws)
        ASSERT_GT(model.AddDraw(d.Index, 0, d.Numbers, d.Date), 0);
    std::remove(GameSourceFile(path).c_str());
    ASSERT_TRUE(fixtures::WriteFile(path, fixtures::BuildImage(info, model)));
}

// The same with one more draw, on a day the published file does not hold:
// what another writer adds while an update runs.
void WriteGameWithOwnDraw(const std::string& path, const TGameInfo& info, const std::string& text)
{
    TDrawClass model(info);
    const TSourceReading reading = ReadSourceDraws(info, text, "");
    ASSERT_TRUE(reading.Ok) << reading.Message;
    for (const TDraw& d : reading.Draws)
        ASSERT_GT(model.AddDraw(d.Index, 0, d.Numbers, d.Date), 0);
    ASSERT_GT(model.AddDraw(1, 0, {{1, 2, 3, 4, 5, 6}, {7}}, EncodeDate(2030, 1, 2)), 0);
    ASSERT_TRUE(fixtures::WriteFile(path, fixtures::BuildImage(info, model)));
}

fixtures::Bytes FileBytes(const std::string& path)
{
    fixtures::Bytes b;
    fixtures::ReadFile(path, b);
    return b;
}

int DrawsIn(const std::string& path) { return static_cast<int>(ReadGameInfo(path).DrawCount); }

TUpdateSettings Via(const std::string& address, long timeout = 10)
{
    TUpdateSettings s;
    s.NewAddress = address;
    s.TimeoutSeconds = timeout;
    return s;
}

} // namespace

TEST(SourceDownload, AnswersRedirectsAndFaults)
{
    TResultsHttpServer server;
    ASSERT_TRUE(server.Running());
    const std::string body = Head(kLotto649, 1, 20);
    server.Set("/ok", {200, body, "text/csv", "\"v1\"", "Sat, 01 Jun 2024 10:00:00 GMT"});
    TRoute gz{200, body};
    gz.Gzip = true;
    server.Set("/gz", gz);
    server.Set("/moved", TResultsHttpServer::Redirect(301, server.Url("/ok")));
    server.Set("/loop", TResultsHttpServer::Redirect(302, server.Url("/loop")));
    server.Set("/ftp", TResultsHttpServer::Redirect(302, "ftp://127.0.0.1/results.csv"));
    server.Set("/error", {500, "<html>oops</html>", "text/html"});
    server.Set("/gone", {410, "", "text/plain"});
    TRoute cut{200, body};
    cut.CutAfter = 300;
    server.Set("/cut", cut);
    TRoute slow{200, body};
    slow.DelayMs = 4000;
    server.Set("/slow", slow);
    server.Set("/big", {200, std::string(5000, '1')});
    TRoute bomb{200, std::string(3 << 20, '0')};
    bomb.Gzip = true;
    server.Set("/bomb", bomb);

    const std::string dir = fixtures::TmpDir() + "download/";
    fs::create_directories(dir);
    ASSERT_TRUE(fixtures::WriteFile(dir + "results.csv", fixtures::Bytes(body.begin(), body.end())));

    struct Case {
        const char* name;
        std::string address;
        TDownloadStatus status;
        long http;
        std::string error; // a part of the message
        std::string etag = "";
        std::string lastModified = "";
        size_t maxBytes = kMaxSourceBytes;
        long timeout = 10;
    };
    const Case cases[] = {
        {"plain answer", server.Url("/ok"), TDownloadStatus::Ok, 200, ""},
        {"gzip answer", server.Url("/gz"), TDownloadStatus::Ok, 200, ""},
        {"redirect", server.Url("/moved"), TDownloadStatus::Ok, 200, ""},
        {"matching ETag", server.Url("/ok"), TDownloadStatus::NotModified, 304, "", "\"v1\""},
        {"matching Last-Modified", server.Url("/ok"), TDownloadStatus::NotModified, 304, "", "",
         "Sat, 01 Jun 2024 10:00:00 GMT"},
        {"stale ETag", server.Url("/ok"), TDownloadStatus::Ok, 200, "", "\"v0\""},
        {"endless redirects", server.Url("/loop"), TDownloadStatus::Failed, 302, "redirected more than 5 times"},
        {"redirect to ftp", server.Url("/ftp"), TDownloadStatus::Failed, 302, "neither http:// nor https://"},
        {"not found", server.Url("/nothing"), TDownloadStatus::Failed, 404, "The server answered HTTP 404 Not Found."},
        {"server error", server.Url("/error"), TDownloadStatus::Failed, 500, "HTTP 500 Internal Server Error"},
        {"gone", server.Url("/gone"), TDownloadStatus::Failed, 410, "HTTP 410 Gone"},
        {"body cut short", server.Url("/cut"), TDownloadStatus::Failed, 200, "cut short"},
        {"slow server", server.Url("/slow"), TDownloadStatus::Failed, 0, "did not finish within 1 second.", "", "",
         kMaxSourceBytes, 1},
        {"above the cap", server.Url("/big"), TDownloadStatus::Failed, 200, "larger than 4096 bytes", "", "", 4096},
        {"compressed bomb", server.Url("/bomb"), TDownloadStatus::Failed, 200, "larger than 1 MB", "", "", 1 << 20},
        {"local file", dir + "results.csv", TDownloadStatus::Ok, 0, ""},
        {"file URL", "file://" + dir + "results.csv", TDownloadStatus::Ok, 0, ""},
        {"local file above the cap", dir + "results.csv", TDownloadStatus::Failed, 0, "is larger than 100 bytes", "",
         "", 100},
        {"missing file", dir + "none.csv", TDownloadStatus::Failed, 0, "it does not exist"},
        {"folder", dir, TDownloadStatus::Failed, 0, "not a regular file"},
        {"other scheme", "ftp://127.0.0.1/x.csv", TDownloadStatus::Failed, 0, "must start with http:// or https://"},
        {"no address", "  ", TDownloadStatus::Failed, 0, "no source address"},
        {"closed port", "http://127.0.0.1:1/x.csv", TDownloadStatus::Failed, 0, "Cannot connect to the server"},
    };
    for (const Case& c : cases) {
        server.ClearRequests();
        TDownloadRequest request;
        request.Address = c.address;
        request.ETag = c.etag;
        request.LastModified = c.lastModified;
        request.MaxBytes = c.maxBytes;
        request.TimeoutSeconds = c.timeout;
        const TDownloadResult r = DownloadSource(request);
        EXPECT_EQ(r.Status, c.status) << c.name << ": " << r.Error;
        EXPECT_EQ(r.HttpStatus, c.http) << c.name;
        if (c.error.empty()) {
            EXPECT_TRUE(r.Error.empty()) << c.name << ": " << r.Error;
        } else {
            EXPECT_NE(r.Error.find(c.error), std::string::npos) << c.name << ": " << r.Error;
        }
        if (c.status == TDownloadStatus::Ok)
            EXPECT_EQ(r.Body, body) << c.name;
        else
            EXPECT_TRUE(r.Body.empty()) << c.name;
    }

    // What went on the wire: validators, compression offered, validators answered.
    server.ClearRequests();
    TDownloadRequest conditional;
    conditional.Address = server.Url("/ok");
    conditional.ETag = "\"v0\"";
    conditional.LastModified = "Fri, 31 May 2024 10:00:00 GMT";
    const TDownloadResult fresh = DownloadSource(conditional);
    EXPECT_EQ(fresh.ETag, "\"v1\"");
    EXPECT_EQ(fresh.LastModified, "Sat, 01 Jun 2024 10:00:00 GMT");
    ASSERT_EQ(server.Requests().size(), 1u);
    const auto sent = server.Requests()[0];
    EXPECT_EQ(sent.IfNoneMatch, "\"v0\"");
    EXPECT_EQ(sent.IfModifiedSince, "Fri, 31 May 2024 10:00:00 GMT");
    EXPECT_NE(sent.AcceptEncoding.find("gzip"), std::string::npos);
    // A validator that would add a line to the request is not sent.
    server.ClearRequests();
    conditional.ETag = "\"v0\"\r\nX-Injected: 1";
    DownloadSource(conditional);
    EXPECT_TRUE(server.Requests().at(0).IfNoneMatch.empty());

    EXPECT_EQ(HttpStatusText(404), "404 Not Found");
    EXPECT_EQ(HttpStatusText(599), "599");
}

TEST(SourceDownload, ProgressCancelAndTheBackgroundJob)
{
    TResultsHttpServer server;
    ASSERT_TRUE(server.Running());
    server.Set("/649.csv", {200, kLotto649});
    TRoute slow{200, kLotto649};
    slow.DelayMs = 5000;
    server.Set("/slow", slow);

    // Progress reports what arrived; answering false cancels.
    uint64_t seen = 0;
    TDownloadRequest request;
    request.Address = server.Url("/649.csv");
    request.Progress = [&](uint64_t received, uint64_t) {
        seen = std::max(seen, received);
        return true;
    };
    EXPECT_EQ(DownloadSource(request).Status, TDownloadStatus::Ok);
    EXPECT_EQ(seen, kLotto649.size());
    request.Progress = [](uint64_t, uint64_t) { return false; };
    const TDownloadResult cancelled = DownloadSource(request);
    EXPECT_EQ(cancelled.Status, TDownloadStatus::Cancelled);
    EXPECT_EQ(cancelled.Error, "The update was cancelled.");

    // The job runs beside the caller, which may cancel it while the server is silent.
    TDownloadRequest slowRequest;
    slowRequest.Address = server.Url("/slow");
    TDownloadJob job(slowRequest);
    EXPECT_FALSE(job.Finished());
    job.Cancel();
    EXPECT_EQ(job.Take().Status, TDownloadStatus::Cancelled);

    TDownloadRequest whole;
    whole.Address = server.Url("/649.csv");
    TDownloadJob done(whole);
    const TDownloadResult r = done.Take();
    EXPECT_TRUE(done.Finished());
    EXPECT_EQ(r.Body, kLotto649);
    EXPECT_EQ(done.Received(), kLotto649.size());
}

TEST(SourceImport, StoredLayoutIsUsedWhileItFits)
{
    const TGameInfo info = Lotto649();
    const TSourceReading first = ReadSourceDraws(info, kLotto649, "");
    ASSERT_TRUE(first.Ok) << first.Message;
    EXPECT_FALSE(first.StoredLayoutUsed);
    EXPECT_EQ(first.Draws.size(), 399u);
    EXPECT_EQ(first.Layout, kLotto649Layout);

    const std::string us = Sample("real-us-powerball/input.csv");
    struct Case {
        const char* name;
        TGameInfo info;
        std::string text, layout;
        bool ok, storedUsed;
        size_t draws;
    };
    const Case cases[] = {
        {"the layout it found", info, kLotto649, first.Layout, true, true, 399},
        {"a layout of another file", info, kLotto649, "date=1 type=0 numbers=4", true, false, 399},
        {"the positions an earlier version kept", info, kLotto649, "date=4 type=2 numbers=7", true, true, 399},
        {"a damaged layout", info, kLotto649, "date=x", true, false, 399},
        {"a layout out of range", info, kLotto649, "date=4 type=9 numbers=7", true, false, 399},
        // 62 lines of the older Powerball era hold a ball the game refuses and one line is
        // repeated: still most of the file.
        {"lines the game refuses", fixtures::MakeGame(5, 69, 1, 1, 1, 26), us, "", true, false, 336},
        {"not a results file", info, "Lottery results\nnothing here yet\n", "", false, false, 0},
        {"empty text", info, "", "date=4 type=2 numbers=7", false, false, 0},
    };
    for (const Case& c : cases) {
        const TSourceReading r = ReadSourceDraws(c.info, c.text, c.layout);
        EXPECT_EQ(r.Ok, c.ok) << c.name << ": " << r.Message;
        EXPECT_EQ(r.StoredLayoutUsed, c.storedUsed) << c.name;
        EXPECT_EQ(r.Draws.size(), c.draws) << c.name;
        if (!c.ok) {
            EXPECT_FALSE(r.Message.empty()) << c.name;
            EXPECT_EQ(r.Message.find("jux-source-"), std::string::npos) << c.name << ": " << r.Message;
        }
    }
    const TSourceReading powerball = ReadSourceDraws(cases[5].info, us, "");
    ASSERT_FALSE(powerball.Skipped.empty());
    EXPECT_EQ(powerball.Skipped[0].Count, 62);
}

TEST(SourceUpdate, DatedGameFollowsItsPublishedFile)
{
    TResultsHttpServer server;
    ASSERT_TRUE(server.Running());
    const std::string dir = fixtures::TmpDir() + "dated/";
    fs::create_directories(dir);
    const std::string game = dir + "lotto649.drw";
    WriteGame(game, Lotto649(), Head(kLotto649, 1, 200));
    ASSERT_EQ(DrawsIn(game), 200);

    // First update: the file then held 397 draws.
    server.Set("/649.csv", {200, Head(kLotto649, 1, 397), "text/csv", "\"v1\""});
    TUpdateOutcome o = UpdateGameFile(game, Via(server.Url("/649.csv")));
    EXPECT_EQ(o.Status, TUpdateStatus::Updated) << o.Message;
    EXPECT_EQ(o.Added, 197);
    EXPECT_EQ(o.DrawCount, 397);
    EXPECT_EQ(o.HttpStatus, 200);
    EXPECT_EQ(o.Message, "197 new draws added");
    EXPECT_EQ(DrawsIn(game), 397);
    TGameSource source = LoadGameSource(game);
    EXPECT_EQ(source.Address, server.Url("/649.csv"));
    EXPECT_EQ(source.ETag, "\"v1\"");
    EXPECT_EQ(source.Layout, kLotto649Layout);
    EXPECT_EQ(source.LastResult, "197 new draws added");
    EXPECT_FALSE(source.LastFailed);
    EXPECT_NE(source.LastUpdate, 0);

    // Second: the server says nothing changed; the game file is not touched.
    fixtures::Bytes before = FileBytes(game);
    server.ClearRequests();
    o = UpdateGameFile(game, Via(""));
    EXPECT_EQ(o.Status, TUpdateStatus::NotModified) << o.Message;
    EXPECT_EQ(o.HttpStatus, 304);
    EXPECT_EQ(o.DrawCount, 397);
    EXPECT_EQ(server.Requests().at(0).IfNoneMatch, "\"v1\"");
    EXPECT_EQ(FileBytes(game), before);

    // The file grew by two draws; it comes compressed this time.
    TRoute grown{200, kLotto649, "text/csv", "\"v2\""};
    grown.Gzip = true;
    server.Set("/649.csv", grown);
    o = UpdateGameFile(game, Via(""));
    EXPECT_EQ(o.Status, TUpdateStatus::Updated) << o.Message;
    EXPECT_EQ(o.Added, 2);
    EXPECT_EQ(o.Message, "2 new draws added");
    EXPECT_EQ(DrawsIn(game), 399);
    EXPECT_EQ(LoadGameSource(game).ETag, "\"v2\"");

    // Through a redirect, with nothing new.
    server.Set("/old/649.csv", TResultsHttpServer::Redirect(301, server.Url("/649.csv")));
    server.Set("/649.csv", {200, kLotto649, "text/csv", "\"v3\""});
    o = UpdateGameFile(game, Via(server.Url("/old/649.csv")));
    EXPECT_EQ(o.Status, TUpdateStatus::UpToDate) << o.Message;
    EXPECT_EQ(o.Message, kUpToDateText);
    EXPECT_EQ(o.HttpStatus, 200);
    EXPECT_EQ(LoadGameSource(game).Address, server.Url("/old/649.csv"));

    // A draw the file now tells otherwise: the game keeps its own and says so.
    std::vector<std::string> lines = Lines(kLotto649);
    ASSERT_EQ(lines[3], "\"649\",3,0,\"1982-06-26\",1,6,23,24,27,39,34\r\n");
    lines[3] = "\"649\",3,0,\"1982-06-26\",2,6,23,24,27,39,34\r\n";
    std::string changed;
    for (const std::string& l : lines)
        changed += l;
    server.Set("/649.csv", {200, changed, "text/csv", "\"v4\""});
    before = FileBytes(game);
    o = UpdateGameFile(game, Via(""));
    EXPECT_EQ(o.Status, TUpdateStatus::UpToDate) << o.Message;
    ASSERT_EQ(o.Conflicts.size(), 1u);
    EXPECT_EQ(o.Conflicts[0].Date, EncodeDate(1982, 6, 26));
    EXPECT_EQ(o.Conflicts[0].Index, 1);
    EXPECT_EQ(o.Conflicts[0].Game, (TArrayOfShortIntArray{{1, 6, 23, 24, 27, 39}, {34}}));
    EXPECT_EQ(o.Conflicts[0].File, (TArrayOfShortIntArray{{2, 6, 23, 24, 27, 39}, {34}}));
    EXPECT_NE(o.Message.find("1982-06-26: game 01 06 23 24 27 39 | 34, file 02 06 23 24 27 39 | 34"), std::string::npos)
        << o.Message;
    EXPECT_EQ(FileBytes(game), before);

    // A dry run says what it would add and writes nothing, not even the source.
    WriteGame(game, Lotto649(), Head(kLotto649, 1, 390));
    before = FileBytes(game);
    TUpdateSettings dry = Via(server.Url("/649.csv"));
    dry.DryRun = true;
    o = UpdateGameFile(game, dry);
    EXPECT_EQ(o.Status, TUpdateStatus::Updated) << o.Message;
    EXPECT_EQ(o.Added, 9);
    EXPECT_EQ(o.DrawCount, 399);
    EXPECT_EQ(FileBytes(game), before);
    EXPECT_FALSE(fs::exists(GameSourceFile(game)));
}

TEST(SourceUpdate, EveryFailureLeavesTheGameAsItWas)
{
    TResultsHttpServer server;
    ASSERT_TRUE(server.Running());
    const std::string dir = fixtures::TmpDir() + "failures/";
    fs::create_directories(dir);
    const std::string game = dir + "lotto649.drw";
    WriteGame(game, Lotto649(), Head(kLotto649, 1, 200));
    // A successful first update stores validators that no failure may move.
    server.Set("/649.csv", {200, Head(kLotto649, 1, 300), "text/csv", "\"good\""});
    ASSERT_EQ(UpdateGameFile(game, Via(server.Url("/649.csv"))).Status, TUpdateStatus::Updated);
    const fixtures::Bytes before = FileBytes(game);

    TRoute cut{200, kLotto649};
    cut.CutAfter = kLotto649.size() / 2;
    TRoute slow{200, kLotto649};
    slow.DelayMs = 4000;
    const std::string page = "<!DOCTYPE html>\n<html><head><title>Lotto 6/49 results</title></head><body>\n"
                             "<p>Draw of 1987-11-21: 3 11 12 14 41 43 bonus 13</p></body></html>\n";
    struct Case {
        const char* name;
        TRoute route;
        long timeout;
        long http;
        std::string message;
    };
    const Case cases[] = {
        {"404", {404, "<html>Not here</html>", "text/html"}, 10, 404, "The server answered HTTP 404 Not Found."},
        {"500", {500, "", "text/plain"}, 10, 500, "The server answered HTTP 500 Internal Server Error."},
        {"an HTML page", {200, page, "text/html"}, 10, 200, "answered with a web page, not a results file"},
        {"an HTML page called text", {200, page, "text/plain"}, 10, 200, "web page"},
        {"body cut short", cut, 10, 200, "The download was cut short"},
        {"slow server", slow, 1, 0, "The download did not finish within 1 second."},
        {"no longer a results file",
         {200, "Results\nmoved to our new site\n", "text/plain"},
         10,
         200,
         "could not be read as draws of this game:\n\rUnable to analyze the history draw file."},
        {"another game's file",
         {200, Sample("real-pl-lotto/input.txt"), "text/plain"},
         10,
         200,
         "could not be read as draws of this game"},
    };
    for (const Case& c : cases) {
        server.Set("/649.csv", c.route);
        const TUpdateOutcome o = UpdateGameFile(game, Via("", c.timeout));
        EXPECT_EQ(o.Status, TUpdateStatus::Failed) << c.name;
        EXPECT_FALSE(o.Succeeded()) << c.name;
        EXPECT_EQ(o.HttpStatus, c.http) << c.name;
        EXPECT_EQ(o.Added, 0) << c.name;
        EXPECT_EQ(o.DrawCount, 300) << c.name;
        EXPECT_NE(o.Message.find(c.message), std::string::npos) << c.name << ": " << o.Message;
        EXPECT_EQ(FileBytes(game), before) << c.name;
        EXPECT_FALSE(fs::exists(ChangeFileExt(game, ".tmp"))) << c.name;
        const TGameSource source = LoadGameSource(game);
        EXPECT_EQ(source.ETag, "\"good\"") << c.name;
        EXPECT_EQ(source.Layout, kLotto649Layout) << c.name;
        EXPECT_TRUE(source.LastFailed) << c.name;
        EXPECT_EQ(source.LastResult.substr(0, 20), o.Message.substr(0, 20)) << c.name;
    }

    // A game file the update cannot save (the disk takes no more than the old game): the old one stays.
    server.Set("/649.csv", {200, kLotto649, "text/csv", "\"new\""});
    TUpdateOutcome unsaved;
    {
        TWriteLimit limit(before.size());
        ASSERT_TRUE(limit.Active());
        unsaved = UpdateGameFile(game, Via(""));
    }
    EXPECT_EQ(unsaved.Status, TUpdateStatus::Failed);
    EXPECT_NE(unsaved.Message.find("An error occured while saving game file"), std::string::npos) << unsaved.Message;
    EXPECT_EQ(FileBytes(game), before);
    EXPECT_EQ(LoadGameSource(game).ETag, "\"good\"");

    // Games that may not be updated at all.
    const std::string plain = dir + "nosource.drw";
    WriteGame(plain, Lotto649(), "");
    EXPECT_EQ(UpdateGameFile(plain, Via("")).Message, "The game has no source address.");
    EXPECT_NE(UpdateGameFile(dir + "missing.drw", Via(server.Url("/649.csv"))).Message.find("missing.drw"),
              std::string::npos);
    TDrawClass edited(Lotto649());
    edited.Modified = true;
    EXPECT_NE(UpdateRefusal(&edited, 0, game).find("not saved"), std::string::npos);
    edited.Modified = false;
    EXPECT_NE(UpdateRefusal(&edited, 3, game).find("3 draw records"), std::string::npos);
    EXPECT_EQ(UpdateRefusal(&edited, 0, game), "");
    EXPECT_NE(UpdateRefusal(&edited, 0, ""), "");
}

TEST(SourceUpdate, UndatedGameGrowsOnlyFromItsOwnHistory)
{
    TResultsHttpServer server;
    ASSERT_TRUE(server.Running());
    const std::string dir = fixtures::TmpDir() + "undated/";
    fs::create_directories(dir);
    const TGameInfo info = fixtures::MakeGame(6, 49, 0);
    const std::string pl = Sample("real-pl-lotto/input.txt");
    server.Set("/dl.txt", {200, pl, "text/plain"});

    // The game holds the file's first 100 draws: the other 300 follow them.
    const std::string prefix = dir + "prefix.drw";
    WriteGame(prefix, info, Head(pl, 0, 100));
    TUpdateOutcome o = UpdateGameFile(prefix, Via(server.Url("/dl.txt")));
    EXPECT_EQ(o.Status, TUpdateStatus::Updated) << o.Message;
    EXPECT_EQ(o.Added, 300);
    EXPECT_EQ(DrawsIn(prefix), 400);
    o = UpdateGameFile(prefix, Via(""));
    EXPECT_EQ(o.Status, TUpdateStatus::UpToDate) << o.Message;

    // Draw 50 of the game is not the file's: nothing is added.
    std::vector<std::string> lines = Lines(pl);
    ASSERT_EQ(lines[49], "250. 26.11.1961 1,16,24,36,42,43\r\n");
    lines[49] = "250. 26.11.1961 1,16,24,36,42,44\r\n";
    std::string other;
    for (size_t i = 0; i < 100; ++i)
        other += lines[i];
    const std::string differs = dir + "differs.drw";
    WriteGame(differs, info, other);
    const fixtures::Bytes before = FileBytes(differs);
    o = UpdateGameFile(differs, Via(server.Url("/dl.txt")));
    EXPECT_EQ(o.Status, TUpdateStatus::Failed);
    EXPECT_EQ(o.Message, "The histories differ at draw 50: the game holds 01 16 24 36 42 44, the file 01 16 24 36 42 "
                         "43. Nothing was added.");
    EXPECT_EQ(FileBytes(differs), before);

    // A local file as the source: no HTTP status.
    const std::string local = dir + "dl.txt";
    ASSERT_TRUE(fixtures::WriteFile(local, fixtures::Bytes(pl.begin(), pl.end())));
    const std::string fromFile = dir + "fromfile.drw";
    WriteGame(fromFile, info, Head(pl, 0, 398));
    o = UpdateGameFile(fromFile, Via(local));
    EXPECT_EQ(o.Status, TUpdateStatus::Updated) << o.Message;
    EXPECT_EQ(o.HttpStatus, 0);
    EXPECT_EQ(o.Message, "2 new draws added");
    EXPECT_EQ(LoadGameSource(fromFile).Address, local);
}

TEST(SourceUpdate, SourceRecordAndSummaries)
{
    const std::string dir = fixtures::TmpDir() + "record/";
    fs::create_directories(dir);
    const std::string game = dir + "g.drw";
    std::remove(GameSourceFile(game).c_str());
    // The options of the analysis share the file: their lines stay.
    ASSERT_TRUE(fixtures::WriteFile(GameSourceFile(game),
                                    fixtures::Bytes{'[', 'D',  'r', 'a', 'w', 'P', 'a', 'r', 'a', 'm', 's',
                                                    ']', '\n', 'A', 'p', 'p', '=', 'J', 'U', 'X', '\n'}));
    TGameSource s = LoadGameSource(game);
    EXPECT_FALSE(s.HasAddress());
    EXPECT_EQ(SourceUpdateText(s), "Never");
    SetSourceAddress(s, " https://example.org/649.csv ");
    s.ETag = "\"a\"";
    s.Layout = "date=4 type=2 numbers=7";
    NoteSourceUpdate(s, "Line one\n\rline two", true);
    ASSERT_TRUE(SaveGameSource(game, s));
    const TGameSource back = LoadGameSource(game);
    EXPECT_EQ(back.Address, "https://example.org/649.csv");
    EXPECT_EQ(back.ETag, "\"a\"");
    EXPECT_EQ(back.Layout, s.Layout);
    EXPECT_EQ(back.LastResult, "Line one line two");
    EXPECT_TRUE(back.LastFailed);
    EXPECT_NEAR(back.LastUpdate, s.LastUpdate, 1.0 / 86400);
    EXPECT_EQ(SourceUpdateText(back).substr(19), ": Line one line two");
    fixtures::Bytes ini;
    ASSERT_TRUE(fixtures::ReadFile(GameSourceFile(game), ini));
    EXPECT_NE(std::string(ini.begin(), ini.end()).find("App=JUX"), std::string::npos);

    // Another address forgets the old validators and layout; a relative path becomes absolute.
    TGameSource moved = back;
    SetSourceAddress(moved, "https://example.org/649.csv");
    EXPECT_EQ(moved.ETag, "\"a\"");
    SetSourceAddress(moved, "results/649.csv");
    EXPECT_TRUE(moved.ETag.empty());
    EXPECT_TRUE(moved.Layout.empty());
    EXPECT_EQ(moved.Address, (fs::current_path() / "results/649.csv").string());

    EXPECT_EQ(SourceKind("HTTPS://x/y"), TSourceKind::Web);
    EXPECT_EQ(SourceKind("/home/me/649.csv"), TSourceKind::File);
    EXPECT_EQ(SourceKind("C:stuff"), TSourceKind::File);
    EXPECT_EQ(SourceKind("sftp://host/x"), TSourceKind::Unsupported);
    EXPECT_EQ(SourceFilePath("file:///tmp/a%20b.csv"), "/tmp/a b.csv");

    std::vector<TUpdateSummaryLine> lines(3);
    lines[0] = {"a.drw", {}};
    lines[0].Outcome.Status = TUpdateStatus::Updated;
    lines[0].Outcome.Added = 2;
    lines[0].Outcome.Message = "2 new draws added";
    lines[1] = {"b.drw", {}};
    lines[1].Outcome.Status = TUpdateStatus::NotModified;
    lines[1].Outcome.Message = "The game is up to date.\n\rThe results file has not changed since the last update.";
    lines[2] = {"c.drw", {}};
    lines[2].Outcome.Message = "The server answered HTTP 404 Not Found.";
    EXPECT_EQ(UpdateSummaryText(lines), "a.drw: 2 new draws added\n\rb.drw: The game is up to date.\n\r"
                                        "c.drw: The server answered HTTP 404 Not Found.\n\r"
                                        "3 games: 1 updated (2 new draws), 1 up to date, 1 failed.");
    EXPECT_EQ(UpdateCountsText({}), "No game has a source to update from.");
    EXPECT_EQ(DrawsAddedText(1), "1 new draw added");
}

// Another writer is never overwritten: a lock held elsewhere refuses the
// update, and a game changed while its file came is read again first.
TEST(SourceUpdate, AnotherWriterIsNeverOverwritten)
{
    const std::string dir = fixtures::TmpDir() + "writers/";
    fs::create_directories(dir);
    const std::string game = dir + "lotto649.drw";
    WriteGame(game, Lotto649(), Head(kLotto649, 1, 200));
    TDownloadResult download;
    download.Status = TDownloadStatus::Ok;
    download.Body = kLotto649;
    TGameSource source;
    SetSourceAddress(source, dir + "649.csv");
    ASSERT_TRUE(SaveGameSource(game, source));

    {
        const int fd = ::open(game.c_str(), O_RDONLY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::flock(fd, LOCK_EX), 0);
        const fixtures::Bytes before = FileBytes(game);
        const std::unique_ptr<TPreparedUpdate> p = PrepareGameUpdate(game, Via(""));
        ASSERT_EQ(p->Refusal, "");
        const TUpdateOutcome busy = FinishGameUpdate(*p, download);
        ::close(fd);
        EXPECT_EQ(busy.Status, TUpdateStatus::Failed);
        EXPECT_NE(busy.Message.find("is being changed by another program"), std::string::npos) << busy.Message;
        EXPECT_EQ(FileBytes(game), before);
    }

    // Read before another writer added a draw of its own, saved after it.
    const std::unique_ptr<TPreparedUpdate> p = PrepareGameUpdate(game, Via(""));
    ASSERT_EQ(p->Refusal, "");
    WriteGameWithOwnDraw(game, Lotto649(), Head(kLotto649, 1, 250));
    const TUpdateOutcome o = FinishGameUpdate(*p, download);
    EXPECT_EQ(o.Status, TUpdateStatus::Updated) << o.Message;
    EXPECT_EQ(o.Added, 149);
    EXPECT_EQ(DrawsIn(game), 400);

    // The open game: refused while its file differs from what was read, then
    // updated in memory and on disk alike.
    WriteGame(game, Lotto649(), Head(kLotto649, 1, 200));
    TCurrentGame open;
    ASSERT_EQ(OpenGameFile(game, open), gioValid);
    WriteGameWithOwnDraw(game, Lotto649(), Head(kLotto649, 1, 200));
    const fixtures::Bytes changed = FileBytes(game);
    TUpdateOutcome r = UpdateOpenGame(open, source, download);
    EXPECT_EQ(r.Status, TUpdateStatus::Failed);
    EXPECT_NE(r.Message.find("was changed by another program"), std::string::npos) << r.Message;
    EXPECT_EQ(FileBytes(game), changed);
    EXPECT_EQ(open.Draws->DrawCount(), 200);

    ReleaseGame(open);
    ASSERT_EQ(OpenGameFile(game, open), gioValid);
    r = UpdateOpenGame(open, source, download);
    EXPECT_EQ(r.Status, TUpdateStatus::Updated) << r.Message;
    EXPECT_EQ(open.Draws->DrawCount(), 400);
    EXPECT_EQ(DrawsIn(game), 400);
    EXPECT_FALSE(open.Draws->Modified);
    TGameFileStamp onDisk;
    ASSERT_TRUE(ReadGameFileStamp(game, onDisk));
    EXPECT_TRUE(onDisk == open.Stamp);
}

// A source without a layout of its own is read first as the user last
// imported the game's files; the layout that read it is then the source's.
TEST(SourceUpdate, FirstUpdateTakesTheImportWindowsLayout)
{
    const std::string dir = fixtures::TmpDir() + "picked/";
    fs::create_directories(dir);
    const std::string game = dir + "lotto649.drw";
    WriteGame(game, Lotto649(), Head(kLotto649, 1, 100));
    TImportLayout picked;
    picked.Kind = TImportLayout::TKind::Integers;
    picked.DateStart = 4;
    picked.DateType = 2;
    picked.NumbersStart = 7;
    ASSERT_TRUE(SaveImportLayout(GameSourceFile(game), picked));
    const std::string file = dir + "649.csv";
    ASSERT_TRUE(fixtures::WriteFile(file, fixtures::Bytes(kLotto649.begin(), kLotto649.end())));
    const TUpdateOutcome o = UpdateGameFile(game, Via(file));
    EXPECT_EQ(o.Status, TUpdateStatus::Updated) << o.Message;
    EXPECT_EQ(o.Added, 299);
    TImportLayout kept;
    ASSERT_TRUE(TImportLayout::FromText(LoadGameSource(game).Layout, kept)) << LoadGameSource(game).Layout;
    EXPECT_EQ(kept.Kind, TImportLayout::TKind::Integers);
    EXPECT_EQ(kept.NumbersStart, 7);
}
