// TfrmBacktest: the backtest window. It runs the walk-forward backtest of the
// open game with the current options, shows its progress, its summary per
// mode, requested numbers and category, and a chart of the cumulative hits of
// the chosen row against the chance line.
#pragma once

#include <memory>

#include <QDialog>
#include <QElapsedTimer>

#include "engine/Backtest.h"
#include "models/BacktestView.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTableWidget;
class TNiceChart;

inline constexpr const char* kNoBacktestChart =
    "Start a backtest, then choose a row of its summary to see its cumulative hits against chance.";

class TfrmBacktest : public QDialog, private TBacktestObserver {
    Q_OBJECT

public:
    // `game` and `options` are read, never changed, and outlive the window.
    TfrmBacktest(const TDrawClass& game, const TGameOptions& options, QWidget* parent = nullptr);
    ~TfrmBacktest() override;

    QSpinBox& DrawsEdit() { return *edtDraws_; }
    QSpinBox& TablesEdit() { return *edtTables_; }
    QComboBox& ModeBox() { return *cbMode_; }
    QComboBox& RequestedBox() { return *cbRequested_; }
    QComboBox& CategoryBox() { return *cbCategory_; }
    QPushButton& StartButton() { return *btnStart_; }
    QPushButton& CancelButton() { return *btnCancel_; }
    QProgressBar& Progress() { return *pbProgress_; }
    QLabel& Status() { return *lblStatus_; }
    QTableWidget& SummaryTable() { return *sgSummary_; }
    TNiceChart& Chart() { return *ncHits_; }
    // True while the chart, not the line that stands in for it, shows.
    bool ChartShown() const;
    bool Running() const { return running_; }
    // The backtest last run, null before the first start.
    const TBacktest* Backtest() const { return backtest_.get(); }

    void btnStartClick();
    void btnCancelClick();

public slots:
    void reject() override;

private:
    bool Progress(int32_t drawsDone, int32_t draws, int32_t tablesDone, int32_t tables) override;
    TBacktestFilter Filter() const;
    void RefreshSummary();
    void RefreshChart();
    void UpdateButtons();

    const TDrawClass& game_;
    const TGameOptions& options_;
    std::unique_ptr<TBacktest> backtest_;
    std::vector<TBacktestRow> rows_;
    bool running_ = false;
    bool cancelRequested_ = false;
    bool closeRequested_ = false;
    int32_t shownDraws_ = -1;
    QElapsedTimer sinceRefresh_;
    qint64 lastRefreshMs_ = 0;

    QSpinBox* edtDraws_;
    QSpinBox* edtTables_;
    QComboBox* cbMode_;
    QComboBox* cbRequested_;
    QComboBox* cbCategory_;
    QPushButton* btnStart_;
    QPushButton* btnCancel_;
    QProgressBar* pbProgress_;
    QLabel* lblProgress_;
    QLabel* lblStatus_;
    QTableWidget* sgSummary_;
    QLabel* lblNoChart_ = nullptr;
    QStackedWidget* stkChart_ = nullptr;
    TNiceChart* ncHits_;
};

// Opens the window modally over `parent`.
void OpenBacktest(QWidget* parent, const TDrawClass& game, const TGameOptions& options);
