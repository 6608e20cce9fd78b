// The JUX Table page in its window (offscreen): the cost of one refresh with
// the grids filled and the shown chart painted, for T = 100 on 6 of 49 and
// T = 1,000 on 7 of 99; and tables per second of a run while the display
// shows the Panorama page (0) or the JUX Table page with a table (1).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include <QApplication>
#include <QTabWidget>

#include "bench/BenchGame.h"
#include "bench/BenchTableRun.h"
#include "data/GameFile.h"
#include "data/Utils.h"
#include "engine/Environment.h"
#include "engine/GameOptions.h"
#include "engine/JUXEngine.h"
#include "widgets/JUXDisplayFrame.h"
#include "widgets/JUXTableUi.h"
#include "widgets/NiceChart.h"

namespace {

struct TQtPump : TEventPump {
    void ProcessPendingEvents() override { QCoreApplication::processEvents(); }
};

// Runs to the maximum and never stops on its own.
struct TFreeRun : TRunControl {
    bool ShouldContinue() override { return true; }
    void RunFinished() override {}
};

struct UiRun {
    TCurrentGame game;
    TGameOptions options;
    TJUXEngine engine{options};
    std::unique_ptr<TEnvironmentClass> env;
    std::unique_ptr<TFrmJUXDisplay> frame;
    TQtPump pump;
    TFreeRun control;

    explicit UiRun(bool wide)
    {
        game.Draws = wide ? MakeWideGame(game.Info, 1100) : MakeBenchGame(game.Info);
        game.Info.State = 2;
        env = std::make_unique<TEnvironmentClass>(game, options, engine);
        options.SetDefaults();
        SetTableRunOptions(options, wide, 40);
        engine.SetRunControl(&control);
        env->SetEventPump(&pump);
        frame = std::make_unique<TFrmJUXDisplay>(*env);
        frame->resize(900, 700);
        frame->show();
        engine.StartRun();
        frame->PrepareForRun();
        engine.RunAnalysis();
        frame->SelectJUX(CellID(frame->Panorama(), 1, TPanoramaGrid::kFixedRows));
    }

    void ShowPage(bool table)
    {
        auto* pages = frame->findChild<QTabWidget*>(QStringLiteral("pgDisplay"));
        pages->setCurrentWidget(
            frame->findChild<QWidget*>(table ? QStringLiteral("tabJUXTable") : QStringLiteral("tabPanorama")));
        QCoreApplication::processEvents();
    }
};

void BM_RefreshTablePage(benchmark::State& state)
{
    UiRun run(state.range(0) != 0);
    run.ShowPage(true);
    TJUXTablePanel* panel = run.frame->TablePanel();
    for (auto _ : state) {
        run.frame->RefreshTable();
        QPixmap picture = panel->grab(); // the grids and the shown chart painted
        benchmark::DoNotOptimize(picture);
    }
    state.counters["T"] = run.engine.Context.TestedDraws;
    state.counters["points"] = double(panel->HitsChart()->Series(0)->Points().size());
}
BENCHMARK(BM_RefreshTablePage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_RunWhilePageShown(benchmark::State& state)
{
    static UiRun run(false);
    run.ShowPage(state.range(0) != 0);
    const int32_t start = run.engine.Context.TablesComputed;
    for (auto _ : state) {
        run.options.MaximumJUXsToScan = run.engine.Context.TablesComputed + 10;
        run.engine.RunAnalysis();
    }
    state.counters["tables/s"] =
        benchmark::Counter(double(run.engine.Context.TablesComputed - start), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RunWhilePageShown)->Arg(0)->Arg(1)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
