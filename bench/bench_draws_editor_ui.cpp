// The draws editor over a 100,000-draw dated 6 of 49 game: opening the
// window (list built, last page shown), one sort by "Draw #", paging, and
// the text export. Runs on Qt's offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHeaderView>
#include <QTreeWidget>

#include <cstdlib>
#include <string>

#include "bench/BenchGame.h"
#include "data/DrawsExport.h"
#include "data/GameFile.h"
#include "data/UserDialogs.h"
#include "data/Utils.h"
#include "engine/Environment.h"
#include "platform/Paths.h"
#include "widgets/DisplayFrame.h"
#include "widgets/NaviButtonFrame.h"
#include "windows/Application.h"
#include "windows/DrawModifyF.h"

namespace {

constexpr int kDraws = 100000;

TApplicationObjects* objects = nullptr;

std::string WriteBenchGame()
{
    const TGameInfo g = BenchGameInfo("Bench 6 of 49", 49, 6);
    TDrawClass model(g);
    AddBenchDraws(model, g, kDraws, 1, EncodeDate(1900, 1, 1));
    TMemoryStream s;
    WriteGameHeader(s, g);
    WriteDraws(s, g, model);
    const std::string path = objects->Environment().DataFolder + "bench-editor.drw";
    std::string error;
    WriteWholeFile(path, s.Bytes(), error);
    return path;
}

void BM_OpenEditor(benchmark::State& state)
{
    for (auto _ : state) {
        TDrawModifyForm form(objects->Environment());
        form.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(form.DisplayF()->SelectedKey());
    }
}
BENCHMARK(BM_OpenEditor)->Unit(benchmark::kMillisecond);

void BM_SortByDrawNumber(benchmark::State& state)
{
    TDrawModifyForm form(objects->Environment());
    form.show();
    QHeaderView* header = form.DisplayF()->ListView()->header();
    for (auto _ : state) {
        emit header->sectionClicked(1);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_SortByDrawNumber)->Unit(benchmark::kMillisecond);

void BM_NextPage(benchmark::State& state)
{
    TDrawModifyForm form(objects->Environment());
    form.show();
    TNaviButtonsFrame* navi = form.DisplayF()->Navi();
    for (auto _ : state) {
        navi->GoToPage(navi->Page() % navi->PageCount() + 1);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_NextPage)->Unit(benchmark::kMillisecond);

void BM_ExportText(benchmark::State& state)
{
    const TCurrentGame& game = objects->Environment().Game();
    for (auto _ : state)
        benchmark::DoNotOptimize(DrawsExportText(*game.Draws, game.Info.Name).size());
}
BENCHMARK(BM_ExportText)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    TConsoleDialogs dialogs(TModalResult::No);
    InstallUserDialogs(&dialogs);
    InitLocaleSettings();
    TApplicationObjects appObjects;
    objects = &appObjects;
    appObjects.Environment().OpenGame(WriteBenchGame());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    appObjects.Environment().CloseGame();
    InstallUserDialogs(nullptr);
    return 0;
}
