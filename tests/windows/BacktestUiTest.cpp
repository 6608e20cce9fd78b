// The backtest window on Qt's offscreen platform: a run fills the summary
// table and the chart, the filters narrow the table, Cancel and closing stop
// a run with the draws done kept, settings that do not suit the history are
// refused with a message; the menu item is offered in LOADED only.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>

#include <functional>

#include "engine/BestLists.h"
#include "engine/Environment.h"
#include "models/BacktestView.h"
#include "rules/MainWindowRules.h"
#include "support/GameFixtures.h"
#include "support/QtTestSupport.h"
#include "support/ScriptedDialogs.h"
#include "widgets/NiceChart.h"
#include "windows/BacktestFrm.h"

namespace {

using qttest::EveryPass;

QApplication& App() { return qttest::App("backtest_ui_test"); }

class BacktestUi : public ::testing::Test {
protected:
    BacktestUi() : info(fixtures::MakeGame(4, 20)), game(info)
    {
        App();
        fixtures::FillDraws(game, info, 70, 6);
        options.SetGame(&game);
        options.SetDefaults();
        options.TotalTestDraws = 12;
        options.MaxStatData = 6;
        options.SetStartPoint(70 - 12);
    }
    std::vector<std::string> RowTexts(QTableWidget& table, int row)
    {
        std::vector<std::string> cells;
        for (int c = 0; c < table.columnCount(); ++c)
            cells.push_back(table.item(row, c)->text().toStdString());
        return cells;
    }

    TScriptedDialogs dialogs;
    TGameInfo info;
    TDrawClass game;
    TGameOptions options;
};

TEST_F(BacktestUi, RunFillsSummaryAndChartAndFiltersNarrow)
{
    TfrmBacktest window(game, options);
    window.show();
    // Before the first run a line says what will come, not an empty chart
    // with a placeholder title and "~" ticks.
    EXPECT_FALSE(window.ChartShown());
    EXPECT_NE(window.Chart().Title(), "Chart Title");
    EXPECT_TRUE(qttest::Child<QLabel>(&window, "lblNoChart")->isVisible());
    window.DrawsEdit().setValue(3);
    window.TablesEdit().setValue(10);
    window.btnStartClick();
    ASSERT_TRUE(window.Backtest());
    EXPECT_TRUE(window.ChartShown());
    ASSERT_TRUE(window.Backtest()->Complete());
    EXPECT_EQ(window.Progress().value(), window.Progress().maximum());
    EXPECT_EQ(window.Status().text().toStdString(), "3 of 3 draws predicted");
    EXPECT_EQ(window.CancelButton().text(), QStringLiteral("Close"));

    const std::vector<TBacktestRow> all = BacktestRows(window.Backtest()->Summary(), {});
    QTableWidget& table = window.SummaryTable();
    ASSERT_EQ(table.rowCount(), int(all.size()));
    for (int r : {0, int(all.size()) / 2, int(all.size()) - 1})
        EXPECT_EQ(RowTexts(table, r),
                  std::vector<std::string>(all[size_t(r)].Cells.begin(), all[size_t(r)].Cells.end()));

    window.ModeBox().setCurrentIndex(2); // Absolute
    window.RequestedBox().setCurrentIndex(window.RequestedBox().findData(4));
    ASSERT_EQ(table.rowCount(), 4);
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(table.item(r, 0)->text(), QStringLiteral("Absolute"));
        EXPECT_EQ(table.item(r, 1)->text(), QStringLiteral("4"));
    }

    // The chart follows the chosen row: cumulative hits and chance, one
    // point per backtested draw.
    table.selectRow(2);
    TNiceChart& chart = window.Chart();
    ASSERT_EQ(chart.SeriesCount(), 2);
    ASSERT_EQ(chart.Series(0)->Points().size(), 3u);
    ASSERT_EQ(chart.Series(1)->Points().size(), 3u);
    const TBacktestSummary s = window.Backtest()->SummaryFor(kModeNumberAbsolute, 4, 3);
    EXPECT_DOUBLE_EQ(chart.Series(0)->Points().back().Y, double(s.Hits));
    EXPECT_NEAR(chart.Series(1)->Points().back().Y, s.Predicted * 4.0 * 4 / 20, 1e-12);
}

TEST_F(BacktestUi, CancelAndCloseStopTheRunKeepingDrawsDone)
{
    // One thread asks between two tables; several ask while their draws run,
    // which here are long enough to be under way when the first is done.
    for (const auto& [threads, tables] : {std::pair{1, 40}, std::pair{2, 50000}}) {
        for (bool close : {false, true}) {
            SCOPED_TRACE(std::string(close ? "close" : "cancel") + " on " + std::to_string(threads) + " threads");
            options.AnalysisThreads = threads;
            TfrmBacktest window(game, options);
            window.show();
            window.DrawsEdit().setValue(5);
            window.TablesEdit().setValue(tables);
            bool stoppedWhileRunning = false;
            EveryPass(&window, [&] {
                if (!window.Running() || window.Backtest()->Results().empty())
                    return false;
                stoppedWhileRunning = window.CancelButton().text() == QStringLiteral("Cancel");
                if (close)
                    window.reject();
                else
                    window.CancelButton().click();
                return true;
            });
            window.btnStartClick();
            EXPECT_TRUE(stoppedWhileRunning);
            EXPECT_FALSE(window.Running());
            const size_t done = window.Backtest()->Results().size();
            EXPECT_GE(done, 1u);
            EXPECT_LT(done, 5u);
            EXPECT_EQ(window.Status().text().toStdString(), BacktestStatusText(int32_t(done), 5, true));
            EXPECT_EQ(window.isVisible(), !close);
            EXPECT_EQ(window.result(), close ? int(QDialog::Rejected) : 0);
        }
    }
}

TEST_F(BacktestUi, SettingsThatDoNotSuitTheHistoryAreRefused)
{
    TfrmBacktest window(game, options);
    window.DrawsEdit().setValue(60); // leaves 10 draws for T 12 and D 6
    window.btnStartClick();
    EXPECT_EQ(window.Backtest(), nullptr);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, TDialogKind::Error);
    EXPECT_EQ(dialogs.shown[0].text.rfind("The history before the 60 most recent draws does not suit the options", 0),
              0u);
    EXPECT_EQ(window.SummaryTable().rowCount(), 0);
}

TEST(BacktestMenu, OfferedInLoadedOnly)
{
    for (uint8_t state : {STANDBY, LOADED, STARTED, PAUSED, FINISHED})
        EXPECT_EQ(MenuVisibility(state, false, true).BacktestEnabled, state == LOADED) << RunStateName(state);
}

} // namespace
