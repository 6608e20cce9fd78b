// Time from "Compute Odds" to a filled list and combined line in the window
// (offscreen), the pause a user would see.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>

#include "windows/OddsCalculatorF.h"

namespace {

void BM_ComputeOddsInWindow(benchmark::State& state)
{
    TfrmOddsCalculator form;
    form.Preset(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)),
                static_cast<int32_t>(state.range(2)));
    form.show();
    QApplication::processEvents();
    for (auto _ : state) {
        form.btnComputeOddsClick();
        QApplication::processEvents();
    }
    state.counters["rows"] = static_cast<double>(form.Table().Rows.size());
}
BENCHMARK(BM_ComputeOddsInWindow)
    ->Args({49, 6, 10})
    ->Args({999, 998, 500})
    ->Args({999, 500, 500})
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
