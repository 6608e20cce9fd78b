// The games service: reading a list of 1,000 games, reading a history of
// 10,000 draws, and a whole download of that history from the games server
// over the loopback interface.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench/BenchGame.h"
#include "data/GameFile.h"
#include "data/Utils.h"
#include "service/GamesServer.h"
#include "service/OnlineGames.h"

namespace {

constexpr int kGames = 1000;
constexpr int kDraws = 10000;

std::string ListDocument()
{
    std::string doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Response><code>0</code><XMLData><GamesList>\n";
    for (int i = 1; i <= kGames; ++i)
        doc += "<Game><ID>" + std::to_string(i) + "</ID><Description>Lotto number " + std::to_string(i) +
               "</Description><FieldDescription>0649|01BB</FieldDescription><DPD>2</DPD><DrawsCount>4000"
               "</DrawsCount><UpdateDate>2024-02-03 10:11:12</UpdateDate></Game>\n";
    return doc + "</GamesList></XMLData></Response>\n";
}

TGameInfo Game649()
{
    TGameInfo g = BenchGameInfo("Bench 6 of 49", 49, 6);
    g.OnlineID = 1;
    return g;
}

// A folder holding one served game of kDraws draws.
std::string ServedFolder()
{
    const std::string folder = (std::filesystem::temp_directory_path() / "jux-bench-service/").string();
    std::filesystem::create_directories(folder);
    const TGameInfo g = Game649();
    TDrawClass model(g);
    AddBenchDraws(model, g, kDraws, 1, EncodeDate(1970, 1, 1));
    TMemoryStream image;
    WriteGameHeader(image, g);
    WriteDraws(image, g, model);
    std::string error;
    WriteWholeFile(folder + "bench.drw", image.Bytes(), error);
    return folder;
}

void BM_ReadGamesList(benchmark::State& state)
{
    const std::string doc = ListDocument();
    for (auto _ : state) {
        TXMLBrowse xml;
        xml.LoadText(doc);
        CheckResponse(xml);
        TDatabaseGames store;
        ReadGamesList(xml, store);
        benchmark::DoNotOptimize(store.Count());
    }
    state.SetItemsProcessed(state.iterations() * kGames);
    state.SetBytesProcessed(state.iterations() * int64_t(doc.size()));
}
BENCHMARK(BM_ReadGamesList)->Unit(benchmark::kMillisecond);

void BM_ReadGameDraws(benchmark::State& state)
{
    TGamesServer server({ServedFolder(), "127.0.0.1", 0, {}});
    std::string error;
    server.Start(error); // only to load the folder for Answer
    const std::string doc = server.Answer(ComposeRequest(kGetGameDraws, 1, ""));
    server.Stop();
    for (auto _ : state) {
        TXMLBrowse xml;
        xml.LoadText(doc);
        CheckResponse(xml);
        TDownloadedGame game = ReadGameDraws(xml, 1);
        benchmark::DoNotOptimize(game.Draws->DrawCount());
    }
    state.SetItemsProcessed(state.iterations() * kDraws);
    state.SetBytesProcessed(state.iterations() * int64_t(doc.size()));
}
BENCHMARK(BM_ReadGameDraws)->Unit(benchmark::kMillisecond);

void BM_DownloadOverLoopback(benchmark::State& state)
{
    TGamesServer server({ServedFolder(), "127.0.0.1", 0, {}});
    std::string error;
    if (!server.Start(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const TServiceEndpoint endpoint{"127.0.0.1:" + std::to_string(server.Port()), 30};
    for (auto _ : state) {
        TDownloadedGame game = RequestGameDraws(endpoint, 1);
        benchmark::DoNotOptimize(game.Draws->DrawCount());
    }
    state.SetItemsProcessed(state.iterations() * kDraws);
}
BENCHMARK(BM_DownloadOverLoopback)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
